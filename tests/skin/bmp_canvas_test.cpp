// TbsBitmap with the class library's bitmaps, pictures and canvases;
// composition and mask regions on class-library bitmaps; glyph strips and
// glyph-and-caption drawing.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

#include <gtest/gtest.h>

TEST(BmpCanvas, AssignFromClassLibraryPictures)
{
    TBitmap b24(3, 2, pf24bit);
    b24.SetPixel32(1, 1, 0xFF102030);
    TbsBitmap a;
    a.SetAlphaBlend(true);
    a.SetName("keep");
    a.Assign(&b24);
    ASSERT_EQ(a.Width(), 3);
    EXPECT_EQ(a.GetPixel(1, 1), 0xFF102030u);
    EXPECT_EQ(a.GetPixel(0, 0) >> 24, 255u);   // everything opaque
    EXPECT_TRUE(a.GetAlphaBlend());             // flags and name as they were
    EXPECT_EQ(a.GetName(), "keep");

    TBitmap b32(2, 1, pf32bit);
    b32.SetPixel32(0, 0, 0xC8112233);
    b32.SetPixel32(1, 0, 0x00445566);
    TbsBitmap c;
    c.Assign(&b32);
    EXPECT_EQ(c.GetPixel(0, 0), 0xC8112233u);
    EXPECT_EQ(c.GetPixel(1, 0), 0x00445566u);
    EXPECT_TRUE(c.GetAlphaBlend());

    TPngImage png;
    png.SetSize(2, 2);
    png.Bitmap()->SetPixel32(0, 0, 0xFF00FF01);
    TPicture pic;
    pic.SetGraphic(&png);
    TbsBitmap d;
    d.Assign(&pic);
    ASSERT_EQ(d.Width(), 2);
    EXPECT_EQ(d.GetPixel(0, 0), 0xFF00FF01u);

    TPicture none;
    d.Assign(&none);   // no graphic: nothing changes
    EXPECT_EQ(d.Width(), 2);
    TBitmap empty;
    d.Assign(&empty);
    EXPECT_TRUE(d.Empty());

    TFont font;
    EXPECT_THROW(d.Assign(&font), Exception);
}

TEST(BmpCanvas, AssignToBitmapAndPicture)
{
    TbsBitmap a;
    a.SetSize(2, 2);
    a.Clear(0xFF0000FF);
    a.SetPixel(1, 0, 0xFFFF0000);
    TBitmap t;
    t.Assign(&a);
    ASSERT_EQ(t.GetWidth(), 2);
    EXPECT_EQ(t.GetPixelFormat(), pf32bit);
    EXPECT_EQ(t.GetPixel32(1, 0), 0xFFFF0000u);
    EXPECT_EQ(t.GetPixel32(0, 1), 0xFF0000FFu);
    TPicture pic;
    pic.Assign(&a);
    ASSERT_NE(dynamic_cast<TBitmap*>(pic.GetGraphic()), nullptr);
    EXPECT_EQ(pic.Bitmap()->GetPixel32(1, 0), 0xFFFF0000u);
}

TEST(BmpCanvas, CanvasFollowsTheBitmap)
{
    TbsBitmap a;
    a.SetSize(4, 4);
    TCanvas* c = a.GetCanvas();
    c->Brush()->SetColor(TColor(RGB(0, 255, 0)));
    c->FillRect(TRect(0, 0, 2, 2));
    EXPECT_EQ(a.GetPixel(1, 1) & 0xFFFFFF, 0x00FF00u);
    a.SetSize(6, 6);   // a new section: the canvas draws on it
    c->FillRect(TRect(4, 4, 6, 6));
    EXPECT_EQ(a.GetPixel(5, 5) & 0xFFFFFF, 0x00FF00u);

    // Drawing onto a class-library canvas.
    TBitmap target(5, 5, pf32bit);
    a.Draw(target.Canvas(), 0, 0, TRect(4, 4, 6, 6));
    EXPECT_EQ(target.GetPixel32(1, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(target.GetPixel32(3, 3), 0xFFFFFFFFu);   // untouched (new bitmaps are white)
    std::unique_ptr<TbsBitmapLink> link(a.GetBitmapLink(TRect(4, 4, 6, 6)));
    TBitmap t2(5, 5, pf32bit);
    link->Draw(t2.Canvas(), 3, 3);
    EXPECT_EQ(t2.GetPixel32(4, 4) & 0xFFFFFF, 0x00FF00u);
}

TEST(BmpCanvas, DrawGraphicLeavesUncoveredPixels)
{
    TbsBitmap a;
    a.SetSize(6, 6);
    a.Clear(0x11223344);
    TBitmap g(2, 2, pf32bit);
    g.Canvas()->Brush()->SetColor(TColor(RGB(10, 20, 30)));
    g.Canvas()->FillRect(TRect(0, 0, 2, 2));
    a.DrawGraphic(&g, TRect(1, 1, 5, 3));   // stretched into 4 x 2
    EXPECT_EQ(a.GetPixel(1, 1) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(a.GetPixel(4, 2) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(a.GetPixel(0, 0), 0x11223344u);
    EXPECT_EQ(a.GetPixel(5, 5), 0x11223344u);
}

TEST(BmpCanvas, CompositionOnClassLibraryBitmapsMatches)
{
    // The same look composed into TbsBitmap and TBitmap gives the same pixels
    // (tiled bands and client: plain copies).
    TbsBitmap pic;
    pic.SetSize(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) pic.SetPixel(x, y, 0xFF000000u | TbsColor(y << 8) | TbsColor(x));
    TBitmap vpic;
    vpic.Assign(&pic);
    const TPoint lt(2, 2), rt(4, 2), lb(2, 4), rb(4, 4);
    const TRect cl(2, 2, 4, 4);
    const int W = 11, H = 9, dx = W - 6, dy = H - 6;
    TbsBitmap out;
    CreateSkinImage(lt, rt, lb, rb, cl, lt, TPoint(4 + dx, 2), TPoint(2, 4 + dy), TPoint(4 + dx, 4 + dy),
                    TRect(2, 2, 4 + dx, 4 + dy), &out, &pic, TRect(0, 0, 6, 6), W, H, true, false, false,
                    false, false, false, bsstFull);
    TBitmap vout;
    vout.SetPixelFormat(pf32bit);
    CreateSkinImage(lt, rt, lb, rb, cl, lt, TPoint(4 + dx, 2), TPoint(2, 4 + dy), TPoint(4 + dx, 4 + dy),
                    TRect(2, 2, 4 + dx, 4 + dy), &vout, &vpic, TRect(0, 0, 6, 6), W, H, true, false,
                    false, false, false, false, bsstFull);
    ASSERT_EQ(vout.GetWidth(), W);
    ASSERT_EQ(vout.GetHeight(), H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(vout.GetPixel32(x, y) & 0xFFFFFF, out.GetPixel(x, y) & 0xFFFFFF) << x << "," << y;

    TBitmap h;
    CreateHSkinImage(2, 2, &h, &vpic, TRect(0, 0, 6, 6), 9, 0, false);
    EXPECT_EQ(h.GetWidth(), 9);
    EXPECT_EQ(h.GetPixel32(4, 0) & 0xFF, 2u);

    // Mask region from a class-library bitmap: white corners cut out.
    TBitmap mask(6, 6, pf24bit);
    mask.Canvas()->Brush()->SetColor(TColor(RGB(0, 0, 0)));
    mask.Canvas()->FillRect(TRect(0, 0, 6, 6));
    mask.SetPixel32(0, 0, 0xFFFFFFFF);
    HRGN rgn = nullptr;
    CreateSkinRegion(rgn, lt, rt, lb, rb, cl, lt, TPoint(4 + dx, 2), TPoint(2, 4 + dy), TPoint(4 + dx, 4 + dy),
                     TRect(2, 2, 4 + dx, 4 + dy), &mask, W, H);
    ASSERT_NE(rgn, nullptr);
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_TRUE(PtInRegion(rgn, 1, 0));
    EXPECT_TRUE(PtInRegion(rgn, W - 1, H - 1));
    DeleteObject(rgn);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(GetMaskBitmapRects(&mask, 0, 0, data), DWORD(32 + 16 * 6));
}

TEST(BmpCanvas, GlyphFramesAndCaption)
{
    // A strip of two 3 x 3 frames on a yellow background (the bottom-left colour).
    TBitmap strip(6, 3, pf24bit);
    strip.Canvas()->Brush()->SetColor(TColor(RGB(255, 255, 0)));
    strip.Canvas()->FillRect(TRect(0, 0, 6, 3));
    strip.SetPixel32(1, 1, 0xFFFF0000);
    strip.SetPixel32(4, 1, 0xFF0000FF);
    TBitmap target(8, 8, pf32bit);
    DrawGlyphFrame(target.Canvas(), 2, 2, &strip, 2, 2);
    EXPECT_EQ(target.GetPixel32(3, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(target.GetPixel32(2, 2), 0xFFFFFFFFu);   // untouched (new bitmaps are white)   // yellow is left out
    TBitmap emptyStrip;
    DrawGlyphFrame(target.Canvas(), 0, 0, &emptyStrip, 2, 1);

    // Caption alone, centred; the colour marker fills without glyph and caption.
    TBitmap btn(60, 24, pf32bit);
    const TbsGlyphTextPlacement p =
        PlaceGlyphAndText(btn.Canvas(), TRect(0, 0, 60, 24), -1, 4, blGlyphLeft, "OK", 0, 0, false);
    EXPECT_GT(p.TextSize.cx, 0);
    EXPECT_EQ(p.TextRect.Left, 30 + p.TextSize.cx / 2 - p.TextSize.cx);   // centred on x 30
    const TbsGlyphTextPlacement pd =
        PlaceGlyphAndText(btn.Canvas(), TRect(0, 0, 60, 24), -1, 4, blGlyphLeft, "OK", 0, 0, true);
    EXPECT_EQ(pd.TextRect.Left, p.TextRect.Left + 1);
    EXPECT_EQ(pd.TextRect.Top, p.TextRect.Top + 1);
    DrawGlyphAndText(btn.Canvas(), TRect(0, 0, 60, 24), -1, 4, blGlyphLeft, "", nullptr, 1, 1, false, true,
                     RGB(0, 0, 255));
    EXPECT_EQ(btn.GetPixel32(4, 4) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(btn.GetPixel32(57, 19) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(btn.GetPixel32(3, 4), 0xFFFFFFFFu);   // untouched (new bitmaps are white)
    EXPECT_EQ(btn.GetPixel32(58, 19), 0xFFFFFFFFu);   // untouched (new bitmaps are white)

    // Glyph and caption: the marker lines run under the whole strip.
    TBitmap btn2(80, 30, pf32bit);
    DrawGlyphAndText(btn2.Canvas(), TRect(0, 0, 80, 30), 2, 4, blGlyphLeft, "Go", &strip, 2, 1, false, true,
                     RGB(0, 255, 0));
    const int gy = 15 - 3 / 2;
    EXPECT_EQ(btn2.GetPixel32(2 + 5, gy + 3 - 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(btn2.GetPixel32(3, gy + 1) & 0xFFFFFF, 0x00FF00u);   // marker over the glyph's lower rows
}

TEST(BmpCanvas, CanvasTextForms)
{
    TBitmap b(200, 60, pf32bit);
    TCanvas* c = b.Canvas();
    c->Font()->SetColor(TColor(RGB(255, 255, 255)));
    EXPECT_GT(TextWidthW(c, "abc"), 0);
    std::string t = "abcdefgh";
    CorrectTextByWidth(c, t, c->TextWidth("abc..."));
    EXPECT_EQ(t, "abc...");
    EXPECT_GT(DrawEffectText2(c, TRect(20, 10, 180, 40), "Glow", 3, RGB(0, 255, 0), 0,
                              DT_SINGLELINE | DT_CENTER | DT_VCENTER), 0);
    DrawDottedFocusRect(c, TRect(0, 0, 6, 5));
    EXPECT_EQ(b.GetPixel32(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}
