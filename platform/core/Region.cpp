#include "platform/core/Region.h"

#include <algorithm>

namespace
{
// Appends span [l, r) to a sorted span list, merging with the last span when
// they touch or overlap.
void PushSpan(std::vector<int>& xs, int l, int r)
{
    if (l >= r) return;
    if (!xs.empty() && l <= xs.back())
    {
        xs.back() = std::max(xs.back(), r);
        return;
    }
    xs.push_back(l);
    xs.push_back(r);
}

// Combines two sorted span lists.
template <class F>
std::vector<int> CombineSpans(const std::vector<int>* a, const std::vector<int>* b, F keep)
{
    static const std::vector<int> none;
    const std::vector<int>& A = a ? *a : none;
    const std::vector<int>& B = b ? *b : none;
    std::vector<int> edges;
    edges.reserve(A.size() + B.size());
    edges.insert(edges.end(), A.begin(), A.end());
    edges.insert(edges.end(), B.begin(), B.end());
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<int> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i)
    {
        int x0 = edges[i], x1 = edges[i + 1];
        while (ia < A.size() && A[ia + 1] <= x0) ia += 2;
        while (ib < B.size() && B[ib + 1] <= x0) ib += 2;
        bool inA = ia < A.size() && A[ia] <= x0;
        bool inB = ib < B.size() && B[ib] <= x0;
        if (keep(inA, inB)) PushSpan(out, x0, x1);
    }
    return out;
}

void PushBand(std::vector<TRegion::Band>& bands, int top, int bottom, std::vector<int>&& xs)
{
    if (xs.empty() || top >= bottom) return;
    if (!bands.empty() && bands.back().Bottom == top && bands.back().Xs == xs)
    {
        bands.back().Bottom = bottom;
        return;
    }
    bands.push_back({top, bottom, std::move(xs)});
}
}  // namespace

TRegion::TRegion(const TRect& r)
{
    if (!r.IsEmpty()) bands_.push_back({r.Top, r.Bottom, {r.Left, r.Right}});
}

TRegion TRegion::FromRects(const std::vector<TRect>& rects)
{
    // Sweep from top to bottom over the rectangles' edges, keeping the ones
    // that cover the current strip.
    std::vector<const TRect*> byTop;
    std::vector<int> ys;
    for (const TRect& r : rects)
        if (!r.IsEmpty())
        {
            byTop.push_back(&r);
            ys.push_back(r.Top);
            ys.push_back(r.Bottom);
        }
    TRegion out;
    if (byTop.empty()) return out;
    std::sort(byTop.begin(), byTop.end(), [](const TRect* a, const TRect* b) { return a->Top < b->Top; });
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<const TRect*> active;
    size_t next = 0;
    std::vector<std::pair<int, int>> spans;
    for (size_t i = 0; i + 1 < ys.size(); ++i)
    {
        int y0 = ys[i], y1 = ys[i + 1];
        while (next < byTop.size() && byTop[next]->Top <= y0) active.push_back(byTop[next++]);
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](const TRect* r) { return r->Bottom <= y0; }),
                     active.end());
        spans.clear();
        for (const TRect* r : active) spans.emplace_back(r->Left, r->Right);
        std::sort(spans.begin(), spans.end());
        std::vector<int> xs;
        for (auto& s : spans) PushSpan(xs, s.first, s.second);
        PushBand(out.bands_, y0, y1, std::move(xs));
    }
    return out;
}

TRect TRegion::Bounds() const
{
    if (bands_.empty()) return TRect();
    int l = bands_.front().Xs.front(), r = bands_.front().Xs.back();
    for (const Band& b : bands_)
    {
        l = std::min(l, b.Xs.front());
        r = std::max(r, b.Xs.back());
    }
    return TRect(l, bands_.front().Top, r, bands_.back().Bottom);
}

bool TRegion::IsRect() const { return bands_.size() <= 1 && (bands_.empty() || bands_[0].Xs.size() == 2); }

bool TRegion::Contains(TPoint p) const
{
    auto it = std::upper_bound(bands_.begin(), bands_.end(), p.Y,
                               [](int y, const Band& b) { return y < b.Top; });
    if (it == bands_.begin()) return false;
    const Band& b = *(it - 1);
    if (p.Y >= b.Bottom) return false;
    // Index of the first edge greater than x: odd means inside a span.
    auto e = std::upper_bound(b.Xs.begin(), b.Xs.end(), p.X);
    return ((e - b.Xs.begin()) & 1) != 0;
}

bool TRegion::Intersects(const TRect& r) const
{
    if (r.IsEmpty()) return false;
    for (const Band& b : bands_)
    {
        if (b.Bottom <= r.Top) continue;
        if (b.Top >= r.Bottom) break;
        for (size_t i = 0; i < b.Xs.size(); i += 2)
            if (b.Xs[i] < r.Right && b.Xs[i + 1] > r.Left) return true;
    }
    return false;
}

bool TRegion::ContainsRect(const TRect& r) const
{
    if (r.IsEmpty()) return false;
    int y = r.Top;
    for (const Band& b : bands_)
    {
        if (b.Bottom <= y) continue;
        if (b.Top > y) return false;   // a gap
        bool covered = false;
        for (size_t i = 0; i < b.Xs.size(); i += 2)
            if (b.Xs[i] <= r.Left && b.Xs[i + 1] >= r.Right) { covered = true; break; }
        if (!covered) return false;
        y = b.Bottom;
        if (y >= r.Bottom) return true;
    }
    return false;
}

TRegion TRegion::Combine(const TRegion& a, const TRegion& b, Op op)
{
    auto keep = [op](bool inA, bool inB) {
        switch (op)
        {
        case Op::Or: return inA || inB;
        case Op::And: return inA && inB;
        case Op::Diff: return inA && !inB;
        case Op::Xor: return inA != inB;
        }
        return false;
    };
    std::vector<int> ys;
    for (const Band& x : a.bands_) { ys.push_back(x.Top); ys.push_back(x.Bottom); }
    for (const Band& x : b.bands_) { ys.push_back(x.Top); ys.push_back(x.Bottom); }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    TRegion out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i)
    {
        int y0 = ys[i], y1 = ys[i + 1];
        while (ia < a.bands_.size() && a.bands_[ia].Bottom <= y0) ++ia;
        while (ib < b.bands_.size() && b.bands_[ib].Bottom <= y0) ++ib;
        const std::vector<int>* sa = (ia < a.bands_.size() && a.bands_[ia].Top <= y0) ? &a.bands_[ia].Xs : nullptr;
        const std::vector<int>* sb = (ib < b.bands_.size() && b.bands_[ib].Top <= y0) ? &b.bands_[ib].Xs : nullptr;
        if (!sa && !sb) continue;
        PushBand(out.bands_, y0, y1, CombineSpans(sa, sb, keep));
    }
    return out;
}

// The window manager combines mostly empty regions and single rectangles:
// those cases are answered without the band sweep (the canonical form makes
// the answers the same regions the sweep would build).
TRegion TRegion::Union(const TRegion& o) const
{
    if (o.IsEmpty()) return *this;
    if (IsEmpty()) return o;
    if (o.IsRect() && ContainsRect(o.Bounds())) return *this;
    if (IsRect() && o.ContainsRect(Bounds())) return o;
    return Combine(*this, o, Op::Or);
}

TRegion TRegion::Intersect(const TRegion& o) const
{
    if (IsEmpty() || o.IsEmpty()) return TRegion();
    if (IsRect() && o.IsRect())
    {
        TRect r;
        IntersectRect(r, Bounds(), o.Bounds());
        return TRegion(r);
    }
    return Combine(*this, o, Op::And);
}

TRegion TRegion::Subtract(const TRegion& o) const
{
    if (IsEmpty() || o.IsEmpty()) return *this;
    if (o.IsRect() && !Intersects(o.Bounds())) return *this;
    return Combine(*this, o, Op::Diff);
}
TRegion TRegion::Xor(const TRegion& o) const { return Combine(*this, o, Op::Xor); }

void TRegion::Offset(int dx, int dy)
{
    for (Band& b : bands_)
    {
        b.Top += dy;
        b.Bottom += dy;
        for (int& x : b.Xs) x += dx;
    }
}

std::vector<TRect> TRegion::Rects() const
{
    std::vector<TRect> out;
    out.reserve(RectCount());
    for (const Band& b : bands_)
        for (size_t i = 0; i < b.Xs.size(); i += 2) out.emplace_back(b.Xs[i], b.Top, b.Xs[i + 1], b.Bottom);
    return out;
}

std::size_t TRegion::RectCount() const
{
    std::size_t n = 0;
    for (const Band& b : bands_) n += b.Xs.size() / 2;
    return n;
}

bool operator==(const TRegion& a, const TRegion& b) { return a.bands_ == b.bands_; }
