// The skinned up-down (layout, position rules, clicks and the repeat on the
// virtual clock) and the skinned page control (tab and display rectangles
// in the four positions, the up-down in place of the native arrows, keys
// and refused changes, the hot tab).
#include "lib/bsSkinTabs.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
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

