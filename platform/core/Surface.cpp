#include "platform/core/Surface.h"

#include "platform/core/Exception.h"

#include <png.h>

#include <cstring>

namespace
{
// Larger pictures than this are refused rather than allocated.
constexpr long long kMaxPixels = 1LL << 28;
}

TSurface::TSurface(int w, int h)
{
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    if (static_cast<long long>(w) * h > kMaxPixels)
        throw EOutOfResources("Picture too large: " + std::to_string(w) + " x " + std::to_string(h));
    w_ = w;
    h_ = h;
    stride_ = w * 4;
    owned_.assign(static_cast<size_t>(w) * h, 0);
}

TSurface TSurface::Wrap(void* memory, int w, int h, int strideBytes, bool bottomUp)
{
    TSurface s;
    if (!memory || w <= 0 || h <= 0 || strideBytes < w * 4) return s;
    s.w_ = w;
    s.h_ = h;
    s.stride_ = strideBytes;
    s.bottomUp_ = bottomUp;
    s.wrapped_ = static_cast<unsigned char*>(memory);
    return s;
}

TSurface::TSurface(TSurface&& o) noexcept
    : w_(o.w_), h_(o.h_), stride_(o.stride_), bottomUp_(o.bottomUp_), owned_(std::move(o.owned_)),
      wrapped_(o.wrapped_)
{
    o.w_ = o.h_ = o.stride_ = 0;
    o.bottomUp_ = false;
    o.wrapped_ = nullptr;
    o.owned_.clear();
}

TSurface& TSurface::operator=(TSurface&& o) noexcept
{
    if (this != &o)
    {
        w_ = o.w_;
        h_ = o.h_;
        stride_ = o.stride_;
        bottomUp_ = o.bottomUp_;
        owned_ = std::move(o.owned_);
        wrapped_ = o.wrapped_;
        o.w_ = o.h_ = o.stride_ = 0;
        o.bottomUp_ = false;
        o.wrapped_ = nullptr;
        o.owned_.clear();
    }
    return *this;
}

unsigned char* TSurface::mem() const
{
    if (wrapped_) return wrapped_;
    return owned_.empty() ? nullptr
                          : reinterpret_cast<unsigned char*>(const_cast<TPixel*>(owned_.data()));
}

TSurface TSurface::Clone() const
{
    TSurface s(w_, h_);
    for (int y = 0; y < h_; ++y) std::memcpy(s.Row(y), Row(y), size_t(w_) * 4);
    return s;
}

bool TSurface::Resize(int w, int h)
{
    if (wrapped_) return false;
    if (w == w_ && h == h_) return true;
    TSurface n(w, h);
    int cw = std::min(w_, n.w_), ch = std::min(h_, n.h_);
    for (int y = 0; y < ch; ++y) std::memcpy(n.Row(y), Row(y), size_t(cw) * 4);
    *this = std::move(n);
    return true;
}

TPixel TSurface::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return 0;
    return Row(y)[x];
}

void TSurface::SetPixel(int x, int y, TPixel p)
{
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    Row(y)[x] = p;
}

void TSurface::Fill(TPixel p) { FillRect(Bounds(), p); }

void TSurface::Premultiply()
{
    for (int y = 0; y < h_; ++y)
    {
        TPixel* row = Row(y);
        for (int x = 0; x < w_; ++x)
        {
            const TPixel p = row[x];
            const unsigned a = PixelA(p);
            if (a == 255) continue;
            auto m = [a](unsigned c) { return BYTE((c * a + 127) / 255); };
            row[x] = MakePixel(m(PixelR(p)), m(PixelG(p)), m(PixelB(p)), BYTE(a));
        }
    }
}

void TSurface::FillRect(const TRect& r, TPixel p)
{
    TRect c;
    if (!IntersectRect(c, r, Bounds())) return;
    for (int y = c.Top; y < c.Bottom; ++y)
    {
        TPixel* row = Row(y);
        std::fill(row + c.Left, row + c.Right, p);
    }
}

bool TSurface::SavePng(const std::string& path, bool keepAlpha) const
{
    if (Empty()) return false;
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w_);
    img.height = png_uint_32(h_);
    img.format = keepAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    // Gather top-down rows in the format asked for.
    const int comps = keepAlpha ? 4 : 3;
    std::vector<unsigned char> buf(size_t(w_) * h_ * comps);
    for (int y = 0; y < h_; ++y)
    {
        const TPixel* row = Row(y);
        unsigned char* out = buf.data() + size_t(y) * w_ * comps;
        for (int x = 0; x < w_; ++x)
        {
            TPixel p = row[x];
            *out++ = PixelB(p);
            *out++ = PixelG(p);
            *out++ = PixelR(p);
            if (keepAlpha) *out++ = PixelA(p);
        }
    }
    int ok = png_image_write_to_file(&img, path.c_str(), 0, buf.data(), w_ * comps, nullptr);
    png_image_free(&img);
    return ok != 0;
}

TSurface TSurface::LoadPng(const std::string& path)
{
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
    {
        std::string why = img.message;
        png_image_free(&img);
        throw Exception("Cannot read PNG file \"" + path + "\": " + why);
    }
    img.format = PNG_FORMAT_BGRA;
    if (static_cast<long long>(img.width) * img.height > kMaxPixels)
    {
        png_image_free(&img);
        throw Exception("PNG file \"" + path + "\" is too large");
    }
    TSurface s(int(img.width), int(img.height));
    if (!png_image_finish_read(&img, nullptr, s.Memory(), s.StrideBytes(), nullptr))
    {
        std::string why = img.message;
        png_image_free(&img);
        throw Exception("Cannot read PNG file \"" + path + "\": " + why);
    }
    png_image_free(&img);
    return s;
}
