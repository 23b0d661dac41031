// TButton: the plain push button.
#include "platform/gui/StdCtrls.h"

#include <algorithm>

#include "platform/core/Utf8.h"

// ---- button ----------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse, csClickEvents};
    width_ = 75;
    height_ = 25;
    tabStop_ = true;
    color_ = clBtnFace;
    parentColor_ = false;
    brush_->SetColor(color_);
}

void TButton::SetDefault(bool v)
{
    if (default_ == v) return;
    default_ = v;
    TCustomForm* f = GetParentForm(this);
    TWinControl* focused = f ? f->GetActiveControl() : nullptr;
    active_ = (focused && focused == this) || (v && !dynamic_cast<TButton*>(focused));
    Invalidate();
}

void TButton::Click()
{
    if (TCustomForm* f = GetParentForm(this); f && ModalResult != mrNone) f->SetModalResult(ModalResult);
    TCustomControl::Click();
}

void TButton::Paint()
{
    TRect r = GetClientRect();
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    HDC dc = c->GetHandle();
    TRect e = r;
    if (Focused() || default_)
    {
        c->Brush()->SetColor(clBlack);
        c->FrameRect(r);
        InflateRect(e, -1, -1);
    }
    DrawEdge(dc, e, down_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    c->Font()->Assign(Font());
    if (!enabled_) c->Font()->SetColor(clGrayText);
    c->Brush()->SetStyle(bsClear);
    std::string t = GetText();
    TRect tr = r;
    if (down_) OffsetRect(tr, 1, 1);
    c->TextRect(tr, t, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
    if (Focused())
    {
        TRect fr = r;
        InflateRect(fr, -4, -4);
        c->DrawFocusRect(fr);
    }
}

void TButton::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (CanFocus() && !Focused()) SetFocus();
        down_ = true;
        Invalidate();
        break;
    case WM_LBUTTONUP:
        down_ = false;
        Invalidate();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS;
        return;
    case WM_KEYDOWN:
        if (m.WParam == WPARAM(VK_SPACE))
        {
            TCustomControl::Dispatch(m);
            Click();
            return;
        }
        break;
    case CM_FOCUSCHANGED:
    {
        auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
        const bool was = active_;
        active_ = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
        if (was != active_) Invalidate();
        break;
    }
    case CM_DIALOGKEY:
        if (((m.WParam == WPARAM(VK_RETURN) && active_) ||
             (m.WParam == WPARAM(VK_ESCAPE) && Cancel)) &&
            CanFocus())
        {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_DIALOGCHAR:
    {
        const std::string t = GetText();
        const std::size_t amp = t.find('&');
        if (amp != std::string::npos && amp + 1 < t.size() && t[amp + 1] != '&' && CanFocus())
        {
            std::size_t j = amp + 1;
            if (CharUpper(Utf8Next(t, j)) == CharUpper(char32_t(m.WParam)))
            {
                Click();
                m.Result = 1;
                return;
            }
        }
        break;
    }
    default: break;
    }
    TCustomControl::Dispatch(m);
}
