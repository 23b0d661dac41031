// The standard scroll bars of a window: their state, their plain look and
// following a press on them.
#include "platform/os/ScrollBar.h"

#include <algorithm>
#include <unordered_map>

#include "platform/os/Gdi.h"
#include "platform/os/Messages.h"
#include "platform/os/SysColors.h"
#include "platform/os/Window.h"

namespace
{
struct TBarState
{
    int min = 0, max = 100;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
};
struct TWindowBars
{
    TBarState bars[2];   // SB_HORZ, SB_VERT
};
std::unordered_map<HWND, TWindowBars> gBars;

TBarState* StateOf(HWND hwnd, int bar, bool create)
{
    if (!IsWindow(hwnd) || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    auto it = gBars.find(hwnd);
    if (it == gBars.end())
    {
        if (!create) return nullptr;
        it = gBars.emplace(hwnd, TWindowBars{}).first;
    }
    return &it->second.bars[bar];
}

int MaxPos(const TBarState& s) { return std::max(s.min, s.max - std::max(int(s.page) - 1, 0)); }

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

// The client rectangle in window coordinates.
TRect ClientInWindow(HWND hwnd)
{
    TRect wr, cr;
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    TPoint o;
    ClientToScreen(hwnd, &o);
    return Bounds(o.X - wr.Left, o.Y - wr.Top, cr.Width(), cr.Height());
}

void RedrawBars(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

// Thumb length and free travel on a track of the given length.
void ThumbGeometry(const TBarState& s, int track, int thickness, int& len, int& room)
{
    const int range = s.max - s.min + 1;
    if (range <= 0 || track <= 0 || (s.page && int(s.page) >= range)) { len = 0; room = 0; return; }
    len = s.page ? int(std::int64_t(track) * s.page / range) : thickness;
    len = std::clamp(len, std::min(track, 8), track);
    room = track - len;
}

void Send(HWND hwnd, int bar, WORD code, int pos)
{
    SendMessage(hwnd, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, WORD(pos)), 0);
}

void DrawArrowButton(HDC dc, TRect r, int direction /*0 left 1 up 2 right 3 down*/, bool enabled)
{
    FillRect(dc, r, GetSysColorBrush(COLOR_BTNFACE));
    TRect e = r;
    DrawEdge(dc, e, EDGE_RAISED, BF_RECT);
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
    TPoint p[3];
    switch (direction)
    {
    case 0: p[0] = TPoint(cx - s / 2 - 1, cy); p[1] = TPoint(cx + s / 2, cy - s); p[2] = TPoint(cx + s / 2, cy + s); break;
    case 1: p[0] = TPoint(cx, cy - s / 2 - 1); p[1] = TPoint(cx - s, cy + s / 2); p[2] = TPoint(cx + s, cy + s / 2); break;
    case 2: p[0] = TPoint(cx + s / 2 + 1, cy); p[1] = TPoint(cx - s / 2, cy - s); p[2] = TPoint(cx - s / 2, cy + s); break;
    default: p[0] = TPoint(cx, cy + s / 2 + 1); p[1] = TPoint(cx - s, cy - s / 2); p[2] = TPoint(cx + s, cy - s / 2); break;
    }
    const COLORREF c = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HBRUSH b = CreateSolidBrush(c);
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, pen);
    Polygon(dc, p, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(b);
    DeleteObject(pen);
}
} // namespace

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw)
{
    TBarState* s = StateOf(hwnd, bar, true);
    if (!s || !si) return 0;
    if (si->fMask & SIF_RANGE)
    {
        s->min = si->nMin;
        s->max = std::max(si->nMin, si->nMax);
    }
    if (si->fMask & SIF_PAGE) s->page = std::min<UINT>(si->nPage, UINT(s->max - s->min + 1));
    if (si->fMask & SIF_POS) s->pos = si->nPos;
    s->pos = std::clamp(s->pos, s->min, MaxPos(*s));
    if (redraw && (GetWindowLong(hwnd, GWL_STYLE) & StyleBit(bar))) RedrawBars(hwnd);
    return s->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si)
{
    if (!si || !IsWindow(hwnd) || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    TBarState* s = StateOf(hwnd, bar, false);
    const TBarState none{0, 0, 0, 0, 0, false};
    const TBarState& st = s ? *s : none;
    if (si->fMask & SIF_RANGE)
    {
        si->nMin = st.min;
        si->nMax = st.max;
    }
    if (si->fMask & SIF_PAGE) si->nPage = st.page;
    if (si->fMask & SIF_POS) si->nPos = st.pos;
    if (si->fMask & SIF_TRACKPOS) si->nTrackPos = st.tracking ? st.trackPos : st.pos;
    return TRUE;
}

int GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    const int old = GetScrollPos(hwnd, bar);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(hwnd, bar, &si)) return FALSE;
    if (minPos) *minPos = si.nMin;
    if (maxPos) *maxPos = si.nMax;
    return TRUE;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return IsWindow(hwnd);
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    if (!IsWindow(hwnd)) return FALSE;
    DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : 0;
    if (!bits) return FALSE;
    const DWORD style = DWORD(GetWindowLong(hwnd, GWL_STYLE));
    const DWORD next = show ? (style | bits) : (style & ~bits);
    if (next == style) return TRUE;
    SetWindowLong(hwnd, GWL_STYLE, LONG(next));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

bool ScrollCommandTarget(HWND hwnd, int bar, WORD code, int thumbPos, int line, int page, int& pos)
{
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(hwnd, bar, &si)) return false;
    if (page <= 0) page = std::max(1, int(si.nPage));
    switch (code)
    {
    case SB_LINEUP: pos = si.nPos - line; return true;
    case SB_LINEDOWN: pos = si.nPos + line; return true;
    case SB_PAGEUP: pos = si.nPos - page; return true;
    case SB_PAGEDOWN: pos = si.nPos + page; return true;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = (si.nPos & 0xFFFF) == (thumbPos & 0xFFFF) ? si.nPos : thumbPos; return true;
    case SB_TOP: pos = si.nMin; return true;
    case SB_BOTTOM: pos = si.nMax; return true;
    default: return false;
    }
}

namespace scrollbars
{
TParts PartsOf(HWND hwnd, int bar)
{
    TParts p;
    const DWORD style = DWORD(GetWindowLong(hwnd, GWL_STYLE));
    if (!(style & StyleBit(bar))) return p;
    const TRect c = ClientInWindow(hwnd);
    const bool vert = bar == SB_VERT;
    const int thick = GetSystemMetrics(vert ? SM_CXVSCROLL : SM_CYHSCROLL);
    p.bar = vert ? TRect(c.Right, c.Top, c.Right + thick, c.Bottom) : TRect(c.Left, c.Bottom, c.Right, c.Bottom + thick);
    const int len = vert ? p.bar.Height() : p.bar.Width();
    const int arrow = std::min(thick, len / 2);
    if (vert)
    {
        p.lineUp = TRect(p.bar.Left, p.bar.Top, p.bar.Right, p.bar.Top + arrow);
        p.lineDown = TRect(p.bar.Left, p.bar.Bottom - arrow, p.bar.Right, p.bar.Bottom);
    }
    else
    {
        p.lineUp = TRect(p.bar.Left, p.bar.Top, p.bar.Left + arrow, p.bar.Bottom);
        p.lineDown = TRect(p.bar.Right - arrow, p.bar.Top, p.bar.Right, p.bar.Bottom);
    }
    const TBarState* s = StateOf(hwnd, bar, false);
    const TBarState none{0, 0, 0, 0, 0, false};
    const TBarState& st = s ? *s : none;
    const int track = len - 2 * arrow;
    int tl = 0, room = 0;
    ThumbGeometry(st, track, thick, tl, room);
    if (tl > 0)
    {
        const int span = MaxPos(st) - st.min;
        const int at = st.tracking ? st.trackPos : st.pos;
        const int off = span > 0 ? int(std::int64_t(room) * (at - st.min) / span) : 0;
        const int start = arrow + off;
        p.thumb = vert ? Bounds(p.bar.Left, p.bar.Top + start, thick, tl) : Bounds(p.bar.Left + start, p.bar.Top, tl, thick);
    }
    return p;
}

void Paint(HWND hwnd, HDC dc)
{
    const bool enabled = IsWindowEnabled(hwnd);
    for (int bar : {SB_HORZ, SB_VERT})
    {
        const TParts p = PartsOf(hwnd, bar);
        if (p.bar.IsEmpty()) continue;
        FillRect(dc, p.bar, GetSysColorBrush(COLOR_SCROLLBAR));
        const bool active = enabled && !p.thumb.IsEmpty();
        DrawArrowButton(dc, p.lineUp, bar == SB_VERT ? 1 : 0, active);
        DrawArrowButton(dc, p.lineDown, bar == SB_VERT ? 3 : 2, active);
        if (!p.thumb.IsEmpty())
        {
            FillRect(dc, p.thumb, GetSysColorBrush(COLOR_BTNFACE));
            TRect e = p.thumb;
            DrawEdge(dc, e, EDGE_RAISED, BF_RECT);
        }
    }
    // The corner between two bars.
    const TParts h = PartsOf(hwnd, SB_HORZ), v = PartsOf(hwnd, SB_VERT);
    if (!h.bar.IsEmpty() && !v.bar.IsEmpty())
        FillRect(dc, TRect(v.bar.Left, h.bar.Top, v.bar.Right, h.bar.Bottom), GetSysColorBrush(COLOR_BTNFACE));
}

void Track(HWND hwnd, LRESULT hit, TPoint screen)
{
    const int bar = hit == HTHSCROLL ? SB_HORZ : SB_VERT;
    const TParts p = PartsOf(hwnd, bar);
    if (p.bar.IsEmpty()) return;
    TRect wr;
    GetWindowRect(hwnd, &wr);
    const TPoint at(screen.X - wr.Left, screen.Y - wr.Top);
    const bool vert = bar == SB_VERT;
    auto along = [&](TPoint q) { return vert ? q.Y : q.X; };
    WORD code;
    if (p.lineUp.Contains(at)) code = SB_LINEUP;
    else if (p.lineDown.Contains(at)) code = SB_LINEDOWN;
    else if (p.thumb.IsEmpty()) return;
    else if (p.thumb.Contains(at)) code = SB_THUMBTRACK;
    else code = along(at) < along(p.thumb.TopLeft()) ? SB_PAGEUP : SB_PAGEDOWN;

    if (code != SB_THUMBTRACK)
    {
        // One step per press; the owner scrolls and sets the new position.
        Send(hwnd, bar, code, 0);
        Send(hwnd, bar, SB_ENDSCROLL, 0);
        return;
    }
    // A thumb drag: follow the pointer while the button is held.
    TBarState* s = StateOf(hwnd, bar, true);
    const int grab = along(at) - along(p.thumb.TopLeft());
    const int trackStart = vert ? p.lineUp.Bottom : p.lineUp.Right;
    const int room = (vert ? p.lineDown.Top - p.lineUp.Bottom : p.lineDown.Left - p.lineUp.Right) -
                     (vert ? p.thumb.Height() : p.thumb.Width());
    s->tracking = true;
    s->trackPos = s->pos;
    SetCapture(hwnd);
    MSG m;
    bool done = false;
    while (!done && IsWindow(hwnd) && GetCapture() == hwnd)
    {
        if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        {
            WaitMessage();
            continue;
        }
        if (m.message == WM_QUIT)
        {
            PostQuitMessage(int(m.wParam));
            break;
        }
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP || m.message == WM_NCMOUSEMOVE ||
            m.message == WM_NCLBUTTONUP)
        {
            s = StateOf(hwnd, bar, false);
            if (!s) break;
            TPoint cur;
            GetCursorPos(&cur);
            GetWindowRect(hwnd, &wr);
            const int off = std::clamp(along(TPoint(cur.X - wr.Left, cur.Y - wr.Top)) - grab - trackStart, 0,
                                       std::max(room, 0));
            const int span = MaxPos(*s) - s->min;
            const int pos = s->min + (room > 0 ? int((std::int64_t(off) * span + room / 2) / room) : 0);
            if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP)
            {
                s->trackPos = pos;
                done = true;
            }
            else if (pos != s->trackPos)
            {
                s->trackPos = pos;
                Send(hwnd, bar, SB_THUMBTRACK, pos);
                RedrawBars(hwnd);
            }
            continue;
        }
        if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    s = StateOf(hwnd, bar, false);
    if (!s) return;
    const int finalPos = s->trackPos;
    s->tracking = false;
    Send(hwnd, bar, SB_THUMBPOSITION, finalPos);
    Send(hwnd, bar, SB_ENDSCROLL, 0);
    RedrawBars(hwnd);
}

void Forget(HWND hwnd) { gBars.erase(hwnd); }
} // namespace scrollbars
