// The window tree: the shared state, geometry helpers, window classes and
// procedures, sending and posting, the tree and z-order, creation and
// destruction.
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
#include "platform/os/ScrollBar.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

using namespace wm;

namespace wm
{
// ---------------------------------------------------------------------------
// State (declared, with each one's thread rule, in Internal.h)
// ---------------------------------------------------------------------------
std::map<std::string, std::shared_ptr<ClassRec>> gClasses;
std::mutex gLiveMx;
std::unordered_set<WindowNode*> gLive;
std::vector<WindowNode*> gTop;
std::vector<WindowNode*> gGrave;
int gDepth = 0;

std::atomic<TSubclassToken> gNextToken{1};
std::unordered_map<TSubclassToken, TSubclassToken> gRemovedBelow;

std::mutex gQueueMx;
std::deque<MSG> gPosted;
bool gQuit = false;
int gQuitCode = 0;
std::deque<RawEvent> gRaw;
std::deque<MSG> gCooked;

std::vector<TimerRec> gTimers;
std::uintptr_t gNextTimerId = 0x7FFF0001;
std::uint64_t gTimerSeq = 0;

HWND gActive = nullptr, gFocus = nullptr, gCapture = nullptr;
std::vector<Track> gTracks;

BYTE gKeys[256] = {};
TPoint gCursor(640, 512);
UINT gDblTime = 500;
LastDown gLastDown;
int gBeeps = 0;
bool gAltAlone = false;
DWORD gMsgTime = 0;
TPoint gMsgPos;
bool gDragFullSet = false, gDragFull = true;

std::map<int, std::unique_ptr<CursorObject>> gCursors;
HCURSOR gCurrentCursor = nullptr;

CaretState gCaret;

std::map<std::string, UINT> gRegistered;
UINT gNextRegistered = 0xC000;

std::function<bool()> gIdleHook;

std::unordered_map<HDC, DcRec> gDCs;
TSurface* gScreenSurface = nullptr;

bool gInit = false;

WindowNode* N(HWND h)
{
    if (!h) return nullptr;
    std::lock_guard<std::mutex> g(gLiveMx);
    return gLive.count(h) ? h : nullptr;
}

backend::IBackend& BE()
{
    EnsureInit();
    return backend::Current();
}

// ---------------------------------------------------------------------------
// Geometry helpers
// ---------------------------------------------------------------------------
WindowNode* Root(WindowNode* n)
{
    while (n->parent) n = n->parent;
    return n;
}

TPoint ClientOrigin(WindowNode* n)
{
    TPoint o = WindowOrigin(n);
    return TPoint(o.X + n->client.Left, o.Y + n->client.Top);
}

TPoint WindowOrigin(WindowNode* n)
{
    if (!n->parent) return n->rect.TopLeft();
    TPoint p = ClientOrigin(n->parent);
    return TPoint(p.X + n->rect.Left, p.Y + n->rect.Top);
}

TRect ScreenRect(WindowNode* n)
{
    TPoint o = WindowOrigin(n);
    return Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height());
}

// Offset of n's window corner inside its top-level window.
TPoint OffsetInRoot(WindowNode* n)
{
    TPoint o = WindowOrigin(n), r = WindowOrigin(Root(n));
    return TPoint(o.X - r.X, o.Y - r.Y);
}

bool VisibleDeep(WindowNode* n)
{
    for (WindowNode* c = n; c; c = c->parent)
    {
        if (!(c->style & WS_VISIBLE)) return false;
        if (!c->parent && ((c->style & WS_MINIMIZE) || c->messageOnly)) return false;
    }
    return true;
}

const TRegion* WinRgn(WindowNode* n) { return n->rgn ? RegionOf(n->rgn) : nullptr; }

// A window owns the region it was given, as the system's windows do: a
// DeleteObject on it from outside only marks it, and it goes once the window
// lets it go (a new region, or the window's end).
void DropWindowRegion(HRGN rgn)
{
    gdi::Release(rgn);
    DeleteObject(rgn);
}

// The area a window covers in its top-level window's coordinates.
TRegion AreaInRoot(WindowNode* n)
{
    TPoint o = OffsetInRoot(n);
    TRegion a(Bounds(o.X, o.Y, n->rect.Width(), n->rect.Height()));
    if (const TRegion* r = WinRgn(n))
    {
        TRegion w = *r;
        w.Offset(o.X, o.Y);
        a &= w;
    }
    return a;
}

// What a DC of n may draw on, in top-level window coordinates.
TRegion VisibleRgn(WindowNode* n, bool whole, bool clipChildren, bool clipSiblings)
{
    if (!VisibleDeep(n)) return TRegion();
    TRegion rgn = AreaInRoot(n);
    if (!whole)
    {
        TPoint o = OffsetInRoot(n);
        TRect c = n->client;
        OffsetRect(c, o.X, o.Y);
        rgn &= TRegion(c);
    }
    for (WindowNode* c = n; c->parent; c = c->parent)
    {
        WindowNode* p = c->parent;
        TPoint po = OffsetInRoot(p);
        TRect pc = p->client;
        OffsetRect(pc, po.X, po.Y);
        rgn &= TRegion(pc);
        rgn &= AreaInRoot(p);
        bool clip = (c == n) ? clipSiblings : (c->style & WS_CLIPSIBLINGS) != 0;
        if (clip)
            for (WindowNode* s : p->children)
            {
                if (s == c) break;
                if (s->style & WS_VISIBLE) rgn -= AreaInRoot(s);
            }
    }
    if (clipChildren)
        for (WindowNode* ch : n->children)
            if (ch->style & WS_VISIBLE) rgn -= AreaInRoot(ch);
    return rgn;
}

bool IsTopmost(WindowNode* n) { return (n->exStyle & WS_EX_TOPMOST) != 0; }

void SyncZOrder()
{
    std::vector<backend::TopLevelId> ids;
    for (auto it = gTop.rbegin(); it != gTop.rend(); ++it)
        if ((*it)->bid) ids.push_back((*it)->bid);
    BE().SetZOrder(ids);
}

void SyncLayer(WindowNode* n)
{
    if (!n->bid) return;
    backend::TLayerAttrs a;
    a.Layered = (n->exStyle & WS_EX_LAYERED) != 0;
    if (a.Layered)
    {
        if (n->ulw)
        {
            a.PerPixel = (n->ulwFlags & ULW_ALPHA) != 0;
            a.UseAlpha = true;
            a.Alpha = n->ulwAlpha;
            a.UseColorKey = (n->ulwFlags & ULW_COLORKEY) != 0;
            a.KeyColor = n->ulwKey;
        }
        else
        {
            a.UseAlpha = (n->layerFlags & LWA_ALPHA) != 0;
            a.Alpha = n->layerAlpha;
            a.UseColorKey = (n->layerFlags & LWA_COLORKEY) != 0;
            a.KeyColor = n->layerKey;
        }
        a.ClickThrough = (n->exStyle & WS_EX_TRANSPARENT) != 0;
    }
    BE().SetLayer(n->bid, a);
}

void SyncShadow(WindowNode* n)
{
    if (n->bid) BE().SetDropShadow(n->bid, (n->cls->wc.style & CS_DROPSHADOW) != 0);
}

void SyncVisible(WindowNode* n)
{
    if (!n->bid) return;
    // A minimized top-level window stays on the screen as an icon.
    if (!n->parent && (n->style & (WS_MINIMIZE | WS_VISIBLE)) == (WS_MINIMIZE | WS_VISIBLE))
        BE().SetMinimized(n->bid, true);
    else
        BE().SetVisible(n->bid, VisibleDeep(n));
}

void Present(WindowNode* root, const TRect& r)
{
    if (!root->alive || !root->bid || !root->surface) return;
    TRect x;
    if (!IntersectRect(x, r, root->surface->Bounds())) return;
    BE().Present(root->bid, *root->surface, x);
}
} // namespace wm

// ---------------------------------------------------------------------------
// Classes and procedures
// ---------------------------------------------------------------------------
bool RegisterClass(const WNDCLASS& wc)
{
    if (wc.lpszClassName.empty()) return false;
    std::string key = LowerCase(wc.lpszClassName);
    if (gClasses.count(key)) return false;
    auto rec = std::make_shared<ClassRec>();
    rec->wc = wc;
    gClasses[key] = rec;
    return true;
}

bool UnregisterClass(const std::string& name)
{
    auto it = gClasses.find(LowerCase(name));
    if (it == gClasses.end()) return false;
    {
        std::lock_guard<std::mutex> g(gLiveMx);
        for (WindowNode* n : gLive)
            if (n->cls == it->second) return false;   // still in use
    }
    gClasses.erase(it);
    return true;
}

bool GetClassInfo(const std::string& name, WNDCLASS* out)
{
    auto it = gClasses.find(LowerCase(name));
    if (it == gClasses.end()) return false;
    if (out) *out = it->second->wc;
    return true;
}

std::string GetClassName(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n ? n->cls->wc.lpszClassName : std::string();
}

DWORD GetClassLong(HWND hwnd, int index)
{
    WindowNode* n = N(hwnd);
    if (!n || index != GCL_STYLE) return 0;
    return n->cls->wc.style;
}

DWORD SetClassLong(HWND hwnd, int index, DWORD value)
{
    WindowNode* n = N(hwnd);
    if (!n || index != GCL_STYLE) return 0;
    DWORD old = n->cls->wc.style;
    n->cls->wc.style = value;
    // The drop shadow follows the class style of every window of the class.
    for (WindowNode* t : gTop)
        if (t->cls == n->cls) SyncShadow(t);
    return old;
}

namespace wm
{
// The memory of a destroyed window is not handed to a new window for a long
// while: a handle kept past its window's end then names no window (IsWindow is
// false, messages to it are dropped) instead of a newer window that happens to
// sit at the same address.
std::deque<std::unique_ptr<WindowNode>> gRetired;
constexpr std::size_t kRetiredKept = 4096;

void Sweep()
{
    if (gDepth != 0) return;
    for (WindowNode* n : gGrave)
    {
        // Only the node's own storage is kept; what it owned goes now.
        n->cls.reset();
        std::string().swap(n->text);
        std::vector<WindowNode*>().swap(n->children);
        std::vector<ProcEntry>().swap(n->chain);
        n->update = TRegion();
        n->surface.reset();
        gRetired.emplace_back(n);
        if (gRetired.size() > kRetiredKept) gRetired.pop_front();
    }
    gGrave.clear();
}

LRESULT CallEntry(WindowNode* n, std::size_t index, UINT msg, WPARAM wp, LPARAM lp)
{
    std::shared_ptr<TWndProc> p = n->chain[index].proc;
    ++gDepth;
    struct Guard { ~Guard() { --gDepth; } } guard;
    if (!p || !*p) return DefWindowProc(n, msg, wp, lp);
    return (*p)(n, msg, wp, lp);
}
} // namespace wm

LRESULT CallWindowProcChain(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WindowNode* n = N(hwnd);
    if (!n || n->chain.empty()) return 0;
    return CallEntry(n, n->chain.size() - 1, msg, wp, lp);
}

TSubclassToken SubclassWindow(HWND hwnd, TWndProc proc)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    TSubclassToken t = gNextToken++;
    n->chain.push_back({t, std::make_shared<TWndProc>(std::move(proc))});
    return t;
}

bool RemoveWindowSubclass(HWND hwnd, TSubclassToken token)
{
    WindowNode* n = N(hwnd);
    if (!n || token == 0) return false;
    for (std::size_t i = 1; i < n->chain.size(); ++i)
        if (n->chain[i].token == token)
        {
            gRemovedBelow[token] = n->chain[i - 1].token;
            n->chain.erase(n->chain.begin() + std::ptrdiff_t(i));
            return true;
        }
    return false;
}

LRESULT CallPreviousWindowProc(HWND hwnd, TSubclassToken self, UINT msg, WPARAM wp, LPARAM lp)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    // A procedure removed meanwhile passes on to what was below it (following
    // removals further down as well).
    for (std::size_t i = 0; i < n->chain.size(); ++i)
        if (n->chain[i].token == self)
        {
            if (i == 0) return DefWindowProc(hwnd, msg, wp, lp);
            return CallEntry(n, i - 1, msg, wp, lp);
        }
    TSubclassToken t = self;
    for (int guard = 0; guard < 1000; ++guard)
    {
        auto it = gRemovedBelow.find(t);
        if (it == gRemovedBelow.end()) break;
        t = it->second;
        for (std::size_t i = 0; i < n->chain.size(); ++i)
            if (n->chain[i].token == t) return CallEntry(n, i, msg, wp, lp);
    }
    return CallEntry(n, 0, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// Sending and posting
// ---------------------------------------------------------------------------
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (!IsMainThread())
    {
        LRESULT r = 0;
        RunOnMainThread([&] { r = SendMessage(hwnd, msg, wp, lp); }, true);
        return r;
    }
    return CallWindowProcChain(hwnd, msg, wp, lp);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (hwnd && !N(hwnd)) return FALSE;
    MSG m;
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = DWORD(Clock::Now());
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.push_back(m);
    }
    backend::Current().Wake();
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gQuit = true;
        gQuitCode = exitCode;
    }
    backend::Current().Wake();
}

UINT RegisterWindowMessage(const std::string& name)
{
    if (name.empty()) return 0;
    std::string k = LowerCase(name);
    auto it = gRegistered.find(k);
    if (it != gRegistered.end()) return it->second;
    return gRegistered[k] = gNextRegistered++;
}

DWORD GetMessageTime() { return gMsgTime; }
DWORD GetMessagePos() { return DWORD(MAKELPARAM(gMsgPos.X, gMsgPos.Y)); }

// ---------------------------------------------------------------------------
// Tree and z-order
// ---------------------------------------------------------------------------
namespace wm
{
std::vector<WindowNode*>& Siblings(WindowNode* n) { return n->parent ? n->parent->children : gTop; }

void ZRemove(WindowNode* n)
{
    auto& v = Siblings(n);
    v.erase(std::remove(v.begin(), v.end(), n), v.end());
}

// Inserts n at the top of its group (top-level: topmost windows first).
void ZInsertTop(WindowNode* n)
{
    auto& v = Siblings(n);
    std::size_t i = 0;
    if (!n->parent && !IsTopmost(n))
        while (i < v.size() && IsTopmost(v[i])) ++i;
    v.insert(v.begin() + std::ptrdiff_t(i), n);
}

void ZInsertBottom(WindowNode* n)
{
    auto& v = Siblings(n);
    if (!n->parent && IsTopmost(n))
    {
        std::size_t i = 0;
        while (i < v.size() && IsTopmost(v[i])) ++i;
        v.insert(v.begin() + std::ptrdiff_t(i), n);
    }
    else
        v.push_back(n);
}

// Owned windows stay above their owner.
void PlaceOwnedAbove(WindowNode* n, int depth = 0)
{
    if (n->parent || depth > 32) return;
    std::vector<WindowNode*> owned;
    for (WindowNode* w : gTop)
        if (w->owner == n) owned.push_back(w);
    if (owned.empty()) return;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
    {
        WindowNode* w = *it;
        auto pos = std::find(gTop.begin(), gTop.end(), n) - gTop.begin();
        auto wpos = std::find(gTop.begin(), gTop.end(), w) - gTop.begin();
        if (wpos < pos) continue;   // already above
        if (IsTopmost(n) && !IsTopmost(w)) continue;
        ZRemove(w);
        pos = std::find(gTop.begin(), gTop.end(), n) - gTop.begin();
        gTop.insert(gTop.begin() + pos, w);
    }
    for (WindowNode* w : owned) PlaceOwnedAbove(w, depth + 1);
}

bool ApplyZOrder(WindowNode* n, HWND after)
{
    auto& v = Siblings(n);
    std::vector<WindowNode*> before = v;
    if (after == HWND_TOPMOST || after == HWND_NOTOPMOST)
    {
        if (!n->parent)
        {
            if (after == HWND_TOPMOST) n->exStyle |= WS_EX_TOPMOST;
            else n->exStyle &= ~WS_EX_TOPMOST;
            if (n->bid) BE().SetTopmost(n->bid, IsTopmost(n));
        }
        ZRemove(n);
        ZInsertTop(n);
    }
    else if (after == HWND_TOP)
    {
        ZRemove(n);
        ZInsertTop(n);
    }
    else if (after == HWND_BOTTOM)
    {
        ZRemove(n);
        ZInsertBottom(n);
    }
    else if (WindowNode* a = N(after); a && a != n && a->parent == n->parent)
    {
        ZRemove(n);
        auto& vv = Siblings(n);
        auto pos = std::find(vv.begin(), vv.end(), a);
        vv.insert(pos == vv.end() ? vv.end() : pos + 1, n);
    }
    if (!n->parent) PlaceOwnedAbove(n);
    return before != Siblings(n);
}

void NotifyParents(WindowNode* n, WPARAM wp, LPARAM lpChildOrPoint, bool isPoint)
{
    WindowNode* c = n;
    while (c && c->parent && !(c->exStyle & WS_EX_NOPARENTNOTIFY) && (c->style & WS_CHILD))
    {
        WindowNode* p = c->parent;
        LPARAM lp = lpChildOrPoint;
        if (isPoint)
        {
            TPoint o = ClientOrigin(p);
            lp = MAKELPARAM(gCursor.X - o.X, gCursor.Y - o.Y);
        }
        SendMessage(p, WM_PARENTNOTIFY, wp, lp);
        if (!N(p)) break;
        c = p;
    }
}

void RecalcClient(WindowNode* n, const TRect& oldRect, const TRect& oldClient, WINDOWPOS* wp, bool valid)
{
    NCCALCSIZE_PARAMS p;
    p.rgrc[0] = n->rect;
    p.rgrc[1] = oldRect;
    p.rgrc[2] = oldClient;
    OffsetRect(p.rgrc[2], oldRect.Left, oldRect.Top);
    p.lppos = wp;
    SendMessage(n, WM_NCCALCSIZE, valid ? TRUE : FALSE, reinterpret_cast<LPARAM>(&p));
    TRect c = p.rgrc[0];
    OffsetRect(c, -n->rect.Left, -n->rect.Top);
    if (c.Right < c.Left) c.Right = c.Left;
    if (c.Bottom < c.Top) c.Bottom = c.Top;
    n->client = c;
}

// Adds rgn (client coordinates) to the update region of n and, unless
// clipped, of the children it covers.
void InvalidateClient(WindowNode* n, TRegion rgn, bool erase, int childMode /*0 auto, 1 all, -1 none*/)
{
    rgn &= TRegion(Rect(0, 0, n->client.Width(), n->client.Height()));
    if (rgn.IsEmpty()) return;
    n->update |= rgn;
    if (erase) n->erase = true;
    bool kids = childMode > 0 || (childMode == 0 && !(n->style & WS_CLIPCHILDREN));
    if (!kids) return;
    for (WindowNode* ch : n->children)
    {
        if (!(ch->style & WS_VISIBLE)) continue;
        TRegion part = rgn.Intersect(TRegion(ch->rect));
        if (part.IsEmpty()) continue;
        part.Offset(-ch->rect.Left, -ch->rect.Top);   // window coordinates of ch
        TRegion clientPart = part.Intersect(TRegion(ch->client));
        if (!(part == clientPart)) ch->ncDirty = true;
        clientPart.Offset(-ch->client.Left, -ch->client.Top);
        InvalidateClient(ch, clientPart, erase, childMode);
    }
}

void InvalidateWhole(WindowNode* n)
{
    n->ncDirty = true;
    InvalidateClient(n, TRegion(Rect(0, 0, n->client.Width(), n->client.Height())), true, 1);
    for (WindowNode* ch : n->children) ch->ncDirty = true;
}

void ValidateClient(WindowNode* n, const TRegion& rgn, bool kids)
{
    n->update -= rgn;
    if (n->update.IsEmpty()) n->erase = false;
    if (!kids) return;
    for (WindowNode* ch : n->children)
    {
        TRegion part = rgn.Intersect(TRegion(ch->rect));
        part.Offset(-ch->rect.Left - ch->client.Left, -ch->rect.Top - ch->client.Top);
        ValidateClient(ch, part, true);
    }
}
} // namespace wm

HWND GetParent(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    if (!n) return nullptr;
    return n->parent ? n->parent : n->owner;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    WindowNode* n = N(hwnd);
    if (!n) return nullptr;
    if (flags == GA_PARENT) return n->parent;
    WindowNode* r = Root(n);
    if (flags == GA_ROOTOWNER)
        for (int i = 0; r->owner && i < 64; ++i) r = r->owner;
    return r;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    WindowNode* n = N(hwnd);
    if (!n) return nullptr;
    if (cmd == GW_OWNER) return n->owner;
    if (cmd == GW_CHILD) return n->children.empty() ? nullptr : n->children.front();
    auto& v = Siblings(n);
    auto it = std::find(v.begin(), v.end(), n);
    switch (cmd)
    {
    case GW_HWNDFIRST: return v.front();
    case GW_HWNDLAST: return v.back();
    case GW_HWNDNEXT: return (it + 1) < v.end() ? *(it + 1) : nullptr;
    case GW_HWNDPREV: return it > v.begin() ? *(it - 1) : nullptr;
    }
    return nullptr;
}

HWND GetTopWindow(HWND hwnd)
{
    if (!hwnd)
    {
        for (WindowNode* t : gTop)
            if (!t->messageOnly) return t;
        return nullptr;
    }
    return GetWindow(hwnd, GW_CHILD);
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    WindowNode* p = N(parent);
    WindowNode* n = N(hwnd);
    if (!p || !n) return FALSE;
    for (WindowNode* c = n->parent; c; c = c->parent)
        if (c == p) return TRUE;
    return FALSE;
}

std::vector<HWND> GetChildWindows(HWND parent)
{
    if (!parent)
    {
        // Message-only windows are not part of the desktop's stacking.
        std::vector<HWND> out;
        for (WindowNode* t : gTop)
            if (!t->messageOnly) out.push_back(t);
        return out;
    }
    WindowNode* p = N(parent);
    return p ? p->children : std::vector<HWND>();
}

std::vector<HWND> GetAllWindows(HWND parent)
{
    std::vector<HWND> out;
    std::function<void(WindowNode*)> walk = [&](WindowNode* n) {
        out.push_back(n);
        for (WindowNode* c : n->children) walk(c);
    };
    if (parent)
    {
        if (WindowNode* p = N(parent))
            for (WindowNode* c : p->children) walk(c);
    }
    else
        for (WindowNode* t : gTop) walk(t);
    return out;
}

HWND FindWindow(const std::string& className, const std::string& windowName)
{
    for (WindowNode* t : gTop)
    {
        if (!className.empty() && LowerCase(t->cls->wc.lpszClassName) != LowerCase(className)) continue;
        if (!windowName.empty() && t->text != windowName) continue;
        return t;
    }
    return nullptr;
}

HWND SetParent(HWND child, HWND newParent)
{
    WindowNode* n = N(child);
    if (!n) return nullptr;
    WindowNode* p = N(newParent);
    if (newParent && !p) return nullptr;
    for (WindowNode* c = p; c; c = c->parent)
        if (c == n) return nullptr;   // would make a cycle
    WindowNode* old = n->parent;
    bool vis = (n->style & WS_VISIBLE) != 0;
    if (vis && old) InvalidateClient(old, TRegion(n->rect), true, 0);
    ZRemove(n);
    if (!old && n->bid)
    {
        BE().DestroyTopLevel(n->bid);
        n->bid = 0;
        n->surface.reset();
    }
    // As on the system the program was made for, the window keeps its numbers:
    // its rectangle is now read in the new parent's client coordinates.
    n->parent = p;
    if (p) n->owner = nullptr;
    ZInsertTop(n);
    if (!p)
    {
        n->surface = std::make_unique<TSurface>(n->rect.Width(), n->rect.Height());
        backend::TTopLevelDesc d;
        d.Popup = (n->style & WS_POPUP) != 0;
        d.ToolWindow = (n->exStyle & WS_EX_TOOLWINDOW) != 0;
        d.NoActivate = (n->exStyle & WS_EX_NOACTIVATE) != 0;
        d.Topmost = IsTopmost(n);
        d.ClassName = n->cls->wc.lpszClassName;
        d.Title = n->text;
        n->bid = BE().CreateTopLevel(d, n->rect);
        SyncLayer(n);
        SyncShadow(n);
        SyncZOrder();
        SyncVisible(n);
    }
    if (vis) InvalidateWhole(n);
    return old;
}

LONG GetWindowLong(HWND hwnd, int index) { return LONG(GetWindowLongPtr(hwnd, index)); }
LONG SetWindowLong(HWND hwnd, int index, LONG value) { return LONG(SetWindowLongPtr(hwnd, index, value)); }

std::intptr_t GetWindowLongPtr(HWND hwnd, int index)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    switch (index)
    {
    case GWL_STYLE: return std::intptr_t(n->style);
    case GWL_EXSTYLE: return std::intptr_t(n->exStyle);
    case GWL_ID: return n->id;
    case GWL_USERDATA: return n->userData;
    case GWL_HWNDPARENT: return reinterpret_cast<std::intptr_t>(GetParent(hwnd));
    }
    return 0;
}

std::intptr_t SetWindowLongPtr(HWND hwnd, int index, std::intptr_t value)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    switch (index)
    {
    case GWL_STYLE:
    {
        DWORD old = n->style;
        STYLESTRUCT ss;
        ss.styleOld = old;
        ss.styleNew = DWORD(value);
        SendMessage(n, WM_STYLECHANGING, WPARAM(GWL_STYLE), reinterpret_cast<LPARAM>(&ss));
        if (!N(n)) return 0;
        // Visibility keeps the bookkeeping of its own calls.
        n->style = (ss.styleNew & ~(WS_VISIBLE)) | (n->style & WS_VISIBLE);
        ss.styleNew = n->style;
        SendMessage(n, WM_STYLECHANGED, WPARAM(GWL_STYLE), reinterpret_cast<LPARAM>(&ss));
        return std::intptr_t(old);
    }
    case GWL_EXSTYLE:
    {
        DWORD old = n->exStyle;
        STYLESTRUCT ss;
        ss.styleOld = old;
        ss.styleNew = DWORD(value);
        SendMessage(n, WM_STYLECHANGING, WPARAM(GWL_EXSTYLE), reinterpret_cast<LPARAM>(&ss));
        if (!N(n)) return 0;
        n->exStyle = ss.styleNew;
        if ((old ^ n->exStyle) & WS_EX_LAYERED)
        {
            // Leaving the layered state drops its attributes.
            if (!(n->exStyle & WS_EX_LAYERED))
            {
                n->ulw = false;
                n->layerFlags = 0;
                n->layerAlpha = 255;
                InvalidateWhole(n);
            }
        }
        SyncLayer(n);
        ss.styleNew = n->exStyle;
        SendMessage(n, WM_STYLECHANGED, WPARAM(GWL_EXSTYLE), reinterpret_cast<LPARAM>(&ss));
        return std::intptr_t(old);
    }
    case GWL_ID: { auto o = n->id; n->id = value; return o; }
    case GWL_USERDATA: { auto o = n->userData; n->userData = value; return o; }
    }
    return 0;
}

std::string GetWindowText(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    if (!n) return {};
    LRESULT len = SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (len <= 0) return {};
    std::string buf(std::size_t(len) + 1, '\0');
    LRESULT got = SendMessage(hwnd, WM_GETTEXT, WPARAM(buf.size()), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(std::size_t(std::clamp<LRESULT>(got, 0, len)));
    return buf;
}

BOOL SetWindowText(HWND hwnd, const std::string& text)
{
    if (!N(hwnd)) return FALSE;
    return BOOL(SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int GetDlgCtrlID(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n ? int(n->id) : 0;
}

BOOL IsWindow(HWND hwnd) { return N(hwnd) ? TRUE : FALSE; }
BOOL IsWindowUnicode(HWND hwnd) { return IsWindow(hwnd); }
bool IsWindowCovered(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n && Root(n)->covered;
}

BOOL IsWindowVisible(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    for (WindowNode* c = n; c; c = c->parent)
        if (!(c->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}
BOOL IsWindowEnabled(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n && !(n->style & WS_DISABLED);
}
BOOL IsIconic(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n && (n->style & WS_MINIMIZE);
}
BOOL IsZoomed(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    return n && (n->style & WS_MAXIMIZE);
}

BOOL GetWindowRect(HWND hwnd, TRect* r)
{
    WindowNode* n = N(hwnd);
    if (!n || !r) return FALSE;
    *r = ScreenRect(n);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, TRect* r)
{
    WindowNode* n = N(hwnd);
    if (!n || !r) return FALSE;
    *r = Rect(0, 0, n->client.Width(), n->client.Height());
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, TPoint* pt)
{
    WindowNode* n = N(hwnd);
    if (!n || !pt) return FALSE;
    TPoint o = ClientOrigin(n);
    pt->X += o.X;
    pt->Y += o.Y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, TPoint* pt)
{
    WindowNode* n = N(hwnd);
    if (!n || !pt) return FALSE;
    TPoint o = ClientOrigin(n);
    pt->X -= o.X;
    pt->Y -= o.Y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, TPoint* pts, int count)
{
    TPoint a, b;
    if (from)
    {
        WindowNode* f = N(from);
        if (!f) return 0;
        a = ClientOrigin(f);
    }
    if (to)
    {
        WindowNode* t = N(to);
        if (!t) return 0;
        b = ClientOrigin(t);
    }
    int dx = a.X - b.X, dy = a.Y - b.Y;
    for (int i = 0; i < count; ++i)
    {
        pts[i].X += dx;
        pts[i].Y += dy;
    }
    return int(MAKELPARAM(dx, dy));
}

BOOL GetRestoredRect(HWND hwnd, TRect* r)
{
    WindowNode* n = N(hwnd);
    if (!n || !r) return FALSE;
    *r = n->hasRestore ? n->restore : n->rect;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Creation and destruction
// ---------------------------------------------------------------------------
HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& windowName, DWORD style,
                    int x, int y, int w, int h, HWND parent, std::uintptr_t menuOrId, HINSTANCE instance,
                    void* param)
{
    EnsureInit();
    auto it = gClasses.find(LowerCase(className));
    if (it == gClasses.end()) return nullptr;
    bool msgOnly = parent == HWND_MESSAGE;
    WindowNode* p = msgOnly ? nullptr : N(parent);
    if (parent && !msgOnly && !p) return nullptr;
    if ((style & WS_CHILD) && !p) return nullptr;

    auto* n = new WindowNode;
    n->cls = it->second;
    n->style = style & ~WS_VISIBLE;
    n->exStyle = exStyle;
    n->id = std::intptr_t(menuOrId);
    n->messageOnly = msgOnly;
    n->chain.push_back({0, std::make_shared<TWndProc>(it->second->wc.lpfnWndProc)});
    if (x == CW_USEDEFAULT) x = 100, y = 100;
    if (w == CW_USEDEFAULT) w = 400, h = 300;
    n->rect = Bounds(x, y, std::max(0, w), std::max(0, h));
    n->client = Rect(0, 0, n->rect.Width(), n->rect.Height());
    if (style & WS_CHILD)
    {
        n->parent = p;
        p->children.insert(p->children.begin(), n);
    }
    else
    {
        n->owner = p ? Root(p) : nullptr;
        ZInsertTop(n);
        PlaceOwnedAbove(n);
    }
    {
        std::lock_guard<std::mutex> g(gLiveMx);
        gLive.insert(n);
    }
    if (!n->parent && !msgOnly)
    {
        n->surface = std::make_unique<TSurface>(n->rect.Width(), n->rect.Height());
        backend::TTopLevelDesc d;
        d.Popup = (style & WS_POPUP) != 0;
        d.ToolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
        d.Topmost = (exStyle & WS_EX_TOPMOST) != 0;
        d.NoActivate = (exStyle & WS_EX_NOACTIVATE) != 0;
        d.ClassName = it->second->wc.lpszClassName;
        d.Owner = n->owner ? n->owner->bid : 0;
        d.Title = windowName;
        n->bid = BE().CreateTopLevel(d, n->rect);
        SyncLayer(n);
        SyncShadow(n);
        SyncZOrder();
    }

    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = reinterpret_cast<HMENU>(menuOrId);
    cs.hwndParent = parent;
    cs.x = x, cs.y = y, cs.cx = w, cs.cy = h;
    cs.style = LONG(style);
    cs.lpszName = windowName.c_str();
    cs.lpszClass = className.c_str();
    cs.dwExStyle = exStyle;
    if (!SendMessage(n, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)))
    {
        DestroyWindow(n);
        return nullptr;
    }
    if (!n->alive) return nullptr;
    RecalcClient(n, n->rect, n->client, nullptr, false);
    if (!n->alive) return nullptr;
    if (SendMessage(n, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)
    {
        DestroyWindow(n);
        return nullptr;
    }
    if (!n->alive) return nullptr;
    if (n->parent) NotifyParents(n, MAKEWPARAM(int(WM_CREATE), int(n->id)), reinterpret_cast<LPARAM>(n), false);
    if (!n->alive) return nullptr;
    SendSize(n);
    if (!n->alive) return nullptr;
    TPoint co(n->rect.Left + n->client.Left, n->rect.Top + n->client.Top);
    SendMessage(n, WM_MOVE, 0, MAKELPARAM(co.X, co.Y));
    if (!n->alive) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(n, SW_SHOW);
    return n->alive ? n : nullptr;
}

namespace wm
{
void SendDestroy(WindowNode* n)
{
    n->destroying = true;
    if (n == gCaret.hwnd) DestroyCaret();
    SendMessage(n, WM_DESTROY, 0, 0);
    std::vector<WindowNode*> kids = n->children;
    for (WindowNode* c : kids)
        if (N(c) && !c->destroying) SendDestroy(c);
}

void Finalize(WindowNode* n)
{
    scrollbars::Forget(n);
    gTimers.erase(std::remove_if(gTimers.begin(), gTimers.end(), [&](const TimerRec& t) { return t.hwnd == n; }),
                  gTimers.end());
    gTracks.erase(std::remove_if(gTracks.begin(), gTracks.end(), [&](const Track& t) { return t.hwnd == n; }),
                  gTracks.end());
    if (gActive == n) gActive = nullptr;
    if (gFocus == n) gFocus = nullptr;
    if (gCaret.drawnRoot == n)
    {
        gCaret.drawnRoot = nullptr;
        gCaret.drawn.clear();
    }
    if (gCapture == n) gCapture = nullptr;
    if (gLastDown.hwnd == n) gLastDown.valid = false;
    for (auto it = gDCs.begin(); it != gDCs.end();)
    {
        if (it->second.root == n)
        {
            // A DC nobody released: it keeps drawing into nothing visible.
            SetSurfaceDC(it->first, nullptr, TPoint(), TRegion());
            it->first->Window = nullptr;
            it = gDCs.erase(it);
        }
        else
            ++it;
    }
    ZRemove(n);
    for (WindowNode* t : gTop)
        if (t->owner == n) t->owner = nullptr;
    if (n->bid)
    {
        BE().DestroyTopLevel(n->bid);
        n->bid = 0;
    }
    if (n->rgn)
    {
        DropWindowRegion(n->rgn);
        n->rgn = nullptr;
    }
    {
        std::lock_guard<std::mutex> g(gLiveMx);
        gLive.erase(n);
    }
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.erase(std::remove_if(gPosted.begin(), gPosted.end(), [&](const MSG& m) { return m.hwnd == n; }),
                      gPosted.end());
    }
    gCooked.erase(std::remove_if(gCooked.begin(), gCooked.end(), [&](const MSG& m) { return m.hwnd == n; }),
                  gCooked.end());
    n->alive = false;
    gGrave.push_back(n);
}

void SendNcDestroy(WindowNode* n)
{
    std::vector<WindowNode*> kids = n->children;
    for (WindowNode* c : kids)
        if (N(c)) SendNcDestroy(c);
    if (!N(n)) return;
    SendMessage(n, WM_NCDESTROY, 0, 0);
    if (N(n)) Finalize(n);
}
} // namespace wm

BOOL DestroyWindow(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    if (!n || n->destroying) return FALSE;
    n->destroying = true;
    // Owned windows go first.
    std::vector<WindowNode*> owned;
    for (WindowNode* t : gTop)
        if (t->owner == n) owned.push_back(t);
    for (WindowNode* o : owned)
        if (N(o)) DestroyWindow(o);
    if (!N(n)) return TRUE;
    if (n->style & WS_VISIBLE)
        SetWindowPos(n, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!N(n)) return TRUE;
    if (n->parent) NotifyParents(n, MAKEWPARAM(int(WM_DESTROY), int(n->id)), reinterpret_cast<LPARAM>(n), false);
    if (!N(n)) return TRUE;
    if (WindowNode* cap = N(gCapture); cap && (cap == n || IsChild(n, cap))) ReleaseCapture();
    if (WindowNode* f = N(gFocus); f && (f == n || IsChild(n, f)))
    {
        if (!n->parent) KillFocusTo(nullptr);
        else SetFocus(nullptr);
    }
    if (!n->parent) ActivateOther(n);
    if (!N(n)) return TRUE;
    SendDestroy(n);
    if (N(n)) SendNcDestroy(n);
    return TRUE;
}
