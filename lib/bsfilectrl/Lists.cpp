// What the file controls list: the drives, the rows of a folder's path and
// subfolders, a folder's files by mask and attributes, a filter's entries.
#include "lib/bsfilectrl.h"

#include <algorithm>
#include <cerrno>

#include "platform/core/Utf8.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

namespace
{
// The search attributes of a file type, as the bits of the listed entries.
int SearchAttributes(TbsFileType t)
{
    int a = 0;
    if (t.Contains(bsftReadOnly)) a |= sys::faReadOnly;
    if (t.Contains(bsftHidden)) a |= sys::faHidden;
    if (t.Contains(bsftDirectory)) a |= sys::faDirectory;
    return a;
}

void SortIgnoringCase(std::vector<std::string>& v)
{
    std::stable_sort(v.begin(), v.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
}

bool IsDriveRoot(const std::string& folder) { return sys::DriveRootPath(sys::DriveOfPath(folder)) == folder; }
}  // namespace

std::vector<TbsDriveItem> bsReadDriveItems(TTextCase TextCase)
{
    std::vector<TbsDriveItem> items;
    const std::uint32_t mask = sys::GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
    {
        if (!(mask & (1u << i))) continue;
        const char lower = char('a' + i);
        const unsigned type = sys::GetDriveTypeW(std::string(1, lower) + ":/");
        const char letter = TextCase == tcUpperCase ? char(lower - 32) : lower;
        const std::string head = std::string(1, letter) + ":";
        switch (type)
        {
        case DRIVE_REMOVABLE: items.push_back({head, type}); break;
        case DRIVE_REMOTE: items.push_back({head + " " + GetNetworkVolumeText(letter), type}); break;
        case DRIVE_FIXED:
        case DRIVE_CDROM:
        case DRIVE_RAMDISK: items.push_back({head + " " + GetVolumeLabelText(letter), type}); break;
        default: break;
        }
    }
    return items;
}

int ReadSubfolderNames(const std::string& Folder, std::vector<std::string>& List)
{
    std::vector<sys::TSearchRec> entries;
    sys::ListDirectory(Folder, "", entries);
    int count = 0;
    for (const auto& e : entries)
        if ((e.Attr & sys::faDirectory) && !(e.Attr & sys::faHidden))
        {
            List.push_back(e.Name);
            ++count;
        }
    return count;
}

std::vector<TbsFolderRow> bsReadFolderRows(const std::string& Directory)
{
    std::vector<TbsFolderRow> rows;
    rows.push_back({"/", TbsFolderRowKind::Open, 2});
    std::size_t i = 1;
    while (i < Directory.size())
    {
        std::size_t j = Directory.find('/', i);
        if (j == std::string::npos) j = Directory.size();
        if (j > i) rows.push_back({Directory.substr(i, j - i), TbsFolderRowKind::Open, int(rows.size()) * 4 + 2});
        i = j + 1;
    }
    rows.back().Kind = TbsFolderRowKind::Current;
    const int subIndent = int(rows.size()) * 4 + 2;
    std::vector<std::string> names;
    ReadSubfolderNames(Directory, names);
    SortIgnoringCase(names);
    for (auto& n : names) rows.push_back({std::move(n), TbsFolderRowKind::Closed, subIndent});
    return rows;
}

std::string bsFolderRowPath(const std::string& Directory, const std::vector<TbsFolderRow>& Rows, int Index)
{
    if (Index < 0 || Index >= int(Rows.size())) return {};
    switch (Rows[std::size_t(Index)].Kind)
    {
    case TbsFolderRowKind::Closed: return JoinPath(Directory, Rows[std::size_t(Index)].Text);
    case TbsFolderRowKind::Current: return Directory;
    case TbsFolderRowKind::Open: break;
    }
    if (Index == 0) return "/";
    // The path cut after Index levels.
    std::size_t p = 0;
    for (int k = 0; k < Index && p != std::string::npos; ++k) p = Directory.find('/', p + 1);
    return p == std::string::npos ? Directory : Directory.substr(0, p);
}

std::vector<std::string> bsReadFileRows(const std::string& Folder, const std::string& Mask, TbsFileType FileType)
{
    const int search = SearchAttributes(FileType);
    const bool normal = FileType.Contains(bsftNormal);
    std::vector<sys::TSearchRec> entries;
    if (!FolderExists(Folder) || !sys::ListDirectory(Folder, "", entries))
        throw EInOutError("\"" + Folder + "\": " + (FolderExists(Folder) ? "Permission denied" : "No such file or directory"),
                          FolderExists(Folder) ? EACCES : ENOENT);
    if (!IsDriveRoot(Folder))
        for (const char* dot : {".", ".."})
        {
            sys::TSearchRec r;
            r.Name = dot;
            r.Attr = sys::faDirectory;
            entries.insert(entries.begin(), r);
        }
    std::vector<std::string> rows;
    for (const auto& e : entries)
    {
        // A name that matches several pieces of the mask is one row.
        if (!MatchesMaskList(e.Name, Mask)) continue;
        // The search leaves hidden entries and folders out unless asked for.
        const int attr = e.Attr & (sys::faReadOnly | sys::faHidden | sys::faDirectory);
        if ((attr & (sys::faHidden | sys::faDirectory)) & ~search) continue;
        if (!normal && !(attr & search)) continue;
        rows.push_back((attr & sys::faDirectory) ? "[" + e.Name + "]" : e.Name);
    }
    SortIgnoringCase(rows);
    return rows;
}

void bsParseFilter(const std::string& Filter, std::vector<std::string>& Descriptions, std::vector<std::string>& Masks)
{
    Descriptions.clear();
    Masks.clear();
    std::string s = Filter;
    for (std::size_t bar; (bar = s.find('|')) != std::string::npos;)
    {
        Descriptions.push_back(s.substr(0, bar));
        s.erase(0, bar + 1);
        bar = s.find('|');
        Masks.push_back(bar == std::string::npos ? s : s.substr(0, bar));
        s = bar == std::string::npos ? std::string() : s.substr(bar + 1);
    }
}
