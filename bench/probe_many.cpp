// Probing many files in one process against probing one file, both by our
// probe (open, stream information, information text, close).
//
// The files: the test fixtures clip.avi, clip.mp4, clip.ts, multi.mkv and
// tone.mp3 (checked with ffprobe), copied into this run's own temporary
// folder and named by absolute path, in two sets of 500:
//   mixed: 100 copies of each of the five, the kinds interleaved;
//   mp4:   500 copies of clip.mp4 (H.264 + AAC, what a folder of phone videos holds).
// Every run is the benchmark driver in a fresh process, timed by the driver
// from after loading the libraries:
//   many:   probes one set of 500, timed from the first to the last probe
//           (the one-time set-up of each codec falls inside this timer);
//   single: probes the five originals untimed (paying that set-up outside
//           the timer), then one copy of each kind, each timed on its own.
// A pair is one many-run of each set and one single-run, in rotating order.
// "500 x best single probe" is, per set, the sum over its 500 files of the
// fastest single probe of the file's kind seen in the whole run; each pair's
// ratio is its many-time over that. Two forms: wall time (what the goal is
// stated in; on a busy machine the many-run, a second long, cannot dodge
// waiting for a core as the best of short single probes does) and the
// process's CPU time (the same work, with that waiting left out). The mean
// probe time of the first and the last hundred probes is printed too: a
// probe's cost should not depend on how many came before it.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "bench/bench_util.h"

using namespace bench;

namespace
{
constexpr int kKinds = 5;
constexpr size_t kFiles = 500;
constexpr int kMp4 = 1;  // clip.mp4 among the fixtures

struct Set
{
    const char* Name;
    std::vector<int> Kinds;  // of every file, in order
    std::vector<std::string> Args;
    std::vector<double> Times, Cpu, First100, Last100;
};

double Sum(const std::vector<double>& v, size_t from, size_t to)
{
    double s = 0;
    for (size_t i = from; i < to; ++i) s += v[i];
    return s;
}
}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("probe-many");
    const fs::path fixtures = root.path() / "fixtures", files = root.path() / "files";
    fs::create_directories(fixtures);
    fs::create_directories(files);
    MakeProbeFixtures(fixtures);

    std::vector<std::string> originals;
    for (int k = 0; k < kKinds; ++k) originals.push_back((fixtures / ProbeFixtures()[size_t(k)].first).string());
    auto copy = [&](int k, const std::string& prefix) {
        const fs::path p = files / (prefix + "-" + ProbeFixtures()[size_t(k)].first);
        fs::copy_file(originals[size_t(k)], p);
        return p.string();
    };

    Set sets[2] = {{"mixed", {}, {}, {}, {}, {}, {}}, {"mp4", {}, {}, {}, {}, {}, {}}};
    for (Set& s : sets) s.Args = {DriverPath(), "probe", "-each"};
    for (size_t i = 0; i < kFiles; ++i)
    {
        const int k = int(i % kKinds);
        sets[0].Kinds.push_back(k);
        sets[0].Args.push_back(copy(k, "mixed" + std::to_string(i)));
        sets[1].Kinds.push_back(kMp4);
        sets[1].Args.push_back(copy(kMp4, "mp4" + std::to_string(i)));
    }
    std::vector<std::string> singleArgs = {DriverPath(), "probe", "-each"};
    for (const std::string& o : originals)
    {
        singleArgs.push_back("-warm");
        singleArgs.push_back(o);
    }
    for (int k = 0; k < kKinds; ++k) singleArgs.push_back(copy(k, "single"));

    std::vector<double> best(kKinds, std::numeric_limits<double>::max()), bestCpu = best;
    auto runMany = [&](Set& s) {
        TempFolder scratch("run", root.path());
        const ProcessRun r = RunProcess(s.Args, scratch.path(), scratch.path());
        const std::vector<double> each = Values(r.Out, "probe"), cpu = Values(r.Out, "cpu");
        if (each.size() != kFiles || cpu.size() != kFiles) Fail("the driver did not report every probe");
        s.Times.push_back(DriverWorkSeconds(r.Out));
        s.Cpu.push_back(Sum(cpu, 0, kFiles));
        s.First100.push_back(Sum(each, 0, 100) / 100);
        s.Last100.push_back(Sum(each, kFiles - 100, kFiles) / 100);
        return r.Wall;
    };
    auto runSingles = [&] {
        TempFolder scratch("run", root.path());
        const ProcessRun r = RunProcess(singleArgs, scratch.path(), scratch.path());
        const std::vector<double> each = Values(r.Out, "probe"), cpu = Values(r.Out, "cpu");
        if (each.size() != kKinds || cpu.size() != kKinds) Fail("the driver did not report every probe");
        for (size_t k = 0; k < kKinds; ++k)
        {
            best[k] = std::min(best[k], each[k]);
            bestCpu[k] = std::min(bestCpu[k], cpu[k]);
        }
        return r.Wall;
    };
    RunPairs([&](int i, bool) {
        double longest = 0;
        for (int step = 0; step < 3; ++step)
        {
            const int which = (i + step) % 3;
            longest = std::max(longest, which == 2 ? runSingles() : runMany(sets[which]));
        }
        return longest;
    });

    for (size_t k = 0; k < kKinds; ++k)
        std::printf("  best single probe of %-10s %.3f ms wall, %.3f ms CPU\n", ProbeFixtures()[k].first.c_str(),
                    best[k] * 1e3, bestCpu[k] * 1e3);
    for (const Set& s : sets)
    {
        double baseline = 0, baselineCpu = 0;
        for (int k : s.Kinds)
        {
            baseline += best[size_t(k)];
            baselineCpu += bestCpu[size_t(k)];
        }
        std::printf("  %s: mean probe of the first 100 %.3f ms, of the last 100 %.3f ms (medians over the runs)\n",
                    s.Name, Median(s.First100) * 1e3, Median(s.Last100) * 1e3);
        const std::string figure = std::string("probes_500_") + s.Name + "_vs_500x_best_single";
        Pairs wall(figure, 1.3, "500 probes", "500 x best single");
        Pairs cpu(figure + "_cpu", 1.3, "500 probes", "500 x best single");
        for (size_t i = 0; i < s.Times.size(); ++i)
        {
            wall.Add(s.Times[i], baseline);
            cpu.Add(s.Cpu[i], baselineCpu);
        }
        wall.Print();
        cpu.Print();
    }
    return 0;
}
