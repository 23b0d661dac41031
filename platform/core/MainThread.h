// The GUI thread and the queue of calls other threads hand to it.
//
// Worker threads reach the GUI thread only through this queue (and posted
// messages). Every loop that waits on the GUI thread calls CheckSynchronize so
// that a waiting worker is served even inside nested modal loops.
#pragma once
#include <functional>
#include <thread>

// Marks the calling thread as the GUI thread. Until called, the thread that
// started the program (ran static initialisation) counts as the GUI thread.
void SetMainThread();
bool IsMainThread();
std::thread::id MainThreadId();

// Hands `call` to the GUI thread.
// wait=true (Synchronize): blocks until the GUI thread has run it; an
//   exception thrown by the call is rethrown here. Called on the GUI thread
//   itself, the call runs at once.
// wait=false (Queue): returns at once; the call runs at the GUI thread's next
//   CheckSynchronize. Called on the GUI thread, it is still queued (runs later).
// `owner` tags queued calls so RemoveQueuedCalls can drop them when the object
// that queued them goes away (nullptr: no owner).
void RunOnMainThread(std::function<void()> call, bool wait, const void* owner = nullptr);

// Runs, on the GUI thread, the calls that were pending when it was entered, in
// the order they were handed over. When none is pending it waits up to
// timeoutMs for one to arrive. Returns whether any call ran. Does nothing (and
// returns false) on any other thread. Safe to re-enter from a call it runs.
// An exception from a queued (not waited-for) call propagates to the caller;
// the calls after it stay pending.
bool CheckSynchronize(unsigned timeoutMs = 0);

// Whether any call is waiting for the GUI thread.
bool HasPendingSynchronize();

// Drops every pending queued call tagged with `owner`. Calls that a thread is
// waiting on are kept (their waiter must be released by running them).
void RemoveQueuedCalls(const void* owner);

// Hook the message loop installs: called (from any thread) each time a call is
// handed over, so that the GUI thread's wait wakes up. Empty to remove.
void SetMainThreadWakeup(std::function<void()> wakeup);
