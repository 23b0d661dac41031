// The masked edit.
#include "platform/gui/Mask.h"

#include <cwctype>

#include "platform/core/Utf8.h"
#include "platform/gui/Clipbrd.h"

namespace
{
bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isLetter(char32_t c) { return c >= 0x80 ? std::iswalpha(wint_t(c)) != 0 : std::isalpha(int(c)) != 0; }
} // namespace

void TCustomMaskEdit::SetEditMask(const std::string& v)
{
    editMask_ = v;
    slots_.clear();
    saveLiterals_ = true;
    blank_ = U'_';
    std::u32string m = Utf8ToUtf32(v);
    // "mask;save;blank": the fields are the last two ';' not taken literally.
    std::vector<std::size_t> seps;
    for (std::size_t i = 0; i < m.size(); ++i)
    {
        if (m[i] == '\\') ++i;
        else if (m[i] == ';') seps.push_back(i);
    }
    if (seps.size() >= 2)
    {
        const std::size_t a = seps[seps.size() - 2], b = seps.back();
        saveLiterals_ = !(b > a + 1 && m[a + 1] == '0');
        if (b + 1 < m.size()) blank_ = m[b + 1];
        m.resize(a);
    }
    else if (seps.size() == 1)
    {
        const std::size_t a = seps.back();
        saveLiterals_ = !(a + 1 < m.size() && m[a + 1] == '0');
        m.resize(a);
    }
    int charCase = 0;
    for (std::size_t i = 0; i < m.size(); ++i)
    {
        const char32_t c = m[i];
        if (c == '<' && i + 1 < m.size() && m[i + 1] == '>') { charCase = 0; ++i; continue; }
        if (c == '>') { charCase = 1; continue; }
        if (c == '<') { charCase = -1; continue; }
        if (c == '!') continue;
        Slot s;
        s.charCase = charCase;
        if (c == '\\' && i + 1 < m.size()) { s.literal = true; s.ch = m[++i]; }
        else if (std::u32string_view(U"09#LlAaCc").find(c) != std::u32string_view::npos) s.ch = c;
        else { s.literal = true; s.ch = c; }
        slots_.push_back(s);
    }
    const std::u32string shown = format(Utf8ToUtf32(TWinControl::GetTextBuf()));
    SetText(slots_.empty() ? GetText() : Utf32ToUtf8(shown));
}

bool TCustomMaskEdit::accepts(const Slot& s, char32_t c) const
{
    switch (s.ch)
    {
    case '0':
    case '9': return isDigit(c);
    case '#': return isDigit(c) || c == '+' || c == '-';
    case 'L':
    case 'l': return isLetter(c);
    case 'A':
    case 'a': return isLetter(c) || isDigit(c);
    default: return c >= 0x20 && c != 0x7F;
    }
}

bool TCustomMaskEdit::required(const Slot& s) const { return !s.literal && (s.ch == '0' || s.ch == 'L' || s.ch == 'A' || s.ch == 'C'); }

int TCustomMaskEdit::nextEditable(int from) const
{
    for (int i = std::max(0, from); i < int(slots_.size()); ++i)
        if (!slots_[std::size_t(i)].literal) return i;
    return -1;
}

int TCustomMaskEdit::prevEditable(int from) const
{
    for (int i = std::min(from, int(slots_.size()) - 1); i >= 0; --i)
        if (!slots_[std::size_t(i)].literal) return i;
    return -1;
}

// The shown text for a text set from outside: with the literals (as Text
// gives them when they are kept) place by place, else only the entered
// characters filling the free places in order.
std::u32string TCustomMaskEdit::format(const std::u32string& text) const
{
    std::u32string out;
    std::size_t k = 0;
    for (const Slot& s : slots_)
    {
        if (s.literal)
        {
            out += s.ch;
            if (saveLiterals_ && k < text.size() && text[k] == s.ch) ++k;
            continue;
        }
        char32_t c = blank_;
        while (k < text.size())
        {
            const char32_t t = text[k++];
            if (t == ' ' || t == blank_) break;   // a kept blank
            if (accepts(s, t))
            {
                c = s.charCase > 0 ? CharUpper(t) : s.charCase < 0 ? CharLower(t) : t;
                break;
            }
        }
        out += c;
    }
    return out;
}

std::string TCustomMaskEdit::GetEditText() { return TWinControl::GetTextBuf(); }

std::string TCustomMaskEdit::GetTextBuf()
{
    if (slots_.empty()) return TCustomEdit::GetTextBuf();
    const std::u32string shown = Utf8ToUtf32(TWinControl::GetTextBuf());
    std::u32string out;
    for (std::size_t i = 0; i < slots_.size() && i < shown.size(); ++i)
    {
        if (slots_[i].literal)
        {
            if (saveLiterals_) out += shown[i];
        }
        else if (shown[i] != blank_) out += shown[i];
        else if (saveLiterals_) out += ' ';
    }
    if (saveLiterals_)
        while (!out.empty() && out.back() == ' ') out.pop_back();
    return Utf32ToUtf8(out);
}

bool TCustomMaskEdit::IsComplete()
{
    const std::u32string shown = Utf8ToUtf32(TWinControl::GetTextBuf());
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (required(slots_[i]) && (i >= shown.size() || shown[i] == blank_)) return false;
    return true;
}

// Overwrites the place `at` (the edit's own replacing, so undo and OnChange follow).
void TCustomMaskEdit::putAt(int at, char32_t c)
{
    TMessage sel{EM_SETSEL, WPARAM(at), LPARAM(at + 1), 0};
    TCustomEdit::DefaultHandler(sel);
    const std::string s = Utf32ToUtf8(std::u32string(1, c));
    TMessage put{EM_REPLACESEL, 0, LPARAM(s.c_str()), 0};
    TCustomEdit::DefaultHandler(put);
}

void TCustomMaskEdit::typeInto(char32_t c)
{
    if (GetReadOnly()) return;
    int at = nextEditable(GetSelStart());
    if (at < 0 || !accepts(slots_[std::size_t(at)], c))
    {
        MessageBeep(0);
        return;
    }
    const Slot& s = slots_[std::size_t(at)];
    if (s.charCase > 0) c = CharUpper(c);
    else if (s.charCase < 0) c = CharLower(c);
    if (GetSelLength() > 1) clearRange(GetSelStart(), GetSelStart() + GetSelLength());
    putAt(at, c);
    const int next = nextEditable(at + 1);
    SetSelStart(next < 0 ? int(slots_.size()) : next);
}

void TCustomMaskEdit::clearRange(int from, int to)
{
    for (int i = from; i < to && i < int(slots_.size()); ++i)
        if (!slots_[std::size_t(i)].literal) putAt(i, blank_);
    SetSelStart(from);
}

void TCustomMaskEdit::DefaultHandler(TMessage& m)
{
    if (slots_.empty())
    {
        TCustomEdit::DefaultHandler(m);
        return;
    }
    switch (m.Msg)
    {
    case WM_SETTEXT:
    {
        const std::string shown = Utf32ToUtf8(format(Utf8ToUtf32(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "")));
        m.LParam = LPARAM(shown.c_str());
        TCustomEdit::DefaultHandler(m);
        return;
    }
    case WM_CHAR:
    {
        const auto c = char32_t(m.WParam);
        if (c == 8)
        {
            if (GetReadOnly()) return;
            const int s = GetSelStart(), l = GetSelLength();
            if (l > 0) clearRange(s, s + l);
            else if (const int p = prevEditable(s - 1); p >= 0) clearRange(p, p + 1);
            return;
        }
        if (c >= 0x20 && c != 0x7F)
        {
            typeInto(c);
            return;
        }
        break;   // Ctrl+C, Ctrl+V … as the plain edit
    }
    case WM_KEYDOWN:
        if (m.WParam == WPARAM(VK_DELETE) && !(GetKeyState(VK_SHIFT) < 0))
        {
            if (GetReadOnly()) return;
            const int s = GetSelStart(), l = GetSelLength();
            clearRange(s, s + std::max(1, l));
            return;
        }
        break;
    case WM_CLEAR:
    case WM_CUT:
    {
        if (GetReadOnly()) return;
        if (m.Msg == WM_CUT) Perform(WM_COPY);
        const int s = GetSelStart(), l = GetSelLength();
        if (l > 0) clearRange(s, s + l);
        return;
    }
    case WM_PASTE:
    {
        if (GetReadOnly()) return;
        for (char32_t c : Utf8ToUtf32(Clipboard()->GetAsText()))
            if (c >= 0x20) typeInto(c);
        return;
    }
    default: break;
    }
    TCustomEdit::DefaultHandler(m);
}
