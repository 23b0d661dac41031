// The skinned check box and radio button: value and groups, clicks, keys,
// hover cross-fade, and the flat and framed looks.
#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"

using namespace bsctrls;

TbsSkinCheckRadioBox::TbsSkinCheckRadioBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse};
    FSkinDataName = "checkbox";
    width_ = 150;
    height_ = 25;
    tabStop_ = false;
}

TbsSkinCheckRadioBox::~TbsSkinCheckRadioBox() { Watch(FImages, nullptr); }

bool TbsSkinCheckRadioBox::MorphPossible() const
{
    return Morphing && FSD && !FSD->Empty && FSD->EnableSkinEffects;
}
bool TbsSkinCheckRadioBox::IsFocused() const { return FCanFocused && Focused(); }
bool TbsSkinCheckRadioBox::MorphRunning() const { return TimerOn(MorphTimer); }

// ---- value -------------------------------------------------------------------------------

void TbsSkinCheckRadioBox::SetChecked(bool Value)
{
    const auto life = LifeToken();
    FChecked = Value;
    if (Value) FState = cbChecked;
    else if (FState == cbChecked) FState = cbUnchecked;
    Invalidate();
    if (Value && GroupIndex != 0 && Parent())
    {
        TWinControl* p = Parent();
        for (int i = 0; i < p->ControlCount(); ++i)
        {
            auto* c = dynamic_cast<TbsSkinCheckRadioBox*>(p->Controls(i));
            if (c && c != this && c->GroupIndex == GroupIndex && c->FChecked) c->SetChecked(false);
        }
    }
    if (life.expired()) return;
    if ((!FRadio || Value) && OnClick) OnClick(this);
}

void TbsSkinCheckRadioBox::SetState(TCheckBoxState Value)
{
    FState = Value;
    FChecked = Value == cbChecked;
    Invalidate();
    if (OnClick) OnClick(this);
}

void TbsSkinCheckRadioBox::Toggle()
{
    if (!FRadio) SetChecked(!FChecked);
    else if (!FChecked) SetChecked(true);
}

void TbsSkinCheckRadioBox::SetRadio(bool Value)
{
    // The entry ("radiobox") and the group are the form's to set.
    FRadio = Value;
    Invalidate();
}

void TbsSkinCheckRadioBox::SetAllowGrayed(bool Value)
{
    FAllowGrayed = Value;
    Invalidate();
}

void TbsSkinCheckRadioBox::SetFlat(bool Value)
{
    FFlat = Value;
    if (Parent()) ChangeSkinData();
    Invalidate();
}

void TbsSkinCheckRadioBox::SetWordWrap(bool Value)
{
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    if (FFlat) Invalidate();
}

void TbsSkinCheckRadioBox::SetCanFocused(bool Value)
{
    FCanFocused = Value;
    SetTabStop(Value);
}

void TbsSkinCheckRadioBox::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
    Invalidate();
}

void TbsSkinCheckRadioBox::SetImageIndex(int Value)
{
    FImageIndex = Value;
    Invalidate();
}

void TbsSkinCheckRadioBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

// ---- skin entry and size -------------------------------------------------------------

void TbsSkinCheckRadioBox::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinCheckRadioControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    FontName = d->FontName;
    FontColor = d->FontColor;
    ActiveFontColor = d->ActiveFontColor;
    FrameFontColor = d->FrameFontColor;
    UnEnabledFontColor = d->UnEnabledFontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    ActiveSkinRect = IsEmptyRect(d->ActiveSkinRect) ? d->SkinRect : d->ActiveSkinRect;
    CheckImageArea = d->CheckImageArea;
    TextArea = d->TextArea;
    CheckImageRect = d->CheckImageRect;
    UnCheckImageRect = d->UnCheckImageRect;
    ActiveCheckImageRect = IsEmptyRect(d->ActiveCheckImageRect) ? CheckImageRect : d->ActiveCheckImageRect;
    ActiveUnCheckImageRect = IsEmptyRect(d->ActiveUnCheckImageRect) ? UnCheckImageRect : d->ActiveUnCheckImageRect;
    UnEnabledCheckImageRect = IsEmptyRect(d->UnEnabledCheckImageRect) ? CheckImageRect : d->UnEnabledCheckImageRect;
    UnEnabledUnCheckImageRect =
        IsEmptyRect(d->UnEnabledUnCheckImageRect) ? UnCheckImageRect : d->UnEnabledUnCheckImageRect;
    Morphing = d->Morphing;
    MorphKind = d->MorphKind;
    GrayedCheckImageRect = d->GrayedCheckImageRect;
    ActiveGrayedCheckImageRect = d->ActiveGrayedCheckImageRect;
    if (FFlat)
    {
        Morphing = false;
        MaskPicture = nullptr;
    }
}

void TbsSkinCheckRadioBox::CalcSize(int& AWidth, int& AHeight)
{
    if (FFlat) return;
    TbsSkinCustomControl::CalcSize(AWidth, AHeight);
    if (FIndex == -1) return;
    const int d = AWidth - RectWidth(SkinRect);
    NewTextArea = TextArea;
    NewTextArea.Right += d;
    TRect area = CheckImageArea;
    if (TextArea.Right < CheckImageArea.Right) OffsetRect(area, d, 0);
    const int pw = RectWidth(CheckImageRect), ph = RectHeight(CheckImageRect);
    CIRect.Left = area.Left + RectWidth(area) / 2 - pw / 2;
    CIRect.Top = area.Top + RectHeight(area) / 2 - ph / 2;
    CIRect.Right = CIRect.Left + pw;
    CIRect.Bottom = CIRect.Top + ph;
}

void TbsSkinCheckRadioBox::ChangeSkinData()
{
    if (!FFlat)
    {
        TbsSkinCustomControl::ChangeSkinData();
        return;
    }
    GetSkinData();
    Invalidate();
}

void TbsSkinCheckRadioBox::CheckParentBackground()
{
    if (FFlat) Invalidate();
}

// ---- hover and cross-fade --------------------------------------------------------------

void TbsSkinCheckRadioBox::StartHover()
{
    if (!MorphPossible() || FIndex == -1)
    {
        Invalidate();
        return;
    }
    if (!TimerOn(MorphTimer)) StartTimer(MorphTimer, 20, [this] { MorphTick(); });
}

void TbsSkinCheckRadioBox::MorphTick()
{
    if (FIndex == -1 || !MorphPossible())
    {
        FMorphKf = Hot() ? 1.0 : 0.0;
        StopTimer(MorphTimer);
        return;
    }
    if (!StepMorph(FMorphKf, Hot())) StopTimer(MorphTimer);
    Invalidate();
}

void TbsSkinCheckRadioBox::CMMouseEnter(TMessage& m)
{
    TbsSkinCustomControl::CMMouseEnter(m);
    FMouseIn = true;
    StartHover();
}

void TbsSkinCheckRadioBox::CMMouseLeave(TMessage& m)
{
    TbsSkinCustomControl::CMMouseLeave(m);
    FMouseIn = false;
    StartHover();
}

void TbsSkinCheckRadioBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!FMouseIn)
    {
        FMouseIn = true;
        StartHover();
    }
    if (Button == mbLeft) FLeftPressed = true;
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCheckRadioBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    // Only a release that ends a press made here clicks: a press dropped for
    // want of the focus leaves its release without effect.
    const bool pressed = FLeftPressed && Button == mbLeft;
    if (Button == mbLeft) FLeftPressed = false;
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
    if (life.expired() || !pressed || !FMouseIn) return;
    if (FAllowGrayed && !FRadio && FState == cbUnchecked)
    {
        FState = cbGrayed;
        Invalidate();
        if (OnClick) OnClick(this);
    }
    else Toggle();
}

// ---- messages -----------------------------------------------------------------------------

void TbsSkinCheckRadioBox::WndProc(TMessage& m)
{
    // A click first brings the focus; without it the press is dropped.
    if (FCanFocused && (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
        !TakeFocusForPress(this, LifeToken(), FClicksDisabled))
        return;
    if (m.Msg == WM_COMMAND && FClicksDisabled) return;
    TbsSkinCustomControl::WndProc(m);
}

void TbsSkinCheckRadioBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS; return;
    case WM_KEYUP:
        TbsSkinCustomControl::Dispatch(m);
        if (FCanFocused && m.WParam == WPARAM(VK_SPACE) && Focused()) Toggle();
        return;
    case CM_DIALOGCHAR:
        if (FCanFocused && AcceleratorFocus(this, LifeToken(), m))
        {
            Toggle();
            m.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TbsSkinCustomControl::Dispatch(m);
        if (!FCanFocused) return;
        if (FFlat) Invalidate();
        else StartHover();
        return;
    case WM_MOVE:
        TbsSkinCustomControl::Dispatch(m);
        if (FFlat) Invalidate();
        return;
    case CM_ENABLEDCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        if (MorphPossible())
        {
            StopTimer(MorphTimer);
            FMorphKf = 0.0;
        }
        FMouseIn = false;
        Invalidate();
        return;
    case CM_TEXTCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        Invalidate();
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}

void TbsSkinCheckRadioBox::WMEraseBkgnd(TMessage& m) { m.Result = 1; }

// ---- painting -------------------------------------------------------------------------------

void TbsSkinCheckRadioBox::DrawCheckPicture(TCanvas* C, int X, int Y, bool AChecked)
{
    const bool grayed = FState == cbGrayed && !FRadio;
    TRect r;
    if (GetEnabled() && FMouseIn) r = AChecked || grayed ? ActiveCheckImageRect : ActiveUnCheckImageRect;
    else if (GetEnabled()) r = AChecked || grayed ? CheckImageRect : UnCheckImageRect;
    else r = AChecked || grayed ? UnEnabledCheckImageRect : UnEnabledUnCheckImageRect;
    if (grayed && !IsEmptyRect(GrayedCheckImageRect))
        r = FMouseIn && !IsEmptyRect(ActiveGrayedCheckImageRect) ? ActiveGrayedCheckImageRect : GrayedCheckImageRect;
    auto part = CopyPart(Picture, TRect(r.Left, r.Top, r.Left + RectWidth(CheckImageRect),
                                        r.Top + RectHeight(CheckImageRect)));
    if (!part) return;
    if (grayed && IsEmptyRect(GrayedCheckImageRect))
    {
        // No grayed picture: the checked one, brightened.
        std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromhWnd(part->GetHandle()));
        e->ChangeBrightness(0.5);
        e->Draw(part->Canvas()->GetHandle(), 0, 0);
    }
    part->SetTransparentMode(tmAuto);
    part->SetTransparent(true);
    C->Draw(X, Y, part.get());
}

void TbsSkinCheckRadioBox::DrawFlat(TBitmap* B, bool AChecked, bool forPaintTo)
{
    TCanvas* C = B->Canvas();
    const bool skin = FIndex != -1 && Picture;
    const int h = height_ / 2;
    const int textX = skin ? RectWidth(CheckImageRect) + 7 : 22;
    const int gap = skin ? 8 : 5;
    if (skin && UseSkinFont) SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(DefaultFont());
    SetStringTableCharset(C->Font(), FSD, DefaultFont());
    TColor colour = C->Font()->GetColor();
    if (skin)
    {
        colour = TColor(GetEnabled() ? FrameFontColor : UnEnabledFontColor);
        if (!UseSkinFontColor && GetEnabled()) colour = DefaultFont()->GetColor();
    }
    else if (!GetEnabled()) colour = clBtnShadow;
    C->Font()->SetColor(colour);
    C->Brush()->SetStyle(bsClear);

    const std::string caption = GetText();
    const bool image = FImages && FImageIndex >= 0 && FImageIndex < FImages->Count();
    TRect R, W;
    if (!FWordWrap)
    {
        const TSize e = C->TextExtent(caption);
        R = TRect(textX, h - e.cy / 2, textX + e.cx, h - e.cy / 2 + e.cy);
    }
    else
    {
        W = TRect(textX + (image ? FImages->GetWidth() + gap : 0), 0, width_, height_);
        DrawText(C->GetHandle(), caption, W, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        OffsetRect(W, 0, std::max(0, h - RectHeight(W) / 2) - W.Top);
        R = TRect(textX, 0, width_, height_);
    }
    R.Right = std::min(R.Right, width_ - 2);
    TRect imageRect;
    if (image)
    {
        const int iy = h - FImages->GetHeight() / 2;
        FImages->Draw(C, R.Left, iy, FImageIndex, GetEnabled());
        imageRect = TRect(R.Left, iy, R.Left + FImages->GetWidth(), iy + FImages->GetHeight());
        OffsetRect(R, FImages->GetWidth() + gap, 0);
    }
    if (FWordWrap) DrawText(C->GetHandle(), caption, W, DT_WORDBREAK | DT_EXPANDTABS);
    else DrawTextSingleLineVCenter(C, caption, R);

    if (skin) DrawCheckPicture(C, 3, h - RectHeight(CheckImageRect) / 2, AChecked);
    else
    {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(FMouseIn && !forPaintTo ? clNavy : clBtnShadow);
        C->FrameRect(TRect(3, h - 7, 17, h + 7));
        const bool grayed = FState == cbGrayed && !FRadio && !forPaintTo;
        if (grayed) DrawCheckGlyph(C, 7, h - 4, ColorToRGB(clGrayText));
        else if (AChecked)
        {
            const COLORREF mark = GetEnabled() ? 0 : ColorToRGB(clBtnShadow);
            if (FRadio) DrawRadioGlyph(C, 7, h - 3, mark);
            else DrawCheckGlyph(C, 7, h - 4, mark);
        }
    }
    if (!forPaintTo && IsFocused())
    {
        TRect f = R;
        InflateRect(f, 2, 1);
        f.Right += 1;
        if (!caption.empty() && FWordWrap)
        {
            f = W;
            InflateRect(f, 2, 1);
        }
        else if (caption.empty())
        {
            if (!image) return;
            f = imageRect;
            InflateRect(f, 1, 1);
        }
        if (FIndex != -1 && FSD) DrawFocusMark(C->GetHandle(), f, COLORREF(FSD->FSkinColors.FcHighLight));
        else DrawDottedFocusRect(C->GetHandle(), f, ColorToRGB(colour));
    }
}

void TbsSkinCheckRadioBox::DrawFramedSkin(TBitmap* B, const TRect& S, bool AActive, bool AChecked)
{
    CreateSkinControlImage(B, Picture, S);
    TCanvas* C = B->Canvas();
    DrawCheckPicture(C, CIRect.Left, CIRect.Top + RectHeight(CIRect) / 2 - RectHeight(CheckImageRect) / 2, AChecked);
    if (UseSkinFont) SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(DefaultFont());
    SetStringTableCharset(C->Font(), FSD, DefaultFont());
    C->Font()->SetColor(TColor(!GetEnabled() ? UnEnabledFontColor : AActive ? ActiveFontColor : FontColor));
    C->Brush()->SetStyle(bsClear);
    DrawTextSingleLineVCenter(C, GetText(), NewTextArea);
}

void TbsSkinCheckRadioBox::CreateControlDefaultImage(TBitmap* B)
{
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, width_, height_));
    if (Hot())
    {
        C->Brush()->SetColor(clBtnShadow);
        C->FrameRect(TRect(0, 0, width_, height_));
    }
    C->Font()->Assign(DefaultFont());
    SetStringTableCharset(C->Font(), FSD, DefaultFont());
    if (!GetEnabled()) C->Font()->SetColor(clBtnShadow);
    C->Brush()->SetStyle(bsClear);
    DrawTextSingleLineVCenter(C, GetText(), TRect(19, 0, width_, height_));
    const int h = height_ / 2;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FMouseIn ? clNavy : clBtnShadow);
    C->FrameRect(TRect(3, h - 7, 17, h + 7));
    if (FState == cbGrayed && !FRadio) DrawCheckGlyph(C, 7, h - 4, ColorToRGB(clGrayText));
    else if (FChecked)
    {
        const COLORREF mark = GetEnabled() ? 0 : ColorToRGB(clBtnShadow);
        if (FRadio) DrawRadioGlyph(C, 7, h - 3, mark);
        else DrawCheckGlyph(C, 7, h - 4, mark);
    }
}

void TbsSkinCheckRadioBox::Paint()
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    TBitmap B(width_, height_, pf32bit);
    if (FFlat)
    {
        DrawParentImage(this, B.Canvas());
        DrawFlat(&B, FChecked, false);
        Canvas()->Draw(0, 0, &B);
        return;
    }
    if (FIndex == -1)
    {
        TbsSkinCustomControl::Paint();
        return;
    }
    int w = width_, h = height_;
    CalcSize(w, h);
    if (MorphPossible() && FMorphKf > 0.0 && FMorphKf < 1.0)
    {
        TBitmap A(width_, height_, pf32bit);
        DrawFramedSkin(&B, SkinRect, false, FChecked);
        DrawFramedSkin(&A, ActiveSkinRect, true, FChecked);
        DrawMorph(Canvas(), &B, &A, MorphKind, FMorphKf);
        return;
    }
    if (Hot()) DrawFramedSkin(&B, ActiveSkinRect, true, FChecked);
    else DrawFramedSkin(&B, SkinRect, false, FChecked);
    Canvas()->Draw(0, 0, &B);
}

void TbsSkinCheckRadioBox::PaintSkinTo(TCanvas* C, int X, int Y, bool AChecked)
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    TBitmap B(width_, height_, pf32bit);
    if (FFlat)
    {
        DrawParentImage(this, B.Canvas());
        DrawFlat(&B, AChecked, true);
    }
    else
    {
        if (FIndex == -1) return;
        int w = width_, h = height_;
        CalcSize(w, h);
        DrawFramedSkin(&B, SkinRect, false, AChecked);
    }
    C->Draw(X, Y, &B);
}
