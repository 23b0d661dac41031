// The job list's shared parts: its own controls and events, the columns of
// a row, the output names the rows hold, and the texts of a job's duration
// and size. Adding is in Adding.cpp, removing, moving, renaming and clearing
// in Editing.cpp, the selection in Selection.cpp.
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "platform/core/Utf8.h"
#include "platform/core/VirtualKeys.h"

#include <cmath>

using unit1::Make;

namespace unit1 {

std::string RowText(TListItem* row, int c)
{
    if (c == 0) return row->GetCaption();
    TStrings* s = row->SubItems();
    return c - 1 < s->Count() ? s->Get(c - 1) : std::string();
}

void SetRowText(TListItem* row, int c, const std::string& text)
{
    if (c == 0) return row->SetCaption(text);
    TStrings* s = row->SubItems();
    while (s->Count() < c) s->Add("");
    s->Put(c - 1, text);
}

}  // namespace unit1

void TForm1::WireJobList()
{
    AddProgressLabel = Make<TbsSkinStdLabel>(this, bsSkinPanel1, "AddProgressLabel");
    AddProgressLabel->SetSkinData(bsSkinData1);
    AddProgressLabel->SetAutoSize(false);
    AddProgressLabel->SetBounds(10, 234, 440, 18);
    AddProgressLabel->SetVisible(false);

    lvFiles->OnSelectItem = [this](TObject*, TListItem*, bool) { JobSelected(); };
    lvFiles->OnClick = [this](TObject*) { JobListClick(); };
    lvFiles->OnDblClick = [this](TObject*) { StartRenameQuietly(); };
    edt->OnExit = [this](TObject*) { FinishRename(); };
    edt->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
        if (key == VK_RETURN)
        {
            key = 0;
            FinishRename(true);
        }
        else if (key == VK_ESCAPE)
        {
            key = 0;
            CancelRename();
        }
    };
}

std::string TForm1::JobColumn(int r, int c) const
{
    TListItems* items = lvFiles->Items();
    if (r < 0 || r >= items->Count()) return {};
    return unit1::RowText(items->Item(r), c);
}

std::unordered_set<std::string> TForm1::RowOutputNames(int except) const
{
    std::unordered_set<std::string> names;
    TListItems* items = lvFiles->Items();
    for (int r = 0; r < items->Count(); ++r)
        if (r != except) names.insert(unit1::RowText(items->Item(r), unit1::kColOutput));
    return names;
}

TListItem* TForm1::SelectedJobRow() { return FRestoringJob ? nullptr : lvFiles->GetSelected(); }

void TForm1::WriteJobChoices(TListItem* row)
{
    catalogue::ParamIndexes indexes{};
    const auto boxes = ParamBoxes();
    for (std::size_t b = 0; b < boxes.size(); ++b) indexes[b] = boxes[b]->ItemIndex();
    unit1::SetRowText(row, unit1::kColOptionCode, catalogue::OptionCode(indexes));
    const catalogue::HiddenColumns cols = catalogue::HiddenColumnsOf(*this);
    for (std::size_t i = 0; i < cols.size(); ++i)
        unit1::SetRowText(row, catalogue::kFirstHiddenColumn + int(i), cols[i]);
}

void TForm1::SetRowOutputName(TListItem* row, const std::string& name)
{
    const std::unordered_set<std::string> others = RowOutputNames(row->Index());
    const auto dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string base = name.substr(0, name.size() - ext.size());
    std::string free = name;
    for (int n = 1; others.count(free); ++n) free = base + "_" + IntToStr(n) + ext;
    if (free != name) Log("输出文件“" + name + "”已是列表中另一个文件的输出，改为“" + free + "”。");
    unit1::SetRowText(row, unit1::kColOutput, free);
}

std::string TForm1::DurationText(std::int64_t seconds)
{
    return Format("%.2lld:%.2d:%.2d", static_cast<long long>(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
}

std::string TForm1::SizeText(std::int64_t bytes)
{
    if (bytes < 0) return "N/A";
    // Hundredths of a megabyte, halves to even (the default rounding).
    const auto c = static_cast<std::int64_t>(std::nearbyint(double(bytes) / 1024.0 / 1024.0 * 100.0));
    std::string s = IntToStr(c / 100);
    if (const int f = int(c % 100); f != 0) s += f % 10 == 0 ? "." + IntToStr(f / 10) : Format(".%02d", f);
    return s + "MB";
}
