// The output format catalogue's operations: what the main window's category,
// preset and parameter boxes do with a choice, apart from the boxes themselves.
// The main window keeps an OptionState and the job rows; these functions fill them.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/catalogue/CatalogueData.h"

namespace catalogue {

// The main window's option state (the fields a new job's output options come
// from). Empty text and -1 mean "not set"; -1000 in a bit rate means automatic.
struct OptionState
{
    std::string Video_AddFileName;  // input of the job being added; never reset
    std::string Video_OutPutFileName;
    std::string Video_FileExt;
    std::string Video_VideoCodec;
    std::string Video_VideoTag;
    std::string Video_FrameSize;
    std::string Video_FrameRate;
    std::string Video_FrameAspectRatio;
    int Video_VideoBitrate = -1;
    std::string Video_VideoFilters;
    std::string Video_AudioCodec;
    std::string Video_AudioChannels;
    std::string Video_AudioSampleRate;
    std::string Video_AudioVolume = "256";
    int Video_AudioBitrate = -1;
    std::string Video_NormType;
    std::string Video_TargetType;
    std::string Video_FileFormat;
    std::string Video_CopyTimestamp;
    int Video_TimeStart = -1;
    int Video_TimeLength = -1;
    bool Video_DisableVideo = false;
    // Key of the settings window's latest preset choice; never reset.
    int All_Trant_Number = 0;
};

// Reset of the option state (all but Video_AddFileName and All_Trant_Number).
void ResetOptionState(OptionState& s);

// --- categories and presets ---------------------------------------------

// List number of a category; -1 outside 0..17.
int ListNumber(int category);
// (list number + 1) * 100 + preset index; -1 for a category outside 0..17.
int PresetKey(int category, int presetIndex);
// The job row's category code: (category + 1) * 100 + preset index.
int CategoryCode(int category, int presetIndex);
// Decodes a category code; nullopt when it names no preset of the catalogue.
struct Choice { int category; int presetIndex; };
std::optional<Choice> DecodeCategoryCode(int code);

const Preset* FindPreset(int key);
const PresetValues* FindPresetValues(int key);
const ParamRow* FindParamRow(int key);

// One item of the preset box as the fill makes it.
struct PresetItem
{
    std::string title, caption;
    int imageIndex;  // item index mod 2
    int key;
};
// The preset box's items for a category (empty outside 0..17).
std::vector<PresetItem> FillPresetList(int category);

// Output extension from a preset title: the four characters before the
// closing parenthesis, ".flac", ".aiff", ".rm" and ".ra" mended.
std::string PresetExtension(std::string_view title);

// --- parameter boxes ----------------------------------------------------

struct ParamBoxState
{
    std::vector<std::string> entries;
    int itemIndex = -1;
    bool enabled = true;
};
struct ParamBoxes
{
    std::array<ParamBoxState, kParamBoxCount> boxes;  // by ParamBox
    bool audioOnly = false;  // the four video boxes are disabled
};
// Lists and defaults for a preset key; all boxes empty and enabled when the
// key has no row.
ParamBoxes ParameterLists(int key);

// Conversions of a box's shown text into its option-state value.
std::string FrameSizeValue(std::string_view text);
int VideoBitrateValue(std::string_view text);  // raises EConvertError on bad text
int AudioBitrateValue(std::string_view text);  // raises EConvertError on bad text
std::optional<std::string> AspectValue(std::string_view text);  // nullopt: leaves the field
std::string FrameRateValue(std::string_view text);
std::string SampleRateValue(std::string_view text);

// The six shown texts of the boxes, by ParamBox; nullopt for a box showing no
// item (its field is left as it was).
using ParamTexts = std::array<std::optional<std::string>, kParamBoxCount>;
// Copies the boxes into the option state (frame size, frame rate, video bit
// rate, sample rate, audio bit rate, aspect). For a disc-target preset a video
// bit rate the target does not allow (VCD: only its own) keeps the target's
// rate (-1000); the result says so, for the window to show.
struct CopyResult { bool targetRateKept = false; };
CopyResult CopyChoices(OptionState& s, const ParamTexts& texts);

// --- option code and job row columns --------------------------------------

// The twelve-character option code, two digits per box in the order frame
// size, video bit rate, audio bit rate, aspect, frame rate, sample rate.
using ParamIndexes = std::array<int, kParamBoxCount>;  // by ParamBox
std::string OptionCode(const ParamIndexes& indexes);
// Replaces one box's two digits; text after the twelfth character is dropped.
std::string ReplaceOptionCodeField(std::string code, ParamBox box, int index);
// Decodes an option code; nullopt for a malformed code.
std::optional<ParamIndexes> DecodeOptionCode(std::string_view code);

// Columns 11..24 of a job row from the option state.
using HiddenColumns = std::array<std::string, 14>;
constexpr int kFirstHiddenColumn = 11;
HiddenColumns HiddenColumnsOf(const OptionState& s);

// Whether an output path is already another job's (the job list's own outputs).
using NameTaken = std::function<bool(const std::string& path)>;

// Puts a preset's values into the option state and names the output file in
// outputFolder: resets, runs the preset's block, then picks a free name
// ("_1", "_2" ... before the extension) unless overwrite is set. A name is
// free when no file of that name exists and `taken` (when given) says no.
void ApplyPreset(OptionState& s, int category, int presetIndex, const std::string& outputFolder,
                 bool overwrite, const NameTaken& taken = {});
// The first free name of base + ext: itself, else base_1 + ext, base_2 + ext ...
std::string FreeOutputName(const std::string& base, const std::string& ext, const NameTaken& taken = {});

// The whole choice for a new job: preset values, then the six parameter
// choices (by index into the preset's lists; an index outside its list
// selects nothing and leaves that field as the preset set it).
struct JobChoice
{
    OptionState state;
    HiddenColumns columns;  // columns 11..24 as the preset writes them
    std::string optionCode;
    bool targetRateKept = false;
};
JobChoice ComposeJob(const std::string& inputFile, int category, int presetIndex,
                     const ParamIndexes& indexes, const std::string& outputFolder, bool overwrite);
// ComposeJob with the preset's default choices.
JobChoice ComposeDefaultJob(const std::string& inputFile, int category, int presetIndex,
                            const std::string& outputFolder, bool overwrite);

}  // namespace catalogue
