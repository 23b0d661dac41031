#include "app/OptionFile.h"

#include <utility>

#include "platform/core/Utf8.h"
#include "platform/gui/IniFiles.h"
#include "platform/sys/Files.h"
#include "platform/sys/UserFolders.h"

namespace {

constexpr const char* kFileName = "option.ini";
constexpr const char* kConfigFolder = "Quorvel MTS";

std::unique_ptr<TOptionFile> gOptionFile;  // GUI thread only

std::string ConfigFolder(const TOptionPlaces& places)
{
    return sys::IncludeTrailingPathDelimiter(places.ConfigHome) + kConfigFolder;
}

// Text that no settings file holds: NUL characters or broken UTF-8 after the
// file's encoding is taken off.
bool LooksDamaged(const std::string& bytes)
{
    TIniEncoding enc;
    const std::string text = enc.Decode(bytes);
    return text.find('\0') != std::string::npos || !Utf8IsValid(text);
}

// The file's place: beside the program when that folder is writable, else
// in the user's configuration folder.
std::string FilePlace(const TOptionPlaces& places, bool& besideProgram)
{
    const std::string programFolder = sys::IncludeTrailingPathDelimiter(places.ProgramFolder);
    besideProgram = sys::DirectoryWritable(programFolder);
    if (besideProgram) return programFolder + kFileName;
    return ConfigFolder(places) + "/" + kFileName;
}

}  // namespace

TOptionPlaces SystemOptionPlaces()
{
    return {sys::ProgramFolder(), sys::SpecialFolder(sys::sfConfig), sys::SpecialFolder(sys::sfHome)};
}

TOptionFile::TOptionFile(const TOptionPlaces& places) : FPlaces(places)
{
    FFileName = FilePlace(places, FBesideProgram);
    if (!FBesideProgram) sys::ForceDirectories(ConfigFolder(places));
    FIni = std::make_unique<TIniFile>(FFileName);
    CheckFile();
}

TOptionFile::~TOptionFile() = default;

void TOptionFile::CheckFile()
{
    if (sys::DirectoryExists(FFileName) || sys::IsSpecialFile(FFileName))
    {
        FUsable = false;
        AddNotice("设置文件“" + FFileName + "”不是普通文件，本次使用默认设置，设置不会保存。");
        return;
    }
    if (!sys::FileExists(FFileName)) return;
    std::string bytes;
    bool damaged = sys::FileSize(FFileName) > kMaxIniFileSize;
    if (!damaged)
    {
        try
        {
            bytes = sys::ReadFileToString(FFileName);
        }
        catch (const EInOutError& e)
        {
            FUsable = false;
            AddNotice("无法读取设置文件“" + FFileName + "”（" + e.Message() + "），本次使用默认设置，设置不会保存。");
            return;
        }
        damaged = LooksDamaged(bytes);
    }
    if (!damaged) return;
    // The damaged file is kept under another name; a fresh file takes its place.
    std::string aside = FFileName + ".damaged";
    for (int n = 1; sys::FileExists(aside) || sys::DirectoryExists(aside); ++n)
        aside = FFileName + ".damaged." + std::to_string(n);
    if (sys::RenameFile(FFileName, aside))
    {
        AddNotice("设置文件已损坏，已另存为“" + aside + "”，改用默认设置。");
        return;
    }
    FUsable = false;
    AddNotice("设置文件“" + FFileName + "”已损坏且无法替换，本次使用默认设置，设置不会保存。");
}

bool TOptionFile::Exists() const { return sys::FileExists(FFileName); }

std::string TOptionFile::Read(const std::string& section, const std::string& key)
{
    if (!FUsable) return "";
    const std::string v = FIni->ReadString(section, key, "Error");
    return v == "Error" ? "" : v;
}

bool TOptionFile::Write(const std::string& section, const std::string& key, const std::string& value)
{
    if (!FUsable) return false;
    try
    {
        FIni->WriteString(section, key, value);
        return true;
    }
    catch (const std::exception& e)
    {
        if (!FWriteFailed) AddNotice("无法保存设置到“" + FFileName + "”：" + e.what());
        FWriteFailed = true;
        return false;
    }
}

std::string TOptionFile::DefaultOutputFolder() const
{
    return sys::IncludeTrailingPathDelimiter(FPlaces.HomeFolder) + "Quorvel视频软件/输出";
}

std::string TOptionFile::DefaultSnapshotFolder() const
{
    return sys::IncludeTrailingPathDelimiter(FPlaces.HomeFolder) + "Quorvel视频软件/快照";
}

void TOptionFile::AddNotice(const std::string& line) { FNotices.push_back(line); }

std::vector<std::string> TOptionFile::TakeNotices() { return std::exchange(FNotices, {}); }

std::string PeekOption(const TOptionPlaces& places, const std::string& section, const std::string& key)
{
    bool besideProgram = false;
    const std::string name = FilePlace(places, besideProgram);
    // Only a plain file of a sane size is read: a pipe would never end.
    if (!sys::FileExists(name) || sys::IsSpecialFile(name) || sys::FileSize(name) > kMaxIniFileSize) return "";
    try
    {
        const std::string v = TIniFile(name).ReadString(section, key, "Error");
        return v == "Error" ? "" : v;
    }
    catch (const std::exception&)
    {
        return "";
    }
}

TOptionFile& OptionFile()
{
    if (!gOptionFile) gOptionFile = std::make_unique<TOptionFile>(SystemOptionPlaces());
    return *gOptionFile;
}

void UseOptionFile(std::unique_ptr<TOptionFile> file) { gOptionFile = std::move(file); }
