#include "platform/core/Utf8.h"

#include "platform/core/Exception.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool IsCont(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence at s[i] (0 when malformed).
std::size_t SeqLen(std::string_view s, std::size_t i, char32_t& cp)
{
    unsigned char c = (unsigned char)s[i];
    std::size_t n = s.size() - i;
    if (c < 0x80) { cp = c; return 1; }
    if (c >= 0xC2 && c <= 0xDF)
    {
        if (n < 2 || !IsCont(s[i + 1])) return 0;
        cp = char32_t(c & 0x1F) << 6 | (s[i + 1] & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF)
    {
        if (n < 3 || !IsCont(s[i + 1]) || !IsCont(s[i + 2])) return 0;
        cp = char32_t(c & 0x0F) << 12 | char32_t(s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4)
    {
        if (n < 4 || !IsCont(s[i + 1]) || !IsCont(s[i + 2]) || !IsCont(s[i + 3])) return 0;
        cp = char32_t(c & 0x07) << 18 | char32_t(s[i + 1] & 0x3F) << 12 |
             char32_t(s[i + 2] & 0x3F) << 6 | (s[i + 3] & 0x3F);
        if (cp < 0x10000 || cp > 0x10FFFF) return 0;
        return 4;
    }
    return 0;
}
} // namespace

char32_t Utf8Next(std::string_view s, std::size_t& i)
{
    if (i >= s.size()) return 0;
    char32_t cp;
    std::size_t n = SeqLen(s, i, cp);
    if (n == 0) { ++i; return kReplacement; }
    i += n;
    return cp;
}

std::string Utf8Visible(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
    {
        const char32_t cp = Utf8Next(s, i);
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) out += '?';
        else Utf8Append(out, cp);
    }
    return out;
}

void Utf8Append(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80)
        out += char(cp);
    else if (cp < 0x800)
    {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    else
    {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string Utf8Encode(char32_t cp)
{
    std::string s;
    Utf8Append(s, cp);
    return s;
}

std::size_t Utf8Length(std::string_view s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) Utf8Next(s, i);
    return n;
}

bool Utf8IsValid(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();)
    {
        char32_t cp;
        std::size_t n = SeqLen(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::size_t Utf8SafePrefix(std::string_view s, std::size_t maxBytes)
{
    if (maxBytes >= s.size()) return s.size();
    std::size_t i = maxBytes;
    while (i > 0 && IsCont(s[i])) --i;
    return i;
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
    {
        char32_t cp = Utf8Next(s, i);
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        }
        else
            out += char16_t(cp);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        char32_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
        {
            u = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        Utf8Append(out, u);   // a lone surrogate becomes U+FFFD
    }
    return out;
}

std::u32string Utf8ToUtf32(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) out += Utf8Next(s, i);
    return out;
}

std::string Utf32ToUtf8(std::u32string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) Utf8Append(out, c);
    return out;
}

std::string DecodeTextBytes(std::string bytes)
{
    auto b = [&](std::size_t i) { return (unsigned char)bytes[i]; };
    if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) return bytes.substr(3);
    if (bytes.size() >= 2 && ((b(0) == 0xFF && b(1) == 0xFE) || (b(0) == 0xFE && b(1) == 0xFF)))
    {
        bool le = b(0) == 0xFF;
        std::u16string u;
        u.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            u += le ? char16_t(b(i) | (b(i + 1) << 8)) : char16_t((b(i) << 8) | b(i + 1));
        return Utf16ToUtf8(u);
    }
    return bytes;
}

char32_t CharUpper(char32_t c)
{
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F)
    {
        if (c == 0x131) return 'I';
        if (c == 0x17F) return 'S';
        if (c == 0x130 || c == 0x138 || c == 0x149 || c == 0x178) return c;
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool isLower = oddUpper ? (c % 2 == 0) : (c % 2 == 1);
        return isLower ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t CharLower(char32_t c)
{
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F)
    {
        if (c == 0x130) return 'i';
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool isUpper = oddUpper ? (c % 2 == 1) : (c % 2 == 0);
        return isUpper ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}

namespace {
template <class F>
std::string MapLetters(std::string_view s, F f)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
    {
        std::size_t start = i;
        char32_t cp = Utf8Next(s, i);
        if (cp == kReplacement && (i - start) == 1 && (unsigned char)s[start] >= 0x80)
            out += s[start];   // keep a stray byte as it was
        else
            Utf8Append(out, f(cp));
    }
    return out;
}
} // namespace

std::string AnsiUpperCase(std::string_view s) { return MapLetters(s, CharUpper); }
std::string AnsiLowerCase(std::string_view s) { return MapLetters(s, CharLower); }

int CompareStr(std::string_view a, std::string_view b)
{
    int r = a.compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CompareText(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
    {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
    {
        char32_t x = CharLower(Utf8Next(a, i)), y = CharLower(Utf8Next(b, j));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
int AnsiCompareStr(std::string_view a, std::string_view b)
{
    // Alphabetical first; only texts equal but for case are then ordered,
    // a small letter before its capital.
    if (int r = AnsiCompareText(a, b)) return r;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
    {
        char32_t x = Utf8Next(a, i), y = Utf8Next(b, j);
        if (x == y) continue;
        bool xLower = CharUpper(x) != x, yLower = CharUpper(y) != y;
        if (xLower != yLower) return xLower ? -1 : 1;
        return x < y ? -1 : 1;
    }
    return CompareStr(a, b);
}

std::string TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (unsigned char)s[i] <= ' ') ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && (unsigned char)s[n - 1] <= ' ') --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string IntToStr(std::int64_t v) { return std::to_string(v); }

std::string IntToHex(std::uint64_t v, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits < 0 ? 0 : digits > 16 ? 16 : digits,
                  (unsigned long long)v);
    return buf;
}

bool TryStrToInt64(std::string_view s, std::int64_t& out)
{
    std::string t = Trim(s);
    if (t.empty()) return false;
    std::size_t i = 0;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') { neg = t[i] == '-'; ++i; }
    int base = 10;
    if (i < t.size() && t[i] == '$') { base = 16; ++i; }
    else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) { base = 16; i += 2; }
    if (i >= t.size()) return false;
    unsigned long long acc = 0;
    const unsigned long long limit = neg ? 0x8000000000000000ull : 0x7FFFFFFFFFFFFFFFull;
    for (; i < t.size(); ++i)
    {
        char c = t[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        if (acc > (limit - d) / base) return false;
        acc = acc * base + d;
    }
    out = neg ? std::int64_t(0 - acc) : std::int64_t(acc);
    return true;
}

bool TryStrToInt(std::string_view s, int& out)
{
    std::int64_t v;
    if (!TryStrToInt64(s, v)) return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    out = int(v);
    return true;
}

int StrToIntDef(std::string_view s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

std::int64_t StrToInt64Def(std::string_view s, std::int64_t def)
{
    std::int64_t v;
    return TryStrToInt64(s, v) ? v : def;
}

int StrToInt(std::string_view s)
{
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

bool TryStrToFloat(std::string_view s, double& out)
{
    std::string t = Trim(s);
    if (t.empty()) return false;
    // strtod follows the C locale's separator; the program never changes it
    // (LC_NUMERIC stays "C"), but guard against a ',' locale anyway.
    const char* dp = std::localeconv()->decimal_point;
    if (dp && dp[0] && dp[0] != '.')
        for (char& c : t)
            if (c == '.') c = dp[0];
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || errno == ERANGE || std::isnan(v) || std::isinf(v)) return false;
    out = v;
    return true;
}

double StrToFloatDef(std::string_view s, double def)
{
    double v;
    return TryStrToFloat(s, v) ? v : def;
}

std::string FloatToStr(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    const char* dp = std::localeconv()->decimal_point;
    if (dp && dp[0] && dp[0] != '.')
        for (char* p = buf; *p; ++p)
            if (*p == dp[0]) *p = '.';
    return buf;
}

std::string Format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0)
    {
        out.resize(std::size_t(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, ap2);
        out.resize(std::size_t(n));
    }
    va_end(ap2);
    return out;
}
