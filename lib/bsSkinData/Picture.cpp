#include "lib/bsSkinData/Picture.h"

#include "platform/sys/Files.h"

#include <cstring>
#include <fstream>

namespace
{
std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void Put32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

[[noreturn]] void Invalid(const std::string& why)
{
    throw EbsSkinDataError("Bitmap image is not valid (" + why + ")");
}

int ShiftOf(std::uint32_t mask)
{
    int s = 0;
    if (mask == 0) return 0;
    while ((mask & 1) == 0)
    {
        mask >>= 1;
        ++s;
    }
    return s;
}

// A channel of a bit-field pixel scaled to 8 bits.
std::uint32_t Channel(std::uint32_t v, std::uint32_t mask)
{
    if (mask == 0) return 0;
    int shift = ShiftOf(mask);
    std::uint32_t m = mask >> shift, x = (v & mask) >> shift;
    return m == 0 ? 0 : (x * 255 + m / 2) / m;
}
} // namespace

void TbsPictureBudget::Take(std::int64_t w, std::int64_t h)
{
    const std::int64_t bytes = w * h * 4;
    if (bytes > MaxBytes - FUsed)
        throw EbsSkinTooLarge("The skin's pictures are too large: with a picture of " + std::to_string(w) + " x " +
                              std::to_string(h) + " pixels they would take " +
                              std::to_string((FUsed + bytes + (1 << 20) - 1) >> 20) +
                              " MB of memory, and a skin may take at most " + std::to_string(MaxBytes >> 20) +
                              " MB.");
    FUsed += bytes;
}

void TbsSkinPicture::Clear()
{
    FBitmap.reset();
    FWidth = FHeight = FBitCount = 0;
    pixels_.clear();
    bmp_.clear();
}

std::size_t TbsSkinPicture::BmpFileSize(const std::uint8_t* data, std::size_t avail)
{
    if (avail < 14 + 12) Invalid("the data end inside the file header");
    if (data[0] != 'B' || data[1] != 'M') Invalid("no BM signature");
    std::uint32_t size = U32(data + 2);
    if (size < 14 + 12) Invalid("the file size field is too small");
    if (size > avail) Invalid("the file is longer than the data that hold it");
    return size;
}

void TbsSkinPicture::LoadFromBmp(const std::uint8_t* data, std::size_t size, TbsPictureBudget* budget)
{
    if (size < 14 + 12) Invalid("too short");
    if (data[0] != 'B' || data[1] != 'M') Invalid("no BM signature");
    const std::uint8_t* ih = data + 14;
    std::uint32_t hsize = U32(ih);
    if (hsize != 12 && hsize < 40) Invalid("unknown header");
    if (14ull + hsize > size) Invalid("truncated header");
    std::int64_t w, h;
    int bpp;
    std::uint32_t compression = 0, clrUsed = 0;
    if (hsize == 12)
    {
        w = U16(ih + 4);
        h = static_cast<std::int16_t>(U16(ih + 6));
        bpp = U16(ih + 10);
    }
    else
    {
        w = static_cast<std::int32_t>(U32(ih + 4));
        h = static_cast<std::int32_t>(U32(ih + 8));
        bpp = U16(ih + 14);
        compression = U32(ih + 16);
        clrUsed = U32(ih + 32);
    }
    bool topDown = h < 0;
    if (topDown) h = -h;
    if (w <= 0 || h <= 0) Invalid("empty size");
    if (w > MaxSide || h > MaxSide || w * h > MaxPixels) Invalid("size beyond the limits");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid("unsupported bit count");
    std::uint32_t rmask = 0, gmask = 0, bmask = 0;
    if (compression == 3 && (bpp == 16 || bpp == 32))
    {
        // Masks follow a 40-byte header, or sit inside a longer one.
        if (14ull + 40 + 12 > size) Invalid("truncated bit fields");
        rmask = U32(ih + 40);
        gmask = U32(ih + 44);
        bmask = U32(ih + 48);
    }
    else if (compression != 0)
        Invalid("compressed bitmaps are not supported");
    else if (bpp == 16)
    {
        rmask = 0x7C00;
        gmask = 0x03E0;
        bmask = 0x001F;
    }
    else if (bpp == 32)
    {
        rmask = 0xFF0000;
        gmask = 0xFF00;
        bmask = 0xFF;
    }

    // Colour table for the palette formats.
    std::vector<std::uint32_t> palette;
    if (bpp <= 8)
    {
        std::uint32_t n = clrUsed ? clrUsed : (1u << bpp);
        if (n > 256) Invalid("colour table too large");
        std::size_t entry = hsize == 12 ? 3 : 4;
        std::uint64_t tableAt = 14ull + hsize + (compression == 3 ? 12 : 0);
        if (tableAt + std::uint64_t(n) * entry > size) Invalid("truncated colour table");
        palette.resize(1u << bpp, 0xFF000000u);
        for (std::uint32_t i = 0; i < n && i < palette.size(); ++i)
        {
            const std::uint8_t* e = data + tableAt + i * entry;
            palette[i] = 0xFF000000u | (std::uint32_t(e[2]) << 16) | (std::uint32_t(e[1]) << 8) | e[0];
        }
    }

    std::uint32_t offBits = U32(data + 10);
    std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
    if (offBits < 14 + hsize || offBits + stride * static_cast<std::uint64_t>(h) > size)
        Invalid("the pixel rows run past the end of the file");
    if (budget) budget->Take(w, h);

    std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
    for (std::int64_t y = 0; y < h; ++y)
    {
        const std::uint8_t* row = data + offBits + stride * static_cast<std::uint64_t>(topDown ? y : h - 1 - y);
        std::uint32_t* out = px.data() + y * w;
        // One loop per format, so that the row's loop holds no choice.
        switch (bpp)
        {
        case 1:
            for (std::int64_t x = 0; x < w; ++x) out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (std::int64_t x = 0; x < w; ++x) out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case 8:
            for (std::int64_t x = 0; x < w; ++x) out[x] = palette[row[x]];
            break;
        case 16:
            for (std::int64_t x = 0; x < w; ++x)
            {
                const std::uint32_t v = U16(row + 2 * x);
                out[x] = 0xFF000000u | (Channel(v, rmask) << 16) | (Channel(v, gmask) << 8) | Channel(v, bmask);
            }
            break;
        case 24:
            for (std::int64_t x = 0; x < w; ++x)
                out[x] = 0xFF000000u | (std::uint32_t(row[3 * x + 2]) << 16) | (std::uint32_t(row[3 * x + 1]) << 8) |
                         row[3 * x];
            break;
        default:
            for (std::int64_t x = 0; x < w; ++x)
            {
                const std::uint32_t v = U32(row + 4 * x);
                out[x] = 0xFF000000u | (Channel(v, rmask) << 16) | (Channel(v, gmask) << 8) | Channel(v, bmask);
            }
            break;
        }
    }
    FBitmap.reset();
    FWidth = static_cast<int>(w);
    FHeight = static_cast<int>(h);
    FBitCount = bpp;
    pixels_ = std::move(px);
    bmp_.assign(data, data + size);
    // The size field always states the length of the whole file.
    Put32(bmp_.data() + 2, static_cast<std::uint32_t>(bmp_.size()));
}

void TbsSkinPicture::LoadFromFile(const std::string& fileName, TbsPictureBudget* budget)
{
    if (sys::DirectoryExists(fileName))
        throw EbsSkinDataError("Cannot open file \"" + fileName + "\". Is a directory");
    if (sys::IsSpecialFile(fileName))
        throw EbsSkinDataError("Cannot open file \"" + fileName + "\". Not a regular file");
    std::ifstream f(fileName, std::ios::binary);
    if (!f) throw EbsSkinDataError("Cannot open file \"" + fileName + "\".");
    f.seekg(0, std::ios::end);
    std::streamoff len = f.tellg();
    // The largest picture within the limits, with room for its headers.
    if (len < 0 || len > MaxPixels * 4 + 4096)
        throw EbsSkinDataError("Bitmap image is not valid (\"" + fileName + "\" is too large)");
    f.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(len));
    if (len > 0 && !f.read(reinterpret_cast<char*>(buf.data()), len))
        throw EbsSkinDataError("Cannot read file \"" + fileName + "\".");
    try
    {
        LoadFromBmp(buf.data(), buf.size(), budget);
    }
    catch (const EbsSkinTooLarge&)
    {
        throw;
    }
    catch (const EbsSkinDataError& e)
    {
        throw EbsSkinDataError(std::string(e.what()) + ": \"" + fileName + "\"");
    }
}

void TbsSkinPicture::SaveToFile(const std::string& fileName) const
{
    if (sys::IsSpecialFile(fileName))
        throw EbsSkinDataError("Cannot create file \"" + fileName + "\". Not a regular file");
    std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
    if (!f) throw EbsSkinDataError("Cannot create file \"" + fileName + "\".");
    f.write(reinterpret_cast<const char*>(bmp_.data()), static_cast<std::streamsize>(bmp_.size()));
    if (!f) throw EbsSkinDataError("Cannot write file \"" + fileName + "\".");
}

void TbsSkinPicture::SetPixels(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    if (width <= 0 || height <= 0)
    {
        Clear();
        return;
    }
    if (pixels.size() != static_cast<std::size_t>(width) * height)
        throw EbsSkinDataError("Bitmap image is not valid (pixel count does not match the size)");
    std::size_t stride = ((static_cast<std::size_t>(width) * 24 + 31) / 32) * 4;
    std::vector<std::uint8_t> b(54 + stride * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(&b[2], static_cast<std::uint32_t>(b.size()));
    Put32(&b[10], 54);
    Put32(&b[14], 40);
    Put32(&b[18], static_cast<std::uint32_t>(width));
    Put32(&b[22], static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    Put32(&b[34], static_cast<std::uint32_t>(stride * height));
    for (int y = 0; y < height; ++y)
    {
        std::uint8_t* row = &b[54 + stride * (height - 1 - y)];
        for (int x = 0; x < width; ++x)
        {
            std::uint32_t c = pixels[static_cast<std::size_t>(y) * width + x];
            row[3 * x] = std::uint8_t(c);
            row[3 * x + 1] = std::uint8_t(c >> 8);
            row[3 * x + 2] = std::uint8_t(c >> 16);
        }
    }
    LoadFromBmp(b.data(), b.size());
}
