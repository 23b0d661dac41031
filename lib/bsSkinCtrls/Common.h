// Helpers the skinned controls share (not part of the unit's interface).
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinCtrls.h"

namespace bsctrls
{
// Centres a control vertically in a parent panel that adjusts its controls.
void AdjustTopInPanel(TControl* c, int& ATop, int AHeight);
} // namespace bsctrls
