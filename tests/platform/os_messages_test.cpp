// Message order of clicks, drags and focus changes; mouse activation answers;
// subclass chains installed and removed out of order.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/core/Clock.h"
#include "platform/os/Input.h"

#include <thread>

using Strings = std::vector<std::string>;

class OsMessages : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsMessages, ClickOnInactiveWindowActivatesFocusesThenDeliversButtons)
{
    HWND a = Top("A", Bounds(10, 10, 200, 150));
    HWND b = Top("B", Bounds(300, 10, 200, 150));
    SetActiveWindow(a);
    drv.PumpUntilIdle();
    ASSERT_EQ(GetActiveWindow(), a);
    ASSERT_EQ(GetFocus(), a);
    drv.MoveTo(drv.CenterOf(b));
    log.Clear();

    drv.Click(drv.CenterOf(b));
    Strings expected = {"B:NCHITTEST",  "B:MOUSEACTIVATE", "B:POSCHANGING", "B:POSCHANGED",
                        "A:NCACTIVATE", "A:ACTIVATE",      "B:NCACTIVATE",  "B:ACTIVATE",
                        "A:KILLFOCUS",  "B:SETFOCUS",      "B:SETCURSOR",   "B:LBUTTONDOWN",
                        "B:NCHITTEST",  "B:SETCURSOR",     "B:LBUTTONUP"};
    EXPECT_EQ(log.Trace({WM_NCHITTEST, WM_MOUSEACTIVATE, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE,
                         WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              expected);
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(GetFocus(), b);
    // WM_ACTIVATE says how and who lost it.
    const TLogEntry* act = log.Last(b, WM_ACTIVATE);
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(LOWORD(act->wp), WA_CLICKACTIVE);
    EXPECT_EQ(reinterpret_cast<HWND>(act->lp), a);
    // The button messages carry client coordinates and key flags.
    const TLogEntry* down = log.Last(b, WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(down->lp), 100);
    EXPECT_EQ(GET_Y_LPARAM(down->lp), 75);
    EXPECT_EQ(down->wp & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(log.Last(b, WM_LBUTTONUP)->wp & MK_LBUTTON, 0u);
}

TEST_F(OsMessages, MouseActivateAnswersDecideActivationAndDelivery)
{
    struct Case
    {
        LRESULT answer;
        bool activates;
        bool delivered;
    } cases[] = {
        {MA_ACTIVATE, true, true},
        {MA_ACTIVATEANDEAT, true, false},
        {MA_NOACTIVATE, false, true},
        {MA_NOACTIVATEANDEAT, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.answer);
        HWND form = Top("form", Bounds(10, 10, 300, 200));
        HWND edit = Child("edit", form, Bounds(10, 10, 100, 20));
        SetFocus(edit);
        HWND popup = Top("popup", Bounds(400, 10, 100, 100), WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        SetActiveWindow(form);
        SetFocus(edit);
        drv.PumpUntilIdle();
        log.handlers[{popup, WM_MOUSEACTIVATE}] = [&](HWND, UINT, WPARAM, LPARAM) { return c.answer; };
        log.Clear();
        drv.Click(drv.CenterOf(popup));
        EXPECT_EQ(GetActiveWindow() == popup, c.activates);
        EXPECT_EQ(GetFocus() == edit, !c.activates) << "the focus stays when the popup takes no activation";
        EXPECT_EQ(log.Count(popup, WM_LBUTTONDOWN), c.delivered ? 1 : 0);
        EXPECT_EQ(log.Count(form, WM_NCACTIVATE), c.activates ? 1 : 0);
        // The MOUSEACTIVATE parameters: top-level window, hit code and mouse message.
        const TLogEntry* ma = log.Last(popup, WM_MOUSEACTIVATE);
        ASSERT_NE(ma, nullptr);
        EXPECT_EQ(reinterpret_cast<HWND>(ma->wp), popup);
        EXPECT_EQ(LOWORD(std::uintptr_t(ma->lp)), HTCLIENT);
        EXPECT_EQ(HIWORD(std::uintptr_t(ma->lp)), WM_LBUTTONDOWN);
        DestroyWindow(popup);
        DestroyWindow(form);
        drv.PumpUntilIdle();
    }
}

TEST_F(OsMessages, ChildClickAsksParentsAndNotifiesThem)
{
    HWND form = Top("form", Bounds(10, 10, 300, 200));
    HWND panel = Child("panel", form, Bounds(20, 20, 200, 150));
    HWND button = Child("button", panel, Bounds(10, 10, 50, 20));
    HWND other = Top("other", Bounds(400, 400, 100, 100));
    ASSERT_EQ(GetActiveWindow(), other);
    log.Clear();
    drv.Click(drv.CenterOf(button));
    Strings expected = {"button:MOUSEACTIVATE", "panel:MOUSEACTIVATE", "form:MOUSEACTIVATE",
                        "panel:PARENTNOTIFY",   "form:PARENTNOTIFY",   "button:LBUTTONDOWN"};
    EXPECT_EQ(log.Trace({WM_MOUSEACTIVATE, WM_PARENTNOTIFY, WM_LBUTTONDOWN}), expected);
    EXPECT_EQ(GetActiveWindow(), form);
    // The notification carries the point in the receiving parent's client coordinates.
    const TLogEntry* pn = log.Last(form, WM_PARENTNOTIFY);
    EXPECT_EQ(LOWORD(pn->wp), WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(pn->lp), 20 + 10 + 25);
    EXPECT_EQ(GET_Y_LPARAM(pn->lp), 20 + 10 + 10);
}

TEST_F(OsMessages, DragWithCaptureFollowsTheMouseOutsideTheWindow)
{
    HWND w = Top("W", Bounds(100, 100, 200, 100));
    log.handlers[{w, WM_LBUTTONDOWN}] = [](HWND h, UINT, WPARAM, LPARAM) {
        SetCapture(h);
        return LRESULT(0);
    };
    log.handlers[{w, WM_LBUTTONUP}] = [](HWND, UINT, WPARAM, LPARAM) {
        ReleaseCapture();
        return LRESULT(0);
    };
    HWND below = Top("below", Bounds(400, 100, 200, 100));
    SetActiveWindow(w);
    drv.MoveTo(TPoint(150, 150));
    log.Clear();
    drv.Drag(TPoint(150, 150), TPoint(450, 130), 3);
    Strings expected = {"W:LBUTTONDOWN", "W:MOUSEMOVE", "W:MOUSEMOVE", "W:MOUSEMOVE", "W:LBUTTONUP", "W:CAPTURECHANGED"};
    EXPECT_EQ(log.Trace({WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED, WM_NCMOUSEMOVE}), expected);
    EXPECT_EQ(log.Count(below, WM_MOUSEMOVE), 0);
    EXPECT_EQ(log.Count(below, WM_NCHITTEST), 0) << "no hit testing while captured";
    const TLogEntry* up = log.Last(w, WM_LBUTTONUP);
    EXPECT_EQ(GET_X_LPARAM(up->lp), 350);   // client coordinates beyond the window
    EXPECT_EQ(GET_Y_LPARAM(up->lp), 30);
    EXPECT_EQ(GetCapture(), nullptr);
    // Without capture, moves go to the window under the cursor again.
    log.Clear();
    drv.MoveTo(TPoint(460, 140));
    EXPECT_EQ(log.Count(below, WM_MOUSEMOVE), 1);
}

TEST_F(OsMessages, FocusChangesSendKillThenSet)
{
    HWND a = Top("A", Bounds(10, 10, 300, 200));
    HWND e1 = Child("e1", a, Bounds(10, 10, 100, 20));
    HWND e2 = Child("e2", a, Bounds(10, 40, 100, 20));
    HWND b = Top("B", Bounds(400, 10, 300, 200));
    HWND e3 = Child("e3", b, Bounds(10, 10, 100, 20));
    SetFocus(e1);
    drv.PumpUntilIdle();
    log.Clear();

    EXPECT_EQ(SetFocus(e2), e1);
    EXPECT_EQ(log.Trace({WM_KILLFOCUS, WM_SETFOCUS}), (Strings{"e1:KILLFOCUS", "e2:SETFOCUS"}));
    EXPECT_EQ(reinterpret_cast<HWND>(log.Last(e1, WM_KILLFOCUS)->wp), e2);
    EXPECT_EQ(reinterpret_cast<HWND>(log.Last(e2, WM_SETFOCUS)->wp), e1);

    // Focus into another top-level window activates it first.
    log.Clear();
    SetFocus(e3);
    Strings expected = {"A:NCACTIVATE", "A:ACTIVATE",  "B:NCACTIVATE", "B:ACTIVATE",
                        "e2:KILLFOCUS", "B:SETFOCUS", "B:KILLFOCUS",  "e3:SETFOCUS"};
    EXPECT_EQ(log.Trace({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS}), expected);
    EXPECT_EQ(GetFocus(), e3);
    EXPECT_EQ(GetActiveWindow(), b);

    // Destroying the focused window leaves no focus behind.
    DestroyWindow(e3);
    EXPECT_EQ(GetFocus(), nullptr);
    // Keys go to the focus window; with none, the active window gets system keys.
    log.Clear();
    drv.PressKey('X');
    EXPECT_EQ(log.Trace({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR}), (Strings{"B:SYSKEYDOWN", "B:SYSCHAR"}));
    SetFocus(e1);
    log.Clear();
    drv.PressKey('X', {VK_SHIFT});
    drv.PressKey('Y', {VK_MENU});
    EXPECT_EQ(log.Trace({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR}),
              (Strings{"e1:KEYDOWN", "e1:KEYDOWN", "e1:CHAR", "e1:SYSKEYDOWN", "e1:SYSKEYDOWN", "e1:SYSCHAR"}));
    EXPECT_EQ(log.Last(e1, WM_CHAR)->wp, WPARAM('X'));
    EXPECT_EQ(log.Last(e1, WM_SYSCHAR)->wp, WPARAM('y'));
    log.Clear();
    drv.TypeText("a1 中文");
    std::vector<WPARAM> chars;
    for (auto& e : log.entries)
        if (e.msg == WM_CHAR) chars.push_back(e.wp);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', '1', ' ', 0x4E2D, 0x6587}));
}

TEST_F(OsMessages, DoubleClickNeedsTheClassStyleTimeAndPlace)
{
    RegisterLogClass("NoDbl", 0);
    HWND d = Top("dbl", Bounds(10, 10, 100, 100));
    HWND n = CreateWindowEx(0, "NoDbl", "nodbl", WS_POPUP | WS_VISIBLE, 200, 10, 100, 100, nullptr);
    log.names[n] = "nodbl";
    struct Case
    {
        HWND w;
        std::uint64_t gap;
        int dx;
        int dbl;
    } cases[] = {{d, 50, 0, 1}, {d, 600, 0, 0}, {d, 50, 10, 0}, {n, 50, 0, 0}};
    for (const Case& c : cases)
    {
        drv.AdvanceClock(1000);
        log.Clear();
        TPoint p = drv.CenterOf(c.w);
        drv.Click(p);
        drv.AdvanceClock(c.gap);
        drv.Click(TPoint(p.X + c.dx, p.Y));
        EXPECT_EQ(log.Count(c.w, WM_LBUTTONDBLCLK), c.dbl) << log.names[c.w] << " gap " << c.gap << " dx " << c.dx;
        EXPECT_EQ(log.Count(c.w, WM_LBUTTONDOWN), 2 - c.dbl);
    }
}

TEST_F(OsMessages, SubclassChainsInAnyOrder)
{
    HWND w = Top("W", Bounds(10, 10, 100, 100));
    constexpr UINT kMsg = WM_USER + 7;
    std::string trail;
    std::map<char, TSubclassToken> tok;
    auto install = [&](char name) {
        tok[name] = SubclassWindow(w, [&, name](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == kMsg) trail += name;
            return CallPreviousWindowProc(h, tok[name], m, wp, lp);
        });
    };
    log.handlers[{w, kMsg}] = [&](HWND, UINT, WPARAM, LPARAM) {
        trail += "C";
        return LRESULT(42);
    };
    struct Case
    {
        std::string install;
        std::string remove;
        std::string expected;
    } cases[] = {
        {"abc", "", "cbaC"},
        {"abc", "b", "caC"},
        {"abc", "ac", "bC"},
        {"abc", "ca", "bC"},
        {"abc", "abc", "C"},
        {"ab", "x", "baC"},   // an unknown token removes nothing
    };
    for (const Case& c : cases)
    {
        for (char ch : c.install) install(ch);
        for (char ch : c.remove) EXPECT_EQ(RemoveWindowSubclass(w, tok.count(ch) ? tok[ch] : 999999), ch != 'x');
        trail.clear();
        EXPECT_EQ(SendMessage(w, kMsg, 0, 0), 42);
        EXPECT_EQ(trail, c.expected) << c.install << " minus " << c.remove;
        for (char ch : c.install) RemoveWindowSubclass(w, tok[ch]);
        tok.clear();
    }
}

TEST_F(OsMessages, ProcedureRemovedWhileRunningStillReachesTheOneBelow)
{
    HWND w = Top("W", Bounds(10, 10, 100, 100));
    constexpr UINT kMsg = WM_USER + 8;
    std::string trail;
    TSubclassToken a = 0, b = 0, c = 0;
    log.handlers[{w, kMsg}] = [&](HWND, UINT, WPARAM, LPARAM) {
        trail += "C";
        return LRESULT(0);
    };
    a = SubclassWindow(w, [&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kMsg) trail += "a";
        return CallPreviousWindowProc(h, a, m, wp, lp);
    });
    b = SubclassWindow(w, [&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kMsg) trail += "b";
        return CallPreviousWindowProc(h, b, m, wp, lp);
    });
    // c removes itself and b (the one below it) before passing the message on.
    c = SubclassWindow(w, [&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kMsg)
        {
            trail += "c";
            RemoveWindowSubclass(h, c);
            RemoveWindowSubclass(h, b);
        }
        return CallPreviousWindowProc(h, c, m, wp, lp);
    });
    SendMessage(w, kMsg, 0, 0);
    EXPECT_EQ(trail, "caC");
    trail.clear();
    SendMessage(w, kMsg, 0, 0);
    EXPECT_EQ(trail, "aC");
}

TEST_F(OsMessages, PostedMessagesComeBeforeInputAndPaintAndTimers)
{
    HWND w = Top("W", Bounds(10, 10, 100, 100));
    drv.PumpUntilIdle();
    log.Clear();
    SetTimer(w, 1, 10);
    drv.AdvanceClock(0);
    Clock::Advance(20);
    InvalidateRect(w, nullptr, TRUE);
    osinput::MouseMove(TPoint(50, 50));
    PostMessage(w, WM_USER + 1, 0, 0);
    drv.PumpUntilIdle();
    auto trace = log.Trace({WM_USER + 1, WM_MOUSEMOVE, WM_PAINT, WM_TIMER});
    EXPECT_EQ(trace, (Strings{"W:1025", "W:MOUSEMOVE", "W:PAINT", "W:TIMER"}));
    // Posting to a dead window fails; thread messages come back with no window.
    HWND dead = Top("dead", Bounds(0, 0, 10, 10));
    DestroyWindow(dead);
    EXPECT_FALSE(PostMessage(dead, WM_USER, 0, 0));
    PostMessage(nullptr, WM_USER + 3, 7, 0);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.message, WM_USER + 3u);
    PostQuitMessage(3);
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(OsMessages, WindowTextIsUtf8AndNeverCutInsideACharacter)
{
    HWND w = Top("W", Bounds(0, 0, 100, 100));
    SetWindowText(w, "视频ab");
    EXPECT_EQ(GetWindowText(w), "视频ab");
    EXPECT_EQ(SendMessage(w, WM_GETTEXTLENGTH, 0, 0), 8);
    struct Case
    {
        WPARAM size;
        std::string expected;
    } cases[] = {{1, ""}, {3, ""}, {4, "视"}, {6, "视"}, {7, "视频"}, {8, "视频a"}, {100, "视频ab"}};
    for (const Case& c : cases)
    {
        char buf[100];
        std::fill(std::begin(buf), std::end(buf), 'x');
        LRESULT n = SendMessage(w, WM_GETTEXT, c.size, reinterpret_cast<LPARAM>(buf));
        EXPECT_EQ(std::string(buf, std::size_t(n)), c.expected) << c.size;
        EXPECT_EQ(buf[n], '\0');
    }
    EXPECT_EQ(SendMessage(w, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(nullptr)), 0);
}

TEST_F(OsMessages, MessageOnlyWindowsRegisteredMessagesAndPostsFromManyThreads)
{
    HWND tray = CreateWindowEx(0, "Log", "tray", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE);
    ASSERT_NE(tray, nullptr);
    log.names[tray] = "tray";
    EXPECT_FALSE(IsWindowVisible(tray));
    ShowWindow(tray, SW_SHOW);
    EXPECT_NE(GetActiveWindow(), tray) << "a message-only window never shows or activates";
    EXPECT_EQ(WindowFromPoint(TPoint(0, 0)), nullptr);
    EXPECT_TRUE(GetChildWindows(nullptr).empty());
    UINT created = RegisterWindowMessage("TaskbarCreated");
    EXPECT_GE(created, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("taskbarcreated"), created);
    EXPECT_NE(RegisterWindowMessage("Other"), created);
    // Four threads post 250 messages each; every one arrives, each thread's in order.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([tray, t, created] {
            for (int i = 0; i < 250; ++i) PostMessage(tray, created, WPARAM(t), LPARAM(i));
        });
    std::vector<int> next(4, 0);
    int got = 0;
    log.handlers[{tray, created}] = [&](HWND, UINT, WPARAM w, LPARAM l) {
        EXPECT_EQ(l, next[w]);
        next[w] = int(l) + 1;
        ++got;
        return LRESULT(0);
    };
    for (int guard = 0; guard < 100000 && got < 1000; ++guard) drv.PumpUntilIdle();
    for (auto& th : threads) th.join();
    drv.PumpUntilIdle();
    EXPECT_EQ(got, 1000);
}
