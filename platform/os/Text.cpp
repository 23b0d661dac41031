// Fonts (fontconfig + FreeType) and text output, measuring and layout.
#include "platform/os/Text.h"

#include "platform/core/Utf8.h"
#include "platform/os/Gdi/Internal.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

using namespace gdi;

// ---- faces -----------------------------------------------------------------------

struct Glyph
{
    int advance = 0;
    int left = 0, top = 0, w = 0, h = 0;
    std::vector<unsigned char> cov;   // w x h coverage, 0..255
};

struct FontFaceSet
{
    FT_Face face[2] = {nullptr, nullptr};   // the font's own face, the CJK fallback
    FT_Size size[2] = {nullptr, nullptr};   // this font's size on each face (faces are shared)
    bool bold[2] = {false, false};          // synthesised bold
    bool oblique[2] = {false, false};       // synthesised italic
    int em = 0;
    int ascent = 0, descent = 0;
    int aveWidth = 0, maxWidth = 0;
    int underlinePos = 1, underlineThick = 1;
    std::string family;
    std::unordered_map<char32_t, Glyph> cache;

    int Height() const { return ascent + descent; }
    const Glyph& Get(char32_t cp);
};

namespace
{
constexpr const char* kFallbackFamily = "WenQuanYi Micro Hei";
// Characters a face lacks come from this family first: it has a real bold
// weight, so bold Chinese stands as heavy as the bold Latin beside it.
constexpr const char* kGlyphFallbackFamily = "Noto Sans CJK SC";
constexpr int kDefaultEm = 12;

std::recursive_mutex& TextMutex()
{
    static std::recursive_mutex m;
    return m;
}

FT_Library Library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

struct FaceFile
{
    std::string file;
    int index = 0;
    std::string family;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    bool ok = false;
};

// fontconfig started, once, by whichever thread asks first.
bool FontconfigReady()
{
    static const bool ready = [] {
        if (!FcInit()) return false;
        std::atexit([] { FcFini(); });   // lets leak checkers see fontconfig's memory returned
        return true;
    }();
    return ready;
}

// The family names of the installed faces, lower case (asked once).
const std::unordered_set<std::string>& InstalledFamilies()
{
    static const std::unordered_set<std::string> installed = [] {
        std::unordered_set<std::string> names;
        FcPattern* all = FcPatternCreate();
        FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = all && os ? FcFontList(nullptr, all, os) : nullptr;
        for (int i = 0; set && i < set->nfont; ++i)
        {
            FcChar8* s = nullptr;
            for (int k = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, k, &s) == FcResultMatch; ++k)
                names.insert(LowerCase(reinterpret_cast<const char*>(s)));
        }
        if (set) FcFontSetDestroy(set);
        if (os) FcObjectSetDestroy(os);
        if (all) FcPatternDestroy(all);
        return names;
    }();
    return installed;
}

// Asks fontconfig for a family. exact: only a face whose family names
// include the request counts.
FaceFile MatchFamily(const std::string& family, bool bold, bool italic, bool exact, const char* lang = nullptr)
{
    FaceFile out;
    if (!FontconfigReady()) return out;
    // Only a face whose family names include the request passes an exact
    // request, so a family no installed face names needs no match.
    const std::unordered_set<std::string>& installed = InstalledFamilies();
    if (exact && !installed.empty() && !installed.count(LowerCase(family))) return out;
    FcPattern* pat = FcPatternCreate();
    if (!pat) return out;
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (lang) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcPattern* m = FcFontMatch(nullptr, pat, &res);
    FcPatternDestroy(pat);
    if (!m) return out;
    bool familyOk = !exact;
    const std::string want = LowerCase(family);
    FcChar8* s = nullptr;
    for (int i = 0; FcPatternGetString(m, FC_FAMILY, i, &s) == FcResultMatch; ++i)
    {
        const std::string name = reinterpret_cast<const char*>(s);
        if (i == 0) out.family = name;
        if (LowerCase(name) == want)
        {
            familyOk = true;
            out.family = name;
        }
    }
    FcChar8* file = nullptr;
    if (familyOk && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch)
    {
        out.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(m, FC_INDEX, 0, &out.index);
        FcPatternGetInteger(m, FC_WEIGHT, 0, &out.weight);
        FcPatternGetInteger(m, FC_SLANT, 0, &out.slant);
        out.ok = true;
    }
    FcPatternDestroy(m);
    return out;
}

// The face for a request: the named family when the machine has it, else
// the CJK fallback, else whatever sans face fontconfig offers for Chinese.
FaceFile Resolve(const std::string& name, bool bold, bool italic)
{
    static std::map<std::tuple<std::string, bool, bool>, FaceFile> cache;
    auto key = std::make_tuple(LowerCase(name), bold, italic);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    FaceFile f;
    if (!name.empty()) f = MatchFamily(name, bold, italic, true);
    if (!f.ok && LowerCase(name) != LowerCase(kFallbackFamily)) f = Resolve(kFallbackFamily, bold, italic);
    if (!f.ok) f = MatchFamily("sans-serif", bold, italic, false, "zh-cn");
    cache[key] = f;
    return f;
}

// The face characters missing from a font are taken from.
FaceFile ResolveGlyphFallback(bool bold, bool italic)
{
    static std::map<std::pair<bool, bool>, FaceFile> cache;
    auto it = cache.find({bold, italic});
    if (it != cache.end()) return it->second;
    FaceFile f = MatchFamily(kGlyphFallbackFamily, bold, italic, true);
    if (!f.ok) f = Resolve(kFallbackFamily, bold, italic);
    cache[{bold, italic}] = f;
    return f;
}

// A face file is opened once and shared by every font drawn from it, each
// font with a size object of its own (opening a large CJK collection costs
// far more than a size). Any thread may open faces; only the fonts' own
// thread uses them.
FT_Face OpenFace(const FaceFile& f)
{
    if (!f.ok || !Library()) return nullptr;
    static std::mutex lock;
    static std::map<std::pair<std::string, int>, FT_Face> opened;
    const std::lock_guard<std::mutex> hold(lock);
    const auto key = std::make_pair(f.file, f.index);
    if (auto it = opened.find(key); it != opened.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), f.file.c_str(), f.index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face))
    {
        FT_Done_Face(face);
        face = nullptr;
    }
    opened[key] = face;
    return face;
}

// A size object of this font's own on a shared face; null when there is no face.
FT_Size NewSize(FT_Face face)
{
    FT_Size s = nullptr;
    if (face && FT_New_Size(face, &s) != 0) s = nullptr;
    return s;
}

std::shared_ptr<FontFaceSet> FacesFor(const LOGFONT& lf)
{
    std::string name(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    const bool bold = lf.lfWeight >= FW_SEMIBOLD;
    const bool italic = lf.lfItalic != 0;
    const FaceFile primary = Resolve(name, bold, italic);
    const FaceFile fallback = ResolveGlyphFallback(bold, italic);
    // Sizes: negative = em height, positive = cell height.
    const long long h = std::clamp<long long>(lf.lfHeight, -2000, 2000);

    static std::map<std::tuple<std::string, int, std::string, int, long long, bool, bool>,
                    std::shared_ptr<FontFaceSet>>
        sets;
    auto key = std::make_tuple(primary.file, primary.index, fallback.file, fallback.index, h, bold, italic);
    auto it = sets.find(key);
    if (it != sets.end()) return it->second;

    auto fs = std::make_shared<FontFaceSet>();
    fs->family = primary.family;
    fs->face[0] = OpenFace(primary);
    const bool sameFile = fallback.file == primary.file && fallback.index == primary.index;
    fs->face[1] = sameFile ? nullptr : OpenFace(fallback);
    for (int i = 0; i < 2; ++i)
    {
        fs->size[i] = NewSize(fs->face[i]);
        if (!fs->size[i]) fs->face[i] = nullptr;
    }
    const FaceFile* files[2] = {&primary, &fallback};
    int em = kDefaultEm;
    if (h < 0)
        em = int(-h);
    else if (h > 0 && fs->face[0])
    {
        const FT_Face f = fs->face[0];
        const long long span = f->ascender - f->descender;
        em = span > 0 ? int((h * f->units_per_EM + span / 2) / span) : int(h);
    }
    for (int i = 0; i < 2; ++i)
    {
        if (!fs->face[i]) continue;
        fs->bold[i] = bold && files[i]->weight < FC_WEIGHT_DEMIBOLD;
        fs->oblique[i] = italic && files[i]->slant == FC_SLANT_ROMAN;
    }
    auto setSize = [&fs](int e) {
        fs->em = std::max(1, e);
        for (int i = 0; i < 2; ++i)
            if (FT_Face f = fs->face[i])
            {
                FT_Activate_Size(fs->size[i]);
                FT_Set_Pixel_Sizes(f, 0, FT_UInt(fs->em));
            }
        if (FT_Face f = fs->face[0])
        {
            const FT_Size_Metrics& m = fs->size[0]->metrics;
            fs->ascent = int((m.ascender + 63) >> 6);
            fs->descent = int((-m.descender + 63) >> 6);
            fs->maxWidth = int((m.max_advance + 63) >> 6);
            const int upem = std::max<int>(1, f->units_per_EM);
            const int pos = int(-(long long)f->underline_position * fs->em / upem);
            const int th = int((long long)f->underline_thickness * fs->em / upem);
            fs->underlinePos = std::clamp(pos, 1, std::max(1, fs->descent - 1));
            fs->underlineThick = std::max(1, th);
        }
        else
        {
            fs->ascent = (fs->em * 4 + 4) / 5;
            fs->descent = fs->em - fs->ascent + 1;
            fs->maxWidth = fs->em;
        }
    };
    setSize(em);
    // A cell height asks for ascent + descent at most that tall; the rounded
    // metrics can come out a pixel over, so step down.
    for (int tries = 0; h > 0 && fs->Height() > h && fs->em > 1 && tries < 8; ++tries) setSize(fs->em - 1);
    fs->aveWidth = fs->Get(U'x').advance;
    if (fs->aveWidth <= 0) fs->aveWidth = std::max(1, fs->em / 2);
    sets[key] = fs;
    return fs;
}

GdiFont* FontOf(HDC dc)
{
    auto* f = Lookup<GdiFont>(dc->S.Font, GdiKind::Font);
    if (!f) f = static_cast<GdiFont*>(StockFont(SYSTEM_FONT));
    return f;
}
}  // namespace

const Glyph& FontFaceSet::Get(char32_t cp)
{
    auto it = cache.find(cp);
    if (it != cache.end()) return it->second;
    Glyph g;
    if (cp >= 0x20 && cp != 0x7F)
    {
        int which = 0;
        FT_UInt idx = face[0] ? FT_Get_Char_Index(face[0], cp) : 0;
        if (idx == 0 && face[1])
        {
            FT_UInt alt = FT_Get_Char_Index(face[1], cp);
            if (alt != 0 || !face[0])
            {
                which = 1;
                idx = alt;
            }
        }
        FT_Face f = face[which];
        if (f) FT_Activate_Size(size[which]);
        if (f && FT_Load_Glyph(f, idx, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0)
        {
            FT_GlyphSlot slot = f->glyph;
            if (bold[which]) FT_GlyphSlot_Embolden(slot);
            if (oblique[which]) FT_GlyphSlot_Oblique(slot);
            g.advance = int((slot->advance.x + 32) >> 6);
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0)
            {
                const FT_Bitmap& bm = slot->bitmap;
                g.left = slot->bitmap_left;
                g.top = slot->bitmap_top;
                g.w = int(bm.width);
                g.h = int(bm.rows);
                g.cov.resize(size_t(g.w) * size_t(g.h));
                for (int y = 0; y < g.h; ++y)
                {
                    const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
                    for (int x = 0; x < g.w; ++x)
                        g.cov[size_t(y) * size_t(g.w) + size_t(x)] =
                            bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0)
                                                                : row[x];
                }
            }
        }
    }
    return cache.emplace(cp, std::move(g)).first->second;
}

// ---- UTF-8 ----------------------------------------------------------------------------

namespace
{
std::u32string Decode(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size())
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int n = 0;
        char32_t cp = 0;
        if (c < 0x80) { cp = c; n = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 3; }
        else { out.push_back(0xFFFD); ++i; continue; }
        bool ok = true;
        for (int k = 1; k <= n; ++k)
        {
            if (i + size_t(k) >= s.size()) { ok = false; break; }
            const unsigned char d = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((d & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        static const char32_t minFor[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < minFor[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += size_t(n) + 1;
    }
    return out;
}

// Punctuation that must not begin a line, and that must not end one.
bool NoLineStart(char32_t c)
{
    static const std::u32string set = U"，。、；：？！）」』】》〉”’…·,.;:?!)]}%";
    return set.find(c) != std::u32string::npos;
}
bool NoLineEnd(char32_t c)
{
    static const std::u32string set = U"（「『【《〈“‘([{";
    return set.find(c) != std::u32string::npos;
}

bool IsCJK(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

// ---- drawing glyph runs --------------------------------------------------------------

// Calls f(x0, x1, y) for the parts of row spans of r (surface coordinates)
// inside the clip and the optional extra rectangle.
template <class F>
void ForEachClipped(DrawTarget& t, TRect r, const TRect* extra, F f)
{
    if (extra && !IntersectRect(r, r, *extra)) return;
    if (r.IsEmpty()) return;
    for (const TRegion::Band& b : t.Clip().Bands())
    {
        if (b.Bottom <= r.Top) continue;
        if (b.Top >= r.Bottom) break;
        const int y0 = std::max(b.Top, r.Top), y1 = std::min(b.Bottom, r.Bottom);
        for (size_t i = 0; i < b.Xs.size(); i += 2)
        {
            const int x0 = std::max(b.Xs[i], r.Left), x1 = std::min(b.Xs[i + 1], r.Right);
            if (x0 < x1)
                for (int y = y0; y < y1; ++y) f(x0, x1, y);
        }
    }
}

void FillClipped(DrawTarget& t, const TRect& r, const TRect* extra, TPixel color)
{
    ForEachClipped(t, r, extra, [&](int x0, int x1, int y) {
        TPixel* row = t.Surface().Row(y);
        std::fill(row + x0, row + x1, color | 0xFF000000u);
    });
}

struct RunStyle
{
    TPixel color;
    bool underline, strike;
    const TRect* clip;   // surface coordinates, or null
};

// Draws cps with the top of the cell at (x, top) in surface coordinates.
// marks: per-character underline (prefix) flags, may be null. dx: advances.
// tabStep > 0 expands tabs to multiples of tabStep from tabOrigin.
void DrawRun(DrawTarget& t, FontFaceSet& fs, const std::u32string& cps, const std::vector<char>* marks, int x,
             int top, const RunStyle& st, const int* dx = nullptr, int tabStep = 0, int tabOrigin = 0)
{
    const int baseline = top + fs.ascent;
    const int x0 = x;
    for (size_t i = 0; i < cps.size(); ++i)
    {
        const char32_t cp = cps[i];
        int adv;
        if (cp == U'\t' && tabStep > 0)
        {
            const int rel = x - tabOrigin;
            adv = (rel / tabStep + 1) * tabStep - rel;
        }
        else
        {
            const Glyph& g = fs.Get(cp == U'\t' ? U' ' : cp);
            adv = g.advance;
            if (g.w > 0 && g.h > 0)
            {
                const int gx = x + g.left, gy = baseline - g.top;
                ForEachClipped(t, TRect(gx, gy, gx + g.w, gy + g.h), st.clip, [&](int a, int b, int y) {
                    TPixel* row = t.Surface().Row(y);
                    const unsigned char* cov = g.cov.data() + size_t(y - gy) * size_t(g.w);
                    for (int xx = a; xx < b; ++xx)
                    {
                        const int c = cov[xx - gx];
                        if (c) row[xx] = BlendOver(row[xx], st.color, c);
                    }
                });
            }
        }
        if (dx) adv = dx[i];
        if (marks && (*marks)[i])
            FillClipped(t, TRect(x, baseline + fs.underlinePos, x + adv, baseline + fs.underlinePos + fs.underlineThick),
                        st.clip, st.color);
        x += adv;
    }
    if (st.underline)
        FillClipped(t, TRect(x0, baseline + fs.underlinePos, x, baseline + fs.underlinePos + fs.underlineThick),
                    st.clip, st.color);
    if (st.strike)
    {
        const int y = baseline - std::max(1, fs.ascent / 3);
        FillClipped(t, TRect(x0, y, x, y + fs.underlineThick), st.clip, st.color);
    }
}

int Measure(FontFaceSet& fs, const char32_t* p, size_t n, int startX = 0, int tabStep = 0)
{
    int x = startX;
    for (size_t i = 0; i < n; ++i)
    {
        if (p[i] == U'\t' && tabStep > 0)
            x = (x / tabStep + 1) * tabStep;
        else
            x += fs.Get(p[i] == U'\t' ? U' ' : p[i]).advance;
    }
    return x - startX;
}
}  // namespace

// ---- fonts -------------------------------------------------------------------------------

void StartFonts()
{
    if (!FontconfigReady()) return;
    // The two fallback families nearly every font ends in, plain and bold.
    for (const char* family : {kFallbackFamily, kGlyphFallbackFamily})
        for (const bool bold : {false, true}) OpenFace(MatchFamily(family, bold, false, true));
}

void SetFaceName(LOGFONT& lf, std::string_view name)
{
    size_t n = std::min(name.size(), size_t(LF_FACESIZE - 1));
    // Do not cut a UTF-8 sequence in half.
    while (n > 0 && n < name.size() && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, name.data(), n);
}

HFONT CreateFontIndirect(const LOGFONT& lf)
{
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    auto* f = new GdiFont;
    f->Log = lf;
    f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
    f->Faces = FacesFor(f->Log);
    return Register(f);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, std::string_view face)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight == FW_DONTCARE ? FW_NORMAL : weight;
    lf.lfItalic = BYTE(italic != 0);
    lf.lfUnderline = BYTE(underline != 0);
    lf.lfStrikeOut = BYTE(strikeOut != 0);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    SetFaceName(lf, face);
    return CreateFontIndirect(lf);
}

std::string GetFontFamilyName(HFONT font)
{
    auto* f = Lookup<GdiFont>(font, GdiKind::Font);
    return f && f->Faces ? f->Faces->family : std::string();
}

HFONT gdi::StockFont(int which)
{
    static std::once_flag once;
    static HFONT fonts[3];
    std::call_once(once, [] {
        const char* names[3] = {"MS Sans Serif", "System", "Tahoma"};
        for (int i = 0; i < 3; ++i)
        {
            LOGFONT lf;
            lf.lfHeight = -11;
            SetFaceName(lf, names[i]);
            auto* f = new GdiFont;
            f->Log = lf;
            {
                std::lock_guard<std::recursive_mutex> g(TextMutex());
                f->Faces = FacesFor(lf);
            }
            fonts[i] = static_cast<HFONT>(MakeStock(f));
        }
    });
    switch (which)
    {
    case ANSI_VAR_FONT: return fonts[0];
    case SYSTEM_FONT: return fonts[1];
    case DEFAULT_GUI_FONT: return fonts[2];
    default: return nullptr;
    }
}

// ---- metrics -------------------------------------------------------------------------------

BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm)
{
    if (!IsLiveDC(dc) || !tm) return FALSE;
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    GdiFont* f = FontOf(dc);
    FontFaceSet& fs = *f->Faces;
    *tm = TEXTMETRIC();
    tm->tmHeight = fs.Height();
    tm->tmAscent = fs.ascent;
    tm->tmDescent = fs.descent;
    tm->tmInternalLeading = std::max(0, fs.Height() - fs.em);
    tm->tmAveCharWidth = fs.aveWidth;
    tm->tmMaxCharWidth = fs.maxWidth;
    tm->tmWeight = f->Log.lfWeight;
    tm->tmItalic = f->Log.lfItalic;
    tm->tmUnderlined = f->Log.lfUnderline;
    tm->tmStruckOut = f->Log.lfStrikeOut;
    tm->tmPitchAndFamily = f->Log.lfPitchAndFamily;
    tm->tmCharSet = f->Log.lfCharSet;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, std::string_view text, TSize* size)
{
    if (!IsLiveDC(dc) || !size) return FALSE;
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    FontFaceSet& fs = *FontOf(dc)->Faces;
    const std::u32string cps = Decode(text);
    *size = TSize(Measure(fs, cps.data(), cps.size()), fs.Height());
    return TRUE;
}

std::string GetTextFace(HDC dc)
{
    if (!IsLiveDC(dc)) return {};
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    return FontOf(dc)->Faces->family;
}

UINT SetTextAlign(HDC dc, UINT align)
{
    if (!IsLiveDC(dc)) return 0xFFFFFFFF;
    UINT old = dc->S.TextAlign;
    dc->S.TextAlign = align;
    return old;
}

UINT GetTextAlign(HDC dc) { return IsLiveDC(dc) ? dc->S.TextAlign : 0xFFFFFFFF; }

// ---- output --------------------------------------------------------------------------------

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rc, std::string_view text, const int* dx)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || !Sane(x, y) || (rc && !Sane(*rc))) return FALSE;
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    GdiFont* f = FontOf(dc);
    FontFaceSet& fs = *f->Faces;
    const std::u32string cps = Decode(text);
    int width = 0;
    if (dx)
        for (size_t i = 0; i < cps.size(); ++i) width += dx[i];
    else
        width = Measure(fs, cps.data(), cps.size());
    const UINT align = dc->S.TextAlign;
    if (align & TA_UPDATECP)
    {
        x = dc->S.CurPos.X;
        y = dc->S.CurPos.Y;
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - fs.ascent;
    else if (align & TA_BOTTOM)
        top = y - fs.Height();
    if (align & TA_UPDATECP)
        dc->S.CurPos.X = ((align & TA_CENTER) == TA_CENTER) ? x : (align & TA_RIGHT) ? x - width : x + width;
    if (!t) return TRUE;
    TRect clipRect;
    const TRect* clip = nullptr;
    if (rc)
    {
        clipRect = t.ToSurface(*rc);
        if (options & ETO_OPAQUE) FillClipped(t, clipRect, nullptr, ColorRefToPixel(dc->S.BkColor));
        if (options & ETO_CLIPPED) clip = &clipRect;
    }
    const TPoint p = t.ToSurface(left, top);
    if (dc->S.BkMode == OPAQUE && !(rc && (options & ETO_OPAQUE)))
        FillClipped(t, TRect(p.X, p.Y, p.X + width, p.Y + fs.Height()), clip, ColorRefToPixel(dc->S.BkColor));
    RunStyle st{ColorRefToPixel(dc->S.TextColor), f->Log.lfUnderline != 0, f->Log.lfStrikeOut != 0, clip};
    DrawRun(t, fs, cps, nullptr, p.X, p.Y, st, dx);
    return TRUE;
}

BOOL TextOut(HDC dc, int x, int y, std::string_view text) { return ExtTextOut(dc, x, y, 0, nullptr, text); }

LONG TabbedTextOut(HDC dc, int x, int y, std::string_view text, int count, const int* tabs, int tabOrigin)
{
    DrawTarget t(dc);
    if (!IsLiveDC(dc) || !Sane(x, y, tabOrigin)) return 0;
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    GdiFont* f = FontOf(dc);
    FontFaceSet& fs = *f->Faces;
    const std::u32string cps = Decode(text);
    if (count < 0 || !tabs) count = 0;
    for (int k = 0; k < count; ++k)
        if (!Sane(tabs[k])) return 0;
    const int step = count == 0 ? 8 * fs.aveWidth : (count == 1 ? std::max(1, tabs[0]) : 0);
    // Advances with tabs resolved to their stops.
    std::vector<int> adv(cps.size());
    int pos = x;
    for (size_t i = 0; i < cps.size(); ++i)
    {
        int next;
        if (cps[i] == U'\t')
        {
            const int rel = pos - tabOrigin;
            if (step > 0)
                next = tabOrigin + (rel / step + 1) * step;
            else
            {
                next = pos + fs.Get(U' ').advance;
                for (int k = 0; k < count; ++k)
                    if (tabs[k] > rel)
                    {
                        next = tabOrigin + tabs[k];
                        break;
                    }
            }
        }
        else
            next = pos + fs.Get(cps[i]).advance;
        adv[i] = next - pos;
        pos = next;
    }
    const int width = pos - x;
    if (t)
    {
        const TPoint p = t.ToSurface(x, y);
        if (dc->S.BkMode == OPAQUE)
            FillClipped(t, TRect(p.X, p.Y, p.X + width, p.Y + fs.Height()), nullptr, ColorRefToPixel(dc->S.BkColor));
        RunStyle st{ColorRefToPixel(dc->S.TextColor), f->Log.lfUnderline != 0, f->Log.lfStrikeOut != 0, nullptr};
        DrawRun(t, fs, cps, nullptr, p.X, p.Y, st, adv.data());
    }
    return LONG(DWORD(WORD(width)) | (DWORD(WORD(fs.Height())) << 16));
}

// ---- formatted text ------------------------------------------------------------------------

namespace
{
struct Line
{
    std::u32string cps;
    std::vector<char> marks;   // underlined (prefix) characters
    int width = 0;
};

void PushChar(Line& l, char32_t c, bool mark)
{
    l.cps.push_back(c);
    l.marks.push_back(mark ? 1 : 0);
}

// Pen positions after each character: pos[i] is the width of the first i.
std::vector<int> Positions(FontFaceSet& fs, const std::u32string& cps, int tabStep)
{
    std::vector<int> pos(cps.size() + 1, 0);
    int x = 0;
    for (size_t i = 0; i < cps.size(); ++i)
    {
        if (cps[i] == U'\t' && tabStep > 0)
            x = (x / tabStep + 1) * tabStep;
        else
            x += fs.Get(cps[i] == U'\t' ? U' ' : cps[i]).advance;
        pos[i + 1] = x;
    }
    return pos;
}

// Cuts the line to fit maxW with "..." at the end: the longest prefix that
// fits with it, or "..." alone.
void EndEllipsis(FontFaceSet& fs, Line& l, int maxW, int tabStep)
{
    static const std::u32string dots = U"...";
    const int dotsW = Measure(fs, dots.data(), dots.size());
    const std::vector<int> pos = Positions(fs, l.cps, tabStep);
    size_t n = l.cps.size();
    while (n > 0 && pos[n] + dotsW > maxW) --n;
    l.cps.resize(n);
    l.marks.resize(n);
    for (char32_t c : dots) PushChar(l, c, false);
}

// Replaces the middle of a path with "..." keeping its last part.
void PathEllipsis(FontFaceSet& fs, Line& l, int maxW, int tabStep)
{
    size_t sep = std::u32string::npos;
    for (size_t i = l.cps.size(); i-- > 0;)
        if (l.cps[i] == U'\\' || l.cps[i] == U'/')
        {
            sep = i;
            break;
        }
    if (sep == std::u32string::npos || sep == 0)
    {
        EndEllipsis(fs, l, maxW, tabStep);
        return;
    }
    static const std::u32string dots = U"...";
    const std::u32string tail = l.cps.substr(sep);
    const std::vector<char> tailMarks(l.marks.begin() + std::ptrdiff_t(sep), l.marks.end());
    const int fixedW = Measure(fs, dots.data(), dots.size()) + Measure(fs, tail.data(), tail.size());
    const std::vector<int> pos = Positions(fs, l.cps, tabStep);
    size_t head = sep;
    while (head > 0 && pos[head] + fixedW > maxW) --head;
    Line out;
    for (size_t i = 0; i < head; ++i) PushChar(out, l.cps[i], l.marks[i]);
    for (char32_t c : dots) PushChar(out, c, false);
    for (size_t i = 0; i < tail.size(); ++i) PushChar(out, tail[i], tailMarks[i]);
    if (head == 0 && Measure(fs, out.cps.data(), out.cps.size(), 0, tabStep) > maxW)
    {
        // Even the last part does not fit: cut it at the end as well.
        EndEllipsis(fs, out, maxW, tabStep);
    }
    l = std::move(out);
}

// Greedy line breaking of one paragraph.
void WrapParagraph(FontFaceSet& fs, const Line& para, int maxW, int tabStep, std::vector<Line>& out)
{
    const size_t n = para.cps.size();
    const std::u32string& p = para.cps;
    auto canBreakBefore = [&](size_t i) {
        if (i == 0 || i >= n) return false;
        if (p[i] == U' ') return false;
        if (p[i - 1] == U' ' || p[i - 1] == U'\t') return true;
        // Between CJK characters, except before closing and after opening punctuation.
        return (IsCJK(p[i]) || IsCJK(p[i - 1])) && !NoLineStart(p[i]) && !NoLineEnd(p[i - 1]);
    };
    auto emit = [&](size_t a, size_t b) {
        while (b > a && (p[b - 1] == U' ')) --b;   // trailing spaces do not count
        Line l;
        l.cps.assign(p.begin() + std::ptrdiff_t(a), p.begin() + std::ptrdiff_t(b));
        l.marks.assign(para.marks.begin() + std::ptrdiff_t(a), para.marks.begin() + std::ptrdiff_t(b));
        out.push_back(std::move(l));
    };
    if (n == 0)
    {
        out.push_back(Line());
        return;
    }
    size_t pos = 0;
    while (pos < n)
    {
        const size_t start = pos;
        size_t lastBreak = 0;
        bool haveBreak = false;
        int x = 0;
        size_t i = start;
        for (; i < n; ++i)
        {
            if (i > start && canBreakBefore(i))
            {
                lastBreak = i;
                haveBreak = true;
            }
            int nx;
            if (p[i] == U'\t' && tabStep > 0)
                nx = (x / tabStep + 1) * tabStep;
            else
                nx = x + fs.Get(p[i] == U'\t' ? U' ' : p[i]).advance;
            if (p[i] != U' ' && nx > maxW && haveBreak) break;
            x = nx;
        }
        if (i >= n)
        {
            emit(start, n);
            break;
        }
        emit(start, lastBreak);
        pos = lastBreak;
        while (pos < n && p[pos] == U' ') ++pos;
    }
}
}  // namespace

int DrawTextEx(HDC dc, std::string_view text, TRect& rc, UINT format, DRAWTEXTPARAMS* params)
{
    if (!IsLiveDC(dc) || !Sane(rc)) return 0;
    if (params && !Sane(params->iLeftMargin, params->iRightMargin, params->iTabLength)) return 0;
    std::lock_guard<std::recursive_mutex> g(TextMutex());
    GdiFont* f = FontOf(dc);
    FontFaceSet& fs = *f->Faces;
    if (params) params->uiLengthDrawn = UINT(text.size());

    int tabLen = params && params->iTabLength > 0 ? params->iTabLength : 8;
    if (format & DT_TABSTOP)
    {
        tabLen = int((format >> 8) & 0xFF);
        if (tabLen == 0) tabLen = 8;
        format &= ~UINT(0xFF00);
    }
    const int tabStep = (format & DT_EXPANDTABS) ? std::max(1, tabLen * fs.aveWidth) : 0;
    const int leftMargin = params ? std::max(0, params->iLeftMargin) : 0;
    const int rightMargin = params ? std::max(0, params->iRightMargin) : 0;
    const TRect area(rc.Left + leftMargin, rc.Top, rc.Right - rightMargin, rc.Bottom);
    const int maxW = std::max(0, area.Width());

    const std::u32string cps = Decode(text);
    if (cps.empty())
    {
        if (format & DT_CALCRECT)
        {
            rc.Right = rc.Left;
            rc.Bottom = rc.Top;
        }
        return 0;
    }

    // Prefixes and paragraphs.
    const bool prefixes = !(format & DT_NOPREFIX);
    const bool showMarks = prefixes && !(format & DT_HIDEPREFIX);
    const bool single = (format & DT_SINGLELINE) != 0;
    std::vector<Line> paras(1);
    for (size_t i = 0; i < cps.size(); ++i)
    {
        char32_t c = cps[i];
        if (c == U'\r' || c == U'\n')
        {
            if (single) continue;
            // CR LF and LF CR are each one break, as the system's text call has it.
            if (i + 1 < cps.size() && cps[i + 1] == (c == U'\r' ? U'\n' : U'\r')) ++i;
            paras.emplace_back();
            continue;
        }
        if (prefixes && c == U'&')
        {
            if (i + 1 >= cps.size()) continue;   // a lone "&" at the end shows nothing
            const char32_t nx = cps[i + 1];
            ++i;
            if (nx == U'&')
                PushChar(paras.back(), U'&', false);
            else if (nx == U'\r' || nx == U'\n')
                --i;   // the break is handled on the next turn
            else
                PushChar(paras.back(), nx, showMarks);
            continue;
        }
        PushChar(paras.back(), c, false);
    }

    std::vector<Line> lines;
    const bool wrap = (format & DT_WORDBREAK) && !single;
    for (Line& p : paras)
    {
        if (wrap)
            WrapParagraph(fs, p, maxW, tabStep, lines);
        else
            lines.push_back(std::move(p));
    }
    const bool ellipsis = (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0;
    int widest = 0;
    for (Line& l : lines)
    {
        l.width = Measure(fs, l.cps.data(), l.cps.size(), 0, tabStep);
        if (ellipsis && l.width > maxW)
        {
            if (format & DT_PATH_ELLIPSIS)
                PathEllipsis(fs, l, maxW, tabStep);
            else
                EndEllipsis(fs, l, maxW, tabStep);
            l.width = Measure(fs, l.cps.data(), l.cps.size(), 0, tabStep);
        }
        widest = std::max(widest, l.width);
    }
    const int lineH = fs.Height();
    const int totalH = lineH * int(lines.size());

    if (format & DT_CALCRECT)
    {
        rc.Right = rc.Left + leftMargin + widest + rightMargin;
        rc.Bottom = rc.Top + totalH;
        return totalH;
    }

    int top = area.Top;
    if (single)
    {
        if (format & DT_VCENTER)
            top = area.Top + (area.Height() - lineH) / 2;
        else if (format & DT_BOTTOM)
            top = area.Bottom - lineH;
    }
    const int result = (single && (format & (DT_VCENTER | DT_BOTTOM))) ? top - rc.Top + totalH : totalH;

    DrawTarget t(dc);
    if (!t) return result;
    TRect clipRect = t.ToSurface(rc);
    const TRect* clip = (format & DT_NOCLIP) ? nullptr : &clipRect;
    const TPixel bk = ColorRefToPixel(dc->S.BkColor);
    RunStyle st{ColorRefToPixel(dc->S.TextColor), f->Log.lfUnderline != 0, f->Log.lfStrikeOut != 0, clip};
    int y = top;
    for (const Line& l : lines)
    {
        int x = area.Left;
        if (format & DT_CENTER)
            x = area.Left + (area.Width() - l.width) / 2;
        else if (format & DT_RIGHT)
            x = area.Right - l.width;
        const TPoint p = t.ToSurface(x, y);
        if (dc->S.BkMode == OPAQUE) FillClipped(t, TRect(p.X, p.Y, p.X + l.width, p.Y + lineH), clip, bk);
        DrawRun(t, fs, l.cps, showMarks ? &l.marks : nullptr, p.X, p.Y, st, nullptr, tabStep, p.X);
        y += lineH;
    }
    return result;
}

int DrawText(HDC dc, std::string_view text, TRect& rc, UINT format)
{
    return DrawTextEx(dc, text, rc, format, nullptr);
}
