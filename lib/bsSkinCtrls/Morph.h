// The cross-fade between a control's normal and active looks, shared by the
// button and the check box: one step of its position and the drawing of a
// position between the two looks.
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
} // namespace bsctrls
