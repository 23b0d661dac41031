// Capture, enter/leave tracking, WM_CANCELMODE, wheel routing and key state.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"

using Strings = std::vector<std::string>;

class OsInput : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsInput, LeaveTrackingFiresOnceWhenTheMouseLeavesTheTrackedPart)
{
    HWND a = Top("A", Bounds(0, 0, 200, 200), WS_POPUP | WS_CAPTION | WS_VISIBLE);
    HWND child = Child("child", a, Bounds(20, 20, 50, 50));
    HWND b = Top("B", Bounds(300, 0, 100, 100));
    TRect cr;
    GetClientRect(a, &cr);
    struct Case
    {
        HWND tracked;
        DWORD flags;
        TPoint start, end;
        UINT expected;   // 0: no leave
    } cases[] = {
        {a, TME_LEAVE, {150, 150}, {350, 50}, WM_MOUSELEAVE},               // to another window
        {a, TME_LEAVE, {150, 150}, {150, 10}, WM_MOUSELEAVE},               // into its own caption
        {a, TME_LEAVE, {150, 150}, {40, 50}, WM_MOUSELEAVE},                // into a child
        {a, TME_LEAVE, {150, 150}, {160, 160}, 0},                          // still inside
        {a, TME_LEAVE | TME_NONCLIENT, {150, 10}, {150, 150}, WM_NCMOUSELEAVE},
        {child, TME_LEAVE, {40, 50}, {150, 150}, WM_MOUSELEAVE},
    };
    for (const Case& c : cases)
    {
        drv.MoveTo(c.start);
        TRACKMOUSEEVENT tme;
        tme.dwFlags = c.flags;
        tme.hwndTrack = c.tracked;
        ASSERT_TRUE(TrackMouseEvent(&tme));
        drv.PumpUntilIdle();
        log.Clear();
        drv.MoveTo(c.end);
        drv.MoveTo(TPoint(c.end.X + 1, c.end.Y));   // a second move must not repeat it
        int leaves = log.Count(c.tracked, WM_MOUSELEAVE) + log.Count(c.tracked, WM_NCMOUSELEAVE);
        EXPECT_EQ(leaves, c.expected ? 1 : 0) << c.start.X << "," << c.start.Y << " -> " << c.end.X << "," << c.end.Y;
        if (c.expected) { EXPECT_EQ(log.Count(c.tracked, c.expected), 1); }
        tme.dwFlags |= TME_CANCEL;
        TrackMouseEvent(&tme);
    }
    // Asking while the cursor is elsewhere answers at once.
    drv.MoveTo(TPoint(350, 50));
    log.Clear();
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = a;
    TrackMouseEvent(&tme);
    drv.PumpUntilIdle();
    EXPECT_EQ(log.Count(a, WM_MOUSELEAVE), 1);
    (void)b;
}

TEST_F(OsInput, CaptureChangesAndCancelMode)
{
    HWND a = Top("A", Bounds(0, 0, 200, 200));
    HWND b = Top("B", Bounds(300, 0, 200, 200));
    HWND a1 = Child("a1", a, Bounds(10, 10, 50, 50));
    SetActiveWindow(a);
    drv.PumpUntilIdle();
    log.Clear();
    EXPECT_EQ(SetCapture(a1), nullptr);
    EXPECT_EQ(SetCapture(a), a1);
    EXPECT_EQ(log.Trace({WM_CAPTURECHANGED}), (Strings{"a1:CAPTURECHANGED"}));
    EXPECT_EQ(reinterpret_cast<HWND>(log.Last(a1, WM_CAPTURECHANGED)->lp), a);
    // WM_CANCELMODE ends the capture of the window holding it (default handling).
    log.Clear();
    SendMessage(a, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(log.Trace({WM_CANCELMODE, WM_CAPTURECHANGED}), (Strings{"A:CANCELMODE", "A:CAPTURECHANGED"}));
    // Another window taking the activation cancels the mouse mode of the old one.
    SetCapture(a1);
    log.Clear();
    SetActiveWindow(b);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(log.Count(a1, WM_CANCELMODE), 1);
    // Disabling the window with the capture cancels it as well; destroying releases it.
    SetActiveWindow(a);
    SetCapture(a1);
    log.Clear();
    EnableWindow(a, FALSE);
    EXPECT_EQ(log.Count(a1, WM_CANCELMODE), 1);
    EXPECT_EQ(GetCapture(), nullptr);
    EnableWindow(a, TRUE);
    SetCapture(b);
    DestroyWindow(b);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(OsInput, ClicksOnDisabledWindowsBeepAndDoNothing)
{
    HWND a = Top("A", Bounds(0, 0, 200, 200));
    HWND b = Top("B", Bounds(300, 0, 200, 200));
    SetActiveWindow(a);
    EnableWindow(b, FALSE);
    int beeps = BeepCount();
    log.Clear();
    drv.Click(drv.CenterOf(b));
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(log.Count(b, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(BeepCount(), beeps + 1);
    // A press on the bare desktop deactivates the program's windows.
    SetFocus(a);
    log.Clear();
    drv.Click(TPoint(1000, 900));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(log.Trace({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS}),
              (Strings{"A:NCACTIVATE", "A:ACTIVATE", "A:KILLFOCUS"}));
}

TEST_F(OsInput, WheelGoesToTheFocusAndBubblesUp)
{
    HWND a = Top("A", Bounds(0, 0, 300, 300));
    HWND list = Child("list", a, Bounds(10, 10, 100, 100));
    HWND other = Child("other", a, Bounds(150, 10, 100, 100));
    SetFocus(list);
    log.Clear();
    drv.Wheel(-WHEEL_DELTA, drv.CenterOf(other));
    ASSERT_EQ(log.Trace({WM_MOUSEWHEEL}), (Strings{"list:MOUSEWHEEL", "A:MOUSEWHEEL"}));
    const TLogEntry* e = log.Last(list, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(e->wp), -WHEEL_DELTA);
    EXPECT_EQ(TPoint(GET_X_LPARAM(e->lp), GET_Y_LPARAM(e->lp)), drv.CenterOf(other)) << "screen point";

    // The horizontal wheel takes the same road with a message of its own.
    log.Clear();
    drv.Desktop().SendMouseHWheel(WHEEL_DELTA, drv.CenterOf(other));
    drv.PumpUntilIdle();
    ASSERT_EQ(log.Trace({WM_MOUSEWHEEL, WM_MOUSEHWHEEL}), (Strings{"list:MOUSEHWHEEL", "A:MOUSEHWHEEL"}));
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(log.Last(list, WM_MOUSEHWHEEL)->wp), WHEEL_DELTA);
}

TEST_F(OsInput, KeyStateFollowsPressesAndCursorPosTheMouse)
{
    HWND a = Top("A", Bounds(0, 0, 300, 300));
    SetFocus(a);
    drv.KeyDown(VK_SHIFT);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    drv.KeyUp(VK_SHIFT);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    drv.Press(TPoint(20, 30));
    EXPECT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    drv.Release(TPoint(25, 35));
    EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    TPoint p;
    GetCursorPos(&p);
    EXPECT_EQ(p, TPoint(25, 35));
    // Auto-repeat sets the previous-state bit; the release sets the transition bit.
    log.Clear();
    drv.KeyDown('Q');
    drv.KeyDown('Q');
    drv.KeyUp('Q');
    std::vector<LPARAM> lps;
    for (auto& e : log.entries)
        if (e.msg == WM_KEYDOWN || e.msg == WM_KEYUP) lps.push_back(e.lp);
    ASSERT_EQ(lps.size(), 3u);
    EXPECT_FALSE(lps[0] & KF_REPEAT_BIT);
    EXPECT_TRUE(lps[1] & KF_REPEAT_BIT);
    EXPECT_TRUE(lps[2] & KF_UP_BIT);
    // Alt alone enters the menu by keyboard; Alt with a letter names the item.
    struct Case
    {
        int vk;
        std::vector<int> mods;
        bool keymenu;
        LPARAM ch;
    } cases[] = {{VK_MENU, {}, true, 0}, {VK_F10, {}, true, 0}, {'F', {VK_MENU}, true, 'f'}, {'F', {}, false, 0}};
    for (const Case& c : cases)
    {
        log.Clear();
        drv.PressKey(c.vk, c.mods);
        const TLogEntry* e = log.Last(a, WM_SYSCOMMAND);
        ASSERT_EQ(e != nullptr, c.keymenu) << c.vk;
        if (!e) continue;
        EXPECT_EQ(e->wp, SC_KEYMENU);
        EXPECT_EQ(e->lp, c.ch);
        EXPECT_EQ(log.Count(a, WM_SYSCOMMAND), 1);
    }
}

TEST_F(OsInput, CaretAndClipboard)
{
    HWND a = Top("A", Bounds(0, 0, 300, 300));
    EXPECT_TRUE(CreateCaret(a, nullptr, 2, 14));
    EXPECT_FALSE(IsCaretVisible()) << "a new caret is hidden";
    ShowCaret(a);
    SetCaretPos(10, 20);
    EXPECT_TRUE(IsCaretVisible());
    TPoint p;
    GetCaretPos(&p);
    EXPECT_EQ(p, TPoint(10, 20));
    // It is drawn by inverting what is under it.
    drv.PumpUntilIdle();
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(11, 25))), face ^ 0xFFFFFFu);
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(12, 25))), face) << "two pixels wide";
    HideCaret(a);
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(11, 25))), face);
    ShowCaret(a);
    // Painting hides it for the duration of BeginPaint .. EndPaint.
    PAINTSTRUCT ps;
    BeginPaint(a, &ps);
    EXPECT_FALSE(IsCaretVisible());
    EndPaint(a, &ps);
    EXPECT_TRUE(IsCaretVisible());
    DestroyWindow(a);
    EXPECT_EQ(GetCaretWindow(), nullptr);
    SetClipboardText("复制 text");
    EXPECT_EQ(GetClipboardText(), "复制 text");
    EXPECT_TRUE(ClipboardHasText());
}
