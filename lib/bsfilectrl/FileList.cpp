// The file list box: a folder's entries by mask and attributes, the linked
// edit, and a typed path applied back (folder, mask or file).
#include "lib/bsfilectrl.h"

#include <cerrno>

#include "platform/core/Utf8.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

TbsSkinFileListBox::TbsSkinFileListBox(TComponent* AOwner)
    : TbsSkinListBox(AOwner), FDirectory(sys::GetCurrentDir())
{
    SetWidth(145);
    SetMultiSelect(false);
    SetSorted(true);
    // A name is shown on one line as it is: a newline or tab in it shows as
    // "?" (the row keeps the name itself, for FileName).
    OnDrawItem = [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) {
        C->Brush()->SetStyle(bsClear);
        DrawTextVCenterOffset(C, Utf8Visible(Items()->Strings(Index)), R, -ListBox->HorizontalExtentValue());
    };
}

TbsSkinFileListBox::~TbsSkinFileListBox()
{
    if (FFilterCombo) FFilterCombo->SetFileList(nullptr);
    if (FDirList) FDirList->SetFileList(nullptr);
    SetFileEdit(nullptr);
}

void TbsSkinFileListBox::CreateWnd()
{
    TbsSkinListBox::CreateWnd();
    FillFileList();
}

void TbsSkinFileListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinListBox::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FFileEdit) FFileEdit = nullptr;
    if (AComponent == FFilterCombo) FFilterCombo = nullptr;
    if (AComponent == FDirList) FDirList = nullptr;
}

void TbsSkinFileListBox::FillFileList()
{
    if (!HandleAllocated()) return;
    // Read first: a folder that cannot be read leaves the rows as they were.
    const std::vector<std::string> rows = bsReadFileRows(FDirectory, FMask, FFileType);
    // A long listing shows the hourglass while the rows go in.
    struct Cursor
    {
        TCursor saved = Screen->GetCursor();
        ~Cursor() { Screen->SetCursor(saved); }
    } cursor;
    if (rows.size() > 100) Screen->SetCursor(crHourGlass);
    Items()->BeginUpdate();
    Clear();
    for (const std::string& r : rows) Items()->Add(r);
    Items()->EndUpdate();
    UpDateScrollBar();
    Change();
}

void TbsSkinFileListBox::Update() { FillFileList(); }

void TbsSkinFileListBox::SetMask(const std::string& Value)
{
    if (Value == FMask) return;
    FMask = Value;
    FillFileList();
}

void TbsSkinFileListBox::SetFileType(TbsFileType Value)
{
    if (Value == FFileType) return;
    FFileType = Value;
    FillFileList();
}

void TbsSkinFileListBox::SetFileEdit(TCustomEdit* Value)
{
    if (FFileEdit == Value) return;
    if (FFileEdit) FFileEdit->RemoveFreeNotification(this);
    FFileEdit = Value;
    if (!FFileEdit) return;
    FFileEdit->FreeNotification(this);
    const std::string sel = GetSelectedItemText();
    FFileEdit->SetText(sel.empty() ? FMask : sel);
}

char TbsSkinFileListBox::Drive() const { return sys::DriveOfPath(FDirectory); }

void TbsSkinFileListBox::SetDrive(char Value)
{
    if (CharLower(char32_t(Value)) == CharLower(char32_t(Drive()))) return;
    const std::string root = sys::DriveRootPath(Value);
    if (!root.empty()) ApplyFilePath(root);
}

std::string TbsSkinFileListBox::GetSelectedItemText()
{
    const int i = ItemIndex();
    if (i < 0 || Items()->Count() == 0 || i >= Items()->Count() || !Selected(i)) return {};
    return Items()->Strings(i);
}

std::string TbsSkinFileListBox::GetFileName()
{
    const std::string sel = GetSelectedItemText();
    return sel.empty() ? std::string() : JoinPath(FDirectory, sel);
}

void TbsSkinFileListBox::EnterDirectory(const std::string& Folder)
{
    std::string full = sys::ExpandFileName(Folder[0] == '/' ? Folder : JoinPath(FDirectory, Folder));
    if (full.size() > 1 && full.back() == '/') full.pop_back();
    // Names differ by case on Linux: only the same path is the same folder.
    if (full == FDirectory) return;
    if (!FolderExists(full)) throw EInOutError("\"" + full + "\": No such file or directory", ENOENT);
    // A folder that cannot be read is refused before it becomes the list's:
    // folder, rows and file name stay as they were.
    if (!sys::DirectoryReadable(full)) throw EInOutError("\"" + full + "\": Permission denied", EACCES);
    const std::string old = FDirectory;
    FDirectory = full;
    try
    {
        FillFileList();
    }
    catch (...)
    {
        FDirectory = old;
        throw;
    }
}

void TbsSkinFileListBox::SelectFileName(const std::string& Name)
{
    if (Name == GetSelectedItemText()) return;
    int found = -1;
    // The exact name first; another row differing only in case after it.
    for (int pass = 0; pass < 2 && found < 0; ++pass)
        for (int i = 0; i < Items()->Count() && found < 0; ++i)
            if (pass == 0 ? Items()->Strings(i) == Name : AnsiSameText(Items()->Strings(i), Name)) found = i;
    SetItemIndex(found);
    Change();
}

void TbsSkinFileListBox::ApplyFilePath(const std::string& Text)
{
    if (Text.empty() || Text == GetFileName()) return;
    char drive = 0;
    std::string folder, file;
    SplitEditPath(Text, FDirectory, drive, folder, file);
    // A linked folder list moves first and passes the folder on.
    if (FDirList) FDirList->SetDirectory(folder);
    else EnterDirectory(folder);
    if (file.find_first_of("*?") != std::string::npos && !sys::FileExists(JoinPath(FDirectory, file)))
        SetMask(file);
    else if (!file.empty())
    {
        SelectFileName(file);
        // A file the mask hides: the mask becomes its name.
        if (sys::FileExists(JoinPath(FDirectory, file)) && ItemIndex() < 0)
        {
            SetMask(file);
            SelectFileName(file);
        }
    }
}

void TbsSkinFileListBox::DoListBoxClick()
{
    TbsSkinListBox::DoListBoxClick();
    if (ItemIndex() != FLastSel) Change();
}

void TbsSkinFileListBox::Change()
{
    FLastSel = ItemIndex();
    if (FFileEdit)
    {
        const std::string sel = GetSelectedItemText();
        FFileEdit->SetText(sel.empty() ? FMask : sel);
        FFileEdit->SelectAll();
    }
    if (OnChange) OnChange(this);
}
