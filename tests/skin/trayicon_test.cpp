// The notification-area icon on the headless desktop: the icon shown and
// removed, its hooks installed and removed in any order, click and double
// click from simulated tray events, balloons cut to their limits, the icon
// back after a new notification area appears, icon cycling, and the main
// form minimized into the icon and restored through its skinning component.
#include "lib/bsSkinForm.h"
#include "lib/bsTrayIcon.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;
using backend::TTrayEvent;

namespace
{
class TrayIconTest : public SkinCtrlTest
{
protected:
    TForm* MainForm()
    {
        auto* f = new TForm(Application);
        f->SetCaption("Quorvel MTS");
        f->SetBounds(100, 100, 300, 200);
        Application->SetMainForm(f);
        f->Show();
        driver->PumpUntilIdle();
        return f;
    }
    backend::THeadlessBackend& Desk() { return driver->Desktop(); }
    // An icon as a loaded form has it: IconVisible (true) takes effect at the end of loading.
    TbsTrayIcon* Loaded(TbsTrayIcon* t)
    {
        t->BeginLoading();
        t->EndLoading();
        return t;
    }
    std::uint32_t OnlyIcon()
    {
        EXPECT_EQ(Desk().TrayIcons().size(), 1u);
        return Desk().TrayIcons().empty() ? 0 : Desk().TrayIcons().begin()->first;
    }
    void Send(std::uint32_t id, std::initializer_list<TTrayEvent> evs)
    {
        for (TTrayEvent e : evs) Desk().SendTrayEvent(id, e);
        driver->PumpUntilIdle();
    }
};
}  // namespace

TEST_F(TrayIconTest, HooksComeAndGoInAnyOrderAndTheIconWithThem)
{
    TForm* f = MainForm();
    const UINT taskbar = RegisterWindowMessage("TaskbarCreated");
    // Two icons on the same windows, freed in both orders; a subclass of the
    // program's own stays in place through it all.
    int seen = 0;
    const TSubclassToken mine = SubclassWindow(f->Handle(), [&seen](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 7) ++seen;
        return DefWindowProc(h, m, wp, lp);
    });
    for (bool firstGoesFirst : {true, false})
    {
        auto* a = Loaded(new TbsTrayIcon(f));
        auto* b = Loaded(new TbsTrayIcon(f));
        a->SetHint("转换 Quorvel");
        EXPECT_EQ(Desk().TrayIcons().size(), 2u);
        EXPECT_EQ(Desk().TrayIcons().begin()->second.Tip, "转换 Quorvel");
        if (firstGoesFirst)
            delete a, delete b;
        else
            delete b, delete a;
        EXPECT_TRUE(Desk().TrayIcons().empty());
        SendMessage(f->Handle(), WM_USER + 7, 0, 0);
        SendMessage(Application->Handle(), taskbar, 0, 0);
    }
    EXPECT_EQ(seen, 2);
    RemoveWindowSubclass(f->Handle(), mine);
    // Without a notification area: no icon and no error.
    Desk().SetTrayAvailable(false);
    TbsTrayIcon* none = Loaded(new TbsTrayIcon(f));
    EXPECT_TRUE(none->IconVisible());
    EXPECT_TRUE(Desk().TrayIcons().empty());
    // An area that appears later gets the icon ("TaskbarCreated").
    Desk().SetTrayAvailable(true);
    driver->PumpUntilIdle();
    EXPECT_EQ(Desk().TrayIcons().size(), 1u);
}

TEST_F(TrayIconTest, ClicksDoubleClicksAndTheDisabledIcon)
{
    TForm* f = MainForm();
    TbsTrayIcon& tray = *Loaded(new TbsTrayIcon(f));
    std::vector<std::string> log;
    tray.OnClick = [&log](TObject*) { log.push_back("click"); };
    tray.OnDblClick = [&log](TObject*) { log.push_back("dbl"); };
    tray.OnMouseDown = [&log](TObject*, TMouseButton b, TShiftState, int, int) {
        log.push_back(b == mbRight ? "rdown" : "down");
    };
    const std::uint32_t id = OnlyIcon();
    // A single click counts once the double-click time has passed.
    Send(id, {TTrayEvent::LeftDown, TTrayEvent::LeftUp});
    EXPECT_EQ(log, (std::vector<std::string>{"down"}));
    driver->AdvanceClock(GetDoubleClickTime() + 10);
    driver->PumpUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"down", "click"}));
    // A double click fires no click.
    log.clear();
    Send(id, {TTrayEvent::LeftDown, TTrayEvent::LeftUp, TTrayEvent::LeftDouble, TTrayEvent::LeftUp});
    driver->AdvanceClock(GetDoubleClickTime() + 10);
    driver->PumpUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"down", "dbl"}));
    // The right button opens the popup menu at the cursor.
    log.clear();
    TPopupMenu menu(f);
    int popups = 0;
    menu.OnPopup = [&popups](TObject*) { ++popups; };
    tray.PopupMenu = &menu;
    Send(id, {TTrayEvent::RightDown, TTrayEvent::RightUp});
    EXPECT_EQ(log, (std::vector<std::string>{"rdown"}));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menu.PopupComponent(), &tray);
    tray.PopupMenu = nullptr;
    // Disabled: nothing at all.
    log.clear();
    tray.Enabled = false;
    Send(id, {TTrayEvent::LeftDown, TTrayEvent::LeftUp, TTrayEvent::RightDown});
    driver->AdvanceClock(GetDoubleClickTime() + 10);
    driver->PumpUntilIdle();
    EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconTest, BalloonsAreCutAndIconsCycle)
{
    TForm* f = MainForm();
    TbsTrayIcon& tray = *Loaded(new TbsTrayIcon(f));
    EXPECT_TRUE(tray.ShowBalloonHint(std::string(100, 'T'), std::string(300, 'x'), bsbitWarning));
    ASSERT_EQ(Desk().Balloons().size(), 1u);
    EXPECT_EQ(Desk().Balloons()[0].Title.size(), 63u);
    EXPECT_EQ(Desk().Balloons()[0].Text.size(), 255u);
    EXPECT_EQ(Desk().Balloons()[0].IconType, int(NIIF_WARNING));
    EXPECT_EQ(tray.IconData().uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    // The limits are bytes of UTF-8: a text is cut before the character
    // that would not fit whole (three bytes each here).
    const struct
    {
        std::string text;
        std::size_t limit, kept;
    } cuts[] = {{"x" + std::string(60, 'y') + "转换", 63, 61}, {"a转换" + std::string(300, 'b'), 255, 255},
                {std::string(126, 'z') + "视频", 127, 126}, {"视频", 63, 6}};
    for (const auto& c : cuts)
    {
        SCOPED_TRACE(c.limit);
        if (c.limit == 127)
        {
            tray.SetHint(c.text);
            EXPECT_EQ(tray.IconData().szTip, c.text.substr(0, c.kept));
            continue;
        }
        tray.ShowBalloonHint(c.limit == 63 ? c.text : "t", c.limit == 63 ? "t" : c.text, bsbitInfo);
        const auto& b = Desk().Balloons().back();
        EXPECT_EQ(c.limit == 63 ? b.Title : b.Text, c.text.substr(0, c.kept));
    }

    TImageList list(16, 16);
    for (TPixel c : {MakePixel(255, 0, 0), MakePixel(0, 255, 0), MakePixel(0, 0, 255)})
    {
        TSurface s(16, 16);
        s.Fill(c);
        list.AddSurface(s);
    }
    std::vector<int> next, shown;
    tray.OnCycle = [&next](TObject*, int n) { next.push_back(n); };
    tray.SetIconList(&list);
    tray.SetAnimateTimerInterval(100);
    tray.SetCycleIcons(true);
    const std::uint32_t id = OnlyIcon();
    for (int i = 0; i < 4; ++i)
    {
        driver->AdvanceClock(100);
        driver->PumpUntilIdle();
        shown.push_back(tray.IconIndex());
    }
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));
    // The notification area shows the current image.
    EXPECT_EQ(Desk().TrayIcons().at(id).Pixels.at(0), MakePixel(0, 255, 0));
}

TEST_F(TrayIconTest, MainFormMinimizesIntoTheIconAndComesBack)
{
    TForm* f = MainForm();
    auto* sf = new TbsSkinForm(f);
    auto* tray = Loaded(new TbsTrayIcon(f));
    sf->SetTrayIcon(tray);
    // Linked: the icon hides until the form goes to the tray.
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_TRUE(Desk().TrayIcons().empty());
    sf->MinimizeToTray();
    driver->PumpUntilIdle();
    EXPECT_FALSE(f->GetVisible());
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_EQ(Desk().TrayIcons().size(), 1u);
    // A double click on the icon restores the form (the component's handler).
    Send(OnlyIcon(), {TTrayEvent::LeftDown, TTrayEvent::LeftUp, TTrayEvent::LeftDouble, TTrayEvent::LeftUp});
    EXPECT_TRUE(f->GetVisible());
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    EXPECT_FALSE(IsIconic(f->Handle()));
    EXPECT_FALSE(Application->Minimized());
    EXPECT_FALSE(tray->IconVisible());
    // The form took the front and the tray's mark was reset.
    EXPECT_EQ(f->Tag(), 0);
}

TEST_F(TrayIconTest, AlwaysMinimizeToTrayTurnsEveryMinimizeIntoTheTray)
{
    TForm* f = MainForm();
    auto* sf = new TbsSkinForm(f);
    auto* tray = Loaded(new TbsTrayIcon(f));
    sf->SetTrayIcon(tray);
    sf->AlwaysMinimizeToTray = true;
    int toTray = 0;
    sf->OnMinimizeToTray = [&](TObject*) { ++toTray; };
    // The system menu's Minimize and the minimize command both go to the tray.
    for (bool fromMenu : {true, false})
    {
        SCOPED_TRACE(fromMenu ? "system menu" : "command");
        if (fromMenu)
        {
            TMenuItem* items = sf->GetSystemMenuItems();
            TMenuItem* minimize = nullptr;
            for (int i = 0; i < items->Count(); ++i)
                if (items->Items(i)->Name() == "BSF_MINITEM") minimize = items->Items(i);
            ASSERT_NE(minimize, nullptr);
            minimize->Click();
        }
        else
            sf->DoStdCommand(cmMinimize);
        driver->PumpUntilIdle();
        EXPECT_FALSE(f->GetVisible());
        EXPECT_TRUE(tray->IconVisible());
        sf->RestoreFromTray();
        driver->PumpUntilIdle();
        EXPECT_TRUE(f->GetVisible());
    }
    EXPECT_EQ(toTray, 2);
}

TEST_F(TrayIconTest, TheFormsTrayMenuOpensOnTheIconAndRestoresAsTheFormDoes)
{
    TForm* f = MainForm();
    auto* sf = new TbsSkinForm(f);
    auto* tray = Loaded(new TbsTrayIcon(f));
    int restored = 0;
    sf->OnRestoreFromTray = [&restored](TObject*) { ++restored; };
    sf->SetTrayIcon(tray);
    EXPECT_EQ(tray->PopupMenu, sf->SysTrayMenu());
    // The captions follow a store and a string table set after the menu was made.
    auto* store = new TbsSkinData(f);
    sf->SetSkinData(store);
    auto* strings = new TbsResourceStrData(f);
    strings->SetResStrings(std::vector<std::string>{"MI_RESTORECAPTION=还原(&R)", "MI_CLOSECAPTION=关闭(&C)"});
    store->SetResourceStrData(strings);
    driver->PumpUntilIdle();
    TMenuItem* items = sf->SysTrayMenu()->Items();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Items(0)->Caption(), "还原(&R)");
    EXPECT_EQ(items->Items(2)->Caption(), "关闭(&C)");

    sf->MinimizeToTray();
    driver->PumpUntilIdle();
    ASSERT_FALSE(f->GetVisible());
    // A right click on the icon shows the menu; its Restore restores as the form does.
    Send(OnlyIcon(), {TTrayEvent::RightDown, TTrayEvent::RightUp});
    ASSERT_EQ(sf->SkinMenu->LevelCount(), 1);
    TbsSkinPopupWindow* level = sf->SkinMenu->Level(0);
    const TRect r = level->Item(0)->ObjectRect;
    driver->Click(TPoint(level->Left() + (r.Left + r.Right) / 2, level->Top() + (r.Top + r.Bottom) / 2));
    driver->PumpUntilIdle();
    EXPECT_TRUE(f->GetVisible());
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_EQ(restored, 1);

    // Unlinked, the icon gives the menu back; an icon with a menu keeps its own.
    sf->SetTrayIcon(nullptr);
    EXPECT_EQ(tray->PopupMenu, nullptr);
    TbsSkinPopupMenu own(f);
    tray->PopupMenu = &own;
    sf->SetTrayIcon(tray);
    EXPECT_EQ(tray->PopupMenu, &own);
    sf->SetTrayIcon(nullptr);
}
