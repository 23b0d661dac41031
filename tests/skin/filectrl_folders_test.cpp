// The directory list box and the drive combo box on a temporary tree: rows,
// indents and the selected current row, moving by double click, Enter, a
// relative name and the drive combo box, the linked file list and label, the
// drives with their texts and case. The current directory stays.
#include "common/mount_line.h"
#include "common/unprivileged.h"
#include "lib/bsfilectrl.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"
#include "platform/temp_dir.h"
#include "skin/skinctrls_helpers.h"

#include <filesystem>
#include <fstream>

using namespace ctrltest;
namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

namespace
{
class FoldersTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        root = sys::ExpandFileName(ProcessTempDir() + "/folders");
        fs::remove_all(root);
        for (const char* d : {"Sub/inner", "Sub/Alpha", "Sub/.git", "other:1", "back\\slash"}) fs::create_directories(root + "/" + d);
        std::ofstream(root + "/Sub/clip.mts") << "x";
        cwd = sys::GetCurrentDir();
        form = MakeForm(500, 640);
    }
    void TearDown() override
    {
        EXPECT_EQ(sys::GetCurrentDir(), cwd);
        sys::SetDriveSourcesForTesting();
        SkinCtrlTest::TearDown();
    }
    TbsSkinDirectoryListBox* MakeDirList()
    {
        auto* l = new TbsSkinDirectoryListBox(form);
        l->SetBounds(10, 10, 220, 300);
        l->SetParent(form);
        form->Show();
        driver->PumpUntilIdle();
        return l;
    }
    Rows Tail(TbsSkinDirectoryListBox* l, std::size_t n)
    {
        Rows r;
        for (int i = std::max(0, l->Items()->Count() - int(n)); i < l->Items()->Count(); ++i) r.push_back(l->Items()->Strings(i));
        return r;
    }
    TPoint RowPoint(TbsSkinListBox* l, int i)
    {
        const TRect r = l->ListBox->ItemRect(i);
        return l->ListBox->ClientToScreen(TPoint(r.Left + 40, (r.Top + r.Bottom) / 2));
    }
    std::string root, cwd;
    TForm* form = nullptr;
};
}  // namespace

TEST_F(FoldersTest, RowsIndentsAndMoves)
{
    auto* l = MakeDirList();
    l->SetDirectory(root + "/Sub");
    EXPECT_EQ(l->Directory(), root + "/Sub");
    const int cur = l->ItemIndex();
    ASSERT_GE(cur, 2);
    EXPECT_EQ(l->Items()->Strings(cur), "Sub");
    EXPECT_EQ(l->Rows()[std::size_t(cur)].Kind, TbsFolderRowKind::Current);
    EXPECT_EQ(l->Rows()[std::size_t(cur)].Indent, cur * 4 + 2);
    EXPECT_EQ(Tail(l, 2), (Rows{"Alpha", "inner"}));
    EXPECT_EQ(l->Rows().back().Indent, (cur + 1) * 4 + 2);
    EXPECT_EQ(l->GetItemPath(0), "/");
    EXPECT_EQ(l->GetItemPath(cur - 1), root);
    EXPECT_EQ(l->GetItemPath(l->Items()->Count()), "");
    // Double click on the level above moves up; Enter on a subfolder moves in.
    driver->DoubleClick(RowPoint(l, cur - 1));
    EXPECT_EQ(l->Directory(), root);
    EXPECT_EQ(Tail(l, 3), (Rows{"back\\slash", "other:1", "Sub"}));
    l->SetItemIndex(l->Items()->Count() - 2);
    l->ListBox->SetFocus();
    driver->PressKey(VK_RETURN);
    EXPECT_EQ(l->Directory(), root + "/other:1");
    // A relative name is taken in the list's folder; a missing one changes nothing.
    l->SetDirectory("../Sub/inner");
    EXPECT_EQ(l->Directory(), root + "/Sub/inner");
    EXPECT_THROW(l->SetDirectory("missing"), EInOutError);
    EXPECT_EQ(l->Directory(), root + "/Sub/inner");
    // The same folder again does nothing.
    int changes = 0;
    l->OnChange = [&](TObject*) { ++changes; };
    l->SetDirectory(root + "/Sub/inner");
    EXPECT_EQ(changes, 0);
}

TEST_F(FoldersTest, LinkedFileListAndLabelFollow)
{
    auto* l = MakeDirList();
    auto* files = new TbsSkinFileListBox(form);
    files->SetBounds(240, 10, 200, 200);
    files->SetParent(form);
    auto* label = new TbsSkinStdLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(10, 320, 60, 16);
    l->SetFileList(files);
    l->SetDirLabel(label);
    driver->PumpUntilIdle();
    l->SetDirectory(root + "/Sub");
    EXPECT_EQ(files->Directory(), root + "/Sub");
    ASSERT_EQ(files->Items()->Count(), 1);
    EXPECT_EQ(files->Items()->Strings(0), "clip.mts");
    // Too narrow for the path: its first folders give way to ".../".
    EXPECT_NE(label->GetText(), l->Directory());
    EXPECT_EQ(label->GetText().rfind("/.../", 0) == 0 || label->GetText() == "Sub", true) << label->GetText();
    // The file list's typed folder moves the folder list first.
    files->ApplyFilePath("inner");
    EXPECT_EQ(l->Directory(), root + "/Sub/inner");
    EXPECT_EQ(files->Directory(), root + "/Sub/inner");
    delete files;
    EXPECT_EQ(l->FileList(), nullptr);
}

TEST_F(FoldersTest, AFolderThatCannotBeEnteredLeavesBothListsWhereTheyWere)
{
    fs::create_directories(root + "/Sub/locked");
    std::ofstream(root + "/Sub/locked/inside.mts") << "x";
    ::chmod((root + "/Sub/locked").c_str(), 0);
    const std::string sub = root + "/Sub", locked = root + "/Sub/locked";
    const int rc = AsUnprivilegedUser(sub, [&] {
        auto* l = MakeDirList();
        auto* files = new TbsSkinFileListBox(form);
        files->SetBounds(240, 10, 200, 200);
        files->SetParent(form);
        l->SetFileList(files);
        driver->PumpUntilIdle();
        l->SetDirectory(sub);
        files->ApplyFilePath("clip.mts");
        auto unchanged = [&] {
            return l->Directory() == sub && files->Directory() == sub && files->GetFileName() == sub + "/clip.mts" &&
                   files->Items()->Count() == 1 && l->Items()->Strings(l->ItemIndex()) == "Sub";
        };
        auto refused = [&](const std::function<void()>& step) {
            try
            {
                step();
                return false;
            }
            catch (const EInOutError& e)
            {
                return e.ErrorCode == EACCES;
            }
        };
        // The folder list moved into it, by path and by Enter on its row.
        if (!refused([&] { l->SetDirectory(locked); })) return 1;
        if (!unchanged()) return 2;
        // The file list alone, linked or not.
        l->SetFileList(nullptr);
        if (!refused([&] { files->EnterDirectory(locked); })) return 3;
        if (!refused([&] { files->ApplyFilePath(locked); })) return 4;
        if (!unchanged()) return 5;
        return 0;
    });
    ::chmod((root + "/Sub/locked").c_str(), 0755);
    EXPECT_EQ(rc, 0);
}

TEST_F(FoldersTest, ANameWithANewlineShowsItOnOneLine)
{
    // Two folders alike but for the names: one with control characters, one
    // with "?" in their places. Their rows must look the same.
    for (const char* side : {"ctl", "ask"})
    {
        const std::string sep = std::string(side) == "ctl" ? "\n" : "?";
        const std::string tab = std::string(side) == "ctl" ? "\t" : "?";
        fs::create_directories(root + "/" + side + "/dir" + sep + "with newline");
        std::ofstream(root + "/" + side + "/clip" + tab + "1" + sep + ".mts") << "x";
    }
    auto* ctl = new TbsSkinFileListBox(form);
    auto* ask = new TbsSkinFileListBox(form);
    auto* ctlDirs = new TbsSkinDirectoryListBox(form);
    auto* askDirs = new TbsSkinDirectoryListBox(form);
    int y = 10;
    for (TbsSkinListBox* l : std::initializer_list<TbsSkinListBox*>{ctl, ask, ctlDirs, askDirs})
    {
        l->SetBounds(10, y, 300, 150);
        l->SetParent(form);
        y += 155;
    }
    form->Show();
    driver->PumpUntilIdle();
    ctl->ApplyFilePath(root + "/ctl");
    ask->ApplyFilePath(root + "/ask");
    ctlDirs->SetDirectory(root + "/ctl");
    askDirs->SetDirectory(root + "/ask");
    driver->PumpUntilIdle();
    // The rows keep the names themselves.
    ASSERT_EQ(ctl->Items()->Count(), 1);
    EXPECT_EQ(ctl->Items()->Strings(0), "clip\t1\n.mts");
    EXPECT_EQ(ctl->GetFileName(), "");
    EXPECT_EQ(Tail(ctlDirs, 1), Rows{"dir\nwith newline"});
    // Inside the row's focus frame, which only one list may show.
    auto same = [&](TbsSkinListBox* a, TbsSkinListBox* b, int row) {
        TRect ra = a->ListBox->ItemRect(row), rb = b->ListBox->ItemRect(row);
        InflateRect(ra, -2, -2);
        InflateRect(rb, -2, -2);
        int differ = 0;
        for (int yy = 0; yy < ra.Height(); ++yy)
            for (int xx = 0; xx < ra.Width(); ++xx)
                differ += driver->PixelAt(a->ListBox->ClientToScreen(TPoint(ra.Left + xx, ra.Top + yy))) !=
                          driver->PixelAt(b->ListBox->ClientToScreen(TPoint(rb.Left + xx, rb.Top + yy)));
        return differ;
    };
    EXPECT_EQ(same(ctl, ask, 0), 0);
    EXPECT_EQ(same(ctlDirs, askDirs, ctlDirs->Items()->Count() - 1), 0);
}

TEST_F(FoldersTest, DriveComboListsDrivesAndMovesTheFolderList)
{
    fs::create_directories(root + "/usb");
    sys::SetDriveSourcesForTesting(sys::TDriveSources{
        MountInfoLine(1, "/", "ext4", "/dev/sda1") + MountInfoLine(2, root + "/usb", "vfat", "/dev/sdb1") +
            MountInfoLine(3, root + "/Sub", "tmpfs", "tmpfs"),
        "", ""});
    auto* combo = new TbsSkinDriveComboBox(form);
    combo->SetBounds(10, 10, 200, 22);
    auto* l = new TbsSkinDirectoryListBox(form);
    l->SetBounds(10, 40, 220, 300);
    l->SetParent(form);
    combo->SetParent(form);
    form->Show();
    driver->PumpUntilIdle();
    combo->SetDirList(l);
    Rows items;
    for (int i = 0; i < combo->Items()->Count(); ++i) items.push_back(combo->Items()->Strings(i));
    // The removable drive (under /media or marked so) is not; this vfat mount is fixed.
    EXPECT_EQ(items, (Rows{"c: []", "d: []", "e: []"}));
    combo->SetDrive('E');
    EXPECT_EQ(combo->Drive(), 'e');
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(l->Directory(), root + "/Sub");
    // The same drive in the other case changes nothing.
    int changes = 0;
    l->OnChange = [&](TObject*) { ++changes; };
    combo->SetDrive('E');
    EXPECT_EQ(changes, 0);
    // Choosing a drive in the list moves the folder list to its root.
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Drive(), 'd');
    EXPECT_EQ(l->Directory(), root + "/usb");
    combo->SetTextCase(tcUpperCase);
    EXPECT_EQ(combo->Items()->Strings(0), "C: []");
    EXPECT_EQ(combo->Drive(), 'D');
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetDrive(0);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Drive(), 0);
    // A folder list that moves to another drive moves the combo box too.
    l->SetDirectory(root + "/Sub/inner");
    EXPECT_EQ(combo->Drive(), 'E');
    EXPECT_EQ(l->Directory(), root + "/Sub/inner");
}
