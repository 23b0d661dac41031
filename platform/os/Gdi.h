// Device contexts and drawing: GDI objects (bitmaps, brushes, pens, fonts,
// regions), device-context state, clipping and origins, lines and shapes,
// blits, DIB sections, colour-keyed and alpha-blended copies.
//
// Coordinates: a call takes logical coordinates; device = logical - window
// origin + viewport origin; the device point (0,0) lies at the DC's origin on
// its surface. Clip regions handed to or returned by the DC are in device
// coordinates, GetClipBox answers in logical ones.
//
// Pixels written by fills and lines are opaque (alpha 255); text is blended
// over what is there (on an opaque surface it stays opaque); copies (BitBlt,
// StretchBlt, TransparentBlt, DIB calls) carry the source's alpha bytes.
// Coordinates beyond +/- 2^28 are refused (the call fails).
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Surface.h"
#include "platform/core/Types.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"

#include <memory>
#include <vector>

// ---- objects ---------------------------------------------------------------

enum class GdiKind : int { Bitmap = 1, Brush, Pen, Font, Region };

// A GDI object. Handles (HGDIOBJ, HBITMAP …) point at one. An object that is
// still selected into a DC (or a saved DC state) when deleted lives on until
// the last selection goes; stock objects are never deleted.
struct GdiObject
{
    explicit GdiObject(GdiKind k) : Kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const GdiKind Kind;
    bool Stock = false;
    int Refs = 0;              // selections by device contexts
    bool DeletePending = false;
    DeviceContext* SelectedIn = nullptr;   // bitmaps: the memory DC holding it
};

struct BITMAPINFOHEADER
{
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;        // > 0: rows bottom-up; < 0: top-down
    WORD biPlanes = 1;
    WORD biBitCount = 0;      // 24 or 32
    DWORD biCompression = 0;  // BI_RGB
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
struct RGBQUAD { BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved; };
struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;   // accepted for 32 bits with the usual masks
constexpr UINT DIB_RGB_COLORS = 0;

// What GetObject reports for a bitmap.
struct BITMAP
{
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;   // DIB sections: the pixels; others: null
};
// What GetObject reports for a DIB section (asked with sizeof(DIBSECTION)).
struct DIBSECTION
{
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3] = {0, 0, 0};
    HANDLE dshSection = nullptr;
    DWORD dsOffset = 0;
};

struct GdiBitmap : GdiObject
{
    GdiBitmap() : GdiObject(GdiKind::Bitmap) {}
    TSurface Surface;               // 32-bit pixels drawing goes to
    bool IsDib = false;             // created by CreateDIBSection
    BITMAPINFOHEADER Header;        // DIB sections: as created
    int BitsPerPixel = 32;          // 24 or 32
    // DIB sections: the caller-visible pixel memory. 32-bit sections draw
    // on it directly; for 24-bit ones Surface is a copy kept in step with it
    // around every drawing call.
    std::vector<unsigned char> DibMemory;
    int DibStride = 0;
};

// Brush styles.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
struct LOGBRUSH
{
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    std::uintptr_t lbHatch = 0;
};
struct GdiBrush : GdiObject
{
    GdiBrush() : GdiObject(GdiKind::Brush) {}
    LOGBRUSH Log;
};

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
struct LOGPEN
{
    UINT lopnStyle = PS_SOLID;
    TPoint lopnWidth;   // X is the width
    COLORREF lopnColor = 0;
};
struct GdiPen : GdiObject
{
    GdiPen() : GdiObject(GdiKind::Pen) {}
    LOGPEN Log;
};

struct GdiRegion : GdiObject
{
    GdiRegion() : GdiObject(GdiKind::Region) {}
    TRegion Rgn;
};

// GetObjectType / GetCurrentObject kinds.
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;
constexpr UINT OBJ_MEMDC = 10;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

HGDIOBJ GetStockObject(int which);
// Frees the object. Stock objects and objects still selected are kept (the
// latter are freed when deselected). False for a null or unknown handle.
BOOL DeleteObject(HGDIOBJ obj);
// True when h is a live GDI object of this layer.
bool IsGdiObject(HGDIOBJ h);
UINT GetObjectType(HGDIOBJ h);
// Copies the object's description (BITMAP or DIBSECTION, LOGPEN, LOGBRUSH,
// LOGFONT) into out; out null: returns the size needed. Returns the bytes
// written, 0 on failure. A DIB section asked with sizeof(DIBSECTION) or more
// answers a full DIBSECTION; other bitmaps answer a BITMAP.
int GetObject(HGDIOBJ h, int size, void* out);

HBRUSH CreateSolidBrush(COLORREF c);
HBRUSH CreateBrushIndirect(const LOGBRUSH& lb);
HPEN CreatePen(int style, int width, COLORREF c);
HPEN CreatePenIndirect(const LOGPEN& lp);

// ---- bitmaps and DIB sections -----------------------------------------------

// A 32-bit bitmap (not a DIB section). A zero size gives 1 x 1; a negative
// one fails.
HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h);
// A 24- or 32-bit uncompressed DIB section; *bits receives the pixels (rows
// 4-byte aligned; bottom-up when biHeight > 0). Null (and *bits null) for
// any other format, a zero width or height, or a size that does not fit.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// The 32-bit pixels of a bitmap (null for other handles). For a 24-bit DIB
// section this is a copy refreshed from its bits on each call; write through
// the DIB pointer instead.
TSurface* GetBitmapSurface(HBITMAP bmp);

// ---- device contexts --------------------------------------------------------

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Mix modes (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;
// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// The state SaveDC keeps.
struct DcState
{
    TPoint WindowOrg, ViewportOrg;
    bool HasClip = false;
    TRegion Clip;                 // device coordinates
    HPEN Pen = nullptr;
    HBRUSH Brush = nullptr;
    HFONT Font = nullptr;
    HBITMAP Bitmap = nullptr;     // memory DCs
    COLORREF TextColor = RGB(0, 0, 0);
    COLORREF BkColor = RGB(255, 255, 255);
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    int StretchMode = BLACKONWHITE;
    int PolyFillMode = ALTERNATE;
    UINT TextAlign = 0;
    TPoint CurPos;
};

// A device context: a surface (its own for window DCs, the selected
// bitmap's for memory DCs), an origin on it, the visible region and the
// state above. Members are the layer's internals; use the calls below.
struct DeviceContext
{
    DcState S;
    std::vector<DcState> Saved;
    bool Memory = false;
    TSurface* Target = nullptr;   // window DCs: the surface drawn on
    TPoint Origin;                // device (0,0) on the surface
    bool HasVisRgn = false;
    TRegion VisRgn;               // device coordinates: what may be drawn at all
    HWND Window = nullptr;        // set by the window layer for its DCs
    // Effective clip in surface coordinates, rebuilt when stale.
    bool ClipStale = true;
    TRegion EffClip;
    int ClipW = -1, ClipH = -1;
    TSurface* ClipSurf = nullptr;
};

// A DC drawing on `surface`, its device (0,0) at `origin` on the surface and
// drawing limited to `visible` (device coordinates). For window DCs.
HDC CreateSurfaceDC(TSurface* surface, TPoint origin, const TRegion& visible);
// Moves an existing surface DC to a new surface, origin or visible region.
void SetSurfaceDC(HDC dc, TSurface* surface, TPoint origin, const TRegion& visible);
// A memory DC holding a 1 x 1 stock bitmap until a bitmap is selected.
HDC CreateCompatibleDC(HDC dc);
// Frees the DC (memory or surface DC); its selections are released.
BOOL DeleteDC(HDC dc);
// The surface the DC draws on now, and the origin of device (0,0) on it.
// For a 24-bit DIB section selected into a memory DC the surface is a copy
// refreshed on each call (as GetBitmapSurface).
TSurface* GetDCSurface(HDC dc);
BOOL GetDCOrgEx(HDC dc, TPoint* origin);

int SaveDC(HDC dc);
// level > 0: back to that level (levels above are dropped); level < 0:
// relative to the current one (-1 is the last save).
BOOL RestoreDC(HDC dc, int level);

// Selecting a region sets the clip region (answers its kind as an HGDIOBJ
// cast); selecting a bitmap works only on a memory DC and fails when the
// bitmap is selected in another DC. Returns the object it replaces.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);

COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Origins.
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
BOOL GetWindowOrgEx(HDC dc, TPoint* org);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old);
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
BOOL GetViewportOrgEx(HDC dc, TPoint* org);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old);
BOOL LPtoDP(HDC dc, TPoint* pts, int count);
BOOL DPtoLP(HDC dc, TPoint* pts, int count);

// Clipping. The results are region kinds (NULLREGION …, RGN_ERROR).
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// rgn null removes the clip region (RGN_COPY) ; the region is copied.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int OffsetClipRgn(HDC dc, int dx, int dy);
// The box of what can be drawn now, in logical coordinates.
int GetClipBox(HDC dc, TRect* box);
// Copies the clip region into rgn: 1 when there is one, 0 when none, -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const TRect& r);

// Device capabilities.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
int GetDeviceCaps(HDC dc, int index);

// ---- pixels, lines and shapes ------------------------------------------------

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);   // CLR_INVALID when clipped
COLORREF GetPixel(HDC dc, int x, int y);               // CLR_INVALID outside
BOOL MoveToEx(HDC dc, int x, int y, TPoint* old);
BOOL GetCurrentPositionEx(HDC dc, TPoint* pos);
// Line from the current position to (x, y), the end point excluded.
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const TPoint* pts, int count);
// Filled with the brush (poly fill mode), outlined with the pen, closed.
BOOL Polygon(HDC dc, const TPoint* pts, int count);
// Outline with the pen, inside with the brush; right and bottom excluded.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// Fills r (right and bottom excluded) with the brush; the mix mode is not used.
// A brush value 1 .. SYS_COLOR_COUNT is read as system colour index + 1.
int FillRect(HDC dc, const TRect& r, HBRUSH brush);
// One-pixel frame inside r with the brush.
int FrameRect(HDC dc, const TRect& r, HBRUSH brush);
// Inverts the dotted frame of r (a second call removes it).
BOOL DrawFocusRect(HDC dc, const TRect& r);

// DrawEdge borders and flags.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = 0x0003;
constexpr UINT BDR_INNER = 0x000C;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;
// 3-D edge in system colours; BF_ADJUST shrinks r by the edge drawn.
BOOL DrawEdge(HDC dc, TRect& r, UINT edge, UINT flags);

// ---- blits ---------------------------------------------------------------------

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Copies between DCs (the same DC included; overlaps are handled). Source
// pixels outside the source surface are not drawn.
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
// Scaled copy, nearest pixel; negative extents mirror.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);
// Fills with the selected brush combined by the rop (PATCOPY, PATINVERT,
// DSTINVERT, BLACKNESS, WHITENESS).
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
// Draws DIB bits (24 or 32 bits). As the system's: for a bottom-up DIB the
// source origin (sx, sy) is the lower-left corner of the picture. Returns
// the number of scan lines drawn, 0 on error.
int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);
// Draws lines startScan .. startScan + lines - 1 of a DIB that `bits` holds
// (those lines only), unscaled.
int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);
// Reads lines of a bitmap into bits in the format bmi asks (24 or 32 bits,
// rows bottom-up when biHeight > 0). bits null: fills in bmi's header (size,
// bit count 32, image size) and returns the bitmap's height. Returns the
// lines copied, 0 on error. The bitmap may be selected in a DC.
int GetDIBits(HDC dc, HBITMAP bmp, UINT startScan, UINT lines, void* bits, BITMAPINFO* bmi,
              UINT usage);

// Scaled copy that leaves out source pixels whose colour is `transparent`.
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent);

// Alpha blending. The source with AC_SRC_ALPHA holds premultiplied pixels
// (colour already multiplied by its alpha), as the system's call expects:
//   k = SourceConstantAlpha / 255
//   AC_SRC_ALPHA: d = s*k + d*(1 - s.a*k/255) for colour and alpha
//   otherwise:    d = s*k + d*(1 - k)
// Scaled copies use the nearest pixel. False when a rectangle is negative or
// the source rectangle leaves the source surface.
constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;
struct BLENDFUNCTION
{
    BYTE BlendOp = AC_SRC_OVER;
    BYTE BlendFlags = 0;
    BYTE SourceConstantAlpha = 255;
    BYTE AlphaFormat = 0;
};
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend);
// The same blend from a surface straight into another (used by the window
// layer's compositor): src rectangle onto dst at (x, y), unscaled, clipped to
// clip (surface coordinates of dst) when given.
void AlphaBlendSurface(TSurface& dst, int x, int y, const TSurface& src, const TRect& srcRect,
                       BLENDFUNCTION blend, const TRegion* clip = nullptr);
