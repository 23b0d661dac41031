// TControl, and what all controls share: the registry of windowed controls,
// finding controls, shift states, the capture control and the control under
// the mouse.
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- registry of windowed controls ----------------------------------------------------

namespace controls
{
std::unordered_map<HWND, TWinControl*>& Registry()
{
    static std::unordered_map<HWND, TWinControl*> m;
    return m;
}
TWinControl* gCreating = nullptr;
TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;
std::vector<TControlCanvas*>& CanvasList()
{
    static std::vector<TControlCanvas*> v;
    return v;
}

HCURSOR CursorHandle(TCursor c)
{
    switch (c)
    {
    case crCross: return LoadCursor(nullptr, IDC_CROSS);
    case crIBeam: return LoadCursor(nullptr, IDC_IBEAM);
    case crSizeNESW: return LoadCursor(nullptr, IDC_SIZENESW);
    case crSizeNS:
    case crVSplit: return LoadCursor(nullptr, IDC_SIZENS);
    case crSizeNWSE: return LoadCursor(nullptr, IDC_SIZENWSE);
    case crSizeWE:
    case crHSplit: return LoadCursor(nullptr, IDC_SIZEWE);
    case crUpArrow: return LoadCursor(nullptr, IDC_UPARROW);
    case crHourGlass:
    case crSQLWait: return LoadCursor(nullptr, IDC_WAIT);
    case crNo:
    case crNoDrop: return LoadCursor(nullptr, IDC_NO);
    case crAppStart: return LoadCursor(nullptr, IDC_APPSTARTING);
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crSizeAll: return LoadCursor(nullptr, IDC_SIZEALL);
    default: return LoadCursor(nullptr, IDC_ARROW);
    }
}

void reportException(TObject* sender)
{
    if (Application)
    {
        Application->HandleException(sender);
        return;
    }
    try
    {
        throw;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "%s\n", e.what());
    }
    catch (...)
    {
    }
}
} // namespace controls

HCURSOR CursorHandleOf(TCursor c) { return CursorHandle(c); }

TWinControl* FindControl(HWND hwnd)
{
    if (!hwnd) return nullptr;
    auto it = Registry().find(hwnd);
    return it == Registry().end() ? nullptr : it->second;
}

TWinControl* FindVCLWindow(TPoint screenPos)
{
    HWND h = WindowFromPoint(screenPos);
    while (h)
    {
        if (TWinControl* c = FindControl(h)) return c;
        h = GetParent(h);
    }
    return nullptr;
}

TControl* FindDragTarget(TPoint screenPos, bool allowDisabled)
{
    TWinControl* w = FindVCLWindow(screenPos);
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(screenPos), allowDisabled);
    return c ? c : w;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (keyData & KF_ALTDOWN_BIT) s.Include(ssAlt);
    return s;
}

TShiftState GetShiftState()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
    return s;
}

// ---- capture and mouse tracking ---------------------------------------------------------

TControl* GetCaptureControl()
{
    HWND cap = GetCapture();
    if (!cap)
    {
        gCaptureControl = nullptr;
        return nullptr;
    }
    if (gCaptureControl && gCaptureControl->Parent() && !gCaptureControl->IsWindowed() &&
        static_cast<TWinControl*>(gCaptureControl->Parent())->HandleAllocated() &&
        gCaptureControl->Parent()->GetHandle() == cap)
        return gCaptureControl;
    gCaptureControl = nullptr;
    return FindControl(cap);
}

void SetCaptureControl(TControl* c)
{
    ReleaseCapture();
    gCaptureControl = nullptr;
    if (!c) return;
    if (!c->IsWindowed())
    {
        if (!c->Parent()) return;
        gCaptureControl = c;
        SetCapture(c->Parent()->GetHandle());
        return;
    }
    SetCapture(static_cast<TWinControl*>(c)->GetHandle());
}

TControl* GetMouseControl() { return gMouseControl; }

namespace controls
{
void setMouseControl(TControl* c)
{
    if (c == gMouseControl) return;
    TControl* cap = GetCaptureControl();
    TControl* old = gMouseControl;
    gMouseControl = c;
    if (old && (!cap || old == cap)) old->Perform(CM_MOUSELEAVE, 0, 0);
    // The control may have gone during the leave notification.
    if (gMouseControl == c && c && (!cap || c == cap)) c->Perform(CM_MOUSEENTER, 0, 0);
}
} // namespace controls

void UpdateMouseControl()
{
    TPoint p;
    GetCursorPos(&p);
    TControl* c = FindDragTarget(p, false);
    setMouseControl(c);
}

void ForgetControl(TControl* c)
{
    if (gMouseControl == c) gMouseControl = nullptr;
    if (gCaptureControl == c)
    {
        gCaptureControl = nullptr;
        ReleaseCapture();
    }
    if (Application) Application->ControlDestroyed(c);
    if (Screen) Screen->ControlDestroyed(c);
}

// ---- TControl -------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>())
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this](TObject* s) { fontChange(s); };
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl()
{
    ForgetControl(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::fontChange(TObject*)
{
    parentFont_ = false;
    FontChanged();
}

void TControl::FontChanged()
{
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == parent_) return;
    if (AParent == this) throw EComponentError("A control cannot be its own parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TPoint TControl::ClientOrigin()
{
    if (!parent_) return TPoint(left_, top_);
    TPoint o = parent_->ClientOrigin();
    return TPoint(o.X + left_, o.Y + top_);
}

TPoint TControl::ClientToParent(TPoint p, TWinControl* AParent)
{
    if (!AParent) AParent = parent_;
    TPoint s = ClientToScreen(p);
    return AParent ? AParent->ScreenToClient(s) : s;
}

TRect TControl::GetClientRect() { return TRect(0, 0, width_, height_); }

void TControl::SetClientSize(int w, int h)
{
    TRect r = GetClientRect();
    SetBounds(left_, top_, width_ - r.Width() + w, height_ - r.Height() + h);
}

bool TControl::CanAutoSize(int&, int&) { return true; }

bool TControl::CanResize(int& NewWidth, int& NewHeight)
{
    bool ok = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, ok);
    return ok;
}

void TControl::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    if (v) SetBounds(left_, top_, width_, height_);
}

void TControl::UpdateBoundsRect(const TRect& r)
{
    left_ = r.Left;
    top_ = r.Top;
    width_ = r.Width();
    height_ = r.Height();
}

void TControl::ConstrainBounds(int& AWidth, int& AHeight)
{
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    if (Constraints.MinWidth > 0) AWidth = std::max(AWidth, Constraints.MinWidth);
    if (Constraints.MinHeight > 0) AHeight = std::max(AHeight, Constraints.MinHeight);
    if (Constraints.MaxWidth > 0) AWidth = std::min(AWidth, Constraints.MaxWidth);
    if (Constraints.MaxHeight > 0) AHeight = std::min(AHeight, Constraints.MaxHeight);
    if ((AWidth != width_ || AHeight != height_) && !CanResize(AWidth, AHeight))
    {
        AWidth = width_;
        AHeight = height_;
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    ConstrainBounds(AWidth, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    const bool sized = AWidth != width_ || AHeight != height_;
    Invalidate();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    updateAnchorRules();
    Invalidate();
    Perform(WM_WINDOWPOSCHANGED, 0, 0);
    RequestAlign();
    if (sized && !(ComponentState() & csLoading)) Resize();
}

void TControl::updateAnchorRules()
{
    if (!parent_ || (parent_->inAlign_)) return;
    TRect pr = parent_->GetClientRect();
    anchorRight_ = pr.Width() - (left_ + width_);
    anchorBottom_ = pr.Height() - (top_ + height_);
    anchorValid_ = true;
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::SetAlign(TAlign v)
{
    if (align_ == v) return;
    const TAlign old = align_;
    align_ = v;
    anchors_ = TAnchors{akLeft, akTop};
    switch (v)
    {
    case alTop: anchors_ = TAnchors{akLeft, akTop, akRight}; break;
    case alBottom: anchors_ = TAnchors{akLeft, akRight, akBottom}; break;
    case alLeft: anchors_ = TAnchors{akLeft, akTop, akBottom}; break;
    case alRight: anchors_ = TAnchors{akRight, akTop, akBottom}; break;
    case alClient: anchors_ = TAnchors{akLeft, akTop, akRight, akBottom}; break;
    default: break;
    }
    if (old != alNone || v != alNone) RequestAlign();
}

void TControl::SetAnchors(TAnchors v)
{
    anchors_ = v;
    updateAnchorRules();
}

void TControl::RequestAlign()
{
    if (parent_) parent_->Realign();
}

void TControl::Show()
{
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}

void TControl::SetVisible(bool v)
{
    if (visible_ == v) return;
    VisibleChanging();
    if (!v) Invalidate();
    visible_ = v;
    Perform(CM_VISIBLECHANGED, WPARAM(v), 0);
    if (v) Invalidate();
    RequestAlign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

std::string TControl::GetText() { return GetTextBuf(); }

void TControl::SetText(const std::string& v)
{
    if (GetTextBuf() == v) return;
    SetTextBuf(v);
    Perform(CM_TEXTCHANGED, 0, 0);
}

std::string TControl::GetTextBuf() { return text_; }
void TControl::SetTextBuf(const std::string& s) { text_ = s; }

void TControl::SetColor(TColor v)
{
    if (color_ == v) return;
    color_ = v;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v)
{
    if (parentFont_ == v) return;
    parentFont_ = v;
    if (v && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetParentColor(bool v)
{
    if (parentColor_ == v) return;
    parentColor_ = v;
    if (v && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool v)
{
    if (showHint_ == v && !parentShowHint_) return;
    showHint_ = v;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool v)
{
    if (parentShowHint_ == v) return;
    parentShowHint_ = v;
    if (v && parent_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

bool TControl::EffectiveShowHint() const
{
    const TControl* c = this;
    while (c)
    {
        if (!c->parentShowHint_ || !c->parent_) return c->showHint_;
        c = c->parent_;
    }
    return false;
}

void TControl::SetCursor(TCursor v)
{
    if (cursor_ == v) return;
    cursor_ = v;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* m)
{
    if (popupMenu_ == m) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = m;
    if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && popupMenu_ && AComponent == static_cast<TComponent*>(popupMenu_)) popupMenu_ = nullptr;
}

void TControl::Loaded()
{
    TComponent::Loaded();
    RequestAlign();
}

TPopupMenu* TControl::GetPopupMenuFor() { return popupMenu_; }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m)
{
    if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST)
    {
        if (!ControlStyle.Contains(csDoubleClicks))
        {
            if (m.Msg == WM_LBUTTONDBLCLK) m.Msg = WM_LBUTTONDOWN;
            else if (m.Msg == WM_RBUTTONDBLCLK) m.Msg = WM_RBUTTONDOWN;
            else if (m.Msg == WM_MBUTTONDBLCLK) m.Msg = WM_MBUTTONDOWN;
        }
        if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK)
        {
            if (ControlStyle.Contains(csCaptureMouse)) SetCaptureControl(this);
            ControlState.Include(csLButtonDown);
        }
        else if (m.Msg == WM_LBUTTONUP)
        {
            ControlState.Exclude(csLButtonDown);
            if (ControlStyle.Contains(csCaptureMouse) && GetCaptureControl() == this) SetCaptureControl(nullptr);
        }
        if (Application && m.Msg != WM_MOUSEWHEEL) Application->HintMouseMessage(this, m);
    }
    Dispatch(m);
}

void TControl::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_MOUSEMOVE: WMMouseMove(m); return;
    case WM_LBUTTONDOWN: WMButtonDown(m, mbLeft, false); return;
    case WM_LBUTTONDBLCLK: WMButtonDown(m, mbLeft, true); return;
    case WM_RBUTTONDOWN: WMButtonDown(m, mbRight, false); return;
    case WM_RBUTTONDBLCLK: WMButtonDown(m, mbRight, true); return;
    case WM_MBUTTONDOWN: WMButtonDown(m, mbMiddle, false); return;
    case WM_MBUTTONDBLCLK: WMButtonDown(m, mbMiddle, true); return;
    case WM_LBUTTONUP: WMButtonUp(m, mbLeft); return;
    case WM_RBUTTONUP: WMButtonUp(m, mbRight); return;
    case WM_MBUTTONUP: WMButtonUp(m, mbMiddle); return;
    case WM_MOUSEWHEEL: WMMouseWheel(m); return;
    case WM_CONTEXTMENU: WMContextMenu(m); return;
    case WM_CANCELMODE: WMCancelMode(m); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_TEXTCHANGED: CMTextChanged(m); return;
    case CM_MOUSEENTER: CMMouseEnter(m); return;
    case CM_MOUSELEAVE: CMMouseLeave(m); return;
    case CM_HITTEST: CMHitTest(m); return;
    case CM_HINTSHOW: CMHintShow(m); return;
    default: DefaultHandler(m); return;
    }
}

void TControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETTEXTLENGTH: m.Result = LRESULT(text_.size()); return;
    case WM_GETTEXT:
        if (m.LParam && m.WParam)
        {
            std::size_t n = std::min<std::size_t>(text_.size(), m.WParam - 1);
            while (n > 0 && n < text_.size() && (static_cast<unsigned char>(text_[n]) & 0xC0) == 0x80) --n;
            char* out = reinterpret_cast<char*>(m.LParam);
            std::copy(text_.begin(), text_.begin() + std::ptrdiff_t(n), out);
            out[n] = '\0';
            m.Result = LRESULT(n);
        }
        return;
    case WM_SETTEXT:
        text_ = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
        m.Result = 1;
        return;
    default: m.Result = 0; return;
    }
}

void TControl::WMMouseMove(TMessage& m)
{
    const std::weak_ptr<char> alive = LifeToken();
    MouseMove(KeysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    if (alive.expired()) return;
    DefaultHandler(m);
}

void TControl::WMButtonDown(TMessage& m, TMouseButton b, bool dbl)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (TCustomForm* f = GetParentForm(this)) f->SendCancelMode(this);
    if (alive.expired()) return;
    if (ControlStyle.Contains(csClickEvents) && b == mbLeft) ControlState.Include(csClicked);
    if (dbl && b == mbLeft && ControlStyle.Contains(csClickEvents)) DblClick();
    if (alive.expired()) return;
    TShiftState s = KeysToShiftState(m.WParam);
    if (dbl) s.Include(ssDouble);
    MouseDown(b, s, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    if (alive.expired()) return;
    DefaultHandler(m);
}

void TControl::WMButtonUp(TMessage& m, TMouseButton b)
{
    const std::weak_ptr<char> alive = LifeToken();
    const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    if (b == mbLeft && ControlState.Contains(csClicked))
    {
        ControlState.Exclude(csClicked);
        if (GetClientRect().Contains(TPoint(x, y))) Click();
        if (alive.expired()) return;
    }
    MouseUp(b, KeysToShiftState(m.WParam), x, y);
    if (alive.expired()) return;
    // The window's default handling turns a right button release into WM_CONTEXTMENU.
    DefaultHandler(m);
}

void TControl::WMMouseWheel(TMessage& m)
{
    const TShiftState s = KeysToShiftState(GET_KEYSTATE_WPARAM(m.WParam));
    const TPoint pt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    if (DoMouseWheel(s, GET_WHEEL_DELTA_WPARAM(m.WParam), pt))
    {
        m.Result = 1;
        return;
    }
    DefaultHandler(m);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled)
        handled = WheelDelta < 0 ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMContextMenu(TMessage& m)
{
    if (m.Result != 0) return;
    TPoint pt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    const bool fromKeys = pt.X == -1 && pt.Y == -1;
    TPoint local = fromKeys ? TPoint(-1, -1) : ScreenToClient(pt);
    bool handled = false;
    DoContextPopup(local, handled);
    m.Result = handled;
    if (handled) return;
    TPopupMenu* pm = GetPopupMenuFor();
    if (pm && pm->AutoPopup())
    {
        if (fromKeys) pt = ClientToScreen(TPoint(0, 0));
        pm->SetPopupComponent(this);
        pm->Popup(pt.X, pt.Y);
        m.Result = 1;
        return;
    }
    DefaultHandler(m);
}

void TControl::WMCancelMode(TMessage& m)
{
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    ControlState.Exclude(csLButtonDown);
    ControlState.Exclude(csClicked);
    DefaultHandler(m);
}

void TControl::WMWindowPosChanged(TMessage& m) { DefaultHandler(m); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}
void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, LPARAM(this)); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMMouseEnter(TMessage&) {}
void TControl::CMMouseLeave(TMessage&) {}
void TControl::CMHitTest(TMessage& m) { m.Result = 1; }
void TControl::CMHintShow(TMessage& m) { m.Result = 0; }

void TControl::CMParentFontChanged(TMessage&)
{
    if (!parentFont_ || !parent_) return;
    font_->Assign(parent_->Font());
    parentFont_ = true;
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!parentColor_ || !parent_) return;
    if (color_ != parent_->GetColor())
    {
        color_ = parent_->GetColor();
        Perform(CM_COLORCHANGED, 0, 0);
    }
    parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (parentShowHint_ && parent_) showHint_ = parent_->GetShowHint();
}

bool TControl::IsHitAt(TPoint p)
{
    return GetClientRect().Contains(p) && Perform(CM_HITTEST, 0, MAKELPARAM(p.X, p.Y)) != 0;
}

void TControl::Invalidate()
{
    if (!parent_ || !parent_->HandleAllocated() || (!visible_)) return;
    TRect r = BoundsRect();
    InvalidateRect(parent_->handle_, &r, !ControlStyle.Contains(csOpaque));
}

void TControl::Repaint()
{
    if (!parent_ || !visible_ || !parent_->HandleAllocated()) return;
    Invalidate();
    parent_->Update();
}

void TControl::Update()
{
    if (parent_) parent_->Update();
}

void TControl::BringToFront()
{
    if (!parent_) return;
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    if (IsWindowed())
    {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated()) SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Invalidate();
}

void TControl::SendToBack()
{
    if (!parent_) return;
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    if (IsWindowed())
    {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Invalidate();
}

TCustomForm* GetParentForm(TControl* c)
{
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(c);
}
