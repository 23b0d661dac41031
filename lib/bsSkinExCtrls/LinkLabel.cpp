// The link label: skinned font and colours, underline, hover glow, and its
// address opened with the desktop's default application on a click.
#include "lib/bsSkinExCtrls.h"

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls/Common.h"
#include "platform/sys/Process.h"

TbsSkinLinkLabel::TbsSkinLinkLabel(TComponent* AOwner) : TCustomLabel(AOwner), FDefaultFont(std::make_unique<TFont>())
{
    FDefaultFont->SetName("Arial");
    FDefaultFont->SetHeight(14);
    FDefaultFont->SetStyle(TFontStyles{fsUnderline});
    SetTransparent(true);
    Font()->Assign(FDefaultFont.get());
    SetCursor(crHandPoint);
}

TbsSkinLinkLabel::~TbsSkinLinkLabel()
{
    if (FSD) FSD->RemoveFreeNotification(this);
}

void TbsSkinLinkLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSD) FSD = nullptr;
}

void TbsSkinLinkLabel::SetSkinData(TbsSkinData* Value)
{
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD)
    {
        FSD->FreeNotification(this);
        ChangeSkinData();
    }
}

void TbsSkinLinkLabel::ChangeSkinData()
{
    GetSkinData();
    // The skin's font may be wider or narrower: an auto-sized label fits
    // its text again.
    AdjustBounds();
    Invalidate();
}

void TbsSkinLinkLabel::SetUseUnderLine(bool Value)
{
    if (FUseUnderLine == Value) return;
    FUseUnderLine = Value;
    Invalidate();
}

void TbsSkinLinkLabel::GetSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    if (const auto* d = dynamic_cast<const TbsDataSkinStdLabelControl*>(bsSkinControlEntry(FSD, FIndex)))
    {
        FontName = d->FontName;
        FontColor = d->FontColor;
        FontStyle = bsctrls::ToFontStyles(d->FontStyle);
        FontHeight = d->FontHeight;
        ActiveFontColor = d->ActiveFontColor;
    }
}

void TbsSkinLinkLabel::Click()
{
    TCustomLabel::Click();
    // The address goes to the launcher as one argument, never through a shell.
    if (!URL.empty()) sys::OpenWithSystem(URL);
}

void TbsSkinLinkLabel::CMMouseEnter(TMessage& m)
{
    TCustomLabel::CMMouseEnter(m);
    if (ComponentState() & csDesigning) return;
    FMouseIn = true;
    Invalidate();
}

void TbsSkinLinkLabel::CMMouseLeave(TMessage& m)
{
    TCustomLabel::CMMouseLeave(m);
    if (ComponentState() & csDesigning) return;
    FMouseIn = false;
    Invalidate();
}

void TbsSkinLinkLabel::DoDrawText(TRect& Rect, UINT Flags)
{
    GetSkinData();
    std::string text = GetLabelText();
    if (Flags & DT_CALCRECT)
    {
        if (text.empty()) text = " ";
        else if (text == "&" && GetShowAccelChar()) text += " ";
    }
    if (!GetShowAccelChar()) Flags |= DT_NOPREFIX;
    TRect R = Rect;
    if (GlowEffect) OffsetRect(R, 0, GlowSize);
    TCanvas* C = Canvas();
    const bool skin = FIndex != -1;
    TColor color;
    if (!skin)
    {
        C->Font()->Assign(UseSkinFont ? FDefaultFont.get() : Font());
        color = FMouseIn ? DefaultActiveFontColor : C->Font()->GetColor();
    }
    else
    {
        if (UseSkinFont)
        {
            C->Font()->SetName(FontName);
            C->Font()->SetStyle(FontStyle);
            C->Font()->SetHeight(FontHeight);
        }
        else
            C->Font()->Assign(Font());
        color = TColor(FMouseIn && !GlowEffect ? ActiveFontColor : FontColor);
    }
    bsctrls::SetStringTableCharset(C->Font(), FSD, FDefaultFont.get());
    TFontStyles st = C->Font()->GetStyle();
    if (FUseUnderLine) st.Include(fsUnderline);
    else st.Exclude(fsUnderline);
    C->Font()->SetStyle(st);
    C->Brush()->SetStyle(bsClear);
    const TColor glow = skin ? TColor(ActiveFontColor) : DefaultActiveFontColor;
    FLastRect = R;
    if (Flags & DT_CALCRECT)
    {
        // Measuring (auto-size): the text's extent, with room for the glow.
        DrawTextUnicode(C, text, R, Flags);
        Rect.Right = R.Right;
        Rect.Bottom = R.Bottom + (GlowEffect ? GlowSize : 0);
        return;
    }
    if (GetEnabled())
    {
        C->Font()->SetColor(color);
        FLastColor = color;
        if (FMouseIn && GlowEffect) DrawEffectText(C, R, text, GlowSize, ColorToRGB(glow), 0, Flags);
        else DrawTextUnicode(C, text, R, Flags);
        return;
    }
    TRect shifted = R;
    OffsetRect(shifted, 1, 1);
    C->Font()->SetColor(skin && FSD ? TColor(FSD->FSkinColors.FcBtnHighLight) : clBtnHighlight);
    DrawTextUnicode(C, text, shifted, Flags);
    const TColor shadow = skin && FSD ? TColor(FSD->FSkinColors.FcBtnShadow) : clBtnShadow;
    C->Font()->SetColor(shadow);
    FLastColor = shadow;
    DrawTextUnicode(C, text, R, Flags);
}
