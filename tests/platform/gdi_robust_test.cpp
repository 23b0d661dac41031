// Bad input never crashes the drawing layer: extreme coordinates, random
// bytes as text, random format flags. Runs under the sanitizers.
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <string>

TEST(GdiRobust, ExtremeCoordinatesAreRefusedOrClipped)
{
    TSurface s(16, 16);
    HDC dc = CreateSurfaceDC(&s, TPoint(2, 2), TRegion(Rect(0, 0, 12, 12)));
    HDC src = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(nullptr, 4, 4);
    SelectObject(src, bmp);
    const int vals[] = {INT_MIN, INT_MIN + 1, -(1 << 28), -100000, -1, 0, 5, 100000, 1 << 28, INT_MAX - 1, INT_MAX};
    std::mt19937 rng(7);
    auto pick = [&] { return vals[rng() % (sizeof vals / sizeof vals[0])]; };
    for (int i = 0; i < 400; ++i)
    {
        const int a = pick(), b = pick(), c = pick(), d = pick();
        FillRect(dc, Rect(a, b, c, d), GetSysColorBrush(COLOR_WINDOWTEXT));
        FrameRect(dc, Rect(a, b, c, d), GetSysColorBrush(COLOR_WINDOWTEXT));
        DrawFocusRect(dc, Rect(a, b, c, d));
        Rectangle(dc, a, b, c, d);
        MoveToEx(dc, a, b, nullptr);
        LineTo(dc, c, d);
        SetPixel(dc, a, b, 0);
        BitBlt(dc, a, b, c, d, src, pick(), pick(), SRCCOPY);
        StretchBlt(dc, a, b, c, d, src, 0, 0, 4, 4, SRCCOPY);
        BLENDFUNCTION bf{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
        AlphaBlend(dc, a, b, c, d, src, 0, 0, 4, 4, bf);
        TransparentBlt(dc, a, b, c, d, src, 0, 0, 4, 4, 0);
        PatBlt(dc, a, b, c, d, PATCOPY);
        SetWindowOrgEx(dc, pick() % 1000, pick() % 1000, nullptr);
        OffsetWindowOrgEx(dc, a, b, nullptr);
        IntersectClipRect(dc, a, b, c, d);
        ExcludeClipRect(dc, a, b, c, d);
        OffsetClipRgn(dc, a, b);
        TRect r = Rect(a, b, c, d);
        DrawText(dc, "Text 中文", r, DT_WORDBREAK | DT_CENTER);
        TextOut(dc, a, b, "x");
        TRect e = Rect(a, b, c, d);
        DrawEdge(dc, e, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        if (i % 50 == 0)
        {
            SelectClipRgn(dc, nullptr);
            SetWindowOrgEx(dc, 0, 0, nullptr);
        }
    }
    // A line from far outside across the surface still draws the visible part.
    SelectClipRgn(dc, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    s.Fill(0);
    MoveToEx(dc, -(1 << 27), 5, nullptr);
    EXPECT_TRUE(LineTo(dc, 1 << 27, 5));
    EXPECT_EQ(s.Pixel(7, 7), 0xFF000000u);
    EXPECT_EQ(s.Pixel(2, 7), 0xFF000000u);
    EXPECT_EQ(s.Pixel(1, 7), 0u);   // outside the visible region
    HRGN rgn = CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(OffsetRgn(rgn, INT_MAX, 0), RGN_ERROR);
    SelectClipRgn(dc, rgn);
    EXPECT_EQ(FillRect(dc, Rect(0, 0, 3, 3), GetSysColorBrush(COLOR_WINDOW)), 1);
    DeleteObject(rgn);
    DeleteDC(dc);
    DeleteDC(src);
    DeleteObject(bmp);
}

TEST(GdiRobust, RandomTextAndFlags)
{
    TSurface s(64, 48);
    HDC dc = CreateSurfaceDC(&s, TPoint(), TRegion(s.Bounds()));
    std::mt19937 rng(99);
    const UINT flagPool[] = {DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_WORDBREAK, DT_SINGLELINE, DT_EXPANDTABS,
                             DT_TABSTOP, DT_NOCLIP, DT_CALCRECT, DT_NOPREFIX, DT_PATH_ELLIPSIS, DT_END_ELLIPSIS,
                             DT_HIDEPREFIX, DT_WORD_ELLIPSIS, 0xFF00};
    const char* pieces[] = {"&", "&&", "\t", "\r\n", "\n", " ", "中", "文", "a", "/", "\\", "\xC3", "\xE4\xB8", "\xFF",
                            "\xF0\x9F\x98\x80", "\xED\xA0\x80", "word"};
    for (int i = 0; i < 600; ++i)
    {
        std::string text;
        const int n = int(rng() % 24);
        for (int k = 0; k < n; ++k) text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        UINT flags = 0;
        for (UINT f : flagPool)
            if (rng() % 4 == 0) flags |= f;
        const int w = int(rng() % 80) - 10, h = int(rng() % 60) - 10;
        TRect r = Bounds(int(rng() % 20) - 5, int(rng() % 20) - 5, w, h);
        DRAWTEXTPARAMS p;
        p.iTabLength = int(rng() % 5) - 1;
        p.iLeftMargin = int(rng() % 6);
        p.iRightMargin = int(rng() % 6);
        const int ret = DrawTextEx(dc, text, r, flags, (i % 2) ? &p : nullptr);
        EXPECT_LT(std::abs(ret), 100000);
        TextOut(dc, 1, 1, text);
        const int stops[] = {int(rng() % 30), int(rng() % 30) + 30};
        TabbedTextOut(dc, 0, 20, text, int(rng() % 3), stops, 0);
        TSize sz;
        EXPECT_TRUE(GetTextExtentPoint32(dc, text, &sz));
    }
    // Odd font requests.
    for (int height : {INT_MIN, -100000, -1, 0, 1, 100000, INT_MAX})
    {
        HFONT f = CreateFont(height, 0, 0, 0, FW_HEAVY, 1, 1, 1, 0, 0, 0, 0, 0, "\xFF\xFE bad name");
        ASSERT_NE(f, nullptr);
        SelectObject(dc, f);
        TextOut(dc, 0, 0, "Ag中");
        TEXTMETRIC tm;
        EXPECT_TRUE(GetTextMetrics(dc, &tm));
        EXPECT_GT(tm.tmHeight, 0);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DeleteObject(f);
    }
    DeleteDC(dc);
}
