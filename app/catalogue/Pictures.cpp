#include "app/catalogue/Pictures.h"

#include <cmath>

namespace catalogue {

namespace {

constexpr std::uint32_t kInk = 0xFF202830, kWhite = 0xFFF4F6F8, kScreen = 0xFF3A8EE6;

struct Canvas
{
    Picture px{};
    void Put(int x, int y, std::uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < kPictureSize && y < kPictureSize)
            px[y * kPictureSize + x] = c;
    }
    void Rect(int x0, int y0, int x1, int y1, std::uint32_t c)  // inclusive
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Put(x, y, c);
    }
    void RoundRect(int x0, int y0, int x1, int y1, int r, std::uint32_t c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int dx = x < x0 + r ? x0 + r - x : x > x1 - r ? x - (x1 - r) : 0;
                int dy = y < y0 + r ? y0 + r - y : y > y1 - r ? y - (y1 - r) : 0;
                if (dx * dx + dy * dy <= r * r)
                    Put(x, y, c);
            }
    }
    void Disc(double cx, double cy, double r, std::uint32_t c)
    {
        for (int y = 0; y < kPictureSize; ++y)
            for (int x = 0; x < kPictureSize; ++x)
                if ((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy) <= r * r)
                    Put(x, y, c);
    }
    void Line(int x0, int y0, int x1, int y1, int w, std::uint32_t c)
    {
        int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i) {
            int x = x0 + (x1 - x0) * i / std::max(n, 1), y = y0 + (y1 - y0) * i / std::max(n, 1);
            Rect(x - w / 2, y - w / 2, x - w / 2 + w - 1, y - w / 2 + w - 1, c);
        }
    }
};

enum Kind { Film, Note, HdScreen, Phone, Tablet, Handheld, Console, Television, Camcorder, Disc, Flash, Pod };

void Draw(Canvas& k, Kind kind, std::uint32_t accent)
{
    switch (kind) {
    case Film:
        k.RoundRect(3, 6, 28, 25, 2, kInk);
        for (int x = 5; x < 28; x += 4) {
            k.Rect(x, 8, x + 1, 9, kWhite);
            k.Rect(x, 22, x + 1, 23, kWhite);
        }
        k.Rect(6, 11, 14, 20, accent);
        k.Rect(17, 11, 25, 20, accent);
        break;
    case Note:
        k.Disc(10, 23, 4.5, accent);
        k.Disc(23, 20, 4.5, accent);
        k.Rect(13, 6, 14, 23, accent);
        k.Rect(26, 4, 27, 20, accent);
        k.Line(13, 6, 27, 3, 3, accent);
        break;
    case HdScreen:
        k.RoundRect(2, 5, 29, 24, 2, kInk);
        k.Rect(4, 7, 27, 22, accent);
        k.Rect(8, 10, 9, 19, kWhite), k.Rect(13, 10, 14, 19, kWhite), k.Rect(10, 14, 12, 15, kWhite);
        k.Rect(17, 10, 18, 19, kWhite), k.Rect(19, 10, 21, 11, kWhite), k.Rect(19, 18, 21, 19, kWhite);
        k.Rect(22, 12, 23, 17, kWhite);
        k.Rect(12, 26, 19, 27, kInk);
        break;
    case Phone:
        k.RoundRect(9, 2, 22, 29, 3, kInk);
        k.Rect(11, 6, 20, 24, accent);
        k.Disc(16, 27, 1.2, kWhite);
        break;
    case Tablet:
        k.RoundRect(4, 3, 27, 28, 3, kInk);
        k.Rect(6, 6, 25, 24, accent);
        k.Disc(16, 26.5, 1.2, kWhite);
        break;
    case Handheld:
        k.RoundRect(1, 9, 30, 23, 6, kInk);
        k.Rect(9, 11, 22, 21, accent);
        k.Rect(3, 15, 7, 16, kWhite), k.Rect(4, 14, 5, 17, kWhite);
        k.Disc(26, 14, 1.3, kWhite), k.Disc(26, 18.5, 1.3, kWhite);
        break;
    case Console:
        k.Disc(16, 16, 13, accent);
        k.Line(9, 9, 23, 23, 4, kWhite);
        k.Line(23, 9, 9, 23, 4, kWhite);
        break;
    case Television:
        k.RoundRect(2, 4, 29, 23, 2, kInk);
        k.Rect(4, 6, 27, 21, accent);
        k.Rect(14, 24, 17, 26, kInk);
        k.Rect(9, 27, 22, 28, kInk);
        break;
    case Camcorder:
        k.RoundRect(3, 10, 21, 24, 2, kInk);
        k.Disc(10, 17, 4.5, accent);
        k.Disc(10, 17, 2, kInk);
        k.Rect(22, 12, 28, 22, kInk);
        k.Rect(14, 6, 20, 9, accent);
        break;
    case Disc:
        k.Disc(16, 16, 13.5, 0xFFB8C2CC);
        k.Disc(16, 16, 12, accent);
        k.Disc(16, 16, 4, 0xFFB8C2CC);
        k.Disc(16, 16, 2, 0);
        break;
    case Pod:  // a music player with its wheel
        k.RoundRect(8, 2, 23, 29, 3, kInk);
        k.Rect(10, 4, 21, 13, accent);
        k.Disc(15.5, 21.5, 5.5, 0xFFB8C2CC);
        k.Disc(15.5, 21.5, 2, kInk);
        break;
    case Flash:
        k.RoundRect(3, 3, 28, 28, 5, accent);
        k.Line(19, 6, 11, 17, 3, kWhite);
        k.Line(11, 17, 21, 15, 3, kWhite);
        k.Line(21, 15, 13, 26, 3, kWhite);
        break;
    }
}

}  // namespace

Picture CategoryPicture(int index)
{
    Canvas k;
    if (index < 0 || index >= kCategoryPictureCount)
        return k.px;
    // The pictures the categories show, by index; every other index is a film
    // strip in a colour of its own.
    Kind kind = Film;
    std::uint32_t accent = 0xFF000000 | ((index * 0x3D5A7F + 0x4080C0) & 0x00FFFFFF) | 0x00404040;
    switch (index) {
    case 0: kind = Film, accent = kScreen; break;              // common video
    case 1: kind = Note, accent = 0xFF2E9E5B; break;           // common audio
    case 2: kind = HdScreen, accent = 0xFF2D6FD2; break;       // HD
    case 3: kind = Pod, accent = 0xFF5C7BD6; break;            // iPod
    case 4: kind = Phone, accent = 0xFF8FA3B8; break;          // iPhone
    case 5: kind = Handheld, accent = kScreen; break;          // PSP
    case 6: kind = Phone, accent = 0xFFE0892B; break;          // 3GP phones
    case 7: kind = Television, accent = 0xFF8FA3B8; break;     // Apple TV
    case 8: kind = Console, accent = 0xFF3C9A2E; break;        // Xbox
    case 9: kind = Handheld, accent = 0xFF7A56C9; break;       // portable players
    case 10: kind = Film, accent = 0xFFE0892B; break;          // MP4
    case 11: kind = Flash, accent = 0xFFD23B2D; break;         // Flash
    case 13: kind = Film, accent = 0xFF7A56C9; break;          // AVI
    case 15: kind = Tablet, accent = 0xFF8FA3B8; break;        // iPad
    case 18: kind = Disc, accent = 0xFFE8C547; break;          // MPG
    case 19: kind = Flash, accent = 0xFFB0302A; break;         // SWF
    case 26: kind = Film, accent = 0xFF3FA7A0; break;          // MKV
    case 28: kind = Camcorder, accent = 0xFF5C7BD6; break;     // MOD
    case 30: kind = Film, accent = 0xFF2F77C0; break;          // WMV
    case 38: kind = Camcorder, accent = 0xFFD65C5C; break;     // MTS
    case 40: kind = Phone, accent = 0xFF35B36B; break;         // smartphone
    case 42: kind = Television, accent = kScreen; break;       // smart TV
    default: break;
    }
    Draw(k, kind, accent);
    return k.px;
}

Picture PresetPicture(int index)
{
    Canvas k;
    if (index < 0 || index >= kPresetPictureCount)
        return k.px;
    // The preset box alternates 0 and 1; the other five are spares in the same style.
    static const std::uint32_t accents[kPresetPictureCount] = {0xFF3A8EE6, 0xFF2E9E5B, 0xFFE0892B, 0xFF7A56C9,
                                                               0xFFD23B2D, 0xFF3FA7A0, 0xFF8FA3B8};
    Draw(k, Film, accents[index]);
    return k.px;
}

}  // namespace catalogue
