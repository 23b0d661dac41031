// A batch of eight files converted on eight threads by the conversion
// component, against Debian's ffmpeg run eight at a time by xargs -P8 with
// -threads 1 and the same settings; and the time Stop(True) takes to end a
// running batch of eight. The sides are alternated; figures are medians.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_util.h"
#include "Src/FFConverter.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/MainThread.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 8;

TOutputOptions Settings()
{
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.VideoBitrate = 2000000;
    o.AudioCodec = "libmp3lame";
    o.AudioBitrate = 128000;
    o.AudioSampleRate = 44100;
    o.AudioChannels = 2;
    return o;
}
const char* const kFfmpegArgs = "-c:v mpeg4 -b:v 2000k -c:a libmp3lame -b:a 128k -ar 44100 -ac 2";

void WaitFor(const std::atomic<bool>& flag)
{
    while (!flag)
        CheckSynchronize(2);
}

// Fills a component with the batch; exits on failure.
void AddBatch(TFFConverter& c, const std::vector<std::string>& ins, const fs::path& outDir)
{
    for (int i = 0; i < kFiles; i++) {
        fs::path out = outDir / ("ours" + std::to_string(i) + ".avi");
        fs::remove(out);
        int t = c.AddTask(ins[size_t(i)]);
        TOutputOptions o = Settings();
        if (t < 0 || !c.SetOutputFile(t, out.string(), &o)) {
            std::fprintf(stderr, "task failed: %s\n", c.LastErrMsg().c_str());
            std::exit(1);
        }
    }
}

double RunOurs(const std::vector<std::string>& ins, const fs::path& outDir)
{
    TFFConverter c;
    c.SetVerbose(-1);
    std::atomic<bool> done{false};
    std::atomic<int> failed{0};
    c.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex < 0)
            done = true;
        else if (!info.Finished)
            failed++;
    };
    auto t0 = std::chrono::steady_clock::now();
    AddBatch(c, ins, outDir);
    auto tAdded = std::chrono::steady_clock::now();
    c.Start(kFiles);
    WaitFor(done);
    auto t1 = std::chrono::steady_clock::now();
    std::printf("  (adding the tasks %.3f s)\n", Seconds(t0, tAdded));
    if (failed) {
        std::fprintf(stderr, "%d conversions failed\n", failed.load());
        std::exit(1);
    }
    return Seconds(t0, t1);
}

double RunFfmpeg(const fs::path& listFile)
{
    std::string cmd = "xargs -P8 -L1 sh -c 'ffmpeg -nostdin -hide_banner -loglevel error -y -threads 1 -i \"$0\" " +
                      std::string(kFfmpegArgs) + " -threads 1 \"$1\"' < '" + listFile.string() + "'";
    auto t0 = std::chrono::steady_clock::now();
    if (!Shell(cmd)) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", cmd.c_str());
        std::exit(1);
    }
    return Seconds(t0, std::chrono::steady_clock::now());
}

// Milliseconds from Stop(True) on a batch whose tasks all run to the return
// of the call, by which time every task and the end of the batch are reported.
double StopLatency(const std::vector<std::string>& ins, const fs::path& outDir)
{
    TFFConverter c;
    c.SetVerbose(-1);
    c.SetProgressInterval(100);
    std::atomic<int> reported{0};
    std::atomic<bool> done{false};
    std::vector<std::atomic<bool>> seen(kFiles);
    c.OnProgress = [&](TObject*, PProgressInfo p) {
        if (p->TaskIndex >= 0 && p->TaskIndex < kFiles && !seen[size_t(p->TaskIndex)].exchange(true))
            reported++;
    };
    c.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex < 0)
            done = true;
    };
    AddBatch(c, ins, outDir);
    c.Start(kFiles);
    while (reported < kFiles && !done)
        CheckSynchronize(2);
    auto t0 = std::chrono::steady_clock::now();
    c.Stop(true);
    auto t1 = std::chrono::steady_clock::now();
    if (!done) {
        std::fprintf(stderr, "the end of the batch was not reported when Stop returned\n");
        std::exit(1);
    }
    return Seconds(t0, t1) * 1000.0;
}

}  // namespace

int main()
{
    if (!GlobalLoader().Load(ConverterLibraries)) {
        std::fprintf(stderr, "%s\n", GlobalLoader().LastErrMsg().c_str());
        return 1;
    }
    GetFFLogger()->SetLogLevel(llQuiet);
    fs::path dir = fs::temp_directory_path() / "quorvel-bench-batch";
    fs::create_directories(dir);
    std::vector<std::string> ins;
    fs::path listFile = dir / "list.txt";
    {
        std::ofstream list(listFile);
        for (int i = 0; i < kFiles; i++) {
            fs::path src = dir / ("source" + std::to_string(i) + ".mkv");
            if (!fs::exists(src) &&
                !Shell("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25:"
                       "duration=10 -f lavfi -i sine=frequency=" + std::to_string(300 + 50 * i) +
                       ":sample_rate=48000:duration=10 -ac 2 -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p "
                       "-c:a flac '" + src.string() + "'")) {
                std::fprintf(stderr, "cannot make the sources\n");
                return 1;
            }
            ins.push_back(src.string());
            list << src.string() << " " << (dir / ("ffmpeg" + std::to_string(i) + ".avi")).string() << "\n";
        }
    }
    const int runs = 5;
    std::vector<double> ours, theirs, stops;
    for (int i = 0; i < runs; i++) {
        ours.push_back(RunOurs(ins, dir));
        theirs.push_back(RunFfmpeg(listFile));
        std::printf("run %d ours %.3f s ffmpeg %.3f s\n", i + 1, ours.back(), theirs.back());
        std::fflush(stdout);
    }
    for (int i = 0; i < 5; i++)
        stops.push_back(StopLatency(ins, dir));
    double o = Median(ours), t = Median(theirs);
    std::printf("batch of %d on %d threads: ours %.3f s ffmpeg (xargs -P8) %.3f s\n", kFiles, kFiles, o, t);
    std::printf("stop_ms %.1f\n", Median(stops));
    std::printf("ratio %.3f\n", o / t);
    return 0;
}
