// What the standard controls share inside the class library. Included only by
// the files under platform/gui/StdCtrls/; the public classes are in
// platform/gui/StdCtrls.h.
//
// The parts: Label.cpp (TLabel), Button.cpp (TButton), Edit.cpp (TEdit),
// ListBox.cpp (TListBox), ComboBox.cpp (TComboBox and its drop-down list).
#pragma once
#include <string>

#include "platform/gui/StdCtrls.h"

namespace stdctrls
{
// Width of a vertical scroll bar.
int scrollBarWidth();
// Height of a line of text in the font, measured on a screen DC.
int fontLineHeight(TFont* font);
// A small filled triangle pointing up or down, centred in r.
void drawArrow(TCanvas* c, const TRect& r, bool up, TColor color);
void drawButtonFace(TCanvas* c, TRect r, bool down);
bool startsWithNoCase(const std::string& text, const std::string& prefix);
} // namespace stdctrls
