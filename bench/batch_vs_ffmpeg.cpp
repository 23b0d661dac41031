// A batch of eight conversions on N workers: our conversion component against
// Debian's ffmpeg run N at a time by xargs -P N, one thread each, with the same
// settings (mpeg4 + mp3 in AVI). Usage: bench_batch_vs_ffmpeg [N]; without N it
// prints the curve for 1, 2, 4 and 8 workers.
// The source, 10 s of 720p25 H.264 with FLAC stereo, is made by ffmpeg in this
// run's temporary folder, checked with ffprobe and copied eight times.
//   ours: quorvel_bench_driver batch N plain ..., one process that loads our
//         libraries once and converts the eight files on N threads;
//   peer: xargs -P N -I{} ffmpeg -benchmark -threads 1 -i in{}.mkv ... -threads 1
//         out{}.avi over the numbers 0 to 7: eight ffmpeg processes, N at a time.
// Each run is fresh processes writing into a fresh folder; the sides alternate
// (which goes first alternates too). Figures, medians of per-pair ratios:
//   whole job: wall time from spawn to exit of our process and of xargs, so
//              ours includes our one library load and the peer its eight
//              process starts; and the CPU time of the same (xargs's includes
//              its ffmpeg children);
//   peak memory (8 workers): our process's peak resident size against the
//              sum of the eight ffmpeg processes' own -benchmark maxrss;
// and each side's CPU efficiency: its CPU time over wall time x processors.
// Our tasks' codecs share the processors out: on 8 workers each has one
// thread (as the peer's), on fewer workers more.
// There is no work-only form: the peer's process starts overlap its work.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench_cases.h"

using namespace bench;

namespace
{
constexpr int kFiles = 8;

void Curve(int workers, const fs::path& root, const std::vector<std::string>& ins, const fs::path& list)
{
    const std::string n = std::to_string(workers);
    const char* const peerName = "xargs + ffmpeg";
    Pairs whole("batch_of_8_on_" + n + "_whole_job", workers == 8 ? 0.8 : 0, "ours", peerName),
        cpu("batch_of_8_on_" + n + "_whole_job_cpu", 0, "ours", peerName),
        memory("batch_of_8_on_" + n + "_peak_memory", 0.5, "ours", "sum of the ffmpeg processes");
    Efficiency efficiency("batch_of_8_on_" + n, "ours", peerName);
    std::vector<std::string> ours = {DriverPath(), "batch", n, "plain", "."};
    ours.insert(ours.end(), ins.begin(), ins.end());
    std::vector<std::string> peer = {"xargs", "-a", list.string(), "-P", n, "-I{}"};
    const std::vector<std::string> ff =
        FfmpegArgs((root / "in{}.mkv").string(), BatchFfmpegArgs(), "out{}.avi");
    peer.insert(peer.end(), ff.begin(), ff.end());

    auto check = [](const fs::path& dir) {
        for (int i = 0; i < kFiles; ++i)
        {
            const fs::path out = dir / ("out" + std::to_string(i) + ".avi");
            if (!fs::exists(out) || fs::file_size(out) < 100000) Fail("missing or short output " + out.string());
        }
    };
    auto runOurs = [&] {
        TempFolder run("run", root);
        ProcessRun r = RunProcess(ours, run.path(), run.path());
        check(run.path());
        return r;
    };
    auto runPeer = [&](double& rssSumKb) {
        TempFolder run("run", root);
        ProcessRun r = RunProcess(peer, run.path(), run.path());
        check(run.path());
        const std::vector<double> rss = PeerMaxRssKb(r.Err);
        if (rss.size() != kFiles) Fail("ffmpeg did not report its memory eight times:\n" + r.Err);
        rssSumKb = 0;
        for (double v : rss) rssSumKb += v;
        return r;
    };
    RunPairs([&](int, bool oursFirst) {
        ProcessRun o, p;
        double rss = 0;
        if (oursFirst)
        {
            o = runOurs();
            p = runPeer(rss);
        }
        else
        {
            p = runPeer(rss);
            o = runOurs();
        }
        whole.Add(o.Wall, p.Wall);
        cpu.Add(o.Cpu, p.Cpu);
        memory.Add(double(o.MaxRssKb), rss);
        efficiency.Add(o, p);
        return std::max(o.Wall, p.Wall);
    });
    whole.Print();
    cpu.Print();
    efficiency.Print();
    if (workers == 8) memory.Print("MiB", 1.0 / 1024);
}
}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> curve = {1, 2, 4, 8};
    if (argc > 1)
    {
        const int n = std::atoi(argv[1]);
        if (n < 1 || n > 64) Fail("usage: bench_batch_vs_ffmpeg [WORKERS]");
        curve = {n};
    }
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("batch");
    const std::vector<std::string> ins = MakeBatchSources(root.path(), 10, kFiles);
    {
        std::ofstream list(root.path() / "list.txt");
        for (int i = 0; i < kFiles; ++i) list << i << "\n";
    }
    for (int n : curve) Curve(n, root.path(), ins, root.path() / "list.txt");
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
