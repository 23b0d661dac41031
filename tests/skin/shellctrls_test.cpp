// The shell tree view, list view and combo box over a temporary tree: lazy
// filling and selecting by path, expanding a file (never run), the node
// after a delete, the list's masks, column sorting (5 GiB after 3 GiB),
// type-ahead, Back at the desktop, and three linked controls following one
// folder.
#include "common/unprivileged.h"
#include "lib/bsMessages.h"
#include "platform/core/MainThread.h"
#include "skin/shell_helpers.h"

using namespace shelltest;

namespace
{
std::vector<std::string> Rows(TbsCustomShellListView* l)
{
    std::vector<std::string> out;
    for (int i = 0; i < l->FolderCount(); ++i) out.push_back(l->FolderAt(i)->DisplayName());
    return out;
}

TTreeNode* Child(TTreeNode* n, const std::string& text)
{
    for (int i = 0; n && i < n->Count(); ++i)
        if (n->Item(i)->GetText() == text) return n->Item(i);
    return nullptr;
}

class ShellCtrlsTest : public ShellTest
{
protected:
    template <class T>
    T* Make(int x, int y, int w, int h)
    {
        if (!form_)
        {
            form_ = MakeForm(600, 400);
            form_->Show();
        }
        auto* c = new T(form_);
        c->SetBounds(x, y, w, h);
        c->SetParent(form_);
        driver->PumpUntilIdle();
        return c;
    }
    TForm* form_ = nullptr;
};
}  // namespace

TEST_F(ShellCtrlsTest, TreeStartsOnTheDesktopAndSelectsByPath)
{
    const std::string b = Dir("a/b");
    auto* tree = Make<TbsSkinDirTreeView>(0, 0, 250, 300);
    TTreeNode* root = tree->Items()->GetFirstNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetText(), "桌面");
    EXPECT_TRUE(root->GetExpanded());
    EXPECT_EQ(tree->GetSelected(), root);
    EXPECT_FALSE(tree->GetShowRoot());
    EXPECT_NE(Child(root, "计算机"), nullptr);
    EXPECT_NE(Child(root, "主文件夹"), nullptr);

    tree->SetPath(b);
    EXPECT_EQ(tree->Path(), b);
    ASSERT_NE(tree->GetSelected(), nullptr);
    EXPECT_EQ(tree->GetSelected()->GetText(), "b");
    EXPECT_TRUE(Child(root, "计算机")->GetExpanded());

    // Text that does not parse leaves the selection where it was.
    EXPECT_THROW(tree->SetPath("relative/path"), EInvalidPath);
    EXPECT_THROW(tree->SetPath(b + "/missing"), EInvalidPath);
    EXPECT_EQ(tree->Path(), b);
    // A bad root keeps the old one and says which text failed.
    try
    {
        tree->SetRoot("no such root");
        ADD_FAILURE() << "no error";
    }
    catch (const Exception& e)
    {
        EXPECT_STREQ(e.what(), "Error setting path: \"no such root\"");
    }
    EXPECT_EQ(tree->Root(), "rfDesktop");
}

TEST_F(ShellCtrlsTest, TheNamespaceWordsMenuAndTrashQuestionComeFromTheStringTable)
{
    const std::string d = Dir("d");
    File("d/clip.mp4");
    auto* tree = Make<TbsSkinDirTreeView>(0, 0, 250, 300);
    auto* list = Make<TbsSkinFileListView>(250, 0, 350, 300);
    list->SetPath(d);
    TbsShellFolder* clip = list->FolderAt(0);
    ASSERT_NE(clip, nullptr);
    auto menuCaptions = [&] {
        std::unique_ptr<TbsSkinPopupMenu> menu;
        ShowShellContextMenu(list, clip, 5, 5, menu);
        std::vector<std::string> out;
        for (int i = 0; menu && i < menu->Items()->Count(); ++i) out.push_back(menu->Items()->Items(i)->Caption());
        return out;
    };
    // The question before a move to the trash, read from the box and answered No.
    auto trashQuestion = [&] {
        std::string text;
        AnswerNextBox(text, mrNo);
        EXPECT_FALSE(RunShellVerb(list, clip, "delete"));
        return text;
    };
    auto volumeCaption = [&] {
        TTreeNode* root = tree->Items()->GetFirstNode(), *computer = nullptr;
        for (int i = 0; i < root->Count(); ++i)
            if (tree->FolderOf(root->Item(i))->Info().Special == shell::snComputer) computer = root->Item(i);
        if (!computer) return std::string();
        computer->Expand(false);
        return computer->Count() > 0 ? computer->Item(0)->GetText() : std::string();
    };

    // No store: the program's own words.
    TTreeNode* root = tree->Items()->GetFirstNode();
    EXPECT_EQ(root->GetText(), "桌面");
    std::vector<std::string> top;
    for (int i = 0; i < root->Count(); ++i) top.push_back(root->Item(i)->GetText());
    EXPECT_EQ(std::vector<std::string>(top.begin(), top.begin() + 2), (std::vector<std::string>{"主文件夹", "计算机"}));
    EXPECT_EQ(volumeCaption(), "文件系统");
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"打开", "重命名", "删除", "属性"}));
    EXPECT_EQ(trashQuestion(), "确实要把“clip.mp4”移到回收站吗？");

    // A table's own texts win; one that lacks a key keeps the built-in word,
    // and a "%" in a table's text is no format.
    TbsSkinData sd(nullptr);
    TbsResourceStrData table;
    table.SetResStrings(std::vector<std::string>{"SHELL_DESKTOP=Desktop", "SHELL_COMPUTER=This PC",
                                                 "SHELL_FILESYSTEM=Root", "SHELL_MENU_DELETE=Trash %d%n",
                                                 "SHELL_TRASH_QUESTION=Trash %s (100%)?"});
    sd.SetResourceStrData(&table);
    tree->SetSkinData(&sd);
    list->SetSkinData(&sd);
    tree->SetRoot("rfMyComputer");
    tree->SetRoot("rfDesktop");
    root = tree->Items()->GetFirstNode();
    EXPECT_EQ(root->GetText(), "Desktop");
    EXPECT_EQ(root->Item(0)->GetText(), "主文件夹");
    EXPECT_EQ(root->Item(1)->GetText(), "This PC");
    EXPECT_EQ(volumeCaption(), "Root");
    EXPECT_EQ(menuCaptions(), (std::vector<std::string>{"打开", "重命名", "Trash %d%n", "属性"}));
    EXPECT_EQ(trashQuestion(), "Trash clip.mp4 (100%)?");
    EXPECT_TRUE(fs::exists(root_ / "d/clip.mp4"));
    tree->SetSkinData(nullptr);
    list->SetSkinData(nullptr);
}

TEST_F(ShellCtrlsTest, TheListRefusesWhatItCannotListAndSaysWhy)
{
    const std::string d = Dir("d");
    File("d/a.mp4");
    const std::string file = File("x/clip.mp4"), fifo = Dir("x") + "/pipe", broken = Dir("x") + "/broken",
                      loop = Dir("x") + "/loop";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    fs::create_symlink(Dir("x") + "/gone", broken);
    fs::create_symlink(loop, loop);
    auto* list = Make<TbsSkinFileListView>(0, 0, 400, 300);
    list->SetPath(d);
    struct Case
    {
        std::string path, message;
    } cases[] = {
        {file, "“" + file + "”不是文件夹，无法打开。"},
        {fifo, "“" + fifo + "”不是文件夹，无法打开。"},
        {broken, "链接“" + broken + "”指向的位置不存在。"},
        {loop, "链接“" + loop + "”循环指向自己，无法打开。"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        for (int byRoot = 0; byRoot < 2; ++byRoot)
        {
            try
            {
                if (byRoot) list->SetRoot(c.path);
                else list->SetPath(c.path);
                ADD_FAILURE() << "no error";
            }
            catch (const EInvalidPath& e)
            {
                EXPECT_EQ(e.what(), c.message);
            }
            EXPECT_EQ(list->Path(), d);
            EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.mp4"}));
            EXPECT_EQ(list->Root(), "rfDesktop");
        }
    }

    // An unreadable folder, asked for by path or opened from its row: the
    // user is told in a box and the list stays where it was.
    const std::string locked = Dir("d/locked");
    ::chmod(locked.c_str(), 0);
    const int rc = AsUnprivilegedUser(d, [&] {
        list->Refresh();
        try
        {
            list->SetPath(locked);
            return 1;
        }
        catch (const EInvalidPath& e)
        {
            if (std::string(e.what()) != "无法打开文件夹“" + locked + "”：没有读取权限。") return 2;
        }
        std::string told;
        AnswerNextBox(told, mrOk);
        int row = -1;
        for (int i = 0; i < list->FolderCount(); ++i)
            if (list->FolderAt(i)->DisplayName() == "locked") row = i;
        if (row < 0) return 3;
        list->SetItemIndex(row);
        list->SetFocus();
        driver->PressKey(VK_RETURN);
        if (told != "无法打开文件夹“" + locked + "”：没有读取权限。") return 4;
        return list->Path() == d ? 0 : 5;
    });
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(rc, 0);
}

TEST_F(ShellCtrlsTest, ExpandingAFileNodeNeverRunsIt)
{
    const std::string x = Dir("x");
    File("x/movie.mp4");
    Dir("x/sub");
    auto* tree = Make<TbsSkinDirTreeView>(0, 0, 250, 300);
    tree->SetObjectTypes({otFolders, otNonFolders});
    tree->SetRoot(x);
    TTreeNode* root = tree->Items()->GetFirstNode();
    ASSERT_NE(root, nullptr);
    TTreeNode* file = Child(root, "movie.mp4");
    ASSERT_NE(file, nullptr);
    file->SetHasChildren(true);
    file->Expand(false);
    tree->SetSelected(file);
    driver->PumpUntilIdle();
    EXPECT_TRUE(launcher->Calls.empty());
    EXPECT_EQ(file->Count(), 0);
    EXPECT_FALSE(file->GetHasChildren());
}

TEST_F(ShellCtrlsTest, AfterADeleteTheNodeGoesOnlyWhenItsItemIsGone)
{
    const std::string d = Dir("d");
    Dir("d/keep");
    auto* tree = Make<TbsSkinDirTreeView>(0, 0, 250, 300);
    tree->SetRoot(d);
    TTreeNode* node = Child(tree->Items()->GetFirstNode(), "keep");
    ASSERT_NE(node, nullptr);
    tree->SetSelected(node);
    // The verb said it worked, but the folder is still there (a refused move).
    tree->CommandCompleted("delete", true);
    EXPECT_EQ(Child(tree->Items()->GetFirstNode(), "keep"), node);
    fs::remove(root_ / "d/keep");
    tree->CommandCompleted("DELETE", true);
    EXPECT_EQ(Child(tree->Items()->GetFirstNode(), "keep"), nullptr);
}

TEST_F(ShellCtrlsTest, ListShowsFoldersAndTheFilesItsMaskLetThrough)
{
    const std::string l = Dir("l");
    for (const char* f : {"a.mp4", "b.MP4", "c.txt", "noext", "what?.avi", "12:30 clip.mts", "back\\slash.avi"})
        File(std::string("l/") + f);
    Dir("l/sub");
    auto* list = Make<TbsSkinFileListView>(0, 0, 400, 300);
    list->SetRoot(l);
    struct Case
    {
        std::string mask;
        std::vector<std::string> rows;
    } cases[] = {
        {"*.*|*.*", {"sub", "12:30 clip.mts", "a.mp4", "b.MP4", "back\\slash.avi", "c.txt", "noext", "what?.avi"}},
        {"*.mp4", {"sub", "a.mp4", "b.MP4"}},
        {"*.txt|*.avi;*.mp4", {"sub", "a.mp4", "b.MP4", "back\\slash.avi", "c.txt", "what?.avi"}},
        {"*", {"sub", "12:30 clip.mts", "a.mp4", "b.MP4", "back\\slash.avi", "c.txt", "noext", "what?.avi"}},
        {"mp4", {"sub"}},
        {"", {"sub"}},
        {";|;", {"sub"}},
        {"what?.*", {"sub", "what?.avi"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mask);
        list->SetMask(c.mask);
        EXPECT_EQ(Rows(list), c.rows);
        EXPECT_EQ(list->Items()->Count(), int(c.rows.size()));
    }
    // Only folders selected: no files.
    list->SetMask("*");
    list->SetItemIndex(0);
    EXPECT_EQ(list->GetSelectedFile(), "");
    EXPECT_TRUE(list->SelectedFiles().empty());
    list->SetItemIndex(2);
    EXPECT_EQ(list->GetSelectedFile(), l + "/a.mp4");
    // Type-ahead: the first row from the start whose name begins with the text, any ASCII case.
    EXPECT_EQ(list->FindCaption(0, "B", true, true, true), 3);
    EXPECT_EQ(list->FindCaption(5, "a", true, true, true), 2);
    EXPECT_EQ(list->FindCaption(5, "a", true, true, false), -1);
}

TEST_F(ShellCtrlsTest, HeaderClicksSortByAnyColumnEitherWay)
{
    const std::string s = Dir("s");
    Dir("s/zfolder");
    File("s/small.bin", "12");
    for (auto [name, size] : {std::pair{"big5.bin", 5ull << 30}, std::pair{"big3.bin", 3ull << 30}})
    {
        std::ofstream(root_ / "s" / name).close();
        fs::resize_file(root_ / "s" / name, size);   // sparse
    }
    auto* list = Make<TbsSkinFileListView>(0, 0, 500, 300);
    list->SetRoot(s);
    list->SetViewStyle(vsReport);
    ASSERT_EQ(list->Columns()->Count(), 4);
    EXPECT_EQ(list->Columns()->Items(1)->GetCaption(), "Size");
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"zfolder", "big3.bin", "big5.bin", "small.bin"}));
    list->SortByColumn(1);
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"zfolder", "small.bin", "big3.bin", "big5.bin"}));
    EXPECT_FALSE(list->SortDescending());
    list->SortByColumn(1);
    EXPECT_TRUE(list->SortDescending());
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"big5.bin", "big3.bin", "small.bin", "zfolder"}));
    list->SortByColumn(0);
    EXPECT_FALSE(list->SortDescending());
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"zfolder", "big3.bin", "big5.bin", "small.bin"}));
    // The size column shows the whole size of the 5 GiB file.
    TListItem* it = list->Items()->Item(2);
    ASSERT_GE(it->SubItems()->Count(), 1);
    EXPECT_EQ(it->SubItems()->Get(0), "5,242,880 KB");
}

TEST_F(ShellCtrlsTest, BackAtTheDesktopChangesNothing)
{
    auto* list = Make<TbsSkinFileListView>(0, 0, 400, 300);
    int changes = 0;
    list->OnPathChanged = [&](TObject*) { ++changes; };
    const std::string a = Dir("a");
    list->SetPath(a);
    EXPECT_EQ(changes, 1);
    list->Back();
    EXPECT_EQ(list->Path(), sys::ExcludeTrailingPathDelimiter(root_.string()));
    EXPECT_EQ(changes, 2);
    list->OpenItemIDList(TItemIDList());
    changes = 0;
    list->Back();
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(list->RootFolder()->AbsoluteID().Empty());
}

TEST_F(ShellCtrlsTest, LinkedControlsFollowOneFolder)
{
    const std::string c = Dir("p/q/r");
    auto* tree = Make<TbsSkinDirTreeView>(0, 30, 200, 300);
    auto* combo = Make<TbsSkinShellComboBox>(0, 0, 400, 22);
    auto* list = Make<TbsSkinFileListView>(200, 30, 400, 300);
    list->SetShellComboBox(combo);
    combo->SetShellListView(list);
    tree->SetShellListView(list);
    list->SetShellTreeView(tree);

    list->SetPath(c);
    EXPECT_EQ(tree->Path(), c);
    EXPECT_EQ(combo->Path(), c);
    // The outline: the desktop, its children, the volume under Computer, then
    // the way down to the folder with growing indent, the folder selected.
    ASSERT_GT(combo->EntryCount(), 3);
    EXPECT_EQ(combo->Entry(0).Caption, "桌面");
    EXPECT_EQ(combo->Entry(0).Indent, 0);
    const int last = combo->ItemIndex();
    EXPECT_EQ(combo->Entry(last).Caption, "r");
    EXPECT_EQ(combo->Entry(last - 1).Caption, "q");
    EXPECT_EQ(combo->Entry(last).Indent, combo->Entry(last - 1).Indent + 1);
    EXPECT_EQ(combo->Items()->Get(last), "r");

    // Picking the Home entry moves the list and the tree there.
    int home = -1;
    for (int i = 0; i < combo->EntryCount(); ++i)
        if (combo->Entry(i).Caption == "主文件夹") home = i;
    ASSERT_GE(home, 0);
    combo->SetItemIndex(home);
    EXPECT_EQ(list->Path(), home_.string());
    EXPECT_EQ(tree->Path(), home_.string());
    EXPECT_EQ(combo->Path(), home_.string());

    // A folder chosen in the tree moves the list and the combo box.
    tree->SetPath(Dir("p"));
    EXPECT_EQ(list->Path(), Dir("p"));
    EXPECT_EQ(combo->Path(), Dir("p"));

    // Destroying a linked control clears the links to it.
    delete list;
    EXPECT_EQ(combo->ShellListView(), nullptr);
    EXPECT_EQ(tree->ShellListView(), nullptr);
    tree->SetPath(c);
    EXPECT_EQ(combo->Path(), Dir("p"));
}

TEST_F(ShellCtrlsTest, InPlaceRenameRenamesTheItemAndRefusesATakenName)
{
    const std::string r = Dir("r");
    File("r/a.mp4");
    File("r/b.mp4");
    auto* list = Make<TbsSkinFileListView>(0, 0, 400, 300);
    list->SetRoot(r);
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, std::exception_ptr e) {
        try
        {
            std::rethrow_exception(e);
        }
        catch (const std::exception& x)
        {
            errors.push_back(x.what());
        }
    };
    auto rename = [&](int row, const std::string& name) {
        list->SetFocus();
        list->SetItemIndex(row);
        list->BeginRenameSelected();
        ASSERT_NE(list->EditControl(), nullptr);
        list->EditControl()->SetText(name);
        driver->PressKey(VK_RETURN);
    };
    rename(0, "c.mp4");
    EXPECT_TRUE(fs::exists(root_ / "r/c.mp4"));
    EXPECT_FALSE(fs::exists(root_ / "r/a.mp4"));
    EXPECT_EQ(list->FolderAt(0)->DisplayName(), "c.mp4");
    // Unchanged: nothing happens; taken: refused, both files stay.
    rename(0, "c.mp4");
    EXPECT_TRUE(errors.empty());
    rename(0, "b.mp4");
    EXPECT_EQ(errors, std::vector<std::string>{"Rename to b.mp4 failed"});
    EXPECT_TRUE(fs::exists(root_ / "r/c.mp4"));
    EXPECT_EQ(list->FolderAt(0)->DisplayName(), "c.mp4");
    Application->OnException = nullptr;
}

TEST_F(ShellCtrlsTest, AutoRefreshListsWhatIsMadeOnDisk)
{
    const std::string w = Dir("w");
    File("w/old.mp4");
    auto* list = Make<TbsSkinFileListView>(0, 0, 400, 300);
    auto* tree = Make<TbsSkinDirTreeView>(400, 0, 200, 300);
    list->SetRoot(w);
    tree->SetRoot(w);
    list->SetAutoRefresh(true);
    tree->SetAutoRefresh(true);
    // Each watches the folder it shows, not below it, through the library's notifier.
    for (TbsShellChangeNotifier* n : {list->ChangeNotifier(), tree->ChangeNotifier()})
    {
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->Root(), w);
        EXPECT_FALSE(n->WatchSubTree());
        ASSERT_NE(n->Thread(), nullptr);
        EXPECT_TRUE(n->Thread()->Watching());
    }
    File("w/new.mp4");
    Dir("w/sub");
    // The change comes from the watcher's thread, delivered on the GUI thread.
    auto has = [&](const std::string& name) {
        for (int i = 0; i < list->FolderCount(); ++i)
            if (list->FolderAt(i)->DisplayName() == name) return true;
        return false;
    };
    while (!has("new.mp4") || !has("sub") || !Child(tree->Items()->GetFirstNode(), "sub")) CheckSynchronize(10);
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"sub", "new.mp4", "old.mp4"}));
    list->SetAutoRefresh(false);
    tree->SetAutoRefresh(false);
    EXPECT_EQ(list->ChangeNotifier(), nullptr);
}

TEST_F(ShellCtrlsTest, TheChangeNotifierWatchesItsRootOnceItHasAHandler)
{
    EXPECT_EQ(NotifyFiltersToFlags({nfFileNameChange, nfDirNameChange}), 0x3u);
    EXPECT_EQ(NotifyFiltersToFlags({nfAttributeChange, nfSizeChange, nfWriteChange, nfSecurityChange}), 0x11Cu);
    const std::string a = Dir("wa"), b = Dir("wb");
    int changes = 0;
    auto n = std::make_unique<TbsShellChangeNotifier>(nullptr);
    // The defaults, and no thread without a handler.
    EXPECT_EQ(n->Root(), "/");
    EXPECT_TRUE(n->WatchSubTree());
    EXPECT_EQ(n->NotifyFilters(), (TNotifyFilters{nfFileNameChange, nfDirNameChange}));
    EXPECT_EQ(n->Thread(), nullptr);
    n->SetRoot(a);
    n->SetWatchSubTree(false);
    EXPECT_EQ(n->Thread(), nullptr);
    n->SetOnChange([&] {
        EXPECT_TRUE(IsMainThread());
        ++changes;
    });
    TbsShellChangeThread* thread = n->Thread();
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->Watching());
    File("wa/one.mp4");
    while (changes == 0) CheckSynchronize(10);
    // A new root is watched by the same thread.
    n->SetRoot(b);
    EXPECT_EQ(n->Thread(), thread);
    const int before = changes;
    File("wb/three.mp4");
    while (changes == before) CheckSynchronize(10);
    // A root that cannot be watched: nothing runs, the notifier stays usable
    // and goes safely.
    n->SetRoot(b + "/missing");
    EXPECT_FALSE(n->Thread()->Watching());
    n->SetWatchSubTree(true);
    n.reset();
    File("wb/four.mp4");
    const int after = changes;
    CheckSynchronize(50);
    EXPECT_EQ(changes, after);
}
