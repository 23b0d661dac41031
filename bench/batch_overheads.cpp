// What live preview and the custom hook cost: the same batch with and without
// them, both by our conversion component (there is no outside peer).
// The batch: eight copies of a 4 s 720p25 H.264 + FLAC source (made by ffmpeg
// in this run's temporary folder, checked with ffprobe) converted to mpeg4 + mp3
// in AVI on eight workers by quorvel_bench_driver batch 8 MODE, a fresh process
// writing into a fresh folder, with MODE
//   plain:        the reference;
//   preview:      live preview on (the preview window on the headless desktop);
//   hook-option:  every output asks for the custom hook, no handler is set;
//   hook-handler: the same with an empty handler.
// One round runs the four in rotating order; there are 7 rounds however long
// a run takes (the source is short so that they fit). Each figure is the median over
// the rounds of MODE / plain of the same round, in two forms: wall time by the
// driver's own timer, from after loading the libraries to the end of the batch
// (both sides load the same libraries, so the whole-process form would only
// add the same constant to both); and the CPU time of the whole process (on a
// busy machine the steadier of the two, but blind to time spent waiting on a
// lock).
#include <cstdio>
#include <string>

#include "bench/bench_cases.h"

using namespace bench;

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("overheads");
    const std::vector<std::string> ins = MakeBatchSources(root.path(), 4, 8);
    const char* const modes[] = {"plain", "preview", "hook-option", "hook-handler"};
    const char* const names[] = {"batch_preview_on_vs_off", "batch_hook_option_without_handler_vs_without",
                                 "batch_empty_hook_handler_vs_without"};
    const double goals[] = {1.03, 1.01, 1.15};
    std::vector<Pairs> wall, cpu;
    for (int f = 0; f < 3; ++f)
    {
        wall.emplace_back(names[f], goals[f], modes[f + 1], "plain");
        cpu.emplace_back(std::string(names[f]) + "_cpu", 0, modes[f + 1], "plain");
    }
    auto run = [&](const char* mode) {
        TempFolder dir("run", root.path());
        std::vector<std::string> args = {DriverPath(), "batch", "8", mode, "."};
        args.insert(args.end(), ins.begin(), ins.end());
        const ProcessRun r = RunProcess(args, dir.path(), dir.path());
        for (int i = 0; i < 8; ++i)
            if (!fs::exists(dir.path() / ("out" + std::to_string(i) + ".avi"))) Fail(std::string("no output in ") + mode);
        return std::make_pair(DriverWorkSeconds(r.Out), r.Cpu);
    };
    RunPairs([&](int round, bool) {
        std::pair<double, double> t[4];
        for (int step = 0; step < 4; ++step)
        {
            const int m = (round + step) % 4;
            t[m] = run(modes[m]);
        }
        for (size_t f = 0; f < 3; ++f)
        {
            wall[f].Add(t[f + 1].first, t[0].first);
            cpu[f].Add(t[f + 1].second, t[0].second);
        }
        return std::max({t[0].first, t[1].first, t[2].first, t[3].first});
    }, 7);
    for (size_t f = 0; f < 3; ++f)
    {
        wall[f].Print();
        cpu[f].Print();
    }
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
