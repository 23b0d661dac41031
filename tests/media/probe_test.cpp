// Media probe: file information against ffprobe on the fixtures, the bad
// files, frame times and key flags against ffprobe -show_frames, seeking and
// pictures against ffmpeg's own frames.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Src/AVProbe.h"
#include "common/unprivileged.h"
#include "Src/FFmpegLogger.h"
#include "platform/gui/Graphics.h"

namespace fs = std::filesystem;

namespace
{
const std::string kFixtures = QUORVEL_FIXTURES_DIR;

}  // namespace

std::string Run(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r"))
    {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

namespace
{
std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// ffprobe's flat output as key -> value (quotes removed).
std::map<std::string, std::string> FFprobe(const std::string& file)
{
    std::map<std::string, std::string> m;
    std::istringstream in(Run("ffprobe -v error -show_format -show_streams -show_programs -of flat " + Quote(file)));
    std::string line;
    while (std::getline(in, line))
    {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string v = line.substr(eq + 1);
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        m[line.substr(0, eq)] = v;
    }
    return m;
}

std::int64_t Micro(const std::string& seconds) { return std::llround(std::stod(seconds) * 1e6); }

class Probe : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
        GetFFLogger()->SetLogLevel(llQuiet);
    }
};

const char* kFiles[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv", "tone.mp3",
                        "clip with spaces.avi", "中文 视频.mp4", "a:b.avi"};
}

TEST_F(Probe, FileInformationMatchesFFprobe)
{
    for (const char* name : kFiles)
    {
        SCOPED_TRACE(name);
        const std::string path = kFixtures + "/" + name;
        auto ref = FFprobe(path);
        ASSERT_FALSE(ref.empty());
        TAVProbe p;
        ASSERT_TRUE(p.LoadFile(path)) << p.LastErrMsg();
        EXPECT_EQ(p.FileName(), path);
        EXPECT_EQ(p.FormatName(), ref["format.format_name"]);
        EXPECT_EQ(p.FormatLongName(), ref["format.format_long_name"]);
        EXPECT_EQ(p.FileSize(), std::stoll(ref["format.size"]));
        const TFileStreamInfo fi = p.FileStreamInfo();
        EXPECT_NEAR(double(fi.Duration), double(Micro(ref["format.duration"])), 1.0);
        EXPECT_NEAR(double(fi.StartTime), double(Micro(ref["format.start_time"])), 1.0);
        EXPECT_EQ(fi.BitRate, std::stoi(ref["format.bit_rate"]));
        ASSERT_EQ(p.StreamCount(), std::stoi(ref["format.nb_streams"]));
        EXPECT_EQ(p.ProgramCount(), std::stoi(ref["format.nb_programs"]));

        int counts[3] = {0, 0, 0};
        for (int i = 0; i < p.StreamCount(); ++i)
        {
            SCOPED_TRACE(i);
            const std::string k = "streams.stream." + std::to_string(i) + ".";
            const std::string type = ref[k + "codec_type"];
            EXPECT_EQ(p.IsVideoStream(i), type == "video");
            EXPECT_EQ(p.IsAudioStream(i), type == "audio");
            EXPECT_EQ(p.IsSubtitleStream(i), type == "subtitle");
            auto longNameOf = [](const std::string& desc) {
                const auto a = desc.find('('), b = desc.rfind(')');
                return a == std::string::npos ? desc : desc.substr(a + 1, b - a - 1);
            };
            const std::string lang = ref.count(k + "tags.language") ? ref[k + "tags.language"] : "";
            if (type == "video")
            {
                if (counts[0]++ == 0) { EXPECT_EQ(p.FirstVideoStreamIndex(), i); }
                const TVideoStreamInfo v = p.GetVideoStreamInfo(i);
                EXPECT_EQ(longNameOf(v.CodecName), ref[k + "codec_long_name"]);
                EXPECT_EQ(v.Width, std::stoi(ref[k + "width"]));
                EXPECT_EQ(v.Height, std::stoi(ref[k + "height"]));
                EXPECT_STREQ(ff::av_get_pix_fmt_name(AVPixelFormat(v.PixFmt)), ref[k + "pix_fmt"].c_str());
                EXPECT_EQ(std::to_string(v.FrameRate.num) + "/" + std::to_string(v.FrameRate.den), ref[k + "r_frame_rate"]);
                const std::string dar = ref[k + "display_aspect_ratio"];
                if (!dar.empty() && dar != "N/A")
                {
                    const auto c = dar.find(':');
                    EXPECT_NEAR(v.AspectRatio, std::stod(dar.substr(0, c)) / std::stod(dar.substr(c + 1)), 1e-3);
                }
                EXPECT_EQ(v.Language, lang);
                EXPECT_NEAR(double(v.StartTimeScaled), double(Micro(ref[k + "start_time"])), 1.0);
            }
            else if (type == "audio")
            {
                if (counts[1]++ == 0) { EXPECT_EQ(p.FirstAudioStreamIndex(), i); }
                const TAudioStreamInfo a = p.GetAudioStreamInfo(i);
                EXPECT_EQ(longNameOf(a.CodecName), ref[k + "codec_long_name"]);
                EXPECT_EQ(a.SampleRate, std::stoi(ref[k + "sample_rate"]));
                EXPECT_EQ(a.Channels, std::stoi(ref[k + "channels"]));
                EXPECT_STREQ(ff::av_get_sample_fmt_name(AVSampleFormat(a.SampleFormat)), ref[k + "sample_fmt"].c_str());
                if (ref[k + "bit_rate"] != "N/A") { EXPECT_EQ(a.BitRate, std::stoi(ref[k + "bit_rate"])); }
                EXPECT_EQ(a.Language, lang);
            }
            else if (type == "subtitle")
            {
                if (counts[2]++ == 0) { EXPECT_EQ(p.FirstSubtitleStreamIndex(), i); }
                const TSubtitleStreamInfo s = p.GetSubtitleStreamInfo(i);
                EXPECT_EQ(longNameOf(s.CodecName), ref[k + "codec_long_name"]);
                EXPECT_EQ(s.Language, lang);
            }
        }
        EXPECT_EQ(p.VideoStreamCount(), counts[0]);
        EXPECT_EQ(p.AudioStreamCount(), counts[1]);
        EXPECT_EQ(p.SubtitleStreamCount(), counts[2]);
    }
}

TEST_F(Probe, MultiStreamCountsAndTags)
{
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(kFixtures + "/multi.mkv"));
    EXPECT_EQ(p.AudioStreamCount(), 2);
    EXPECT_EQ(p.FirstAudioStreamIndex(), 1);
    EXPECT_EQ(p.FirstSubtitleStreamIndex(), 3);
    EXPECT_EQ(p.GetAudioStreamInfo(2).Language, "chi");
    EXPECT_EQ(p.GetAudioStreamInfo(2).SampleRate, 48000);

    ASSERT_TRUE(p.LoadFile(kFixtures + "/tone.mp3"));
    EXPECT_EQ(p.FirstVideoStreamIndex(), -1);
    EXPECT_EQ(p.FirstSubtitleStreamIndex(), -1);
    const TFileStreamInfo fi = p.FileStreamInfo();
    EXPECT_EQ(fi.Title, "Sine Song");
    EXPECT_EQ(fi.Author, "Test Artist");
    EXPECT_EQ(fi.Album, "Test Album");
    EXPECT_EQ(fi.Year, 2009);
    EXPECT_EQ(fi.Track, 7);
    EXPECT_EQ(fi.TimeStamp, -1);
    EXPECT_EQ(fi.Genre, "");
}

TEST_F(Probe, InformationText)
{
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(kFixtures + "/tone.mp3"));
    const std::string mp3 = p.FileInfoText();
    EXPECT_EQ(mp3.rfind("File Name: " + kFixtures + "/tone.mp3\r\nFormat Name: mp3\r\n", 0), 0u) << mp3;
    EXPECT_NE(mp3.find("\r\nDuration: 00:00:02.0"), std::string::npos) << mp3;
    EXPECT_NE(mp3.find("\r\nStartTime: 0.025057\r\nBit Rate: 65 kb/s\r\n"), std::string::npos) << mp3;
    EXPECT_NE(mp3.find("\r\nMetadata:\r\n  title           : Sine Song\r\n"), std::string::npos) << mp3;
    EXPECT_NE(mp3.find("\r\nStream #0, 1/14112000: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s, StartTime: "
                       "0.025057, Duration: 00:00:02.037\r\n"),
              std::string::npos)
        << mp3;
    EXPECT_EQ(mp3.substr(mp3.size() - 2), "\r\n");

    ASSERT_TRUE(p.LoadFile(kFixtures + "/clip.ts"));
    const std::string ts = p.FileInfoText();
    EXPECT_NE(ts.find("\r\nStartTime: 1.429089\r\nBit Rate: 512 kb/s\r\n"), std::string::npos) << ts;
    const auto prog = ts.find("\r\nProgram 1 FFmpeg@Service01\r\n");
    ASSERT_NE(prog, std::string::npos) << ts;
    const auto s0 = ts.find("Stream #0[0x100], 1/90000: Video: mpeg2video (Main)");
    ASSERT_NE(s0, std::string::npos) << ts;
    EXPECT_GT(s0, prog);
    EXPECT_EQ(ts.find("Stream #0", s0 + 1), std::string::npos) << "listed twice:\n" << ts;
    EXPECT_NE(ts.find(", 25 fps, 25 tbr, 90k tbn, StartTime: 1.440000, Duration: 00:00:02.000"), std::string::npos) << ts;

    ASSERT_TRUE(p.LoadFile(kFixtures + "/multi.mkv"));
    const std::string mkv = p.FileInfoText();
    // A stream whose metadata holds more than its language gets a block.
    EXPECT_NE(mkv.find("\r\nStream #2(chi), 1/1000: Audio: aac (LC), 48000 Hz, mono, fltp, StartTime: 0.002000"),
              std::string::npos)
        << mkv;
    EXPECT_NE(mkv.find("\r\n  Metadata:\r\n    ENCODER         : Lavc"), std::string::npos) << mkv;
}

TEST_F(Probe, FrameIdNames)
{
    EXPECT_EQ(FrameIdToName("TIT2"), "title");
    EXPECT_EQ(FrameIdToName("TYER"), "year");
    EXPECT_EQ(FrameIdToName("TSOT"), "titlesort");
    EXPECT_EQ(FrameIdToName("tit2"), "tit2");
    EXPECT_EQ(FrameIdToName("comment"), "comment");
}

TEST_F(Probe, BadFilesFailWithAClearMessage)
{
    const fs::path dir = fs::temp_directory_path() / ("quorvel_probe_" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
    const std::string fifo = (dir / "pipe.avi").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string locked = (dir / "locked.avi").string();
    fs::copy_file(kFixtures + "/clip.avi", locked);
    fs::permissions(locked, fs::perms::none);

    const struct { std::string file; std::string error; } cases[] = {
        {kFixtures + "/missing.avi", kFixtures + "/missing.avi: No such file or directory"},
        {kFixtures + "/truncated.mp4", kFixtures + "/truncated.mp4: Invalid data found when processing input"},
        {kFixtures + "/empty.avi", kFixtures + "/empty.avi: Invalid data found when processing input"},
        {kFixtures + "/text.avi", kFixtures + "/text.avi: Invalid data found when processing input"},
        {dir.string(), dir.string() + ": Is a directory"},
        {fifo, fifo + ": Not a regular file"},
        {(dir / "gone:here.avi").string(), (dir / "gone:here.avi").string() + ": No such file or directory"},
    };
    std::vector<std::string> logged;
    GetFFLogger()->SetLogLevel(llError);
    GetFFLogger()->SetTriggerEventInMainThread(false);
    GetFFLogger()->SetOnLog([&](TObject*, std::uint32_t, TLogLevel l, const std::string& m) {
        if (l == llError) logged.push_back(m);
    });
    for (const auto& c : cases)
    {
        TAVProbe p;
        EXPECT_FALSE(p.LoadFile(c.file)) << c.file;
        EXPECT_EQ(p.LastErrMsg(), c.error);
        EXPECT_EQ(p.FileHandle(), nullptr);
        EXPECT_EQ(p.StreamCount(), -1);
        EXPECT_FALSE(logged.empty() || logged.back() != c.error) << c.file;
    }
    // Root reads every file: the unreadable case runs as an unprivileged user.
    EXPECT_EQ(AsUnprivilegedUser(locked, [&] {
                  TAVProbe p;
                  return !p.LoadFile(locked) && p.LastErrMsg() == locked + ": Permission denied" ? 0 : 1;
              }),
              0);
    GetFFLogger()->SetOnLog(nullptr);
    GetFFLogger()->SetLogLevel(llQuiet);

    TAVProbe p;
    EXPECT_FALSE(p.LoadFile(kFixtures + "/clip.avi", "nosuchformat"));
    EXPECT_EQ(p.LastErrMsg(), "Unknown input format: nosuchformat");
    ASSERT_TRUE(p.LoadFile(kFixtures + "/clip.avi", "avi"));
    EXPECT_EQ(p.ForceFormat(), "avi");
    fs::permissions(locked, fs::perms::owner_all);
    fs::remove_all(dir);
}

TEST_F(Probe, GettersWithoutAFileOrWithBadIndexes)
{
    TAVProbe p;
    EXPECT_EQ(p.FileSize(), -1);
    EXPECT_EQ(p.StreamCount(), -1);
    EXPECT_EQ(p.FirstVideoStreamIndex(), -1);
    EXPECT_EQ(p.FileStreamInfo().Duration, -1);
    EXPECT_EQ(p.LastErrMsg(), "file not loaded.");
    EXPECT_EQ(p.FileInfoText(), "");
    EXPECT_FALSE(p.IsVideoStream(0));
    EXPECT_FALSE(p.Decode());
    EXPECT_EQ(p.Position(), -1);
    EXPECT_EQ(p.LastErrMsg(), "file not loaded.");

    ASSERT_TRUE(p.LoadFile(kFixtures + "/clip.avi"));
    EXPECT_FALSE(p.IsVideoStream(-1));
    EXPECT_EQ(p.LastErrMsg(), "stream index #-1 is invalid.");
    EXPECT_EQ(p.GetAudioStreamInfo(0).SampleRate, -1);
    EXPECT_EQ(p.LastErrMsg(), "stream #0 is not audio stream.");
    EXPECT_EQ(p.GetVideoStreamInfo(7).Width, -1);
    EXPECT_EQ(p.LastErrMsg(), "stream index #7 is invalid.");
    EXPECT_EQ(p.GetSubtitleStreamInfo(-1).CodecName, "");
    EXPECT_EQ(p.LastErrMsg(), "no subtitle stream.");
    EXPECT_FALSE(p.Decode(1));
    EXPECT_EQ(p.LastErrMsg(), "stream #1 is not video stream.");
    p.CloseFile();
    EXPECT_EQ(p.StreamCount(), -1);
}

TEST_F(Probe, ForeignContextsAreShownButNeverSeekedOrClosed)
{
    AVFormatContext* s = nullptr;
    ASSERT_EQ(ff::avformat_open_input(&s, (kFixtures + "/clip.mp4").c_str(), nullptr, nullptr), 0);
    ASSERT_GE(ff::avformat_find_stream_info(s, nullptr), 0);
    {
        TAVProbe p;
        p.SetFileHandle(s);
        EXPECT_EQ(p.StreamCount(), 2);
        EXPECT_EQ(p.FormatName(), "mov,mp4,m4a,3gp,3g2,mj2");
        try
        {
            p.Seek(0);
            ADD_FAILURE() << "seek on a foreign context";
        }
        catch (const Exception& e)
        {
            EXPECT_STREQ(e.what(), "file cannot be seeked, handle is readonly.");
        }
        p.CloseFile();
        EXPECT_EQ(p.FileHandle(), nullptr);
    }
    EXPECT_EQ(s->nb_streams, 2u);  // still open
    ff::avformat_close_input(&s);
}

TEST_F(Probe, LoadingWithoutLibrariesRaises)
{
    TAVProbe p;
    GlobalLoader().Unload(avCodec);
    try
    {
        p.LoadFile(kFixtures + "/clip.avi");
        ADD_FAILURE() << "no exception";
    }
    catch (const Exception& e)
    {
        EXPECT_STREQ(e.what(), "LibAVCodec not loaded.");
    }
    EXPECT_FALSE(p.AVLibLoaded());
    EXPECT_TRUE(p.LoadAVLib(""));
    EXPECT_TRUE(p.AVLibLoaded());
}

namespace
{
struct RefFrame
{
    std::int64_t us;
    bool key;
};

// Every video frame of the first video stream: time from the stream's start and key flag.
std::vector<RefFrame> FFprobeFrames(const std::string& file, std::int64_t streamStartUs)
{
    std::vector<RefFrame> frames;
    std::istringstream in(Run("ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp_time,key_frame "
                              "-of csv=p=0 " + Quote(file)));
    std::string line;
    while (std::getline(in, line))
    {
        const auto c = line.find(',');
        if (c == std::string::npos) continue;
        frames.push_back({Micro(line.substr(c + 1)) - streamStartUs, line.substr(0, c) == "1"});
    }
    return frames;
}

std::vector<std::uint8_t> FFmpegFrameAt(const std::string& file, double seconds)
{
    const std::string raw = (fs::temp_directory_path() / ("quorvel_seek_" + std::to_string(getpid()) + ".raw")).string();
    char ss[32];
    std::snprintf(ss, sizeof ss, "%.3f", seconds);
    Run("ffmpeg -nostdin -v error -y -ss " + std::string(ss) + " -i " + Quote(file) +
        " -frames:v 1 -pix_fmt bgr24 -f rawvideo " + Quote(raw));
    std::ifstream f(raw, std::ios::binary);
    std::vector<std::uint8_t> v((std::istreambuf_iterator<char>(f)), {});
    fs::remove(raw);
    return v;
}

double Psnr(const TBGRBitmap& bmp, const std::vector<std::uint8_t>& want)
{
    double se = 0;
    for (int r = 0; r < bmp.Height; ++r)
        for (int x = 0; x < bmp.Width * 3; ++x)
        {
            const int d = int(bmp.ScanLine(r)[x]) - int(want[std::size_t(r) * bmp.Width * 3 + x]);
            se += d * d;
        }
    const double mse = se / (double(bmp.Width) * bmp.Height * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}
}

TEST_F(Probe, FrameTimesAndKeyFlagsMatchFFprobeToTheLastFrame)
{
    for (const char* name : {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv"})
    {
        SCOPED_TRACE(name);
        const std::string path = kFixtures + "/" + name;
        TAVProbe p;
        ASSERT_TRUE(p.LoadFile(path));
        const TVideoStreamInfo v = p.FirstVideoStreamInfo();
        const auto ref = FFprobeFrames(path, v.StartTimeScaled);
        ASSERT_GT(ref.size(), 10u);
        std::size_t n = 0;
        while (p.Decode())
        {
            ASSERT_LT(n, ref.size());
            EXPECT_NEAR(double(p.FrameInfo().PTS), double(ref[n].us), 1.0) << "frame " << n;
            EXPECT_EQ(p.FrameInfo().IsKeyFrame, ref[n].key) << "frame " << n;
            EXPECT_EQ(p.FrameInfo().Width, v.Width);
            ++n;
        }
        EXPECT_EQ(n, ref.size());  // the decoder was drained: the last frames came out
        EXPECT_TRUE(p.IsEOF());
        EXPECT_EQ(p.LastErrMsg(), "stream eof reached.");
        EXPECT_FALSE(p.Decode());

        // A seek clears the end; APTS 0 (and below) is the first frame, also
        // where the stream starts late (clip.ts starts at 1.44 s).
        ASSERT_TRUE(p.Seek(-5));
        EXPECT_FALSE(p.IsEOF());
        ASSERT_TRUE(p.Decode());
        EXPECT_EQ(p.FrameInfo().PTS, ref[0].us);
        ASSERT_TRUE(p.Decode());
        EXPECT_EQ(p.FrameInfo().PTS, ref[1].us);  // two calls, two consecutive frames
    }
}

TEST_F(Probe, StepsBetweenFrames)
{
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(kFixtures + "/clip.ts"));  // a key frame every 12 frames
    TBGRBitmap bmp;
    bmp.SetSize(3, 3);
    bmp.Bits[0] = 77;
    EXPECT_FALSE(p.CopyToBitmap(bmp));
    EXPECT_EQ(p.LastErrMsg(), "picture not ready, please decode first");
    EXPECT_EQ(bmp.Width, 3);
    EXPECT_EQ(bmp.Bits[0], 77);

    for (int i = 0; i < 20; ++i) ASSERT_TRUE(p.Decode());
    const std::int64_t cur = p.FrameInfo().PTS;
    EXPECT_EQ(cur, 19 * 40000);
    ASSERT_TRUE(p.DecodePreviousFrame());
    EXPECT_EQ(p.FrameInfo().PTS, cur - 40000);

    ASSERT_TRUE(p.DecodePreviousKeyFrame());
    EXPECT_TRUE(p.FrameInfo().IsKeyFrame);
    EXPECT_LT(p.FrameInfo().PTS, cur - 40000);
    const std::int64_t key = p.FrameInfo().PTS;

    ASSERT_TRUE(p.DecodeNextKeyFrame());
    EXPECT_TRUE(p.FrameInfo().IsKeyFrame);
    EXPECT_GT(p.FrameInfo().PTS, key);

    // At the first frame there is no earlier key frame: the search ends.
    ASSERT_TRUE(p.Seek(0));
    ASSERT_TRUE(p.Decode());
    EXPECT_TRUE(p.DecodePreviousKeyFrame());
    EXPECT_EQ(p.FrameInfo().PTS, 0);
    EXPECT_GE(p.Position(), 0);
}

TEST_F(Probe, PictureAfterASeekMatchesFFmpeg)
{
    for (const char* name : {"clip.mp4", "clip.ts", "中文 视频.mp4"})
    {
        SCOPED_TRACE(name);
        const std::string path = kFixtures + "/" + name;
        TAVProbe p;
        ASSERT_TRUE(p.LoadFile(path));
        const std::int64_t at = 1000000;
        // Some demuxers (MPEG-TS) land on the key frame after the byte position
        // found for the time: seek a little earlier and decode forward.
        ASSERT_TRUE(p.Seek(at - 500000, SeekFlag(sfBackward)));
        do
            ASSERT_TRUE(p.Decode());
        while (p.FrameInfo().PTS < at);
        EXPECT_EQ(p.FrameInfo().PTS, at);
        TBGRBitmap bmp;
        ASSERT_TRUE(p.CopyToBitmap(bmp));
        TBitmap gui;  // the class library's bitmap gets the same rows
        ASSERT_TRUE(p.CopyToBitmap(gui));
        EXPECT_EQ(gui.GetPixelFormat(), pf24bit);
        ASSERT_EQ(gui.GetWidth(), bmp.Width);
        ASSERT_EQ(gui.GetHeight(), bmp.Height);
        for (int r = 0; r < bmp.Height; r += 37)
            EXPECT_EQ(0, std::memcmp(gui.ScanLine(r), bmp.ScanLine(r), std::size_t(bmp.Width) * 3)) << r;
        // ffmpeg's -ss counts from the file's start, the probe from the stream's.
        const double fileStart = double(p.FileStreamInfo().StartTime) / 1e6;
        const double streamStart = double(p.FirstVideoStreamInfo().StartTimeScaled) / 1e6;
        // (a millisecond early, so rounding cannot push it to the next frame).
        const auto want = FFmpegFrameAt(path, 1.0 + streamStart - fileStart - 0.001);
        ASSERT_EQ(want.size(), std::size_t(bmp.Width) * bmp.Height * 3);
        EXPECT_GE(Psnr(bmp, want), 50.0);
    }
}

TEST_F(Probe, SharedProgramStreamsAndLocalTimeStamps)
{
    const fs::path dir = fs::temp_directory_path() / ("quorvel_probe_made_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string twoProgs = (dir / "two programs.ts").string();
    const std::string stamped = (dir / "stamped.mp4").string();
    ::Run("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.ts") +
        " -map 0 -c copy -program program_num=1:title=A:st=0:st=1 -program program_num=2:title=B:st=0 " + Quote(twoProgs));
    ::Run("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.mp4") +
          " -c copy -metadata creation_time=2009-07-01T12:00:00Z " + Quote(stamped));

    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(twoProgs)) << p.LastErrMsg();
    EXPECT_EQ(p.ProgramCount(), 2);
    const std::string text = p.FileInfoText();
    const auto a = text.find("\r\nProgram 1 FFmpeg@A\r\n");
    const auto b = text.find("\r\nProgram 2 FFmpeg@B\r\n");
    ASSERT_NE(a, std::string::npos) << text;
    ASSERT_NE(b, std::string::npos) << text;
    // The video stream stands under both programs and not again at the end.
    const auto v1 = text.find("Stream #0[0x100]", a);
    const auto v2 = text.find("Stream #0[0x100]", b);
    EXPECT_LT(v1, b);
    ASSERT_NE(v2, std::string::npos);
    EXPECT_EQ(text.find("Stream #0[0x100]", v2 + 1), std::string::npos) << text;
    EXPECT_EQ(text.find("Stream #1[0x101]", b), std::string::npos) << text;

    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    ASSERT_TRUE(p.LoadFile(stamped));
    EXPECT_EQ(p.FileStreamInfo().TimeStamp, 1246449600);
    EXPECT_EQ(p.FileStreamInfo().Title, "Clip Title");
    EXPECT_EQ(p.FileStreamInfo().Author, "Clip Artist");
    // 12:00 UTC in July is 14:00 summer time in Berlin.
    EXPECT_NE(p.FileInfoText().find("\r\nTime Stamp: 2009-07-01 14:00:00\r\n"), std::string::npos) << p.FileInfoText();
    if (old) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
    p.CloseFile();
    fs::remove_all(dir);
}

TEST_F(Probe, Image2InputsTakeTheirSizeFromTheFileAndNeverSeek)
{
    const fs::path dir = fs::temp_directory_path() / ("quorvel_probe_png_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string png = (dir / "still.png").string();
    ::Run("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.mp4") + " -frames:v 1 " + Quote(png));
    ASSERT_TRUE(fs::exists(png));

    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(png, "image2")) << p.LastErrMsg();
    EXPECT_EQ(p.FileHandle()->pb, nullptr);  // the demuxer opens its files itself
    EXPECT_EQ(p.FileSize(), std::int64_t(fs::file_size(png)));
    EXPECT_FALSE(p.Seek(0));
    EXPECT_EQ(p.LastErrMsg(), "\"image2\" format cannot to be seeked.");
    ASSERT_TRUE(p.Decode());
    EXPECT_EQ(p.FrameInfo().Width, 320);
    ASSERT_TRUE(p.Decode());  // the held picture, without reading
    EXPECT_TRUE(p.FrameInfo().Ready);
    EXPECT_EQ(p.Position(), -1);
    EXPECT_EQ(p.LastErrMsg(), "cannot get position");
    p.CloseFile();
    fs::remove_all(dir);
}
