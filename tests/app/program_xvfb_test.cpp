// The program on a real X display with a window manager (openbox): its
// windows made in this process show the main window with its title and
// client size, open the menu from the keyboard, open and close the about box
// and the options window, take the output folder from the folder dialog and
// are photographed in every skin (<build>/screenshots/program-<skin>.png);
// the program itself, started as a user starts it, keeps a skin chosen in
// the chooser across a restart and ends with "退出", leaving no process.
// xdotool plays the user.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "common/when_idle.h"
#include "platform/core/MainThread.h"
#include "platform/gui/IniFiles.h"
#include "skins/bsStoredSkins.h"
#include "tests/platform/x11_session.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "QuorvelMTS格式转换器";

// Our shown window with this title ("" when none): the application's own
// hidden window carries the program's title too.
std::string ShownWindow(const std::string& title)
{
    std::string s = Output({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
    auto nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(0, nl);
}

bool Keys(std::vector<std::string> keys)
{
    keys.insert(keys.begin(), {"xdotool", "key", "--delay", "80"});
    return Exec(keys);
}

std::string S(int v) { return std::to_string(v); }

class ProgramX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        root = fs::path(QUORVEL_BINARY_DIR) / ("program-xvfb-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* d : {"program", "config", "home"}) fs::create_directories(root / d);
    }
    void TearDown() override
    {
        SetIdleHook(nullptr);
        ResetApplication();
        UseOptionFile(nullptr);
        fs::remove_all(root);
    }
    // The program's windows in this process, the main window shown and active.
    void StartHere()
    {
        ResetApplication();
        UseOptionFile(std::make_unique<TOptionFile>(
            TOptionPlaces{(root / "program").string() + "/", (root / "config").string(), (root / "home").string()}));
        CreateProgramForms();
        Form1->Show();
        ASSERT_TRUE(AppPumpUntil([] { return !ShownWindow(kTitle).empty(); }));
        xid = ShownWindow(kTitle);
        ASSERT_TRUE(Exec({"xdotool", "windowactivate", "--sync", xid}));
        ASSERT_TRUE(AppPumpUntil([] { return GetActiveWindow() == Form1->Handle(); }));
        AppPumpUntil([] { return false; }, 300);
    }
    TPoint CentreOf(TControl* c) const
    {
        return c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
    }
    std::string Stored(const std::string& section, const std::string& key) const
    {
        return TMemIniFile((root / "program" / "option.ini").string()).ReadString(section, key, "");
    }
    fs::path root;
    std::string xid;
};

}  // namespace

TEST_F(ProgramX11Test, TheWindowsOpenAndAnswerTheKeyboardAndTheMouse)
{
    StartHere();
    // The title, the size on the screen (the skin's frame around the
    // 804 x 537 client area).
    EXPECT_EQ(Form1->ClientWidth(), 804);
    EXPECT_EQ(Form1->ClientHeight(), 537);
    const std::string g = Output({"xdotool", "getwindowgeometry", xid});
    EXPECT_NE(g.find("Geometry: " + S(Form1->Width()) + "x" + S(Form1->Height())), std::string::npos) << g;

    // The menu from the keyboard: F10, then Down opens "文件".
    ASSERT_TRUE(Keys({"F10", "Down"}));
    ASSERT_TRUE(AppPumpUntil([] { return Form1->bsSkinForm1->SkinMenu->LevelCount() > 0; }));
    EXPECT_EQ(Form1->bsSkinForm1->SkinMenu->Level(0)->Item(0)->MenuItem, Form1->Item111);
    ASSERT_TRUE(Keys({"Escape", "Escape"}));
    ASSERT_TRUE(AppPumpUntil([] { return Form1->bsSkinForm1->SkinMenu->LevelCount() == 0; }));

    // "帮助" → "关于软件" from the keyboard; Enter on its "确定" closes it.
    bool aboutShown = false;
    WhenIdle([] { return Form2->GetVisible() && !ShownWindow("关于软件").empty(); },
             [&] {
                 aboutShown = true;
                 Screenshot(ShotPath("program-about"));
                 Keys({"Return"});
             });
    ASSERT_TRUE(Keys({"F10", "Right", "Right", "Right", "Right", "Down", "Up", "Return"}));
    ASSERT_TRUE(AppPumpUntil([&] { return aboutShown && !Form2->GetVisible(); }));

    // "选项" with the mouse; Escape ("取消") closes it.
    bool optionsShown = false;
    WhenIdle([] { return Form5->GetVisible() && !ShownWindow("选项").empty(); },
             [&] {
                 optionsShown = true;
                 Screenshot(ShotPath("program-options"));
                 Keys({"Escape"});
             });
    const TPoint opt = CentreOf(Form1->bsSkinButton19);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(opt.X), S(opt.Y), "click", "1"}));
    ASSERT_TRUE(AppPumpUntil([&] { return optionsShown && !Form5->GetVisible(); }));

    // "浏览": the folder chosen in the dialog goes into option.ini.
    const fs::path chosen = root / "home" / "转换结果";
    fs::create_directories(chosen);
    bool dialogShown = false;
    WhenIdle([] { return Form1->bsSkinSelectDirectoryDialog2->Form() && !ShownWindow("选择输出目录").empty(); },
             [&] {
                 dialogShown = true;
                 Form1->bsSkinSelectDirectoryDialog2->Form()->DirTreeView->SetPath(chosen.string());
                 Keys({"Return"});
             });
    const TPoint browse = CentreOf(Form1->bsSkinButton5);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(browse.X), S(browse.Y), "click", "1"}));
    ASSERT_TRUE(AppPumpUntil([&] { return dialogShown && Form1->FileOutPutPath == chosen.string(); }));
    EXPECT_EQ(Stored("OutPath", "OutPath"), chosen.string());
}

TEST_F(ProgramX11Test, TheMainWindowInEverySkin)
{
    StartHere();
    const fs::path dir = fs::path(QUORVEL_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    for (int skin = 0; skin < bsStoredSkinCount(); ++skin)
    {
        const std::string name = fs::path(bsStoredSkin(skin).FileName).stem().string();
        SCOPED_TRACE(name);
        Form1->bsSkinData1->SetSkinIndex(skin);
        AppPumpUntil([] { return false; }, 400);
        EXPECT_EQ(Form1->ClientWidth(), 804);
        EXPECT_EQ(Form1->ClientHeight(), 537);
        const std::string png = (dir / ("program-" + name + ".png")).string();
        EXPECT_TRUE(Exec({"import", "-window", xid, png}));
        EXPECT_TRUE(fs::file_size(png) > 0);
    }
}

TEST_F(ProgramX11Test, TheProgramKeepsAChosenSkinAndEndsWithExit)
{
    // The program as a user starts it, from a folder of its own.
    const fs::path program = root / "program" / "quorvel";
    std::error_code ec;
    fs::create_hard_link(fs::path(QUORVEL_BINARY_DIR) / "quorvel", program, ec);
    if (ec) fs::copy_file(fs::path(QUORVEL_BINARY_DIR) / "quorvel", program);
    const std::string home = "HOME=" + (root / "home").string();
    auto run = [&] {
        pid_t pid = Spawn({"env", home, "XDG_CONFIG_HOME=" + (root / "config").string(), program.string()});
        EXPECT_GT(pid, 0);
        EXPECT_TRUE(WaitFor([] { return !ShownWindow(kTitle).empty(); }, 60000));
        const std::string id = ShownWindow(kTitle);
        EXPECT_TRUE(Exec({"xdotool", "windowactivate", "--sync", id}));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return std::make_pair(pid, id);
    };
    // The window's picture once it is painted (the whole window no longer
    // black where the panels are).
    const fs::path shots = fs::path(QUORVEL_BINARY_DIR) / "screenshots";
    fs::create_directories(shots);
    auto picture = [&](const std::string& id, const std::string& name) {
        const std::string png = (shots / name).string();
        TSurface s;
        WaitFor(
            [&] {
                if (!Exec({"import", "-window", id, png})) return false;
                s = TSurface::LoadPng(png);
                return !s.Empty() && (s.Pixel(s.Width() / 3, s.Height() / 2) & 0xFFFFFF) != 0;
            },
            30000);
        return s;
    };
    auto [pid, id] = run();
    EXPECT_EQ(Stored("Skin", "SetSkin"), "0");
    const TSurface first = picture(id, "program-first.png");
    // "功能" → "软件皮肤": two skins down, confirmed.
    ASSERT_TRUE(Keys({"F10", "Right", "Right", "Right", "Down", "Up", "Return"}));
    ASSERT_TRUE(WaitFor([] { return !ShownWindow("Select skin").empty(); }, 30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(Keys({"Down", "Down", "Return"}));
    EXPECT_TRUE(WaitFor([&] { return Stored("Skin", "SetSkin") == "2"; }, 30000));
    // "文件" → "退出" ends the program.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(Keys({"F10", "Down", "Up", "Return"}));
    int status = -1;
    EXPECT_TRUE(WaitExit(pid, 30000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Nothing of it is left running.
    for (const auto& e : fs::directory_iterator("/proc"))
    {
        const std::string stat = ReadFile((e.path() / "stat").string());
        const auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        EXPECT_NE(std::atoi(stat.c_str() + close + 4), pid) << "a child of the program remains: " << stat;
    }
    // A restart shows the chosen skin and leaves the file as it was.
    const std::string before = ReadFile((root / "program" / "option.ini").string());
    std::tie(pid, id) = run();
    const TSurface restarted = picture(id, "program-restarted.png");
    EXPECT_EQ(ReadFile((root / "program" / "option.ini").string()), before);
    // The caption is drawn from the other skin now.
    ASSERT_FALSE(first.Empty());
    ASSERT_FALSE(restarted.Empty());
    EXPECT_FALSE(Near(first.Pixel(first.Width() / 2, 8), restarted.Pixel(restarted.Width() / 2, 8), 6));
    Stop(pid);
}
