// Blits, stretching, colour-keyed and alpha-blended copies, DIB sections and
// DIB bit transfers, checked pixel by pixel.
#include "platform/core/Exception.h"
#include "platform/os/Gdi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
struct MemDC
{
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    void* bits = nullptr;
    MemDC(int w, int h, int bpp = 32, bool bottomUp = false)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = bottomUp ? h : -h;
        bi.bmiHeader.biBitCount = WORD(bpp);
        bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bmp);
    }
    ~MemDC()
    {
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    TSurface& S() { return *GetDCSurface(dc); }
};

// Source row of distinct pixels: pixel i has red = 10 * (i + 1).
void FillRamp(TSurface& s)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, MakePixel(BYTE(10 * (x + 1)), BYTE(10 * (y + 1)), 0, 200));
}

std::vector<int> RedRow(const TSurface& s, int y)
{
    std::vector<int> out;
    for (int x = 0; x < s.Width(); ++x) out.push_back(PixelR(s.Pixel(x, y)));
    return out;
}
}  // namespace

TEST(GdiBlit, BitBltCopiesWithAlphaOriginsAndClip)
{
    MemDC src(4, 2), dst(5, 2);
    FillRamp(src.S());
    dst.S().Fill(0);
    SetWindowOrgEx(src.dc, 1, 0, nullptr);          // logical 1 = source column 0
    IntersectClipRect(dst.dc, 0, 0, 4, 2);
    EXPECT_TRUE(BitBlt(dst.dc, 1, 0, 4, 2, src.dc, 2, 0, SRCCOPY));
    EXPECT_EQ(RedRow(dst.S(), 0), (std::vector<int>{0, 20, 30, 40, 0}));   // column 4 clipped
    EXPECT_EQ(PixelA(dst.S().Pixel(1, 1)), 200);                          // alpha travels
    EXPECT_EQ(PixelG(dst.S().Pixel(1, 1)), 20);
    // Source columns beyond the source surface are not drawn.
    dst.S().Fill(0);
    SelectClipRgn(dst.dc, nullptr);
    BitBlt(dst.dc, 0, 0, 5, 1, src.dc, 3, 0, SRCCOPY);
    EXPECT_EQ(RedRow(dst.S(), 0), (std::vector<int>{30, 40, 0, 0, 0}));
}

TEST(GdiBlit, OverlappingCopyInsideOneSurface)
{
    MemDC m(6, 1);
    FillRamp(m.S());
    BitBlt(m.dc, 1, 0, 5, 1, m.dc, 0, 0, SRCCOPY);   // scroll right by one
    EXPECT_EQ(RedRow(m.S(), 0), (std::vector<int>{10, 10, 20, 30, 40, 50}));
    BitBlt(m.dc, 0, 0, 5, 1, m.dc, 1, 0, SRCCOPY);   // and back left
    EXPECT_EQ(RedRow(m.S(), 0), (std::vector<int>{10, 20, 30, 40, 50, 50}));
}

TEST(GdiBlit, RasterOps)
{
    struct Case { DWORD rop; TPixel src, dst, expect; };
    const Case cases[] = {
        {SRCCOPY, 0x80123456, 0xFF000000, 0x80123456},
        {SRCAND, 0xFF0F0F0F, 0xFF3C3C3C, 0xFF0C0C0C},
        {SRCPAINT, 0xFF0F0F0F, 0xFF3C3C3C, 0xFF3F3F3F},
        {SRCINVERT, 0xFF0F0F0F, 0xFF3C3C3C, 0x00333333},
        {NOTSRCCOPY, 0xFF0F0F0F, 0xFF3C3C3C, 0x00F0F0F0},
        {DSTINVERT, 0xFF0F0F0F, 0xFF3C3C3C, 0xFFC3C3C3},
        {BLACKNESS, 0xFF0F0F0F, 0xFF3C3C3C, 0xFF000000},
        {WHITENESS, 0xFF0F0F0F, 0xFF3C3C3C, 0xFFFFFFFF},
    };
    for (const Case& c : cases)
    {
        MemDC s(1, 1), d(1, 1);
        s.S().SetPixel(0, 0, c.src);
        d.S().SetPixel(0, 0, c.dst);
        EXPECT_TRUE(BitBlt(d.dc, 0, 0, 1, 1, s.dc, 0, 0, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(d.S().Pixel(0, 0), c.expect) << std::hex << c.rop;
    }
    MemDC s(1, 1), d(1, 1);
    EXPECT_FALSE(BitBlt(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 0x00123456));   // unknown op
    // Pattern ops with the selected brush.
    HBRUSH b = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    SelectObject(d.dc, b);
    EXPECT_TRUE(PatBlt(d.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(d.S().Pixel(0, 0), 0xFF123456u);
    EXPECT_TRUE(PatBlt(d.dc, 0, 0, 1, 1, PATINVERT));
    EXPECT_EQ(d.S().Pixel(0, 0), 0xFF000000u);
    SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(b);
}

TEST(GdiBlit, StretchNearestAndMirror)
{
    struct Case { int srcW, dstW; std::vector<int> reds; };
    const Case cases[] = {
        {2, 4, {10, 10, 20, 20}},
        {4, 2, {20, 40}},
        {3, 1, {20}},
        {1, 3, {10, 10, 10}},
        {5, 5, {10, 20, 30, 40, 50}},
    };
    for (const Case& c : cases)
    {
        MemDC s(c.srcW, 1), d(c.dstW, 1);
        FillRamp(s.S());
        SetStretchBltMode(d.dc, COLORONCOLOR);
        EXPECT_TRUE(StretchBlt(d.dc, 0, 0, c.dstW, 1, s.dc, 0, 0, c.srcW, 1, SRCCOPY));
        EXPECT_EQ(RedRow(d.S(), 0), c.reds) << c.srcW << "->" << c.dstW;
    }
    MemDC s(3, 2), d(3, 2);
    FillRamp(s.S());
    StretchBlt(d.dc, 2, 0, -3, 2, s.dc, 0, 0, 3, 2, SRCCOPY);   // mirrored across x
    EXPECT_EQ(RedRow(d.S(), 0), (std::vector<int>{30, 20, 10}));
    StretchBlt(d.dc, 0, 1, 3, -2, s.dc, 0, 0, 3, 2, SRCCOPY);   // mirrored across y
    EXPECT_EQ(PixelG(d.S().Pixel(0, 0)), 20);
    EXPECT_EQ(PixelG(d.S().Pixel(0, 1)), 10);
    // A 1-row source stretched to 3 rows repeats it.
    MemDC one(2, 1), tall(2, 3);
    FillRamp(one.S());
    StretchBlt(tall.dc, 0, 0, 2, 3, one.dc, 0, 0, 2, 1, SRCCOPY);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(RedRow(tall.S(), y), (std::vector<int>{10, 20}));
}

TEST(GdiBlit, TransparentBltSkipsKeyColour)
{
    MemDC s(3, 1), d(6, 1);
    const TPixel key = MakePixel(127, 0, 127, 0);
    s.S().SetPixel(0, 0, MakePixel(1, 2, 3));
    s.S().SetPixel(1, 0, key);
    s.S().SetPixel(2, 0, MakePixel(4, 5, 6));
    d.S().Fill(0xFFFFFFFF);
    EXPECT_TRUE(TransparentBlt(d.dc, 0, 0, 6, 1, s.dc, 0, 0, 3, 1, RGB(127, 0, 127)));
    const TPixel W = 0xFFFFFFFF, A = MakePixel(1, 2, 3), B = MakePixel(4, 5, 6);
    const TPixel expect[6] = {A, A, W, W, B, B};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(d.S().Pixel(x, 0), expect[x]) << x;
    EXPECT_FALSE(TransparentBlt(d.dc, 0, 0, -1, 1, s.dc, 0, 0, 3, 1, 0));
}

TEST(GdiBlit, AlphaBlendConstantAndPerPixel)
{
    struct Case
    {
        const char* name;
        TPixel src, dst;
        BYTE constant, format;
        TPixel expect;
    };
    const Case cases[] = {
        // Constant alpha only: d = s*k + d*(1-k) on every channel.
        {"constant half", MakePixel(255, 0, 0, 255), MakePixel(0, 0, 255, 255), 128, 0, MakePixel(128, 0, 127, 255)},
        {"constant zero", MakePixel(255, 0, 0, 255), MakePixel(0, 0, 255, 255), 0, 0, MakePixel(0, 0, 255, 255)},
        {"constant full", MakePixel(10, 20, 30, 40), MakePixel(0, 0, 255, 255), 255, 0, MakePixel(10, 20, 30, 40)},
        // Per-pixel, premultiplied source: d = s + d*(1 - s.a).
        {"per-pixel half red over white", MakePixel(128, 0, 0, 128), MakePixel(255, 255, 255, 255), 255, AC_SRC_ALPHA,
         MakePixel(255, 127, 127, 255)},
        {"per-pixel transparent", MakePixel(0, 0, 0, 0), MakePixel(9, 8, 7, 6), 255, AC_SRC_ALPHA, MakePixel(9, 8, 7, 6)},
        {"per-pixel opaque", MakePixel(1, 2, 3, 255), MakePixel(9, 8, 7, 6), 255, AC_SRC_ALPHA, MakePixel(1, 2, 3, 255)},
        // Both: the source is first scaled by the constant.
        {"per-pixel and constant", MakePixel(200, 100, 0, 200), MakePixel(0, 0, 0, 255), 128, AC_SRC_ALPHA,
         MakePixel(100, 50, 0, 255)},
        {"onto transparent", MakePixel(100, 0, 0, 100), MakePixel(0, 0, 0, 0), 255, AC_SRC_ALPHA,
         MakePixel(100, 0, 0, 100)},
    };
    for (const Case& c : cases)
    {
        MemDC s(1, 1), d(1, 1);
        s.S().SetPixel(0, 0, c.src);
        d.S().SetPixel(0, 0, c.dst);
        BLENDFUNCTION bf{AC_SRC_OVER, 0, c.constant, c.format};
        EXPECT_TRUE(AlphaBlend(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 1, 1, bf)) << c.name;
        EXPECT_EQ(d.S().Pixel(0, 0), c.expect) << c.name << std::hex << " got " << d.S().Pixel(0, 0);
    }
    MemDC s(2, 2), d(4, 4);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_FALSE(AlphaBlend(d.dc, 0, 0, 2, 2, s.dc, 1, 0, 2, 2, bf));   // source leaves the bitmap
    EXPECT_FALSE(AlphaBlend(d.dc, 0, 0, -2, 2, s.dc, 0, 0, 2, 2, bf));
    // Stretched blend: each source pixel covers 2 x 2.
    s.S().Fill(MakePixel(255, 0, 0, 255));
    s.S().SetPixel(1, 1, 0);
    d.S().Fill(MakePixel(0, 0, 255, 255));
    EXPECT_TRUE(AlphaBlend(d.dc, 0, 0, 4, 4, s.dc, 0, 0, 2, 2, bf));
    EXPECT_EQ(d.S().Pixel(1, 1), MakePixel(255, 0, 0, 255));
    EXPECT_EQ(d.S().Pixel(3, 3), MakePixel(0, 0, 255, 255));
    EXPECT_EQ(d.S().Pixel(2, 3), MakePixel(0, 0, 255, 255));
    EXPECT_EQ(d.S().Pixel(3, 1), MakePixel(255, 0, 0, 255));
}

TEST(GdiBlit, AlphaBlendSurfaceForCompositing)
{
    TSurface dst(3, 1), src(2, 1);
    dst.Fill(MakePixel(0, 0, 0, 255));
    src.Fill(MakePixel(255, 255, 255, 255));
    TRegion clip(Rect(0, 0, 2, 1));
    AlphaBlendSurface(dst, 1, 0, src, src.Bounds(), BLENDFUNCTION{AC_SRC_OVER, 0, 51, 0}, &clip);
    EXPECT_EQ(dst.Pixel(0, 0), MakePixel(0, 0, 0, 255));
    EXPECT_EQ(dst.Pixel(1, 0), MakePixel(51, 51, 51, 255));
    EXPECT_EQ(dst.Pixel(2, 0), MakePixel(0, 0, 0, 255));   // clipped
}

TEST(GdiBlit, DibSectionsExposeTheirPixels)
{
    struct Case { int bpp; bool bottomUp; };
    for (const Case c : {Case{32, false}, Case{32, true}, Case{24, false}, Case{24, true}})
    {
        MemDC m(5, 3, c.bpp, c.bottomUp);
        ASSERT_NE(m.bits, nullptr);
        const int stride = c.bpp == 32 ? 20 : 16;   // 5 * 3 = 15 rounded to 16
        auto* bytes = static_cast<unsigned char*>(m.bits);
        // Drawing lands at the right memory row.
        HBRUSH b = CreateSolidBrush(RGB(10, 20, 30));
        FillRect(m.dc, Rect(1, 0, 2, 1), b);   // top row, column 1
        DeleteObject(b);
        const int memRow = c.bottomUp ? 2 : 0;
        unsigned char* p = bytes + memRow * stride + 1 * (c.bpp / 8);
        EXPECT_EQ(p[0], 30);
        EXPECT_EQ(p[1], 20);
        EXPECT_EQ(p[2], 10);
        // Writing the memory shows up in the DC.
        unsigned char* q = bytes + (c.bottomUp ? 0 : 2) * stride + 4 * (c.bpp / 8);   // bottom row, column 4
        q[0] = 3;
        q[1] = 2;
        q[2] = 1;
        EXPECT_EQ(GetPixel(m.dc, 4, 2), RGB(1, 2, 3)) << c.bpp << (c.bottomUp ? " bottom-up" : " top-down");
        DIBSECTION ds;
        EXPECT_EQ(GetObject(m.bmp, sizeof ds, &ds), int(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmBits, m.bits);
        EXPECT_EQ(ds.dsBmih.biHeight, c.bottomUp ? 3 : -3);
        EXPECT_EQ(ds.dsBmih.biBitCount, c.bpp);
        EXPECT_EQ(ds.dsBm.bmWidthBytes, stride);
    }
    // A 24-bit section filled by a copy from a 32-bit one, read through its bits.
    MemDC src(3, 2), dst24(3, 2, 24, false);
    FillRamp(src.S());
    EXPECT_TRUE(BitBlt(dst24.dc, 0, 0, 3, 2, src.dc, 0, 0, SRCCOPY));
    const auto* row1 = static_cast<const unsigned char*>(dst24.bits) + 12;   // stride 9 -> 12
    EXPECT_EQ(row1[2 * 3 + 2], 30);   // red of (2, 1)
    EXPECT_EQ(row1[2 * 3 + 1], 20);   // green of (2, 1)
    BITMAPINFO bad{};
    bad.bmiHeader.biWidth = 4;
    bad.bmiHeader.biHeight = 4;
    bad.bmiHeader.biBitCount = 8;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    bad.bmiHeader.biBitCount = 32;
    bad.bmiHeader.biWidth = 0;
    EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    bad.bmiHeader.biWidth = 100000;
    bad.bmiHeader.biHeight = 100000;
    EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

// A top-down 24-bit row with no padding, in a buffer of exactly its size:
// every pixel keeps its own red, green and blue, the last one included.
TEST(GdiBlit, DibRowOfDistinctColoursToDevice)
{
    const int w = 4;
    std::vector<unsigned char> row(size_t(w * 3));
    for (int x = 0; x < w; ++x)
    {
        row[size_t(x * 3)] = BYTE(10 + x);       // blue
        row[size_t(x * 3 + 1)] = BYTE(100 + x);  // green
        row[size_t(x * 3 + 2)] = BYTE(200 + x);  // red
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    MemDC d(6, 2);
    d.S().Fill(0xFF000000u);
    EXPECT_EQ(SetDIBitsToDevice(d.dc, 1, 0, DWORD(w), 1, 0, 0, 0, 1, row.data(), &bi, DIB_RGB_COLORS), 1);
    for (int x = 0; x < w; ++x)
        EXPECT_EQ(GetPixel(d.dc, 1 + x, 0), RGB(200 + x, 100 + x, 10 + x)) << x;
    EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(d.dc, 5, 0), RGB(0, 0, 0));
}

TEST(GdiBlit, DibBitsInAndOut)
{
    // A 2 x 3 bottom-up 24-bit picture: rows in memory bottom first; pixel
    // (x, row-from-top y) has blue = 10 * y + x.
    const int w = 2, h = 3, stride = 8;
    std::vector<unsigned char> pic(size_t(stride * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pic[size_t((h - 1 - y) * stride + x * 3)] = BYTE(10 * y + x);
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biBitCount = 24;
    auto blue = [](HDC dc, int x, int y) { return int(GetBValue(GetPixel(dc, x, y))); };

    MemDC d(4, 4);
    d.S().Fill(0xFF000000u);
    // The source origin of a bottom-up DIB is its lower-left corner: (0, 1)
    // with height 2 are the top two rows.
    EXPECT_EQ(StretchDIBits(d.dc, 0, 0, 2, 2, 0, 1, 2, 2, pic.data(), &bi, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(blue(d.dc, 0, 0), 0);
    EXPECT_EQ(blue(d.dc, 1, 1), 11);
    EXPECT_EQ(blue(d.dc, 0, 2), 0);   // untouched

    // Scan lines 1..2 (from the bottom) only: the top two rows of the picture.
    d.S().Fill(0xFF000000u);
    const unsigned char* band = pic.data() + stride;   // starts with scan line 1
    EXPECT_EQ(SetDIBitsToDevice(d.dc, 1, 0, 2, 3, 0, 0, 1, 2, band, &bi, DIB_RGB_COLORS), 2);
    EXPECT_EQ(blue(d.dc, 1, 0), 0);
    EXPECT_EQ(blue(d.dc, 2, 1), 11);
    EXPECT_EQ(GetPixel(d.dc, 1, 2), RGB(0, 0, 0));   // scan line 0 was not given

    // Reading back as 32-bit top-down and 24-bit bottom-up.
    MemDC src(2, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) src.S().SetPixel(x, y, MakePixel(0, 0, BYTE(10 * y + x), 255));
    BITMAPINFO q{};
    EXPECT_EQ(GetDIBits(src.dc, src.bmp, 0, 3, nullptr, &q, DIB_RGB_COLORS), 3);
    EXPECT_EQ(q.bmiHeader.biWidth, 2);
    EXPECT_EQ(q.bmiHeader.biBitCount, 32);
    q.bmiHeader.biHeight = -3;
    std::vector<TPixel> out(6);
    EXPECT_EQ(GetDIBits(src.dc, src.bmp, 0, 3, out.data(), &q, DIB_RGB_COLORS), 3);
    EXPECT_EQ(PixelB(out[5]), 21);
    q.bmiHeader.biHeight = 3;
    q.bmiHeader.biBitCount = 24;
    std::vector<unsigned char> out24(24, 0xEE);
    EXPECT_EQ(GetDIBits(src.dc, src.bmp, 0, 3, out24.data(), &q, DIB_RGB_COLORS), 3);
    EXPECT_EQ(out24[0], 20);        // first line in memory is the bottom row
    EXPECT_EQ(out24[16 + 3], 1);    // last line is the top row, column 1
    EXPECT_EQ(GetDIBits(src.dc, src.bmp, 5, 1, out24.data(), &q, DIB_RGB_COLORS), 0);
}

TEST(GdiBlit, PngRoundTrip)
{
    TSurface s(3, 2);
    s.SetPixel(0, 0, MakePixel(255, 0, 0, 255));
    s.SetPixel(2, 1, MakePixel(0, 0, 255, 128));
    const std::string path = std::string(QUORVEL_BINARY_DIR) + "/gdi_png_roundtrip.png";
    ASSERT_TRUE(s.SavePng(path));
    TSurface back = TSurface::LoadPng(path);
    ASSERT_EQ(back.Width(), 3);
    ASSERT_EQ(back.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.Pixel(x, y), s.Pixel(x, y));
    EXPECT_THROW(TSurface::LoadPng(path + ".missing"), Exception);
    std::remove(path.c_str());
}
