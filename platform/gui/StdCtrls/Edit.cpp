// TCustomEdit (TEdit): the plain single-line edit box.
#include <algorithm>
#include <unordered_map>

#include "platform/core/Utf8.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/StdCtrls.h"

namespace
{
// Caret blinking on the layer's clock: shown and hidden by turns.
constexpr UINT kCaretBlinkMs = 530;
constexpr std::uintptr_t kBlinkTimer = 0xEB11;

// Character classes for word moves and double-click: blank, word, punctuation.
int charClass(char32_t c)
{
    if (c == ' ' || c == '\t' || c == 0x3000) return 0;
    if (c < 0x80 && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'))
        return 2;
    return 1;
}

// Start of the next word: past the run the position is in, then past blanks.
int wordRight(const std::u32string& t, int i)
{
    const int n = int(t.size());
    if (i >= n) return n;
    const int c = charClass(t[std::size_t(i)]);
    if (c != 0)
        while (i < n && charClass(t[std::size_t(i)]) == c) ++i;
    while (i < n && charClass(t[std::size_t(i)]) == 0) ++i;
    return i;
}

// Start of the word before the position (blanks before it skipped).
int wordLeft(const std::u32string& t, int i)
{
    while (i > 0 && charClass(t[std::size_t(i - 1)]) == 0) --i;
    if (i > 0)
    {
        const int c = charClass(t[std::size_t(i - 1)]);
        while (i > 0 && charClass(t[std::size_t(i - 1)]) == c) --i;
    }
    return i;
}

bool isTextChar(char32_t c) { return c >= 0x20 && c != 0x7F && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }

// Text for one line: line breaks removed, other control characters dropped.
std::u32string oneLine(const std::u32string& t)
{
    std::u32string out;
    for (char32_t c : t)
        if (isTextChar(c)) out += c;
    return out;
}
} // namespace

// Where the text lies in the client area, measured with the control's font.
struct TCustomEdit::Layout
{
    std::u32string shown;      // the text as drawn (masked for passwords)
    std::vector<int> pos;      // x of every caret position from the text's start
    TRect area;                // the part of the client area text is drawn in
    int x0 = 0;                // client x of the text's start
    int y = 0;                 // client y of the line's top
    int height = 0;            // line height
};

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    width_ = 121;
    height_ = 21;
    tabStop_ = true;
    color_ = clWindow;
    parentColor_ = false;
    brush_->SetColor(color_);
}

void TCustomEdit::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style |= ES_AUTOHSCROLL;
    if (alignment_ == taRightJustify) p.Style |= ES_RIGHT;
    else if (alignment_ == taCenter) p.Style |= ES_CENTER;
    if (readOnly_) p.Style |= ES_READONLY;
    if (passwordChar_) p.Style |= ES_PASSWORD;
    if (charCase_ == ecUpperCase) p.Style |= ES_UPPERCASE;
    else if (charCase_ == ecLowerCase) p.Style |= ES_LOWERCASE;
    if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
    p.WindowClass.hCursor = LoadCursor(nullptr, IDC_IBEAM);
}

// ---- properties -----------------------------------------------------------------------

void TCustomEdit::SetMaxLength(int v) { Perform(EM_LIMITTEXT, WPARAM(std::max(0, v))); }
void TCustomEdit::SetReadOnly(bool v) { Perform(EM_SETREADONLY, v ? 1 : 0); }
void TCustomEdit::SetPasswordChar(char32_t v) { Perform(EM_SETPASSWORDCHAR, WPARAM(v)); }

int TCustomEdit::GetSelStart()
{
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(s);
}

void TCustomEdit::SetSelStart(int v) { Perform(EM_SETSEL, WPARAM(std::max(0, v)), LPARAM(std::max(0, v))); }

int TCustomEdit::GetSelLength()
{
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(e - s);
}

void TCustomEdit::SetSelLength(int v)
{
    const int s = GetSelStart();
    Perform(EM_SETSEL, WPARAM(s), LPARAM(s + std::max(0, v)));
}

std::string TCustomEdit::GetSelText()
{
    const std::u32string t = content();
    clampSel(t.size());
    const auto s = std::size_t(std::min(anchor_, caret_)), e = std::size_t(std::max(anchor_, caret_));
    return Utf32ToUtf8(t.substr(s, e - s));
}

void TCustomEdit::SetSelText(const std::string& v) { Perform(EM_REPLACESEL, 0, LPARAM(v.c_str())); }
void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }
void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }
void TCustomEdit::Undo() { Perform(WM_UNDO); }
bool TCustomEdit::CanUndo() { return Perform(EM_CANUNDO) != 0; }
void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER); }
bool TCustomEdit::GetModified() { return Perform(EM_GETMODIFY) != 0; }
void TCustomEdit::SetModified(bool v) { Perform(EM_SETMODIFY, v ? 1 : 0); }

void TCustomEdit::SetCharCase(TEditCharCase v)
{
    if (charCase_ == v) return;
    charCase_ = v;
    if (handle_)
    {
        DWORD style = DWORD(GetWindowLong(handle_, GWL_STYLE)) & ~(ES_UPPERCASE | ES_LOWERCASE);
        if (v == ecUpperCase) style |= ES_UPPERCASE;
        else if (v == ecLowerCase) style |= ES_LOWERCASE;
        SetWindowLong(handle_, GWL_STYLE, LONG(style));
    }
    if (v == ecNormal) return;
    const std::string t = GetText();
    SetText(v == ecUpperCase ? AnsiUpperCase(t) : AnsiLowerCase(t));
}

void TCustomEdit::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment v)
{
    if (alignment_ == v) return;
    alignment_ = v;
    RecreateWnd();
}

void TCustomEdit::Change()
{
    if (OnChange) OnChange(this);
}

// ---- notifications ----------------------------------------------------------------------

void TCustomEdit::CMEnter(TMessage& m)
{
    // A click places the caret itself; only keyboard focus selects everything.
    if (AutoSelect && !ControlState.Contains(csLButtonDown)) SelectAll();
    TWinControl::CMEnter(m);
}

void TCustomEdit::CMTextChanged(TMessage& m)
{
    TWinControl::CMTextChanged(m);
    // With a window, the new text arrived as WM_SETTEXT, which did this already.
    if (handle_) return;
    text_ = Utf32ToUtf8(oneLine(Utf8ToUtf32(text_)));
    anchor_ = caret_ = scroll_ = 0;
    modified_ = canUndo_ = typing_ = false;
    Change();
}

void TCustomEdit::CMFontChanged(TMessage& m)
{
    TWinControl::CMFontChanged(m);
    if (handle_ && Focused())
    {
        CreateCaret(handle_, nullptr, 1, measure().height);
        ShowCaret(handle_);
    }
    scrollToCaret();
}

// ---- the text model ----------------------------------------------------------------------

// The window text itself (a masked descendant shows its Text differently).
std::u32string TCustomEdit::content() { return Utf8ToUtf32(TWinControl::GetTextBuf()); }

// Keeps the text in the window without going through WM_SETTEXT (which
// stands for a new text set from outside).
void TCustomEdit::store(const std::u32string& t)
{
    const std::string s = Utf32ToUtf8(t);
    text_ = s;
    if (!handle_) return;
    TMessage m;
    m.Msg = WM_SETTEXT;
    m.LParam = LPARAM(s.c_str());
    TWinControl::DefaultHandler(m);
}

void TCustomEdit::clampSel(std::size_t len)
{
    anchor_ = std::clamp(anchor_, 0, int(len));
    caret_ = std::clamp(caret_, 0, int(len));
}

char32_t TCustomEdit::applyCase(char32_t c) const
{
    if (charCase_ == ecUpperCase) return CharUpper(c);
    if (charCase_ == ecLowerCase) return CharLower(c);
    return c;
}

// Replaces the selection with ins (cut to MaxLength when limit is set).
// Typing at the caret merges into the undo step of the typing before it.
bool TCustomEdit::replaceSel(std::u32string ins, bool limit, bool typing)
{
    std::u32string t = content();
    clampSel(t.size());
    const auto s = std::size_t(std::min(anchor_, caret_)), e = std::size_t(std::max(anchor_, caret_));
    if (limit && maxLength_ > 0)
    {
        const long room = long(maxLength_) - long(t.size() - (e - s));
        if (room < long(ins.size())) ins.resize(std::size_t(std::max(0L, room)));
    }
    if (ins.empty() && s == e) return false;
    if (!(typing && typing_ && s == e))
    {
        undoText_ = t;
        undoAnchor_ = anchor_;
        undoCaret_ = caret_;
        canUndo_ = true;
    }
    t.replace(s, e - s, ins);
    anchor_ = caret_ = int(s + ins.size());
    typing_ = typing;
    modified_ = true;
    store(t);
    Invalidate();
    scrollToCaret();
    Change();
    return true;
}

void TCustomEdit::typeChar(char32_t c)
{
    if (readOnly_ || !replaceSel(std::u32string(1, applyCase(c)), true, true)) MessageBeep(0);
}

void TCustomEdit::deleteChar(bool forward)
{
    if (readOnly_) return;
    const std::u32string t = content();
    clampSel(t.size());
    if (anchor_ == caret_)
    {
        if (forward ? caret_ >= int(t.size()) : caret_ == 0) return;
        anchor_ = forward ? caret_ + 1 : caret_ - 1;
    }
    replaceSel(std::u32string(), false, false);
}

void TCustomEdit::undo()
{
    if (!canUndo_) return;
    // The current state becomes the undo step: a second undo redoes.
    std::u32string t = content();
    std::swap(t, undoText_);
    std::swap(anchor_, undoAnchor_);
    std::swap(caret_, undoCaret_);
    clampSel(t.size());
    typing_ = false;
    modified_ = true;
    store(t);
    Invalidate();
    scrollToCaret();
    Change();
}

void TCustomEdit::moveCaret(int to, bool extend)
{
    clampSel(content().size());
    const int a = anchor_, c = caret_;
    caret_ = to;
    if (!extend) anchor_ = to;
    clampSel(content().size());
    typing_ = false;
    if (a != anchor_ || c != caret_) Invalidate();
    scrollToCaret();
}

// ---- layout ----------------------------------------------------------------------------------

TAlignment TCustomEdit::effectiveAlignment() const
{
    // Read from the window's style, which descendants may set themselves.
    if (!handle_) return alignment_;
    const DWORD style = DWORD(GetWindowLong(handle_, GWL_STYLE));
    if (style & ES_RIGHT) return taRightJustify;
    if (style & ES_CENTER) return taCenter;
    return taLeftJustify;
}

TCustomEdit::Layout TCustomEdit::layout(HDC dc)
{
    Layout L;
    const std::u32string t = content();
    L.shown = passwordChar_ ? std::u32string(t.size(), passwordChar_) : t;
    // Each character measured once by itself (the text is drawn with these
    // same advances), so a long text costs linear time, not quadratic.
    L.pos.assign(L.shown.size() + 1, 0);
    std::unordered_map<char32_t, int> advance;
    for (std::size_t i = 0; i < L.shown.size(); ++i)
    {
        const char32_t c = L.shown[i];
        auto it = advance.find(c);
        if (it == advance.end())
        {
            std::string one;
            Utf8Append(one, c);
            TSize sz;
            GetTextExtentPoint32(dc, one, &sz);
            it = advance.emplace(c, std::max(0, int(sz.cx))).first;
        }
        L.pos[i + 1] = L.pos[i] + it->second;
    }
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    L.height = tm.tmHeight;
    L.area = textArea();
    // In a formatting rectangle the line starts at its top; else it is centred.
    const TRect cr = formatRect_.IsEmpty() ? GetClientRect() : formatRect_;
    L.y = formatRect_.IsEmpty() ? cr.Top + std::max(0, (cr.Height() - L.height) / 2) : cr.Top;
    const int tw = L.pos.back(), avail = L.area.Width();
    if (tw < avail)
    {
        // It fits: placed by the alignment (the caret's pixel stays inside).
        const TAlignment a = effectiveAlignment();
        L.x0 = L.area.Left;
        if (a == taRightJustify) L.x0 = L.area.Right - tw - 1;
        else if (a == taCenter) L.x0 = L.area.Left + (avail - tw) / 2;
    }
    else L.x0 = L.area.Left - scroll_;
    return L;
}

// The formatting rectangle (the client area unless set) less the margins.
TRect TCustomEdit::textArea()
{
    const TRect base = formatRect_.IsEmpty() ? GetClientRect() : formatRect_;
    const int l = base.Left + leftMargin_;
    return TRect(l, base.Top, std::max(l, base.Right - rightMargin_), base.Bottom);
}

void TCustomEdit::restartBlink()
{
    if (!handle_ || GetCaretWindow() != handle_) return;
    if (!caretOn_) ShowCaret(handle_);
    caretOn_ = true;
    SetTimer(handle_, kBlinkTimer, kCaretBlinkMs);
}

TCustomEdit::Layout TCustomEdit::measure()
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_->GetHandle());
    Layout L = layout(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return L;
}

// The caret position nearest to client x.
int TCustomEdit::hitTest(int x)
{
    const Layout L = measure();
    for (std::size_t i = 0; i + 1 < L.pos.size(); ++i)
        if (x < L.x0 + (L.pos[i] + L.pos[i + 1]) / 2) return int(i);
    return int(L.pos.size()) - 1;
}

// Scrolls the text so that the caret is in view, and moves the caret there.
void TCustomEdit::scrollToCaret()
{
    if (!handle_) return;
    Layout L = measure();
    clampSel(L.shown.size());
    const int tw = L.pos.back(), avail = L.area.Width();
    int s = scroll_;
    if (tw < avail) s = 0;
    else
    {
        const int cx = L.pos[std::size_t(caret_)];
        if (cx - s < 0) s = cx;
        if (cx - s > avail - 1) s = cx - avail + 1;
        s = std::clamp(s, 0, tw - avail + 1);
    }
    if (s != scroll_)
    {
        L.x0 += scroll_ - s;
        scroll_ = s;
        Invalidate();
    }
    if (GetCaretWindow() == handle_)
    {
        SetCaretPos(L.x0 + L.pos[std::size_t(caret_)], L.y);
        restartBlink();   // a moved caret shows at once
    }
}

void TCustomEdit::mouseAt(int x, bool extend) { moveCaret(hitTest(x), extend); }

void TCustomEdit::selectWordAt(int x)
{
    const std::u32string t = content();
    if (t.empty()) return;
    const int n = int(t.size());
    const int i = std::min(hitTest(x), n - 1);
    const int c = charClass(t[std::size_t(i)]);
    int s = i, e = i + 1;
    while (s > 0 && charClass(t[std::size_t(s - 1)]) == c) --s;
    while (e < n && charClass(t[std::size_t(e)]) == c) ++e;
    anchor_ = s;
    caret_ = e;
    typing_ = false;
    Invalidate();
    scrollToCaret();
}

// ---- painting ----------------------------------------------------------------------------------

void TCustomEdit::PaintWindow(HDC dc)
{
    if (!handle_) return;
    const int saved = SaveDC(dc);
    // Colours from the parent's colour request (reflected back to the control
    // by the class library); a hollow brush leaves the background as it is.
    const UINT colorMsg = (!enabled_ || readOnly_) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    const bool painted = PaintEditBackground(dc);
    HBRUSH br = nullptr;
    if (HWND p = GetParent(handle_)) br = HBRUSH(SendMessage(p, colorMsg, WPARAM(dc), LPARAM(handle_)));
    if (!br) br = HBRUSH(Perform(CN_BASE + colorMsg, WPARAM(dc), LPARAM(handle_)));
    const TRect cr = GetClientRect();
    if (painted) {}
    else if (br && HGDIOBJ(br) != GetStockObject(NULL_BRUSH)) FillRect(dc, cr, br);
    else if (parent_)
    {
        // See-through: what the parent paints under the edit is the background.
        const int under = SaveDC(dc);
        IntersectClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
        const TPoint o = parent_->ScreenToClient(ClientOrigin());
        OffsetViewportOrgEx(dc, -o.X, -o.Y, nullptr);
        parent_->Perform(WM_ERASEBKGND, WPARAM(dc), LPARAM(dc));
        parent_->PaintWindow(dc);
        RestoreDC(dc, under);
    }
    SelectObject(dc, font_->GetHandle());
    SetBkMode(dc, TRANSPARENT);
    if (!enabled_) SetTextColor(dc, ColorToRGB(DisabledTextColor()));
    const Layout L = layout(dc);
    std::string shown = Utf32ToUtf8(L.shown);
    IntersectClipRect(dc, L.area.Left, L.area.Top, L.area.Right, L.area.Bottom);
    std::vector<int> dx(L.shown.size());
    for (std::size_t i = 0; i < dx.size(); ++i) dx[i] = L.pos[i + 1] - L.pos[i];
    ExtTextOut(dc, L.x0, L.y, 0, nullptr, shown, dx.data());
    const int s = std::clamp(std::min(anchor_, caret_), 0, int(L.shown.size()));
    const int e = std::clamp(std::max(anchor_, caret_), 0, int(L.shown.size()));
    const bool showSel = Focused() || (DWORD(GetWindowLong(handle_, GWL_STYLE)) & ES_NOHIDESEL);
    if (s < e && showSel && enabled_)
    {
        const TRect hr(L.x0 + L.pos[std::size_t(s)], L.y, L.x0 + L.pos[std::size_t(e)], L.y + L.height);
        FillRect(dc, hr, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, ColorToRGB(clHighlightText));
        IntersectClipRect(dc, hr.Left, hr.Top, hr.Right, hr.Bottom);
        ExtTextOut(dc, hr.Left, L.y, 0, nullptr, Utf32ToUtf8(L.shown.substr(std::size_t(s), std::size_t(e - s))),
                   dx.data() + s);
    }
    if (!composition_.empty())
    {
        // The text being composed, on the window's colour at the caret, underlined.
        RestoreDC(dc, saved);
        const int saved2 = SaveDC(dc);
        IntersectClipRect(dc, L.area.Left, L.area.Top, L.area.Right, L.area.Bottom);
        SelectObject(dc, font_->GetHandle());
        SetBkMode(dc, TRANSPARENT);
        const std::string comp = Utf32ToUtf8(composition_);
        TSize sz;
        GetTextExtentPoint32(dc, comp, &sz);
        const int x = L.x0 + L.pos[std::size_t(std::clamp(caret_, 0, int(L.shown.size())))];
        FillRect(dc, TRect(x, L.y, x + sz.cx, L.y + L.height), GetSysColorBrush(COLOR_WINDOW));
        SetTextColor(dc, ColorToRGB(clWindowText));
        ExtTextOut(dc, x, L.y, 0, nullptr, comp, nullptr);
        FillRect(dc, TRect(x, L.y + L.height - 1, x + sz.cx, L.y + L.height), GetSysColorBrush(COLOR_WINDOWTEXT));
        RestoreDC(dc, saved2);
        return;
    }
    RestoreDC(dc, saved);
}

// ---- keys ----------------------------------------------------------------------------------

bool TCustomEdit::keyDown(int key)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    const std::u32string t = content();
    clampSel(t.size());
    const int s = std::min(anchor_, caret_), e = std::max(anchor_, caret_);
    const std::u32string words = passwordChar_ ? std::u32string(t.size(), passwordChar_) : t;
    switch (key)
    {
    case VK_LEFT:
        if (ctrl) moveCaret(wordLeft(words, caret_), shift);
        else if (!shift && s != e) moveCaret(s, false);
        else moveCaret(caret_ - 1, shift);
        return true;
    case VK_RIGHT:
        if (ctrl) moveCaret(wordRight(words, caret_), shift);
        else if (!shift && s != e) moveCaret(e, false);
        else moveCaret(caret_ + 1, shift);
        return true;
    case VK_HOME: moveCaret(0, shift); return true;
    case VK_END: moveCaret(int(t.size()), shift); return true;
    case VK_DELETE:
        if (shift) Perform(WM_CUT);
        else deleteChar(true);
        return true;
    case VK_INSERT:
        if (ctrl) Perform(WM_COPY);
        else if (shift) Perform(WM_PASTE);
        return true;
    default: return false;
    }
}

// ---- the control's own handling of its messages ------------------------------------------

void TCustomEdit::DefaultHandler(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE:
        // Arrows and characters are the edit's own; Tab, Enter and Esc stay dialog keys.
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETTEXT:
    {
        // A single-line edit keeps one line: line breaks are taken out.
        const std::u32string in = Utf8ToUtf32(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "");
        const std::u32string line = oneLine(in);
        std::string kept;
        if (line.size() != in.size())
        {
            kept = Utf32ToUtf8(line);
            m.LParam = LPARAM(kept.c_str());
            text_ = kept;
        }
        TWinControl::DefaultHandler(m);
        anchor_ = caret_ = scroll_ = 0;
        modified_ = canUndo_ = typing_ = false;
        Invalidate();
        scrollToCaret();
        Change();
        return;
    }
    case WM_CHAR:
    {
        const auto c = char32_t(m.WParam);
        switch (c)
        {
        case 8: deleteChar(false); break;
        case 1: SelectAll(); break;                  // Ctrl+A
        case 3: Perform(WM_COPY); break;             // Ctrl+C
        case 0x16: Perform(WM_PASTE); break;         // Ctrl+V
        case 0x18: Perform(WM_CUT); break;           // Ctrl+X
        case 0x1A: Perform(WM_UNDO); break;          // Ctrl+Z
        default:
            if (isTextChar(c)) typeChar(c);
            break;
        }
        m.Result = 0;
        return;
    }
    case WM_KEYDOWN:
        TWinControl::DefaultHandler(m);
        keyDown(int(m.WParam));
        return;
    case WM_LBUTTONDOWN:
    {
        const std::weak_ptr<char> alive = LifeToken();
        if (!Focused() && CanFocus()) SetFocus();
        if (alive.expired()) return;
        mouseAt(GET_X_LPARAM(m.LParam), (m.WParam & MK_SHIFT) != 0);
        selecting_ = true;
        m.Result = 0;
        return;
    }
    case WM_LBUTTONDBLCLK:
        selecting_ = false;
        selectWordAt(GET_X_LPARAM(m.LParam));
        m.Result = 0;
        return;
    case WM_MOUSEMOVE:
        if (selecting_ && (m.WParam & MK_LBUTTON)) mouseAt(GET_X_LPARAM(m.LParam), true);
        TWinControl::DefaultHandler(m);
        return;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        selecting_ = false;
        TWinControl::DefaultHandler(m);
        return;
    case WM_SETFOCUS:
        TWinControl::DefaultHandler(m);
        if (!handle_) return;
        CreateCaret(handle_, nullptr, 1, measure().height);
        caretOn_ = false;
        scrollToCaret();
        restartBlink();
        Invalidate();
        return;
    case WM_KILLFOCUS:
        TWinControl::DefaultHandler(m);
        selecting_ = false;
        if (handle_) KillTimer(handle_, kBlinkTimer);
        caretOn_ = false;
        if (handle_ && GetCaretWindow() == handle_) DestroyCaret();
        Invalidate();
        return;
    case WM_SIZE:
        TWinControl::DefaultHandler(m);
        scrollToCaret();
        return;
    case WM_COPY:
    case WM_CUT:
    {
        if (m.Msg == WM_CUT && readOnly_) return;
        const std::string sel = GetSelText();
        if (passwordChar_ || sel.empty()) return;
        Clipboard()->SetAsText(sel);
        if (m.Msg == WM_CUT) replaceSel(std::u32string(), false, false);
        return;
    }
    case WM_PASTE:
    {
        if (readOnly_) return;
        // One line: line breaks and other control characters are taken out.
        std::u32string ins = oneLine(Utf8ToUtf32(Clipboard()->GetAsText()));
        for (char32_t& c : ins) c = applyCase(c);
        if (!ins.empty()) replaceSel(ins, true, false);
        return;
    }
    case WM_TIMER:
        if (m.WParam == kBlinkTimer && handle_)
        {
            if (GetCaretWindow() != handle_)
            {
                KillTimer(handle_, kBlinkTimer);
                return;
            }
            caretOn_ = !caretOn_;
            if (caretOn_) ShowCaret(handle_);
            else HideCaret(handle_);
            return;
        }
        break;
    case WM_IME_STARTCOMPOSITION:
        m.Result = 0;
        return;
    case WM_IME_COMPOSITION:
    {
        const std::u32string str = oneLine(Utf8ToUtf32(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""));
        if (m.WParam & GCS_RESULTSTR)
        {
            // The committed string is typed text: read-only and MaxLength hold.
            composition_.clear();
            std::u32string ins = str;
            for (char32_t& c : ins) c = applyCase(c);
            if (readOnly_ || (!ins.empty() && !replaceSel(ins, true, false))) MessageBeep(0);
        }
        else if (m.WParam & GCS_COMPSTR)
            composition_ = readOnly_ ? std::u32string() : str;
        Invalidate();
        m.Result = 0;
        return;
    }
    case WM_IME_ENDCOMPOSITION:
        composition_.clear();
        Invalidate();
        m.Result = 0;
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        formatRect_ = m.LParam ? *reinterpret_cast<const TRect*>(m.LParam) : TRect();
        if (m.Msg == EM_SETRECT) Invalidate();
        scrollToCaret();
        return;
    case EM_GETRECT:
        if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = textArea();
        return;
    case EM_SETMARGINS:
        if (m.WParam == EC_USEFONTINFO) leftMargin_ = rightMargin_ = 1;
        else
        {
            if (m.WParam & EC_LEFTMARGIN) leftMargin_ = std::max(0, int(short(LOWORD(std::uintptr_t(m.LParam)))));
            if (m.WParam & EC_RIGHTMARGIN) rightMargin_ = std::max(0, int(short(HIWORD(std::uintptr_t(m.LParam)))));
        }
        Invalidate();
        scrollToCaret();
        return;
    case EM_GETMARGINS:
        m.Result = LRESULT(MAKELPARAM(leftMargin_, rightMargin_));
        return;
    case WM_CLEAR:
        if (!readOnly_) replaceSel(std::u32string(), false, false);
        return;
    case WM_UNDO:
    case EM_UNDO:
        if (!readOnly_) undo();
        m.Result = canUndo_ ? 1 : 0;
        return;
    case EM_CANUNDO: m.Result = canUndo_ ? 1 : 0; return;
    case EM_EMPTYUNDOBUFFER: canUndo_ = typing_ = false; return;
    case EM_GETMODIFY: m.Result = modified_ ? 1 : 0; return;
    case EM_SETMODIFY: modified_ = m.WParam != 0; return;
    case EM_LIMITTEXT: maxLength_ = int(std::min<WPARAM>(m.WParam, 0x7FFFFFFE)); return;
    case EM_GETLIMITTEXT: m.Result = maxLength_ > 0 ? maxLength_ : 0x7FFFFFFE; return;
    case EM_SETREADONLY:
        readOnly_ = m.WParam != 0;
        if (handle_)
        {
            const DWORD style = DWORD(GetWindowLong(handle_, GWL_STYLE));
            SetWindowLong(handle_, GWL_STYLE, LONG(readOnly_ ? style | ES_READONLY : style & ~ES_READONLY));
            Invalidate();
        }
        m.Result = 1;
        return;
    case EM_SETPASSWORDCHAR:
        passwordChar_ = char32_t(m.WParam);
        if (handle_)
        {
            const DWORD style = DWORD(GetWindowLong(handle_, GWL_STYLE));
            SetWindowLong(handle_, GWL_STYLE, LONG(passwordChar_ ? style | ES_PASSWORD : style & ~ES_PASSWORD));
        }
        Invalidate();
        scrollToCaret();
        return;
    case EM_GETSEL:
    {
        clampSel(content().size());
        const auto s = DWORD(std::min(anchor_, caret_)), e = DWORD(std::max(anchor_, caret_));
        if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = s;
        if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = e;
        m.Result = LRESULT(std::min<DWORD>(s, 0xFFFF) | (std::min<DWORD>(e, 0xFFFF) << 16));
        return;
    }
    case EM_SETSEL:
    {
        const int len = int(content().size());
        const auto a = int(std::intptr_t(m.WParam)), c = int(m.LParam);
        if (a == -1) anchor_ = caret_;
        else
        {
            anchor_ = a;
            caret_ = c < 0 ? len : c;
        }
        clampSel(std::size_t(len));
        typing_ = false;
        Invalidate();
        scrollToCaret();
        return;
    }
    case EM_SCROLLCARET: scrollToCaret(); return;
    case EM_REPLACESEL:
    {
        std::u32string ins = oneLine(Utf8ToUtf32(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""));
        for (char32_t& c : ins) c = applyCase(c);
        replaceSel(ins, true, false);
        return;
    }
    default: break;
    }
    TWinControl::DefaultHandler(m);
}
