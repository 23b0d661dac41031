// The plain list view and its header window: scroll state in step with the
// messages both ways, selection by mouse and keys, the header's hit test and
// column sizing, owner-data fetching only what is in view, label editing,
// sorting, and the plain look.
#include "gui_test_util.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/core/Utf8.h"
#include "platform/gui/ComCtrls.h"
#include "platform/os/SysColors.h"

namespace
{
class ListViewTest : public GuiTest
{
protected:
    // A shown report view with two columns and `n` rows "item 0000" …
    TListView* MakeView(int n, bool multi = false)
    {
        form = MakeForm(420, 320);
        auto* lv = new TListView(form);
        lv->SetName("View");
        lv->SetBounds(10, 10, 300, 200);
        lv->SetViewStyle(vsReport);
        lv->SetMultiSelect(multi);
        lv->SetRowSelect(true);
        lv->SetParent(form);
        TListColumn* c = lv->Columns()->Add();
        c->SetCaption("Name");
        c->SetWidth(120);
        c = lv->Columns()->Add();
        c->SetCaption("Size");
        c->SetWidth(80);
        c->SetAlignment(taRightJustify);
        lv->Items()->BeginUpdate();
        for (int i = 0; i < n; ++i)
        {
            TListItem* it = lv->Items()->Add();
            it->SetCaption(Format("item %04d", i));
            it->SubItems()->Add(std::to_string(i * 10));
        }
        lv->Items()->EndUpdate();
        form->Show();
        lv->SetFocus();
        driver->PumpUntilIdle();
        return lv;
    }
    // A shown report view in owner-data mode with `count` rows and one column.
    TListView* MakeOwnerDataView(int count, TLVOwnerDataEvent onData)
    {
        form = MakeForm(420, 320);
        auto* lv = new TListView(form);
        lv->SetBounds(10, 10, 300, 200);
        lv->SetViewStyle(vsReport);
        lv->SetOwnerData(true);
        lv->SetParent(form);
        lv->Columns()->Add()->SetWidth(150);
        lv->OnData = std::move(onData);
        lv->Items()->SetCount(count);
        form->Show();
        lv->SetFocus();
        driver->PumpUntilIdle();
        return lv;
    }
    static SCROLLINFO Info(TListView* lv, int bar)
    {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(lv->GetHandle(), bar, &si);
        return si;
    }
    static TPoint RowPoint(TListView* lv, int i, int x = 20)
    {
        const TRect r = lv->ItemRect(i, drBounds);
        return TTestDriver::ClientPoint(lv->GetHandle(), TPoint(r.Left + x, (r.Top + r.Bottom) / 2));
    }
    std::vector<int> Selection(TListView* lv)
    {
        std::vector<int> s;
        for (int i = 0; i < lv->Items()->Count(); ++i)
            if (lv->IsSelected(i)) s.push_back(i);
        return s;
    }
    TForm* form = nullptr;
};

TEST_F(ListViewTest, ReportScrollStateFollowsTheMessagesBothWays)
{
    TListView* lv = MakeView(1000);
    HWND h = lv->GetHandle();
    const int page = int(SendMessage(h, LVM_GETCOUNTPERPAGE));
    ASSERT_GT(page, 3);
    EXPECT_EQ(SendMessage(h, LVM_GETITEMCOUNT), 1000);
    SCROLLINFO v = Info(lv, SB_VERT);
    EXPECT_EQ(v.nMin, 0);
    EXPECT_EQ(v.nMax, 999);
    EXPECT_EQ(int(v.nPage), page);
    EXPECT_EQ(v.nPos, 0);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    // A row is exactly one item's bounds high, and the client holds `page` whole rows below the header.
    TRect r0;
    r0.Left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessage(h, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0)));
    const int rowH = r0.Height();
    TRect hr;
    GetClientRect(lv->HeaderHandle(), &hr);
    EXPECT_EQ(r0.Top, hr.Height());
    EXPECT_EQ((lv->ClientHeight() - hr.Height()) / rowH, page);

    // An external bar drives the view through the messages; the view's state follows.
    struct Step { UINT msg; WPARAM wp; LPARAM lp; int top; };
    const Step steps[] = {
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 500), 0, 500},
        {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0, 501},
        {WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0, 500},
        {WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0, 500 + page},
        {WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0, 500},
        {LVM_SCROLL, 0, 3 * 0, 500},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 998), 0, 1000 - page},   // clamped to the last page
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 10), 0, 10},
        {WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0, 1000 - page},
        {WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0, 0},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(testing::Message() << s.msg << " " << LOWORD(s.wp) << " " << HIWORD(s.wp));
        SendMessage(h, s.msg, s.wp, s.lp);
        EXPECT_EQ(Info(lv, SB_VERT).nPos, s.top);
        EXPECT_EQ(lv->GetTopItem()->Index(), s.top);
        EXPECT_EQ(SendMessage(h, LVM_GETTOPINDEX), s.top);
    }
    // LVM_SCROLL moves by pixels: the row height times the rows wanted.
    SendMessage(h, LVM_SCROLL, 0, 7 * rowH);
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 7);
    SendMessage(h, LVM_SCROLL, 0, -2 * rowH);
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 5);
    // The view's own scrolling (keys, wheel) shows in the scroll state.
    driver->PressKey(VK_END);
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 1000 - page);
    EXPECT_EQ(lv->GetItemIndex(), 999);
    driver->PressKey(VK_HOME);
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 0);
    driver->Wheel(-WHEEL_DELTA, TTestDriver::CenterOf(h));
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 3);
    // Sideways in pixels: the columns are wider than the client once widened.
    lv->Columns()->Items(1)->SetWidth(400);
    SCROLLINFO hs = Info(lv, SB_HORZ);
    EXPECT_EQ(hs.nMax, 519);
    EXPECT_EQ(int(hs.nPage), lv->ClientWidth());
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
    EXPECT_EQ(Info(lv, SB_HORZ).nPos, 100);
    EXPECT_EQ(lv->ItemRect(0, drBounds).Left, -100);
}

// Report rows are a comfortable desktop item high (18-20 px) at small and
// UI-sized fonts, and grow with the text beyond that.
TEST_F(ListViewTest, RowsAreItemHighAndGrowWithTheFont)
{
    TListView* lv = MakeView(5);
    struct Case { int fontHeight, minRow, maxRow; };
    for (const Case& c : {Case{12, 18, 18}, Case{-10, 18, 18}, Case{-12, 18, 20}, Case{-24, 28, 40}})
    {
        lv->Font()->SetHeight(c.fontHeight);
        driver->PumpUntilIdle();
        const TRect r0 = lv->ItemRect(0, drBounds), r1 = lv->ItemRect(1, drBounds);
        SCOPED_TRACE(c.fontHeight);
        EXPECT_EQ(r0.Height(), r1.Top - r0.Top);
        EXPECT_GE(r0.Height(), c.minRow);
        EXPECT_LE(r0.Height(), c.maxRow);
    }
}

TEST_F(ListViewTest, AWrapperHidesTheBarsAndDrivesTheViewBeyondSixteenBits)
{
    TListView* lv = MakeOwnerDataView(100000, [](TObject*, TListItem* it) { it->SetCaption(std::to_string(it->Index())); });
    HWND h = lv->GetHandle();
    // No non-client area: the bars take no room and are not drawn, their state stays.
    const TSubclassToken frameless = MakeFrameless(h);
    EXPECT_EQ(lv->ClientWidth(), lv->Width());
    EXPECT_EQ(Info(lv, SB_VERT).nMax, 99999);
    // The wrapper sets the full position first, then sends the 16 bits the message holds.
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = 70000;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(70000 & 0xFFFF)), 0);
    EXPECT_EQ(lv->GetTopItem()->Index(), 70000);
    // Without that, the 16 bits are the position.
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1234), 0);
    EXPECT_EQ(lv->GetTopItem()->Index(), 1234);
    RemoveWindowSubclass(h, frameless);
}

TEST_F(ListViewTest, NativeBarsScrollTheViewWithTheMouse)
{
    TListView* lv = MakeView(100);
    HWND h = lv->GetHandle();
    const auto p = scrollbars::PartsOf(h, SB_VERT);
    ASSERT_FALSE(p.thumb.IsEmpty());
    auto mid = [&](const TRect& r) { return TTestDriver::WindowPoint(h, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)); };
    driver->Click(mid(p.lineDown));
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 1);
    driver->Click(mid(p.lineUp));
    EXPECT_EQ(Info(lv, SB_VERT).nPos, 0);
    // The thumb dragged to the far end shows the last page.
    const TPoint from = mid(p.thumb);
    driver->Drag(from, TPoint(from.X, from.Y + 400), 5);
    const SCROLLINFO v = Info(lv, SB_VERT);
    EXPECT_EQ(v.nPos, 100 - int(v.nPage));
    EXPECT_EQ(lv->GetTopItem()->Index(), v.nPos);
}

TEST_F(ListViewTest, SelectionWithTheMouseAndKeys)
{
    TListView* lv = MakeView(30, true);
    int selectEvents = 0;
    lv->OnSelectItem = [&](TObject*, TListItem*, bool) { ++selectEvents; };
    struct Step
    {
        const char* what;
        std::function<void()> act;
        std::vector<int> selected;
        int focused;
    };
    const Step steps[] = {
        {"click", [&] { driver->Click(RowPoint(lv, 2)); }, {2}, 2},
        {"shift click", [&] { driver->KeyDown(VK_SHIFT); driver->Click(RowPoint(lv, 5)); driver->KeyUp(VK_SHIFT); }, {2, 3, 4, 5}, 5},
        {"ctrl click adds", [&] { driver->KeyDown(VK_CONTROL); driver->Click(RowPoint(lv, 8)); driver->KeyUp(VK_CONTROL); }, {2, 3, 4, 5, 8}, 8},
        {"ctrl click removes", [&] { driver->KeyDown(VK_CONTROL); driver->Click(RowPoint(lv, 3)); driver->KeyUp(VK_CONTROL); }, {2, 4, 5, 8}, 3},
        {"down", [&] { driver->PressKey(VK_DOWN); }, {4}, 4},
        {"shift down", [&] { driver->PressKey(VK_DOWN, {VK_SHIFT}); driver->PressKey(VK_DOWN, {VK_SHIFT}); }, {4, 5, 6}, 6},
        {"right click in the selection keeps it", [&] { driver->Click(RowPoint(lv, 5), backend::TMouseButton::Right); }, {4, 5, 6}, 6},
        {"right click elsewhere selects", [&] { driver->Click(RowPoint(lv, 9), backend::TMouseButton::Right); }, {9}, 9},
        {"ctrl+a", [&] { driver->PressKey('A', {VK_CONTROL}); }, {}, 9},
        {"type to find", [&] { driver->TypeText("item 0012"); }, {12}, 12},
        {"end", [&] { driver->PressKey(VK_END); }, {29}, 29},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.what);
        s.act();
        std::vector<int> want = s.selected;
        if (std::string(s.what) == "ctrl+a")
            for (int i = 0; i < 30; ++i) want.push_back(i);
        EXPECT_EQ(Selection(lv), want);
        ASSERT_NE(lv->GetItemFocused(), nullptr);
        EXPECT_EQ(lv->GetItemFocused()->Index(), s.focused);
    }
    EXPECT_GT(selectEvents, 10);
    // Single selection: Shift and Ctrl do not extend.
    lv->SetMultiSelect(false);
    EXPECT_EQ(lv->SelCount(), 1);
    driver->KeyDown(VK_SHIFT);
    driver->Click(RowPoint(lv, lv->TopIndex() + 1));
    driver->KeyUp(VK_SHIFT);
    EXPECT_EQ(lv->SelCount(), 1);
    // A double click on a row fires OnDblClick.
    int dbl = 0;
    lv->OnDblClick = [&](TObject*) { ++dbl; };
    driver->DoubleClick(RowPoint(lv, lv->TopIndex() + 2));
    EXPECT_EQ(dbl, 1);
}

TEST_F(ListViewTest, HeaderIsItsOwnWindowWithHitTestAndSizing)
{
    // The view hears of the header's creation the way a wrapper subclassing it does.
    form = MakeForm(420, 320);
    std::vector<std::string> created;
    class TLoggingView : public TListView
    {
    public:
        using TListView::TListView;
        std::vector<std::string>* Log = nullptr;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE && Log)
                Log->push_back(GetClassName(reinterpret_cast<HWND>(m.LParam)));
            TListView::WndProc(m);
        }
    };
    auto* lv = new TLoggingView(form);
    lv->Log = &created;
    lv->SetBounds(10, 10, 300, 200);
    lv->SetViewStyle(vsReport);
    lv->SetParent(form);
    for (int w : {100, 60, 80})
        lv->Columns()->Add()->SetWidth(w);
    lv->Columns()->Items(0)->SetCaption("A rather long caption");
    TListItem* it = lv->Items()->Add();
    it->SetCaption("a much much longer caption of the first item");
    form->Show();
    driver->PumpUntilIdle();
    ASSERT_EQ(created, std::vector<std::string>{"SysHeader32"});
    HWND hh = lv->HeaderHandle();
    ASSERT_TRUE(hh);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(lv->GetHandle(), LVM_GETHEADER)), hh);
    EXPECT_EQ(SendMessage(hh, HDM_GETITEMCOUNT), 3);
    TRect r1;
    ASSERT_TRUE(SendMessage(hh, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r1)));
    EXPECT_EQ(r1.Left, 100);
    EXPECT_EQ(r1.Right, 160);
    int order[3] = {-1, -1, -1};
    ASSERT_TRUE(SendMessage(hh, HDM_GETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
    EXPECT_EQ(order[2], 2);

    struct Hit { int x; UINT flags; int item; };
    const Hit hits[] = {
        {50, HHT_ONHEADER, 0},
        {99, HHT_ONDIVIDER, 0},    // either side of the divider grabs the column on its left
        {102, HHT_ONDIVIDER, 0},
        {130, HHT_ONHEADER, 1},
        {160, HHT_ONDIVIDER, 1},
        {240, HHT_ONDIVIDER, 2},
        {280, HHT_NOWHERE, -1},    // right of the last column
    };
    for (const Hit& h : hits)
    {
        SCOPED_TRACE(h.x);
        HDHITTESTINFO info;
        info.pt = TPoint(h.x, 5);
        EXPECT_EQ(SendMessage(hh, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), h.item);
        EXPECT_EQ(info.flags, h.flags);
        EXPECT_EQ(info.iItem, h.item);
    }
    // Dragging the divider of column 1 sizes it; the columns right of it follow.
    driver->Drag(TTestDriver::ClientPoint(hh, TPoint(161, 5)), TTestDriver::ClientPoint(hh, TPoint(201, 5)), 4);
    EXPECT_EQ(lv->Columns()->Items(1)->GetWidth(), 100);
    ASSERT_TRUE(SendMessage(hh, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r1)));
    EXPECT_EQ(r1.Left, 200);
    EXPECT_EQ(lv->ItemRect(0, drBounds).Right, 280);
    // A double click on a divider fits the column to its widest text.
    driver->DoubleClick(TTestDriver::ClientPoint(hh, TPoint(100, 5)));
    const int fitted = lv->Columns()->Items(0)->GetWidth();
    EXPECT_GT(fitted, 150);
    EXPECT_GE(fitted, lv->Canvas()->TextWidth(it->GetCaption()));
    // A click on a section is a column click.
    std::vector<int> clicked;
    lv->OnColumnClick = [&](TObject*, TListColumn* c) { clicked.push_back(c->Index()); };
    driver->Click(TTestDriver::ClientPoint(hh, TPoint(fitted + 30, 5)));
    EXPECT_EQ(clicked, std::vector<int>{1});
}

TEST_F(ListViewTest, ColumnWidthLimitsHoldForDragsAndCode)
{
    TListView* lv = MakeView(3);
    TListColumn* name = lv->Columns()->Items(0);
    TListColumn* hidden = lv->Columns()->Add();
    hidden->SetWidth(0);
    hidden->SetMaxWidth(1);
    name->SetMinWidth(40);
    name->SetMaxWidth(150);
    name->SetWidth(500);
    EXPECT_EQ(name->GetWidth(), 150);
    name->SetWidth(5);
    EXPECT_EQ(name->GetWidth(), 40);
    hidden->SetWidth(90);
    EXPECT_EQ(hidden->GetWidth(), 1);
    hidden->SetWidth(0);
    // Dragging the divider at the end of the "Size" column sizes "Size", not
    // the hidden column behind it, which offers no divider of its own.
    driver->PumpUntilIdle();
    HWND hh = lv->HeaderHandle();
    const int right = 40 + 80;
    HDHITTESTINFO info;
    info.pt = TPoint(right + 1, 5);
    EXPECT_EQ(SendMessage(hh, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), 1);
    driver->Drag(TTestDriver::ClientPoint(hh, TPoint(right, 5)), TTestDriver::ClientPoint(hh, TPoint(right + 60, 5)), 4);
    EXPECT_EQ(lv->Columns()->Items(1)->GetWidth(), 140);
    EXPECT_EQ(hidden->GetWidth(), 0);
}

TEST_F(ListViewTest, AnEmptyViewLeavesOtherKeysToTheWindow)
{
    // F10 (the menu key) and keys the view does not use go on to the
    // window, also while the view holds no row.
    TListView* lv = MakeView(0);
    std::vector<WPARAM> commands;
    TSubclassToken token = 0;
    token = SubclassWindow(form->Handle(), [&](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_SYSCOMMAND) commands.push_back(wp & 0xFFF0);
        return CallPreviousWindowProc(w, token, msg, wp, lp);
    });
    ASSERT_TRUE(lv->Focused());
    driver->PressKey(VK_F10);
    EXPECT_EQ(commands, std::vector<WPARAM>{SC_KEYMENU});
    RemoveWindowSubclass(form->Handle(), token);
}

TEST_F(ListViewTest, OwnerDataFetchesOnlyTheRowsInView)
{
    std::set<int> fetched;
    TListView* lv = MakeOwnerDataView(0, [&](TObject*, TListItem* item) {
        fetched.insert(item->Index());
        item->SetCaption(Format("row %05d", item->Index()));
        item->SubItems()->Add("x");
    });
    lv->Columns()->Add()->SetWidth(100);
    lv->OnDataFind = [&](TObject*, TItemFind, const std::string& s, TPoint, void*, int start, TSearchDirection, bool,
                         int& index) {
        // "row 0" .. "row 09999": the program knows its rows without fetching them.
        if (s.rfind("row ", 0) == 0 && s.size() == 9) index = std::stoi(s.substr(4));
        else index = start;
    };
    fetched.clear();
    lv->Items()->SetCount(10000);
    driver->PumpUntilIdle();
    const int page = int(SendMessage(lv->GetHandle(), LVM_GETCOUNTPERPAGE));
    auto inView = [&](int top) {
        for (int i : fetched)
            if (i < top || i > top + page) return false;
        return !fetched.empty();
    };
    EXPECT_TRUE(inView(0));
    struct Step { WPARAM wp; int top; };
    for (const Step& s : {Step{MAKEWPARAM(SB_THUMBPOSITION, 5000), 5000}, Step{MAKEWPARAM(SB_PAGEDOWN, 0), 5000 + page},
                          Step{MAKEWPARAM(SB_THUMBPOSITION, 9999), 10000 - page}})
    {
        fetched.clear();
        SendMessage(lv->GetHandle(), WM_VSCROLL, s.wp, 0);
        driver->PumpUntilIdle();
        EXPECT_EQ(lv->GetTopItem()->Index(), s.top);
        fetched.erase(s.top);   // GetTopItem fetched it
        EXPECT_TRUE(inView(s.top)) << s.top;
    }
    // Typing finds through OnDataFind, not by fetching every row.
    fetched.clear();
    driver->TypeText("row 04321");
    ASSERT_NE(lv->GetItemFocused(), nullptr);
    EXPECT_EQ(lv->GetItemFocused()->Index(), 4321);
    EXPECT_LT(fetched.size(), std::size_t(3 * page));
}

TEST_F(ListViewTest, LabelEditingCommitsOnEnterAndCancelsOnEscape)
{
    TListView* lv = MakeView(5);
    std::vector<std::string> edited;
    bool allow = true;
    lv->OnEditing = [&](TObject*, TListItem*, bool& a) { a = allow; };
    lv->OnEdited = [&](TObject*, TListItem*, std::string& s) { edited.push_back(s); };
    struct Case { const char* typed; int key; const char* caption; std::size_t events; };
    const Case cases[] = {
        {"renamed", VK_RETURN, "renamed", 1},
        {"dropped", VK_ESCAPE, "renamed", 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        HWND ed = reinterpret_cast<HWND>(SendMessage(lv->GetHandle(), LVM_EDITLABELW, 1));
        ASSERT_TRUE(ed);
        EXPECT_EQ(GetFocus(), ed);
        driver->TypeText(c.typed);   // replaces the selected caption
        driver->PressKey(c.key);
        EXPECT_FALSE(lv->IsEditing());
        EXPECT_FALSE(IsWindowVisible(ed));
        EXPECT_EQ(lv->Items()->Item(1)->GetCaption(), c.caption);
        EXPECT_EQ(edited.size(), c.events);
        EXPECT_TRUE(lv->Focused());
    }
    // Leaving the editor commits.
    SendMessage(lv->GetHandle(), LVM_EDITLABELW, 2);
    driver->TypeText("left");
    auto* other = new TTestBox(form);
    other->SetBounds(320, 10, 50, 20);
    other->SetParent(form);
    other->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_EQ(lv->Items()->Item(2)->GetCaption(), "left");
    // OnEditing may refuse.
    allow = false;
    EXPECT_EQ(SendMessage(lv->GetHandle(), LVM_EDITLABELW, 3), 0);
    EXPECT_FALSE(lv->IsEditing());
}

TEST_F(ListViewTest, SortingKeepsSelectionWithItsItem)
{
    TListView* lv = MakeView(0);
    for (const char* s : {"pear", "Apple", "fig", "banana"}) lv->Items()->Add()->SetCaption(s);
    lv->Items()->Item(2)->SetSelected(true);   // fig
    lv->AlphaSort();
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) order.push_back(lv->Items()->Item(i)->GetCaption());
    EXPECT_EQ(order, (std::vector<std::string>{"Apple", "banana", "fig", "pear"}));
    EXPECT_EQ(lv->GetSelected()->GetCaption(), "fig");
    lv->CustomSort([](TListItem* a, TListItem* b, std::intptr_t) {
        return int(a->GetCaption().size()) - int(b->GetCaption().size());
    }, 0);
    EXPECT_EQ(lv->Items()->Item(0)->GetCaption(), "fig");
    EXPECT_EQ(lv->Items()->Item(3)->GetCaption(), "banana");
    EXPECT_EQ(lv->GetSelected()->Index(), 0);
}

TEST_F(ListViewTest, ListStyleScrollsByColumns)
{
    TListView* lv = MakeView(200);
    lv->SetViewStyle(vsList);
    driver->PumpUntilIdle();
    HWND h = lv->GetHandle();
    const SCROLLINFO hs = Info(lv, SB_HORZ);
    const TRect r0 = lv->ItemRect(0, drBounds);
    const int perCol = lv->ClientHeight() / r0.Height();
    EXPECT_EQ(hs.nMax, (200 + perCol - 1) / perCol - 1);
    EXPECT_EQ(lv->ItemRect(perCol, drBounds).Left, r0.Right);   // the next column
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(Info(lv, SB_HORZ).nPos, 1);
    EXPECT_EQ(lv->GetTopItem()->Index(), perCol);
    // Right from the first column goes to the same row of the next.
    lv->SetItemIndex(0);
    lv->SetItemFocused(lv->Items()->Item(0));
    driver->PressKey(VK_RIGHT);
    EXPECT_EQ(lv->GetItemIndex(), perCol);
}

TEST_F(ListViewTest, PlainLookSnapshot)
{
    TListView* lv = MakeView(40);
    lv->SetGridLines(true);
    lv->SetItemIndex(1);
    driver->PumpUntilIdle();
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/snapshots";
    std::filesystem::create_directories(dir);
    TRect wr;
    GetWindowRect(lv->GetHandle(), &wr);
    ASSERT_TRUE(driver->Snapshot(dir + "/listview_report.png", wr));
    auto colourAt = [&](HWND w, TPoint p) { return PixelToColorRef(driver->PixelAt(TTestDriver::ClientPoint(w, p))); };
    HWND hh = lv->HeaderHandle();
    // Header sections in the button face; the selected row in the highlight colour (the view has the focus).
    EXPECT_EQ(colourAt(hh, TPoint(60, 3)), GetSysColor(COLOR_BTNFACE));
    const TRect r1 = lv->ItemRect(1, drBounds);
    EXPECT_EQ(colourAt(lv->GetHandle(), TPoint(r1.Right - 3, r1.Top + 2)), GetSysColor(COLOR_HIGHLIGHT));
    const TRect r3 = lv->ItemRect(3, drBounds);
    EXPECT_EQ(colourAt(lv->GetHandle(), TPoint(r3.Left + 100, r3.Top + 2)), GetSysColor(COLOR_WINDOW));
    // Grid lines at the bottom of rows; the vertical bar to the right of the client.
    EXPECT_EQ(colourAt(lv->GetHandle(), TPoint(r3.Left + 100, r3.Bottom - 1)), GetSysColor(COLOR_BTNFACE));
    const auto bar = scrollbars::PartsOf(lv->GetHandle(), SB_VERT);
    EXPECT_FALSE(bar.thumb.IsEmpty());
    EXPECT_EQ(bar.bar.Left, lv->ClientWidth() + 2);   // after the 2-pixel client edge
    lv->SetViewStyle(vsSmallIcon);
    driver->PumpUntilIdle();
    ASSERT_TRUE(driver->Snapshot(dir + "/listview_smallicon.png", wr));
    EXPECT_FALSE(IsWindowVisible(hh));
}
} // namespace
