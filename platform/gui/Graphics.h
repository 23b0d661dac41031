// Graphics classes of the class library: colours, fonts, pens, brushes, the
// canvas that draws through a device context, and the graphic classes
// (bitmaps, PNG, JPEG and GIF pictures, icons) with the picture container.
//
// Colours (TColor) hold red in the low byte, like COLORREF; values with the
// top byte 0xFF name a system colour (clBtnFace …), resolved by ColorToRGB.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/gui/Classes.h"
#include "platform/os/Gdi.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

class TStream;

// ---- colours ------------------------------------------------------------------
using TColor = std::int32_t;

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up, clNone gives
// white and clDefault black (callers handle both before when it matters).
COLORREF ColorToRGB(TColor c);

// ---- small sets ------------------------------------------------------------------
// A set of enumeration values (at most 32), as the class library's set types.
template <class E>
class TEnumSet
{
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> l) { for (E e : l) bits_ |= bit(e); }
    constexpr bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr TEnumSet& Include(E e) { bits_ |= bit(e); return *this; }
    constexpr TEnumSet& Exclude(E e) { bits_ &= ~bit(e); return *this; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    static constexpr TEnumSet FromBits(std::uint32_t b) { TEnumSet s; s.bits_ = b; return s; }
    constexpr TEnumSet operator+(TEnumSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TEnumSet operator-(TEnumSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TEnumSet operator*(TEnumSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TEnumSet& operator<<(E e) { return Include(e); }
    constexpr TEnumSet& operator>>(E e) { return Exclude(e); }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }

private:
    static constexpr std::uint32_t bit(E e) { return std::uint32_t(1) << unsigned(e); }
    std::uint32_t bits_ = 0;
};

// ---- fonts, pens, brushes -----------------------------------------------------------
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TEnumSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = BYTE;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Base of fonts, pens and brushes: a change notification.
class TGraphicsObject : public TPersistent
{
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

// A font. The handle is made on first use and dropped on every change.
class TFont : public TGraphicsObject
{
public:
    TFont();
    ~TFont() override;
    void Assign(const TPersistent* source) override;

    HFONT GetHandle();
    void SetHandle(HFONT h);   // takes the font's attributes (the handle stays the caller's)
    std::string GetName() const { return name_; }
    void SetName(const std::string& v);
    int GetHeight() const { return height_; }
    void SetHeight(int v);
    int GetSize() const;
    void SetSize(int v);
    TFontStyles GetStyle() const { return style_; }
    void SetStyle(TFontStyles v);
    TColor GetColor() const { return color_; }
    void SetColor(TColor v);
    TFontCharset GetCharset() const { return charset_; }
    void SetCharset(TFontCharset v);
    TFontPitch GetPitch() const { return pitch_; }
    void SetPitch(TFontPitch v);
    int GetPixelsPerInch() const { return ppi_; }
    void SetPixelsPerInch(int v) { ppi_ = v; }
    // The request the handle is made from.
    LOGFONT GetLogFont() const;
    bool SameAs(const TFont& o) const;

private:
    void freeHandle();
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_;
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    int ppi_ = 96;
    HFONT handle_ = nullptr;
};

class TPen : public TGraphicsObject
{
public:
    TPen() = default;
    ~TPen() override;
    void Assign(const TPersistent* source) override;
    HPEN GetHandle();
    TColor GetColor() const { return color_; }
    void SetColor(TColor v);
    int GetWidth() const { return width_; }
    void SetWidth(int v);
    TPenStyle GetStyle() const { return style_; }
    void SetStyle(TPenStyle v);
    TPenMode GetMode() const { return mode_; }
    void SetMode(TPenMode v);

private:
    void freeHandle();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    HPEN handle_ = nullptr;
};

class TBrush : public TGraphicsObject
{
public:
    TBrush() = default;
    ~TBrush() override;
    void Assign(const TPersistent* source) override;
    HBRUSH GetHandle();
    TColor GetColor() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle GetStyle() const { return style_; }
    void SetStyle(TBrushStyle v);

private:
    void freeHandle();
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    HBRUSH handle_ = nullptr;
};

// ---- canvas ---------------------------------------------------------------------------
class TGraphic;

enum TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = TEnumSet<TCanvasState>;

enum TTextFormats {
    tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
    tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
    tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak
};
using TTextFormat = TEnumSet<TTextFormats>;

// Draws through a device context with its pen, brush and font. The handle
// comes from CreateHandle (overridden by bitmap and control canvases) or is
// set from outside (a DC in a paint handler). Lock/Unlock guard drawing from
// several threads (a bitmap painted on a worker thread and shown by the GUI).
class TCanvas : public TPersistent
{
public:
    TCanvas();
    ~TCanvas() override;

    HDC GetHandle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return handle_ != nullptr; }
    TFont* Font() { return font_.get(); }
    TPen* Pen() { return pen_.get(); }
    TBrush* Brush() { return brush_.get(); }
    void SetFont(TFont* f) { font_->Assign(f); }
    void SetPen(TPen* p) { pen_->Assign(p); }
    void SetBrush(TBrush* b) { brush_->Assign(b); }
    DWORD CopyMode = SRCCOPY;
    TPoint GetPenPos();
    void SetPenPos(TPoint p);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& pts);
    void Polygon(const std::vector<TPoint>& pts);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to r; the brush fills r first unless clear.
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    // Formatted text in r (DrawText flags from the format set); r may change
    // with tfCalcRect.
    void TextRect(TRect& r, std::string& text, TTextFormat format);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TSize TextExtent(const std::string& text);
    void Draw(int x, int y, TGraphic* g);
    void Draw(int x, int y, TGraphic* g, BYTE opacity);
    void StretchDraw(const TRect& r, TGraphic* g);
    void CopyRect(const TRect& dest, TCanvas* src, const TRect& source);
    void BrushCopy(const TRect& dest, class TBitmap* bmp, const TRect& source, TColor transparent);
    TColor GetPixel(int x, int y);
    void SetPixel(int x, int y, TColor c);
    // The clip box in logical coordinates.
    TRect GetClipRect();

    void Lock();
    bool TryLock();
    void Unlock();
    int LockCount() const { return lockCount_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    // Makes sure the DC exists and the selected objects are current.
    void RequiredState(TCanvasStates req);
    void Refresh();

protected:
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();
    // Drops the DC handle without freeing it (the owner frees it).
    void DeselectHandles();

private:
    void fontChanged(TObject*);
    void penChanged(TObject*);
    void brushChanged(TObject*);
    HDC handle_ = nullptr;
    TCanvasStates state_;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
    std::recursive_mutex lock_;
    int lockCount_ = 0;
};

// ---- graphics -----------------------------------------------------------------------
class EInvalidOperation : public Exception { public: using Exception::Exception; };
class EInvalidGraphic : public Exception { public: using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { public: using Exception::Exception; };

// A picture of some format that can draw itself on a canvas and be read
// from and written to streams and files.
class TGraphic : public TPersistent
{
public:
    ~TGraphic() override = default;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int w) { SetSize(w, GetHeight()); }
    virtual void SetHeight(int h) { SetSize(GetWidth(), h); }
    virtual void SetSize(int w, int h) = 0;
    virtual bool Empty() const { return GetWidth() <= 0 || GetHeight() <= 0; }
    virtual bool GetTransparent() const { return transparent_; }
    virtual void SetTransparent(bool v);
    bool GetModified() const { return modified_; }
    void SetModified(bool v);

    virtual void LoadFromStream(TStream* s) = 0;
    virtual void SaveToStream(TStream* s) = 0;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    // Draws the picture scaled into r.
    virtual void Draw(TCanvas* c, const TRect& r) = 0;
    virtual void DrawTransparent(TCanvas* c, const TRect& r, BYTE opacity);

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    bool transparent_ = false;
    bool modified_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

class TBitmap;

// Canvas of a bitmap: a memory DC with the bitmap selected.
class TBitmapCanvas : public TCanvas
{
public:
    explicit TBitmapCanvas(TBitmap* b) : bitmap_(b) {}
    ~TBitmapCanvas() override;
    void FreeContext();

protected:
    void CreateHandle() override;

private:
    TBitmap* bitmap_;
    HDC dc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

// A bitmap held as a DIB section of 24 or 32 bits (pfDevice is 32 bits;
// other formats are kept as 24 bits). Rows are top-down in memory:
// ScanLine(y + 1) follows ScanLine(y) by the row stride.
class TBitmap : public TGraphic
{
public:
    TBitmap();
    TBitmap(int w, int h, TPixelFormat pf = pfDevice);
    ~TBitmap() override;
    void Assign(const TPersistent* source) override;

    int GetWidth() const override { return w_; }
    int GetHeight() const override { return h_; }
    void SetSize(int w, int h) override;
    TPixelFormat GetPixelFormat() const { return pf_; }
    void SetPixelFormat(TPixelFormat pf);
    TBitmapHandleType GetHandleType() const { return pf_ == pfDevice ? bmDDB : bmDIB; }
    void SetHandleType(TBitmapHandleType) {}
    TAlphaFormat AlphaFormat = afIgnored;

    // Row y (no bounds check; callers keep 0 <= y < Height). 3 or 4 bytes a pixel.
    void* ScanLine(int y);
    int RowBytes() const { return stride_; }
    int BitsPerPixel() const { return pf_ == pf24bit ? 24 : 32; }

    TCanvas* Canvas();
    HBITMAP GetHandle();
    // Adopts a bitmap handle (the TBitmap then owns it); its pixels are copied.
    void SetHandle(HBITMAP h);
    // Gives up ownership of the handle (a copy stays with the TBitmap).
    HBITMAP ReleaseHandle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void Dormant() {}
    void FreeImage() {}

    // Colour that is left out when drawn transparently. tmAuto: the bottom-left
    // pixel (clDefault while the bitmap is empty); tmFixed: the colour set.
    TColor GetTransparentColor();
    void SetTransparentColor(TColor c);
    TTransparentMode GetTransparentMode() const { return tmode_; }
    void SetTransparentMode(TTransparentMode m);
    bool GetMonochrome() const { return false; }
    void SetMonochrome(bool) {}

    // Reads BMP files (1, 4, 8, 24 and 32 bits); writes 24- or 32-bit BMP.
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
    void Draw(TCanvas* c, const TRect& r) override;

    // Pixel access in 0xAARRGGBB (24-bit bitmaps read alpha 255).
    TPixel GetPixel32(int x, int y) const;
    void SetPixel32(int x, int y, TPixel p);
    // The picture as a 32-bit surface copy and back (size and format kept).
    TSurface ToSurface() const;
    void FromSurface(const TSurface& s, TPixelFormat pf = pf32bit);

private:
    friend class TBitmapCanvas;
    void recreate(int w, int h, TPixelFormat pf, bool keep);
    void freeHandle();
    int w_ = 0, h_ = 0;
    TPixelFormat pf_ = pfDevice;
    HBITMAP handle_ = nullptr;
    unsigned char* bits_ = nullptr;
    int stride_ = 0;
    TColor tcolor_ = clDefault;
    TTransparentMode tmode_ = tmAuto;
    std::unique_ptr<TBitmapCanvas> canvas_;
};

// Pictures in other formats keep their pixels in a 32-bit bitmap with alpha.
class TRasterImage : public TGraphic
{
public:
    TRasterImage();
    ~TRasterImage() override;
    void Assign(const TPersistent* source) override;
    int GetWidth() const override;
    int GetHeight() const override;
    void SetSize(int w, int h) override;
    void Draw(TCanvas* c, const TRect& r) override;
    // The pixels (32 bits, straight alpha).
    TBitmap* Bitmap() { return bmp_.get(); }

protected:
    void AssignTo(TPersistent* dest) const override;
    // Whether any pixel is not opaque (drawn blended then).
    bool hasAlpha() const;
    std::unique_ptr<TBitmap> bmp_;
};

class TPngImage : public TRasterImage
{
public:
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
};

class TJPEGImage : public TRasterImage
{
public:
    int CompressionQuality = 90;
    bool Grayscale = false;
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
    void Draw(TCanvas* c, const TRect& r) override;
};

class TGIFImage : public TRasterImage
{
public:
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
};

// Icons: read from .ico files (BMP or PNG entries; the largest is kept) and
// written as one 32-bit entry; drawn with their alpha.
class TIcon : public TRasterImage
{
public:
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
};

// Formats the picture registry lists but this system cannot decode (TIFF
// through the imaging component, Windows metafiles): reading or writing one
// raises EInvalidGraphic naming the format.
class TWICImage : public TRasterImage
{
public:
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
};

class TMetafile : public TRasterImage
{
public:
    void LoadFromStream(TStream* s) override;
    void SaveToStream(TStream* s) override;
};

// Holds one graphic of any registered format.
class TPicture : public TPersistent
{
public:
    TPicture();
    ~TPicture() override;
    void Assign(const TPersistent* source) override;

    TGraphic* GetGraphic() const { return graphic_.get(); }
    // Takes a copy of g (null clears).
    void SetGraphic(TGraphic* g);
    // The graphic as a bitmap: replaces any other graphic by an empty bitmap.
    TBitmap* Bitmap();
    TPngImage* Png();
    TIcon* Icon();
    int GetWidth() const { return graphic_ ? graphic_->GetWidth() : 0; }
    int GetHeight() const { return graphic_ ? graphic_->GetHeight() : 0; }

    // Chooses the class by the extension (case-insensitive): bmp, png, jpg,
    // jpeg, gif, ico, tif, tiff, emf, wmf. Any other extension raises
    // EInvalidGraphic "Unknown picture file extension (.ext)". A failed load
    // leaves the picture as it was.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    // A new empty graphic for an extension ("png", ".PNG" …); null when unknown.
    static std::unique_ptr<TGraphic> CreateGraphicForExtension(const std::string& ext);
    static bool SupportsExtension(const std::string& ext);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void changed(TObject*);
    void take(std::unique_ptr<TGraphic> g);
    std::unique_ptr<TGraphic> graphic_;
};
