// The scroll box and the scrolling of a container's children.
#include "platform/gui/ScrollBox.h"

#include <algorithm>

void TControlScrollBar::SetRange(int v)
{
    range_ = std::max(0, v);
    control_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int v) { control_->scrollTo(*this, v); }

void TControlScrollBar::SetVisible(bool v)
{
    visible_ = v;
    control_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const
{
    const int page = bar_ == SB_HORZ ? control_->ClientWidth() : control_->ClientHeight();
    return visible_ && range_ > page;
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), horz_(this, SB_HORZ), vert_(this, SB_VERT)
{
    ControlStyle = TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks, csOpaque};
}

void TScrollingWinControl::SetAutoScroll(bool v)
{
    autoScroll_ = v;
    UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    TWinControl::AlignControls(AControl, Rect);
    UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars()
{
    if (updating_) return;
    updating_ = true;
    // Showing one bar narrows the room for the other: settle in two passes.
    for (int pass = 0; pass < 2; ++pass)
    {
        if (autoScroll_)
        {
            // The children's extent, in unscrolled coordinates.
            int right = 0, bottom = 0;
            for (int i = 0; i < ControlCount(); ++i)
            {
                TControl* c = Controls(i);
                if (!c->GetVisible()) continue;
                right = std::max(right, c->Left() + c->Width() + horz_.position_);
                bottom = std::max(bottom, c->Top() + c->Height() + vert_.position_);
            }
            horz_.range_ = right;
            vert_.range_ = bottom;
        }
        if (!HandleAllocated()) break;
        for (TControlScrollBar* b : {&horz_, &vert_})
        {
            const int page = b->bar_ == SB_HORZ ? ClientWidth() : ClientHeight();
            const int most = std::max(0, b->range_ - page);
            if (b->position_ > most) scrollTo(*b, most);
            SCROLLINFO si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = 0, si.nMax = std::max(0, b->range_ - 1), si.nPage = UINT(std::max(0, page)), si.nPos = b->position_;
            SetScrollInfo(handle_, b->bar_, &si, TRUE);
            ShowScrollBar(handle_, b->bar_, b->IsScrollBarVisible());
        }
    }
    updating_ = false;
}

void TScrollingWinControl::scrollTo(TControlScrollBar& b, int pos)
{
    const int page = b.bar_ == SB_HORZ ? ClientWidth() : ClientHeight();
    pos = std::clamp(pos, 0, std::max(0, b.range_ - page));
    const int delta = b.position_ - pos;
    if (!delta) return;
    b.position_ = pos;
    if (b.bar_ == SB_HORZ) ScrollBy(delta, 0);
    else ScrollBy(0, delta);
    if (HandleAllocated()) SetScrollPos(handle_, b.bar_, pos, TRUE);
}

void TScrollingWinControl::scrollCommand(TControlScrollBar& b, WORD code, int pos)
{
    int to = 0;
    if (HandleAllocated() && ScrollCommandTarget(handle_, b.bar_, code, pos, b.Increment, 0, to)) scrollTo(b, to);
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
    if (!AControl || !ContainsControl(AControl)) return;
    const TRect r = AControl->BoundsRect();
    if (r.Left < 0) scrollTo(horz_, horz_.position_ + r.Left);
    else if (r.Right > ClientWidth()) scrollTo(horz_, horz_.position_ + r.Right - ClientWidth());
    if (r.Top < 0) scrollTo(vert_, vert_.position_ + r.Top);
    else if (r.Bottom > ClientHeight()) scrollTo(vert_, vert_.position_ + r.Bottom - ClientHeight());
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    TControlScrollBar& b = Shift.Contains(ssShift) || !vert_.IsScrollBarVisible() ? horz_ : vert_;
    scrollTo(b, b.position_ - WheelDelta / WHEEL_DELTA * 3 * b.Increment);
    return true;
}

void TScrollingWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (m.LParam) break;   // a child scroll bar's: reflected to it
        scrollCommand(m.Msg == WM_HSCROLL ? horz_ : vert_, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        UpdateScrollBars();
        return;
    case CM_CONTROLCHANGE:
    case CM_CONTROLLISTCHANGE:
        TWinControl::Dispatch(m);
        UpdateScrollBars();
        return;
    default: break;
    }
    TWinControl::Dispatch(m);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
    width_ = 185;
    height_ = 41;
    color_ = clBtnFace;
    parentColor_ = false;
}

void TScrollBox::CreateParams(TCreateParams& Params)
{
    TScrollingWinControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}
