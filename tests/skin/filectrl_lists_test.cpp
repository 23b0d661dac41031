// What the file controls list, on a temporary tree with a dot-file, a
// symbolic link, an unreadable folder, names with ":", "\", "?", spaces and
// invalid UTF-8, and a FIFO (listed, never opened): the file rows by mask and
// attributes, the folder rows with their indents and paths, the drive rows,
// the filter entries. The current directory stays where it was.
#include "common/unprivileged.h"
#include "common/mount_line.h"
#include "lib/bsfilectrl.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

namespace
{
const std::string kBadUtf8 = "bad\xff\xfe.mts";

class ListsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = sys::ExpandFileName(ProcessTempDir() + "/lists");
        fs::remove_all(root);
        MakeSharedFolder(root);
        for (const char* d : {"Sub", "sub2", ".config", "locked", "x:y"}) MakeSharedFolder(root + "/" + d);
        for (const std::string& f : std::vector<std::string>{"12:30 clip.mts", "a\\b.txt", "what?.avi", "with space.MTS", ".profile", kBadUtf8,
                              "ro.txt"})
        {
            std::ofstream(root + "/" + f) << "x";
            ::chmod((root + "/" + f).c_str(), 0666);   // writable for the unprivileged user too
        }
        ::chmod((root + "/ro.txt").c_str(), 0444);
        ::chmod((root + "/locked").c_str(), 0);
        fs::create_symlink("Sub", root + "/link");
        ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0666), 0);
        ::chmod((root + "/pipe").c_str(), 0666);
        cwd = sys::GetCurrentDir();
    }
    void TearDown() override
    {
        EXPECT_EQ(sys::GetCurrentDir(), cwd);
        ::chmod((root + "/locked").c_str(), 0755);
    }
    std::string root, cwd;
};
}  // namespace

TEST_F(ListsTest, FileRowsByMaskAndAttributes)
{
    const struct
    {
        const char* name;
        std::string mask;
        TbsFileType type;
        Rows rows;
    } cases[] = {
        {"defaults: every file that is not hidden, sorted", "*.*", {bsftNormal},
         {"12:30 clip.mts", "a\\b.txt", kBadUtf8, "pipe", "ro.txt", "what?.avi", "with space.MTS"}},
        {"folders too, with . and ..", "*", {bsftNormal, bsftDirectory},
         {"12:30 clip.mts", "[..]", "[.]", "[link]", "[locked]", "[sub2]", "[Sub]", "[x:y]", "a\\b.txt", kBadUtf8,
          "pipe", "ro.txt", "what?.avi", "with space.MTS"}},
        {"hidden only", "*", {bsftHidden}, {".profile"}},
        {"normal and hidden", "*.*", {bsftNormal, bsftHidden},
         {".profile", "12:30 clip.mts", "a\\b.txt", kBadUtf8, "pipe", "ro.txt", "what?.avi", "with space.MTS"}},
        {"nothing asked for", "*.*", {}, {}},
        {"two patterns, case ignored; a name matching both once", "*.mts;*.MTS;*.avi", {bsftNormal},
         {"12:30 clip.mts", kBadUtf8, "what?.avi", "with space.MTS"}},
        {"a colon is a name character", "12:30*", {bsftNormal}, {"12:30 clip.mts"}},
        {"empty pieces add nothing", ";;", {bsftNormal}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bsReadFileRows(root, c.mask, c.type), c.rows);
    }
    // A drive's root lists no "." and "..".
    for (const std::string& row : bsReadFileRows("/", "*", {bsftDirectory})) EXPECT_NE(row.substr(0, 2), "[.");
    EXPECT_THROW(bsReadFileRows(root + "/missing", "*.*", {bsftNormal}), EInOutError);
}

TEST_F(ListsTest, ReadOnlyFilesAndUnreadableFoldersAsAnOrdinaryUser)
{
    const std::string r = root;
    const int rc = AsUnprivilegedUser(root, [r] {
        if (bsReadFileRows(r, "*.*", {bsftReadOnly}) != Rows{"ro.txt"}) return 1;
        try
        {
            bsReadFileRows(r + "/locked", "*.*", {bsftNormal});
            return 2;
        }
        catch (const EInOutError& e)
        {
            if (e.ErrorCode != EACCES) return 3;
        }
        // An unreadable folder has no subfolders to show, and no error.
        std::vector<std::string> names;
        return ReadSubfolderNames(r + "/locked", names) == 0 ? 0 : 4;
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(ListsTest, FolderRowsIndentsAndPaths)
{
    const std::string dir = root + "/Sub";
    fs::create_directories(dir + "/b");
    fs::create_directories(dir + "/A");
    fs::create_directories(dir + "/.git");
    const std::vector<TbsFolderRow> rows = bsReadFolderRows(dir);
    // "/", the levels of the temporary folder, "lists", "Sub", then the subfolders.
    std::vector<std::string> levels;
    for (std::size_t i = 1; i < dir.size();)
    {
        std::size_t j = dir.find('/', i);
        if (j == std::string::npos) j = dir.size();
        levels.push_back(dir.substr(i, j - i));
        i = j + 1;
    }
    ASSERT_EQ(rows.size(), levels.size() + 3);
    EXPECT_EQ(rows[0].Text, "/");
    const std::size_t cur = levels.size();
    for (std::size_t i = 0; i <= cur; ++i)
    {
        EXPECT_EQ(rows[i].Indent, int(i) * 4 + 2) << i;
        EXPECT_EQ(rows[i].Kind, i == cur ? TbsFolderRowKind::Current : TbsFolderRowKind::Open) << i;
        if (i) { EXPECT_EQ(rows[i].Text, levels[i - 1]); }
    }
    EXPECT_EQ(rows[cur + 1].Text, "A");
    EXPECT_EQ(rows[cur + 2].Text, "b");
    EXPECT_EQ(rows[cur + 1].Indent, int(cur + 1) * 4 + 2);
    EXPECT_EQ(rows[cur + 2].Kind, TbsFolderRowKind::Closed);

    EXPECT_EQ(bsFolderRowPath(dir, rows, 0), "/");
    EXPECT_EQ(bsFolderRowPath(dir, rows, 1), "/" + levels[0]);
    EXPECT_EQ(bsFolderRowPath(dir, rows, int(cur) - 1), root);
    EXPECT_EQ(bsFolderRowPath(dir, rows, int(cur)), dir);
    EXPECT_EQ(bsFolderRowPath(dir, rows, int(cur) + 2), dir + "/b");
    EXPECT_EQ(bsFolderRowPath(dir, rows, int(rows.size())), "");

    // The root alone: one current row, subfolders one level deeper.
    const std::vector<TbsFolderRow> top = bsReadFolderRows("/");
    ASSERT_GE(top.size(), 2u);
    EXPECT_EQ(top[0].Text, "/");
    EXPECT_EQ(top[0].Kind, TbsFolderRowKind::Current);
    EXPECT_EQ(top[0].Indent, 2);
    EXPECT_EQ(top[1].Indent, 6);
    EXPECT_EQ(bsFolderRowPath("/", top, 1), "/" + top[1].Text);

    // Subfolders of the tree: not hidden, the link to a folder counts, sorted ignoring case.
    std::vector<TbsFolderRow> own = bsReadFolderRows(root);
    std::vector<std::string> subs;
    for (const auto& r : own)
        if (r.Kind == TbsFolderRowKind::Closed) subs.push_back(r.Text);
    EXPECT_EQ(subs, (std::vector<std::string>{"link", "locked", "Sub", "sub2", "x:y"}));
}

TEST(DriveRowsTest, TextsAndTypesInLetterOrder)
{
    sys::SetDriveSourcesForTesting(sys::TDriveSources{MountInfoLine(1, "/", "ext4", "/dev/sda1") +
                                                          MountInfoLine(2, "/media/u/STICK", "vfat", "/dev/sdb1") +
                                                          MountInfoLine(3, "/mnt/nas", "nfs4", "nas:/Video") +
                                                          MountInfoLine(4, "/mnt/dvd", "iso9660", "/dev/sr0") +
                                                          MountInfoLine(5, "/tmp", "tmpfs", "tmpfs"),
                                                      "", ""});
    std::vector<std::pair<std::string, unsigned>> got;
    for (const auto& i : bsReadDriveItems(tcLowerCase)) got.emplace_back(i.Text, i.Type);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, unsigned>>{{"c: []", DRIVE_FIXED},
                                                                   {"d:", DRIVE_REMOVABLE},
                                                                   {"e: nas:/video", DRIVE_REMOTE},
                                                                   {"f: []", DRIVE_CDROM},
                                                                   {"g: []", DRIVE_RAMDISK}}));
    EXPECT_EQ(bsReadDriveItems(tcUpperCase)[2].Text, "E: NAS:/VIDEO");
    sys::SetDriveSourcesForTesting();
}

TEST(FilterTest, DescriptionsAndMasks)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const struct
    {
        std::string filter;
        Pairs entries;
    } cases[] = {
        {"All files (*.*)|*.*", {{"All files (*.*)", "*.*"}}},
        {"Video|*.mts;*.avi|Audio|*.mp3", {{"Video", "*.mts;*.avi"}, {"Audio", "*.mp3"}}},
        {"Video|*.mts|Dropped", {{"Video", "*.mts"}}},
        {"Video|*.mts|Empty|", {{"Video", "*.mts"}, {"Empty", ""}}},
        {" Spaced | *.a ", {{" Spaced ", " *.a "}}},
        {"", {}},
        {"no bar at all", {}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> d, m;
        bsParseFilter(c.filter, d, m);
        ASSERT_EQ(d.size(), m.size()) << c.filter;
        Pairs got;
        for (std::size_t i = 0; i < d.size(); ++i) got.emplace_back(d[i], m[i]);
        EXPECT_EQ(got, c.entries) << c.filter;
    }
}
