// THintWindow: the window that shows a hint.
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- hint window ----------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    color_ = clInfoBk;
    parentColor_ = false;
    brush_->SetColor(color_);
    visible_ = false;
    font_->SetColor(clInfoText);
    parentFont_ = false;
}

void THintWindow::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.Style = WS_POPUP | WS_BORDER;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    p.WndParent = nullptr;
    p.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& AHint)
{
    SetText(AHint);
    HandleNeeded();
    SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    SetWindowPos(handle_, HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    visible_ = true;
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const std::string& AHint, void*) { ActivateHint(Rect, AHint); }

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*)
{
    TRect r(0, 0, MaxWidth > 0 ? MaxWidth : 300, 0);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_->GetHandle());
    DrawText(dc, AHint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r.Right += 6;
    r.Bottom += 4;
    return r;
}

void THintWindow::ReleaseHandle()
{
    if (handle_) ShowWindow(handle_, SW_HIDE);
    visible_ = false;
}

void THintWindow::Paint()
{
    TRect r = GetClientRect();
    canvas_->Brush()->SetColor(color_);
    canvas_->FillRect(r);
    canvas_->Font()->Assign(font_.get());
    InflateRect(r, -2, -2);
    std::string t = GetText();
    canvas_->Brush()->SetStyle(bsClear);
    canvas_->TextRect(r, t, TTextFormat{tfLeft, tfWordBreak, tfNoPrefix});
}

void THintWindow::WMNCHitTest(TMessage& m) { m.Result = HTTRANSPARENT; }

void THintWindow::Dispatch(TMessage& m)
{
    if (m.Msg == WM_NCHITTEST)
    {
        WMNCHitTest(m);
        return;
    }
    TCustomControl::Dispatch(m);
}
