// Serves the GUI-thread call queue until a condition holds, or until a
// generous limit passes, so that a fault shows as a failure rather than a hang.
#pragma once
#include <chrono>

#include "platform/core/MainThread.h"

template <class Pred>
bool ServeUntil(Pred done)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > limit) return false;
        CheckSynchronize(5);
    }
    return true;
}
