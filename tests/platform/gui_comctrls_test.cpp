// The up-down arrow pair (and the other common controls without a test file
// of their own): steps, ends and wrapping, auto-repeat on the clock, refusal
// and what the parent hears.
#include "gui_test_util.h"

#include "platform/gui/ComCtrls.h"

namespace
{
class UpDownTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        form = MakeForm(300, 200);
        ud = new TUpDown(form);
        ud->SetBounds(10, 10, 17, 30);
        ud->SetParent(form);
        form->Show();
        driver->PumpUntilIdle();
        // What the parent window hears, before the class library reflects it.
        parentHook = SubclassWindow(form->GetHandle(), [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LOWORD(wp) == SB_THUMBPOSITION)
                heard.push_back(short(HIWORD(wp)));
            return CallPreviousWindowProc(h, parentHook, msg, wp, lp);
        });
    }
    TPoint Next() { return TTestDriver::ClientPoint(ud->GetHandle(), TPoint(8, 4)); }
    TPoint Prev() { return TTestDriver::ClientPoint(ud->GetHandle(), TPoint(8, 26)); }
    TForm* form = nullptr;
    TUpDown* ud = nullptr;
    TSubclassToken parentHook = 0;
    std::vector<int> heard;
};

TEST_F(UpDownTest, StepsStopOrWrapAtTheEnds)
{
    struct Case { int min, max, pos, inc; bool wrap; bool next; int want; };
    const Case cases[] = {
        {0, 10, 5, 1, false, true, 6},
        {0, 10, 5, 3, false, false, 2},
        {0, 10, 10, 1, false, true, 10},   // stops at Max
        {0, 10, 10, 1, true, true, 0},     // wraps to Min
        {0, 10, 0, 1, true, false, 10},
        {0, 10, 9, 5, false, true, 10},    // a big step stops at the end
        {10, 0, 5, 1, false, true, 4},     // Min above Max: next goes towards Max
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " at " << c.pos);
        ud->SetMin(c.min);
        ud->SetMax(c.max);
        ud->SetPosition(c.pos);
        ud->Increment = c.inc;
        ud->Wrap = c.wrap;
        driver->AdvanceClock(1000);
        driver->Click(c.next ? Next() : Prev());
        EXPECT_EQ(ud->GetPosition(), c.want);
        EXPECT_EQ(SendMessage(ud->GetHandle(), UDM_GETPOS32), c.want);
    }
    EXPECT_EQ(GetClassName(ud->GetHandle()), "msctls_updown32");
}

TEST_F(UpDownTest, HeldArrowRepeatsOnTheClockAndTheParentHearsEachStep)
{
    ud->SetMax(100);
    std::vector<TUDBtnType> clicks;
    ud->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
    driver->Press(Next());
    EXPECT_EQ(ud->GetPosition(), 1);
    driver->AdvanceClock(TCustomUpDown::RepeatDelay - 1);
    EXPECT_EQ(ud->GetPosition(), 1);
    driver->AdvanceClock(1);
    EXPECT_EQ(ud->GetPosition(), 2);
    driver->AdvanceClock(5 * TCustomUpDown::RepeatInterval);
    EXPECT_EQ(ud->GetPosition(), 7);
    driver->Release(Next());
    driver->AdvanceClock(1000);
    EXPECT_EQ(ud->GetPosition(), 7);
    EXPECT_EQ(clicks, std::vector<TUDBtnType>(7, btNext));
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    // OnChanging may refuse: no step, no click, nothing sent.
    ud->OnChanging = [](TObject*, bool& allow) { allow = false; };
    driver->Click(Prev());
    EXPECT_EQ(ud->GetPosition(), 7);
    EXPECT_EQ(clicks.size(), 7u);
    EXPECT_EQ(heard.size(), 7u);
    // Horizontal: the right half is next, and the parent hears WM_HSCROLL.
    ud->OnChanging = nullptr;
    ud->SetOrientation(udHorizontal);
    ud->SetBounds(10, 10, 30, 17);
    driver->PumpUntilIdle();
    driver->AdvanceClock(1000);
    driver->Click(TTestDriver::ClientPoint(ud->GetHandle(), TPoint(25, 8)));
    EXPECT_EQ(ud->GetPosition(), 8);
    EXPECT_EQ(heard.back(), 8);
}
} // namespace
