// The path routines of the file controls: folder test, joining, shortening a
// path to a width, drive label texts and the split of a typed path.
#include "lib/bsfilectrl.h"

#include <cerrno>

#include "platform/core/Utf8.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

namespace
{
constexpr const char* kCut = ".../";

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// The absolute form of a folder path, without a trailing "/" (but "/" itself).
std::string NormalFolder(const std::string& path)
{
    std::string s = sys::ExpandFileName(path);
    if (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

[[noreturn]] void RaiseNotFound(const std::string& path, int code)
{
    throw EInOutError("\"" + path + "\": " + (code == ENOTDIR ? "Not a directory" : "No such file or directory"),
                      code);
}
}  // namespace

bool FolderExists(const std::string& Name)
{
    return !Name.empty() && Name[0] == '/' && sys::DirectoryExists(Name);
}

std::string JoinPath(const std::string& Path, const std::string& Name)
{
    if (!Path.empty() && Path.back() == '/') return Path + Name;
    return Path + "/" + Name;
}

void CutFirstFolder(std::string& S)
{
    if (S == "/")
    {
        S.clear();
        return;
    }
    const bool lead = !S.empty() && S[0] == '/';
    if (lead) S.erase(0, 1);
    // Only the mark of an earlier cut goes; a folder may begin with a dot.
    if (S.rfind(kCut, 0) == 0) S.erase(0, 4);
    const std::size_t p = S.find('/');
    S = p == std::string::npos ? std::string() : kCut + S.substr(p + 1);
    if (lead) S.insert(0, "/");
}

std::string ShortenPathToWidth(const std::string& Path, TCanvas* Canvas, int MaxWidth)
{
    std::string result = Path;
    std::string dir = sys::ExtractFilePath(Path);
    const std::string name = sys::ExtractFileName(Path);
    while (!dir.empty() && Canvas->TextWidth(result) > MaxWidth)
    {
        if (dir == "/.../") dir = kCut;
        else CutFirstFolder(dir);
        result = dir + name;
    }
    return result;
}

std::string GetVolumeLabelText(char Letter)
{
    struct ErrorMode
    {
        unsigned old = sys::SetErrorMode(SEM_FAILCRITICALERRORS);
        ~ErrorMode() { sys::SetErrorMode(old); }
    } mode;
    std::string label;
    std::uint32_t flags = 0;
    if (!sys::GetVolumeInformationW(std::string(1, Letter) + ":", label, flags)) label.clear();
    return "[" + (Letter >= 'a' ? LowerCase(label) : UpperCase(label)) + "]";
}

std::string GetNetworkVolumeText(char Letter)
{
    std::string remote;
    const char upper = Letter >= 'a' && Letter <= 'z' ? char(Letter - 32) : Letter;
    if (sys::WNetGetConnectionW(std::string(1, upper) + ":", remote))
        return Letter >= 'a' ? LowerCase(remote) : UpperCase(remote);
    return GetVolumeLabelText(Letter);
}

void SplitEditPath(const std::string& Text, const std::string& Base, char& Drive, std::string& FolderPart,
                   std::string& FilePart)
{
    const std::string whole = Text[0] == '/' ? Text : JoinPath(Base, Text);
    std::string folder, file;
    if (Text.size() > 2 && Text.front() == '[' && Text.back() == ']' && !sys::FileExists(whole))
    {
        // A folder row of the file list: that folder in Base.
        folder = Base;
        file = Text.substr(1, Text.size() - 2);
    }
    else
    {
        const std::size_t p = whole.rfind('/');
        folder = p == 0 ? "/" : whole.substr(0, p);
        file = whole.substr(p + 1);
    }
    folder = NormalFolder(folder);
    if (!sys::DirectoryExists(folder)) RaiseNotFound(folder, sys::FileExists(folder) ? ENOTDIR : ENOENT);
    if (!file.empty())
    {
        const std::string full = JoinPath(folder, file);
        if (sys::DirectoryExists(full))
        {
            folder = NormalFolder(full);
            file.clear();
        }
        else if (!HasWildcard(file) && !sys::FileExists(full))
            RaiseNotFound(full, ENOENT);
    }
    FolderPart = folder;
    FilePart = file;
    Drive = sys::DriveOfPath(folder);
}

std::vector<std::string> bsMaskPieces(const std::string& Mask)
{
    std::vector<std::string> pieces;
    std::size_t i = 0;
    while (i <= Mask.size())
    {
        std::size_t j = Mask.find(';', i);
        if (j == std::string::npos) j = Mask.size();
        if (j > i) pieces.push_back(Mask.substr(i, j - i));
        i = j + 1;
    }
    return pieces;
}

bool MatchesMaskList(const std::string& Name, const std::string& Mask)
{
    for (const std::string& piece : bsMaskPieces(Mask))
        if (sys::MatchesMask(Name, piece)) return true;
    return false;
}
