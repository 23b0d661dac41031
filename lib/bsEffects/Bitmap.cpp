// TbsBitmap: pixel routines, storage, alpha checks, draw engine onto bitmaps
// and DIB blocks, tiling, merging, filling, bitmap links and colour effects.
#include "lib/bsEffects.h"
#include "lib/bsEffects/Tiles.h"
#include "platform/gui/Graphics.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// Pixel routines

namespace
{
inline BYTE ChA(TbsColor c) { return BYTE(c >> 24); }
inline bool SameRGB(TbsColor a, TbsColor b) { return ((a ^ b) & 0x00FFFFFFu) == 0; }

void TransparentCopyRunImpl(const TbsColor* src, TbsColor* dst, int count)
{
    for (int i = 0; i < count; ++i)
        if (!SameRGB(src[i], bsKeyColor)) dst[i] = src[i] | 0xFF000000u;
}

void CopyRunImpl(const TbsColor* src, TbsColor* dst, int count)
{
    if (count < 1 || src == dst) return;
    std::memmove(dst, src, std::size_t(count) * sizeof(TbsColor));
}

void FillRunImpl(TbsColor* dst, int count, TbsColor value)
{
    for (int i = 0; i < count; ++i) dst[i] = value;
}

void FillRectAreaImpl(TbsColor* block, int bw, int, int x0, int y0, int x1, int y1, TbsColor v)
{
    const int n = x1 - x0 + 1;
    if (n < 1 || y1 - y0 + 1 < 1) return;
    for (int y = y0; y <= y1; ++y) FillRunImpl(block + std::ptrdiff_t(y) * bw + x0, n, v);
}

void SetAlphaRunImpl(TbsColor* dst, int count, BYTE alpha)
{
    const TbsColor a = TbsColor(alpha) << 24;
    for (int i = 0; i < count; ++i) dst[i] = (dst[i] & 0x00FFFFFFu) | a;
}

void SetAlphaRectAreaImpl(TbsColor* block, int bw, int, int x0, int y0, int x1, int y1, BYTE alpha)
{
    const int n = x1 - x0 + 1;
    if (n < 1 || y1 - y0 + 1 < 1) return;
    for (int y = y0; y <= y1; ++y) SetAlphaRunImpl(block + std::ptrdiff_t(y) * bw + x0, n, alpha);
}

void ClearKeyAlphaRunImpl(TbsColor* dst, int count, TbsColor key)
{
    for (int i = 0; i < count; ++i)
        if (SameRGB(dst[i], key)) dst[i] &= 0x00FFFFFFu;
}
}  // namespace

TbsColor BlendPixelPlain(TbsColor fg, TbsColor bg)
{
    const TbsColor a = fg >> 24;
    if (a == 255) return fg;
    if (a == 0) return bg;
    TbsColor out = 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8) {
        const TbsColor f = (fg >> sh) & 0xFF, b = (bg >> sh) & 0xFF;
        out |= (((f * a + b * (255 - a)) >> 8) & 0xFF) << sh;
    }
    return out;
}

TbsColor BlendPixelMMX(TbsColor fg, TbsColor bg)
{
    // Each byte in a 16-bit lane: B*256 + (F-B)*a stays within 0..65280.
    const int a = int(fg >> 24);
    TbsColor out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const int f = int((fg >> sh) & 0xFF), b = int((bg >> sh) & 0xFF);
        out |= TbsColor(((b << 8) + (f - b) * a) >> 8) << sh;
    }
    return out;
}

void BlendRunPlain(const TbsColor* src, TbsColor* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        const BYTE a = ChA(src[i]);
        if (a == 0) continue;
        dst[i] = a == 255 ? src[i] : BlendPixelPlain(src[i], dst[i]);
    }
}

void BlendRunMMX(const TbsColor* src, TbsColor* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        const BYTE a = ChA(src[i]);
        if (a == 0) continue;
        dst[i] = a == 255 ? src[i] : BlendPixelMMX(src[i], dst[i]);
    }
}

TbsBlendPixelProc BlendPixel = BlendPixelPlain;
TbsRunProc BlendRun = BlendRunPlain;
TbsRunProc TransparentCopyRun = TransparentCopyRunImpl;
TbsRunProc CopyRun = CopyRunImpl;
TbsFillRunProc FillRun = FillRunImpl;
TbsFillRectProc FillRectArea = FillRectAreaImpl;
TbsSetAlphaRunProc SetAlphaRun = SetAlphaRunImpl;
TbsSetAlphaRectProc SetAlphaRectArea = SetAlphaRectAreaImpl;
TbsClearKeyRunProc ClearKeyAlphaRun = ClearKeyAlphaRunImpl;

void InitPixelRoutines()
{
    const bool mmx = IsMMXAvailable();
    BlendPixel = mmx ? BlendPixelMMX : BlendPixelPlain;
    BlendRun = mmx ? BlendRunMMX : BlendRunPlain;
    TransparentCopyRun = TransparentCopyRunImpl;
    CopyRun = CopyRunImpl;
    FillRun = FillRunImpl;
    FillRectArea = FillRectAreaImpl;
    SetAlphaRun = SetAlphaRunImpl;
    SetAlphaRectArea = SetAlphaRectAreaImpl;
    ClearKeyAlphaRun = ClearKeyAlphaRunImpl;
}

namespace
{
// Start-up of the bitmap unit: the pixel routines, then the draw routines.
struct EffectsStartup
{
    EffectsStartup()
    {
        InitPixelRoutines();
        InitDrawRoutines();
    }
    ~EffectsStartup() { FreeBitmapRegistry(); }
} effectsStartup;
}  // namespace

TbsColor ColorToBsColor(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

void ClampRGB(int& r, int& g, int& b)
{
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
}

// ---------------------------------------------------------------------------
// Registry

namespace
{
std::vector<TbsBitmap*>*& Registry()
{
    static std::vector<TbsBitmap*>* list = nullptr;
    return list;
}
}  // namespace

void RegisterBitmap(TbsBitmap* bitmap)
{
    auto& list = Registry();
    if (!list) list = new std::vector<TbsBitmap*>();
    if (std::find(list->begin(), list->end(), bitmap) == list->end()) list->push_back(bitmap);
}

void UnregisterBitmap(TbsBitmap* bitmap)
{
    auto& list = Registry();
    if (!list) return;
    list->erase(std::remove(list->begin(), list->end(), bitmap), list->end());
}

TbsBitmap* FindBitmapByDC(HDC dc)
{
    auto& list = Registry();
    if (!list || !dc) return nullptr;
    for (TbsBitmap* b : *list)
        if (b->GetDC() == dc) return b;
    return nullptr;
}

void FreeBitmapRegistry()
{
    auto& list = Registry();
    delete list;
    list = nullptr;
}

// ---------------------------------------------------------------------------
// TbsBitmap core

TbsBitmap::TbsBitmap() = default;

TbsBitmap::~TbsBitmap()
{
    UnregisterBitmap(this);
    FreeStorage();
    delete FCanvas;
    FCanvas = nullptr;
}

TbsColor* TbsBitmap::ScanLine(int y) const
{
    assert(FBits && y >= 0 && y < FHeight);
    return FBits + std::ptrdiff_t(y) * FWidth;
}

TbsColor* TbsBitmap::PixelPtr(int x, int y) const
{
    assert(FBits && x >= 0 && x < FWidth && y >= 0 && y < FHeight);
    return FBits + std::ptrdiff_t(y) * FWidth + x;
}

void TbsBitmap::SetPixel(int x, int y, TbsColor value)
{
    if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    FBits[std::ptrdiff_t(y) * FWidth + x] = value;
}

TbsColor TbsBitmap::GetPixel(int x, int y) const
{
    if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return FBits[std::ptrdiff_t(y) * FWidth + x];
}

void TbsBitmap::Clear(TbsColor color)
{
    if (Empty()) return;
    FillRun(FBits, FWidth * FHeight, color);
}

void TbsBitmap::CheckingAlphaBlend()
{
    FAlphaBlend = false;
    if (Empty()) return;
    const int n = FWidth * FHeight;
    for (int i = 0; i < n; ++i) {
        const BYTE a = ChA(FBits[i]);
        if (a != 0 && a != 255) {
            FAlphaBlend = true;
            return;
        }
    }
}

void TbsBitmap::CheckingAlphaBlend(const TRect&) { CheckingAlphaBlend(); }

void TbsBitmap::CheckingTransparent(TbsColor color)
{
    FTransparent = false;
    if (Empty()) return;
    const int cr = (color >> 16) & 0xFF, cg = (color >> 8) & 0xFF, cb = color & 0xFF;
    const int n = FWidth * FHeight;
    for (int i = 0; i < n; ++i) {
        const TbsColor p = FBits[i];
        if (std::abs(int((p >> 16) & 0xFF) - cr) < 6 && std::abs(int((p >> 8) & 0xFF) - cg) < 6 &&
            std::abs(int(p & 0xFF) - cb) < 6)
            FBits[i] = bsKeyColor;
    }
    FTransparent = true;
}

void TbsBitmap::CheckingTransparent(const TRect&, TbsColor color) { CheckingTransparent(color); }

void TbsBitmap::SetAlpha(BYTE alpha)
{
    if (Empty()) return;
    SetAlphaRun(FBits, FWidth * FHeight, alpha);
}

void TbsBitmap::SetAlpha(BYTE alpha, const TRect& rect)
{
    if (RectWidth(rect) == 0 || RectHeight(rect) == 0 || Empty()) return;
    TRect r = rect;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, FWidth);
    r.Bottom = std::min(r.Bottom, FHeight);
    SetAlphaRectArea(FBits, FWidth, FHeight, r.Left, r.Top, r.Right - 1, r.Bottom - 1, alpha);
}

void TbsBitmap::FlipVert()
{
    if (Empty() || FHeight < 2) return;
    TArrayOfseColor row(FWidth);
    for (int i = 0; i < FHeight / 2; ++i) {
        TbsColor* a = ScanLine(i);
        TbsColor* b = ScanLine(FHeight - 1 - i);
        CopyRun(a, row.data(), FWidth);
        CopyRun(b, a, FWidth);
        CopyRun(row.data(), b, FWidth);
    }
}

void TbsBitmap::Assign(const TbsBitmap& source)
{
    if (&source == this) return;
    if (source.Empty()) {
        // Nothing to copy from: this bitmap becomes empty as well.
        FreeStorage();
    } else {
        SetSize(source.FWidth, source.FHeight);
        if (Empty()) return;
        CopyRun(source.FBits, FBits, FWidth * FHeight);
    }
    FName = source.FName;
    FTransparent = source.FTransparent;
    FAlphaBlend = source.FAlphaBlend;
}

TbsBitmapLink* TbsBitmap::GetBitmapLink(const TRect& r)
{
    auto* link = new TbsBitmapLink();
    link->SetImage(this);
    link->SetName(FName);
    link->SetRect(r);
    return link;
}

TbsBitmapLink* TbsBitmap::GetBitmapLink(const std::string& rectText)
{
    TRect r;
    StringToRect(rectText, r);
    return GetBitmapLink(r);
}

// ---------------------------------------------------------------------------
// Draw engine onto pixel blocks

std::vector<int> BuildStretchMap(int dstStart, int dstLen, int clipStart, int clipLen, int srcStart,
                                 int srcLen, bool rounding)
{
    std::vector<int> map(std::size_t(std::max(clipLen, 0)));
    const int srcLast = srcStart + srcLen - 1;
    if (dstLen < 2) {
        std::fill(map.begin(), map.end(), (srcStart + srcStart + srcLen - 1) / 2);
        return map;
    }
    const float k = float(double(srcLen - 1) / double(dstLen - 1));
    for (int i = 0; i < clipLen; ++i) {
        const int x = i + clipStart - dstStart;
        const double v = double(x) * double(k) + srcStart;
        int s = rounding ? int(std::nearbyint(v)) : int(v);
        map[i] = std::clamp(s, srcStart, srcLast);
    }
    return map;
}

namespace
{
enum class Mode { Opaque, Alpha, Transparent };

Mode ModeOf(const TbsBitmap* b)
{
    if (b->GetAlphaBlend()) return Mode::Alpha;
    if (b->GetTransparent()) return Mode::Transparent;
    return Mode::Opaque;
}

// Shared body of the bitmap and DIB destinations; rowOf(y) gives the first
// pixel of destination row y counted from the top.
template <class RowOf>
void DrawToBlock(RowOf rowOf, int dw, int dh, const TRect& dstRect, const TRect& clipIn,
                 TbsBitmap* src, const TRect& srcRect, Mode mode, bool rounding)
{
    if (!src) return;
    const int sw = RectWidth(srcRect), sh = RectHeight(srcRect);
    if (sw <= 0 || sh <= 0) return;
    TRect clip;
    if (!IntersectRect(clip, clipIn, TRect(0, 0, dw, dh))) return;
    if (!IntersectRect(clip, clip, dstRect)) return;
    if (src->Empty() || srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src->Width() ||
        srcRect.Bottom > src->Height())
        return;
    const int cw = RectWidth(clip), ch = RectHeight(clip);
    const int sWidth = src->Width();
    const TbsColor* sBits = src->Bits();
    TbsRunProc run = mode == Mode::Opaque  ? CopyRun
                     : mode == Mode::Alpha ? BlendRun
                                           : TransparentCopyRun;
    if (sw == RectWidth(dstRect) && sh == RectHeight(dstRect)) {
        for (int y = clip.Top; y < clip.Bottom; ++y) {
            const TbsColor* s = sBits + std::ptrdiff_t(srcRect.Top + y - dstRect.Top) * sWidth +
                                srcRect.Left + clip.Left - dstRect.Left;
            run(s, rowOf(y) + clip.Left, cw);
        }
        EndMMX();
        return;
    }
    const std::vector<int> cols = BuildStretchMap(dstRect.Left, RectWidth(dstRect), clip.Left, cw,
                                                  srcRect.Left, sw, rounding);
    const std::vector<int> rows = BuildStretchMap(dstRect.Top, RectHeight(dstRect), clip.Top, ch,
                                                  srcRect.Top, sh, rounding);
    if (mode == Mode::Opaque) {
        int prev = -1;
        for (int j = 0; j < ch; ++j) {
            const int y = clip.Top + j;
            TbsColor* d = rowOf(y) + clip.Left;
            if (j > 0 && rows[j] == prev) {
                CopyRun(rowOf(y - 1) + clip.Left, d, cw);
            } else {
                const TbsColor* s = sBits + std::ptrdiff_t(rows[j]) * sWidth;
                for (int i = 0; i < cw; ++i) d[i] = s[cols[i]];
            }
            prev = rows[j];
        }
    } else {
        TArrayOfseColor tmp(cw);
        int prev = -1;
        for (int j = 0; j < ch; ++j) {
            if (j == 0 || rows[j] != prev) {
                const TbsColor* s = sBits + std::ptrdiff_t(rows[j]) * sWidth;
                for (int i = 0; i < cw; ++i) tmp[i] = s[cols[i]];
                prev = rows[j];
            }
            run(tmp.data(), rowOf(clip.Top + j) + clip.Left, cw);
        }
    }
    EndMMX();
}

void DrawToBitmapMode(TbsBitmap* dst, const TRect& dstRect, const TRect& clip, TbsBitmap* src,
                      const TRect& srcRect, Mode mode)
{
    if (!dst || dst->Empty()) return;
    TbsColor* bits = dst->Bits();
    const int w = dst->Width();
    DrawToBlock([bits, w](int y) { return bits + std::ptrdiff_t(y) * w; }, w, dst->Height(),
                dstRect, clip, src, srcRect, mode, false);
}

void DrawToDIBMode(TbsColor* bits, const TRect& dstRect, const TRect& clip, int bw, int bh,
                   TbsBitmap* src, const TRect& srcRect, Mode mode)
{
    if (!bits || bw <= 0 || bh <= 0) return;
    DrawToBlock([bits, bw, bh](int y) { return bits + std::ptrdiff_t(bh - 1 - y) * bw; }, bw, bh,
                dstRect, clip, src, srcRect, mode, true);
}
}  // namespace

void DrawToBitmapOpaque(TbsBitmap* dst, const TRect& dstRect, const TRect& clip, TbsBitmap* src,
                        const TRect& srcRect)
{
    DrawToBitmapMode(dst, dstRect, clip, src, srcRect, Mode::Opaque);
}

void DrawToBitmapAlpha(TbsBitmap* dst, const TRect& dstRect, const TRect& clip, TbsBitmap* src,
                       const TRect& srcRect)
{
    DrawToBitmapMode(dst, dstRect, clip, src, srcRect, Mode::Alpha);
}

void DrawToBitmapTransparent(TbsBitmap* dst, const TRect& dstRect, const TRect& clip,
                             TbsBitmap* src, const TRect& srcRect)
{
    DrawToBitmapMode(dst, dstRect, clip, src, srcRect, Mode::Transparent);
}

void DrawToDIBOpaque(TbsColor* bits, const TRect& dstRect, const TRect& clip, int bw, int bh,
                     TbsBitmap* src, const TRect& srcRect)
{
    DrawToDIBMode(bits, dstRect, clip, bw, bh, src, srcRect, Mode::Opaque);
}

void DrawToDIBAlpha(TbsColor* bits, const TRect& dstRect, const TRect& clip, int bw, int bh,
                    TbsBitmap* src, const TRect& srcRect)
{
    DrawToDIBMode(bits, dstRect, clip, bw, bh, src, srcRect, Mode::Alpha);
}

void DrawToDIBTransparent(TbsColor* bits, const TRect& dstRect, const TRect& clip, int bw, int bh,
                          TbsBitmap* src, const TRect& srcRect)
{
    DrawToDIBMode(bits, dstRect, clip, bw, bh, src, srcRect, Mode::Transparent);
}

// ---------------------------------------------------------------------------
// Drawing operations onto TbsBitmap destinations

void TbsBitmap::Draw(TbsBitmap* dst, const TRect& dstRect, const TRect& srcRect)
{
    switch (ModeOf(this)) {
    case Mode::Alpha: DrawToBitmapAlpha(dst, dstRect, dstRect, this, srcRect); break;
    case Mode::Transparent: DrawToBitmapTransparent(dst, dstRect, dstRect, this, srcRect); break;
    case Mode::Opaque: DrawToBitmapOpaque(dst, dstRect, dstRect, this, srcRect); break;
    }
}

void TbsBitmap::Draw(TbsBitmap* dst, int x, int y)
{
    Draw(dst, TRect(x, y, x + FWidth, y + FHeight), TRect(0, 0, FWidth, FHeight));
}

void TbsBitmap::Draw(TbsBitmap* dst, int x, int y, const TRect& srcRect)
{
    Draw(dst, TRect(x, y, x + RectWidth(srcRect), y + RectHeight(srcRect)), srcRect);
}

void TbsBitmap::Draw(TbsBitmap* dst, const TRect& dstRect)
{
    Draw(dst, dstRect, TRect(0, 0, FWidth, FHeight));
}

void TbsBitmap::Tile(TbsBitmap* dst, const TRect& dstRect, const TRect& srcRect)
{
    bseffects::ForEachTile(dstRect, srcRect, [&](const TRect& tile, const TRect& part) { Draw(dst, tile, part); });
}

void TbsBitmap::TileClip(TbsBitmap* dst, const TRect& dstRect, const TRect& dstClip,
                         const TRect& srcRect)
{
    bseffects::ForEachTile(dstRect, srcRect, [&](const TRect& tile, const TRect& part) {
        TRect tmp;
        if (IsEmptyRect(dstClip) || IntersectRect(tmp, tile, dstClip)) Draw(dst, tile, part);
    });
}

void TbsBitmap::MergeDraw(TbsBitmap& bitmap, int x, int y, const TRect& srcRect)
{
    if (Empty() || bitmap.Empty()) return;
    const int right = std::min(srcRect.Right, bitmap.Width());
    const int bottom = std::min(srcRect.Bottom, bitmap.Height());
    const int x0 = std::max(srcRect.Left, 0), y0 = std::max(srcRect.Top, 0);
    const int px = srcRect.Left < 0 ? x - srcRect.Left : x;
    const int py = srcRect.Top < 0 ? y - srcRect.Top : y;
    for (int b = y0; b < bottom; ++b) {
        const int dy = py + b - y0;
        if (dy < 0 || dy >= FHeight) continue;
        for (int a = x0; a < right; ++a) {
            const int dx = px + a - x0;
            if (dx < 0 || dx >= FWidth) continue;
            TbsColor& d = FBits[std::ptrdiff_t(dy) * FWidth + dx];
            const TbsColor s = bitmap.FBits[std::ptrdiff_t(b) * bitmap.FWidth + a];
            const BYTE da = ChA(d);
            if (da == 0)
                d = s;
            else if (da != 255)
                d = BlendPixel(d, s);
        }
    }
    EndMMX();
}

void TbsBitmap::FillRect(const TRect& rect, TbsColor color)
{
    if (Empty()) return;
    TRect r = rect;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, FWidth);
    r.Bottom = std::min(r.Bottom, FHeight);
    const int w = RectWidth(r), h = RectHeight(r);
    if (w <= 0 || h <= 0) return;
    if (FAlphaBlend) {
        TArrayOfseColor row(w, color);
        for (int y = r.Top; y < r.Bottom; ++y) BlendRun(row.data(), ScanLine(y) + r.Left, w);
        EndMMX();
    } else {
        FillRectArea(FBits, FWidth, FHeight, r.Left, r.Top, r.Right - 1, r.Bottom - 1, color);
    }
}

// ---------------------------------------------------------------------------
// TbsBitmapLink

void TbsBitmapLink::Assign(const TbsBitmapLink& s)
{
    FImage = s.FImage;
    FRect = s.FRect;
    FName = s.FName;
    FMasked = s.FMasked;
    FMaskedBorder = s.FMaskedBorder;
    FMaskedAngles = s.FMaskedAngles;
}

void TbsBitmapLink::Assign(const TPersistent* source)
{
    if (const auto* l = dynamic_cast<const TbsBitmapLink*>(source)) {
        Assign(*l);
        return;
    }
    TPersistent::Assign(source);
}

bool TbsBitmapLink::Assigned() const
{
    return FImage != nullptr && (long long)RectWidth(FRect) * RectHeight(FRect) > 0;
}

bool TbsBitmapLink::IsMaskedPixel(int x, int y) const
{
    const TbsColor p = FImage ? FImage->GetPixel(x, y) : 0;
    return p != 0x33333333u && ChA(p) < 255;
}

void TbsBitmapLink::CheckingMasked() { CheckingMasked(TRect(0, 0, 0, 0)); }

void TbsBitmapLink::CheckingMasked(const TRect& m)
{
    FMasked = FMaskedBorder = FMaskedAngles = false;
    // A rectangle read from a stream may be anything: pixels outside the
    // image count as masked without being visited, so only the part inside
    // the image is scanned (coordinates kept within +-2^28 against overflow).
    auto lim = [](int v) { return std::clamp(v, -(1 << 28), 1 << 28); };
    const TRect fr(lim(FRect.Left), lim(FRect.Top), lim(FRect.Right), lim(FRect.Bottom));
    if (IsEmptyRect(fr)) return;
    const TRect img = FImage && !FImage->Empty() ? TRect(0, 0, FImage->Width(), FImage->Height()) : TRect();
    TRect inside;
    if (!IntersectRect(inside, fr, img)) inside = TRect();
    // Whether part of `zone` (absolute coordinates) lies in the rectangle but
    // outside the image.
    auto reachesOutside = [&](const TRect& zone) {
        TRect z;
        if (!IntersectRect(z, zone, fr)) return false;
        return !(z.Left >= img.Left && z.Top >= img.Top && z.Right <= img.Right && z.Bottom <= img.Bottom);
    };
    if (m.Left == 0 && m.Top == 0 && m.Right == 0 && m.Bottom == 0) {
        if (reachesOutside(fr)) {
            FMasked = true;
            return;
        }
        for (int y = inside.Top; y < inside.Bottom && !FMasked; ++y)
            for (int x = inside.Left; x < inside.Right; ++x)
                if (IsMaskedPixel(x, y)) {
                    FMasked = true;
                    break;
                }
        return;
    }
    // Zones are measured on the rectangle's own extents.
    const int W = RectWidth(fr), H = RectHeight(fr);
    const int L = lim(m.Left), T = lim(m.Top), R = lim(m.Right), B = lim(m.Bottom);
    const TRect corners[4] = {{0, 0, L, T}, {W - R, 0, W, T}, {W - R, H - B, W, H}, {0, H - B, L, H}};
    const TRect edges[4] = {
        {L, 0, W - R, T}, {L, H - B, W - R, H}, {0, T, L, H - B}, {W - R, T, W, H - B}};
    const TRect centre(L, T, W - R, H - B);
    auto absolute = [&](const TRect& z) {
        return TRect(z.Left + fr.Left, z.Top + fr.Top, z.Right + fr.Left, z.Bottom + fr.Top);
    };
    for (const TRect& z : corners)
        if (reachesOutside(absolute(z))) FMaskedAngles = true;
    for (const TRect& z : edges)
        if (reachesOutside(absolute(z))) FMaskedBorder = true;
    if (reachesOutside(absolute(centre))) FMasked = true;
    for (int y = inside.Top; y < inside.Bottom; ++y)
        for (int x = inside.Left; x < inside.Right; ++x) {
            if (!IsMaskedPixel(x, y)) continue;
            const TPoint p(x - fr.Left, y - fr.Top);
            for (const TRect& z : corners)
                if (PtInRect(z, p)) FMaskedAngles = true;
            for (const TRect& z : edges)
                if (PtInRect(z, p)) FMaskedBorder = true;
            if (PtInRect(centre, p)) FMasked = true;
        }
}

void TbsBitmapLink::Draw(TbsBitmap* bitmap, int x, int y)
{
    if (!FImage || FImage->Empty() || RectWidth(FRect) <= 0 || RectHeight(FRect) <= 0) return;
    FImage->Draw(bitmap, x, y, FRect);
}

// ---------------------------------------------------------------------------
// Colour routines

TbsColor MakeBsColor(int r, int g, int b, BYTE alpha)
{
    ClampRGB(r, g, b);
    return (TbsColor(alpha) << 24) | (TbsColor(r) << 16) | (TbsColor(g) << 8) | TbsColor(b);
}

namespace
{
// Halves to even; saturating (NaN gives 0), since wrapped saturations can
// leave the 0..1 range.
inline int RoundEven(double v)
{
    if (!(v == v)) return 0;
    return int(std::nearbyint(std::clamp(v, -1e9, 1e9)));
}
}

void BsColorToHSL(TbsColor c, float& hue, float& sat, float& light)
{
    const float r = float((c >> 16) & 0xFF) / 255.0f;
    const float g = float((c >> 8) & 0xFF) / 255.0f;
    const float b = float(c & 0xFF) / 255.0f;
    const float mx = std::max(r, std::max(g, b));
    const float mn = std::min(r, std::min(g, b));
    light = (mx + mn) / 2.0f;
    if (mx == mn) {
        hue = 0;
        sat = 0;
        return;
    }
    const float d = mx - mn;
    sat = light < 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
    float h;
    if (r == mx)
        h = (g - b) / d;
    else if (g == mx)
        h = (b - r) / d + 2.0f;
    else
        h = (r - g) / d + 4.0f;
    h = h / 6.0f;
    if (h < 0) h += 1.0f;
    hue = h;
}

int HueToColorComponent(float h, float m1, float m2)
{
    h = h - std::floor(h);
    float v;
    if (6.0f * h < 1.0f)
        v = m1 + (m2 - m1) * h * 6.0f;
    else if (2.0f * h < 1.0f)
        v = m2;
    else if (3.0f * h < 2.0f)
        v = m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
    else
        v = m1;
    return RoundEven(double(v) * 255.0);
}

TbsColor HSLToBsColor(float h, float s, float l)
{
    if (s == 0) {
        const int v = RoundEven(double(l) * 255.0);
        return MakeBsColor(v, v, v, 255);
    }
    const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float m1 = 2.0f * l - m2;
    return MakeBsColor(HueToColorComponent(h + 1.0f / 3.0f, m1, m2), HueToColorComponent(h, m1, m2),
                       HueToColorComponent(h - 1.0f / 3.0f, m1, m2), 255);
}

TbsColor SetColorHue(TbsColor c, int hue)
{
    hue = std::clamp(hue, 0, 255);
    float h, s, l;
    BsColorToHSL(c, h, s, l);
    return HSLToBsColor(float(hue) / 255.0f, s, l);
}

namespace
{
// The component on the 0..255 scale plus delta, corrected once each way;
// worked in 64 bits so that any delta is safe.
float WrapScale(float v, int delta)
{
    long long n = (long long)RoundEven(double(v) * 255.0) + delta;
    if (n > 255) n -= 255;
    if (n < 0) n += 255;
    return float(n);
}

// A channel plus delta, kept where MakeBsColor's clamping gives the same.
int AddChannel(TbsColor c, int shift, int delta)
{
    return int(std::clamp<long long>((long long)((c >> shift) & 0xFF) + delta, -1, 256));
}
}  // namespace

TbsColor ChangeColorHue(TbsColor c, int delta)
{
    float h, s, l;
    BsColorToHSL(c, h, s, l);
    return HSLToBsColor(WrapScale(h, delta) / 255.0f, s, l);
}

TbsColor ChangeColorSat(TbsColor c, int delta)
{
    float h, s, l;
    BsColorToHSL(c, h, s, l);
    return HSLToBsColor(h, WrapScale(s, delta) / 255.0f, l);
}

TbsColor ChangeColorBrightness(TbsColor c, int delta)
{
    return MakeBsColor(AddChannel(c, 16, delta), AddChannel(c, 8, delta), AddChannel(c, 0, delta), 255);
}

namespace
{
template <class Fn>
void MapVisiblePixels(TbsBitmap& b, Fn fn)
{
    if (b.Empty()) return;
    TbsColor* p = b.Bits();
    const int n = b.Width() * b.Height();
    for (int i = 0; i < n; ++i) {
        const TbsColor a = p[i] & 0xFF000000u;
        if (a == 0) continue;
        p[i] = (fn(p[i]) & 0x00FFFFFFu) | a;
    }
}
}  // namespace

void TbsBitmap::SetBitmapHue(int hue)
{
    MapVisiblePixels(*this, [hue](TbsColor c) { return SetColorHue(c, hue); });
}

void TbsBitmap::ChangeBitmapHue(int d)
{
    if (d == 0) return;
    MapVisiblePixels(*this, [d](TbsColor c) { return ChangeColorHue(c, d); });
}

void TbsBitmap::ChangeBitmapSat(int d)
{
    if (d == 0) return;
    MapVisiblePixels(*this, [d](TbsColor c) { return ChangeColorSat(c, d); });
}

void TbsBitmap::ChangeBitmapBrightness(int d)
{
    if (d == 0) return;
    MapVisiblePixels(*this, [d](TbsColor c) { return ChangeColorBrightness(c, d); });
}

namespace
{
void ReflectionBy(TbsBitmap& b, int k)
{
    if (b.Empty()) return;
    b.FlipVert();
    double f = 1.0;
    for (int y = 0; y < b.Height(); ++y) {
        TbsColor* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            const int a = int(row[x] >> 24);
            if (a == 0) continue;
            const int v = std::max(0, int(double(RoundEven(a * f)) / k));
            row[x] = (row[x] & 0x00FFFFFFu) | (TbsColor(v) << 24);
        }
        f -= 2.0 / b.Height();
    }
}
}  // namespace

void TbsBitmap::Reflection() { ReflectionBy(*this, 3); }
void TbsBitmap::Reflection2() { ReflectionBy(*this, 4); }
void TbsBitmap::Reflection3() { ReflectionBy(*this, 2); }

// ---------------------------------------------------------------------------
// Blur and mask alpha

namespace
{
// Triangle-weighted sums over 2 * r + 1 samples of one channel of a line of n
// pixels (edge pixels repeated), divided by (r + 1)^2. `get(i)` reads sample
// i (0 <= i < n), `put(i, v)` stores the result.
template <class Get, class Put>
void TriangleLine(int n, int r, Get get, Put put, std::vector<long long>& ext,
                  std::vector<long long>& box)
{
    const int len = n + 2 * r;
    ext.assign(std::size_t(len) + 1, 0);
    for (int e = 0; e < len; ++e) ext[e + 1] = ext[e] + get(std::clamp(e - r, 0, n - 1));
    // box[y + 1] - box[y] = sum of ext over [y, y + r] (a box of r + 1 samples)
    const int nb = n + r;
    box.assign(std::size_t(nb) + 1, 0);
    for (int y = 0; y < nb; ++y) box[y + 1] = box[y] + (ext[y + r + 1] - ext[y]);
    const long long div = (long long)(r + 1) * (r + 1);
    for (int x = 0; x < n; ++x) put(x, int((box[x + r + 1] - box[x]) / div));
}
}  // namespace

void BlurBitmap(TbsBitmap* bitmap, int radius)
{
    if (!bitmap || radius <= 0 || bitmap->Empty()) return;
    // The work rows hold the picture plus 2 * radius samples: a radius from
    // a damaged skin must neither overflow them nor exhaust memory. Past this
    // size radii are taken as that size.
    radius = std::min(radius, 1 << 16);
    const int w = bitmap->Width(), h = bitmap->Height();
    TbsColor* px = bitmap->Bits();
    std::vector<long long> ext, box;
    std::vector<int> line;
    for (int sh = 0; sh < 24; sh += 8) {
        line.assign(std::size_t(std::max(w, h)), 0);
        for (int y = 0; y < h; ++y) {
            TbsColor* row = px + std::ptrdiff_t(y) * w;
            TriangleLine(
                w, radius, [&](int i) { return (long long)((row[i] >> sh) & 0xFF); },
                [&](int i, int v) { line[i] = v; }, ext, box);
            for (int x = 0; x < w; ++x) row[x] = (row[x] & ~(0xFFu << sh)) | (TbsColor(line[x]) << sh);
        }
        for (int x = 0; x < w; ++x) {
            TriangleLine(
                h, radius,
                [&](int i) { return (long long)((px[std::ptrdiff_t(i) * w + x] >> sh) & 0xFF); },
                [&](int i, int v) { line[i] = v; }, ext, box);
            for (int y = 0; y < h; ++y) {
                TbsColor& p = px[std::ptrdiff_t(y) * w + x];
                p = (p & ~(0xFFu << sh)) | (TbsColor(line[y]) << sh);
            }
        }
    }
    SetAlphaRun(px, w * h, 255);
}

void SetAlphaFromMask(TbsBitmap* bitmap, TbsBitmap* mask)
{
    if (!bitmap || !mask || bitmap->Empty() || mask->Empty()) return;
    const int w = std::min(bitmap->Width(), mask->Width());
    const int h = std::min(bitmap->Height(), mask->Height());
    for (int y = 0; y < h; ++y) {
        TbsColor* d = bitmap->ScanLine(y);
        const TbsColor* m = mask->ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const TbsColor mp = m[x];
            const int grey = int(((mp >> 16) & 0xFF) + ((mp >> 8) & 0xFF) + (mp & 0xFF)) / 3;
            d[x] = (d[x] & 0x00FFFFFFu) | (TbsColor(grey) << 24);
        }
    }
}
