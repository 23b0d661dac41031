// TCustomListBox (TListBox): the plain list box, and the list of lines behind it.
#include "platform/gui/StdCtrls/Internal.h"

#include <algorithm>

#include "platform/core/Utf8.h"
#include "platform/os/ScrollBar.h"

namespace stdctrls
{
int scrollBarWidth() { return std::max(8, GetSystemMetrics(SM_CXVSCROLL)); }

// Height of a line of text in the font, measured on a screen DC.
int fontLineHeight(TFont* font)
{
    HDC dc = GetDC(nullptr);
    TCanvas c;
    c.SetHandle(dc);
    c.Font()->Assign(font);
    const int h = c.TextHeight("Wg中");
    c.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    return std::max(1, h);
}

// A small filled triangle pointing up or down, centred in r.
void drawArrow(TCanvas* c, const TRect& r, bool up, TColor color)
{
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->Pen()->SetColor(color);
    if (up) c->Polygon({TPoint(cx - s, cy + s / 2), TPoint(cx + s, cy + s / 2), TPoint(cx, cy - s / 2 - 1)});
    else c->Polygon({TPoint(cx - s, cy - s / 2), TPoint(cx + s, cy - s / 2), TPoint(cx, cy + s / 2 + 1)});
}

void drawButtonFace(TCanvas* c, TRect r, bool down)
{
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    DrawEdge(c->GetHandle(), r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    const std::string t = AnsiLowerCase(text), p = AnsiLowerCase(prefix);
    return t.compare(0, p.size(), p) == 0;
}
} // namespace stdctrls

using namespace stdctrls;

// ---- the lines --------------------------------------------------------------------------

int TListBoxStrings::Count() const { return box_->Count(); }

std::string TListBoxStrings::Get(int Index) const
{
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    return box_->items_[std::size_t(Index)].text;
}

void TListBoxStrings::Put(int Index, const std::string& S)
{
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    box_->items_[std::size_t(Index)].text = S;
    box_->ItemsChanged();
}

TObject* TListBoxStrings::GetObject(int Index) const
{
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    return box_->items_[std::size_t(Index)].object;
}

void TListBoxStrings::PutObject(int Index, TObject* AObject)
{
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    box_->items_[std::size_t(Index)].object = AObject;
}

void TListBoxStrings::Clear() { box_->Clear(); }

void TListBoxStrings::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
    box_->DeleteItem(Index);
}

void TListBoxStrings::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TListBoxStrings::InsertObject(int Index, const std::string& S, TObject* AObject)
{
    if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
    box_->InsertItem(Index, S, AObject);
}

int TListBoxStrings::AddObject(const std::string& S, TObject* AObject) { return box_->AddItem(S, AObject); }

void TListBoxStrings::SetUpdateState(bool Updating)
{
    box_->updating_ = Updating;
    if (!Updating) box_->ItemsChanged();
}

// ---- list box -------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), strings_(this), canvas_(std::make_unique<TControlCanvas>(this))
{
    // Clicks are the selection changes, not every mouse release.
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse};
    width_ = 121;
    height_ = 97;
    tabStop_ = true;
    color_ = clWindow;
    parentColor_ = false;
    brush_->SetColor(color_);
}

TCustomListBox::~TCustomListBox() { canvas_->FreeHandle(); }

void TCustomListBox::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    updateScrollBars();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle v)
{
    if (style_ == v) return;
    style_ = v;
    ItemsChanged();
}

int TCustomListBox::GetItemHeight()
{
    if (style_ == lbOwnerDrawFixed) return std::max(1, itemHeight_);
    if (fontHeight_ == 0) fontHeight_ = fontLineHeight(Font()) + 2;
    return fontHeight_;
}

void TCustomListBox::SetItemHeight(int v)
{
    if (v <= 0 || v == itemHeight_) return;
    itemHeight_ = v;
    if (style_ == lbOwnerDrawFixed) ItemsChanged();
}

int TCustomListBox::VisibleRows()
{
    return std::max(1, GetClientRect().Height() / GetItemHeight());
}

bool TCustomListBox::ScrollBarShown()
{
    if (HandleAllocated()) return (GetWindowLong(handle_, GWL_STYLE) & (columns_ > 0 ? WS_HSCROLL : WS_VSCROLL)) != 0;
    return maxTop() > 0;
}

int TCustomListBox::maxTop()
{
    const int rows = VisibleRows();
    if (columns_ <= 0) return std::max(0, Count() - rows);
    const int cols = (Count() + rows - 1) / rows;
    return std::max(0, cols - columns_) * rows;
}

void TCustomListBox::scrollTo(int top)
{
    top = std::clamp(top, 0, maxTop());
    if (columns_ > 0) top -= top % VisibleRows();   // whole columns
    if (top == topIndex_) return;
    topIndex_ = top;
    updateScrollBars();
    Invalidate();
}

void TCustomListBox::updateScrollBars()
{
    if (!HandleAllocated() || inScrollUpdate_ || updating_) return;
    inScrollUpdate_ = true;
    // A horizontal bar takes rows away: settle in two passes.
    for (int pass = 0; pass < 2; ++pass)
    {
        const int rows = VisibleRows();
        SCROLLINFO si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        if (columns_ <= 0)
        {
            si.nMin = 0, si.nMax = std::max(0, Count() - 1), si.nPage = UINT(rows), si.nPos = topIndex_;
            SetScrollInfo(handle_, SB_VERT, &si, TRUE);
            ShowScrollBar(handle_, SB_HORZ, FALSE);
            ShowScrollBar(handle_, SB_VERT, Count() > rows);
        }
        else
        {
            const int cols = (Count() + rows - 1) / rows;
            si.nMin = 0, si.nMax = std::max(0, cols - 1), si.nPage = UINT(columns_), si.nPos = topIndex_ / rows;
            SetScrollInfo(handle_, SB_HORZ, &si, TRUE);
            ShowScrollBar(handle_, SB_VERT, FALSE);
            ShowScrollBar(handle_, SB_HORZ, cols > columns_);
        }
        topIndex_ = std::clamp(topIndex_, 0, maxTop());
    }
    inScrollUpdate_ = false;
}

void TCustomListBox::scrollCommand(int bar, WORD code, int pos)
{
    if ((bar == SB_HORZ) != (columns_ > 0) || !HandleAllocated()) return;
    // Vertical: lines, a page one line short of the view; sideways: columns.
    const int unit = columns_ > 0 ? VisibleRows() : 1;
    const int page = columns_ > 0 ? columns_ : std::max(1, VisibleRows() - 1);
    int to = 0;
    if (ScrollCommandTarget(handle_, bar, code, pos, 1, page, to)) scrollTo(to * unit);
}

void TCustomListBox::SetTopIndex(int v) { scrollTo(v); }

void TCustomListBox::SetColumns(int v)
{
    v = std::max(0, v);
    if (v == columns_) return;
    columns_ = v;
    topIndex_ = 0;
    ItemsChanged();
}

void TCustomListBox::MakeVisible(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    const int rows = VisibleRows();
    if (columns_ > 0)
    {
        const int first = topIndex_, last = topIndex_ + columns_ * rows;
        if (Index < first) scrollTo(Index);
        else if (Index >= last) scrollTo(Index - (columns_ - 1) * rows);
        return;
    }
    if (Index < topIndex_) scrollTo(Index);
    else if (Index >= topIndex_ + rows) scrollTo(Index - rows + 1);
}

void TCustomListBox::SetItemIndex(int v)
{
    if (v < -1 || v >= Count()) v = -1;
    if (v != itemIndex_)
    {
        itemIndex_ = v;
        Invalidate();
    }
    MakeVisible(v);
}

void TCustomListBox::SelectByUser(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    if (Index == itemIndex_)
    {
        MakeVisible(Index);
        return;
    }
    SetItemIndex(Index);
    Click();
}

// ---- multiple selection ----

void TCustomListBox::SetMultiSelect(bool v)
{
    if (v == multiSelect_) return;
    multiSelect_ = v;
    for (Item& it : items_) it.selected = false;
    if (v && itemIndex_ >= 0) items_[std::size_t(itemIndex_)].selected = true;
    anchor_ = itemIndex_;
    Invalidate();
}

void TCustomListBox::SetExtendedSelect(bool v)
{
    extendedSelect_ = v;
}

bool TCustomListBox::GetSelected(int Index) const
{
    if (Index < 0 || Index >= Count()) throw EStringListError(Format("List index out of bounds (%d)", Index));
    return multiSelect_ ? items_[std::size_t(Index)].selected : Index == itemIndex_;
}

void TCustomListBox::SetSelected(int Index, bool v)
{
    if (Index < 0 || Index >= Count()) throw EStringListError(Format("List index out of bounds (%d)", Index));
    if (multiSelect_) setSel(Index, v);
    else if (v) SetItemIndex(Index);
    else if (itemIndex_ == Index) SetItemIndex(-1);
}

int TCustomListBox::SelCount() const
{
    if (!multiSelect_) return -1;
    return int(std::count_if(items_.begin(), items_.end(), [](const Item& it) { return it.selected; }));
}

bool TCustomListBox::setSel(int Index, bool v)
{
    Item& it = items_[std::size_t(Index)];
    if (it.selected == v) return false;
    it.selected = v;
    Invalidate();
    return true;
}

bool TCustomListBox::multiSelectTo(int Index, TShiftState Shift, bool mouse)
{
    bool changed = false;
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    if (!extendedSelect_)
    {
        // Simple multiple selection: a click (or Space) toggles, keys move the focus only.
        if (mouse)
        {
            changed = setSel(Index, !items_[std::size_t(Index)].selected);
            anchor_ = Index;
        }
    }
    else if (shift)
    {
        if (anchor_ < 0 || anchor_ >= Count()) anchor_ = itemIndex_ >= 0 ? itemIndex_ : Index;
        const int lo = std::min(anchor_, Index), hi = std::max(anchor_, Index);
        for (int i = 0; i < Count(); ++i)
            if (i >= lo && i <= hi) changed |= setSel(i, true);
            else if (!ctrl) changed |= setSel(i, false);
    }
    else if (ctrl)
    {
        if (mouse) changed = setSel(Index, !items_[std::size_t(Index)].selected);
        anchor_ = Index;
    }
    else
    {
        for (int i = 0; i < Count(); ++i) changed |= setSel(i, i == Index);
        anchor_ = Index;
    }
    if (itemIndex_ != Index)
    {
        itemIndex_ = Index;
        Invalidate();
    }
    MakeVisible(Index);
    return changed;
}

// ---- the lines ----

void TCustomListBox::SetSorted(bool v)
{
    if (v == sorted_) return;
    sorted_ = v;
    if (!v) return;
    const std::string current = itemIndex_ >= 0 ? items_[std::size_t(itemIndex_)].text : std::string();
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return AnsiCompareText(a.text, b.text) < 0; });
    if (itemIndex_ >= 0)
        for (int i = 0; i < Count(); ++i)
            if (items_[std::size_t(i)].text == current) itemIndex_ = i;
    ItemsChanged();
}

int TCustomListBox::sortedPlace(const std::string& S) const
{
    // After the lines that are equal, ignoring case.
    const auto it = std::upper_bound(items_.begin(), items_.end(), S, [](const std::string& s, const Item& item) {
        return AnsiCompareText(s, item.text) < 0;
    });
    return int(it - items_.begin());
}

void TCustomListBox::Clear()
{
    items_.clear();
    itemIndex_ = -1;
    anchor_ = -1;
    topIndex_ = 0;
    ItemsChanged();
}

int TCustomListBox::AddItem(const std::string& S, TObject* AObject)
{
    const int i = int(Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str())));
    if (i >= 0 && i < Count()) items_[std::size_t(i)].object = AObject;
    return i;
}

void TCustomListBox::InsertItem(int Index, const std::string& S, TObject* AObject)
{
    const int i = int(Perform(LB_INSERTSTRING, WPARAM(std::clamp(Index, 0, Count())), reinterpret_cast<LPARAM>(S.c_str())));
    if (i >= 0 && i < Count()) items_[std::size_t(i)].object = AObject;
}

void TCustomListBox::DeleteItem(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    Perform(LB_DELETESTRING, WPARAM(Index), 0);
}

int TCustomListBox::insertString(int Index, const std::string& S)
{
    Index = std::clamp(Index, 0, Count());
    items_.insert(items_.begin() + Index, Item{S, nullptr, false});
    if (itemIndex_ >= Index) ++itemIndex_;
    if (anchor_ >= Index) ++anchor_;
    ItemsChanged();
    return Index;
}

int TCustomListBox::deleteString(int Index)
{
    if (Index < 0 || Index >= Count()) return int(LB_ERR);
    items_.erase(items_.begin() + Index);
    if (itemIndex_ == Index) itemIndex_ = multiSelect_ ? std::min(Index, Count() - 1) : -1;
    else if (itemIndex_ > Index) --itemIndex_;
    if (anchor_ == Index) anchor_ = -1;
    else if (anchor_ > Index) --anchor_;
    ItemsChanged();
    return Count();
}

int TCustomListBox::FindItemPrefix(const std::string& Prefix, int after) const
{
    const int n = Count();
    for (int k = 1; k <= n; ++k)
    {
        const int i = ((after < 0 ? -1 : after) + k) % n;
        if (startsWithNoCase(items_[std::size_t(i)].text, Prefix)) return i;
    }
    return -1;
}

void TCustomListBox::ItemsChanged()
{
    if (updating_) return;
    topIndex_ = std::clamp(topIndex_, 0, maxTop());
    updateScrollBars();
    Invalidate();
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing)
{
    const TRect area = GetClientRect();
    if (area.Contains(Pos))
    {
        const int h = GetItemHeight();
        int i;
        if (columns_ > 0)
        {
            const int rows = VisibleRows();
            const int colW = std::max(1, area.Width() / columns_);
            const int row = Pos.Y / h;
            i = row < rows ? topIndex_ + (Pos.X / colW) * rows + row : Count();
        }
        else i = topIndex_ + Pos.Y / h;
        if (i < Count()) return i;
    }
    return Existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int Index)
{
    const int h = GetItemHeight();
    const int w = GetClientRect().Width();
    if (columns_ > 0)
    {
        const int rows = VisibleRows(), colW = std::max(1, w / columns_);
        const int rel = Index - topIndex_;
        const int col = rel >= 0 ? rel / rows : -((-rel + rows - 1) / rows);
        const int row = ((Index % rows) + rows) % rows;
        return Bounds(col * colW, row * h, colW, h);
    }
    return Bounds(0, (Index - topIndex_) * h, std::max(0, w), h);
}

TOwnerDrawState TCustomListBox::ItemState(int Index)
{
    TOwnerDrawState st;
    if (multiSelect_ ? items_[std::size_t(Index)].selected : Index == itemIndex_) st.Include(odSelected);
    const int caret = itemIndex_ >= 0 ? itemIndex_ : 0;
    if (Index == caret && Focused()) st.Include(odFocused);
    if (!enabled_) st.Include(odDisabled);
    return st;
}

// Sets the canvas up with the colours of a line's state.
static void prepareLineCanvas(TCanvas* c, TFont* font, TColor back, TOwnerDrawState st, bool enabled)
{
    c->Font()->Assign(font);
    c->Brush()->SetStyle(bsSolid);
    if (st.Contains(odSelected))
    {
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
    }
    else c->Brush()->SetColor(back);
    if (!enabled) c->Font()->SetColor(clGrayText);
}

void TCustomListBox::drawItemThroughParent(HDC dc, int Index, const TRect& r, TOwnerDrawState st)
{
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_LISTBOX;
    d.CtlID = UINT(GetDlgCtrlID(handle_));
    d.itemID = UINT(Index);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = (st.Contains(odSelected) ? ODS_SELECTED : 0) | (st.Contains(odFocused) ? ODS_FOCUS : 0) |
                  (st.Contains(odDisabled) ? ODS_DISABLED : 0);
    d.hwndItem = handle_;
    d.hDC = dc;
    d.rcItem = r;
    d.itemData = reinterpret_cast<std::uintptr_t>(items_[std::size_t(Index)].object);
    // The parent reflects the request back as CN_DRAWITEM; a box without one handles it itself.
    HWND parent = (GetWindowLong(handle_, GWL_STYLE) & WS_CHILD) ? GetParent(handle_) : nullptr;
    if (parent) SendMessage(parent, WM_DRAWITEM, WPARAM(d.CtlID), reinterpret_cast<LPARAM>(&d));
    else Perform(CN_DRAWITEM, WPARAM(d.CtlID), reinterpret_cast<LPARAM>(&d));
}

void TCustomListBox::PaintWindow(HDC dc)
{
    const TRect cr = GetClientRect();
    const int h = GetItemHeight();
    const int rows = VisibleRows();
    int last = columns_ > 0 ? topIndex_ + (columns_ + 1) * rows - 1 : topIndex_ + cr.Height() / h;
    last = std::min(last, Count() - 1);
    int bottom = 0;
    for (int i = topIndex_; i <= last; ++i)
    {
        const TRect r = ItemRect(i);
        if (r.Left >= cr.Right) break;
        bottom = std::max(bottom, r.Bottom);
        const TOwnerDrawState st = ItemState(i);
        if (style_ == lbOwnerDrawFixed)
        {
            drawItemThroughParent(dc, i, r, st);
            continue;
        }
        TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
        prepareLineCanvas(canvas_.get(), Font(), color_, st, enabled_);
        DrawItem(i, r, st);
        if (st.Contains(odFocused))
        {
            canvas_->Brush()->SetStyle(bsSolid);
            canvas_->DrawFocusRect(r);
        }
    }
    TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
    TCanvas* c = canvas_.get();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color_);
    if (columns_ > 0)
    {
        // The cells below the last line of the last column, and right of the columns.
        for (int i = std::max(last + 1, topIndex_); i < topIndex_ + (columns_ + 1) * rows; ++i)
        {
            const TRect r = ItemRect(i);
            if (r.Left < cr.Right) c->FillRect(r);
        }
        c->FillRect(TRect(0, rows * h, cr.Right, cr.Bottom));
        c->FillRect(TRect(columns_ * std::max(1, cr.Width() / columns_), 0, cr.Right, cr.Bottom));
        return;
    }
    const TRect rest(cr.Left, std::min(cr.Bottom, bottom), cr.Right, cr.Bottom);
    if (!rest.IsEmpty()) c->FillRect(rest);
}

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State)
{
    if (style_ == lbOwnerDrawFixed && OnDrawItem)
    {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* c = canvas_.get();
    const std::string& t = items_[std::size_t(Index)].text;
    const int th = c->TextHeight(t.empty() ? std::string("W") : t);
    c->TextRect(Rect, Rect.Left + 2, Rect.Top + (Rect.Height() - th) / 2, t);
}

bool TCustomListBox::NavigateKey(WORD Key, bool user)
{
    const int n = Count();
    const int rows = VisibleRows();
    const int page = columns_ > 0 ? columns_ * rows : std::max(1, rows - 1);
    const int cur = itemIndex_;
    int to;
    switch (Key)
    {
    case VK_UP: to = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: to = cur < 0 ? 0 : cur + 1; break;
    case VK_LEFT:
        if (columns_ <= 0) return false;
        to = cur < 0 ? 0 : cur - rows;
        break;
    case VK_RIGHT:
        if (columns_ <= 0) return false;
        to = cur < 0 ? 0 : cur + rows;
        break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_PRIOR: to = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: to = cur < 0 ? 0 : cur + page; break;
    default: return false;
    }
    if (n == 0) return true;
    to = std::clamp(to, 0, n - 1);
    if (multiSelect_)
    {
        const TShiftState shift = user ? GetShiftState() : TShiftState{};
        if (multiSelectTo(to, shift, false) && user) Click();
        return true;
    }
    if (user) SelectByUser(to);
    else SetItemIndex(to);
    return true;
}

void TCustomListBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0 || Shift.Contains(ssAlt)) return;
    if (multiSelect_ && Key == VK_SPACE && itemIndex_ >= 0 && (!extendedSelect_ || Shift.Contains(ssCtrl)))
    {
        if (setSel(itemIndex_, !items_[std::size_t(itemIndex_)].selected)) Click();
        Key = 0;
        return;
    }
    if (NavigateKey(Key, true)) Key = 0;
}

void TCustomListBox::KeyPress(char32_t& Key)
{
    TWinControl::KeyPress(Key);
    if (Key < 32 || Key == 127) return;
    if (multiSelect_ && Key == U' ') return;
    const int i = FindItemPrefix(Utf8Encode(Key), itemIndex_);
    if (i >= 0)
    {
        if (multiSelect_)
        {
            if (multiSelectTo(i, TShiftState{}, false)) Click();
        }
        else SelectByUser(i);
    }
    Key = 0;
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    TWinControl::MouseDown(Button, Shift, X, Y);
    if (alive.expired() || Button != mbLeft) return;
    if (CanFocus() && !Focused())
    {
        SetFocus();
        if (alive.expired()) return;
    }
    const TPoint p(X, Y);
    drag_ = Drag::Select;
    const int i = ItemAtPos(p, true);
    if (i >= 0)
    {
        if (multiSelect_)
        {
            if (multiSelectTo(i, Shift, true)) Click();
        }
        else SelectByUser(i);
    }
    if (alive.expired()) return;
    if (Shift.Contains(ssDouble)) DblClick();
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TWinControl::MouseMove(Shift, X, Y);
    if (!ControlState.Contains(csLButtonDown)) return;
    if (drag_ == Drag::Select && Count() > 0)
    {
        // Dragging past an edge scrolls one line at a time.
        const int h = GetItemHeight();
        int i = Y < 0 ? topIndex_ - 1
                : Y >= GetClientRect().Height() ? topIndex_ + VisibleRows()
                : columns_ > 0 ? ItemAtPos(TPoint(X, Y), false)
                : topIndex_ + Y / h;
        i = std::clamp(i, 0, Count() - 1);
        if (!multiSelect_) SelectByUser(i);
        else if (extendedSelect_ && i != itemIndex_ && multiSelectTo(i, TShiftState{ssShift}, false)) Click();
    }
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) drag_ = Drag::None;
    TWinControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (columns_ > 0) scrollTo(topIndex_ - WheelDelta / 120 * VisibleRows());
    else scrollTo(topIndex_ - WheelDelta * 3 / 120);
    return true;
}

void TCustomListBox::Dispatch(TMessage& m)
{
    const auto text = [&]() { return std::string(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""); };
    const int index = int(std::intptr_t(m.WParam));
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        ItemsChanged();
        return;
    case CM_FONTCHANGED:
        fontHeight_ = 0;
        TWinControl::Dispatch(m);
        ItemsChanged();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
        TWinControl::Dispatch(m);
        Invalidate();
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        drag_ = Drag::None;
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
        scrollCommand(m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
    case CN_DRAWITEM:
    {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
        m.Result = FALSE;
        if (!d || int(d->itemID) < 0 || int(d->itemID) >= Count()) return;
        TOwnerDrawState st;
        if (d->itemState & ODS_SELECTED) st.Include(odSelected);
        if (d->itemState & ODS_FOCUS) st.Include(odFocused);
        if (d->itemState & ODS_DISABLED) st.Include(odDisabled);
        TCanvasPaintScope scope(canvas_.get(), d->hDC, &ControlState);
        prepareLineCanvas(canvas_.get(), Font(), color_, st, enabled_);
        DrawItem(int(d->itemID), d->rcItem, st);
        if (st.Contains(odFocused))
        {
            canvas_->Brush()->SetStyle(bsSolid);
            canvas_->DrawFocusRect(d->rcItem);
        }
        m.Result = TRUE;
        return;
    }
    // ---- the LB_ messages ----
    case LB_ADDSTRING:
        m.Result = insertString(sorted_ ? sortedPlace(text()) : Count(), text());
        return;
    case LB_INSERTSTRING:
        m.Result = index < -1 || index > Count() ? LB_ERR : insertString(index < 0 ? Count() : index, text());
        return;
    case LB_DELETESTRING:
        m.Result = deleteString(index);
        return;
    case LB_RESETCONTENT:
        Clear();
        m.Result = 0;
        return;
    case LB_GETCOUNT:
        m.Result = Count();
        return;
    case LB_GETTEXT:
        if (index < 0 || index >= Count() || !m.LParam) m.Result = LB_ERR;
        else
        {
            const std::string& s = items_[std::size_t(index)].text;
            std::copy(s.begin(), s.end(), reinterpret_cast<char*>(m.LParam));
            reinterpret_cast<char*>(m.LParam)[s.size()] = '\0';
            m.Result = LRESULT(s.size());
        }
        return;
    case LB_GETTEXTLEN:
        m.Result = index < 0 || index >= Count() ? LB_ERR : LRESULT(items_[std::size_t(index)].text.size());
        return;
    case LB_FINDSTRING:
    {
        // Case-insensitive prefix, from the line after WParam, wrapping round.
        const int i = Count() > 0 ? FindItemPrefix(text(), index < 0 || index >= Count() ? -1 : index) : -1;
        m.Result = i < 0 ? LB_ERR : i;
        return;
    }
    case LB_SETCURSEL:
        if (multiSelect_)
        {
            m.Result = LB_ERR;
            return;
        }
        SetItemIndex(index);
        m.Result = index < 0 || index >= Count() ? LB_ERR : index;
        return;
    case LB_GETCURSEL:
    case LB_GETCARETINDEX:
        m.Result = itemIndex_ < 0 && m.Msg == LB_GETCURSEL ? LB_ERR : itemIndex_;
        return;
    case LB_SETCARETINDEX:
        if (index >= 0 && index < Count())
        {
            itemIndex_ = index;
            MakeVisible(index);
            Invalidate();
        }
        m.Result = 0;
        return;
    case LB_SETTOPINDEX:
        scrollTo(index);
        m.Result = index < 0 || index >= std::max(1, Count()) ? LB_ERR : 0;
        return;
    case LB_GETTOPINDEX:
        m.Result = topIndex_;
        return;
    case LB_SETSEL:
    {
        const int i = int(m.LParam);
        if (!multiSelect_ || i < -1 || i >= Count())
        {
            m.Result = LB_ERR;
            return;
        }
        for (int k = i < 0 ? 0 : i; k <= (i < 0 ? Count() - 1 : i); ++k) setSel(k, m.WParam != 0);
        m.Result = 0;
        return;
    }
    case LB_GETSEL:
        m.Result = index < 0 || index >= Count() ? LB_ERR : LRESULT(GetSelected(index));
        return;
    case LB_GETSELCOUNT:
        m.Result = multiSelect_ ? SelCount() : LB_ERR;
        return;
    case LB_GETITEMRECT:
        if (index < 0 || index >= Count() || !m.LParam) m.Result = LB_ERR;
        else
        {
            *reinterpret_cast<TRect*>(m.LParam) = ItemRect(index);
            m.Result = 1;
        }
        return;
    case LB_GETITEMHEIGHT:
        m.Result = GetItemHeight();
        return;
    default: break;
    }
    TWinControl::Dispatch(m);
}
