// The skinned combo box: the events of each way of choosing, the drop-down's
// place near the bottom of the work area, incremental search, choosing by
// dragging from the button into a row, and the editable style.
#include "lib/bsSkinBoxCtrls.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinComboTest : public SkinCtrlTest
{
protected:
    TbsSkinComboBox* MakeCombo(TForm* f, std::vector<std::string> items, int top = 10)
    {
        auto* c = new TbsSkinComboBox(f);
        c->SetBounds(10, top, 150, 20);
        c->SetParent(f);
        for (const std::string& s : items) c->Items()->Add(s);
        c->OnClick = [this](TObject*) { log += "C"; };
        c->OnChange = [this](TObject*) { log += "H"; };
        c->OnCloseUp = [this](TObject*) { log += "U"; };
        return c;
    }
    TPoint ButtonPoint(TbsSkinComboBox* c)
    {
        const TRect& b = c->Button.R;
        return c->ClientToScreen(TPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    }
    TPoint RowPoint(TbsSkinComboBox* c, int row)
    {
        TbsListBox* l = c->ListBox()->ListBox;
        const TRect r = l->ItemRect(row);
        return l->ClientToScreen(TPoint(r.Left + 5, (r.Top + r.Bottom) / 2));
    }
    // Events: C OnClick, H OnChange, U OnCloseUp.
    std::string log;
};
} // namespace

TEST_F(SkinComboTest, EventsOfEachWayOfChoosing)
{
    struct Case
    {
        const char* what;
        std::function<void(TbsSkinComboBox*)> act;
        int index;
        const char* events;
    };
    const std::vector<Case> cases = {
        {"code assignment", [this](TbsSkinComboBox* c) { c->SetItemIndex(2); }, 2, "HC"},
        {"same item again by code", [this](TbsSkinComboBox* c) { c->SetItemIndex(1); }, 1, "C"},
        {"same text at another index", [this](TbsSkinComboBox* c) { c->SetItemIndex(3); }, 3, "C"},
        {"arrow key", [this](TbsSkinComboBox*) { driver->PressKey(VK_DOWN); }, 2, "HC"},
        {"page down", [this](TbsSkinComboBox*) { driver->PressKey(VK_NEXT); }, 5, "HC"},
        {"wheel while closed", [this](TbsSkinComboBox* c) { driver->Wheel(-120, ButtonPoint(c)); },
         2, "HC"},
        {"wheel in the open list, then Escape",
         [this](TbsSkinComboBox* c) {
             c->DropDown();
             driver->Wheel(-120, ButtonPoint(c));
             driver->PressKey(VK_ESCAPE);
         },
         1, ""},
        {"wheel in the open list, then Enter",
         [this](TbsSkinComboBox* c) {
             c->DropDown();
             driver->Wheel(-120, ButtonPoint(c));
             driver->PressKey(VK_RETURN);
         },
         2, "HCU"},
        {"click on a row of the open list",
         [this](TbsSkinComboBox* c) {
             driver->Click(ButtonPoint(c));
             driver->MoveTo(RowPoint(c, 4));
             driver->Click(RowPoint(c, 4));
         },
         4, "HCU"},
        {"click on the row already chosen",
         [this](TbsSkinComboBox* c) {
             driver->Click(ButtonPoint(c));
             driver->MoveTo(RowPoint(c, 1));
             driver->Click(RowPoint(c, 1));
         },
         1, "CU"},
        {"button twice: opened and closed again",
         [this](TbsSkinComboBox* c) {
             driver->Click(ButtonPoint(c));
             EXPECT_TRUE(c->IsPopupVisible());
             driver->Click(ButtonPoint(c));
         },
         1, ""},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.what);
        TSkinnedForm* f = MakeForm();
        TbsSkinComboBox* c = MakeCombo(f, {"a", "b", "c", "b", "e", "f"});
        f->Show();
        c->SetFocus();
        c->SetItemIndex(1);
        driver->PumpUntilIdle();
        log.clear();
        k.act(c);
        EXPECT_EQ(c->ItemIndex(), k.index);
        EXPECT_EQ(log, k.events);
        EXPECT_FALSE(c->IsPopupVisible());
        EXPECT_EQ(c->GetText(), c->Items()->Get(c->ItemIndex()));
        delete f;
    }
}

TEST_F(SkinComboTest, PageKeysMoveByTheSameAmountBothWays)
{
    TSkinnedForm* f = MakeForm();
    std::vector<std::string> items;
    for (int i = 0; i < 20; ++i) items.push_back("项目" + std::to_string(i));
    TbsSkinComboBox* c = MakeCombo(f, items);
    f->Show();
    c->SetFocus();
    // A page is the eight rows of the drop-down less the one kept in view.
    const struct
    {
        int from, key, to;
    } cases[] = {{10, VK_PRIOR, 3}, {10, VK_NEXT, 17}, {0, VK_PRIOR, 0}, {18, VK_NEXT, 19}, {3, VK_PRIOR, 0}};
    for (const auto& k : cases)
    {
        c->SetItemIndex(k.from);
        driver->PressKey(k.key);
        EXPECT_EQ(c->ItemIndex(), k.to) << k.from;
    }
    // The editable style moves the open list's selection by the same page.
    c->SetStyle(bscbEditStyle);
    c->Edit()->SetFocus();
    c->SetItemIndex(10);
    c->DropDown();
    ASSERT_TRUE(c->IsPopupVisible());
    driver->PressKey(VK_PRIOR);
    EXPECT_EQ(c->ItemIndex(), 3);
    c->SetItemIndex(10);
    driver->PressKey(VK_NEXT);
    EXPECT_EQ(c->ItemIndex(), 17);
    c->CloseUp(false);
}

TEST_F(SkinComboTest, ClearingTheItemsKeepsTheTextAndTheSameTextFiresNoChange)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinComboBox* c = MakeCombo(f, {"x", "y"});
    c->SetItemIndex(1);
    c->Items()->Clear();
    EXPECT_EQ(c->GetText(), "y");
    c->Items()->Add("y");
    log.clear();
    c->SetItemIndex(0);
    EXPECT_EQ(log, "C");
    c->SetItemIndex(5);
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(c->GetText(), "y");
}

TEST_F(SkinComboTest, OpensAboveNearTheBottomOfTheWorkAreaAndIsNeverMovedSideways)
{
    TSkinnedForm* f = MakeForm(1200, 900);
    f->SetBounds(200, 0, 1200, 990);
    TbsSkinComboBox* low = MakeCombo(f, {"一", "二", "三", "四", "五"}, 900);
    low->SetLeft(1100);
    TbsSkinComboBox* high = MakeCombo(f, {"一", "二"}, 10);
    f->Show();
    low->DropDown();
    const TRect box = low->BoundsRect();
    const TPoint boxTop = low->ClientToScreen(TPoint(0, 0));
    TRect r;
    GetWindowRect(low->ListBox()->GetHandle(), &r);
    EXPECT_EQ(r.Bottom, boxTop.Y) << "the list ends at the box's top";
    EXPECT_EQ(r.Left, boxTop.X);
    EXPECT_GT(r.Right, 1280) << "no horizontal adjustment";
    EXPECT_EQ(RectHeight(r), low->ListBox()->CalcHeight(5));
    (void)box;
    low->CloseUp(false);
    high->DropDown();
    GetWindowRect(high->ListBox()->GetHandle(), &r);
    EXPECT_EQ(r.Top, high->ClientToScreen(TPoint(0, high->Height())).Y);
}

TEST_F(SkinComboTest, IncrementalSearchWithChineseText)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinComboBox* c = MakeCombo(f, {"北京", "上海", "北海", "广州", "北方"});
    f->Show();
    c->SetFocus();
    driver->TypeText("北");
    EXPECT_EQ(c->ItemIndex(), 0);
    driver->AdvanceClock(600);
    driver->TypeText("北");
    EXPECT_EQ(c->ItemIndex(), 2) << "the same letter again after a pause: the next match";
    driver->AdvanceClock(600);
    driver->TypeText("北");
    driver->TypeText("方");
    EXPECT_EQ(c->ItemIndex(), 4) << "two characters within half a second search from the top";
    driver->AdvanceClock(600);
    driver->TypeText("g");
    EXPECT_EQ(c->ItemIndex(), 4) << "no match leaves the choice";
}

TEST_F(SkinComboTest, DragFromTheButtonIntoARowChoosesItInOneGesture)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinComboBox* c = MakeCombo(f, {"a", "b", "c", "d", "e"});
    f->Show();
    driver->Press(ButtonPoint(c));
    ASSERT_TRUE(c->IsPopupVisible());
    const TPoint row = RowPoint(c, 3);
    driver->MoveTo(row);
    EXPECT_EQ(c->ListBox()->ItemIndex(), 3) << "the row under the pointer is selected while dragging";
    EXPECT_EQ(c->ItemIndex(), 3);
    driver->Release(row);
    EXPECT_FALSE(c->IsPopupVisible());
    EXPECT_EQ(c->ItemIndex(), 3);
    EXPECT_EQ(log, "HCU");
    // Press and release on the button: the list stays open.
    driver->Click(ButtonPoint(c));
    EXPECT_TRUE(c->IsPopupVisible());
    // The open list never takes the activation.
    EXPECT_EQ(GetActiveWindow(), f->GetHandle());
}

TEST_F(SkinComboTest, DraggingBelowTheListScrollsItEvery25Milliseconds)
{
    TSkinnedForm* f = MakeForm(300, 400);
    std::vector<std::string> items;
    for (int i = 0; i < 12; ++i) items.push_back("行" + std::to_string(i));
    TbsSkinComboBox* c = MakeCombo(f, items);
    f->Show();
    driver->Press(ButtonPoint(c));
    ASSERT_NE(c->ListBox()->ScrollBar, nullptr);
    driver->MoveTo(RowPoint(c, 6));
    EXPECT_EQ(c->ListBox()->ItemIndex(), 6);
    TRect r;
    GetWindowRect(c->ListBox()->GetHandle(), &r);
    driver->MoveTo(TPoint(r.Left + 10, r.Bottom + 20));
    driver->AdvanceClock(25 * 3);
    EXPECT_EQ(c->ListBox()->ItemIndex(), 9);
    driver->AdvanceClock(25 * 10);
    EXPECT_EQ(c->ListBox()->ItemIndex(), 11);
    driver->Release(TPoint(r.Left + 10, r.Bottom + 20));
    EXPECT_FALSE(c->IsPopupVisible());
    EXPECT_EQ(c->ItemIndex(), -1) << "released outside the list: cancelled";
}

TEST_F(SkinComboTest, EditableStyleCompletesTypedText)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinComboBox* c = MakeCombo(f, {"apple", "banana", "blueberry"});
    c->SetStyle(bscbEditStyle);
    ASSERT_NE(c->Edit(), nullptr);
    f->Show();
    c->Edit()->SetFocus();
    // Auto-completion waits for 200 ms between key releases, as typing does.
    driver->TypeText("b");
    driver->AdvanceClock(250);
    driver->TypeText("l");
    EXPECT_EQ(c->Edit()->GetText(), "blueberry");
    EXPECT_EQ(c->SelStart(), 2);
    EXPECT_EQ(c->SelLength(), 7);
    c->SetStyle(bscbFixedStyle);
    EXPECT_EQ(c->Edit(), nullptr);
}
