// The plain open and save dialogs driven like a user would: typed names,
// filters and default extensions, the overwrite and missing-folder boxes,
// moving between folders, masks, cancelling, and the save-picture dialog.
#include "gui_test_util.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtDlgs.h"
#include "platform/gui/StdCtrls.h"
#include "platform/sys/Files.h"
#include "platform/sys/UserFolders.h"
#include "temp_dir.h"
#include "common/unprivileged.h"

namespace
{
namespace fs = std::filesystem;

class FileDialogTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        static int n = 0;
        root = sys::ExpandFileName(ProcessTempDir() + "/dlg" + std::to_string(++n));
        for (const char* d : {"", "/my pictures", "/中文 目录", "/.hidden"}) fs::create_directories(fs::u8path(root + d));
        for (const char* f : {"b file.bmp", "Z.bmp", "a.jpg", "c.JPEG", "notes.txt", "中文 图片.png", ".hidden.bmp",
                              "my pictures/inside.bmp"})
            std::ofstream(fs::u8path(root + "/" + f)) << "x";
        cwd = sys::GetCurrentDir();
    }
    void TearDown() override
    {
        EXPECT_EQ(sys::GetCurrentDir(), cwd);   // the dialog never changes it
        GuiTest::TearDown();
    }

    // Queues the steps for the GUI thread's waits (inside the dialog and its
    // boxes), one per wait, with their input served by the waiting loop. A
    // wait after the last step means a dialog stayed open: a failure, and the
    // loops are ended so the test goes on. (The guard left over from a script
    // that finished properly is spent harmlessly by the next one.)
    void Script(std::vector<std::function<void()>> steps)
    {
        if (guard_) *guard_ = false;
        guard_ = std::make_shared<bool>(true);
        for (auto& s : steps) driver->WhenIdle(std::move(s));
        driver->WhenIdle([g = guard_] {
            if (!*g) return;
            *g = false;
            ADD_FAILURE() << "a dialog was still open after the last step";
            Application->Terminate();
        });
    }

    TForm* Dialog() const
    {
        HWND h = driver->FindByName("FileDialog");
        return h && IsWindowVisible(h) ? dynamic_cast<TForm*>(FindControl(h)) : nullptr;
    }
    template <class T>
    T* Part(const char* name) const
    {
        TForm* d = Dialog();
        return d ? dynamic_cast<T*>(d->FindComponent(name)) : nullptr;
    }
    std::vector<std::string> ListLines() const
    {
        std::vector<std::string> out;
        TListBox* l = Part<TListBox>("FileList");
        for (int i = 0; l && i < l->Count(); ++i) out.push_back(l->Items()->Get(i));
        return out;
    }
    std::string ShownFolder() const { return Part<TLabel>("FolderPath")->GetText(); }
    TPoint LineCentre(const std::string& text) const
    {
        TListBox* l = Part<TListBox>("FileList");
        const int i = l->Items()->IndexOf(text);
        EXPECT_GE(i, 0) << text;
        l->SetTopIndex(i);
        const TRect r = l->ItemRect(i);
        return TTestDriver::ClientPoint(l->GetHandle(), TPoint(r.Left + 15, (r.Top + r.Bottom) / 2));
    }

    // Steps.
    std::function<void()> Enter(const std::string& name)
    {
        return [this, name] {
            auto* e = Part<TEdit>("FileNameEdit");
            ASSERT_NE(e, nullptr) << "no dialog";
            e->SetText(name);
            e->SetFocus();
            driver->PressKey(VK_RETURN);
        };
    }
    std::function<void()> Press(const std::string& button)
    {
        return [this, button] {
            HWND b = driver->FindByName(button);
            ASSERT_NE(b, nullptr) << button;
            boxCaptions.push_back(GetWindowText(GetAncestor(b, GA_ROOT)));
            driver->Click(b);
        };
    }

    std::string root, cwd;
    std::vector<std::string> boxCaptions;
    std::shared_ptr<bool> guard_;
};

TEST_F(FileDialogTest, TypedNameFilterAndDefaultExtensionGiveTheFileName)
{
    const std::string filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg|All files|*.*";
    struct Case
    {
        std::string typed;
        int filterIndex;
        std::string defaultExt;
        std::string result;      // relative to the folder; "/" at the start: absolute
        bool different;
        int resultIndex;
    };
    const std::string abs = root + "/中文 目录/abs name.jpeg";
    const Case cases[] = {
        {"shot", 1, "bmp", "shot.bmp", false, 1},
        {"shot", 3, "bmp", "shot.bmp", false, 3},           // "*.*" names no extension: the default one
        {"shot", 2, "bmp", "shot.jpg", true, 2},            // the filter's first extension
        {"shot.jpg", 1, "bmp", "shot.jpg", true, 1},
        {"SHOT.BMP", 1, "bmp", "SHOT.BMP", false, 1},
        {"shot", 3, "", "shot", false, 3},
        {"shot.png", 3, "", "shot.png", true, 3},           // no default: any extension differs
        {"shot", 9, ".BMP", "shot.bmp", false, 1},          // out of range: the first filter
        {"my pictures/内 图", 1, "bmp", "my pictures/内 图.bmp", false, 1},
        {"../up one", 1, "bmp", "../up one.bmp", false, 1},
        {"~", 1, "bmp", "~.bmp", false, 1},                 // no home-folder shorthand
        {abs, 2, "bmp", abs, true, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.typed + " / " + std::to_string(c.filterIndex));
        TSaveDialog d(nullptr);
        d.Filter = filter;
        d.FilterIndex = c.filterIndex;
        d.DefaultExt = c.defaultExt;
        d.InitialDir = root;
        d.Options = TOpenOptions{ofExtensionDifferent};   // cleared when the extension is the default
        Script({Enter(c.typed)});
        ASSERT_TRUE(d.Execute());
        const std::string expect =
            c.result[0] == '/' ? c.result : sys::ExpandFileName(root + "/" + c.result);
        EXPECT_EQ(d.FileName, expect);
        EXPECT_EQ(d.Options.Contains(ofExtensionDifferent), c.different);
        EXPECT_EQ(d.FilterIndex, c.resultIndex);
    }
}

TEST_F(FileDialogTest, OverwritePromptNoKeepsTheDialogYesAccepts)
{
    TSaveDialog d(nullptr);
    d.Filter = "Bitmaps (*.bmp)|*.bmp";
    d.InitialDir = root;
    d.Title = "Save the frame";
    d.Options = TOpenOptions{ofOverwritePrompt};
    bool stillOpen = false;
    Script({Enter("b file"), Press("No"), [&] { stillOpen = Dialog() != nullptr; }, Enter("b file"), Press("Yes")});
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(d.FileName, root + "/b file.bmp");
    EXPECT_EQ(boxCaptions, (std::vector<std::string>{"Save the frame", "Save the frame"}));
    // Without the option an existing file is taken at once; a new one never asks.
    d.Options = TOpenOptions{};
    Script({Enter("Z")});
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, root + "/Z.bmp");
    d.Options = TOpenOptions{ofOverwritePrompt};
    Script({Enter("new one")});
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, root + "/new one.bmp");
}

TEST_F(FileDialogTest, AMissingFolderIsReportedAndTheDialogStays)
{
    for (const std::string& typed : std::vector<std::string>{"no such dir/x", "no such dir/", root + "/中文 目录/nope/y.bmp"})
    {
        SCOPED_TRACE(typed);
        TSaveDialog d(nullptr);
        d.Filter = "Bitmaps (*.bmp)|*.bmp";
        d.InitialDir = root;
        d.FileName = "old.bmp";
        bool stillOpen = false, nameFocused = false;
        Script({Enter(typed), Press("OK"),
                [&] {
                    stillOpen = Dialog() != nullptr;
                    // The box gave the focus back to the name, in the active dialog.
                    nameFocused = stillOpen && Part<TEdit>("FileNameEdit")->Focused() &&
                                  GetActiveWindow() == Dialog()->GetHandle();
                },
                Press("CancelButton")});
        EXPECT_FALSE(d.Execute());
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(nameFocused);
        EXPECT_EQ(d.FileName, "old.bmp");
        EXPECT_FALSE(sys::DirectoryExists(root + "/no such dir"));
    }
}

TEST_F(FileDialogTest, TheShownFolderDeletedMeanwhile)
{
    const std::string doomed = root + "/my pictures";
    TSaveDialog d(nullptr);
    d.Filter = "Bitmaps (*.bmp)|*.bmp";
    d.InitialDir = doomed;
    std::string folderAfterUp;
    Script({[&] {
                fs::remove_all(fs::u8path(doomed));
                Enter("x")();                        // no file in a folder that went
            },
            Press("OK"),
            [&] { driver->Click(driver->FindByName("UpButton")); },
            [&] { folderAfterUp = ShownFolder(); },
            Enter("x")});
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(boxCaptions.size(), 1u);
    EXPECT_EQ(folderAfterUp, root);
    EXPECT_EQ(d.FileName, root + "/x.bmp");
}

TEST_F(FileDialogTest, ANameTooLongForTheFileSystemIsRefused)
{
    // 255 bytes is the longest name; the default extension counts.
    const struct { int length; bool accepted; } cases[] = {{251, true}, {252, false}, {300, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.length);
        TSaveDialog d(nullptr);
        d.Filter = "Bitmaps (*.bmp)|*.bmp";
        d.InitialDir = root;
        const std::string name(std::size_t(c.length), 'n');
        if (c.accepted) Script({Enter(name)});
        else Script({Enter(name), Press("OK"), Press("CancelButton")});
        EXPECT_EQ(d.Execute(), c.accepted);
        EXPECT_EQ(d.FileName, c.accepted ? root + "/" + name + ".bmp" : "");
        EXPECT_EQ(boxCaptions.size(), c.accepted ? 0u : 2u);
        boxCaptions.clear();
    }
}

TEST_F(FileDialogTest, TheDialogFreedWhileItShowsEndsIt)
{
    TForm* owner = MakeForm(200, 100);
    owner->Show();
    auto* d = new TSaveDialog(owner);
    d->InitialDir = root;
    Script({[&] { delete owner; }, Enter("never")});
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(FileDialogTest, AStartInADeletedCurrentFolderFallsBackToHome)
{
    const std::string gone = root + "/gone";
    fs::create_directory(gone);
    ASSERT_TRUE(sys::SetCurrentDir(gone));
    fs::remove(gone);
    TSaveDialog d(nullptr);
    std::string folder;
    Script({[&] { folder = ShownFolder(); }, Press("CancelButton")});
    EXPECT_FALSE(d.Execute());
    ASSERT_TRUE(sys::SetCurrentDir(cwd));
    EXPECT_EQ(folder, sys::DirectoryExists(sys::SpecialFolder(sys::sfHome))
                          ? sys::ExcludeTrailingPathDelimiter(sys::SpecialFolder(sys::sfHome)) : std::string("/"));
}

TEST_F(FileDialogTest, ExecutedFromAButtonsClickTwice)
{
    TForm* f = MakeForm(200, 100);
    auto* capture = new TButton(f);
    capture->SetName("Capture");
    capture->SetParent(f);
    auto* d = new TSavePictureDialog(f);
    d->Filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg";
    d->DefaultExt = "bmp";
    d->InitialDir = root;
    std::vector<bool> results;
    capture->OnClick = [&](TObject*) { results.push_back(d->Execute()); };
    f->Show();
    driver->PumpUntilIdle();
    Script({Enter("first")});
    driver->Click(capture->GetHandle());
    Script({Press("CancelButton")});
    driver->PressKey(VK_SPACE);   // the button kept the focus
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_EQ(d->FileName, root + "/first.bmp");
    EXPECT_EQ(GetActiveWindow(), f->GetHandle());
    EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(FileDialogTest, FolderNamesMasksAndTheFilterChangeTheListing)
{
    TSaveDialog d(nullptr);
    d.Filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg";
    d.InitialDir = root;
    std::vector<std::vector<std::string>> seen;
    std::vector<std::string> folders, names;
    auto look = [&] {
        seen.push_back(ListLines());
        folders.push_back(ShownFolder());
        names.push_back(Part<TEdit>("FileNameEdit")->GetText());
    };
    Script({
        look,
        Enter("my pictures"), look,                   // a folder name moves into it and clears the name
        [&] { driver->Click(driver->FindByName("UpButton")); }, look,
        Enter("*.jpg"), look,                         // a mask filters the list
        [&] { auto* c = Part<TComboBox>("FilterCombo"); c->SetFocus(); driver->PressKey(VK_DOWN); }, look,
        Enter(root + "/中文 目录/"), look,            // absolute folder names too
        Press("CancelButton"),
    });
    EXPECT_FALSE(d.Execute());
    const std::vector<std::vector<std::string>> expect = {
        {"[..]", "[my pictures]", "[中文 目录]", "b file.bmp", "Z.bmp"},
        {"[..]", "inside.bmp"},
        {"[..]", "[my pictures]", "[中文 目录]", "b file.bmp", "Z.bmp"},
        {"[..]", "[my pictures]", "[中文 目录]", "a.jpg"},
        {"[..]", "[my pictures]", "[中文 目录]", "a.jpg", "c.JPEG"},
        {"[..]"},
    };
    EXPECT_EQ(seen, expect);
    EXPECT_EQ(folders, (std::vector<std::string>{root, root + "/my pictures", root, root, root, root + "/中文 目录"}));
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(names[3], "*.jpg");
}

TEST_F(FileDialogTest, ClicksAndDoubleClicksInTheList)
{
    TSaveDialog d(nullptr);
    d.Filter = "Pictures|*.bmp;*.png";
    d.InitialDir = root;
    std::vector<std::string> folders;
    std::string clickedName;
    bool listOpenBefore = false, listOpenAfter = true;
    Script({
        [&] { driver->DoubleClick(LineCentre("[my pictures]")); },
        [&] { folders.push_back(ShownFolder()); driver->AdvanceClock(1000); },
        [&] { driver->DoubleClick(LineCentre("[..]")); },
        [&] { folders.push_back(ShownFolder()); driver->AdvanceClock(1000); },
        [&] { driver->Click(LineCentre("中文 图片.png")); },
        [&] { clickedName = Part<TEdit>("FileNameEdit")->GetText(); driver->AdvanceClock(1000); },
        // Enter on a folder line opens it.
        [&] { driver->Click(LineCentre("[中文 目录]")); driver->PressKey(VK_RETURN); },
        [&] { folders.push_back(ShownFolder()); driver->AdvanceClock(1000); },
        [&] { driver->Click(driver->FindByName("UpButton")); driver->AdvanceClock(1000); },
        // The filter's open list closes on a press on the dialog's frame.
        [&] { driver->Click(driver->FindByName("FilterCombo")); },
        [&] {
            listOpenBefore = Part<TComboBox>("FilterCombo")->GetDroppedDown();
            driver->Click(TTestDriver::WindowPoint(Dialog()->GetHandle(), TPoint(60, 8)));
        },
        [&] { listOpenAfter = Part<TComboBox>("FilterCombo")->GetDroppedDown(); driver->AdvanceClock(1000); },
        [&] { driver->DoubleClick(LineCentre("b file.bmp")); },   // a file: confirmed
    });
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(folders, (std::vector<std::string>{root + "/my pictures", root, root + "/中文 目录"}));
    EXPECT_EQ(clickedName, "中文 图片.png");
    EXPECT_TRUE(listOpenBefore);
    EXPECT_FALSE(listOpenAfter);
    EXPECT_EQ(d.FileName, root + "/b file.bmp");
}

TEST_F(FileDialogTest, CancelEscapeAndCloseKeepTheOldValues)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"cancel button", [&] { driver->Click(driver->FindByName("CancelButton")); }},
        {"escape", [&] { driver->PressKey(VK_ESCAPE); }},
        {"close box", [&] { PostMessage(Dialog()->GetHandle(), WM_CLOSE, 0, 0); }},
    };
    for (const auto& [name, act] : ways)
    {
        SCOPED_TRACE(name);
        TSaveDialog d(nullptr);
        d.Filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg";
        d.FilterIndex = 2;
        d.FileName = root + "/keep.jpg";
        d.Options = TOpenOptions{ofExtensionDifferent};
        int shown = 0, closed = 0;
        d.OnShow = [&](TObject* s) { EXPECT_EQ(s, &d); ++shown; };
        d.OnClose = [&](TObject*) { ++closed; };
        std::string startName;
        Script({[&] {
                    startName = Part<TEdit>("FileNameEdit")->GetText();
                    auto* c = Part<TComboBox>("FilterCombo");
                    c->SetFocus();
                    driver->PressKey(VK_UP);                 // another filter chosen, then dropped
                    Part<TEdit>("FileNameEdit")->SetText("other");
                },
                act});
        EXPECT_FALSE(d.Execute());
        EXPECT_EQ(startName, "keep.jpg");
        EXPECT_EQ(d.FileName, root + "/keep.jpg");
        EXPECT_EQ(d.FilterIndex, 2);
        EXPECT_TRUE(d.Options.Contains(ofExtensionDifferent));
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(closed, 1);
    }
}

TEST_F(FileDialogTest, StartFolderAndCaption)
{
    struct Case { std::string initialDir, fileName, folder, name, caption; bool save; };
    const Case cases[] = {
        {root + "/my pictures", root + "/中文 目录/x.bmp", root + "/my pictures", "x.bmp", "Save As", true},
        {root + "/missing", root + "/中文 目录/x.bmp", root + "/中文 目录", "x.bmp", "Open", false},
        {"", "rel.bmp", cwd, "rel.bmp", "Save As", true},
        {"", root + "/gone/y.bmp", cwd, "y.bmp", "Open", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.folder);
        std::unique_ptr<TOpenDialog> d(c.save ? new TSaveDialog(nullptr) : new TOpenDialog(nullptr));
        d->InitialDir = c.initialDir;
        d->FileName = c.fileName;
        std::string folder, name, caption, typeLabel;
        Script({[&] {
                    folder = ShownFolder();
                    name = Part<TEdit>("FileNameEdit")->GetText();
                    caption = Dialog()->GetText();
                    typeLabel = Part<TLabel>("FolderCaption")->GetText();
                },
                Press("CancelButton")});
        EXPECT_FALSE(d->Execute());
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(typeLabel, c.save ? "Save in:" : "Look in:");
    }
}

TEST_F(FileDialogTest, OpenDialogFileMustExist)
{
    TOpenDialog d(nullptr);
    d.Filter = "All|*.*";
    d.InitialDir = root;
    d.Options = TOpenOptions{ofFileMustExist};
    bool stillOpen = false;
    Script({Enter("missing.txt"), Press("OK"), [&] { stillOpen = Dialog() != nullptr; }, Enter("notes.txt")});
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(d.FileName, root + "/notes.txt");
}

TEST_F(FileDialogTest, AnUnreadableFolderIsReportedAndNotEntered)
{
    const std::string locked = root + "/locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    auto run = [&] {
        TOpenDialog d(nullptr);
        d.InitialDir = root;
        std::string folderAfter;
        Script({Enter("locked"), Press("OK"), [&] { folderAfter = ShownFolder(); }, Press("CancelButton")});
        return !d.Execute() && folderAfter == root && boxCaptions.size() == 2;
    };
    // Root reads every folder: the check runs as an unprivileged user.
    EXPECT_EQ(AsUnprivilegedUser(locked, [&] { return run() ? 0 : 1; }), 0);
    fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(FileDialogTest, SavePictureDialogAsTheProgramUsesIt)
{
    TSavePictureDialog d(nullptr);
    EXPECT_EQ(d.Filter.rfind("All (*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.ico)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.ico|", 0), 0u);
    EXPECT_NE(d.Filter.find("|Bitmaps (*.bmp)|*.bmp|JPEG Image File (*.jpg)|*.jpg;*.jpeg|"), std::string::npos);
    d.Options = TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofExtensionDifferent, ofPathMustExist, ofEnableSizing};
    d.Filter = "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg";
    d.DefaultExt = "bmp";
    d.InitialDir = root;
    // Sizeable: the controls keep to their edges.
    TRect listBefore, listAfter, okBefore, okAfter;
    bool sizeable = false;
    Script({[&] {
                TForm* f = Dialog();
                sizeable = f->GetBorderStyle() == bsSizeable;
                listBefore = Part<TListBox>("FileList")->BoundsRect();
                okBefore = Part<TButton>("OkButton")->BoundsRect();
                f->SetBounds(f->Left(), f->Top(), f->Width() + 100, f->Height() + 50);
                listAfter = Part<TListBox>("FileList")->BoundsRect();
                okAfter = Part<TButton>("OkButton")->BoundsRect();
                driver->TypeText("frame 中");
                driver->PressKey(VK_RETURN);
            }});
    ASSERT_TRUE(d.Execute());
    EXPECT_TRUE(sizeable);
    EXPECT_EQ(listAfter.Width(), listBefore.Width() + 100);
    EXPECT_EQ(listAfter.Height(), listBefore.Height() + 50);
    EXPECT_EQ(okAfter.Left, okBefore.Left + 100);
    EXPECT_EQ(okAfter.Top, okBefore.Top + 50);
    EXPECT_EQ(d.FileName, root + "/frame 中.bmp");
    EXPECT_FALSE(d.Options.Contains(ofExtensionDifferent));
    EXPECT_TRUE(d.Options.Contains(ofOverwritePrompt));
    // The JPEG filter chosen with the keyboard: a JPEG name, a different extension.
    Script({[&] {
                Part<TComboBox>("FilterCombo")->SetFocus();
                driver->PressKey(VK_DOWN);
            },
            [&] {
                Part<TEdit>("FileNameEdit")->SetText("frame 中");
                Part<TEdit>("FileNameEdit")->SetFocus();
                driver->PressKey(VK_RETURN);
            }});
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, root + "/frame 中.jpg");
    EXPECT_TRUE(d.Options.Contains(ofExtensionDifferent));
    EXPECT_EQ(d.FilterIndex, 2);
    // A fixed dialog without the sizing option.
    d.Options = TOpenOptions{};
    Script({[&] { sizeable = Dialog()->GetBorderStyle() != bsDialog; }, Press("CancelButton")});
    EXPECT_FALSE(d.Execute());
    EXPECT_FALSE(sizeable);
}
} // namespace
