// Timers and the clock in virtual mode.
#include <gtest/gtest.h>

#include <thread>

#include "os_testlog.h"
#include "platform/core/MainThread.h"
#include "platform/os/Os.h"

class OsTimer : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsTimer, WindowTimersFireOnTheVirtualClock)
{
    HWND w = Top("W", Bounds(0, 0, 100, 100));
    struct Case
    {
        UINT interval;
        std::uint64_t advance;
        int fired;
    } cases[] = {{100, 99, 0}, {100, 100, 1}, {100, 350, 3}, {1, 50, 5}, {0, 25, 2}};
    for (const Case& c : cases)
    {
        log.Clear();
        SetTimer(w, 7, c.interval);
        drv.AdvanceClock(c.advance);
        EXPECT_EQ(log.Count(w, WM_TIMER), c.fired) << c.interval << " ms after " << c.advance;
        KillTimer(w, 7);
    }
    // Killing stops it; two timers come in the order they fall due.
    log.Clear();
    SetTimer(w, 1, 30);
    SetTimer(w, 2, 20);
    drv.AdvanceClock(30);
    std::vector<WPARAM> ids;
    for (auto& e : log.entries)
        if (e.msg == WM_TIMER) ids.push_back(e.wp);
    EXPECT_EQ(ids, (std::vector<WPARAM>{2, 1}));
    KillTimer(w, 1);
    KillTimer(w, 2);
    log.Clear();
    drv.AdvanceClock(1000);
    EXPECT_EQ(log.Count(w, WM_TIMER), 0);
    // Resetting a timer restarts its interval.
    SetTimer(w, 3, 100);
    drv.AdvanceClock(60);
    SetTimer(w, 3, 100);
    drv.AdvanceClock(60);
    EXPECT_EQ(log.Count(w, WM_TIMER), 0);
    drv.AdvanceClock(40);
    EXPECT_EQ(log.Count(w, WM_TIMER), 1);
    // A destroyed window's timers go with it.
    DestroyWindow(w);
    EXPECT_EQ(NextTimerDue(), 0u);
}

TEST_F(OsTimer, TimerProceduresAndThreadTimers)
{
    int calls = 0;
    std::uintptr_t id = SetTimer(nullptr, 0, 50, [&](HWND h, UINT m, std::uintptr_t, DWORD) {
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(m, WM_TIMER);
        ++calls;
    });
    ASSERT_NE(id, 0u);
    drv.AdvanceClock(120);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_FALSE(KillTimer(nullptr, id));
}

TEST_F(OsTimer, BusyLoopsOnTheClockFinishWithoutRealWaiting)
{
    // A fade loop: steps each time more than 5 ms have passed, as the skinned
    // windows do, without serving messages.
    int alpha = 0, steps = 0;
    DWORD last = GetTickCount() - 6;
    while (alpha < 255)
    {
        DWORD now = GetTickCount();
        if (now - last > 5)
        {
            alpha = std::min(255, alpha + 17);
            last = now;
            ++steps;
        }
    }
    EXPECT_EQ(steps, 15);
    // Two reads with something moving the clock in between give exact values.
    std::uint64_t t0 = Clock::Now();
    Clock::Advance(10);
    EXPECT_EQ(Clock::Now(), t0 + 10);
    Sleep(25);
    EXPECT_EQ(Clock::Now(), t0 + 35);
}

TEST_F(OsTimer, GetMessageWaitsForTimersAndWakesForOtherThreads)
{
    HWND w = Top("W", Bounds(0, 0, 100, 100));
    SetTimer(w, 1, 500);
    std::uint64_t t0 = Clock::Now();
    MSG m;
    // Nothing else to do: virtual time jumps to the timer.
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_GE(Clock::Now(), t0 + 500);
    KillTimer(w, 1);
    // WaitMessage waits for the next timer without taking the message.
    SetTimer(w, 2, 300);
    std::uint64_t t1 = Clock::Now();
    EXPECT_TRUE(WaitMessage());
    EXPECT_GE(Clock::Now(), t1 + 300);
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 2u);
    KillTimer(w, 2);
    // A worker's synchronised call and posted message wake the wait.
    bool ran = false;
    std::thread worker([&] {
        RunOnMainThread([&] { ran = true; }, true);
        PostMessage(w, WM_USER + 5, 1, 2);
    });
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_EQ(m.message, WM_USER + 5u);
    // SendMessage from another thread runs on the GUI thread.
    std::thread sender([&] { EXPECT_EQ(SendMessage(w, WM_GETTEXTLENGTH, 0, 0), 1); });
    for (int i = 0; i < 1000000 && log.Count(w, WM_GETTEXTLENGTH) == 0; ++i)
    {
        ProcessPendingMessages();
        std::this_thread::yield();
    }
    sender.join();
}

TEST_F(OsTimer, AProgramsMessageLoopRunsToItsEndOnTheVirtualClock)
{
    // The loop a program runs: a fade timer steps ten times, then the window
    // closes itself and the loop ends with the exit code posted on destroy.
    HWND w = Top("W", Bounds(0, 0, 100, 100));
    int steps = 0;
    log.handlers[{w, WM_TIMER}] = [&](HWND h, UINT, WPARAM, LPARAM) {
        if (++steps == 10)
        {
            KillTimer(h, 1);
            PostMessage(h, WM_CLOSE, 0, 0);
        }
        return LRESULT(0);
    };
    log.handlers[{w, WM_DESTROY}] = [](HWND, UINT, WPARAM, LPARAM) {
        PostQuitMessage(7);
        return LRESULT(0);
    };
    SetTimer(w, 1, 25);
    std::uint64_t t0 = Clock::Now();
    MSG m;
    int r;
    while ((r = GetMessage(&m, nullptr, 0, 0)) > 0)
    {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    EXPECT_EQ(r, 0);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(steps, 10);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Clock::Now() - t0, 250u) << "time moved only as far as the timers needed";
}
