// The program's start-up: from the process's start to the main window's first
// complete paint, against the floor of our own stack, a form of our layer
// with one label, on a virtual X display (Xvfb) with a window manager
// (openbox), both started by this benchmark for the whole run.
//   ours: quorvel_bench_driver window program, a process that makes the
//         program's windows as its start-up does (settings file in a fresh
//         folder: the first start) and shows the main window;
//   peer: quorvel_bench_driver window label, the same program (the same
//         libraries to load) showing a form with one label.
// The timer covers the same for both: from just before the process is
// spawned to the moment it reports its window painted (shown, active, and no
// message left to serve), on the monotonic clock both share; what the
// process does after that (its clean-up and exit) does not count. 7 pairs,
// alternating, each in a fresh folder; the figure is the median of the
// per-pair ratios, printed with both sides' medians. Two figures: the usual
// start (each side started once untimed in its folder before, so the
// program finds its settings file) and the first start (a fresh folder: the
// program writes every default, each write flushed to disk).
// Then the shown main window is left alone for 10 s: its CPU time over that
// time, as a share of one core (goal: under 1 %, no busy timers).
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>

#include "bench/bench_util.h"

using namespace bench;

namespace {

pid_t Start(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ) != 0) Fail("cannot start " + argv[0]);
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

void End(pid_t pid)
{
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

bool WaitUntil(const std::function<bool()>& ready, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i)
    {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Seconds from spawning the driver to its window's first complete paint.
double StartToPaint(const std::string& which, const fs::path& parent, const std::string& display, bool usual)
{
    TempFolder dir("start", parent);
    if (usual) RunProcess({DriverPath(), "window", which}, dir.path(), dir.path(), {"DISPLAY=" + display});
    const double spawned = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    const ProcessRun r = RunProcess({DriverPath(), "window", which}, dir.path(), dir.path(), {"DISPLAY=" + display});
    const std::vector<double> painted = Values(r.Out, "painted");
    if (painted.empty()) Fail("no paint reported:\n" + r.Out + r.Err);
    return painted.front() - spawned;
}

}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("startup");
    // A display of our own.
    int n = 90;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        ++n;
    const std::string display = ":" + std::to_string(n);
    const pid_t xvfb = Start({"Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!WaitUntil([&] { return fs::exists("/tmp/.X11-unix/X" + std::to_string(n)); }, 20)) Fail("Xvfb did not start");
    ::setenv("DISPLAY", display.c_str(), 1);
    const pid_t wm = Start({"openbox", "--sm-disable"});
    const bool managed =
        WaitUntil([] { return ::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0; },
                  20);
    if (!managed) Fail("openbox did not start");
    std::this_thread::sleep_for(std::chrono::seconds(1));

    for (const bool usual : {true, false})
    {
        Pairs figure(usual ? "startup_to_first_paint_vs_minimal_window" : "first_startup_to_first_paint_vs_minimal_window",
                     usual ? 1.5 : 0, "main window", "one label");
        RunPairs([&](int, bool oursFirst) {
            double ours = 0, peer = 0;
            if (oursFirst)
            {
                ours = StartToPaint("program", root.path(), display, usual);
                peer = StartToPaint("label", root.path(), display, usual);
            }
            else
            {
                peer = StartToPaint("label", root.path(), display, usual);
                ours = StartToPaint("program", root.path(), display, usual);
            }
            figure.Add(ours, peer);
            return std::max(ours, peer);
        });
        figure.Print();
    }

    // The shown main window, left alone.
    {
        TempFolder dir("idle", root.path());
        const ProcessRun r =
            RunProcess({DriverPath(), "window", "program", "idle"}, dir.path(), dir.path(), {"DISPLAY=" + display});
        const std::vector<double> cpu = Values(r.Out, "idle_cpu");
        if (cpu.empty()) Fail("no idle time reported:\n" + r.Out + r.Err);
        std::printf("  main window idle: %.4f s of CPU time in 10 s\n", cpu.front());
        std::printf("ratio main_window_idle_cpu_share %.4f  (min %.4f, max %.4f, 1 run; goal <= 0.01)\n",
                    cpu.front() / 10, cpu.front() / 10, cpu.front() / 10);
    }
    End(wm);
    End(xvfb);
    return 0;
}
