// Labels drawn in the font and colours of the skin's "stdlabel" entry: the
// multi-line text label and the platform label with the skin's look.
#include "lib/bsSkinCtrls.h"

#include "lib/bsSkinCtrls/Common.h"

using namespace bsctrls;

namespace
{
struct LabelFont
{
    int Index;
    const TbsSkinData* SD;
    const std::string& Name;
    TbsFontStyles Style;
    int Height;
    int Color;
};

// The canvas font of a skinned label: the default or own font without an
// entry, else the entry's face (with UseSkinFont) and colour (with
// UseSkinColor); the string table's character set.
void ApplyLabelFont(TCanvas* C, const LabelFont& f, bool useSkinFont, bool useSkinColor, TFont* defaultFont,
                    TFont* ownFont)
{
    TFont* font = C->Font();
    if (f.Index == -1)
        font->Assign(useSkinFont ? defaultFont : ownFont);
    else
    {
        if (useSkinFont)
        {
            font->Assign(ownFont);
            SetSkinFont(font, f.Name, f.Style, f.Height);
        }
        else
            font->Assign(ownFont);
        font->SetColor(useSkinColor ? TColor(f.Color) : ownFont->GetColor());
    }
    SetStringTableCharset(font, f.SD, defaultFont);
}

// Draws once when enabled; disabled, a highlight copy one pixel down-right
// under a shadow copy, in the skin's colours when there is an entry.
void DrawLabelText(TCanvas* C, const LabelFont& f, bool enabled, const std::string& text, TRect& R, UINT flags,
                   bool extended)
{
    auto draw = [&](TRect& r) {
        C->RequiredState({csHandleValid, csFontValid});
        HDC dc = C->GetHandle();
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        if (extended)
        {
            DRAWTEXTPARAMS params;
            DrawTextEx(dc, text, r, flags, &params);
        }
        else
            DrawText(dc, text, r, flags);
        SetBkMode(dc, oldMode);
    };
    if (enabled || (flags & DT_CALCRECT))
    {
        draw(R);
        return;
    }
    const bool skin = f.Index != -1 && f.SD;
    TRect moved = R;
    OffsetRect(moved, 1, 1);
    C->Font()->SetColor(skin ? TColor(f.SD->FSkinColors.FcBtnHighLight) : clBtnHighlight);
    draw(moved);
    C->Font()->SetColor(skin ? TColor(f.SD->FSkinColors.FcBtnShadow) : clBtnShadow);
    draw(R);
}

UINT AlignmentFlag(TAlignment a)
{
    switch (a)
    {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

template <class Label>
void TakeLabelEntry(Label& l, const TbsSkinData* sd, int index)
{
    const auto* d = dynamic_cast<const TbsDataSkinStdLabelControl*>(bsSkinControlEntry(sd, index));
    if (!d) return;
    l.FontName = d->FontName;
    l.FontStyle = d->FontStyle;
    l.FontHeight = d->FontHeight;
    l.FontColor = d->FontColor;
}
} // namespace

// ---- TbsSkinTextLabel ---------------------------------------------------------------------

TbsSkinTextLabel::TbsSkinTextLabel(TComponent* AOwner)
    : TGraphicControl(AOwner), FDefaultFont(std::make_unique<TFont>()), FLines(std::make_unique<TStringList>())
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

TbsSkinTextLabel::~TbsSkinTextLabel()
{
    FLines->OnChange = nullptr;
    WatchComponent(this, FSD, nullptr);
}

void TbsSkinTextLabel::GetSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    TakeLabelEntry(*this, FSD, FIndex);
}

void TbsSkinTextLabel::ChangeSkinData()
{
    GetSkinData();
    if (autoSize_) AdjustBounds();
    Invalidate();
}

void TbsSkinTextLabel::SetSkinData(TbsSkinData* Value)
{
    WatchComponent(this, FSD, Value);
    FSD = Value;
    if (FSD) ChangeSkinData();
}

void TbsSkinTextLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSD)
    {
        FSD = nullptr;
        FIndex = -1;
    }
}

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
    TGraphicControl::CMFontChanged(m);
    AdjustBounds();
    Invalidate();
}

void TbsSkinTextLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TbsSkinTextLabel::DoDrawText(TRect& R, UINT Flags)
{
    GetSkinData();
    const LabelFont f{FIndex, FSD, FontName, FontStyle, FontHeight, FontColor};
    ApplyLabelFont(Canvas(), f, UseSkinFont, UseSkinColor, FDefaultFont.get(), Font());
    DrawLabelText(Canvas(), f, GetEnabled(), GetLinesText(), R, Flags, false);
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

TbsSkinStdLabel::TbsSkinStdLabel(TComponent* AOwner)
    : TCustomLabel(AOwner), FDefaultFont(std::make_unique<TFont>())
{
    SetTransparent(true);
}

TbsSkinStdLabel::~TbsSkinStdLabel() { WatchComponent(this, FSD, nullptr); }

void TbsSkinStdLabel::GetSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    TakeLabelEntry(*this, FSD, FIndex);
}

void TbsSkinStdLabel::ChangeSkinData()
{
    GetSkinData();
    if (autoSize_) AdjustBounds();
    Invalidate();
}

void TbsSkinStdLabel::SetSkinData(TbsSkinData* Value)
{
    WatchComponent(this, FSD, Value);
    FSD = Value;
    if (FSD) ChangeSkinData();
}

void TbsSkinStdLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSD)
    {
        FSD = nullptr;
        FIndex = -1;
    }
}

void TbsSkinStdLabel::SetEllipsType(TbsEllipsType v)
{
    if (FEllipsType == v) return;
    FEllipsType = v;
    Invalidate();
}

UINT TbsSkinStdLabel::SkinTextFlags() const
{
    UINT f = DrawTextFlags();
    if (FEllipsType == bsetEndEllips) f |= DT_END_ELLIPSIS;
    else if (FEllipsType == bsetPathEllips) f |= DT_PATH_ELLIPSIS;
    return f;
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
    const LabelFont f{FIndex, FSD, FontName, FontStyle, FontHeight, FontColor};
    ApplyLabelFont(C, f, UseSkinFont, UseSkinColor, FDefaultFont.get(), Font());
    DrawLabelText(C, f, GetEnabled(), text, R, Flags, FEllipsType != bsetNone);
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
    const UINT flags = SkinTextFlags();
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
