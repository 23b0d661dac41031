// Handles of destroyed windows stay dead: a stale handle never names a newer window.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "os_testlog.h"
#include "platform/os/Os.h"

class OsHandles : public ::testing::Test, public TWindowTest
{
};

TEST_F(OsHandles, StaleHandlesNeverNameANewerWindow)
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

// A window owns its region: deleting the handle from outside leaves the shape
// in place, and the region goes when the window replaces it or goes itself.
TEST_F(OsHandles, WindowKeepsTheRegionItWasGiven)
{
    HWND w = Top("w", Bounds(0, 0, 100, 100));
    HRGN r = CreateRectRgn(0, 0, 50, 50);
    ASSERT_EQ(SetWindowRgn(w, r, TRUE), 1);
    DeleteObject(r);   // a caller that deletes what it handed over
    drv.PumpUntilIdle();
    EXPECT_EQ(WindowFromPoint(TPoint(70, 70)), nullptr) << "the shape still holds";
    EXPECT_EQ(WindowFromPoint(TPoint(10, 10)), w);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(w, copy), SIMPLEREGION);
    // Replacing it lets the old one go: a later delete of the old handle is refused.
    HRGN r2 = CreateRectRgn(0, 0, 80, 80);
    SetWindowRgn(w, r2, TRUE);
    EXPECT_FALSE(IsGdiObject(r));
    EXPECT_FALSE(DeleteObject(r));
    EXPECT_EQ(WindowFromPoint(TPoint(70, 70)), w);
    // Setting the same region again keeps it; the window's end frees it.
    SetWindowRgn(w, r2, FALSE);
    EXPECT_TRUE(IsGdiObject(r2));
    DestroyWindow(w);
    EXPECT_FALSE(IsGdiObject(r2));
    DeleteObject(copy);
}

// Drawing objects too: a handle deleted twice, or used after it went, never
// reaches a newer object that happens to take its place.
TEST_F(OsHandles, StaleDrawingHandlesNeverNameANewerObject)
{
    struct Case { const char* what; std::function<HGDIOBJ()> make; };
    const Case cases[] = {
        {"region", [] { return HGDIOBJ(CreateRectRgn(0, 0, 10, 10)); }},
        {"brush", [] { return HGDIOBJ(CreateSolidBrush(RGB(1, 2, 3))); }},
        {"bitmap", [] { return HGDIOBJ(CreateCompatibleBitmap(nullptr, 4, 4)); }},
    };
    for (const Case& c : cases)
    {
        HGDIOBJ gone = c.make();
        ASSERT_TRUE(DeleteObject(gone));
        std::vector<HGDIOBJ> made;
        for (int i = 0; i < 50; ++i)
        {
            made.push_back(c.make());
            EXPECT_NE(made.back(), gone) << c.what << " handle reused at " << i;
        }
        EXPECT_FALSE(DeleteObject(gone)) << c.what << ": the second delete is refused";
        for (HGDIOBJ h : made) EXPECT_TRUE(DeleteObject(h)) << c.what;
    }
}
