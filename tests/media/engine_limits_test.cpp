// Engine checks on extreme option values and on joins whose encoders or
// filters hold pictures back at the end of a segment.
#include <cmath>
#include <cstdlib>

#include "tests/media/engine_test_util.h"

using namespace enginetest;

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

// One conversion on the calling thread: options, inputs, output options.
std::unique_ptr<TCustomFFmpeg> Convert(const std::vector<std::string>& inputs, const Options& out_opts,
                                       const std::string& out, bool join = false)
{
    auto e = std::make_unique<TCustomFFmpeg>(8);
    for (auto& in : inputs)
        EXPECT_TRUE(e->OpenInputFile(in)) << e->LastErrMsg();
    for (auto& o : out_opts)
        e->ParseOption(o.first, o.second);
    EXPECT_GT(e->OpenOutputFile(out, join), 0) << e->LastErrMsg();
    e->StartConvert(false);
    EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_TRUE(e->Finished());
    return e;
}

double Num(const std::string& s) { return s.empty() ? -1 : std::atof(s.c_str()); }

int Frames(const std::string& file)
{
    return std::atoi(Probe(file, "v:0", "stream=nb_read_frames", "-count_frames").c_str());
}

}  // namespace

class EngineLimits : public ::testing::Test
{
protected:
    void SetUp() override { LoadLibraries(); }
    TempDir dir{"engine-limits"};
};

// An aspect ratio too large for the field is refused; a huge one that fits
// gives the largest sample aspect ratio instead of overflowing.
TEST_F(EngineLimits, ExtremeAspectRatios)
{
    TCustomFFmpeg e(2);
    for (const char* v : {"1e39", "-1e39"}) {
        try {
            e.ParseOption("aspect", v);
            ADD_FAILURE() << v << " accepted";
        } catch (const FFmpegException& x) {
            EXPECT_STREQ(x.what(), "Incorrect aspect ratio specification.") << v;
        }
    }
    EXPECT_EQ(e.Fframe_aspect_ratio, 0.0f);

    struct Case { const char* aspect; int num, den; };
    for (const Case& c : {Case{"1e20", 255, 1}, Case{"300000:1", 255, 1}, Case{"4:3", 1, 1}}) {
        TCustomFFmpeg o(2);
        o.ParseOption("s", "320x240");
        o.ParseOption("aspect", c.aspect);
        o.ParseOption("vcodec", "mpeg4");
        ASSERT_GT(o.OpenOutputFile(dir / "aspect.avi"), 0) << o.LastErrMsg();
        AVStream* st = o.OutputFile(0)->streams[0];
        EXPECT_EQ(st->sample_aspect_ratio.num, c.num) << c.aspect;
        EXPECT_EQ(st->sample_aspect_ratio.den, c.den) << c.aspect;
    }
}

// "vol" takes any integer: a huge volume saturates the samples instead of
// overflowing the arithmetic.
TEST_F(EngineLimits, HugeVolumeSaturates)
{
    std::string out = dir / "loud.wav";
    Convert({Fixture("tone.mp3")}, {{"vol", "16777216"}, {"acodec", "pcm_s16le"}}, out);
    std::string det = enginetest::Run("ffmpeg -nostdin -hide_banner -i " + Quote(out) +
                          " -af volumedetect -f null - 2>&1 | grep -o 'max_volume: [-0-9.]*'");
    EXPECT_EQ(det, "max_volume: 0.0");
}

// A recording time near the largest time plus a start offset does not wrap
// around: the whole input is converted.
TEST_F(EngineLimits, RecordingTimeNearTheLimit)
{
    std::string out = dir / "long.wav";
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("tone.mp3")));
    e->SetRecordingTime(INT64_MAX - 10);
    e->ParseOption("ss", "0.5");
    e->ParseOption("acodec", "pcm_s16le");
    ASSERT_GT(e->OpenOutputFile(out), 0) << e->LastErrMsg();
    e->StartConvert(false);
    EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    double in = Num(Probe(Fixture("tone.mp3"), "", "format=duration"));
    EXPECT_NEAR(Num(Probe(out, "", "format=duration")), in - 0.5, 0.1);
}

// Joined segments follow each other without a lost picture, also when the
// encoder looks ahead (libx264) or a filter holds a picture back (deinterlacing).
TEST_F(EngineLimits, JoinLosesNoPicturesHeldBack)
{
    const std::vector<std::string> three{Fixture("clip.avi"), Fixture("clip.avi"), Fixture("clip.avi")};
    struct Case { const char* name; Options opts; };
    const Case cases[] = {
        {"x264.mp4", {{"vcodec", "libx264"}, {"vpre", "libx264-default"}, {"an", "1"}}},
        {"yadif.avi", {{"vcodec", "mpeg4"}, {"deinterlace", "1"}, {"an", "1"}}},
        {"x264-audio.mp4", {{"vcodec", "libx264"}, {"vpre", "libx264-default"}, {"acodec", "aac"}}},
    };
    for (const Case& c : cases) {
        std::string out = dir / c.name;
        Convert(three, c.opts, out, true);
        EXPECT_EQ(Frames(out), 150) << c.name;
        EXPECT_NEAR(Num(Probe(out, "v:0", "stream=duration")), 6.0, 0.1) << c.name;
    }
}

// An extra stream that cannot be made ("newvideo" with an unknown encoder or
// a bad override text) is refused whole: the output keeps the streams it
// had, and the task still converts.
TEST_F(EngineLimits, FailedExtraStreamLeavesNoHalfStream)
{
    struct Case { Options before; const char* key; std::string msg; };
    const Case cases[] = {
        {{{"vcodec", "no_such_codec"}}, "newvideo", "Unknown encoder 'no_such_codec'"},
        {{{"acodec", "mpeg4"}}, "newaudio", "Invalid encoder type 'mpeg4'"},
        {{{"scodec", "no_such_codec"}}, "newsubtitle", "Unknown encoder 'no_such_codec'"},
        {{{"vcodec", "mpeg4"}, {"rc_override", "1,2"}}, "newvideo", "error parsing rc_override"},
    };
    for (const Case& c : cases) {
        std::string out = dir / "extra.avi";
        auto e = std::make_unique<TCustomFFmpeg>(2);
        ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
        e->ParseOption("vcodec", "mpeg4");
        e->ParseOption("acodec", "libmp3lame");
        ASSERT_GT(e->OpenOutputFile(out), 0) << e->LastErrMsg();
        for (auto& o : c.before)
            e->ParseOption(o.first, o.second);
        try {
            e->ParseOption(c.key, "");
            ADD_FAILURE() << c.key << " accepted";
        } catch (const FFmpegException& x) {
            EXPECT_EQ(x.what(), c.msg);
        }
        EXPECT_EQ(e->OutputFile(0)->nb_streams, 2u) << c.msg;
        e->StartConvert(false);
        EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
        EXPECT_TRUE(e->Finished()) << c.msg;
        EXPECT_EQ(Probe(out, "", "stream=codec_name"), "mpeg4\nmp3") << c.msg;
    }
}

// Quantizer matrices with coefficients the encoders cannot divide by (or
// that do not fit the stream's 8 bits) are refused; the matrix stays as it was.
TEST_F(EngineLimits, MatrixCoefficientsOutsideTheirRange)
{
    auto matrix = [](int at, const std::string& v) {
        std::string m;
        for (int i = 0; i < 64; i++)
            m += (i ? "," : "") + (i == at ? v : std::string("16"));
        return m;
    };
    TCustomFFmpeg e(2);
    e.ParseOption("intra_matrix", matrix(-1, ""));
    ASSERT_EQ(e.Fintra_matrix.size(), 64u);
    struct Case { const char* key; int at; const char* value; };
    for (const Case& c : {Case{"intra_matrix", 0, "0"}, Case{"inter_matrix", 63, "256"},
                          Case{"intra_matrix", 5, "-3"}, Case{"inter_matrix", 7, "x"}}) {
        std::string m = matrix(c.at, c.value);
        try {
            e.ParseOption(c.key, m);
            ADD_FAILURE() << c.value << " accepted";
        } catch (const FFmpegException& x) {
            EXPECT_EQ(x.what(), "Invalid coefficient in matrix \"" + m + "\" at coeff " + std::to_string(c.at) +
                                    ": it must lie in 1 to 255");
        }
    }
    EXPECT_EQ(e.Fintra_matrix, std::vector<uint16_t>(64, 16));
    EXPECT_TRUE(e.Finter_matrix.empty());

    // a whole matrix of the largest coefficients encodes
    std::string out = dir / "matrix.mpg";
    auto r = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(r->OpenInputFile(Fixture("clip.avi")));
    r->ParseOption("vcodec", "mpeg2video");
    r->ParseOption("intra_matrix", matrix(0, "255"));
    ASSERT_GT(r->OpenOutputFile(out), 0) << r->LastErrMsg();
    r->StartConvert(false);
    EXPECT_TRUE(r->Finished()) << r->FatalMessage();
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name"), "mpeg2video");
}
// The largest and smallest "async" values are sync methods like any other:
// the conversion runs through without overflowing its buffer sizes.
TEST_F(EngineLimits, ExtremeAudioSyncMethods)
{
    double in = Num(Probe(Fixture("tone.mp3"), "", "format=duration"));
    for (const char* async : {"2147483647", "-2147483648"}) {
        std::string out = dir / "async.mp3";
        Convert({Fixture("tone.mp3")}, {{"acodec", "libmp3lame"}, {"async", async}}, out);
        EXPECT_NEAR(Num(Probe(out, "", "format=duration")), in, 0.1) << async;
    }
}

// A subtitle stream that follows another stream's time line keeps its own
// times: they are read in the time base of the stream they came from.
TEST_F(EngineLimits, SubtitleTimesWithASyncStream)
{
    std::string src = dir / "sub.mp4", out = dir / "sub.mkv";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("multi.mkv")) + " -map 0:v -map 0:s -c:v copy -c:s mov_text", src));
    ASSERT_NE(Probe(src, "v:0", "stream=time_base"), Probe(src, "s:0", "stream=time_base"));
    Convert({src}, {{"map", "0:0"}, {"map", "0:1:0:0"}, {"vcodec", "mpeg4"}, {"scodec", "srt"}}, out);
    EXPECT_EQ(Probe(out, "s:0", "packet=pts_time", "-show_packets"), "0.023000\n1.023000");
}
