// The shell combo box: an indented outline of the root, its child folders,
// the volumes under Computer (desktop root) and the way to the current
// folder, drawn with the shell's small icons.
#include <algorithm>
#include <utility>

#include "lib/bsSkinShellCtrls/Internal.h"
#include "platform/core/Utf8.h"
#include "platform/shell/Icons.h"

using namespace shellctrls;

namespace
{
constexpr int kIconSize = 16;
}  // namespace

TbsCustomShellComboBox::TbsCustomShellComboBox(TComponent* AOwner) : TbsSkinCustomComboBox(AOwner)
{
    OnComboBoxDrawItem = [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) {
        DrawItem(C, Index, R, false);
    };
    SetOnListBoxDrawItem(
        [this](TCanvas* C, int Index, int, int, const TRect& R, TOwnerDrawState) { DrawItem(C, Index, R, true); });
}

TbsCustomShellComboBox::~TbsCustomShellComboBox()
{
    if (FTreeView) FTreeView->FComboBox = nullptr;
    if (FListView) FListView->FComboBox = nullptr;
    FTreeView = nullptr;
    FListView = nullptr;
    OnComboBoxDrawItem = nullptr;
    SetOnListBoxDrawItem(nullptr);
    FItemsEx.clear();
    FRootFolder.reset();
}

// ---------------------------------------------------------------------------
void TbsCustomShellComboBox::SetRoot(const TRoot& Value)
{
    if (SameRoot(Value, FRoot) && !FItemsEx.empty()) return;
    FOldRoot = FRoot;
    FRoot = Value;
    ReloadRoot();
}

void TbsCustomShellComboBox::SetObjectTypes(TShellObjectTypes Value)
{
    FObjectTypes = Value;
    ReloadRoot();
}

void TbsCustomShellComboBox::ReloadRoot()
{
    TFlagScope updating(FUpdating);
    ClearFolderItems();
    BuildFolderItems();
    if (FTreeView) FTreeView->SetRoot(FRoot);
    if (FListView) FListView->SetRoot(FRoot);
}

std::string TbsCustomShellComboBox::Path() const
{
    const int i = ItemIndex();
    TbsShellFolder* f = i >= 0 && i < int(FItemsEx.size()) ? FItemsEx[std::size_t(i)]->Data.get() : nullptr;
    return ShellItemPath(const_cast<TbsCustomShellComboBox*>(this), f);
}

void TbsCustomShellComboBox::SetPath(const std::string& Value) { SelectItemIDList(ParsePathOrRaise(Value)); }

// ---------------------------------------------------------------------------
int TbsCustomShellComboBox::IndexOfItemIDList(const TItemIDList& ID) const
{
    for (int i = int(FItemsEx.size()) - 1; i >= 0; --i)
        if (TbsShellFolder* f = FItemsEx[std::size_t(i)]->Data.get(); f && shell::ItemIDListsEqual(f->AbsoluteID(), ID))
            return i;
    return -1;
}

TbsShellFolder* TbsCustomShellComboBox::FolderOfItem(int Index) const
{
    if (FItemsEx.empty()) return nullptr;
    if (Index >= int(FItemsEx.size()) || Index < 0) Index = int(FItemsEx.size()) - 1;
    return FItemsEx[std::size_t(Index)]->Data.get();
}

std::unique_ptr<TbsShellFolder> TbsCustomShellComboBox::NewChildFolder(TbsShellFolder* Parent, const TItemIDList& ID)
{
    return NewChild(Parent, ID);
}

void TbsCustomShellComboBox::InsertFolderItem(int Index, std::unique_ptr<TbsShellFolder> Folder)
{
    auto item = std::make_unique<TbsItemEx>();
    item->Caption = ShellItemCaption(this, Folder.get());
    item->Indent = Folder->Level();
    item->ImageIndex = Folder->ImageIndex(false);
    item->SelectedImageIndex = item->ImageIndex;
    item->Data = std::move(Folder);
    Index = std::clamp(Index, 0, int(FItemsEx.size()));
    FItemsEx.insert(FItemsEx.begin() + Index, std::move(item));
}

void TbsCustomShellComboBox::ClearFolderItems()
{
    FItemsEx.clear();
    FillItemTexts();
}

void TbsCustomShellComboBox::FillItemTexts()
{
    TFlagScope building(FBuilding);
    Items()->BeginUpdate();
    Items()->Clear();
    for (const auto& e : FItemsEx) Items()->Add(e->Caption);
    Items()->EndUpdate();
}

void TbsCustomShellComboBox::InsertChildFolders(int Index, TbsShellFolder* Parent)
{
    std::vector<TListedItem> items;
    // A folder that cannot be listed simply has no children here.
    if (!ListSortedChildren(Parent, ObjectTypesToEnumFlags(FObjectTypes), items)) return;
    for (std::size_t k = 0; k < items.size(); ++k)
        InsertFolderItem(Index + int(k) + 1, NewChild(Parent, items[k].ID, std::move(items[k].Info)));
}

void TbsCustomShellComboBox::AddTopLevelFolders()
{
    InsertChildFolders(0, FolderOfItem(0));
    if (FRoot != "rfDesktop") return;
    TItemIDList computer;
    if (!shell::SHGetSpecialFolderLocation(shell::CSIDL_DRIVES, computer)) return;
    const int k = IndexOfItemIDList(computer);
    if (k >= 0) InsertChildFolders(k, FolderOfItem(k));
}

void TbsCustomShellComboBox::BuildFolderItems()
{
    if (Loading(this)) return;
    TFlagScope building(FBuilding);
    ClearFolderItems();
    FRootFolder = CreateFolderFromRoot(FOldRoot, FRoot);
    InsertFolderItem(0, CreateFolderFromItemIDList(FRootFolder->AbsoluteID()));
    AddTopLevelFolders();
    FillItemTexts();
    SetItemIndex(0);
}

void TbsCustomShellComboBox::SelectItemIDList(const TItemIDList& ID)
{
    const TItemIDList id = ID;   // may belong to an entry that goes now
    TFlagScope building(FBuilding);
    BuildFolderItems();
    int v = IndexOfItemIDList(id);
    if (v < 0)
    {
        // Below the deepest ancestor the outline holds, the way down is added.
        std::vector<TItemIDList> prefixes = shell::BuildItemIDPrefixList(id);
        int p = int(prefixes.size()) - 1, i = -1;
        for (; p >= 0; --p)
            if ((i = IndexOfItemIDList(prefixes[std::size_t(p)])) >= 0) break;
        if (p < 0) return;
        for (int q = p + 1; q < int(prefixes.size()); ++q)
        {
            InsertFolderItem(i + 1, NewChildFolder(FolderOfItem(i), shell::LastItemIDOf(prefixes[std::size_t(q)])));
            ++i;
        }
        InsertFolderItem(i + 1, NewChildFolder(FolderOfItem(i), shell::LastItemIDOf(id)));
        v = i + 1;
    }
    FillItemTexts();
    SetItemIndex(v);
}

void TbsCustomShellComboBox::SyncToItemIDList(const TItemIDList& ID)
{
    if (FUpdating) return;
    if (TbsShellFolder* f = ItemIndex() >= 0 ? FolderOfItem(ItemIndex()) : nullptr;
        f && shell::ItemIDListsEqual(f->AbsoluteID(), ID))
        return;
    TFlagScope updating(FUpdating);
    SelectItemIDList(ID);
}

void TbsCustomShellComboBox::Change()
{
    if (FBuilding) return;
    TbsSkinCustomComboBox::Change();
    if (ItemIndex() < 0 || FUpdating || IsPopupVisible()) return;
    std::string refused;
    {
        TFlagScope updating(FUpdating);
        if (TbsShellFolder* f = FolderOfItem(ItemIndex()))
        {
            const TItemIDList id = f->AbsoluteID();
            if (FTreeView) FTreeView->SelectItemIDList(id);
            try
            {
                if (FListView) FListView->SyncToItemIDList(id);
            }
            catch (const EInvalidPath& e)
            {
                refused = e.what();
            }
        }
    }
    if (refused.empty()) return;
    // The list keeps its folder, and the box goes back to it.
    ShowShellError(this, refused);
    if (FListView && FListView->RootFolder()) SyncToItemIDList(FListView->RootFolder()->AbsoluteID());
}

// ---------------------------------------------------------------------------
void TbsCustomShellComboBox::DrawItem(TCanvas* C, int Index, const TRect& R, bool Indented)
{
    if (Index < 0 || Index >= int(FItemsEx.size())) return;
    const TbsItemEx& e = *FItemsEx[std::size_t(Index)];
    const int offset = Indented ? e.Indent * kIconSize / 2 : 0;
    int x = R.Left + offset;
    if (e.ImageIndex >= 0) ShellSmallImages()->Draw(C, x, R.Top + (R.Height() - kIconSize) / 2, e.ImageIndex);
    x += kIconSize + 4;
    C->Brush()->SetStyle(bsClear);
    C->TextOut(x, R.Top + R.Height() / 2 - C->TextHeight("Wg") / 2, e.Caption);
}

// ---------------------------------------------------------------------------
void TbsCustomShellComboBox::CreateWnd()
{
    TbsSkinCustomComboBox::CreateWnd();
    if (FItemsEx.empty())
    {
        try
        {
            BuildFolderItems();
        }
        catch (const Exception&)
        {
            // A root that cannot be resolved leaves the box empty.
        }
    }
    else
        FillItemTexts();
}

void TbsCustomShellComboBox::DestroyWnd()
{
    ClearFolderItems();
    TbsSkinCustomComboBox::DestroyWnd();
}

void TbsCustomShellComboBox::Loaded()
{
    TbsSkinCustomComboBox::Loaded();
    BuildFolderItems();
}

void TbsCustomShellComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomComboBox::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FTreeView) FTreeView = nullptr;
    if (AComponent == FListView) FListView = nullptr;
}

void TbsCustomShellComboBox::SetShellListView(TbsCustomShellListView* Value)
{
    shellctrls::LinkPeer(this, FListView, Value, &TbsCustomShellListView::FComboBox, FRoot);
}

void TbsCustomShellComboBox::SetShellTreeView(TbsCustomShellTreeView* Value)
{
    shellctrls::LinkPeer(this, FTreeView, Value, &TbsCustomShellTreeView::FComboBox, FRoot);
}
