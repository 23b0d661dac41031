// The directory list box: the folder's rows with their pictures and indents,
// moving by double click, Enter, typed paths and the drive combo box, and the
// linked file list and label that follow it.
#include "lib/bsfilectrl.h"

#include <cerrno>

#include "platform/core/Utf8.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

namespace
{
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
}  // namespace

TbsSkinDirectoryListBox::TbsSkinDirectoryListBox(TComponent* AOwner)
    : TbsSkinListBox(AOwner), ClosedBMP(bsFolderBitmap(TbsFolderRowKind::Closed)),
      OpenedBMP(bsFolderBitmap(TbsFolderRowKind::Open)), CurrentBMP(bsFolderBitmap(TbsFolderRowKind::Current)),
      FDirectory(sys::GetCurrentDir())
{
    OnDrawItem = [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) { DrawFolderItem(C, Index, R); };
    SetWidth(145);
    SetSorted(false);
}

TbsSkinDirectoryListBox::~TbsSkinDirectoryListBox()
{
    if (FDriveCombo) FDriveCombo->SetDirList(nullptr);
    SetFileList(nullptr);
    SetDirLabel(nullptr);
}

void TbsSkinDirectoryListBox::CreateWnd()
{
    TbsSkinListBox::CreateWnd();
    FillFolderList();
}

void TbsSkinDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinListBox::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FFileList) FFileList = nullptr;
    if (AComponent == FDriveCombo) FDriveCombo = nullptr;
    if (AComponent == FDirLabel) FDirLabel = nullptr;
}

void TbsSkinDirectoryListBox::SetFileList(TbsSkinFileListBox* Value)
{
    if (FFileList == Value) return;
    if (FFileList)
    {
        FFileList->FDirList = nullptr;
        FFileList->RemoveFreeNotification(this);
    }
    FFileList = Value;
    if (FFileList)
    {
        FFileList->FDirList = this;
        FFileList->FreeNotification(this);
    }
}

void TbsSkinDirectoryListBox::SetDirLabel(TbsSkinStdLabel* Value)
{
    if (FDirLabel == Value) return;
    if (FDirLabel) FDirLabel->RemoveFreeNotification(this);
    FDirLabel = Value;
    if (FDirLabel) FDirLabel->FreeNotification(this);
    UpdateDirLabel();
}

char TbsSkinDirectoryListBox::Drive() const { return sys::DriveOfPath(FDirectory); }

void TbsSkinDirectoryListBox::SetDrive(char Value)
{
    if (Lower(Value) == Lower(Drive())) return;
    const std::string root = sys::DriveRootPath(Value);
    if (!root.empty()) SetDirectory(root);
}

int TbsSkinDirectoryListBox::FileCompareText(const std::string& A, const std::string& B) const
{
    return FCaseSensitive ? CompareStr(A, B) : AnsiCompareText(A, B);
}

std::string TbsSkinDirectoryListBox::DisplayCase(const std::string& Name) const
{
    return FPreserveCase || FCaseSensitive ? Name : AnsiLowerCase(Name);
}

void TbsSkinDirectoryListBox::SetDirectory(const std::string& Value)
{
    if (Value.empty() || FileCompareText(Value, FDirectory) == 0) return;
    char drive = 0;
    std::string folder, file;
    SplitEditPath(Value, FDirectory, drive, folder, file);
    if (drive != Drive())
    {
        struct InSetDir
        {
            bool& flag;
            ~InSetDir() { flag = false; }
        } guard{FInSetDir = true};
        if (FDriveCombo) FDriveCombo->SetDrive(drive);
        else ChangeToDrive(drive);
    }
    EnterDirectory(folder);
}

void TbsSkinDirectoryListBox::EnterDirectory(const std::string& Folder)
{
    if (!FolderExists(Folder)) throw EInOutError("\"" + Folder + "\": No such file or directory", ENOENT);
    if (!sys::DirectoryReadable(Folder)) throw EInOutError("\"" + Folder + "\": Permission denied", EACCES);
    const std::string old = FDirectory;
    FDirectory = Folder;
    try
    {
        FillFolderList();
        Change();
    }
    catch (...)
    {
        // The linked file list could not follow: both stay where they were.
        FDirectory = old;
        FillFolderList();
        throw;
    }
}

void TbsSkinDirectoryListBox::ChangeToDrive(char Letter)
{
    if (Lower(Letter) == Lower(Drive())) return;
    // Linux keeps no current folder per drive: a drive is entered at its root.
    if (Letter != 0)
    {
        const std::string root = sys::DriveRootPath(Letter);
        if (!root.empty() && FolderExists(root)) FDirectory = root;
    }
    if (FInSetDir) return;
    FillFolderList();
    Change();
}

void TbsSkinDirectoryListBox::FillFolderList()
{
    std::string label, type;
    std::uint32_t flags = 0;
    if (sys::GetVolumeInformationW(FDirectory, label, flags, &type))
    {
        FPreserveCase = flags & (FS_CASE_IS_PRESERVED | FS_CASE_SENSITIVE);
        FCaseSensitive = flags & FS_CASE_SENSITIVE;
    }
    else FPreserveCase = FCaseSensitive = true;   // Linux's own rule when the volume says nothing
    FRows = bsReadFolderRows(FDirectory);
    FStopUpDateHScrollBar = true;
    Items()->BeginUpdate();
    Items()->Clear();
    int current = 0;
    for (std::size_t i = 0; i < FRows.size(); ++i)
    {
        Items()->Add(FRows[i].Text);
        if (FRows[i].Kind == TbsFolderRowKind::Current) current = int(i);
    }
    Items()->EndUpdate();
    FStopUpDateHScrollBar = false;
    if (HandleAllocated())
    {
        SetItemIndex(current);
        UpDateScrollBar();
    }
}

void TbsSkinDirectoryListBox::Update()
{
    FillFolderList();
    Change();
}

std::string TbsSkinDirectoryListBox::GetItemPath(int Index) const { return bsFolderRowPath(FDirectory, FRows, Index); }

void TbsSkinDirectoryListBox::OpenCurrent() { SetDirectory(GetItemPath(ItemIndex())); }

void TbsSkinDirectoryListBox::Change()
{
    if (FFileList) FFileList->EnterDirectory(FDirectory);
    UpdateDirLabel();
    if (OnChange) OnChange(this);
}

void TbsSkinDirectoryListBox::UpdateDirLabel()
{
    if (!FDirLabel) return;
    const int width = FDirLabel->GetAutoSize() ? Width() : FDirLabel->Width();
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(FDirLabel->Font());
    FDirLabel->SetCaption(ShortenPathToWidth(FDirectory, measure.Canvas(), width));
}

void TbsSkinDirectoryListBox::DoListBoxDblClick()
{
    TbsSkinListBox::DoListBoxDblClick();
    OpenCurrent();
}

void TbsSkinDirectoryListBox::DoListBoxKeyPress(char32_t& Key)
{
    TbsSkinListBox::DoListBoxKeyPress(Key);
    if (Key == 13) OpenCurrent();
}

int TbsSkinDirectoryListBox::Indent(int Index) const
{
    return Index >= 0 && Index < int(FRows.size()) ? FRows[std::size_t(Index)].Indent : 2;
}

int TbsSkinDirectoryListBox::GetItemTextWidth(int Index, TCanvas* C)
{
    return TbsSkinListBox::GetItemTextWidth(Index, C) + Indent(Index) + 16 + 4;
}

void TbsSkinDirectoryListBox::DrawFolderItem(TCanvas* Cnvs, int Index, const TRect& R)
{
    if (Index < 0 || Index >= int(FRows.size())) return;
    const int h = ListBox->HorizontalExtentValue(), indent = Indent(Index);
    TBitmap* b = FRows[std::size_t(Index)].Kind == TbsFolderRowKind::Closed    ? ClosedBMP.get()
                 : FRows[std::size_t(Index)].Kind == TbsFolderRowKind::Current ? CurrentBMP.get()
                                                                                 : OpenedBMP.get();
    const int w = b->GetWidth();
    const int x = R.Left + indent - h, top = (R.Top + R.Bottom - b->GetHeight()) / 2;
    Cnvs->BrushCopy(TRect(x, top, x + w, top + b->GetHeight()), b, TRect(0, 0, w, b->GetHeight()),
                    b->Canvas()->GetPixel(0, b->GetHeight() - 1));
    Cnvs->Brush()->SetStyle(bsClear);
    // A newline or tab in a name shows as "?": the row stays one line.
    const std::string text = Utf8Visible(Items()->Strings(Index));
    const int tx = R.Left + w + indent + 4 - h + 2, ty = R.Top + (R.Height() - Cnvs->TextHeight(text)) / 2;
    Cnvs->TextRect(R, tx, ty, text);
}
