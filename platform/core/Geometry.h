// Points, sizes and rectangles (right and bottom exclusive) with the usual helpers.
#pragma once
#include <algorithm>
#include <cstddef>

struct TPoint
{
    int X = 0, Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize
{
    int cx = 0, cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int w, int h) : cx(w), cy(h) {}
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(TPoint tl, TPoint br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) { return {x, y}; }
constexpr TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
constexpr TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }
constexpr int RectWidth(const TRect& r) { return r.Right - r.Left; }
constexpr int RectHeight(const TRect& r) { return r.Bottom - r.Top; }
constexpr bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }
constexpr bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
constexpr bool EqualRect(const TRect& a, const TRect& b) { return a == b; }

constexpr void OffsetRect(TRect& r, int dx, int dy)
{
    r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy;
}
constexpr void InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx; r.Right += dx; r.Top -= dy; r.Bottom += dy;
}
// Intersection; returns false (and an empty rectangle) when they do not meet.
constexpr bool IntersectRect(TRect& out, const TRect& a, const TRect& b)
{
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) { out = TRect(); return false; }
    out = r;
    return true;
}
// Smallest rectangle holding both; an empty rectangle does not count.
constexpr bool UnionRect(TRect& out, const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) { out = b; return !b.IsEmpty(); }
    if (b.IsEmpty()) { out = a; return true; }
    out = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom));
    return true;
}

// Whether (x, y) lies inside a closed polygon (even-odd rule); `pts` is a
// sequence of (x, y) pairs, the last joined to the first.
template <class Points>
constexpr bool InsidePolygon(const Points& pts, float x, float y)
{
    bool in = false;
    for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++)
    {
        const auto [xi, yi] = pts[i];
        const auto [xj, yj] = pts[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}
