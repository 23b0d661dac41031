// Cases found missing when the skin data and bitmap code was checked through.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lib/bsEffects.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"

namespace
{
TEST(AuditBitmap, AssignToTheClipboard)
{
    TbsBitmap a;
    a.SetSize(3, 2);
    a.Clear(0xFF0000FF);
    a.SetPixel(2, 1, 0xFF00FF00);
    TClipboard* clip = Clipboard();
    clip->Clear();
    clip->Assign(&a);   // the clipboard asks the bitmap to put itself there
    ASSERT_TRUE(clip->HasFormat(CF_BITMAP));
    TBitmap back;
    back.Assign(clip);
    ASSERT_EQ(back.GetWidth(), 3);
    ASSERT_EQ(back.GetHeight(), 2);
    EXPECT_EQ(back.GetPixel32(2, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(back.GetPixel32(0, 0) & 0xFFFFFF, 0x0000FFu);
    clip->Clear();
}
}  // namespace

namespace
{
TEST(AuditEffectBmp, TransitionsTakeAnyFactor)
{
    for (double kf : {1e12, -1e12, std::nan(""), 1e300, -1e300}) {
        TbsEffectBmp a(6, 4), b(6, 4);
        a.MorphHGrad(&b, kf);
        a.MorphVGrad(&b, kf);
        a.MorphLeftGrad(&b, kf);
        a.MorphRightGrad(&b, kf);
        a.MorphPush(&b, kf);
        a.MorphLeftSlide(&b, kf);
        a.MorphRightSlide(&b, kf);
        a.Morph(&b, kf);
        a.ChangeBrightness(kf);
        a.ChangeDarkness(kf);
        TbsEffectBmp m(6, 4);
        a.MaskFillColor(&m, RGB(10, 20, 30), kf);
    }
}
}  // namespace

namespace
{
TEST(AuditEffectBmp, ExtremeAmountsStayInside)
{
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    for (int amount : {big, small, -3, 100}) {
        TbsEffectBmp a(5, 4), m(5, 4);
        a.SplitBlur(amount);
        a.MaskBlur(&m, amount);
        a.MaskAntialiasing(&m, amount);
        a.Mosaic(amount);
        a.AddMonoNoise(amount);
        a.AddColorNoise(amount);
        a.Wave(amount, amount, amount);
        TbsBitmap b;
        b.SetSize(4, 3);
        b.Clear(0x80336699);
        BlurBitmap(&b, amount);
        b.ChangeBitmapHue(amount);
        b.ChangeBitmapSat(amount);
        b.ChangeBitmapBrightness(amount);
        b.SetBitmapHue(amount);
        (void)MakeBsColor(amount, amount, amount, 7);
    }
}
}  // namespace
