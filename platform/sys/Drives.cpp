#include "platform/sys/Drives.h"

#include "platform/sys/Files.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace sys
{
namespace {

const char* const kPseudoFs[] = {
    "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
    "tracefs", "mqueue", "hugetlbfs", "pstore", "bpf", "configfs", "fusectl", "binfmt_misc",
    "autofs", "efivarfs", "nsfs", "overlay", "squashfs", "rpc_pipefs", "selinuxfs", "nfsd",
    "fuse.lxcfs", "fuse.snapfuse", "fuse.portal", "fuse.gvfsd-fuse",
};
const char* const kHiddenTrees[] = {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"};
const char* const kRemoteFs[] = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "davfs",
};

template <std::size_t N>
bool OneOf(const std::string& s, const char* const (&list)[N])
{
    for (const char* e : list)
        if (s == e) return true;
    return false;
}

// path equals dir or lies below it
bool Under(const std::string& path, const std::string& dir)
{
    return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                           path[dir.size()] == '/');
}

// mountinfo escapes space, tab, newline and backslash as "\ooo"
std::string DecodeOctal(const std::string& s)
{
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && octal(s[i + 2]) &&
            octal(s[i + 3]))
        {
            out += char((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        }
        else
            out += s[i];
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// udev escapes bytes of label link names as "\xNN"
std::string DecodeHex(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && HexDigit(s[i + 2]) >= 0 &&
            HexDigit(s[i + 3]) >= 0)
        {
            out += char(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3]));
            i += 3;
        }
        else
            out += s[i];
    }
    return out;
}

std::string BaseName(const std::string& path)
{
    const std::size_t p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

// Kernel name of the device behind a "/dev/…" source ("sdb1"); "" for others.
std::string DeviceName(const std::string& source)
{
    if (source.compare(0, 5, "/dev/") != 0) return {};
    char buf[PATH_MAX];
    if (::realpath(source.c_str(), buf)) return BaseName(buf);
    return BaseName(source);
}

std::string ReadSmallFile(const std::string& path)
{
    std::ifstream f(path);
    std::string s;
    std::getline(f, s);
    return s;
}

// The device's own flag, else its parent disk's (the partition folder lies
// inside the disk's folder once the class link is resolved).
bool RemovableBlockDevice(const std::string& sysBlockDir, const std::string& dev)
{
    if (sysBlockDir.empty() || dev.empty()) return false;
    const std::string dir = sysBlockDir + "/" + dev;
    if (ReadSmallFile(dir + "/removable") == "1") return true;
    char buf[PATH_MAX];
    if (!::realpath(dir.c_str(), buf)) return false;
    const std::string real = buf;
    const std::size_t p = real.rfind('/');
    return p != std::string::npos && p > 0 && ReadSmallFile(real.substr(0, p) + "/removable") == "1";
}

unsigned TypeOf(const TDriveInfo& d, const std::string& sysBlockDir)
{
    if (d.FsType == "iso9660" || d.FsType == "udf") return DRIVE_CDROM;
    if (OneOf(d.FsType, kRemoteFs)) return DRIVE_REMOTE;
    if (d.FsType == "tmpfs" || d.FsType == "ramfs") return DRIVE_RAMDISK;
    if (Under(d.Root, "/media") || Under(d.Root, "/run/media")) return DRIVE_REMOVABLE;
    if (RemovableBlockDevice(sysBlockDir, DeviceName(d.Source))) return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

bool Browsable(const TDriveInfo& d)
{
    if (d.Root == "/") return true;
    if (OneOf(d.FsType, kPseudoFs)) return false;
    if (Under(d.Root, "/run/media") && d.Root != "/run/media") return true;
    for (const char* t : kHiddenTrees)
        if (Under(d.Root, t)) return false;
    return true;
}

std::mutex gMutex;
std::optional<TDriveSources> gFake;
std::optional<TDriveTable> gTable;
std::atomic<unsigned> gErrorMode{0};

TDriveSources CurrentSources()
{
    return gFake ? *gFake : TDriveTable::LiveSources();
}

// Copy of the table last read (read now when there is none yet).
TDriveTable Table(bool refresh)
{
    std::lock_guard lock(gMutex);
    if (refresh || !gTable) gTable.emplace(CurrentSources());
    return *gTable;
}

} // namespace

TDriveTable::TDriveTable(const TDriveSources& sources) : byLabelDir_(sources.ByLabelDir)
{
    std::vector<TDriveInfo> mounts;
    std::istringstream in(sources.MountInfo);
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream ls(line);
        std::vector<std::string> f;
        for (std::string w; ls >> w;) f.push_back(w);
        // id parent major:minor root mount-point options [optional…] - type source super-options
        std::size_t sep = 6;
        while (sep < f.size() && f[sep] != "-") ++sep;
        if (f.size() < 5 || sep + 2 >= f.size()) continue;
        TDriveInfo d;
        d.Root = DecodeOctal(f[4]);
        d.FsType = f[sep + 1];
        d.Source = DecodeOctal(f[sep + 2]);
        if (d.Root.empty() || d.Root[0] != '/') continue;
        auto same = std::find_if(mounts.begin(), mounts.end(), [&](const TDriveInfo& m) { return m.Root == d.Root; });
        if (same != mounts.end()) *same = d;
        else mounts.push_back(d);
    }

    TDriveInfo root;
    root.Root = "/";
    for (const auto& m : mounts)
        if (m.Root == "/") root = m;
    root.Letter = 'c';
    root.Type = TypeOf(root, sources.SysBlockDir);
    drives_.push_back(root);

    char next = 'd';
    for (auto& m : mounts)
    {
        if (next > 'z') break;
        if (m.Root == "/" || !Browsable(m)) continue;
        m.Letter = next++;
        m.Type = TypeOf(m, sources.SysBlockDir);
        drives_.push_back(m);
    }
}

TDriveSources TDriveTable::LiveSources()
{
    TDriveSources s;
    std::ifstream f("/proc/self/mountinfo");
    std::ostringstream text;
    text << f.rdbuf();
    s.MountInfo = text.str();
    s.ByLabelDir = "/dev/disk/by-label";
    s.SysBlockDir = "/sys/class/block";
    return s;
}

std::uint32_t TDriveTable::Mask() const
{
    std::uint32_t mask = 0;
    for (const auto& d : drives_) mask |= 1u << (d.Letter - 'a');
    return mask;
}

const TDriveInfo* TDriveTable::FindLetter(char letter) const
{
    if (letter >= 'A' && letter <= 'Z') letter = char(letter - 'A' + 'a');
    for (const auto& d : drives_)
        if (d.Letter == letter) return &d;
    return nullptr;
}

const TDriveInfo* TDriveTable::FindPath(const std::string& path) const
{
    if (path.empty() || path[0] != '/') return nullptr;
    std::string p = ExpandFileName(path);
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    const TDriveInfo* best = nullptr;
    for (const auto& d : drives_)
        if ((d.Root == "/" || Under(p, d.Root)) && (!best || d.Root.size() > best->Root.size())) best = &d;
    return best;
}

const TDriveInfo* TDriveTable::FindRoot(const std::string& root) const
{
    if (root.size() >= 2 && root.size() <= 3 && root[1] == ':' &&
        (root.size() == 2 || root[2] == '\\' || root[2] == '/'))
        return FindLetter(root[0]);
    return FindPath(root);
}

std::string TDriveTable::Label(const TDriveInfo& drive) const
{
    if (drive.Type == DRIVE_REMOTE || byLabelDir_.empty()) return {};
    const std::string dev = DeviceName(drive.Source);
    if (dev.empty()) return {};
    std::string label;
    if (DIR* dir = ::opendir(byLabelDir_.c_str()))
    {
        while (const dirent* e = ::readdir(dir))
        {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            char buf[PATH_MAX];
            const ssize_t n = ::readlink((byLabelDir_ + "/" + name).c_str(), buf, sizeof buf - 1);
            if (n <= 0) continue;
            if (BaseName(std::string(buf, std::size_t(n))) == dev)
            {
                label = DecodeHex(name);
                break;
            }
        }
        ::closedir(dir);
    }
    return label;
}

std::uint32_t CaseFlagsOfFileSystem(const std::string& fsType)
{
    static const char* const insensitive[] = {"vfat", "exfat", "ntfs", "ntfs3", "fuseblk",
                                              "iso9660", "udf", "cifs", "smb3", "smbfs"};
    if (fsType == "msdos") return 0;
    if (OneOf(fsType, insensitive)) return FS_CASE_IS_PRESERVED;
    return FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED;
}

std::uint32_t GetLogicalDrives()
{
    return Table(true).Mask();
}

unsigned GetDriveTypeW(const std::string& root)
{
    const TDriveTable t = Table(false);
    const TDriveInfo* d = t.FindRoot(root);
    return d ? d->Type : DRIVE_NO_ROOT_DIR;
}

bool GetVolumeInformationW(const std::string& root, std::string& label, std::uint32_t& fsFlags, std::string* fsType)
{
    const TDriveTable t = Table(false);
    const TDriveInfo* d = t.FindRoot(root);
    if (!d) return false;
    label = t.Label(*d);
    fsFlags = CaseFlagsOfFileSystem(d->FsType);
    if (fsType) *fsType = d->FsType;
    return true;
}

bool WNetGetConnectionW(const std::string& localName, std::string& remote)
{
    if (localName.empty() || localName[0] == '/') return false;
    const TDriveTable t = Table(false);
    const TDriveInfo* d = t.FindRoot(localName);
    if (!d || d->Type != DRIVE_REMOTE) return false;
    remote = d->Source;
    return true;
}

unsigned SetErrorMode(unsigned mode)
{
    return gErrorMode.exchange(mode);
}

std::string DriveRootPath(char letter)
{
    const TDriveTable t = Table(false);
    const TDriveInfo* d = t.FindLetter(letter);
    return d ? d->Root : std::string();
}

char DriveOfPath(const std::string& path)
{
    const TDriveTable t = Table(false);
    const TDriveInfo* d = t.FindPath(path);
    return d ? d->Letter : 0;
}

void SetDriveSourcesForTesting(std::optional<TDriveSources> sources)
{
    std::lock_guard lock(gMutex);
    gFake = std::move(sources);
    gTable.reset();
}
}
