// The skinned speed button: the push button's looks without a window or
// focus, flat and transparent modes, captions that can be hidden, tool-bar
// images, the drop-down marker and the image-grid menu's selected item.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"
#include "lib/bsSkinMenus.h"
#include "platform/gui/Menus.h"

TbsSkinSpeedButton::TbsSkinSpeedButton(TComponent* AOwner) : TbsSkinButtonFace(AOwner)
{
    ControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    SkinDataName = "toolbutton";
    width_ = 25;
    height_ = 25;
}

TbsSkinSpeedButton::~TbsSkinSpeedButton()
{
    FRepeat.Stop();
    FAnimation.Stop();
    bsctrls::StopTimer(MorphTimer);
    if (FSkinImagesMenu) FSkinImagesMenu->ReleaseInternal(this);
    Watch(FSkinImagesMenu, nullptr);
    Watch(FButtonImages, nullptr);
}

TbsSkinToolBar* TbsSkinSpeedButton::ToolBar() const { return dynamic_cast<TbsSkinToolBar*>(Parent()); }

// ---- skin entry -------------------------------------------------------------------

void TbsSkinSpeedButton::GetSkinData()
{
    TbsGraphicSkinCustomControl::GetSkinData();
    if (FIndex == -1)
    {
        AnimateSkinRect = TRect();
        return;
    }
    const TbsDataSkinButtonControl* d = TakeButtonEntry();
    if (!d) return;
    // The cross-fade never runs on a transparent button.
    if (Transparent()) Morphing = false;
    MenuMarkerRect = d->MenuMarkerRect;
    MenuMarkerActiveRect = d->MenuMarkerActiveRect;
    MenuMarkerDownRect = d->MenuMarkerDownRect;
    MenuMarkerFlatRect = d->MenuMarkerFlatRect;
    MenuMarkerTransparentColor = d->MenuMarkerTransparentColor;
    if (IsEmptyRect(MenuMarkerActiveRect)) MenuMarkerActiveRect = MenuMarkerRect;
    if (IsEmptyRect(MenuMarkerDownRect)) MenuMarkerDownRect = MenuMarkerActiveRect;
    if (IsEmptyRect(MenuMarkerFlatRect)) MenuMarkerFlatRect = MenuMarkerRect;
    ShowAnimationFrame(SkinEffectsOn());
}

void TbsSkinSpeedButton::ChangeSkinData()
{
    FAnimation.Stop();
    bsctrls::StopTimer(MorphTimer);
    TbsGraphicSkinCustomControl::ChangeSkinData();
    if (MorphingActive() && FIndex != -1 && FMouseIn && !Transparent()) FMorphKf = 1.0;
}

// ---- properties -------------------------------------------------------------------

void TbsSkinSpeedButton::SetFlat(bool Value)
{
    FFlat = Value;
    SetTransparent(Value);
}

void TbsSkinSpeedButton::SetTransparent(bool Value)
{
    if (Value) ControlStyle.Exclude(csOpaque);
    else ControlStyle.Include(csOpaque);
    Invalidate();
}

void TbsSkinSpeedButton::SetShowCaption(bool Value)
{
    if (Value != FShowCaption) FShowCaption = Value;
    if (WidthWithCaption > 0 && WidthWithoutCaption > 0)
        SetWidth(FShowCaption ? WidthWithCaption : WidthWithoutCaption);
    else
        Invalidate();
}

void TbsSkinSpeedButton::SetImageList(TCustomImageList* Value)
{
    Watch(FButtonImages, Value);
    FButtonImages = Value;
    Invalidate();
}

void TbsSkinSpeedButton::SetImageIndex(int Value)
{
    FImageIndex = Value;
    if (ToolBar()) Invalidate();
}

void TbsSkinSpeedButton::SetSkinImagesMenu(TbsSkinImagesMenu* Value)
{
    if (FSkinImagesMenu && FSkinImagesMenu != Value) FSkinImagesMenu->ReleaseInternal(this);
    Watch(FSkinImagesMenu, Value);
    FSkinImagesMenu = Value;
    if (FSkinImagesMenu) FSkinImagesMenu->SetInternalChange(this, [this](TObject*) { Invalidate(); });
    Invalidate();
}

void TbsSkinSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsGraphicSkinCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSkinImagesMenu) FSkinImagesMenu = nullptr;
    if (AComponent == FButtonImages) FButtonImages = nullptr;
}

void TbsSkinSpeedButton::ButtonClick()
{
    if (OnClick) OnClick(this);
}

// ---- painting ---------------------------------------------------------------------

void TbsSkinSpeedButton::DrawContent(TCanvas* C, const TRect& R, bool pressed, bool active)
{
    const bool enabled = GetEnabled();
    const std::string caption = FShowCaption ? GetText() : std::string();
    TbsImagesMenuItem* sel = FSkinImagesMenu ? FSkinImagesMenu->GetSelectedItem() : nullptr;
    if (sel && UseImagesMenuImage)
    {
        DrawImageAndText(C, R, FMargin, FSpacing, FLayout, UseImagesMenuCaption ? sel->Caption() : caption,
                         sel->ImageIndex(), FSkinImagesMenu->Images(), pressed, enabled, false, 0);
        return;
    }
    TbsSkinToolBar* bar = ToolBar();
    if (FGlyph->Empty() && bar)
    {
        TCustomImageList* list = bar->Images();
        if (!enabled && bar->DisabledImages()) list = bar->DisabledImages();
        else if ((active || pressed) && bar->HotImages()) list = bar->HotImages();
        // Disabled images are drawn as they are, not greyed once more.
        const bool drawEnabled = enabled || list == bar->DisabledImages();
        if (list && (FImageIndex < 0 || FImageIndex >= list->Count())) list = nullptr;
        DrawImageAndText(C, R, FMargin, FSpacing, FLayout, caption, list ? FImageIndex : -1, list, pressed,
                         drawEnabled, false, 0);
        return;
    }
    if (FGlyph->Empty() && FButtonImages && FImageIndex >= 0 && FImageIndex < FButtonImages->Count())
    {
        DrawImageAndText(C, R, FMargin, FSpacing, FLayout, caption, FImageIndex, FButtonImages, pressed, enabled,
                         false, 0);
        return;
    }
    DrawGlyphContent(C, R, caption, pressed, active);
}

TColor TbsSkinSpeedButton::StateTextColor(bool pressed, bool active) const
{
    return TColor(bsctrls::ButtonFontColor(GetEnabled(), UseSkinFontColor, int(DefaultFont()->GetColor()), pressed,
                                           active, DownFontColor, ActiveFontColor, FontColor, DisabledFontColor));
}

void TbsSkinSpeedButton::DrawStateContent(TCanvas* C, const TRect& paintRect, const TRect& R, bool pressed,
                                          bool active)
{
    C->Brush()->SetStyle(bsClear);
    if (UseSkinFont) bsctrls::SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    C->Font()->SetColor(StateTextColor(pressed, active));
    bool drawDefault = true;
    if (OnPaint) OnPaint(this, C, paintRect, pressed, active, drawDefault);
    if (drawDefault) DrawContent(C, R, pressed, active);
}

TRect TbsSkinSpeedButton::DrawStateLook(TBitmap* B, const TRect& R)
{
    if (UseSkinSize || ResizeMode == 1)
    {
        CreateSkinControlImage(B, Picture, R);
        return NewClRect;
    }
    return bsctrls::DrawFreeSizedLook(B, Picture, R, ResizeMode, ClRect);
}

void TbsSkinSpeedButton::DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive)
{
    const TRect content = DrawStateLook(B, R);
    DrawStateContent(B->Canvas(), NewClRect, content, ADown && AActive, AActive);
}

namespace bsctrls
{
void DrawDefaultFace(TCanvas* C, const TRect& r, TDefaultFace face)
{
    C->Brush()->SetStyle(bsSolid);
    TColor frame = clBtnShadow, fill = clBtnFace;
    if (face == TDefaultFace::Pressed)
    {
        frame = TColor(0x800000);
        fill = TColor(0xB59385);
    }
    else if (face == TDefaultFace::Hot)
    {
        frame = TColor(0x800000);
        fill = TColor(0xD2BDB6);
    }
    C->Brush()->SetColor(fill);
    C->FillRect(r);
    if (face == TDefaultFace::Plain) return;
    C->Brush()->SetColor(frame);
    C->FrameRect(r);
}
} // namespace bsctrls

void TbsSkinSpeedButton::CreateControlDefaultImage(TBitmap* B)
{
    using bsctrls::TDefaultFace;
    TCanvas* C = B->Canvas();
    const TRect r(0, 0, B->GetWidth(), B->GetHeight());
    const bool pressed = Pressed();
    if (pressed) bsctrls::DrawDefaultFace(C, r, TDefaultFace::Pressed);
    else if (FMouseIn) bsctrls::DrawDefaultFace(C, r, TDefaultFace::Hot);
    else if (!FFlat) bsctrls::DrawDefaultFace(C, r, TDefaultFace::Normal);
    else if (!Transparent()) bsctrls::DrawDefaultFace(C, r, TDefaultFace::Plain);
    DrawDefaultContent(C, r, pressed, FMouseIn || FDown);
}

void TbsSkinSpeedButton::DrawDefaultContent(TCanvas* C, const TRect& R, bool pressed, bool active)
{
    C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    if (!GetEnabled()) C->Font()->SetColor(clBtnShadow);
    C->Brush()->SetStyle(bsClear);
    bool drawDefault = true;
    if (OnPaint) OnPaint(this, C, R, FDown, FMouseIn, drawDefault);
    if (drawDefault) DrawContent(C, R, pressed, active);
}

void TbsSkinSpeedButton::PaintTransparent()
{
    PaintTransparentContent(FIndex == -1 ? TRect(0, 0, width_, height_) : NewClRect);
}

void TbsSkinSpeedButton::PaintTransparentContent(const TRect& r)
{
    TCanvas* C = Canvas();
    if (FIndex != -1 && UseSkinFont) bsctrls::SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(DefaultFont());
    bsctrls::SetStringTableCharset(C->Font(), FSD, DefaultFont());
    if (!GetEnabled())
        C->Font()->SetColor(FIndex == -1 || !FSD ? clBtnShadow : TColor(FSD->FSkinColors.FcBtnShadow));
    else if (FIndex != -1 && UseSkinFontColor && FSD)
        C->Font()->SetColor(TColor(FSD->FSkinColors.FcBtnText));
    C->Brush()->SetStyle(bsClear);
    bool drawDefault = true;
    if (OnPaint) OnPaint(this, C, r, FDown, FMouseIn, drawDefault);
    if (!drawDefault) return;
    DrawContent(C, r, false, false);
}

void TbsSkinSpeedButton::Paint()
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    const bool pressed = Pressed();
    if (FIndex == -1)
    {
        if (pressed || FMouseIn || !Transparent()) TbsGraphicSkinCustomControl::Paint();
        else PaintTransparent();
        return;
    }
    int w = width_, h = height_;
    CalcSize(w, h);
    TBitmap B(width_, height_, pf32bit);
    if (MorphingActive() && FMorphKf != 0.0 && FMorphKf != 1.0 && !Transparent())
    {
        TBitmap A(width_, height_, pf32bit);
        DrawButtonState(&B, SkinRect, false, false);
        DrawButtonState(&A, ActiveSkinRect, false, true);
        bsctrls::DrawMorph(Canvas(), &B, &A, MorphKind, FMorphKf);
        return;
    }
    if (pressed) DrawButtonState(&B, DownSkinRect, true, true);
    else if (FMouseIn || (MorphingActive() && FMorphKf == 1.0)) DrawButtonState(&B, ActiveSkinRect, false, true);
    else if (Transparent())
    {
        PaintTransparent();
        return;
    }
    else if (!GetEnabled() && !IsEmptyRect(DisabledSkinRect)) DrawButtonState(&B, DisabledSkinRect, false, false);
    else DrawButtonState(&B, SkinRect, false, false);
    Canvas()->Draw(0, 0, &B);
}

void TbsSkinSpeedButton::DrawMenuMarker(TCanvas* C, const TRect& R, bool AActive, bool ADown, bool AFlat)
{
    TRect src = MenuMarkerRect;
    if (ADown) src = MenuMarkerDownRect;
    else if (AActive) src = MenuMarkerActiveRect;
    else if (AFlat) src = MenuMarkerFlatRect;
    auto marker = bsctrls::CopyPart(Picture, src);
    if (!marker) return;
    marker->SetTransparentColor(TColor(MenuMarkerTransparentColor));
    marker->SetTransparent(true);
    C->Draw(R.Left + RectWidth(R) / 2 - marker->GetWidth() / 2, R.Top + RectHeight(R) / 2 - marker->GetHeight() / 2,
            marker.get());
}

// ---- timers -----------------------------------------------------------------------

// ---- mouse and messages -------------------------------------------------------------

void TbsSkinSpeedButton::CMMouseEnter(TMessage& m)
{
    TbsGraphicSkinCustomControl::CMMouseEnter(m);
    if (!GetEnabled()) return;
    FMouseIn = true;
    if (FGroupIndex == 0 || !FDown)
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
    if (FDown && RepeatMode && FGroupIndex == 0)
        StartRepeat();
}

void TbsSkinSpeedButton::CMMouseLeave(TMessage& m)
{
    TbsGraphicSkinCustomControl::CMMouseLeave(m);
    if (!GetEnabled()) return;
    FMouseIn = false;
    if (FGroupIndex == 0 || !FDown)
    {
        StartAnimate(false);
        StartMorph();
    }
    if (FDown && FGroupIndex == 0) FRepeat.Stop();
}

void TbsSkinSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsGraphicSkinCustomControl::MouseDown(Button, Shift, X, Y);
    if (!life.expired() && Button == mbLeft) PressLeft();
}

void TbsSkinSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsGraphicSkinCustomControl::MouseUp(Button, Shift, X, Y);
    // The click handler may free the button: nothing after it.
    if (!life.expired() && Button == mbLeft) ReleaseLeft(X >= 0 && Y >= 0 && X < width_ && Y < height_);
}

void TbsSkinSpeedButton::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case CM_DIALOGCHAR:
        if (GetEnabled() && GetVisible() && Parent() && Parent()->Showing() && IsAccel(WORD(m.WParam), GetText()))
        {
            m.Result = 1;
            ButtonClick();
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TbsGraphicSkinCustomControl::Dispatch(m);
        bsctrls::StopTimer(MorphTimer);
        if (MorphingActive()) FMorphKf = 0.0;
        FMouseIn = false;
        Invalidate();
        return;
    case CM_TEXTCHANGED:
        TbsGraphicSkinCustomControl::Dispatch(m);
        Invalidate();
        return;
    default: break;
    }
    TbsGraphicSkinCustomControl::Dispatch(m);
}
