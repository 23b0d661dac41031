// The eleven stored skins: they are the main window's list, they validate,
// they load through the store and the skin list, every entry the windows
// look up is there with its type word, and switching skins reaches the forms
// through the broadcast with every entry in place.
#include "lib/bsSkinValidate.h"
#include "skin/stored/helpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace
{
using storedtest::Bytes;
using storedtest::Load;

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Entry name -> type word, as the description's two lists give them.
std::map<std::string, std::string> TypeWords(const TbsSkinData& d, const char* section)
{
    TbsIniFile ini(d.DescriptionText());
    std::map<std::string, std::string> out;
    const int n = ini.ReadInteger(section, "count", 0);
    for (int i = 0; i < n; ++i)
    {
        const std::string v = ini.ReadString(section, std::to_string(i), "");
        const auto p = v.find(':');
        if (p != std::string::npos) out.emplace(v.substr(0, p), v.substr(p + 1));
    }
    return out;
}

// Whether every entry of the table can be found in the store.
bool AllEntriesFound(const TbsSkinData& d)
{
    for (const TbsSkinEntrySpec& s : bsSkinEntryTable())
        if ((s.List == TbsSkinEntryList::Object ? d.GetIndex(s.Name) : d.GetControlIndex(s.Name)) < 0) return false;
    return true;
}
}  // namespace

TEST(StoredSkins, AreTheMainWindowsElevenInOrder)
{
    const std::pair<const char*, const char*> expected[] = {
        {"OFFICE2007蓝色", "skin00_blue.skn"}, {"金属光泽", "skin01_metal.skn"},    {"银色天地", "skin02_silver.skn"},
        {"Mac风格", "skin03_mac.skn"},         {"条纹色调", "skin04_stripes.skn"},  {"纹理风格", "skin05_texture.skn"},
        {"炫彩效果", "skin06_effect.skn"},     {"绿色世界", "skin07_green.skn"},    {"深蓝色彩", "skin08_deepblue.skn"},
        {"OFFICE2007", "skin09_office.skn"},   {"Vista皮肤", "skin10_vista.skn"}};
    ASSERT_EQ(bsStoredSkinCount(), 11);
    for (int i = 0; i < 11; ++i)
    {
        EXPECT_EQ(bsStoredSkin(i).Index, i);
        EXPECT_STREQ(bsStoredSkin(i).Name, expected[i].first);
        EXPECT_STREQ(bsStoredSkin(i).FileName, expected[i].second);
        // The .skn file in the build folder is the skin compiled in.
        EXPECT_EQ(ReadFile(std::string(QUORVEL_SKINS_DIR) + "/" + expected[i].second), Bytes(i)) << expected[i].second;
    }
    EXPECT_THROW(bsStoredSkin(11), std::out_of_range);
}

class StoredSkin : public testing::TestWithParam<int>
{
};

TEST_P(StoredSkin, ValidatesAndRoundTrips)
{
    const std::vector<std::string> problems = bsValidateCompressedSkin(Bytes(GetParam()));
    for (const std::string& p : problems) ADD_FAILURE() << p;
}

// The table over (skin x entry): every looked-up entry exists with its type
// word, once in each list.
TEST_P(StoredSkin, HasEveryEntryWithItsTypeWord)
{
    auto d = Load(GetParam());
    ASSERT_FALSE(d->Empty);
    EXPECT_EQ(d->SkinName, bsStoredSkin(GetParam()).Name);
    const auto objects = TypeWords(*d, "SKINOBJECTS"), controls = TypeWords(*d, "SKINCONTROLS");
    EXPECT_EQ(objects.size(), d->ObjectList.size()) << "an object name is used twice";
    EXPECT_EQ(controls.size(), d->CtrlList.size()) << "a control name is used twice";
    for (const TbsSkinEntrySpec& s : bsSkinEntryTable())
    {
        SCOPED_TRACE(s.Name);
        const bool object = s.List == TbsSkinEntryList::Object;
        const auto& words = object ? objects : controls;
        ASSERT_TRUE(words.count(s.Name));
        EXPECT_EQ(words.at(s.Name), s.TypeWord);
        EXPECT_GE(object ? d->GetIndex(s.Name) : d->GetControlIndex(s.Name), 0);
    }
}

TEST_P(StoredSkin, HasAFrameAndItsInactiveLook)
{
    auto d = Load(GetParam());
    EXPECT_FALSE(d->FPicture.Empty());
    EXPECT_NE(d->FInActivePicture.Empty(), !d->AutoRenderingInActiveImage);
    EXPECT_FALSE(d->ClRect.IsEmpty());
    // Controls, caption buttons, popup menu, hint window at least.
    EXPECT_GE(d->ActivePicturesCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(All, StoredSkin, testing::Range(0, 11), storedtest::SkinName);

// The brief's coverage: layered frame, glow layers and morphing in at least
// one skin, none of them in at least one, a masked frame in at least one.
TEST(StoredSkins, CoverTheOptionalPaths)
{
    int layered = 0, plain = 0, masked = 0, autoInactive = 0;
    for (int i = 0; i < bsStoredSkinCount(); ++i)
    {
        auto d = Load(i);
        bool glow = false, morph = false;
        for (const auto& o : d->ObjectList) glow |= o->GlowLayerPictureIndex >= 0, morph |= o->Morphing;
        for (const auto& c : d->CtrlList)
            if (auto* b = dynamic_cast<const TbsDataSkinButtonControl*>(c.get()))
                glow |= b->GlowLayerPictureIndex >= 0, morph |= b->Morphing;
        const bool layer = d->LayerFrame.PictureIndex >= 0;
        layered += layer && glow && morph;
        plain += !layer && !glow && !morph;
        masked += !d->FMask.Empty();
        autoInactive += d->AutoRenderingInActiveImage;
    }
    EXPECT_GE(layered, 1);
    EXPECT_GE(plain, 1);
    EXPECT_GE(masked, 1);
    EXPECT_GE(autoInactive, 1);
}

// The main window's way: the list of stored skins linked to a store, the
// skin chosen by index. Every switch goes through the three broadcasts, and
// when the forms hear of the change every entry is there to be found.
TEST(StoredSkins, SwitchThroughTheBroadcastWithEveryEntryFound)
{
    struct Heard
    {
        UINT Msg;
        std::string Skin;
        bool AllFound;
    };
    std::vector<Heard> heard;
    TComponent form(nullptr);
    form.SetName("MainForm");
    TbsCompressedSkinList list;
    bsLoadStoredSkins(list);
    ASSERT_EQ(list.Count(), 11);
    EXPECT_EQ(list.Item(1)->Name, "金属光泽");
    EXPECT_EQ(list.Item(1)->CompressedFileName(), "skin01_metal.skn");
    TbsSkinData store;
    TbsSkinFormTarget target;
    target.Form = &form;
    target.ClassName = "TForm";
    target.Send = [&](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        EXPECT_EQ(wp, reinterpret_cast<WPARAM>(&store));
        EXPECT_EQ(lp, BS_SKINDATA_LPARAM);
        heard.push_back({msg, store.SkinName, !store.Empty && AllEntriesFound(store)});
        return 0;
    };
    TbsSkinFormsProvider prev = bsSetSkinFormsProvider([&] { return std::vector<TbsSkinFormTarget>{target}; });

    store.SetSkinIndex(1);   // no list yet: only remembered
    EXPECT_TRUE(heard.empty());
    store.SetSkinList(&list);
    const std::vector<int> order = {4, 0, 10, 6, 3, 8, 2, 5, 7, 9, 1};
    for (int next : order) store.SetSkinIndex(next);
    bsSetSkinFormsProvider(std::move(prev));

    ASSERT_EQ(heard.size(), 3 * (order.size() + 1));
    for (std::size_t i = 0; i < heard.size(); i += 3)
    {
        const std::string name = bsStoredSkin(i == 0 ? 1 : order[i / 3 - 1]).Name;
        SCOPED_TRACE(name);
        EXPECT_EQ(heard[i].Msg, BSM_SKINDATA_BEFORECHANGE);
        EXPECT_EQ(heard[i + 1].Msg, BSM_SKINDATA_CHANGE);
        EXPECT_EQ(heard[i + 2].Msg, BSM_SKINDATA_AFTERCHANGE);
        EXPECT_EQ(heard[i + 1].Skin, name);
        EXPECT_TRUE(heard[i + 1].AllFound);
        EXPECT_TRUE(heard[i + 2].AllFound);
    }
    EXPECT_EQ(store.SkinIndex(), 1);
    EXPECT_EQ(store.SkinName, "金属光泽");
}

// A skin whose description has no LAYERFRAME section loads with the
// section's fallbacks (no layered border) and still validates.
TEST(StoredSkins, LoadWithoutALayerFrameSection)
{
    auto d = Load(6);
    ASSERT_GE(d->LayerFrame.PictureIndex, 0) << "skin 6 should carry a layered frame";
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("quorvel-nolayer-" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    d->StoreToDisk(dir + "skin.ini");
    TbsIniFile ini = TbsIniFile::FromFile(dir + "skin.ini", true);
    ASSERT_TRUE(ini.SectionExists("LAYERFRAME"));
    ini.EraseSection("LAYERFRAME");
    ini.SaveToFile(dir + "skin.ini");

    TbsSkinData store;
    store.LoadFromFile(dir + "skin.ini");
    std::filesystem::remove_all(dir);
    ASSERT_FALSE(store.Empty);
    const TbsDataSkinLayerFrame& lf = store.LayerFrame;
    EXPECT_EQ(lf.PictureIndex, -1);
    EXPECT_EQ(lf.MaskPictureIndex, -1);
    EXPECT_EQ(lf.InActivePictureIndex, -1);
    EXPECT_EQ(lf.AlphaBlendValue, 255);
    EXPECT_EQ(lf.InActiveAlphaBlendValue, 255);
    EXPECT_TRUE(lf.BorderRect.IsEmpty());
    EXPECT_FALSE(lf.HitTestEnable);
    EXPECT_TRUE(AllEntriesFound(store));
    for (const std::string& p : bsValidateSkinData(store)) ADD_FAILURE() << p;
}
