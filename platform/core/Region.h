// Regions: sets of pixels held as y-x bands of rectangles (the value type
// `TRegion`). The region-handle calls (HRGN) built on it are in
// platform/os/Region.h.
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"

#include <cstddef>
#include <vector>

// A region in canonical banded form: bands from top to bottom that do not
// overlap, each with sorted, non-touching spans; vertically adjacent bands
// with equal spans are merged. Two regions holding the same pixels are
// therefore equal member by member.
class TRegion
{
public:
    TRegion() = default;
    explicit TRegion(const TRect& r);
    // Union of the rectangles (empty ones are ignored).
    static TRegion FromRects(const std::vector<TRect>& rects);

    bool IsEmpty() const { return bands_.empty(); }
    // The smallest rectangle holding the region; (0,0,0,0) when empty.
    TRect Bounds() const;
    // True when the region is one rectangle (or empty).
    bool IsRect() const;
    bool Contains(TPoint p) const;
    bool Contains(int x, int y) const { return Contains(TPoint(x, y)); }
    // True when any pixel of r is in the region.
    bool Intersects(const TRect& r) const;
    // True when every pixel of r is in the region (an empty r: false).
    bool ContainsRect(const TRect& r) const;

    TRegion Union(const TRegion& o) const;
    TRegion Intersect(const TRegion& o) const;
    TRegion Subtract(const TRegion& o) const;
    TRegion Xor(const TRegion& o) const;
    void Offset(int dx, int dy);
    void Clear() { bands_.clear(); }

    TRegion& operator|=(const TRegion& o) { return *this = Union(o); }
    TRegion& operator&=(const TRegion& o) { return *this = Intersect(o); }
    TRegion& operator-=(const TRegion& o) { return *this = Subtract(o); }
    TRegion& operator^=(const TRegion& o) { return *this = Xor(o); }

    // The rectangles, top to bottom and left to right within a band.
    std::vector<TRect> Rects() const;
    std::size_t RectCount() const;

    friend bool operator==(const TRegion& a, const TRegion& b);

    struct Band
    {
        int Top, Bottom;
        std::vector<int> Xs;   // pairs: left, right (exclusive)
        friend bool operator==(const Band&, const Band&) = default;
    };
    const std::vector<Band>& Bands() const { return bands_; }

private:
    enum class Op { Or, And, Diff, Xor };
    static TRegion Combine(const TRegion& a, const TRegion& b, Op op);
    std::vector<Band> bands_;
};
