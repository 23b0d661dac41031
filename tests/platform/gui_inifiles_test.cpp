#include "common/unprivileged.h"
#include "file_limit.h"
#include "temp_dir.h"
#include "platform/core/Utf8.h"
#include "platform/gui/IniFiles.h"
#include "platform/gui/Strings.h"
#include "platform/sys/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct IniTest : ::testing::Test
{
    void SetUp() override
    {
        dir = ProcessTempDir() + "/ini test 目录 " +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir);
        sys::ForceDirectories(dir);
        path = dir + "/option.ini";
    }
    std::string dir, path;
};

std::vector<std::string> Lines(const TStrings& s)
{
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s[i]);
    return v;
}

TEST_F(IniTest, ProfileLookupRules)
{
    sys::WriteFileAtomic(path,
                         "; settings\n"
                         "[Options]\n"
                         "  Thread_Count = 4  \n"
                         "Empty=\n"
                         "thread_count=9\n"
                         "junk line\n"
                         "[OutPath]\n"
                         "OutPath=/home/用户/输出\n"
                         "[options]\n"
                         "Late=1\n"
                         "[Blank]\n");
    TIniFile ini(path);
    struct Case { const char* section; const char* key; const char* expect; };
    const Case cases[] = {
        {"Options", "Thread_Count", "4"},      // blanks around key and value dropped
        {"OPTIONS", "THREAD_COUNT", "4"},      // case ignored; the first key counts
        {"Options", "Empty", ""},              // present but empty: not the default
        {"Options", "Missing", "Error"},       // missing: the default
        {"Options", "Late", "Error"},          // a later equal section does not count
        {"outpath", "outpath", "/home/用户/输出"},
        {"Nowhere", "x", "Error"},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadString(c.section, c.key, "Error"), c.expect) << c.key;
    EXPECT_EQ(ini.ReadInteger("Options", "Thread_Count", -1), 4);
    EXPECT_TRUE(ini.SectionExists("outpath"));
    EXPECT_FALSE(ini.SectionExists("Blank")) << "a section without keys does not exist";
    EXPECT_TRUE(ini.ValueExists("options", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("options", "junk line"));

    TStringList l;
    ini.ReadSection("Options", &l);
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"Thread_Count", "Empty"}));
    ini.ReadSections(&l);
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"Options", "OutPath", "Blank"}));
    ini.ReadSectionValues("Options", &l);
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"Thread_Count=4", "Empty="}));
}

TEST_F(IniTest, TypedValues)
{
    TIniFile ini(path);
    ini.WriteInteger("S", "Int", -12);
    ini.WriteBool("S", "On", true);
    ini.WriteBool("S", "Off", false);
    ini.WriteFloat("S", "F", 2.5);
    ini.WriteString("S", "Hex", "0x1F");
    ini.WriteString("S", "Bad", "12abc");
    EXPECT_EQ(ini.ReadInteger("S", "Int", 0), -12);
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "On", false));
    EXPECT_FALSE(ini.ReadBool("S", "Off", true));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
    EXPECT_TRUE(ini.ReadBool("S", "Int", false)) << "any non-zero number";
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "F", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Bad", 1.5), 1.5);
    EXPECT_EQ(sys::ReadFileToString(path), "[S]\nInt=-12\nOn=1\nOff=0\nF=2.5\nHex=0x1F\nBad=12abc\n");
}

TEST_F(IniTest, WritesGoToDiskAtOnceAndKeepTheRest)
{
    sys::WriteFileAtomic(path, "; comment kept\r\n[Options]\r\nA=1\r\n\r\n[Skin]\r\nSetSkin=3\r\n");
    TIniFile ini(path);
    ini.WriteString("options", "a", "2");   // replaced in place
    ini.WriteString("Options", "B", "中文");  // added at the end of its section
    ini.WriteString("SnapShot", "Dir", "/tmp/a b:c");
    EXPECT_EQ(sys::ReadFileToString(path),
              "; comment kept\r\n[Options]\r\na=2\r\nB=中文\r\n\r\n[Skin]\r\nSetSkin=3\r\n\r\n"
              "[SnapShot]\r\nDir=/tmp/a b:c\r\n");

    // Another object (or program) sees each write, and this one sees theirs.
    TIniFile other(path);
    EXPECT_EQ(other.ReadString("SNAPSHOT", "DIR", ""), "/tmp/a b:c");
    other.WriteString("Skin", "SetSkin", "5");
    EXPECT_EQ(ini.ReadInteger("Skin", "SetSkin", 0), 5);

    ini.DeleteKey("OPTIONS", "A");
    EXPECT_EQ(other.ReadString("Options", "a", "gone"), "gone");
    ini.EraseSection("skin");
    EXPECT_FALSE(other.SectionExists("Skin"));
    EXPECT_EQ(other.ReadString("Options", "B", ""), "中文");
}

TEST_F(IniTest, LongValuesAreCutLikeTheProfileReader)
{
    TIniFile ini(path);
    std::string longValue;
    for (int i = 0; i < 700; ++i) longValue += "中";   // 2100 bytes
    ini.WriteString("S", "Long", longValue);
    std::string got = ini.ReadString("S", "Long", "");
    EXPECT_LE(got.size(), TIniFile::MaxValueLength);
    EXPECT_EQ(got.size(), 2046u) << "cut at a character boundary";
    TMemIniFile mem(path);
    EXPECT_EQ(mem.ReadString("S", "Long", ""), longValue) << "the in-memory reader keeps it all";
}

TEST_F(IniTest, NamesThatWouldBreakTheFileAreRefused)
{
    TIniFile ini(path);
    ini.WriteString("S", "Keep", "1");
    struct Case { const char* section; const char* key; const char* value; };
    const Case cases[] = {
        {"S", "a=b", "1"}, {"S", "", "1"}, {"S]x", "k", "1"}, {"S", "k", "line1\nline2"},
        {"S\n[T", "k", "1"}, {"S", ";k", "1"},
    };
    for (const Case& c : cases)
        EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EIniFileException) << c.key;
    EXPECT_EQ(sys::ReadFileToString(path), "[S]\nKeep=1\n");
}

TEST_F(IniTest, DamagedFilesReadAsEmptyAndNeverCrash)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += char((i * 7919) & 0xFF);
    const std::string cases[] = {
        junk,                                          // binary junk (NULs, stray bytes)
        std::string(8 * 1024 * 1024, 'x'),             // one huge line
        "[Options]\nThread_Count",                     // cut off, no newline
        "[Options\nThread_Count=4",                    // unterminated header
        "\xFF\xFE[\0",                                 // UTF-16 mark with a half character
        "=\n==\n[]\n=x\n[",
    };
    for (const std::string& c : cases)
    {
        sys::WriteFileAtomic(path, c);
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Options", "Thread_Count", "Error"), "Error");
        TStringList l;
        EXPECT_NO_THROW(ini.ReadSections(&l));
        TMemIniFile mem(path);
        EXPECT_EQ(mem.ReadInteger("Options", "Thread_Count", -1), -1);
        // A damaged file can still take a setting; its other bytes stay.
        ini.WriteString("Options", "Thread_Count", "2");
        EXPECT_EQ(ini.ReadInteger("Options", "Thread_Count", 0), 2);
    }

    // A folder where the file should be: reads give defaults, writes raise.
    std::filesystem::remove(path);
    sys::ForceDirectories(path);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "b", "def"), "def");
    EXPECT_THROW(ini.WriteString("A", "b", "1"), EIniFileException);
    EXPECT_TRUE(sys::DirectoryExists(path));
}

TEST_F(IniTest, FailedWriteRaisesAndLeavesTheOldFile)
{
    TIniFile ini(path);
    ini.WriteString("Options", "Thread_Count", "4");
    const std::string before = sys::ReadFileToString(path);
    int rc = InChildWithFileSizeLimit(before.size() + 5, [&] {
        TIniFile child(path);
        try
        {
            child.WriteString("Options", "Big", std::string(1000, 'v'));
        }
        catch (const EIniFileException& e)
        {
            return std::string(e.what()).find(path) != std::string::npos ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(rc, 0) << "clear exception naming the file";
    EXPECT_EQ(sys::ReadFileToString(path), before);
    EXPECT_EQ(ini.ReadString("Options", "Big", "none"), "none");
}

// Names in the folder (the ini file and anything a write left behind).
std::vector<std::string> FolderNames(const std::string& dir)
{
    std::vector<std::string> v;
    for (const auto& e : std::filesystem::directory_iterator(dir)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

TEST_F(IniTest, FileTooLargeLeavesNoTemporaryFile)
{
    // An existing file and a new one, each in a child whose files may not grow
    // past 100 bytes and that ignores SIGXFSZ, as the program does.
    for (bool exists : {true, false})
    {
        std::filesystem::remove(path);
        if (exists) TIniFile(path).WriteString("Options", "A", "1");
        const std::string before = exists ? sys::ReadFileToString(path) : "";
        int rc = InChildWithFileSizeLimit(100, [&] {
            try
            {
                TIniFile(path).WriteString("Options", "Big", std::string(1000, 'v'));
            }
            catch (const EIniFileException& e)
            {
                return std::string(e.what()).find("File too large") != std::string::npos ? 0 : 2;
            }
            return 1;
        });
        EXPECT_EQ(rc, 0) << "exists " << exists;
        EXPECT_EQ(FolderNames(dir), exists ? std::vector<std::string>{"option.ini"} : std::vector<std::string>{});
        if (exists) { EXPECT_EQ(sys::ReadFileToString(path), before); }
    }
}

TEST_F(IniTest, ReadOnlyFileIsRefusedNotReplaced)
{
    // A root-owned (or the test user's) 0444 file in a folder anyone may write:
    // another user's write must fail as a write to the file would.
    MakeSharedFolder(dir);
    TIniFile(path).WriteString("Options", "A", "1");
    ::chmod(path.c_str(), 0444);
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    int rc = AsUnprivilegedUser(path, [&] {
        try
        {
            TIniFile(path).WriteString("Options", "A", "2");
        }
        catch (const EIniFileException& e)
        {
            const std::string m = e.what();
            return m.find(path) != std::string::npos && m.find("Permission denied") != std::string::npos ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(rc, 0);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(TIniFile(path).ReadString("Options", "A", ""), "1");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"option.ini"});
}

TEST_F(IniTest, SymlinkedFileIsWrittenThroughTheLink)
{
    // The link and the file it points to are in different folders.
    const std::string real = dir + "/real";
    sys::ForceDirectories(real);
    TIniFile(real + "/settings.ini").WriteString("Options", "A", "1");
    ASSERT_EQ(::symlink("real/settings.ini", path.c_str()), 0);
    TIniFile ini(path);
    ini.WriteString("Options", "A", "2");
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(TIniFile(real + "/settings.ini").ReadString("Options", "A", ""), "2");
    EXPECT_EQ(FolderNames(real), std::vector<std::string>{"settings.ini"});

    // A link to a file not made yet creates that file.
    const std::string dangling = dir + "/new.ini";
    ASSERT_EQ(::symlink("real/later.ini", dangling.c_str()), 0);
    TIniFile(dangling).WriteString("S", "K", "v");
    EXPECT_EQ(TIniFile(real + "/later.ini").ReadString("S", "K", ""), "v");
    ASSERT_EQ(::lstat(dangling.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(IniTest, LongestNamesCanBeWritten)
{
    std::string chinese;
    for (int i = 0; i < 81; ++i) chinese += "中";   // 243 bytes, + ".ini"
    for (const std::string& name : {std::string(240, 'n') + ".ini", std::string(251, 'n') + ".ini", chinese + ".ini",
                                    std::string(255, 'n')})
    {
        const std::string p = dir + "/" + name;
        TIniFile ini(p);
        ASSERT_NO_THROW(ini.WriteString("Options", "A", "1")) << name.size() << " bytes";
        ini.WriteString("Options", "A", "2");
        EXPECT_EQ(TIniFile(p).ReadString("Options", "A", ""), "2") << name.size() << " bytes";
        std::filesystem::remove(p);
    }
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{});
}

std::string Utf16(const std::string& utf8, bool littleEnd)
{
    std::string out;
    for (char16_t c : Utf8ToUtf16(utf8))
    {
        char lo = char(c & 0xFF), hi = char(c >> 8);
        out += littleEnd ? lo : hi;
        out += littleEnd ? hi : lo;
    }
    return out;
}

TEST_F(IniTest, EncodingAndMarksAreKept)
{
    const std::string u8 = "\xEF\xBB\xBF", le = "\xFF\xFE", be = "\xFE\xFF";
    const std::string text = "[Options]\r\nA=中\r\n", changed = "[Options]\r\nA=中\r\nB=2\r\n";
    struct Case { const char* name; std::string before, after; };
    const Case cases[] = {
        {"utf-8 with a mark", u8 + text, u8 + changed},
        // Without its mark the file would start with FF FE and read as UTF-16.
        {"utf-8 mark, then FF FE", u8 + "\xFF\xFE;\r\n" + text, u8 + "\xFF\xFE;\r\n" + changed},
        {"utf-16 le", le + Utf16(text, true), le + Utf16(changed, true)},
        {"utf-16 be", be + Utf16(text, false), be + Utf16(changed, false)},
        {"two utf-8 marks", u8 + u8 + text, u8 + u8 + changed},
        {"two utf-16 marks", le + le + Utf16(text, true), le + le + Utf16(changed, true)},
        {"no mark", text, changed},
    };
    for (const Case& c : cases)
    {
        sys::WriteFileAtomic(path, c.before);
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Options", "A", "lost"), "中") << c.name;
        ini.WriteString("Options", "B", "2");
        EXPECT_EQ(sys::ReadFileToString(path), c.after) << c.name;
        EXPECT_EQ(TIniFile(path).ReadString("Options", "A", "lost"), "中") << c.name;

        sys::WriteFileAtomic(path, c.before);
        TMemIniFile mem(path);
        mem.WriteString("Options", "B", "2");
        mem.UpdateFile();
        EXPECT_EQ(sys::ReadFileToString(path), c.after) << c.name << " (in memory)";
    }
}

TEST_F(IniTest, ConcurrentWritersLoseNoKeys)
{
    constexpr int kKeys = 300;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w)
        if ((writers[w] = ::fork()) == 0)
        {
            TIniFile ini(path);
            for (int i = 0; i < kKeys; ++i) ini.WriteInteger("Keys", "W" + std::to_string(w) + "_" + std::to_string(i), i);
            ::_exit(0);
        }
    for (pid_t pid : writers)
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TStringList keys;
    TIniFile(path).ReadSection("Keys", &keys);
    EXPECT_EQ(keys.Count(), 2 * kKeys);
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"option.ini"});
}

TEST_F(IniTest, ProcessKilledMidWriteLeavesAWholeFile)
{
    // Two versions of a large file; a child rewrites them in turn and is
    // killed at some moment. The file on disk must always be one of them.
    const std::string a(300000, 'a'), b(200000, 'b');
    {
        TIniFile ini(path);
        ini.WriteString("S", "V", a);
    }
    for (int round = 0; round < 5; ++round)
    {
        pid_t pid = ::fork();
        if (pid == 0)
        {
            TIniFile ini(path);
            for (int i = 0;; ++i) ini.WriteString("S", "V", i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + 7 * round));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        TMemIniFile mem(path);
        std::string v = mem.ReadString("S", "V", "");
        EXPECT_TRUE(v == a || v == b) << "round " << round << ": " << v.size() << " bytes";
    }
}

TEST_F(IniTest, MemIniFileRoundTrip)
{
    TMemIniFile mem(path);
    EXPECT_EQ(mem.ReadString("VERSION", "Name", "none"), "none") << "missing file starts empty";
    mem.WriteString("VERSION", "Name", "Skin 中");
    mem.WriteInteger("FORMINFO", "Count", 3);
    mem.EraseSection("nothing");
    EXPECT_FALSE(sys::FileExists(path)) << "nothing on disk before UpdateFile";
    mem.UpdateFile();
    TIniFile disk(path);
    EXPECT_EQ(disk.ReadString("version", "name", ""), "Skin 中");

    TStringList l;
    mem.GetStrings(&l);
    EXPECT_EQ(Lines(l), (std::vector<std::string>{"[VERSION]", "Name=Skin 中", "", "[FORMINFO]", "Count=3"}));
    TMemIniFile fromText("");
    fromText.SetText("\xEF\xBB\xBF[a]\r\nk = v \r\n");
    EXPECT_EQ(fromText.ReadString("A", "K", ""), "v");
    fromText.SetStrings(&l);
    EXPECT_EQ(fromText.ReadInteger("forminfo", "count", 0), 3);
    EXPECT_THROW(fromText.UpdateFile(), EIniFileException) << "no file name";
}

} // namespace
