// Input: raw events from the backend become window messages when the GUI
// thread retrieves them.
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
// Input: raw events become window messages when retrieved
// ---------------------------------------------------------------------------
namespace wm
{
WPARAM MouseKeys()
{
    WPARAM k = 0;
    if (gKeys[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
    if (gKeys[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
    if (gKeys[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
    if (gKeys[VK_SHIFT] & 0x80) k |= MK_SHIFT;
    if (gKeys[VK_CONTROL] & 0x80) k |= MK_CONTROL;
    return k;
}

bool Enabled(WindowNode* n) { return !(n->style & WS_DISABLED); }

bool ContainsScreen(WindowNode* n, TPoint pt)
{
    TRect r = ScreenRect(n);
    if (!r.Contains(pt)) return false;
    if (const TRegion* rg = WinRgn(n))
        if (!rg->Contains(pt.X - r.Left, pt.Y - r.Top)) return false;
    return true;
}

// The deepest window at pt below n (n included), asking WM_NCHITTEST.
// Returns null when n and its children let the point through.
WindowNode* HitIn(WindowNode* n, TPoint pt, LRESULT* hit, bool ask)
{
    TRect cr(ClientOrigin(n), TPoint(ClientOrigin(n).X + n->client.Width(), ClientOrigin(n).Y + n->client.Height()));
    if (cr.Contains(pt))
    {
        std::vector<WindowNode*> kids = n->children;
        for (WindowNode* c : kids)
        {
            if (!N(c) || !(c->style & WS_VISIBLE) || !ContainsScreen(c, pt)) continue;
            if (!Enabled(c))
                break;   // a disabled child hides what is below it; its parent gets the input
            WindowNode* r = HitIn(c, pt, hit, ask);
            if (r) return r;
        }
    }
    if (!ask)
    {
        *hit = HTCLIENT;
        return n;
    }
    LRESULT h = SendMessage(n, WM_NCHITTEST, 0, MAKELPARAM(pt.X, pt.Y));
    if (!N(n)) return nullptr;
    if (h == HTTRANSPARENT) return nullptr;
    *hit = h;
    return n;
}

WindowNode* HitTop(TPoint pt, LRESULT* hit, bool ask)
{
    std::vector<WindowNode*> tops = gTop;
    for (WindowNode* t : tops)
    {
        if (!N(t) || !VisibleDeep(t) || !ContainsScreen(t, pt)) continue;
        if ((t->exStyle & WS_EX_LAYERED) && (t->exStyle & WS_EX_TRANSPARENT)) continue;
        if (t->ulw && (t->ulwFlags & ULW_ALPHA))
        {
            // Fully transparent pixels of a per-pixel-alpha window let clicks through.
            TRect r = ScreenRect(t);
            if (t->surface && PixelA(t->surface->Pixel(pt.X - r.Left, pt.Y - r.Top)) == 0) continue;
        }
        if (!Enabled(t))
        {
            *hit = HTERROR;
            return t;
        }
        WindowNode* w = HitIn(t, pt, hit, ask);
        if (w) return w;
    }
    return nullptr;
}

void Push(WindowNode* n, UINT msg, WPARAM wp, LPARAM lp)
{
    MSG m;
    m.hwnd = n;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = DWORD(Clock::Now());
    m.pt = gCursor;
    gCooked.push_back(m);
}

void UpdateTracking(WindowNode* over, bool client)
{
    for (std::size_t i = 0; i < gTracks.size();)
    {
        Track t = gTracks[i];
        bool still = over == t.hwnd && (t.nc ? !client : client);
        if (!still && N(t.hwnd))
        {
            gTracks.erase(gTracks.begin() + std::ptrdiff_t(i));
            PostMessage(t.hwnd, t.nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
            continue;
        }
        if (!N(t.hwnd))
        {
            gTracks.erase(gTracks.begin() + std::ptrdiff_t(i));
            continue;
        }
        ++i;
    }
}

WindowNode* gOver = nullptr;
bool gOverClient = false;

UINT ButtonMsg(backend::TMouseButton b, bool down, bool dbl, bool nc)
{
    UINT base = b == backend::TMouseButton::Left ? WM_LBUTTONDOWN : b == backend::TMouseButton::Right ? WM_RBUTTONDOWN
                                                                                                       : WM_MBUTTONDOWN;
    UINT m = down ? (dbl ? base + 2 : base) : base + 1;
    if (nc) m = m - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
    return m;
}

int ButtonVk(backend::TMouseButton b)
{
    return b == backend::TMouseButton::Left ? VK_LBUTTON : b == backend::TMouseButton::Right ? VK_RBUTTON : VK_MBUTTON;
}

void CookMouse(const RawEvent& e)
{
    gCursor = e.pt;
    if (e.kind == RawEvent::Button)
    {
        int vk = ButtonVk(e.button);
        if (e.down) gKeys[vk] |= 0x80;
        else gKeys[vk] &= BYTE(~0x80);
    }
    WindowNode* cap = N(gCapture);
    WindowNode* target = nullptr;
    LRESULT hit = HTCLIENT;
    if (cap)
    {
        target = cap;
        TPoint o = ClientOrigin(cap);
        bool inClient = TRect(o, TPoint(o.X + cap->client.Width(), o.Y + cap->client.Height())).Contains(e.pt);
        UpdateTracking(inClient ? cap : nullptr, true);
    }
    else
    {
        target = HitTop(e.pt, &hit, true);
        UpdateTracking(target, hit == HTCLIENT);
    }
    gOver = target;
    gOverClient = hit == HTCLIENT;
    if (cap)
    {
        TPoint o = ClientOrigin(cap);
        bool inClient = TRect(o, TPoint(o.X + cap->client.Width(), o.Y + cap->client.Height())).Contains(e.pt);
        gOver = inClient ? cap : nullptr;
    }
    if (!target)
    {
        // A press on the bare desktop takes the activation away from the program.
        if (e.kind == RawEvent::Button && e.down) ActivateWindow(nullptr, WA_INACTIVE);
        return;
    }
    bool client = cap || hit == HTCLIENT;

    if (e.kind == RawEvent::Wheel)
    {
        WindowNode* to = N(gFocus) ? N(gFocus) : target;
        Push(to, e.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, MAKEWPARAM(int(MouseKeys()), e.delta),
             MAKELPARAM(e.pt.X, e.pt.Y));
        return;
    }

    UINT mouseMsg = WM_MOUSEMOVE;
    bool dbl = false;
    if (e.kind == RawEvent::Button)
    {
        mouseMsg = ButtonMsg(e.button, e.down, false, false);
        if (e.down)
        {
            std::uint64_t now = Clock::Now();
            bool classDbl = (target->cls->wc.style & CS_DBLCLKS) != 0;
            dbl = gLastDown.valid && gLastDown.hwnd == target && gLastDown.msg == mouseMsg &&
                  now - gLastDown.time <= gDblTime &&
                  std::abs(gLastDown.pt.X - e.pt.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                  std::abs(gLastDown.pt.Y - e.pt.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 && (classDbl || !client);
            if (dbl) gLastDown.valid = false;
            else gLastDown = {target, mouseMsg, now, e.pt, true};
        }
    }

    // A disabled window only hears about the cursor (and beeps on a press).
    if (hit == HTERROR && !cap)
    {
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(int(hit), int(mouseMsg)));
        return;
    }
    // Mouse activation for a press in a window that is not active.
    if (e.kind == RawEvent::Button && e.down && !cap)
    {
        WindowNode* root = Root(target);
        if (root != gActive && !root->messageOnly)
        {
            LRESULT r = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                    MAKELPARAM(int(hit), int(mouseMsg)));
            if (!N(target)) return;
            bool eat = r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT;
            if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) && CanActivate(root))
                ActivateWindow(root, WA_CLICKACTIVE);
            if (eat || !N(target)) return;
        }
    }
    if (!cap)
    {
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(int(hit), int(mouseMsg)));
        if (!N(target)) return;
    }
    if (e.kind == RawEvent::Button) mouseMsg = ButtonMsg(e.button, e.down, dbl, !client);
    else if (!client) mouseMsg = WM_NCMOUSEMOVE;

    if (client)
    {
        if (e.kind == RawEvent::Button && e.down)
            NotifyParents(target, MAKEWPARAM(int(mouseMsg == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN
                                                 : mouseMsg == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN
                                                 : mouseMsg == WM_MBUTTONDBLCLK ? WM_MBUTTONDOWN
                                                                                : mouseMsg),
                                             0),
                          0, true);
        if (!N(target)) return;
        TPoint o = ClientOrigin(target);
        Push(target, mouseMsg, MouseKeys(), MAKELPARAM(e.pt.X - o.X, e.pt.Y - o.Y));
    }
    else
        Push(target, mouseMsg, WPARAM(hit), MAKELPARAM(e.pt.X, e.pt.Y));
}

void CookKey(const RawEvent& e)
{
    int vk = e.vk & 0xFF;
    bool prev = (gKeys[vk] & 0x80) != 0;
    if (e.down)
    {
        if (!prev) gKeys[vk] ^= 1;
        gKeys[vk] |= 0x80;
    }
    else
        gKeys[vk] &= BYTE(~0x80);
    // Keep the generic shift keys in step with the left and right ones.
    auto syncGeneric = [](int generic, int l, int r) {
        if ((gKeys[l] | gKeys[r]) & 0x80) gKeys[generic] |= 0x80;
    };
    syncGeneric(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    syncGeneric(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    syncGeneric(VK_MENU, VK_LMENU, VK_RMENU);
    WindowNode* target = N(gFocus) ? N(gFocus) : N(gActive);
    if (!target) return;
    bool alt = (gKeys[VK_MENU] & 0x80) != 0 || (vk == VK_MENU && !e.down && prev);
    bool ctrl = (gKeys[VK_CONTROL] & 0x80) != 0;
    bool sys = !N(gFocus) || (alt && !ctrl) || vk == VK_F10 || vk == VK_MENU;
    UINT msg = e.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lp = 1;
    if (alt && !ctrl) lp |= KF_ALTDOWN_BIT;
    if (prev) lp |= KF_REPEAT_BIT;
    if (!e.down) lp |= KF_REPEAT_BIT | KF_UP_BIT;
    // Another key pressed with Alt ends a lone Alt even when a handler takes
    // its message (a shortcut) before the default handling sees it.
    if (e.down && vk != VK_MENU && vk != VK_LMENU && vk != VK_RMENU && vk != VK_F10) gAltAlone = false;
    Push(target, msg, WPARAM(vk), lp);
}

void CookText(const RawEvent& e)
{
    WindowNode* target = N(gFocus);
    if (!target) return;
    std::string_view s = e.text;
    for (std::size_t i = 0; i < s.size();)
    {
        char32_t cp = Utf8Next(s, i);
        Push(target, WM_CHAR, WPARAM(cp), 1);
    }
}

void Cook(const RawEvent& e)
{
    switch (e.kind)
    {
    case RawEvent::Move:
    case RawEvent::Button:
    case RawEvent::Wheel: CookMouse(e); break;
    case RawEvent::KeyEv: CookKey(e); break;
    case RawEvent::TextEv: CookText(e); break;
    }
}

bool TakeRaw(RawEvent& e)
{
    std::lock_guard<std::mutex> g(gQueueMx);
    if (gRaw.empty()) return false;
    e = std::move(gRaw.front());
    gRaw.pop_front();
    return true;
}

void PushRaw(RawEvent e)
{
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gRaw.push_back(std::move(e));
    }
    if (backend::HasCurrent()) backend::Current().Wake();
}

class OsSink : public backend::IInputSink
{
public:
    void MouseMove(TPoint pt) override { osinput::MouseMove(pt); }
    void MouseButton(backend::TMouseButton b, bool down, TPoint pt) override { osinput::MouseButton(b, down, pt); }
    void MouseWheel(int delta, TPoint pt) override { osinput::MouseWheel(delta, pt); }
    void MouseHWheel(int delta, TPoint pt) override { osinput::MouseHWheel(delta, pt); }
    void Key(int vk, bool down) override { osinput::Key(vk, down); }
    void Text(const std::string& utf8) override { osinput::Text(utf8); }
    void CloseRequest(backend::TopLevelId id) override
    {
        for (WindowNode* t : gTop)
            if (t->bid == id) PostMessage(t, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void Exposed(backend::TopLevelId id, const TRect& r) override
    {
        for (WindowNode* t : gTop)
            if (t->bid == id) Present(t, r);
    }
    void Covered(backend::TopLevelId id, bool covered) override
    {
        WindowNode* t = ByBackendId(id);
        if (!t || t->covered == covered) return;
        t->covered = covered;
        // its owner may have skipped paints while nothing of it was seen
        if (!covered) RedrawWindow(t, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    void Activated(backend::TopLevelId id, bool active) override
    {
        WindowNode* t = ByBackendId(id);
        if (!t) return;
        if (active && gActive != t && CanActivate(t)) ActivateWindow(t, WA_ACTIVE);
        else if (!active && gActive == t) ActivateWindow(nullptr, WA_INACTIVE);
    }
    void Configured(backend::TopLevelId id, const TRect& bounds) override
    {
        WindowNode* t = ByBackendId(id);
        if (!t || t->rect == bounds) return;
        SetWindowPos(t, nullptr, bounds.Left, bounds.Top, bounds.Width(), bounds.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void Minimized(backend::TopLevelId id, bool minimized) override
    {
        WindowNode* t = ByBackendId(id);
        if (t && ((t->style & WS_MINIMIZE) != 0) != minimized)
            PostMessage(t, WM_SYSCOMMAND, minimized ? SC_MINIMIZE : SC_RESTORE, 0);
    }
    void DisplayChanged() override { NotifyDisplayChange(); }

private:
    static WindowNode* ByBackendId(backend::TopLevelId id)
    {
        for (WindowNode* t : gTop)
            if (t->bid == id) return t;
        return nullptr;
    }
};
OsSink gSink;
} // namespace wm

namespace osinput
{
void MouseMove(TPoint screen)
{
    RawEvent e;
    e.kind = RawEvent::Move;
    e.pt = screen;
    PushRaw(e);
}
void MouseButton(backend::TMouseButton b, bool down, TPoint screen)
{
    RawEvent e;
    e.kind = RawEvent::Button;
    e.pt = screen;
    e.button = b;
    e.down = down;
    PushRaw(e);
}
static void PushWheel(int delta, TPoint screen, bool horizontal)
{
    RawEvent e;
    e.kind = RawEvent::Wheel;
    e.horizontal = horizontal;
    e.pt = screen;
    e.delta = delta;
    PushRaw(e);
}
void MouseWheel(int delta, TPoint screen) { PushWheel(delta, screen, false); }
void MouseHWheel(int delta, TPoint screen) { PushWheel(delta, screen, true); }
void Key(int vk, bool down)
{
    RawEvent e;
    e.kind = RawEvent::KeyEv;
    e.pt = TPoint();
    e.vk = vk;
    e.down = down;
    PushRaw(e);
}
void Text(const std::string& utf8)
{
    RawEvent e;
    e.kind = RawEvent::TextEv;
    e.pt = TPoint();
    e.text = utf8;
    PushRaw(e);
}
backend::IInputSink& Sink() { return gSink; }
bool HasPendingInput()
{
    std::lock_guard<std::mutex> g(gQueueMx);
    return !gRaw.empty();
}
} // namespace osinput

HWND WindowFromPoint(TPoint pt)
{
    LRESULT hit = 0;
    return HitTop(pt, &hit, true);
}

HWND ChildWindowFromPoint(HWND parent, TPoint clientPt)
{
    WindowNode* p = N(parent);
    if (!p) return nullptr;
    TPoint o = ClientOrigin(p);
    TPoint s(clientPt.X + o.X, clientPt.Y + o.Y);
    for (WindowNode* c : p->children)
        if (ContainsScreen(c, s)) return c;
    if (!TRect(0, 0, p->client.Width(), p->client.Height()).Contains(clientPt)) return nullptr;
    return p;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme)
{
    if (!tme) return FALSE;
    WindowNode* n = N(tme->hwndTrack);
    if (!n) return FALSE;
    bool nc = (tme->dwFlags & TME_NONCLIENT) != 0;
    gTracks.erase(std::remove_if(gTracks.begin(), gTracks.end(),
                                 [&](const Track& t) { return t.hwnd == n && t.nc == nc; }),
                  gTracks.end());
    if (tme->dwFlags & TME_CANCEL) return TRUE;
    if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
    bool over = gOver == n && (nc ? !gOverClient : gOverClient);
    if (!over)
    {
        PostMessage(n, nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    gTracks.push_back({n, nc});
    return TRUE;
}

short GetKeyState(int vk) { return short((gKeys[vk & 0xFF] & 0x80 ? 0x8000 : 0) | (gKeys[vk & 0xFF] & 1)); }
short GetAsyncKeyState(int vk) { return short(gKeys[vk & 0xFF] & 0x80 ? 0x8000 : 0); }

BOOL GetCursorPos(TPoint* pt)
{
    if (!pt) return FALSE;
    *pt = gCursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    osinput::MouseMove(TPoint(x, y));
    gCursor = TPoint(x, y);
    return TRUE;
}

UINT GetDoubleClickTime() { return gDblTime; }
BOOL SetDoubleClickTime(UINT ms)
{
    gDblTime = ms ? ms : 500;
    return TRUE;
}
BOOL MessageBeep(UINT)
{
    ++gBeeps;
    return TRUE;
}
int BeepCount() { return gBeeps; }

HCURSOR LoadCursor(HINSTANCE, int id)
{
    auto& c = gCursors[id];
    if (!c)
    {
        c = std::make_unique<CursorObject>();
        c->Shape = id;
    }
    return c.get();
}

HCURSOR SetCursor(HCURSOR c)
{
    HCURSOR old = gCurrentCursor;
    gCurrentCursor = c;
    if (c && old != c && backend::HasCurrent()) backend::Current().SetCursorShape(c->Shape);
    return old;
}

HCURSOR GetCursor() { return gCurrentCursor; }
