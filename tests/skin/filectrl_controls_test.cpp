// The filter combo box and the file list box on a temporary tree with odd
// names: rows after the window appears, masks and file types, a typed path
// applied back (mask, hidden file, folder, bracketed folder row), the linked
// edit, the filter's entries and the mask they push into a linked list. The
// current directory is the same before and after.
#include "lib/bsfilectrl.h"
#include "platform/sys/Files.h"
#include "platform/temp_dir.h"
#include "skin/skinctrls_helpers.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace ctrltest;
namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

namespace
{
class FileControlsTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        root = sys::ExpandFileName(ProcessTempDir() + "/controls");
        fs::remove_all(root);
        fs::create_directories(root + "/Sub/inner");
        for (const char* f : {"12:30 clip.mts", "a\\b.txt", "what?.avi", ".profile", "Sub/x.mts"}) std::ofstream(root + "/" + f) << "x";
        ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0666), 0);
        cwd = sys::GetCurrentDir();
        form = MakeForm(400, 300);
    }
    void TearDown() override
    {
        EXPECT_EQ(sys::GetCurrentDir(), cwd);
        SkinCtrlTest::TearDown();
    }
    Rows RowsOf(TbsSkinListBox* l)
    {
        Rows r;
        for (int i = 0; i < l->Items()->Count(); ++i) r.push_back(l->Items()->Strings(i));
        return r;
    }
    TbsSkinFileListBox* MakeList()
    {
        auto* l = new TbsSkinFileListBox(form);
        l->SetBounds(10, 10, 200, 200);
        l->ApplyFilePath(root);   // no window yet: nothing is read
        EXPECT_EQ(l->Items()->Count(), 0);
        l->SetParent(form);
        form->Show();
        driver->PumpUntilIdle();
        return l;
    }
    std::string root, cwd;
    TForm* form = nullptr;
};
}  // namespace

TEST_F(FileControlsTest, FileListRowsMasksAndTypes)
{
    auto* l = MakeList();
    EXPECT_EQ(l->Directory(), root);
    EXPECT_EQ(RowsOf(l), (Rows{"12:30 clip.mts", "a\\b.txt", "pipe", "what?.avi"}));
    l->SetFileType({bsftNormal, bsftDirectory});
    EXPECT_EQ(RowsOf(l), (Rows{"12:30 clip.mts", "[..]", "[.]", "[Sub]", "a\\b.txt", "pipe", "what?.avi"}));
    l->SetFileType({bsftNormal});
    l->SetMask("*.MTS;*.avi");
    EXPECT_EQ(RowsOf(l), (Rows{"12:30 clip.mts", "what?.avi"}));
    EXPECT_EQ(l->GetFileName(), "");
    l->SetItemIndex(1);
    EXPECT_EQ(l->GetFileName(), root + "/what?.avi");
    // A folder that cannot be entered leaves folder and rows as they were.
    EXPECT_THROW(l->EnterDirectory(root + "/missing"), EInOutError);
    EXPECT_EQ(l->Directory(), root);
    EXPECT_EQ(l->Items()->Count(), 2);
}

TEST_F(FileControlsTest, TypedPathsAndTheLinkedEdit)
{
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 220, 200, 20);
    auto* l = MakeList();
    l->SetFileEdit(edit);
    EXPECT_EQ(edit->GetText(), "*.*");
    l->ApplyFilePath("*.avi");
    EXPECT_EQ(l->Mask(), "*.avi");
    EXPECT_EQ(RowsOf(l), (Rows{"what?.avi"}));
    // A file the mask hides: the mask becomes its name, its row is selected.
    l->ApplyFilePath("12:30 clip.mts");
    EXPECT_EQ(l->Mask(), "12:30 clip.mts");
    EXPECT_EQ(l->GetFileName(), root + "/12:30 clip.mts");
    EXPECT_EQ(edit->GetText(), "12:30 clip.mts");
    // A name with "?" that is a file is that file, not a mask.
    l->SetMask("*.*");
    l->ApplyFilePath("what?.avi");
    EXPECT_EQ(l->Mask(), "*.*");
    EXPECT_EQ(l->GetFileName(), root + "/what?.avi");
    // A folder row moves into the folder; ".." back up.
    l->ApplyFilePath("[Sub]");
    EXPECT_EQ(l->Directory(), root + "/Sub");
    EXPECT_EQ(RowsOf(l), (Rows{"x.mts"}));
    EXPECT_EQ(edit->GetText(), "*.*");
    l->ApplyFilePath("..");
    EXPECT_EQ(l->Directory(), root);
    EXPECT_THROW(l->ApplyFilePath("nothing here"), EInOutError);
    // A click on a row shows it in the edit.
    l->SetMask("*.txt");
    driver->Click(l->ListBox->ClientToScreen(TPoint(20, l->ListBox->ItemRect(0).Top + 5)));
    EXPECT_EQ(edit->GetText(), "a\\b.txt");
}

TEST_F(FileControlsTest, FilterEntriesAndTheMaskTheyPush)
{
    auto* c = new TbsSkinFilterComboBox(form);
    c->SetBounds(10, 250, 200, 21);
    int changes = 0;
    c->OnChange = [&](TObject*) { ++changes; };
    c->SetParent(form);
    form->Show();
    driver->PumpUntilIdle();
    ASSERT_EQ(c->Items()->Count(), 1);
    EXPECT_EQ(c->Items()->Strings(0), "All files (*.*)");
    EXPECT_EQ(c->Mask(), "*.*");
    c->SetFilter("Video (*.mts;*.avi)|*.mts;*.avi|Text|*.txt|Dropped");
    ASSERT_EQ(c->Items()->Count(), 2);
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(c->Mask(), "*.mts;*.avi");
    c->SetItemIndex(1);
    EXPECT_EQ(c->Mask(), "*.txt");
    // The same filter in other letters: nothing happens.
    c->SetItemIndex(0);
    const int before = changes;
    c->SetFilter("VIDEO (*.MTS;*.AVI)|*.MTS;*.AVI|TEXT|*.TXT|DROPPED");
    EXPECT_EQ(changes, before);
    EXPECT_EQ(c->Mask(), "*.mts;*.avi");
    // No entry selected: reading the mask selects the last one.
    c->ListBox()->SetItemIndex(-1);
    EXPECT_EQ(c->Mask(), "*.txt");
    EXPECT_EQ(c->ItemIndex(), 1);
    // A linked list takes the selected mask.
    auto* l = MakeList();
    c->SetFileList(l);
    c->SetItemIndex(0);
    EXPECT_EQ(l->Mask(), "*.mts;*.avi");
    EXPECT_EQ(RowsOf(l), (Rows{"12:30 clip.mts", "what?.avi"}));
    c->SetFilter("no bars");
    EXPECT_EQ(c->Items()->Count(), 0);
    EXPECT_EQ(c->Mask(), "*.*");
    EXPECT_EQ(l->Mask(), "*.*");
    delete l;   // the link goes with it
    EXPECT_EQ(c->FileList(), nullptr);
}
