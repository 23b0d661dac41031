// The program's own pictures: each glyph drawn over the ground it is asked
// for, whatever was asked before (the glyph's shape is kept between calls,
// its ground and state never), and the glyphs told apart.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/Glyphs.h"
#include "platform/gui/Graphics.h"

namespace {

std::vector<TPixel> Pixels(const TBitmap& b)
{
    const TSurface s = b.ToSurface();
    std::vector<TPixel> out;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) out.push_back(s.Pixel(x, y) | 0xFF000000u);
    return out;
}

std::vector<TPixel> Glyph(glyphs::TGlyph g, int size, bool enabled, TPixel ground)
{
    return Pixels(*glyphs::ButtonGlyph(g, size, enabled, ground));
}

}  // namespace

TEST(Glyphs, EachCallDrawsOverItsOwnGroundAndState)
{
    const TPixel light = MakePixel(0xF0, 0xF0, 0xF0), dark = MakePixel(0x20, 0x30, 0x40);
    for (int size : {16, 18, 24})
    {
        std::set<std::vector<TPixel>> shapes;
        for (int i = 0; i < glyphs::kGlyphCount; ++i)
        {
            const auto g = glyphs::TGlyph(i);
            const auto first = Glyph(g, size, true, light);
            const auto onDark = Glyph(g, size, true, dark);
            const auto disabled = Glyph(g, size, false, light);
            ASSERT_EQ(first.size(), std::size_t(size) * size);
            // The bottom-left pixel names the ground (the transparent colour).
            EXPECT_EQ(first[std::size_t(size - 1) * size], light | 0xFF000000u) << i << " at " << size;
            EXPECT_EQ(onDark[std::size_t(size - 1) * size], dark | 0xFF000000u) << i << " at " << size;
            EXPECT_NE(first, onDark) << i << " at " << size;
            EXPECT_NE(first, disabled) << i << " at " << size;
            // Asked again after other grounds and states: the same picture.
            EXPECT_EQ(Glyph(g, size, true, light), first) << i << " at " << size;
            EXPECT_EQ(Glyph(g, size, false, light), disabled) << i << " at " << size;
            EXPECT_TRUE(shapes.insert(first).second) << i << " looks like another glyph at " << size;
        }
    }
}

TEST(Glyphs, TheEmptyTablePictureKeepsItsCornersClear)
{
    const TSurface s = glyphs::EmptyListPicture(200, 130)->ToSurface();
    ASSERT_EQ(s.Width(), 200);
    ASSERT_EQ(s.Height(), 130);
    for (auto [x, y] : {std::pair{0, 0}, {199, 0}, {0, 129}, {199, 129}}) EXPECT_EQ(PixelA(s.Pixel(x, y)), 0);
    EXPECT_GT(PixelA(s.Pixel(100, 44)), 100);   // the film in the middle
}
