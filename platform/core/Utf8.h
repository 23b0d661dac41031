// UTF-8 text helpers: code points, UTF-16/32 conversion, case folding for
// ASCII and Latin letters, comparisons, trimming and number conversions.
// All text in the program is UTF-8 in std::string.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Decodes the code point at s[i] and moves i past it. A malformed sequence
// yields U+FFFD and moves one byte on. At the end of s returns 0 and leaves i.
char32_t Utf8Next(std::string_view s, std::size_t& i);
// Appends the UTF-8 form of a code point (invalid ones as U+FFFD).
void Utf8Append(std::string& out, char32_t cp);
std::string Utf8Encode(char32_t cp);
// Number of code points.
std::size_t Utf8Length(std::string_view s);
// Whether s is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool Utf8IsValid(std::string_view s);
// Text as one visible line: malformed sequences become U+FFFD and control
// characters (C0, DEL and C1: a newline, a carriage return, a tab …) "?".
// For names shown to the user; the text itself is kept wherever it is used.
std::string Utf8Visible(std::string_view s);
// Length of a prefix of s that ends on a code-point boundary and is at most maxBytes long.
std::size_t Utf8SafePrefix(std::string_view s, std::size_t maxBytes);

std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
std::u32string Utf8ToUtf32(std::string_view s);
std::string Utf32ToUtf8(std::u32string_view s);

// The bytes of a text file as UTF-8: a UTF-8 byte-order mark is dropped and
// UTF-16 text (LE or BE, with its byte-order mark) is converted.
std::string DecodeTextBytes(std::string bytes);

// Case mapping of one code point: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic basic letters; anything else is returned unchanged.
char32_t CharUpper(char32_t c);
char32_t CharLower(char32_t c);

// ASCII-only case change (other bytes unchanged).
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Case change for every letter CharUpper/CharLower know.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Comparisons: <0, 0, >0. CompareStr is byte-wise (code-point order).
int CompareStr(std::string_view a, std::string_view b);
// ASCII letters folded.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// All letters CharLower knows folded, then code-point order.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
// Case-sensitive but alphabetical: "a" < "A" < "b".
int AnsiCompareStr(std::string_view a, std::string_view b);

// Drops leading/trailing bytes <= ' ' (blanks and control characters).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string IntToStr(std::int64_t v);
std::string IntToHex(std::uint64_t v, int digits);
// Decimal (optional sign, blanks around allowed) or "$"/"0x" hexadecimal.
bool TryStrToInt(std::string_view s, int& out);
bool TryStrToInt64(std::string_view s, std::int64_t& out);
int StrToIntDef(std::string_view s, int def);
std::int64_t StrToInt64Def(std::string_view s, std::int64_t def);
// Raises EConvertError ("'x' is not a valid integer value") on bad text.
int StrToInt(std::string_view s);
// Floats in the C locale ("." as separator).
bool TryStrToFloat(std::string_view s, double& out);
double StrToFloatDef(std::string_view s, double def);
std::string FloatToStr(double v);

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
