// The preview panel of the program playing a file against Debian's ffmpeg
// decoding it in real time. The source, 20 s of 1080p25 H.264 with AAC
// stereo, is made by ffmpeg in this run's temporary folder and checked with
// ffprobe.
//   ours: quorvel_bench_driver preview IN, a process that makes the
//         program's windows on the headless desktop, adds IN as a job (probed
//         by the conversion libraries, as the program does), which opens it
//         paused in the preview panel Panel6 (200 x 124), and plays it to its
//         end with "播放" (every picture decoded, scaled into the panel and
//         shown; the sound decoded, resampled and mixed for SDL's dummy driver);
//   peer: ffmpeg -re -i IN -f null -, which decodes both streams of the same
//         file at its real-time rate.
// Both sides run in real time, so the figure that tells them apart is the
// CPU time of each whole process (user + system, from spawn to exit, start-up
// and library loading included on both sides), from wait4. The wall times
// are printed too. Each run is a fresh process in a fresh folder; the sides
// alternate and so does which goes first. The figure is the median of the
// per-pair ratios ours/peer. Our driver also reports the largest gap seen
// between a picture shown and the audio clock.
#include "bench/playback_vs_ffmpeg.h"

int main()
{
    return bench::PlaybackVsRealtimeFfmpeg("preview", [](const std::string& src) {
        return std::vector<std::string>{bench::DriverPath(), "preview", src};
    });
}
