// The preview player playing a file against Debian's ffmpeg decoding it in
// real time. The source, 20 s of 1080p25 H.264 with AAC stereo, is made by
// ffmpeg in this run's temporary folder and checked with ffprobe.
//   ours: quorvel_bench_driver play IN 480 270, a process that loads our
//         libraries and plays IN to its end with the preview player into a
//         480 x 270 host panel on the headless desktop (every picture decoded,
//         scaled into the surface and shown; the sound decoded, resampled and
//         mixed for SDL's dummy driver);
//   peer: ffmpeg -re -i IN -f null -, which decodes both streams of the same
//         file at its real-time rate.
// Both sides run in real time, so the figure that tells them apart is the
// CPU time of each whole process (user + system, from spawn to exit, start-up
// and library loading included on both sides), from wait4. The wall times
// are printed too (both near 20 s). Each run is a fresh process in a fresh
// folder; the sides alternate and so does which goes first. The figure is the
// median of the per-pair ratios ours/peer. Our driver also reports the
// largest gap seen between a picture shown and the audio clock.
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/bench_util.h"

using namespace bench;

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("player");
    const std::string src = root / "source1080p.mp4";
    RunProcess({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "testsrc2=size=1920x1080:rate=25:duration=20", "-f", "lavfi", "-i",
                "sine=frequency=440:sample_rate=48000:duration=20", "-ac", "2", "-c:v", "libx264", "-preset",
                "veryfast", "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac", src},
               root.path(), root.path());
    CheckSource(src, "stream=codec_name,width,height,r_frame_rate,channels", "h264,1920,1080,25/1\naac,2,0/0\n",
                root.path());

    Pairs cpu("player_cpu_vs_ffmpeg_realtime_decode", 1.3, "ours", "ffmpeg"),
        wall("player_wall_vs_ffmpeg_realtime_decode", 0, "ours", "ffmpeg");
    std::vector<double> gaps;
    auto runOurs = [&] {
        TempFolder run("run", root.path());
        ProcessRun r = RunProcess({DriverPath(), "play", src, "480", "270"}, run.path(), run.path());
        const std::vector<double> gap = Values(r.Out, "gap");
        if (gap.empty()) Fail("the driver reported no clock gap:\n" + r.Out);
        gaps.push_back(gap.back());
        return r;
    };
    auto runPeer = [&] {
        TempFolder run("run", root.path());
        return RunProcess({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-re", "-i", src, "-f", "null",
                           "-"},
                          run.path(), run.path());
    };
    RunPairs([&](int, bool oursFirst) {
        ProcessRun o, p;
        if (oursFirst)
        {
            o = runOurs();
            p = runPeer();
        }
        else
        {
            p = runPeer();
            o = runOurs();
        }
        cpu.Add(o.Cpu, p.Cpu);
        wall.Add(o.Wall, p.Wall);
        return std::max(o.Wall, p.Wall);
    });
    cpu.Print();
    wall.Print();
    std::printf("  largest picture/audio clock gap: median %.1f ms, max %.1f ms over %zu runs (goal < 40 ms)\n",
                Median(gaps) * 1000, *std::max_element(gaps.begin(), gaps.end()) * 1000, gaps.size());
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
