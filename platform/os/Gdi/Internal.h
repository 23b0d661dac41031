// Internals shared by the drawing layer's sources: the registry of live
// objects and device contexts, and the drawing target of a DC. The parts of
// the Gdi unit (Objects.cpp, Draw.cpp, Blit.cpp) and the os units that draw or
// own GDI objects (Region, Text, SysColors, GdiIcon, Window) include it.
#pragma once
#include "platform/os/Gdi.h"

namespace gdi
{
// Registry of live objects: handles are checked against it, so a stale or
// foreign handle fails the call instead of crashing.
void RegisterRaw(GdiObject* o);
bool IsLive(const GdiObject* o);
template <class T>
T* Register(T* o)
{
    RegisterRaw(o);
    return o;
}
template <class T>
T* Lookup(HGDIOBJ h, GdiKind k)
{
    if (!h || !IsLive(h) || h->Kind != k) return nullptr;
    return static_cast<T*>(h);
}
// Selection counting (a deleted object lives until its last selection goes).
void AddRef(GdiObject* o);
void Release(GdiObject* o);
// Marks a stock object (created once, never freed).
GdiObject* MakeStock(GdiObject* o);

bool IsLiveDC(HDC dc);
// Stock fonts, defined with the text code.
HFONT StockFont(int which);

// 24-bit DIB sections keep a 32-bit copy in step with their bits: all of
// it, or the part inside area (surface coordinates).
void SyncIn(GdiBitmap* b, const TRect* area = nullptr);
void SyncOut(GdiBitmap* b, const TRect* area = nullptr);

// The pixels a DC draws on right now, with its clip in surface coordinates.
// A writing target puts the pixels of a 24-bit DIB section back when done.
class DrawTarget
{
public:
    // pixels false: only the clip and coordinates are wanted (no copy-in of
    // a 24-bit section's bits). area (logical, positive extents): the call
    // reads and writes no pixel outside it, so only it is synced.
    explicit DrawTarget(HDC dc, bool writes = true, bool pixels = true, const TRect* area = nullptr);
    ~DrawTarget();
    DrawTarget(const DrawTarget&) = delete;
    DrawTarget& operator=(const DrawTarget&) = delete;

    explicit operator bool() const { return surf_ != nullptr; }
    TSurface& Surface() { return *surf_; }
    // Clip in surface coordinates (never beyond the surface).
    const TRegion& Clip() const { return *clip_; }
    // Add to a logical point to get a surface point.
    TPoint Shift() const { return shift_; }
    TPoint ToSurface(int x, int y) const { return TPoint(x + shift_.X, y + shift_.Y); }
    TRect ToSurface(const TRect& r) const
    {
        return TRect(r.Left + shift_.X, r.Top + shift_.Y, r.Right + shift_.X, r.Bottom + shift_.Y);
    }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    TSurface* surf_ = nullptr;
    const TRegion* clip_ = nullptr;
    TPoint shift_;
    GdiBitmap* dib24_ = nullptr;
    bool writes_;
    bool hasArea_ = false;
    TRect area_;   // surface coordinates
};

// Logical -> device offset of a DC.
inline TPoint DeviceShift(const DeviceContext* dc)
{
    return TPoint(dc->S.ViewportOrg.X - dc->S.WindowOrg.X, dc->S.ViewportOrg.Y - dc->S.WindowOrg.Y);
}
// The surface a DC currently uses (memory DCs: the selected bitmap's).
TSurface* SurfaceOf(HDC dc, GdiBitmap** dib24 = nullptr);

// Coordinates beyond this magnitude are refused by the drawing calls, so
// that no sum of coordinates, origins and extents can overflow.
constexpr long long kCoordLimit = 1LL << 28;
template <class... T>
bool Sane(T... v)
{
    return ((static_cast<long long>(v) > -kCoordLimit && static_cast<long long>(v) < kCoordLimit) && ...);
}
inline bool Sane(const TRect& r) { return Sane(r.Left, r.Top, r.Right, r.Bottom); }

// Raster helpers shared by the drawing sources.
TPixel BlendOver(TPixel dst, TPixel color, int coverage);   // straight alpha
TPixel ApplyRop2(int rop2, TPixel dst, TPixel pen);
}  // namespace gdi
