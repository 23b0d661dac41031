// Activation, focus and capture; window positions, sizes and showing.
#include "platform/os/Window/Internal.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Clock.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/os/Gdi/Internal.h"
#include "platform/os/Input.h"
#include "platform/os/Monitor.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

using namespace wm;

// ---------------------------------------------------------------------------
// Activation, focus, capture
// ---------------------------------------------------------------------------
namespace wm
{
bool CanActivate(WindowNode* n)
{
    return n && n->alive && !n->parent && !n->messageOnly && (n->style & WS_VISIBLE) &&
           !(n->style & WS_DISABLED) && !(n->exStyle & WS_EX_NOACTIVATE);
}

void KillFocusTo(WindowNode* next)
{
    WindowNode* old = N(gFocus);
    if (!old) { gFocus = nullptr; return; }
    SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    if (gFocus == old) gFocus = nullptr;
}

void ActivateWindow(WindowNode* n, WPARAM how, bool raise)
{
    if (n == gActive) return;
    WindowNode* old = N(gActive);
    if (n && raise)
    {
        SetWindowPos(n, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!n->alive) return;
    }
    // A mouse mode of the window losing the activation ends.
    if (WindowNode* cap = N(gCapture); cap && old && Root(cap) == old)
        SendMessage(cap, WM_CANCELMODE, 0, 0);
    gActive = n;
    if (n && n->bid) BE().Activate(n->bid);
    if (old)
    {
        SendMessage(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(n));
        if (N(old))
            SendMessage(old, WM_ACTIVATE, MAKEWPARAM(int(WA_INACTIVE), (old->style & WS_MINIMIZE) ? 1 : 0),
                        reinterpret_cast<LPARAM>(n));
    }
    if (!n || !n->alive || gActive != n)
    {
        if (!gActive && gFocus) KillFocusTo(nullptr);
        return;
    }
    SendMessage(n, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
    if (n->alive && gActive == n)
        SendMessage(n, WM_ACTIVATE, MAKEWPARAM(int(how), (n->style & WS_MINIMIZE) ? 1 : 0),
                    reinterpret_cast<LPARAM>(N(old)));
    // The keyboard focus never stays in a window that is not active.
    if (WindowNode* f = N(gFocus); f && gActive && Root(f) != gActive) KillFocusTo(nullptr);
}

void ActivateOther(WindowNode* leaving)
{
    if (gActive != leaving) return;
    WindowNode* next = nullptr;
    if (leaving->owner && CanActivate(leaving->owner) && !(leaving->owner->style & WS_MINIMIZE))
        next = leaving->owner;
    if (!next)
        for (WindowNode* t : gTop)
            if (t != leaving && CanActivate(t) && !(t->style & WS_MINIMIZE) &&
                !(t->exStyle & WS_EX_TOOLWINDOW))
            {
                next = t;
                break;
            }
    ActivateWindow(next, WA_ACTIVE);
}
} // namespace wm

HWND SetActiveWindow(HWND hwnd)
{
    HWND old = gActive;
    if (!hwnd)
    {
        ActivateWindow(nullptr, WA_INACTIVE);
        return old;
    }
    WindowNode* n = N(hwnd);
    if (!n) return nullptr;
    n = Root(n);
    if (n->messageOnly) return nullptr;
    ActivateWindow(n, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow() { return N(gActive); }
BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) != nullptr || GetActiveWindow() == hwnd; }
HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetFocus(HWND hwnd)
{
    HWND old = N(gFocus);
    if (!hwnd)
    {
        KillFocusTo(nullptr);
        return old;
    }
    WindowNode* n = N(hwnd);
    if (!n || (n->style & WS_DISABLED)) return nullptr;
    WindowNode* root = Root(n);
    if (gActive != root)
    {
        if (root->messageOnly) return nullptr;
        ActivateWindow(root, WA_ACTIVE);
        if (!n->alive) return nullptr;
        old = N(gFocus);
    }
    if (gFocus == n) return n;
    if (old)
    {
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(n), 0);
        if (!n->alive) return old;
    }
    gFocus = n;
    SendMessage(n, WM_SETFOCUS, reinterpret_cast<WPARAM>(N(old)), 0);
    return old;
}

HWND GetFocus() { return N(gFocus); }

HWND SetCapture(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    HWND old = N(gCapture);
    if (!n) return old;
    gCapture = n;
    BE().GrabPointer(Root(n)->bid);
    if (old && old != n) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(n));
    return old;
}

BOOL ReleaseCapture()
{
    HWND old = N(gCapture);
    gCapture = nullptr;
    if (old) BE().GrabPointer(0);
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return N(gCapture); }

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    BOOL wasDisabled = (n->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable && wasDisabled)
    {
        n->style &= ~WS_DISABLED;
        SendMessage(n, WM_ENABLE, TRUE, 0);
    }
    else if (!enable && !wasDisabled)
    {
        if (WindowNode* cap = N(gCapture); cap && (cap == n || IsChild(n, cap)))
            SendMessage(cap, WM_CANCELMODE, 0, 0);
        n->style |= WS_DISABLED;
        if (WindowNode* f = N(gFocus); f && (f == n || IsChild(n, f))) KillFocusTo(nullptr);
        if (N(n)) SendMessage(n, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

// ---------------------------------------------------------------------------
// Positions and showing
// ---------------------------------------------------------------------------
namespace wm
{

MINMAXINFO GetMinMax(WindowNode* n)
{
    MINMAXINFO mi;
    MONITORINFO info;
    GetMonitorInfo(MonitorFromWindow(n, MONITOR_DEFAULTTONEAREST), &info);
    mi.ptMaxSize = TPoint(info.rcWork.Width(), info.rcWork.Height());
    mi.ptMaxPosition = info.rcWork.TopLeft();
    mi.ptMinTrackSize = TPoint(GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK));
    mi.ptMaxTrackSize = TPoint(GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK));
    SendMessage(n, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mi));
    return mi;
}
} // namespace wm

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    WINDOWPOS wp;
    wp.hwnd = n;
    wp.hwndInsertAfter = insertAfter;
    wp.x = (flags & SWP_NOMOVE) ? n->rect.Left : x;
    wp.y = (flags & SWP_NOMOVE) ? n->rect.Top : y;
    wp.cx = (flags & SWP_NOSIZE) ? n->rect.Width() : cx;
    wp.cy = (flags & SWP_NOSIZE) ? n->rect.Height() : cy;
    wp.flags = flags;
    bool visibleBefore = (n->style & WS_VISIBLE) != 0;
    if ((flags & SWP_SHOWWINDOW) && visibleBefore) wp.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !visibleBefore) wp.flags &= ~SWP_HIDEWINDOW;
    if (!(flags & SWP_NOSENDCHANGING))
    {
        SendMessage(n, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        if (!n->alive) return FALSE;
    }
    flags = wp.flags;
    if (flags & SWP_NOMOVE) { wp.x = n->rect.Left; wp.y = n->rect.Top; }
    if (flags & SWP_NOSIZE) { wp.cx = n->rect.Width(); wp.cy = n->rect.Height(); }
    wp.cx = std::max(0, wp.cx);
    wp.cy = std::max(0, wp.cy);

    TRect oldRect = n->rect, oldClient = n->client;
    TRect newRect = Bounds(wp.x, wp.y, wp.cx, wp.cy);
    bool moved = newRect.TopLeft() != oldRect.TopLeft();
    bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
    bool zChanged = false;
    if (!(flags & SWP_NOZORDER))
    {
        zChanged = ApplyZOrder(n, wp.hwndInsertAfter);
        if (!n->parent && zChanged) SyncZOrder();
    }
    n->rect = newRect;
    if (sized || (flags & SWP_FRAMECHANGED)) RecalcClient(n, oldRect, oldClient, &wp, true);
    if (!n->alive) return FALSE;
    if (n->surface && sized) n->surface->Resize(newRect.Width(), newRect.Height());
    if (n->bid && (moved || sized)) BE().SetBounds(n->bid, n->rect);

    if (flags & SWP_SHOWWINDOW) n->style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) n->style &= ~WS_VISIBLE;
    bool visibleAfter = (n->style & WS_VISIBLE) != 0;
    if (!n->parent && visibleAfter != visibleBefore) SyncVisible(n);

    if (!(flags & SWP_NOREDRAW))
    {
        bool frame = (flags & SWP_FRAMECHANGED) != 0;
        if (visibleAfter && (!visibleBefore || sized || frame || (n->parent && (moved || zChanged))))
            InvalidateWhole(n);
        // What the window covered is exposed: the parent there and every
        // window below it (also when the parent clips its children).
        if (n->parent && visibleBefore && (moved || sized || !visibleAfter))
            InvalidateClient(n->parent, TRegion(oldRect), true, 1);
    }
    if (!n->parent && visibleBefore && !visibleAfter)
    {
        if (WindowNode* cap = N(gCapture); cap && Root(cap) == n) ReleaseCapture();
        ActivateOther(n);
    }
    if (!n->parent && visibleAfter && !(flags & SWP_NOACTIVATE) && gActive != n && CanActivate(n))
    {
        // Activation raises the window within this same change.
        if ((flags & SWP_NOZORDER) && ApplyZOrder(n, HWND_TOP)) SyncZOrder();
        ActivateWindow(n, WA_ACTIVE, false);
    }
    if (!n->alive) return FALSE;

    TPoint oldCO(oldRect.Left + oldClient.Left, oldRect.Top + oldClient.Top);
    TPoint newCO(n->rect.Left + n->client.Left, n->rect.Top + n->client.Top);
    if (!(n->client.Width() != oldClient.Width() || n->client.Height() != oldClient.Height()))
        flags |= SWP_NOCLIENTSIZE_;
    if (newCO == oldCO) flags |= SWP_NOCLIENTMOVE_;
    wp.flags = flags;
    wp.x = n->rect.Left;
    wp.y = n->rect.Top;
    wp.cx = n->rect.Width();
    wp.cy = n->rect.Height();
    SendMessage(n, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, w, h,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace wm
{
void SendSize(WindowNode* n)
{
    WPARAM kind = (n->style & WS_MINIMIZE) ? SIZE_MINIMIZED : (n->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessage(n, WM_SIZE, kind, MAKELPARAM(n->client.Width(), n->client.Height()));
}

// Owned windows are hidden while their owner is minimized and come back with it.
void ShowOwnedPopups(WindowNode* owner, bool show)
{
    constexpr LPARAM SW_PARENTCLOSING = 1, SW_PARENTOPENING = 3;
    std::vector<WindowNode*> owned;
    for (WindowNode* t : gTop)
        if (t->owner == owner) owned.push_back(t);
    for (WindowNode* w : owned)
    {
        if (!N(w)) continue;
        bool visible = (w->style & WS_VISIBLE) != 0;
        if (!show && visible)
        {
            SendMessage(w, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
            if (!N(w)) continue;
            w->hiddenWithOwner = true;
            SetWindowPos(w, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        }
        else if (show && w->hiddenWithOwner && !visible)
        {
            w->hiddenWithOwner = false;
            SendMessage(w, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
            if (!N(w)) continue;
            SetWindowPos(w, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        }
    }
}

void Minimize(WindowNode* n, bool activate)
{
    if (n->style & WS_MINIMIZE) return;
    if (!(n->style & WS_MAXIMIZE))
    {
        n->restore = n->rect;
        n->hasRestore = true;
    }
    if (!(n->style & WS_VISIBLE)) SendMessage(n, WM_SHOWWINDOW, TRUE, 0);
    n->style |= WS_MINIMIZE | WS_VISIBLE;
    if (!n->parent) SyncVisible(n);
    else InvalidateClient(n->parent, TRegion(n->rect), true, 0);
    if (WindowNode* cap = N(gCapture); cap && Root(cap) == Root(n)) ReleaseCapture();
    (void)activate;
    if (!n->parent) ActivateOther(n);
    if (!n->parent) ShowOwnedPopups(n, false);
    if (n->alive) SendSize(n);
}

void RestoreFrom(WindowNode* n)
{
    bool wasMin = (n->style & WS_MINIMIZE) != 0;
    bool wasMax = (n->style & WS_MAXIMIZE) != 0;
    n->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (wasMin && !n->parent) SyncVisible(n);
    if (wasMin && !n->parent) ShowOwnedPopups(n, true);
    if (!n->alive) return;
    TRect r = n->hasRestore ? n->restore : n->rect;
    n->hasRestore = false;
    TSize before(n->client.Width(), n->client.Height());
    SetWindowPos(n, nullptr, r.Left, r.Top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (!n->alive) return;
    InvalidateWhole(n);
    if ((wasMin || wasMax) && before == TSize(n->client.Width(), n->client.Height())) SendSize(n);
}

void Maximize(WindowNode* n)
{
    if (n->style & WS_MINIMIZE) n->style &= ~WS_MINIMIZE, SyncVisible(n);
    if (!(n->style & WS_MAXIMIZE))
    {
        n->restore = n->rect;
        n->hasRestore = true;
    }
    MINMAXINFO mi = GetMinMax(n);
    if (!n->alive) return;
    n->style |= WS_MAXIMIZE;
    TPoint pos = mi.ptMaxPosition;
    if (n->parent)
    {
        TRect pc;
        GetClientRect(n->parent, &pc);
        pos = TPoint(0, 0);
        mi.ptMaxSize = TPoint(pc.Width(), pc.Height());
    }
    if (!(n->style & WS_VISIBLE)) SendMessage(n, WM_SHOWWINDOW, TRUE, 0);
    TSize before(n->client.Width(), n->client.Height());
    SetWindowPos(n, nullptr, pos.X, pos.Y, mi.ptMaxSize.X, mi.ptMaxSize.Y,
                 SWP_NOZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    if (n->alive && before == TSize(n->client.Width(), n->client.Height())) SendSize(n);
}
} // namespace wm

BOOL ShowWindow(HWND hwnd, int cmd)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    BOOL wasVisible = (n->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (cmd)
    {
    case SW_HIDE:
        if (!wasVisible) return FALSE;
        SendMessage(n, WM_SHOWWINDOW, FALSE, 0);
        if (n->alive)
            SetWindowPos(n, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        Minimize(n, cmd == SW_SHOWMINIMIZED);
        return wasVisible;
    case SW_MAXIMIZE:
        Maximize(n);
        return wasVisible;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (n->style & (WS_MINIMIZE | WS_MAXIMIZE))
        {
            RestoreFrom(n);
            if (!n->alive) return wasVisible;
        }
        break;
    default:
        break;
    }
    bool noActivate = cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE;
    if (!(n->style & WS_VISIBLE))
    {
        SendMessage(n, WM_SHOWWINDOW, TRUE, 0);
        if (!n->alive) return wasVisible;
        SetWindowPos(n, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | (noActivate ? SWP_NOACTIVATE : 0));
    }
    else if (!noActivate && !n->parent && gActive != n && CanActivate(n))
        ActivateWindow(n, WA_ACTIVE);
    return wasVisible;
}
