// Helpers the skinned controls share (not part of the unit's interface).
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinCtrls.h"

namespace bsctrls
{
// A copy of the part r of a store picture (so that nothing of the store is
// ever changed); null for no picture or an empty part.
std::unique_ptr<TBitmap> CopyPart(TBitmap* pic, const TRect& r);
// Fills `area` with `tile`: tiled from the area's top-left (the last tiles
// cut by the caller's clip), or stretched (bsstFull into fullRect, bsstHorz
// as full-height strips across, bsstVert as full-width strips down). An
// empty tile or area draws nothing.
void DrawTiles(TCanvas* C, TBitmap* tile, const TRect& area, const TRect& fullRect, bool stretch,
               TbsStretchType st);
// Centres a control vertically in a parent panel that adjusts its controls.
void AdjustTopInPanel(TControl* c, int& ATop, int AHeight);
// "Arial", no style, height 14.
std::unique_ptr<TFont> MakeDefaultFont();
TFontStyles ToFontStyles(TbsFontStyles s);
void SetSkinFont(TFont* f, const std::string& name, TbsFontStyles style, int height);
// The string table's character set when the store has one, else fallback's.
void SetStringTableCharset(TFont* f, const TbsSkinData* sd, const TFont* fallback);
} // namespace bsctrls
