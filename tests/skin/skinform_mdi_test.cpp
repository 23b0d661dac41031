// MDI with skinned forms (demo forms: no window of the program is one): the
// children live in the main form's client window, tile and cascade in the
// MDI work area, a maximized child fills it without a frame and tells the
// main form, a minimized child parks at the bottom left of the client, the
// window menu lists the children, and the main form's menu bar carries the
// maximized child's buttons and merges the active child's menu.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinMenus.h"
#include "platform/gui/Menus.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinFormMdi : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        main = new TForm(Application);
        main->SetFormStyle(fsMDIForm);
        main->SetCaption("Quorvel MDI");
        msf = new TbsSkinForm(main);
        Application->SetMainForm(main);
        main->SetBounds(50, 50, 700, 500);
        main->SetClientSize(600, 400);
        windowMenu = new TMenuItem(main);
        main->WindowMenu = windowMenu;
        main->Show();
        driver->PumpUntilIdle();
    }
    TForm* Child(int i, const std::function<void(TbsSkinForm*)>& setup = nullptr)
    {
        auto* c = new TForm(Application);
        c->SetName("Child" + std::to_string(i));
        c->SetFormStyle(fsMDIChild);
        c->SetCaption("文档 " + std::to_string(i));
        auto* sf = new TbsSkinForm(c);
        if (setup) setup(sf);
        c->SetBounds(10 * i, 10 * i, 250, 180);
        c->Show();
        driver->PumpUntilIdle();
        return c;
    }
    TForm* main = nullptr;
    TbsSkinForm* msf = nullptr;
    TMenuItem* windowMenu = nullptr;
};
}  // namespace

TEST_F(SkinFormMdi, TileAndCascadeInTheWorkArea)
{
    ASSERT_NE(main->ClientHandle(), nullptr);
    EXPECT_EQ(msf->GetMDIWorkArea(), TRect(0, 0, 600, 400));
    std::vector<TForm*> made;
    for (int i = 1; i <= 5; ++i) made.push_back(Child(i));
    EXPECT_EQ(GetParent(made[0]->Handle()), main->ClientHandle());
    ASSERT_EQ(main->MDIChildCount(), 5);
    EXPECT_EQ(main->ActiveMDIChild(), made[4]);
    // Five children in 600 x 400: two columns; the right one holds three of
    // 300 x 133 (filled from the bottom), the left one two of 300 x 200.
    msf->Tile();
    const TRect tiles[] = {Bounds(0, 0, 300, 200), Bounds(0, 200, 300, 200), Bounds(300, 1, 300, 133),
                           Bounds(300, 134, 300, 133), Bounds(300, 267, 300, 133)};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main->MDIChildren(i)->BoundsRect(), tiles[i]) << i;

    // Cascade: steps of the caption height + 3, sizes from 80 % of the width.
    msf->Cascade();
    for (int i = 4, o = 0; i >= 0; --i, o += 22)
        EXPECT_EQ(main->MDIChildren(i)->BoundsRect(), Bounds(o, o, 490, 290)) << i;
    // Two more: the last one would leave the area and starts again at (0, 0).
    made.push_back(Child(6));
    made.push_back(Child(7));
    msf->Cascade();
    for (int i = 6, o = 0; i >= 1; --i, o += 22)
        EXPECT_EQ(main->MDIChildren(i)->BoundsRect(), Bounds(o, o, 490, 290)) << i;
    EXPECT_EQ(main->MDIChildren(0)->BoundsRect(), Bounds(0, 0, 490, 290));
}

TEST_F(SkinFormMdi, MaximizedChildFillsTheWorkAreaWithoutAFrame)
{
    TForm* a = Child(1);
    TForm* b = Child(2);
    TbsSkinForm* sb = FindSkinForm(b);
    sb->ChangeWindowState(wsMaximized);
    driver->PumpUntilIdle();
    EXPECT_EQ(b->BoundsRect(), TRect(0, 0, 600, 400));
    EXPECT_EQ(b->ClientWidth(), 600);
    EXPECT_EQ(b->ClientHeight(), 400);
    EXPECT_TRUE(msf->MDIChildMaximized());
    EXPECT_EQ(msf->GetMaximizedMDIChild(), b);
    // The main form's client grows: the maximized child follows.
    main->SetClientSize(640, 420);
    driver->PumpUntilIdle();
    EXPECT_EQ(b->BoundsRect(), TRect(0, 0, 640, 420));
    sb->ChangeWindowState(wsNormal);
    driver->PumpUntilIdle();
    EXPECT_FALSE(msf->MDIChildMaximized());
    EXPECT_EQ(b->BoundsRect(), Bounds(20, 20, 250, 180));
    EXPECT_LT(b->ClientWidth(), 250);
    // Minimized children park at the bottom left of the client, side by side.
    TbsSkinForm* sa = FindSkinForm(a);
    sa->ChangeWindowState(wsMinimized);
    sb->ChangeWindowState(wsMinimized);
    const int w = sa->GetMinWidth(), h = sa->GetMinHeight();
    EXPECT_EQ(a->BoundsRect(), Bounds(0, 420 - h, w, h));
    EXPECT_EQ(b->BoundsRect(), Bounds(w, 420 - h, w, h));
    msf->RestoreAll();
    EXPECT_EQ(a->BoundsRect(), Bounds(10, 10, 250, 180));
}

TEST_F(SkinFormMdi, WindowMenuListsTheChildren)
{
    TForm* a = Child(1);
    TForm* b = Child(2);
    ASSERT_EQ(windowMenu->Count(), 2);
    EXPECT_EQ(windowMenu->Items(0)->Name(), "Child1_BSFCHILDITEM");
    EXPECT_EQ(windowMenu->Items(1)->Caption(), "文档 2");
    b->SetCaption("报告");
    EXPECT_EQ(windowMenu->Items(1)->Caption(), "报告");
    // A click on an item brings its child to the top (restoring it first).
    FindSkinForm(a)->ChangeWindowState(wsMinimized);
    windowMenu->Items(0)->Click();
    driver->PumpUntilIdle();
    EXPECT_EQ(main->ActiveMDIChild(), a);
    EXPECT_EQ(FindSkinForm(a)->WindowState(), wsNormal);
    EXPECT_TRUE(windowMenu->Items(0)->Checked());
    EXPECT_FALSE(windowMenu->Items(1)->Checked());
    // Closing children takes their items away.
    msf->CloseAll();
    driver->PumpUntilIdle();
    EXPECT_EQ(windowMenu->Count(), 0);
}

TEST_F(SkinFormMdi, TabWidthsFollowTheBarAndTheLimits)
{
    std::vector<std::unique_ptr<TForm>> forms;
    for (int i = 0; i < 10; ++i) forms.push_back(std::make_unique<TForm>(nullptr));
    const struct
    {
        int barWidth, tabs, minTab;
        std::vector<int> widths;  // of the visible tabs, from x = 15
        int hidden;
    } cases[] = {
        {315, 3, 0, {100, 100, 100}, 0},
        {315, 10, 0, {30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, 0},
        {316, 4, 0, {75, 75, 75, 76}, 0},
        {200, 5, 60, {60, 60}, 3},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.barWidth) + " / " + std::to_string(c.tabs));
        TbsSkinMDITabsBar bar(nullptr);
        bar.SetBounds(0, 0, c.barWidth, 21);
        bar.MinTabWidth = c.minTab;
        for (int i = 0; i < c.tabs; ++i) bar.AddTab(forms[std::size_t(i)].get());
        bar.CalcTabRects();
        int x = 15;
        for (std::size_t i = 0; i < c.widths.size(); ++i)
        {
            EXPECT_EQ(bar.Tabs(int(i))->ObjectRect, TRect(x, 0, x + c.widths[i], 21)) << i;
            x += c.widths[i];
        }
        EXPECT_EQ(bar.InVisibleCount(), c.hidden);
        // The shared edge of two tabs belongs to the left one.
        EXPECT_EQ(bar.GetTabIndex(15 + c.widths[0], 5), 0);
        EXPECT_EQ(bar.GetTabIndex(5, 5), -1);
    }
}

TEST_F(SkinFormMdi, TabsActivateCloseAndReorderTheChildren)
{
    auto* bar = new TbsSkinMDITabsBar(main);
    bar->SetParent(main);
    bar->SetAlign(alTop);
    bar->ShowCloseButtons = true;
    msf->MDITabsBar = bar;
    driver->PumpUntilIdle();
    // The bar takes the top of the client: the work area begins under it.
    EXPECT_EQ(msf->GetMDIWorkArea().Top, bar->Height());
    TForm* a = Child(1);
    TForm* b = Child(2, [](TbsSkinForm* s) { s->OnAcceptToMDITabsBar = [](TObject*, bool&) {}; });
    Child(3);
    ASSERT_EQ(bar->TabCount(), 3);
    bar->Invalidate();
    driver->PumpUntilIdle();
    auto tabPoint = [bar](int i, int dx = 0) {
        const TRect r = bar->Tabs(i)->ObjectRect;
        return bar->ClientToScreen(TPoint(r.Left + 10 + dx, r.Top + r.Height() / 2));
    };
    // A click on the first tab brings its child to the front.
    driver->Click(tabPoint(0));
    driver->PumpUntilIdle();
    EXPECT_EQ(main->ActiveMDIChild(), a);
    EXPECT_TRUE(bar->Tabs(0)->Active);
    EXPECT_FALSE(bar->Tabs(1)->Active);
    // A drag of the first tab past the middle of the next two drops it after them.
    const TPoint from = tabPoint(0);
    driver->Drag(from, TPoint(from.X + 2 * bar->Tabs(0)->ObjectRect.Width() + 10, from.Y), 4);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Tabs(2)->Child, a);
    EXPECT_EQ(bar->Tabs(0)->Child, b);
    // A press on a close button released outside it closes nothing; a click closes the child.
    const TRect cb = bar->Tabs(0)->ButtonRect;
    const TPoint close = bar->ClientToScreen(TPoint(bar->Tabs(0)->ObjectRect.Left + cb.Left + cb.Width() / 2,
                                                    bar->Tabs(0)->ObjectRect.Top + cb.Top + cb.Height() / 2));
    ASSERT_FALSE(IsEmptyRect(cb));
    driver->Press(close);
    driver->Release(TPoint(close.X, close.Y + 40));
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->GetVisible());
    driver->Click(close);
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->GetVisible());
    EXPECT_EQ(bar->TabCount(), 2);
    // A child freed from its own tab's handler: the bar goes on safely.
    bar->OnTabMouseUp = [](TMouseButton, TShiftState, TbsMDITab* t) {
        t->Child->OnClose = [](TObject*, TCloseAction& act) { act = caFree; };
        t->Child->Close();
    };
    driver->Click(tabPoint(0));
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->TabCount(), 1);
    EXPECT_EQ(main->MDIChildCount(), 2);  // b hidden, one freed, a left
    // A child that refuses the bar gets no tab but its window-menu item.
    TForm* d = Child(4, [](TbsSkinForm* s) { s->OnAcceptToMDITabsBar = [](TObject*, bool& accept) { accept = false; }; });
    EXPECT_EQ(bar->TabCount(), 1);
    EXPECT_EQ(windowMenu->Items(windowMenu->Count() - 1)->Name(), "Child4_BSFCHILDITEM");
    delete d;
    EXPECT_EQ(bar->TabCount(), 1);
}

TEST_F(SkinFormMdi, TabListButtonsReachEveryTabAndTheHiddenOnes)
{
    auto* bar = new TbsSkinMDITabsBar(main);
    bar->SetParent(main);
    bar->SetAlign(alTop);
    bar->SkinForm = msf;
    bar->MinTabWidth = 150;  // (600 - 30) / 150: three tabs fit
    msf->MDITabsBar = bar;
    msf->SetSkinData(new TbsSkinData(main));  // an empty store: menus for a control need one
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ListButton(), nullptr);
    std::vector<TForm*> kids;
    for (int i = 1; i <= 5; ++i) kids.push_back(Child(i));
    bar->Invalidate();
    driver->PumpUntilIdle();
    ASSERT_NE(bar->ListButton(), nullptr);
    ASSERT_NE(bar->HideListButton(), nullptr);
    EXPECT_EQ(bar->InVisibleCount(), 2);
    EXPECT_EQ(bar->ListButton()->BoundsRect(), TRect(0, 0, 15, bar->Height()));
    EXPECT_EQ(bar->HideListButton()->BoundsRect(), TRect(600 - 15, 0, 600, bar->Height()));
    auto level = [this] { return msf->SkinMenu->LevelCount() == 1 ? msf->SkinMenu->Level(0) : nullptr; };
    auto captions = [&] {
        std::vector<std::string> c;
        for (int i = 0; level() && i < level()->ItemCount(); ++i) c.push_back(level()->Item(i)->MenuItem->Caption());
        return c;
    };
    auto choose = [&](int i) {
        const TRect r = level()->Item(i)->ObjectRect;
        driver->Click(TPoint(level()->Left() + (r.Left + r.Right) / 2, level()->Top() + (r.Top + r.Bottom) / 2));
        driver->PumpUntilIdle();
    };
    auto press = [&](TControl* b) {
        driver->Click(b->ClientToScreen(TPoint(7, b->Height() / 2)));
        driver->PumpUntilIdle();
    };
    // The hidden-tabs button lists the two tabs that found no room; a choice
    // brings a minimized child back to the front.
    FindSkinForm(kids[4])->ChangeWindowState(wsMinimized);
    press(bar->HideListButton());
    ASSERT_NE(level(), nullptr);
    EXPECT_EQ(captions(), (std::vector<std::string>{"文档 4", "文档 5"}));
    choose(1);
    EXPECT_EQ(main->ActiveMDIChild(), kids[4]);
    EXPECT_EQ(FindSkinForm(kids[4])->WindowState(), wsNormal);
    // The list button lists every tab, the active one checked.
    press(bar->ListButton());
    ASSERT_NE(level(), nullptr);
    EXPECT_EQ(captions().size(), 5u);
    EXPECT_TRUE(level()->Item(4)->MenuItem->Checked());
    choose(3);
    EXPECT_EQ(main->ActiveMDIChild(), kids[3]);
    // Room for every tab again: the hidden-tabs button goes, and with the
    // last tab the list button.
    delete kids[4];
    delete kids[3];
    bar->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->HideListButton(), nullptr);
    for (int i = 0; i < 3; ++i) delete kids[std::size_t(i)];
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ListButton(), nullptr);
}

TEST_F(SkinFormMdi, TheStoresMDIBackgroundPaintsTheClient)
{
    // Without a store: the application workspace colour.
    TForm* c = Child(1);
    c->SetBounds(400, 300, 150, 80);
    RedrawWindow(main->ClientHandle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    driver->PumpUntilIdle();
    auto at = [this](int x, int y) { return PixelToColorRef(driver->PixelAt(main->ClientToScreen(TPoint(x, y)))); };
    EXPECT_EQ(at(10, 10), ColorToRGB(clAppWorkSpace));
    // The store's MDI picture, tiled, where the form itself has none.
    const std::string dir = skintest::TempDir("mdi-bg");
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=mdi\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\nmdibgpictureindex=0\r\n\r\n"
                        "[SKINOBJECTS]\r\ncount=0\r\n\r\n[SKINCONTROLS]\r\ncount=0\r\n\r\n");
    TbsSkinData sd;
    sd.LoadFromFile(dir + "skin.ini");
    ASSERT_EQ(sd.MDIBGPictureIndex, 0);
    msf->SetSkinData(&sd);
    RedrawWindow(main->ClientHandle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    driver->PumpUntilIdle();
    for (TPoint p : {TPoint(10, 10), TPoint(70, 50), TPoint(130, 100)})
        EXPECT_EQ(at(p.X, p.Y), CoordColor(p.X % 64, p.Y % 48)) << p.X << "," << p.Y;
    msf->SetSkinData(nullptr);
    delete c;
}

TEST_F(SkinFormMdi, MaximizedChildButtonsOnTheMenuBar)
{
    auto* menu = new TMainMenu(main);
    for (const char* c : {"文件", "窗口"})
    {
        auto* it = new TMenuItem(menu);
        it->SetCaption(c);
        it->Add(new TMenuItem(menu));
        menu->Items()->Add(it);
    }
    auto* bar = new TbsSkinMainMenuBar(main);
    bar->SetParent(main);
    bar->SetSkinForm(msf);
    bar->SetMainMenu(menu);
    msf->SetMainMenuBar(bar);
    driver->PumpUntilIdle();
    TForm* a = Child(1, [](TbsSkinForm* s) {
        TbsBorderIcons icons;
        icons.Minimize = false;
        s->SetBorderIcons(icons);
    });
    TForm* b = Child(2);
    TbsSkinForm* sa = FindSkinForm(a);
    TbsSkinForm* sb = FindSkinForm(b);
    ASSERT_EQ(bar->ButtonsCount(), 0);
    auto centre = [bar](TbsStdCommand c) {
        const TRect r = bar->FindButton(c)->ObjectRect;
        return bar->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    };
    auto place = [&] {
        bar->Repaint();
        driver->PumpUntilIdle();
    };

    // Maximized: system menu at the left end, then the items; minimize,
    // restore and close at the right end (default look: squares as high as
    // the items area, 2 pixels apart).
    sb->ChangeWindowState(wsMaximized);
    place();
    ASSERT_EQ(bar->ButtonsCount(), 4);
    const int w = bar->Width(), s = 22 - 4;
    const struct
    {
        TbsStdCommand command;
        TRect rect;
    } layout[] = {{cmSysMenu, TRect(2, 2, 2 + s, 2 + s)},
                  {cmClose, TRect(w - 2 - s, 2, w - 2, 2 + s)},
                  {cmMaximize, TRect(w - 4 - 2 * s, 2, w - 4 - s, 2 + s)},
                  {cmMinimize, TRect(w - 6 - 3 * s, 2, w - 6 - 2 * s, 2 + s)}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(bar->Button(i)->Command, layout[i].command) << i;
        EXPECT_EQ(bar->Button(i)->ObjectRect, layout[i].rect) << i;
        EXPECT_TRUE(bar->Button(i)->Enabled) << i;
    }
    EXPECT_EQ(bar->Item(0)->ObjectRect.Left, 2 + s + 2);

    // Restore: the child is normal again and the buttons go.
    driver->Click(centre(cmMaximize));
    driver->PumpUntilIdle();
    EXPECT_EQ(sb->WindowState(), wsNormal);
    EXPECT_EQ(bar->ButtonsCount(), 0);

    // A child without a minimize button shows a disabled one.
    sa->ChangeWindowState(wsMaximized);
    place();
    ASSERT_EQ(bar->ButtonsCount(), 4);
    EXPECT_FALSE(bar->FindButton(cmMinimize)->Enabled);
    driver->Click(centre(cmMinimize));
    driver->PumpUntilIdle();
    EXPECT_EQ(sa->WindowState(), wsMaximized);

    // The system-menu button opens the child's system menu and stays down
    // until the menu closes.
    driver->Click(centre(cmSysMenu));
    driver->PumpUntilIdle();
    EXPECT_TRUE(msf->SkinMenu->Visible());
    EXPECT_TRUE(bar->FindButton(cmSysMenu)->FDown);
    driver->PressKey(VK_ESCAPE);
    driver->PumpUntilIdle();
    EXPECT_FALSE(msf->SkinMenu->Visible());
    EXPECT_FALSE(bar->FindButton(cmSysMenu)->FDown);

    // Close pressed and released outside: nothing; a click closes the child.
    const TPoint close = centre(cmClose);
    driver->Press(close);
    driver->MoveTo(TPoint(close.X - 200, close.Y + 100));
    driver->Release(TPoint(close.X - 200, close.Y + 100));
    driver->PumpUntilIdle();
    EXPECT_TRUE(a->GetVisible());
    a->OnClose = [](TObject*, TCloseAction& act) { act = caFree; };
    driver->Click(close);
    driver->PumpUntilIdle();
    EXPECT_EQ(main->MDIChildCount(), 1);
    EXPECT_EQ(bar->ButtonsCount(), 0);

    // A double click on the system-menu button closes the maximized child.
    sb->ChangeWindowState(wsMaximized);
    place();
    b->OnClose = [](TObject*, TCloseAction& act) { act = caFree; };
    driver->DoubleClick(centre(cmSysMenu));
    driver->PumpUntilIdle();
    EXPECT_EQ(main->MDIChildCount(), 0);
    EXPECT_EQ(bar->ButtonsCount(), 0);
    EXPECT_FALSE(msf->SkinMenu->Visible());
}

TEST_F(SkinFormMdi, TheActiveChildsMenuMergesIntoTheBar)
{
    auto item = [](TMenu* m, const char* caption, BYTE group) {
        auto* it = new TMenuItem(m);
        it->SetCaption(caption);
        it->SetGroupIndex(group);
        m->Items()->Add(it);
    };
    auto* menu = new TMainMenu(main);
    item(menu, "文件", 0);
    item(menu, "编辑", 1);
    item(menu, "帮助", 9);
    auto* bar = new TbsSkinMainMenuBar(main);
    bar->SetParent(main);
    bar->SetSkinForm(msf);
    bar->SetMainMenu(menu);
    msf->SetMainMenuBar(bar);
    auto captions = [bar] {
        std::string s;
        for (int i = 0; i < bar->ItemCount(); ++i) s += bar->Item(i)->MenuItem->Caption() + "|";
        return s;
    };
    EXPECT_EQ(captions(), "文件|编辑|帮助|");
    // The child's group 1 replaces the main menu's; its group 5 goes between.
    TForm* c = Child(1, [&](TbsSkinForm* s) {
        auto* cm = new TMainMenu(s->Form());
        item(cm, "表格", 1);
        item(cm, "数据", 5);
    });
    driver->PumpUntilIdle();
    EXPECT_EQ(captions(), "文件|表格|数据|帮助|");
    EXPECT_TRUE(bar->ChildMenuIn);
    EXPECT_FALSE(bar->ScrollMenu);
    // The child goes: its items go with it.
    delete c;
    driver->PumpUntilIdle();
    EXPECT_EQ(captions(), "文件|编辑|帮助|");
}

TEST_F(SkinFormMdi, AChildsSystemMenuClosesWithCtrlF4AndHasNoRollUpWhenMaximized)
{
    TForm* c = Child(1);
    TbsSkinForm* sc = FindSkinForm(c);
    auto names = [&] {
        std::vector<std::string> n;
        TMenuItem* items = sc->GetSystemMenuItems();
        for (int i = 0; i < items->Count(); ++i) n.push_back(items->Items(i)->Name());
        return n;
    };
    auto closeKey = [&] {
        TMenuItem* items = sc->GetSystemMenuItems();
        return ShortCutToText(items->Items(items->Count() - 1)->ShortCut());
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"BSF_MINITEM", "BSF_MAXITEM", "BSF_ROLLUP", "", "BSF_CLOSE"}));
    EXPECT_EQ(closeKey(), "Ctrl+F4");
    sc->ChangeWindowState(wsMaximized);
    driver->PumpUntilIdle();
    EXPECT_EQ(names(), (std::vector<std::string>{"BSF_MINITEM", "BSF_RESTORE", "", "BSF_CLOSE"}));
    // The main form's own menu keeps Alt+F4.
    TMenuItem* items = msf->GetSystemMenuItems();
    EXPECT_EQ(ShortCutToText(items->Items(items->Count() - 1)->ShortCut()), "Alt+F4");
}
