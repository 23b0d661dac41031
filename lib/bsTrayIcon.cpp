// The notification-area icon: the shell record, the utility window that
// receives the icon's callback, click detection, icon cycling, balloons and
// the two window hooks (application window and owner form).
#include "lib/bsTrayIcon.h"

#include <algorithm>

#include "platform/core/Utf8.h"
#include "platform/os/Window.h"

namespace
{
const char* const kUtilityClass = "TbsTrayIconWindow";

// The shell's text fields hold a limited number of bytes: a text is cut
// there, never inside a character.
std::string CutText(const std::string& s, std::size_t maxBytes) { return s.substr(0, Utf8SafePrefix(s, maxBytes)); }

TShiftState KeyShift()
{
    TShiftState s;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) s.Include(ssShift);
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) s.Include(ssCtrl);
    if (GetAsyncKeyState(VK_MENU) & 0x8000) s.Include(ssAlt);
    return s;
}
}  // namespace

TbsTrayIcon::TbsTrayIcon(TComponent* AOwner) : TComponent(AOwner)
{
    RegisterWindowMessage("TaskbarCreated");
    FIcon = std::make_unique<TIcon>();
    WNDCLASS wc;
    if (!GetClassInfo(kUtilityClass, &wc))
    {
        wc.lpszClassName = kUtilityClass;
        RegisterClass(wc);
    }
    FHandle = CreateWindowEx(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr);
    if (FHandle)
        SubclassWindow(FHandle, [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); });
    FIconData.hWnd = FHandle;
    FIconData.uID = 1;
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FIconData.uCallbackMessage = BSM_TRAY_CALLBACK;
    AnimateTimer = new TTimer(this);
    AnimateTimer->SetEnabled(false);
    AnimateTimer->SetInterval(FAnimateTimerInterval);
    AnimateTimer->SetOnTimer([this](TObject*) { TimerCycle(); });
    ClickTimer = new TTimer(this);
    ClickTimer->SetEnabled(false);
    ClickTimer->SetInterval(GetDoubleClickTime());
    ClickTimer->SetOnTimer([this](TObject*) { ClickTimerProc(); });
    if (ComponentState() & csDesigning) return;
    if (FIcon->GetWidth() == 0 && UseAppIconWhenEmpty() && Application && Application->Icon())
        FIcon->Assign(Application->Icon());
    HookApp();
    HookParent();
}

TbsTrayIcon::~TbsTrayIcon()
{
    SetIconVisible(false);
    if (!(ComponentState() & csDesigning))
    {
        UnhookApp();
        UnhookParent();
    }
    if (FHandle) DestroyWindow(FHandle);
}

void TbsTrayIcon::Loaded()
{
    TComponent::Loaded();
    if (OwnerControl() && MinimizedOnStart && !(ComponentState() & csDesigning))
    {
        FIconVisible = true;
        FMinimizeToTray = true;
        if (Application) Application->ShowMainForm = false;
    }
    ModifyTrayIcon();
    SetIconVisible(FIconVisible);
}

void TbsTrayIcon::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FIconList) FIconList = nullptr;
    if (AComponent == PopupMenu) PopupMenu = nullptr;
}

TWinControl* TbsTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

// ---------------------------------------------------------------------------
// Properties

void TbsTrayIcon::SetIcon(TIcon* Value)
{
    if (Value) FIcon->Assign(Value);
    ModifyTrayIcon();
}

void TbsTrayIcon::SetIconVisible(bool Value)
{
    if (Value) AddTrayIcon();
    else DeleteTrayIcon();
}

void TbsTrayIcon::SetHint(const std::string& Value)
{
    FHint = Value;
    ModifyTrayIcon();
}

void TbsTrayIcon::SetShowHint(bool Value)
{
    FShowHint = Value;
    ModifyTrayIcon();
}

void TbsTrayIcon::SetIconList(TCustomImageList* Value)
{
    if (FIconList) FIconList->RemoveFreeNotification(this);
    FIconList = Value;
    if (FIconList) FIconList->FreeNotification(this);
    SetIconIndex(0);
}

void TbsTrayIcon::SetIconIndex(int Value)
{
    if (FIconList)
    {
        FIconIndex = Value >= FIconList->Count() ? FIconList->Count() - 1 : Value;
        if (const TSurface* s = FIconList->Image(FIconIndex))
        {
            FIcon->SetSize(s->Width(), s->Height());
            FIcon->Bitmap()->FromSurface(*s);
        }
    }
    else
        FIconIndex = 0;
    ModifyTrayIcon();
}

void TbsTrayIcon::SetCycleIcons(bool Value)
{
    FCycleIcons = Value;
    if (Value) SetIconIndex(0);
    AnimateTimer->SetEnabled(Value && FAnimateTimerInterval > 0);
}

void TbsTrayIcon::SetAnimateTimerInterval(unsigned Value)
{
    FAnimateTimerInterval = Value;
    AnimateTimer->SetInterval(Value);
    AnimateTimer->SetEnabled(FCycleIcons && Value > 0);
}

// ---------------------------------------------------------------------------
// The shell record

bool TbsTrayIcon::InitIcon()
{
    if (ComponentState() & csDesigning) return false;
    FIconPixels = FIcon->GetWidth() > 0 ? FIcon->Bitmap()->ToSurface() : TSurface();
    FIconData.hIcon = FIconPixels.Empty() ? nullptr : &FIconPixels;
    FIconData.szTip = !FHint.empty() && FShowHint ? CutText(FHint, 127) : std::string();
    return true;
}

bool TbsTrayIcon::AddTrayIcon()
{
    FIconVisible = true;
    return InitIcon() && Shell_NotifyIcon(NIM_ADD, &FIconData);
}

bool TbsTrayIcon::DeleteTrayIcon()
{
    FIconVisible = false;
    return InitIcon() && Shell_NotifyIcon(NIM_DELETE, &FIconData);
}

bool TbsTrayIcon::ModifyTrayIcon() { return InitIcon() && Shell_NotifyIcon(NIM_MODIFY, &FIconData); }

bool TbsTrayIcon::ShowBalloonHint(const std::string& Title, const std::string& Text, TbsBalloonHintIcon IconType)
{
    HideBalloonHint();
    FIconData.uFlags |= NIF_INFO;
    FIconData.szInfo = CutText(Text, 255);
    FIconData.szInfoTitle = CutText(Title, 63);
    static const DWORD flags[] = {NIIF_NONE, NIIF_INFO, NIIF_WARNING, NIIF_ERROR};
    FIconData.dwInfoFlags = flags[IconType];
    const bool ok = ModifyTrayIcon();
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return ok;
}

void TbsTrayIcon::HideBalloonHint()
{
    FIconData.uFlags |= NIF_INFO;
    FIconData.szInfo.clear();
    ModifyTrayIcon();
}

bool TbsTrayIcon::BitmapToIcon(TBitmap* Bitmap, TIcon* AIcon, TColor MaskColor)
{
    if (!Bitmap || !AIcon) return false;
    TImageList list(16, 16);
    list.AddMasked(Bitmap, MaskColor);
    if (const TSurface* s = list.Image(0))
    {
        AIcon->SetSize(s->Width(), s->Height());
        AIcon->Bitmap()->FromSurface(*s);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Main form

void TbsTrayIcon::ShowMainForm()
{
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    if (!OwnerControl() || !mf) return;
    mf->SetVisible(true);
    if (mf->GetWindowState() == wsMinimized) mf->SetWindowState(wsNormal);
    mf->SetTag(-10000);
    PostMessage(mf->Handle(), 1426 /* BSM_TRAY_SHOWMAINFORM */, 0, 0);
}

void TbsTrayIcon::HideMainForm()
{
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    if (!OwnerControl() || !mf) return;
    mf->SetVisible(false);
    mf->SetTag(-10000);
}

void TbsTrayIcon::DoMinimizeToTray()
{
    HideMainForm();
    SetIconVisible(true);
}

// ---------------------------------------------------------------------------
// Events

void TbsTrayIcon::Click()
{
    if (OnClick) OnClick(this);
}
void TbsTrayIcon::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}
void TbsTrayIcon::Cycle(int NextIndex)
{
    if (OnCycle) OnCycle(this, NextIndex);
}
void TbsTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

LRESULT TbsTrayIcon::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    switch (Msg)
    {
    case BSM_TRAY_CALLBACK:
        if (Enabled) CallbackMessage(UINT(LParam));
        return 0;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_NCDESTROY: return 1;
    default: return DefWindowProc(FHandle, Msg, WParam, LParam);
    }
}

void TbsTrayIcon::CallbackMessage(UINT mouse)
{
    TPoint p;
    GetCursorPos(&p);
    TShiftState s = KeyShift();
    auto with = [&s](TShiftStateFlag f) {
        TShiftState r = s;
        r.Include(f);
        return r;
    };
    switch (mouse)
    {
    case WM_MOUSEMOVE: MouseMove(s, p.X, p.Y); break;
    case WM_LBUTTONDOWN:
        ClickTimer->SetEnabled(true);
        MouseDown(mbLeft, with(ssLeft), p.X, p.Y);
        FClickStart = true;
        if (PopupByLeftButton) PopupAtCursor();
        break;
    case WM_LBUTTONUP:
        if (FClickStart)
        {
            FClickReady = true;
            // The double-click time has already passed: the click counts now.
            if (!ClickTimer->GetEnabled())
            {
                FClickStart = FClickReady = false;
                Click();
            }
        }
        FClickStart = false;
        MouseUp(mbLeft, with(ssLeft), p.X, p.Y);
        break;
    case WM_LBUTTONDBLCLK:
        FClickReady = false;
        IsDblClick = true;
        DblClick();
        if (PopupMenu && PopupMenu->AutoPopup() && !PopupByLeftButton)
            for (int i = 0; i < PopupMenu->Items()->Count(); ++i)
                if (TMenuItem* it = PopupMenu->Items()->Items(i); it->Default())
                {
                    it->Click();
                    break;
                }
        break;
    case WM_RBUTTONDOWN:
        MouseDown(mbRight, with(ssRight), p.X, p.Y);
        PopupAtCursor();
        break;
    case WM_RBUTTONUP: MouseUp(mbRight, with(ssRight), p.X, p.Y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, with(ssMiddle), p.X, p.Y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, with(ssMiddle), p.X, p.Y); break;
    case NIN_BALLOONUSERCLICK:
        if (OnBalloonHintClick) OnBalloonHintClick(this);
        break;
    default: break;
    }
}

void TbsTrayIcon::ClickTimerProc()
{
    ClickTimer->SetEnabled(false);
    if (!IsDblClick && FClickReady)
    {
        FClickReady = false;
        Click();
    }
    IsDblClick = false;
}

void TbsTrayIcon::PopupAtCursor()
{
    TPoint p;
    if (!PopupMenu || !PopupMenu->AutoPopup() || !GetCursorPos(&p)) return;
    if (Application) Application->ProcessMessages();
    TWinControl* owner = OwnerControl();
    if (owner && owner->HandleAllocated()) SetForegroundWindow(owner->Handle());
    PopupMenu->SetPopupComponent(this);
    PopupMenu->Popup(p.X, p.Y);
    if (owner && owner->HandleAllocated()) PostMessage(owner->Handle(), WM_NULL, 0, 0);
}

void TbsTrayIcon::TimerCycle()
{
    if (!FIconList || FIconList->Count() == 0) return;
    const int last = FIconList->Count() - 1;
    const int next = FIconIndex >= last ? 0 : FIconIndex + 1;
    Cycle(next);
    SetIconIndex(next);
}

// ---------------------------------------------------------------------------
// Hooks

void TbsTrayIcon::HookApp()
{
    if (!Application) return;
    FAppWnd = Application->Handle();
    if (!FAppWnd) return;
    FAppToken = SubclassWindow(FAppWnd, [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        const TSubclassToken self = FAppToken;
        if (msg == RegisterWindowMessage("TaskbarCreated") && FIconVisible)
            AddTrayIcon();  // a new notification area: the icon comes back
        return CallPreviousWindowProc(h, self, msg, wp, lp);
    });
}

void TbsTrayIcon::UnhookApp()
{
    if (FAppToken && IsWindow(FAppWnd)) RemoveWindowSubclass(FAppWnd, FAppToken);
    FAppToken = 0;
}

void TbsTrayIcon::HookParent()
{
    TWinControl* owner = OwnerControl();
    if (!owner) return;
    FOwnerWnd = owner->Handle();
    if (!FOwnerWnd) return;
    FOwnerToken = SubclassWindow(FOwnerWnd, [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        const TSubclassToken self = FOwnerToken;
        // The application is minimized through its main form here: minimizing
        // it to the tray hides the form into the icon.
        if (msg == WM_SIZE && wp == SIZE_MINIMIZED && FMinimizeToTray && Application &&
            Application->MainForm() == OwnerControl())
        {
            const LRESULT r = CallPreviousWindowProc(h, self, msg, wp, lp);
            DoMinimizeToTray();
            return r;
        }
        if (msg == WM_SHOWWINDOW && wp == 1 && lp == 0 && Application && Application->Minimized())
            Application->Restore();
        return CallPreviousWindowProc(h, self, msg, wp, lp);
    });
}

void TbsTrayIcon::UnhookParent()
{
    if (FOwnerToken && IsWindow(FOwnerWnd)) RemoveWindowSubclass(FOwnerWnd, FOwnerToken);
    FOwnerToken = 0;
}
