// Bytes of pictures in and out of streams and files, and the icon format.
#include "platform/gui/Graphics/Codecs.h"

#include <cstring>

#include "platform/gui/Graphics.h"


namespace graphics
{
Bytes ReadFileBytes(const std::string& path)
{
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    return ReadRest(&f);
}

void WriteFileBytes(const std::string& path, const Bytes& data)
{
    TFileStream f(path, fmCreate);
    WriteAll(&f, data);
}

Bytes ReadRest(TStream* s)
{
    if (!s) throw EInvalidGraphic("No stream to read the picture from");
    const std::int64_t pos = s->Position();
    const std::int64_t size = s->Size();
    Bytes out;
    if (size > pos)
    {
        if (size - pos > (std::int64_t(1) << 31)) throw EInvalidGraphic("Picture data too large");
        out.resize(std::size_t(size - pos));
        s->ReadBuffer(out.data(), std::int64_t(out.size()));
    }
    return out;
}

void WriteAll(TStream* s, const Bytes& data)
{
    if (!s) throw EInvalidGraphic("No stream to write the picture to");
    if (!data.empty()) s->WriteBuffer(data.data(), std::int64_t(data.size()));
}

TByteStream::TByteStream(Bytes data)
{
    if (!data.empty()) ms_.WriteBuffer(data.data(), std::int64_t(data.size()));
    ms_.SetPosition(0);
}

Bytes TByteStream::Data() const
{
    auto& ms = const_cast<TMemoryStream&>(ms_);
    const auto* p = static_cast<const std::uint8_t*>(ms.Memory());
    return Bytes(p, p + ms.Size());
}

// BMP, PNG, JPEG and GIF go through the image codecs (CodecsSurface.cpp).

// ---- icons ----------------------------------------------------------------------
namespace
{
std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void put32(Bytes& b, std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i))); }
void put16(Bytes& b, std::uint16_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); }

// One icon image stored as a bitmap: header, XOR pixels (height doubled), AND mask.
TSurface readIconDib(const std::uint8_t* p, std::size_t n)
{
    if (n < 40) throw EInvalidGraphic("Invalid icon: entry too short");
    const std::uint32_t hdr = le32(p);
    const int w = int(le32(p + 4));
    const int h2 = int(le32(p + 8));
    const int bpp = le16(p + 14);
    const int h = h2 / 2;
    if (hdr < 40 || hdr > n || w <= 0 || h <= 0 || w > 1024 || h > 1024)
        throw EInvalidGraphic("Invalid icon: bad image header");
    if (bpp != 32 && bpp != 24) throw EInvalidGraphic("Unsupported icon colour depth");
    const std::size_t stride = ((std::size_t(w) * bpp / 8) + 3) & ~std::size_t(3);
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    const std::size_t need = hdr + stride * h;
    if (need > n) throw EInvalidGraphic("Invalid icon: pixel data cut short");
    const bool haveMask = need + maskStride * h <= n;
    TSurface s(w, h);
    for (int y = 0; y < h; ++y)
    {
        const std::uint8_t* row = p + hdr + stride * std::size_t(h - 1 - y);
        const std::uint8_t* mrow = haveMask ? p + need + maskStride * std::size_t(h - 1 - y) : nullptr;
        for (int x = 0; x < w; ++x)
        {
            const std::uint8_t* px = row + x * (bpp / 8);
            BYTE a = bpp == 32 ? px[3] : 255;
            if (bpp == 24 && mrow && (mrow[x / 8] & (0x80 >> (x % 8)))) a = 0;
            s.Row(y)[x] = MakePixel(px[2], px[1], px[0], a);
        }
    }
    return s;
}
} // namespace

TSurface ReadIco(const Bytes& d)
{
    if (d.size() < 6 || le16(&d[0]) != 0 || le16(&d[2]) != 1) throw EInvalidGraphic("Invalid icon file");
    const int count = le16(&d[4]);
    if (count == 0 || d.size() < 6 + std::size_t(count) * 16) throw EInvalidGraphic("Invalid icon file: no images");
    // The largest image is kept.
    int best = -1, bestArea = -1;
    for (int i = 0; i < count; ++i)
    {
        const std::uint8_t* e = &d[6 + i * 16];
        const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        if (w * h > bestArea) { bestArea = w * h; best = i; }
    }
    const std::uint8_t* e = &d[6 + best * 16];
    const std::uint32_t size = le32(e + 8), off = le32(e + 12);
    if (off >= d.size() || size > d.size() - off) throw EInvalidGraphic("Invalid icon file: image outside the file");
    const std::uint8_t* p = &d[off];
    if (size >= 8 && std::memcmp(p, "\x89PNG", 4) == 0) return ReadPng(Bytes(p, p + size));
    return readIconDib(p, size);
}

Bytes WriteIco(const TSurface& s)
{
    const int w = s.Width(), h = s.Height();
    if (w <= 0 || h <= 0 || w > 256 || h > 256) throw EInvalidGraphic("Icon size must be 1 to 256 pixels");
    Bytes img;
    put32(img, 40); put32(img, std::uint32_t(w)); put32(img, std::uint32_t(h * 2));
    put16(img, 1); put16(img, 32); put32(img, 0); put32(img, 0);
    put32(img, 0); put32(img, 0); put32(img, 0); put32(img, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
        {
            const TPixel p = s.Row(y)[x];
            img.push_back(PixelB(p)); img.push_back(PixelG(p)); img.push_back(PixelR(p)); img.push_back(PixelA(p));
        }
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y)
    {
        Bytes row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (PixelA(s.Row(y)[x]) == 0) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        img.insert(img.end(), row.begin(), row.end());
    }
    Bytes out;
    put16(out, 0); put16(out, 1); put16(out, 1);
    out.push_back(std::uint8_t(w == 256 ? 0 : w)); out.push_back(std::uint8_t(h == 256 ? 0 : h));
    out.push_back(0); out.push_back(0);
    put16(out, 1); put16(out, 32); put32(out, std::uint32_t(img.size())); put32(out, 22);
    out.insert(out.end(), img.begin(), img.end());
    return out;
}
} // namespace graphics
