// The shell list view: one folder's items in owner-data mode, filtered by a
// mask, sorted by the shell's order or by a column, with navigation keys,
// type-ahead, in-place renaming and the context menu.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

#include "lib/bsSkinShellCtrls/Internal.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

using namespace shellctrls;

namespace
{
std::string Text(TbsSkinData* sd, const char* key, const char* builtIn)
{
    TbsResourceStrData* t = sd ? sd->ResourceStrData() : nullptr;
    return t ? t->GetResStr(key) : std::string(builtIn);
}
}  // namespace

TbsCustomShellListView::TbsCustomShellListView(TComponent* AOwner) : TbsSkinCustomListView(AOwner)
{
    SetOwnerData(true);
    HideSelection = false;
    SetSmallImages(ShellSmallImages());
    SetLargeImages(ShellLargeImages());
    OnData = [this](TObject*, TListItem* it) { OwnerDataFetch(it); };
    OnDataFind = [this](TObject*, TItemFind Find, const std::string& S, TPoint, void*, int Start, TSearchDirection,
                        bool Wrap, int& Index) { OwnerDataFind(Find, S, Start, Wrap, Index); };
    OnColumnClick = [this](TObject*, TListColumn* c) { ColumnClicked(c); };
    TCustomListView::OnEdited = [this](TObject*, TListItem* it, std::string& s) { LabelEdited(it, s); };
}

TbsCustomShellListView::~TbsCustomShellListView()
{
    FNotifier.reset();
    if (FTreeView) FTreeView->FListView = nullptr;
    if (FComboBox) FComboBox->FListView = nullptr;
    FTreeView = nullptr;
    FComboBox = nullptr;
    FUpdating = true;
    OnData = nullptr;
    TCustomListView::OnChange = nullptr;
    OnSelectItem = nullptr;
    ClearFolders();
    FRootFolder.reset();
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::MakeRootFolder()
{
    std::unique_ptr<TbsShellFolder> root = CreateFolderFromRoot(FOldRoot, FRoot);
    // A root that names nothing to list (a file, a FIFO, a broken link, an
    // unreadable folder) keeps the old one.
    try
    {
        CheckListable(this, root->AbsoluteID(), FRoot);
    }
    catch (const EInvalidPath&)
    {
        FRoot = FOldRoot;
        throw;
    }
    // The rows hang under the old root folder: they go first.
    ClearFolders();
    FRootFolder = std::move(root);
}

void TbsCustomShellListView::SetRoot(const TRoot& Value)
{
    if (SameRoot(Value, FRoot) && FRootFolder) return;
    FOldRoot = FRoot;
    FRoot = Value;
    MakeRootFolder();
    FSettingRoot = true;
    ReloadFolder();
}

std::string TbsCustomShellListView::Path() const
{
    return ShellItemPath(const_cast<TbsCustomShellListView*>(this), FRootFolder.get());
}

void TbsCustomShellListView::SetPath(const std::string& Value)
{
    const TItemIDList id = ParsePathOrRaise(Value);
    CheckListable(this, id, Value);
    ShowFolder(id);
}

void TbsCustomShellListView::SetMask(const std::string& Value)
{
    if (Value == FMask) return;
    FMask = Value;
    ReloadFolder();
}

void TbsCustomShellListView::SetObjectTypes(TShellObjectTypes Value)
{
    FObjectTypes = Value;
    if (!Loading(this)) ReloadFolder();
}

void TbsCustomShellListView::SetSorted(bool Value)
{
    if (Value == FSorted) return;
    FSorted = Value;
    FillFolderList();
}

void TbsCustomShellListView::SetViewStyle(TViewStyle Value)
{
    TbsSkinCustomListView::SetViewStyle(Value);
    if (Value == vsReport) BuildColumns();
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::ClearFolders()
{
    if (!Destroying()) Items()->SetCount(0);
    FFolders.clear();
    FFilled = false;
}

bool TbsCustomShellListView::NameMatchesMask(const std::string& Name) const
{
    std::string pattern;
    auto accepts = [&](const std::string& p) {
        return p == "*" || (p.find('.') != std::string::npos && sys::MatchesMask(Name, p));
    };
    for (std::size_t i = 0; i <= FMask.size(); ++i)
    {
        if (i == FMask.size() || FMask[i] == ';' || FMask[i] == '|')
        {
            if (accepts(pattern)) return true;
            pattern.clear();
            if (i == FMask.size()) break;
        }
        else
            pattern += FMask[i];
    }
    return false;
}

void TbsCustomShellListView::FillFolderList()
{
    if (Loading(this) && !HandleAllocated()) return;
    Items()->BeginUpdate();
    struct TEnd
    {
        TListItems* items;
        ~TEnd() { items->EndUpdate(); }
    } end{Items()};
    ClearFolders();
    if (!FRootFolder) return;
    TBusyCursor busy;
    std::vector<TItemIDList> ids;
    std::vector<shell::TItemInfo> infos;
    if (!FRootFolder->ShellFolder() ||
        !FRootFolder->ShellFolder()->EnumObjects(ObjectTypesToEnumFlags(FObjectTypes), ids, infos))
        return;
    FFolders.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
    {
        std::unique_ptr<TbsShellFolder> folder = NewChild(FRootFolder.get(), ids[i], std::move(infos[i]));
        bool canAdd = true;
        // Folders pass whatever the mask says.
        if (!folder->IsFolder()) canAdd = NameMatchesMask(sys::ExtractFileName(folder->FullObjectName()));
        if (OnAddFolder) OnAddFolder(this, folder.get(), canAdd);
        if (canAdd) FFolders.push_back(std::move(folder));
    }
    Items()->SetCount(int(FFolders.size()));
    if (FSorted) SortFolders(0, false);
    FFilled = true;
}

void TbsCustomShellListView::SortFolders(int Column, bool Descending)
{
    // Each entry knows its order already: nothing is asked of the disk while sorting.
    std::stable_sort(FFolders.begin(), FFolders.end(), [&](const auto& a, const auto& b) {
        const int c = shell::CompareItemInfos(Column, a->Info(), b->Info());
        return Descending ? c > 0 : c < 0;
    });
}

void TbsCustomShellListView::SortByColumn(int Column)
{
    if (Columns()->Count() < 4 && Column != 0) return;
    FOldSortColumn = FSortColumn;
    FSortColumn = Column;
    FSortDirection = FSortColumn == FOldSortColumn && FOldSortColumn != -1 ? !FSortDirection : false;
    Items()->BeginUpdate();
    SortFolders(Column, FSortDirection);
    Items()->EndUpdate();
    Invalidate();
}

void TbsCustomShellListView::ColumnClicked(TListColumn* Column)
{
    if (Column) SortByColumn(Column->Index());
}

void TbsCustomShellListView::BuildColumns()
{
    if (!FRootFolder || !FRootFolder->ShellFolder()) return;
    TbsSkinData* sd = SkinData();
    const int x = std::max(1, comctrls_detail::MeasureText(Font(), "X").cx);
    struct TCol
    {
        const char* key;
        const char* text;
        TAlignment align;
        int chars;
    } cols[] = {{"FLV_NAME", "Name", taLeftJustify, 25},
                {"FLV_SIZE", "Size", taRightJustify, 10},
                {"FLV_TYPE", "Type", taLeftJustify, 10},
                {"FLV_MODIFIED", "Modified", taLeftJustify, 14}};
    Columns()->Clear();
    for (const TCol& c : cols)
    {
        TListColumn* col = Columns()->Add();
        col->SetCaption(Text(sd, c.key, c.text));
        col->SetAlignment(c.align);
        col->SetWidth(c.chars * x);
    }
    FBuiltWidths.clear();
    for (int i = 0; i < Columns()->Count(); ++i) FBuiltWidths.push_back(Columns()->Items(i)->GetWidth());
    FitColumns();
}

void TbsCustomShellListView::FitColumns()
{
    if (GetViewStyle() != vsReport || FFitting || FBuiltWidths.empty() ||
        int(FBuiltWidths.size()) != Columns()->Count())
        return;
    const int built = std::accumulate(FBuiltWidths.begin(), FBuiltWidths.end(), 0);
    const int extra = std::max(0, ClientWidth() - built);
    FFitting = true;
    int given = 0;
    for (std::size_t i = 0; i < FBuiltWidths.size(); ++i)
    {
        // The last column takes the rounding rest so the row ends at the edge.
        const int share = i + 1 == FBuiltWidths.size() ? extra - given
                                                      : int(std::int64_t(extra) * FBuiltWidths[i] / std::max(1, built));
        given += share;
        TListColumn* col = Columns()->Items(int(i));
        if (col->GetWidth() != FBuiltWidths[i] + share) col->SetWidth(FBuiltWidths[i] + share);
    }
    FFitting = false;
}

void TbsCustomShellListView::Resize()
{
    TbsSkinCustomListView::Resize();
    FitColumns();
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::OwnerDataFetch(TListItem* Item)
{
    const int i = Item->Index();
    if (i < 0 || i >= int(FFolders.size())) return;
    TbsShellFolder* f = FFolders[std::size_t(i)].get();
    Item->SetCaption(ShellItemCaption(this, f));
    Item->SetImageIndex(f->ImageIndex(GetViewStyle() == vsIcon));
    Item->SubItems()->Clear();
    if (GetViewStyle() != vsReport) return;
    const int n = Columns()->Count();
    f->LoadColumnDetails(FRootFolder.get(), n - 1);
    for (int c = 1; c < n; ++c) Item->SubItems()->Add(f->ColumnDetail(c));
}

void TbsCustomShellListView::OwnerDataFind(TItemFind Find, const std::string& FindString, int StartIndex, bool Wrap,
                                           int& Index)
{
    Index = -1;
    if ((Find != ifPartialString && Find != ifExactString) || StartIndex == -1) return;
    const int n = int(FFolders.size());
    if (n == 0) return;
    const std::string want = UpperCase(FindString);
    int i = StartIndex;
    for (int seen = 0; seen < n; ++seen, ++i)
    {
        if (i >= n)
        {
            if (!Wrap) return;
            i = 0;
        }
        // The name as shown is what the user types.
        if (UpperCase(ShellItemCaption(this, FFolders[std::size_t(i)].get())).rfind(want, 0) == 0)
        {
            Index = i;
            return;
        }
    }
}

// ---------------------------------------------------------------------------
TbsShellFolder* TbsCustomShellListView::FolderAt(int Index)
{
    if (FFolders.empty()) return nullptr;
    return FFolders.at(std::size_t(Index)).get();
}

TbsShellFolder* TbsCustomShellListView::SelectedFolder()
{
    const int i = GetItemIndex();
    return i >= 0 && i < int(FFolders.size()) ? FFolders[std::size_t(i)].get() : nullptr;
}

std::string TbsCustomShellListView::GetSelectedFile()
{
    TbsShellFolder* f = SelectedFolder();
    return f && !f->IsFolder() ? f->FullObjectName() : std::string();
}

std::vector<std::string> TbsCustomShellListView::SelectedFiles()
{
    std::vector<std::string> out;
    for (int i = 0; i < int(FFolders.size()); ++i)
        if (IsSelected(i) && !FFolders[std::size_t(i)]->IsFolder()) out.push_back(FFolders[std::size_t(i)]->FullObjectName());
    return out;
}

void TbsCustomShellListView::GetSelectedFiles(TStrings* AFiles)
{
    AFiles->Clear();
    for (const std::string& s : SelectedFiles()) AFiles->Add(s);
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::Back()
{
    if (!FRootFolder) return;
    TItemIDList id = FRootFolder->AbsoluteID();
    shell::RemoveLastItemID(&id);
    OpenItemIDList(id);
}

void TbsCustomShellListView::Refresh()
{
    if (!FRootFolder || FUpdating) return;
    const int index = GetItemIndex();
    ClearSelection();
    const TItemIDList id = FRootFolder->AbsoluteID();
    ClearFolders();
    FRootFolder.reset();
    // The folder shown is shown again, whatever became of it.
    ShowFolder(id);
    if (index >= 0 && index < int(FFolders.size())) SetItemIndex(index);
}

void TbsCustomShellListView::SyncToItemIDList(const TItemIDList& ID)
{
    if (FUpdating || (FRootFolder && shell::ItemIDListsEqual(FRootFolder->AbsoluteID(), ID))) return;
    OpenItemIDList(ID);
}

void TbsCustomShellListView::OpenItemIDList(const TItemIDList& ID)
{
    if (FUpdating) return;
    if (FRootFolder && shell::ItemIDListsEqual(FRootFolder->AbsoluteID(), ID)) return;
    CheckListable(this, ID, shell::SHGetPathFromIDList(ID));
    ShowFolder(ID);
}

void TbsCustomShellListView::Navigate(const TItemIDList& ID)
{
    try
    {
        OpenItemIDList(ID);
    }
    catch (const EInvalidPath& e)
    {
        ShowShellError(this, e.what());
    }
}

void TbsCustomShellListView::ShowFolder(const TItemIDList& ID)
{
    if (FUpdating) return;
    if (FRootFolder && shell::ItemIDListsEqual(FRootFolder->AbsoluteID(), ID)) return;
    // ID may belong to a row that goes now.
    const TItemIDList id = ID;
    ClearFolders();
    FRootFolder = CreateFolderFromItemIDList(id);
    FSettingRoot = false;
    ReloadFolder();
    if (OnPathChanged) OnPathChanged(this);
}

void TbsCustomShellListView::ReloadFolder()
{
    if (FUpdating) return;
    TFlagScope updating(FUpdating);
    const bool keep = FAutoRefresh;
    SetAutoRefresh(false);
    struct TRestore
    {
        TbsCustomShellListView* self;
        bool keep;
        ~TRestore() { self->SetAutoRefresh(keep); }
    } restore{this, keep};
    SyncLinkedControls();
    FillFolderList();
    if (GetViewStyle() == vsReport) BuildColumns();
}

void TbsCustomShellListView::SyncLinkedControls()
{
    struct TClear
    {
        bool& flag;
        ~TClear() { flag = false; }
    } clear{FSettingRoot};
    if (FSettingRoot)
    {
        if (FTreeView) FTreeView->SetRoot(FRoot);
    }
    else if (FRootFolder)
    {
        const TItemIDList id = FRootFolder->AbsoluteID();
        if (FTreeView) FTreeView->SelectItemIDList(id);
        if (FComboBox) FComboBox->SyncToItemIDList(id);
    }
}

void TbsCustomShellListView::MakeNotifier()
{
    FNotifier.reset();
    if (!FAutoRefresh || Loading(this) || !FRootFolder) return;
    FNotifier = std::make_unique<TbsShellChangeNotifier>(nullptr);
    FNotifier->SetWatchSubTree(false);
    FNotifier->SetRoot(FRootFolder->FullObjectName());
    FNotifier->SetOnChange([this] { Refresh(); });
}

void TbsCustomShellListView::SetAutoRefresh(bool Value)
{
    FAutoRefresh = Value;
    if (Loading(this)) return;
    if (Value) MakeNotifier();
    else FNotifier.reset();
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::DblClick()
{
    TbsShellFolder* f = AutoNavigate ? SelectedFolder() : nullptr;
    if (f && f->IsFolder()) Navigate(f->AbsoluteID());
    TbsSkinCustomListView::DblClick();
}

void TbsCustomShellListView::KeyDown(WORD& Key, TShiftState Shift)
{
    const WORD key = Key;
    TbsSkinCustomListView::KeyDown(Key, Shift);
    if (!AutoNavigate) return;
    // The base may have used the key for moving; these are ours in any case.
    if (key == VK_BACK)
    {
        if (!IsEditing() && FRootFolder)
        {
            TItemIDList up = FRootFolder->AbsoluteID();
            shell::RemoveLastItemID(&up);
            Navigate(up);
        }
    }
    else if (key == VK_RETURN && Shift.Contains(ssAlt))
    {
        RunShellVerb(this, SelectedFolder(), "properties");
        Key = 0;
    }
    else if (key == VK_RETURN)
    {
        if (TbsShellFolder* f = SelectedFolder(); f && f->IsFolder()) Navigate(f->AbsoluteID());
    }
    else if (key == VK_F5)
        Refresh();
}

void TbsCustomShellListView::DoContextPopup(TPoint MousePos, bool& Handled)
{
    if (!AutoContextMenus || !SelectedFolder())
    {
        TbsSkinCustomListView::DoContextPopup(MousePos, Handled);
        return;
    }
    Handled = true;
    ShowShellContextMenu(this, SelectedFolder(), MousePos.X, MousePos.Y, FContextMenu);
}

void TbsCustomShellListView::BeginRenameSelected()
{
    const int i = GetItemIndex();
    if (i < 0) return;
    if (TListItem* it = Items()->Item(i)) it->EditCaption();
}

void TbsCustomShellListView::LabelEdited(TListItem* Item, std::string& S)
{
    const int i = Item ? Item->Index() : -1;
    if (i < 0 || i >= int(FFolders.size()) || S.empty()) return;
    // An edit left as it was renames nothing (the name is no new target).
    if (S == ShellItemCaption(this, FFolders[std::size_t(i)].get())) return;
    if (!FFolders[std::size_t(i)]->Rename(S)) return;
    Invalidate();
    if (FTreeView && FTreeView->GetSelected()) FTreeView->Refresh(FTreeView->GetSelected());
}

void TbsCustomShellListView::ExecuteCommand(const std::string& Verb, bool& Handled)
{
    // "open" runs in the child's own folder: nothing here changes directory.
    if (CompareText(Verb, "rename") == 0)
    {
        BeginRenameSelected();
        Handled = true;
    }
}

void TbsCustomShellListView::CommandCompleted(const std::string& Verb, bool Succeeded)
{
    if (!Succeeded) return;
    if (CompareText(Verb, "delete") == 0 || CompareText(Verb, "paste") == 0) Refresh();
}

// ---------------------------------------------------------------------------
void TbsCustomShellListView::CreateWnd()
{
    TbsSkinCustomListView::CreateWnd();
    if (!FRootFolder) MakeRootFolder();
    // Rows listed before the window was made stand: a big folder is not read twice.
    if (!FFilled) ReloadFolder();
    else
    {
        Items()->SetCount(int(FFolders.size()));
        if (GetViewStyle() == vsReport) BuildColumns();
    }
}

void TbsCustomShellListView::DestroyWnd()
{
    ClearFolders();
    TbsSkinCustomListView::DestroyWnd();
}

void TbsCustomShellListView::Loaded()
{
    TbsSkinCustomListView::Loaded();
    FillFolderList();
    SetAutoRefresh(FAutoRefresh);
}

void TbsCustomShellListView::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomListView::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FTreeView) FTreeView = nullptr;
    if (AComponent == FComboBox) FComboBox = nullptr;
}

void TbsCustomShellListView::SetShellTreeView(TbsCustomShellTreeView* Value)
{
    shellctrls::LinkPeer(this, FTreeView, Value, &TbsCustomShellTreeView::FListView, FRoot);
}

void TbsCustomShellListView::SetShellComboBox(TbsCustomShellComboBox* Value)
{
    shellctrls::LinkPeer(this, FComboBox, Value, &TbsCustomShellComboBox::FListView, FRoot);
}
