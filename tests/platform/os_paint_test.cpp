// Invalidation, WM_PAINT and its DCs, clipping of children and siblings,
// window regions in composition, frame painting.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"

using Strings = std::vector<std::string>;

namespace
{
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

bool Is(TPixel p, COLORREF c) { return PixelToColorRef(p) == c; }
} // namespace

class OsPaint : public ::testing::Test, public TWindowTest
{
protected:
    // WM_PAINT fills the whole client area with a colour (drawing outside the
    // update region must not show).
    void PaintWith(HWND h, COLORREF c)
    {
        log.handlers[{h, WM_PAINT}] = [this, c](HWND w, UINT, WPARAM, LPARAM) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            lastPaint[w] = ps.rcPaint;
            HBRUSH b = CreateSolidBrush(c);
            TRect cr;
            GetClientRect(w, &cr);
            FillRect(dc, cr, b);
            DeleteObject(b);
            EndPaint(w, &ps);
            return LRESULT(0);
        };
    }
    std::map<HWND, TRect> lastPaint;
};

TEST_F(OsPaint, ShowingPaintsFrameBackgroundAndClient)
{
    HWND w = CreateWindowEx(0, "Log", "w", WS_POPUP | WS_BORDER, 10, 10, 100, 80, nullptr);
    log.names[w] = "w";
    ShowWindow(w, SW_SHOW);
    drv.PumpUntilIdle();
    EXPECT_EQ(log.Trace({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}), (Strings{"w:PAINT", "w:NCPAINT", "w:ERASEBKGND"}));
    // The class brush erased the client; the default frame drew a border.
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 50)), GetSysColor(COLOR_BTNFACE)));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(10, 10)), GetSysColor(COLOR_WINDOWFRAME)));
    // Nothing more to paint.
    log.Clear();
    EXPECT_EQ(drv.PumpUntilIdle(), 0);
}

TEST_F(OsPaint, UpdateRegionClipsPaintingAndValidates)
{
    HWND w = Top("w", Bounds(0, 0, 100, 100));
    PaintWith(w, kRed);
    InvalidateRect(w, nullptr, FALSE);
    drv.PumpUntilIdle();
    PaintWith(w, kBlue);
    TRect part = Rect(10, 10, 30, 20);
    InvalidateRect(w, &part, FALSE);
    drv.PumpUntilIdle();
    EXPECT_EQ(lastPaint[w], part);
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(15, 15)), kBlue));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 50)), kRed)) << "outside the update region nothing changed";
    // Validating takes the request back; UpdateWindow paints at once.
    InvalidateRect(w, nullptr, TRUE);
    ValidateRect(w, nullptr);
    log.Clear();
    drv.PumpUntilIdle();
    EXPECT_EQ(log.Count(w, WM_PAINT), 0);
    InvalidateRect(w, &part, TRUE);
    TRect u;
    EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
    EXPECT_EQ(u, part);
    UpdateWindow(w);
    EXPECT_EQ(log.Count(w, WM_PAINT), 1);
    EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
}

TEST_F(OsPaint, ChildrenSiblingsAndRegionsClip)
{
    struct Case
    {
        DWORD parentStyle;
        bool childRgn;
    } cases[] = {{WS_POPUP | WS_VISIBLE, false}, {WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, false},
                 {WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.parentStyle);
        HWND p = Top("p", Bounds(0, 0, 200, 200), c.parentStyle);
        HWND a = Child("a", p, Bounds(20, 20, 60, 60), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
        HWND b = Child("b", p, Bounds(50, 50, 60, 60), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
        if (c.childRgn) SetWindowRgn(b, CreateRectRgn(0, 0, 30, 60), TRUE);
        PaintWith(p, kRed);
        PaintWith(a, kGreen);
        PaintWith(b, kBlue);
        RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        drv.PumpUntilIdle();
        EXPECT_TRUE(Is(drv.PixelAt(TPoint(5, 5)), kRed));

        EXPECT_TRUE(Is(drv.PixelAt(TPoint(30, 30)), kGreen));
        // b was created last, so it is above a where they overlap.
        EXPECT_TRUE(Is(drv.PixelAt(TPoint(60, 60)), kBlue));
        EXPECT_TRUE(Is(drv.PixelAt(TPoint(100, 100)), c.childRgn ? kRed : kBlue));
        // Repainting only the parent: without WS_CLIPCHILDREN the children are
        // invalidated with it; with it, the parent's DC leaves them out. Either
        // way the picture stays the same.
        log.Clear();
        InvalidateRect(p, nullptr, TRUE);
        drv.PumpUntilIdle();
        bool clips = (c.parentStyle & WS_CLIPCHILDREN) != 0;
        EXPECT_EQ(log.Count(a, WM_PAINT), clips ? 0 : 1);
        EXPECT_TRUE(Is(drv.PixelAt(TPoint(30, 30)), kGreen));
        EXPECT_TRUE(Is(drv.PixelAt(TPoint(60, 60)), kBlue));
        DestroyWindow(p);
        drv.PumpUntilIdle();
    }
}

TEST_F(OsPaint, FrameDcCoversTheWholeWindowAndRedrawFrameRepaintsIt)
{
    HWND w = CreateWindowEx(0, "Log", "w", WS_POPUP, 10, 10, 100, 100, nullptr);
    log.names[w] = "w";
    log.handlers[{w, WM_NCCALCSIZE}] = [](HWND, UINT, WPARAM, LPARAM lp) {
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp);
        p->rgrc[0].Top += 20;
        return LRESULT(0);
    };
    log.handlers[{w, WM_NCPAINT}] = [](HWND h, UINT, WPARAM, LPARAM) {
        HDC dc = GetWindowDC(h);
        HBRUSH b = CreateSolidBrush(kGreen);
        FillRect(dc, Rect(0, 0, 100, 100), b);   // clipped to nothing? no: the whole window
        DeleteObject(b);
        ReleaseDC(h, dc);
        return LRESULT(0);
    };
    PaintWith(w, kRed);
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    drv.PumpUntilIdle();
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 15)), kGreen));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 60)), kRed));
    log.Clear();
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(log.Count(w, WM_NCPAINT), 1);
    EXPECT_EQ(log.Count(w, WM_PAINT), 1);
}

TEST_F(OsPaint, MovingAndHidingChildrenRepaintsTheParent)
{
    HWND p = Top("p", Bounds(0, 0, 200, 200), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND c = Child("c", p, Bounds(10, 10, 50, 50));
    PaintWith(p, kRed);
    PaintWith(c, kBlue);
    InvalidateRect(p, nullptr, TRUE);
    InvalidateRect(c, nullptr, TRUE);
    drv.PumpUntilIdle();
    ASSERT_TRUE(Is(drv.PixelAt(TPoint(20, 20)), kBlue));
    MoveWindow(c, 100, 100, 50, 50, TRUE);
    drv.PumpUntilIdle();
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(20, 20)), kRed));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(120, 120)), kBlue));
    ShowWindow(c, SW_HIDE);
    drv.PumpUntilIdle();
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(120, 120)), kRed));
}

TEST_F(OsPaint, HidingAWindowRepaintsTheWindowsItCovered)
{
    // A panel with a button on it, covered by a sibling picture; the parent
    // clips its children.
    HWND p = Top("p", Bounds(0, 0, 200, 200), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND panel = Child("panel", p, Bounds(10, 10, 150, 150));
    HWND button = Child("button", panel, Bounds(20, 20, 40, 40));
    HWND picture = Child("picture", p, Bounds(10, 10, 150, 150));
    PaintWith(p, kRed);
    PaintWith(panel, kGreen);
    PaintWith(button, kBlue);
    PaintWith(picture, kRed);
    RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    drv.PumpUntilIdle();
    ASSERT_TRUE(Is(drv.PixelAt(TPoint(40, 40)), kRed));
    ShowWindow(picture, SW_HIDE);
    drv.PumpUntilIdle();
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(100, 100)), kGreen));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(40, 40)), kBlue));
}

TEST_F(OsPaint, ScrollWindowMovesTheChildrenAndRepaints)
{
    HWND p = Top("p", Bounds(0, 0, 200, 100), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND c = Child("c", p, Bounds(50, 10, 20, 20));
    PaintWith(p, kRed);
    PaintWith(c, kBlue);
    RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    drv.PumpUntilIdle();
    log.Clear();
    ScrollWindow(p, -30, 0, nullptr, nullptr);
    drv.PumpUntilIdle();
    TRect r;
    GetWindowRect(c, &r);
    EXPECT_EQ(r, Bounds(20, 10, 20, 20));
    EXPECT_EQ(log.Count(c, WM_MOVE), 1);
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(25, 15)), kBlue));
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(55, 15)), kRed));
}

TEST_F(OsPaint, SetRedrawSuspendsPaintingWithoutHiding)
{
    HWND w = Top("w", Bounds(0, 0, 100, 100));
    PaintWith(w, kRed);
    InvalidateRect(w, nullptr, TRUE);
    drv.PumpUntilIdle();
    SendMessage(w, WM_SETREDRAW, FALSE, 0);
    PaintWith(w, kBlue);
    log.Clear();
    InvalidateRect(w, nullptr, TRUE);
    drv.PumpUntilIdle();
    EXPECT_EQ(log.Count(w, WM_PAINT), 0);
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 50)), kRed)) << "what was on the screen stays";
    SendMessage(w, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    drv.PumpUntilIdle();
    EXPECT_TRUE(Is(drv.PixelAt(TPoint(50, 50)), kBlue));
}
