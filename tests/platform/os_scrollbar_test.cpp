// The standard scroll bars: the state a window keeps (clamped, kept while
// hidden), the room they take, and the commands a press on each part sends.
#include <gtest/gtest.h>

#include "os_testlog.h"
#include "platform/os/Os.h"
#include "platform/os/ScrollBar.h"

namespace
{
class OsScrollBar : public ::testing::Test, public TWindowTest
{
protected:
    HWND win = nullptr;
    void SetUp() override
    {
        win = Top("win", Bounds(100, 100, 200, 150), WS_POPUP | WS_VISIBLE | WS_VSCROLL);
    }
    SCROLLINFO Info(int bar = SB_VERT)
    {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(win, bar, &si);
        return si;
    }
    // The scroll commands the window got, as (code, position) pairs.
    std::vector<std::pair<int, int>> Commands()
    {
        std::vector<std::pair<int, int>> out;
        for (auto& e : log.entries)
            if (e.hwnd == win && e.msg == WM_VSCROLL) out.emplace_back(LOWORD(e.wp), HIWORD(e.wp));
        return out;
    }
    TPoint Mid(const TRect& r) { return TTestDriver::WindowPoint(win, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)); }
};

TEST_F(OsScrollBar, StateIsClampedAndKeptWhileTheBarIsHidden)
{
    struct Case { UINT mask; int min, max; UINT page; int pos; int wantPos; UINT wantPage; };
    const Case cases[] = {
        {SIF_ALL, 0, 99, 10, 50, 50, 10},
        {SIF_POS, 0, 0, 0, 95, 90, 10},        // the last page starts at max - page + 1
        {SIF_POS, 0, 0, 0, -5, 0, 10},
        {SIF_PAGE, 0, 0, 500, 0, 0, 100},      // a page is at most the range
        {SIF_RANGE | SIF_POS, 10, 20, 0, 30, 10, 100},
        {SIF_ALL, 0, 1000, 0, 1000, 1000, 0},  // no page: any position in the range
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pos);
        SCROLLINFO si;
        si.fMask = c.mask;
        si.nMin = c.min, si.nMax = c.max, si.nPage = c.page, si.nPos = c.pos;
        EXPECT_EQ(SetScrollInfo(win, SB_VERT, &si, TRUE), c.wantPos);
        EXPECT_EQ(Info().nPos, c.wantPos);
        EXPECT_EQ(Info().nPage, c.wantPage);
    }
    TRect with, without;
    GetClientRect(win, &with);
    ShowScrollBar(win, SB_VERT, FALSE);
    GetClientRect(win, &without);
    EXPECT_EQ(without.Width(), with.Width() + GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_FALSE(GetWindowLong(win, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(GetScrollPos(win, SB_VERT), 1000);   // the state outlives the bar
    EXPECT_TRUE(scrollbars::PartsOf(win, SB_VERT).bar.IsEmpty());
}

TEST_F(OsScrollBar, PressesSendTheCommandsOfEachPart)
{
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    si.nMin = 0, si.nMax = 99, si.nPage = 20, si.nPos = 0;
    SetScrollInfo(win, SB_VERT, &si, TRUE);
    // The window scrolls as it is told, as a control would.
    log.handlers[{win, WM_VSCROLL}] = [](HWND h, UINT, WPARAM wp, LPARAM) {
        if (LOWORD(wp) == SB_THUMBPOSITION) SetScrollPos(h, SB_VERT, HIWORD(wp), TRUE);
        return LRESULT(0);
    };
    drv.PumpUntilIdle();
    auto p = scrollbars::PartsOf(win, SB_VERT);
    ASSERT_FALSE(p.thumb.IsEmpty());
    EXPECT_EQ(p.thumb.Top, p.lineUp.Bottom);
    log.Clear();
    drv.Click(Mid(p.lineDown));
    drv.Click(Mid(p.lineUp));
    drv.Click(TTestDriver::WindowPoint(win, TPoint(p.bar.Left + 3, p.lineDown.Top - 2)));   // track below the thumb
    using C = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Commands(), (C{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}, {SB_LINEUP, 0}, {SB_ENDSCROLL, 0},
                             {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}));
    // A thumb drag tracks, then sets the position at the release.
    log.Clear();
    const TPoint from = Mid(p.thumb);
    drv.Drag(from, TPoint(from.X, from.Y + 500), 4);
    const C cmds = Commands();
    ASSERT_GE(cmds.size(), 3u);
    EXPECT_EQ(cmds.front().first, SB_THUMBTRACK);
    EXPECT_EQ(cmds[cmds.size() - 2], (std::pair<int, int>{SB_THUMBPOSITION, 80}));
    EXPECT_EQ(cmds.back().first, SB_ENDSCROLL);
    EXPECT_EQ(Info().nPos, 80);
    EXPECT_EQ(GetCapture(), nullptr);
    p = scrollbars::PartsOf(win, SB_VERT);
    EXPECT_EQ(p.thumb.Bottom, p.lineDown.Top);
}
} // namespace
