#include "lib/bsSkinData/Ini.h"

#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace
{
std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n' || s[b] == '\0')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n' || s[e - 1] == '\0'))
        --e;
    return s.substr(b, e - b);
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 text (without its byte-order mark) to UTF-8; unpaired surrogates
// become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size() / 2;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        auto lo = static_cast<unsigned char>(bytes[2 * i]), hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (std::uint32_t(lo) << 8) | hi : (std::uint32_t(hi) << 8) | lo;
    };
    for (std::size_t i = 0; i < n; ++i)
    {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n)
        {
            std::uint32_t v = unit(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF)
            {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}
} // namespace

// ---------------------------------------------------------------------------
// TbsIniFile

TbsIniFile TbsIniFile::FromFile(const std::string& fileName, bool mustExist)
{
    if (sys::DirectoryExists(fileName))
        throw EbsSkinDataError("Cannot open file \"" + fileName + "\". Is a directory");
    if (sys::IsSpecialFile(fileName))
        throw EbsSkinDataError("Cannot open file \"" + fileName + "\". Not a regular file");
    std::ifstream f(fileName, std::ios::binary);
    if (!f)
    {
        if (!mustExist) return TbsIniFile();
        throw EbsSkinDataError("Cannot open file \"" + fileName + "\".");
    }
    f.seekg(0, std::ios::end);
    std::streamoff size = f.tellg();
    if (size < 0) throw EbsSkinDataError("Cannot read file \"" + fileName + "\".");
    if (static_cast<std::uint64_t>(size) > MaxTextSize)
        throw EbsSkinDataError("Skin description \"" + fileName + "\" is too large.");
    f.seekg(0, std::ios::beg);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !f.read(text.data(), size))
        throw EbsSkinDataError("Cannot read file \"" + fileName + "\".");
    return TbsIniFile(text);
}

void TbsIniFile::SetText(std::string_view text)
{
    if (text.size() > MaxTextSize) throw EbsSkinDataError("Skin description text is too large.");
    FSections.clear();
    FSectionIndex.clear();
    std::string converted;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    else if (text.size() >= 2 && (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF"))
    {
        converted = Utf16ToUtf8(text.substr(2), text[0] == '\xFE');
        text = converted;
    }
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size())
    {
        std::size_t eol = text.find_first_of("\r\n", pos);
        std::string_view line = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        line = TrimView(line);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[')
        {
            std::size_t close = line.find(']');
            if (close != std::string_view::npos)
            {
                AddSection(std::string(TrimView(line.substr(1, close - 1))));
                current = &FSections.back();
                continue;
            }
        }
        std::size_t eq = line.find('=');
        // Lines without "=" and keys outside any section carry nothing.
        if (eq == std::string_view::npos || current == nullptr) continue;
        current->Keys.push_back(Key{std::string(TrimView(line.substr(0, eq))), std::string(TrimView(line.substr(eq + 1)))});
    }
}

std::string TbsIniFile::GetText() const
{
    std::string out;
    for (const Section& s : FSections)
    {
        if (s.Erased) continue;
        out += '[';
        out += s.Name;
        out += "]\r\n";
        for (const Key& k : s.Keys)
        {
            out += k.Name;
            out += '=';
            out += k.Value;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

void TbsIniFile::SaveToFile(const std::string& fileName) const
{
    if (sys::IsSpecialFile(fileName))
        throw EbsSkinDataError("Cannot create file \"" + fileName + "\". Not a regular file");
    std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
    if (!f) throw EbsSkinDataError("Cannot create file \"" + fileName + "\".");
    std::string text = GetText();
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!f) throw EbsSkinDataError("Cannot write file \"" + fileName + "\".");
}

void TbsIniFile::AddSection(std::string name)
{
    FSectionIndex[LowerCase(name)].push_back(FSections.size());
    FSections.push_back(Section{std::move(name), {}, {}, false, false});
}

const TbsIniFile::Section* TbsIniFile::FindSection(std::string_view name) const
{
    auto it = FSectionIndex.find(LowerCase(name));
    return it == FSectionIndex.end() ? nullptr : &FSections[it->second.front()];
}

TbsIniFile::Section* TbsIniFile::FindSection(std::string_view name)
{
    return const_cast<Section*>(static_cast<const TbsIniFile*>(this)->FindSection(name));
}

const TbsIniFile::Key* TbsIniFile::FindKey(const Section& s, std::string_view name)
{
    if (s.Keys.size() <= 8)
    {
        for (const Key& k : s.Keys)
            if (SameText(k.Name, name)) return &k;
        return nullptr;
    }
    if (!s.IndexValid)
    {
        s.Index.clear();
        for (std::size_t i = 0; i < s.Keys.size(); ++i) s.Index.emplace(LowerCase(s.Keys[i].Name), i);
        s.IndexValid = true;
    }
    auto it = s.Index.find(LowerCase(name));
    return it == s.Index.end() ? nullptr : &s.Keys[it->second];
}

bool TbsIniFile::SectionExists(std::string_view section) const
{
    const Section* s = FindSection(section);
    return s != nullptr && !s->Keys.empty();
}

bool TbsIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    const Section* s = FindSection(section);
    return s != nullptr && FindKey(*s, key) != nullptr;
}

std::size_t TbsIniFile::KeyCount(std::string_view section) const
{
    const Section* s = FindSection(section);
    return s ? s->Keys.size() : 0;
}

std::string TbsIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    if (const Section* s = FindSection(section))
        if (const Key* k = FindKey(*s, key)) return k->Value;
    return std::string(def);
}

int TbsIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    if (const Section* s = FindSection(section))
        if (const Key* k = FindKey(*s, key))
        {
            int v;
            if (bsParseIniInteger(k->Value, v)) return v;
        }
    return def;
}

void TbsIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Section* s = FindSection(section);
    if (s == nullptr)
    {
        AddSection(std::string(section));
        s = &FSections.back();
    }
    if (const Key* k = FindKey(*s, key))
    {
        const_cast<Key*>(k)->Value = std::string(value);
        return;
    }
    s->Keys.push_back(Key{std::string(key), std::string(value)});
    if (s->IndexValid) s->Index.emplace(LowerCase(key), s->Keys.size() - 1);
}

void TbsIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TbsIniFile::EraseSection(std::string_view section)
{
    auto it = FSectionIndex.find(LowerCase(section));
    if (it == FSectionIndex.end()) return;
    for (std::size_t i : it->second)
    {
        FSections[i].Erased = true;
        FSections[i].Keys.clear();
        FSections[i].Index.clear();
    }
    FSectionIndex.erase(it);
}

// ---------------------------------------------------------------------------
// Value forms

bool bsParseIniInteger(std::string_view t, int& out)
{
    t = TrimView(t);
    bool neg = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+'))
    {
        neg = t[0] == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (!t.empty() && t[0] == '$')
    {
        base = 16;
        t.remove_prefix(1);
    }
    else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
    {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty()) return false;
    std::uint64_t v = 0;
    for (char c : t)
    {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    if (base == 10)
    {
        if (!neg && v > static_cast<std::uint64_t>(INT_MAX)) return false;
        if (neg && v > static_cast<std::uint64_t>(INT_MAX) + 1) return false;
        out = neg ? static_cast<int>(-static_cast<std::int64_t>(v)) : static_cast<int>(v);
        return true;
    }
    // Hexadecimal numbers name 32-bit patterns ($FF000000 is negative).
    auto bits = static_cast<std::uint32_t>(v);
    if (neg) bits = 0u - bits;
    out = static_cast<int>(bits);
    return true;
}

namespace
{
[[noreturn]] void InvalidInteger(std::string_view s)
{
    throw EConvertError("''" + std::string(s) + "'' is not a valid integer value");
}

// Walks the value: "," ends a field, digits count, all else is dropped.
std::vector<std::string> NumberFields(std::string_view text)
{
    std::vector<std::string> fields(1);
    for (char c : text)
    {
        if (c == ',')
            fields.emplace_back();
        else if (c >= '0' && c <= '9')
            fields.back() += c;
    }
    return fields;
}

int FieldValue(const std::vector<std::string>& f, std::size_t i)
{
    if (i >= f.size()) InvalidInteger("");
    int v;
    if (f[i].empty() || !bsParseIniInteger(f[i], v)) InvalidInteger(f[i]);
    return v;
}

constexpr const char* kStretchWords[] = {"stfull", "sthorz", "stvert"};
constexpr const char* kMorphWords[] = {"mkdefault", "mkgradient", "mkleftgradient", "mkrightgradient",
                                       "mkleftslide", "mkrightslide", "mkpush"};
constexpr const char* kEffectWords[] = {"iebrightness", "iedarkness", "iegrayscale",
                                        "ienoise", "iesplitblur", "ieinvert"};
constexpr const char* kCommandWords[] = {"cmclose", "cmmaximize", "cmminimize", "cmsysmenu",
                                         "cmdefault", "cmrollup", "cmminimizetotray"};
} // namespace

TPoint ParsePointStr(std::string_view text)
{
    auto f = NumberFields(text);
    return TPoint(FieldValue(f, 0), FieldValue(f, 1));
}

TRect ParseRectStr(std::string_view text)
{
    auto f = NumberFields(text);
    return TRect(FieldValue(f, 0), FieldValue(f, 1), FieldValue(f, 2), FieldValue(f, 3));
}

int ReadSkinValueFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key, int def)
{
    return bsClampSkinValue(ini.ReadInteger(section, key, def));
}

TRect ReadRectFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    const TRect r = ParseRectStr(ini.ReadString(section, key, "0,0,0,0"));
    const TRect c(bsClampSkinValue(r.Left), bsClampSkinValue(r.Top), bsClampSkinValue(r.Right),
                  bsClampSkinValue(r.Bottom));
    return c.Right < c.Left || c.Bottom < c.Top ? TRect() : c;
}

void WriteRectToIni(TbsIniFile& ini, std::string_view section, std::string_view key, const TRect& r)
{
    ini.WriteString(section, key,
                    std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                        std::to_string(r.Bottom));
}

TPoint ReadPointFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    const TPoint p = ParsePointStr(ini.ReadString(section, key, "0,0"));
    return TPoint(bsClampSkinValue(p.X), bsClampSkinValue(p.Y));
}

void bsFitRectToPicture(TRect& r, int w, int h)
{
    if (r.Left < 0 || r.Top < 0 || r.Right > w || r.Bottom > h || r.Right < r.Left || r.Bottom < r.Top) r = TRect();
}

void bsFitPointToPicture(TPoint& p, int w, int h)
{
    p.X = std::clamp(p.X, 0, std::max(w, 0));
    p.Y = std::clamp(p.Y, 0, std::max(h, 0));
}

void WritePointToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TPoint p)
{
    ini.WriteString(section, key, std::to_string(p.X) + "," + std::to_string(p.Y));
}

bool ReadBoolFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    return ini.ReadInteger(section, key, 0) == 1;
}

void WriteBoolToIni(TbsIniFile& ini, std::string_view section, std::string_view key, bool b)
{
    ini.WriteInteger(section, key, b ? 1 : 0);
}

TbsFontStyles ReadFontStylesFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "");
    std::uint8_t bits = 0;
    if (v.find("fsbold") != std::string::npos) bits |= TbsFontStyles::Bold;
    if (v.find("fsitalic") != std::string::npos) bits |= TbsFontStyles::Italic;
    if (v.find("fsunderline") != std::string::npos) bits |= TbsFontStyles::Underline;
    if (v.find("fsstrikeout") != std::string::npos) bits |= TbsFontStyles::StrikeOut;
    return TbsFontStyles(bits);
}

void WriteFontStylesToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsFontStyles fs)
{
    std::string v;
    auto add = [&](std::uint8_t bit, const char* word) {
        if (!fs.Has(bit)) return;
        if (!v.empty()) v += ',';
        v += word;
    };
    add(TbsFontStyles::Bold, "fsbold");
    add(TbsFontStyles::Italic, "fsitalic");
    add(TbsFontStyles::Underline, "fsunderline");
    add(TbsFontStyles::StrikeOut, "fsstrikeout");
    ini.WriteString(section, key, v);
}

void ReadStringsFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key,
                        std::vector<std::string>& list)
{
    int n = ini.ReadInteger(section, std::string(key) + "count", 0);
    if (n > bsMaxListCount)
        throw EbsSkinDataError("Skin description: the list \"" + std::string(key) + "\" of section \"" +
                               std::string(section) + "\" is too long (" + std::to_string(n) + " items).");
    for (int i = 0; i < n; ++i) list.push_back(ini.ReadString(section, std::to_string(i), ""));
}

void WriteStringsToIni(TbsIniFile& ini, std::string_view section, std::string_view key,
                       const std::vector<std::string>& list)
{
    ini.WriteInteger(section, std::string(key) + "count", static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) ini.WriteString(section, std::to_string(i), list[i]);
}

TbsAlignment ReadAlignmentFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "tacenter");
    if (v == "tacenter") return bstaCenter;
    if (v == "taleftjustify") return bstaLeftJustify;
    return bstaRightJustify;
}

void WriteAlignmentToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsAlignment a)
{
    ini.WriteString(section, key,
                    a == bstaLeftJustify ? "taleftjustify" : a == bstaCenter ? "tacenter" : "tarightjustify");
}

TbsStretchType ReadStretchTypeFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "stfull");
    if (v == "stfull") return bsstFull;
    if (v == "stvert") return bsstVert;
    return bsstHorz;
}

void WriteStretchTypeToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsStretchType t)
{
    int i = static_cast<int>(t);
    ini.WriteString(section, key, i >= 0 && i < 3 ? kStretchWords[i] : "");
}

TbsMorphKind ReadMorphKindFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "mkdefault");
    for (int i = 0; i < 7; ++i)
        if (v == kMorphWords[i]) return static_cast<TbsMorphKind>(i);
    return mkDefault;
}

void WriteMorphKindToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsMorphKind k)
{
    int i = static_cast<int>(k);
    ini.WriteString(section, key, i >= 0 && i < 7 ? kMorphWords[i] : "");
}

TbsInActiveEffect ReadInActiveEffectFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "iebrightness");
    for (int i = 0; i < 6; ++i)
        if (v == kEffectWords[i]) return static_cast<TbsInActiveEffect>(i);
    return ieGrayScale;
}

void WriteInActiveEffectToIni(TbsIniFile& ini, std::string_view section, std::string_view key,
                              TbsInActiveEffect e)
{
    int i = static_cast<int>(e);
    ini.WriteString(section, key, i >= 0 && i < 6 ? kEffectWords[i] : "");
}

TbsStdCommand ReadCommandFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key)
{
    std::string v = ini.ReadString(section, key, "cmdefault");
    for (int i = 0; i < 6; ++i)
        if (v == kCommandWords[i]) return static_cast<TbsStdCommand>(i);
    return cmMinimizeToTray;
}

void WriteCommandToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsStdCommand c)
{
    int i = static_cast<int>(c);
    ini.WriteString(section, key, i >= 0 && i < 6 ? kCommandWords[i] : "cmminimizetotray");
}

bool IsValidSkinIni(const TbsIniFile& ini)
{
    return ini.SectionExists("VERSION") && ini.SectionExists("PICTURES") && ini.SectionExists("FORMINFO") &&
           ini.SectionExists("SKINOBJECTS") && ini.SectionExists("SKINCONTROLS");
}

// ---------------------------------------------------------------------------
// TbsIniIO

void TbsIniIO::Int(std::string_view key, int& v, int def)
{
    if (FMode == Read) v = ReadSkinValueFromIni(*FIni, FSection, key, def);
    else if (FMode == Write) FIni->WriteInteger(FSection, key, v);
}

void TbsIniIO::Color(std::string_view key, int& v, int def)
{
    if (FMode == Read) v = FIni->ReadInteger(FSection, key, def);
    else if (FMode == Write) FIni->WriteInteger(FSection, key, v);
}

void TbsIniIO::Str(std::string_view key, std::string& v, std::string_view def)
{
    if (FMode == Read) v = FIni->ReadString(FSection, key, def);
    else if (FMode == Write) FIni->WriteString(FSection, key, v);
}

void TbsIniIO::Bool(std::string_view key, bool& v)
{
    if (FMode == Read) v = ReadBoolFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteBoolToIni(*FIni, FSection, key, v);
}

void TbsIniIO::Rect(std::string_view key, TRect& v)
{
    if (FMode == Read) v = ReadRectFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteRectToIni(*FIni, FSection, key, v);
    else bsFitRectToPicture(v, FFitW, FFitH);
}

void TbsIniIO::Point(std::string_view key, TPoint& v)
{
    if (FMode == Read) v = ReadPointFromIni(*FIni, FSection, key);
    else if (FMode == Write) WritePointToIni(*FIni, FSection, key, v);
    else bsFitPointToPicture(v, FFitW, FFitH);
}

void TbsIniIO::FontStyle(std::string_view key, TbsFontStyles& v)
{
    if (FMode == Read) v = ReadFontStylesFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteFontStylesToIni(*FIni, FSection, key, v);
}

void TbsIniIO::Alignment(std::string_view key, TbsAlignment& v)
{
    if (FMode == Read) v = ReadAlignmentFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteAlignmentToIni(*FIni, FSection, key, v);
}

void TbsIniIO::StretchType(std::string_view key, TbsStretchType& v)
{
    if (FMode == Read) v = ReadStretchTypeFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteStretchTypeToIni(*FIni, FSection, key, v);
}

void TbsIniIO::MorphKind(std::string_view key, TbsMorphKind& v)
{
    if (FMode == Read) v = ReadMorphKindFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteMorphKindToIni(*FIni, FSection, key, v);
}

void TbsIniIO::InActiveEffect(std::string_view key, TbsInActiveEffect& v)
{
    if (FMode == Read) v = ReadInActiveEffectFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteInActiveEffectToIni(*FIni, FSection, key, v);
}

void TbsIniIO::Command(std::string_view key, TbsStdCommand& v)
{
    if (FMode == Read) v = ReadCommandFromIni(*FIni, FSection, key);
    else if (FMode == Write) WriteCommandToIni(*FIni, FSection, key, v);
}
