#include "platform/gui/IniFiles.h"

#include "platform/core/Utf8.h"
#include "platform/gui/Strings.h"
#include "platform/sys/Files.h"

#include <sys/stat.h>

namespace {

bool ParseKey(const std::string& line, std::string& key, std::string& value)
{
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    std::size_t p = t.find('=');
    if (p == std::string::npos) return false;
    key = TrimRight(t.substr(0, p));
    if (key.empty()) return false;
    value = Trim(std::string_view(t).substr(p + 1));
    return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

void CheckNames(const std::string& section, const std::string& key, const std::string* value)
{
    if (HasLineBreak(section) || section.find(']') != std::string::npos || Trim(section) != section)
        throw EIniFileException("Invalid ini section name \"" + section + "\"");
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string::npos || Trim(key) != key ||
        key[0] == ';' || key[0] == '[')
        throw EIniFileException("Invalid ini key name \"" + key + "\"");
    if (value && HasLineBreak(*value))
        throw EIniFileException("An ini value cannot hold a line break (key \"" + key + "\")");
}

void FillStrings(TStrings* Strings, const std::vector<std::string>& items)
{
    if (!Strings) return;
    Strings->BeginUpdate();
    try
    {
        Strings->Clear();
        for (const auto& s : items) Strings->Add(s);
    }
    catch (...)
    {
        Strings->EndUpdate();
        throw;
    }
    Strings->EndUpdate();
}

} // namespace

// ---- TIniEncoding ----------------------------------------------------------

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";   // U+FEFF
}

std::string TIniEncoding::Decode(const std::string& bytes)
{
    auto b = [&](std::size_t i) { return (unsigned char)bytes[i]; };
    Kind = Utf8;
    Mark = false;
    ExtraMarks = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, kUtf8Mark) == 0)
        Mark = true;
    else if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE)
        Kind = Utf16LE, Mark = true;
    else if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF)
        Kind = Utf16BE, Mark = true;
    std::string text = DecodeTextBytes(bytes);
    // Further marks would hide the first section header.
    std::size_t at = 0;
    while (text.compare(at, 3, kUtf8Mark) == 0)
    {
        at += 3;
        ++ExtraMarks;
    }
    return text.substr(at);
}

std::string TIniEncoding::Encode(const std::string& text) const
{
    std::string all;
    for (int i = 0; i < ExtraMarks; ++i) all += kUtf8Mark;
    all += text;
    if (Kind == Utf8) return (Mark ? kUtf8Mark : "") + all;
    std::u16string u = u'\uFEFF' + Utf8ToUtf16(all);
    std::string out;
    out.reserve(u.size() * 2);
    for (char16_t c : u)
    {
        const char lo = char(c & 0xFF), hi = char(c >> 8);
        out += Kind == Utf16LE ? lo : hi;
        out += Kind == Utf16LE ? hi : lo;
    }
    return out;
}

// ---- TIniData --------------------------------------------------------------

void TIniData::Parse(const std::string& text)
{
    sections_.clear();
    std::size_t i = 0;
    while (i < text.size())
    {
        std::size_t j = text.find_first_of("\r\n", i);
        std::size_t end = j == std::string::npos ? text.size() : j;
        std::string line = text.substr(i, end - i);
        i = end;
        if (i < text.size())
        {
            ++i;
            if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
        }
        std::string t = Trim(line);
        std::size_t close = t.find(']');
        if (!t.empty() && t[0] == '[' && close != std::string::npos)
        {
            Section s;
            s.name = Trim(t.substr(1, close - 1));
            s.header = true;
            sections_.push_back(std::move(s));
            continue;
        }
        if (sections_.empty()) sections_.push_back(Section{});
        sections_.back().lines.push_back(std::move(line));
    }
}

std::string TIniData::Compose(const std::string& lineBreak) const
{
    std::string out;
    for (const Section& s : sections_)
    {
        if (s.header) out += "[" + s.name + "]" + lineBreak;
        for (const std::string& l : s.lines) out += l + lineBreak;
    }
    return out;
}

TIniData::Section* TIniData::Find(const std::string& name)
{
    for (Section& s : sections_)
        if (s.header && AnsiSameText(s.name, name)) return &s;
    return nullptr;
}

const TIniData::Section* TIniData::Find(const std::string& name) const
{
    return const_cast<TIniData*>(this)->Find(name);
}

bool TIniData::Read(const std::string& section, const std::string& key, std::string& value) const
{
    const Section* s = Find(section);
    if (!s) return false;
    std::string k, v;
    for (const std::string& l : s->lines)
        if (ParseKey(l, k, v) && AnsiSameText(k, key))
        {
            value = v;
            return true;
        }
    return false;
}

void TIniData::Write(const std::string& section, const std::string& key, const std::string& value)
{
    std::string line = key + "=" + value;
    Section* s = Find(section);
    if (s)
    {
        std::string k, v;
        for (std::string& l : s->lines)
            if (ParseKey(l, k, v) && AnsiSameText(k, key))
            {
                l = line;
                return;
            }
        // After the last line that is not blank, so the blank line that
        // separates it from the next section stays where it is.
        std::size_t at = s->lines.size();
        while (at > 0 && Trim(s->lines[at - 1]).empty()) --at;
        s->lines.insert(s->lines.begin() + std::ptrdiff_t(at), line);
        return;
    }
    if (!sections_.empty())
    {
        auto& last = sections_.back();
        bool blank = last.lines.empty() ? !last.header : Trim(last.lines.back()).empty();
        if (!blank) last.lines.push_back("");
    }
    Section n;
    n.name = section;
    n.header = true;
    n.lines.push_back(line);
    sections_.push_back(std::move(n));
}

void TIniData::Keys(const std::string& section, std::vector<std::string>& out) const
{
    out.clear();
    const Section* s = Find(section);
    if (!s) return;
    std::string k, v;
    for (const std::string& l : s->lines)
        if (ParseKey(l, k, v))
        {
            bool seen = false;
            for (auto& e : out) seen = seen || AnsiSameText(e, k);
            if (!seen) out.push_back(k);
        }
}

void TIniData::KeyValues(const std::string& section, std::vector<std::string>& out) const
{
    std::vector<std::string> keys;
    Keys(section, keys);
    out.clear();
    for (auto& k : keys)
    {
        std::string v;
        Read(section, k, v);
        out.push_back(k + "=" + v);
    }
}

void TIniData::Sections(std::vector<std::string>& out) const
{
    out.clear();
    for (const Section& s : sections_)
    {
        if (!s.header) continue;
        bool seen = false;
        for (auto& e : out) seen = seen || AnsiSameText(e, s.name);
        if (!seen) out.push_back(s.name);
    }
}

bool TIniData::EraseSection(const std::string& section)
{
    bool any = false;
    for (std::size_t i = 0; i < sections_.size();)
        if (sections_[i].header && AnsiSameText(sections_[i].name, section))
        {
            sections_.erase(sections_.begin() + std::ptrdiff_t(i));
            any = true;
        }
        else
            ++i;
    return any;
}

bool TIniData::DeleteKey(const std::string& section, const std::string& key)
{
    bool any = false;
    std::string k, v;
    for (Section& s : sections_)
    {
        if (!s.header || !AnsiSameText(s.name, section)) continue;
        for (std::size_t i = 0; i < s.lines.size();)
            if (ParseKey(s.lines[i], k, v) && AnsiSameText(k, key))
            {
                s.lines.erase(s.lines.begin() + std::ptrdiff_t(i));
                any = true;
            }
            else
                ++i;
    }
    return any;
}

// ---- TCustomIniFile --------------------------------------------------------

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default)
{
    return StrToIntDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value)
{
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default)
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default)
{
    return StrToFloatDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value)
{
    WriteString(Section, Ident, FloatToStr(Value));
}

bool TCustomIniFile::SectionExists(const std::string& Section)
{
    TStringList keys;
    ReadSection(Section, &keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident)
{
    TStringList keys;
    ReadSection(Section, &keys);
    return keys.IndexOf(Ident) >= 0;
}

// ---- TMemIniFile -----------------------------------------------------------

TMemIniFile::TMemIniFile(const std::string& FileName) : TCustomIniFile(FileName)
{
    if (FileName.empty() || !sys::FileExists(FileName) || sys::FileSize(FileName) > kMaxIniFileSize) return;
    try
    {
        SetText(sys::ReadFileToString(FileName));
    }
    catch (const EInOutError&)
    {
        data_.Clear();   // unreadable: starts empty
    }
}

void TMemIniFile::SetText(const std::string& Text)
{
    std::string t = encoding_.Decode(Text);
    lineBreak_ = t.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    data_.Parse(t);
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default)
{
    std::string v;
    return data_.Read(Section, Ident, v) ? v : Default;
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    CheckNames(Section, Ident, &Value);
    data_.Write(Section, Ident, Value);
}

void TMemIniFile::ReadSection(const std::string& Section, TStrings* Strings)
{
    std::vector<std::string> v;
    data_.Keys(Section, v);
    FillStrings(Strings, v);
}

void TMemIniFile::ReadSections(TStrings* Strings)
{
    std::vector<std::string> v;
    data_.Sections(v);
    FillStrings(Strings, v);
}

void TMemIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings)
{
    std::vector<std::string> v;
    data_.KeyValues(Section, v);
    FillStrings(Strings, v);
}

void TMemIniFile::EraseSection(const std::string& Section) { data_.EraseSection(Section); }

void TMemIniFile::DeleteKey(const std::string& Section, const std::string& Ident)
{
    data_.DeleteKey(Section, Ident);
}

void TMemIniFile::UpdateFile()
{
    try
    {
        sys::WriteFileAtomic(FileName(), encoding_.Encode(data_.Compose(lineBreak_)));
    }
    catch (const EInOutError& e)
    {
        throw EIniFileException(e.Message());
    }
}

void TMemIniFile::GetStrings(TStrings* List) const
{
    if (List) List->SetText(data_.Compose("\n"));
}

void TMemIniFile::SetStrings(const TStrings* List)
{
    data_.Clear();
    if (List) data_.Parse(List->Text());
}

// ---- TIniFile --------------------------------------------------------------

bool TIniFile::Refresh()
{
    struct stat st;
    if (FileName().empty() || ::stat(FileName().c_str(), &st) != 0)
    {
        data_.Clear();
        encoding_ = TIniEncoding{};
        loaded_ = true;
        exists_ = false;
        size_ = -1;
        return true;
    }
    std::int64_t mt = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (loaded_ && exists_ && mt == mtimeNs_ && std::int64_t(st.st_size) == size_ &&
        std::int64_t(st.st_ino) == inode_)
        return true;
    loaded_ = false;
    exists_ = true;
    data_.Clear();
    if (S_ISDIR(st.st_mode) || std::int64_t(st.st_size) > kMaxIniFileSize) return false;
    std::string text;
    try
    {
        text = encoding_.Decode(sys::ReadFileToString(FileName()));
    }
    catch (const EInOutError&)
    {
        return false;
    }
    lineBreak_ = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    data_.Parse(text);
    loaded_ = true;
    mtimeNs_ = mt;
    size_ = std::int64_t(st.st_size);
    inode_ = std::int64_t(st.st_ino);
    return true;
}

template <class F>
void TIniFile::Modify(F change)
{
    try
    {
        // Read, changed and written under the lock, from the file as it is now
        // (another process may have changed it within the time stamps' grain).
        sys::TFileUpdateLock lock(FileName());
        loaded_ = false;
        if (!Refresh())
            throw EIniFileException("Cannot update \"" + FileName() +
                                    "\": the file exists but cannot be read as an ini file");
        change(data_);
        loaded_ = false;   // the cache holds a change the file may not
        sys::WriteFileAtomic(FileName(), encoding_.Encode(data_.Compose(lineBreak_)));
    }
    catch (const EInOutError& e)
    {
        throw EIniFileException(e.Message());
    }
    Refresh();
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default)
{
    Refresh();
    std::string v;
    if (!data_.Read(Section, Ident, v)) return Default;
    if (v.size() > MaxValueLength) v.resize(Utf8SafePrefix(v, MaxValueLength));
    return v;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    CheckNames(Section, Ident, &Value);
    Modify([&](TIniData& d) { d.Write(Section, Ident, Value); });
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings)
{
    Refresh();
    std::vector<std::string> v;
    data_.Keys(Section, v);
    FillStrings(Strings, v);
}

void TIniFile::ReadSections(TStrings* Strings)
{
    Refresh();
    std::vector<std::string> v;
    data_.Sections(v);
    FillStrings(Strings, v);
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings)
{
    Refresh();
    std::vector<std::string> v;
    data_.KeyValues(Section, v);
    FillStrings(Strings, v);
}

void TIniFile::EraseSection(const std::string& Section)
{
    if (!Refresh()) Modify([](TIniData&) {});   // raises the clear error
    std::vector<std::string> names;
    data_.Sections(names);
    bool present = false;
    for (auto& n : names) present = present || AnsiSameText(n, Section);
    if (present) Modify([&](TIniData& d) { d.EraseSection(Section); });
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident)
{
    if (!Refresh()) Modify([](TIniData&) {});
    std::string v;
    if (data_.Read(Section, Ident, v)) Modify([&](TIniData& d) { d.DeleteKey(Section, Ident); });
}
