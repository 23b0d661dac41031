// The file controls' path routines on Linux paths: joining, cutting and
// shortening, the drive label texts, the split of a typed path against a
// folder on a temporary tree with odd names, and the mask lists. None of
// them touches the process's current directory.
#include "common/mount_line.h"
#include "lib/bsfilectrl.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = sys::ExpandFileName(ProcessTempDir() + "/paths");
        fs::remove_all(root);
        for (const char* d : {"sub", "sub/deeper", "what?", ".hidden", "back\\slash"}) fs::create_directories(root + "/" + d);
        for (const char* f : {"12:30 clip.mts", "a\\b.txt", "[x]", "plain.txt", "sub/inner.avi"})
            std::ofstream(root + "/" + f) << "x";
        cwd = sys::GetCurrentDir();
    }
    void TearDown() override
    {
        EXPECT_EQ(sys::GetCurrentDir(), cwd);
        sys::SetDriveSourcesForTesting();
    }
    std::string root, cwd;
};
}  // namespace

TEST_F(PathsTest, JoinCutAndFolderTest)
{
    const struct
    {
        const char *path, *name, *joined;
    } joins[] = {{"/a", "b", "/a/b"}, {"/a/", "b", "/a/b"}, {"/", "x", "/x"}, {"/m", "12:30 clip.mts", "/m/12:30 clip.mts"},
                 {"/m", "a\\b", "/m/a\\b"}};
    for (const auto& j : joins) EXPECT_EQ(JoinPath(j.path, j.name), j.joined);

    std::string s = "/a/b/c/";
    std::vector<std::string> steps;
    while (!s.empty())
    {
        CutFirstFolder(s);
        steps.push_back(s);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"/.../b/c/", "/.../c/", "/.../", "/", ""}));
    // A folder that begins with a dot is a folder, not the mark of a cut.
    s = ".cache/x/";
    CutFirstFolder(s);
    EXPECT_EQ(s, ".../x/");
    s = "/";
    CutFirstFolder(s);
    EXPECT_EQ(s, "");

    EXPECT_TRUE(FolderExists(root));
    EXPECT_TRUE(FolderExists(root + "/what?"));
    EXPECT_FALSE(FolderExists(root + "/plain.txt"));
    EXPECT_FALSE(FolderExists("tmp"));   // relative names are never folders
    EXPECT_FALSE(FolderExists(""));
}

TEST_F(PathsTest, ShortenPathToWidth)
{
    TBitmap b(10, 10);
    TCanvas* c = b.Canvas();
    const std::string path = "/home/user/Videos/holiday 2026/12:30 clip.mts";
    EXPECT_EQ(ShortenPathToWidth(path, c, 10000), path);
    EXPECT_EQ(ShortenPathToWidth(path, c, 1), "12:30 clip.mts");
    const int w = c->TextWidth("/.../holiday 2026/12:30 clip.mts");
    EXPECT_EQ(ShortenPathToWidth(path, c, w), "/.../holiday 2026/12:30 clip.mts");
    EXPECT_EQ(ShortenPathToWidth(path, c, w - 1), "/.../12:30 clip.mts");
    EXPECT_EQ(ShortenPathToWidth("/.hidden/deep/x", c, c->TextWidth("/.../deep/x")), "/.../deep/x");
}

TEST_F(PathsTest, SplitEditPathAgainstAFolder)
{
    const struct
    {
        std::string text, folder, file;
    } cases[] = {
        {"sub", root + "/sub", ""},
        {"[sub]", root + "/sub", ""},
        {"[x]", root, "[x]"},   // a file of that very name
        {"*.mts", root, "*.mts"},
        {"sub/*.avi;*.mts", root + "/sub", "*.avi;*.mts"},
        {"12:30 clip.mts", root, "12:30 clip.mts"},
        {"a\\b.txt", root, "a\\b.txt"},
        {"back\\slash", root + "/back\\slash", ""},
        {"what?", root + "/what?", ""},
        {".hidden", root + "/.hidden", ""},
        {root + "/sub/inner.avi", root + "/sub", "inner.avi"},
        {"sub/deeper/..", root + "/sub", ""},
        {"../paths/sub/", root + "/sub", ""},
        {"/", "/", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        char drive = '?';
        std::string folder, file;
        SplitEditPath(c.text, root, drive, folder, file);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(file, c.file);
        EXPECT_EQ(drive, sys::DriveOfPath(folder));
    }
    const struct
    {
        std::string text;
        int code;
    } failures[] = {{"missing", ENOENT}, {"[missing]", ENOENT}, {"nowhere/x.mts", ENOENT}, {"plain.txt/x", ENOTDIR}};
    for (const auto& f : failures)
    {
        SCOPED_TRACE(f.text);
        char drive = 0;
        std::string folder = "unchanged", file;
        try
        {
            SplitEditPath(f.text, root, drive, folder, file);
            ADD_FAILURE() << "no error";
        }
        catch (const EInOutError& e)
        {
            EXPECT_EQ(e.ErrorCode, f.code);
        }
        EXPECT_EQ(folder, "unchanged");
    }
}

TEST_F(PathsTest, VolumeLabelTextsFollowTheLetterCase)
{
    const std::string labels = root + "/labels";
    fs::create_directories(labels);
    fs::create_symlink("../../sdq2", labels + "/Home\\x20Disk");
    sys::SetDriveSourcesForTesting(sys::TDriveSources{MountInfoLine(1, "/", "ext4", "/dev/sdq1") +
                                                          MountInfoLine(2, "/home", "ext4", "/dev/sdq2") +
                                                          MountInfoLine(3, "/mnt/nas", "nfs4", "Server:/Export"),
                                                      labels, ""});
    sys::GetLogicalDrives();
    EXPECT_EQ(GetVolumeLabelText('c'), "[]");
    EXPECT_EQ(GetVolumeLabelText('d'), "[home disk]");
    EXPECT_EQ(GetVolumeLabelText('D'), "[HOME DISK]");
    EXPECT_EQ(GetVolumeLabelText('q'), "[]");   // no such drive
    EXPECT_EQ(GetNetworkVolumeText('e'), "server:/export");
    EXPECT_EQ(GetNetworkVolumeText('E'), "SERVER:/EXPORT");
    EXPECT_EQ(GetNetworkVolumeText('d'), "[home disk]");
}

TEST(MaskListTest, PiecesSeparatedBySemicolons)
{
    const struct
    {
        const char *name, *mask;
        bool match;
    } cases[] = {
        {"README", "*.*", true},  {"a.b.c", "*.*", true},        {".profile", "*.*", true},
        {"clip.MTS", "*.mts", true}, {"clip.avi", "*.mts;*.avi", true}, {"clip.mkv", "*.mts;*.avi", false},
        {"clip.mts", ";", false},  {"clip.mts", "", false},        {"12:30 clip.mts", "12:30*", true},
        {"a\\b.txt", "a\\*", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMaskList(c.name, c.mask), c.match) << c.name << " " << c.mask;
}
