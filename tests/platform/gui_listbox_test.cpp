// The plain list box and the drop-down list combo box: keys, mouse, wheel,
// owner drawing, the scroll bar, and a drop-down that never takes the focus.
#include "gui_test_util.h"

#include "platform/core/Utf8.h"
#include "platform/gui/StdCtrls.h"
#include "platform/os/ScrollBar.h"

namespace
{
class ListBoxTest : public GuiTest
{
protected:
    // A shown form with a focused list box of `n` lines "line 00" …, 100 pixels high.
    TListBox* MakeList(int n, TForm** form = nullptr)
    {
        TForm* f = MakeForm(300, 200);
        auto* lb = new TListBox(f);
        lb->SetName("List");
        lb->SetBounds(10, 10, 150, 100);
        lb->SetParent(f);
        for (int i = 0; i < n; ++i) lb->Items()->Add(Format("line %02d", i));
        lb->OnClick = [this](TObject*) { ++clicks; };
        lb->OnDblClick = [this](TObject*) { ++dblClicks; };
        f->Show();
        lb->SetFocus();
        driver->PumpUntilIdle();
        if (form) *form = f;
        return lb;
    }
    // Screen point at the middle of a line of a list box.
    static TPoint LinePoint(TCustomListBox* lb, int i)
    {
        const TRect r = lb->ItemRect(i);
        return TTestDriver::ClientPoint(lb->GetHandle(), TPoint(r.Left + 20, (r.Top + r.Bottom) / 2));
    }
    int clicks = 0, dblClicks = 0;
};

TEST_F(ListBoxTest, KeysMoveTheSelectionAndClickOnlyOnChange)
{
    TListBox* lb = MakeList(30);
    const int rows = lb->VisibleRows();
    ASSERT_GT(rows, 2);
    ASSERT_LT(rows, 30);
    struct Step { int key; int index; int clicks; };
    const Step steps[] = {
        {VK_DOWN, 0, 1},            // nothing selected: the first line
        {VK_UP, 0, 1},              // already at the top: no change, no click
        {VK_DOWN, 1, 2},
        {VK_END, 29, 3},
        {VK_DOWN, 29, 3},
        {VK_HOME, 0, 4},
        {VK_NEXT, rows - 1, 5},     // a page is the lines in view less one
        {VK_NEXT, 2 * (rows - 1), 6},
        {VK_PRIOR, rows - 1, 7},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.key);
        driver->PressKey(s.key);
        EXPECT_EQ(lb->GetItemIndex(), s.index);
        EXPECT_EQ(clicks, s.clicks);
        // The selected line is always in view.
        EXPECT_GE(lb->GetItemIndex(), lb->GetTopIndex());
        EXPECT_LT(lb->GetItemIndex(), lb->GetTopIndex() + rows);
    }
    EXPECT_TRUE(lb->Focused());   // arrows stayed with the list, not the form's focus moves
    // Set by the program: no click.
    lb->SetItemIndex(3);
    lb->SetItemIndex(99);
    EXPECT_EQ(lb->GetItemIndex(), -1);
    EXPECT_EQ(clicks, 7);
}

TEST_F(ListBoxTest, TypingALetterFindsTheNextLineStartingWithIt)
{
    TListBox* lb = MakeList(0);
    for (const char* s : {"apple", "Banana", "avocado", "cherry", "中文 名字"}) lb->Items()->Add(s);
    struct Step { std::string text; int index; };
    const Step steps[] = {{"a", 0}, {"a", 2}, {"a", 0}, {"B", 1}, {"b", 1}, {"c", 3}, {"z", 3}, {"中", 4}};
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.text);
        driver->TypeText(s.text);
        EXPECT_EQ(lb->GetItemIndex(), s.index);
    }
    EXPECT_EQ(clicks, 6);
}

TEST_F(ListBoxTest, MouseSelectsDoubleClicksAndWheelScrolls)
{
    TListBox* lb = MakeList(30);
    driver->Click(LinePoint(lb, 3));
    EXPECT_EQ(lb->GetItemIndex(), 3);
    EXPECT_EQ(clicks, 1);
    driver->AdvanceClock(1000);
    driver->Click(LinePoint(lb, 3));       // same line again: no change, no click
    EXPECT_EQ(clicks, 1);
    driver->AdvanceClock(1000);
    driver->DoubleClick(LinePoint(lb, 5));
    EXPECT_EQ(lb->GetItemIndex(), 5);
    EXPECT_EQ(dblClicks, 1);
    // Dragging with the button down moves the selection along.
    driver->AdvanceClock(1000);
    driver->Drag(LinePoint(lb, 1), LinePoint(lb, 4));
    EXPECT_EQ(lb->GetItemIndex(), 4);
    // The wheel scrolls three lines a notch and leaves the selection.
    const TPoint inside = TTestDriver::CenterOf(lb->GetHandle());
    driver->Wheel(-120, inside);
    EXPECT_EQ(lb->GetTopIndex(), 3);
    driver->Wheel(-240, inside);
    EXPECT_EQ(lb->GetTopIndex(), 9);
    driver->Wheel(120 * 20, inside);
    EXPECT_EQ(lb->GetTopIndex(), 0);
    driver->Wheel(-120 * 20, inside);
    EXPECT_EQ(lb->GetTopIndex(), 30 - lb->VisibleRows());
    EXPECT_EQ(lb->GetItemIndex(), 4);
    // Below the last line there is nothing to select.
    EXPECT_EQ(lb->ItemAtPos(TPoint(5, 5), true), lb->GetTopIndex());
    lb->Items()->Clear();
    EXPECT_EQ(lb->ItemAtPos(TPoint(5, 5), true), -1);
    EXPECT_EQ(lb->ItemAtPos(TPoint(5, 5), false), 0);
    EXPECT_EQ(lb->GetItemIndex(), -1);
}

TEST_F(ListBoxTest, DraggingPastAnEdgeScrollsALineAMove)
{
    for (int partialRow : {0, 5})
    {
        SCOPED_TRACE(partialRow);
        TListBox* lb = MakeList(30);
        lb->SetHeight(5 * lb->GetItemHeight() + (lb->Height() - lb->ClientHeight()) + partialRow);
        ASSERT_EQ(lb->VisibleRows(), 5);
        const TPoint below = TTestDriver::ClientPoint(lb->GetHandle(), TPoint(20, lb->ClientHeight() + 10));
        const TPoint above = TTestDriver::ClientPoint(lb->GetHandle(), TPoint(20, -10));
        driver->Press(LinePoint(lb, 1));
        for (int k = 0; k < 4; ++k) driver->MoveTo(TPoint(below.X + k, below.Y));
        EXPECT_EQ(lb->GetItemIndex(), 8);
        EXPECT_EQ(lb->GetTopIndex(), 4);
        for (int k = 0; k < 2; ++k) driver->MoveTo(TPoint(above.X + k, above.Y));
        EXPECT_EQ(lb->GetItemIndex(), 2);
        EXPECT_EQ(lb->GetTopIndex(), 2);
        driver->Release(above);
        delete lb->Owner();
    }
}

TEST_F(ListBoxTest, ChangingTheLinesKeepsTheSelectionOnItsLine)
{
    TListBox* lb = MakeList(5);
    TObject tag;
    lb->SetItemIndex(2);
    lb->Items()->Insert(0, "new first");
    EXPECT_EQ(lb->GetItemIndex(), 3);
    lb->Items()->AddObject("with object", &tag);
    EXPECT_EQ(lb->Items()->Objects(6), &tag);
    lb->Items()->Put(3, "renamed");          // renaming keeps the selection
    EXPECT_EQ(lb->GetItemIndex(), 3);
    lb->Items()->Delete(0);
    EXPECT_EQ(lb->GetItemIndex(), 2);
    lb->Items()->Delete(2);                  // the selected line goes: no selection
    EXPECT_EQ(lb->GetItemIndex(), -1);
    EXPECT_EQ(lb->Count(), 5);
    EXPECT_THROW(lb->Items()->Get(5), EStringListError);
}

TEST_F(ListBoxTest, OwnerDrawGetsEachVisibleLineWithItsState)
{
    TForm* f = nullptr;
    TListBox* lb = MakeList(0, &f);
    lb->SetStyle(lbOwnerDrawFixed);
    lb->SetItemHeight(20);
    for (int i = 0; i < 3; ++i) lb->Items()->Add(IntToStr(i));
    struct Drawn { TRect rect; TOwnerDrawState state; };
    std::map<int, Drawn> drawn;
    lb->OnDrawItem = [&](TWinControl* c, int i, TRect r, TOwnerDrawState s) {
        EXPECT_EQ(c, lb);
        drawn[i] = {r, s};
        lb->Canvas()->FillRect(r);
    };
    lb->SetItemIndex(1);
    lb->Repaint();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[2].rect, Bounds(0, 40, lb->ClientWidth(), 20));
    EXPECT_EQ(drawn[0].state, TOwnerDrawState{});
    EXPECT_EQ(drawn[1].state, (TOwnerDrawState{odSelected, odFocused}));
    // Without the focus the selected line is only selected; disabled lines say so.
    auto* other = new TButton(f);
    other->SetParent(f);
    other->SetBounds(200, 10, 50, 20);
    other->SetFocus();
    lb->SetEnabled(false);
    drawn.clear();
    lb->Repaint();
    EXPECT_EQ(drawn[1].state, (TOwnerDrawState{odSelected, odDisabled}));
    EXPECT_EQ(drawn[0].state, TOwnerDrawState{odDisabled});
}

TEST_F(ListBoxTest, StandardLinesPaintTheSelectionInTheHighlightColour)
{
    TListBox* lb = MakeList(3);
    lb->SetItemIndex(1);
    driver->PumpUntilIdle();
    auto colourAt = [&](int line) {
        const TRect r = lb->ItemRect(line);
        return PixelToColorRef(driver->PixelAt(TTestDriver::ClientPoint(lb->GetHandle(), TPoint(r.Right - 3, r.Top + 2))));
    };
    EXPECT_EQ(colourAt(1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(colourAt(0), GetSysColor(COLOR_WINDOW));
    EXPECT_FALSE(lb->ScrollBarShown());
    EXPECT_EQ(lb->ItemRect(0).Width(), lb->ClientWidth());
}

TEST_F(ListBoxTest, ScrollBarThumbDragTrackAndArrows)
{
    TListBox* lb = MakeList(50);
    ASSERT_TRUE(lb->ScrollBarShown());
    const int maxTop = 50 - lb->VisibleRows();
    // The bar is the window's own, beside the client area: the lines keep the whole client width.
    EXPECT_EQ(lb->ItemRect(0).Width(), lb->ClientWidth());
    HWND h = lb->GetHandle();
    auto parts = [&] { return scrollbars::PartsOf(h, SB_VERT); };
    auto at = [&](int y) {
        const TRect b = parts().bar;
        return TTestDriver::WindowPoint(h, TPoint((b.Left + b.Right) / 2, y));
    };
    const TRect bar = parts().bar;
    ASSERT_FALSE(bar.IsEmpty());
    EXPECT_GE(bar.Left, lb->ClientWidth());
    const int sbw = parts().lineUp.Height();
    // The thumb sits just below the up arrow; dragged to the bottom it shows the last lines.
    EXPECT_EQ(parts().thumb.Top, parts().lineUp.Bottom);
    driver->Drag(at(bar.Top + sbw + 2), at(bar.Bottom + 50), 6);
    EXPECT_EQ(lb->GetTopIndex(), maxTop);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), maxTop);
    // Dragged back half-way: about the middle.
    driver->Drag(at(bar.Bottom - sbw - 2), at((bar.Top + bar.Bottom) / 2), 6);
    EXPECT_GT(lb->GetTopIndex(), maxTop / 4);
    EXPECT_LT(lb->GetTopIndex(), maxTop * 3 / 4);
    lb->SetTopIndex(0);
    driver->Click(at(bar.Bottom - sbw - 3));          // the track below the thumb: a page
    EXPECT_EQ(lb->GetTopIndex(), lb->VisibleRows() - 1);
    driver->AdvanceClock(1000);
    driver->Click(at(bar.Bottom - 3));                // the down arrow: a line
    EXPECT_EQ(lb->GetTopIndex(), lb->VisibleRows());
    driver->AdvanceClock(1000);
    driver->Click(at(bar.Top + 3));                   // the up arrow
    EXPECT_EQ(lb->GetTopIndex(), lb->VisibleRows() - 1);
    EXPECT_EQ(clicks, 0);                             // the bar never selects
    EXPECT_EQ(lb->GetItemIndex(), -1);
}

TEST_F(ListBoxTest, MultiAndExtendedSelectionWithShiftAndCtrl)
{
    TListBox* lb = MakeList(20);
    lb->SetHeight(180);   // every line the steps use is in view
    ASSERT_GT(lb->VisibleRows(), 9);
    auto selection = [&] {
        std::vector<int> out;
        for (int i = 0; i < lb->Count(); ++i)
            if (lb->GetSelected(i)) out.push_back(i);
        return out;
    };
    EXPECT_EQ(lb->SelCount(), -1);   // single selection has no count
    lb->SetMultiSelect(true);
    struct Step
    {
        const char* what;
        bool extended;
        std::function<void()> act;
        std::vector<int> selected;
        int caret;
    };
    auto click = [&](int i, std::vector<int> mods = {}) {
        for (int k : mods) driver->KeyDown(k);
        driver->Click(LinePoint(lb, i));
        for (int k : mods) driver->KeyUp(k);
    };
    const Step steps[] = {
        {"click", true, [&] { click(1); }, {1}, 1},
        {"shift click", true, [&] { click(4, {VK_SHIFT}); }, {1, 2, 3, 4}, 4},
        {"ctrl click adds", true, [&] { click(6, {VK_CONTROL}); }, {1, 2, 3, 4, 6}, 6},
        {"ctrl click removes", true, [&] { click(2, {VK_CONTROL}); }, {1, 3, 4, 6}, 2},
        {"shift from the new anchor", true, [&] { click(0, {VK_SHIFT}); }, {0, 1, 2}, 0},
        {"click alone", true, [&] { click(3); }, {3}, 3},
        {"shift down twice", true, [&] { driver->PressKey(VK_DOWN, {VK_SHIFT}); driver->PressKey(VK_DOWN, {VK_SHIFT}); }, {3, 4, 5}, 5},
        {"down alone", true, [&] { driver->PressKey(VK_DOWN); }, {6}, 6},
        {"simple: click toggles", false, [&] { click(8); }, {6, 8}, 8},
        {"simple: again", false, [&] { click(6); }, {8}, 6},
        {"simple: keys move the caret only", false, [&] { driver->PressKey(VK_DOWN); }, {8}, 7},
        {"simple: space toggles", false, [&] { driver->PressKey(VK_SPACE); }, {7, 8}, 7},
    };
    for (const Step& st : steps)
    {
        SCOPED_TRACE(st.what);
        lb->SetExtendedSelect(st.extended);
        st.act();
        EXPECT_EQ(selection(), st.selected);
        EXPECT_EQ(lb->SelCount(), int(st.selected.size()));
        EXPECT_EQ(lb->GetItemIndex(), st.caret);
        EXPECT_EQ(SendMessage(lb->GetHandle(), LB_GETSELCOUNT), int(st.selected.size()));
    }
    EXPECT_GT(clicks, 8);
    SendMessage(lb->GetHandle(), LB_SETSEL, TRUE, -1);
    EXPECT_EQ(lb->SelCount(), 20);
    lb->SetSelected(0, false);
    EXPECT_EQ(SendMessage(lb->GetHandle(), LB_GETSEL, 0), 0);
}

// A list box that records the LB_ messages reaching its window procedure.
class TLoggingListBox : public TListBox
{
public:
    using TListBox::TListBox;
    std::vector<UINT> Seen;
    void WndProc(TMessage& m) override
    {
        if (m.Msg >= LB_ADDSTRING && m.Msg <= LB_GETITEMHEIGHT) Seen.push_back(m.Msg);
        TListBox::WndProc(m);
    }
};

TEST_F(ListBoxTest, LinesGoThroughTheMessagesAndFindStringWraps)
{
    TForm* f = MakeForm(300, 200);
    auto* lb = new TLoggingListBox(f);
    lb->SetBounds(10, 10, 150, 100);
    lb->SetParent(f);
    f->Show();
    HWND h = lb->GetHandle();
    auto send = [&](UINT msg, WPARAM wp, const char* text) {
        return SendMessage(h, msg, wp, reinterpret_cast<LPARAM>(text));
    };
    lb->Items()->Add("apple");
    lb->Items()->Insert(0, "Banana");
    lb->Items()->Delete(0);
    EXPECT_EQ(lb->Seen, (std::vector<UINT>{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING}));
    for (const char* s : {"Avocado", "banana", "cherry", "apricot"}) send(LB_ADDSTRING, 0, s);
    EXPECT_EQ(send(LB_INSERTSTRING, 1, "beet"), 1);
    EXPECT_EQ(send(LB_INSERTSTRING, WPARAM(-1), "zucchini"), 6);
    // apple, beet, Avocado, banana, cherry, apricot, zucchini
    struct Find { int after; const char* prefix; LRESULT found; };
    const Find finds[] = {
        {-1, "a", 0},      // from the top
        {0, "A", 2},       // after line 0, ignoring case
        {2, "a", 5},
        {5, "a", 0},       // wraps round
        {3, "BEE", 1},
        {1, "beet", 1},    // wraps right back to the start line
        {-1, "x", LB_ERR},
        {-1, "", 0},       // an empty prefix matches the first line searched
    };
    for (const Find& fd : finds)
    {
        SCOPED_TRACE(fd.prefix);
        EXPECT_EQ(send(LB_FINDSTRING, WPARAM(fd.after), fd.prefix), fd.found);
    }
    EXPECT_EQ(SendMessage(h, LB_SETCURSEL, 4), 4);
    EXPECT_EQ(lb->GetItemIndex(), 4);
    EXPECT_EQ(SendMessage(h, LB_SETCURSEL, WPARAM(-1)), LB_ERR);
    EXPECT_EQ(lb->GetItemIndex(), -1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(SendMessage(h, LB_DELETESTRING, 0), 6);
    EXPECT_EQ(SendMessage(h, LB_GETCOUNT), 6);
    // Sorted: case-insensitive order; new lines go to their place.
    lb->SetSorted(true);
    EXPECT_EQ(send(LB_ADDSTRING, 0, "Blueberry"), 4);
    std::vector<std::string> all;
    for (int i = 0; i < lb->Count(); ++i) all.push_back(lb->Items()->Get(i));
    EXPECT_EQ(all, (std::vector<std::string>{"apricot", "Avocado", "banana", "beet", "Blueberry", "cherry", "zucchini"}));
    EXPECT_EQ(lb->Items()->Add("Apple"), 0);
}

TEST_F(ListBoxTest, ScrollStateFollowsScrollMessagesAndCanBeHidden)
{
    TListBox* lb = MakeList(40);
    HWND h = lb->GetHandle();
    const int rows = lb->VisibleRows();
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 39);
    EXPECT_EQ(int(si.nPage), rows);
    struct Step { WORD code; int pos; int top; };
    const Step steps[] = {
        {SB_THUMBPOSITION, 20, 20}, {SB_LINEDOWN, 0, 21}, {SB_LINEUP, 0, 20}, {SB_PAGEDOWN, 0, 20 + rows - 1},
        {SB_THUMBPOSITION, 39, 40 - rows}, {SB_TOP, 0, 0},
    };
    for (const Step& st : steps)
    {
        SCOPED_TRACE(st.code);
        SendMessage(h, WM_VSCROLL, MAKEWPARAM(st.code, st.pos), 0);
        EXPECT_EQ(lb->GetTopIndex(), st.top);
        EXPECT_EQ(GetScrollPos(h, SB_VERT), st.top);
    }
    SendMessage(h, LB_SETTOPINDEX, 7);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 7);
    // A wrapper that gives the list no non-client area hides the bar; the
    // scroll state stays valid and keeps following the messages.
    const TSubclassToken frameless = MakeFrameless(h);
    EXPECT_EQ(lb->ClientWidth(), lb->Width());
    EXPECT_EQ(lb->ItemRect(0).Width(), lb->Width());
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 7);
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 8);
    EXPECT_EQ(lb->GetTopIndex(), 8);
    RemoveWindowSubclass(h, frameless);
}

TEST_F(ListBoxTest, MultiColumnListScrollsSideways)
{
    TListBox* lb = MakeList(40);
    lb->SetColumns(2);
    driver->PumpUntilIdle();
    HWND h = lb->GetHandle();
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_HSCROLL);
    const int rows = lb->VisibleRows();
    const int cols = (40 + rows - 1) / rows;
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(h, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, cols - 1);
    EXPECT_EQ(int(si.nPage), 2);
    // The second column starts right of the first; a click there selects its line.
    EXPECT_EQ(lb->ItemRect(rows).Left, lb->ClientWidth() / 2);
    EXPECT_EQ(lb->ItemRect(rows).Top, 0);
    driver->Click(LinePoint(lb, rows + 1));
    EXPECT_EQ(lb->GetItemIndex(), rows + 1);
    driver->PressKey(VK_RIGHT);
    EXPECT_EQ(lb->GetItemIndex(), 2 * rows + 1);
    EXPECT_EQ(lb->GetTopIndex(), rows);   // scrolled one column to show it
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_EQ(lb->GetTopIndex(), 0);
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(GetScrollPos(h, SB_HORZ), 1);
    EXPECT_EQ(lb->GetTopIndex(), rows);
}

class ComboTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        form = MakeForm(300, 200);
        combo = new TComboBox(form);
        combo->SetName("Combo");
        combo->SetBounds(10, 10, 150, 22);
        combo->SetParent(form);
        for (const char* s : {"Bitmaps (*.bmp)", "JPEG Image File ", "PNG", "中文 类型"}) combo->Items()->Add(s);
        combo->SetItemIndex(0);
        combo->OnChange = [this](TObject*) { ++changes; };
        other = new TButton(form);
        other->SetName("Other");
        other->SetBounds(200, 10, 60, 22);
        other->SetDefault(true);
        other->OnClick = [this](TObject*) { ++defaultClicks; };
        other->SetParent(form);
        form->Show();
        combo->SetFocus();
        driver->PumpUntilIdle();
    }
    bool ListShown() { return combo->DropList() && IsWindowVisible(combo->DropList()->GetHandle()); }
    TPoint ListLine(int i)
    {
        TCustomListBox* l = combo->DropList();
        const TRect r = l->ItemRect(i);
        return TTestDriver::ClientPoint(l->GetHandle(), TPoint(r.Left + 10, (r.Top + r.Bottom) / 2));
    }
    // The focus and the activation stay with the form and the box.
    void ExpectFocusKept()
    {
        EXPECT_EQ(GetFocus(), combo->GetHandle());
        EXPECT_EQ(GetActiveWindow(), form->GetHandle());
    }
    TForm* form = nullptr;
    TComboBox* combo = nullptr;
    TButton* other = nullptr;
    int changes = 0, defaultClicks = 0;
};

TEST_F(ComboTest, ClickOpensBelowTheBoxAndAClickOnALineChooses)
{
    driver->Click(combo->GetHandle());
    ASSERT_TRUE(ListShown());
    ExpectFocusKept();
    TRect boxR, listR;
    GetWindowRect(combo->GetHandle(), &boxR);
    GetWindowRect(combo->DropList()->GetHandle(), &listR);
    EXPECT_EQ(listR.Top, boxR.Bottom);
    EXPECT_EQ(listR.Left, boxR.Left);
    EXPECT_EQ(listR.Width(), boxR.Width());
    EXPECT_EQ(combo->DropList()->GetItemIndex(), 0);
    // The pointer moving over the list moves its highlight, not the box's choice.
    driver->MoveTo(ListLine(2));
    EXPECT_EQ(combo->DropList()->GetItemIndex(), 2);
    EXPECT_EQ(combo->GetItemIndex(), 0);
    driver->Click(ListLine(3));
    EXPECT_FALSE(ListShown());
    ExpectFocusKept();
    EXPECT_EQ(combo->GetItemIndex(), 3);
    EXPECT_EQ(combo->GetText(), "中文 类型");
    EXPECT_EQ(changes, 1);
    // Choosing the line already chosen is no change.
    driver->AdvanceClock(1000);
    driver->Click(combo->GetHandle());
    driver->Click(ListLine(3));
    EXPECT_EQ(changes, 1);
    // Near the bottom of the work area the list opens above the box.
    driver->AdvanceClock(1000);
    form->SetTop(Screen->WorkAreaRect().Bottom - 60);
    driver->PumpUntilIdle();
    driver->Click(combo->GetHandle());
    ASSERT_TRUE(ListShown());
    GetWindowRect(combo->GetHandle(), &boxR);
    GetWindowRect(combo->DropList()->GetHandle(), &listR);
    EXPECT_EQ(listR.Bottom, boxR.Top);
    // A second click on the box closes it again.
    driver->AdvanceClock(1000);
    driver->Click(combo->GetHandle());
    EXPECT_FALSE(ListShown());
}

TEST_F(ComboTest, KeysOpenChooseAndCancel)
{
    struct Case
    {
        const char* name;
        std::vector<std::vector<int>> keys;   // each: key, modifiers…
        int index;
        bool open;
    };
    const Case cases[] = {
        {"down on the closed box", {{VK_DOWN}}, 1, false},
        {"end on the closed box", {{VK_END}}, 3, false},
        {"alt+down opens", {{VK_DOWN, VK_MENU}}, 0, true},
        {"f4, down, enter", {{VK_F4}, {VK_DOWN}, {VK_DOWN}, {VK_RETURN}}, 2, false},
        {"f4, down, escape", {{VK_F4}, {VK_DOWN}, {VK_ESCAPE}}, 0, false},
        {"alt+down, down, alt+up chooses", {{VK_DOWN, VK_MENU}, {VK_DOWN}, {VK_UP, VK_MENU}}, 1, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        combo->SetDroppedDown(false);
        combo->SetItemIndex(0);
        changes = defaultClicks = 0;
        for (const auto& k : c.keys) driver->PressKey(k[0], std::vector<int>(k.begin() + 1, k.end()));
        EXPECT_EQ(combo->GetItemIndex(), c.index);
        EXPECT_EQ(changes, c.index != 0 ? 1 : 0);
        EXPECT_EQ(ListShown(), c.open);
        EXPECT_EQ(defaultClicks, 0);         // Enter and Escape went to the list, not the form
        ExpectFocusKept();
    }
    // Closed, Enter is the form's again.
    combo->SetDroppedDown(false);
    driver->PressKey(VK_RETURN);
    EXPECT_EQ(defaultClicks, 1);
}

TEST_F(ComboTest, ClosesWithoutChoosingWhenTheUserTurnsElsewhere)
{
    struct Case { const char* name; std::function<void()> act; bool focusMoves; };
    const Case cases[] = {
        {"a press elsewhere on the form", [&] { driver->Click(form->ClientToScreen(TPoint(150, 150))); }, false},
        {"a press on another control", [&] { driver->Click(other->GetHandle()); }, true},
        {"the focus moves away", [&] { other->SetFocus(); }, true},
        {"the box is disabled", [&] { combo->SetEnabled(false); }, true},
        {"its lines change", [&] { combo->Items()->Insert(0, "new first"); }, false},
    };
    int chosen = 0;   // a line inserted before the chosen one moves the choice along
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        combo->SetEnabled(true);
        combo->SetFocus();
        combo->SetItemIndex(0);
        changes = 0;
        driver->AdvanceClock(1000);
        driver->PressKey(VK_F4);
        driver->PressKey(VK_DOWN);
        ASSERT_TRUE(ListShown());
        c.act();
        EXPECT_FALSE(ListShown());
        if (combo->Items()->Count() == 5) chosen = 1;
        EXPECT_EQ(combo->GetItemIndex(), chosen);
        EXPECT_EQ(combo->GetText(), "Bitmaps (*.bmp)");
        EXPECT_EQ(changes, 0);
        if (!c.focusMoves) ExpectFocusKept();
    }
}

TEST_F(ComboTest, TextItemsAndWheel)
{
    combo->SetText("png");                       // found ignoring case
    EXPECT_EQ(combo->GetItemIndex(), 2);
    combo->SetText("not a line");
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(combo->GetText(), "");
    combo->SetItemIndex(3);
    combo->Items()->Delete(3);                   // the chosen line goes
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(changes, 0);                       // changes by the program fire nothing
    combo->SetItemIndex(1);
    driver->Wheel(-120, TTestDriver::CenterOf(combo->GetHandle()));
    EXPECT_EQ(combo->GetItemIndex(), 2);
    driver->TypeText("b");
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_EQ(changes, 2);
    // A long list opens with DropDownCount lines and scrolls.
    for (int i = 0; i < 20; ++i) combo->Items()->Add(Format("extra %d", i));
    combo->DropDownCount = 5;
    combo->SetItemIndex(15);
    combo->SetDroppedDown(true);
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(combo->DropList()->VisibleRows(), 5);
    EXPECT_TRUE(combo->DropList()->ScrollBarShown());
    const int top = combo->DropList()->GetTopIndex();
    EXPECT_LE(top, 15);
    EXPECT_GT(top + 5, 15);
    ExpectFocusKept();
}
TEST_F(ComboTest, FreedWhileOpenOrFromItsOwnChangeEvent)
{
    // Freed by its own change event while the list's click is being handled.
    driver->Click(combo->GetHandle());
    combo->OnChange = [this](TObject*) {
        TComboBox* c = combo;
        combo = nullptr;
        delete c;                  // frees this handler too: nothing of it is used after
    };
    TCustomListBox* list = combo->DropList();
    const TRect r = list->ItemRect(2);
    driver->Click(TTestDriver::ClientPoint(list->GetHandle(), TPoint(r.Left + 5, r.Top + 3)));
    EXPECT_EQ(combo, nullptr);
    // Freed while open: the list and its hook go with it.
    combo = new TComboBox(form);
    combo->SetBounds(10, 10, 150, 22);
    combo->SetParent(form);
    combo->Items()->Add("one");
    combo->SetFocus();
    driver->PressKey(VK_F4);
    HWND listWnd = combo->DropList()->GetHandle();
    const int hooks = Application->MessageHookCount();
    delete combo;
    EXPECT_FALSE(IsWindow(listWnd));
    EXPECT_EQ(Application->MessageHookCount(), hooks - 1);
    driver->Click(form->ClientToScreen(TPoint(20, 40)));
    // Freed by its own drop-down event: nothing opens.
    combo = new TComboBox(form);
    combo->SetBounds(10, 10, 150, 22);
    combo->SetParent(form);
    combo->Items()->Add("one");
    combo->OnDropDown = [this](TObject*) {
        TComboBox* c = combo;
        combo = nullptr;
        delete c;
    };
    combo->SetFocus();
    driver->PressKey(VK_F4);
    EXPECT_EQ(combo, nullptr);
    EXPECT_EQ(Application->MessageHookCount(), hooks - 1);
}

TEST_F(ComboTest, EmptyListBoxAndComboBoxTakeKeysAndClicksQuietly)
{
    auto* lb = new TListBox(form);
    lb->SetBounds(10, 60, 150, 100);
    lb->SetParent(form);
    int clicks = 0;
    lb->OnClick = [&](TObject*) { ++clicks; };
    combo->Items()->Clear();
    const std::vector<int> keys = {VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, 'A'};
    lb->SetFocus();
    for (int vk : keys) driver->PressKey(vk);
    driver->TypeText("a中");
    driver->Wheel(-120, TTestDriver::CenterOf(lb->GetHandle()));
    driver->Click(TTestDriver::CenterOf(lb->GetHandle()));
    EXPECT_EQ(lb->GetItemIndex(), -1);
    EXPECT_EQ(lb->GetTopIndex(), 0);
    EXPECT_EQ(clicks, 0);
    combo->SetFocus();
    for (int vk : keys) driver->PressKey(vk);
    driver->PressKey(VK_F4);
    EXPECT_TRUE(combo->GetDroppedDown());   // an empty list of one blank line
    for (int vk : keys) driver->PressKey(vk);
    driver->TypeText("a");
    driver->PressKey(VK_RETURN);
    EXPECT_FALSE(combo->GetDroppedDown());
    EXPECT_EQ(combo->GetItemIndex(), -1);
    EXPECT_EQ(combo->GetText(), "");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(defaultClicks, 0);
}
} // namespace
