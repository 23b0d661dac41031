// Media probe edge cases: information lines of files without duration, bit
// rate or start time, metadata blocks that only hold a language, special
// files given as "unicode:utf8:" URLs, and stepping back by one frame.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "Src/AVProbe.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"

namespace fs = std::filesystem;

namespace
{
const std::string kFixtures = QUORVEL_FIXTURES_DIR;

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

void Sh(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

class ProbeEdges : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
        GetFFLogger()->SetLogLevel(llQuiet);
    }
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("quorvel_probe_edges_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};
}

TEST_F(ProbeEdges, InformationLinesOfMissingValues)
{
    // A raw H.264 stream has no duration, bit rate or start time.
    const std::string raw = (dir / "raw.h264").string();
    Sh("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.mp4") +
       " -an -c:v copy -bsf:v h264_mp4toannexb -f h264 " + Quote(raw));
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(raw)) << p.LastErrMsg();
    const TFileStreamInfo fi = p.FileStreamInfo();
    EXPECT_EQ(fi.Duration, -1);
    EXPECT_EQ(fi.StartTime, -1);
    const std::string text = p.FileInfoText();
    EXPECT_NE(text.find("\r\nDuration: N/A\r\nBit Rate: N/A\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\r\nStartTime: "), std::string::npos) << text;

    // A start time of 0 is written.
    ASSERT_TRUE(p.LoadFile(kFixtures + "/multi.mkv"));
    EXPECT_EQ(p.FileStreamInfo().StartTime, 0);
    EXPECT_NE(p.FileInfoText().find("\r\nStartTime: 0.000000\r\n"), std::string::npos) << p.FileInfoText();
}

TEST_F(ProbeEdges, LanguageOnlyMetadataAddsNoBlock)
{
    const std::string ts = (dir / "lang.ts").string();
    Sh("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.ts") +
       " -map 0 -c copy -metadata:s:a:0 language=fre " + Quote(ts));
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(ts)) << p.LastErrMsg();
    ASSERT_EQ(p.AudioStreamCount(), 1);
    EXPECT_EQ(p.GetAudioStreamInfo(-1).Language, "fre");
    const std::string text = p.FileInfoText();
    const auto line = text.find("(fre), 1/90000: Audio: ");
    ASSERT_NE(line, std::string::npos) << text;
    const auto next = text.find("\r\n", line) + 2;
    EXPECT_EQ(text.find("Metadata:", next), std::string::npos) << text;
}

TEST_F(ProbeEdges, SpecialFilesGivenAsUnicodeURLsAreRefused)
{
    const std::string fifo = (dir / "pipe:1.avi").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct { std::string name; std::string error; } cases[] = {
        {FileNameToURL(fifo), FileNameToURL(fifo) + ": Not a regular file"},
        {EncodeUnicodeURL(dir.string()), EncodeUnicodeURL(dir.string()) + ": Is a directory"},
        {EncodeUnicodeURL((dir / "none.avi").string()),
         EncodeUnicodeURL((dir / "none.avi").string()) + ": No such file or directory"},
    };
    for (const auto& c : cases)
    {
        TAVProbe p;
        EXPECT_FALSE(p.LoadFile(c.name)) << c.name;  // never waits for a writer
        EXPECT_EQ(p.LastErrMsg(), c.error);
        EXPECT_EQ(p.FileHandle(), nullptr);
    }
    // A unicode URL of an ordinary file opens, and its name comes back.
    const std::string copy = (dir / "x:y.avi").string();
    fs::copy_file(kFixtures + "/clip.avi", copy);
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(EncodeUnicodeURL(copy))) << p.LastErrMsg();
    EXPECT_EQ(p.FileName(), copy);
}

TEST_F(ProbeEdges, PreviousFrameIsOneFrameEarlier)
{
    for (const char* name : {"clip.avi", "clip.mp4", "a:b.avi"})
    {
        SCOPED_TRACE(name);
        TAVProbe p;
        ASSERT_TRUE(p.LoadFile(kFixtures + "/" + name));
        ASSERT_TRUE(p.Seek(1000000, SeekFlag(sfBackward)));
        ASSERT_TRUE(p.Decode());
        while (p.FrameInfo().PTS < 1000000) ASSERT_TRUE(p.Decode());
        ASSERT_TRUE(p.Decode());
        const std::int64_t cur = p.FrameInfo().PTS;
        const AVRational r = p.FirstVideoStreamInfo().FrameRate;
        const std::int64_t step = FrameDuration(r.num, r.den);
        ASSERT_TRUE(p.DecodePreviousFrame());
        EXPECT_EQ(p.FrameInfo().PTS, cur - step);
        EXPECT_TRUE(p.FrameInfo().Ready);
    }
}

TEST_F(ProbeEdges, SteppingBackOnAStreamWithoutTimesEnds)
{
    // Raw H.264 carries no time stamps and no index: the searches for an
    // earlier frame give up instead of running on.
    const std::string raw = (dir / "raw.h264").string();
    Sh("ffmpeg -nostdin -v error -y -i " + Quote(kFixtures + "/clip.mp4") +
       " -an -c:v copy -bsf:v h264_mp4toannexb -f h264 " + Quote(raw));
    TAVProbe p;
    ASSERT_TRUE(p.LoadFile(raw)) << p.LastErrMsg();
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(p.Decode());
    EXPECT_EQ(p.FrameInfo().PTS, AV_NOPTS_VALUE);
    EXPECT_FALSE(p.DecodePreviousFrame());
    EXPECT_EQ(p.LastErrMsg().rfind("Could not seek to the previous key-frame. ", 0), 0u) << p.LastErrMsg();
    EXPECT_FALSE(p.DecodePreviousKeyFrame());
    EXPECT_FALSE(p.FrameInfo().Ready);
}

TEST_F(ProbeEdges, SteppingBackWithAbsurdFrameRatesEnds)
{
    // Damaged files give real frame rates of 0 or millions of frames a second;
    // the step back stays sane (at least a millisecond, at most the average
    // frame spacing when the stream has one) and the searches end.
    struct Case { AVRational rate, avg; bool knowsSpacing; };
    const Case cases[] = {
        {{1073752064, 1}, {0, 0}, false},
        {{1073752064, 1}, {25, 1}, true},
        {{250000, 1}, {0, 0}, false},
        {{-25, 1}, {25, 1}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.rate.num) + "/" + std::to_string(c.avg.num));
        TAVProbe p;
        ASSERT_TRUE(p.LoadFile(kFixtures + "/clip.avi"));
        AVStream* st = p.FileHandle()->streams[p.FirstVideoStreamIndex()];
        st->r_frame_rate = c.rate;
        st->avg_frame_rate = c.avg;
        // a key frame: seeking back to its own time lands on it again
        ASSERT_TRUE(p.Seek(960000, SeekFlag(sfBackward)));
        ASSERT_TRUE(p.Decode());
        while (!p.FrameInfo().IsKeyFrame || p.FrameInfo().PTS <= 0) ASSERT_TRUE(p.Decode());
        const std::int64_t key = p.FrameInfo().PTS;
        ASSERT_TRUE(p.DecodePreviousKeyFrame()) << p.LastErrMsg();
        EXPECT_LT(p.FrameInfo().PTS, key);
        EXPECT_TRUE(p.FrameInfo().IsKeyFrame);
        // from the frame after the key frame, one frame back is the key frame
        // when the step is the stream's spacing
        ASSERT_TRUE(p.Seek(key, SeekFlag(sfBackward)));
        ASSERT_TRUE(p.Decode());
        ASSERT_TRUE(p.Decode());
        ASSERT_TRUE(p.DecodePreviousFrame()) << p.LastErrMsg();
        if (c.knowsSpacing)
        {
            EXPECT_EQ(p.FrameInfo().PTS, key);
        }
    }
}
