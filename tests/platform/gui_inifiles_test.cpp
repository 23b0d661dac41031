#include "file_limit.h"
#include "temp_dir.h"
#include "platform/gui/IniFiles.h"
#include "platform/gui/Strings.h"
#include "platform/sys/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
