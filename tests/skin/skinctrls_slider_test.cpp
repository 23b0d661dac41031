// The skinned slider with its own pictures: defaults, range and increment
// rules, jumps, drag mapping and clamping, stepping on the ruler on the
// virtual clock, keys, vertical orientation and a ruler too short to move.
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SliderTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm();
        s = new TbsSkinSlider(form);
        s->SetParent(form);
        s->SetBounds(10, 10, 150, 40);
        s->OnChange = [this](TObject*) { ++changes; };
        s->OnChanged = [this](TObject*) { ++changed; };
        form->Show();
        driver->PumpUntilIdle();
    }
    TPoint At(int x, int y) { return s->ClientToScreen(TPoint(x, y)); }
    TPoint ThumbCentre()
    {
        const TRect t = s->ThumbRect();
        return At((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
    }
    TSkinnedForm* form = nullptr;
    TbsSkinSlider* s = nullptr;
    int changes = 0, changed = 0;
};
} // namespace

TEST_F(SliderTest, DefaultsRangeAndIncrement)
{
    EXPECT_EQ(s->RulerWidth(), 138);
    EXPECT_EQ(s->Value(), 0);
    EXPECT_EQ(s->ThumbRect().Left, 6);
    EXPECT_EQ(RectWidth(s->ThumbRect()), 9);
    s->SetValue(150);
    EXPECT_EQ(s->Value(), 100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(s->ThumbRect().Left, 6 + 129);
    s->SetValue(100);
    EXPECT_EQ(changes, 1);
    s->SetMinValue(100);
    EXPECT_EQ(s->MinValue(), 0) << "a minimum not below the maximum is ignored";
    s->SetMaxValue(5);
    EXPECT_EQ(s->Increment(), 5) << "the increment shrinks to the range";
    EXPECT_EQ(s->Value(), 5);
    s->SetIncrement(0);
    EXPECT_EQ(s->Increment(), 5);
    s->SetEdgeSize(5);
    EXPECT_EQ(s->EdgeSize(), 2) << "half the 10-pixel ruler picture or more is refused";
    s->SetEdgeSize(4);
    EXPECT_EQ(s->EdgeSize(), 4);
    EXPECT_EQ(changed, 0) << "code never fires OnChanged";
}

// A moved thumb paints only its old and its new place; a value that leaves
// the thumb where it is (set again, or a step smaller than a pixel) paints
// nothing.
TEST_F(SliderTest, AThumbMoveInvalidatesOnlyTheThumb)
{
    driver->PumpUntilIdle();
    const TRect before = s->ThumbRect();
    s->SetValue(50);
    const TRect after = s->ThumbRect();
    TRect update;
    ASSERT_TRUE(GetUpdateRect(s->GetHandle(), &update, FALSE));
    EXPECT_EQ(update, TRect(before.Left, before.Top, after.Right, after.Bottom));
    driver->PumpUntilIdle();
    EXPECT_FALSE(GetUpdateRect(s->GetHandle(), &update, FALSE));
    s->SetMaxValue(1000);
    s->SetValue(0);
    driver->PumpUntilIdle();
    const TRect at0 = s->ThumbRect();
    for (int v : {0, 1})
    {
        s->SetValue(v);
        EXPECT_EQ(s->ThumbRect(), at0);
        EXPECT_FALSE(GetUpdateRect(s->GetHandle(), &update, FALSE)) << v;
    }
}

TEST_F(SliderTest, JumpsOnTheIncrementGrid)
{
    struct Case
    {
        int From;
        TbsJumpMode Mode;
        int Want;
    };
    const Case cases[] = {{15, jmNext, 30}, {25, jmNext, 30}, {15, jmPrior, 10}, {95, jmNext, 100},
                          {3, jmPrior, 0},  {40, jmHome, 0},  {40, jmEnd, 100}};
    for (const Case& c : cases)
    {
        s->SetValue(c.From);
        s->ThumbJump(c.Mode);
        EXPECT_EQ(s->Value(), c.Want) << c.From << " mode " << c.Mode;
    }
}

TEST_F(SliderTest, DragMapsAndClamps)
{
    struct Case
    {
        bool Smooth;
        int Dx, Want;
    };
    // The thumb travels 129 pixels for 0..100.
    const Case cases[] = {{true, 129, 100}, {true, 500, 100}, {true, -50, 0}, {true, 20, 16}, {false, 20, 20},
                          {false, 70, 50}};
    for (const Case& c : cases)
    {
        s->SetOptions(c.Smooth ? TbsSliderOptions{soSmooth} : TbsSliderOptions{});
        s->SetValue(0);
        changed = 0;
        driver->AdvanceClock(1000);   // not a double click on the same place
        const TPoint from = ThumbCentre();
        driver->MoveTo(from);
        driver->Press(from);
        driver->MoveTo(TPoint(from.X + c.Dx, from.Y));
        driver->PumpUntilIdle();
        EXPECT_TRUE(s->Sliding());
        EXPECT_EQ(s->Value(), c.Want) << c.Smooth << " " << c.Dx;
        driver->Release(TPoint(from.X + c.Dx, from.Y));
        driver->PumpUntilIdle();
        EXPECT_EQ(changed, 1);
    }
}

TEST_F(SliderTest, HoldingOnTheRulerStepsEvery400Ms)
{
    // Own ruler 8 high beside a 17-high thumb: at y 10..18 (grabbed 7..21).
    const TPoint p = At(100, 14);
    driver->MoveTo(p);
    driver->Press(p);
    driver->PumpUntilIdle();
    EXPECT_EQ(s->Value(), 10);
    struct Step
    {
        int Ms, Want;
    };
    // At 70 the thumb (96..105) covers the pointer: stepping ends there.
    for (const Step& st : {Step{399, 10}, Step{1, 20}, Step{800, 40}, Step{1200, 70}, Step{2000, 70}})
    {
        driver->AdvanceClock(st.Ms);
        driver->PumpUntilIdle();
        EXPECT_EQ(s->Value(), st.Want);
    }
    driver->Release(p);
    driver->PumpUntilIdle();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SliderTest, KeysJumpAndReportChanged)
{
    s->SetFocus();
    driver->PumpUntilIdle();
    struct Step
    {
        int Key, Want;
    };
    for (const Step& st : {Step{VK_RIGHT, 10}, Step{VK_RIGHT, 20}, Step{VK_LEFT, 10}, Step{VK_END, 100},
                           Step{VK_HOME, 0}})
    {
        driver->PressKey(st.Key);
        driver->PumpUntilIdle();
        EXPECT_EQ(s->Value(), st.Want);
    }
    EXPECT_EQ(changed, 5);
    EXPECT_EQ(changes, 5);
}

TEST_F(SliderTest, VerticalHasItsMaximumAtTheTop)
{
    s->SetOrientation(soVertical);
    EXPECT_EQ(TSize(s->Width(), s->Height()), TSize(40, 150));
    s->SetValue(100);
    EXPECT_EQ(s->ThumbRect().Top, 6);
    s->SetValue(0);
    EXPECT_EQ(s->ThumbRect().Top, 150 - 6 - 9);
}

TEST_F(SliderTest, TooShortToMoveKeepsTheThumbAtTheStart)
{
    s->SetBounds(10, 10, 20, 40);   // an 8-pixel ruler for a 9-pixel thumb
    driver->PumpUntilIdle();
    s->SetValue(50);
    EXPECT_EQ(s->ThumbRect().Left, 6);
    const TPoint from = ThumbCentre();
    driver->MoveTo(from);
    driver->Press(from);
    driver->MoveTo(TPoint(from.X + 40, from.Y));
    driver->Release(TPoint(from.X + 40, from.Y));
    driver->PumpUntilIdle();
    EXPECT_EQ(s->ThumbRect().Left, 6);
}

// The seek slider's handlers: one OnMouseDown and one OnMouseUp per press,
// on the thumb and on the ruler; the handler of the press runs before the
// ruler's first step, that of the release after the drag.
TEST_F(SliderTest, MouseDownAndUpReachTheHandlers)
{
    std::vector<std::string> log;
    s->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down " + std::to_string(s->Value())); };
    s->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up " + std::to_string(s->Value())); };
    const TPoint from = ThumbCentre();
    driver->MoveTo(from);
    driver->Press(from);
    driver->MoveTo(TPoint(from.X + 129, from.Y));
    driver->Release(TPoint(from.X + 129, from.Y));
    driver->PumpUntilIdle();
    driver->AdvanceClock(1000);
    const TPoint ruler = At(30, 14);
    driver->MoveTo(ruler);
    driver->Click(ruler);
    driver->PumpUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"down 0", "up 100", "down 100", "up 90"}));
}

// A handler of OnDrawPoints draws on the slider's canvas while it paints:
// its marks show, under the thumb, and DefaultDrawPoints draws the usual
// ticks beside them.
TEST_F(SliderTest, MarksOfTheDrawPointsHandlerShow)
{
    const COLORREF mark = RGB(255, 0, 128);
    bool withTicks = false;
    s->OnDrawPoints = [&](TObject*) {
        TCanvas* C = s->Canvas();
        C->Brush()->SetColor(TColor(mark));
        C->FillRect(TRect(60, 30, 70, 36));
        // Under the thumb, which is drawn after the points.
        C->FillRect(s->ThumbRect());
        if (withTicks) s->DefaultDrawPoints(10, 3, 5);
    };
    s->Invalidate();
    driver->PumpUntilIdle();
    const auto px = [&](int x, int y) { return PixelToColorRef(driver->PixelAt(At(x, y))); };
    EXPECT_EQ(px(65, 33), mark);
    const TRect t = s->ThumbRect();
    EXPECT_NE(px((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2), mark) << "the thumb lies over the marks";
    // The first tick: 5 pixels long, down from the points band at the
    // thumb's centre for the minimum.
    const int tickX = s->ValueToOffset(0) + RectWidth(t) / 2, band = t.Bottom + 1;
    EXPECT_NE(px(tickX, band + 1), ColorToRGB(clWindowText));
    withTicks = true;
    s->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(px(tickX, band + 1), ColorToRGB(clWindowText));
    EXPECT_EQ(px(65, 33), mark);
}
