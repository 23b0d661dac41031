// The generator's painter: anti-aliased shapes, gradients and seamless
// textures drawn into the skin library's 32-bit bitmaps. Coverage comes from
// signed distances (rounded boxes, circles, strokes) or from 4 x 4 samples
// (polygons), so every edge is smooth and every result is the same on every
// run.
#pragma once
#include "lib/bsEffects.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace skingen
{
// A colour with channels 0..255 (kept in floating point while mixing).
struct Rgb
{
    float R = 0, G = 0, B = 0;
};

// "#RRGGBB"; raises std::runtime_error on anything else.
Rgb ParseRgb(const std::string& text);
Rgb Mix(Rgb a, Rgb b, float t);
// Lightness moved by `delta` (HSL lightness, -1..1); hue and saturation kept.
Rgb Lighten(Rgb c, float delta);
Rgb Saturate(Rgb c, float factor);
// The skin colour 0x00BBGGRR of a colour.
int ToColor(Rgb c);
TbsColor ToBs(Rgb c);
Rgb FromBs(TbsColor c);

// A rectangle with fractional edges.
struct Box
{
    float L = 0, T = 0, R = 0, B = 0;
    float W() const { return R - L; }
    float H() const { return B - T; }
    Box Inset(float d) const { return {L + d, T + d, R - d, B - d}; }
};
Box BoxOf(const TRect& r);

// Colour of a pixel centre (x, y) for a fill.
using PaintFn = std::function<Rgb(float x, float y)>;
PaintFn Solid(Rgb c);
// Top to bottom between y0 and y1 (clamped outside).
PaintFn VGradient(float y0, float y1, Rgb top, Rgb bottom);
// Several stops (position 0..1 between y0 and y1, colour).
PaintFn VStops(float y0, float y1, std::vector<std::pair<float, Rgb>> stops);

// Signed distance of a point to a shape (negative inside).
using ShapeFn = std::function<float(float x, float y)>;
ShapeFn RoundBox(Box b, float radius);
// Separate radii for the top and bottom corners.
ShapeFn RoundBox2(Box b, float topRadius, float bottomRadius);
ShapeFn Circle(float cx, float cy, float r);
// A line from (x0, y0) to (x1, y1) with round ends, `width` thick.
ShapeFn Segment(float x0, float y0, float x1, float y1, float width);
// The same line with square ends, reaching `extend` past both end points.
ShapeFn Bar(float x0, float y0, float x1, float y1, float width, float extend = 0);
// A triangle with its corners rounded by `radius`; the rounded shape stays
// within the three points.
ShapeFn Triangle(std::pair<float, float> a, std::pair<float, float> b, std::pair<float, float> c, float radius = 0);
ShapeFn Union(ShapeFn a, ShapeFn b);

// Fills a shape over the pixels of `clip` with coverage anti-aliasing,
// blending the paint over what is there; `alpha` scales the coverage.
void Fill(TbsBitmap& b, const TRect& clip, const ShapeFn& shape, const PaintFn& paint, float alpha = 1.0f);
// The ring between a shape and the same shape moved inwards by `width`.
void Stroke(TbsBitmap& b, const TRect& clip, const ShapeFn& shape, float width, const PaintFn& paint,
            float alpha = 1.0f);
// A closed polygon, 16 samples a pixel.
void FillPolygon(TbsBitmap& b, const std::vector<std::pair<float, float>>& pts, Rgb c, float alpha = 1.0f);
// Plain rectangle fill (no blending).
void FillRect(TbsBitmap& b, const TRect& r, const PaintFn& paint);
// One pixel row / column blended at `alpha`.
void HLine(TbsBitmap& b, int x0, int x1, int y, Rgb c, float alpha = 1.0f);
void VLine(TbsBitmap& b, int x, int y0, int y1, Rgb c, float alpha = 1.0f);
void Blend(TbsBitmap& b, int x, int y, Rgb c, float a);

// Textures: a lightness offset per pixel, periodic with the given period in
// both directions so tiles meet without a seam. `origin` is where the period
// starts (the place the skin tiles from).
enum class Texture { None, Brushed, Stripes, Linen };
float TextureValue(Texture t, int x, int y, int period);
// Adds the texture over `r` with the given strength (lightness units).
void ApplyTexture(TbsBitmap& b, const TRect& r, Texture t, int period, float strength, int originX = 0,
                  int originY = 0);

// Every pixel of `r` whose coverage mask (same size as b) is zero becomes the
// key colour: the transparent colour of auto-transparent pieces.
void KeyOut(TbsBitmap& b, const TRect& r, const ShapeFn& inside, TbsColor key);

// Pixels of a bitmap as 0xAARRGGBB with alpha 255 (what pictures store).
std::vector<std::uint32_t> OpaquePixels(const TbsBitmap& b);
}  // namespace skingen
