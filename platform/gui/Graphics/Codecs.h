// Internal to the graphics classes: bytes in and out of streams and files,
// and the picture formats on 32-bit surfaces (through the image codecs).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Surface.h"
#include "platform/gui/Streams.h"

namespace graphics
{
using Bytes = std::vector<std::uint8_t>;

// Whole file; raises EFOpenError / EReadError.
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& data);
// The rest of a stream from its position.
Bytes ReadRest(TStream* s);
void WriteAll(TStream* s, const Bytes& data);

// A memory stream over bytes.
class TByteStream
{
public:
    TByteStream() = default;
    explicit TByteStream(Bytes data);
    TStream* Stream() { return &ms_; }
    graphics::Bytes Data() const;

private:
    TMemoryStream ms_;
};

// Each reader raises EInvalidGraphic with a clear reason on a damaged picture.
// bitsPerPixel (optional) receives 24 or 32 for a BMP (32 when it has alpha).
TSurface ReadBmp(const Bytes& data, int* bitsPerPixel = nullptr);
Bytes WriteBmp(const TSurface& s, int bitsPerPixel);
TSurface ReadPng(const Bytes& data);
Bytes WritePng(const TSurface& s);
TSurface ReadJpeg(const Bytes& data);
Bytes WriteJpeg(const TSurface& s, int quality);
TSurface ReadGif(const Bytes& data);
Bytes WriteGif(const TSurface& s);
TSurface ReadIco(const Bytes& data);
Bytes WriteIco(const TSurface& s);
} // namespace graphics
