// Conversion component: stopping a batch that runs inside Start, a custom
// hook nobody handles, and a preview window closed during the run.
#include <atomic>
#include <filesystem>
#include <set>

#include "platform/gui/Forms.h"
#include "platform/testing/Driver.h"
#include "tests/media/converter_test_util.h"

using namespace convtest;

namespace {

class ConverterHandlers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
    }
    TempDir dir{"convhandlers"};
};

const char* const kInputs[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv"};

}  // namespace

// Start(0): a stop from the first task's terminate handler or from a progress
// handler drops the tasks not run yet; each still reports its end (not
// finished, no exception), the end of the batch comes once, and Start returns.
TEST_F(ConverterHandlers, StopInsideStartWithoutThreads)
{
    for (int from : {0, 1}) {
        SCOPED_TRACE(from == 0 ? "terminate handler" : "progress handler");
        TFFConverter c;
        c.SetProgressInterval(100);
        TerminateLog log;
        auto record = log.Handler();
        c.OnTerminate = [&](TObject* s, const TTerminateInfo& i) {
            record(s, i);
            if (from == 0 && i.TaskIndex == 0)
                c.Stop(true);
        };
        std::atomic<int> calls{0};
        if (from == 1) {
            c.OnProgress = [&](TObject*, PProgressInfo p) {
                if (p->TaskIndex == 1 && calls++ == 0)
                    c.Stop(true);
            };
            TOutputOptions slow = QuickOutput();
            slow.CustomHook = true;
            c.OnCustomHook = [&](TObject*, PHookInfo h) {
                h->Update = false;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            };
            for (int i = 0; i < 4; i++)
                AddQuickTask(c, Fixture(kInputs[i]), dir / ("sp" + std::to_string(i) + ".avi"), slow);
        } else {
            for (int i = 0; i < 4; i++)
                AddQuickTask(c, Fixture(kInputs[i]), dir / ("st" + std::to_string(i) + ".avi"));
        }
        c.Start(0);
        ASSERT_TRUE(log.Final());
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 5u);
        EXPECT_EQ(ev.back().TaskIndex, -1);
        std::set<int> seen;
        for (size_t i = 0; i + 1 < ev.size(); i++) {
            seen.insert(ev[i].TaskIndex);
            EXPECT_FALSE(ev[i].Exception) << ev[i].TaskIndex << " " << ev[i].ExceptionMsg;
            // the first task ran to its end; the stop came before or during the second
            EXPECT_EQ(ev[i].Finished, ev[i].TaskIndex == 0) << ev[i].TaskIndex;
        }
        EXPECT_EQ(seen.size(), 4u);
        EXPECT_TRUE(c.Terminated());
    }
}

namespace {

// Counts the engines' calls of the custom-hook relay.
class CountingConverter : public TFFConverter
{
public:
    std::atomic<int> relayed{0};
    void DoCustomHook(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS, bool& AUpdate,
                      bool& AStopHook) override
    {
        relayed++;
        TFFConverter::DoCustomHook(Sender, ABitmap, AFrameNumber, APTS, AUpdate, AStopHook);
    }
};

}  // namespace

// A record asks for the custom hook but the component has no handler: the
// frames go through untouched (no round trip through RGB), and the engine
// never even converts a picture for the hook.
TEST_F(ConverterHandlers, CustomHookWithoutHandlerLeavesFrames)
{
    CountingConverter c;
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    o.CustomHook = true;
    const std::string out = dir / "nohandler.mkv", plain = dir / "plain.mkv";
    AddQuickTask(c, Fixture("clip.avi"), out, o);
    o.CustomHook = false;
    AddQuickTask(c, Fixture("clip.avi"), plain, o);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    ASSERT_TRUE(log.Final());
    EXPECT_EQ(Probe(out, "v:0", "stream=nb_frames"), Probe(plain, "v:0", "stream=nb_frames"));
    auto md5 = [](const std::string& f) {
        return enginetest::Run("ffmpeg -nostdin -v error -i " + Quote(f) + " -map 0:v -f md5 -");
    };
    const std::string a = md5(out), b = md5(plain);
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, b);
    EXPECT_EQ(c.relayed, 0);

    // with a handler every frame reaches it, each task through a bitmap of its
    // own that lives from frame to frame
    CountingConverter h;
    std::set<TBitmap*> bitmaps;
    int calls = 0;
    h.OnCustomHook = [&](TObject*, PHookInfo info) {
        calls++;
        bitmaps.insert(info->Bitmap);
        EXPECT_EQ(info->Bitmap->GetWidth(), 320);
        info->Update = false;
    };
    o.CustomHook = true;
    AddQuickTask(h, Fixture("clip.avi"), dir / "h1.mkv", o);
    AddQuickTask(h, Fixture("clip.avi"), dir / "h2.mkv", o);
    TerminateLog hlog;
    h.OnTerminate = hlog.Handler();
    h.Start(0);
    ASSERT_TRUE(hlog.Final());
    EXPECT_EQ(calls, 100);
    EXPECT_EQ(h.relayed, 100);
    EXPECT_EQ(bitmaps.size(), 2u);

    // a handler that leaves Update set: an untouched picture keeps the frame
    // exactly as decoded; a changed one (by scan line, without the canvas)
    // goes back into it
    struct Case { const char* name; bool touch; bool same; };
    for (const Case k : {Case{"untouched", false, true}, Case{"touched", true, false}}) {
        SCOPED_TRACE(k.name);
        CountingConverter u;
        u.OnCustomHook = [&](TObject*, PHookInfo info) {
            if (k.touch)
                static_cast<uint8_t*>(info->Bitmap->ScanLine(10))[30] ^= 0xFF;
        };
        const std::string f = dir / (std::string(k.name) + ".mkv");
        AddQuickTask(u, Fixture("clip.avi"), f, o);
        TerminateLog ulog;
        u.OnTerminate = ulog.Handler();
        u.Start(0);
        ASSERT_TRUE(ulog.Final());
        EXPECT_EQ(u.relayed, 50);
        EXPECT_EQ(md5(f) == b, k.same);
    }
}

namespace {

class ConverterHandlersPreview : public ConverterHandlers
{
protected:
    void SetUp() override
    {
        ConverterHandlers::SetUp();
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
    }
    void TearDown() override
    {
        ResetApplication();
        driver.reset();
    }
    std::unique_ptr<TTestDriver> driver;
};

}  // namespace

// The user closes the preview window of a running task: the run drops its
// preview, the window goes, and the conversion goes on to its end.
TEST_F(ConverterHandlersPreview, ClosedWindowDuringTheRun)
{
    TFFConverter c;
    c.SetPreview(true);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<bool> holdFirst{true}, holdLast{true};
    std::atomic<int> lastFrame{0};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        lastFrame = h->FrameNumber;
        while (holdFirst && h->FrameNumber > 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // frames 11 to 39 take longer than the preview period, so the run
        // offers the closed window at least one more frame
        if (h->FrameNumber > 10 && h->FrameNumber < 40)
            std::this_thread::sleep_for(std::chrono::milliseconds(8));
        while (holdLast && h->FrameNumber >= 40)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    AddQuickTask(c, Fixture("clip.avi"), dir / "closed.avi", o);
    c.Start(1);
    ASSERT_TRUE(WaitUntil([&] {
        driver->PumpUntilIdle();
        return Screen->FormCount() == 1;
    }));
    Screen->Forms(0)->Close();
    driver->PumpUntilIdle();
    holdFirst = false;
    ASSERT_TRUE(WaitUntil([&] { return lastFrame >= 40; }));
    CheckSynchronize(0);
    driver->PumpUntilIdle();
    // still converting, preview dropped, window gone
    EXPECT_TRUE(c.Task(0)->Converting());
    EXPECT_EQ(c.Task(0)->PostHooks() & PostHookBit(phPreview), 0);
    EXPECT_EQ(Screen->FormCount(), 0);
    holdLast = false;
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    EXPECT_TRUE(log.Copy()[0].Finished);
}

// A paused batch can be stopped (and a paused component destroyed): the
// suspended conversions end, every task reports, the batch ends once.
TEST_F(ConverterHandlers, StopWhilePaused)
{
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "stopped");
        TerminateLog log;
        std::atomic<int> frames{0};
        {
            TFFConverter c;
            c.OnTerminate = log.Handler();
            c.OnCustomHook = [&](TObject*, PHookInfo h) {
                h->Update = false;
                frames++;
            };
            TOutputOptions o = QuickOutput();
            o.CustomHook = true;
            for (int i = 0; i < 3; i++)
                AddQuickTask(c, Fixture(kInputs[i]), dir / ("pz" + std::to_string(destroy) + std::to_string(i) + ".avi"), o);
            c.Start(2);
            ASSERT_TRUE(WaitUntil([&] { return frames >= 3; }));
            c.Pause();
            if (!destroy) {
                c.Stop(true);
                EXPECT_TRUE(log.Final());
            }
        }
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 4u);
        EXPECT_EQ(ev.back().TaskIndex, -1);
        for (size_t i = 0; i + 1 < ev.size(); i++)
            EXPECT_FALSE(ev[i].Finished) << ev[i].TaskIndex;
    }
}

// Stop(true) from a handler on a conversion thread while other tasks run:
// it cannot wait for tasks that may be waiting for that very handler (the
// hook is serialised), so it returns; every task still reports and the
// batch ends once.
TEST_F(ConverterHandlers, StopFromHookHandler)
{
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<bool> stopped{false}, claimed{false};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        // Whichever task reaches frame 5 first stops the batch: no task can
        // have ended by then, however the threads happen to be scheduled.
        if (h->FrameNumber == 5 && !claimed.exchange(true)) {
            // let the other task reach the hook and wait for it
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            c.Stop(true);
            stopped = true;
        }
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    for (int i = 0; i < 3; i++)
        AddQuickTask(c, Fixture(kInputs[i]), dir / ("hs" + std::to_string(i) + ".avi"), o);
    c.Start(2);
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }, 30));
    EXPECT_TRUE(stopped.load());
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev.back().TaskIndex, -1);
    for (size_t i = 0; i + 1 < ev.size(); i++)
        EXPECT_FALSE(ev[i].Finished) << ev[i].TaskIndex;
}

// A terminate handler that raises: the batch still counts that task as
// ended, the other tasks run and the end of the batch comes once.
TEST_F(ConverterHandlers, RaisingTerminateHandler)
{
    for (int threads : {0, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        LogCapture logs;
        TFFConverter c;
        TerminateLog log;
        auto record = log.Handler();
        c.OnTerminate = [&](TObject* s, const TTerminateInfo& i) {
            record(s, i);
            if (i.TaskIndex == 0)
                throw Exception("handler failed");
        };
        for (int i = 0; i < 3; i++)
            AddQuickTask(c, Fixture(kInputs[i]), dir / ("rt" + std::to_string(threads) + std::to_string(i) + ".avi"));
        try {
            c.Start(threads);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "Start raised " << e.what();
        }
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }, 30));
        auto ev = log.Copy();
        ASSERT_EQ(ev.size(), 4u);
        EXPECT_EQ(ev.back().TaskIndex, -1);
        for (size_t i = 0; i + 1 < ev.size(); i++)
            EXPECT_TRUE(ev[i].Finished) << ev[i].TaskIndex << " " << ev[i].ExceptionMsg;
        EXPECT_TRUE(logs.Has(llError, "OnTerminate: handler failed"));
        c.ClearTasks();
        EXPECT_FALSE(c.Working());
    }
}

// A preview handler on the GUI thread that raises: its error reaches the GUI
// loop, and the frames after it are still delivered.
TEST_F(ConverterHandlers, RaisingPreviewHandler)
{
    TFFConverter c;
    c.SetPreviewBitmap(true);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> calls{0};
    c.OnPreviewBitmap = [&](TObject*, const TPreviewInfo&) {
        if (calls++ == 0)
            throw Exception("preview failed");
    };
    // a slow hook: the run lasts several preview periods
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    AddQuickTask(c, Fixture("clip.avi"), dir / "rp.avi", o);
    c.Start(1);
    // the GUI loop: serves the calls and takes the errors they raise
    int raised = 0;
    auto serve = [&] {
        try {
            CheckSynchronize(5);
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "preview failed");
            raised++;
        }
    };
    auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!log.Final() && std::chrono::steady_clock::now() < guard)
        serve();
    ASSERT_TRUE(log.Final());
    for (int i = 0; i < 10; i++)
        serve();
    EXPECT_EQ(raised, 1);
    EXPECT_GE(calls.load(), 2);
}

// An output given as text: its times cut the conversion, its codec lines
// choose the encoders.
TEST_F(ConverterHandlers, OutputTextTimesAndCodecs)
{
    TFFConverter c;
    int t = c.AddTask(Fixture("clip.avi"));
    ASSERT_GE(t, 0) << c.LastErrMsg();
    const std::string out = dir / "cut.mkv";
    ASSERT_TRUE(c.SetOutputFile(t, out, "TimeStart=500000<CRLF>TimeLength=1000000<CRLF>vcodec=mpeg4<CRLF>acodec=mp2"))
        << c.LastErrMsg();
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_TRUE(ev[0].Finished) << ev[0].ExceptionMsg;
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name"), "mpeg4");
    EXPECT_EQ(Probe(out, "a:0", "stream=codec_name"), "mp2");
    // one second of a 25 frames per second clip
    const int frames = std::atoi(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames").c_str());
    EXPECT_GE(frames, 24);
    EXPECT_LE(frames, 26);
}

// Blank lines inside an option text are empty keys: ignored, not an error.
TEST_F(ConverterHandlers, BlankLinesInOptionTexts)
{
    TFFConverter c;
    int t = c.AddTask(Fixture("clip.avi"), "\r\n\r\nf=avi\r\n\r\n");
    ASSERT_GE(t, 0) << c.LastErrMsg();
    EXPECT_TRUE(c.SetOutputFile(t, dir / "blank.avi", "vcodec=mpeg4\n\n<CRLF>acodec=mp2\r\n\r\nab=64000"))
        << c.LastErrMsg();
}

// The record's time stamp (local date-time) becomes the output's UTC creation
// time; its texts become metadata of the same names.
TEST_F(ConverterHandlers, StreamInfoReachesTheOutput)
{
    TFFConverter c;
    int t = c.AddTask(Fixture("clip.avi"));
    ASSERT_GE(t, 0) << c.LastErrMsg();
    TOutputOptions o = QuickOutput();
    o.Info.TimeStamp = 25569.0 + 1.5 + LocalTimeBiasDays();  // 1970-01-02 12:00 UTC
    o.Info.Track = 7;
    o.Info.Title = "T";
    o.Info.Genre = "G";
    ASSERT_TRUE(c.SetOutputFile(t, dir / "info.mkv", &o)) << c.LastErrMsg();
    AVDictionary* md = c.Task(t)->OutputFile(0)->metadata;
    auto value = [&](const char* k) {
        const AVDictionaryEntry* e = ff::av_dict_get(md, k, nullptr, 0);
        return e ? std::string(e->value) : std::string("(none)");
    };
    EXPECT_EQ(value("creation_time"), "1970-01-02T12:00:00.000000Z");
    EXPECT_EQ(value("track"), "7");
    EXPECT_EQ(value("title"), "T");
    EXPECT_EQ(value("genre"), "G");
    EXPECT_EQ(value("year"), "(none)");
    EXPECT_EQ(value("album"), "(none)");
}

// A batch run inside Start has no conversion threads: Pause leaves its task
// running (a pause from its own handler would stop the only thread that could
// resume it).
TEST_F(ConverterHandlers, PauseDoesNotHoldTasksWithoutThreads)
{
    TFFConverter c;
    c.SetProgressInterval(100);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> paused{0};
    c.OnProgress = [&](TObject*, PProgressInfo) {
        if (paused++ == 0)
            c.Pause();
    };
    // a slow hook, so that the run reports progress before it ends
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    AddQuickTask(c, Fixture("clip.avi"), dir / "np0.avi", o);
    AddQuickTask(c, Fixture("clip.mp4"), dir / "np1.avi", o);
    c.Start(0);
    EXPECT_GE(paused.load(), 1);
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_TRUE(ev[0].Finished);
    EXPECT_TRUE(ev[1].Finished);
    EXPECT_EQ(ev[2].TaskIndex, -1);
}

// A task takes at most CustomMaxFiles outputs; the one too many is refused
// with its message and nothing is opened for it.
TEST_F(ConverterHandlers, MaxOutputFiles)
{
    TFFConverter c;
    c.SetCustomMaxFiles(2);
    int t = c.AddTask(Fixture("clip.avi"));
    ASSERT_GE(t, 0) << c.LastErrMsg();
    for (int i = 0; i < 2; i++)
        ASSERT_TRUE(c.SetOutputFile(t, dir / ("m" + std::to_string(i) + ".avi"), "vcodec=mpeg4")) << c.LastErrMsg();
    EXPECT_FALSE(c.SetOutputFile(t, dir / "m2.avi", "vcodec=mpeg4"));
    EXPECT_EQ(c.LastErrMsg(), "max output files 2 reached");
    EXPECT_EQ(c.Task(t)->nb_output_files(), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "m2.avi"));
}
