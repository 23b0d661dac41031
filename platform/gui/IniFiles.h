// Ini files: sections of key=value lines in UTF-8, with the lookup rules of
// the system's profile files (sections and keys ignore case; the first of two
// equal sections or keys counts; a missing key reads as the default given).
#pragma once
#include "platform/core/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

class TStrings;

class EIniFileException : public Exception { public: using Exception::Exception; };

// The text of an ini file as lines, grouped by section. Lines that are not
// key=value (comments, blanks) are kept as they were and written back.
class TIniData
{
public:
    void Parse(const std::string& text);
    // lineBreak ends every line ("\n" or "\r\n").
    std::string Compose(const std::string& lineBreak) const;
    void Clear() { sections_.clear(); }

    bool Read(const std::string& section, const std::string& key, std::string& value) const;
    void Write(const std::string& section, const std::string& key, const std::string& value);
    void Keys(const std::string& section, std::vector<std::string>& out) const;
    void KeyValues(const std::string& section, std::vector<std::string>& out) const;
    void Sections(std::vector<std::string>& out) const;
    // Removes every section of that name, with its lines.
    bool EraseSection(const std::string& section);
    // Removes the key from every section of that name.
    bool DeleteKey(const std::string& section, const std::string& key);

private:
    struct Section
    {
        std::string name;   // "" for lines before the first section header
        bool header = false;
        std::vector<std::string> lines;
    };
    Section* Find(const std::string& name);
    const Section* Find(const std::string& name) const;
    std::vector<Section> sections_;
};

// How an ini file's text is stored, so that a write keeps it as it was read:
// UTF-8 with or without a byte-order mark, or UTF-16 (little or big end)
// with one, and any further marks that open the text.
struct TIniEncoding
{
    enum TKind { Utf8, Utf16LE, Utf16BE };
    TKind Kind = Utf8;
    bool Mark = false;
    int ExtraMarks = 0;

    // The bytes of a file as UTF-8 text without its marks; remembers them.
    std::string Decode(const std::string& bytes);
    // The text as bytes of this encoding, marks first.
    std::string Encode(const std::string& text) const;
};

// Common interface of the ini file classes.
class TCustomIniFile : public TObject
{
public:
    explicit TCustomIniFile(const std::string& FileName) : fileName_(FileName) {}
    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) = 0;
    virtual void WriteString(const std::string& Section, const std::string& Ident,
                             const std::string& Value) = 0;
    // Decimal or hexadecimal ("0x1F", "$1F"); anything else reads as Default.
    int ReadInteger(const std::string& Section, const std::string& Ident, int Default);
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
    // An integer: non-zero is true. Written as "1" / "0".
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    // "." as the decimal separator.
    double ReadFloat(const std::string& Section, const std::string& Ident, double Default);
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);

    // Key names of a section / section names / "key=value" lines of a section.
    // The list is cleared first.
    virtual void ReadSection(const std::string& Section, TStrings* Strings) = 0;
    virtual void ReadSections(TStrings* Strings) = 0;
    virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) = 0;
    virtual void EraseSection(const std::string& Section) = 0;
    virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
    virtual void UpdateFile() = 0;
    // A section exists when it holds at least one key.
    bool SectionExists(const std::string& Section);
    bool ValueExists(const std::string& Section, const std::string& Ident);

private:
    std::string fileName_;
};

// An ini file read and written in memory; UpdateFile writes it (atomically).
// A missing, unreadable or damaged file starts empty.
class TMemIniFile : public TCustomIniFile
{
public:
    explicit TMemIniFile(const std::string& FileName);

    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) override;
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
    void ReadSection(const std::string& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    // Writes the whole text to FileName; raises EIniFileException on failure.
    void UpdateFile() override;

    void Clear() { data_.Clear(); }
    // The whole text as lines / replaced by these lines.
    void GetStrings(TStrings* List) const;
    void SetStrings(const TStrings* List);
    // Parses a text (a UTF-8 or UTF-16 byte-order mark is honoured).
    void SetText(const std::string& Text);

private:
    TIniData data_;
    std::string lineBreak_ = "\n";
    TIniEncoding encoding_;
};

// An ini file on disk. Every read sees the file's current contents (it is
// re-read when it changed); every write updates the file at once, atomically
// (temporary file in the same folder, flushed, renamed over the old one), so a
// failure or a crash leaves the old file intact. A write holds an advisory
// lock on the file from reading it to replacing it, so writers in several
// processes never lose each other's keys; it keeps the file's encoding and
// byte-order marks, and writes through a symbolic link to the file it points
// to. A missing or damaged file reads as empty. A write raises
// EIniFileException when the file cannot be written (a read-only file is
// refused, not replaced), or when it exists but cannot be read (so it is never
// replaced by a file that lost its other settings).
class TIniFile : public TCustomIniFile
{
public:
    explicit TIniFile(const std::string& FileName) : TCustomIniFile(FileName) {}

    // A value longer than 2047 bytes is cut to that length (at a character
    // boundary), as the system's profile reader does.
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) override;
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
    void ReadSection(const std::string& Section, TStrings* Strings) override;
    void ReadSections(TStrings* Strings) override;
    void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    // Writes are already on disk; nothing to do.
    void UpdateFile() override {}

    static constexpr std::size_t MaxValueLength = 2047;

private:
    // Brings the cache up to date; returns false when the file exists but
    // could not be read as an ini file.
    bool Refresh();
    template <class F>
    void Modify(F change);

    TIniData data_;
    std::string lineBreak_ = "\n";
    TIniEncoding encoding_;
    bool loaded_ = false;
    bool exists_ = false;
    std::int64_t mtimeNs_ = 0, size_ = -1, inode_ = 0;
};

// Largest ini file read (bigger ones count as damaged).
constexpr std::int64_t kMaxIniFileSize = 64ll * 1024 * 1024;
