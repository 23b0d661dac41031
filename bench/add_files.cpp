// Adding 500 files of mixed kinds to the job list through the main window's
// add-folder operation, against 500 ffprobe processes on the same files.
//
// The files: the test fixtures clip.avi, clip.mp4, clip.ts, multi.mkv and
// tone.mp3 (checked with ffprobe), 100 copies of each, the kinds interleaved,
// in one folder of this run's temporary folder.
//   ours: the benchmark driver "add FOLDER" as a whole process: it starts the
//         program's windows on the headless desktop, shows the main window,
//         loads the conversion libraries and runs the add-folder operation
//         (listing; per file the probe, the conversion task, the option state
//         of the chosen preset, the output name, the row and its slot, the
//         window repainting as it goes). Timed from spawn to exit.
//   peer: `ffprobe -v error -show_format -show_streams FILE` for each of the
//         500 files, one process after the other, each timed from spawn to
//         exit; the peer's time is the sum of the 500.
// Both sides are whole jobs: every process start and library load is
// charged to its side. A pair is one run of each, the side that runs first
// alternating; the figure is the median of the pairs' ratios (wall time),
// beside it the same with each side's CPU time.
// The driver also reports each row's cost (from the row before to this row's
// appearing): the mean of the last 100 rows against the mean of the first 100
// must stay near 1, a full table making no row dearer.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"

using namespace bench;

namespace
{
constexpr int kKinds = 5;
constexpr std::size_t kFiles = 500;

double Mean(const std::vector<double>& v, std::size_t from, std::size_t to)
{
    double s = 0;
    for (std::size_t i = from; i < to; ++i) s += v[i];
    return s / double(to - from);
}
}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("add-files");
    const fs::path fixtures = root.path() / "fixtures", files = root.path() / "files";
    fs::create_directories(fixtures);
    fs::create_directories(files);
    MakeProbeFixtures(fixtures);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kFiles; ++i)
    {
        const std::string& kind = ProbeFixtures()[i % kKinds].first;
        char number[8];
        std::snprintf(number, sizeof number, "%03zu", i);
        const fs::path p = files / (std::string(number) + "-" + kind);
        fs::copy_file(fixtures / kind, p);
        names.push_back(p.string());
    }

    Pairs wall("add_500_files_vs_500_ffprobe", 0.2, "add-folder", "500 x ffprobe");
    Pairs cpu("add_500_files_vs_500_ffprobe_cpu", 0.2, "add-folder", "500 x ffprobe");
    Pairs rows("add_files_last_100_vs_first_100_rows", 1.2, "last 100 rows", "first 100 rows");
    auto ours = [&] {
        TempFolder scratch("ours", root.path());
        const ProcessRun r = RunProcess({DriverPath(), "add", files.string()}, scratch.path(), scratch.path());
        const std::vector<double> each = Values(r.Out, "row");
        if (each.size() != kFiles) Fail("the driver added " + std::to_string(each.size()) + " rows:\n" + r.Out + r.Err);
        rows.Add(Mean(each, kFiles - 100, kFiles), Mean(each, 0, 100));
        return r;
    };
    auto peer = [&] {
        TempFolder scratch("peer", root.path());
        ProcessRun sum;
        for (const std::string& f : names)
        {
            const ProcessRun r =
                RunProcess({"ffprobe", "-v", "error", "-show_format", "-show_streams", f}, scratch.path(), scratch.path());
            if (r.Out.find("[STREAM]") == std::string::npos) Fail("ffprobe found no stream in " + f);
            sum.Wall += r.Wall;
            sum.Cpu += r.Cpu;
        }
        return sum;
    };
    RunPairs([&](int, bool oursFirst) {
        ProcessRun a, b;
        if (oursFirst)
        {
            a = ours();
            b = peer();
        }
        else
        {
            b = peer();
            a = ours();
        }
        wall.Add(a.Wall, b.Wall);
        cpu.Add(a.Cpu, b.Cpu);
        return std::max(a.Wall, b.Wall);
    });
    rows.Print("ms", 1e3);
    wall.Print();
    cpu.Print();
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
