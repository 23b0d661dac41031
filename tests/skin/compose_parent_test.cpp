// The picture under a control (its parent's background and the graphic
// controls before it) and glyphs from image lists.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{
// A parent that erases in blue and paints a red square at its top-left.
class TRedSquare : public TCustomControl
{
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(TColor(RGB(255, 0, 0)));
        Canvas()->FillRect(TRect(0, 0, 10, 10));
    }
};

// A graphic control that fills itself with a colour.
class TFiller : public TGraphicControl
{
public:
    TFiller(TComponent* owner, COLORREF c) : TGraphicControl(owner), color_(c) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(TColor(color_));
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    }

private:
    COLORREF color_;
};
}  // namespace

TEST(ComposeParent, PictureUnderAControl)
{
    TTestDriver drv;
    TRedSquare parent(nullptr);
    parent.SetBounds(0, 0, 60, 60);
    parent.SetColor(TColor(RGB(0, 0, 255)));
    auto* before = new TFiller(&parent, RGB(0, 255, 0));   // under the control's right part
    before->SetBounds(18, 0, 10, 60);
    before->SetParent(&parent);
    auto* target = new TFiller(&parent, RGB(9, 9, 9));
    target->SetBounds(5, 5, 20, 20);
    target->SetParent(&parent);
    auto* after = new TFiller(&parent, RGB(255, 255, 0));   // after the control: not painted
    after->SetBounds(0, 0, 8, 8);
    after->SetParent(&parent);

    TBitmap shot(20, 20, pf32bit);
    DrawParentImage(target, shot.Canvas());
    EXPECT_EQ(shot.GetPixel32(0, 0) & 0xFFFFFF, 0xFF0000u);    // parent (5, 5): red square
    EXPECT_EQ(shot.GetPixel32(8, 8) & 0xFFFFFF, 0x0000FFu);    // parent (13, 13): background
    EXPECT_EQ(shot.GetPixel32(15, 15) & 0xFFFFFF, 0x00FF00u);  // parent (20, 20): the sibling before
    EXPECT_FALSE(parent.ControlState.Contains(csPaintCopy));
    EXPECT_FALSE(before->ControlState.Contains(csPaintCopy));

    TBitmap part(10, 10, pf32bit);
    DrawPageControlParentImage(target, TRect(10, 10, 20, 20), part.Canvas());
    EXPECT_EQ(part.GetPixel32(0, 0) & 0xFFFFFF, 0x0000FFu);   // parent (15, 15)
    EXPECT_EQ(part.GetPixel32(5, 5) & 0xFFFFFF, 0x00FF00u);   // parent (20, 20)

    TFiller orphan(nullptr, 0);
    DrawParentImage(&orphan, shot.Canvas());   // no parent: nothing
    DrawParentImage(nullptr, shot.Canvas());
}

TEST(ComposeParent, ImageListGlyphs)
{
    TTestDriver drv;
    TImageList list(4, 4);
    TBitmap img(4, 4, pf24bit);
    img.Canvas()->Brush()->SetColor(TColor(RGB(200, 0, 0)));
    img.Canvas()->FillRect(TRect(0, 0, 4, 4));
    list.Add(&img, nullptr);
    TBitmap btn(40, 20, pf32bit);
    DrawImageAndText(btn.Canvas(), TRect(0, 0, 40, 20), 2, 3, blGlyphLeft, "", 0, &list, false, true, true,
                     RGB(0, 0, 255));
    // Glyph at (2, 8); marker lines at glyph y + height - 2 .. + 0 across the image width.
    EXPECT_EQ(btn.GetPixel32(3, 9) & 0xFFFFFF, 0xC80000u);
    for (int y = 10; y <= 12; ++y) EXPECT_EQ(btn.GetPixel32(5, y) & 0xFFFFFF, 0x0000FFu) << y;
    EXPECT_EQ(btn.GetPixel32(6, 12), 0xFFFFFFFFu);
    // An index beyond the list: no glyph, the marker fills the button.
    TBitmap none(40, 20, pf32bit);
    DrawImageAndText2(none.Canvas(), TRect(0, 0, 40, 20), -1, 3, blGlyphLeft, "", 5, &list, true, true, true,
                      RGB(0, 0, 255));
    EXPECT_EQ(none.GetPixel32(4, 4) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(none.GetPixel32(37, 15) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(none.GetPixel32(38, 15), 0xFFFFFFFFu);
}
