// The move/size loop; window regions and layered windows.
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
// The move/size loop
// ---------------------------------------------------------------------------
namespace wm
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
} // namespace wm

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
