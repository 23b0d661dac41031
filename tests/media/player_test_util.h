// The preview player tests' fixture: a form with a host panel on the headless
// desktop, a player with the dummy audio driver, and its notifications.
#pragma once
#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

#include "Src/DAVezi.h"
#include "Src/DAVezi/PlayState.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/testing/Driver.h"
#include "tests/media/converter_test_util.h"

namespace playertest {

using namespace convtest;


struct Notes
{
    std::vector<std::int64_t> positions;
    std::vector<TPlayState> states;
    bool offMainThread = false;
    int Count(TPlayState st) const
    {
        int n = 0;
        for (auto s : states) n += s == st;
        return n;
    }
};

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!GlobalLoader().Loaded(PlayerLibraries)) {
            ASSERT_TRUE(GlobalLoader().Load(PlayerLibraries)) << GlobalLoader().LastErrMsg();
        }
        GetFFLogger()->SetTriggerEventInMainThread(false);
        std::filesystem::create_directories(QUORVEL_FIXTURES_DIR);
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
        form = new TForm(nullptr);
        form->SetClientSize(420, 300);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 400, 200);
        form->Show();
        driver->PumpUntilIdle();
        player = std::make_unique<TDEDideve>();
        player->SetAudioDriver(adDummy);
        player->OnPosition = [this](TObject*, std::int64_t pts) {
            notes.positions.push_back(pts);
            notes.offMainThread |= !IsMainThread();
        };
        player->OnState = [this](TObject*, TPlayState st) {
            notes.states.push_back(st);
            notes.offMainThread |= !IsMainThread();
        };
    }
    void TearDown() override
    {
        player.reset();
        delete form;
        ResetApplication();
        driver.reset();
    }
    // 3 s of testsrc2 + sine, mpeg4/mp2, a key frame every second.
    std::string Clip()
    {
        std::string f = Fixture("player_av.avi");
        EXPECT_TRUE(MakeMedia("-f lavfi -i testsrc2=size=320x240:rate=25:duration=3 -f lavfi -i "
                              "sine=frequency=440:sample_rate=44100:duration=3 -c:v mpeg4 -g 25 -q:v 2 -c:a mp2",
                              f));
        return f;
    }
    // Makes the fixture (ffmpeg arguments) and opens it playing in the panel,
    // with the notifications so far forgotten.
    void OpenMade(const std::string& name, const std::string& args)
    {
        std::string f = Fixture(name);
        ASSERT_TRUE(MakeMedia(args, f));
        notes = Notes();
        ASSERT_TRUE(player->Open(f, panel->Handle(), false)) << player->LastErrMsg();
    }
    // Plays on to the end, stops, and checks one end state and rising positions.
    void ExpectOneEndWithRisingPositions(std::size_t minPositions)
    {
        ASSERT_TRUE(WaitUntil([&] { return notes.Count(psEnd) > 0; }));
        player->Stop(true);
        CheckSynchronize(0);
        EXPECT_EQ(notes.Count(psEnd), 1);
        ASSERT_GT(notes.positions.size(), minPositions);
        for (std::size_t i = 1; i < notes.positions.size(); i++)
            ASSERT_GT(notes.positions[i], notes.positions[i - 1]) << "at " << i;
    }
    std::unique_ptr<TTestDriver> driver;
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    std::unique_ptr<TDEDideve> player;
    Notes notes;
    TempDir dir{"player"};
};

// PSNR of two BGRA pictures of one size, colour channels only.
inline double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    double se = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); i++) {
        if (i % 4 == 3) continue;
        double d = double(a[i]) - double(b[i]);
        se += d * d;
        n++;
    }
    if (n == 0) return 0;
    double mse = se / double(n);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// Where and how large the host shows the picture (all 0 when nothing is shown).
struct ShownPicture
{
    int left = 0, top = 0, width = 0, height = 0;
};
inline ShownPicture Shown(const TCustomPlayer& player)
{
    auto s = player.Playback();
    if (!s) return {};
    std::lock_guard<std::mutex> g(s->Surface.Lock);
    return {s->Surface.Left, s->Surface.Top, s->Surface.Width, s->Surface.Height};
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The picture the player shows as BGRA rows, its size in w and h.
inline std::vector<std::uint8_t> Pixels(TBitmap* bmp)
{
    std::vector<std::uint8_t> got;
    for (int y = 0; y < bmp->GetHeight(); y++) {
        auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
        got.insert(got.end(), row, row + bmp->GetWidth() * 4);
    }
    return got;
}

// The frame ffmpeg decodes at `at` seconds (after the filters), as BGRA.
inline std::vector<std::uint8_t> FfmpegFrame(const std::string& file, const std::string& at, const std::string& out,
                                             const std::string& filters = "")
{
    enginetest::Run("ffmpeg -nostdin -v error -y -ss " + at + " -i " + Quote(file) + " -frames:v 1 " +
                    (filters.empty() ? "" : "-vf " + filters + " ") + "-f rawvideo -pix_fmt bgra " + Quote(out));
    return ReadFile(out);
}

}  // namespace playertest
