// TbsBitmap and TbsEffectBmp against device contexts: the bitmap's own DC,
// a TbsBitmap found by its DC, foreign DIB sections (tiling straight into
// their pixels) and plain memory DCs.
#include "lib/bsEffects.h"
#include "platform/os/Gdi.h"
#include "platform/os/Window.h"
#include "platform/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// A foreign 32-bit DIB section in its own memory DC.
struct ForeignDib
{
    ForeignDib(int w, int h, bool bottomUp)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = bottomUp ? h : -h;
        bi.bmiHeader.biBitCount = 32;
        bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bmp);
        width = w;
        height = h;
        up = bottomUp;
    }
    ~ForeignDib()
    {
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    TbsColor At(int x, int y) const { return bits[(up ? height - 1 - y : y) * width + x]; }
    HBITMAP bmp = nullptr;
    HDC dc = nullptr;
    TbsColor* bits = nullptr;
    int width = 0, height = 0;
    bool up = true;
};
}  // namespace

TEST(BmpDC, OwnSectionAndRegistry)
{
    TbsBitmap b;
    EXPECT_EQ(b.GetDC(), nullptr);
    b.SetSize(4, 3);
    ASSERT_NE(b.GetDC(), nullptr);
    ASSERT_NE(b.GetHandle(), nullptr);
    EXPECT_EQ(FindBitmapByDC(b.GetDC()), &b);
    int w, h, bpp;
    EXPECT_EQ(GetDCBitmapBits(b.GetDC(), w, h, bpp), b.Bits());
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, -3);   // top-down
    EXPECT_EQ(bpp, 32);
    HDC old = b.GetDC();
    b.SetSize(5, 5);
    EXPECT_EQ(FindBitmapByDC(old == b.GetDC() ? nullptr : old), nullptr);
    EXPECT_EQ(FindBitmapByDC(b.GetDC()), &b);
    // Drawing through the platform into the bitmap's DC changes its pixels.
    HBRUSH br = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(b.GetDC(), TRect(1, 1, 2, 2), br);
    DeleteObject(br);
    EXPECT_EQ(b.GetPixel(1, 1) & 0xFFFFFF, 0xFF0000u);
    HDC dc = b.GetDC();
    {
        TbsBitmap gone;
        gone.SetSize(2, 2);
        dc = gone.GetDC();
    }
    EXPECT_EQ(FindBitmapByDC(dc), nullptr);
}

TEST(BmpDC, DrawOntoAnotherBitmapsDCHonoursItsWindowOrigin)
{
    TbsBitmap src, dst;
    src.SetSize(2, 2);
    src.Clear(0xFF00FF00);
    dst.SetSize(10, 10);
    SetWindowOrgEx(dst.GetDC(), 5, 5, nullptr);
    src.Draw(dst.GetDC(), 6, 6);
    EXPECT_EQ(dst.GetPixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(dst.GetPixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(dst.GetPixel(6, 6), 0u);
}

TEST(BmpDC, ForeignDCModes)
{
    TbsBitmap src;
    src.SetSize(2, 1);
    src.SetPixel(0, 0, 0x80FFFFFF);
    src.SetPixel(1, 0, bsKeyColor);
    ForeignDib f(4, 2, false);
    for (int i = 0; i < 8; ++i) f.bits[i] = 0xFF000000;

    src.Draw(f.dc, 0, 0);   // opaque: copied as it is
    EXPECT_EQ(f.At(0, 0), 0x80FFFFFFu);
    EXPECT_EQ(f.At(1, 0), bsKeyColor);

    src.SetAlphaBlend(true);
    src.Draw(f.dc, 0, 1);
    EXPECT_EQ(f.At(0, 1), BlendPixel(0x80FFFFFF, 0xFF000000));
    EXPECT_EQ(f.At(1, 1), 0xFF000000u);

    src.SetAlphaBlend(false);
    src.SetTransparent(true);
    src.Draw(f.dc, TRect(2, 0, 4, 2));   // stretched to two rows
    EXPECT_EQ(f.At(2, 0), 0xFFFFFFFFu);   // key copies are opaque
    EXPECT_EQ(f.At(3, 0), 0xFF000000u);
    EXPECT_EQ(f.At(2, 1), 0xFFFFFFFFu);
}

TEST(BmpDC, TileWritesIntoBottomUpSections)
{
    TbsBitmap src;
    src.SetSize(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) src.SetPixel(x, y, 0xFF000000u | TbsColor(y << 8) | TbsColor(x));
    for (bool up : {true, false}) {
        ForeignDib f(5, 3, up);
        src.Tile(f.dc, TRect(0, 0, 5, 3), TRect(0, 0, 2, 2));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(f.At(x, y), 0xFF000000u | TbsColor((y % 2) << 8) | TbsColor(x % 2))
                    << up << " " << x << "," << y;
        ForeignDib g(5, 3, up);
        src.TileClip(g.dc, TRect(0, 0, 5, 3), TRect(3, 0, 4, 1), TRect(0, 0, 2, 2));
        EXPECT_EQ(g.At(2, 0), 0xFF000000u);
        EXPECT_EQ(g.At(3, 1), 0xFF000101u);
        EXPECT_EQ(g.At(0, 0), 0u);
    }
}

TEST(EffectBmpDC, DrawStretchAndCapture)
{
    TbsEffectBmp e(3, 2);
    ASSERT_NE(e.Handle, nullptr);
    e.SetPixel(0, 0, 0x112233);
    e.SetPixel(2, 1, 0x445566);
    TbsBitmap target;
    target.SetSize(6, 4);
    e.Draw(target.GetDC(), 1, 1);
    EXPECT_EQ(target.GetPixel(1, 1) & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(target.GetPixel(3, 2) & 0xFFFFFF, 0x445566u);
    e.Stretch(target.GetDC(), 0, 0, 6, 4);
    EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(target.GetPixel(5, 3) & 0xFFFFFF, 0x445566u);
    TbsBitmap t2;
    t2.SetSize(4, 4);
    e.DrawRect(t2.GetDC(), 0, 0, 2, 1, 1, 1);   // the pixel (2, 1) at (0, 0)
    EXPECT_EQ(t2.GetPixel(0, 0) & 0xFFFFFF, 0x445566u);

    std::unique_ptr<TbsEffectBmp> cap(TbsEffectBmp::CreateFromhWnd(target.GetHandle()));
    ASSERT_EQ(cap->Width, 6);
    ASSERT_EQ(cap->Height, 4);
    EXPECT_EQ(cap->GetPixel(5, 3), 0x445566u);
    std::unique_ptr<TbsEffectBmp> none(TbsEffectBmp::CreateFromhWnd(nullptr));
    EXPECT_EQ(none->Bits, nullptr);
}

TEST(BmpDC, AlphaAndKeyDrawingOntoAWindow)
{
    TTestDriver drv;
    WNDCLASS wc;
    wc.lpszClassName = "BmpDcProbe";
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClass(wc);
    HWND w = CreateWindowEx(0, "BmpDcProbe", "", WS_POPUP | WS_VISIBLE, 100, 100, 40, 30, nullptr);
    drv.PumpUntilIdle();
    TbsBitmap b;
    b.SetSize(4, 2);
    b.Clear(0x80000000);            // half-transparent black
    b.SetPixel(3, 1, 0x00FFFFFF);   // fully transparent
    b.SetAlphaBlend(true);
    HDC dc = GetDC(w);
    const TPixel before = drv.PixelAt(TPoint(110, 110));
    b.Draw(dc, 10, 10);
    ReleaseDC(w, dc);
    drv.PumpUntilIdle();
    const TPixel mixed = drv.PixelAt(TPoint(110, 110));
    EXPECT_NE(mixed, before);
    EXPECT_NEAR(int(PixelR(mixed)), int(PixelR(before)) / 2, 2);
    EXPECT_EQ(drv.PixelAt(TPoint(113, 111)), before);   // alpha 0 leaves the window's pixel

    TbsBitmap k;
    k.SetSize(2, 1);
    k.SetPixel(0, 0, bsKeyColor);
    k.SetPixel(1, 0, 0xFF00FF00);
    k.SetTransparent(true);
    dc = GetDC(w);
    k.Draw(dc, TRect(20, 20, 24, 22));   // stretched: key columns 20, 21
    ReleaseDC(w, dc);
    drv.PumpUntilIdle();
    EXPECT_EQ(drv.PixelAt(TPoint(120, 120)), before);
    EXPECT_EQ(drv.PixelAt(TPoint(123, 121)) & 0xFFFFFF, 0x00FF00u);
    DestroyWindow(w);
}
