#include "platform/os/Region.h"

#include "platform/os/Gdi.h"
#include "platform/os/Gdi/Internal.h"

#include <algorithm>
#include <cstring>

// ---- handles ---------------------------------------------------------------

namespace
{
int KindOf(const TRegion& r)
{
    if (r.IsEmpty()) return NULLREGION;
    return r.IsRect() ? SIMPLEREGION : COMPLEXREGION;
}
TRect Normalized(int l, int t, int r, int b)
{
    return TRect(std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b));
}
}  // namespace

const TRegion* RegionOf(HRGN rgn)
{
    auto* o = gdi::Lookup<GdiRegion>(rgn, GdiKind::Region);
    return o ? &o->Rgn : nullptr;
}

TRegion* MutableRegionOf(HRGN rgn)
{
    auto* o = gdi::Lookup<GdiRegion>(rgn, GdiKind::Region);
    return o ? &o->Rgn : nullptr;
}

HRGN CreateRegionHandle(const TRegion& r)
{
    auto* o = new GdiRegion;
    o->Rgn = r;
    return gdi::Register(o);
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    return CreateRegionHandle(TRegion(Normalized(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const TRect& r) { return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom); }

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom)
{
    TRegion* r = MutableRegionOf(rgn);
    if (!r) return FALSE;
    *r = TRegion(Normalized(left, top, right, bottom));
    return TRUE;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode)
{
    TRegion* d = MutableRegionOf(dst);
    const TRegion* a = RegionOf(src1);
    if (!d || !a) return RGN_ERROR;
    if (mode == RGN_COPY)
    {
        if (d != a) *d = *a;
        return KindOf(*d);
    }
    const TRegion* b = RegionOf(src2);
    if (!b) return RGN_ERROR;
    switch (mode)
    {
    case RGN_AND: *d = a->Intersect(*b); break;
    case RGN_OR: *d = a->Union(*b); break;
    case RGN_XOR: *d = a->Xor(*b); break;
    case RGN_DIFF: *d = a->Subtract(*b); break;
    default: return RGN_ERROR;
    }
    return KindOf(*d);
}

int OffsetRgn(HRGN rgn, int dx, int dy)
{
    TRegion* r = MutableRegionOf(rgn);
    if (!r) return RGN_ERROR;
    // Refuse a move that would carry coordinates out of the integer range.
    const TRect bx = r->Bounds();
    auto fits = [](long long v) { return v > -(1LL << 30) && v < (1LL << 30); };
    if (!r->IsEmpty() && !(fits(bx.Left + (long long)dx) && fits(bx.Right + (long long)dx) &&
                           fits(bx.Top + (long long)dy) && fits(bx.Bottom + (long long)dy)))
        return RGN_ERROR;
    r->Offset(dx, dy);
    return KindOf(*r);
}

BOOL PtInRegion(HRGN rgn, int x, int y)
{
    const TRegion* r = RegionOf(rgn);
    return r && r->Contains(x, y);
}

BOOL RectInRegion(HRGN rgn, const TRect& rc)
{
    const TRegion* r = RegionOf(rgn);
    return r && r->Intersects(Normalized(rc.Left, rc.Top, rc.Right, rc.Bottom));
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    const TRegion* ra = RegionOf(a);
    const TRegion* rb = RegionOf(b);
    return ra && rb && *ra == *rb;
}

int GetRgnBox(HRGN rgn, TRect* box)
{
    const TRegion* r = RegionOf(rgn);
    if (!r) return RGN_ERROR;
    if (box) *box = r->Bounds();
    return KindOf(*r);
}

HRGN ExtCreateRegion(const void* xform, DWORD count, const RGNDATA* data)
{
    if (xform || !data || count < sizeof(RGNDATAHEADER)) return nullptr;
    RGNDATAHEADER h;
    std::memcpy(static_cast<void*>(&h), static_cast<const void*>(data), sizeof h);
    if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
    if (h.nCount > (count - sizeof(RGNDATAHEADER)) / sizeof(TRect)) return nullptr;
    std::vector<TRect> rects(h.nCount);
    if (h.nCount)
        std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + sizeof(RGNDATAHEADER),
                    size_t(h.nCount) * sizeof(TRect));
    for (TRect& r : rects) r = Normalized(r.Left, r.Top, r.Right, r.Bottom);
    return CreateRegionHandle(TRegion::FromRects(rects));
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* buf)
{
    const TRegion* r = RegionOf(rgn);
    if (!r) return 0;
    std::vector<TRect> rects = r->Rects();
    DWORD need = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(TRect));
    if (!buf || size < need) return need;
    RGNDATAHEADER h;
    h.dwSize = sizeof(RGNDATAHEADER);
    h.iType = RDH_RECTANGLES;
    h.nCount = DWORD(rects.size());
    h.nRgnSize = DWORD(rects.size() * sizeof(TRect));
    h.rcBound = r->Bounds();
    std::memcpy(static_cast<void*>(buf), static_cast<const void*>(&h), sizeof h);
    if (!rects.empty())
        std::memcpy(reinterpret_cast<char*>(buf) + sizeof h, rects.data(), rects.size() * sizeof(TRect));
    return need;
}
