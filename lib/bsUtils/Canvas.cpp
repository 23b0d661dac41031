// Canvas forms of the text and glyph routines, glyph frames of a strip and
// the glyph-and-caption drawing of buttons.
#include "lib/bsUtils.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"
#include "platform/os/Gdi.h"
#include "platform/os/Text.h"

namespace
{
// The canvas's device context with its font (and brush, pen) selected.
HDC Ready(TCanvas* c)
{
    c->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid, csPenValid});
    return c->GetHandle();
}
COLORREF FontColor(TCanvas* c) { return COLORREF(ColorToRGB(c->Font()->GetColor())); }
}  // namespace

int DrawTextUnicode(TCanvas* canvas, const std::string& text, TRect& r, UINT format)
{
    return canvas ? DrawTextUnicode(Ready(canvas), text, r, format) : 0;
}
int TextWidthW(TCanvas* canvas, const std::string& text) { return canvas ? TextWidthW(Ready(canvas), text) : 0; }
int TextHeightW(TCanvas* canvas, const std::string& text) { return canvas ? TextHeightW(Ready(canvas), text) : 0; }

void CorrectTextByWidthW(TCanvas* canvas, std::string& text, int width)
{
    if (canvas) CorrectTextByWidthW(Ready(canvas), text, width);
}

void CorrectTextByWidth(TCanvas* canvas, std::string& text, int width)
{
    if (!canvas) return;
    CorrectTextByMeasure(text, width, [canvas](const std::string& t) { return canvas->TextWidth(t); });
}

void DrawTextSingleLineVCenter(TCanvas* canvas, const std::string& text, const TRect& r)
{
    if (canvas && !text.empty()) DrawTextSingleLineVCenter(Ready(canvas), text, r);
}

void DrawTextVCenterOffset(TCanvas* canvas, const std::string& text, const TRect& r, int offset)
{
    if (!canvas || text.empty()) return;
    canvas->TextOut(r.Left + offset + 2, r.Top + RectHeight(r) / 2 - canvas->TextHeight(text) / 2, text);
}

void DrawTextVCenter(TCanvas* canvas, const std::string& text, const TRect& r)
{
    DrawTextVCenterOffset(canvas, text, r, 0);
}

#define BS_CANVAS_GLYPH_RECT(Name)                                            \
    void Name(TCanvas* canvas, const TRect& r, COLORREF color)                \
    {                                                                         \
        if (canvas) Name(Ready(canvas), r, color);                            \
    }
#define BS_CANVAS_GLYPH_XY(Name)                                              \
    void Name(TCanvas* canvas, int x, int y, COLORREF color)                  \
    {                                                                         \
        if (canvas) Name(Ready(canvas), x, y, color);                         \
    }

void DrawArrowGlyph(TCanvas* canvas, const TRect& r, COLORREF color, int kind)
{
    if (canvas) DrawArrowGlyph(Ready(canvas), r, color, kind);
}
BS_CANVAS_GLYPH_RECT(DrawSmallDownArrow)
BS_CANVAS_GLYPH_XY(DrawCheckGlyph)
BS_CANVAS_GLYPH_XY(DrawRadioGlyph)
BS_CANVAS_GLYPH_XY(DrawCloseGlyph)
BS_CANVAS_GLYPH_XY(DrawSysMenuGlyph)
BS_CANVAS_GLYPH_XY(DrawMinimizeGlyph)
BS_CANVAS_GLYPH_XY(DrawMaximizeGlyph)
BS_CANVAS_GLYPH_XY(DrawRestoreGlyph)
BS_CANVAS_GLYPH_XY(DrawRollDownGlyph)
BS_CANVAS_GLYPH_XY(DrawRollUpGlyph)
BS_CANVAS_GLYPH_XY(DrawTrayGlyph)
#undef BS_CANVAS_GLYPH_RECT
#undef BS_CANVAS_GLYPH_XY

void DrawDottedFocusRect(TCanvas* canvas, const TRect& r)
{
    if (!canvas) return;
    canvas->Pen()->SetColor(canvas->Font()->GetColor());
    DrawDottedFocusRect(Ready(canvas), r, FontColor(canvas));
}

// ---------------------------------------------------------------------------
// Glyph strips

void DrawGlyphFrame(TCanvas* canvas, int x, int y, TBitmap* strip, int numGlyphs, int frame)
{
    if (!canvas || !strip || strip->Empty()) return;
    if (numGlyphs < 1) numGlyphs = 1;
    const int w = strip->GetWidth() / numGlyphs, h = strip->GetHeight();
    if (w <= 0) return;
    TBitmap tmp(w, h, pf32bit);
    tmp.Canvas()->CopyRect(TRect(0, 0, w, h), strip->Canvas(),
                           TRect((frame - 1) * w, 0, frame * w, h));
    tmp.SetTransparentMode(tmAuto);   // the bottom-left pixel's colour
    tmp.SetTransparent(true);
    canvas->Draw(x, y, &tmp);
}

TbsGlyphTextPlacement PlaceGlyphAndText(TCanvas* canvas, const TRect& r, int margin, int spacing,
                                        TbsButtonLayout layout, const std::string& caption,
                                        int gw, int gh, bool down)
{
    TbsGlyphTextPlacement p;
    p.GlyphSize = TSize(gw, gh);
    if (!caption.empty() && canvas) {
        const bool side = layout == blGlyphLeft || layout == blGlyphRight;
        TRect tr(0, 0, RectWidth(r) - (side ? gw : 0), RectHeight(r) - (side ? 0 : gh));
        DrawTextUnicode(canvas, caption, tr, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
        p.TextSize = TSize(RectWidth(tr), RectHeight(tr));
    }
    const TbsGlyphTextLayout l = CalcGlyphTextLayout(layout, r, gw, gh, p.TextSize.cx, p.TextSize.cy, spacing, margin);
    const int d = down ? 1 : 0;
    p.Glyph = TPoint(l.GlyphX + d, l.GlyphY + d);
    p.TextRect = TRect(l.TextX + d, l.TextY + d, l.TextX + d + p.TextSize.cx + 2, l.TextY + d + p.TextSize.cy);
    return p;
}

void DrawGlyphAndText(TCanvas* canvas, const TRect& r, int margin, int spacing,
                      TbsButtonLayout layout, const std::string& caption, TBitmap* strip,
                      int numGlyphs, int glyphNum, bool down, bool drawColorMarker,
                      COLORREF colorMarkerValue)
{
    if (!canvas) return;
    if (numGlyphs < 1) numGlyphs = 1;
    const bool hasGlyph = strip && !strip->Empty() && strip->GetWidth() / numGlyphs > 0;
    const int gw = hasGlyph ? strip->GetWidth() / numGlyphs : 0;
    const int gh = hasGlyph ? strip->GetHeight() : 0;
    if (!caption.empty()) canvas->Brush()->SetStyle(bsClear);
    const TbsGlyphTextPlacement p = PlaceGlyphAndText(canvas, r, margin, spacing, layout, caption, gw, gh, down);
    if (!caption.empty()) {
        TRect tr = p.TextRect;
        DrawTextUnicode(canvas, caption, tr, DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
    }
    if (hasGlyph) DrawGlyphFrame(canvas, p.Glyph.X, p.Glyph.Y, strip, numGlyphs, glyphNum);
    if (!drawColorMarker) return;
    canvas->Pen()->SetColor(TColor(colorMarkerValue));
    canvas->Brush()->SetColor(TColor(colorMarkerValue));
    canvas->Brush()->SetStyle(bsSolid);
    if (hasGlyph) {
        for (int k = -2; k <= 0; ++k) {
            canvas->MoveTo(p.Glyph.X, p.Glyph.Y + gh + k);
            canvas->LineTo(p.Glyph.X + strip->GetWidth(), p.Glyph.Y + gh + k);
        }
    } else if (!caption.empty()) {
        for (int k = -1; k <= 1; ++k) {
            canvas->MoveTo(p.TextRect.Left, p.TextRect.Bottom + k);
            canvas->LineTo(p.TextRect.Right, p.TextRect.Bottom + k);
        }
    } else {
        canvas->FillRect(down ? TRect(r.Left + 4, r.Top + 5, r.Right - 2, r.Bottom - 3)
                              : TRect(r.Left + 4, r.Top + 4, r.Right - 2, r.Bottom - 4));
    }
}

// ---------------------------------------------------------------------------
// Image list glyphs

namespace
{
void ImageAndText(TCanvas* canvas, const TRect& r, int margin, int spacing, TbsButtonLayout layout,
                  const std::string& caption, int imageIndex, TCustomImageList* list, bool down,
                  bool enabled, bool drawColorMarker, COLORREF marker, bool centre)
{
    if (!canvas) return;
    const bool hasGlyph = list && imageIndex >= 0 && imageIndex < list->Count();
    const int gw = hasGlyph ? list->GetWidth() : 0, gh = hasGlyph ? list->GetHeight() : 0;
    canvas->Brush()->SetStyle(bsClear);
    const TbsGlyphTextPlacement p = PlaceGlyphAndText(canvas, r, margin, spacing, layout, caption, gw, gh, down);
    if (!caption.empty()) {
        TRect tr = p.TextRect;
        DrawTextUnicode(canvas, caption, tr,
                        DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | (centre ? DT_CENTER : 0u));
    }
    if (hasGlyph) list->Draw(canvas, p.Glyph.X, p.Glyph.Y, imageIndex, enabled);
    if (!drawColorMarker) return;
    canvas->Pen()->SetColor(TColor(marker));
    canvas->Brush()->SetColor(TColor(marker));
    canvas->Brush()->SetStyle(bsSolid);
    if (hasGlyph) {
        for (int k = -2; k <= 0; ++k) {
            canvas->MoveTo(p.Glyph.X, p.Glyph.Y + gh + k);
            canvas->LineTo(p.Glyph.X + gw, p.Glyph.Y + gh + k);
        }
    } else if (!caption.empty()) {
        for (int k = -1; k <= 1; ++k) {
            canvas->MoveTo(p.TextRect.Left, p.TextRect.Bottom + k);
            canvas->LineTo(p.TextRect.Right, p.TextRect.Bottom + k);
        }
    } else {
        canvas->FillRect(TRect(r.Left + 4, r.Top + 4, r.Right - 2, r.Bottom - 4));
    }
}
}  // namespace

void DrawImageAndText(TCanvas* canvas, const TRect& r, int margin, int spacing, TbsButtonLayout layout,
                      const std::string& caption, int imageIndex, TCustomImageList* imageList,
                      bool down, bool enabled, bool drawColorMarker, COLORREF colorMarkerValue)
{
    ImageAndText(canvas, r, margin, spacing, layout, caption, imageIndex, imageList, down, enabled,
                 drawColorMarker, colorMarkerValue, true);
}

void DrawImageAndText2(TCanvas* canvas, const TRect& r, int margin, int spacing, TbsButtonLayout layout,
                       const std::string& caption, int imageIndex, TCustomImageList* imageList,
                       bool down, bool enabled, bool drawColorMarker, COLORREF colorMarkerValue)
{
    ImageAndText(canvas, r, margin, spacing, layout, caption, imageIndex, imageList, down, enabled,
                 drawColorMarker, colorMarkerValue, false);
}

// ---------------------------------------------------------------------------
// The parent's picture under a control

namespace
{
// Reaches the parent's own window painting (without its graphic children).
struct WindowPainter : TWinControl
{
    using TWinControl::PaintWindow;
};

// Sets a control's paint-copy state for a scope, also when painting fails.
class PaintCopyScope
{
public:
    explicit PaintCopyScope(TControl* c) : c_(c) { c_->ControlState.Include(csPaintCopy); }
    ~PaintCopyScope() { c_->ControlState.Exclude(csPaintCopy); }
    PaintCopyScope(const PaintCopyScope&) = delete;
    PaintCopyScope& operator=(const PaintCopyScope&) = delete;

private:
    TControl* c_;
};

class DCStateScope
{
public:
    explicit DCStateScope(HDC dc) : dc_(dc) { SaveDC(dc_); }
    ~DCStateScope() { RestoreDC(dc_, -1); }
    DCStateScope(const DCStateScope&) = delete;
    DCStateScope& operator=(const DCStateScope&) = delete;

private:
    HDC dc_;
};

void ParentImage(TControl* control, TCanvas* canvas, int dx, int dy)
{
    if (!control || !canvas || !control->Parent()) return;
    TWinControl* parent = control->Parent();
    HDC dc = canvas->GetHandle();
    PaintCopyScope parentCopy(parent);
    {
        DCStateScope state(dc);
        SetViewportOrgEx(dc, -control->Left() - dx, -control->Top() - dy, nullptr);
        IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
        auto* form = dynamic_cast<TForm*>(parent);
        if (form && form->GetFormStyle() == fsMDIForm && form->ClientHandle()) {
            SendMessage(form->ClientHandle(), WM_ERASEBKGND, WPARAM(dc), 0);
        } else {
            parent->Perform(WM_ERASEBKGND, WPARAM(dc), LPARAM(dc));
            if (!form) {
                auto paint = static_cast<void (TWinControl::*)(HDC)>(&WindowPainter::PaintWindow);
                (parent->*paint)(dc);
            }
        }
    }
    const TRect bounds = control->BoundsRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == control) break;
        if (dynamic_cast<TWinControl*>(c) || !c->GetVisible()) continue;
        TRect tmp;
        if (!IntersectRect(tmp, c->BoundsRect(), bounds)) continue;
        PaintCopyScope copy(c);
        DCStateScope state(dc);
        SetViewportOrgEx(dc, c->Left() - control->Left() - dx, c->Top() - control->Top() - dy, nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, WPARAM(dc), 0);
    }
}
}  // namespace

void DrawParentImage(TControl* control, TCanvas* canvas) { ParentImage(control, canvas, 0, 0); }

void DrawPageControlParentImage(TControl* control, const TRect& r, TCanvas* canvas)
{
    ParentImage(control, canvas, r.Left, r.Top);
}
