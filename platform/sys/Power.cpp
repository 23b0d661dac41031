#include "platform/sys/Power.h"

#include "platform/sys/Process.h"

#include <mutex>

namespace sys
{
namespace {

class SystemctlPowerControl : public IPowerControl
{
public:
    bool PowerOff() override
    {
        // logind decides whether this user may power off (polkit); the exit
        // status says whether it accepted.
        return Launcher().Launch({"systemctl", "poweroff"}, true);
    }
};

std::mutex gMutex;
std::shared_ptr<IPowerControl>& Current()
{
    static std::shared_ptr<IPowerControl> c = std::make_shared<SystemctlPowerControl>();
    return c;
}

} // namespace

bool RequestPowerOff()
{
    std::shared_ptr<IPowerControl> c;
    {
        std::lock_guard<std::mutex> g(gMutex);
        c = Current();
    }
    return c->PowerOff();
}

std::shared_ptr<IPowerControl> SetPowerControl(std::shared_ptr<IPowerControl> control)
{
    std::lock_guard<std::mutex> g(gMutex);
    auto old = Current();
    Current() = control ? std::move(control) : std::make_shared<SystemctlPowerControl>();
    return old;
}
}
