// The timer component: OnTimer every Interval milliseconds while Enabled,
// on the one clock (virtual in headless tests).
#pragma once
#include <cstdint>

#include "platform/gui/Classes.h"

class TTimer : public TComponent
{
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned GetInterval() const { return interval_; }
    void SetInterval(unsigned v);
    // Assigning the event (re)starts the timer when it is enabled.
    void SetOnTimer(TNotifyEvent e);
    const TNotifyEvent& GetOnTimer() const { return onTimer_; }
    // Whether a system timer is running now.
    bool Running() const { return id_ != 0; }

protected:
    virtual void Timer();

private:
    void update();
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    std::uintptr_t id_ = 0;
};
