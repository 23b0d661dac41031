// The graphic objects: fonts, pens, brushes, the canvas, graphics, bitmaps,
// raster images and pictures.
#include "platform/gui/Graphics.h"

#include <algorithm>
#include <cstring>

#include "platform/core/Utf8.h"
#include "platform/gui/Graphics/Codecs.h"

COLORREF ColorToRGB(TColor c)
{
    if (c == clNone) return RGB(255, 255, 255);
    if (c == clDefault) return RGB(0, 0, 0);
    if ((std::uint32_t(c) & 0xFF000000u) == 0xFF000000u) return GetSysColor(int(c & 0xFF));
    return COLORREF(c) & 0x00FFFFFFu;
}

// ---- fonts, pens, brushes ------------------------------------------------------

void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

TFont::TFont() = default;
TFont::~TFont() { freeHandle(); }

void TFont::freeHandle()
{
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
}

void TFont::Assign(const TPersistent* source)
{
    if (auto* f = dynamic_cast<const TFont*>(source))
    {
        if (f == this) return;
        name_ = f->name_;
        height_ = f->height_;
        style_ = f->style_;
        color_ = f->color_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        freeHandle();
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

LOGFONT TFont::GetLogFont() const
{
    LOGFONT lf;
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfPitchAndFamily = BYTE(pitch_);
    SetFaceName(lf, name_);
    return lf;
}

HFONT TFont::GetHandle()
{
    if (!handle_) handle_ = CreateFontIndirect(GetLogFont());
    return handle_;
}

void TFont::SetHandle(HFONT h)
{
    LOGFONT lf;
    if (!h || GetObject(h, sizeof(lf), &lf) == 0) return;
    name_ = lf.lfFaceName;
    height_ = lf.lfHeight;
    TFontStyles st;
    if (lf.lfWeight >= FW_BOLD) st.Include(fsBold);
    if (lf.lfItalic) st.Include(fsItalic);
    if (lf.lfUnderline) st.Include(fsUnderline);
    if (lf.lfStrikeOut) st.Include(fsStrikeOut);
    style_ = st;
    charset_ = lf.lfCharSet;
    freeHandle();
    Changed();
}

#define FONT_SETTER(fn, field)       \
    void TFont::fn(decltype(field) v) \
    {                                \
        if (field == v) return;      \
        field = v;                   \
        freeHandle();                \
        Changed();                   \
    }
void TFont::SetName(const std::string& v)
{
    if (name_ == v || v.empty()) return;
    name_ = v;
    freeHandle();
    Changed();
}
FONT_SETTER(SetHeight, height_)
FONT_SETTER(SetStyle, style_)
FONT_SETTER(SetCharset, charset_)
FONT_SETTER(SetPitch, pitch_)
#undef FONT_SETTER

void TFont::SetColor(TColor v)
{
    if (color_ == v) return;
    color_ = v;
    Changed();
}

int TFont::GetSize() const
{
    // Points from the character height, rounded.
    return -(height_ * 72 - (height_ < 0 ? ppi_ / 2 : -ppi_ / 2)) / ppi_;
}

void TFont::SetSize(int v)
{
    SetHeight(-(v * ppi_ + 36) / 72);
}

bool TFont::SameAs(const TFont& o) const
{
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}

TPen::~TPen() { freeHandle(); }
void TPen::freeHandle()
{
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
}
void TPen::Assign(const TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPen*>(source))
    {
        if (p == this) return;
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        mode_ = p->mode_;
        freeHandle();
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}
HPEN TPen::GetHandle()
{
    if (!handle_)
    {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_ = CreatePen(styles[style_], width_, ColorToRGB(color_));
    }
    return handle_;
}
void TPen::SetColor(TColor v) { if (color_ != v) { color_ = v; freeHandle(); Changed(); } }
void TPen::SetWidth(int v) { if (v >= 0 && width_ != v) { width_ = v; freeHandle(); Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (style_ != v) { style_ = v; freeHandle(); Changed(); } }
void TPen::SetMode(TPenMode v) { if (mode_ != v) { mode_ = v; Changed(); } }

TBrush::~TBrush() { freeHandle(); }
void TBrush::freeHandle()
{
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
}
void TBrush::Assign(const TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBrush*>(source))
    {
        if (b == this) return;
        color_ = b->color_;
        style_ = b->style_;
        freeHandle();
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}
HBRUSH TBrush::GetHandle()
{
    if (!handle_)
    {
        LOGBRUSH lb;
        lb.lbStyle = style_ == bsClear ? BS_NULL : BS_SOLID;
        lb.lbColor = ColorToRGB(color_);
        handle_ = CreateBrushIndirect(lb);
    }
    return handle_;
}
void TBrush::SetColor(TColor v)
{
    if (color_ == v && style_ != bsClear) return;
    color_ = v;
    if (style_ == bsClear) style_ = bsSolid;
    freeHandle();
    Changed();
}
void TBrush::SetStyle(TBrushStyle v) { if (style_ != v) { style_ = v; freeHandle(); Changed(); } }

// ---- canvas ------------------------------------------------------------------------

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>())
{
    font_->OnChange = [this](TObject* s) { fontChanged(s); };
    pen_->OnChange = [this](TObject* s) { penChanged(s); };
    brush_->OnChange = [this](TObject* s) { brushChanged(s); };
}

TCanvas::~TCanvas()
{
    DeselectHandles();
}

void TCanvas::fontChanged(TObject*) { state_.Exclude(csFontValid); }
void TCanvas::penChanged(TObject*) { state_.Exclude(csPenValid); }
void TCanvas::brushChanged(TObject*) { state_.Exclude(csBrushValid); }

HDC TCanvas::GetHandle()
{
    RequiredState({csHandleValid});
    return handle_;
}

void TCanvas::DeselectHandles()
{
    if (handle_)
    {
        if (oldFont_) SelectObject(handle_, oldFont_);
        if (oldPen_) SelectObject(handle_, oldPen_);
        if (oldBrush_) SelectObject(handle_, oldBrush_);
    }
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
    state_ = TCanvasStates();
}

void TCanvas::SetHandle(HDC dc)
{
    if (handle_ == dc) return;
    DeselectHandles();
    handle_ = dc;
    if (dc) state_.Include(csHandleValid);
}

void TCanvas::Refresh()
{
    HDC dc = handle_;
    DeselectHandles();
    if (dc) state_.Include(csHandleValid);
}

void TCanvas::RequiredState(TCanvasStates req)
{
    TCanvasStates need = req - state_;
    if (need.Empty()) return;
    if (need.Contains(csHandleValid) || !handle_)
    {
        CreateHandle();
        if (!handle_) throw EInvalidGraphicOperation("Canvas does not allow drawing");
        state_.Include(csHandleValid);
    }
    if (need.Contains(csFontValid))
    {
        HGDIOBJ old = SelectObject(handle_, font_->GetHandle());
        if (!oldFont_) oldFont_ = old;
        SetTextColor(handle_, ColorToRGB(font_->GetColor()));
        state_.Include(csFontValid);
    }
    if (need.Contains(csPenValid))
    {
        HGDIOBJ old = SelectObject(handle_, pen_->GetHandle());
        if (!oldPen_) oldPen_ = old;
        static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                                   R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                                   R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN,
                                   R2_NOTXORPEN};
        SetROP2(handle_, rops[pen_->GetMode()]);
        state_.Include(csPenValid);
    }
    if (need.Contains(csBrushValid))
    {
        HGDIOBJ old = SelectObject(handle_, brush_->GetHandle());
        if (!oldBrush_) oldBrush_ = old;
        SetBkColor(handle_, ColorToRGB(brush_->GetColor()));
        SetBkMode(handle_, brush_->GetStyle() == bsClear ? TRANSPARENT : OPAQUE);
        state_.Include(csBrushValid);
    }
}

void TCanvas::Changing()
{
    if (OnChanging) OnChanging(this);
}
void TCanvas::Changed()
{
    if (OnChange) OnChange(this);
}

TPoint TCanvas::GetPenPos()
{
    RequiredState({csHandleValid});
    TPoint p;
    GetCurrentPositionEx(handle_, &p);
    return p;
}
void TCanvas::SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

void TCanvas::MoveTo(int x, int y)
{
    RequiredState({csHandleValid});
    MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(handle_, x, y);
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& pts)
{
    if (pts.empty()) return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polyline(handle_, pts.data(), int(pts.size()));
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& pts)
{
    if (pts.empty()) return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polygon(handle_, pts.data(), int(pts.size()));
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(handle_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    // An ellipse as a polygon through its outline.
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    const double cx = (x1 + x2 - 1) / 2.0, cy = (y1 + y2 - 1) / 2.0;
    const double rx = (x2 - x1 - 1) / 2.0, ry = (y2 - y1 - 1) / 2.0;
    std::vector<TPoint> pts;
    const int n = std::max(16, int((rx + ry) * 2));
    for (int i = 0; i < n; ++i)
    {
        const double a = 2 * 3.14159265358979323846 * i / n;
        pts.emplace_back(int(cx + rx * __builtin_cos(a) + 0.5), int(cy + ry * __builtin_sin(a) + 0.5));
    }
    ::Polygon(handle_, pts.data(), int(pts.size()));
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    const int rx = std::min(w / 2, (x2 - x1) / 2), ry = std::min(h / 2, (y2 - y1) / 2);
    if (rx <= 0 || ry <= 0)
    {
        ::Rectangle(handle_, x1, y1, x2, y2);
        Changed();
        return;
    }
    std::vector<TPoint> pts;
    auto arc = [&](double cx, double cy, double a0)
    {
        for (int i = 0; i <= 8; ++i)
        {
            const double a = a0 + 3.14159265358979323846 / 2 * i / 8;
            pts.emplace_back(int(cx + rx * __builtin_cos(a) + 0.5), int(cy - ry * __builtin_sin(a) + 0.5));
        }
    };
    arc(x2 - 1 - rx, y1 + ry, 0);
    arc(x1 + rx, y1 + ry, 3.14159265358979323846 / 2);
    arc(x1 + rx, y2 - 1 - ry, 3.14159265358979323846);
    arc(x2 - 1 - rx, y2 - 1 - ry, 3 * 3.14159265358979323846 / 2);
    ::Polygon(handle_, pts.data(), int(pts.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    if (brush_->GetStyle() != bsClear) ::FillRect(handle_, r, brush_->GetHandle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(handle_, r, brush_->GetHandle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(handle_, r);
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ::ExtTextOut(handle_, x, y, 0, nullptr, text);
    TSize sz;
    GetTextExtentPoint32(handle_, text, &sz);
    MoveToEx(handle_, x + sz.cx, y, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT opts = ETO_CLIPPED;
    if (brush_->GetStyle() != bsClear) opts |= ETO_OPAQUE;
    ::ExtTextOut(handle_, x, y, opts, &r, text);
    Changed();
}

void TCanvas::TextRect(TRect& r, std::string& text, TTextFormat f)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT fmt = 0;
    struct M { TTextFormats t; UINT dt; };
    static const M map[] = {{tfBottom, DT_BOTTOM}, {tfCalcRect, DT_CALCRECT}, {tfCenter, DT_CENTER},
                            {tfEditControl, DT_EDITCONTROL}, {tfEndEllipsis, DT_END_ELLIPSIS},
                            {tfPathEllipsis, DT_PATH_ELLIPSIS}, {tfExpandTabs, DT_EXPANDTABS},
                            {tfExternalLeading, DT_EXTERNALLEADING}, {tfLeft, DT_LEFT},
                            {tfModifyString, DT_MODIFYSTRING}, {tfNoClip, DT_NOCLIP},
                            {tfNoPrefix, DT_NOPREFIX}, {tfRight, DT_RIGHT}, {tfRtlReading, DT_RTLREADING},
                            {tfSingleLine, DT_SINGLELINE}, {tfTop, DT_TOP},
                            {tfVerticalCenter, DT_VCENTER}, {tfWordBreak, DT_WORDBREAK}};
    for (const M& m : map)
        if (f.Contains(m.t)) fmt |= m.dt;
    fmt &= ~DT_MODIFYSTRING;
    if (brush_->GetStyle() != bsClear && !(fmt & DT_CALCRECT)) ::FillRect(handle_, r, brush_->GetHandle());
    const int old = SetBkMode(handle_, TRANSPARENT);
    ::DrawText(handle_, text, r, fmt);
    SetBkMode(handle_, old);
    Changed();
}

TSize TCanvas::TextExtent(const std::string& text)
{
    RequiredState({csHandleValid, csFontValid});
    TSize sz;
    GetTextExtentPoint32(handle_, text, &sz);
    return sz;
}
int TCanvas::TextWidth(const std::string& text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const std::string& text) { return TextExtent(text).cy; }

void TCanvas::Draw(int x, int y, TGraphic* g)
{
    if (!g || g->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    g->Draw(this, Bounds(x, y, g->GetWidth(), g->GetHeight()));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* g, BYTE opacity)
{
    if (!g || g->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    g->DrawTransparent(this, Bounds(x, y, g->GetWidth(), g->GetHeight()), opacity);
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* g)
{
    if (!g || g->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    g->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* src, const TRect& source)
{
    if (!src) return;
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    src->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(handle_, dest.Left, dest.Top, dest.Width(), dest.Height(), src->handle_, source.Left,
               source.Top, source.Width(), source.Height(), CopyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bmp, const TRect& source, TColor transparent)
{
    if (!bmp || bmp->Empty()) return;
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    // Brush colour where the bitmap has the transparent colour.
    if (brush_->GetStyle() != bsClear) ::FillRect(handle_, dest, brush_->GetHandle());
    TransparentBlt(handle_, dest.Left, dest.Top, dest.Width(), dest.Height(), bmp->Canvas()->GetHandle(),
                   source.Left, source.Top, source.Width(), source.Height(), ColorToRGB(transparent));
    Changed();
}

TColor TCanvas::GetPixel(int x, int y)
{
    RequiredState({csHandleValid});
    const COLORREF c = ::GetPixel(handle_, x, y);
    return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixel(int x, int y, TColor c)
{
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::SetPixel(handle_, x, y, ColorToRGB(c));
    Changed();
}

TRect TCanvas::GetClipRect()
{
    RequiredState({csHandleValid});
    TRect r;
    GetClipBox(handle_, &r);
    return r;
}

void TCanvas::Lock()
{
    lock_.lock();
    ++lockCount_;
}
bool TCanvas::TryLock()
{
    if (!lock_.try_lock()) return false;
    ++lockCount_;
    return true;
}
void TCanvas::Unlock()
{
    --lockCount_;
    lock_.unlock();
}

// ---- graphics ------------------------------------------------------------------------

void TGraphic::Changed()
{
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::SetTransparent(bool v)
{
    if (transparent_ == v) return;
    transparent_ = v;
    Changed();
}

void TGraphic::SetModified(bool v)
{
    if (v) Changed();
    else modified_ = false;
}

void TGraphic::DrawTransparent(TCanvas* c, const TRect& r, BYTE opacity)
{
    if (opacity == 255)
    {
        Draw(c, r);
        return;
    }
    // Draw into a bitmap of the target's size, then blend it with the opacity.
    TBitmap tmp(r.Width(), r.Height(), pf32bit);
    BitBlt(tmp.Canvas()->GetHandle(), 0, 0, r.Width(), r.Height(), c->GetHandle(), r.Left, r.Top, SRCCOPY);
    Draw(tmp.Canvas(), TRect(0, 0, r.Width(), r.Height()));
    BLENDFUNCTION bf;
    bf.SourceConstantAlpha = opacity;
    AlphaBlend(c->GetHandle(), r.Left, r.Top, r.Width(), r.Height(), tmp.Canvas()->GetHandle(), 0, 0,
               r.Width(), r.Height(), bf);
}

void TGraphic::LoadFromFile(const std::string& path)
{
    std::vector<std::uint8_t> data = graphics::ReadFileBytes(path);
    graphics::TByteStream s(std::move(data));
    LoadFromStream(s.Stream());
}

void TGraphic::SaveToFile(const std::string& path)
{
    graphics::TByteStream s;
    SaveToStream(s.Stream());
    graphics::WriteFileBytes(path, s.Data());
}

// ---- bitmaps ---------------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::FreeContext()
{
    if (!dc_) return;
    HDC dc = dc_;
    SetHandle(nullptr);
    if (oldBitmap_) SelectObject(dc, oldBitmap_);
    DeleteDC(dc);
    dc_ = nullptr;
    oldBitmap_ = nullptr;
}

void TBitmapCanvas::CreateHandle()
{
    if (dc_) return;
    dc_ = CreateCompatibleDC(nullptr);
    if (HBITMAP b = bitmap_->GetHandle()) oldBitmap_ = SelectObject(dc_, b);
    SetHandle(dc_);
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int w, int h, TPixelFormat pf)
{
    pf_ = (pf == pf32bit || pf == pfDevice) ? pf : pf24bit;
    SetSize(w, h);
}

TBitmap::~TBitmap()
{
    canvas_.reset();
    freeHandle();
}

void TBitmap::freeHandle()
{
    if (canvas_) canvas_->FreeContext();
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
    bits_ = nullptr;
    stride_ = 0;
}

void TBitmap::recreate(int w, int h, TPixelFormat pf, bool keep)
{
    if (w < 0 || h < 0) throw EInvalidGraphicOperation("Invalid bitmap size");
    if (w > 32767 || h > 32767 || std::int64_t(w) * h > (std::int64_t(1) << 28))
        throw EOutOfResources("Out of system resources (bitmap too large)");
    const bool pf24 = pf == pf24bit;
    HBITMAP nh = nullptr;
    unsigned char* nbits = nullptr;
    int nstride = 0;
    if (w > 0 && h > 0)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;   // top-down rows
        bi.bmiHeader.biBitCount = pf24 ? 24 : 32;
        void* p = nullptr;
        nh = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        if (!nh) throw EOutOfResources("Out of system resources (bitmap)");
        nbits = static_cast<unsigned char*>(p);
        nstride = ((w * (pf24 ? 3 : 4)) + 3) & ~3;
        std::memset(nbits, pf24 ? 0xFF : 0, std::size_t(nstride) * h);
        if (!pf24)
            for (int y = 0; y < h; ++y)
            {
                auto* row = reinterpret_cast<std::uint32_t*>(nbits + std::size_t(y) * nstride);
                std::fill(row, row + w, 0xFFFFFFFFu);   // white, opaque
            }
        if (keep && bits_)
        {
            const int cw = std::min(w, w_), ch = std::min(h, h_);
            const bool old24 = pf_ == pf24bit;
            for (int y = 0; y < ch; ++y)
            {
                const unsigned char* s = bits_ + std::size_t(y) * stride_;
                unsigned char* d = nbits + std::size_t(y) * nstride;
                for (int x = 0; x < cw; ++x)
                {
                    const unsigned char* sp = s + x * (old24 ? 3 : 4);
                    unsigned char* dp = d + x * (pf24 ? 3 : 4);
                    dp[0] = sp[0];
                    dp[1] = sp[1];
                    dp[2] = sp[2];
                    if (!pf24) dp[3] = old24 ? 255 : sp[3];
                }
            }
        }
    }
    freeHandle();
    handle_ = nh;
    bits_ = nbits;
    stride_ = nstride;
    w_ = w;
    h_ = h;
    pf_ = pf;
}

void TBitmap::SetSize(int w, int h)
{
    if (w == w_ && h == h_) return;
    recreate(w, h, pf_, true);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat pf)
{
    if (pf != pf32bit && pf != pfDevice) pf = pf24bit;
    if (pf == pf_) return;
    recreate(w_, h_, pf, true);
    Changed();
}

void* TBitmap::ScanLine(int y)
{
    if (!bits_) throw EInvalidGraphicOperation("Scan line index out of range");
    return bits_ + std::size_t(y) * stride_;
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_)
    {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->OnChange = [this](TObject*) { modified_ = true; };
    }
    return canvas_.get();
}

HBITMAP TBitmap::GetHandle() { return handle_; }

void TBitmap::SetHandle(HBITMAP h)
{
    if (h == handle_) return;
    if (!h)
    {
        freeHandle();
        w_ = h_ = 0;
        Changed();
        return;
    }
    BITMAP bm;
    if (GetObject(h, sizeof(bm), &bm) == 0) throw EInvalidGraphic("Invalid bitmap handle");
    TSurface* s = GetBitmapSurface(h);
    if (!s) throw EInvalidGraphic("Invalid bitmap handle");
    TSurface copy = s->Clone();
    FromSurface(copy, bm.bmBitsPixel == 24 ? pf24bit : pf32bit);
    DeleteObject(h);
}

HBITMAP TBitmap::ReleaseHandle()
{
    if (!handle_) return nullptr;
    if (canvas_) canvas_->FreeContext();
    // The caller owns the handle from now on; the bitmap keeps a copy.
    HBITMAP h = handle_;
    handle_ = nullptr;
    bits_ = nullptr;
    TSurface copy = GetBitmapSurface(h)->Clone();
    w_ = h_ = 0;
    FromSurface(copy, pf_);
    return h;
}

TPixel TBitmap::GetPixel32(int x, int y) const
{
    if (!bits_ || x < 0 || y < 0 || x >= w_ || y >= h_) return 0;
    const unsigned char* row = bits_ + std::size_t(y) * stride_;
    if (pf_ == pf24bit)
    {
        const unsigned char* p = row + x * 3;
        return MakePixel(p[2], p[1], p[0]);
    }
    return reinterpret_cast<const TPixel*>(row)[x];
}

void TBitmap::SetPixel32(int x, int y, TPixel px)
{
    if (!bits_ || x < 0 || y < 0 || x >= w_ || y >= h_) return;
    unsigned char* row = bits_ + std::size_t(y) * stride_;
    if (pf_ == pf24bit)
    {
        unsigned char* p = row + x * 3;
        p[0] = PixelB(px);
        p[1] = PixelG(px);
        p[2] = PixelR(px);
    }
    else
        reinterpret_cast<TPixel*>(row)[x] = px;
}

TSurface TBitmap::ToSurface() const
{
    TSurface s(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) s.Row(y)[x] = GetPixel32(x, y);
    return s;
}

void TBitmap::FromSurface(const TSurface& s, TPixelFormat pf)
{
    if (pf != pf32bit && pf != pfDevice) pf = pf24bit;
    recreate(s.Width(), s.Height(), pf, false);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) SetPixel32(x, y, s.Row(y)[x]);
    Changed();
}

TColor TBitmap::GetTransparentColor()
{
    if (tmode_ == tmFixed) return tcolor_;
    if (Empty()) return clDefault;
    return TColor(PixelToColorRef(GetPixel32(0, h_ - 1)));
}

void TBitmap::SetTransparentColor(TColor c)
{
    tcolor_ = c;
    tmode_ = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode m)
{
    if (m == tmode_) return;
    if (m == tmAuto) tcolor_ = clDefault;
    else if (tcolor_ == clDefault) tcolor_ = GetTransparentColor();
    tmode_ = m;
    Changed();
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source)
    {
        freeHandle();
        w_ = h_ = 0;
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source))
    {
        if (b == this) return;
        recreate(b->w_, b->h_, b->pf_, false);
        if (bits_ && b->bits_)
            for (int y = 0; y < h_; ++y)
                std::memcpy(bits_ + std::size_t(y) * stride_, b->bits_ + std::size_t(y) * b->stride_,
                            std::size_t(w_) * (pf_ == pf24bit ? 3 : 4));
        transparent_ = b->transparent_;
        tcolor_ = b->tcolor_;
        tmode_ = b->tmode_;
        AlphaFormat = b->AlphaFormat;
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source))
    {
        if (auto* r = dynamic_cast<const TRasterImage*>(g))
        {
            Assign(const_cast<TRasterImage*>(r)->Bitmap());
            return;
        }
        TGraphic* gg = const_cast<TGraphic*>(g);
        recreate(gg->GetWidth(), gg->GetHeight(), pf_, false);
        if (!Empty()) Canvas()->StretchDraw(TRect(0, 0, w_, h_), gg);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas* c, const TRect& r)
{
    if (Empty() || !c) return;
    HDC dst = c->GetHandle();
    HDC src = Canvas()->GetHandle();
    if (transparent_)
    {
        TransparentBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, w_, h_,
                       ColorToRGB(GetTransparentColor()));
        return;
    }
    if (pf_ == pf32bit && AlphaFormat != afIgnored)
    {
        BLENDFUNCTION bf;
        bf.AlphaFormat = AC_SRC_ALPHA;
        if (AlphaFormat == afPremultiplied)
        {
            AlphaBlend(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, w_, h_, bf);
            return;
        }
        TBitmap pm(w_, h_, pf32bit);
        TSurface s = ToSurface();
        s.Premultiply();
        pm.FromSurface(s, pf32bit);
        AlphaBlend(dst, r.Left, r.Top, r.Width(), r.Height(), pm.Canvas()->GetHandle(), 0, 0, w_, h_, bf);
        return;
    }
    StretchBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, w_, h_, c->CopyMode);
}

void TBitmap::LoadFromStream(TStream* s)
{
    int bpp = 32;
    TSurface surf = graphics::ReadBmp(graphics::ReadRest(s), &bpp);
    FromSurface(surf, bpp == 32 ? pf32bit : pf24bit);
}

void TBitmap::SaveToStream(TStream* s)
{
    TSurface surf = ToSurface();
    graphics::WriteAll(s, graphics::WriteBmp(surf, pf_ == pf24bit ? 24 : 32));
}

// ---- raster images -----------------------------------------------------------------------

TRasterImage::TRasterImage() : bmp_(std::make_unique<TBitmap>(0, 0, pf32bit)) {}
TRasterImage::~TRasterImage() = default;

int TRasterImage::GetWidth() const { return bmp_->GetWidth(); }
int TRasterImage::GetHeight() const { return bmp_->GetHeight(); }
void TRasterImage::SetSize(int w, int h)
{
    bmp_->SetSize(w, h);
    Changed();
}

bool TRasterImage::hasAlpha() const
{
    for (int y = 0; y < bmp_->GetHeight(); ++y)
        for (int x = 0; x < bmp_->GetWidth(); ++x)
            if (PixelA(bmp_->GetPixel32(x, y)) != 255) return true;
    return false;
}

void TRasterImage::Draw(TCanvas* c, const TRect& r)
{
    if (Empty() || !c) return;
    if (hasAlpha())
    {
        TSurface s = bmp_->ToSurface();
        s.Premultiply();
        TBitmap pm;
        pm.FromSurface(s, pf32bit);
        BLENDFUNCTION bf;
        bf.AlphaFormat = AC_SRC_ALPHA;
        AlphaBlend(c->GetHandle(), r.Left, r.Top, r.Width(), r.Height(), pm.Canvas()->GetHandle(), 0, 0,
                   GetWidth(), GetHeight(), bf);
        return;
    }
    StretchBlt(c->GetHandle(), r.Left, r.Top, r.Width(), r.Height(), bmp_->Canvas()->GetHandle(), 0, 0,
               GetWidth(), GetHeight(), SRCCOPY);
}

void TRasterImage::Assign(const TPersistent* source)
{
    if (!source)
    {
        bmp_->Assign(nullptr);
        Changed();
        return;
    }
    if (auto* r = dynamic_cast<const TRasterImage*>(source))
    {
        if (r == this) return;
        bmp_->Assign(r->bmp_.get());
        transparent_ = r->transparent_;
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source))
    {
        TBitmap* bb = const_cast<TBitmap*>(b);
        TSurface s = bb->ToSurface();
        if (bb->GetPixelFormat() != pf32bit || bb->AlphaFormat == afIgnored)
            for (int y = 0; y < s.Height(); ++y)
                for (int x = 0; x < s.Width(); ++x) s.Row(y)[x] |= 0xFF000000u;
        if (bb->GetTransparent())
        {
            const COLORREF key = ColorToRGB(bb->GetTransparentColor());
            for (int y = 0; y < s.Height(); ++y)
                for (int x = 0; x < s.Width(); ++x)
                    if (PixelToColorRef(s.Row(y)[x]) == key) s.Row(y)[x] &= 0x00FFFFFFu;
        }
        bmp_->FromSurface(s, pf32bit);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TRasterImage::AssignTo(TPersistent* dest) const
{
    if (auto* b = dynamic_cast<TBitmap*>(dest))
    {
        b->Assign(bmp_.get());
        if (b->GetPixelFormat() == pf32bit) b->AlphaFormat = hasAlpha() ? afDefined : afIgnored;
        return;
    }
    TGraphic::AssignTo(dest);
}

void TPngImage::LoadFromStream(TStream* s)
{
    bmp_->FromSurface(graphics::ReadPng(graphics::ReadRest(s)), pf32bit);
    Changed();
}
void TPngImage::SaveToStream(TStream* s)
{
    graphics::WriteAll(s, graphics::WritePng(bmp_->ToSurface()));
}

void TJPEGImage::LoadFromStream(TStream* s)
{
    bmp_->FromSurface(graphics::ReadJpeg(graphics::ReadRest(s)), pf32bit);
    Changed();
}
void TJPEGImage::SaveToStream(TStream* s)
{
    graphics::WriteAll(s, graphics::WriteJpeg(bmp_->ToSurface(), CompressionQuality));
}
void TJPEGImage::Draw(TCanvas* c, const TRect& r)
{
    if (Empty() || !c) return;
    StretchBlt(c->GetHandle(), r.Left, r.Top, r.Width(), r.Height(), bmp_->Canvas()->GetHandle(), 0, 0,
               GetWidth(), GetHeight(), SRCCOPY);
}

void TGIFImage::LoadFromStream(TStream* s)
{
    bmp_->FromSurface(graphics::ReadGif(graphics::ReadRest(s)), pf32bit);
    Changed();
}
void TGIFImage::SaveToStream(TStream* s)
{
    graphics::WriteAll(s, graphics::WriteGif(bmp_->ToSurface()));
}

void TIcon::LoadFromStream(TStream* s)
{
    bmp_->FromSurface(graphics::ReadIco(graphics::ReadRest(s)), pf32bit);
    Changed();
}
void TIcon::SaveToStream(TStream* s)
{
    graphics::WriteAll(s, graphics::WriteIco(bmp_->ToSurface()));
}

void TWICImage::LoadFromStream(TStream*) { throw EInvalidGraphic("TIFF pictures cannot be read on this system"); }
void TWICImage::SaveToStream(TStream*) { throw EInvalidGraphic("TIFF pictures cannot be written on this system"); }
void TMetafile::LoadFromStream(TStream*) { throw EInvalidGraphic("Metafile pictures cannot be read on this system"); }
void TMetafile::SaveToStream(TStream*) { throw EInvalidGraphic("Metafile pictures cannot be written on this system"); }

// ---- picture -----------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::changed(TObject*)
{
    if (OnChange) OnChange(this);
}

void TPicture::take(std::unique_ptr<TGraphic> g)
{
    graphic_ = std::move(g);
    if (graphic_) graphic_->OnChange = [this](TObject* s) { changed(s); };
    changed(this);
}

static std::string lowerExt(std::string ext)
{
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return LowerCase(ext);
}

std::unique_ptr<TGraphic> TPicture::CreateGraphicForExtension(const std::string& e)
{
    const std::string ext = lowerExt(e);
    if (ext == "bmp") return std::make_unique<TBitmap>();
    if (ext == "png") return std::make_unique<TPngImage>();
    if (ext == "jpg" || ext == "jpeg") return std::make_unique<TJPEGImage>();
    if (ext == "gif") return std::make_unique<TGIFImage>();
    if (ext == "ico") return std::make_unique<TIcon>();
    if (ext == "tif" || ext == "tiff") return std::make_unique<TWICImage>();
    if (ext == "emf" || ext == "wmf") return std::make_unique<TMetafile>();
    return nullptr;
}

bool TPicture::SupportsExtension(const std::string& ext) { return CreateGraphicForExtension(ext) != nullptr; }

static std::string extOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot + 1);
}

void TPicture::LoadFromFile(const std::string& path)
{
    const std::string ext = extOf(path);
    std::unique_ptr<TGraphic> g = CreateGraphicForExtension(ext);
    if (!g) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    g->LoadFromFile(path);
    take(std::move(g));
}

void TPicture::SaveToFile(const std::string& path)
{
    if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::SetGraphic(TGraphic* g)
{
    if (!g)
    {
        take(nullptr);
        return;
    }
    if (g == graphic_.get()) return;
    std::unique_ptr<TGraphic> copy;
    if (dynamic_cast<TBitmap*>(g)) copy = std::make_unique<TBitmap>();
    else if (dynamic_cast<TPngImage*>(g)) copy = std::make_unique<TPngImage>();
    else if (dynamic_cast<TJPEGImage*>(g)) copy = std::make_unique<TJPEGImage>();
    else if (dynamic_cast<TGIFImage*>(g)) copy = std::make_unique<TGIFImage>();
    else if (dynamic_cast<TIcon*>(g)) copy = std::make_unique<TIcon>();
    else if (dynamic_cast<TWICImage*>(g)) copy = std::make_unique<TWICImage>();
    else if (dynamic_cast<TMetafile*>(g)) copy = std::make_unique<TMetafile>();
    else throw EInvalidGraphic("Unsupported graphic class");
    copy->Assign(g);
    take(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
    take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

TPngImage* TPicture::Png()
{
    if (auto* p = dynamic_cast<TPngImage*>(graphic_.get())) return p;
    take(std::make_unique<TPngImage>());
    return static_cast<TPngImage*>(graphic_.get());
}

TIcon* TPicture::Icon()
{
    if (auto* p = dynamic_cast<TIcon*>(graphic_.get())) return p;
    take(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source)
    {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source))
    {
        if (p == this) return;
        SetGraphic(p->graphic_.get());
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source))
    {
        SetGraphic(const_cast<TGraphic*>(g));
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (graphic_)
        if (auto* g = dynamic_cast<TGraphic*>(dest))
        {
            g->Assign(graphic_.get());
            return;
        }
    TPersistent::AssignTo(dest);
}
