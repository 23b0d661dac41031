// The standard scroll bars of a window (WS_HSCROLL / WS_VSCROLL): their state
// (range, page, position) lives with the window whether or not the bar is
// shown, so a control that hides its bars and lets another control drive
// them keeps a valid scroll state. The bars sit in the non-client area; a
// press on one sends the owner WM_HSCROLL / WM_VSCROLL with the SB_ codes
// (a thumb drag: SB_THUMBTRACK while moving, SB_THUMBPOSITION at release).
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"

// Bars.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;

// WM_HSCROLL / WM_VSCROLL codes (low word of WPARAM; the high word carries
// the position for SB_THUMBPOSITION and SB_THUMBTRACK).
constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6;
constexpr WORD SB_LEFT = 6;
constexpr WORD SB_BOTTOM = 7;
constexpr WORD SB_RIGHT = 7;
constexpr WORD SB_ENDSCROLL = 8;

// SCROLLINFO masks.
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO
{
    UINT cbSize = sizeof(SCROLLINFO);   // kept for callers that fill it; not checked
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;   // during a thumb drag: where the thumb is
};

// Sets the parts named in fMask; the position is kept within
// nMin .. nMax - max(nPage - 1, 0). Returns the position.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);
int GetScrollPos(HWND hwnd, int bar);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);   // returns the previous position
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
// Shows or hides a bar (adds or removes WS_HSCROLL / WS_VSCROLL and
// recomputes the client area); the scroll state stays.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);

// Where a WM_HSCROLL / WM_VSCROLL command takes a bar's position: a line or
// a page either way (page 0: the bar's own page), the ends, or the thumb
// position. The message carries 16 bits of it; a sender that set the full
// position just before keeps it. False for codes that do not move (SB_ENDSCROLL).
bool ScrollCommandTarget(HWND hwnd, int bar, WORD code, int thumbPos, int line, int page, int& pos);

namespace scrollbars
{
// Where the parts of a window's bar lie (window coordinates); empty when the bar is not shown.
struct TParts
{
    TRect bar, lineUp, lineDown, thumb;
};
TParts PartsOf(HWND hwnd, int bar);
// Window-manager hooks: paint the shown bars into the window DC, follow a
// press on a bar (hit is HTHSCROLL or HTVSCROLL, pt a screen point), and
// drop a destroyed window's state.
void Paint(HWND hwnd, HDC windowDC);
void Track(HWND hwnd, LRESULT hit, TPoint screen);
void Forget(HWND hwnd);
} // namespace scrollbars
