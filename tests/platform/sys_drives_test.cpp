#include "temp_dir.h"
#include "platform/sys/Drives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string MountLine(int id, const std::string& mountPoint, const std::string& type, const std::string& source)
{
    return std::to_string(id) + " 1 0:" + std::to_string(id) + " / " + mountPoint + " rw,relatime shared:" +
           std::to_string(id) + " - " + type + " " + source + " rw\n";
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines) s += l;
    return s;
}

// A machine with every kind of mount, in mountinfo order.
const std::vector<std::string> kMounts = {
    MountLine(21, "/proc", "proc", "proc"),
    MountLine(22, "/", "overlay", "overlay"),
    MountLine(23, "/home", "ext4", "/dev/sdq2"),
    MountLine(24, "/sys", "sysfs", "sysfs"),
    MountLine(25, "/dev/shm", "tmpfs", "tmpfs"),
    MountLine(26, "/run", "tmpfs", "tmpfs"),
    MountLine(27, "/run/user/1000", "tmpfs", "tmpfs"),
    "garbage line\n",
    "\n",
    "31 1 0:31 / /nodash rw ext4 /dev/sdq9\n",
    MountLine(32, "/media/user/STICK", "vfat", "/dev/sdr1"),
    MountLine(33, "/mnt/cd", "iso9660", "/dev/sr7"),
    MountLine(34, "/mnt/nas", "nfs4", "server:/export"),
    MountLine(35, "/tmp", "tmpfs", "tmpfs"),
    MountLine(36, "/mnt/my\\040disk", "ext4", "/dev/sdq3"),
    MountLine(37, "/data", "ext4", "/dev/sdq4"),
    MountLine(38, "/mnt/usb", "ext4", "/dev/sds1"),
    MountLine(39, "/run/media/user/PEN", "exfat", "/dev/sdt1"),
    MountLine(40, "/snap/core/123", "squashfs", "/dev/loop3"),
    MountLine(41, "/var/lib/docker/overlay2/x/merged", "overlay", "overlay"),
    MountLine(42, "/mnt/smb", "cifs", "//srv/share"),
    MountLine(43, "/sys/fs/cgroup", "cgroup2", "cgroup2"),
    MountLine(44, "/data", "xfs", "/dev/sdq5"),
    MountLine(45, "/mnt/old", "msdos", "/dev/sdq6"),
    MountLine(46, "/mnt/elsewhere", "overlay", "overlay"),
};

class DrivesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const fs::path base = fs::path(ProcessTempDir()) / "drives";
        fs::remove_all(base);
        const fs::path labels = base / "by-label";
        const fs::path block = base / "block";
        fs::create_directories(labels);
        fs::create_directories(block / "sds" / "sds1");
        fs::create_directories(block / "sdq2");
        std::ofstream(block / "sds" / "removable") << "1\n";
        std::ofstream(block / "sdq2" / "removable") << "0\n";
        fs::create_symlink("sds/sds1", block / "sds1");
        fs::create_symlink("../../sdr1", labels / "My\\x20Stick");
        fs::create_symlink("../../sdq2", labels / "HOME");
        fs::create_symlink("../../sr7", labels / "DVD_2024");
        fs::create_symlink("../../sdq4", labels / "HIDDEN_OLD");
        sys::SetDriveSourcesForTesting(sys::TDriveSources{Join(kMounts), labels.string(), block.string()});
    }
    void TearDown() override { sys::SetDriveSourcesForTesting(); }
};

TEST_F(DrivesTest, EveryBrowsableMountIsADriveWithTypeLabelAndCaseRules)
{
    constexpr std::uint32_t cs = FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED, cp = FS_CASE_IS_PRESERVED;
    struct Row { char letter; const char* root; unsigned type; std::uint32_t flags; const char* label; const char* fsType; };
    const Row rows[] = {
        {'c', "/", DRIVE_FIXED, cs, "", "overlay"},
        {'d', "/home", DRIVE_FIXED, cs, "HOME", "ext4"},
        {'e', "/media/user/STICK", DRIVE_REMOVABLE, cp, "My Stick", "vfat"},
        {'f', "/mnt/cd", DRIVE_CDROM, cp, "DVD_2024", "iso9660"},
        {'g', "/mnt/nas", DRIVE_REMOTE, cs, "", "nfs4"},
        {'h', "/tmp", DRIVE_RAMDISK, cs, "", "tmpfs"},
        {'i', "/mnt/my disk", DRIVE_FIXED, cs, "", "ext4"},
        {'j', "/data", DRIVE_FIXED, cs, "", "xfs"},  // the second mount hides the first (and its label)
        {'k', "/mnt/usb", DRIVE_REMOVABLE, cs, "", "ext4"},  // the parent disk is flagged removable
        {'l', "/run/media/user/PEN", DRIVE_REMOVABLE, cp, "", "exfat"},
        {'m', "/mnt/smb", DRIVE_REMOTE, cp, "", "cifs"},
        {'n', "/mnt/old", DRIVE_FIXED, 0, "", "msdos"},
    };
    std::uint32_t mask = 0;
    for (const auto& r : rows)
    {
        SCOPED_TRACE(std::string(1, r.letter));
        mask |= 1u << (r.letter - 'a');
        const std::string root = std::string(1, r.letter) + ":\\";
        EXPECT_EQ(sys::GetDriveTypeW(root), r.type);
        EXPECT_EQ(sys::DriveRootPath(r.letter), r.root);
        EXPECT_EQ(sys::DriveOfPath(r.root), r.letter);
        std::string label = "stale", type;
        std::uint32_t flags = 99;
        ASSERT_TRUE(sys::GetVolumeInformationW(root, label, flags, &type));
        EXPECT_EQ(label, r.label);
        EXPECT_EQ(flags, r.flags);
        EXPECT_EQ(type, r.fsType);
    }
    EXPECT_EQ(sys::GetLogicalDrives(), mask);
}

TEST_F(DrivesTest, RootArgumentForms)
{
    const struct { const char* root; unsigned type; } rows[] = {
        {"c:\\", DRIVE_FIXED}, {"c:/", DRIVE_FIXED}, {"C:", DRIVE_FIXED}, {"E:\\", DRIVE_REMOVABLE},
        {"/home/x/y", DRIVE_FIXED}, {"/mnt/cd/", DRIVE_CDROM}, {"/home/../tmp/x", DRIVE_RAMDISK},
        {"/mnt/my disk/a", DRIVE_FIXED}, {"/proc/1", DRIVE_FIXED},
        {"", DRIVE_NO_ROOT_DIR}, {"home", DRIVE_NO_ROOT_DIR}, {"c", DRIVE_NO_ROOT_DIR},
        {"q:\\", DRIVE_NO_ROOT_DIR}, {"a:", DRIVE_NO_ROOT_DIR}, {"c:\\windows", DRIVE_NO_ROOT_DIR},
    };
    for (const auto& r : rows)
        EXPECT_EQ(sys::GetDriveTypeW(r.root), r.type) << r.root;

    const struct { const char* path; char letter; } paths[] = {
        {"/home/x/y", 'd'}, {"/home", 'd'}, {"/homework", 'c'}, {"/mnt/my disk/a", 'i'},
        {"/mnt/cd/../nas/f", 'g'}, {"/media/user/STICK/DCIM", 'e'}, {"/etc", 'c'},
        {"/dev/shm/x", 'c'}, {"relative/x", 0}, {"", 0},
    };
    for (const auto& p : paths)
        EXPECT_EQ(sys::DriveOfPath(p.path), p.letter) << p.path;
}

TEST_F(DrivesTest, UnknownLetterHasNoVolumeAndNoConnection)
{
    std::string label = "kept", remote = "kept";
    std::uint32_t flags = 7;
    EXPECT_FALSE(sys::GetVolumeInformationW("q:\\", label, flags));
    EXPECT_FALSE(sys::GetVolumeInformationW("", label, flags));
    EXPECT_FALSE(sys::GetVolumeInformationW("x", label, flags));
    EXPECT_EQ(sys::DriveRootPath('q'), "");
    EXPECT_EQ(sys::DriveRootPath('a'), "");
    EXPECT_EQ(sys::DriveRootPath('?'), "");
    EXPECT_FALSE(sys::WNetGetConnectionW("Q:", remote));
    EXPECT_EQ(remote, "kept");
}

TEST_F(DrivesTest, NetworkConnectionsAreTheMountSourcesOfRemoteDrives)
{
    const struct { const char* name; bool ok; const char* remote; } rows[] = {
        {"G:", true, "server:/export"}, {"m:", true, "//srv/share"},
        {"D:", false, ""}, {"C:", false, ""}, {"/mnt/nas", false, ""}, {"", false, ""},
    };
    for (const auto& r : rows)
    {
        std::string remote;
        EXPECT_EQ(sys::WNetGetConnectionW(r.name, remote), r.ok) << r.name;
        EXPECT_EQ(remote, r.remote) << r.name;
    }
}

TEST(Drives, MountsBeyondZAreLeftOutAndRootIsAlwaysC)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= 30; ++i) lines.push_back(MountLine(i, "/m/" + std::to_string(i), "ext4", "/dev/sdz"));
    sys::SetDriveSourcesForTesting(sys::TDriveSources{Join(lines), "", ""});  // "/" is not listed at all
    EXPECT_EQ(sys::GetLogicalDrives(), 0x03FFFFFCu);
    EXPECT_EQ(sys::DriveRootPath('c'), "/");
    EXPECT_EQ(sys::DriveRootPath('d'), "/m/1");
    EXPECT_EQ(sys::DriveRootPath('z'), "/m/23");
    EXPECT_EQ(sys::DriveOfPath("/m/24/x"), 'c');
    std::string label;
    std::uint32_t flags = 0;
    EXPECT_TRUE(sys::GetVolumeInformationW("c:\\", label, flags));
    EXPECT_EQ(flags, FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED);
    sys::SetDriveSourcesForTesting();
}

TEST(Drives, SetErrorModeReturnsThePreviousMode)
{
    const unsigned old = sys::SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(sys::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), SEM_FAILCRITICALERRORS);
    EXPECT_EQ(sys::SetErrorMode(old), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

TEST(Drives, LiveMachineHasDriveC)
{
    sys::SetDriveSourcesForTesting();
    EXPECT_TRUE(sys::GetLogicalDrives() & (1u << 2));
    EXPECT_NE(sys::GetDriveTypeW("/"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(sys::DriveOfPath("/"), 'c');
    EXPECT_EQ(sys::DriveRootPath('c'), "/");
}

} // namespace
