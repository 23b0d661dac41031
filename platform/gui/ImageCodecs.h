// Picture file formats on a plain pixel buffer: BMP (read 1/4/8/16/24/32
// bits, write 24/32), PNG (with alpha), JPEG (with a quality) and GIF (first
// frame with transparency; writing reduces the colours to a 256-entry
// palette). Every size read from a file is checked; a damaged file raises
// EImageError with the reason, never crashes.
#pragma once
#include "platform/core/Exception.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class EImageError : public Exception { public: using Exception::Exception; };

namespace imagecodec
{
using Bytes = std::vector<std::uint8_t>;

// Pixels as 0xAARRGGBB (B, G, R, A in memory), rows from the top, no padding.
struct TPixels
{
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Data;

    TPixels() = default;
    // All pixels 0. Raises EImageError when the size is out of range.
    TPixels(int w, int h);
    std::uint32_t& At(int x, int y) { return Data[std::size_t(y) * std::size_t(Width) + std::size_t(x)]; }
    std::uint32_t At(int x, int y) const { return Data[std::size_t(y) * std::size_t(Width) + std::size_t(x)]; }
};

constexpr std::uint32_t Argb(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
{
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
}

// Largest picture accepted: each side and the pixel count.
constexpr int kMaxImageSide = 32768;
constexpr std::int64_t kMaxImagePixels = 128ll * 1024 * 1024;

enum class TImageFormat { Unknown, Bmp, Png, Jpeg, Gif };
// The format by the file's first bytes.
TImageFormat DetectImageFormat(const std::uint8_t* data, std::size_t size);

// bitsPerPixel (optional) receives 32 for a 32-bit file, else 24. A 32-bit
// file whose alpha bytes are all 0 reads as opaque.
TPixels ReadBmp(const std::uint8_t* data, std::size_t size, int* bitsPerPixel = nullptr);
// 24 (alpha dropped) or 32 bits, bottom-up, uncompressed.
Bytes WriteBmp(const TPixels& p, int bitsPerPixel);

TPixels ReadPng(const std::uint8_t* data, std::size_t size);
// Colour and alpha (colour only when every pixel is opaque).
Bytes WritePng(const TPixels& p);

// Opaque pixels. Greyscale, colour and CMYK files are read.
TPixels ReadJpeg(const std::uint8_t* data, std::size_t size);
// Quality 1 … 100; alpha is ignored.
Bytes WriteJpeg(const TPixels& p, int quality);

// The first frame on the logical screen; the transparent colour (and the
// area outside the frame) reads as alpha 0.
TPixels ReadGif(const std::uint8_t* data, std::size_t size);
// Pixels with alpha below 128 become the transparent colour. More than 256
// colours (255 with transparency) are reduced by median cut.
Bytes WriteGif(const TPixels& p);

inline TPixels ReadBmp(const Bytes& d, int* bpp = nullptr) { return ReadBmp(d.data(), d.size(), bpp); }
inline TPixels ReadPng(const Bytes& d) { return ReadPng(d.data(), d.size()); }
inline TPixels ReadJpeg(const Bytes& d) { return ReadJpeg(d.data(), d.size()); }
inline TPixels ReadGif(const Bytes& d) { return ReadGif(d.data(), d.size()); }
}
