// A shell namespace of our own over the file system and the XDG folders.
//
// The desktop is the root (the empty item-ID list). Its children, in this
// order: Home, Documents (when that XDG folder exists), Computer, then the
// entries of the user's desktop folder. Computer holds the volumes of the
// mount table (platform/sys/Drives: "/" first, then removable, network and the
// other user mounts); below a volume, and below Home, Documents and the
// desktop, the items are file-system names.
//
// TShellFolder stands for one folder of the namespace (bound to its absolute
// list) and answers for the items inside it, relative lists of one or more
// items. Everything runs on the calling thread and asks the file system each
// time; nothing is cached.
#pragma once
#include "platform/shell/ItemIDList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shell
{
// Item attributes (the bits keep the names the shell controls use).
constexpr std::uint32_t SFGAO_CANCOPY = 0x1;
constexpr std::uint32_t SFGAO_CANMOVE = 0x2;
constexpr std::uint32_t SFGAO_CANLINK = 0x4;
constexpr std::uint32_t SFGAO_CANRENAME = 0x10;
constexpr std::uint32_t SFGAO_CANDELETE = 0x20;
constexpr std::uint32_t SFGAO_HASPROPSHEET = 0x40;
constexpr std::uint32_t SFGAO_DROPTARGET = 0x100;
constexpr std::uint32_t SFGAO_GHOSTED = 0x8000;
constexpr std::uint32_t SFGAO_LINK = 0x10000;
constexpr std::uint32_t SFGAO_SHARE = 0x20000;
constexpr std::uint32_t SFGAO_READONLY = 0x40000;
constexpr std::uint32_t SFGAO_HIDDEN = 0x80000;
constexpr std::uint32_t SFGAO_DISPLAYATTRMASK = 0xFC000;
constexpr std::uint32_t SFGAO_VALIDATE = 0x1000000;
constexpr std::uint32_t SFGAO_REMOVABLE = 0x2000000;
constexpr std::uint32_t SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr std::uint32_t SFGAO_FOLDER = 0x20000000;
constexpr std::uint32_t SFGAO_FILESYSTEM = 0x40000000;
constexpr std::uint32_t SFGAO_HASSUBFOLDER = 0x80000000;

// Enumeration flags.
constexpr unsigned SHCONTF_FOLDERS = 0x20;
constexpr unsigned SHCONTF_NONFOLDERS = 0x40;
constexpr unsigned SHCONTF_INCLUDEHIDDEN = 0x80;

// Display-name flags.
constexpr unsigned SHGDN_NORMAL = 0;
constexpr unsigned SHGDN_INFOLDER = 1;
constexpr unsigned SHGDN_FOREDITING = 0x1000;
constexpr unsigned SHGDN_FORPARSING = 0x8000;

// Special folders (the values the shell controls' root names map to).
constexpr int CSIDL_DESKTOP = 0;
constexpr int CSIDL_PROGRAMS = 2;
constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_STARTUP = 7;
constexpr int CSIDL_BITBUCKET = 10;
constexpr int CSIDL_DESKTOPDIRECTORY = 16;
constexpr int CSIDL_DRIVES = 17;
constexpr int CSIDL_FONTS = 20;
constexpr int CSIDL_TEMPLATES = 21;
constexpr int CSIDL_APPDATA = 26;

// Detail columns of a folder's items.
enum TShellColumn { scName = 0, scSize = 1, scType = 2, scModified = 3 };

// The items whose names are the namespace's own words rather than names on
// disk (a volume without a label is "File System" only for "/").
enum TSpecialName { snNone, snDesktop, snComputer, snHome, snDocuments, snFileSystem };

// What one look at an item tells, kept by whoever lists many items so that
// nothing is resolved or asked of the disk again: enough to filter, order,
// show and open it.
struct TItemInfo
{
    int Rank = 0;                 // fixed places of virtual items and volumes; names after them
    bool Folder = false;          // a folder (a link to one counts)
    TSpecialName Special = snNone;
    std::string Name;             // the item's own text (raw file-name bytes)
    std::string DisplayName;      // as GetDisplayNameOf(SHGDN_INFOLDER) gives it
    std::string Path;             // file-system path; "" for Computer
    std::string TypeName;         // FileTypeName of the name
    std::string Collated;         // the order of names: the shown name in lower case, transformed by the locale
    std::int64_t Size = -1;       // bytes; -1 for a folder or when unknown
    std::int64_t Time = -1;       // seconds since 1970; -1 when unknown
    int Icon = 0;                 // the icon (SystemImageIndex), closed and open
    int OpenIcon = 0;
};
// The order of two items of one folder by a column, as CompareIDs gives it.
int CompareItemInfos(int column, const TItemInfo& a, const TItemInfo& b);
// What an absolute list names, looked at once; false (and an empty info) when
// it names nothing.
bool GetItemInfo(const TItemIDList& absolute, TItemInfo& info);

// Whether a folder can be listed, and why not. A link to a folder is listed
// through; a link whose target is missing, or that leads round in a loop, is
// neither a folder nor missing.
enum TFolderState { fsListable, fsMissing, fsNotFolder, fsBrokenLink, fsLinkLoop, fsUnreadable };
TFolderState FolderState(const TItemIDList& absolute);

class TShellFolder
{
public:
    // The folder named by an absolute list (not checked; see BindToObject).
    explicit TShellFolder(TItemIDList absolute);

    const TItemIDList& AbsoluteID() const { return absolute_; }
    // The folder's own file-system path; "" for the desktop's virtual
    // parents (Computer) — the desktop's is the user's desktop folder.
    std::string Path() const;

    // The items inside, as one-item relative lists in the folder's order of
    // listing (not sorted). False, with nothing, when the folder cannot be
    // read. Hidden items are dot-files.
    bool EnumObjects(unsigned flags, std::vector<TItemIDList>& items) const;
    // The same, with what each item is (infos[i] for items[i]): one look at
    // the disk per item, and the folder itself resolved once.
    bool EnumObjects(unsigned flags, std::vector<TItemIDList>& items, std::vector<TItemInfo>& infos) const;
    // Answers the attributes asked for in mask (SFGAO_*) for a relative list.
    // A query that fails (the item is gone) reports no attributes: mask
    // becomes 0 and the result is false.
    bool GetAttributesOf(const TItemIDList& relative, std::uint32_t& mask) const;
    // The item's name as the flags ask (see ShellFolder.cpp); "" when the
    // item cannot be resolved.
    std::string GetDisplayNameOf(const TItemIDList& relative, unsigned flags) const;
    // The folder of a relative list inside this one; nullptr when it is not
    // a folder that exists.
    std::unique_ptr<TShellFolder> BindToObject(const TItemIDList& relative) const;
    // Order of two relative lists by a column: <0, 0 or >0. Virtual items keep
    // their fixed places, folders come before files, names compare by the
    // locale ignoring case and then by their raw bytes.
    int CompareIDs(int column, const TItemIDList& a, const TItemIDList& b) const;
    // Renames an item in this folder. Refuses (false) an empty name, one with
    // "/", "." and "..", an item without SFGAO_CANRENAME and an existing
    // target; newRelative receives the item's new list.
    bool SetNameOf(const TItemIDList& relative, const std::string& newName, TItemIDList& newRelative) const;
    // Text of a detail column of an item: the name, the size, the type name
    // and the modification time (local, "yyyy-mm-dd hh:nn"). Size and time are
    // empty for folders and virtual items.
    std::string GetDetailsOf(const TItemIDList& relative, int column) const;
    // Raw values behind the detail columns: size in bytes (-1 for a folder or
    // when unknown) and modification time (seconds since 1970, -1 when unknown).
    std::int64_t ItemSize(const TItemIDList& relative) const;
    std::int64_t ItemTime(const TItemIDList& relative) const;

private:
    TItemIDList absolute_;
};

// The desktop folder.
TShellFolder SHGetDesktopFolder();
// Parses an absolute path of something that exists into an absolute list:
// Computer / the volume with the longest matching mount point / the rest.
// Relative text, "~" and missing paths do not parse (false).
bool ParseDisplayName(const std::string& text, TItemIDList& absolute);
// The absolute list of a special folder; false for one the system lacks
// (an unknown value, or an XDG folder that does not exist).
bool SHGetSpecialFolderLocation(int csidl, TItemIDList& absolute);
// The file-system path of an absolute list; "" when it has none.
std::string SHGetPathFromIDList(const TItemIDList& absolute);
// True when the two absolute lists name the same item.
bool ItemIDListsEqual(const TItemIDList& a, const TItemIDList& b);

// The type name of a file by its extension ("MP4 Video", "Folder" …).
std::string FileTypeName(const std::string& name, bool folder);

// What the verbs ask of the user; the skinned dialogs plug in here. An unset
// confirmation answers No.
struct TShellVerbHooks
{
    std::function<bool(const std::string& displayName)> ConfirmDelete;
    std::function<void(const TItemIDList& absolute)> ShowProperties;
};

// The default verb: opens the item with the desktop's default application
// (xdg-open through the platform launcher). False when it has no path or the
// launcher failed.
bool ShellExecuteDefault(const TItemIDList& absolute);
// Runs a named verb: "open", "delete" (to the trash, after ConfirmDelete) or
// "properties". True only when the verb did what it says.
bool InvokeShellVerb(const TItemIDList& absolute, const std::string& verb, const TShellVerbHooks& hooks);
// Moves a file or folder to the user's trash ($XDG_DATA_HOME/Trash, with its
// .trashinfo). True only when the item is in the trash afterwards.
bool MoveToTrash(const std::string& path);
}
