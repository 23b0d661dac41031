// What the parts of the skinned box controls share (not part of the unit's
// interface). Parts: InnerList.cpp (the list window inside the list box),
// ListBox.cpp (the list box frame and its popup), ComboBox.cpp (the combo
// box), Edit.cpp (the edits and their context menu).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"
#include "platform/os/ScrollBar.h"

namespace bsboxctrls
{
using bsctrls::SetStringTableCharset;

// A copy of the part r of a store picture; null for no picture or an empty part.
inline std::unique_ptr<TBitmap> CopyPicturePart(TBitmap* pic, const TRect& r) { return bsctrls::CopyPart(pic, r); }
// Tiles `tile` over `area` from its top-left corner, the last tiles cut.
inline void TileInto(TCanvas* C, TBitmap* tile, const TRect& area)
{
    HDC dc = C->GetHandle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.Left, area.Top, area.Right, area.Bottom);
    bsctrls::DrawTiles(C, tile, area, area, false, bsstFull);
    RestoreDC(dc, saved);
}
inline void SetSkinFontOf(TFont* f, const std::string& name, TbsFontStyles style, int height)
{
    bsctrls::SetSkinFont(f, name, style, height);
}
// The skin colour cBtnFace (clBtnFace without a store).
inline int SkinBtnFace(const TbsSkinData* sd) { return sd ? sd->FSkinColors.FcBtnFace : ColorToRGB(clBtnFace); }
inline int SkinBtnShadow(const TbsSkinData* sd) { return sd ? sd->FSkinColors.FcBtnShadow : ColorToRGB(clBtnShadow); }
inline int SkinBtnText(const TbsSkinData* sd) { return sd ? sd->FSkinColors.FcBtnText : ColorToRGB(clBtnText); }

// The controls' timers (made on first start, only switched off when stopped).
using bsctrls::StartTimer;
using bsctrls::StopTimer;
// The disabled text colour of the boxes: the "edit" entry's, else clGrayText.
int DisabledTextColor(const TbsSkinData* sd);
// The character set of the string table when there is one, else the fallback's.
int ItemCharset(const TbsSkinData* sd, const TFont* fallback);
} // namespace bsboxctrls
