// Drawing utilities of the skin library: rectangle and point tests, text
// measuring and ellipsis, glyph-and-caption layout, default glyphs, platform
// probes (system version, processor, layered windows, monitors), stream
// strings, and the composition of skin pictures at any size.
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Rectangles and points. RectWidth and RectHeight come from the geometry
// header (right - left, bottom - top, never clamped).

bool IsEmptyRect(const TRect& r);                      // width <= 0 or height <= 0
void NullRect(TRect& r);                               // (0, 0, 0, 0)
bool EqualRects(const TRect& a, const TRect& b);       // all four coordinates equal
bool IsNullPoint(const TPoint& p);                     // x = 0 or y = 0
bool PtInRectInclusive(const TRect& r, const TPoint& p);  // all four edges inside
// r1's top-left and bottom-right both in r2 by the half-open point test.
bool RectInRect(const TRect& r1, const TRect& r2);
bool RectTopOrBottomInRect(const TRect& r1, const TRect& r2);
int IntMax(int a, int b);
int IntMin(int a, int b);

// ---------------------------------------------------------------------------
// Text helpers that need no canvas.

// Takes the characters of `text` up to the first delimiter (space ( ) , : ; =)
// as `token`; both are trimmed afterwards. At most (length mod 256) characters
// are walked, counted in code points.
void ExtractToken(std::string& text, std::string& token);
// Four integers left, top, right, bottom; any failure gives (0, 0, 0, 0).
// Returns whether all four were read.
bool StringToRect(const std::string& text, TRect& r);

// Cuts `text` with "..." so that `measure(text)` fits `width`: unchanged when
// it already fits, else the longest prefix that fits followed by "...", or
// "..." alone. Characters are UTF-8 code points.
void CorrectTextByMeasure(std::string& text, int width,
                          const std::function<int(const std::string&)>& measure);

// ---------------------------------------------------------------------------
// Glyph and caption layout.

enum TbsButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TbsGlyphTextLayout
{
    int TextX = 0, TextY = 0, GlyphX = 0, GlyphY = 0;
};

// Positions of a glyph and a caption in a button rectangle. Margin -1 centres
// the group; any other margin places it from the layout's edge.
void CalcGlyphTextLayout(TbsButtonLayout layout, const TRect& r, int glyphWidth, int glyphHeight,
                         int textWidth, int textHeight, int spacing, int margin, int& textX,
                         int& textY, int& glyphX, int& glyphY);
TbsGlyphTextLayout CalcGlyphTextLayout(TbsButtonLayout layout, const TRect& r, int glyphWidth,
                                       int glyphHeight, int textWidth, int textHeight, int spacing,
                                       int margin);

// Pixels of the dotted focus frame of `r` ((left, top) to (right - 1,
// bottom - 1) inclusive) in the order they are walked, each with its state.
struct TbsDotPixel
{
    int X, Y;
    bool On;
};
std::vector<TbsDotPixel> DottedFocusRectPixels(const TRect& r);

// ---------------------------------------------------------------------------
// Platform probes.

void GetWindowsVersion(int& major, int& minor);
bool IsWindowsVistaOrLater();
bool IsWindowsXPOrLater();
bool IsLayeredWindowsAvailable();
// The same tests for a given version (the probes above ask the system's).
bool VersionIsVistaOrLater(int major, int minor);
bool VersionIsXPOrLater(int major, int minor);
bool VersionHasLayeredWindows(int major, int minor);

bool IsCPUIDAvailable();
std::uint32_t GetCPUSignature();
std::uint32_t GetCPUFeatures();
bool IsMMXAvailable();
// The MMX rule on given identification values: family (bits 8-11 of the
// signature) 5 or more and feature bit 23.
bool CPUHasMMX(bool cpuidAvailable, std::uint32_t signature, std::uint32_t features);
// Ends the use of the MMX state after a run of blend routines. The blend
// arithmetic is portable C++ here, so there is no state to clear.
void EndMMX();
bool IsMsimg32Loaded();
bool IsMMXFlagSet();   // the flag the unit's start-up recorded
bool IsNTFamily();

bool IsMultiMonitor();
void GetScreenWorkArea(bool workArea, TRect& r);
void GetMonitorWorkArea(HWND wnd, bool workArea, TRect& r);

// ---------------------------------------------------------------------------
// UTF-8 <-> UTF-16 for the stream string format (count of UTF-16 units, then
// the units little-endian).
std::u16string bsUtf8ToUtf16(const std::string& s);
std::string bsUtf16ToUtf8(const std::u16string& s);
// The bytes of a stream string and back; ParseStreamString returns the bytes
// used, or 0 when the data is too short (then `text` holds what was there).
std::vector<std::uint8_t> EncodeStreamString(const std::string& text);
std::size_t ParseStreamString(const std::uint8_t* data, std::size_t size, std::string& text);
