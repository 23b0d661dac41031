// The thread class the engine's conversion threads derive from.
#pragma once
#include <thread>

#if __has_include("platform/gui/Threads.h")
#include "platform/gui/Threads.h"
#else
// Stand-in until the class library's thread class exists.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
class TThread
{
public:
    explicit TThread(bool) {}
    virtual ~TThread() = default;
    void SetFreeOnTerminate(bool) {}
    void SetPriority(TThreadPriority) {}
    void Start()
    {
        std::thread([this] {
            Execute();
            delete this;
        }).detach();
    }

protected:
    virtual void Execute() = 0;
};
#endif
