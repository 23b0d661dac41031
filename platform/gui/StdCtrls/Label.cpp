// TCustomLabel (TLabel): a caption painted on its parent.
#include "platform/gui/StdCtrls.h"

#include <algorithm>

#include "platform/core/Utf8.h"

// ---- label --------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csReplicatable, csDoubleClicks};
    width_ = 65;
    height_ = 17;
    autoSize_ = true;
    color_ = clBtnFace;
}

UINT TCustomLabel::DrawTextFlags() const
{
    UINT f = DT_EXPANDTABS;
    if (wordWrap_) f |= DT_WORDBREAK;
    if (alignment_ == taCenter) f |= DT_CENTER;
    else if (alignment_ == taRightJustify) f |= DT_RIGHT;
    if (!showAccelChar_) f |= DT_NOPREFIX;
    return f;
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags)
{
    std::string text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text = " ";
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    HDC dc = c->GetHandle();
    if (!enabled_)
    {
        // Disabled: a highlight copy one pixel down-right under a shadow copy.
        TRect r = Rect;
        OffsetRect(r, 1, 1);
        c->Font()->SetColor(clBtnHighlight);
        c->RequiredState({csHandleValid, csFontValid});
        ::DrawText(dc, text, r, Flags);
        c->Font()->SetColor(clBtnShadow);
        c->RequiredState({csHandleValid, csFontValid});
        ::DrawText(dc, text, Rect, Flags);
        return;
    }
    c->RequiredState({csHandleValid, csFontValid});
    ::DrawText(dc, text, Rect, Flags);
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = GetClientRect();
    if (!GetTransparent())
    {
        c->Brush()->SetColor(color_);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(bsClear);
    const UINT flags = DrawTextFlags();
    if (layout_ != tlTop)
    {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        const int dy = r.Height() - calc.Height();
        OffsetRect(r, 0, layout_ == tlBottom ? dy : dy / 2);
    }
    int saved = SaveDC(c->GetHandle());
    const int oldMode = SetBkMode(c->GetHandle(), TRANSPARENT);
    DoDrawText(r, flags);
    SetBkMode(c->GetHandle(), oldMode);
    RestoreDC(c->GetHandle(), saved);
}

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || (ComponentState() & csLoading)) return;
    // Measured on a screen DC: the label may have no parent window yet.
    HDC dc = GetDC(nullptr);
    Canvas()->SetHandle(dc);
    TRect r = GetClientRect();
    if (!wordWrap_) r.Right = r.Left + 100000;
    DoDrawText(r, DrawTextFlags() | DT_CALCRECT);
    Canvas()->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    int x = left_;
    const int w = wordWrap_ ? width_ : r.Width();
    if (alignment_ == taRightJustify && !wordWrap_) x = left_ + width_ - w;
    else if (alignment_ == taCenter && !wordWrap_) x = left_ + (width_ - w) / 2;
    SetBounds(x, top_, w, r.Height());
}

void TCustomLabel::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment v)
{
    if (alignment_ == v) return;
    alignment_ = v;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v)
{
    if (wordWrap_ == v) return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v)
{
    if (showAccelChar_ == v) return;
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v)
{
    if (layout_ == v) return;
    layout_ = v;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v)
{
    if (GetTransparent() == v) return;
    if (v) ControlStyle.Exclude(csOpaque);
    else ControlStyle.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FocusControl) FocusControl = nullptr;
}

static char32_t accelOf(const std::string& text)
{
    // The character after a single "&" ("&&" is a literal ampersand).
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&')
        {
            if (text[i + 1] == '&')
            {
                ++i;
                continue;
            }
            std::size_t j = i + 1;
            return CharUpper(Utf8Next(text, j));
        }
    return 0;
}

void TCustomLabel::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(m);
        AdjustBounds();
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (FocusControl && enabled_ && showAccelChar_ && accelOf(GetText()) == CharUpper(char32_t(m.WParam)) &&
            FocusControl->CanFocus())
        {
            FocusControl->SetFocus();
            m.Result = 1;
            return;
        }
        break;
    default: break;
    }
    TGraphicControl::Dispatch(m);
}
