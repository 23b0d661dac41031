// The skinned push button: looks, glyph and caption, mouse and keys, dialog
// keys, groups, auto-repeat, cross-fade, frame animation and glow frame.
#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"
#include "lib/bsSkinValidate.h"
#include "platform/gui/Forms.h"

namespace
{
constexpr unsigned MorphInterval = 20;

// The focus mark of a default button: a ring two pixels inside its w x h
// face, in the caption's colour (the accent face takes no accent ring).
void DrawDefaultFocusRing(HDC dc, int w, int h, TColor color)
{
    DrawAccentRing(dc, TRect(2, 2, w - 2, h - 2), COLORREF(ColorToRGB(color)), 1);
}
} // namespace

TbsSkinButton::TbsSkinButton(TComponent* AOwner) : TbsSkinButtonFace(AOwner)
{
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse};
    FSkinDataName = "button";
    width_ = 75;
    height_ = 25;
    tabStop_ = true;
    FLayerManager = std::make_unique<TbsLayerManager>(nullptr);
}

TbsSkinButton::~TbsSkinButton()
{
    StopMorph();
    StopAnimate();
    StopRepeat();
    Watch(FImageList, nullptr);
}

// ---- what both push buttons share ------------------------------------------------

template <class Base>
TbsSkinButtonFace<Base>::TbsSkinButtonFace(TComponent* AOwner) : Base(AOwner), FGlyph(std::make_unique<TBitmap>())
{
}

template <class Base>
void TbsSkinButtonFace<Base>::SetGlyph(TBitmap* Value)
{
    if (Value) FGlyph->Assign(Value);
    else FGlyph = std::make_unique<TBitmap>();
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::SetNumGlyphs(int Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::SetMargin(int Value)
{
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::SetSpacing(int Value)
{
    if (Value == FSpacing) return;
    FSpacing = Value;
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::SetLayout(TbsButtonLayout Value)
{
    if (Value == FLayout) return;
    FLayout = Value;
    this->Invalidate();
}

template <class Base>
const TbsDataSkinButtonControl* TbsSkinButtonFace<Base>::TakeButtonEntry()
{
    const auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(this->FSD, this->FIndex));
    if (!d) return nullptr;
    FontName = d->FontName;
    FontColor = d->FontColor;
    ActiveFontColor = d->ActiveFontColor;
    DownFontColor = d->DownFontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    ActiveSkinRect = d->ActiveSkinRect;
    DownSkinRect = d->DownSkinRect;
    if (IsEmptyRect(ActiveSkinRect)) ActiveSkinRect = this->SkinRect;
    if (IsEmptyRect(DownSkinRect)) DownSkinRect = ActiveSkinRect;
    DisabledSkinRect = d->DisabledSkinRect;
    DisabledFontColor = d->DisabledFontColor;
    Morphing = d->Morphing;
    MorphKind = d->MorphKind;
    AnimateSkinRect = d->AnimateSkinRect;
    FrameCount = d->FrameCount;
    AnimateInterval = d->AnimateInterval;
    if (DisabledFontColor == FontColor) DisabledFontColor = 0x808080;
    return d;
}

template <class Base>
void TbsSkinButtonFace<Base>::ShowAnimationFrame(bool effectsOn)
{
    TRect fr;
    if (!effectsOn || !FAnimation.Frame(this->SkinRect, AnimateSkinRect, FrameCount, fr)) return;
    if (FAnimation.Inc) ActiveSkinRect = fr;
    else this->SkinRect = fr;
}

template <class Base>
void TbsSkinButtonFace<Base>::DrawGlyphContent(TCanvas* C, const TRect& R, const std::string& caption, bool pressed,
                                               bool active)
{
    DrawGlyphAndText(C, R, FMargin, FSpacing, FLayout, caption, FGlyph.get(), FNumGlyphs,
                     bsctrls::GlyphFrame(pressed, active, this->GetEnabled(), FNumGlyphs), pressed, false, 0);
}

template <class Base>
void TbsSkinButtonFace<Base>::SetDown(bool Value)
{
    FDown = Value;
    if (MorphingActive())
    {
        if (FDown)
        {
            FMorphKf = 1.0;
            StopMorph();
        }
        else StartMorph();
    }
    this->Invalidate();
    if (FGroupIndex == 0 || !FDown || AllowAllUp || !this->Parent()) return;
    TWinControl* p = this->Parent();
    for (int i = 0; i < p->ControlCount(); ++i)
    {
        auto* b = dynamic_cast<TbsSkinButtonFace*>(p->Controls(i));
        if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) b->SetDown(false);
    }
}

template <class Base>
void TbsSkinButtonFace<Base>::CalcSize(int& AWidth, int& AHeight)
{
    if (UseSkinSize || this->ResizeMode == 1)
    {
        Base::CalcSize(AWidth, AHeight);
        return;
    }
    // A free-sized button keeps the size asked for; the text follows it.
    this->NewClRect = this->ClRect;
    this->NewClRect.Right += AWidth - RectWidth(this->SkinRect);
    this->NewClRect.Bottom += AHeight - RectHeight(this->SkinRect);
}

template <class Base>
void TbsSkinButtonFace<Base>::PressLeft()
{
    StopAnimate();
    FMouseDown = true;
    if (!FDown)
    {
        FMouseIn = true;
        SetDown(true);
        if (RepeatMode && FGroupIndex == 0) StartRepeat();
        else if (FGroupIndex != 0) ButtonClick();
        FAllowAllUpCheck = false;
    }
    else if (FGroupIndex != 0) FAllowAllUpCheck = true;
}

template <class Base>
void TbsSkinButtonFace<Base>::ReleaseLeft(bool inside)
{
    FMouseDown = false;
    if (FGroupIndex == 0)
    {
        const bool was = FDown;
        StopRepeat();
        if (inside)
        {
            SetDown(false);
            if (was) ButtonClick();
        }
        else
        {
            FDown = false;
            this->Invalidate();
        }
    }
    else if (FDown && AllowAllUp && FAllowAllUpCheck && inside)
    {
        SetDown(false);
        ButtonClick();
    }
}

template <class Base>
void TbsSkinButtonFace<Base>::RefreshButton()
{
    FMouseIn = false;
    FDown = false;
    if (MorphingActive()) FMorphKf = 0.0;
    if (SkinEffectsOn()) StopAnimate();
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::StartMorph()
{
    if (!MorphingActive() || this->FIndex == -1 || !CanMorph())
    {
        this->Invalidate();
        return;
    }
    if (bsctrls::TimerOn(MorphTimer)) return;
    bsctrls::StartTimer(MorphTimer, MorphInterval, [this] { MorphTick(); });
}

template <class Base>
void TbsSkinButtonFace<Base>::MorphTick()
{
    const bool hot = MorphHot();
    if (this->FIndex == -1 || !MorphingActive())
    {
        FMorphKf = hot ? 1.0 : 0.0;
        StopMorph();
        return;
    }
    if (!bsctrls::StepMorph(FMorphKf, hot)) StopMorph();
    this->Invalidate();
}

template <class Base>
void TbsSkinButtonFace<Base>::StartAnimate(bool In)
{
    if (!CanAnimate() || this->FIndex == -1 || !SkinEffectsOn() || IsEmptyRect(AnimateSkinRect) || FrameCount <= 0)
        return;
    FAnimation.Start(In, FrameCount, AnimateInterval, [this] { this->Invalidate(); });
}

template class TbsSkinButtonFace<TbsSkinCustomControl>;
template class TbsSkinButtonFace<TbsGraphicSkinCustomControl>;

// ---- terms ------------------------------------------------------------------------

bool TbsSkinButton::IsFocused() const { return FCanFocused && Focused(); }

// ---- skin entry -------------------------------------------------------------------

void TbsSkinButton::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    if (FIndex == -1)
    {
        AnimateSkinRect = TRect();
        return;
    }
    const TbsDataSkinButtonControl* d = TakeButtonEntry();
    if (!d) return;
    if (!UseSkinSize && MaskPicture) MaskPicture = nullptr;
    FocusedSkinRect = d->FocusedSkinRect;
    ShowFocus = d->ShowFocus;
    GlowLayerPictureIndex = d->GlowLayerPictureIndex;
    GlowLayerMaskPictureIndex = d->GlowLayerMaskPictureIndex;
    GlowLayerOffsetLeft = d->GlowLayerOffsetLeft;
    GlowLayerOffsetRight = d->GlowLayerOffsetRight;
    GlowLayerOffsetTop = d->GlowLayerOffsetTop;
    GlowLayerOffsetBottom = d->GlowLayerOffsetBottom;
    GlowLayerShowOffsetX = d->GlowLayerShowOffsetX;
    GlowLayerShowOffsetY = d->GlowLayerShowOffsetY;
    GlowLayerAlphaBlendValue = d->GlowLayerAlphaBlendValue;
    ShowAnimationFrame(SkinEffectsOn());
}

void TbsSkinButton::BeforeChangeSkinData()
{
    if (FLayerManager && FLayerManager->IsVisible) FLayerManager->Hide();
    TbsSkinCustomControl::BeforeChangeSkinData();
}

void TbsSkinButton::ChangeSkinData()
{
    StopMorph();
    StopAnimate();
    FMorphKf = 0.0;
    TbsSkinCustomControl::ChangeSkinData();
    if (MorphingActive() && FIndex != -1 && (IsFocused() || FMouseIn)) FMorphKf = 1.0;
    if (FMouseIn && HandleAllocated()) PostMessage(GetHandle(), BSM_BUTTON_SHOWLAYER, 0, 0);
}

// ---- properties -------------------------------------------------------------------

void TbsSkinButton::SetGroupIndex(int Value)
{
    FGroupIndex = Value;
    if (Value != 0) SetCanFocused(false);
}

void TbsSkinButton::SetCanFocused(bool Value)
{
    FCanFocused = Value;
    SetTabStop(Value);
}

void TbsSkinButton::SetDefault(bool Value)
{
    FDefault = Value;
    if (!HandleAllocated() || !FCanFocused) return;
    if (TCustomForm* f = GetParentForm(this))
        f->Perform(CM_FOCUSCHANGED, 0, LPARAM(f->GetActiveControl()));
}

void TbsSkinButton::SetImageList(TCustomImageList* Value)
{
    Watch(FImageList, Value);
    FImageList = Value;
    Invalidate();
}

void TbsSkinButton::SetImageIndex(int Value)
{
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Invalidate();
}

void TbsSkinButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImageList) FImageList = nullptr;
}

void TbsSkinButton::ButtonClick()
{
    if (FCanFocused)
        if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(ModalResult);
    if (OnClick) OnClick(this);
}

// ---- painting ---------------------------------------------------------------------

void TbsSkinButton::Paint()
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    if (FIndex == -1)
    {
        TbsSkinCustomControl::Paint();
        return;
    }
    int w = width_, h = height_;
    CalcSize(w, h);
    TBitmap B(width_, height_, pf32bit);
    const bool focused = IsFocused();
    if (MorphingActive() && FMorphKf > 0.0 && FMorphKf < 1.0 && GetEnabled())
    {
        TBitmap A(width_, height_, pf32bit);
        DrawButtonState(&B, SkinRect, false, false);
        DrawButtonState(&A, ActiveSkinRect, false, true);
        bsctrls::DrawMorph(Canvas(), &B, &A, MorphKind, FMorphKf);
        return;
    }
    const COLORREF accent = FSD ? COLORREF(FSD->FSkinColors.FcHighLight) : COLORREF(0);
    if (!GetEnabled() && !IsEmptyRect(DisabledSkinRect)) DrawButtonState(&B, DisabledSkinRect, false, false);
    else if (FDown && FGroupIndex != 0 && !FPointerIn && !FMouseIn)
    {
        // Down in a group (latched): the pressed face with an accent bar, so
        // it never reads as a button being pressed right now.
        DrawButtonState(&B, DownSkinRect, true, true);
        DrawAccentBar(B.Canvas()->GetHandle(), TRect(3, 0, width_ - 3, height_ - 2), accent, 3);
    }
    else if (FDown && (FGroupIndex != 0 || FMouseIn || (focused && !FMouseDown)))
        DrawButtonState(&B, DownSkinRect, true, true);
    else if (FDefault && FActive && !FPointerIn && !FDown)
    {
        // The default button: its normal face filled with the accent (the
        // hot face belongs to the pointer); with the focus as well, a ring
        // inside the face marks it.
        FAccentFace = true;
        DrawButtonState(&B, SkinRect, false, false);
        FAccentFace = false;
    }
    else if (focused && !IsEmptyRect(FocusedSkinRect) && !FAnimation.Running())
        DrawButtonState(&B, FocusedSkinRect, false, true);
    else if (focused || FMouseIn) DrawButtonState(&B, ActiveSkinRect, false, true);
    else if (!MorphingActive() || FMorphKf != 1.0) DrawButtonState(&B, SkinRect, false, false);
    else DrawButtonState(&B, ActiveSkinRect, false, true);
    Canvas()->Draw(0, 0, &B);
}

void TbsSkinButton::DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive)
{
    TRect tr;
    if (UseSkinSize || ResizeMode == 1)
    {
        CreateSkinControlImage(B, Picture, R);
        tr = NewClRect;
    }
    else
    {
        tr = bsctrls::DrawFreeSizedLook(B, Picture, R, ResizeMode, ClRect);
    }
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsClear);
    if (UseSkinFont) bsctrls::SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    const bool enabled = GetEnabled();
    C->Font()->SetColor(TColor(bsctrls::ButtonFontColor(enabled, UseSkinFontColor, int(DefaultFont()->GetColor()),
                                                        ADown, AActive, DownFontColor, ActiveFontColor, FontColor,
                                                        DisabledFontColor)));
    if (FAccentFace && FSD)
    {
        // Most of the way to the accent (made readable for the selection
        // text, as views select), the face's shading still showing.
        const int text = int(ColorToRGB(TColor(FSD->FSkinColors.FcHighLightText)));
        const double target = bsBodyTextContrast + bsTextContrastMargin;
        TintFace(B, COLORREF(bsColorReaching(int(ColorToRGB(TColor(FSD->FSkinColors.FcHighLight))), text, target + 1)),
                 88);
        C->Font()->SetColor(TColor(bsReadableColor({text, 0xFFFFFF, 0}, int(DominantColor(B, tr)), target)));
        if (IsFocused()) DrawDefaultFocusRing(C->GetHandle(), B->GetWidth(), B->GetHeight(), C->Font()->GetColor());
    }
    else if (!enabled)
        C->Font()->SetColor(TColor(bsWeakTextColor(int(ColorToRGB(C->Font()->GetColor())), int(DominantColor(B, tr)))));
    if (ShowFocus && Focused()) DrawFocusMark(C->GetHandle(), tr, COLORREF(FSD->FSkinColors.FcHighLight));
    bool drawDefault = true;
    if (OnPaint) OnPaint(this, C, tr, ADown, AActive, drawDefault);
    if (!drawDefault) return;
    const std::string caption = GetText();
    if (FImageList && FImageIndex >= 0 && FImageIndex < FImageList->Count())
    {
        DrawImageAndText(C, tr, FMargin, FSpacing, FLayout, caption, FImageIndex, FImageList, ADown && AActive,
                         enabled, false, 0);
        return;
    }
    DrawGlyphContent(C, tr, caption, ADown && AActive, AActive);
}

void TbsSkinButton::CreateControlDefaultImage(TBitmap* B)
{
    TCanvas* C = B->Canvas();
    const TRect r(0, 0, B->GetWidth(), B->GetHeight());
    const bool pressed = FDown && (FGroupIndex != 0 || FMouseIn || (IsFocused() && !FMouseDown));
    TColor frame = clBtnShadow, fill = clBtnFace;
    if (pressed)
    {
        frame = TColor(0x800000);
        fill = TColor(0xB59385);
    }
    else if ((FMouseIn && !(FDefault && FActive && !FPointerIn)) || IsFocused())
    {
        frame = TColor(0x800000);
        fill = TColor(0xD2BDB6);
    }
    // The default button filled with the selection colour (with the focus,
    // a ring inside it).
    const bool accentFace = FDefault && FActive && !pressed && !FPointerIn && GetEnabled();
    if (accentFace)
        frame = TColor(0x800000), fill = TColor(bsColorReaching(int(ColorToRGB(clHighlight)),
                                                                int(ColorToRGB(clHighlightText)),
                                                                bsBodyTextContrast + bsTextContrastMargin));
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(fill);
    C->FillRect(r);
    C->Brush()->SetColor(frame);
    C->FrameRect(r);
    C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    if (!GetEnabled())
        C->Font()->SetColor(TColor(bsWeakTextColor(int(ColorToRGB(clBtnShadow)), int(ColorToRGB(fill)))));
    if (accentFace) C->Font()->SetColor(clHighlightText);
    if (accentFace && IsFocused()) DrawDefaultFocusRing(C->GetHandle(), r.Width(), r.Height(), clHighlightText);
    C->Brush()->SetStyle(bsClear);
    bool drawDefault = true;
    if (OnPaint) OnPaint(this, C, r, FDown, FMouseIn, drawDefault);
    if (!drawDefault) return;
    const std::string caption = GetText();
    if (FImageList && FImageIndex >= 0 && FImageIndex < FImageList->Count())
    {
        DrawImageAndText(C, r, FMargin, FSpacing, FLayout, caption, FImageIndex, FImageList, FDown && FMouseIn,
                         GetEnabled(), false, 0);
        return;
    }
    DrawGlyphAndText(C, r, FMargin, FSpacing, FLayout, caption, FGlyph.get(), FNumGlyphs,
                     bsctrls::GlyphFrame(FDown && FMouseIn, FMouseIn, GetEnabled(), FNumGlyphs), pressed, false, 0);
}

// ---- timers -----------------------------------------------------------------------


// ---- glow frame --------------------------------------------------------------------

bool TbsSkinButton::GlowPossible() const
{
    if (!FSD || FSD->Empty || !IsLayeredWindowsAvailable()) return false;
    if (!(FSD->ShowButtonGlowFrames || AlwaysShowLayeredFrame) || GlowLayerPictureIndex == -1) return false;
    return ResizeMode == 0 || ResizeMode == 1 || (ResizeMode == 2 && UseSkinSize);
}

void TbsSkinButton::ShowLayer()
{
    if (!GlowPossible()) return;
    TBitmap* pic = bsSkinActiveBitmap(FSD, GlowLayerPictureIndex);
    TBitmap* mask = bsSkinActiveBitmap(FSD, GlowLayerMaskPictureIndex);
    if (!pic || !mask) return;
    if (TCustomForm* f = GetParentForm(this)) FLayerManager->TopMostMode = f->GetFormStyle() == fsStayOnTop;
    TbsBitmap srcImg, srcMask, img, msk;
    srcImg.Assign(pic);
    srcMask.Assign(mask);
    const int pw = srcImg.Width(), ph = srcImg.Height();
    const int dw = width_ - RectWidth(SkinRect), dh = height_ - RectHeight(SkinRect);
    if (ResizeMode == 0)
    {
        img.Assign(pic);
        msk.Assign(mask);
    }
    else if (ResizeMode == 2)
    {
        // Wider by the button's growth; the glow's ends keep their size.
        for (auto [src, dst] : {std::pair{&srcImg, &img}, std::pair{&srcMask, &msk}})
            CreateHSkinImage(GlowLayerOffsetLeft, GlowLayerOffsetRight, dst, src, TRect(0, 0, pw, ph), pw + dw, ph,
                             true);
    }
    else
    {
        const TRect margins(GlowLayerOffsetLeft, GlowLayerOffsetTop, pw - GlowLayerOffsetRight,
                            ph - GlowLayerOffsetBottom);
        for (auto [src, dst] : {std::pair{&srcImg, &img}, std::pair{&srcMask, &msk}})
        {
            dst->SetSize(pw + dw, ph + dh);
            CreateSkinImageByClRect(dst, src, TRect(0, 0, pw, ph), margins, true);
        }
    }
    const TPoint p = ClientToScreen(TPoint(0, 0));
    FLayerManager->Show(p.X - GlowLayerShowOffsetX, p.Y - GlowLayerShowOffsetY, &img, &msk,
                        GlowLayerAlphaBlendValue);
}

void TbsSkinButton::HideLayer()
{
    if (GlowPossible()) FLayerManager->Hide();
}

// ---- mouse ----------------------------------------------------------------------------

void TbsSkinButton::CMMouseEnter(TMessage& m)
{
    TbsSkinCustomControl::CMMouseEnter(m);
    FMouseIn = true;
    FPointerIn = true;
    if ((FGroupIndex != 0 && !FDown) || (FGroupIndex == 0 && (FDown || !IsFocused())))
    {
        if (FDown)
        {
            if (MorphingActive()) FMorphKf = 1.0;
            Invalidate();
        }
        else
        {
            StartAnimate(true);
            StartMorph();
        }
    }
    if (FDown && RepeatMode && FGroupIndex == 0) StartRepeat();
    if (HandleAllocated()) PostMessage(GetHandle(), BSM_BUTTON_SHOWLAYER, 0, 0);
}

void TbsSkinButton::CMMouseLeave(TMessage& m)
{
    TbsSkinCustomControl::CMMouseLeave(m);
    FPointerIn = false;
    if (!(FCanFocused && FDefault && FActive && !Focused())) FMouseIn = false;
    if ((FGroupIndex != 0 && !FDown) || (FGroupIndex == 0 && (FDown || !IsFocused())))
    {
        StartAnimate(false);
        StartMorph();
    }
    if (FDown && FGroupIndex == 0) StopRepeat();
    if (HandleAllocated()) PostMessage(GetHandle(), BSM_BUTTON_HIDELAYER, 0, 0);
}

void TbsSkinButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
    if (!life.expired() && Button == mbLeft) PressLeft();
}

void TbsSkinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    if (Button == mbLeft) ReleaseLeft(X >= 0 && Y >= 0 && X < width_ && Y < height_);
    // The click handler may have freed or hidden the button.
    if (life.expired() || !HandleAllocated() || !GetVisible()) return;
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---- keys -------------------------------------------------------------------------------

void TbsSkinButton::KeyDown(WORD& Key, TShiftState Shift)
{
    const auto life = LifeToken();
    TbsSkinCustomControl::KeyDown(Key, Shift);
    if (life.expired() || !FCanFocused) return;
    if (Key == VK_SPACE)
    {
        StopAnimate();
        FDown = true;
        Invalidate();
        if (RepeatMode) ButtonClick();
    }
    else if (Key == VK_RETURN) ButtonClick();
}

void TbsSkinButton::KeyUp(WORD& Key, TShiftState Shift)
{
    const auto life = LifeToken();
    TbsSkinCustomControl::KeyUp(Key, Shift);
    if (life.expired() || !FCanFocused || Key != VK_SPACE) return;
    FDown = false;
    Invalidate();
    ButtonClick();
}

// ---- messages ----------------------------------------------------------------------------

void TbsSkinButton::CreateWnd()
{
    TbsSkinCustomControl::CreateWnd();
    FActive = FDefault;
}

void TbsSkinButton::WndProc(TMessage& m)
{
    // A press on an unfocused button first brings the focus; when the focus
    // does not come, the press is dropped before anything captures the mouse.
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && FCanFocused &&
        !bsctrls::TakeFocusForPress(this, LifeToken(), FClicksDisabled))
        return;
    TbsSkinCustomControl::WndProc(m);
}

void TbsSkinButton::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case BSM_BUTTON_SHOWLAYER: ShowLayer(); return;
    case BSM_BUTTON_HIDELAYER: HideLayer(); return;
    case WM_COMMAND:
        if (FClicksDisabled) return;
        break;
    case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS; return;
    case WM_SETFOCUS:
        TbsSkinCustomControl::Dispatch(m);
        if (FCanFocused)
        {
            StartAnimate(true);
            StartMorph();
        }
        return;
    case WM_KILLFOCUS:
        TbsSkinCustomControl::Dispatch(m);
        StopRepeat();
        if (FDown && FGroupIndex == 0)
        {
            FDown = false;
            FMouseDown = false;
        }
        if (FCanFocused)
        {
            StartAnimate(false);
            StartMorph();
        }
        Invalidate();
        return;
    case CM_FOCUSCHANGED:
    {
        auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
        FActive = dynamic_cast<TbsSkinButton*>(focused) ? focused == this : FDefault;
        if (FDefault && FCanFocused && focused != this)
        {
            // The default button looks active while no other button has the focus.
            if (MorphingActive()) FMorphKf = FActive ? 1.0 : 0.0;
            FMouseIn = FActive;
            Invalidate();
        }
        break;
    }
    case CM_DIALOGKEY:
        if (m.WParam == WPARAM(VK_RETURN) && FActive && GetEnabled())
        {
            ButtonClick();
            m.Result = 1;
            return;
        }
        if (m.WParam == WPARAM(VK_ESCAPE) && Cancel && FCanFocused && CanFocus())
        {
            const TShiftState s = KeyDataToShiftState(m.LParam);
            if (!s.Contains(ssShift) && !s.Contains(ssCtrl) && !s.Contains(ssAlt))
            {
                ButtonClick();
                m.Result = 1;
                return;
            }
        }
        break;
    case CM_DIALOGCHAR:
        if (FCanFocused && bsctrls::AcceleratorFocus(this, LifeToken(), m))
        {
            ButtonClick();
            m.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        StopMorph();
        FMorphKf = 0.0;
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
