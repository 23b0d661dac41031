// Runs a step from the GUI thread's idle wait, the way a person answers a
// modal window: once, as soon as a condition holds.
#pragma once
#include <functional>
#include <memory>

#include "platform/os/Window.h"

inline void WhenIdle(std::function<bool()> ready, std::function<void()> action)
{
    auto done = std::make_shared<bool>(false);
    SetIdleHook([=] {
        if (*done || !ready()) return false;
        *done = true;
        action();
        return true;
    });
}
