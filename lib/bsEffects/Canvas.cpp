// TbsBitmap with the class library's canvases, bitmaps, graphics and
// pictures: conversions both ways, drawing onto canvases, rendering a
// graphic, and the canvas forms of the text effects.
#include "lib/bsEffects.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"

// ---------------------------------------------------------------------------
// Conversions

namespace
{
// Any bitmap copied through the device contexts, made opaque.
void CopyBitmapOpaque(TbsBitmap& self, TBitmap* src)
{
    self.SetSize(src->GetWidth(), src->GetHeight());
    if (self.Empty()) return;
    BitBlt(self.GetDC(), 0, 0, self.Width(), self.Height(), src->Canvas()->GetHandle(), 0, 0, SRCCOPY);
    self.SetAlpha(255);
}

void RenderGraphic(TbsBitmap& self, TGraphic* g)
{
    self.SetSize(g->GetWidth(), g->GetHeight());
    if (self.Empty()) return;
    self.DrawGraphic(g, TRect(0, 0, self.Width(), self.Height()));
    self.SetAlpha(255);
}
}  // namespace

void TbsBitmap::Assign(const TPersistent* source)
{
    if (const auto* b = dynamic_cast<const TbsBitmap*>(source)) {
        Assign(*b);
        return;
    }
    auto* src = const_cast<TPersistent*>(source);
    if (auto* bmp = dynamic_cast<TBitmap*>(src)) {
        if (bmp->Empty()) {   // nothing to read from: this bitmap becomes empty
            FreeStorage();
            return;
        }
        if (bmp->GetPixelFormat() == pf32bit && bmp->GetHandleType() == bmDIB) {
            SetSize(bmp->GetWidth(), bmp->GetHeight());
            if (Empty()) return;
            for (int y = 0; y < FHeight; ++y) {
                TbsColor* row = ScanLine(y);
                for (int x = 0; x < FWidth; ++x) row[x] = bmp->GetPixel32(x, y);
            }
            CheckingAlphaBlend();
            return;
        }
        CopyBitmapOpaque(*this, bmp);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(src)) {
        if (g->Empty()) {
            FreeStorage();
            return;
        }
        RenderGraphic(*this, g);
        return;
    }
    if (auto* pic = dynamic_cast<TPicture*>(src)) {
        TGraphic* g = pic->GetGraphic();
        if (!g || g->Empty()) return;   // no picture to take
        if (auto* bmp = dynamic_cast<TBitmap*>(g))
            CopyBitmapOpaque(*this, bmp);
        else
            RenderGraphic(*this, g);
        return;
    }
    TPersistent::Assign(source);
}

void TbsBitmap::AssignTo(TPersistent* dest) const
{
    // The clipboard takes the picture through a class-library bitmap.
    if (auto* clip = dynamic_cast<TClipboard*>(dest)) {
        TBitmap tmp;
        AssignTo(&tmp);
        clip->Assign(&tmp);
        return;
    }
    TBitmap* target = nullptr;
    if (auto* pic = dynamic_cast<TPicture*>(dest))
        target = pic->Bitmap();
    else
        target = dynamic_cast<TBitmap*>(dest);
    if (!target) {
        TPersistent::AssignTo(dest);
        return;
    }
    target->SetPixelFormat(pf32bit);
    target->SetSize(FWidth, FHeight);
    if (!Empty()) const_cast<TbsBitmap*>(this)->Draw(target->Canvas(), 0, 0);
}

// ---------------------------------------------------------------------------
// Drawing onto canvases: through the canvas's device context.

void TbsBitmap::Draw(TCanvas* canvas, int x, int y)
{
    if (canvas) Draw(canvas->GetHandle(), x, y);
}

void TbsBitmap::Draw(TCanvas* canvas, int x, int y, const TRect& srcRect)
{
    if (canvas) Draw(canvas->GetHandle(), x, y, srcRect);
}

void TbsBitmap::Draw(TCanvas* canvas, const TRect& dstRect)
{
    if (canvas) Draw(canvas->GetHandle(), dstRect);
}

void TbsBitmap::Draw(TCanvas* canvas, const TRect& dstRect, const TRect& srcRect)
{
    if (canvas) Draw(canvas->GetHandle(), dstRect, srcRect);
}

void TbsBitmap::Tile(TCanvas* canvas, const TRect& dstRect, const TRect& srcRect)
{
    if (canvas) Tile(canvas->GetHandle(), dstRect, srcRect);
}

void TbsBitmap::TileClip(TCanvas* canvas, const TRect& dstRect, const TRect& dstClip, const TRect& srcRect)
{
    if (canvas) TileClip(canvas->GetHandle(), dstRect, dstClip, srcRect);
}

void TbsBitmapLink::Draw(TCanvas* canvas, int x, int y)
{
    if (!canvas || !FImage || FImage->Empty() || RectWidth(FRect) <= 0 || RectHeight(FRect) <= 0) return;
    FImage->Draw(canvas, x, y, FRect);
}

void TbsBitmap::DrawGraphic(TGraphic* graphic, const TRect& dstRect)
{
    if (!graphic || Empty()) return;
    // Render on magenta; what stays magenta was not covered by the picture.
    TBitmap tmp(FWidth, FHeight, pf32bit);
    TCanvas* c = tmp.Canvas();
    c->Brush()->SetColor(TColor(RGB(255, 0, 255)));
    c->Brush()->SetStyle(bsSolid);
    c->Rectangle(-1, -1, FWidth + 1, FHeight + 1);
    c->StretchDraw(dstRect, graphic);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const TPixel p = tmp.GetPixel32(x, y);
            if ((p & 0x00FFFFFFu) != 0x00FF00FFu) SetPixel(x, y, p);
        }
}

// ---------------------------------------------------------------------------
// Text effects on a canvas: its font (and font colour for the text), a clear
// brush for the text.

namespace
{
HDC TextReady(TCanvas* canvas)
{
    canvas->Brush()->SetStyle(bsClear);
    canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    return canvas->GetHandle();
}
}  // namespace

void DrawEffectText(TCanvas* canvas, const TRect& r, const std::string& text, int size,
                    COLORREF color, int offset, UINT format)
{
    if (canvas) DrawEffectText(TextReady(canvas), r, text, size, color, offset, format);
}

int DrawEffectText2(TCanvas* canvas, const TRect& r, const std::string& text, int size,
                    COLORREF color, int offset, UINT format)
{
    return canvas ? DrawEffectText2(TextReady(canvas), r, text, size, color, offset, format) : 0;
}

int DrawEffectText3(TCanvas* canvas, const TRect& r, const std::string& text, COLORREF color, UINT format)
{
    return canvas ? DrawEffectText3(TextReady(canvas), r, text, color, format) : 0;
}

void DrawEffectText4(TCanvas* canvas, const TRect& r, const std::string& text, COLORREF color,
                     int offset, UINT format)
{
    if (canvas) DrawEffectText4(TextReady(canvas), r, text, color, offset, format);
}

void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, TWinControl* control)
{
    if (!control) return;
    UpdateLayeredWindowFromBitmap(bitmap, alpha, control->Handle(), TPoint(control->Left(), control->Top()));
}
