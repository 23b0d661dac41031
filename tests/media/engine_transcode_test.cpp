// The transcoding run: outputs checked with ffprobe against the settings and
// against Debian's ffmpeg on the same input.
#include <cmath>

#include "tests/media/engine_test_util.h"

using namespace enginetest;

namespace {

struct Conversion
{
    std::vector<std::pair<std::string, std::string>> inputOpts;
    std::vector<std::string> inputs;
    std::vector<std::pair<std::string, std::string>> outputOpts;
    bool join = false;
};

// Runs one conversion on the calling thread; returns the engine for inspection.
std::unique_ptr<TCustomFFmpeg> Convert(const Conversion& c, const std::string& out, bool expectFinished = true)
{
    auto e = std::make_unique<TCustomFFmpeg>(8);
    for (auto& in : c.inputs) {
        for (auto& o : c.inputOpts)
            e->ParseOption(o.first, o.second);
        EXPECT_TRUE(e->OpenInputFile(in)) << e->LastErrMsg();
    }
    std::vector<std::pair<std::string, std::string>> after;
    for (auto& o : c.outputOpts) {
        if (o.first.rfind("new", 0) == 0)
            after.push_back(o);
        else
            e->ParseOption(o.first, o.second);
    }
    EXPECT_GT(e->OpenOutputFile(out, c.join), 0) << e->LastErrMsg();
    for (auto& o : after)
        e->ParseOption(o.first, o.second);
    e->StartConvert(false);
    EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_EQ(e->Finished(), expectFinished);
    return e;
}

double Num(const std::string& s) { return s.empty() ? -1 : std::atof(s.c_str()); }

}  // namespace

class EngineTranscode : public ::testing::Test
{
protected:
    void SetUp() override { LoadLibraries(); }
    TempDir dir{"transcode"};
};

TEST_F(EngineTranscode, Mpeg4Mp3Avi)
{
    std::string out = dir / "out.avi";
    Convert({{}, {Fixture("clip.mp4")},
             {{"vcodec", "mpeg4"}, {"b", "800000"}, {"s", "320x240"}, {"acodec", "libmp3lame"}, {"ab", "128000"},
              {"ar", "44100"}, {"ac", "2"}}},
            out);
    EXPECT_EQ(Probe(out, "", "format=format_name"), "avi");
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name"), "mpeg4");
    EXPECT_EQ(Probe(out, "v:0", "stream=width,height"), "320\n240");
    EXPECT_EQ(Probe(out, "a:0", "stream=codec_name,sample_rate,channels"), "mp3\n44100\n2");
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "50");
    EXPECT_NEAR(Num(Probe(out, "", "format=duration")), 2.0, 0.1);
}
