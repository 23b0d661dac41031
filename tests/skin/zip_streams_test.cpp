// The compression and decompression streams over platform streams.
#include <gtest/gtest.h>

#include <cstring>

#include "skin/skindata_helpers.h"

using namespace skintest;

namespace
{
std::string Sample(std::size_t n)
{
    std::string s(n, ' ');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
    return s;
}

std::string Compressed(const std::string& text)
{
    TStringStream src(text), dst;
    CompressStream(src, dst);
    return dst.DataString();
}

std::string Decompressed(const std::string& z)
{
    TStringStream src(z), dst;
    DecompressStream(dst, src);
    return dst.DataString();
}

TEST(ZlibStreams, WholeStreamRoutines)
{
    std::string empty = Compressed("");
    EXPECT_FALSE(empty.empty());
    EXPECT_EQ(Decompressed(empty), "");
    std::string text = Sample(100000);
    std::string a = Compressed(text), b = Compressed(text);
    EXPECT_EQ(a, b);
    EXPECT_EQ(static_cast<unsigned char>(a[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(a[1]), 0xDA);
    EXPECT_EQ(Decompressed(a), text);
    // The same bytes as the buffer helper makes.
    auto direct = bsCompressBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    EXPECT_EQ(a, std::string(direct.begin(), direct.end()));
}

TEST(ZlibStreams, CompressionStreamOperations)
{
    TMemoryStream dst;
    dst.WriteBuffer("HEAD", 4);   // output goes on from the current position
    int progress = 0;
    // Letters in a pseudo-random order: several output buffers' worth.
    std::string text(60000, ' ');
    std::uint32_t seed = 12345;
    for (char& ch : text)
    {
        seed = seed * 1103515245u + 12345u;
        ch = static_cast<char>('a' + (seed >> 16) % 26);
    }
    {
        TCompressionStream z(TCompressionLevel::clDefault, dst);
        z.OnProgress = [&](TObject*) { ++progress; };
        EXPECT_EQ(z.CompressionRate(), 0.0f);
        EXPECT_EQ(z.Write(text.data(), 1000), 1000);
        EXPECT_EQ(z.Seek(0, soCurrent), 1000);
        EXPECT_EQ(z.Position(), 1000);
        try
        {
            z.Seek(0, soBeginning);
            FAIL();
        }
        catch (const ECompressionError& e)
        {
            EXPECT_STREQ(e.what(), "Invalid stream operation");
        }
        char c;
        EXPECT_THROW(z.Read(&c, 1), ECompressionError);
        dst.SetPosition(0);   // moved behind its back: the stream moves it back
        z.WriteBuffer(text.data() + 1000, static_cast<std::int64_t>(text.size() - 1000));
        z.Finish();
        EXPECT_GT(z.CompressionRate(), 20.0f);
        EXPECT_LT(z.CompressionRate(), 60.0f);
    }
    EXPECT_GT(progress, 0);
    std::string all(static_cast<const char*>(dst.Memory()), static_cast<std::size_t>(dst.Size()));
    EXPECT_EQ(all.substr(0, 4), "HEAD");
    EXPECT_EQ(Decompressed(all.substr(4)), text);
}

TEST(ZlibStreams, DecompressionStreamSeeks)
{
    std::string text = Sample(30000);
    TStringStream src(Compressed(text));
    TDecompressionStream z(src);
    char buf[100];
    EXPECT_EQ(z.Read(buf, 100), 100);
    EXPECT_EQ(std::string(buf, 100), text.substr(0, 100));
    EXPECT_EQ(z.Seek(10000, soCurrent), 10100);   // forward: read and dropped
    EXPECT_EQ(z.Read(buf, 10), 10);
    EXPECT_EQ(std::string(buf, 10), text.substr(10100, 10));
    EXPECT_EQ(z.Seek(20000, soBeginning), 20000);
    EXPECT_EQ(z.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), text.substr(20000, 5));
    EXPECT_EQ(z.Seek(0, soBeginning), 0);          // starts over at the source's start
    EXPECT_EQ(z.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), text.substr(0, 5));
    EXPECT_THROW(z.Seek(2, soBeginning), EDecompressionError);   // not beyond the current position
    EXPECT_THROW(z.Seek(-1, soCurrent), EDecompressionError);
    EXPECT_THROW(z.Seek(0, soEnd), EDecompressionError);
    EXPECT_THROW(z.Write(buf, 1), EDecompressionError);
}

TEST(ZlibStreams, StopsAtTheEndOfTheZlibStream)
{
    std::string text = Sample(5000);
    TStringStream src(Compressed(text) + std::string(20000, '\x01'));
    TDecompressionStream z(src);
    std::string got(8000, '\0');
    EXPECT_EQ(z.Read(got.data(), 8000), 5000);
    EXPECT_EQ(got.substr(0, 5000), text);
    EXPECT_EQ(z.Read(got.data(), 8000), 0);
    EXPECT_EQ(z.Seek(100, soCurrent), 5000);
}

TEST(ZlibStreams, DamagedAndTruncatedInput)
{
    std::string z = Compressed(Sample(50000));
    for (std::size_t cut : {std::size_t(0), std::size_t(1), z.size() / 3, z.size() - 1})
    {
        TStringStream src(z.substr(0, cut)), dst;
        try
        {
            DecompressStream(dst, src);
            FAIL() << cut;
        }
        catch (const EDecompressionError& e)
        {
            EXPECT_STREQ(e.what(), "compression error");
        }
    }
    // Bytes already delivered stay in the destination.
    TStringStream src(z.substr(0, z.size() / 2)), dst;
    EXPECT_THROW(DecompressStream(dst, src), EDecompressionError);
    EXPECT_GT(dst.Size(), 0);
    // A limit stops a bomb.
    std::string bomb = Compressed(std::string(8u << 20, '\0'));
    TStringStream bsrc(bomb), bdst;
    EXPECT_THROW(DecompressStream(bdst, bsrc, 1 << 20), EDecompressionError);
    EXPECT_LE(bdst.Size(), 1 << 20);
}

// A stream whose writes fail.
class FullStream : public TMemoryStream
{
public:
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
};

TEST(ZlibStreams, FailingWritesRaise)
{
    FullStream full;
    TCompressionStream z(TCompressionLevel::clMax, full);
    std::string text = Sample(100);
    z.WriteBuffer(text.data(), 100);
    try
    {
        z.Finish();
        FAIL();
    }
    catch (const EWriteError& e)
    {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

TEST(StoredSkinStreams, ContainerThroughPlatformStreams)
{
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(TempDir("streams")));
    TbsCompressedStoredSkin s;
    s.LoadFromSkinData(d);
    TMemoryStream m;
    s.SaveToCompressStream(m);
    EXPECT_EQ(m.Size(), static_cast<std::int64_t>(s.CompressedData().size()) + 8);
    TbsCompressedStoredSkin back;
    back.LoadFromCompressStream(m);
    EXPECT_EQ(back.CompressedData(), s.CompressedData());
    TMemoryStream inner;
    back.DeCompressToStream(inner);
    std::vector<std::uint8_t> direct;
    s.DeCompressToStream(direct);
    EXPECT_EQ(inner.Size(), static_cast<std::int64_t>(direct.size()));

    TStringStream shortData(std::string("\x03\0\0\0\xFF\0\0\0abc", 11));
    EXPECT_THROW(back.LoadFromCompressStream(shortData), EReadError);
    EXPECT_TRUE(back.Empty());
    std::string dir = TempDir("streams-files");
    EXPECT_THROW(back.LoadFromCompressFile(dir + "absent.skn"), EFOpenError);
    EXPECT_THROW(s.SaveToCompressFile(dir + "no-folder/x.skn"), EFCreateError);
}
} // namespace
