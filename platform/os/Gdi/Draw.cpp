// Pixels, lines, shapes, rectangle fills, frames and edges.
#include "platform/os/Gdi.h"
#include "platform/os/Gdi/Internal.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace gdi;

namespace
{
// Solid colour of a brush handle; false for a null brush or a bad handle. A
// value 1 .. SYS_COLOR_COUNT stands for a system colour index + 1.
bool BrushColor(HBRUSH brush, COLORREF& c)
{
    const auto v = reinterpret_cast<std::uintptr_t>(brush);
    if (v >= 1 && v <= std::uintptr_t(SYS_COLOR_COUNT))
    {
        c = GetSysColor(int(v - 1));
        return true;
    }
    auto* b = Lookup<GdiBrush>(brush, GdiKind::Brush);
    if (!b || b->Log.lbStyle != BS_SOLID) return false;
    c = b->Log.lbColor;
    return true;
}

const GdiPen* PenOf(HDC dc)
{
    auto* p = Lookup<GdiPen>(dc->S.Pen, GdiKind::Pen);
    return (p && p->Log.lopnStyle != PS_NULL) ? p : nullptr;
}

// Fills r (surface coordinates) inside the clip, combining with rop2.
void FillSurfaceRect(DrawTarget& t, const TRect& r, TPixel color, int rop2 = R2_COPYPEN)
{
    if (r.IsEmpty()) return;
    TSurface& s = t.Surface();
    for (const TRegion::Band& b : t.Clip().Bands())
    {
        if (b.Bottom <= r.Top) continue;
        if (b.Top >= r.Bottom) break;
        const int y0 = std::max(b.Top, r.Top), y1 = std::min(b.Bottom, r.Bottom);
        for (size_t i = 0; i < b.Xs.size(); i += 2)
        {
            const int x0 = std::max(b.Xs[i], r.Left), x1 = std::min(b.Xs[i + 1], r.Right);
            if (x0 >= x1) continue;
            for (int y = y0; y < y1; ++y)
            {
                TPixel* row = s.Row(y);
                if (rop2 == R2_COPYPEN)
                    std::fill(row + x0, row + x1, color | 0xFF000000u);
                else
                    for (int x = x0; x < x1; ++x) row[x] = ApplyRop2(rop2, row[x], color);
            }
        }
    }
}

void Plot(DrawTarget& t, int x, int y, TPixel color, int rop2)
{
    if (!t.Clip().Contains(x, y)) return;
    TPixel& p = t.Surface().Row(y)[x];
    p = ApplyRop2(rop2, p, color);
}

// Dash patterns of one-pixel styled pens: alternating on and off lengths.
const std::vector<int>& DashPattern(UINT style)
{
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3},
        solid{};
    switch (style)
    {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return solid;
    }
}

bool DashOn(const std::vector<int>& pattern, long long k)
{
    if (pattern.empty()) return true;
    long long total = 0;
    for (int v : pattern) total += v;
    long long pos = k % total;
    for (size_t i = 0; i < pattern.size(); ++i)
    {
        if (pos < pattern[i]) return (i % 2) == 0;
        pos -= pattern[i];
    }
    return true;
}

// A line in surface coordinates from a to b, b excluded, with the DC's pen.
// Pixel k along the major axis sits at the minor offset round(k * minor /
// major); only the steps that can reach the clip are walked, so a line far
// longer than the surface costs no more than one across it.
void PenLine(DrawTarget& t, const DeviceContext* dc, const GdiPen* pen, TPoint a, TPoint b)
{
    const TPixel color = ColorRefToPixel(pen->Log.lopnColor);
    const TPixel bk = ColorRefToPixel(dc->S.BkColor);
    const int rop = dc->S.Rop2;
    const int w = std::max(1, pen->Log.lopnWidth.X);
    const std::vector<int>& pattern = DashPattern(pen->Log.lopnStyle);
    const long long dx = (long long)b.X - a.X, dy = (long long)b.Y - a.Y;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const long long n = xMajor ? adx : ady, minorD = xMajor ? ady : adx;
    if (n == 0) return;
    const TRect cb = t.Clip().Bounds();
    if (cb.IsEmpty()) return;
    // Steps whose major coordinate lies within the clip box (pen width added).
    const long long lo = (xMajor ? cb.Left : cb.Top) - w, hi = (xMajor ? cb.Right : cb.Bottom) + w;
    const long long start = xMajor ? a.X : a.Y;
    const int step = xMajor ? sx : sy;
    long long k0, k1;
    if (step > 0)
    {
        k0 = std::max(0LL, lo - start);
        k1 = std::min(n, hi - start);
    }
    else
    {
        k0 = std::max(0LL, start - (hi - 1));
        k1 = std::min(n, start - lo + 1);
    }
    const int o = (w - 1) / 2;
    for (long long k = k0; k < k1; ++k)
    {
        const long long m = (2 * k * minorD + n) / (2 * n);
        const int x = int(xMajor ? a.X + k * sx : a.X + m * sx);
        const int y = int(xMajor ? a.Y + m * sy : a.Y + k * sy);
        if (w == 1)
        {
            if (DashOn(pattern, k))
                Plot(t, x, y, color, rop);
            else if (dc->S.BkMode == OPAQUE)
                Plot(t, x, y, bk, rop);
        }
        else
        {
            for (int yy = y - o; yy < y - o + w; ++yy)
                for (int xx = x - o; xx < x - o + w; ++xx) Plot(t, xx, yy, color, rop);
        }
    }
}

// Scanline fill of a polygon (surface coordinates), pixel centres inside.
void FillPolygon(DrawTarget& t, const std::vector<TPoint>& pts, TPixel color, int rop2, bool winding)
{
    if (pts.size() < 3) return;
    int minY = pts[0].Y, maxY = pts[0].Y;
    for (const TPoint& p : pts)
    {
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    }
    const TRect cb = t.Clip().Bounds();
    minY = std::max(minY, cb.Top);
    maxY = std::min(maxY, cb.Bottom);
    struct Hit { double x; int dir; };
    std::vector<Hit> hits;
    for (int y = minY; y < maxY; ++y)
    {
        const double cy = y + 0.5;
        hits.clear();
        for (size_t i = 0; i < pts.size(); ++i)
        {
            const TPoint& p = pts[i];
            const TPoint& q = pts[(i + 1) % pts.size()];
            if (p.Y == q.Y) continue;
            const bool up = q.Y < p.Y;
            const double y0 = up ? q.Y : p.Y, y1 = up ? p.Y : q.Y;
            if (cy < y0 || cy >= y1) continue;
            const double x = p.X + (cy - p.Y) * double(q.X - p.X) / double(q.Y - p.Y);
            hits.push_back({x, up ? -1 : 1});
        }
        std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.x < b.x; });
        int wind = 0;
        for (size_t i = 0; i + 1 < hits.size(); ++i)
        {
            wind += hits[i].dir;
            const bool inside = winding ? wind != 0 : (i % 2) == 0;
            if (!inside) continue;
            const int x0 = int(std::ceil(hits[i].x - 0.5)), x1 = int(std::ceil(hits[i + 1].x - 0.5));
            FillSurfaceRect(t, TRect(x0, y, x1, y + 1), color, rop2);
        }
    }
}
}  // namespace

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c)
{
    DrawTarget t(dc);
    if (!t || !Sane(x, y)) return CLR_INVALID;
    TPoint p = t.ToSurface(x, y);
    if (!t.Clip().Contains(p)) return CLR_INVALID;
    t.Surface().Row(p.Y)[p.X] = ColorRefToPixel(c);
    return c & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    DrawTarget t(dc, false);
    if (!t || !Sane(x, y)) return CLR_INVALID;
    TPoint p = t.ToSurface(x, y);
    if (!t.Clip().Contains(p)) return CLR_INVALID;
    return PixelToColorRef(t.Surface().Row(p.Y)[p.X]);
}

BOOL MoveToEx(HDC dc, int x, int y, TPoint* old)
{
    if (!IsLiveDC(dc) || !Sane(x, y)) return FALSE;
    if (old) *old = dc->S.CurPos;
    dc->S.CurPos = TPoint(x, y);
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, TPoint* pos)
{
    if (!IsLiveDC(dc)) return FALSE;
    if (pos) *pos = dc->S.CurPos;
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || !Sane(x, y)) return FALSE;
    const TPoint from = dc->S.CurPos;
    dc->S.CurPos = TPoint(x, y);
    if (!t) return TRUE;
    if (const GdiPen* pen = PenOf(dc)) PenLine(t, dc, pen, t.ToSurface(from.X, from.Y), t.ToSurface(x, y));
    return TRUE;
}

bool SanePoints(const TPoint* pts, int count)
{
    for (int i = 0; i < count; ++i)
        if (!Sane(pts[i].X, pts[i].Y)) return false;
    return true;
}

BOOL Polyline(HDC dc, const TPoint* pts, int count)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || count < 2 || !pts || !SanePoints(pts, count)) return FALSE;
    if (!t) return TRUE;
    if (const GdiPen* pen = PenOf(dc))
        for (int i = 0; i + 1 < count; ++i)
            PenLine(t, dc, pen, t.ToSurface(pts[i].X, pts[i].Y), t.ToSurface(pts[i + 1].X, pts[i + 1].Y));
    return TRUE;
}

BOOL Polygon(HDC dc, const TPoint* pts, int count)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || count < 2 || !pts || !SanePoints(pts, count)) return FALSE;
    if (!t) return TRUE;
    std::vector<TPoint> sp;
    sp.reserve(size_t(count));
    for (int i = 0; i < count; ++i) sp.push_back(t.ToSurface(pts[i].X, pts[i].Y));
    COLORREF bc;
    if (BrushColor(dc->S.Brush, bc))
        FillPolygon(t, sp, ColorRefToPixel(bc), dc->S.Rop2, dc->S.PolyFillMode == WINDING);
    if (const GdiPen* pen = PenOf(dc))
        for (size_t i = 0; i < sp.size(); ++i) PenLine(t, dc, pen, sp[i], sp[(i + 1) % sp.size()]);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || !Sane(left, top, right, bottom)) return FALSE;
    if (!t) return TRUE;
    TRect r = t.ToSurface(TRect(std::min(left, right), std::min(top, bottom), std::max(left, right),
                                std::max(top, bottom)));
    if (r.IsEmpty()) return TRUE;
    const GdiPen* pen = PenOf(dc);
    COLORREF bc;
    if (BrushColor(dc->S.Brush, bc))
    {
        TRect inner = r;
        if (pen) InflateRect(inner, -1, -1);
        FillSurfaceRect(t, inner, ColorRefToPixel(bc), dc->S.Rop2);
    }
    if (pen)
    {
        const TPoint c[4] = {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
        if (r.Width() == 1 || r.Height() == 1)
            FillSurfaceRect(t, r, ColorRefToPixel(pen->Log.lopnColor), dc->S.Rop2);
        else
            for (int i = 0; i < 4; ++i) PenLine(t, dc, pen, c[i], c[(i + 1) % 4]);
    }
    return TRUE;
}

int FillRect(HDC dc, const TRect& r, HBRUSH brush)
{
    DrawTarget t(dc);
    if (!t || !Sane(r)) return 0;
    COLORREF c;
    if (!BrushColor(brush, c)) return 0;
    FillSurfaceRect(t, t.ToSurface(r), ColorRefToPixel(c));
    return 1;
}

int FrameRect(HDC dc, const TRect& r, HBRUSH brush)
{
    DrawTarget t(dc);
    if (!t || !Sane(r)) return 0;
    COLORREF c;
    if (!BrushColor(brush, c)) return 0;
    const TRect s = t.ToSurface(r);
    if (s.IsEmpty()) return 1;
    const TPixel p = ColorRefToPixel(c);
    FillSurfaceRect(t, TRect(s.Left, s.Top, s.Right, s.Top + 1), p);
    if (s.Height() > 1) FillSurfaceRect(t, TRect(s.Left, s.Bottom - 1, s.Right, s.Bottom), p);
    FillSurfaceRect(t, TRect(s.Left, s.Top + 1, s.Left + 1, s.Bottom - 1), p);
    if (s.Width() > 1) FillSurfaceRect(t, TRect(s.Right - 1, s.Top + 1, s.Right, s.Bottom - 1), p);
    return 1;
}

BOOL DrawFocusRect(HDC dc, const TRect& r)
{
    DrawTarget t(dc);
    if (!t || !Sane(r)) return FALSE;
    const TRect s = t.ToSurface(r);
    TRect vis;
    if (!IntersectRect(vis, s, t.Surface().Bounds())) return TRUE;
    auto inv = [&](int x, int y) {
        if (((x + y) & 1) == 0) Plot(t, x, y, 0xFFFFFF, R2_XORPEN);
    };
    // Walk only the part of the frame inside the surface.
    for (int x = vis.Left; x < vis.Right; ++x)
    {
        inv(x, s.Top);
        if (s.Bottom - 1 > s.Top) inv(x, s.Bottom - 1);
    }
    for (int y = std::max(vis.Top, s.Top + 1); y < std::min(vis.Bottom, s.Bottom - 1); ++y)
    {
        inv(s.Left, y);
        if (s.Right - 1 > s.Left) inv(s.Right - 1, y);
    }
    return TRUE;
}

BOOL DrawEdge(HDC dc, TRect& r, UINT edge, UINT flags)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || !Sane(r)) return FALSE;
    struct Ring { bool on; COLORREF tl, br; };
    Ring rings[2];
    const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    auto sys = GetSysColor;
    if (flags & BF_MONO)
    {
        rings[0] = {outer != 0, sys(COLOR_WINDOWFRAME), sys(COLOR_WINDOWFRAME)};
        rings[1] = {inner != 0, sys(COLOR_WINDOW), sys(COLOR_WINDOW)};
    }
    else if (flags & BF_FLAT)
    {
        rings[0] = {outer != 0, sys(COLOR_BTNSHADOW), sys(COLOR_BTNSHADOW)};
        rings[1] = {inner != 0, sys(COLOR_BTNFACE), sys(COLOR_BTNFACE)};
    }
    else
    {
        rings[0] = {outer != 0, (outer & BDR_RAISEDOUTER) ? sys(COLOR_3DLIGHT) : sys(COLOR_BTNSHADOW),
                    (outer & BDR_RAISEDOUTER) ? sys(COLOR_3DDKSHADOW) : sys(COLOR_BTNHIGHLIGHT)};
        rings[1] = {inner != 0, (inner & BDR_RAISEDINNER) ? sys(COLOR_BTNHIGHLIGHT) : sys(COLOR_3DDKSHADOW),
                    (inner & BDR_RAISEDINNER) ? sys(COLOR_BTNSHADOW) : sys(COLOR_3DLIGHT)};
    }
    TRect s = t ? t.ToSurface(r) : r;
    TRect lr = r;
    for (const Ring& ring : rings)
    {
        if (!ring.on || s.IsEmpty()) continue;
        if (t)
        {
            const TPixel tl = ColorRefToPixel(ring.tl), br = ColorRefToPixel(ring.br);
            if (flags & BF_TOP) FillSurfaceRect(t, TRect(s.Left, s.Top, s.Right, s.Top + 1), tl);
            if (flags & BF_LEFT) FillSurfaceRect(t, TRect(s.Left, s.Top, s.Left + 1, s.Bottom), tl);
            if (flags & BF_BOTTOM) FillSurfaceRect(t, TRect(s.Left, s.Bottom - 1, s.Right, s.Bottom), br);
            if (flags & BF_RIGHT) FillSurfaceRect(t, TRect(s.Right - 1, s.Top, s.Right, s.Bottom), br);
        }
        const int l = (flags & BF_LEFT) ? 1 : 0, tp = (flags & BF_TOP) ? 1 : 0;
        const int rt = (flags & BF_RIGHT) ? 1 : 0, bt = (flags & BF_BOTTOM) ? 1 : 0;
        s = TRect(s.Left + l, s.Top + tp, s.Right - rt, s.Bottom - bt);
        lr = TRect(lr.Left + l, lr.Top + tp, lr.Right - rt, lr.Bottom - bt);
    }
    if ((flags & BF_MIDDLE) && t && !s.IsEmpty())
        FillSurfaceRect(t, s, ColorRefToPixel(sys((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE)));
    if (flags & BF_ADJUST) r = lr;
    return TRUE;
}
