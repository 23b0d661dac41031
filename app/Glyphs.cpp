#include "app/Glyphs.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/gui/Graphics.h"

namespace glyphs {

namespace {

// ---- a small anti-aliased painter ----------------------------------------
// Shapes are inside tests in design units; a pixel's coverage is the share
// of its 4 x 4 sample points inside. Colours are straight ARGB. Shapes and
// paints are plain function objects of their own types, so that the tests
// run inline: every pixel asks its shape sixteen times.

// An inside test and the box (design units) outside which it never holds.
// A convex shape holds a square whenever it holds the square's corners.
template <class In>
struct Shape
{
    In in;
    float x0 = -1e9f, y0 = -1e9f, x1 = 1e9f, y1 = 1e9f;
    bool convex = false;
    bool operator()(float x, float y) const { return in(x, y); }
};
template <class In>
Shape<In> MakeShape(In in, float x0, float y0, float x1, float y1, bool convex = false)
{
    return {std::move(in), x0, y0, x1, y1, convex};
}

struct Rgb
{
    float r, g, b;
};

Rgb ToRgb(TPixel p) { return {float(PixelR(p)), float(PixelG(p)), float(PixelB(p))}; }

TPixel Px(Rgb c, float a = 1.0f)
{
    auto ch = [](float v) { return BYTE(std::clamp(std::lround(v), 0L, 255L)); };
    return MakePixel(ch(c.r), ch(c.g), ch(c.b), ch(a * 255.0f));
}

TPixel Hex(std::uint32_t rgb) { return MakePixel(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb)); }

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

class Painter
{
public:
    // A w x h picture whose design units are `unit` pixels.
    Painter(int w, int h, float unit) : s_(w, h), unit_(unit) {}

    // `paint` gives the colour at a pixel's centre: a TPixel, or a function
    // of (x, y) in design units.
    template <class In, class Paint>
    void Fill(const Shape<In>& shape, const Paint& paint)
    {
        const float step = 1.0f / (4.0f * unit_);
        auto px = [this](float v) { return int(std::floor(std::clamp(v * unit_, -1.0f, 1e6f))); };
        const int xa = std::max(0, px(shape.x0)), xb = std::min(s_.Width() - 1, px(shape.x1) + 1);
        const int ya = std::max(0, px(shape.y0)), yb = std::min(s_.Height() - 1, px(shape.y1) + 1);
        for (int y = ya; y <= yb; ++y)
        {
            TPixel* row = s_.Row(y);
            for (int x = xa; x <= xb; ++x)
            {
                int in = 0;
                const float ux = x / unit_, uy = y / unit_;
                // Inside a convex shape at the four corner samples: inside at all.
                const float a = 0.5f * step, e = 3.5f * step;
                if (shape.convex && shape(ux + a, uy + a) && shape(ux + e, uy + a) && shape(ux + a, uy + e) &&
                    shape(ux + e, uy + e))
                    in = 16;
                else
                    for (int j = 0; j < 4; ++j)
                        for (int i = 0; i < 4; ++i)
                            if (shape(ux + (i + 0.5f) * step, uy + (j + 0.5f) * step)) ++in;
                if (in == 0) continue;
                TPixel c;
                if constexpr (std::is_convertible_v<Paint, TPixel>)
                    c = paint;
                else
                    c = paint(ux + 0.5f / unit_, uy + 0.5f / unit_);
                Over(row[x], c, (in / 16.0f) * (PixelA(c) / 255.0f));
            }
        }
    }
    TSurface& Surface() { return s_; }

private:
    static void Over(TPixel& pixel, TPixel c, float a)
    {
        const TPixel d = pixel;
        const float da = PixelA(d) / 255.0f, oa = a + da * (1.0f - a);
        if (oa <= 0.0f) return;
        const Rgb src = ToRgb(c), dst = ToRgb(d);
        const Rgb out{(src.r * a + dst.r * da * (1.0f - a)) / oa, (src.g * a + dst.g * da * (1.0f - a)) / oa,
                      (src.b * a + dst.b * da * (1.0f - a)) / oa};
        pixel = Px(out, oa);
    }
    TSurface s_;
    float unit_;
};

// ---- shapes ----

auto Circle(float cx, float cy, float r)
{
    return MakeShape([=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }, cx - r,
                     cy - r, cx + r, cy + r, true);
}

auto Ring(float cx, float cy, float r, float w)
{
    return MakeShape(
        [=](float x, float y) {
            const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            return d <= r && d >= r - w;
        },
        cx - r, cy - r, cx + r, cy + r);
}

auto RoundRect(float x0, float y0, float x1, float y1, float r)
{
    return MakeShape(
        [=](float x, float y) {
            if (x < x0 || x > x1 || y < y0 || y > y1) return false;
            const float dx = x < x0 + r ? x0 + r - x : (x > x1 - r ? x - (x1 - r) : 0.0f);
            const float dy = y < y0 + r ? y0 + r - y : (y > y1 - r ? y - (y1 - r) : 0.0f);
            return dx * dx + dy * dy <= r * r;
        },
        x0, y0, x1, y1, true);
}

// A segment with round ends, w wide.
auto Capsule(float x0, float y0, float x1, float y1, float w)
{
    return MakeShape(
        [=](float x, float y) {
            const float vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
            float t = len2 > 0 ? ((x - x0) * vx + (y - y0) * vy) / len2 : 0.0f;
            t = std::clamp(t, 0.0f, 1.0f);
            const float dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
            return dx * dx + dy * dy <= w * w / 4.0f;
        },
        std::min(x0, x1) - w / 2, std::min(y0, y1) - w / 2, std::max(x0, x1) + w / 2, std::max(y0, y1) + w / 2, true);
}

auto Polygon(std::vector<std::pair<float, float>> pts)
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (auto [x, y] : pts)
    {
        x0 = std::min(x0, x), y0 = std::min(y0, y);
        x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    // Convex when every corner turns the same way and the edges go round
    // once: a star turns one way too, but its edges change between
    // rightwards and leftwards more than twice.
    const std::size_t n = pts.size();
    auto dx = [&pts, n](std::size_t i) { return pts[(i + 1) % n].first - pts[i].first; };
    float lastDx = 0.0f;
    for (std::size_t i = 0; i < n; ++i)
        if (dx(i) != 0.0f) lastDx = dx(i);
    bool left = false, right = false;
    int flips = 0;
    for (std::size_t i = 0; i < n; ++i)
    {
        if (dx(i) != 0.0f)
        {
            if ((dx(i) > 0.0f) != (lastDx > 0.0f)) ++flips;
            lastDx = dx(i);
        }
        const auto [ax, ay] = pts[i];
        const auto [bx, by] = pts[(i + 1) % n];
        const auto [cx, cy] = pts[(i + 2) % n];
        const float turn = (bx - ax) * (cy - by) - (by - ay) * (cx - bx);
        left = left || turn > 0.0f;
        right = right || turn < 0.0f;
    }
    const bool convex = !(left && right) && flips <= 2;
    return MakeShape([pts = std::move(pts)](float x, float y) { return InsidePolygon(pts, x, y); }, x0, y0, x1, y1,
                     convex);
}

// A shape given by a test alone (checked everywhere in the box).
template <class In>
Shape<In> Test(In in, float x0, float y0, float x1, float y1)
{
    return MakeShape(std::move(in), x0, y0, x1, y1);
}

// The whole box.
auto Box(float x0, float y0, float x1, float y1)
{
    return MakeShape([](float, float) { return true; }, x0, y0, x1, y1, true);
}

// A film's two rows of holes: the rows [a0, a1] and [b0, b1], holes `hole`
// wide every `pitch` from x0 to x1.
auto Perforations(float x0, float x1, float a0, float a1, float b0, float b1, float pitch, float hole)
{
    return MakeShape(
        [=](float x, float y) {
            if (!((y >= a0 && y <= a1) || (y >= b0 && y <= b1)) || x < x0 || x > x1) return false;
            const float fx = std::fmod(x - x0, pitch);
            return fx >= 0.0f && fx <= hole;
        },
        x0, a0, x1, b1);
}

template <class A, class B>
auto Minus(Shape<A> a, Shape<B> b)
{
    const float x0 = a.x0, y0 = a.y0, x1 = a.x1, y1 = a.y1;
    return MakeShape([a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) && !b(x, y); }, x0, y0,
                     x1, y1);
}

template <class A, class B>
auto And(Shape<A> a, Shape<B> b)
{
    const float x0 = std::max(a.x0, b.x0), y0 = std::max(a.y0, b.y0), x1 = std::min(a.x1, b.x1),
                y1 = std::min(a.y1, b.y1);
    const bool convex = a.convex && b.convex;
    return MakeShape([a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) && b(x, y); }, x0, y0,
                     x1, y1, convex);
}

template <class A, class B>
auto Or(Shape<A> a, Shape<B> b)
{
    const float x0 = std::min(a.x0, b.x0), y0 = std::min(a.y0, b.y0), x1 = std::max(a.x1, b.x1),
                y1 = std::max(a.y1, b.y1);
    return MakeShape([a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) || b(x, y); }, x0, y0,
                     x1, y1);
}

// A colour lit from the top: lighter at y0, the colour itself at y1.
auto Lit(TPixel colour, float y0, float y1)
{
    const Rgb c = ToRgb(colour), top = Mix(c, {255, 255, 255}, 0.35f);
    return [=](float, float y) { return Px(Mix(top, c, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f))); };
}

// ---- the glyphs (drawn in a 24 x 24 design square) ----

const TPixel kWhite = Hex(0xFFFFFF);
const TPixel kBlue = Hex(0x2F74D0), kGreen = Hex(0x2E9D4E), kRed = Hex(0xD2433B), kOrange = Hex(0xE39A2D);
const TPixel kSlate = Hex(0x56687E), kInk = Hex(0x3A4552), kAmber = Hex(0xE8B13A);

// A film frame: the body of the add and remove glyphs.
void Film(Painter& p)
{
    p.Fill(RoundRect(2.5f, 4.5f, 18.5f, 18.5f, 2.0f), Lit(kBlue, 4.5f, 18.5f));
    p.Fill(Perforations(4.0f, 17.5f, 6.0f, 7.5f, 15.5f, 17.0f, 3.5f, 1.6f), Hex(0xE8F0FB));
    p.Fill(Polygon({{8.5f, 9.0f}, {8.5f, 14.0f}, {12.8f, 11.5f}}), kWhite);
}

void Badge(Painter& p, TPixel colour, bool plus)
{
    p.Fill(Circle(17.5f, 17.5f, 6.0f), kWhite);
    p.Fill(Circle(17.5f, 17.5f, 5.0f), Lit(colour, 12.5f, 22.5f));
    p.Fill(Capsule(14.8f, 17.5f, 20.2f, 17.5f, 2.0f), kWhite);
    if (plus) p.Fill(Capsule(17.5f, 14.8f, 17.5f, 20.2f, 2.0f), kWhite);
}

auto Gear(float cx, float cy, float r, float teeth)
{
    return Test(
        [=](float x, float y) {
            const float dx = x - cx, dy = y - cy, d = std::sqrt(dx * dx + dy * dy);
            const float a = std::atan2(dy, dx);
            const float tooth = std::cos(a * teeth) > 0.25f ? r : r * 0.78f;
            return d <= tooth && d >= r * 0.36f;
        },
        cx - r, cy - r, cx + r, cy + r);
}

auto Speaker()
{
    return Polygon({{3.5f, 9.0f}, {7.5f, 9.0f}, {12.5f, 4.5f}, {12.5f, 19.5f}, {7.5f, 15.0f}, {3.5f, 15.0f}});
}

void DrawGlyph(Painter& p, TGlyph g)
{
    switch (g)
    {
    case gAdd:
        Film(p);
        Badge(p, kGreen, true);
        break;
    case gRemove:
        Film(p);
        Badge(p, kRed, false);
        break;
    case gClear:
        p.Fill(RoundRect(9.0f, 2.5f, 15.0f, 5.5f, 1.2f), kSlate);
        p.Fill(RoundRect(4.0f, 4.5f, 20.0f, 7.5f, 1.2f), Lit(kSlate, 4.5f, 7.5f));
        p.Fill(Polygon({{5.5f, 8.5f}, {18.5f, 8.5f}, {17.0f, 21.5f}, {7.0f, 21.5f}}), Lit(Hex(0x7C8EA3), 8.5f, 21.5f));
        for (float x : {9.0f, 12.0f, 15.0f}) p.Fill(Capsule(x, 11.0f, x, 19.0f, 1.3f), Hex(0xE4EAF1));
        break;
    case gStart:
        p.Fill(Circle(12.0f, 12.0f, 10.0f), Lit(kGreen, 2.0f, 22.0f));
        p.Fill(Polygon({{9.3f, 6.8f}, {9.3f, 17.2f}, {17.6f, 12.0f}}), kWhite);
        break;
    case gStop:
        p.Fill(RoundRect(3.0f, 3.0f, 21.0f, 21.0f, 3.5f), Lit(kRed, 3.0f, 21.0f));
        p.Fill(RoundRect(8.0f, 8.0f, 16.0f, 16.0f, 1.2f), kWhite);
        break;
    case gPause:
        p.Fill(Circle(12.0f, 12.0f, 10.0f), Lit(kOrange, 2.0f, 22.0f));
        p.Fill(RoundRect(8.0f, 7.0f, 10.8f, 17.0f, 0.8f), kWhite);
        p.Fill(RoundRect(13.2f, 7.0f, 16.0f, 17.0f, 0.8f), kWhite);
        break;
    case gResume:
        p.Fill(Circle(12.0f, 12.0f, 10.0f), Lit(kBlue, 2.0f, 22.0f));
        p.Fill(RoundRect(7.2f, 7.0f, 9.6f, 17.0f, 0.8f), kWhite);
        p.Fill(Polygon({{11.3f, 7.0f}, {11.3f, 17.0f}, {18.2f, 12.0f}}), kWhite);
        break;
    case gOptions:
        p.Fill(Gear(12.0f, 12.0f, 10.0f, 8.0f), Lit(kSlate, 2.0f, 22.0f));
        p.Fill(Ring(12.0f, 12.0f, 5.4f, 1.2f), Hex(0x8FA2B8));
        break;
    case gSkin:
        p.Fill(Minus(Circle(12.0f, 12.5f, 10.0f), Circle(15.5f, 17.0f, 2.4f)), Lit(kAmber, 2.5f, 22.5f));
        p.Fill(Circle(7.5f, 10.0f, 2.1f), kRed);
        p.Fill(Circle(11.5f, 6.5f, 2.1f), kBlue);
        p.Fill(Circle(16.5f, 8.5f, 2.1f), kGreen);
        p.Fill(Circle(7.8f, 15.8f, 2.1f), Hex(0x8E44AD));
        break;
    case gRename:
        p.Fill(Polygon({{5.0f, 19.0f}, {6.3f, 14.2f}, {9.8f, 17.7f}}), kInk);
        p.Fill(Polygon({{6.3f, 14.2f}, {16.0f, 4.5f}, {19.5f, 8.0f}, {9.8f, 17.7f}}), Lit(kAmber, 4.5f, 17.7f));
        p.Fill(Polygon({{16.0f, 4.5f}, {17.5f, 3.0f}, {21.0f, 6.5f}, {19.5f, 8.0f}}), kRed);
        p.Fill(Capsule(4.0f, 21.0f, 20.0f, 21.0f, 1.4f), kSlate);
        break;
    case gMoveUp:
        p.Fill(Polygon({{12.0f, 3.5f}, {20.5f, 12.5f}, {15.0f, 12.5f}, {15.0f, 20.5f}, {9.0f, 20.5f}, {9.0f, 12.5f},
                        {3.5f, 12.5f}}),
               Lit(kBlue, 3.5f, 20.5f));
        break;
    case gMoveDown:
        p.Fill(Polygon({{12.0f, 20.5f}, {20.5f, 11.5f}, {15.0f, 11.5f}, {15.0f, 3.5f}, {9.0f, 3.5f}, {9.0f, 11.5f},
                        {3.5f, 11.5f}}),
               Lit(kBlue, 3.5f, 20.5f));
        break;
    case gPlay:
        p.Fill(Polygon({{6.5f, 4.0f}, {6.5f, 20.0f}, {19.5f, 12.0f}}), Lit(kGreen, 4.0f, 20.0f));
        break;
    case gPreviewPause:
        p.Fill(RoundRect(5.5f, 4.5f, 10.0f, 19.5f, 1.0f), Lit(kOrange, 4.5f, 19.5f));
        p.Fill(RoundRect(14.0f, 4.5f, 18.5f, 19.5f, 1.0f), Lit(kOrange, 4.5f, 19.5f));
        break;
    case gPreviewStop:
        p.Fill(RoundRect(5.0f, 5.0f, 19.0f, 19.0f, 2.0f), Lit(kRed, 5.0f, 19.0f));
        break;
    case gMute:
        p.Fill(Speaker(), Lit(kSlate, 4.5f, 19.5f));
        p.Fill(And(Ring(12.5f, 12.0f, 6.5f, 1.6f), Test([](float x, float) { return x >= 15.0f; }, 15.0f, 0, 24, 24)),
               kSlate);
        p.Fill(And(Ring(12.5f, 12.0f, 10.0f, 1.6f), Test([](float x, float) { return x >= 17.5f; }, 17.5f, 0, 24, 24)),
               kSlate);
        break;
    case gUnmute:
        p.Fill(Speaker(), Lit(kSlate, 4.5f, 19.5f));
        p.Fill(Capsule(15.0f, 8.5f, 21.0f, 15.5f, 2.0f), kRed);
        p.Fill(Capsule(15.0f, 15.5f, 21.0f, 8.5f, 2.0f), kRed);
        break;
    case gSnapshot:
        p.Fill(RoundRect(2.5f, 7.0f, 21.5f, 20.0f, 2.5f), Lit(kInk, 7.0f, 20.0f));
        p.Fill(RoundRect(7.5f, 4.0f, 13.5f, 8.0f, 1.0f), kInk);
        p.Fill(Circle(12.0f, 13.5f, 4.6f), Hex(0xDDE6F0));
        p.Fill(Circle(12.0f, 13.5f, 3.0f), Lit(kBlue, 10.5f, 16.5f));
        p.Fill(Circle(18.3f, 9.8f, 1.0f), kAmber);
        break;
    case gSnapshotMenu:
        p.Fill(Gear(10.5f, 10.5f, 8.5f, 7.0f), Lit(kSlate, 2.0f, 19.0f));
        p.Fill(Polygon({{14.5f, 17.0f}, {22.0f, 17.0f}, {18.25f, 21.5f}}), kInk);
        break;
    }
}

// A glyph's own picture at a size is the same whatever the ground and state,
// so each is drawn once. Any thread may ask; the lock guards the list, whose
// pictures stay where they are once drawn.
const TSurface& GlyphPicture(TGlyph glyph, int size)
{
    static std::mutex lock;
    static std::map<std::pair<TGlyph, int>, TSurface> drawn;
    const std::lock_guard<std::mutex> hold(lock);
    auto it = drawn.find({glyph, size});
    if (it == drawn.end())
    {
        Painter p(size, size, size / 24.0f);
        DrawGlyph(p, glyph);
        it = drawn.emplace(std::make_pair(glyph, size), std::move(p.Surface())).first;
    }
    return it->second;
}

}  // namespace

void DrawAhead(TGlyph glyph, int size) { GlyphPicture(glyph, size); }

std::unique_ptr<TBitmap> ButtonGlyph(TGlyph glyph, int size, bool enabled, TPixel ground)
{
    const TSurface& s = GlyphPicture(glyph, size);
    const Rgb g = ToRgb(ground);
    // On a dark button the glyphs' dark greys turn light, so they stay readable.
    const bool darkGround = 0.30f * g.r + 0.59f * g.g + 0.11f * g.b < 110.0f;
    TSurface out(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const TPixel c = s.Pixel(x, y);
            Rgb col = ToRgb(c);
            float a = PixelA(c) / 255.0f;
            const float hi = std::max({col.r, col.g, col.b}), lo = std::min({col.r, col.g, col.b});
            if (darkGround && hi - lo < 60.0f && hi < 170.0f)
                col = {255.0f - col.r * 0.45f, 255.0f - col.g * 0.45f, 255.0f - col.b * 0.45f};
            if (!enabled)
            {
                // Grey, and half way to the ground.
                const float l = 0.30f * col.r + 0.59f * col.g + 0.11f * col.b;
                col = {l, l, l};
                a *= 0.5f;
            }
            out.SetPixel(x, y, Px(Mix(g, col, a)));
        }
    // The bottom-left pixel names the transparent colour.
    out.SetPixel(0, size - 1, Px(g));
    auto b = std::make_unique<TBitmap>();
    b->FromSurface(out, pf24bit);
    return b;
}

TSurface LogoPicture(int size)
{
    Painter p(size, size, size / 48.0f);
    // A rounded tile of deep blue, a white film frame and an orange arrow
    // turning one format into another.
    p.Fill(RoundRect(2.0f, 2.0f, 46.0f, 46.0f, 9.0f), Lit(Hex(0x1F5FB8), 2.0f, 46.0f));
    p.Fill(RoundRect(9.0f, 11.0f, 31.0f, 33.0f, 3.0f), kWhite);
    p.Fill(RoundRect(12.0f, 17.0f, 28.0f, 27.0f, 1.5f), Lit(Hex(0x2F74D0), 17.0f, 27.0f));
    p.Fill(Perforations(11.5f, 29.0f, 12.5f, 15.0f, 29.0f, 31.5f, 4.5f, 2.2f), Hex(0x1F5FB8));
    p.Fill(Polygon({{27.0f, 27.0f}, {36.0f, 27.0f}, {36.0f, 22.0f}, {44.0f, 31.0f}, {36.0f, 40.0f}, {36.0f, 35.0f},
                    {27.0f, 35.0f}}),
           Lit(Hex(0xF29B2E), 22.0f, 40.0f));
    return std::move(p.Surface());
}

std::unique_ptr<TBitmap> LogoBitmap(int size)
{
    auto b = std::make_unique<TBitmap>();
    b->FromSurface(LogoPicture(size), pf32bit);
    b->AlphaFormat = afDefined;
    return b;
}

std::unique_ptr<TBitmap> EmptyListPicture(int w, int h)
{
    // Drawn in units of h / 100: a dashed frame with a film and a plus sign,
    // in soft colours that sit on light and dark panels alike.
    const float u = h / 100.0f, W = w / u;
    Painter p(w, h, u);
    const TPixel line = MakePixel(0x7F, 0x95, 0xAE, 170);
    // The frame's four sides, dashed along their length.
    const auto frame = Minus(RoundRect(2.0f, 2.0f, W - 2.0f, 98.0f, 8.0f), RoundRect(4.0f, 4.0f, W - 4.0f, 96.0f, 6.0f));
    const auto dashes = Test(
        [](float x, float y) { return std::fmod((y < 8.0f || y > 92.0f) ? x : y, 9.0f) < 5.5f; }, 0, 0, W, 100);
    for (const auto& side : {And(frame, Box(0, 0, W, 8)), And(frame, Box(0, 92, W, 100)), And(frame, Box(0, 8, 8, 92)),
                             And(frame, Box(W - 8, 8, W, 92))})
        p.Fill(And(side, dashes), line);
    const float cx = W / 2.0f;
    p.Fill(RoundRect(cx - 22.0f, 22.0f, cx + 22.0f, 66.0f, 5.0f), MakePixel(0x2F, 0x74, 0xD0, 210));
    p.Fill(Perforations(cx - 19.0f, cx + 19.0f, 25.0f, 29.0f, 59.0f, 63.0f, 7.0f, 3.5f), MakePixel(0xF4, 0xF7, 0xFB, 230));
    p.Fill(Polygon({{cx - 6.0f, 35.0f}, {cx - 6.0f, 53.0f}, {cx + 9.0f, 44.0f}}), MakePixel(0xFF, 0xFF, 0xFF, 240));
    p.Fill(Circle(cx + 22.0f, 66.0f, 12.0f), MakePixel(0xFF, 0xFF, 0xFF, 235));
    p.Fill(Circle(cx + 22.0f, 66.0f, 10.0f), MakePixel(0x2E, 0x9D, 0x4E, 235));
    p.Fill(Or(Capsule(cx + 16.5f, 66.0f, cx + 27.5f, 66.0f, 3.2f), Capsule(cx + 22.0f, 60.5f, cx + 22.0f, 71.5f, 3.2f)),
           kWhite);
    auto b = std::make_unique<TBitmap>();
    b->FromSurface(p.Surface(), pf32bit);
    b->AlphaFormat = afDefined;
    return b;
}

}  // namespace glyphs
