// Rectangle routines, text helpers, glyph layout, platform probes and stream
// strings of the skin library.
#include "lib/bsUtils.h"
#include "platform/gui/Streams.h"
#include "platform/os/Window.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

// ---------------------------------------------------------------------------
// Rectangles and points

bool IsEmptyRect(const TRect& r) { return RectWidth(r) <= 0 || RectHeight(r) <= 0; }
void NullRect(TRect& r) { r = TRect(0, 0, 0, 0); }
bool EqualRects(const TRect& a, const TRect& b) { return a == b; }
bool IsNullPoint(const TPoint& p) { return p.X == 0 || p.Y == 0; }

bool PtInRectInclusive(const TRect& r, const TPoint& p)
{
    return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
}

bool RectInRect(const TRect& r1, const TRect& r2)
{
    return PtInRect(r2, r1.TopLeft()) && PtInRect(r2, r1.BottomRight());
}

bool RectTopOrBottomInRect(const TRect& r1, const TRect& r2)
{
    return PtInRect(r2, TPoint(r2.Left + 1, r1.Top)) || PtInRect(r2, TPoint(r2.Right - 1, r1.Bottom));
}

int IntMax(int a, int b) { return a > b ? a : b; }
int IntMin(int a, int b) { return a < b ? a : b; }

// ---------------------------------------------------------------------------
// Text helpers

namespace
{
// Byte length of the UTF-8 sequence that starts with `c` (1 for stray bytes).
std::size_t Utf8SeqLen(unsigned char c)
{
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

std::size_t Utf8Count(const std::string& s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += Utf8SeqLen((unsigned char)s[i])) ++n;
    return n;
}

// Removes spaces and control characters at both ends.
std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(b, e - b);
}

bool IsTokenDelimiter(char c)
{
    return c == ' ' || c == '(' || c == ')' || c == ',' || c == ':' || c == ';' || c == '=';
}

// Decimal integer with an optional sign, nothing else around it.
bool ParseInt(const std::string& s, int& out)
{
    if (s.empty()) return false;
    std::size_t i = 0;
    bool neg = false;
    if (s[0] == '+' || s[0] == '-') { neg = s[0] == '-'; i = 1; }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return false;
    }
    if (neg) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    out = int(v);
    return true;
}
}  // namespace

void ExtractToken(std::string& text, std::string& token)
{
    token.clear();
    // The walk is counted in one byte: texts of 256 characters or more walk
    // only (length mod 256) characters.
    std::size_t steps = Utf8Count(text) % 256;
    std::size_t pos = 0;
    for (std::size_t k = 0; k < steps && pos < text.size(); ++k) {
        std::size_t len = Utf8SeqLen((unsigned char)text[pos]);
        if (pos + len > text.size()) len = text.size() - pos;
        if (len == 1 && IsTokenDelimiter(text[pos])) {
            pos += 1;
            break;
        }
        token.append(text, pos, len);
        pos += len;
    }
    text.erase(0, pos);
    token = Trim(token);
    text = Trim(text);
}

bool StringToRect(const std::string& text, TRect& r)
{
    std::string rest = text, tok;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        ExtractToken(rest, tok);
        if (!ParseInt(tok, v[i])) {
            r = TRect(0, 0, 0, 0);
            return false;
        }
    }
    r = TRect(v[0], v[1], v[2], v[3]);
    return true;
}

void CorrectTextByMeasure(std::string& text, int width,
                          const std::function<int(const std::string&)>& measure)
{
    if (measure(text) <= width) return;
    // ends[k]: the bytes of the first k characters (whole UTF-8 sequences).
    std::vector<std::size_t> ends{0};
    for (std::size_t i = 1; i <= text.size(); ++i)
        if (i == text.size() || ((unsigned char)text[i] & 0xC0) != 0x80) ends.push_back(i);
    const std::size_t n = ends.size() - 1;   // the whole text does not fit
    auto fits = [&](std::size_t k) { return measure(text.substr(0, ends[k]) + "...") <= width; };
    // Gallop from the front to a prefix that does not fit, then halve the gap:
    // `lo` fits (or is 0), `hi` does not (or is the whole text).
    std::size_t lo = 0, hi = n;
    for (std::size_t k = 1; k < n; k *= 2) {
        if (!fits(k)) {
            hi = k;
            break;
        }
        lo = k;
    }
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    text.resize(ends[lo]);
    text += "...";
}

// ---------------------------------------------------------------------------
// Glyph and caption layout

void CalcGlyphTextLayout(TbsButtonLayout layout, const TRect& r, int gw, int gh, int tw, int th,
                         int spacing, int margin, int& textX, int& textY, int& glyphX,
                         int& glyphY)
{
    if (gw == 0) spacing = 0;
    const int cx = r.Left + RectWidth(r) / 2;
    const int cy = r.Top + RectHeight(r) / 2;
    if (margin != -1) {
        switch (layout) {
        case blGlyphLeft:
            glyphX = r.Left + margin;
            glyphY = cy - gh / 2;
            textX = r.Left + margin + gw + spacing;
            textY = cy - th / 2;
            break;
        case blGlyphRight:
            glyphX = r.Right - gw - margin;
            glyphY = cy - gh / 2;
            textX = glyphX - spacing - tw;
            textY = cy - th / 2;
            break;
        case blGlyphTop:
            glyphX = cx - gw / 2;
            glyphY = r.Top + margin;
            textX = cx - tw / 2;
            textY = glyphY + gh + spacing;
            break;
        case blGlyphBottom:
            glyphX = cx - gw / 2;
            glyphY = r.Bottom - gh - margin;
            textX = cx - tw / 2;
            textY = glyphY - spacing - th;
            break;
        }
        return;
    }
    const int half = (gw + tw + spacing) / 2;
    const int vhalf = (th + gh + spacing) / 2;
    switch (layout) {
    case blGlyphLeft:
        glyphX = cx - half;
        textX = cx + half - tw;
        glyphY = cy - gh / 2;
        textY = cy - th / 2;
        break;
    case blGlyphRight:
        textX = cx - half;
        glyphX = cx + half - gw;
        glyphY = cy - gh / 2;
        textY = cy - th / 2;
        break;
    case blGlyphTop:
        glyphY = cy - vhalf;
        textY = cy + vhalf - th;
        glyphX = cx - gw / 2;
        textX = cx - tw / 2;
        break;
    case blGlyphBottom:
        textY = cy - vhalf;
        glyphY = cy + vhalf - gh;
        glyphX = cx - gw / 2;
        textX = cx - tw / 2;
        break;
    }
}

TbsGlyphTextLayout CalcGlyphTextLayout(TbsButtonLayout layout, const TRect& r, int gw, int gh,
                                       int tw, int th, int spacing, int margin)
{
    TbsGlyphTextLayout l;
    CalcGlyphTextLayout(layout, r, gw, gh, tw, th, spacing, margin, l.TextX, l.TextY, l.GlyphX,
                        l.GlyphY);
    return l;
}

std::vector<TbsDotPixel> DottedFocusRectPixels(const TRect& r)
{
    std::vector<TbsDotPixel> out;
    const int l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
    if (rr < l || b < t) return out;
    bool on = !((rr - l) % 2 == 0 && (b - t) % 2 == 0);
    auto put = [&](int x, int y) {
        out.push_back({x, y, on});
        on = !on;
    };
    for (int x = l; x <= rr; ++x) put(x, t);
    on = !on;
    for (int y = t; y <= b; ++y) put(rr, y);
    on = !on;
    for (int x = rr; x >= l; --x) put(x, b);
    on = !on;
    for (int y = b; y >= t; --y) put(l, y);
    return out;
}

// ---------------------------------------------------------------------------
// Probes

namespace
{
struct ProbeState
{
    bool mmx = false;
    bool nt = false;
    bool msimg32 = false;
};
ProbeState& Probes()
{
    static ProbeState s;
    return s;
}

// Start-up of the drawing utilities: runs once when the program starts.
struct UtilsStartup
{
    UtilsStartup()
    {
        Probes().mmx = IsMMXAvailable();
        // TransparentBlt is part of the drawing layer itself, so it is always
        // there. (The window layer is not asked anything this early.)
        Probes().msimg32 = true;
        Probes().nt = true;
    }
} utilsStartup;
}  // namespace

void GetWindowsVersion(int& major, int& minor)
{
    // The probes answer as a current system of the family would.
    major = 10;
    minor = 0;
}

bool VersionIsVistaOrLater(int major, int) { return major > 5; }
bool VersionIsXPOrLater(int major, int minor) { return major > 5 || (major == 5 && minor == 1); }
bool VersionHasLayeredWindows(int major, int minor)
{
    return major > 5 || (major == 5 && minor >= 0 && minor <= 2);
}

bool IsWindowsVistaOrLater()
{
    int ma, mi;
    GetWindowsVersion(ma, mi);
    return VersionIsVistaOrLater(ma, mi);
}

bool IsWindowsXPOrLater()
{
    int ma, mi;
    GetWindowsVersion(ma, mi);
    return VersionIsXPOrLater(ma, mi);
}

// IsLayeredWindowsAvailable is the window layer's own probe (Window.h).

bool IsCPUIDAvailable()
{
#if defined(__x86_64__)
    return true;   // the ID flag can always be toggled in 64-bit mode
#elif defined(__i386__)
    return __get_cpuid_max(0, nullptr) != 0;
#else
    return false;
#endif
}

std::uint32_t GetCPUSignature()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d)) return a;
#endif
    return 0;
}

std::uint32_t GetCPUFeatures()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d)) return d;
#endif
    return 0;
}

bool CPUHasMMX(bool cpuidAvailable, std::uint32_t signature, std::uint32_t features)
{
    return cpuidAvailable && ((signature >> 8) & 0xF) >= 5 && (features & 0x800000) != 0;
}

bool IsMMXAvailable()
{
    return CPUHasMMX(IsCPUIDAvailable(), GetCPUSignature(), GetCPUFeatures());
}

void EndMMX() {}
bool IsMsimg32Loaded() { return Probes().msimg32; }
bool IsMMXFlagSet() { return Probes().mmx; }
bool IsNTFamily() { return Probes().nt; }

// ---------------------------------------------------------------------------
// Stream strings

std::u16string bsUtf8ToUtf16(const std::string& s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = (unsigned char)s[i];
        std::size_t len = Utf8SeqLen(c);
        char32_t cp;
        if (len == 1 || i + len > s.size()) {
            cp = c < 0x80 ? c : 0xFFFD;
            len = 1;
        } else {
            cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
            bool ok = true;
            for (std::size_t k = 1; k < len; ++k) {
                unsigned char cc = (unsigned char)s[i + k];
                if ((cc & 0xC0) != 0x80) { ok = false; break; }
                cp = (cp << 6) | (cc & 0x3F);
            }
            if (!ok) { cp = 0xFFFD; len = 1; }
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else if (cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
    return out;
}

std::string bsUtf16ToUtf8(const std::u16string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeStreamString(const std::string& text)
{
    std::u16string u = bsUtf8ToUtf16(text);
    std::vector<std::uint8_t> out(4 + 2 * u.size());
    std::uint32_t n = std::uint32_t(u.size());
    for (int k = 0; k < 4; ++k) out[k] = std::uint8_t(n >> (8 * k));
    for (std::size_t i = 0; i < u.size(); ++i) {
        out[4 + 2 * i] = std::uint8_t(u[i] & 0xFF);
        out[5 + 2 * i] = std::uint8_t(u[i] >> 8);
    }
    return out;
}

std::size_t ParseStreamString(const std::uint8_t* data, std::size_t size, std::string& text)
{
    text.clear();
    if (size < 4) return 0;
    std::uint32_t n = std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) |
                      (std::uint32_t(data[2]) << 16) | (std::uint32_t(data[3]) << 24);
    std::size_t avail = (size - 4) / 2;
    std::size_t take = n < avail ? n : avail;
    std::u16string u(take, u'\0');
    for (std::size_t i = 0; i < take; ++i)
        u[i] = char16_t(data[4 + 2 * i] | (data[5 + 2 * i] << 8));
    text = bsUtf16ToUtf8(u);
    return take == n ? 4 + 2 * std::size_t(n) : 0;
}

void WriteStringToStream(TStream& stream, const std::string& text)
{
    const std::vector<std::uint8_t> bytes = EncodeStreamString(text);
    stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
}

bool ReadStringFromStream(TStream& stream, std::string& text)
{
    text.clear();
    std::uint8_t head[4];
    if (stream.Read(head, 4) != 4) return false;
    const std::uint32_t n = std::uint32_t(head[0]) | (std::uint32_t(head[1]) << 8) |
                            (std::uint32_t(head[2]) << 16) | (std::uint32_t(head[3]) << 24);
    // Never trust the count beyond the bytes that are left.
    const std::int64_t left = std::max<std::int64_t>(0, stream.Size() - stream.Position());
    const std::int64_t want = std::min<std::int64_t>(2 * std::int64_t(n), left & ~std::int64_t(1));
    std::vector<std::uint8_t> bytes(4 + std::size_t(want));
    std::memcpy(bytes.data(), head, 4);
    const std::int64_t got = want > 0 ? stream.Read(bytes.data() + 4, want) : 0;
    bytes.resize(4 + std::size_t(std::max<std::int64_t>(got, 0)));
    return ParseStreamString(bytes.data(), bytes.size(), text) != 0;
}
