// How a run ends when it is stopped before its first packet or its writes
// fail: what stays on disk, what the task reports, and that the rest of a
// batch goes on.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/media/converter_test_util.h"

using namespace convtest;
namespace fs = std::filesystem;

class EngineFailures : public ::testing::Test
{
protected:
    void SetUp() override { LoadLibraries(); }
    TempDir dir{"engine-failures"};
};

// An output that no media packet reached (a stop during the set-up, a frame
// limit of 0) is removed; nothing is reported as a failure.
TEST_F(EngineFailures, OutputsWithoutAPacketAreRemoved)
{
    struct Case { const char* name; std::vector<std::pair<std::string, std::string>> opts; bool stopInSetUp; };
    const Case cases[] = {
        {"limit.avi", {{"vcodec", "mpeg4"}, {"vframes", "0"}, {"an", "1"}}, false},
        // libx264 logs while its encoder opens: the stop comes before any header
        {"stopped.mp4", {{"vcodec", "libx264"}, {"vpre", "libx264-ultrafast"}, {"an", "1"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = std::make_unique<TCustomFFmpeg>(2);
        ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi"))) << e->LastErrMsg();
        for (auto& o : c.opts)
            e->ParseOption(o.first, o.second);
        const std::string out = dir / c.name;
        ASSERT_GT(e->OpenOutputFile(out), 0) << e->LastErrMsg();
        GetFFLogger()->SetTriggerEventInMainThread(false);
        GetFFLogger()->SetLogLevel(llDebug);
        GetFFLogger()->SetOnLog([&](TObject*, std::uint32_t, TLogLevel, const std::string& msg) {
            if (c.stopInSetUp && msg.find("libx264") != std::string::npos)
                e->Stop(false);
        });
        e->StartConvert(false);
        GetFFLogger()->SetOnLog(nullptr);
        EXPECT_FALSE(e->FatalException()) << e->FatalMessage();
        EXPECT_EQ(e->Finished(), !c.stopInSetUp);
        EXPECT_FALSE(fs::exists(out));
    }
}

// A stop ends an input's blocking open at once (here a server that accepts
// the connection and never sends a byte).
TEST_F(EngineFailures, StopEndsABlockedOpen)
{
    int srv = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(srv, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(srv, (sockaddr*)&a, sizeof a), 0);
    ASSERT_EQ(::listen(srv, 1), 0);
    ASSERT_EQ(::getsockname(srv, (sockaddr*)&a, &len), 0);
    auto e = std::make_unique<TCustomFFmpeg>(2);
    int peer = -1;
    std::thread server([&] {
        peer = ::accept(srv, nullptr, nullptr);  // the engine is inside its open now
        e->Stop(false);
    });
    const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    EXPECT_FALSE(e->OpenInputFile(url));
    EXPECT_EQ(e->LastErrMsg(), url + ": Immediate exit requested");
    server.join();
    ::close(peer);
    ::close(srv);
}

// A write that fails names the output file, as a refused open does.
TEST_F(EngineFailures, WriteErrorsNameTheOutput)
{
    auto e = std::make_unique<TCustomFFmpeg>(2);
    ASSERT_TRUE(e->OpenInputFile(Fixture("clip.avi")));
    e->ParseOption("f", "avi");
    e->ParseOption("vcodec", "mpeg4");
    ASSERT_GT(e->OpenOutputFile("/dev/full"), 0) << e->LastErrMsg();
    e->StartConvert(false);
    EXPECT_TRUE(e->FatalException());
    EXPECT_EQ(e->FatalMessage(), "/dev/full: No space left on device");
}

// Past the process's file-size limit a write fails with "File too large"
// instead of killing the program; every task reports, and the batch ends.
TEST_F(EngineFailures, FileSizeLimitFailsTheWriteAndTheBatchGoesOn)
{
    const std::string out1 = dir / "big1.avi", out2 = dir / "big2.avi";
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        // the child runs as the program does: prepared at start-up, then converting
        struct rlimit rl = {20000, 20000};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        sys::PrepareProcess();
        int bad = 0;
        {
            TFFConverter c;
            TerminateLog log;
            c.OnTerminate = log.Handler();
            for (const std::string& out : {out1, out2})
                if (AddQuickTask(c, Fixture("clip.avi"), out) < 0)
                    bad++;
            c.Start(0);
            auto ev = log.Copy();
            if (ev.size() != 3 || ev.back().TaskIndex != -1)
                bad++;
            for (size_t i = 0; i + 1 < ev.size(); i++) {
                const std::string want = (i == 0 ? out1 : out2) + ": File too large";
                if (!ev[i].Exception || ev[i].ExceptionMsg != want) {
                    std::fprintf(stderr, "task %d: %s\n", ev[i].TaskIndex, ev[i].ExceptionMsg.c_str());
                    bad++;
                }
            }
        }
        std::fflush(nullptr);
        ::_exit(bad);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // what was written before the limit stays
    EXPECT_TRUE(fs::exists(out1));
}
