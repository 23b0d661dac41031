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
// "..." alone. Characters are UTF-8 code points. A longer prefix is taken to
// be no narrower, so the prefix is found by measuring a few prefixes (about
// twice the logarithm of its length), never one per character: a caption of
// 100 KB fits as fast as a short one.
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
// Whether layered windows can be shown: the window layer answers.
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
// Text and glyphs on a device context (the canvas forms hand over their
// device context). Texts are UTF-8.

// The native text call with the whole text; returns the text height or 0.
int DrawTextUnicode(HDC dc, const std::string& text, TRect& r, UINT format);
int TextWidthW(HDC dc, const std::string& text);
int TextHeightW(HDC dc, const std::string& text);
// Ellipsis measured with the calculate-rectangle call / with the text extent.
void CorrectTextByWidthW(HDC dc, std::string& text, int width);
void CorrectTextByWidth(HDC dc, std::string& text, int width);
void DrawTextSingleLineVCenter(HDC dc, const std::string& text, const TRect& r);
void DrawTextVCenter(HDC dc, const std::string& text, const TRect& r);
void DrawTextVCenterOffset(HDC dc, const std::string& text, const TRect& r, int offset);

// Default glyphs drawn with the pen (and brush) in `color`.
void DrawArrowGlyph(HDC dc, const TRect& r, COLORREF color, int kind);
void DrawSmallDownArrow(HDC dc, const TRect& r, COLORREF color);
void DrawCheckGlyph(HDC dc, int x, int y, COLORREF color);
void DrawRadioGlyph(HDC dc, int x, int y, COLORREF color);
void DrawCloseGlyph(HDC dc, int x, int y, COLORREF color);
void DrawSysMenuGlyph(HDC dc, int x, int y, COLORREF color);
void DrawMinimizeGlyph(HDC dc, int x, int y, COLORREF color);
void DrawMaximizeGlyph(HDC dc, int x, int y, COLORREF color);
void DrawRestoreGlyph(HDC dc, int x, int y, COLORREF color);
void DrawRollDownGlyph(HDC dc, int x, int y, COLORREF color);
void DrawRollUpGlyph(HDC dc, int x, int y, COLORREF color);
void DrawTrayGlyph(HDC dc, int x, int y, COLORREF color);
// Dotted one-pixel frame in `color` (the canvas form uses its font colour).
void DrawDottedFocusRect(HDC dc, const TRect& r, COLORREF color);
// The skinned focus mark: a solid one-pixel ring in the skin's accent, its
// corner pixels left out so it sits inside rounded faces.
void DrawFocusMark(HDC dc, const TRect& r, COLORREF accent);
// A solid ring `width` pixels wide in `color` just inside `r` (corner pixels
// left out): the default button's mark.
void DrawAccentRing(HDC dc, const TRect& r, COLORREF color, int width);
// A bar `height` pixels tall in `color` along the bottom of `r`.
void DrawAccentBar(HDC dc, const TRect& r, COLORREF color, int height);

// ---------------------------------------------------------------------------
// UTF-8 <-> UTF-16 for the stream string format (count of UTF-16 units, then
// the units little-endian).
std::u16string bsUtf8ToUtf16(const std::string& s);
std::string bsUtf16ToUtf8(const std::u16string& s);
// The bytes of a stream string and back; ParseStreamString returns the bytes
// used, or 0 when the data is too short (then `text` holds what was there).
std::vector<std::uint8_t> EncodeStreamString(const std::string& text);
std::size_t ParseStreamString(const std::uint8_t* data, std::size_t size, std::string& text);

class TStream;
void WriteStringToStream(TStream& stream, const std::string& text);
// Reads a stream string. A count beyond what the stream still holds reads
// what is there; returns whether the whole string was read.
bool ReadStringFromStream(TStream& stream, std::string& text);

// ---------------------------------------------------------------------------
// Skin picture composition. A look is the rectangle SkinRect of a skin
// picture: four bands (each a fixed start, a variable middle and a fixed end)
// around a client part. The points and ClRect are relative to SkinRect's
// top-left; the New... values give the same geometry for the target size.
// Bands and client are stretched or tiled as their flags say; tiles start at
// the band's start and the last one is cut. A middle of length 0 draws
// nothing. The target's earlier content shows where nothing is drawn.

#include "lib/bsSkinData/Ini.h"   // TbsStretchType

class TbsBitmap;
class TBitmap;
class TCanvas;

// Every pixel of `b` moved `percent` of the way towards `color`.
void TintBitmap(TBitmap* b, COLORREF color, int percent);
// The face of a control's picture `b` moved `percent` of the way towards
// `color`: the pixels around its corners that share the corner pixel's
// colour (the ground a rounded face stands on, where the corner differs from
// the middle of its edge) are left alone.
void TintFace(TBitmap* b, COLORREF color, int percent);
// The colour most pixels of `r` in `b` have: what text drawn there stands on.
COLORREF DominantColor(TBitmap* b, const TRect& r);
// The same on a canvas, from a sparse grid of its pixels; `fallback` where
// the canvas cannot tell.
COLORREF DominantColor(TCanvas* c, const TRect& r, COLORREF fallback);
// Every pixel of `b` turned grey, then moved `percent` of the way towards
// `color`: the disabled look of a picture.
void FadeBitmap(TBitmap* b, COLORREF color, int percent);

void CreateSkinImage(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                     TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                     TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                     bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                     bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
void CreateSkinImage2(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
// A look without a right band; top and bottom middles run to the right edge.
void CreateSkinImage3(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
// B already has its size; the corners of ClRect are the points.
void CreateSkinImageByClRect(TbsBitmap* B, TbsBitmap* SB, TRect R, TRect ClRect, bool DrawClient);

void CreateHSkinImage(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool Stretch);
void CreateHSkinImage2(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                       bool Stretch);
void CreateHSkinMiddleImage(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                            bool Stretch);
void CreateVSkinImage(int TO, int BO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool Stretch);

// The four frame bands of a window of W x H as separate bitmaps.
void CreateSkinBorderImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                            TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                            TPoint NewRBPoint, TRect NewClRect, TbsBitmap* LeftB, TbsBitmap* TopB,
                            TbsBitmap* RightB, TbsBitmap* BottomB, TbsBitmap* SB, TRect R, int W,
                            int H, bool LeftStretch, bool TopStretch, bool RightStretch,
                            bool BottomStretch);
// The four frame bands of a look's mask (0-based) for the new size, tiled.
void CreateSkinMaskImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                          TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                          TPoint NewRBPoint, TRect NewClRect, TbsBitmap* MskB, TbsBitmap* TopB,
                          TbsBitmap* LeftB, TbsBitmap* RightB, TbsBitmap* BottomB, int W, int H);
// The window region of the resized look (null when the target is smaller
// than its fixed corners or the new client rectangle is empty). The caller
// owns the region.
void CreateSkinRegion(HRGN& FRgn, TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt,
                      TRect ClRect, TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                      TPoint NewRBPoint, TRect NewClRect, TbsBitmap* Mask, int Width, int Height);
// Black pixels of the mask as one rectangle per run and row, moved by
// (x, y); no limit on their number.
std::vector<TRect> GetMaskRects(const TbsBitmap* Mask, int x, int y);
// The same as region data (32-byte header and 16 bytes per rectangle);
// returns its size in bytes, 0 (and no data) for an empty mask.
DWORD GetMaskBitmapRects(const TbsBitmap* Mask, int x, int y, std::vector<std::uint8_t>& Data);
void CreateRgnFromMaskBitmap(HRGN& Rgn, const TbsBitmap* Mask);

// A 24-bit top-down copy of a bitmap for reading pixels row by row.
class TbsFBitmap
{
public:
    explicit TbsFBitmap(const TbsBitmap* src);
    // A copy of any bitmap behind a handle (read through the device layer).
    explicit TbsFBitmap(HBITMAP src);
    TbsFBitmap(const TbsFBitmap&) = delete;
    TbsFBitmap& operator=(const TbsFBitmap&) = delete;
    BYTE* Bits = nullptr;
    std::vector<BYTE*> Pixels;   // row pointers, top row first
    int Gap = 0;                 // bytes after each row's pixels: width mod 4
    int RowInc = 0;              // bytes per row
    int Size = 0;
    int Width = 0, Height = 0;

private:
    void Initialize();
    std::vector<BYTE> FStorage;
};

// The same composition routines for the class library's bitmaps (drawn
// through their canvases: scaled copies use the canvas's copy).
void CreateSkinImage(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                     TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                     TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                     bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                     bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
void CreateSkinImage2(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
void CreateSkinImage3(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);
void CreateSkinImageByClRect(TBitmap* B, TBitmap* SB, TRect R, TRect ClRect, bool DrawClient);
void CreateHSkinImage(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Stretch);
void CreateHSkinImage2(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Stretch);
void CreateHSkinMiddleImage(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                            bool Stretch);
void CreateVSkinImage(int TO, int BO, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Stretch);
void CreateSkinBorderImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                            TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                            TPoint NewRBPoint, TRect NewClRect, TBitmap* LeftB, TBitmap* TopB,
                            TBitmap* RightB, TBitmap* BottomB, TBitmap* SB, TRect R, int W, int H,
                            bool LeftStretch, bool TopStretch, bool RightStretch,
                            bool BottomStretch);
void CreateSkinMaskImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                          TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                          TPoint NewRBPoint, TRect NewClRect, TBitmap* MskB, TBitmap* TopB,
                          TBitmap* LeftB, TBitmap* RightB, TBitmap* BottomB, int W, int H);
void CreateSkinRegion(HRGN& FRgn, TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt,
                      TRect ClRect, TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                      TPoint NewRBPoint, TRect NewClRect, TBitmap* Mask, int Width, int Height);
std::vector<TRect> GetMaskRects(TBitmap* Mask, int x, int y);
DWORD GetMaskBitmapRects(TBitmap* Mask, int x, int y, std::vector<std::uint8_t>& Data);
void CreateRgnFromMaskBitmap(HRGN& Rgn, TBitmap* Mask);

// ---------------------------------------------------------------------------
// Canvas forms of the text and glyph routines (the canvas's font; glyphs in
// the given colour; the focus frame in the font's colour).

int DrawTextUnicode(TCanvas* canvas, const std::string& text, TRect& r, UINT format);
int TextWidthW(TCanvas* canvas, const std::string& text);
int TextHeightW(TCanvas* canvas, const std::string& text);
void CorrectTextByWidthW(TCanvas* canvas, std::string& text, int width);
void CorrectTextByWidth(TCanvas* canvas, std::string& text, int width);
void DrawTextSingleLineVCenter(TCanvas* canvas, const std::string& text, const TRect& r);
void DrawTextVCenter(TCanvas* canvas, const std::string& text, const TRect& r);
void DrawTextVCenterOffset(TCanvas* canvas, const std::string& text, const TRect& r, int offset);
void DrawArrowGlyph(TCanvas* canvas, const TRect& r, COLORREF color, int kind);
void DrawSmallDownArrow(TCanvas* canvas, const TRect& r, COLORREF color);
void DrawCheckGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawRadioGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawCloseGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawSysMenuGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawMinimizeGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawMaximizeGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawRestoreGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawRollDownGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawRollUpGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawTrayGlyph(TCanvas* canvas, int x, int y, COLORREF color);
void DrawDottedFocusRect(TCanvas* canvas, const TRect& r);

// Frame `frame` (from 1) of a strip of numGlyphs frames at (x, y), its
// bottom-left pixel's colour left out. An empty strip draws nothing.
void DrawGlyphFrame(TCanvas* canvas, int x, int y, TBitmap* strip, int numGlyphs, int frame);
// A strip frame and a caption laid out in r (margin -1 centres them);
// `down` moves both by one pixel; the colour marker draws three lines under
// the glyph (or the caption), or fills the button when it has neither.
void DrawGlyphAndText(TCanvas* canvas, const TRect& r, int margin, int spacing,
                      TbsButtonLayout layout, const std::string& caption, TBitmap* strip,
                      int numGlyphs, int glyphNum, bool down, bool drawColorMarker,
                      COLORREF colorMarkerValue);
// What DrawGlyphAndText measures and places, for layout checks.
struct TbsGlyphTextPlacement
{
    TRect TextRect;           // where the caption is drawn
    TPoint Glyph;             // glyph position
    TSize GlyphSize, TextSize;
};
TbsGlyphTextPlacement PlaceGlyphAndText(TCanvas* canvas, const TRect& r, int margin, int spacing,
                                        TbsButtonLayout layout, const std::string& caption,
                                        int glyphWidth, int glyphHeight, bool down);

class TCustomImageList;
class TControl;
class TWinControl;

// The glyph from an image list (index < 0, no list or an index beyond its
// count: no glyph). DrawImageAndText2 does not centre the caption
// horizontally.
void DrawImageAndText(TCanvas* canvas, const TRect& r, int margin, int spacing,
                      TbsButtonLayout layout, const std::string& caption, int imageIndex,
                      TCustomImageList* imageList, bool down, bool enabled, bool drawColorMarker,
                      COLORREF colorMarkerValue);
void DrawImageAndText2(TCanvas* canvas, const TRect& r, int margin, int spacing,
                       TbsButtonLayout layout, const std::string& caption, int imageIndex,
                       TCustomImageList* imageList, bool down, bool enabled, bool drawColorMarker,
                       COLORREF colorMarkerValue);

// Paints into `canvas` what lies under `control`: its parent's background
// and the parent's graphic controls that come before it.
void DrawParentImage(TControl* control, TCanvas* canvas);
// The same for the part `r` of the control (control coordinates).
void DrawPageControlParentImage(TControl* control, const TRect& r, TCanvas* canvas);
