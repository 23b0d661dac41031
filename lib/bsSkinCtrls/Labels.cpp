// Labels drawn in the font and colours of the skin's "stdlabel" entry: the
// multi-line text label and the platform label with the skin's look.
#include "lib/bsSkinCtrls.h"

#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinValidate.h"

using namespace bsctrls;

namespace
{
UINT AlignmentFlag(TAlignment a)
{
    switch (a)
    {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}
} // namespace

// ---- TbsSkinLabelLink ---------------------------------------------------------------------

template <class Base>
TbsSkinLabelLink<Base>::TbsSkinLabelLink(TComponent* AOwner)
    : TbsSkinLink<Base>(AOwner), FDefaultFont(std::make_unique<TFont>())
{
}

template <class Base>
void TbsSkinLabelLink<Base>::GetSkinData()
{
    this->FIndex = bsSkinControlIndex(this->FSD, SkinDataName);
    const auto* d = dynamic_cast<const TbsDataSkinStdLabelControl*>(bsSkinControlEntry(this->FSD, this->FIndex));
    if (!d) return;
    FontName = d->FontName;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    FontColor = d->FontColor;
}

template <class Base>
void TbsSkinLabelLink<Base>::ChangeSkinData()
{
    GetSkinData();
    if (this->GetAutoSize()) SizeToText();
    this->Invalidate();
}

template <class Base>
void TbsSkinLabelLink<Base>::SetSkinData(TbsSkinData* Value)
{
    this->LinkStore(Value);
    if (Value) ChangeSkinData();
}

template <class Base>
void TbsSkinLabelLink<Base>::ApplyLabelFont(TCanvas* C)
{
    TFont* font = C->Font();
    if (this->FIndex == -1)
        font->Assign(UseSkinFont ? FDefaultFont.get() : this->Font());
    else
    {
        font->Assign(this->Font());
        if (UseSkinFont) SetSkinFont(font, FontName, FontStyle, FontHeight);
        font->SetColor(UseSkinColor ? TColor(FontColor) : this->Font()->GetColor());
    }
    SetStringTableCharset(font, this->FSD, FDefaultFont.get());
}

template <class Base>
void TbsSkinLabelLink<Base>::DrawLabelText(TCanvas* C, const std::string& text, TRect& R, UINT Flags, bool extended)
{
    auto draw = [&](TRect& r) {
        C->RequiredState({csHandleValid, csFontValid});
        HDC dc = C->GetHandle();
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        if (extended)
        {
            DRAWTEXTPARAMS params;
            DrawTextEx(dc, text, r, Flags, &params);
        }
        else
            DrawText(dc, text, r, Flags);
        SetBkMode(dc, oldMode);
    };
    if (this->GetEnabled() || (Flags & DT_CALCRECT))
    {
        draw(R);
        return;
    }
    // Disabled: the label's colour half-way to what lies behind it, kept
    // at the weak-text contrast; on a light ground it stays etched (a
    // highlight copy one pixel down and right).
    const TbsSkinData* sd = this->FIndex != -1 ? this->FSD : nullptr;
    const int ground =
        int(DominantColor(C, R, ColorToRGB(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace)));
    const int textColor = int(ColorToRGB(C->Font()->GetColor()));
    const int ink = bsWeakTextColor(bsMixColor(textColor, ground, 0.5), ground);
    const int light = int(ColorToRGB(sd ? TColor(sd->FSkinColors.FcBtnHighLight) : clBtnHighlight));
    if (bsContrastRatio(ink, 0) < bsContrastRatio(ground, 0) && bsContrastRatio(light, 0) > bsContrastRatio(ground, 0))
    {
        TRect moved = R;
        OffsetRect(moved, 1, 1);
        C->Font()->SetColor(TColor(light));
        draw(moved);
    }
    C->Font()->SetColor(TColor(ink));
    draw(R);
}

template class TbsSkinLabelLink<TGraphicControl>;
template class TbsSkinLabelLink<TCustomLabel>;

// ---- TbsSkinTextLabel ---------------------------------------------------------------------

TbsSkinTextLabel::TbsSkinTextLabel(TComponent* AOwner)
    : TbsSkinLabelLink(AOwner), FLines(std::make_unique<TStringList>())
{
    ControlStyle.Exclude(csOpaque);
    width_ = 65;
    height_ = 65;
    autoSize_ = true;
    FLines->OnChange = [this](TObject*) {
        AdjustBounds();
        Invalidate();
    };
}

TbsSkinTextLabel::~TbsSkinTextLabel() { FLines->OnChange = nullptr; }

void TbsSkinTextLabel::SetLines(const TStrings* Value)
{
    FLines->Assign(Value);
    Invalidate();
}

void TbsSkinTextLabel::SetAlignment(TAlignment v)
{
    if (FAlignment == v) return;
    FAlignment = v;
    Invalidate();
}

void TbsSkinTextLabel::SetLayout(TTextLayout v)
{
    if (FLayout == v) return;
    FLayout = v;
    Invalidate();
}

void TbsSkinTextLabel::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    AdjustBounds();
}

void TbsSkinTextLabel::SetWordWrap(bool v)
{
    if (FWordWrap == v) return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

std::string TbsSkinTextLabel::GetLinesText() const { return FLines->Text(); }

void TbsSkinTextLabel::CMFontChanged(TMessage& m)
{
    TbsSkinLabelLink::CMFontChanged(m);
    AdjustBounds();
    Invalidate();
}

void TbsSkinTextLabel::Loaded()
{
    TbsSkinLabelLink::Loaded();
    AdjustBounds();
}

void TbsSkinTextLabel::DoDrawText(TRect& R, UINT Flags)
{
    GetSkinData();
    ApplyLabelFont(Canvas());
    DrawLabelText(Canvas(), GetLinesText(), R, Flags, false);
}

void TbsSkinTextLabel::Paint()
{
    Canvas()->Brush()->SetStyle(bsClear);
    const UINT flags = (FWordWrap ? DT_WORDBREAK : 0) | DT_EXPANDTABS | AlignmentFlag(FAlignment);
    TRect R = GetClientRect();
    if (FLayout != tlTop)
    {
        TRect calc = R;
        DoDrawText(calc, flags | DT_CALCRECT);
        // The text ends with a line break, which measures one empty line more.
        calc.Bottom -= Canvas()->TextHeight("A");
        const int dy = height_ - calc.Bottom;
        OffsetRect(R, 0, FLayout == tlBottom ? dy : dy / 2);
    }
    DoDrawText(R, flags);
}

void TbsSkinTextLabel::AdjustBounds()
{
    if ((ComponentState() & csLoading) || !autoSize_) return;
    HDC dc = GetDC(nullptr);
    Canvas()->SetHandle(dc);
    TRect R = GetClientRect();
    DoDrawText(R, (FWordWrap ? DT_WORDBREAK : 0) | DT_EXPANDTABS | DT_CALCRECT);
    R.Bottom -= Canvas()->TextHeight("A");
    Canvas()->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    const int w = RectWidth(R), h = std::max(RectHeight(R), 0);
    int x = left_;
    if (FAlignment == taRightJustify) x = left_ + width_ - w;
    SetBounds(x, top_, w, h);
}

// ---- TbsSkinStdLabel -------------------------------------------------------------------------

TbsSkinStdLabel::TbsSkinStdLabel(TComponent* AOwner) : TbsSkinLabelLink(AOwner) { SetTransparent(true); }

void TbsSkinStdLabel::SetEllipsType(TbsEllipsType v)
{
    if (FEllipsType == v) return;
    FEllipsType = v;
    Invalidate();
}

void TbsSkinStdLabel::DrawSkinText(TCanvas* C, const std::string& caption, TRect& R, UINT Flags)
{
    GetSkinData();
    std::string text = caption;
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text = " ";
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    if (!(Flags & DT_CALCRECT))
    {
        if (FEllipsType == bsetEndEllips) Flags |= DT_END_ELLIPSIS;
        else if (FEllipsType == bsetPathEllips) Flags |= DT_PATH_ELLIPSIS;
    }
    ApplyLabelFont(C);
    DrawLabelText(C, text, R, Flags, FEllipsType != bsetNone);
}

void TbsSkinStdLabel::DoDrawText(TRect& Rect, UINT Flags) { DrawSkinText(Canvas(), GetLabelText(), Rect, Flags); }

void TbsSkinStdLabel::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& text)
{
    TRect R = GetClientRect();
    if (!GetTransparent())
    {
        TRect fill = R;
        OffsetRect(fill, X, Y);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(color_);
        C->FillRect(fill);
    }
    C->Brush()->SetStyle(bsClear);
    const UINT flags = DrawTextFlags();
    if (layout_ != tlTop)
    {
        TRect calc = R;
        DrawSkinText(C, text, calc, flags | DT_CALCRECT);
        const int dy = RectHeight(R) - calc.Bottom;
        OffsetRect(R, 0, layout_ == tlBottom ? dy : dy / 2);
    }
    OffsetRect(R, X, Y);
    DrawSkinText(C, text, R, flags);
}
