// Frame hooks: hook libraries through FrameHookAdd and the "vhook" option of
// a task, and the component's custom hook on the frames of a conversion.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "Src/FrameHook.h"
#include "platform/gui/Graphics.h"
#include "platform/sys/DynLib.h"
#include "tests/media/converter_test_util.h"

using namespace convtest;

namespace {

// Calls the test library's counters: 0 Configure, 1 last argument count, 2 Process, 3 Release.
int HookCount(const char* lib, int which)
{
    sys::LibHandle h = sys::LoadLibrary(lib);
    if (!h)
        return -100;
    auto fn = reinterpret_cast<int (*)(int)>(sys::GetProcAddress(h, "HookCount"));
    int r = fn ? fn(which) : -100;
    sys::FreeLibrary(h);
    return r;
}

// The luma plane of every frame of a file, values as stored.
std::vector<unsigned char> RawLuma(const std::string& file)
{
    std::string cmd = "ffmpeg -nostdin -v error -i " + Quote(file) +
                      " -fps_mode passthrough -vf extractplanes=y -f rawvideo -pix_fmt gray -";
    std::vector<unsigned char> out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.insert(out.end(), buf, buf + n);
    ::pclose(p);
    return out;
}

double MeanAbsDiff(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return 1e9;
    double s = 0;
    for (size_t i = 0; i < a.size(); i++)
        s += std::abs(int(a[i]) - int(b[i]));
    return s / double(a.size());
}

class FrameHooks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
    }
    TempDir dir{"hooks"};
};

}  // namespace

TEST_F(FrameHooks, AddFailures)
{
    LogCapture log;
    PFrameHookEntry head = nullptr;
    const std::string noproc = QUORVEL_HOOK_NOPROC, noconf = QUORVEL_HOOK_NOCONF, blank = QUORVEL_HOOK_BLANK;
    struct Case
    {
        std::vector<std::string> args;
        int result;
        std::string logged;  // empty: not checked
    } cases[] = {
        {{}, -2, ""},
        {{dir / "no_such_hook.so"}, -1, "no_such_hook.so"},
        {{noproc}, -2, "Failed to find Process entrypoint in " + noproc + "\n"},
        {{noconf, "1"}, -2, "Failed to find Configure entrypoint in " + noconf + "\n"},
        {{blank, "fail"}, -22, "Failed to Configure " + blank + "\n"},
        // a bare name goes through the system's search (here: a library without "Process")
        {{"libm.so.6"}, -2, "Failed to find Process entrypoint in libm.so.6\n"},
    };
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    for (auto& k : cases) {
        SCOPED_TRACE(k.args.empty() ? "(none)" : k.args[0]);
        EXPECT_EQ(FrameHookAdd(head, (int)k.args.size(), k.args), k.result);
        EXPECT_EQ(head, nullptr);
        if (!k.logged.empty()) {
            EXPECT_TRUE(log.Contains(k.logged)) << k.logged;
        }
    }
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(cwd, after);
}

TEST_F(FrameHooks, ChainOrderAndRelease)
{
    const std::string blank = QUORVEL_HOOK_BLANK, noconf = QUORVEL_HOOK_NOCONF;
    int configured = HookCount(QUORVEL_HOOK_BLANK, 0);
    int released = HookCount(QUORVEL_HOOK_BLANK, 3);
    PFrameHookEntry head = nullptr;
    ASSERT_EQ(FrameHookAdd(head, 3, {blank, "10", "20"}), 0);
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 1), 3);
    ASSERT_EQ(FrameHookAdd(head, 1, {noconf}), 0);  // no arguments, no Configure needed
    ASSERT_EQ(FrameHookAdd(head, 1, {blank}), 0);
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 0), configured + 2);
    ASSERT_NE(head, nullptr);
    ASSERT_NE(head->next, nullptr);
    ASSERT_NE(head->next->next, nullptr);
    EXPECT_EQ(head->next->next->next, nullptr);
    EXPECT_EQ(head->next->Configure, nullptr);
    EXPECT_NE(head->ctx, nullptr);

    // the chain runs on a picture: the blank hooks make it black
    std::vector<uint8_t> y(16 * 8, 200), u(8 * 4, 50), v(8 * 4, 60);
    TAVPicture pic;
    pic.data[0] = y.data();
    pic.data[1] = u.data();
    pic.data[2] = v.data();
    pic.linesize[0] = 16;
    pic.linesize[1] = pic.linesize[2] = 8;
    FrameHookProcess(head, &pic, AV_PIX_FMT_YUV420P, 16, 8, 0);
    EXPECT_EQ(y[0], 16);
    EXPECT_EQ(y.back(), 16);
    EXPECT_EQ(u[0], 128);

    FrameHookRelease(head);
    EXPECT_EQ(head, nullptr);
    // each of the three entries released once (the library without Configure too)
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 3), released + 2);
    EXPECT_GE(HookCount(QUORVEL_HOOK_NOCONF, 3), 1);
}

// "vhook" on two tasks: both configured with their arguments, every frame
// blanked, each chain released when its run ends.
TEST_F(FrameHooks, VhookOptionBlanksTheConversion)
{
    const std::string blank = QUORVEL_HOOK_BLANK;
    int configured = HookCount(QUORVEL_HOOK_BLANK, 0);
    int processed = HookCount(QUORVEL_HOOK_BLANK, 2);
    int released = HookCount(QUORVEL_HOOK_BLANK, 3);
    TFFConverter c;
    TerminateLog log;
    c.OnTerminate = log.Handler();
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    o.ExtOptions = "vhook=" + blank + "|10|20";
    std::string outs[2] = {dir / "blank1.mkv", dir / "blank2.mkv"};
    for (auto& out : outs) {
        AddQuickTask(c, Fixture("clip.avi"), out, o);
        EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 1), 3);
    }
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 0), configured + 2);
    // a hook that refuses its configuration fails the output with the option's value
    int t = c.AddTask(Fixture("clip.avi"));
    TOutputOptions bad = o;
    bad.ExtOptions = "vhook=" + blank + "|fail";
    EXPECT_FALSE(c.SetOutputFile(t, dir / "bad.mkv", &bad));
    EXPECT_EQ(c.LastErrMsg(), "Failed to add video hook function: " + blank + "|fail");
    c.RemoveTask(t);

    c.Start(2);
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    for (auto& e : log.Copy())
        EXPECT_TRUE(e.Finished) << e.ExceptionMsg;
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 2), processed + 100);
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 3), released + 2);
    for (auto& out : outs) {
        auto gray = RawLuma(out);
        ASSERT_EQ(gray.size(), size_t(320 * 240 * 50)) << out;
        EXPECT_EQ(std::count(gray.begin(), gray.end(), 16), (long)gray.size());
    }
    // vhook and video stream copy exclude each other
    c.ClearTasks();
    TOutputOptions copy = o;
    copy.VideoCodec = "copy";
    copy.ExtOptions = "vhook=" + blank;
    AddQuickTask(c, Fixture("clip.avi"), dir / "copy.avi", copy);
    TerminateLog log2;
    c.OnTerminate = log2.Handler();
    c.Start(0);
    auto ev = log2.Copy();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_TRUE(ev[0].Exception);
    EXPECT_EQ(ev[0].ExceptionMsg, "-vcodec copy and -vhook are incompatible (frames are not decoded)");
}

// A custom hook that inverts every pixel gives the picture of ffmpeg -vf negate.
TEST_F(FrameHooks, CustomHookInvertsLikeNegate)
{
    TFFConverter c;
    std::atomic<int> calls{0};
    std::atomic<bool> canvasLocked{true};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        calls++;
        canvasLocked = canvasLocked && h->Bitmap->Canvas()->LockCount() > 0;
        EXPECT_EQ(h->TaskIndex, 0);
        EXPECT_EQ(h->FrameNumber, calls.load());
        TBitmap* b = h->Bitmap;
        for (int y = 0; y < b->GetHeight(); y++) {
            auto* row = static_cast<unsigned char*>(b->ScanLine(y));
            for (int x = 0; x < b->GetWidth() * 3; x++)
                row[x] = (unsigned char)(255 - row[x]);
        }
    };
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    o.CustomHook = true;
    std::string ours = dir / "ours.mkv", peer = dir / "peer.mkv";
    AddQuickTask(c, Fixture("clip.avi"), ours, o);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    ASSERT_TRUE(log.Final());
    EXPECT_EQ(calls.load(), 50);
    EXPECT_TRUE(canvasLocked.load());
    ASSERT_TRUE(MakeMedia("-i " + Quote(Fixture("clip.avi")) + " -an -vf negate -c:v ffv1", peer));
    // the picture went through RGB and back: small differences at colour edges
    auto a = RawLuma(ours), b = RawLuma(peer), src = RawLuma(Fixture("clip.avi"));
    ASSERT_EQ(a.size(), size_t(320 * 240 * 50));
    EXPECT_LT(MeanAbsDiff(a, b), 6.0);
    EXPECT_GT(MeanAbsDiff(a, src), 50.0);
}

// StopHook ends the hook calls for the run; an exception in the handler
// leaves that frame unchanged and the conversion going.
TEST_F(FrameHooks, CustomHookStopAndException)
{
    LogCapture logs;
    TFFConverter c;
    std::atomic<int> calls{0};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        calls++;
        if (h->FrameNumber == 2)
            throw Exception("boom");
        if (h->FrameNumber == 4)
            h->StopHook = true;
        h->Update = false;
    };
    TOutputOptions o = QuickOutput();
    o.CustomHook = true;
    AddQuickTask(c, Fixture("clip.avi"), dir / "stop.avi", o);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_TRUE(ev[0].Finished) << ev[0].ExceptionMsg;
    EXPECT_EQ(calls.load(), 4);
    EXPECT_TRUE(logs.Has(llError, "Error occurs OnCustomHook: boom"));
}

// The custom hook goes before the frame hooks; once it sets StopHook neither
// runs again in that run, so the frames after it stay as decoded.
TEST_F(FrameHooks, StopHookEndsFrameHooksToo)
{
    const std::string blank = QUORVEL_HOOK_BLANK;
    int processed = HookCount(QUORVEL_HOOK_BLANK, 2);
    TFFConverter c;
    std::atomic<int> calls{0};
    c.OnCustomHook = [&](TObject*, PHookInfo h) {
        calls++;
        h->Update = false;
        h->StopHook = h->FrameNumber == 3;
    };
    TOutputOptions o;
    o.VideoCodec = "ffv1";
    o.DisableAudio = true;
    o.CustomHook = true;
    o.ExtOptions = "vhook=" + blank;
    const std::string out = dir / "stophook.mkv";
    AddQuickTask(c, Fixture("clip.avi"), out, o);
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    auto ev = log.Copy();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_TRUE(ev[0].Finished) << ev[0].ExceptionMsg;
    EXPECT_EQ(calls.load(), 3);
    EXPECT_EQ(HookCount(QUORVEL_HOOK_BLANK, 2), processed);
    // nothing blanked: the picture is the source's
    EXPECT_LT(MeanAbsDiff(RawLuma(out), RawLuma(Fixture("clip.avi"))), 0.5);
}
