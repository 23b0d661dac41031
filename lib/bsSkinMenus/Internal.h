// What the parts of the skinned menus share. Parts: Items.cpp (drawing and
// hover of one entry), PopupWindow.cpp (building, placing, painting and input
// of a level window), Controller.cpp (the controller and the popup menu
// component), MenuBar.cpp (the main menu bar).
#pragma once
#include <string>

#include "lib/bsSkinMenus.h"

namespace bsmenus
{
// The font of a level's entries: the skin entry's when the controller uses
// skin fonts and there is an entry, else the controller's default font; the
// character set of the string table when the store has one.
void SetItemFont(TFont* F, const TbsSkinMenu* M, const TbsDataSkinMenuItem* MI);
// Caption of an entry, with its shortcut text when it has one.
std::string ShortCutTextOf(const TMenuItem* Item);
// `from` cross-faded towards `to` by kf with the transition `kind`, drawn
// at (0, 0) of C.
void DrawMorph(TCanvas* C, TBitmap* from, TBitmap* to, TbsMorphKind kind, double kf);
// DrawTextUnicode with DT_CALCRECT: the extent of the text from r's top-left.
TRect MeasureText(TCanvas* C, const std::string& text, TRect r);
}  // namespace bsmenus
