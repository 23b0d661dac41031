// The window manager. See Window.h.
//
// Windows are nodes of one tree (WindowNode; an HWND points at one). Only
// top-level windows have pixels (a TSurface the size of the window) and a
// backend window; a child draws into its top-level window's pixels through a
// DC whose visible region is cut from the tree (parents' client areas, window
// regions, siblings above with WS_CLIPSIBLINGS, children with WS_CLIPCHILDREN).
// Released DCs hand the changed part to the backend.
//
// Input arrives as raw events (Input.h) and becomes messages when retrieved:
// hit testing with WM_NCHITTEST, mouse activation, WM_SETCURSOR, capture,
// double clicks and leave tracking happen then. Retrieval order: posted
// messages, WM_QUIT, input, WM_PAINT, WM_TIMER.
//
// A destroyed node leaves the set of live handles at once but its memory is
// kept until no window procedure runs, so a procedure that destroys its own
// window returns safely.
#include "platform/os/Window.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/backend/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/os/GdiInternal.h"
#include "platform/os/Input.h"
#include "platform/os/Monitor.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

namespace
{
struct ClassRec
{
    WNDCLASS wc;
};

struct ProcEntry
{
    TSubclassToken token;
    std::shared_ptr<TWndProc> proc;
};
} // namespace

struct WindowNode
{
    std::shared_ptr<ClassRec> cls;
    std::string text;
    DWORD style = 0, exStyle = 0;
    std::intptr_t id = 0, userData = 0;
    WindowNode* parent = nullptr;   // child windows
    WindowNode* owner = nullptr;    // top-level windows
    std::vector<WindowNode*> children;   // [0] is the top of the z-order
    TRect rect;                     // parent client coordinates (screen for top-level)
    TRect client;                   // window coordinates
    std::vector<ProcEntry> chain;   // [0] the class procedure
    HRGN rgn = nullptr;             // window region, owned
    TRegion update;                 // client coordinates
    bool erase = false;
    bool ncDirty = false;
    bool internalPaint = false;
    bool ncActive = false;
    bool alive = true;
    bool destroying = false;
    bool messageOnly = false;
    bool hiddenWithOwner = false;   // hidden because its owner was minimized
    TRect restore;
    bool hasRestore = false;
    // Top-level windows.
    backend::TopLevelId bid = 0;
    std::unique_ptr<TSurface> surface;
    COLORREF layerKey = 0;
    BYTE layerAlpha = 255;
    DWORD layerFlags = 0;
    bool ulw = false;               // picture given by UpdateLayeredWindow
    BYTE ulwAlpha = 255;
    DWORD ulwFlags = 0;
    COLORREF ulwKey = 0;
};

namespace
{
// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------
std::map<std::string, std::shared_ptr<ClassRec>> gClasses;
std::mutex gLiveMx;
std::unordered_set<WindowNode*> gLive;
std::vector<WindowNode*> gTop;          // top-level windows, [0] on top
std::vector<WindowNode*> gGrave;        // destroyed, freed when no call runs
int gDepth = 0;

std::atomic<TSubclassToken> gNextToken{1};
std::unordered_map<TSubclassToken, TSubclassToken> gRemovedBelow;   // removed token -> token below

std::mutex gQueueMx;
std::deque<MSG> gPosted;
bool gQuit = false;
int gQuitCode = 0;

struct RawEvent
{
    enum Kind { Move, Button, Wheel, KeyEv, TextEv } kind = Move;
    TPoint pt;
    backend::TMouseButton button = backend::TMouseButton::Left;
    bool down = false;
    int delta = 0;
    int vk = 0;
    std::string text;
};
std::deque<RawEvent> gRaw;      // guarded by gQueueMx
std::deque<MSG> gCooked;        // GUI thread only

struct TimerRec
{
    HWND hwnd;
    std::uintptr_t id;
    UINT interval;
    std::uint64_t due;
    TIMERPROC proc;
    std::uint64_t seq;
};
std::vector<TimerRec> gTimers;
std::uintptr_t gNextTimerId = 0x7FFF0001;
std::uint64_t gTimerSeq = 0;

HWND gActive = nullptr, gFocus = nullptr, gCapture = nullptr;
struct Track
{
    HWND hwnd;
    bool nc;
};
std::vector<Track> gTracks;

BYTE gKeys[256] = {};
TPoint gCursor(640, 512);
UINT gDblTime = 500;
struct LastDown
{
    HWND hwnd = nullptr;
    UINT msg = 0;
    std::uint64_t time = 0;
    TPoint pt;
    bool valid = false;
};
LastDown gLastDown;
int gBeeps = 0;
bool gAltAlone = false;
DWORD gMsgTime = 0;
TPoint gMsgPos;
bool gDragFullSet = false, gDragFull = true;

std::map<int, std::unique_ptr<CursorObject>> gCursors;
HCURSOR gCurrentCursor = nullptr;

struct CaretState
{
    HWND hwnd = nullptr;
    int w = 0, h = 0;
    TPoint pos;
    int hideCount = 1;
    // Where the caret is drawn now (inverted pixels of a top-level window).
    WindowNode* drawnRoot = nullptr;
    std::vector<TRect> drawn;
};
CaretState gCaret;

std::map<std::string, UINT> gRegistered;
UINT gNextRegistered = 0xC000;

std::function<bool()> gIdleHook;

struct DcRec
{
    WindowNode* root;
    TRect bounds;   // root window coordinates
};
std::unordered_map<HDC, DcRec> gDCs;
TSurface* gScreenSurface = nullptr;

bool gInit = false;

std::string Lower(const std::string& s)
{
    std::string r = s;
    for (auto& c : r) c = char(std::tolower((unsigned char)c));
    return r;
}

WindowNode* N(HWND h)
{
    if (!h) return nullptr;
    std::lock_guard<std::mutex> g(gLiveMx);
    return gLive.count(h) ? h : nullptr;
}

void EnsureInit();

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

TPoint WindowOrigin(WindowNode* n);   // screen

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
} // namespace

// ---------------------------------------------------------------------------
// Classes and procedures
// ---------------------------------------------------------------------------
bool RegisterClass(const WNDCLASS& wc)
{
    if (wc.lpszClassName.empty()) return false;
    std::string key = Lower(wc.lpszClassName);
    if (gClasses.count(key)) return false;
    auto rec = std::make_shared<ClassRec>();
    rec->wc = wc;
    gClasses[key] = rec;
    return true;
}

bool UnregisterClass(const std::string& name)
{
    auto it = gClasses.find(Lower(name));
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
    auto it = gClasses.find(Lower(name));
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

namespace
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
} // namespace

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
    std::string k = Lower(name);
    auto it = gRegistered.find(k);
    if (it != gRegistered.end()) return it->second;
    return gRegistered[k] = gNextRegistered++;
}

DWORD GetMessageTime() { return gMsgTime; }
DWORD GetMessagePos() { return DWORD(MAKELPARAM(gMsgPos.X, gMsgPos.Y)); }

// ---------------------------------------------------------------------------
// Tree and z-order
// ---------------------------------------------------------------------------
namespace
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
} // namespace

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
        if (!className.empty() && Lower(t->cls->wc.lpszClassName) != Lower(className)) continue;
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
// Activation, focus, capture
// ---------------------------------------------------------------------------
namespace
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

void ActivateWindow(WindowNode* n, WPARAM how, bool raise = true)
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
} // namespace

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
namespace
{
constexpr UINT SWP_NOCLIENTSIZE_ = 0x0800;
constexpr UINT SWP_NOCLIENTMOVE_ = 0x1000;

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
} // namespace

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
        if (n->parent && visibleBefore && (moved || sized || !visibleAfter))
            InvalidateClient(n->parent, TRegion(oldRect), true, 0);
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

namespace
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
} // namespace

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

// ---------------------------------------------------------------------------
// Creation and destruction
// ---------------------------------------------------------------------------
HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& windowName, DWORD style,
                    int x, int y, int w, int h, HWND parent, std::uintptr_t menuOrId, HINSTANCE instance,
                    void* param)
{
    EnsureInit();
    auto it = gClasses.find(Lower(className));
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

namespace
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
} // namespace

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

// ---------------------------------------------------------------------------
// Window device contexts and painting
// ---------------------------------------------------------------------------
namespace
{
HDC MakeDC(WindowNode* n, bool whole, const TRegion& clipRoot)
{
    WindowNode* root = Root(n);
    TPoint o = OffsetInRoot(n);
    if (!whole) o = TPoint(o.X + n->client.Left, o.Y + n->client.Top);
    TRegion vis = clipRoot;
    vis.Offset(-o.X, -o.Y);
    HDC dc = CreateSurfaceDC(root->surface.get(), o, vis);
    if (!dc) return nullptr;
    dc->Window = n;
    gDCs[dc] = {root, clipRoot.Bounds()};
    return dc;
}

HDC ScreenDC()
{
    if (!gScreenSurface) gScreenSurface = new TSurface(1, 1);
    HDC dc = CreateSurfaceDC(gScreenSurface, TPoint(), TRegion());
    gDCs[dc] = {nullptr, TRect()};
    return dc;
}

bool NeedsPaint(WindowNode* n)
{
    return !n->ulw && (!n->update.IsEmpty() || n->internalPaint);
}

TRegion ScreenRgnToRoot(WindowNode* root, const TRegion& screen)
{
    TRegion r = screen;
    r.Offset(-root->rect.Left, -root->rect.Top);
    return r;
}
} // namespace

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags)
{
    EnsureInit();
    if (!hwnd) return ScreenDC();
    WindowNode* n = N(hwnd);
    if (!n || n->messageOnly) return nullptr;
    bool whole = (flags & DCX_WINDOW) != 0;
    bool clipKids = (flags & DCX_CLIPCHILDREN) || (n->style & WS_CLIPCHILDREN);
    bool clipSibs = (flags & DCX_CLIPSIBLINGS) || (n->style & WS_CLIPSIBLINGS);
    if (WindowNode* r = Root(n); !r->surface) return ScreenDC();
    TRegion vis = VisibleRgn(n, whole, clipKids, clipSibs);
    if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)))
        if (const TRegion* cr = RegionOf(clip))
        {
            TRegion c = ScreenRgnToRoot(Root(n), *cr);
            if (flags & DCX_INTERSECTRGN) vis &= c;
            else vis -= c;
        }
    return MakeDC(n, whole, vis);
}

HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, 0); }
HDC GetWindowDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_WINDOW); }

int ReleaseDC(HWND, HDC dc)
{
    auto it = gDCs.find(dc);
    if (it == gDCs.end()) return 0;
    DcRec rec = it->second;
    gDCs.erase(it);
    if (rec.root && N(rec.root)) Present(rec.root, rec.bounds);
    DeleteDC(dc);
    return 1;
}

HWND WindowFromDC(HDC dc)
{
    auto it = gDCs.find(dc);
    if (it == gDCs.end()) return nullptr;
    return N(dc->Window);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    WindowNode* n = N(hwnd);
    if (!n || !ps) return nullptr;
    HideCaret(n);
    if (n->ncDirty)
    {
        n->ncDirty = false;
        SendMessage(n, WM_NCPAINT, 1, 0);
        if (!n->alive) return nullptr;
    }
    TRegion upd = n->update.Intersect(TRegion(Rect(0, 0, n->client.Width(), n->client.Height())));
    bool erase = n->erase;
    n->update.Clear();
    n->erase = false;
    n->internalPaint = false;
    TRegion vis = VisibleRgn(n, false, (n->style & WS_CLIPCHILDREN) != 0, (n->style & WS_CLIPSIBLINGS) != 0);
    TPoint o = OffsetInRoot(n);
    TRegion u = upd;
    u.Offset(o.X + n->client.Left, o.Y + n->client.Top);
    vis &= u;
    HDC dc = Root(n)->surface ? MakeDC(n, false, vis) : ScreenDC();
    ps->hdc = dc;
    ps->rcPaint = upd.Bounds();
    ps->fErase = FALSE;
    if (erase && dc)
        ps->fErase = SendMessage(n, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (ps && ps->hdc) ReleaseDC(hwnd, ps->hdc);
    if (N(hwnd)) ShowCaret(hwnd);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const TRect* r, BOOL erase)
{
    if (!hwnd)
    {
        for (WindowNode* t : gTop) InvalidateWhole(t);
        return TRUE;
    }
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    TRegion rgn(r ? *r : Rect(0, 0, n->client.Width(), n->client.Height()));
    InvalidateClient(n, rgn, erase != 0, 0);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    const TRegion* r = rgn ? RegionOf(rgn) : nullptr;
    InvalidateClient(n, r ? *r : TRegion(Rect(0, 0, n->client.Width(), n->client.Height())), erase != 0, 0);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const TRect* r)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    ValidateClient(n, TRegion(r ? *r : Rect(0, 0, n->client.Width(), n->client.Height())), false);
    if (!r) n->internalPaint = false;
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    const TRegion* r = rgn ? RegionOf(rgn) : nullptr;
    ValidateClient(n, r ? *r : TRegion(Rect(0, 0, n->client.Width(), n->client.Height())), false);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, TRect* r, BOOL erase)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    if (r) *r = n->update.Bounds();
    if (erase && n->erase && !n->update.IsEmpty())
    {
        HDC dc = GetDC(n);
        n->erase = false;
        SendMessage(n, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(n, dc);
    }
    return n->update.IsEmpty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase)
{
    WindowNode* n = N(hwnd);
    TRegion* out = MutableRegionOf(rgn);
    if (!n || !out) return RGN_ERROR;
    *out = n->update;
    TRect dummy;
    GetUpdateRect(hwnd, &dummy, erase);
    return out->IsEmpty() ? NULLREGION : out->IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

namespace
{
void PaintNow(WindowNode* n, bool eraseOnly)
{
    if (!VisibleDeep(n)) return;
    if (n->ncDirty)
    {
        n->ncDirty = false;
        SendMessage(n, WM_NCPAINT, 1, 0);
        if (!n->alive) return;
    }
    if (eraseOnly)
    {
        if (n->erase && !n->update.IsEmpty())
        {
            TRegion vis = VisibleRgn(n, false, (n->style & WS_CLIPCHILDREN) != 0, true);
            TPoint o = OffsetInRoot(n);
            TRegion u = n->update;
            u.Offset(o.X + n->client.Left, o.Y + n->client.Top);
            HDC dc = MakeDC(n, false, vis.Intersect(u));
            n->erase = false;
            SendMessage(n, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(n, dc);
        }
        return;
    }
    if (NeedsPaint(n)) SendMessage(n, WM_PAINT, 0, 0);
}

void UpdateTree(WindowNode* n, bool kids, bool eraseOnly)
{
    PaintNow(n, eraseOnly);
    if (!kids || !n->alive) return;
    std::vector<WindowNode*> c = n->children;
    for (auto it = c.rbegin(); it != c.rend(); ++it)
        if (N(*it)) UpdateTree(*it, true, eraseOnly);
}
} // namespace

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const TRect* rect, const TRect* clip)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    TRect area = rect ? *rect : Rect(0, 0, n->client.Width(), n->client.Height());
    if (clip)
    {
        TRect x;
        IntersectRect(x, area, *clip);
        area = x;
    }
    if (!rect)
    {
        // The whole client area scrolls: the children move with it.
        std::vector<WindowNode*> kids = n->children;
        for (WindowNode* c : kids)
            if (N(c))
                SetWindowPos(c, nullptr, c->rect.Left + dx, c->rect.Top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        if (!N(n)) return FALSE;
    }
    // The content is drawn again rather than copied: the result is the same
    // picture once the window has painted.
    InvalidateClient(n, TRegion(area), true, rect ? 0 : 1);
    if (!rect)
        for (WindowNode* c : n->children) c->ncDirty = true;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    PaintNow(n, false);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const TRect* r, HRGN rgn, UINT flags)
{
    std::vector<WindowNode*> targets;
    if (!hwnd) targets = gTop;
    else if (WindowNode* n = N(hwnd)) targets.push_back(n);
    else return FALSE;
    for (WindowNode* n : targets)
    {
        int childMode = (flags & RDW_ALLCHILDREN) ? 1 : (flags & RDW_NOCHILDREN) ? -1 : 0;
        TRegion area(Rect(0, 0, n->client.Width(), n->client.Height()));
        if (rgn)
        {
            if (const TRegion* x = RegionOf(rgn)) area = *x;
        }
        else if (r)
            area = TRegion(*r);
        if (flags & RDW_INVALIDATE)
        {
            InvalidateClient(n, area, (flags & RDW_ERASE) != 0, childMode);
            if (flags & RDW_FRAME)
            {
                n->ncDirty = true;
                if (childMode > 0)
                    for (HWND c : GetAllWindows(n)) c->ncDirty = true;
            }
            if (flags & RDW_INTERNALPAINT) n->internalPaint = true;
        }
        if (flags & RDW_VALIDATE)
        {
            ValidateClient(n, area, childMode > 0);
            if (flags & RDW_NOFRAME) n->ncDirty = false;
            if (flags & RDW_NOINTERNALPAINT) n->internalPaint = false;
        }
        if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
            UpdateTree(n, childMode >= 0, !(flags & RDW_UPDATENOW));
    }
    return TRUE;
}

// ---------------------------------------------------------------------------
// Non-client area: default frame sizes, hit test and painting
// ---------------------------------------------------------------------------
namespace
{
struct Frame
{
    int border = 0;     // each side
    int caption = 0;    // below the top border
    int edge = 0;       // client edge inside
    int vscroll = 0, hscroll = 0;
};

Frame FrameFor(DWORD style, DWORD ex)
{
    Frame f;
    if (style & WS_THICKFRAME) f.border = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) f.border = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER) f.border = GetSystemMetrics(SM_CXBORDER);
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.caption = GetSystemMetrics((ex & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (ex & WS_EX_CLIENTEDGE) f.edge = GetSystemMetrics(SM_CXEDGE);
    else if (ex & WS_EX_STATICEDGE) f.edge = 1;
    if (style & WS_VSCROLL) f.vscroll = GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) f.hscroll = GetSystemMetrics(SM_CYHSCROLL);
    return f;
}

Frame FrameOf(WindowNode* n) { return FrameFor(n->style, n->exStyle); }

TRect DefaultClient(WindowNode* n, const TRect& w)
{
    if (n->style & WS_MINIMIZE) return TRect(w.Left, w.Top, w.Left, w.Top);
    Frame f = FrameOf(n);
    TRect c(w.Left + f.border + f.edge, w.Top + f.border + f.caption + f.edge, w.Right - f.border - f.edge - f.vscroll,
            w.Bottom - f.border - f.edge - f.hscroll);
    if (c.Right < c.Left) c.Right = c.Left;
    if (c.Bottom < c.Top) c.Bottom = c.Top;
    return c;
}

LRESULT DefaultHitTest(WindowNode* n, TPoint screen)
{
    TRect wr = ScreenRect(n);
    if (!wr.Contains(screen)) return HTNOWHERE;
    TPoint p(screen.X - wr.Left, screen.Y - wr.Top);
    if (n->client.Contains(p)) return HTCLIENT;
    Frame f = FrameOf(n);
    int w = wr.Width(), h = wr.Height();
    if (f.vscroll && p.X >= n->client.Right && p.X < n->client.Right + f.vscroll && p.Y >= n->client.Top &&
        p.Y < n->client.Bottom)
        return HTVSCROLL;
    if (f.hscroll && p.Y >= n->client.Bottom && p.X >= n->client.Left && p.X < n->client.Right &&
        p.Y < h - f.border)
        return HTHSCROLL;
    if ((n->style & WS_THICKFRAME) && !(n->style & (WS_MAXIMIZE | WS_MINIMIZE)))
    {
        int corner = f.border + std::max(f.caption, GetSystemMetrics(SM_CYCAPTION));
        bool left = p.X < f.border, right = p.X >= w - f.border, top = p.Y < f.border, bottom = p.Y >= h - f.border;
        if (left || right || top || bottom)
        {
            bool nearLeft = p.X < corner, nearRight = p.X >= w - corner;
            bool nearTop = p.Y < corner, nearBottom = p.Y >= h - corner;
            if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
            if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
            if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
            if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
            if (left) return HTLEFT;
            if (right) return HTRIGHT;
            if (top) return HTTOP;
            return HTBOTTOM;
        }
    }
    if (f.caption && p.Y >= f.border && p.Y < f.border + f.caption) return HTCAPTION;
    return HTBORDER;
}

void DefaultNcPaint(WindowNode* n)
{
    Frame f = FrameOf(n);
    if (!f.border && !f.caption && !f.edge && !f.vscroll && !f.hscroll) return;
    HDC dc = GetWindowDC(n);
    if (!dc) return;
    int w = n->rect.Width(), h = n->rect.Height();
    ExcludeClipRect(dc, n->client.Left, n->client.Top, n->client.Right, n->client.Bottom);
    TRect r(0, 0, w, h);
    if (f.border == 1)
        FrameRect(dc, r, GetSysColorBrush(COLOR_WINDOWFRAME));
    else if (f.border > 1)
    {
        FillRect(dc, r, GetSysColorBrush(COLOR_BTNFACE));
        TRect e = r;
        DrawEdge(dc, e, EDGE_RAISED, BF_RECT);
    }
    if (f.caption)
    {
        TRect cap(f.border, f.border, w - f.border, f.border + f.caption);
        bool active = n->ncActive;
        FillRect(dc, cap, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        TRect tr = cap;
        tr.Left += 4;
        DrawText(dc, n->text, tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if (f.vscroll)
    {
        TRect sb(n->client.Right, n->client.Top, n->client.Right + f.vscroll, n->client.Bottom);
        FillRect(dc, sb, GetSysColorBrush(COLOR_SCROLLBAR));
    }
    if (f.hscroll)
    {
        TRect sb(n->client.Left, n->client.Bottom, n->client.Right + f.vscroll, n->client.Bottom + f.hscroll);
        FillRect(dc, sb, GetSysColorBrush(COLOR_SCROLLBAR));
    }
    if (f.edge)
    {
        TRect e(n->client.Left - f.edge, n->client.Top - f.edge, n->client.Right + f.edge + f.vscroll,
                n->client.Bottom + f.edge + f.hscroll);
        DrawEdge(dc, e, f.edge == 1 ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    }
    ReleaseDC(n, dc);
}

HCURSOR CursorFor(int id) { return LoadCursor(nullptr, id); }

void RunSizeMoveLoop(WindowNode* n, WPARAM cmd);
} // namespace

BOOL AdjustWindowRectEx(TRect* r, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!r) return FALSE;
    Frame f = FrameFor(style, exStyle);
    r->Left -= f.border + f.edge;
    r->Top -= f.border + f.caption + f.edge + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    r->Right += f.border + f.edge;
    r->Bottom += f.border + f.edge;
    return TRUE;
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    switch (msg)
    {
    case WM_NCCREATE:
    {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(lp);
        if (cs && cs->lpszName) n->text = cs->lpszName;
        return TRUE;
    }
    case WM_NCCALCSIZE:
    {
        auto* r = reinterpret_cast<TRect*>(lp);   // rgrc[0] of NCCALCSIZE_PARAMS
        if (r) *r = DefaultClient(n, *r);
        return 0;
    }
    case WM_NCHITTEST:
        return DefaultHitTest(n, TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
    case WM_NCPAINT:
        DefaultNcPaint(n);
        return 0;
    case WM_NCACTIVATE:
        n->ncActive = wp != 0;
        if (n->alive) DefaultNcPaint(n);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) SetFocus(n);
        return 0;
    case WM_MOUSEACTIVATE:
        if (n->parent && (n->style & WS_CHILD))
        {
            LRESULT r = SendMessage(n->parent, WM_MOUSEACTIVATE, wp, lp);
            if (r) return r;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
    {
        if (n->parent && (n->style & WS_CHILD) && SendMessage(n->parent, WM_SETCURSOR, wp, lp)) return TRUE;
        short hit = short(LOWORD(std::uintptr_t(lp)));
        switch (hit)
        {
        case HTCLIENT: SetCursor(n->cls->wc.hCursor ? n->cls->wc.hCursor : CursorFor(IDC_ARROW)); return FALSE;
        case HTLEFT:
        case HTRIGHT: SetCursor(CursorFor(IDC_SIZEWE)); return TRUE;
        case HTTOP:
        case HTBOTTOM: SetCursor(CursorFor(IDC_SIZENS)); return TRUE;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT: SetCursor(CursorFor(IDC_SIZENWSE)); return TRUE;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT: SetCursor(CursorFor(IDC_SIZENESW)); return TRUE;
        case HTERROR:
            if (HIWORD(std::uintptr_t(lp)) == WM_LBUTTONDOWN) MessageBeep(0);
            return FALSE;
        default: SetCursor(CursorFor(IDC_ARROW)); return FALSE;
        }
    }
    case WM_ERASEBKGND:
    {
        HBRUSH b = n->cls->wc.hbrBackground;
        if (!b) return 0;
        FillRect(reinterpret_cast<HDC>(wp), Rect(0, 0, n->client.Width(), n->client.Height()), b);
        return 1;
    }
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        BeginPaint(n, &ps);
        EndPaint(n, &ps);
        return 0;
    }
    case WM_SETTEXT:
        n->text = lp ? reinterpret_cast<const char*>(lp) : "";
        if (n->bid) BE().SetTitle(n->bid, n->text);
        if ((n->style & WS_CAPTION) == WS_CAPTION) DefaultNcPaint(n);
        return TRUE;
    case WM_SETREDRAW:
        // Drawing is switched off by taking the visible style away without
        // hiding the window (what is on the screen stays); the caller repaints
        // when it switches drawing on again.
        if (wp) n->style |= WS_VISIBLE;
        else n->style &= ~WS_VISIBLE;
        return 0;
    case WM_GETTEXTLENGTH:
        return LRESULT(n->text.size());
    case WM_GETTEXT:
    {
        if (!lp || wp == 0) return 0;
        // Never cut a UTF-8 sequence in half.
        std::size_t cnt = Utf8SafePrefix(n->text, std::size_t(wp) - 1);
        char* out = reinterpret_cast<char*>(lp);
        std::copy(n->text.begin(), n->text.begin() + std::ptrdiff_t(cnt), out);
        out[cnt] = '\0';
        return LRESULT(cnt);
    }
    case WM_CLOSE:
        DestroyWindow(n);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_CANCELMODE:
        if (gCapture == n) ReleaseCapture();
        return 0;
    case WM_WINDOWPOSCHANGING:
    {
        auto* p = reinterpret_cast<WINDOWPOS*>(lp);
        bool overlapped = !n->parent && !(n->style & WS_POPUP);
        if (p && !(p->flags & SWP_NOSIZE) && (overlapped || (n->style & WS_THICKFRAME)) &&
            !(n->style & (WS_MAXIMIZE | WS_MINIMIZE)))
        {
            MINMAXINFO mi = GetMinMax(n);
            p->cx = std::clamp(p->cx, mi.ptMinTrackSize.X, std::max(mi.ptMinTrackSize.X, mi.ptMaxTrackSize.X));
            p->cy = std::clamp(p->cy, mi.ptMinTrackSize.Y, std::max(mi.ptMinTrackSize.Y, mi.ptMaxTrackSize.Y));
        }
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
    {
        auto* p = reinterpret_cast<WINDOWPOS*>(lp);
        if (!p) return 0;
        if (!(p->flags & SWP_NOCLIENTMOVE_))
            SendMessage(n, WM_MOVE, 0, MAKELPARAM(n->rect.Left + n->client.Left, n->rect.Top + n->client.Top));
        if (n->alive && !(p->flags & SWP_NOCLIENTSIZE_)) SendSize(n);
        return 0;
    }
    case WM_GETMINMAXINFO:
        return 0;
    case WM_NCLBUTTONDOWN:
        if (wp == WPARAM(HTCAPTION)) SendMessage(n, WM_SYSCOMMAND, SC_MOVE | WPARAM(HTCAPTION), lp);
        else if (wp >= WPARAM(HTLEFT) && wp <= WPARAM(HTBOTTOMRIGHT))
            SendMessage(n, WM_SYSCOMMAND, SC_SIZE | (wp - WPARAM(HTLEFT) + WMSZ_LEFT), lp);
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wp == WPARAM(HTCAPTION) && (n->style & WS_MAXIMIZEBOX) && (n->style & WS_THICKFRAME))
            SendMessage(n, WM_SYSCOMMAND, (n->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lp);
        return 0;
    case WM_SYSCOMMAND:
        switch (wp & 0xFFF0)
        {
        case SC_MOVE:
        case SC_SIZE: RunSizeMoveLoop(n, wp); break;
        case SC_MINIMIZE: ShowWindow(n, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(n, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(n, SW_RESTORE); break;
        case SC_CLOSE: SendMessage(n, WM_CLOSE, 0, 0); break;
        default: break;
        }
        return 0;
    case WM_SYSKEYDOWN:
        // Alt pressed and released alone (or F10) enters the menu by keyboard.
        gAltAlone = (wp == WPARAM(VK_MENU) || wp == WPARAM(VK_F10)) && !(lp & KF_REPEAT_BIT) ? true
                    : (wp == WPARAM(VK_MENU) || wp == WPARAM(VK_F10)) ? gAltAlone
                                                                      : false;
        if (wp == WPARAM(VK_F4) && (gKeys[VK_MENU] & 0x80)) SendMessage(Root(n), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_KEYDOWN:
        gAltAlone = false;
        return 0;
    case WM_SYSKEYUP:
    case WM_KEYUP:
        if ((wp == WPARAM(VK_MENU) || wp == WPARAM(VK_F10)) && gAltAlone)
        {
            gAltAlone = false;
            SendMessage(Root(n), WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_SYSCHAR:
        if (lp & KF_ALTDOWN_BIT) SendMessage(Root(n), WM_SYSCOMMAND, SC_KEYMENU, LPARAM(wp));
        return 0;
    case WM_RBUTTONUP:
    {
        TPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        ClientToScreen(n, &pt);
        SendMessage(n, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(n), MAKELPARAM(pt.X, pt.Y));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if (n->parent && (n->style & WS_CHILD)) return SendMessage(n->parent, msg, wp, lp);
        return 0;
    case WM_SHOWWINDOW:
    {
        // Owned popups follow their owner's hiding and showing.
        return 0;
    }
    case WM_GETDLGCODE:
        return 0;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        return 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Input: raw events become window messages when retrieved
// ---------------------------------------------------------------------------
namespace
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
        Push(to, WM_MOUSEWHEEL, MAKEWPARAM(int(MouseKeys()), e.delta), MAKELPARAM(e.pt.X, e.pt.Y));
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
} // namespace

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
void MouseWheel(int delta, TPoint screen)
{
    RawEvent e;
    e.kind = RawEvent::Wheel;
    e.pt = screen;
    e.delta = delta;
    PushRaw(e);
}
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

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, UINT ms, TIMERPROC proc)
{
    if (hwnd && !N(hwnd)) return 0;
    UINT interval = std::max<UINT>(ms, 10);
    if (!hwnd)
    {
        // A thread timer: an existing id is reset, else a new id is chosen.
        bool found = false;
        for (auto& t : gTimers)
            if (!t.hwnd && t.id == id && id != 0) found = true;
        if (!found) id = gNextTimerId++;
    }
    for (auto& t : gTimers)
        if (t.hwnd == hwnd && t.id == id)
        {
            t.interval = interval;
            t.due = Clock::Now() + interval;
            t.proc = std::move(proc);
            return hwnd ? (id ? id : 1) : id;
        }
    gTimers.push_back({hwnd, id, interval, Clock::Now() + interval, std::move(proc), gTimerSeq++});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, std::uintptr_t id)
{
    auto before = gTimers.size();
    gTimers.erase(std::remove_if(gTimers.begin(), gTimers.end(),
                                 [&](const TimerRec& t) { return t.hwnd == hwnd && t.id == id; }),
                  gTimers.end());
    return gTimers.size() != before;
}

std::uint64_t NextTimerDue()
{
    std::uint64_t best = 0;
    for (auto& t : gTimers)
        if (!best || t.due < best) best = t.due;
    return best;
}

// ---------------------------------------------------------------------------
// Retrieval and dispatch
// ---------------------------------------------------------------------------
namespace
{
bool Matches(const MSG& m, HWND hwnd, UINT lo, UINT hi)
{
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

void Fill(MSG* out, const MSG& m)
{
    if (out) *out = m;
}

WindowNode* FindPaint(WindowNode* n, HWND filter)
{
    if (!(n->style & WS_VISIBLE)) return nullptr;
    if (!n->parent && (n->style & WS_MINIMIZE)) return nullptr;
    bool ok = !filter || n == filter || IsChild(filter, n);
    if (ok && (NeedsPaint(n) || n->ncDirty)) return n;
    for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
        if (WindowNode* r = FindPaint(*it, filter)) return r;
    return nullptr;
}

bool PeekCore(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove)
{
    // Posted messages first.
    {
        std::unique_lock<std::mutex> g(gQueueMx);
        for (auto it = gPosted.begin(); it != gPosted.end(); ++it)
            if (Matches(*it, hwnd, lo, hi))
            {
                MSG m = *it;
                m.pt = gCursor;
                if (remove) gPosted.erase(it);
                g.unlock();
                Fill(out, m);
                return true;
            }
        if (gQuit)
        {
            MSG m;
            m.message = WM_QUIT;
            m.wParam = WPARAM(gQuitCode);
            m.time = DWORD(Clock::Now());
            if (remove) gQuit = false;
            g.unlock();
            Fill(out, m);
            return true;
        }
    }
    // Input, in order.
    for (;;)
    {
        for (auto it = gCooked.begin(); it != gCooked.end(); ++it)
            if (Matches(*it, hwnd, lo, hi))
            {
                MSG m = *it;
                if (remove) gCooked.erase(it);
                Fill(out, m);
                return true;
            }
        RawEvent e;
        if (!TakeRaw(e)) break;
        Cook(e);
    }
    // Paint.
    bool paintInRange = (lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi);
    if (paintInRange)
    {
        for (int guard = 0; guard < 10000; ++guard)
        {
            WindowNode* p = nullptr;
            std::vector<WindowNode*> tops = gTop;
            for (WindowNode* t : tops)
                if ((p = FindPaint(t, hwnd))) break;
            if (!p) break;
            if (!NeedsPaint(p))
            {
                // Only the frame is stale: repaint it now.
                p->ncDirty = false;
                SendMessage(p, WM_NCPAINT, 1, 0);
                continue;
            }
            MSG m;
            m.hwnd = p;
            m.message = WM_PAINT;
            m.time = DWORD(Clock::Now());
            m.pt = gCursor;
            Fill(out, m);
            return true;
        }
    }
    // Timers that are due.
    bool timerInRange = (lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi);
    if (timerInRange)
    {
        std::uint64_t now = Clock::Now();
        TimerRec* best = nullptr;
        for (auto& t : gTimers)
        {
            if (t.due > now) continue;
            if (hwnd && t.hwnd != hwnd && !IsChild(hwnd, t.hwnd)) continue;
            if (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)) best = &t;
        }
        if (best)
        {
            MSG m;
            m.hwnd = best->hwnd;
            m.message = WM_TIMER;
            m.wParam = best->id;
            m.lParam = best->proc ? 1 : 0;
            m.time = DWORD(now);
            m.pt = gCursor;
            if (remove) best->due = now + best->interval;
            Fill(out, m);
            return true;
        }
    }
    return false;
}

bool QueuesBusy()
{
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        if (!gPosted.empty() || gQuit || !gRaw.empty()) return true;
    }
    return !gCooked.empty() || HasPendingSynchronize();
}

// Waits for something to do (the GUI thread has nothing pending).
void WaitForWork()
{
    if (gIdleHook && gIdleHook()) return;
    std::uint64_t due = NextTimerDue();
    if (Clock::IsVirtual())
    {
        if (due)
        {
            BE().WaitForEvents(0);
            if (!QueuesBusy()) Clock::AdvanceTo(due);
            return;
        }
        BE().WaitForEvents(50);
        return;
    }
    std::uint64_t now = Clock::Now();
    unsigned t = 1000;
    if (due) t = due > now ? unsigned(std::min<std::uint64_t>(due - now, 1000)) : 0;
    BE().WaitForEvents(t);
}
} // namespace

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT lo, UINT hi, UINT flags)
{
    EnsureInit();
    Sweep();
    CheckSynchronize(0);
    BE().WaitForEvents(0);
    MSG m;
    if (!PeekCore(&m, hwnd, lo, hi, (flags & PM_REMOVE) != 0)) return FALSE;
    if (flags & PM_REMOVE)
    {
        gMsgTime = m.time;
        gMsgPos = m.pt;
    }
    Fill(msg, m);
    return TRUE;
}

int GetMessage(MSG* msg, HWND hwnd, UINT lo, UINT hi)
{
    EnsureInit();
    if (hwnd && !N(hwnd)) return -1;
    for (;;)
    {
        Sweep();
        CheckSynchronize(0);
        BE().WaitForEvents(0);
        MSG m;
        if (PeekCore(&m, hwnd, lo, hi, true))
        {
            gMsgTime = m.time;
            gMsgPos = m.pt;
            Fill(msg, m);
            return m.message == WM_QUIT ? 0 : 1;
        }
        WaitForWork();
    }
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam)
    {
        for (auto& t : gTimers)
            if (t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc)
            {
                TIMERPROC p = t.proc;
                p(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
                return 0;
            }
        return 0;
    }
    if (!msg->hwnd) return 0;
    WindowNode* n = N(msg->hwnd);
    if (!n) return 0;
    if (msg->message == WM_PAINT)
    {
        LRESULT r = CallWindowProcChain(n, WM_PAINT, msg->wParam, msg->lParam);
        return r;
    }
    return CallWindowProcChain(n, msg->message, msg->wParam, msg->lParam);
}

namespace
{
unsigned CharForKey(int vk)
{
    bool shift = (gKeys[VK_SHIFT] & 0x80) != 0;
    bool caps = (gKeys[VK_CAPITAL] & 1) != 0;
    bool ctrl = (gKeys[VK_CONTROL] & 0x80) != 0;
    if (vk >= 'A' && vk <= 'Z')
    {
        if (ctrl) return unsigned(vk - 'A' + 1);
        return (shift != caps) ? unsigned(vk) : unsigned(vk - 'A' + 'a');
    }
    if (ctrl) return 0;
    if (vk >= '0' && vk <= '9') return shift ? unsigned(")!@#$%^&*("[vk - '0']) : unsigned(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return unsigned('0' + vk - VK_NUMPAD0);
    switch (vk)
    {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    }
    return 0;
}
} // namespace

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    unsigned ch = CharForKey(int(msg->wParam));
    if (!ch) return FALSE;
    MSG m = *msg;
    m.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    m.wParam = ch;
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.push_front(m);
    }
    return TRUE;
}

bool HasPendingMessages()
{
    // Input the backend has ready counts as pending.
    if (backend::HasCurrent()) BE().WaitForEvents(0);
    if (QueuesBusy()) return true;
    for (WindowNode* t : gTop)
        if (FindPaint(t, nullptr)) return true;
    std::uint64_t due = NextTimerDue();
    return due && due <= Clock::Now();
}

bool ProcessPendingMessages()
{
    bool any = false;
    MSG m;
    bool sawQuit = false;
    int quitCode = 0;
    for (int guard = 0; guard < 100000; ++guard)
    {
        if (CheckSynchronize(0)) any = true;
        if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) break;
        any = true;
        if (m.message == WM_QUIT)
        {
            sawQuit = true;
            quitCode = int(m.wParam);
            break;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    if (sawQuit) PostQuitMessage(quitCode);
    return any;
}

void RunNestedLoop(const std::function<bool()>& done)
{
    MSG m;
    while (!done())
    {
        if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        {
            if (m.message == WM_QUIT)
            {
                PostQuitMessage(int(m.wParam));
                return;
            }
            TranslateMessage(&m);
            DispatchMessage(&m);
            continue;
        }
        if (done()) return;
        WaitForWork();
    }
}

BOOL WaitMessage()
{
    EnsureInit();
    Sweep();
    CheckSynchronize(0);
    BE().WaitForEvents(0);
    if (HasPendingMessages()) return TRUE;
    WaitForWork();
    return TRUE;
}

void SetIdleHook(std::function<bool()> hook) { gIdleHook = std::move(hook); }

// ---------------------------------------------------------------------------
// The move/size loop
// ---------------------------------------------------------------------------
namespace
{
// Synchronised calls and posted messages: served before input.
bool ServeOnePosted()
{
    if (CheckSynchronize(0)) return true;
    MSG m;
    std::unique_lock<std::mutex> g(gQueueMx);
    if (gPosted.empty()) return false;
    m = gPosted.front();
    gPosted.pop_front();
    g.unlock();
    DispatchMessage(&m);
    return true;
}

bool ServeOneNonInput()
{
    // Everything but raw input: synchronised calls, posted messages, paint, timers.
    if (CheckSynchronize(0)) return true;
    MSG m;
    {
        std::unique_lock<std::mutex> g(gQueueMx);
        if (!gPosted.empty())
        {
            m = gPosted.front();
            gPosted.pop_front();
            g.unlock();
            DispatchMessage(&m);
            return true;
        }
    }
    if (!gCooked.empty())
    {
        m = gCooked.front();
        gCooked.pop_front();
        DispatchMessage(&m);
        return true;
    }
    std::vector<WindowNode*> tops = gTop;
    for (WindowNode* t : tops)
        if (WindowNode* p = FindPaint(t, nullptr))
        {
            if (NeedsPaint(p)) SendMessage(p, WM_PAINT, 0, 0);
            else
            {
                p->ncDirty = false;
                SendMessage(p, WM_NCPAINT, 1, 0);
            }
            return true;
        }
    if (PeekCore(&m, nullptr, WM_TIMER, WM_TIMER, true))
    {
        DispatchMessage(&m);
        return true;
    }
    return false;
}

void RunSizeMoveLoop(WindowNode* n, WPARAM cmd)
{
    bool sizing = (cmd & 0xFFF0) == SC_SIZE;
    int edge = int(cmd & 0x0F);
    // The loop follows a held left button; started without one it has nothing to follow.
    if (!(gKeys[VK_LBUTTON] & 0x80)) return;
    if (sizing && (edge < int(WMSZ_LEFT) || edge > int(WMSZ_BOTTOMRIGHT))) return;
    MINMAXINFO mi = GetMinMax(n);
    if (!n->alive) return;
    TRect orig = ScreenRect(n);
    TPoint start = gCursor;
    TRect cur = orig;
    BOOL full = TRUE;
    SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    SetCapture(n);
    SendMessage(n, WM_ENTERSIZEMOVE, 0, 0);
    bool done = false, cancel = false;
    auto apply = [&](const TRect& r) {
        TPoint o = n->parent ? ClientOrigin(n->parent) : TPoint();
        SetWindowPos(n, nullptr, r.Left - o.X, r.Top - o.Y, r.Width(), r.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | (sizing ? 0 : SWP_NOSIZE));
    };
    while (!done && n->alive)
    {
        if (gCapture != n) break;   // capture taken away: the loop ends
        if (ServeOnePosted()) continue;
        RawEvent e;
        if (!TakeRaw(e))
        {
            if (ServeOneNonInput()) continue;
            WaitForWork();
            continue;
        }
        switch (e.kind)
        {
        case RawEvent::Move:
        {
            gCursor = e.pt;
            int dx = e.pt.X - start.X, dy = e.pt.Y - start.Y;
            TRect r = orig;
            if (!sizing)
            {
                OffsetRect(r, dx, dy);
                SendMessage(n, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
            }
            else
            {
                bool L = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
                bool R = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
                bool T = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
                bool B = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
                if (L) r.Left += dx;
                if (R) r.Right += dx;
                if (T) r.Top += dy;
                if (B) r.Bottom += dy;
                int minW = mi.ptMinTrackSize.X, minH = mi.ptMinTrackSize.Y;
                int maxW = std::max(minW, mi.ptMaxTrackSize.X), maxH = std::max(minH, mi.ptMaxTrackSize.Y);
                int w = std::clamp(r.Width(), minW, maxW), h = std::clamp(r.Height(), minH, maxH);
                if (L) r.Left = r.Right - w;
                else r.Right = r.Left + w;
                if (T) r.Top = r.Bottom - h;
                else r.Bottom = r.Top + h;
                SendMessage(n, WM_SIZING, WPARAM(edge), reinterpret_cast<LPARAM>(&r));
            }
            if (!n->alive) break;
            cur = r;
            if (full) apply(cur);
            break;
        }
        case RawEvent::Button:
            gCursor = e.pt;
            if (e.down) gKeys[ButtonVk(e.button)] |= 0x80;
            else gKeys[ButtonVk(e.button)] &= BYTE(~0x80);
            if (!e.down && e.button == backend::TMouseButton::Left) done = true;
            break;
        case RawEvent::KeyEv:
            if (e.down) gKeys[e.vk & 0xFF] |= 0x80;
            else gKeys[e.vk & 0xFF] &= BYTE(~0x80);
            if (e.down && e.vk == VK_ESCAPE) done = cancel = true;
            if (e.down && e.vk == VK_RETURN) done = true;
            break;
        default:
            break;
        }
    }
    if (n->alive)
    {
        if (cancel) cur = orig;
        if (!full || cancel) apply(cur);
    }
    if (N(n) && gCapture == n) ReleaseCapture();
    if (N(n)) SendMessage(n, WM_EXITSIZEMOVE, 0, 0);
}
} // namespace

// ---------------------------------------------------------------------------
// Window regions and layered windows
// ---------------------------------------------------------------------------
int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw)
{
    WindowNode* n = N(hwnd);
    if (!n) return 0;
    if (rgn && !RegionOf(rgn)) return 0;
    if (rgn != n->rgn)
    {
        if (rgn) gdi::AddRef(rgn);
        if (n->rgn) DropWindowRegion(n->rgn);
    }
    n->rgn = rgn;
    if (n->bid) BE().SetShape(n->bid, rgn ? RegionOf(rgn) : nullptr);
    if (redraw)
    {
        if (n->parent) InvalidateClient(n->parent, TRegion(n->rect), true, 0);
        InvalidateWhole(n);
    }
    return 1;
}

BOOL SetWindowIcon(HWND hwnd, const TSurface* icon)
{
    WindowNode* n = N(hwnd);
    if (!n || n->parent || !n->bid) return FALSE;
    BE().SetIcon(n->bid, icon);
    return TRUE;
}

int GetWindowRgn(HWND hwnd, HRGN rgn)
{
    WindowNode* n = N(hwnd);
    TRegion* out = MutableRegionOf(rgn);
    if (!n || !out || !n->rgn) return RGN_ERROR;
    *out = *RegionOf(n->rgn);
    return out->IsEmpty() ? NULLREGION : out->IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags)
{
    WindowNode* n = N(hwnd);
    if (!n || !(n->exStyle & WS_EX_LAYERED) || n->parent) return FALSE;
    if (n->ulw)
    {
        // Switching back from UpdateLayeredWindow: the window paints itself again.
        n->ulw = false;
        InvalidateWhole(n);
    }
    n->layerKey = key;
    n->layerAlpha = alpha;
    n->layerFlags = flags;
    SyncLayer(n);
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags)
{
    WindowNode* n = N(hwnd);
    if (!n || !(n->exStyle & WS_EX_LAYERED) || n->ulw) return FALSE;
    if (key) *key = n->layerKey;
    if (alpha) *alpha = n->layerAlpha;
    if (flags) *flags = n->layerFlags;
    return TRUE;
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, const TPoint* dstPt, const TSize* size, HDC src, const TPoint* srcPt,
                         COLORREF key, const BLENDFUNCTION* blend, DWORD flags)
{
    WindowNode* n = N(hwnd);
    if (!n || !(n->exStyle & WS_EX_LAYERED) || n->parent || !n->surface) return FALSE;
    if (size && (size->cx < 0 || size->cy < 0)) return FALSE;
    if (dstPt || size)
    {
        TRect r = n->rect;
        int x = dstPt ? dstPt->X : r.Left, y = dstPt ? dstPt->Y : r.Top;
        int w = size ? size->cx : r.Width(), h = size ? size->cy : r.Height();
        SetWindowPos(n, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        if (!n->alive) return FALSE;
    }
    if (src)
    {
        TSurface* s = GetDCSurface(src);
        if (!s) return FALSE;
        TPoint org;
        GetDCOrgEx(src, &org);
        TPoint sp = srcPt ? *srcPt : TPoint();
        sp.X += org.X;
        sp.Y += org.Y;
        int w = n->surface->Width(), h = n->surface->Height();
        if (sp.X < 0 || sp.Y < 0 || sp.X + w > s->Width() || sp.Y + h > s->Height()) return FALSE;
        for (int y = 0; y < h; ++y)
        {
            const TPixel* in = s->Row(sp.Y + y) + sp.X;
            TPixel* out = n->surface->Row(y);
            std::copy(in, in + w, out);
        }
    }
    n->ulw = true;
    n->ulwFlags = flags;
    n->ulwKey = key;
    n->ulwAlpha = blend ? blend->SourceConstantAlpha : 255;
    if (!(flags & ULW_ALPHA) || !blend || !(blend->AlphaFormat & AC_SRC_ALPHA)) n->ulwFlags &= ~ULW_ALPHA;
    n->update.Clear();
    n->erase = false;
    SyncLayer(n);
    Present(n, n->surface->Bounds());
    return TRUE;
}

bool IsLayeredWindowsAvailable() { return BE().LayeredAvailable(); }

// ---------------------------------------------------------------------------
// Caret
// ---------------------------------------------------------------------------
namespace
{
// The caret is drawn by inverting the colours under it, so drawing it twice
// takes it away again.
void InvertCaretPixels(WindowNode* root, const std::vector<TRect>& rects)
{
    if (!N(root) || !root->surface) return;
    TSurface& s = *root->surface;
    for (const TRect& r0 : rects)
    {
        TRect r;
        if (!IntersectRect(r, r0, s.Bounds())) continue;
        for (int y = r.Top; y < r.Bottom; ++y)
        {
            TPixel* row = s.Row(y);
            for (int x = r.Left; x < r.Right; ++x) row[x] ^= 0x00FFFFFFu;
        }
        Present(root, r);
    }
}

void EraseCaret()
{
    if (!gCaret.drawnRoot) return;
    InvertCaretPixels(gCaret.drawnRoot, gCaret.drawn);
    gCaret.drawnRoot = nullptr;
    gCaret.drawn.clear();
}

void DrawCaret()
{
    EraseCaret();
    WindowNode* n = N(gCaret.hwnd);
    if (!n || gCaret.hideCount > 0) return;
    TPoint o = OffsetInRoot(n);
    TRect r = Bounds(o.X + n->client.Left + gCaret.pos.X, o.Y + n->client.Top + gCaret.pos.Y, gCaret.w, gCaret.h);
    TRegion vis = VisibleRgn(n, false, (n->style & WS_CLIPCHILDREN) != 0, (n->style & WS_CLIPSIBLINGS) != 0);
    vis &= TRegion(r);
    if (vis.IsEmpty()) return;
    gCaret.drawnRoot = Root(n);
    gCaret.drawn = vis.Rects();
    InvertCaretPixels(gCaret.drawnRoot, gCaret.drawn);
}
} // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP bmp, int w, int h)
{
    WindowNode* n = N(hwnd);
    if (!n) return FALSE;
    if (gCaret.hwnd) DestroyCaret();
    gCaret.hwnd = n;
    gCaret.w = w > 0 ? w : GetSystemMetrics(SM_CXBORDER);
    gCaret.h = h > 0 ? h : GetSystemMetrics(SM_CYBORDER);
    if (TSurface* s = GetBitmapSurface(bmp))
    {
        gCaret.w = s->Width();
        gCaret.h = s->Height();
    }
    gCaret.pos = TPoint();
    gCaret.hideCount = 1;
    return TRUE;
}

BOOL DestroyCaret()
{
    if (!gCaret.hwnd) return FALSE;
    EraseCaret();
    gCaret = CaretState();
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    if (!gCaret.hwnd || (hwnd && hwnd != gCaret.hwnd)) return FALSE;
    if (gCaret.hideCount > 0 && --gCaret.hideCount == 0) DrawCaret();
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    if (!gCaret.hwnd || (hwnd && hwnd != gCaret.hwnd)) return FALSE;
    if (gCaret.hideCount++ == 0) EraseCaret();
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    if (!gCaret.hwnd) return FALSE;
    gCaret.pos = TPoint(x, y);
    if (gCaret.hideCount == 0) DrawCaret();
    return TRUE;
}

BOOL GetCaretPos(TPoint* pt)
{
    if (!pt || !gCaret.hwnd) return FALSE;
    *pt = gCaret.pos;
    return TRUE;
}

bool IsCaretVisible() { return gCaret.hwnd && gCaret.hideCount == 0; }
HWND GetCaretWindow() { return N(gCaret.hwnd); }

// ---------------------------------------------------------------------------
// Clipboard, metrics, set-up
// ---------------------------------------------------------------------------
void SetClipboardText(const std::string& text) { BE().SetClipboardText(text); }
std::string GetClipboardText() { return BE().GetClipboardText(); }
bool ClipboardHasText() { return !BE().GetClipboardText().empty(); }

int GetSystemMetrics(int index)
{
    switch (index)
    {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CYFULLSCREEN:
    {
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        if (index == SM_CXSCREEN) return mi.rcMonitor.Width();
        if (index == SM_CYSCREEN) return mi.rcMonitor.Height();
        if (index == SM_CXFULLSCREEN) return mi.rcWork.Width();
        return mi.rcWork.Height() - 19;
    }
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CXMAXTRACK:
    case SM_CYMAXTRACK:
    {
        TRect all;
        for (HMONITOR m : GetMonitors()) UnionRect(all, all, m->Bounds);
        switch (index)
        {
        case SM_XVIRTUALSCREEN: return all.Left;
        case SM_YVIRTUALSCREEN: return all.Top;
        case SM_CXVIRTUALSCREEN: return all.Width();
        case SM_CYVIRTUALSCREEN: return all.Height();
        case SM_CXMAXTRACK: return all.Width() + 12;
        default: return all.Height() + 12;
        }
    }
    case SM_CXMAXIMIZED:
    case SM_CYMAXIMIZED:
    {
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        return index == SM_CXMAXIMIZED ? mi.rcWork.Width() : mi.rcWork.Height();
    }
    case SM_CMONITORS: return int(GetMonitors().size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    }
    return 0;
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT)
{
    switch (action)
    {
    case SPI_GETWORKAREA:
    {
        if (!pvParam) return FALSE;
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        *static_cast<TRect*>(pvParam) = mi.rcWork;
        return TRUE;
    }
    case SPI_GETDRAGFULLWINDOWS:
        if (!pvParam) return FALSE;
        *static_cast<BOOL*>(pvParam) = (gDragFullSet ? gDragFull : BE().DragFullWindows()) ? TRUE : FALSE;
        return TRUE;
    case SPI_SETDRAGFULLWINDOWS:
        gDragFullSet = true;
        gDragFull = uiParam != 0;
        return TRUE;
    }
    return FALSE;
}

void NotifyDisplayChange()
{
    RefreshMonitors();
    std::vector<WindowNode*> tops = gTop;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    for (WindowNode* t : tops)
        if (N(t)) SendMessage(t, WM_DISPLAYCHANGE, 32, MAKELPARAM(w, h));
}

namespace
{
void EnsureInit()
{
    if (gInit) return;
    gInit = true;
    backend::Current().SetInputSink(&gSink);
    SetMainThreadWakeup([] {
        if (backend::HasCurrent()) backend::Current().Wake();
    });
}
} // namespace

void ResetWindowManager()
{
    std::vector<WindowNode*> tops = gTop;
    for (WindowNode* t : tops)
        if (N(t)) DestroyWindow(t);
    {
        std::lock_guard<std::mutex> g(gLiveMx);
        for (WindowNode* n : gLive)
        {
            n->alive = false;
            gGrave.push_back(n);
        }
        gLive.clear();
    }
    gTop.clear();
    int depth = gDepth;
    gDepth = 0;
    Sweep();
    gDepth = depth;
    gClasses.clear();
    gRemovedBelow.clear();
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.clear();
        gRaw.clear();
        gQuit = false;
    }
    gCooked.clear();
    gTimers.clear();
    gTracks.clear();
    gActive = gFocus = gCapture = nullptr;
    gOver = nullptr;
    std::fill(std::begin(gKeys), std::end(gKeys), BYTE(0));
    gCursor = TPoint(640, 512);
    gDblTime = 500;
    gLastDown = LastDown();
    gBeeps = 0;
    gAltAlone = false;
    gDragFullSet = false;
    gCaret = CaretState();
    gIdleHook = nullptr;
    gCurrentCursor = nullptr;
    for (auto& kv : gDCs) DeleteDC(kv.first);
    gDCs.clear();
    gInit = false;
    if (backend::HasCurrent()) RefreshMonitors();
}
