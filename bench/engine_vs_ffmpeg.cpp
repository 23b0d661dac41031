// Wall time of one conversion by our engine against Debian's ffmpeg -threads 1
// with the same codecs and settings, on a 720p source this program makes.
// The two are alternated; each figure is the median of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLoader.h"

namespace fs = std::filesystem;

namespace {

struct Case
{
    const char* name;
    const char* ext;
    std::vector<std::pair<std::string, std::string>> opts;
    const char* ffargs;
};

double RunOurs(const std::string& in, const std::string& out, const Case& c)
{
    fs::remove(out);
    auto t0 = std::chrono::steady_clock::now();
    TCustomFFmpeg e(2);
    e.Fverbose = -1;
    if (!e.OpenInputFile(in)) {
        std::fprintf(stderr, "open failed: %s\n", e.LastErrMsg().c_str());
        std::exit(1);
    }
    for (auto& o : c.opts)
        e.ParseOption(o.first, o.second);
    if (e.OpenOutputFile(out) < 0) {
        std::fprintf(stderr, "output failed: %s\n", e.LastErrMsg().c_str());
        std::exit(1);
    }
    e.StartConvert(false);
    auto t1 = std::chrono::steady_clock::now();
    if (e.FatalException() || !e.Finished()) {
        std::fprintf(stderr, "conversion failed: %s\n", e.FatalMessage().c_str());
        std::exit(1);
    }
    return Seconds(t0, t1);
}

double RunFfmpeg(const std::string& in, const std::string& out, const Case& c)
{
    fs::remove(out);
    std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -threads 1 -i '" + in + "' " + c.ffargs +
                      " -threads 1 '" + out + "'";
    auto t0 = std::chrono::steady_clock::now();
    if (!Shell(cmd)) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", cmd.c_str());
        std::exit(1);
    }
    return Seconds(t0, std::chrono::steady_clock::now());
}

}  // namespace

int main()
{
    if (!GlobalLoader().Load(ConverterLibraries)) {
        std::fprintf(stderr, "%s\n", GlobalLoader().LastErrMsg().c_str());
        return 1;
    }
    fs::path dir = fs::temp_directory_path() / "quorvel-bench-engine";
    fs::create_directories(dir);
    std::string src = (dir / "source720p.mkv").string();
    if (!fs::exists(src) &&
        !Shell("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=25:duration=8 "
               "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=8 -ac 2 -c:v libx264 -preset veryfast "
               "-crf 18 -pix_fmt yuv420p -c:a flac '" + src + "'")) {
        std::fprintf(stderr, "cannot make the source\n");
        return 1;
    }
    const Case cases[] = {
        {"mpeg4_mp3_avi", "avi",
         {{"vcodec", "mpeg4"}, {"b", "2000000"}, {"acodec", "libmp3lame"}, {"ab", "128000"}, {"ar", "44100"}, {"ac", "2"}},
         "-c:v mpeg4 -b:v 2000k -c:a libmp3lame -b:a 128k -ar 44100 -ac 2"},
        {"libx264_aac_mp4", "mp4",
         {{"vcodec", "libx264"}, {"b", "2000000"}, {"acodec", "aac"}, {"ab", "128000"}, {"ar", "48000"}},
         "-c:v libx264 -b:v 2000k -c:a aac -b:a 128k -ar 48000"},
    };
    // QUORVEL_BENCH_ONLY=ours|ffmpeg runs one side once per case (for profiling)
    const char* only = std::getenv("QUORVEL_BENCH_ONLY");
    if (only) {
        const char* which = std::getenv("QUORVEL_BENCH_CASE");
        for (const Case& c : cases) {
            if (which && std::string(which) != c.name)
                continue;
            std::string out = (dir / (std::string("only.") + c.ext)).string();
            double t = std::string(only) == "ffmpeg" ? RunFfmpeg(src, out, c) : RunOurs(src, out, c);
            std::printf("%s %s %.3f s\n", c.name, only, t);
        }
        return 0;
    }
    const int runs = 5;
    double worst = 0;
    for (const Case& c : cases) {
        std::vector<double> ours, theirs;
        std::string outOurs = (dir / (std::string("ours.") + c.ext)).string();
        std::string outTheirs = (dir / (std::string("ffmpeg.") + c.ext)).string();
        for (int i = 0; i < runs; i++) {
            ours.push_back(RunOurs(src, outOurs, c));
            theirs.push_back(RunFfmpeg(src, outTheirs, c));
        }
        double o = Median(ours), t = Median(theirs);
        std::printf("%s ours %.3f s ffmpeg %.3f s ratio %.3f\n", c.name, o, t, o / t);
        std::fflush(stdout);
        worst = std::max(worst, o / t);
    }
    std::printf("ratio %.3f\n", worst);
    return 0;
}
