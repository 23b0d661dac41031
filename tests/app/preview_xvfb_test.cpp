// The preview panel on a real X display with a window manager, driven like a
// user with xdotool: a click on a row opens it in Panel6; "播放" plays it (the
// panel's pixels change); the seek slider's thumb dragged to the middle seeks
// there; "PNG文件" from the snapshot menu, then "快照" saves a PNG; "打开快照
// 目录" opens the folder (through a launcher that only records). A screenshot
// at each step (<build>/preview-*-PID.png).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "app_fixture.h"
#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Graphics.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "tests/app/user_script.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace {

// Serves the window's messages and the player's events until `done` holds.
template <class Pred>
bool ServeUntil(Pred done, int ms = 60000)
{
    return AppPumpUntil(done, ms);
}

class PreviewX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        root = fs::temp_directory_path() / ("quorvel-preview-x11-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* d : {"program", "config", "home"}) fs::create_directories(root / d);
        std::ofstream((root / "program" / "option.ini").string())
            << "[SnapShot]\nDir=" << (root / "shots").string() << "\nPicture=BMP\n";
        UseOptionFile(std::make_unique<TOptionFile>(
            TOptionPlaces{(root / "program").string() + "/", (root / "config").string(), (root / "home").string()}));
        CreateProgramForms();
        Form1->Show();
        ASSERT_TRUE(ServeUntil([] { return !XWindowOf("QuorvelMTS格式转换器").empty(); }, 30000));
        launcher = std::make_shared<apptest::TRecordingLauncher>();
        previous = sys::SetLauncher(launcher);
    }
    void TearDown() override
    {
        sys::SetLauncher(previous);
        if (Form1) Form1->DEDideve->Stop(true);
        ResetApplication();
        UseOptionFile(nullptr);
        fs::remove_all(root);
        ::unsetenv("SDL_AUDIODRIVER");
    }
    // The user's actions as a shell script, served meanwhile.
    void User(const std::string& script) { RunUser(script); }
    std::string Shot(const std::string& step) { return "sleep 0.5 && import -window root '" + ShotPath("preview-" + step) + "'"; }
    // Panel6's pixels on the screen now.
    std::vector<TPixel> PanelPixels(const std::string& step)
    {
        TSurface s = Screenshot(ShotPath("preview-" + step));
        std::vector<TPixel> v;
        const TPoint o = Form1->Panel6->ClientToScreen(TPoint(0, 0));
        for (int y = 0; y < Form1->Panel6->Height(); ++y)
            for (int x = 0; x < Form1->Panel6->Width(); ++x)
                if (o.X + x < s.Width() && o.Y + y < s.Height()) v.push_back(s.Row(o.Y + y)[o.X + x]);
        return v;
    }
    static std::int64_t Pts()
    {
        std::int64_t pts = -1;
        Form1->DEDideve->CurrentFrame(pts);
        return pts;
    }

    fs::path root;
    std::shared_ptr<apptest::TRecordingLauncher> launcher;
    std::shared_ptr<sys::ILauncher> previous;
};

}  // namespace

TEST_F(PreviewX11Test, AUserPreviewsSeeksAndTakesASnapshot)
{
    const std::string fixtures = QUORVEL_FIXTURES_DIR;
    ASSERT_EQ(Form1->AddFiles({fixtures + "/clip.ts", fixtures + "/clip.mp4"}), 2);
    ASSERT_TRUE(ServeUntil([] { return Form1->DEDideve->FileName().ends_with("clip.mp4"); }));

    // A click on the first row opens it, paused at its first picture.
    const TRect r0 = Form1->lvFiles->ItemRect(0, drBounds);
    User(ClickAt(Form1->lvFiles, TPoint(40, (r0.Top + r0.Bottom) / 2)));
    ASSERT_TRUE(ServeUntil([] { return Form1->DEDideve->FileName().ends_with("clip.ts") && Pts() >= 0; }));
    EXPECT_TRUE(Form1->DEDideve->Paused());
    EXPECT_EQ(Form1->DEDideve->ScreenHandle(), Form1->Panel6->Handle());

    // "播放": the pictures in the panel change as it plays.
    User(ClickCentre(Form1->bsSkinButton13));
    ASSERT_TRUE(ServeUntil([] { return Pts() >= 200000; }));
    const std::vector<TPixel> first = PanelPixels("1-playing");
    const std::int64_t at = Pts();
    ASSERT_TRUE(ServeUntil([&] { return Pts() >= at + 400000 || Form1->DEDideve->Paused(); }));
    const std::vector<TPixel> later = PanelPixels("2-later");
    ASSERT_EQ(first.size(), later.size());
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, later);
    // not just black
    int lit = 0;
    for (TPixel p : later) lit += !Near(p, 0);
    EXPECT_GT(lit, int(later.size()) / 2);

    // "暂停", then the thumb dragged to the slider's middle: the player seeks
    // there and plays on.
    User(ClickCentre(Form1->bsSkinButton14));
    ASSERT_TRUE(ServeUntil([] { return Form1->DEDideve->Paused(); }));
    TbsSkinSlider* s = Form1->bsSkinSlider1;
    const TRect thumb = s->ThumbRect();
    const TPoint from = s->ClientToScreen(TPoint((thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2));
    const TPoint to = s->ClientToScreen(TPoint(s->ValueToOffset(s->MaxValue() / 2) + (thumb.Right - thumb.Left) / 2,
                                               (thumb.Top + thumb.Bottom) / 2));
    User(Format("xdotool mousemove %d %d && sleep 0.3 && xdotool mousedown 1 && sleep 0.2 && xdotool mousemove %d %d "
                "&& sleep 0.3 && xdotool mousemove %d %d && sleep 0.3 && xdotool mouseup 1",
                from.X, from.Y, (from.X + to.X) / 2, to.Y, to.X, to.Y) +
         " && " + Shot("3-seeked"));
    EXPECT_EQ(Form1->bsSkinSlider1_down_UP, "UP");
    const int value = s->Value();
    EXPECT_GT(value, s->MaxValue() / 4);
    ASSERT_TRUE(ServeUntil([] { return !Form1->DEDideve->Seeking() && Pts() >= 0; }));
    EXPECT_GE(Pts(), Form1->FDuration * (value - 20) / s->MaxValue());
    User(ClickCentre(Form1->bsSkinButton14));
    ASSERT_TRUE(ServeUntil([] { return Form1->DEDideve->Paused(); }));

    // The snapshot menu: "快照保存类型" → "PNG文件"; then "快照".
    // The menu drops from the click; its rows are 20 pixels high, with a
    // divider before "快照保存类型" (60 pixels below the click); the window
    // lies centred on the screen, so the submenu opens to the menu's left,
    // its first row level with "快照保存类型".
    const TPoint menuAt = Form1->bsSkinButton23->ClientToScreen(
        TPoint(Form1->bsSkinButton23->Width() / 2, Form1->bsSkinButton23->Height() / 2));
    User(ClickCentre(Form1->bsSkinButton23) + " && sleep 0.5 && " + Shot("4-menu") +
         Format(" && xdotool mousemove %d %d && sleep 1", menuAt.X + 50, menuAt.Y + 61) + " && " + Shot("5-types") +
         Format(" && xdotool mousemove %d %d && sleep 0.5 && xdotool mousemove %d %d && sleep 0.5 && xdotool click 1",
                menuAt.X - 60, menuAt.Y + 61, menuAt.X - 60, menuAt.Y + 61 + 3 * 20));
    EXPECT_TRUE(Form1->PNG1->Checked());
    EXPECT_EQ(OptionFile().Read("SnapShot", "Picture"), "PNG");
    User(ClickCentre(Form1->bsSkinButton22));
    const std::string png = (root / "shots" / "clip_1.png").string();
    ASSERT_TRUE(sys::FileExists(png));
    TPicture pic;
    pic.LoadFromFile(png);
    EXPECT_EQ(pic.GetWidth(), 320);
    EXPECT_EQ(pic.GetHeight(), 240);

    // "打开快照目录".
    User(ClickCentre(Form1->bsSkinButton23) + " && sleep 0.5 && " +
         Format("xdotool mousemove %d %d && sleep 0.3 && xdotool click 1", menuAt.X + 50, menuAt.Y + 13) + " && " +
         Shot("6-opened"));
    ASSERT_EQ(launcher->started.size(), 1u);
    EXPECT_EQ(launcher->started[0].back(), (root / "shots").string());
}
