// What the clickable skinned controls share: the cross-fade between the
// normal and the active look (one step of its position, the drawing of a
// position between the two looks), their timers, and taking the focus on a
// press or an accelerator.
#pragma once
#include <functional>
#include <memory>

#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/ButtonTimers.h"

namespace bsctrls
{
// One 20 ms tick: the position moves a fifth towards 1 (hot) or 0; counted in
// fifths, so five ticks land exactly on the end. Returns False (and leaves
// the end value) on the tick after the end was reached: the fade stops.
bool StepMorph(double& kf, bool hot);
// Draws `from` cross-faded towards `to` by kf with the transition `kind`.
void DrawMorph(TCanvas* C, TBitmap* from, TBitmap* to, TbsMorphKind kind, double kf);

// Draws look R of a button's picture into B at B's size when the button
// does not take the skin's size: resize mode 0 stretches R, 2 and 3 keep the
// margins outside ClRect. Returns the text rectangle (ClRect grown by the
// size difference).
TRect DrawFreeSizedLook(TBitmap* B, TBitmap* Picture, const TRect& R, int ResizeMode, const TRect& ClRect);
// The font colour of a button look: the default font's when enabled without
// the skin's colours, else disabled, down (pressed and active), active or
// normal colour.
int ButtonFontColor(bool enabled, bool useSkinColor, int defaultColor, bool ADown, bool AActive, int down,
                    int active, int normal, int disabled);
// The frame of an n-frame glyph strip to show (1 normal, 2 disabled,
// 3 pressed, 4 hot).
int GlyphFrame(bool pressed, bool active, bool enabled, int numGlyphs);

// A press on an unfocused control first brings the focus (with
// `clicksDisabled` set meanwhile); `life` is the control's life token. False when the press is to be dropped:
// the focus did not come, or the control was freed on the way.
bool TakeFocusForPress(TWinControl* c, const std::weak_ptr<char>& life, bool& clicksDisabled);
// CM_DIALOGCHAR: whether the character is the caption's accelerator and the
// control, able to, took the focus (and still exists): then the caller acts
// and the message is consumed.
bool AcceleratorFocus(TWinControl* c, const std::weak_ptr<char>& life, const TMessage& m);
} // namespace bsctrls
