// Wall time of probing a media file (open, stream information, information
// text) by our probe against Debian's ffprobe -show_format -show_streams on
// the same files. The two are alternated; each figure is the median of
// several runs. ffprobe's figure includes its process start, as a user's
// probe of a file does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "Src/AVProbe.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"

namespace fs = std::filesystem;

namespace
{
std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

double RunOurs(const std::string& file)
{
    const auto t0 = std::chrono::steady_clock::now();
    TAVProbe p;
    if (!p.LoadFile(file))
    {
        std::fprintf(stderr, "probe failed: %s\n", p.LastErrMsg().c_str());
        std::exit(1);
    }
    const std::string text = p.FileInfoText();
    const auto t1 = std::chrono::steady_clock::now();
    if (text.empty()) std::exit(1);
    return Seconds(t0, t1);
}

double RunFFprobe(const std::string& file)
{
    const std::string cmd = "ffprobe -v error -show_format -show_streams " + Quote(file) + " > /dev/null";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0)
    {
        std::fprintf(stderr, "ffprobe failed on %s\n", file.c_str());
        std::exit(1);
    }
    return Seconds(t0, std::chrono::steady_clock::now());
}
}

int main()
{
    const char* src = std::getenv("QUORVEL_SOURCE_DIR");
    const std::string root = src ? src : QUORVEL_SOURCE_DIR;
    const fs::path dir = fs::temp_directory_path() / "quorvel_bench_fixtures";
    if (std::system(("'" + root + "/scripts/make_fixtures.sh' " + Quote(dir.string())).c_str()) != 0)
    {
        std::fprintf(stderr, "could not make the fixtures\n");
        return 1;
    }
    if (!GlobalLoader().Load(ProbeLibraries))
    {
        std::fprintf(stderr, "%s\n", GlobalLoader().LastErrMsg().c_str());
        return 1;
    }
    GetFFLogger()->SetLogLevel(llQuiet);

    const char* files[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv", "tone.mp3", "中文 视频.mp4"};
    constexpr int kRuns = 9;
    double oursTotal = 0, peerTotal = 0;
    for (const char* name : files)
    {
        const std::string file = (dir / name).string();
        RunOurs(file);  // warm the file cache for both
        std::vector<double> ours, peer;
        for (int i = 0; i < kRuns; ++i)
        {
            ours.push_back(RunOurs(file));
            peer.push_back(RunFFprobe(file));
        }
        const double o = Median(ours), f = Median(peer);
        oursTotal += o;
        peerTotal += f;
        std::printf("%-16s ours %8.3f ms   ffprobe %8.3f ms\n", name, o * 1e3, f * 1e3);
    }
    std::printf("total            ours %8.3f ms   ffprobe %8.3f ms\n", oursTotal * 1e3, peerTotal * 1e3);
    std::printf("ratio %.3f\n", oursTotal / peerTotal);
    return 0;
}
