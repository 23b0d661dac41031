// Listing a big folder: the file pane of our open dialog, and the open dialog
// itself, against `ls -l` of the same folder. The folder is made in this run's
// temporary folder: 20,000 empty files with video names and 20 subfolders.
//   ours, list:   quorvel_bench_driver shell-list DIR, a process that loads our
//                 libraries, puts the skinned shell list view (report view) in
//                 a form on the headless desktop, lists DIR in it and paints
//                 it, then clicks the size column's header once;
//   ours, dialog: quorvel_bench_driver open-dialog DIR, a process that runs
//                 the open dialog on DIR until it is shown and painted, then
//                 chooses the second filter entry and closes it;
//   peer:         ls -l DIR, its output to a file (it reads the folder and
//                 stats every entry, as our pane does).
// A pair runs each side once, the side that goes first alternating; every run
// is a fresh process in a fresh folder. The figures are medians of per-pair
// ratios of whole processes (spawn to exit). The driver's own timers are
// printed beside them, with the goals they have: the pane's listing (from
// making it to the end of its first paint) under 0.5 s and the dialog shown
// (from Execute to the end of its first paint) under 1 s; the header sort and
// the filter change are printed without a goal.
#include <cstdio>
#include <string>

#include "bench/bench_util.h"

using namespace bench;

namespace
{
constexpr int kFiles = 20000;

void MakeFolder(const fs::path& dir)
{
    fs::create_directories(dir);
    const char* ext[] = {".mp4", ".mkv", ".avi", ".mts", ".mp3"};
    for (int i = 0; i < kFiles; ++i)
    {
        char name[64];
        std::snprintf(name, sizeof name, "clip %05d%s", i, ext[i % 5]);
        std::ofstream(dir / name) << std::string(std::size_t(i % 97), 'x');
    }
    for (int i = 0; i < 20; ++i) fs::create_directories(dir / ("folder " + std::to_string(i)));
}

void Row(const char* figure, const std::vector<double>& v, double goal)
{
    char g[48] = "no goal";
    if (goal > 0) std::snprintf(g, sizeof g, "goal < %.1f s", goal);
    std::printf("  %s: %.3f s median (min %.3f, max %.3f, %zu runs; %s)\n", figure, Median(v),
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()), v.size(), g);
}
}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("shell");
    const fs::path dir = root.path() / "big folder";
    MakeFolder(dir);

    for (const char* job : {"shell-list", "open-dialog"})
    {
        const bool list = std::string(job) == "shell-list";
        Pairs whole(list ? "shell_list_20000_vs_ls_whole_job" : "open_dialog_20000_vs_ls_whole_job", 0, "ours",
                    "ls -l");
        std::vector<double> work, extra;
        RunPairs([&](int, bool oursFirst) {
            double ours = 0, peer = 0;
            auto runOurs = [&] {
                TempFolder run("run", root.path());
                const ProcessRun r = RunProcess({DriverPath(), job, dir.string()}, run.path(), run.path());
                ours = r.Wall;
                work.push_back(DriverWorkSeconds(r.Out));
                const std::vector<double> e = Values(r.Out, list ? "sort" : "filter");
                if (!e.empty()) extra.push_back(e.back());
            };
            auto runPeer = [&] {
                TempFolder run("run", root.path());
                peer = RunProcess({"ls", "-l", dir.string()}, run.path(), run.path()).Wall;
            };
            if (oursFirst)
            {
                runOurs();
                runPeer();
            }
            else
            {
                runPeer();
                runOurs();
            }
            whole.Add(ours, peer);
            return std::max(ours, peer);
        });
        whole.Print("ms", 1e3);
        Row(list ? "pane lists 20,000 files (work)" : "dialog shown on 20,000 files (work)", work, list ? 0.5 : 1.0);
        if (!extra.empty()) Row(list ? "header sort by size" : "filter change", extra, 0);
    }
    std::printf("%s\n", LoadLine().c_str());
    return 0;
}
