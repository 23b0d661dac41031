// Re-entrant pumping: nested loops inside handlers keep serving posted
// messages, timers and other threads' synchronised calls; windows destroyed
// while their own messages run.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "os_testlog.h"
#include "platform/core/MainThread.h"
#include "platform/os/Os.h"

using Strings = std::vector<std::string>;

class OsReentry : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsReentry, NestedPumpServesPostedMessagesAndSynchronisedCalls)
{
    HWND w = Top("W", Bounds(0, 0, 100, 100));
    std::vector<std::string> order;
    std::atomic<bool> workerDone{false};
    std::thread worker;
    log.handlers[{w, WM_USER + 1}] = [&](HWND h, UINT, WPARAM, LPARAM) {
        order.push_back("outer begin");
        PostMessage(h, WM_USER + 2, 0, 0);
        worker = std::thread([&] {
            RunOnMainThread([&] { order.push_back("synchronised"); }, true);
            workerDone = true;
        });
        // Wait the way the skinned forms and the conversion component do:
        // keep serving messages and synchronised calls until the worker is done.
        RunNestedLoop([&] { return workerDone.load(); });
        order.push_back("outer end");
        return LRESULT(0);
    };
    log.handlers[{w, WM_USER + 2}] = [&](HWND, UINT, WPARAM, LPARAM) {
        order.push_back("posted");
        return LRESULT(0);
    };
    PostMessage(w, WM_USER + 1, 0, 0);
    drv.PumpUntilIdle();
    worker.join();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order.front(), "outer begin");
    EXPECT_EQ(order.back(), "outer end");
    EXPECT_NE(std::find(order.begin(), order.end(), "posted"), order.end());
    EXPECT_NE(std::find(order.begin(), order.end(), "synchronised"), order.end());
}

TEST_F(OsReentry, TheMoveLoopServesPostedMessagesAndTimers)
{
    HWND w = Top("W", Bounds(100, 100, 200, 100), WS_POPUP | WS_CAPTION | WS_VISIBLE);
    log.handlers[{w, WM_MOVING}] = [&](HWND h, UINT, WPARAM, LPARAM) {
        PostMessage(h, WM_USER + 9, 0, 0);
        Clock::Advance(60);   // the user takes their time
        return LRESULT(0);
    };
    SetTimer(w, 1, 50);
    TPoint grip = drv.WindowPoint(w, TPoint(50, 10));
    drv.MoveTo(grip);
    log.Clear();
    // Press and move, with no release yet: the loop serves what is pending and,
    // out of input, ends as if the capture were lost (the driver's idle rule).
    osinput::MouseButton(backend::TMouseButton::Left, true, grip);
    osinput::MouseMove(TPoint(grip.X + 10, grip.Y + 10));
    osinput::MouseMove(TPoint(grip.X + 30, grip.Y + 30));
    drv.PumpUntilIdle();
    EXPECT_EQ(log.Trace({WM_ENTERSIZEMOVE, WM_MOVING, WM_USER + 9, WM_TIMER, WM_EXITSIZEMOVE}),
              (Strings{"W:ENTERSIZEMOVE", "W:MOVING", "W:1033", "W:MOVING", "W:1033", "W:TIMER", "W:EXITSIZEMOVE"}));
    TRect r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.TopLeft(), TPoint(130, 130));
}

TEST_F(OsReentry, WindowDestroyedByItsOwnHandler)
{
    HWND form = Top("form", Bounds(0, 0, 200, 200));
    HWND child = Child("child", form, Bounds(10, 10, 50, 50));
    log.handlers[{child, WM_LBUTTONDOWN}] = [&](HWND h, UINT, WPARAM, LPARAM) {
        DestroyWindow(GetParent(h));   // the parent, and with it this window
        EXPECT_FALSE(IsWindow(h));
        return LRESULT(0);
    };
    drv.Click(drv.CenterOf(child));
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(IsWindow(child));
    // Its destruction came in the documented order.
    EXPECT_EQ(log.Trace({WM_DESTROY, WM_NCDESTROY}),
              (Strings{"form:DESTROY", "child:DESTROY", "child:NCDESTROY", "form:NCDESTROY"}));
    // The release and anything posted to it are dropped, not delivered to freed memory.
    EXPECT_EQ(log.Count(child, WM_LBUTTONUP), 0);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(PostMessage(child, WM_USER, 0, 0));
}

TEST_F(OsReentry, CreationAndDestructionMessages)
{
    log.Clear();
    HWND owner = Top("owner", Bounds(0, 0, 200, 200));
    HWND popup = Top("popup", Bounds(50, 50, 50, 50), WS_POPUP | WS_VISIBLE, 0, owner);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
    EXPECT_EQ(GetTopWindow(nullptr), popup) << "an owned window stays above its owner";
    SetActiveWindow(owner);
    EXPECT_EQ(GetTopWindow(nullptr), popup);
    HWND child = Child("child", owner, Bounds(0, 0, 10, 10));
    EXPECT_TRUE(IsChild(owner, child));
    Strings created = log.Trace({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_PARENTNOTIFY});
    Strings childPart(created.end() - 6, created.end());
    EXPECT_EQ(childPart, (Strings{"child:NCCREATE", "child:NCCALCSIZE", "child:CREATE", "owner:PARENTNOTIFY", "child:SIZE",
                                  "child:MOVE"}));
    log.Clear();
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(popup)) << "owned windows go with their owner";
    Strings destroyed = log.Trace({WM_DESTROY, WM_NCDESTROY});
    EXPECT_EQ(destroyed, (Strings{"popup:DESTROY", "popup:NCDESTROY", "owner:DESTROY", "child:DESTROY", "child:NCDESTROY",
                                  "owner:NCDESTROY"}));
    // WM_CREATE answering -1 fails the creation; the half-made window is destroyed.
    RegisterLogClass("Refuse");
    HWND probe = nullptr;
    WNDCLASS wc;
    wc.lpszClassName = "Refuser";
    wc.lpfnWndProc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CREATE)
        {
            probe = h;
            return -1;
        }
        return DefWindowProc(h, m, w, l);
    };
    RegisterClass(wc);
    EXPECT_EQ(CreateWindowEx(0, "Refuser", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_NE(probe, nullptr);
    EXPECT_FALSE(IsWindow(probe));
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_EQ(CreateWindowEx(0, "Log", "", WS_CHILD, 0, 0, 10, 10, nullptr), nullptr) << "a child needs a parent";
}

TEST_F(OsReentry, DeadAndNullHandlesFailQuietly)
{
    HWND dead = Top("dead", Bounds(0, 0, 50, 50));
    DestroyWindow(dead);
    drv.PumpUntilIdle();   // its memory is gone now
    for (HWND h : {dead, static_cast<HWND>(nullptr)})
    {
        SCOPED_TRACE(h ? "dead" : "null");
        TRect r;
        TPoint p;
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
        EXPECT_FALSE(GetWindowRect(h, &r));
        EXPECT_FALSE(GetClientRect(h, &r));
        EXPECT_FALSE(ClientToScreen(h, &p));
        EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 10, 10, 0));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_EQ(SetFocus(h), nullptr);
        EXPECT_EQ(GetParent(h), nullptr);
        EXPECT_EQ(GetWindowText(h), "");
        EXPECT_FALSE(SetWindowText(h, "x"));
        EXPECT_EQ(SubclassWindow(h, [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); }), 0u);
        EXPECT_FALSE(RemoveWindowSubclass(h, 1));
        if (h) { EXPECT_EQ(SetTimer(h, 1, 10), 0u); }
        EXPECT_EQ(SetWindowRgn(h, nullptr, TRUE), 0);
        EXPECT_FALSE(SetLayeredWindowAttributes(h, 0, 0, LWA_ALPHA));
        EXPECT_FALSE(UpdateLayeredWindow(h, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, ULW_ALPHA));
        EXPECT_FALSE(InvalidateRect(h, nullptr, TRUE) && h);
        EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
        EXPECT_EQ(GetWindowLong(h, GWL_STYLE), 0);
        EXPECT_FALSE(EnableWindow(h, FALSE));
        EXPECT_FALSE(IsChild(h, h));
        EXPECT_EQ(GetClassName(h), "");
        if (h)
        {
            EXPECT_EQ(GetDC(h), nullptr);
            EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
        }
    }
    // Null records are refused, not written through.
    HWND w = Top("w", Bounds(0, 0, 50, 50));
    EXPECT_FALSE(GetWindowRect(w, nullptr));
    EXPECT_EQ(BeginPaint(w, nullptr), nullptr);
    EXPECT_FALSE(TrackMouseEvent(nullptr));
    EXPECT_FALSE(PeekMessage(nullptr, nullptr, WM_USER + 100, WM_USER + 100, PM_REMOVE));
    EXPECT_EQ(DispatchMessage(nullptr), 0);
    EXPECT_FALSE(TranslateMessage(nullptr));
    EXPECT_EQ(SendMessage(w, WM_SETTEXT, 0, 0), TRUE);
    EXPECT_EQ(GetWindowText(w), "");
    EXPECT_EQ(SendMessage(w, WM_NCCALCSIZE, 0, 0), 0);
    EXPECT_EQ(SendMessage(w, WM_WINDOWPOSCHANGED, 0, 0), 0);
    EXPECT_EQ(SendMessage(w, WM_NCCREATE, 0, 0), TRUE);
    // A region handle that is not a region is refused.
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(SetWindowRgn(w, reinterpret_cast<HRGN>(brush), TRUE), 0);
    DeleteObject(brush);
}
