// Editing the job list between batches: removing a job, moving it up or
// down, renaming its output in place, clearing the list. Row r and slot r
// stay together through each of them.
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/catalogue/Catalogue.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

#include <utility>

using unit1::RowText;
using unit1::SetRowText;

namespace {

// Why the editor's text cannot be an output name; "" when it can.
std::string RenameRefusal(const std::string& text, const std::string& ext)
{
    if (Trim(text).empty()) return "文件名不能为空。";
    if (text.find('/') != std::string::npos) return "文件名不能包含“/”。";
    if (text == "." || text == "..") return "“.”和“..”不能作为文件名。";
    for (const unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return "文件名不能包含控制字符。";
    if (text.size() + ext.size() > 255) return "文件名太长。";
    return {};
}

}  // namespace

void TForm1::ShowPictureOverEmptyList()
{
    bsSkinPanel5->Show();
    DEDideve->Stop(true);
    bsSkinSlider1->SetValue(0);
}

void TForm1::RemoveJob()
{
    if (FAddingFiles || BatchRunning()) return;
    CancelRename();
    TListItem* row = lvFiles->GetSelected();
    if (!row)
    {
        Inform("请先选择您需要删除的项目！");
        return;
    }
    const int r = row->Index();
    const int n = lvFiles->Items()->Count();
    // A row that could not be made a task at the last start has none.
    int k = 0;
    if (TryStrToInt(RowText(row, unit1::kColTask), k) && k > 0) FFConv->RemoveTask(k - 1);
    lvFiles->Items()->Delete(r);
    // The later slots move up with their rows; the last one falls free.
    for (int i = r; i + 1 < n; ++i)
    {
        const auto to = static_cast<std::size_t>(i), from = to + 1;
        IO1[to] = std::move(IO1[from]);
        OO1[to] = std::move(OO1[from]);
        JobSlotMarker[to] = std::move(JobSlotMarker[from]);
    }
    JobSlotMarker[static_cast<std::size_t>(n - 1)] = "DELETED";
    // Column 8 keeps naming each row's task.
    TListItems* items = lvFiles->Items();
    for (int i = 0; i < items->Count(); ++i)
    {
        int t = 0;
        if (TryStrToInt(RowText(items->Item(i), unit1::kColTask), t) && t > k)
            SetRowText(items->Item(i), unit1::kColTask, IntToStr(t - 1));
    }
    const int left = items->Count();
    SetControlStates(TControlEvent::Remove, left);
    if (left > 0)
    {
        lvFiles->SetItemIndex(0);
        if (lvFiles->CanFocus()) lvFiles->SetFocus();
    }
    else
    {
        ShowPictureOverEmptyList();
    }
}

void TForm1::ClearJobs()
{
    if (FAddingFiles || BatchRunning()) return;
    CancelRename();
    FFConv->ClearTasks();
    lvFiles->Items()->Clear();
    SetControlStates(TControlEvent::Clear);
    ResetJobSlots();
    ShowPictureOverEmptyList();
}

void TForm1::SwapJobs(int a, int b)
{
    TListItem* ra = lvFiles->Items()->Item(a);
    TListItem* rb = lvFiles->Items()->Item(b);
    const std::string caption = ra->GetCaption();
    ra->SetCaption(rb->GetCaption());
    rb->SetCaption(caption);
    auto cells = std::make_unique<TStringList>();
    cells->Assign(ra->SubItems());
    ra->SubItems()->Assign(rb->SubItems());
    rb->SubItems()->Assign(cells.get());
    const auto sa = static_cast<std::size_t>(a), sb = static_cast<std::size_t>(b);
    std::swap(IO1[sa], IO1[sb]);
    std::swap(OO1[sa], OO1[sb]);
    std::swap(JobSlotMarker[sa], JobSlotMarker[sb]);
}

void TForm1::MoveJobUp()
{
    if (FAddingFiles || BatchRunning()) return;
    CancelRename();
    const int r = lvFiles->GetItemIndex();
    if (r <= 0) return;
    SwapJobs(r, r - 1);
    lvFiles->SetItemIndex(r - 1);
    lvFiles->Items()->Item(r - 1)->MakeVisible(false);
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::MoveJobDown()
{
    if (FAddingFiles || BatchRunning()) return;
    CancelRename();
    const int r = lvFiles->GetItemIndex();
    if (r < 0 || r + 1 >= lvFiles->Items()->Count()) return;
    SwapJobs(r, r + 1);
    lvFiles->SetItemIndex(r + 1);
    lvFiles->Items()->Item(r + 1)->MakeVisible(false);
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

// ---- renaming ----------------------------------------------------------------

std::string TForm1::RowPresetExtension(TListItem* row) const
{
    // The extension of the row's own preset (its category code), else the
    // one its output name has.
    int code = 0;
    if (TryStrToInt(RowText(row, unit1::kColCategory), code))
        if (const auto choice = catalogue::DecodeCategoryCode(code))
        {
            const auto items = catalogue::FillPresetList(choice->category);
            return catalogue::PresetExtension(items[static_cast<std::size_t>(choice->presetIndex)].title);
        }
    return sys::ExtractFileExt(RowText(row, unit1::kColOutput));
}

void TForm1::StartRename()
{
    if (!lvFiles->GetSelected())
    {
        Inform("请先选中您需要重命名的项目！");
        return;
    }
    StartRenameQuietly();
}

void TForm1::StartRenameQuietly()
{
    TListItem* row = lvFiles->GetSelected();
    if (FAddingFiles || BatchRunning() || !row) return;
    CancelRename();
    row->MakeVisible(false);
    const std::string name = RowText(row, unit1::kColOutput);
    edt->SetText(name.substr(0, name.size() - sys::ExtractFileExt(name).size()));
    FRenameRow = row;
    PlaceRenameEditor();
    edt->Show();
    edt->BringToFront();
    if (edt->CanFocus()) edt->SetFocus();
    edt->SelectAll();
}

void TForm1::PlaceRenameEditor()
{
    if (!FRenameRow) return;
    // Over column 3 of the row, in the table's own coordinates.
    const TRect bounds = lvFiles->ItemRect(FRenameRow->Index(), drBounds);
    int left = bounds.Left;
    for (int c = 0; c < unit1::kColOutput; ++c) left += lvFiles->Columns()->Items(c)->GetWidth();
    edt->SetParent(lvFiles);
    edt->SetBounds(left, bounds.Top, lvFiles->Columns()->Items(unit1::kColOutput)->GetWidth(), bounds.Height());
}

void TForm1::CancelRename()
{
    if (!FRenameRow) return;
    // Cleared first: hiding the editor takes its focus, which would finish it.
    FRenameRow = nullptr;
    edt->Hide();
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::FinishRename(bool explain)
{
    TListItem* row = FRenameRow;
    if (!row || FRenameRefusing) return;
    const std::string ext = RowPresetExtension(row);
    const std::string text = edt->GetText();
    std::string refusal = RenameRefusal(text, ext);
    std::string name = text + ext;
    const bool overwrite = OverwriteOutput();
    const std::string folder = sys::IncludeTrailingPathDelimiter(Video_OutPut_Folder_Edit->GetText());
    if (refusal.empty() && name != RowText(row, unit1::kColOutput))
    {
        // Another row's output is never taken: refused when outputs are
        // overwritten, else the first free "_N" (files on disk count too).
        const std::unordered_set<std::string> others = RowOutputNames(row->Index());
        if (overwrite && others.count(name))
            refusal = "输出文件“" + name + "”已是列表中另一个文件的输出。";
        else if (!overwrite)
            name = sys::ExtractFileName(catalogue::FreeOutputName(folder + text, ext, [&others](const std::string& path) {
                return others.count(sys::ExtractFileName(path)) > 0;
            }));
    }
    if (!refusal.empty())
    {
        // The editor stays open with its text.
        if (explain)
        {
            FRenameRefusing = true;
            Inform(refusal);
            FRenameRefusing = false;
            if (edt->CanFocus()) edt->SetFocus();
            edt->SelectAll();
        }
        return;
    }
    FRenameRow = nullptr;
    SetRowText(row, unit1::kColOutput, name);
    OO1[static_cast<std::size_t>(row->Index())].FileName = folder + name;
    edt->Hide();
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::JobListClick()
{
    if (!lvFiles->GetSelected()) DEDideve->Stop(true);
}
