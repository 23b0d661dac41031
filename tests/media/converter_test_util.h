// Helpers of the conversion component tests: a recorder of terminate events
// and waiting on the GUI thread while its calls are served.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Src/FFConverter.h"
#include "platform/core/MainThread.h"
#include "tests/media/engine_test_util.h"

namespace convtest {

using namespace enginetest;

// Serves the GUI thread's calls until `done` holds; false when it never did
// (a guard against a hung test, not a speed check).
inline bool WaitUntil(const std::function<bool()>& done, int guardSeconds = 120)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(guardSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (IsMainThread())
            CheckSynchronize(5);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Every terminate event, in the order it arrived, with the thread it came on.
struct TerminateLog
{
    std::mutex m;
    std::vector<TTerminateInfo> events;
    std::vector<std::thread::id> threads;

    TTerminateEvent Handler()
    {
        return [this](TObject*, const TTerminateInfo& info) {
            std::lock_guard<std::mutex> g(m);
            events.push_back(info);
            threads.push_back(std::this_thread::get_id());
        };
    }
    bool Final()
    {
        std::lock_guard<std::mutex> g(m);
        for (auto& e : events)
            if (e.TaskIndex == -1)
                return true;
        return false;
    }
    std::vector<TTerminateInfo> Copy()
    {
        std::lock_guard<std::mutex> g(m);
        return events;
    }
};

// An output record for a quick conversion: MPEG-4 video, MP2 audio.
inline TOutputOptions QuickOutput()
{
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.AudioCodec = "mp2";
    return o;
}

// Adds a task with one input and one quick output; the task index.
inline int AddQuickTask(TCustomFFConverter& c, const std::string& in, const std::string& out,
                        TOutputOptions o = QuickOutput())
{
    int t = c.AddTask(in);
    EXPECT_GE(t, 0) << c.LastErrMsg();
    if (t >= 0) {
        EXPECT_TRUE(c.SetOutputFile(t, out, &o)) << c.LastErrMsg();
    }
    return t;
}

}  // namespace convtest
