// The caret: an inverted bar drawn into its top-level window's pixels.
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
// Caret
// ---------------------------------------------------------------------------
namespace wm
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
} // namespace wm

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
