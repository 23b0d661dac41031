// The tab control and the page control with its sheets.
#include <algorithm>
#include <numeric>

#include "platform/gui/ComCtrls.h"

using comctrls_detail::MeasureText;

namespace
{
constexpr int kEdge = 2;        // room around the row for the selected tab's bulge
constexpr int kInset = 4;       // display area inside the frame
constexpr int kTextPad = 6;     // each side of a tab's caption
} // namespace

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TCustomControl(AOwner), tabs_(std::make_unique<TStringList>())
{
    ControlStyle = TControlStyle{csAcceptsControls, csDoubleClicks, csOpaque, csClickEvents};
    width_ = 289;
    height_ = 193;
    tabStop_ = true;
    color_ = clBtnFace;
    parentColor_ = false;
    tabs_->OnChange = [this](TObject*) { TabsChanged(); };
}

TCustomTabControl::~TCustomTabControl() { tabs_->OnChange = nullptr; }

void TCustomTabControl::TabsChanged()
{
    if (tabIndex_ >= tabs_->Count()) tabIndex_ = tabs_->Count() - 1;
    if (tabIndex_ < 0 && tabs_->Count() > 0) tabIndex_ = 0;
    layout();
}

void TCustomTabControl::SetTabIndex(int v)
{
    if (v < -1 || v >= tabs_->Count()) return;
    tabIndex_ = v;
    layout();
}

void TCustomTabControl::SetTabPosition(TTabPosition v) { tabPosition_ = v, layout(); }
void TCustomTabControl::SetMultiLine(bool v) { multiLine_ = v, layout(); }
void TCustomTabControl::SetTabHeight(int v) { tabHeight_ = std::max(0, v), layout(); }
void TCustomTabControl::SetTabWidth(int v) { tabWidth_ = std::max(0, v), layout(); }
void TCustomTabControl::SetImages(TCustomImageList* v) { images_ = v, layout(); }

int TCustomTabControl::tabThickness()
{
    if (itemH_ > 0) return itemH_;
    if (tabHeight_ > 0) return tabHeight_;
    int h = MeasureText(Font(), "").cy + 6;
    if (images_) h = std::max(h, images_->GetHeight() + 4);
    return h;
}

// Works out every tab's rectangle, the rows and whether the row scrolls.
void TCustomTabControl::layout()
{
    if (inLayout_) return;
    inLayout_ = true;
    const int n = tabs_->Count();
    const TRect cr = GetClientRect();
    const bool side = tabPosition_ == tpLeft || tabPosition_ == tpRight;
    const int h = tabThickness();
    std::vector<int> len = lengths();
    const int widest = len.empty() ? 0 : *std::max_element(len.begin(), len.end());
    // Along the row: tab lengths; across it: the row's thickness. Side tabs
    // stack in columns as wide as the widest caption, each a tab high.
    const int thick = side ? widest : h;
    if (side) std::fill(len.begin(), len.end(), h);
    const int room = (side ? cr.Height() : cr.Width()) - 2 * kEdge;
    const bool multi = multiLine_ || side;
    items_.assign(std::size_t(n), Item());
    std::vector<int> along(static_cast<std::size_t>(n));
    rows_ = 1;
    scrollNeeded_ = false;
    if (multi)
    {
        int x = 0;
        for (int i = 0; i < n; ++i)
        {
            if (x > 0 && x + len[std::size_t(i)] > room)
            {
                ++rows_;
                x = 0;
            }
            items_[std::size_t(i)].row = rows_ - 1;
            along[std::size_t(i)] = x;
            x += len[std::size_t(i)];
        }
        first_ = 0;
    }
    else
    {
        const int total = std::accumulate(len.begin(), len.end(), 0);
        scrollNeeded_ = total > room && n > 1;
        first_ = std::clamp(first_, 0, scrollNeeded_ ? HiddenTabCount() : 0);
        int x = 0;
        for (int i = 0; i < first_; ++i) x -= len[std::size_t(i)];
        for (int i = 0; i < n; ++i)
        {
            along[std::size_t(i)] = x;
            x += len[std::size_t(i)];
        }
    }
    // The selected tab's row lies next to the display area; the others keep their order.
    const int selRow = tabIndex_ >= 0 && tabIndex_ < n ? items_[std::size_t(tabIndex_)].row : rows_ - 1;
    for (int i = 0; i < n; ++i)
    {
        Item& it = items_[std::size_t(i)];
        const int slot = (it.row - selRow - 1 + 2 * rows_) % rows_;   // 0 farthest from the display area
        const int a0 = kEdge + along[std::size_t(i)], a1 = a0 + len[std::size_t(i)];
        const int c0 = kEdge + slot * thick, c1 = c0 + thick;
        switch (tabPosition_)
        {
        case tpTop: it.rect = TRect(a0, c0, a1, c1); break;
        case tpBottom: it.rect = TRect(a0, cr.Bottom - c1, a1, cr.Bottom - c0); break;
        case tpLeft: it.rect = TRect(c0, a0, c1, a1); break;
        case tpRight: it.rect = TRect(cr.Right - c1, a0, cr.Right - c0, a1); break;
        }
    }
    inLayout_ = false;
    updateScroller();
    Realign();
    Invalidate();
}

// Each tab's length along a row of tabs on top or bottom.
std::vector<int> TCustomTabControl::lengths()
{
    std::vector<int> len;
    for (int i = 0; i < tabs_->Count(); ++i)
    {
        int w = itemW_ > 0 ? itemW_ : tabWidth_ > 0 ? tabWidth_ : MeasureText(Font(), tabs_->Get(i)).cx + 2 * kTextPad;
        if (images_ && itemW_ <= 0 && tabWidth_ <= 0) w += images_->GetWidth() + 3;
        len.push_back(w);
    }
    return len;
}

// The row's length beside the arrow pair.
int TCustomTabControl::scrollRoom() { return GetClientRect().Width() - 2 * kEdge - 2 * std::min(tabThickness(), 20); }

int TCustomTabControl::HiddenTabCount()
{
    // How many tabs can scroll out at the left before the rest fits.
    const std::vector<int> len = lengths();
    const int n = int(len.size());
    if (n == 0) return 0;
    const int room = scrollRoom();
    int tail = 0, k = n;
    while (k > 0 && tail + len[std::size_t(k - 1)] <= room) tail += len[std::size_t(--k)];
    return std::min(k, n - 1);
}

void TCustomTabControl::updateScroller()
{
    const bool need = scrollNeeded_ && !multiLine_ && (tabPosition_ == tpTop || tabPosition_ == tpBottom);
    // A wrapper may have destroyed the arrow pair's window: a fresh one is made when needed.
    if (scroller_ && !scroller_->HandleAllocated() && HandleAllocated() && scrollerMade_)
    {
        delete scroller_;
        scroller_ = nullptr;
        scrollerMade_ = false;
    }
    if (!need)
    {
        if (scroller_) scroller_->SetVisible(false);
        return;
    }
    if (!scroller_)
    {
        scroller_ = new TUpDown(this);
        scroller_->SetOrientation(udHorizontal);
        scroller_->SetParent(this);
    }
    const int sh = std::min(tabThickness(), 20), sw = 2 * sh;
    const TRect cr = GetClientRect();
    scroller_->SetMin(0);
    scroller_->SetMax(HiddenTabCount());
    scroller_->SetPosition(first_);
    scroller_->SetBounds(cr.Right - sw, tabPosition_ == tpTop ? 0 : cr.Bottom - sh, sw, sh);
    scroller_->SetVisible(true);
    if (HandleAllocated())
    {
        scroller_->HandleNeeded();
        scrollerMade_ = true;
    }
}

TCustomUpDown* TCustomTabControl::Scroller()
{
    return scroller_ && scroller_->GetVisible() && scroller_->HandleAllocated() ? scroller_ : nullptr;
}

void TCustomTabControl::scrollTo(int first)
{
    first_ = std::max(0, first);
    layout();
}

TRect TCustomTabControl::TabRect(int Index)
{
    if (Index < 0 || Index >= int(items_.size())) return TRect();
    return items_[std::size_t(Index)].rect;
}

int TCustomTabControl::RowCount() { return rows_; }

// The frame around the display area: the client less the tab rows.
TRect TCustomTabControl::borderRect()
{
    TRect r = GetClientRect();
    if (tabs_->Count() == 0) return r;
    const bool side = tabPosition_ == tpLeft || tabPosition_ == tpRight;
    int across = 0;
    for (const Item& it : items_) across = std::max(across, side ? it.rect.Width() : it.rect.Height());
    const int band = kEdge + rows_ * across;
    switch (tabPosition_)
    {
    case tpTop: r.Top += band; break;
    case tpBottom: r.Bottom -= band; break;
    case tpLeft: r.Left += band; break;
    case tpRight: r.Right -= band; break;
    }
    return r;
}

TRect TCustomTabControl::DisplayRect()
{
    TRect r = borderRect();
    InflateRect(r, -kInset, -kInset);
    return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

int TCustomTabControl::IndexOfTabAt(int X, int Y)
{
    const TPoint p(X, Y);
    if (Scroller() && PtInRect(scroller_->BoundsRect(), p)) return -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].rect.Contains(p) && items_[i].rect.Right > 0) return int(i);
    return -1;
}

// ---- changes ----

bool TCustomTabControl::CanChange()
{
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change()
{
    if (OnChange) OnChange(this);
}

void TCustomTabControl::SelectByUser(int Index)
{
    if (Index < 0 || Index >= tabs_->Count()) return;
    if (Index == tabIndex_)
    {
        ensureVisible(Index);
        layout();
        return;
    }
    if (!CanChange()) return;
    tabIndex_ = Index;
    ensureVisible(Index);
    layout();
    Change();
}

// A single row scrolls a tab into view.
void TCustomTabControl::ensureVisible(int Index)
{
    if (scrollNeeded_ && !multiLine_)
    {
        const std::vector<int> len = lengths();
        const int room = scrollRoom(), most = HiddenTabCount();
        auto span = [&] { return std::accumulate(len.begin() + first_, len.begin() + Index + 1, 0); };
        if (Index < first_) first_ = Index;
        else
            while (first_ < Index && first_ < most && span() > room) ++first_;
    }
}

// ---- input ----

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (alive.expired() || Button != mbLeft) return;
    const int i = IndexOfTabAt(X, Y);
    if (i < 0) return;
    if (GetTabStop() && CanFocus() && !Focused()) SetFocus();
    if (alive.expired()) return;
    SelectByUser(i);
}

void TCustomTabControl::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int n = tabs_->Count();
    if (Key == 0 || n == 0 || Shift.Contains(ssAlt)) return;
    const bool side = tabPosition_ == tpLeft || tabPosition_ == tpRight;
    const WORD prev = side ? VK_UP : VK_LEFT, next = side ? VK_DOWN : VK_RIGHT;
    int to = -1;
    if (Key == prev) to = std::max(0, tabIndex_ - 1);
    else if (Key == next) to = std::min(n - 1, tabIndex_ + 1);
    else if (Key == VK_HOME) to = 0;
    else if (Key == VK_END) to = n - 1;
    else return;
    SelectByUser(to);
    Key = 0;
}

void TCustomTabControl::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_SIZE:
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(m);
        layout();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(m);
        Invalidate();
        return;
    case WM_HSCROLL:
        // From its own arrow pair, or from a wrapper's: the first tab to show.
        if (!m.LParam || (scroller_ && scroller_->HandleAllocated() &&
                          reinterpret_cast<HWND>(m.LParam) == scroller_->GetHandle()))
        {
            if (LOWORD(m.WParam) == SB_THUMBPOSITION) scrollTo(int(HIWORD(m.WParam)));
            m.Result = 0;
            return;
        }
        break;
    case TCM_GETITEMCOUNT:
        m.Result = tabs_->Count();
        return;
    case TCM_GETITEMRECT:
        if (!m.LParam || int(m.WParam) < 0 || int(m.WParam) >= tabs_->Count())
        {
            m.Result = FALSE;
            return;
        }
        *reinterpret_cast<TRect*>(m.LParam) = TabRect(int(m.WParam));
        m.Result = TRUE;
        return;
    case TCM_GETCURSEL:
        m.Result = tabIndex_;
        return;
    case TCM_SETCURSEL:
    {
        const int old = tabIndex_;
        const int i = int(m.WParam);
        if (i < -1 || i >= tabs_->Count())
        {
            m.Result = -1;
            return;
        }
        tabIndex_ = i;
        layout();
        m.Result = old;
        return;
    }
    case TCM_HITTEST:
    {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(m.LParam);
        const int i = info ? IndexOfTabAt(info->pt.X, info->pt.Y) : -1;
        if (info) info->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
        m.Result = i;
        return;
    }
    case TCM_SETITEMSIZE:
    {
        const LRESULT old = MAKELPARAM(itemW_, itemH_);
        itemW_ = LOWORD(std::uintptr_t(m.LParam));
        itemH_ = HIWORD(std::uintptr_t(m.LParam));
        layout();
        m.Result = old;
        return;
    }
    case TCM_ADJUSTRECT:
    {
        auto* r = reinterpret_cast<TRect*>(m.LParam);
        if (!r) return;
        // FALSE: a window rectangle becomes its display area; TRUE: the other way round.
        const TRect cr = GetClientRect(), d = DisplayRect();
        if (m.WParam)
            *r = TRect(r->Left - (d.Left - cr.Left), r->Top - (d.Top - cr.Top), r->Right + (cr.Right - d.Right),
                       r->Bottom + (cr.Bottom - d.Bottom));
        else
            *r = TRect(r->Left + (d.Left - cr.Left), r->Top + (d.Top - cr.Top), r->Right - (cr.Right - d.Right),
                       r->Bottom - (cr.Bottom - d.Bottom));
        return;
    }
    default: break;
    }
    TCustomControl::Dispatch(m);
}

// ---- painting ----

void TCustomTabControl::Paint()
{
    TCanvas* c = Canvas();
    const TRect cr = GetClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color_);
    c->FillRect(cr);
    TRect frame = borderRect();
    DrawEdge(c->GetHandle(), frame, EDGE_RAISED, BF_RECT);
    const int n = tabs_->Count();
    const TRect clip = Scroller() ? TRect(cr.Left, cr.Top, scroller_->Left(), cr.Bottom) : cr;
    auto drawTab = [&](int i) {
        TRect r = items_[std::size_t(i)].rect;
        const bool sel = i == tabIndex_;
        if (sel)
        {
            // The selected tab bulges out and joins the display area.
            InflateRect(r, 2, 2);
            switch (tabPosition_)
            {
            case tpTop: r.Bottom += 1; break;
            case tpBottom: r.Top -= 1; break;
            case tpLeft: r.Right += 1; break;
            case tpRight: r.Left -= 1; break;
            }
        }
        TRect vis;
        if (!IntersectRect(vis, r, clip)) return;
        const int saved = SaveDC(c->GetHandle());
        IntersectClipRect(c->GetHandle(), clip.Left, clip.Top, clip.Right, clip.Bottom);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(color_);
        c->FillRect(r);
        const UINT open = tabPosition_ == tpTop ? BF_BOTTOM : tabPosition_ == tpBottom ? BF_TOP
                          : tabPosition_ == tpLeft                                   ? BF_RIGHT
                                                                                     : BF_LEFT;
        TRect e = r;
        DrawEdge(c->GetHandle(), e, EDGE_RAISED, BF_RECT & ~open);
        c->Font()->Assign(Font());
        c->Brush()->SetStyle(bsClear);
        std::string text = tabs_->Get(i);
        TRect t = items_[std::size_t(i)].rect;
        if (sel) OffsetRect(t, 0, tabPosition_ == tpTop ? -1 : tabPosition_ == tpBottom ? 1 : 0);
        c->TextRect(t, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine, tfEndEllipsis});
        if (sel && Focused())
        {
            TRect f = items_[std::size_t(i)].rect;
            InflateRect(f, -3, -3);
            c->Brush()->SetStyle(bsSolid);
            c->DrawFocusRect(f);
        }
        RestoreDC(c->GetHandle(), saved);
    };
    for (int i = 0; i < n; ++i)
        if (i != tabIndex_) drawTab(i);
    if (tabIndex_ >= 0 && tabIndex_ < n) drawTab(tabIndex_);
}

// ---- sheets -----------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
    ControlStyle = TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks};
    visible_ = false;
    color_ = clBtnFace;
    align_ = alClient;
}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* v)
{
    if (v == pageControl_) return;
    if (pageControl_) pageControl_->removePage(this);
    pageControl_ = v;
    if (v)
    {
        SetParent(v);
        v->insertPage(this);
    }
}

void TTabSheet::SetTabVisible(bool v)
{
    if (v == tabVisible_) return;
    tabVisible_ = v;
    if (pageControl_) pageControl_->updateTabs();
}

int TTabSheet::GetPageIndex() const
{
    if (!pageControl_) return -1;
    const auto& p = pageControl_->pages_;
    return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int v)
{
    if (!pageControl_) return;
    auto& p = pageControl_->pages_;
    p.erase(p.begin() + GetPageIndex());
    p.insert(p.begin() + std::clamp(v, 0, int(p.size())), this);
    pageControl_->updateTabs();
}

int TTabSheet::TabIndex() const
{
    if (!pageControl_ || !tabVisible_) return -1;
    int i = 0;
    for (TTabSheet* p : pageControl_->pages_)
    {
        if (p == this) return i;
        if (p->tabVisible_) ++i;
    }
    return -1;
}

void TTabSheet::CMTextChanged(TMessage& m)
{
    TWinControl::CMTextChanged(m);
    if (pageControl_) pageControl_->updateTabs();
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    active_ = nullptr;
}

void TPageControl::insertPage(TTabSheet* p)
{
    pages_.push_back(p);
    updateTabs();
    if (!active_) SetActivePage(p);
}

void TPageControl::removePage(TTabSheet* p)
{
    const auto it = std::find(pages_.begin(), pages_.end(), p);
    if (it == pages_.end()) return;
    TTabSheet* next = active_ == p ? FindNextPage(p, true, true) : active_;
    pages_.erase(it);
    if (active_ == p)
    {
        active_ = nullptr;
        SetActivePage(next == p ? nullptr : next);
    }
    updateTabs();
}

void TPageControl::updateTabs()
{
    Tabs()->BeginUpdate();
    Tabs()->Clear();
    for (TTabSheet* p : pages_)
        if (p->tabVisible_) Tabs()->Add(p->GetText());
    Tabs()->EndUpdate();
    SetTabIndex(active_ ? active_->TabIndex() : -1);
}

TTabSheet* TPageControl::pageOfTab(int tab) const
{
    int i = 0;
    for (TTabSheet* p : pages_)
        if (p->tabVisible_ && i++ == tab) return p;
    return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* v)
{
    if (v && v->pageControl_ != this) return;
    if (v == active_)
    {
        SetTabIndex(v ? v->TabIndex() : -1);
        return;
    }
    showPage(v);
    SetTabIndex(v ? v->TabIndex() : -1);
}

int TPageControl::GetActivePageIndex() const { return active_ ? active_->GetPageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v)
{
    SetActivePage(v >= 0 && v < PageCount() ? pages_[std::size_t(v)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible)
{
    const int n = PageCount();
    if (n == 0) return nullptr;
    int i = CurPage ? CurPage->GetPageIndex() : (GoForward ? n - 1 : 0);
    for (int k = 0; k < n; ++k)
    {
        i = (i + (GoForward ? 1 : n - 1)) % n;
        TTabSheet* p = pages_[std::size_t(i)];
        if (!CheckTabVisible || p->tabVisible_) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible)
{
    TTabSheet* p = FindNextPage(active_, GoForward, CheckTabVisible);
    if (!p || p == active_) return;
    if (p->TabIndex() >= 0) SelectByUser(p->TabIndex());
}

void TPageControl::Change()
{
    // The user picked a tab: its page comes up, then OnChange.
    TTabSheet* p = pageOfTab(GetTabIndex());
    if (p && p != active_) showPage(p);
    TCustomTabControl::Change();
}

// Shows p instead of the active page. The focus, when it was on the page
// going away, moves to the new page's first control, else to the tabs.
void TPageControl::showPage(TTabSheet* p)
{
    TTabSheet* old = active_;
    const bool hadFocus = old && old->HandleAllocated() && IsChild(old->GetHandle(), GetFocus());
    active_ = p;
    if (p)
    {
        p->BringToFront();
        p->SetVisible(true);
    }
    if (hadFocus && p)
    {
        p->SelectFirst();
        if (!p->HandleAllocated() || !IsChild(p->GetHandle(), GetFocus()))
            if (CanFocus()) SetFocus();
    }
    if (old) old->SetVisible(false);
}

void TPageControl::Dispatch(TMessage& m)
{
    if (m.Msg == CM_DIALOGKEY && m.WParam == WPARAM(VK_TAB) && GetKeyState(VK_CONTROL) < 0 && HandleAllocated() &&
        (Focused() || IsChild(GetHandle(), GetFocus())))
    {
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        m.Result = 1;
        return;
    }
    TCustomTabControl::Dispatch(m);
}
