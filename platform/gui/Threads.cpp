#include "platform/gui/Threads.h"

#include "platform/core/MainThread.h"
#include "platform/sys/ThreadPriority.h"

#include <chrono>

namespace {
thread_local TThread* tCurrent = nullptr;
}

int ThreadPriorityToNice(TThreadPriority p)
{
    switch (p)
    {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -20;
    }
    return 0;
}

TThread::TThread(bool CreateSuspended)
{
    if (!CreateSuspended) Start();
}

TThread::~TThread()
{
    RemoveQueuedEvents(this);
    if (!thread_.joinable()) return;
    if (std::this_thread::get_id() == thread_.get_id())
    {
        // Freed by its own thread (free-on-terminate): nothing to wait for.
        thread_.detach();
        return;
    }
    Terminate();
    WaitFor();
    thread_.join();
}

void TThread::Start()
{
    std::lock_guard<std::mutex> g(m_);
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] { Run(); });
    handle_ = thread_.native_handle();
}

void TThread::Run()
{
    tCurrent = this;
    TThreadPriority prio;
    {
        std::lock_guard<std::mutex> g(m_);
        threadId_ = sys::CurrentThreadId();
        prio = priority_;
    }
    if (prio != tpNormal) sys::SetThreadNice(0, ThreadPriorityToNice(prio));
    if (!Terminated())
    {
        try
        {
            Execute();
        }
        catch (const std::exception& e)
        {
            fatal_ = std::current_exception();
            fatalMessage_ = e.what();
        }
        catch (...)
        {
            fatal_ = std::current_exception();
            fatalMessage_ = "Unknown exception in thread";
        }
    }
    bool freeIt;
    {
        std::lock_guard<std::mutex> g(m_);
        freeIt = freeOnTerminate_;
    }
    try
    {
        DoTerminate();
    }
    catch (...)
    {
        if (!fatal_) fatal_ = std::current_exception();
    }
    tCurrent = nullptr;
    {
        // Notified under the lock: a waiter may delete this object as soon
        // as it sees finished_.
        std::lock_guard<std::mutex> g(m_);
        finished_ = true;
        done_.notify_all();
    }
    if (freeIt) delete this;
}

void TThread::DoTerminate()
{
    if (OnTerminate) Synchronize(this, [this] { OnTerminate(this); });
}

void TThread::Terminate()
{
    std::lock_guard<std::mutex> g(m_);
    terminated_ = true;
}

bool TThread::Terminated() const
{
    std::lock_guard<std::mutex> g(m_);
    return terminated_;
}

bool TThread::Finished() const
{
    std::lock_guard<std::mutex> g(m_);
    return finished_;
}

bool TThread::Suspended() const
{
    std::lock_guard<std::mutex> g(m_);
    return !started_;
}

bool TThread::Started() const
{
    std::lock_guard<std::mutex> g(m_);
    return started_;
}

int TThread::WaitFor()
{
    if (tCurrent == this) throw EThread("Cannot wait for a thread to end from within that thread");
    std::unique_lock<std::mutex> g(m_);
    if (!started_) return returnValue_;
    if (IsMainThread())
    {
        // The thread may be waiting for us (Synchronize, OnTerminate): serve
        // its calls while waiting.
        while (!finished_)
        {
            g.unlock();
            CheckSynchronize(5);
            g.lock();
        }
    }
    else
        done_.wait(g, [&] { return finished_; });
    return returnValue_;
}

void TThread::SetPriority(TThreadPriority Value)
{
    int tid;
    {
        std::lock_guard<std::mutex> g(m_);
        priority_ = Value;
        tid = (started_ && !finished_) ? threadId_ : 0;
    }
    if (tid != 0) sys::SetThreadNice(tid, ThreadPriorityToNice(Value));
}

TThread* TThread::CurrentThread() { return tCurrent; }

void TThread::Synchronize(TThread* AThread, TThreadMethod AMethod)
{
    RunOnMainThread(std::move(AMethod), true, AThread);
}

void TThread::Queue(TThread* AThread, TThreadMethod AMethod)
{
    RunOnMainThread(std::move(AMethod), false, AThread);
}

void TThread::RemoveQueuedEvents(TThread* AThread) { RemoveQueuedCalls(AThread); }

void TThread::Sleep(unsigned Milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}
