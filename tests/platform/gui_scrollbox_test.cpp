// The scroll box: ranges from its children, scrolling them with the
// window's bars and the scroll messages, scrolling a control into view.
#include "gui_test_util.h"

#include <filesystem>

#include "platform/gui/ScrollBox.h"
#include "platform/os/SysColors.h"

namespace
{
class ScrollBoxTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        form = MakeForm(400, 300);
        box = new TScrollBox(form);
        box->SetBounds(10, 10, 200, 150);
        box->SetParent(form);
        below = new TTestBox(form, clRed);
        below->SetBounds(10, 400, 50, 20);
        below->SetParent(box);
        right = new TTestBox(form, clBlue);
        right->SetBounds(300, 10, 50, 20);
        right->SetParent(box);
        form->Show();
        driver->PumpUntilIdle();
    }
    SCROLLINFO Info(int bar)
    {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(box->GetHandle(), bar, &si);
        return si;
    }
    TForm* form = nullptr;
    TScrollBox* box = nullptr;
    TTestBox *below = nullptr, *right = nullptr;
};

TEST_F(ScrollBoxTest, ChildrenSetTheRangesAndScrollIntoView)
{
    HWND h = box->GetHandle();
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(box->VertScrollBar()->GetRange(), 420);
    EXPECT_EQ(box->HorzScrollBar()->GetRange(), 350);
    EXPECT_EQ(Info(SB_VERT).nMax, 419);
    EXPECT_EQ(int(Info(SB_VERT).nPage), box->ClientHeight());
    struct Step { UINT msg; WORD code; int pos; int v; int h; };
    const int most = 420 - box->ClientHeight();
    const Step steps[] = {
        {WM_VSCROLL, SB_THUMBPOSITION, 100, 100, 0},
        {WM_VSCROLL, SB_LINEDOWN, 0, 108, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, std::min(most, 108 + box->ClientHeight()), 0},
        {WM_VSCROLL, SB_BOTTOM, 0, most, 0},
        {WM_HSCROLL, SB_THUMBPOSITION, 40, most, 40},
        {WM_VSCROLL, SB_TOP, 0, 0, 40},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.code);
        SendMessage(h, s.msg, MAKEWPARAM(s.code, s.pos), 0);
        EXPECT_EQ(Info(SB_VERT).nPos, s.v);
        EXPECT_EQ(Info(SB_HORZ).nPos, s.h);
        // The children moved with the view.
        EXPECT_EQ(below->Top(), 400 - s.v);
        EXPECT_EQ(right->Left(), 300 - s.h);
    }
    // The ranges stay those of the unscrolled children.
    EXPECT_EQ(box->HorzScrollBar()->GetRange(), 350);
    box->ScrollInView(below);
    EXPECT_EQ(below->Top() + below->Height(), box->ClientHeight());
    // A click on the bar's down arrow scrolls a line.
    const auto parts = scrollbars::PartsOf(h, SB_VERT);
    box->VertScrollBar()->SetPosition(0);
    driver->Click(TTestDriver::WindowPoint(h, TPoint((parts.lineDown.Left + parts.lineDown.Right) / 2, (parts.lineDown.Top + parts.lineDown.Bottom) / 2)));
    EXPECT_EQ(Info(SB_VERT).nPos, box->VertScrollBar()->Increment);
    // Children that fit: no bars.
    below->SetTop(20 + box->VertScrollBar()->GetPosition());
    right->SetLeft(20 + box->HorzScrollBar()->GetPosition());
    driver->PumpUntilIdle();
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
}

TEST_F(ScrollBoxTest, PlainLookSnapshot)
{
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/snapshots";
    std::filesystem::create_directories(dir);
    TRect wr;
    GetWindowRect(box->GetHandle(), &wr);
    ASSERT_TRUE(driver->Snapshot(dir + "/scrollbox.png", wr));
    // Both bars beside the client, the corner between them in the button face.
    const auto v = scrollbars::PartsOf(box->GetHandle(), SB_VERT), hb = scrollbars::PartsOf(box->GetHandle(), SB_HORZ);
    EXPECT_EQ(v.bar.Left, box->ClientWidth() + 2);
    EXPECT_EQ(hb.bar.Top, box->ClientHeight() + 2);
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(TTestDriver::WindowPoint(box->GetHandle(), TPoint(v.bar.Left + 3, hb.bar.Top + 3)))),
              GetSysColor(COLOR_BTNFACE));
}
} // namespace
