// The shell folder object, the root names, the icon lists and the helpers
// the shell controls share.
#include "lib/bsSkinShellCtrls/Internal.h"

#include <algorithm>

#include "platform/core/Utf8.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/shell/Icons.h"

const char* const SShellFolderDetails = "Unable to retrieve folder details for \"%s\". Error code $%x";
const char* const SMissingColumnDetails = "%s: Missing call to LoadColumnDetails";
const char* const SRenameFailed = "Rename to %s failed";
const char* const SErrorSettingPath = "Error setting path: \"%s\"";

namespace
{
// GUI thread only.
TbsShellFolder* gDesktop = nullptr;
bool gMakingDesktop = false;

struct TRootName
{
    const char* name;
    int csidl;
};
// In TRootFolder order. Folders this system has no counterpart for get a
// value no special folder answers, so they fail as a folder the system lacks.
const TRootName kRootNames[] = {
    {"rfDesktop", shell::CSIDL_DESKTOP},
    {"rfMyComputer", shell::CSIDL_DRIVES},
    {"rfNetwork", 18},
    {"rfRecycleBin", shell::CSIDL_BITBUCKET},
    {"rfAppData", shell::CSIDL_APPDATA},
    {"rfCommonDesktopDirectory", 25},
    {"rfCommonPrograms", 23},
    {"rfCommonStartMenu", 22},
    {"rfCommonStartup", 24},
    {"rfControlPanel", 3},
    {"rfDesktopDirectory", shell::CSIDL_DESKTOPDIRECTORY},
    {"rfFavorites", 6},
    {"rfFonts", shell::CSIDL_FONTS},
    {"rfInternet", 1},
    {"rfPersonal", shell::CSIDL_PERSONAL},
    {"rfPrinters", 4},
    {"rfPrintHood", 27},
    {"rfPrograms", shell::CSIDL_PROGRAMS},
    {"rfRecent", 8},
    {"rfSendTo", 9},
    {"rfStartMenu", 11},
    {"rfStartup", shell::CSIDL_STARTUP},
    {"rfTemplates", shell::CSIDL_TEMPLATES},
};

std::uint32_t Attributes(const TbsShellFolder& f, std::uint32_t mask)
{
    // A failed query reports nothing (the platform clears the mask).
    f.ParentShellFolder().GetAttributesOf(f.RelativeID(), mask);
    return mask;
}

TCustomImageList* MakeIconList(int size)
{
    auto* list = new TCustomImageList(size, size);
    for (int i = 0; i < shell::siIconCount; ++i) list->AddSurface(shell::ShellIconImage(i, size));
    return list;
}
}  // namespace

int RootFolderOrdinal(const std::string& Text)
{
    for (int i = 0; i < int(std::size(kRootNames)); ++i)
        if (CompareText(Text, kRootNames[i].name) == 0) return i;
    return -1;
}

int RootFolderCSIDL(TRootFolder Root) { return kRootNames[Root].csidl; }

unsigned ObjectTypesToEnumFlags(TShellObjectTypes Types) { return Types.Bits() << 5; }

// ---------------------------------------------------------------------------
TbsShellFolder::TbsShellFolder(TbsShellFolder* AParent, const TItemIDList& ID,
                               std::unique_ptr<shell::TShellFolder> SF)
    : FPIDL(ID), FIShellFolder(std::move(SF))
{
    // A folder made without a parent hangs under the desktop folder object
    // (the desktop's own object, made first, has none).
    FParent = AParent ? AParent : gMakingDesktop ? nullptr : ShellDesktopFolder();
    FFullPIDL = AParent ? shell::JoinItemIDLists(&AParent->AbsoluteID(), &ID) : ID;
    FLevel = (!FParent || !FParent->FParent) ? 0 : FParent->FLevel + 1;
}

TbsShellFolder::TbsShellFolder(TbsShellFolder* AParent, const TItemIDList& ID, std::unique_ptr<shell::TShellFolder> SF,
                               shell::TItemInfo Info)
    : TbsShellFolder(AParent, ID, std::move(SF))
{
    FInfo = std::move(Info);
}

const shell::TItemInfo& TbsShellFolder::Info() const
{
    if (!FInfo)
    {
        FInfo.emplace();
        shell::GetItemInfo(FFullPIDL, *FInfo);
    }
    return *FInfo;
}

shell::TShellFolder TbsShellFolder::ParentShellFolder() const
{
    return shell::TShellFolder(FParent ? FParent->AbsoluteID() : TItemIDList());
}

TbsShellFolderProperties TbsShellFolder::Properties() const
{
    const std::uint32_t a = Attributes(*this, shell::SFGAO_DISPLAYATTRMASK | shell::SFGAO_FILESYSTEM |
                                                  shell::SFGAO_FILESYSANCESTOR | shell::SFGAO_REMOVABLE |
                                                  shell::SFGAO_VALIDATE);
    TbsShellFolderProperties p;
    if (a & shell::SFGAO_GHOSTED) p << fpCut;
    if (a & shell::SFGAO_LINK) p << fpIsLink;
    if (a & shell::SFGAO_READONLY) p << fpReadOnly;
    if (a & shell::SFGAO_SHARE) p << fpShared;
    if (a & shell::SFGAO_FILESYSTEM) p << fpFileSystem;
    if (a & shell::SFGAO_FILESYSANCESTOR) p << fpFileSystemAncestor;
    if (a & shell::SFGAO_REMOVABLE) p << fpRemovable;
    if (a & shell::SFGAO_VALIDATE) p << fpValidate;
    return p;
}

TbsShellFolderCapabilities TbsShellFolder::Capabilities() const
{
    const std::uint32_t a = Attributes(*this, 0x177);
    TbsShellFolderCapabilities c;
    if (a & shell::SFGAO_CANCOPY) c << fcCanCopy;
    if (a & shell::SFGAO_CANDELETE) c << fcCanDelete;
    if (a & shell::SFGAO_CANLINK) c << fcCanLink;
    if (a & shell::SFGAO_CANMOVE) c << fcCanMove;
    if (a & shell::SFGAO_CANRENAME) c << fcCanRename;
    if (a & shell::SFGAO_DROPTARGET) c << fcDropTarget;
    if (a & shell::SFGAO_HASPROPSHEET) c << fcHasPropSheet;
    return c;
}

bool TbsShellFolder::SubFolders() const { return Attributes(*this, shell::SFGAO_HASSUBFOLDER) != 0; }

bool TbsShellFolder::IsFolder() const { return Info().Folder; }

std::string TbsShellFolder::PathName() const
{
    // A virtual folder has no parsing path: its normal name stands instead.
    std::string s = shell::SHGetDesktopFolder().GetDisplayNameOf(FFullPIDL, shell::SHGDN_FORPARSING);
    if (s.rfind("::{", 0) == 0) s = shell::SHGetDesktopFolder().GetDisplayNameOf(FFullPIDL, shell::SHGDN_NORMAL);
    return s;
}

std::string TbsShellFolder::FullObjectName() const { return Info().Path; }

std::string TbsShellFolder::DisplayName() const { return Info().DisplayName; }

bool TbsShellFolder::Rename(const std::string& NewName)
{
    if (!Capabilities().Contains(fcCanRename)) return false;
    TItemIDList renamed;
    if (!ParentShellFolder().SetNameOf(FPIDL, NewName, renamed)) throw Exception(Format(SRenameFailed, NewName.c_str()));
    FPIDL = renamed;
    FFullPIDL = FParent ? shell::JoinItemIDLists(&FParent->AbsoluteID(), &renamed) : renamed;
    FDetails.clear();
    FInfo.reset();
    return true;
}

int TbsShellFolder::ImageIndex(bool) const { return Info().Icon; }

bool TbsShellFolder::ExecuteDefault() const { return !IsFolder() && shell::ShellExecuteDefault(FFullPIDL); }

void TbsShellFolder::LoadColumnDetails(TbsShellFolder* RootFolder, int ColumnCount)
{
    if (int(FDetails.size()) >= ColumnCount) return;
    FDetails.clear();
    const shell::TShellFolder folder = RootFolder && RootFolder->ShellFolder() ? *RootFolder->ShellFolder()
                                                                               : ParentShellFolder();
    for (int i = 1; i <= ColumnCount; ++i) FDetails.push_back(folder.GetDetailsOf(FPIDL, i));
}

std::string TbsShellFolder::ColumnDetail(int Index) const
{
    if (FDetails.empty()) throw Exception(Format(SMissingColumnDetails, DisplayName().c_str()));
    return Index >= 1 && Index <= int(FDetails.size()) ? FDetails[std::size_t(Index - 1)] : std::string();
}

// ---------------------------------------------------------------------------
TbsShellFolder* ShellDesktopFolder()
{
    // Reachable for the whole run; the controls' folders point at it.
    if (!gDesktop)
    {
        gMakingDesktop = true;
        gDesktop = new TbsShellFolder(nullptr, TItemIDList(), std::make_unique<shell::TShellFolder>(TItemIDList()));
        gMakingDesktop = false;
    }
    return gDesktop;
}

std::unique_ptr<TbsShellFolder> CreateFolderFromItemIDList(const TItemIDList& Absolute)
{
    std::unique_ptr<shell::TShellFolder> sf = shell::SHGetDesktopFolder().BindToObject(Absolute);
    if (!sf) sf = std::make_unique<shell::TShellFolder>(TItemIDList());
    return std::make_unique<TbsShellFolder>(nullptr, Absolute, std::move(sf));
}

std::unique_ptr<TbsShellFolder> CreateFolderFromRoot(const TRoot& OldRoot, TRoot& Root)
{
    TItemIDList id;
    bool ok = false;
    const int ordinal = RootFolderOrdinal(Root);
    if (ordinal >= 0) ok = shell::SHGetSpecialFolderLocation(RootFolderCSIDL(TRootFolder(ordinal)), id);
    else if (!Root.empty()) ok = shell::ParseDisplayName(Root, id);
    if (!ok)
    {
        const std::string failed = Root;
        Root = OldRoot;
        throw Exception(Format(SErrorSettingPath, failed.c_str()));
    }
    return CreateFolderFromItemIDList(id);
}

TItemIDList ParsePathOrRaise(const std::string& Path)
{
    TItemIDList id;
    if (!shell::ParseDisplayName(Path, id)) throw EInvalidPath(Format(SErrorSettingPath, Path.c_str()));
    return id;
}

TCustomImageList* ShellSmallImages()
{
    static TCustomImageList* list = MakeIconList(16);
    return list;
}

TCustomImageList* ShellLargeImages()
{
    static TCustomImageList* list = MakeIconList(32);
    return list;
}

// ---------------------------------------------------------------------------
namespace shellctrls
{
TBusyCursor::TBusyCursor() : saved_(Screen ? Screen->GetCursor() : crDefault)
{
    if (Screen) Screen->SetCursor(crHourGlass);
}

TBusyCursor::~TBusyCursor()
{
    if (Screen) Screen->SetCursor(saved_);
}

std::unique_ptr<TbsShellFolder> NewChild(TbsShellFolder* Parent, const TItemIDList& ID)
{
    std::unique_ptr<shell::TShellFolder> sf = Parent->ShellFolder() ? Parent->ShellFolder()->BindToObject(ID) : nullptr;
    return std::make_unique<TbsShellFolder>(Parent, ID, std::move(sf));
}

std::unique_ptr<TbsShellFolder> NewChild(TbsShellFolder* Parent, const TItemIDList& ID, shell::TItemInfo Info)
{
    // The listing has seen whether it is a folder: it is bound without a second look.
    std::unique_ptr<shell::TShellFolder> sf;
    if (Info.Folder && Parent->ShellFolder())
        sf = std::make_unique<shell::TShellFolder>(shell::JoinItemIDLists(&Parent->AbsoluteID(), &ID));
    return std::make_unique<TbsShellFolder>(Parent, ID, std::move(sf), std::move(Info));
}

bool EnumItems(TbsShellFolder* Folder, unsigned Flags, std::vector<TItemIDList>& Items)
{
    Items.clear();
    return Folder && Folder->ShellFolder() && Folder->ShellFolder()->EnumObjects(Flags, Items);
}

bool SameRoot(const std::string& A, const std::string& B)
{
    if (RootFolderOrdinal(A) >= 0 && RootFolderOrdinal(B) >= 0) return CompareText(A, B) == 0;
    return A == B;
}

bool Loading(const TComponent* C) { return (C->ComponentState() & csLoading) != 0; }

bool ListSortedChildren(TbsShellFolder* Folder, unsigned Flags, std::vector<TListedItem>& Items)
{
    Items.clear();
    std::vector<TItemIDList> ids;
    std::vector<shell::TItemInfo> infos;
    if (!Folder || !Folder->ShellFolder() || !Folder->ShellFolder()->EnumObjects(Flags, ids, infos)) return false;
    Items.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) Items.push_back({std::move(ids[i]), std::move(infos[i])});
    std::stable_sort(Items.begin(), Items.end(), [](const TListedItem& a, const TListedItem& b) {
        return shell::CompareItemInfos(0, a.Info, b.Info) < 0;
    });
    return true;
}
}  // namespace shellctrls
