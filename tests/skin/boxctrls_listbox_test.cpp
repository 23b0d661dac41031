// The skinned list box in its default look: the skinned bars follow the
// inner list's scroll state, input is forwarded to the frame's events, the
// caption buttons repeat, tab stops and the print-to-DC answer; and every
// box painting a skin whose picture parts have no size.
#include "lib/bsSkinBoxCtrls.h"
#include "platform/os/ScrollBar.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinListBoxTest : public SkinCtrlTest
{
protected:
    TbsSkinListBox* MakeList(TForm* f, int items)
    {
        auto* l = new TbsSkinListBox(f);
        l->SetBounds(10, 10, 150, 120);
        l->SetParent(f);
        for (int i = 0; i < items; ++i) l->Items()->Add("行 " + std::to_string(i));
        return l;
    }
};
} // namespace

TEST_F(SkinListBoxTest, VerticalBarComesWhenLinesNoLongerFitAndGoesWhenCleared)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 0);
    f->Show();
    driver->PumpUntilIdle();
    EXPECT_EQ(l->ScrollBar, nullptr);
    for (int i = 0; i < 5; ++i) l->Items()->Add("a" + std::to_string(i));
    EXPECT_EQ(l->ScrollBar, nullptr) << "5 lines of 20 fit into 116 pixels";
    for (int i = 0; i < 10; ++i) l->Items()->Add("b" + std::to_string(i));
    ASSERT_NE(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ScrollBar->Max(), 14);
    EXPECT_EQ(l->ScrollBar->PageSize(), l->ListBox->Height() / 20);
    EXPECT_LE(l->ListBox->BoundsRect().Right, l->ScrollBar->Left()) << "the list makes room for the bar";
    // The bar drives the list, and the list's own scrolling moves the bar.
    l->ScrollBar->SetPosition(4);
    EXPECT_EQ(l->TopIndex(), 4);
    l->SetItemIndex(14);
    l->ListBox->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(l->ScrollBar->Position(), 0);
    l->Clear();
    EXPECT_EQ(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ListBox->Width(), 146);
}

TEST_F(SkinListBoxTest, RowCountEqualToTheLinesShowsNoBar)
{
    TSkinnedForm* f = MakeForm(300, 400);
    TbsSkinListBox* l = MakeList(f, 8);
    f->Show();
    l->SetRowCount(8);
    EXPECT_EQ(l->Height(), 8 * 20 + 4);
    EXPECT_EQ(l->ScrollBar, nullptr);
    l->SetRowCount(4);
    EXPECT_EQ(l->Height(), 4 * 20 + 4);
    EXPECT_NE(l->ScrollBar, nullptr);
}

TEST_F(SkinListBoxTest, InnerListInputReachesTheFrameEvents)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 3);
    std::vector<std::string> log;
    l->OnListBoxKeyDown = [&](TObject* s, WORD& k, TShiftState) {
        EXPECT_EQ(s, l);
        log.push_back("down " + std::to_string(k));
    };
    l->OnListBoxKeyUp = [&](TObject*, WORD& k, TShiftState) { log.push_back("up " + std::to_string(k)); };
    l->OnListBoxClick = [&](TObject*) { log.push_back("click"); };
    l->OnListBoxDblClick = [&](TObject*) { log.push_back("dblclick"); };
    f->Show();
    l->ListBox->SetFocus();
    driver->PressKey(VK_DOWN);
    EXPECT_EQ(l->ItemIndex(), 0);
    driver->DoubleClick(l->ListBox->ClientToScreen(TPoint(20, 30)));
    EXPECT_EQ(l->ItemIndex(), 1);
    const std::vector<std::string> want = {"down 40", "click", "up 40", "click", "dblclick"};
    EXPECT_EQ(log, want);
}

TEST_F(SkinListBoxTest, HeldDownButtonRepeatsAfterTheWaitAndStopsAtTheEnd)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 12);
    l->SetCaptionMode(true);
    l->SetDefaultCaptionHeight(10);
    l->SetItemIndex(0);
    f->Show();
    driver->PumpUntilIdle();
    // Caption height 10: buttons 7 pixels wide, down is the middle one.
    const TRect down = l->Buttons[1].R;
    EXPECT_EQ(RectWidth(down), 7);
    const TPoint at = l->ClientToScreen(TPoint(down.Left + 3, down.Top + 3));
    driver->Press(at);
    driver->AdvanceClock(599);
    EXPECT_EQ(l->ItemIndex(), 0);
    driver->AdvanceClock(1);
    EXPECT_EQ(l->ItemIndex(), 1);
    driver->AdvanceClock(300);
    EXPECT_EQ(l->ItemIndex(), 4);
    driver->AdvanceClock(2000);
    EXPECT_EQ(l->ItemIndex(), 11);
    driver->Release(at);
    EXPECT_EQ(l->ItemIndex(), 11);
    EXPECT_EQ(l->RepeatMode(), 0);
    // With an event assigned only the event fires, on release over the button.
    int clicks = 0;
    l->OnUpButtonClick = [&](TObject*) { ++clicks; };
    const TRect up = l->Buttons[0].R;
    driver->Click(l->ClientToScreen(TPoint(up.Left + 3, up.Top + 3)));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(l->ItemIndex(), 11);
}

TEST(SkinListBoxTabStops, DigitLinesGiveStopsOtherLinesZeroAndOnlyTenCount)
{
    TStringList t;
    for (const char* s : {"40", "4O", "", "120", "1", "2", "3", "4", "5", "6", "7"}) t.Add(s);
    const std::vector<int> want = {40, 0, 0, 120, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(bsTabStops(&t), want);
}

TEST_F(SkinListBoxTest, EmptyListPaintsItsBackgroundIntoAForeignContext)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 0);
    f->Show();
    TBitmap b(50, 50, pf32bit);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 50, 50));
    HWND h = l->ListBox->GetHandle();
    EXPECT_EQ(SendMessage(h, BSM_PRINTCLIENTTODC, WPARAM(b.Canvas()->GetHandle()), kPrintToDc2Magic),
              kPrintToDc2Magic);
    EXPECT_EQ(ColorToRGB(b.Canvas()->GetPixel(5, 5)), ColorToRGB(clWindow));
    EXPECT_EQ(SendMessage(h, BSM_PRINTTODC, 0, 0), kPrintToDcResult);
    l->Items()->Add("x");
    EXPECT_EQ(SendMessage(h, BSM_PRINTCLIENTTODC, 0, kPrintToDc2Magic), 0);
}

TEST_F(SkinListBoxTest, HorizontalShiftFollowsTheListWidth)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 1);
    l->ListBox->SetHorizontalExtentValue(20);
    l->ListBox->SetWidth(l->ListBox->Width() - 30);
    EXPECT_EQ(l->ListBox->HorizontalExtentValue(), 50);
    l->ListBox->SetWidth(l->ListBox->Width() + 30);
    EXPECT_EQ(l->ListBox->HorizontalExtentValue(), 20);
    l->ListBox->SetWidth(l->ListBox->Width() + 30);
    EXPECT_EQ(l->ListBox->HorizontalExtentValue(), 0);
}

TEST_F(SkinListBoxTest, PicturePartsOfNoSizeDrawNothingInEveryBox)
{
    // Entries whose client, item and middle parts have no width: the list,
    // the combo box with its open list, the edit and the scroll box paint
    // without tiling an empty picture (which would never end).
    const std::string dir = skintest::TempDir("boxes-zero");
    skintest::MakePicture(120, 60, 0xFF336699u).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(
        dir + "skin.ini",
        "[VERSION]\r\nskinname=zero\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
        "[SKINCONTROLS]\r\ncount=4\r\n0=listbox:listbox\r\n1=combobox:combobox\r\n2=edit:edit\r\n"
        "3=scrollbox:scrollbox\r\n\r\n"
        "[listbox]\r\npictureindex=0\r\nskinrect=0,0,40,40\r\nlefttoppoint=5,5\r\nrighttoppoint=5,5\r\n"
        "leftbottompoint=5,5\r\nrightbottompoint=5,5\r\nclientrect=5,5,5,5\r\nitemrect=0,0,0,20\r\n"
        "itemtextrect=0,0,0,20\r\n\r\n"
        "[combobox]\r\npictureindex=0\r\nskinrect=0,0,40,20\r\nlefttoppoint=5,0\r\nrighttoppoint=5,0\r\n"
        "clientrect=3,3,3,17\r\nitemrect=0,0,0,14\r\nfocusitemrect=0,0,0,14\r\nlistboxname=listbox\r\n\r\n"
        "[edit]\r\npictureindex=0\r\nskinrect=0,0,40,20\r\nlefttoppoint=4,0\r\nrighttoppoint=4,0\r\n"
        "clientrect=4,4,4,16\r\n\r\n"
        "[scrollbox]\r\npictureindex=0\r\nskinrect=0,0,40,40\r\nlefttoppoint=5,5\r\nrighttoppoint=5,5\r\n"
        "leftbottompoint=5,5\r\nrightbottompoint=5,5\r\nclientrect=5,5,5,5\r\n\r\n");
    TbsSkinData sd;
    sd.LoadFromFile(dir + "skin.ini");
    TSkinnedForm* f = MakeForm();
    TbsSkinListBox* l = MakeList(f, 8);
    l->SetSkinData(&sd);
    auto* c = new TbsSkinComboBox(f);
    c->SetBounds(170, 10, 100, 20);
    c->SetParent(f);
    for (const char* s : {"一", "二", "三"}) c->Items()->Add(s);
    c->SetItemIndex(1);
    c->SetSkinData(&sd);
    auto* e = new TbsSkinEdit(f);
    e->SetBounds(170, 50, 100, 20);
    e->SetParent(f);
    e->SetText("文本");
    e->SetSkinData(&sd);
    auto* b = new TbsSkinScrollBox(f);
    b->SetBounds(170, 80, 100, 60);
    b->SetParent(f);
    b->SetSkinData(&sd);
    f->Show();
    c->SetFocus();
    c->DropDown();
    driver->PumpUntilIdle();
    TBitmap shot(f->ClientWidth(), f->ClientHeight(), pf32bit);
    f->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    ASSERT_TRUE(c->IsPopupVisible());
    c->ListBox()->Repaint();
    c->CloseUp(true);
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(e->GetText(), "文本");
}
