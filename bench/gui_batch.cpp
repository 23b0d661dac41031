// A batch of eight files on eight threads started through the program's main
// window, against the same batch through the conversion component alone and
// against Debian's ffmpeg run eight at a time by xargs -P8, one thread each;
// all with the same settings (mpeg4 + mp3 in AVI), on a virtual X display
// (Xvfb) with a window manager (openbox), both started by this benchmark for
// the whole run. The source, 60 s of 720p25 H.264 with FLAC stereo, is made
// by ffmpeg once per run in its temporary folder, checked with ffprobe and
// copied eight times: long enough that the figures measure the batch (about
// 10 s of CPU time per file for either side) rather than the program's
// start-up, its adding of the files and its quitting (about 0.3 s together).
//   program:   quorvel_bench_driver gui-batch 8 MODE ..., the program as its
//              start-up runs it on the display (its windows, its message
//              loop): the eight files added as jobs, the rows set to the
//              batch's settings, 8 threads and no after-batch action in the
//              options window, "开始" clicked; it quits at the batch's end;
//   component: quorvel_bench_driver batch 8 MODE ..., one process that loads
//              our libraries and converts the eight files on 8 threads;
//   peer:      xargs -P8 -I{} ffmpeg -threads 1 ... over the numbers 0 to 7.
// The timer covers whole processes on every side alike: from spawn to exit,
// so the program is charged with its windows, its adding of the files and
// its clean-up, the component with its library load and the peer with its
// eight process starts; the same runs' CPU time (user + system, xargs's with
// its ffmpeg children) is printed beside, without a goal: steadier than the
// wall time on a shared machine, but blind to waiting. Each run writes into
// a fresh folder, every output checked; the sides alternate (which goes first
// alternates too); figures are medians of per-pair ratios: 7 pairs, or 5
// when a run takes over 10 s (a whole run then takes about five minutes on a
// quiet machine).
// Both sides do the same work: the same decoders and encoders with one thread
// each and the same settings; the video streams of the two sides' outputs are
// byte for byte the same, which the run checks (the audio differs in the
// resampler's rounding only).
// MODE is plain (live preview off) and preview (on; the peer has no preview,
// so only the program against the component).
// Also the GUI thread's share of the program's CPU time from the click on
// "开始" to the batch's end, as the driver measures it (thread and process
// CPU clocks), median of the runs; and, without a goal, where the program's
// extra time goes: its wall time from that click to the end against the
// component's own "work" (from after its library load to the end: its tasks
// made, each input probed, and the batch), the same pairs.
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/bench_cases.h"

using namespace bench;

namespace
{
constexpr int kFiles = 8;
constexpr int kSeconds = 60;

void CheckOutputs(const fs::path& dir, const fs::path& scratch, bool probe)
{
    for (int i = 0; i < kFiles; ++i)
    {
        const fs::path out = dir / ("out" + std::to_string(i) + ".avi");
        if (!fs::exists(out) || fs::file_size(out) < 100000) Fail("missing or short output " + out.string());
    }
    // One output of the run: the settings' codecs and the source's picture.
    if (probe)
        CheckSource((dir / "out0.avi").string(), "stream=codec_name,width,height,sample_rate,channels",
                    "mpeg4,1280,720\nmp3,44100,2\n", scratch);
}
// The MD5 of a file's video stream as stored (no decoding).
std::string VideoStreamMd5(const fs::path& file, const fs::path& scratch)
{
    return RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", file.string(), "-map", "0:v", "-c", "copy", "-f",
                       "md5", "-"},
                      scratch, scratch)
        .Out;
}
} // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("gui-batch");
    const std::vector<std::string> ins = MakeBatchSources(root.path(), kSeconds, kFiles);
    {
        std::ofstream list(root.path() / "list.txt");
        for (int i = 0; i < kFiles; ++i)
            list << i << "\n";
    }
    const VirtualDisplay display;
    const std::string n = std::to_string(kFiles);
    std::vector<std::string> peer = {"xargs", "-a", (root.path() / "list.txt").string(), "-P", n, "-I{}"};
    const std::vector<std::string> ff =
        FfmpegArgs((root.path() / "in{}.mkv").string(), BatchFfmpegArgs(), "out{}.avi");
    peer.insert(peer.end(), ff.begin(), ff.end());

    for (const std::string mode : {"plain", "preview"})
    {
        const bool plain = mode == "plain";
        const std::string suffix = plain ? "" : "_preview";
        Pairs component("gui_batch_vs_component" + suffix, 1.03, "program", "component"),
            inner("gui_batch_click_to_end_vs_component_work" + suffix, 0, "program", "component"),
            ffmpeg("gui_batch_vs_xargs_ffmpeg", 0.8, "program", "xargs + ffmpeg"),
            componentCpu("gui_batch_vs_component_cpu" + suffix, 0, "program", "component"),
            ffmpegCpu("gui_batch_vs_xargs_ffmpeg_cpu", 0, "program", "xargs + ffmpeg");
        std::vector<double> guiShare;
        std::string programVideo, peerVideo;  // out0.avi's video stream, last run of each
        double programBatch = 0, componentWork = 0;
        auto program = [&]
        {
            TempFolder run("program", root.path());
            std::vector<std::string> argv = {DriverPath(), "gui-batch", n, mode, run.path().string()};
            argv.insert(argv.end(), ins.begin(), ins.end());
            const ProcessRun r = RunProcess(argv, run.path(), run.path());
            CheckOutputs(run.path(), run.path(), true);
            programVideo = VideoStreamMd5(run.path() / "out0.avi", run.path());
            const std::vector<double> gui = Values(r.Out, "gui_cpu"), cpu = Values(r.Out, "batch_cpu"),
                                      batch = Values(r.Out, "batch");
            if (gui.empty() || cpu.empty() || batch.empty() || cpu.front() <= 0)
                Fail("no batch times reported:\n" + r.Out + r.Err);
            guiShare.push_back(gui.front() / cpu.front());
            programBatch = batch.front();
            return r;
        };
        auto alone = [&]
        {
            TempFolder run("component", root.path());
            std::vector<std::string> argv = {DriverPath(), "batch", n, mode, "."};
            argv.insert(argv.end(), ins.begin(), ins.end());
            const ProcessRun r = RunProcess(argv, run.path(), run.path());
            CheckOutputs(run.path(), run.path(), false);
            componentWork = DriverWorkSeconds(r.Out);
            return r;
        };
        auto xargs = [&]
        {
            TempFolder run("peer", root.path());
            const ProcessRun r = RunProcess(peer, run.path(), run.path());
            CheckOutputs(run.path(), run.path(), false);
            peerVideo = VideoStreamMd5(run.path() / "out0.avi", run.path());
            return r;
        };
        RunPairs(
            [&](int, bool programFirst)
            {
                ProcessRun p, c, x;
                if (programFirst)
                {
                    p = program();
                    c = alone();
                    if (plain) x = xargs();
                }
                else
                {
                    if (plain) x = xargs();
                    c = alone();
                    p = program();
                }
                component.Add(p.Wall, c.Wall);
                componentCpu.Add(p.Cpu, c.Cpu);
                inner.Add(programBatch, componentWork);
                if (plain)
                {
                    ffmpeg.Add(p.Wall, x.Wall);
                    ffmpegCpu.Add(p.Cpu, x.Cpu);
                }
                return std::max({p.Wall, c.Wall, x.Wall});
            },
            5);
        // the same work on both sides: the same encoder with the same settings
        if (plain && programVideo != peerVideo)
            Fail("the program's and ffmpeg's video streams differ: " + programVideo + " against " + peerVideo);
        std::printf("live preview %s:\n", plain ? "off" : "on");
        component.Print();
        componentCpu.Print();
        if (plain)
        {
            ffmpeg.Print();
            ffmpegCpu.Print();
        }
        inner.Print();
        const double share = Median(guiShare);
        std::printf("  GUI thread: %.2f %% of the program's CPU time during the batch (median of %zu runs)\n",
                    share * 100, guiShare.size());
        std::printf("ratio gui_thread_cpu_share%s %.4f  (min %.4f, max %.4f, %zu runs; goal <= 0.02)\n",
                    suffix.c_str(), share, *std::min_element(guiShare.begin(), guiShare.end()),
                    *std::max_element(guiShare.begin(), guiShare.end()), guiShare.size());
        std::fflush(stdout);
    }
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
