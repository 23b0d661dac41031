// The file controls' unit: the path routines they share and the data the
// drive, folder, file and filter boxes show.
//
// Paths are Linux paths: "/" is the only separator; ":" and "\" are ordinary
// name characters. A folder is always named by its absolute path, and nothing
// here changes the process's current directory (conversion threads and the
// library loader share it): the controls keep their folder themselves and
// resolve typed names against it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

// ---------------------------------------------------------------------------
// Path routines

// An existing folder named by an absolute path (a relative name is none).
bool FolderExists(const std::string& Name);
// Path + name with one "/" between them.
std::string JoinPath(const std::string& Path, const std::string& Name);
// Shortens a folder path by its first folder: "/a/b/c/" gives "/.../b/c/",
// then "/.../c/", "/.../" and ".../"; after that it becomes empty.
void CutFirstFolder(std::string& S);
// The path with its first folders replaced by ".../" until its width on the
// canvas is at most MaxWidth; at the end the last component alone (which may
// still be wider).
std::string ShortenPathToWidth(const std::string& Path, TCanvas* Canvas, int MaxWidth);
// "[label]" of the drive: lower case for a lower-case letter, else upper
// case; "[]" without a label.
std::string GetVolumeLabelText(char Letter);
// The mount source of a network drive in the letter's case, else
// GetVolumeLabelText.
std::string GetNetworkVolumeText(char Letter);

// Splits a typed path against the folder Base (absolute) into the drive
// holding the result, an absolute folder and a file part:
// - "[name]" (a folder row of the file list) is the folder `name` in Base;
// - a name that is an existing folder moves into the folder part;
// - a name with "*" or "?" (a mask) or of an existing file stays the file part;
// - anything else, or a folder part that does not exist, raises EInOutError
//   (ENOENT, or ENOTDIR for a folder part that is a file).
// "." and ".." are resolved; the current directory is neither used nor changed.
void SplitEditPath(const std::string& Text, const std::string& Base, char& Drive, std::string& FolderPart,
                   std::string& FilePart);

// The non-empty ";"-separated patterns of a mask, in order.
std::vector<std::string> bsMaskPieces(const std::string& Mask);
// Whether a file name matches one of the ";"-separated patterns of a mask.
bool MatchesMaskList(const std::string& Name, const std::string& Mask);

// ---------------------------------------------------------------------------
// What the boxes list

// Letter case of the drive combo box's letters and labels.
enum TTextCase { tcLowerCase, tcUpperCase };

// One row of the drive combo box: "c: [label]" (a removable drive: "c:"
// alone, its medium untouched), and its DRIVE_* type for the picture.
struct TbsDriveItem
{
    std::string Text;
    unsigned Type = 0;
};
// The machine's drives in letter order; drives of an unknown type or without
// a root are left out.
std::vector<TbsDriveItem> bsReadDriveItems(TTextCase TextCase);

// Rows of the folder list: the levels of the folder's path (open), the folder
// itself (current) and its subfolders (closed), each with its indent.
enum class TbsFolderRowKind { Open, Current, Closed };
struct TbsFolderRow
{
    std::string Text;
    TbsFolderRowKind Kind = TbsFolderRowKind::Closed;
    int Indent = 0;
};
// "/" gives one current row "/"; "/home/user" gives "/", "home" (open) and
// "user" (current); then the subfolders, sorted ignoring case. Levels stand
// 4 pixels apart from 2; subfolders one level deeper than the folder.
std::vector<TbsFolderRow> bsReadFolderRows(const std::string& Directory);
// The full path of row Index of those rows; empty beyond the last row.
std::string bsFolderRowPath(const std::string& Directory, const std::vector<TbsFolderRow>& Rows, int Index);
// Appends the names of the folder's subfolders (not hidden, not "." or "..")
// in the system's order; returns how many. An unreadable folder has none.
int ReadSubfolderNames(const std::string& Folder, std::vector<std::string>& List);

// Which entries the file list shows.
enum TbsFileAttr { bsftReadOnly, bsftHidden, bsftSystem, bsftVolumeID, bsftDirectory, bsftArchive, bsftNormal };
using TbsFileType = TEnumSet<TbsFileAttr>;
// The file list's rows: the folder's entries that match one of the
// ";"-separated patterns of Mask (a name matching several is one row). Hidden entries (names beginning with a dot) and folders only when
// asked for; with bsftNormal every other entry, else only those having one
// of the asked attributes (read-only: not writable by this process). Folders
// read "[name]", "[.]" and "[..]" included below a drive's root; Linux has no
// system, volume or archive attribute. Sorted ignoring case. FIFOs, sockets
// and devices are listed like files and never opened. Raises EInOutError
// when the folder cannot be read.
std::vector<std::string> bsReadFileRows(const std::string& Folder, const std::string& Mask, TbsFileType FileType);

// The descriptions and masks of a filter "description|mask|description|mask…":
// a last description without a mask is dropped, one before a final "|" gets
// an empty mask; nothing is trimmed.
void bsParseFilter(const std::string& Filter, std::vector<std::string>& Descriptions, std::vector<std::string>& Masks);

// ---------------------------------------------------------------------------
// Controls

class TbsSkinFileListBox;
class TbsSkinDirectoryListBox;

// The pictures of the drive and folder rows (drawn here; the colour of the
// bottom-left pixel is their transparent colour): drives 16 x 16 (the RAM
// disk 16 x 11) by DRIVE_* type, folders 16 x 15.
std::unique_ptr<TBitmap> bsDriveBitmap(unsigned DriveType);
std::unique_ptr<TBitmap> bsFolderBitmap(TbsFolderRowKind Kind);

// A combo box of the machine's drives (mount points as drives), each with a
// picture of its type and its label; choosing one moves a linked directory
// list box to that drive's root.
class TbsSkinDriveComboBox : public TbsSkinComboBox
{
public:
    explicit TbsSkinDriveComboBox(TComponent* AOwner);
    ~TbsSkinDriveComboBox() override;

    char Drive() const { return FDrive; }
    void SetDrive(char Value);
    TTextCase TextCase() const { return FTextCase; }
    void SetTextCase(TTextCase Value);
    TbsSkinDirectoryListBox* DirList() const { return FDirList; }
    void SetDirList(TbsSkinDirectoryListBox* Value);
    virtual void FillDriveList();

protected:
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TbsSkinDirectoryListBox;
    void DrawDriveItem(TCanvas* Cnvs, int Index, const TRect& R);
    void DriveSelected(TObject* Sender);
    TBitmap* BitmapOf(unsigned type) const;

    TbsSkinDirectoryListBox* FDirList = nullptr;
    char FDrive = 0;
    TTextCase FTextCase = tcLowerCase;
    std::unique_ptr<TBitmap> FloppyBMP, FixedBMP, NetworkBMP, CDROMBMP, RAMBMP;
};

// One folder as a small tree: its path's levels, the folder itself and its
// subfolders, each with a picture and indented by level; a double click or
// Enter on a row moves there. A linked file list follows the folder, a linked
// label shows it shortened to fit. The folder is the list's own (absolute);
// the process's current directory is never used.
class TbsSkinDirectoryListBox : public TbsSkinListBox
{
public:
    explicit TbsSkinDirectoryListBox(TComponent* AOwner);
    ~TbsSkinDirectoryListBox() override;

    const std::string& Directory() const { return FDirectory; }
    // A folder, absolute or relative to Directory; raises EInOutError when
    // there is none.
    virtual void SetDirectory(const std::string& Value);
    char Drive() const;
    void SetDrive(char Value);
    bool PreserveCase() const { return FPreserveCase; }
    bool CaseSensitive() const { return FCaseSensitive; }
    TbsSkinFileListBox* FileList() const { return FFileList; }
    void SetFileList(TbsSkinFileListBox* Value);
    TbsSkinStdLabel* DirLabel() const { return FDirLabel; }
    void SetDirLabel(TbsSkinStdLabel* Value);
    TNotifyEvent OnChange;

    // To the drive's root (called by the drive combo box).
    void ChangeToDrive(char Letter);
    void OpenCurrent();
    void Update();
    std::string GetItemPath(int Index) const;
    const std::vector<TbsFolderRow>& Rows() const { return FRows; }
    std::string DisplayCase(const std::string& Name) const;
    int FileCompareText(const std::string& A, const std::string& B) const;
    virtual void FillFolderList();

protected:
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    int GetItemTextWidth(int Index, TCanvas* C) override;
    void DoListBoxDblClick() override;
    void DoListBoxKeyPress(char32_t& Key) override;
    virtual void Change();

private:
    friend class TbsSkinDriveComboBox;
    void EnterDirectory(const std::string& Folder);
    void UpdateDirLabel();
    void DrawFolderItem(TCanvas* Cnvs, int Index, const TRect& R);
    int Indent(int Index) const;

    TbsSkinFileListBox* FFileList = nullptr;
    TbsSkinDriveComboBox* FDriveCombo = nullptr;
    TbsSkinStdLabel* FDirLabel = nullptr;
    bool FInSetDir = false;
    bool FPreserveCase = true, FCaseSensitive = true;
    std::unique_ptr<TBitmap> ClosedBMP, OpenedBMP, CurrentBMP;
    std::string FDirectory;
    std::vector<TbsFolderRow> FRows;
};

// A combo box of file-type filters: Filter holds "description|mask" pairs;
// the descriptions are the entries, Mask the selected entry's mask, which a
// linked file list box takes on every change of the selection.
class TbsSkinFilterComboBox : public TbsSkinComboBox
{
public:
    explicit TbsSkinFilterComboBox(TComponent* AOwner);
    ~TbsSkinFilterComboBox() override;

    const std::string& Filter() const { return FFilterText; }
    // A filter equal to the current one but for letter case changes nothing.
    void SetFilter(const std::string& Value);
    TbsSkinFileListBox* FileList() const { return FFileList; }
    void SetFileList(TbsSkinFileListBox* Value);
    // The selected entry's mask; with entries but none selected the last one
    // is selected first; "*.*" without entries.
    std::string Mask();
    // The mask of entry i (the entries and masks pair by position).
    const std::vector<std::string>& MaskList() const { return FMaskList; }

protected:
    void CreateWnd() override;
    void Change() override;
    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TbsSkinFileListBox;
    void FillFilterList();
    std::string FFilterText;
    TbsSkinFileListBox* FFileList = nullptr;
    std::vector<std::string> FMaskList;
};

// A list box of one folder's entries matching Mask and FileType, sorted; a
// linked edit shows the selected name (or the mask). The folder is the
// list's own (absolute); the process's current directory is never used.
class TbsSkinFileListBox : public TbsSkinListBox
{
public:
    explicit TbsSkinFileListBox(TComponent* AOwner);
    ~TbsSkinFileListBox() override;

    const std::string& Directory() const { return FDirectory; }
    void SetDirectory(const std::string& Value) { ApplyFilePath(Value); }
    const std::string& Mask() const { return FMask; }
    void SetMask(const std::string& Value);
    TbsFileType FileType() const { return FFileType; }
    void SetFileType(TbsFileType Value);
    TCustomEdit* FileEdit() const { return FFileEdit; }
    void SetFileEdit(TCustomEdit* Value);
    // The drive holding Directory; setting another one moves to its root.
    char Drive() const;
    void SetDrive(char Value);
    // Directory joined with the selected row, or empty.
    virtual std::string GetFileName();
    void SetFileName(const std::string& Value) { ApplyFilePath(Value); }
    TNotifyEvent OnChange;

    // Moves to a folder (absolute, or relative to Directory); raises
    // EInOutError when it is not a folder.
    void EnterDirectory(const std::string& Folder);
    // A typed path: a folder to enter, a mask to set or a file to select.
    virtual void ApplyFilePath(const std::string& Text);
    void Update();
    virtual void FillFileList();

protected:
    void CreateWnd() override;
    void DoListBoxClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void Change();

private:
    friend class TbsSkinFilterComboBox;
    friend class TbsSkinDirectoryListBox;
    std::string GetSelectedItemText();
    void SelectFileName(const std::string& Name);

    std::string FDirectory;
    std::string FMask = "*.*";
    TbsFileType FFileType{bsftNormal};
    TCustomEdit* FFileEdit = nullptr;
    TbsSkinFilterComboBox* FFilterCombo = nullptr;
    TbsSkinDirectoryListBox* FDirList = nullptr;
    int FLastSel = -1;
};
