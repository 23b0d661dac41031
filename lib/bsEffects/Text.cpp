// Glow, plate and reflection text effects, and the layered-window wrappers.
#include "lib/bsEffects.h"
#include "platform/os/Gdi.h"
#include "platform/os/Messages.h"
#include "platform/os/Text.h"
#include "platform/os/Window.h"

#include <algorithm>
#include <cmath>

namespace
{
// A work bitmap that draws text with the font of `dc` in red on nothing.
void PrepareTextBitmap(TbsBitmap& b, HDC dc)
{
    SelectObject(b.GetDC(), GetCurrentObject(dc, OBJ_FONT));
    SetTextColor(b.GetDC(), RGB(255, 0, 0));
    SetBkMode(b.GetDC(), TRANSPARENT);
}

// Alpha from the red channel, colour from `color`.
void RedToGlow(TbsBitmap& b, COLORREF color)
{
    const TbsColor rgb = ColorToBsColor(color) & 0x00FFFFFFu;
    TbsColor* p = b.Bits();
    for (int i = 0, n = b.Width() * b.Height(); i < n; ++i) p[i] = (((p[i] >> 16) & 0xFF) << 24) | rgb;
}

// A position worked out in 64 bits, kept inside the int range.
int ClampPos(long long v) { return int(std::clamp<long long>(v, -(1LL << 30), 1LL << 30)); }

// Glow sizes and offsets come from skin descriptions. A halo that would need
// a work bitmap beyond these limits stems from damaged values: the text is
// then drawn without it. (A negative size never showed a halo.)
constexpr int kMaxGlowSize = 1 << 12;
constexpr long long kMaxGlowPixels = 1LL << 26;

// Strength of the soft glow's plate (of 255) and of a reflection at the
// text's foot (0..1).
constexpr int kSoftGlowPlate = 80;
constexpr double kReflectionStrength = 0.45;

int GlowText(HDC dc, const TRect& r, const std::string& text, int size, COLORREF color, int offset,
             UINT format, bool fivefold)
{
    const long long w64 = (long long)RectWidth(r) + 2LL * size, h64 = (long long)RectHeight(r) + 2LL * size;
    if (size >= 0 && size <= kMaxGlowSize && w64 > 0 && h64 > 0 && w64 * h64 <= kMaxGlowPixels && dc) {
        const int w = int(w64), h = int(h64);
        TbsBitmap b;
        b.SetSize(w, h);
        PrepareTextBitmap(b, dc);
        const TRect t(size, size, w - size, h - size);
        if (fivefold) {
            const TPoint moves[5] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const TPoint& m : moves) {
                TRect tt = t;
                OffsetRect(tt, m.X, m.Y);
                DrawText(b.GetDC(), text, tt, format);
            }
        } else {
            TRect tt = t;
            DrawTextUnicode(b.GetDC(), text, tt, format);
        }
        BlurBitmap(&b, size);
        RedToGlow(b, color);
        b.SetAlphaBlend(true);
        b.Draw(dc, ClampPos((long long)r.Left - size + offset), ClampPos((long long)r.Top - size + offset));
    }
    SetBkMode(dc, TRANSPARENT);
    TRect rr = r;
    return fivefold ? DrawText(dc, text, rr, format) : DrawTextUnicode(dc, text, rr, format);
}
}  // namespace

void DrawEffectText(HDC dc, const TRect& r, const std::string& text, int size, COLORREF color,
                    int offset, UINT format)
{
    GlowText(dc, r, text, size, color, offset, format, true);
}

int DrawEffectText2(HDC dc, const TRect& r, const std::string& text, int size, COLORREF color,
                    int offset, UINT format)
{
    return GlowText(dc, r, text, size, color, offset, format, false);
}

int DrawEffectText3(HDC dc, const TRect& r, const std::string& text, COLORREF color, UINT format)
{
    const int m = 12;
    const int w = RectWidth(r) + 2 * m, h = RectHeight(r) + 2 * m;
    if (w > 0 && h > 0 && dc) {
        TbsBitmap b;
        b.SetSize(w, h);
        PrepareTextBitmap(b, dc);
        const TRect t(m, m, w - m, h - m);
        // A soft haze behind the text, not a box: a plate at a third strength
        // inside the text's height, the glyphs' own halo at full strength,
        // both blurred well past the plate's edges.
        HBRUSH plate = CreateSolidBrush(RGB(kSoftGlowPlate, 0, 0));
        FillRect(b.GetDC(), TRect(t.Left + 2, t.Top + 3, t.Right - 2, t.Bottom - 3), plate);
        DeleteObject(plate);
        const TPoint moves[9] = {{-1, -1}, {-2, -2}, {-1, 0}, {-2, 0}, {1, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 0}};
        for (const TPoint& mv : moves) {
            TRect tt = t;
            OffsetRect(tt, mv.X, mv.Y);
            DrawTextUnicode(b.GetDC(), text, tt, format);
        }
        BlurBitmap(&b, m / 2);
        BlurBitmap(&b, m / 2);
        RedToGlow(b, color);
        b.SetAlphaBlend(true);
        b.Draw(dc, r.Left - m, r.Top - m);
    }
    SetBkMode(dc, TRANSPARENT);
    TRect rr = r;
    return DrawTextUnicode(dc, text, rr, format);
}

void DrawEffectText4(HDC dc, const TRect& r, const std::string& text, COLORREF color, int offset,
                     UINT format)
{
    const int w = RectWidth(r), h = RectHeight(r);
    if (w > 0 && h > 0 && dc) {
        TbsBitmap b;
        b.SetSize(w, h);
        PrepareTextBitmap(b, dc);
        TRect inner(0, 0, w, h);
        DrawTextUnicode(b.GetDC(), text, inner, format);
        TRect calc(0, 0, w, h);
        DrawTextUnicode(b.GetDC(), text, calc, format | DT_CALCRECT);
        // Where the text's rows lie: at the top, or centred on one line.
        const int ext = std::min(RectHeight(calc), h);
        const int top = (format & DT_VCENTER) && (format & DT_SINGLELINE) ? (h - ext) / 2 : 0;
        const int t = top, bt = top + ext;
        // The whole text mirrored under its foot, squeezed to half its
        // height (it fits under a caption's text) and fading away from it.
        const int rh = (bt - t) / 2;
        if (rh > 0) {
            const TbsColor rgb = ColorToBsColor(color) & 0x00FFFFFFu;
            TbsBitmap m;
            m.SetSize(w, rh);
            for (int y = 0; y < rh; ++y) {
                const TbsColor* a = b.ScanLine(bt - 1 - 2 * y);
                const TbsColor* c = b.ScanLine(std::max(bt - 2 - 2 * y, t));
                TbsColor* row = m.ScanLine(y);
                const double f = kReflectionStrength * (1.0 - double(y) / rh);
                for (int x = 0; x < w; ++x) {
                    const int red = (int((a[x] >> 16) & 0xFF) + int((c[x] >> 16) & 0xFF)) / 2;
                    row[x] = (TbsColor(int(red * f)) << 24) | rgb;
                }
            }
            m.SetAlphaBlend(true);
            m.Draw(dc, r.Left, ClampPos((long long)r.Top + bt + offset));
        }
    }
    SetBkMode(dc, TRANSPARENT);
    TRect rr = r;
    DrawTextUnicode(dc, text, rr, format);
}

// ---------------------------------------------------------------------------
// Layered windows

void SetLayeredAlpha(HWND wnd, BYTE alpha)
{
    if (!wnd) return;
    SetLayeredWindowAttributes(wnd, 0, alpha, LWA_ALPHA);
}

void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, HWND wnd, TPoint pos)
{
    if (!bitmap || bitmap->Empty() || !wnd) return;
    // The window layer takes premultiplied pixels; the bitmap holds straight ones.
    TbsBitmap pm;
    pm.Assign(*bitmap);
    TbsColor* p = pm.Bits();
    for (int i = 0, n = pm.Width() * pm.Height(); i < n; ++i) {
        const TbsColor a = p[i] >> 24;
        TbsColor out = a << 24;
        for (int sh = 0; sh < 24; sh += 8) out |= ((((p[i] >> sh) & 0xFF) * a + 127) / 255) << sh;
        p[i] = out;
    }
    const TPoint origin(0, 0);
    const TSize size(pm.Width(), pm.Height());
    BLENDFUNCTION bf;
    bf.BlendOp = AC_SRC_OVER;
    bf.BlendFlags = 0;
    bf.SourceConstantAlpha = alpha;
    bf.AlphaFormat = AC_SRC_ALPHA;
    UpdateLayeredWindow(wnd, nullptr, &pos, &size, pm.GetDC(), &origin, 0, &bf, ULW_ALPHA);
}

void UpdateLayeredWindowFromBitmap(TbsBitmap* bitmap, BYTE alpha, HWND wnd)
{
    if (!wnd) return;
    TRect wr;
    GetWindowRect(wnd, &wr);
    UpdateLayeredWindowFromBitmap(bitmap, alpha, wnd, wr.TopLeft());
}

void MakeAlphaBitmap(TbsBitmap* image, TbsBitmap* mask, TbsBitmap* target)
{
    if (!image || !target) return;
    target->Assign(*image);
    if (!mask) return;
    TbsBitmap tmp;
    tmp.Assign(*mask);
    SetAlphaFromMask(target, &tmp);
}
