#include "platform/sys/Files.h"

#include "platform/core/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sys
{
namespace {

[[noreturn]] void IoFail(const std::string& what, const std::string& path, int err)
{
    throw EInOutError(what + " \"" + path + "\". " + std::strerror(err), err);
}

mode_t CurrentUmask()
{
    // Read without changing it (umask() itself would race with other threads).
    if (FILE* f = std::fopen("/proc/self/status", "re"))
    {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "Umask:", 6) == 0)
            {
                std::fclose(f);
                return mode_t(std::strtoul(line + 6, nullptr, 8));
            }
        std::fclose(f);
    }
    return 022;
}

bool WriteAll(int fd, const char* p, std::size_t n)
{
    while (n > 0)
    {
        ssize_t w = ::write(fd, p, n);
        if (w < 0)
        {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

} // namespace

std::string ProgramPath()
{
    char buf[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0) return {};
    return std::string(buf, std::size_t(n));
}

std::string ProgramFolder() { return ExtractFilePath(ProgramPath()); }

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DirectoryWritable(const std::string& path)
{
    return DirectoryExists(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool DirectoryReadable(const std::string& path)
{
    return DirectoryExists(path) && ::faccessat(AT_FDCWD, path.c_str(), R_OK | X_OK, AT_EACCESS) == 0;
}

bool FileReadable(const std::string& path)
{
    return !path.empty() && ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

bool CreateDir(const std::string& path) { return !path.empty() && ::mkdir(path.c_str(), 0777) == 0; }
bool RemoveDir(const std::string& path) { return !path.empty() && ::rmdir(path.c_str()) == 0; }

bool ForceDirectories(const std::string& path)
{
    std::string p = ExcludeTrailingPathDelimiter(path);
    if (p.empty()) return DirectoryExists("/") && !path.empty();
    if (DirectoryExists(p)) return true;
    std::string parent = ExtractFileDir(p);
    if (!parent.empty() && parent != p && !ForceDirectories(parent)) return false;
    return ::mkdir(p.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(p));
}

bool DeleteFile(const std::string& path)
{
    return !path.empty() && !DirectoryExists(path) && ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName)
{
    if (oldName.empty() || newName.empty()) return false;
    if (::renameat2(AT_FDCWD, oldName.c_str(), AT_FDCWD, newName.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File system without no-replace renames: check, then rename.
    struct stat st;
    if (::lstat(newName.c_str(), &st) == 0) return false;
    return ::rename(oldName.c_str(), newName.c_str()) == 0;
}

std::int64_t FileAge(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
    return std::int64_t(st.st_mtime);
}

std::int64_t FileSize(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return std::int64_t(st.st_size);
}

std::string GetCurrentDir()
{
    char buf[PATH_MAX + 1];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

bool SetCurrentDir(const std::string& path) { return !path.empty() && ::chdir(path.c_str()) == 0; }

std::string ExpandFileName(const std::string& path)
{
    std::string full = (!path.empty() && path[0] == '/') ? path : IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= full.size())
    {
        std::size_t j = full.find('/', i);
        if (j == std::string::npos) j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") { if (!parts.empty()) parts.pop_back(); }
        else if (!part.empty() && part != ".") parts.push_back(part);
        i = j + 1;
    }
    std::string out;
    for (auto& p : parts) out += "/" + p;
    if (out.empty()) out = "/";
    if (full.size() > 1 && full.back() == '/' && out != "/") out += "/";
    return out;
}

std::string ExtractFilePath(const std::string& path)
{
    std::size_t p = path.rfind('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileDir(const std::string& path)
{
    std::size_t p = path.rfind('/');
    if (p == std::string::npos) return {};
    if (p == 0) return "/";
    return path.substr(0, p);
}

std::string ExtractFileName(const std::string& path)
{
    std::size_t p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext)
{
    std::string e = ExtractFileExt(path);
    return path.substr(0, path.size() - e.size()) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path)
{
    if (!path.empty() && path.back() == '/') return path;
    return path + "/";
}

std::string ExcludeTrailingPathDelimiter(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p == "/") return p;
    return p;
}

namespace {
bool MatchFrom(const std::u32string& n, std::size_t i, const std::u32string& m, std::size_t j)
{
    while (j < m.size())
    {
        char32_t c = m[j];
        if (c == U'*')
        {
            while (j < m.size() && m[j] == U'*') ++j;
            if (j == m.size()) return true;
            for (std::size_t k = i; k <= n.size(); ++k)
                if (MatchFrom(n, k, m, j)) return true;
            return false;
        }
        if (i >= n.size()) return false;
        if (c == U'?')
        {
            ++i;
            ++j;
            continue;
        }
        if (c == U'[')
        {
            std::size_t k = j + 1;
            bool negate = k < m.size() && m[k] == U'!';
            if (negate) ++k;
            bool hit = false;
            bool closed = false;
            for (; k < m.size(); ++k)
            {
                if (m[k] == U']') { closed = true; break; }
                char32_t lo = CharLower(m[k]), hi = lo;
                if (k + 2 < m.size() && m[k + 1] == U'-' && m[k + 2] != U']')
                {
                    hi = CharLower(m[k + 2]);
                    k += 2;
                }
                char32_t x = CharLower(n[i]);
                if (x >= lo && x <= hi) hit = true;
            }
            if (!closed)
            {
                // A "[" without its "]" is a literal.
                if (CharLower(n[i]) != U'[') return false;
                ++i;
                ++j;
                continue;
            }
            if (hit == negate) return false;
            ++i;
            j = k + 1;
            continue;
        }
        if (CharLower(c) != CharLower(n[i])) return false;
        ++i;
        ++j;
    }
    return i == n.size();
}
} // namespace

bool MatchesMask(const std::string& name, const std::string& mask)
{
    if (mask == "*.*" || mask == "*") return true;
    std::u32string n = Utf8ToUtf32(name), m = Utf8ToUtf32(mask);
    // "x.*" also matches "x" (no extension), as masks of the system do.
    if (m.size() >= 2 && m.substr(m.size() - 2) == U".*" && n.find(U'.') == std::u32string::npos &&
        MatchFrom(n, 0, m.substr(0, m.size() - 2), 0))
        return true;
    return MatchFrom(n, 0, m, 0);
}

bool ListDirectory(const std::string& folder, const std::string& mask, std::vector<TSearchRec>& out)
{
    out.clear();
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return false;
    std::string base = IncludeTrailingPathDelimiter(folder.empty() ? "." : folder);
    while (dirent* e = ::readdir(d))
    {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!mask.empty() && !MatchesMask(name, mask)) continue;
        TSearchRec r;
        r.Name = name;
        struct stat st, lst;
        std::string full = base + name;
        bool ok = ::stat(full.c_str(), &st) == 0;
        if (::lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) r.Attr |= faSymLink;
        if (!ok && !(r.Attr & faSymLink)) continue;   // vanished meanwhile
        if (ok)
        {
            if (S_ISDIR(st.st_mode)) r.Attr |= faDirectory;
            else r.Size = std::int64_t(st.st_size);
            r.Time = std::int64_t(st.st_mtime);
            if (::access(full.c_str(), W_OK) != 0) r.Attr |= faReadOnly;
        }
        if (name[0] == '.') r.Attr |= faHidden;
        if (r.Attr == 0) r.Attr = faNormal;
        out.push_back(std::move(r));
    }
    ::closedir(d);
    return true;
}

bool IsSpecialFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

int OpenRegularFile(const std::string& path, int flags, std::string& Why, unsigned mode)
{
    // Non-blocking first, so that a FIFO cannot hold the open; cleared again
    // once the file is known to be a regular one.
    int fd = path.empty() ? -1 : ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode_t(mode));
    struct stat st;
    if (fd < 0)
    {
        int err = path.empty() ? ENOENT : errno;
        // A FIFO opened for writing with no reader fails at once with ENXIO.
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            Why = "Not a regular file", err = EINVAL;
        else
            Why = std::strerror(err);
        errno = err;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        Why = err == EISDIR ? std::strerror(EISDIR) : "Not a regular file";
        errno = err;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string ReadFileToString(const std::string& path)
{
    std::string why;
    int fd = OpenRegularFile(path, O_RDONLY, why);
    if (fd < 0) throw EInOutError("Cannot open file \"" + path + "\". " + why, errno);
    std::string data;
    char buf[65536];
    for (;;)
    {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0)
        {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            IoFail("Cannot read file", path, err);
        }
        if (n == 0) break;
        data.append(buf, std::size_t(n));
    }
    ::close(fd);
    return data;
}

namespace {

// The file a path stands for once symbolic links in its last part are
// followed; a dangling link gives the name it points to. Other paths, and
// loops of links, stay as they are.
std::string FollowLinks(const std::string& path)
{
    std::string cur = path;
    for (int hops = 0; hops < 40; ++hops)
    {
        struct stat st;
        if (::lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return cur;
        std::vector<char> buf(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = ::readlink(cur.c_str(), buf.data(), buf.size());
        if (n <= 0 || std::size_t(n) >= buf.size()) return cur;
        std::string to(buf.data(), std::size_t(n));
        cur = to[0] == '/' ? to : ExtractFilePath(cur) + to;
    }
    return path;
}

// Refuses to replace an existing file that this process may not write (or
// that is no regular file), with the reason a write to it would give.
void CheckWritable(const std::string& target, const std::string& path)
{
    struct stat st;
    if (::stat(target.c_str(), &st) != 0) return;   // a new file: the folder decides
    std::string why;
    int fd = OpenRegularFile(target, O_WRONLY, why);
    if (fd < 0)
    {
        const int err = errno;
        throw EInOutError("Cannot write file \"" + path + "\". " + why, err);
    }
    ::close(fd);
}

} // namespace

void WriteFileAtomic(const std::string& path, const std::string& data)
{
    if (path.empty() || path.back() == '/') IoFail("Cannot write file", path, EINVAL);
    // A link is kept: the file it points to is replaced, in that file's folder.
    const std::string target = FollowLinks(path);
    CheckWritable(target, path);
    std::string dir = ExtractFileDir(target);
    // "." + name + ".tmp-XXXXXX" must fit in a name: a long name is cut.
    std::string base = ExtractFileName(target);
    const std::size_t room = NAME_MAX - std::strlen("..tmp-XXXXXX");
    if (base.size() > room) base.resize(Utf8SafePrefix(base, room));
    std::string tmpl = (dir.empty() ? std::string() : IncludeTrailingPathDelimiter(dir)) + "." + base +
                       ".tmp-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) IoFail("Cannot write file", path, errno);
    std::string tmp(name.data());

    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        IoFail("Cannot write file", path, err);
    };
    struct stat st;
    mode_t mode = (::stat(target.c_str(), &st) == 0) ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0) fail(errno);
    if (!WriteAll(fd, data.data(), data.size())) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0)
    {
        int err = errno;
        ::unlink(tmp.c_str());
        IoFail("Cannot write file", path, err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0)
    {
        int err = errno;
        ::unlink(tmp.c_str());
        IoFail("Cannot write file", path, err);
    }
    // Make the rename itself durable (best effort).
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0)
    {
        ::fsync(dfd);
        ::close(dfd);
    }
}

bool WriteNewFile(const std::string& path, const std::string& data)
{
    if (path.empty() || path.back() == '/') IoFail("Cannot write file", path, EINVAL);
    const std::string dir = ExtractFileDir(path);
    std::string base = ExtractFileName(path);
    const std::size_t room = NAME_MAX - std::strlen("..new-XXXXXX");
    if (base.size() > room) base.resize(Utf8SafePrefix(base, room));
    std::string tmpl = (dir.empty() ? std::string() : IncludeTrailingPathDelimiter(dir)) + "." + base + ".new-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) IoFail("Cannot write file", path, errno);
    const std::string tmp(name.data());
    auto fail = [&](int err) {
        ::unlink(tmp.c_str());
        IoFail("Cannot write file", path, err);
    };
    if (::fchmod(fd, 0666 & ~CurrentUmask()) != 0 || !WriteAll(fd, data.data(), data.size()) || ::fsync(fd) != 0)
    {
        const int err = errno;
        ::close(fd);
        fail(err);
    }
    if (::close(fd) != 0) fail(errno);
    // link() refuses a name that exists, whatever made it.
    const int linked = ::link(tmp.c_str(), path.c_str());
    int err = errno;
    ::unlink(tmp.c_str());
    if (linked == 0) return true;
    if (err == EEXIST) return false;
    if (err != EPERM && err != EOPNOTSUPP) IoFail("Cannot write file", path, err);
    // A file system without hard links: an exclusive create, removed again
    // when the write fails.
    const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
    {
        if (errno == EEXIST) return false;
        IoFail("Cannot write file", path, errno);
    }
    if (!WriteAll(out, data.data(), data.size()) || ::fsync(out) != 0)
    {
        err = errno;
        ::close(out);
        ::unlink(path.c_str());
        IoFail("Cannot write file", path, err);
    }
    if (::close(out) != 0)
    {
        err = errno;
        ::unlink(path.c_str());
        IoFail("Cannot write file", path, err);
    }
    return true;
}

TFileUpdateLock::TFileUpdateLock(const std::string& path)
{
    if (path.empty() || path.back() == '/') IoFail("Cannot write file", path, EINVAL);
    target_ = FollowLinks(path);
    for (;;)
    {
        std::string why;
        created_ = false;
        fd_ = OpenRegularFile(target_, O_WRONLY, why);
        if (fd_ < 0 && errno == ENOENT)
        {
            fd_ = OpenRegularFile(target_, O_WRONLY | O_CREAT | O_EXCL, why, 0666);
            created_ = fd_ >= 0;
            if (fd_ < 0 && errno == EEXIST) continue;   // another writer made it first
        }
        if (fd_ < 0)
        {
            const int err = errno;
            throw EInOutError("Cannot write file \"" + path + "\". " + why, err);
        }
        while (::flock(fd_, LOCK_EX) != 0)
            if (errno != EINTR)
            {
                const int err = errno;
                ::close(fd_);
                IoFail("Cannot lock file", path, err);
            }
        // The holder before may have replaced the file: lock the one that is there now.
        struct stat mine, now;
        if (::fstat(fd_, &mine) == 0 && ::stat(target_.c_str(), &now) == 0 && mine.st_dev == now.st_dev &&
            mine.st_ino == now.st_ino)
            return;
        ::close(fd_);
    }
}

TFileUpdateLock::~TFileUpdateLock()
{
    // An empty file made only to hold the lock goes again when nothing was
    // written over it.
    struct stat mine, now;
    if (created_ && ::fstat(fd_, &mine) == 0 && ::stat(target_.c_str(), &now) == 0 && mine.st_dev == now.st_dev &&
        mine.st_ino == now.st_ino && now.st_size == 0)
        ::unlink(target_.c_str());
    ::close(fd_);
}
}
