// Tiling walk shared by the bitmap's drawing units.
#pragma once
#include "platform/core/Geometry.h"

namespace bseffects
{
// Walks the tiles of srcRect's size over dstRect; each is cut by dstRect and
// handed over with its source part.
template <class Fn>
void ForEachTile(const TRect& dstRect, const TRect& srcRect, Fn fn)
{
    const int w = RectWidth(srcRect), h = RectHeight(srcRect);
    if (w <= 0 || h <= 0) return;
    const int dw = RectWidth(dstRect), dh = RectHeight(dstRect);
    if (dw <= 0 || dh <= 0) return;
    const int cols = dw / w + (dw % w ? 1 : 0);
    const int rows = dh / h + (dh % h ? 1 : 0);
    for (int c = 0; c <= cols; ++c) {
        for (int r = 0; r <= rows; ++r) {
            const TRect whole(dstRect.Left + c * w, dstRect.Top + r * h, dstRect.Left + c * w + w,
                              dstRect.Top + r * h + h);
            TRect tile;
            if (!IntersectRect(tile, whole, dstRect)) break;
            TRect part = srcRect;
            part.Right = part.Left + RectWidth(tile);
            part.Bottom = part.Top + RectHeight(tile);
            fn(tile, part);
        }
    }
}
}  // namespace bseffects
