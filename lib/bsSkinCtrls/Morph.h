// What the clickable skinned controls share: the cross-fade between the
// normal and the active look (one step of its position, the drawing of a
// position between the two looks), their timers, and taking the focus on a
// press or an accelerator.
#pragma once
#include <functional>
#include <memory>

#include "lib/bsSkinCtrls.h"

namespace bsctrls
{
// One 20 ms tick: the position moves a fifth towards 1 (hot) or 0; counted in
// fifths, so five ticks land exactly on the end. Returns False (and leaves
// the end value) on the tick after the end was reached: the fade stops.
bool StepMorph(double& kf, bool hot);
// Draws `from` cross-faded towards `to` by kf with the transition `kind`.
void DrawMorph(TCanvas* C, TBitmap* from, TBitmap* to, TbsMorphKind kind, double kf);

// The controls' timers: made on first start, and only switched off when
// stopped, so a tick may stop its own timer.
inline bool TimerOn(const std::unique_ptr<TTimer>& t) { return t && t->GetEnabled(); }
inline void StopTimer(std::unique_ptr<TTimer>& t)
{
    if (t) t->SetEnabled(false);
}
// (Re)starts the timer with the interval and tick.
void StartTimer(std::unique_ptr<TTimer>& t, unsigned interval, std::function<void()> tick);

// A press on an unfocused control first brings the focus (with
// `clicksDisabled` set meanwhile); `life` is the control's life token. False when the press is to be dropped:
// the focus did not come, or the control was freed on the way.
bool TakeFocusForPress(TWinControl* c, const std::weak_ptr<char>& life, bool& clicksDisabled);
// CM_DIALOGCHAR: whether the character is the caption's accelerator and the
// control, able to, took the focus (and still exists): then the caller acts
// and the message is consumed.
bool AcceleratorFocus(TWinControl* c, const std::weak_ptr<char>& life, const TMessage& m);
} // namespace bsctrls
