// The verbs of shell items: open with the desktop's application, delete to
// the freedesktop trash, properties.
#include "platform/core/Utf8.h"
#include "platform/shell/Internal.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "platform/sys/UserFolders.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell
{
namespace {

// A path as the Path= key of a .trashinfo file wants it: percent-encoded
// except the unreserved characters and "/".
std::string EncodeTrashPath(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path)
    {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~' || c == '/')
            out += char(c);
        else
        {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size())
    {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace

bool MoveToTrash(const std::string& path)
{
    struct stat st, trashSt;
    if (path.empty() || path[0] != '/' || ::lstat(path.c_str(), &st) != 0) return false;
    std::string trash = sys::SpecialFolder(sys::sfDataHome) + "/Trash";
    std::string files = trash + "/files", info = trash + "/info";
    if (!sys::ForceDirectories(files) || !sys::ForceDirectories(info)) return false;
    ::chmod(trash.c_str(), 0700);
    // Only a move within one file system; a copy across volumes is not a trash move.
    if (::stat(files.c_str(), &trashSt) != 0 || trashSt.st_dev != st.st_dev) return false;

    std::string name = sys::ExtractFileName(sys::ExcludeTrailingPathDelimiter(path));
    if (name.empty() || trash.rfind(path + "/", 0) == 0 || trash == path) return false;
    std::string base = sys::ChangeFileExt(name, ""), ext = sys::ExtractFileExt(name);
    if (base.empty()) { base = name; ext.clear(); }
    for (int n = 1; n < 10000; ++n)
    {
        std::string candidate = n == 1 ? name : base + "." + IntToStr(n) + ext;
        std::string infoPath = info + "/" + candidate + ".trashinfo";
        // The .trashinfo file is made first and exclusively: it reserves the name.
        int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
        {
            if (errno == EEXIST) continue;
            return false;
        }
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        ::localtime_r(&now, &tm);
        char date[32];
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &tm);
        std::string text = "[Trash Info]\nPath=" + EncodeTrashPath(path) + "\nDeletionDate=" + date + "\n";
        bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
        written = ::close(fd) == 0 && written;
        if (!written)
        {
            ::unlink(infoPath.c_str());
            return false;
        }
        std::string target = files + "/" + candidate;
        if (sys::RenameFile(path, target)) return true;
        ::unlink(infoPath.c_str());
        struct stat tst;
        if (::lstat(target.c_str(), &tst) != 0) return false;   // the move itself failed
        // A stray file of that name without its .trashinfo: try the next name.
    }
    return false;
}

bool ShellExecuteDefault(const TItemIDList& absolute)
{
    std::string path = SHGetPathFromIDList(absolute);
    return !path.empty() && sys::OpenWithSystem(path);
}

bool InvokeShellVerb(const TItemIDList& absolute, const std::string& verb, const TShellVerbHooks& hooks)
{
    if (verb == "open") return ShellExecuteDefault(absolute);
    if (verb == "properties")
    {
        if (!hooks.ShowProperties) return false;
        hooks.ShowProperties(absolute);
        return true;
    }
    if (verb == "delete")
    {
        std::optional<TNode> n = Resolve(absolute);
        if (!n || n->kind != TNode::nkFile) return false;
        if (!(NodeAttributes(*n, SFGAO_CANDELETE) & SFGAO_CANDELETE)) return false;
        if (!hooks.ConfirmDelete || !hooks.ConfirmDelete(NodeDisplayName(*n, SHGDN_NORMAL))) return false;
        return MoveToTrash(n->path);
    }
    return false;
}
}
