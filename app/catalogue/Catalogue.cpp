#include "app/catalogue/Catalogue.h"

#include <cmath>

#include "platform/core/Exception.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

namespace catalogue {

namespace {

// Index of a key in the three key-ordered tables, or -1.
int IndexOfKey(int key)
{
    for (int i = 0; i < kPresetCount; ++i)
        if (kPresets[i].key == key)
            return i;
    return -1;
}

std::string Str(const std::optional<std::string_view>& v)
{
    return v ? std::string(*v) : std::string();
}

// The number before "kbps", blanks trimmed.
std::string KbpsNumber(std::string_view text)
{
    auto p = text.find("kbps");
    return Trim(text.substr(0, p));
}

// The video bit rates a disc target allows (bit/s): the engine's target sets
// these as minrate and maxrate, and the encoder refuses a rate outside them.
struct TargetRange { int min, max; };
std::optional<TargetRange> TargetVideoRange(std::string_view target)
{
    if (target == "vcd")
        return TargetRange{1150000, 1150000};
    if (target == "svcd")
        return TargetRange{0, 2516000};
    if (target == "dvd")
        return TargetRange{0, 9000000};
    return std::nullopt;
}

}  // namespace

void ResetOptionState(OptionState& s)
{
    OptionState fresh;
    fresh.Video_AddFileName = std::move(s.Video_AddFileName);
    fresh.All_Trant_Number = s.All_Trant_Number;
    s = std::move(fresh);
}

int ListNumber(int category)
{
    if (category < 0 || category >= kCategoryCount)
        return -1;
    return kCategories[category].listNumber;
}

int PresetKey(int category, int presetIndex)
{
    int list = ListNumber(category);
    return list < 0 ? -1 : (list + 1) * 100 + presetIndex;
}

int CategoryCode(int category, int presetIndex)
{
    return (category + 1) * 100 + presetIndex;
}

std::optional<Choice> DecodeCategoryCode(int code)
{
    int category = code / 100 - 1, index = code % 100;
    if (code < 0 || category < 0 || category >= kCategoryCount || index >= kCategories[category].presetCount)
        return std::nullopt;
    return Choice{category, index};
}

const Preset* FindPreset(int key)
{
    int i = IndexOfKey(key);
    return i < 0 ? nullptr : &kPresets[i];
}

const PresetValues* FindPresetValues(int key)
{
    if (!FindPreset(key))
        return nullptr;
    if (key / 100 == 23)
        key -= 100;  // MOD presets take the MTS presets' values
    for (const auto& v : kPresetValues)
        if (v.key == key)
            return &v;
    return nullptr;
}

const ParamRow* FindParamRow(int key)
{
    int i = IndexOfKey(key);
    return i < 0 ? nullptr : &kParamRows[i];
}

std::vector<PresetItem> FillPresetList(int category)
{
    std::vector<PresetItem> items;
    int list = ListNumber(category);
    if (list < 0)
        return items;
    for (int i = 0;; ++i) {
        const Preset* p = FindPreset((list + 1) * 100 + i);
        if (!p)
            break;
        items.push_back({p->title, p->caption, i % 2, p->key});
    }
    return items;
}

std::string PresetExtension(std::string_view title)
{
    if (title.size() < 5)
        return {};
    std::string four(title.substr(title.size() - 5, 4));
    if (four == "flac" || four == "aiff")
        return "." + four;
    if (four == "*.rm")
        return ".rm";
    if (four == "*.ra")
        return ".ra";
    return four;
}

ParamBoxes ParameterLists(int key)
{
    ParamBoxes r;
    const ParamRow* row = FindParamRow(key);
    if (!row)
        return r;
    for (int b = 0; b < kParamBoxCount; ++b) {
        const ListTemplate& t = kListTemplates[row->boxes[b].list];
        auto& box = r.boxes[b];
        box.entries.assign(t.entries.begin(), t.entries.end());
        box.itemIndex = row->boxes[b].defaultIndex;
    }
    r.audioOnly = row->audioOnly;
    if (row->audioOnly)
        for (ParamBox b : {pbFrameSize, pbVideoBitrate, pbAspect, pbFrameRate})
            r.boxes[b].enabled = false;
    return r;
}

std::string FrameSizeValue(std::string_view text)
{
    if (text == "保持原分辨率" || text == "该格式无视频")
        return {};
    return std::string(text);
}

int VideoBitrateValue(std::string_view text)
{
    if (text == "无视频")
        return -1000;
    return StrToInt(KbpsNumber(text)) * 1000;
}

int AudioBitrateValue(std::string_view text)
{
    std::string n = KbpsNumber(text);
    if (n.find('.') == std::string::npos)
        return StrToInt(n) * 1000;
    double v;
    if (!TryStrToFloat(n, v))
        throw EConvertError("'" + n + "' is not a valid floating point value");
    // Taken as the nearest integer, so a binary fraction cannot lose one bit/s.
    return static_cast<int>(std::lround(v * 1000.0));
}

std::optional<std::string> AspectValue(std::string_view text)
{
    if (text == "保持原视频模式" || text == "无视频")
        return std::string();
    if (text == "普通视频4:3模式")
        return std::string("4:3");
    if (text == "宽屏视频16:9模式")
        return std::string("16:9");
    if (text == "宽屏视频37:20模式")
        return std::string("37:20");
    if (text == "宽屏视频47:20模式")
        return std::string("47:20");
    return std::nullopt;
}

std::string FrameRateValue(std::string_view text)
{
    if (text == "保持原帧速率" || text == "无视频")
        return {};
    return std::string(text);
}

std::string SampleRateValue(std::string_view text)
{
    return std::string(text);
}

CopyResult CopyChoices(OptionState& s, const ParamTexts& t)
{
    CopyResult r;
    if (t[pbFrameSize])
        s.Video_FrameSize = FrameSizeValue(*t[pbFrameSize]);
    if (t[pbFrameRate])
        s.Video_FrameRate = FrameRateValue(*t[pbFrameRate]);
    if (t[pbVideoBitrate]) {
        int rate = VideoBitrateValue(*t[pbVideoBitrate]);
        // A rate a disc target does not allow would end the task in an
        // encoder error, so the target's own rate stays.
        auto range = TargetVideoRange(s.Video_TargetType);
        if (range && rate >= 0 && (rate < range->min || rate > range->max)) {
            s.Video_VideoBitrate = -1000;
            r.targetRateKept = true;
        } else {
            s.Video_VideoBitrate = rate;
        }
    }
    if (t[pbSampleRate])
        s.Video_AudioSampleRate = SampleRateValue(*t[pbSampleRate]);
    if (t[pbAudioBitrate])
        s.Video_AudioBitrate = AudioBitrateValue(*t[pbAudioBitrate]);
    if (t[pbAspect])
        if (auto a = AspectValue(*t[pbAspect]))
            s.Video_FrameAspectRatio = *a;
    return r;
}

namespace {
// Position of each box's two digits in the option code.
constexpr std::array<int, kParamBoxCount> kCodePos = {0, 2, 8, 4, 10, 6};  // by ParamBox
}

std::string OptionCode(const ParamIndexes& indexes)
{
    std::string code(12, '0');
    for (int b = 0; b < kParamBoxCount; ++b)
        code = ReplaceOptionCodeField(code, static_cast<ParamBox>(b), indexes[b]);
    return code;
}

std::string ReplaceOptionCodeField(std::string code, ParamBox box, int index)
{
    if (code.size() < 12)
        code.resize(12, '0');
    code.resize(12);
    std::string two = Format("%02d", index);
    code.replace(kCodePos[box], 2, two.substr(two.size() - 2));
    return code;
}

std::optional<ParamIndexes> DecodeOptionCode(std::string_view code)
{
    if (code.size() < 12)
        return std::nullopt;
    ParamIndexes r{};
    for (int b = 0; b < kParamBoxCount; ++b) {
        char c1 = code[kCodePos[b]], c2 = code[kCodePos[b] + 1];
        if (c1 < '0' || c1 > '9' || c2 < '0' || c2 > '9')
            return std::nullopt;
        r[b] = (c1 - '0') * 10 + (c2 - '0');
    }
    return r;
}

HiddenColumns HiddenColumnsOf(const OptionState& s)
{
    return {s.Video_VideoCodec,
            s.Video_AudioCodec,
            s.Video_AudioChannels,
            s.Video_VideoTag,
            s.Video_FileExt,
            s.Video_FrameSize,
            IntToStr(s.Video_VideoBitrate),
            s.Video_FrameRate,
            IntToStr(s.Video_AudioBitrate),
            s.Video_AudioSampleRate,
            s.Video_FrameAspectRatio,
            s.Video_DisableVideo ? "True" : "False",
            s.Video_TargetType,
            s.Video_NormType};
}

std::string FreeOutputName(const std::string& base, const std::string& ext, const NameTaken& taken)
{
    auto used = [&](const std::string& path) { return sys::FileExists(path) || (taken && taken(path)); };
    std::string candidate = base + ext;
    for (int n = 1; used(candidate); ++n)
        candidate = base + "_" + IntToStr(n) + ext;
    return candidate;
}

void ApplyPreset(OptionState& s, int category, int presetIndex, const std::string& outputFolder,
                 bool overwrite, const NameTaken& taken)
{
    ResetOptionState(s);
    const std::string folder = sys::IncludeTrailingPathDelimiter(outputFolder);
    if (const PresetValues* v = FindPresetValues(PresetKey(category, presetIndex))) {
        s.Video_OutPutFileName = folder + sys::ChangeFileExt(sys::ExtractFileName(s.Video_AddFileName), v->outputExt);
        s.Video_FileExt = Str(v->fileExt);
        s.Video_VideoCodec = Str(v->videoCodec);
        s.Video_VideoTag = Str(v->videoTag);
        s.Video_FrameSize = Str(v->frameSize);
        s.Video_FrameRate = Str(v->frameRate);
        s.Video_FrameAspectRatio = Str(v->aspect);
        s.Video_VideoBitrate = v->videoBitrate.value_or(-1);
        s.Video_AudioCodec = Str(v->audioCodec);
        s.Video_AudioChannels = Str(v->audioChannels);
        s.Video_AudioSampleRate = Str(v->audioSampleRate);
        s.Video_AudioBitrate = v->audioBitrate.value_or(-1);
        s.Video_DisableVideo = v->audioOnly;
        s.Video_TargetType = Str(v->targetType);
        s.Video_NormType = Str(v->normType);
    }
    // A free name: "_1", "_2" ... before the extension while a file of that name exists.
    const std::string name = sys::ExtractFileName(s.Video_OutPutFileName);
    const std::string ext = sys::ExtractFileExt(name);
    const std::string base = folder + name.substr(0, name.size() - ext.size());
    s.Video_OutPutFileName = overwrite ? base + ext : FreeOutputName(base, ext, taken);
}

JobChoice ComposeJob(const std::string& inputFile, int category, int presetIndex,
                     const ParamIndexes& indexes, const std::string& outputFolder, bool overwrite)
{
    JobChoice j;
    j.state.Video_AddFileName = inputFile;
    ApplyPreset(j.state, category, presetIndex, outputFolder, overwrite);
    j.columns = HiddenColumnsOf(j.state);
    ParamBoxes boxes = ParameterLists(PresetKey(category, presetIndex));
    ParamTexts texts;
    for (int b = 0; b < kParamBoxCount; ++b) {
        const auto& e = boxes.boxes[b].entries;
        if (indexes[b] >= 0 && indexes[b] < static_cast<int>(e.size()))
            texts[b] = e[indexes[b]];
    }
    j.targetRateKept = CopyChoices(j.state, texts).targetRateKept;
    j.optionCode = OptionCode(indexes);
    return j;
}

JobChoice ComposeDefaultJob(const std::string& inputFile, int category, int presetIndex,
                            const std::string& outputFolder, bool overwrite)
{
    ParamIndexes idx{};
    ParamBoxes boxes = ParameterLists(PresetKey(category, presetIndex));
    for (int b = 0; b < kParamBoxCount; ++b)
        idx[b] = boxes.boxes[b].itemIndex;
    return ComposeJob(inputFile, category, presetIndex, idx, outputFolder, overwrite);
}

}  // namespace catalogue
