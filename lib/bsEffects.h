// Bitmap engines of the skin library.
//
// TbsBitmap: a 32-bit bitmap with straight (not premultiplied) per-pixel
// alpha and its own memory device context; the pixel routines and the draw
// engine that copy, key-colour copy or blend it onto bitmaps, DIB pixel
// blocks and device contexts; tiling, merging, colour effects, blur, text
// effects and its stream record.
// TbsEffectBmp: a 24-bit work bitmap for transitions and image effects.
// TbsBitmapLink: a named rectangle of a TbsBitmap.
#pragma once
#include "lib/bsUtils.h"
#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/core/Exception.h"
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TStream;
class TGraphic;

// ---------------------------------------------------------------------------
// Pixels

// Blue in bits 0-7, green 8-15, red 16-23, alpha 24-31 (255 opaque).
using TbsColor = std::uint32_t;
using PbsColorArray = TbsColor*;
using TArrayOfseColor = std::vector<TbsColor>;

// Marks holes of key-coloured bitmaps; only red, green and blue are compared.
constexpr TbsColor bsKeyColor = 0x007F007F;

// A colour value 0x00BBGGRR as an opaque TbsColor 0xFFRRGGBB.
TbsColor ColorToBsColor(COLORREF c);
// Each clamped to 0..255.
void ClampRGB(int& r, int& g, int& b);

// The pixel routine table, bound once at start-up by InitPixelRoutines.
using TbsBlendPixelProc = TbsColor (*)(TbsColor fg, TbsColor bg);
using TbsRunProc = void (*)(const TbsColor* src, TbsColor* dst, int count);
using TbsFillRunProc = void (*)(TbsColor* dst, int count, TbsColor value);
using TbsFillRectProc = void (*)(TbsColor* block, int blockWidth, int blockHeight, int x0, int y0,
                                 int x1, int y1, TbsColor value);
using TbsSetAlphaRunProc = void (*)(TbsColor* dst, int count, BYTE alpha);
using TbsSetAlphaRectProc = void (*)(TbsColor* block, int blockWidth, int blockHeight, int x0,
                                     int y0, int x1, int y1, BYTE alpha);
using TbsClearKeyRunProc = void (*)(TbsColor* dst, int count, TbsColor key);

extern TbsBlendPixelProc BlendPixel;
extern TbsRunProc BlendRun;
extern TbsRunProc TransparentCopyRun;
extern TbsRunProc CopyRun;
extern TbsFillRunProc FillRun;
extern TbsFillRectProc FillRectArea;
extern TbsSetAlphaRunProc SetAlphaRun;
extern TbsSetAlphaRectProc SetAlphaRectArea;
extern TbsClearKeyRunProc ClearKeyAlphaRun;

void InitPixelRoutines();

// The two variants of the blend routines. Plain: colour channels
// (F*a + B*(255-a)) >> 8, alpha 255, with alpha 0 and 255 as special cases.
// MMX: all four bytes (B*256 + (F-B)*a) >> 8, no special cases.
TbsColor BlendPixelPlain(TbsColor fg, TbsColor bg);
TbsColor BlendPixelMMX(TbsColor fg, TbsColor bg);
void BlendRunPlain(const TbsColor* src, TbsColor* dst, int count);
void BlendRunMMX(const TbsColor* src, TbsColor* dst, int count);

// ---------------------------------------------------------------------------
// TbsBitmap

class TbsBitmapLink;

class TbsBitmap : public TPersistent
{
public:
    TbsBitmap();
    ~TbsBitmap() override;
    TbsBitmap(const TbsBitmap&) = delete;
    TbsBitmap& operator=(const TbsBitmap&) = delete;

    // (Re)creates the pixel block; negative sizes count as their absolute
    // values; a zero size or the current size changes nothing. New pixels are
    // 0. On failure the bitmap is left empty (size 0 x 0) and Exception is
    // raised.
    void SetSize(int aWidth, int aHeight);
    bool Empty() const { return FBits == nullptr; }
    void Clear(TbsColor color);

    // Copies pixels, name and flags of another TbsBitmap (an empty source
    // empties this bitmap).
    void Assign(const TbsBitmap& source);
    // Also takes the class library's bitmaps, other graphics and pictures.
    void Assign(const TPersistent* source) override;

    void CheckingAlphaBlend();
    void CheckingAlphaBlend(const TRect& r);   // scans the whole bitmap as well
    void CheckingTransparent(TbsColor color);
    void CheckingTransparent(const TRect& r, TbsColor color);
    void SetAlpha(BYTE alpha);
    void SetAlpha(BYTE alpha, const TRect& r);

    // Row and pixel pointers; checked in debug builds.
    TbsColor* ScanLine(int y) const;
    TbsColor* PixelPtr(int x, int y) const;
    void SetPixel(int x, int y, TbsColor value);
    // The pixel at (x, y), 0 outside the bitmap.
    TbsColor GetPixel(int x, int y) const;
    void FlipVert();

    TbsBitmapLink* GetBitmapLink(const TRect& r);
    TbsBitmapLink* GetBitmapLink(const std::string& rectText);

    // Drawing this bitmap elsewhere (the mode follows AlphaBlend and
    // Transparent: alpha, key colour or opaque).
    void Draw(HDC dc, int x, int y);
    void Draw(HDC dc, int x, int y, const TRect& srcRect);
    void Draw(HDC dc, const TRect& dstRect);
    void Draw(HDC dc, const TRect& dstRect, const TRect& srcRect);
    void Draw(TCanvas* canvas, int x, int y);
    void Draw(TCanvas* canvas, int x, int y, const TRect& srcRect);
    void Draw(TCanvas* canvas, const TRect& dstRect);
    void Draw(TCanvas* canvas, const TRect& dstRect, const TRect& srcRect);
    void Draw(TbsBitmap* dst, int x, int y);
    void Draw(TbsBitmap* dst, int x, int y, const TRect& srcRect);
    void Draw(TbsBitmap* dst, const TRect& dstRect);
    void Draw(TbsBitmap* dst, const TRect& dstRect, const TRect& srcRect);

    void Tile(HDC dc, const TRect& dstRect, const TRect& srcRect);
    void Tile(TCanvas* canvas, const TRect& dstRect, const TRect& srcRect);
    void Tile(TbsBitmap* dst, const TRect& dstRect, const TRect& srcRect);
    void TileClip(HDC dc, const TRect& dstRect, const TRect& dstClip, const TRect& srcRect);
    void TileClip(TCanvas* canvas, const TRect& dstRect, const TRect& dstClip, const TRect& srcRect);
    void TileClip(TbsBitmap* dst, const TRect& dstRect, const TRect& dstClip, const TRect& srcRect);
    // Puts `bitmap` behind this bitmap's translucent pixels.
    void MergeDraw(TbsBitmap& bitmap, int x, int y, const TRect& srcRect);
    // Renders a picture of the class library into dstRect; pixels the picture
    // leaves uncovered keep their value.
    void DrawGraphic(TGraphic* graphic, const TRect& dstRect);
    void FillRect(const TRect& r, TbsColor color);

    // Shape and text primitives that draw nothing.
    void DrawBevel(const TRect&, TbsColor, int, bool) {}
    void DrawEdge(const TRect&, TbsColor, TbsColor) {}
    void DrawEllipse(const TRect&, TbsColor) {}
    void DrawFocusRect(const TRect&, TbsColor) {}
    void DrawLine(const TRect&, TbsColor) {}
    void DrawPolygon(const std::vector<TPoint>&, TbsColor) {}
    void DrawRect(const TRect&, TbsColor) {}
    void DrawRoundRect(const TRect&, int, TbsColor) {}
    int DrawText(const std::string&, TRect&, UINT) { return 0; }
    int DrawText(const std::string&, int, int) { return 0; }
    int DrawVerticalText(const std::string&, const TRect&, UINT, bool) { return 0; }
    void FillEllipse(const TRect&, TbsColor) {}
    void FillGradientRect(const TRect&, TbsColor, TbsColor, bool) {}
    void FillHalftonePolygon(const std::vector<TPoint>&, TbsColor, TbsColor) {}
    void FillHalftoneRect(const TRect&, TbsColor, TbsColor) {}
    void FillPolygon(const std::vector<TPoint>&, TbsColor) {}
    void FillRadialGradientRect(const TRect&, TbsColor, TbsColor, TPoint) {}
    void FillRoundRect(const TRect&, int, TbsColor) {}
    void LineTo(int, int, TbsColor) {}
    void MoveTo(int, int) {}
    int TextHeight(const std::string&) { return 0; }
    int TextWidth(const std::string&, UINT) { return 0; }

    // Colour effects on every pixel whose alpha is not 0.
    void SetBitmapHue(int hue);
    void ChangeBitmapHue(int deltaHue);
    void ChangeBitmapSat(int deltaSat);
    void ChangeBitmapBrightness(int deltaBrightness);
    // Mirror images fading from 1/3, 1/4 and 1/2 of the alpha to nothing.
    void Reflection();
    void Reflection2();
    void Reflection3();

    // Stream record: name, width, height, pixels. A record whose sizes or
    // pixel bytes are missing or beyond what the stream holds raises
    // Exception and leaves the bitmap as it was.
    void SaveToStream(TStream& stream);
    void LoadFromStream(TStream& stream);
    // A picture compiled into the program by name ("BS_HTB" ...). The file
    // name is accepted for form's sake; an unknown name changes nothing.
    void LoadFromResource(const std::string& resFileName, const std::string& resName);
    // A PCX picture; a wrong maker mark changes nothing.
    void LoadFromPcxStream(TStream& stream);

    HBITMAP GetHandle() const { return FHandle; }
    HDC GetDC() const { return FDC; }
    TbsColor* GetBits() const { return FBits; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TbsColor* Bits() const { return FBits; }
    TCanvas* GetCanvas();
    bool GetAlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool v) { FAlphaBlend = v; }
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& v) { FName = v; }
    bool GetNewFormat() const { return FNewFormat; }
    void SetNewFormat(bool v) { FNewFormat = v; }

protected:
    // Fills a TBitmap or a TPicture's bitmap with this picture.
    void AssignTo(TPersistent* dest) const override;

private:
    void FreeStorage();
    void OnDCChanged();   // rebinds an existing canvas to the new device context

    TbsColor* FBits = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    std::string FName;
    HBITMAP FHandle = nullptr;
    HDC FDC = nullptr;
    TCanvas* FCanvas = nullptr;
    bool FAlphaBlend = false;
    bool FTransparent = false;
    bool FNewFormat = false;
};

// Registry of bitmaps that own a device context.
void RegisterBitmap(TbsBitmap* bitmap);
void UnregisterBitmap(TbsBitmap* bitmap);
TbsBitmap* FindBitmapByDC(HDC dc);
void FreeBitmapRegistry();

// ---------------------------------------------------------------------------
// Draw engine. Rectangles are half-open. Clip is cut by the destination and
// DstRect; a SrcRect outside the source draws nothing; a size change maps
// nearest pixels (truncating for bitmaps, rounding for DIB blocks).

void DrawToBitmapOpaque(TbsBitmap* dst, const TRect& dstRect, const TRect& clip, TbsBitmap* src,
                        const TRect& srcRect);
void DrawToBitmapAlpha(TbsBitmap* dst, const TRect& dstRect, const TRect& clip, TbsBitmap* src,
                       const TRect& srcRect);
void DrawToBitmapTransparent(TbsBitmap* dst, const TRect& dstRect, const TRect& clip,
                             TbsBitmap* src, const TRect& srcRect);
// `bits` is the first pixel of a bottom-up block: row y (from the top)
// starts at (blockHeight - 1 - y) * blockWidth.
void DrawToDIBOpaque(TbsColor* bits, const TRect& dstRect, const TRect& clip, int blockWidth,
                     int blockHeight, TbsBitmap* src, const TRect& srcRect);
void DrawToDIBAlpha(TbsColor* bits, const TRect& dstRect, const TRect& clip, int blockWidth,
                    int blockHeight, TbsBitmap* src, const TRect& srcRect);
void DrawToDIBTransparent(TbsColor* bits, const TRect& dstRect, const TRect& clip,
                          int blockWidth, int blockHeight, TbsBitmap* src, const TRect& srcRect);
void DrawToDCOpaque(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st, int sw,
                    int sh);
void DrawToDCAlpha(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st, int sw,
                   int sh);
void DrawToDCTransparent(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st,
                         int sw, int sh);
void DrawToDCTransparentBlt(HDC dc, int x, int y, int w, int h, TbsBitmap* src, int sl, int st,
                            int sw, int sh);
using TbsDrawToDCProc = void (*)(HDC, int, int, int, int, TbsBitmap*, int, int, int, int);
// The routine for key-coloured drawing to a device context, chosen at start-up.
extern TbsDrawToDCProc DrawToDCTransparentRoutine;
void InitDrawRoutines();
// The 32-bit pixel block of the DIB section selected into `dc`, or nullptr;
// height is negative for top-down sections.
TbsColor* GetDCBitmapBits(HDC dc, int& width, int& height, int& bitsPerPixel);
int ScreenColorDepth();

// The nearest-pixel maps the scaled draws use (exposed for their tests):
// source columns of the destination columns clip.Left .. clip.Right - 1.
std::vector<int> BuildStretchMap(int dstStart, int dstLen, int clipStart, int clipLen, int srcStart,
                                 int srcLen, bool rounding);

// ---------------------------------------------------------------------------
// TbsBitmapLink: a named rectangle of a bitmap it does not own.

class TbsBitmapLink : public TPersistent
{
public:
    TbsBitmapLink() = default;
    void Assign(const TbsBitmapLink& source);
    void Assign(const TPersistent* source) override;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void CheckingMasked();
    void CheckingMasked(const TRect& margin);
    void Draw(TCanvas* canvas, int x, int y);
    void Draw(TbsBitmap* bitmap, int x, int y);

    TbsBitmap* GetImage() const { return FImage; }
    void SetImage(TbsBitmap* v) { FImage = v; }
    const TRect& GetRect() const { return FRect; }
    void SetRect(const TRect& r) { FRect = r; }
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& v) { FName = v; }
    int GetLeft() const { return FRect.Left; }
    int GetTop() const { return FRect.Top; }
    int GetRight() const { return FRect.Right; }
    int GetBottom() const { return FRect.Bottom; }
    void SetLeft(int v) { FRect.Left = v; }
    void SetTop(int v) { FRect.Top = v; }
    void SetRight(int v) { FRect.Right = v; }
    void SetBottom(int v) { FRect.Bottom = v; }
    bool GetMasked() const { return FMasked; }
    void SetMasked(bool v) { FMasked = v; }
    bool GetMaskedBorder() const { return FMaskedBorder; }
    void SetMaskedBorder(bool v) { FMaskedBorder = v; }
    bool GetMaskedAngles() const { return FMaskedAngles; }
    void SetMaskedAngles(bool v) { FMaskedAngles = v; }
    bool Assigned() const;

private:
    bool IsMaskedPixel(int x, int y) const;

    TbsBitmap* FImage = nullptr;
    TRect FRect;
    std::string FName;
    bool FMaskedBorder = false;
    bool FMaskedAngles = false;
    bool FMasked = false;
};

// ---------------------------------------------------------------------------
// Colour routines (results opaque) and bitmap effects

TbsColor MakeBsColor(int r, int g, int b, BYTE alpha);
void BsColorToHSL(TbsColor c, float& hue, float& sat, float& light);
TbsColor HSLToBsColor(float hue, float sat, float light);
int HueToColorComponent(float hue, float m1, float m2);
TbsColor SetColorHue(TbsColor c, int hue);
TbsColor ChangeColorHue(TbsColor c, int delta);
TbsColor ChangeColorSat(TbsColor c, int delta);
TbsColor ChangeColorBrightness(TbsColor c, int delta);

// Stack blur of blue, green and red over 2 * radius + 1 pixels; every pixel
// becomes opaque. Radius <= 0 changes nothing.
void BlurBitmap(TbsBitmap* bitmap, int radius);
// Alpha of each pixel := grey level of the mask's pixel; the mask is at least
// as large as the bitmap (pixels beyond a smaller mask are left alone).
void SetAlphaFromMask(TbsBitmap* bitmap, TbsBitmap* mask);

// ---------------------------------------------------------------------------
// TbsEffectBmp: 24-bit top-down work bitmap (3 bytes per pixel: blue, green,
// red; rows padded to 4 bytes).

class TbsEffectBmp : public TObject
{
public:
    TbsEffectBmp(int cx, int cy);
    // A 24-bit copy of the bitmap behind `hBmp`.
    static TbsEffectBmp* CreateFromhWnd(HBITMAP hBmp);
    static TbsEffectBmp* CreateCopy(const TbsEffectBmp* src);
    // A 24-bit copy of a TbsBitmap's colour bytes.
    static TbsEffectBmp* CreateFromBitmap(const TbsBitmap* src);
    ~TbsEffectBmp() override;
    TbsEffectBmp(const TbsEffectBmp&) = delete;
    TbsEffectBmp& operator=(const TbsEffectBmp&) = delete;

    static int RowStride(int width) { return 3 * width + width % 4; }

    std::uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t value);
    BYTE* ScanLinePtr(int y) const;
    void GetScanLine(int y, BYTE* line) const;
    void SetScanLine(int y, const BYTE* line);

    void Draw(HDC dc, int x, int y);
    void Stretch(HDC dc, int x, int y, int cx, int cy);
    void DrawRect(HDC dc, int hx, int hy, int x, int y, int cx, int cy);

    void Resize(TbsEffectBmp* dst);
    void CopyRect(TbsEffectBmp* bmp, const TRect& rct, int startX, int startY);

    // Transitions towards `bmp` by kf (0 = this picture, 1 = bmp).
    void Morph(TbsEffectBmp* bmp, double kf);
    void MorphRect(TbsEffectBmp* bmp, double kf, const TRect& rct, int startX, int startY);
    void MorphHGrad(TbsEffectBmp* bmp, double kf);
    void MorphVGrad(TbsEffectBmp* bmp, double kf);
    void MorphGrad(TbsEffectBmp* bmp, double kf);
    void MorphLeftGrad(TbsEffectBmp* bmp, double kf);
    void MorphRightGrad(TbsEffectBmp* bmp, double kf);
    void MorphPush(TbsEffectBmp* bmp, double kf);
    void MorphLeftSlide(TbsEffectBmp* bmp, double kf);
    void MorphRightSlide(TbsEffectBmp* bmp, double kf);

    // Image effects.
    void ChangeBrightness(double kf);
    void ChangeDarkness(double kf);
    void Invert();
    void GrayScale();
    void SplitBlur(int amount);
    void Mosaic(int aSize);
    void AddMonoNoise(int amount);
    void AddColorNoise(int amount);
    void Rotate90_1(TbsEffectBmp* dst);
    void Rotate90_2(TbsEffectBmp* dst);
    void FlipVert(TbsEffectBmp* dst);
    void Wave(int xDiv, int yDiv, int ratioVal);
    void MaskBlur(TbsEffectBmp* msk, int amount);
    void MaskAntialiasing(TbsEffectBmp* msk, int amount);
    void MaskFillColor(TbsEffectBmp* msk, COLORREF c, double kf);

    HBITMAP Handle = nullptr;
    int Width = 0;
    int Height = 0;
    int Size = 0;
    BYTE* Bits = nullptr;

private:
    TbsEffectBmp() = default;
    void Allocate(int cx, int cy);
    bool SameSize(const TbsEffectBmp* bmp) const;
    template <class Op>
    void SampledBlur(TbsEffectBmp* msk, int amount, Op op);

};

// ---------------------------------------------------------------------------
// Text effects on a device context: its selected font, its text colour for
// the text itself, `color` (0x00BBGGRR) for the glow. `size` is the halo's
// blur radius and margin, `offset` a shift of the halo or the gap below the
// text, `format` the text-drawing flags.

void DrawEffectText(HDC dc, const TRect& r, const std::string& text, int size, COLORREF color,
                    int offset, UINT format);
int DrawEffectText2(HDC dc, const TRect& r, const std::string& text, int size, COLORREF color,
                    int offset, UINT format);
int DrawEffectText3(HDC dc, const TRect& r, const std::string& text, COLORREF color, UINT format);
void DrawEffectText4(HDC dc, const TRect& r, const std::string& text, COLORREF color, int offset,
                     UINT format);

// ---------------------------------------------------------------------------
// Layered windows

// Constant opacity of a window that already has the layered style.
void SetLayeredAlpha(HWND wnd, BYTE alpha);
// Shows `bitmap` (straight alpha) as the picture of the layered window `wnd`
// at the window's position, with the constant opacity `alpha`.
void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, HWND wnd);
// The same at the given screen position.
void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, HWND wnd, TPoint pos);
// The same for a control's window, at the control's Left and Top.
class TWinControl;
void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, TWinControl* control);
// target := image as 32 bits with alpha = grey level of mask.
void MakeAlphaBitmap(TbsBitmap* image, TbsBitmap* mask, TbsBitmap* target);

class TTimer;

// An opacity fade run by a timer of the GUI thread: from 0 up to a target,
// the first step at once and one more each interval, so the thread serves
// its messages while a window fades in. `apply` takes each new opacity,
// `done` runs once the target is reached. Stopping (or freeing) ends it.
class TbsAlphaFade
{
public:
    TbsAlphaFade();
    ~TbsAlphaFade();
    TbsAlphaFade(const TbsAlphaFade&) = delete;
    TbsAlphaFade& operator=(const TbsAlphaFade&) = delete;
    void Start(int Target, int Step, unsigned Interval, std::function<void(int)> Apply,
               std::function<void()> Done = nullptr);
    void Stop();
    bool Running() const;
    int Alpha() const { return FAlpha; }
    // Steps taken by the last fade.
    int Steps() const { return FSteps; }

private:
    void Tick();
    std::unique_ptr<TTimer> FTimer;
    std::function<void(int)> FApply;
    std::function<void()> FDone;
    int FAlpha = 0, FTarget = 0, FStep = 1, FSteps = 0;
};

// ---------------------------------------------------------------------------
// Layered overlays: a picture with per-pixel alpha floating over the screen
// in a click-through popup window that never activates, fading in over
// eleven ticks of 25 ms to the opacity asked for.

// The overlay's window: a popup tool window that mouse input passes through
// and a click never activates.
class TbsLayerWindow : public TCustomControl
{
public:
    explicit TbsLayerWindow(TComponent* owner);

protected:
    void CreateParams(TCreateParams& p) override;
    void Dispatch(TMessage& m) override;
};

class TbsLayerManager : public TComponent
{
public:
    explicit TbsLayerManager(TComponent* owner);
    ~TbsLayerManager() override;

    // Shows image at (x, y) (screen coordinates) with alpha from the mask's
    // grey level, fading from opacity 0 to alphaBlendValue.
    void Show(int x, int y, TbsBitmap* image, TbsBitmap* imageMask, int alphaBlendValue);
    void Hide();
    void StartTimer();
    void StopTimer();
    // One step of the fade (the timer's handler).
    void FadeStep();

    TbsLayerWindow* LayerWindow = nullptr;   // owned; none while hidden
    TbsBitmap* Bmp = nullptr;                // owned; none while hidden
    TTimer* Timer = nullptr;                 // owned; 25 ms, off at rest
    int EndAlphaBlendValue = 0;
    int BeginAlphaBlendValue = 0;
    int StepAlphaBlendValue = 0;
    bool IsVisible = false;
    bool TopMostMode = true;
};

// ---------------------------------------------------------------------------
// Pictures compiled into the program, found by resource name ("BS_HTB" ...;
// case does not matter). Pixels 0xAARRGGBB, rows top first, alpha 255.

struct TbsResourcePicture
{
    std::string Name;
    int Width = 0, Height = 0;
    std::vector<TbsColor> Pixels;
};
const TbsResourcePicture* FindResourcePicture(const std::string& name);

// Canvas forms of the text effects (the canvas's font and font colour).
void DrawEffectText(TCanvas* canvas, const TRect& r, const std::string& text, int size,
                    COLORREF color, int offset, UINT format);
int DrawEffectText2(TCanvas* canvas, const TRect& r, const std::string& text, int size,
                    COLORREF color, int offset, UINT format);
int DrawEffectText3(TCanvas* canvas, const TRect& r, const std::string& text, COLORREF color,
                    UINT format);
void DrawEffectText4(TCanvas* canvas, const TRect& r, const std::string& text, COLORREF color,
                     int offset, UINT format);
