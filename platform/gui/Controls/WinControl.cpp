// TWinControl: a control with a window of its own (window messages,
// children, alignment, tab order and focus, keys, painting).
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- TWinControl -------------------------------------------------------------------------------

// The window procedure of every windowed control: finds the control by its
// handle (the one being created gets its handle here) and hands it the message.
LRESULT ClassLibraryWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto& reg = Registry();
    auto it = reg.find(hwnd);
    TWinControl* c = nullptr;
    if (it != reg.end()) c = it->second;
    else if (gCreating)
    {
        c = gCreating;
        gCreating = nullptr;
        c->handle_ = hwnd;
        reg[hwnd] = c;
    }
    if (!c) return DefWindowProc(hwnd, msg, wp, lp);
    return c->MainWndProc(msg, wp, lp);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(std::make_unique<TBrush>())
{
    brush_->SetColor(color_);
}

TWinControl::~TWinControl()
{
    SetComponentStateFlag(csDestroying, true);
    WindowProc = [this](TMessage& m) { TWinControl::WndProc(m); };
    ForgetControl(this);
    // Children first: each leaves this control's lists as it goes.
    while (!controls_.empty())
    {
        TControl* c = controls_.back();
        RemoveControl(c);
        delete c;
    }
    if (handle_) DestroyHandle();
    // Leave the parent while still a windowed control (its tab list holds us).
    if (parent_) parent_->RemoveControl(this);
}

HWND TWinControl::GetHandle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& p)
{
    p.Caption = text_;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle.Contains(csAcceptsControls)) p.Style |= WS_CLIPCHILDREN;
    if (!enabled_) p.Style |= WS_DISABLED;
    if (tabStop_) p.Style |= WS_TABSTOP;
    p.ExStyle = 0;
    p.X = left_;
    p.Y = top_;
    p.Width = width_;
    p.Height = height_;
    p.WndParent = parent_ ? parent_->GetHandle() : ParentWindow;
    p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    p.WindowClass.lpfnWndProc = nullptr;
    p.WindowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    p.WindowClass.hbrBackground = nullptr;
    p.WinClassName = ClassNameOf(this);
}

void TWinControl::CreateSubClass(TCreateParams& p, const std::string& ControlClassName)
{
    WNDCLASS wc;
    if (!GetClassInfo(ControlClassName, &wc)) return;
    const std::string name = p.WinClassName;
    p.WindowClass = wc;
    p.WindowClass.lpszClassName = name;
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    CreateWnd();
    if (!handle_) return;
    // Children's windows follow the parent's.
    for (TControl* c : std::vector<TControl*>(controls_))
        if (c->IsWindowed())
        {
            auto* w = static_cast<TWinControl*>(c);
            if (!w->HandleAllocated()) w->CreateHandle();
        }
    Realign();
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    defWndProc_ = p.WindowClass.lpfnWndProc;
    WNDCLASS wc = p.WindowClass;
    wc.lpfnWndProc = ClassLibraryWndProc;
    wc.lpszClassName = p.WinClassName;
    WNDCLASS existing;
    if (!GetClassInfo(wc.lpszClassName, &existing)) RegisterClass(wc);
    CreateWindowHandle(p);
    if (!handle_) throw EOutOfResources("Error creating window for '" + Name() + "'");
}

void TWinControl::CreateWindowHandle(const TCreateParams& p)
{
    DWORD style = p.Style;
    if ((style & WS_CHILD) && visible_) style |= WS_VISIBLE;
    gCreating = this;
    HWND h = CreateWindowEx(p.ExStyle, p.WinClassName, p.Caption, style, p.X, p.Y, p.Width, p.Height,
                            p.WndParent, 0, nullptr, p.Param);
    if (gCreating == this) gCreating = nullptr;
    if (!h)
    {
        if (handle_) Registry().erase(handle_);
        handle_ = nullptr;
        return;
    }
    if (!handle_)
    {
        handle_ = h;
        Registry()[h] = this;
    }
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    for (TControl* c : std::vector<TControl*>(controls_))
        if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd()
{
    if (!handle_) return;
    text_ = GetWindowText(handle_);
    for (TControlCanvas* cv : std::vector<TControlCanvas*>(CanvasList()))
        if (cv->Control() == this || cv->Control()->Parent() == this) cv->FreeHandle();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    ControlState.Include(csDestroyingHandle);
    HWND h = handle_;
    DestroyWindow(h);
    if (handle_ == h)
    {
        Registry().erase(h);
        handle_ = nullptr;
    }
    ControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd()
{
    if (!handle_) return;
    recreating_ = true;
    // The focused control inside (or this one) gets the focus back.
    TWinControl* focused = FindControl(GetFocus());
    if (focused && !ContainsControl(focused)) focused = nullptr;
    const bool wasActive = !parent_ && GetActiveWindow() == handle_;
    DestroyHandle();
    CreateHandle();
    recreating_ = false;
    if (!parent_ && visible_ && handle_)
    {
        ShowWindow(handle_, wasActive ? SW_SHOW : SW_SHOWNA);
        if (wasActive) SetActiveWindow(handle_);
    }
    if (focused && focused->HandleAllocated() && focused->CanFocus()) ::SetFocus(focused->handle_);
}

void TWinControl::WMNCDestroy(TMessage& m)
{
    DefaultHandler(m);
    if (handle_)
    {
        Registry().erase(handle_);
        handle_ = nullptr;
    }
}

LRESULT TWinControl::MainWndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    TMessage m;
    m.Msg = msg;
    m.WParam = wp;
    m.LParam = lp;
    try
    {
        if (WindowProc) WindowProc(m);
        else WndProc(m);
    }
    catch (...)
    {
        reportException(this);
    }
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (!handle_)
    {
        TControl::DefaultHandler(m);
        return;
    }
    switch (m.Msg)
    {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // Reflected to the child; otherwise the control's colours.
        if (TWinControl* c = FindControl(reinterpret_cast<HWND>(m.LParam)); c && c != this)
        {
            m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
            return;
        }
        break;
    default: break;
    }
    switch (m.Msg)
    {
    // An unanswered reflected notification: the control's colours for
    // colour requests, nothing for the rest. (Other numbers of this range
    // are not the class library's and go to the window's procedure as they are.)
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        SetTextColor(dc, ColorToRGB(font_->GetColor()));
        SetBkColor(dc, ColorToRGB(brush_->GetColor()));
        m.Result = LRESULT(brush_->GetHandle());
        return;
    }
    case CN_COMMAND:
    case CN_NOTIFY:
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
    case CN_HSCROLL:
    case CN_VSCROLL:
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR:
        m.Result = 0;
        return;
    default: break;
    }
    m.Result = defWndProc_ ? defWndProc_(handle_, m.Msg, m.WParam, m.LParam)
                           : DefWindowProc(handle_, m.Msg, m.WParam, m.LParam);
}

bool TWinControl::DoControlMsg(HWND child, TMessage& m)
{
    TWinControl* c = FindControl(child);
    if (!c) return false;
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_SETFOCUS:
        if (TCustomForm* f = GetParentForm(this))
            if (!f->SetFocusedControl(this)) return;
        break;
    case WM_KILLFOCUS:
        if (ControlState.Contains(csFocusing)) return;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Dialog keys, shortcuts and key preview first (the notification
        // the application's loop would send before dispatching).
        if (Perform(m.Msg == WM_KEYDOWN ? CN_KEYDOWN : CN_SYSKEYDOWN, m.WParam, m.LParam) != 0) return;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (Perform(CN_KEYUP, m.WParam, m.LParam) != 0) return;
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        if (Perform(m.Msg == WM_CHAR ? CN_CHAR : CN_SYSCHAR, m.WParam, m.LParam) != 0) return;
        break;
    case WM_MOUSEMOVE:
    {
        TRACKMOUSEEVENT tme;
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = handle_;
        if (handle_) TrackMouseEvent(&tme);
        break;
    }
    case WM_MOUSELEAVE:
        DefaultHandler(m);
        UpdateMouseControl();
        return;
    default: break;
    }
    if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL)
    {
        // Mouse messages for a graphic child (or the graphic control holding
        // the capture) go to it, in its own coordinates.
        const TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        TControl* target = nullptr;
        TControl* cap = GetCaptureControl();
        if (cap && cap != this && !cap->IsWindowed() && cap->Parent() == this) target = cap;
        else if (!cap || cap == this)
        {
            TControl* c = ControlAtPos(p, false);
            if (c && !c->IsWindowed()) target = c;
        }
        if (m.Msg == WM_MOUSEMOVE) setMouseControl(target ? target : this);
        if (target)
        {
            TMessage cm = m;
            cm.LParam = MAKELPARAM(p.X - target->Left(), p.Y - target->Top());
            target->WindowProc(cm);
            m.Result = cm.Result;
            // The context menu request comes from this window's default handling.
            if (m.Msg == WM_RBUTTONUP && handle_) DefaultHandler(m);
            return;
        }
    }
    if (m.Msg == WM_CONTEXTMENU && m.Result == 0)
    {
        TPoint sp(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        if (!(sp.X == -1 && sp.Y == -1) && handle_)
        {
            TControl* c = ControlAtPos(ScreenToClient(sp), false);
            if (c && !c->IsWindowed())
            {
                m.Result = c->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
                if (m.Result) return;
            }
        }
    }
    TControl::WndProc(m);
}

void TWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_SETFOCUS: WMSetFocus(m); return;
    case WM_KILLFOCUS: WMKillFocus(m); return;
    case WM_SIZE: WMSize(m); return;
    case WM_MOVE: WMMove(m); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(m); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(m); return;
    case WM_CHAR: WMChar(m); return;
    case WM_SETCURSOR: WMSetCursor(m); return;
    case WM_COMMAND: WMCommand(m); return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (m.LParam && DoControlMsg(reinterpret_cast<HWND>(m.LParam), m)) return;
        DefaultHandler(m);
        return;
    case WM_DRAWITEM:
        // Owner drawing is the control's own business: reflected as CN_DRAWITEM.
        if (m.LParam && DoControlMsg(reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->hwndItem, m)) return;
        DefaultHandler(m);
        return;
    case WM_NCDESTROY: WMNCDestroy(m); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(m); return;
    case CN_KEYUP: CNKeyUp(m); return;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(m); return;
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case CM_DIALOGCHAR: CMDialogChar(m); return;
    case CM_FOCUSCHANGED: CMFocusChanged(m); return;
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(m); return;
    default: TControl::Dispatch(m); return;
    }
}

// ---- window messages --------------------------------------------------------------------

void TWinControl::WMSize(TMessage& m)
{
    DefaultHandler(m);
    if (!handle_) return;
    TRect r;
    GetWindowRect(handle_, &r);
    if (HWND p = GetParent(handle_); p && (GetWindowLong(handle_, GWL_STYLE) & WS_CHILD))
    {
        TPoint tl = r.TopLeft();
        ::ScreenToClient(p, &tl);
        r = TRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height());
    }
    const bool sized = r.Width() != width_ || r.Height() != height_;
    UpdateBoundsRect(r);
    updateAnchorRules();
    Realign();
    if (sized && !(ComponentState() & csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& m)
{
    DefaultHandler(m);
    if (!handle_) return;
    TRect r;
    GetWindowRect(handle_, &r);
    if (HWND p = GetParent(handle_); p && (GetWindowLong(handle_, GWL_STYLE) & WS_CHILD))
    {
        TPoint tl = r.TopLeft();
        ::ScreenToClient(p, &tl);
        r = TRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height());
    }
    left_ = r.Left;
    top_ = r.Top;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    ConstrainBounds(AWidth, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    const bool sized = AWidth != width_ || AHeight != height_;
    if (handle_ && !IsIconic(handle_))
    {
        SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        // The window may refuse a size (limits); the fields follow the window.
        TRect r;
        GetWindowRect(handle_, &r);
        if (HWND p = GetParent(handle_); p && (GetWindowLong(handle_, GWL_STYLE) & WS_CHILD))
        {
            TPoint tl = r.TopLeft();
            ::ScreenToClient(p, &tl);
            r = TRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height());
        }
        const bool sizedNow = r.Width() != width_ || r.Height() != height_;
        UpdateBoundsRect(r);
        updateAnchorRules();
        if (sizedNow)
        {
            Realign();
            if (!(ComponentState() & csLoading)) Resize();
        }
    }
    else
    {
        left_ = ALeft;
        top_ = ATop;
        width_ = AWidth;
        height_ = AHeight;
        updateAnchorRules();
        if (sized)
        {
            Realign();
            if (!(ComponentState() & csLoading)) Resize();
        }
    }
    RequestAlign();
}

TRect TWinControl::GetClientRect()
{
    if (handle_)
    {
        TRect r;
        ::GetClientRect(handle_, &r);
        return r;
    }
    return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin()
{
    if (handle_)
    {
        TPoint p;
        ::ClientToScreen(handle_, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetClientSize(int w, int h)
{
    // A top-level window's frame is known once it exists.
    if (!parent_ && !handle_ && !(ComponentState() & csDestroying)) HandleNeeded();
    TRect cr = GetClientRect();
    SetBounds(left_, top_, width_ - cr.Width() + w, height_ - cr.Height() + h);
}

bool TWinControl::Showing() const { return handle_ && IsWindowVisible(handle_); }

void TWinControl::updateShowing()
{
    if (!handle_) return;
    const bool want = visible_;
    if (want) SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    else SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void TWinControl::SetVisible(bool v)
{
    if (visible_ == v) return;
    VisibleChanging();
    visible_ = v;
    if (handle_ || (v && parent_ && parent_->HandleAllocated()))
    {
        if (!handle_ && parent_) HandleNeeded();
        updateShowing();
    }
    Perform(CM_VISIBLECHANGED, WPARAM(v), 0);
    RequestAlign();
}

void TWinControl::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TWinControl::CMEnabledChanged(TMessage& m)
{
    if (!enabled_ && parent_ && Focused())
        if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, false);
    if (handle_) EnableWindow(handle_, enabled_);
    TControl::CMEnabledChanged(m);
}

void TWinControl::CMVisibleChanged(TMessage& m)
{
    if (!visible_ && parent_)
        if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, true);
    TControl::CMVisibleChanged(m);
}

void TWinControl::CMColorChanged(TMessage& m)
{
    brush_->SetColor(color_);
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::CMColorChanged(m);
}

void TWinControl::CMFontChanged(TMessage& m)
{
    NotifyControls(CM_PARENTFONTCHANGED);
    TControl::CMFontChanged(m);
}

void TWinControl::CMTextChanged(TMessage& m)
{
    TControl::CMTextChanged(m);
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
}

std::string TWinControl::GetTextBuf()
{
    if (handle_) return GetWindowText(handle_);
    return text_;
}

void TWinControl::SetTextBuf(const std::string& s)
{
    text_ = s;
    if (handle_) SetWindowText(handle_, s);
}

void TWinControl::SetParent(TWinControl* AParent)
{
    if (AParent == parent_) return;
    if (handle_ && !AParent && !dynamic_cast<TCustomForm*>(this)) DestroyHandle();
    TControl::SetParent(AParent);
    if (handle_ && AParent)
    {
        if (AParent->HandleAllocated()) ::SetParent(handle_, AParent->handle_);
        else DestroyHandle();
    }
    else if (!handle_ && AParent && AParent->HandleAllocated() && !(ComponentState() & csDestroying))
        CreateHandle();
}

// ---- children ---------------------------------------------------------------------------

void TWinControl::InsertControl(TControl* c)
{
    if (!c || c->parent_ == this) return;
    c->parent_ = this;
    controls_.push_back(c);
    if (c->IsWindowed()) updateTabList(static_cast<TWinControl*>(c), true);
    if (c->parentFont_)
    {
        c->font_->Assign(font_.get());
        c->parentFont_ = true;
    }
    if (c->parentColor_) c->color_ = color_;
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->brush_->SetColor(c->color_);
    if (c->parentShowHint_) c->showHint_ = showHint_;
    c->updateAnchorRules();
    Perform(CM_CONTROLCHANGE, WPARAM(c), 1);
    Perform(CM_CONTROLLISTCHANGE, WPARAM(c), 1);
    if (c->IsWindowed() && handle_ && !(ComponentState() & csDestroying))
    {
        auto* w = static_cast<TWinControl*>(c);
        if (w->HandleAllocated()) ::SetParent(w->handle_, handle_);
        else w->CreateHandle();
    }
    if (c->visible_) c->Invalidate();
    Realign();
}

void TWinControl::RemoveControl(TControl* c)
{
    if (!c || c->parent_ != this) return;
    Perform(CM_CONTROLCHANGE, WPARAM(c), 0);
    if (c->IsWindowed())
    {
        auto* w = static_cast<TWinControl*>(c);
        if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(w, true);
        updateTabList(w, false);
    }
    else
        c->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    c->parent_ = nullptr;
    Perform(CM_CONTROLLISTCHANGE, WPARAM(c), 0);
    if (!(ComponentState() & csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* c) const
{
    while (c && c != this) c = c->parent_;
    return c == this;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls)
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    {
        TControl* c = *it;
        if (c->IsWindowed() && !allowWinControls) continue;
        if (!c->visible_ || (!c->enabled_ && !allowDisabled)) continue;
        const TPoint p(pos.X - c->left_, pos.Y - c->top_);
        if (c->IsHitAt(p)) return c;
    }
    return nullptr;
}

TWinControl* TWinControl::FindChildControl(const std::string& name)
{
    for (TControl* c : controls_)
        if (c->IsWindowed() && c->Name() == name) return static_cast<TWinControl*>(c);
    return nullptr;
}

void TWinControl::Broadcast(TMessage& m)
{
    for (TControl* c : std::vector<TControl*>(controls_))
    {
        c->WindowProc(m);
        if (m.Result != 0) return;
    }
}

void TWinControl::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0) return;
    DisableAlign();
    for (TControl* c : std::vector<TControl*>(controls_))
        c->SetBounds(c->left_ + dx, c->top_ + dy, c->width_, c->height_);
    alignLevel_--;   // no re-alignment: the children keep their scrolled places
    Invalidate();
}

void TWinControl::NotifyControls(UINT msg)
{
    TMessage m;
    m.Msg = msg;
    Broadcast(m);
}

// ---- alignment -------------------------------------------------------------------------

void TWinControl::EnableAlign()
{
    if (alignLevel_ > 0 && --alignLevel_ == 0) Realign();
}

void TWinControl::Realign()
{
    // Asked while placing the children (a child hid a bar beside it): the
    // pass running now repeats when it ends.
    if (inAlign_) realignPending_ = true;
    if (alignLevel_ > 0 || inAlign_) return;
    TRect r = GetClientRect();
    AlignControls(nullptr, r);
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::alignControl(TControl*) { Realign(); }

void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    if (inAlign_) return;
    inAlign_ = true;
    AdjustClientRect(Rect);
    const TRect full = Rect;
    auto place = [&](TAlign a)
    {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->align_ == a && c->visible_) list.push_back(c);
        auto key = [a](TControl* c) -> int
        {
            switch (a)
            {
            case alTop: return c->top_;
            case alBottom: return -(c->top_ + c->height_);
            case alLeft: return c->left_;
            case alRight: return -(c->left_ + c->width_);
            default: return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
            const int kx = key(x), ky = key(y);
            if (kx != ky) return kx < ky;
            return x == AControl && y != AControl;
        });
        for (TControl* c : list)
        {
            int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
            switch (a)
            {
            case alTop:
                l = Rect.Left; t = Rect.Top; w = Rect.Width();
                break;
            case alBottom:
                l = Rect.Left; t = Rect.Bottom - h; w = Rect.Width();
                break;
            case alLeft:
                l = Rect.Left; t = Rect.Top; h = Rect.Height();
                break;
            case alRight:
                l = Rect.Right - w; t = Rect.Top; h = Rect.Height();
                break;
            case alClient:
                l = Rect.Left; t = Rect.Top; w = Rect.Width(); h = Rect.Height();
                break;
            default: break;
            }
            c->SetBounds(l, t, std::max(0, w), std::max(0, h));
            // A control may refuse a size: the space it really takes counts.
            switch (a)
            {
            case alTop: Rect.Top += c->height_; break;
            case alBottom: Rect.Bottom -= c->height_; break;
            case alLeft: Rect.Left += c->width_; break;
            case alRight: Rect.Right -= c->width_; break;
            default: break;
            }
        }
    };
    place(alTop);
    place(alBottom);
    place(alLeft);
    place(alRight);
    place(alClient);
    // Controls without alignment keep their distance to anchored edges.
    for (TControl* c : controls_)
    {
        if (c->align_ != alNone || !c->anchorValid_) continue;
        const bool r = c->anchors_.Contains(akRight), b = c->anchors_.Contains(akBottom);
        if (!r && !b) continue;
        int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
        const int pw = full.Right, ph = full.Bottom;
        if (r)
        {
            if (c->anchors_.Contains(akLeft)) w = pw - c->anchorRight_ - l;
            else l = pw - c->anchorRight_ - w;
        }
        if (b)
        {
            if (c->anchors_.Contains(akTop)) h = ph - c->anchorBottom_ - t;
            else t = ph - c->anchorBottom_ - h;
        }
        c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    }
    inAlign_ = false;
    // A few repeats at most, so children that keep changing cannot loop.
    if (realignPending_)
    {
        realignPending_ = false;
        if (realignRepeats_ < 2)
        {
            ++realignRepeats_;
            Realign();
            --realignRepeats_;
        }
    }
}

void TWinControl::RequestAlign() { TControl::RequestAlign(); }

// ---- tab order and focus ---------------------------------------------------------------

void TWinControl::updateTabList(TWinControl* c, bool add)
{
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), c), tabList_.end());
    if (add) tabList_.push_back(c);
}

int TWinControl::GetTabOrder() const
{
    if (!parent_) return -1;
    const auto& l = parent_->tabList_;
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : int(it - l.begin());
}

void TWinControl::SetTabOrder(int v)
{
    if (!parent_) return;
    auto& l = parent_->tabList_;
    auto it = std::find(l.begin(), l.end(), this);
    if (it == l.end()) return;
    l.erase(it);
    if (v < 0 || v > int(l.size())) v = int(l.size());
    l.insert(l.begin() + v, this);
}

void TWinControl::SetTabStop(bool v)
{
    if (tabStop_ == v) return;
    tabStop_ = v;
    if (handle_)
    {
        LONG st = GetWindowLong(handle_, GWL_STYLE);
        SetWindowLong(handle_, GWL_STYLE, v ? (st | LONG(WS_TABSTOP)) : (st & ~LONG(WS_TABSTOP)));
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list)
{
    for (TWinControl* c : tabList_)
    {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int start = -1;
    for (int i = 0; i < int(list.size()); ++i)
        if (list[std::size_t(i)] == cur) start = i;
    if (start < 0) start = goForward ? int(list.size()) - 1 : 0;
    int i = start;
    for (std::size_t n = 0; n < list.size(); ++n)
    {
        if (goForward) i = (i + 1) % int(list.size());
        else i = (i - 1 + int(list.size())) % int(list.size());
        TWinControl* c = list[std::size_t(i)];
        if (c == cur) break;
        if ((!checkTabStop || c->tabStop_) && (!checkParent || c->parent_ == this) && c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* cur, bool goForward, bool checkTabStop)
{
    TWinControl* c = FindNextControl(cur, goForward, checkTabStop, !checkTabStop);
    if (c) c->SetFocus();
}

bool TWinControl::CanFocus()
{
    TCustomForm* f = GetParentForm(this);
    if (!f) return visible_ && enabled_;
    TControl* c = this;
    while (c && c != f)
    {
        if (!c->visible_ || !c->enabled_) return false;
        c = c->parent_;
    }
    return f->GetEnabled();
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus()
{
    if (TCustomForm* f = GetParentForm(this))
    {
        f->FocusControl(this);
        return;
    }
    if (parent_ && !CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ::SetFocus(GetHandle());
}

void TWinControl::WMSetFocus(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }

void TWinControl::CMFocusChanged(TMessage& m) { Broadcast(m); m.Result = 0; }

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}
void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

// ---- keys --------------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(WORD& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char32_t& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

// A key press or release: the form sees it first when it previews keys; a
// handler that clears the key ends it.
bool TWinControl::DoKeyEvent(TMessage& m, void (TWinControl::*handler)(WORD&, TShiftState))
{
    TCustomForm* f = GetParentForm(this);
    WORD key = WORD(m.WParam);
    const TShiftState s = KeyDataToShiftState(m.LParam);
    if (f && f != this && f->KeyPreview)
    {
        (static_cast<TWinControl*>(f)->*handler)(key, s);
        if (key == 0) return true;
    }
    (this->*handler)(key, s);
    m.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyDown(TMessage& m) { return DoKeyEvent(m, &TWinControl::KeyDown); }

bool TWinControl::DoKeyUp(TMessage& m) { return DoKeyEvent(m, &TWinControl::KeyUp); }

bool TWinControl::DoKeyPress(TMessage& m)
{
    TCustomForm* f = GetParentForm(this);
    char32_t ch = char32_t(m.WParam);
    if (f && f != this && f->KeyPreview)
    {
        f->KeyPress(ch);
        if (ch == 0) return true;
    }
    KeyPress(ch);
    m.WParam = WPARAM(ch);
    return ch == 0;
}

void TWinControl::WMKeyDown(TMessage& m)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (!DoKeyDown(m) && !alive.expired()) DefaultHandler(m);
}
void TWinControl::WMKeyUp(TMessage& m)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (!DoKeyUp(m) && !alive.expired()) DefaultHandler(m);
}
void TWinControl::WMChar(TMessage& m)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (!DoKeyPress(m) && !alive.expired()) DefaultHandler(m);
}

void TWinControl::CNKeyDown(TMessage& m)
{
    m.Result = 1;
    const int key = int(m.WParam);
    // Shortcuts first: the form's shortcut handling sees every key.
    if (TCustomForm* f = GetParentForm(this))
    {
        TWMKey k;
        k.Msg = m.Msg == CN_SYSKEYDOWN ? WM_SYSKEYDOWN : WM_KEYDOWN;
        k.CharCode = WORD(key);
        k.KeyData = m.LParam;
        if (f->IsShortCut(k)) return;
    }
    if (Perform(CM_CHILDKEY, WPARAM(key), LPARAM(this)) != 0) return;
    LRESULT mask = 0;
    switch (key)
    {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, WPARAM(key), m.LParam) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0)
        if (TCustomForm* f = GetParentForm(this))
            if (f->Perform(CM_DIALOGKEY, WPARAM(key), m.LParam) != 0) return;
    m.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& m) { m.Result = 0; }

void TWinControl::CNChar(TMessage& m)
{
    m.Result = 0;
    const bool alt = m.Msg == CN_SYSCHAR || (m.LParam & KF_ALTDOWN_BIT);
    if (alt || (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0)
        if (TCustomForm* f = GetParentForm(this))
            if (f != this || alt)
                if (f->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) m.Result = 1;
}

void TWinControl::CMDialogKey(TMessage& m) { Broadcast(m); }
void TWinControl::CMDialogChar(TMessage& m) { Broadcast(m); }

void TWinControl::WMSetCursor(TMessage& m)
{
    if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(std::uintptr_t(m.LParam)) == HTCLIENT)
    {
        TCursor cur = crDefault;
        if (Screen) cur = Screen->GetCursor();
        if (cur == crDefault)
        {
            TPoint p;
            GetCursorPos(&p);
            TControl* c = ControlAtPos(ScreenToClient(p), false);
            if (c && !c->IsWindowed()) cur = c->GetCursor();
            if (cur == crDefault) cur = cursor_;
        }
        if (cur != crDefault)
        {
            ::SetCursor(CursorHandle(cur));
            m.Result = 1;
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WMCommand(TMessage& m)
{
    if (m.LParam && DoControlMsg(reinterpret_cast<HWND>(m.LParam), m)) return;
    DefaultHandler(m);
}

// ---- painting ------------------------------------------------------------------------------

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle.Contains(csOpaque));
}

void TWinControl::Repaint()
{
    if (!handle_) return;
    Invalidate();
    Update();
}

void TWinControl::Update()
{
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::WMPaint(TMessage& m)
{
    if (!handle_) return;
    PaintHandler(m);
}

void TWinControl::PaintHandler(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    PAINTSTRUCT ps;
    const bool own = dc == nullptr;
    if (own) dc = BeginPaint(handle_, &ps);
    else GetClipBox(dc, &ps.rcPaint);
    try
    {
        if (DoubleBuffered && own)
        {
            // Compose the client area off-screen, then copy it in one step.
            TRect cr = GetClientRect();
            HDC mem = CreateCompatibleDC(dc);
            HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1, cr.Width()), std::max(1, cr.Height()));
            HGDIOBJ old = SelectObject(mem, bmp);
            IntersectClipRect(mem, ps.rcPaint.Left, ps.rcPaint.Top, ps.rcPaint.Right, ps.rcPaint.Bottom);
            Perform(WM_ERASEBKGND, WPARAM(mem), LPARAM(mem));
            PaintWindow(mem);
            PaintControls(mem, nullptr);
            BitBlt(dc, ps.rcPaint.Left, ps.rcPaint.Top, ps.rcPaint.Width(), ps.rcPaint.Height(), mem,
                   ps.rcPaint.Left, ps.rcPaint.Top, SRCCOPY);
            SelectObject(mem, old);
            DeleteObject(bmp);
            DeleteDC(mem);
        }
        else
        {
            PaintWindow(dc);
            PaintControls(dc, nullptr);
        }
    }
    catch (...)
    {
        if (own) EndPaint(handle_, &ps);
        throw;
    }
    if (own) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc)
{
    if (defWndProc_) defWndProc_(handle_, WM_PAINT, WPARAM(dc), 0);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    bool started = first == nullptr;
    TRect clip;
    GetClipBox(dc, &clip);
    for (TControl* c : std::vector<TControl*>(controls_))
    {
        if (!started)
        {
            if (c == first) started = true;
            else continue;
        }
        if (c->IsWindowed() || !c->visible_) continue;
        TRect r = c->BoundsRect(), tmp;
        if (!IntersectRect(tmp, r, clip)) continue;
        const int saved = SaveDC(dc);
        OffsetWindowOrgEx(dc, -c->left_, -c->top_, nullptr);
        IntersectClipRect(dc, 0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, WPARAM(dc), 0);
        RestoreDC(dc, saved);
    }
}

void TWinControl::WMEraseBkgnd(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (DoubleBuffered && m.WParam != WPARAM(m.LParam))
    {
        m.Result = 1;
        return;
    }
    if (dc && color_ != clNone)
    {
        brush_->SetColor(color_);
        ::FillRect(dc, GetClientRect(), brush_->GetHandle());
    }
    m.Result = 1;
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    if (!handle_) return;
    const int saved = SaveDC(dc);
    OffsetWindowOrgEx(dc, -x, -y, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    // A control that paints its own non-client area answers WM_PRINT with
    // PRF_NONCLIENT (non-zero); its client then follows at its place.
    TRect wr;
    GetWindowRect(handle_, &wr);
    const TPoint co = ClientOrigin();
    const TRect cr = GetClientRect();
    if ((co.X != wr.Left || co.Y != wr.Top || cr.Width() != width_ || cr.Height() != height_) &&
        Perform(WM_PRINT, WPARAM(dc), PRF_NONCLIENT) != 0)
    {
        OffsetWindowOrgEx(dc, wr.Left - co.X, wr.Top - co.Y, nullptr);
        IntersectClipRect(dc, 0, 0, cr.Width(), cr.Height());
    }
    Perform(WM_ERASEBKGND, WPARAM(dc), LPARAM(dc));
    Perform(WM_PAINT, WPARAM(dc), 0);
    for (TControl* c : controls_)
        if (c->IsWindowed() && c->visible_)
            static_cast<TWinControl*>(c)->PaintTo(dc, c->left_, c->top_);
    RestoreDC(dc, saved);
}
