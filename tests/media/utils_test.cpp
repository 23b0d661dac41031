// Media utilities: text helpers, option store, whole-file reading, codec
// texts, local time stamps, and picture-to-bitmap against ffmpeg's own output.
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <thread>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Src/FFBaseComponent.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "platform/core/MainThread.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

namespace fs = std::filesystem;

namespace
{
const std::string kFixtures = QUORVEL_FIXTURES_DIR;

class Utils : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg(); }
};

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}
}

TEST(UtilsText, FetchToken)
{
    std::string s = "abc=def";
    EXPECT_EQ(FetchToken(s, "=", true), "abc");
    EXPECT_EQ(s, "def");
    s = "abc=def=g";
    EXPECT_EQ(FetchToken(s, "=", false), "abc");
    EXPECT_EQ(s, "abc=def=g");
    s = "plain";
    EXPECT_EQ(FetchToken(s, "=", true), "plain");
    EXPECT_EQ(s, "");
    s = "a<CRLF>b";
    EXPECT_EQ(FetchToken(s, "<CRLF>", true), "a");
    EXPECT_EQ(s, "b");
}

TEST(UtilsText, SizesDurationsFramesAndTypes)
{
    const struct { std::int64_t n; const char* text; } sizes[] = {
        {1073741825, "1.00 GB"}, {1073741824, "1024.00 MB"}, {1048576, "1024.00 KB"},
        {1024, "1024 Byte"},     {1025, "1.00 KB"},          {0, "0 Byte"},
        {-1, "-1 Byte"},
    };
    for (const auto& c : sizes) EXPECT_EQ(FormatFileSize(c.n), c.text) << c.n;

    const struct { std::int64_t us; const char* text; } durations[] = {
        {0, "00:00:00.000"},
        {(25LL * 3600 + 60 + 1) * 1000000 + 500000, "25:01:01.500"},
        {AV_NOPTS_VALUE, "N/A"},
        {1999, "00:00:00.001"},
        {3600LL * 1000000 * 100, "100:00:00.000"},
    };
    for (const auto& c : durations) EXPECT_EQ(DurationToText(c.us), c.text) << c.us;

    EXPECT_EQ(FrameDuration(30000, 1001), 33366);
    EXPECT_EQ(FrameDuration(25, 1), 40000);
    EXPECT_EQ(FrameDuration(0, 1), 40000);
    EXPECT_EQ(FrameDuration(25, 0), 40000);

    const char* types[] = {"Unknown", "Video", "Audio", "Data", "Subtitle", "Attachment", "Unknown"};
    for (int t = -1; t <= 5; ++t) EXPECT_EQ(MediaTypeName(t), types[t + 1]);

    EXPECT_EQ(SeekFlagsToAVSeekFlags(SeekFlag(sfBackward) | SeekFlag(sfAny)), AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    EXPECT_EQ(SeekFlagsToAVSeekFlags(SeekFlag(sfByte) | SeekFlag(sfFrame)), AVSEEK_FLAG_BYTE | AVSEEK_FLAG_FRAME);
}

TEST(UtilsText, FormatAVErrorTexts)
{
    const struct { int code; const char* text; } cases[] = {
        {-2, "No such file or directory"},
        {-7, "Error number -7 occurred"},
        {-1163346256, "Not yet implemented in FFmpeg"},
        {-10043, "Unsupported network protocol"},
        {-42, "Unknown format"},
        {-33, "Number syntax expected in filename"},
        {-32, "End of file"},
        {-22, "Invalid data found when processing input"},
        {-12, "Not enough memory"},
        {-5, "I/O error"},
        // The current libraries' codes for the same conditions.
        {AVERROR_EOF, "End of file"},
        {AVERROR_INVALIDDATA, "Invalid data found when processing input"},
        {AVERROR_DEMUXER_NOT_FOUND, "Unknown format"},
        {AVERROR_PROTOCOL_NOT_FOUND, "Unsupported network protocol"},
        {AVERROR(EACCES), "Permission denied"},
        {AVERROR(EISDIR), "Is a directory"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatAVError("in.avi", c.code), std::string("in.avi: ") + c.text);
}

TEST(UtilsTime, LocalTimeStampsFollowDaylightSaving)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    // 2009-07-01 12:00:00 UTC is 14:00 summer time; 2009-01-01 12:00:00 UTC is 13:00.
    EXPECT_EQ(DateTimeToText("yyyy-mm-dd hh:nn:ss", UnixToLocalDateTime(1246449600)), "2009-07-01 14:00:00");
    EXPECT_EQ(DateTimeToText("yyyy-mm-dd hh:nn:ss", UnixToLocalDateTime(1230811200)), "2009-01-01 13:00:00");
    EXPECT_EQ(DateTimeToText("d/m/yy h:mm \"at\" zzz", UnixToLocalDateTime(0)), "1/1/70 1:00 at 000");
    if (old) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(UtilsFiles, SizesPathsAndWholeFiles)
{
    EXPECT_EQ(FileSizeByName(kFixtures + "/empty.avi"), 0);
    EXPECT_EQ(FileSizeByName(kFixtures + "/clip.avi"), std::int64_t(fs::file_size(kFixtures + "/clip.avi")));
    EXPECT_EQ(FileSizeByName(kFixtures + "/no such file.avi"), -1);
    const std::string app = GetAppPath();
    ASSERT_FALSE(app.empty());
    EXPECT_EQ(app.back(), '/');
    EXPECT_TRUE(fs::exists(app + "media_utils_test"));
}

TEST_F(Utils, ReadFileToBufferCountsTheTerminator)
{
    std::uint8_t* buf = nullptr;
    int size = 0;
    ASSERT_EQ(ReadFileToBuffer(kFixtures + "/text.avi", &buf, &size), 0);
    const std::string text = "This is a text file, not a video.\n";
    EXPECT_EQ(size, int(text.size()) + 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), text);
    ff::av_free(buf);

    ASSERT_EQ(ReadFileToBuffer(kFixtures + "/empty.avi", &buf, &size), 0);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(buf[0], 0);
    ff::av_free(buf);

    EXPECT_EQ(ReadFileToBuffer(kFixtures + "/missing.ffpreset", &buf, &size), -1);
    EXPECT_EQ(buf, nullptr);
    // A FIFO (say, a two-pass log name taken by one) fails at once.
    EXPECT_EQ(ReadFileToBuffer("/dev/null", &buf, &size), -1);
    const std::string fifo = ::testing::TempDir() + "/utils-fifo-" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(ReadFileToBuffer(fifo, &buf, &size), -1);
    ::unlink(fifo.c_str());
}

TEST_F(Utils, CodecDescriptions)
{
    EXPECT_EQ(CodecDescription(AV_CODEC_ID_MPEG4, 0, false), "mpeg4(MPEG-4 part 2)");
    EXPECT_EQ(CodecDescription(AV_CODEC_ID_MPEG2TS, 0, false), "mpeg2ts");
    EXPECT_EQ(CodecDescription(AV_CODEC_ID_NONE, MKTAG('X', 'V', 'I', 'D'), false), "XVID / 0x44495658");
    EXPECT_EQ(CodecDescription(AV_CODEC_ID_NONE, 0x01020304, false), "0x1020304");
    EXPECT_EQ(CodecDescription(AV_CODEC_ID_NONE, 0x10, false), "0x0010");
    AVCodecContext* ctx = ff::avcodec_alloc_context3(nullptr);
    ctx->codec_id = AV_CODEC_ID_MP3;
    EXPECT_EQ(CodecDescription(ctx, true).rfind("libmp3lame", 0), 0u) << CodecDescription(ctx, true);
    ff::avcodec_free_context(&ctx);
}

TEST_F(Utils, OptionStoreSetsRecordsAndApplies)
{
    std::vector<std::string> logged;
    TFFLogger* logger = GetFFLogger();
    logger->SetTriggerEventInMainThread(false);
    logger->SetOnLog([&](TObject*, std::uint32_t, TLogLevel, const std::string& m) { logged.push_back(m); });

    TFFOptions o;
    InitFFOptions(o, SWS_BICUBIC);
    ASSERT_NE(o.avcodec_opts[0], nullptr);
    ASSERT_NE(o.sws_opts, nullptr);

    EXPECT_FALSE(SetFFOption(o, "b", "   "));
    EXPECT_FALSE(SetFFOption(o, " ", "1"));
    EXPECT_FALSE(SetFFOption(o, "nosuchoption", "1"));
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(o.opt_name_count, 0);

    EXPECT_FALSE(SetFFOption(o, "b", "notanumber"));
    ASSERT_FALSE(logged.empty());  // the libraries' own complaint comes first
    EXPECT_EQ(logged.back(), "Invalid value \"notanumber\" for option \"b\"");

    ASSERT_TRUE(SetFFOption(o, "b", "800k"));
    EXPECT_EQ(o.avcodec_opts[0]->bit_rate, 800000);
    EXPECT_EQ(o.avcodec_opts[1]->bit_rate, 800000);  // b is no video-only option
    ASSERT_TRUE(SetFFOption(o, "b", "900k"));        // recorded twice
    // Known only without its first letter: set on the audio context as "ar".
    ASSERT_TRUE(SetFFOption(o, "aar", "22050"));
    EXPECT_EQ(o.avcodec_opts[1]->sample_rate, 22050);
    // A format option and a scaler option.
    ASSERT_TRUE(SetFFOption(o, "probesize", "12345"));
    EXPECT_EQ(o.avformat_opts->probesize, 12345);
    ASSERT_TRUE(SetFFOption(o, "sws_flags", "bilinear"));
    // "vb": set on the video context as "b", recorded as "b".
    ASSERT_TRUE(SetFFOption(o, "vb", "700k"));
    EXPECT_EQ(o.avcodec_opts[0]->bit_rate, 700000);
    EXPECT_EQ(o.avcodec_opts[1]->bit_rate, 900000);
    EXPECT_EQ(o.opt_names, (std::vector<std::string>{"b", "b", "ar", "probesize", "sws_flags", "b"}));
    EXPECT_EQ(o.opt_name_count, 6);

    // Carried over to a real encoder context for video encoding (16 + 2 = video, encoding).
    AVCodecContext* enc = ff::avcodec_alloc_context3(nullptr);
    ApplyFFOptions(o, enc, o.avcodec_opts[0], AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    EXPECT_EQ(enc->bit_rate, 700000);
    EXPECT_EQ(enc->sample_rate, 0);  // ar is an audio option
    ff::avcodec_free_context(&enc);

    // Debugging through an option raises the logger to debug.
    logger->SetLogLevel(llInfo);
    ASSERT_TRUE(SetFFOption(o, "debug", "pict"));
    EXPECT_EQ(logger->LogLevel(), llDebug);
    logger->SetLogLevel(llInfo);
    logger->SetOnLog(nullptr);

    FreeFFOptions(o);
    EXPECT_EQ(o.avcodec_opts[0], nullptr);
    EXPECT_EQ(o.opt_name_count, 0);
}

TEST_F(Utils, PictureToBitmapCopiesOrConverts)
{
    // A 352x288 picture already in BGR24.
    const int w = 352, h = 288;
    std::vector<std::uint8_t> pix(std::size_t(1088) * h);
    for (std::size_t i = 0; i < pix.size(); ++i) pix[i] = std::uint8_t(i * 7 + i / 1088);
    TRGBConvertContext c;
    ResetRGBConvertContext(c);
    TAVPicture p;
    p.data[0] = pix.data();
    p.linesize[0] = 1056;
    ASSERT_TRUE(PictureToBitmap(c, p, AV_PIX_FMT_BGR24, w, h));
    EXPECT_EQ(c.RGBPictureRef.data[0], pix.data());  // copied directly
    EXPECT_EQ(c.toRGB_convert_ctx, nullptr);
    EXPECT_EQ(0, std::memcmp(c.Bitmap->ScanLine(h - 1), pix.data() + std::size_t(h - 1) * 1056, 1056));

    p.linesize[0] = 1088;  // rows wider than the bitmap's: converted
    ASSERT_TRUE(PictureToBitmap(c, p, AV_PIX_FMT_BGR24, w, h));
    EXPECT_EQ(c.RGBPictureRef.data[0], c.Bitmap->ScanLine(0));  // converted into the bitmap
    EXPECT_EQ(0, std::memcmp(c.Bitmap->ScanLine(5), pix.data() + 5 * 1088, std::size_t(w) * 3));

    p.linesize[0] = 1056;  // an odd width is always converted
    ASSERT_TRUE(PictureToBitmap(c, p, AV_PIX_FMT_BGR24, 351, h));
    EXPECT_EQ(c.RGBPictureRef.data[0], c.Bitmap->ScanLine(0));  // converted into the bitmap
    EXPECT_EQ(c.Bitmap->Width, 351);
    EXPECT_EQ(c.Bitmap->RowSize(), 1056);
    EXPECT_EQ(0, std::memcmp(c.Bitmap->ScanLine(7), pix.data() + 7 * 1056, 351 * 3));

    // The adapter fills another row store.
    std::vector<std::uint8_t> out(std::size_t(351) * 3 * h);
    CopyBGRBitmapRows(*c.Bitmap, [&](int r) { return out.data() + std::size_t(r) * 351 * 3; });
    EXPECT_EQ(0, std::memcmp(out.data() + 7 * 351 * 3, pix.data() + 7 * 1056, 351 * 3));
    ResetRGBConvertContext(c);
    EXPECT_EQ(c.Bitmap, nullptr);
    EXPECT_EQ(c.RGBBuf, nullptr);
}

TEST_F(Utils, FirstFrameMatchesFfmpegsBgr24)
{
    const std::string raw = (fs::temp_directory_path() / ("quorvel_first_" + std::to_string(getpid()) + ".raw")).string();
    for (const char* name : {"clip.avi", "clip.mp4"})
    {
        const std::string src = kFixtures + "/" + name;
        const std::string cmd = "ffmpeg -nostdin -loglevel error -y -i '" + src +
                                "' -frames:v 1 -pix_fmt bgr24 -f rawvideo '" + raw + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        const std::vector<std::uint8_t> want = ReadAll(raw);

        AVFormatContext* fmt = nullptr;
        ASSERT_EQ(ff::avformat_open_input(&fmt, src.c_str(), nullptr, nullptr), 0);
        ASSERT_GE(ff::avformat_find_stream_info(fmt, nullptr), 0);
        const int vs = ff::av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        ASSERT_GE(vs, 0);
        const AVCodec* dec = ff::avcodec_find_decoder(fmt->streams[vs]->codecpar->codec_id);
        AVCodecContext* ctx = ff::avcodec_alloc_context3(dec);
        ff::avcodec_parameters_to_context(ctx, fmt->streams[vs]->codecpar);
        ASSERT_EQ(ff::avcodec_open2(ctx, dec, nullptr), 0);
        AVPacket* pkt = ff::av_packet_alloc();
        AVFrame* frame = ff::av_frame_alloc();
        bool got = false;
        while (!got && ff::av_read_frame(fmt, pkt) >= 0)
        {
            if (pkt->stream_index == vs && ff::avcodec_send_packet(ctx, pkt) >= 0)
                got = ff::avcodec_receive_frame(ctx, frame) >= 0;
            ff::av_packet_unref(pkt);
        }
        if (!got)
        {
            ff::avcodec_send_packet(ctx, nullptr);
            got = ff::avcodec_receive_frame(ctx, frame) >= 0;
        }
        ASSERT_TRUE(got);

        TRGBConvertContext c;
        ResetRGBConvertContext(c);
        ASSERT_TRUE(PictureToBitmap(c, frame));
        const int w = frame->width, h = frame->height;
        ASSERT_EQ(want.size(), std::size_t(w) * h * 3);
        double se = 0;
        std::size_t diff = 0;
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w * 3; ++x)
            {
                const int d = int(c.Bitmap->ScanLine(r)[x]) - int(want[std::size_t(r) * w * 3 + x]);
                se += d * d;
                diff += d != 0;
            }
        const double mse = se / (double(w) * h * 3);
        const double psnr = mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
        EXPECT_GE(psnr, 50.0) << name << " differs in " << diff << " bytes";

        ff::av_frame_free(&frame);
        ff::av_packet_free(&pkt);
        ff::avcodec_free_context(&ctx);
        ff::avformat_close_input(&fmt);
    }
    fs::remove(raw);
}

TEST(UtilsMessages, PumpServesCallsAndMessagesAndDropsQuit)
{
    int served = 0;
    std::thread t([&] { RunOnMainThread([&] { ++served; }, false); });
    t.join();
    PostMessage(nullptr, WM_USER + 7, 1, 2);
    PostQuitMessage(0);
    PumpPendingMessages();
    EXPECT_EQ(served, 1);
    MSG m;
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));  // both messages gone, the quit dropped

    // From a worker, CallInMainThread waits until the GUI thread has run it.
    std::atomic<bool> done{false};
    std::thread w([&] {
        CallInMainThread([&] { ++served; });
        done = true;
    });
    while (!done) PumpPendingMessages();
    w.join();
    EXPECT_EQ(served, 2);
    CallInMainThread([&] { ++served; });  // on the GUI thread: at once
    EXPECT_EQ(served, 3);
    std::thread other([] { EXPECT_FALSE(ProcessOneMessage()); });
    other.join();
}
