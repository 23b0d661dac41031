// The skinned shell controls: a folder tree, a file pane and a folder picker
// over the shell namespace of platform/shell (Home, Documents, Computer with
// its volumes, the desktop folder's entries, then file-system names).
//
// TbsShellFolder stands for one item of the namespace and is what every tree
// node, list row and combo entry carries. TbsCustomShellTreeView (published as
// TbsSkinDirTreeView) fills lazily as nodes expand; TbsCustomShellListView
// (TbsSkinFileListView) lists one folder in owner-data mode, filtered by a
// mask and sortable by any column; TbsCustomShellComboBox
// (TbsSkinShellComboBox) shows the root's outline and the way to the current
// folder. Linked controls keep one current folder: the control the user moves
// tells the others, and a control that is moving the others ignores what they
// report back meanwhile (FUpdating).
//
// Everything runs on the GUI thread; only the change watchers (AutoRefresh)
// wait on threads of their own and deliver on the GUI thread. Nothing here
// changes the process's current directory, and expanding or selecting never
// runs a file.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinMenus.h"
#include "platform/gui/ComCtrls.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/ShellFolder.h"

using shell::TItemIDList;

// A path or folder that cannot be resolved.
class EInvalidPath : public Exception
{
public:
    using Exception::Exception;
};

// The root names a control's Root accepts besides a path.
enum TRootFolder
{
    rfDesktop, rfMyComputer, rfNetwork, rfRecycleBin, rfAppData, rfCommonDesktopDirectory, rfCommonPrograms,
    rfCommonStartMenu, rfCommonStartup, rfControlPanel, rfDesktopDirectory, rfFavorites, rfFonts, rfInternet,
    rfPersonal, rfPrinters, rfPrintHood, rfPrograms, rfRecent, rfSendTo, rfStartMenu, rfStartup, rfTemplates
};
// A root name ("rfDesktop" …) or a path.
using TRoot = std::string;
// The TRootFolder whose name equals the text ignoring case, else -1.
int RootFolderOrdinal(const std::string& Text);
// The special folder of a root name.
int RootFolderCSIDL(TRootFolder Root);

enum TShellObjectType { otFolders, otNonFolders, otHidden };
using TShellObjectTypes = TEnumSet<TShellObjectType>;
unsigned ObjectTypesToEnumFlags(TShellObjectTypes Types);

enum TbsShellFolderCapability { fcCanCopy, fcCanDelete, fcCanLink, fcCanMove, fcCanRename, fcDropTarget, fcHasPropSheet };
using TbsShellFolderCapabilities = TEnumSet<TbsShellFolderCapability>;
enum TbsShellFolderProperty
{
    fpCut, fpIsLink, fpReadOnly, fpShared, fpFileSystem, fpFileSystemAncestor, fpRemovable, fpValidate
};
using TbsShellFolderProperties = TEnumSet<TbsShellFolderProperty>;

// The module's messages.
extern const char* const SShellFolderDetails;   // "Unable to retrieve folder details for "%s". Error code $%x"
extern const char* const SMissingColumnDetails; // "%s: Missing call to LoadColumnDetails"
extern const char* const SRenameFailed;         // "Rename to %s failed"
extern const char* const SErrorSettingPath;     // "Error setting path: "%s""

// ---------------------------------------------------------------------------
// One item of the namespace. It owns its two lists, its bound folder and its
// detail strings, never its parent: a parent must outlive every use of its
// children, and a set of folder objects may be freed in any order.
class TbsShellFolder
{
public:
    // AParent null: the item hangs under the desktop folder object and ID is
    // absolute. SF: the item bound as a folder (null for a file).
    TbsShellFolder(TbsShellFolder* AParent, const TItemIDList& ID, std::unique_ptr<shell::TShellFolder> SF);
    // The same with what a listing already learnt of the item.
    TbsShellFolder(TbsShellFolder* AParent, const TItemIDList& ID, std::unique_ptr<shell::TShellFolder> SF,
                   shell::TItemInfo Info);

    const TItemIDList& RelativeID() const { return FPIDL; }
    const TItemIDList& AbsoluteID() const { return FFullPIDL; }
    TbsShellFolder* Parent() const { return FParent; }
    // The item as a folder; null when it is none.
    shell::TShellFolder* ShellFolder() const { return FIShellFolder.get(); }
    // 0 for a root under the desktop; its children 1, and so on.
    int Level() const { return FLevel; }
    // The folder the relative list is answered by.
    shell::TShellFolder ParentShellFolder() const;

    TbsShellFolderProperties Properties() const;
    TbsShellFolderCapabilities Capabilities() const;
    bool SubFolders() const;
    bool IsFolder() const;
    // The parsing name: the file-system path, or the display name of a
    // virtual folder (Computer).
    std::string PathName() const;
    // The file-system path; empty when the item has none.
    std::string FullObjectName() const;
    std::string DisplayName() const;
    // False when the item cannot be renamed; raises "Rename to %s failed"
    // when the rename itself is refused (an existing name, say).
    bool Rename(const std::string& NewName);
    int ImageIndex(bool LargeIcon) const;
    // Opens the item with the desktop's application (never for a folder).
    bool ExecuteDefault() const;
    // Fills the detail strings of columns 1 .. ColumnCount as the folder
    // RootFolder lists them; nothing when enough are loaded.
    void LoadColumnDetails(TbsShellFolder* RootFolder, int ColumnCount);
    // A loaded detail (1-based); raises when none was loaded.
    std::string ColumnDetail(int Index) const;
    // Copies of the list for whoever keeps it after the folder is gone.
    TItemIDList CopyAbsoluteID() const { return FFullPIDL; }
    // What the item is (kind, name, path, size, time, order), looked at once
    // for the object's life (a rename looks again): a folder of thousands of
    // items is listed, sorted and shown without asking the disk per question.
    const shell::TItemInfo& Info() const;

private:
    TItemIDList FPIDL, FFullPIDL;
    TbsShellFolder* FParent = nullptr;
    std::unique_ptr<shell::TShellFolder> FIShellFolder;
    int FLevel = 0;
    std::vector<std::string> FDetails;
    mutable std::optional<shell::TItemInfo> FInfo;
};

// The desktop's folder object (made on first use, lives as long as the process).
TbsShellFolder* ShellDesktopFolder();
// A folder object of an absolute list, parented to the desktop.
std::unique_ptr<TbsShellFolder> CreateFolderFromItemIDList(const TItemIDList& Absolute);
// Resolves a root text (a root name or an absolute path). On failure Root
// gets OldRoot back and Exception "Error setting path: "%s"" is raised.
std::unique_ptr<TbsShellFolder> CreateFolderFromRoot(const TRoot& OldRoot, TRoot& Root);
// Parses a path into an absolute list; raises EInvalidPath
// "Error setting path: "%s"" when it does not parse.
TItemIDList ParsePathOrRaise(const std::string& Path);

// The small (16) and large (32) shell icon lists, made on first use.
TCustomImageList* ShellSmallImages();
TCustomImageList* ShellLargeImages();

// What a control is told around a verb the user picked from the context
// menu: it may handle the verb itself (rename in place) and hears how it went.
class IbsShellVerbHandler
{
public:
    virtual ~IbsShellVerbHandler() = default;
    virtual void ExecuteCommand(const std::string& Verb, bool& Handled) = 0;
    virtual void CommandCompleted(const std::string& Verb, bool Succeeded) = 0;
};

// The verbs of the context menu and what they show of the system.
// Open: the desktop's application; Rename: in place (the control handles
// it); Delete: to the trash after a skinned Yes/No; Properties: a skinned
// message box.
bool RunShellVerb(TControl* Control, TbsShellFolder* Folder, const std::string& Verb);
// The context menu of an item at a client point of Control (a skinned popup
// menu of Control's form, kept by the control). Nothing for a null folder.
void ShowShellContextMenu(TWinControl* Control, TbsShellFolder* Folder, int X, int Y,
                          std::unique_ptr<TbsSkinPopupMenu>& Menu);
// The skin store the control's messages and menus use (the control's own,
// else its form's).
TbsSkinData* ShellControlSkin(TControl* Control);
// A text of the shell controls: the value under Key in the string table of
// the control's store when the table has one, else the built-in text (in the
// program's language). "%s" in it stands for Arg (filled in as text, so a
// table's value can never act as a format).
std::string ShellText(TControl* Control, const char* Key, const char* BuiltIn, const std::string& Arg = {});
// The name a control shows for an item: the namespace's own words (Desktop,
// Computer, Home, Documents, File System) from the control's string table,
// any other name as the item has it (control characters shown as "?").
std::string ShellItemCaption(TControl* Control, const TbsShellFolder* Folder);
// The path a control reports for an item: its parsing name, or for a
// virtual folder without one (Computer) its caption.
std::string ShellItemPath(TControl* Control, const TbsShellFolder* Folder);
// Raises EInvalidPath with a message in the control's words when the folder
// of an absolute list cannot be listed (missing, a file or FIFO, a link to
// nothing or round in a loop, unreadable); Shown is the path it names.
void CheckListable(TControl* Control, const TItemIDList& ID, const std::string& Shown);
// Shows a refusal to the user: a skinned box of the control's store.
void ShowShellError(TControl* Control, const std::string& Text);

// ---------------------------------------------------------------------------
// The change watcher: runs OnChange on the GUI thread when the folder Root
// changes on disk (with WatchSubTree, anything below it too). Its thread is
// the platform's watcher (inotify, on a thread of its own): it only waits and
// hands each change to the GUI thread, and no change reaches OnChange once
// the notifier is gone. A root that cannot be watched (missing, not a
// folder) delivers nothing; the notifier stays usable.
enum TNotifyFilter { nfFileNameChange, nfDirNameChange, nfAttributeChange, nfSizeChange, nfWriteChange, nfSecurityChange };
using TNotifyFilters = TEnumSet<TNotifyFilter>;
// The platform's change flags of a filter set.
unsigned NotifyFiltersToFlags(TNotifyFilters Filters);

// The watching thread of one notifier: made with the handler, given its
// options, then resumed; options given later apply at once.
class TbsShellChangeThread
{
public:
    explicit TbsShellChangeThread(TThreadMethod AChangeEvent);
    ~TbsShellChangeThread();
    TbsShellChangeThread(const TbsShellChangeThread&) = delete;
    TbsShellChangeThread& operator=(const TbsShellChangeThread&) = delete;

    const TThreadMethod& ChangeEvent() const { return FChangeEvent; }
    void SetChangeEvent(TThreadMethod Value) { FChangeEvent = std::move(Value); }
    void SetDirectoryOptions(const std::string& Directory, bool WatchSubTree, unsigned NotifyOptionFlags);
    void Resume();
    // Whether it watches a folder now (false before Resume and for a folder
    // that cannot be watched).
    bool Watching() const { return FWatcher.Watching(); }

private:
    TThreadMethod FChangeEvent;
    shell::TShellChangeNotifier FWatcher;
    bool FResumed = false;
};

class TbsCustomShellChangeNotifier : public TComponent
{
public:
    // Root "/", WatchSubTree on, file and folder name changes; no thread
    // until OnChange is set.
    explicit TbsCustomShellChangeNotifier(TComponent* AOwner);
    ~TbsCustomShellChangeNotifier() override;
    // The running thread, or null.
    TbsShellChangeThread* Thread() const { return FThread.get(); }

protected:
    TNotifyFilters NotifyFilters() const { return FFilters; }
    void SetNotifyFilters(TNotifyFilters Value);
    bool WatchSubTree() const { return FWatchSubTree; }
    void SetWatchSubTree(bool Value);
    // Compared as text: Linux names are case-sensitive.
    const TRoot& Root() const { return FRoot; }
    void SetRoot(const TRoot& Value);
    const TThreadMethod& OnChange() const { return FOnChange; }
    // Starts the thread when none runs; a running one takes the new handler.
    void SetOnChange(TThreadMethod Value);

private:
    void ApplyNotifyOptions();
    void StartWatchThread();

    TNotifyFilters FFilters{nfFileNameChange, nfDirNameChange};
    bool FWatchSubTree = true;
    TRoot FRoot = "/";
    std::unique_ptr<TbsShellChangeThread> FThread;
    TThreadMethod FOnChange;
};

class TbsShellChangeNotifier : public TbsCustomShellChangeNotifier
{
public:
    using TbsCustomShellChangeNotifier::TbsCustomShellChangeNotifier;
    using TbsCustomShellChangeNotifier::NotifyFilters;
    using TbsCustomShellChangeNotifier::SetNotifyFilters;
    using TbsCustomShellChangeNotifier::WatchSubTree;
    using TbsCustomShellChangeNotifier::SetWatchSubTree;
    using TbsCustomShellChangeNotifier::Root;
    using TbsCustomShellChangeNotifier::SetRoot;
    using TbsCustomShellChangeNotifier::OnChange;
    using TbsCustomShellChangeNotifier::SetOnChange;
};

class TbsCustomShellListView;
class TbsCustomShellComboBox;
namespace shellctrls
{
struct TListedItem;
}
using TAddFolderEvent = std::function<void(TObject* Sender, TbsShellFolder* AFolder, bool& CanAdd)>;

// ---------------------------------------------------------------------------
// The folder tree: one root node, filled lazily as nodes expand, with the
// shell's icons, names and order; a selection change moves the linked list
// view and combo box.
class TbsCustomShellTreeView : public TbsSkinCustomTreeView, public IbsShellVerbHandler
{
public:
    explicit TbsCustomShellTreeView(TComponent* AOwner);
    ~TbsCustomShellTreeView() override;

    const TRoot& Root() const { return FRoot; }
    void SetRoot(const TRoot& Value);
    TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
    virtual void SetObjectTypes(TShellObjectTypes Value);
    bool AutoContextMenus = true;
    bool AutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool Value);
    // The watcher of the folder shown while AutoRefresh is on, else null.
    TbsShellChangeNotifier* ChangeNotifier() const { return FNotifier.get(); }
    bool UseShellImages() const { return FUseShellImages; }
    void SetUseShellImages(bool Value);
    TbsCustomShellListView* ShellListView() const { return FListView; }
    void SetShellListView(TbsCustomShellListView* Value);
    TbsCustomShellComboBox* ShellComboBox() const { return FComboBox; }
    void SetShellComboBox(TbsCustomShellComboBox* Value);
    TAddFolderEvent OnAddFolder;
    // Told after a node's text was edited, before the item is renamed (it may
    // change the text).
    TTVEditedEvent OnEdited;

    // The parsing name of the selected folder; setting it selects the folder
    // (EInvalidPath when the text does not parse).
    std::string Path() const;
    void SetPath(const std::string& Value);
    TbsShellFolder* SelectedFolder() const;
    TbsShellFolder* RootFolder() const { return FRootFolder.get(); }
    TbsShellFolder* FolderOf(TTreeNode* Node) const;

    // Rebuilds a node and its open subtree from the namespace, keeping the
    // open nodes, the selection (when its folder still exists) and the top row.
    void Refresh(TTreeNode* Node);
    void RefreshSelectedNode();
    void ExpandMyComputer();
    // Selects the folder of an absolute list, expanding the way to it.
    void SelectItemIDList(const TItemIDList& ID);
    TTreeNode* FindFolderNode(const TItemIDList& ID, TTreeNode* StartNode);
    void ClearAllNodes() { ClearNodes(); }

    void ExecuteCommand(const std::string& Verb, bool& Handled) override;
    void CommandCompleted(const std::string& Verb, bool Succeeded) override;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    bool CanExpand(TTreeNode* Node) override;
    bool CanChange(TTreeNode* Node) override;
    void DoContextPopup(TPoint MousePos, bool& Handled) override;

private:
    friend class TbsCustomShellListView;
    friend class TbsCustomShellComboBox;
    void CreateRootNode();
    void ApplyRoot();
    void PopulateNode(TTreeNode* Node);
    void InitChildNode(TTreeNode* Child, shellctrls::TListedItem& Item, TTreeNode* ParentNode);
    void ClearNodes();
    void NodeDeleted(TTreeNode* Node);
    void NodeEdited(TTreeNode* Node, std::string& S);
    void SetNodeFolder(TTreeNode* Node, std::unique_ptr<TbsShellFolder> Folder);
    void MakeNotifier();
    // The linked list follows; a folder it refuses is shown to the user.
    void SyncList(const TItemIDList& ID);

    std::string FPath;
    TRoot FRoot = "rfDesktop", FOldRoot;
    std::unique_ptr<TbsShellFolder> FRootFolder;
    TShellObjectTypes FObjectTypes{otFolders};
    bool FLoadingRoot = false;
    bool FUpdating = false;
    TbsCustomShellListView* FListView = nullptr;
    TbsCustomShellComboBox* FComboBox = nullptr;
    bool FAutoRefresh = false;
    bool FUseShellImages = true;
    std::unique_ptr<TbsShellChangeNotifier> FNotifier;
    TTreeNode* FNodeToMonitor = nullptr;
    std::unique_ptr<TbsSkinPopupMenu> FContextMenu;
    std::optional<TItemIDList> FRenamedParent;
};

class TbsSkinDirTreeView : public TbsCustomShellTreeView
{
public:
    using TbsCustomShellTreeView::TbsCustomShellTreeView;
};

// ---------------------------------------------------------------------------
// The file pane: the items of one folder (its subfolders, and the files that
// pass Mask) in owner-data mode; double click and Enter open folders,
// Backspace goes up, F5 reloads, a header click sorts by that column (again:
// the other way), typing finds a row by the start of its name.
class TbsCustomShellListView : public TbsSkinCustomListView, public IbsShellVerbHandler
{
public:
    explicit TbsCustomShellListView(TComponent* AOwner);
    ~TbsCustomShellListView() override;

    const TRoot& Root() const { return FRoot; }
    void SetRoot(const TRoot& Value);
    // The listed folder's parsing name ("" without one); setting opens the
    // folder (EInvalidPath when the text does not parse).
    std::string Path() const;
    void SetPath(const std::string& Value);
    // Patterns separated by ";" or "|"; a pattern without "." accepts nothing
    // unless it is "*".
    const std::string& Mask() const { return FMask; }
    void SetMask(const std::string& Value);
    TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
    void SetObjectTypes(TShellObjectTypes Value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    bool AutoContextMenus = true;
    bool AutoNavigate = true;
    bool AutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool Value);
    // The watcher of the folder shown while AutoRefresh is on, else null.
    TbsShellChangeNotifier* ChangeNotifier() const { return FNotifier.get(); }
    TbsCustomShellTreeView* ShellTreeView() const { return FTreeView; }
    void SetShellTreeView(TbsCustomShellTreeView* Value);
    TbsCustomShellComboBox* ShellComboBox() const { return FComboBox; }
    void SetShellComboBox(TbsCustomShellComboBox* Value);
    TAddFolderEvent OnAddFolder;
    // After every change of the listed folder (OnDblClick follows a folder
    // opened by a double click).
    TNotifyEvent OnPathChanged;
    TbsShellFolder* RootFolder() const { return FRootFolder.get(); }
    int SortColumn() const { return FSortColumn; }
    bool SortDescending() const { return FSortDirection; }

    // Opens the parent of the folder shown (nothing at the desktop).
    void Back();
    // Reloads the folder shown, keeping the selected row's index.
    void Refresh();
    TbsShellFolder* SelectedFolder();
    // The full name of the selected row when it is a file, else "".
    std::string GetSelectedFile();
    // The full names of the selected rows that are files, in row order.
    void GetSelectedFiles(TStrings* AFiles);
    std::vector<std::string> SelectedFiles();

    void ReloadFolder();
    TbsShellFolder* FolderAt(int Index);
    int FolderCount() const { return int(FFolders.size()); }
    void BuildColumns();
    // Report view: the columns at their built widths when the view is
    // narrower, else widened in proportion to fill the view's width exactly.
    void FitColumns();
    void SyncToItemIDList(const TItemIDList& ID);
    // Opens a folder; one that cannot be listed is refused (EInvalidPath,
    // with the reason) and the folder shown stays.
    void OpenItemIDList(const TItemIDList& ID);
    void FillFolderList();
    void ClearFolders();
    void BeginRenameSelected();
    // Sorts by a column as a header click does.
    void SortByColumn(int Column);
    // Whether a file name passes Mask.
    bool NameMatchesMask(const std::string& Name) const;
    void SetViewStyle(TViewStyle Value);

    void ExecuteCommand(const std::string& Verb, bool& Handled) override;
    void CommandCompleted(const std::string& Verb, bool Succeeded) override;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DblClick() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void DoContextPopup(TPoint MousePos, bool& Handled) override;
    void Resize() override;

private:
    friend class TbsCustomShellTreeView;
    friend class TbsCustomShellComboBox;
    void MakeRootFolder();
    void SyncLinkedControls();
    void OwnerDataFetch(TListItem* Item);
    void OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap, int& Index);
    void ColumnClicked(TListColumn* Column);
    void LabelEdited(TListItem* Item, std::string& S);
    void SortFolders(int Column, bool Descending);
    void MakeNotifier();
    // Opens a folder without asking whether it can be listed (a reload).
    void ShowFolder(const TItemIDList& ID);
    // Opens a folder the user asked for; a refusal is shown to the user.
    void Navigate(const TItemIDList& ID);

    int FOldSortColumn = -1, FSortColumn = -1;
    bool FSortDirection = false;
    TRoot FOldRoot, FRoot = "rfDesktop";
    std::unique_ptr<TbsShellFolder> FRootFolder;
    bool FAutoRefresh = false;
    bool FSorted = true;
    bool FUpdating = false;
    TShellObjectTypes FObjectTypes{otFolders, otNonFolders};
    std::vector<std::unique_ptr<TbsShellFolder>> FFolders;
    TbsCustomShellTreeView* FTreeView = nullptr;
    TbsCustomShellComboBox* FComboBox = nullptr;
    std::unique_ptr<TbsShellChangeNotifier> FNotifier;
    bool FSettingRoot = false;
    // The rows stand for the root folder and mask as they are (cleared with the rows).
    bool FFilled = false;
    std::string FMask = "*.*|*.*";
    std::unique_ptr<TbsSkinPopupMenu> FContextMenu;
    // The widths BuildColumns gave, one per column.
    std::vector<int> FBuiltWidths;
    bool FFitting = false;
};

class TbsSkinFileListView : public TbsCustomShellListView
{
public:
    using TbsCustomShellListView::TbsCustomShellListView;
};

// ---------------------------------------------------------------------------
// The folder picker: the root, its child folders (the volumes under Computer
// when the root is the desktop) and the way to the current folder, indented,
// with their icons.
struct TbsItemEx
{
    std::string Caption;
    std::unique_ptr<TbsShellFolder> Data;
    int Indent = 0;
    int ImageIndex = -1;
    int SelectedImageIndex = -1;
};

class TbsCustomShellComboBox : public TbsSkinCustomComboBox
{
public:
    explicit TbsCustomShellComboBox(TComponent* AOwner);
    ~TbsCustomShellComboBox() override;

    const TRoot& Root() const { return FRoot; }
    void SetRoot(const TRoot& Value);
    TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
    virtual void SetObjectTypes(TShellObjectTypes Value);
    TbsCustomShellTreeView* ShellTreeView() const { return FTreeView; }
    void SetShellTreeView(TbsCustomShellTreeView* Value);
    TbsCustomShellListView* ShellListView() const { return FListView; }
    void SetShellListView(TbsCustomShellListView* Value);
    // The selected entry's parsing name ("" without one); setting selects the
    // folder (EInvalidPath when the text does not parse).
    std::string Path() const;
    void SetPath(const std::string& Value);
    int EntryCount() const { return int(FItemsEx.size()); }
    const TbsItemEx& Entry(int Index) const { return *FItemsEx.at(std::size_t(Index)); }

    void SyncToItemIDList(const TItemIDList& ID);
    void SelectItemIDList(const TItemIDList& ID);
    void BuildFolderItems();
    void ReloadRoot();
    int IndexOfItemIDList(const TItemIDList& ID) const;
    TbsShellFolder* FolderOfItem(int Index) const;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Change() override;
    virtual void AddTopLevelFolders();

private:
    friend class TbsCustomShellTreeView;
    friend class TbsCustomShellListView;
    void InsertChildFolders(int Index, TbsShellFolder* Parent);
    std::unique_ptr<TbsShellFolder> NewChildFolder(TbsShellFolder* Parent, const TItemIDList& ID);
    void InsertFolderItem(int Index, std::unique_ptr<TbsShellFolder> Folder);
    void ClearFolderItems();
    void FillItemTexts();
    void DrawItem(TCanvas* Cnvs, int Index, const TRect& R, bool Indented);

    std::vector<std::unique_ptr<TbsItemEx>> FItemsEx;
    TRoot FOldRoot, FRoot = "rfDesktop";
    std::unique_ptr<TbsShellFolder> FRootFolder;
    TbsCustomShellTreeView* FTreeView = nullptr;
    TbsCustomShellListView* FListView = nullptr;
    TShellObjectTypes FObjectTypes{otFolders};
    bool FUpdating = false;
    bool FBuilding = false;
};

class TbsSkinShellComboBox : public TbsCustomShellComboBox
{
public:
    using TbsCustomShellComboBox::TbsCustomShellComboBox;
};
