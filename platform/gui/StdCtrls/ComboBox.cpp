// TComboBox: the drop-down list combo box and its list.
#include "platform/gui/StdCtrls/Internal.h"

#include <algorithm>

#include "platform/core/Utf8.h"

using namespace stdctrls;

// ---- the combo box's drop-down list ----------------------------------------------------------

// A list box in a popup window of its own, under the combo box. It never
// takes the focus: the combo box keeps it and passes the keys on.
class TComboDropList : public TCustomListBox
{
public:
    explicit TComboDropList(TComboBox* combo) : TCustomListBox(combo), combo_(combo)
    {
        visible_ = false;
        tabStop_ = false;
        parentFont_ = false;
        SetBorderStyle(bsNone);
    }
    void ShowAt(const TRect& r)
    {
        HandleNeeded();
        SetBounds(r.Left, r.Top, r.Width(), r.Height());
        SetWindowPos(handle_, HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
        visible_ = true;
        Invalidate();
    }
    void HideList()
    {
        if (handle_) ShowWindow(handle_, SW_HIDE);
        visible_ = false;
        choosing_ = false;
    }
    bool Open() const { return visible_; }
    bool Key(WORD key) { return NavigateKey(key, false); }
    bool CanFocus() override { return false; }

protected:
    void CreateParams(TCreateParams& p) override
    {
        TCustomListBox::CreateParams(p);
        p.Style = WS_POPUP | WS_BORDER;
        p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
        p.WndParent = nullptr;
    }
    void MouseDown(TMouseButton Button, TShiftState, int X, int Y) override
    {
        if (Button != mbLeft) return;
        choosing_ = true;
        const int i = ItemAtPos(TPoint(X, Y), true);
        if (i >= 0) SetItemIndex(i);
    }
    void MouseMove(TShiftState Shift, int X, int Y) override
    {
        if (!choosing_ && ControlState.Contains(csLButtonDown))
        {
            TCustomListBox::MouseMove(Shift, X, Y);
            return;
        }
        // The line under the pointer follows it.
        const int i = ItemAtPos(TPoint(X, Y), true);
        if (i >= 0) SetItemIndex(i);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        const bool choosing = choosing_ && Button == mbLeft;
        choosing_ = false;
        TCustomListBox::MouseUp(Button, Shift, X, Y);
        if (choosing && ItemAtPos(TPoint(X, Y), true) >= 0) combo_->closeUp(true);
    }

private:
    TComboBox* combo_;
    bool choosing_ = false;     // the press was on a line: its release chooses
};

// ---- combo box -------------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner) : TCustomControl(AOwner), items_(std::make_unique<TStringList>())
{
    ControlStyle = TControlStyle{csSetCaption, csOpaque, csDoubleClicks, csCaptureMouse};
    width_ = 145;
    height_ = 21;
    tabStop_ = true;
    color_ = clWindow;
    parentColor_ = false;
    brush_->SetColor(color_);
    items_->OnChange = [this](TObject* s) { itemsChanged(s); };
}

TComboBox::~TComboBox()
{
    unhook();
    items_->OnChange = nullptr;
    delete list_;
}

TCustomListBox* TComboBox::DropList() const { return list_; }

void TComboBox::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::string TComboBox::GetTextBuf()
{
    return itemIndex_ >= 0 && itemIndex_ < items_->Count() ? items_->Get(itemIndex_) : std::string();
}

void TComboBox::SetTextBuf(const std::string& s)
{
    // The text of a drop-down list is always one of its lines.
    int i = -1;
    for (int k = 0; k < items_->Count() && i < 0; ++k)
        if (items_->Get(k) == s) i = k;
    for (int k = 0; k < items_->Count() && i < 0; ++k)
        if (AnsiSameText(items_->Get(k), s)) i = k;
    SetItemIndex(i);
}

void TComboBox::SetItemIndex(int v)
{
    if (v < -1 || v >= items_->Count()) v = -1;
    if (v == itemIndex_) return;
    itemIndex_ = v;
    const std::string t = GetTextBuf();
    text_ = t;
    if (handle_) SetWindowText(handle_, t);
    Invalidate();
}

void TComboBox::itemsChanged(TObject*)
{
    if (GetDroppedDown()) closeUp(false);
    // The chosen line keeps its choice when lines are inserted or deleted
    // before it (found again by its text); a line that went means no choice.
    if (itemIndex_ >= 0 && (itemIndex_ >= items_->Count() || items_->Get(itemIndex_) != text_))
    {
        itemIndex_ = -1;
        for (int k = 0; k < items_->Count() && itemIndex_ < 0; ++k)
            if (items_->Get(k) == text_) itemIndex_ = k;
    }
    text_ = GetTextBuf();
    if (handle_) SetWindowText(handle_, text_);
    Invalidate();
}

void TComboBox::Change()
{
    if (OnChange) OnChange(this);
}

void TComboBox::selectByUser(int index)
{
    if (index < 0 || index >= items_->Count() || index == itemIndex_) return;
    SetItemIndex(index);
    Change();
}

void TComboBox::unhook()
{
    // Only from the application that holds it (a reset one numbers its hooks anew).
    if (hook_ && Application == hookApp_) Application->UnhookOnMessage(hook_);
    hook_ = 0;
    hookApp_ = nullptr;
}

bool TComboBox::GetDroppedDown() const { return list_ && list_->Open(); }

void TComboBox::SetDroppedDown(bool v)
{
    if (v == GetDroppedDown()) return;
    if (v) dropDown();
    else closeUp(false);
}

void TComboBox::dropDown()
{
    if (!HandleAllocated() || !Showing() || !enabled_) return;
    if (OnDropDown)
    {
        // The handler may free, hide or disable the box.
        const std::weak_ptr<char> alive = LifeToken();
        OnDropDown(this);
        if (alive.expired() || !HandleAllocated() || !Showing() || !enabled_) return;
    }
    if (!list_) list_ = new TComboDropList(this);
    list_->Font()->Assign(Font());
    list_->Items()->Assign(items_.get());
    const int rows = std::clamp(items_->Count(), 1, std::max(1, DropDownCount));
    TRect wr;
    GetWindowRect(handle_, &wr);
    const int border = 2 * GetSystemMetrics(SM_CXBORDER);
    const int h = rows * list_->GetItemHeight() + border;
    int y = wr.Bottom;
    const TRect work = Screen ? Screen->WorkAreaRect() : TRect();
    if (!work.IsEmpty() && y + h > work.Bottom && wr.Top - h >= work.Top) y = wr.Top - h;
    list_->ShowAt(Bounds(wr.Left, y, wr.Width(), h));
    if (Application && !hook_)
    {
        hookApp_ = Application;
        hook_ = Application->HookOnMessage([this](TMsg& msg, bool&) {
            const bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                               msg.message == WM_MBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN ||
                               msg.message == WM_NCRBUTTONDOWN || msg.message == WM_NCMBUTTONDOWN;
            if (press && msg.hwnd != handle_ && list_ && msg.hwnd != list_->GetHandle()) closeUp(false);
        });
    }
    list_->SetItemIndex(itemIndex_);
    if (itemIndex_ >= 0) list_->SetTopIndex(itemIndex_ - rows / 2);
    Invalidate();
}

void TComboBox::closeUp(bool choose)
{
    if (!GetDroppedDown()) return;
    const std::weak_ptr<char> alive = LifeToken();
    const int chosen = list_->GetItemIndex();
    list_->HideList();
    unhook();
    Invalidate();
    if (OnCloseUp) OnCloseUp(this);
    if (alive.expired()) return;
    if (choose) selectByUser(chosen);
}

void TComboBox::Paint()
{
    TCanvas* c = Canvas();
    const TRect cr = GetClientRect();
    const int bw = std::min(cr.Width(), scrollBarWidth());
    TRect text(cr.Left, cr.Top, cr.Right - bw, cr.Bottom);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(enabled_ ? color_ : clBtnFace);
    c->FillRect(text);
    c->Font()->Assign(Font());
    TRect sel = text;
    InflateRect(sel, -1, -1);
    const bool highlight = Focused() && !GetDroppedDown();
    if (highlight)
    {
        c->Brush()->SetColor(clHighlight);
        c->FillRect(sel);
        c->Font()->SetColor(clHighlightText);
    }
    if (!enabled_) c->Font()->SetColor(clGrayText);
    const std::string t = GetTextBuf();
    const int th = c->TextHeight(t.empty() ? std::string("W") : t);
    c->TextRect(sel, sel.Left + 2, sel.Top + (sel.Height() - th) / 2, t);
    if (Focused()) c->DrawFocusRect(sel);
    const TRect button(cr.Right - bw, cr.Top, cr.Right, cr.Bottom);
    drawButtonFace(c, button, GetDroppedDown());
    drawArrow(c, button, false, enabled_ ? clBtnText : clGrayText);
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (alive.expired() || Button != mbLeft) return;
    if (CanFocus() && !Focused())
    {
        SetFocus();
        if (alive.expired() || !Focused()) return;
    }
    if (GetDroppedDown()) closeUp(false);
    else dropDown();
}

bool TComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (GetDroppedDown()) list_->SetTopIndex(list_->GetTopIndex() - WheelDelta * 3 / 120);
    else if (WheelDelta != 0 && items_->Count() > 0)
        selectByUser(std::clamp(itemIndex_ + (WheelDelta < 0 ? 1 : -1), 0, items_->Count() - 1));
    return true;
}

void TComboBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool toggle = Key == VK_F4 || (Shift.Contains(ssAlt) && (Key == VK_DOWN || Key == VK_UP));
    if (GetDroppedDown())
    {
        if (toggle || Key == VK_RETURN) closeUp(true);
        else if (Key == VK_ESCAPE) closeUp(false);
        else if (!list_->Key(Key)) return;
        Key = 0;
        return;
    }
    if (toggle)
    {
        dropDown();
        Key = 0;
        return;
    }
    if (Shift.Contains(ssAlt) || items_->Count() == 0) return;
    const int n = items_->Count(), cur = itemIndex_;
    int to;
    switch (Key)
    {
    case VK_UP:
    case VK_LEFT: to = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN:
    case VK_RIGHT: to = cur < 0 ? 0 : cur + 1; break;
    case VK_HOME:
    case VK_PRIOR: to = 0; break;
    case VK_END:
    case VK_NEXT: to = n - 1; break;
    default: return;
    }
    selectByUser(std::clamp(to, 0, n - 1));
    Key = 0;
}

void TComboBox::KeyPress(char32_t& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key < 32 || Key == 127) return;
    const std::string prefix = Utf8Encode(Key);
    const int n = items_->Count();
    const int from = GetDroppedDown() ? list_->GetItemIndex() : itemIndex_;
    for (int k = 1; k <= n; ++k)
    {
        const int i = ((from < 0 ? -1 : from) + k) % n;
        if (startsWithNoCase(items_->Get(i), prefix))
        {
            if (GetDroppedDown()) list_->SetItemIndex(i);
            else selectByUser(i);
            break;
        }
    }
    Key = 0;
}

void TComboBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case CM_WANTSPECIALKEY:
        // While open, Enter and Escape belong to the list, not to the form's buttons.
        m.Result = GetDroppedDown() && (m.WParam == WPARAM(VK_RETURN) || m.WParam == WPARAM(VK_ESCAPE)) ? 1 : 0;
        return;
    case CM_CANCELMODE:
        // Pressed elsewhere on the form (a press on the box itself toggles the list).
        if (reinterpret_cast<TControl*>(m.LParam) != this) closeUp(false);
        break;
    case WM_CANCELMODE:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        closeUp(false);
        break;
    case CM_FONTCHANGED:
        if (list_) list_->Font()->Assign(Font());
        break;
    default: break;
    }
    if (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) Invalidate();
    TCustomControl::Dispatch(m);
}
