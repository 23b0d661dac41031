// The platform-bound side of TbsBitmap: its pixel block and device context,
// and drawing onto device contexts.
#include "lib/bsEffects.h"

#include <cstdlib>

namespace
{
// Largest pixel block a bitmap may have (one gigabyte).
constexpr long long kMaxPixels = 1LL << 28;
}

void TbsBitmap::FreeStorage()
{
    UnregisterBitmap(this);
    FStorage.clear();
    FStorage.shrink_to_fit();
    FBits = nullptr;
    FHandle = nullptr;
    FDC = nullptr;
    FWidth = 0;
    FHeight = 0;
}

void TbsBitmap::SetSize(int aWidth, int aHeight)
{
    const long long w = std::llabs((long long)aWidth), h = std::llabs((long long)aHeight);
    if (w == 0 || h == 0) return;
    if (!Empty() && w == FWidth && h == FHeight) return;
    FreeStorage();
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF || w * h > kMaxPixels)
        throw Exception("Can't allocate the DIB handle");
    try {
        FStorage.assign(std::size_t(w * h), 0);
    } catch (const std::bad_alloc&) {
        FreeStorage();
        throw Exception("Can't allocate the DIB handle");
    }
    FBits = FStorage.data();
    FWidth = int(w);
    FHeight = int(h);
}

TbsDrawToDCProc DrawToDCTransparentRoutine = DrawToDCTransparent;

void InitDrawRoutines()
{
    // The bitmap unit starts before the drawing utilities record TransparentBlt,
    // so the key-colour route to a device context is always our own.
    DrawToDCTransparentRoutine = DrawToDCTransparent;
}

int ScreenColorDepth() { return 32; }

void DrawToDCTransparent(HDC, int, int, int, int, TbsBitmap*, int, int, int, int) {}
void DrawToDCTransparentBlt(HDC, int, int, int, int, TbsBitmap*, int, int, int, int) {}
