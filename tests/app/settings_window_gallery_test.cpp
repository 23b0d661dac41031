// The settings window in each of the eleven stored skins: one window takes
// every skin change of the store it was made with, and each look is written
// as a picture with its frame to <build>/gallery/settings-window/<skin>.png
// (the only way to see the window: the program never shows it).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/Unit6.h"
#include "platform/testing/Driver.h"
#include "skins/bsStoredSkins.h"
#include "tools/skingallery/Gallery.h"

namespace {
// The drop-down list of an office box as it shows, written as a picture.
bool SaveDropDown(TTestDriver& driver, TbsSkinCustomOfficeComboBox* box, const std::string& path)
{
    box->DropDown();
    driver.PumpUntilIdle();
    TWinControl* list = box->ListBox();
    bool ok = list->GetVisible() && list->Width() > 0 && list->Height() > 0;
    if (ok) {
        TBitmap shot(list->Width(), list->Height(), pf32bit);
        list->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
        TbsBitmap out;
        out.Assign(&shot);
        ok = gallery::SavePng(out, path);
    }
    box->CloseUp(false);
    driver.PumpUntilIdle();
    return ok;
}
}  // namespace

TEST(SettingsWindowGallery, TakesEverySkinChange)
{
    TTestDriver driver;
    ResetApplication();
    TbsCompressedSkinList list;
    bsLoadStoredSkins(list);
    TbsSkinData data;
    data.SetSkinList(&list);  // loads the first skin
    catalogue::OptionState state;
    auto* form = new TForm6(Application, TSettingsHost{state, &data, [] { return std::string("/tmp"); },
                                                       [] { return false; }});
    form->AfterConstruction();
    form->SetLeft(0);
    form->SetTop(0);
    form->Show();
    driver.PumpUntilIdle();

    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/gallery/settings-window";
    std::filesystem::create_directories(dir);
    std::set<std::vector<TbsColor>> frames;
    for (int i = 0; i < bsStoredSkinCount(); ++i) {
        const TbsStoredSkinInfo& skin = bsStoredSkin(i);
        SCOPED_TRACE(skin.FileName);
        data.SetSkinIndex(i);
        driver.PumpUntilIdle();
        // the frame, the boxes, the page control and the buttons found their entries
        EXPECT_TRUE(form->bsSkinForm1->SkinSupport());
        EXPECT_NE(form->bsSkinPanel2->SkinIndex(), -1);
        EXPECT_NE(form->bsSkinOfficeComboBox1->SkinIndex(), -1);
        EXPECT_NE(form->bsSkinComboBox1->SkinIndex(), -1);
        EXPECT_NE(form->bsSkinButton2->SkinIndex(), -1);
        EXPECT_TRUE(form->bsSkinPageControl1->HasSkinEntry());
        EXPECT_EQ(form->bsSkinButton1->SkinIndex(), -1);  // the hidden button has no skin

        TbsBitmap shot;
        gallery::RenderFramedForm(*form, *form->bsSkinForm1, shot, 0xFFFFFFFF);
        ASSERT_EQ(shot.Width(), form->Width());
        ASSERT_EQ(shot.Height(), form->Height());
        const std::string stem = std::filesystem::path(skin.FileName).stem().string();
        EXPECT_TRUE(gallery::SavePng(shot, dir + "/" + stem + ".png"));
        EXPECT_TRUE(SaveDropDown(driver, form->bsSkinOfficeComboBox2, dir + "/" + stem + "-categories.png"));
        EXPECT_TRUE(SaveDropDown(driver, form->bsSkinOfficeComboBox1, dir + "/" + stem + "-presets.png"));
        // each skin gives its own frame: the caption band's first rows differ
        std::vector<TbsColor> band;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < shot.Width(); x += 7)
                band.push_back(shot.GetPixel(x, y));
        EXPECT_TRUE(frames.insert(band).second);
        // the OK button is drawn: its face is not one colour
        TPoint ok = form->bsSkinButton2->ClientToScreen(TPoint(0, 0));
        TRect wr;
        GetWindowRect(form->Handle(), &wr);
        std::set<TbsColor> face;
        for (int x = 2; x < form->bsSkinButton2->Width() - 2; ++x)
            face.insert(shot.GetPixel(ok.X - wr.Left + x, ok.Y - wr.Top + form->bsSkinButton2->Height() / 2));
        EXPECT_GT(face.size(), 1u);
    }
    // the twelve category pictures in a row
    TBitmap strip(12 * 36, 36, pf32bit);
    strip.Canvas()->Brush()->SetColor(clWhite);
    strip.Canvas()->FillRect(TRect(0, 0, strip.GetWidth(), strip.GetHeight()));
    for (int i = 0; i < form->ImageList1->Count(); ++i)
        form->ImageList1->Draw(strip.Canvas(), i * 36 + 2, 2, i);
    TbsBitmap pictures;
    pictures.Assign(&strip);
    EXPECT_TRUE(gallery::SavePng(pictures, dir + "/category-pictures.png"));
    delete form;
    ResetApplication();
}
