// The picture formats on 32-bit surfaces, for the graphics classes: the
// image codecs' pixel buffers copied to and from TSurface, their errors
// raised as EInvalidGraphic.
#include "platform/gui/Graphics/Codecs.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImageCodecs.h"

#include <cstring>

namespace graphics
{
namespace {

TSurface ToSurface(const imagecodec::TPixels& p)
{
    TSurface s(p.Width, p.Height);
    for (int y = 0; y < p.Height; ++y)
        std::memcpy(s.Row(y), &p.Data[std::size_t(y) * std::size_t(p.Width)], std::size_t(p.Width) * 4);
    return s;
}

imagecodec::TPixels FromSurface(const TSurface& s)
{
    if (s.Empty()) throw EInvalidGraphic("Cannot save an empty picture");
    imagecodec::TPixels p;
    p.Width = s.Width();
    p.Height = s.Height();
    p.Data.resize(std::size_t(p.Width) * std::size_t(p.Height));
    for (int y = 0; y < p.Height; ++y)
        std::memcpy(&p.Data[std::size_t(y) * std::size_t(p.Width)], s.Row(y), std::size_t(p.Width) * 4);
    return p;
}

template <class F>
auto Guard(F f) -> decltype(f())
{
    try
    {
        return f();
    }
    catch (const EImageError& e)
    {
        throw EInvalidGraphic(e.Message());
    }
}

} // namespace

TSurface ReadBmp(const Bytes& data, int* bitsPerPixel)
{
    return Guard([&] { return ToSurface(imagecodec::ReadBmp(data, bitsPerPixel)); });
}
Bytes WriteBmp(const TSurface& s, int bitsPerPixel)
{
    return Guard([&] { return imagecodec::WriteBmp(FromSurface(s), bitsPerPixel); });
}
TSurface ReadPng(const Bytes& data) { return Guard([&] { return ToSurface(imagecodec::ReadPng(data)); }); }
Bytes WritePng(const TSurface& s) { return Guard([&] { return imagecodec::WritePng(FromSurface(s)); }); }
TSurface ReadJpeg(const Bytes& data) { return Guard([&] { return ToSurface(imagecodec::ReadJpeg(data)); }); }
Bytes WriteJpeg(const TSurface& s, int quality)
{
    return Guard([&] { return imagecodec::WriteJpeg(FromSurface(s), quality); });
}
TSurface ReadGif(const Bytes& data) { return Guard([&] { return ToSurface(imagecodec::ReadGif(data)); }); }
Bytes WriteGif(const TSurface& s) { return Guard([&] { return imagecodec::WriteGif(FromSurface(s)); }); }
}
