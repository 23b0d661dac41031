// Base of the media library's components, and the seek flags they share.
#pragma once
#include <cstdint>

#include "platform/core/Exception.h"

// A component without behaviour of its own.
// A plain object until the class library's TComponent exists; the owner is
// kept but does not free it.
class TFFBaseComponent : public TObject
{
public:
    explicit TFFBaseComponent(TObject* AOwner = nullptr) : FOwner(AOwner) {}
    TObject* Owner() const { return FOwner; }

private:
    TObject* FOwner;
};

enum TSeekFlag : std::uint8_t
{
    sfBackward,
    sfByte,
    sfAny,
    sfFrame,
};
using TSeekFlags = std::uint8_t;
constexpr TSeekFlags SeekFlag(TSeekFlag f) { return TSeekFlags(1u << unsigned(f)); }

// The FFmpeg seek-flag bits: backward 1, byte 2, any 4, frame 8.
constexpr int SeekFlagsToAVSeekFlags(TSeekFlags flags) { return int(flags & 0x0F); }
