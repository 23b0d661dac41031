// Threads of the class library: a thread object with Execute, termination
// request, waiting, free-on-terminate, priority, and calls handed to the GUI
// thread (Synchronize waits, Queue does not).
#pragma once
#include "platform/gui/Classes.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

class EThread : public Exception { public: using Exception::Exception; };

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Nice value used for each priority.
int ThreadPriorityToNice(TThreadPriority p);

class TThread : public TObject
{
public:
    // A suspended thread runs once Start (or Resume) is called. A thread
    // created running starts inside this constructor, before a derived
    // class's constructor has run, and Execute is virtual: derived classes
    // therefore pass true and call Start() at the end of their own
    // constructor (which is how "created running" is written here).
    explicit TThread(bool CreateSuspended);
    // Deleting a thread that runs asks it to terminate and waits for it; calls
    // it queued that have not run yet are dropped. The
    // derived part is gone by then, so a derived class whose Execute may still
    // run calls Terminate() and WaitFor() in its own destructor.
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    // Starts a thread created suspended (threads are never paused later).
    void Resume() { Start(); }
    // Sets Terminated; Execute is expected to check it and return.
    void Terminate();
    bool Terminated() const;
    // Waits for the end of Execute (and of OnTerminate); returns ReturnValue.
    // On the GUI thread it keeps serving synchronised calls meanwhile.
    // Raises EThread when a thread waits for itself.
    int WaitFor();

    bool FreeOnTerminate() const { return freeOnTerminate_; }
    // The thread deletes its object after OnTerminate. Such a thread must not
    // be waited for or touched once started.
    void SetFreeOnTerminate(bool Value)
    {
        std::lock_guard<std::mutex> g(m_);
        freeOnTerminate_ = Value;
    }
    TThreadPriority Priority() const { return priority_; }
    // Mapped to the thread's nice value, best effort.
    void SetPriority(TThreadPriority Value);
    int ReturnValue() const { return returnValue_; }
    bool Finished() const;
    bool Suspended() const;
    bool Started() const;
    // The exception that escaped Execute, if any, and its message.
    std::exception_ptr FatalException() const { return fatal_; }
    const std::string& FatalMessage() const { return fatalMessage_; }
    pthread_t Handle() const { return handle_; }
    // The system's id of the thread (0 before it starts).
    int ThreadID() const { return threadId_; }

    // Called on the GUI thread after Execute ends (Sender is the thread).
    TNotifyEvent OnTerminate;

    // The thread object running the calling code, or nullptr.
    static TThread* CurrentThread();
    // Runs AMethod on the GUI thread and waits for it; an exception it throws
    // is rethrown here. On the GUI thread itself it runs at once.
    static void Synchronize(TThread* AThread, TThreadMethod AMethod);
    // Hands AMethod to the GUI thread without waiting.
    static void Queue(TThread* AThread, TThreadMethod AMethod);
    // Drops calls queued for AThread that have not run yet.
    static void RemoveQueuedEvents(TThread* AThread);
    static void Sleep(unsigned Milliseconds);

protected:
    virtual void Execute() = 0;
    // Runs OnTerminate through Synchronize when it is set.
    virtual void DoTerminate();
    void Synchronize(TThreadMethod AMethod) { Synchronize(this, std::move(AMethod)); }
    void Queue(TThreadMethod AMethod) { Queue(this, std::move(AMethod)); }
    void SetReturnValue(int Value) { returnValue_ = Value; }

private:
    void Run();

    mutable std::mutex m_;
    std::condition_variable done_;
    std::thread thread_;
    pthread_t handle_{};
    int threadId_ = 0;
    bool started_ = false;
    bool finished_ = false;
    bool terminated_ = false;
    bool freeOnTerminate_ = false;
    TThreadPriority priority_ = tpNormal;
    int returnValue_ = 0;
    std::exception_ptr fatal_;
    std::string fatalMessage_;
};
