// SetWindowPos and ShowWindow: messages, z-order, activation and owned windows.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"

using Strings = std::vector<std::string>;

class OsPosition : public ::testing::Test, public TWindowTest
{
protected:
    // The backend's id of a top-level window (found by its bounds).
    backend::TopLevelId IdOf(HWND h)
    {
        TRect r;
        GetWindowRect(h, &r);
        for (backend::TopLevelId id : drv.Desktop().ZOrder())
            if (drv.Desktop().Info(id)->Bounds == r) return id;
        return 0;
    }
};

TEST_F(OsPosition, ShowingAndHidingSendTheirMessagesAndActivate)
{
    HWND a = Top("A", Bounds(0, 0, 100, 100));
    HWND w = CreateWindowEx(0, "Log", "w", WS_POPUP, 10, 10, 100, 100, nullptr);
    log.names[w] = "w";
    log.Clear();
    ShowWindow(w, SW_SHOW);
    EXPECT_EQ(log.Trace({WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATE, WM_MOVE, WM_SIZE}),
              (Strings{"w:SHOWWINDOW", "w:POSCHANGING", "A:ACTIVATE", "w:ACTIVATE", "w:POSCHANGED"}));
    EXPECT_EQ(log.Last(w, WM_SHOWWINDOW)->wp, WPARAM(TRUE));
    EXPECT_EQ(GetActiveWindow(), w);
    log.Clear();
    ShowWindow(w, SW_HIDE);
    EXPECT_EQ(log.Last(w, WM_SHOWWINDOW)->wp, WPARAM(FALSE));
    EXPECT_EQ(GetActiveWindow(), a) << "hiding the active window activates another";
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE)) << "answers whether it was visible";

    struct Case
    {
        int cmd;
        bool activates;
    } cases[] = {{SW_SHOWNA, false}, {SW_SHOWNOACTIVATE, false}, {SW_SHOW, true}, {SW_SHOWNORMAL, true}};
    for (const Case& c : cases)
    {
        SetActiveWindow(a);
        ShowWindow(w, SW_HIDE);
        ShowWindow(w, c.cmd);
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(GetActiveWindow() == w, c.activates) << c.cmd;
    }
}

TEST_F(OsPosition, SetWindowPosFlagsMovesSizesAndStacks)
{
    HWND a = Top("A", Bounds(0, 0, 100, 100));
    HWND b = Top("B", Bounds(50, 50, 100, 100));
    HWND top = Top("T", Bounds(500, 500, 50, 50), WS_POPUP, WS_EX_TOPMOST);
    ShowWindow(top, SW_SHOWNA);
    EXPECT_EQ(GetChildWindows(nullptr), (std::vector<HWND>{top, b, a}));
    // Raising a below b without activating it: the topmost window stays above.
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetChildWindows(nullptr), (std::vector<HWND>{top, a, b}));
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(WindowFromPoint(TPoint(75, 75)), a);
    SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetChildWindows(nullptr).front(), b);
    EXPECT_TRUE(GetWindowLong(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(b, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetChildWindows(nullptr), (std::vector<HWND>{top, b, a}));
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetChildWindows(nullptr).back(), b);
    // The backend follows the stacking.
    ASSERT_EQ(drv.Desktop().ZOrder().size(), 3u);

    struct Case
    {
        UINT flags;
        TRect expected;
        bool move, size;
    } cases[] = {
        {SWP_NOZORDER | SWP_NOACTIVATE, Bounds(5, 6, 70, 80), true, true},
        {SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE, Bounds(5, 6, 100, 100), true, false},
        {SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE, Bounds(0, 0, 70, 80), false, true},
        {SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE, Bounds(0, 0, 100, 100), false, false},
    };
    for (const Case& c : cases)
    {
        SetWindowPos(a, nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
        log.Clear();
        SetWindowPos(a, nullptr, 5, 6, 70, 80, c.flags);
        TRect r;
        GetWindowRect(a, &r);
        EXPECT_EQ(r, c.expected) << std::hex << c.flags;
        EXPECT_EQ(log.Count(a, WM_MOVE), c.move ? 1 : 0);
        EXPECT_EQ(log.Count(a, WM_SIZE), c.size ? 1 : 0);
        EXPECT_EQ(log.Count(a, WM_WINDOWPOSCHANGED), 1);
        if (c.size)
        {
            EXPECT_EQ(log.Last(a, WM_SIZE)->lp, MAKELPARAM(70, 80));
        }
    }
    // A handler of WM_WINDOWPOSCHANGING can change the outcome.
    log.handlers[{a, WM_WINDOWPOSCHANGING}] = [](HWND, UINT, WPARAM, LPARAM lp) {
        auto* wp = reinterpret_cast<WINDOWPOS*>(lp);
        wp->flags |= SWP_NOMOVE;
        wp->cx = 33;
        return LRESULT(0);
    };
    SetWindowPos(a, nullptr, 200, 200, 90, 90, SWP_NOZORDER);
    TRect r;
    GetWindowRect(a, &r);
    EXPECT_EQ(r, Bounds(0, 0, 33, 90));
    // The backend knows where the top-level windows are.
    EXPECT_EQ(drv.Desktop().Info(drv.Desktop().ZOrder().front())->Visible, true);
}

TEST_F(OsPosition, OwnedWindowsFollowTheirOwner)
{
    HWND form = Top("form", Bounds(0, 0, 300, 300), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND hint = Top("hint", Bounds(10, 10, 50, 20), WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, form);
    HWND other = Top("other", Bounds(400, 0, 100, 100));
    EXPECT_EQ(GetChildWindows(nullptr).front(), other);
    SetActiveWindow(form);
    auto order = GetChildWindows(nullptr);
    EXPECT_EQ(order, (std::vector<HWND>{hint, form, other})) << "the owned window comes up with its owner";
    log.Clear();
    ShowWindow(form, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(hint));
    EXPECT_EQ(log.Last(hint, WM_SHOWWINDOW)->lp, 1) << "SW_PARENTCLOSING";
    ShowWindow(form, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(hint));
    EXPECT_EQ(log.Last(hint, WM_SHOWWINDOW)->lp, 3) << "SW_PARENTOPENING";
}

TEST_F(OsPosition, TheScreenCanActivateMoveAndCloseWindows)
{
    // What a real backend reports: the window manager activating, moving or
    // closing one of the program's windows.
    HWND a = Top("A", Bounds(0, 0, 100, 100));
    HWND b = Top("B", Bounds(200, 0, 100, 100));
    backend::TopLevelId ida = IdOf(a);
    ASSERT_NE(ida, 0u);
    osinput::Sink().Activated(ida, true);
    EXPECT_EQ(GetActiveWindow(), a);
    osinput::Sink().Activated(ida, false);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    log.Clear();
    osinput::Sink().Configured(ida, Bounds(10, 20, 150, 120));
    TRect r;
    GetWindowRect(a, &r);
    EXPECT_EQ(r, Bounds(10, 20, 150, 120));
    EXPECT_EQ(log.Count(a, WM_SIZE), 1);
    // Iconified and restored by the window manager: the layer's own minimize
    // and restore run, and the backend is told the state it already shows.
    log.Clear();
    osinput::Sink().Minimized(ida, true);
    drv.PumpUntilIdle();
    EXPECT_TRUE(IsIconic(a));
    EXPECT_EQ(log.Last(a, WM_SIZE)->wp, WPARAM(SIZE_MINIMIZED));
    EXPECT_TRUE(drv.Desktop().Info(ida)->Minimized);
    osinput::Sink().Minimized(ida, false);
    drv.PumpUntilIdle();
    EXPECT_FALSE(IsIconic(a));
    EXPECT_EQ(log.Last(a, WM_SIZE)->wp, WPARAM(SIZE_RESTORED));
    EXPECT_FALSE(drv.Desktop().Info(ida)->Minimized);
    EXPECT_TRUE(drv.Desktop().Info(ida)->Visible);
    osinput::Sink().CloseRequest(ida);
    drv.PumpUntilIdle();
    EXPECT_FALSE(IsWindow(a));
    EXPECT_TRUE(IsWindow(b));
}

TEST_F(OsPosition, TheScreenHearsOfCaptureStayOnTopAndIcons)
{
    HWND a = Top("A", Bounds(0, 0, 100, 100));
    HWND c = Child("c", a, Bounds(10, 10, 30, 30));
    backend::TopLevelId ida = IdOf(a);
    ASSERT_NE(ida, 0u);
    // Capture anywhere in a window grabs the pointer for its top-level window.
    SetCapture(c);
    EXPECT_EQ(drv.Desktop().Grab(), ida);
    ReleaseCapture();
    EXPECT_EQ(drv.Desktop().Grab(), 0u);
    SetCapture(a);
    DestroyWindow(c);
    EXPECT_EQ(drv.Desktop().Grab(), ida) << "the capture stays with a";
    SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(drv.Desktop().Info(ida)->Topmost);
    SetWindowPos(a, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(drv.Desktop().Info(ida)->Topmost);
    TSurface icon(16, 16);
    EXPECT_TRUE(SetWindowIcon(a, &icon));
    EXPECT_TRUE(drv.Desktop().Info(ida)->HasIcon);
    EXPECT_TRUE(SetWindowIcon(a, nullptr));
    EXPECT_FALSE(drv.Desktop().Info(ida)->HasIcon);
    EXPECT_FALSE(SetWindowIcon(c, &icon)) << "child windows have no icon";
    DestroyWindow(a);
    EXPECT_EQ(drv.Desktop().Grab(), 0u);
}

TEST_F(OsPosition, SetParentMovesAWindowBetweenParentsAndTheDesktop)
{
    HWND p1 = Top("p1", Bounds(0, 0, 200, 200));
    HWND p2 = Top("p2", Bounds(300, 0, 200, 200));
    HWND c = Child("c", p1, Bounds(10, 10, 30, 30));
    EXPECT_EQ(SetParent(c, p2), p1);
    EXPECT_EQ(GetParent(c), p2);
    EXPECT_EQ(GetChildWindows(p1).size(), 0u);
    TRect r;
    GetWindowRect(c, &r);
    EXPECT_EQ(r, Bounds(310, 10, 30, 30)) << "the same place inside the new parent";
    drv.PumpUntilIdle();
    EXPECT_EQ(WindowFromPoint(TPoint(320, 20)), c);
    EXPECT_EQ(SetParent(p2, c), nullptr) << "no cycles";
    // Out to the desktop: a top-level window with its own pixels.
    SetParent(c, nullptr);
    SetWindowLong(c, GWL_STYLE, (GetWindowLong(c, GWL_STYLE) & ~WS_CHILD) | WS_POPUP);
    GetWindowRect(c, &r);
    EXPECT_EQ(r, Bounds(10, 10, 30, 30));
    EXPECT_EQ(GetChildWindows(nullptr).size(), 3u);
    drv.PumpUntilIdle();
    EXPECT_EQ(WindowFromPoint(TPoint(20, 20)), c);
}

TEST_F(OsPosition, StyleChangesAreAnnouncedAndCanBeAdjusted)
{
    HWND w = Top("w", Bounds(0, 0, 100, 100));
    log.handlers[{w, WM_STYLECHANGING}] = [](HWND, UINT, WPARAM wp, LPARAM lp) {
        auto* ss = reinterpret_cast<STYLESTRUCT*>(lp);
        if (wp == WPARAM(GWL_STYLE)) ss->styleNew &= ~WS_BORDER;   // refuses a border
        return LRESULT(0);
    };
    log.Clear();
    DWORD before = DWORD(GetWindowLong(w, GWL_STYLE));
    EXPECT_EQ(DWORD(SetWindowLong(w, GWL_STYLE, LONG(before | WS_BORDER | WS_TABSTOP))), before);
    DWORD now = DWORD(GetWindowLong(w, GWL_STYLE));
    EXPECT_FALSE(now & WS_BORDER);
    EXPECT_TRUE(now & WS_TABSTOP);
    EXPECT_TRUE(now & WS_VISIBLE) << "visibility is not changed this way";
    const TLogEntry* changed = log.Last(w, WM_STYLECHANGED);
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->wp, WPARAM(GWL_STYLE));
    EXPECT_EQ(log.Trace({WM_STYLECHANGING, WM_STYLECHANGED}).size(), 2u);
    SetWindowLong(w, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    EXPECT_EQ(DWORD(GetWindowLong(w, GWL_EXSTYLE)), WS_EX_TOOLWINDOW);
    EXPECT_EQ(log.Count(w, WM_STYLECHANGED), 2);
}
