// The shell tree view: a lazily filled tree of the namespace below a root,
// each node owning the folder object it shows.
#include <utility>

#include "lib/bsSkinShellCtrls/Internal.h"
#include "platform/core/Utf8.h"
#include "platform/shell/Icons.h"
#include "platform/sys/Files.h"

using namespace shellctrls;

namespace
{
// Posted to itself after an in-place rename: the parent is rebuilt once the
// edit has finished with the node.
constexpr UINT kRefreshAfterRename = WM_USER + 0x5A1;

struct TNodesUpdate
{
    TTreeNodes* nodes;
    explicit TNodesUpdate(TTreeNodes* n) : nodes(n) { nodes->BeginUpdate(); }
    ~TNodesUpdate() { nodes->EndUpdate(); }
};

// Whether anything (file, folder, link) is at a path.
bool PathExists(const std::string& path)
{
    return !path.empty() && (sys::FileExists(path) || sys::DirectoryExists(path));
}
}  // namespace

TbsCustomShellTreeView::TbsCustomShellTreeView(TComponent* AOwner) : TbsSkinCustomTreeView(AOwner)
{
    SetShowRoot(false);
    RightClickSelect = true;
    TCustomTreeView::OnDeletion = [this](TObject*, TTreeNode* n) { NodeDeleted(n); };
    TCustomTreeView::OnEdited = [this](TObject*, TTreeNode* n, std::string& s) { NodeEdited(n, s); };
    SetImages(ShellSmallImages());
}

TbsCustomShellTreeView::~TbsCustomShellTreeView()
{
    FNotifier.reset();
    if (FListView) FListView->FTreeView = nullptr;
    if (FComboBox) FComboBox->FTreeView = nullptr;
    FListView = nullptr;
    FComboBox = nullptr;
    FUpdating = true;
    ClearNodes();
}

TbsShellFolder* TbsCustomShellTreeView::FolderOf(TTreeNode* Node) const
{
    return Node ? static_cast<TbsShellFolder*>(Node->Data) : nullptr;
}

TbsShellFolder* TbsCustomShellTreeView::SelectedFolder() const { return FolderOf(GetSelected()); }

void TbsCustomShellTreeView::SetNodeFolder(TTreeNode* Node, std::unique_ptr<TbsShellFolder> Folder)
{
    delete FolderOf(Node);
    Node->Data = Folder.release();
}

void TbsCustomShellTreeView::NodeDeleted(TTreeNode* Node)
{
    delete FolderOf(Node);
    Node->Data = nullptr;
}

void TbsCustomShellTreeView::ClearNodes()
{
    // Clearing is no selection by the user: the change events stay quiet.
    TTVChangedEvent change = std::exchange(TCustomTreeView::OnChange, nullptr);
    TTVChangingEvent changing = std::exchange(OnChanging, nullptr);
    {
        TFlagScope quiet(FUpdating);
        Items()->Clear();
    }
    TCustomTreeView::OnChange = std::move(change);
    OnChanging = std::move(changing);
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::CreateRootNode()
{
    if (Loading(this)) return;
    std::string kept;
    try
    {
        FRootFolder = CreateFolderFromRoot(FOldRoot, FRoot);
    }
    catch (const Exception& e)
    {
        kept = e.what();
    }
    if (FRootFolder)
    {
        TFlagScope loading(FLoadingRoot);
        if (Items()->Count() > 0) ClearNodes();
        std::unique_ptr<TbsShellFolder> folder = CreateFolderFromItemIDList(FRootFolder->AbsoluteID());
        TTreeNode* node = Items()->AddChild(nullptr, ShellItemCaption(this, folder.get()));
        node->ImageIndex = shell::SystemImageIndex(folder->AbsoluteID(), false, false);
        node->SelectedIndex = shell::SystemImageIndex(folder->AbsoluteID(), false, true);
        node->SetHasChildren(folder->SubFolders());
        SetNodeFolder(node, std::move(folder));
        node->Expand(false);
        SetSelected(node);
    }
    if (!kept.empty()) throw Exception(kept);
}

void TbsCustomShellTreeView::ApplyRoot()
{
    if (FUpdating) return;
    TFlagScope updating(FUpdating);
    CreateRootNode();
    if (FListView) FListView->SetRoot(FRoot);
}

void TbsCustomShellTreeView::SetRoot(const TRoot& Value)
{
    if (SameRoot(Value, FRoot) && FRootFolder) return;
    FOldRoot = FRoot;
    FRoot = Value;
    ApplyRoot();
}

void TbsCustomShellTreeView::SetObjectTypes(TShellObjectTypes Value)
{
    FObjectTypes = Value;
    ApplyRoot();
}

void TbsCustomShellTreeView::SetUseShellImages(bool Value)
{
    FUseShellImages = Value;
    SetImages(Value ? ShellSmallImages() : nullptr);
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::PopulateNode(TTreeNode* Node)
{
    TbsShellFolder* folder = FolderOf(Node);
    TBusyCursor busy;
    TNodesUpdate update(Items());
    std::vector<TListedItem> items;
    if (!ListSortedChildren(folder, ObjectTypesToEnumFlags(FObjectTypes), items)) return;
    for (TListedItem& item : items) InitChildNode(Items()->AddChild(Node, ""), item, Node);
}

void TbsCustomShellTreeView::InitChildNode(TTreeNode* Child, shellctrls::TListedItem& Item, TTreeNode* ParentNode)
{
    std::unique_ptr<TbsShellFolder> folder = NewChild(FolderOf(ParentNode), Item.ID, std::move(Item.Info));
    TbsShellFolder* f = folder.get();
    SetNodeFolder(Child, std::move(folder));
    Child->SetText(ShellItemCaption(this, f));
    Child->ImageIndex = f->Info().Icon;
    Child->SelectedIndex = f->Info().OpenIcon;
    bool children = f->SubFolders();
    if (FObjectTypes.Contains(otNonFolders) && f->ShellFolder())
    {
        std::vector<TItemIDList> items;
        children = EnumItems(f, ObjectTypesToEnumFlags(FObjectTypes), items) && !items.empty();
    }
    Child->SetHasChildren(children);
    bool canAdd = true;
    if (OnAddFolder) OnAddFolder(this, f, canAdd);
    if (!canAdd) Child->Delete();
}

bool TbsCustomShellTreeView::CanExpand(TTreeNode* Node)
{
    bool result = TbsSkinCustomTreeView::CanExpand(Node);
    if (!result) return false;
    TbsShellFolder* folder = FolderOf(Node);
    // Only folders fill; a file is never run from here.
    if (folder && folder->ShellFolder() && Node->GetHasChildren() && Node->Count() == 0) PopulateNode(Node);
    Node->SetHasChildren(Node->Count() > 0);
    return true;
}

bool TbsCustomShellTreeView::CanChange(TTreeNode* Node)
{
    const bool result = TbsSkinCustomTreeView::CanChange(Node);
    if (!result || FUpdating || !Node) return result;
    TbsShellFolder* folder = FolderOf(Node);
    if (!folder) return result;
    const bool keep = FAutoRefresh;
    SetAutoRefresh(false);
    if (!folder->ShellFolder() && folder->Parent()) folder = folder->Parent();
    const TItemIDList id = folder->AbsoluteID();
    {
        TFlagScope updating(FUpdating);
        if (FComboBox) FComboBox->SyncToItemIDList(id);
        SyncList(id);
    }
    FNodeToMonitor = Node;
    SetAutoRefresh(keep);
    FNodeToMonitor = nullptr;
    return result;
}

void TbsCustomShellTreeView::SyncList(const TItemIDList& ID)
{
    if (!FListView) return;
    try
    {
        FListView->SyncToItemIDList(ID);
    }
    catch (const EInvalidPath& e)
    {
        // The list keeps the folder it shows; the user hears why.
        ShowShellError(this, e.what());
    }
}

// ---------------------------------------------------------------------------
TTreeNode* TbsCustomShellTreeView::FindFolderNode(const TItemIDList& ID, TTreeNode* StartNode)
{
    if (!StartNode) return nullptr;
    const int level = StartNode->Level();
    for (TTreeNode* n = StartNode; n && (n == StartNode || n->Level() > level); n = n->GetNext())
        if (TbsShellFolder* f = FolderOf(n); f && shell::ItemIDListsEqual(f->AbsoluteID(), ID)) return n;
    return nullptr;
}

void TbsCustomShellTreeView::SelectItemIDList(const TItemIDList& ID)
{
    if (Loading(this) || FUpdating) return;
    if (TbsShellFolder* f = SelectedFolder(); f && shell::ItemIDListsEqual(f->AbsoluteID(), ID)) return;
    TFlagScope updating(FUpdating);
    TTreeNode* target = nullptr;
    {
        TNodesUpdate update(Items());
        TTreeNode* node = Items()->GetFirstNode();
        for (const TItemIDList& prefix : shell::BuildItemIDPrefixList(ID))
            if (TTreeNode* found = FindFolderNode(prefix, node))
            {
                found->Expand(false);
                node = found;
            }
        target = FindFolderNode(ID, node);
    }
    SetSelected(target);
    if (target)
    {
        const TItemIDList id = FolderOf(target)->AbsoluteID();
        SyncList(id);
        if (FComboBox) FComboBox->SyncToItemIDList(id);
    }
}

std::string TbsCustomShellTreeView::Path() const
{
    return ShellItemPath(const_cast<TbsCustomShellTreeView*>(this), SelectedFolder());
}

void TbsCustomShellTreeView::SetPath(const std::string& Value)
{
    FPath = Value;
    const TItemIDList id = ParsePathOrRaise(Value);
    SelectItemIDList(id);
    if (TTreeNode* n = GetSelected())
    {
        n->Expand(false);
        CanChange(n);
    }
    FPath = Value;
}

void TbsCustomShellTreeView::ExpandMyComputer()
{
    TItemIDList id;
    if (!shell::SHGetSpecialFolderLocation(shell::CSIDL_DRIVES, id)) return;
    SelectItemIDList(id);
    if (TTreeNode* n = GetSelected()) n->Expand(false);
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::Refresh(TTreeNode* Node)
{
    TbsShellFolder* old = FolderOf(Node);
    if (!old || !old->ShellFolder()) return;
    TBusyCursor busy;
    TTreeNode* top = GetTopItem();
    std::optional<TItemIDList> topID, selID;
    if (TbsShellFolder* f = FolderOf(top)) topID = f->AbsoluteID();
    if (TbsShellFolder* f = SelectedFolder()) selID = f->AbsoluteID();
    {
        TFlagScope updating(FUpdating);
        TNodesUpdate update(Items());
        TTreeNode* fresh = Items()->Insert(Node, "");
        // A top node's parent is the nodes' hidden holder, which has no folder.
        TTreeNode* parentNode = FolderOf(Node->Parent()) ? Node->Parent() : nullptr;
        std::unique_ptr<TbsShellFolder> folder =
            parentNode ? NewChild(FolderOf(parentNode), old->RelativeID()) : CreateFolderFromItemIDList(old->AbsoluteID());
        TbsShellFolder* f = folder.get();
        SetNodeFolder(fresh, std::move(folder));
        PopulateNode(fresh);
        fresh->ImageIndex = shell::SystemImageIndex(f->AbsoluteID(), false, false);
        fresh->SelectedIndex = shell::SystemImageIndex(f->AbsoluteID(), false, true);
        fresh->SetHasChildren(f->SubFolders() || fresh->Count() > 0);
        fresh->SetText(ShellItemCaption(this, f));
        // The nodes that were open are opened again (which fills them).
        std::vector<TItemIDList> open;
        const int level = Node->Level();
        for (TTreeNode* n = Node; n && (n == Node || n->Level() > level); n = n->GetNext())
            if (n->GetExpanded() && FolderOf(n)) open.push_back(FolderOf(n)->AbsoluteID());
        Node->Delete();
        for (const TItemIDList& id : open)
            if (TTreeNode* n = FindFolderNode(id, fresh)) n->Expand(false);
    }
    // The selection where it was; nothing when its folder is gone.
    TTreeNode* sel = selID ? FindFolderNode(*selID, Items()->GetFirstNode()) : nullptr;
    if (sel != GetSelected())
    {
        TFlagScope updating(FUpdating);
        SetSelected(sel);
    }
    if (topID)
        if (TTreeNode* t = FindFolderNode(*topID, Items()->GetFirstNode())) SetTopItem(t);
}

void TbsCustomShellTreeView::RefreshSelectedNode()
{
    if (TTreeNode* n = GetSelected()) Refresh(n);
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::MakeNotifier()
{
    FNotifier.reset();
    if (!FAutoRefresh || Loading(this)) return;
    TbsShellFolder* folder = FNodeToMonitor ? FolderOf(FNodeToMonitor) : FRootFolder.get();
    FNotifier = std::make_unique<TbsShellChangeNotifier>(nullptr);
    FNotifier->SetWatchSubTree(false);
    FNotifier->SetRoot(folder ? folder->FullObjectName() : std::string());
    FNotifier->SetOnChange([this] { RefreshSelectedNode(); });
}

void TbsCustomShellTreeView::SetAutoRefresh(bool Value)
{
    FAutoRefresh = Value;
    if (Loading(this)) return;
    if (Value) MakeNotifier();
    else FNotifier.reset();
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::NodeEdited(TTreeNode* Node, std::string& S)
{
    if (OnEdited) OnEdited(this, Node, S);
    TbsShellFolder* folder = FolderOf(Node);
    if (folder && S == Node->GetText()) return;   // left as it was: nothing to rename
    // A refused rename raises and leaves the text; no capability keeps it too.
    if (!folder || !folder->Rename(S))
    {
        S = Node->GetText();
        return;
    }
    if (TTreeNode* parent = Node->Parent(); parent && FolderOf(parent))
    {
        FRenamedParent = FolderOf(parent)->AbsoluteID();
        if (HandleAllocated()) PostMessage(Handle(), kRefreshAfterRename, 0, 0);
    }
}

void TbsCustomShellTreeView::WndProc(TMessage& m)
{
    if (m.Msg == kRefreshAfterRename)
    {
        if (FRenamedParent)
        {
            const TItemIDList id = *std::exchange(FRenamedParent, std::nullopt);
            if (TTreeNode* n = FindFolderNode(id, Items()->GetFirstNode())) Refresh(n);
        }
        return;
    }
    TbsSkinCustomTreeView::WndProc(m);
}

void TbsCustomShellTreeView::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (!AutoContextMenus)
    {
        TbsSkinCustomTreeView::DoContextPopup(MousePos, Handled);
        return;
    }
    Handled = true;
    ShowShellContextMenu(this, SelectedFolder(), MousePos.X, MousePos.Y, FContextMenu);
}

void TbsCustomShellTreeView::ExecuteCommand(const std::string& Verb, bool& Handled)
{
    // "open" runs in the child's own folder: nothing here changes directory.
    if (CompareText(Verb, "rename") == 0 && GetSelected())
    {
        GetSelected()->EditText();
        Handled = true;
    }
}

void TbsCustomShellTreeView::CommandCompleted(const std::string& Verb, bool Succeeded)
{
    TTreeNode* n = GetSelected();
    if (!Succeeded || !n) return;
    if (CompareText(Verb, "delete") == 0)
    {
        // Only a node whose item is really gone goes with it.
        TbsShellFolder* f = FolderOf(n);
        if (f && !PathExists(f->FullObjectName())) n->Delete();
    }
    else if (CompareText(Verb, "paste") == 0)
        Refresh(n);
}

// ---------------------------------------------------------------------------
void TbsCustomShellTreeView::CreateWnd()
{
    TbsSkinCustomTreeView::CreateWnd();
    if (!FLoadingRoot)
    {
        ClearNodes();
        CreateRootNode();
    }
    if (!FPath.empty())
    {
        try
        {
            SetPath(FPath);
        }
        catch (const EInvalidPath&)
        {
            // The folder went away meanwhile: the root stays selected.
        }
    }
}

void TbsCustomShellTreeView::DestroyWnd()
{
    ClearNodes();
    TbsSkinCustomTreeView::DestroyWnd();
}

void TbsCustomShellTreeView::Loaded()
{
    TbsSkinCustomTreeView::Loaded();
    CreateRootNode();
}

void TbsCustomShellTreeView::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomTreeView::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FListView) FListView = nullptr;
    if (AComponent == FComboBox) FComboBox = nullptr;
}

void TbsCustomShellTreeView::SetShellListView(TbsCustomShellListView* Value)
{
    shellctrls::LinkPeer(this, FListView, Value, &TbsCustomShellListView::FTreeView, FRoot);
}

void TbsCustomShellTreeView::SetShellComboBox(TbsCustomShellComboBox* Value)
{
    shellctrls::LinkPeer(this, FComboBox, Value, &TbsCustomShellComboBox::FTreeView, FRoot);
}
