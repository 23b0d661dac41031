// The skin description's ini dialect and the value forms every descriptor
// reads and writes through.
//
// Dialect: "[name]" opens a section, "key=value" gives a key; blank lines and
// lines beginning with ";" are ignored; blanks around keys and values are
// dropped. Sections and keys are matched without regard to letter case and
// the first occurrence of a section or key counts. Text is UTF-8 (a UTF-8 or
// UTF-16 byte-order mark at the start of a text is honoured).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Geometry.h"

// Raised for a description that cannot be read at all (too large, a count
// beyond every sane limit, a file that cannot be opened).
class EbsSkinDataError : public Exception
{
public:
    using Exception::Exception;
};

// Stretch layout of a stretched client part.
enum TbsStretchType { bsstFull, bsstHorz, bsstVert };
// Transition of an animated change of look.
enum TbsMorphKind { mkDefault, mkGradient, mkLeftGradient, mkRightGradient, mkLeftSlide, mkRightSlide, mkPush };
// How the inactive picture of a form is rendered from the active one.
enum TbsInActiveEffect { ieBrightness, ieDarkness, ieGrayScale, ieNoise, ieSplitBlur, ieInvert };
// Command of a caption button.
enum TbsStdCommand { cmClose, cmMaximize, cmMinimize, cmSysMenu, cmDefault, cmRollUp, cmMinimizeToTray };
// Text alignment of skin entries.
enum TbsAlignment { bstaLeftJustify, bstaRightJustify, bstaCenter };

// Font style set of skin entries (bold, italic, underline, strike-out).
struct TbsFontStyles
{
    enum : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    std::uint8_t Bits = 0;
    constexpr TbsFontStyles() = default;
    constexpr explicit TbsFontStyles(std::uint8_t b) : Bits(b) {}
    constexpr bool Has(std::uint8_t s) const { return (Bits & s) != 0; }
    constexpr bool IsEmpty() const { return Bits == 0; }
    friend constexpr bool operator==(TbsFontStyles, TbsFontStyles) = default;
};

// In-memory ini text in the skin description's dialect.
class TbsIniFile
{
public:
    // Largest description text accepted (a description of a real skin is
    // well under a megabyte).
    static constexpr std::size_t MaxTextSize = 32u << 20;

    TbsIniFile() = default;
    // Parses `text`, replacing the contents.
    explicit TbsIniFile(std::string_view text) { SetText(text); }

    // Reads a file; a missing file gives an empty ini when mustExist is false.
    // Raises EbsSkinDataError when the file cannot be read or is too large.
    static TbsIniFile FromFile(const std::string& fileName, bool mustExist);

    void SetText(std::string_view text);
    // The text: section lines, "key=value" lines, a blank line after each
    // section, CR LF line ends.
    std::string GetText() const;
    void SaveToFile(const std::string& fileName) const;

    // True when the section exists and holds at least one key.
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal after "$", "0x" or "0X"; anything else gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes every occurrence of the section.
    void EraseSection(std::string_view section);
    // Number of keys of the first occurrence of a section.
    std::size_t KeyCount(std::string_view section) const;

private:
    struct Key
    {
        std::string Name, Value;
    };
    struct Section
    {
        std::string Name;
        std::vector<Key> Keys;
        // Lower-case key name -> position of its first occurrence; built on
        // demand so that lookups stay fast in large texts.
        mutable std::unordered_map<std::string, std::size_t> Index;
        mutable bool IndexValid = false;
        // Erased sections stay in place, unseen, so that positions hold.
        bool Erased = false;
    };
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    static const Key* FindKey(const Section& s, std::string_view name);
    void AddSection(std::string name);

    std::vector<Section> FSections;
    // Lower-case section name -> positions of its occurrences, first first.
    std::unordered_map<std::string, std::vector<std::size_t>> FSectionIndex;
};

// Integer text as the dialect reads it; false when it is not a number.
bool bsParseIniInteger(std::string_view text, int& out);

// Largest magnitude of a number a skin may hold other than a colour
// (coordinates, offsets, sizes, font heights, picture numbers, intervals):
// larger values are clamped when read, so that sums of a few of them never
// overflow. Pictures are at most 16384 pixels wide, X11 windows 32767.
constexpr int bsMaxSkinValue = 32767;
constexpr int bsClampSkinValue(int v)
{
    return v < -bsMaxSkinValue ? -bsMaxSkinValue : v > bsMaxSkinValue ? bsMaxSkinValue : v;
}
// A number of a skin other than a colour, clamped (def when missing or not a
// number).
int ReadSkinValueFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key, int def);
// Point and rect values: digits count, "," separates fields, everything else
// is dropped; a field without digits raises EConvertError.
TPoint ParsePointStr(std::string_view text);
TRect ParseRectStr(std::string_view text);

// Value forms shared by every descriptor and the store. Points and rects are
// clamped like every number of a skin; an inverted rect (right of its left
// or above its top) reads as the empty rect 0,0,0,0, since nothing can be
// drawn from it.
TRect ReadRectFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteRectToIni(TbsIniFile& ini, std::string_view section, std::string_view key, const TRect& r);
TPoint ReadPointFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WritePointToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TPoint p);
bool ReadBoolFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteBoolToIni(TbsIniFile& ini, std::string_view section, std::string_view key, bool b);
TbsFontStyles ReadFontStylesFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteFontStylesToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsFontStyles fs);
// Appends the items to `list` without clearing it.
void ReadStringsFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key,
                        std::vector<std::string>& list);
void WriteStringsToIni(TbsIniFile& ini, std::string_view section, std::string_view key,
                       const std::vector<std::string>& list);
TbsAlignment ReadAlignmentFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteAlignmentToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsAlignment a);
TbsStretchType ReadStretchTypeFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteStretchTypeToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsStretchType t);
TbsMorphKind ReadMorphKindFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteMorphKindToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsMorphKind k);
TbsInActiveEffect ReadInActiveEffectFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteInActiveEffectToIni(TbsIniFile& ini, std::string_view section, std::string_view key,
                              TbsInActiveEffect e);
TbsStdCommand ReadCommandFromIni(const TbsIniFile& ini, std::string_view section, std::string_view key);
void WriteCommandToIni(TbsIniFile& ini, std::string_view section, std::string_view key, TbsStdCommand c);
// The five sections without which a description is refused.
bool IsValidSkinIni(const TbsIniFile& ini);

// Largest item count accepted for a list ("count" of a list section, the
// count of a string list); larger counts are refused as damaged data.
constexpr int bsMaxListCount = 10000;

// One pass over a section's keys that reads, writes or fits each field, so a
// descriptor lists its keys once, in writing order.
class TbsIniIO
{
public:
    TbsIniIO(TbsIniFile& ini, std::string section, bool reading)
        : FIni(&ini), FSection(std::move(section)), FMode(reading ? Read : Write) {}
    // The fitting pass: every rect that does not lie inside a picture of
    // w x h becomes empty (its piece cannot be drawn and is skipped), every
    // point is moved into it; nothing else changes.
    TbsIniIO(int w, int h) : FMode(Fit), FFitW(w), FFitH(h) {}
    bool Reading() const { return FMode == Read; }
    const std::string& Section() const { return FSection; }

    // A number other than a colour (clamped when read).
    void Int(std::string_view key, int& v, int def);
    // A colour: any 32-bit pattern.
    void Color(std::string_view key, int& v, int def);
    void Str(std::string_view key, std::string& v, std::string_view def);
    void Bool(std::string_view key, bool& v);
    void Rect(std::string_view key, TRect& v);
    void Point(std::string_view key, TPoint& v);
    void FontStyle(std::string_view key, TbsFontStyles& v);
    void Alignment(std::string_view key, TbsAlignment& v);
    void StretchType(std::string_view key, TbsStretchType& v);
    void MorphKind(std::string_view key, TbsMorphKind& v);
    void InActiveEffect(std::string_view key, TbsInActiveEffect& v);
    void Command(std::string_view key, TbsStdCommand& v);

private:
    enum Mode { Read, Write, Fit };
    TbsIniFile* FIni = nullptr;
    std::string FSection;
    Mode FMode;
    int FFitW = 0, FFitH = 0;
};

// Fits a rect or point to a picture of w x h as the fitting pass does.
void bsFitRectToPicture(TRect& r, int w, int h);
void bsFitPointToPicture(TPoint& p, int w, int h);
