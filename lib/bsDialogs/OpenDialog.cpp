// The open file dialog: its form (tool bar with the folder box, Back, Up,
// New Folder and view buttons; the file pane; the name and filter boxes),
// the form's handlers, and the component base the picture dialogs share.
#include <algorithm>

#include "lib/bsDialogs/Internal.h"
#include "lib/bsMessages.h"
#include "platform/sys/Files.h"
#include "platform/sys/UserFolders.h"

using namespace bsdialogs;

namespace
{
// The extension of a name: from its last "." on, when no "/" follows it.
std::string ExtensionOf(const std::string& Name)
{
    const std::size_t dot = Name.rfind('.');
    if (dot == std::string::npos || Name.find('/', dot) != std::string::npos) return {};
    return Name.substr(dot);
}

// The name part of a path (after its last "/").
std::string NamePart(const std::string& Path)
{
    const std::size_t slash = Path.rfind('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The extension of a mask's first pattern; "" when the mask holds ".*".
std::string MaskExtension(const std::string& Mask)
{
    if (Mask.find(".*") != std::string::npos) return {};
    const std::size_t semi = Mask.find(';');
    return ExtensionOf(semi == std::string::npos ? Mask : Mask.substr(0, semi));
}

TbsSkinStdLabel* MakeLabel(TComponent* Owner, TWinControl* Parent, int X, int Y, const std::string& Caption)
{
    auto* l = new TbsSkinStdLabel(Owner);
    l->SetLeft(X);
    l->SetTop(Y);
    l->SetAutoSize(true);
    l->SetCaption(Caption);
    l->SetParent(Parent);
    return l;
}
}  // namespace

// ---------------------------------------------------------------------------
TbsOpenDlgForm::TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData, TNoControls)
    : TForm(AOwner), SaveMode(ASaveMode), CtrlSD(ACtrlSkinData)
{
    KeyPreview = true;
    SetPosition(poScreenCenter);
    BSF = new TbsSkinForm(this);
}

TbsOpenDlgForm::TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                               bool AToolButtonsTransparent)
    : TbsOpenDlgForm(AOwner, ASaveMode, ACtrlSkinData, TNoControls{})
{
    BuildControls(AToolButtonsTransparent, nullptr, nullptr);
}

TbsOpenDlgForm::~TbsOpenDlgForm() { FolderHistory.clear(); }

TbsResourceStrData* TbsOpenDlgForm::Strings() const { return CtrlSD ? CtrlSD->ResourceStrData() : nullptr; }

std::string TbsOpenDlgForm::Str(const char* key, const char* builtIn) const { return Text(CtrlSD, key, builtIn); }

void TbsOpenDlgForm::BuildControls(bool Flat, const std::function<void()>& before,
                                   const std::function<void()>& beforeStyle)
{
    if (before) before();
    const int W = Width();
    ToolPanel = new TbsSkinToolBar(this);
    ToolPanel->SetDefaultHeight(25);
    ToolPanel->SetBorderStyle(TbsSkinBorderStyle::bvNone);
    ToolPanel->SetSkinDataName("toolpanel");
    ToolPanel->SetParent(this);
    ToolPanel->SetAlign(alTop);

    auto* spacer = new TbsSkinBevel(this);
    spacer->SetBounds(0, 0, 10, 25);
    spacer->SetShape(bsSpacer);
    spacer->SetParent(ToolPanel);
    spacer->SetAlign(alLeft);

    Drivelabel = new TbsSkinStdLabel(this);
    Drivelabel->SetLeft(10);
    Drivelabel->SetAutoSize(true);
    Drivelabel->SetLayout(tlCenter);
    Drivelabel->SetCaption(Str("FLV_LOOKIN", "Look in: "));
    Drivelabel->SetParent(ToolPanel);
    Drivelabel->SetAlign(alLeft);

    BackToolButton = MakeToolButton(this, ToolPanel, W, "BS_BACK", Str("MSG_BTN_BACK_HINT", "Go To Last Folder Visited"), Flat);
    BackToolButton->OnClick = [this](TObject* s) { BackToolButtonClick(s); };
    UpToolButton = MakeToolButton(this, ToolPanel, W, "BS_UP", Str("MSG_BTN_UP_HINT", "Up One Level"), Flat);
    UpToolButton->OnClick = [this](TObject* s) { UpToolButtonClick(s); };
    NewFolderToolButton =
        MakeToolButton(this, ToolPanel, W, "BS_NEWFOLDER", Str("MSG_BTN_NEWFOLDER_HINT", "Create New Folder"), Flat);
    NewFolderToolButton->OnClick = [this](TObject* s) { NewFolderToolButtonClick(s); };
    if (beforeStyle) beforeStyle();

    auto* spacer2 = new TbsSkinBevel(this);
    spacer2->SetBounds(W, 0, 10, 25);
    spacer2->SetShape(bsSpacer);
    spacer2->SetParent(ToolPanel);
    spacer2->SetAlign(alRight);

    StylePopupMenu = new TbsSkinPopupMenu(this);
    auto item = [this](const char* key, const char* text, TViewStyle style) {
        auto* m = new TMenuItem(StylePopupMenu);
        m->SetCaption(Str(key, text));
        m->SetRadioItem(true);
        m->OnClick = [this, style](TObject*) { SetViewStyle(style); };
        StylePopupMenu->Items()->Add(m);
        return m;
    };
    IconMenuItem = item("MSG_LV_ICON", "Large icons", vsIcon);
    SmallIconMenuItem = item("MSG_LV_SMALLICON", "Small icons", vsSmallIcon);
    ListMenuItem = item("MSG_LV_LIST", "List", vsList);
    ReportMenuItem = item("MSG_LV_DETAILS", "Details", vsReport);

    StyleToolButton = new TbsSkinMenuSpeedButton(this);
    StyleToolButton->SetDefaultWidth(37);
    StyleToolButton->SetDefaultHeight(25);
    StyleToolButton->SetLeft(W);
    StyleToolButton->SkinDataName = "toolmenubutton";
    std::unique_ptr<TBitmap> g = bsDialogGlyph("BS_LVSTYLE");
    StyleToolButton->SetGlyph(g.get());
    StyleToolButton->SetSkinPopupMenu(StylePopupMenu);
    StyleToolButton->SetHint(Str("MSG_BTN_VIEWMENU_HINT", "View Menu"));
    StyleToolButton->SetShowHint(true);
    StyleToolButton->SetParent(ToolPanel);
    StyleToolButton->SetAlign(alRight);

    ShellBox = new TbsSkinShellComboBox(this);
    ShellBox->SetName("ShellBox");
    ShellBox->SetBounds(0, 0, 190, 20);
    ShellBox->SetDropDownCount(10);
    ShellBox->SetParent(ToolPanel);
    ShellBox->SetAlign(alClient);

    BottomPanel = new TbsSkinPanel(this);
    BottomPanel->SetParent(this);
    BottomPanel->SetAlign(alBottom);
    BottomPanel->SetHeight(80);
    BottomPanel->SetBorderStyle(TbsSkinBorderStyle::bvNone);

    FileListViewPanel = new TbsSkinPanel(this);
    FileListViewPanel->SetParent(this);
    FileListViewPanel->SetAlign(alClient);
    FileListViewPanel->SetBorderStyle(TbsSkinBorderStyle::bvFrame);

    FLVHScrollBar = new TbsSkinScrollBar(this);
    FLVHScrollBar->SetDefaultHeight(19);
    FLVHScrollBar->SetBothMarkerWidth(19);
    FLVHScrollBar->SetEnabled(false);
    FLVHScrollBar->SetSkinDataName("hscrollbar");
    FLVHScrollBar->SetParent(FileListViewPanel);
    FLVHScrollBar->SetAlign(alBottom);

    FLVVScrollBar = new TbsSkinScrollBar(this);
    FLVVScrollBar->SetKind(sbVertical);
    FLVVScrollBar->SetDefaultWidth(19);
    FLVVScrollBar->SetEnabled(false);
    FLVVScrollBar->SetSkinDataName("vscrollbar");
    FLVVScrollBar->SetParent(FileListViewPanel);
    FLVVScrollBar->SetAlign(alRight);

    FileListView = new TbsSkinFileListView(this);
    FileListView->SetName("FileListView");
    FileListView->SetParent(FileListViewPanel);
    FileListView->SetAlign(alClient);
    FileListView->SetViewStyle(vsList);
    FileListView->SetShowColumnHeaders(true);
    FileListView->SetHScrollBar(FLVHScrollBar);
    FileListView->SetVScrollBar(FLVVScrollBar);
    FileListView->HideSelection = false;
    FileListView->SetShellComboBox(ShellBox);
    ShellBox->SetShellListView(FileListView);
    FileListView->TCustomListView::OnChange = [this](TObject* s, TListItem* i, TItemChange c) { FLVChange(s, i, c); };
    FileListView->OnPathChanged = [this](TObject* s) { FLVPathChange(s); };
    FileListView->OnDblClick = [this](TObject* s) { FLVDBLClick(s); };
    FileListView->OnKeyPress = [this](TObject* s, char32_t& k) { FLVKeyPress(s, k); };

    const int cw = ClientWidth();
    const bool follow = BottomFollowsWidth();
    FileNameEdit = new TbsSkinEdit(this);
    FileNameEdit->SetName("FileNameEdit");
    FileNameEdit->SetDefaultHeight(21);
    FileNameEdit->SetBounds(70, 10, follow ? cw - 160 : 280, 21);
    FileNameEdit->SetParent(BottomPanel);
    if (follow) FileNameEdit->SetAnchors(TAnchors{akLeft, akTop, akRight});
    FileNameEdit->OnKeyPress = [this](TObject* s, char32_t& k) { EditKeyPress(s, k); };

    FilterComboBox = new TbsSkinFilterComboBox(this);
    FilterComboBox->SetName("FilterComboBox");
    FilterComboBox->SetDefaultHeight(21);
    FilterComboBox->SetBounds(70, 45, follow ? cw - 160 : 280, 21);
    FilterComboBox->SetParent(BottomPanel);
    if (follow) FilterComboBox->SetAnchors(TAnchors{akLeft, akTop, akRight});
    FilterComboBox->OnChange = [this](TObject* s) { FCBChange(s); };

    OpenButton = new TbsSkinButton(this);
    OpenButton->SetName("OpenButton");
    OpenButton->SetDefaultHeight(25);
    OpenButton->SetBounds(follow ? cw - 80 : 370, 10, 70, 25);
    OpenButton->SetCaption(SaveMode ? Str("MSG_BTN_SAVE", "&Save") : Str("MSG_BTN_OPEN", "&Open"));
    OpenButton->SetCanFocused(true);
    OpenButton->SetParent(BottomPanel);
    if (follow) OpenButton->SetAnchors(TAnchors{akTop, akRight});
    OpenButton->OnClick = [this](TObject* s) { OpenButtonClick(s); };

    CancelButton = new TbsSkinButton(this);
    CancelButton->SetName("CancelButton");
    CancelButton->SetDefaultHeight(25);
    CancelButton->SetBounds(follow ? cw - 80 : 370, 45, 70, 25);
    CancelButton->SetCaption(Str("MSG_BTN_CANCEL", "Cancel"));
    CancelButton->SetCanFocused(true);
    CancelButton->SetParent(BottomPanel);
    if (follow) CancelButton->SetAnchors(TAnchors{akTop, akRight});
    CancelButton->ModalResult = mrCancel;
    CancelButton->Cancel = true;

    OpenFileLabel = MakeLabel(this, BottomPanel, 10, 10, Str("MSG_FILENAME", "File name:"));
    FileTypeLabel = MakeLabel(this, BottomPanel, 10, 45, Str("MSG_FILETYPE", "File type:"));
    SetActiveControl(FileNameEdit);
}

// ---------------------------------------------------------------------------
std::string TbsOpenDlgForm::ListDir()
{
    std::string dir = FileListView->RootFolder() ? FileListView->RootFolder()->FullObjectName() : std::string();
    return dir.empty() ? dir : sys::IncludeTrailingPathDelimiter(dir);
}

std::string TbsOpenDlgForm::FilterExtension() { return MaskExtension(FilterComboBox->Mask()); }

std::string TbsOpenDlgForm::DefaultExtension()
{
    if (!DefaultExt.empty()) return "." + DefaultExt;
    return FilterExtension();
}

bool TbsOpenDlgForm::AskOverwrite()
{
    TbsSkinMessage msg(this);
    msg.SetSkinData(BSF->SkinData());
    msg.SetCtrlSkinData(CtrlSD);
    return msg.MessageDlg(Str("MSG_OVERWRITE", "Do you want to overwrite old file?"), mtWarning, {mbOK, mbCancel},
                          0) == mrOk;
}

void TbsOpenDlgForm::OpenButtonClick(TObject*)
{
    const std::string name = FileNameEdit->GetText();
    // A typed absolute path stands for itself.
    const std::string full = !name.empty() && name[0] == '/' ? name : ListDir() + name;
    if (SaveMode)
    {
        if (name.empty() || name.find('*') != std::string::npos || (ListDir().empty() && name[0] != '/')) return;
        const std::string full2 = ExtensionOf(NamePart(full)).empty() ? full + FilterExtension() : full;
        if (RefusedFile(full2)) return;
        if (OverwritePromt && sys::FileExists(full2) && !AskOverwrite()) return;
        FileName = full;
        SetModalResult(mrOk);
        return;
    }
    const std::string sel = FileListView->GetSelectedFile();
    const std::string full2 = ExtensionOf(NamePart(full)).empty() ? full + DefaultExtension() : full;
    if (sel.empty() && CheckFileExists && !name.empty() && !sys::FileExists(full2)) return;
    if (name.empty()) return;
    // Every file chosen is one the program can read: not a FIFO, socket or
    // device (reading one would wait for ever), not one it may not read.
    std::vector<std::string> chosen = FileListView->SelectedFiles();
    chosen.push_back(sel.empty() ? full2 : sel);
    for (const std::string& f : chosen)
        if (RefusedFile(f)) return;
    FileName = sel.empty() ? full2 : sel;
    if (!CheckFileExists)
    {
        SetModalResult(mrOk);
        return;
    }
    if (sys::FileExists(FileName)) SetModalResult(mrOk);
    else FileName.clear();
}

bool TbsOpenDlgForm::RefusedFile(const std::string& Path)
{
    std::string why;
    if (sys::IsSpecialFile(Path))
        why = ShellText(FileListView, "SHELL_ERR_NOTFILE", "“%s”不是普通文件，无法打开。", Path);
    else if (!SaveMode && sys::FileExists(Path) && !sys::FileReadable(Path))
        why = ShellText(FileListView, "SHELL_ERR_UNREADABLEFILE", "无法读取文件“%s”：没有读取权限。", Path);
    if (why.empty()) return false;
    ShowShellError(FileListView, why);
    return true;
}

void TbsOpenDlgForm::EditKeyPress(TObject*, char32_t& Key)
{
    if (Key != 13) return;
    const std::string name = FileNameEdit->GetText();
    if (name.find('*') != std::string::npos)
        FileListView->SetMask(name);
    else if (name.find('/') != std::string::npos)
    {
        const std::string folder = name[0] == '/' ? name : ListDir() + name;
        if (FolderExists(folder)) Refusing([&] { FileListView->SetPath(sys::ExpandFileName(folder)); });
    }
    else
        OpenButtonClick(FileNameEdit);
}

void TbsOpenDlgForm::FLVKeyPress(TObject*, char32_t& Key)
{
    if (Key == 13 && !FileListView->GetSelectedFile().empty()) OpenButtonClick(FileListView);
}

void TbsOpenDlgForm::FLVDBLClick(TObject*)
{
    const std::string sel = FileListView->GetSelectedFile();
    if (sel.empty() || RefusedFile(sel)) return;
    if (SaveMode && OverwritePromt && !AskOverwrite()) return;
    FileName = sel;
    SetModalResult(mrOk);
}

void TbsOpenDlgForm::FLVChange(TObject*, TListItem*, TItemChange)
{
    const std::string name = NamePart(FileListView->GetSelectedFile());
    if (!name.empty()) FileNameEdit->SetText(name);
    if (OnFolderChange) OnFolderChange(this);
}

void TbsOpenDlgForm::FCBChange(TObject*)
{
    FileListView->SetMask(FilterComboBox->Mask());
    if (!SaveMode) return;
    const std::string ext = FilterExtension();
    const std::string name = FileNameEdit->GetText();
    if (ext.empty() || name.empty()) return;
    const std::string old = ExtensionOf(name);
    FileNameEdit->SetText(name.substr(0, name.size() - old.size()) + ext);
}

void TbsOpenDlgForm::InitHistory()
{
    // The starting folder (already there when opening it was reported).
    if (!FileListView->RootFolder()) return;
    const TItemIDList& id = FileListView->RootFolder()->AbsoluteID();
    if (FolderHistory.empty() || !shell::ItemIDListsEqual(FolderHistory.back(), id)) FolderHistory.push_back(id);
}

void TbsOpenDlgForm::FLVPathChange(TObject*)
{
    if (!StopAddToHistory && FileListView->RootFolder())
    {
        const TItemIDList& id = FileListView->RootFolder()->AbsoluteID();
        if (FolderHistory.empty() || !shell::ItemIDListsEqual(FolderHistory.back(), id)) FolderHistory.push_back(id);
    }
    if (FileListView->Items()->Count() > 0) FileListView->SetItemFocused(FileListView->Items()->Item(0));
    if (OnFolderChange) OnFolderChange(this);
}

void TbsOpenDlgForm::BackToolButtonClick(TObject*)
{
    if (FolderHistory.size() < 2) return;
    StopAddToHistory = true;
    struct TEnd
    {
        bool& flag;
        ~TEnd() { flag = false; }
    } end{StopAddToHistory};
    const TItemIDList previous = FolderHistory[FolderHistory.size() - 2];
    // A folder that can no longer be listed stays in the history.
    if (Refusing([&] { FileListView->SyncToItemIDList(previous); })) FolderHistory.pop_back();
}

void TbsOpenDlgForm::UpToolButtonClick(TObject*)
{
    Refusing([&] { FileListView->Back(); });
}

bool TbsOpenDlgForm::Refusing(const std::function<void()>& Move)
{
    try
    {
        Move();
        return true;
    }
    catch (const EInvalidPath& e)
    {
        ShowShellError(FileListView, e.what());
        return false;
    }
}

void TbsOpenDlgForm::SetViewStyle(TViewStyle Style)
{
    FileListView->SetViewStyle(Style);
    IconMenuItem->SetChecked(Style == vsIcon);
    SmallIconMenuItem->SetChecked(Style == vsSmallIcon);
    ListMenuItem->SetChecked(Style == vsList);
    ReportMenuItem->SetChecked(Style == vsReport);
}

void TbsOpenDlgForm::NewFolderToolButtonClick(TObject*)
{
    const std::string dir = ListDir();
    if (dir.empty()) return;   // a virtual folder (Computer): nothing to make
    ++NewFolderCount;
    std::string name = Str("MSG_NEWFOLDER", "New Folder");
    if (NewFolderCount > 1) name += "(" + std::to_string(NewFolderCount) + ")";
    // A taken name makes nothing; the count stays, so the next click tries the next number.
    if (!MakeNewFolder(dir, name)) return;
    FileListView->ReloadFolder();
    Application->ProcessMessages();
    for (int i = 0; i < FileListView->FolderCount(); ++i)
        if (FileListView->FolderAt(i)->DisplayName() == name)
        {
            FileListView->SetItemIndex(i);
            // The editor lives in the list: the list takes the focus first.
            if (FileListView->CanFocus()) FileListView->SetFocus();
            FileListView->BeginRenameSelected();
            break;
        }
}

// ---------------------------------------------------------------------------
TbsCustomOpenDialog::TbsCustomOpenDialog(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(MakeDialogFont()), FFiles(std::make_unique<TStringList>())
{
}

TbsCustomOpenDialog::~TbsCustomOpenDialog()
{
    SetSkinData(nullptr);
    SetCtrlSkinData(nullptr);
}

void TbsCustomOpenDialog::SetSkinData(TbsSkinData* Value) { SetStore(this, FSD, FCtrlFSD, Value); }

void TbsCustomOpenDialog::SetCtrlSkinData(TbsSkinData* Value) { SetStore(this, FCtrlFSD, FSD, Value); }

void TbsCustomOpenDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD) FSD = nullptr;
    if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

std::string TbsCustomOpenDialog::StartFolder() const
{
    std::vector<std::string> candidates;
    const std::size_t slash = FFileName.rfind('/');
    if (slash != std::string::npos) candidates.push_back(FFileName.substr(0, slash + 1));
    if (!InitialDir.empty()) candidates.push_back(InitialDir);
    candidates.push_back(sys::ProgramFolder());
    candidates.push_back(sys::SpecialFolder(sys::sfHome));
    TItemIDList id;
    for (const std::string& c : candidates)
        if (FolderExists(c) && shell::ParseDisplayName(c, id) && shell::FolderState(id) == shell::fsListable) return c;
    return "/";
}

void TbsCustomOpenDialog::PrepareForm(TbsOpenDlgForm* F)
{
    F->CheckFileExists = CheckFileExists;
    F->OverwritePromt = OverwritePromt;
    F->SetCaption(Title);
    ApplyFrame(F->BSF, FSD, FCtrlFSD, DialogMinWidth, DialogMinHeight, AlphaBlend, AlphaBlendValue,
               AlphaBlendAnimation);
    for (TbsSkinCustomComboBox* box : std::initializer_list<TbsSkinCustomComboBox*>{F->ShellBox, F->FilterComboBox})
    {
        box->Alpha.AlphaBlend = CtrlAlphaBlend;
        box->Alpha.AlphaBlendValue = CtrlAlphaBlendValue;
        box->Alpha.AlphaBlendAnimation = CtrlAlphaBlendAnimation;
    }
    F->OpenButton->SetDefaultFont(FDefaultFont.get());
    F->CancelButton->SetDefaultFont(FDefaultFont.get());
    F->ShellBox->SetDefaultFont(FDefaultFont.get());
    F->FileListView->SetDefaultFont(FDefaultFont.get());
    F->SetViewStyle(ListViewStyle);
    F->FileListView->SetHeaderSkinDataName(LVHeaderSkinDataName);
    F->FileListView->SetSkinData(FCtrlFSD);
    F->FileListView->SetMultiSelect(MultiSelection);
    if (ShowHiddenFiles) F->FileListView->SetObjectTypes(F->FileListView->ObjectTypes() + TShellObjectTypes{otHidden});
    // The filter box makes its entries with its window; then the entry asked
    // for is chosen, and its mask is the list's first mask. The mask is set
    // before the folder, so the folder is read once.
    F->FilterComboBox->HandleNeeded();
    F->FilterComboBox->SetFilter(Filter);
    const int count = F->FilterComboBox->Items()->Count();
    if (count > 0) F->FilterComboBox->SetItemIndex(std::clamp(FilterIndex - 1, 0, count - 1));
    F->FileListView->SetMask(F->FilterComboBox->Mask());
    // The first folder that exists: never an error before the dialog shows.
    F->FileListView->SetPath(StartFolder());
    for (TbsSkinControl* c : std::initializer_list<TbsSkinControl*>{
             F->FileListViewPanel, F->BottomPanel, F->ToolPanel, F->FLVHScrollBar,
             F->FLVVScrollBar, F->FilterComboBox, F->OpenButton, F->CancelButton, F->ShellBox})
        c->SetSkinData(FCtrlFSD);
    for (TbsSkinSpeedButton* b : {F->UpToolButton, F->BackToolButton, F->NewFolderToolButton,
                                  static_cast<TbsSkinSpeedButton*>(F->StyleToolButton)})
        b->SetSkinData(FCtrlFSD);
    InkToolGlyph(F->StyleToolButton, "BS_LVSTYLE", FCtrlFSD);
    for (TbsSkinStdLabel* l : {F->Drivelabel, F->OpenFileLabel, F->FileTypeLabel}) l->SetSkinData(FCtrlFSD);
    F->FileNameEdit->SetSkinData(FCtrlFSD);
    F->ShellBox->SetSkinDataName("combobox");
    F->StylePopupMenu->SetSkinData(FCtrlFSD);
    ApplyClientSize(F, F->BSF, FSD, DialogWidth, DialogHeight, DefaultWidth(), 290);
    if (F->FileListView->Items()->Count() > 0) F->FileListView->SetItemFocused(F->FileListView->Items()->Item(0));
    const std::size_t slash = FFileName.rfind('/');
    F->FileNameEdit->SetText(slash == std::string::npos ? FFileName : FFileName.substr(slash + 1));
    F->InitHistory();
}

void TbsCustomOpenDialog::KeepSettings(TbsOpenDlgForm* F)
{
    FilterIndex = F->FilterComboBox->ItemIndex() + 1;
    DialogWidth = F->ClientWidth();
    DialogHeight = F->ClientHeight();
    ListViewStyle = F->FileListView->GetViewStyle();
}

void TbsCustomOpenDialog::TakeResults(TbsOpenDlgForm* F)
{
    FFileName = F->FileName;
    F->FileListView->GetSelectedFiles(FFiles.get());
    // A typed name (no file selected) is the choice: Files holds it too.
    if (!FFileName.empty() && FFiles->IndexOf(FFileName) < 0)
    {
        FFiles->Clear();
        FFiles->Add(FFileName);
    }
}

std::unique_ptr<TbsOpenDlgForm> TbsCustomOpenDialog::BuildForm()
{
    std::unique_ptr<TbsOpenDlgForm> F = MakeForm();
    PrepareForm(F.get());
    return F;
}

bool TbsCustomOpenDialog::Execute()
{
    if (OnShow) OnShow(this);
    TFormRun<TbsOpenDlgForm> run(this, OnClose, FDlgFrm);
    run.Take(MakeForm());
    PrepareForm(FDlgFrm);
    const bool ok = FDlgFrm->ShowModal() == mrOk;
    KeepSettings(FDlgFrm);
    if (ok) TakeResults(FDlgFrm);
    return ok;
}

// ---------------------------------------------------------------------------
TbsSkinOpenDialog::TbsSkinOpenDialog(TComponent* AOwner) : TbsCustomOpenDialog(AOwner)
{
    Title = "Open file";
    Filter = "All files|*.*";
}

void TbsSkinOpenDialog::SetFileName(const std::string& Value)
{
    FFileName = Value;
    if (FDlgFrm) FDlgFrm->FileNameEdit->SetText(Value);
}

std::string TbsSkinOpenDialog::GetSelectedFile()
{
    return FDlgFrm ? FDlgFrm->FileListView->GetSelectedFile() : std::string();
}

std::unique_ptr<TbsOpenDlgForm> TbsSkinOpenDialog::MakeForm()
{
    return std::make_unique<TbsOpenDlgForm>(Application, FSaveMode, CtrlSkinData(), ToolButtonsTransparent);
}

void TbsSkinOpenDialog::PrepareForm(TbsOpenDlgForm* F)
{
    F->DefaultExt = DefaultExt;
    TbsCustomOpenDialog::PrepareForm(F);
    F->OnFolderChange = OnFolderChange;
}
