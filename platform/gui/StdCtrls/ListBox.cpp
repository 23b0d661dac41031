// TCustomListBox (TListBox): the plain list box, and the list of lines behind it.
#include "platform/gui/StdCtrls/Internal.h"

#include <algorithm>

#include "platform/core/Utf8.h"

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

bool TCustomListBox::ScrollBarShown() { return Count() > VisibleRows(); }

int TCustomListBox::maxTop() { return std::max(0, Count() - VisibleRows()); }

void TCustomListBox::scrollTo(int top)
{
    top = std::clamp(top, 0, maxTop());
    if (top == topIndex_) return;
    topIndex_ = top;
    Invalidate();
}

void TCustomListBox::SetTopIndex(int v) { scrollTo(v); }

void TCustomListBox::MakeVisible(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    const int rows = VisibleRows();
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

void TCustomListBox::Clear()
{
    items_.clear();
    itemIndex_ = -1;
    topIndex_ = 0;
    ItemsChanged();
}

int TCustomListBox::AddItem(const std::string& S, TObject* AObject)
{
    InsertItem(Count(), S, AObject);
    return Count() - 1;
}

void TCustomListBox::InsertItem(int Index, const std::string& S, TObject* AObject)
{
    Index = std::clamp(Index, 0, Count());
    items_.insert(items_.begin() + Index, Item{S, AObject});
    if (itemIndex_ >= Index) ++itemIndex_;
    ItemsChanged();
}

void TCustomListBox::DeleteItem(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    items_.erase(items_.begin() + Index);
    if (itemIndex_ == Index) itemIndex_ = -1;
    else if (itemIndex_ > Index) --itemIndex_;
    ItemsChanged();
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
    Invalidate();
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing)
{
    TRect area = GetClientRect();
    if (ScrollBarShown()) area.Right -= scrollBarWidth();
    if (area.Contains(Pos))
    {
        const int i = topIndex_ + Pos.Y / GetItemHeight();
        if (i < Count()) return i;
    }
    return Existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int Index)
{
    const int h = GetItemHeight();
    int w = GetClientRect().Width();
    if (ScrollBarShown()) w -= scrollBarWidth();
    return Bounds(0, (Index - topIndex_) * h, std::max(0, w), h);
}

TCustomListBox::ScrollParts TCustomListBox::scrollParts()
{
    ScrollParts p;
    const TRect cr = GetClientRect();
    const int w = scrollBarWidth();
    p.bar = TRect(cr.Right - w, cr.Top, cr.Right, cr.Bottom);
    const int arrow = std::min(w, cr.Height() / 2);
    p.up = TRect(p.bar.Left, p.bar.Top, p.bar.Right, p.bar.Top + arrow);
    p.down = TRect(p.bar.Left, p.bar.Bottom - arrow, p.bar.Right, p.bar.Bottom);
    p.track = TRect(p.bar.Left, p.up.Bottom, p.bar.Right, p.down.Top);
    const int n = std::max(1, Count()), rows = VisibleRows(), range = maxTop();
    const int th = std::min(p.track.Height(), std::max(8, p.track.Height() * rows / n));
    const int room = p.track.Height() - th;
    const int tt = p.track.Top + (range > 0 ? room * topIndex_ / range : 0);
    p.thumb = TRect(p.bar.Left, tt, p.bar.Right, tt + th);
    return p;
}

void TCustomListBox::PaintWindow(HDC dc)
{
    TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
    TCanvas* c = canvas_.get();
    const TRect cr = GetClientRect();
    const int h = GetItemHeight();
    const bool bar = ScrollBarShown();
    const int caret = itemIndex_ >= 0 ? itemIndex_ : 0;
    int y = 0;
    for (int i = topIndex_; i < Count() && y < cr.Height(); ++i, y += h)
    {
        TOwnerDrawState st;
        if (i == itemIndex_) st.Include(odSelected);
        if (i == caret && Focused()) st.Include(odFocused);
        if (!enabled_) st.Include(odDisabled);
        c->Font()->Assign(Font());
        c->Brush()->SetStyle(bsSolid);
        if (st.Contains(odSelected))
        {
            c->Brush()->SetColor(clHighlight);
            c->Font()->SetColor(clHighlightText);
        }
        else c->Brush()->SetColor(color_);
        if (!enabled_) c->Font()->SetColor(clGrayText);
        const TRect r = ItemRect(i);
        DrawItem(i, r, st);
        if (st.Contains(odFocused))
        {
            c->Brush()->SetStyle(bsSolid);
            c->DrawFocusRect(r);
        }
    }
    TRect rest = cr;
    rest.Top = std::min(cr.Bottom, y);
    if (bar) rest.Right -= scrollBarWidth();
    if (!rest.IsEmpty())
    {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(color_);
        c->FillRect(rest);
    }
    if (bar)
    {
        const ScrollParts p = scrollParts();
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clScrollBar);
        c->FillRect(p.track);
        drawButtonFace(c, p.up, false);
        drawButtonFace(c, p.down, false);
        drawArrow(c, p.up, true, enabled_ ? clBtnText : clGrayText);
        drawArrow(c, p.down, false, enabled_ ? clBtnText : clGrayText);
        if (maxTop() > 0) drawButtonFace(c, p.thumb, false);
    }
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
    const int page = std::max(1, VisibleRows() - 1);
    const int cur = itemIndex_;
    int to;
    switch (Key)
    {
    case VK_UP: to = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: to = cur < 0 ? 0 : cur + 1; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    case VK_PRIOR: to = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: to = cur < 0 ? 0 : cur + page; break;
    default: return false;
    }
    if (n == 0) return true;
    to = std::clamp(to, 0, n - 1);
    if (user) SelectByUser(to);
    else SetItemIndex(to);
    return true;
}

void TCustomListBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0 || Shift.Contains(ssAlt)) return;
    if (NavigateKey(Key, true)) Key = 0;
}

void TCustomListBox::KeyPress(char32_t& Key)
{
    TWinControl::KeyPress(Key);
    if (Key < 32 || Key == 127) return;
    const int i = FindItemPrefix(Utf8Encode(Key), itemIndex_);
    if (i >= 0) SelectByUser(i);
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
    if (ScrollBarShown() && scrollParts().bar.Contains(p))
    {
        const ScrollParts sp = scrollParts();
        const int page = std::max(1, VisibleRows() - 1);
        drag_ = Drag::Bar;
        if (sp.up.Contains(p)) scrollTo(topIndex_ - 1);
        else if (sp.down.Contains(p)) scrollTo(topIndex_ + 1);
        else if (sp.thumb.Contains(p))
        {
            drag_ = Drag::Thumb;
            thumbGrab_ = Y - sp.thumb.Top;
        }
        else if (Y < sp.thumb.Top) scrollTo(topIndex_ - page);
        else scrollTo(topIndex_ + page);
        return;
    }
    drag_ = Drag::Select;
    const int i = ItemAtPos(p, true);
    if (i >= 0) SelectByUser(i);
    if (alive.expired()) return;
    if (Shift.Contains(ssDouble)) DblClick();
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TWinControl::MouseMove(Shift, X, Y);
    if (!ControlState.Contains(csLButtonDown)) return;
    if (drag_ == Drag::Thumb)
    {
        const ScrollParts sp = scrollParts();
        const int room = sp.track.Height() - sp.thumb.Height();
        if (room <= 0) return;
        const int pos = std::clamp(Y - thumbGrab_ - sp.track.Top, 0, room);
        scrollTo((pos * maxTop() + room / 2) / room);
    }
    else if (drag_ == Drag::Select && Count() > 0)
    {
        // Dragging past an edge scrolls one line at a time.
        const int h = GetItemHeight();
        int i = Y < 0 ? topIndex_ - 1
                : Y >= GetClientRect().Height() ? topIndex_ + VisibleRows()
                : topIndex_ + Y / h;
        i = std::clamp(i, 0, Count() - 1);
        SelectByUser(i);
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
    scrollTo(topIndex_ - WheelDelta * 3 / 120);
    return true;
}

void TCustomListBox::Dispatch(TMessage& m)
{
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
    default: break;
    }
    TWinControl::Dispatch(m);
}
