// Text, default glyphs, the dotted focus frame and monitor work areas on the
// platform's device contexts and windows.
#include "lib/bsUtils.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"
#include "platform/os/Monitor.h"
#include "platform/os/Text.h"
#include "platform/os/Window.h"

#include <algorithm>
#include <map>
#include <vector>

// ---------------------------------------------------------------------------
// Text

int DrawTextUnicode(HDC dc, const std::string& text, TRect& r, UINT format)
{
    return DrawText(dc, text, r, format);
}

int TextWidthW(HDC dc, const std::string& text)
{
    TRect r(0, 0, 0, 0);
    DrawTextUnicode(dc, text, r, DT_CALCRECT);
    return RectWidth(r);
}

int TextHeightW(HDC dc, const std::string& text)
{
    TRect r(0, 0, 0, 0);
    DrawTextUnicode(dc, text, r, DT_CALCRECT);
    return RectHeight(r);
}

namespace
{
int ExtentWidth(HDC dc, const std::string& text)
{
    TSize s;
    GetTextExtentPoint32(dc, text, &s);
    return s.cx;
}
int ExtentHeight(HDC dc, const std::string& text)
{
    TSize s;
    GetTextExtentPoint32(dc, text, &s);
    return s.cy;
}
}  // namespace

void CorrectTextByWidthW(HDC dc, std::string& text, int width)
{
    CorrectTextByMeasure(text, width, [dc](const std::string& t) { return TextWidthW(dc, t); });
}

void CorrectTextByWidth(HDC dc, std::string& text, int width)
{
    CorrectTextByMeasure(text, width, [dc](const std::string& t) { return ExtentWidth(dc, t); });
}

void DrawTextSingleLineVCenter(HDC dc, const std::string& text, const TRect& r)
{
    if (text.empty()) return;
    TRect rr = r;
    DrawTextUnicode(dc, text, rr, DT_SINGLELINE | DT_VCENTER);
}

void DrawTextVCenterOffset(HDC dc, const std::string& text, const TRect& r, int offset)
{
    if (text.empty()) return;
    TextOut(dc, r.Left + offset + 2, r.Top + RectHeight(r) / 2 - ExtentHeight(dc, text) / 2, text);
}

void DrawTextVCenter(HDC dc, const std::string& text, const TRect& r)
{
    DrawTextVCenterOffset(dc, text, r, 0);
}

// ---------------------------------------------------------------------------
// Glyphs

namespace
{
// Selects a solid pen (and optionally a solid or the hollow brush) of a
// colour for the lifetime of the object.
class PenScope
{
public:
    enum class Fill { Keep, Solid, Hollow };
    PenScope(HDC dc, COLORREF c, Fill fill = Fill::Keep) : dc_(dc)
    {
        pen_ = CreatePen(PS_SOLID, 1, c);
        oldPen_ = SelectObject(dc, pen_);
        if (fill == Fill::Solid) {
            brush_ = CreateSolidBrush(c);
            oldBrush_ = SelectObject(dc, brush_);
        } else if (fill == Fill::Hollow) {
            oldBrush_ = SelectObject(dc, GetStockObject(NULL_BRUSH));
        }
    }
    ~PenScope()
    {
        SelectObject(dc_, oldPen_);
        DeleteObject(pen_);
        if (oldBrush_) SelectObject(dc_, oldBrush_);
        if (brush_) DeleteObject(brush_);
    }
    void Line(int x0, int y0, int x1, int y1)
    {
        MoveToEx(dc_, x0, y0, nullptr);
        LineTo(dc_, x1, y1);
    }
    void Rect(int l, int t, int r, int b) { Rectangle(dc_, l, t, r, b); }

private:
    HDC dc_;
    HPEN pen_ = nullptr;
    HBRUSH brush_ = nullptr;
    HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr;
};
}  // namespace

void DrawArrowGlyph(HDC dc, const TRect& r, COLORREF color, int kind)
{
    if (kind < 1 || kind > 4) return;
    const int cx = r.Left + RectWidth(r) / 2, cy = r.Top + RectHeight(r) / 2;
    PenScope p(dc, color);
    for (int i = 0; i <= 3; ++i) {
        switch (kind) {
        case 1: p.Line(cx - 2 + i, cy - i, cx - 2 + i, cy + i + 1); break;
        case 2: p.Line(cx + 2 - i, cy - i, cx + 2 - i, cy + i + 1); break;
        case 3: p.Line(cx - i, cy - 2 + i, cx + i + 1, cy - 2 + i); break;
        case 4: p.Line(cx - i, cy + 2 - i, cx + i + 1, cy + 2 - i); break;
        }
    }
}

void DrawSmallDownArrow(HDC dc, const TRect& r, COLORREF color)
{
    const int cx = r.Left + RectWidth(r) / 2, cy = r.Top + RectHeight(r) / 2;
    PenScope p(dc, color);
    for (int n = 2; n >= 0; --n) p.Line(cx - n, cy + 2 - n, cx + n + 1, cy + 2 - n);
}

void DrawCheckGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color);
    for (int i = 0; i <= 2; ++i) {
        MoveToEx(dc, x, y + 5 - i, nullptr);
        LineTo(dc, x + 2, y + 7 - i);
        LineTo(dc, x + 7, y + 2 - i);
    }
}

void DrawRadioGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color, PenScope::Fill::Solid);
    p.Rect(x, y, x + 6, y + 6);
}

void DrawCloseGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color);
    p.Line(x + 1, y + 1, x + 9, y + 9);
    p.Line(x + 9, y + 1, x + 1, y + 9);
    p.Line(x + 2, y + 1, x + 10, y + 9);
    p.Line(x + 8, y + 1, x, y + 9);
}

void DrawSysMenuGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color, PenScope::Fill::Hollow);
    p.Rect(x + 1, y + 3, x + 9, y + 6);
}

void DrawMinimizeGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color);
    p.Line(x + 1, y + 8, x + 9, y + 8);
    p.Line(x + 1, y + 9, x + 9, y + 9);
}

void DrawMaximizeGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color, PenScope::Fill::Hollow);
    p.Rect(x, y, x + 11, y + 10);
    p.Rect(x, y, x + 11, y + 2);
}

void DrawRestoreGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color, PenScope::Fill::Hollow);
    p.Rect(x + 2, y, x + 10, y + 6);
    p.Rect(x + 2, y, x + 10, y + 2);
    p.Rect(x, y + 4, x + 7, y + 10);
    p.Rect(x, y + 4, x + 7, y + 6);
}

void DrawRollDownGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color);
    p.Line(x + 1, y + 2, x + 9, y + 2);
    p.Line(x + 2, y + 3, x + 8, y + 3);
    p.Line(x + 3, y + 4, x + 7, y + 4);
    p.Line(x + 4, y + 5, x + 6, y + 5);
}

void DrawRollUpGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color);
    p.Line(x + 1, y + 6, x + 9, y + 6);
    p.Line(x + 2, y + 5, x + 8, y + 5);
    p.Line(x + 3, y + 4, x + 7, y + 4);
    p.Line(x + 4, y + 3, x + 6, y + 3);
}

void DrawTrayGlyph(HDC dc, int x, int y, COLORREF color)
{
    PenScope p(dc, color, PenScope::Fill::Solid);
    p.Rect(x + 2, y + 2, x + 7, y + 7);
}

void DrawDottedFocusRect(HDC dc, const TRect& r, COLORREF color)
{
    for (const TbsDotPixel& d : DottedFocusRectPixels(r))
        if (d.On) SetPixel(dc, d.X, d.Y, color);
}

void DrawAccentRing(HDC dc, const TRect& r, COLORREF color, int width)
{
    for (int i = 0; i < width; ++i)
    {
        const int l = r.Left + i, t = r.Top + i, rr = r.Right - 1 - i, b = r.Bottom - 1 - i;
        if (rr - l < 2 || b - t < 2) return;
        for (int x = l + 1; x < rr; ++x)
        {
            SetPixel(dc, x, t, color);
            SetPixel(dc, x, b, color);
        }
        for (int y = t + 1; y < b; ++y)
        {
            SetPixel(dc, l, y, color);
            SetPixel(dc, rr, y, color);
        }
    }
}

void DrawFocusMark(HDC dc, const TRect& r, COLORREF accent) { DrawAccentRing(dc, r, accent, 1); }

void DrawAccentBar(HDC dc, const TRect& r, COLORREF color, int height)
{
    for (int y = std::max(r.Top, r.Bottom - height); y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) SetPixel(dc, x, y, color);
}

void FadeBitmap(TBitmap* b, COLORREF color, int percent)
{
    if (!b) return;
    for (int y = 0; y < b->GetHeight(); ++y)
        for (int x = 0; x < b->GetWidth(); ++x)
        {
            const TPixel p = b->GetPixel32(x, y);
            const TPixel l = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
            b->SetPixel32(x, y, (p & 0xFF000000u) | (l << 16) | (l << 8) | l);
        }
    TintBitmap(b, color, percent);
}

namespace
{
// Pixels of `b` moved `percent` of the way towards `color`, but those
// `skip` marks (row by row).
void TintPixels(TBitmap* b, COLORREF color, int percent, const std::vector<char>* skip)
{
    const int w = b->GetWidth(), cr = GetRValue(color), cg = GetGValue(color), cb = GetBValue(color);
    auto mix = [percent](int from, int to) { return from + (to - from) * percent / 100; };
    for (int y = 0; y < b->GetHeight(); ++y)
        for (int x = 0; x < w; ++x)
        {
            if (skip && (*skip)[std::size_t(y) * std::size_t(w) + std::size_t(x)]) continue;
            const TPixel p = b->GetPixel32(x, y);
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
            b->SetPixel32(x, y, TPixel((p & 0xFF000000u) | (mix(r, cr) << 16) | (mix(g, cg) << 8) | mix(bl, cb)));
        }
}
}  // namespace

void TintFace(TBitmap* b, COLORREF color, int percent)
{
    if (!b || b->GetWidth() < 1 || b->GetHeight() < 1) return;
    const int w = b->GetWidth(), h = b->GetHeight();
    // The ground: pixels of a corner's colour reached from that corner,
    // within a corner-sized square.
    const int reach = std::min({8, w / 2, h / 2});
    std::vector<char> ground(std::size_t(w) * std::size_t(h), 0);
    for (auto [cx, cy] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
    {
        const TPixel key = b->GetPixel32(cx, cy) & 0xFFFFFF;
        // A square face: its corner is its edge, not ground.
        if ((b->GetPixel32(w / 2, cy) & 0xFFFFFF) == key) continue;
        std::vector<std::pair<int, int>> todo{{cx, cy}};
        while (!todo.empty())
        {
            auto [x, y] = todo.back();
            todo.pop_back();
            if (x < 0 || y < 0 || x >= w || y >= h || std::abs(x - cx) >= reach || std::abs(y - cy) >= reach) continue;
            char& g = ground[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            if (g || (b->GetPixel32(x, y) & 0xFFFFFF) != key) continue;
            g = 1;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
    }
    TintPixels(b, color, percent, &ground);
}

COLORREF DominantColor(TBitmap* b, const TRect& r)
{
    if (!b) return 0;
    std::map<TPixel, int> count;
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b->GetHeight()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, b->GetWidth()); ++x)
            ++count[b->GetPixel32(x, y) & 0xFFFFFF];
    TPixel best = 0;
    int n = -1;
    for (auto [c, k] : count)
        if (k > n) best = c, n = k;
    return RGB((best >> 16) & 0xFF, (best >> 8) & 0xFF, best & 0xFF);
}

COLORREF DominantColor(TCanvas* c, const TRect& r, COLORREF fallback)
{
    std::map<int, int> count;
    for (int y = r.Top; y < r.Bottom; y += 3)
        for (int x = r.Left; x < r.Right; x += 3)
        {
            const TColor p = c->GetPixel(x, y);
            if (p != clNone) ++count[int(p) & 0xFFFFFF];
        }
    if (count.empty()) return fallback;
    return COLORREF(
        std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
}

void TintBitmap(TBitmap* b, COLORREF color, int percent)
{
    if (b) TintPixels(b, color, percent, nullptr);
}

// ---------------------------------------------------------------------------
// Monitors

bool IsMultiMonitor() { return GetSystemMetrics(SM_CMONITORS) > 1; }

void GetScreenWorkArea(bool workArea, TRect& r)
{
    if (workArea) {
        TRect wa;
        if (SystemParametersInfo(SPI_GETWORKAREA, 0, &wa, 0)) r = wa;
    } else {
        r = TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
}

void GetMonitorWorkArea(HWND wnd, bool workArea, TRect& r)
{
    if (!IsMultiMonitor()) {
        GetScreenWorkArea(workArea, r);
        return;
    }
    HMONITOR mon = MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi;
    if (!mon || !GetMonitorInfo(mon, &mi)) return;
    r = workArea ? mi.rcWork : mi.rcMonitor;
}
