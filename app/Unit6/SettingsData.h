// The settings window's own tables: its 12 categories, 109 presets, each
// preset's option block and its six parameter lists with their defaults.
// Keys are the window's own ((category + 1) * 100 + preset index); a key may
// name another preset in the format catalogue. A value list equal to one of
// the catalogue's lists is that list (catalogue::kListTemplates); the others
// are the window's own. The tables live in SettingsData.cpp (generated once,
// committed).
#pragma once
#include <array>
#include <optional>
#include <string_view>

#include "app/catalogue/CatalogueData.h"

namespace unit6 {

constexpr int kCategoryCount = 12;
constexpr int kPresetCount = 109;
constexpr int kOwnListCount = 9;

// One item of the category box, by item index.
struct Category
{
    const char* caption;
    int picture;  // index into the window's 12 category pictures
    int presetCount;
};

// One item of the preset box.
struct Preset
{
    int key;
    const char* title;    // shown as stored, blanks and odd brackets included
    const char* caption;
    int imageIndex;       // stored only: the preset box has no pictures
};

// What a preset writes into the option state. A field holding nothing is one
// the preset keeps as it was (empty text is a value of its own).
using Text = std::optional<std::string_view>;
struct OptionBlock
{
    int key = 0;
    const char* outputExt = "";  // replaces the input's extension in the output name
    bool audioOnly = false;      // sets the video-disabled flag
    Text fileExt, videoCodec, videoTag, frameSize, frameRate, aspect, videoFilters;
    std::optional<int> videoBitrate;  // bit/s; -1000 = not set
    Text audioCodec, audioChannels, audioSampleRate, audioVolume;
    std::optional<int> audioBitrate;
    Text normType, copyTimestamp, fileFormat, targetType;
};

struct ParamChoice
{
    const catalogue::ListTemplate* list;
    int defaultIndex;  // 0-based
};

// The six boxes in catalogue::ParamBox order (frame size, video bit rate,
// frame rate, audio bit rate, sample rate, aspect), the order they are filled in.
struct ParamRow
{
    int key;
    std::array<ParamChoice, catalogue::kParamBoxCount> boxes;
    bool audioOnly;  // the four video boxes are disabled
};

extern const std::array<Category, kCategoryCount> kCategories;
extern const std::array<Preset, kPresetCount> kPresets;            // in key order
extern const std::array<OptionBlock, kPresetCount> kOptionBlocks;  // same order
extern const std::array<catalogue::ListTemplate, kOwnListCount> kOwnListTemplates;
extern const std::array<ParamRow, kPresetCount> kParamRows;        // same order

}  // namespace unit6
