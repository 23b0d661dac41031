// TbsBitmap core: sizes, pixel routines, blends, alpha and key checks, flips,
// fills and merges, checked pixel by pixel on small bitmaps.
#include "lib/bsEffects.h"

#include <gtest/gtest.h>

namespace
{
void FillAll(TbsBitmap& b, TbsColor c)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, c);
}
}  // namespace

TEST(BmpCore, SetSizeRules)
{
    TbsBitmap b;
    EXPECT_TRUE(b.Empty());
    b.SetSize(-10, 5);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(b.GetPixel(x, y), 0u) << x << "," << y;
    b.SetPixel(3, 2, 0x12345678);
    b.SetSize(0, 5);   // zero size: nothing changes
    EXPECT_EQ(b.Width(), 10);
    b.SetSize(10, -5);   // same size: pixels kept
    EXPECT_EQ(b.GetPixel(3, 2), 0x12345678u);
    b.SetSize(4, 4);   // new size: all zero
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.GetPixel(3, 2), 0u);
}

TEST(BmpCore, FailedSetSizeLeavesEmptyBitmap)
{
    TbsBitmap b;
    b.SetSize(8, 8);
    EXPECT_THROW(b.SetSize(1 << 20, 1 << 20), Exception);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    // Every operation on the empty bitmap is harmless.
    b.Clear(0xFFFFFFFF);
    b.SetAlpha(10);
    b.SetAlpha(10, TRect(0, 0, 5, 5));
    b.FlipVert();
    b.FillRect(TRect(0, 0, 3, 3), 0xFF000000);
    b.SetPixel(0, 0, 1);
    EXPECT_EQ(b.GetPixel(0, 0), 0u);
    b.CheckingAlphaBlend();
    b.CheckingTransparent(0);
    EXPECT_FALSE(b.GetAlphaBlend());
    EXPECT_FALSE(b.GetTransparent());
    b.SetSize(2, 2);   // usable again
    EXPECT_EQ(b.Width(), 2);
}

TEST(BmpCore, BlendPixelVariants)
{
    struct Case
    {
        TbsColor fg, bg, plain, mmx;
    } cases[] = {
        {0x80FFFFFF, 0xFF000000, 0xFF7F7F7F, 0xBF7F7F7F},
        {0xFFFFFFFF, 0x00000000, 0xFFFFFFFF, 0xFEFEFEFE},   // 255 over 0 gives 254 in MMX
        {0x00123456, 0xFF654321, 0xFF654321, 0xFF654321},   // alpha 0: background
        {0x40FF0000, 0xFF0000FF, 0xFF3F00BE, 0xCF3F00BF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlendPixelPlain(c.fg, c.bg), c.plain) << std::hex << c.fg;
        EXPECT_EQ(BlendPixelMMX(c.fg, c.bg), c.mmx) << std::hex << c.fg;
    }
}

TEST(BmpCore, RoutineTableTakesMMXVariantsOnThisProcessor)
{
    if (!IsMMXAvailable()) GTEST_SKIP() << "no MMX";
    EXPECT_EQ(BlendPixel, &BlendPixelMMX);
    EXPECT_EQ(BlendRun, &BlendRunMMX);
}

TEST(BmpCore, Runs)
{
    const TbsColor src[4] = {0x00FFFFFF, 0xFF112233, 0x80FFFFFF, 0x80000000};
    TbsColor d1[4] = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    TbsColor d2[4] = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    BlendRunPlain(src, d1, 4);
    BlendRunMMX(src, d2, 4);
    EXPECT_EQ(d1[0], 0xFF000000u);
    EXPECT_EQ(d1[1], 0xFF112233u);
    EXPECT_EQ(d1[2], 0xFF7F7F7Fu);
    EXPECT_EQ(d2[0], 0xFF000000u);
    EXPECT_EQ(d2[1], 0xFF112233u);
    EXPECT_EQ(d2[2], 0xBF7F7F7Fu);
    EXPECT_EQ(d2[3], 0xBF000000u);

    // Key colour: alpha ignored in the comparison; others become opaque.
    const TbsColor ks[3] = {0x007F007F, 0xFF7F007F, 0x00102030};
    TbsColor kd[3] = {1, 2, 3};
    TransparentCopyRun(ks, kd, 3);
    EXPECT_EQ(kd[0], 1u);
    EXPECT_EQ(kd[1], 2u);
    EXPECT_EQ(kd[2], 0xFF102030u);

    TbsColor blk[4 * 3] = {};
    FillRectArea(blk, 4, 3, 1, 1, 2, 2, 7);
    FillRectArea(blk, 4, 3, 2, 0, 1, 0, 9);   // column count 0: nothing
    const TbsColor want[12] = {0, 0, 0, 0, 0, 7, 7, 0, 0, 7, 7, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(blk[i], want[i]) << i;
    SetAlphaRectArea(blk, 4, 3, 0, 0, 0, 2, 0x80);
    EXPECT_EQ(blk[4], 0x80000000u);
    EXPECT_EQ(blk[5], 7u);
    TbsColor keys[2] = {0xFF7F007F, 0xFF7F0080};
    ClearKeyAlphaRun(keys, 2, bsKeyColor);
    EXPECT_EQ(keys[0], 0x007F007Fu);
    EXPECT_EQ(keys[1], 0xFF7F0080u);
}

TEST(BmpCore, AlphaAndKeyChecks)
{
    TbsBitmap b;
    b.SetSize(3, 2);
    FillAll(b, 0xFF102030);
    b.SetPixel(1, 1, 0x00102030);
    b.CheckingAlphaBlend();
    EXPECT_FALSE(b.GetAlphaBlend());
    b.SetPixel(2, 1, 0xC8102030);
    b.CheckingAlphaBlend();
    EXPECT_TRUE(b.GetAlphaBlend());

    b.SetPixel(0, 0, 0xFFFA05FB);   // differences 5, 5, 4
    b.SetPixel(1, 0, 0xFFF900FF);   // difference 6
    b.SetPixel(2, 0, 0x00FF00FF);
    b.CheckingTransparent(0x00FF00FF);
    EXPECT_TRUE(b.GetTransparent());
    EXPECT_EQ(b.GetPixel(0, 0), bsKeyColor);
    EXPECT_EQ(b.GetPixel(1, 0), 0xFFF900FFu);
    EXPECT_EQ(b.GetPixel(2, 0), bsKeyColor);
    EXPECT_EQ(b.GetPixel(0, 1), 0xFF102030u);
}

TEST(BmpCore, SetAlphaRectIsClipped)
{
    TbsBitmap b;
    b.SetSize(10, 4);
    FillAll(b, 0xFF808080);
    b.SetAlpha(0, TRect(-5, -5, 3, 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(b.GetPixel(x, y) >> 24, (x < 3 && y < 3) ? 0u : 255u) << x << "," << y;
    b.SetAlpha(1, TRect(20, 20, 30, 30));   // outside: nothing
    b.SetAlpha(1, TRect(2, 2, 2, 9));       // zero width: nothing
    EXPECT_EQ(b.GetPixel(9, 3), 0xFF808080u);
    b.SetAlpha(0x11);
    EXPECT_EQ(b.GetPixel(9, 3), 0x11808080u);
}

TEST(BmpCore, FlipVert)
{
    TbsBitmap one;
    one.SetSize(2, 1);
    one.SetPixel(0, 0, 5);
    one.FlipVert();
    EXPECT_EQ(one.GetPixel(0, 0), 5u);

    TbsBitmap b;
    b.SetSize(2, 3);
    for (int y = 0; y < 3; ++y) b.SetPixel(0, y, TbsColor(y + 1));
    b.FlipVert();
    EXPECT_EQ(b.GetPixel(0, 0), 3u);
    EXPECT_EQ(b.GetPixel(0, 1), 2u);
    EXPECT_EQ(b.GetPixel(0, 2), 1u);
}

TEST(BmpCore, AssignCopiesPixelsNameAndFlags)
{
    TbsBitmap a;
    a.SetSize(2, 2);
    a.SetPixel(1, 1, 0x80112233);
    a.SetName("glow");
    a.SetAlphaBlend(true);
    TbsBitmap b;
    b.Assign(a);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.GetPixel(1, 1), 0x80112233u);
    EXPECT_EQ(b.GetName(), "glow");
    EXPECT_TRUE(b.GetAlphaBlend());
    EXPECT_FALSE(b.GetTransparent());

    TbsBitmap empty;
    b.Assign(empty);   // nothing to read from: b becomes empty
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.GetName(), "");
}

TEST(BmpCore, FillRectByMode)
{
    TbsBitmap b;
    b.SetSize(4, 4);
    FillAll(b, 0xFF000000);
    b.SetAlphaBlend(true);
    b.FillRect(TRect(-1, -1, 9, 9), 0x00FFFFFF);   // alpha 0 leaves the pixels
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF000000u);
    b.FillRect(TRect(1, 1, 3, 3), 0x80FFFFFF);
    EXPECT_EQ(b.GetPixel(1, 1), BlendPixel(0x80FFFFFF, 0xFF000000));
    EXPECT_EQ(b.GetPixel(0, 1), 0xFF000000u);
    b.SetAlphaBlend(false);
    b.FillRect(TRect(2, 2, 10, 10), 0x00FFFFFF);   // stored as it is
    EXPECT_EQ(b.GetPixel(3, 3), 0x00FFFFFFu);
    EXPECT_EQ(b.GetPixel(1, 1), BlendPixel(0x80FFFFFF, 0xFF000000));
}

TEST(BmpCore, MergeDrawPutsSourceBehindTranslucentPixels)
{
    TbsBitmap dst, src;
    dst.SetSize(3, 1);
    src.SetSize(3, 1);
    dst.SetPixel(0, 0, 0xFF010203);   // opaque: unchanged
    dst.SetPixel(1, 0, 0x00010203);   // transparent: takes the source, alpha included
    dst.SetPixel(2, 0, 0x80FFFFFF);   // translucent: destination over source
    for (int x = 0; x < 3; ++x) src.SetPixel(x, 0, 0x7F000000);
    dst.MergeDraw(src, 0, 0, TRect(0, 0, 3, 1));
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFF010203u);
    EXPECT_EQ(dst.GetPixel(1, 0), 0x7F000000u);
    EXPECT_EQ(dst.GetPixel(2, 0), BlendPixel(0x80FFFFFF, 0x7F000000));

    // A negative source left moves the placement right; outside pixels are skipped.
    TbsBitmap d2;
    d2.SetSize(3, 1);
    src.SetPixel(0, 0, 0xFF0000AA);
    d2.MergeDraw(src, 0, 0, TRect(-1, 0, 1, 1));
    EXPECT_EQ(d2.GetPixel(0, 0), 0u);
    EXPECT_EQ(d2.GetPixel(1, 0), 0xFF0000AAu);
    d2.MergeDraw(src, 5, 5, TRect(0, 0, 3, 1));   // fully outside
}

#ifndef NDEBUG
TEST(BmpCoreDeathTest, PixelAccessIsCheckedInDebugBuilds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TbsBitmap b;
    b.SetSize(3, 2);
    EXPECT_DEATH(b.PixelPtr(3, 0), "");
    EXPECT_DEATH(b.ScanLine(2), "");
    EXPECT_DEATH(b.PixelPtr(0, -1), "");
}
#endif
