#include "memory_limit.h"
#include "temp_dir.h"
#include "platform/gui/ImageCodecs.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <unistd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

using namespace imagecodec;

namespace {

// A small picture with a gradient, pure colours and (optionally) alpha.
TPixels Sample(int w, int h, bool alpha)
{
    TPixels p{w, h};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = Argb(std::uint8_t(x * 255 / (w - 1)), std::uint8_t(y * 255 / (h - 1)),
                              std::uint8_t((x * 37 + y * 11) & 0xFF), alpha ? std::uint8_t((x + y) * 20) : 255);
    p.At(0, 0) = Argb(255, 0, 0);
    p.At(w - 1, h - 1) = Argb(0, 0, 255, alpha ? 0 : 255);
    return p;
}

int MaxChannelDiff(std::uint32_t a, std::uint32_t b)
{
    int m = 0;
    for (int s = 0; s < 24; s += 8) m = std::max(m, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return m;
}

TEST(ImageCodecs, BmpRoundTripsArePixelExact)
{
    struct Case { int w, h, bpp; bool alpha; };
    const Case cases[] = {{7, 5, 24, false}, {1, 1, 24, false}, {6, 3, 32, true}, {5, 4, 32, false}};
    for (const Case& c : cases)
    {
        TPixels src = Sample(std::max(c.w, 2), std::max(c.h, 2), c.alpha);
        if (c.w == 1) { src = TPixels{1, 1}; src.At(0, 0) = Argb(1, 2, 3); }
        Bytes file = WriteBmp(src, c.bpp);
        EXPECT_EQ(DetectImageFormat(file.data(), file.size()), TImageFormat::Bmp);
        int bpp = 0;
        TPixels back = ReadBmp(file, &bpp);
        EXPECT_EQ(bpp, c.bpp);
        ASSERT_EQ(back.Width, src.Width);
        ASSERT_EQ(back.Height, src.Height);
        if (c.bpp == 24)
            for (auto& v : src.Data) v |= 0xFF000000u;   // 24-bit files are opaque
        EXPECT_EQ(back.Data, src.Data) << c.w << "x" << c.h << "@" << c.bpp;
    }
}

// Builds a BMP file by hand: header, optional palette, rows as given.
Bytes MakeBmp(int w, int h, int bpp, const std::vector<std::uint32_t>& palette, const std::vector<Bytes>& rows)
{
    Bytes b = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i))); };
    auto put16 = [&](std::uint16_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); };
    std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    std::uint32_t off = 54 + std::uint32_t(palette.size() * 4);
    put32(off + std::uint32_t(stride * rows.size()));
    put32(0);
    put32(off);
    put32(40);
    put32(std::uint32_t(w));
    put32(std::uint32_t(h));
    put16(1);
    put16(std::uint16_t(bpp));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    put32(std::uint32_t(palette.size()));
    put32(0);
    for (auto c : palette) put32(c);
    for (auto r : rows)
    {
        r.resize(stride, 0);
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

TEST(ImageCodecs, BmpPaletteDepthsAndOrientation)
{
    const std::uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, white = 0xFFFFFF;
    struct Case { const char* name; Bytes file; std::vector<std::uint32_t> top, bottom; };
    const Case cases[] = {
        // 1 bit, bottom-up: the first row in the file is the bottom row.
        {"1bit", MakeBmp(3, 2, 1, {0x000000, white}, {{0b10100000}, {0b01000000}}),
         {0x000000, white, 0x000000}, {white, 0x000000, white}},
        {"4bit", MakeBmp(3, 2, 4, {red, green, blue}, {{0x01, 0x20}, {0x22, 0x10}}),
         {blue, blue, green}, {red, green, blue}},
        {"8bit", MakeBmp(2, 2, 8, {red, green, blue, white}, {{3, 0}, {1, 2}}), {green, blue}, {white, red}},
        // Top-down: negative height.
        {"8bit top-down", MakeBmp(2, -2, 8, {red, green}, {{0, 1}, {1, 0}}), {red, green}, {green, red}},
        // An index past the palette reads black instead of overrunning it.
        {"index past palette", MakeBmp(2, 1, 8, {red}, {{0, 200}}), {red, 0x000000}, {red, 0x000000}},
    };
    for (const Case& c : cases)
    {
        TPixels p = ReadBmp(c.file);
        ASSERT_EQ(std::size_t(p.Width), c.top.size()) << c.name;
        for (int x = 0; x < p.Width; ++x)
        {
            EXPECT_EQ(p.At(x, 0), 0xFF000000u | c.top[std::size_t(x)]) << c.name << " top " << x;
            EXPECT_EQ(p.At(x, p.Height - 1), 0xFF000000u | c.bottom[std::size_t(x)]) << c.name << " bottom " << x;
        }
    }
}

// An interlaced (Adam7) RGBA file through libpng's own writer.
Bytes WriteInterlacedPng(const TPixels& p)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp w, png_bytep data, png_size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(w));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(p.Width), png_uint_32(p.Height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_bgr(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < p.Height; ++y)
        rows.push_back(reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(&p.Data[std::size_t(y) * std::size_t(p.Width)])));
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(ImageCodecs, PngRoundTripIsPixelExactWithAlpha)
{
    TPixels interlaced = Sample(11, 13, true);
    EXPECT_EQ(ReadPng(WriteInterlacedPng(interlaced)).Data, interlaced.Data);

    for (bool alpha : {false, true})
    {
        TPixels src = Sample(9, 7, alpha);
        Bytes file = WritePng(src);
        EXPECT_EQ(DetectImageFormat(file.data(), file.size()), TImageFormat::Png);
        TPixels back = ReadPng(file);
        EXPECT_EQ(back.Data, src.Data) << "alpha " << alpha;
    }
}

TEST(ImageCodecs, JpegRoundTripWithinTolerance)
{
    TPixels src{16, 16};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) src.At(x, y) = Argb(std::uint8_t(x * 16), 128, std::uint8_t(255 - y * 16));
    Bytes hi = WriteJpeg(src, 95), lo = WriteJpeg(src, 10);
    EXPECT_EQ(DetectImageFormat(hi.data(), hi.size()), TImageFormat::Jpeg);
    EXPECT_LT(lo.size(), hi.size()) << "quality is applied";
    TPixels back = ReadJpeg(hi);
    ASSERT_EQ(back.Width, 16);
    int worst = 0;
    for (std::size_t i = 0; i < src.Data.size(); ++i)
    {
        worst = std::max(worst, MaxChannelDiff(back.Data[i], src.Data[i]));
        EXPECT_EQ(back.Data[i] >> 24, 0xFFu);
    }
    EXPECT_LE(worst, 24);
}

TEST(ImageCodecs, GifKeepsFewColoursExactlyAndTransparency)
{
    TPixels src{5, 3};
    const std::uint32_t colours[] = {Argb(255, 0, 0), Argb(0, 255, 0), Argb(0, 0, 255), Argb(10, 20, 30)};
    for (int i = 0; i < 15; ++i) src.Data[std::size_t(i)] = colours[i % 4];
    src.At(2, 1) = 0;   // transparent
    Bytes file = WriteGif(src);
    EXPECT_EQ(DetectImageFormat(file.data(), file.size()), TImageFormat::Gif);
    TPixels back = ReadGif(file);
    ASSERT_EQ(back.Width, 5);
    ASSERT_EQ(back.Height, 3);
    EXPECT_EQ(back.Data, src.Data);
}

TEST(ImageCodecs, GifReducesManyColoursTo256)
{
    TPixels src{64, 64};   // 4096 colours
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) src.At(x, y) = Argb(std::uint8_t(x * 4), std::uint8_t(y * 4), std::uint8_t((x ^ y) * 4));
    TPixels back = ReadGif(WriteGif(src));
    std::vector<std::uint32_t> distinct = back.Data;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_LE(distinct.size(), 256u);
    EXPECT_GT(distinct.size(), 128u) << "the palette is used";
    long total = 0;
    for (std::size_t i = 0; i < src.Data.size(); ++i) total += MaxChannelDiff(back.Data[i], src.Data[i]);
    EXPECT_LT(double(total) / double(src.Data.size()), 24.0) << "mean error of the reduction";
}

TEST(ImageCodecs, DamagedFilesRaise)
{
    TPixels src = Sample(8, 8, true);
    struct Codec { const char* name; Bytes file; std::function<TPixels(const Bytes&)> read; };
    const Codec codecs[] = {
        {"bmp", WriteBmp(src, 32), [](const Bytes& b) { return ReadBmp(b); }},
        {"png", WritePng(src), [](const Bytes& b) { return ReadPng(b); }},
        {"jpeg", WriteJpeg(src, 80), [](const Bytes& b) { return ReadJpeg(b); }},
        {"gif", WriteGif(src), [](const Bytes& b) { return ReadGif(b); }},
    };
    for (const Codec& c : codecs)
    {
        // Cut short at several points, and junk after a good signature.
        for (std::size_t cut : {std::size_t(0), std::size_t(5), std::size_t(20), c.file.size() / 2, c.file.size() - 3})
        {
            Bytes part(c.file.begin(), c.file.begin() + std::ptrdiff_t(cut));
            try
            {
                c.read(part);
                // A JPEG cut inside its data may still decode (grey tail),
                // and a cut in the last bytes may leave the picture whole;
                // every other cut must raise.
                EXPECT_TRUE(std::string(c.name) == "jpeg" || cut + 3 >= c.file.size())
                    << c.name << " cut at " << cut;
            }
            catch (const EImageError&)
            {
            }
        }
        Bytes junk = c.file;
        for (std::size_t i = 16; i < junk.size(); ++i) junk[i] = std::uint8_t(i * 131);
        try { c.read(junk); } catch (const EImageError&) {}
    }

    // Sizes in headers are checked before anything is allocated.
    Bytes huge = MakeBmp(100000, 100000, 24, {}, {});
    EXPECT_THROW(ReadBmp(huge), EImageError);
    Bytes zero = MakeBmp(0, 5, 24, {}, {});
    EXPECT_THROW(ReadBmp(zero), EImageError);
    Bytes bpp = MakeBmp(2, 2, 7, {}, {{0}, {0}});
    EXPECT_THROW(ReadBmp(bpp), EImageError);
    Bytes gif = WriteGif(src);
    gif[6] = 0xFF; gif[7] = 0xFF; gif[8] = 0xFF; gif[9] = 0xFF;   // screen 65535 x 65535
    EXPECT_THROW(ReadGif(gif), EImageError);
    Bytes png = WritePng(src);
    png[16] = 0x7F;   // width 2^30: the header checksum no longer matches
    EXPECT_THROW(ReadPng(png), EImageError);
    EXPECT_THROW(WriteBmp(TPixels(), 24), EImageError);
    EXPECT_THROW(WriteBmp(src, 16), EImageError);
}

// PNG chunk: length, type, data, checksum.
void PutChunk(Bytes& b, const char* type, const Bytes& data)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back(std::uint8_t(data.size() >> s));
    const std::size_t from = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    const uLong crc = crc32(0, &b[from], uInt(b.size() - from));
    for (int s = 24; s >= 0; s -= 8) b.push_back(std::uint8_t(crc >> s));
}

Bytes MakePng(std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t colour, const Bytes& idat)
{
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (std::uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8) ihdr.push_back(std::uint8_t(v >> s));
    ihdr.insert(ihdr.end(), {depth, colour, 0, 0, 0});
    PutChunk(b, "IHDR", ihdr);
    PutChunk(b, "IDAT", idat);
    PutChunk(b, "IEND", {});
    return b;
}

// GIF with a two-colour table, one frame of the screen's size and LZW data
// (minimum code size 2) in sub-blocks.
Bytes MakeGif(std::uint16_t w, std::uint16_t h, const Bytes& lzw)
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    auto le16 = [&](std::uint16_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); };
    le16(w);
    le16(h);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255, ','});
    le16(0);
    le16(0);
    le16(w);
    le16(h);
    b.insert(b.end(), {0, 2});
    for (std::size_t i = 0; i < lzw.size(); i += 255)
    {
        std::size_t n = std::min<std::size_t>(255, lzw.size() - i);
        b.push_back(std::uint8_t(n));
        b.insert(b.end(), lzw.begin() + std::ptrdiff_t(i), lzw.begin() + std::ptrdiff_t(i + n));
    }
    b.insert(b.end(), {0, ';'});
    return b;
}

// Damaged files that declare large pictures fail without taking the memory
// for them: each is read in a child that may grow by only 64 MB, while the
// declared pictures need 128 to 512 MB.
TEST(ImageCodecs, DamagedFilesDeclaringLargePicturesFailCheaply)
{
    const rlim_t budget = 64u << 20;
    // The child's limit holds: a mapping past the budget is refused.
    EXPECT_EQ(InChildWithMemoryBudget(budget, [&] {
                  void* p = ::mmap(nullptr, 2 * budget, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                  return p == MAP_FAILED ? 0 : 1;
              }),
              0);

    Bytes jpeg = WriteJpeg(Sample(8, 8, false), 80);
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)   // frame header: height, then width
        {
            jpeg[i + 5] = 0x10; jpeg[i + 6] = 0x00;       // 4096
            jpeg[i + 7] = 0x80; jpeg[i + 8] = 0x00;       // 32768
        }
    struct Case { const char* name; Bytes file; std::function<TPixels(const Bytes&)> read; };
    const Case cases[] = {
        // A few bytes of data for 16384 x 8192 colour pixels.
        {"tiny png", MakePng(16384, 8192, 8, 6, {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01}),
         [](const Bytes& b) { return ReadPng(b); }},
        // Enough bytes for 8192 x 8192 one-bit rows, but they are junk.
        {"junk png", MakePng(8192, 8192, 1, 0, Bytes(20000, 0x5A)), [](const Bytes& b) { return ReadPng(b); }},
        {"tiny gif", MakeGif(32768, 4096, {0x4C, 0x01}), [](const Bytes& b) { return ReadGif(b); }},
        // Data for a few thousand pixels of an 8192 x 4096 frame.
        {"short gif", MakeGif(8192, 4096, Bytes(4000, 0)), [](const Bytes& b) { return ReadGif(b); }},
        {"tiny jpeg", jpeg, [](const Bytes& b) { return ReadJpeg(b); }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InChildWithMemoryBudget(budget, [&] {
                      try
                      {
                          c.read(c.file);
                          return 1;
                      }
                      catch (const EImageError&)
                      {
                          return 0;
                      }
                      catch (...)
                      {
                          return 2;
                      }
                  }),
                  0)
            << c.name << " (" << c.file.size() << " bytes)";
}

// Random byte changes in valid files: every outcome is a picture or
// EImageError, never a crash or a bad memory access (ASan watches).
TEST(ImageCodecs, MutatedFilesNeverCrash)
{
    TPixels src = Sample(12, 9, true);
    TPixels few{6, 6};
    for (int i = 0; i < 36; ++i) few.Data[std::size_t(i)] = i % 5 ? Argb(std::uint8_t(i * 7), 0, 0) : 0;
    const Bytes files[] = {WriteBmp(src, 24), WriteBmp(src, 32), WritePng(src), WriteJpeg(src, 70), WriteGif(few),
                           MakeBmp(3, 2, 4, {0xFF0000, 0x00FF00}, {{0x01, 0x20}, {0x11, 0x10}})};
    std::uint32_t seed = 12345;
    auto next = [&] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    int decoded = 0, refused = 0;
    for (const Bytes& file : files)
        for (int round = 0; round < 300; ++round)
        {
            Bytes b = file;
            int changes = 1 + int(next() % 4);
            for (int k = 0; k < changes; ++k) b[next() % b.size()] = std::uint8_t(next());
            if (next() % 5 == 0) b.resize(next() % b.size());
            try
            {
                switch (DetectImageFormat(b.data(), b.size()))
                {
                case TImageFormat::Bmp: ReadBmp(b); break;
                case TImageFormat::Png: ReadPng(b); break;
                case TImageFormat::Jpeg: ReadJpeg(b); break;
                case TImageFormat::Gif: ReadGif(b); break;
                default: throw EImageError("unknown");
                }
                ++decoded;
            }
            catch (const EImageError&)
            {
                ++refused;
            }
        }
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Files written by another program (Debian's ffmpeg) at every depth it
// writes, compared with its own decoding of them.
TEST(ImageCodecs, ReadsFilesOfOtherProgramsLikeThey)
{
    if (std::system("command -v ffmpeg > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg not installed";
    const std::string dir = ProcessTempDir();
    struct Case { const char* pixFmt; const char* ext; int tolerance; };
    const Case cases[] = {
        {"bgr24", "bmp", 0}, {"bgra", "bmp", 0}, {"rgb565", "bmp", 1}, {"rgb555", "bmp", 1},
        {"pal8", "bmp", 0},  {"monob", "bmp", 0}, {"rgb4_byte", "bmp", 0}, {"gray", "bmp", 0},
        {"rgba", "png", 0},  {"rgb48be", "png", 1}, {"pal8", "png", 0}, {"gray", "png", 0},
        {"ya8", "png", 0},   {"yuvj444p", "jpg", 6}, {"gray", "jpg", 6},
        {"pal8", "gif", 0},
    };
    for (const Case& c : cases)
    {
        std::string file = dir + "/ff_" + c.pixFmt + "." + c.ext, raw = file + ".raw";
        // JPEG decoders differ in rounding and chroma upsampling: a smooth
        // picture without subsampling keeps that within a few levels.
        std::string source = std::string(c.ext) == "jpg" ? "gradients=size=37x23:seed=1" : "testsrc=size=37x23:rate=1";
        std::string make = "ffmpeg -v error -y -f lavfi -i " + source + " -frames:v 1 -pix_fmt " + c.pixFmt +
                           " '" + file + "' && ffmpeg -v error -y -i '" + file +
                           "' -f rawvideo -pix_fmt bgra '" + raw + "'";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        Bytes data = ReadAll(file), expect = ReadAll(raw);
        TPixels p;
        switch (DetectImageFormat(data.data(), data.size()))
        {
        case TImageFormat::Bmp: p = ReadBmp(data); break;
        case TImageFormat::Png: p = ReadPng(data); break;
        case TImageFormat::Jpeg: p = ReadJpeg(data); break;
        case TImageFormat::Gif: p = ReadGif(data); break;
        default: ADD_FAILURE() << file; continue;
        }
        ASSERT_EQ(p.Width, 37) << file;
        ASSERT_EQ(p.Height, 23) << file;
        ASSERT_EQ(expect.size(), p.Data.size() * 4) << file;
        int worst = 0;
        for (std::size_t i = 0; i < p.Data.size(); ++i)
        {
            std::uint32_t want = std::uint32_t(expect[i * 4]) | (std::uint32_t(expect[i * 4 + 1]) << 8) |
                                 (std::uint32_t(expect[i * 4 + 2]) << 16) | (std::uint32_t(expect[i * 4 + 3]) << 24);
            worst = std::max(worst, MaxChannelDiff(p.Data[i], want));
        }
        EXPECT_LE(worst, c.tolerance) << file;
        std::remove(file.c_str());
        std::remove(raw.c_str());
    }
}

} // namespace
