// The up-down arrow pair.
#include <algorithm>

#include "platform/gui/ComCtrls.h"

namespace
{
constexpr std::uintptr_t kRepeatTimer = 0xAD01;
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    width_ = 17;
    height_ = 25;
    color_ = clBtnFace;
    parentColor_ = false;
    tabStop_ = false;
}

void TCustomUpDown::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.WinClassName = "msctls_updown32";
}

void TCustomUpDown::SetMin(int v)
{
    min_ = v;
    position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
}

void TCustomUpDown::SetMax(int v)
{
    max_ = v;
    position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
}

void TCustomUpDown::SetPosition(int v) { position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_)); }

void TCustomUpDown::SetOrientation(TUDOrientation v)
{
    orientation_ = v;
    Invalidate();
}

int TCustomUpDown::ArrowAt(TPoint p)
{
    const TRect cr = GetClientRect();
    if (!cr.Contains(p)) return 0;
    if (orientation_ == udVertical) return p.Y < cr.Height() / 2 ? 1 : -1;
    return p.X >= cr.Width() / 2 ? 1 : -1;
}

bool TCustomUpDown::Step(int direction)
{
    // Min may be above Max: "next" still means towards Max.
    const int lo = std::min(min_, max_), hi = std::max(min_, max_);
    const int sign = max_ >= min_ ? 1 : -1;
    long next = long(position_) + long(direction) * sign * Increment;
    if (next > hi) next = Wrap ? lo : hi;
    else if (next < lo) next = Wrap ? hi : lo;
    if (int(next) == position_) return false;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return false;
    position_ = int(next);
    const std::weak_ptr<char> alive = LifeToken();
    if (OnClick) OnClick(this, direction > 0 ? btNext : btPrev);
    if (alive.expired() || !HandleAllocated()) return true;
    if (HWND parent = GetParent(handle_))
    {
        const UINT msg = orientation_ == udVertical ? WM_VSCROLL : WM_HSCROLL;
        SendMessage(parent, msg, MAKEWPARAM(SB_THUMBPOSITION, WORD(position_)), reinterpret_cast<LPARAM>(handle_));
        if (IsWindow(parent)) SendMessage(parent, msg, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(handle_));
    }
    return true;
}

void TCustomUpDown::stopRepeat()
{
    if (HandleAllocated()) KillTimer(handle_, kRepeatTimer);
    if (pressed_)
    {
        pressed_ = 0;
        Invalidate();
    }
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    const int a = ArrowAt(TPoint(X, Y));
    if (!a) return;
    pressed_ = a;
    Invalidate();
    const std::weak_ptr<char> alive = LifeToken();
    Step(a);
    if (alive.expired() || !pressed_ || !HandleAllocated()) return;
    SetTimer(handle_, kRepeatTimer, RepeatDelay);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) stopRepeat();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (!ArrowKeys) return;
    const bool vert = orientation_ == udVertical;
    if ((vert && Key == VK_UP) || (!vert && Key == VK_RIGHT)) Step(1), Key = 0;
    else if ((vert && Key == VK_DOWN) || (!vert && Key == VK_LEFT)) Step(-1), Key = 0;
}

void TCustomUpDown::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_TIMER:
        if (m.WParam == kRepeatTimer)
        {
            // Repeats while the arrow stays pressed and the pointer on it.
            TPoint p;
            GetCursorPos(&p);
            if (!pressed_ || GetCapture() != handle_)
            {
                stopRepeat();
                return;
            }
            SetTimer(handle_, kRepeatTimer, RepeatInterval);
            if (ArrowAt(ScreenToClient(p)) == pressed_) Step(pressed_);
            return;
        }
        break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
    case CM_CANCELMODE:
        stopRepeat();
        break;
    case CN_HSCROLL:
    case CN_VSCROLL:
        // Its own steps reflected back by the parent: nothing more to do.
        m.Result = 0;
        return;
    case UDM_SETRANGE32:
        min_ = int(std::intptr_t(m.WParam));
        max_ = int(m.LParam);
        SetPosition(position_);
        return;
    case UDM_GETRANGE32:
        if (m.WParam) *reinterpret_cast<int*>(m.WParam) = min_;
        if (m.LParam) *reinterpret_cast<int*>(m.LParam) = max_;
        return;
    case UDM_SETPOS32:
    {
        const int old = position_;
        SetPosition(int(m.LParam));
        m.Result = old;
        return;
    }
    case UDM_GETPOS32:
        m.Result = position_;
        return;
    default: break;
    }
    TCustomControl::Dispatch(m);
}

void TCustomUpDown::Paint()
{
    TCanvas* c = Canvas();
    const TRect cr = GetClientRect();
    const bool vert = orientation_ == udVertical;
    const TRect next = vert ? TRect(0, 0, cr.Right, cr.Bottom / 2) : TRect(cr.Right / 2, 0, cr.Right, cr.Bottom);
    const TRect prev = vert ? TRect(0, cr.Bottom / 2, cr.Right, cr.Bottom) : TRect(0, 0, cr.Right / 2, cr.Bottom);
    for (int a : {1, -1})
    {
        const TRect r = a > 0 ? next : prev;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(r);
        TRect e = r;
        DrawEdge(c->GetHandle(), e, pressed_ == a ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const int cx = (r.Left + r.Right) / 2 + (pressed_ == a ? 1 : 0), cy = (r.Top + r.Bottom) / 2 + (pressed_ == a ? 1 : 0);
        const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
        const TColor col = GetEnabled() ? clBtnText : clGrayText;
        c->Brush()->SetColor(col);
        c->Pen()->SetColor(col);
        if (vert && a > 0) c->Polygon({TPoint(cx - s, cy + s / 2), TPoint(cx + s, cy + s / 2), TPoint(cx, cy - s / 2 - 1)});
        else if (vert) c->Polygon({TPoint(cx - s, cy - s / 2), TPoint(cx + s, cy - s / 2), TPoint(cx, cy + s / 2 + 1)});
        else if (a > 0) c->Polygon({TPoint(cx - s / 2, cy - s), TPoint(cx - s / 2, cy + s), TPoint(cx + s / 2 + 1, cy)});
        else c->Polygon({TPoint(cx + s / 2, cy - s), TPoint(cx + s / 2, cy + s), TPoint(cx - s / 2 - 1, cy)});
    }
}
