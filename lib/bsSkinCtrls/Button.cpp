// The skinned push button: looks, glyph and caption, mouse and keys, dialog
// keys, groups, auto-repeat, cross-fade, frame animation and glow frame.
#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"
#include "platform/gui/Forms.h"

namespace
{
constexpr unsigned MorphInterval = 20;

} // namespace

TbsSkinButton::TbsSkinButton(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse};
    FSkinDataName = "button";
    width_ = 75;
    height_ = 25;
    tabStop_ = true;
    FGlyph = std::make_unique<TBitmap>();
    FLayerManager = std::make_unique<TbsLayerManager>(nullptr);
}

TbsSkinButton::~TbsSkinButton()
{
    StopMorph();
    StopAnimate();
    StopRepeat();
    Watch(FImageList, nullptr);
}

// ---- terms ------------------------------------------------------------------------

bool TbsSkinButton::SkinEffectsOn() const { return FSD && !FSD->Empty && FSD->EnableSkinEffects; }
bool TbsSkinButton::MorphingActive() const { return SkinEffectsOn() && Morphing; }
bool TbsSkinButton::IsFocused() const { return FCanFocused && Focused(); }
bool TbsSkinButton::MorphRunning() const { return bsctrls::TimerOn(MorphTimer); }
bool TbsSkinButton::RepeatRunning() const { return FRepeat.Running(); }

// ---- skin entry -------------------------------------------------------------------

void TbsSkinButton::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    if (FIndex == -1)
    {
        AnimateSkinRect = TRect();
        return;
    }
    const auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    if (!UseSkinSize && MaskPicture) MaskPicture = nullptr;
    FontName = d->FontName;
    FontColor = d->FontColor;
    ActiveFontColor = d->ActiveFontColor;
    DownFontColor = d->DownFontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    ActiveSkinRect = d->ActiveSkinRect;
    DownSkinRect = d->DownSkinRect;
    if (IsEmptyRect(ActiveSkinRect)) ActiveSkinRect = SkinRect;
    if (IsEmptyRect(DownSkinRect)) DownSkinRect = ActiveSkinRect;
    DisabledSkinRect = d->DisabledSkinRect;
    FocusedSkinRect = d->FocusedSkinRect;
    DisabledFontColor = d->DisabledFontColor;
    Morphing = d->Morphing;
    MorphKind = d->MorphKind;
    AnimateSkinRect = d->AnimateSkinRect;
    FrameCount = d->FrameCount;
    AnimateInterval = d->AnimateInterval;
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
    if (DisabledFontColor == FontColor) DisabledFontColor = 0x808080;

    // A running frame animation shows its current frame.
    TRect fr;
    if (SkinEffectsOn() && FAnimation.Frame(SkinRect, AnimateSkinRect, FrameCount, fr))
    {
        if (FAnimation.Inc) ActiveSkinRect = fr;
        else SkinRect = fr;
    }
}

void TbsSkinButton::CalcSize(int& AWidth, int& AHeight)
{
    if (UseSkinSize || ResizeMode == 1)
    {
        TbsSkinCustomControl::CalcSize(AWidth, AHeight);
        return;
    }
    NewClRect = ClRect;
    NewClRect.Right += AWidth - RectWidth(SkinRect);
    NewClRect.Bottom += AHeight - RectHeight(SkinRect);
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

void TbsSkinButton::SetDown(bool Value)
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
    Invalidate();
    if (FGroupIndex != 0 && FDown && !AllowAllUp && Parent())
    {
        TWinControl* p = Parent();
        for (int i = 0; i < p->ControlCount(); ++i)
        {
            auto* b = dynamic_cast<TbsSkinButton*>(p->Controls(i));
            if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) b->SetDown(false);
        }
    }
}

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

void TbsSkinButton::SetGlyph(TBitmap* Value)
{
    if (Value) FGlyph->Assign(Value);
    else FGlyph = std::make_unique<TBitmap>();
    Invalidate();
}

void TbsSkinButton::SetNumGlyphs(int Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TbsSkinButton::SetMargin(int Value)
{
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TbsSkinButton::SetSpacing(int Value)
{
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TbsSkinButton::SetLayout(TbsButtonLayout Value)
{
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
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

void TbsSkinButton::RefreshButton()
{
    FMouseIn = false;
    FDown = false;
    if (MorphingActive()) FMorphKf = 0.0;
    if (SkinEffectsOn()) StopAnimate();
    Invalidate();
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
    if (!GetEnabled() && !IsEmptyRect(DisabledSkinRect)) DrawButtonState(&B, DisabledSkinRect, false, false);
    else if (FDown && (FGroupIndex != 0 || FMouseIn || (focused && !FMouseDown)))
        DrawButtonState(&B, DownSkinRect, true, true);
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
    if (ShowFocus && Focused()) DrawDottedFocusRect(C->GetHandle(), tr, ColorToRGB(C->Font()->GetColor()));
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
    DrawGlyphAndText(C, tr, FMargin, FSpacing, FLayout, caption, FGlyph.get(), FNumGlyphs,
                     bsctrls::GlyphFrame(ADown && AActive, AActive, enabled, FNumGlyphs), ADown && AActive, false, 0);
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
    else if (FMouseIn || IsFocused())
    {
        frame = TColor(0x800000);
        fill = TColor(0xD2BDB6);
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(fill);
    C->FillRect(r);
    C->Brush()->SetColor(frame);
    C->FrameRect(r);
    C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    if (!GetEnabled()) C->Font()->SetColor(clBtnShadow);
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

void TbsSkinButton::StartMorph()
{
    if (!MorphingActive() || FIndex == -1)
    {
        Invalidate();
        return;
    }
    if (bsctrls::TimerOn(MorphTimer)) return;
    bsctrls::StartTimer(MorphTimer, MorphInterval, [this] { MorphTick(); });
}

void TbsSkinButton::StopMorph() { bsctrls::StopTimer(MorphTimer); }

void TbsSkinButton::MorphTick()
{
    const bool toActive = FMouseIn || IsFocused();
    if (FIndex == -1 || !MorphingActive())
    {
        FMorphKf = toActive ? 1.0 : 0.0;
        StopMorph();
        return;
    }
    if (!bsctrls::StepMorph(FMorphKf, toActive)) StopMorph();
    Invalidate();
}

void TbsSkinButton::StartAnimate(bool In)
{
    if (FIndex == -1 || !SkinEffectsOn() || IsEmptyRect(AnimateSkinRect) || FrameCount <= 0) return;
    FAnimation.Start(In, FrameCount, AnimateInterval, [this] { Invalidate(); });
}

void TbsSkinButton::StartRepeat()
{
    FRepeat.Start(RepeatInterval, [this] { ButtonClick(); });
}

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
    if (life.expired() || Button != mbLeft) return;
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

void TbsSkinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    if (Button == mbLeft)
    {
        FMouseDown = false;
        const bool inside = X >= 0 && Y >= 0 && X < width_ && Y < height_;
        if (FGroupIndex == 0)
        {
            const bool was = FDown;
            if (inside)
            {
                SetDown(false);
                StopRepeat();
                if (was) ButtonClick();
            }
            else
            {
                FDown = false;
                StopRepeat();
                Invalidate();
            }
        }
        else if (FDown && AllowAllUp && FAllowAllUpCheck && inside)
        {
            SetDown(false);
            ButtonClick();
        }
    }
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
