// Library loader: file names, sets, loads from a folder, partial loads and
// their error texts, the log-callback installation switch.
#include <gtest/gtest.h>
#include <link.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"

namespace fs = std::filesystem;

namespace
{
const char* kSysLibDir = "/usr/lib/x86_64-linux-gnu/";

const TLibrary kAll[] = {avCodec, avDevice, avFilter, avFormat, avUtil,
                         swScale, myUtil, lbSDL, swResample};

// Every test starts and ends with nothing loaded and default settings.
class Loader : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override
    {
        Reset();
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    static void Reset()
    {
        for (TLibrary l : kAll)
        {
            GlobalLoader().Unload(l);
            LibraryStatus(l).Name.clear();
        }
        GlobalLoader().SetLibraryPath("");
        GlobalLoader().SetInstallLogger(true);
    }
    // A fresh folder with the named system libraries, as symlinks or copies.
    std::string MakeFolder(const std::vector<std::string>& libs, bool copy = false)
    {
        static int serial = 0;
        dir_ = fs::temp_directory_path() / ("quorvel_libav_" + std::to_string(::getpid()) + "_" +
                                            std::to_string(++serial));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const auto& l : libs)
        {
            if (copy) fs::copy_file(kSysLibDir + l, dir_ / l);
            else fs::create_symlink(kSysLibDir + l, dir_ / l);
        }
        return dir_.string();
    }
    fs::path dir_;
};

const std::vector<std::string> kFamily = {"libavutil.so.57", "libswresample.so.4", "libswscale.so.6",
                                          "libavcodec.so.59", "libavformat.so.59", "libavfilter.so.8"};

bool AllUnloaded(TLibraries set)
{
    for (int i = 0; i < LibraryCount; ++i)
        if (InLibraries(set, TLibrary(i)) &&
            (LibraryStatus(TLibrary(i)).Handle || LibraryStatus(TLibrary(i)).Fixuped))
            return false;
    return true;
}

std::vector<std::string> LoadedObjects()
{
    std::vector<std::string> out;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name ? info->dlpi_name : "");
            return 0;
        },
        &out);
    return out;
}
}

TEST_F(Loader, FileNamesFollowTheLibraryTableAndTheNameOverride)
{
    const struct { TLibrary lib; const char* file; } cases[] = {
        {avCodec, "libavcodec.so.59"},     {avDevice, "libavdevice.so.59"},
        {avFilter, "libavfilter.so.8"},    {avFormat, "libavformat.so.59"},
        {avUtil, "libavutil.so.57"},       {swScale, "libswscale.so.6"},
        {myUtil, "libc.so.6"},             {lbSDL, "libSDL2-2.0.so.0"},
        {swResample, "libswresample.so.4"},
    };
    for (const auto& c : cases) EXPECT_EQ(TFFmpegLoader::GetLibraryFileName(c.lib), c.file);
    LibraryStatus(avCodec).Name = "/opt/x/libmine.so";
    EXPECT_EQ(TFFmpegLoader::GetLibraryFileName(avCodec), "/opt/x/libmine.so");
}

TEST_F(Loader, SetsLoadBindAndUnloadThroughTheStandardSearch)
{
    EXPECT_FALSE(GlobalLoader().Loaded(ProbeLibraries));
    EXPECT_EQ(ff::avcodec_open2, nullptr);

    ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
    EXPECT_TRUE(GlobalLoader().Loaded(ProbeLibraries));
    EXPECT_FALSE(GlobalLoader().Loaded(avFilter));
    ASSERT_NE(ff::avcodec_open2, nullptr);
    ASSERT_NE(ff::avformat_open_input, nullptr);
    ASSERT_NE(ff::sws_scale, nullptr);
    ASSERT_NE(ff::swr_alloc, nullptr);
    EXPECT_EQ(ff::avfilter_graph_alloc, nullptr);
    // A bound entry point works.
    EXPECT_STREQ(ff::av_get_pix_fmt_name(AV_PIX_FMT_BGR24), "bgr24");

    // The conversion set after the probe set adds avfilter only.
    void* codecHandle = LibraryStatus(avCodec).Handle;
    ASSERT_TRUE(GlobalLoader().Load(ConverterLibraries));
    EXPECT_EQ(LibraryStatus(avCodec).Handle, codecHandle);
    EXPECT_NE(ff::avfilter_graph_alloc, nullptr);
    // Loading again changes nothing.
    EXPECT_TRUE(GlobalLoader().Load(avCodec));
    EXPECT_EQ(LibraryStatus(avCodec).Handle, codecHandle);

    GlobalLoader().Unload(ConverterLibraries);
    EXPECT_TRUE(AllUnloaded(ConverterLibraries));
    EXPECT_EQ(ff::avcodec_open2, nullptr);
    EXPECT_EQ(ff::avfilter_graph_alloc, nullptr);
    EXPECT_EQ(ff::av_malloc, nullptr);
}

TEST_F(Loader, PlayerSetAddsSDL)
{
    ASSERT_TRUE(GlobalLoader().Load(PlayerLibraries)) << GlobalLoader().LastErrMsg();
    EXPECT_NE(ff::SDL_OpenAudioDevice, nullptr);
    EXPECT_TRUE(GlobalLoader().Loaded(lbSDL));
}

TEST_F(Loader, EmptySetIsAProgrammingError)
{
    EXPECT_THROW(GlobalLoader().Load(TLibraries(0)), EFFAssertion);
    EXPECT_THROW(GlobalLoader().Loaded(TLibraries(0)), EFFAssertion);
    EXPECT_THROW(GlobalLoader().Unload(TLibraries(0)), EFFAssertion);
}

TEST_F(Loader, FolderCopiesAreUsedForTheLibraryAndItsDependencies)
{
    const std::string dir = MakeFolder({"libavutil.so.57", "libswresample.so.4", "libswscale.so.6",
                                        "libavcodec.so.59", "libavformat.so.59"},
                                       true);
    bool systemCopyBefore = false;
    for (const auto& obj : LoadedObjects())
        systemCopyBefore |= obj.find(kSysLibDir + std::string("libav")) != std::string::npos;
    GlobalLoader().SetLibraryPath(dir);
    ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
    Dl_info info{};
    ASSERT_TRUE(dladdr(reinterpret_cast<void*>(ff::avformat_open_input), &info));
    EXPECT_EQ(fs::path(info.dli_fname).parent_path(), fs::path(dir));
    // libavformat's own dependencies came from the folder: no system copy of
    // any of them is in the process (checked when this test runs alone, as
    // ctest runs it; modules loaded earlier in the process stay mapped).
    if (!systemCopyBefore)
    {
        for (const auto& obj : LoadedObjects())
            EXPECT_EQ(obj.find(kSysLibDir + std::string("libav")), std::string::npos) << obj;
    }
}

TEST_F(Loader, MissingFileInTheFolderFallsBackToTheStandardSearch)
{
    const std::string dir = MakeFolder({"libavutil.so.57"});
    GlobalLoader().SetLibraryPath(dir + "/");
    ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
}

TEST_F(Loader, PartialLoadsLeaveTheWholeSetUnloadedWithTheExactText)
{
    // The third library of the load order (swscale) is a library without the
    // names, the fourth (avcodec) a file that is no library at all.
    const std::string dir = MakeFolder(kFamily);
    {
        fs::remove(fs::path(dir) / "libswscale.so.6");
        fs::copy_file(QUORVEL_FAKELIB, fs::path(dir) / "libswscale.so.6");
        GlobalLoader().SetLibraryPath(dir);
        EXPECT_FALSE(GlobalLoader().Load(ProbeLibraries));
        const std::string err = GlobalLoader().LastErrMsg();
        EXPECT_EQ(err.rfind("Load function sws_freeContext@libswscale.so.6 error: ", 0), 0u) << err;
        EXPECT_NE(err.find("undefined symbol: sws_freeContext"), std::string::npos) << err;
        EXPECT_TRUE(AllUnloaded(ProbeLibraries));
        EXPECT_EQ(ff::av_malloc, nullptr);
        EXPECT_EQ(ff::swr_alloc, nullptr);
    }
    {
        // A second folder: a module once loaded stays mapped under its path.
        const std::string first = dir;
        const std::string dir = MakeFolder(kFamily);
        fs::remove_all(first);
        GlobalLoader().SetLibraryPath(dir);
        fs::remove(fs::path(dir) / "libavcodec.so.59");
        std::ofstream(fs::path(dir) / "libavcodec.so.59") << "not a library";
        // Libraries loaded before the call by someone else go too.
        ASSERT_TRUE(GlobalLoader().Load(avUtil));
        EXPECT_FALSE(GlobalLoader().Load(ProbeLibraries));
        const std::string err = GlobalLoader().LastErrMsg();
        const std::string head = "Load library " + dir + "/libavcodec.so.59 error: ";
        EXPECT_EQ(err.rfind(head, 0), 0u) << err;
        EXPECT_GT(err.size(), head.size());
        EXPECT_TRUE(AllUnloaded(ProbeLibraries));
    }
}

TEST_F(Loader, UnknownFileNameReportsTheSystemText)
{
    LibraryStatus(myUtil).Name = "libquorvel_none.so.1";
    EXPECT_FALSE(GlobalLoader().Load(myUtil));
    EXPECT_EQ(GlobalLoader().LastErrMsg(),
              "Load library libquorvel_none.so.1 error: libquorvel_none.so.1: cannot open shared object "
              "file: No such file or directory");
}

TEST_F(Loader, InstallLoggerSwitchDecidesWhetherLibraryLinesReachTheLogger)
{
    std::atomic<int> lines{0};
    TFFLogger* logger = GetFFLogger();
    logger->SetTriggerEventInMainThread(false);
    logger->SetOnLog([&](TObject*, std::uint32_t, TLogLevel, const std::string& msg) {
        if (msg == "loader probe line") ++lines;
    });

    GlobalLoader().SetInstallLogger(false);
    ASSERT_TRUE(GlobalLoader().Load(avUtil));
    // The library's own handling (a module loaded earlier in this process may
    // still carry the callback: unloading does not remove it).
    ff::av_log_set_callback(ff::av_log_default_callback);
    ff::av_log_set_level(AV_LOG_QUIET);  // keep the library's own printing off stderr
    ASSERT_TRUE(GlobalLoader().Load(avUtil));
    ff::av_log(nullptr, AV_LOG_ERROR, "loader probe line\n");
    EXPECT_EQ(lines.load(), 0);

    GlobalLoader().SetInstallLogger(true);
    ASSERT_TRUE(GlobalLoader().Load(avUtil));  // already bound: installs the callback again
    ff::av_log(nullptr, AV_LOG_ERROR, "loader probe line\n");
    EXPECT_EQ(lines.load(), 1);
    logger->SetOnLog(nullptr);
}

TEST(LoaderLock, CodecLockIsOneRecursiveProcessWideLock)
{
    EXPECT_EQ(&CodecLock(), &CodecLock());
    TCodecLockGuard a;
    TCodecLockGuard b;  // the same thread may take it again
    SUCCEED();
}
