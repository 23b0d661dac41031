// The generator is deterministic and the validator catches the faults it is
// there to catch.
#include "lib/bsSkinValidate.h"
#include "skin/stored/helpers.h"
#include "tools/skingen/SkinBuilder.h"
#include "tools/skingen/Theme.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace
{
std::vector<std::uint8_t> Generate(int index)
{
    const std::string file = bsStoredSkin(index).FileName;
    const std::string theme =
        std::string(QUORVEL_SOURCE_DIR) + "/skins/" + file.substr(0, file.find('.')) + ".theme";
    std::unique_ptr<TbsSkinData> d = skingen::BuildSkin(skingen::LoadTheme(theme));
    TbsCompressedStoredSkin stored;
    stored.LoadFromSkinData(*d);
    return stored.SaveToCompressStream();
}

bool Mentions(const std::vector<std::string>& problems, const std::string& what)
{
    for (const std::string& p : problems)
        if (p.find(what) != std::string::npos) return true;
    return false;
}

template <class E>
E& Control(TbsSkinData& d, const std::string& name)
{
    return dynamic_cast<E&>(*d.CtrlList.at(d.GetControlIndex(name)));
}
}  // namespace

class Generation : public testing::TestWithParam<int>
{
};

// Two runs give the same bytes, and the same bytes as the build made.
TEST_P(Generation, IsByteIdenticalOnEveryRun)
{
    const std::vector<std::uint8_t> a = Generate(GetParam()), b = Generate(GetParam());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, storedtest::Bytes(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(All, Generation, testing::Range(0, 11), storedtest::SkinName);

TEST(Generation, RefusesBrokenThemes)
{
    const std::string dir = testing::TempDir();
    auto load = [&](const std::string& text) {
        const std::string path = dir + "/broken.theme";
        std::ofstream(path) << text;
        return skingen::LoadTheme(path);
    };
    EXPECT_THROW(load("index = 0\nname = x\n"), std::runtime_error);   // no file, no palette
    EXPECT_THROW(load("index = 0\nname = x\nfile = x.skn\nbase = blue\n"), std::runtime_error);
    EXPECT_THROW(load("index = 0\nname x\n"), std::runtime_error);
}

// Each case breaks one rule in a sound skin; the validator names it.
TEST(Validator, FindsWhatIsWrong)
{
    struct Case
    {
        const char* name;
        std::function<void(TbsSkinData&)> breakIt;
        const char* expect;
    };
    const Case cases[] = {
        {"rectangle outside its picture",
         [](TbsSkinData& d) { Control<TbsDataSkinButtonControl>(d, "button").ActiveSkinRect = TRect(0, 0, 5000, 10); },
         "button: activeskinrect"},
        {"picture index out of range",
         [](TbsSkinData& d) { Control<TbsDataSkinListBox>(d, "listbox").PictureIndex = 99; }, "listbox: pictureindex 99"},
        {"client rectangle outside the look",
         [](TbsSkinData& d) { Control<TbsDataSkinEditControl>(d, "edit").ClRect = TRect(3, 3, 500, 18); },
         "edit: clientrect"},
        {"missing entry",
         [](TbsSkinData& d) { d.CtrlList.erase(d.CtrlList.begin() + d.GetControlIndex("statusbar")); },
         "statusbar: the entry is missing"},
        {"wrong type word",
         [](TbsSkinData& d) {
             const int i = d.GetControlIndex("bevel");
             d.CtrlList[i] = std::make_unique<TbsDataSkinLabelControl>("bevel");
         },
         "bevel: type word \"label\""},
        {"negative coordinate",
         [](TbsSkinData& d) { Control<TbsDataSkinPanelControl>(d, "groupbox").CaptionRect = TRect(-4, 0, 40, 17); },
         "a negative coordinate"},
        {"unreadable text",
         [](TbsSkinData& d) {
             auto& b = Control<TbsDataSkinButtonControl>(d, "button");
             b.FontColor = d.FSkinColors.FcBtnFace;
         },
         "button: fontcolor contrast"},
        {"unreadable selection",
         [](TbsSkinData& d) { d.FSkinColors.FcHighLightText = d.FSkinColors.FcHighLight; }, "chighlighttext"},
        {"transparent corner lost",
         [](TbsSkinData& d) {
             auto& c = Control<TbsDataSkinCheckRadioControl>(d, "checkbox");
             c.CheckImageRect = Control<TbsDataSkinButtonControl>(d, "button").SkinRect;
         },
         "checkbox: checkimagerect: the bottom-left pixel"},
        {"list names a missing scroll bar",
         [](TbsSkinData& d) { Control<TbsDataSkinListBox>(d, "listbox").VScrollBarName = "nosuchbar"; }, "nosuchbar"},
        {"mask not black and white",
         [](TbsSkinData& d) {
             std::vector<std::uint32_t> px(d.FPicture.Pixels().size(), 0xFF000000u);
             px[0] = 0xFF808080u;
             d.FMask.SetPixels(d.FPicture.Width(), d.FPicture.Height(), px);
         },
         "the mask holds colours"},
        {"font the system does not have",
         [](TbsSkinData& d) { Control<TbsDataSkinEditControl>(d, "edit").FontName = "No Such Font Family"; },
         "\"No Such Font Family\" does not resolve"},
        {"no inactive look",
         [](TbsSkinData& d) {
             d.FInActivePicture.Clear();
             d.AutoRenderingInActiveImage = false;
         },
         "neither an inactive picture"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto d = storedtest::Load(0);
        ASSERT_TRUE(bsValidateSkinData(*d).empty());
        c.breakIt(*d);
        const auto problems = bsValidateSkinData(*d);
        EXPECT_TRUE(Mentions(problems, c.expect)) << (problems.empty() ? "no problem found" : problems.front());
    }
}

TEST(Validator, FindsGlowMasksThatAreNotGrey)
{
    auto d = storedtest::Load(6);
    ASSERT_TRUE(bsValidateSkinData(*d).empty());
    const int mask = Control<TbsDataSkinButtonControl>(*d, "button").GlowLayerMaskPictureIndex;
    ASSERT_GE(mask, 0);
    TbsSkinPicture& m = *d->FActivePictures[mask];
    std::vector<std::uint32_t> px = m.Pixels();
    px[px.size() / 2] = 0xFF20A040u;
    m.SetPixels(m.Width(), m.Height(), px);
    EXPECT_TRUE(Mentions(bsValidateSkinData(*d), "is not grey"));
}

TEST(Validator, RefusesDamagedContainers)
{
    std::vector<std::uint8_t> bytes = storedtest::Bytes(2);
    EXPECT_TRUE(bsValidateCompressedSkin(bytes).empty());
    bytes[bytes.size() / 2] ^= 0x5A;
    EXPECT_FALSE(bsValidateCompressedSkin(bytes).empty());
    EXPECT_FALSE(bsValidateCompressedSkin({3, 0, 0, 0, 0, 0, 0, 0}).empty());
}

TEST(Validator, ContrastRatioFollowsWcag)
{
    EXPECT_NEAR(bsContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(bsContrastRatio(0xFFFFFF, 0xFFFFFF), 1.0, 1e-9);
    // #767676 on white is the classic 4.54:1.
    EXPECT_NEAR(bsContrastRatio(0x767676, 0xFFFFFF), 4.54, 0.01);
}
