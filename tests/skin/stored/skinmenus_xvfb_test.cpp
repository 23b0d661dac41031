// Skinned menus on a real X display with a window manager: a right click on
// the caption of a skinned form opens its system menu, a click elsewhere on
// the form or on another program's window closes it, and its Minimize parks
// the form as a tile the window manager leaves alone; F10 enters the menu
// bar's menu mode and keys open and choose an item. xdotool plays the user.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/bsSkinForm.h"
#include "platform/core/MainThread.h"
#include "skin/stored/helpers.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
const char* const kTitle = "Quorvel 菜单";

class X11SkinMenuTest : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        sd = storedtest::Load(0);
        form = new TForm(Application);
        form->SetCaption(kTitle);
        sf = new TbsSkinForm(form);
        sf->SetSkinData(sd.get());
        menu = new TMainMenu(form);
        auto add = [this](TMenuItem* parent, const std::string& caption) {
            auto* mi = new TMenuItem(form);
            mi->SetCaption(caption);
            mi->OnClick = [this, caption](TObject*) { clicked += caption + ";"; };
            parent->Add(mi);
            return mi;
        };
        TMenuItem* file = add(menu->Items(), "文件(&F)");
        add(file, "添加文件(&A)");
        add(file, "快照(&S)");
        add(menu->Items(), "帮助(&H)");
        bar = new TbsSkinMainMenuBar(form);
        bar->SetParent(form);
        bar->SetSkinData(sd.get());
        bar->SetSkinForm(sf);
        bar->SetMainMenu(menu);
        sf->SetMainMenuBar(bar);
        form->SetBounds(100, 100, 500, 360);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(kTitle).empty(); }));
        xid = XWindowOf(kTitle);
        ASSERT_TRUE(Exec({"xdotool", "windowactivate", "--sync", xid}));
        ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
        PumpFor(200);
    }
    void TearDown() override
    {
        ResetApplication();
        sd.reset();
    }
    static std::string S(int v) { return std::to_string(v); }
    bool MenuShown() { return sf->SkinMenu->LevelCount() > 0 && IsWindowVisible(sf->SkinMenu->Level(0)->Handle()); }

    std::unique_ptr<TbsSkinData> sd;
    TForm* form = nullptr;
    TbsSkinForm* sf = nullptr;
    TMainMenu* menu = nullptr;
    TbsSkinMainMenuBar* bar = nullptr;
    std::string xid;
    std::string clicked;
};
}  // namespace

TEST_F(X11SkinMenuTest, RightClickOnTheCaptionOpensTheSystemMenuAndAClickElsewhereClosesIt)
{
    const TPoint cap(100 + 120, 100 + sf->NewCaptionRect.Top + RectHeight(sf->NewCaptionRect) / 2);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(cap.X), S(cap.Y), "click", "3"}));
    ASSERT_TRUE(AppPumpUntil([&] { return MenuShown(); }));
    TbsSkinPopupWindow* level = sf->SkinMenu->Level(0);
    EXPECT_EQ(level->Item(level->ItemCount() - 1)->MenuItem->Name(), "BSF_CLOSE");
    AppPumpUntil([] { return false; }, 300);
    const TSurface shot = Screenshot(ShotPath("skinmenu-system"));
    ASSERT_FALSE(shot.Empty());
    // The menu's picture is on the screen where the level is: it differs
    // from the form's client area next to it.
    const TPoint in(level->Left() + level->Width() / 2, level->Top() + 3);
    EXPECT_FALSE(Near(shot.Pixel(in.X, in.Y), shot.Pixel(in.X, level->Top() + level->Height() + 40), 2));
    // A click on the form's client area closes it; the form stays active.
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "150", "400", "click", "1"}));
    ASSERT_TRUE(AppPumpUntil([&] { return sf->SkinMenu->LevelCount() == 0; }));
    EXPECT_FALSE(sf->InMenu());
    EXPECT_FALSE(sf->AppHooked());
    EXPECT_TRUE(clicked.empty());
}

TEST_F(X11SkinMenuTest, APressOnAnotherProgramsWindowClosesTheMenu)
{
    pid_t other = Spawn({"xmessage", "-title", "other program", "-geometry", "+700+500", "hello"});
    ASSERT_GT(other, 0);
    std::string otherId;
    ASSERT_TRUE(AppPumpUntil([&] { return !(otherId = XWindowOf("other program")).empty(); }));
    ASSERT_TRUE(Exec({"xdotool", "windowactivate", "--sync", xid}));
    ASSERT_TRUE(AppPumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    sf->PopupSystemMenuAt(300, 250);
    ASSERT_TRUE(AppPumpUntil([&] { return MenuShown(); }));
    const std::string geo = Output({"xdotool", "getwindowgeometry", otherId});
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "--window", otherId, "10", "10", "click", "1"})) << geo;
    EXPECT_TRUE(AppPumpUntil([&] { return sf->SkinMenu->LevelCount() == 0; }));
    EXPECT_FALSE(sf->InMenu());
    Stop(other);
}

TEST_F(X11SkinMenuTest, F10OpensTheMenuBarAndAKeyChoosesAnItem)
{
    ASSERT_TRUE(Exec({"xdotool", "key", "F10"}));
    ASSERT_TRUE(AppPumpUntil([&] { return sf->InMainMenu(); }));
    EXPECT_TRUE(bar->Item(0)->Active);
    ASSERT_TRUE(Exec({"xdotool", "key", "Down"}));
    ASSERT_TRUE(AppPumpUntil([&] { return MenuShown(); }));
    AppPumpUntil([] { return false; }, 300);
    EXPECT_FALSE(Screenshot(ShotPath("skinmenu-bar")).Empty());
    ASSERT_TRUE(Exec({"xdotool", "key", "s"}));
    ASSERT_TRUE(AppPumpUntil([&] { return clicked == "快照(&S);"; })) << clicked;
    EXPECT_EQ(sf->SkinMenu->LevelCount(), 0);
    EXPECT_FALSE(sf->InMainMenu());
    EXPECT_FALSE(sf->AppHooked());
}

TEST_F(X11SkinMenuTest, MinimizeFromTheSystemMenuParksTheFormInsteadOfIconifyingIt)
{
    ASSERT_NE(Application->MainForm(), form);
    auto systemMenuKey = [&](const char* key) {
        const TPoint cap(form->Left() + 40, form->Top() + sf->NewCaptionRect.Top + RectHeight(sf->NewCaptionRect) / 2);
        ASSERT_TRUE(Exec({"xdotool", "mousemove", S(cap.X), S(cap.Y), "click", "3"}));
        ASSERT_TRUE(AppPumpUntil([&] { return MenuShown(); }));
        ASSERT_TRUE(Exec({"xdotool", "key", key}));
        ASSERT_TRUE(AppPumpUntil([&] { return sf->SkinMenu->LevelCount() == 0; }));
    };
    systemMenuKey("n");
    ASSERT_TRUE(AppPumpUntil([&] { return sf->WindowState() == wsMinimized; }));
    AppPumpUntil([] { return false; }, 300);
    // A caption tile at the bottom left, still shown: the manager never iconified it.
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_NE(Output({"xprop", "-id", xid, "WM_STATE"}).find("Normal"), std::string::npos);
    EXPECT_EQ(form->Height(), sf->GetMinHeight());
    EXPECT_EQ(form->Left(), 0);
    systemMenuKey("r");
    EXPECT_TRUE(AppPumpUntil([&] { return form->BoundsRect() == Bounds(100, 100, 500, 360); }));
    EXPECT_EQ(sf->WindowState(), wsNormal);
}
