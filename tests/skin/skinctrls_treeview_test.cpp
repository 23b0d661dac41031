// The skinned tree view: the attached bars appear with the rows and follow
// the native scroll state both ways, the horizontal bar's Both follows the
// vertical bar, the look comes from a tree view entry, and a removed bar is
// forgotten.
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class TreeViewTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm(400, 300);
        tree = new TbsSkinTreeView(form);
        tree->SetBounds(10, 10, 200, 150);
        tree->SetParent(form);
        vbar = new TbsSkinScrollBar(form);
        vbar->SetKind(sbVertical);
        vbar->SetBounds(210, 10, 19, 150);
        vbar->SetParent(form);
        hbar = new TbsSkinScrollBar(form);
        hbar->SetBounds(10, 160, 200, 19);
        hbar->SetParent(form);
        tree->SetVScrollBar(vbar);
        tree->SetHScrollBar(hbar);
        form->Show();
        driver->PumpUntilIdle();
    }
    TTreeNode* AddRows(int n, const std::string& text = "节点")
    {
        TTreeNode* root = tree->Items()->Add(nullptr, "根");
        for (int i = 0; i < n; ++i) tree->Items()->AddChild(root, text + std::to_string(i));
        root->Expand(false);
        driver->PumpUntilIdle();
        return root;
    }
    TSkinnedForm* form = nullptr;
    TbsSkinTreeView* tree = nullptr;
    TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
};
} // namespace

TEST_F(TreeViewTest, BarsFollowTheRowsBothWays)
{
    TTreeNode* root = AddRows(3);
    EXPECT_FALSE(vbar->GetVisible()) << "everything fits";
    tree->Items()->Clear();
    root = AddRows(100);
    ASSERT_TRUE(vbar->GetVisible());
    const int page = int(tree->Perform(TVM_GETVISIBLECOUNT));
    EXPECT_EQ(vbar->Max(), 100) << "101 rows";
    EXPECT_EQ(vbar->PageSize(), page);

    vbar->SetPosition(40);
    driver->PumpUntilIdle();
    EXPECT_EQ(tree->GetTopItem(), root->Item(39)) << "the bar moves the tree";
    tree->SetFocus();
    tree->SetSelected(root->Item(39));
    driver->PressKey(VK_END);
    driver->PumpUntilIdle();
    EXPECT_EQ(vbar->Position(), 101 - page) << "the keys move the bar";

    // A long caption brings the horizontal bar; Both follows the vertical one.
    tree->Items()->AddChild(root, std::string(60, 'W'));
    driver->PumpUntilIdle();
    EXPECT_TRUE(hbar->GetVisible());
    EXPECT_TRUE(hbar->Both());
    root->Collapse(false);
    tree->Perform(WM_SIZE, 0, 0);
    driver->PumpUntilIdle();
    EXPECT_FALSE(vbar->GetVisible()) << "collapsed: one row";
    EXPECT_FALSE(hbar->Both());
}

TEST_F(TreeViewTest, LookFromTheEntryAndForgottenBars)
{
    const std::string dir = skintest::TempDir("tree-skin");
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=tree\r\n\r\n[PICTURES]\r\nactivepicturescount=0\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
                        "[SKINCONTROLS]\r\ncount=2\r\n0=treeview:treeview\r\n1=othertree:bevel\r\n\r\n"
                        "[treeview]\r\nfontname=Courier New\r\nfontheight=16\r\nfontcolor=255\r\nbgcolor=65280\r\n\r\n"
                        "[othertree]\r\nlightcolor=1\r\n\r\n");
    TbsSkinData sd;
    sd.LoadFromFile(dir + "skin.ini");
    tree->SetSkinData(&sd);
    EXPECT_EQ(tree->GetColor(), TColor(65280));
    EXPECT_EQ(tree->Font()->GetName(), "Courier New");
    EXPECT_EQ(tree->Font()->GetColor(), TColor(255));
    tree->SetSkinDataName("othertree");
    tree->ChangeSkinData();
    EXPECT_EQ(tree->GetColor(), TColor(65280)) << "an entry of another kind changes nothing";
    tree->SetSkinData(nullptr);
    tree->ChangeSkinData();
    EXPECT_EQ(tree->GetColor(), clWindow) << "no store: the default colour";
    EXPECT_EQ(tree->Font()->GetName(), "Arial");

    delete vbar;
    EXPECT_EQ(tree->VScrollBar(), nullptr);
    AddRows(100);   // no bar to update: nothing fails
}
