// Conversions that leave processors free: one file, and two files on two
// workers, by our conversion component against Debian's ffmpeg with its
// default threads, for each case of bench_cases.h (mpeg4 + mp3 in AVI, libx264
// + aac in MP4). The source, 10 s of 720p25 H.264 with FLAC stereo, is made by
// ffmpeg in this run's temporary folder, checked with ffprobe and copied twice.
//   ours: quorvel_bench_driver tasks CASE N . IN..., one process that loads
//         our libraries and converts the N files on N workers, each task's
//         codecs on its share of the processors;
//   peer: ffmpeg -i IN <the same settings> OUT with its default threads (as
//         a user types it); for two files two such processes side by side
//         (xargs -P 2).
// Both sides are timed as whole processes, from spawn to exit (start-up,
// loading libraries, opening the files, converting, closing); each run writes
// into a fresh folder; the sides alternate (which goes first alternates too).
// Figures, medians of the per-pair ratios ours/peer: wall time (the goals),
// CPU time (xargs's includes its ffmpeg children), and the outputs' total size;
// and each side's CPU efficiency, its CPU time over wall time x processors.
// With several threads libx264 does not write the same bytes as on one (on
// either side: frame threads), and mpeg4 encodes in slices, so the outputs
// are compared by their streams and size, not byte for byte.
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/bench_cases.h"

using namespace bench;

namespace
{
void Figures(const ConversionCase& c, int files, const fs::path& root, const std::vector<std::string>& sources,
             const fs::path& list)
{
    const std::string name = c.Name;
    const std::string tag = files == 1 ? "one_file_" : "two_files_on_2_";
    const std::string peerName = files == 1 ? "ffmpeg" : "2 x ffmpeg";
    Pairs whole(tag + "whole_job_" + name, files == 1 ? 1.05 : 1.0, "ours", peerName),
        cpu(tag + "whole_job_cpu_" + name, 0, "ours", peerName),
        size(tag + "output_size_" + name, 0, "ours", peerName);
    Efficiency efficiency(tag + name, "ours", peerName);

    std::vector<std::string> ours = {DriverPath(), "tasks", name, std::to_string(files), "."};
    ours.insert(ours.end(), sources.begin(), sources.begin() + files);
    const std::string ext = std::string(".") + c.Ext;
    std::vector<std::string> peer;
    if (files == 1)
        peer = FfmpegArgs(sources[0], c.FfmpegArgs, "out0" + ext, false);
    else
    {
        peer = {"xargs", "-a", list.string(), "-P", "2", "-I{}"};
        const std::vector<std::string> ff = FfmpegArgs((root / "in{}.mkv").string(), c.FfmpegArgs, "out{}" + ext, false);
        peer.insert(peer.end(), ff.begin(), ff.end());
    }
    const std::string expected = c.Ext == std::string("avi") ? "mpeg4\nmp3\n" : "h264\naac\n";
    // The outputs' total size; the first pair's are checked with ffprobe.
    auto outputs = [&](const fs::path& dir, bool check) {
        double bytes = 0;
        for (int i = 0; i < files; ++i)
        {
            const fs::path out = dir / ("out" + std::to_string(i) + ext);
            if (!fs::exists(out) || fs::file_size(out) < 100000) Fail("missing or short output " + out.string());
            if (check) CheckSource(out.string(), "stream=codec_name", expected, dir);
            bytes += double(fs::file_size(out));
        }
        return bytes;
    };
    auto run = [&](const std::vector<std::string>& argv, bool check, double& bytes) {
        TempFolder dir("run", root);
        ProcessRun r = RunProcess(argv, dir.path(), dir.path());
        bytes = outputs(dir.path(), check);
        return r;
    };
    RunPairs([&](int i, bool oursFirst) {
        ProcessRun o, p;
        double ob = 0, pb = 0;
        if (oursFirst)
        {
            o = run(ours, i == 0, ob);
            p = run(peer, i == 0, pb);
        }
        else
        {
            p = run(peer, i == 0, pb);
            o = run(ours, i == 0, ob);
        }
        whole.Add(o.Wall, p.Wall);
        cpu.Add(o.Cpu, p.Cpu);
        size.Add(ob, pb);
        efficiency.Add(o, p);
        return std::max(o.Wall, p.Wall);
    });
    whole.Print();
    cpu.Print();
    size.Print("MB", 1e-6);
    efficiency.Print();
}
}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("threads");
    const std::vector<std::string> sources = MakeBatchSources(root.path(), 10, 2);
    {
        std::ofstream list(root.path() / "list.txt");
        list << "0\n1\n";
    }
    for (const ConversionCase& c : ConversionCases())
        for (int files : {1, 2}) Figures(c, files, root.path(), sources, root.path() / "list.txt");
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
