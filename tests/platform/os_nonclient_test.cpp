// WM_NCCALCSIZE and WM_NCHITTEST route the mouse into client and non-client
// messages; window regions and transparent hit codes pass the mouse on; the
// move/size loop follows the hit codes.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"

using Strings = std::vector<std::string>;

namespace
{
// A skinned-looking frame: 30-pixel caption, 5-pixel borders, sizing edges.
constexpr int kCap = 30, kB = 5;

LRESULT FrameHitTest(HWND h, LPARAM lp)
{
    TRect r;
    GetWindowRect(h, &r);
    TPoint p(GET_X_LPARAM(lp) - r.Left, GET_Y_LPARAM(lp) - r.Top);
    int w = r.Width(), hh = r.Height();
    if (p.X < kB && p.Y < kB) return HTTOPLEFT;
    if (p.X >= w - kB && p.Y >= hh - kB) return HTBOTTOMRIGHT;
    if (p.X < kB) return HTLEFT;
    if (p.X >= w - kB) return HTRIGHT;
    if (p.Y >= hh - kB) return HTBOTTOM;
    if (p.Y < kCap) return p.X >= w - 25 ? HTOBJECT : HTCAPTION;
    return HTCLIENT;
}
} // namespace

class OsNonClient : public ::testing::Test, public TWindowTest
{
protected:
    HWND form = nullptr;
    void MakeForm(TRect r = Bounds(100, 100, 300, 200))
    {
        form = CreateWindowEx(0, "Log", "form", WS_POPUP, r.Left, r.Top, r.Width(), r.Height(), nullptr);
        log.names[form] = "form";
        log.handlers[{form, WM_NCCALCSIZE}] = [](HWND, UINT, WPARAM, LPARAM lp) {
            auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp);
            p->rgrc[0].Left += kB;
            p->rgrc[0].Top += kCap;
            p->rgrc[0].Right -= kB;
            p->rgrc[0].Bottom -= kB;
            return LRESULT(0);
        };
        log.handlers[{form, WM_NCHITTEST}] = [](HWND h, UINT, WPARAM, LPARAM lp) { return FrameHitTest(h, lp); };
        SetWindowPos(form, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        ShowWindow(form, SW_SHOW);
        drv.PumpUntilIdle();
    }
};

TEST_F(OsNonClient, CalcSizeSetsTheClientAreaAndHitCodesPickTheMessages)
{
    MakeForm();
    TRect cr;
    GetClientRect(form, &cr);
    EXPECT_EQ(cr, Rect(0, 0, 290, 165));
    TPoint org(0, 0);
    ClientToScreen(form, &org);
    EXPECT_EQ(org, TPoint(105, 130));

    struct Case
    {
        TPoint window;   // relative to the window corner
        UINT msg;
        LRESULT hit;     // for non-client messages
    } cases[] = {
        {{50, 10}, WM_NCMOUSEMOVE, HTCAPTION},  {{290, 10}, WM_NCMOUSEMOVE, HTOBJECT},
        {{2, 100}, WM_NCMOUSEMOVE, HTLEFT},     {{298, 198}, WM_NCMOUSEMOVE, HTBOTTOMRIGHT},
        {{50, 50}, WM_MOUSEMOVE, HTCLIENT},     {{5, 30}, WM_MOUSEMOVE, HTCLIENT},
    };
    for (const Case& c : cases)
    {
        log.Clear();
        drv.MoveTo(drv.WindowPoint(form, c.window));
        const TLogEntry* e = log.Last(form, c.msg);
        ASSERT_NE(e, nullptr) << c.window.X << "," << c.window.Y;
        if (c.msg == WM_NCMOUSEMOVE)
        {
            EXPECT_EQ(LRESULT(e->wp), c.hit);
            EXPECT_EQ(GET_X_LPARAM(e->lp), 100 + c.window.X) << "screen coordinates";
            EXPECT_EQ(GET_Y_LPARAM(e->lp), 100 + c.window.Y);
        }
        else
        {
            EXPECT_EQ(GET_X_LPARAM(e->lp), c.window.X - kB) << "client coordinates";
            EXPECT_EQ(GET_Y_LPARAM(e->lp), c.window.Y - kCap);
        }
        // WM_SETCURSOR carries the same hit code and the mouse message.
        const TLogEntry* sc = log.Last(form, WM_SETCURSOR);
        ASSERT_NE(sc, nullptr);
        EXPECT_EQ(short(LOWORD(std::uintptr_t(sc->lp))), c.msg == WM_MOUSEMOVE ? HTCLIENT : c.hit);
        EXPECT_EQ(HIWORD(std::uintptr_t(sc->lp)), WM_MOUSEMOVE);
    }
    // Presses on the frame are non-client presses, double clicks too (no class style needed).
    log.Clear();
    log.handlers[{form, WM_NCLBUTTONDOWN}] = [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); };
    drv.DoubleClick(drv.WindowPoint(form, TPoint(290, 10)));
    EXPECT_EQ(log.Trace({WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK, WM_LBUTTONDOWN}),
              (Strings{"form:NCLBUTTONDOWN", "form:NCLBUTTONUP", "form:NCLBUTTONDBLCLK", "form:NCLBUTTONUP"}));
    EXPECT_EQ(LRESULT(log.Last(form, WM_NCLBUTTONDBLCLK)->wp), HTOBJECT);
}

TEST_F(OsNonClient, RegionsAndTransparentHitCodesPassTheMouseOn)
{
    HWND back = Top("back", Bounds(0, 0, 400, 300));
    HWND shaped = Top("shaped", Bounds(50, 50, 100, 100));
    // Only the left half of the shaped window exists.
    SetWindowRgn(shaped, CreateRectRgn(0, 0, 50, 100), TRUE);
    HWND glass = Child("glass", back, Bounds(200, 0, 100, 100));
    log.handlers[{glass, WM_NCHITTEST}] = [](HWND, UINT, WPARAM, LPARAM) { return HTTRANSPARENT; };
    HWND overlay = Top("overlay", Bounds(300, 200, 50, 50), WS_POPUP | WS_VISIBLE, WS_EX_LAYERED | WS_EX_TRANSPARENT);
    SetLayeredWindowAttributes(overlay, 0, 128, LWA_ALPHA);
    struct Case
    {
        TPoint pt;
        HWND expected;
    } cases[] = {{{60, 60}, shaped}, {{120, 60}, back}, {{250, 50}, back}, {{320, 220}, back}, {{700, 700}, nullptr}};
    for (const Case& c : cases)
        EXPECT_EQ(WindowFromPoint(c.pt), c.expected) << c.pt.X << "," << c.pt.Y;
    // A click through the transparent child reaches its parent as a client click.
    log.Clear();
    drv.Click(TPoint(250, 50));
    EXPECT_EQ(log.Count(back, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(GET_X_LPARAM(log.Last(back, WM_LBUTTONDOWN)->lp), 250);
    EXPECT_EQ(log.Count(glass, WM_LBUTTONDOWN), 0);
    // Hidden and disabled windows take nothing.
    ShowWindow(shaped, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(TPoint(60, 60)), back);
    HWND disabled = Child("disabled", back, Bounds(10, 200, 50, 50));
    EnableWindow(disabled, FALSE);
    EXPECT_EQ(WindowFromPoint(TPoint(20, 210)), back);
}

TEST_F(OsNonClient, CaptionDragRunsTheMoveLoop)
{
    MakeForm();
    std::vector<TRect> moving;
    log.handlers[{form, WM_MOVING}] = [&](HWND, UINT, WPARAM, LPARAM lp) {
        auto* r = reinterpret_cast<TRect*>(lp);
        moving.push_back(*r);
        if (r->Left < 20) OffsetRect(*r, -r->Left, 0);   // a magnetic left edge
        return LRESULT(0);
    };
    log.Clear();
    drv.Drag(drv.WindowPoint(form, TPoint(50, 10)), drv.WindowPoint(form, TPoint(-35, 60)), 3);
    Strings expected = {"form:NCLBUTTONDOWN", "form:SYSCOMMAND", "form:ENTERSIZEMOVE", "form:MOVING",
                        "form:MOVING",        "form:MOVING",     "form:EXITSIZEMOVE"};
    EXPECT_EQ(log.Trace({WM_NCLBUTTONDOWN, WM_SYSCOMMAND, WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE, WM_LBUTTONUP,
                         WM_NCLBUTTONUP}),
              expected);
    EXPECT_EQ(log.Last(form, WM_SYSCOMMAND)->wp, SC_MOVE | WPARAM(HTCAPTION));
    ASSERT_EQ(moving.size(), 3u);
    EXPECT_EQ(moving.back(), Bounds(15, 150, 300, 200));
    TRect r;
    GetWindowRect(form, &r);
    EXPECT_EQ(r, Bounds(0, 150, 300, 200)) << "the handler's change to the rectangle holds";
    EXPECT_GE(log.Count(form, WM_MOVE), 1);
    EXPECT_EQ(GetCapture(), nullptr);

    // Escape cancels a move: the window goes back.
    log.Clear();
    osinput::MouseMove(drv.WindowPoint(form, TPoint(50, 10)));
    osinput::MouseButton(backend::TMouseButton::Left, true, drv.WindowPoint(form, TPoint(50, 10)));
    osinput::MouseMove(TPoint(500, 500));
    osinput::Key(VK_ESCAPE, true);
    drv.PumpUntilIdle();
    GetWindowRect(form, &r);
    EXPECT_EQ(r, Bounds(0, 150, 300, 200));
    EXPECT_EQ(log.Count(form, WM_EXITSIZEMOVE), 1);
}

TEST_F(OsNonClient, EdgeDragRunsTheSizeLoopWithinTrackLimits)
{
    MakeForm();
    log.handlers[{form, WM_GETMINMAXINFO}] = [](HWND, UINT, WPARAM, LPARAM lp) {
        auto* mi = reinterpret_cast<MINMAXINFO*>(lp);
        mi->ptMinTrackSize = TPoint(150, 100);
        mi->ptMaxTrackSize = TPoint(500, 400);
        return LRESULT(0);
    };
    struct Case
    {
        TPoint grip;   // window coordinates
        TPoint delta;
        TRect expected;
        WPARAM edge;
    } cases[] = {
        {{298, 198}, {50, 20}, Bounds(100, 100, 350, 220), WMSZ_BOTTOMRIGHT},
        {{298, 198}, {-300, -300}, Bounds(100, 100, 150, 100), WMSZ_BOTTOMRIGHT},
        {{2, 100}, {-40, 0}, Bounds(60, 100, 340, 200), WMSZ_LEFT},
        {{2, 100}, {400, 0}, Bounds(250, 100, 150, 200), WMSZ_LEFT},
        {{150, 198}, {0, 500}, Bounds(100, 100, 300, 400), WMSZ_BOTTOM},
    };
    for (const Case& c : cases)
    {
        SetWindowPos(form, nullptr, 100, 100, 300, 200, SWP_NOZORDER);
        drv.AdvanceClock(1000);   // no double click with the previous case
        log.Clear();
        TPoint from = drv.WindowPoint(form, c.grip);
        drv.Drag(from, TPoint(from.X + c.delta.X, from.Y + c.delta.Y), 2);
        TRect r;
        GetWindowRect(form, &r);
        EXPECT_EQ(r, c.expected) << c.grip.X << "," << c.grip.Y;
        const TLogEntry* s = log.Last(form, WM_SIZING);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->wp, c.edge);
        EXPECT_EQ(log.Last(form, WM_SIZE)->lp, MAKELPARAM(r.Width() - 2 * kB, r.Height() - kCap - kB));
    }
}

TEST_F(OsNonClient, DefaultFrameFollowsTheStyles)
{
    struct Case
    {
        DWORD style, ex;
        TRect client;   // window coordinates of a 200 x 100 window
    } cases[] = {
        {WS_POPUP, 0, Rect(0, 0, 200, 100)},
        {WS_POPUP | WS_BORDER, 0, Rect(1, 1, 199, 99)},
        {WS_OVERLAPPEDWINDOW, 0, Rect(4, 23, 196, 96)},
        {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, Rect(3, 18, 197, 97)},
        {WS_POPUP, WS_EX_CLIENTEDGE, Rect(2, 2, 198, 98)},
        {WS_POPUP | WS_VSCROLL, 0, Rect(0, 0, 183, 100)},
    };
    for (const Case& c : cases)
    {
        HWND h = CreateWindowEx(c.ex, "Log", "w", c.style, 10, 10, 200, 100, nullptr);
        TRect cr;
        GetClientRect(h, &cr);
        TPoint o(0, 0);
        ClientToScreen(h, &o);
        EXPECT_EQ(Bounds(o.X - 10, o.Y - 10, cr.Width(), cr.Height()), c.client) << std::hex << c.style;
        // AdjustWindowRectEx is the inverse (scroll bars aside).
        if (!(c.style & WS_VSCROLL))
        {
            TRect adj = c.client;
            AdjustWindowRectEx(&adj, c.style, FALSE, c.ex);
            EXPECT_EQ(adj, Rect(0, 0, 200, 100)) << std::hex << c.style;
        }
        DestroyWindow(h);
    }
    // The default hit test of a sizeable captioned window.
    HWND h = CreateWindowEx(0, "Log", "w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr);
    struct Hit
    {
        TPoint p;
        LRESULT code;
    } hits[] = {{{1, 50}, HTLEFT}, {{198, 98}, HTBOTTOMRIGHT}, {{100, 10}, HTCAPTION}, {{100, 50}, HTCLIENT},
                {{1, 1}, HTTOPLEFT}, {{500, 500}, HTNOWHERE}};
    for (const Hit& x : hits)
        EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(10 + x.p.X, 10 + x.p.Y)), x.code) << x.p.X << "," << x.p.Y;
}
