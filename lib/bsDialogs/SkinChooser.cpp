// The skin chooser: the preview window, the chooser form in its two modes,
// and the dialog component that builds, runs and frees it.
#include "lib/bsDialogs.h"

#include <algorithm>

#include "lib/bsDialogs/Internal.h"
#include "lib/bsMessages.h"

namespace
{
// A text of the chooser: the string table's value under the key when there is
// a table (which may be empty), else the built-in text.
std::string Text(TbsResourceStrData* T, const char* key, const char* builtIn)
{
    return T ? T->GetResStr(key) : std::string(builtIn);
}
}  // namespace

void TbsSkinPreviewForm::CreateParams(TCreateParams& Params)
{
    TForm::CreateParams(Params);
    // Drawn inside its parent as a child window, with its caption frame.
    if (Parent())
    {
        Params.Style = (Params.Style & ~DWORD(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS;
        Params.WndParent = Parent()->GetHandle();
    }
}

// ---------------------------------------------------------------------------
TbsSelectSkinDlgForm::TbsSelectSkinDlgForm(TComponent* AOwner, TComponent* AForm,
                                           TbsCompressedStoredSkin* ADefaultSkin, TbsSkinData* ACtrlSkinData)
    : TForm(AOwner)
{
    Build(ACtrlSkinData);
    int start = 0;
    for (int i = 0; AForm && i < AForm->ComponentCount(); ++i)
        if (auto* s = dynamic_cast<TbsCompressedStoredSkin*>(AForm->Components(i)))
        {
            SkinList.push_back(s);
            SkinsListBox->Items()->Add(!s->Description.empty() ? s->Description : s->Name());
            if (s == ADefaultSkin) start = int(SkinList.size()) - 1;
        }
    SkinsListBox->SetItemIndex(start);
    const int i = SkinsListBox->ItemIndex();
    if (i < 0 || i >= int(SkinList.size())) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    LoadPreview([&] { PreviewSkinData->SetCompressedStoredSkin(SkinList[std::size_t(i)]); });
    ShowPreview();
}

TbsSelectSkinDlgForm::TbsSelectSkinDlgForm(TComponent* AOwner, TbsCompressedSkinList* ASkinList, int ASkinIndex,
                                           TbsSkinData* ACtrlSkinData)
    : TForm(AOwner), FCSkinList(ASkinList), FCSkinIndex(ASkinIndex)
{
    Build(ACtrlSkinData);
    for (int i = 0; i < ASkinList->Count(); ++i)
    {
        const TbsSkinListItem* item = ASkinList->Item(i);
        SkinsListBox->Items()->Add(!item->Description.empty() ? item->Description : item->Name);
    }
    SkinsListBox->SetItemIndex(ASkinIndex);
    PreviewSkinData->SetSkinIndex(ASkinIndex);
    // Setting the list last loads the entry at the index (when there is one).
    LoadPreview([&] { PreviewSkinData->SetSkinList(ASkinList); });
    ShowPreview();
}

void TbsSelectSkinDlgForm::Build(TbsSkinData* ACtrlSkinData)
{
    SetPosition(poScreenCenter);
    TbsResourceStrData* T = ACtrlSkinData ? ACtrlSkinData->ResourceStrData() : nullptr;
    SetBorderStyle(bsSingle);
    BSF = new TbsSkinForm(this);

    PreviewForm = new TbsSkinPreviewForm(this);
    PreviewForm->SetParent(this);
    PreviewForm->SetCaption(Text(T, "MSG_PREVIEWSKIN", "Preview"));
    PreviewForm->SetEnabled(false);
    PreviewForm->SetWidth(220);
    PreviewForm->SetHeight(170);
    PreviewForm->SetVisible(false);

    PreviewSkinData = new TbsSkinData(this);
    if (T) PreviewSkinData->SetResourceStrData(T);

    PreviewButton = new TbsSkinButton(this);
    PreviewButton->SetParent(PreviewForm);
    PreviewButton->SetWidth(100);
    PreviewButton->SetCaption(Text(T, "MSG_PREVIEWBUTTON", "Button"));
    PreviewButton->SetLeft(20);
    PreviewButton->SetTop(20);
    PreviewButton->SetSkinData(PreviewSkinData);

    PreviewBSF = new TbsSkinForm(PreviewForm);
    PreviewBSF->SetSkinData(PreviewSkinData);
    PreviewBSF->PreviewMode = true;

    OpenButton = new TbsSkinButton(this);
    OpenButton->SetName("OpenButton");
    OpenButton->SetDefault(true);
    OpenButton->SetCaption(Text(T, "MSG_BTN_OK", "OK"));
    OpenButton->SetCanFocused(true);
    OpenButton->SetBounds(260, 200, 70, OpenButton->Height());
    OpenButton->SetDefaultHeight(25);
    OpenButton->SetParent(this);
    OpenButton->ModalResult = mrOk;

    CancelButton = new TbsSkinButton(this);
    CancelButton->SetName("CancelButton");
    CancelButton->SetCaption(Text(T, "MSG_BTN_CANCEL", "Cancel"));
    CancelButton->SetCanFocused(true);
    CancelButton->SetBounds(340, 200, 70, CancelButton->Height());
    CancelButton->SetDefaultHeight(25);
    CancelButton->SetParent(this);
    CancelButton->ModalResult = mrCancel;
    CancelButton->Cancel = true;

    SkinsListBox = new TbsSkinListBox(this);
    SkinsListBox->SetName("SkinsListBox");
    SkinsListBox->SetParent(this);
    SkinsListBox->SetBounds(10, 10, 170, 170);
    SkinsListBox->OnListBoxClick = [this](TObject* s) { SLBOnChange(s); };
    SkinsListBox->OnListBoxDblClick = [this](TObject* s) { SLBOnDblClick(s); };

    FErrorCaption = Text(T, "ERROR", "Error");
    PreviewErrorLabel = new TbsSkinStdLabel(this);
    PreviewErrorLabel->SetAutoSize(false);
    PreviewErrorLabel->SetWordWrap(true);
    PreviewErrorLabel->SetBounds(190, 10, 220, 170);
    PreviewErrorLabel->SetVisible(false);
    PreviewErrorLabel->SetParent(this);
    PreviewErrorLabel->SetSkinData(ACtrlSkinData);
}

void TbsSelectSkinDlgForm::ShowPreview()
{
    PreviewForm->SetLeft(190);
    PreviewForm->SetTop(10);
    PreviewForm->SetVisible(FPreviewShown);
    SetActiveControl(SkinsListBox->ListBox);
}

template <class Load>
void TbsSelectSkinDlgForm::LoadPreview(Load load)
{
    try
    {
        load();
        FPreviewShown = true;
    }
    catch (const std::exception& e)
    {
        // The preview store keeps its last skin; what the entry holds is
        // said instead of an error box at every highlight.
        FPreviewShown = false;
        PreviewErrorLabel->SetCaption(FErrorCaption + ": " + e.what());
    }
    PreviewErrorLabel->SetVisible(!FPreviewShown);
    OpenButton->SetEnabled(FPreviewShown);
}

void TbsSelectSkinDlgForm::SLBOnChange(TObject*)
{
    const int i = SkinsListBox->ItemIndex();
    if (FCSkinList) LoadPreview([&] { PreviewSkinData->SetSkinIndex(i); });
    else if (i >= 0 && i < int(SkinList.size()))
        LoadPreview([&] { PreviewSkinData->SetCompressedStoredSkin(SkinList[std::size_t(i)]); });
    PreviewForm->SetVisible(FPreviewShown);
}

void TbsSelectSkinDlgForm::SLBOnDblClick(TObject*)
{
    if (FPreviewShown) SetModalResult(mrOk);
}

TbsCompressedStoredSkin* TbsSelectSkinDlgForm::SelectedSkin() const { return PreviewSkinData->CompressedStoredSkin(); }

// ---------------------------------------------------------------------------
TbsSelectSkinDialog::TbsSelectSkinDialog(TComponent* AOwner) : TComponent(AOwner), FDefaultFont(bsdialogs::MakeDialogFont()) {}

TbsSelectSkinDialog::~TbsSelectSkinDialog()
{
    SetSkinList(nullptr);
    SetSkinData(nullptr);
    SetCtrlSkinData(nullptr);
}

void TbsSelectSkinDialog::SetSkinList(TbsCompressedSkinList* Value)
{
    bsdialogs::Watch(this, FSkinList, Value);
    FSkinList = Value;
}

void TbsSelectSkinDialog::SetSkinData(TbsSkinData* Value) { bsdialogs::SetStore(this, FSD, FCtrlFSD, Value); }

void TbsSelectSkinDialog::SetCtrlSkinData(TbsSkinData* Value) { bsdialogs::SetStore(this, FCtrlFSD, FSD, Value); }

void TbsSelectSkinDialog::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD) FSD = nullptr;
    if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
    if (AComponent == FSkinList) FSkinList = nullptr;
}

void TbsSelectSkinDialog::Prepare(TbsSelectSkinDlgForm* F)
{
    F->SetCaption(Title);
    TbsBorderIcons none;
    none.SystemMenu = none.Minimize = none.Maximize = none.RollUp = none.MinimizeToTray = false;
    F->BSF->SetBorderIcons(none);
    F->BSF->SetSkinData(FSD);
    F->BSF->SetMenusSkinData(FCtrlFSD);
    bsApplyFormAlpha(F->BSF, AlphaBlend, AlphaBlendValue, AlphaBlendAnimation);
    for (TbsSkinCustomControl* c :
         std::initializer_list<TbsSkinCustomControl*>{F->OpenButton, F->CancelButton, F->SkinsListBox})
    {
        c->SetDefaultFont(FDefaultFont.get());
        c->SetSkinData(FCtrlFSD);
    }
    if (!FSD || FSD->Empty) F->SetClientSize(420, 240);
    else
    {
        F->SetClientWidth(std::max(420, F->BSF->GetMinWidth()));
        F->SetClientHeight(std::max(240, F->BSF->GetMinHeight()));
    }
}

bool TbsSelectSkinDialog::Run(std::unique_ptr<TbsSelectSkinDlgForm> F, bool listMode)
{
    struct Clear
    {
        TbsSelectSkinDlgForm*& field;
        ~Clear() { field = nullptr; }
    } clear{FForm};
    FForm = F.get();
    Prepare(F.get());
    FSelectedSkin = nullptr;
    if (listMode) FSelectedSkinIndex = -1;
    if (F->ShowModal() != mrOk || !F->PreviewShown()) return false;
    if (listMode) FSelectedSkinIndex = F->PreviewSkinData->SkinIndex();
    else FSelectedSkin = F->SelectedSkin();
    return true;
}

bool TbsSelectSkinDialog::Execute(int SkinIndex)
{
    if (!FSkinList) return false;
    return Run(std::make_unique<TbsSelectSkinDlgForm>(Application, FSkinList, SkinIndex, FCtrlFSD), true);
}

bool TbsSelectSkinDialog::Execute(TbsCompressedStoredSkin* DefaultCompressedSkin)
{
    // Nothing to choose from (no owner, or one that holds no stored skin): no window.
    bool any = false;
    for (int i = 0; Owner() && i < Owner()->ComponentCount() && !any; ++i)
        any = dynamic_cast<TbsCompressedStoredSkin*>(Owner()->Components(i)) != nullptr;
    if (!any) return false;
    return Run(std::make_unique<TbsSelectSkinDlgForm>(Application, Owner(), DefaultCompressedSkin, FCtrlFSD), false);
}
