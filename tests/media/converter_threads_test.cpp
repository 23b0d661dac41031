// Codec threads: the share of the processors a task's codecs get when the
// task starts, what reaches the encoder (libx264 writes its thread count into
// the stream), an option that names the count, and the decoders and filter
// graphs of a run taking the engine's count.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sys/Processors.h"
#include "tests/media/converter_test_util.h"

using namespace convtest;

namespace {

class ConverterThreads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
    }
    // the test main counts two processors
    void TearDown() override { sys::SetProcessorCount(2); }
    TempDir dir{"convthreads"};
};

// The "threads=N" of the settings libx264 writes into its stream; -1 without.
int X264Threads(const std::string& file)
{
    std::ifstream in(std::filesystem::u8path(file), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string data = s.str();
    const size_t x = data.find("x264 - core");
    const size_t t = x == std::string::npos ? x : data.find(" threads=", x);
    return t == std::string::npos ? -1 : std::atoi(data.c_str() + t + 9);
}

TOutputOptions X264Output()
{
    TOutputOptions o;
    o.VideoCodec = "libx264";
    o.DisableAudio = true;
    return o;
}

// The threads of this process now.
int ProcessThreads()
{
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("/proc/self/task"))
        n++;
    return n;
}

}  // namespace

TEST(CodecThreadShare, CoresAmongTheTasksThatRunAtOnce)
{
    const struct {
        int cores, workers, unfinished, share;
    } cases[] = {
        {8, 1, 1, 8},   {8, 0, 3, 8},  // one at a time (the mode without threads passes no workers)
        {8, 2, 2, 4},   {8, 2, 5, 4},   {8, 8, 8, 1},   {8, 8, 20, 1},
        {8, 4, 2, 4},   {8, 8, 1, 8},   // fewer tasks left than workers
        {8, 3, 3, 3},   {8, 5, 5, 2},   {8, 6, 6, 1},   {12, 8, 8, 2},  // rounded to the nearest
        {8, 19, 19, 1}, {2, 4, 4, 1},   {1, 1, 1, 1},   // never below one
        {16, 3, 3, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodecThreadShare(c.cores, c.workers, c.unfinished), c.share)
            << c.cores << " cores, " << c.workers << " workers, " << c.unfinished << " unfinished";
}

// The count the processors have when the batch starts counts, not the one
// when the tasks were added; every output is whole.
TEST_F(ConverterThreads, EncodersGetTheShareWhenTheTaskStarts)
{
    const struct {
        int workers, tasks, threads;
    } cases[] = {{0, 1, 8}, {0, 2, 8}, {2, 2, 4}, {4, 2, 4}, {3, 3, 3}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.workers << " workers, " << c.tasks << " tasks");
        TFFConverter conv;
        TerminateLog log;
        conv.OnTerminate = log.Handler();
        std::vector<std::string> outs;
        for (int i = 0; i < c.tasks; i++) {
            outs.push_back(dir / ("out" + std::to_string(n++) + ".mp4"));
            AddQuickTask(conv, Fixture("clip.mp4"), outs.back(), X264Output());
        }
        sys::SetProcessorCount(8);
        conv.Start(c.workers);
        ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
        for (auto& e : log.Copy())
            EXPECT_TRUE(e.Finished) << e.TaskIndex << ": " << e.ExceptionMsg;
        for (auto& out : outs) {
            EXPECT_EQ(X264Threads(out), c.threads) << out;
            EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_frames", "-count_frames"), "50") << out;
        }
        sys::SetProcessorCount(2);
    }
}

// A codec preset that names the thread count wins over the share.
TEST_F(ConverterThreads, PresetThreadsWin)
{
    const std::string preset = dir / "two.ffpreset";
    std::ofstream(std::filesystem::u8path(preset)) << "threads=2\n";
    TFFConverter conv;
    TerminateLog log;
    conv.OnTerminate = log.Handler();
    TOutputOptions o = X264Output();
    o.VideoPreset = preset;
    const std::string out = dir / "preset.mp4";
    AddQuickTask(conv, Fixture("clip.mp4"), out, o);
    sys::SetProcessorCount(8);
    conv.Start(1);
    ASSERT_TRUE(WaitUntil([&] { return log.Final(); }));
    EXPECT_EQ(X264Threads(out), 2);
}

// A run's decoders and filter graph take the engine's count too: a run on
// four threads has the decoder's and the graph's threads that a run on one
// has not (BMP pictures: an encoder without threads, so only those differ;
// the graph converts the pictures to RGB with its scaler).
TEST_F(ConverterThreads, DecodersAndFilterGraphsTakeTheCount)
{
    auto mostThreads = [&](int count, const std::string& out) {
        TCustomFFmpeg e(2);
        e.Fverbose = -1;
        e.ReportInterval = 0;
        int most = 0;
        e.OnProgress = [&](TObject*, int, int, int, float, float, int64_t, int64_t, int64_t) {
            most = std::max(most, ProcessThreads());
        };
        EXPECT_TRUE(e.OpenInputFile(Fixture("clip.mp4"))) << e.LastErrMsg();
        e.ParseOption("vcodec", "bmp");
        e.ParseOption("an", "1");
        EXPECT_GT(e.OpenOutputFile(out), 0) << e.LastErrMsg();
        e.Fthread_count = count;
        e.StartConvert(false);
        EXPECT_TRUE(e.Finished()) << e.FatalMessage();
        return most;
    };
    const int one = mostThreads(1, dir / "one.avi");
    const int four = mostThreads(4, dir / "four.avi");
    EXPECT_GT(one, 0);
    // four frame threads of the H.264 decoder, three of the graph's pool and
    // three of its scaler's (the run's own thread is the fourth of each)
    EXPECT_GE(four - one, 10) << one << " against " << four;
}
