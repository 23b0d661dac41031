// Caption objects of the skinned frame: buttons with their states and the
// caption text.
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>

TbsActiveSkinObject::TbsActiveSkinObject(TbsSkinForm* AParent, const TbsDataSkinObject* AData) : Parent(AParent)
{
    if (!AData) return;
    IDName = AData->IDName;
    Hint = AData->Hint;
    SkinRect = AData->SkinRect;
    ActiveSkinRect = AData->ActiveSkinRect;
    InActiveSkinRect = AData->InActiveSkinRect;
    ActivePictureIndex = AData->ActivePictureIndex;
    ActiveMaskPictureIndex = AData->ActiveMaskPictureIndex;
    SkinRectInAPicture = AData->SkinRectInAPicture;
    Morphing = AData->Morphing;
    MorphKind = AData->MorphKind;
    GlowLayerPictureIndex = AData->GlowLayerPictureIndex;
    GlowLayerMaskPictureIndex = AData->GlowLayerMaskPictureIndex;
    GlowLayerOffsetX = AData->GlowLayerOffsetX;
    GlowLayerOffsetY = AData->GlowLayerOffsetY;
    GlowLayerAlphaBlendValue = AData->GlowLayerAlphaBlendValue;
    // Without its active picture the object has no hot look to fade into.
    if (!ActivePicture()) ActiveSkinRect = TRect();
    if (IsEmptyRect(ActiveSkinRect)) Morphing = false;
    ObjectRect = SkinRect;
}

TBitmap* TbsActiveSkinObject::ActivePicture() const { return bsSkinActiveBitmap(Parent->SkinData(), ActivePictureIndex); }

void TbsActiveSkinObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    TBitmap* pic = ActivePicture();
    if (!pic || !FMouseIn || IsEmptyRect(ActiveSkinRect)) return;
    const TRect& src = ActiveSkinRect;
    const int x = ObjectRect.Left - origin.X, y = ObjectRect.Top - origin.Y;
    Cnvs->CopyRect(TRect(x, y, x + RectWidth(src), y + RectHeight(src)), pic->Canvas(), src);
}

void TbsActiveSkinObject::MouseEnter()
{
    FMouseIn = true;
    Active = true;
    if (!IsEmptyRect(ActiveSkinRect)) ReDraw();
    if (Parent->OnMouseEnterEvent) Parent->OnMouseEnterEvent(IDName);
    ShowLayer();
}

void TbsActiveSkinObject::MouseLeave()
{
    FMouseIn = false;
    Active = false;
    if (!IsEmptyRect(ActiveSkinRect)) ReDraw();
    if (Parent->OnMouseLeaveEvent) Parent->OnMouseLeaveEvent(IDName);
    HideLayer();
}

void TbsActiveSkinObject::MouseDown(int X, int Y, TMouseButton Button)
{
    if (Parent->OnMouseDownEvent) Parent->OnMouseDownEvent(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseUp(int X, int Y, TMouseButton Button)
{
    if (FMouseIn && Parent->OnMouseUpEvent) Parent->OnMouseUpEvent(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseMove(int X, int Y)
{
    if (Parent->OnMouseMoveEvent) Parent->OnMouseMoveEvent(IDName, X, Y, ObjectRect);
}

// ---------------------------------------------------------------------------
TbsSkinButtonObject::TbsSkinButtonObject(TbsSkinForm* AParent, const TbsDataSkinButton* AData)
    : TbsActiveSkinObject(AParent, AData)
{
    if (!AData) return;
    DownRect = AData->DownRect;
    DisableSkinRect = AData->DisableSkinRect;
}

void TbsSkinButtonObject::MorphRects(TRect& normal, TRect& hot) const
{
    normal = SkinRect;
    hot = ActiveSkinRect;
}

TRect TbsSkinButtonObject::StateRect() const
{
    auto first = [](std::initializer_list<TRect> rs) {
        for (const TRect& r : rs)
            if (!IsEmptyRect(r)) return r;
        return TRect();
    };
    if (!Enabled) return first({DisableSkinRect, SkinRect});
    if (FDown && FMouseIn) return first({DownRect, ActiveSkinRect, SkinRect});
    if (FMouseIn) return first({ActiveSkinRect, SkinRect});
    if (!Parent->GetFormActive() && !IsEmptyRect(InActiveSkinRect)) return InActiveSkinRect;
    return SkinRect;
}

void TbsSkinButtonObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    // Between the normal and the hot look: the fade, unless a pressed,
    // disabled or inactive picture takes the place.
    const bool pressed = FDown && FMouseIn && !IsEmptyRect(DownRect);
    const bool inactive = !Parent->GetFormActive() && !IsEmptyRect(InActiveSkinRect);
    if (Enabled && !pressed && !inactive && MorphMidway())
    {
        TRect normal, hot;
        MorphRects(normal, hot);
        if (!IsEmptyRect(normal) && !IsEmptyRect(hot))
        {
            DrawMorph(Cnvs, origin, normal, hot);
            return;
        }
    }
    const TRect src = StateRect();
    // A button drawn in the frame picture needs nothing in its normal state.
    if (IsEmptyRect(src) || (!SkinRectInAPicture && src == SkinRect)) return;
    TBitmap* pic = ActivePicture();
    if (!pic) return;
    const int x = ObjectRect.Left - origin.X, y = ObjectRect.Top - origin.Y;
    Cnvs->CopyRect(TRect(x, y, x + RectWidth(src), y + RectHeight(src)), pic->Canvas(), src);
}

void TbsSkinButtonObject::MouseDown(int, int, TMouseButton Button)
{
    if (Button != mbLeft || !Enabled) return;
    const bool wasDown = FDown;
    FDown = true;
    // The pressed look shows at once, without a fade.
    if (EnableMorphing() && Active) FMorphKf = 1.0;
    Parent->Repaint();
    // A linked menu opens on the press; the button stays down until it closes.
    if (!wasDown && MenuItem && MenuItem->Count() > 0)
    {
        FMenuOpen = true;
        Parent->TrackObjectMenu(this, MenuItem, FPopupUp);
    }
}

void TbsSkinButtonObject::MouseUp(int, int, TMouseButton Button)
{
    if (Button != mbLeft || FMenuOpen) return;
    // Pressed and released over the button; a release elsewhere does nothing.
    const bool click = FDown && FMouseIn && Enabled;
    FDown = false;
    Parent->Repaint();
    if (EnableMorphing()) ReDraw();
    // Nothing of the object is touched after the click: its handler may
    // close the form or change the skin, which frees the caption objects.
    if (click) Click();
}

// ---------------------------------------------------------------------------
TbsSkinStdButtonObject::TbsSkinStdButtonObject(TbsSkinForm* AParent, const TbsDataSkinStdButton* AData)
    : TbsSkinButtonObject(AParent, AData)
{
    if (!AData) return;
    Command = AData->Command;
    RestoreRect = AData->RestoreRect;
    RestoreActiveRect = AData->RestoreActiveRect;
    RestoreDownRect = AData->RestoreDownRect;
    RestoreInActiveRect = AData->RestoreInActiveRect;
    RestoreHint = AData->RestoreHint;
    FTempHint = Hint;
}

namespace
{
bool InRestoreState(TbsSkinForm* f, TbsStdCommand cmd)
{
    const TWindowState ws = f->WindowState();
    return (cmd == cmMaximize && ws == wsMaximized) || (cmd == cmMinimize && ws == wsMinimized) ||
           (cmd == cmRollUp && f->RollUpState());
}
}  // namespace

void TbsSkinStdButtonObject::MouseEnter()
{
    if (Command != cmDefault) Hint = !RestoreHint.empty() && InRestoreState(Parent, Command) ? RestoreHint : FTempHint;
    TbsSkinButtonObject::MouseEnter();
}

bool TbsSkinStdButtonObject::ShowsIcon() const
{
    return Command == cmSysMenu && Parent->GetShowIcon() && SkinRectInAPicture;
}

bool TbsSkinStdButtonObject::IsActiveMaskPoint(int X, int Y) const
{
    return ShowsIcon() || TbsSkinButtonObject::IsActiveMaskPoint(X, Y);
}

// The form's icon has no glow.
void TbsSkinStdButtonObject::ShowLayer()
{
    if (!ShowsIcon()) TbsSkinButtonObject::ShowLayer();
}

void TbsSkinStdButtonObject::HideLayer()
{
    if (!ShowsIcon()) TbsSkinButtonObject::HideLayer();
}

bool TbsSkinStdButtonObject::CanMorphing() const
{
    return !ShowsIcon() && TbsSkinButtonObject::CanMorphing();
}

void TbsSkinStdButtonObject::MorphRects(TRect& normal, TRect& hot) const
{
    if (!IsEmptyRect(RestoreRect) && InRestoreState(Parent, Command))
    {
        normal = RestoreRect;
        hot = RestoreActiveRect;
        return;
    }
    TbsSkinButtonObject::MorphRects(normal, hot);
}

TRect TbsSkinStdButtonObject::StateRect() const
{
    const bool restore = InRestoreState(Parent, Command);
    if (!restore || IsEmptyRect(RestoreRect)) return TbsSkinButtonObject::StateRect();
    if (!Enabled) return RestoreRect;
    if (FDown && FMouseIn && !IsEmptyRect(RestoreDownRect)) return RestoreDownRect;
    if (FMouseIn && !IsEmptyRect(RestoreActiveRect)) return RestoreActiveRect;
    if (!Parent->GetFormActive() && !IsEmptyRect(RestoreInActiveRect)) return RestoreInActiveRect;
    return RestoreRect;
}

void TbsSkinStdButtonObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    if (ShowsIcon())
    {
        Parent->DrawFormIcon(Cnvs, ObjectRect.Left - origin.X, ObjectRect.Top - origin.Y);
        FMorphKf = 0.0;
        return;
    }
    if (Parent->SkinSupport())
    {
        TbsSkinButtonObject::Draw(Cnvs, origin);
        return;
    }
    TRect r = ObjectRect;
    OffsetRect(r, -origin.X, -origin.Y);
    DrawDefault(Cnvs, r);
}

void TbsSkinStdButtonObject::DrawDefault(TCanvas* Cnvs, const TRect& r)
{
    // The built-in look: a hot or pressed cell with a navy frame, else a
    // plain face; a glyph in the middle.
    const bool hot = FMouseIn && Enabled;
    Cnvs->Brush()->SetStyle(bsSolid);
    Cnvs->Brush()->SetColor(hot ? (FDown ? TColor(RGB(133, 147, 181)) : TColor(RGB(182, 189, 210))) : clBtnFace);
    Cnvs->FillRect(r);
    if (hot)
    {
        Cnvs->Brush()->SetColor(clNavy);
        Cnvs->FrameRect(r);
    }
    const TColor ink = Enabled ? clBtnText : clBtnShadow;
    Cnvs->Pen()->SetColor(ink);
    Cnvs->Brush()->SetColor(ink);
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2, s = std::max(2, RectWidth(r) / 4);
    switch (Command)
    {
    case cmClose:
        for (int d = 0; d < 2; ++d)
        {
            Cnvs->MoveTo(cx - s + d, cy - s);
            Cnvs->LineTo(cx + s + d, cy + s);
            Cnvs->MoveTo(cx + s - 1 + d, cy - s);
            Cnvs->LineTo(cx - s - 1 + d, cy + s);
        }
        break;
    case cmMaximize:
        Cnvs->FrameRect(TRect(cx - s, cy - s, cx + s + 1, cy + s + 1));
        Cnvs->FillRect(TRect(cx - s, cy - s, cx + s + 1, cy - s + 2));
        break;
    case cmMinimize: Cnvs->FillRect(TRect(cx - s, cy + s - 1, cx + s + 1, cy + s + 1)); break;
    case cmRollUp:
        for (int i = 0; i <= s; ++i) Cnvs->FillRect(TRect(cx - i, cy - s / 2 + i, cx + i + 1, cy - s / 2 + i + 1));
        break;
    case cmMinimizeToTray: Cnvs->FillRect(TRect(cx - s, cy + s - 2, cx + 1, cy + s + 1)); break;
    case cmSysMenu: Cnvs->FillRect(TRect(cx - s, cy - 1, cx + s + 1, cy + 1)); break;
    case cmDefault: break;
    }
}

void TbsSkinStdButtonObject::Click() { Parent->DoStdCommand(Command); }

void TbsSkinStdButtonObject::MouseDown(int X, int Y, TMouseButton Button)
{
    if (Command != cmSysMenu || Button != mbLeft || !Enabled || FDown)
    {
        TbsSkinButtonObject::MouseDown(X, Y, Button);
        return;
    }
    TbsSkinButtonObject::MouseDown(X, Y, Button);
    if (Parent->OnSystemMenu)
    {
        // The application shows its own menu: the button clicks as usual.
        return;
    }
    FMenuOpen = true;
    Parent->PopupSystemMenuFromObject(this);
}

// ---------------------------------------------------------------------------
TbsSkinCaptionObject::TbsSkinCaptionObject(TbsSkinForm* AParent, const TbsDataSkinCaption* AData)
    : TbsActiveSkinObject(AParent, AData)
{
    if (!AData) return;
    FontName = AData->FontName;
    FontHeight = AData->FontHeight;
    Bold = AData->FontStyle.Has(TbsFontStyles::Bold);
    FontColor = AData->FontColor;
    ActiveFontColor = AData->ActiveFontColor;
    ShadowColor = AData->ShadowColor;
    ActiveShadowColor = AData->ActiveShadowColor;
    Shadow = AData->Shadow;
    Alignment = AData->Alignment;
    TextRct = AData->TextRct;
    StretchEffect = AData->StretchEffect;
    AnimateSkinRect = AData->AnimateSkinRect;
    FrameCount = AData->FrameCount;
    AnimateInterval = AData->AnimateInterval;
    InActiveAnimation = AData->InActiveAnimation;
    Light = AData->Light;
    LightColor = AData->LightColor;
    ActiveLightColor = AData->ActiveLightColor;
    FrameRect = AData->FrameRect;
    ActiveFrameRect = AData->ActiveFrameRect;
    FrameTextRect = AData->FrameTextRect;
    FrameLeftOffset = AData->FrameLeftOffset;
    FrameRightOffset = AData->FrameRightOffset;
    FullFrame = AData->FullFrame;
    GlowEffect = AData->GlowEffect;
    GlowInActiveEffect = AData->GlowInActiveEffect;
    VistaGlowEffect = AData->VistaGlowEffect;
    VistaGlowInActiveEffect = AData->VistaGlowInActiveEffect;
    GlowSize = AData->GlowSize;
    GlowColor = AData->GlowColor;
    GlowActiveColor = AData->GlowActiveColor;
    GlowOffset = AData->GlowOffset;
    ReflectionEffect = AData->ReflectionEffect;
    ReflectionColor = AData->ReflectionColor;
    ReflectionActiveColor = AData->ReflectionActiveColor;
    ReflectionOffset = AData->ReflectionOffset;
    // The caption starts in the form's state, without a fade.
    Active = AParent->GetFormActive();
    FMorphKf = Active ? 1.0 : 0.0;
    CurrentFrame = Active ? FrameCount + 1 : 0;
}

int TbsSkinCaptionObject::QuickButtonsLeft() const
{
    int left = ObjectRect.Left;
    for (const auto& o : Parent->ObjectList)
    {
        const TRect& r = o->ObjectRect;
        if (o.get() == this || !o->Visible || IsEmptyRect(r) || r.Bottom <= ObjectRect.Top || r.Top >= ObjectRect.Bottom)
            continue;
        if (r.Left <= left && r.Right + 4 > left) left = r.Right + 4;
    }
    return left;
}

TRect TbsSkinCaptionObject::TextRect(TPoint origin) const
{
    // The text rectangle keeps its distances to the object's ends.
    TRect text(ObjectRect.Left + TextRct.Left, ObjectRect.Top + TextRct.Top,
               ObjectRect.Right - (RectWidth(SkinRect) - TextRct.Right), ObjectRect.Top + TextRct.Bottom);
    if (IsEmptyRect(TextRct)) text = ObjectRect;
    // The text lies between the caption buttons on its left and right.
    for (const auto& o : Parent->ObjectList)
    {
        const TRect& r = o->ObjectRect;
        if (o.get() == this || !o->Visible || IsEmptyRect(r) || r.Bottom <= text.Top || r.Top >= text.Bottom) continue;
        if (r.Left > text.Left && r.Left - 4 < text.Right) text.Right = r.Left - 4;
        else if (r.Left <= text.Left && r.Right + 4 > text.Left) text.Left = r.Right + 4;
    }
    // The quick buttons come first (each takes a place, shown or not).
    if (Parent->HasQuickButtons())
        text.Left = std::max(text.Left, QuickButtonsLeft() + Parent->QuickButtons()->Count() *
                                                                 (Parent->QuickImageList()->GetWidth() + 8));
    OffsetRect(text, -origin.X, -origin.Y);
    return text;
}

void TbsSkinCaptionObject::DrawText(TCanvas* C, TRect text, bool activeLook, TPoint at)
{
    if (Parent->OnCaptionPaint)
    {
        Parent->OnCaptionPaint(C, ObjectRect, activeLook);
        return;
    }
    // The text frame's picture takes its margins from the text place.
    if (!IsEmptyRect(FrameRect))
    {
        text.Top += FrameTextRect.Top;
        text.Left += FrameTextRect.Left;
        text.Right -= RectWidth(FrameRect) - FrameTextRect.Right;
    }
    if (text.Right <= text.Left) return;
    std::string caption = Parent->Form()->GetText();
    if (caption.empty()) return;
    C->Font()->SetName(FontName.empty() ? "Arial" : FontName);
    C->Font()->SetHeight(FontHeight ? FontHeight : 14);
    TFontStyles st;
    if (Bold) st.Include(fsBold);
    C->Font()->SetStyle(st);
    C->Brush()->SetStyle(bsClear);
    CorrectTextByWidthW(C, caption, RectWidth(text));
    const int tw = TextWidthW(C, caption), th = TextHeightW(C, caption);
    // With quick buttons the text is centred in the space right of them.
    const TbsAlignment al = Parent->HasQuickButtons() ? bstaCenter : Alignment;
    // A reflection takes half the text's height under it: the two are
    // centred together, so the reflection stays inside the caption.
    const int block = ReflectionEffect ? th + th / 2 + std::max(ReflectionOffset, 0) : th;
    const int y = std::max(text.Top + RectHeight(text) / 2 - block / 2, std::min(text.Top, text.Top + RectHeight(text) / 2 - th / 2));
    const int x = al == bstaCenter         ? text.Left + RectWidth(text) / 2 - tw / 2
                  : al == bstaRightJustify ? text.Right - tw
                                           : text.Left;
    const TRect r(x, y, x + tw, y + th);
    constexpr UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;
    // Plain text and its copies are laid out by the text rectangle.
    const UINT aligned = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                         (al == bstaCenter ? DT_CENTER : al == bstaRightJustify ? DT_RIGHT : DT_LEFT);
    auto rgb = [](int c) { return ColorToRGB(TColor(c)); };
    // The frame behind the text: across the caption, or as wide as the text.
    TBitmap* apic = ActivePicture();
    if (!IsEmptyRect(FrameRect) && apic)
    {
        const TRect src = activeLook && !IsEmptyRect(ActiveFrameRect) ? ActiveFrameRect : FrameRect;
        const int offset = Parent->SkinData()->ButtonsOffset;
        const int fw = FullFrame ? RectWidth(ObjectRect) - 2 * offset : RectWidth(FrameRect) + tw - RectWidth(FrameTextRect);
        if (fw > 0)
        {
            TBitmap f;
            CreateHSkinImage(FrameLeftOffset, FrameRightOffset, &f, apic, src, fw, RectHeight(FrameRect), false);
            C->Draw(FullFrame ? at.X + offset : x - FrameTextRect.Left, y - FrameTextRect.Top, &f);
        }
    }
    auto copy = [&](int dx, int color) {
        TRect c = text;
        OffsetRect(c, dx, dx);
        C->Font()->SetColor(TColor(color));
        DrawTextUnicode(C, caption, c, aligned);
    };
    if (Light) copy(-1, activeLook ? ActiveLightColor : LightColor);
    if (Shadow) copy(1, activeLook ? ActiveShadowColor : ShadowColor);
    C->Font()->SetColor(TColor(activeLook ? ActiveFontColor : FontColor));
    const COLORREF glow = rgb(activeLook ? GlowActiveColor : GlowColor);
    if (ReflectionEffect)
        DrawEffectText4(C, r, caption, rgb(activeLook ? ReflectionActiveColor : ReflectionColor), ReflectionOffset,
                        format);
    else if (VistaGlowEffect && (activeLook || VistaGlowInActiveEffect))
        DrawEffectText3(C, r, caption, glow, format);
    else if (GlowEffect && (activeLook || GlowInActiveEffect))
        DrawEffectText2(C, r, caption, GlowSize, glow, GlowOffset, format);
    else
        DrawTextUnicode(C, caption, text, aligned);
}

void TbsSkinCaptionObject::CaptionPicture(TBitmap& out, TBitmap* pic, const TRect& src, bool activeLook)
{
    TbsSkinData* sd = Parent->SkinData();
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    out.SetSize(w, h);
    if (!pic || w <= 0 || h <= 0) return;
    // The parts of the caption picture in the frame's fixed corners stay.
    const int lm = std::max(0, sd->LTPoint.X - SkinRect.Left), rm = std::max(0, SkinRect.Right - sd->RTPoint.X);
    if (lm != 0 || rm != 0) CreateHSkinImage(lm, rm, &out, pic, src, w, h, StretchEffect);
    else out.Canvas()->CopyRect(TRect(0, 0, w, h), pic->Canvas(), src);
    DrawText(out.Canvas(), TextRect(TPoint(ObjectRect.Left, ObjectRect.Top)), activeLook, TPoint(0, 0));
}

TRect TbsSkinCaptionObject::AnimationFrame(int n) const
{
    const TRect& a = AnimateSkinRect;
    if (FrameCount <= 0) return TRect();
    if (RectHeight(SkinRect) < RectHeight(a))
    {
        const int fh = RectHeight(a) / FrameCount;
        return TRect(a.Left, a.Top + fh * (n - 1), a.Right, a.Top + fh * n);
    }
    const int fw = RectWidth(a) / FrameCount;
    return TRect(a.Left + fw * (n - 1), a.Top, a.Left + fw * n, a.Bottom);
}

bool TbsSkinCaptionObject::EnableAnimation() const
{
    const TbsSkinData* sd = Parent->SkinData();
    return sd && sd->EnableSkinEffects && !sd->Empty && !IsEmptyRect(AnimateSkinRect) && FrameCount > 0;
}

void TbsSkinCaptionObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    TbsSkinData* sd = Parent->SkinData();
    if (!sd || sd->Empty) return;
    const TPoint at(ObjectRect.Left - origin.X, ObjectRect.Top - origin.Y);
    TBitmap* apic = ActivePicture();
    TBitmap* pic = sd->FPicture.Bitmap();
    auto inactiveEffect = [&](TBitmap& b) {
        if (Active || !Parent->IsAutoRenderingInActiveImage()) return;
        std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromhWnd(b.GetHandle()));
        if (!e) return;
        skinform::ApplyInActiveEffect(e.get(), sd->InActiveEffect);
        e->Draw(b.Canvas()->GetHandle(), 0, 0);
    };
    if (EnableAnimation() && apic && CurrentFrame >= 1 && CurrentFrame <= FrameCount)
    {
        // During the animation the text keeps the look of the state left.
        TBitmap b;
        CaptionPicture(b, apic, AnimationFrame(CurrentFrame), !Active);
        Cnvs->Draw(at.X, at.Y, &b);
    }
    else if (apic && !IsEmptyRect(ActiveSkinRect) && MorphMidway())
    {
        TBitmap a, b;
        CaptionPicture(a, pic, SkinRect, false);
        CaptionPicture(b, apic, ActiveSkinRect, true);
        std::unique_ptr<TbsEffectBmp> e1(TbsEffectBmp::CreateFromhWnd(a.GetHandle()));
        std::unique_ptr<TbsEffectBmp> e2(TbsEffectBmp::CreateFromhWnd(b.GetHandle()));
        if (e1 && e2)
        {
            skinform::BlendEffect(e1.get(), e2.get(), MorphKind, FMorphKf);
            e1->Draw(a.Canvas()->GetHandle(), 0, 0);
            inactiveEffect(a);
            Cnvs->Draw(at.X, at.Y, &a);
        }
    }
    else if (!apic || IsEmptyRect(ActiveSkinRect) ||
             (!Active && !EnableMorphing() && !StretchEffect && !EnableAnimation()))
        // The frame picture under the object already shows the caption.
        DrawText(Cnvs, TextRect(origin), Parent->GetFormActive(), at);
    else
    {
        TBitmap b;
        if (Active) CaptionPicture(b, apic, ActiveSkinRect, true);
        else
        {
            CaptionPicture(b, pic, SkinRect, false);
            inactiveEffect(b);
        }
        Cnvs->Draw(at.X, at.Y, &b);
    }
    if (Parent->HasQuickButtons()) DrawQuickButtons(Cnvs, origin);
}
