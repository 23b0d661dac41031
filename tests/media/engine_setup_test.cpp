// Inputs, output streams, targets and codec presets of the engine, and the
// engine object's run frame (start, terminate, stop).
#include <atomic>
#include <cmath>
#include <fstream>
#include <thread>

#include "Src/FFUtils.h"
#include "tests/media/engine_test_util.h"

using namespace enginetest;

class EngineSetup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        e = std::make_unique<TCustomFFmpeg>(4);
    }
    std::unique_ptr<TCustomFFmpeg> e;
    TempDir dir{"setup"};
};

namespace {

// Opens the encoder of an output stream as the run would; returns the result.
int OpenEncoder(TOutputStreamSetup& s)
{
    AVDictionary* opts = nullptr;
    ff::av_dict_copy(&opts, s.enc_opts, 0);
    int r = ff::avcodec_open2(s.enc, s.codec, &opts);
    ff::av_dict_free(&opts);
    return r;
}

std::string PrivOpt(AVCodecContext* c, const char* name)
{
    uint8_t* v = nullptr;
    if (ff::av_opt_get(c->priv_data, name, 0, &v) < 0 || !v)
        return "?";
    std::string r = (const char*)v;
    ff::av_free(v);
    return r;
}

}  // namespace

TEST_F(EngineSetup, EveryBuiltInPresetOpensLibx264)
{
    ASSERT_EQ(BuiltInPresets().size(), 36u);
    for (const auto& p : BuiltInPresets()) {
        SCOPED_TRACE(p.Name);
        TCustomFFmpeg x(2);
        ASSERT_TRUE(x.OpenInputFile(Fixture("clip.mp4"))) << x.LastErrMsg();
        x.ParseOption("vcodec", "libx264");
        x.ParseOption("acodec", "aac");
        EXPECT_NO_THROW(x.ParseOption("vpre", p.Name));
        ASSERT_GT(x.OpenOutputFile(dir / "p.mp4"), 0) << x.LastErrMsg();
        TOutputStreamSetup& v = x.OutputFileRec(0).streams[0];
        ASSERT_EQ(v.codec->id, AV_CODEC_ID_H264);
        EXPECT_GE(OpenEncoder(v), 0);
    }
}

TEST_F(EngineSetup, PresetOptionsReachTheEncoder)
{
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.mp4")));
    e->ParseOption("vcodec", "libx264");
    e->ParseOption("vpre", "default");  // found through the codec prefix
    ASSERT_GT(e->OpenOutputFile(dir / "d.mp4"), 0) << e->LastErrMsg();
    AVCodecContext* enc = e->OutputFileRec(0).streams[0].enc;
    EXPECT_EQ(enc->gop_size, 250);
    EXPECT_EQ(enc->max_b_frames, 3);
    EXPECT_EQ(enc->refs, 3);
    EXPECT_EQ(enc->me_subpel_quality, 7);
    EXPECT_EQ(PrivOpt(enc, "partitions"), "i8x8,i4x4,p8x8,b8x8");
    EXPECT_EQ(PrivOpt(enc, "weightp"), "2");
    EXPECT_EQ(PrivOpt(enc, "sc_threshold"), "40");
    EXPECT_EQ(PrivOpt(enc, "8x8dct"), "true");

    TCustomFFmpeg x(2);
    ASSERT_TRUE(x.OpenInputFile(Fixture("clip.mp4")));
    x.ParseOption("vcodec", "libx264");
    x.ParseOption("vpre", "LIBX264-BASELINE");  // letter case ignored
    ASSERT_GT(x.OpenOutputFile(dir / "b.mp4"), 0);
    AVCodecContext* b = x.OutputFileRec(0).streams[0].enc;
    EXPECT_EQ(b->max_b_frames, 0);
    EXPECT_EQ(PrivOpt(b, "8x8dct"), "false");
}

TEST_F(EngineSetup, PresetFiles)
{
    try {
        e->ParseOption("fpre", dir / "missing.ffpreset");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_EQ(std::string(x.what()), "Preset \"" + (dir / "missing.ffpreset") + "\" not found");
    }
    std::string good = dir / "good.ffpreset";
    std::ofstream(good) << "\r\n  acodec=copy  \r\n\r\nbufsize=1000000\r\nqmin=3\n";
    e->ParseOption("fpre", good);
    EXPECT_EQ(e->Faudio_stream_copy, 1);
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->rc_buffer_size, 1000000);

    std::string bad = dir / "bad.ffpreset";
    std::ofstream(bad) << "g=12\nnoequals\n";
    try {
        e->ParseOption("fpre", bad);
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_EQ(std::string(x.what()), bad + ": Invalid syntax: \"noequals\"");
    }
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->gop_size, 12);  // the lines before stay

    std::string unknown = dir / "unknown.ffpreset";
    std::ofstream(unknown) << "nosuchoption=1\n";
    try {
        e->ParseOption("vpre", unknown);
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_EQ(std::string(x.what()),
                  unknown + ": Invalid option or argument: \"nosuchoption=1\", parsed as \"nosuchoption\" = \"1\"");
    }
    e->ParseOption("apre", "");  // nothing
}

TEST_F(EngineSetup, TargetsSetTheirValues)
{
    LogCapture log;
    e->ParseOption("target", "pal-dvd");
    EXPECT_EQ(e->Fframe_width, 720);
    EXPECT_EQ(e->Fframe_height, 576);
    EXPECT_EQ(av_cmp_q(e->Fframe_rate, AVRational{25, 1}), 0);
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->gop_size, 15);
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 6000000);
    EXPECT_NEAR(e->Fframe_aspect_ratio, 16.0 / 9, 1e-4);
    EXPECT_TRUE(log.Has(llInfo, "Assuming 16:9 for aspect ratio"));
    EXPECT_EQ(e->Faudio_sample_rate, 48000);
    EXPECT_EQ(e->Fvideo_codec_name, "mpeg2video");
    EXPECT_EQ(e->Faudio_codec_name, "ac3");
    EXPECT_EQ(e->Flast_asked_format, "dvd");

    TCustomFFmpeg film(2);
    film.ParseOption("target", "film-vcd");
    EXPECT_EQ(film.Fframe_height, 240);
    EXPECT_EQ(av_cmp_q(film.Fframe_rate, AVRational{24000, 1001}), 0);
    EXPECT_EQ(film.Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->gop_size, 18);
    EXPECT_FLOAT_EQ(film.Fmux_preload, 0.44f);

    for (const char* norm : {"pal", "ntsc", "film"}) {
        TCustomFFmpeg d(2);
        d.ParseOption("target", std::string(norm) + "-dv50");
        EXPECT_EQ(d.Fframe_pix_fmt, AV_PIX_FMT_YUV422P) << norm;
    }
    TCustomFFmpeg dv(2);
    dv.ParseOption("target", "ntsc-dv");
    EXPECT_EQ(dv.Fframe_pix_fmt, AV_PIX_FMT_YUV411P);

    TCustomFFmpeg svcd(2);
    try {
        svcd.ParseOption("target", "svcd");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "frame_rate is invalid.");
    }
    TCustomFFmpeg cd(2);
    try {
        cd.ParseOption("target", "pal-cd");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Unknown target type");
    }
}

TEST_F(EngineSetup, TargetNormDetectedFromTheInput)
{
    std::string ntsc = dir / "ntsc.mp4";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=320x240:rate=30000/1001:duration=0.5 -c:v mpeg4", ntsc));
    ASSERT_TRUE(e->OpenInputFile(ntsc)) << e->LastErrMsg();
    e->ParseOption("target", "dvd");
    EXPECT_EQ(e->Fframe_height, 480);
    EXPECT_EQ(av_cmp_q(e->Fframe_rate, AVRational{30000, 1001}), 0);

    TCustomFFmpeg pal(2);
    ASSERT_TRUE(pal.OpenInputFile(Fixture("clip.avi")));
    pal.ParseOption("target", "svcd");
    EXPECT_EQ(pal.Fframe_width, 480);
    EXPECT_EQ(pal.Fframe_height, 576);
}

// The targets against Debian's ffmpeg -target on the same input.
TEST_F(EngineSetup, TargetsMatchFfmpeg)
{
    struct Case { const char* target; const char* ext; };
    const Case cases[] = {{"pal-vcd", "mpg"}, {"ntsc-svcd", "mpg"}, {"pal-dvd", "vob"}, {"ntsc-dvd", "vob"},
                          {"pal-dv", "dv"}, {"ntsc-dv", "dv"}, {"pal-dv50", "dv"}, {"film-vcd", "mpg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        std::string ours = dir / (std::string("ours-") + c.target + "." + c.ext);
        std::string theirs = dir / (std::string("ref-") + c.target + "." + c.ext);
        ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -threads 1 -target " + c.target, theirs));
        TCustomFFmpeg x(2);
        ASSERT_TRUE(x.OpenInputFile(Fixture("clip.avi")));
        x.ParseOption("target", c.target);
        ASSERT_GT(x.OpenOutputFile(ours), 0) << x.LastErrMsg();
        x.StartConvert(false);
        ASSERT_FALSE(x.FatalException()) << x.FatalMessage();
        const char* entries = "format=format_name:stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,"
                              "bit_rate,max_bit_rate,display_aspect_ratio,sample_rate,channels";
        const ProbedFile o = ProbeFile(ours, entries), r = ProbeFile(theirs, entries);
        EXPECT_EQ(o.Get("", "format_name"), r.Get("", "format_name"));
        const char* video = "codec_name,width,height,pix_fmt,r_frame_rate,bit_rate,max_bit_rate,display_aspect_ratio";
        EXPECT_EQ(o.Get("v:0", video), r.Get("v:0", video));
        EXPECT_EQ(o.Get("a:0", "codec_name,sample_rate,bit_rate"), r.Get("a:0", "codec_name,sample_rate,bit_rate"));
        // the mono source: our dvd and svcd targets make it stereo, current ffmpeg keeps dvd mono
        std::string t = c.target;
        bool stereo = t.find("vcd") != std::string::npos || t.find("dv") != std::string::npos;
        EXPECT_EQ(o.Get("a:0", "channels"), stereo ? "2" : r.Get("a:0", "channels"));
    }
}

TEST_F(EngineSetup, InputFileFields)
{
    std::string sar = dir / "sar.mkv";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc=size=720x576:rate=25:duration=0.2 -vf setsar=16/15 -c:v ffv1", sar));
    ASSERT_TRUE(e->OpenInputFile(sar)) << e->LastErrMsg();
    EXPECT_NEAR(e->Fframe_aspect_ratio, 720.0 * 16 / 15 / 576, 1e-4);
    EXPECT_EQ(e->Fframe_width, 720);
    EXPECT_EQ(av_cmp_q(e->Fframe_rate, AVRational{25, 1}), 0);

    TCustomFFmpeg a(2);
    ASSERT_TRUE(a.OpenInputFile(Fixture("tone.mp3")));
    EXPECT_EQ(a.Faudio_sample_rate, 44100);
    EXPECT_EQ(a.Faudio_channels, 1);
    EXPECT_GT(a.TotalOutputDuration(), 1900000);
    // an audio-only input gives no video stream, though mp4 has a default video codec
    ASSERT_GT(a.OpenOutputFile(dir / "a.mp4"), 0) << a.LastErrMsg();
    ASSERT_EQ(a.OutputFile(0)->nb_streams, 1u);
    EXPECT_EQ(a.OutputFileRec(0).streams[0].enc->codec_type, AVMEDIA_TYPE_AUDIO);
}

TEST_F(EngineSetup, InputFailures)
{
    struct Case { const char* file; const char* error; };
    const Case cases[] = {
        {"nosuch.avi", "nosuch.avi: No such file or directory"},
        {"text.avi", "text.avi: Invalid data found when processing input"},
        {"empty.avi", "empty.avi: Invalid data found when processing input"},
    };
    for (const Case& c : cases) {
        TCustomFFmpeg x(2);
        EXPECT_FALSE(x.OpenInputFile(Fixture(c.file))) << c.file;
        EXPECT_EQ(x.LastErrMsg(), Fixture(c.error));
    }
    TCustomFFmpeg x(2);
    x.ParseOption("vcodec", "nosuchdecoder");
    EXPECT_FALSE(x.OpenInputFile(Fixture("clip.avi")));
    EXPECT_EQ(x.LastErrMsg(), "Unknown decoder 'nosuchdecoder'");
    EXPECT_EQ(x.Fvideo_codec_name, "");
    x.ParseOption("acodec", "h264");
    EXPECT_FALSE(x.OpenInputFile(Fixture("clip.avi")));
    EXPECT_EQ(x.LastErrMsg(), "Invalid decoder type 'h264'");
    x.ParseOption("f", "nosuchformat");
    try {
        x.OpenInputFile(Fixture("clip.avi"));
        FAIL();
    } catch (const FFmpegException& err) {
        EXPECT_STREQ(err.what(), "Unknown input format: \"nosuchformat\"");
    }
    EXPECT_THROW(x.OpenInputFile(Fixture("clip.avi")), FFmpegException);  // the bad format stays asked for
    TCustomFFmpeg y(2);
    y.ParseOption("programid", "77");
    EXPECT_FALSE(y.OpenInputFile(Fixture("clip.ts")));
    EXPECT_EQ(y.LastErrMsg(), "Specified program id not found");
    TCustomFFmpeg z(2);
    EXPECT_TRUE(z.OpenInputFile(Fixture("中文 视频.mp4"))) << z.LastErrMsg();
    EXPECT_TRUE(z.OpenInputFile(Fixture("a:b.avi"))) << z.LastErrMsg();
    EXPECT_EQ(z.nb_input_files(), 2);
}

TEST_F(EngineSetup, OutputStreamsFromTheOptionState)
{
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("vtag", "XVID");
    e->ParseOption("s", "160x120");
    e->ParseOption("aspect", "4:3");
    e->ParseOption("qscale", "4");
    e->ParseOption("rc_override", "0,100,5/101,200,-50");
    e->ParseOption("acodec", "libmp3lame");
    e->ParseOption("ar", "22050");
    e->ParseOption("ac", "1");
    e->ParseOption("alang", "eng");
    e->ParseOption("metadata", "title=First");
    e->ParseOption("metadata", "title=Second");
    e->ParseOption("streamid", "0:33");
    ASSERT_EQ(e->OpenOutputFile(dir / "o.avi"), 1) << e->LastErrMsg();
    AVFormatContext* oc = e->OutputFile(0);
    ASSERT_EQ(oc->nb_streams, 2u);
    AVCodecContext* v = e->OutputFileRec(0).streams[0].enc;
    EXPECT_EQ(v->codec_tag, 0x44495658u);
    EXPECT_EQ(v->width, 160);
    EXPECT_EQ(v->height, 120);
    EXPECT_EQ(v->sample_aspect_ratio.num, v->sample_aspect_ratio.den);  // square pixels
    EXPECT_TRUE(v->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(v->global_quality, 4 * FF_QP2LAMBDA);
    ASSERT_EQ(v->rc_override_count, 2);
    EXPECT_EQ(v->rc_override[0].start_frame, 0);
    EXPECT_EQ(v->rc_override[0].end_frame, 100);
    EXPECT_EQ(v->rc_override[0].qscale, 5);
    EXPECT_FLOAT_EQ(v->rc_override[0].quality_factor, 1.0f);
    EXPECT_EQ(v->rc_override[1].qscale, 0);
    EXPECT_FLOAT_EQ(v->rc_override[1].quality_factor, 0.5f);
    EXPECT_EQ(oc->streams[0]->id, 33);
    AVCodecContext* a = e->OutputFileRec(0).streams[1].enc;
    EXPECT_EQ(a->sample_rate, 22050);
    EXPECT_EQ(a->ch_layout.nb_channels, 1);
    EXPECT_STREQ(ff::av_dict_get(oc->streams[1]->metadata, "language", nullptr, 0)->value, "eng");
    EXPECT_STREQ(ff::av_dict_get(oc->metadata, "title", nullptr, 0)->value, "First");
    // per-stream options were consumed
    EXPECT_EQ(e->Fvideo_codec_name, "");
    EXPECT_EQ(e->Faudio_language, "");
    EXPECT_EQ(e->Fmetadata.size(), 0u);
    EXPECT_EQ(e->Fstreamid_map[0], 0);

    e->ParseOption("acodec", "pcm_s16le");
    e->ParseOption("newaudio", "");
    EXPECT_EQ(oc->nb_streams, 3u);
    e->ParseOption("vcodec", "nosuchencoder");
    try {
        e->ParseOption("newvideo", "");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Unknown encoder 'nosuchencoder'");
    }
    e->ParseOption("rc_override", "1,2");
    try {
        e->ParseOption("newvideo", "");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "error parsing rc_override");
    }
}

TEST_F(EngineSetup, EncoderFrameRatesAndSampleRates)
{
    e->ParseOption("vcodec", "mpeg1video");
    ASSERT_GT(e->OpenOutputFile(dir / "r.mpg"), 0) << e->LastErrMsg();
    AVCodecContext* v = e->OutputFileRec(0).streams[0].enc;
    EXPECT_EQ(av_cmp_q(v->framerate, AVRational{25, 1}), 0);

    LogCapture log;
    static const int rates[] = {44100, 48000, 0};
    AVCodec fake{};
    fake.supported_samplerates = rates;
    AVCodecContext* c = ff::avcodec_alloc_context3(nullptr);
    c->sample_rate = 46050;
    e->ChooseSampleRate(c, &fake);
    EXPECT_EQ(c->sample_rate, 44100);
    EXPECT_TRUE(log.Has(llWarning, "Requested sampling rate unsupported using closest supported (44100)"));
    ff::avcodec_free_context(&c);
}

TEST_F(EngineSetup, OutputFiles)
{
    std::string out = dir / "late.avi";
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    ASSERT_GT(e->OpenOutputFile(out), 0) << e->LastErrMsg();
    EXPECT_FALSE(std::filesystem::exists(out));  // opened when the run starts, not at set-up

    // an existing file is not emptied by setting a task up
    std::string keep = dir / "keep.avi";
    std::ofstream(keep) << "precious";
    TCustomFFmpeg k(2);
    ASSERT_TRUE(k.OpenInputFile(Fixture("clip.avi")));
    ASSERT_GT(k.OpenOutputFile(keep), 0);
    k.Reset();
    EXPECT_EQ(std::filesystem::file_size(keep), 8u);

    struct Case { std::string name; std::string error; };
    std::string copy = dir / "same.avi";
    std::filesystem::copy_file(Fixture("clip.avi"), copy);
    std::string link = dir / "link.avi";
    std::filesystem::create_hard_link(copy, link);
    const Case cases[] = {
        {copy, "Output file \"" + copy + "\" is the same file as input file \"" + copy + "\""},
        {link, "Output file \"" + link + "\" is the same file as input file \"" + copy + "\""},
        {dir / "nofolder/x.avi", dir / "nofolder/x.avi" + ": No such file or directory"},
        {dir / (std::string(300, 'n') + ".avi"), "Output file name is too long: " + dir / (std::string(300, 'n') + ".avi")},
        {dir / "x.nosuchext", "Unable to find a suitable output format for '" + dir / "x.nosuchext" + "'"},
    };
    for (const Case& c : cases) {
        TCustomFFmpeg x(2);
        ASSERT_TRUE(x.OpenInputFile(copy));
        EXPECT_EQ(x.OpenOutputFile(c.name), -1);
        EXPECT_EQ(x.LastErrMsg(), c.error);
    }
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(Fixture("clip.avi")));

    TCustomFFmpeg f(2);
    f.ParseOption("f", "nosuchmuxer");
    EXPECT_EQ(f.OpenOutputFile(dir / "y.avi"), -1);
    EXPECT_EQ(f.LastErrMsg(), "Requested output format 'nosuchmuxer' is not a suitable output format");
    TCustomFFmpeg img(2);
    ASSERT_TRUE(img.OpenInputFile(Fixture("clip.avi")));
    img.ParseOption("f", "image2");
    EXPECT_EQ(img.OpenOutputFile(dir / "frame.png"), -1);
    EXPECT_EQ(img.LastErrMsg(), dir / "frame.png" + ": Number syntax expected in filename");
}

TEST_F(EngineSetup, JoinMode)
{
    for (int i = 0; i < 3; i++)
        ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    ASSERT_EQ(e->OpenOutputFile(dir / "j.avi", true), 3);
    EXPECT_TRUE(e->JoinMode());
    EXPECT_EQ(e->OutputFile(0), e->OutputFile(2));
    int64_t one = 0;
    {
        TCustomFFmpeg x(1);
        ASSERT_TRUE(x.OpenInputFile(Fixture("clip.avi")));
        one = x.InputFile(0)->duration;
    }
    EXPECT_EQ(e->TotalOutputDuration(), 3 * one);
    EXPECT_EQ(e->OpenOutputFile(dir / "k.avi"), -1);
    EXPECT_EQ(e->LastErrMsg(), "Cannot join more than one output file.");
}

TEST_F(EngineSetup, StartWithoutFiles)
{
    LogCapture log;
    std::atomic<int> terminated{0};
    e->OnTerminate = [&](TObject*) { terminated++; };
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    EXPECT_EQ(e->StartConvert(false), nullptr);
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(e->FatalException());
    EXPECT_EQ(e->FatalMessage(), "At least one output file must be specified");
    EXPECT_TRUE(log.Has(llQuiet, "At least one output file must be specified"));
    EXPECT_EQ(e->StartConvert(false), nullptr);  // a terminated engine runs no more
    EXPECT_EQ(terminated, 1);

    TCustomFFmpeg x(2);
    x.OnTerminate = [&](TObject*) { terminated++; };
    ASSERT_GT(x.OpenOutputFile(dir / "z.avi"), 0) << x.LastErrMsg();
    x.StartConvert(false);
    EXPECT_EQ(x.FatalMessage(), "At least one input file must be specified");
    EXPECT_EQ(terminated, 2);
}

TEST_F(EngineSetup, StopOrTerminateOfAFreshEngine)
{
    std::atomic<int> calls{0};
    std::thread::id where;
    e->OnTerminate = [&](TObject*) {
        where = std::this_thread::get_id();
        calls++;
    };
    e->Stop(true);  // returns at once
    e->StopOrTerminate(true);
    EXPECT_EQ(calls, 1);
    EXPECT_NE(where, std::this_thread::get_id());
    EXPECT_TRUE(e->Terminated());
    e->StopOrTerminate(true);
    EXPECT_EQ(calls, 1);
}

// Options private to an encoder or a muxer reach the one chosen later.
TEST_F(EngineSetup, PrivateOptionsFindTheirEncoderAndMuxer)
{
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("muxrate", "10080000");    // the MPEG muxers' own option, no format asked yet
    e->ParseOption("sc_threshold", "33");     // libx264's, before the codec is named
    e->ParseOption("vcodec", "libx264");
    e->ParseOption("weightp", "1");           // checked against libx264 at once
    ASSERT_GT(e->OpenOutputFile(dir / "p.mpg"), 0) << e->LastErrMsg();
    AVFormatContext* oc = e->OutputFile(0);
    uint8_t* v = nullptr;
    ASSERT_GE(ff::av_opt_get(oc->priv_data, "muxrate", 0, &v), 0);
    EXPECT_STREQ((const char*)v, "10080000");
    ff::av_free(v);
    AVCodecContext* enc = e->OutputFileRec(0).streams[0].enc;
    EXPECT_EQ(PrivOpt(enc, "sc_threshold"), "33");
    EXPECT_EQ(PrivOpt(enc, "weightp"), "1");
    LogCapture log;
    e->ParseOption("vcodec", "libx264");
    e->ParseOption("weightp", "fancy");  // an invalid value is logged and dropped
    EXPECT_TRUE(log.Has(llError, "Invalid value \"fancy\" for option \"weightp\""));
}
