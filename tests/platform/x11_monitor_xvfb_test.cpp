// Monitors and the work area on a real display: the screen's size through
// XRandR, the work area from _NET_WORKAREA, and a change of it reaching the
// layer as a display change.
#include <gtest/gtest.h>

#include "platform/os/Monitor.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

TEST(X11MonitorTest, ScreenAndWorkAreaFollowTheDisplay)
{
    UseDisplay();
    // xvfb-run's screen: 1280 x 1024 (tests/CMakeLists.txt).
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    TRect work;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work, Bounds(0, 0, 1280, 1024)) << "no panels: the whole screen";

    static int displayChanges = 0;
    WNDCLASS wc;
    wc.lpszClassName = "DisplayWatcher";
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_DISPLAYCHANGE) ++displayChanges;
        return DefWindowProc(h, m, wp, lp);
    };
    RegisterClass(wc);
    HWND w = CreateWindowEx(0, "DisplayWatcher", "watcher", WS_POPUP, 0, 0, 10, 10, nullptr);
    ASSERT_TRUE(w);
    // A panel appears at the top: the desktop announces a smaller work area.
    ASSERT_TRUE(Exec({"xprop", "-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", "0,24,1280,1000"}));
    EXPECT_TRUE(PumpUntil([&] {
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        return work == Bounds(0, 24, 1280, 1000);
    }));
    EXPECT_GT(displayChanges, 0);
    MONITORINFO mi;
    ASSERT_TRUE(GetMonitorInfo(GetPrimaryMonitor(), &mi));
    EXPECT_EQ(mi.rcMonitor, Bounds(0, 0, 1280, 1024));
    EXPECT_EQ(mi.rcWork, Bounds(0, 24, 1280, 1000));
    DestroyWindow(w);
    ResetWindowManager();
}
