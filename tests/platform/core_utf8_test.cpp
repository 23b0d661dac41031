#include "platform/core/Utf8.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

TEST(Utf8, CodePointsAndConversions)
{
    const std::string s = "a中é😀";
    EXPECT_EQ(Utf8Length(s), 4u);
    EXPECT_TRUE(Utf8IsValid(s));
    EXPECT_EQ(Utf8ToUtf32(s), (std::u32string{U'a', U'中', U'é', U'😀'}));
    std::u16string w = Utf8ToUtf16(s);
    EXPECT_EQ(w.size(), 5u) << "emoji takes a surrogate pair";
    EXPECT_EQ(Utf16ToUtf8(w), s);
    EXPECT_EQ(Utf32ToUtf8(Utf8ToUtf32(s)), s);
    // A prefix never cuts a sequence.
    EXPECT_EQ(Utf8SafePrefix(s, 2), 1u);
    EXPECT_EQ(Utf8SafePrefix(s, 4), 4u);
}

TEST(Utf8, MalformedInputIsReplacedNotOverrun)
{
    struct Case { std::string bytes; std::size_t points; };
    const Case cases[] = {
        {"\xC3", 1},             // truncated 2-byte sequence at the end
        {"\xE4\xB8", 2},         // truncated 3-byte sequence
        {"\xC0\x80", 2},         // overlong NUL
        {"\xED\xA0\x80", 3},     // UTF-16 surrogate encoded
        {"\xF4\x90\x80\x80", 4}, // past U+10FFFF
        {"\xFF", 1},
    };
    for (const Case& c : cases)
    {
        EXPECT_FALSE(Utf8IsValid(c.bytes));
        EXPECT_EQ(Utf8Length(c.bytes), c.points);
        std::u32string u = Utf8ToUtf32(c.bytes);
        for (char32_t cp : u) EXPECT_EQ(cp, 0xFFFDu);
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "lone surrogate";
}

TEST(Utf8, CaseAndComparison)
{
    EXPECT_EQ(UpperCase("abcé"), "ABCé") << "ASCII only";
    EXPECT_EQ(AnsiUpperCase("abcéÿžя"), "ABCÉŸŽЯ");
    EXPECT_EQ(AnsiLowerCase("ÀÉÎŁΣЖ中"), "àéîłσж中");
    EXPECT_TRUE(SameText("Options", "OPTIONS"));
    EXPECT_FALSE(SameText("Option", "Options"));
    EXPECT_TRUE(AnsiSameText("Über", "üBER"));
    EXPECT_LT(CompareText("apple", "Banana"), 0);
    EXPECT_GT(CompareStr("apple", "Banana"), 0);
    EXPECT_EQ(AnsiCompareText("中文", "中文"), 0);
    EXPECT_LT(AnsiCompareStr("a", "A"), 0);
    EXPECT_LT(AnsiCompareStr("A", "b"), 0);
    EXPECT_NE(AnsiCompareStr("é", "É"), 0);
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
}

TEST(Utf8, NumberConversions)
{
    struct Case { const char* text; bool ok; long long value; };
    const Case cases[] = {
        {"42", true, 42},      {" -7 ", true, -7},  {"$1F", true, 31},
        {"0x10", true, 16},    {"", false, 0},      {"12a", false, 0},
        {"-", false, 0},       {"2147483648", false, 0},
        {"-2147483648", true, -2147483648LL},
    };
    for (const Case& c : cases)
    {
        int v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) { EXPECT_EQ(v, c.value) << c.text; }
        EXPECT_EQ(StrToIntDef(c.text, 99), c.ok ? int(c.value) : 99) << c.text;
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
    EXPECT_EQ(StrToInt64Def("9223372036854775807", 0), 9223372036854775807LL);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
    EXPECT_DOUBLE_EQ(StrToFloatDef("2.5", 0), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloatDef("2,5", -1), -1);
    EXPECT_EQ(FloatToStr(0.25), "0.25");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(Format("%s=%d", "k", 3), "k=3");
}
