// The MDI tabs bar in every stored skin: its height from the skin's tab
// entry, and a skin whose tab background piece has no width (the background
// cells would divide by it) paints its tabs without harm.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
class StoredMdiTabs : public SkinCtrlTest, public testing::WithParamInterface<int>
{
};
}  // namespace

TEST_P(StoredMdiTabs, HeightLooksAndAZeroWideBackgroundPiece)
{
    auto sd = storedtest::Load(GetParam());
    auto* host = new TForm(Application);
    host->SetBounds(0, 0, 500, 120);
    auto* bar = new TbsSkinMDITabsBar(host);
    bar->SetParent(host);
    bar->SetBounds(0, 0, 400, 21);
    bar->ShowCloseButtons = true;
    std::vector<std::unique_ptr<TForm>> kids;
    for (const char* c : {"一", "two", "三"})
    {
        kids.push_back(std::make_unique<TForm>(nullptr));
        kids.back()->SetCaption(c);
        bar->AddTab(kids.back().get());
    }
    bar->Tabs(1)->Active = true;
    bar->SetSkinData(sd.get());
    host->Show();
    driver->PumpUntilIdle();
    auto* entry = dynamic_cast<TbsDataSkinTabControl*>(
        const_cast<TbsDataSkinControl*>(bsSkinControlEntry(sd.get(), sd->GetControlIndex("tab"))));
    if (!entry)
    {
        EXPECT_EQ(bar->Height(), 21);
        return;
    }
    EXPECT_EQ(bar->Height(), entry->TabRect.Height() + entry->ClRect.Top);
    const TRect r = bar->Tabs(1)->ObjectRect;
    const TPoint at = bar->ClientToScreen(TPoint(r.Left + 3, r.Top + r.Height() / 2));
    const TPixel before = driver->PixelAt(at);
    // No width: no background cells; the tabs are drawn as before.
    entry->TabsBGRect.Right = entry->TabsBGRect.Left;
    bar->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(driver->PixelAt(at), before);
    delete host;
}

INSTANTIATE_TEST_SUITE_P(Skins, StoredMdiTabs, testing::Range(0, 11), storedtest::SkinName);
