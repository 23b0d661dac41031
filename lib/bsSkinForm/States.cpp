// Window states of a skinned form: its own minimize / maximize / restore
// (the frame is not a system frame), size limits, roll-up, the caption
// double click, the position in the monitor, the notification area and the
// drop shadow.
#include "lib/bsSkinForm.h"

#include <algorithm>

#include "lib/bsTrayIcon.h"
#include "lib/bsUtils.h"

namespace
{
bool IsMainForm(TCustomForm* f) { return Application && Application->MainForm() == f; }
}  // namespace

TWindowState TbsSkinForm::WindowState() const
{
    if (!FSkinnableForm) return FForm->GetWindowState();
    // A skinned form the system maximized (its own state, set by the program
    // or the window manager) shows maximized until its state changes.
    if (FWindowState == wsNormal && FForm->GetWindowState() == wsMaximized) return wsMaximized;
    return FWindowState;
}

bool TbsSkinForm::IsSizeable() const { return AlwaysResize || Sizeable(); }

// ---------------------------------------------------------------------------
// Size limits

namespace
{
TRect MonitorArea(TCustomForm* f, bool workArea)
{
    TRect r;
    if (f->HandleAllocated()) GetMonitorWorkArea(f->Handle(), workArea, r);
    else GetScreenWorkArea(workArea, r);
    return r;
}

// A size a skin asks for, at most the monitor's work area (a skin's frame
// picture or "formminwidth" may be far larger than any screen).
int SkinSize(int v, int workArea) { return workArea > 0 ? std::min(v, workArea) : v; }
}  // namespace

int TbsSkinForm::GetMinWidth() const
{
    if (!FSkinSupport) return MinWidth > 0 ? MinWidth : 120;
    const bool minimized = FWindowState == wsMinimized;
    const int area = MonitorArea(FForm, true).Width();
    const int pw = SkinSize(FSD->FPicture.Width(), area), fmw = SkinSize(FSD->FormMinWidth, area);
    if (pw < MinWidth && !minimized) return MinWidth;
    if (fmw > 0) return fmw >= MinWidth || minimized ? fmw : MinWidth;
    return pw;
}

int TbsSkinForm::GetMinHeight() const
{
    const int h = FSkinSupport ? SkinSize(FSD->FPicture.Height() - RectHeight(FSD->ClRect), MonitorArea(FForm, true).Height())
                               : GetDefCaptionHeight() + 6;
    return h >= MinHeight || FRollUpState || FWindowState == wsMinimized ? h : MinHeight;
}

int TbsSkinForm::GetMaxWidth() const
{
    return MaxWidth != 0 ? MaxWidth : MonitorArea(FForm, !MaximizeOnFullScreen).Width();
}

int TbsSkinForm::GetMaxHeight() const
{
    return MaxHeight != 0 ? MaxHeight : MonitorArea(FForm, !MaximizeOnFullScreen).Height();
}

void TbsSkinForm::RefreshFormSize()
{
    // One pixel there and back: the class library and the frame lay themselves out again.
    const int w = FForm->Width();
    FForm->SetWidth(w - 1 < GetMinWidth() ? w + 1 : w - 1);
    FForm->SetWidth(w);
}

// ---------------------------------------------------------------------------
// States

void TbsSkinForm::ChangeWindowState(TWindowState Value)
{
    if (!FSkinnableForm)
    {
        FForm->SetWindowState(Value);
        return;
    }
    // The system's maximize gives way: from here the frame keeps the state.
    if (FForm->GetWindowState() == wsMaximized)
    {
        FForm->SetWindowState(wsNormal);
        if (Value == wsNormal && FWindowState == wsNormal) return;
    }
    if (Value == FWindowState) return;
    const TWindowState old = FWindowState;
    // The main form is minimized through the application and keeps its state.
    if (!(Value == wsMinimized && IsMainForm(FForm))) FWindowState = Value;
    switch (Value)
    {
    case wsNormal:
        if (old == wsMaximized && FRollUpState && !FRollUpBeforeMaximize) ChangeRollUpState(false);
        FRollUpBeforeMaximize = false;
        DoRestore();
        break;
    case wsMinimized: DoMinimize(); break;
    case wsMaximized:
        FRollUpBeforeMaximize = FRollUpState;
        DoMaximize();
        break;
    }
}

void TbsSkinForm::DoMinimize()
{
    if (IsMainForm(FForm))
        Application->Minimize();
    else
    {
        if (IsEmptyRect(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
        TPoint P;
        GetMinimizedPosition(P);
        FForm->SetBounds(P.X, P.Y, GetMinWidth(), GetMinHeight());
        if (IsMDIChild()) SendMessage(Application->MainForm()->Handle(), BSM_MDICHILD_RESTORED, 0, 0);
    }
    if (OnMinimize) OnMinimize(this);
}

void TbsSkinForm::GetMinimizedPosition(TPoint& P)
{
    const int w = std::max(1, GetMinWidth()), h = std::max(1, GetMinHeight());
    TbsSkinForm* main = IsMDIChild() ? MainMDISkinForm() : nullptr;
    // An MDI child parks in the MDI work area (client coordinates).
    TRect area = MonitorArea(FForm, true);
    if (main) area = TRect(0, 0, main->GetMDIWorkArea().Width(), main->GetMDIWorkArea().Height());
    // A slot is taken when it overlaps a tile parked there (tiles of other
    // sizes included); the search goes on past the right edge of that tile.
    auto taken = [this, main, w, h](int x, int y, int& right) {
        const TRect slot = Bounds(x, y, w, h);
        auto overlaps = [&slot, &right](TCustomForm* f) {
            TRect r;
            if (!IntersectRect(r, slot, f->BoundsRect())) return false;
            right = f->BoundsRect().Right;
            return true;
        };
        if (main)
        {
            for (int i = 0; TCustomForm* c = main->Form()->MDIChildren(i); ++i)
            {
                TbsSkinForm* sf = FindSkinForm(c);
                if (c != FForm && c->GetVisible() && sf && sf->WindowState() == wsMinimized && overlaps(c)) return true;
            }
            return false;
        }
        if (!Screen) return false;
        for (int i = 0; i < Screen->FormCount(); ++i)
        {
            TCustomForm* f = Screen->Forms(i);
            if (f == FForm || IsMainForm(f) || !f->GetVisible()) continue;
            TbsSkinForm* sf = FindSkinForm(f);
            if (sf && sf->WindowState() == wsMinimized && overlaps(f)) return true;
        }
        return false;
    };
    // Left to right, then one row up. When the rows of the area run out the
    // tiles go on upward rather than onto each other.
    int x = area.Left, y = area.Bottom - h, right = 0;
    while (taken(x, y, right))
    {
        x = std::max(right, x + 1);
        if (x + w > area.Right)
        {
            x = area.Left;
            y -= h;
        }
    }
    P = TPoint(x, y);
}

void TbsSkinForm::DoMaximize()
{
    if (IsEmptyRect(OldBoundsRect)) OldBoundsRect = FForm->BoundsRect();
    if (TbsSkinForm* main = IsMDIChild() ? MainMDISkinForm() : nullptr)
    {
        // The child fills the MDI work area, without a frame.
        MouseTimer->SetEnabled(false);
        TestActive(-1, -1, false);
        const TRect a = main->GetMDIWorkArea();
        const bool same = a.Width() == FForm->Width() && a.Height() == FForm->Height();
        FForm->SetBounds(0, 0, a.Width(), a.Height());
        SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (same) RefreshFormSize();
        SendMessage(Application->MainForm()->Handle(), BSM_MDICHILD_MAXIMIZED, 0, 0);
        if (OnMaximize) OnMaximize(this);
        return;
    }
    TRect R = MonitorArea(FForm, !MaximizeOnFullScreen);
    if (!MaximizeOnFullScreen)
    {
        TRect mon = MonitorArea(FForm, false), primary;
        GetScreenWorkArea(false, primary);
        // A work area as large as the primary screen: an auto-hidden task bar
        // stays reachable through a 1-pixel margin.
        if (R.Width() == mon.Width() && R.Height() == mon.Height() && mon == primary) InflateRect(R, -1, -1);
    }
    const bool same = R.Width() == FForm->Width() && R.Height() == FForm->Height();
    FForm->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    if (same) RefreshFormSize();
    NCPaint();
    if (FStatusBar && FStatusBar->SizeGrip()) FStatusBar->SetShowGrip(false);
    if (OnMaximize) OnMaximize(this);
}

void TbsSkinForm::DoRestore()
{
    MaxRollUpState = false;
    const TSize oldSize(FForm->Width(), FForm->Height());
    if (!IsEmptyRect(OldBoundsRect))
    {
        if (FStartShow)
        {
            FStartShow = false;
            const TPoint p = GetPositionInMonitor(OldBoundsRect.Left, OldBoundsRect.Top, OldBoundsRect.Width(),
                                                  OldBoundsRect.Height());
            FForm->SetBounds(p.X, p.Y, OldBoundsRect.Width(), OldBoundsRect.Height());
        }
        else
        {
            if (FBorderLayer && FBorderLayer->Visible())
                FBorderLayer->SetBoundsWithForm3(OldBoundsRect.Left, OldBoundsRect.Top, OldBoundsRect.Width(),
                                                 OldBoundsRect.Height());
            FForm->SetBounds(OldBoundsRect.Left, OldBoundsRect.Top, OldBoundsRect.Width(), OldBoundsRect.Height());
        }
    }
    if (IsMDIChild())
    {
        // The frame comes back.
        SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessage(Application->MainForm()->Handle(), BSM_MDICHILD_RESTORED, 0, 0);
    }
    if (oldSize == TSize(FForm->Width(), FForm->Height())) RefreshFormSize();
    NCPaint();
    OldBoundsRect = TRect();
    if (FStatusBar && FStatusBar->SizeGrip()) FStatusBar->SetShowGrip(true);
    if (OnRestore) OnRestore(this);
}

// ---------------------------------------------------------------------------
// Roll-up and the caption double click

void TbsSkinForm::ChangeRollUpState(bool Value)
{
    if (!FBorderIcons.RollUp || FWindowState == wsMinimized || Value == FRollUpState) return;
    if (FRollUpState && FWindowState == wsMaximized && !MaxRollUpState) return;
    if (FWindowState == wsMaximized) MaxRollUpState = Value;
    FRollUpState = Value;
    if (Value)
    {
        FOldHeight = FForm->Height();
        FForm->SetHeight(GetMinHeight());
    }
    else if (FClientHeight != 0)
        FForm->SetClientHeight(FClientHeight);
    else
        FForm->SetHeight(FOldHeight);
    NCPaint();
    if (OnChangeRollUpState) OnChangeRollUpState(this);
}

void TbsSkinForm::CaptionDblClick()
{
    const bool sizeable = IsSizeable();
    if (sizeable && FWindowState == wsMinimized)
        ChangeWindowState(wsNormal);
    else if (sizeable && FWindowState != wsMaximized && !FRollUpState && FBorderIcons.Maximize)
        ChangeWindowState(wsMaximized);
    else if (sizeable && FWindowState == wsMaximized && !MaxRollUpState)
        ChangeWindowState(wsNormal);
    else
        ChangeRollUpState(!FRollUpState);
    MouseCaptureObject = -1;
}

// ---------------------------------------------------------------------------
// Position in the monitor

TPoint TbsSkinForm::GetPositionInMonitor(int AX, int AY, int AW, int AH) const
{
    if (PositionInMonitor == bspDefault) return TPoint(AX, AY);
    const TRect R = MonitorArea(FForm, PositionInMonitor == bspDesktopCenter);
    return TPoint(R.Left + R.Width() / 2 - AW / 2, R.Top + R.Height() / 2 - AH / 2);
}

void TbsSkinForm::ApplyPositionInMonitor()
{
    if (PositionInMonitor == bspDefault) return;
    const TPoint p = GetPositionInMonitor(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
    FForm->SetBounds(p.X, p.Y, FForm->Width(), FForm->Height());
}

// ---------------------------------------------------------------------------
// Notification area

void TbsSkinForm::SetTrayIcon(TbsTrayIcon* Value)
{
    if (FTrayIcon == Value) return;
    if (FTrayIcon)
    {
        FTrayIcon->RemoveFreeNotification(this);
        // The restore handler and the menu given to the icon go with the link.
        if (FTrayDblClickGiven) FTrayIcon->OnDblClick = nullptr;
        if (FTrayMenuGiven && FTrayIcon->PopupMenu == FSysTrayMenu) FTrayIcon->PopupMenu = nullptr;
    }
    FTrayDblClickGiven = false;
    FTrayMenuGiven = false;
    FTrayIcon = Value;
    if (!FTrayIcon) return;
    FTrayIcon->FreeNotification(this);
    if (!AlwaysShowInTray) FTrayIcon->SetIconVisible(false);
    FTrayIcon->SetMinimizeToTray(false);
    if (ComponentState() & csDesigning) return;
    // An icon without a menu of its own gets the component's tray menu.
    if (!FTrayIcon->PopupMenu)
    {
        FTrayIcon->PopupMenu = FSysTrayMenu;
        FTrayMenuGiven = true;
    }
    if (!FTrayIcon->OnDblClick)
    {
        FTrayIcon->OnDblClick = [this](TObject*) { RestoreFromTray(); };
        FTrayDblClickGiven = true;
    }
}

void TbsSkinForm::MinimizeToTray()
{
    if (!FTrayIcon) return;
    FTrayIcon->SetMinimizeToTray(true);
    if (Application) Application->Minimize();
    if (OnMinimizeToTray) OnMinimizeToTray(this);
}

void TbsSkinForm::RestoreFromTray()
{
    if (!FTrayIcon) return;
    FTrayIcon->SetMinimizeToTray(false);
    FTrayIcon->ShowMainForm();
    if (Application) Application->Restore();
    if (!AlwaysShowInTray) FTrayIcon->SetIconVisible(false);
    if (OnRestoreFromTray) OnRestoreFromTray(this);
}

void TbsSkinForm::EnableShadow(bool AShowShadow, bool AHideFormBefore)
{
    if (!IsLayeredWindowsAvailable() || AShowShadow == FHaveShadow || !FForm->HandleAllocated()) return;
    FHaveShadow = AShowShadow;
    HWND h = FForm->Handle();
    if (AHideFormBefore) ShowWindow(h, SW_HIDE);
    const DWORD style = GetClassLong(h, GCL_STYLE);
    SetClassLong(h, GCL_STYLE, AShowShadow ? style | CS_DROPSHADOW : style & ~DWORD(CS_DROPSHADOW));
    if (AHideFormBefore) ShowWindow(h, SW_SHOWNA);
}

TCustomForm* TbsSkinForm::FindTopMostForm()
{
    if (!Screen) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i)
    {
        TCustomForm* f = Screen->Forms(i);
        if (f->GetVisible() && f->GetFormStyle() == fsStayOnTop) return f;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Messages

bool TbsSkinForm::StatesWindowProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETMINMAXINFO:
        if (!FSkinnableForm || !HasBorder()) return false;
        PassOn(m);
        if (auto* mi = reinterpret_cast<MINMAXINFO*>(m.LParam))
        {
            if (!PreviewMode) mi->ptMinTrackSize = TPoint(GetMinWidth(), GetMinHeight());
            mi->ptMaxTrackSize = TPoint(GetMaxWidth(), GetMaxHeight());
        }
        return true;
    case WM_DISPLAYCHANGE:
        if (HasBorder() && (FForm->Width() > GetMaxWidth() || FForm->Height() > GetMaxHeight())) RefreshFormSize();
        return false;
    case WM_SYSCOMMAND:
        if (!FSkinnableForm || !HasBorder()) return false;
        switch (m.WParam & 0xFFF0)
        {
        case SC_MAXIMIZE: ChangeWindowState(wsMaximized); return true;
        case SC_MINIMIZE:
            // The main form goes through the application (the class library's way).
            if (IsMainForm(FForm)) return false;
            ChangeWindowState(wsMinimized);
            return true;
        case SC_RESTORE:
            if (FWindowState != wsNormal && !IsIconic(FForm->Handle()))
            {
                ChangeWindowState(wsNormal);
                return true;
            }
            // Restores by the system (the main form from the task bar).
            if (OnRestore) OnRestore(this);
            return false;
        default: return false;
        }
    case BSM_TRAY_SHOWMAINFORM:
        if (FForm->Tag() == -10000)
        {
            if (CanShowBorderLayer())
            {
                SetForegroundWindow(FForm->Handle());
                if (TCustomForm* top = FindTopMostForm()) SetForegroundWindow(top->Handle());
            }
            FForm->SetTag(0);
        }
        return true;
    default: return false;
    }
}
