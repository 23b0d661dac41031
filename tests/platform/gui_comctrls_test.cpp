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

} // namespace
