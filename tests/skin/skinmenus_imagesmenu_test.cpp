// The image-grid menu: grid layout, arrow keys, choosing with the mouse and
// the keys (events and their order, the owning speed button's
// notifications), closing without a choice, placement at the work area's
// edges, the fade-in on the clock and item hints.
#include "skin/skinctrls_helpers.h"

#include "lib/bsSkinHint.h"
#include "lib/bsSkinMenus.h"

using namespace ctrltest;

namespace
{
class ImagesMenuTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 800, 600), TRect(0, 0, 800, 560), true}});
        form = MakeForm();
        Application->SetMainForm(form);
        images = std::make_unique<TCustomImageList>(16, 16);
        for (TColor c : {clRed, clGreen, clBlue, clYellow})
        {
            TBitmap b(16, 16, pf24bit);
            b.Canvas()->Brush()->SetColor(c);
            b.Canvas()->FillRect(TRect(0, 0, 16, 16));
            images->Add(&b, nullptr);
        }
        menu = new TbsSkinImagesMenu(form);
        menu->SetImages(images.get());
        menu->OnItemClick = [this](TObject*) { events.push_back("item"); };
        menu->OnChange = [this](TObject*) { events.push_back("change"); };
        menu->OnMenuClose = [this](TObject*) { events.push_back("close"); };
        menu->OnMenuPopup = [this](TObject*) { events.push_back("popup"); };
        form->Show();
        driver->PumpUntilIdle();
    }
    void TearDown() override
    {
        Application->SetMainForm(nullptr);
        delete form;
        SkinCtrlTest::TearDown();
    }
    // Cells (image i % 4), or "b" a button row, "h" a header row.
    void Items(const std::string& kinds)
    {
        menu->ImagesItems()->Clear();
        for (std::size_t i = 0; i < kinds.size(); ++i)
        {
            TbsImagesMenuItem* it = menu->ImagesItems()->Add();
            it->SetImageIndex(int(i % 4));
            it->Button = kinds[i] == 'b';
            it->Header = kinds[i] == 'h';
            if (kinds[i] != 'c') it->SetCaption(kinds[i] == 'b' ? "按钮 button" : "标题 header");
            it->OnClick = [this, i](TObject* s) {
                EXPECT_EQ(s, menu);
                events.push_back("click" + std::to_string(i));
            };
        }
    }
    TbsSkinImagesMenuPopupWindow* Open(TRect at = TRect(100, 100, 140, 120))
    {
        menu->PopupFromRect(at);
        driver->PumpUntilIdle();
        return menu->PopupWindow();
    }
    TPoint ItemCentre(int i)
    {
        const TRect r = menu->ImagesItems()->Items(i)->ItemRect;
        return menu->PopupWindow()->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    void Key(int vk)
    {
        driver->PressKey(vk);
        driver->PumpUntilIdle();
    }
    TSkinnedForm* form = nullptr;
    std::unique_ptr<TCustomImageList> images;
    TbsSkinImagesMenu* menu = nullptr;
    std::vector<std::string> events;
};
} // namespace

TEST_F(ImagesMenuTest, GridLayout)
{
    menu->SetColumnsCount(3);
    for (int bad : {0, 51}) menu->SetColumnsCount(bad);
    EXPECT_EQ(menu->ColumnsCount(), 3);
    Items("cccccccb");
    TbsSkinImagesMenuPopupWindow* w = Open();
    ASSERT_NE(w, nullptr);
    // 26 x 26 cells one pixel apart in rows of three, 5-pixel margins; the
    // button row starts a new row of full width.
    const TRect expected[] = {TRect(5, 5, 31, 31),   TRect(31, 5, 57, 31),  TRect(57, 5, 83, 31),
                              TRect(5, 32, 31, 58),  TRect(31, 32, 57, 58), TRect(57, 32, 83, 58),
                              TRect(5, 59, 31, 85),  TRect(5, 86, 83, 112)};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(menu->ImagesItems()->Items(i)->ItemRect, expected[i]) << i;
    EXPECT_EQ(w->Width(), 78 + 10);
    EXPECT_EQ(w->Height(), 107 + 10);
    EXPECT_EQ(w->Left(), 100);
    EXPECT_EQ(w->Top(), 120) << "below the rectangle";
    EXPECT_FALSE(w->SkinSupport());
    menu->Hide();
    driver->PumpUntilIdle();
    // A header closes the open row and takes its own.
    Items("cch");
    Open();
    EXPECT_EQ(menu->ImagesItems()->Items(2)->ItemRect, TRect(5, 32, 83, 58));
}

TEST_F(ImagesMenuTest, ArrowKeys)
{
    menu->SetColumnsCount(3);
    // 0 header; 1..3 cells; 4 button; 5..6 cells; 7 header; 8 cell.
    Items("hcccbcchc");
    Open();
    struct Step
    {
        int Key;
        int Hot;
    };
    const Step steps[] = {
        {VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_DOWN, 4},   // no cell below 2 before the button row
        {VK_DOWN, 5},  {VK_RIGHT, 6}, {VK_UP, 4},     // the nearest button row above
        {VK_UP, 1},    {VK_LEFT, 8},                  // from the first cell back round to the end
        {VK_UP, 5},                                   // over the header, same column
        {VK_LEFT, 4},  {VK_RIGHT, 5}, {VK_DOWN, 8},
        {VK_RIGHT, 1},                                // round to the first that is not a header
    };
    for (const Step& s : steps)
    {
        Key(s.Key);
        EXPECT_EQ(menu->PopupWindow()->HotItem(), s.Hot) << s.Key;
    }
    EXPECT_TRUE(events == std::vector<std::string>{"popup"}) << "keys go to the menu only";
    Key(VK_ESCAPE);
    EXPECT_EQ(menu->PopupWindow(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "close"}));
    EXPECT_EQ(menu->ItemIndex(), -1);
}

TEST_F(ImagesMenuTest, ChoosingFiresTheEventsInOrder)
{
    Items("cccc");
    std::vector<std::string> internal;
    menu->SetInternalChange(form, [&](TObject*) { internal.push_back("change"); });
    menu->SetInternalMenuClose(form, [&](TObject*) { events.push_back("internal-close"); });
    Open();
    driver->MoveTo(ItemCentre(2));
    driver->Click(ItemCentre(2));
    driver->PumpUntilIdle();
    EXPECT_EQ(menu->ItemIndex(), 2);
    EXPECT_EQ(menu->PopupWindow(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "internal-close", "close", "click2", "item", "change"}));
    EXPECT_FALSE(internal.empty());

    // The same item again: no change events.
    events.clear();
    internal.clear();
    Open();
    driver->Click(ItemCentre(2));
    driver->PumpUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "internal-close", "close", "click2", "item"}));
    EXPECT_TRUE(internal.empty());

    // Enter with no hot item closes with the current choice.
    events.clear();
    Open();
    Key(VK_RETURN);
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "internal-close", "close", "click2", "item"}));

    // A press off the items keeps the menu open; a click outside closes it
    // without a choice.
    events.clear();
    TbsSkinImagesMenuPopupWindow* w = Open();
    const TPoint margin = w->ClientToScreen(TPoint(1, 1));
    driver->Click(margin);
    driver->PumpUntilIdle();
    EXPECT_EQ(menu->PopupWindow(), w);
    EXPECT_EQ(GetCapture(), w->GetHandle()) << "still holding the mouse";
    driver->Click(TPoint(400, 400));
    driver->PumpUntilIdle();
    EXPECT_EQ(menu->PopupWindow(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "internal-close", "close"}));
    EXPECT_EQ(menu->ItemIndex(), 2);
    EXPECT_EQ(Application->MessageHookCount(), 0) << "the application's messages are free again";

    // No images: only OnMenuPopup.
    events.clear();
    menu->SetImages(nullptr);
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"popup"}));
}

TEST_F(ImagesMenuTest, PlacementAtTheWorkAreaEdges)
{
    Items("cccc");
    struct Case
    {
        TRect At;
        TPoint Expected;
    };
    // The popup is 36 x 117 (one column of four cells).
    const Case cases[] = {
        {TRect(100, 100, 140, 120), TPoint(100, 120)},
        {TRect(100, 500, 140, 520), TPoint(100, 500 - 117)},   // above: the work area ends at 560
        {TRect(780, 100, 800, 120), TPoint(800 - 36, 120)},    // moved left
        {TRect(-20, -10, 0, -5), TPoint(0, 0)},                // raised to the work area
    };
    for (const Case& c : cases)
    {
        TbsSkinImagesMenuPopupWindow* w = Open(c.At);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Width(), 36);
        EXPECT_EQ(w->Height(), 117);
        EXPECT_EQ(TPoint(w->Left(), w->Top()), c.Expected);
        menu->Hide();
        driver->PumpUntilIdle();
    }
}

TEST_F(ImagesMenuTest, SpeedButtonShowsTheChosenItem)
{
    Items("cccc");
    auto* b = new TbsSkinSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(10, 10, 40, 40);
    b->SetSkinImagesMenu(menu);
    b->UseImagesMenuImage = true;
    driver->PumpUntilIdle();
    auto centre = [&] {
        driver->PumpUntilIdle();
        return At(b, 20, 20);
    };
    EXPECT_NE(centre(), ColorToRGB(clBlue));
    Open(TRect(10, 10, 50, 50));
    driver->Click(ItemCentre(2));
    EXPECT_EQ(centre(), ColorToRGB(clBlue)) << "the menu's change repaints the button";
    menu->SetItemIndex(3);
    EXPECT_EQ(centre(), ColorToRGB(clYellow));
    // The button goes first: the menu forgets its notification.
    delete b;
    menu->SetItemIndex(0);
    driver->PumpUntilIdle();
}

TEST_F(ImagesMenuTest, FadesInAndShowsItemHints)
{
    driver->Desktop().SetLayeredAvailable(true);
    Items("cccc");
    menu->ImagesItems()->Items(1)->Hint = "绿色 green";
    auto* hint = new TbsSkinHint(form);
    menu->SetSkinHint(hint);
    menu->AlphaBlend = true;
    menu->AlphaBlendAnimation = true;
    menu->AlphaBlendValue = 200;
    TbsSkinImagesMenuPopupWindow* w = Open();
    EXPECT_EQ(w->Alpha(), 0);
    int last = 0;
    for (int tick = 0; tick < 60; ++tick)
    {
        driver->AdvanceClock(6);
        driver->PumpUntilIdle();
        EXPECT_TRUE(w->Alpha() == last || w->Alpha() == last + 10) << "steps of 10";
        last = w->Alpha();
    }
    EXPECT_EQ(last, 200) << "up to the value";

    driver->MoveTo(ItemCentre(1));
    driver->AdvanceClock(Application->HintPause);
    driver->PumpUntilIdle();
    EXPECT_TRUE(hint->IsVisible());
    EXPECT_EQ(hint->Window()->GetText(), "绿色 green");
    driver->MoveTo(ItemCentre(2));
    driver->PumpUntilIdle();
    EXPECT_FALSE(hint->IsVisible()) << "another item hides it";
    Key(VK_ESCAPE);
    EXPECT_FALSE(hint->IsVisible());
}
