// What the playback benchmarks share: a 20 s 1080p25 H.264 + AAC source made
// by ffmpeg (and checked with ffprobe) in a temporary folder, then our side
// (a driver process playing it to its end in real time, reporting "gap=")
// against ffmpeg -re -i IN -f null -, both as whole processes: CPU time
// (user + system, spawn to exit, from wait4) per pair, the median ratio;
// wall times too; and the largest picture/audio clock gap of our runs.
#pragma once
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"

namespace bench {

inline int PlaybackVsRealtimeFfmpeg(const std::string& name,
                                     const std::function<std::vector<std::string>(const std::string& src)>& ours)
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root(name);
    const std::string src = root / "source1080p.mp4";
    RunProcess({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "testsrc2=size=1920x1080:rate=25:duration=20", "-f", "lavfi", "-i",
                "sine=frequency=440:sample_rate=48000:duration=20", "-ac", "2", "-c:v", "libx264", "-preset",
                "veryfast", "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac", src},
               root.path(), root.path());
    CheckSource(src, "stream=codec_name,width,height,r_frame_rate,channels", "h264,1920,1080,25/1\naac,2,0/0\n",
                root.path());

    Pairs cpu(name + "_cpu_vs_ffmpeg_realtime_decode", 1.3, "ours", "ffmpeg"),
        wall(name + "_wall_vs_ffmpeg_realtime_decode", 0, "ours", "ffmpeg");
    std::vector<double> gaps;
    auto runOurs = [&] {
        TempFolder run("run", root.path());
        ProcessRun r = RunProcess(ours(src), run.path(), run.path());
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

}  // namespace bench
