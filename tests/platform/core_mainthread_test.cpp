#include "serve_until.h"
#include "platform/core/MainThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct MainThreadTest : ::testing::Test
{
    void SetUp() override
    {
        SetMainThread();
        while (CheckSynchronize()) {}
    }
    void TearDown() override { SetMainThreadWakeup(nullptr); }
};

TEST_F(MainThreadTest, IdentifiesTheGuiThread)
{
    EXPECT_TRUE(IsMainThread());
    bool other = true;
    std::thread([&] { other = IsMainThread(); }).join();
    EXPECT_FALSE(other);
    EXPECT_FALSE(CheckSynchronize()) << "nothing pending";
}

TEST_F(MainThreadTest, SynchronizeOnGuiThreadRunsAtOnce)
{
    int n = 0;
    RunOnMainThread([&] { ++n; }, true);
    EXPECT_EQ(n, 1);
    EXPECT_THROW(RunOnMainThread([] { throw std::runtime_error("x"); }, true), std::runtime_error);
}

// Several threads synchronise while the GUI thread is inside a nested loop
// (run from an earlier synchronised call) that serves the queue itself.
TEST_F(MainThreadTest, SynchronizeFromManyThreadsInsideNestedLoop)
{
    constexpr int kWorkers = 8, kCalls = 50;
    std::atomic<int> ran{0};
    std::atomic<bool> nestedEntered{false};
    std::atomic<int> workersDone{0};
    std::vector<std::thread> workers;

    std::thread opener([&] {
        // This call opens a "modal loop" on the GUI thread that only ends when
        // every other worker has finished its synchronised calls.
        RunOnMainThread([&] {
            nestedEntered = true;
            EXPECT_TRUE(ServeUntil([&] { return workersDone == kWorkers; }));
        }, true);
    });
    // The workers start calling once the nested loop runs, so all their calls
    // are served from inside it.
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&] {
            while (!nestedEntered) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (int i = 0; i < kCalls; ++i)
                RunOnMainThread([&] { EXPECT_TRUE(IsMainThread()); ++ran; }, true);
            ++workersDone;
        });
    EXPECT_TRUE(ServeUntil([&] { return workersDone == kWorkers; }));
    for (auto& t : workers) t.join();
    opener.join();
    EXPECT_EQ(ran, kWorkers * kCalls);
}

TEST_F(MainThreadTest, ExceptionIsCarriedBackToTheWaitingThread)
{
    std::string caught;
    std::atomic<bool> finished{false};
    std::thread t([&] {
        try
        {
            RunOnMainThread([] { throw std::runtime_error("disk full"); }, true);
        }
        catch (const std::runtime_error& e)
        {
            caught = e.what();
        }
        finished = true;
    });
    EXPECT_TRUE(ServeUntil([&] { return finished.load(); }));
    t.join();
    EXPECT_EQ(caught, "disk full");
}

TEST_F(MainThreadTest, QueuedCallsRunInOrderAndLaterQueuesWaitForNextPass)
{
    std::vector<int> order;
    std::thread t([&] {
        for (int i = 0; i < 5; ++i) RunOnMainThread([&order, i] { order.push_back(i); }, false);
    });
    t.join();
    // A call queued from within a pass runs in the next pass, not this one.
    RunOnMainThread([&] { RunOnMainThread([&] { order.push_back(99); }, false); }, false);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order.back(), 99);
    EXPECT_FALSE(CheckSynchronize());
}

TEST_F(MainThreadTest, QueuedExceptionPropagatesAndKeepsTheRest)
{
    int after = 0;
    RunOnMainThread([] { throw std::runtime_error("boom"); }, false);
    RunOnMainThread([&] { ++after; }, false);
    EXPECT_THROW(CheckSynchronize(), std::runtime_error);
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(after, 1);
}

TEST_F(MainThreadTest, RemoveQueuedCallsDropsOnlyThatOwner)
{
    int a = 0, b = 0;
    int ownerA, ownerB;
    RunOnMainThread([&] { ++a; }, false, &ownerA);
    RunOnMainThread([&] { ++b; }, false, &ownerB);
    RunOnMainThread([&] { ++a; }, false, &ownerA);
    RemoveQueuedCalls(&ownerA);
    while (CheckSynchronize()) {}
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
}

TEST_F(MainThreadTest, WakeupHookIsCalledAndCheckSynchronizeWaits)
{
    std::atomic<int> wakes{0};
    SetMainThreadWakeup([&] { ++wakes; });
    std::atomic<bool> ran{false};
    std::thread t([&] { RunOnMainThread([&] { ran = true; }, false); });
    // Waits for the call to arrive rather than returning empty-handed.
    EXPECT_TRUE(ServeUntil([&] { return ran.load(); }));
    t.join();
    EXPECT_EQ(wakes, 1);
}

TEST_F(MainThreadTest, CheckSynchronizeOffTheGuiThreadDoesNothing)
{
    RunOnMainThread([] {}, false);
    bool r = true;
    std::thread([&] { r = CheckSynchronize(); }).join();
    EXPECT_FALSE(r);
    EXPECT_TRUE(HasPendingSynchronize());
    EXPECT_TRUE(CheckSynchronize());
}

} // namespace
