// Copies between device contexts and from DIB bits: plain, scaled,
// colour-keyed and alpha-blended.
#include "platform/os/Gdi.h"
#include "platform/os/Gdi/Internal.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

using namespace gdi;

namespace
{
// A rectangle given as position and signed extents, normalised to positive
// extents plus mirror flags. A negative extent runs back from the position,
// which stays included: (2, -3) covers 0, 1, 2.
struct Span2
{
    TRect r;
    bool mx = false, my = false;
};
Span2 Normalize(int x, int y, int w, int h)
{
    Span2 s;
    if (w < 0) { x += w + 1; w = -w; s.mx = true; }
    if (h < 0) { y += h + 1; h = -h; s.my = true; }
    s.r = TRect(x, y, x + w, y + h);
    return s;
}

// Plain copy of a source pixel (SRCCOPY); a blit at 1:1 with it copies
// whole rows.
struct CopyPixel
{
    void operator()(TPixel& d, TPixel s) const { d = s; }
};

// Nearest-pixel copy of srcRect of src onto dstRect (surface coordinates of
// the target), inside the target's clip. Source pixels outside src are not
// drawn. f(dst&, src) combines one pixel.
template <class F>
void BlitCore(DrawTarget& t, const TRect& dstRect, const TSurface& srcIn, TRect srcRect, bool mx, bool my, F f)
{
    if (dstRect.IsEmpty() || srcRect.IsEmpty() || srcIn.Empty()) return;
    const TSurface* src = &srcIn;
    // Reading and writing the same pixels: work from a copy of the source.
    std::optional<TSurface> copy;
    if (&srcIn == &t.Surface() ||
        (srcIn.Memory() == t.Surface().Memory() && srcIn.Memory() != nullptr))
    {
        TRect in;
        if (!IntersectRect(in, srcRect, srcIn.Bounds())) return;
        copy.emplace(in.Width(), in.Height());
        for (int y = 0; y < in.Height(); ++y)
            std::memcpy(copy->Row(y), srcIn.Row(in.Top + y) + in.Left, size_t(in.Width()) * 4);
        OffsetRect(srcRect, -in.Left, -in.Top);
        src = &*copy;
    }
    const int dw = dstRect.Width(), dh = dstRect.Height();
    const int sw = srcRect.Width(), sh = srcRect.Height();
    // Maps from destination columns and rows to source ones, built for the
    // part of the destination the clip lets through only.
    TRect vis;
    if (!IntersectRect(vis, dstRect, t.Clip().Bounds())) return;
    std::vector<int> cols(static_cast<size_t>(vis.Width())), rows(static_cast<size_t>(vis.Height()));
    for (int x = vis.Left; x < vis.Right; ++x)
    {
        const long long i = x - dstRect.Left;
        const int si = int((2 * i + 1) * sw / (2LL * dw));
        cols[size_t(x - vis.Left)] = srcRect.Left + (mx ? sw - 1 - si : si);
    }
    for (int y = vis.Top; y < vis.Bottom; ++y)
    {
        const long long j = y - dstRect.Top;
        const int sj = int((2 * j + 1) * sh / (2LL * dh));
        rows[size_t(y - vis.Top)] = srcRect.Top + (my ? sh - 1 - sj : sj);
    }
    const int srcW = src->Width(), srcH = src->Height();
    TSurface& dst = t.Surface();
    // At 1:1 and unmirrored, column x reads source column x + shift.
    const bool rowCopy = std::is_same_v<F, CopyPixel> && sw == dw && !mx;
    const int shift = srcRect.Left - dstRect.Left;
    for (const TRegion::Band& b : t.Clip().Bands())
    {
        if (b.Bottom <= dstRect.Top) continue;
        if (b.Top >= dstRect.Bottom) break;
        const int y0 = std::max(b.Top, dstRect.Top), y1 = std::min(b.Bottom, dstRect.Bottom);
        for (size_t i = 0; i < b.Xs.size(); i += 2)
        {
            const int x0 = std::max(b.Xs[i], dstRect.Left), x1 = std::min(b.Xs[i + 1], dstRect.Right);
            for (int y = y0; y < y1; ++y)
            {
                const int sy = rows[size_t(y - vis.Top)];
                if (sy < 0 || sy >= srcH) continue;
                const TPixel* srow = src->Row(sy);
                TPixel* drow = dst.Row(y);
                if (rowCopy)
                {
                    const int a = std::max(x0, -shift), e = std::min(x1, srcW - shift);
                    if (a < e) std::memmove(drow + a, srow + a + shift, size_t(e - a) * sizeof(TPixel));
                    continue;
                }
                for (int x = x0; x < x1; ++x)
                {
                    const int sx = cols[size_t(x - vis.Left)];
                    if (sx < 0 || sx >= srcW) continue;
                    f(drow[x], srow[sx]);
                }
            }
        }
    }
}

constexpr TPixel kRgb = 0x00FFFFFFu;

// Positions, extents and their sums within range.
bool SaneBlt(int x, int y, int w, int h, int sx, int sy, int sw, int sh)
{
    return Sane(x, y, w, h, sx, sy, sw, sh, x + (long long)w, y + (long long)h, sx + (long long)sw,
                sy + (long long)sh);
}

bool UsesSource(DWORD rop)
{
    switch (rop)
    {
    case PATCOPY: case PATINVERT: case DSTINVERT: case BLACKNESS: case WHITENESS: return false;
    default: return true;
    }
}

// Combines a source pixel into a destination pixel by a source raster op.
bool SourceRop(DWORD rop, TPixel& d, TPixel s)
{
    switch (rop)
    {
    case SRCCOPY: d = s; return true;
    case SRCPAINT: d = d | s; return true;
    case SRCAND: d = d & s; return true;
    case SRCINVERT: d = d ^ s; return true;
    case SRCERASE: d = s & ~d; return true;
    case NOTSRCCOPY: d = ~s; return true;
    case NOTSRCERASE: d = ~(d | s); return true;
    case MERGEPAINT: d = ~s | d; return true;
    default: return false;
    }
}

bool KnownSourceRop(DWORD rop)
{
    TPixel d = 0;
    return SourceRop(rop, d, 0);
}

// Pattern ops with the selected brush over a surface rectangle.
bool PatternFill(DrawTarget& t, const TRect& r, DWORD rop, std::optional<TPixel> pat)
{
    if (rop != PATCOPY && rop != PATINVERT && rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS)
        return false;
    if ((rop == PATCOPY || rop == PATINVERT) && !pat) return true;   // null brush: nothing
    TSurface& s = t.Surface();
    for (const TRegion::Band& b : t.Clip().Bands())
    {
        if (b.Bottom <= r.Top) continue;
        if (b.Top >= r.Bottom) break;
        for (size_t i = 0; i < b.Xs.size(); i += 2)
        {
            const int x0 = std::max(b.Xs[i], r.Left), x1 = std::min(b.Xs[i + 1], r.Right);
            for (int y = std::max(b.Top, r.Top); y < std::min(b.Bottom, r.Bottom); ++y)
            {
                TPixel* row = s.Row(y);
                for (int x = x0; x < x1; ++x)
                {
                    TPixel& d = row[x];
                    switch (rop)
                    {
                    case PATCOPY: d = *pat | 0xFF000000u; break;
                    case PATINVERT: d = d ^ (*pat & kRgb); break;
                    case DSTINVERT: d = d ^ kRgb; break;
                    case BLACKNESS: d = 0xFF000000u; break;
                    case WHITENESS: d = 0xFFFFFFFFu; break;
                    }
                }
            }
        }
    }
    return true;
}

std::optional<TPixel> BrushPixel(HDC dc)
{
    auto* b = Lookup<GdiBrush>(dc->S.Brush, GdiKind::Brush);
    if (!b || b->Log.lbStyle != BS_SOLID) return std::nullopt;
    return ColorRefToPixel(b->Log.lbColor);
}

// The source rectangle of a DC (logical, signed extents) on its surface.
Span2 SourceSpan(DrawTarget& s, int sx, int sy, int sw, int sh)
{
    Span2 n = Normalize(sx, sy, sw, sh);
    n.r = s.ToSurface(n.r);
    return n;
}

// A DIB given by header and bits, as a surface (32-bit: over the bits;
// 24-bit: converted). rows: how many rows the bits hold.
std::optional<TSurface> DibSurface(const void* bits, const BITMAPINFO* bmi, int rows)
{
    if (!bits || !bmi) return std::nullopt;
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || (h.biBitCount != 24 && h.biBitCount != 32)) return std::nullopt;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && h.biBitCount == 32))
        return std::nullopt;
    const long long w = h.biWidth;
    if (w <= 0 || h.biHeight == 0 || rows <= 0 || w * rows > (1LL << 28)) return std::nullopt;
    const bool bottomUp = h.biHeight > 0;
    const int stride = int(((w * h.biBitCount + 31) / 32) * 4);
    if (h.biBitCount == 32)
        return TSurface::Wrap(const_cast<void*>(bits), int(w), rows, stride, bottomUp);
    TSurface s(int(w), rows);
    const auto* mem = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < rows; ++y)
    {
        const unsigned char* p = mem + size_t(bottomUp ? rows - 1 - y : y) * size_t(stride);
        TPixel* out = s.Row(y);
        for (int x = 0; x < int(w); ++x, p += 3) out[x] = MakePixel(p[2], p[1], p[0]);
    }
    return s;
}

// One pixel of AlphaBlend.
inline void BlendPixel(TPixel& d, TPixel s, unsigned k, bool srcAlpha)
{
    unsigned sc[4] = {PixelB(s), PixelG(s), PixelR(s), PixelA(s)};
    unsigned dc[4] = {PixelB(d), PixelG(d), PixelR(d), PixelA(d)};
    unsigned out[4];
    if (srcAlpha)
    {
        for (unsigned& c : sc) c = (c * k + 127) / 255;
        const unsigned inv = 255 - sc[3];
        for (int i = 0; i < 4; ++i) out[i] = std::min(255u, sc[i] + (dc[i] * inv + 127) / 255);
    }
    else
    {
        for (int i = 0; i < 4; ++i) out[i] = (sc[i] * k + dc[i] * (255 - k) + 127) / 255;
    }
    d = MakePixel(BYTE(out[2]), BYTE(out[1]), BYTE(out[0]), BYTE(out[3]));
}
}  // namespace

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop)
{
    if (!IsLiveDC(dc) || !Sane(x, y, w, h, x + (long long)w, y + (long long)h)) return FALSE;
    Span2 n = Normalize(x, y, w, h);
    DrawTarget t(dc, true, true, &n.r);
    if (!t) return TRUE;
    return PatternFill(t, t.ToSurface(n.r), rop, BrushPixel(dc)) ? TRUE : FALSE;
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop)
{
    if (!UsesSource(rop)) return PatBlt(dst, x, y, w, h, rop);
    if (!KnownSourceRop(rop) || !SaneBlt(x, y, w, h, sx, sy, sw, sh)) return FALSE;
    Span2 d = Normalize(x, y, w, h);
    const Span2 sn = Normalize(sx, sy, sw, sh);
    DrawTarget t(dst, true, true, &d.r);
    DrawTarget s(src, false, true, &sn.r);
    if (!IsLiveDC(dst) || !IsLiveDC(src)) return FALSE;
    if (!t || !s) return TRUE;
    Span2 sr = SourceSpan(s, sx, sy, sw, sh);
    if (rop == SRCCOPY)
        BlitCore(t, t.ToSurface(d.r), s.Surface(), sr.r, d.mx != sr.mx, d.my != sr.my, CopyPixel{});
    else
        BlitCore(t, t.ToSurface(d.r), s.Surface(), sr.r, d.mx != sr.mx, d.my != sr.my,
                 [rop](TPixel& dp, TPixel sp) { SourceRop(rop, dp, sp); });
    return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop)
{
    if (w < 0 || h < 0) return FALSE;
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT transparent)
{
    if (w < 0 || h < 0 || sw < 0 || sh < 0 || !SaneBlt(x, y, w, h, sx, sy, sw, sh)) return FALSE;
    const TRect da(x, y, x + w, y + h), sa(sx, sy, sx + sw, sy + sh);
    DrawTarget t(dst, true, true, &da);
    DrawTarget s(src, false, true, &sa);
    if (!IsLiveDC(dst) || !IsLiveDC(src)) return FALSE;
    if (!t || !s) return TRUE;
    const TPixel key = ColorRefToPixel(transparent) & kRgb;
    BlitCore(t, t.ToSurface(TRect(x, y, x + w, y + h)), s.Surface(), s.ToSurface(TRect(sx, sy, sx + sw, sy + sh)),
             false, false, [key](TPixel& dp, TPixel sp) {
                 if ((sp & kRgb) != key) dp = sp;
             });
    return TRUE;
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend)
{
    if (w < 0 || h < 0 || sw < 0 || sh < 0 || blend.BlendOp != AC_SRC_OVER || !SaneBlt(x, y, w, h, sx, sy, sw, sh))
        return FALSE;
    const TRect da(x, y, x + w, y + h), sa(sx, sy, sx + sw, sy + sh);
    DrawTarget t(dst, true, true, &da);
    DrawTarget s(src, false, true, &sa);
    if (!t || !s) return FALSE;
    const TRect sr = s.ToSurface(TRect(sx, sy, sx + sw, sy + sh));
    if (sr.Left < 0 || sr.Top < 0 || sr.Right > s.Surface().Width() || sr.Bottom > s.Surface().Height())
        return FALSE;
    const unsigned k = blend.SourceConstantAlpha;
    const bool srcAlpha = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    BlitCore(t, t.ToSurface(TRect(x, y, x + w, y + h)), s.Surface(), sr, false, false,
             [k, srcAlpha](TPixel& dp, TPixel sp) { BlendPixel(dp, sp, k, srcAlpha); });
    return TRUE;
}

void AlphaBlendSurface(TSurface& dst, int x, int y, const TSurface& src, const TRect& srcRect,
                       BLENDFUNCTION blend, const TRegion* clip)
{
    TRect sr;
    if (!IntersectRect(sr, srcRect, src.Bounds())) return;
    const int ox = x - srcRect.Left, oy = y - srcRect.Top;   // source -> destination offset
    TRegion area(TRect(sr.Left + ox, sr.Top + oy, sr.Right + ox, sr.Bottom + oy));
    area &= TRegion(dst.Bounds());
    if (clip) area &= *clip;
    const unsigned k = blend.SourceConstantAlpha;
    const bool srcAlpha = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    for (const TRegion::Band& b : area.Bands())
        for (size_t i = 0; i < b.Xs.size(); i += 2)
            for (int yy = b.Top; yy < b.Bottom; ++yy)
            {
                TPixel* drow = dst.Row(yy);
                const TPixel* srow = src.Row(yy - oy);
                for (int xx = b.Xs[i]; xx < b.Xs[i + 1]; ++xx) BlendPixel(drow[xx], srow[xx - ox], k, srcAlpha);
            }
}

int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* bmi, UINT, DWORD rop)
{
    if (!KnownSourceRop(rop) || !bmi || !SaneBlt(x, y, w, h, sx, sy, sw, sh)) return 0;
    const int H = std::abs(bmi->bmiHeader.biHeight);
    std::optional<TSurface> src = DibSurface(bits, bmi, H);
    if (!src) return 0;
    DrawTarget t(dc);
    if (!t) return 0;
    Span2 d = Normalize(x, y, w, h);
    Span2 s = Normalize(sx, sy, sw, sh);
    if (bmi->bmiHeader.biHeight > 0)   // origin at the lower-left corner
    {
        const int top = H - s.r.Bottom;
        s.r = TRect(s.r.Left, top, s.r.Right, top + s.r.Height());
    }
    BlitCore(t, t.ToSurface(d.r), *src, s.r, d.mx != s.mx, d.my != s.my,
             [rop](TPixel& dp, TPixel sp) { SourceRop(rop, dp, sp); });
    return s.r.Height();
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT)
{
    if (!bmi || lines == 0 || !SaneBlt(x, y, int(std::min<DWORD>(w, 1u << 29)), int(std::min<DWORD>(h, 1u << 29)), sx, sy, 0, 0))
        return 0;
    const int H = std::abs(bmi->bmiHeader.biHeight);
    if (startScan >= UINT(H)) return 0;
    const int n = int(std::min<UINT>(lines, UINT(H) - startScan));
    const bool bottomUp = bmi->bmiHeader.biHeight > 0;
    // Rows of the whole picture, counted from its origin corner; the band
    // holds rows startScan .. startScan + n - 1.
    // Destination row j shows the band's top-down row j + off; rows the band
    // does not hold are left alone.
    const int off = bottomUp ? n + int(startScan) - sy - int(h) : sy - int(startScan);
    if (bmi->bmiHeader.biBitCount == 24 && bits && bmi->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER) &&
        bmi->bmiHeader.biCompression == BI_RGB && bmi->bmiHeader.biWidth > 0 &&
        (long long)bmi->bmiHeader.biWidth * n <= (1LL << 28))
    {
        // 24-bit rows go straight onto the target, each pixel converted as it
        // is copied: a video picture painted ten times a second would
        // otherwise be converted into a whole new surface every time.
        DrawTarget t(dc);
        if (!t) return 0;
        const int bw = int(bmi->bmiHeader.biWidth);
        const size_t stride = size_t(((bw * 24 + 31) / 32) * 4);
        const auto* mem = static_cast<const unsigned char*>(bits);
        const TRect dstRect = t.ToSurface(TRect(x, y, x + int(w), y + int(h)));
        TSurface& dst = t.Surface();
        // source column of destination column x: sx + (x - dstRect.Left), inside 0 .. bw - 1
        const long long colShift = (long long)sx - dstRect.Left;
        for (const TRegion::Band& b : t.Clip().Bands())
        {
            if (b.Bottom <= dstRect.Top) continue;
            if (b.Top >= dstRect.Bottom) break;
            const int y0 = std::max(b.Top, dstRect.Top), y1 = std::min(b.Bottom, dstRect.Bottom);
            for (size_t i = 0; i < b.Xs.size(); i += 2)
            {
                const long long x0 = std::max<long long>({b.Xs[i], dstRect.Left, -colShift});
                const long long x1 = std::min<long long>({b.Xs[i + 1], dstRect.Right, bw - colShift});
                if (x0 >= x1) continue;
                for (int yy = y0; yy < y1; ++yy)
                {
                    const int row = off + (yy - dstRect.Top);
                    if (row < 0 || row >= n) continue;
                    const unsigned char* p =
                        mem + size_t(bottomUp ? n - 1 - row : row) * stride + size_t(x0 + colShift) * 3;
                    TPixel* out = dst.Row(yy);
                    // B, G, R bytes read as one little-endian word (its fourth
                    // byte is the next pixel's), all but the run's last pixel
                    static_assert(std::endian::native == std::endian::little);
                    long long xx = x0;
                    for (; xx + 1 < x1; ++xx, p += 3)
                    {
                        std::uint32_t v;
                        std::memcpy(&v, p, 4);
                        out[xx] = (v & 0x00FFFFFFu) | 0xFF000000u;
                    }
                    out[xx] = MakePixel(p[2], p[1], p[0]);
                }
            }
        }
        return n;
    }
    std::optional<TSurface> band = DibSurface(bits, bmi, n);
    if (!band) return 0;
    DrawTarget t(dc);
    if (!t) return 0;
    BlitCore(t, t.ToSurface(TRect(x, y, x + int(w), y + int(h))), *band,
             TRect(sx, off, sx + int(w), off + int(h)), false, false, [](TPixel& dp, TPixel sp) { dp = sp; });
    return n;
}

int GetDIBits(HDC, HBITMAP bmp, UINT startScan, UINT lines, void* bits, BITMAPINFO* bmi, UINT)
{
    auto* b = Lookup<GdiBitmap>(bmp, GdiKind::Bitmap);
    if (!b || !bmi) return 0;
    SyncIn(b);
    const TSurface& s = b->Surface;
    BITMAPINFOHEADER& h = bmi->bmiHeader;
    if (!bits)
    {
        const WORD bpp = (h.biBitCount == 24 || h.biBitCount == 32) ? h.biBitCount : WORD(32);
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = s.Width();
        h.biHeight = s.Height();
        h.biPlanes = 1;
        h.biBitCount = bpp;
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(((s.Width() * bpp + 31) / 32) * 4 * s.Height());
        return s.Height();
    }
    if (h.biSize < sizeof(BITMAPINFOHEADER) || (h.biBitCount != 24 && h.biBitCount != 32) || h.biWidth <= 0 ||
        h.biHeight == 0)
        return 0;
    const int H = s.Height();
    if (startScan >= UINT(H)) return 0;
    const int n = int(std::min<UINT>(lines, UINT(H) - startScan));
    const int bpp = h.biBitCount;
    const int stride = int(((long long)h.biWidth * bpp + 31) / 32 * 4);
    const int cols = std::min<int>(h.biWidth, s.Width());
    const bool bottomUp = h.biHeight > 0;
    auto* out = static_cast<unsigned char*>(bits);
    for (int k = 0; k < n; ++k)
    {
        const int line = int(startScan) + k;              // counted from the origin corner
        const int row = bottomUp ? H - 1 - line : line;  // top-down row of the bitmap
        const TPixel* src = s.Row(row);
        unsigned char* o = out + size_t(k) * size_t(stride);
        if (bpp == 32)
            std::memcpy(o, src, size_t(cols) * 4);
        else
            for (int x = 0; x < cols; ++x, o += 3)
            {
                o[0] = PixelB(src[x]);
                o[1] = PixelG(src[x]);
                o[2] = PixelR(src[x]);
            }
    }
    return n;
}
