// GDI objects, device contexts, their state, origins and clipping.
#include "platform/os/Gdi.h"

#include "platform/core/Exception.h"
#include "platform/os/Gdi/Internal.h"
#include "platform/os/Text.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_set>

namespace gdi
{
namespace
{
std::mutex& RegMutex()
{
    static std::mutex m;
    return m;
}
std::unordered_set<const GdiObject*>& Objects()
{
    static auto* s = new std::unordered_set<const GdiObject*>;
    return *s;
}
std::unordered_set<const DeviceContext*>& Dcs()
{
    static auto* s = new std::unordered_set<const DeviceContext*>;
    return *s;
}
// A region as large as any surface: "no clip region" when one is combined.
const TRect kEverything(-(1 << 28), -(1 << 28), 1 << 28, 1 << 28);

// The object is destroyed at once, but its memory is handed back only after
// thousands of later deletions: a handle used after its object went (a region
// deleted twice, say) then names no object instead of a newer one at the same
// address.
void Retire(GdiObject* o)
{
    static std::mutex mx;
    // Never destroyed, so the blocks it holds stay reachable to the end.
    static auto* kept = new std::deque<void*>;
    constexpr std::size_t kKept = 4096;
    o->~GdiObject();
    void* oldest = nullptr;
    {
        std::lock_guard<std::mutex> g(mx);
        kept->push_back(o);
        if (kept->size() > kKept)
        {
            oldest = kept->front();
            kept->pop_front();
        }
    }
    ::operator delete(oldest);
}

void Destroy(GdiObject* o)
{
    {
        std::lock_guard<std::mutex> g(RegMutex());
        Objects().erase(o);
    }
    Retire(o);
}
}  // namespace

void RegisterRaw(GdiObject* o)
{
    std::lock_guard<std::mutex> g(RegMutex());
    Objects().insert(o);
}

bool IsLive(const GdiObject* o)
{
    if (!o) return false;
    std::lock_guard<std::mutex> g(RegMutex());
    return Objects().count(o) != 0;
}

GdiObject* MakeStock(GdiObject* o)
{
    o->Stock = true;
    RegisterRaw(o);
    return o;
}

void AddRef(GdiObject* o)
{
    if (o) ++o->Refs;
}

void Release(GdiObject* o)
{
    if (!o) return;
    if (--o->Refs > 0) return;
    o->Refs = 0;
    o->SelectedIn = nullptr;
    if (o->DeletePending && !o->Stock) Destroy(o);
}

bool IsLiveDC(HDC dc)
{
    if (!dc) return false;
    std::lock_guard<std::mutex> g(RegMutex());
    return Dcs().count(dc) != 0;
}

namespace
{
// The rows and columns of a bitmap's surface to sync: all, or the part of
// area inside the surface (empty when none).
TRect SyncArea(const GdiBitmap* b, const TRect* area)
{
    TRect r = b->Surface.Bounds();
    if (area && !IntersectRect(r, r, *area)) return TRect();
    return r;
}
}  // namespace

void SyncIn(GdiBitmap* b, const TRect* area)
{
    if (!b || b->BitsPerPixel != 24) return;
    const TRect r = SyncArea(b, area);
    if (r.IsEmpty()) return;
    const int h = b->Surface.Height();
    const bool bottomUp = b->Header.biHeight > 0;
    static_assert(std::endian::native == std::endian::little);
    for (int y = r.Top; y < r.Bottom; ++y)
    {
        const unsigned char* src =
            b->DibMemory.data() + size_t(bottomUp ? h - 1 - y : y) * b->DibStride + size_t(r.Left) * 3;
        TPixel* dst = b->Surface.Row(y);
        // B, G, R bytes read as one little-endian word (its fourth byte is
        // the next pixel's), all but the run's last pixel.
        int x = r.Left;
        for (; x + 1 < r.Right; ++x, src += 3)
        {
            std::uint32_t v;
            std::memcpy(&v, src, 4);
            dst[x] = v | 0xFF000000u;
        }
        dst[x] = 0xFF000000u | TPixel(src[2]) << 16 | TPixel(src[1]) << 8 | src[0];
    }
}

void SyncOut(GdiBitmap* b, const TRect* area)
{
    if (!b || b->BitsPerPixel != 24) return;
    const TRect r = SyncArea(b, area);
    if (r.IsEmpty()) return;
    const int h = b->Surface.Height();
    const bool bottomUp = b->Header.biHeight > 0;
    for (int y = r.Top; y < r.Bottom; ++y)
    {
        unsigned char* dst =
            b->DibMemory.data() + size_t(bottomUp ? h - 1 - y : y) * b->DibStride + size_t(r.Left) * 3;
        const TPixel* src = b->Surface.Row(y);
        // All but the run's last pixel as 4-byte stores whose fourth byte the
        // next pixel then overwrites.
        int x = r.Left;
        for (; x + 1 < r.Right; ++x, dst += 3) std::memcpy(dst, &src[x], 4);
        const TPixel last = src[x];
        dst[0] = BYTE(last);
        dst[1] = BYTE(last >> 8);
        dst[2] = BYTE(last >> 16);
    }
}

TSurface* SurfaceOf(HDC dc, GdiBitmap** dib24)
{
    if (dib24) *dib24 = nullptr;
    if (dc->Memory)
    {
        auto* b = static_cast<GdiBitmap*>(dc->S.Bitmap);
        if (!b) return nullptr;
        if (dib24 && b->BitsPerPixel == 24) *dib24 = b;
        return &b->Surface;
    }
    return dc->Target;
}

namespace
{
const TRegion& EffectiveClip(DeviceContext* dc, TSurface* s)
{
    if (!dc->ClipStale && dc->ClipSurf == s && dc->ClipW == s->Width() && dc->ClipH == s->Height())
        return dc->EffClip;
    TRegion r(TRect(-dc->Origin.X, -dc->Origin.Y, s->Width() - dc->Origin.X, s->Height() - dc->Origin.Y));
    if (dc->HasVisRgn) r &= dc->VisRgn;
    if (dc->S.HasClip) r &= dc->S.Clip;
    r.Offset(dc->Origin.X, dc->Origin.Y);
    dc->EffClip = std::move(r);
    dc->ClipStale = false;
    dc->ClipSurf = s;
    dc->ClipW = s->Width();
    dc->ClipH = s->Height();
    return dc->EffClip;
}
}  // namespace

DrawTarget::DrawTarget(HDC dc, bool writes, bool pixels, const TRect* area) : dc_(dc), writes_(writes && pixels)
{
    if (!IsLiveDC(dc)) return;
    TSurface* s = SurfaceOf(dc, &dib24_);
    if (!s) return;
    surf_ = s;
    clip_ = &EffectiveClip(dc, s);
    TPoint d = DeviceShift(dc);
    shift_ = TPoint(d.X + dc->Origin.X, d.Y + dc->Origin.Y);
    if (!dib24_ || !pixels)
    {
        writes_ = false;
        return;
    }
    // A call that names the rectangle it reads and writes syncs only that
    // (a small piece copied out of a large picture would otherwise convert
    // the whole picture twice).
    hasArea_ = area != nullptr;
    if (area) area_ = ToSurface(*area);
    SyncIn(dib24_, hasArea_ ? &area_ : nullptr);
}

DrawTarget::~DrawTarget()
{
    if (surf_ && dib24_ && writes_) SyncOut(dib24_, hasArea_ ? &area_ : nullptr);
}

TPixel BlendOver(TPixel dst, TPixel color, int a)
{
    if (a <= 0) return dst;
    if (a >= 255) return color | 0xFF000000u;
    const int da = PixelA(dst);
    if (da == 255)
    {
        auto mix = [a](int c, int d) { return (c * a + d * (255 - a) + 127) / 255; };
        return MakePixel(BYTE(mix(PixelR(color), PixelR(dst))), BYTE(mix(PixelG(color), PixelG(dst))),
                         BYTE(mix(PixelB(color), PixelB(dst))), 255);
    }
    // Straight alpha "over": the result keeps partial coverage.
    const int outA = a + (da * (255 - a) + 127) / 255;
    if (outA == 0) return 0;
    auto mix = [&](int c, int d) { return (c * a * 255 + d * da * (255 - a) + outA * 255 / 2) / (outA * 255); };
    return MakePixel(BYTE(mix(PixelR(color), PixelR(dst))), BYTE(mix(PixelG(color), PixelG(dst))),
                     BYTE(mix(PixelB(color), PixelB(dst))), BYTE(outA));
}

TPixel ApplyRop2(int rop2, TPixel d, TPixel p)
{
    const TPixel dc = d & 0xFFFFFF, pc = p & 0xFFFFFF;
    TPixel r;
    switch (rop2)
    {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(dc | pc); break;
    case R2_MASKNOTPEN: r = dc & ~pc; break;
    case R2_NOTCOPYPEN: r = ~pc; break;
    case R2_MASKPENNOT: r = pc & ~dc; break;
    case R2_NOT: r = ~dc; break;
    case R2_XORPEN: r = dc ^ pc; break;
    case R2_NOTMASKPEN: r = ~(dc & pc); break;
    case R2_MASKPEN: r = dc & pc; break;
    case R2_NOTXORPEN: r = ~(dc ^ pc); break;
    case R2_NOP: return d;
    case R2_MERGENOTPEN: r = dc | ~pc; break;
    case R2_MERGEPENNOT: r = pc | ~dc; break;
    case R2_MERGEPEN: r = dc | pc; break;
    case R2_WHITE: r = 0xFFFFFF; break;
    default: r = pc; break;   // R2_COPYPEN
    }
    return (r & 0xFFFFFF) | 0xFF000000u;
}
}  // namespace gdi

using namespace gdi;

// ---- objects -------------------------------------------------------------------

namespace
{
HBITMAP StockBitmap()
{
    static HBITMAP bmp = [] {
        auto* b = new GdiBitmap;
        b->Surface = TSurface(1, 1);
        return MakeStock(b);
    }();
    return bmp;
}

HGDIOBJ MakeStockBrush(UINT style, COLORREF c)
{
    auto* b = new GdiBrush;
    b->Log.lbStyle = style;
    b->Log.lbColor = c;
    return MakeStock(b);
}

HGDIOBJ MakeStockPen(int style, COLORREF c)
{
    auto* p = new GdiPen;
    p->Log.lopnStyle = UINT(style);
    p->Log.lopnWidth = TPoint(1, 0);
    p->Log.lopnColor = c;
    return MakeStock(p);
}

DeviceContext* CheckedDC(HDC dc) { return IsLiveDC(dc) ? dc : nullptr; }

void ReleaseState(DcState& s)
{
    Release(s.Pen);
    Release(s.Brush);
    Release(s.Font);
    Release(s.Bitmap);
}

void RefState(DcState& s)
{
    AddRef(s.Pen);
    AddRef(s.Brush);
    AddRef(s.Font);
    AddRef(s.Bitmap);
}

int ClipKind(HDC dc)
{
    TRect box;
    return GetClipBox(dc, &box);
}
}  // namespace

HGDIOBJ GetStockObject(int which)
{
    static std::once_flag once;
    static HGDIOBJ stock[9];
    std::call_once(once, [] {
        stock[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
        stock[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(192, 192, 192));
        stock[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(128, 128, 128));
        stock[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(64, 64, 64));
        stock[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, RGB(0, 0, 0));
        stock[NULL_BRUSH] = MakeStockBrush(BS_NULL, 0);
        stock[WHITE_PEN] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
        stock[BLACK_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        stock[NULL_PEN] = MakeStockPen(PS_NULL, 0);
    });
    if (which >= 0 && which <= NULL_PEN) return stock[which];
    if (which == ANSI_VAR_FONT || which == SYSTEM_FONT || which == DEFAULT_GUI_FONT) return StockFont(which);
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ obj)
{
    if (!IsLive(obj)) return FALSE;
    if (obj->Stock) return TRUE;
    if (obj->Refs > 0)
    {
        obj->DeletePending = true;
        return TRUE;
    }
    Destroy(obj);
    return TRUE;
}

bool IsGdiObject(HGDIOBJ h) { return IsLive(h); }

UINT GetObjectType(HGDIOBJ h)
{
    if (!IsLive(h)) return 0;
    switch (h->Kind)
    {
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Pen: return OBJ_PEN;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Region: return OBJ_REGION;
    }
    return 0;
}

int GetObject(HGDIOBJ h, int size, void* out)
{
    if (!IsLive(h) || size < 0) return 0;
    auto put = [&](const auto& v) -> int {
        const int n = int(sizeof v);
        if (!out) return n;
        if (size < n) return 0;
        std::memcpy(out, &v, sizeof v);
        return n;
    };
    switch (h->Kind)
    {
    case GdiKind::Bitmap:
    {
        auto* b = static_cast<GdiBitmap*>(h);
        BITMAP bm;
        bm.bmWidth = b->Surface.Width();
        bm.bmHeight = b->Surface.Height();
        bm.bmBitsPixel = WORD(b->BitsPerPixel);
        bm.bmWidthBytes = b->IsDib ? b->DibStride : b->Surface.Width() * 4;
        bm.bmBits = b->IsDib ? b->DibMemory.data() : nullptr;
        if (b->IsDib && (!out || size >= int(sizeof(DIBSECTION))))
        {
            DIBSECTION ds;
            ds.dsBm = bm;
            ds.dsBmih = b->Header;
            return put(ds);
        }
        return put(bm);
    }
    case GdiKind::Brush: return put(static_cast<GdiBrush*>(h)->Log);
    case GdiKind::Pen: return put(static_cast<GdiPen*>(h)->Log);
    case GdiKind::Font: return put(static_cast<GdiFont*>(h)->Log);
    case GdiKind::Region: return 0;
    }
    return 0;
}

HBRUSH CreateSolidBrush(COLORREF c)
{
    LOGBRUSH lb;
    lb.lbStyle = BS_SOLID;
    lb.lbColor = c & 0xFFFFFF;
    return CreateBrushIndirect(lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& lb)
{
    if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_NULL) return nullptr;
    auto* b = new GdiBrush;
    b->Log = lb;
    return Register(b);
}

HPEN CreatePen(int style, int width, COLORREF c)
{
    LOGPEN lp;
    lp.lopnStyle = UINT(style);
    lp.lopnWidth = TPoint(width, 0);
    lp.lopnColor = c & 0xFFFFFF;
    return CreatePenIndirect(lp);
}

HPEN CreatePenIndirect(const LOGPEN& lp)
{
    if (lp.lopnStyle > PS_INSIDEFRAME) return nullptr;
    auto* p = new GdiPen;
    p->Log = lp;
    if (p->Log.lopnWidth.X < 1) p->Log.lopnWidth.X = 1;
    // Styled lines exist only one pixel wide; wider ones are solid.
    if (p->Log.lopnWidth.X > 1 && lp.lopnStyle >= PS_DASH && lp.lopnStyle <= PS_DASHDOTDOT)
        p->Log.lopnStyle = PS_SOLID;
    return Register(p);
}

// ---- bitmaps ---------------------------------------------------------------------

HBITMAP CreateCompatibleBitmap(HDC, int w, int h)
{
    if (w < 0 || h < 0) return nullptr;
    if (w == 0 || h == 0) w = h = 1;
    auto* b = new GdiBitmap;
    try
    {
        b->Surface = TSurface(w, h);
    }
    catch (const std::exception&)
    {
        delete b;
        return nullptr;
    }
    return Register(b);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT, void** bits, HANDLE, DWORD)
{
    if (bits) *bits = nullptr;
    if (!bmi) return nullptr;
    const BITMAPINFOHEADER& hd = bmi->bmiHeader;
    if (hd.biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
    if (hd.biBitCount != 24 && hd.biBitCount != 32) return nullptr;
    if (hd.biCompression != BI_RGB && !(hd.biCompression == BI_BITFIELDS && hd.biBitCount == 32))
        return nullptr;
    const long long w = hd.biWidth, h = std::llabs(static_cast<long long>(hd.biHeight));
    if (w <= 0 || h <= 0 || w * h > (1LL << 28)) return nullptr;
    auto* b = new GdiBitmap;
    b->IsDib = true;
    b->Header = hd;
    b->Header.biSize = sizeof(BITMAPINFOHEADER);
    b->BitsPerPixel = hd.biBitCount;
    b->DibStride = int(((w * hd.biBitCount + 31) / 32) * 4);
    b->Header.biSizeImage = DWORD(b->DibStride * h);
    try
    {
        b->DibMemory.assign(size_t(b->DibStride) * size_t(h), 0);
        if (b->BitsPerPixel == 32)
            b->Surface = TSurface::Wrap(b->DibMemory.data(), int(w), int(h), b->DibStride, hd.biHeight > 0);
        else
            b->Surface = TSurface(int(w), int(h));
    }
    catch (const std::exception&)
    {
        delete b;
        return nullptr;
    }
    if (bits) *bits = b->DibMemory.data();
    return Register(b);
}

TSurface* GetBitmapSurface(HBITMAP bmp)
{
    auto* b = Lookup<GdiBitmap>(bmp, GdiKind::Bitmap);
    if (!b) return nullptr;
    SyncIn(b);
    return &b->Surface;
}

// ---- device contexts -----------------------------------------------------------------

namespace
{
HDC NewDC(bool memory)
{
    auto* dc = new DeviceContext;
    dc->Memory = memory;
    dc->S.Pen = GetStockObject(BLACK_PEN);
    dc->S.Brush = GetStockObject(WHITE_BRUSH);
    dc->S.Font = GetStockObject(SYSTEM_FONT);
    if (memory) dc->S.Bitmap = StockBitmap();
    RefState(dc->S);
    std::lock_guard<std::mutex> g(RegMutex());
    Dcs().insert(dc);
    return dc;
}
}  // namespace

HDC CreateSurfaceDC(TSurface* surface, TPoint origin, const TRegion& visible)
{
    HDC dc = NewDC(false);
    SetSurfaceDC(dc, surface, origin, visible);
    return dc;
}

void SetSurfaceDC(HDC dc, TSurface* surface, TPoint origin, const TRegion& visible)
{
    if (!CheckedDC(dc) || dc->Memory) return;
    dc->Target = surface;
    dc->Origin = origin;
    dc->HasVisRgn = true;
    dc->VisRgn = visible;
    dc->ClipStale = true;
}

HDC CreateCompatibleDC(HDC) { return NewDC(true); }

BOOL DeleteDC(HDC dc)
{
    if (!CheckedDC(dc)) return FALSE;
    {
        std::lock_guard<std::mutex> g(RegMutex());
        Dcs().erase(dc);
    }
    ReleaseState(dc->S);
    for (DcState& s : dc->Saved) ReleaseState(s);
    delete dc;
    return TRUE;
}

TSurface* GetDCSurface(HDC dc)
{
    if (!CheckedDC(dc)) return nullptr;
    GdiBitmap* dib24 = nullptr;
    TSurface* s = SurfaceOf(dc, &dib24);
    if (dib24) SyncIn(dib24);
    return s;
}

BOOL GetDCOrgEx(HDC dc, TPoint* origin)
{
    if (!CheckedDC(dc)) return FALSE;
    if (origin) *origin = dc->Origin;
    return TRUE;
}

int SaveDC(HDC dc)
{
    if (!CheckedDC(dc)) return 0;
    dc->Saved.push_back(dc->S);
    RefState(dc->Saved.back());
    return int(dc->Saved.size());
}

BOOL RestoreDC(HDC dc, int level)
{
    if (!CheckedDC(dc)) return FALSE;
    const int n = int(dc->Saved.size());
    const int idx = level < 0 ? n + level : level - 1;
    if (level == 0 || idx < 0 || idx >= n) return FALSE;
    ReleaseState(dc->S);
    dc->S = std::move(dc->Saved[size_t(idx)]);   // its references pass to the current state
    for (int i = idx + 1; i < n; ++i) ReleaseState(dc->Saved[size_t(i)]);
    dc->Saved.resize(size_t(idx));
    if (dc->S.Bitmap) dc->S.Bitmap->SelectedIn = dc->S.Bitmap->Stock ? nullptr : dc;
    dc->ClipStale = true;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj)
{
    if (!CheckedDC(dc) || !IsLive(obj)) return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (obj->Kind)
    {
    case GdiKind::Pen: slot = &dc->S.Pen; break;
    case GdiKind::Brush: slot = &dc->S.Brush; break;
    case GdiKind::Font: slot = &dc->S.Font; break;
    case GdiKind::Bitmap:
        if (!dc->Memory) return nullptr;
        if (!obj->Stock && obj->SelectedIn && obj->SelectedIn != dc) return nullptr;
        slot = &dc->S.Bitmap;
        dc->ClipStale = true;
        break;
    case GdiKind::Region:
        return reinterpret_cast<HGDIOBJ>(std::intptr_t(SelectClipRgn(dc, obj)));
    }
    if (obj->DeletePending) return nullptr;
    HGDIOBJ old = *slot;
    AddRef(obj);
    if (obj->Kind == GdiKind::Bitmap && !obj->Stock) obj->SelectedIn = dc;
    *slot = obj;
    Release(old);
    return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    if (!CheckedDC(dc)) return nullptr;
    switch (type)
    {
    case OBJ_PEN: return dc->S.Pen;
    case OBJ_BRUSH: return dc->S.Brush;
    case OBJ_FONT: return dc->S.Font;
    case OBJ_BITMAP: return dc->Memory ? dc->S.Bitmap : nullptr;
    default: return nullptr;
    }
}

#define DC_ACCESSOR(SetName, GetName, Type, Field, Bad)            \
    Type SetName(HDC dc, Type v)                                   \
    {                                                              \
        if (!CheckedDC(dc)) return Bad;                            \
        Type old = dc->S.Field;                                    \
        dc->S.Field = v;                                           \
        return old;                                                \
    }                                                              \
    Type GetName(HDC dc) { return CheckedDC(dc) ? dc->S.Field : Bad; }

DC_ACCESSOR(SetTextColor, GetTextColor, COLORREF, TextColor, CLR_INVALID)
DC_ACCESSOR(SetBkColor, GetBkColor, COLORREF, BkColor, CLR_INVALID)
#undef DC_ACCESSOR

int SetBkMode(HDC dc, int mode)
{
    if (!CheckedDC(dc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = dc->S.BkMode;
    dc->S.BkMode = mode;
    return old;
}
int GetBkMode(HDC dc) { return CheckedDC(dc) ? dc->S.BkMode : 0; }

int SetROP2(HDC dc, int mode)
{
    if (!CheckedDC(dc) || mode < R2_BLACK || mode > R2_WHITE) return 0;
    int old = dc->S.Rop2;
    dc->S.Rop2 = mode;
    return old;
}
int GetROP2(HDC dc) { return CheckedDC(dc) ? dc->S.Rop2 : 0; }

int SetStretchBltMode(HDC dc, int mode)
{
    if (!CheckedDC(dc) || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int old = dc->S.StretchMode;
    dc->S.StretchMode = mode;
    return old;
}
int GetStretchBltMode(HDC dc) { return CheckedDC(dc) ? dc->S.StretchMode : 0; }

int SetPolyFillMode(HDC dc, int mode)
{
    if (!CheckedDC(dc) || (mode != ALTERNATE && mode != WINDING)) return 0;
    int old = dc->S.PolyFillMode;
    dc->S.PolyFillMode = mode;
    return old;
}

// ---- origins ---------------------------------------------------------------------------

namespace
{
BOOL SetOrg(HDC dc, TPoint DcState::*field, int x, int y, TPoint* old)
{
    if (!CheckedDC(dc) || !Sane(x, y)) return FALSE;
    if (old) *old = dc->S.*field;
    dc->S.*field = TPoint(x, y);
    return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) { return SetOrg(dc, &DcState::WindowOrg, x, y, old); }
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) { return SetOrg(dc, &DcState::ViewportOrg, x, y, old); }

BOOL GetWindowOrgEx(HDC dc, TPoint* org)
{
    if (!CheckedDC(dc)) return FALSE;
    if (org) *org = dc->S.WindowOrg;
    return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, TPoint* org)
{
    if (!CheckedDC(dc)) return FALSE;
    if (org) *org = dc->S.ViewportOrg;
    return TRUE;
}

BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old)
{
    if (!CheckedDC(dc)) return FALSE;
    TPoint o = dc->S.WindowOrg;
    if (!Sane(dx, dy)) return FALSE;
    return SetWindowOrgEx(dc, o.X + dx, o.Y + dy, old);
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old)
{
    if (!CheckedDC(dc)) return FALSE;
    TPoint o = dc->S.ViewportOrg;
    if (!Sane(dx, dy)) return FALSE;
    return SetViewportOrgEx(dc, o.X + dx, o.Y + dy, old);
}

BOOL LPtoDP(HDC dc, TPoint* pts, int count)
{
    if (!CheckedDC(dc) || (count > 0 && !pts)) return FALSE;
    for (int i = 0; i < count; ++i)
        if (!Sane(pts[i].X, pts[i].Y)) return FALSE;
    TPoint d = DeviceShift(dc);
    for (int i = 0; i < count; ++i) pts[i] = TPoint(pts[i].X + d.X, pts[i].Y + d.Y);
    return TRUE;
}

BOOL DPtoLP(HDC dc, TPoint* pts, int count)
{
    if (!CheckedDC(dc) || (count > 0 && !pts)) return FALSE;
    for (int i = 0; i < count; ++i)
        if (!Sane(pts[i].X, pts[i].Y)) return FALSE;
    TPoint d = DeviceShift(dc);
    for (int i = 0; i < count; ++i) pts[i] = TPoint(pts[i].X - d.X, pts[i].Y - d.Y);
    return TRUE;
}

// ---- clipping -----------------------------------------------------------------------------

namespace
{
TRect LogicalToDevice(HDC dc, int l, int t, int r, int b)
{
    TPoint d = DeviceShift(dc);
    return TRect(std::min(l, r) + d.X, std::min(t, b) + d.Y, std::max(l, r) + d.X, std::max(t, b) + d.Y);
}
}  // namespace

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (!CheckedDC(dc) || !Sane(left, top, right, bottom)) return RGN_ERROR;
    TRegion r(LogicalToDevice(dc, left, top, right, bottom));
    dc->S.Clip = dc->S.HasClip ? dc->S.Clip.Intersect(r) : r;
    dc->S.HasClip = true;
    dc->ClipStale = true;
    return ClipKind(dc);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom)
{
    if (!CheckedDC(dc) || !Sane(left, top, right, bottom)) return RGN_ERROR;
    TRegion r(LogicalToDevice(dc, left, top, right, bottom));
    TRegion base = dc->S.HasClip ? dc->S.Clip : TRegion(kEverything);
    dc->S.Clip = base.Subtract(r);
    dc->S.HasClip = true;
    dc->ClipStale = true;
    return ClipKind(dc);
}

int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode)
{
    if (!CheckedDC(dc)) return RGN_ERROR;
    const TRegion* r = RegionOf(rgn);
    if (!rgn && mode == RGN_COPY)
    {
        dc->S.HasClip = false;
        dc->S.Clip.Clear();
        dc->ClipStale = true;
        return ClipKind(dc);
    }
    if (!r) return RGN_ERROR;
    const TRegion base = dc->S.HasClip ? dc->S.Clip : TRegion(kEverything);
    switch (mode)
    {
    case RGN_COPY: dc->S.Clip = *r; break;
    case RGN_AND: dc->S.Clip = base.Intersect(*r); break;
    case RGN_OR: dc->S.Clip = base.Union(*r); break;
    case RGN_XOR: dc->S.Clip = base.Xor(*r); break;
    case RGN_DIFF: dc->S.Clip = base.Subtract(*r); break;
    default: return RGN_ERROR;
    }
    dc->S.HasClip = true;
    dc->ClipStale = true;
    return ClipKind(dc);
}

int OffsetClipRgn(HDC dc, int dx, int dy)
{
    if (!CheckedDC(dc) || !Sane(dx, dy)) return RGN_ERROR;
    if (dc->S.HasClip)
    {
        const TRect b = dc->S.Clip.Bounds();
        if (!Sane(b.Left + (long long)dx, b.Right + (long long)dx, b.Top + (long long)dy, b.Bottom + (long long)dy))
            return RGN_ERROR;
        dc->S.Clip.Offset(dx, dy);
        dc->ClipStale = true;
    }
    return ClipKind(dc);
}

int GetClipBox(HDC dc, TRect* box)
{
    DrawTarget t(dc, false, false);
    if (!t)
    {
        if (box) *box = TRect();
        return CheckedDC(dc) ? NULLREGION : RGN_ERROR;
    }
    const TRegion& c = t.Clip();
    TRect b = c.Bounds();
    if (box)
        *box = c.IsEmpty() ? TRect()
                           : TRect(b.Left - t.Shift().X, b.Top - t.Shift().Y, b.Right - t.Shift().X,
                                   b.Bottom - t.Shift().Y);
    if (c.IsEmpty()) return NULLREGION;
    return c.IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

int GetClipRgn(HDC dc, HRGN rgn)
{
    if (!CheckedDC(dc)) return -1;
    TRegion* r = MutableRegionOf(rgn);
    if (!r) return -1;
    if (!dc->S.HasClip) return 0;
    *r = dc->S.Clip;
    return 1;
}

BOOL PtVisible(HDC dc, int x, int y)
{
    DrawTarget t(dc, false, false);
    if (!t) return FALSE;
    TPoint p = t.ToSurface(x, y);
    return t.Clip().Contains(p);
}

BOOL RectVisible(HDC dc, const TRect& r)
{
    DrawTarget t(dc, false, false);
    if (!t) return FALSE;
    return t.Clip().Intersects(t.ToSurface(r));
}

int GetDeviceCaps(HDC dc, int index)
{
    switch (index)
    {
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZRES:
    case VERTRES:
    {
        TSurface* s = CheckedDC(dc) ? SurfaceOf(dc) : nullptr;
        if (!s) return 0;
        return index == HORZRES ? s->Width() : s->Height();
    }
    default: return 0;
    }
}
