// Compression and decompression over zlib (RFC 1950 streams).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/gui/Classes.h"
#include "platform/gui/Streams.h"

#include <zlib.h>

class EZlibError : public Exception
{
public:
    using Exception::Exception;
};
class ECompressionError : public EZlibError
{
public:
    using EZlibError::EZlibError;
};
class EDecompressionError : public EZlibError
{
public:
    using EZlibError::EZlibError;
};

// Scoped: the colour constants clNone and clDefault share the short names.
enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// The zlib level of a compression level (0, 1, zlib's default, 9).
int bsZlibLevel(TCompressionLevel level);

// Compresses a whole buffer into one zlib stream.
std::vector<std::uint8_t> bsCompressBytes(const std::uint8_t* data, std::size_t size,
                                          TCompressionLevel level = TCompressionLevel::clMax);

// Inflates one whole zlib stream. Damaged or truncated data raise
// EDecompressionError "compression error"; output beyond maxSize (a
// decompression bomb) raises EDecompressionError as well. Bytes after the end
// of the zlib stream are ignored.
std::vector<std::uint8_t> bsDecompressBytes(const std::uint8_t* data, std::size_t size,
                                            std::size_t maxSize);

// Base of the two zlib streams: the underlying stream (not owned), the
// position in it at which this stream goes on, the zlib state and an
// 8192-byte transfer buffer.
class TCustomZlibStream : public TStream
{
public:
    explicit TCustomZlibStream(TStream& Strm);
    TCustomZlibStream(const TCustomZlibStream&) = delete;
    TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

    // Called after each buffer that goes to or comes from the underlying stream.
    TNotifyEvent OnProgress;

protected:
    void Progress();

    TStream& FStrm;
    std::int64_t FStrmPos;
    z_stream FZRec{};
    std::uint8_t FBuffer[8192];
};

// Deflates everything written to it into the underlying stream. The zlib
// stream in the underlying stream is complete after Finish (which the
// destructor runs when it has not been called; errors there are lost, so
// callers that need them call Finish themselves).
class TCompressionStream : public TCustomZlibStream
{
public:
    TCompressionStream(TCompressionLevel CompressionLevel, TStream& Dest);
    ~TCompressionStream() override;

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    // Only 0 from the current position: the number of bytes written so far.
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return std::int64_t(FZRec.total_in); }
    // Percentage saved: 0 before any input.
    float CompressionRate() const;
    // Ends the zlib stream and writes the rest into the underlying stream.
    void Finish();

private:
    bool FFinished = false;
};

// Inflates the underlying stream while it is read. Reading stops at the end
// of the zlib stream; damaged data, and data that end before the zlib stream
// does, raise EDecompressionError "compression error".
class TDecompressionStream : public TCustomZlibStream
{
public:
    explicit TDecompressionStream(TStream& Source);
    ~TDecompressionStream() override;

    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    // 0 from the beginning starts over from the underlying stream's start;
    // forward moves read and drop; the result is the bytes delivered so far.
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return -1; }

private:
    bool FEnded = false;
};

// Compresses the whole source (from its start) into Dest at the highest level.
void CompressStream(TStream& Source, TStream& Dest);
// Inflates the whole source (from its start) into Dest. With maxSize 0 or
// more, output beyond maxSize bytes raises EDecompressionError.
void DecompressStream(TStream& Dest, TStream& Source, std::int64_t maxSize = -1);
