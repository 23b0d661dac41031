// The "unicode" protocol: which names travel as "unicode:utf8:" URLs, and
// that such URLs open for reading, writing and through a context's io_open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Src/FFmpegLoader.h"
#include "Src/UnicodeProtocol.h"
#include "common/unprivileged.h"

namespace fs = std::filesystem;

namespace
{
const std::string kFixtures = QUORVEL_FIXTURES_DIR;

class Unicode : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(GlobalLoader().Load(ProbeLibraries)) << GlobalLoader().LastErrMsg();
        ff::av_log_set_level(AV_LOG_QUIET);
    }
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("quorvel_unicode_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

int OpenAndClose(const std::string& url)
{
    AVFormatContext* s = nullptr;
    const int ret = OpenInputURL(&s, url, nullptr, nullptr);
    if (ret >= 0) ff::avformat_close_input(&s);
    EXPECT_EQ(s, nullptr);
    return ret;
}

std::string Slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
}

TEST(UnicodeNames, WhichNamesBecomeUnicodeURLs)
{
    const struct { const char* name; const char* url; } cases[] = {
        {"/video/a.avi", "/video/a.avi"},
        {"clip with spaces.avi", "clip with spaces.avi"},
        {"/视频/中文 视频.mp4", "/视频/中文 视频.mp4"},          // UTF-8 is the system's own text
        {"a:b.avi", "unicode:utf8:a:b.avi"},                     // would be taken for protocol "a"
        {"/x/c:d.avi", "unicode:utf8:/x/c:d.avi"},
        {"http://host/a.avi", "http://host/a.avi"},
        {"udp://239.0.0.1:1234", "udp://239.0.0.1:1234"},
        {"HTTP://host/a.avi", "unicode:utf8:HTTP://host/a.avi"},  // prefixes match in exact case
        {"unicode:utf8:x.avi", "unicode:utf8:x.avi"},
        {"bad\xFF.avi", "unicode:utf8:bad\xFF.avi"},             // not UTF-8
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(FileNameToURL(c.name), c.url) << c.name;
        if (!IsUnicodeURL(c.name))
        {
            EXPECT_EQ(URLToFileName(FileNameToURL(c.name)), c.name) << c.name;
        }
    }
    EXPECT_FALSE(IsUnicodeURL("unicode:utf8:"));
    EXPECT_TRUE(IsUnicodeURL("unicode:utf8:a"));
    EXPECT_FALSE(IsUnicodeURL("Unicode:utf8:a"));
    EXPECT_EQ(DecodeUnicodeURL("unicode:utf8:a:b.avi"), "a:b.avi");
    EXPECT_EQ(UnicodeURLToAVURL("unicode:utf8:a:b.avi"), "file:a:b.avi");
    EXPECT_EQ(UnicodeURLToAVURL("/x/y.avi"), "/x/y.avi");
    const std::string longName = "/" + std::string(5000, 'n') + ":x.avi";  // no length limit
    EXPECT_EQ(FileNameToURL(longName), "unicode:utf8:" + longName);
}

TEST_F(Unicode, InputsOpenWhateverTheirNames)
{
    for (const char* name : {"clip.avi", "clip with spaces.avi", "中文 视频.mp4", "a:b.avi"})
        EXPECT_EQ(OpenAndClose(FileNameToURL(kFixtures + "/" + name)), 0) << name;

    // A relative name with ":" is never taken for a protocol.
    const fs::path cwd = fs::current_path();
    fs::current_path(kFixtures);
    AVFormatContext* plain = nullptr;
    EXPECT_LT(ff::avformat_open_input(&plain, "a:b.avi", nullptr, nullptr), 0);  // what FFmpeg alone does
    EXPECT_EQ(OpenAndClose(FileNameToURL("a:b.avi")), 0);
    fs::current_path(cwd);
}

TEST_F(Unicode, OpenFailuresCarryTheRealReason)
{
    EXPECT_EQ(OpenAndClose(FileNameToURL((dir / "gone:missing.avi").string())), AVERROR(ENOENT));
    const fs::path locked = dir / "locked:file.avi";
    fs::copy_file(kFixtures + "/clip.avi", locked);
    fs::permissions(locked, fs::perms::none);
    // Root reads it anyway: the case runs as an unprivileged user.
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
    EXPECT_EQ(AsUnprivilegedUser(locked.string(), [&] {
                  return OpenAndClose(FileNameToURL(locked.string())) == AVERROR(EACCES) ? 0 : 1;
              }),
              0);
}

TEST_F(Unicode, OutputsAreCreatedOrEmptied)
{
    const fs::path out = dir / "out:中文.bin";
    {
        std::ofstream(out) << "old and much longer content";
    }
    AVIOContext* pb = nullptr;
    ASSERT_EQ(OpenOutputIO(&pb, FileNameToURL(out.string()), AVIO_FLAG_WRITE, nullptr, nullptr), 0);
    ff::avio_write(pb, reinterpret_cast<const unsigned char*>("hello"), 5);
    ff::avio_closep(&pb);
    EXPECT_EQ(Slurp(out), "hello");

    const fs::path fresh = dir / "new:file.bin";
    ASSERT_EQ(OpenOutputIO(&pb, FileNameToURL(fresh.string()), AVIO_FLAG_READ_WRITE, nullptr, nullptr), 0);
    ff::avio_write(pb, reinterpret_cast<const unsigned char*>("abcdef"), 6);
    ff::avio_seek(pb, 2, SEEK_SET);
    ff::avio_write(pb, reinterpret_cast<const unsigned char*>("XY"), 2);
    ff::avio_flush(pb);
    EXPECT_EQ(ff::avio_size(pb), 6);
    ff::avio_closep(&pb);
    EXPECT_EQ(Slurp(fresh), "abXYef");
}

TEST_F(Unicode, ContextIoOpenServesUnicodeURLs)
{
    AVFormatContext* s = ff::avformat_alloc_context();
    s->url = ff::av_strdup("");  // as after opening; the libraries' io_open compares with it
    const auto original = s->io_open;
    InstallUnicodeIO(s);
    InstallUnicodeIO(s);  // once is enough; twice changes nothing
    EXPECT_NE(s->io_open, original);
    AVIOContext* pb = nullptr;
    const std::string url = FileNameToURL(kFixtures + "/a:b.avi");
    ASSERT_EQ(s->io_open(s, &pb, url.c_str(), AVIO_FLAG_READ, nullptr), 0);
    EXPECT_EQ(ff::avio_size(pb), std::int64_t(fs::file_size(kFixtures + "/a:b.avi")));
    s->io_close2(s, pb);
    // Other URLs go on to the libraries' own io_open.
    ASSERT_EQ(s->io_open(s, &pb, (kFixtures + "/clip.avi").c_str(), AVIO_FLAG_READ, nullptr), 0);
    s->io_close2(s, pb);
    ff::avformat_free_context(s);
}
