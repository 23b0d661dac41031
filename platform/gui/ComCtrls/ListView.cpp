// The list view and its column header window.
#include <algorithm>

#include "platform/core/Clock.h"
#include "platform/core/Utf8.h"
#include "platform/gui/ComCtrls.h"

namespace
{
constexpr int kIconCellW = 76;
constexpr int kListMinColW = 40;
constexpr int kTextPad = 4;          // text inset in a cell
constexpr std::uint64_t kTypeAheadMs = 1000;
using comctrls_detail::MeasureText;
using comctrls_detail::RowHeightFor;
TSize measure(TFont* font, const std::string& s) { return MeasureText(font, s); }
using comctrls_detail::StartsWithNoCase;
bool startsWithNoCase(const std::string& t, const std::string& p) { return StartsWithNoCase(t, p); }

// Text in r with a column's alignment, cut with an ellipsis when too wide.
void drawCellText(TCanvas* c, const TRect& r, const std::string& s, TAlignment a)
{
    TRect t = r;
    t.Left += kTextPad;
    t.Right -= kTextPad;
    if (t.IsEmpty()) return;
    std::string text = s;
    TTextFormat f{tfSingleLine, tfVerticalCenter, tfEndEllipsis, tfNoPrefix};
    if (a == taRightJustify) f.Include(tfRight);
    else if (a == taCenter) f.Include(tfCenter);
    c->Brush()->SetStyle(bsClear);
    c->TextRect(t, text, f);
}
} // namespace

namespace comctrls_detail
{
TSize MeasureText(TFont* font, const std::string& s)
{
    HDC dc = GetDC(nullptr);
    TCanvas c;
    c.SetHandle(dc);
    c.Font()->Assign(font);
    TSize r(c.TextWidth(s), c.TextHeight("Wg中"));
    c.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    return r;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    const std::string t = AnsiLowerCase(text), p = AnsiLowerCase(prefix);
    return t.compare(0, p.size(), p) == 0;
}

TEdit* MakeLabelEditor(TWinControl* parent, std::function<bool()> active, std::function<void(bool)> end)
{
    auto* editor = new TEdit(parent);
    editor->SetVisible(false);
    editor->SetParent(parent);
    TWndMethod editorProc = editor->WindowProc;
    editor->WindowProc = [editorProc, active, end](TMessage& m) {
        if (active() && m.Msg == WM_KEYDOWN && (m.WParam == WPARAM(VK_RETURN) || m.WParam == WPARAM(VK_ESCAPE)))
        {
            end(m.WParam == WPARAM(VK_RETURN));
            return;
        }
        if (active() && m.Msg == WM_CHAR && (m.WParam == '\r' || m.WParam == 27)) return;
        editorProc(m);
        if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTALLKEYS;
        if (m.Msg == WM_KILLFOCUS && active()) end(true);
    };
    return editor;
}

void ShowLabelEditor(TEdit* editor, TRect r, const std::string& text)
{
    const int h = std::max(r.Height(), MeasureText(editor->Font(), "").cy + 6);
    editor->SetText(text);
    editor->SetBounds(r.Left, r.Top + (r.Height() - h) / 2, r.Width(), h);
    editor->SetVisible(true);
    editor->BringToFront();
    editor->SetFocus();
    editor->SelectAll();
}

std::string HideLabelEditor(TEdit* editor, TWinControl* owner)
{
    const std::string s = editor->GetText();
    const bool hadFocus = editor->Focused();
    editor->SetVisible(false);
    if (hadFocus && owner->CanFocus()) owner->SetFocus();
    return s;
}

std::string TTypeAhead::Add(char32_t key, bool& single)
{
    const std::uint64_t now = Clock::Now();
    if (now - at > kTypeAheadMs) typed.clear();
    at = now;
    typed += Utf8Encode(key);
    single = Utf8ToUtf32(typed).size() == 1;
    return typed;
}
} // namespace comctrls_detail

namespace
{
} // namespace

// ---- header -----------------------------------------------------------------------------------

TListViewHeader::TListViewHeader(TCustomListView* view) : TCustomControl(view), view_(view)
{
    ControlStyle = TControlStyle{csOpaque, csDoubleClicks, csCaptureMouse};
    color_ = clBtnFace;
    parentColor_ = false;
    tabStop_ = false;
}

void TListViewHeader::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.WinClassName = "SysHeader32";
}

TRect TListViewHeader::SectionRect(int Index)
{
    if (Index < 0 || Index >= view_->Columns()->Count()) return TRect();
    const int l = view_->columnLeft(Index);
    return TRect(l, 0, l + view_->Columns()->Items(Index)->GetWidth(), ClientHeight());
}

int TListViewHeader::HitTest(TPoint p, UINT& flags)
{
    const int n = view_->Columns()->Count();
    flags = 0;
    if (p.Y < 0 || p.Y >= ClientHeight() || p.X < 0)
    {
        flags = HHT_NOWHERE;
        return -1;
    }
    // Dividers first: the column left of the divider is the one it sizes.
    for (int i = n - 1; i >= 0; --i)
    {
        const int maxW = view_->Columns()->Items(i)->GetMaxWidth();
        if (maxW > 0 && maxW < DividerGrip) continue;
        const TRect r = SectionRect(i);
        if (std::abs(p.X - r.Right) <= DividerGrip && (p.X >= r.Right || r.Width() > DividerGrip))
        {
            flags = HHT_ONDIVIDER;
            return i;
        }
    }
    for (int i = 0; i < n; ++i)
        if (SectionRect(i).Contains(p))
        {
            flags = HHT_ONHEADER;
            return i;
        }
    flags = HHT_NOWHERE;
    return -1;
}

void TListViewHeader::Paint()
{
    TCanvas* c = Canvas();
    const int n = view_->Columns()->Count();
    int right = 0;
    c->Font()->Assign(view_->Font());
    c->Font()->SetColor(clBtnText);
    for (int i = 0; i < n; ++i)
    {
        TRect r = SectionRect(i);
        right = std::max(right, r.Right);
        if (r.Width() <= 0) continue;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(r);
        TRect e = r;
        const bool down = i == pressed_;
        DrawEdge(c->GetHandle(), e, down ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
        TRect t = r;
        if (down) OffsetRect(t, 1, 1);
        drawCellText(c, t, view_->Columns()->Items(i)->GetCaption(), view_->Columns()->Items(i)->GetAlignment());
    }
    const TRect rest(right, 0, ClientWidth(), ClientHeight());
    if (!rest.IsEmpty())
    {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(rest);
        TRect e = rest;
        DrawEdge(c->GetHandle(), e, EDGE_RAISED, BF_RECT);
    }
}

void TListViewHeader::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case HDM_GETITEMCOUNT:
        m.Result = view_->Columns()->Count();
        return;
    case HDM_GETITEMRECT:
    {
        const int i = int(m.WParam);
        if (i < 0 || i >= view_->Columns()->Count() || !m.LParam)
        {
            m.Result = FALSE;
            return;
        }
        *reinterpret_cast<TRect*>(m.LParam) = SectionRect(i);
        m.Result = TRUE;
        return;
    }
    case HDM_GETORDERARRAY:
    {
        // Columns are not reordered by dragging: the order is the index order.
        const int n = std::min<int>(int(m.WParam), view_->Columns()->Count());
        auto* out = reinterpret_cast<int*>(m.LParam);
        if (!out || int(m.WParam) < view_->Columns()->Count())
        {
            m.Result = FALSE;
            return;
        }
        for (int i = 0; i < n; ++i) out[i] = i;
        m.Result = TRUE;
        return;
    }
    case HDM_HITTEST:
    {
        auto* info = reinterpret_cast<HDHITTESTINFO*>(m.LParam);
        if (!info)
        {
            m.Result = -1;
            return;
        }
        info->iItem = HitTest(info->pt, info->flags);
        m.Result = info->iItem;
        return;
    }
    case WM_SETCURSOR:
    {
        TPoint p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        UINT flags = 0;
        HitTest(p, flags);
        if (LOWORD(std::uintptr_t(m.LParam)) == HTCLIENT && (flags & HHT_ONDIVIDER))
        {
            ::SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            m.Result = TRUE;
            return;
        }
        break;
    }
    case WM_CANCELMODE:
        pressed_ = -1;
        sizing_ = -1;
        Invalidate();
        break;
    default: break;
    }
    TCustomControl::Dispatch(m);
}

void TListViewHeader::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    UINT flags = 0;
    const int i = HitTest(TPoint(X, Y), flags);
    if (flags & HHT_ONDIVIDER)
    {
        if (Shift.Contains(ssDouble))
        {
            view_->Columns()->Items(i)->SetWidth(view_->fitColumnWidth(i));
            sizing_ = -1;
            return;
        }
        sizing_ = i;
        sizeGrab_ = X - SectionRect(i).Right;
        return;
    }
    if (i >= 0)
    {
        pressed_ = i;
        Invalidate();
    }
}

void TListViewHeader::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (sizing_ >= 0 && sizing_ < view_->Columns()->Count())
    {
        const int w = std::max(0, X - sizeGrab_ - SectionRect(sizing_).Left);
        view_->Columns()->Items(sizing_)->SetWidth(w);
        Update();
    }
}

void TListViewHeader::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    const int pressed = pressed_;
    pressed_ = -1;
    sizing_ = -1;
    if (pressed >= 0)
    {
        Invalidate();
        UINT flags = 0;
        if (HitTest(TPoint(X, Y), flags) == pressed && (flags & HHT_ONHEADER) && view_->ColumnClick &&
            view_->OnColumnClick)
            view_->OnColumnClick(view_, view_->Columns()->Items(pressed));
    }
    if (alive.expired()) return;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---- columns ----------------------------------------------------------------------------------

void TListColumn::SetCaption(const std::string& v)
{
    caption_ = v;
    owner_->view_->columnsChanged();
}

int TListColumn::GetWidth() const { return autoSize_ ? autoWidth_ : width_; }

int TListColumn::clampWidth(int v) const
{
    v = std::max({0, v, minWidth_});
    return maxWidth_ > 0 ? std::min(v, maxWidth_) : v;
}

void TListColumn::SetMinWidth(int v)
{
    minWidth_ = std::max(0, v);
    if (!autoSize_ && clampWidth(width_) != width_) SetWidth(width_);
}

void TListColumn::SetMaxWidth(int v)
{
    maxWidth_ = std::max(0, v);
    if (!autoSize_ && clampWidth(width_) != width_) SetWidth(width_);
}

void TListColumn::SetWidth(int v)
{
    v = clampWidth(v);
    if (v == width_ && !autoSize_) return;
    width_ = v;
    autoSize_ = false;
    owner_->view_->columnsChanged();
}

void TListColumn::SetAlignment(TAlignment v)
{
    alignment_ = v;
    owner_->view_->columnsChanged();
}

void TListColumn::SetAutoSize(bool v)
{
    autoSize_ = v;
    owner_->view_->columnsChanged();
}

int TListColumn::Index() const
{
    for (int i = 0; i < owner_->Count(); ++i)
        if (owner_->Items(i) == this) return i;
    return -1;
}

int TListColumn::Format() const
{
    return alignment_ == taRightJustify ? LVCFMT_RIGHT : alignment_ == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
}

TListColumn* TListColumns::Add()
{
    items_.push_back(std::make_unique<TListColumn>(this));
    view_->columnsChanged();
    return items_.back().get();
}

void TListColumns::Delete(int i)
{
    if (i < 0 || i >= Count()) return;
    items_.erase(items_.begin() + i);
    view_->columnsChanged();
}

void TListColumns::Clear()
{
    items_.clear();
    view_->columnsChanged();
}

// ---- items ------------------------------------------------------------------------------------

TListItem::TListItem(TListItems* owner) : owner_(owner), subItems_(std::make_unique<TStringList>())
{
    // A changed cell repaints its row, as a changed caption does.
    subItems_->OnChange = [this](TObject*) {
        if (index_ >= 0 && !ListView()->ownerData_) ListView()->Change(this, ctText);
    };
}
TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return owner_->view_; }

void TListItem::SetCaption(const std::string& v)
{
    if (caption_ == v) return;
    caption_ = v;
    if (index_ >= 0 && !ListView()->ownerData_) ListView()->Change(this, ctText);
}

void TListItem::SetImageIndex(int v)
{
    if (imageIndex_ == v) return;
    imageIndex_ = v;
    if (index_ >= 0 && !ListView()->ownerData_) ListView()->Change(this, ctImage);
}

void TListItem::SetChecked(bool v)
{
    if (checked_ == v) return;
    checked_ = v;
    if (index_ >= 0) ListView()->Change(this, ctState);
}

bool TListItem::GetSelected() const { return ListView()->IsSelected(index_); }
void TListItem::SetSelected(bool v) { ListView()->setSel(index_, v, true); }
bool TListItem::GetFocused() const { return index_ >= 0 && ListView()->focus_ == index_; }
void TListItem::SetFocused(bool v)
{
    if (v) ListView()->setFocus(index_);
    else if (GetFocused()) ListView()->setFocus(-1);
}
TRect TListItem::DisplayRect(TDisplayCode Code) const { return ListView()->ItemRect(index_, Code); }
bool TListItem::EditCaption()
{
    ListView()->beginEdit(index_);
    return ListView()->IsEditing();
}
void TListItem::MakeVisible(bool) { ListView()->makeVisible(index_); }
void TListItem::Delete() { owner_->Delete(index_); }
void TListItem::Update() { ListView()->invalidateItem(index_); }

TListItems::~TListItems() = default;

int TListItems::Count() const { return view_->ownerData_ ? dataCount_ : int(items_.size()); }

void TListItems::reindex(int from)
{
    for (std::size_t i = std::size_t(std::max(0, from)); i < items_.size(); ++i) items_[i]->index_ = int(i);
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index)
{
    if (view_->ownerData_) return nullptr;
    Index = std::clamp(Index, 0, Count());
    items_.insert(items_.begin() + Index, std::make_unique<TListItem>(this));
    reindex(Index);
    view_->itemInserted(Index);
    return items_[std::size_t(Index)].get();
}

void TListItems::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    if (view_->ownerData_)
    {
        --dataCount_;
        view_->itemDeleted(Index);
        return;
    }
    if (view_->OnDeletion) view_->OnDeletion(view_, items_[std::size_t(Index)].get());
    items_.erase(items_.begin() + Index);
    reindex(Index);
    view_->itemDeleted(Index);
}

void TListItems::Clear()
{
    BeginUpdate();
    while (Count() > 0) Delete(Count() - 1);
    EndUpdate();
}

void TListItems::SetCount(int v)
{
    if (!view_->ownerData_) return;
    dataCount_ = std::max(0, v);
    view_->sel_.assign(std::size_t(dataCount_), 0);
    view_->focus_ = std::min(view_->focus_, dataCount_ - 1);
    view_->anchor_ = std::min(view_->anchor_, dataCount_ - 1);
    view_->itemsChanged();
}

TListItem* TListItems::Item(int Index)
{
    if (Index < 0 || Index >= Count()) return nullptr;
    if (!view_->ownerData_) return items_[std::size_t(Index)].get();
    // Owner data: a fresh item filled by the program for this row (kept
    // while the same row is asked for again, until the next paint).
    auto& it = view_->dataItem_;
    if (it && it->index_ == Index) return it.get();
    it = std::make_unique<TListItem>(this);
    it->index_ = Index;
    if (view_->OnData) view_->OnData(view_, it.get());
    return it.get();
}

void TListItems::BeginUpdate() { ++update_; }

void TListItems::EndUpdate()
{
    if (update_ > 0 && --update_ == 0) view_->itemsChanged();
}

// ---- the list view ----------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), columns_(this), items_(this), canvas_(std::make_unique<TControlCanvas>(this))
{
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    width_ = 250;
    height_ = 150;
    tabStop_ = true;
    color_ = clWindow;
    parentColor_ = false;
    brush_->SetColor(color_);
    header_ = new TListViewHeader(this);
    header_->SetVisible(false);
    header_->SetParent(this);
}

TCustomListView::~TCustomListView()
{
    canvas_->FreeHandle();
    editing_ = -1;
}

void TCustomListView::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd()
{
    TWinControl::CreateWnd();
    placeHeader();
    updateScrollBars();
}

void TCustomListView::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomListView::SetViewStyle(TViewStyle v)
{
    if (viewStyle_ == v) return;
    viewStyle_ = v;
    top_ = vpos_ = hpos_ = 0;
    placeHeader();
    itemsChanged();
}

void TCustomListView::SetMultiSelect(bool v)
{
    multiSelect_ = v;
    if (!v && SelCount() > 1) selectOnly(focus_ >= 0 && IsSelected(focus_) ? focus_ : GetItemIndex(), true);
}

void TCustomListView::SetRowSelect(bool v)
{
    rowSelect_ = v;
    Invalidate();
}

void TCustomListView::SetGridLines(bool v)
{
    gridLines_ = v;
    Invalidate();
}

void TCustomListView::SetGridLineColor(TColor v)
{
    if (gridLineColor_ == v) return;
    gridLineColor_ = v;
    if (gridLines_) Invalidate();
}

void TCustomListView::SetShowColumnHeaders(bool v)
{
    showColumnHeaders_ = v;
    placeHeader();
    itemsChanged();
}

void TCustomListView::SetCheckboxes(bool v)
{
    checkboxes_ = v;
    Invalidate();
}

void TCustomListView::SetOwnerData(bool v)
{
    if (ownerData_ == v) return;
    items_.Clear();
    ownerData_ = v;
    items_.dataCount_ = 0;
    sel_.clear();
    focus_ = anchor_ = -1;
    itemsChanged();
}

void TCustomListView::SetSmallImages(TCustomImageList* v)
{
    smallImages_ = v;
    itemsChanged();
}

void TCustomListView::SetLargeImages(TCustomImageList* v)
{
    largeImages_ = v;
    itemsChanged();
}

HWND TCustomListView::HeaderHandle() { return header_->HandleAllocated() ? header_->GetHandle() : nullptr; }

// ---- geometry ----

TCustomListView::Layout TCustomListView::layout()
{
    Layout l;
    if (fontH_ == 0) fontH_ = measure(Font(), "").cy;
    const TSize t(0, fontH_);
    l.rowH = RowHeightFor(t.cy);
    if (smallImages_ && viewStyle_ != vsIcon) l.rowH = std::max(l.rowH, smallImages_->GetHeight() + 1);
    l.headerH = viewStyle_ == vsReport && showColumnHeaders_ ? t.cy + 6 : 0;
    const TRect cr = GetClientRect();
    l.area = TRect(0, l.headerH, cr.Right, std::max(l.headerH, cr.Bottom));
    switch (viewStyle_)
    {
    case vsReport: break;
    case vsList:
    {
        if (listColW_ < 0)
        {
            listColW_ = kListMinColW;
            if (!ownerData_)
                for (const auto& it : items_.items_) listColW_ = std::max(listColW_, textWidth(it->caption_) + 2 * kTextPad);
        }
        int w = ownerData_ ? std::max(kListMinColW, cr.Width() / 3) : listColW_;
        if (smallImages_) w += smallImages_->GetWidth() + 2;
        l.cellW = std::min(w, std::max(kListMinColW, cr.Width()));
        l.cellH = l.rowH;
        l.perCol = std::max(1, l.area.Height() / l.rowH);
        break;
    }
    case vsSmallIcon:
        l.cellW = kIconCellW + (smallImages_ ? smallImages_->GetWidth() : 0);
        l.cellH = l.rowH;
        l.perCol = std::max(1, cr.Width() / l.cellW);
        break;
    case vsIcon:
        l.cellW = std::max(kIconCellW, largeImages_ ? largeImages_->GetWidth() + 8 : 0);
        l.cellH = (largeImages_ ? largeImages_->GetHeight() : 32) + 2 * t.cy + 8;
        l.perCol = std::max(1, cr.Width() / l.cellW);
        break;
    }
    return l;
}

int TCustomListView::textWidth(const std::string& s) { return measure(Font(), s).cx; }

int TCustomListView::totalColumnsWidth()
{
    int w = 0;
    for (int i = 0; i < columns_.Count(); ++i) w += columns_.Items(i)->GetWidth();
    return w;
}

int TCustomListView::columnLeft(int Index)
{
    int x = 0;
    for (int i = 0; i < Index && i < columns_.Count(); ++i) x += columns_.Items(i)->GetWidth();
    return x;
}

TRect TCustomListView::ItemRect(int Index, TDisplayCode Code)
{
    if (Index < 0 || Index >= items_.Count()) return TRect();
    const Layout l = layout();
    TRect b;
    switch (viewStyle_)
    {
    case vsReport:
        b = TRect(-hpos_, l.area.Top + (Index - top_) * l.rowH, std::max(totalColumnsWidth(), 1) - hpos_,
                  l.area.Top + (Index - top_ + 1) * l.rowH);
        break;
    case vsList:
        b = Bounds((Index / l.perCol - top_) * l.cellW, l.area.Top + (Index % l.perCol) * l.rowH, l.cellW, l.rowH);
        break;
    default:
        b = Bounds((Index % l.perCol) * l.cellW, (Index / l.perCol) * l.cellH - vpos_, l.cellW, l.cellH);
        break;
    }
    if (Code == drBounds) return b;
    TCustomImageList* images = viewStyle_ == vsIcon ? largeImages_ : smallImages_;
    int check = checkboxes_ && viewStyle_ != vsIcon ? l.rowH : 0;
    if (viewStyle_ == vsIcon)
    {
        const int ih = images ? images->GetHeight() : 32;
        const TRect icon(b.Left, b.Top + 2, b.Right, b.Top + 2 + ih);
        if (Code == drIcon) return icon;
        const TRect label(b.Left, icon.Bottom + 2, b.Right, b.Bottom);
        return Code == drLabel ? label : TRect(b.Left, b.Top, b.Right, b.Bottom);
    }
    const int iw = images ? images->GetWidth() + 2 : 0;
    const TRect icon(b.Left + check, b.Top, b.Left + check + iw, b.Bottom);
    if (Code == drIcon) return icon;
    int right = b.Right;
    if (viewStyle_ == vsReport)
        right = b.Left + (columns_.Count() > 0 ? columns_.Items(0)->GetWidth() : b.Width());
    TRect label(icon.Right, b.Top, right, b.Bottom);
    if (viewStyle_ != vsReport || !rowSelect_)
        label.Right = std::min(right, label.Left + textWidth(captionOf(Index)) + 2 * kTextPad);
    if (Code == drLabel) return label;
    // drSelectBounds: what shows the selection.
    if (viewStyle_ == vsReport && rowSelect_) return TRect(icon.Left, b.Top, b.Right, b.Bottom);
    return TRect(icon.Left, b.Top, label.Right, b.Bottom);
}

int TCustomListView::VisibleRowCount()
{
    const Layout l = layout();
    switch (viewStyle_)
    {
    case vsReport: return std::max(0, l.area.Height() / l.rowH);
    case vsList: return l.perCol * std::max(1, GetClientRect().Width() / l.cellW);
    default: return l.perCol * std::max(1, GetClientRect().Height() / l.cellH);
    }
}

int TCustomListView::TopIndex() const
{
    return viewStyle_ == vsReport ? top_ : 0;
}

TListItem* TCustomListView::GetTopItem()
{
    if (items_.Count() == 0) return nullptr;
    if (viewStyle_ == vsReport) return items_.Item(top_);
    if (viewStyle_ == vsList) return items_.Item(std::min(items_.Count() - 1, top_ * layout().perCol));
    const Layout l = layout();
    return items_.Item(std::min(items_.Count() - 1, (vpos_ / std::max(1, l.cellH)) * l.perCol));
}

TListItem* TCustomListView::GetItemAt(int X, int Y)
{
    const Layout l = layout();
    if (!l.area.Contains(TPoint(X, Y))) return nullptr;
    int i = -1;
    switch (viewStyle_)
    {
    case vsReport: i = top_ + (Y - l.area.Top) / l.rowH; break;
    case vsList: i = (top_ + X / l.cellW) * l.perCol + (Y - l.area.Top) / l.rowH; break;
    default:
    {
        const int col = X / l.cellW;
        if (col >= l.perCol) return nullptr;
        i = ((Y + vpos_) / l.cellH) * l.perCol + col;
        break;
    }
    }
    if (i < 0 || i >= items_.Count()) return nullptr;
    if (!ItemRect(i, drSelectBounds).Contains(TPoint(X, Y)) && !(viewStyle_ == vsReport && X < totalColumnsWidth() - hpos_))
        return nullptr;
    return items_.Item(i);
}

std::string TCustomListView::captionOf(int Index)
{
    TListItem* it = items_.Item(Index);
    return it ? it->caption_ : std::string();
}

// ---- scrolling ----

void TCustomListView::updateScrollBars()
{
    if (!HandleAllocated() || inScrollUpdate_) return;
    inScrollUpdate_ = true;
    // Showing one bar narrows the other's room: settle in two passes.
    for (int pass = 0; pass < 2; ++pass)
    {
        const Layout l = layout();
        const int n = items_.Count();
        const TRect cr = GetClientRect();
        SCROLLINFO v, h;
        v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        bool showV = false, showH = false;
        switch (viewStyle_)
        {
        case vsReport:
        {
            const int page = std::max(1, l.area.Height() / l.rowH);
            top_ = std::clamp(top_, 0, std::max(0, n - page));
            v.nMin = 0, v.nMax = std::max(0, n - 1), v.nPage = UINT(page), v.nPos = top_;
            showV = n > page;
            const int tw = totalColumnsWidth();
            hpos_ = std::clamp(hpos_, 0, std::max(0, tw - cr.Width()));
            h.nMin = 0, h.nMax = std::max(0, tw - 1), h.nPage = UINT(std::max(1, cr.Width())), h.nPos = hpos_;
            showH = tw > cr.Width();
            break;
        }
        case vsList:
        {
            const int cols = (n + l.perCol - 1) / l.perCol;
            const int page = std::max(1, cr.Width() / l.cellW);
            top_ = std::clamp(top_, 0, std::max(0, cols - page));
            h.nMin = 0, h.nMax = std::max(0, cols - 1), h.nPage = UINT(page), h.nPos = top_;
            showH = cols > page;
            v.nMin = v.nMax = 0, v.nPage = 0, v.nPos = 0;
            break;
        }
        default:
        {
            const int rows = (n + l.perCol - 1) / l.perCol;
            const int height = rows * l.cellH;
            vpos_ = std::clamp(vpos_, 0, std::max(0, height - cr.Height()));
            v.nMin = 0, v.nMax = std::max(0, height - 1), v.nPage = UINT(std::max(1, cr.Height())), v.nPos = vpos_;
            showV = height > cr.Height();
            h.nMin = h.nMax = 0, h.nPage = 0, h.nPos = 0;
            break;
        }
        }
        SetScrollInfo(handle_, SB_VERT, &v, TRUE);
        SetScrollInfo(handle_, SB_HORZ, &h, TRUE);
        ShowScrollBar(handle_, SB_VERT, showV);
        ShowScrollBar(handle_, SB_HORZ, showH);
    }
    placeHeader();
    inScrollUpdate_ = false;
}

void TCustomListView::placeHeader()
{
    if (!header_) return;
    const bool show = viewStyle_ == vsReport && showColumnHeaders_;
    if (show)
    {
        const Layout l = layout();
        const int w = std::max(totalColumnsWidth(), GetClientRect().Width()) + hpos_;
        header_->SetBounds(-hpos_, 0, w, l.headerH);
    }
    header_->SetVisible(show);
}

void TCustomListView::scrollTo(int bar, int pos)
{
    const Layout l = layout();
    const int n = items_.Count();
    const TRect cr = GetClientRect();
    if (bar == SB_VERT)
    {
        if (viewStyle_ == vsReport) top_ = std::clamp(pos, 0, std::max(0, n - std::max(1, l.area.Height() / l.rowH)));
        else if (viewStyle_ != vsList)
            vpos_ = std::clamp(pos, 0, std::max(0, ((n + l.perCol - 1) / l.perCol) * l.cellH - cr.Height()));
    }
    else
    {
        if (viewStyle_ == vsReport) hpos_ = std::clamp(pos, 0, std::max(0, totalColumnsWidth() - cr.Width()));
        else if (viewStyle_ == vsList)
            top_ = std::clamp(pos, 0, std::max(0, (n + l.perCol - 1) / l.perCol - std::max(1, cr.Width() / l.cellW)));
    }
    if (editing_ >= 0) endEdit(true);
    updateScrollBars();
    Invalidate();
    if (header_->HandleAllocated()) header_->Invalidate();
}

void TCustomListView::onScrollMessage(int bar, WORD code, int thumbPos)
{
    const Layout l = layout();
    // A line is a row (report), a column (list), or a cell's height (icon views); pixels sideways in report.
    int line = 1;
    if (bar == SB_VERT && viewStyle_ != vsReport) line = std::max(1, l.cellH);
    if (bar == SB_HORZ && viewStyle_ == vsReport) line = std::max(1, textWidth("0") * 2);
    int pos = 0;
    if (ScrollCommandTarget(handle_, bar, code, thumbPos, line, 0, pos)) scrollTo(bar, pos);
}

void TCustomListView::Scroll(int DX, int DY)
{
    const Layout l = layout();
    if (DY)
    {
        if (viewStyle_ == vsReport)
        {
            // Whole rows, rounded away from zero as far as a part of a row is asked.
            const int rows = DY > 0 ? (DY + l.rowH - 1) / l.rowH : -((-DY + l.rowH - 1) / l.rowH);
            scrollTo(SB_VERT, top_ + rows);
        }
        else if (viewStyle_ != vsList) scrollTo(SB_VERT, vpos_ + DY);
    }
    if (DX)
    {
        if (viewStyle_ == vsList)
        {
            const int cols = DX > 0 ? (DX + l.cellW - 1) / l.cellW : -((-DX + l.cellW - 1) / l.cellW);
            scrollTo(SB_HORZ, top_ + cols);
        }
        else if (viewStyle_ == vsReport) scrollTo(SB_HORZ, hpos_ + DX);
    }
}

void TCustomListView::makeVisible(int Index)
{
    if (Index < 0 || Index >= items_.Count()) return;
    const Layout l = layout();
    const TRect cr = GetClientRect();
    switch (viewStyle_)
    {
    case vsReport:
    {
        const int page = std::max(1, l.area.Height() / l.rowH);
        if (Index < top_) scrollTo(SB_VERT, Index);
        else if (Index >= top_ + page) scrollTo(SB_VERT, Index - page + 1);
        break;
    }
    case vsList:
    {
        const int col = Index / l.perCol, page = std::max(1, cr.Width() / l.cellW);
        if (col < top_) scrollTo(SB_HORZ, col);
        else if (col >= top_ + page) scrollTo(SB_HORZ, col - page + 1);
        break;
    }
    default:
    {
        const int y = (Index / l.perCol) * l.cellH;
        if (y < vpos_) scrollTo(SB_VERT, y);
        else if (y + l.cellH > vpos_ + cr.Height()) scrollTo(SB_VERT, y + l.cellH - cr.Height());
        break;
    }
    }
}

// ---- changes ----

void TCustomListView::itemsChanged()
{
    dataItem_.reset();
    if (items_.update_ > 0) return;
    if (sel_.size() != std::size_t(items_.Count())) sel_.resize(std::size_t(items_.Count()), 0);
    for (int i = 0; i < columns_.Count(); ++i)
        if (columns_.Items(i)->autoSize_) columnsChanged();
    updateScrollBars();
    Invalidate();
}

void TCustomListView::columnsChanged()
{
    // AutoSize columns share the width the others leave.
    int fixed = 0, autos = 0;
    for (int i = 0; i < columns_.Count(); ++i)
    {
        if (columns_.Items(i)->autoSize_) ++autos;
        else fixed += columns_.Items(i)->width_;
    }
    if (autos)
    {
        const int each = std::max(kListMinColW, (GetClientRect().Width() - fixed) / autos);
        for (int i = 0; i < columns_.Count(); ++i)
            if (columns_.Items(i)->autoSize_) columns_.Items(i)->autoWidth_ = each;
    }
    if (items_.update_ > 0) return;
    updateScrollBars();
    Invalidate();
    if (header_->HandleAllocated()) header_->Invalidate();
}

void TCustomListView::itemInserted(int Index)
{
    sel_.insert(sel_.begin() + std::min<std::ptrdiff_t>(Index, std::ptrdiff_t(sel_.size())), 0);
    if (focus_ >= Index) ++focus_;
    if (anchor_ >= Index) ++anchor_;
    if (editing_ >= Index) ++editing_;
    if (SortType != stNone && !ownerData_ && items_.update_ == 0) AlphaSort();
    itemsChanged();
}

void TCustomListView::itemDeleted(int Index)
{
    listColW_ = -1;
    const bool wasSelected = Index < int(sel_.size()) && sel_[std::size_t(Index)];
    if (Index < int(sel_.size())) sel_.erase(sel_.begin() + Index);
    if (editing_ == Index) endEdit(false);
    else if (editing_ > Index) --editing_;
    if (focus_ == Index) focus_ = -1;
    else if (focus_ > Index) --focus_;
    if (anchor_ == Index) anchor_ = -1;
    else if (anchor_ > Index) --anchor_;
    itemsChanged();
    if (wasSelected && OnSelectItem) OnSelectItem(this, nullptr, false);
}

void TCustomListView::Change(TListItem* Item, TItemChange Change)
{
    if (Item) invalidateItem(Item->Index());
    // The list style's column grows with a longer caption (a full measure
    // again only after deletions), so adding many items stays linear.
    if (Change == ctText && Item && listColW_ >= 0)
    {
        const int w = textWidth(Item->caption_) + 2 * kTextPad;
        if (w > listColW_)
        {
            listColW_ = w;
            if (viewStyle_ == vsList) itemsChanged();
        }
    }
    if (OnChange) OnChange(this, Item, Change);
}

void TCustomListView::invalidateItem(int Index)
{
    if (!HandleAllocated() || Index < 0) return;
    TRect r = ItemRect(Index, drBounds);
    if (viewStyle_ == vsReport) r.Right = std::max(r.Right, GetClientRect().Right);
    InvalidateRect(handle_, &r, TRUE);
}

// ---- selection ----

bool TCustomListView::IsSelected(int Index) const
{
    return Index >= 0 && Index < int(sel_.size()) && sel_[std::size_t(Index)];
}

int TCustomListView::SelCount() const { return int(std::count(sel_.begin(), sel_.end(), 1)); }

void TCustomListView::setSel(int Index, bool v, bool notify)
{
    if (Index < 0 || Index >= items_.Count()) return;
    if (sel_.size() != std::size_t(items_.Count())) sel_.resize(std::size_t(items_.Count()), 0);
    if (v && !multiSelect_)
        for (std::size_t i = 0; i < sel_.size(); ++i)
            if (sel_[i] && int(i) != Index) setSel(int(i), false, notify);
    if (bool(sel_[std::size_t(Index)]) == v) return;
    sel_[std::size_t(Index)] = v ? 1 : 0;
    invalidateItem(Index);
    if (!notify) return;
    TListItem* it = items_.Item(Index);
    Change(it, ctState);
    if (OnSelectItem) OnSelectItem(this, items_.Item(Index), v);
}

void TCustomListView::selectOnly(int Index, bool notify)
{
    for (std::size_t i = 0; i < sel_.size(); ++i)
        if (sel_[i] && int(i) != Index) setSel(int(i), false, notify);
    if (Index >= 0) setSel(Index, true, notify);
}

void TCustomListView::selectRange(int from, int to, bool notify)
{
    if (from > to) std::swap(from, to);
    for (std::size_t i = 0; i < sel_.size(); ++i)
        if (sel_[i] && (int(i) < from || int(i) > to)) setSel(int(i), false, notify);
    for (int i = std::max(0, from); i <= to && i < items_.Count(); ++i) setSel(i, true, notify);
}

void TCustomListView::setFocus(int Index)
{
    if (Index >= items_.Count()) Index = -1;
    if (focus_ == Index) return;
    const int old = focus_;
    focus_ = Index;
    invalidateItem(old);
    invalidateItem(focus_);
}

TListItem* TCustomListView::GetSelected()
{
    const int i = GetItemIndex();
    return i >= 0 ? items_.Item(i) : nullptr;
}

void TCustomListView::SetSelected(TListItem* v)
{
    if (!v)
    {
        ClearSelection();
        return;
    }
    // In owner-data mode selecting refills the one data item: v may go.
    const int index = v->Index();
    selectOnly(index, true);
    setFocus(index);
    anchor_ = index;
}

int TCustomListView::GetItemIndex() const
{
    for (std::size_t i = 0; i < sel_.size(); ++i)
        if (sel_[i]) return int(i);
    return -1;
}

void TCustomListView::SetItemIndex(int v)
{
    if (v < 0 || v >= items_.Count()) ClearSelection();
    else SetSelected(items_.Item(v));
}

TListItem* TCustomListView::GetItemFocused() { return focus_ >= 0 ? items_.Item(focus_) : nullptr; }
void TCustomListView::SetItemFocused(TListItem* v) { setFocus(v ? v->Index() : -1); }

void TCustomListView::SelectAll()
{
    if (!multiSelect_) return;
    for (int i = 0; i < items_.Count(); ++i) setSel(i, true, true);
}

void TCustomListView::ClearSelection() { selectOnly(-1, true); }

// Selects for the user as a click or a navigation key does.
void TCustomListView::moveTo(int Index, TShiftState Shift)
{
    if (Index < 0 || Index >= items_.Count()) return;
    const bool ctrl = multiSelect_ && Shift.Contains(ssCtrl), shift = multiSelect_ && Shift.Contains(ssShift);
    if (shift)
    {
        if (anchor_ < 0) anchor_ = focus_ >= 0 ? focus_ : Index;
        if (ctrl)
            for (int i = std::min(anchor_, Index); i <= std::max(anchor_, Index); ++i) setSel(i, true, true);
        else selectRange(anchor_, Index, true);
    }
    else if (!ctrl)
    {
        selectOnly(Index, true);
        anchor_ = Index;
    }
    else anchor_ = Index;
    setFocus(Index);
    makeVisible(Index);
}

int TCustomListView::navigate(WORD Key)
{
    // Keys that do not move the focus are left to others (F10, accelerators),
    // also in an empty view.
    switch (Key)
    {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        break;
    default: return -2;
    }
    const int n = items_.Count();
    if (n == 0) return viewStyle_ == vsReport && (Key == VK_LEFT || Key == VK_RIGHT) ? -2 : -1;
    const Layout l = layout();
    const int cur = focus_ >= 0 ? focus_ : -1;
    int page = std::max(1, VisibleRowCount());
    if (viewStyle_ == vsReport) page = std::max(1, page - 1);
    int step = 1, across = 1;
    if (viewStyle_ == vsList) across = l.perCol;
    if (viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon) step = l.perCol;
    int to;
    switch (Key)
    {
    case VK_UP: to = cur < 0 ? 0 : cur - step; break;
    case VK_DOWN: to = cur < 0 ? 0 : cur + step; break;
    case VK_LEFT:
        if (viewStyle_ == vsReport) return -2;
        to = cur < 0 ? 0 : cur - across;
        break;
    case VK_RIGHT:
        if (viewStyle_ == vsReport) return -2;
        to = cur < 0 ? 0 : cur + across;
        break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_PRIOR: to = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: to = cur < 0 ? 0 : cur + page; break;
    default: return -2;
    }
    return std::clamp(to, 0, n - 1);
}

// ---- sorting and finding ----

void TCustomListView::sortBy(const std::function<int(TListItem*, TListItem*)>& cmp)
{
    if (ownerData_) return;
    auto& v = items_.items_;
    // Keep each item's selection and focus with it.
    std::vector<std::pair<std::unique_ptr<TListItem>, char>> rows;
    TListItem* focused = GetItemFocused();
    TListItem* anchored = anchor_ >= 0 && anchor_ < items_.Count() ? items_.Item(anchor_) : nullptr;
    for (std::size_t i = 0; i < v.size(); ++i) rows.emplace_back(std::move(v[i]), i < sel_.size() ? sel_[i] : 0);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const auto& a, const auto& b) { return cmp(a.first.get(), b.first.get()) < 0; });
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        v[i] = std::move(rows[i].first);
        sel_[i] = rows[i].second;
    }
    items_.reindex(0);
    focus_ = focused ? focused->Index() : -1;
    anchor_ = anchored ? anchored->Index() : -1;
    Invalidate();
}

bool TCustomListView::AlphaSort()
{
    if (ownerData_) return false;
    sortBy([this](TListItem* a, TListItem* b) {
        if (OnCompare)
        {
            int c = 0;
            OnCompare(this, a, b, 0, c);
            return c;
        }
        return AnsiCompareText(a->caption_, b->caption_);
    });
    return true;
}

bool TCustomListView::CustomSort(TLVCompare SortProc, std::intptr_t Data)
{
    if (ownerData_) return false;
    if (!SortProc) return AlphaSort();
    sortBy([&](TListItem* a, TListItem* b) { return SortProc(a, b, Data); });
    return true;
}

int TCustomListView::FindCaption(int Start, const std::string& Value, bool Partial, bool Inclusive, bool Wrap)
{
    const int n = items_.Count();
    if (n == 0) return -1;
    if (ownerData_)
    {
        int found = -1;
        if (OnDataFind)
            OnDataFind(this, Partial ? ifPartialString : ifExactString, Value, TPoint(), nullptr,
                       Inclusive ? Start : Start + 1, sdAll, Wrap, found);
        return found >= 0 && found < n ? found : -1;
    }
    const int first = Inclusive ? Start : Start + 1;
    const int count = Wrap ? n : n - std::clamp(first, 0, n);
    for (int k = 0; k < count; ++k)
    {
        const int i = ((first + k) % n + n) % n;
        const std::string& c = items_.items_[std::size_t(i)]->caption_;
        if (Partial ? startsWithNoCase(c, Value) : AnsiCompareText(c, Value) == 0) return i;
    }
    return -1;
}

int TCustomListView::fitColumnWidth(int Column)
{
    int w = textWidth(columns_.Items(Column)->GetCaption()) + 2 * kTextPad + 4;
    const int n = items_.Count();
    // In owner-data mode only the rows in view are looked at.
    const int from = ownerData_ ? top_ : 0;
    const int to = ownerData_ ? std::min(n, top_ + VisibleRowCount() + 1) : n;
    for (int i = from; i < to; ++i)
    {
        TListItem* it = items_.Item(i);
        std::string s = Column == 0 ? it->caption_
                        : Column - 1 < it->SubItems()->Count() ? it->SubItems()->Get(Column - 1)
                                                               : std::string();
        int extra = 2 * kTextPad + 4;
        if (Column == 0 && smallImages_) extra += smallImages_->GetWidth() + 2;
        if (Column == 0 && checkboxes_) extra += layout().rowH;
        w = std::max(w, textWidth(s) + extra);
    }
    return w;
}

// ---- label editing ----

void TCustomListView::beginEdit(int Index)
{
    if (editing_ >= 0) endEdit(true);
    if (Index < 0 || Index >= items_.Count() || ReadOnly) return;
    TListItem* it = items_.Item(Index);
    bool allow = true;
    if (OnEditing) OnEditing(this, it, allow);
    if (!allow) return;
    HandleNeeded();
    if (!editor_)
        editor_ = comctrls_detail::MakeLabelEditor(
            this, [this] { return editing_ >= 0; }, [this](bool commit) { endEdit(commit); });
    makeVisible(Index);
    TRect r = ItemRect(Index, drLabel);
    r.Right = std::max(r.Right, r.Left + 60);
    editing_ = Index;
    comctrls_detail::ShowLabelEditor(editor_, r, it->caption_);
}

void TCustomListView::endEdit(bool commit)
{
    if (editing_ < 0) return;
    const int index = editing_;
    editing_ = -1;
    std::string s = comctrls_detail::HideLabelEditor(editor_, this);
    if (index >= items_.Count()) return;
    TListItem* it = items_.Item(index);
    if (!commit) return;   // cancelled: the caption stays and OnEdited does not fire
    if (OnEdited) OnEdited(this, it, s);
    if (!ownerData_) it->SetCaption(s);
}

// ---- painting ----

void TCustomListView::DrawItem(int Index, TListItem* Item, const TRect& Rect, TCustomDrawState State)
{
    TCanvas* c = canvas_.get();
    const bool selected = State.Contains(cdsSelected);
    const bool showSel = selected && (Focused() || editing_ >= 0 || !HideSelection);
    const bool active = Focused() || editing_ >= 0;
    const TColor selBack = active ? SelectionColors.Focused : SelectionColors.Unfocused;
    const TColor selText = active ? SelectionColors.FocusedText : SelectionColors.UnfocusedText;
    const Layout l = layout();
    TCustomImageList* images = viewStyle_ == vsIcon ? largeImages_ : smallImages_;
    const TRect icon = ItemRect(Index, drIcon);
    const TRect label = ItemRect(Index, drLabel);
    if (showSel)
    {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(selBack);
        c->FillRect(viewStyle_ == vsReport && rowSelect_ ? ItemRect(Index, drSelectBounds) : label);
    }
    if (checkboxes_ && viewStyle_ != vsIcon)
    {
        const int s = std::min(13, l.rowH - 2);
        const TRect box = Bounds(Rect.Left + (l.rowH - s) / 2, Rect.Top + (Rect.Height() - s) / 2, s, s);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clWindow);
        c->Pen()->SetColor(clBtnShadow);
        c->Rectangle(box);
        if (Item->GetChecked())
        {
            c->Pen()->SetColor(clWindowText);
            c->MoveTo(box.Left + 3, box.Top + s / 2);
            c->LineTo(box.Left + s / 2 - 1, box.Bottom - 4);
            c->LineTo(box.Right - 3, box.Top + 2);
        }
    }
    if (images && Item->GetImageIndex() >= 0 && Item->GetImageIndex() < images->Count())
    {
        const int x = icon.Left + (icon.Width() - images->GetWidth()) / 2;
        const int y = icon.Top + (icon.Height() - images->GetHeight()) / 2;
        images->Draw(c, x, y, Item->GetImageIndex(), GetEnabled());
    }
    c->Font()->Assign(Font());
    c->Font()->SetColor(!GetEnabled() ? clGrayText : showSel ? selText : Font()->GetColor());
    if (viewStyle_ == vsIcon)
    {
        std::string text = Item->caption_;
        TRect t = label;
        c->Brush()->SetStyle(bsClear);
        c->TextRect(t, text, TTextFormat{tfCenter, tfWordBreak, tfEndEllipsis, tfNoPrefix});
    }
    else
    {
        TRect t = label;
        if (viewStyle_ == vsReport && rowSelect_ && columns_.Count() > 0)
            t.Right = Rect.Left + columns_.Items(0)->GetWidth();
        drawCellText(c, t, Item->caption_, columns_.Count() > 0 && viewStyle_ == vsReport
                                                ? columns_.Items(0)->GetAlignment()
                                                : taLeftJustify);
    }
    if (viewStyle_ == vsReport)
    {
        for (int col = 1; col < columns_.Count(); ++col)
        {
            bool def = true;
            if (OnCustomDrawSubItem) OnCustomDrawSubItem(this, Item, col, State, def);
            if (!def) continue;
            const int left = Rect.Left + columnLeft(col);
            const TRect cell(left, Rect.Top, left + columns_.Items(col)->GetWidth(), Rect.Bottom);
            c->Font()->Assign(Font());
            c->Font()->SetColor(!GetEnabled() ? clGrayText : showSel && rowSelect_ ? selText : Font()->GetColor());
            const std::string s = col - 1 < Item->SubItems()->Count() ? Item->SubItems()->Get(col - 1) : "";
            drawCellText(c, cell, s, columns_.Items(col)->GetAlignment());
        }
    }
    if (State.Contains(cdsFocused) && Focused())
    {
        c->Brush()->SetStyle(bsSolid);
        c->DrawFocusRect(viewStyle_ == vsReport && rowSelect_ ? ItemRect(Index, drSelectBounds) : label);
    }
}

void TCustomListView::PaintWindow(HDC dc)
{
    TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
    TCanvas* c = canvas_.get();
    const TRect cr = GetClientRect();
    dataItem_.reset();   // owner data: every paint asks again
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color_);
    c->FillRect(cr);
    bool defaultDraw = true;
    if (OnCustomDraw) OnCustomDraw(this, cr, defaultDraw);
    if (!defaultDraw) return;
    const Layout l = layout();
    const int n = items_.Count();
    // Only the rows in view are touched (and in owner-data mode fetched).
    int first = 0, last = -1;
    switch (viewStyle_)
    {
    case vsReport:
        first = top_;
        last = std::min(n - 1, top_ + l.area.Height() / l.rowH);
        break;
    case vsList:
        first = top_ * l.perCol;
        last = std::min(n - 1, first + l.perCol * (cr.Width() / l.cellW + 1) - 1);
        break;
    default:
        first = (vpos_ / l.cellH) * l.perCol;
        last = std::min(n - 1, ((vpos_ + cr.Height()) / l.cellH + 1) * l.perCol - 1);
        break;
    }
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, l.area.Left, l.area.Top, l.area.Right, l.area.Bottom);
    TRect paint;
    GetClipBox(dc, &paint);
    for (int i = first; i <= last; ++i)
    {
        const TRect r = ItemRect(i, drBounds);
        TRect wide = r;
        if (viewStyle_ == vsReport) wide.Right = std::max(r.Right, cr.Right);
        TRect dummy;
        if (!IntersectRect(dummy, wide, paint)) continue;
        TListItem* it = items_.Item(i);
        if (!it) continue;
        TCustomDrawState st;
        if (IsSelected(i)) st.Include(cdsSelected);
        if (i == focus_) st.Include(cdsFocused);
        if (!GetEnabled()) st.Include(cdsDisabled);
        if (it->GetChecked()) st.Include(cdsChecked);
        bool def = true;
        if (OnCustomDrawItem) OnCustomDrawItem(this, it, st, def);
        if (!def) continue;
        DrawItem(i, it, r, st);
    }
    if (gridLines_ && viewStyle_ == vsReport)
    {
        c->Pen()->SetColor(gridLineColor_);
        c->Pen()->SetStyle(psSolid);
        for (int y = l.area.Top + l.rowH - 1; y < l.area.Bottom; y += l.rowH)
        {
            c->MoveTo(0, y);
            c->LineTo(cr.Right, y);
        }
        for (int col = 0; col < columns_.Count(); ++col)
        {
            const int x = columnLeft(col + 1) - hpos_ - 1;
            c->MoveTo(x, l.area.Top);
            c->LineTo(x, l.area.Bottom);
        }
    }
    RestoreDC(dc, saved);
}

// ---- input ----

void TCustomListView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (CanFocus() && !Focused() && editing_ < 0)
    {
        SetFocus();
        if (alive.expired()) return;
    }
    if (editing_ >= 0) endEdit(true);
    TListItem* it = GetItemAt(X, Y);
    const int i = it ? it->Index() : -1;
    if (Button == mbLeft)
    {
        if (i >= 0 && checkboxes_ && viewStyle_ != vsIcon && X < ItemRect(i, drIcon).Left)
            it->SetChecked(!it->GetChecked());
        if (i >= 0)
        {
            if (multiSelect_ && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift))
            {
                setSel(i, !IsSelected(i), true);
                anchor_ = i;
                setFocus(i);
            }
            else moveTo(i, Shift);
        }
        else if (!Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) ClearSelection();
    }
    else if (Button == mbRight && i >= 0 && !IsSelected(i))
    {
        // A right click selects the item under it (keeping a selection it lies in).
        moveTo(i, TShiftState{});
    }
    if (alive.expired()) return;
    TWinControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomListView::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    const int notches = WheelDelta / WHEEL_DELTA;
    const Layout l = layout();
    if (viewStyle_ == vsList) scrollTo(SB_HORZ, top_ - notches);
    else if (viewStyle_ == vsReport) scrollTo(SB_VERT, top_ - 3 * notches);
    else scrollTo(SB_VERT, vpos_ - notches * l.cellH);
    return true;
}

void TCustomListView::KeyDown(WORD& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0 || Shift.Contains(ssAlt)) return;
    if (Key == 'A' && Shift.Contains(ssCtrl))
    {
        SelectAll();
        Key = 0;
        return;
    }
    if (Key == VK_F2 && focus_ >= 0)
    {
        beginEdit(focus_);
        Key = 0;
        return;
    }
    if (Key == VK_SPACE && Shift.Contains(ssCtrl) && focus_ >= 0)
    {
        setSel(focus_, !IsSelected(focus_), true);
        Key = 0;
        return;
    }
    if (Key == VK_SPACE && checkboxes_ && focus_ >= 0)
    {
        if (TListItem* it = items_.Item(focus_)) it->SetChecked(!it->GetChecked());
        Key = 0;
        return;
    }
    const int to = navigate(Key);
    if (to == -2)
    {
        if (viewStyle_ == vsReport && (Key == VK_LEFT || Key == VK_RIGHT))
        {
            onScrollMessage(SB_HORZ, Key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0);
            Key = 0;
        }
        return;
    }
    Key = 0;
    if (to < 0) return;
    if (multiSelect_ && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift))
    {
        setFocus(to);   // Ctrl moves the focus only
        makeVisible(to);
    }
    else moveTo(to, Shift);
}

void TCustomListView::KeyPress(char32_t& Key)
{
    TWinControl::KeyPress(Key);
    if (Key < 32 || Key == 127) return;
    // Typing finds an item: letters typed quickly in a row form one prefix.
    bool single = false;
    const std::string prefix = typeAhead_.Add(Key, single);
    const int start = focus_ < 0 ? 0 : single ? focus_ + 1 : focus_;
    const int i = FindCaption(start < items_.Count() ? start : 0, prefix, true, true, true);
    if (i >= 0) moveTo(i, TShiftState{});
    Key = 0;
}

void TCustomListView::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        columnsChanged();
        return;
    case CM_FONTCHANGED:
        fontH_ = 0;
        listColW_ = -1;
        TWinControl::Dispatch(m);
        itemsChanged();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
        TWinControl::Dispatch(m);
        Invalidate();
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
    {
        onScrollMessage(m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
    }
    case LVM_GETITEMCOUNT:
        m.Result = items_.Count();
        return;
    case LVM_SETITEMCOUNT:
        items_.SetCount(int(m.WParam));
        m.Result = TRUE;
        return;
    case LVM_GETCOUNTPERPAGE:
        m.Result = VisibleRowCount();
        return;
    case LVM_GETTOPINDEX:
        m.Result = TopIndex();
        return;
    case LVM_GETITEMRECT:
    {
        auto* r = reinterpret_cast<TRect*>(m.LParam);
        const int i = int(m.WParam);
        if (!r || i < 0 || i >= items_.Count())
        {
            m.Result = FALSE;
            return;
        }
        const int code = r->Left;
        *r = ItemRect(i, code == LVIR_ICON ? drIcon : code == LVIR_LABEL ? drLabel
                                                   : code == LVIR_SELECTBOUNDS ? drSelectBounds
                                                                                : drBounds);
        m.Result = TRUE;
        return;
    }
    case LVM_SCROLL:
        Scroll(int(std::intptr_t(m.WParam)), int(m.LParam));
        m.Result = TRUE;
        return;
    case LVM_ENSUREVISIBLE:
        makeVisible(int(m.WParam));
        m.Result = TRUE;
        return;
    case LVM_REDRAWITEMS:
        dataItem_.reset();
        for (int i = std::max(0, int(m.WParam)); i <= int(m.LParam) && i < items_.Count(); ++i) invalidateItem(i);
        m.Result = TRUE;
        return;
    case LVM_SETIMAGELIST:
    {
        auto* list = reinterpret_cast<TCustomImageList*>(m.LParam);
        TCustomImageList* old = nullptr;
        if (m.WParam == LVSIL_SMALL) old = smallImages_, SetSmallImages(list);
        else if (m.WParam == LVSIL_NORMAL) old = largeImages_, SetLargeImages(list);
        else if (m.WParam == LVSIL_STATE) old = StateImages, StateImages = list;
        m.Result = reinterpret_cast<LRESULT>(old);
        return;
    }
    case LVM_GETHEADER:
        m.Result = reinterpret_cast<LRESULT>(viewStyle_ == vsReport ? HeaderHandle() : nullptr);
        return;
    case LVM_EDITLABELW:
        if (int(m.WParam) < 0) endEdit(true);
        else beginEdit(int(m.WParam));
        m.Result = reinterpret_cast<LRESULT>(editing_ >= 0 ? editor_->GetHandle() : nullptr);
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        break;
    default: break;
    }
    TWinControl::Dispatch(m);
}
