// Helpers the benchmarks share: fresh temporary folders, running a program as
// a timed process (wall, CPU and peak memory from wait4), the peer's own
// -benchmark figures, checking a source file, and paired ratios.
//
// A figure is always the median of per-pair ratios ours/peer from runs that
// alternate the two sides (which side goes first alternates too), printed as
//   ratio <figure> <median>  (min <min>, max <max>, <n> pairs; goal <= <goal>)
// so scripts/bench.sh can collect every figure of a run.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace bench
{
namespace fs = std::filesystem;

inline double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

[[noreturn]] inline void Fail(const std::string& msg)
{
    std::fprintf(stderr, "%s\n", msg.c_str());
    std::exit(1);
}

inline std::string ReadFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// A folder of its own under the system's temporary folder (mkdtemp), removed
// with everything in it when the object goes, or at exit when a failure ends
// the benchmark first.
class TempFolder
{
public:
    explicit TempFolder(const std::string& tag, const fs::path& parent = fs::temp_directory_path())
    {
        std::string templ = (parent / ("quorvel-bench-" + tag + "-XXXXXX")).string();
        if (!::mkdtemp(templ.data())) Fail("cannot make a temporary folder under " + parent.string());
        path_ = templ;
        static const bool registered = std::atexit(RemoveLeft) == 0;
        (void)registered;
        Live().push_back(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
        Live().erase(std::find(Live().begin(), Live().end(), path_));
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    static std::vector<fs::path>& Live()
    {
        static auto* live = new std::vector<fs::path>;  // outlives the exit handler
        return *live;
    }
    static void RemoveLeft()
    {
        std::error_code ec;
        for (const fs::path& p : Live()) fs::remove_all(p, ec);
    }
    fs::path path_;
};

// One finished process: wall time from spawn to reaping, CPU time (user +
// system, its waited-for children included) and peak resident memory.
struct ProcessRun
{
    double Wall = 0;
    double Cpu = 0;
    long MaxRssKb = 0;
    std::string Out;  // what it wrote to stdout
    std::string Err;  // what it wrote to stderr
};

// Runs argv[0] (searched in PATH) in `cwd` with stdin from /dev/null,
// stdout/stderr into files of `scratch` and `env` ("NAME=value") added to the
// environment; exits the benchmark when it fails.
inline ProcessRun RunProcess(const std::vector<std::string>& argv, const fs::path& cwd, const fs::path& scratch,
                             const std::vector<std::string>& env = {})
{
    const std::string out = (scratch / "stdout.txt").string(), err = (scratch / "stderr.txt").string();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ProcessRun r;
    pid_t pid;
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = ::posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) Fail("cannot start " + argv[0]);
    int status = 0;
    struct rusage ru{};
    while (::wait4(pid, &status, 0, &ru) < 0)
        if (errno != EINTR) Fail("wait4 failed");
    r.Wall = Seconds(t0, std::chrono::steady_clock::now());
    r.Cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    r.MaxRssKb = ru.ru_maxrss;
    r.Out = ReadFile(out);
    r.Err = ReadFile(err);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        std::string cmd;
        for (const std::string& a : argv) cmd += a + " ";
        Fail("failed: " + cmd + "\n" + r.Err + r.Out);
    }
    return r;
}

// The value after every "key=" in a text ("rtime=1.23s" gives 1.23), in order.
inline std::vector<double> Values(const std::string& text, const std::string& key)
{
    std::vector<double> v;
    for (size_t p = text.find(key + "="); p != std::string::npos; p = text.find(key + "=", p + 1))
        v.push_back(std::atof(text.c_str() + p + key.size() + 1));
    return v;
}

// ffmpeg -benchmark: the transcoding time it measures itself (after its start
// and the opening of its files) and its peak memory, one per process.
inline std::vector<double> PeerWorkSeconds(const std::string& log) { return Values(log, "rtime"); }
inline std::vector<double> PeerMaxRssKb(const std::string& log) { return Values(log, "maxrss"); }

// What the benchmark driver reports: the seconds from after its libraries
// were loaded to the end of the job ("work=<s>"); a peer run with the peer
// timer preloaded reports the same way.
inline double DriverWorkSeconds(const std::string& out)
{
    const std::vector<double> v = Values(out, "work");
    if (v.empty()) Fail("the driver reported no work time:\n" + out);
    return v.back();
}

// Exits unless ffprobe's `entries` of `file` (csv, no section names) read
// exactly `expected`.
inline void CheckSource(const std::string& file, const std::string& entries, const std::string& expected,
                        const fs::path& scratch)
{
    const ProcessRun r = RunProcess(
        {"ffprobe", "-v", "error", "-count_packets", "-show_entries", entries, "-of", "csv=p=0", file}, scratch,
        scratch);
    if (r.Out != expected) Fail("the source " + file + " is not the expected one:\n" + r.Out + "expected:\n" + expected);
}

// The test fixtures (scripts/make_fixtures.sh) made into `dir`, each checked:
// the probe benchmarks' files and the container and stream count ffprobe must find.
inline const std::vector<std::pair<std::string, std::string>>& ProbeFixtures()
{
    static const std::vector<std::pair<std::string, std::string>> files = {
        {"clip.avi", "2,avi\n"},
        {"clip.mp4", "2,\"mov,mp4,m4a,3gp,3g2,mj2\"\n"},
        {"clip.ts", "2,mpegts\n"},
        {"multi.mkv", "4,\"matroska,webm\"\n"},
        {"tone.mp3", "1,mp3\n"},
        {"中文 视频.mp4", "2,\"mov,mp4,m4a,3gp,3g2,mj2\"\n"},
    };
    return files;
}

// Per-pair ratios of one figure; a goal of 0 means the figure has none.
class Pairs
{
public:
    Pairs(std::string figure, double goal, std::string ours = "ours", std::string peer = "peer")
        : figure_(std::move(figure)), goal_(goal), oursName_(std::move(ours)), peerName_(std::move(peer))
    {
    }
    void Add(double ours, double peer)
    {
        ours_.push_back(ours);
        peer_.push_back(peer);
        ratios_.push_back(ours / peer);
    }
    // "ratio <figure> ..." after the medians of both sides, in `unit` x `scale`.
    void Print(const char* unit = "s", double scale = 1) const
    {
        if (ratios_.empty()) return;
        std::printf("  %s: %s %.3f %s, %s %.3f %s (medians)\n", figure_.c_str(), oursName_.c_str(),
                    Median(ours_) * scale, unit, peerName_.c_str(), Median(peer_) * scale, unit);
        char goal[32] = "no goal";
        if (goal_ > 0) std::snprintf(goal, sizeof goal, "goal <= %.2f", goal_);
        std::printf("ratio %s %.3f  (min %.3f, max %.3f, %zu pairs; %s)\n", figure_.c_str(), Median(ratios_),
                    *std::min_element(ratios_.begin(), ratios_.end()),
                    *std::max_element(ratios_.begin(), ratios_.end()), ratios_.size(), goal);
        std::fflush(stdout);
    }

private:
    std::string figure_;
    double goal_;
    std::string oursName_, peerName_;
    std::vector<double> ours_, peer_, ratios_;
};

// The processors of the machine.
inline int Cores() { return int(::sysconf(_SC_NPROCESSORS_ONLN)); }

// How much of the machine each side kept busy: a run's CPU time over its wall
// time times the processors; printed as the medians of both sides,
//   efficiency <figure> ours <median> peer <median>  (...)
class Efficiency
{
public:
    Efficiency(std::string figure, std::string ours = "ours", std::string peer = "peer")
        : figure_(std::move(figure)), oursName_(std::move(ours)), peerName_(std::move(peer))
    {
    }
    void Add(const ProcessRun& ours, const ProcessRun& peer)
    {
        ours_.push_back(ours.Cpu / (ours.Wall * Cores()));
        peer_.push_back(peer.Cpu / (peer.Wall * Cores()));
    }
    void Print() const
    {
        if (ours_.empty()) return;
        std::printf("efficiency %s %s %.3f %s %.3f  (CPU time over wall time x %d cores, medians of %zu pairs)\n",
                    figure_.c_str(), oursName_.c_str(), Median(ours_), peerName_.c_str(), Median(peer_), Cores(),
                    ours_.size());
        std::fflush(stdout);
    }

private:
    std::string figure_, oursName_, peerName_;
    std::vector<double> ours_, peer_;
};

// Runs `pair(i, oursFirst)`, which returns its longest run in seconds: 7 pairs,
// or `longPairs` when the first pair's longest run took over 10 s. The side
// that runs first alternates.
inline void RunPairs(const std::function<double(int index, bool oursFirst)>& pair, int longPairs = 3)
{
    const double longest = pair(0, true);
    const int n = longest > 10 ? longPairs : 7;
    for (int i = 1; i < n; ++i) pair(i, i % 2 == 0);
}

#ifdef QUORVEL_BENCH_DRIVER
// The benchmarks' own part (the driver program has neither macro).
// The benchmark driver program, built next to the benchmarks.
inline std::string DriverPath() { return QUORVEL_BENCH_DRIVER; }

// The environment entry that preloads the peer timer (bench/peer_timer/).
inline std::string PeerTimerPreload() { return std::string("LD_PRELOAD=") + QUORVEL_BENCH_PEER_TIMER; }

inline void MakeProbeFixtures(const fs::path& dir)
{
    const char* src = std::getenv("QUORVEL_SOURCE_DIR");
    const std::string root = src ? src : QUORVEL_SOURCE_DIR;
    RunProcess({root + "/scripts/make_fixtures.sh", dir.string()}, dir, dir);
    for (const auto& f : ProbeFixtures())
        CheckSource((dir / f.first).string(), "format=format_name,nb_streams", f.second, dir);
}
#endif

// A virtual X display (Xvfb) with a window manager (openbox), started for the
// benchmark's whole run and ended with the object, or at exit when a failure
// ends the benchmark first; DISPLAY names it for every process the benchmark
// starts after it.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int n = 90;
        while (fs::exists(Socket(n)) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            ++n;
        name_ = ":" + std::to_string(n);
        xvfb_ = Start({"Xvfb", name_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        if (!WaitUntil([&] { return fs::exists(Socket(n)); }, 20)) Fail("Xvfb did not start");
        ::setenv("DISPLAY", name_.c_str(), 1);
        wm_ = Start({"openbox", "--sm-disable"});
        if (!WaitUntil(
                [] {
                    return std::system(
                               "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0;
                },
                20))
            Fail("openbox did not start");
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    ~VirtualDisplay()
    {
        End(wm_);
        End(xvfb_);
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    const std::string& Name() const { return name_; }

private:
    static std::string Socket(int n) { return "/tmp/.X11-unix/X" + std::to_string(n); }
    static pid_t Start(const std::vector<std::string>& argv)
    {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        if (::posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ) != 0)
            Fail("cannot start " + argv[0]);
        posix_spawn_file_actions_destroy(&fa);
        static const bool registered = std::atexit(EndLeft) == 0;
        (void)registered;
        Live().push_back(pid);
        return pid;
    }
    static void End(pid_t pid)
    {
        auto& live = Live();
        const auto it = std::find(live.begin(), live.end(), pid);
        if (it == live.end()) return;
        live.erase(it);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    static std::vector<pid_t>& Live()
    {
        static auto* live = new std::vector<pid_t>; // outlives the exit handler
        return *live;
    }
    static void EndLeft()
    {
        while (!Live().empty())
            End(Live().back());
    }
    static bool WaitUntil(const std::function<bool()>& ready, int seconds)
    {
        for (int i = 0; i < seconds * 20; ++i)
        {
            if (ready()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    std::string name_;
    pid_t xvfb_ = -1, wm_ = -1;
};

// The load of the machine at this moment, as a line to print.
inline std::string LoadLine()
{
    double l[3] = {0, 0, 0};
    ::getloadavg(l, 3);
    char b[128];
    std::snprintf(b, sizeof b, "load average %.2f %.2f %.2f on %d cores", l[0], l[1], l[2], Cores());
    return b;
}
}  // namespace bench
