// The settings window's handlers: the chain of button clicks, the preset
// listing, the parameter boxes' refill, the option block with the output
// name, the copy of the six boxes and the reset of the option state.
#include "app/Unit6.h"

#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

namespace unit6 {

namespace {
template <class Table>
auto FindByKey(const Table& t, int key) -> decltype(&t[0])
{
    for (const auto& e : t)
        if (e.key == key)
            return &e;
    return nullptr;
}

void Assign(std::string& field, const Text& v)
{
    if (v)
        field.assign(v->data(), v->size());
}

void Assign(int& field, const std::optional<int>& v)
{
    if (v)
        field = *v;
}
}  // namespace

const Preset* FindPreset(int key) { return FindByKey(kPresets, key); }
const OptionBlock* FindOptionBlock(int key) { return FindByKey(kOptionBlocks, key); }
const ParamRow* FindParamRow(int key) { return FindByKey(kParamRows, key); }

}  // namespace unit6

// ---- the chain --------------------------------------------------------------------

void TForm6::FormCreate(TObject*) { Button2->Click(); }

void TForm6::bsSkinOfficeComboBox2Change(TObject*) { Button2->Click(); }

void TForm6::bsSkinOfficeComboBox1Click(TObject*) { Button18->Click(); }

void TForm6::bsSkinButton2Click(TObject*)
{
    Button5->Click();
    Button13->Click();
    Close();
}

void TForm6::bsSkinButton3Click(TObject*) { Close(); }

int TForm6::PresetKey() const
{
    return (bsSkinOfficeComboBox2->ItemIndex() + 1) * 100 + bsSkinOfficeComboBox1->ItemIndex();
}

// ---- preset list and parameter boxes ------------------------------------------------

void TForm6::Button2Click(TObject*)
{
    TbsSkinOfficeComboBox* box = bsSkinOfficeComboBox1;
    box->Items()->Clear();
    box->Refresh();
    box->Repaint();
    int category = bsSkinOfficeComboBox2->ItemIndex();
    if (category >= 0 && category < unit6::kCategoryCount) {
        for (const unit6::Preset& p : unit6::kPresets)
            if (p.key / 100 == category + 1) {
                TbsSkinOfficeItem* item = box->Items()->Add();
                item->SetTitle(p.title);
                item->SetCaption(p.caption);
                item->SetImageIndex(p.imageIndex);
            }
        box->Refresh();
        box->Repaint();
    }
    // Fires the box's OnClick also for an empty list: the boxes follow.
    box->SetItemIndex(0);
}

void TForm6::Button18Click(TObject*)
{
    for (int b = 0; b < catalogue::kParamBoxCount; ++b)
        ParamBox(static_cast<catalogue::ParamBox>(b))->Items()->Clear();
    for (int b = 0; b < catalogue::kParamBoxCount; ++b)
        ParamBox(static_cast<catalogue::ParamBox>(b))->SetEnabled(true);
    const int key = PresetKey();
    FHost.State.All_Trant_Number = key;
    FHost.State.Video_DisableVideo = false;
    const unit6::ParamRow* row = unit6::FindParamRow(key);
    if (!row)
        return;
    for (int b = 0; b < catalogue::kParamBoxCount; ++b) {
        TbsSkinComboBox* box = ParamBox(static_cast<catalogue::ParamBox>(b));
        for (const char* entry : row->boxes[b].list->entries)
            box->Items()->Add(entry);
        box->SetItemIndex(row->boxes[b].defaultIndex);
    }
    if (row->audioOnly)
        for (catalogue::ParamBox b :
             {catalogue::pbFrameSize, catalogue::pbVideoBitrate, catalogue::pbAspect, catalogue::pbFrameRate})
            ParamBox(b)->SetEnabled(false);
}

// ---- option block and output name ------------------------------------------------------

void TForm6::Button5Click(TObject*)
{
    catalogue::OptionState& s = FHost.State;
    const int key = PresetKey();
    s.All_Trant_Number = key;
    s.Video_DisableVideo = false;
    const std::string folder = FHost.OutputFolder ? FHost.OutputFolder() : std::string();
    if (const unit6::OptionBlock* v = unit6::FindOptionBlock(key)) {
        // The input's name with the preset's extension, in the output folder.
        s.Video_OutPutFileName =
            folder + sys::PathDelim + sys::ChangeFileExt(sys::ExtractFileName(s.Video_AddFileName), v->outputExt);
        using unit6::Assign;
        Assign(s.Video_FileExt, v->fileExt);
        Assign(s.Video_VideoCodec, v->videoCodec);
        Assign(s.Video_VideoTag, v->videoTag);
        Assign(s.Video_FrameSize, v->frameSize);
        Assign(s.Video_FrameRate, v->frameRate);
        Assign(s.Video_FrameAspectRatio, v->aspect);
        Assign(s.Video_VideoBitrate, v->videoBitrate);
        Assign(s.Video_VideoFilters, v->videoFilters);
        Assign(s.Video_AudioCodec, v->audioCodec);
        Assign(s.Video_AudioChannels, v->audioChannels);
        Assign(s.Video_AudioSampleRate, v->audioSampleRate);
        Assign(s.Video_AudioVolume, v->audioVolume);
        Assign(s.Video_AudioBitrate, v->audioBitrate);
        Assign(s.Video_NormType, v->normType);
        Assign(s.Video_CopyTimestamp, v->copyTimestamp);
        Assign(s.Video_FileFormat, v->fileFormat);
        Assign(s.Video_TargetType, v->targetType);
        if (v->audioOnly)
            s.Video_DisableVideo = true;
    }
    // A free name: "_1", "_2" ... before the extension while a file of that
    // name exists, unless existing outputs are overwritten. The folder part
    // is always the output folder's text (for every key).
    const std::string name = sys::ExtractFileName(s.Video_OutPutFileName);
    const std::string ext = sys::ExtractFileExt(name);
    const std::string stem = folder + sys::PathDelim + name.substr(0, name.size() - ext.size());
    std::string candidate = stem + ext;
    if (sys::FileExists(candidate) && !(FHost.Overwrite && FHost.Overwrite()))
        for (int n = 1;; ++n) {
            candidate = stem + "_" + IntToStr(n) + ext;
            if (!sys::FileExists(candidate))
                break;
        }
    s.Video_OutPutFileName = candidate;
}

// ---- copy and reset ------------------------------------------------------------------

void TForm6::Button13Click(TObject*)
{
    // A box's text: that of its selected entry (none: empty).
    auto text = [this](catalogue::ParamBox b) {
        TbsSkinComboBox* box = ParamBox(b);
        int i = box->ItemIndex();
        return i >= 0 && i < box->Items()->Count() ? box->Items()->Get(i) : std::string();
    };
    catalogue::OptionState& s = FHost.State;
    s.Video_FrameSize = catalogue::FrameSizeValue(text(catalogue::pbFrameSize));
    s.Video_FrameRate = catalogue::FrameRateValue(text(catalogue::pbFrameRate));
    s.Video_VideoBitrate = catalogue::VideoBitrateValue(text(catalogue::pbVideoBitrate));
    const std::string rate = text(catalogue::pbSampleRate);
    s.Video_AudioSampleRate = rate == "自动音频采样率" ? std::string("AUTO") : catalogue::SampleRateValue(rate);
    const std::string audio = text(catalogue::pbAudioBitrate);
    s.Video_AudioBitrate = audio == "自动音频比特率" ? -1000 : catalogue::AudioBitrateValue(audio);
    if (auto aspect = catalogue::AspectValue(text(catalogue::pbAspect)))
        s.Video_FrameAspectRatio = *aspect;
}

void TForm6::Button6Click(TObject*) { catalogue::ResetOptionState(FHost.State); }
