#include "platform/gui/Forms.h"

#include <algorithm>
#include <cstdio>

#include "platform/core/MainThread.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/Monitor.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"

HCURSOR CursorHandleOf(TCursor c);

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace
{
struct GlobalsInit
{
    GlobalsInit()
    {
        if (!Application) Application = new TApplication(nullptr);
        if (!Screen) Screen = new TScreen(nullptr);
    }
};
GlobalsInit gGlobalsInit;
} // namespace

void ResetApplication()
{
    TApplication* a = Application;
    TScreen* s = Screen;
    if (a)
    {
        a->CancelHint();
        delete a;
    }
    // Forms not owned by the application go too.
    while (s && s->FormCount() > 0) delete s->Forms(s->FormCount() - 1);
    Application = nullptr;
    Screen = nullptr;
    delete s;
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
}

// ---- TCustomForm ---------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)), icon_(std::make_unique<TIcon>())
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    icon_->OnChange = [this](TObject*) { applyIcon(); };
    visible_ = false;
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    color_ = clBtnFace;
    parentColor_ = false;
    parentFont_ = false;
    brush_->SetColor(color_);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    SetComponentStateFlag(csDestroying, true);
    RemoveQueuedCalls(this);
    // Every form that goes tells its handler, built in code or by CreateForm.
    if (OnDestroy)
    {
        try
        {
            OnDestroy(this);
        }
        catch (...)
        {
            if (Application) Application->HandleException(this);
        }
    }
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    if (Screen) Screen->RemoveForm(this);
    canvas_->FreeHandle();
    // Owned components (timers, menus …) go while the form is still whole.
    DestroyComponents();
}

void TCustomForm::AfterConstruction()
{
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style = WS_CLIPCHILDREN;
    p.ExStyle = 0;
    switch (borderStyle_)
    {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: p.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        p.Style |= WS_POPUP | WS_CAPTION;
        p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) p.ExStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ != bsNone)
    {
        if (borderIcons_.Contains(biSystemMenu)) p.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin)
        {
            if (borderIcons_.Contains(biMinimize)) p.Style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize)) p.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (!enabled_) p.Style |= WS_DISABLED;
    if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    p.WndParent = ParentWindow;
    p.WindowClass.style = CS_DBLCLKS;
    // An MDI child lives in the main form's client window.
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    if (formStyle_ == fsMDIChild && mf && mf != this && mf->GetFormStyle() == fsMDIForm && mf->ClientHandle())
    {
        p.Style = (p.Style & ~DWORD(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS;
        p.WndParent = mf->ClientHandle();
    }
}

// The form's icon is the window's icon in task bars and switchers.
void TCustomForm::applyIcon()
{
    if (!HandleAllocated()) return;
    if (icon_->Empty())
    {
        SetWindowIcon(handle_, nullptr);
        return;
    }
    TSurface pixels = icon_->Bitmap()->ToSurface();
    SetWindowIcon(handle_, &pixels);
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    applyIcon();
    if (handle_ && formStyle_ == fsMDIForm)
    {
        WNDCLASS wc;
        if (!GetClassInfo("MDIClient", &wc))
        {
            wc.lpszClassName = "MDIClient";
            wc.hbrBackground = reinterpret_cast<HBRUSH>(std::intptr_t(COLOR_APPWORKSPACE + 1));
            RegisterClass(wc);
        }
        const TRect r = MDIClientRect();
        clientHandle_ = CreateWindowEx(0, "MDIClient", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                       r.Left, r.Top, r.Width(), r.Height(), handle_);
        placeMDIClient();
    }
    if (handle_ && formStyle_ == fsStayOnTop)
        SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v)
{
    if (borderIcons_ == v) return;
    borderIcons_ = v;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v)
{
    if (formStyle_ == v) return;
    formStyle_ = v;
    if (handle_)
    {
        LONG ex = GetWindowLong(handle_, GWL_EXSTYLE);
        ex = v == fsStayOnTop ? (ex | LONG(WS_EX_TOPMOST)) : (ex & ~LONG(WS_EX_TOPMOST));
        SetWindowLong(handle_, GWL_EXSTYLE, ex);
        SetWindowPos(handle_, v == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TCustomForm::SetWindowState(TWindowState v)
{
    if (windowState_ == v) return;
    windowState_ = v;
    if (handle_ && visible_)
        ShowWindow(handle_, v == wsMinimized ? SW_MINIMIZE : v == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::applyPosition()
{
    if (positioned_) return;
    positioned_ = true;
    TRect area = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1280, 1024);
    TCustomForm* center = nullptr;
    switch (position_)
    {
    case poScreenCenter:
    case poDesktopCenter: break;
    case poMainFormCenter: center = Application ? Application->MainForm() : nullptr; break;
    case poOwnerFormCenter: center = dynamic_cast<TCustomForm*>(Owner()); break;
    default: return;
    }
    if (center == this) center = nullptr;
    if ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && center)
        area = center->BoundsRect();
    else if (position_ == poDesktopCenter && Screen)
        area = Screen->DesktopRect();
    SetBounds(area.Left + (area.Width() - width_) / 2, area.Top + (area.Height() - height_) / 2, width_, height_);
}

void TCustomForm::SetVisible(bool v)
{
    if (visible_ == v && (!v || Showing())) return;
    if (v)
    {
        HandleNeeded();
        applyPosition();
        visible_ = true;
        DoShow();
        if (!visible_) return;
        int cmd = SW_SHOWNORMAL;
        if (windowState_ == wsMinimized) cmd = SW_SHOWMINIMIZED;
        else if (windowState_ == wsMaximized) cmd = SW_SHOWMAXIMIZED;
        ShowWindow(handle_, cmd);
        if (formStyle_ == fsStayOnTop)
            SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Perform(CM_VISIBLECHANGED, 1, 0);
        if (GetActiveWindow() == handle_) setWindowFocus();
    }
    else
    {
        visible_ = false;
        if (handle_)
        {
            DoHide();
            ShowWindow(handle_, SW_HIDE);
        }
        Perform(CM_VISIBLECHANGED, 0, 0);
    }
}

bool TCustomForm::Showing() const { return handle_ && IsWindowVisible(handle_); }

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TCustomForm::BringToFront()
{
    if (!handle_ || !visible_) return;
    if (formStyle_ == fsMDIChild && (GetWindowLong(handle_, GWL_STYLE) & LONG(WS_CHILD)))
    {
        // An MDI child becomes the active child: the top of its client.
        SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    if (IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
    SetForegroundWindow(handle_);
    SetActiveWindow(handle_);
}

void TCustomForm::DoShow()
{
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate()
{
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate) OnDeactivate(this);
}

bool TCustomForm::CloseQuery()
{
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

void TCustomForm::Close()
{
    if (modal_)
    {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this)
    {
        Application->Terminate();
        return;
    }
    switch (action)
    {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::CloseModal()
{
    try
    {
        TCloseAction action = caNone;
        if (CloseQuery())
        {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone) modalResult_ = mrNone;
        else if (action == caFree) Release();
    }
    catch (...)
    {
        modalResult_ = mrNone;
        if (Application) Application->HandleException(this);
    }
}

void TCustomForm::SetModalResult(TModalResult v)
{
    modalResult_ = v;
    // The loop may be waiting for a message inside a nested pump: wake it.
    if (modal_ && v != mrNone && handle_) PostMessage(handle_, WM_NULL);
}

void TCustomForm::Release()
{
    if (releasing_) return;
    releasing_ = true;
    // Deleted from the loop, once the handler that asked has returned.
    RunOnMainThread([this] { delete this; }, false, this);
}

TModalResult TCustomForm::ShowModal()
{
    if (visible_ || !enabled_ || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) SendMessage(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND previous = GetActiveWindow();
    // Every other enabled top-level window of the program is disabled meanwhile.
    std::vector<HWND> disabled;
    for (HWND h : GetChildWindows(nullptr))
        if (h != handle_ && IsWindowVisible(h) && IsWindowEnabled(h))
        {
            disabled.push_back(h);
            EnableWindow(h, FALSE);
        }
    modal_ = true;
    modalResult_ = mrNone;
    try
    {
        Show();
        while (true)
        {
            if (!Application) break;
            Application->HandleMessage();
            if (Application->Terminated())
            {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone)
            {
                CloseModal();
                if (modalResult_ != mrNone) break;
            }
        }
    }
    catch (...)
    {
        modal_ = false;
        for (HWND h : disabled)
            if (IsWindow(h)) EnableWindow(h, TRUE);
        if (handle_) Hide();
        throw;
    }
    modal_ = false;
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    if (handle_ && visible_) Hide();
    if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
    return modalResult_;
}

void TCustomForm::SetFocus()
{
    if (!handle_ || !visible_ || !enabled_) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (GetActiveWindow() != handle_) SetActiveWindow(handle_);
    setWindowFocus();
}

void TCustomForm::setWindowFocus()
{
    if (!handle_) return;
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus())
    {
        target = FindNextControl(nullptr, true, true, false);
        if (target) activeControl_ = target;
    }
    if (target && target->CanFocus()) ::SetFocus(target->GetHandle());
    else ::SetFocus(handle_);
}

void TCustomForm::SetActiveControl(TWinControl* c)
{
    if (c == activeControl_) return;
    if (c && (!ContainsControl(c) || c == this || !c->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = c;
    if (c && handle_ && GetActiveWindow() == handle_) ::SetFocus(c->GetHandle());
}

void TCustomForm::FocusControl(TWinControl* c)
{
    if (!c) return;
    if (c != this && (!ContainsControl(c) || !c->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (c != this) activeControl_ = c;
    if (!handle_ || !IsWindowVisible(handle_)) return;
    if (GetActiveWindow() != handle_) SetActiveWindow(handle_);
    ::SetFocus(c->GetHandle());
}

bool TCustomForm::SetFocusedControl(TWinControl* c)
{
    if (ComponentState() & csDestroying) return true;
    if (c != this) activeControl_ = c;
    TWinControl* old = focusedControl_;
    focusedControl_ = c;
    if (Screen)
    {
        Screen->SetActiveForm(this);
        Screen->SetActiveControl(c);
    }
    if (old != c)
    {
        // Leave the old chain up to the common parent, enter the new one down from it.
        for (TWinControl* x = old; x && !x->ContainsControl(c); x = x->Parent())
        {
            x->Perform(CM_EXIT, 0, 0);
            if (focusedControl_ != c) return false;
        }
        std::vector<TWinControl*> chain;
        for (TWinControl* x = c; x && !(old && x->ContainsControl(old)); x = x->Parent()) chain.push_back(x);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        {
            (*it)->Perform(CM_ENTER, 0, 0);
            if (focusedControl_ != c) return false;
        }
    }
    Perform(CM_FOCUSCHANGED, 0, LPARAM(c));
    return true;
}

bool TCustomForm::IsShortCut(TWMKey& Message)
{
    // Menus are never shown natively here: their shortcuts are the business
    // of whoever draws them, through OnShortCut.
    bool handled = false;
    if (OnShortCut) OnShortCut(Message, handled);
    return handled;
}

void TCustomForm::SendCancelMode(TControl* Sender)
{
    if (active_ && activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, LPARAM(Sender));
}

void TCustomForm::DefocusControl(TWinControl* c, bool removing)
{
    if (!c) return;
    if (removing && c->ContainsControl(activeControl_)) activeControl_ = nullptr;
    if (c->ContainsControl(focusedControl_))
    {
        const bool hadFocus = focusedControl_ && focusedControl_->HandleAllocated() &&
                              GetFocus() == focusedControl_->handle_;
        TWinControl* p = removing ? nullptr : c->Parent();
        focusedControl_ = nullptr;
        if (activeControl_ && c->ContainsControl(activeControl_)) activeControl_ = nullptr;
        if (hadFocus && handle_ && !(ComponentState() & csDestroying))
        {
            if (p && p != this && p->CanFocus()) ::SetFocus(p->GetHandle());
            else ::SetFocus(handle_);
        }
    }
    if (Screen && Screen->ActiveControl() && c->ContainsControl(Screen->ActiveControl()))
        Screen->SetActiveControl(nullptr);
}

void TCustomForm::PaintWindow(HDC dc)
{
    TCanvasPaintScope scope(canvas_.get(), dc);
    if (OnPaint) OnPaint(this);
}

void TCustomForm::CMDialogKey(TMessage& m)
{
    if (GetKeyState(VK_MENU) >= 0)
    {
        const int key = int(m.WParam);
        if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0)
        {
            SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
            m.Result = 1;
            return;
        }
        if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && activeControl_ &&
            activeControl_->Parent())
        {
            activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
            m.Result = 1;
            return;
        }
    }
    TWinControl::CMDialogKey(m);
}

void TCustomForm::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_CLOSE:
        Close();
        m.Result = 0;
        return;
    case WM_ACTIVATE:
    {
        const bool on = LOWORD(m.WParam) != WA_INACTIVE;
        active_ = on;
        // The other window: is it one of the program's?
        HWND other = reinterpret_cast<HWND>(m.LParam);
        const bool otherOurs = other && FindControl(other) != nullptr;
        if (Application && !otherOurs) Application->SetAppActive(on);
        if (on)
        {
            if (Screen) Screen->SetActiveForm(this);
            Activate();
            if (!HIWORD(m.WParam)) setWindowFocus();
        }
        else
            Deactivate();
        m.Result = 0;
        return;
    }
    case WM_SIZE:
        if (m.WParam == SIZE_MINIMIZED) windowState_ = wsMinimized;
        else if (m.WParam == SIZE_MAXIMIZED) windowState_ = wsMaximized;
        else windowState_ = wsNormal;
        TWinControl::Dispatch(m);
        placeMDIClient();
        return;
    case WM_SYSCOMMAND:
        if ((m.WParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this)
        {
            Application->Minimize();
            m.Result = 0;
            return;
        }
        // Restored from the task bar or the window manager: the application
        // restores as a whole (its other forms come back too).
        if ((m.WParam & 0xFFF0) == SC_RESTORE && Application && Application->MainForm() == this &&
            Application->Minimized())
        {
            Application->Restore();
            m.Result = 0;
            return;
        }
        break;
    case CM_RELEASE:
        Release();
        return;
    case WM_GETMINMAXINFO:
        TWinControl::Dispatch(m);
        // The size limits hold for sizing by the user too.
        if (auto* mi = reinterpret_cast<MINMAXINFO*>(m.LParam))
        {
            if (Constraints.MinWidth > 0) mi->ptMinTrackSize.X = Constraints.MinWidth;
            if (Constraints.MinHeight > 0) mi->ptMinTrackSize.Y = Constraints.MinHeight;
            if (Constraints.MaxWidth > 0) mi->ptMaxTrackSize.X = Constraints.MaxWidth;
            if (Constraints.MaxHeight > 0) mi->ptMaxTrackSize.Y = Constraints.MaxHeight;
        }
        return;
    default: break;
    }
    TWinControl::Dispatch(m);
}

// ---- screen ---------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), hintFont_(std::make_unique<TFont>()), menuFont_(std::make_unique<TFont>())
{
    hintFont_->SetColor(clInfoText);
}

TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* f)
{
    if (std::find(forms_.begin(), forms_.end(), f) == forms_.end()) forms_.push_back(f);
}

void TScreen::RemoveForm(TCustomForm* f)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
    if (activeForm_ == f)
    {
        activeForm_ = nullptr;
        if (OnActiveFormChange) OnActiveFormChange(this);
    }
    if (activeControl_ && GetParentForm(activeControl_) == f) activeControl_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* f)
{
    if (activeForm_ == f) return;
    activeForm_ = f;
    // The active form goes to the front of the list.
    auto it = std::find(forms_.begin(), forms_.end(), f);
    if (it != forms_.end())
    {
        forms_.erase(it);
        forms_.insert(forms_.begin(), f);
    }
    if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* c)
{
    if (activeControl_ == c) return;
    activeControl_ = c;
    if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::ControlDestroyed(TControl* c)
{
    if (activeControl_ == c) activeControl_ = nullptr;
    if (activeForm_ == c) activeForm_ = nullptr;
}

void TScreen::SetCursor(TCursor c)
{
    cursor_ = c;
    ::SetCursor(CursorHandleOf(c == crDefault ? crArrow : c));
}

HCURSOR TScreen::Cursors(TCursor c) const { return CursorHandleOf(c); }

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::DesktopRect() const
{
    return Bounds(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TRect TScreen::WorkAreaRect() const
{
    TRect r;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void TScreen::refreshMonitors()
{
    std::vector<HMONITOR> ms = GetMonitors();
    monitors_.clear();
    int i = 0;
    for (HMONITOR h : ms)
    {
        auto m = std::make_unique<TMonitor>();
        MONITORINFO mi;
        GetMonitorInfo(h, &mi);
        m->Handle = h;
        m->MonitorNum = i++;
        m->BoundsRect = mi.rcMonitor;
        m->WorkareaRect = mi.rcWork;
        m->Primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
        monitors_.push_back(std::move(m));
    }
}

int TScreen::MonitorCount()
{
    refreshMonitors();
    return int(monitors_.size());
}

TMonitor* TScreen::Monitors(int i)
{
    refreshMonitors();
    if (i < 0 || i >= int(monitors_.size())) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return monitors_[std::size_t(i)].get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint p)
{
    HMONITOR h = ::MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    refreshMonitors();
    for (auto& m : monitors_)
        if (m->Handle == h) return m.get();
    return monitors_.empty() ? nullptr : monitors_[0].get();
}

TMonitor* TScreen::MonitorFromWindow(HWND w)
{
    HMONITOR h = ::MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST);
    refreshMonitors();
    for (auto& m : monitors_)
        if (m->Handle == h) return m.get();
    return monitors_.empty() ? nullptr : monitors_[0].get();
}

// ---- application ----------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), icon_(std::make_unique<TIcon>())
{
    hintWindowClass_ = [](TComponent* owner) { return new THintWindow(owner); };
}

TApplication::~TApplication()
{
    SetComponentStateFlag(csDestroying, true);
    stopHintTimer();
    if (hintWindow_)
    {
        delete hintWindow_;
        hintWindow_ = nullptr;
    }
    DestroyComponents();
    if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
    handle_ = nullptr;
}

void TApplication::Initialize() {}

void TApplication::formCreated(TCustomForm* f)
{
    if (!mainForm_) mainForm_ = f;
    f->AfterConstruction();
}

HWND TApplication::Handle()
{
    if (handle_ && IsWindow(handle_)) return handle_;
    WNDCLASS wc;
    if (!GetClassInfo("TApplication", &wc))
    {
        wc = WNDCLASS();
        wc.lpszClassName = "TApplication";
        RegisterClass(wc);
    }
    handle_ = CreateWindowEx(WS_EX_TOOLWINDOW, "TApplication", Title, WS_POPUP, 0, 0, 0, 0, nullptr);
    return handle_;
}

bool TApplication::Active() const
{
    HWND a = GetActiveWindow();
    return a && FindControl(a) != nullptr;
}

void TApplication::Run()
{
    if (mainForm_ && ShowMainForm)
    {
        if (mainForm_->GetWindowState() == wsMinimized) Minimize();
        mainForm_->Show();
    }
    while (!terminated_)
    {
        try
        {
            HandleMessage();
        }
        catch (...)
        {
            HandleException(this);
        }
    }
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::dispatchWithHooks(MSG& m)
{
    bool handled = false;
    // Newest hook first; over a copy, so that hooks may remove themselves.
    std::vector<Hook> hooks = hooks_;
    for (auto it = hooks.rbegin(); it != hooks.rend() && !handled; ++it)
    {
        const bool live = std::any_of(hooks_.begin(), hooks_.end(), [&](const Hook& h) { return h.token == it->token; });
        if (!live) continue;
        it->fn(m, handled);
        if (!it->passOn) break;
    }
    if (handled) return;
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN ||
        (m.message >= WM_LBUTTONDOWN && m.message <= WM_MBUTTONDBLCLK) ||
        (m.message >= WM_NCLBUTTONDOWN && m.message <= WM_NCMBUTTONDBLCLK))
        CancelHint();
    TranslateMessage(&m);
    DispatchMessage(&m);
}

bool TApplication::ProcessMessage(MSG& m)
{
    if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) return false;
    if (m.message == WM_QUIT)
    {
        terminated_ = true;
        return true;
    }
    dispatchWithHooks(m);
    return true;
}

void TApplication::HandleMessage()
{
    MSG m;
    try
    {
        if (ProcessMessage(m)) return;
        if (!Idle()) return;
        // Nothing pending: wait once for something to do (input, a posted
        // message, a timer, a synchronised call, or work done by a nested pump
        // such as a test driver's), then return so the caller can look at its
        // state again. Messages are left for ProcessMessage and its hooks.
        int checks = 0;
        RunNestedLoop([&] { return ++checks >= 3 || HasPendingMessages(); });
    }
    catch (...)
    {
        HandleException(this);
    }
}

void TApplication::ProcessMessages()
{
    MSG m;
    for (;;)
    {
        CheckSynchronize(0);
        bool any = false;
        try
        {
            any = ProcessMessage(m);
        }
        catch (...)
        {
            HandleException(this);
            any = true;
        }
        if (!any) break;
        if (terminated_) break;
    }
}

bool TApplication::Idle()
{
    TControlCanvas::FreeDeviceContexts();
    bool done = true;
    try
    {
        // A control that moved under a resting cursor gets its enter/leave too.
        UpdateMouseControl();
        CheckSynchronize(0);
        if (OnIdle) OnIdle(this, done);
    }
    catch (...)
    {
        HandleException(this);
    }
    return done;
}

TMessageHookToken TApplication::HookOnMessage(TMessageEvent hook, bool passOn)
{
    const TMessageHookToken t = nextToken_++;
    hooks_.push_back({t, std::move(hook), passOn});
    return t;
}

void TApplication::UnhookOnMessage(TMessageHookToken token)
{
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [&](const Hook& h) { return h.token == token; }),
                 hooks_.end());
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr e = std::current_exception();
    if (!e) return;
    try
    {
        std::rethrow_exception(e);
    }
    catch (const EAbort&)
    {
        return;
    }
    catch (...)
    {
    }
    if (inException_ > 4) return;   // an exception inside the error box itself: give up quietly
    ++inException_;
    try
    {
        if (OnException) OnException(Sender, e);
        else ShowException(e);
    }
    catch (...)
    {
    }
    --inException_;
}

void TApplication::ShowException(std::exception_ptr E)
{
    std::string msg = "Unknown error";
    try
    {
        std::rethrow_exception(E);
    }
    catch (const std::exception& ex)
    {
        msg = ex.what();
    }
    catch (...)
    {
    }
    if (!msg.empty() && msg.back() != '.') msg += '.';
    MessageBox(msg, Title.empty() ? std::string("Error") : Title, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags)
{
    return ::PlainMessageBox(Text, Caption, Flags);
}

bool TApplication::HelpContext(int Context)
{
    bool callHelp = true;
    if (OnHelp)
    {
        const bool r = OnHelp(1, Context, callHelp);
        if (!callHelp) return r;
    }
    std::string file = HelpFile;
    if (Screen && Screen->ActiveForm() && !Screen->ActiveForm()->HelpFile.empty())
        file = Screen->ActiveForm()->HelpFile;
    if (file.empty() || !sys::FileExists(file)) return false;
    return sys::OpenWithSystem(file);
}

void TApplication::Minimize()
{
    if (minimized_) return;
    minimized_ = true;
    hiddenByMinimize_.clear();
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
        {
            TCustomForm* f = Screen->Forms(i);
            if (f != mainForm_ && f->Showing())
            {
                hiddenByMinimize_.push_back(f);
                ShowWindow(f->GetHandle(), SW_HIDE);
            }
        }
    if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->GetHandle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore()
{
    if (!minimized_) return;
    minimized_ = false;
    if (mainForm_ && mainForm_->HandleAllocated() && mainForm_->GetVisible())
        ShowWindow(mainForm_->GetHandle(), SW_RESTORE);
    // Forms that went away meanwhile were dropped from the list (ControlDestroyed).
    for (TCustomForm* f : hiddenByMinimize_)
        if (f->GetVisible() && f->HandleAllocated()) ShowWindow(f->GetHandle(), SW_SHOWNA);
    hiddenByMinimize_.clear();
    if (OnRestore) OnRestore(this);
}

void TApplication::SetAppActive(bool active)
{
    if (appActive_ == active) return;
    appActive_ = active;
    if (active && OnActivate) OnActivate(this);
    if (!active && OnDeactivate) OnDeactivate(this);
}

void TApplication::BringToFront()
{
    if (mainForm_) mainForm_->BringToFront();
}

void TApplication::ControlDestroyed(TControl* c)
{
    if (hintControl_ == c)
    {
        hintControl_ = nullptr;
        HideHint();
        stopHintTimer();
    }
    if (c == mainForm_) mainForm_ = nullptr;
    if (c == hintWindow_) hintWindow_ = nullptr;
    for (auto& f : hiddenByMinimize_)
        if (f == c) f = nullptr;
    hiddenByMinimize_.erase(std::remove(hiddenByMinimize_.begin(), hiddenByMinimize_.end(), nullptr),
                            hiddenByMinimize_.end());
}

// ---- hints ----------------------------------------------------------------------------------

void TApplication::SetHintWindowClass(THintWindowClass cls)
{
    if (hintWindow_)
    {
        THintWindow* w = hintWindow_;
        hintWindow_ = nullptr;
        delete w;
    }
    hintWindowClass_ = cls ? std::move(cls) : [](TComponent* owner) { return new THintWindow(owner); };
}

void TApplication::SetShowHint(bool v)
{
    if (showHint_ == v) return;
    showHint_ = v;
    if (!v)
    {
        CancelHint();
        THintWindow* w = hintWindow_;
        hintWindow_ = nullptr;
        delete w;
    }
}

void TApplication::stopHintTimer()
{
    if (hintTimer_) KillTimer(nullptr, hintTimer_);
    hintTimer_ = 0;
}

void TApplication::startHintTimer(int ms)
{
    stopHintTimer();
    hintTimer_ = SetTimer(nullptr, 0, UINT(std::max(ms, 1)), [this](HWND, UINT, std::uintptr_t, DWORD) {
        try
        {
            hintTimerFired();
        }
        catch (...)
        {
            HandleException(this);
        }
    });
}

void TApplication::hintTimerFired()
{
    stopHintTimer();
    if (hintHideTimer_)
    {
        hintHideTimer_ = false;
        HideHint();
        return;
    }
    TPoint p;
    GetCursorPos(&p);
    ActivateHint(p);
}

void TApplication::HideHint()
{
    if (hintWindow_) hintWindow_->ReleaseHandle();
    hintShown_ = false;
}

void TApplication::CancelHint()
{
    stopHintTimer();
    hintHideTimer_ = false;
    HideHint();
    hintControl_ = nullptr;
}

static std::string shortHint(const std::string& h)
{
    const std::size_t bar = h.find('|');
    return bar == std::string::npos ? h : h.substr(0, bar);
}

static std::string longHint(const std::string& h)
{
    const std::size_t bar = h.find('|');
    return bar == std::string::npos ? h : h.substr(bar + 1);
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& m)
{
    if (m.Msg != WM_MOUSEMOVE)
    {
        if (m.Msg != WM_MOUSEMOVE && m.Msg >= WM_LBUTTONDOWN) CancelHint();
        return;
    }
    if (Control == hintControl_) return;
    const bool wasShown = hintShown_;
    HideHint();
    stopHintTimer();
    hintHideTimer_ = false;
    hintControl_ = Control;
    const std::string h = Control ? Control->GetHint() : std::string();
    if (Hint != longHint(h))
    {
        Hint = longHint(h);
        if (OnHint) OnHint(this);
    }
    if (!Control || !showHint_ || !Control->EffectiveShowHint() || shortHint(h).empty()) return;
    startHintTimer(wasShown ? HintShortPause : HintPause);
}

void TApplication::ActivateHint(TPoint CursorPos)
{
    TControl* c = hintControl_;
    if (!c) return;
    THintInfo info;
    info.HintControl = c;
    info.HintPos = TPoint(CursorPos.X, CursorPos.Y + 20);
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = HintColor;
    info.CursorRect = c->GetClientRect();
    info.CursorPos = c->ScreenToClient(CursorPos);
    info.HideTimeout = HintHidePause;
    info.HintStr = shortHint(c->GetHint());
    bool canShow = c->Perform(CM_HINTSHOW, 0, LPARAM(&info)) == 0;
    if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty()) return;
    if (!hintWindow_)
    {
        hintWindow_ = hintWindowClass_(this);
        if (!hintWindow_) return;
    }
    hintWindow_->SetColor(info.HintColor);
    TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    OffsetRect(r, info.HintPos.X, info.HintPos.Y);
    // Kept on the work area of the monitor under the cursor.
    if (Screen)
        if (TMonitor* mon = Screen->MonitorFromPoint(CursorPos))
        {
            const TRect wa = mon->WorkareaRect;
            if (r.Right > wa.Right) OffsetRect(r, wa.Right - r.Right, 0);
            if (r.Bottom > wa.Bottom) OffsetRect(r, 0, CursorPos.Y - r.Height() - 2 - r.Top);
            if (r.Left < wa.Left) OffsetRect(r, wa.Left - r.Left, 0);
            if (r.Top < wa.Top) OffsetRect(r, 0, wa.Top - r.Top);
        }
    hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
    hintShown_ = true;
    if (info.HideTimeout > 0)
    {
        hintHideTimer_ = true;
        startHintTimer(info.HideTimeout);
    }
}

// ---- MDI -----------------------------------------------------------------------

TRect TCustomForm::MDIClientRect()
{
    // What the visible aligned controls leave free.
    TRect r(0, 0, ClientWidth(), ClientHeight());
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (!c->GetVisible()) continue;
        switch (c->GetAlign())
        {
        case alLeft: r.Left = std::max(r.Left, c->Left() + c->Width()); break;
        case alTop: r.Top = std::max(r.Top, c->Top() + c->Height()); break;
        case alRight: r.Right = std::min(r.Right, c->Left()); break;
        case alBottom: r.Bottom = std::min(r.Bottom, c->Top()); break;
        default: break;
        }
    }
    return r;
}

void TCustomForm::placeMDIClient()
{
    if (!clientHandle_ || !IsWindow(clientHandle_)) return;
    const TRect r = MDIClientRect();
    SetWindowPos(clientHandle_, HWND_BOTTOM, r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()),
                 SWP_NOACTIVATE);
}

int TCustomForm::MDIChildCount() const
{
    int n = 0;
    while (MDIChildren(n)) ++n;
    return n;
}

TCustomForm* TCustomForm::MDIChildren(int i) const
{
    if (!clientHandle_ || !IsWindow(clientHandle_) || i < 0) return nullptr;
    for (HWND h : GetChildWindows(clientHandle_))
        if (auto* f = dynamic_cast<TCustomForm*>(FindControl(h)); f && f->GetFormStyle() == fsMDIChild && i-- == 0)
            return f;
    return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
    for (int i = 0; TCustomForm* f = MDIChildren(i); ++i)
        if (f->GetVisible()) return f;
    return nullptr;
}
