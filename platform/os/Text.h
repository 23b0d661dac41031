// Fonts and text: fonts found with fontconfig and rendered with FreeType,
// text output, measuring and the formatted text call (DrawText). Text is
// UTF-8. A face name the machine lacks falls back to a CJK-capable sans font
// (WenQuanYi Micro Hei), and characters a face lacks are taken from Noto Sans
// CJK SC (real regular and bold weights), else from that fallback, so Chinese
// always renders.
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/os/Gdi.h"

#include <memory>
#include <string>
#include <string_view>

constexpr int LF_FACESIZE = 64;   // bytes of UTF-8, terminating zero included

// Weights.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_HEAVY = 900;

// Character sets (kept with the font; the double-byte ones matter to edits).
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE HANGEUL_CHARSET = 129;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE OEM_CHARSET = 255;

constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE NONANTIALIASED_QUALITY = 3;

// A font request. lfHeight < 0: character (em) height in pixels; > 0: cell
// height (ascent + descent); 0: the default size.
struct LOGFONT
{
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = DEFAULT_QUALITY;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
// Starts the font machinery (fontconfig's configuration and its list of
// installed families, FreeType, the fallback faces opened) ahead of the
// first font, so a program can have it done on another thread while it does
// other start-up work. Any thread may call it; a font made meanwhile waits
// for what it needs.
void StartFonts();
// Sets lfFaceName from UTF-8 (cut at a character boundary to fit).
void SetFaceName(LOGFONT& lf, std::string_view name);

struct FontFaceSet;   // the FreeType faces behind a font (internal)

struct GdiFont : GdiObject
{
    GdiFont() : GdiObject(GdiKind::Font) {}
    LOGFONT Log;
    std::shared_ptr<FontFaceSet> Faces;
};

HFONT CreateFontIndirect(const LOGFONT& lf);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, std::string_view face);
// The family really used for a font (after fallback), e.g. "WenQuanYi Micro Hei".
std::string GetFontFamilyName(HFONT font);

struct TEXTMETRIC
{
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};
BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm);
// Width of the text and the font's cell height.
BOOL GetTextExtentPoint32(HDC dc, std::string_view text, TSize* size);
// Name of the family in use.
std::string GetTextFace(HDC dc);

// Text alignment of TextOut (reference point of the text).
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);

// Text with its cell's top-left at (x, y) (by default); the background is
// filled in OPAQUE mode.
BOOL TextOut(HDC dc, int x, int y, std::string_view text);
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
// ETO_OPAQUE fills rc with the background colour; ETO_CLIPPED clips to rc.
// dx, when given, holds the advance of each character (one per code point).
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rc, std::string_view text,
                const int* dx = nullptr);
// Text with tab stops: tabs[0 .. count-1] are positions from tabOrigin
// (one value: a repeating interval; none: every 8 average characters).
// Returns MAKELONG(width, height) of the text.
LONG TabbedTextOut(HDC dc, int x, int y, std::string_view text, int count, const int* tabs,
                   int tabOrigin);

// DrawText formats.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

struct DRAWTEXTPARAMS
{
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 8;     // in average character widths
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0; // out: bytes of text processed
};

// Formatted text in rc. Lines break at CR/LF (unless DT_SINGLELINE) and,
// with DT_WORDBREAK, between words and between CJK characters to fit the
// width; a word wider than the rectangle is not split. "&x" underlines x and
// "&&" is "&" unless DT_NOPREFIX. DT_VCENTER/DT_BOTTOM apply to single lines.
// DT_CALCRECT draws nothing and sets rc to the text's extent: right to the
// widest line (with DT_WORDBREAK the width is kept unless a word is wider),
// bottom to the last line. Returns the text height (with DT_VCENTER or
// DT_BOTTOM: the offset from rc.Top to the bottom of the text); 0 for an
// empty text or on error.
int DrawText(HDC dc, std::string_view text, TRect& rc, UINT format);
int DrawTextEx(HDC dc, std::string_view text, TRect& rc, UINT format, DRAWTEXTPARAMS* params);
