#include "platform/core/MainThread.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

namespace {

struct WaitState
{
    bool done = false;
    std::exception_ptr error;
};

struct Entry
{
    std::uint64_t seq;
    std::function<void()> call;
    const void* owner;
    std::shared_ptr<WaitState> wait;   // null for queued calls
};

struct SyncQueue
{
    std::mutex m;
    std::condition_variable arrived;   // a call was handed over
    std::condition_variable finished;  // a waited-for call has run
    std::deque<Entry> entries;
    std::uint64_t nextSeq = 1;
    std::function<void()> wakeup;
};

SyncQueue& Q()
{
    static SyncQueue* q = new SyncQueue;   // never destroyed: workers may outlive static teardown
    return *q;
}

std::mutex& IdMutex()
{
    static std::mutex m;
    return m;
}
std::thread::id& MainId()
{
    static std::thread::id id = std::this_thread::get_id();
    return id;
}
// Fix the default GUI thread during static initialisation.
const bool kMainIdInit = (MainId(), true);

} // namespace

void SetMainThread()
{
    std::lock_guard<std::mutex> g(IdMutex());
    MainId() = std::this_thread::get_id();
}

std::thread::id MainThreadId()
{
    std::lock_guard<std::mutex> g(IdMutex());
    return MainId();
}

bool IsMainThread() { return MainThreadId() == std::this_thread::get_id(); }

void RunOnMainThread(std::function<void()> call, bool wait, const void* owner)
{
    if (!call) return;
    if (wait && IsMainThread())
    {
        call();
        return;
    }
    SyncQueue& q = Q();
    std::shared_ptr<WaitState> state = wait ? std::make_shared<WaitState>() : nullptr;
    std::function<void()> wakeup;
    {
        std::lock_guard<std::mutex> g(q.m);
        q.entries.push_back(Entry{q.nextSeq++, std::move(call), owner, state});
        wakeup = q.wakeup;
    }
    q.arrived.notify_all();
    if (wakeup) wakeup();
    if (!state) return;

    std::unique_lock<std::mutex> g(q.m);
    q.finished.wait(g, [&] { return state->done; });
    if (state->error) std::rethrow_exception(state->error);
}

bool CheckSynchronize(unsigned timeoutMs)
{
    if (!IsMainThread()) return false;
    SyncQueue& q = Q();
    std::uint64_t last;
    {
        std::unique_lock<std::mutex> g(q.m);
        if (q.entries.empty() && timeoutMs > 0)
            q.arrived.wait_for(g, std::chrono::milliseconds(timeoutMs),
                               [&] { return !q.entries.empty(); });
        if (q.entries.empty()) return false;
        // Only calls present now run in this pass: a call that queues another
        // one does not keep this loop going forever.
        last = q.entries.back().seq;
    }
    bool ran = false;
    for (;;)
    {
        Entry e;
        {
            std::lock_guard<std::mutex> g(q.m);
            if (q.entries.empty() || q.entries.front().seq > last) break;
            e = std::move(q.entries.front());
            q.entries.pop_front();
        }
        ran = true;
        if (!e.wait)
        {
            e.call();   // an exception goes to the caller's loop; later calls stay queued
            continue;
        }
        try
        {
            e.call();
        }
        catch (...)
        {
            e.wait->error = std::current_exception();
        }
        {
            // This thread lets go of the wait state (and of the exception in
            // it) before the caller may run on: the caller then holds the last
            // reference, so the exception is freed on its thread, after this
            // thread's last touch of it. (The exception's own reference count
            // lives in the C++ run-time, where ThreadSanitizer cannot see the
            // order it gives.)
            std::lock_guard<std::mutex> g(q.m);
            e.wait->done = true;
            e.wait.reset();
        }
        q.finished.notify_all();
    }
    return ran;
}

bool HasPendingSynchronize()
{
    SyncQueue& q = Q();
    std::lock_guard<std::mutex> g(q.m);
    return !q.entries.empty();
}

void RemoveQueuedCalls(const void* owner)
{
    if (!owner) return;
    SyncQueue& q = Q();
    std::deque<Entry> dropped;   // destroyed outside the lock
    {
        std::lock_guard<std::mutex> g(q.m);
        for (auto it = q.entries.begin(); it != q.entries.end();)
        {
            if (it->owner == owner && !it->wait)
            {
                dropped.push_back(std::move(*it));
                it = q.entries.erase(it);
            }
            else
                ++it;
        }
    }
}

void SetMainThreadWakeup(std::function<void()> wakeup)
{
    SyncQueue& q = Q();
    std::lock_guard<std::mutex> g(q.m);
    q.wakeup = std::move(wakeup);
}
