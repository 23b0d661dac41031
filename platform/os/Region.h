// Regions: sets of pixels held as y-x bands of rectangles, the value type
// `TRegion` and the region-handle calls (HRGN) built on it.
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

// ---- region handles ------------------------------------------------------

// CombineRgn modes.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Region kinds returned by the region calls.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Region data: a 32-byte header followed by nCount rectangles of 16 bytes.
constexpr DWORD RDH_RECTANGLES = 1;
struct RGNDATAHEADER
{
    DWORD dwSize;     // size of this header: 32
    DWORD iType;      // RDH_RECTANGLES
    DWORD nCount;     // rectangles that follow
    DWORD nRgnSize;   // size of the rectangle buffer in bytes, or 0
    TRect rcBound;
};
struct RGNDATA
{
    RGNDATAHEADER rdh;
    char Buffer[16];  // nCount rectangles (TRect) start here
};
static_assert(sizeof(RGNDATAHEADER) == 32);
static_assert(sizeof(TRect) == 16);

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect& r);
// A region handle holding a copy of r (for the layer's own use).
HRGN CreateRegionHandle(const TRegion& r);
// Sets an existing region to a rectangle.
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
// dst := src1 op src2 (src2 unused with RGN_COPY); dst may be a source.
// Returns the kind of the result, or RGN_ERROR for bad handles or mode.
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
// True when any part of r lies in the region.
BOOL RectInRegion(HRGN rgn, const TRect& r);
BOOL EqualRgn(HRGN a, HRGN b);
// Bounding box; returns the region's kind.
int GetRgnBox(HRGN rgn, TRect* box);
// Region from rectangle data. The transform must be null. Returns null when
// the data is malformed (header size, type or count out of the given size).
HRGN ExtCreateRegion(const void* xform, DWORD count, const RGNDATA* data);
// Writes the region's data into buf when size is large enough; returns the
// bytes needed (buf null or too small: nothing written), 0 on a bad handle.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* buf);

// The region behind a handle (null for anything that is not a region).
const TRegion* RegionOf(HRGN rgn);
TRegion* MutableRegionOf(HRGN rgn);
