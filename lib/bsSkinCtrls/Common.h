// Helpers the skinned controls share (not part of the unit's interface).
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinCtrls.h"

namespace bsctrls
{
// Centres a control vertically in a parent panel that adjusts its controls.
void AdjustTopInPanel(TControl* c, int& ATop, int AHeight);

// The faces of a tool button without a skin: button face alone (flat),
// framed in the button shadow (normal), navy-framed light (hot) or darker
// (pressed) fill.
enum class TDefaultFace { Plain, Normal, Hot, Pressed };
void DrawDefaultFace(TCanvas* C, const TRect& r, TDefaultFace face);
} // namespace bsctrls
