// The transcoding run: outputs checked with ffprobe against the settings and
// against Debian's ffmpeg on the same input.
#include <atomic>
#include <cmath>
#include <fstream>

#include "Src/FFUtils.h"
#include <thread>

#include "platform/gui/Threads.h"
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

namespace {

// Average PSNR of a file against a reference (ffmpeg's psnr filter).
double Psnr(const std::string& file, const std::string& ref, const std::string& scale = "")
{
    std::string f = scale.empty() ? "[0:v][1:v]psnr" : "[1:v]" + scale + "[r];[0:v][r]psnr";
    std::string out = Run("ffmpeg -nostdin -hide_banner -i " + Quote(file) + " -i " + Quote(ref) +
                          " -lavfi '" + f + "' -f null - 2>&1 | grep -o 'average:[0-9.inf]*' | tail -1");
    if (out.find("inf") != std::string::npos)
        return 100;
    return out.size() > 8 ? std::atof(out.c_str() + 8) : -1;
}

std::string StreamHash(const std::string& file)
{
    return Run("ffmpeg -nostdin -hide_banner -loglevel error -i " + Quote(file) +
               " -map 0 -c copy -f streamhash -hash md5 - 2>/dev/null");
}

double MaxVolume(const std::string& file)
{
    std::string out = Run("ffmpeg -nostdin -hide_banner -i " + Quote(file) +
                          " -map 0:a:0 -af volumedetect -f null - 2>&1 | grep -o 'max_volume: [-0-9.]*'");
    return out.size() > 12 ? std::atof(out.c_str() + 12) : 1000;
}

}  // namespace

// Our run against ffmpeg -threads 1 with the same codecs and settings.
TEST_F(EngineTranscode, MatchesFfmpeg)
{
    struct Case {
        const char* name;
        const char* input;
        const char* out;
        std::vector<std::pair<std::string, std::string>> opts;
        const char* ffargs;
        bool video;
    };
    const Case cases[] = {
        {"mpeg4-mp3-avi", "clip.mp4", "a.avi",
         {{"vcodec", "mpeg4"}, {"b", "800000"}, {"s", "320x240"}, {"acodec", "libmp3lame"}, {"ab", "128000"}, {"ar", "44100"}, {"ac", "2"}},
         "-c:v mpeg4 -b:v 800k -s 320x240 -c:a libmp3lame -b:a 128k -ar 44100 -ac 2", true},
        {"h264-aac-mp4", "clip.avi", "b.mp4",
         {{"vcodec", "libx264"}, {"vpre", "libx264-fast"}, {"b", "600000"}, {"acodec", "aac"}, {"ab", "96000"}, {"ar", "48000"}},
         "-c:v libx264 -b:v 600k -c:a aac -b:a 96k -ar 48000", true},
        {"mp3-audio-only", "tone.mp3", "c.mp3", {{"acodec", "libmp3lame"}, {"ab", "128000"}},
         "-c:a libmp3lame -b:a 128k", false},
        {"mpeg2-mp2-ts", "clip.avi", "d.ts", {{"vcodec", "mpeg2video"}, {"b", "1000000"}, {"acodec", "mp2"}},
         "-c:v mpeg2video -b:v 1000k -c:a mp2", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string ours = dir / (std::string("ours-") + c.out), ref = dir / (std::string("ref-") + c.out);
        ASSERT_TRUE(MakeMedia("-threads 1 -i " + Quote(Fixture(c.input)) + " " + c.ffargs, ref));
        Convert({{}, {Fixture(c.input)}, c.opts}, ours);
        const char* entries = "format=format_name,duration:stream=index,codec_type,codec_name,width,height,pix_fmt,"
                              "r_frame_rate,sample_rate,channels,nb_read_frames";
        const ProbedFile o = ProbeFile(ours, entries, "-count_frames"), r = ProbeFile(ref, entries, "-count_frames");
        EXPECT_EQ(o.Get("", "format_name"), r.Get("", "format_name"));
        for (const char* sel : {"v:0", "a:0"}) {
            if (!c.video && std::string(sel) == "v:0") {
                EXPECT_EQ(o.Get("v", "index"), "");
                continue;
            }
            EXPECT_EQ(o.Get(sel, "codec_name,width,height,pix_fmt,r_frame_rate,sample_rate,channels"),
                      r.Get(sel, "codec_name,width,height,pix_fmt,r_frame_rate,sample_rate,channels"))
                << sel;
            // clip.avi lacks its second picture (an empty chunk): ffmpeg repeats the first
            // picture for an mp4, where our variable-rate rule lets the time stamps jump
            EXPECT_NEAR(Num(o.Get(sel, "nb_read_frames")), Num(r.Get(sel, "nb_read_frames")), 1) << sel;
        }
        EXPECT_NEAR(Num(o.Get("", "duration")), Num(r.Get("", "duration")), 0.045);
        if (c.video) {
            EXPECT_GE(Psnr(ours, Fixture(c.input)), 35.0);
        }
    }
}

TEST_F(EngineTranscode, StreamCopyKeepsEveryPacket)
{
    std::string ours = dir / "copy.mkv", ref = dir / "copy-ref.mkv";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.mp4")) + " -c copy", ref));
    Convert({{}, {Fixture("clip.mp4")}, {{"vcodec", "copy"}, {"acodec", "copy"}}}, ours);
    std::string h = StreamHash(ours);
    EXPECT_FALSE(h.empty());
    EXPECT_EQ(h, StreamHash(ref));
    // copy and volume do not go together
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.mp4")));
    e->ParseOption("acodec", "copy");
    e->ParseOption("vol", "512");
    ASSERT_GT(e->OpenOutputFile(dir / "copy2.mkv"), 0);
    e->StartConvert(false);
    EXPECT_TRUE(e->FatalException());
    EXPECT_EQ(e->FatalMessage(), "-acodec copy and -vol are incompatible (frames are not decoded)");
    EXPECT_FALSE(std::filesystem::exists(dir / "copy2.mkv"));  // a failed run leaves no empty file
}

TEST_F(EngineTranscode, RecordingTimeAndStartOffset)
{
    std::string out = dir / "cut.mkv";
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("acodec", "flac");
    e->ParseOption("ss", "0.5");
    e->ParseOption("t", "1");
    ASSERT_GT(e->OpenOutputFile(out), 0);
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "25");
    std::string d = Probe(out, "a:0", "stream_tags=DURATION");  // "00:00:01.000000000"
    ASSERT_GE(d.size(), 8u);
    EXPECT_NEAR(std::atof(d.c_str() + 6), 1.0, 0.05);
    // the picture at the start is the source's picture at 0.5 s
    std::string ref = dir / "cut-ref.avi";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -ss 0.5 -t 1 -c:v mpeg4 -q:v 2 -an", ref));
    EXPECT_GE(Psnr(out, ref), 30.0);

    // input-side seek
    std::string in2 = dir / "cut2.avi";
    Conversion c{{{"ss", "1"}}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"an", "1"}}};
    Convert(c, in2);
    EXPECT_NEAR(Num(Probe(in2, "", "format=duration")), 1.0, 0.1);
}

TEST_F(EngineTranscode, VolumeDoublesTheSamples)
{
    std::string out = dir / "loud.wav";
    Convert({{}, {Fixture("tone.mp3")}, {{"acodec", "pcm_s16le"}, {"vol", "512"}}}, out);
    double src = MaxVolume(Fixture("tone.mp3"));
    EXPECT_NEAR(MaxVolume(out), std::min(0.0, src + 6.02), 0.2);
    std::string quiet = dir / "quiet.wav";
    Convert({{}, {Fixture("tone.mp3")}, {{"acodec", "pcm_s16le"}, {"vol", "64"}}}, quiet);
    EXPECT_NEAR(MaxVolume(quiet), src - 12.04, 0.2);
}

TEST_F(EngineTranscode, CropScaleAndUserFilters)
{
    std::string crop = dir / "crop.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"qscale", "2"}, {"croptop", "16"}, {"cropleft", "32"}, {"an", "1"}}},
            crop);
    EXPECT_EQ(Probe(crop, "v:0", "stream=width,height"), "288\n224");
    EXPECT_GE(Psnr(crop, Fixture("clip.avi"), "crop=288:224:32:16"), 30.0);

    std::string vf = dir / "vf.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"qscale", "2"}, {"vf", "scale=160:120,hflip"}, {"an", "1"}}},
            vf);
    EXPECT_EQ(Probe(vf, "v:0", "stream=width,height"), "160\n120");
    EXPECT_GE(Psnr(vf, Fixture("clip.avi"), "scale=160:120,hflip"), 30.0);

    std::string di = dir / "di.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"qscale", "2"}, {"deinterlace", "1"}, {"an", "1"}}}, di);
    EXPECT_EQ(Probe(di, "v:0", "stream=nb_read_frames", "-count_frames"), "50");
    EXPECT_GE(Psnr(di, Fixture("clip.avi"), "yadif"), 30.0);

    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vf", "nosuchfilter=1");
    ASSERT_GT(e->OpenOutputFile(dir / "bad.avi"), 0);
    e->StartConvert(false);
    EXPECT_TRUE(e->FatalException());
    EXPECT_EQ(e->FatalMessage().rfind("Error opening filters", 0), 0u) << e->FatalMessage();
}

TEST_F(EngineTranscode, JoinOfThreeFiles)
{
    std::string out = dir / "join.avi";
    Conversion c{{}, {Fixture("clip.avi"), Fixture("clip.mp4"), Fixture("clip.avi")},
                 {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}, {"ar", "44100"}}, true};
    Convert(c, out);
    EXPECT_NEAR(Num(Probe(out, "", "format=duration")), 6.0, 0.15);
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "150");
    EXPECT_NEAR(Num(Probe(out, "a:0", "stream=duration")), 6.0, 0.15);
}

TEST_F(EngineTranscode, PictureSizeChangeInMidStream)
{
    std::string a = dir / "a.ts", b = dir / "b.ts", ab = dir / "ab.ts";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=320x240:rate=25:duration=1 -c:v mpeg2video -q:v 2", a));
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=176x144:rate=25:duration=1 -c:v mpeg2video -q:v 2 "
                          "-output_ts_offset 1",
                          b));
    enginetest::Run("cat " + Quote(a) + " " + Quote(b) + " > " + Quote(ab));
    std::string out = dir / "sizes.avi";
    LogCapture log;
    Convert({{}, {ab}, {{"vcodec", "mpeg4"}, {"s", "320x240"}}}, out);
    EXPECT_TRUE(log.Contains("frame size changed to 176x144"));
    EXPECT_EQ(Probe(out, "v:0", "stream=width,height"), "320\n240");
    int frames = std::atoi(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames").c_str());
    EXPECT_GE(frames, 48);
}

TEST_F(EngineTranscode, ProgressEventsInOrder)
{
    struct Ev { int frame; int64_t cur, total; int file; };
    std::vector<Ev> evs;
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ReportInterval = 0;
    e->OnProgress = [&](TObject*, int file, int frame, int, float, float, int64_t, int64_t cur, int64_t total) {
        evs.push_back({frame, cur, total, file});
    };
    ASSERT_GT(e->OpenOutputFile(dir / "p.avi"), 0);
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    ASSERT_GE(evs.size(), 3u);
    for (size_t i = 1; i < evs.size(); i++) {
        EXPECT_GE(evs[i].frame, evs[i - 1].frame);
        EXPECT_GE(evs[i].cur, evs[i - 1].cur);
    }
    EXPECT_EQ(evs.back().file, -1);
    EXPECT_EQ(evs.back().frame, 50);
    EXPECT_GT(evs.back().total, 0);
    EXPECT_EQ(evs.back().cur * 100 / evs.back().total, 100);
}

TEST_F(EngineTranscode, SubtitlesAndSeveralStreams)
{
    std::string out = dir / "multi.mkv";
    Convert({{}, {Fixture("multi.mkv")}, {{"vcodec", "mpeg4"}, {"acodec", "libvorbis"}}}, out);
    EXPECT_EQ(Probe(out, "", "stream=codec_type"), "video\naudio\nsubtitle");
    EXPECT_EQ(Probe(out, "s:0", "stream=codec_name"), "ass");
    EXPECT_EQ(Probe(out, "s:0", "packet=pts_time", "-show_packets").substr(0, 1), "0");
}

TEST_F(EngineTranscode, StopOnAThreadEndsNotFinished)
{
    std::string big = dir / "long.avi";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=640x480:rate=25:duration=30 -c:v mpeg4 -q:v 3", big));
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(big));
    e->ParseOption("vcodec", "libx264");
    std::atomic<int> terminated{0};
    std::atomic<int> frames{0};
    e->ReportInterval = 0;
    e->OnProgress = [&](TObject*, int, int f, int, float, float, int64_t, int64_t, int64_t) { frames = f; };
    e->OnTerminate = [&](TObject*) { terminated++; };
    ASSERT_GT(e->OpenOutputFile(dir / "stopped.mp4"), 0);
    TThread* t = e->StartConvert(true);
    ASSERT_NE(t, nullptr);
    t->Start();
    for (int i = 0; i < 24000 && frames < 5 && !terminated; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(frames, 5);
    e->Pause();
    EXPECT_TRUE(e->Paused());
    int at = frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(frames - at, 2);  // at most the packet in hand
    e->Resume();
    e->Stop(true);
    EXPECT_EQ(terminated, 1);
    EXPECT_FALSE(e->Finished());
    EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_GT(std::filesystem::file_size(dir / "stopped.mp4"), 0u);  // trailer written
}

TEST_F(EngineTranscode, LimitsAndSideFiles)
{
    // frame limit: the run ends there
    std::string ten = dir / "ten.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"vframes", "10"}}}, ten);
    EXPECT_EQ(Probe(ten, "v:0", "stream=nb_read_frames", "-count_frames"), "10");

    // size limit: stops after the output passed it
    std::string small = dir / "small.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"qscale", "2"}, {"fs", "40000"}}}, small);
    auto size = std::filesystem::file_size(small);
    EXPECT_GT(size, 40000u);
    EXPECT_LT(size, std::filesystem::file_size(dir / "ten.avi") * 10);
    EXPECT_LT(std::atoi(Probe(small, "v:0", "stream=nb_read_frames", "-count_frames").c_str()), 50);

    // two passes: the log file is made next to the output, whatever the current folder
    std::string p1 = dir / "pass1.avi", p2 = dir / "pass2.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"b", "300000"}, {"pass", "1"}, {"an", "1"}}}, p1);
    EXPECT_TRUE(std::filesystem::exists(dir / "ffmpeg2pass-0.log"));
    EXPECT_GT(std::filesystem::file_size(dir / "ffmpeg2pass-0.log"), 0u);
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"b", "300000"}, {"pass", "2"}, {"an", "1"}}}, p2);
    EXPECT_EQ(Probe(p2, "v:0", "stream=nb_read_frames", "-count_frames"), "50");
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("pass", "2");
    e->ParseOption("passlogfile", "nolog");
    ASSERT_GT(e->OpenOutputFile(dir / "p3.avi"), 0);
    e->StartConvert(false);
    EXPECT_EQ(e->FatalMessage(), "Cannot read file: Error reading log file \"" + dir / "nolog-0.log" +
                                     "\" for pass-2 encoding");

    // per-frame statistics
    std::string stats = dir / "stats.log";  // given as a bare name: made next to the output
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"vstats_file", "stats.log"}, {"an", "1"}}}, dir / "st.avi");
    std::ifstream in(stats);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        lines++;
        EXPECT_EQ(line.rfind("frame= ", 0), 0u) << line;
        EXPECT_NE(line.find(" type= "), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 50);
}

TEST_F(EngineTranscode, CustomHookChangesPictures)
{
    std::string out = dir / "neg.avi", ref = dir / "neg-ref.avi";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -vf negate -c:v mpeg4 -q:v 2 -an", ref));
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("qscale", "2");
    e->ParseOption("an", "1");
    int calls = 0;
    e->OnCustomHook = [&](TObject*, void* bmp, int frame, int64_t, bool& update, bool&) {
        auto* b = static_cast<TBGRBitmap*>(bmp);
        EXPECT_EQ(frame, calls + 1);
        for (int y = 0; y < b->Height; y++) {
            uint8_t* row = b->ScanLine(y);
            for (int x = 0; x < b->Width * 3; x++)
                row[x] = 255 - row[x];
        }
        update = true;
        calls++;
    };
    ASSERT_GT(e->OpenOutputFile(out), 0);
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_EQ(calls, 50);
    EXPECT_GE(Psnr(out, ref), 30.0);

    // a handler that fails leaves the picture alone; one that stops is not called again
    auto f = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(f->OpenInputFile(Fixture("clip.avi")));
    f->ParseOption("vcodec", "mpeg4");
    f->ParseOption("an", "1");
    int fcalls = 0;
    LogCapture log;
    f->OnCustomHook = [&](TObject*, void*, int, int64_t, bool&, bool& stop) {
        if (++fcalls == 3)
            stop = true;
        throw Exception("hook trouble");
    };
    ASSERT_GT(f->OpenOutputFile(dir / "plain.avi"), 0);
    f->StartConvert(false);
    EXPECT_EQ(fcalls, 3);
    EXPECT_TRUE(log.Has(llError, "Error occurs OnCustomHook: hook trouble"));
    EXPECT_GE(Psnr(dir / "plain.avi", Fixture("clip.avi")), 30.0);
}

// Set-up failures end the run before the first packet, with their texts.
TEST_F(EngineTranscode, SetupFailures)
{
    struct Case {
        const char* name;
        std::vector<std::string> inputs;
        std::vector<std::pair<std::string, std::string>> opts;
        const char* out;
        bool join;
        const char* error;
    };
    const Case cases[] = {
        {"maps-count", {"clip.avi"}, {{"map", "0:0"}}, "m.avi", false,
         "Number of stream maps must match number of output streams"},
        {"maps-stream", {"clip.avi"}, {{"map", "0:5"}, {"map", "0:1"}}, "m.avi", false,
         "Could not find input stream #0.5"},
        {"maps-sync", {"clip.avi"}, {{"map", "0:0:1:0"}, {"map", "0:1"}}, "m.avi", false,
         "Could not find sync stream #1.0"},
        {"maps-type", {"clip.avi"}, {{"map", "0:1"}, {"map", "0:0"}}, "m.avi", false,
         "Codec type mismatch for mapping #0.1 (Audio) -> #0.0 (Video)"},
        {"meta-out", {"clip.avi"}, {{"map_meta_data", "1:0"}}, "m.avi", false,
         "Invalid output file index 1 map_meta_data(1,0)"},
        {"meta-in", {"clip.avi"}, {{"map_meta_data", "0:2"}}, "m.avi", false,
         "Invalid input file index 2 map_meta_data(0,2)"},
        {"join-missing-audio", {"clip.avi", "clip.ts", "tone.mp3"}, {}, "j.avi", true,
         "Could not find input stream matching output stream #2.0 (Video)"},
        {"copy-hook", {"clip.avi"}, {{"vcodec", "copy"}, {"vhook", "x"}}, "m.avi", false, nullptr},
        // the swf muxer refuses these stream parameters: the header fails and no file stays
        {"header", {"multi.mkv"}, {}, "h.swf", false,
         "Could not write header for output file #0 (incorrect codec parameters ?)"},
        {"encoder-params", {"clip.avi"}, {{"vcodec", "mpeg1video"}, {"r", "7"}, {"force_fps", "1"}}, "m.mpg", false,
         "Error while opening encoder for output stream #0.0 (Video) - maybe incorrect parameters such as bit_rate, "
         "rate, width or height. Please check error log message to find out more detail information."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = std::make_unique<TCustomFFmpeg>(4);
        int hooks = 0;
        e->FrameHookAdd = [&](TCustomFFmpeg*, const std::vector<std::string>&) { return hooks++, 0; };
        for (auto& in : c.inputs)
            ASSERT_TRUE(e->OpenInputFile(Fixture(in))) << e->LastErrMsg();
        for (auto& o : c.opts)
            e->ParseOption(o.first, o.second);
        std::string out = dir / c.out;
        ASSERT_GT(e->OpenOutputFile(out, c.join), 0) << e->LastErrMsg();
        e->StartConvert(false);
        EXPECT_TRUE(e->FatalException());
        EXPECT_FALSE(e->Finished());
        if (c.error)
            EXPECT_EQ(e->FatalMessage(), c.error);
        else
            EXPECT_EQ(e->FatalMessage(), "-vcodec copy and -vhook are incompatible (frames are not decoded)");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(EngineTranscode, ExplicitMapsAndMetadata)
{
    std::string out = dir / "maps.mkv";
    Conversion c{{}, {Fixture("multi.mkv"), Fixture("tone.mp3")},
                 {{"map", "0:0"}, {"map", "0:2"}, {"map", "1:0"}, {"map_meta_data", "0:1"}, {"sn", "1"}, {"vcodec", "mpeg4"},
                  {"acodec", "libvorbis"}, {"newaudio", ""}}};
    // the option order of the ffmpeg tool: "newaudio" adds the third stream after the output
    Convert(c, out);
    EXPECT_EQ(Probe(out, "", "stream=codec_type"), "video\naudio\naudio");
    EXPECT_EQ(Probe(out, "a:0", "stream_tags=language"), "chi");
    // the audio settings are those of the last input opened: the 48 kHz source is resampled
    EXPECT_EQ(Probe(out, "a:0", "stream=sample_rate"), "44100");
    EXPECT_EQ(Probe(out, "a:1", "stream=sample_rate"), "44100");
    EXPECT_EQ(Probe(out, "", "format_tags=title"), "Sine Song");
}

TEST_F(EngineTranscode, StopFromTheRunsOwnHandler)
{
    for (bool threaded : {false, true}) {
        SCOPED_TRACE(threaded);
        auto e = std::make_unique<TCustomFFmpeg>(2);
        ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
        e->ParseOption("vcodec", "mpeg4");
        e->ReportInterval = 0;
        std::atomic<int> reports{0};
        e->OnProgress = [&](TObject*, int, int, int, float, float, int64_t, int64_t, int64_t) {
            if (++reports == 3)
                e->Stop(true);  // returns at once: the run ends after the packet in hand
        };
        TEvent done(true, false);
        e->OnTerminate = [&](TObject*) { done.SetEvent(); };
        ASSERT_GT(e->OpenOutputFile(dir / (threaded ? "t.avi" : "c.avi")), 0);
        TThread* t = e->StartConvert(threaded);
        if (threaded)
            t->Start();
        EXPECT_EQ(done.WaitFor(120000), TWaitResult::wrSignaled);
        e->Stop(true);
        EXPECT_FALSE(e->Finished());
        EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    }
}

TEST_F(EngineTranscode, AudioSyncFillsALateStart)
{
    std::string late = dir / "late.mkv";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -itsoffset 0.5 -i " + Quote(Fixture("tone.mp3")) +
                              " -map 0:v -map 1:a -c:v copy -c:a flac",
                          late));
    ASSERT_NEAR(Num(Probe(late, "a:0", "stream=start_time")), 0.5, 0.03);
    std::string plain = dir / "plain.mkv", synced = dir / "synced.mkv";
    Convert({{}, {late}, {{"vcodec", "mpeg4"}, {"acodec", "flac"}}}, plain);
    Convert({{}, {late}, {{"vcodec", "mpeg4"}, {"acodec", "flac"}, {"async", "1"}}}, synced);
    // without sync the audio keeps its late start; with it, silence fills the gap
    EXPECT_NEAR(Num(Probe(plain, "a:0", "stream=start_time")), 0.5, 0.03);
    EXPECT_NEAR(Num(Probe(synced, "a:0", "stream=start_time")), 0.0, 0.03);
    std::string silent = enginetest::Run("ffmpeg -nostdin -hide_banner -i " + Quote(synced) +
                             " -map 0:a -af silencedetect=d=0.3 -f null - 2>&1 | grep -o 'silence_end: [0-9.]*'");
    ASSERT_GT(silent.size(), 13u);
    EXPECT_NEAR(std::atof(silent.c_str() + 13), 0.5, 0.05);
}

// The output's loop count and time stamp are the muxer's options and metadata now.
TEST_F(EngineTranscode, LoopCountAndTimeStamp)
{
    auto hasLoop = [](const std::string& f) {
        std::ifstream in(f, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return data.find("NETSCAPE2.0") != std::string::npos;
    };
    std::string once = dir / "once.gif", loop = dir / "loop.gif";
    Convert({{}, {Fixture("clip.avi")}, {{"vframes", "5"}}}, once);
    Convert({{}, {Fixture("clip.avi")}, {{"vframes", "5"}, {"loop_output", "0"}}}, loop);
    EXPECT_FALSE(hasLoop(once));
    EXPECT_TRUE(hasLoop(loop));

    std::string stamped = dir / "stamped.mov";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"timestamp", "2010-05-06 07:08:09"}}}, stamped);
    EXPECT_EQ(Probe(stamped, "", "format_tags=creation_time").substr(0, 10), "2010-05-06");
}

TEST_F(EngineTranscode, ChaptersFollowTheRecordedSpan)
{
    std::string meta = dir / "chapters.txt", src = dir / "chapters.mkv";
    std::ofstream(meta) << ";FFMETADATA1\n"
                           "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=800\ntitle=One\n"
                           "[CHAPTER]\nTIMEBASE=1/1000\nSTART=800\nEND=1600\ntitle=Two\n"
                           "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1600\nEND=2000\ntitle=Three\n";
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -i " + Quote(meta) +
                              " -map_metadata 1 -map_chapters 1 -c:v mpeg4 -c:a flac",
                          src));
    std::string out = dir / "cut.mkv";
    Convert({{}, {src}, {{"vcodec", "mpeg4"}, {"acodec", "flac"}, {"t", "1.2"}}}, out);
    EXPECT_EQ(Probe(out, "", "chapter=start_time,end_time", "-show_chapters"), "0.000000\n0.800000\nOne\n0.800000\n1.200000\nTwo");
}

TEST_F(EngineTranscode, SeveralEnginesAtOnce)
{
    const char* inputs[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv"};
    std::vector<std::unique_ptr<TCustomFFmpeg>> engines;
    std::atomic<int> ended{0};
    for (int i = 0; i < 4; i++) {
        auto e = std::make_unique<TCustomFFmpeg>(2);
        ASSERT_TRUE(e->OpenInputFile(Fixture(inputs[i])));
        e->ParseOption("vcodec", i % 2 ? "libx264" : "mpeg4");
        e->OnTerminate = [&](TObject*) { ended++; };
        ASSERT_GT(e->OpenOutputFile(dir / ("par" + std::to_string(i) + ".mkv")), 0) << e->LastErrMsg();
        engines.push_back(std::move(e));
    }
    for (auto& e : engines)
        e->StartConvert(true)->Start();
    for (int i = 0; i < 12000 && ended < 4; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ended, 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_FALSE(engines[i]->FatalException()) << engines[i]->FatalMessage();
        EXPECT_EQ(Probe(dir / ("par" + std::to_string(i) + ".mkv"), "v:0", "stream=codec_name"), i % 2 ? "h264" : "mpeg4");
    }
}

// The current decoders give no quantizer: "sameq" then encodes at the fixed
// quantizer's best, never worse than the source.
TEST_F(EngineTranscode, SameQualityKeepsTheSourceQuality)
{
    std::string out = dir / "sameq.avi";
    Convert({{}, {Fixture("clip.avi")}, {{"vcodec", "mpeg4"}, {"sameq", "1"}, {"an", "1"}}}, out);
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "50");
    EXPECT_GE(Psnr(out, Fixture("clip.avi")), 40.0);
}

TEST_F(EngineTranscode, NamesWithSpacesChineseAndColons)
{
    std::string out = dir / "输出 文件 a:b.avi";
    Convert({{}, {Fixture("中文 视频.mp4")}, {{"vcodec", "mpeg4"}}}, out);
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "50");
    std::string out2 = dir / "x:y.mkv";
    Convert({{}, {Fixture("a:b.avi")}, {{"vcodec", "copy"}, {"acodec", "copy"}}}, out2);
    EXPECT_EQ(Probe(out2, "", "stream=codec_type"), "video\naudio");
}

TEST_F(EngineTranscode, PostHooksDeliverPictures)
{
    auto run = [&](int64_t interval, TPostHooks hooks, bool handler, const std::string& name) {
        auto e = std::make_unique<TCustomFFmpeg>(2);
        EXPECT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
        e->ParseOption("vcodec", "mpeg4");
        e->PreviewInterval = interval;
        int n = 0;
        int64_t lastPts = -1;
        if (handler)
            e->OnPreviewBitmap = [&](TObject*, void* bmp, int frame, int64_t pts) {
                auto* b = static_cast<TBGRBitmap*>(bmp);
                EXPECT_EQ(b->Width, 320);
                EXPECT_EQ(b->Height, 240);
                EXPECT_GT(frame, 0);
                EXPECT_GT(pts, lastPts);
                lastPts = pts;
                n++;
            };
        e->SetPostHooks(hooks);
        EXPECT_GT(e->OpenOutputFile(dir / name), 0);
        e->StartConvert(false);
        EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
        return std::make_pair(n, e->PostHooks());
    };
    auto every = run(0, PostHookBit(phBitmap), true, "a.avi");
    EXPECT_EQ(every.first, 50);
    // the first picture at once, then none within the interval, however long
    // the machine has been up
    for (int64_t interval : {int64_t(1000000000), INT64_MAX}) {
        auto limited = run(interval, PostHookBit(phBitmap), true, "b.avi");
        EXPECT_EQ(limited.first, 1) << interval;
    }
    // without a window, the preview hook turns itself off
    auto preview = run(0, PostHookBit(phPreview), false, "c.avi");
    EXPECT_EQ(preview.second, 0);

    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "copy");
    e->SetPostHooks(PostHookBit(phBitmap));
    ASSERT_GT(e->OpenOutputFile(dir / "d.avi"), 0);
    e->StartConvert(false);
    EXPECT_EQ(e->FatalMessage(), "-vcodec copy and PostHooks are incompatible (frames are not decoded)");
}

TEST_F(EngineTranscode, ShortestEndsWithTheFirstInput)
{
    std::string tone = dir / "short.wav";
    ASSERT_TRUE(MakeMedia("-f lavfi -i sine=frequency=300:sample_rate=44100:duration=1", tone));
    std::string longer = dir / "both.mkv", shortest = dir / "shortest.mkv";
    Conversion c{{}, {Fixture("clip.avi"), tone}, {{"map", "0:0"}, {"map", "1:0"}, {"vcodec", "mpeg4"}, {"acodec", "flac"}}};
    Convert(c, longer);
    c.outputOpts.push_back({"shortest", "1"});
    Convert(c, shortest);
    EXPECT_NEAR(Num(Probe(longer, "", "format=duration")), 2.0, 0.1);
    EXPECT_LT(Num(Probe(shortest, "", "format=duration")), 1.3);
}

TEST_F(EngineTranscode, ProgramOfATransportStream)
{
    std::string out = dir / "program.avi";
    Convert({{{"programid", "1"}}, {Fixture("clip.ts")}, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}}, out);
    EXPECT_EQ(Probe(out, "", "stream=codec_type"), "video\naudio");
    EXPECT_NEAR(Num(Probe(out, "", "format=duration")), 2.0, 0.15);
}

TEST_F(EngineTranscode, BitStreamFilters)
{
    // H.264 from mp4 into a transport stream needs Annex B start codes
    std::string ts = dir / "annexb.ts";
    Convert({{}, {Fixture("clip.mp4")}, {{"vcodec", "copy"}, {"vbsf", "h264_mp4toannexb"}, {"acodec", "copy"}}}, ts);
    EXPECT_EQ(Probe(ts, "v:0", "stream=nb_read_frames", "-count_frames").substr(0, 3), "50\n");  // shown per program too
    // options of a filter after its name
    std::string meta = dir / "meta.mkv";
    Convert({{}, {Fixture("clip.mp4")}, {{"vcodec", "copy"}, {"vbsf", "h264_metadata=video_full_range_flag=1"}, {"an", "1"}}},
            meta);
    EXPECT_EQ(Probe(meta, "v:0", "stream=color_range"), "pc");
}

TEST_F(EngineTranscode, ProgressLineWithPsnrAndTotals)
{
    LogCapture log;
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("qscale", "3");
    e->ParseOption("psnr", "1");
    e->ParseOption("qphist", "1");
    ASSERT_GT(e->OpenOutputFile(dir / "psnr.avi"), 0);
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_TRUE(log.Contains("frame=   50 fps="));
    EXPECT_TRUE(log.Contains(" q=3.0 L"));
    std::string last = log.Find(" q=3.0 L");
    auto at = last.find("PSNR=Y:");
    ASSERT_NE(at, std::string::npos) << last;
    double y = std::atof(last.c_str() + at + 7);
    EXPECT_GT(y, 30.0);
    EXPECT_LT(y, 99.0);  // a real figure, not the no-error mark
    EXPECT_TRUE(log.Contains("video:"));
    EXPECT_TRUE(log.Contains("muxing overhead"));
}

TEST_F(EngineTranscode, RtpOutputLogsTheSessionDescription)
{
    LogCapture log;
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("an", "1");
    e->ParseOption("f", "rtp");
    ASSERT_GT(e->OpenOutputFile("rtp://127.0.0.1:15004"), 0) << e->LastErrMsg();
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    std::string sdp = log.Find("SDP:\r\n");
    EXPECT_NE(sdp.find("m=video 15004 RTP/AVP"), std::string::npos) << sdp;
}

TEST_F(EngineTranscode, CoverPictureOfAnAudioFile)
{
    std::string png = dir / "cover.png", mp3 = dir / "cover.mp3";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=64x64:duration=0.04 -frames:v 1", png));
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("tone.mp3")) + " -i " + Quote(png) +
                              " -map 0 -map 1 -c copy -disposition:v attached_pic",
                          mp3));
    for (const char* name : {"cover.avi", "cover.mp4", "cover.mkv"}) {
        SCOPED_TRACE(name);
        std::string out = dir / name;
        Convert({{}, {mp3}, {}}, out);
        EXPECT_EQ(Probe(out, "", "stream=codec_type"), "audio");  // the picture makes no video
    }
    // a video of an odd rate still encodes as MPEG-4
    std::string odd = dir / "odd.mkv", out = dir / "odd.avi";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=160x120:rate=100000/1001:duration=0.2 -c:v ffv1", odd));
    Convert({{}, {odd}, {{"vcodec", "mpeg4"}}}, out);
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name"), "mpeg4");
}

TEST_F(EngineTranscode, AudioOnlyProgress)
{
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("tone.mp3")));
    e->ParseOption("acodec", "libmp3lame");
    e->ReportInterval = 0;
    int n = 0;
    bool sawStart = false;
    int64_t lastCur = 0, total = 0;
    e->OnProgress = [&](TObject*, int, int frame, int fps, float q, float, int64_t, int64_t cur, int64_t tot) {
        EXPECT_EQ(frame, -1);
        EXPECT_EQ(fps, -1);
        EXPECT_FLOAT_EQ(q, -1.0f);
        sawStart = sawStart || cur == 10000;  // nothing written yet: 0.01 s
        lastCur = cur;
        total = tot;
        n++;
    };
    ASSERT_GT(e->OpenOutputFile(dir / "tone.mp3"), 0);
    e->StartConvert(false);
    ASSERT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_GT(n, 2);
    EXPECT_TRUE(sawStart);
    EXPECT_EQ(lastCur, total);
}

TEST_F(EngineTranscode, NoProgressBeforeTheFirstPicture)
{
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("vframes", "0");
    e->ReportInterval = 0;
    int n = 0;
    e->OnProgress = [&](TObject*, int, int, int, float, float, int64_t, int64_t, int64_t) { n++; };
    ASSERT_GT(e->OpenOutputFile(dir / "none.avi"), 0);
    e->StartConvert(false);
    EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
    EXPECT_TRUE(e->Finished());
    EXPECT_EQ(n, 0);
}
