// One conversion by our engine against Debian's ffmpeg, same codecs and
// settings, for each case of bench_cases.h (mpeg4 + mp3 in AVI, libx264 + aac
// in MP4). The source, 8 s of 720p25 H.264 with FLAC stereo, is made by ffmpeg
// in this run's temporary folder and checked with ffprobe.
//   ours: quorvel_bench_driver convert CASE IN OUT, a process that loads our
//         libraries and converts with the engine;
//   peer: ffmpeg -threads 1 -i IN <the same settings> -threads 1 OUT, with
//         -benchmark so it reports its own time.
// Each run is a fresh process writing into a fresh folder; the two sides
// alternate (which goes first alternates too). From the same runs, two forms:
//   whole job: each process from spawn to exit (start-up, loading libraries,
//              opening the files, converting, closing), wall and CPU time;
//   work only: both from after the input and output were opened (which
//              ffmpeg does before its own -benchmark rtime starts) to the end
//              of the conversion: ffmpeg's rtime, and ours timed by the driver
//              around the engine's conversion run.
// Each figure is the median of the per-pair ratios ours/peer.
#include <cstdio>
#include <string>

#include "bench/bench_cases.h"

using namespace bench;

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("engine");
    const std::string src = root / "source720p.mkv";
    MakeSource(8, src, root.path());

    for (const ConversionCase& c : ConversionCases())
    {
        const std::string name = c.Name;
        Pairs whole("one_conversion_whole_job_" + name, 1.0, "ours", "ffmpeg"),
            cpu("one_conversion_whole_job_cpu_" + name, 0, "ours", "ffmpeg"),
            work("one_conversion_work_only_" + name, 1.0, "ours", "ffmpeg");
        const std::string outName = std::string("out.") + c.Ext;
        // Checks the first output of each side: the streams of the case.
        const std::string expected =
            c.Ext == std::string("avi") ? "mpeg4\nmp3\n" : "h264\naac\n";
        auto runOurs = [&](bool check) {
            TempFolder run("run", root.path());
            ProcessRun r = RunProcess({DriverPath(), "convert", name, src, run / outName}, run.path(), run.path());
            if (check) CheckSource(run / outName, "stream=codec_name", expected, run.path());
            return std::make_pair(r, DriverWorkSeconds(r.Out));
        };
        auto runPeer = [&](bool check) {
            TempFolder run("run", root.path());
            ProcessRun r = RunProcess(FfmpegArgs(src, c.FfmpegArgs, run / outName), run.path(), run.path());
            const std::vector<double> rtime = PeerWorkSeconds(r.Err);
            if (rtime.size() != 1) Fail("ffmpeg did not report its time:\n" + r.Err);
            if (check) CheckSource(run / outName, "stream=codec_name", expected, run.path());
            return std::make_pair(r, rtime[0]);
        };
        RunPairs([&](int i, bool oursFirst) {
            std::pair<ProcessRun, double> o, p;
            if (oursFirst)
            {
                o = runOurs(i == 0);
                p = runPeer(i == 0);
            }
            else
            {
                p = runPeer(i == 0);
                o = runOurs(i == 0);
            }
            whole.Add(o.first.Wall, p.first.Wall);
            cpu.Add(o.first.Cpu, p.first.Cpu);
            work.Add(o.second, p.second);
            return std::max(o.first.Wall, p.first.Wall);
        });
        whole.Print();
        cpu.Print();
        work.Print();
    }
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
