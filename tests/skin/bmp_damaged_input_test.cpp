// Bitmaps, effects and composition fed with extreme or damaged values, and the clipboard.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

namespace
{
TEST(BitmapClipboard, AssignToTheClipboard)
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
TEST(DamagedEffectBmp, TransitionsTakeAnyFactor)
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
TEST(DamagedEffectBmp, ExtremeAmountsStayInside)
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

namespace
{
// Offsets, points and rectangles of a damaged skin reach the composition as
// they were read: any int must leave a picture of the asked size, never
// overflow.
TEST(DamagedCompose, DamagedGeometryIsHarmless)
{
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    TbsBitmap pic, out;
    pic.SetSize(6, 6);
    pic.Clear(0xFF808080);
    for (int v : {big, small, big - 3}) {
        CreateHSkinImage(v, v, &out, &pic, TRect(0, 0, 6, 6), 10, 10, false);
        EXPECT_EQ(out.Width(), 10);
        CreateHSkinImage2(v, 2, &out, &pic, TRect(0, 0, 6, 6), 10, 10, true);
        CreateHSkinMiddleImage(1, v, &out, &pic, TRect(v, 0, v, 6), 10, 10, false);
        CreateVSkinImage(v, 2, &out, &pic, TRect(0, 0, 6, 6), 10, 10, false);
        EXPECT_EQ(out.Height(), 10);
        const TPoint p(v, 1), q(1, v);
        const TRect r(1, 1, v, v);
        CreateSkinImage(TPoint(1, 1), p, q, TPoint(v, v), r, TPoint(1, 1), TPoint(5, 1), TPoint(1, 5),
                        TPoint(5, 5), TRect(1, 1, 5, 5), &out, &pic, TRect(0, 0, 6, 6), 6, 6, true, false,
                        false, false, false, false, bsstFull);
        EXPECT_EQ(out.Width(), 6);
        CreateSkinImage3(TPoint(1, 1), p, q, TPoint(v, v), r, TPoint(1, 1), TPoint(5, 1), TPoint(1, 5),
                         TPoint(5, 5), TRect(1, 1, 5, 5), &out, &pic, TRect(0, 0, 6, 6), 6, 6, true, true, true,
                         true, true, true, bsstHorz);
        TbsBitmap l, t, rt, b;
        CreateSkinBorderImages(TPoint(1, 1), p, q, TPoint(v, v), r, TPoint(1, 1), TPoint(5, 1), TPoint(1, 5),
                               TPoint(5, 5), TRect(1, 1, 5, 5), &l, &t, &rt, &b, &pic, TRect(0, 0, 6, 6), 6, 6,
                               false, false, false, false);
        HRGN rgn = nullptr;
        CreateSkinRegion(rgn, TPoint(1, 1), p, q, TPoint(v, v), r, TPoint(1, 1), TPoint(5, 1), TPoint(1, 5),
                         TPoint(5, 5), TRect(1, 1, 5, 5), &pic, 6, 6);
        if (rgn) DeleteObject(rgn);
    }
}
}  // namespace

namespace
{
// Glow sizes and offsets come from a skin: damaged ones draw the text alone,
// never overflow or ask for a giant work bitmap.
TEST(DamagedEffectText, DamagedGlowSizesDrawTheTextAlone)
{
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    const TRect r(10, 10, 90, 30);
    for (int v : {big, small, 1 << 20}) {
        TbsBitmap b;
        b.SetSize(100, 40);
        b.Clear(0xFF000000);
        HDC dc = b.GetDC();
        SetTextColor(dc, RGB(255, 255, 255));
        const UINT fmt = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
        DrawEffectText(dc, r, "glow", v, RGB(0, 255, 0), v, fmt);
        EXPECT_GT(DrawEffectText2(dc, r, "glow", v, RGB(0, 255, 0), 3, fmt), 0);
        DrawEffectText(dc, r, "glow", 2, RGB(0, 255, 0), v, fmt);
        DrawEffectText4(dc, r, "glow", RGB(0, 255, 0), v, fmt);
        // The text itself is drawn.
        int white = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x) white += (b.GetPixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
        EXPECT_GT(white, 0) << v;
    }
}
}  // namespace

namespace
{
// A link's rectangle may come from a stream record: far outside its image it
// is judged without visiting every pixel, and the outside still counts as
// masked zone by zone.
TEST(DamagedBitmapLink, RectanglesFarOutsideTheImage)
{
    TbsBitmap img;
    img.SetSize(4, 4);
    img.Clear(0xFFFFFFFF);
    TbsBitmapLink l;
    l.SetImage(&img);
    l.SetRect(TRect(0, 0, std::numeric_limits<int>::max(), std::numeric_limits<int>::max()));
    l.CheckingMasked();
    EXPECT_TRUE(l.GetMasked());
    l.SetRect(TRect(std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max(), 4));
    l.CheckingMasked(TRect(1, 1, 1, 1));
    EXPECT_TRUE(l.GetMasked());
    EXPECT_TRUE(l.GetMaskedAngles());
    EXPECT_TRUE(l.GetMaskedBorder());
    // One column beyond the image: only the right-hand zones reach outside.
    l.SetRect(TRect(0, 0, 5, 4));
    l.CheckingMasked(TRect(1, 1, 1, 1));
    EXPECT_TRUE(l.GetMaskedAngles());
    EXPECT_TRUE(l.GetMaskedBorder());
    EXPECT_FALSE(l.GetMasked());
    l.SetRect(TRect(0, 0, 4, 4));   // wholly inside and opaque
    l.CheckingMasked(TRect(1, 1, 1, 1));
    EXPECT_FALSE(l.GetMaskedAngles() || l.GetMaskedBorder() || l.GetMasked());
    img.SetPixel(2, 2, 0x80FFFFFF);   // the centre
    l.CheckingMasked(TRect(1, 1, 1, 1));
    EXPECT_TRUE(l.GetMasked());
    EXPECT_FALSE(l.GetMaskedAngles() || l.GetMaskedBorder());
}
}  // namespace

namespace
{
// A damaged skin can stretch a tiled part far beyond the picture asked for:
// only the tiles that reach the picture are drawn, with the same pattern.
TEST(DamagedCompose, HugeTiledAreasGiveTheVisiblePattern)
{
    TbsBitmap pic;
    pic.SetSize(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) pic.SetPixel(x, y, 0xFF000000u | TbsColor(y * 6 + x + 1));
    const TPoint lt(2, 2), rt(4, 2), lb(2, 4), rb(4, 4);
    const TRect cl(2, 2, 4, 4);
    TbsBitmap normal, huge;
    for (auto [out, ncl] : {std::pair{&normal, TRect(2, 2, 12, 12)}, std::pair{&huge, TRect(2, 2, 1 << 29, 1 << 29)}}) {
        out->SetSize(12, 12);
        out->Clear(0);
        CreateSkinImage(lt, rt, lb, rb, cl, lt, TPoint(10, 2), TPoint(2, 10), TPoint(10, 10), ncl, out, &pic,
                        TRect(0, 0, 6, 6), 12, 12, true, false, false, false, false, false, bsstFull);
    }
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            if (x >= 2 && y >= 2) {
                EXPECT_EQ(huge.GetPixel(x, y), normal.GetPixel(x, y)) << x << "," << y;
            }
    EXPECT_EQ(huge.GetPixel(5, 5), pic.GetPixel(3, 3));   // tiles of 2 from (2, 2)
}
}  // namespace
