// The base edit of the skin library (soft read-only, transparency, dialog
// keys, the context menu and its enable rules) and the numeric edit.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "lib/bsSkinForm.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

TbsCustomEdit::TbsCustomEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    ControlStyle.Include(csOpaque);
}

TbsCustomEdit::~TbsCustomEdit() = default;

std::string TbsCustomEdit::SingleLine(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

void TbsCustomEdit::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    // The platform edit's own read-only closes the paths that bypass the
    // message filter (a committed input-method string).
    TCustomMaskEdit::SetReadOnly(Value);
}

void TbsCustomEdit::SetEditTransparent(bool Value)
{
    FEditTransparent = Value;
    RecreateWnd();
}

void TbsCustomEdit::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    Params.Style &= ~WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    if (FEditTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
    if (GetPasswordChar() != 0) Params.Style |= ES_PASSWORD;
    else Params.Style |= ES_MULTILINE;
}

void TbsCustomEdit::Invalidate()
{
    if (!FEditTransparent)
    {
        TCustomMaskEdit::Invalidate();
        return;
    }
    if (!Parent() || !HandleAllocated()) return;
    const TPoint tl = Parent()->ScreenToClient(ClientToScreen(TPoint(0, 0)));
    const TRect cr = GetClientRect();
    const TRect r(tl.X, tl.Y, tl.X + RectWidth(cr), tl.Y + RectHeight(cr));
    if (Parent()->HandleAllocated()) InvalidateRect(Parent()->GetHandle(), &r, TRUE);
    RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TbsCustomEdit::Change()
{
    TCustomMaskEdit::Change();
    if (FEditTransparent) Invalidate();
}

std::vector<TbsEditMenuItem> TbsCustomEdit::SysMenuItems()
{
    // The captions come from the string table of the skin component on the
    // edit's form, else the built-in texts.
    const TbsResourceStrData* table = nullptr;
    if (TCustomForm* form = GetParentForm(this))
        for (int i = 0; i < form->ComponentCount() && !table; ++i)
            if (auto* sf = dynamic_cast<TbsSkinForm*>(form->Components(i)))
            {
                if (sf->SkinData()) table = sf->SkinData()->ResourceStrData();
                break;
            }
    const auto caption = [&](const char* key, const char* builtIn) {
        return table ? table->GetResStr(key) : std::string(builtIn);
    };
    DWORD s = 0, e = 0;
    SendMessage(GetHandle(), EM_GETSEL, WPARAM(&s), LPARAM(&e));
    const bool sel = s < e;
    const bool ro = FReadOnly;
    const std::size_t len = Utf8ToUtf32(GetText()).size();
    const bool clip = !Clipboard()->GetAsText().empty();
    std::vector<TbsEditMenuItem> items;
    items.push_back({"EDIT_UNDO", caption("EDIT_UNDO", "Undo"), CanUndo(), [this] { Perform(WM_UNDO); }});
    items.push_back({"", "-", true, nullptr});
    items.push_back({"EDIT_CUT", caption("EDIT_CUT", "Cut"), sel && !ro, [this] { Perform(WM_CUT); }});
    items.push_back({"EDIT_COPY", caption("EDIT_COPY", "Copy"), sel, [this] { Perform(WM_COPY); }});
    items.push_back({"EDIT_PASTE", caption("EDIT_PASTE", "Paste"), clip && !ro, [this] { Perform(WM_PASTE); }});
    items.push_back({"EDIT_DELETE", caption("EDIT_DELETE", "Delete"), sel && !ro, [this] { Perform(WM_CLEAR); }});
    items.push_back({"", "-", true, nullptr});
    items.push_back({"EDIT_SELECTALL", caption("EDIT_SELECTALL", "Select All"), !(s == 0 && e == len),
                     [this] { SelectAll(); }});
    return items;
}

void TbsCustomEdit::CreateSysPopupMenu()
{
    FSysPopupMenu.reset();
    // Shown through the platform's popup menu, which hands it to whatever
    // draws the menus (the skinned menus once a form has them).
    FSysPopupMenu = std::make_unique<TPopupMenu>(nullptr);
    FSysPopupMenu->SetPopupComponent(this);
    const std::weak_ptr<char> alive = LifeToken();
    for (TbsEditMenuItem& it : SysMenuItems())
    {
        auto* mi = new TMenuItem(FSysPopupMenu.get());
        mi->SetCaption(it.Caption);
        mi->SetEnabled(it.Enabled);
        if (it.Action)
        {
            mi->OnClick = [this, alive, act = it.Action](TObject*) {
                if (alive.expired()) return;
                act();
                // The command ran: the menu goes once its click is over.
                if (HandleAllocated()) PostMessage(GetHandle(), BSM_SKINMENU_COMMANDDONE, 0, 0);
            };
        }
        FSysPopupMenu->Items()->Add(mi);
    }
}

void TbsCustomEdit::WndProc(TMessage& m)
{
    const bool transparentInvalidate = FEditTransparent;
    switch (m.Msg)
    {
    case WM_CHAR:
    {
        const auto c = char32_t(m.WParam);
        if (c == 27 || c == 13)
        {
            char32_t k = c;
            if (OnKeyPress) OnKeyPress(this, k);
            if (TCustomForm* f = GetParentForm(this)) f->Perform(CM_DIALOGKEY, m.WParam, m.LParam);
            return;
        }
        if (FReadOnly) return;
        break;
    }
    case WM_KEYDOWN:
        if (FReadOnly && m.WParam == VK_DELETE) return;
        TCustomMaskEdit::WndProc(m);
        if (transparentInvalidate) Invalidate();
        return;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
        if (FReadOnly) return;
        TCustomMaskEdit::WndProc(m);
        if (transparentInvalidate) Invalidate();
        return;
    case WM_IME_COMPOSITION:
        if (FReadOnly) return;
        break;
    case WM_SETTEXT:
    {
        // A single-line edit never holds a line break, whoever sets the text.
        const std::string text = SingleLine(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "");
        m.LParam = LPARAM(text.c_str());
        TCustomMaskEdit::WndProc(m);
        if (transparentInvalidate) Invalidate();
        return;
    }
    case WM_MOVE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomMaskEdit::WndProc(m);
        if (transparentInvalidate) Invalidate();
        if (m.Msg == WM_SETFOCUS && AutoSelect) SelectAll();
        return;
    case WM_LBUTTONDOWN:
        TCustomMaskEdit::WndProc(m);
        FDown = true;
        if (transparentInvalidate) Invalidate();
        return;
    case WM_LBUTTONUP:
        TCustomMaskEdit::WndProc(m);
        FDown = false;
        return;
    case WM_MOUSEMOVE:
        TCustomMaskEdit::WndProc(m);
        if (FDown && transparentInvalidate) Invalidate();
        return;
    case WM_SETFONT:
        TCustomMaskEdit::WndProc(m);
        Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 0));
        return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
        if (FEditTransparent)
        {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ColorToRGB(Font()->GetColor()));
            m.Result = LRESULT(GetStockObject(NULL_BRUSH));
            return;
        }
        break;
    case WM_CONTEXTMENU:
    {
        if (GetPopupMenu()) break;
        CreateSysPopupMenu();
        const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        TPoint p(x, y);
        // From the keyboard: the edit's centre.
        if (x < 0 || y < 0)
        {
            p = ClientToScreen(TPoint(0, 0));
            p.X += Width() / 2;
            p.Y += Height() / 2;
        }
        FSysPopupMenu->Popup(p.X, p.Y);
        m.Result = 0;
        return;
    }
    case CM_CANCELMODE:
        TCustomMaskEdit::WndProc(m);
        if (OnEditCancelMode) OnEditCancelMode(reinterpret_cast<TControl*>(m.LParam));
        return;
    case BSM_SKINMENU_COMMANDDONE:
        FSysPopupMenu.reset();
        return;
    default: break;
    }
    TCustomMaskEdit::WndProc(m);
}

// ---- numeric edit ----------------------------------------------------------------------

bool TbsSkinNumEdit::IsValidChar(char32_t Key)
{
    if (Key > 255) return false;
    const std::string text = GetText();
    const bool control = Key < 32 && Key != 13;
    const bool sep = Float && Key == U'.';
    if (!(Key == U'-' || (Key >= U'0' && Key <= U'9') || sep || control)) return false;
    if (!EditorEnabled && (Key >= 32 || Key == 8)) return false;
    if (sep && text.find('.') != std::string::npos) return false;
    if (Key == U'-' && text.find('-') != std::string::npos) return false;
    return true;
}

void TbsSkinNumEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key == VK_UP)
    {
        if (OnUpClick) OnUpClick(this);
        return;
    }
    if (Key == VK_DOWN)
    {
        if (OnDownClick) OnDownClick(this);
        return;
    }
    TbsCustomEdit::KeyDown(Key, Shift);
}

void TbsSkinNumEdit::KeyPress(char32_t& Key)
{
    if (!IsValidChar(Key))
    {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0) TbsCustomEdit::KeyPress(Key);
}

void TbsSkinNumEdit::Dispatch(TMessage& m)
{
    if (m.Msg == WM_MOUSEWHEEL)
    {
        if (static_cast<std::int32_t>(m.WParam) > 0)
        {
            if (OnDownClick) OnDownClick(this);
        }
        else if (OnUpClick)
            OnUpClick(this);
        return;
    }
    TbsCustomEdit::Dispatch(m);
    if (m.Msg == CM_MOUSEENTER && OnMouseEnter) OnMouseEnter(this);
    if (m.Msg == CM_MOUSELEAVE && OnMouseLeave) OnMouseLeave(this);
}
