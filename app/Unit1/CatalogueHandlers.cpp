// The output format catalogue's window handlers: the category box fills the
// preset box, a preset fills the six parameter boxes (and rewrites a
// selected job row), and each parameter box writes its value into the option
// state and the selected row.
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/Unit5.h"
#include <algorithm>

#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

using namespace catalogue;
using unit1::RowText;
using unit1::SetRowText;

namespace {

// The job row column of each parameter box, by ParamBox.
constexpr std::array<int, kParamBoxCount> kParamColumns = {16, 17, 18, 19, 20, 21};

}  // namespace

std::array<TbsSkinComboBox*, kParamBoxCount> TForm1::ParamBoxes() const
{
    return {bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox9, bsSkinComboBox3, bsSkinComboBox10, bsSkinComboBox4};
}

bool TForm1::OverwriteOutput() const { return Form5 && Form5->bsSkinCheckRadioBox3->Checked(); }

void TForm1::FillPresetBox()
{
    TbsSkinOfficeItems* items = bsSkinOfficeComboBox1->Items();
    items->Clear();
    bsSkinOfficeComboBox1->Repaint();
    for (const PresetItem& p : FillPresetList(bsSkinOfficeComboBox2->ItemIndex()))
    {
        TbsSkinOfficeItem* item = items->Add();
        item->SetTitle(p.title);
        item->SetCaption(p.caption);
        item->SetImageIndex(p.imageIndex);
    }
    bsSkinOfficeComboBox1->Repaint();
    // Setting the index always raises the preset change, also for index 0.
    bsSkinOfficeComboBox1->SetItemIndex(0);
}

void TForm1::bsSkinOfficeComboBox2Change(TObject*) { FillPresetBox(); }

void TForm1::FillParameterBoxes()
{
    const std::array<TbsSkinComboBox*, kParamBoxCount> boxes = ParamBoxes();
    // Cleared and enabled in the order 1, 2, 3, 4, 9, 10.
    const std::array<TbsSkinComboBox*, kParamBoxCount> byName = {bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox3,
                                                                bsSkinComboBox4, bsSkinComboBox9, bsSkinComboBox10};
    for (TbsSkinComboBox* b : byName) b->Items()->Clear();
    for (TbsSkinComboBox* b : byName) b->SetEnabled(true);
    const int key = PresetKey(bsSkinOfficeComboBox2->ItemIndex(), bsSkinOfficeComboBox1->ItemIndex());
    Video_DisableVideo = false;
    if (!FindParamRow(key)) return;
    const catalogue::ParamBoxes lists = ParameterLists(key);
    // Each box is filled and selected completely before the next: a default
    // that changes a box's text runs its change handler at once.
    for (int b = 0; b < kParamBoxCount; ++b)
    {
        const ParamBoxState& st = lists.boxes[static_cast<std::size_t>(b)];
        TbsSkinComboBox* box = boxes[static_cast<std::size_t>(b)];
        for (const std::string& e : st.entries) box->Items()->Add(e);
        box->SetItemIndex(st.itemIndex);
    }
    if (lists.audioOnly)
        for (TbsSkinComboBox* b : {bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox4, bsSkinComboBox9})
            b->SetEnabled(false);
}

void TForm1::bsSkinOfficeComboBox1Change(TObject*)
{
    FillParameterBoxes();
    const int preset = bsSkinOfficeComboBox1->ItemIndex();
    TbsSkinOfficeItems* items = bsSkinOfficeComboBox1->Items();
    const std::string ext =
        preset >= 0 && preset < items->Count() ? PresetExtension(items->Items(preset)->Title()) : std::string();
    TListItem* row = SelectedJobRow();
    if (!row) return;
    ApplyPresetValues();
    CopyParameterChoices();
    // The row holds what the boxes show (their defaults, not the preset's own values).
    WriteJobChoices(row);
    std::string name = sys::ExtractFileName(RowText(row, 3));
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    SetRowOutputName(row, name + ext);
    SetRowText(row, 9, IntToStr(CategoryCode(bsSkinOfficeComboBox2->ItemIndex(), preset)));
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::ApplyPresetValues()
{
    ApplyPreset(*this, bsSkinOfficeComboBox2->ItemIndex(), bsSkinOfficeComboBox1->ItemIndex(),
                Video_OutPut_Folder_Edit->GetText(), OverwriteOutput());
    TListItem* row = SelectedJobRow();
    if (!row) return;
    const HiddenColumns cols = HiddenColumnsOf(*this);
    for (std::size_t i = 0; i < cols.size(); ++i) SetRowText(row, kFirstHiddenColumn + int(i), cols[i]);
}

void TForm1::ResetOptionState() { catalogue::ResetOptionState(*this); }

void TForm1::CopyParameterChoices()
{
    ParamTexts texts;
    const auto boxes = ParamBoxes();
    for (std::size_t b = 0; b < boxes.size(); ++b)
    {
        const std::string t = boxes[b]->GetText();
        if (!t.empty()) texts[b] = t;
    }
    if (CopyChoices(*this, texts).targetRateKept)
        Log("光盘格式只接受它自己的视频比特率：视频比特率保持为该格式的标准值。");
}

void TForm1::ParameterBoxChange(TbsSkinComboBox* box)
{
    TListItem* row = SelectedJobRow();
    if (!row) return;
    const auto boxes = ParamBoxes();
    const auto pb = static_cast<ParamBox>(std::find(boxes.begin(), boxes.end(), box) - boxes.begin());
    SetRowText(row, 10, ReplaceOptionCodeField(RowText(row, 10), pb, box->ItemIndex()));
    const std::string text = box->GetText();
    std::string value;
    switch (pb)
    {
    case pbFrameSize: value = Video_FrameSize = FrameSizeValue(text); break;
    case pbVideoBitrate:
    {
        // The same rule as the copy of all six boxes: a disc target keeps its rate.
        ParamTexts one;
        one[pbVideoBitrate] = text;
        OptionState probe;
        probe.Video_TargetType = Video_TargetType;
        if (CopyChoices(probe, one).targetRateKept)
            Log("光盘格式只接受它自己的视频比特率：视频比特率保持为该格式的标准值。");
        Video_VideoBitrate = probe.Video_VideoBitrate;
        value = IntToStr(Video_VideoBitrate);
        break;
    }
    case pbFrameRate: value = Video_FrameRate = FrameRateValue(text); break;
    case pbAudioBitrate:
        Video_AudioBitrate = AudioBitrateValue(text);
        value = IntToStr(Video_AudioBitrate);
        break;
    case pbSampleRate: value = Video_AudioSampleRate = SampleRateValue(text); break;
    case pbAspect:
        if (auto a = AspectValue(text)) Video_FrameAspectRatio = *a;
        value = Video_FrameAspectRatio;
        break;
    }
    SetRowText(row, kParamColumns[pb], value);
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}
