// Window states of skinned forms on a real X display with a window manager:
// the main form minimized and restored through the manager, the layered
// border of the skin with a layer frame drawn by a compositor (screenshot),
// and the notification-area icon docked into a system tray and docked again
// when the tray restarts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/bsSkinForm.h"
#include "lib/bsTrayIcon.h"
#include "skin/stored/helpers.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
const char* const kTitle = "Quorvel 窗口状态";

class X11WindowStatesTest : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
    }
    void TearDown() override
    {
        ResetApplication();
        sd.reset();
    }
    void ShowMain(int skin)
    {
        sd = storedtest::Load(skin);
        form = new TForm(Application);
        form->SetCaption(kTitle);
        sf = new TbsSkinForm(form);
        sf->SetSkinData(sd.get());
        form->SetBounds(200, 150, 500, 360);
        Application->SetMainForm(form);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(kTitle).empty(); }));
        xid = XWindowOf(kTitle);
        PumpFor(300);
    }
    std::unique_ptr<TbsSkinData> sd;
    TForm* form = nullptr;
    TbsSkinForm* sf = nullptr;
    std::string xid;
};

// Whether the icon's window (named by its tip) sits inside another program's
// window rather than on the root window.
bool IconEmbedded(const std::string& tip)
{
    std::string id = Output({"xdotool", "search", "--name", "^" + tip + "$"});
    id = id.substr(0, id.find('\n'));
    if (id.empty()) return false;
    const std::string info = Output({"xwininfo", "-children", "-id", id});
    const auto at = info.find("Parent window id:");
    if (at == std::string::npos) return false;
    const std::string parent = info.substr(at, info.find('\n', at) - at);
    return parent.find("(the root window)") == std::string::npos;
}
}  // namespace

TEST_F(X11WindowStatesTest, MainFormMinimizesAndRestoresThroughTheManager)
{
    ShowMain(0);
    ASSERT_TRUE(Exec({"xdotool", "windowminimize", xid}));
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(form->Handle()); }));
    EXPECT_TRUE(Application->Minimized());
    // The frame keeps its state: the application is what was minimized.
    EXPECT_EQ(sf->WindowState(), wsNormal);
    ASSERT_TRUE(Exec({"xdotool", "windowactivate", xid}));
    ASSERT_TRUE(PumpUntil([&] { return !IsIconic(form->Handle()) && !Application->Minimized(); }));
    EXPECT_EQ(form->BoundsRect(), Bounds(200, 150, 500, 360));
    // The frame's own minimize button goes through the application too.
    sf->ChangeWindowState(wsMinimized);
    EXPECT_TRUE(PumpUntil([&] {
        return Output({"xprop", "-id", xid, "WM_STATE"}).find("Iconic") != std::string::npos;
    }));
    Application->Restore();
    EXPECT_TRUE(PumpUntil([&] {
        return Output({"xprop", "-id", xid, "WM_STATE"}).find("Normal") != std::string::npos;
    }));
}

TEST_F(X11WindowStatesTest, LayeredBorderWithACompositor)
{
    pid_t cm = Spawn({"xcompmgr"});
    ASSERT_GT(cm, 0);
    const bool layered = PumpUntil([] { return IsLayeredWindowsAvailable(); });
    if (!layered) Stop(cm);
    ASSERT_TRUE(layered) << "xcompmgr did not take the compositing selection";
    ShowMain(6);
    ASSERT_TRUE(PumpUntil([&] { return sf->BorderLayer()->Visible(); }));
    PumpFor(800);
    const TSurface shot = Screenshot(ShotPath("layered_border"));
    ASSERT_FALSE(shot.Empty());
    // Next to the form the shadow darkens the desktop; far away it does not.
    const TPixel desk = shot.Pixel(1200, 900), below = shot.Pixel(450, 150 + 360 + 3);
    const TPixel right = shot.Pixel(200 + 500 + 3, 330);
    EXPECT_LT(int(PixelR(below)) + PixelG(below) + PixelB(below), int(PixelR(desk)) + PixelG(desk) + PixelB(desk));
    EXPECT_LT(int(PixelR(right)) + PixelG(right) + PixelB(right), int(PixelR(desk)) + PixelG(desk) + PixelB(desk));
    // Hidden with the form.
    form->Hide();
    PumpFor(500);
    EXPECT_FALSE(sf->BorderLayer()->Visible());
    const TSurface after = Screenshot(ShotPath("layered_border_hidden"));
    ASSERT_FALSE(after.Empty());
    EXPECT_TRUE(Near(after.Pixel(450, 150 + 360 + 3), desk, 2));
    Stop(cm);
    PumpUntil([] { return !IsLayeredWindowsAvailable(); }, 3000);
}

TEST_F(X11WindowStatesTest, TrayIconDocksAndDocksAgainAfterTheTrayRestarts)
{
    if (Output({"sh", "-c", "command -v trayer"}).empty())
        GTEST_SKIP() << "no system tray program (trayer) is installed: the docking is not tested";
    ShowMain(0);
    auto* tray = new TbsTrayIcon(form);
    tray->SetHint("Quorvel tray icon");
    // A red disc on transparent ground.
    TIcon icon;
    icon.SetSize(16, 16);
    {
        TSurface px(16, 16);
        px.Fill(0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if ((x - 8) * (x - 8) + (y - 8) * (y - 8) < 49) px.Row(y)[x] = MakePixel(220, 30, 30);
        icon.Bitmap()->FromSurface(px);
    }
    tray->SetIcon(&icon);
    tray->BeginLoading();
    tray->EndLoading();
    // No tray yet: no icon and no error.
    EXPECT_TRUE(tray->IconVisible());
    auto startTray = [] {
        return Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                      "--height", "24", "--SetDockType", "false"});
    };
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round == 0 ? "tray started after the icon" : "tray restarted");
        pid_t st = startTray();
        ASSERT_GT(st, 0) << "trayer did not start";
        // The "TaskbarCreated" message makes the icon add itself; the tray embeds it.
        const bool docked = PumpUntil([&] { return IconEmbedded("Quorvel tray icon"); });
        EXPECT_TRUE(docked);
        if (round == 0)
        {
            // The tray shows the picture.
            PumpFor(300);
            const TSurface shot = Screenshot(ShotPath("tray_icon"));
            int red = 0;
            for (int y = 0; y < 30 && !shot.Empty(); ++y)
                for (int x = 1280 - 130; x < 1280; ++x)
                    if (Near(shot.Pixel(x, y), MakePixel(220, 30, 30), 20)) ++red;
            EXPECT_GT(red, 20);
        }
        Stop(st);
        PumpFor(300);
    }
    delete tray;
}
