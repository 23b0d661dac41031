#include "file_limit.h"
#include "temp_dir.h"
#include "platform/gui/Streams.h"
#include "platform/sys/Files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string TempPath(const std::string& name) { return ProcessTempDir() + "/" + name; }

TEST(Streams, FileStreamOnAwkwardNames)
{
    for (std::string name : {"clip with spaces.bin", "中文 视频.bin", "a:b.bin"})
    {
        std::string path = TempPath(name);
        {
            TFileStream f(path, fmCreate | fmShareExclusive);
            f.WriteBuffer("hello world", 11);
            EXPECT_EQ(f.Size(), 11);
            f.Seek(-5, soFromEnd);
            char buf[5];
            f.ReadBuffer(buf, 5);
            EXPECT_EQ(std::string(buf, 5), "world");
            EXPECT_EQ(f.Position(), 11);
        }
        EXPECT_TRUE(sys::FileExists(path)) << name;
        EXPECT_EQ(sys::FileSize(path), 11);
        {
            TFileStream f(path, fmOpenReadWrite);
            f.Seek(6, soFromBeginning);
            f.WriteBuffer("WORLD!", 6);
            f.SetSize(8);
        }
        EXPECT_EQ(sys::ReadFileToString(path), "hello WO");
        {
            TFileStream f(path, fmOpenRead | fmShareDenyNone);
            char buf[16];
            EXPECT_THROW(f.ReadBuffer(buf, 9), EReadError) << "short read raises";
        }
        EXPECT_TRUE(sys::DeleteFile(path));
    }
}

TEST(Streams, OpenErrorsNameTheFile)
{
    struct Case { std::string path; unsigned mode; bool create; };
    const Case cases[] = {
        {TempPath("missing file.bin"), fmOpenRead, false},
        {ProcessTempDir(), fmOpenRead, false},                    // a folder
        {TempPath("no such folder/x.bin"), fmCreate, true},
        {"", fmOpenRead, false},
    };
    for (const Case& c : cases)
    {
        try
        {
            TFileStream f(c.path, c.mode);
            ADD_FAILURE() << "opened " << c.path;
        }
        catch (const EFCreateError& e)
        {
            EXPECT_TRUE(c.create);
            EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos);
        }
        catch (const EFOpenError& e)
        {
            EXPECT_FALSE(c.create);
            EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos);
        }
    }
}

// A FIFO, socket or device given as a data file is refused at once: opening
// a FIFO would otherwise wait forever for another process.
TEST(Streams, SpecialFilesAreRefusedWithoutBlocking)
{
    alarm(60);   // a hang ends the test instead of stalling the run
    const std::string fifo = TempPath("a fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")})
    {
        SCOPED_TRACE(path);
        for (unsigned mode : {unsigned(fmOpenRead), unsigned(fmOpenWrite), unsigned(fmCreate)})
        {
            try
            {
                TFileStream f(path, mode);
                ADD_FAILURE() << "opened in mode " << mode;
            }
            catch (const EStreamError& e)
            {
                EXPECT_NE(std::string(e.what()).find("Not a regular file"), std::string::npos) << e.what();
            }
        }
        EXPECT_THROW(sys::ReadFileToString(path), EInOutError);
        TMemoryStream m;
        m.WriteBuffer("x", 1);
        EXPECT_THROW(m.SaveToFile(path), EStreamError);
        EXPECT_TRUE(sys::IsSpecialFile(path));
    }
    EXPECT_FALSE(sys::IsSpecialFile(ProcessTempDir()));
    EXPECT_FALSE(sys::IsSpecialFile(TempPath("missing")));
    alarm(0);
}

TEST(Streams, MemoryStreamSeekGrowCopy)
{
    TMemoryStream m;
    m.WriteBuffer("abc", 3);
    m.Seek(2, soFromCurrent);   // past the end: the gap reads as zeros
    m.WriteBuffer("z", 1);
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(std::memcmp(m.Memory(), "abc\0\0z", 6), 0);
    EXPECT_THROW(m.Seek(-1, soFromBeginning), EStreamError);
    m.SetSize(2);
    EXPECT_EQ(m.Position(), 2);

    TStringStream src("0123456789");
    src.SetPosition(7);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 10) << "0 copies everything from the start";
    src.SetPosition(2);
    dst.CopyFrom(src, 3);
    EXPECT_EQ(std::string(static_cast<const char*>(dst.Memory()), std::size_t(dst.Size())), "0123456789234");
    src.SetPosition(9);
    EXPECT_THROW(dst.CopyFrom(src, 5), EReadError);

    std::string path = TempPath("mem 中.bin");
    dst.SaveToFile(path);
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Size(), 13);
    EXPECT_EQ(back.Position(), 0);
    sys::DeleteFile(path);

    TStringStream s;
    s.WriteString("héllo");
    s.SetPosition(1);
    EXPECT_EQ(s.ReadString(2), "é");
    EXPECT_EQ(s.ReadString(100), "llo");
}

TEST(Files, PathHelpers)
{
    struct Case { const char* path; const char* dir; const char* file; const char* name; const char* ext; };
    const Case cases[] = {
        {"/a/b/c.txt", "/a/b/", "/a/b", "c.txt", ".txt"},
        {"/a/b.d/c", "/a/b.d/", "/a/b.d", "c", ""},
        {"c.tar.gz", "", "", "c.tar.gz", ".gz"},
        {"/x", "/", "/", "x", ""},
        {"/中文 视频.mp4", "/", "/", "中文 视频.mp4", ".mp4"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(sys::ExtractFilePath(c.path), c.dir) << c.path;
        EXPECT_EQ(sys::ExtractFileDir(c.path), c.file) << c.path;
        EXPECT_EQ(sys::ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(sys::ExtractFileExt(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(sys::ChangeFileExt("/a.b/c.avi", ".mp4"), "/a.b/c.mp4");
    EXPECT_EQ(sys::ChangeFileExt("/a.b/c", ".mp4"), "/a.b/c.mp4");
    EXPECT_EQ(sys::IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(sys::ExcludeTrailingPathDelimiter("/a//"), "/a");
    EXPECT_EQ(sys::ExpandFileName("/a/./b/../c/"), "/a/c/");
    std::string prog = sys::ProgramFolder();
    EXPECT_FALSE(prog.empty());
    EXPECT_EQ(prog.back(), '/');
    EXPECT_TRUE(sys::DirectoryExists(prog));
}

TEST(Files, MasksFoldersAndListing)
{
    struct Case { const char* name; const char* mask; bool match; };
    const Case cases[] = {
        {"Clip.AVI", "*.avi", true}, {"clip.avi", "*.mp4", false}, {"README", "*.*", true},
        {"a1.txt", "a?.txt", true},  {"ab1.txt", "a?.txt", false}, {"x.Mp3", "[a-z].mp3", true},
        {"1.mp3", "[!0-9].mp3", false}, {"视频.mkv", "视*.MKV", true}, {"noext", "noext.*", true},
    };
    for (const Case& c : cases) EXPECT_EQ(sys::MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;

    std::string root = TempPath("files test 目录");
    std::filesystem::remove_all(root);
    std::string deep = root + "/a/b c/d";
    EXPECT_TRUE(sys::ForceDirectories(deep));
    EXPECT_TRUE(sys::DirectoryExists(deep));
    EXPECT_FALSE(sys::FileExists(deep)) << "a folder is not a file";
    sys::WriteFileAtomic(root + "/one.avi", "1");
    sys::WriteFileAtomic(root + "/two.mp4", "22");
    std::vector<sys::TSearchRec> list;
    ASSERT_TRUE(sys::ListDirectory(root, "*.avi", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Name, "one.avi");
    ASSERT_TRUE(sys::ListDirectory(root, "*", list));
    EXPECT_EQ(list.size(), 3u);
    for (auto& r : list)
        if (r.Name == "a") { EXPECT_TRUE(r.Attr & sys::faDirectory); }
    EXPECT_FALSE(sys::ListDirectory(root + "/missing", "*", list));

    EXPECT_FALSE(sys::RenameFile(root + "/one.avi", root + "/two.mp4")) << "never overwrites";
    EXPECT_EQ(sys::ReadFileToString(root + "/two.mp4"), "22");
    EXPECT_TRUE(sys::RenameFile(root + "/one.avi", root + "/three.avi"));
    EXPECT_GT(sys::FileAge(root + "/three.avi"), 0);
    EXPECT_EQ(sys::FileAge(root + "/one.avi"), -1);
    EXPECT_THROW(sys::ReadFileToString(root + "/one.avi"), EInOutError);
    EXPECT_FALSE(sys::ForceDirectories(root + "/two.mp4/sub")) << "a file in the way";
}

TEST(Files, AtomicWriteFailureLeavesOldFile)
{
    std::string dir = TempPath("atomic fail");
    std::filesystem::remove_all(dir);
    sys::ForceDirectories(dir);
    std::string path = dir + "/keep.txt";
    sys::WriteFileAtomic(path, "old");
    ::chmod(path.c_str(), 0640);
    sys::WriteFileAtomic(path, "new");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "permissions kept";

    int rc = InChildWithFileSizeLimit(100, [&] {
        try
        {
            sys::WriteFileAtomic(path, std::string(4096, 'x'));
        }
        catch (const EInOutError&)
        {
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(rc, 0) << "the failed write raised";
    EXPECT_EQ(sys::ReadFileToString(path), "new");
    std::vector<sys::TSearchRec> list;
    sys::ListDirectory(dir, "*", list);
    EXPECT_EQ(list.size(), 1u) << "no temporary file left behind";
}

} // namespace
