// The open and save picture dialogs: the open dialog's form with a preview
// pane (natural size with scroll bars, or stretched), and the save mode.
#include "lib/bsDialogs/Internal.h"
#include "platform/sys/Files.h"

using namespace bsdialogs;

namespace
{
std::string NamePart(const std::string& Path)
{
    const std::size_t slash = Path.rfind('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

bool HasExtension(const std::string& Name)
{
    const std::size_t dot = Name.rfind('.');
    return dot != std::string::npos && Name.find('/', dot) == std::string::npos;
}
}  // namespace

TbsOpenPictureDlgForm::TbsOpenPictureDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                                             bool AToolButtonsTransparent)
    : TbsOpenDlgForm(AOwner, ASaveMode, ACtrlSkinData, TNoControls{})
{
    auto preview = [this] {
        ImagePanel = new TbsSkinPanel(this);
        ImagePanel->SetWidth(200);
        ImagePanel->SetLeft(Width());
        ImagePanel->SetBorderStyle(TbsSkinBorderStyle::bvFrame);
        ImagePanel->SetParent(this);
        ImagePanel->SetAlign(alRight);

        Splitter = new TbsSkinSplitter(this);
        Splitter->SetWidth(10);
        Splitter->DefaultSize = 10;
        Splitter->SetLeft(Width() - 200);
        Splitter->SetParent(this);
        Splitter->SetAlign(alRight);

        SBVScrollBar = new TbsSkinScrollBar(this);
        SBVScrollBar->SetKind(sbVertical);
        SBVScrollBar->SetDefaultWidth(19);
        SBVScrollBar->SetEnabled(false);
        SBVScrollBar->SetSkinDataName("vscrollbar");
        SBVScrollBar->SetParent(ImagePanel);
        SBVScrollBar->SetAlign(alRight);

        SBHScrollBar = new TbsSkinScrollBar(this);
        SBHScrollBar->SetDefaultHeight(19);
        SBHScrollBar->SetBothMarkerWidth(19);
        SBHScrollBar->SetEnabled(false);
        SBHScrollBar->SetSkinDataName("hscrollbar");
        SBHScrollBar->SetParent(ImagePanel);
        SBHScrollBar->SetAlign(alBottom);

        ScrollBox = new TbsSkinScrollBox(this);
        ScrollBox->SetBorderStyle(TbsSkinBorderStyle::bvNone);
        ScrollBox->SetParent(ImagePanel);
        ScrollBox->SetAlign(alClient);
        ScrollBox->SetHScrollBar(SBHScrollBar);
        ScrollBox->SetVScrollBar(SBVScrollBar);

        Image = new TImage(this);
        Image->SetBounds(0, 0, 0, 0);
        Image->SetStretch(false);
        Image->SetParent(ScrollBox);

        NoPreviewLabel = new TbsSkinStdLabel(this);
        NoPreviewLabel->SetAutoSize(false);
        NoPreviewLabel->SetAlignment(taCenter);
        NoPreviewLabel->SetLayout(tlCenter);
        NoPreviewLabel->SetVisible(false);
        NoPreviewLabel->SetParent(ImagePanel);
        NoPreviewLabel->SetAlign(alClient);
    };
    auto stretch = [this, AToolButtonsTransparent] {
        StretchButton = MakeToolButton(this, ToolPanel, Width(), "BS_STRETCH",
                                       Str("MSG_BTN_STRETCH_HINT", "Stretch Picture"), AToolButtonsTransparent);
        StretchButton->SetGroupIndex(2);
        StretchButton->AllowAllUp = true;
        StretchButton->OnClick = [this](TObject* s) { StretchButtonClick(s); };
    };
    BuildControls(AToolButtonsTransparent, preview, stretch);
}

void TbsOpenPictureDlgForm::ApplyStretch(bool Stretched)
{
    Image->SetVisible(false);
    if (Stretched)
    {
        Image->SetStretch(true);
        Image->SetAlign(alClient);
    }
    else
    {
        Image->SetAlign(alNone);
        Image->SetBounds(0, 0, Image->Picture()->GetWidth(), Image->Picture()->GetHeight());
        Image->SetStretch(false);
    }
    Image->SetVisible(true);
    ScrollBox->UpDateScrollRange();
}

void TbsOpenPictureDlgForm::StretchButtonClick(TObject*) { ApplyStretch(StretchButton->Down()); }

void TbsOpenPictureDlgForm::LoadPreview(const std::string& Path)
{
    struct TSize
    {
        TbsOpenPictureDlgForm* f;
        ~TSize()
        {
            // Also after a failed load: the image keeps the picture it had.
            if (f->Image->GetStretch()) return;
            f->Image->SetBounds(0, 0, f->Image->Picture()->GetWidth(), f->Image->Picture()->GetHeight());
            f->ScrollBox->UpDateScrollRange();
        }
    } size{this};
    Image->Picture()->LoadFromFile(Path);
}

void TbsOpenPictureDlgForm::ShowPreview(const std::string& Path)
{
    bool shown = false;
    try
    {
        LoadPreview(Path);
        shown = true;
    }
    catch (const std::exception&)
    {
        // Not a picture that can be read: no picture, and the pane says so.
        Image->Picture()->SetGraphic(nullptr);
        if (!Image->GetStretch()) Image->SetBounds(0, 0, 0, 0);
        ScrollBox->UpDateScrollRange();
    }
    NoPreviewLabel->SetCaption(ShellText(FileListView, "MSG_NOPREVIEW", "无法预览"));
    NoPreviewLabel->SetSkinData(CtrlSD);
    ScrollBox->SetVisible(shown);
    NoPreviewLabel->SetVisible(!shown);
}

void TbsOpenPictureDlgForm::FLVChange(TObject*, TListItem*, TItemChange)
{
    const std::string name = NamePart(FileListView->GetSelectedFile());
    FileNameEdit->SetText(name);
    if (!name.empty())
    {
        ShowPreview(ListDir() + name);
        return;
    }
    NoPreviewLabel->SetVisible(false);
    ScrollBox->SetVisible(true);
    if (!Image->GetStretch())
    {
        Image->SetWidth(0);
        Image->SetHeight(0);
    }
}

// ---------------------------------------------------------------------------
TbsSkinOpenPictureDialog::TbsSkinOpenPictureDialog(TComponent* AOwner) : TbsCustomOpenDialog(AOwner)
{
    Title = "Open picture";
    Filter = "All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
             "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
    AlphaBlendValue = 200;
}

std::unique_ptr<TbsOpenDlgForm> TbsSkinOpenPictureDialog::MakeForm()
{
    return std::make_unique<TbsOpenPictureDlgForm>(Application, FSaveMode, CtrlSkinData(), ToolButtonsTransparent);
}

void TbsSkinOpenPictureDialog::PrepareForm(TbsOpenDlgForm* Form)
{
    auto* F = static_cast<TbsOpenPictureDlgForm*>(Form);
    F->ImagePanel->SetWidth(ImagePanelWidth);
    for (TbsSkinControl* c : std::initializer_list<TbsSkinControl*>{F->ImagePanel, F->ScrollBox, F->SBHScrollBar,
                                                                     F->SBVScrollBar})
        c->SetSkinData(CtrlSkinData());
    F->StretchButton->SetSkinData(CtrlSkinData());
    InkToolGlyph(F->StretchButton, "BS_STRETCH", CtrlSkinData());
    F->Splitter->SetSkinData(CtrlSkinData());
    TbsCustomOpenDialog::PrepareForm(F);
    if (StretchPicture || DialogStretch)
    {
        F->StretchButton->SetDown(true);
        F->ApplyStretch(true);
    }
    // A named picture shows at once (an error ends the run before it shows).
    if (sys::FileExists(FFileName)) F->LoadPreview(FFileName);
    F->FileNameEdit->SetText(NamePart(FFileName));
}

void TbsSkinOpenPictureDialog::KeepSettings(TbsOpenDlgForm* Form)
{
    auto* F = static_cast<TbsOpenPictureDlgForm*>(Form);
    TbsCustomOpenDialog::KeepSettings(F);
    DialogStretch = F->StretchButton->Down();
    ImagePanelWidth = F->ImagePanel->Width();
}

void TbsSkinOpenPictureDialog::TakeResults(TbsOpenDlgForm* F)
{
    std::string name = F->FileName;
    // A saved name without an extension gets the filter's.
    if (FSaveMode && !HasExtension(NamePart(name))) name += F->FilterExtension();
    F->FileName = name;
    TbsCustomOpenDialog::TakeResults(F);
}

TbsSkinSavePictureDialog::TbsSkinSavePictureDialog(TComponent* AOwner) : TbsSkinOpenPictureDialog(AOwner)
{
    Title = "Save file";
    FSaveMode = true;
}
