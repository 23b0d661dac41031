// The catalogue's tables: counts, keys, defaults inside their lists, no
// duplicate entries, titles and the samples the window's behaviour rests on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/catalogue/Catalogue.h"

using namespace catalogue;

TEST(CatalogueData, CategoriesAndKeysFollowTheListNumbers)
{
    const int lists[kCategoryCount] = {21, 13, 16, 22, 12, 4, 0, 1, 2, 26, 5, 24, 8, 10, 11, 14, 15, 17};
    const int counts[kCategoryCount] = {13, 11, 7, 13, 11, 15, 15, 13, 10, 12, 5, 16, 10, 5, 4, 7, 7, 7};
    std::vector<int> expected;
    int total = 0;
    for (int c = 0; c < kCategoryCount; ++c) {
        EXPECT_EQ(kCategories[c].listNumber, lists[c]) << c;
        EXPECT_EQ(kCategories[c].presetCount, counts[c]) << c;
        total += counts[c];
        for (int i = 0; i < counts[c]; ++i)
            expected.push_back((lists[c] + 1) * 100 + i);
    }
    EXPECT_EQ(total, 181);
    ASSERT_EQ(expected.size(), kPresets.size());
    for (std::size_t i = 0; i < kPresets.size(); ++i) {
        EXPECT_EQ(kPresets[i].key, expected[i]) << i;
        ASSERT_NE(FindPresetValues(expected[i]), nullptr) << expected[i];
        EXPECT_EQ(kParamRows[i].key, expected[i]) << i;
    }
    EXPECT_EQ(*std::min_element(expected.begin(), expected.end()), 100);
    EXPECT_EQ(*std::max_element(expected.begin(), expected.end()), 2711);
    EXPECT_STREQ(kCategories[0].caption, "MTS视频");
    EXPECT_EQ(kCategories[0].picture, 38);
    EXPECT_STREQ(kCategories[17].caption, "WMV视频");
    EXPECT_EQ(kCategories[17].picture, 30);
}

TEST(CatalogueData, TitlesEndInTheirPatternAndNameTheOutputExtension)
{
    for (int i = 0; i < kPresetCount; ++i) {
        std::string t = kPresets[i].title;
        auto p = t.rfind("(*.");
        ASSERT_NE(p, std::string::npos) << t;
        ASSERT_EQ(t.back(), ')') << t;
        std::size_t extLen = t.size() - p - 4;
        EXPECT_TRUE(extLen >= 2 && extLen <= 4) << t;
        std::string ext = "." + t.substr(p + 3, extLen);
        EXPECT_EQ(PresetExtension(t), ext) << t;
        EXPECT_NE(std::string(kPresets[i].caption), "") << t;
        // The output name takes the title's extension except for five presets.
        int key = kPresets[i].key;
        bool odd = key == 901 || key == 906 || key == 909 || key == 2500 || key == 2700;
        if (!odd) {
            EXPECT_EQ((*FindPresetValues(kPresets[i].key)).outputExt, ext) << key;
        } else {
            EXPECT_NE((*FindPresetValues(kPresets[i].key)).outputExt, ext) << key;
        }
    }
    EXPECT_EQ(std::string(FindPresetValues(901)->outputExt), ".mpeg");
    EXPECT_EQ(std::string(FindPresetValues(909)->outputExt), ".mp4");
}

TEST(CatalogueData, ListsHoldNoDuplicatesAndDefaultsLieInside)
{
    std::set<std::vector<std::string>> contents;
    for (const auto& t : kListTemplates) {
        std::vector<std::string> e(t.entries.begin(), t.entries.end());
        std::set<std::string> unique(e.begin(), e.end());
        EXPECT_EQ(unique.size(), e.size()) << t.id;
        EXPECT_TRUE(contents.insert(e).second) << t.id << " repeats another list";
    }
    for (const auto& r : kParamRows)
        for (int b = 0; b < kParamBoxCount; ++b) {
            const auto& c = r.boxes[b];
            ASSERT_LT(c.list, static_cast<int>(kListTemplates.size())) << r.key;
            EXPECT_GE(c.defaultIndex, 0) << r.key;
            EXPECT_LT(c.defaultIndex, static_cast<int>(kListTemplates[c.list].entries.size())) << r.key << " box " << b;
        }
}

TEST(CatalogueData, AudioOnlyFlagsAgree)
{
    int audioOnly = 0;
    for (int i = 0; i < kPresetCount; ++i) {
        EXPECT_EQ((*FindPresetValues(kPresets[i].key)).audioOnly, kParamRows[i].audioOnly) << kPresets[i].key;
        audioOnly += kParamRows[i].audioOnly;
        if ((*FindPresetValues(kPresets[i].key)).audioOnly) {
            EXPECT_FALSE((*FindPresetValues(kPresets[i].key)).videoCodec) << kPresets[i].key;
            EXPECT_FALSE((*FindPresetValues(kPresets[i].key)).videoBitrate) << kPresets[i].key;
        }
    }
    EXPECT_GE(audioOnly, 17);  // the 13 audio presets and four Flash/SWF ones, plus device ones
}

TEST(CatalogueData, FillingACategory)
{
    auto flash = FillPresetList(14);
    ASSERT_EQ(flash.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(flash[i].key, 1200 + i);
        EXPECT_EQ(flash[i].imageIndex, i % 2);
    }
    auto audio = FillPresetList(7);
    ASSERT_EQ(audio.size(), 13u);
    EXPECT_EQ(audio.front().title, "MP3 - MPEG Layer-3音频格式(*.mp3)");
    EXPECT_EQ(audio.back().title, "AMR-手机音频格式(*.amr)");
    EXPECT_EQ(audio.back().imageIndex, 0);
    auto xbox = FillPresetList(12);
    EXPECT_EQ(xbox[7].title, xbox[8].title);
    EXPECT_NE(xbox[7].caption, xbox[8].caption);
    EXPECT_EQ(FillPresetList(0).front().title, "MTS转换为标准AVI视频(*.avi)");
    EXPECT_TRUE(FillPresetList(18).empty());
    EXPECT_TRUE(FillPresetList(-1).empty());
    EXPECT_EQ(PresetKey(9, 3), 2703);
    EXPECT_EQ(CategoryCode(9, 3), 1003);
    EXPECT_EQ(PresetKey(10, 0), 600);
}

// The parameter lists and defaults the boxes get, shown as their texts.
TEST(CatalogueData, ParameterDefaults)
{
    struct Case { int key; std::array<const char*, 6> shown; int sizeEntries; bool audioOnly; };
    const Case cases[] = {
        {2200, {"704*480", "816 kbps", "25.00", "128 kbps", "44100", "保持原视频模式"}, 28, false},
        {2201, {"1280*720", "1600 kbps", "29.97", "128 kbps", "44100", "保持原视频模式"}, 28, false},
        {2207, {"176*144", "128 kbps", "12", "12 kbps", "8000", "保持原视频模式"}, 11, false},
        {1404, {"1280*1024", "1600 kbps", "29.97", "128 kbps", "48000", "保持原视频模式"}, 11, false},
        {503, {"1280*720", "1800 kbps", "29.97", "128 kbps", "48000", "保持原视频模式"}, 25, false},
        {200, {"该格式无视频", "无视频", "无视频", "128 kbps", "44100", "无视频"}, 1, true},
        {212, {"该格式无视频", "无视频", "无视频", "7.4 kbps", "8000", "无视频"}, 1, true},
        {906, {"1440*1080", "1800 kbps", "30.00", "128 kbps", "48000", "保持原视频模式"}, 4, false},
        {2705, {"3840*2160", "2500 kbps", "保持原帧速率", "128 kbps", "44100", "保持原视频模式"}, 18, false},
        {1501, {"1280*720", "1600 kbps", "29.97", "128 kbps", "22050", "保持原视频模式"}, 28, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ParamBoxes b = ParameterLists(c.key);
        ASSERT_EQ(static_cast<int>(b.boxes[pbFrameSize].entries.size()), c.sizeEntries);
        for (int i = 0; i < kParamBoxCount; ++i) {
            const auto& box = b.boxes[i];
            ASSERT_GE(box.itemIndex, 0);
            EXPECT_EQ(box.entries[box.itemIndex], c.shown[i]) << "box " << i;
        }
        EXPECT_EQ(b.audioOnly, c.audioOnly);
        EXPECT_EQ(b.boxes[pbFrameSize].enabled, !c.audioOnly);
        EXPECT_TRUE(b.boxes[pbAudioBitrate].enabled);
    }
    // No row: every box empty and enabled.
    ParamBoxes none = ParameterLists(599);
    for (const auto& box : none.boxes) {
        EXPECT_TRUE(box.entries.empty());
        EXPECT_TRUE(box.enabled);
    }
}
