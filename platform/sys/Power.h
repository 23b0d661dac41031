// Switching the computer off at the end of a batch: a request to the system's
// login manager (logind) through "systemctl poweroff". Replaceable, so tests
// never switch anything off.
#pragma once
#include <memory>

namespace sys
{
class IPowerControl
{
public:
    virtual ~IPowerControl() = default;
    // Asks the system to power off; returns whether the request was accepted.
    virtual bool PowerOff() = 0;
};

// Requests a power-off through the current power control.
bool RequestPowerOff();
// Replaces the power control; nullptr restores the default (which runs
// "systemctl poweroff" through the current launcher, see Process.h).
// Returns the previous one.
std::shared_ptr<IPowerControl> SetPowerControl(std::shared_ptr<IPowerControl> control);
}
