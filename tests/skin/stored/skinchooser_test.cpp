// The skin chooser over the eleven stored skins: the list shows their names,
// choosing an entry changes the preview while the application's own skin
// stays, Cancel gives -1, a double click and Enter confirm, the minimum
// client size follows the frame's skin; the stored-skin mode over a form's
// components.
#include "common/when_idle.h"
#include "lib/bsDialogs.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
class SkinChooserTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        bsLoadStoredSkins(list);
        app.SetSkinIndex(1);
        app.SetSkinList(&list);
        dlg.SetSkinList(&list);
        dlg.SetSkinData(&app);
        dlg.SetCtrlSkinData(&app);
    }
    void TearDown() override
    {
        SetIdleHook(nullptr);
        SkinCtrlTest::TearDown();
    }
    bool Open() { return dlg.Form() && dlg.Form()->Showing(); }
    // The screen point of row i of the chooser's list.
    TPoint Row(int i)
    {
        TbsListBox* lb = dlg.Form()->SkinsListBox->ListBox;
        const TRect r = lb->ItemRect(i);
        return lb->ClientToScreen(TPoint(r.Left + 10, (r.Top + r.Bottom) / 2));
    }
    TbsCompressedSkinList list;
    TbsSkinData app;
    TbsSelectSkinDialog dlg{nullptr};
};
}  // namespace

TEST_F(SkinChooserTest, PreviewFollowsTheChoiceWhileTheApplicationSkinStays)
{
    std::vector<std::string> names;
    int previewAfterClick = -1, appAfterClick = -1;
    bool previewLooksActive = false, previewTakesInput = true;
    TSize client;
    WhenIdle([&] { return Open(); }, [&] {
        TbsSelectSkinDlgForm* f = dlg.Form();
        for (int i = 0; i < f->SkinsListBox->Items()->Count(); ++i) names.push_back(f->SkinsListBox->Items()->Strings(i));
        client = TSize(f->ClientWidth(), f->ClientHeight());
        driver->Click(Row(3));
        previewAfterClick = f->PreviewSkinData->SkinIndex();
        appAfterClick = app.SkinIndex();
        previewLooksActive = f->PreviewBSF->GetFormActive() && !f->PreviewSkinData->Empty;
        previewTakesInput = f->PreviewForm->GetEnabled();
        driver->PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(dlg.Execute(1));
    ASSERT_EQ(int(names.size()), bsStoredSkinCount());
    for (int i = 0; i < bsStoredSkinCount(); ++i) EXPECT_EQ(names[std::size_t(i)], bsStoredSkin(i).Name);
    EXPECT_EQ(previewAfterClick, 3);
    EXPECT_EQ(appAfterClick, 1);
    EXPECT_TRUE(previewLooksActive);
    EXPECT_FALSE(previewTakesInput);
    EXPECT_GE(client.cx, 420);
    EXPECT_GE(client.cy, 240);
    // Cancel: nothing chosen, the application's skin as it was.
    EXPECT_EQ(dlg.SelectedSkinIndex(), -1);
    EXPECT_EQ(app.SkinIndex(), 1);
    EXPECT_EQ(dlg.Form(), nullptr);
}

// The preview is a 220 x 170 window at (190, 10) in every skin, inside the
// chooser's client area, however wide the skin's own frame would like to be.
TEST_F(SkinChooserTest, ThePreviewKeepsItsPlaceAndSizeInEverySkin)
{
    std::vector<std::string> wrong;
    WhenIdle([&] { return Open(); }, [&] {
        TbsSelectSkinDlgForm* f = dlg.Form();
        for (int i = 0; i < bsStoredSkinCount(); ++i)
        {
            driver->Click(Row(i));
            const TRect r = f->PreviewForm->BoundsRect();
            if (r != TRect(190, 10, 410, 180) || r.Right > f->ClientWidth() || r.Bottom > f->ClientHeight())
                wrong.push_back(std::string(bsStoredSkin(i).Name) + ": " + std::to_string(r.Left) + "," + std::to_string(r.Top) + " " +
                                std::to_string(r.Right - r.Left) + "x" + std::to_string(r.Bottom - r.Top));
        }
        driver->PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(dlg.Execute(0));
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

TEST_F(SkinChooserTest, DoubleClickAndEnterConfirm)
{
    WhenIdle([&] { return Open(); }, [&] { driver->DoubleClick(Row(5)); });
    EXPECT_TRUE(dlg.Execute(1));
    EXPECT_EQ(dlg.SelectedSkinIndex(), 5);
    // Enter at once confirms the start entry; arrow keys move the preview.
    WhenIdle([&] { return Open(); }, [&] {
        driver->PressKey(VK_DOWN);
        driver->PressKey(VK_RETURN);
    });
    EXPECT_TRUE(dlg.Execute(7));
    EXPECT_EQ(dlg.SelectedSkinIndex(), 8);
    EXPECT_EQ(app.SkinIndex(), 1);
}

// Entries that cannot be loaded (damaged, empty, of a newer format): their
// reason stands in the preview's place, no error box, OK is off, and the
// chooser never confirms them, neither highlighted on the way nor at the start.
TEST_F(SkinChooserTest, AnEntryThatCannotBeShownIsNeverChosen)
{
    list.Add()->Skin()->SetCompressedData({'d', 'a', 'm', 'a', 'g', 'e', 'd'});   // 11
    list.Add();                                                                 // 12: empty
    const std::uint8_t newer[] = {4, 0, 0, 0};
    list.Add()->Skin()->SetCompressedData(bsCompressBytes(newer, sizeof newer)); // 13
    int errors = 0;
    Application->OnException = [&errors](TObject*, std::exception_ptr) { ++errors; };
    struct Seen
    {
        bool Ok, Preview, Reason;
        int Row, PreviewIndex;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        TbsSelectSkinDlgForm* f = dlg.Form();
        seen.push_back({f->OpenButton->GetEnabled(), f->PreviewForm->GetVisible(),
                        f->PreviewErrorLabel->GetVisible() && !f->PreviewErrorLabel->GetText().empty(),
                        f->SkinsListBox->ItemIndex(), f->PreviewSkinData->SkinIndex()});
    };
    WhenIdle([&] { return Open(); }, [&] {
        look();
        for (int i = 0; i < 3; ++i)
        {
            driver->PressKey(VK_DOWN);
            look();
            driver->PressKey(VK_RETURN);   // OK is off: nothing happens
            driver->DoubleClick(Row(dlg.Form()->SkinsListBox->ItemIndex()));
        }
        driver->PressKey(VK_HOME);
        look();
        driver->PressKey(VK_RETURN);
    });
    EXPECT_TRUE(dlg.Execute(10));
    EXPECT_EQ(dlg.SelectedSkinIndex(), 0);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_TRUE(seen[0].Ok && seen[0].Preview && !seen[0].Reason);
    for (int i = 1; i <= 3; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].Row, 10 + i);
        EXPECT_FALSE(seen[i].Ok);
        EXPECT_FALSE(seen[i].Preview);
        EXPECT_TRUE(seen[i].Reason);
        EXPECT_EQ(seen[i].PreviewIndex, 10);   // the preview store keeps the skin it shows
    }
    EXPECT_TRUE(seen[4].Ok && seen[4].Preview && !seen[4].Reason);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(app.SkinIndex(), 1);

    // Starting on an entry that cannot be shown: the same, and OK is off.
    seen.clear();
    WhenIdle([&] { return Open(); }, [&] {
        look();
        driver->Click(driver->FindByName("OpenButton"));
        driver->PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(dlg.Execute(12));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].Ok || seen[0].Preview);
    EXPECT_TRUE(seen[0].Reason);
    EXPECT_EQ(dlg.SelectedSkinIndex(), -1);
    EXPECT_EQ(errors, 0);
}

TEST_F(SkinChooserTest, WithoutAListOrASkin)
{
    dlg.SetSkinList(nullptr);
    EXPECT_FALSE(dlg.Execute(0));
    EXPECT_EQ(dlg.SelectedSkinIndex(), -1);
    // No frame skin: exactly 420 x 240; an index outside the list previews
    // nothing and still comes back on OK.
    dlg.SetSkinList(&list);
    dlg.SetSkinData(nullptr);
    dlg.SetCtrlSkinData(nullptr);
    TSize client;
    bool previewEmpty = false;
    std::string ok;
    WhenIdle([&] { return Open(); }, [&] {
        client = TSize(dlg.Form()->ClientWidth(), dlg.Form()->ClientHeight());
        previewEmpty = dlg.Form()->PreviewSkinData->Empty && dlg.Form()->SkinsListBox->ItemIndex() == -1;
        ok = dlg.Form()->OpenButton->GetText();
        driver->Click(driver->FindByName("OpenButton"));
    });
    EXPECT_TRUE(dlg.Execute(40));
    EXPECT_EQ(client, TSize(420, 240));
    EXPECT_TRUE(previewEmpty);
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(dlg.SelectedSkinIndex(), 40);
}

TEST_F(SkinChooserTest, StoredSkinModeOverTheOwnersComponents)
{
    TComponent owner(nullptr);
    std::vector<TbsCompressedStoredSkin*> skins;
    for (int i : {0, 8, 10})
    {
        auto* s = new TbsCompressedStoredSkin(&owner);
        s->SetName("Skin" + std::to_string(i));
        if (i == 8) s->Description = "深蓝色彩";
        s->LoadFromCompressStream(bsStoredSkin(i).Data, bsStoredSkin(i).Size);
        skins.push_back(s);
    }
    TbsSelectSkinDialog own(&owner);
    std::vector<std::string> names;
    int start = -1;
    WhenIdle([&] { return own.Form() && own.Form()->Showing(); }, [&] {
        for (int i = 0; i < 3; ++i) names.push_back(own.Form()->SkinsListBox->Items()->Strings(i));
        start = own.Form()->SkinsListBox->ItemIndex();
        TbsListBox* lb = own.Form()->SkinsListBox->ListBox;
        const TRect r = lb->ItemRect(2);
        driver->DoubleClick(lb->ClientToScreen(TPoint(r.Left + 10, (r.Top + r.Bottom) / 2)));
    });
    EXPECT_TRUE(own.Execute(skins[1]));
    EXPECT_EQ(names, (std::vector<std::string>{"Skin0", "深蓝色彩", "Skin10"}));
    EXPECT_EQ(start, 1);
    EXPECT_EQ(own.SelectedSkin(), skins[2]);
    EXPECT_EQ(own.SelectedSkinIndex(), -1);

    // A damaged component: highlighted, its reason shows and neither a double
    // click nor OK confirms it; the chooser keeps nothing it could not show.
    auto* damaged = new TbsCompressedStoredSkin(&owner);
    damaged->SetName("Damaged");
    damaged->SetCompressedData({'d', 'a', 'm', 'a', 'g', 'e', 'd'});
    int errors = 0;
    Application->OnException = [&errors](TObject*, std::exception_ptr) { ++errors; };
    bool okOn = true, reason = false;
    WhenIdle([&] { return own.Form() && own.Form()->Showing(); }, [&] {
        TbsSelectSkinDlgForm* f = own.Form();
        TbsListBox* lb = f->SkinsListBox->ListBox;
        const TRect r = lb->ItemRect(3);
        driver->DoubleClick(lb->ClientToScreen(TPoint(r.Left + 10, (r.Top + r.Bottom) / 2)));
        okOn = f->OpenButton->GetEnabled();
        reason = f->PreviewErrorLabel->GetVisible() && !f->PreviewErrorLabel->GetText().empty();
        driver->PressKey(VK_RETURN);
        driver->PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(own.Execute(skins[0]));
    EXPECT_FALSE(okOn);
    EXPECT_TRUE(reason);
    EXPECT_EQ(own.SelectedSkin(), nullptr);
    EXPECT_EQ(errors, 0);

    // An owner without stored skins, or none at all: nothing to choose, no
    // window, False.
    TComponent empty(nullptr);
    TbsSelectSkinDialog none(&empty), orphan(nullptr);
    EXPECT_FALSE(none.Execute(static_cast<TbsCompressedStoredSkin*>(nullptr)));
    EXPECT_FALSE(orphan.Execute(skins[0]));
    EXPECT_EQ(none.SelectedSkin(), nullptr);
    EXPECT_EQ(none.Form(), nullptr);
}
