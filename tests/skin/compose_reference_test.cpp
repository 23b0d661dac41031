// A small skin look composed at a larger size, compared pixel for pixel
// with a kept PNG reference (the look is the point here). Set
// QUORVEL_UPDATE_REFERENCES=1 to write the reference anew.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/core/Surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
// A 16 x 16 button look: a dark rounded frame, a light bevel, a vertical
// gradient face and a dotted client pattern; holes (alpha 0) at the corners.
void MakeLook(TbsBitmap& pic)
{
    pic.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool corner = (x == 0 || x == 15) && (y == 0 || y == 15);
            TbsColor c;
            if (corner)
                c = 0x00000000;
            else if (x == 0 || y == 0 || x == 15 || y == 15)
                c = 0xFF2B3A55;
            else if (x == 1 || y == 1)
                c = 0xFFE8EEF8;
            else if (x == 14 || y == 14)
                c = 0xFF7A8CA8;
            else {
                const int g = 0xD0 - y * 6;
                c = 0xFF000000u | TbsColor((g - 0x20) << 16) | TbsColor((g - 0x10) << 8) | TbsColor(g);
                if (x >= 5 && x < 11 && y >= 5 && y < 11 && (x + y) % 3 == 0) c = 0xFF4060A0;
            }
            pic.SetPixel(x, y, c);
        }
}

TSurface ToSurface(TbsBitmap& b)
{
    return TSurface::Wrap(b.Bits(), b.Width(), b.Height(), b.Width() * 4, false).Clone();
}
}  // namespace

TEST(ComposeReference, NineSliceButtonAt60x28)
{
    TbsBitmap pic, out;
    MakeLook(pic);
    const int W = 60, H = 28, dx = W - 16, dy = H - 16;
    // Corners 5 x 5, bands tiled horizontally and stretched vertically, client
    // stretched across and tiled down (bsstVert).
    const TPoint lt(5, 5), rt(11, 5), lb(5, 11), rb(11, 11);
    const TRect cl(5, 5, 11, 11);
    CreateSkinImage(lt, rt, lb, rb, cl, lt, TPoint(rt.X + dx, rt.Y), TPoint(lb.X, lb.Y + dy),
                    TPoint(rb.X + dx, rb.Y + dy), TRect(5, 5, 11 + dx, 11 + dy), &out, &pic,
                    TRect(0, 0, 16, 16), W, H, true, true, false, true, false, true, bsstVert);
    ASSERT_EQ(out.Width(), W);
    const std::string ref = std::string(QUORVEL_SOURCE_DIR) + "/tests/skin/data/compose_ninepatch.png";
    TSurface got = ToSurface(out);
    if (std::getenv("QUORVEL_UPDATE_REFERENCES")) {
        ASSERT_TRUE(got.SavePng(ref));
    }
    const TSurface want = TSurface::LoadPng(ref);
    ASSERT_EQ(want.Width(), W);
    ASSERT_EQ(want.Height(), H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) ASSERT_EQ(got.Pixel(x, y), want.Pixel(x, y)) << x << "," << y;
}
