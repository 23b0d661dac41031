// Rectangle tests, tokens, ellipsis, glyph-and-caption layout, the dotted
// focus frame, default glyphs, platform probes and stream strings.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"
#include "platform/os/Window.h"
#include "platform/testing/Driver.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST(ComposeLayout, RectangleRoutines)
{
    EXPECT_TRUE(IsEmptyRect(TRect(10, 10, 10, 20)));
    EXPECT_FALSE(IsEmptyRect(TRect(0, 0, 1, 1)));
    EXPECT_TRUE(IsEmptyRect(TRect(5, 5, 3, 9)));
    EXPECT_TRUE(PtInRectInclusive(TRect(0, 0, 10, 10), TPoint(10, 10)));
    EXPECT_FALSE(PtInRectInclusive(TRect(0, 0, 10, 10), TPoint(11, 10)));
    EXPECT_FALSE(RectInRect(TRect(0, 0, 10, 10), TRect(0, 0, 10, 10)));
    EXPECT_TRUE(RectInRect(TRect(0, 0, 9, 9), TRect(0, 0, 10, 10)));
    EXPECT_TRUE(IsNullPoint(TPoint(0, 5)));
    EXPECT_TRUE(IsNullPoint(TPoint(5, 0)));
    EXPECT_FALSE(IsNullPoint(TPoint(5, 5)));
    EXPECT_TRUE(RectTopOrBottomInRect(TRect(50, 3, 60, 40), TRect(0, 0, 10, 10)));
    EXPECT_TRUE(RectTopOrBottomInRect(TRect(50, -5, 60, 9), TRect(0, 0, 10, 10)));
    EXPECT_FALSE(RectTopOrBottomInRect(TRect(0, -5, 10, 10), TRect(0, 0, 10, 10)));
    TRect r(1, 2, 3, 4);
    NullRect(r);
    EXPECT_EQ(r, TRect(0, 0, 0, 0));
    EXPECT_TRUE(EqualRects(TRect(1, 2, 3, 4), TRect(1, 2, 3, 4)));
    EXPECT_EQ(IntMax(-3, 2), 2);
    EXPECT_EQ(IntMin(-3, 2), -3);
}

TEST(ComposeLayout, TokensAndStringToRect)
{
    struct Case
    {
        const char* text;
        bool ok;
        TRect r;
    } cases[] = {
        {"10,20,30,40", true, {10, 20, 30, 40}},
        {"10 20 30 40", true, {10, 20, 30, 40}},
        {"1;2;3;4", true, {1, 2, 3, 4}},
        {"-1, 2, 3, 4 ", true, {-1, 2, 3, 4}},
        {" 1,2,3,4", false, {0, 0, 0, 0}},   // a leading delimiter ends the first token at once
        {"1 ,2,3,4", false, {0, 0, 0, 0}},
        {"(1,2,3,4)", false, {0, 0, 0, 0}},
        {"1,2,3", false, {0, 0, 0, 0}},
        {"1,x,3,4", false, {0, 0, 0, 0}},
        {"99999999999,1,2,3", false, {0, 0, 0, 0}},
        {"", false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TRect r(7, 7, 7, 7);
        EXPECT_EQ(StringToRect(c.text, r), c.ok) << c.text;
        EXPECT_EQ(r, c.r) << c.text;
    }
    std::string text = "ab=cd ", tok;
    ExtractToken(text, tok);
    EXPECT_EQ(tok, "ab");
    EXPECT_EQ(text, "cd");
    // The walk is counted in a byte: 256 characters give an empty token.
    std::string long256(256, 'a'), t2;
    ExtractToken(long256, t2);
    EXPECT_EQ(t2, "");
    EXPECT_EQ(long256.size(), 256u);
}

TEST(ComposeLayout, Ellipsis)
{
    // Every character 10 wide, dots 2 wide.
    auto measure = [](const std::string& s) {
        int w = 0;
        for (std::size_t i = 0; i < s.size();) {
            const unsigned char c = (unsigned char)s[i];
            const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            w += s[i] == '.' ? 2 : 10;
            i += len;
        }
        return w;
    };
    struct Case
    {
        std::string text;
        int width;
        std::string want;
    } cases[] = {
        {"abcd", 40, "abcd"},      // fits: unchanged, no dots
        {"abcd", 39, "abc..."},    // 30 + 6 fits
        {"abcd", 35, "ab..."},
        {"abcd", 0, "..."},
        {"", 0, ""},
        {"中文视频", 35, "中文..."},   // whole characters are cut
    };
    for (const Case& c : cases) {
        std::string t = c.text;
        CorrectTextByMeasure(t, c.width, measure);
        EXPECT_EQ(t, c.want) << c.text << " " << c.width;
    }
    // Every width of a mixed text gives the longest prefix that fits with its dots.
    const std::string mixed = "a.中b..文cd.视";
    for (int width = 0; width <= measure(mixed); ++width) {
        std::string t = mixed, want;
        CorrectTextByMeasure(t, width, measure);
        if (measure(mixed) <= width) want = mixed;
        else {
            std::size_t best = 0;
            for (std::size_t i = 1; i < mixed.size(); ++i)
                if (((unsigned char)mixed[i] & 0xC0) != 0x80 && measure(mixed.substr(0, i) + "...") <= width) best = i;
            want = mixed.substr(0, best) + "...";
        }
        EXPECT_EQ(t, want) << width;
    }
}

TEST(ComposeLayout, FittingALongCaptionMeasuresAFewPrefixesOnly)
{
    // A caption of 100,000 characters cut to 400 pixels (10 a character): the
    // prefix is found in a few dozen measurements of short texts, where one
    // measurement per removed character took minutes.
    std::size_t calls = 0, measured = 0;
    auto measure = [&](const std::string& s) {
        if (++calls > 100) throw std::runtime_error("measured too often");
        measured += s.size();
        return int(s.size()) * 10;
    };
    std::string t(100000, 'x');
    ASSERT_NO_THROW(CorrectTextByMeasure(t, 400, measure));
    EXPECT_EQ(t, std::string(37, 'x') + "...");
    EXPECT_LE(calls, 20u);
    EXPECT_LE(measured, 100000u + 1000u);
}

TEST(ComposeLayout, GlyphAndCaptionLayout)
{
    const TRect r(0, 0, 100, 40);   // centre (50, 20)
    struct Case
    {
        TbsButtonLayout layout;
        int gw, gh, tw, th, spacing, margin;
        TbsGlyphTextLayout want;   // text x, text y, glyph x, glyph y
    } cases[] = {
        {blGlyphLeft, 16, 16, 30, 10, 4, -1, {50 + 25 - 30, 15, 50 - 25, 12}},
        {blGlyphRight, 16, 16, 30, 10, 4, -1, {25, 15, 75 - 16, 12}},
        {blGlyphTop, 16, 16, 30, 10, 4, -1, {35, 20 + 15 - 10, 42, 20 - 15}},
        {blGlyphBottom, 16, 16, 30, 10, 4, -1, {35, 5, 42, 35 - 16}},
        {blGlyphLeft, 16, 16, 30, 10, 4, 3, {3 + 16 + 4, 15, 3, 12}},
        {blGlyphRight, 16, 16, 30, 10, 4, 3, {81 - 4 - 30, 15, 81, 12}},
        {blGlyphTop, 16, 16, 30, 10, 4, 3, {35, 3 + 16 + 4, 42, 3}},
        {blGlyphBottom, 16, 16, 30, 10, 4, 3, {35, 21 - 4 - 10, 42, 21}},
        // No glyph: the spacing is ignored and a lone caption is centred.
        {blGlyphLeft, 0, 0, 30, 10, 9, -1, {35, 15, 35, 20}},
    };
    for (const Case& c : cases) {
        const TbsGlyphTextLayout l = CalcGlyphTextLayout(c.layout, r, c.gw, c.gh, c.tw, c.th, c.spacing, c.margin);
        EXPECT_EQ(l.TextX, c.want.TextX) << c.layout << " " << c.margin;
        EXPECT_EQ(l.TextY, c.want.TextY) << c.layout << " " << c.margin;
        EXPECT_EQ(l.GlyphX, c.want.GlyphX) << c.layout << " " << c.margin;
        EXPECT_EQ(l.GlyphY, c.want.GlyphY) << c.layout << " " << c.margin;
    }
}

TEST(ComposeLayout, DottedFocusFrame)
{
    EXPECT_FALSE(DottedFocusRectPixels(TRect(0, 0, 5, 5)).front().On);
    EXPECT_TRUE(DottedFocusRectPixels(TRect(0, 0, 6, 5)).front().On);
    // Each frame pixel has one state however often the walk visits it, and
    // neighbours along the frame alternate except at the closing corner.
    for (TRect r : {TRect(0, 0, 5, 5), TRect(0, 0, 6, 5), TRect(2, 3, 9, 11), TRect(0, 0, 1, 1)}) {
        std::map<std::pair<int, int>, bool> seen;
        for (const TbsDotPixel& p : DottedFocusRectPixels(r)) {
            auto [it, fresh] = seen.emplace(std::pair{p.X, p.Y}, p.On);
            EXPECT_EQ(it->second, p.On) << p.X << "," << p.Y;
            EXPECT_TRUE(p.X == r.Left || p.X == r.Right - 1 || p.Y == r.Top || p.Y == r.Bottom - 1);
        }
    }
    TbsBitmap b;
    b.SetSize(6, 5);
    DrawDottedFocusRect(b.GetDC(), TRect(0, 0, 6, 5), RGB(255, 0, 0));
    EXPECT_EQ(b.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(b.GetPixel(1, 0), 0u);
    EXPECT_EQ(b.GetPixel(2, 2), 0u);
}

TEST(ComposeLayout, DefaultGlyphs)
{
    auto lit = [](TbsBitmap& b) {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (b.GetPixel(x, y) != 0) s.insert({x, y});
        return s;
    };
    for (int kind : {0, 5}) {
        TbsBitmap b;
        b.SetSize(20, 20);
        DrawArrowGlyph(b.GetDC(), TRect(0, 0, 20, 20), RGB(0, 0, 255), kind);
        EXPECT_TRUE(lit(b).empty()) << kind;
    }
    // Kind 1 points left: columns 8..11 hold 1, 3, 5, 7 pixels around row 10.
    TbsBitmap a;
    a.SetSize(20, 20);
    DrawArrowGlyph(a.GetDC(), TRect(0, 0, 20, 20), RGB(0, 0, 255), 1);
    std::set<std::pair<int, int>> want;
    for (int i = 0; i <= 3; ++i)
        for (int y = 10 - i; y <= 10 + i; ++y) want.insert({8 + i, y});
    EXPECT_EQ(lit(a), want);

    TbsBitmap d;
    d.SetSize(20, 20);
    DrawSmallDownArrow(d.GetDC(), TRect(0, 0, 20, 20), RGB(0, 0, 255));
    std::set<std::pair<int, int>> wantD = {{8, 10}, {9, 10}, {10, 10}, {11, 10}, {12, 10},
                                           {9, 11}, {10, 11}, {11, 11}, {10, 12}};
    EXPECT_EQ(lit(d), wantD);

    TbsBitmap t;
    t.SetSize(12, 12);
    DrawTrayGlyph(t.GetDC(), 0, 0, RGB(9, 9, 9));
    EXPECT_EQ(lit(t).size(), 25u);
    EXPECT_TRUE(lit(t).count({2, 2}) && lit(t).count({6, 6}));

    TbsBitmap m;
    m.SetSize(12, 12);
    DrawMaximizeGlyph(m.GetDC(), 0, 0, RGB(9, 9, 9));
    EXPECT_TRUE(lit(m).count({0, 0}) && lit(m).count({10, 9}) && lit(m).count({5, 1}));
    EXPECT_FALSE(lit(m).count({5, 5}));   // hollow
}

TEST(ComposeLayout, TextMeasureOnADeviceContext)
{
    TbsBitmap b;
    b.SetSize(200, 40);
    HDC dc = b.GetDC();
    const int w = TextWidthW(dc, "abcdef");
    EXPECT_GT(w, 0);
    EXPECT_GT(TextHeightW(dc, "abcdef"), 0);
    std::string fits = "abcdef";
    CorrectTextByWidthW(dc, fits, w);
    EXPECT_EQ(fits, "abcdef");
    std::string cut = "abcdef";
    CorrectTextByWidthW(dc, cut, w - 1);
    ASSERT_GE(cut.size(), 3u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_LE(TextWidthW(dc, cut), w - 1);
    std::string zero = "abc";
    CorrectTextByWidth(dc, zero, 0);
    EXPECT_EQ(zero, "...");
    DrawTextVCenter(dc, "", TRect(0, 0, 200, 40));   // empty text: nothing
    DrawTextSingleLineVCenter(dc, "", TRect(0, 0, 200, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(b.GetPixel(x, y), 0u);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    DrawTextVCenter(dc, "中文", TRect(0, 0, 200, 40));
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) inked += b.GetPixel(x, y) != 0;
    EXPECT_GT(inked, 10);
}

TEST(ComposeLayout, PlatformProbes)
{
    struct Case
    {
        int major, minor;
        bool vista, xp, layered;
    } cases[] = {
        {5, 1, false, true, true}, {5, 0, false, false, true}, {5, 2, false, false, true},
        {4, 0, false, false, false}, {6, 0, true, true, true}, {10, 0, true, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionIsVistaOrLater(c.major, c.minor), c.vista) << c.major << "." << c.minor;
        EXPECT_EQ(VersionIsXPOrLater(c.major, c.minor), c.xp) << c.major << "." << c.minor;
        EXPECT_EQ(VersionHasLayeredWindows(c.major, c.minor), c.layered) << c.major << "." << c.minor;
    }
    EXPECT_TRUE(IsWindowsVistaOrLater());
    EXPECT_TRUE(IsWindowsXPOrLater());
    EXPECT_FALSE(CPUHasMMX(true, 0x400, 0x800000));   // family 4
    EXPECT_TRUE(CPUHasMMX(true, 0x500, 0x800000));
    EXPECT_FALSE(CPUHasMMX(true, 0x600, 0x000000));
    EXPECT_FALSE(CPUHasMMX(false, 0x600, 0x800000));
#if defined(__x86_64__)
    EXPECT_TRUE(IsMMXAvailable());
#endif
    EXPECT_EQ(IsMMXFlagSet(), IsMMXAvailable());
}

TEST(ComposeLayout, StreamStrings)
{
    EXPECT_EQ(EncodeStreamString("abc"),
              (std::vector<std::uint8_t>{3, 0, 0, 0, 0x61, 0, 0x62, 0, 0x63, 0}));
    EXPECT_EQ(EncodeStreamString(""), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    for (const std::string s : {"", "abc", "中文 视频", "a:b", "\xF0\x9F\x99\x82"}) {
        const auto bytes = EncodeStreamString(s);
        std::string back;
        EXPECT_EQ(ParseStreamString(bytes.data(), bytes.size(), back), bytes.size());
        EXPECT_EQ(back, s);
    }
    EXPECT_EQ(EncodeStreamString("\xF0\x9F\x99\x82").size(), 8u);   // a surrogate pair
    const auto bytes = EncodeStreamString("abc");
    std::string part;
    EXPECT_EQ(ParseStreamString(bytes.data(), 7, part), 0u);   // short: what was there
    EXPECT_EQ(part, "a");
    EXPECT_EQ(ParseStreamString(bytes.data(), 2, part), 0u);
}

TEST(ComposeLayout, MonitorWorkAreas)
{
    {
        TTestDriver drv;   // one 1280 x 1024 monitor, work area 1280 x 994
        EXPECT_FALSE(IsMultiMonitor());
        TRect r(1, 1, 1, 1);
        GetMonitorWorkArea(nullptr, false, r);
        EXPECT_EQ(r, TRect(0, 0, 1280, 1024));
        GetMonitorWorkArea(nullptr, true, r);
        EXPECT_EQ(r, TRect(0, 0, 1280, 994));
        GetScreenWorkArea(false, r);
        EXPECT_EQ(r, TRect(0, 0, 1280, 1024));
    }
    {
        TTestDriver drv({{TRect(0, 0, 800, 600), TRect(0, 0, 800, 570), true},
                         {TRect(800, 0, 1824, 768), TRect(800, 20, 1824, 768), false}});
        EXPECT_TRUE(IsMultiMonitor());
        HWND w = CreateWindowEx(0, "TbsMonitorProbe", "", WS_POPUP, 900, 100, 50, 50, nullptr);
        if (!w) {
            WNDCLASS wc;
            wc.lpszClassName = "TbsMonitorProbe";
            RegisterClass(wc);
            w = CreateWindowEx(0, "TbsMonitorProbe", "", WS_POPUP, 900, 100, 50, 50, nullptr);
        }
        ASSERT_NE(w, nullptr);
        TRect r;
        GetMonitorWorkArea(w, true, r);
        EXPECT_EQ(r, TRect(800, 20, 1824, 768));
        GetMonitorWorkArea(w, false, r);
        EXPECT_EQ(r, TRect(800, 0, 1824, 768));
        DestroyWindow(w);
    }
}
