// Window device contexts and painting; the non-client area (default frame
// sizes, hit test and painting).
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

// ---------------------------------------------------------------------------
// Window device contexts and painting
// ---------------------------------------------------------------------------
namespace wm
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
    gDCs[dc] = {root, clipRoot};
    return dc;
}

HDC ScreenDC()
{
    if (!gScreenSurface) gScreenSurface = new TSurface(1, 1);
    HDC dc = CreateSurfaceDC(gScreenSurface, TPoint(), TRegion());
    gDCs[dc] = {nullptr, TRegion()};
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
} // namespace wm

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
    if (rec.root && N(rec.root))
    {
        // a few rectangles (a frame around the client) go one by one, so the
        // pixels of an untouched client are not presented again
        if (rec.vis.RectCount() <= 8)
            for (const TRect& r : rec.vis.Rects()) Present(rec.root, r);
        else
            Present(rec.root, rec.vis.Bounds());
    }
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

namespace wm
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
} // namespace wm

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
namespace wm
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
    // nothing is drawn in the client: it is not presented either
    if (auto it = gDCs.find(dc); it != gDCs.end())
    {
        const TPoint o = OffsetInRoot(n);
        it->second.vis -= TRegion(TRect(o.X + n->client.Left, o.Y + n->client.Top, o.X + n->client.Right,
                                        o.Y + n->client.Bottom));
    }
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
    if (f.vscroll || f.hscroll) scrollbars::Paint(n, dc);
    if (f.edge)
    {
        TRect e(n->client.Left - f.edge, n->client.Top - f.edge, n->client.Right + f.edge + f.vscroll,
                n->client.Bottom + f.edge + f.hscroll);
        DrawEdge(dc, e, f.edge == 1 ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    }
    ReleaseDC(n, dc);
}

HCURSOR CursorFor(int id) { return LoadCursor(nullptr, id); }

} // namespace wm

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
        if (wp == WPARAM(HTHSCROLL) || wp == WPARAM(HTVSCROLL))
            scrollbars::Track(n, LRESULT(wp), TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
        else if (wp == WPARAM(HTCAPTION)) SendMessage(n, WM_SYSCOMMAND, SC_MOVE | WPARAM(HTCAPTION), lp);
        else if (wp >= WPARAM(HTLEFT) && wp <= WPARAM(HTBOTTOMRIGHT))
            SendMessage(n, WM_SYSCOMMAND, SC_SIZE | (wp - WPARAM(HTLEFT) + WMSZ_LEFT), lp);
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wp == WPARAM(HTHSCROLL) || wp == WPARAM(HTVSCROLL))
            return DefWindowProc(hwnd, WM_NCLBUTTONDOWN, wp, lp);
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
    case WM_MOUSEHWHEEL:
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
