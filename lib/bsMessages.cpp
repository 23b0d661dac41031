// The skinned message boxes: the component's entry points, the box's
// construction (geometry of label, icon, button row and check box), the
// caption texts with their built-in fallbacks, and the modal run.
#include "lib/bsMessages.h"

#include <algorithm>

#include "platform/os/GdiIcon.h"

namespace
{
constexpr int kButtonWidth = 70, kButtonGap = 10, kDefaultButtonHeight = 25;
constexpr int kLabelLeft = 50, kLabelTop = 15, kIconLeft = 5, kIconSize = 32, kCheckBoxHeight = 30;
constexpr int kScrollBarSize = 19, kMinTextHeight = 40;

struct TButtonKind
{
    const char* Name;
    const char* Key;
    const char* Caption;
    TModalResult Result;
};

// In TMsgDlgBtn order.
constexpr TButtonKind kButtons[] = {
    {"Yes", "MSG_BTN_YES", "&Yes", mrYes},
    {"No", "MSG_BTN_NO", "&No", mrNo},
    {"OK", "MSG_BTN_OK", "OK", mrOk},
    {"Cancel", "MSG_BTN_CANCEL", "Cancel", mrCancel},
    {"Abort", "MSG_BTN_ABORT", "&Abort", mrAbort},
    {"Retry", "MSG_BTN_RETRY", "&Retry", mrRetry},
    {"Ignore", "MSG_BTN_IGNORE", "&Ignore", mrIgnore},
    {"All", "MSG_BTN_ALL", "&All", mrAll},
    {"NoToAll", "MSG_BTN_NOTOALL", "N&oToAll", mrNoToAll},
    {"YesToAll", "MSG_BTN_YESTOALL", "&YesToAll", mrYesToAll},
    {"Help", "MSG_BTN_HELP", "&Help", mrNone},
    {"Close", "MSG_BTN_CLOSE", "Close", mrClose},
};
constexpr int kButtonKinds = int(std::size(kButtons));

struct TTypeKind
{
    const char* Key;   // null: the application's title
    const char* Caption;
    int Icon;          // 0: none
};

// In TMsgDlgType order.
constexpr TTypeKind kTypes[] = {
    {"MSG_CAP_WARNING", "Warning", IDI_EXCLAMATION},
    {"MSG_CAP_ERROR", "Error", IDI_HAND},
    {"MSG_CAP_INFORMATION", "Information", IDI_ASTERISK},
    {"MSG_CAP_CONFIRM", "Confirm", IDI_QUESTION},
    {nullptr, "", 0},
};

constexpr const char* kShowFlagKey = "MSG_CAP_SHOWFLAG";
constexpr const char* kShowFlagCaption = "Do not display this message again";

std::unique_ptr<TFont> MakeDefaultFont()
{
    auto f = std::make_unique<TFont>();
    f->SetName("Arial");
    f->SetHeight(14);
    return f;
}

TbsResourceStrData* StringTable(const TbsSkinData* sd) { return sd ? sd->ResourceStrData() : nullptr; }
}  // namespace

std::string bsMessageButtonCaption(TMsgDlgBtn kind) { return kButtons[kind].Caption; }
std::string bsMessageTypeCaption(TMsgDlgType type) { return kTypes[type].Caption; }
std::string bsMessageButtonName(TMsgDlgBtn kind) { return kButtons[kind].Name; }
TModalResult bsMessageButtonResult(TMsgDlgBtn kind) { return kButtons[kind].Result; }

void bsApplyFormAlpha(TbsSkinForm* Frame, bool On, std::uint8_t Value, bool Animation)
{
    Frame->SetAlphaBlendValue(Value);
    Frame->AlphaBlendAnimation = Animation;
    Frame->SetAlphaBlend(On);
}

// ---------------------------------------------------------------------------
TbsMessageForm::TbsMessageForm(TComponent* AOwner, int X, int Y) : TForm(AOwner)
{
    SetBorderStyle(bsDialog);
    KeyPreview = true;
    if (X < -10000) SetPosition(poScreenCenter);
    else
    {
        SetLeft(X);
        SetTop(Y);
    }
    BSF = new TbsSkinForm(this);
    TbsBorderIcons none;
    none.SystemMenu = none.Minimize = none.Maximize = none.RollUp = none.MinimizeToTray = false;
    BSF->SetBorderIcons(none);
}

void TbsMessageForm::HelpButtonClick(TObject*)
{
    if (Application) Application->HelpContext(HelpContext);
}

// ---------------------------------------------------------------------------
TbsSkinMessage::TbsSkinMessage(TComponent* AOwner)
    : TComponent(AOwner), FDefaultFont(MakeDefaultFont()), FDefaultButtonFont(MakeDefaultFont())
{
}

TbsSkinMessage::~TbsSkinMessage()
{
    SetSkinData(nullptr);
    SetCtrlSkinData(nullptr);
}

void TbsSkinMessage::SetSkinData(TbsSkinData* Value)
{
    if (FSD == Value) return;
    if (FSD && FSD != FCtrlFSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD) FSD->FreeNotification(this);
}

void TbsSkinMessage::SetCtrlSkinData(TbsSkinData* Value)
{
    if (FCtrlFSD == Value) return;
    if (FCtrlFSD && FCtrlFSD != FSD) FCtrlFSD->RemoveFreeNotification(this);
    FCtrlFSD = Value;
    if (FCtrlFSD) FCtrlFSD->FreeNotification(this);
}

void TbsSkinMessage::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD) FSD = nullptr;
    if (AComponent == FCtrlFSD) FCtrlFSD = nullptr;
}

std::string TbsSkinMessage::ButtonCaption(TMsgDlgBtn kind) const
{
    if (TbsResourceStrData* t = StringTable(FCtrlFSD)) return t->GetResStr(kButtons[kind].Key);
    return kButtons[kind].Caption;
}

std::string TbsSkinMessage::TypeCaption(TMsgDlgType type) const
{
    if (!kTypes[type].Key) return Application ? Application->Title : std::string();
    if (TbsResourceStrData* t = StringTable(FCtrlFSD)) return t->GetResStr(kTypes[type].Key);
    return kTypes[type].Caption;
}

std::string TbsSkinMessage::CheckBoxCaption() const
{
    if (TbsResourceStrData* t = StringTable(FCtrlFSD))
    {
        std::string s = t->GetResStr(kShowFlagKey);
        if (!s.empty()) return s;
    }
    return kShowFlagCaption;
}

int TbsSkinMessage::ButtonHeight() const
{
    if (!FCtrlFSD || FCtrlFSD->Empty) return kDefaultButtonHeight;
    const int i = FCtrlFSD->GetControlIndex(ButtonSkinDataName);
    if (i == -1) return kDefaultButtonHeight;
    auto* e = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(FCtrlFSD, i));
    return e ? e->SkinRect.Height() : kDefaultButtonHeight;
}

void TbsSkinMessage::FitToWorkArea(TbsMessageForm* f)
{
    // The whole box, buttons included, stays within the work area: a text
    // too tall for it scrolls in a box of its own.
    const int frameH = f->Height() - f->ClientHeight();
    const int maxClient = (Screen ? Screen->WorkAreaHeight() : 600) - frameH;
    const int excess = f->ClientHeight() - maxClient;
    if (excess <= 0) return;
    TbsSkinStdLabel* label = f->Message;
    const int viewH = std::max(label->Height() - excess, kMinTextHeight);
    f->SetClientWidth(f->ClientWidth() + kScrollBarSize);
    if (f->BSF->GetMaxWidth() < f->Width()) f->SetWidth(f->BSF->GetMaxWidth());
    const int viewW = std::max(f->ClientWidth() - kLabelLeft - kScrollBarSize - 20, 1);

    auto* box = new TbsSkinScrollBox(f);
    f->MessageBox = box;
    box->SetName("MessageBox");
    box->SetBorderStyle(TbsSkinBorderStyle::bvNone);
    box->SetBounds(kLabelLeft, kLabelTop, viewW, viewH);
    box->SetParent(f);
    box->SetSkinData(FCtrlFSD);
    auto* bar = new TbsSkinScrollBar(f);
    f->MessageScrollBar = bar;
    bar->SetName("MessageScrollBar");
    bar->SetKind(sbVertical);
    bar->SetSkinDataName("vscrollbar");
    bar->SetDefaultWidth(kScrollBarSize);
    bar->SetBounds(kLabelLeft + viewW, kLabelTop, kScrollBarSize, viewH);
    bar->SetParent(f);
    bar->SetSkinData(FCtrlFSD);
    label->SetParent(box);
    label->SetLeft(0);
    label->SetTop(0);
    box->SetVScrollBar(bar);
    box->UpDateScrollRange();
    f->SetClientHeight(f->ClientHeight() - (label->Height() - viewH));
    if (f->DisplayCheckBox) f->DisplayCheckBox->SetTop(f->DisplayCheckBox->Top() - (label->Height() - viewH));
    if (TControl* image = dynamic_cast<TControl*>(f->FindComponent("Image")))
        image->SetTop(std::max(kLabelTop + viewH / 2 - image->Height() / 2, 10));
    // The wheel and the page keys scroll the text wherever the focus is.
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(label->Font());
    const int line = std::max(measure.Canvas()->TextHeight("Wg"), 1);
    f->OnMouseWheel = [bar, line](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        bar->SetPosition(bar->Position() + (delta > 0 ? -3 : 3) * line);
        handled = true;
    };
    f->OnKeyDown = [bar, viewH](TObject*, WORD& key, TShiftState) {
        if (key == VK_NEXT) bar->SetPosition(bar->Position() + viewH);
        else if (key == VK_PRIOR) bar->SetPosition(bar->Position() - viewH);
        else if (key == VK_HOME) bar->SetPosition(bar->Min());
        else if (key == VK_END) bar->SetPosition(bar->Max());
        else return;
        key = 0;
    };
}

std::unique_ptr<TbsMessageForm> TbsSkinMessage::BuildMessageForm(const TbsMessageBoxRequest& R)
{
    auto form = std::make_unique<TbsMessageForm>(Application, R.X, R.Y);
    TbsMessageForm* f = form.get();
    f->BSF->SetSkinData(FSD);
    f->BSF->SetMenusSkinData(FCtrlFSD);
    bsApplyFormAlpha(f->BSF, AlphaBlend, AlphaBlendValue, AlphaBlendAnimation);

    const int H = ButtonHeight();
    int N = 0;
    for (int k = 0; k < kButtonKinds; ++k)
        if (R.Buttons.Contains(TMsgDlgBtn(k))) ++N;
    const int rowWidth = N == 0 ? 0 : kButtonWidth * N + kButtonGap * (N - 1);

    f->SetCaption(R.Caption ? *R.Caption : TypeCaption(R.DlgType));

    auto* label = new TbsSkinStdLabel(f);
    f->Message = label;
    label->SetFont(FDefaultFont.get());
    label->SetDefaultFont(FDefaultFont.get());
    label->UseSkinFont = UseSkinFont;
    label->SkinDataName = MessageLabelSkinDataName;
    label->SetSkinData(FCtrlFSD);
    label->SetName("Message");
    // The text is shown as given: an "&" in a file name is no accelerator.
    label->SetShowAccelChar(false);
    label->SetParent(f);
    label->SetAutoSize(true);
    label->SetCaption(R.Msg);
    label->SetLeft(kLabelLeft);
    label->SetTop(kLabelTop);
    const int labelRight = label->Left() + label->Width();
    const int iconTop = label->Top() + label->Height() / 2 - kIconSize / 2;

    if (!R.FromImages)
    {
        auto* image = new TImage(f);
        image->SetName("Image");
        image->SetParent(f);
        if (const int id = kTypes[R.DlgType].Icon)
            if (const TSurface* s = IconSurface(LoadIcon(nullptr, id))) image->Picture()->Icon()->Bitmap()->FromSurface(*s);
        image->SetBounds(kIconLeft, std::max(iconTop, 10), kIconSize, kIconSize);
    }
    else if (R.Images && R.ImageIndex >= 0 && R.ImageIndex <= R.Images->Count() - 1)
    {
        auto* image = new TImage(f);
        image->SetName("Image");
        image->SetParent(f);
        image->SetTransparent(true);
        if (const TSurface* s = R.Images->Image(R.ImageIndex)) image->Picture()->Icon()->Bitmap()->FromSurface(*s);
        image->SetBounds(kIconLeft, iconTop,
                         R.Images->GetWidth(), R.Images->GetHeight());
    }

    f->SetClientHeight(H + label->Height() + 50);
    f->SetClientWidth(rowWidth < labelRight ? labelRight + 40 : rowWidth + 40);

    if (R.CheckBoxAllowed && ShowAgainFlag)
    {
        f->SetClientHeight(f->ClientHeight() + 40);
        auto* box = new TbsSkinCheckRadioBox(f);
        f->DisplayCheckBox = box;
        box->SetName("checkbox");
        box->SetDefaultHeight(kCheckBoxHeight);
        box->SetChecked(!ShowAgainFlagValue);
        box->SetParent(f);
        box->SetDefaultFont(FDefaultFont.get());
        box->UseSkinFont = UseSkinFont;
        box->SetSkinData(FCtrlFSD);
        const int top = f->ClientHeight() - H - 50;
        box->SetCaption(CheckBoxCaption());
        TCanvas* c = f->Canvas();
        if (box->SkinIndex() != -1 && UseSkinFont)
        {
            c->Font()->SetName(box->FontName);
            c->Font()->SetHeight(box->FontHeight);
        }
        else c->Font()->Assign(FDefaultFont.get());
        const int W = c->TextWidth(box->GetText());
        if (f->ClientWidth() < W + 60) f->SetClientWidth(W + 60);
        box->SetBounds(5, top, W + 55, kCheckBoxHeight);
    }

    if (f->BSF->GetMaxWidth() < f->Width()) f->SetWidth(f->BSF->GetMaxWidth());
    else if (f->Width() < f->BSF->GetMinWidth()) f->SetWidth(f->BSF->GetMinWidth());
    FitToWorkArea(f);

    auto has = [&](TMsgDlgBtn k) { return R.Buttons.Contains(k); };
    const TMsgDlgBtn defaultKind = has(mbOK) ? mbOK : has(mbYes) ? mbYes : mbRetry;
    const TMsgDlgBtn cancelKind = has(mbCancel) ? mbCancel : has(mbNo) ? mbNo : mbOK;

    int x = (f->ClientWidth() - rowWidth) / 2;
    for (int k = 0; k < kButtonKinds; ++k)
    {
        const auto kind = TMsgDlgBtn(k);
        if (!has(kind)) continue;
        auto* b = new TbsSkinButton(f);
        b->SetParent(f);
        b->SetName(kButtons[k].Name);
        b->SetCanFocused(true);
        b->SetCaption(ButtonCaption(kind));
        b->ModalResult = kButtons[k].Result;
        if (kind == defaultKind) b->SetDefault(true);
        if (kind == cancelKind) b->Cancel = true;
        b->SetDefaultHeight(H);
        b->SetBounds(x, f->ClientHeight() - H - 10, kButtonWidth, H);
        b->SetDefaultFont(FDefaultButtonFont.get());
        b->UseSkinFont = UseSkinFont;
        x += kButtonWidth + kButtonGap;
        if (kind == mbHelp) b->OnClick = [f](TObject* s) { f->HelpButtonClick(s); };
        b->SetSkinDataName(ButtonSkinDataName);
        b->SetSkinData(FCtrlFSD);
        // Enter answers with the default button from the start.
        if (kind == defaultKind) f->SetActiveControl(b);
    }
    return form;
}

int TbsSkinMessage::Run(const TbsMessageBoxRequest& R, int HelpCtx, const std::string* HelpFileName, bool FireShowPos)
{
    std::unique_ptr<TbsMessageForm> f = BuildMessageForm(R);
    struct WriteBack
    {
        TbsSkinMessage* self;
        TbsMessageForm* form;
        ~WriteBack()
        {
            if (form->DisplayCheckBox) self->ShowAgainFlagValue = !form->DisplayCheckBox->Checked();
        }
    } writeBack{this, f.get()};
    f->HelpContext = HelpCtx;
    if (HelpFileName) f->HelpFile = *HelpFileName;
    if (FireShowPos && OnSetShowPos)
    {
        int ax = f->Left(), ay = f->Top();
        OnSetShowPos(ax, ay, f->Width(), f->Height());
        f->SetLeft(ax);
        f->SetTop(ay);
    }
    TModalResult result = f->ShowModal();
    // Closing the window (the frame's close button, the window manager)
    // answers as the cancel button would; a box without one gives Cancel.
    if (result == mrCancel && !R.Buttons.Contains(mbCancel))
    {
        if (R.Buttons.Contains(mbNo)) result = mrNo;
        else if (R.Buttons.Contains(mbOK)) result = mrOk;
    }
    return result;
}

namespace
{
TbsMessageBoxRequest TypeRequest(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    TbsMessageBoxRequest r;
    r.Msg = Msg;
    r.DlgType = DlgType;
    r.Buttons = Buttons;
    return r;
}
}  // namespace

int TbsSkinMessage::MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    return Run(TypeRequest(Msg, DlgType, Buttons), HelpCtx, nullptr, false);
}

int TbsSkinMessage::MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                  int X, int Y)
{
    TbsMessageBoxRequest r = TypeRequest(Msg, DlgType, Buttons);
    r.X = X;
    r.Y = Y;
    return Run(r, HelpCtx, nullptr, true);
}

int TbsSkinMessage::MessageDlgHelp(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                   const std::string& HelpFileName)
{
    return Run(TypeRequest(Msg, DlgType, Buttons), HelpCtx, &HelpFileName, false);
}

int TbsSkinMessage::MessageDlg2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                                TMsgDlgButtons Buttons, int HelpCtx)
{
    TbsMessageBoxRequest r = TypeRequest(Msg, DlgType, Buttons);
    r.Caption = ACaption;
    return Run(r, HelpCtx, nullptr, false);
}

int TbsSkinMessage::MessageDlgHelp2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                                    TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName)
{
    TbsMessageBoxRequest r = TypeRequest(Msg, DlgType, Buttons);
    r.Caption = ACaption;
    return Run(r, HelpCtx, &HelpFileName, false);
}

int TbsSkinMessage::WideMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    return WideMessageDlgPos(Msg, DlgType, Buttons, HelpCtx, bsMessageCentred, bsMessageCentred);
}

int TbsSkinMessage::WideMessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                      int HelpCtx, int X, int Y)
{
    TbsMessageBoxRequest r = TypeRequest(Msg, DlgType, Buttons);
    r.CheckBoxAllowed = false;
    r.X = X;
    r.Y = Y;
    return Run(r, HelpCtx, nullptr, false);
}

namespace
{
TbsMessageBoxRequest CustomRequest(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                                   int AImageIndex, TMsgDlgButtons Buttons)
{
    TbsMessageBoxRequest r;
    r.Msg = Msg;
    r.Caption = ACaption;
    r.FromImages = true;
    r.Images = AImages;
    r.ImageIndex = AImageIndex;
    r.Buttons = Buttons;
    return r;
}
}  // namespace

int TbsSkinMessage::CustomMessageDlg(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                                     int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx)
{
    return Run(CustomRequest(Msg, ACaption, AImages, AImageIndex, Buttons), HelpCtx, nullptr, false);
}

int TbsSkinMessage::CustomMessageDlgPos(const std::string& Msg, const std::string& ACaption,
                                        TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                                        int HelpCtx, int X, int Y)
{
    TbsMessageBoxRequest r = CustomRequest(Msg, ACaption, AImages, AImageIndex, Buttons);
    r.X = X;
    r.Y = Y;
    return Run(r, HelpCtx, nullptr, true);
}

int TbsSkinMessage::CustomMessageDlgHelp(const std::string& Msg, const std::string& ACaption,
                                         TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                                         int HelpCtx, const std::string& HelpFileName)
{
    return Run(CustomRequest(Msg, ACaption, AImages, AImageIndex, Buttons), HelpCtx, &HelpFileName, false);
}
