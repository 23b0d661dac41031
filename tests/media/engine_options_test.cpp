// The engine's option dispatcher and handlers: keys, value forms, checks and
// error texts.
#include <cmath>
#include <fstream>

#include "Src/FFUtils.h"
#include "tests/media/engine_test_util.h"

using namespace enginetest;

class EngineOptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        e = std::make_unique<TCustomFFmpeg>(4);
    }
    std::unique_ptr<TCustomFFmpeg> e;
};

TEST(EngineObject, CapacityLimits)
{
    EXPECT_THROW(TCustomFFmpeg(0), EAssertionFailed);
    EXPECT_THROW(TCustomFFmpeg(513), EAssertionFailed);
    if (!GlobalLoader().Loaded(ConverterLibraries)) {
        // without the libraries an engine refuses work instead of calling into nothing
        TCustomFFmpeg idle(1);
        try {
            idle.ParseOption("s", "vga");
            FAIL();
        } catch (const FFmpegException& x) {
            EXPECT_STREQ(x.what(), "FFmpeg libraries are not loaded");
        }
        EXPECT_THROW(idle.OpenInputFile(Fixture("clip.avi")), FFmpegException);
        EXPECT_THROW(idle.OpenOutputFile("x.avi"), FFmpegException);
    }
    LoadLibraries();
    TCustomFFmpeg big(512);
    EXPECT_EQ(big.MaxFiles(), 512);
    EXPECT_EQ(big.nb_input_files(), 0);
    EXPECT_EQ(big.TotalOutputDuration(), -1);
}

TEST_F(EngineOptions, SwitchAndFlagKeys)
{
    struct Case { const char* key; const char* value; bool TCustomFFmpeg::*field; bool expect; };
    const Case cases[] = {
        {"copyts", "0", &TCustomFFmpeg::Fcopy_ts, true},        // a flag ignores its value
        {"xerror", "0", &TCustomFFmpeg::Fexit_on_error, true},
        {"shortest", "0", &TCustomFFmpeg::Fopt_shortest, false},
        {"shortest", "", &TCustomFFmpeg::Fopt_shortest, true},  // empty switches on
        {"an", "1", &TCustomFFmpeg::Faudio_disable, true},
        {"vn", "yes", &TCustomFFmpeg::Fvideo_disable, true},
        {"sn", "0", &TCustomFFmpeg::Fsubtitle_disable, false},
        {"re", "2", &TCustomFFmpeg::Frate_emu, true},
        {"isync", "1", &TCustomFFmpeg::Finput_sync, true},
        {"dump", "1", &TCustomFFmpeg::Fdo_pkt_dump, true},
        {"force_fps", "1", &TCustomFFmpeg::Fforce_fps, true},
    };
    for (const auto& c : cases) {
        e->ParseOption(c.key, c.value);
        EXPECT_EQ((*e).*(c.field), c.expect) << c.key << "=" << c.value;
    }
}

TEST_F(EngineOptions, ErrorAndLogOnlyKeys)
{
    LogCapture log;
    try {
        e->ParseOption("threads", "4");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "TODO: option - threads");
    }
    for (const char* k : {"padtop", "padcolor"}) {
        try {
            e->ParseOption(k, "1");
            FAIL() << k;
        } catch (const FFmpegException& x) {
            EXPECT_STREQ(x.what(), "Please use vfilters=pad");
        }
    }
    e->ParseOption("version", "");
    EXPECT_TRUE(log.Has(llInfo, "Do nothing: option - version"));
    e->ParseOption("timelimit", "10");
    EXPECT_TRUE(log.Has(llWarning, "Warning: -timelimit not implemented on Windows"));
}

TEST_F(EngineOptions, StoredValuesAndConversionErrors)
{
    e->ParseOption("vframes", "100");
    e->ParseOption("aframes", "7");
    e->ParseOption("fs", "5000000000");
    e->ParseOption("adrift_threshold", "0.5");
    e->ParseOption("vol", "512");
    e->ParseOption("alang", "eng");
    EXPECT_EQ(e->Fmax_frames[0], 100);
    EXPECT_EQ(e->Fmax_frames[1], 7);
    EXPECT_EQ(e->Flimit_filesize, 5000000000LL);
    EXPECT_FLOAT_EQ(e->Faudio_drift_threshold, 0.5f);
    EXPECT_EQ(e->Faudio_volume, 512);
    EXPECT_EQ(e->Faudio_language, "eng");
    EXPECT_THROW(e->ParseOption("vframes", "abc"), EConvertError);
    EXPECT_EQ(e->Fmax_frames[0], 100);
    EXPECT_THROW(e->ParseOption("aq", "x1"), EConvertError);
}

TEST_F(EngineOptions, UnknownKeysReachTheStore)
{
    e->ParseOption("bufsize", "1835008");
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->rc_buffer_size, 1835008);
    // letter case matters: "VB" is no table key, the store takes "b" from it
    e->ParseOption("VB", "300000");
    EXPECT_EQ(e->Fvideo_codec_name, "");
    e->ParseOption("nosuchoption", "1");  // dropped without an error
}

TEST_F(EngineOptions, SizesRatesAndDurations)
{
    struct Size { const char* text; int w, h; };
    for (const Size& s : {Size{"320x240", 320, 240}, Size{"vga", 640, 480}, Size{"ntsc", 720, 480},
                          Size{"pal", 720, 576}, Size{"hd720", 1280, 720}, Size{"qcif", 176, 144}}) {
        e->ParseOption("s", s.text);
        EXPECT_EQ(e->Fframe_width, s.w) << s.text;
        EXPECT_EQ(e->Fframe_height, s.h) << s.text;
    }
    e->ParseOption("s", "");
    EXPECT_EQ(e->Fframe_width, 176);
    try {
        e->ParseOption("s", "12y");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Incorrect frame size");
    }

    struct Rate { const char* text; int num, den; };
    for (const Rate& r : {Rate{"ntsc", 30000, 1001}, Rate{"pal", 25, 1}, Rate{"film", 24, 1},
                          Rate{"30000/1001", 30000, 1001}, Rate{"25", 25, 1}, Rate{"ntsc-film", 24000, 1001}}) {
        e->ParseOption("r", r.text);
        EXPECT_EQ(av_cmp_q(e->Fframe_rate, AVRational{r.num, r.den}), 0) << r.text;
    }
    try {
        e->ParseOption("r", "fast");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Incorrect frame rate");
    }

    e->ParseOption("t", "1:02.5");
    EXPECT_EQ(e->Frecording_time, 62500000);
    EXPECT_EQ(e->TotalOutputDuration(), 62500000);
    e->ParseOption("ss", "00:00:01.5");
    EXPECT_EQ(e->Fstart_time, 1500000);
    e->ParseOption("itsoffset", "-2");
    EXPECT_EQ(e->Finput_ts_offset, -2000000);
    e->ParseOption("timestamp", "2010-01-02 03:04:05.6");
    EXPECT_EQ(e->Frecording_timestamp % 60, 6);  // whole seconds, rounded
    try {
        e->ParseOption("ss", "soon");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Invalid duration specification for ss: soon");
    }
    try {
        e->ParseOption("timestamp", "yesterday");
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_STREQ(x.what(), "Invalid date specification for timestamp: yesterday");
    }
}

TEST_F(EngineOptions, HandlerChecks)
{
    struct Case { const char* key; const char* value; const char* error; };
    e->ParseOption("s", "320x240");
    const Case cases[] = {
        {"aspect", "4:0", "Incorrect aspect ratio specification."},
        {"aspect", "0", "Incorrect aspect ratio specification."},
        {"croptop", "240", "Vertical crop dimensions are outside the range of the original image.\n"
                           "Remember to crop first and scale second."},
        {"cropleft", "320", "Horizontal crop dimensions are outside the range of the original image.\n"
                            "Remember to crop first and scale second."},
        {"qscale", "255.5", "qscale must be > 0.0 and <= 255"},
        {"qscale", "0", "qscale must be > 0.0 and <= 255"},
        {"pass", "3", "pass number can be only 1 or 2"},
        {"metadata", "title", "Missing ="},
        {"itsscale", "20:2", "stream index over MAX_STREAMS(20)"},
        {"streamid", "3", "Invalid value \"3\" for option \"streamid\", required syntax is \"index:value\""},
        {"streamid", ":3", "Invalid value \":3\" for option \"streamid\", required syntax is \"index:value\""},
        {"pix_fmt", "nosuchfmt", "Unknown pixel format requested: nosuchfmt"},
        {"vbsf", "nosuchbsf=1", "Unknown bitstream filter nosuchbsf=1"},
        {"intra_matrix", "1,2,3", "Syntax error in matrix \"1,2,3\" at coeff 2"},
        {"vhook", "nosuchhook.so -x", "Failed to add video hook function: nosuchhook.so -x"},
        {"newaudio", "", "At least one output file must be specified"},
    };
    for (const auto& c : cases) {
        try {
            e->ParseOption(c.key, c.value);
            ADD_FAILURE() << c.key << "=" << c.value << " passed";
        } catch (const FFmpegException& x) {
            EXPECT_EQ(std::string(x.what()), c.error) << c.key << "=" << c.value;
        }
    }
    EXPECT_EQ(e->Fframe_height, 240);  // failed crops changed nothing
    EXPECT_EQ(e->Fdo_pass, 0);
    EXPECT_TRUE(e->Fintra_matrix.empty());
}

TEST_F(EngineOptions, HandlerValues)
{
    e->ParseOption("aspect", "16:9");
    EXPECT_NEAR(e->Fframe_aspect_ratio, 1.7778, 1e-4);
    e->ParseOption("aspect", "1.5");
    EXPECT_FLOAT_EQ(e->Fframe_aspect_ratio, 1.5f);

    e->ParseOption("s", "320x240");
    e->ParseOption("croptop", "0");
    EXPECT_EQ(e->Fframe_height, 240);
    {
        LogCapture log;
        e->ParseOption("croptop", "16");
        EXPECT_TRUE(log.Has(llWarning, "Croptop is deprecated in favor of the crop avfilter"));
    }
    EXPECT_EQ(e->Fframe_topBand, 16);
    EXPECT_EQ(e->Fframe_height, 224);

    e->ParseOption("qscale", "255");
    EXPECT_FLOAT_EQ(e->Fvideo_qscale, 255.0f);

    e->ParseOption("vtag", "XVID");
    EXPECT_EQ(e->Fvideo_codec_tag, 0x44495658u);
    EXPECT_EQ(e->Fvideo_codec_tag & 0xFF, uint32_t('X'));
    try {
        e->ParseOption("vtag", "XVIDS");
        FAIL();
    } catch (const EAssertionFailed& x) {
        EXPECT_STREQ(x.what(), "video tag parameter must be 4 chars");
    }
    EXPECT_THROW(e->ParseOption("atag", "ab"), EAssertionFailed);

    e->ParseOption("map", "0.1");
    e->ParseOption("map", "0:1:1:0");
    e->ParseOption("map", "0x1:010");
    ASSERT_EQ(e->Fstream_maps.size(), 3u);
    EXPECT_EQ(e->Fstream_maps[0].file_index, 0);
    EXPECT_EQ(e->Fstream_maps[0].stream_index, 1);
    EXPECT_EQ(e->Fstream_maps[0].sync_file_index, 0);
    EXPECT_EQ(e->Fstream_maps[0].sync_stream_index, 1);
    EXPECT_EQ(e->Fstream_maps[1].sync_file_index, 1);
    EXPECT_EQ(e->Fstream_maps[1].sync_stream_index, 0);
    EXPECT_EQ(e->Fstream_maps[2].file_index, 1);
    EXPECT_EQ(e->Fstream_maps[2].stream_index, 8);

    e->ParseOption("map_meta_data", "0:1");
    ASSERT_EQ(e->Fmeta_data_maps.size(), 1u);
    EXPECT_EQ(e->Fmeta_data_maps[0].out_file, 0);
    EXPECT_EQ(e->Fmeta_data_maps[0].in_file, 1);

    e->ParseOption("metadata", "title=A=B");
    ASSERT_EQ(e->Fmetadata.size(), 1u);
    EXPECT_EQ(e->Fmetadata[0].first, "title");
    EXPECT_EQ(e->Fmetadata[0].second, "A=B");

    e->ParseOption("itsscale", "1:0.5");
    EXPECT_DOUBLE_EQ(e->Finput_files_ts_scale[0][1], 0.5);

    std::string m64, m63;
    for (int i = 0; i < 64; i++) {
        m64 += (i ? "," : "") + std::to_string(i + 1);
        if (i < 63)
            m63 += (i ? "," : "") + std::to_string(i + 1);
    }
    try {
        e->ParseOption("intra_matrix", m63);
        FAIL();
    } catch (const FFmpegException& x) {
        EXPECT_EQ(std::string(x.what()), "Syntax error in matrix \"" + m63 + "\" at coeff 62");
    }
    e->ParseOption("inter_matrix", m64);
    ASSERT_EQ(e->Finter_matrix.size(), 64u);
    EXPECT_EQ(e->Finter_matrix[63], 64);

    e->ParseOption("vbsf", "h264_mp4toannexb");
    e->ParseOption("vbsf", "h264_mp4toannexb");
    e->ParseOption("absf", "aac_adtstoasc");
    e->ParseOption("vbsf", "=x");  // nothing
    EXPECT_EQ(e->Fvideo_bitstream_filters.size(), 2u);
    EXPECT_EQ(e->Faudio_bitstream_filters.size(), 1u);

    e->ParseOption("ar", "0");
    e->ParseOption("ac", "-1");
    EXPECT_EQ(e->Faudio_sample_rate, 44100);
    EXPECT_EQ(e->Faudio_channels, 2);
    e->ParseOption("ar", "22050");
    EXPECT_EQ(e->Faudio_sample_rate, 22050);

    e->ParseOption("streamid", "2:301");
    EXPECT_EQ(e->Fstreamid_map[2], 301);

    e->ParseOption("vcodec", "copy");
    e->ParseOption("vcodec", "mpeg4");
    EXPECT_EQ(e->Fvideo_stream_copy, 1);  // a later name does not clear the copy
    EXPECT_EQ(e->Fvideo_codec_name, "mpeg4");

    e->ParseOption("f", "pgmyuv");
    EXPECT_EQ(e->Flast_asked_format, "image2");
    EXPECT_EQ(e->Fpgmyuv_compatibility_hack, 1);
}

TEST_F(EngineOptions, IndexesAreRangeChecked)
{
    const char* bad[][2] = {
        {"map", "-1:0"}, {"map", "4:0"}, {"map", "0:20"}, {"map", "0:0:9:0"},
        {"map_meta_data", "0:4"}, {"map_meta_data", "-1:0"},
        {"streamid", "20:1"}, {"streamid", "-1:1"}, {"itsscale", "-1:2"},
    };
    for (auto& b : bad)
        EXPECT_THROW(e->ParseOption(b[0], b[1]), FFmpegException) << b[0] << "=" << b[1];
    EXPECT_TRUE(e->Fstream_maps.empty());
    EXPECT_TRUE(e->Fmeta_data_maps.empty());
    for (int i = 0; i < 4 * MAX_STREAMS; i++)
        e->ParseOption("map", "0:0");
    EXPECT_THROW(e->ParseOption("map", "0:0"), FFmpegException);  // the list is full
}

TEST_F(EngineOptions, BitRateWarning)
{
    LogCapture log;
    const std::string warn = "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s";
    e->ParseOption("ab", "128");
    EXPECT_TRUE(log.Has(llWarning, warn));
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate, 128);
    e->ParseOption("b", "800000");
    EXPECT_EQ(log.Count(warn), 1);
    EXPECT_EQ(e->Options()->avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 800000);
}

TEST_F(EngineOptions, TypedSetters)
{
    e->SetRecordingTime(AV_NOPTS_VALUE);
    EXPECT_EQ(e->Frecording_time, INT64_MAX);
    e->SetRecordingTime(5000000);
    EXPECT_EQ(e->TotalOutputDuration(), 5000000);
    e->SetStartTime(AV_NOPTS_VALUE);
    EXPECT_EQ(e->Fstart_time, 0);
    e->SetProgramID(-1);
    EXPECT_EQ(e->Fopt_programid, 0);
    e->SetAudioVolume(-5);
    EXPECT_EQ(e->Faudio_volume, 256);
    e->SetMuxMaxDelay(0);
    EXPECT_FLOAT_EQ(e->Fmux_max_delay, 0.7f);
    e->SetMuxPreload(0.2f);
    EXPECT_FLOAT_EQ(e->Fmux_preload, 0.2f);
}

TEST_F(EngineOptions, ResetRestoresDefaults)
{
    e->ParseOption("s", "640x480");
    e->ParseOption("vcodec", "mpeg4");
    e->ParseOption("qscale", "3");
    e->ParseOption("bufsize", "1000");
    e->Reset();
    EXPECT_EQ(e->Fframe_width, 0);
    EXPECT_EQ(e->Fvideo_codec_name, "");
    EXPECT_FLOAT_EQ(e->Fvideo_qscale, 0);
    EXPECT_EQ(e->Options()->opt_name_count, 0);
    EXPECT_EQ(e->Faudio_sample_rate, 44100);
    EXPECT_EQ(e->Fverbose, 1);
}
