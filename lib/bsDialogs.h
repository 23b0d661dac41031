// The skinned dialogs, each a component whose Execute builds a form in code,
// runs it modally and keeps what the next run needs:
// - TbsSelectSkinDialog, the skin chooser: the stored skins' names on the
//   left and a small preview window drawn in the highlighted skin (from a
//   store of its own, so the application's skin stays as it is); it reports
//   a list index (skin-list mode) or a stored-skin component of the owner's
//   form (stored-skin mode);
// - TbsSkinSelectDirectoryDialog: a folder tree (OK gives Directory; Cancel
//   changes nothing and says so);
// - TbsSkinOpenDialog: a file pane with the folder box, Back (history), Up,
//   New Folder and view buttons, the name box and the filter box;
// - TbsSkinOpenPictureDialog / TbsSkinSavePictureDialog: the same with a
//   picture preview, and a save mode that asks before overwriting.
// Paths are Linux paths; nothing here changes the current directory.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinForm.h"
#include "lib/bsSkinShellCtrls.h"
#include "lib/bsfilectrl.h"
#include "lib/bsSkinCtrls/MenuSpeedButton.h"
#include "platform/gui/ExtCtrls.h"

// The preview window: a form drawn as a child window inside the chooser.
class TbsSkinPreviewForm : public TForm
{
public:
    using TForm::TForm;

protected:
    void CreateParams(TCreateParams& Params) override;
};

class TbsSelectSkinDlgForm : public TForm
{
public:
    // Stored-skin mode: the TbsCompressedStoredSkin components of AForm.
    TbsSelectSkinDlgForm(TComponent* AOwner, TComponent* AForm, TbsCompressedStoredSkin* ADefaultSkin,
                         TbsSkinData* ACtrlSkinData);
    // Skin-list mode: the entries of ASkinList, ASkinIndex highlighted.
    TbsSelectSkinDlgForm(TComponent* AOwner, TbsCompressedSkinList* ASkinList, int ASkinIndex,
                         TbsSkinData* ACtrlSkinData);

    TbsCompressedSkinList* FCSkinList = nullptr;
    int FCSkinIndex = -1;
    TbsSkinForm* BSF = nullptr;
    TbsSkinButton* OpenButton = nullptr;
    TbsSkinButton* CancelButton = nullptr;
    TbsSkinPreviewForm* PreviewForm = nullptr;
    TbsSkinForm* PreviewBSF = nullptr;
    TbsSkinData* PreviewSkinData = nullptr;
    TbsSkinButton* PreviewButton = nullptr;
    TbsSkinListBox* SkinsListBox = nullptr;
    // In the preview's place while the highlighted entry cannot be shown:
    // why (the entry is damaged, empty or of a newer format).
    TbsSkinStdLabel* PreviewErrorLabel = nullptr;
    // Stored-skin mode: the stored skins in list order (not owned).
    std::vector<TbsCompressedStoredSkin*> SkinList;

    void SLBOnChange(TObject* Sender);
    void SLBOnDblClick(TObject* Sender);
    // The stored skin last loaded into the preview.
    TbsCompressedStoredSkin* SelectedSkin() const;
    // False while the highlighted entry could not be loaded: OK is off then,
    // so the chooser never confirms an entry it did not show.
    bool PreviewShown() const { return FPreviewShown; }

private:
    // The controls, steps common to both modes up to the list's filling.
    void Build(TbsSkinData* ACtrlSkinData);
    void ShowPreview();
    // Runs a load of the preview store; one that fails shows its reason in
    // the preview's place and turns OK off until an entry loads.
    template <class Load>
    void LoadPreview(Load load);
    bool FPreviewShown = true;
    std::string FErrorCaption;
};

class TbsSelectSkinDialog : public TComponent
{
public:
    explicit TbsSelectSkinDialog(TComponent* AOwner);
    ~TbsSelectSkinDialog() override;

    TbsCompressedSkinList* SkinList() const { return FSkinList; }
    void SetSkinList(TbsCompressedSkinList* Value);
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 200;
    bool AlphaBlendAnimation = false;
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinData* CtrlSkinData() const { return FCtrlFSD; }
    void SetCtrlSkinData(TbsSkinData* Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    std::string Title = "Select skin";

    // Skin-list mode; False at once without a SkinList.
    bool Execute(int SkinIndex);
    // Stored-skin mode over the owner's components.
    bool Execute(TbsCompressedStoredSkin* DefaultCompressedSkin);

    TbsCompressedStoredSkin* SelectedSkin() const { return FSelectedSkin; }
    int SelectedSkinIndex() const { return FSelectedSkinIndex; }
    // The chooser while Execute runs, else null.
    TbsSelectSkinDlgForm* Form() const { return FForm; }
    // Applies the component's frame, fonts, stores and size to a built chooser
    // (Execute does it; the gallery shows the result).
    void Prepare(TbsSelectSkinDlgForm* F);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool Run(std::unique_ptr<TbsSelectSkinDlgForm> F, bool listMode);

    TbsCompressedSkinList* FSkinList = nullptr;
    TbsSkinData* FSD = nullptr;
    TbsSkinData* FCtrlFSD = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    TbsCompressedStoredSkin* FSelectedSkin = nullptr;
    int FSelectedSkinIndex = -1;
    TbsSelectSkinDlgForm* FForm = nullptr;
};

// ---------------------------------------------------------------------------
// The select-directory dialog.

class TbsSelDirDlgForm : public TForm
{
public:
    TbsSelDirDlgForm(TComponent* AOwner, TbsSkinData* ACtrlSkinData, bool AShowToolBar, bool AToolButtonsTransparent);

    TbsSkinData* CtrlSD = nullptr;
    bool ShowToolBar = false;
    TbsSkinForm* BSF = nullptr;
    TbsSkinPanel* DirTreeViewPanel = nullptr;
    TbsSkinPanel* BottomPanel = nullptr;
    TbsSkinDirTreeView* DirTreeView = nullptr;
    TbsSkinScrollBar* VScrollBar = nullptr;
    TbsSkinScrollBar* HScrollBar = nullptr;
    TbsSkinButton* OkButton = nullptr;
    TbsSkinButton* CancelButton = nullptr;
    TbsSkinPanel* ToolPanel = nullptr;
    TbsSkinSpeedButton* NewFolderToolButton = nullptr;
    TbsSkinEdit* DirEdit = nullptr;

    void DirTreeViewChange(TObject* Sender, TTreeNode* Node);
    // Enter in the folder edit: a typed folder is selected (and the default
    // OK button then returns it); one that does not exist, or is no folder,
    // is refused with a message and the dialog stays open.
    void DirEditKeyPress(TObject* Sender, char32_t& Key);
    void NewFolderToolButtonClick(TObject* Sender);

protected:
    // Enter in the folder edit reaches the default button only after the
    // edit has taken the typed folder.
    void WndProc(TMessage& m) override;

private:
    bool FEditEnter = false;   // the edit has seen the Enter whose dialog key follows
    bool FStay = false;        // and refused what was typed
};

class TbsSkinSelectDirectoryDialog : public TComponent
{
public:
    explicit TbsSkinSelectDirectoryDialog(TComponent* AOwner);
    ~TbsSkinSelectDirectoryDialog() override;

    TNotifyEvent OnShow, OnClose;
    bool ToolButtonsTransparent = false;
    // Client size of the next run (below 1: 280); kept after every run.
    int DialogWidth = 0, DialogHeight = 0;
    int DialogMinWidth = 0, DialogMinHeight = 0;
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinData* CtrlSkinData() const { return FCtrlFSD; }
    void SetCtrlSkinData(TbsSkinData* Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    std::string Title = "Select folder";
    // The starting folder, and after OK the chosen one (unchanged on Cancel).
    std::string Directory;
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 200;
    bool AlphaBlendAnimation = false;
    bool ShowToolBar = false;

    // True on OK (Directory then holds the folder), False on Cancel.
    bool Execute();
    // The form while Execute runs, else null.
    TbsSelDirDlgForm* Form() const { return FDlgFrm; }
    // Builds the form and applies the settings as Execute does (the gallery
    // shows it; Execute runs it).
    std::unique_ptr<TbsSelDirDlgForm> BuildForm();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TbsSkinData* FSD = nullptr;
    TbsSkinData* FCtrlFSD = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    TbsSelDirDlgForm* FDlgFrm = nullptr;
};

// ---------------------------------------------------------------------------
// The open file dialog and the picture dialogs.

class TbsOpenDlgForm : public TForm
{
public:
    TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData, bool AToolButtonsTransparent);
    ~TbsOpenDlgForm() override;

    bool SaveMode = false;
    // The folders visited, oldest first; the last is the folder shown.
    std::vector<TItemIDList> FolderHistory;
    bool StopAddToHistory = false;
    TbsSkinData* CtrlSD = nullptr;
    int NewFolderCount = 0;
    std::string DefaultExt;
    bool OverwritePromt = false;
    std::string FileName;
    bool CheckFileExists = true;
    TNotifyEvent OnFolderChange;

    TbsSkinForm* BSF = nullptr;
    TbsSkinPanel* FileListViewPanel = nullptr;
    TbsSkinPanel* BottomPanel = nullptr;
    TbsSkinScrollBar* FLVHScrollBar = nullptr;
    TbsSkinScrollBar* FLVVScrollBar = nullptr;
    TbsSkinFileListView* FileListView = nullptr;
    TbsSkinEdit* FileNameEdit = nullptr;
    TbsSkinFilterComboBox* FilterComboBox = nullptr;
    TbsSkinShellComboBox* ShellBox = nullptr;
    TbsSkinButton* OpenButton = nullptr;
    TbsSkinButton* CancelButton = nullptr;
    TbsSkinStdLabel* Drivelabel = nullptr;
    TbsSkinStdLabel* OpenFileLabel = nullptr;
    TbsSkinStdLabel* FileTypeLabel = nullptr;
    TbsSkinToolBar* ToolPanel = nullptr;
    TbsSkinSpeedButton* NewFolderToolButton = nullptr;
    TbsSkinSpeedButton* UpToolButton = nullptr;
    TbsSkinSpeedButton* BackToolButton = nullptr;
    TbsSkinMenuSpeedButton* StyleToolButton = nullptr;
    TbsSkinPopupMenu* StylePopupMenu = nullptr;
    TMenuItem* IconMenuItem = nullptr;
    TMenuItem* SmallIconMenuItem = nullptr;
    TMenuItem* ReportMenuItem = nullptr;
    TMenuItem* ListMenuItem = nullptr;

    void InitHistory();
    void BackToolButtonClick(TObject* Sender);
    void UpToolButtonClick(TObject* Sender);
    void NewFolderToolButtonClick(TObject* Sender);
    void SetViewStyle(TViewStyle Style);
    void OpenButtonClick(TObject* Sender);
    void FLVPathChange(TObject* Sender);
    void FLVDBLClick(TObject* Sender);
    void FLVKeyPress(TObject* Sender, char32_t& Key);
    void EditKeyPress(TObject* Sender, char32_t& Key);
    void FCBChange(TObject* Sender);
    virtual void FLVChange(TObject* Sender, TListItem* Item, TItemChange Change);
    // The extension a typed name without one receives ("" for none).
    virtual std::string DefaultExtension();
    // The extension of the selected filter's first pattern ("" when the
    // mask holds ".*").
    std::string FilterExtension();
    // The list's folder with a "/" at its end.
    std::string ListDir();

protected:
    // The form without its controls (the picture form builds them itself).
    struct TNoControls
    {
    };
    TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData, TNoControls);
    // The bottom row: the open form follows the width, the picture form not.
    virtual bool BottomFollowsWidth() const { return true; }
    // Asks the overwrite question; true when the answer is OK.
    bool AskOverwrite();
    // Runs a move of the list to another folder; a folder it refuses is
    // shown to the user and false comes back.
    bool Refusing(const std::function<void()>& Move);
    // A chosen file that cannot be taken (a FIFO, socket or device; in open
    // mode also one this process may not read): the user is told, true.
    bool RefusedFile(const std::string& Path);
    TbsResourceStrData* Strings() const;
    std::string Str(const char* key, const char* builtIn) const;
    // Builds the tool bar, the list and the bottom row; `before` runs first
    // (the picture form's preview pane), `beforeStyle` just before the
    // view-style button (its Stretch button).
    void BuildControls(bool AToolButtonsTransparent, const std::function<void()>& before,
                       const std::function<void()>& beforeStyle);
};

class TbsOpenPictureDlgForm : public TbsOpenDlgForm
{
public:
    TbsOpenPictureDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                          bool AToolButtonsTransparent);

    TbsSkinPanel* ImagePanel = nullptr;
    TImage* Image = nullptr;
    TbsSkinScrollBox* ScrollBox = nullptr;
    TbsSkinScrollBar* SBVScrollBar = nullptr;
    TbsSkinScrollBar* SBHScrollBar = nullptr;
    TbsSkinSpeedButton* StretchButton = nullptr;
    TbsSkinSplitter* Splitter = nullptr;
    // Shown in the preview pane instead of a picture that cannot be read.
    TbsSkinStdLabel* NoPreviewLabel = nullptr;

    void StretchButtonClick(TObject* Sender);
    void FLVChange(TObject* Sender, TListItem* Item, TItemChange Change) override;
    std::string DefaultExtension() override { return FilterExtension(); }
    // Shows the picture stretched (or at its size with scroll bars).
    void ApplyStretch(bool Stretched);
    // Loads a picture file into the preview (raises for an unknown extension
    // or unreadable content) and sizes the image unless it is stretched.
    void LoadPreview(const std::string& Path);
    // The preview of a file the user chose in the list: a file that is no
    // picture the program can read shows "no preview" and an empty image.
    void ShowPreview(const std::string& Path);

protected:
    bool BottomFollowsWidth() const override { return false; }
};

// What the open and the picture dialogs share: the settings, the run and
// the results.
class TbsCustomOpenDialog : public TComponent
{
public:
    explicit TbsCustomOpenDialog(TComponent* AOwner);
    ~TbsCustomOpenDialog() override;

    TNotifyEvent OnShow, OnClose;
    bool ShowHiddenFiles = false;
    bool ToolButtonsTransparent = false;
    // Asks before a save overwrites a file (save mode only).
    bool OverwritePromt = false;
    // Client size of the next run (below 1: the dialog's default); kept
    // after every run.
    int DialogWidth = 0, DialogHeight = 0;
    int DialogMinWidth = 0, DialogMinHeight = 0;
    bool CheckFileExists = true;
    bool MultiSelection = false;
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinData* CtrlSkinData() const { return FCtrlFSD; }
    void SetCtrlSkinData(TbsSkinData* Value);
    std::string LVHeaderSkinDataName = "resizebutton";
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    std::string Title;
    std::string InitialDir;
    // "description|mask|description|mask…"
    std::string Filter;
    // 1-based; the entry shown first, and after a run the entry left.
    int FilterIndex = 1;
    const std::string& FileName() const { return FFileName; }
    virtual void SetFileName(const std::string& Value) { FFileName = Value; }
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 225;
    bool AlphaBlendAnimation = false;
    bool CtrlAlphaBlend = false;
    std::uint8_t CtrlAlphaBlendValue = 225;
    bool CtrlAlphaBlendAnimation = false;
    // The chosen files after OK.
    TStringList* Files() const { return FFiles.get(); }
    TViewStyle ListViewStyle = vsList;

    // True on OK (FileName and Files then hold the choice), False on Cancel.
    bool Execute();
    // The form while Execute runs, else null.
    TbsOpenDlgForm* Form() const { return FDlgFrm; }
    // Builds the form and applies the settings as Execute does, up to the
    // modal run (the gallery shows it; Execute runs it).
    std::unique_ptr<TbsOpenDlgForm> BuildForm();
    // The folder a run starts in: the folder of FileName, else InitialDir,
    // else the program's folder, else the home folder; the first of them
    // that exists.
    std::string StartFolder() const;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual std::unique_ptr<TbsOpenDlgForm> MakeForm() = 0;
    virtual void PrepareForm(TbsOpenDlgForm* F);
    virtual void KeepSettings(TbsOpenDlgForm* F);
    virtual void TakeResults(TbsOpenDlgForm* F);
    virtual int DefaultWidth() const { return 450; }
    bool FSaveMode = false;
    std::string FFileName;
    TbsOpenDlgForm* FDlgFrm = nullptr;

private:
    TbsSkinData* FSD = nullptr;
    TbsSkinData* FCtrlFSD = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    std::unique_ptr<TStringList> FFiles;
};

class TbsSkinOpenDialog : public TbsCustomOpenDialog
{
public:
    explicit TbsSkinOpenDialog(TComponent* AOwner);

    // An extension without its dot, given to typed names without one.
    std::string DefaultExt;
    TNotifyEvent OnFolderChange;
    // While the dialog shows, also puts the name into its name box.
    void SetFileName(const std::string& Value) override;
    // While the dialog shows, the list's selected file; else "".
    std::string GetSelectedFile();

protected:
    std::unique_ptr<TbsOpenDlgForm> MakeForm() override;
    void PrepareForm(TbsOpenDlgForm* F) override;
};

class TbsSkinOpenPictureDialog : public TbsCustomOpenDialog
{
public:
    explicit TbsSkinOpenPictureDialog(TComponent* AOwner);

    // Every run starts with the picture stretched.
    bool StretchPicture = false;
    // The preview pane's width and stretch state, kept from run to run.
    int ImagePanelWidth = 190;
    bool DialogStretch = false;

protected:
    std::unique_ptr<TbsOpenDlgForm> MakeForm() override;
    void PrepareForm(TbsOpenDlgForm* F) override;
    void KeepSettings(TbsOpenDlgForm* F) override;
    void TakeResults(TbsOpenDlgForm* F) override;
    int DefaultWidth() const override { return 550; }
};

// The picture dialog in save mode: "Save file", the Save button, and it
// asks before overwriting an existing file.
class TbsSkinSavePictureDialog : public TbsSkinOpenPictureDialog
{
public:
    explicit TbsSkinSavePictureDialog(TComponent* AOwner);
};

// The 16 x 16 tool glyphs of the file dialogs ("BS_BACK", "BS_UP",
// "BS_NEWFOLDER", "BS_LVSTYLE", "BS_STRETCH"), drawn in code on a ground
// the bottom-left pixel names as transparent; null for another name. Lines
// that stand on the ground are drawn in `Ink`.
std::unique_ptr<TBitmap> bsDialogGlyph(const std::string& Name, TColor Ink = TColor(0x303030));
