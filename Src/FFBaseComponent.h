// Base of the media library's components, and the seek flags they share.
#pragma once
#include <cstdint>

#include "platform/gui/Classes.h"

// A component without behaviour of its own: the base of the media library's components.
class TFFBaseComponent : public TComponent
{
public:
    explicit TFFBaseComponent(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
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
