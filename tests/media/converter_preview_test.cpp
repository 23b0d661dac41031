// The preview window and the preview events of the conversion component, on
// the headless desktop; and a stress run that toggles preview and pause.
#include <memory>
#include <thread>

#include "Src/Previewer.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Window.h"
#include "platform/testing/Driver.h"
#include "tests/media/converter_test_util.h"

using namespace convtest;

namespace {

TBGRBitmap Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r)
{
    TBGRBitmap bmp;
    bmp.SetSize(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            bmp.ScanLine(y)[x * 3] = b;
            bmp.ScanLine(y)[x * 3 + 1] = g;
            bmp.ScanLine(y)[x * 3 + 2] = r;
        }
    return bmp;
}

// PaintFrame from another thread, as a conversion thread calls it.
bool PaintFromWorker(TPreviewer& p, const TBGRBitmap& bmp, int frame, int64_t pts)
{
    bool r = false;
    std::thread t([&] { r = p.PaintFrame(bmp, frame, pts); });
    t.join();
    return r;
}

class ConverterPreview : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
    }
    void TearDown() override
    {
        ResetApplication();
        driver.reset();
    }
    void Pump()
    {
        CheckSynchronize(0);
        driver->PumpUntilIdle();
    }
    // A press, moves and a release sent through the driver, served by the application's own loop
    // (and so through its message hooks) and by the loops they start.
    void DragThroughApplication(TPoint from, TPoint to)
    {
        driver->Drag(from, to, 2);
        Application->ProcessMessages();
    }
    std::unique_ptr<TTestDriver> driver;
    TempDir dir{"convpreview"};
};

}  // namespace

TEST_F(ConverterPreview, WindowShowsFramesDragsAndCloses)
{
    auto p = std::make_unique<TPreviewer>();
    EXPECT_EQ(p->Form(), nullptr);
    ASSERT_TRUE(PaintFromWorker(*p, Solid(320, 240, 0, 0, 255), 26, 1040000));
    Pump();
    TForm* f = p->Form();
    ASSERT_NE(f, nullptr);
    HWND h = f->Handle();
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(f->ClientWidth(), 320);
    EXPECT_EQ(f->ClientHeight(), 240);
    EXPECT_EQ(f->Caption(), "00:00:01.040");
    EXPECT_TRUE(GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    TRect r;
    GetWindowRect(h, &r);
    const TRect work = Screen->WorkAreaRect();
    EXPECT_NEAR((r.Left + r.Right) / 2, (work.Left + work.Right) / 2, 2);
    EXPECT_NEAR((r.Top + r.Bottom) / 2, (work.Top + work.Bottom) / 2, 2);
    TPoint centre = TTestDriver::CenterOf(h);
    EXPECT_EQ(driver->PixelAt(centre) & 0xFFFFFF, 0xFF0000u) << std::hex << driver->PixelAt(centre);

    // a later frame of another size: drawn at (0, 0), the window keeps its size
    ASSERT_TRUE(PaintFromWorker(*p, Solid(160, 120, 255, 0, 0), 27, AV_NOPTS_VALUE));
    Pump();
    EXPECT_EQ(f->ClientWidth(), 320);
    EXPECT_EQ(f->Caption(), "N/A");
    EXPECT_EQ(driver->PixelAt(TTestDriver::ClientPoint(h, TPoint(10, 10))) & 0xFFFFFF, 0x0000FFu);

    // a press anywhere in the picture drags the window
    DragThroughApplication(centre, TPoint(centre.X + 50, centre.Y + 30));
    TRect moved;
    GetWindowRect(h, &moved);
    EXPECT_EQ(moved.Left, r.Left + 50);
    EXPECT_EQ(moved.Top, r.Top + 30);

    // closed by the user: the next frame is refused and nothing reopens
    f->Close();
    Pump();
    EXPECT_TRUE(p->Closed());
    EXPECT_FALSE(PaintFromWorker(*p, Solid(320, 240, 0, 255, 0), 28, 0));
    Pump();

    // freed on another thread: the window goes on the GUI thread
    int hooks = Application->MessageHookCount();
    std::thread t([&] { p.reset(); });
    t.join();
    Pump();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Screen->FormCount(), 0);
    EXPECT_EQ(Application->MessageHookCount(), hooks - 1);
}

// The window keeps one picture buffer: a conversion borrows it, writes a frame
// into it and gives it back; nothing is painted from it while it is lent.
TEST_F(ConverterPreview, OnePictureBufferLentToTheConversion)
{
    auto p = std::make_unique<TPreviewer>();
    TBGRBitmap work;
    ASSERT_TRUE(p->Lend(work));
    work = Solid(320, 240, 0, 0, 255);
    ASSERT_TRUE(p->PaintFrameTaking(work, 1, 0));
    EXPECT_EQ(work.Bits.capacity(), 0u) << "the conversion side keeps no buffer of its own";
    Pump();
    ASSERT_NE(p->Form(), nullptr);
    HWND h = p->Form()->Handle();
    const TPoint at = TTestDriver::ClientPoint(h, TPoint(5, 5));
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0xFF0000u);

    // lent again: the buffer that held the picture is the one written into
    ASSERT_TRUE(p->Lend(work));
    const uint8_t* buffer = work.Bits.data();
    EXPECT_EQ(work.Width, 320);
    // while it is lent the window repaints nothing from it and keeps the last picture
    InvalidateRect(h, nullptr, TRUE);
    Pump();
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0xFF0000u);
    // a lend never given back (the run turned to another hook) stays with the one conversion
    EXPECT_TRUE(p->Lend(work));
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            work.ScanLine(y)[x * 3 + 1] = 255;  // red and green: yellow
    ASSERT_TRUE(p->PaintFrameTaking(work, 2, 0));
    EXPECT_EQ(work.Bits.capacity(), 0u);
    Pump();
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0xFFFF00u);
    ASSERT_TRUE(p->Lend(work));
    EXPECT_EQ(work.Bits.data(), buffer);
}

// A window the screen reports entirely covered (the batch's windows open one
// on another) is not painted; out from under the others it shows the latest picture.
TEST_F(ConverterPreview, CoveredWindowShowsTheLatestPictureWhenUncovered)
{
    auto p = std::make_unique<TPreviewer>();
    ASSERT_TRUE(PaintFromWorker(*p, Solid(320, 240, 0, 0, 255), 1, 0));
    Pump();
    ASSERT_NE(p->Form(), nullptr);
    HWND h = p->Form()->Handle();
    const TPoint at = TTestDriver::ClientPoint(h, TPoint(5, 5));
    ASSERT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0xFF0000u);
    TRect r;
    GetWindowRect(h, &r);
    backend::TopLevelId id = 0;
    for (backend::TopLevelId t : driver->Desktop().ZOrder())
        if (driver->Desktop().Info(t)->Bounds == r) id = t;
    ASSERT_NE(id, 0u);

    driver->Desktop().SendCovered(id, true);
    Pump();
    EXPECT_TRUE(IsWindowCovered(h));
    ASSERT_TRUE(PaintFromWorker(*p, Solid(320, 240, 255, 0, 0), 2, 80000));
    ASSERT_TRUE(PaintFromWorker(*p, Solid(320, 240, 0, 255, 0), 3, 120000));
    Pump();
    EXPECT_EQ(p->Form()->Caption(), "00:00:00.120");
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0xFF0000u) << "painted while covered";

    driver->Desktop().SendCovered(id, false);
    Pump();
    EXPECT_FALSE(IsWindowCovered(h));
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0x00FF00u) << std::hex << driver->PixelAt(at);
    // and every picture after it, as before
    ASSERT_TRUE(PaintFromWorker(*p, Solid(320, 240, 255, 0, 0), 4, 160000));
    Pump();
    EXPECT_EQ(driver->PixelAt(at) & 0xFFFFFF, 0x0000FFu);
}

// Several windows close in any order and leave the application's hooks as they were.
TEST_F(ConverterPreview, WindowsShareTheMessageHook)
{
    int hooks = Application->MessageHookCount();
    auto a = std::make_unique<TPreviewer>();
    auto b = std::make_unique<TPreviewer>();
    PaintFromWorker(*a, Solid(64, 48, 0, 0, 255), 1, 0);
    PaintFromWorker(*b, Solid(64, 48, 0, 255, 0), 1, 0);
    Pump();
    ASSERT_TRUE(a->Form() && b->Form());
    EXPECT_EQ(Application->MessageHookCount(), hooks + 2);
    a.reset();
    Pump();
    // the window left drags as before
    HWND hb = b->Form()->Handle();
    TRect r;
    GetWindowRect(hb, &r);
    TPoint c = TTestDriver::CenterOf(hb);
    DragThroughApplication(c, TPoint(c.X - 20, c.Y - 10));
    TRect moved;
    GetWindowRect(hb, &moved);
    EXPECT_EQ(moved.Left, r.Left - 20);
    b.reset();
    EXPECT_EQ(Application->MessageHookCount(), hooks);
}

// Preview on: each running task shows its window, which goes when the task ends.
TEST_F(ConverterPreview, PreviewWindowsDuringTheBatch)
{
    TFFConverter c;
    c.SetPreview(true);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> maxForms{0};
    c.OnProgress = [&](TObject*, PProgressInfo) { maxForms = std::max(maxForms.load(), Screen->FormCount()); };
    c.SetProgressInterval(100);
    for (int i = 0; i < 2; i++)
        AddQuickTask(c, Fixture("clip.avi"), dir / ("pv" + std::to_string(i) + ".avi"));
    c.Start(2);
    ASSERT_TRUE(WaitUntil([&] {
        driver->PumpUntilIdle();
        maxForms = std::max(maxForms.load(), Screen->FormCount());
        return log.Final();
    }));
    Pump();
    EXPECT_GE(maxForms.load(), 1);
    EXPECT_EQ(Screen->FormCount(), 0);
    for (auto& e : log.Copy())
        EXPECT_TRUE(e.Finished) << e.ExceptionMsg;
}

// PreviewBitmap: frames reach OnPreviewBitmap on the GUI thread (by default)
// or on the conversion thread.
TEST_F(ConverterPreview, PreviewBitmapEvents)
{
    for (bool mainThread : {true, false}) {
        SCOPED_TRACE(mainThread ? "GUI thread" : "conversion thread");
        TFFConverter c;
        c.SetTriggerEventInMainThread(mainThread);
        c.SetPreviewBitmap(true);
        TerminateLog log;
        c.OnTerminate = log.Handler();
        std::atomic<int> frames{0}, offMain{0}, lastFrame{0};
        std::atomic<bool> sizeOk{true};
        c.OnPreviewBitmap = [&](TObject* Sender, const TPreviewInfo& info) {
            EXPECT_EQ(Sender, &c);
            EXPECT_EQ(info.TaskIndex, 0);
            sizeOk = sizeOk && info.Bitmap && info.Bitmap->GetWidth() == 320 && info.Bitmap->GetHeight() == 240;
            EXPECT_GT(info.FrameNumber, lastFrame.load());
            lastFrame = info.FrameNumber;
            frames++;
            offMain += !IsMainThread();
        };
        AddQuickTask(c, Fixture("clip.avi"), dir / (mainThread ? "pb1.avi" : "pb2.avi"));
        c.Start(1);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        Pump();
        EXPECT_GE(frames.load(), 1);
        EXPECT_TRUE(sizeOk.load());
        EXPECT_EQ(offMain.load(), mainThread ? 0 : frames.load());
    }
}

// Toggling preview, preview bitmaps, pause and resume from the GUI thread
// while four tasks convert: no deadlock, every task ends, one end of batch.
TEST_F(ConverterPreview, StressTogglesDuringBatch)
{
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<int> previews{0};
    c.OnPreviewBitmap = [&](TObject*, const TPreviewInfo& info) {
        previews++;
        EXPECT_NE(info.Bitmap, nullptr);
    };
    c.OnProgress = [&](TObject*, PProgressInfo) {};
    c.SetProgressInterval(100);
    // a slow hook keeps the batch running while the toggles go on
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    const char* inputs[] = {"clip.avi", "clip.mp4", "clip.ts", "multi.mkv"};
    for (int i = 0; i < 8; i++)
        AddQuickTask(c, Fixture(inputs[i % 4]), dir / ("st" + std::to_string(i) + ".avi"), o);
    c.Start(4);
    int step = 0;
    ASSERT_TRUE(WaitUntil([&] {
        switch (step++ % 6) {
        case 0: c.SetPreview(!c.Preview()); break;
        case 1: c.SetPreviewBitmap(!c.PreviewBitmap()); break;
        case 2: c.Pause(); break;
        case 3: driver->PumpUntilIdle(); break;
        case 4: c.Resume(); break;
        default: driver->PumpUntilIdle(); break;
        }
        return log.Final();
    }));
    EXPECT_GT(step, 20);
    c.Resume();
    Pump();
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 9u);
    EXPECT_EQ(ev.back().TaskIndex, -1);
    for (size_t i = 0; i + 1 < ev.size(); i++)
        EXPECT_TRUE(ev[i].Finished) << ev[i].TaskIndex << " " << ev[i].ExceptionMsg;
    EXPECT_EQ(Screen->FormCount(), 0);
}

// A batch run inside Start on the GUI thread shows its frames at once.
TEST_F(ConverterPreview, PreviewOnTheGuiThread)
{
    TFFConverter c;
    c.SetPreview(true);
    std::atomic<int> shown{0};
    c.OnProgress = [&](TObject*, PProgressInfo) { shown = std::max(shown.load(), Screen->FormCount()); };
    c.SetProgressInterval(100);
    AddQuickTask(c, Fixture("clip.avi"), dir / "gui.avi");
    c.Start(0);
    EXPECT_EQ(shown.load(), 1);
    Pump();
    EXPECT_EQ(Screen->FormCount(), 0);
}

// Preview set to False during a run closes every task's window; the
// conversions go on.
TEST_F(ConverterPreview, PreviewOffClosesTheWindows)
{
    TFFConverter c;
    c.SetPreview(true);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    std::atomic<bool> hold{true};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        h->Update = false;
        while (hold && h->FrameNumber > 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    AddQuickTask(c, Fixture("clip.avi"), dir / "off.avi", o);
    c.Start(1);
    ASSERT_TRUE(WaitUntil([&] {
        driver->PumpUntilIdle();
        return Screen->FormCount() == 1;
    }));
    c.SetPreview(false);
    Pump();
    EXPECT_EQ(Screen->FormCount(), 0);
    EXPECT_EQ(c.Task(0)->PostHooks(), 0);
    hold = false;
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    Pump();
    EXPECT_EQ(Screen->FormCount(), 0);
    EXPECT_TRUE(log.Copy()[0].Finished);
}
