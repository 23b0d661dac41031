// The draw engine onto bitmaps and bottom-up DIB blocks: stretch maps,
// clipping, modes, tiling, and bitmap links.
#include "lib/bsEffects.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
// Pixel (x, y) = 0xFF000000 | y << 8 | x, so a pixel names its own position.
void Numbered(TbsBitmap& b, int w, int h)
{
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | TbsColor(y << 8) | TbsColor(x));
}
int Col(TbsColor c) { return int(c & 0xFF); }
int Row(TbsColor c) { return int((c >> 8) & 0xFF); }
}  // namespace

TEST(BmpDraw, StretchMaps)
{
    struct Case
    {
        int dstLen, srcStart, srcLen;
        bool rounding;
        std::vector<int> want;
    } cases[] = {
        {4, 0, 2, false, {0, 0, 0, 1}},   // truncation of 0, 1/3, 2/3, 1
        {4, 0, 2, true, {0, 0, 1, 1}},    // rounding
        {1, 0, 10, false, {4}},           // one column: the middle (0 + 10 - 1) / 2
        {1, 3, 4, true, {4}},
        {3, 5, 5, false, {5, 7, 9}},
        {5, 0, 3, true, {0, 0, 1, 2, 2}},   // 0.5 rounds to 0, 1.5 to 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildStretchMap(0, c.dstLen, 0, c.dstLen, c.srcStart, c.srcLen, c.rounding), c.want)
            << c.dstLen << " " << c.srcLen << " " << c.rounding;
    // A clip that starts inside the destination maps from its own offset.
    EXPECT_EQ(BuildStretchMap(10, 4, 12, 2, 0, 2, false), (std::vector<int>{0, 1}));
}

TEST(BmpDraw, StretchToBitmapUsesTruncation)
{
    TbsBitmap src, dst;
    Numbered(src, 2, 1);
    dst.SetSize(4, 3);
    src.Draw(&dst, TRect(0, 0, 4, 3));
    const int want[4] = {0, 0, 0, 1};
    for (int y = 0; y < 3; ++y)   // one source row copied to all three
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Col(dst.GetPixel(x, y)), want[x]) << x << "," << y;
}

TEST(BmpDraw, DIBBlockIsBottomUpAndRounds)
{
    TbsBitmap src;
    Numbered(src, 2, 2);
    std::vector<TbsColor> block(4 * 2, 0);
    DrawToDIBOpaque(block.data(), TRect(0, 0, 4, 2), TRect(0, 0, 4, 2), 4, 2, &src, TRect(0, 0, 2, 2));
    // Top row (y 0) lives in the last row of memory.
    const int want[4] = {0, 0, 1, 1};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Col(block[4 + x]), want[x]);
        EXPECT_EQ(Row(block[4 + x]), 0);
        EXPECT_EQ(Row(block[x]), 1);
    }
}

TEST(BmpDraw, SourceOutsideDrawsNothing)
{
    TbsBitmap src, dst;
    Numbered(src, 10, 10);
    dst.SetSize(5, 5);
    src.Draw(&dst, 0, 0, TRect(0, 0, 11, 5));   // one column beyond the right edge
    src.Draw(&dst, 0, 0, TRect(-1, 0, 4, 5));
    src.Draw(&dst, 0, 0, TRect(2, 2, 2, 5));    // empty source
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.GetPixel(x, y), 0u);
}

TEST(BmpDraw, PartlyOutsideDrawsMatchingPart)
{
    TbsBitmap src, dst;
    Numbered(src, 4, 4);
    dst.SetSize(4, 4);
    src.Draw(&dst, -2, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const TbsColor p = dst.GetPixel(x, y);
            if (x < 2 && y >= 1) {
                EXPECT_EQ(Col(p), x + 2);
                EXPECT_EQ(Row(p), y - 1);
            } else {
                EXPECT_EQ(p, 0u) << x << "," << y;
            }
        }
}

TEST(BmpDraw, ModesFollowTheSourceFlags)
{
    TbsBitmap src, dst;
    src.SetSize(3, 1);
    src.SetPixel(0, 0, 0x00FFFFFF);
    src.SetPixel(1, 0, 0x80FFFFFF);
    src.SetPixel(2, 0, bsKeyColor);
    const TbsColor base = 0xFF000010;
    auto reset = [&] {
        dst.SetSize(3, 1);
        for (int x = 0; x < 3; ++x) dst.SetPixel(x, 0, base);
    };

    reset();
    src.Draw(&dst, 0, 0);   // opaque: copied whole, alpha included
    EXPECT_EQ(dst.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(dst.GetPixel(2, 0), bsKeyColor);

    reset();
    src.SetTransparent(true);   // key colour skipped, the rest opaque
    src.Draw(&dst, 0, 0);
    EXPECT_EQ(dst.GetPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.GetPixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst.GetPixel(2, 0), base);

    reset();
    src.SetAlphaBlend(true);   // alpha wins over Transparent
    src.Draw(&dst, 0, 0);
    EXPECT_EQ(dst.GetPixel(0, 0), base);
    EXPECT_EQ(dst.GetPixel(1, 0), BlendPixel(0x80FFFFFF, base));
    EXPECT_EQ(dst.GetPixel(2, 0), base);   // the key colour has alpha 0: left as well
}

TEST(BmpDraw, ScaledAlphaAndTransparentRows)
{
    TbsBitmap src, dst;
    src.SetSize(1, 2);
    src.SetPixel(0, 0, bsKeyColor);
    src.SetPixel(0, 1, 0xFF00FF00);
    src.SetTransparent(true);
    dst.SetSize(2, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) dst.SetPixel(x, y, 0xFF0000FF);
    src.Draw(&dst, TRect(0, 0, 2, 4));
    // Rows map 0, 0, 0, 1 (truncation of 0, 1/3, 2/3, 1).
    for (int x = 0; x < 2; ++x) {
        for (int y = 0; y < 3; ++y) EXPECT_EQ(dst.GetPixel(x, y), 0xFF0000FFu);
        EXPECT_EQ(dst.GetPixel(x, 3), 0xFF00FF00u);
    }
}

TEST(BmpDraw, TileCountsAndCutTiles)
{
    TbsBitmap src, dst;
    Numbered(src, 10, 10);
    dst.SetSize(30, 15);
    src.Tile(&dst, TRect(0, 0, 25, 12), TRect(0, 0, 10, 10));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 30; ++x) {
            const TbsColor p = dst.GetPixel(x, y);
            if (x < 25 && y < 12) {
                ASSERT_EQ(Col(p), x % 10) << x << "," << y;
                ASSERT_EQ(Row(p), y % 10) << x << "," << y;
            } else {
                ASSERT_EQ(p, 0u) << x << "," << y;
            }
        }

    TbsBitmap d2;
    d2.SetSize(5, 5);
    src.Tile(&d2, TRect(0, 0, 5, 5), TRect(3, 3, 3, 8));   // empty source
    EXPECT_EQ(d2.GetPixel(0, 0), 0u);

    // A tile takes the source rectangle's top-left part when cut.
    TbsBitmap d3;
    d3.SetSize(6, 1);
    src.Tile(&d3, TRect(0, 0, 6, 1), TRect(2, 4, 6, 5));
    const int want[6] = {2, 3, 4, 5, 2, 3};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(Col(d3.GetPixel(x, 0)), want[x]);
        EXPECT_EQ(Row(d3.GetPixel(x, 0)), 4);
    }
}

TEST(BmpDraw, TileClipDrawsWholeTilesThatMeetTheClip)
{
    TbsBitmap src, dst;
    Numbered(src, 10, 10);
    dst.SetSize(25, 12);
    src.TileClip(&dst, TRect(0, 0, 25, 12), TRect(12, 0, 13, 1), TRect(0, 0, 10, 10));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 25; ++x) {
            const bool inTile = x >= 10 && x < 20 && y < 10;
            ASSERT_EQ(dst.GetPixel(x, y) != 0, inTile) << x << "," << y;
        }
    TbsBitmap all;
    all.SetSize(25, 12);
    src.TileClip(&all, TRect(0, 0, 25, 12), TRect(), TRect(0, 0, 10, 10));   // empty clip: all
    EXPECT_NE(all.GetPixel(24, 11), 0u);
}

TEST(BmpLink, MaskedChecks)
{
    TbsBitmap img;
    img.SetSize(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) img.SetPixel(x, y, 0xFF101010);
    TbsBitmapLink link;
    link.SetImage(&img);
    link.SetRect(TRect(0, 0, 6, 6));
    link.CheckingMasked();
    EXPECT_FALSE(link.GetMasked());
    EXPECT_FALSE(link.GetMaskedBorder());
    EXPECT_FALSE(link.GetMaskedAngles());

    img.SetPixel(3, 3, 0xFE101010);
    link.CheckingMasked();
    EXPECT_TRUE(link.GetMasked());
    EXPECT_FALSE(link.GetMaskedBorder());
    EXPECT_FALSE(link.GetMaskedAngles());

    // With margins of 2: the centre pixel sets Masked; a corner and an edge pixel the others.
    link.CheckingMasked(TRect(2, 2, 2, 2));
    EXPECT_TRUE(link.GetMasked());
    EXPECT_FALSE(link.GetMaskedBorder());
    img.SetPixel(3, 3, 0xFF101010);
    img.SetPixel(0, 0, bsKeyColor);
    img.SetPixel(3, 5, 0x33333333);   // this value never counts
    link.CheckingMasked(TRect(2, 2, 2, 2));
    EXPECT_FALSE(link.GetMasked());
    EXPECT_TRUE(link.GetMaskedAngles());
    EXPECT_FALSE(link.GetMaskedBorder());
    img.SetPixel(3, 5, 0x00000000);
    link.CheckingMasked(TRect(2, 2, 2, 2));
    EXPECT_TRUE(link.GetMaskedBorder());

    // Outside the image counts as masked.
    TbsBitmapLink out;
    img.SetPixel(0, 0, 0xFF000000);
    img.SetPixel(3, 5, 0xFF000000);
    out.SetImage(&img);
    out.SetRect(TRect(4, 4, 8, 8));
    out.CheckingMasked();
    EXPECT_TRUE(out.GetMasked());
}

TEST(BmpLink, AssignedAndDraw)
{
    TbsBitmap img;
    Numbered(img, 4, 4);
    std::unique_ptr<TbsBitmapLink> link(img.GetBitmapLink("1,1,3,3"));
    EXPECT_TRUE(link->Assigned());
    EXPECT_EQ(link->GetRect(), TRect(1, 1, 3, 3));
    TbsBitmap target;
    target.SetSize(3, 3);
    link->Draw(&target, 1, 0);
    EXPECT_EQ(target.GetPixel(1, 0), img.GetPixel(1, 1));
    EXPECT_EQ(target.GetPixel(2, 1), img.GetPixel(2, 2));
    EXPECT_EQ(target.GetPixel(0, 0), 0u);
    EXPECT_EQ(img.GetPixel(0, 0), 0xFF000000u);   // the link's image is unchanged

    TbsBitmapLink none;
    EXPECT_FALSE(none.Assigned());
    none.SetImage(&img);
    none.SetRect(TRect(2, 2, 2, 4));
    EXPECT_FALSE(none.Assigned());
    std::unique_ptr<TbsBitmapLink> bad(img.GetBitmapLink("(1,2,3,4)"));
    EXPECT_EQ(bad->GetRect(), TRect(0, 0, 0, 0));
}
