// Fonts and text: fallback to a CJK-capable face, metrics, and DrawText
// layout measured by its rules (fits, wraps, ellipsis, alignment, prefix),
// never by exact glyph pixels.
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr TPixel kWhite = 0xFFFFFFFFu;

struct TextDC
{
    TSurface surf;
    HDC dc;
    HFONT font;
    TextDC(int w, int h, const char* face = "MS Sans Serif", int height = -12, int weight = FW_NORMAL) : surf(w, h)
    {
        surf.Fill(kWhite);
        dc = CreateSurfaceDC(&surf, TPoint(), TRegion(surf.Bounds()));
        font = CreateFont(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    ~TextDC()
    {
        DeleteDC(dc);
        DeleteObject(font);
    }
    int Width(const std::string& s)
    {
        TSize sz;
        GetTextExtentPoint32(dc, s, &sz);
        return sz.cx;
    }
    // Bounding box of the pixels that are not white.
    TRect Ink(const TRect& within) const
    {
        TRect box;
        bool any = false;
        for (int y = within.Top; y < within.Bottom; ++y)
            for (int x = within.Left; x < within.Right; ++x)
                if (surf.Pixel(x, y) != kWhite)
                {
                    if (!any) box = Rect(x, y, x + 1, y + 1);
                    box = Rect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                               std::max(box.Bottom, y + 1));
                    any = true;
                }
        return box;
    }
    TRect Ink() const { return Ink(surf.Bounds()); }
    int LineHeight()
    {
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        return tm.tmHeight;
    }
};
}  // namespace

TEST(GdiText, MissingFacesFallBackToCjkFont)
{
    for (const char* face : {"MS Sans Serif", "Tahoma", "宋体", "", "No Such Font 123"})
    {
        HFONT f = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, face);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(GetFontFamilyName(f), "WenQuanYi Micro Hei") << face;
        LOGFONT lf;
        EXPECT_EQ(GetObject(f, sizeof lf, &lf), int(sizeof lf));
        EXPECT_EQ(std::string(lf.lfFaceName), face);   // the request is kept as asked
        EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
        DeleteObject(f);
    }
    // An installed face is used as asked.
    HFONT dv = CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    EXPECT_EQ(GetFontFamilyName(dv), "DejaVu Sans");
    DeleteObject(dv);
    // A face name longer than the record is cut at a character boundary.
    LOGFONT lf;
    SetFaceName(lf, std::string(62, 'a') + "中");
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(62, 'a'));
}

// Ideographs in a Latin face come from a CJK face with its own bold weight:
// bold advances one em per ideograph like regular (a synthetically emboldened
// glyph is wider), and the Latin line metrics stay the Latin face's.
TEST(GdiText, BoldChineseBesideLatinTakesARealBoldFace)
{
    for (int em : {12, 16, 24})
    {
        SCOPED_TRACE(em);
        TextDC regular(10, 10, "DejaVu Sans", -em), bold(10, 10, "DejaVu Sans", -em, FW_BOLD);
        EXPECT_EQ(regular.Width("中文字"), 3 * em);
        EXPECT_EQ(bold.Width("中文字"), 3 * em);
        EXPECT_GT(bold.Width("Mix"), regular.Width("Mix"));   // the Latin face's own bold
        EXPECT_EQ(bold.LineHeight(), regular.LineHeight());
        EXPECT_EQ(GetFontFamilyName(bold.font), "DejaVu Sans");
    }
}

// Fonts of one face at different sizes share the opened face: each keeps its
// own size however their glyphs are asked for in turn.
TEST(GdiText, FontsOfOneFaceKeepTheirOwnSizes)
{
    TextDC small(100, 40, "DejaVu Sans", -12), large(100, 40, "DejaVu Sans", -24), cjk(100, 40, "宋体", -16);
    // Glyphs not asked for before, alternately: each in its own font's size.
    const char* const ideographs[] = {"永", "和", "九", "年", "岁", "在", "癸", "丑"};
    for (int i = 0; i < 8; i += 2)
    {
        EXPECT_EQ(large.Width(ideographs[i]), 24) << i;
        EXPECT_EQ(small.Width(ideographs[i + 1]), 12) << i;
        EXPECT_EQ(cjk.Width(ideographs[i + 1]), 16) << i;
        EXPECT_EQ(small.Width(ideographs[i]), 12) << i;
    }
    const int m = small.Width("W");
    EXPECT_NEAR(large.Width("W"), 2 * m, 1);
    EXPECT_EQ(small.Width("W"), m);
    TextOut(large.dc, 2, 2, "Hq");
    TextOut(small.dc, 2, 2, "Hq");
    EXPECT_GT(large.Ink().Height(), small.Ink().Height() * 3 / 2);
    EXPECT_LE(small.Ink().Height(), small.LineHeight());
}

TEST(GdiText, ChineseRendersAndMetricsFollowHeight)
{
    TextDC t(80, 30);
    EXPECT_TRUE(TextOut(t.dc, 2, 2, "中文"));
    TRect ink = t.Ink();
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.Width(), 12);          // two ideographs, about an em each
    EXPECT_LE(ink.Height(), t.LineHeight());
    // Chinese through a Latin face: the missing glyphs come from the fallback.
    TextDC latin(80, 30, "DejaVu Sans");
    TextOut(latin.dc, 2, 2, "中文");
    EXPECT_GE(latin.Ink().Width(), 12);

    // Height: negative = em height, positive = cell height.
    TextDC em(10, 10, "MS Sans Serif", -20), cell(10, 10, "MS Sans Serif", 20);
    TEXTMETRIC a, b;
    GetTextMetrics(em.dc, &a);
    GetTextMetrics(cell.dc, &b);
    EXPECT_EQ(a.tmHeight - a.tmInternalLeading, 20);
    EXPECT_LE(b.tmHeight, 20);
    EXPECT_GE(b.tmHeight, 18);
    EXPECT_EQ(a.tmAscent + a.tmDescent, a.tmHeight);
    EXPECT_GT(a.tmAveCharWidth, 0);
    // Widths add up and grow with the text.
    EXPECT_EQ(t.Width("ab") , t.Width("a") + t.Width("b"));
    EXPECT_GT(t.Width("中文中文"), t.Width("中文"));
    EXPECT_EQ(t.Width(""), 0);
    // Invalid UTF-8 is drawn as replacement characters, not a crash.
    EXPECT_GT(t.Width(std::string("\xFF\xC3", 2)), 0);
}

TEST(GdiText, OpaqueBackgroundAndColour)
{
    TextDC t(60, 20);
    SetBkMode(t.dc, OPAQUE);
    SetBkColor(t.dc, RGB(0, 0, 255));
    SetTextColor(t.dc, RGB(255, 0, 0));
    TextOut(t.dc, 0, 0, "Hi");
    const int w = t.Width("Hi"), h = t.LineHeight();
    EXPECT_EQ(t.surf.Pixel(w - 1, h - 1) & 0xFFFFFF, 0x0000FFu);   // cell corner: background
    EXPECT_EQ(t.surf.Pixel(w, 0), kWhite);                          // beyond the cell: untouched
    bool red = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) red |= PixelR(t.surf.Pixel(x, y)) > 200 && PixelB(t.surf.Pixel(x, y)) < 60;
    EXPECT_TRUE(red);
}

TEST(GdiText, ExtTextOutOpaqueAndClippedRectangle)
{
    TextDC t(60, 20);
    SetBkColor(t.dc, RGB(0, 255, 0));
    const TRect rc = Rect(2, 2, 9, 18);
    EXPECT_TRUE(ExtTextOut(t.dc, 2, 2, ETO_OPAQUE | ETO_CLIPPED, &rc, "Wide text"));
    EXPECT_EQ(t.surf.Pixel(2, 17) & 0xFFFFFF, 0x00FF00u);   // the rectangle is filled
    EXPECT_EQ(t.Ink(Rect(9, 0, 60, 20)), TRect());          // nothing beyond it
    // An underlined font draws below the glyphs of the plain one.
    TextDC plain(60, 30), under(60, 30);
    HFONT u = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 1, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
    SelectObject(under.dc, u);
    TextOut(plain.dc, 0, 0, "nnn");
    TextOut(under.dc, 0, 0, "nnn");
    EXPECT_GT(under.Ink().Bottom, plain.Ink().Bottom);
    SelectObject(under.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(u);
}

TEST(GdiText, DrawTextAlignment)
{
    struct Case { UINT flags; const char* name; };
    const Case cases[] = {{DT_LEFT, "left"}, {DT_CENTER, "centre"}, {DT_RIGHT, "right"}};
    const TRect box = Rect(10, 10, 190, 70);
    for (const Case& c : cases)
    {
        TextDC t(200, 80);
        TRect r = box;
        int h = DrawText(t.dc, "Wide", r, c.flags | DT_SINGLELINE | DT_VCENTER);
        EXPECT_EQ(h, (box.Height() - t.LineHeight()) / 2 + t.LineHeight()) << c.name;
        const TRect ink = t.Ink();
        const int left = ink.Left - box.Left, right = box.Right - ink.Right;
        if (c.flags == DT_LEFT) { EXPECT_LT(left, 3) << c.name; }
        if (c.flags == DT_RIGHT) { EXPECT_LT(right, 3) << c.name; }
        if (c.flags == DT_CENTER) { EXPECT_NEAR(left, right, 3) << c.name; }
        // Vertically centred.
        EXPECT_NEAR(ink.Top - box.Top, box.Bottom - ink.Bottom, t.LineHeight() / 2) << c.name;
    }
    TextDC t(200, 80);
    TRect r = box;
    DrawText(t.dc, "Bottom", r, DT_SINGLELINE | DT_BOTTOM);
    EXPECT_GT(t.Ink().Top, box.Top + box.Height() / 2);
    EXPECT_LE(t.Ink().Bottom, box.Bottom);
}

TEST(GdiText, CalcRectMeasuresWithoutDrawing)
{
    TextDC t(300, 200);
    const int lh = t.LineHeight();
    struct Case { const char* text; UINT flags; int width; int lines; };
    const std::string two = "one\r\ntwo words";
    const Case cases[] = {
        {"Hello", DT_SINGLELINE, t.Width("Hello"), 1},
        {"Hello\nWorld!", 0, t.Width("World!"), 2},
        {"a\r\nb\rc\n", 0, std::max({t.Width("a"), t.Width("b"), t.Width("c")}), 4},
        {"a\r\nb", DT_SINGLELINE, t.Width("ab"), 1},
        {"&File", 0, t.Width("File"), 1},
        {"&&File", 0, t.Width("&File"), 1},
        {"&File", DT_NOPREFIX, t.Width("&File"), 1},
    };
    for (const Case& c : cases)
    {
        TRect r = Rect(5, 7, 5, 7);
        const int h = DrawText(t.dc, c.text, r, c.flags | DT_CALCRECT);
        EXPECT_EQ(h, lh * c.lines) << c.text;
        EXPECT_EQ(r, Rect(5, 7, 5 + c.width, 7 + lh * c.lines)) << c.text;
    }
    EXPECT_TRUE(t.Ink().IsEmpty());
    TRect e = Rect(1, 1, 50, 50);
    EXPECT_EQ(DrawText(t.dc, "", e, DT_CALCRECT), 0);
    EXPECT_EQ(e, Rect(1, 1, 1, 1));
}

TEST(GdiText, WordBreakWrapsToFit)
{
    TextDC t(300, 300);
    const int lh = t.LineHeight();
    const std::string text = "The quick brown fox jumps over the lazy dog again and again";
    const int maxW = t.Width("The quick brown");
    TRect r = Rect(0, 0, maxW, 0);
    const int h = DrawText(t.dc, text, r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(h, lh);                   // wrapped
    EXPECT_EQ(h % lh, 0);
    EXPECT_LE(r.Width(), maxW);         // every line fits
    EXPECT_GT(r.Width(), maxW / 2);
    // Drawn: the ink stays within the width and spans the lines.
    TRect d = Rect(0, 0, maxW, 300);
    DrawText(t.dc, text, d, DT_WORDBREAK);
    const TRect ink = t.Ink();
    EXPECT_LE(ink.Right, maxW);
    EXPECT_GT(ink.Bottom, h - lh);

    // A word wider than the rectangle is kept whole: the width grows.
    TRect narrow = Rect(0, 0, 5, 0);
    DrawText(t.dc, "Unbreakable", narrow, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(narrow.Width(), t.Width("Unbreakable"));
    EXPECT_EQ(narrow.Height(), lh);

    // Chinese breaks between characters.
    const int two = t.Width("中文");
    TRect cjk = Rect(0, 0, two, 0);
    DrawText(t.dc, "中文中文中文", cjk, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(cjk.Height(), 3 * lh);
    EXPECT_EQ(cjk.Width(), two);

    // Closing punctuation stays with the character before it.
    TRect punct = Rect(0, 0, two, 0);
    DrawText(t.dc, "中文，中文。", punct, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(punct.Height(), 4 * lh);   // 中 / 文， / 中 / 文。
    EXPECT_LE(punct.Width(), t.Width("文，"));

    // Single line wins over word break.
    TRect one = Rect(0, 0, maxW, 0);
    EXPECT_EQ(DrawText(t.dc, text, one, DT_WORDBREAK | DT_SINGLELINE | DT_CALCRECT), lh);
}

TEST(GdiText, EllipsisCutsToFit)
{
    TextDC t(400, 60);
    const int dots = t.Width("...");
    const std::string longText = "A rather long caption that cannot fit";
    const int maxW = t.Width("A rather long") + dots / 2;
    TRect r = Rect(0, 0, maxW, 0);
    DrawText(t.dc, longText, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(r.Width(), maxW);
    EXPECT_GT(r.Width(), maxW - t.Width("WW") - dots);
    // A text that fits is left as it is.
    TRect fits = Rect(0, 0, 400, 0);
    DrawText(t.dc, "Short", fits, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(fits.Width(), t.Width("Short"));
    // Path ellipsis keeps the file name.
    const std::string path = "/home/user/videos/holiday/2024/summer/clip with spaces.avi";
    const int pathW = t.Width("/home...") + t.Width("/clip with spaces.avi");
    TRect pr = Rect(0, 0, pathW, 0);
    DrawText(t.dc, path, pr, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(pr.Width(), pathW);
    EXPECT_GE(pr.Width(), t.Width(".../clip with spaces.avi"));
    // Drawn ellipsis: the ink stays inside the rectangle.
    TRect d = Rect(0, 0, maxW, 30);
    DrawText(t.dc, longText, d, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    EXPECT_LE(t.Ink().Right, maxW);
    // A very long text is cut too (and without re-measuring every prefix).
    TRect huge = Rect(0, 0, 50, 0);
    DrawText(t.dc, std::string(20000, 'a'), huge, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(huge.Width(), 50);
    EXPECT_GE(huge.Width(), dots);
    // Nothing fits: "..." alone.
    TRect tiny = Rect(0, 0, 1, 0);
    DrawText(t.dc, "Hello", tiny, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(tiny.Width(), dots);
}

TEST(GdiText, PrefixUnderlinesAndClipping)
{
    // "&File" underlines F: ink reaches lower than the same text without prefix.
    TextDC a(100, 40), b(100, 40), c(100, 40);
    TRect r1 = Rect(0, 0, 100, 40), r2 = r1, r3 = r1;
    DrawText(a.dc, "&nnn", r1, DT_SINGLELINE);
    DrawText(b.dc, "nnn", r2, DT_SINGLELINE);
    DrawText(c.dc, "&nnn", r3, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_GT(a.Ink().Bottom, b.Ink().Bottom);
    EXPECT_EQ(c.Ink(), b.Ink());
    // Text is clipped to its rectangle unless DT_NOCLIP.
    TextDC d(100, 40), e(100, 40);
    TRect small = Rect(0, 0, 8, 40), small2 = small;
    DrawText(d.dc, "Clipped text", small, DT_SINGLELINE);
    DrawText(e.dc, "Clipped text", small2, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_LE(d.Ink().Right, 8);
    EXPECT_GT(e.Ink().Right, 8);
}

TEST(GdiText, TabsExpand)
{
    TextDC t(300, 40);
    TEXTMETRIC tm;
    GetTextMetrics(t.dc, &tm);
    TRect r = Rect(0, 0, 0, 0);
    DrawText(t.dc, "a\tb", r, DT_EXPANDTABS | DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(r.Width(), 8 * tm.tmAveCharWidth + t.Width("b"));
    const int stops[] = {100};
    LONG ext = TabbedTextOut(t.dc, 0, 0, "x\ty", 1, stops, 0);
    EXPECT_EQ(LOWORD(DWORD(ext)), 100 + t.Width("y"));
    EXPECT_EQ(HIWORD(DWORD(ext)), tm.tmHeight);
    EXPECT_GT(t.Ink(Rect(100, 0, 300, 40)).Width(), 0);   // "y" at the stop
}
