// 32-bit pixel buffers that every device context draws into, and PNG files
// for them.
//
// A pixel is a 32-bit value 0xAARRGGBB; in memory the bytes are blue, green,
// red, alpha. Colour channels are stored straight (not multiplied by alpha).
// Rows are addressed top-down through Row(); the memory behind them may run
// bottom-up (a bottom-up DIB section keeps its bottom row first in memory).
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/PictureMemory.h"
#include "platform/core/Types.h"

#include <cstdint>
#include <string>
#include <vector>

using TPixel = std::uint32_t;

constexpr TPixel MakePixel(BYTE r, BYTE g, BYTE b, BYTE a = 255)
{
    return (TPixel(a) << 24) | (TPixel(r) << 16) | (TPixel(g) << 8) | TPixel(b);
}
constexpr BYTE PixelR(TPixel p) { return BYTE((p >> 16) & 0xFF); }
constexpr BYTE PixelG(TPixel p) { return BYTE((p >> 8) & 0xFF); }
constexpr BYTE PixelB(TPixel p) { return BYTE(p & 0xFF); }
constexpr BYTE PixelA(TPixel p) { return BYTE(p >> 24); }
// COLORREF 0x00BBGGRR <-> pixel.
constexpr TPixel ColorRefToPixel(COLORREF c, BYTE a = 255)
{
    return MakePixel(GetRValue(c), GetGValue(c), GetBValue(c), a);
}
constexpr COLORREF PixelToColorRef(TPixel p) { return RGB(PixelR(p), PixelG(p), PixelB(p)); }

class TSurface
{
public:
    // An empty surface (0 x 0, no pixels).
    TSurface() = default;
    // An owned surface of w x h pixels, all 0 (transparent black). Negative
    // sizes count as 0. Throws EOutOfResources when the size is absurd.
    TSurface(int w, int h);
    // A surface over memory owned by someone else (a DIB section's bits).
    // strideBytes is the distance between rows in memory (positive); when
    // bottomUp, the first row in memory is the bottom row of the picture.
    static TSurface Wrap(void* memory, int w, int h, int strideBytes, bool bottomUp);

    TSurface(TSurface&& other) noexcept;
    TSurface& operator=(TSurface&& other) noexcept;
    TSurface(const TSurface&) = delete;
    TSurface& operator=(const TSurface&) = delete;

    // A deep, owned copy.
    TSurface Clone() const;
    // Owned surfaces: new size; the overlapping part of the picture is kept,
    // new pixels are 0. Wrapped surfaces cannot be resized (returns false).
    bool Resize(int w, int h);

    int Width() const { return w_; }
    int Height() const { return h_; }
    bool Empty() const { return w_ <= 0 || h_ <= 0; }
    TRect Bounds() const { return TRect(0, 0, w_, h_); }
    bool Owned() const { return wrapped_ == nullptr; }
    bool BottomUp() const { return bottomUp_; }
    // Memory layout: first byte in memory and bytes per row (positive).
    void* Memory() { return mem(); }
    const void* Memory() const { return mem(); }
    int StrideBytes() const { return stride_; }

    // Row y of the picture, counted from the top. No bounds check.
    TPixel* Row(int y) { return reinterpret_cast<TPixel*>(rowBytes(y)); }
    const TPixel* Row(int y) const { return reinterpret_cast<const TPixel*>(rowBytes(y)); }
    // Checked access: reading outside gives 0, writing outside does nothing.
    TPixel Pixel(int x, int y) const;
    void SetPixel(int x, int y, TPixel p);

    void Fill(TPixel p);
    // Multiplies every pixel's colour by its alpha (straight -> premultiplied).
    void Premultiply();
    // Stores p into the part of r inside the surface.
    void FillRect(const TRect& r, TPixel p);

    // PNG files (libpng). SavePng writes the pixels with their alpha, or all
    // opaque when keepAlpha is false. Paths are UTF-8. Returns false on error.
    bool SavePng(const std::string& path, bool keepAlpha = true) const;
    // Reads any PNG into an owned surface; throws Exception with the reason
    // when the file is missing or not a valid PNG.
    static TSurface LoadPng(const std::string& path);

private:
    unsigned char* mem() const;
    unsigned char* rowBytes(int y) const
    {
        unsigned char* m = mem();
        return bottomUp_ ? m + std::ptrdiff_t(h_ - 1 - y) * stride_ : m + std::ptrdiff_t(y) * stride_;
    }

    int w_ = 0, h_ = 0, stride_ = 0;
    bool bottomUp_ = false;
    std::vector<TPixel, TPictureAllocator<TPixel>> owned_;
    unsigned char* wrapped_ = nullptr;
};
