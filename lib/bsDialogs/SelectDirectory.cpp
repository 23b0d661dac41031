// The select-directory dialog: a folder tree with OK and Cancel, and, with
// the tool bar, a folder edit and a New Folder button.
#include <utility>

#include "lib/bsDialogs/Internal.h"
#include "platform/sys/Files.h"

using namespace bsdialogs;

TbsSelDirDlgForm::TbsSelDirDlgForm(TComponent* AOwner, TbsSkinData* ACtrlSkinData, bool AShowToolBar,
                                   bool AToolButtonsTransparent)
    : TForm(AOwner), CtrlSD(ACtrlSkinData), ShowToolBar(AShowToolBar)
{
    KeyPreview = true;
    SetPosition(poScreenCenter);
    BSF = new TbsSkinForm(this);
    if (AShowToolBar)
    {
        ToolPanel = new TbsSkinPanel(this);
        ToolPanel->SetDefaultHeight(25);
        ToolPanel->SetBorderStyle(TbsSkinBorderStyle::bvNone);
        ToolPanel->SetSkinDataName("toolpanel");
        ToolPanel->SetParent(this);
        ToolPanel->SetAlign(alTop);
        NewFolderToolButton = MakeToolButton(this, ToolPanel, Width(), "BS_NEWFOLDER",
                                             Text(CtrlSD, "MSG_BTN_NEWFOLDER_HINT", "Create New Folder"),
                                             AToolButtonsTransparent);
        NewFolderToolButton->OnClick = [this](TObject* s) { NewFolderToolButtonClick(s); };
        auto* spacer = new TbsSkinBevel(this);
        spacer->SetWidth(5);
        spacer->SetShape(bsSpacer);
        spacer->SetLeft(Width());
        spacer->SetParent(ToolPanel);
        spacer->SetAlign(alRight);
        DirEdit = new TbsSkinEdit(this);
        DirEdit->SetDefaultHeight(25);
        DirEdit->SetParent(ToolPanel);
        DirEdit->SetAlign(alClient);
        DirEdit->OnKeyPress = [this](TObject* s, char32_t& k) { DirEditKeyPress(s, k); };
    }
    DirTreeViewPanel = new TbsSkinPanel(this);
    DirTreeViewPanel->SetParent(this);
    DirTreeViewPanel->SetAlign(alClient);
    DirTreeViewPanel->SetBorderStyle(TbsSkinBorderStyle::bvFrame);

    VScrollBar = new TbsSkinScrollBar(this);
    VScrollBar->SetKind(sbVertical);
    VScrollBar->SetDefaultWidth(19);
    VScrollBar->SetEnabled(false);
    VScrollBar->SetSkinDataName("vscrollbar");
    VScrollBar->SetParent(DirTreeViewPanel);
    VScrollBar->SetAlign(alRight);

    HScrollBar = new TbsSkinScrollBar(this);
    HScrollBar->SetDefaultHeight(19);
    HScrollBar->SetEnabled(false);
    HScrollBar->SetBothMarkerWidth(19);
    HScrollBar->SetSkinDataName("hscrollbar");
    HScrollBar->SetParent(DirTreeViewPanel);
    HScrollBar->SetAlign(alBottom);

    DirTreeView = new TbsSkinDirTreeView(this);
    DirTreeView->SetName("DirTreeView");
    DirTreeView->SetParent(DirTreeViewPanel);
    DirTreeView->SetAlign(alClient);
    DirTreeView->SetHScrollBar(HScrollBar);
    DirTreeView->SetVScrollBar(VScrollBar);
    DirTreeView->SetObjectTypes(DirTreeView->ObjectTypes() + TShellObjectTypes{otHidden});
    DirTreeView->HideSelection = false;
    DirTreeView->TCustomTreeView::OnChange = [this](TObject* s, TTreeNode* n) { DirTreeViewChange(s, n); };

    BottomPanel = new TbsSkinPanel(this);
    BottomPanel->SetParent(this);
    BottomPanel->SetAlign(alBottom);
    BottomPanel->SetHeight(50);
    BottomPanel->SetBorderStyle(TbsSkinBorderStyle::bvNone);

    OkButton = new TbsSkinButton(this);
    OkButton->SetName("OkButton");
    OkButton->SetDefaultHeight(25);
    OkButton->SetBounds(20, 15, 70, 25);
    OkButton->SetDefault(true);
    OkButton->SetCaption(Text(CtrlSD, "MSG_BTN_OK", "OK"));
    OkButton->SetCanFocused(true);
    OkButton->ModalResult = mrOk;
    OkButton->SetParent(BottomPanel);

    CancelButton = new TbsSkinButton(this);
    CancelButton->SetName("CancelButton");
    CancelButton->SetDefaultHeight(25);
    CancelButton->SetBounds(100, 15, 70, 25);
    CancelButton->SetCaption(Text(CtrlSD, "MSG_BTN_CANCEL", "Cancel"));
    CancelButton->SetCanFocused(true);
    CancelButton->ModalResult = mrCancel;
    CancelButton->Cancel = true;
    CancelButton->SetParent(BottomPanel);
}

void TbsSelDirDlgForm::DirTreeViewChange(TObject*, TTreeNode*)
{
    if (ShowToolBar && DirEdit) DirEdit->SetText(DirTreeView->Path());
}

void TbsSelDirDlgForm::DirEditKeyPress(TObject*, char32_t& Key)
{
    if (Key != 13) return;
    FEditEnter = true;
    const std::string text = DirEdit->GetText();
    if (text.empty() || text == DirTreeView->Path()) return;   // OK as it stands
    // A relative name is read against the selected folder.
    const std::string base = DirTreeView->SelectedFolder() ? DirTreeView->SelectedFolder()->FullObjectName() : "";
    const std::string path =
        sys::ExpandFileName(text[0] == '/' || base.empty() ? text : sys::IncludeTrailingPathDelimiter(base) + text);
    std::string refused;
    if (FolderExists(path))
    {
        try
        {
            DirTreeView->SetPath(path);
        }
        catch (const EInvalidPath& e)
        {
            refused = e.what();
        }
    }
    else if (sys::FileExists(path))
        refused = ShellText(DirTreeView, "SHELL_ERR_NOTFOLDER", "“%s”不是文件夹，无法打开。", text);
    else
        refused = ShellText(DirTreeView, "SHELL_ERR_MISSING", "“%s”不存在。", text);
    if (refused.empty()) return;
    FStay = true;
    ShowShellError(DirTreeView, refused);
}

void TbsSelDirDlgForm::WndProc(TMessage& m)
{
    if (m.Msg == CM_DIALOGKEY && m.WParam == VK_RETURN && DirEdit && DirEdit->Focused())
    {
        // The key's own press waits for its character, which the edit reads
        // first; the dialog key after it closes the dialog unless the typed
        // text was refused.
        if (!std::exchange(FEditEnter, false) || std::exchange(FStay, false))
        {
            m.Result = 1;
            return;
        }
    }
    TForm::WndProc(m);
}

void TbsSelDirDlgForm::NewFolderToolButtonClick(TObject*)
{
    TbsShellFolder* f = DirTreeView->SelectedFolder();
    if (!f) return;
    // Only inside a real folder (not Computer or the desktop's virtual items).
    const std::string dir = f->FullObjectName();
    if (MakeNewFolder(dir, Text(CtrlSD, "MSG_NEWFOLDER", "New Folder"))) DirTreeView->Refresh(DirTreeView->GetSelected());
}

// ---------------------------------------------------------------------------
TbsSkinSelectDirectoryDialog::TbsSkinSelectDirectoryDialog(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(MakeDialogFont())
{
}

TbsSkinSelectDirectoryDialog::~TbsSkinSelectDirectoryDialog()
{
    SetSkinData(nullptr);
    SetCtrlSkinData(nullptr);
}

void TbsSkinSelectDirectoryDialog::SetSkinData(TbsSkinData* Value) { SetStore(this, FSD, FCtrlFSD, Value); }

void TbsSkinSelectDirectoryDialog::SetCtrlSkinData(TbsSkinData* Value) { SetStore(this, FCtrlFSD, FSD, Value); }

void TbsSkinSelectDirectoryDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD) FSD = nullptr;
    if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

std::unique_ptr<TbsSelDirDlgForm> TbsSkinSelectDirectoryDialog::BuildForm()
{
    auto F = std::make_unique<TbsSelDirDlgForm>(Application, FCtrlFSD, ShowToolBar, ToolButtonsTransparent);
    F->SetCaption(Title);
    ApplyFrame(F->BSF, FSD, FCtrlFSD, DialogMinWidth, DialogMinHeight, AlphaBlend, AlphaBlendValue,
               AlphaBlendAnimation);
    F->DirTreeViewPanel->SetSkinData(FCtrlFSD);
    F->DirTreeView->SetDefaultFont(FDefaultFont.get());
    F->DirTreeView->SetSkinData(FCtrlFSD);
    for (TbsSkinControl* c : std::initializer_list<TbsSkinControl*>{F->HScrollBar, F->VScrollBar, F->OkButton,
                                                                     F->CancelButton, F->BottomPanel})
        c->SetSkinData(FCtrlFSD);
    F->OkButton->SetDefaultFont(FDefaultFont.get());
    F->CancelButton->SetDefaultFont(FDefaultFont.get());
    if (ShowToolBar)
    {
        F->ToolPanel->SetSkinData(FCtrlFSD);
        F->NewFolderToolButton->SetSkinData(FCtrlFSD);
        F->DirEdit->SetSkinData(FCtrlFSD);
    }
    ApplyClientSize(F.get(), F->BSF, FSD, DialogWidth, DialogHeight, 280, 280);
    // The tree fills when its window is made; the starting folder then.
    F->DirTreeView->HandleNeeded();
    bool started = false;
    if (!Directory.empty() && FolderExists(Directory))
    {
        try
        {
            F->DirTreeView->SetPath(Directory);
            started = true;
        }
        catch (const EInvalidPath&)
        {
            // Not in the namespace: the dialog starts on Computer instead.
        }
    }
    if (!started) F->DirTreeView->ExpandMyComputer();
    F->SetActiveControl(F->DirTreeView);
    // Laid out at its final size only when shown: the chosen folder in view then.
    TbsSelDirDlgForm* form = F.get();
    F->OnShow = [form](TObject*) {
        if (TTreeNode* n = form->DirTreeView->GetSelected()) n->MakeVisible();
    };
    return F;
}

bool TbsSkinSelectDirectoryDialog::Execute()
{
    if (OnShow) OnShow(this);
    TFormRun<TbsSelDirDlgForm> run(this, OnClose, FDlgFrm);
    run.Take(BuildForm());
    const bool ok = FDlgFrm->ShowModal() == mrOk;
    DialogWidth = FDlgFrm->ClientWidth();
    DialogHeight = FDlgFrm->ClientHeight();
    if (ok) Directory = FDlgFrm->DirTreeView->Path();
    return ok;
}
