// The program's own pictures, drawn by code: the glyphs of the tool bar and
// the small buttons, the program's picture (about box, window icon) and the
// picture shown over the empty job table.
//
// Button glyphs are drawn anti-aliased over a ground colour that is also
// their transparent colour (the skinned buttons key out the colour of a
// glyph's bottom-left pixel), so their edges blend into a button of that
// colour; the window draws them again for each skin.
#pragma once
#include <memory>

#include "platform/core/Surface.h"

class TBitmap;

namespace glyphs {

enum TGlyph {
    gAdd, gRemove, gClear, gStart, gStop, gPause, gResume, gOptions, gSkin,  // tool bar
    gRename, gMoveUp, gMoveDown,                                              // job table buttons
    gPlay, gPreviewPause, gPreviewStop, gMute, gUnmute, gSnapshot, gSnapshotMenu,  // preview
};
constexpr int kGlyphCount = gSnapshotMenu + 1;

// A glyph of size x size pixels over `ground` (opaque); disabled glyphs are
// grey and faded towards the ground. The bottom-left pixel is the ground.
std::unique_ptr<TBitmap> ButtonGlyph(TGlyph glyph, int size, bool enabled, TPixel ground);

// Draws a glyph's own picture at a size ahead of its first use, so that the
// ButtonGlyph calls for it only tint it; any thread may call it.
void DrawAhead(TGlyph glyph, int size);

// The program's picture with its own alpha (size x size).
TSurface LogoPicture(int size);
std::unique_ptr<TBitmap> LogoBitmap(int size);

// The picture over the empty job table, with its own alpha (w x h).
std::unique_ptr<TBitmap> EmptyListPicture(int w, int h);

}  // namespace glyphs
