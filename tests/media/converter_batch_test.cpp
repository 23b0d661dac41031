// The conversion component's batch: tasks one after another or on threads,
// terminate and end-of-batch events, guards, stop, pause and resume.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/sys/ThreadPriority.h"
#include "tests/media/converter_test_util.h"

using namespace convtest;

namespace {

class ConverterBatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
    }
    TempDir dir{"convbatch"};
};

const char* const kInputs[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv", "clip with spaces.avi"};

}  // namespace

// Five tasks at thread counts 0, 1, 2 and 4: every task reports once, the
// end of the batch (-1) comes once and last, no more than N tasks run at once.
TEST_F(ConverterBatch, EventOrderAtEveryThreadCount)
{
    for (int threads : {0, 1, 2, 4}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        TFFConverter c;
        TerminateLog log;
        c.OnTerminate = log.Handler();
        std::atomic<int> maxRunning{0};
        // sampled on every progress report (GUI thread) and every hook call (conversion threads)
        auto sample = [&] {
            int n = 0;
            for (int i = 0; i < c.TasksCount(); i++)
                n += c.Task(i)->Converting();
            int m = maxRunning.load();
            while (n > m && !maxRunning.compare_exchange_weak(m, n)) {
            }
        };
        c.OnProgress = [&](TObject* Sender, PProgressInfo p) {
            EXPECT_EQ(Sender, &c);
            EXPECT_GE(p->TaskIndex, 0);
            EXPECT_TRUE(IsMainThread());
            sample();
        };
        c.OnCustomHook = [&](TObject*, PHookInfo h) {
            h->Update = false;
            sample();
        };
        std::vector<std::string> outs;
        for (int i = 0; i < 5; i++) {
            outs.push_back(dir / ("out" + std::to_string(threads) + "_" + std::to_string(i) + ".avi"));
            TOutputOptions o = QuickOutput();
            o.CustomHook = true;
            ASSERT_EQ(AddQuickTask(c, Fixture(kInputs[i]), outs.back(), o), i);
        }
        c.Start(threads);
        if (threads == 0) {
            EXPECT_TRUE(log.Final()) << "Start(0) returns after the end of the batch";
        }
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        c.Stop(true);  // after the end: nothing more happens
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 6u);
        EXPECT_EQ(ev.back().TaskIndex, -1);
        EXPECT_TRUE(ev.back().Finished);
        std::set<int> seen;
        for (size_t i = 0; i + 1 < ev.size(); i++) {
            EXPECT_TRUE(ev[i].Finished) << ev[i].TaskIndex << " " << ev[i].ExceptionMsg;
            EXPECT_FALSE(ev[i].Exception) << ev[i].ExceptionMsg;
            seen.insert(ev[i].TaskIndex);
        }
        EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4}));
        if (threads == 0) {
            // one after another, on the caller's thread, in list order
            for (size_t i = 0; i + 1 < ev.size(); i++)
                EXPECT_EQ(ev[i].TaskIndex, (int)i);
            for (auto& t : log.threads)
                EXPECT_EQ(t, std::this_thread::get_id());
        } else {
            for (auto& t : log.threads)
                EXPECT_NE(t, std::this_thread::get_id());
        }
        EXPECT_GE(maxRunning.load(), 1);
        EXPECT_LE(maxRunning.load(), std::max(1, threads));
        EXPECT_TRUE(c.Terminated());
        EXPECT_TRUE(c.Working());
        for (auto& o : outs)
            EXPECT_GT(std::filesystem::file_size(o), 1000u) << o;
    }
}

TEST_F(ConverterBatch, StartWithoutTasksEndsAtOnce)
{
    for (int threads : {0, 3}) {
        TFFConverter c;
        TerminateLog log;
        c.OnTerminate = log.Handler();
        c.Start(threads);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 1u);
        EXPECT_EQ(ev[0].TaskIndex, -1);
        EXPECT_TRUE(c.Terminated());
        c.ClearTasks();
        EXPECT_FALSE(c.Working());
    }
}

TEST_F(ConverterBatch, GuardsAndProperties)
{
    TFFConverter c;
    EXPECT_EQ(c.Version(), "3.3");
    EXPECT_EQ(c.ProgressInterval(), 500);
    c.SetProgressInterval(50);
    EXPECT_EQ(c.ProgressInterval(), 100);
    c.SetProgressInterval(100);
    EXPECT_EQ(c.ProgressInterval(), 100);
    EXPECT_TRUE(c.TriggerEventInMainThread());
    EXPECT_EQ(c.CustomMaxFiles(), 20);
    EXPECT_THROW(c.Task(0), EListError);
    EXPECT_THROW(c.SetOutputFile(3, dir / "x.avi"), EListError);

    TerminateLog log;
    c.OnTerminate = log.Handler();
    AddQuickTask(c, Fixture("clip.avi"), dir / "a.avi");
    AddQuickTask(c, Fixture("clip.mp4"), dir / "b.avi");
    std::atomic<bool> release{false};
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    AddQuickTask(c, Fixture("clip.ts"), dir / "c.avi", o);
    c.Exchange(0, 2);  // the held task first
    c.Start(1);
    auto expectGuard = [&](const std::function<void()>& f, const std::string& msg) {
        try {
            f();
            ADD_FAILURE() << "no exception for " << msg;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), msg);
        }
    };
    expectGuard([&] { c.AddTask(Fixture("clip.avi")); }, "Cannot AddTask while working.");
    expectGuard([&] { c.AddInputFile(0, Fixture("clip.avi")); }, "Cannot AddInputFile while working.");
    expectGuard([&] { c.SetOutputFile(0, dir / "d.avi"); }, "Cannot SetOutputFile while working.");
    expectGuard([&] { c.Exchange(0, 1); }, "Cannot Exchange while working.");
    expectGuard([&] { c.RemoveTask(0); }, "Cannot RemoveTask while working.");
    expectGuard([&] { c.Start(1); }, "Cannot StartTask while working.");
    expectGuard([&] { c.ClearTasks(); }, "Cannot ClearTasks while working.");
    release = true;
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    // the batch has ended: still working until the tasks are cleared
    expectGuard([&] { c.AddTask(Fixture("clip.avi")); }, "Cannot AddTask while working.");
    c.ClearTasks();
    EXPECT_EQ(c.TasksCount(), 0);
    EXPECT_FALSE(c.Working());
    EXPECT_GE(AddQuickTask(c, Fixture("clip.avi"), dir / "e.avi"), 0);
}

// Failing tasks report their message, the first real reason of the failure
// in the user's words; the others still convert.
TEST_F(ConverterBatch, FailingTasksReportWhileOthersFinish)
{
    const std::string fifo = dir / "pipe.avi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (int threads : {0, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        TFFConverter c;
        TerminateLog log;
        c.OnTerminate = log.Handler();
        // an input that cannot be opened makes no task
        EXPECT_EQ(c.AddTask(Fixture("text.avi")), -1);
        EXPECT_FALSE(c.LastErrMsg().empty());
        EXPECT_EQ(c.AddTask(dir / "missing.avi"), -1);
        EXPECT_NE(c.LastErrMsg().find("missing.avi"), std::string::npos) << c.LastErrMsg();
        // a FIFO is refused at once, as the probe refuses it (opening it would wait for a writer)
        EXPECT_EQ(c.AddTask(fifo), -1);
        EXPECT_EQ(c.LastErrMsg(), fifo + ": Not a regular file");

        AddQuickTask(c, Fixture("clip.avi"), dir / ("ok1_" + std::to_string(threads) + ".avi"));
        // refused outputs (unknown encoders, the input itself): the task has
        // none and reports the first reason
        struct Bad { std::string video, audio, out, reason; int task; };
        std::vector<Bad> bads = {
            {"no_such_encoder", "mp2", dir / "bad.avi", "Unknown video encoder 'no_such_encoder'", -1},
            {"mpeg4", "no_such_audio", dir / "bad2.avi", "Unknown audio encoder 'no_such_audio'", -1},
            {"mpeg4", "mp2", Fixture("clip.mp4"),
             "Output file \"" + Fixture("clip.mp4") + "\" is the same file as input file \"" + Fixture("clip.mp4") + "\"",
             -1},
        };
        for (Bad& b : bads) {
            b.task = c.AddTask(Fixture("clip.mp4"));
            TOutputOptions o = QuickOutput();
            o.VideoCodec = b.video;
            o.AudioCodec = b.audio;
            EXPECT_FALSE(c.SetOutputFile(b.task, b.out, &o));
            EXPECT_EQ(c.LastErrMsg(), b.reason);
            // a later refusal of the same task does not hide the first reason
            o.VideoCodec = "no_such_encoder_either";
            EXPECT_FALSE(c.SetOutputFile(b.task, b.out, &o));
        }
        AddQuickTask(c, Fixture("clip.ts"), dir / ("ok2_" + std::to_string(threads) + ".avi"));
        c.Start(threads);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 6u);
        EXPECT_EQ(ev.back().TaskIndex, -1);
        for (size_t i = 0; i + 1 < ev.size(); i++) {
            auto bad = std::find_if(bads.begin(), bads.end(), [&](const Bad& b) { return b.task == ev[i].TaskIndex; });
            if (bad != bads.end()) {
                EXPECT_TRUE(ev[i].Exception);
                EXPECT_FALSE(ev[i].Finished);
                EXPECT_EQ(ev[i].ExceptionMsg, bad->reason);
            } else {
                EXPECT_TRUE(ev[i].Finished) << ev[i].ExceptionMsg;
                EXPECT_FALSE(ev[i].Exception);
            }
        }
    }
}

// Stop(True) during a batch of four with two running: the running ones end
// unfinished, the pending ones are reported without an exception, the end of
// the batch follows once, and Stop returns after all of it.
TEST_F(ConverterBatch, StopDuringRun)
{
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> inHook{0};
    std::atomic<bool> stopping{false};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        if (h->FrameNumber == 3) {
            inHook++;
            while (!stopping)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    for (int i = 0; i < 4; i++)
        AddQuickTask(c, Fixture(kInputs[i]), dir / ("s" + std::to_string(i) + ".avi"), o);
    c.Start(2);
    // hook calls are serialised: one task holds the hook, the other waits for it
    ASSERT_TRUE(WaitUntil([&] { return inHook == 1 && c.Task(0)->Converting() && c.Task(1)->Converting(); }));
    stopping = true;
    c.Stop(true);
    // every event has been delivered when Stop returns
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 5u);
    EXPECT_EQ(ev.back().TaskIndex, -1);
    std::set<int> seen;
    for (size_t i = 0; i + 1 < ev.size(); i++) {
        seen.insert(ev[i].TaskIndex);
        EXPECT_FALSE(ev[i].Finished) << ev[i].TaskIndex;
        EXPECT_FALSE(ev[i].Exception) << ev[i].ExceptionMsg;
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_TRUE(c.Terminated());
    c.Stop(true);
    EXPECT_EQ(log.Copy().size(), 5u);
}

// Pause leaves the workers idle; Resume goes on to the end.
TEST_F(ConverterBatch, PauseAndResume)
{
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> frames{0};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        frames++;
        if (h->FrameNumber == 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    for (int i = 0; i < 3; i++)
        AddQuickTask(c, Fixture(kInputs[i]), dir / ("p" + std::to_string(i) + ".avi"), o);
    c.Start(2);
    ASSERT_TRUE(WaitUntil([&] { return frames >= 5; }));
    c.Pause();
    // a packet in flight may still pass; then nothing moves
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    int before = frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(frames.load(), before);
    EXPECT_FALSE(log.Final());
    c.Resume();
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 4u);
    for (size_t i = 0; i + 1 < ev.size(); i++)
        EXPECT_TRUE(ev[i].Finished);
}

// A task whose engine ended before the batch (stopped while idle does
// nothing; a task stopped in an ended batch is not run again).
TEST_F(ConverterBatch, StopWhileIdleDoesNothing)
{
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    AddQuickTask(c, Fixture("clip.avi"), dir / "i.avi");
    c.Stop(true);
    EXPECT_TRUE(log.Copy().empty());
    c.Start(1);
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_TRUE(ev[0].Finished);
}

// Progress events carry the task index and figures, on the GUI thread by default
// and on the conversion thread otherwise.
TEST_F(ConverterBatch, ProgressEvents)
{
    for (bool mainThread : {true, false}) {
        TFFConverter c;
        c.SetTriggerEventInMainThread(mainThread);
        c.SetProgressInterval(100);
        TerminateLog log;
        c.OnTerminate = log.Handler();
        std::mutex m;
        std::vector<TProgressInfo> seen;
        std::atomic<int> offMain{0};
        c.OnProgress = [&](TObject*, PProgressInfo p) {
            std::lock_guard<std::mutex> g(m);
            seen.push_back(*p);
            offMain += !IsMainThread();
        };
        AddQuickTask(c, Fixture("clip.avi"), dir / (mainThread ? "pm.avi" : "pw.avi"));
        c.Start(1);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        std::lock_guard<std::mutex> g(m);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(offMain.load(), mainThread ? 0 : (int)seen.size());
        const TProgressInfo& last = seen.back();
        EXPECT_EQ(last.TaskIndex, 0);
        EXPECT_GT(last.FrameNumber, 40);
        EXPECT_GT(last.CurrentSize, 0);
        EXPECT_GT(last.CurrentDuration, 1500000);
    }
}

// Destroying a working component stops its tasks first.
TEST_F(ConverterBatch, DestroyWhileWorking)
{
    TerminateLog log;
    {
        TFFConverter c;
        c.OnTerminate = log.Handler();
        for (int i = 0; i < 3; i++)
            AddQuickTask(c, Fixture(kInputs[i]), dir / ("d" + std::to_string(i) + ".avi"));
        c.Start(2);
    }
    EXPECT_TRUE(log.Final());
    EXPECT_EQ(log.Copy().size(), 4u);
}

// Conversion threads take the component's priority as their nice value (best
// effort: lowering always works); the tasks of the caller's thread keep theirs.
TEST_F(ConverterBatch, ThreadPriority)
{
    for (TThreadPriority prio : {tpLowest, tpIdle}) {
        TFFConverter c;
        c.SetThreadPriority(prio);
        TerminateLog log;
        c.OnTerminate = log.Handler();
        std::atomic<int> nice{-100};
        c.OnCustomHook = [&](TObject*, PHookInfo h) {
            h->Update = false;
            nice = sys::GetThreadNice(0);
        };
        TOutputOptions o = QuickOutput();
        o.CustomHook = true;
        AddQuickTask(c, Fixture("clip.avi"), dir / ("prio" + std::to_string(int(prio)) + ".avi"), o);
        c.Start(1);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        EXPECT_EQ(nice.load(), ThreadPriorityToNice(prio));
    }
}

// Stop(True) from a progress handler on the GUI thread: the conversion thread
// waiting for that handler is not waited for; the batch still ends and reports.
TEST_F(ConverterBatch, StopFromProgressHandler)
{
    TFFConverter c;
    c.SetProgressInterval(100);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> calls{0};
    c.OnProgress = [&](TObject*, PProgressInfo) {
        if (calls++ == 0)
            c.Stop(true);
    };
    // a slow hook so that the run is still going at the first report
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    for (int i = 0; i < 3; i++)
        AddQuickTask(c, Fixture(kInputs[i]), dir / ("sp" + std::to_string(i) + ".avi"), o);
    c.Start(2);
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 4u);
    for (size_t i = 0; i + 1 < ev.size(); i++)
        EXPECT_FALSE(ev[i].Finished);
}
