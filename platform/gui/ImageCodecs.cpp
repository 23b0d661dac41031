#include "platform/gui/ImageCodecs.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace imagecodec
{
namespace {

[[noreturn]] void Fail(const std::string& msg) { throw EImageError(msg); }

void CheckSize(std::int64_t w, std::int64_t h, const char* what)
{
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels)
        Fail(std::string("Invalid ") + what + " picture size " + std::to_string(w) + " x " + std::to_string(h));
}

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
void Put16(Bytes& b, std::uint16_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); }
void Put32(Bytes& b, std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i))); }

void CheckPixels(const TPixels& p, const char* what)
{
    CheckSize(p.Width, p.Height, what);
    if (p.Data.size() != std::size_t(p.Width) * std::size_t(p.Height))
        Fail(std::string("Pixel buffer does not match the picture size (") + what + ")");
}

// A bit-field channel: shift and width of a mask, scaled to 8 bits.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0, bits = 0;
    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
    }
    std::uint8_t Get(std::uint32_t v) const
    {
        if (!mask || bits == 0) return 0;
        std::uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return std::uint8_t(x >> (bits - 8));
        std::uint32_t max = (1u << bits) - 1;
        return std::uint8_t((x * 255 + max / 2) / max);
    }
};

// Pixels that grow by rows as a decoder delivers them, so a damaged file that
// declares a large picture fails before the memory for all of it is taken.
class RowSink
{
public:
    RowSink(std::int64_t w, std::int64_t h, const char* what) : w_(std::size_t(w)), h_(std::size_t(h))
    {
        CheckSize(w, h, what);
    }
    // Row y (rows come in order: y is at most one past the last row asked for).
    std::uint32_t* Row(std::size_t y)
    {
        const std::size_t need = (y + 1) * w_;
        if (need > data_.size())
        {
            if (need > data_.capacity()) data_.reserve(std::min(w_ * h_, std::max(need, 2 * data_.capacity())));
            data_.resize(need);
        }
        return &data_[y * w_];
    }
    // Every row at once (for interlaced pictures, which fill rows in passes).
    std::uint32_t* All() { return Row(h_ - 1) - (h_ - 1) * w_; }
    TPixels Take()
    {
        if (data_.size() != w_ * h_) Fail("Picture data cut short");
        TPixels p;
        p.Width = int(w_);
        p.Height = int(h_);
        p.Data = std::move(data_);
        return p;
    }

private:
    std::size_t w_, h_;
    std::vector<std::uint32_t> data_;
};

} // namespace

TPixels::TPixels(int w, int h)
{
    CheckSize(w, h, "");
    Width = w;
    Height = h;
    Data.assign(std::size_t(w) * std::size_t(h), 0);
}

TImageFormat DetectImageFormat(const std::uint8_t* d, std::size_t n)
{
    if (n >= 2 && d[0] == 'B' && d[1] == 'M') return TImageFormat::Bmp;
    if (n >= 8 && std::memcmp(d, "\x89PNG\r\n\x1A\n", 8) == 0) return TImageFormat::Png;
    if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return TImageFormat::Jpeg;
    if (n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) return TImageFormat::Gif;
    return TImageFormat::Unknown;
}

// ---- BMP ---------------------------------------------------------------------

TPixels ReadBmp(const std::uint8_t* d, std::size_t n, int* bitsPerPixel)
{
    if (n < 14 + 12 || d[0] != 'B' || d[1] != 'M') Fail("Not a BMP file");
    const std::uint32_t offBits = Le32(d + 10);
    const std::uint32_t hdr = Le32(d + 14);
    if (hdr != 12 && hdr < 40) Fail("Unsupported BMP header size " + std::to_string(hdr));
    if (std::uint64_t(14) + hdr > n) Fail("BMP file cut short in its header");
    const std::uint8_t* h = d + 14;
    std::int64_t w, ht;
    int bpp;
    std::uint32_t compression = 0, clrUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool haveMasks = false;
    if (hdr == 12)
    {
        w = Le16(h + 4);
        ht = std::int16_t(Le16(h + 6));
        bpp = Le16(h + 10);
    }
    else
    {
        w = std::int32_t(Le32(h + 4));
        ht = std::int32_t(Le32(h + 8));
        bpp = Le16(h + 14);
        compression = Le32(h + 16);
        clrUsed = Le32(h + 32);
        // Later headers carry the masks; they count only for bit-field files.
        if (hdr >= 52 && (compression == 3 || compression == 6))
        {
            masks[0] = Le32(h + 40);
            masks[1] = Le32(h + 44);
            masks[2] = Le32(h + 48);
            if (hdr >= 56) masks[3] = Le32(h + 52);
            haveMasks = true;
        }
    }
    const bool topDown = ht < 0;
    if (topDown) ht = -ht;
    CheckSize(w, ht, "BMP");

    std::size_t pos = 14 + hdr;
    if (compression == 3 || compression == 6)   // BI_BITFIELDS / BI_ALPHABITFIELDS
    {
        if (hdr == 40)
        {
            int count = compression == 6 ? 4 : 3;
            if (pos + std::size_t(count) * 4 > n) Fail("BMP file cut short in its colour masks");
            for (int i = 0; i < count; ++i) masks[i] = Le32(d + pos + std::size_t(i) * 4);
            pos += std::size_t(count) * 4;
            haveMasks = true;
        }
        if (bpp != 16 && bpp != 32) Fail("Invalid BMP: colour masks with " + std::to_string(bpp) + " bits");
    }
    else if (compression != 0)
        Fail("Unsupported BMP compression " + std::to_string(compression));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        Fail("Unsupported BMP colour depth " + std::to_string(bpp));

    // Palette.
    std::vector<std::uint32_t> palette;
    if (bpp <= 8)
    {
        std::uint32_t count = clrUsed ? clrUsed : (1u << bpp);
        if (count > 256) Fail("Invalid BMP palette size " + std::to_string(count));
        std::size_t entry = hdr == 12 ? 3 : 4;
        if (pos + count * entry > n) Fail("BMP file cut short in its palette");
        for (std::uint32_t i = 0; i < count; ++i)
        {
            const std::uint8_t* e = d + pos + i * entry;
            palette.push_back(Argb(e[2], e[1], e[0]));
        }
        pos += count * entry;
        palette.resize(std::size_t(1) << bpp, Argb(0, 0, 0));   // out-of-range indices read black
    }

    const std::size_t stride = ((std::size_t(w) * std::size_t(bpp) + 31) / 32) * 4;
    std::size_t start = offBits >= pos && offBits < n ? offBits : pos;
    if (start + stride * std::size_t(ht) > n) Fail("BMP file cut short in its pixels");

    if (!haveMasks && bpp == 16) { masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F; }
    if (!haveMasks && bpp == 32) { masks[0] = 0x00FF0000; masks[1] = 0x0000FF00; masks[2] = 0x000000FF; masks[3] = 0xFF000000; }
    Channel cr(masks[0]), cg(masks[1]), cb(masks[2]), ca(masks[3]);

    TPixels out{int(w), int(ht)};
    bool anyAlpha = false;
    for (std::int64_t y = 0; y < ht; ++y)
    {
        const std::uint8_t* row = d + start + stride * std::size_t(topDown ? y : ht - 1 - y);
        std::uint32_t* dst = &out.Data[std::size_t(y) * std::size_t(w)];
        for (std::int64_t x = 0; x < w; ++x)
        {
            switch (bpp)
            {
            case 1: dst[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: dst[x] = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
            case 8: dst[x] = palette[row[x]]; break;
            case 24: dst[x] = Argb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            case 16:
            {
                std::uint32_t v = Le16(row + x * 2);
                dst[x] = Argb(cr.Get(v), cg.Get(v), cb.Get(v), ca.mask ? ca.Get(v) : 255);
                break;
            }
            case 32:
            {
                std::uint32_t v = Le32(row + x * 4);
                std::uint8_t a = ca.mask ? ca.Get(v) : 255;
                anyAlpha = anyAlpha || a != 0;
                dst[x] = Argb(cr.Get(v), cg.Get(v), cb.Get(v), a);
                break;
            }
            }
        }
    }
    // A 32-bit picture whose alpha bytes are all 0 carries no alpha at all.
    if (bpp == 32 && !anyAlpha)
        for (auto& px : out.Data) px |= 0xFF000000u;
    if (bitsPerPixel) *bitsPerPixel = bpp == 32 ? 32 : 24;
    return out;
}

Bytes WriteBmp(const TPixels& p, int bitsPerPixel)
{
    CheckPixels(p, "BMP");
    if (bitsPerPixel != 24 && bitsPerPixel != 32) Fail("BMP pictures are written with 24 or 32 bits");
    const std::size_t stride = ((std::size_t(p.Width) * std::size_t(bitsPerPixel) + 31) / 32) * 4;
    const std::size_t image = stride * std::size_t(p.Height);
    Bytes b;
    b.reserve(54 + image);
    b.push_back('B');
    b.push_back('M');
    Put32(b, std::uint32_t(54 + image));
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, std::uint32_t(p.Width));
    Put32(b, std::uint32_t(p.Height));   // bottom-up
    Put16(b, 1);
    Put16(b, std::uint16_t(bitsPerPixel));
    Put32(b, 0);
    Put32(b, std::uint32_t(image));
    Put32(b, 2835);   // 72 dpi
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = p.Height - 1; y >= 0; --y)
    {
        std::size_t rowStart = b.size();
        for (int x = 0; x < p.Width; ++x)
        {
            std::uint32_t v = p.At(x, y);
            b.push_back(std::uint8_t(v));
            b.push_back(std::uint8_t(v >> 8));
            b.push_back(std::uint8_t(v >> 16));
            if (bitsPerPixel == 32) b.push_back(std::uint8_t(v >> 24));
        }
        b.resize(rowStart + stride, 0);
    }
    return b;
}

// ---- PNG ---------------------------------------------------------------------

namespace {
struct PngSource
{
    const std::uint8_t* data;
    std::size_t size, pos;
};

void PngReadData(png_structp png, png_bytep out, png_size_t len)
{
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (len > src->size - src->pos) png_error(png, "file cut short");
    std::memcpy(out, src->data + src->pos, len);
    src->pos += len;
}

void PngErrorFn(png_structp png, png_const_charp msg)
{
    auto* failure = static_cast<std::string*>(png_get_error_ptr(png));
    *failure = msg ? msg : "unknown error";
    png_longjmp(png, 1);
}

void PngWarningFn(png_structp, png_const_charp) {}

// State kept outside the frames that longjmp crosses.
struct PngReadState
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource src{};
    std::unique_ptr<RowSink> out;
    std::string failure;
};

// Deflate turns one byte of data into at most 1032 (a 258-byte match coded
// in two bits): a file shorter than its declared rows need cannot hold them.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

bool ReadPngInto(PngReadState* s)
{
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s->failure, PngErrorFn, PngWarningFn);
    if (!s->png) { s->failure = "out of memory"; return false; }
    s->info = png_create_info_struct(s->png);
    if (!s->info) { s->failure = "out of memory"; return false; }
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_set_read_fn(s->png, &s->src, PngReadData);
    png_read_info(s->png, s->info);
    png_uint_32 w = png_get_image_width(s->png, s->info), h = png_get_image_height(s->png, s->info);
    if (w == 0 || h == 0 || w > png_uint_32(kMaxImageSide) || h > png_uint_32(kMaxImageSide) ||
        std::int64_t(w) * h > kMaxImagePixels)
    {
        s->failure = "picture size " + std::to_string(w) + " x " + std::to_string(h);
        return false;
    }
    const std::uint64_t packedRow =
        (std::uint64_t(w) * png_get_channels(s->png, s->info) * png_get_bit_depth(s->png, s->info) + 7) / 8;
    if (std::uint64_t(h) * (packedRow + 1) > kMaxDeflateRatio * (s->src.size - s->src.pos) + 1024)
    {
        s->failure = "picture size " + std::to_string(w) + " x " + std::to_string(h) +
                     " is more than the file's data can hold";
        return false;
    }
    // Everything to 8-bit B, G, R, A without any gamma processing.
    int colorType = png_get_color_type(s->png, s->info);
    png_set_strip_16(s->png);
    png_set_packing(s->png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s->png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(s->png, s->info) < 8)
        png_set_expand_gray_1_2_4_to_8(s->png);
    if (png_get_valid(s->png, s->info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(s->png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s->png);
    png_set_bgr(s->png);
    png_set_filler(s->png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);
    if (png_get_rowbytes(s->png, s->info) != std::size_t(w) * 4)
    {
        s->failure = "unexpected row layout";
        return false;
    }
    s->out = std::make_unique<RowSink>(w, h, "PNG");
    if (png_get_interlace_type(s->png, s->info) == PNG_INTERLACE_NONE)
        for (png_uint_32 y = 0; y < h; ++y)
            png_read_row(s->png, reinterpret_cast<png_bytep>(s->out->Row(y)), nullptr);
    else
    {
        // Interlaced passes revisit every row: the whole picture at once
        // (the data check above bounds it).
        std::uint32_t* all = s->out->All();
        const int passes = png_set_interlace_handling(s->png);
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < h; ++y)
                png_read_row(s->png, reinterpret_cast<png_bytep>(all + std::size_t(y) * w), nullptr);
    }
    png_read_end(s->png, nullptr);
    return true;
}
} // namespace

TPixels ReadPng(const std::uint8_t* d, std::size_t n)
{
    if (n < 8 || DetectImageFormat(d, n) != TImageFormat::Png) Fail("Not a PNG file");
    auto s = std::make_unique<PngReadState>();
    s->src = PngSource{d, n, 0};
    bool ok = ReadPngInto(s.get());
    png_destroy_read_struct(s->png ? &s->png : nullptr, s->info ? &s->info : nullptr, nullptr);
    if (!ok) Fail("Invalid PNG file: " + s->failure);
    return s->out->Take();
}

Bytes WritePng(const TPixels& p)
{
    CheckPixels(p, "PNG");
    bool opaque = std::all_of(p.Data.begin(), p.Data.end(), [](std::uint32_t v) { return (v >> 24) == 0xFF; });
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = std::uint32_t(p.Width);
    img.height = std::uint32_t(p.Height);
    std::vector<std::uint8_t> bgr;
    const void* src = p.Data.data();
    if (opaque)
    {
        img.format = PNG_FORMAT_BGR;
        bgr.resize(p.Data.size() * 3);
        for (std::size_t i = 0; i < p.Data.size(); ++i)
        {
            bgr[i * 3] = std::uint8_t(p.Data[i]);
            bgr[i * 3 + 1] = std::uint8_t(p.Data[i] >> 8);
            bgr[i * 3 + 2] = std::uint8_t(p.Data[i] >> 16);
        }
        src = bgr.data();
    }
    else
        img.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&img, nullptr, &size, 0, src, 0, nullptr))
        Fail(std::string("Cannot write PNG: ") + img.message);
    Bytes out(size);
    if (!png_image_write_to_memory(&img, out.data(), &size, 0, src, 0, nullptr))
        Fail(std::string("Cannot write PNG: ") + img.message);
    out.resize(size);
    return out;
}

// ---- JPEG --------------------------------------------------------------------

namespace {
struct JpegError
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo)
{
    auto* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// State kept outside the frames that longjmp crosses.
struct JpegReadState
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    std::unique_ptr<RowSink> out;
    std::vector<std::uint8_t> row;
    std::string failure;
};

// Whether n bytes can plausibly hold the picture's coded blocks. A Huffman-coded
// block costs at least one bit (its DC difference); arithmetic coding can do
// better on flat pictures, so it is allowed 64 blocks a bit.
bool JpegDataCoversBlocks(const jpeg_decompress_struct& c, std::size_t n)
{
    std::uint64_t blocks = 0;
    for (int i = 0; i < c.num_components; ++i)
        blocks = std::max<std::uint64_t>(blocks, std::uint64_t(c.comp_info[i].width_in_blocks) *
                                                     c.comp_info[i].height_in_blocks);
    const std::uint64_t perBit = c.arith_code ? 64 : 1;
    return blocks <= std::uint64_t(n) * 8 * perBit;
}

bool ReadJpegInto(JpegReadState* s, const std::uint8_t* d, std::size_t n)
{
    s->cinfo.err = jpeg_std_error(&s->err.mgr);
    s->err.mgr.error_exit = JpegErrorExit;
    s->err.mgr.emit_message = JpegSilence;
    if (setjmp(s->err.jump))
    {
        s->failure = std::string("Invalid JPEG file: ") + s->err.message;
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    jpeg_create_decompress(&s->cinfo);
    jpeg_mem_src(&s->cinfo, d, static_cast<unsigned long>(n));
    jpeg_read_header(&s->cinfo, TRUE);
    std::int64_t w = s->cinfo.image_width, h = s->cinfo.image_height;
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels)
    {
        s->failure = "Invalid JPEG picture size " + std::to_string(w) + " x " + std::to_string(h);
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    if (!JpegDataCoversBlocks(s->cinfo, n))
    {
        s->failure = "Invalid JPEG file: picture size " + std::to_string(w) + " x " + std::to_string(h) +
                     " is more than the file's data can hold";
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    const bool cmyk = s->cinfo.jpeg_color_space == JCS_CMYK || s->cinfo.jpeg_color_space == JCS_YCCK;
    s->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&s->cinfo);
    s->out = std::make_unique<RowSink>(w, h, "JPEG");
    s->row.resize(std::size_t(w) * 4);
    const bool inverted = s->cinfo.saw_Adobe_marker;
    while (s->cinfo.output_scanline < s->cinfo.output_height)
    {
        std::size_t y = s->cinfo.output_scanline;
        std::uint32_t* outRow = s->out->Row(y);
        std::uint8_t* dst = cmyk ? s->row.data() : reinterpret_cast<std::uint8_t*>(outRow);
        JSAMPROW rows[1] = {dst};
        if (jpeg_read_scanlines(&s->cinfo, rows, 1) != 1) break;
        if (cmyk)
            for (std::int64_t x = 0; x < w; ++x)
            {
                int c = s->row[x * 4], m = s->row[x * 4 + 1], yy = s->row[x * 4 + 2], k = s->row[x * 4 + 3];
                if (!inverted) { c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k; }
                outRow[x] = Argb(std::uint8_t(c * k / 255), std::uint8_t(m * k / 255), std::uint8_t(yy * k / 255));
            }
    }
    jpeg_finish_decompress(&s->cinfo);
    jpeg_destroy_decompress(&s->cinfo);
    return true;
}

struct JpegWriteState
{
    jpeg_compress_struct cinfo;
    JpegError err;
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    std::string failure;
};

bool WriteJpegFrom(JpegWriteState* s, const TPixels& p, int quality)
{
    s->cinfo.err = jpeg_std_error(&s->err.mgr);
    s->err.mgr.error_exit = JpegErrorExit;
    s->err.mgr.emit_message = JpegSilence;
    if (setjmp(s->err.jump))
    {
        s->failure = std::string("Cannot write JPEG: ") + s->err.message;
        jpeg_destroy_compress(&s->cinfo);
        return false;
    }
    jpeg_create_compress(&s->cinfo);
    jpeg_mem_dest(&s->cinfo, &s->mem, &s->size);
    s->cinfo.image_width = JDIMENSION(p.Width);
    s->cinfo.image_height = JDIMENSION(p.Height);
    s->cinfo.input_components = 4;
    s->cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&s->cinfo);
    jpeg_set_quality(&s->cinfo, quality, TRUE);
    jpeg_start_compress(&s->cinfo, TRUE);
    while (s->cinfo.next_scanline < s->cinfo.image_height)
    {
        JSAMPROW rows[1] = {const_cast<JSAMPLE*>(
            reinterpret_cast<const JSAMPLE*>(&p.Data[std::size_t(s->cinfo.next_scanline) * std::size_t(p.Width)]))};
        jpeg_write_scanlines(&s->cinfo, rows, 1);
    }
    jpeg_finish_compress(&s->cinfo);
    jpeg_destroy_compress(&s->cinfo);
    return true;
}
} // namespace

TPixels ReadJpeg(const std::uint8_t* d, std::size_t n)
{
    if (n < 3 || d[0] != 0xFF || d[1] != 0xD8) Fail("Not a JPEG file");
    auto s = std::make_unique<JpegReadState>();
    if (!ReadJpegInto(s.get(), d, n)) Fail(s->failure);
    return s->out->Take();
}

Bytes WriteJpeg(const TPixels& p, int quality)
{
    CheckPixels(p, "JPEG");
    quality = std::clamp(quality, 1, 100);
    auto s = std::make_unique<JpegWriteState>();
    bool ok = WriteJpegFrom(s.get(), p, quality);
    Bytes out;
    if (ok && s->mem) out.assign(s->mem, s->mem + s->size);
    std::free(s->mem);
    if (!ok) Fail(s->failure);
    return out;
}

// ---- GIF ---------------------------------------------------------------------

namespace {
struct MemReader
{
    const std::uint8_t* data;
    std::size_t size, pos;
};

int GifRead(GifFileType* gif, GifByteType* buf, int len)
{
    auto* r = static_cast<MemReader*>(gif->UserData);
    if (len <= 0 || r->pos >= r->size) return 0;
    std::size_t n = std::min<std::size_t>(std::size_t(len), r->size - r->pos);
    std::memcpy(buf, r->data + r->pos, n);
    r->pos += n;
    return int(n);
}

int GifWrite(GifFileType* gif, const GifByteType* buf, int len)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buf, buf + len);
    return len;
}

std::string GifError(int code)
{
    const char* s = GifErrorString(code);
    return s ? s : "unknown error";
}

struct GifCloser
{
    void operator()(GifFileType* g) const
    {
        int err;
        DGifCloseFile(g, &err);
    }
};
} // namespace

TPixels ReadGif(const std::uint8_t* d, std::size_t n)
{
    if (n < 13 || DetectImageFormat(d, n) != TImageFormat::Gif) Fail("Not a GIF file");
    MemReader reader{d, n, 0};
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, GifRead, &err));
    if (!gif) Fail("Invalid GIF file: " + GifError(err));
    GifFileType* g = gif.get();
    int transparent = -1;
    for (;;)
    {
        GifRecordType type;
        if (DGifGetRecordType(g, &type) == GIF_ERROR) Fail("Invalid GIF file: " + GifError(g->Error));
        if (type == TERMINATE_RECORD_TYPE) Fail("Invalid GIF file: no picture in it");
        if (type == EXTENSION_RECORD_TYPE)
        {
            int code;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(g, &code, &ext) == GIF_ERROR) Fail("Invalid GIF file: " + GifError(g->Error));
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4)
            {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
            }
            while (ext)
                if (DGifGetExtensionNext(g, &ext) == GIF_ERROR) Fail("Invalid GIF file: " + GifError(g->Error));
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(g) == GIF_ERROR) Fail("Invalid GIF file: " + GifError(g->Error));
        const GifImageDesc& desc = g->Image;
        CheckSize(desc.Width, desc.Height, "GIF");
        ColorMapObject* map = desc.ColorMap ? desc.ColorMap : g->SColorMap;
        if (!map || !map->Colors || map->ColorCount <= 0) Fail("Invalid GIF file: no colour table");
        // LZW codes are at least two bits and each stands for at most 4096
        // pixels: a file shorter than that bound needs cannot hold the frame.
        const std::uint64_t framePixels = std::uint64_t(desc.Width) * std::uint64_t(desc.Height);
        if (framePixels > std::uint64_t(n - reader.pos) * 4 * 4096 + 4096)
            Fail("Invalid GIF file: frame size " + std::to_string(desc.Width) + " x " +
                 std::to_string(desc.Height) + " is more than the file's data can hold");
        // The frame's rows as they arrive (interlaced ones in pass order); the
        // picture is only allocated once they all came.
        std::vector<GifPixelType> rows;
        std::vector<int> rowY;
        auto readRow = [&](int y) {
            rows.resize(rows.size() + std::size_t(desc.Width));
            if (DGifGetLine(g, &rows[rows.size() - std::size_t(desc.Width)], desc.Width) == GIF_ERROR)
                Fail("Invalid GIF file: " + GifError(g->Error));
            rowY.push_back(y);
        };
        if (desc.Interlace)
        {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < desc.Height; y += step[pass]) readRow(y);
        }
        else
            for (int y = 0; y < desc.Height; ++y) readRow(y);

        // The logical screen; a frame reaching beyond it widens it.
        std::int64_t sw = std::max<std::int64_t>(g->SWidth, std::int64_t(desc.Left) + desc.Width);
        std::int64_t sh = std::max<std::int64_t>(g->SHeight, std::int64_t(desc.Top) + desc.Height);
        CheckSize(sw, sh, "GIF");
        TPixels out{int(sw), int(sh)};   // outside the frame: transparent
        for (std::size_t i = 0; i < rowY.size(); ++i)
        {
            const GifPixelType* line = &rows[i * std::size_t(desc.Width)];
            std::uint32_t* dst = &out.Data[std::size_t(desc.Top + rowY[i]) * std::size_t(sw) + std::size_t(desc.Left)];
            for (int x = 0; x < desc.Width; ++x)
            {
                int idx = line[x];
                if (idx == transparent || idx >= map->ColorCount)
                    dst[x] = 0;
                else
                {
                    const GifColorType& c = map->Colors[idx];
                    dst[x] = Argb(c.Red, c.Green, c.Blue);
                }
            }
        }
        return out;
    }
}

namespace {

// Median-cut reduction of the colours of a picture to at most `limit`.
struct ColorCount
{
    std::uint32_t rgb;
    std::uint32_t count;
};

std::vector<std::uint32_t> MedianCut(std::vector<ColorCount> colors, std::size_t limit)
{
    struct Box { std::size_t begin, end; };
    auto channel = [](std::uint32_t c, int ch) { return int((c >> (16 - 8 * ch)) & 0xFF); };
    auto range = [&](const Box& b, int& axis) {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (std::size_t i = b.begin; i < b.end; ++i)
            for (int ch = 0; ch < 3; ++ch)
            {
                int v = channel(colors[i].rgb, ch);
                lo[ch] = std::min(lo[ch], v);
                hi[ch] = std::max(hi[ch], v);
            }
        axis = 0;
        for (int ch = 1; ch < 3; ++ch)
            if (hi[ch] - lo[ch] > hi[axis] - lo[axis]) axis = ch;
        return hi[axis] - lo[axis];
    };
    std::vector<Box> boxes{{0, colors.size()}};
    while (boxes.size() < limit)
    {
        int bestAxis = 0, bestRange = 0;
        std::size_t best = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i)
        {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            int axis;
            int r = range(boxes[i], axis);
            if (r > bestRange) { bestRange = r; bestAxis = axis; best = i; }
        }
        if (best == boxes.size()) break;
        Box b = boxes[best];
        std::sort(colors.begin() + std::ptrdiff_t(b.begin), colors.begin() + std::ptrdiff_t(b.end),
                  [&](const ColorCount& x, const ColorCount& y) { return channel(x.rgb, bestAxis) < channel(y.rgb, bestAxis); });
        std::uint64_t total = 0;
        for (std::size_t i = b.begin; i < b.end; ++i) total += colors[i].count;
        std::uint64_t acc = 0;
        std::size_t mid = b.begin;
        while (mid < b.end - 1 && acc + colors[mid].count <= total / 2) acc += colors[mid++].count;
        if (mid == b.begin) ++mid;
        boxes[best] = {b.begin, mid};
        boxes.push_back({mid, b.end});
    }
    std::vector<std::uint32_t> palette;
    for (const Box& b : boxes)
    {
        std::uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (std::size_t i = b.begin; i < b.end; ++i)
        {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += std::uint64_t(channel(colors[i].rgb, ch)) * colors[i].count;
            n += colors[i].count;
        }
        if (n == 0) continue;
        palette.push_back((std::uint32_t((sum[0] + n / 2) / n) << 16) | (std::uint32_t((sum[1] + n / 2) / n) << 8) |
                          std::uint32_t((sum[2] + n / 2) / n));
    }
    return palette;
}

int Nearest(const std::vector<std::uint32_t>& palette, int r, int g, int b)
{
    int best = 0;
    long bestD = -1;
    for (std::size_t i = 0; i < palette.size(); ++i)
    {
        int dr = int((palette[i] >> 16) & 0xFF) - r, dg = int((palette[i] >> 8) & 0xFF) - g, db = int(palette[i] & 0xFF) - b;
        long dist = long(dr) * dr * 3 + long(dg) * dg * 4 + long(db) * db * 2;
        if (bestD < 0 || dist < bestD) { bestD = dist; best = int(i); }
    }
    return best;
}

struct EGifCloser
{
    void operator()(GifFileType* g) const
    {
        int err;
        EGifCloseFile(g, &err);
    }
};

} // namespace

Bytes WriteGif(const TPixels& p)
{
    CheckPixels(p, "GIF");
    if (p.Width > 65535 || p.Height > 65535) Fail("GIF pictures are at most 65535 pixels wide and high");
    // Count the colours of the opaque pixels.
    bool anyTransparent = false;
    std::unordered_map<std::uint32_t, std::uint32_t> counts;
    for (std::uint32_t v : p.Data)
    {
        if ((v >> 24) < 128) { anyTransparent = true; continue; }
        ++counts[v & 0xFFFFFF];
    }
    const std::size_t limit = anyTransparent ? 255 : 256;
    std::vector<std::uint32_t> palette;
    std::unordered_map<std::uint32_t, int> exact;
    if (counts.size() <= limit)
    {
        for (auto& [rgb, n] : counts)
        {
            (void)n;
            exact[rgb] = int(palette.size());
            palette.push_back(rgb);
        }
        std::sort(palette.begin(), palette.end());
        for (std::size_t i = 0; i < palette.size(); ++i) exact[palette[i]] = int(i);
    }
    else
    {
        std::vector<ColorCount> colors;
        colors.reserve(counts.size());
        for (auto& [rgb, n] : counts) colors.push_back({rgb, n});
        palette = MedianCut(std::move(colors), limit);
    }
    const int transparentIndex = anyTransparent ? int(palette.size()) : -1;
    std::size_t used = palette.size() + (anyTransparent ? 1 : 0);
    int bits = 1;
    while ((std::size_t(1) << bits) < used) ++bits;
    const int mapSize = 1 << bits;

    // Pixels to indices (the reduced case maps through a 15-bit cache).
    std::vector<GifPixelType> indices(p.Data.size());
    std::vector<std::int16_t> cache(exact.empty() ? 32768 : 0, -1);
    for (std::size_t i = 0; i < p.Data.size(); ++i)
    {
        std::uint32_t v = p.Data[i];
        if ((v >> 24) < 128) { indices[i] = GifPixelType(transparentIndex); continue; }
        std::uint32_t rgb = v & 0xFFFFFF;
        if (!exact.empty()) { indices[i] = GifPixelType(exact[rgb]); continue; }
        int r = int(rgb >> 16), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
        int key = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        if (cache[std::size_t(key)] < 0)
            cache[std::size_t(key)] = std::int16_t(Nearest(palette, (r & ~7) | 4, (g & ~7) | 4, (b & ~7) | 4));
        indices[i] = GifPixelType(cache[std::size_t(key)]);
    }

    Bytes out;
    int err = 0;
    std::unique_ptr<GifFileType, EGifCloser> gif(EGifOpen(&out, GifWrite, &err));
    if (!gif) Fail("Cannot write GIF: " + GifError(err));
    GifFileType* g = gif.get();
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(GifMakeMapObject(mapSize, nullptr), GifFreeMapObject);
    if (!map) Fail("Cannot write GIF: out of memory");
    for (int i = 0; i < mapSize; ++i)
    {
        std::uint32_t c = std::size_t(i) < palette.size() ? palette[std::size_t(i)] : 0;
        map->Colors[i] = GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
    }
    EGifSetGifVersion(g, true);
    if (EGifPutScreenDesc(g, p.Width, p.Height, bits, 0, map.get()) == GIF_ERROR)
        Fail("Cannot write GIF: " + GifError(g->Error));
    if (anyTransparent)
    {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = 0;
        gcb.TransparentColor = transparentIndex;
        GifByteType ext[4];
        std::size_t len = EGifGCBToExtension(&gcb, ext);
        if (EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_ERROR)
            Fail("Cannot write GIF: " + GifError(g->Error));
    }
    if (EGifPutImageDesc(g, 0, 0, p.Width, p.Height, false, nullptr) == GIF_ERROR)
        Fail("Cannot write GIF: " + GifError(g->Error));
    for (int y = 0; y < p.Height; ++y)
        if (EGifPutLine(g, &indices[std::size_t(y) * std::size_t(p.Width)], p.Width) == GIF_ERROR)
            Fail("Cannot write GIF: " + GifError(g->Error));
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &err) == GIF_ERROR) Fail("Cannot write GIF: " + GifError(err));
    return out;
}
}
