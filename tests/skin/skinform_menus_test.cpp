// The skinned form's own menus against its window state: the system menu,
// Alt+Space with an item's letter and the caption buttons all change the
// state through the component, so they agree; a freed user system menu is
// forgotten; the form's menu properties reach the menus it shows, and a menu
// fades in on the clock while the messages keep flowing.
#include "lib/bsSkinForm.h"
#include "platform/core/Clock.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
constexpr int kWorkBottom = 994;  // the default monitor's work area: 1280 x 994

class FormMenus : public SkinCtrlTest
{
protected:
    void Make(TFormBorderStyle bs = bsSizeable)
    {
        form = new TForm(Application);
        form->SetBorderStyle(bs);
        form->SetCaption("选项 Quorvel");
        sf = new TbsSkinForm(form);
        form->SetBounds(100, 100, 300, 200);
        form->Show();
        driver->PumpUntilIdle();
    }
    // Alt+Space, then the letter of a system-menu item.
    void SysMenuKey(int letter)
    {
        driver->PressKey(VK_SPACE, {VK_MENU});
        driver->PumpUntilIdle();
        ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
        driver->PressKey(letter);
        driver->PumpUntilIdle();
        EXPECT_EQ(sf->SkinMenu->LevelCount(), 0);
    }
    void ClickButton(const char* id)
    {
        const int i = sf->GetIndex(id);
        ASSERT_NE(i, -1) << id;
        const TRect r = sf->ObjectList[std::size_t(i)]->ObjectRect;
        driver->Click(TTestDriver::WindowPoint(form->Handle(), TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
        driver->PumpUntilIdle();
    }
    std::vector<std::string> SysMenuNames()
    {
        std::vector<std::string> n;
        TMenuItem* items = sf->GetSystemMenuItems();
        for (int i = 0; i < items->Count(); ++i) n.push_back(items->Items(i)->Name());
        return n;
    }
    TForm* form = nullptr;
    TbsSkinForm* sf = nullptr;
};
}  // namespace

TEST_F(FormMenus, SystemMenuKeysAndCaptionButtonsShareTheWindowState)
{
    Make();
    const TRect normal = Bounds(100, 100, 300, 200), work(0, 0, 1280, kWorkBottom);
    // Maximized by the caption button, restored from the system menu.
    ClickButton("maxbutton");
    EXPECT_EQ(sf->WindowState(), wsMaximized);
    EXPECT_EQ(form->BoundsRect(), work);
    EXPECT_EQ(SysMenuNames(), (std::vector<std::string>{"BSF_MINITEM", "BSF_RESTORE", "BSF_ROLLUP", "", "BSF_CLOSE"}));
    SysMenuKey('R');
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), normal);

    // Maximized from the system menu: the frame's state, not the system's;
    // the caption button restores it and maximizes it again.
    SysMenuKey('X');
    EXPECT_EQ(sf->WindowState(), wsMaximized);
    EXPECT_EQ(form->GetWindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), work);
    ClickButton("maxbutton");
    EXPECT_EQ(form->BoundsRect(), normal);
    ClickButton("maxbutton");
    ClickButton("maxbutton");
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), normal);

    // Minimized from the system menu: parked as a caption tile like the
    // caption button parks it, never iconified; restored from the menu.
    SysMenuKey('N');
    EXPECT_EQ(sf->WindowState(), wsMinimized);
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_EQ(form->BoundsRect(), Bounds(0, kWorkBottom - sf->GetMinHeight(), sf->GetMinWidth(), sf->GetMinHeight()));
    SysMenuKey('R');
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), normal);

    // Rolled up: Restore rolls it down.
    sf->ChangeRollUpState(true);
    SysMenuKey('R');
    EXPECT_FALSE(sf->RollUpState());
    EXPECT_EQ(form->BoundsRect(), normal);

    // A form the program maximized through the system shows maximized, and
    // the caption button gives it its normal bounds back.
    form->SetWindowState(wsMaximized);
    driver->PumpUntilIdle();
    EXPECT_EQ(sf->WindowState(), wsMaximized);
    ClickButton("maxbutton");
    EXPECT_EQ(form->GetWindowState(), wsNormal);
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(form->BoundsRect(), normal);
}

TEST_F(FormMenus, AFreedUserSystemMenuIsForgotten)
{
    Make();
    auto* user = new TPopupMenu(form);
    auto* own = new TMenuItem(user);
    own->SetCaption("关于 About");
    user->Items()->Add(own);
    sf->SetSystemMenu(user);
    EXPECT_EQ(sf->GetSystemMenuItems(), user->Items());
    delete user;
    EXPECT_EQ(sf->SystemMenu(), nullptr);
    // The next right click on the caption shows the default menu.
    driver->Click(TTestDriver::WindowPoint(form->Handle(), TPoint(60, 10)), backend::TMouseButton::Right);
    driver->PumpUntilIdle();
    ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
    EXPECT_EQ(sf->SkinMenu->Level(0)->ItemCount(), 5);
    driver->PressKey(VK_ESCAPE);
    driver->PumpUntilIdle();
}

TEST_F(FormMenus, MenuPropertiesReachTheMenusTheFormShows)
{
    Make();
    // Out-of-range values leave the previous ones.
    sf->SetMaxMenuItemsInWindow(5);
    sf->SetMaxMenuItemsInWindow(-1);
    sf->SetDefMenuItemHeight(25);
    sf->SetDefMenuItemHeight(0);
    TFont font;
    font.SetName("Arial");
    font.SetHeight(14);
    font.SetColor(clWindowText);
    sf->SetDefMenuItemFont(&font);
    sf->SetUseSkinFontInMenu(false);
    EXPECT_EQ(sf->MaxMenuItemsInWindow(), 5);
    EXPECT_EQ(sf->SkinMenu->MaxMenuItemsInWindow, 5);
    EXPECT_EQ(sf->DefMenuItemHeight(), 25);
    EXPECT_EQ(sf->SkinMenu->DefaultMenuItemFont()->GetName(), "Arial");
    EXPECT_FALSE(sf->SkinMenu->UseSkinFont());

    // Twelve items, five at a time: 5 x 25 + 4 of frame + 20 of scroll markers.
    auto* menu = new TPopupMenu(form);
    for (int i = 0; i < 12; ++i)
    {
        auto* mi = new TMenuItem(menu);
        mi->SetCaption("项目 " + std::to_string(i));
        menu->Items()->Add(mi);
    }
    sf->PopupSkinMenu(menu, TPoint(400, 300));
    driver->PumpUntilIdle();
    ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
    EXPECT_EQ(sf->SkinMenu->Level(0)->Height(), 5 * 25 + 4 + 20);
    EXPECT_TRUE(sf->SkinMenu->Level(0)->Scroll2);
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();

    // A fading menu rises a step per timer tick: the level is usable (its
    // messages are served) while it fades, and the clock is not spun.
    sf->SetMenusAlphaBlend(true);
    sf->SetMenusAlphaBlendValue(180);
    sf->SetMenusAlphaBlendAnimation(true);
    EXPECT_EQ(sf->SkinMenu->AlphaBlendValue, 180);
    const std::uint64_t before = Clock::Now();
    sf->PopupSkinMenu(menu, TPoint(400, 300));
    driver->PumpUntilIdle();
    ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
    HWND level = sf->SkinMenu->Level(0)->Handle();
    auto alpha = [level] {
        BYTE a = 0;
        GetLayeredWindowAttributes(level, nullptr, &a, nullptr);
        return int(a);
    };
    EXPECT_LT(Clock::Now() - before, 6u);
    EXPECT_EQ(alpha(), 12);
    const int active = sf->SkinMenu->Level(0)->ActiveItem;
    driver->PressKey(VK_DOWN);
    driver->PumpUntilIdle();
    EXPECT_NE(sf->SkinMenu->Level(0)->ActiveItem, active) << "keys reach the fading menu";
    driver->AdvanceClock(20);
    EXPECT_GT(alpha(), 12);
    EXPECT_LT(alpha(), 180);
    driver->AdvanceClock(200);
    EXPECT_EQ(alpha(), 180);
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
}
