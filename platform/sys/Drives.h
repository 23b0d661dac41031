// Drives and volumes under their Windows names, mapped onto Linux mounts.
//
// Linux has no drive letters, so the drives are the mounted file systems a user
// would browse, read from /proc/self/mountinfo:
// - "/" is always drive "c" (even when it is a container's overlay);
// - the other mounts get "d", "e", … "z" in mountinfo order; further mounts are
//   left out. A mount point listed twice keeps its first letter and its last
//   entry (the later mount hides the earlier one).
// - left out: pseudo and system file systems (proc, sysfs, cgroup, overlay
//   other than "/", squashfs …) and mounts under /proc, /sys, /dev, /run
//   (except /run/media), /snap and /var/lib/docker.
// Types: iso9660/udf CD-ROM; nfs, cifs, sshfs, 9p … remote; tmpfs/ramfs RAM
// disk; a block device the kernel marks removable, or a mount under /media or
// /run/media, removable; the rest fixed.
// Labels come from the udev links in /dev/disk/by-label; remote drives are
// never looked at beyond their mountinfo line, so a dead network mount cannot
// block a query. Case rules: FAT, exFAT, NTFS, ISO 9660, UDF and SMB shares
// preserve case but ignore it (msdos does neither); the rest are sensitive.
//
// A root argument is "c:\", "c:/" or "c:" (any case) or an absolute path, which
// names the drive holding it (longest matching mount point, compared as text).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr unsigned DRIVE_UNKNOWN = 0;
constexpr unsigned DRIVE_NO_ROOT_DIR = 1;
constexpr unsigned DRIVE_REMOVABLE = 2;
constexpr unsigned DRIVE_FIXED = 3;
constexpr unsigned DRIVE_REMOTE = 4;
constexpr unsigned DRIVE_CDROM = 5;
constexpr unsigned DRIVE_RAMDISK = 6;

constexpr std::uint32_t FS_CASE_SENSITIVE = 1;
constexpr std::uint32_t FS_CASE_IS_PRESERVED = 2;

// Buffer length of path names in the Windows calls (in characters).
constexpr int MAX_PATH = 260;

constexpr unsigned SEM_FAILCRITICALERRORS = 0x0001;
constexpr unsigned SEM_NOOPENFILEERRORBOX = 0x8000;

namespace sys
{
struct TDriveInfo
{
    char Letter = 0;        // 'c' … 'z'
    std::string Root;       // mount point, "/" or without a trailing "/"
    std::string Source;     // mount source as listed ("/dev/sdb1", "srv:/x" …)
    std::string FsType;     // "ext4", "vfat" …
    unsigned Type = DRIVE_UNKNOWN;
};

// Where the drive table is read from.
struct TDriveSources
{
    std::string MountInfo;    // text in /proc/self/mountinfo format
    std::string ByLabelDir;   // folder of label links ("" = no labels)
    std::string SysBlockDir;  // folder like /sys/class/block ("" = none removable by flag)
};

class TDriveTable
{
public:
    // Builds the table from the sources; the sysfs folder is read here, the
    // label folder only by Label.
    explicit TDriveTable(const TDriveSources& sources);
    // The machine's own sources.
    static TDriveSources LiveSources();

    const std::vector<TDriveInfo>& Drives() const { return drives_; }
    // Bit i set when drive "a" + i exists.
    std::uint32_t Mask() const;
    // Any case; nullptr when the letter is not a drive.
    const TDriveInfo* FindLetter(char letter) const;
    // Drive holding an absolute path; nullptr for a relative or empty one.
    const TDriveInfo* FindPath(const std::string& path) const;
    // A root argument as the calls take it (see above); nullptr when unknown.
    const TDriveInfo* FindRoot(const std::string& root) const;
    // Volume label from the label folder; "" when none (and always for remote drives).
    std::string Label(const TDriveInfo& drive) const;

private:
    std::vector<TDriveInfo> drives_;
    std::string byLabelDir_;
};

// FS_CASE_* flags of a Linux file-system type.
std::uint32_t CaseFlagsOfFileSystem(const std::string& fsType);

// Bit mask of the present drives (bit 0 = "a"). Re-reads the mount table, so
// a newly mounted medium appears; the other calls use the table last read.
std::uint32_t GetLogicalDrives();
// DRIVE_* of the drive named by the root; DRIVE_NO_ROOT_DIR when there is none.
unsigned GetDriveTypeW(const std::string& root);
// Label ("" when none) and FS_CASE_* flags of the drive named by the root;
// false when there is no such drive. fsType receives the Linux type name.
bool GetVolumeInformationW(const std::string& root, std::string& label, std::uint32_t& fsFlags,
                           std::string* fsType = nullptr);
// The mount source of a remote drive named "X:"; false for other drives.
bool WNetGetConnectionW(const std::string& localName, std::string& remote);
// Sets the process's error mode and returns the previous one. Linux shows no
// system error boxes, so the mode is only kept.
unsigned SetErrorMode(unsigned mode);

// Mount point of a drive letter (any case); "" when the letter is not a drive.
std::string DriveRootPath(char letter);
// Lower-case letter of the drive holding an absolute path; 0 when none.
char DriveOfPath(const std::string& path);

// Replaces the machine's sources with the given ones; a call without
// sources restores them. Either way the table is read again on next use.
void SetDriveSourcesForTesting(std::optional<TDriveSources> sources = std::nullopt);
}
