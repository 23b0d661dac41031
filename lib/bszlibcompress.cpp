#include "lib/bszlibcompress.h"

#include <algorithm>
#include <string>

int bsZlibLevel(TCompressionLevel level)
{
    switch (level)
    {
    case TCompressionLevel::clNone: return 0;
    case TCompressionLevel::clFastest: return 1;
    case TCompressionLevel::clDefault: return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax: return 9;
    }
    return Z_DEFAULT_COMPRESSION;
}

namespace
{
// Hands zlib the next piece of input once it has used the last one, in
// pieces its 32-bit counters can take.
void FeedInput(z_stream& z, const std::uint8_t*& in, std::size_t& left)
{
    if (z.avail_in != 0 || left == 0) return;
    uInt piece = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = piece;
    in += piece;
    left -= piece;
}
}  // namespace

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
        FeedInput(z, in, left);
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
    // Inflated straight into the result. Room for a generous guess of the
    // size is reserved first: a large block's pages that are never written
    // cost nothing, while growing the block would copy everything so far.
    std::vector<std::uint8_t> out;
    out.reserve(std::min(maxSize, std::max<std::size_t>(size * 128, 1u << 16)));
    std::size_t left = size;
    const std::uint8_t* in = data;
    for (;;)
    {
        FeedInput(z, in, left);
        if (out.size() == out.capacity()) out.reserve(std::min(maxSize + 1, out.capacity() * 2));
        const std::size_t before = out.size();
        const std::size_t room = std::min<std::size_t>(out.capacity() - before, 1u << 16);
        out.resize(before + room);
        z.next_out = out.data() + before;
        z.avail_out = static_cast<uInt>(room);
        int rc = inflate(&z, Z_NO_FLUSH);
        std::size_t got = room - z.avail_out;
        out.resize(before + got);
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR ||
            (rc == Z_BUF_ERROR && z.avail_in == 0 && left == 0))
        {
            // Damaged data, or the input ended before the zlib stream did.
            inflateEnd(&z);
            throw EDecompressionError("compression error");
        }
        if (out.size() > maxSize)
        {
            inflateEnd(&z);
            throw EDecompressionError("Decompressed data exceed the limit of " + std::to_string(maxSize) +
                                      " bytes");
        }
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

// ---------------------------------------------------------------------------
// Streams

namespace
{
[[noreturn]] void InvalidCompressionOp() { throw ECompressionError("Invalid stream operation"); }
[[noreturn]] void InvalidDecompressionOp() { throw EDecompressionError("Invalid stream operation"); }

int CCheck(int rc)
{
    if (rc < 0) throw ECompressionError("error");
    return rc;
}

int DCheck(int rc)
{
    // A stream that asks for a preset dictionary cannot go on either.
    if (rc < 0 || rc == Z_NEED_DICT) throw EDecompressionError("compression error");
    return rc;
}
} // namespace

TCustomZlibStream::TCustomZlibStream(TStream& Strm) : FStrm(Strm), FStrmPos(Strm.Position()) {}

void TCustomZlibStream::Progress()
{
    if (OnProgress) OnProgress(this);
}

TCompressionStream::TCompressionStream(TCompressionLevel CompressionLevel, TStream& Dest) : TCustomZlibStream(Dest)
{
    FZRec.next_out = FBuffer;
    FZRec.avail_out = sizeof FBuffer;
    CCheck(deflateInit(&FZRec, bsZlibLevel(CompressionLevel)));
}

TCompressionStream::~TCompressionStream()
{
    try
    {
        Finish();
    }
    catch (...)
    {
        // A destructor cannot raise; Finish has ended the zlib state.
    }
}

void TCompressionStream::Finish()
{
    if (FFinished) return;
    FFinished = true;
    try
    {
        FZRec.next_in = nullptr;
        FZRec.avail_in = 0;
        if (FStrm.Position() != FStrmPos) FStrm.SetPosition(FStrmPos);
        while (CCheck(deflate(&FZRec, Z_FINISH)) != Z_STREAM_END && FZRec.avail_out == 0)
        {
            FStrm.WriteBuffer(FBuffer, sizeof FBuffer);
            FZRec.next_out = FBuffer;
            FZRec.avail_out = sizeof FBuffer;
        }
        if (FZRec.avail_out < sizeof FBuffer) FStrm.WriteBuffer(FBuffer, sizeof FBuffer - FZRec.avail_out);
        FStrmPos = FStrm.Position();
    }
    catch (...)
    {
        deflateEnd(&FZRec);
        throw;
    }
    deflateEnd(&FZRec);
}

std::int64_t TCompressionStream::Read(void*, std::int64_t) { InvalidCompressionOp(); }

std::int64_t TCompressionStream::Write(const void* Buffer, std::int64_t Count)
{
    if (FFinished) InvalidCompressionOp();
    if (Count <= 0) return 0;
    if (FStrm.Position() != FStrmPos) FStrm.SetPosition(FStrmPos);
    auto* in = static_cast<const Bytef*>(Buffer);
    std::int64_t left = Count;
    while (left > 0)
    {
        uInt piece = static_cast<uInt>(std::min<std::int64_t>(left, 1 << 30));
        FZRec.next_in = const_cast<Bytef*>(in);
        FZRec.avail_in = piece;
        while (FZRec.avail_in > 0)
        {
            CCheck(deflate(&FZRec, Z_NO_FLUSH));
            if (FZRec.avail_out == 0)
            {
                FStrm.WriteBuffer(FBuffer, sizeof FBuffer);
                FZRec.next_out = FBuffer;
                FZRec.avail_out = sizeof FBuffer;
                FStrmPos = FStrm.Position();
                Progress();
            }
        }
        in += piece;
        left -= piece;
    }
    return Count;
}

std::int64_t TCompressionStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    if (Offset == 0 && Origin == soCurrent) return std::int64_t(FZRec.total_in);
    InvalidCompressionOp();
}

float TCompressionStream::CompressionRate() const
{
    if (FZRec.total_in == 0) return 0.0f;
    return static_cast<float>((1.0 - double(FZRec.total_out) / double(FZRec.total_in)) * 100.0);
}

TDecompressionStream::TDecompressionStream(TStream& Source) : TCustomZlibStream(Source)
{
    FZRec.next_in = FBuffer;
    FZRec.avail_in = 0;
    DCheck(inflateInit(&FZRec));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FZRec); }

std::int64_t TDecompressionStream::Read(void* Buffer, std::int64_t Count)
{
    if (Count <= 0 || FEnded) return 0;
    auto* out = static_cast<Bytef*>(Buffer);
    std::int64_t left = Count;
    if (FStrm.Position() != FStrmPos) FStrm.SetPosition(FStrmPos);
    while (left > 0 && !FEnded)
    {
        uInt room = static_cast<uInt>(std::min<std::int64_t>(left, 1 << 30));
        FZRec.next_out = out;
        FZRec.avail_out = room;
        while (FZRec.avail_out > 0 && !FEnded)
        {
            if (FZRec.avail_in == 0)
            {
                std::int64_t got = FStrm.Read(FBuffer, sizeof FBuffer);
                if (got <= 0)
                {
                    // The source ended before the zlib stream did.
                    throw EDecompressionError("compression error");
                }
                FZRec.next_in = FBuffer;
                FZRec.avail_in = static_cast<uInt>(got);
                FStrmPos = FStrm.Position();
                Progress();
            }
            if (DCheck(inflate(&FZRec, Z_NO_FLUSH)) == Z_STREAM_END) FEnded = true;
        }
        std::int64_t done = room - FZRec.avail_out;
        out += done;
        left -= done;
    }
    return Count - left;
}

std::int64_t TDecompressionStream::Write(const void*, std::int64_t) { InvalidDecompressionOp(); }

std::int64_t TDecompressionStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    const auto delivered = static_cast<std::int64_t>(FZRec.total_out);
    std::int64_t skip;
    if (Offset == 0 && Origin == soBeginning)
    {
        DCheck(inflateReset(&FZRec));
        FZRec.next_in = FBuffer;
        FZRec.avail_in = 0;
        FEnded = false;
        FStrm.SetPosition(0);
        FStrmPos = 0;
        return 0;
    }
    if (Origin == soBeginning && Offset > delivered)
        skip = Offset - delivered;
    else if (Origin == soCurrent && Offset >= 0)
        skip = Offset;
    else
        InvalidDecompressionOp();
    std::uint8_t buf[8192];
    while (skip > 0)
    {
        std::int64_t n = Read(buf, std::min<std::int64_t>(skip, sizeof buf));
        if (n <= 0) break;
        skip -= n;
    }
    return static_cast<std::int64_t>(FZRec.total_out);
}

void CompressStream(TStream& Source, TStream& Dest)
{
    TCompressionStream z(TCompressionLevel::clMax, Dest);
    Source.SetPosition(0);
    std::uint8_t buf[8192];
    for (;;)
    {
        std::int64_t n = Source.Read(buf, sizeof buf);
        if (n <= 0) break;
        z.WriteBuffer(buf, n);
    }
    z.Finish();
}

void DecompressStream(TStream& Dest, TStream& Source, std::int64_t maxSize)
{
    Source.SetPosition(0);
    TDecompressionStream z(Source);
    std::uint8_t buf[4096];
    std::int64_t total = 0;
    for (;;)
    {
        std::int64_t n = z.Read(buf, sizeof buf);
        if (n <= 0) break;
        total += n;
        if (maxSize >= 0 && total > maxSize)
            throw EDecompressionError("Decompressed data exceed the limit of " + std::to_string(maxSize) + " bytes");
        Dest.WriteBuffer(buf, n);
    }
}
