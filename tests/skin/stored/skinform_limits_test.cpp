// Stored skins with one value of their description pushed to its limits,
// loaded into a shown skinned form: no overflow in the frame's arithmetic,
// minimum sizes that fit the monitor, and no error out of a paint.
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
// The default monitor of the test desktop.
constexpr int kWorkWidth = 1280, kWorkHeight = 994;

class SkinFormLimits : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        Application->OnException = [this](TObject*, std::exception_ptr e) {
            try
            {
                std::rethrow_exception(e);
            }
            catch (const std::exception& x)
            {
                errors.push_back(x.what());
            }
        };
        form = new TForm(Application);
        frame = new TbsSkinForm(form);
        frame->SetSkinData(&sd);
        form->SetBounds(0, 0, 500, 360);
        auto* button = new TbsSkinButton(form);
        button->SetParent(form);
        button->SetSkinData(&sd);
        button->SetBounds(10, 10, 80, 25);
        auto* combo = new TbsSkinComboBox(form);
        combo->SetParent(form);
        combo->SetSkinData(&sd);
        combo->SetBounds(10, 50, 150, 22);
        combo->Items()->Add("一");
        combo->SetItemIndex(0);
        form->Show();
        driver->PumpUntilIdle();
    }
    // Loads a skin, then sizes the form a few ways and asks the frame for
    // the hit code of points along its edges.
    void LoadAndUse(const TbsCompressedStoredSkin& skin)
    {
        sd.LoadCompressedStoredSkin(&skin);
        driver->PumpUntilIdle();
        for (TSize s : {TSize(600, 400), TSize(300, 200), TSize(1, 1), TSize(500, 360)})
        {
            form->SetBounds(0, 0, s.cx, s.cy);
            driver->PumpUntilIdle();
            const int w = form->Width(), h = form->Height();
            for (int x : {0, 1, 3, w / 2, w - 4, w - 2, w - 1})
                for (int y : {0, 1, 3, h / 2, h - 4, h - 2, h - 1})
                    SendMessage(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
        }
    }
    std::vector<std::string> errors;
    TbsSkinData sd;
    TForm* form = nullptr;
    TbsSkinForm* frame = nullptr;
};

std::string RectValue(const TRect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}
}  // namespace

// Values at the end of the 32-bit range reached the form's width setter, its
// rectangle computation and its hit test as signed overflows.
TEST_F(SkinFormLimits, ValuesAtTheEndOfTheRangeNeitherOverflowNorLeaveTheScreen)
{
    TRect cl = storedtest::Load(1)->ClRect;
    cl.Right = 2147483647;
    const std::string far = "2147483647,2147483647";
    const std::vector<std::vector<std::array<std::string, 3>>> cases = {
        {{"FORMINFO", "formminwidth", "2147483647"}},
        {{"FORMINFO", "clientrect", RectValue(cl)}},
        {{"FORMINFO", "borderwidth", "-2147483648"}},
        {{"FORMINFO", "lefttoppoint", far},
         {"FORMINFO", "righttoppoint", far},
         {"FORMINFO", "leftbottompoint", far},
         {"FORMINFO", "rightbottompoint", far}},
    };
    for (const auto& edits : cases)
    {
        SCOPED_TRACE(edits.front()[1]);
        LoadAndUse(*storedtest::Edited(1, edits));
        EXPECT_TRUE(frame->SkinSupport());
        EXPECT_LE(form->Width(), kWorkWidth);
        EXPECT_LE(form->Height(), kWorkHeight);
        EXPECT_EQ(errors, std::vector<std::string>());
        errors.clear();
    }
}

// A legal but huge minimum width forced a 100,000-pixel window ("bitmap too
// large" from every paint); it is capped to the work area, and the stored
// skin loaded after it paints its whole frame again.
TEST_F(SkinFormLimits, HugeMinimumWidthIsCappedToTheWorkArea)
{
    LoadAndUse(*storedtest::Edited(1, {{"FORMINFO", "formminwidth", "100000"}}));
    EXPECT_EQ(frame->GetMinWidth(), kWorkWidth);
    EXPECT_EQ(form->Width(), kWorkWidth);
    EXPECT_EQ(errors, std::vector<std::string>());

    auto stored = storedtest::Load(1);
    TbsCompressedStoredSkin plain;
    plain.LoadFromSkinData(*stored);
    sd.LoadCompressedStoredSkin(&plain);
    driver->PumpUntilIdle();
    ASSERT_TRUE(sd.FMask.Empty());
    const TbsSkinPicture& pic = sd.FPicture;
    const int w = form->Width(), h = form->Height();
    ASSERT_LE(w, kWorkWidth);
    // The frame's bottom-right corner is the picture's.
    for (TPoint p : {TPoint(1, 1), TPoint(2, 3), TPoint(1, 4)})
        EXPECT_EQ(driver->PixelAt(TPoint(w - p.X, h - p.Y)) & 0xFFFFFF,
                  pic.Pixel(pic.Width() - p.X, pic.Height() - p.Y) & 0xFFFFFF);
    EXPECT_EQ(errors, std::vector<std::string>());
}

// A frame picture far taller than the screen gave a minimum height of
// thousands of pixels.
TEST_F(SkinFormLimits, TallFramePictureGivesAMinimumHeightWithinTheWorkArea)
{
    auto d = storedtest::Load(1);
    const int pw = d->FPicture.Width(), ph = d->FPicture.Height(), tall = 4096;
    // The picture's middle row repeated up to 4096 rows.
    auto stretch = [&](TbsSkinPicture& pic) {
        if (pic.Empty()) return;
        const int top = ph / 2, bottom = ph - top;
        std::vector<std::uint32_t> px(std::size_t(pw) * tall);
        for (int y = 0; y < tall; ++y)
        {
            const int from = y < top ? y : y >= tall - bottom ? y - (tall - ph) : top;
            for (int x = 0; x < pw; ++x) px[std::size_t(y) * pw + x] = pic.Pixel(x, from);
        }
        pic.SetPixels(pw, tall, px);
    };
    stretch(d->FPicture);
    stretch(d->FInActivePicture);
    TbsCompressedStoredSkin skin;
    skin.LoadFromSkinData(*d);
    LoadAndUse(skin);
    ASSERT_EQ(sd.FPicture.Height(), tall);
    EXPECT_EQ(frame->GetMinHeight(), kWorkHeight);
    EXPECT_LE(form->Height(), kWorkHeight);
    EXPECT_EQ(errors, std::vector<std::string>());
}

// Inverted, 1-pixel and far out-of-picture rectangles raised "Invalid bitmap
// size" and "bitmap too large" from paints; they are skipped now.
TEST_F(SkinFormLimits, PiecesThatCannotBeDrawnAreSkippedWithoutErrors)
{
    const std::vector<std::vector<std::array<std::string, 3>>> cases = {
        {{"combobox", "itemrect", "60,18,2,2"},
         {"button", "skinrect", "0,0,20000,20000"},
         {"caption", "skinrect", "0,0,20000,20000"},
         {"closebutton", "skinrect", "5,5,30000,30000"}},
        {{"combobox", "skinrect", "3,3,4,4"},
         {"button", "skinrect", "0,0,1,1"},
         {"caption", "skinrect", "7,7,8,8"},
         {"closebutton", "skinrect", "5,5,6,6"}},
    };
    for (const auto& edits : cases)
    {
        SCOPED_TRACE(edits.front()[2]);
        LoadAndUse(*storedtest::Edited(6, edits));
        EXPECT_TRUE(frame->SkinSupport());
        EXPECT_EQ(errors, std::vector<std::string>());
        errors.clear();
    }
}
