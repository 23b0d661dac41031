// Critical sections (recursive, like the system's) and events with timed waits.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class TCriticalSection
{
public:
    void Enter() { m_.lock(); }
    void Leave() { m_.unlock(); }
    bool TryEnter() { return m_.try_lock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }
    // Lockable, so std::lock_guard / std::scoped_lock work on it.
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

private:
    std::recursive_mutex m_;
};

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

// Manual-reset or auto-reset event.
class TEvent
{
public:
    explicit TEvent(bool manualReset = true, bool initialState = false)
        : manual_(manualReset), state_(initialState) {}

    void SetEvent()
    {
        std::lock_guard<std::mutex> g(m_);
        state_ = true;
        if (manual_) cv_.notify_all(); else cv_.notify_one();
    }
    void ResetEvent()
    {
        std::lock_guard<std::mutex> g(m_);
        state_ = false;
    }
    bool IsSet()
    {
        std::lock_guard<std::mutex> g(m_);
        return state_;
    }
    // Waits up to timeoutMs (INFINITE for no limit); an auto-reset event is cleared by a successful wait.
    TWaitResult WaitFor(std::uint32_t timeoutMs = INFINITE)
    {
        std::unique_lock<std::mutex> g(m_);
        if (timeoutMs == INFINITE)
            cv_.wait(g, [&] { return state_; });
        else if (!cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return state_; }))
            return TWaitResult::wrTimeout;
        if (!manual_) state_ = false;
        return TWaitResult::wrSignaled;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool manual_;
    bool state_;
};
