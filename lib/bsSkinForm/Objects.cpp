// Caption objects of the skinned frame: buttons with their states and the
// caption text.
#include "lib/bsSkinForm.h"

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
    SkinRectInAPicture = AData->SkinRectInAPicture;
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
}

void TbsActiveSkinObject::MouseLeave()
{
    FMouseIn = false;
    Active = false;
}

void TbsActiveSkinObject::MouseDown(int, int, TMouseButton) {}
void TbsActiveSkinObject::MouseUp(int, int, TMouseButton) {}

// ---------------------------------------------------------------------------
TbsSkinButtonObject::TbsSkinButtonObject(TbsSkinForm* AParent, const TbsDataSkinButton* AData)
    : TbsActiveSkinObject(AParent, AData)
{
    if (!AData) return;
    DownRect = AData->DownRect;
    DisableSkinRect = AData->DisableSkinRect;
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
    FDown = true;
    Parent->Repaint();
}

void TbsSkinButtonObject::MouseUp(int, int, TMouseButton Button)
{
    if (Button != mbLeft) return;
    // Pressed and released over the button; a release elsewhere does nothing.
    const bool click = FDown && FMouseIn && Enabled;
    FDown = false;
    Parent->Repaint();
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
}

TRect TbsSkinStdButtonObject::StateRect() const
{
    const bool restore = (Command == cmMaximize && Parent->WindowState() == wsMaximized) ||
                         (Command == cmRollUp && Parent->RollUpState());
    if (!restore || IsEmptyRect(RestoreRect)) return TbsSkinButtonObject::StateRect();
    if (!Enabled) return RestoreRect;
    if (FDown && FMouseIn && !IsEmptyRect(RestoreDownRect)) return RestoreDownRect;
    if (FMouseIn && !IsEmptyRect(RestoreActiveRect)) return RestoreActiveRect;
    if (!Parent->GetFormActive() && !IsEmptyRect(RestoreInActiveRect)) return RestoreInActiveRect;
    return RestoreRect;
}

void TbsSkinStdButtonObject::Draw(TCanvas* Cnvs, TPoint origin)
{
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
}

void TbsSkinCaptionObject::Draw(TCanvas* Cnvs, TPoint origin)
{
    const bool active = Parent->GetFormActive();
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
    OffsetRect(text, -origin.X, -origin.Y);
    if (text.Right <= text.Left) return;
    std::string caption = Parent->Form()->GetText();
    if (caption.empty()) return;
    Cnvs->Font()->SetName(FontName.empty() ? "Arial" : FontName);
    Cnvs->Font()->SetHeight(FontHeight ? FontHeight : 14);
    TFontStyles st;
    if (Bold) st.Include(fsBold);
    Cnvs->Font()->SetStyle(st);
    Cnvs->Brush()->SetStyle(bsClear);
    CorrectTextByWidthW(Cnvs, caption, RectWidth(text));
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                        (Alignment == bstaCenter ? DT_CENTER : Alignment == bstaRightJustify ? DT_RIGHT : DT_LEFT);
    if (Shadow)
    {
        TRect sh = text;
        OffsetRect(sh, 1, 1);
        Cnvs->Font()->SetColor(active ? ActiveShadowColor : ShadowColor);
        DrawTextUnicode(Cnvs, caption, sh, format);
    }
    Cnvs->Font()->SetColor(active ? ActiveFontColor : FontColor);
    DrawTextUnicode(Cnvs, caption, text, format);
}
