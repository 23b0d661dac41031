// Probing a media file: our probe against Debian's ffprobe, on the test
// fixtures clip.avi, clip.mp4, clip.ts, multi.mkv, tone.mp3 and "中文 视频.mp4"
// (made by scripts/make_fixtures.sh in this run's temporary folder and checked
// with ffprobe).
//   ours: quorvel_bench_driver probe FILE, a process that loads our libraries
//         and probes the file (open, stream information, information text,
//         close);
//   peer: ffprobe -v error -show_format -show_streams FILE, its output to a
//         file, with the peer timer (bench/peer_timer/) preloaded.
// A pair probes every file once by each side, the side that goes first
// alternating; every run is a fresh process in a fresh folder. Two forms, each
// summed over the files, medians of per-pair ratios:
//   whole job: each process from spawn to exit;
//   work only: ours from after loading the libraries to the end of the probe
//              (the driver's own timer); ffprobe's from its first opening of
//              an input to its exit (the preloaded timer), so its printing and
//              clean-up count and its start-up does not.
// Probing many files in one process is bench/probe_many.
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/bench_util.h"

using namespace bench;

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("probe");
    MakeProbeFixtures(root.path());

    Pairs whole("probe_whole_job", 0, "ours", "ffprobe"), work("probe_work_only", 0, "ours", "ffprobe");
    RunPairs([&](int i, bool) {
        double oursWall = 0, oursWork = 0, peerWall = 0, peerWork = 0, longest = 0;
        for (size_t k = 0; k < ProbeFixtures().size(); ++k)
        {
            const std::string file = (root.path() / ProbeFixtures()[k].first).string();
            auto ours = [&] {
                TempFolder dir("run", root.path());
                const ProcessRun r = RunProcess({DriverPath(), "probe", file}, dir.path(), dir.path());
                oursWall += r.Wall;
                oursWork += DriverWorkSeconds(r.Out);
                longest = std::max(longest, r.Wall);
            };
            auto peer = [&] {
                TempFolder dir("run", root.path());
                const ProcessRun r = RunProcess({"ffprobe", "-v", "error", "-show_format", "-show_streams", file},
                                                dir.path(), dir.path(), {PeerTimerPreload()});
                peerWall += r.Wall;
                peerWork += DriverWorkSeconds(r.Err);
                longest = std::max(longest, r.Wall);
            };
            if ((i + k) % 2 == 0)
            {
                ours();
                peer();
            }
            else
            {
                peer();
                ours();
            }
        }
        whole.Add(oursWall, peerWall);
        work.Add(oursWork, peerWork);
        return longest;
    });
    whole.Print("ms", 1e3);
    work.Print("ms", 1e3);
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
