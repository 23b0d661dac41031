#include "serve_until.h"
#include "platform/gui/Threads.h"
#include "platform/core/MainThread.h"
#include "platform/sys/ThreadPriority.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace {

class FnThread : public TThread
{
public:
    // Starts at the end of its own constructor when not suspended, so Execute
    // never runs on a half-built object.
    explicit FnThread(bool suspended, std::function<void(FnThread*)> fn)
        : TThread(true), fn_(std::move(fn))
    {
        if (!suspended) Start();
    }
    ~FnThread() override
    {
        Terminate();
        if (Started() && CurrentThread() != this) WaitFor();
    }
    using TThread::SetReturnValue;
    using TThread::Synchronize;
    using TThread::Queue;

protected:
    void Execute() override { fn_(this); }

private:
    std::function<void(FnThread*)> fn_;
};

struct ThreadTest : ::testing::Test
{
    void SetUp() override { SetMainThread(); }
};

TEST_F(ThreadTest, SuspendedStartTerminateWaitFor)
{
    std::atomic<int> loops{0};
    FnThread t(true, [&](FnThread* self) {
        while (!self->Terminated())
        {
            ++loops;
            TThread::Sleep(1);
        }
        self->SetReturnValue(42);
    });
    TThread::Sleep(20);
    EXPECT_EQ(loops, 0) << "a suspended thread does not run";
    EXPECT_TRUE(t.Suspended());
    t.Resume();
    while (loops == 0) TThread::Sleep(1);
    EXPECT_FALSE(t.Finished());
    t.Terminate();
    EXPECT_EQ(t.WaitFor(), 42);
    EXPECT_TRUE(t.Finished());
    EXPECT_NE(t.ThreadID(), 0);
    EXPECT_EQ(t.WaitFor(), 42) << "waiting again returns at once";
}

TEST_F(ThreadTest, OnTerminateRunsOnTheGuiThreadAndWaitForServesIt)
{
    bool onMain = false;
    TObject* sender = nullptr;
    std::vector<int> order;
    FnThread t(true, [&](FnThread* self) {
        self->Synchronize([&] { order.push_back(1); });
        self->Queue([&] { order.push_back(2); });
    });
    t.OnTerminate = [&](TObject* s) {
        onMain = IsMainThread();
        sender = s;
        order.push_back(3);
    };
    t.Start();
    t.WaitFor();   // would deadlock if it did not serve the queue
    EXPECT_TRUE(onMain);
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(ThreadTest, ExceptionsEscapingExecuteAreKeptAndSynchronizeRethrows)
{
    std::string caught;
    FnThread t(false, [&](FnThread* self) {
        try
        {
            self->Synchronize([] { throw std::runtime_error("in main"); });
        }
        catch (const std::exception& e)
        {
            caught = e.what();
        }
        throw std::runtime_error("bad input");
    });
    t.WaitFor();
    EXPECT_EQ(caught, "in main");
    ASSERT_TRUE(t.FatalException());
    EXPECT_EQ(t.FatalMessage(), "bad input");
}

TEST_F(ThreadTest, FreeOnTerminateDeletesTheObject)
{
    // LeakSanitizer fails the test if the thread object is not freed.
    static std::atomic<int> destroyed{0};
    struct Self : TThread
    {
        Self() : TThread(true) {}
        ~Self() override { ++destroyed; }
        void Execute() override {}
    };
    destroyed = 0;
    std::atomic<bool> terminated{false};
    auto* t = new Self;
    t->SetFreeOnTerminate(true);
    t->OnTerminate = [&](TObject*) { terminated = true; };
    t->Start();
    EXPECT_TRUE(ServeUntil([&] { return destroyed.load() == 1; }));
    EXPECT_TRUE(terminated);
}

TEST_F(ThreadTest, DeletingARunningThreadStopsIt)
{
    std::atomic<bool> started{false};
    auto* t = new FnThread(false, [&](FnThread* self) {
        started = true;
        while (!self->Terminated()) TThread::Sleep(1);
    });
    while (!started) TThread::Sleep(1);
    delete t;   // terminates and waits
    SUCCEED();
}

TEST_F(ThreadTest, PriorityMapsToNiceBestEffort)
{
    struct Case { TThreadPriority p; int nice; };
    const Case cases[] = {{tpIdle, 19}, {tpLowest, 10}, {tpLower, 5}, {tpNormal, 0}, {tpTimeCritical, -20}};
    for (const Case& c : cases) EXPECT_EQ(ThreadPriorityToNice(c.p), c.nice);

    // Lowering is always allowed: the thread sees its new nice value.
    std::atomic<int> seen{-100};
    std::atomic<bool> go{false};
    FnThread t(true, [&](FnThread*) {
        while (!go) TThread::Sleep(1);
        seen = sys::GetThreadNice(0);
    });
    int base = sys::GetThreadNice(0);
    t.SetPriority(tpLower);
    t.Start();
    go = true;
    t.WaitFor();
    if (base <= 5) { EXPECT_EQ(seen, 5) << "nice of the thread"; }
    EXPECT_EQ(t.Priority(), tpLower);
    EXPECT_EQ(sys::GetThreadNice(0), base) << "the calling thread is untouched";
}

TEST_F(ThreadTest, QueuedEventsOfAFreedThreadAreDropped)
{
    int ran = 0;
    {
        FnThread t(false, [&](FnThread* self) { self->Queue([&] { ++ran; }); });
        while (!t.Finished()) TThread::Sleep(1);
    }   // deleted before the GUI thread served the queue
    while (CheckSynchronize()) {}
    EXPECT_EQ(ran, 0);
}

} // namespace
