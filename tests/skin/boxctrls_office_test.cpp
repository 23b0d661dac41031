// The office list and combo box: the main window's chain of category, preset
// list and parameter boxes, ItemIndex assignments firing every time, values
// outside the rows, keys skipping headers and disabled rows, scrolling; and
// the link label handing its address to the launcher.
#include "lib/bsSkinExCtrls.h"
#include "platform/sys/Process.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinOfficeTest : public SkinCtrlTest
{
};

TbsSkinOfficeItem* AddRow(TbsSkinOfficeItems* items, const std::string& caption, bool header = false,
                          bool enabled = true)
{
    TbsSkinOfficeItem* it = items->Add();
    it->SetCaption(caption);
    it->SetHeader(header);
    it->SetEnabled(enabled);
    return it;
}

// A stub of the main window's chain: the category box refills the preset
// list, the preset list refills and sets the parameter boxes.
struct Chain
{
    TbsSkinOfficeComboBox* category;
    TbsSkinOfficeComboBox* presets;
    TbsSkinComboBox* frameSize;
    TbsSkinComboBox* bitRate;
    std::vector<std::string> log;

    explicit Chain(TForm* f)
    {
        category = new TbsSkinOfficeComboBox(f);
        category->SetBounds(10, 10, 119, 50);
        category->SetParent(f);
        category->SetToolButtonStyle(true);
        category->SetListBoxSkinDataName("resizetoolpanel");
        category->SetListBoxItemHeight(50);
        for (const char* c : {"手机", "电脑", "网络视频"}) AddRow(category->Items(), c);
        presets = new TbsSkinOfficeComboBox(f);
        presets->SetBounds(140, 10, 200, 50);
        presets->SetParent(f);
        presets->SetListBoxItemHeight(60);
        frameSize = new TbsSkinComboBox(f);
        frameSize->SetBounds(10, 80, 120, 20);
        frameSize->SetParent(f);
        bitRate = new TbsSkinComboBox(f);
        bitRate->SetBounds(140, 80, 120, 20);
        bitRate->SetParent(f);
        category->OnChange = [this](TObject*) {
            log.push_back("category " + std::to_string(category->ItemIndex()));
            presets->Items()->Clear();
            const int n = 2 + category->ItemIndex();
            for (int i = 0; i < n; ++i)
            {
                TbsSkinOfficeItem* it = AddRow(presets->Items(), "预设 " + std::to_string(i));
                it->SetTitle("标题 " + std::to_string(i));
            }
            presets->SetItemIndex(0);
        };
        presets->OnChange = [this](TObject*) {
            log.push_back("preset " + std::to_string(presets->ItemIndex()));
            for (TbsSkinComboBox* b : {frameSize, bitRate})
            {
                b->Items()->Clear();
                for (int i = 0; i <= presets->ItemIndex() + 1; ++i) b->Items()->Add(std::to_string(i * 100));
            }
            frameSize->SetItemIndex(presets->ItemIndex());
            bitRate->SetItemIndex(presets->ItemIndex() + 1);
        };
        frameSize->OnChange = [this](TObject*) { log.push_back("frame " + frameSize->GetText()); };
        bitRate->OnChange = [this](TObject*) { log.push_back("rate " + bitRate->GetText()); };
    }
};
} // namespace

TEST_F(SkinOfficeTest, CategoryRefillsPresetsWhichRefillTheParameterBoxes)
{
    TSkinnedForm* f = MakeForm(400, 300);
    Chain c(f);
    f->Show();
    c.category->SetItemIndex(1);
    const std::vector<std::string> first = {"category 1", "preset 0", "frame 0", "rate 100"};
    EXPECT_EQ(c.log, first);
    EXPECT_EQ(c.presets->Items()->Count(), 3);
    // The same value again fires the chain again (the parameter boxes show
    // the same texts, so their OnChange stays quiet).
    c.log.clear();
    c.category->SetItemIndex(1);
    const std::vector<std::string> again = {"category 1", "preset 0"};
    EXPECT_EQ(c.log, again);
    // A choice in the preset drop-down by the user: the wheel moves the
    // open list silently, Enter accepts.
    c.presets->SetFocus();
    c.log.clear();
    c.presets->DropDown();
    ASSERT_TRUE(c.presets->IsPopupVisible());
    const TPoint at = c.presets->ClientToScreen(TPoint(20, 20));
    driver->Wheel(-120, at);
    driver->Wheel(-120, at);
    EXPECT_EQ(c.presets->ListBox()->ItemIndex(), 2);
    EXPECT_TRUE(c.log.empty());
    driver->PressKey(VK_RETURN);
    EXPECT_FALSE(c.presets->IsPopupVisible());
    const std::vector<std::string> chosen = {"preset 2", "frame 200", "rate 300"};
    EXPECT_EQ(c.log, chosen);
}

TEST_F(SkinOfficeTest, EscapeAfterHoveringRestoresTheRowWithoutEvents)
{
    TSkinnedForm* f = MakeForm(400, 400);
    Chain c(f);
    f->Show();
    c.category->SetItemIndex(2);
    c.presets->SetFocus();
    c.log.clear();
    c.presets->DropDown();
    TbsPopupOfficeListBox* pop = c.presets->ListBox();
    const TRect r = pop->Items()->Items(3)->ItemRect;
    driver->MoveTo(pop->ClientToScreen(TPoint(r.Left + 10, r.Top + 10)));
    EXPECT_EQ(pop->ItemIndex(), 3);
    driver->PressKey(VK_ESCAPE);
    EXPECT_FALSE(c.presets->IsPopupVisible());
    EXPECT_EQ(c.presets->ItemIndex(), 0);
    EXPECT_TRUE(c.log.empty());
}

TEST_F(SkinOfficeTest, ValuesOutsideTheRowsAreKeptButSelectNothing)
{
    TSkinnedForm* f = MakeForm();
    auto* l = new TbsSkinOfficeListBox(f);
    l->SetParent(f);
    for (int i = 0; i < 3; ++i) AddRow(l->Items(), "行" + std::to_string(i));
    int clicks = 0;
    l->OnItemClick = [&](TObject*) { ++clicks; };
    f->Show();
    l->SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    for (int v : {7, -1, 3})
    {
        EXPECT_NO_THROW(l->SetItemIndex(v));
        EXPECT_EQ(l->ItemIndex(), v);
        EXPECT_EQ(l->ScrollOffset(), 0);
        EXPECT_TRUE(l->Items()->Items(1)->Active) << "the rows keep their selection";
    }
    EXPECT_EQ(clicks, 1);
    auto* combo = new TbsSkinOfficeComboBox(f);
    combo->SetParent(f);
    AddRow(combo->Items(), "一");
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    EXPECT_NO_THROW(combo->SetItemIndex(40));
    EXPECT_EQ(combo->ItemIndex(), 40);
    EXPECT_EQ(changes, 1);
    f->Repaint();
}

TEST_F(SkinOfficeTest, KeysSkipHeadersAndDisabledRows)
{
    TSkinnedForm* f = MakeForm(300, 400);
    auto* l = new TbsSkinOfficeListBox(f);
    l->SetBounds(10, 10, 200, 95);   // three rows of 30 in view
    l->SetParent(f);
    AddRow(l->Items(), "标题一", true);
    AddRow(l->Items(), "a");
    AddRow(l->Items(), "b", false, false);
    AddRow(l->Items(), "c");
    AddRow(l->Items(), "标题二", true);
    AddRow(l->Items(), "d");
    AddRow(l->Items(), "e");
    f->Show();
    l->SetFocus();
    struct Step
    {
        int key, to;
    };
    const Step steps[] = {{VK_DOWN, 1}, {VK_DOWN, 3}, {VK_DOWN, 5}, {VK_DOWN, 6}, {VK_DOWN, 6},
                          {VK_UP, 5},   {VK_UP, 3},   {VK_UP, 1},   {VK_UP, 1},   {VK_NEXT, 5}};
    for (const Step& s : steps)
    {
        driver->PressKey(s.key);
        EXPECT_EQ(l->ItemIndex(), s.to) << s.key;
    }
    driver->PressKey(VK_NEXT);
    EXPECT_EQ(l->ItemIndex(), 6);
    driver->PressKey(VK_PRIOR);
    EXPECT_EQ(l->ItemIndex(), 3) << "page up takes the first row after passing a header";
    EXPECT_EQ(l->ItemAtPos(l->Items()->Items(2)->ItemRect.Left + 1, l->Items()->Items(2)->ItemRect.Top + 1), -1);
}

TEST_F(SkinOfficeTest, ScrollBarComesWithTheRowsAndSelectingScrolls)
{
    TSkinnedForm* f = MakeForm(300, 400);
    auto* l = new TbsSkinOfficeListBox(f);
    l->SetParent(f);
    for (int i = 0; i < 3; ++i) AddRow(l->Items(), "行" + std::to_string(i));
    f->Show();
    l->UpdateScrollInfo();
    EXPECT_EQ(l->ScrollBar, nullptr);
    for (int i = 3; i < 10; ++i) AddRow(l->Items(), "行" + std::to_string(i));
    ASSERT_NE(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ScrollBar->SmallChange(), 30);
    l->SetItemIndex(9);
    EXPECT_EQ(l->ScrollOffset(), (2 + 300) + 2 - 150 + 1);
    EXPECT_EQ(l->CalcHeight(4), 4 * 30 + 5);
}

// A skin with a combo box entry or without one.
std::string WriteComboSkin(bool withCombo)
{
    const std::string dir = skintest::TempDir(withCombo ? "office-combo" : "office-nocombo");
    skintest::MakePicture(120, 60, 0xFF336699u).SaveToFile(dir + "p0.bmp");
    std::string controls = withCombo ? "[SKINCONTROLS]\r\ncount=1\r\n0=combobox:combobox\r\n\r\n"
                                       "[combobox]\r\npictureindex=0\r\nskinrect=0,0,100,41\r\n"
                                       "lefttoppoint=5,0\r\nrighttoppoint=95,0\r\nclientrect=3,3,80,38\r\n"
                                       "listboxname=listbox\r\n\r\n"
                                     : "[SKINCONTROLS]\r\ncount=0\r\n\r\n";
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=combo\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n" +
                            controls);
    return dir + "skin.ini";
}

TEST_F(SkinOfficeTest, TheConfiguredDropDownEntrySurvivesASkinWithoutAComboEntry)
{
    const std::string with = WriteComboSkin(true), without = WriteComboSkin(false);
    TbsSkinData sd;
    sd.LoadFromFile(with);
    TSkinnedForm* f = MakeForm();
    auto* c = new TbsSkinOfficeComboBox(f);
    c->SetParent(f);
    c->SetListBoxSkinDataName("resizetoolpanel");
    c->SetSkinData(&sd);
    f->Show();
    EXPECT_EQ(c->ListBox()->SkinDataName(), "resizetoolpanel");
    sd.LoadFromFile(without);
    driver->PumpUntilIdle();
    EXPECT_EQ(c->ListBox()->SkinDataName(), "") << "no combo entry: the drop-down takes the default look";
    sd.LoadFromFile(with);
    driver->PumpUntilIdle();
    EXPECT_EQ(c->ListBox()->SkinDataName(), "resizetoolpanel");
    EXPECT_EQ(c->ListBoxSkinDataName(), "resizetoolpanel");
}

TEST_F(SkinOfficeTest, LinkLabelHandsItsAddressToTheLauncherAsOneArgument)
{
    struct Recorder : sys::ILauncher
    {
        std::vector<std::vector<std::string>> calls;
        bool Launch(const std::vector<std::string>& argv, bool) override
        {
            calls.push_back(argv);
            return true;
        }
    };
    auto rec = std::make_shared<Recorder>();
    auto old = sys::SetLauncher(rec);
    TSkinnedForm* f = MakeForm();
    auto* l = new TbsSkinLinkLabel(f);
    l->SetBounds(10, 10, 200, 30);
    l->SetCaption("访问主页");
    l->URL = "https://example.com/a b?x=1&y=$(id)";
    l->GlowEffect = true;
    l->GlowSize = 6;
    l->SetParent(f);
    int clicks = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    f->Show();
    driver->PumpUntilIdle();
    EXPECT_EQ(l->LastTextRect().Top, 6) << "a glowing label sits GlowSize lower";
    l->GlowEffect = false;   // the glow's blur is slow in checked builds
    // Sized to its text when it sizes itself.
    l->SetAutoSize(true);
    EXPECT_GT(l->Width(), 20);
    EXPECT_LT(l->Width(), 150);
    EXPECT_GT(l->Height(), 8);
    EXPECT_LT(l->Height(), 30);
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 200, 30);
    driver->Click(l->ClientToScreen(TPoint(20, 15)));
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(rec->calls.size(), 1u);
    ASSERT_EQ(rec->calls[0].size(), 2u);
    EXPECT_EQ(rec->calls[0][1], "https://example.com/a b?x=1&y=$(id)");
    l->URL.clear();
    driver->Click(l->ClientToScreen(TPoint(20, 15)));
    EXPECT_EQ(rec->calls.size(), 1u);
    sys::SetLauncher(old);
}
