// The common controls of the class library that the skinned ones build on,
// with plain looks: the list view with its column header window. Each
// scrolls through the window's standard scroll bars, so its scroll state is
// there for GetScrollInfo even when a wrapper hides the bars, and it obeys
// WM_HSCROLL / WM_VSCROLL.
#pragma once
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Strings.h"
#include "platform/os/ScrollBar.h"

class TCustomListView;
class TListItem;
class TListColumn;

// The colours a view marks its selection in: with the focus and without it.
// A skinned view takes them from its skin; the defaults are the system's.
struct TSelectionColors
{
    TColor Focused = clHighlight, FocusedText = clHighlightText;
    TColor Unfocused = clBtnFace, UnfocusedText = clBtnText;
};

// Shared by the views.
namespace comctrls_detail
{
// Text width and line height in a font.
TSize MeasureText(TFont* font, const std::string& s);
// Height of an item row for a line of text `textH` high: the text with air
// above and below, never below the comfortable desktop item height.
constexpr int kMinRowHeight = 18;
constexpr int RowHeightFor(int textH) { return textH + 4 > kMinRowHeight ? textH + 4 : kMinRowHeight; }
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
// An in-place label editor on `parent`, hidden until used: Enter (or losing
// the focus) calls end(true), Escape end(false), while active() holds.
TEdit* MakeLabelEditor(TWinControl* parent, std::function<bool()> active, std::function<void(bool)> end);
// Shows the editor over a label's rectangle (at least a line high) with the
// text selected and the focus; hiding it gives the focus back to the owner
// and answers the text edited.
void ShowLabelEditor(TEdit* editor, TRect r, const std::string& text);
std::string HideLabelEditor(TEdit* editor, TWinControl* owner);
// Type-to-find: letters typed within a second of each other make one prefix.
struct TTypeAhead
{
    std::string typed;
    std::uint64_t at = 0;
    // Adds the key; returns the prefix to find and whether it is one letter
    // (searched from the item after the current one).
    std::string Add(char32_t key, bool& single);
};
} // namespace comctrls_detail

// ---- the column header window ----------------------------------------------------------

// The list view's column header: a child window of its own class
// ("SysHeader32"), so that a wrapper can subclass and paint it. It shows the
// view's columns as buttons; dragging a divider sizes the column to its left
// (a double click there fits it to its contents); a click on a section
// tells the view (OnColumnClick). Answers HDM_GETITEMCOUNT, HDM_GETITEMRECT,
// HDM_GETORDERARRAY and HDM_HITTEST.
class TListViewHeader : public TCustomControl
{
public:
    explicit TListViewHeader(TCustomListView* view);
    // The section rectangle of a column (header client coordinates).
    TRect SectionRect(int Index);
    // Hit test as HDM_HITTEST answers it.
    int HitTest(TPoint p, UINT& flags);
    // Pixels either side of a divider that grab it.
    static constexpr int DividerGrip = 4;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TCustomListView* view_;
    int pressed_ = -1;      // section pressed with the left button
    int sizing_ = -1;       // column whose divider is dragged
    int sizeGrab_ = 0;      // pointer x minus the divider's x at the press
};

// ---- columns ----------------------------------------------------------------------------

class TListColumns;

class TListColumn
{
public:
    TListColumn(TListColumns* owner) : owner_(owner) {}
    std::string GetCaption() const { return caption_; }
    void SetCaption(const std::string& v);
    // The width in pixels (for an AutoSize column: the width it takes now).
    int GetWidth() const;
    void SetWidth(int v);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool GetAutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    // Limits of the width (0: none); a width set or dragged stays within
    // them. A column whose MaxWidth is below the header's divider grip offers
    // no divider to drag (a hidden column stays hidden).
    int GetMinWidth() const { return minWidth_; }
    void SetMinWidth(int v);
    int GetMaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int v);
    int ImageIndex = -1;
    int Index() const;
    // The LVCFMT_ value of the alignment.
    int Format() const;

private:
    friend class TCustomListView;
    TListColumns* owner_;
    std::string caption_;
    int width_ = 50;
    int autoWidth_ = 0;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = false;
    int minWidth_ = 0, maxWidth_ = 0;
    int clampWidth(int v) const;
};

class TListColumns
{
public:
    explicit TListColumns(TCustomListView* view) : view_(view) {}
    TListColumn* Add();
    int Count() const { return int(items_.size()); }
    TListColumn* Items(int i) const { return items_.at(std::size_t(i)).get(); }
    TListColumn* operator[](int i) const { return Items(i); }
    void Delete(int i);
    void Clear();
    TCustomListView* Owner() const { return view_; }

private:
    friend class TListColumn;
    TCustomListView* view_;
    std::vector<std::unique_ptr<TListColumn>> items_;
};

// ---- items ------------------------------------------------------------------------------

enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TItemChange { ctText, ctImage, ctState };

class TListItems;

class TListItem : public TObject
{
public:
    explicit TListItem(TListItems* owner);
    ~TListItem() override;
    std::string GetCaption() const { return caption_; }
    void SetCaption(const std::string& v);
    TStrings* SubItems() { return subItems_.get(); }
    int GetImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    void* Data = nullptr;
    bool GetChecked() const { return checked_; }
    void SetChecked(bool v);
    bool GetSelected() const;
    void SetSelected(bool v);
    bool GetFocused() const;
    void SetFocused(bool v);
    int Index() const { return index_; }
    TListItems* Owner() const { return owner_; }
    TCustomListView* ListView() const;
    TRect DisplayRect(TDisplayCode Code) const;
    // The top of the item's bounds (client coordinates).
    int GetTop() const { return DisplayRect(drBounds).Top; }
    // Starts in-place editing of the caption.
    bool EditCaption();
    void MakeVisible(bool PartialOK = false);
    void Delete();
    void Update();

private:
    friend class TListItems;
    friend class TCustomListView;
    TListItems* owner_;
    std::string caption_;
    std::unique_ptr<TStringList> subItems_;
    int imageIndex_ = -1;
    bool checked_ = false;
    int index_ = -1;
};

// The items; in owner-data mode only their number is kept and Item(i) is
// filled by the view's OnData every time it is asked for.
class TListItems
{
public:
    explicit TListItems(TCustomListView* view) : view_(view) {}
    ~TListItems();
    TListItem* Add();
    TListItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const;
    // Owner-data mode: the number of rows.
    void SetCount(int v);
    TListItem* Item(int Index);
    TListItem* operator[](int Index) { return Item(Index); }
    void BeginUpdate();
    void EndUpdate();
    TCustomListView* Owner() const { return view_; }

private:
    friend class TCustomListView;
    friend class TListItem;
    void reindex(int from);
    TCustomListView* view_;
    std::vector<std::unique_ptr<TListItem>> items_;
    int dataCount_ = 0;
    int update_ = 0;
};

// ---- the list view ----------------------------------------------------------------------

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TSortType { stNone, stData, stText, stBoth };
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TCustomDrawStateFlag { cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot };
using TCustomDrawState = TEnumSet<TCustomDrawStateFlag>;

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataFindEvent =
    std::function<void(TObject* Sender, TItemFind Find, const std::string& FindString, TPoint FindPosition,
                       void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;
using TLVCompareEvent = std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVCompare = std::function<int(TListItem* Item1, TListItem* Item2, std::intptr_t Data)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVCustomDrawEvent = std::function<void(TCustomListView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TLVCustomDrawItemEvent =
    std::function<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TLVCustomDrawSubItemEvent = std::function<void(TCustomListView* Sender, TListItem* Item, int SubItem,
                                                     TCustomDrawState State, bool& DefaultDraw)>;

// A list view: items in report (rows under a column header), list
// (columns of items, scrolled sideways), icon and small-icon (a grid)
// styles. Single or multiple selection (Ctrl and Shift with the mouse and
// keys, Ctrl+A), a focused item, whole-row selection, grid lines, sorting,
// owner-data (virtual) mode where only the rows painted or asked for are
// fetched through OnData, and in-place editing of captions (LVM_EDITLABELW;
// Enter or leaving commits, Escape cancels).
class TCustomListView : public TWinControl
{
public:
    explicit TCustomListView(TComponent* AOwner);
    ~TCustomListView() override;

    TListColumns* Columns() { return &columns_; }
    TListItems* Items() { return &items_; }
    TViewStyle GetViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle v);
    bool GetMultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool GetRowSelect() const { return rowSelect_; }
    void SetRowSelect(bool v);
    bool GetGridLines() const { return gridLines_; }
    void SetGridLines(bool v);
    // The grid lines' colour (the button face by default; a skinned view
    // takes one between its background and its text).
    TColor GetGridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(TColor v);
    bool GetShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool v);
    bool GetCheckboxes() const { return checkboxes_; }
    void SetCheckboxes(bool v);
    bool GetOwnerData() const { return ownerData_; }
    void SetOwnerData(bool v);
    bool ReadOnly = false;
    bool ColumnClick = true;
    bool HideSelection = true;
    TSelectionColors SelectionColors;
    bool HotTrack = false;
    bool FullDrag = false;
    TSortType SortType = stNone;
    TBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TCustomImageList* GetSmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* v);
    TCustomImageList* GetLargeImages() const { return largeImages_; }
    void SetLargeImages(TCustomImageList* v);
    TCustomImageList* StateImages = nullptr;

    // The first selected item (null: none); setting it selects only it.
    TListItem* GetSelected();
    void SetSelected(TListItem* v);
    int GetItemIndex() const;
    void SetItemIndex(int v);
    TListItem* GetItemFocused();
    void SetItemFocused(TListItem* v);
    int SelCount() const;
    bool IsSelected(int Index) const;
    void SelectAll();
    void ClearSelection();
    TListItem* GetItemAt(int X, int Y);
    TListItem* GetTopItem();
    int TopIndex() const;
    int VisibleRowCount();
    // Scrolls by pixels (the report view moves whole rows).
    void Scroll(int DX, int DY);
    bool AlphaSort();
    bool CustomSort(TLVCompare SortProc, std::intptr_t Data);
    // Rectangle of an item part (client coordinates).
    TRect ItemRect(int Index, TDisplayCode Code);
    HWND HeaderHandle();
    TListViewHeader* Header() { return header_; }
    TCanvas* Canvas() { return canvas_.get(); }
    // The in-place editor while a caption is edited, else null.
    TCustomEdit* EditControl() const { return editing_ >= 0 ? editor_ : nullptr; }
    bool IsEditing() const { return editing_ >= 0; }
    // Finds an item by the start of its caption (ignoring case) from Start, wrapping.
    int FindCaption(int Start, const std::string& Value, bool Partial, bool Inclusive, bool Wrap);

    TLVSelectItemEvent OnSelectItem;
    TLVChangeEvent OnChange;
    TLVColumnClickEvent OnColumnClick;
    TLVOwnerDataEvent OnData;
    TLVOwnerDataFindEvent OnDataFind;
    TLVCompareEvent OnCompare;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVDeletedEvent OnDeletion;
    TLVCustomDrawEvent OnCustomDraw;
    TLVCustomDrawItemEvent OnCustomDrawItem;
    TLVCustomDrawSubItemEvent OnCustomDrawSubItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    virtual void Change(TListItem* Item, TItemChange Change);
    // Draws one item (all its columns in report view) into its rectangle.
    virtual void DrawItem(int Index, TListItem* Item, const TRect& Rect, TCustomDrawState State);

private:
    friend class TListItems;
    friend class TListItem;
    friend class TListColumn;
    friend class TListColumns;
    friend class TListViewHeader;
    struct Layout
    {
        int rowH = 16;           // report, list and small-icon rows
        int cellW = 0, cellH = 0; // icon and small-icon grid cell; list column width
        int headerH = 0;
        int perCol = 1;          // list: rows per column; icon views: cells per row
        TRect area;              // where the items lie (client, below the header)
    };
    Layout layout();
    int totalColumnsWidth();
    int columnLeft(int Index);
    void itemsChanged();
    void columnsChanged();
    void updateScrollBars();
    void scrollTo(int bar, int pos);
    void onScrollMessage(int bar, WORD code, int thumbPos);
    void placeHeader();
    void itemInserted(int Index);
    void itemDeleted(int Index);
    void setSel(int Index, bool v, bool notify);
    void selectOnly(int Index, bool notify);
    void selectRange(int from, int to, bool notify);
    void setFocus(int Index);
    void moveTo(int Index, TShiftState Shift);
    int navigate(WORD Key);
    void makeVisible(int Index);
    std::string captionOf(int Index);
    int textWidth(const std::string& s);
    int fitColumnWidth(int Column);
    void beginEdit(int Index);
    void endEdit(bool commit);
    void invalidateItem(int Index);
    void sortBy(const std::function<int(TListItem*, TListItem*)>& cmp);

    TListColumns columns_;
    TListItems items_;
    std::unique_ptr<TControlCanvas> canvas_;
    TListViewHeader* header_ = nullptr;
    TViewStyle viewStyle_ = vsIcon;
    bool multiSelect_ = false;
    bool rowSelect_ = false;
    bool gridLines_ = false;
    TColor gridLineColor_ = clBtnFace;
    bool showColumnHeaders_ = true;
    bool checkboxes_ = false;
    bool ownerData_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    TCustomImageList* smallImages_ = nullptr;
    TCustomImageList* largeImages_ = nullptr;
    std::vector<char> sel_;       // selection flag per row
    int focus_ = -1;
    int anchor_ = -1;             // Shift extends from here
    int top_ = 0;                 // report: first row; list: first column
    int vpos_ = 0;                // icon views: pixels scrolled down
    int hpos_ = 0;                // report: pixels scrolled sideways
    bool inScrollUpdate_ = false;
    int fontH_ = 0;               // measured text height of the font (0: not yet)
    int listColW_ = -1;           // list style: the widest caption's column (-1: not yet)
    std::unique_ptr<TListItem> dataItem_;   // owner data: the item OnData fills
    comctrls_detail::TTypeAhead typeAhead_;
    TEdit* editor_ = nullptr;
    int editing_ = -1;
};

class TListView : public TCustomListView
{
public:
    using TCustomListView::TCustomListView;
};

// ---- up-down ----------------------------------------------------------------------------

enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// The arrow pair ("msctls_updown32"): a press on an arrow steps Position by
// Increment within Min .. Max (past an end it wraps round with Wrap, else
// stops there); held down it repeats on the layer's clock, first after
// RepeatDelay, then every RepeatInterval. OnChanging may refuse a step;
// OnClick follows each step. The parent hears of every step as WM_VSCROLL
// (vertical) or WM_HSCROLL (horizontal) with SB_THUMBPOSITION and the new
// position, LPARAM the arrow pair's window, then SB_ENDSCROLL.
class TCustomUpDown : public TCustomControl
{
public:
    explicit TCustomUpDown(TComponent* AOwner);
    int GetMin() const { return min_; }
    void SetMin(int v);
    int GetMax() const { return max_; }
    void SetMax(int v);
    int GetPosition() const { return position_; }
    void SetPosition(int v);
    int Increment = 1;
    bool Wrap = false;
    bool ArrowKeys = true;
    TUDOrientation GetOrientation() const { return orientation_; }
    void SetOrientation(TUDOrientation v);
    static constexpr UINT RepeatDelay = 400;
    static constexpr UINT RepeatInterval = 100;
    // The arrow under a client point: 0 none, 1 next (up or right), -1 previous.
    int ArrowAt(TPoint p);
    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // One step in a direction (1 next, -1 previous); false when refused or at an end.
    virtual bool Step(int direction);

private:
    void stopRepeat();
    int min_ = 0, max_ = 100, position_ = 0;
    TUDOrientation orientation_ = udVertical;
    int pressed_ = 0;        // the arrow held down
};

class TUpDown : public TCustomUpDown
{
public:
    using TCustomUpDown::TCustomUpDown;
};

// ---- tree view --------------------------------------------------------------------------

class TCustomTreeView;
class TTreeNodes;

class TTreeNode : public TObject
{
public:
    TTreeNode(TTreeNodes* owner, TTreeNode* parent);
    ~TTreeNode() override;
    std::string GetText() const { return text_; }
    void SetText(const std::string& v);
    int ImageIndex = -1;
    int SelectedIndex = -1;
    void* Data = nullptr;
    // Shows a button before any child exists (children added when it expands).
    bool GetHasChildren() const { return hasChildren_ || !children_.empty(); }
    void SetHasChildren(bool v);
    bool GetExpanded() const { return expanded_; }
    void SetExpanded(bool v);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return int(children_.size()); }
    TTreeNode* Item(int i) const { return children_.at(std::size_t(i)).get(); }
    int Index() const;
    int Level() const;
    TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in the whole tree's order (children first).
    TTreeNode* GetNext() const;
    bool GetSelected() const;
    void SetSelected(bool v);
    bool IsVisible() const;   // every ancestor expanded
    void MakeVisible();
    bool EditText();
    TRect DisplayRect(bool TextOnly) const;
    bool AlphaSort(bool Recurse = false);
    bool CustomSort(std::function<int(TTreeNode*, TTreeNode*, std::intptr_t)> SortProc, std::intptr_t Data,
                    bool Recurse = false);
    void Delete();
    void DeleteChildren();
    TTreeNodes* Owner() const { return owner_; }
    TCustomTreeView* TreeView() const;

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::string text_;
    bool hasChildren_ = false;
    bool expanded_ = false;
    std::vector<std::unique_ptr<TTreeNode>> children_;
};

class TTreeNodes
{
public:
    explicit TTreeNodes(TCustomTreeView* view);
    ~TTreeNodes();
    // At the end of Sibling's level (the top level when null).
    TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
    // Before Sibling.
    TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
    void Delete(TTreeNode* Node);
    void Clear();
    // Every node of the tree.
    int Count() const;
    TTreeNode* GetFirstNode() const { return root_->GetFirstChild(); }
    // The node at a position of the whole tree's order.
    TTreeNode* Item(int Index) const;
    void BeginUpdate();
    void EndUpdate();
    TCustomTreeView* Owner() const { return view_; }

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    TTreeNode* insertAt(TTreeNode* parent, int index, const std::string& S);
    TCustomTreeView* view_;
    std::unique_ptr<TTreeNode> root_;   // the hidden parent of the top level
    int update_ = 0;
};

using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int Data, int& Compare)>;

// A tree view: nodes with lines and +/- buttons, images, one selected node,
// expanding on demand (OnExpanding may add children or refuse), in-place
// editing of a node's text (F2 or EditText; Enter or leaving commits, Escape
// cancels), keys (arrows, Home/End, PgUp/PgDn, + − *, type-to-find), and the
// window's scroll bars: rows vertically, pixels sideways.
class TCustomTreeView : public TWinControl
{
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;
    TTreeNodes* Items() { return &items_; }
    TTreeNode* GetSelected() const { return selected_; }
    void SetSelected(TTreeNode* v);
    TTreeNode* GetTopItem();
    void SetTopItem(TTreeNode* v);
    bool GetShowLines() const { return showLines_; }
    void SetShowLines(bool v);
    bool GetShowRoot() const { return showRoot_; }
    void SetShowRoot(bool v);
    bool GetShowButtons() const { return showButtons_; }
    void SetShowButtons(bool v);
    int GetIndent() const { return indent_; }
    void SetIndent(int v);
    bool HideSelection = true;
    TSelectionColors SelectionColors;
    bool RightClickSelect = false;
    bool ReadOnly = false;
    TBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TCustomImageList* GetImages() const { return images_; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* StateImages = nullptr;
    TTreeNode* GetNodeAt(int X, int Y);
    // Rows: the nodes shown now (every ancestor expanded), in order.
    int VisibleCount();           // full rows that fit
    int RowHeight();
    void FullExpand();
    void FullCollapse();
    bool AlphaSort(bool Recurse = true);
    bool CustomSort(std::function<int(TTreeNode*, TTreeNode*, std::intptr_t)> SortProc, std::intptr_t Data,
                    bool Recurse = true);
    bool IsEditing() const { return editing_ != nullptr; }
    TCustomEdit* EditControl() const { return editing_ ? editor_ : nullptr; }
    TCanvas* Canvas() { return canvas_.get(); }

    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVExpandedEvent OnDeletion;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVCompareEvent OnCompare;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    virtual bool CanExpand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual bool CanChange(TTreeNode* Node);
    // The selection changed: fires OnChange.
    virtual void Change(TTreeNode* Node);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    const std::vector<TTreeNode*>& rows();
    int rowOf(const TTreeNode* n);
    void changed();                 // the rows changed
    void updateScrollBars();
    void scrollTo(int bar, int pos);
    void scrollCommand(int bar, WORD code, int pos);
    bool expand(TTreeNode* n, bool v);
    void select(TTreeNode* n, bool user);
    void makeVisible(TTreeNode* n);
    void nodeDeleting(TTreeNode* n);
    int levelX(const TTreeNode* n);
    TRect textRect(const TTreeNode* n);
    int textWidth(const std::string& s);
    void beginEdit(TTreeNode* n);
    void endEdit(bool commit);
    void sortChildren(TTreeNode* parent, const std::function<int(TTreeNode*, TTreeNode*)>& cmp, bool recurse);

    TTreeNodes items_;
    std::unique_ptr<TControlCanvas> canvas_;
    TTreeNode* selected_ = nullptr;
    std::vector<TTreeNode*> rows_;
    bool rowsDirty_ = true;
    int top_ = 0, hpos_ = 0;
    bool showLines_ = true, showRoot_ = true, showButtons_ = true;
    int indent_ = 19;
    TBorderStyle borderStyle_ = bsSingle;
    TCustomImageList* images_ = nullptr;
    int fontH_ = 0;
    // Measured widths of node texts in widthFont_: every change of the tree
    // sizes its scroll bars over all shown rows, which would otherwise
    // measure each text again.
    std::unordered_map<std::string, int> widths_;
    std::unique_ptr<TFont> widthFont_;
    bool inScrollUpdate_ = false;
    comctrls_detail::TTypeAhead typeAhead_;
    TEdit* editor_ = nullptr;
    TTreeNode* editing_ = nullptr;
};

class TTreeView : public TCustomTreeView
{
public:
    using TCustomTreeView::TCustomTreeView;
};

// ---- tab control and page control ------------------------------------------------------

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// TCM_HITTEST.
constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEM = 0x0006;
struct TCHITTESTINFO
{
    TPoint pt;
    UINT flags = 0;
};

// A row of tabs on one side of a display area. Tabs on top or bottom lie in
// a single row that scrolls with an arrow pair of its own ("msctls_updown32",
// which a wrapper may destroy and replace: the row then scrolls by
// WM_HSCROLL with SB_THUMBPOSITION and the first tab to show), or with
// MultiLine in rows, the selected tab's row next to the display area; tabs
// on the left or right lie in columns. Item rectangles (TCM_GETITEMRECT),
// a fixed item size (TCM_SETITEMSIZE), the display rectangle both ways
// (TCM_ADJUSTRECT), the selection without events (TCM_SETCURSEL). The user
// changes the selection with a click, Left/Right (Up/Down at the sides),
// Home/End and Ctrl+Tab / Ctrl+Shift+Tab: OnChanging may refuse, OnChange
// follows.
class TCustomTabControl : public TCustomControl
{
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;
    TStrings* Tabs() { return tabs_.get(); }
    int GetTabIndex() const { return tabIndex_; }
    void SetTabIndex(int v);
    TTabPosition GetTabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition v);
    bool GetMultiLine() const { return multiLine_; }
    void SetMultiLine(bool v);
    int GetTabHeight() const { return tabHeight_; }
    void SetTabHeight(int v);
    int GetTabWidth() const { return tabWidth_; }
    void SetTabWidth(int v);
    TCustomImageList* GetImages() const { return images_; }
    void SetImages(TCustomImageList* v);
    bool HotTrack = false;
    // Client rectangles: a tab's (as TCM_GETITEMRECT), and the display area.
    TRect TabRect(int Index);
    TRect DisplayRect();
    int IndexOfTabAt(int X, int Y);
    int RowCount();
    // The single row: tabs scrolled out at the left, and at most.
    int FirstVisibleTab() const { return first_; }
    int HiddenTabCount();
    // The row's own arrow pair while the row does not fit (null otherwise).
    TCustomUpDown* Scroller();
    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void AdjustClientRect(TRect& Rect) override;
    virtual bool CanChange();
    virtual void Change();
    // The user picks a tab: OnChanging, the selection, OnChange.
    void SelectByUser(int Index);
    virtual void TabsChanged();

private:
    struct Item
    {
        TRect rect;
        int row = 0;
    };
    void layout();
    void updateScroller();
    void scrollTo(int first);
    TRect borderRect();
    int tabThickness();
    std::vector<int> lengths();
    int scrollRoom();
    void ensureVisible(int Index);

    std::unique_ptr<TStringList> tabs_;
    int tabIndex_ = -1;
    TTabPosition tabPosition_ = tpTop;
    bool multiLine_ = false;
    int tabHeight_ = 0, tabWidth_ = 0;
    int itemW_ = 0, itemH_ = 0;     // TCM_SETITEMSIZE
    TCustomImageList* images_ = nullptr;
    std::vector<Item> items_;
    int rows_ = 1;
    int first_ = 0;
    bool scrollNeeded_ = false;
    bool inLayout_ = false;
    TUpDown* scroller_ = nullptr;
    bool scrollerMade_ = false;   // its window was made (so a missing one was destroyed)
};

class TTabControl : public TCustomTabControl
{
public:
    using TCustomTabControl::TCustomTabControl;
};

class TPageControl;

// A page of a page control: shown while its tab is selected.
class TTabSheet : public TWinControl
{
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* GetPageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* v);
    bool GetTabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    int GetPageIndex() const;
    void SetPageIndex(int v);
    // The index of its tab among the visible ones; -1 when its tab is hidden.
    int TabIndex() const;
    int ImageIndex = -1;

protected:
    void CMTextChanged(TMessage& m) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TCustomTabControl
{
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int i) const { return pages_.at(std::size_t(i)); }
    TTabSheet* GetActivePage() const { return active_; }
    void SetActivePage(TTabSheet* v);
    int GetActivePageIndex() const;
    void SetActivePageIndex(int v);
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

protected:
    void Change() override;
    void Dispatch(TMessage& m) override;

private:
    friend class TTabSheet;
    void insertPage(TTabSheet* p);
    void removePage(TTabSheet* p);
    void updateTabs();
    void showPage(TTabSheet* p);
    TTabSheet* pageOfTab(int tab) const;
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
};
