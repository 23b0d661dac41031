// The preview player's further features on the headless desktop: the frame
// hook, stepping, stream choice and switching, bitmap subtitles, the video
// filters, the audio display, the play range and repainting while paused.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include "Src/DAVezi/PlayState.h"
#include "tests/media/player_test_util.h"

using namespace playertest;

namespace {

// A gray 320x240 clip with a DVD subtitle: an opaque red 120x40 box at
// (40, 160) from 0.5 s to 3 s. The subtitle is written as a VobSub pair (the
// .idx script and one MPEG-PS pack of the .sub) and muxed with the video.
constexpr int BoxX = 40, BoxY = 160, BoxW = 120, BoxH = 40;

void WriteVobSub(const std::string& base)
{
    std::vector<std::uint8_t> spu;
    auto u16 = [](std::vector<std::uint8_t>& v, int x) {
        v.push_back(std::uint8_t(x >> 8));
        v.push_back(std::uint8_t(x & 0xFF));
    };
    // RLE: each line one run of colour 1 to the end of the line; top field, then bottom
    std::vector<std::uint8_t> pix;
    for (int i = 0; i < BoxH; i++) u16(pix, 0x0001);
    int top = 4, bottom = 4 + BoxH;
    int x2 = BoxX + BoxW - 1, y2 = BoxY + BoxH - 1;
    std::vector<std::uint8_t> cmds = {0x01, 0x03, 0x00, 0x10, 0x04, 0x00, 0xF0, 0x05,
                                      std::uint8_t(BoxX >> 4), std::uint8_t((BoxX & 15) << 4 | x2 >> 8),
                                      std::uint8_t(x2 & 0xFF), std::uint8_t(BoxY >> 4),
                                      std::uint8_t((BoxY & 15) << 4 | y2 >> 8), std::uint8_t(y2 & 0xFF), 0x06};
    u16(cmds, top);
    u16(cmds, bottom);
    cmds.push_back(0xFF);
    int first = 4 + int(pix.size());
    int second = first + 4 + int(cmds.size());
    std::vector<std::uint8_t> body = pix;
    u16(body, 0);
    u16(body, second);
    body.insert(body.end(), cmds.begin(), cmds.end());
    u16(body, int(2.5 * 90000 / 1024));   // stop 2.5 s after the start
    u16(body, second);
    body.push_back(0x02);
    body.push_back(0xFF);
    u16(spu, 4 + int(body.size()));
    u16(spu, first);
    spu.insert(spu.end(), body.begin(), body.end());

    std::int64_t pts = 45000;   // 0.5 s at 90 kHz
    std::vector<std::uint8_t> pes = {0x81, 0x80, 5,
                                     std::uint8_t(0x21 | ((pts >> 29) & 0x0E)),
                                     std::uint8_t((pts >> 22) & 0xFF),
                                     std::uint8_t(((pts >> 14) & 0xFE) | 1),
                                     std::uint8_t((pts >> 7) & 0xFF),
                                     std::uint8_t(((pts << 1) & 0xFE) | 1),
                                     0x20};
    pes.insert(pes.end(), spu.begin(), spu.end());
    std::vector<std::uint8_t> pack = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 0x01, 0x89, 0xC3, 0xF8, 0, 0, 1, 0xBD};
    u16(pack, int(pes.size()));
    pack.insert(pack.end(), pes.begin(), pes.end());
    int pad = 2048 - int(pack.size()) - 6;
    pack.insert(pack.end(), {0, 0, 1, 0xBE});
    u16(pack, pad);
    pack.insert(pack.end(), std::size_t(pad), 0xFF);
    std::FILE* f = std::fopen((base + ".sub").c_str(), "wb");
    std::fwrite(pack.data(), 1, pack.size(), f);
    std::fclose(f);
    f = std::fopen((base + ".idx").c_str(), "w");
    std::fputs("# VobSub index file, v7\nsize: 320x240\npalette: 000000, ff0000, 000000, 000000, 000000, 000000, "
               "000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\n"
               "id: en, index: 0\ntimestamp: 00:00:00:500, filepos: 000000000\n",
               f);
    std::fclose(f);
}

TPixel PixelAt(TBitmap* bmp, int x, int y) { return bmp->GetPixel32(x, y); }
int Red(TPixel p) { return int((p >> 16) & 0xFF); }
int Green(TPixel p) { return int((p >> 8) & 0xFF); }
int Blue(TPixel p) { return int(p & 0xFF); }

class PlayerFeatures : public PlayerTest
{
protected:
    // testsrc2 with two sine tracks of different pitch, mpeg4/mp2 in Matroska.
    std::string TwoAudio()
    {
        std::string f = Fixture("player_two_audio.mkv");
        EXPECT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi -i "
                              "sine=frequency=440:sample_rate=44100:duration=2 -f lavfi -i "
                              "sine=frequency=880:sample_rate=48000:duration=2 -map 0 -map 1 -map 2 -c:v mpeg4 "
                              "-q:v 2 -c:a mp2",
                              f));
        return f;
    }
    std::string Subtitled()
    {
        std::string f = Fixture("player_dvdsub.mkv");
        if (!std::filesystem::exists(f)) {
            std::string base = dir / "box";
            WriteVobSub(base);
            EXPECT_TRUE(MakeMedia("-f lavfi -i color=gray:size=320x240:rate=25:duration=3 -i " + Quote(base + ".idx") +
                                      " -map 0:v -map 1:s -c:v mpeg4 -q:v 2 -c:s copy",
                                  f));
        }
        return f;
    }
    void HostSize(int w, int h)
    {
        panel->SetBounds(10, 10, w, h);
        driver->PumpUntilIdle();
    }
    bool WaitFrame()
    {
        return WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; });
    }
};

}  // namespace

// The hook sees every picture at its own size (also after the size changes
// mid-file), off the GUI thread, and what it draws is shown.
TEST_F(PlayerFeatures, HookDrawsOnEveryPictureAtItsOwnSize)
{
    std::string a = dir / "a.ts", b = dir / "b.ts";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v mpeg2video -q:v 2", a));
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg2video -q:v 2 "
                          "-output_ts_offset 1",
                          b));
    std::string f = dir / "sizes.ts";
    ASSERT_EQ(std::system(("cat " + Quote(a) + " " + Quote(b) + " > " + Quote(f)).c_str()), 0);
    std::mutex m;
    std::set<std::pair<int, int>> sizes;
    std::vector<std::int64_t> stamps;
    bool onMain = false;
    player->SetHook(true);
    player->OnHook = [&](TObject*, TBitmap* bmp, std::int64_t pts) {
        // a white square in the top-left corner
        for (int y = 0; y < 16; y++) {
            auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
            std::fill(row, row + 16 * 3, 0xFF);
        }
        std::lock_guard<std::mutex> g(m);
        sizes.insert({bmp->GetWidth(), bmp->GetHeight()});
        stamps.push_back(pts);
        onMain |= IsMainThread();
    };
    HostSize(320, 240);
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitFrame());
    TPixel p = PixelAt(player->CurrentFrame(), 4, 4);
    EXPECT_GT(Red(p) + Green(p) + Blue(p), 3 * 235);
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    std::lock_guard<std::mutex> g(m);
    EXPECT_FALSE(onMain);
    EXPECT_TRUE(sizes.count({320, 240}));
    EXPECT_TRUE(sizes.count({160, 120}));
    ASSERT_GT(stamps.size(), 30u);
    EXPECT_LT(stamps.front(), 100000);
}

// A step from a paused start shows the next picture and pauses again.
TEST_F(PlayerFeatures, StepShowsTheNextPictureAndPausesAgain)
{
    std::string f = Clip();
    HostSize(320, 240);
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitFrame());
    std::vector<std::uint8_t> first = Pixels(player->CurrentFrame());
    player->StepToNextFrame();
    ASSERT_TRUE(WaitUntil([&] { return player->Paused() && Psnr(Pixels(player->CurrentFrame()), first) < 60; }));
    std::vector<std::uint8_t> want = FfmpegFrame(f, "0.04", dir / "f1.bgra");
    EXPECT_GE(Psnr(Pixels(player->CurrentFrame()), want), 35.0);
    // it stays there
    WaitUntil([] { return false; }, 1);
    EXPECT_TRUE(player->Paused());
    EXPECT_GE(Psnr(Pixels(player->CurrentFrame()), want), 35.0);
    player->Stop(true);
    CheckSynchronize(0);
    EXPECT_EQ(notes.Count(psStep), 1);
}

// The wanted ordinals choose among the streams of a kind; a switch while
// playing goes to the other track and the playback still ends once.
TEST_F(PlayerFeatures, WantedStreamsAndSwitching)
{
    std::string f = TwoAudio();
    struct Case
    {
        int wanted;
        int index;   // the audio stream that plays
    } cases[] = {{0, 1}, {1, 2}, {2, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        player->set_wanted_audio_stream(c.wanted);
        ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
        EXPECT_EQ(player->GetAudioStreamIndex(), c.index);
        EXPECT_EQ(player->GetVideoStreamIndex(), 0);
        player->Stop(true);
        EXPECT_EQ(player->wanted_audio_stream(), -1);   // for one playback only
    }

    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return !notes.positions.empty() && notes.positions.back() > 200000; }));
    struct Refusal
    {
        int index;
        const char* text;
    } refusals[] = {{0, "the stream type is not matched."}, {3, "the stream index is not valid."},
                    {-1, "the stream index is not valid."}};
    for (const Refusal& r : refusals) {
        EXPECT_FALSE(player->SetAudioStreamIndex(r.index));
        EXPECT_EQ(player->LastErrMsg(), r.text);
        EXPECT_EQ(player->GetAudioStreamIndex(), 1);
    }
    EXPECT_FALSE(player->SetSubtitleStreamIndex(1));
    EXPECT_EQ(player->LastErrMsg(), "the stream type is not matched.");
    EXPECT_TRUE(player->SetSubtitleStreamIndex(-1));   // already none
    EXPECT_TRUE(player->SetAudioStreamIndex(2));
    EXPECT_EQ(player->GetAudioStreamIndex(), 2);
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    CheckSynchronize(0);
    EXPECT_EQ(notes.Count(psEnd), 1);
}

TEST(PlayerSubtitles, PaletteToYuvAndBlending)
{
    EXPECT_EQ(RgbaToAyuv(0xFFFF0000u), 0xFF515AF0u);   // red: Y 81, U 90, V 240
    EXPECT_EQ(RgbaToAyuv(0x80FFFFFFu) >> 16 & 0xFF, 235u);
    EXPECT_EQ(RgbaToAyuv(0x00000000u) & 0xFFFFFFu, 0x108080u);

    // a 3 x 3 rectangle at odd (1, 1) in an 8 x 6 picture of Y 100, U V 128
    struct Case
    {
        std::uint32_t entry;
        int lumaInside;
        int chromaCorner;   // U of the chroma sample covering (0..1, 0..1): one pixel, a quarter alpha
        int chromaFull;     // U of the sample covering (2..3, 2..3): all four pixels
    } cases[] = {
        {0xFF515AF0u, 81, (128 * 192 + 90 * 63) / 255, 90},
        {0x00515AF0u, 100, 128, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        std::vector<std::uint8_t> y(8 * 6, 100), u(4 * 3, 128), v(4 * 3, 128);
        std::uint8_t idx[9] = {};
        std::uint32_t pal[1] = {c.entry};
        AVSubtitleRect r{};
        r.x = 1;
        r.y = 1;
        r.w = 3;
        r.h = 3;
        r.nb_colors = 1;
        r.data[0] = idx;
        r.linesize[0] = 3;
        r.data[1] = reinterpret_cast<std::uint8_t*>(pal);
        std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
        int ls[3] = {8, 4, 4};
        BlendSubtitleRect(planes, ls, r, 8, 6);
        EXPECT_EQ(y[0], 100);
        EXPECT_EQ(y[1 * 8 + 1], c.lumaInside);
        EXPECT_EQ(y[3 * 8 + 3], c.lumaInside);
        EXPECT_EQ(y[4 * 8 + 4], 100);
        EXPECT_EQ(u[0], c.chromaCorner);
        EXPECT_EQ(u[1 * 4 + 1], c.chromaFull);
        EXPECT_EQ(u[2 * 4 + 2], 128);
    }
    // a rectangle larger than the picture is clipped, one partly outside moved in
    std::vector<std::uint8_t> y(4 * 4, 0), u(4, 128), v(4, 128);
    std::vector<std::uint8_t> idx(10 * 10, 0);
    std::uint32_t pal[1] = {0xFFFFFFFFu};
    AVSubtitleRect r{};
    r.x = 3;
    r.y = -2;
    r.w = 10;
    r.h = 2;
    r.data[0] = idx.data();
    r.linesize[0] = 10;
    r.data[1] = reinterpret_cast<std::uint8_t*>(pal);
    std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
    int ls[3] = {4, 2, 2};
    BlendSubtitleRect(planes, ls, r, 4, 4);
    for (int i = 0; i < 8; i++) EXPECT_EQ(y[std::size_t(i)], 255) << i;   // rows 0 and 1, all four columns
    EXPECT_EQ(y[8], 0);
}

// The subtitle is drawn into the picture in its palette's colour, also on a
// paused picture, and goes when subtitles are switched off.
TEST_F(PlayerFeatures, SubtitleIsDrawnIntoThePicture)
{
    std::string f = Subtitled();
    HostSize(320, 240);
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    EXPECT_EQ(player->GetSubtitleStreamIndex(), 1);
    ASSERT_TRUE(WaitUntil([&] { return !notes.positions.empty() && notes.positions.back() > 1000000; }));
    player->Pause();
    auto inBox = [&] { return PixelAt(player->CurrentFrame(), BoxX + BoxW / 2, BoxY + BoxH / 2); };
    ASSERT_TRUE(WaitUntil([&] { return Red(inBox()) > 200; }));
    TPixel p = inBox();
    EXPECT_GE(Red(p), 240);
    EXPECT_LE(Green(p), 16);
    EXPECT_LE(Blue(p), 16);
    TPixel outside = PixelAt(player->CurrentFrame(), BoxX + BoxW + 20, BoxY + BoxH / 2);
    EXPECT_NEAR(Red(outside), 128, 10);
    EXPECT_TRUE(player->SetSubtitleStreamIndex(-1));
    EXPECT_EQ(player->GetSubtitleStreamIndex(), -1);
    ASSERT_TRUE(WaitUntil([&] { return Red(inBox()) < 150; }));
    EXPECT_NEAR(Green(inBox()), 128, 10);
    player->Stop(true);
}

// A filter chain acts on the pictures shown; one that cannot be set up leaves
// the playback running without pictures and says why.
TEST_F(PlayerFeatures, VideoFiltersActOnThePictures)
{
    std::string f = Clip();
    HostSize(320, 240);
    player->SetVideoFilters("hflip");
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitFrame());
    std::vector<std::uint8_t> got = Pixels(player->CurrentFrame());
    EXPECT_GE(Psnr(got, FfmpegFrame(f, "0", dir / "flip.bgra", "hflip")), 35.0);
    EXPECT_LT(Psnr(got, FfmpegFrame(f, "0", dir / "plain.bgra")), 35.0);
    player->Stop(true);

    LogCapture log;
    player->SetVideoFilters("nosuchfilter");
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    EXPECT_EQ(player->CurrentFrame()->GetWidth(), 0);
    player->Stop(true);
    EXPECT_TRUE(log.Contains("nosuchfilter"));
}

// Without a picture the host shows the sound: a wave band per channel with
// lines between them, or the spectrum.
TEST_F(PlayerFeatures, AudioDisplayDrawsIntoTheHost)
{
    std::string f = Fixture("player_stereo_3s.wav");
    ASSERT_TRUE(MakeMedia("-f lavfi -i sine=frequency=300:sample_rate=48000:duration=3 -af "
                          "'pan=stereo|c0=c0|c1=c0' -c:a pcm_s16le",
                          f));
    HostSize(400, 200);
    auto columnHas = [&](int x, auto pred) {
        HDC dc = GetDC(panel->Handle());
        bool found = false;
        for (int y = 0; y < 200 && !found; y++) found = pred(GetPixel(dc, x, y) & 0xFFFFFF);
        ReleaseDC(panel->Handle(), dc);
        return found;
    };
    auto rowAll = [&](int y, TColor c) {
        HDC dc = GetDC(panel->Handle());
        bool all = true;
        for (int x = 0; x < 400; x += 7) all &= (GetPixel(dc, x, y) & 0xFFFFFF) == COLORREF(c);
        ReleaseDC(panel->Handle(), dc);
        return all;
    };
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    // wave: the separator between the two bands, and the waves themselves
    ASSERT_TRUE(WaitUntil([&] {
        CheckSynchronize(0);
        driver->PumpUntilIdle();
        return rowAll(100, 0xFFFFFF) && columnHas(50, [](TColor c) { return c == 0xFFFFFF; });
    }, 20));
    player->SetShowAudio(saRDFT);
    ASSERT_TRUE(WaitUntil([&] {
        CheckSynchronize(0);
        driver->PumpUntilIdle();
        return !rowAll(100, 0xFFFFFF) && columnHas(0, [](TColor c) { return c != 0 && c != 0xFFFFFF; });
    }, 20));
    player->Stop(true);
}

// A play range stops the playback at its end, or loops back to its start.
TEST_F(PlayerFeatures, PlayRangeStopsOrLoops)
{
    std::string f = Clip();
    player->SetPlayTime(1000000);
    player->SetRepeatType(rtStop);
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psStop) > 0; }));
    EXPECT_EQ(notes.Count(psEnd), 0);
    EXPECT_GE(notes.positions.back(), 1000000);
    EXPECT_LT(notes.positions.back(), 1500000);
    EXPECT_EQ(player->PlayTime(), AV_NOPTS_VALUE);   // for one playback only

    notes = Notes();
    player->set_start_time(1000000);
    player->SetPlayTime(300000);
    player->SetRepeatType(rtLoop);
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    // starts at the start time (a key frame) and comes back there after the
    // range's end, never playing on to the end of the file
    std::size_t back = 0;
    ASSERT_TRUE(WaitUntil([&] {
        for (std::size_t i = 1; i < notes.positions.size(); i++)
            if (notes.positions[i] < notes.positions[i - 1]) back = i;
        return back > 0;
    }));
    player->Stop(true);
    EXPECT_GE(notes.positions.front(), 950000);
    EXPECT_GE(notes.positions[back - 1], 1300000);
    EXPECT_GE(notes.positions[back], 950000);
    EXPECT_LT(notes.positions[back], 1300000);
    for (std::int64_t p : notes.positions) EXPECT_LT(p, 3000000);
    EXPECT_EQ(notes.Count(psEnd), 0);
}

// A paused picture follows a resize of its host and a new aspect ratio.
TEST_F(PlayerFeatures, PausedPictureRepaintsAtTheNewSize)
{
    std::string f = Clip();
    HostSize(400, 200);
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitFrame());
    EXPECT_EQ(Shown(*player).width, 266);
    // a display aspect of its own, then stretched over the host
    player->SetAspectRatio(16.0f / 9.0f);
    ASSERT_TRUE(WaitUntil([&] { return Shown(*player).width == 356; }));
    player->SetAspectRatio(-1.0f);
    ASSERT_TRUE(WaitUntil([&] { return Shown(*player).width == 400; }));
    EXPECT_EQ(Shown(*player).height, 200);
    player->SetAspectRatio(0.0f);
    HostSize(320, 240);
    ASSERT_TRUE(WaitUntil([&] { return Shown(*player).width == 320; }));
    EXPECT_EQ(Shown(*player).height, 240);
    // the frame keeps the picture's own size all the while
    EXPECT_EQ(player->CurrentFrame()->GetWidth(), 320);
    EXPECT_TRUE(player->Paused());
    player->Stop(true);
}

// With the wall clock as master the sound is stretched or shortened towards
// it; the playback still runs to one end with rising positions.
TEST_F(PlayerFeatures, ExternalClockMasterPlaysToTheEnd)
{
    std::string f = Clip();
    player->set_av_sync_type(AV_SYNC_EXTERNAL_CLOCK);
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ExpectOneEndWithRisingPositions(20);
}

// An odd picture size, non-square pixels and a variable frame rate play to one
// end, with their pictures shown (letterboxed by their display aspect) and
// rising positions.
TEST_F(PlayerFeatures, OddSizeAspectAndVariableRatePlayToTheEnd)
{
    struct Case
    {
        const char* name;
        const char* args;
        int width;   // of the picture shown in the 400 x 200 host
        int frameWidth, frameHeight;   // of the frame: the picture's own
    } cases[] = {
        {"player_odd321.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -vf scale=321:241 -c:v ffv1", 266,
         321, 241},
        {"player_sar.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -vf setsar=4/3 -c:v mpeg4 -q:v 2",
         356, 320, 240},
        {"player_vfr.mkv",
         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -vf select='lt(mod(n\\,10)\\,5)' -fps_mode vfr "
         "-c:v mpeg4 -q:v 2",
         266, 320, 240},
    };
    HostSize(400, 200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(OpenMade(c.name, c.args));
        ASSERT_TRUE(WaitFrame());
        EXPECT_EQ(Shown(*player).width, c.width);
        EXPECT_EQ(player->CurrentFrame()->GetWidth(), c.frameWidth);
        EXPECT_EQ(player->CurrentFrame()->GetHeight(), c.frameHeight);
        ExpectOneEndWithRisingPositions(5);
    }
}
