// Monitors, work areas, metrics and maximizing on a two-monitor desktop.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"

namespace
{
std::vector<backend::TMonitorDesc> TwoMonitors()
{
    // The primary on the right; the second one left of it, taller, with a panel on top.
    return {{TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 994), true},
            {TRect(-1024, -200, 0, 1080), TRect(-1024, -170, 0, 1080), false}};
}
} // namespace

class OsMonitor : public ::testing::Test
{
protected:
    TTestDriver drv{TwoMonitors()};
    TMsgLog log;
    OsMonitor()
    {
        TMsgLog::Current() = &log;
        RegisterLogClass("Log");
    }
    ~OsMonitor() override { TMsgLog::Current() = nullptr; }
};

TEST_F(OsMonitor, PointsRectsAndWindowsFindTheirMonitor)
{
    auto mons = GetMonitors();
    ASSERT_EQ(mons.size(), 2u);
    HMONITOR primary = mons[0], left = mons[1];
    EXPECT_EQ(GetPrimaryMonitor(), primary);
    struct Case
    {
        TPoint pt;
        DWORD flags;
        HMONITOR expected;
    } cases[] = {
        {{10, 10}, MONITOR_DEFAULTTONULL, primary},
        {{-10, 1050}, MONITOR_DEFAULTTONULL, left},
        {{-10, -199}, MONITOR_DEFAULTTONULL, left},
        {{500, -50}, MONITOR_DEFAULTTONULL, nullptr},
        {{500, -50}, MONITOR_DEFAULTTONEAREST, primary},
        {{-500, -500}, MONITOR_DEFAULTTONEAREST, left},
        {{5000, 5000}, MONITOR_DEFAULTTOPRIMARY, primary},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MonitorFromPoint(c.pt, c.flags), c.expected) << c.pt.X << "," << c.pt.Y;
    // A window belongs to the monitor holding most of it.
    HWND w = CreateWindowEx(0, "Log", "w", WS_POPUP, -300, 100, 400, 100, nullptr);
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), left);
    SetWindowPos(w, nullptr, -100, 100, 400, 100, SWP_NOZORDER);
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), primary);
    MONITORINFO mi;
    ASSERT_TRUE(GetMonitorInfo(left, &mi));
    EXPECT_EQ(mi.rcWork, TRect(-1024, -170, 0, 1080));
    EXPECT_EQ(mi.dwFlags, 0u);
    GetMonitorInfo(primary, &mi);
    EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_FALSE(GetMonitorInfo(nullptr, &mi));
}

TEST_F(OsMonitor, MetricsDescribeThePrimaryAndTheVirtualScreen)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1024);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), -200);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2304);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1280);
    TRect work;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work, TRect(0, 0, 1280, 994));
}

TEST_F(OsMonitor, MaximizeFillsTheWorkAreaOfTheWindowsMonitorAndRestores)
{
    HWND w = CreateWindowEx(0, "Log", "w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, -600, 300, 300, 200, nullptr);
    log.names[w] = "w";
    drv.PumpUntilIdle();
    log.Clear();
    ShowWindow(w, SW_MAXIMIZE);
    TRect r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r, TRect(-1024, -170, 0, 1080));
    EXPECT_TRUE(IsZoomed(w));
    const TLogEntry* size = log.Last(w, WM_SIZE);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->wp, SIZE_MAXIMIZED);
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_EQ(r, Bounds(-600, 300, 300, 200));
    EXPECT_EQ(log.Last(w, WM_SIZE)->wp, SIZE_RESTORED);
    // Minimized windows leave the desktop and the activation.
    HWND other = CreateWindowEx(0, "Log", "o", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr);
    SetActiveWindow(w);
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(log.Last(w, WM_SIZE)->wp, SIZE_MINIMIZED);
    EXPECT_NE(WindowFromPoint(TPoint(-500, 350)), w);
}

TEST_F(OsMonitor, ChangingTheMonitorsTellsTheWindows)
{
    HWND w = CreateWindowEx(0, "Log", "w", WS_POPUP, 0, 0, 10, 10, nullptr);
    log.Clear();
    drv.SetMonitors({{TRect(0, 0, 800, 600), TRect(0, 0, 800, 570), true}});
    const TLogEntry* e = log.Last(w, WM_DISPLAYCHANGE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(GET_X_LPARAM(e->lp), 800);
    EXPECT_EQ(GET_Y_LPARAM(e->lp), 600);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(MonitorFromPoint(TPoint(-10, 10), MONITOR_DEFAULTTONULL), nullptr);
}
