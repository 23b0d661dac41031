#include "tools/skingen/Paint.h"

#include "platform/core/Geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace skingen
{
namespace
{
float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
int Byte(float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 255.0f))); }

// Integer hash of a lattice point: the same value on every run.
std::uint32_t Hash(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float Noise01(int x, int y, std::uint32_t seed) { return float(Hash(x, y, seed) & 0xFFFF) / 65535.0f; }

// Smooth value noise with period `p` along x (cells of `cell` pixels).
float PeriodicNoise1(float x, int p, int cell, std::uint32_t seed)
{
    const int cells = std::max(1, p / cell);
    const float fx = x / float(cell);
    const int i0 = static_cast<int>(std::floor(fx));
    const float t = fx - float(i0);
    const float s = t * t * (3 - 2 * t);
    auto at = [&](int i) { return Noise01(((i % cells) + cells) % cells, 0, seed); };
    return at(i0) * (1 - s) + at(i0 + 1) * s;
}
}  // namespace

Rgb ParseRgb(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#') throw std::runtime_error("not a colour: \"" + text + "\"");
    const unsigned long v = std::stoul(text.substr(1), nullptr, 16);
    return {float((v >> 16) & 0xFF), float((v >> 8) & 0xFF), float(v & 0xFF)};
}

Rgb Mix(Rgb a, Rgb b, float t)
{
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

Rgb Lighten(Rgb c, float delta)
{
    float h, s, l;
    BsColorToHSL(ToBs(c), h, s, l);
    return FromBs(HSLToBsColor(h, s, std::clamp(l + delta, 0.0f, 1.0f)));
}

Rgb Saturate(Rgb c, float factor)
{
    float h, s, l;
    BsColorToHSL(ToBs(c), h, s, l);
    return FromBs(HSLToBsColor(h, std::clamp(s * factor, 0.0f, 1.0f), l));
}

int ToColor(Rgb c) { return Byte(c.R) | (Byte(c.G) << 8) | (Byte(c.B) << 16); }

TbsColor ToBs(Rgb c)
{
    return 0xFF000000u | (TbsColor(Byte(c.R)) << 16) | (TbsColor(Byte(c.G)) << 8) | TbsColor(Byte(c.B));
}

Rgb FromBs(TbsColor c) { return {float((c >> 16) & 0xFF), float((c >> 8) & 0xFF), float(c & 0xFF)}; }

Box BoxOf(const TRect& r) { return {float(r.Left), float(r.Top), float(r.Right), float(r.Bottom)}; }

PaintFn Solid(Rgb c)
{
    return [c](float, float) { return c; };
}

PaintFn VGradient(float y0, float y1, Rgb top, Rgb bottom)
{
    return [=](float, float y) { return Mix(top, bottom, y1 > y0 ? Clamp01((y - y0) / (y1 - y0)) : 0.0f); };
}

PaintFn VStops(float y0, float y1, std::vector<std::pair<float, Rgb>> stops)
{
    return [=](float, float y) {
        const float t = y1 > y0 ? Clamp01((y - y0) / (y1 - y0)) : 0.0f;
        if (t <= stops.front().first) return stops.front().second;
        for (std::size_t i = 1; i < stops.size(); ++i)
            if (t <= stops[i].first)
            {
                const float span = stops[i].first - stops[i - 1].first;
                return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1.0f);
            }
        return stops.back().second;
    };
}

ShapeFn RoundBox(Box b, float radius) { return RoundBox2(b, radius, radius); }

ShapeFn RoundBox2(Box b, float topRadius, float bottomRadius)
{
    return [=](float x, float y) {
        const float cx = (b.L + b.R) / 2, cy = (b.T + b.B) / 2;
        const float r = y < cy ? topRadius : bottomRadius;
        const float qx = std::fabs(x - cx) - (b.W() / 2 - r);
        const float qy = std::fabs(y - cy) - (b.H() / 2 - r);
        const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
    };
}

ShapeFn Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

ShapeFn Segment(float x0, float y0, float x1, float y1, float width)
{
    return [=](float x, float y) {
        const float dx = x1 - x0, dy = y1 - y0;
        const float len2 = dx * dx + dy * dy;
        const float t = len2 > 0 ? Clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0.0f;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - width / 2;
    };
}

ShapeFn Bar(float x0, float y0, float x1, float y1, float width, float extend)
{
    const float len = std::hypot(x1 - x0, y1 - y0);
    const float ux = len > 0 ? (x1 - x0) / len : 1.0f, uy = len > 0 ? (y1 - y0) / len : 0.0f;
    const float mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    const float halfLen = len / 2 + extend, halfWidth = width / 2;
    return [=](float x, float y) {
        // The distance to a box turned along the line.
        const float along = std::fabs((x - mx) * ux + (y - my) * uy) - halfLen;
        const float across = std::fabs((y - my) * ux - (x - mx) * uy) - halfWidth;
        const float ox = std::max(along, 0.0f), oy = std::max(across, 0.0f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(along, across), 0.0f);
    };
}

ShapeFn Triangle(std::pair<float, float> a, std::pair<float, float> b, std::pair<float, float> c, float radius)
{
    // Rounded corners: the triangle shrunk towards its incentre by `radius`,
    // then grown back by the same distance.
    const float la = std::hypot(b.first - c.first, b.second - c.second);
    const float lb = std::hypot(c.first - a.first, c.second - a.second);
    const float lc = std::hypot(a.first - b.first, a.second - b.second);
    const float perimeter = la + lb + lc;
    const float area = std::fabs((b.first - a.first) * (c.second - a.second) - (c.first - a.first) * (b.second - a.second)) / 2;
    if (perimeter <= 0 || area <= 0) return [](float, float) { return 1e9f; };
    const float ix = (la * a.first + lb * b.first + lc * c.first) / perimeter;
    const float iy = (la * a.second + lb * b.second + lc * c.second) / perimeter;
    const float inradius = 2 * area / perimeter;
    const float r = std::clamp(radius, 0.0f, inradius * 0.9f);
    const float k = (inradius - r) / inradius;
    float px[3], py[3];
    const std::pair<float, float> pts[3] = {a, b, c};
    for (int i = 0; i < 3; ++i)
    {
        px[i] = ix + (pts[i].first - ix) * k;
        py[i] = iy + (pts[i].second - iy) * k;
    }
    const float turn = (px[1] - px[0]) * (py[2] - py[0]) - (py[1] - py[0]) * (px[2] - px[0]) > 0 ? 1.0f : -1.0f;
    return [=](float x, float y) {
        // Distance to the nearest edge; inside when on the inner side of all three.
        float d2 = 1e18f;
        bool inside = true;
        for (int i = 0; i < 3; ++i)
        {
            const int j = (i + 1) % 3;
            const float ex = px[j] - px[i], ey = py[j] - py[i];
            const float vx = x - px[i], vy = y - py[i];
            const float t = Clamp01((vx * ex + vy * ey) / (ex * ex + ey * ey));
            const float qx = vx - ex * t, qy = vy - ey * t;
            d2 = std::min(d2, qx * qx + qy * qy);
            if (turn * (ex * vy - ey * vx) < 0) inside = false;
        }
        return (inside ? -std::sqrt(d2) : std::sqrt(d2)) - r;
    };
}

ShapeFn Union(ShapeFn a, ShapeFn b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

void Blend(TbsBitmap& b, int x, int y, Rgb c, float a)
{
    if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height() || a <= 0) return;
    TbsColor& p = b.Bits()[std::ptrdiff_t(y) * b.Width() + x];
    p = ToBs(Mix(FromBs(p), c, Clamp01(a)));
}

void Fill(TbsBitmap& b, const TRect& clip, const ShapeFn& shape, const PaintFn& paint, float alpha)
{
    for (int y = std::max(clip.Top, 0); y < std::min(clip.Bottom, b.Height()); ++y)
        for (int x = std::max(clip.Left, 0); x < std::min(clip.Right, b.Width()); ++x)
        {
            const float px = x + 0.5f, py = y + 0.5f;
            const float cov = Clamp01(0.5f - shape(px, py));
            if (cov > 0) Blend(b, x, y, paint(px, py), cov * alpha);
        }
}

void Stroke(TbsBitmap& b, const TRect& clip, const ShapeFn& shape, float width, const PaintFn& paint, float alpha)
{
    for (int y = std::max(clip.Top, 0); y < std::min(clip.Bottom, b.Height()); ++y)
        for (int x = std::max(clip.Left, 0); x < std::min(clip.Right, b.Width()); ++x)
        {
            const float px = x + 0.5f, py = y + 0.5f;
            const float d = shape(px, py);
            const float cov = Clamp01(0.5f - d) - Clamp01(0.5f - (d + width));
            if (cov > 0) Blend(b, x, y, paint(px, py), cov * alpha);
        }
}

void FillPolygon(TbsBitmap& b, const std::vector<std::pair<float, float>>& pts, Rgb c, float alpha)
{
    float minx = 1e9f, miny = 1e9f, maxx = -1e9f, maxy = -1e9f;
    for (auto [x, y] : pts)
    {
        minx = std::min(minx, x), maxx = std::max(maxx, x);
        miny = std::min(miny, y), maxy = std::max(maxy, y);
    }
    for (int y = int(std::floor(miny)); y <= int(std::ceil(maxy)); ++y)
        for (int x = int(std::floor(minx)); x <= int(std::ceil(maxx)); ++x)
        {
            int n = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (InsidePolygon(pts, x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4)) ++n;
            if (n) Blend(b, x, y, c, alpha * n / 16.0f);
        }
}

void FillRect(TbsBitmap& b, const TRect& r, const PaintFn& paint)
{
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b.Height()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, b.Width()); ++x)
            b.Bits()[std::ptrdiff_t(y) * b.Width() + x] = ToBs(paint(x + 0.5f, y + 0.5f));
}

void HLine(TbsBitmap& b, int x0, int x1, int y, Rgb c, float alpha)
{
    for (int x = x0; x < x1; ++x) Blend(b, x, y, c, alpha);
}

void VLine(TbsBitmap& b, int x, int y0, int y1, Rgb c, float alpha)
{
    for (int y = y0; y < y1; ++y) Blend(b, x, y, c, alpha);
}

float TextureValue(Texture t, int x, int y, int period)
{
    const int p = std::max(period, 2);
    const int xm = ((x % p) + p) % p, ym = ((y % p) + p) % p;
    switch (t)
    {
    case Texture::None:
        return 0;
    case Texture::Brushed: {
        // Fine streaks along x: each row swells and fades along its length
        // with a phase of its own, so no row runs as an even line across
        // the tile (repeated every period, it would read as a ruled line);
        // a weak tone per row and a fine grain. All periodic.
        const int cell = std::max(p / 4, 1);
        float rowMean = 0;
        for (int i = 0; i < p; ++i) rowMean += PeriodicNoise1(float(i), p, cell, 13 + ym);
        rowMean /= float(p);
        return (PeriodicNoise1(float(xm), p, cell, 13 + ym) - rowMean) * 0.75f + (Noise01(0, ym, 11) - 0.5f) * 0.2f +
               (Noise01(xm, ym, 12) - 0.5f) * 0.2f;
    }
    case Texture::Stripes: {
        // Diagonal stripes: period p along x + y, a soft two-pixel line.
        const int q = ((x + y) % p + p) % p;
        const float d = std::fabs(float(q) + 0.5f - float(p) / 2);
        return d < 1.5f ? 0.5f - d / 3 : -0.12f;
    }
    case Texture::Linen: {
        // Woven threads: each row and column thread swells and thins along
        // its length (so no thread runs as an even line across the tile and
        // the threads form no regular grid), over and under by turns, plus a
        // fine grain.
        const int cell = std::max(p / 4, 2);
        const float rows = PeriodicNoise1(float(xm), p, cell, 31 + ym) - 0.5f;
        const float cols = PeriodicNoise1(float(ym), p, cell, 61 + xm) - 0.5f;
        const bool over = ((xm + ym) & 1) != 0;
        const float grain = Noise01(xm, ym, 23) - 0.5f;
        return (over ? rows * 0.55f + cols * 0.25f : rows * 0.25f + cols * 0.55f) + grain * 0.3f;
    }
    }
    return 0;
}

void ApplyTexture(TbsBitmap& b, const TRect& r, Texture t, int period, float strength, int originX, int originY)
{
    if (t == Texture::None || strength == 0) return;
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b.Height()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, b.Width()); ++x)
        {
            const float v = TextureValue(t, x - originX, y - originY, period) * strength;
            TbsColor& p = b.Bits()[std::ptrdiff_t(y) * b.Width() + x];
            Rgb c = FromBs(p);
            const float k = v * 255.0f;
            p = ToBs({c.R + k, c.G + k, c.B + k});
        }
}

void KeyOut(TbsBitmap& b, const TRect& r, const ShapeFn& inside, TbsColor key)
{
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, b.Height()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, b.Width()); ++x)
            if (Clamp01(0.5f - inside(x + 0.5f, y + 0.5f)) <= 0.0f)
                b.Bits()[std::ptrdiff_t(y) * b.Width() + x] = key | 0xFF000000u;
}

std::vector<std::uint32_t> OpaquePixels(const TbsBitmap& b)
{
    std::vector<std::uint32_t> out(static_cast<std::size_t>(b.Width()) * b.Height());
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            out[static_cast<std::size_t>(y) * b.Width() + x] = b.Bits()[std::ptrdiff_t(y) * b.Width() + x] | 0xFF000000u;
    return out;
}
}  // namespace skingen
