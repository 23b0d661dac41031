// TbsBitmap and TbsBitmapLink stream records, PCX pictures and the pictures
// compiled into the program.
#include "lib/bsEffects.h"
#include "platform/gui/Streams.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
std::int32_t ReadInt32(TStream& s)
{
    std::uint8_t b[4];
    s.ReadBuffer(b, 4);
    return std::int32_t(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
                        (std::uint32_t(b[3]) << 24));
}

void WriteInt32(TStream& s, std::int32_t v)
{
    const std::uint32_t u = std::uint32_t(v);
    const std::uint8_t b[4] = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    s.WriteBuffer(b, 4);
}

std::int64_t BytesLeft(TStream& s) { return std::max<std::int64_t>(0, s.Size() - s.Position()); }
}  // namespace

// ---------------------------------------------------------------------------
// Stream records

void TbsBitmap::SaveToStream(TStream& stream)
{
    WriteStringToStream(stream, FName);
    WriteInt32(stream, FWidth);
    WriteInt32(stream, FHeight);
    if (!Empty()) stream.WriteBuffer(FBits, std::int64_t(FWidth) * FHeight * 4);
}

void TbsBitmap::LoadFromStream(TStream& stream)
{
    std::string name;
    if (!ReadStringFromStream(stream, name))
        throw Exception("Bitmap stream record is damaged: the name is cut short");
    if (BytesLeft(stream) < 8) throw Exception("Bitmap stream record is damaged: the size is missing");
    const std::int32_t w = ReadInt32(stream);
    const std::int32_t h = ReadInt32(stream);
    const long long hh = h < 0 ? -(long long)h : h;
    const bool hasPixels = w > 0 && hh > 0;
    if (hasPixels && (long long)w > BytesLeft(stream) / (4 * hh))
        throw Exception("Bitmap stream record is damaged: the pixels are cut short");
    FName = name;
    if (hasPixels) SetSize(w, int(hh));
    if (hasPixels && FWidth == w && FHeight == hh) stream.ReadBuffer(FBits, std::int64_t(w) * hh * 4);
    if (h <= 0) FlipVert();
}

void TbsBitmapLink::SaveToStream(TStream& stream)
{
    WriteStringToStream(stream, FName);
    WriteInt32(stream, FRect.Left);
    WriteInt32(stream, FRect.Top);
    WriteInt32(stream, FRect.Right);
    WriteInt32(stream, FRect.Bottom);
}

void TbsBitmapLink::LoadFromStream(TStream& stream)
{
    std::string name;
    if (!ReadStringFromStream(stream, name) || BytesLeft(stream) < 16)
        throw Exception("Bitmap link stream record is damaged");
    TRect r;
    r.Left = ReadInt32(stream);
    r.Top = ReadInt32(stream);
    r.Right = ReadInt32(stream);
    r.Bottom = ReadInt32(stream);
    FName = name;
    FRect = r;
}

// ---------------------------------------------------------------------------
// PCX

namespace
{
// The 16 colours of the system's default palette.
const std::uint8_t kSystem16[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// Largest PCX picture read (pixels).
constexpr long long kMaxPcxPixels = 1LL << 24;
}  // namespace

void TbsBitmap::LoadFromPcxStream(TStream& stream)
{
    std::uint8_t hdr[128];
    if (stream.Read(hdr, 128) != 128) return;   // no header: nothing is loaded
    if (hdr[0] != 10 && hdr[0] != 205) return;
    const int version = hdr[1], encoding = hdr[2];
    auto u16 = [&](int off) { return int(hdr[off]) | (int(hdr[off + 1]) << 8); };
    const int width = u16(8) - u16(4) + 1, height = u16(10) - u16(6) + 1;
    const long long lineBytes = (long long)hdr[65] * u16(66);
    if (width <= 0 || height <= 0 || (long long)width * height > kMaxPcxPixels ||
        lineBytes * height > 4 * kMaxPcxPixels)
        throw Exception("PCX picture has an invalid size");
    const std::int64_t dataStart = stream.Position();
    const std::int64_t remaining = BytesLeft(stream);

    // Palette: the 16 system colours, or the 768 bytes at the end of the stream.
    std::vector<TbsColor> palette(256, 0xFF000000u);
    if (version == 3) {
        for (int i = 0; i < 16; ++i)
            palette[i] = 0xFF000000u | (TbsColor(kSystem16[i][0]) << 16) | (TbsColor(kSystem16[i][1]) << 8) |
                         kSystem16[i][2];
    } else if (stream.Size() >= 769) {
        std::uint8_t pal[768];
        stream.Seek(-768, soEnd);
        const std::int64_t got = stream.Read(pal, 768);
        for (int i = 0; i < 256 && 3 * i + 2 < got; ++i)
            palette[i] = 0xFF000000u | (TbsColor(pal[3 * i]) << 16) | (TbsColor(pal[3 * i + 1]) << 8) | pal[3 * i + 2];
        stream.SetPosition(dataStart);
    }

    // Data: run-length decoded or as it is; missing bytes stay 0.
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(remaining));
    const std::int64_t got = remaining > 0 ? stream.Read(raw.data(), remaining) : 0;
    raw.resize(std::size_t(std::max<std::int64_t>(got, 0)));
    const std::size_t need = std::size_t(lineBytes * height);
    std::vector<std::uint8_t> data(need, 0);
    if (encoding == 1) {
        std::size_t in = 0, out = 0;
        while (out < need && in < raw.size()) {
            const std::uint8_t b = raw[in++];
            if (b >= 192) {
                const std::size_t run = std::min<std::size_t>(b & 63, need - out);
                const std::uint8_t v = in < raw.size() ? raw[in++] : 0;
                std::fill(data.begin() + std::ptrdiff_t(out), data.begin() + std::ptrdiff_t(out + run), v);
                out += run;
            } else {
                data[out++] = b;
            }
        }
    } else {
        std::memcpy(data.data(), raw.data(), std::min(need, raw.size()));
    }

    TbsBitmap pic;
    pic.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        TbsColor* row = pic.ScanLine(y);
        const std::size_t line = std::size_t(y * lineBytes);
        for (int x = 0; x < width; ++x) {
            const std::size_t i = line + std::size_t(x);
            row[x] = palette[i < data.size() ? data[i] : 0];
        }
    }
    SetSize(width, height);
    CopyRun(pic.Bits(), FBits, width * height);
}

// ---------------------------------------------------------------------------
// Pictures compiled in: the slider's default thumbs and rulers, drawn in the
// 16 system colours on a fuchsia background that drawing leaves out.

namespace
{
constexpr TbsColor cBack = 0xFFFF00FF, cWhite = 0xFFFFFFFF, cSilver = 0xFFC0C0C0, cGray = 0xFF808080,
                   cBlack = 0xFF000000, cNavy = 0xFF000080;

// A thumb pointing down (w x h, a body bodyLen high and a tip narrowing to
// one pixel) or, when `right`, pointing right (body bodyLen wide).
void DrawThumb(std::vector<TbsColor>& px, int stride, int ox, int w, int h, int bodyLen, bool pressed,
               bool right)
{
    auto inside = [&](int x, int y) {
        if (x < 0 || x >= w || y < 0 || y >= h) return false;
        if (!right) {
            if (y < bodyLen) return true;
            const int k = y - bodyLen + 1;   // 1 .. tip length
            return x >= k && x <= w - 1 - k;
        }
        if (x < bodyLen) return true;
        const int k = x - bodyLen + 1;
        return y >= k && y <= h - 1 - k;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) continue;
            TbsColor c = pressed ? cGray : cSilver;
            if (!inside(x + 1, y) || !inside(x, y + 1) || !inside(x + 1, y + 1))
                c = cBlack;
            else if (!inside(x - 1, y) || !inside(x, y - 1))
                c = pressed ? cSilver : cWhite;
            else if (!inside(x + 2, y) || !inside(x, y + 2))
                c = pressed ? cBlack : cGray;
            else if (!right && x == w / 2 && y >= 3 && y < bodyLen - 3)
                c = pressed ? cWhite : cNavy;   // a grip line along the middle
            else if (right && y == h / 2 && x >= 3 && x < bodyLen - 3)
                c = pressed ? cWhite : cNavy;
            px[std::size_t(y * stride + ox + x)] = c;
        }
}

// A sunken groove across a strip `len` long and `thick` wide.
TbsColor GrooveAt(int along, int across, int len)
{
    if (across < 2 || across > 5) return cBack;
    if (along == 0) return cGray;
    if (along == len - 1) return cWhite;
    switch (across) {
    case 2: return cGray;
    case 3: return cBlack;
    case 4: return cSilver;
    default: return cWhite;
    }
}

std::vector<TbsResourcePicture> BuildPictures()
{
    std::vector<TbsResourcePicture> out;
    {   // horizontal thumb: two states of 9 x 17
        TbsResourcePicture p{"BS_HTB", 18, 17, std::vector<TbsColor>(18 * 17, cBack)};
        DrawThumb(p.Pixels, 18, 0, 9, 17, 13, false, false);
        DrawThumb(p.Pixels, 18, 9, 9, 17, 13, true, false);
        out.push_back(std::move(p));
    }
    {   // vertical thumb: two states of 19 x 9, pointing right
        TbsResourcePicture p{"BS_VTB", 38, 9, std::vector<TbsColor>(38 * 9, cBack)};
        DrawThumb(p.Pixels, 38, 0, 19, 9, 15, false, true);
        DrawThumb(p.Pixels, 38, 19, 19, 9, 15, true, true);
        out.push_back(std::move(p));
    }
    {   // horizontal ruler 10 x 8
        TbsResourcePicture p{"BS_HRL", 10, 8, std::vector<TbsColor>(10 * 8, cBack)};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) p.Pixels[std::size_t(y * 10 + x)] = GrooveAt(x, y, 10);
        out.push_back(std::move(p));
    }
    {   // vertical ruler 8 x 10
        TbsResourcePicture p{"BS_VRL", 8, 10, std::vector<TbsColor>(8 * 10, cBack)};
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 8; ++x) p.Pixels[std::size_t(y * 8 + x)] = GrooveAt(y, x, 10);
        out.push_back(std::move(p));
    }
    return out;
}
}  // namespace

const TbsResourcePicture* FindResourcePicture(const std::string& name)
{
    static const std::vector<TbsResourcePicture> pictures = BuildPictures();
    for (const TbsResourcePicture& p : pictures) {
        if (p.Name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper((unsigned char)name[i]) == std::toupper((unsigned char)p.Name[i]);
        if (same) return &p;
    }
    return nullptr;
}

void TbsBitmap::LoadFromResource(const std::string&, const std::string& resName)
{
    const TbsResourcePicture* p = FindResourcePicture(resName);
    if (!p) return;
    SetSize(p->Width, p->Height);
    CopyRun(p->Pixels.data(), FBits, p->Width * p->Height);
}
