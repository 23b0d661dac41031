// Graphics classes: bitmaps (formats, scan lines, transparency, canvas
// drawing), pictures in files of every format, image lists, fonts.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Streams.h"

namespace
{
// One folder for this test process, removed when it ends.
struct TempFolder
{
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quorvel_gui_gfx_" + std::to_string(::getpid()));
    TempFolder() { std::filesystem::create_directories(dir); }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

std::string TempPath(const std::string& name)
{
    static TempFolder folder;
    return (folder.dir / name).string();
}

// A small picture with distinct pixels (and, for 32 bits, distinct alphas).
void FillPattern(TBitmap& b, bool alpha)
{
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x)
            b.SetPixel32(x, y, MakePixel(BYTE(x * 40), BYTE(y * 50), BYTE(x * 7 + y * 13), alpha ? BYTE(x * 50 + 30) : 255));
}

TEST(GuiGraphics, ScanLinesAreTopDownRowsOfTheFormat)
{
    for (TPixelFormat pf : {pf24bit, pf32bit})
    {
        SCOPED_TRACE(pf);
        TBitmap b(5, 3, pf);
        const int bpp = pf == pf24bit ? 3 : 4;
        EXPECT_EQ(b.RowBytes(), (5 * bpp + 3) & ~3);
        auto* r0 = static_cast<std::uint8_t*>(b.ScanLine(0));
        auto* r1 = static_cast<std::uint8_t*>(b.ScanLine(1));
        EXPECT_EQ(r1 - r0, b.RowBytes());
        // Writing through the scan line shows in the pixels and on the canvas.
        auto* row2 = static_cast<std::uint8_t*>(b.ScanLine(2));
        row2[4 * bpp + 0] = 0x11;   // blue
        row2[4 * bpp + 1] = 0x22;   // green
        row2[4 * bpp + 2] = 0x33;   // red
        EXPECT_EQ(b.GetPixel32(4, 2) & 0xFFFFFF, 0x332211u);
        EXPECT_EQ(b.Canvas()->GetPixel(4, 2), TColor(RGB(0x33, 0x22, 0x11)));
        // Canvas drawing shows in the scan lines.
        b.Canvas()->Brush()->SetColor(clRed);
        b.Canvas()->FillRect(TRect(0, 0, 2, 1));
        EXPECT_EQ(r0[2], 0xFF);
        EXPECT_EQ(r0[0], 0x00);
        // A size change keeps the overlapping picture.
        b.SetSize(6, 4);
        EXPECT_EQ(b.GetPixel32(0, 0) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(b.GetPixel32(4, 2) & 0xFFFFFF, 0x332211u);
    }
    TBitmap e;
    EXPECT_TRUE(e.Empty());
    EXPECT_THROW(e.ScanLine(0), EInvalidGraphicOperation);
    EXPECT_THROW(e.SetSize(-1, 5), EInvalidGraphicOperation);
}

TEST(GuiGraphics, TransparencyColourComesFromBottomLeftPixel)
{
    TBitmap b(4, 4, pf24bit);
    EXPECT_EQ(TBitmap().GetTransparentColor(), clDefault);
    b.Canvas()->Brush()->SetColor(clFuchsia);
    b.Canvas()->FillRect(TRect(0, 0, 4, 4));
    b.Canvas()->Brush()->SetColor(clLime);
    b.Canvas()->FillRect(TRect(1, 1, 3, 3));
    EXPECT_EQ(b.GetTransparentMode(), tmAuto);
    EXPECT_EQ(b.GetTransparentColor(), clFuchsia);
    b.SetPixel32(0, 3, MakePixel(1, 2, 3));
    EXPECT_EQ(b.GetTransparentColor(), TColor(RGB(1, 2, 3)));
    b.SetPixel32(0, 3, ColorRefToPixel(ColorToRGB(clFuchsia)));
    b.SetTransparentColor(clLime);
    EXPECT_EQ(b.GetTransparentMode(), tmFixed);
    EXPECT_EQ(b.GetTransparentColor(), clLime);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.GetTransparentColor(), clFuchsia);

    // Drawn transparently, pixels of that colour leave the target alone.
    b.SetTransparent(true);
    TBitmap dst(6, 6, pf24bit);
    dst.Canvas()->Brush()->SetColor(clNavy);
    dst.Canvas()->FillRect(TRect(0, 0, 6, 6));
    dst.Canvas()->Draw(1, 1, &b);
    EXPECT_EQ(dst.Canvas()->GetPixel(1, 1), clNavy);   // fuchsia corner: left out
    EXPECT_EQ(dst.Canvas()->GetPixel(2, 2), clLime);
    EXPECT_EQ(dst.Canvas()->GetPixel(4, 4), clNavy);
}

TEST(GuiGraphics, CanvasDrawingIsVisibleInPixels)
{
    TBitmap b(20, 20, pf32bit);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 20, 20));
    c->Pen()->SetColor(clBlue);
    c->Brush()->SetColor(clYellow);
    c->Rectangle(2, 2, 10, 10);
    EXPECT_EQ(c->GetPixel(2, 2), clBlue);       // outline
    EXPECT_EQ(c->GetPixel(5, 5), clYellow);     // inside
    EXPECT_EQ(c->GetPixel(10, 10), clWhite);    // right/bottom excluded
    c->Pen()->SetColor(clRed);
    c->MoveTo(0, 15);
    c->LineTo(20, 15);
    EXPECT_EQ(c->GetPixel(7, 15), clRed);
    EXPECT_EQ(c->GetPenPos(), TPoint(20, 15));
    c->Brush()->SetColor(clGreen);
    c->FrameRect(TRect(12, 2, 18, 8));
    EXPECT_EQ(c->GetPixel(12, 5), clGreen);
    EXPECT_EQ(c->GetPixel(14, 5), clWhite);
    c->SetPixel(19, 19, clAqua);
    EXPECT_EQ(c->GetPixel(19, 19), clAqua);
    // Text: drawn in the font colour, measured consistently, Chinese included.
    c->Font()->SetColor(clBlack);
    c->Font()->SetHeight(-12);
    c->Brush()->SetStyle(bsClear);
    EXPECT_GT(c->TextWidth("WWW"), c->TextWidth("W"));
    EXPECT_GT(c->TextWidth("中文"), 0);
    EXPECT_EQ(c->TextExtent("Hg").cy, c->TextHeight("Hg"));
    TBitmap t(60, 20, pf24bit);
    t.Canvas()->Brush()->SetColor(clWhite);
    t.Canvas()->FillRect(TRect(0, 0, 60, 20));
    t.Canvas()->Font()->SetColor(clBlack);
    t.Canvas()->TextOut(2, 2, "中文");
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if ((t.GetPixel32(x, y) & 0xFF) < 128) ++dark;
    EXPECT_GT(dark, 10);
    // CopyRect and StretchDraw move pixels between canvases.
    TBitmap d(10, 10, pf24bit);
    d.Canvas()->CopyRect(TRect(0, 0, 10, 10), c, TRect(0, 0, 10, 10));
    EXPECT_EQ(d.Canvas()->GetPixel(5, 5), clYellow);
    TBitmap s(40, 40, pf24bit);
    s.Canvas()->StretchDraw(TRect(0, 0, 40, 40), &d);
    EXPECT_EQ(s.Canvas()->GetPixel(21, 21), clYellow);
    // A canvas without a surface refuses to draw with a clear error.
    TCanvas bare;
    EXPECT_THROW(bare.FillRect(TRect(0, 0, 1, 1)), EInvalidGraphicOperation);
}

TEST(GuiGraphics, PictureRoundTripsThroughFiles)
{
    struct Case { const char* file; TPixelFormat pf; bool alpha; bool exact; };
    const Case cases[] = {
        {"p24.bmp", pf24bit, false, true}, {"p32.bmp", pf32bit, true, true},
        {"p.png", pf32bit, true, true},    {"P.PNG", pf24bit, false, true},
        {"p.jpg", pf24bit, false, false},  {"p.gif", pf24bit, false, false},
        {"p.ico", pf32bit, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        TBitmap src(5, 4, c.pf);
        FillPattern(src, c.alpha);
        if (c.alpha) src.AlphaFormat = afDefined;   // the alpha bytes mean something
        TPicture out;
        std::unique_ptr<TGraphic> g = TPicture::CreateGraphicForExtension(std::filesystem::path(c.file).extension());
        ASSERT_TRUE(g);
        g->Assign(&src);
        out.SetGraphic(g.get());
        const std::string path = TempPath(c.file);
        out.SaveToFile(path);
        TPicture in;
        in.LoadFromFile(path);
        ASSERT_NE(in.GetGraphic(), nullptr);
        EXPECT_EQ(in.GetWidth(), 5);
        EXPECT_EQ(in.GetHeight(), 4);
        TBitmap back;
        back.Assign(in.GetGraphic());
        if (dynamic_cast<TBitmap*>(in.GetGraphic())) back.Assign(in.Bitmap());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
            {
                const TPixel a = src.GetPixel32(x, y), b = back.GetPixel32(x, y);
                if (c.exact)
                {
                    EXPECT_EQ(a & 0xFFFFFF, b & 0xFFFFFF) << x << "," << y;
                    if (c.alpha && back.GetPixelFormat() == pf32bit)
                    {
                        EXPECT_EQ(PixelA(a), PixelA(b)) << x << "," << y;
                    }
                }
                else
                {
                    EXPECT_NEAR(PixelR(a), PixelR(b), 60);
                    EXPECT_NEAR(PixelG(a), PixelG(b), 60);
                }
            }
        std::filesystem::remove(path);
    }
}

TEST(GuiGraphics, PictureErrorsAreClear)
{
    TPicture p;
    try
    {
        p.LoadFromFile(TempPath("notes.TXT"));
        ADD_FAILURE();
    }
    catch (const EInvalidGraphic& e)
    {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.TXT)");
    }
    EXPECT_THROW(p.LoadFromFile(TempPath("noext")), EInvalidGraphic);
    const std::string tif = TempPath("scan.tif");
    { std::ofstream(tif, std::ios::binary) << "II*\0"; }
    EXPECT_THROW(p.LoadFromFile(tif), EInvalidGraphic);   // listed, but no reader here
    std::filesystem::remove(tif);
    const std::string bad = TempPath("bad.png");
    { std::ofstream(bad, std::ios::binary) << "not a picture at all"; }
    EXPECT_THROW(p.LoadFromFile(bad), EInvalidGraphic);
    const std::string cut = TempPath("cut.bmp");
    { std::ofstream(cut, std::ios::binary) << "BM\x10\x00"; }
    EXPECT_THROW(p.LoadFromFile(cut), EInvalidGraphic);
    EXPECT_ANY_THROW(p.LoadFromFile(TempPath("missing.bmp")));
    EXPECT_EQ(p.GetGraphic(), nullptr);     // nothing replaced by a failed load
    std::filesystem::remove(bad);
    std::filesystem::remove(cut);
}

TEST(GuiGraphics, BitmapStreamsAndAssign)
{
    TBitmap a(3, 2, pf32bit);
    FillPattern(a, true);
    TMemoryStream ms;
    a.SaveToStream(&ms);
    ms.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(&ms);
    EXPECT_EQ(b.GetPixelFormat(), pf32bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(a.GetPixel32(x, y), b.GetPixel32(x, y));
    TBitmap c;
    c.Assign(&a);
    EXPECT_EQ(c.GetWidth(), 3);
    EXPECT_EQ(c.GetPixel32(2, 1), a.GetPixel32(2, 1));
    c.Assign(nullptr);
    EXPECT_TRUE(c.Empty());
    // Changing the format keeps the colours.
    a.SetPixelFormat(pf24bit);
    EXPECT_EQ(a.GetPixel32(1, 1) & 0xFFFFFF, b.GetPixel32(1, 1) & 0xFFFFFF);
    EXPECT_EQ(PixelA(a.GetPixel32(1, 1)), 255);
}

TEST(GuiGraphics, ImageListDrawsEnabledAndGreyed)
{
    TImageList il(4, 4);
    TBitmap strip(8, 4, pf24bit);
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(TRect(0, 0, 8, 4));
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(TRect(1, 1, 3, 3));
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(TRect(5, 1, 7, 3));
    int changes = 0;
    il.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(il.AddMasked(&strip, clDefault), 0);   // two images from one strip
    EXPECT_EQ(il.Count(), 2);
    EXPECT_EQ(changes, 1);
    TBitmap dst(8, 4, pf24bit);
    dst.Canvas()->Brush()->SetColor(clWhite);
    dst.Canvas()->FillRect(TRect(0, 0, 8, 4));
    il.Draw(dst.Canvas(), 0, 0, 0, true);
    il.Draw(dst.Canvas(), 4, 0, 1, false);
    EXPECT_EQ(dst.Canvas()->GetPixel(0, 0), clWhite);   // masked out
    EXPECT_EQ(dst.Canvas()->GetPixel(1, 1), clRed);
    const TPixel grey = dst.GetPixel32(5, 1);
    EXPECT_EQ(PixelR(grey), PixelG(grey));
    EXPECT_EQ(PixelG(grey), PixelB(grey));
    EXPECT_NE(grey & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(dst.Canvas()->GetPixel(4, 0), clWhite);
    il.Draw(dst.Canvas(), 0, 0, 7);                       // no such image: nothing drawn
    TBitmap one;
    EXPECT_TRUE(il.GetBitmap(1, &one));
    EXPECT_EQ(one.GetWidth(), 4);
    EXPECT_EQ(PixelA(one.GetPixel32(0, 0)), 0);
    il.Delete(0);
    EXPECT_EQ(il.Count(), 1);
    EXPECT_THROW(il.Delete(5), EInvalidOperation);
    il.SetSize(8, 8);                                     // a new size empties the list
    EXPECT_EQ(il.Count(), 0);
}

TEST(GuiGraphics, FontsColoursAndChangeEvents)
{
    TFont f;
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetSize(12);
    EXPECT_EQ(f.GetHeight(), -16);
    EXPECT_EQ(f.GetSize(), 12);
    f.SetStyle(TFontStyles{fsBold, fsUnderline});
    f.SetName("宋体");
    f.SetColor(clRed);
    f.SetColor(clRed);                // no change, no event
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(f.GetLogFont().lfWeight, FW_BOLD);
    EXPECT_NE(f.GetHandle(), nullptr);
    TFont g;
    g.Assign(&f);
    EXPECT_TRUE(g.SameAs(f));
    EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(TColor(0x00123456)), COLORREF(0x123456));
}
} // namespace
