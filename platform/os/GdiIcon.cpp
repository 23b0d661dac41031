#include "platform/os/GdiIcon.h"

#include "platform/os/Gdi/Internal.h"
#include "platform/os/Text.h"

#include <cmath>
#include <functional>
#include <mutex>
#include <unordered_set>

using namespace gdi;

namespace
{
std::mutex& IconMutex()
{
    static std::mutex m;
    return m;
}
std::unordered_set<const IconObject*>& Icons()
{
    static auto* s = new std::unordered_set<const IconObject*>;
    return *s;
}
IconObject* Live(HICON h)
{
    if (!h) return nullptr;
    std::lock_guard<std::mutex> g(IconMutex());
    return Icons().count(h) ? h : nullptr;
}
HICON Register(IconObject* o)
{
    std::lock_guard<std::mutex> g(IconMutex());
    Icons().insert(o);
    return o;
}

// Paints pixels whose coverage (4 x 4 samples of `inside`) is positive.
void Shape(TSurface& s, TPixel color, const std::function<bool(double, double)>& inside)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
        {
            int n = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) n += inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) ? 1 : 0;
            if (n) s.Row(y)[x] = BlendOver(s.Row(y)[x], color, n * 255 / 16);
        }
}

bool InCircle(double x, double y) { return (x - 16) * (x - 16) + (y - 16) * (y - 16) <= 14.5 * 14.5; }

double SegDist(double px, double py, double ax, double ay, double bx, double by)
{
    const double vx = bx - ax, vy = by - ay;
    double t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy);
    t = std::clamp(t, 0.0, 1.0);
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

// A centred bold character drawn onto the picture.
void Mark(TSurface& s, const char* text, COLORREF color)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = s.Width();
    bi.bmiHeader.biHeight = -s.Height();
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bmp || !dc)
    {
        if (dc) DeleteDC(dc);
        if (bmp) DeleteObject(bmp);
        return;
    }
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    TSurface* t = GetDCSurface(dc);
    for (int y = 0; y < s.Height(); ++y) std::copy(s.Row(y), s.Row(y) + s.Width(), t->Row(y));
    HFONT f = CreateFont(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    HGDIOBJ oldFont = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    TRect r = s.Bounds();
    DrawText(dc, text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    for (int y = 0; y < s.Height(); ++y) std::copy(t->Row(y), t->Row(y) + s.Width(), s.Row(y));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(f);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TSurface StockPicture(int id)
{
    TSurface s(32, 32);
    const TPixel white = MakePixel(255, 255, 255);
    switch (id)
    {
    case IDI_HAND:
        Shape(s, MakePixel(214, 40, 40), InCircle);
        Shape(s, white, [](double x, double y) {
            return SegDist(x, y, 10, 10, 22, 22) < 2.2 || SegDist(x, y, 22, 10, 10, 22) < 2.2;
        });
        break;
    case IDI_EXCLAMATION:
        Shape(s, MakePixel(245, 190, 30), [](double x, double y) {
            // Triangle (16, 2), (30.5, 29), (1.5, 29).
            if (y < 2 || y > 29) return false;
            const double half = (y - 2) / 27.0 * 14.5;
            return x >= 16 - half && x <= 16 + half;
        });
        Mark(s, "!", RGB(0, 0, 0));
        break;
    case IDI_ASTERISK:
    case IDI_QUESTION:
        Shape(s, MakePixel(30, 100, 215), InCircle);
        Mark(s, id == IDI_ASTERISK ? "i" : "?", RGB(255, 255, 255));
        break;
    case IDI_APPLICATION:
        Shape(s, MakePixel(90, 90, 90), [](double x, double y) { return x >= 2 && x < 30 && y >= 4 && y < 28; });
        Shape(s, white, [](double x, double y) { return x >= 3 && x < 29 && y >= 9 && y < 27; });
        Shape(s, MakePixel(40, 90, 190), [](double x, double y) { return x >= 3 && x < 29 && y >= 5 && y < 9; });
        break;
    default: break;
    }
    return s;
}

// Nearest-pixel scaled copy.
TSurface Scaled(const TSurface& src, int w, int h)
{
    TSurface out(w, h);
    if (src.Empty()) return out;
    for (int y = 0; y < h; ++y)
    {
        const int sy = int((2LL * y + 1) * src.Height() / (2LL * h));
        for (int x = 0; x < w; ++x)
        {
            const int sx = int((2LL * x + 1) * src.Width() / (2LL * w));
            out.Row(y)[x] = src.Row(sy)[sx];
        }
    }
    return out;
}
}  // namespace

HICON LoadIcon(HINSTANCE instance, int id)
{
    if (instance) return nullptr;
    static const int ids[] = {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
    static HICON icons[5];
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 5; ++i)
        {
            auto* o = new IconObject;
            o->Pixels = StockPicture(ids[i]);
            o->Stock = true;
            icons[i] = Register(o);
        }
    });
    for (int i = 0; i < 5; ++i)
        if (ids[i] == id) return icons[i];
    return nullptr;
}

HICON CreateIconFromSurface(const TSurface& pixels, bool isIcon, TPoint hotspot)
{
    if (pixels.Empty()) return nullptr;
    auto* o = new IconObject;
    o->Pixels = pixels.Clone();
    o->IsIcon = isIcon;
    o->Hotspot = hotspot;
    return Register(o);
}

const TSurface* IconSurface(HICON icon)
{
    IconObject* o = Live(icon);
    return o ? &o->Pixels : nullptr;
}

BOOL DestroyIcon(HICON icon)
{
    IconObject* o = Live(icon);
    if (!o) return FALSE;
    if (o->Stock) return TRUE;
    {
        std::lock_guard<std::mutex> g(IconMutex());
        Icons().erase(o);
    }
    delete o;
    return TRUE;
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags)
{
    if (type != IMAGE_ICON && type != IMAGE_CURSOR) return nullptr;
    IconObject* o = Live(static_cast<HICON>(image));
    if (!o || cx < 0 || cy < 0 || cx > 4096 || cy > 4096) return nullptr;
    const int w = cx ? cx : o->Pixels.Width(), h = cy ? cy : o->Pixels.Height();
    auto* n = new IconObject;
    n->Pixels = (w == o->Pixels.Width() && h == o->Pixels.Height()) ? o->Pixels.Clone() : Scaled(o->Pixels, w, h);
    n->IsIcon = o->IsIcon;
    n->Hotspot = TPoint(o->Hotspot.X * w / std::max(1, o->Pixels.Width()), o->Hotspot.Y * h / std::max(1, o->Pixels.Height()));
    HICON copy = Register(n);
    if (flags & LR_COPYDELETEORG) DestroyIcon(o);
    return copy;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags)
{
    IconObject* o = Live(icon);
    DrawTarget t(dc);
    if (!o || !t || !Sane(x, y, cx, cy) || cx < 0 || cy < 0 || cx > 4096 || cy > 4096) return FALSE;
    if (!(flags & DI_NORMAL)) return FALSE;
    int w = cx, h = cy;
    if (w == 0) w = (flags & DI_DEFAULTSIZE) ? 32 : o->Pixels.Width();
    if (h == 0) h = (flags & DI_DEFAULTSIZE) ? 32 : o->Pixels.Height();
    const TSurface pic = (w == o->Pixels.Width() && h == o->Pixels.Height()) ? o->Pixels.Clone() : Scaled(o->Pixels, w, h);
    const TPoint p = t.ToSurface(x, y);
    const TRegion area = t.Clip().Intersect(TRegion(TRect(p.X, p.Y, p.X + w, p.Y + h)));
    for (const TRegion::Band& b : area.Bands())
        for (size_t i = 0; i < b.Xs.size(); i += 2)
            for (int yy = b.Top; yy < b.Bottom; ++yy)
            {
                TPixel* row = t.Surface().Row(yy);
                const TPixel* src = pic.Row(yy - p.Y);
                for (int xx = b.Xs[i]; xx < b.Xs[i + 1]; ++xx)
                {
                    const TPixel s = src[xx - p.X];
                    switch (flags & DI_NORMAL)
                    {
                    case DI_NORMAL: row[xx] = BlendOver(row[xx], s | 0xFF000000u, PixelA(s)); break;
                    case DI_IMAGE: row[xx] = s | 0xFF000000u; break;
                    case DI_MASK:
                        if (PixelA(s) >= 128) row[xx] = 0xFF000000u;
                        break;
                    }
                }
            }
    return TRUE;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info)
{
    IconObject* o = Live(icon);
    if (!o || !info) return FALSE;
    const int w = o->Pixels.Width(), h = o->Pixels.Height();
    HBITMAP mask = CreateCompatibleBitmap(nullptr, w, h);
    HBITMAP color = CreateCompatibleBitmap(nullptr, w, h);
    TSurface* ms = GetBitmapSurface(mask);
    TSurface* cs = GetBitmapSurface(color);
    if (!ms || !cs)
    {
        DeleteObject(mask);
        DeleteObject(color);
        return FALSE;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const TPixel p = o->Pixels.Row(y)[x];
            ms->Row(y)[x] = PixelA(p) >= 128 ? 0xFF000000u : 0xFFFFFFFFu;
            cs->Row(y)[x] = p;
        }
    info->fIcon = o->IsIcon ? TRUE : FALSE;
    info->xHotspot = DWORD(o->Hotspot.X);
    info->yHotspot = DWORD(o->Hotspot.Y);
    info->hbmMask = mask;
    info->hbmColor = color;
    return TRUE;
}
