// The jobs the benchmarks give both sides: the sources (how they are made and
// what ffprobe must say about them) and each conversion's settings, once as
// our options and once as the same ffmpeg arguments.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_util.h"

namespace bench
{
// One conversion of the single-conversion benchmark.
struct ConversionCase
{
    const char* Name;
    const char* Ext;
    std::vector<std::pair<std::string, std::string>> Options;  // engine options, in order
    std::vector<std::string> FfmpegArgs;                      // between the input and the output
};

inline const std::vector<ConversionCase>& ConversionCases()
{
    static const std::vector<ConversionCase> cases = {
        {"mpeg4_mp3_avi",
         "avi",
         {{"vcodec", "mpeg4"}, {"b", "2000000"}, {"acodec", "libmp3lame"}, {"ab", "128000"}, {"ar", "44100"}, {"ac", "2"}},
         {"-c:v", "mpeg4", "-b:v", "2000k", "-c:a", "libmp3lame", "-b:a", "128k", "-ar", "44100", "-ac", "2"}},
        {"libx264_aac_mp4",
         "mp4",
         {{"vcodec", "libx264"}, {"b", "2000000"}, {"acodec", "aac"}, {"ab", "128000"}, {"ar", "48000"}},
         {"-c:v", "libx264", "-b:v", "2000k", "-c:a", "aac", "-b:a", "128k", "-ar", "48000"}},
    };
    return cases;
}

inline const ConversionCase* FindConversionCase(const std::string& name)
{
    for (const ConversionCase& c : ConversionCases())
        if (name == c.Name) return &c;
    return nullptr;
}

// The batch's settings (mpeg4 + mp3 in AVI), as our record fields and as ffmpeg arguments.
inline const std::vector<std::string>& BatchFfmpegArgs()
{
    static const std::vector<std::string> args = {"-c:v", "mpeg4", "-b:v", "2000k", "-c:a", "libmp3lame",
                                                  "-b:a", "128k", "-ar", "44100", "-ac", "2"};
    return args;
}

// A 720p25 H.264 + FLAC stereo 48 kHz source of `seconds` seconds, made by
// ffmpeg from its test patterns, and what ffprobe -count_packets says of it
// (SourceEntries, as bench::CheckSource takes them).
inline std::vector<std::string> MakeSourceArgs(int seconds, const std::string& out)
{
    const std::string d = std::to_string(seconds);
    return {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=1280x720:rate=25:duration=" + d, "-f", "lavfi", "-i",
            "sine=frequency=440:sample_rate=48000:duration=" + d, "-ac", "2", "-c:v", "libx264", "-preset",
            "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", "-c:a", "flac", out};
}

inline const char* const SourceEntries =
    "stream=codec_name,width,height,r_frame_rate,sample_rate,channels,nb_read_packets";

inline std::string ExpectedSource(int seconds)
{
    // FLAC packs 4608 samples a frame: 48000 * seconds / 4608 packets, rounded up.
    const int audio = (48000 * seconds + 4607) / 4608;
    return "h264,1280,720,25/1," + std::to_string(25 * seconds) + "\nflac,48000,2,0/0," + std::to_string(audio) +
           "\n";
}
// Makes that source at `out` and checks it.
inline void MakeSource(int seconds, const std::string& out, const fs::path& scratch)
{
    RunProcess(MakeSourceArgs(seconds, out), scratch, scratch);
    CheckSource(out, SourceEntries, ExpectedSource(seconds), scratch);
}

// A batch's inputs: a source of `seconds` made and checked in `dir`, copied to
// in0.mkv ... in<count-1>.mkv there; their paths.
inline std::vector<std::string> MakeBatchSources(const fs::path& dir, int seconds, int count)
{
    const std::string src = (dir / "source.mkv").string();
    MakeSource(seconds, src, dir);
    std::vector<std::string> ins;
    for (int i = 0; i < count; ++i)
    {
        ins.push_back((dir / ("in" + std::to_string(i) + ".mkv")).string());
        fs::copy_file(src, ins.back());
    }
    return ins;
}

// The peer's command for one conversion: Debian's ffmpeg on one thread (or,
// without oneThread, with its default threads: as many as the codecs take on
// this machine), which prints its own -benchmark figures (rtime=, maxrss=) at
// log level info.
inline std::vector<std::string> FfmpegArgs(const std::string& in, const std::vector<std::string>& settings,
                                           const std::string& out, bool oneThread = true)
{
    std::vector<std::string> a = {"ffmpeg", "-nostdin", "-hide_banner", "-nostats", "-loglevel", "info",
                                  "-benchmark", "-y"};
    if (oneThread) a.insert(a.end(), {"-threads", "1"});
    a.insert(a.end(), {"-i", in});
    a.insert(a.end(), settings.begin(), settings.end());
    if (oneThread) a.insert(a.end(), {"-threads", "1"});
    a.push_back(out);
    return a;
}
}  // namespace bench
