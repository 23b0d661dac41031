// The preview player on the headless desktop: playback to the end with its
// notifications, the picture in a host panel, sound through SDL2's dummy and
// disk drivers, and stopping an input that blocks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "tests/media/player_test_util.h"

using namespace playertest;


TEST_F(PlayerTest, PlaysToTheEndWithRisingPositionsAndOneEndState)
{
    std::string f = Clip();
    std::int64_t duration = -1;
    int frameW = 0;
    player->OnFileOpen = [&](TObject*, std::int64_t d, int w, int, int&, int&) {
        duration = d;
        frameW = w;
    };
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    EXPECT_EQ(frameW, 320);
    EXPECT_GT(duration, 2900000);
    EXPECT_GE(player->GetVideoStreamIndex(), 0);
    EXPECT_GE(player->GetAudioStreamIndex(), 0);
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    CheckSynchronize(0);
    EXPECT_FALSE(notes.offMainThread);
    ASSERT_FALSE(notes.states.empty());
    EXPECT_EQ(notes.states.front(), psPlay);
    EXPECT_EQ(notes.Count(psEnd), 1);
    EXPECT_EQ(notes.states.back(), psStop);
    ASSERT_GT(notes.positions.size(), 20u);
    // rising, more than 10 ms apart (the end's exact duration may follow closer)
    for (std::size_t i = 1; i + 1 < notes.positions.size(); i++)
        ASSERT_GT(notes.positions[i] - notes.positions[i - 1], 10000) << "at " << i;
    EXPECT_GT(notes.positions.back(), notes.positions[notes.positions.size() - 2]);
    EXPECT_GE(notes.positions.front(), 0);
    EXPECT_EQ(notes.positions.back(), duration);
    EXPECT_EQ(player->CurrentFrame()->GetWidth(), 0);   // nothing shown after the stop
}

// The frame is the video's own picture at its own size, whatever the size of
// the host (a 200 x 112 panel shows a 1080p picture at 200 x 112), with its
// position; it follows the seeks.
TEST_F(PlayerTest, CurrentFrameIsTheFrameAtTheSeekTarget)
{
    std::string f = Clip();
    panel->SetBounds(10, 10, 200, 112);
    driver->PumpUntilIdle();
    std::int64_t pts = 0;
    EXPECT_EQ(player->CurrentFrame(pts)->GetWidth(), 0);   // nothing open
    EXPECT_EQ(pts, -1);
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; }));
    EXPECT_EQ(Shown(*player).height, 112);
    player->Seek(2000000, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return !player->Seeking(); }));
    TBitmap* bmp = player->CurrentFrame(pts);
    ASSERT_EQ(bmp->GetWidth(), 320);
    ASSERT_EQ(bmp->GetHeight(), 240);
    EXPECT_EQ(pts, 2000000);
    std::vector<std::uint8_t> got = Pixels(bmp);
    std::vector<std::uint8_t> want = FfmpegFrame(f, "2", dir / "at2.bgra");
    ASSERT_EQ(want.size(), got.size());
    EXPECT_GE(Psnr(got, want), 35.0);
    // the frame one second earlier is another picture: the check can tell them apart
    EXPECT_LT(Psnr(got, FfmpegFrame(f, "1", dir / "at1.bgra")), 35.0);
}

// The host panel shows the picture letterboxed on black; the snapshot is kept
// in the build folder (player-letterbox.png) to be looked at.
TEST_F(PlayerTest, HostPanelShowsTheLetterboxedPicture)
{
    std::string f = Clip();
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; }));
    // 320 x 240 in 400 x 200: 266 x 200 in the middle
    ShownPicture shown = Shown(*player);
    EXPECT_EQ(shown.width, 266);
    EXPECT_EQ(shown.height, 200);
    EXPECT_EQ(shown.left, 67);
    auto pixel = [&](int x, int y) {
        HDC dc = GetDC(panel->Handle());
        COLORREF c = GetPixel(dc, x, y) & 0xFFFFFF;
        ReleaseDC(panel->Handle(), dc);
        return c;
    };
    // the repaint is asked for from the playback's thread once the picture is in
    ASSERT_TRUE(WaitUntil([&] {
        CheckSynchronize(0);
        driver->PumpUntilIdle();
        return pixel(10, 100) == 0 && pixel(390, 100) == 0;   // the bars
    }));
    EXPECT_NE(pixel(200, 100), 0u);   // the picture
    std::string png = std::string(QUORVEL_BINARY_DIR) + "/player-letterbox.png";
    TRect r;
    GetWindowRect(panel->Handle(), &r);
    ASSERT_TRUE(driver->Snapshot(png, r));
}

// Mute keeps the device fed with silence; without it the sine reaches the file.
TEST_F(PlayerTest, MuteWritesSilenceToTheDiskDriver)
{
    std::string f = Fixture("player_sine.wav");
    ASSERT_TRUE(MakeMedia("-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -c:a pcm_s16le", f));
    for (bool mute : {true, false}) {
        SCOPED_TRACE(mute);
        std::string out = dir / (mute ? "muted.raw" : "loud.raw");
        ::setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "1", 1);
        notes.states.clear();
        player->SetAudioDriver(adDisk);
        player->SetMute(mute);
        ASSERT_TRUE(player->Open(f, nullptr, false)) << player->LastErrMsg();
        ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
        player->Stop(true);
        std::vector<std::uint8_t> bytes = ReadFile(out);
        ASSERT_GT(bytes.size(), 44100u);
        std::size_t nonZero = 0;
        for (auto b : bytes) nonZero += b != 0;
        if (mute)
            EXPECT_EQ(nonZero, 0u);
        else
            EXPECT_GT(nonZero, 44100u);   // most of the second of sound (the device writes on after it)
    }
}

// The read thread hangs in the open of a FIFO without a writer; a stop from a
// handler served during the open's wait still returns, and the thread ends
// once the FIFO lets go.
TEST_F(PlayerTest, StopReturnsWhileTheInputBlocks)
{
    std::string fifo = dir / "stalled.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RunOnMainThread([this] { player->Stop(true); }, false);
    EXPECT_FALSE(player->Open(fifo, panel->Handle(), false));
    EXPECT_FALSE(player->LastErrMsg().empty());
    EXPECT_EQ(player->GetVideoStreamIndex(), -1);
    // let the abandoned thread go: a writer that closes at once
    int fd = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_TRUE(WaitUntil([] { return TCustomPlayer::RunningPlaybacks() == 0; }));
}

// The input stalls while it plays (a FIFO whose writer keeps it open without
// writing): Stop(true) returns without waiting for the read, which ends once
// the writer lets go.
TEST_F(PlayerTest, StopReturnsWhenTheInputStallsWhilePlaying)
{
    std::string clip = dir / "stall.ts", head = dir / "head.ts";
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=160x120:rate=25:duration=3 -c:v mpeg2video -bf 0 -q:v 8", clip));
    std::vector<std::uint8_t> bytes = ReadFile(clip);
    ASSERT_GT(bytes.size(), 40000u);
    bytes.resize(40000);   // within the pipe's buffer: the writer never blocks
    {
        std::ofstream out(head, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // the time of the last picture in what is written, from the file's start
    std::string last = enginetest::Run("ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 " +
                                       Quote(head) + " | sort -g | tail -1");
    std::string start = enginetest::Run("ffprobe -v error -show_entries format=start_time -of csv=p=0 " + Quote(head));
    std::int64_t lastUs = std::llround((std::stod(last) - std::stod(start)) * 1e6);
    ASSERT_GT(lastUs, 500000);
    std::string fifo = dir / "playing.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> release{false};
    std::thread writer([&] {
        int fd = -1;
        while (fd < 0 && !release) {
            fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);   // fails until the player opens it
            if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (fd < 0) return;
        ::fcntl(fd, F_SETFL, 0);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::close(fd);
    });
    bool opened = player->Open(fifo, panel->Handle(), false);
    EXPECT_TRUE(opened) << player->LastErrMsg();
    if (opened) {
        // near the last picture the read thread has taken every packet and
        // waits in the read for more
        ASSERT_TRUE(WaitUntil([&] { return !notes.positions.empty() && notes.positions.back() >= lastUs - 100000; }));
        player->Stop(true);
        EXPECT_EQ(TCustomPlayer::RunningPlaybacks(), 1);   // still in the read
        EXPECT_EQ(player->GetVideoStreamIndex(), -1);
    }
    release = true;
    writer.join();
    EXPECT_TRUE(WaitUntil([] { return TCustomPlayer::RunningPlaybacks() == 0; }));
}

// When the audio device cannot open, the pictures play alone and the log says why.
TEST_F(PlayerTest, PlaysWithoutSoundWhenTheAudioDeviceFails)
{
    std::string f = Clip();
    LogCapture log;
    ::setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    player->SetAudioDriver(adDefault);
    bool opened = player->Open(f, panel->Handle(), false);
    ::unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(opened) << player->LastErrMsg();
    EXPECT_EQ(player->GetAudioStreamIndex(), -1);
    EXPECT_GE(player->GetVideoStreamIndex(), 0);
    EXPECT_TRUE(log.Contains("the file plays without sound"));
    ExpectOneEndWithRisingPositions(20);
}

// Seeks by seconds from the position shown, not before the start; a seek
// with nothing open does nothing.
TEST_F(PlayerTest, SeekBySecondsFromThePosition)
{
    player->Seek(1.0, 0, true);
    player->Seek(std::int64_t(1000000), 0, true);
    EXPECT_FALSE(player->Seeking());
    EXPECT_EQ(player->PlayState(), psStop);
    std::string f = Clip();
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    struct Step
    {
        double delta;
        std::int64_t pts;   // of the picture shown after it
        const char* at;
    } steps[] = {{1.0, 1000000, "1"}, {1.0, 2000000, "2"}, {-1.5, 0, "0"}, {-5.0, 0, "0"}};
    for (const Step& st : steps) {
        SCOPED_TRACE(st.delta);
        player->Seek(st.delta, 0, true);
        ASSERT_TRUE(WaitUntil([&] { return !player->Seeking(); }));
        std::int64_t pts = -1;
        std::vector<std::uint8_t> got = Pixels(player->CurrentFrame(pts));
        // a key frame every second: the picture of the seek lies on it
        EXPECT_NEAR(double(pts), double(st.pts), 40000.0);
        EXPECT_GE(Psnr(got, FfmpegFrame(f, st.at, dir / "rel.bgra")), 35.0);
    }
    EXPECT_TRUE(player->Paused());
    // by bytes: forward from the read position, and it plays on to the end
    player->Resume();
    player->Seek(1.0, SeekFlag(sfByte), true);
    ASSERT_TRUE(WaitUntil([&] { return !player->Seeking(); }));
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
}

// Without a known duration a seek goes where it is asked to.
TEST_F(PlayerTest, SeekWithoutAKnownDuration)
{
    std::string f = Fixture("player_raw.m4v");
    ASSERT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=320x240:rate=25:duration=3 -c:v mpeg4 -g 25 -q:v 2 -f m4v", f));
    panel->SetBounds(10, 10, 320, 240);
    driver->PumpUntilIdle();
    std::int64_t duration = 0;
    player->OnFileOpen = [&](TObject*, std::int64_t d, int, int, int&, int&) { duration = d; };
    ASSERT_TRUE(player->Open(f, panel->Handle(), true)) << player->LastErrMsg();
    EXPECT_EQ(duration, -1);
    ASSERT_TRUE(WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; }));
    player->Seek(2000000, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return !player->Seeking(); }));
    EXPECT_GE(Psnr(Pixels(player->CurrentFrame()), FfmpegFrame(f, "2", dir / "raw2.bgra")), 35.0);
    player->Seek(-1.0, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return !player->Seeking(); }));
    EXPECT_GE(Psnr(Pixels(player->CurrentFrame()), FfmpegFrame(f, "1", dir / "raw1.bgra")), 35.0);
    player->Stop(true);
}

TEST_F(PlayerTest, OpenStopCyclesAndFailedOpens)
{
    std::string f = Clip();
    for (int i = 0; i < 50; i++) {
        ASSERT_TRUE(player->Open(f, panel->Handle(), i % 2 == 0)) << i << ": " << player->LastErrMsg();
        if (i % 5 == 0) WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; });
        player->Stop(true);
    }
    EXPECT_FALSE(player->Open(dir / "missing.avi", panel->Handle(), false));
    EXPECT_NE(player->LastErrMsg().find("missing.avi"), std::string::npos);
    EXPECT_EQ(player->GetVideoStreamIndex(), -1);
    EXPECT_TRUE(WaitUntil([] { return TCustomPlayer::RunningPlaybacks() == 0; }));
}

// Without a host the player shows the video in a window of its own, which a
// close request does not take away; Stop does.
TEST_F(PlayerTest, OwnWindowWithoutAHost)
{
    std::string f = Clip();
    ASSERT_TRUE(player->Open(f, nullptr, true)) << player->LastErrMsg();
    HWND own = player->ScreenHandle();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(GetWindowText(own), "DEDideve");
    ASSERT_TRUE(WaitUntil([&] { return player->CurrentFrame()->GetWidth() > 0; }));
    EXPECT_EQ(player->CurrentFrame()->GetWidth(), 320);
    SendMessage(own, WM_CLOSE);
    EXPECT_TRUE(IsWindow(own));
    player->Stop(true);
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(player->ScreenHandle(), nullptr);
}

TEST_F(PlayerTest, PauseHoldsThePositionAndResumePlaysOn)
{
    std::string f = Clip();
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return !notes.positions.empty() && notes.positions.back() > 300000; }));
    player->Pause();
    EXPECT_TRUE(player->Paused());
    // what was under way when the pause came has arrived after a while
    WaitUntil([] { return false; }, 1);
    std::int64_t held = player->CurrentPTS();
    std::size_t count = notes.positions.size();
    WaitUntil([] { return false; }, 1);
    EXPECT_EQ(player->CurrentPTS(), held);
    EXPECT_EQ(notes.positions.size(), count);
    player->Resume();
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    CheckSynchronize(0);
    std::vector<TPlayState> want{psPlay, psPause, psResume, psEnd, psStop};
    EXPECT_EQ(notes.states, want);
}

// Audio-only files of other sample formats and channel counts play to the end.
TEST_F(PlayerTest, AudioOnlyFormatsPlayToTheEnd)
{
    struct Case
    {
        const char* name;
        const char* args;
    } cases[] = {
        {"player_u8.wav", "-f lavfi -i sine=frequency=300:sample_rate=8000:duration=1 -c:a pcm_u8"},
        {"player_f32.wav", "-f lavfi -i sine=frequency=300:sample_rate=48000:duration=1 -c:a pcm_f32le"},
        {"player_6ch.wav",
         "-f lavfi -i sine=frequency=300:sample_rate=48000:duration=1 -af 'pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0' "
         "-c:a pcm_s16le"},
    };
    int frameW = 0, frameH = 0;
    player->OnFileOpen = [&](TObject*, std::int64_t, int w, int h, int&, int&) {
        frameW = w;
        frameH = h;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(OpenMade(c.name, c.args));
        EXPECT_EQ(frameW, -1);   // no picture
        EXPECT_EQ(frameH, -1);
        EXPECT_EQ(player->GetVideoStreamIndex(), -1);
        EXPECT_EQ(player->GetAudioStreamIndex(), 0);
        ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
        std::int64_t pts = 0;
        EXPECT_EQ(player->CurrentFrame(pts)->GetWidth(), 0);
        EXPECT_EQ(pts, -1);
        player->Stop(true);
        CheckSynchronize(0);
        ASSERT_FALSE(notes.positions.empty());
        EXPECT_GT(notes.positions.back(), 900000);
    }
}

// A call served inside a seek's wait opens another file: the wait ends with
// the playback it was made for, and the new file plays to its end.
TEST_F(PlayerTest, OpenServedInsideASeekWait)
{
    std::string f = Clip();
    std::string wav = Fixture("player_sine.wav");
    ASSERT_TRUE(MakeMedia("-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -c:a pcm_s16le", wav));
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    bool reopened = false;
    RunOnMainThread([&] { reopened = player->Open(wav, panel->Handle(), false); }, false);
    player->Seek(2000000, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return reopened; }));
    EXPECT_EQ(player->FileName(), wav);
    EXPECT_EQ(player->GetVideoStreamIndex(), -1);
    notes = Notes();
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    EXPECT_TRUE(WaitUntil([] { return TCustomPlayer::RunningPlaybacks() == 0; }));
}

// What a handler throws is logged; the playback goes on to its end.
TEST_F(PlayerTest, HandlerExceptionsAreLoggedNotPassedOn)
{
    std::string f = Fixture("player_sine.wav");
    ASSERT_TRUE(MakeMedia("-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -c:a pcm_s16le", f));
    LogCapture log;
    player->OnFileOpen = [](TObject*, std::int64_t, int, int, int&, int&) { throw std::runtime_error("open boom"); };
    player->OnPosition = [](TObject*, std::int64_t) { throw std::runtime_error("position boom"); };
    player->OnState = [this](TObject*, TPlayState st) {
        notes.states.push_back(st);
        throw std::runtime_error("state boom");
    };
    ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
    player->Stop(true);
    EXPECT_TRUE(log.Has(llError, "OnFileOpen: open boom"));
    EXPECT_TRUE(log.Has(llError, "OnPosition: position boom"));
    EXPECT_TRUE(log.Has(llError, "OnState: state boom"));
}
