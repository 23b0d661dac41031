#include "platform/core/Clock.h"
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace
{
std::mutex gLock;
bool gVirtual = false;
std::uint64_t gVirtualNow = 0;
bool gReadSinceChange = false;

std::uint64_t RealNow()
{
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    // Start at a non-zero count so "0 means never" checks in callers keep working.
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now() - start).count()) + 100000;
}
} // namespace

namespace Clock
{
std::uint64_t Now()
{
    std::lock_guard<std::mutex> g(gLock);
    return gVirtual ? gVirtualNow : RealNow();
}

void SetVirtual(bool on, std::uint64_t startMs)
{
    std::lock_guard<std::mutex> g(gLock);
    if (on && !gVirtual) gVirtualNow = startMs;
    gVirtual = on;
    gReadSinceChange = false;
}

bool IsVirtual()
{
    std::lock_guard<std::mutex> g(gLock);
    return gVirtual;
}

void Advance(std::uint64_t ms)
{
    std::lock_guard<std::mutex> g(gLock);
    if (!gVirtual) return;
    gVirtualNow += ms;
    gReadSinceChange = false;
}

void AdvanceTo(std::uint64_t ms)
{
    std::lock_guard<std::mutex> g(gLock);
    if (!gVirtual || ms <= gVirtualNow) return;
    gVirtualNow = ms;
    gReadSinceChange = false;
}

std::uint64_t Poll()
{
    std::lock_guard<std::mutex> g(gLock);
    if (!gVirtual) return RealNow();
    if (gReadSinceChange) ++gVirtualNow;
    gReadSinceChange = true;
    return gVirtualNow;
}

void Wait(std::uint32_t ms)
{
    if (IsVirtual()) { Advance(ms); return; }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
} // namespace Clock

DWORD GetTickCount() { return DWORD(Clock::Poll() & 0xFFFFFFFFu); }
std::uint64_t GetTickCount64() { return Clock::Poll(); }
void Sleep(DWORD ms) { Clock::Wait(ms); }
