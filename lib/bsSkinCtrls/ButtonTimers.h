// The timers of the clickable skinned controls: switched on and off without
// being freed (a tick may stop its own timer), a button's frame animation and
// its auto-repeat. Part of the skinned controls unit.
#pragma once
#include <functional>
#include <memory>

#include "platform/core/Geometry.h"
#include "platform/gui/ExtCtrls.h"

namespace bsctrls
{
// The controls' timers: made on first start, and only switched off when
// stopped, so a tick may stop its own timer.
inline bool TimerOn(const std::unique_ptr<TTimer>& t) { return t && t->GetEnabled(); }
inline void StopTimer(std::unique_ptr<TTimer>& t)
{
    if (t) t->SetEnabled(false);
}
// (Re)starts the timer with the interval and tick.
void StartTimer(std::unique_ptr<TTimer>& t, unsigned interval, std::function<void()> tick);

// A button's frame animation: frames 1..count of the entry's animation
// picture, stepped in (towards the hot look) or out at the entry's interval.
struct TFrameAnimation
{
    std::unique_ptr<TTimer> Timer;
    int CurrentFrame = 0;
    bool Inc = false;

    bool Running() const { return TimerOn(Timer); }
    // Starts from frame 1 (in) or `count` (out); each tick repaints.
    void Start(bool in, int count, int interval, std::function<void()> repaint);
    void Stop();
    // The current frame's rectangle in `anim` (frames side by side when the
    // look is narrower than the strip, else one under another); false while
    // no frame is shown.
    bool Frame(const TRect& look, const TRect& anim, int count, TRect& out) const;

private:
    void Tick(int count, const std::function<void()>& repaint);
};

// A button's auto-repeat: a 500 ms delay, then a click every `interval` ms.
struct TAutoRepeat
{
    std::unique_ptr<TTimer> Timer;
    bool Delaying = false;

    bool Running() const { return TimerOn(Timer); }
    void Start(const int& interval, std::function<void()> click);
    void Stop() { StopTimer(Timer); }
};

} // namespace bsctrls
