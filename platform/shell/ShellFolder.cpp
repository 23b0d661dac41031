// The shell namespace over the file system: resolving item-ID lists, listing,
// attributes, names, order, details and renaming.
#include "platform/shell/ShellFolder.h"

#include "platform/core/Utf8.h"
#include "platform/shell/Internal.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"
#include "platform/sys/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell
{
namespace {

// Fixed places of the virtual items and volumes before the file-system names.
constexpr int kRankHome = 0;
constexpr int kRankDocuments = 1;
constexpr int kRankComputer = 2;
constexpr int kRankVolume = 10;   // + drive index
constexpr int kRankName = 1000;

const char kHome[] = "home";
const char kDocuments[] = "documents";
const char kComputer[] = "computer";

bool ValidName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Whether a folder holds a folder that is not hidden; unreadable: false.
bool HasSubFolder(const std::string& path)
{
    DIR* d = ::opendir(path.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* e = ::readdir(d))
    {
        if (e->d_name[0] == '.') continue;
        if (e->d_type == DT_DIR) { found = true; break; }
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN)
        {
            struct stat st;
            if (::stat(JoinPath(path, e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) { found = true; break; }
        }
    }
    ::closedir(d);
    return found;
}

std::string DocumentsFolder()
{
    std::string d = sys::SpecialFolder(sys::sfDocuments);
    return sys::DirectoryExists(d) ? d : std::string();
}

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string SanitizeName(const std::string& raw)
{
    if (Utf8IsValid(raw)) return raw;
    std::string out;
    std::size_t i = 0;
    while (i < raw.size()) Utf8Append(out, Utf8Next(raw, i));
    return out;
}

std::optional<TNode> Resolve(const TItemIDList& absolute)
{
    TNode node;
    node.kind = TNode::nkDesktop;
    node.path = sys::SpecialFolder(sys::sfDesktop);
    for (const std::uint8_t* p = absolute.Data(); ItemIDCount(p) != 0; p = NextItemID(p))
    {
        std::uint8_t kind = ItemIDKind(p);
        std::string text = ItemIDText(p);
        TNode next;
        next.name = text;
        if (kind == kItemVirtual && node.kind == TNode::nkDesktop)
        {
            next.kind = TNode::nkVirtual;
            if (text == kHome) { next.path = sys::SpecialFolder(sys::sfHome); next.rank = kRankHome; }
            else if (text == kDocuments) { next.path = DocumentsFolder(); next.rank = kRankDocuments; if (next.path.empty()) return std::nullopt; }
            else if (text == kComputer) { next.kind = TNode::nkComputer; next.rank = kRankComputer; }
            else return std::nullopt;
        }
        else if (kind == kItemVolume && node.kind == TNode::nkComputer)
        {
            char letter = sys::DriveOfPath(text);
            if (!letter || sys::DriveRootPath(letter) != text) return std::nullopt;
            next.kind = TNode::nkVolume;
            next.path = text;
            next.rank = kRankVolume + (letter - 'a');
            next.driveType = sys::GetDriveTypeW(std::string(1, letter) + ":");
            sys::GetVolumeInformationW(std::string(1, letter) + ":", next.label, next.fsFlags);
        }
        else if (kind == kItemName && !node.path.empty() && node.kind != TNode::nkComputer && ValidName(text))
        {
            next.kind = TNode::nkFile;
            next.path = JoinPath(node.path, text);
        }
        else
            return std::nullopt;
        node = std::move(next);
    }
    return node;
}

std::uint32_t NodeAttributes(const TNode& node, std::uint32_t mask)
{
    constexpr std::uint32_t kFolder = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    std::uint32_t a = 0;
    switch (node.kind)
    {
    case TNode::nkDesktop:
        a = kFolder | SFGAO_HASSUBFOLDER;
        break;
    case TNode::nkComputer:
        a = kFolder | SFGAO_HASSUBFOLDER | SFGAO_HASPROPSHEET;
        break;
    case TNode::nkVolume:
        a = kFolder | SFGAO_FILESYSTEM | SFGAO_HASPROPSHEET;
        if (node.driveType == DRIVE_REMOVABLE || node.driveType == DRIVE_CDROM) a |= SFGAO_REMOVABLE;
        // A network mount is never looked at, so a dead server cannot block the query.
        if (node.driveType == DRIVE_REMOTE)
            a |= SFGAO_HASSUBFOLDER | SFGAO_DROPTARGET;
        else
        {
            if ((mask & SFGAO_HASSUBFOLDER) && HasSubFolder(node.path)) a |= SFGAO_HASSUBFOLDER;
            if (::access(node.path.c_str(), W_OK) == 0) a |= SFGAO_DROPTARGET;
            else a |= SFGAO_READONLY;
        }
        break;
    case TNode::nkVirtual:
    case TNode::nkFile:
    {
        struct stat lst, st;
        if (::lstat(node.path.c_str(), &lst) != 0) return 0;
        bool isLink = S_ISLNK(lst.st_mode);
        bool folder = isLink ? ::stat(node.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) : S_ISDIR(lst.st_mode);
        a = SFGAO_FILESYSTEM | SFGAO_HASPROPSHEET;
        if (folder) a |= kFolder;
        if (isLink) a |= SFGAO_LINK;
        bool writable = ::access(node.path.c_str(), W_OK) == 0;
        if (!writable) a |= SFGAO_READONLY;
        if (folder && writable) a |= SFGAO_DROPTARGET;
        if (folder && (mask & SFGAO_HASSUBFOLDER) && HasSubFolder(node.path)) a |= SFGAO_HASSUBFOLDER;
        if (node.kind == TNode::nkFile)
        {
            if (node.name[0] == '.') a |= SFGAO_HIDDEN | SFGAO_GHOSTED;
            a |= SFGAO_CANLINK;
            if (::access(node.path.c_str(), folder ? R_OK | X_OK : R_OK) == 0) a |= SFGAO_CANCOPY;
            if (::access(sys::ExtractFileDir(node.path).c_str(), W_OK | X_OK) == 0)
                a |= SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
        }
        break;
    }
    }
    return a & mask;
}

std::string NodeDisplayName(const TNode& node, unsigned flags)
{
    bool parsing = flags & SHGDN_FORPARSING;
    bool inFolder = flags & SHGDN_INFOLDER;
    switch (node.kind)
    {
    case TNode::nkDesktop: return parsing ? node.path : "Desktop";
    case TNode::nkComputer: return parsing ? "::{Computer}" : "Computer";
    case TNode::nkVirtual:
        if (parsing) return node.path;
        return node.rank == kRankHome ? "Home" : "Documents";
    case TNode::nkVolume:
        if (parsing) return node.path;
        if (!node.label.empty()) return node.label;
        return node.path == "/" ? "File System" : Utf8Visible(sys::ExtractFileName(node.path));
    case TNode::nkFile:
        if (parsing) return inFolder ? node.name : node.path;
        if (flags & SHGDN_FOREDITING) return node.name;
        return Utf8Visible(node.name);
    }
    return {};
}

namespace {

std::string Collate(const std::string& text)
{
    const std::size_t n = std::strxfrm(nullptr, text.c_str(), 0);
    std::string out(n, '\0');
    std::strxfrm(out.data(), text.c_str(), n + 1);
    return out;
}

// The listing behind both EnumObjects: the folder is resolved once; with
// infos, each file-system name is looked at once (one stat).
bool Enumerate(const TItemIDList& absolute, unsigned flags, std::vector<TItemIDList>& items,
               std::vector<TItemInfo>* infos)
{
    items.clear();
    if (infos) infos->clear();
    std::optional<TNode> node = Resolve(absolute);
    if (!node) return false;
    bool folders = flags & SHCONTF_FOLDERS, files = flags & SHCONTF_NONFOLDERS, hidden = flags & SHCONTF_INCLUDEHIDDEN;
    auto addResolved = [&](TItemIDList item) {
        if (infos)
        {
            TItemInfo info;
            GetItemInfo(JoinItemIDLists(&absolute, &item), info);
            infos->push_back(std::move(info));
        }
        items.push_back(std::move(item));
    };
    if (node->kind == TNode::nkComputer)
    {
        if (!folders) return true;
        std::uint32_t mask = sys::GetLogicalDrives();   // re-read: a new medium shows up
        for (int i = 0; i < 26; ++i)
            if (mask & (1u << i)) addResolved(TItemIDList::Item(kItemVolume, sys::DriveRootPath(char('a' + i))));
        return true;
    }
    if (node->kind == TNode::nkDesktop && folders)
    {
        addResolved(TItemIDList::Item(kItemVirtual, kHome));
        if (!DocumentsFolder().empty()) addResolved(TItemIDList::Item(kItemVirtual, kDocuments));
        addResolved(TItemIDList::Item(kItemVirtual, kComputer));
    }
    DIR* d = ::opendir(node->path.c_str());
    if (!d) return node->kind == TNode::nkDesktop;   // a missing desktop folder leaves the virtual items
    while (dirent* e = ::readdir(d))
    {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (name[0] == '.' && !hidden) continue;
        if (infos)
        {
            TNode file;
            file.kind = TNode::nkFile;
            file.name = name;
            file.path = JoinPath(node->path, name);
            TItemInfo info = InfoOfNode(file);
            if (!(info.Folder ? folders : files)) continue;
            infos->push_back(std::move(info));
            items.push_back(TItemIDList::Item(kItemName, name));
            continue;
        }
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN)
        {
            struct stat st;
            folder = ::stat(JoinPath(node->path, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder ? folders : files) items.push_back(TItemIDList::Item(kItemName, name));
    }
    ::closedir(d);
    return true;
}

int Sign(std::int64_t v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

TItemInfo InfoOfNode(const TNode& n)
{
    TItemInfo info;
    info.Rank = n.kind == TNode::nkFile ? kRankName : n.rank;
    info.Name = n.name;
    info.Path = n.path;
    info.Folder = true;
    switch (n.kind)
    {
    case TNode::nkDesktop: info.Special = snDesktop; break;
    case TNode::nkComputer: info.Special = snComputer; break;
    case TNode::nkVirtual: info.Special = n.rank == kRankHome ? snHome : snDocuments; break;
    case TNode::nkVolume: info.Special = n.label.empty() && n.path == "/" ? snFileSystem : snNone; break;
    case TNode::nkFile:
    {
        info.Folder = false;
        struct stat st;
        if (::stat(n.path.c_str(), &st) == 0)
        {
            info.Folder = S_ISDIR(st.st_mode);
            info.Size = info.Folder ? -1 : std::int64_t(st.st_size);
            info.Time = st.st_mtime;
        }
        break;
    }
    }
    info.DisplayName = NodeDisplayName(n, SHGDN_INFOLDER);
    info.TypeName = FileTypeName(n.name, info.Folder);
    info.Collated = Collate(LowerCase(SanitizeName(n.name)));
    info.Icon = NodeIcon(n, info.Folder, false);
    info.OpenIcon = NodeIcon(n, info.Folder, true);
    return info;
}

bool GetItemInfo(const TItemIDList& absolute, TItemInfo& info)
{
    std::optional<TNode> n = Resolve(absolute);
    info = n ? InfoOfNode(*n) : TItemInfo();
    return bool(n);
}

int CompareItemInfos(int column, const TItemInfo& a, const TItemInfo& b)
{
    if (a.Rank != b.Rank) return Sign(a.Rank - b.Rank);
    if (a.Folder != b.Folder) return a.Folder ? -1 : 1;
    int c = 0;
    if (column == scSize) c = Sign(a.Size - b.Size);
    else if (column == scType) c = Sign(CompareText(a.TypeName, b.TypeName));
    else if (column == scModified) c = Sign(a.Time - b.Time);
    if (c == 0) c = Sign(a.Collated.compare(b.Collated));
    if (c == 0) c = Sign(a.Name.compare(b.Name));
    return c;
}

TFolderState FolderState(const TItemIDList& absolute)
{
    std::optional<TNode> n = Resolve(absolute);
    if (!n) return fsMissing;
    if (n->kind == TNode::nkDesktop || n->kind == TNode::nkComputer) return fsListable;
    if (n->path.empty()) return fsMissing;
    struct stat lst, st;
    if (::lstat(n->path.c_str(), &lst) != 0) return fsMissing;
    if (::stat(n->path.c_str(), &st) != 0)
    {
        if (errno == ELOOP) return fsLinkLoop;
        return S_ISLNK(lst.st_mode) ? fsBrokenLink : fsMissing;
    }
    if (!S_ISDIR(st.st_mode)) return fsNotFolder;
    DIR* d = ::opendir(n->path.c_str());
    if (!d) return fsUnreadable;
    ::closedir(d);
    return fsListable;
}

TShellFolder::TShellFolder(TItemIDList absolute) : absolute_(std::move(absolute)) {}

std::string TShellFolder::Path() const
{
    std::optional<TNode> n = Resolve(absolute_);
    return n ? n->path : std::string();
}

bool TShellFolder::EnumObjects(unsigned flags, std::vector<TItemIDList>& items) const
{
    return Enumerate(absolute_, flags, items, nullptr);
}

bool TShellFolder::EnumObjects(unsigned flags, std::vector<TItemIDList>& items, std::vector<TItemInfo>& infos) const
{
    return Enumerate(absolute_, flags, items, &infos);
}

bool TShellFolder::GetAttributesOf(const TItemIDList& relative, std::uint32_t& mask) const
{
    std::optional<TNode> n = Resolve(JoinItemIDLists(&absolute_, &relative));
    struct stat st;
    if (!n || ((n->kind == TNode::nkFile || n->kind == TNode::nkVirtual) && ::lstat(n->path.c_str(), &st) != 0))
    {
        // Gone (or never there): nothing is reported, rather than every bit asked for.
        mask = 0;
        return false;
    }
    mask = NodeAttributes(*n, mask);
    return true;
}

std::string TShellFolder::GetDisplayNameOf(const TItemIDList& relative, unsigned flags) const
{
    std::optional<TNode> n = Resolve(JoinItemIDLists(&absolute_, &relative));
    return n ? NodeDisplayName(*n, flags) : std::string();
}

std::unique_ptr<TShellFolder> TShellFolder::BindToObject(const TItemIDList& relative) const
{
    TItemIDList full = JoinItemIDLists(&absolute_, &relative);
    std::optional<TNode> n = Resolve(full);
    if (!n) return nullptr;
    if (n->kind == TNode::nkVirtual || n->kind == TNode::nkFile)
    {
        struct stat st;
        if (::stat(n->path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
    }
    return std::make_unique<TShellFolder>(std::move(full));
}

int TShellFolder::CompareIDs(int column, const TItemIDList& a, const TItemIDList& b) const
{
    std::vector<TItemIDList> ia = SplitItemIDList(a), ib = SplitItemIDList(b);
    if (ia.empty() || ib.empty()) return Sign(std::int64_t(ia.size()) - std::int64_t(ib.size()));
    std::optional<TNode> na = Resolve(JoinItemIDLists(&absolute_, &ia[0]));
    std::optional<TNode> nb = Resolve(JoinItemIDLists(&absolute_, &ib[0]));
    if (!na || !nb) return Sign(int(bool(na)) - int(bool(nb)));
    const int c = CompareItemInfos(column, InfoOfNode(*na), InfoOfNode(*nb));
    if (c != 0 || (ia.size() == 1 && ib.size() == 1)) return c;
    // Same first item: the rest compares inside it.
    TShellFolder inner(JoinItemIDLists(&absolute_, &ia[0]));
    TItemIDList restA, restB;
    for (std::size_t i = 1; i < ia.size(); ++i) restA = JoinItemIDLists(&restA, &ia[i]);
    for (std::size_t i = 1; i < ib.size(); ++i) restB = JoinItemIDLists(&restB, &ib[i]);
    return inner.CompareIDs(column, restA, restB);
}

bool TShellFolder::SetNameOf(const TItemIDList& relative, const std::string& newName, TItemIDList& newRelative) const
{
    if (CountItemIDs(relative) != 1 || !ValidName(newName)) return false;
    std::uint32_t mask = SFGAO_CANRENAME;
    if (!GetAttributesOf(relative, mask) || !(mask & SFGAO_CANRENAME)) return false;
    std::optional<TNode> n = Resolve(JoinItemIDLists(&absolute_, &relative));
    if (!n || n->kind != TNode::nkFile) return false;
    // RenameFile refuses an existing target, so nothing is overwritten.
    if (!sys::RenameFile(n->path, JoinPath(sys::ExtractFileDir(n->path), newName))) return false;
    newRelative = TItemIDList::Item(kItemName, newName);
    return true;
}

std::int64_t TShellFolder::ItemSize(const TItemIDList& relative) const
{
    std::optional<TNode> n = Resolve(JoinItemIDLists(&absolute_, &relative));
    return n && n->kind == TNode::nkFile ? InfoOfNode(*n).Size : -1;
}

std::int64_t TShellFolder::ItemTime(const TItemIDList& relative) const
{
    std::optional<TNode> n = Resolve(JoinItemIDLists(&absolute_, &relative));
    return n && n->kind == TNode::nkFile ? InfoOfNode(*n).Time : -1;
}

TShellFolder SHGetDesktopFolder()
{
    return TShellFolder(TItemIDList());
}

bool ParseDisplayName(const std::string& text, TItemIDList& absolute)
{
    if (text.empty() || text[0] != '/') return false;
    std::string path = sys::ExpandFileName(text);
    if (path.size() > 1) path = sys::ExcludeTrailingPathDelimiter(path);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return false;
    char letter = sys::DriveOfPath(path);
    if (!letter) return false;
    std::string root = sys::DriveRootPath(letter);
    TItemIDList out = TItemIDList::Item(kItemVirtual, kComputer);
    TItemIDList vol = TItemIDList::Item(kItemVolume, root);
    out = JoinItemIDLists(&out, &vol);
    std::size_t i = root == "/" ? 1 : root.size() + 1;
    while (i < path.size())
    {
        std::size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        if (j > i)
        {
            TItemIDList item = TItemIDList::Item(kItemName, path.substr(i, j - i));
            out = JoinItemIDLists(&out, &item);
        }
        i = j + 1;
    }
    absolute = std::move(out);
    return true;
}

bool SHGetSpecialFolderLocation(int csidl, TItemIDList& absolute)
{
    std::string path;
    switch (csidl)
    {
    case CSIDL_DESKTOP: absolute = TItemIDList(); return true;
    case CSIDL_DRIVES: absolute = TItemIDList::Item(kItemVirtual, kComputer); return true;
    case CSIDL_PERSONAL:
        if (DocumentsFolder().empty()) return false;
        absolute = TItemIDList::Item(kItemVirtual, kDocuments);
        return true;
    case CSIDL_DESKTOPDIRECTORY: path = sys::SpecialFolder(sys::sfDesktop); break;
    case CSIDL_TEMPLATES: path = sys::SpecialFolder(sys::sfTemplates); break;
    case CSIDL_APPDATA: path = sys::SpecialFolder(sys::sfConfig); break;
    case CSIDL_BITBUCKET: path = sys::SpecialFolder(sys::sfDataHome) + "/Trash/files"; break;
    case CSIDL_FONTS: path = sys::SpecialFolder(sys::sfDataHome) + "/fonts"; break;
    case CSIDL_PROGRAMS: path = sys::SpecialFolder(sys::sfDataHome) + "/applications"; break;
    case CSIDL_STARTUP: path = sys::SpecialFolder(sys::sfConfig) + "/autostart"; break;
    default: return false;   // a special folder the system lacks
    }
    return sys::DirectoryExists(path) && ParseDisplayName(path, absolute);
}

std::string SHGetPathFromIDList(const TItemIDList& absolute)
{
    std::optional<TNode> n = Resolve(absolute);
    return n ? n->path : std::string();
}

bool ItemIDListsEqual(const TItemIDList& a, const TItemIDList& b)
{
    return a == b;
}
}
