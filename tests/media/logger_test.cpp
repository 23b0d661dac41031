// Logger: level scales, level names, the filter of the system's own messages,
// line assembly of the libraries' output per thread, and delivery to the GUI
// thread without waiting.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/MainThread.h"

namespace
{
struct Line
{
    TObject* sender;
    std::uint32_t tid;
    TLogLevel level;
    std::string msg;
};

// Collects deliveries; the logger calls on the calling thread unless a test
// asks for the GUI thread.
class Logger : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GlobalLoader().Load(avUtil)) << GlobalLoader().LastErrMsg();
        logger = GetFFLogger();
        logger->SetTriggerEventInMainThread(false);
        logger->SetLogLevel(llInfo);
        logger->SetOnLog([this](TObject* s, std::uint32_t tid, TLogLevel l, const std::string& m) {
            std::lock_guard<std::mutex> g(lock);
            lines.push_back({s, tid, l, m});
        });
    }
    void TearDown() override
    {
        logger->SetOnLog(nullptr);
        logger->SetLogLevel(llInfo);
        logger->SetTriggerEventInMainThread(true);
    }
    std::vector<Line> Take()
    {
        std::lock_guard<std::mutex> g(lock);
        return std::exchange(lines, {});
    }
    TFFLogger* logger = nullptr;
    std::mutex lock;
    std::vector<Line> lines;
};

// A context object as the libraries pass it: an AVClass pointer first.
const char* TestItemName(void*) { return "testctx"; }
AVClass MakeTestClass()
{
    AVClass c{};
    c.class_name = "TestClass";
    c.item_name = TestItemName;
    c.version = LIBAVUTIL_VERSION_INT;
    return c;
}
const AVClass kTestClass = MakeTestClass();
struct TestContext
{
    const AVClass* cls = &kTestClass;
};
}

TEST(LoggerLevels, ScalesMapBothWays)
{
    const struct { int av; TLogLevel l; } toLog[] = {
        {-100, llQuiet}, {-8, llQuiet},  {-7, llPanic},    {0, llPanic},   {7, llPanic},
        {8, llFatal},    {15, llFatal},  {16, llError},    {24, llWarning}, {32, llInfo},
        {40, llVerbose}, {47, llVerbose}, {48, llDebug},   {100, llDebug},
    };
    for (const auto& c : toLog) EXPECT_EQ(AVLevelToLogLevel(c.av), c.l) << c.av;
    for (int o = 0; o <= 7; ++o) EXPECT_EQ(LogLevelToAVLevel(TLogLevel(o)), o * 8 - 8);
}

TEST_F(Logger, OptLogLevelTakesNamesAndNumbers)
{
    const struct { const char* text; TLogLevel l; } cases[] = {
        {"WARNING", llWarning}, {"quiet", llQuiet}, {"Debug", llDebug}, {"20", llError},
        {"-100", llQuiet},      {"100", llDebug},   {"40", llVerbose},
    };
    for (const auto& c : cases)
    {
        logger->OptLogLevel(c.text);
        EXPECT_EQ(logger->LogLevel(), c.l) << c.text;
    }
    for (const char* bad : {"", "loud", "12x", " 5"})
        EXPECT_THROW(logger->OptLogLevel(bad), EConvertError) << bad;
}

TEST_F(Logger, OwnMessagesFilterByLevelWithVerboseAlwaysPassing)
{
    const struct { TLogLevel setting, msg; bool passes; } cases[] = {
        {llError, llVerbose, true}, {llQuiet, llVerbose, false}, {llVerbose, llDebug, false},
        {llDebug, llDebug, true},   {llError, llWarning, false}, {llError, llError, true},
        {llInfo, llPanic, true},
    };
    for (const auto& c : cases)
    {
        logger->SetLogLevel(c.setting);
        logger->Log(logger, c.msg, "m");
        EXPECT_EQ(Take().size(), c.passes ? 1u : 0u) << int(c.setting) << "/" << int(c.msg);
    }
    logger->SetLogLevel(llInfo);
    TObject obj;
    logger->Log(&obj, llWarning, "%s has %d streams", "a.avi", 3);
    const auto got = Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].sender, &obj);
    EXPECT_EQ(got[0].level, llWarning);
    EXPECT_EQ(got[0].msg, "a.avi has 3 streams");
    EXPECT_EQ(got[0].tid, CurrentThreadID());
}

TEST_F(Logger, LibraryLinesFollowTheLibraryLevel)
{
    ff::av_log(nullptr, AV_LOG_VERBOSE, "verbose line\n");
    EXPECT_TRUE(Take().empty());
    logger->SetLogLevel(llVerbose);
    EXPECT_EQ(ff::av_log_get_level(), AV_LOG_VERBOSE);
    ff::av_log(nullptr, AV_LOG_VERBOSE, "verbose line\n");
    const auto got = Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, "verbose line");
    EXPECT_EQ(got[0].level, llVerbose);
    EXPECT_EQ(got[0].sender, logger);

    // A colour hint above the level bits does not change the level.
    ff::av_log(nullptr, AV_LOG_WARNING | AV_LOG_C(134), "coloured\n");
    const auto coloured = Take();
    ASSERT_EQ(coloured.size(), 1u);
    EXPECT_EQ(coloured[0].level, llWarning);

    // Setting the current value again does not touch the libraries.
    ff::av_log_set_level(AV_LOG_DEBUG);
    logger->SetLogLevel(llVerbose);
    EXPECT_EQ(ff::av_log_get_level(), AV_LOG_DEBUG);
}

TEST_F(Logger, LinesAreAssembledWithThePrefixOnlyAtTheirStart)
{
    TestContext ctx;
    ff::av_log(&ctx, AV_LOG_INFO, "abc");
    EXPECT_TRUE(Take().empty());
    ff::av_log(&ctx, AV_LOG_WARNING, "def\n");
    auto got = Take();
    ASSERT_EQ(got.size(), 1u);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "[testctx @ %p]", static_cast<void*>(&ctx));
    EXPECT_EQ(got[0].msg, std::string(prefix) + "abcdef");
    EXPECT_EQ(got[0].level, llWarning);  // the level of the call that completed it

    ff::av_log(nullptr, AV_LOG_INFO, "a\nb\nc");
    got = Take();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].msg, "a");
    EXPECT_EQ(got[1].msg, "b");
    ff::av_log(&ctx, AV_LOG_INFO, "d\n");  // continues the pending c: no prefix
    got = Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, "cd");
}

TEST_F(Logger, TextBytesAndLongLines)
{
    ff::av_log(nullptr, AV_LOG_INFO, "%s\n", "caf\xE9 \xFF \xE4\xB8\xAD\xE6\x96\x87");
    auto got = Take();
    ASSERT_EQ(got.size(), 1u);
    // Stray bytes become U+00E9 and U+00FF; valid UTF-8 (中文) stays as it is.
    EXPECT_EQ(got[0].msg, "caf\xC3\xA9 \xC3\xBF \xE4\xB8\xAD\xE6\x96\x87");

    const std::string longText(5000, 'x');
    TestContext ctx;
    ff::av_log(&ctx, AV_LOG_INFO, "%s|\n", longText.c_str());
    got = Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg.substr(got[0].msg.size() - 5001), longText + "|");
}

TEST_F(Logger, InterleavedThreadsGetWholeLinesWithTheirOwnIds)
{
    constexpr int kLines = 200;
    auto worker = [](char tag, std::uint32_t* id) {
        *id = CurrentThreadID();
        for (int i = 0; i < kLines; ++i)
        {
            ff::av_log(nullptr, AV_LOG_INFO, "%c%d-", tag, i);
            ff::av_log(nullptr, AV_LOG_INFO, "%c%d\n", tag, i);
        }
    };
    std::uint32_t ida = 0, idb = 0;
    std::thread a(worker, 'A', &ida), b(worker, 'B', &idb);
    a.join();
    b.join();
    const auto got = Take();
    ASSERT_EQ(got.size(), 2u * kLines);
    int na = 0, nb = 0;
    for (const auto& l : got)
    {
        const char tag = l.msg[0];
        const std::uint32_t want = tag == 'A' ? ida : idb;
        EXPECT_EQ(l.tid, want) << l.msg;
        const int n = tag == 'A' ? na++ : nb++;
        EXPECT_EQ(l.msg, std::string(1, tag) + std::to_string(n) + "-" + std::string(1, tag) + std::to_string(n));
    }
}

TEST_F(Logger, DeliveryToTheGuiThreadIsQueuedAndNeverWaits)
{
    logger->SetTriggerEventInMainThread(true);
    std::uint32_t workerId = 0;
    std::thread t([&] {
        workerId = CurrentThreadID();
        TCodecLockGuard lock;  // a library thread holding the codec lock
        ff::av_log(nullptr, AV_LOG_ERROR, "from worker\n");
        logger->Log(nullptr, llError, "own message");
    });
    t.join();  // returns although the GUI thread has served nothing yet
    EXPECT_TRUE(Take().empty());
    while (CheckSynchronize(0)) {}
    const auto got = Take();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].msg, "from worker");
    EXPECT_EQ(got[0].tid, workerId);
    EXPECT_EQ(got[1].msg, "own message");
    EXPECT_EQ(got[1].tid, workerId);

    // On the GUI thread itself the handler runs at once.
    logger->Log(nullptr, llError, "direct");
    EXPECT_EQ(Take().size(), 1u);
}

TEST_F(Logger, OnlyOneLoggerMayExist)
{
    EXPECT_EQ(GetFFLogger(), logger);
    try
    {
        TFFLogger second;
        FAIL() << "a second logger was created";
    }
    catch (const EFFAssertion& e)
    {
        EXPECT_STREQ(e.what(), "Allow creating only one instance of TFFLogger.");
    }
    EXPECT_EQ(GetFFLogger(), logger);
}
