// The self-drawn scroll bar in its default look: position clamping and
// events, thumb layout at several sizes and pages, arrow and page repeat on
// the virtual clock, thumb drag mapping, keys.
#include "skin/skinctrls_helpers.h"

#include "platform/gui/StdCtrls.h"

using namespace ctrltest;

namespace
{
class ScrollTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm();
        bar = new TbsSkinScrollBar(form);
        bar->SetParent(form);
        bar->SetBounds(10, 10, 200, 19);
        bar->OnChange = [this](TObject*) { ++changes; };
        bar->OnLastChange = [this](TObject*) { ++lastChanges; };
        form->Show();
        driver->PumpUntilIdle();
    }
    TPoint At(int x, int y) { return bar->ClientToScreen(TPoint(x, y)); }
    void Advance(int ms)
    {
        driver->AdvanceClock(ms);
        driver->PumpUntilIdle();
    }
    TRect Thumb()
    {
        bar->CalcRects();
        return bar->Part(0).R;
    }
    TSkinnedForm* form = nullptr;
    TbsSkinScrollBar* bar = nullptr;
    int changes = 0, lastChanges = 0;
};
} // namespace

TEST_F(ScrollTest, DefaultsClampingAndEvents)
{
    auto* fresh = new TbsSkinScrollBar(form);
    EXPECT_EQ(TSize(fresh->Width(), fresh->Height()), TSize(200, 19));
    EXPECT_EQ(fresh->Kind(), sbHorizontal);
    EXPECT_EQ(fresh->Max(), 100);
    EXPECT_FALSE(fresh->CanFocused());
    EXPECT_EQ(fresh->SkinDataName(), "hscrollbar");

    struct Case
    {
        int Page, Set, Want;
    };
    for (const Case& c : {Case{0, 150, 100}, Case{10, 150, 91}, Case{0, -5, 0}, Case{10, 40, 40}})
    {
        bar->SetRange(0, 100, 0, c.Page);
        bar->SetPosition(c.Set);
        EXPECT_EQ(bar->Position(), c.Want) << c.Page << " " << c.Set;
    }
    changes = 0;
    bar->SetPosition(40);
    EXPECT_EQ(changes, 0) << "no change, no event";
    bar->SetPosition(41);
    EXPECT_EQ(changes, 1);
    bar->SimplySetPosition(10);
    bar->SetRange(0, 50, 60, 0);
    EXPECT_EQ(bar->Position(), 50);
    EXPECT_EQ(changes, 1) << "SimplySetPosition and SetRange never fire";
    bar->SetRange(0, 100, 90, 0);
    bar->SetPageSize(20);
    EXPECT_EQ(bar->PageSize(), 0) << "90 + 20 > 101: refused";
}

TEST_F(ScrollTest, ThumbLayout)
{
    struct Case
    {
        TScrollBarKind Kind;
        int W, H, Min, Max, Pos, Page;
        int From, To;   // the thumb along the axis
    };
    const Case cases[] = {
        {sbHorizontal, 200, 19, 0, 100, 0, 0, 17, 33},
        {sbHorizontal, 200, 19, 0, 100, 100, 0, 167, 183},
        {sbHorizontal, 200, 19, 0, 100, 50, 0, 92, 108},
        {sbHorizontal, 100, 19, 0, 100, 50, 0, 42, 58},
        {sbHorizontal, 200, 19, 0, 100, 91, 10, 167, 183},
        {sbHorizontal, 200, 19, 0, 100, 0, 50, 17, 99},
        {sbHorizontal, 200, 19, 0, 100, 51, 50, 101, 183},
        {sbHorizontal, 200, 19, 5, 5, 5, 0, 17, 33},        // empty range: at the start
        {sbHorizontal, 200, 19, 0, 10, 0, 20, -119, 183},   // page beyond the range: at the end
        {sbVertical, 19, 200, 0, 10, 0, 20, 17, 319},        // ... at the start when vertical
        {sbVertical, 19, 120, 0, 100, 100, 0, 87, 103},
    };
    for (const Case& c : cases)
    {
        bar->SetKind(c.Kind);
        bar->SetBounds(10, 10, c.W, c.H);
        bar->SetRange(c.Min, c.Max, c.Pos, c.Page);
        const TRect t = Thumb();
        const bool hz = c.Kind == sbHorizontal;
        EXPECT_EQ(hz ? t.Left : t.Top, c.From) << c.W << "x" << c.H << " pos " << c.Pos << " page " << c.Page;
        EXPECT_EQ(hz ? t.Right : t.Bottom, c.To) << c.W << "x" << c.H << " pos " << c.Pos << " page " << c.Page;
    }
}

TEST_F(ScrollTest, ArrowRepeatPausesOffTheArrow)
{
    const TPoint up = At(191, 9);
    driver->MoveTo(up);
    driver->Press(up);
    driver->PumpUntilIdle();
    struct Step
    {
        int Ms, Pos;
    };
    for (const Step& s : {Step{499, 1}, Step{1, 1}, Step{49, 1}, Step{1, 2}, Step{100, 4}})
    {
        Advance(s.Ms);
        EXPECT_EQ(bar->Position(), s.Pos);
    }
    driver->MoveTo(At(100, 9));   // off the arrow, still held
    Advance(300);
    EXPECT_EQ(bar->Position(), 4) << "paused";
    driver->MoveTo(up);
    Advance(50);
    EXPECT_EQ(bar->Position(), 5) << "resumes without a new delay";
    driver->Release(up);
    Advance(500);
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_EQ(bar->RepeatMode(), 0);

    int presses = 0;
    bar->OnDownButtonClick = [&](TObject*) { ++presses; };
    driver->Click(At(8, 9));
    driver->PumpUntilIdle();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(bar->Position(), 5) << "the handler replaces the step";
}

TEST_F(ScrollTest, PageRepeatRunsToThePointerAndStopsOnLeaving)
{
    bar->SetLargeChange(10);
    int pageDowns = 0, pageUps = 0;
    bar->OnPageDown = [&](TObject*) { ++pageDowns; };
    bar->OnPageUp = [&](TObject*) { ++pageUps; };
    const TPoint p = At(150, 9);
    driver->MoveTo(p);
    driver->Press(p);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 10);
    Advance(500 + 50 * 10);
    // The thumb's right edge (33 + 1.5 x position) passes 150 at 80.
    EXPECT_EQ(bar->Position(), 80);
    EXPECT_EQ(pageDowns, 8);
    EXPECT_EQ(bar->RepeatMode(), 0);
    driver->Release(p);
    driver->PumpUntilIdle();

    // Held in the track, then the pointer leaves the bar: both directions stop.
    struct Case
    {
        int Start, X, Step;
    };
    for (const Case& c : {Case{0, 150, 10}, Case{100, 40, -10}})
    {
        bar->SetPosition(c.Start);
        driver->MoveTo(At(c.X, 9));
        driver->Press(At(c.X, 9));
        driver->PumpUntilIdle();
        EXPECT_EQ(bar->Position(), c.Start + c.Step);
        driver->MoveTo(At(c.X, 60));
        driver->PumpUntilIdle();
        Advance(1000);
        EXPECT_EQ(bar->Position(), c.Start + c.Step) << "start " << c.Start;
        driver->Release(At(c.X, 60));
        driver->PumpUntilIdle();
    }
    EXPECT_EQ(pageUps, 1);
}

TEST_F(ScrollTest, ThumbDragMapsAndClamps)
{
    struct Case
    {
        int Page, ToX, Want;
    };
    // Without a page the thumb centre travels 25..175 for 0..100; with page
    // 50 it is 82 long and travels 58..142 for 0..51.
    const Case cases[] = {{0, 100, 50}, {0, 400, 100}, {0, -50, 0}, {0, 26, 1}, {50, 100, 26}, {50, 300, 51}};
    for (const Case& c : cases)
    {
        bar->SetRange(0, 100, 0, c.Page);
        const TRect t = Thumb();
        const TPoint from = At((t.Left + t.Right) / 2, 9);
        driver->MoveTo(from);
        driver->Press(from);
        const int start = (t.Left + t.Right) / 2;
        driver->MoveTo(At(start + (c.ToX - (c.Page ? 58 : 25)), 9));
        driver->PumpUntilIdle();
        EXPECT_EQ(bar->Position(), c.Want) << c.Page << " " << c.ToX;
        lastChanges = 0;
        driver->Release(At(0, 0));
        driver->PumpUntilIdle();
        EXPECT_EQ(lastChanges, 1);
    }
    // An empty range ignores drags (no division by an empty travel).
    bar->SetRange(3, 3, 3, 0);
    driver->MoveTo(At(25, 9));
    driver->Press(At(25, 9));
    driver->MoveTo(At(150, 9));
    driver->Release(At(150, 9));
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 3);
}

TEST_F(ScrollTest, KeysOnlyWhenFocusable)
{
    bar->SetPosition(50);
    bar->SetFocus();
    driver->PressKey(VK_RIGHT);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 50);
    bar->SetCanFocused(true);
    bar->SetFocus();
    driver->PressKey(VK_RIGHT);
    driver->PressKey(VK_DOWN);
    driver->PressKey(VK_LEFT);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 51);
    driver->Wheel(120, At(100, 9));
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 50);
}

TEST_F(ScrollTest, DisabledShowsNoThumbAndBothKeepsTheMarker)
{
    bar->SetBoth(true);
    bar->SetEnabled(false);
    driver->PumpUntilIdle();
    const COLORREF face = ColorToRGB(clBtnFace);
    // The thumb's place (17..33) and the 19-pixel marker are plain face.
    EXPECT_EQ(ctrltest::SkinCtrlTest::At(bar, 25, 9), face);
    EXPECT_EQ(ctrltest::SkinCtrlTest::At(bar, 190, 9), face);
    // The up button now ends at 200 - 19 - 1.
    bar->CalcRects();
    EXPECT_EQ(bar->Part(1).R.Right, 180);
}

// A focusable bar whose focus cannot arrive drops the press: no step, no
// repeat, nothing captured.
TEST_F(ScrollTest, PressWithoutFocusIsDroppedAndNotCaptured)
{
    bar->SetCanFocused(true);
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->SetBounds(10, 100, 60, 20);
    driver->PumpUntilIdle();
    e->SetFocus();
    e->OnExit = [e](TObject*) { e->SetFocus(); };
    const TPoint up = At(191, 9);
    driver->MoveTo(up);
    driver->Press(up);
    driver->PumpUntilIdle();
    EXPECT_NE(GetCapture(), bar->GetHandle());
    Advance(1000);
    driver->Release(up);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->RepeatMode(), 0);
    EXPECT_EQ(changes, 0);
}
