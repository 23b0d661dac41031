#include "lib/bszlibcompress.h"

#include <zlib.h>

#include <algorithm>
#include <string>

int bsZlibLevel(TCompressionLevel level)
{
    switch (level)
    {
    case clNone: return 0;
    case clFastest: return 1;
    case clDefault: return Z_DEFAULT_COMPRESSION;
    case clMax: return 9;
    }
    return Z_DEFAULT_COMPRESSION;
}

std::vector<std::uint8_t> bsCompressBytes(const std::uint8_t* data, std::size_t size, TCompressionLevel level)
{
    z_stream z{};
    if (deflateInit(&z, bsZlibLevel(level)) != Z_OK) throw ECompressionError("error");
    std::vector<std::uint8_t> out;
    std::uint8_t buf[8192];
    std::size_t left = size;
    const std::uint8_t* in = data;
    int rc;
    do
    {
        // Feed the input in pieces zlib's 32-bit counters can take.
        if (z.avail_in == 0 && left > 0)
        {
            uInt piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = piece;
            in += piece;
            left -= piece;
        }
        z.next_out = buf;
        z.avail_out = sizeof buf;
        rc = deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (rc < 0 && rc != Z_BUF_ERROR)
        {
            deflateEnd(&z);
            throw ECompressionError("error");
        }
        out.insert(out.end(), buf, buf + (sizeof buf - z.avail_out));
    } while (rc != Z_STREAM_END);
    deflateEnd(&z);
    return out;
}

std::vector<std::uint8_t> bsDecompressBytes(const std::uint8_t* data, std::size_t size, std::size_t maxSize)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDecompressionError("compression error");
    std::vector<std::uint8_t> out;
    std::uint8_t buf[8192];
    std::size_t left = size;
    const std::uint8_t* in = data;
    for (;;)
    {
        if (z.avail_in == 0 && left > 0)
        {
            uInt piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = piece;
            in += piece;
            left -= piece;
        }
        z.next_out = buf;
        z.avail_out = sizeof buf;
        int rc = inflate(&z, Z_NO_FLUSH);
        std::size_t got = sizeof buf - z.avail_out;
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR ||
            (rc == Z_BUF_ERROR && z.avail_in == 0 && left == 0))
        {
            // Damaged data, or the input ended before the zlib stream did.
            inflateEnd(&z);
            throw EDecompressionError("compression error");
        }
        if (out.size() + got > maxSize)
        {
            inflateEnd(&z);
            throw EDecompressionError("Decompressed data exceed the limit of " + std::to_string(maxSize) +
                                      " bytes");
        }
        out.insert(out.end(), buf, buf + got);
        if (rc == Z_STREAM_END) break;
        if (got == 0 && z.avail_in == 0 && left == 0)
        {
            inflateEnd(&z);
            throw EDecompressionError("compression error");
        }
    }
    inflateEnd(&z);
    return out;
}
