// The MDI tabs bar in every stored skin: its height from the skin's tab
// entry, and a skin whose tab background piece has no width (the background
// cells would divide by it) paints its tabs without harm; a tab's label lies
// on the tab itself, with no box behind it.
#include "lib/bsEffects.h"
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

namespace
{
// The bar painted into a bitmap (twice: the first paint lays the tabs out).
void Shot(TbsSkinMDITabsBar* bar, TbsBitmap& out)
{
    TBitmap shot(bar->Width(), bar->Height(), pf32bit);
    bar->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    bar->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    out.Assign(&shot);
}
}  // namespace

// Painted with and without their captions, the tabs differ only where the
// glyphs are: a box behind a label would change every pixel of the label's
// extent. Every look: tabs, tabs as buttons, the default look.
TEST_P(StoredMdiTabs, LabelsLieOnTheTabWithoutABox)
{
    auto sd = storedtest::Load(GetParam());
    for (int look = 0; look < 3; ++look)
    {
        SCOPED_TRACE(look);
        TForm host(nullptr);
        host.SetBounds(0, 0, 480, 80);
        host.HandleNeeded();
        auto* bar = new TbsSkinMDITabsBar(&host);
        bar->SetParent(&host);
        bar->SetBounds(0, 0, 460, 21);
        if (look == 1) bar->SetTabKind(bstkButton);
        if (look != 2) bar->SetSkinData(sd.get());
        std::vector<std::unique_ptr<TForm>> kids;
        for (const char* c : {"视频 1.mp4", "Quorvel 转换任务", "audio.mp3"})
        {
            kids.push_back(std::make_unique<TForm>(nullptr));
            kids.back()->SetCaption(c);
            bar->AddTab(kids.back().get());
        }
        bar->Tabs(1)->Active = true;
        TbsBitmap with, without;
        Shot(bar, with);
        for (auto& k : kids) k->SetCaption("");
        Shot(bar, without);
        for (int t = 0; t < 3; ++t)
        {
            const TRect r = bar->Tabs(t)->ObjectRect;
            int changed = 0;
            TRect box(r.Right, r.Bottom, r.Left, r.Top);
            for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, with.Height()); ++y)
                for (int x = std::max(r.Left, 0); x < std::min(r.Right, with.Width()); ++x)
                    if ((with.GetPixel(x, y) & 0xFFFFFF) != (without.GetPixel(x, y) & 0xFFFFFF))
                    {
                        ++changed;
                        box = TRect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                                    std::max(box.Bottom, y + 1));
                    }
            ASSERT_GT(changed, 0) << "tab " << t << " shows its label";
            EXPECT_LT(changed, box.Width() * box.Height() * 7 / 10) << "tab " << t << ": a box behind the label";
        }
        delete bar;
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, StoredMdiTabs, testing::Range(0, 11), storedtest::SkinName);
