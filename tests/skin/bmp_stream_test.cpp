// Stream records of bitmaps and links, PCX pictures, compiled-in pictures
// and stream strings from streams.
#include "lib/bsEffects.h"
#include "platform/gui/Streams.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
void Put32(TMemoryStream& s, std::int32_t v) { s.WriteBuffer(&v, 4); }
void PutBytes(TMemoryStream& s, std::initializer_list<int> bytes)
{
    for (int b : bytes) {
        const std::uint8_t v = std::uint8_t(b);
        s.WriteBuffer(&v, 1);
    }
}
// A 128-byte PCX header.
void PcxHeader(TMemoryStream& s, int mark, int version, int encoding, int w, int h, int planes, int bpl)
{
    std::uint8_t hdr[128] = {};
    hdr[0] = std::uint8_t(mark);
    hdr[1] = std::uint8_t(version);
    hdr[2] = std::uint8_t(encoding);
    hdr[3] = 8;
    hdr[8] = std::uint8_t(w - 1);
    hdr[9] = std::uint8_t((w - 1) >> 8);
    hdr[10] = std::uint8_t(h - 1);
    hdr[11] = std::uint8_t((h - 1) >> 8);
    hdr[65] = std::uint8_t(planes);
    hdr[66] = std::uint8_t(bpl);
    s.WriteBuffer(hdr, 128);
}
}  // namespace

TEST(BmpStream, RecordRoundTrip)
{
    TbsBitmap a;
    a.SetSize(3, 2);
    for (int i = 0; i < 6; ++i) a.SetPixel(i % 3, i / 3, 0x11223300u + TbsColor(i));
    a.SetName("按钮 glow");
    TMemoryStream s;
    a.SaveToStream(s);
    EXPECT_EQ(s.Size(), 4 + 2 * 7 + 8 + 24);   // seven UTF-16 units of name
    s.SetPosition(0);
    TbsBitmap b;
    b.SetAlphaBlend(true);
    b.LoadFromStream(s);
    EXPECT_EQ(b.GetName(), "按钮 glow");
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(b.GetPixel(i % 3, i / 3), a.GetPixel(i % 3, i / 3));
    EXPECT_TRUE(b.GetAlphaBlend());   // flags are not part of the record
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(BmpStream, NegativeHeightAndZeroWidth)
{
    TMemoryStream s;
    WriteStringToStream(s, "up");
    Put32(s, 1);
    Put32(s, -3);
    for (int r = 1; r <= 3; ++r) Put32(s, r);
    s.SetPosition(0);
    TbsBitmap b;
    b.LoadFromStream(s);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.GetPixel(0, 2), 1u);   // the first stored row is the bottom row
    EXPECT_EQ(b.GetPixel(0, 0), 3u);

    TMemoryStream z;
    WriteStringToStream(z, "zero");
    Put32(z, 0);
    Put32(z, 5);
    Put32(z, 0x7777);
    z.SetPosition(0);
    TbsBitmap keep;
    keep.SetSize(2, 2);
    keep.LoadFromStream(z);
    EXPECT_EQ(keep.Width(), 2);
    EXPECT_EQ(keep.GetName(), "zero");
    EXPECT_EQ(z.Position(), 4 + 8 + 8);   // the pixels are not read
}

TEST(BmpStream, DamagedRecordsRaiseAndKeepTheBitmap)
{
    struct Case
    {
        const char* what;
        std::function<void(TMemoryStream&)> fill;
    } cases[] = {
        {"empty", [](TMemoryStream&) {}},
        {"name cut", [](TMemoryStream& s) { Put32(s, 50); PutBytes(s, {0x61, 0}); }},
        {"no height", [](TMemoryStream& s) { WriteStringToStream(s, "n"); Put32(s, 2); }},
        {"pixels cut", [](TMemoryStream& s) { WriteStringToStream(s, "n"); Put32(s, 2); Put32(s, 2); Put32(s, 1); }},
        {"absurd size", [](TMemoryStream& s) { WriteStringToStream(s, "n"); Put32(s, 0x7FFFFFFF); Put32(s, 0x7FFFFFFF); }},
    };
    for (const Case& c : cases) {
        TMemoryStream s;
        c.fill(s);
        s.SetPosition(0);
        TbsBitmap b;
        b.SetSize(1, 1);
        b.SetPixel(0, 0, 42);
        b.SetName("old");
        EXPECT_THROW(b.LoadFromStream(s), Exception) << c.what;
        EXPECT_EQ(b.Width(), 1) << c.what;
        EXPECT_EQ(b.GetPixel(0, 0), 42u) << c.what;
        EXPECT_EQ(b.GetName(), "old") << c.what;
    }
}

TEST(BmpStream, LinkRecordAndStreamStrings)
{
    TbsBitmapLink a;
    a.SetName("frame");
    a.SetRect(TRect(-1, 2, 30, 40));
    TMemoryStream s;
    a.SaveToStream(s);
    s.SetPosition(0);
    TbsBitmapLink b;
    b.LoadFromStream(s);
    EXPECT_EQ(b.GetName(), "frame");
    EXPECT_EQ(b.GetRect(), TRect(-1, 2, 30, 40));
    TMemoryStream cut;
    WriteStringToStream(cut, "x");
    Put32(cut, 1);
    cut.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(cut), Exception);
    EXPECT_EQ(b.GetName(), "frame");

    // A count far beyond the stream reads what is there, nothing more.
    TMemoryStream big;
    Put32(big, -1);
    PutBytes(big, {0x61, 0, 0x62, 0, 0x63});
    big.SetPosition(0);
    std::string text;
    EXPECT_FALSE(ReadStringFromStream(big, text));
    EXPECT_EQ(text, "ab");
    TMemoryStream ok;
    WriteStringToStream(ok, "中文");
    ok.SetPosition(0);
    EXPECT_TRUE(ReadStringFromStream(ok, text));
    EXPECT_EQ(text, "中文");
}

TEST(BmpStream, PcxPictures)
{
    // Wrong maker mark: nothing changes.
    {
        TMemoryStream s;
        PcxHeader(s, 11, 5, 1, 2, 1, 1, 2);
        s.SetPosition(0);
        TbsBitmap b;
        b.SetSize(4, 4);
        b.LoadFromPcxStream(s);
        EXPECT_EQ(b.Width(), 4);
    }
    // Runs and literals, version 5 with its palette at the end.
    auto rle = [](int version) {
        auto s = std::make_unique<TMemoryStream>();
        PcxHeader(*s, 10, version, 1, 4, 2, 1, 4);
        PutBytes(*s, {0xC3, 0x05, 0x02, 0xC4, 0x01});   // 5 5 5 2 | 1 1 1 1
        PutBytes(*s, {0x0C});
        for (int i = 0; i < 256; ++i) PutBytes(*s, {i, 255 - i, 7});
        s->SetPosition(0);
        return s;
    };
    TbsBitmap b;
    b.LoadFromPcxStream(*rle(5));
    ASSERT_EQ(b.Width(), 4);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF05FA07u);
    EXPECT_EQ(b.GetPixel(2, 0), 0xFF05FA07u);
    EXPECT_EQ(b.GetPixel(3, 0), 0xFF02FD07u);
    EXPECT_EQ(b.GetPixel(3, 1), 0xFF01FE07u);
    // The same picture marked version 3 uses the 16 system colours.
    TbsBitmap v3;
    v3.LoadFromPcxStream(*rle(3));
    EXPECT_EQ(v3.GetPixel(0, 0), 0xFF800080u);   // colour 5
    EXPECT_EQ(v3.GetPixel(3, 1), 0xFF800000u);   // colour 1

    // 0xBF is a literal; raw data shorter than the picture leaves index 0.
    TMemoryStream raw;
    PcxHeader(raw, 10, 3, 0, 3, 2, 1, 3);
    PutBytes(raw, {0xBF, 0x0F, 0x0C, 0x01});
    raw.SetPosition(0);
    TbsBitmap r;
    r.LoadFromPcxStream(raw);
    EXPECT_EQ(r.GetPixel(0, 0), 0xFF000000u);   // index 0xBF: beyond the 16 colours
    EXPECT_EQ(r.GetPixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(r.GetPixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(r.GetPixel(0, 1), 0xFF800000u);
    EXPECT_EQ(r.GetPixel(2, 1), 0xFF000000u);   // missing data

    // A run-length stream that ends early, and a header cut short.
    TMemoryStream early;
    PcxHeader(early, 10, 3, 1, 8, 8, 1, 8);
    PutBytes(early, {0xFF});
    early.SetPosition(0);
    TbsBitmap e;
    e.LoadFromPcxStream(early);
    EXPECT_EQ(e.Width(), 8);
    TMemoryStream shortHdr;
    PutBytes(shortHdr, {10, 5, 1});
    shortHdr.SetPosition(0);
    TbsBitmap sh;
    sh.LoadFromPcxStream(shortHdr);
    EXPECT_TRUE(sh.Empty());
}

TEST(BmpStream, CompiledInPictures)
{
    struct Case
    {
        const char* name;
        int w, h;
    } cases[] = {{"BS_HTB", 18, 17}, {"BS_HRL", 10, 8}, {"BS_VTB", 38, 9}, {"bs_vrl", 8, 10}};
    for (const Case& c : cases) {
        TbsBitmap b;
        b.LoadFromResource("", c.name);
        ASSERT_EQ(b.Width(), c.w) << c.name;
        ASSERT_EQ(b.Height(), c.h) << c.name;
        int drawn = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                EXPECT_EQ(b.GetPixel(x, y) >> 24, 255u);
                drawn += b.GetPixel(x, y) != 0xFFFF00FFu;
            }
        EXPECT_GT(drawn, c.w * c.h / 4) << c.name;
    }
    // The thumbs' transparent colour (bottom-left pixel of each state) is the background.
    TbsBitmap t;
    t.LoadFromResource("", "BS_HTB");
    EXPECT_EQ(t.GetPixel(0, 16), 0xFFFF00FFu);
    EXPECT_EQ(t.GetPixel(9, 16), 0xFFFF00FFu);
    EXPECT_NE(t.GetPixel(4, 16), 0xFFFF00FFu);   // the tip
    EXPECT_NE(t.GetPixel(4, 5), t.GetPixel(13, 5));   // two different states

    TbsBitmap keep;
    keep.SetSize(2, 2);
    keep.LoadFromResource("", "BS_NONE");
    EXPECT_EQ(keep.Width(), 2);
}

TEST(BmpStream, DamagedInputNeverCrashes)
{
    // Valid records and pictures with random bytes changed or cut short: the
    // readers either load something sane or raise, and never read outside.
    TbsBitmap src;
    src.SetSize(5, 4);
    for (int i = 0; i < 20; ++i) src.SetPixel(i % 5, i / 5, 0x01020304u * TbsColor(i));
    src.SetName("pic");
    TMemoryStream rec;
    src.SaveToStream(rec);
    TMemoryStream pcx;
    PcxHeader(pcx, 10, 5, 1, 7, 5, 1, 8);
    for (int i = 0; i < 60; ++i) PutBytes(pcx, {i % 3 ? i : 0xC5, i});
    PutBytes(pcx, {0x0C});
    for (int i = 0; i < 768; ++i) PutBytes(pcx, {i});
    std::uint32_t seed = 12345;
    auto rnd = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    for (int round = 0; round < 400; ++round) {
        for (TMemoryStream* base : {&rec, &pcx}) {
            std::vector<std::uint8_t> bytes(static_cast<const std::uint8_t*>(base->Memory()),
                                            static_cast<const std::uint8_t*>(base->Memory()) + base->Size());
            const int changes = 1 + int(rnd() % 6);
            for (int k = 0; k < changes; ++k) bytes[rnd() % bytes.size()] = std::uint8_t(rnd());
            if (rnd() % 3 == 0) bytes.resize(rnd() % bytes.size());
            TMemoryStream s;
            if (!bytes.empty()) s.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
            s.SetPosition(0);
            TbsBitmap b;
            try {
                if (base == &rec)
                    b.LoadFromStream(s);
                else
                    b.LoadFromPcxStream(s);
            } catch (const Exception&) {
            }
            if (!b.Empty()) {
                EXPECT_LE((long long)b.Width() * b.Height(), 1LL << 26);
                b.GetPixel(b.Width() - 1, b.Height() - 1);
            }
        }
    }
}
