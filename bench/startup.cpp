// The program's start-up: from the process's start to the main window's first
// complete paint, against the floor of our own stack, a form of our layer
// with one label, on a virtual X display (Xvfb) with a window manager
// (openbox), both started by this benchmark for the whole run.
//   ours: quorvel_bench_driver window program, a process that makes the
//         program's windows as its start-up does (settings file in a fresh
//         folder: the first start) and shows the main window;
//   peer: quorvel_bench_driver window label, the same program (the same
//         libraries to load) showing a form with one label.
// The timer covers the same for both: from just before the process is
// spawned to the moment it reports its window painted (shown, active, and no
// message left to serve), on the monotonic clock both share; what the
// process does after that (its clean-up and exit) does not count. 7 pairs,
// alternating, each in a fresh folder; the figure is the median of the
// per-pair ratios, printed with both sides' medians. Two figures: the usual
// start (each side started once untimed in its folder before, so the
// program finds its settings file) and the first start (a fresh folder: the
// program writes every default, each write flushed to disk).
// Then the shown main window is left alone for 10 s: its CPU time over that
// time, as a share of one core (goal: under 1 %, no busy timers).
#include <cstdio>
#include <string>

#include "bench/bench_util.h"

using namespace bench;

namespace {

// Seconds from spawning the driver to its window's first complete paint.
double StartToPaint(const std::string& which, const fs::path& parent, const std::string& display, bool usual)
{
    TempFolder dir("start", parent);
    if (usual) RunProcess({DriverPath(), "window", which}, dir.path(), dir.path(), {"DISPLAY=" + display});
    const double spawned = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    const ProcessRun r = RunProcess({DriverPath(), "window", which}, dir.path(), dir.path(), {"DISPLAY=" + display});
    const std::vector<double> painted = Values(r.Out, "painted");
    if (painted.empty()) Fail("no paint reported:\n" + r.Out + r.Err);
    return painted.front() - spawned;
}

}  // namespace

int main()
{
    std::printf("%s\n", LoadLine().c_str());
    TempFolder root("startup");
    const VirtualDisplay x;
    const std::string display = x.Name();

    for (const bool usual : {true, false})
    {
        Pairs figure(usual ? "startup_to_first_paint_vs_minimal_window" : "first_startup_to_first_paint_vs_minimal_window",
                     usual ? 1.5 : 0, "main window", "one label");
        RunPairs([&](int, bool oursFirst) {
            double ours = 0, peer = 0;
            if (oursFirst)
            {
                ours = StartToPaint("program", root.path(), display, usual);
                peer = StartToPaint("label", root.path(), display, usual);
            }
            else
            {
                peer = StartToPaint("label", root.path(), display, usual);
                ours = StartToPaint("program", root.path(), display, usual);
            }
            figure.Add(ours, peer);
            return std::max(ours, peer);
        });
        figure.Print();
    }

    // The shown main window, left alone.
    {
        TempFolder dir("idle", root.path());
        const ProcessRun r =
            RunProcess({DriverPath(), "window", "program", "idle"}, dir.path(), dir.path(), {"DISPLAY=" + display});
        const std::vector<double> cpu = Values(r.Out, "idle_cpu");
        if (cpu.empty()) Fail("no idle time reported:\n" + r.Out + r.Err);
        std::printf("  main window idle: %.4f s of CPU time in 10 s\n", cpu.front());
        std::printf("ratio main_window_idle_cpu_share %.4f  (min %.4f, max %.4f, 1 run; goal <= 0.01)\n",
                    cpu.front() / 10, cpu.front() / 10, cpu.front() / 10);
    }
    return 0;
}
