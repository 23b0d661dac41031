// The program's one clock. Every millisecond count (GetTickCount, window
// timers, double-click timing, fades) reads it.
//
// In virtual mode (headless tests) time does not pass by itself: tests move it
// with Clock::Advance, and a loop that keeps reading the clock without anything
// else moving it (a fade that waits for "more than 5 ms") pushes it forward by
// one millisecond per repeated read, so such loops finish without real waiting.
#pragma once
#include <cstdint>
#include "platform/core/Types.h"

namespace Clock
{
// Milliseconds since an arbitrary start (real: monotonic clock).
std::uint64_t Now();
// Switches virtual mode on or off. Switching it on starts virtual time at startMs.
void SetVirtual(bool on, std::uint64_t startMs = 100000);
bool IsVirtual();
// Moves virtual time forward (ignored in real mode).
void Advance(std::uint64_t ms);
// Sets virtual time to at least ms (never backwards).
void AdvanceTo(std::uint64_t ms);
// Reads the clock like a caller that polls it: in virtual mode a read that
// follows another read with no change in between moves time by 1 ms first.
std::uint64_t Poll();
// Waits ms milliseconds: sleeps in real mode, advances time in virtual mode.
void Wait(std::uint32_t ms);
} // namespace Clock

// Milliseconds since start, wrapping at 2^32 like the system call.
DWORD GetTickCount();
std::uint64_t GetTickCount64();
// Blocks the calling thread for ms milliseconds (virtual mode: advances the clock).
void Sleep(DWORD ms);
