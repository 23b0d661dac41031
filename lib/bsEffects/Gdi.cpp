// The platform-bound side of TbsBitmap: its pixel block and device context,
// and drawing onto device contexts.
#include "lib/bsEffects.h"
#include "lib/bsEffects/Tiles.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"

#include <algorithm>
#include <cmath>

#include <cstdlib>

namespace
{
// Largest pixel block a bitmap may have (one gigabyte).
constexpr long long kMaxPixels = 1LL << 28;

BITMAPINFO HeaderFor(int w, int h, int bits)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = 40;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;   // rows top to bottom
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(bits);
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}
}  // namespace

// ---------------------------------------------------------------------------
// TbsBitmap storage: a 32-bit top-down DIB section selected into its own
// memory device context.

void TbsBitmap::FreeStorage()
{
    UnregisterBitmap(this);
    if (FCanvas) FCanvas->SetHandle(nullptr);
    if (FDC) DeleteDC(FDC);
    if (FHandle) DeleteObject(FHandle);
    FBits = nullptr;
    FHandle = nullptr;
    FDC = nullptr;
    FWidth = 0;
    FHeight = 0;
}

void TbsBitmap::SetSize(int aWidth, int aHeight)
{
    const long long w = std::llabs((long long)aWidth), h = std::llabs((long long)aHeight);
    if (w == 0 || h == 0) return;
    if (!Empty() && w == FWidth && h == FHeight) return;
    // A failure on the way leaves the bitmap empty (0 x 0, no section, no DC).
    FreeStorage();
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF || w * h > kMaxPixels)
        throw Exception("Can't allocate the DIB handle");
    const BITMAPINFO bi = HeaderFor(int(w), int(h), 32);
    void* bits = nullptr;
    HBITMAP hb = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hb || !bits) {
        if (hb) DeleteObject(hb);
        throw Exception("Can't allocate the DIB handle");
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(hb);
        throw Exception("Can't create compatible DC");
    }
    if (!SelectObject(dc, hb)) {
        DeleteDC(dc);
        DeleteObject(hb);
        throw Exception("Can't bslect an object into DC");
    }
    FHandle = hb;
    FDC = dc;
    FBits = static_cast<TbsColor*>(bits);
    RegisterBitmap(this);
    OnDCChanged();
    FWidth = int(w);
    FHeight = int(h);
}

void TbsBitmap::OnDCChanged()
{
    if (FCanvas) FCanvas->SetHandle(FDC);
}

TCanvas* TbsBitmap::GetCanvas()
{
    if (!FCanvas) {
        FCanvas = new TCanvas();
        FCanvas->SetHandle(FDC);
    }
    return FCanvas;
}

// ---------------------------------------------------------------------------
// Draw engine onto device contexts

TbsDrawToDCProc DrawToDCTransparentRoutine = DrawToDCTransparent;

void InitDrawRoutines()
{
    // The bitmap unit starts before the drawing utilities record TransparentBlt,
    // so the key-colour route to a device context is always our own.
    DrawToDCTransparentRoutine = DrawToDCTransparent;
}

int ScreenColorDepth()
{
    // Every screen surface of the platform is 32 bits per pixel.
    return 32;
}

TbsColor* GetDCBitmapBits(HDC dc, int& width, int& height, int& bitsPerPixel)
{
    width = height = bitsPerPixel = 0;
    if (!dc) return nullptr;
    HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bmp) return nullptr;
    DIBSECTION ds;
    if (GetObject(bmp, int(sizeof(DIBSECTION)), &ds) != int(sizeof(DIBSECTION))) return nullptr;
    width = ds.dsBmih.biWidth;
    height = ds.dsBmih.biHeight;
    bitsPerPixel = ds.dsBmih.biBitCount;
    return static_cast<TbsColor*>(ds.dsBm.bmBits);
}

void DrawToDCOpaque(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st, int sw, int sh)
{
    if (!dc || !src || src->Empty()) return;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, src->GetDC(), sl, st, sw, sh, SRCCOPY);
}

namespace
{
// Alpha and key-colour drawing go through a copy of the destination area.
void DrawToDCThroughBitmap(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st,
                           int sw, int sh)
{
    if (!dc || !src || src->Empty() || w <= 0 || h <= 0) return;
    TbsBitmap tmp;
    tmp.SetSize(w, h);
    BitBlt(tmp.GetDC(), 0, 0, w, h, dc, x, y, SRCCOPY);
    const TRect all(0, 0, w, h), s(sl, st, sl + sw, st + sh);
    if (src->GetAlphaBlend())
        DrawToBitmapAlpha(&tmp, all, all, src, s);
    else
        DrawToBitmapTransparent(&tmp, all, all, src, s);
    BitBlt(dc, x, y, w, h, tmp.GetDC(), 0, 0, SRCCOPY);
}
}  // namespace

void DrawToDCAlpha(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st, int sw, int sh)
{
    DrawToDCThroughBitmap(dc, x, y, w, h, src, sl, st, sw, sh);
}

void DrawToDCTransparent(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st,
                         int sw, int sh)
{
    DrawToDCThroughBitmap(dc, x, y, w, h, src, sl, st, sw, sh);
}

void DrawToDCTransparentBlt(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st,
                            int sw, int sh)
{
    if (!dc || !src || src->Empty()) return;
    TransparentBlt(dc, x, y, w, h, src->GetDC(), sl, st, sw, sh, RGB(127, 0, 127));
}

// ---------------------------------------------------------------------------
// Drawing operations onto device contexts

void TbsBitmap::Draw(HDC dc, const TRect& dstRect, const TRect& srcRect)
{
    if (TbsBitmap* owner = FindBitmapByDC(dc)) {
        TPoint org;
        GetWindowOrgEx(dc, &org);
        TRect d = dstRect;
        OffsetRect(d, -org.X, -org.Y);
        Draw(owner, d, srcRect);
        return;
    }
    const int x = dstRect.Left, y = dstRect.Top, w = RectWidth(dstRect), h = RectHeight(dstRect);
    const int sl = srcRect.Left, st = srcRect.Top, sw = RectWidth(srcRect), sh = RectHeight(srcRect);
    if (FAlphaBlend)
        DrawToDCAlpha(dc, x, y, w, h, this, sl, st, sw, sh);
    else if (FTransparent)
        DrawToDCTransparentRoutine(dc, x, y, w, h, this, sl, st, sw, sh);
    else
        DrawToDCOpaque(dc, x, y, w, h, this, sl, st, sw, sh);
}

void TbsBitmap::Draw(HDC dc, int x, int y)
{
    Draw(dc, TRect(x, y, x + FWidth, y + FHeight), TRect(0, 0, FWidth, FHeight));
}

void TbsBitmap::Draw(HDC dc, int x, int y, const TRect& srcRect)
{
    Draw(dc, TRect(x, y, x + RectWidth(srcRect), y + RectHeight(srcRect)), srcRect);
}

void TbsBitmap::Draw(HDC dc, const TRect& dstRect) { Draw(dc, dstRect, TRect(0, 0, FWidth, FHeight)); }

namespace
{
// Writing straight into a foreign device context's DIB pixels when it can.
constexpr bool kDirectPixelAccess = true;
}  // namespace

void TbsBitmap::Tile(HDC dc, const TRect& dstRect, const TRect& srcRect)
{
    if (RectWidth(srcRect) == 0 || RectHeight(srcRect) == 0 || !dc) return;
    TbsBitmap* owner = FindBitmapByDC(dc);
    int bw = 0, bh = 0, bpp = 0;
    TbsColor* bits = owner ? nullptr : GetDCBitmapBits(dc, bw, bh, bpp);
    TPoint org;
    GetWindowOrgEx(dc, &org);
    bseffects::ForEachTile(dstRect, srcRect, [&](const TRect& tile, const TRect& part) {
        TRect t = tile;
        if (owner) {
            OffsetRect(t, -org.X, -org.Y);
            Draw(owner, t, part);
        } else if (kDirectPixelAccess && bits && bpp == 32 && bh > 0) {
            OffsetRect(t, -org.X, -org.Y);
            if (FAlphaBlend)
                DrawToDIBAlpha(bits, t, t, bw, bh, this, part);
            else if (FTransparent)
                DrawToDIBTransparent(bits, t, t, bw, bh, this, part);
            else
                DrawToDIBOpaque(bits, t, t, bw, bh, this, part);
        } else {
            const int x = t.Left, y = t.Top, w = RectWidth(t), h = RectHeight(t);
            if (FAlphaBlend)
                DrawToDCAlpha(dc, x, y, w, h, this, part.Left, part.Top, w, h);
            else if (FTransparent)
                DrawToDCTransparentRoutine(dc, x, y, w, h, this, part.Left, part.Top, w, h);
            else
                DrawToDCOpaque(dc, x, y, w, h, this, part.Left, part.Top, w, h);
        }
    });
}

void TbsBitmap::TileClip(HDC dc, const TRect& dstRect, const TRect& dstClip, const TRect& srcRect)
{
    bseffects::ForEachTile(dstRect, srcRect, [&](const TRect& tile, const TRect& part) {
        TRect tmp;
        if (IsEmptyRect(dstClip) || IntersectRect(tmp, tile, dstClip)) Draw(dc, tile, part);
    });
}

// ---------------------------------------------------------------------------
// TbsEffectBmp storage and drawing: a 24-bit top-down DIB section.

void TbsEffectBmp::Allocate(int cx, int cy)
{
    Width = Height = Size = 0;
    Bits = nullptr;
    Handle = nullptr;
    if (cx <= 0 || cy <= 0 || (long long)cx * cy > (1LL << 28)) return;
    const BITMAPINFO bi = HeaderFor(cx, cy, 24);
    void* bits = nullptr;
    HBITMAP hb = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hb || !bits) {
        if (hb) DeleteObject(hb);
        return;
    }
    Handle = hb;
    Bits = static_cast<BYTE*>(bits);
    Width = cx;
    Height = cy;
    Size = RowStride(cx) * cy;
}

TbsEffectBmp::~TbsEffectBmp()
{
    if (Handle) DeleteObject(Handle);
}

TbsEffectBmp* TbsEffectBmp::CreateFromhWnd(HBITMAP hBmp)
{
    auto* b = new TbsEffectBmp();
    BITMAP bm;
    if (!hBmp || GetObject(hBmp, int(sizeof(BITMAP)), &bm) <= 0) return b;
    b->Allocate(bm.bmWidth, std::abs(bm.bmHeight));
    if (!b->Bits) return b;
    BITMAPINFO bi = HeaderFor(b->Width, b->Height, 24);
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, hBmp, 0, UINT(b->Height), b->Bits, &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    return b;
}

void TbsEffectBmp::Draw(HDC dc, int x, int y)
{
    if (!Bits || !dc) return;
    const BITMAPINFO bi = HeaderFor(Width, Height, 24);
    SetDIBitsToDevice(dc, x, y, DWORD(Width), DWORD(Height), 0, 0, 0, UINT(Height), Bits, &bi,
                      DIB_RGB_COLORS);
}

void TbsEffectBmp::Stretch(HDC dc, int x, int y, int cx, int cy)
{
    if (!Bits || !dc) return;
    const BITMAPINFO bi = HeaderFor(Width, Height, 24);
    StretchDIBits(dc, x, y, cx, cy, 0, 0, Width, Height, Bits, &bi, DIB_RGB_COLORS, SRCCOPY);
}

void TbsEffectBmp::DrawRect(HDC dc, int hx, int hy, int x, int y, int cx, int cy)
{
    // The area (x, y, cx, cy) of the picture at (hx, hy), unscaled; the rows
    // of this top-down section are addressed from the top.
    if (!Bits || !dc) return;
    const BITMAPINFO bi = HeaderFor(Width, Height, 24);
    StretchDIBits(dc, hx, hy, cx, cy, x, y, cx, cy, Bits, &bi, DIB_RGB_COLORS, SRCCOPY);
}

void TbsEffectBmp::MaskFillColor(TbsEffectBmp* msk, COLORREF c, double kf)
{
    if (!Bits || !msk || !msk->Bits || msk->Width != Width || msk->Height < Height) return;
    // System colours (0xFF0000nn) resolve to their current value.
    const COLORREF rgb = (c & 0xFF000000u) == 0xFF000000u ? GetSysColor(int(c & 0xFF)) : (c & 0xFFFFFFu);
    const double ch[3] = {double(GetBValue(rgb)), double(GetGValue(rgb)), double(GetRValue(rgb))};
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        const BYTE* m = msk->ScanLinePtr(y);
        for (int x = 0; x < Width; ++x, p += 3, m += 3) {
            if (m[0] == 255 && m[1] == 255 && m[2] == 255) continue;
            for (int k = 0; k < 3; ++k)
                {
                // kf is not limited: clamp before converting (NaN gives 0).
                const double v = (1 - kf) * p[k] + kf * ch[k];
                p[k] = v >= 0 ? BYTE(std::nearbyint(std::min(v, 255.0))) : 0;
            }
        }
    }
}
