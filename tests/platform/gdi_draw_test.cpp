// Device contexts: origins, clipping, saved states, object selection and
// the basic drawing calls, checked pixel by pixel on small surfaces.
#include "platform/os/Gdi.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr TPixel kBlack = 0xFF000000u;
constexpr TPixel kWhite = 0xFFFFFFFFu;
constexpr TPixel kRed = 0xFFFF0000u;

// A picture as text: '#' where the pixel equals `on`, '.' elsewhere.
std::string Picture(const TSurface& s, TPixel on)
{
    std::string out;
    for (int y = 0; y < s.Height(); ++y)
    {
        for (int x = 0; x < s.Width(); ++x) out += s.Pixel(x, y) == on ? '#' : '.';
        out += '\n';
    }
    return out;
}

std::string Rows(std::initializer_list<const char*> rows)
{
    std::string out;
    for (const char* r : rows) (out += r) += '\n';
    return out;
}

// A memory DC over a fresh 32-bit DIB section of w x h, filled with `fill`.
struct MemDC
{
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    void* bits = nullptr;
    MemDC(int w, int h, TPixel fill = kWhite, bool bottomUp = false)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = bottomUp ? h : -h;
        bi.bmiHeader.biBitCount = 32;
        bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bmp);
        Surface().Fill(fill);
    }
    ~MemDC()
    {
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    TSurface& Surface() { return *GetDCSurface(dc); }
};
}  // namespace

TEST(GdiDraw, FillRectHonoursOriginsAndClip)
{
    struct Case
    {
        const char* name;
        std::function<void(HDC)> setup;
        TRect fill;
        std::string expect;
    };
    const Case cases[] = {
        {"plain", [](HDC) {}, Rect(1, 1, 4, 3), Rows({"......", ".###..", ".###..", "......"})},
        {"window origin", [](HDC dc) { SetWindowOrgEx(dc, 1, 1, nullptr); }, Rect(1, 1, 4, 3),
         Rows({"###...", "###...", "......", "......"})},
        {"viewport origin", [](HDC dc) { SetViewportOrgEx(dc, 2, 1, nullptr); }, Rect(0, 0, 2, 2),
         Rows({"......", "..##..", "..##..", "......"})},
        {"intersect clip (logical)",
         [](HDC dc) {
             SetWindowOrgEx(dc, -1, 0, nullptr);
             IntersectClipRect(dc, 0, 0, 2, 4);   // device columns 1..2
         },
         Rect(-1, 0, 6, 4), Rows({".##...", ".##...", ".##...", ".##..."})},
        {"exclude clip", [](HDC dc) { ExcludeClipRect(dc, 2, 1, 4, 3); }, Rect(0, 0, 6, 4),
         Rows({"######", "##..##", "##..##", "######"})},
        {"clip region",
         [](HDC dc) {
             HRGN r = CreateRectRgn(0, 0, 1, 4);
             HRGN r2 = CreateRectRgn(5, 0, 6, 1);
             CombineRgn(r, r, r2, RGN_OR);
             SelectClipRgn(dc, r);
             DeleteObject(r);   // the DC keeps its own copy
             DeleteObject(r2);
         },
         Rect(0, 0, 6, 4), Rows({"#....#", "#.....", "#.....", "#....."})},
        {"combined clip",
         [](HDC dc) {
             IntersectClipRect(dc, 0, 0, 2, 4);
             HRGN r = CreateRectRgn(4, 0, 6, 2);
             EXPECT_EQ(ExtSelectClipRgn(dc, r, RGN_OR), COMPLEXREGION);
             SetRectRgn(r, 0, 3, 6, 4);
             ExtSelectClipRgn(dc, r, RGN_DIFF);
             HRGN got = CreateRectRgn(0, 0, 0, 0);
             EXPECT_EQ(GetClipRgn(dc, got), 1);
             EXPECT_EQ(*RegionOf(got), TRegion::FromRects({Rect(0, 0, 2, 3), Rect(4, 0, 6, 2)}));
             DeleteObject(r);
             DeleteObject(got);
         },
         Rect(0, 0, 6, 4), Rows({"##..##", "##..##", "##....", "......"})},
        {"clip region removed",
         [](HDC dc) {
             IntersectClipRect(dc, 0, 0, 1, 1);
             SelectClipRgn(dc, nullptr);
             HRGN got = CreateRectRgn(0, 0, 0, 0);
             EXPECT_EQ(GetClipRgn(dc, got), 0);
             DeleteObject(got);
         },
         Rect(0, 0, 2, 1), Rows({"##....", "......", "......", "......"})},
    };
    for (const Case& c : cases)
    {
        MemDC m(6, 4);
        c.setup(m.dc);
        HBRUSH b = CreateSolidBrush(RGB(0, 0, 0));
        FillRect(m.dc, c.fill, b);
        DeleteObject(b);
        EXPECT_EQ(Picture(m.Surface(), kBlack), c.expect) << c.name;
    }
}

TEST(GdiDraw, SurfaceDCOriginAndVisibleRegion)
{
    // A window DC on a shared surface: device (0,0) at (2,1), visible part
    // limited; drawing never leaves it whatever the logical coordinates.
    TSurface s(8, 5);
    s.Fill(kWhite);
    TRegion vis = TRegion(Rect(0, 0, 4, 3)).Subtract(TRegion(Rect(1, 1, 2, 2)));
    HDC dc = CreateSurfaceDC(&s, TPoint(2, 1), vis);
    FillRect(dc, Rect(-5, -5, 50, 50), GetSysColorBrush(COLOR_WINDOWTEXT));
    EXPECT_EQ(Picture(s, kBlack), Rows({"........", "..####..", "..#.##..", "..####..", "........"}));
    TRect box;
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box, Rect(0, 0, 4, 3));
    SetWindowOrgEx(dc, 10, 10, nullptr);
    GetClipBox(dc, &box);
    EXPECT_EQ(box, Rect(10, 10, 14, 13));
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 11, 11), CLR_INVALID);   // outside the visible region
    TPoint org;
    GetDCOrgEx(dc, &org);
    EXPECT_EQ(org, TPoint(2, 1));
    DeleteDC(dc);
}

TEST(GdiDraw, SaveAndRestoreState)
{
    MemDC m(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(m.dc, red);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    int level = SaveDC(m.dc);
    EXPECT_EQ(level, 1);
    SelectObject(m.dc, GetStockObject(WHITE_PEN));
    SetWindowOrgEx(m.dc, 3, 3, nullptr);
    IntersectClipRect(m.dc, 3, 3, 4, 4);
    SetTextColor(m.dc, RGB(1, 2, 3));
    EXPECT_EQ(SaveDC(m.dc), 2);
    SetBkMode(m.dc, TRANSPARENT);
    EXPECT_TRUE(RestoreDC(m.dc, -1));
    EXPECT_EQ(GetBkMode(m.dc), OPAQUE);
    EXPECT_EQ(GetTextColor(m.dc), RGB(1, 2, 3));
    EXPECT_TRUE(RestoreDC(m.dc, 1));
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_PEN), red);
    TPoint org;
    GetWindowOrgEx(m.dc, &org);
    EXPECT_EQ(org, TPoint(0, 0));
    TRect box;
    EXPECT_EQ(GetClipBox(m.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(0, 0, 4, 4));
    EXPECT_FALSE(RestoreDC(m.dc, 1));   // nothing saved any more
    EXPECT_FALSE(RestoreDC(m.dc, 0));
    SelectObject(m.dc, oldPen);
    DeleteObject(red);
}

TEST(GdiDraw, ObjectsLiveWhileSelected)
{
    MemDC m(3, 1);
    HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
    SelectObject(m.dc, b);
    SaveDC(m.dc);
    EXPECT_TRUE(DeleteObject(b));    // still selected: kept until deselected
    EXPECT_TRUE(PatBlt(m.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(m.Surface().Pixel(0, 0), kRed);
    SelectObject(m.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(IsGdiObject(b));     // the saved state still holds it
    RestoreDC(m.dc, -1);
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BRUSH), b);
    SelectObject(m.dc, GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(IsGdiObject(b));    // last selection gone: freed
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));   // stock objects stay
    EXPECT_TRUE(IsGdiObject(GetStockObject(BLACK_PEN)));
}

TEST(GdiDraw, BitmapSelectedInOneDCOnly)
{
    HBITMAP bmp = CreateCompatibleBitmap(nullptr, 2, 2);
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(a, bmp), nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    TSurface s(2, 2);
    HDC win = CreateSurfaceDC(&s, TPoint(), TRegion(s.Bounds()));
    EXPECT_EQ(SelectObject(win, bmp), nullptr);   // not a memory DC
    DeleteDC(a);                                   // frees the selection
    EXPECT_NE(SelectObject(b, bmp), nullptr);
    DeleteDC(b);
    DeleteDC(win);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, -1, 2), nullptr);
    HBITMAP one = CreateCompatibleBitmap(nullptr, 0, 5);
    BITMAP bm;
    EXPECT_EQ(GetObject(one, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    DeleteObject(one);
}

TEST(GdiDraw, LinesRectanglesAndFrames)
{
    struct Case
    {
        const char* name;
        std::function<void(HDC)> draw;
        std::string expect;
    };
    const Case cases[] = {
        {"line excludes end point",
         [](HDC dc) {
             MoveToEx(dc, 0, 0, nullptr);
             LineTo(dc, 5, 0);
             LineTo(dc, 5, 3);
         },
         Rows({"######", ".....#", ".....#", "......"})},
        {"diagonal", [](HDC dc) { MoveToEx(dc, 0, 0, nullptr); LineTo(dc, 4, 4); },
         Rows({"#.....", ".#....", "..#...", "...#.."})},
        {"rectangle outline and fill",
         [](HDC dc) {
             SelectObject(dc, GetStockObject(NULL_BRUSH));
             Rectangle(dc, 0, 0, 6, 4);
         },
         Rows({"######", "#....#", "#....#", "######"})},
        {"rectangle with brush, no pen",
         [](HDC dc) {
             SelectObject(dc, GetStockObject(NULL_PEN));
             SelectObject(dc, GetStockObject(BLACK_BRUSH));
             Rectangle(dc, 1, 1, 4, 3);
         },
         Rows({"......", ".###..", ".###..", "......"})},
        {"frame rect", [](HDC dc) { FrameRect(dc, Rect(1, 0, 5, 4), GetSysColorBrush(COLOR_BTNTEXT)); },
         Rows({".####.", ".#..#.", ".#..#.", ".####."})},
        {"polygon", [](HDC dc) {
             SelectObject(dc, GetStockObject(NULL_PEN));
             SelectObject(dc, GetStockObject(BLACK_BRUSH));
             const TPoint tri[] = {{0, 0}, {4, 0}, {0, 4}};
             Polygon(dc, tri, 3);
         },
         Rows({"###...", "##....", "#.....", "......"})},
        {"polyline", [](HDC dc) {
             const TPoint pts[] = {{0, 3}, {2, 3}, {2, 1}};
             Polyline(dc, pts, 3);
         },
         Rows({"......", "......", "..#...", "###..."})},
        {"xor pen twice restores", [](HDC dc) {
             SetROP2(dc, R2_NOT);
             MoveToEx(dc, 0, 1, nullptr);
             LineTo(dc, 6, 1);
             MoveToEx(dc, 0, 1, nullptr);
             LineTo(dc, 3, 1);
         },
         Rows({"......", "...###", "......", "......"})},
        {"pixels", [](HDC dc) {
             EXPECT_EQ(SetPixel(dc, 5, 3, RGB(0, 0, 0)), RGB(0, 0, 0));
             EXPECT_EQ(SetPixel(dc, 6, 3, RGB(0, 0, 0)), CLR_INVALID);
         },
         Rows({"......", "......", "......", ".....#"})},
    };
    for (const Case& c : cases)
    {
        MemDC m(6, 4);
        c.draw(m.dc);
        EXPECT_EQ(Picture(m.Surface(), kBlack), c.expect) << c.name;
    }
}

TEST(GdiDraw, FocusRectIsDottedAndUndoesItself)
{
    MemDC m(5, 4);
    EXPECT_TRUE(DrawFocusRect(m.dc, Rect(0, 0, 5, 4)));
    EXPECT_EQ(Picture(m.Surface(), kBlack), Rows({"#.#.#", ".....", "#...#", ".#.#."}));
    DrawFocusRect(m.dc, Rect(0, 0, 5, 4));
    EXPECT_EQ(Picture(m.Surface(), kWhite), Rows({"#####", "#####", "#####", "#####"}));
}

TEST(GdiDraw, DrawEdgeAdjustsAndUsesSystemColours)
{
    MemDC m(6, 6);
    TRect r = Rect(0, 0, 6, 6);
    EXPECT_TRUE(DrawEdge(m.dc, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE));
    EXPECT_EQ(r, Rect(2, 2, 4, 4));
    const TSurface& s = m.Surface();
    EXPECT_EQ(s.Pixel(0, 0), ColorRefToPixel(GetSysColor(COLOR_BTNSHADOW)));      // outer top-left
    EXPECT_EQ(s.Pixel(5, 5), ColorRefToPixel(GetSysColor(COLOR_BTNHIGHLIGHT)));   // outer bottom-right
    EXPECT_EQ(s.Pixel(1, 1), ColorRefToPixel(GetSysColor(COLOR_3DDKSHADOW)));     // inner top-left
    EXPECT_EQ(s.Pixel(4, 4), ColorRefToPixel(GetSysColor(COLOR_3DLIGHT)));        // inner bottom-right
    EXPECT_EQ(s.Pixel(2, 3), ColorRefToPixel(GetSysColor(COLOR_BTNFACE)));        // middle
    TRect top = Rect(0, 0, 6, 6);
    DrawEdge(m.dc, top, BDR_RAISEDINNER, BF_TOP | BF_ADJUST);
    EXPECT_EQ(top, Rect(0, 1, 6, 6));
}

TEST(GdiDraw, BadHandlesFailQuietly)
{
    TSurface s(2, 2);
    HDC gone = CreateSurfaceDC(&s, TPoint(), TRegion(s.Bounds()));
    DeleteDC(gone);
    EXPECT_FALSE(DeleteDC(gone));
    EXPECT_EQ(FillRect(gone, Rect(0, 0, 1, 1), GetSysColorBrush(COLOR_WINDOW)), 0);
    EXPECT_EQ(SelectObject(gone, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_FALSE(LineTo(gone, 1, 1));
    EXPECT_EQ(GetPixel(gone, 0, 0), CLR_INVALID);
    EXPECT_EQ(SaveDC(gone), 0);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(&s)), 0u);
    MemDC m(2, 2);
    EXPECT_EQ(FillRect(m.dc, Rect(0, 0, 1, 1), reinterpret_cast<HBRUSH>(&s)), 0);
    // A system colour index + 1 in place of a brush.
    EXPECT_EQ(FillRect(m.dc, Rect(0, 0, 1, 1), reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOWTEXT + 1))), 1);
    EXPECT_EQ(m.Surface().Pixel(0, 0), kBlack);
}
