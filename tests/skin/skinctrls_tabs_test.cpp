// The skinned up-down (layout, position rules, clicks and the repeat on the
// virtual clock) and the skinned page control (tab and display rectangles
// in the four positions, the up-down in place of the native arrows, keys
// and refused changes, the hot tab).
#include "lib/bsSkinTabs.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
// A "tab" entry: the frame look (0, 0, 40, 30) with its page part at
// (3, 4, 37, 27), the tab picture (40, 0, 60, 12) and a selected one 2
// pixels taller; the scroller's "hupdown" entry 30 x 14.
std::string TabSkin(const std::string& name)
{
    const std::string dir = skintest::TempDir("tabs-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(dir + "skin.ini",
        "[VERSION]\r\nskinname=tabs\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
        "[SKINCONTROLS]\r\ncount=2\r\n0=tab:tab\r\n1=hupdown:updown\r\n\r\n"
        "[tab]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nclientrect=3,4,37,27\r\nlefttoppoint=3,4\r\n"
        "righttoppoint=37,4\r\nleftbottompoint=3,27\r\nrightbottompoint=37,27\r\ntabrect=40,0,60,12\r\n"
        "activetabrect=40,12,60,26\r\ntableftoffset=3\r\ntabrightoffset=3\r\nfontcolor=255\r\nupdown=hupdown\r\n\r\n"
        "[hupdown]\r\npictureindex=0\r\nskinrect=0,30,30,44\r\nupbuttonrect=15,0,30,14\r\ndownbuttonrect=0,0,15,14\r\n"
        "activeupbuttonrect=30,30,45,44\r\nactivedownbuttonrect=45,30,60,44\r\n\r\n");
    return dir + "skin.ini";
}

class TabsTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm(500, 300);
        form->Show();
    }
    void Pump() { driver->PumpUntilIdle(); }
    void Advance(int ms)
    {
        driver->AdvanceClock(ms);
        Pump();
    }
    TbsSkinUpDown* MakeUpDown(int w = 50, int h = 25)
    {
        auto* u = new TbsSkinUpDown(form);
        u->SetBounds(10, 10, w, h);
        u->SetParent(form);
        u->OnChange = [this](TObject*) { ++changes; };
        u->OnUpButtonClick = [this](TObject*) { ++upClicks; };
        Pump();
        return u;
    }
    TbsSkinPageControl* MakePages(int n, int w = 300, TTabPosition pos = tpTop)
    {
        auto* pc = new TbsSkinPageControl(form);
        pc->SetBounds(10, 10, w, 200);
        pc->SetParent(form);
        pc->SetTabPosition(pos);
        for (int i = 0; i < n; ++i)
        {
            auto* p = new TbsSkinTabSheet(form);
            p->SetPageControl(pc);
            p->SetCaption("页面" + std::to_string(i + 1));
        }
        pc->SetActivePageIndex(0);
        Pump();
        return pc;
    }
    TSkinnedForm* form = nullptr;
    int changes = 0, upClicks = 0;
};
} // namespace

TEST_F(TabsTest, UpDownLayoutAndPositionRules)
{
    struct Case
    {
        int W, H;
        TUDOrientation O;
        TRect Up, Down;
    };
    for (const Case& c : {Case{50, 25, udHorizontal, TRect(25, 0, 50, 25), TRect(0, 0, 25, 25)},
                          Case{51, 25, udHorizontal, TRect(25, 0, 51, 25), TRect(0, 0, 25, 25)},
                          Case{20, 41, udVertical, TRect(0, 0, 20, 20), TRect(0, 20, 20, 41)}})
    {
        auto* u = MakeUpDown(c.W, c.H);
        u->SetOrientation(c.O);
        u->CalcRects();
        EXPECT_EQ(u->Button(0).R, c.Up) << c.W;
        EXPECT_EQ(u->Button(1).R, c.Down) << c.W;
        EXPECT_EQ(u->SkinDataName(), "hupdown") << "the orientation never renames the entry at run time";
    }
    auto* u = MakeUpDown();
    changes = 0;
    u->SetPosition(101);
    u->SetPosition(-1);
    EXPECT_EQ(u->Position(), 0);
    EXPECT_EQ(changes, 0) << "outside [Min, Max]: nothing";
    u->SetPosition(0);
    EXPECT_EQ(changes, 1) << "the same value fires again";
    u->SetPosition(5);
    changes = 0;
    u->SetMin(10);
    EXPECT_EQ(u->Position(), 10);
    u->SetMax(3);
    EXPECT_EQ(u->Position(), 3);
    EXPECT_EQ(changes, 0);
}

TEST_F(TabsTest, UpDownClicksAndRepeatOnTheVirtualClock)
{
    auto* u = MakeUpDown();
    const TPoint up = u->ClientToScreen(TPoint(37, 12)), down = u->ClientToScreen(TPoint(12, 12));
    driver->Click(up);
    Pump();
    EXPECT_EQ(u->Position(), 1);
    EXPECT_EQ(upClicks, 1);

    driver->Press(up);
    Pump();
    EXPECT_EQ(u->RepeatMode(), 2);
    Advance(500);
    EXPECT_EQ(u->Position(), 1) << "the first tick ends the wait";
    Advance(100);
    EXPECT_EQ(u->Position(), 2) << "600 ms after the press";
    Advance(100);
    EXPECT_EQ(u->Position(), 3);
    driver->MoveTo(down);
    Pump();
    EXPECT_FALSE(u->Button(1).MouseIn) << "the other button is neither hot nor pressed while one is held";
    Advance(300);
    EXPECT_EQ(u->Position(), 3) << "paused off the button";
    driver->MoveTo(up);
    Advance(50);
    EXPECT_EQ(u->Position(), 4) << "resumes at 50 ms";
    driver->Release(up);
    Pump();
    EXPECT_EQ(u->Position(), 5) << "one more step at the release";
    EXPECT_EQ(u->RepeatMode(), 0);

    driver->Press(up);
    driver->MoveTo(u->ClientToScreen(TPoint(80, 80)));
    driver->Release(u->ClientToScreen(TPoint(80, 80)));
    Pump();
    EXPECT_EQ(u->Position(), 5) << "released elsewhere: no step, no click";
    EXPECT_EQ(upClicks, 2);

    u->SetIncrement(0);
    driver->Press(up);
    Advance(1000);
    driver->Release(up);
    Pump();
    EXPECT_EQ(u->Position(), 5);
    EXPECT_EQ(upClicks, 3) << "increment 0: no steps, the click still fires";
}

TEST_F(TabsTest, TabAndDisplayRectanglesInFourPositions)
{
    struct Case
    {
        TTabPosition Pos;
        int Dx, Dy;   // the shift from the native tab rectangle (tab 1)
    };
    for (const Case& c : {Case{tpTop, -2, -2}, Case{tpBottom, -2, 2}, Case{tpLeft, -2, 0}, Case{tpRight, 2, 0}})
    {
        auto* pc = MakePages(3, 300, c.Pos);
        const TRect native = pc->TCustomTabControl::TabRect(1);
        TRect want = native;
        OffsetRect(want, c.Dx, c.Dy);
        EXPECT_EQ(pc->GetTabRect(1), want) << c.Pos;
        TRect r;
        pc->Perform(TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r, want) << "the message answers the drawn rectangle";
        const TRect d = pc->GetDisplayRect(), n = pc->DisplayRect();
        switch (c.Pos)
        {
        case tpTop: EXPECT_EQ(d, TRect(1, n.Top - 5, 299, 199)); break;
        case tpBottom: EXPECT_EQ(d, TRect(1, 1, 299, n.Bottom + 3)); break;
        case tpLeft: EXPECT_EQ(d, TRect(n.Left - 3, n.Top - 5, 299, 199)); break;
        case tpRight: EXPECT_EQ(d, TRect(n.Left - 3, n.Top - 5, n.Right + 3, 199)); break;
        }
        EXPECT_EQ(pc->Pages(0)->BoundsRect(), d) << "the pages fill the skinned display area";
        delete pc;
    }
}

TEST_F(TabsTest, UpDownReplacesTheNativeArrows)
{
    auto* pc = MakePages(8, 300);
    ASSERT_NE(pc->SkinUpDown(), nullptr);
    EXPECT_EQ(pc->Scroller(), nullptr) << "the native arrow pair is gone";
    const int hidden = pc->GetHiddenTabCount();
    EXPECT_GT(hidden, 0);
    EXPECT_EQ(pc->SkinUpDown()->Max(), hidden);
    EXPECT_EQ(pc->SkinUpDown()->Position(), 0);
    EXPECT_EQ(pc->SkinUpDown()->Left(), 300 - pc->SkinUpDown()->Width());
    EXPECT_EQ(pc->SkinUpDown()->Top(), 0);

    driver->Click(pc->SkinUpDown()->ClientToScreen(TPoint(30, 10)));
    Pump();
    EXPECT_EQ(pc->SkinUpDown()->Position(), 1);
    EXPECT_EQ(pc->FirstVisibleTab(), 1) << "the row scrolled by one tab";

    pc->SetWidth(1000);
    Pump();
    EXPECT_EQ(pc->SkinUpDown(), nullptr) << "every tab fits again";
}

TEST_F(TabsTest, KeysRefusalAndHotTab)
{
    auto* pc = MakePages(3, 300);
    bool allow = true;
    pc->OnChanging = [&](TObject*, bool& a) { a = allow; };
    pc->SetFocus();
    driver->PressKey(VK_TAB, {VK_CONTROL});
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 1);
    allow = false;
    driver->PressKey(VK_TAB, {VK_CONTROL});
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 1) << "OnChanging refused";

    const TRect t2 = pc->GetTabRect(2);
    driver->MoveTo(pc->ClientToScreen(TPoint(t2.Left + 5, t2.Top + 5)));
    Pump();
    EXPECT_EQ(pc->ActiveTabIndex(), 2);
    driver->MoveTo(form->ClientToScreen(TPoint(450, 280)));
    Pump();
    EXPECT_EQ(pc->ActiveTabIndex(), -1);
}


TEST_F(TabsTest, CloseButtonsCloseTheActivePage)
{
    auto* pc = MakePages(3, 400);
    const int before = RectWidth(pc->GetTabRect(1));
    pc->SetShowCloseButtons(true);
    Pump();
    EXPECT_EQ(RectWidth(pc->GetTabRect(1)), before + 14) << "each tab makes room for its close button";

    bool allow = false;
    int afterClose = 0;
    pc->OnClose = [&](TObject* sender, bool& can) {
        EXPECT_EQ(sender, pc->GetActivePage());
        can = allow;
    };
    pc->OnAfterClose = [&](TObject*) { ++afterClose; };
    auto clickClose = [&] {
        auto* page = static_cast<TbsSkinTabSheet*>(pc->GetActivePage());
        const TRect t = pc->GetTabRect(page->TabIndex());
        const TRect b = page->ButtonRect;
        ASSERT_FALSE(IsEmptyRect(b)) << "drawn with the tab";
        const TPoint p = pc->ClientToScreen(TPoint(t.Left + b.Left + 3, t.Top + b.Top + 3));
        driver->MoveTo(p);
        Pump();
        driver->Click(p);
        Pump();
    };
    clickClose();
    EXPECT_TRUE(pc->Pages(0)->GetTabVisible()) << "OnClose refused";
    EXPECT_EQ(afterClose, 0);
    allow = true;
    clickClose();
    EXPECT_FALSE(pc->Pages(0)->GetTabVisible());
    EXPECT_EQ(afterClose, 1);
    pc->FreeOnClose = true;
    driver->AdvanceClock(1000);
    clickClose();
    EXPECT_EQ(pc->PageCount(), 2) << "freed";
}

TEST_F(TabsTest, HidingTabsAndBorder)
{
    auto* pc = MakePages(3, 300, tpLeft);
    pc->SetMultiLine(true);
    pc->SetTabHeight(24);
    pc->HideTabs();
    pc->HideTabs();
    EXPECT_TRUE(pc->TabsHidden());
    EXPECT_EQ(pc->GetTabPosition(), tpTop);
    EXPECT_EQ(pc->GetTabHeight(), 1);
    pc->ShowTabs();
    EXPECT_FALSE(pc->TabsHidden());
    EXPECT_EQ(pc->GetTabPosition(), tpLeft);
    EXPECT_TRUE(pc->GetMultiLine());
    EXPECT_EQ(pc->GetTabHeight(), 24);

    pc->HideBorderAndTabs();
    Pump();
    EXPECT_EQ(pc->GetDisplayRect(), TRect(0, -2, 300, 200));
    EXPECT_EQ(pc->Pages(0)->BoundsRect(), TRect(0, -2, 300, 200));
    pc->ShowTabs();
    EXPECT_TRUE(pc->TabsHidden()) << "ShowTabs alone does not undo HideBorderAndTabs";
    pc->ShowBorderAndTabs();
    EXPECT_FALSE(pc->TabsHidden());
}

TEST_F(TabsTest, WheelAndCentredTabs)
{
    auto* pc = MakePages(3, 400);
    pc->SetFocus();   // the wheel goes to the focus
    const TPoint centre = pc->ClientToScreen(TPoint(200, 100));
    driver->Wheel(-120, centre);
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 0) << "no wheel support";
    pc->MouseWheelSupport = true;
    driver->Wheel(-120, centre);
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 1);
    pc->SetActivePageIndex(2);
    driver->Wheel(-120, centre);
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 2) << "the last page stays";
    driver->Wheel(120, centre);
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 1);

    pc->SetTabsInCenter(true);
    EXPECT_FALSE(pc->TabsInCenter()) << "needs a fixed tab width";
    pc->SetTabPosition(tpBottom);
    pc->SetTabWidth(80);
    pc->SetTabsInCenter(true);
    Pump();
    EXPECT_EQ(pc->GetTabPosition(), tpTop);
    EXPECT_TRUE(pc->TabsBGTransparent());
    EXPECT_EQ(pc->GetTabsShift(), 80) << "200 - 120";
    EXPECT_EQ(pc->GetTabRect(1).Left, pc->TCustomTabControl::TabRect(1).Left - 2 + 80);
    // A click on a shifted tab reaches the native row at its unshifted place.
    const TRect t2 = pc->GetTabRect(2);
    driver->Click(pc->ClientToScreen(TPoint(t2.Left + 10, t2.Top + 5)));
    Pump();
    EXPECT_EQ(pc->GetActivePageIndex(), 2);
}

TEST_F(TabsTest, SkinnedFrameAndTabPictures)
{
    TbsSkinData sd;
    sd.LoadFromFile(TabSkin("frame"));
    for (TTabPosition pos : {tpTop, tpBottom})
    {
        auto* pc = MakePages(3, 300, pos);
        const TRect native = pc->DisplayRect();
        pc->SetSkinData(&sd);
        Pump();
        ASSERT_TRUE(pc->HasSkinEntry());
        const TRect n = pc->DisplayRect(), d = pc->GetDisplayRect();
        if (pos == tpTop) EXPECT_EQ(d, TRect(3, n.Top - 6 + 4, 300 - 3, 200 - 3));
        else EXPECT_EQ(d, TRect(3, n.Top - 4 + 4, 300 - 3, n.Bottom + 4 - 3));
        EXPECT_NE(n, native) << "the skin's tab height";
        // The unselected tab 1: its picture's left edge is the tab picture's
        // (upside down at the bottom).
        const TRect t = pc->GetTabRect(1);
        const TPoint topLeft = pc->ClientToScreen(TPoint(t.Left, t.Top));
        EXPECT_EQ(PixelToColorRef(driver->PixelAt(topLeft)), CoordColor(40, pos == tpTop ? 0 : 11)) << pos;
        delete pc;
    }

    // Selected tab 2 pixels taller; the scroller takes the skin's up-down.
    auto* pc = MakePages(8, 200);
    pc->SetSkinData(&sd);
    Pump();
    ASSERT_NE(pc->SkinUpDown(), nullptr);
    EXPECT_EQ(pc->SkinUpDown()->Width(), 30) << "the up-down entry's size";
    EXPECT_EQ(pc->SkinUpDown()->Height(), 14);
    // No pressed picture in the entry: a pressed button shows its hot picture.
    TbsSkinUpDown* u = pc->SkinUpDown();
    EXPECT_EQ(u->Button(0).R, TRect(15, 0, 30, 14));
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(u->ClientToScreen(TPoint(15, 0)))), CoordColor(15, 30));
    driver->Press(u->ClientToScreen(TPoint(20, 5)));
    Pump();
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(u->ClientToScreen(TPoint(15, 0)))), CoordColor(30, 30));
    driver->Release(u->ClientToScreen(TPoint(20, 5)));
    Pump();
}

// Side tabs: the tab picture is composed lying and turned a quarter, so its
// outer edge (the picture's top) faces away from the page: left for left
// tabs (turned counter-clockwise), right for right tabs (clockwise).
TEST_F(TabsTest, SideTabsAreTurnedPictures)
{
    TbsSkinData sd;
    sd.LoadFromFile(TabSkin("side"));
    for (TTabPosition pos : {tpLeft, tpRight})
    {
        auto* pc = MakePages(3, 300, pos);
        pc->SetSkinData(&sd);
        Pump();
        const TRect t = pc->GetTabRect(1);
        ASSERT_FALSE(IsEmptyRect(t));
        const TPoint corner = pos == tpLeft ? TPoint(t.Left, t.Bottom - 1) : TPoint(t.Right - 1, t.Top);
        EXPECT_EQ(PixelToColorRef(driver->PixelAt(pc->ClientToScreen(corner))), CoordColor(40, 0)) << pos;
        delete pc;
    }
}

// The pages' own background: a wallpaper tiled from the page's corner, else
// the skin's page part tiled, else the button face without a skin entry.
TEST_F(TabsTest, TabSheetsPaintTheirBackground)
{
    TbsSkinData sd;
    sd.LoadFromFile(TabSkin("sheets"));
    auto* pc = MakePages(2, 300);
    auto* page = static_cast<TbsSkinTabSheet*>(pc->Pages(0));
    auto pagePixel = [&](int x, int y) {
        Pump();
        return PixelToColorRef(driver->PixelAt(page->ClientToScreen(TPoint(x, y))));
    };
    EXPECT_EQ(pagePixel(5, 5), ColorToRGB(clBtnFace));
    pc->SetSkinData(&sd);
    page->Invalidate();
    EXPECT_EQ(pagePixel(0, 0), CoordColor(3, 4)) << "the page part of the frame look";
    EXPECT_EQ(pagePixel(34, 23), CoordColor(3, 4)) << "tiled: 34 x 23";
    EXPECT_EQ(pagePixel(5, 6), CoordColor(8, 10));

    TBitmap wall(4, 4, pf24bit);
    wall.Canvas()->Brush()->SetColor(clRed);
    wall.Canvas()->FillRect(TRect(0, 0, 4, 4));
    wall.Canvas()->SetPixel(0, 0, clLime);
    page->SetWallPaper(&wall);
    page->Invalidate();
    EXPECT_EQ(pagePixel(8, 4), ColorToRGB(clLime));
    EXPECT_EQ(pagePixel(9, 5), ColorToRGB(clRed));
    pc->SetSkinData(nullptr);
}
