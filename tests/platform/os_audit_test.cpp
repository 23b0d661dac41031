// Handles of destroyed windows stay dead: a stale handle never names a newer window.
#include <gtest/gtest.h>

#include <set>

#include "os_testlog.h"
#include "platform/os/Os.h"

class OsAudit : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsAudit, StaleHandlesNeverNameANewerWindow)
{
    HWND first = Top("first", Bounds(0, 0, 50, 50));
    DestroyWindow(first);
    drv.PumpUntilIdle();
    std::set<HWND> seen = {first};
    // Windows made and destroyed one after another, top-level and child.
    HWND parent = Top("parent", Bounds(100, 100, 200, 200));
    for (int i = 0; i < 300; ++i)
    {
        HWND h = (i % 2) ? Child("c", parent, Bounds(0, 0, 10, 10)) : Top("t", Bounds(0, 0, 10, 10));
        EXPECT_TRUE(seen.insert(h).second) << "handle reused at " << i;
        DestroyWindow(h);
        drv.PumpUntilIdle();
    }
    // The first handle is still nobody's.
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(PostMessage(first, WM_USER + 1));
    log.Clear();
    EXPECT_EQ(SendMessage(first, WM_USER + 2, 0, 0), 0);
    EXPECT_EQ(SetWindowPos(first, nullptr, 0, 0, 5, 5, SWP_NOZORDER), FALSE);
    EXPECT_TRUE(log.entries.empty());
}
