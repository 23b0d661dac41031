// The tree view.
#include <algorithm>

#include "platform/core/Utf8.h"
#include "platform/gui/ComCtrls.h"

using comctrls_detail::MeasureText;
using comctrls_detail::RowHeightFor;
using comctrls_detail::StartsWithNoCase;

namespace
{
constexpr int kTextPad = 2;
constexpr int kButton = 9;     // the +/- box
} // namespace

// ---- nodes ------------------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}
TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return owner_->view_; }

void TTreeNode::SetText(const std::string& v)
{
    if (text_ == v) return;
    text_ = v;
    TreeView()->changed();
}

void TTreeNode::SetHasChildren(bool v)
{
    hasChildren_ = v;
    TreeView()->changed();
}

void TTreeNode::SetExpanded(bool v) { TreeView()->expand(this, v); }

void TTreeNode::Expand(bool Recurse)
{
    TreeView()->expand(this, true);
    if (Recurse)
        for (std::size_t i = 0; i < children_.size(); ++i) children_[i]->Expand(true);
}

void TTreeNode::Collapse(bool Recurse)
{
    if (Recurse)
        for (auto& c : children_) c->Collapse(true);
    TreeView()->expand(this, false);
}

int TTreeNode::Index() const
{
    if (!parent_) return -1;
    for (std::size_t i = 0; i < parent_->children_.size(); ++i)
        if (parent_->children_[i].get() == this) return int(i);
    return -1;
}

int TTreeNode::Level() const
{
    int l = 0;
    for (TTreeNode* p = parent_; p && p->parent_; p = p->parent_) ++l;
    return l;
}

TTreeNode* TTreeNode::GetNextSibling() const
{
    if (!parent_) return nullptr;
    const int i = Index();
    return i + 1 < parent_->Count() ? parent_->Item(i + 1) : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const
{
    if (!parent_) return nullptr;
    const int i = Index();
    return i > 0 ? parent_->Item(i - 1) : nullptr;
}

TTreeNode* TTreeNode::GetNext() const
{
    if (!children_.empty()) return children_.front().get();
    for (const TTreeNode* n = this; n && n->parent_; n = n->parent_)
        if (TTreeNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

bool TTreeNode::GetSelected() const { return TreeView()->selected_ == this; }

void TTreeNode::SetSelected(bool v)
{
    if (v) TreeView()->select(this, false);
    else if (GetSelected()) TreeView()->select(nullptr, false);
}

bool TTreeNode::IsVisible() const
{
    for (TTreeNode* p = parent_; p && p->parent_; p = p->parent_)
        if (!p->expanded_) return false;
    return true;
}

void TTreeNode::MakeVisible() { TreeView()->makeVisible(this); }

bool TTreeNode::EditText()
{
    TreeView()->beginEdit(this);
    return TreeView()->IsEditing();
}

TRect TTreeNode::DisplayRect(bool TextOnly) const
{
    TCustomTreeView* v = TreeView();
    if (!IsVisible()) return TRect();
    if (TextOnly) return v->textRect(this);
    const int row = v->rowOf(this) - v->top_;
    const int h = v->RowHeight();
    return TRect(0, row * h, v->GetClientRect().Right, (row + 1) * h);
}

bool TTreeNode::AlphaSort(bool Recurse)
{
    TCustomTreeView* v = TreeView();
    v->sortChildren(this, [v](TTreeNode* a, TTreeNode* b) {
        if (v->OnCompare)
        {
            int c = 0;
            v->OnCompare(v, a, b, 0, c);
            return c;
        }
        return AnsiCompareText(a->text_, b->text_);
    }, Recurse);
    return true;
}

bool TTreeNode::CustomSort(std::function<int(TTreeNode*, TTreeNode*, std::intptr_t)> SortProc, std::intptr_t Data,
                           bool Recurse)
{
    if (!SortProc) return AlphaSort(Recurse);
    TreeView()->sortChildren(this, [&](TTreeNode* a, TTreeNode* b) { return SortProc(a, b, Data); }, Recurse);
    return true;
}

void TTreeNode::Delete() { owner_->Delete(this); }

void TTreeNode::DeleteChildren()
{
    while (!children_.empty()) owner_->Delete(children_.back().get());
    hasChildren_ = false;
    TreeView()->changed();
}

TTreeNodes::TTreeNodes(TCustomTreeView* view) : view_(view), root_(std::make_unique<TTreeNode>(this, nullptr))
{
    root_->expanded_ = true;
}

TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::insertAt(TTreeNode* parent, int index, const std::string& S)
{
    if (!parent) parent = root_.get();
    index = std::clamp(index, 0, parent->Count());
    parent->children_.insert(parent->children_.begin() + index, std::make_unique<TTreeNode>(this, parent));
    TTreeNode* n = parent->children_[std::size_t(index)].get();
    n->text_ = S;
    view_->changed();
    return n;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S)
{
    TTreeNode* p = Sibling ? Sibling->parent_ : root_.get();
    return insertAt(p, p->Count(), S);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S)
{
    return insertAt(Sibling ? Sibling->parent_ : root_.get(), 0, S);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S)
{
    TTreeNode* p = Parent ? Parent : root_.get();
    return insertAt(p, p->Count(), S);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) { return insertAt(Parent, 0, S); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr)
{
    TTreeNode* n = AddChild(Parent, S);
    n->Data = Ptr;
    return n;
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S)
{
    if (!Sibling) return Add(nullptr, S);
    return insertAt(Sibling->parent_, Sibling->Index(), S);
}

void TTreeNodes::Delete(TTreeNode* Node)
{
    if (!Node || Node == root_.get() || !Node->parent_) return;
    view_->nodeDeleting(Node);
    TTreeNode* parent = Node->parent_;
    const int i = Node->Index();
    parent->children_.erase(parent->children_.begin() + i);
    if (parent != root_.get() && parent->children_.empty()) parent->expanded_ = false;
    view_->changed();
}

void TTreeNodes::Clear()
{
    BeginUpdate();
    while (root_->Count() > 0) Delete(root_->GetLastChild());
    EndUpdate();
}

// Both walk the children's lists directly: stepping with GetNext looks up
// each node's place among its siblings, which made them quadratic.
int TTreeNodes::Count() const
{
    int n = 0;
    std::vector<const TTreeNode*> stack{root_.get()};
    while (!stack.empty())
    {
        const TTreeNode* p = stack.back();
        stack.pop_back();
        n += p->Count();
        for (const auto& c : p->children_)
            if (!c->children_.empty()) stack.push_back(c.get());
    }
    return n;
}

TTreeNode* TTreeNodes::Item(int Index) const
{
    if (Index < 0) return nullptr;
    // Depth first, children before the next sibling: the whole tree's order.
    std::vector<TTreeNode*> stack;
    for (auto it = root_->children_.rbegin(); it != root_->children_.rend(); ++it) stack.push_back(it->get());
    for (int i = 0; !stack.empty(); ++i)
    {
        TTreeNode* p = stack.back();
        if (i == Index) return p;
        stack.pop_back();
        for (auto it = p->children_.rbegin(); it != p->children_.rend(); ++it) stack.push_back(it->get());
    }
    return nullptr;
}

void TTreeNodes::BeginUpdate() { ++update_; }

void TTreeNodes::EndUpdate()
{
    if (update_ > 0 && --update_ == 0) view_->changed();
}

// ---- the view ---------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), items_(this), canvas_(std::make_unique<TControlCanvas>(this))
{
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    width_ = 121;
    height_ = 97;
    tabStop_ = true;
    color_ = clWindow;
    parentColor_ = false;
    brush_->SetColor(color_);
}

TCustomTreeView::~TCustomTreeView()
{
    canvas_->FreeHandle();
    editing_ = nullptr;
    // The nodes go without events: the view is going.
    OnDeletion = nullptr;
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TCustomTreeView::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    updateScrollBars();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomTreeView::SetShowLines(bool v) { showLines_ = v, changed(); }
void TCustomTreeView::SetShowRoot(bool v) { showRoot_ = v, changed(); }
void TCustomTreeView::SetShowButtons(bool v) { showButtons_ = v, changed(); }
void TCustomTreeView::SetIndent(int v) { indent_ = std::max(1, v), changed(); }
void TCustomTreeView::SetImages(TCustomImageList* v) { images_ = v, changed(); }

int TCustomTreeView::RowHeight()
{
    if (fontH_ == 0) fontH_ = MeasureText(Font(), "").cy;
    int h = RowHeightFor(fontH_);
    if (images_) h = std::max(h, images_->GetHeight() + 1);
    return h;
}

int TCustomTreeView::textWidth(const std::string& s)
{
    TFont* font = Font();
    if (!widthFont_ || !widthFont_->SameAs(*font) || widthFont_->GetPixelsPerInch() != font->GetPixelsPerInch())
    {
        widths_.clear();
        if (!widthFont_) widthFont_ = std::make_unique<TFont>();
        widthFont_->Assign(font);
        widthFont_->SetPixelsPerInch(font->GetPixelsPerInch());
    }
    // Bounded: texts that came and went are forgotten now and then.
    if (widths_.size() > 65536) widths_.clear();
    const auto it = widths_.find(s);
    if (it != widths_.end()) return it->second;
    const int w = MeasureText(font, s).cx;
    widths_.emplace(s, w);
    return w;
}

const std::vector<TTreeNode*>& TCustomTreeView::rows()
{
    if (!rowsDirty_) return rows_;
    rows_.clear();
    // Depth first, into expanded nodes only.
    std::vector<TTreeNode*> stack;
    TTreeNode* root = items_.root_.get();
    for (int i = root->Count() - 1; i >= 0; --i) stack.push_back(root->Item(i));
    while (!stack.empty())
    {
        TTreeNode* n = stack.back();
        stack.pop_back();
        rows_.push_back(n);
        if (n->expanded_)
            for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Item(i));
    }
    rowsDirty_ = false;
    return rows_;
}

int TCustomTreeView::rowOf(const TTreeNode* n)
{
    const auto& r = rows();
    const auto it = std::find(r.begin(), r.end(), n);
    return it == r.end() ? -1 : int(it - r.begin());
}

void TCustomTreeView::changed()
{
    rowsDirty_ = true;
    if (items_.update_ > 0) return;
    updateScrollBars();
    Invalidate();
}

int TCustomTreeView::VisibleCount() { return std::max(0, GetClientRect().Height() / RowHeight()); }

int TCustomTreeView::levelX(const TTreeNode* n) { return (n->Level() + (showRoot_ ? 1 : 0)) * indent_ - hpos_; }

TRect TCustomTreeView::textRect(const TTreeNode* n)
{
    const int row = rowOf(n);
    if (row < 0) return TRect();
    const int h = RowHeight();
    int x = levelX(n) + 2;
    if (images_) x += images_->GetWidth() + 2;
    const int y = (row - top_) * h;
    return TRect(x, y, x + textWidth(n->text_) + 2 * kTextPad, y + h);
}

// ---- scrolling ----

void TCustomTreeView::updateScrollBars()
{
    if (!HandleAllocated() || inScrollUpdate_ || items_.update_ > 0) return;
    inScrollUpdate_ = true;
    for (int pass = 0; pass < 2; ++pass)
    {
        const auto& r = rows();
        const int n = int(r.size()), page = std::max(1, VisibleCount());
        top_ = std::clamp(top_, 0, std::max(0, n - page));
        SCROLLINFO v;
        v.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        v.nMin = 0, v.nMax = std::max(0, n - 1), v.nPage = UINT(page), v.nPos = top_;
        SetScrollInfo(handle_, SB_VERT, &v, TRUE);
        int widest = 0;
        for (TTreeNode* node : r)
            widest = std::max(widest, levelX(node) + hpos_ + 2 + (images_ ? images_->GetWidth() + 2 : 0) +
                                          textWidth(node->text_) + 2 * kTextPad);
        const int cw = GetClientRect().Width();
        hpos_ = std::clamp(hpos_, 0, std::max(0, widest - cw));
        SCROLLINFO h;
        h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        h.nMin = 0, h.nMax = std::max(0, widest - 1), h.nPage = UINT(std::max(1, cw)), h.nPos = hpos_;
        SetScrollInfo(handle_, SB_HORZ, &h, TRUE);
        ShowScrollBar(handle_, SB_VERT, n > page);
        ShowScrollBar(handle_, SB_HORZ, widest > cw);
    }
    inScrollUpdate_ = false;
}

void TCustomTreeView::scrollTo(int bar, int pos)
{
    if (bar == SB_VERT) top_ = std::clamp(pos, 0, std::max(0, int(rows().size()) - std::max(1, VisibleCount())));
    else hpos_ = std::max(0, pos);
    if (editing_) endEdit(true);
    updateScrollBars();
    Invalidate();
}

void TCustomTreeView::scrollCommand(int bar, WORD code, int pos)
{
    int to = 0;
    if (ScrollCommandTarget(handle_, bar, code, pos, bar == SB_VERT ? 1 : std::max(1, indent_), 0, to))
        scrollTo(bar, to);
}

TTreeNode* TCustomTreeView::GetTopItem()
{
    const auto& r = rows();
    return top_ < int(r.size()) ? r[std::size_t(top_)] : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* v)
{
    const int row = rowOf(v);
    if (row >= 0) scrollTo(SB_VERT, row);
}

void TCustomTreeView::makeVisible(TTreeNode* n)
{
    if (!n) return;
    for (TTreeNode* p = n->parent_; p && p->parent_; p = p->parent_)
        if (!p->expanded_) expand(p, true);
    const int row = rowOf(n);
    if (row < 0) return;
    const int page = std::max(1, VisibleCount());
    if (row < top_) scrollTo(SB_VERT, row);
    else if (row >= top_ + page) scrollTo(SB_VERT, row - page + 1);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y)
{
    (void)X;
    if (Y < 0 || Y >= GetClientRect().Height()) return nullptr;
    const auto& r = rows();
    const int row = top_ + Y / RowHeight();
    return row < int(r.size()) ? r[std::size_t(row)] : nullptr;
}

// ---- expanding and selecting ----

bool TCustomTreeView::CanExpand(TTreeNode* Node)
{
    bool allow = true;
    if (OnExpanding) OnExpanding(this, Node, allow);
    return allow;
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node)
{
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, Node, allow);
    return allow;
}

bool TCustomTreeView::CanChange(TTreeNode* Node)
{
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

bool TCustomTreeView::expand(TTreeNode* n, bool v)
{
    if (!n || n->expanded_ == v) return false;
    if (v)
    {
        if (!n->GetHasChildren()) return false;
        // The handler may add the children now, or refuse.
        if (!CanExpand(n)) return false;
        if (n->children_.empty())
        {
            n->hasChildren_ = false;   // nothing came: the button goes
            changed();
            return false;
        }
        n->expanded_ = true;
        changed();
        if (OnExpanded) OnExpanded(this, n);
        return true;
    }
    if (!CanCollapse(n)) return false;
    n->expanded_ = false;
    // A selection inside the collapsed branch moves up to it.
    for (TTreeNode* p = selected_ ? selected_->parent_ : nullptr; p; p = p->parent_)
        if (p == n)
        {
            select(n, true);
            break;
        }
    changed();
    if (OnCollapsed) OnCollapsed(this, n);
    return true;
}

void TCustomTreeView::select(TTreeNode* n, bool user)
{
    (void)user;
    if (n == selected_) return;
    if (!CanChange(n)) return;
    selected_ = n;
    makeVisible(n);
    Invalidate();
    Change(n);
}

void TCustomTreeView::Change(TTreeNode* Node)
{
    if (OnChange) OnChange(this, Node);
}

void TCustomTreeView::SetSelected(TTreeNode* v) { select(v, false); }

void TCustomTreeView::FullExpand()
{
    for (TTreeNode* n = items_.GetFirstNode(); n; n = n->GetNextSibling()) n->Expand(true);
}

void TCustomTreeView::FullCollapse()
{
    for (TTreeNode* n = items_.GetFirstNode(); n; n = n->GetNextSibling()) n->Collapse(true);
}

void TCustomTreeView::nodeDeleting(TTreeNode* n)
{
    for (auto& c : n->children_) nodeDeleting(c.get());
    if (editing_ == n) endEdit(false);
    if (OnDeletion) OnDeletion(this, n);
    if (selected_ == n)
    {
        // The selection goes to a neighbour, else the parent.
        TTreeNode* next = n->GetNextSibling() ? n->GetNextSibling() : n->GetPrevSibling();
        if (!next && n->parent_ && n->parent_->parent_) next = n->parent_;
        selected_ = nullptr;
        if (next && next->parent_ != nullptr) select(next, false);
        else Change(nullptr);
    }
}

// ---- sorting ----

void TCustomTreeView::sortChildren(TTreeNode* parent, const std::function<int(TTreeNode*, TTreeNode*)>& cmp,
                                   bool recurse)
{
    if (!parent) parent = items_.root_.get();
    std::stable_sort(parent->children_.begin(), parent->children_.end(),
                     [&](const auto& a, const auto& b) { return cmp(a.get(), b.get()) < 0; });
    if (recurse)
        for (auto& c : parent->children_) sortChildren(c.get(), cmp, true);
    changed();
}

bool TCustomTreeView::AlphaSort(bool Recurse) { return items_.root_->AlphaSort(Recurse); }

bool TCustomTreeView::CustomSort(std::function<int(TTreeNode*, TTreeNode*, std::intptr_t)> SortProc,
                                 std::intptr_t Data, bool Recurse)
{
    return items_.root_->CustomSort(std::move(SortProc), Data, Recurse);
}

// ---- editing ----

void TCustomTreeView::beginEdit(TTreeNode* n)
{
    if (editing_) endEdit(true);
    if (!n || ReadOnly) return;
    bool allow = true;
    if (OnEditing) OnEditing(this, n, allow);
    if (!allow) return;
    HandleNeeded();
    if (!editor_)
        editor_ = comctrls_detail::MakeLabelEditor(
            this, [this] { return editing_ != nullptr; }, [this](bool commit) { endEdit(commit); });
    makeVisible(n);
    TRect r = textRect(n);
    r.Right = std::max(r.Right + 20, r.Left + 60);
    editing_ = n;
    comctrls_detail::ShowLabelEditor(editor_, r, n->text_);
}

void TCustomTreeView::endEdit(bool commit)
{
    TTreeNode* n = editing_;
    if (!n) return;
    editing_ = nullptr;
    std::string s = comctrls_detail::HideLabelEditor(editor_, this);
    if (!commit) return;   // cancelled: the text stays and OnEdited does not fire
    if (OnEdited) OnEdited(this, n, s);
    n->SetText(s);
}

// ---- painting ----

void TCustomTreeView::PaintWindow(HDC dc)
{
    TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
    TCanvas* c = canvas_.get();
    const TRect cr = GetClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color_);
    c->FillRect(cr);
    const auto& r = rows();
    const int h = RowHeight();
    for (int row = top_; row < int(r.size()) && (row - top_) * h < cr.Bottom; ++row)
    {
        TTreeNode* n = r[std::size_t(row)];
        const int y = (row - top_) * h, cy = y + h / 2;
        const int x = levelX(n);
        // Lines: from the parent's column down to this row, and across to it.
        if (showLines_ && (n->Level() > 0 || showRoot_))
        {
            c->Pen()->SetColor(clGrayText);
            c->Pen()->SetStyle(psDot);
            const int lx = x - indent_ / 2;
            c->MoveTo(lx, cy);
            c->LineTo(x, cy);
            c->MoveTo(lx, (n->GetPrevSibling() || n->Level() > 0) ? y : cy);
            c->LineTo(lx, n->GetNextSibling() ? y + h : cy);
            // The ancestors' lines that pass by.
            int ax = lx - indent_;
            for (TTreeNode* p = n->parent_; p && p->parent_; p = p->parent_, ax -= indent_)
                if (p->GetNextSibling() && (p->Level() > 0 || showRoot_))
                {
                    c->MoveTo(ax, y);
                    c->LineTo(ax, y + h);
                }
            c->Pen()->SetStyle(psSolid);
        }
        if (showButtons_ && n->GetHasChildren() && (n->Level() > 0 || showRoot_))
        {
            const int bx = x - indent_ / 2 - kButton / 2, by = cy - kButton / 2;
            const TRect box = Bounds(bx, by, kButton, kButton);
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(clWindow);
            c->Pen()->SetColor(clGrayText);
            c->Rectangle(box);
            c->Pen()->SetColor(clWindowText);
            c->MoveTo(bx + 2, cy);
            c->LineTo(bx + kButton - 2, cy);
            if (!n->expanded_)
            {
                c->MoveTo(bx + kButton / 2, by + 2);
                c->LineTo(bx + kButton / 2, by + kButton - 2);
            }
        }
        int tx = x + 2;
        if (images_)
        {
            const int img = n == selected_ && n->SelectedIndex >= 0 ? n->SelectedIndex : n->ImageIndex;
            if (img >= 0 && img < images_->Count())
                images_->Draw(c, tx, y + (h - images_->GetHeight()) / 2, img, GetEnabled());
            tx += images_->GetWidth() + 2;
        }
        const TRect tr(tx, y, tx + textWidth(n->text_) + 2 * kTextPad, y + h);
        const bool sel = n == selected_ && (Focused() || !HideSelection || editing_);
        c->Font()->Assign(Font());
        if (sel)
        {
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(Focused() ? SelectionColors.Focused : SelectionColors.Unfocused);
            c->FillRect(tr);
            c->Font()->SetColor(Focused() ? SelectionColors.FocusedText : SelectionColors.UnfocusedText);
        }
        if (!GetEnabled()) c->Font()->SetColor(clGrayText);
        c->Brush()->SetStyle(bsClear);
        const int th = c->TextHeight("Wg");
        c->TextOut(tr.Left + kTextPad, y + (h - th) / 2, n->text_);
        if (n == selected_ && Focused())
        {
            c->Brush()->SetStyle(bsSolid);
            c->DrawFocusRect(tr);
        }
    }
}

// ---- input ----

void TCustomTreeView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (CanFocus() && !Focused() && !editing_)
    {
        SetFocus();
        if (alive.expired()) return;
    }
    if (editing_) endEdit(true);
    TTreeNode* n = GetNodeAt(X, Y);
    if (n && Button == mbLeft)
    {
        const int x = levelX(n);
        const bool onButton = showButtons_ && n->GetHasChildren() && X >= x - indent_ && X < x;
        if (onButton || Shift.Contains(ssDouble)) expand(n, !n->expanded_);
        if (!onButton) select(n, true);
    }
    else if (n && Button == mbRight && RightClickSelect) select(n, true);
    if (alive.expired()) return;
    TWinControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomTreeView::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    scrollTo(SB_VERT, top_ - 3 * WheelDelta / WHEEL_DELTA);
    return true;
}

void TCustomTreeView::KeyDown(WORD& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0 || Shift.Contains(ssAlt)) return;
    const auto& r = rows();
    if (r.empty()) return;
    const int cur = selected_ ? rowOf(selected_) : -1;
    const int page = std::max(1, VisibleCount() - 1);
    auto go = [&](int row) { select(r[std::size_t(std::clamp(row, 0, int(r.size()) - 1))], true); };
    switch (Key)
    {
    case VK_UP: go(cur < 0 ? 0 : cur - 1); break;
    case VK_DOWN: go(cur < 0 ? 0 : cur + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(int(r.size()) - 1); break;
    case VK_PRIOR: go(cur - page); break;
    case VK_NEXT: go(cur < 0 ? page : cur + page); break;
    case VK_LEFT:
        if (!selected_) go(0);
        else if (selected_->expanded_) expand(selected_, false);
        else if (selected_->parent_ && selected_->parent_->parent_) select(selected_->parent_, true);
        break;
    case VK_RIGHT:
        if (!selected_) go(0);
        else if (!selected_->expanded_) expand(selected_, true);
        else if (selected_->GetFirstChild()) select(selected_->GetFirstChild(), true);
        break;
    case VK_ADD:
        if (selected_) expand(selected_, true);
        break;
    case VK_SUBTRACT:
        if (selected_) expand(selected_, false);
        break;
    case VK_MULTIPLY:
        if (selected_) selected_->Expand(true);
        break;
    case VK_F2:
        if (selected_) beginEdit(selected_);
        break;
    default: return;
    }
    Key = 0;
}

void TCustomTreeView::KeyPress(char32_t& Key)
{
    TWinControl::KeyPress(Key);
    if (Key < 32 || Key == 127 || Key == '+' || Key == '-' || Key == '*') return;
    bool single = false;
    const std::string prefix = typeAhead_.Add(Key, single);
    const auto& r = rows();
    const int n = int(r.size());
    const int cur = selected_ ? rowOf(selected_) : -1;
    const int start = cur < 0 ? 0 : single ? cur + 1 : cur;
    for (int k = 0; k < n; ++k)
    {
        TTreeNode* node = r[std::size_t((start + k) % n)];
        if (StartsWithNoCase(node->text_, prefix))
        {
            select(node, true);
            break;
        }
    }
    Key = 0;
}

void TCustomTreeView::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SIZE:
        TWinControl::Dispatch(m);
        updateScrollBars();
        return;
    case CM_FONTCHANGED:
        fontH_ = 0;
        TWinControl::Dispatch(m);
        changed();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
        TWinControl::Dispatch(m);
        Invalidate();
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
        scrollCommand(m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
    case TVM_GETCOUNT:
        m.Result = items_.Count();
        return;
    case TVM_GETVISIBLECOUNT:
        m.Result = VisibleCount();
        return;
    case TVM_SETIMAGELIST:
    {
        TCustomImageList* old = nullptr;
        auto* list = reinterpret_cast<TCustomImageList*>(m.LParam);
        if (m.WParam == TVSIL_NORMAL) old = images_, SetImages(list);
        else if (m.WParam == TVSIL_STATE) old = StateImages, StateImages = list;
        m.Result = reinterpret_cast<LRESULT>(old);
        return;
    }
    default: break;
    }
    TWinControl::Dispatch(m);
}
