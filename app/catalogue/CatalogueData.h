// The catalogue's fixed tables: the 18 output categories, the 181 presets,
// each preset's option values and its six parameter lists with defaults.
// The tables themselves live in CatalogueData.cpp (generated once, committed).
#pragma once
#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace catalogue {

constexpr int kCategoryCount = 18;
constexpr int kPresetCount = 181;

// One item of the category box, by item index.
struct Category
{
    const char* caption;
    int picture;     // index into the 44 category pictures
    int listNumber;  // preset list shown for this category
    int presetCount;
};

// One item of the preset box. key = (list number + 1) * 100 + item index.
struct Preset
{
    int key;
    const char* title;  // ends in "(*.ext)"
    const char* caption;
};

// What a preset writes into the option state. An absent field is one the
// preset keeps at its reset value (empty text, -1 for the bit rates).
struct PresetValues
{
    int key;
    const char* outputExt;  // replaces the input's extension in the output name
    std::optional<std::string_view> fileExt, videoCodec, videoTag, frameSize, frameRate, aspect;
    std::optional<int> videoBitrate;  // bit/s; -1000 = automatic (disc targets)
    std::optional<std::string_view> audioCodec, audioChannels, audioSampleRate;
    std::optional<int> audioBitrate;
    bool audioOnly;
    std::optional<std::string_view> targetType, normType;
};

// A list of choices for one parameter box; lists with equal entries are one.
struct ListTemplate
{
    const char* id;
    std::span<const char* const> entries;
};

// The six parameter boxes, in the order the rows name them.
enum ParamBox { pbFrameSize, pbVideoBitrate, pbFrameRate, pbAudioBitrate, pbSampleRate, pbAspect };
constexpr int kParamBoxCount = 6;

struct ParamChoice
{
    int list;          // index into kListTemplates
    int defaultIndex;  // 0-based
};

struct ParamRow
{
    int key;
    std::array<ParamChoice, kParamBoxCount> boxes;  // by ParamBox
    bool audioOnly;
};

extern const std::array<Category, kCategoryCount> kCategories;
extern const std::array<Preset, kPresetCount> kPresets;           // in list order, lists in category order
// The camcorder list of MOD files (keys 2300..2312) shares the values of the
// MTS list (2200..2212) item by item, so it has no records of its own.
constexpr int kPresetValueCount = kPresetCount - 13;
extern const std::array<PresetValues, kPresetValueCount> kPresetValues;  // kPresets' order without the MOD list
extern const std::array<ListTemplate, 66> kListTemplates;
extern const std::array<ParamRow, kPresetCount> kParamRows;        // same order as kPresets

}  // namespace catalogue
