// Composition of a skin look at several target sizes, one-axis images,
// frame bands, mask rectangles and skin regions.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/os/Gdi.h"
#include "platform/os/Region.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
// A picture holding the look at (3, 1): each look pixel names its look
// coordinates, 0xFF000000 | y << 8 | x; the rest of the picture is white.
constexpr int kOX = 3, kOY = 1, kLook = 6;
const TRect kSkinRect(kOX, kOY, kOX + kLook, kOY + kLook);

void MakePicture(TbsBitmap& pic)
{
    pic.SetSize(12, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) pic.SetPixel(x, y, 0xFFFFFFFF);
    for (int y = 0; y < kLook; ++y)
        for (int x = 0; x < kLook; ++x) pic.SetPixel(kOX + x, kOY + y, 0xFF000000u | TbsColor(y << 8) | TbsColor(x));
}

// Look geometry: frame 2 wide, middles 2 long, client (2, 2, 4, 4).
struct Look
{
    TPoint LT{2, 2}, RT{4, 2}, LB{2, 4}, RB{4, 4};
    TRect Cl{2, 2, 4, 4};
};

struct NewGeo
{
    TPoint LT, RT, LB, RB;
    TRect Cl;
};
NewGeo Derive(const Look& l, int w, int h)
{
    const int dx = w - kLook, dy = h - kLook;
    return {l.LT, TPoint(l.RT.X + dx, l.RT.Y), TPoint(l.LB.X, l.LB.Y + dy), TPoint(l.RB.X + dx, l.RB.Y + dy),
            TRect(l.Cl.Left, l.Cl.Top, l.Cl.Right + dx, l.Cl.Bottom + dy)};
}

void Compose(TbsBitmap& out, int w, int h, bool stretch, TbsStretchType st = bsstFull,
             bool drawClient = true, int variant = 1)
{
    TbsBitmap pic;
    MakePicture(pic);
    Look l;
    const NewGeo n = Derive(l, w, h);
    using Fn = void (*)(TPoint, TPoint, TPoint, TPoint, TRect, TPoint, TPoint, TPoint, TPoint, TRect,
                        TbsBitmap*, TbsBitmap*, TRect, int, int, bool, bool, bool, bool, bool, bool,
                        TbsStretchType);
    const Fn fn = variant == 1 ? Fn(CreateSkinImage) : variant == 2 ? Fn(CreateSkinImage2) : Fn(CreateSkinImage3);
    fn(l.LT, l.RT, l.LB, l.RB, l.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &out, &pic, kSkinRect, w, h,
       drawClient, stretch, stretch, stretch, stretch, stretch, st);
}

// Look coordinate shown at target coordinate t along one axis of length n.
int Tiled(int t, int n) { return t < 2 ? t : t >= n - 2 ? t - (n - kLook) : 2 + (t - 2) % 2; }
int Stretched(int t, int n)
{
    if (t < 2) return t;
    if (t >= n - 2) return t - (n - kLook);
    return BuildStretchMap(2, n - 4, 2, n - 4, 2, 2, false)[t - 2];
}

void ExpectLook(const TbsBitmap& b, const std::function<int(int, int)>& mapX,
                const std::function<int(int, int)>& mapY, const char* what)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TbsColor p = b.GetPixel(x, y);
            ASSERT_EQ(int(p & 0xFF), mapX(x, b.Width())) << what << " at " << x << "," << y;
            ASSERT_EQ(int((p >> 8) & 0xFF), mapY(y, b.Height())) << what << " at " << x << "," << y;
        }
}
}  // namespace

TEST(ComposeImage, SameSizeReproducesTheLook)
{
    for (bool stretch : {false, true}) {
        TbsBitmap out;
        Compose(out, kLook, kLook, stretch);
        ASSERT_EQ(out.Width(), kLook);
        ExpectLook(out, [](int t, int) { return t; }, [](int t, int) { return t; }, "same size");
    }
}

TEST(ComposeImage, TiledAtSeveralSizes)
{
    // 6 + 3: two full tiles and a one-pixel tile from the piece's first column;
    // 6 + 4: exact multiple; 6 + 1: one full and one cut.
    for (auto [w, h] : {std::pair{9, 7}, std::pair{10, 10}, std::pair{7, 13}, std::pair{21, 8}}) {
        TbsBitmap out;
        Compose(out, w, h, false);
        ASSERT_EQ(out.Width(), w);
        ASSERT_EQ(out.Height(), h);
        ExpectLook(out, Tiled, Tiled, "tiled");
    }
    TbsBitmap variant2;
    Compose(variant2, 9, 7, false, bsstFull, true, 2);
    ExpectLook(variant2, Tiled, Tiled, "variant 2");
}

TEST(ComposeImage, StretchedAtSeveralSizes)
{
    for (auto [w, h] : {std::pair{10, 7}, std::pair{13, 9}}) {
        TbsBitmap out;
        Compose(out, w, h, true);
        ExpectLook(out, Stretched, Stretched, "stretched");
    }
}

TEST(ComposeImage, StretchTypesOfTheClient)
{
    // bsstHorz: the client (2 wide) is stretched to the new client height
    // and repeated across; bsstVert the other way round.
    TbsBitmap h;
    Compose(h, 11, 10, true, bsstHorz);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 9; ++x) {
            const TbsColor p = h.GetPixel(x, y);
            ASSERT_EQ(int(p & 0xFF), 2 + (x - 2) % 2) << x << "," << y;
            ASSERT_EQ(int((p >> 8) & 0xFF), Stretched(y, 10)) << x << "," << y;
        }
    TbsBitmap v;
    Compose(v, 11, 10, true, bsstVert);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 9; ++x) {
            const TbsColor p = v.GetPixel(x, y);
            ASSERT_EQ(int(p & 0xFF), Stretched(x, 11)) << x << "," << y;
            ASSERT_EQ(int((p >> 8) & 0xFF), 2 + (y - 2) % 2) << x << "," << y;
        }
}

TEST(ComposeImage, UndrawnPartsKeepTheTargetContent)
{
    TbsBitmap out;
    out.SetSize(9, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) out.SetPixel(x, y, 0x11111111);
    Compose(out, 9, 7, false, bsstFull, false);   // no client
    EXPECT_EQ(out.GetPixel(4, 3), 0x11111111u);
    EXPECT_EQ(out.GetPixel(0, 0), 0xFF000000u);

    // A middle of length 0 is left undrawn; an empty picture draws nothing.
    TbsBitmap pic, z;
    MakePicture(pic);
    z.SetSize(8, 6);
    const NewGeo n = Derive(Look(), 8, 6);
    CreateSkinImage(TPoint(2, 2), TPoint(2, 2), TPoint(2, 4), TPoint(4, 4), TRect(2, 2, 4, 4), n.LT,
                    TPoint(4, 2), n.LB, n.RB, n.Cl, &z, &pic, kSkinRect, 8, 6, true, false, false,
                    false, false, false, bsstFull);
    EXPECT_EQ(z.GetPixel(2, 0), 0u);
    TbsBitmap empty, e2;
    CreateSkinImage(TPoint(2, 2), TPoint(4, 2), TPoint(2, 4), TPoint(4, 4), TRect(2, 2, 4, 4), n.LT,
                    n.RT, n.LB, n.RB, n.Cl, &e2, &empty, kSkinRect, 8, 6, true, false, false, false,
                    false, false, bsstFull);
    EXPECT_EQ(e2.Width(), 8);
    EXPECT_EQ(e2.GetPixel(0, 0), 0u);
}

TEST(ComposeImage, TargetSmallerThanTheFixedPieces)
{
    for (auto [w, h] : {std::pair{3, 3}, std::pair{1, 1}, std::pair{4, 2}}) {
        for (bool stretch : {false, true}) {
            TbsBitmap out;
            Compose(out, w, h, stretch);
            EXPECT_EQ(out.Width(), w);
        }
    }
}

TEST(ComposeImage, LookWithoutRightBand)
{
    TbsBitmap out;
    Compose(out, 9, 7, false, bsstFull, true, 3);
    // Top middle and client run to the right edge; no right fixed pieces.
    for (int x = 2; x < 9; ++x) {
        EXPECT_EQ(int(out.GetPixel(x, 0) & 0xFF), 2 + (x - 2) % 2) << x;
        EXPECT_EQ(int(out.GetPixel(x, 3) & 0xFF), 2 + (x - 2) % 2) << x;
    }
    EXPECT_EQ(out.GetPixel(0, 6), 0xFF000500u);
}

TEST(ComposeImage, ByClientRectangle)
{
    TbsBitmap pic, out;
    MakePicture(pic);
    out.SetSize(10, 8);
    CreateSkinImageByClRect(&out, &pic, kSkinRect, TRect(2, 2, 4, 4), true);
    ExpectLook(out, Stretched, Stretched, "by client rectangle");
}

TEST(ComposeImage, OneAxisImages)
{
    TbsBitmap pic;
    MakePicture(pic);
    TbsBitmap h;
    CreateHSkinImage(2, 2, &h, &pic, kSkinRect, 9, 99, false);
    ASSERT_EQ(h.Width(), 9);
    ASSERT_EQ(h.Height(), kLook);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(int(h.GetPixel(x, 3) & 0xFF), Tiled(x, 9)) << x;

    TbsBitmap h2;
    CreateHSkinImage2(2, 2, &h2, &pic, kSkinRect, 9, 0, false);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(int(h2.GetPixel(x, 0) & 0xFF), x < 2 ? x : 2 + (x - 2) % 2) << x;

    TbsBitmap m;
    CreateHSkinMiddleImage(2, 2, &m, &pic, kSkinRect, 5, 0, true);
    const std::vector<int> map = BuildStretchMap(0, 5, 0, 5, 2, 2, false);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(int(m.GetPixel(x, 0) & 0xFF), map[x] - kOX + kOX) << x;

    TbsBitmap v;
    CreateVSkinImage(2, 2, &v, &pic, kSkinRect, 99, 9, false);
    ASSERT_EQ(v.Width(), kLook);
    ASSERT_EQ(v.Height(), 9);
    for (int y = 0; y < 9; ++y) EXPECT_EQ(int((v.GetPixel(0, y) >> 8) & 0xFF), Tiled(y, 9)) << y;

    // A middle of width 0 draws nothing between the ends.
    TbsBitmap z;
    CreateHSkinImage(3, 3, &z, &pic, kSkinRect, 10, 0, false);
    for (int x = 3; x < 7; ++x) EXPECT_EQ(z.GetPixel(x, 0), 0u) << x;
    EXPECT_EQ(z.GetPixel(9, 0), 0xFF000005u);
    TbsBitmap zv;
    CreateVSkinImage(3, 3, &zv, &pic, kSkinRect, 0, 10, true);
    EXPECT_EQ(zv.GetPixel(0, 9), 0xFF000500u);
}

TEST(ComposeImage, BorderImagesTileFromTheirLeftEdge)
{
    TbsBitmap pic;
    MakePicture(pic);
    Look l;
    // A look whose top middle starts at 3 shows the difference: CreateSkinImage
    // starts its tiles at the new point, the border images at x 0.
    l.LT = TPoint(3, 2);
    l.RT = TPoint(5, 2);
    const NewGeo n = Derive(l, 11, 8);
    TbsBitmap left, top, right, bottom;
    CreateSkinBorderImages(l.LT, l.RT, l.LB, l.RB, l.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &left, &top,
                           &right, &bottom, &pic, kSkinRect, 11, 8, false, false, false, false);
    ASSERT_EQ(top.Width(), 11);
    ASSERT_EQ(top.Height(), 2);
    ASSERT_EQ(bottom.Height(), 2);
    ASSERT_EQ(left.Width(), 2);
    ASSERT_EQ(left.Height(), 4);   // client height only
    ASSERT_EQ(right.Width(), 2);
    // Middle tiles 3, 4 from x 0, then the ends over them: 0..2 and 10.
    const int wantTop[11] = {0, 1, 2, 4, 3, 4, 3, 4, 3, 4, 5};
    for (int x = 0; x < 11; ++x) EXPECT_EQ(int(top.GetPixel(x, 1) & 0xFF), wantTop[x]) << x;
    EXPECT_EQ(int((bottom.GetPixel(0, 1) >> 8) & 0xFF), 5);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(int((left.GetPixel(0, y) >> 8) & 0xFF), 2 + y % 2) << y;
    EXPECT_EQ(int(right.GetPixel(1, 0) & 0xFF), 5);
}

TEST(ComposeRegion, MaskRectangles)
{
    TbsBitmap mask;
    mask.SetSize(3, 2);
    for (int y = 0; y < 2; ++y) {
        mask.SetPixel(0, y, 0xFF000000);
        mask.SetPixel(1, y, 0xFFFFFFFF);
        mask.SetPixel(2, y, 0x00000000);   // black whatever the alpha
    }
    std::vector<std::uint8_t> data;
    EXPECT_EQ(GetMaskBitmapRects(&mask, 0, 0, data), 96u);
    EXPECT_EQ(GetMaskRects(&mask, 0, 0),
              (std::vector<TRect>{{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}}));
    const auto* hdr = reinterpret_cast<const RGNDATAHEADER*>(data.data());
    EXPECT_EQ(hdr->nCount, 4u);
    EXPECT_EQ(hdr->rcBound, TRect(0, 0, 3, 2));
    EXPECT_EQ(GetMaskRects(&mask, 5, 7)[0], TRect(5, 7, 6, 8));
    TbsBitmap empty;
    EXPECT_EQ(GetMaskBitmapRects(&empty, 0, 0, data), 0u);
    EXPECT_TRUE(data.empty());

    // Far more runs than a fixed list would hold.
    TbsBitmap stripes;
    stripes.SetSize(400, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x) stripes.SetPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    EXPECT_EQ(GetMaskRects(&stripes, 0, 0).size(), 12000u);

    TbsFBitmap fb(&stripes);
    EXPECT_EQ(fb.Gap, 0);
    TbsBitmap five;
    five.SetSize(5, 2);
    TbsFBitmap f5(&five);
    EXPECT_EQ(f5.Gap, 1);
    EXPECT_EQ(f5.RowInc, 16);
    EXPECT_EQ(f5.Pixels[1] - f5.Pixels[0], 16);
}

TEST(ComposeRegion, SkinRegionFromMask)
{
    // Mask of the 6 x 6 look: all black, or with white corner pixels.
    for (bool corners : {false, true}) {
        TbsBitmap mask;
        mask.SetSize(kLook, kLook);
        mask.Clear(0xFF000000);
        if (corners) {
            mask.SetPixel(0, 0, 0xFFFFFFFF);
            mask.SetPixel(5, 0, 0xFFFFFFFF);
            mask.SetPixel(0, 5, 0xFFFFFFFF);
            mask.SetPixel(5, 5, 0xFFFFFFFF);
        }
        Look l;
        const NewGeo n = Derive(l, 10, 9);
        HRGN rgn = nullptr;
        CreateSkinRegion(rgn, l.LT, l.RT, l.LB, l.RB, l.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &mask, 10, 9);
        ASSERT_NE(rgn, nullptr);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool corner = (x == 0 || x == 9) && (y == 0 || y == 8);
                EXPECT_EQ(PtInRegion(rgn, x, y) != 0, !(corners && corner)) << x << "," << y;
            }
        EXPECT_FALSE(PtInRegion(rgn, 10, 0));
        DeleteObject(rgn);
    }
    // A target smaller than the fixed corners has no region.
    TbsBitmap mask;
    mask.SetSize(kLook, kLook);
    Look l;
    HRGN rgn = reinterpret_cast<HRGN>(1);
    CreateSkinRegion(rgn, l.LT, l.RT, l.LB, l.RB, l.Cl, l.LT, TPoint(1, 2), l.LB, l.RB, l.Cl, &mask, 3, 6);
    EXPECT_EQ(rgn, nullptr);
}
