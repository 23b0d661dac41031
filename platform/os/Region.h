// The region-handle calls (HRGN) built on the value type TRegion
// (platform/core/Region.h).
#pragma once
#include "platform/core/Region.h"

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
