// The folder, open and picture dialogs run modally on the headless desktop,
// played through the test driver: the folder history (Back), the default
// extension, multiple selection and a typed name, New Folder numbering, a
// start folder that no longer exists, Cancel, the filter index, and the
// save mode's overwrite question.
#include <sys/stat.h>

#include "common/unprivileged.h"
#include "lib/bsDialogs.h"
#include "lib/bsMessages.h"
#include "skin/shell_helpers.h"

using namespace shelltest;

namespace
{
class ShellDialogsTest : public ShellTest
{
protected:
    // Runs `steps` one by one while the dialog's modal loop waits; input a
    // step gives is served after it, so the next step sees its effect.
    void Play(std::vector<std::function<void()>> steps)
    {
        for (auto& s : steps) driver->WhenIdle(std::move(s));
    }
    // Presses a speed button of a tool bar with the mouse.
    void ClickTool(TbsSkinSpeedButton* b)
    {
        driver->Click(b->ClientToScreen(TPoint(b->Width() / 2, b->Height() / 2)));
    }
    void ClickButton(TWinControl* b) { driver->Click(b->Handle()); }
    // A step that reads the open message box's text into `told` ("" when
    // none is open) and presses its OK button.
    std::function<void()> AnswerOk(std::vector<std::string>& told)
    {
        return [this, &told] {
            TbsMessageForm* box = MessageBox();
            told.push_back(box ? box->Message->GetText() : "");
            if (box) ClickButton(dynamic_cast<TWinControl*>(box->FindComponent(bsMessageButtonName(mbOK))));
        };
    }
    // Types into the name box and leaves the focus there.
    void TypeName(TbsOpenDlgForm* f, const std::string& text)
    {
        f->FileNameEdit->SetFocus();
        f->FileNameEdit->SetText("");
        driver->TypeText(text);
    }
};
}  // namespace

TEST_F(ShellDialogsTest, BackWalksTheHistoryInReverse)
{
    const std::string a = Dir("A"), b = Dir("A/B"), c = Dir("A/B/C"), d = Dir("D");
    TbsSkinOpenDialog dlg(nullptr);
    dlg.InitialDir = a;
    std::vector<std::string> seen;
    auto path = [&] { return dlg.Form()->FileListView->Path(); };
    auto back = [&] { ClickTool(dlg.Form()->BackToolButton); };
    Play({[&] {
              seen.push_back(path());
              dlg.Form()->FileListView->SetPath(b);
              dlg.Form()->FileListView->SetPath(c);
              // F5 reloads without a history entry.
              dlg.Form()->FileListView->SetFocus();
              driver->PressKey(VK_F5);
          },
          back,
          [&] {
              seen.push_back(path());
              back();
          },
          [&] {
              seen.push_back(path());
              back();
          },
          [&] {
              seen.push_back(path());
              // A, B, Back (A), D, Back: A.
              dlg.Form()->FileListView->SetPath(b);
              back();
          },
          [&] {
              dlg.Form()->FileListView->SetPath(d);
              back();
          },
          [&] {
              seen.push_back(path());
              // The shell box followed.
              seen.push_back(dlg.Form()->ShellBox->Path());
              ClickButton(dlg.Form()->CancelButton);
          }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(seen, (std::vector<std::string>{a, b, a, a, a, a}));
    EXPECT_EQ(dlg.Form(), nullptr);
}

TEST_F(ShellDialogsTest, TypedNamesTakeTheDefaultExtension)
{
    const std::string v = Dir("v");
    File("v/b.mp4");
    File("v/b.avi");
    File("v/b");
    File("v/c.");
    struct Case
    {
        const char* typed;
        const char* defaultExt;
        const char* filter;
        std::string want;   // "" : the dialog stays open
    } cases[] = {
        {"b", "", "Video|*.mp4;*.m4v", v + "/b.mp4"},
        {"b", "avi", "Video|*.mp4;*.m4v", v + "/b.avi"},
        {"b", "", "All|*.*", v + "/b"},
        {"c.", "avi", "All|*.*", v + "/c."},
        {"x", "", "Video|*.mp4", ""},
        {"?.mp4", "", "Video|*.mp4", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed);
        TbsSkinOpenDialog dlg(nullptr);
        dlg.InitialDir = v;
        dlg.DefaultExt = c.defaultExt;
        dlg.Filter = c.filter;
        bool stayed = false;
        Play({[&] { TypeName(dlg.Form(), c.typed); }, [&] { ClickButton(dlg.Form()->OpenButton); }});
        if (c.want.empty())
            Play({[&] {
                // Still open: the name led to no file.
                stayed = dlg.Form()->GetModalResult() == mrNone;
                ClickButton(dlg.Form()->CancelButton);
            }});
        const bool ok = dlg.Execute();
        EXPECT_EQ(ok, !c.want.empty());
        EXPECT_EQ(stayed, c.want.empty());
        if (ok) { EXPECT_EQ(dlg.FileName(), c.want); }
    }
}

TEST_F(ShellDialogsTest, MultipleSelectionAndATypedNameBothReachFiles)
{
    const std::string m = Dir("m");
    for (const char* f : {"one.mp4", "two.mp4", "three.mp4", "four.avi"}) File(std::string("m/") + f);
    TbsSkinOpenDialog dlg(nullptr);
    dlg.MultiSelection = true;
    dlg.InitialDir = m;
    Play({[&] {
        TbsSkinFileListView* list = dlg.Form()->FileListView;
        // Rows: four.avi, one.mp4, three.mp4, two.mp4.
        for (int i = 1; i <= 3; ++i) list->Items()->Item(i)->SetSelected(true);
        ClickButton(dlg.Form()->OpenButton);
    }});
    ASSERT_TRUE(dlg.Execute());
    driver->PumpUntilIdle();
    EXPECT_EQ(dlg.FileName(), m + "/one.mp4");
    ASSERT_EQ(dlg.Files()->Count(), 3);
    EXPECT_EQ(dlg.Files()->Get(0), m + "/one.mp4");
    EXPECT_EQ(dlg.Files()->Get(1), m + "/three.mp4");
    EXPECT_EQ(dlg.Files()->Get(2), m + "/two.mp4");

    // Nothing selected, a name typed: that file is the choice, in Files too.
    Play({[&] {
              dlg.Form()->FileListView->ClearSelection();
              TypeName(dlg.Form(), "four.avi");
          },
          [&] { driver->PressKey(VK_RETURN); }});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), m + "/four.avi");
    ASSERT_EQ(dlg.Files()->Count(), 1);
    EXPECT_EQ(dlg.Files()->Get(0), m + "/four.avi");
}

TEST_F(ShellDialogsTest, TheOpenDialogRefusesAFifoAnUnreadableFileOrFolderAndSaysWhy)
{
    const std::string v = Dir("v"), locked = Dir("v/locked");
    File("v/clip.mp4");
    const std::string unreadable = File("v/secret.mp4"), pipe = v + "/pipe.mp4";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    ::chmod(unreadable.c_str(), 0);
    ::chmod(locked.c_str(), 0);
    const int rc = AsUnprivilegedUser(v, [&] {
        TbsSkinOpenDialog dlg(nullptr);
        dlg.InitialDir = v;
        std::vector<std::string> told;
        bool open = true, stayed = true;
        auto answer = AnswerOk(told);
        auto select = [&](const std::string& name) {
            TbsSkinFileListView* list = dlg.Form()->FileListView;
            for (int i = 0; i < list->FolderCount(); ++i)
                if (list->FolderAt(i)->DisplayName() == name) list->SetItemIndex(i);
        };
        Play({[&] {
                  select("pipe.mp4");
                  ClickButton(dlg.Form()->OpenButton);
              },
              answer,
              [&] {
                  // A double click takes a file at once, but not this one.
                  select("pipe.mp4");
                  dlg.Form()->FLVDBLClick(dlg.Form()->FileListView);
              },
              answer,
              [&] {
                  dlg.Form()->FileListView->ClearSelection();
                  TypeName(dlg.Form(), "secret.mp4");
                  ClickButton(dlg.Form()->OpenButton);
              },
              answer,
              [&] {
                  TypeName(dlg.Form(), locked);
                  driver->PressKey(VK_RETURN);
              },
              answer,
              [&] {
                  open = dlg.Form()->GetModalResult() == mrNone;
                  stayed = dlg.Form()->FileListView->Path() == v;
                  ClickButton(dlg.Form()->CancelButton);
              }});
        if (dlg.Execute()) return 1;
        const std::vector<std::string> want = {
            "“" + pipe + "”不是普通文件，无法打开。", "“" + pipe + "”不是普通文件，无法打开。",
            "无法读取文件“" + unreadable + "”：没有读取权限。", "无法打开文件夹“" + locked + "”：没有读取权限。"};
        if (told != want)
        {
            for (const std::string& t : told) std::fprintf(stderr, "told: %s\n", t.c_str());
            return 2;
        }
        return open && stayed && dlg.FileName().empty() ? 0 : 3;
    });
    ::chmod(unreadable.c_str(), 0644);
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(rc, 0);
}

TEST_F(ShellDialogsTest, APictureThatCannotBeReadShowsNoPreview)
{
    const std::string p = Dir("p");
    TBitmap pic(40, 30, pf24bit);
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(TRect(0, 0, 40, 30));
    pic.SaveToFile(p + "/good.bmp");
    File("p/broken.bmp", "BM this is no bitmap");
    File("p/notes.txt", "text");
    TbsSkinOpenPictureDialog dlg(nullptr);
    dlg.InitialDir = p;
    dlg.Filter = "All|*.*";
    struct Seen
    {
        std::string name;
        bool noPreview;
        int width;
    };
    std::vector<Seen> seen;
    auto pick = [&](const std::string& name) {
        auto* f = static_cast<TbsOpenPictureDlgForm*>(dlg.Form());
        for (int i = 0; i < f->FileListView->FolderCount(); ++i)
            if (f->FileListView->FolderAt(i)->DisplayName() == name) f->FileListView->SetItemIndex(i);
        seen.push_back({f->FileNameEdit->GetText(), f->NoPreviewLabel->GetVisible(), f->Image->Picture()->GetWidth()});
    };
    Play({[&] {
        pick("good.bmp");
        pick("broken.bmp");
        pick("notes.txt");
        pick("good.bmp");
        EXPECT_EQ(static_cast<TbsOpenPictureDlgForm*>(dlg.Form())->NoPreviewLabel->GetText(), "无法预览");
        ClickButton(dlg.Form()->CancelButton);
    }});
    EXPECT_FALSE(dlg.Execute());
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].name, "good.bmp");
    EXPECT_FALSE(seen[0].noPreview);
    EXPECT_EQ(seen[0].width, 40);
    for (int i : {1, 2})
    {
        EXPECT_TRUE(seen[std::size_t(i)].noPreview) << i;
        EXPECT_EQ(seen[std::size_t(i)].width, 0) << i;
    }
    EXPECT_EQ(seen[1].name, "broken.bmp");
    EXPECT_EQ(seen[2].name, "notes.txt");
    EXPECT_FALSE(seen[3].noPreview);
    EXPECT_EQ(seen[3].width, 40);
}

TEST_F(ShellDialogsTest, NewFolderNumbersItsNames)
{
    const std::string n = Dir("n"), taken = Dir("t/New Folder");
    TbsSkinOpenDialog dlg(nullptr);
    dlg.InitialDir = n;
    bool editing = false;
    auto newFolder = [&] { ClickTool(dlg.Form()->NewFolderToolButton); };
    Play({newFolder, newFolder,
          [&] {
              // The new folder is put into in-place editing (the first one's
              // edit ended unchanged when the button was clicked again).
              TbsShellFolder* sel = dlg.Form()->FileListView->SelectedFolder();
              editing = dlg.Form()->FileListView->IsEditing() && sel && sel->DisplayName() == "New Folder(2)";
              driver->PressKey(VK_ESCAPE);
          },
          [&] {
              // On Computer nothing is made.
              TItemIDList computer;
              shell::SHGetSpecialFolderLocation(shell::CSIDL_DRIVES, computer);
              dlg.Form()->FileListView->OpenItemIDList(computer);
              newFolder();
          },
          [&] { ClickButton(dlg.Form()->CancelButton); }});
    dlg.Execute();
    EXPECT_TRUE(fs::is_directory(n + "/New Folder"));
    EXPECT_TRUE(fs::is_directory(n + "/New Folder(2)"));
    EXPECT_TRUE(editing);

    // With the name taken, the first click makes nothing and the second "(2)".
    dlg.InitialDir = sys::ExtractFileDir(taken);
    dlg.SetFileName("");
    std::vector<bool> made;
    Play({newFolder,
          [&] {
              made.push_back(fs::exists(root_ / "t/New Folder(2)"));
              newFolder();
          },
          [&] {
              made.push_back(fs::exists(root_ / "t/New Folder(2)"));
              driver->PressKey(VK_ESCAPE);
          },
          [&] { ClickButton(dlg.Form()->CancelButton); }});
    dlg.Execute();
    EXPECT_EQ(made, (std::vector<bool>{false, true}));
}

TEST_F(ShellDialogsTest, AStartFolderThatIsGoneFallsBack)
{
    const std::string a = Dir("a"), gone = Dir("gone");
    fs::remove(gone);
    struct Case
    {
        std::string fileName, initialDir, start;
    } cases[] = {
        {gone + "/clip.avi", a, a},
        {gone + "/clip.avi", gone, sys::ExcludeTrailingPathDelimiter(sys::ProgramFolder())},
        {a + "/clip.avi", "", a},
        {"", "", sys::ExcludeTrailingPathDelimiter(sys::ProgramFolder())},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fileName + " | " + c.initialDir);
        TbsSkinOpenDialog dlg(nullptr);
        dlg.SetFileName(c.fileName);
        dlg.InitialDir = c.initialDir;
        std::string shown, name;
        Play({[&] {
            shown = dlg.Form()->FileListView->Path();
            name = dlg.Form()->FileNameEdit->GetText();
            ClickButton(dlg.Form()->CancelButton);
        }});
        EXPECT_NO_THROW(EXPECT_FALSE(dlg.Execute()));
        EXPECT_EQ(shown, c.start);
        EXPECT_EQ(name, sys::ExtractFileName(c.fileName));
        EXPECT_EQ(dlg.FileName(), c.fileName);
    }
}

TEST_F(ShellDialogsTest, SelectDirectoryReportsCancelAsCancel)
{
    const std::string a = Dir("a"), b = Dir("a/b");
    TbsSkinSelectDirectoryDialog dlg(nullptr);
    dlg.Title = "选择输出目录";
    dlg.Directory = a;
    std::string caption;
    Play({[&] {
        caption = dlg.Form()->GetText();
        EXPECT_EQ(dlg.Form()->DirTreeView->Path(), a);
        dlg.Form()->DirTreeView->SetPath(b);
        // The user resizes the dialog and cancels.
        dlg.Form()->SetClientSize(500, 350);
        ClickButton(dlg.Form()->CancelButton);
    }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(caption, "选择输出目录");
    EXPECT_EQ(dlg.Directory, a);
    EXPECT_EQ(dlg.DialogWidth, 500);
    EXPECT_EQ(dlg.DialogHeight, 350);

    TSize size;
    Play({[&] {
        size = TSize(dlg.Form()->ClientWidth(), dlg.Form()->ClientHeight());
        dlg.Form()->DirTreeView->SetPath(b);
        ClickButton(dlg.Form()->OkButton);
    }});
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Directory, b);
    EXPECT_EQ(size, TSize(500, 350));

    // A Directory that is gone: the dialog starts on Computer.
    fs::remove_all(a);
    std::string start;
    Play({[&] {
        start = dlg.Form()->DirTreeView->Path();
        ClickButton(dlg.Form()->CancelButton);
    }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(start, "计算机");
}

TEST_F(ShellDialogsTest, AFolderTypedInTheSelectDirectoryDialogIsTheChoiceOrIsRefused)
{
    const std::string a = Dir("a"), b = Dir("a/b"), file = File("a/clip.mp4");
    TbsSkinSelectDirectoryDialog dlg(nullptr);
    dlg.ShowToolBar = true;
    dlg.Directory = a;
    auto type = [&](const std::string& text) {
        dlg.Form()->DirEdit->SetFocus();
        dlg.Form()->DirEdit->SetText(text);
        driver->PressKey(VK_RETURN);
    };
    // A folder that exists: Enter takes it (typed in full, or by its name below the selected one).
    for (const std::string& typed : {b, std::string("b")})
    {
        Play({[&] { type(typed); }});
        EXPECT_TRUE(dlg.Execute()) << typed;
        EXPECT_EQ(dlg.Directory, b) << typed;
        dlg.Directory = a;
    }
    // One that does not exist, or a file: the dialog says so and stays on its folder.
    std::vector<std::string> told;
    std::string selected;
    bool open = false;
    auto answer = AnswerOk(told);
    Play({[&] { type(a + "/missing"); }, answer, [&] { type(file); }, answer, [&] {
              open = dlg.Form()->GetModalResult() == mrNone;
              selected = dlg.Form()->DirTreeView->Path();
              ClickButton(dlg.Form()->CancelButton);
          }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_TRUE(open);
    EXPECT_EQ(selected, a);
    EXPECT_EQ(told, (std::vector<std::string>{"“" + a + "/missing”不存在。", "“" + file + "”不是文件夹，无法打开。"}));
    EXPECT_EQ(dlg.Directory, a);
}

TEST_F(ShellDialogsTest, TheFilterIndexIsKeptAndItsMaskListsFirst)
{
    const std::string f = Dir("f");
    File("f/a.mp4");
    File("f/b.avi");
    TbsSkinOpenDialog dlg(nullptr);
    dlg.InitialDir = f;
    dlg.Filter = "所有文件格式 (*.*)|*.*|AVI (*.avi)|*.avi|MP4 (*.mp4)|*.mp4|";
    dlg.FilterIndex = 3;
    std::string text, mask;
    std::vector<std::string> rows;
    Play({[&] {
        TbsOpenDlgForm* form = dlg.Form();
        text = form->FilterComboBox->GetText();
        mask = form->FileListView->Mask();
        for (int i = 0; i < form->FileListView->FolderCount(); ++i)
            rows.push_back(form->FileListView->FolderAt(i)->DisplayName());
        form->FilterComboBox->SetItemIndex(1);
        ClickButton(form->CancelButton);
    }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(text, "MP4 (*.mp4)");
    EXPECT_EQ(mask, "*.mp4");
    EXPECT_EQ(rows, std::vector<std::string>{"a.mp4"});
    EXPECT_EQ(dlg.FilterIndex, 2);
}

TEST_F(ShellDialogsTest, SavingOverAFileAsksFirst)
{
    const std::string s = Dir("s");
    File("s/shot.jpg", "old");
    TbsSkinSavePictureDialog dlg(nullptr);
    EXPECT_EQ(dlg.Title, "Save file");
    dlg.InitialDir = s;
    dlg.Filter = "BMP文件 (*.bmp)|*.bmp|JPEG文件 (*jpg)|*.jpg";
    dlg.FilterIndex = 2;
    // No question unless it is asked for.
    EXPECT_FALSE(dlg.OverwritePromt);
    Play({[&] { TypeName(dlg.Form(), "shot"); }, [&] { ClickButton(dlg.Form()->OpenButton); }});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), s + "/shot.jpg");

    dlg.OverwritePromt = true;
    dlg.SetFileName("");
    std::vector<std::string> questions;
    Play({[&] {
              EXPECT_EQ(dlg.Form()->OpenButton->GetText(), "&Save");
              TypeName(dlg.Form(), "shot");
          },
          [&] { ClickButton(dlg.Form()->OpenButton); },
          [&] {
              // The question: Cancel keeps the dialog open.
              TbsMessageForm* box = MessageBox();
              ASSERT_NE(box, nullptr);
              questions.push_back(box->Message->GetText());
              driver->PressKey(VK_ESCAPE);
          },
          [&] {
              EXPECT_EQ(MessageBox(), nullptr);
              EXPECT_EQ(dlg.Form()->GetModalResult(), mrNone);
              ClickButton(dlg.Form()->OpenButton);
          },
          [&] {
              ASSERT_NE(MessageBox(), nullptr);
              questions.push_back(MessageBox()->Message->GetText());
              ClickButton(dynamic_cast<TWinControl*>(MessageBox()->FindComponent(bsMessageButtonName(mbOK))));
          }});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(questions, (std::vector<std::string>(2, "Do you want to overwrite old file?")));
    EXPECT_EQ(dlg.FileName(), s + "/shot.jpg");

    // A new name is saved without a question, with the filter's extension.
    dlg.SetFileName("");
    Play({[&] { TypeName(dlg.Form(), "new"); }, [&] { ClickButton(dlg.Form()->OpenButton); }});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), s + "/new.jpg");
}

// The details view's columns fill the list exactly (no cut Type or Modified
// column beside an empty strip), and the list reaches the panel's edge when
// no bar is shown; a narrow view keeps the built widths and scrolls.
TEST_F(ShellDialogsTest, TheDetailsColumnsFillTheListWithoutAGutter)
{
    const std::string a = Dir("A");
    File("A/clip.mts", "x");
    for (int width : {640, 300})
    {
        SCOPED_TRACE(width);
        TbsSkinOpenDialog dlg(nullptr);
        dlg.InitialDir = a;
        dlg.ListViewStyle = vsReport;
        std::unique_ptr<TbsOpenDlgForm> f = dlg.BuildForm();
        f->SetWidth(width);
        f->Show();
        driver->PumpUntilIdle();
        TbsSkinFileListView* lv = f->FileListView;
        ASSERT_EQ(lv->Columns()->Count(), 4);
        int sum = 0, built = 0;
        const int x = lv->Canvas()->TextWidth("X");
        const int chars[] = {25, 10, 10, 14};
        for (int i = 0; i < 4; ++i)
        {
            sum += lv->Columns()->Items(i)->GetWidth();
            built += chars[i] * x;
            EXPECT_GE(lv->Columns()->Items(i)->GetWidth(), chars[i] * x);
        }
        EXPECT_FALSE(f->FLVVScrollBar->GetVisible());
        EXPECT_EQ(2 * lv->Left() + lv->Width(), f->FileListViewPanel->ClientWidth());
        if (built < lv->ClientWidth()) EXPECT_EQ(sum, lv->ClientWidth());
        else EXPECT_EQ(sum, built);
    }
}
