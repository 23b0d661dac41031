// The shell namespace over a temporary home: item-ID lists, the roots,
// parsing, names, attributes, order, special folders, renaming and the trash.
#include "common/unprivileged.h"
#include "temp_dir.h"
#include "platform/core/Utf8.h"
#include "platform/shell/Icons.h"
#include "platform/shell/ShellFolder.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace shell;

namespace {

TItemIDList Items(std::initializer_list<std::pair<std::uint8_t, std::string>> items)
{
    TItemIDList l;
    for (const auto& [kind, text] : items)
    {
        TItemIDList i = TItemIDList::Item(kind, text);
        l = JoinItemIDLists(&l, &i);
    }
    return l;
}

TItemIDList Name(const std::string& n)
{
    return TItemIDList::Item(kItemName, n);
}

std::vector<std::string> Names(const TShellFolder& folder, unsigned flags, unsigned nameFlags = SHGDN_INFOLDER)
{
    std::vector<TItemIDList> items;
    EXPECT_TRUE(folder.EnumObjects(flags, items));
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(folder.GetDisplayNameOf(i, nameFlags));
    return out;
}

void Write(const fs::path& p, const std::string& text = "x")
{
    std::ofstream(p) << text;
}

// HOME and XDG_* point into a fresh tree; the mount table has "/" and one
// volume inside the tree.
class ShellNamespaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root_ = (fs::path(ProcessTempDir()) / "shell").lexically_normal();
        fs::remove_all(root_);
        home_ = root_ / "home";
        vol_ = root_ / "vol";
        fs::create_directories(home_ / ".config");
        fs::create_directories(home_ / "Desk");
        fs::create_directories(home_ / "Docs");
        fs::create_directories(vol_ / "sub");
        std::ofstream(home_ / ".config" / "user-dirs.dirs")
            << "XDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_TEMPLATES_DIR=\"$HOME/Tpl\"\n";
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ / ".local/share").c_str(), 1);
        std::string mounts = "1 0 0:1 / / rw - ext4 /dev/sda1 rw\n"
                             "2 1 0:2 / " + vol_.string() + " rw - ext4 /dev/sdb1 rw\n";
        sys::SetDriveSourcesForTesting(sys::TDriveSources{mounts, "", ""});
    }
    void TearDown() override { sys::SetDriveSourcesForTesting(); }

    TItemIDList Parse(const fs::path& p)
    {
        TItemIDList l;
        EXPECT_TRUE(ParseDisplayName(p.string(), l)) << p;
        return l;
    }
    TShellFolder Folder(const fs::path& p) { return TShellFolder(Parse(p)); }

    fs::path root_, home_, vol_;
};

} // namespace

TEST(ItemIDListTest, ListHelpersKeepTheByteForm)
{
    TItemIDList empty;
    EXPECT_EQ(2u, ItemIDListSize(&empty));
    EXPECT_EQ(0u, ItemIDListSize(nullptr));
    EXPECT_EQ(0, CountItemIDs(empty));

    TItemIDList three = Items({{kItemVirtual, "computer"}, {kItemVolume, "/"}, {kItemName, "a b"}});
    EXPECT_EQ(3, CountItemIDs(three));
    EXPECT_EQ(std::size_t(11 + 4 + 6 + 2), three.Size());
    EXPECT_EQ(11, three.Data()[0]);
    EXPECT_EQ(kItemVolume, ItemIDKind(NextItemID(three.Data())));
    EXPECT_EQ("a b", ItemIDText(NextItemID(NextItemID(three.Data()))));

    std::vector<TItemIDList> prefixes = BuildItemIDPrefixList(three);
    ASSERT_EQ(3u, prefixes.size());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(i, CountItemIDs(prefixes[i]));
    EXPECT_EQ(Items({{kItemVirtual, "computer"}, {kItemVolume, "/"}}), prefixes[2]);
    EXPECT_TRUE(BuildItemIDPrefixList(empty).empty());

    EXPECT_EQ(three, JoinItemIDLists(&empty, &three));
    EXPECT_EQ(three, JoinItemIDLists(nullptr, &three));
    EXPECT_EQ(three, JoinItemIDLists(&three, nullptr));
    EXPECT_EQ(Name("a b"), LastItemIDOf(three));
    EXPECT_EQ(empty, LastItemIDOf(empty));

    TItemIDList cut = three;
    RemoveLastItemID(&cut);
    EXPECT_EQ(prefixes[2], cut);
    EXPECT_EQ(2u, cut.Size() - prefixes[2].Size() + 2);
    RemoveLastItemID(&empty);
    RemoveLastItemID(nullptr);
    EXPECT_TRUE(empty.Empty());
}

TEST(ItemIDListTest, FromBytesTakesOnlyWholeLists)
{
    struct Row { std::vector<std::uint8_t> bytes; bool ok; };
    const Row rows[] = {
        {{0, 0}, true},
        {{4, 0, 3, 'a', 0, 0}, true},
        {{4, 0, 3, 'a', 0, 0, 9, 9}, true},   // bytes after the terminator are not part of it
        {{4, 0, 3, 'a', 0}, false},           // no terminator
        {{9, 0, 3, 'a', 0, 0}, false},        // count past the end
        {{1, 0, 0, 0}, false},                // count too small to hold a kind
        {{0}, false},
    };
    for (const Row& r : rows)
    {
        auto l = TItemIDList::FromBytes(r.bytes.data(), r.bytes.size());
        EXPECT_EQ(r.ok, l.has_value()) << r.bytes.size();
        if (l) { EXPECT_EQ(r.bytes[0] == 0 ? 2u : 6u, l->Size()); }
    }
    EXPECT_FALSE(TItemIDList::FromBytes(nullptr, 0));
}

TEST_F(ShellNamespaceTest, DesktopHoldsHomeDocumentsComputerThenTheDesktopFolder)
{
    Write(home_ / "Desk" / "note.txt");
    TShellFolder desktop = SHGetDesktopFolder();
    EXPECT_EQ((std::vector<std::string>{"Home", "Documents", "Computer", "note.txt"}),
              Names(desktop, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS));
    EXPECT_EQ((home_ / "Desk").string(), SHGetPathFromIDList(TItemIDList()));

    std::vector<TItemIDList> items;
    ASSERT_TRUE(desktop.EnumObjects(SHCONTF_FOLDERS, items));
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(home_.string(), SHGetPathFromIDList(items[0]));
    EXPECT_EQ("", SHGetPathFromIDList(items[2]));

    // Computer holds the volumes of the mount table.
    std::unique_ptr<TShellFolder> computer = desktop.BindToObject(items[2]);
    ASSERT_TRUE(computer);
    EXPECT_EQ((std::vector<std::string>{"/", vol_.string()}),
              Names(*computer, SHCONTF_FOLDERS, SHGDN_INFOLDER | SHGDN_FORPARSING));
    EXPECT_EQ("File System", Names(*computer, SHCONTF_FOLDERS)[0]);

    fs::remove(home_ / "Docs");
    EXPECT_EQ((std::vector<std::string>{"Home", "Computer"}), Names(desktop, SHCONTF_FOLDERS));
    TItemIDList docs;
    EXPECT_FALSE(SHGetSpecialFolderLocation(CSIDL_PERSONAL, docs));
}

TEST_F(ShellNamespaceTest, AbsolutePathsParseThroughTheirVolume)
{
    Write(vol_ / "sub" / "f");
    fs::create_directories(home_ / "a" / "b");
    const TItemIDList computer = TItemIDList::Item(kItemVirtual, "computer");
    const TItemIDList rootVol = JoinItemIDLists(&computer, std::make_unique<TItemIDList>(TItemIDList::Item(kItemVolume, "/")).get());
    const TItemIDList vol = Items({{kItemVirtual, "computer"}, {kItemVolume, vol_.string()}});

    TItemIDList l;
    ASSERT_TRUE(ParseDisplayName("/", l));
    EXPECT_EQ(rootVol, l);
    ASSERT_TRUE(ParseDisplayName(vol_.string() + "//sub/./f", l));
    EXPECT_EQ(Items({{kItemVirtual, "computer"}, {kItemVolume, vol_.string()}, {kItemName, "sub"}, {kItemName, "f"}}), l);
    EXPECT_EQ((vol_ / "sub" / "f").string(), SHGetPathFromIDList(l));
    ASSERT_TRUE(ParseDisplayName(vol_.string() + "/", l));
    EXPECT_EQ(vol, l);
    ASSERT_TRUE(ParseDisplayName((home_ / "a" / "b" / "..").string(), l));
    EXPECT_EQ((home_ / "a").string(), SHGetPathFromIDList(l));
    EXPECT_EQ(CountItemIDs(rootVol) + CountItemIDs(Parse(home_)) - 2 + 1, CountItemIDs(l));

    for (const std::string& text : std::vector<std::string>{"", "relative/x", "~", "~/a", "./a", "a:", (home_ / "missing").string()})
        EXPECT_FALSE(ParseDisplayName(text, l)) << text;

    // Lists that name nothing of the namespace resolve to no path.
    for (const TItemIDList& bad : {Items({{kItemVolume, "/"}}), Items({{kItemVirtual, "nowhere"}}),
                                   Items({{kItemVirtual, "computer"}, {kItemVolume, "/not-a-mount"}}),
                                   Items({{kItemVirtual, "computer"}, {kItemName, "x"}}),
                                   Items({{kItemVirtual, "home"}, {kItemName, ".."}})})
        EXPECT_EQ("", SHGetPathFromIDList(bad));
}

TEST_F(ShellNamespaceTest, SpecialFoldersMapToTheXdgFolders)
{
    fs::create_directories(home_ / "Tpl");
    fs::create_directories(home_ / ".config" / "autostart");
    struct Row { int csidl; fs::path path; };
    const Row rows[] = {
        {CSIDL_DESKTOPDIRECTORY, home_ / "Desk"}, {CSIDL_TEMPLATES, home_ / "Tpl"},
        {CSIDL_APPDATA, home_ / ".config"},       {CSIDL_STARTUP, home_ / ".config" / "autostart"},
        {CSIDL_PERSONAL, home_ / "Docs"},
    };
    for (const Row& r : rows)
    {
        TItemIDList l;
        ASSERT_TRUE(SHGetSpecialFolderLocation(r.csidl, l)) << r.csidl;
        EXPECT_EQ(r.path.string(), SHGetPathFromIDList(l)) << r.csidl;
    }
    TItemIDList l;
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_DESKTOP, l));
    EXPECT_TRUE(l.Empty());
    ASSERT_TRUE(SHGetSpecialFolderLocation(CSIDL_DRIVES, l));
    EXPECT_EQ(TItemIDList::Item(kItemVirtual, "computer"), l);
    // Missing XDG folders and folders Linux has no counterpart for.
    for (int csidl : {CSIDL_FONTS, CSIDL_PROGRAMS, CSIDL_BITBUCKET, 1, 3, 4, 6, 8, 18, 99, -1})
        EXPECT_FALSE(SHGetSpecialFolderLocation(csidl, l)) << csidl;
}

TEST_F(ShellNamespaceTest, NamesKeepEveryCharacterAndShowInvalidBytesReplaced)
{
    const fs::path dir = home_ / "names";
    fs::create_directories(dir);
    const std::string bad = std::string("bad\xff\xfe") + ".txt";
    for (const std::string& n : std::vector<std::string>{"a:b", "back\\slash", "why?", "?1?2", bad, ".dot"}) Write(dir / n);
    TShellFolder folder = Folder(dir);

    std::vector<std::string> shown = Names(folder, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ((std::vector<std::string>{".dot", "?1?2", "a:b", "back\\slash", "bad\xEF\xBF\xBD\xEF\xBF\xBD.txt", "why?"}),
              shown);
    EXPECT_EQ(5u, Names(folder, SHCONTF_NONFOLDERS).size());   // the dot-file is hidden

    // Parsing and editing names are the raw bytes, so the file can be found again.
    EXPECT_EQ(bad, folder.GetDisplayNameOf(Name(bad), SHGDN_INFOLDER | SHGDN_FORPARSING));
    EXPECT_EQ(bad, folder.GetDisplayNameOf(Name(bad), SHGDN_FOREDITING));
    EXPECT_EQ((dir / bad).string(), folder.GetDisplayNameOf(Name(bad), SHGDN_FORPARSING));
    EXPECT_EQ("Desktop", SHGetDesktopFolder().GetDisplayNameOf(TItemIDList(), SHGDN_NORMAL));

    // Control characters show as "?", so a name stays one visible line; the
    // names that find the file keep them.
    for (const std::string& n : {std::string("dir\nwith newline"), std::string("cr\rtab\t\x7f.mts")})
    {
        SCOPED_TRACE(n);
        Write(dir / n);
        std::string shown = n;
        for (char& c : shown)
            if ((unsigned char)c < 0x20 || c == 0x7f) c = '?';
        EXPECT_EQ(shown, folder.GetDisplayNameOf(Name(n), SHGDN_INFOLDER));
        EXPECT_EQ(shown, folder.GetDisplayNameOf(Name(n), SHGDN_NORMAL));
        EXPECT_EQ(n, folder.GetDisplayNameOf(Name(n), SHGDN_FOREDITING));
        EXPECT_EQ((dir / n).string(), folder.GetDisplayNameOf(Name(n), SHGDN_FORPARSING));
        TItemInfo info;
        const TItemIDList item = Name(n);
        ASSERT_TRUE(GetItemInfo(JoinItemIDLists(&folder.AbsoluteID(), &item), info));
        EXPECT_EQ(shown, info.DisplayName);
        EXPECT_EQ(n, info.Name);
    }
    EXPECT_EQ(Utf8Visible("a\xC2\x85" "b\xff" "c"), "a?b\xEF\xBF\xBD" "c");   // a C1 control, an invalid byte
}

TEST_F(ShellNamespaceTest, AttributesComeFromTheFileAndAFailedQueryReportsNone)
{
    const fs::path dir = home_ / "attr";
    fs::create_directories(dir / "folder" / "inner");
    fs::create_directories(dir / "empty");
    Write(dir / "file");
    Write(dir / ".hidden");
    fs::create_symlink("loop", dir / "loop");
    fs::create_symlink("folder", dir / "link");
    ASSERT_EQ(0, ::mkfifo((dir / "fifo").c_str(), 0644));
    TShellFolder folder = Folder(dir);
    constexpr std::uint32_t all = 0xFFFFFFFF;
    constexpr std::uint32_t fsDir = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;

    struct Row { const char* name; std::uint32_t set, clear; };
    const Row rows[] = {
        {"folder", fsDir | SFGAO_HASSUBFOLDER | SFGAO_CANRENAME | SFGAO_CANDELETE, SFGAO_LINK | SFGAO_HIDDEN},
        {"empty", fsDir, SFGAO_HASSUBFOLDER},
        {"file", SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANRENAME, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR},
        {".hidden", SFGAO_HIDDEN | SFGAO_GHOSTED, SFGAO_FOLDER},
        {"loop", SFGAO_LINK | SFGAO_FILESYSTEM, SFGAO_FOLDER},
        {"link", SFGAO_LINK | fsDir, 0},
        {"fifo", SFGAO_FILESYSTEM, SFGAO_FOLDER},
    };
    for (const Row& r : rows)
    {
        std::uint32_t mask = all;
        EXPECT_TRUE(folder.GetAttributesOf(Name(r.name), mask)) << r.name;
        EXPECT_EQ(r.set, mask & r.set) << r.name;
        EXPECT_EQ(0u, mask & r.clear) << r.name;
    }
    // Only what is asked is answered; a missing item answers nothing.
    std::uint32_t mask = SFGAO_FOLDER;
    EXPECT_TRUE(folder.GetAttributesOf(Name("folder"), mask));
    EXPECT_EQ(SFGAO_FOLDER, mask);
    mask = all;
    EXPECT_FALSE(folder.GetAttributesOf(Name("gone"), mask));
    EXPECT_EQ(0u, mask);
    mask = all;
    EXPECT_FALSE(folder.GetAttributesOf(Items({{kItemVirtual, "nowhere"}}), mask));
    EXPECT_EQ(0u, mask);

    // Listing a folder with a loop and a FIFO neither blocks nor follows them as folders.
    EXPECT_EQ(3u, Names(folder, SHCONTF_FOLDERS).size());   // folder, empty, link
    EXPECT_FALSE(folder.BindToObject(Name("loop")));
    EXPECT_FALSE(folder.BindToObject(Name("fifo")));
    EXPECT_TRUE(folder.BindToObject(Name("link")));

    // Whether each can be listed as a folder, and why not.
    fs::create_symlink("nowhere", dir / "broken");
    const std::pair<const char*, TFolderState> states[] = {
        {"folder", fsListable}, {"link", fsListable},     {"file", fsNotFolder}, {"fifo", fsNotFolder},
        {"loop", fsLinkLoop},   {"broken", fsBrokenLink}, {"gone", fsMissing},
    };
    for (const auto& [name, state] : states)
    {
        const TItemIDList item = Name(name);
        EXPECT_EQ(state, FolderState(JoinItemIDLists(&folder.AbsoluteID(), &item))) << name;
    }
    EXPECT_EQ(fsListable, FolderState(TItemIDList()));
    EXPECT_EQ(fsListable, FolderState(Items({{kItemVirtual, "computer"}})));
    EXPECT_EQ(fsMissing, FolderState(Items({{kItemVirtual, "nowhere"}})));

    // A listing with what each item is answers as the questions asked one by one.
    std::vector<TItemIDList> items, plain;
    std::vector<TItemInfo> infos;
    ASSERT_TRUE(folder.EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items, infos));
    ASSERT_TRUE(folder.EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, plain));
    EXPECT_EQ(plain, items);
    ASSERT_EQ(items.size(), infos.size());
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        const TItemInfo& info = infos[i];
        SCOPED_TRACE(info.Name);
        std::uint32_t mask = SFGAO_FOLDER;
        folder.GetAttributesOf(items[i], mask);
        EXPECT_EQ(info.Folder, mask != 0);
        EXPECT_EQ(info.DisplayName, folder.GetDisplayNameOf(items[i], SHGDN_INFOLDER));
        EXPECT_EQ(info.Size, folder.ItemSize(items[i]));
        EXPECT_EQ(info.Time, folder.ItemTime(items[i]));
        EXPECT_EQ(info.Path, (dir / info.Name).string());
        const TItemIDList full = JoinItemIDLists(&folder.AbsoluteID(), &items[i]);
        EXPECT_EQ(info.Icon, SystemImageIndex(full, false, false));
        EXPECT_EQ(info.OpenIcon, SystemImageIndex(full, false, true));
    }
}

TEST_F(ShellNamespaceTest, AnUnreadableFolderListsNothingAndReadOnlyItemsCannotBeRenamed)
{
    const fs::path dir = root_ / "perm";
    MakeSharedFolder(root_.string());
    MakeSharedFolder(dir.string());
    fs::create_directories(dir / "locked" / "inside");
    fs::create_directories(dir / "ro");
    Write(dir / "ro" / "file");
    ::chmod((dir / "locked").c_str(), 0);
    ::chmod((dir / "ro").c_str(), 0555);
    ::chmod((dir / "ro" / "file").c_str(), 0444);
    TShellFolder folder = Folder(dir);
    TShellFolder ro = Folder(dir / "ro");

    int rc = AsUnprivilegedUser(dir.string(), [&] {
        std::vector<TItemIDList> items;
        std::unique_ptr<TShellFolder> locked = folder.BindToObject(Name("locked"));
        if (!locked || locked->EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items) || !items.empty()) return 1;
        std::uint32_t mask = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
        if (!folder.GetAttributesOf(Name("locked"), mask) || mask != SFGAO_FOLDER) return 2;
        mask = 0xFFFFFFFF;
        if (!ro.GetAttributesOf(Name("file"), mask)) return 3;
        if (!(mask & SFGAO_READONLY) || (mask & (SFGAO_CANRENAME | SFGAO_CANDELETE))) return 4;
        TItemIDList renamed;
        if (ro.SetNameOf(Name("file"), "other", renamed)) return 5;
        const TItemIDList lockedItem = Name("locked");
        if (FolderState(JoinItemIDLists(&folder.AbsoluteID(), &lockedItem)) != fsUnreadable) return 6;
        return 0;
    });
    ::chmod((dir / "locked").c_str(), 0755);
    ::chmod((dir / "ro").c_str(), 0755);
    EXPECT_EQ(0, rc);
}

TEST_F(ShellNamespaceTest, OrderPutsFoldersFirstThenNamesByCaseThenBytes)
{
    const fs::path dir = home_ / "sort";
    fs::create_directories(dir / "zdir");
    fs::create_directories(dir / "Adir");
    for (const char* n : {"b", "B", "a", "C.mp4"}) Write(dir / n);
    auto sparse = [&](const char* n, std::uintmax_t size) {
        Write(dir / n, "");
        fs::resize_file(dir / n, size);
    };
    sparse("big5", 5ull << 30);
    sparse("big3", 3ull << 30);
    TShellFolder folder = Folder(dir);

    auto sorted = [&](int column) {
        std::vector<TItemIDList> items;
        EXPECT_TRUE(folder.EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items));
        std::sort(items.begin(), items.end(),
                  [&](const TItemIDList& x, const TItemIDList& y) { return folder.CompareIDs(column, x, y) < 0; });
        std::vector<std::string> out;
        for (const auto& i : items) out.push_back(ItemIDText(i.Data()));
        return out;
    };
    EXPECT_EQ((std::vector<std::string>{"Adir", "zdir", "a", "B", "b", "big3", "big5", "C.mp4"}), sorted(scName));
    EXPECT_EQ((std::vector<std::string>{"Adir", "zdir", "a", "B", "b", "C.mp4", "big3", "big5"}), sorted(scSize));
    EXPECT_EQ((std::vector<std::string>{"Adir", "zdir", "a", "B", "b", "big3", "big5", "C.mp4"}), sorted(scType));
    EXPECT_EQ(0, folder.CompareIDs(scName, Name("a"), Name("a")));
    // What a listing saw orders the items as the questions one by one do.
    std::vector<TItemIDList> items;
    std::vector<TItemInfo> infos;
    ASSERT_TRUE(folder.EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items, infos));
    for (int column : {scName, scSize, scType, scModified})
    {
        std::vector<TItemInfo> byInfo = infos;
        std::sort(byInfo.begin(), byInfo.end(),
                  [&](const TItemInfo& x, const TItemInfo& y) { return CompareItemInfos(column, x, y) < 0; });
        std::vector<std::string> names;
        for (const TItemInfo& i : byInfo) names.push_back(i.Name);
        EXPECT_EQ(sorted(column), names) << column;
    }

    // Virtual items keep their places ahead of the desktop folder's entries.
    Write(home_ / "Desk" / "0first");
    TShellFolder desktop = SHGetDesktopFolder();
    EXPECT_LT(desktop.CompareIDs(scName, TItemIDList::Item(kItemVirtual, "home"), TItemIDList::Item(kItemVirtual, "computer")), 0);
    EXPECT_LT(desktop.CompareIDs(scName, TItemIDList::Item(kItemVirtual, "computer"), Name("0first")), 0);

    // The detail columns of the 5 GiB file show its whole size.
    EXPECT_EQ(5ll << 30, folder.ItemSize(Name("big5")));
    EXPECT_EQ("5,242,880 KB", folder.GetDetailsOf(Name("big5"), scSize));
    EXPECT_EQ("big5", folder.GetDetailsOf(Name("big5"), scName));
    EXPECT_EQ("MP4 Video", folder.GetDetailsOf(Name("C.mp4"), scType));
    EXPECT_EQ("Folder", folder.GetDetailsOf(Name("zdir"), scType));
    EXPECT_EQ("", folder.GetDetailsOf(Name("zdir"), scSize));
    EXPECT_EQ(16u, folder.GetDetailsOf(Name("a"), scModified).size());
}

TEST(ShellTypeNameTest, TypeNamesByExtension)
{
    struct Row { const char* name; bool folder; const char* type; };
    const Row rows[] = {
        {"clip.MKV", false, "Matroska Video"}, {"song.mp3", false, "MP3 Audio"}, {"x.jpeg", false, "JPEG Image"},
        {"a.xyz", false, "XYZ File"},          {"noext", false, "File"},        {".bashrc", false, "File"},
        {"dir.mp4", true, "Folder"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.type, FileTypeName(r.name, r.folder)) << r.name;
}

TEST_F(ShellNamespaceTest, RenameRefusesAnExistingNameAndBadNames)
{
    const fs::path dir = home_ / "ren";
    fs::create_directories(dir);
    Write(dir / "one", "1");
    Write(dir / "two", "2");
    TShellFolder folder = Folder(dir);
    TItemIDList renamed;
    for (const char* bad : {"two", "", ".", "..", "a/b"})
        EXPECT_FALSE(folder.SetNameOf(Name("one"), bad, renamed)) << bad;
    EXPECT_FALSE(folder.SetNameOf(Name("missing"), "three", renamed));
    std::ifstream two(dir / "two");
    EXPECT_EQ('2', two.get());

    ASSERT_TRUE(folder.SetNameOf(Name("one"), "new?:name", renamed));
    EXPECT_EQ(Name("new?:name"), renamed);
    EXPECT_TRUE(fs::exists(dir / "new?:name"));
    EXPECT_FALSE(fs::exists(dir / "one"));
}

namespace {

struct TRecordingLauncher : sys::ILauncher
{
    std::vector<std::vector<std::string>> started;
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        started.push_back(argv);
        return true;
    }
};

} // namespace

TEST_F(ShellNamespaceTest, DeleteMovesToTheTrashWithItsInfoAndOpenUsesTheLauncher)
{
    const fs::path dir = home_ / "del";
    fs::create_directories(dir / "folder");
    Write(dir / "a b%.txt", "keep");
    Write(dir / "folder" / "a b%.txt", "second");
    const TItemIDList item = Parse(dir / "a b%.txt");

    TShellVerbHooks hooks;
    EXPECT_FALSE(InvokeShellVerb(item, "delete", hooks));   // nobody confirmed
    hooks.ConfirmDelete = [](const std::string& name) { return name == "a b%.txt"; };
    ASSERT_TRUE(InvokeShellVerb(item, "delete", hooks));
    EXPECT_FALSE(fs::exists(dir / "a b%.txt"));
    ASSERT_TRUE(InvokeShellVerb(Parse(dir / "folder" / "a b%.txt"), "delete", hooks));

    const fs::path trash = home_ / ".local/share/Trash";
    std::ifstream info(trash / "info" / "a b%.txt.trashinfo");
    std::string header, path, date;
    std::getline(info, header);
    std::getline(info, path);
    std::getline(info, date);
    EXPECT_EQ("[Trash Info]", header);
    EXPECT_EQ("Path=" + (dir / "a%20b%25.txt").string(), path);
    EXPECT_EQ(0u, date.rfind("DeletionDate=", 0));
    EXPECT_EQ(std::string("DeletionDate=2026-01-01T00:00:00").size(), date.size());
    // The second file of the same name gets a name of its own.
    EXPECT_TRUE(fs::exists(trash / "info" / "a b%.2.txt.trashinfo"));
    EXPECT_TRUE(fs::exists(trash / "files" / "a b%.2.txt"));

    // Round trip: put it back where the info says.
    fs::rename(trash / "files" / "a b%.txt", dir / "a b%.txt");
    std::ifstream back(dir / "a b%.txt");
    std::string text;
    back >> text;
    EXPECT_EQ("keep", text);

    EXPECT_FALSE(MoveToTrash((dir / "missing").string()));
    EXPECT_FALSE(MoveToTrash("relative"));
    EXPECT_FALSE(InvokeShellVerb(TItemIDList::Item(kItemVirtual, "computer"), "delete", hooks));

    auto launcher = std::make_shared<TRecordingLauncher>();
    auto old = sys::SetLauncher(launcher);
    EXPECT_TRUE(InvokeShellVerb(item, "open", hooks));
    EXPECT_FALSE(InvokeShellVerb(TItemIDList::Item(kItemVirtual, "computer"), "open", hooks));
    sys::SetLauncher(old);
    ASSERT_EQ(1u, launcher->started.size());
    EXPECT_EQ((std::vector<std::string>{"xdg-open", (dir / "a b%.txt").string()}), launcher->started[0]);

    int shown = 0;
    EXPECT_FALSE(InvokeShellVerb(item, "properties", hooks));
    hooks.ShowProperties = [&](const TItemIDList& l) { shown += l == item; };
    EXPECT_TRUE(InvokeShellVerb(item, "properties", hooks));
    EXPECT_EQ(1, shown);
}

TEST(ShellIconTest, EveryIconIsDrawnAtBothSizesAndTheyDiffer)
{
    std::vector<std::vector<TPixel>> seen;
    for (int size : {16, 32})
        for (int i = 0; i < siIconCount; ++i)
        {
            TSurface s = ShellIconImage(i, size);
            ASSERT_EQ(size, s.Width());
            ASSERT_EQ(size, s.Height());
            EXPECT_EQ(0, PixelA(s.Pixel(0, 0))) << i;   // the corner stays transparent
            std::vector<TPixel> px;
            int opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                {
                    px.push_back(s.Pixel(x, y));
                    opaque += PixelA(s.Pixel(x, y)) == 255;
                }
            EXPECT_GT(opaque, size * size / 8) << i;
            for (const auto& other : seen) EXPECT_NE(other, px) << i << " at " << size;
            seen.push_back(px);
        }
    EXPECT_EQ(16, ShellIconImage(-1, 16).Width());
}

TEST_F(ShellNamespaceTest, ItemsGetTheIconOfTheirKind)
{
    const fs::path dir = home_ / "icons";
    fs::create_directories(dir / "sub");
    for (const char* n : {"a.MKV", "b.flac", "c.png", "d.srt", "e.bin"}) Write(dir / n);
    struct Row { TItemIDList list; bool open; int icon; };
    const Row rows[] = {
        {TItemIDList(), false, siDesktop},
        {TItemIDList::Item(kItemVirtual, "computer"), false, siComputer},
        {TItemIDList::Item(kItemVirtual, "home"), false, siHome},
        {TItemIDList::Item(kItemVirtual, "documents"), false, siDocuments},
        {Parse("/"), false, siVolumeFixed},
        {Parse(dir / "sub"), false, siFolder},
        {Parse(dir / "sub"), true, siFolderOpen},
        {Parse(dir / "a.MKV"), false, siVideo},
        {Parse(dir / "b.flac"), false, siAudio},
        {Parse(dir / "c.png"), false, siImage},
        {Parse(dir / "d.srt"), false, siText},
        {Parse(dir / "e.bin"), false, siFile},
        {TItemIDList::Item(kItemVirtual, "nowhere"), false, siFile},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
    {
        EXPECT_EQ(rows[i].icon, SystemImageIndex(rows[i].list, false, rows[i].open)) << i;
        EXPECT_EQ(rows[i].icon, SystemImageIndex(rows[i].list, true, rows[i].open)) << i;
    }
}
