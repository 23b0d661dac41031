// The up-down arrow pair (and the other common controls without a test file
// of their own): steps, ends and wrapping, auto-repeat on the clock, refusal
// and what the parent hears.
#include "gui_test_util.h"

#include <filesystem>

#include "platform/gui/ComCtrls.h"
#include "platform/os/SysColors.h"

namespace
{
class UpDownTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        form = MakeForm(300, 200);
        ud = new TUpDown(form);
        ud->SetBounds(10, 10, 17, 30);
        ud->SetParent(form);
        form->Show();
        driver->PumpUntilIdle();
        // What the parent window hears, before the class library reflects it.
        parentHook = SubclassWindow(form->GetHandle(), [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LOWORD(wp) == SB_THUMBPOSITION)
                heard.push_back(short(HIWORD(wp)));
            return CallPreviousWindowProc(h, parentHook, msg, wp, lp);
        });
    }
    TPoint Next() { return TTestDriver::ClientPoint(ud->GetHandle(), TPoint(8, 4)); }
    TPoint Prev() { return TTestDriver::ClientPoint(ud->GetHandle(), TPoint(8, 26)); }
    TForm* form = nullptr;
    TUpDown* ud = nullptr;
    TSubclassToken parentHook = 0;
    std::vector<int> heard;
};

TEST_F(UpDownTest, StepsStopOrWrapAtTheEnds)
{
    struct Case { int min, max, pos, inc; bool wrap; bool next; int want; };
    const Case cases[] = {
        {0, 10, 5, 1, false, true, 6},
        {0, 10, 5, 3, false, false, 2},
        {0, 10, 10, 1, false, true, 10},   // stops at Max
        {0, 10, 10, 1, true, true, 0},     // wraps to Min
        {0, 10, 0, 1, true, false, 10},
        {0, 10, 9, 5, false, true, 10},    // a big step stops at the end
        {10, 0, 5, 1, false, true, 4},     // Min above Max: next goes towards Max
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " at " << c.pos);
        ud->SetMin(c.min);
        ud->SetMax(c.max);
        ud->SetPosition(c.pos);
        ud->Increment = c.inc;
        ud->Wrap = c.wrap;
        driver->AdvanceClock(1000);
        driver->Click(c.next ? Next() : Prev());
        EXPECT_EQ(ud->GetPosition(), c.want);
        EXPECT_EQ(SendMessage(ud->GetHandle(), UDM_GETPOS32), c.want);
    }
    EXPECT_EQ(GetClassName(ud->GetHandle()), "msctls_updown32");
}

TEST_F(UpDownTest, HeldArrowRepeatsOnTheClockAndTheParentHearsEachStep)
{
    ud->SetMax(100);
    std::vector<TUDBtnType> clicks;
    ud->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
    driver->Press(Next());
    EXPECT_EQ(ud->GetPosition(), 1);
    driver->AdvanceClock(TCustomUpDown::RepeatDelay - 1);
    EXPECT_EQ(ud->GetPosition(), 1);
    driver->AdvanceClock(1);
    EXPECT_EQ(ud->GetPosition(), 2);
    driver->AdvanceClock(5 * TCustomUpDown::RepeatInterval);
    EXPECT_EQ(ud->GetPosition(), 7);
    driver->Release(Next());
    driver->AdvanceClock(1000);
    EXPECT_EQ(ud->GetPosition(), 7);
    EXPECT_EQ(clicks, std::vector<TUDBtnType>(7, btNext));
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    // OnChanging may refuse: no step, no click, nothing sent.
    ud->OnChanging = [](TObject*, bool& allow) { allow = false; };
    driver->Click(Prev());
    EXPECT_EQ(ud->GetPosition(), 7);
    EXPECT_EQ(clicks.size(), 7u);
    EXPECT_EQ(heard.size(), 7u);
    // Horizontal: the right half is next, and the parent hears WM_HSCROLL.
    ud->OnChanging = nullptr;
    ud->SetOrientation(udHorizontal);
    ud->SetBounds(10, 10, 30, 17);
    driver->PumpUntilIdle();
    driver->AdvanceClock(1000);
    driver->Click(TTestDriver::ClientPoint(ud->GetHandle(), TPoint(25, 8)));
    EXPECT_EQ(ud->GetPosition(), 8);
    EXPECT_EQ(heard.back(), 8);
}
class TreeViewTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        form = MakeForm(300, 240);
        tv = new TTreeView(form);
        tv->SetName("Tree");
        tv->SetBounds(10, 10, 200, 150);
        tv->SetParent(form);
        form->Show();
        tv->SetFocus();
        driver->PumpUntilIdle();
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> out;
        for (TTreeNode* n = tv->GetTopItem(); n; )
        {
            out.push_back(std::string(std::size_t(2 * n->Level()), ' ') + n->GetText());
            // The next row: into expanded nodes, else the next sibling up the tree.
            if (n->GetExpanded() && n->GetFirstChild()) n = n->GetFirstChild();
            else
            {
                while (n && !n->GetNextSibling()) n = n->Parent() && n->Parent()->Parent() ? n->Parent() : nullptr;
                n = n ? n->GetNextSibling() : nullptr;
            }
        }
        return out;
    }
    TPoint RowPoint(TTreeNode* n) { const TRect r = n->DisplayRect(true); return TTestDriver::ClientPoint(tv->GetHandle(), TPoint(r.Left + 3, (r.Top + r.Bottom) / 2)); }
    TPoint ButtonPoint(TTreeNode* n) { const TRect r = n->DisplayRect(true); return TTestDriver::ClientPoint(tv->GetHandle(), TPoint(r.Left - 2 - tv->GetIndent() / 2, (r.Top + r.Bottom) / 2)); }
    TForm* form = nullptr;
    TTreeView* tv = nullptr;
};

// Rows are a comfortable desktop item high (18-20 px) at small and UI-sized
// fonts, and grow with the text beyond that, keeping air above and below.
TEST_F(TreeViewTest, RowsAreItemHighAndGrowWithTheFont)
{
    TTreeNode* a = tv->Items()->Add(nullptr, "alpha 视频");
    TTreeNode* b = tv->Items()->Add(nullptr, "beta");
    struct Case { int fontHeight, minRow, maxRow; };
    for (const Case& c : {Case{12, 18, 18}, Case{-10, 18, 18}, Case{-12, 18, 20}, Case{-24, 28, 40}})
    {
        tv->Font()->SetHeight(c.fontHeight);
        driver->PumpUntilIdle();
        const TRect ra = a->DisplayRect(false), rb = b->DisplayRect(false);
        SCOPED_TRACE(c.fontHeight);
        EXPECT_EQ(ra.Height(), rb.Top - ra.Top);
        EXPECT_GE(ra.Height(), c.minRow);
        EXPECT_LE(ra.Height(), c.maxRow);
        const TRect text = a->DisplayRect(true);
        EXPECT_GE(text.Top, ra.Top);
        EXPECT_LE(text.Bottom, ra.Bottom);
    }
}

TEST_F(TreeViewTest, LazyChildrenRefusedExpansionAndCollapsing)
{
    TTreeNode* music = tv->Items()->Add(nullptr, "Music");
    TTreeNode* video = tv->Items()->Add(nullptr, "Video");
    TTreeNode* empty = tv->Items()->Add(nullptr, "Empty");
    for (TTreeNode* n : {music, video, empty}) n->SetHasChildren(true);
    std::vector<std::string> log;
    tv->OnExpanding = [&](TObject*, TTreeNode* n, bool& allow) {
        log.push_back("expanding " + n->GetText());
        if (n == video) allow = false;                               // refused
        else if (n == music && n->Count() == 0)
            for (const char* s : {"b.mp3", "a.flac"}) tv->Items()->AddChild(n, s);   // added on demand
    };
    tv->OnExpanded = [&](TObject*, TTreeNode* n) { log.push_back("expanded " + n->GetText()); };
    tv->OnCollapsing = [&](TObject*, TTreeNode* n, bool&) { log.push_back("collapsing " + n->GetText()); };
    struct Step { const char* what; std::function<void()> act; std::vector<std::string> rows; };
    const Step steps[] = {
        {"button of a lazy node", [&] { driver->Click(ButtonPoint(music)); }, {"Music", "  b.mp3", "  a.flac", "Video", "Empty"}},
        {"refused", [&] { driver->Click(ButtonPoint(video)); }, {"Music", "  b.mp3", "  a.flac", "Video", "Empty"}},
        {"nothing came", [&] { tv->SetSelected(empty); driver->PressKey(VK_ADD); }, {"Music", "  b.mp3", "  a.flac", "Video", "Empty"}},
        {"minus collapses", [&] { tv->SetSelected(music->Item(1)); tv->SetSelected(music); driver->PressKey(VK_SUBTRACT); }, {"Music", "Video", "Empty"}},
        {"right expands again", [&] { driver->PressKey(VK_RIGHT); }, {"Music", "  b.mp3", "  a.flac", "Video", "Empty"}},
    };
    for (const Step& st : steps)
    {
        SCOPED_TRACE(st.what);
        driver->AdvanceClock(1000);
        st.act();
        EXPECT_EQ(Rows(), st.rows);
    }
    EXPECT_TRUE(video->GetHasChildren());    // refused: still expandable later
    EXPECT_FALSE(empty->GetHasChildren());   // expanded to nothing: the button went
    EXPECT_EQ(log, (std::vector<std::string>{"expanding Music", "expanded Music", "expanding Video", "expanding Empty",
                                             "collapsing Music", "expanding Music", "expanded Music"}));
    EXPECT_EQ(SendMessage(tv->GetHandle(), TVM_GETCOUNT), 5);
    // Collapsing a branch that holds the selection selects the branch.
    tv->SetSelected(music->Item(0));
    music->Collapse(false);
    EXPECT_EQ(tv->GetSelected(), music);
}

TEST_F(TreeViewTest, KeysMoveExpandAndFind)
{
    TTreeNode* a = tv->Items()->Add(nullptr, "alpha");
    for (const char* s : {"one", "two"}) tv->Items()->AddChild(a, s);
    TTreeNode* b = tv->Items()->Add(nullptr, "beta");
    TTreeNode* bc = tv->Items()->AddChild(b, "child");
    tv->Items()->AddChild(bc, "grandchild");
    // The whole tree's order counts collapsed nodes too, children first.
    const std::vector<std::string> order = {"alpha", "one", "two", "beta", "child", "grandchild"};
    ASSERT_EQ(tv->Items()->Count(), int(order.size()));
    for (int i = 0; i < int(order.size()); ++i) EXPECT_EQ(tv->Items()->Item(i)->GetText(), order[std::size_t(i)]);
    EXPECT_EQ(tv->Items()->Item(-1), nullptr);
    EXPECT_EQ(tv->Items()->Item(int(order.size())), nullptr);
    std::vector<std::string> changes;
    tv->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n ? n->GetText() : "-"); };
    struct Step { int key; const char* selected; };
    const Step steps[] = {
        {VK_DOWN, "alpha"}, {VK_RIGHT, "alpha"}, {VK_RIGHT, "one"}, {VK_DOWN, "two"}, {VK_LEFT, "alpha"},
        {VK_LEFT, "alpha"}, {VK_DOWN, "beta"}, {VK_MULTIPLY, "beta"}, {VK_END, "grandchild"}, {VK_HOME, "alpha"},
    };
    for (const Step& st : steps)
    {
        SCOPED_TRACE(st.key);
        driver->PressKey(st.key);
        ASSERT_NE(tv->GetSelected(), nullptr);
        EXPECT_EQ(tv->GetSelected()->GetText(), st.selected);
    }
    EXPECT_FALSE(a->GetExpanded());
    EXPECT_TRUE(bc->GetExpanded());   // * expanded the whole branch
    driver->AdvanceClock(2000);
    driver->TypeText("gr");
    EXPECT_EQ(tv->GetSelected()->GetText(), "grandchild");
    // OnChanging may refuse a move.
    tv->OnChanging = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
    driver->PressKey(VK_HOME);
    EXPECT_EQ(tv->GetSelected()->GetText(), "grandchild");
    EXPECT_EQ(changes.front(), "alpha");
}

TEST_F(TreeViewTest, InPlaceEditCommitsOrCancelsAndRightClickSelects)
{
    TTreeNode* a = tv->Items()->Add(nullptr, "old name");
    TTreeNode* b = tv->Items()->Add(nullptr, "other");
    std::vector<std::string> edited;
    tv->OnEdited = [&](TObject*, TTreeNode*, std::string& s) { edited.push_back(s); s += "!"; };
    ASSERT_TRUE(a->EditText());
    driver->TypeText("new name");
    driver->PressKey(VK_RETURN);
    EXPECT_EQ(a->GetText(), "new name!");   // OnEdited may change the text
    EXPECT_FALSE(tv->IsEditing());
    tv->SetSelected(a);
    driver->PressKey(VK_F2);
    ASSERT_TRUE(tv->IsEditing());
    driver->TypeText("dropped");
    driver->PressKey(VK_ESCAPE);
    EXPECT_EQ(a->GetText(), "new name!");
    EXPECT_EQ(edited, std::vector<std::string>{"new name"});
    tv->OnEditing = [](TObject*, TTreeNode*, bool& allow) { allow = false; };
    EXPECT_FALSE(a->EditText());
    // Right click selects only with RightClickSelect.
    driver->Click(RowPoint(b), backend::TMouseButton::Right);
    EXPECT_EQ(tv->GetSelected(), a);
    tv->RightClickSelect = true;
    driver->Click(RowPoint(b), backend::TMouseButton::Right);
    EXPECT_EQ(tv->GetSelected(), b);
}

TEST_F(TreeViewTest, SortsChildrenAndKeepsScrollStateInStep)
{
    TTreeNode* root = tv->Items()->Add(nullptr, "root");
    for (const char* s : {"pear", "Apple", "fig"}) tv->Items()->AddChild(root, s);
    root->Expand(false);
    tv->AlphaSort();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"root", "  Apple", "  fig", "  pear"}));
    root->CustomSort([](TTreeNode* x, TTreeNode* y, std::intptr_t) {
        return int(y->GetText().size()) - int(x->GetText().size());
    }, 0);
    EXPECT_EQ(root->Item(0)->GetText(), "Apple");
    EXPECT_EQ(root->Item(2)->GetText(), "fig");
    // Many rows: rows vertically, the page is the full rows in view.
    tv->Items()->BeginUpdate();
    for (int i = 0; i < 200; ++i) tv->Items()->AddChild(root, "row " + std::to_string(i));
    tv->Items()->EndUpdate();
    HWND h = tv->GetHandle();
    const int page = int(SendMessage(h, TVM_GETVISIBLECOUNT));
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(h, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 203);
    EXPECT_EQ(int(si.nPage), page);
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0);
    EXPECT_EQ(tv->GetTopItem()->GetText(), "row 46");
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 51);
    driver->Wheel(WHEEL_DELTA, TTestDriver::CenterOf(h));
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 48);
    // Deleting a node fires OnDeletion for it and its children.
    std::vector<std::string> gone;
    tv->OnDeletion = [&](TObject*, TTreeNode* n) { gone.push_back(n->GetText()); };
    TTreeNode* branch = tv->Items()->Add(nullptr, "branch");
    tv->Items()->AddChild(branch, "leaf");
    branch->Delete();
    EXPECT_EQ(gone, (std::vector<std::string>{"leaf", "branch"}));
}

TEST_F(TreeViewTest, PlainLookSnapshot)
{
    TTreeNode* a = tv->Items()->Add(nullptr, "媒体 Media");
    for (const char* s : {"one", "two"}) tv->Items()->AddChild(a, s);
    tv->Items()->AddChild(a->Item(1), "deep");
    tv->Items()->Add(nullptr, "closed")->SetHasChildren(true);
    tv->FullExpand();
    tv->SetSelected(a->Item(0));
    driver->PumpUntilIdle();
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/snapshots";
    std::filesystem::create_directories(dir);
    TRect wr;
    GetWindowRect(tv->GetHandle(), &wr);
    ASSERT_TRUE(driver->Snapshot(dir + "/treeview.png", wr));
    // The selected node's text on the highlight; a child's text right of its parent's by the indent.
    const TRect sel = a->Item(0)->DisplayRect(true), top = a->DisplayRect(true);
    EXPECT_EQ(sel.Left - top.Left, tv->GetIndent());
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(TTestDriver::ClientPoint(tv->GetHandle(), TPoint(sel.Right - 2, sel.Top + 1)))),
              GetSysColor(COLOR_HIGHLIGHT));
}

class TabControlTest : public GuiTest
{
protected:
    TTabControl* MakeTabs(std::vector<std::string> captions, TTabPosition pos = tpTop, int w = 300)
    {
        form = MakeForm(420, 300);
        auto* t = new TTabControl(form);
        t->SetBounds(10, 10, w, 200);
        t->SetTabPosition(pos);
        t->SetParent(form);
        for (const auto& c : captions) t->Tabs()->Add(c);
        form->Show();
        driver->PumpUntilIdle();
        return t;
    }
    TForm* form = nullptr;
};

TEST_F(TabControlTest, TabRectanglesInTheFourPositions)
{
    for (TTabPosition pos : {tpTop, tpBottom, tpLeft, tpRight})
    {
        SCOPED_TRACE(int(pos));
        TTabControl* t = MakeTabs({"First", "Second tab", "中文"}, pos);
        HWND h = t->GetHandle();
        const TRect d = t->DisplayRect(), cr = t->GetClientRect();
        TRect prev;
        for (int i = 0; i < 3; ++i)
        {
            TRect r;
            ASSERT_TRUE(SendMessage(h, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)));
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= cr.Right && r.Bottom <= cr.Bottom);
            // Outside the display area, on the tabs' side, each after the one before.
            switch (pos)
            {
            case tpTop: EXPECT_LE(r.Bottom, d.Top); if (i) { EXPECT_EQ(r.Left, prev.Right); } break;
            case tpBottom: EXPECT_GE(r.Top, d.Bottom); if (i) { EXPECT_EQ(r.Left, prev.Right); } break;
            case tpLeft: EXPECT_LE(r.Right, d.Left); if (i) { EXPECT_EQ(r.Top, prev.Bottom); } break;
            case tpRight: EXPECT_GE(r.Left, d.Right); if (i) { EXPECT_EQ(r.Top, prev.Bottom); } break;
            }
            // Wide enough for the caption.
            if (pos == tpTop || pos == tpBottom) { EXPECT_GT(r.Width(), t->Canvas()->TextWidth(t->Tabs()->Get(i))); }
            TCHITTESTINFO hit;
            hit.pt = TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            EXPECT_EQ(SendMessage(h, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), i);
            prev = r;
        }
        // The display rectangle both ways.
        TRect a = cr;
        SendMessage(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&a));
        EXPECT_EQ(a, d);
        SendMessage(h, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&a));
        EXPECT_EQ(a, cr);
        // A fixed item size: (width, height) for a row on top or bottom.
        SendMessage(h, TCM_SETITEMSIZE, 0, MAKELPARAM(70, 24));
        TRect r;
        SendMessage(h, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
        if (pos == tpTop || pos == tpBottom)
        {
            EXPECT_EQ(r.Width(), 70);
            EXPECT_EQ(r.Height(), 24);
        }
        else EXPECT_EQ(r.Height(), 24);
        form->Release();
        driver->PumpUntilIdle();
    }
}

TEST_F(TabControlTest, SingleRowScrollsWithItsArrowPairOrByMessage)
{
    std::vector<std::string> caps;
    for (int i = 0; i < 12; ++i) caps.push_back("Tab number " + std::to_string(i));
    TTabControl* t = MakeTabs(caps);
    HWND h = t->GetHandle();
    TCustomUpDown* ud = t->Scroller();
    ASSERT_NE(ud, nullptr);
    EXPECT_EQ(driver->FindByClass("msctls_updown32", h), ud->GetHandle());
    const int most = t->HiddenTabCount();
    ASSERT_GT(most, 3);
    EXPECT_EQ(t->TabRect(0).Left, 2);
    // The right arrow scrolls one tab out at the left.
    driver->Click(TTestDriver::ClientPoint(ud->GetHandle(), TPoint(ud->Width() - 4, ud->Height() / 2)));
    EXPECT_EQ(t->FirstVisibleTab(), 1);
    EXPECT_EQ(t->TabRect(1).Left, 2);
    // By message: the position is the first tab shown, within what can scroll.
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    EXPECT_EQ(t->FirstVisibleTab(), 3);
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 99), 0);
    EXPECT_EQ(t->FirstVisibleTab(), most);
    // Selecting the first tab by key scrolls it back into view; End shows the last.
    t->SetFocus();
    driver->PressKey(VK_HOME);
    EXPECT_EQ(t->FirstVisibleTab(), 0);
    driver->PressKey(VK_END);
    EXPECT_EQ(t->GetTabIndex(), 11);
    EXPECT_LE(t->TabRect(11).Right, ud->Left());
    // A wrapper destroys the arrow pair and drives the row itself.
    DestroyWindow(ud->GetHandle());
    driver->PumpUntilIdle();
    EXPECT_EQ(driver->FindByClass("msctls_updown32", h), nullptr);
    SendMessage(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0);
    EXPECT_EQ(t->FirstVisibleTab(), 2);
    // Multi-line: no arrow pair, and the selected tab's row lies next to the display area.
    t->SetMultiLine(true);
    EXPECT_EQ(t->Scroller(), nullptr);
    ASSERT_GT(t->RowCount(), 1);
    t->SetTabIndex(0);
    for (int i = 0; i < 12; ++i) EXPECT_LE(t->TabRect(i).Bottom, t->TabRect(0).Bottom) << i;
    EXPECT_EQ(t->TabRect(0).Bottom + 4, t->DisplayRect().Top);   // the display area's inset from the frame
    t->SetTabIndex(11);
    for (int i = 0; i < 12; ++i) EXPECT_LE(t->TabRect(i).Bottom, t->TabRect(11).Bottom) << i;
}

TEST_F(TabControlTest, PageControlShowsThePageOfTheSelectedTab)
{
    form = MakeForm(420, 300);
    auto* pc = new TPageControl(form);
    pc->SetBounds(10, 10, 300, 200);
    pc->SetParent(form);
    std::vector<TTabSheet*> pages;
    for (const char* c : {"General", "Audio", "Video", "Hidden"})
    {
        auto* p = new TTabSheet(form);
        p->SetCaption(c);
        p->SetPageControl(pc);
        pages.push_back(p);
    }
    pages[3]->SetTabVisible(false);
    auto* field = new TTestBox(form);
    field->SetParent(pages[1]);
    form->Show();
    driver->PumpUntilIdle();
    EXPECT_EQ(pc->GetActivePage(), pages[0]);
    EXPECT_EQ(pc->Tabs()->Count(), 3);
    EXPECT_EQ(pages[0]->BoundsRect(), pc->DisplayRect());
    std::vector<std::string> log;
    bool allow = true;
    pc->OnChanging = [&](TObject*, bool& a) { log.push_back("changing"); a = allow; };
    pc->OnChange = [&](TObject*) { log.push_back("change " + pc->GetActivePage()->GetText()); };
    auto tab = [&](int i) { const TRect r = pc->TabRect(i); return TTestDriver::ClientPoint(pc->GetHandle(), TPoint(r.Left + 5, r.Top + 5)); };
    driver->Click(tab(2));
    EXPECT_EQ(pc->GetActivePage(), pages[2]);
    EXPECT_TRUE(pages[2]->Showing());
    EXPECT_FALSE(pages[0]->Showing());
    allow = false;
    driver->Click(tab(1));
    EXPECT_EQ(pc->GetActivePage(), pages[2]);
    allow = true;
    // Ctrl+Tab from a control on a page moves on, wrapping round, past the hidden tab.
    pc->SetActivePageIndex(1);
    field->SetFocus();
    driver->PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_EQ(pc->GetActivePageIndex(), 2);
    driver->PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_EQ(pc->GetActivePageIndex(), 0);
    driver->PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(pc->GetActivePageIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "change Video", "changing", "changing", "change Video",
                                             "changing", "change General", "changing", "change Video"}));
    // TCM_SETCURSEL moves only the tab, without events; ActivePage moves both.
    log.clear();
    EXPECT_EQ(SendMessage(pc->GetHandle(), TCM_SETCURSEL, 0), 2);
    EXPECT_EQ(pc->GetTabIndex(), 0);
    EXPECT_TRUE(log.empty());
    pc->SetActivePage(pages[1]);
    EXPECT_EQ(pc->GetTabIndex(), 1);
    EXPECT_TRUE(log.empty());
    // Showing the hidden tab puts it back in its place.
    pages[3]->SetTabVisible(true);
    EXPECT_EQ(pc->Tabs()->Count(), 4);
    EXPECT_EQ(pages[3]->TabIndex(), 3);
}

TEST_F(TabControlTest, PlainLookSnapshots)
{
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/snapshots";
    std::filesystem::create_directories(dir);
    const char* names[] = {"tabs_top.png", "tabs_bottom.png", "tabs_left.png", "tabs_right.png"};
    for (TTabPosition pos : {tpTop, tpBottom, tpLeft, tpRight})
    {
        TTabControl* t = MakeTabs({"常规", "Audio", "Video output"}, pos, 300);
        t->SetTabIndex(1);
        driver->PumpUntilIdle();
        TRect wr;
        GetWindowRect(t->GetHandle(), &wr);
        ASSERT_TRUE(driver->Snapshot(dir + "/" + names[int(pos)], wr));
        // The display area is the button face; the selected tab reaches into the frame's edge.
        const TRect d = t->DisplayRect();
        EXPECT_EQ(PixelToColorRef(driver->PixelAt(TTestDriver::ClientPoint(t->GetHandle(), TPoint((d.Left + d.Right) / 2, (d.Top + d.Bottom) / 2)))),
                  GetSysColor(COLOR_BTNFACE));
        form->Release();
        driver->PumpUntilIdle();
    }
    std::vector<std::string> caps;
    for (int i = 0; i < 10; ++i) caps.push_back("Tab " + std::to_string(i));
    TTabControl* t = MakeTabs(caps, tpTop, 250);
    TRect wr;
    GetWindowRect(t->GetHandle(), &wr);
    ASSERT_TRUE(driver->Snapshot(dir + "/tabs_scroller.png", wr));
}

} // namespace
