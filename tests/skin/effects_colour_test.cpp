// Colour routines, HSL, recolouring, reflections, the stack blur and alpha
// from a mask.
#include "lib/bsEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

TEST(EffectsColour, HSLWorkedExamples)
{
    float h, s, l;
    BsColorToHSL(0xFFFF0000, h, s, l);
    EXPECT_FLOAT_EQ(h, 0.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_EQ(HSLToBsColor(0, 1, 0.5f), 0xFFFF0000u);
    EXPECT_EQ(HSLToBsColor(0.25f, 0, 0.5f), 0xFF808080u);   // grey: R(127.5) = 128
    EXPECT_EQ(SetColorHue(0xFFFF0000, 85), 0xFF00FF00u);
    EXPECT_EQ(SetColorHue(0xFFFF0000, 400), SetColorHue(0xFFFF0000, 255));   // clamped

    // Hue 250 on the 0..255 scale plus 10 wraps to 5.
    const TbsColor c250 = SetColorHue(0xFFFF0000, 250);
    BsColorToHSL(c250, h, s, l);
    ASSERT_EQ(int(std::nearbyint(h * 255)), 250);
    BsColorToHSL(ChangeColorHue(c250, 10), h, s, l);
    EXPECT_EQ(int(std::nearbyint(h * 255)), 5);

    EXPECT_EQ(MakeBsColor(300, -4, 128, 0), 0x00FF0080u);
    EXPECT_EQ(ChangeColorBrightness(0x00F00010, 20), 0xFFFF1424u);
    EXPECT_EQ(ColorToBsColor(0x00332211), 0xFF112233u);
}

TEST(EffectsColour, HSLRoundTrips)
{
    // Every colour survives the trip to hue, saturation, lightness and back
    // within one step per channel (the float precision of the routines).
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        const TbsColor c = 0xFF000000u | (rng() & 0xFFFFFFu);
        float h, s, l;
        BsColorToHSL(c, h, s, l);
        const TbsColor back = HSLToBsColor(h, s, l);
        for (int sh = 0; sh < 24; sh += 8)
            ASSERT_LE(std::abs(int((c >> sh) & 0xFF) - int((back >> sh) & 0xFF)), 1) << std::hex << c;
        ASSERT_EQ(back >> 24, 0xFFu);
    }
}

TEST(EffectsColour, BitmapRecolouringKeepsAlpha)
{
    TbsBitmap b;
    b.SetSize(3, 1);
    b.SetPixel(0, 0, 0x00102030);   // alpha 0: untouched
    b.SetPixel(1, 0, 0x80102030);
    b.SetPixel(2, 0, 0xFFFF0000);
    b.ChangeBitmapBrightness(20);
    EXPECT_EQ(b.GetPixel(0, 0), 0x00102030u);
    EXPECT_EQ(b.GetPixel(1, 0), 0x80243444u);
    EXPECT_EQ(b.GetPixel(2, 0), 0xFFFF1414u);
    b.SetBitmapHue(85);
    EXPECT_EQ(b.GetPixel(0, 0), 0x00102030u);
    EXPECT_EQ(b.GetPixel(1, 0) >> 24, 0x80u);
    b.ChangeBitmapHue(0);   // a zero delta changes nothing
    b.ChangeBitmapSat(0);
    const TbsColor before = b.GetPixel(2, 0);
    b.ChangeBitmapSat(0);
    EXPECT_EQ(b.GetPixel(2, 0), before);
    b.ChangeBitmapSat(-255);   // saturation 1 - 1: grey
    const TbsColor g = b.GetPixel(2, 0);
    EXPECT_EQ((g >> 16) & 0xFF, (g >> 8) & 0xFF);
    EXPECT_EQ(g & 0xFF, (g >> 8) & 0xFF);
}

TEST(EffectsColour, Reflections)
{
    struct Case
    {
        int kind;
        int want[4];
    } cases[] = {{3, {100, 50, 0, 0}}, {1, {66, 33, 0, 0}}, {2, {50, 25, 0, 0}}};
    for (const Case& c : cases) {
        TbsBitmap b;
        b.SetSize(1, 4);
        for (int y = 0; y < 4; ++y) b.SetPixel(0, y, 0xC8000000u | TbsColor(y));
        if (c.kind == 1) b.Reflection();
        if (c.kind == 2) b.Reflection2();
        if (c.kind == 3) b.Reflection3();
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(int(b.GetPixel(0, y) >> 24), c.want[y]) << c.kind << " row " << y;
            EXPECT_EQ(int(b.GetPixel(0, y) & 0xFF), 3 - y);   // flipped
        }
    }
}

namespace
{
// The blur by its definition: triangle weights over 2r + 1 samples, edges
// repeated, (r + 1)^2 divisor, rows first then columns.
void ReferenceBlur(std::vector<int>& ch, int w, int h, int r)
{
    std::vector<int> tmp(ch.size());
    auto at = [](int i, int n) { return std::min(std::max(i, 0), n - 1); };
    const int div = (r + 1) * (r + 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            long s = 0;
            for (int i = -r; i <= r; ++i) s += (r + 1 - std::abs(i)) * ch[y * w + at(x + i, w)];
            tmp[y * w + x] = int(s / div);
        }
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
            long s = 0;
            for (int i = -r; i <= r; ++i) s += (r + 1 - std::abs(i)) * tmp[at(y + i, h) * w + x];
            ch[y * w + x] = int(s / div);
        }
}
}  // namespace

TEST(EffectsColour, BlurBitmap)
{
    TbsBitmap b;
    b.SetSize(5, 5);
    b.SetPixel(2, 2, 0x00FFFFFF);
    BlurBitmap(&b, 0);   // nothing changes, not even the alpha
    EXPECT_EQ(b.GetPixel(2, 2), 0x00FFFFFFu);
    EXPECT_EQ(b.GetPixel(0, 0), 0u);
    BlurBitmap(&b, 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const TbsColor p = b.GetPixel(x, y);
            EXPECT_EQ(p >> 24, 255u);
            const bool inPatch = std::abs(x - 2) <= 1 && std::abs(y - 2) <= 1;
            EXPECT_EQ((p & 0xFF) != 0, inPatch) << x << "," << y;
        }
    EXPECT_EQ(b.GetPixel(2, 2) & 0xFF, 63u);   // 255 * 4 / 4 / 4 truncated twice

    // Random pictures, radii small and larger than the picture: equal to the
    // definition (edges repeated, nothing read outside).
    std::mt19937 rng(3);
    for (int radius : {1, 2, 5, 9}) {
        const int w = 7, h = 4;
        TbsBitmap p;
        p.SetSize(w, h);
        std::vector<int> ch[3];
        for (auto& c : ch) c.resize(w * h);
        for (int i = 0; i < w * h; ++i) {
            const TbsColor v = rng();
            p.SetPixel(i % w, i / w, v);
            for (int k = 0; k < 3; ++k) ch[k][i] = int((v >> (8 * k)) & 0xFF);
        }
        BlurBitmap(&p, radius);
        for (auto& c : ch) ReferenceBlur(c, w, h, radius);
        for (int i = 0; i < w * h; ++i) {
            const TbsColor v = p.GetPixel(i % w, i / w);
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(int((v >> (8 * k)) & 0xFF), ch[k][i]) << "radius " << radius << " i " << i;
        }
    }
}

TEST(EffectsColour, SetAlphaFromMask)
{
    TbsBitmap b, m;
    b.SetSize(2, 1);
    m.SetSize(2, 1);
    b.SetPixel(0, 0, 0xFF112233);
    b.SetPixel(1, 0, 0x00112233);
    m.SetPixel(0, 0, 0x00FFFFFE);   // (255 + 255 + 254) / 3 = 254
    m.SetPixel(1, 0, 0xFF808080);
    SetAlphaFromMask(&b, &m);
    EXPECT_EQ(b.GetPixel(0, 0), 0xFE112233u);
    EXPECT_EQ(b.GetPixel(1, 0), 0x80112233u);
    TbsBitmap small;   // a smaller mask only covers its own pixels
    small.SetSize(1, 1);
    SetAlphaFromMask(&b, &small);
    EXPECT_EQ(b.GetPixel(0, 0), 0x00112233u);
    EXPECT_EQ(b.GetPixel(1, 0), 0x80112233u);
}
