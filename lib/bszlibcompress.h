// Compression and decompression over zlib (RFC 1950 streams).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/Exception.h"

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

enum TCompressionLevel { clNone, clFastest, clDefault, clMax };

// The zlib level of a compression level (0, 1, zlib's default, 9).
int bsZlibLevel(TCompressionLevel level);

// Compresses a whole buffer into one zlib stream.
std::vector<std::uint8_t> bsCompressBytes(const std::uint8_t* data, std::size_t size,
                                          TCompressionLevel level = clMax);

// Inflates one whole zlib stream. Damaged or truncated data raise
// EDecompressionError "compression error"; output beyond maxSize (a
// decompression bomb) raises EDecompressionError as well. Bytes after the end
// of the zlib stream are ignored.
std::vector<std::uint8_t> bsDecompressBytes(const std::uint8_t* data, std::size_t size,
                                            std::size_t maxSize);
