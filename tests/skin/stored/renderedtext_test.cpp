// The validator's check of text on rendered pictures, and the colour choices
// the drawing code makes with it.
#include "lib/bsEffects.h"
#include "lib/bsSkinValidate.h"

#include <gtest/gtest.h>

namespace
{
// A 60 x 20 picture of `ground` (0x00BBGGRR) with `n` pixels of `ink` in its
// middle row.
void Picture(TbsBitmap& b, int ground, int ink, int n)
{
    auto pixel = [](int c) { return TbsColor(0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)); };
    b.SetSize(60, 20);
    b.Clear(pixel(ground));
    for (int i = 0; i < n; ++i) b.SetPixel(5 + i, 10, pixel(ink));
}
}  // namespace

TEST(RenderedText, ContrastIsTheInkAgainstTheGround)
{
    struct Case
    {
        int ground, ink, n;
        double want;
    } cases[] = {
        {0xFFFFFF, 0x000000, 20, 21.0},                                  // black on white
        {0x453018, 0x201810, 20, bsContrastRatio(0x201810, 0x453018)},   // dark on navy: weak
        {0x453018, 0xE3EBF4, 20, bsContrastRatio(0xE3EBF4, 0x453018)},   // light on navy
        {0xFFFFFF, 0x000000, 2, 1.0},                                    // a stray pixel is no text
        {0xFFFFFF, 0xFFFFFF, 0, 1.0},                                    // nothing stands out
    };
    for (const Case& c : cases)
    {
        TbsBitmap b;
        Picture(b, c.ground, c.ink, c.n);
        EXPECT_NEAR(bsRenderedTextContrast(b, TRect(0, 0, 60, 20)), c.want, 0.01) << std::hex << c.ink;
    }
    // Outside the picture: clipped, nothing found.
    TbsBitmap b;
    Picture(b, 0xFFFFFF, 0, 20);
    EXPECT_NEAR(bsRenderedTextContrast(b, TRect(100, 100, 200, 200)), 1.0, 1e-9);
}

TEST(RenderedText, FloorsFollowTheKind)
{
    TbsBitmap b;
    Picture(b, 0xFFFFFF, 0x8A8A8A, 20);   // about 3.5:1: weak text passes, body text does not
    const std::vector<TbsTextRegion> regions = {{"body", TRect(0, 0, 60, 20), TbsTextKind::Body},
                                                {"secondary", TRect(0, 0, 60, 20), TbsTextKind::Secondary},
                                                {"disabled", TRect(0, 0, 60, 20), TbsTextKind::Disabled}};
    const std::vector<std::string> problems = bsValidateRenderedText(b, regions);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("body: text contrast 3.", 0), 0u) << problems[0];
    EXPECT_NE(problems[0].find("below 4.50:1"), std::string::npos) << problems[0];
}

TEST(RenderedText, ColoursAreMadeToRead)
{
    const int navy = 0x453018;
    // The first candidate that reads is taken as it is.
    EXPECT_EQ(bsReadableColor({0x000000, 0xE3EBF4}, navy, bsBodyTextContrast), 0xE3EBF4);
    EXPECT_EQ(bsReadableColor({0xE3EBF4, 0x000000}, navy, bsBodyTextContrast), 0xE3EBF4);
    // None reads: the nearest is moved until it does.
    const int made = bsReadableColor({0x202020, 0x604030}, navy, bsBodyTextContrast);
    EXPECT_GE(bsContrastRatio(made, navy), bsBodyTextContrast);
    // Weak text keeps its floor with the margin, on light and dark grounds.
    for (auto [color, ground] : {std::pair{0xE0E0E0, 0xFFFFFF}, {0x403020, navy}, {0x808080, 0x808080}})
        EXPECT_GE(bsContrastRatio(bsWeakTextColor(color, ground), ground), bsWeakTextContrast + bsTextContrastMargin)
            << std::hex << color << " on " << ground;
}
