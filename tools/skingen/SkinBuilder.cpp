#include "tools/skingen/SkinBuilder.h"

#include "lib/bsSkinValidate.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace skingen
{
namespace
{
const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const TbsColor kKey = 0xFFFF00FFu;   // magenta, the transparent colour
// The least coverage of the window's outline at which a pixel stays in a
// masked window; pixels below it show the layered border's edge, if any.
constexpr float kMaskKeeps = 0.3f;
// Room for the title in the narrowest frame: some eight characters.
constexpr int kTitleRoom = 80;

float Coverage(const ShapeFn& shape, int x, int y) { return std::clamp(0.5f - shape(x + 0.5f, y + 0.5f), 0.0f, 1.0f); }

enum class State { Normal, Hot, Pressed, Focused, Disabled };
const State kStates[] = {State::Normal, State::Hot, State::Pressed, State::Focused, State::Disabled};

// Moves a text colour away from its background until it reaches `ratio`.
Rgb Readable(Rgb fg, Rgb bg, double ratio)
{
    const bool lighter = bsContrastRatio(ToColor(kWhite), ToColor(bg)) > bsContrastRatio(ToColor(kBlack), ToColor(bg));
    for (int i = 0; i < 100 && bsContrastRatio(ToColor(fg), ToColor(bg)) < ratio; ++i)
        fg = Lighten(fg, lighter ? 0.02f : -0.02f);
    return fg;
}

// Rectangles packed into shelves of a picture of fixed width; drawing runs
// once every rectangle is placed and the height is known.
class Atlas
{
public:
    explicit Atlas(int width) : width_(width) {}

    TRect Place(int w, int h)
    {
        if (x_ + w + 2 > width_)
        {
            y_ += shelf_ + 2;
            x_ = 2;
            shelf_ = 0;
        }
        TRect r(x_, y_, x_ + w, y_ + h);
        x_ += w + 2;
        shelf_ = std::max(shelf_, h);
        return r;
    }
    // Starts a new shelf.
    void Break()
    {
        if (x_ > 2)
        {
            y_ += shelf_ + 2;
            x_ = 2;
            shelf_ = 0;
        }
    }
    void Draw(std::function<void(TbsBitmap&)> op) { ops_.push_back(std::move(op)); }

    std::unique_ptr<TbsSkinPicture> Render(Rgb background) const
    {
        TbsBitmap b;
        b.SetSize(width_, y_ + shelf_ + 2);
        b.Clear(ToBs(background));
        for (const auto& op : ops_) op(b);
        auto pic = std::make_unique<TbsSkinPicture>();
        pic->SetPixels(b.Width(), b.Height(), OpaquePixels(b));
        return pic;
    }

private:
    int width_;
    int x_ = 2, y_ = 2, shelf_ = 0;
    std::vector<std::function<void(TbsBitmap&)>> ops_;
};

std::unique_ptr<TbsSkinPicture> PictureOf(const TbsBitmap& b)
{
    auto pic = std::make_unique<TbsSkinPicture>();
    pic->SetPixels(b.Width(), b.Height(), OpaquePixels(b));
    return pic;
}


// Pixels of `r` still in the colour they were drawn on become the key.
void KeyColor(TbsBitmap& b, const TRect& r, Rgb background)
{
    const TbsColor bg = ToBs(background);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (b.GetPixel(x, y) == bg) b.SetPixel(x, y, kKey);
}

// Nine-slice geometry with corners of k pixels, every band stretched.
template <class E>
void NineSlice(E& e, int w, int h, int k, bool stretch = true)
{
    e.LTPoint = TPoint(k, k);
    e.RTPoint = TPoint(w - k, k);
    e.LBPoint = TPoint(k, h - k);
    e.RBPoint = TPoint(w - k, h - k);
    e.ClRect = TRect(k, k, w - k, h - k);
    e.LeftStretch = e.TopStretch = e.RightStretch = e.BottomStretch = stretch;
    e.StretchEffect = stretch;
    e.StretchType = bsstFull;
}

class Builder
{
public:
    Builder(const Theme& t, TbsSkinData& d) : t_(t), d_(d), ctl_(512), cap_(256) {}

    void Run();

private:
    // ---- colours ----------------------------------------------------------
    // Edges: darker than the face on light skins, lighter on dark ones.
    Rgb Border(Rgb face) const
    {
        return IsDark() ? Mix(Lighten(face, 0.16f), t_.Text, 0.10f) : Mix(Lighten(face, -0.30f), t_.Text, 0.12f);
    }
    Rgb Track() const { return Lighten(t_.Base, IsDark() ? 0.04f : -0.04f); }
    bool IsDark() const { return bsContrastRatio(ToColor(t_.Base), ToColor(kBlack)) < 7.0; }
    Rgb HotItem() const { return Mix(t_.Surface, t_.Accent, IsDark() ? 0.30f : 0.18f); }
    // The open menu bar item: a stronger accent than the hot one.
    Rgb OpenItem() const { return Mix(t_.Surface, t_.Accent, IsDark() ? 0.55f : 0.45f); }
    // A hot tab: the selected tab's page tinted towards the accent until it
    // reads apart from the selected tab at a glance.
    Rgb HotTab(Rgb page) const
    {
        auto apart = [](Rgb a, Rgb b) {
            return std::max({std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
        };
        float k = 0.15f;
        while (k < 0.6f && apart(Mix(page, t_.Accent, k), page) < 44.0f) k += 0.03f;
        return Mix(page, t_.Accent, k);
    }
    Rgb SelectedUnfocused() const { return Mix(t_.Surface, t_.Accent, IsDark() ? 0.38f : 0.28f); }
    Rgb TextOn(Rgb bg) const { return Readable(t_.Text, bg, 5.0); }
    // A little above the validator's floor: smoothed glyph edges read weaker.
    Rgb DisabledOn(Rgb bg) const { return Readable(t_.DisabledText, bg, bsDisabledTextContrast + 0.2); }
    int FontH() const { return t_.FontHeight; }

    // ---- drawing ----------------------------------------------------------
    void Face(TbsBitmap& b, const TRect& r, State s, float radius, bool tool = false) const;
    void Glyph(TbsBitmap& b, const std::string& kind, float cx, float cy, Rgb c, float scale = 1.0f) const;
    // A filled arrow `base` pixels wide (rounded to an odd width).
    void Arrow(TbsBitmap& b, float cx, float cy, int dir, float base, Rgb c) const;
    void Sunken(TbsBitmap& b, const TRect& r, Rgb fill, Rgb border, float radius) const;
    void CheckMark(TbsBitmap& b, const TRect& cell, bool radio, int mark, State s) const;
    void Frame(TbsBitmap& b, bool active) const;
    // The window's outline: rounded top corners of `frame.radius`, smaller
    // bottom ones.
    float BottomRadius() const { return std::min(float(t_.FrameRadius), 4.0f); }
    ShapeFn FrameShape() const
    {
        return RoundBox2(Box{0, 0, float(fw_), float(fh_)}, float(t_.FrameRadius), BottomRadius());
    }

    // ---- entries ----------------------------------------------------------
    void Buttons();
    void MenuMarkers();
    template <class E>
    void SetMarkers(E& e) const;
    void ToolButtons();
    void MenuButtons();
    void Panels();
    void CheckRadio();
    void ScrollBars();
    void UpDowns();
    void SliderEntry();
    void TabEntry();
    void Edits();
    void Lists();
    void Labels();
    void Splitters();
    void MenuBar();
    void MenuItem();
    void CaptionObjects();
    void Windows();
    void Colors();

    template <class E>
    E& AddControl(const std::string& name)
    {
        auto e = std::make_unique<E>(name);
        E& ref = *e;
        d_.CtrlList.push_back(std::move(e));
        return ref;
    }
    template <class E>
    E& AddObject(const std::string& name)
    {
        auto e = std::make_unique<E>(name);
        E& ref = *e;
        d_.ObjectList.push_back(std::move(e));
        return ref;
    }
    template <class E>
    void Font(E& e, bool bold = false) const
    {
        e.FontName = t_.Font;
        e.FontHeight = FontH();
        e.FontStyle = TbsFontStyles(bold ? TbsFontStyles::Bold : 0);
    }

    int AddPicture(const std::string& name, std::unique_ptr<TbsSkinPicture> pic)
    {
        d_.FActivePictures.push_back(std::move(pic));
        d_.FActivePicturesNames.push_back(name);
        return static_cast<int>(d_.FActivePictures.size()) - 1;
    }

    const Theme& t_;
    TbsSkinData& d_;
    Atlas ctl_, cap_;
    // Picture numbers.
    static constexpr int kControls = 0, kCaption = 1;
    int glow_ = -1, glowMask_ = -1, capGlow_ = -1, capGlowMask_ = -1, clientBg_ = -1;
    // Frame geometry.
    int fw_ = 0, fh_ = 0, ltx_ = 0, rtw_ = 0;
    TRect buttonsRect_, captionRect_;
    TRect checkMarks_[4];   // unchecked, checked, of the check box (for lists)
    TRect markers_[4];      // drop-down markers: normal, hot, pressed, flat
};

// ---------------------------------------------------------------------------
// Drawing

void Builder::Face(TbsBitmap& b, const TRect& r, State s, float radius, bool tool) const
{
    Rgb top = t_.ButtonTop, bottom = t_.ButtonBottom;
    if (s == State::Hot || (tool && s == State::Focused)) top = t_.HotTop, bottom = t_.HotBottom;
    if (s == State::Pressed)
    {
        // Pushed in: darker than hot, the light at the bottom.
        top = Lighten(t_.HotBottom, -0.14f);
        bottom = Lighten(t_.HotTop, -0.10f);
    }
    if (s == State::Disabled) top = Mix(top, t_.Base, 0.55f), bottom = Mix(bottom, t_.Base, 0.55f);
    Rgb border = t_.HasHotColors && (s == State::Hot || s == State::Pressed) ? Lighten(t_.HotBottom, -0.28f)
                                                                            : Border(t_.ButtonBottom);
    if (s == State::Disabled) border = Mix(border, t_.Base, 0.5f);
    const Box box = BoxOf(r);
    const TRect clip = r;
    FillRect(b, r, Solid(t_.Base));
    if (tool && (s == State::Normal || s == State::Disabled)) return;   // flat tool button
    Fill(b, clip, RoundBox(box, radius), Solid(border));
    const Box in = box.Inset(1);
    const float ri = std::max(radius - 1, 0.0f);
    Fill(b, clip, RoundBox(in, ri), VGradient(in.T, in.B, top, bottom));
    if (t_.ButtonStyle == Surface::Glass && s != State::Pressed)
    {
        // A glossy upper half.
        const TRect upper(r.Left, r.Top, r.Right, r.Top + r.Height() / 2);
        Fill(b, upper, RoundBox(in, ri), VGradient(in.T, in.T + in.H() / 2, kWhite, Mix(kWhite, top, 0.5f)), 0.35f);
    }
    if (s != State::Pressed)
        Fill(b, TRect(r.Left, r.Top + 1, r.Right, r.Top + 2), RoundBox(in, ri), Solid(kWhite), 0.55f);
    if (s == State::Focused)
    {
        Stroke(b, clip, RoundBox(box, radius), 1.0f, Solid(t_.Accent));
        Stroke(b, clip, RoundBox(in, ri), 1.0f, Solid(t_.Accent), 0.45f);
    }
}

void Builder::Sunken(TbsBitmap& b, const TRect& r, Rgb fill, Rgb border, float radius) const
{
    const Box box = BoxOf(r);
    Fill(b, r, RoundBox(box, radius), Solid(border));
    Fill(b, r, RoundBox(box.Inset(1), std::max(radius - 1, 0.0f)), Solid(fill));
}

void Builder::Arrow(TbsBitmap& b, float cx, float cy, int dir, float base, Rgb c) const
{
    // dir: 0 up, 1 down, 2 left, 3 right. A triangle with 45-degree sides
    // on the pixel grid: an odd base whose ends lie on pixel edges, so the
    // tip falls on a pixel's centre and the base edge is one sharp line;
    // the corners slightly rounded.
    const float w = 2.0f * std::round((std::max(base, 3.0f) - 1) / 2) + 1, d = w / 2;
    const bool vertical = dir < 2;
    const float across = std::floor(vertical ? cx : cy) + 0.5f;
    const float mid = vertical ? cy : cx;
    const bool towardsStart = dir == 0 || dir == 2;
    const float edge = towardsStart ? std::round(mid + d / 2) : std::round(mid - d / 2);
    const float tip = towardsStart ? edge - d : edge + d;
    auto at = [vertical](float a, float along) { return vertical ? std::make_pair(a, along) : std::make_pair(along, a); };
    const ShapeFn shape = Triangle(at(across - d, edge), at(across + d, edge), at(across, tip), 0.4f);
    const float l = std::min(at(across - d, edge).first, at(across, tip).first),
                t = std::min(at(across - d, edge).second, at(across, tip).second);
    Fill(b, TRect(int(std::floor(l)) - 1, int(std::floor(t)) - 1, int(std::ceil(l + w)) + 2, int(std::ceil(t + w)) + 2), shape,
         Solid(c));
}

void Builder::Glyph(TbsBitmap& b, const std::string& kind, float cx, float cy, Rgb c, float k) const
{
    // On the pixel grid: the middle on a pixel's centre, so that diagonals
    // run through pixel centres and cross in one pixel, and straight edges
    // lie on pixel edges (one sharp line, not a blur over two).
    cx = std::floor(cx) + 0.5f;
    cy = std::floor(cy) + 0.5f;
    const TRect clip(int(cx - 12), int(cy - 12), int(cx + 12), int(cy + 12));
    auto snap = [](Box bx) {
        return Box{std::round(bx.L), std::round(bx.T), std::round(bx.R), std::round(bx.B)};
    };
    // Half the span of the diagonals, in whole pixels.
    const float n = std::max(2.0f, std::round(4.0f * k));
    const float w = k >= 1 ? 1.4f : 1.25f;
    if (kind == "close")
    {
        Fill(b, clip, Union(Bar(cx - n, cy - n, cx + n, cy + n, w, 0.35f), Bar(cx - n, cy + n, cx + n, cy - n, w, 0.35f)),
             Solid(c));
    }
    else if (kind == "max")
    {
        const Box bx = snap({cx - 4.5f * k, cy - 4 * k, cx + 4.5f * k, cy + 4 * k});
        Stroke(b, clip, RoundBox(bx, 0.5f), 1.0f, Solid(c));
        Fill(b, clip, RoundBox(Box{bx.L, bx.T, bx.R, bx.T + 2}, 0.5f), Solid(c));
    }
    else if (kind == "restore")
    {
        const Box back = snap({cx - 2.5f * k, cy - 5 * k, cx + 5 * k, cy + 1.5f * k});
        const Box front = snap({cx - 5 * k, cy - 2 * k, cx + 2.5f * k, cy + 4.5f * k});
        // The back window shows only above and to the right of the front one.
        Stroke(b, TRect(int(back.L) - 1, int(back.T) - 1, int(back.R) + 2, int(front.T)), RoundBox(back, 0.5f), 1.0f,
               Solid(c));
        Stroke(b, TRect(int(front.R), int(back.T), int(back.R) + 2, int(back.B) + 1), RoundBox(back, 0.5f), 1.0f,
               Solid(c));
        Stroke(b, clip, RoundBox(front, 0.5f), 1.0f, Solid(c));
        Fill(b, clip, RoundBox(Box{front.L, front.T, front.R, front.T + 2}, 0.5f), Solid(c));
    }
    else if (kind == "min")
        Fill(b, clip, RoundBox(snap({cx - 4.5f * k, cy + 2 * k, cx + 4.5f * k, cy + 2 * k + 2}), 0.5f), Solid(c));
    else if (kind == "rollup" || kind == "rolldown")
    {
        const float d = kind == "rollup" ? -1.0f : 1.0f, h = std::round(n / 2);
        Fill(b, clip,
             Union(Segment(cx - n, cy - h * d, cx, cy + h * d, w), Segment(cx, cy + h * d, cx + n, cy - h * d, w)),
             Solid(c));
    }
    else if (kind == "tray")
    {
        Fill(b, clip, RoundBox(snap({cx - 4.5f * k, cy + 3 * k, cx + 4.5f * k, cy + 3 * k + 2}), 0.5f), Solid(c));
        Arrow(b, cx, cy - 0.5f * k, 1, 6.0f * k, c);
    }
}

void Builder::CheckMark(TbsBitmap& b, const TRect& cell, bool radio, int mark, State s) const
{
    // A 15 x 15 cell: the box sits one pixel in, the rest is the key colour.
    FillRect(b, cell, Solid(t_.Base));
    const Box box = BoxOf(cell).Inset(1);
    const float r = radio ? box.W() / 2 : float(std::min(t_.ButtonRadius, 3));
    const ShapeFn shape = RoundBox(box, r);
    const bool on = mark != 0;
    Rgb fill = on ? t_.Accent : t_.Surface;
    Rgb border = on ? Lighten(t_.Accent, -0.12f) : Mix(Border(t_.ButtonBottom), t_.Text, 0.2f);
    if (s == State::Hot)
    {
        fill = on ? Lighten(t_.Accent, 0.06f) : Mix(t_.Surface, t_.Accent, 0.10f);
        border = on ? border : t_.Accent;
    }
    if (s == State::Disabled)
    {
        fill = Mix(fill, t_.Base, 0.6f);
        border = Mix(border, t_.Base, 0.6f);
    }
    if (mark == 2) fill = Mix(t_.Surface, t_.Accent, 0.15f), border = t_.Accent;
    Fill(b, cell, shape, Solid(border));
    Fill(b, cell, RoundBox(box.Inset(1), std::max(r - 1, 0.0f)), Solid(fill));
    const Rgb ink = s == State::Disabled ? Mix(t_.SelectionText, fill, 0.3f) : t_.SelectionText;
    const float x = box.L, y = box.T;
    if (mark == 1 && !radio)
        Fill(b, cell, Union(Segment(x + 3, y + 6.5f, x + 5.5f, y + 9, 1.7f), Segment(x + 5.5f, y + 9, x + 10, y + 3.5f, 1.7f)),
             Solid(ink));
    if (mark == 1 && radio) Fill(b, cell, Circle(x + box.W() / 2, y + box.H() / 2, 2.6f), Solid(ink));
    if (mark == 2)
        Fill(b, cell, RoundBox(Box{x + 3.5f, y + 3.5f, box.R - 3.5f, box.B - 3.5f}, radio ? 3.0f : 1.0f),
             Solid(s == State::Disabled ? Mix(t_.Accent, t_.Base, 0.6f) : t_.Accent));
    KeyOut(b, cell, shape, kKey);
}

// The form frame: caption band, borders, outline, client; inactive colours
// when `active` is false.
void Builder::Frame(TbsBitmap& b, bool active) const
{
    const int W = fw_, H = fh_, C = t_.CaptionHeight, B = t_.Border;
    const Rgb top = active ? t_.CaptionTop : t_.InactiveTop;
    const Rgb bottom = active ? t_.CaptionBottom : t_.InactiveBottom;
    const Rgb frame = active ? t_.FrameColor : Mix(t_.FrameColor, t_.Base, 0.55f);
    const Rgb outline = active ? t_.FrameOutline : Mix(t_.FrameOutline, t_.Base, 0.45f);
    const TRect all(0, 0, W, H);
    // Outside the shape: what most likely lies behind the window (a window
    // of the same skin), so that the outline's edge pixels the mask keeps
    // blend towards it and the cut corner shows no staircase.
    FillRect(b, all, Solid(t_.Mask ? t_.Base : Lighten(outline, -0.1f)));
    const ShapeFn shape = FrameShape();
    Fill(b, all, shape, Solid(outline));
    const ShapeFn inner = RoundBox2(Box{0, 0, float(W), float(H)}.Inset(1), std::max(float(t_.FrameRadius) - 1, 0.0f),
                                    std::max(BottomRadius() - 1, 0.0f));
    // Borders: a light inner edge fading to the frame colour (constant along
    // each band, so the bands stretch and tile without a seam).
    const Rgb edge = Lighten(frame, 0.08f);
    Fill(b, all, inner, [&](float x, float y) {
        const float dx = std::min(x, float(W) - x), dy = float(H) - y;
        const float d = std::min(dx, dy);
        return Mix(edge, frame, std::clamp((float(B) - d) / float(B), 0.0f, 1.0f));
    });
    // Caption band.
    const TRect capClip(0, 0, W, C);
    PaintFn cap = VGradient(1, float(C), top, bottom);
    if (t_.CaptionStyle == Surface::Glass)
        cap = VStops(1, float(C), {{0.0f, Lighten(top, 0.10f)}, {0.48f, top}, {0.52f, Lighten(bottom, -0.04f)},
                                  {1.0f, bottom}});
    Fill(b, capClip, inner, cap);
    // The caption's texture runs along x only: the caption buttons, drawn on
    // a copy of one column, then match it wherever they sit, and the tiled
    // middle meets the fixed pieces without a seam.
    if (t_.CaptionTexture != Texture::None)
        for (int y = 1; y < C; ++y)
        {
            const float v = TextureValue(t_.CaptionTexture, 0, y, t_.TexturePeriod) * t_.TextureStrength * 255.0f;
            for (int x = 0; x < W; ++x)
                if (inner(x + 0.5f, y + 0.5f) <= -0.5f)
                {
                    const Rgb c = FromBs(b.GetPixel(x, y));
                    b.SetPixel(x, y, ToBs({c.R + v, c.G + v, c.B + v}));
                }
        }
    // Highlight under the top edge.
    Fill(b, TRect(0, 1, W, 2), inner, Solid(kWhite), active ? 0.45f : 0.3f);
    // Client: a line between frame and client, then the window colour.
    const TRect cl(B, C, W - B, H - B);
    FillRect(b, TRect(cl.Left - 1, cl.Top - 1, cl.Right + 1, cl.Bottom + 1), Solid(Lighten(frame, -0.12f)));
    FillRect(b, cl, Solid(t_.Base));
}

// ---------------------------------------------------------------------------
// Entries

void Builder::Buttons()
{
    const int W = 75, H = 23;
    const float rad = float(t_.ButtonRadius);
    const int k = std::max(t_.ButtonRadius + 2, 4);
    struct Spec
    {
        const char* name;
        int w, h;
    };
    for (Spec s : {Spec{"button", W, H}, Spec{"resizebutton", W, H}, Spec{"officequickbutton", 60, H},
                   Spec{"menuitembutton", 60, 20}, Spec{"combobutton", 17, 21}, Spec{"editbutton", 17, 19}})
    {
        auto& e = AddControl<TbsDataSkinButtonControl>(s.name);
        e.PictureIndex = kControls;
        TRect rs[5];
        for (int i = 0; i < 5; ++i)
        {
            rs[i] = ctl_.Place(s.w, s.h);
            const TRect r = rs[i];
            const State st = kStates[i];
            // The small buttons of combo boxes and edits get no arrow: the
            // controls draw their marker over the look themselves.
            const bool small = s.w < 20;
            const float rr = small ? std::min(rad, 2.0f) : rad;
            ctl_.Draw([this, r, st, rr](TbsBitmap& b) { Face(b, r, st, rr); });
        }
        ctl_.Break();
        e.SkinRect = rs[0];
        e.ActiveSkinRect = rs[1];
        e.DownSkinRect = rs[2];
        e.FocusedSkinRect = rs[3];
        e.DisabledSkinRect = rs[4];
        NineSlice(e, s.w, s.h, std::min(k, std::min(s.w, s.h) / 2 - 1));
        Font(e);
        e.FontColor = ToColor(TextOn(Mix(t_.ButtonTop, t_.ButtonBottom, 0.5f)));
        e.ActiveFontColor = ToColor(TextOn(Mix(t_.HotTop, t_.HotBottom, 0.5f)));
        e.DownFontColor = ToColor(TextOn(Lighten(t_.ButtonBottom, -0.08f)));
        e.DisabledFontColor = ToColor(DisabledOn(Mix(Mix(t_.ButtonTop, t_.ButtonBottom, 0.5f), t_.Base, 0.55f)));
        e.ShowFocus = false;
        e.AnimateInterval = 25;
        if (t_.Morph)
        {
            e.Morphing = true;
            e.MorphKind = mkGradient;
        }
        if (t_.Glow && std::string(s.name) == "button")
        {
            const int m = 6;
            e.GlowLayerPictureIndex = glow_;
            e.GlowLayerMaskPictureIndex = glowMask_;
            e.GlowLayerOffsetLeft = e.GlowLayerOffsetRight = e.GlowLayerOffsetTop = e.GlowLayerOffsetBottom = m + 6;
            e.GlowLayerShowOffsetX = e.GlowLayerShowOffsetY = m;
            e.GlowLayerAlphaBlendValue = 200;
        }
    }
}

void Builder::ToolButtons()
{
    struct Spec
    {
        const char* name;
        int w, h;
        bool marker;   // a menu button may take the look: it has the markers
    };
    // "htracktoolbutton" is the track part across the bottom of a new-style
    // menu button, "vtracktoolbutton" the one down its right side.
    for (Spec s : {Spec{"toolbutton", 23, 22, true}, Spec{"bigtoolbutton", 40, 40, true},
                   Spec{"resizetoolbutton", 60, 22, true}, Spec{"htracktoolbutton", 23, 15, false},
                   Spec{"vtracktoolbutton", 15, 22, false}})
    {
        auto& e = AddControl<TbsDataSkinButtonControl>(s.name);
        e.PictureIndex = kControls;
        TRect rs[5];
        for (int i = 0; i < 5; ++i)
        {
            rs[i] = ctl_.Place(s.w, s.h);
            const TRect r = rs[i];
            const State st = kStates[i];
            ctl_.Draw([this, r, st](TbsBitmap& b) { Face(b, r, st, float(std::min(t_.ButtonRadius, 3)), true); });
        }
        ctl_.Break();
        e.SkinRect = rs[0];
        e.ActiveSkinRect = rs[1];
        e.DownSkinRect = rs[2];
        e.FocusedSkinRect = rs[3];
        e.DisabledSkinRect = rs[4];
        NineSlice(e, s.w, s.h, std::min(4, std::min(s.w, s.h) / 2 - 1));
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
        e.ActiveFontColor = ToColor(TextOn(Mix(t_.HotTop, t_.HotBottom, 0.5f)));
        e.DownFontColor = ToColor(TextOn(Lighten(t_.ButtonBottom, -0.08f)));
        e.DisabledFontColor = ToColor(DisabledOn(t_.Base));
        if (s.marker) SetMarkers(e);
        e.AnimateInterval = 25;
        if (t_.Morph)
        {
            e.Morphing = true;
            e.MorphKind = mkDefault;
        }
    }
}

void Builder::MenuMarkers()
{
    // The drop-down marker: a small arrow on the key colour, normal, hot,
    // pressed and flat (over the parent of a flat button).
    auto marker = [this](Rgb c) {
        const TRect r = ctl_.Place(9, 6);
        ctl_.Draw([this, r, c](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            Arrow(b, r.Left + 4.5f, r.Top + 3.0f, 1, 7.0f, c);
            KeyColor(b, r, t_.Base);
        });
        return r;
    };
    markers_[0] = marker(t_.Text);
    markers_[1] = marker(Readable(t_.Text, t_.HotBottom, 5.0));
    markers_[2] = marker(t_.Text);
    markers_[3] = marker(t_.Text);
    ctl_.Break();
}

template <class E>
void Builder::SetMarkers(E& e) const
{
    e.MenuMarkerRect = markers_[0];
    e.MenuMarkerActiveRect = markers_[1];
    e.MenuMarkerDownRect = markers_[2];
    e.MenuMarkerFlatRect = markers_[3];
    e.MenuMarkerTransparentColor = bsSkinKeyColor;
}

void Builder::MenuButtons()
{
    struct Spec
    {
        const char* name;
        int w, h;
        bool track;
    };
    for (Spec s : {Spec{"toolmenubutton", 36, 22, false}, Spec{"toolmenutrackbutton", 36, 22, true},
                   Spec{"bigtoolmenubutton", 52, 40, false}, Spec{"bigtoolmenutrackbutton", 52, 40, true}})
    {
        auto& e = AddControl<TbsDataSkinMenuButtonControl>(s.name);
        e.PictureIndex = kControls;
        TRect rs[5];
        for (int i = 0; i < 5; ++i)
        {
            rs[i] = ctl_.Place(s.w, s.h);
            const TRect r = rs[i];
            const State st = kStates[i];
            const bool track = s.track;
            ctl_.Draw([this, r, st, track](TbsBitmap& b) {
                Face(b, r, st, float(std::min(t_.ButtonRadius, 3)), true);
                if (track && st != State::Normal && st != State::Disabled)
                    VLine(b, r.Right - 14, r.Top + 3, r.Bottom - 3, Border(t_.ButtonBottom), 0.6f);
            });
        }
        ctl_.Break();
        e.SkinRect = rs[0];
        e.ActiveSkinRect = rs[1];
        e.DownSkinRect = rs[2];
        e.FocusedSkinRect = rs[3];
        e.DisabledSkinRect = rs[4];
        // The right 15 pixels (the track part with its divider and the
        // marker) keep their size; the content stays left of them.
        NineSlice(e, s.w, s.h, 4);
        e.RTPoint.X = e.RBPoint.X = e.ClRect.Right = s.w - 15;
        e.TrackButtonRect = TRect(s.w - 14, 0, s.w, s.h);
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
        e.ActiveFontColor = ToColor(TextOn(Mix(t_.HotTop, t_.HotBottom, 0.5f)));
        e.DownFontColor = ToColor(TextOn(Lighten(t_.ButtonBottom, -0.08f)));
        e.DisabledFontColor = ToColor(DisabledOn(t_.Base));
        SetMarkers(e);
        e.AnimateInterval = 25;
    }
}

void Builder::Panels()
{
    const Rgb line = Lighten(t_.Base, IsDark() ? 0.10f : -0.16f);
    const Rgb light = Lighten(t_.Base, IsDark() ? 0.04f : 0.06f);
    // Plain panel: a soft one-pixel edge, a light inner line, the base.
    {
        auto& e = AddControl<TbsDataSkinPanelControl>("panel");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(68, 52);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, line, light](TbsBitmap& b) {
            FillRect(b, r, Solid(line));
            FillRect(b, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), Solid(light));
            FillRect(b, TRect(r.Left + 2, r.Top + 2, r.Right - 1, r.Bottom - 1), Solid(t_.Base));
            ApplyTexture(b, TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), t_.PanelTexture, t_.TexturePeriod,
                         t_.TextureStrength, r.Left + 2, r.Top + 2);
        });
        // The client tiles from its corner: 64 x 48 is a multiple of every
        // texture period, so the tiles meet without a seam.
        NineSlice(e, 68, 52, 2, true);
        e.StretchEffect = t_.PanelTexture == Texture::None;
        e.Alignment = bstaCenter;
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
        e.BGPictureIndex = -1;
        e.CheckImageRect = checkMarks_[1];
        e.UnCheckImageRect = checkMarks_[0];
    }
    // Tool bars: a gentle gradient with a line underneath.
    for (const char* name : {"resizetoolpanel", "toolpanel", "bigtoolpanel"})
    {
        auto& e = AddControl<TbsDataSkinPanelControl>(name);
        e.PictureIndex = kControls;
        const int h = std::string(name) == "bigtoolpanel" ? 48 : 28;
        e.SkinRect = ctl_.Place(40, h);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, line](TbsBitmap& b) {
            FillRect(b, r, VGradient(float(r.Top), float(r.Bottom), Lighten(t_.Base, 0.05f), Lighten(t_.Base, -0.03f)));
            HLine(b, r.Left, r.Right, r.Top, kWhite, IsDark() ? 0.08f : 0.5f);
            HLine(b, r.Left, r.Right, r.Bottom - 1, line);
        });
        NineSlice(e, 40, h, 2);
        e.ClRect = TRect(2, 1, 38, h - 1);
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
    }
    // Group box: a rounded frame with the caption on its top edge.
    {
        auto& e = AddControl<TbsDataSkinPanelControl>("groupbox");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(80, 60);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, line](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            const Box box{float(r.Left), float(r.Top) + 8, float(r.Right), float(r.Bottom)};
            Stroke(b, r, RoundBox(box, float(std::min(t_.ButtonRadius, 4))), 1, Solid(line));
        });
        e.LTPoint = TPoint(8, 20);
        e.RTPoint = TPoint(72, 20);
        e.LBPoint = TPoint(8, 52);
        e.RBPoint = TPoint(72, 52);
        e.ClRect = TRect(6, 20, 74, 54);
        e.LeftStretch = e.TopStretch = e.RightStretch = e.BottomStretch = e.StretchEffect = true;
        e.CaptionRect = TRect(8, 0, 72, 17);
        e.Alignment = bstaLeftJustify;
        // A check box in the caption uses the check box's marks.
        e.CheckImageRect = checkMarks_[1];
        e.UnCheckImageRect = checkMarks_[0];
        Font(e, true);
        e.FontColor = ToColor(TextOn(t_.Base));
    }
    // Status bar with a size grip.
    {
        auto& e = AddControl<TbsDataSkinPanelControl>("statusbar");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(60, 22);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, line](TbsBitmap& b) {
            FillRect(b, r, VGradient(float(r.Top), float(r.Bottom), Lighten(t_.Base, 0.03f), Lighten(t_.Base, -0.04f)));
            HLine(b, r.Left, r.Right, r.Top, line);
            HLine(b, r.Left, r.Right, r.Top + 1, kWhite, IsDark() ? 0.06f : 0.5f);
        });
        NineSlice(e, 60, 22, 3);
        e.CaptionRect = TRect(4, 2, 56, 22);
        e.Alignment = bstaLeftJustify;
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
        e.GripperRect = ctl_.Place(12, 12);
        const TRect g = e.GripperRect;
        ctl_.Draw([this, g, line](TbsBitmap& b) {
            // Drawn on the bar's colour so that the dots' soft edges blend
            // with what they are shown on; the rest becomes the key.
            const Rgb bar = Lighten(t_.Base, -0.02f);
            FillRect(b, g, Solid(bar));
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j <= i; ++j)
                {
                    const float x = g.Left + 10.0f - 4.0f * j, y = g.Top + 10.0f - 4.0f * (i - j);
                    Fill(b, g, Circle(x, y, 1.2f), Solid(line));
                }
            KeyColor(b, g, bar);
        });
        e.GripperTransparent = true;
        e.GripperTransparentColor = bsSkinKeyColor;
    }
    // Scroll box: a sunken frame around the base.
    {
        auto& e = AddControl<TbsDataSkinScrollBoxControl>("scrollbox");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(40, 40);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, line](TbsBitmap& b) { Sunken(b, r, t_.Base, line, 0); });
        NineSlice(e, 40, 40, 2);
        e.BGPictureIndex = clientBg_;
    }
    ctl_.Break();
}

void Builder::CheckRadio()
{
    for (bool radio : {false, true})
    {
        auto& e = AddControl<TbsDataSkinCheckRadioControl>(radio ? "radiobox" : "checkbox");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(120, 20);
        e.ActiveSkinRect = ctl_.Place(120, 20);
        const TRect r = e.SkinRect, a = e.ActiveSkinRect;
        ctl_.Draw([this, r, a](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            FillRect(b, a, Solid(t_.Base));
        });
        NineSlice(e, 120, 20, 2);
        e.CheckImageArea = TRect(1, 2, 16, 17);
        e.TextArea = TRect(20, 0, 118, 20);
        auto mark = [&](int m, State s) {
            const TRect cell = ctl_.Place(15, 15);
            ctl_.Draw([this, cell, radio, m, s](TbsBitmap& b) { CheckMark(b, cell, radio, m, s); });
            return cell;
        };
        e.UnCheckImageRect = mark(0, State::Normal);
        e.CheckImageRect = mark(1, State::Normal);
        e.ActiveUnCheckImageRect = mark(0, State::Hot);
        e.ActiveCheckImageRect = mark(1, State::Hot);
        e.UnEnabledUnCheckImageRect = mark(0, State::Disabled);
        e.UnEnabledCheckImageRect = mark(1, State::Disabled);
        e.GrayedCheckImageRect = mark(2, State::Normal);
        e.ActiveGrayedCheckImageRect = mark(2, State::Hot);
        if (!radio)
        {
            checkMarks_[0] = e.UnCheckImageRect;
            checkMarks_[1] = e.CheckImageRect;
        }
        ctl_.Break();
        Font(e);
        e.FontColor = e.FrameFontColor = ToColor(TextOn(t_.Base));
        e.ActiveFontColor = ToColor(TextOn(t_.Base));
        e.UnEnabledFontColor = ToColor(DisabledOn(t_.Base));
        if (t_.Morph)
        {
            e.Morphing = true;
            e.MorphKind = mkDefault;
        }
    }
}

void Builder::ScrollBars()
{
    constexpr int S = 17;
    // The arrows take about half the button.
    constexpr float kArrow = S / 2.0f;
    const Rgb track = Track();
    const Rgb arrowInk = Mix(t_.Text, track, 0.25f);
    // A small raised button with an arrow, for the up / down buttons.
    auto button = [&](int dir, State s) {
        const TRect r = ctl_.Place(S, S);
        ctl_.Draw([this, r, dir, s, arrowInk](TbsBitmap& b) {
            FillRect(b, r, Solid(Track()));
            if (s != State::Normal) Face(b, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), s, 2);
            Arrow(b, r.Left + r.Width() / 2.0f + (s == State::Pressed ? 0.5f : 0), r.Top + r.Height() / 2.0f + (s == State::Pressed ? 0.5f : 0),
                  dir, kArrow, s == State::Hot || s == State::Pressed ? t_.Text : arrowInk);
        });
        return r;
    };
    // A thumb: rounded, slightly raised, in the accent-free button colour.
    auto thumb = [&](bool horizontal, State s) {
        const TRect r = horizontal ? ctl_.Place(32, S) : ctl_.Place(S, 32);
        ctl_.Draw([this, r, horizontal, s](TbsBitmap& b) {
            FillRect(b, r, Solid(Track()));
            // The track's edge line runs on under the thumb.
            const Rgb edge = Lighten(Track(), IsDark() ? 0.06f : -0.06f);
            if (horizontal)
                HLine(b, r.Left, r.Right, r.Top, edge);
            else
                VLine(b, r.Left, r.Top, r.Bottom, edge);
            const Box box = horizontal ? Box{float(r.Left), float(r.Top) + 3, float(r.Right), float(r.Bottom) - 3}
                                       : Box{float(r.Left) + 3, float(r.Top), float(r.Right) - 3, float(r.Bottom)};
            Rgb c = Mix(t_.ButtonBottom, t_.Text, IsDark() ? 0.25f : 0.18f);
            if (s == State::Hot) c = Lighten(c, IsDark() ? 0.08f : -0.08f);
            if (s == State::Pressed) c = Mix(c, t_.Accent, 0.55f);
            Fill(b, r, RoundBox(box, 4.5f), Solid(c));
        });
        return r;
    };
    auto grip = [&](bool horizontal, State s) {
        const TRect r = horizontal ? ctl_.Place(8, 7) : ctl_.Place(7, 8);
        ctl_.Draw([this, r, horizontal, s](TbsBitmap& b) {
            FillRect(b, r, Solid(kBlack));
            Rgb c = Mix(t_.ButtonBottom, t_.Text, IsDark() ? 0.25f : 0.18f);
            if (s == State::Pressed) c = Mix(c, t_.Accent, 0.55f);
            const Rgb ink = Lighten(c, IsDark() ? 0.18f : 0.18f);
            for (int i = 0; i < 3; ++i)
            {
                if (horizontal)
                    VLine(b, r.Left + 1 + 3 * i, r.Top + 1, r.Bottom - 1, ink);
                else
                    HLine(b, r.Left + 1, r.Right - 1, r.Top + 1 + 3 * i, ink);
            }
            for (int y = r.Top; y < r.Bottom; ++y)
                for (int x = r.Left; x < r.Right; ++x)
                    if (b.GetPixel(x, y) == 0xFF000000u) b.SetPixel(x, y, kKey);
        });
        return r;
    };
    struct Spec
    {
        const char* name;
        bool horizontal, corner;
    };
    for (Spec s : {Spec{"hscrollbar", true, false}, Spec{"vscrollbar", false, false}, Spec{"bothhscrollbar", true, true}})
    {
        auto& e = AddControl<TbsDataSkinScrollBarControl>(s.name);
        e.PictureIndex = kControls;
        const int len = 120, extra = s.corner ? S : 0;
        e.SkinRect = s.horizontal ? ctl_.Place(len + extra, S) : ctl_.Place(S, len);
        const TRect r = e.SkinRect;
        const bool horizontal = s.horizontal;
        ctl_.Draw([this, r, horizontal, extra, arrowInk](TbsBitmap& b) {
            FillRect(b, r, Solid(Track()));
            const Rgb edge = Lighten(Track(), IsDark() ? 0.06f : -0.06f);
            if (horizontal)
                HLine(b, r.Left, r.Right - extra, r.Top, edge);
            else
                VLine(b, r.Left, r.Top, r.Bottom, edge);
            const float c = S / 2.0f;
            if (horizontal)
            {
                Arrow(b, r.Left + c, r.Top + c, 2, kArrow, arrowInk);
                Arrow(b, r.Right - extra - c, r.Top + c, 3, kArrow, arrowInk);
                if (extra) FillRect(b, TRect(r.Right - extra, r.Top, r.Right, r.Bottom), Solid(t_.Base));
            }
            else
            {
                Arrow(b, r.Left + c, r.Top + c, 0, kArrow, arrowInk);
                Arrow(b, r.Left + c, r.Bottom - c, 1, kArrow, arrowInk);
            }
        });
        const int w = r.Width(), h = r.Height();
        if (horizontal)
        {
            e.LTPoint = TPoint(S + 1, 1);
            e.RTPoint = TPoint(w - S - extra - 1, 1);
            e.LBPoint = TPoint(S + 1, h - 1);
            e.RBPoint = TPoint(w - S - extra - 1, h - 1);
            e.ClRect = TRect(S + 1, 1, w - S - extra - 1, h - 1);
            e.TrackArea = TRect(S, 0, w - S - extra, h);
            e.UpButtonRect = TRect(0, 0, S, S);
            e.DownButtonRect = TRect(w - S - extra, 0, w - extra, S);
        }
        else
        {
            e.LTPoint = TPoint(1, S + 1);
            e.RTPoint = TPoint(w - 1, S + 1);
            e.LBPoint = TPoint(1, h - S - 1);
            e.RBPoint = TPoint(w - 1, h - S - 1);
            e.ClRect = TRect(1, S + 1, w - 1, h - S - 1);
            e.TrackArea = TRect(0, S, w, h - S);
            e.UpButtonRect = TRect(0, 0, S, S);
            e.DownButtonRect = TRect(0, h - S, S, h);
        }
        e.LeftStretch = e.TopStretch = e.RightStretch = e.BottomStretch = e.StretchEffect = true;
        e.ActiveUpButtonRect = button(horizontal ? 2 : 0, State::Hot);
        e.DownUpButtonRect = button(horizontal ? 2 : 0, State::Pressed);
        e.ActiveDownButtonRect = button(horizontal ? 3 : 1, State::Hot);
        e.DownDownButtonRect = button(horizontal ? 3 : 1, State::Pressed);
        e.ThumbRect = thumb(horizontal, State::Normal);
        e.ActiveThumbRect = thumb(horizontal, State::Hot);
        e.DownThumbRect = thumb(horizontal, State::Pressed);
        e.ThumbOffset1 = e.ThumbOffset2 = 6;
        e.ThumbStretchEffect = true;
        e.ThumbMinSize = 0;
        e.ThumbMinPageSize = 12;
        e.GlyphRect = grip(horizontal, State::Normal);
        e.ActiveGlyphRect = grip(horizontal, State::Hot);
        e.DownGlyphRect = grip(horizontal, State::Pressed);
        e.GlyphTransparent = true;
        e.GlyphTransparentColor = bsSkinKeyColor;
        e.ThumbTransparent = false;
        e.ThumbTransparentColor = bsSkinKeyColor;
        ctl_.Break();
    }
}

void Builder::UpDowns()
{
    for (bool horizontal : {false, true})
    {
        auto& e = AddControl<TbsDataSkinUpDownControl>(horizontal ? "hupdown" : "vupdown");
        e.PictureIndex = kControls;
        const int bw = horizontal ? 16 : 16, bh = horizontal ? 16 : 11;
        auto button = [&](int dir, State s) {
            const TRect r = ctl_.Place(bw, bh);
            ctl_.Draw([this, r, dir, s](TbsBitmap& b) {
                Face(b, r, s, float(std::min(t_.ButtonRadius, 2)));
                Arrow(b, r.Left + r.Width() / 2.0f, r.Top + r.Height() / 2.0f, dir, 6.0f, t_.Text);
            });
            return r;
        };
        // The whole look: both buttons at rest.
        e.SkinRect = horizontal ? ctl_.Place(2 * bw, bh) : ctl_.Place(bw, 2 * bh);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r, horizontal, bw, bh](TbsBitmap& b) {
            const TRect a = horizontal ? TRect(r.Left, r.Top, r.Left + bw, r.Bottom) : TRect(r.Left, r.Top, r.Right, r.Top + bh);
            const TRect c = horizontal ? TRect(r.Left + bw, r.Top, r.Right, r.Bottom) : TRect(r.Left, r.Top + bh, r.Right, r.Bottom);
            const float rr = float(std::min(t_.ButtonRadius, 2));
            Face(b, a, State::Normal, rr);
            Face(b, c, State::Normal, rr);
            Arrow(b, a.Left + a.Width() / 2.0f, a.Top + a.Height() / 2.0f, horizontal ? 2 : 0, 6.0f, t_.Text);
            Arrow(b, c.Left + c.Width() / 2.0f, c.Top + c.Height() / 2.0f, horizontal ? 3 : 1, 6.0f, t_.Text);
        });
        const int up = horizontal ? 2 : 0, down = horizontal ? 3 : 1;
        e.UpButtonRect = button(up, State::Normal);
        e.ActiveUpButtonRect = button(up, State::Hot);
        e.DownUpButtonRect = button(up, State::Pressed);
        e.DownButtonRect = button(down, State::Normal);
        e.ActiveDownButtonRect = button(down, State::Hot);
        e.DownDownButtonRect = button(down, State::Pressed);
        ctl_.Break();
    }
}

void Builder::SliderEntry()
{
    auto& e = AddControl<TbsDataSkinSlider>("slider");
    e.PictureIndex = kControls;
    const Rgb groove = Lighten(t_.Base, IsDark() ? 0.10f : -0.14f);
    e.HRulerRect = ctl_.Place(100, 6);
    e.VRulerRect = ctl_.Place(6, 100);
    const TRect hr = e.HRulerRect, vr = e.VRulerRect;
    ctl_.Draw([this, hr, vr, groove](TbsBitmap& b) {
        for (TRect r : {hr, vr})
        {
            FillRect(b, r, Solid(t_.Base));
            Fill(b, r, RoundBox(BoxOf(r), 3), Solid(groove));
            Fill(b, r, RoundBox(BoxOf(r).Inset(1), 2), Solid(Mix(groove, t_.Accent, 0.25f)));
        }
    });
    // Two thumbs side by side: at rest and hot; their corners are the key.
    auto thumbs = [&](int w, int h) {
        const TRect r = ctl_.Place(2 * w, h);
        ctl_.Draw([this, r, w](TbsBitmap& b) {
            for (int i = 0; i < 2; ++i)
            {
                const TRect c(r.Left + i * w, r.Top, r.Left + (i + 1) * w, r.Bottom);
                FillRect(b, c, Solid(t_.Base));
                const Box box = BoxOf(c).Inset(1);
                const float rad = std::min(box.W(), box.H()) / 2;
                const ShapeFn sh = RoundBox(box, rad);
                Fill(b, c, sh, Solid(Lighten(t_.Accent, -0.15f)));
                const Rgb top = i ? Lighten(t_.Accent, 0.12f) : Lighten(t_.Accent, 0.05f);
                Fill(b, c, RoundBox(box.Inset(1), rad - 1), VGradient(box.T, box.B, top, Lighten(t_.Accent, -0.05f)));
                Fill(b, TRect(c.Left, c.Top + 2, c.Right, c.Top + 3), RoundBox(box.Inset(1), rad - 1), Solid(kWhite), 0.4f);
                KeyOut(b, c, sh, kKey);
            }
        });
        return r;
    };
    e.HThumbRect = thumbs(11, 19);
    e.VThumbRect = thumbs(19, 11);
    e.EdgeSize = 3;
    e.BGColor = ToColor(t_.Base);
    e.PointsColor = ToColor(Mix(t_.Text, t_.Base, 0.45f));
    ctl_.Break();
}

void Builder::TabEntry()
{
    auto& e = AddControl<TbsDataSkinTabControl>("tab");
    e.PictureIndex = kControls;
    const Rgb line = Lighten(t_.Base, IsDark() ? 0.12f : -0.18f);
    const Rgb page = Lighten(t_.Base, IsDark() ? 0.03f : 0.04f);
    e.SkinRect = ctl_.Place(80, 60);
    const TRect pr = e.SkinRect;
    ctl_.Draw([this, pr, line, page](TbsBitmap& b) {
        FillRect(b, pr, Solid(line));
        FillRect(b, TRect(pr.Left + 1, pr.Top + 1, pr.Right - 1, pr.Bottom - 1), Solid(page));
    });
    e.LTPoint = TPoint(3, 3);
    e.RTPoint = TPoint(77, 3);
    e.LBPoint = TPoint(3, 57);
    e.RBPoint = TPoint(77, 57);
    e.ClRect = TRect(3, 3, 77, 57);
    e.LeftStretch = e.TopStretch = e.RightStretch = e.BottomStretch = e.StretchEffect = true;
    auto tab = [&](int kind) {   // 0 normal, 1 selected, 2 selected+focus, 3 hot
        const TRect r = ctl_.Place(64, 24);
        ctl_.Draw([this, r, kind, line, page](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            const Box box{float(r.Left), float(r.Top) + (kind == 1 || kind == 2 ? 0.0f : 2.0f), float(r.Right),
                          float(r.Bottom) + 4};
            const float rad = float(std::min(t_.ButtonRadius + 1, 5));
            Rgb face = kind == 0 ? Lighten(t_.Base, IsDark() ? -0.03f : -0.05f) : page;
            if (kind == 3) face = HotTab(page);
            Fill(b, r, RoundBox(box, rad), Solid(line));
            Fill(b, r, RoundBox(box.Inset(1), rad - 1), kind == 0 ? VGradient(box.T, float(r.Bottom), Lighten(face, 0.03f), face)
                                                              : Solid(face));
            if (kind == 1 || kind == 2)
                Fill(b, TRect(r.Left, r.Top + 1, r.Right, r.Top + 3), RoundBox(box.Inset(1), rad - 1), Solid(t_.Accent));
            if (kind == 2)
                Stroke(b, TRect(r.Left + 4, r.Top + 5, r.Right - 4, r.Bottom - 2),
                       RoundBox(Box{float(r.Left) + 5, float(r.Top) + 5, float(r.Right) - 5, float(r.Bottom) - 3}, 2), 1,
                       Solid(t_.Accent), 0.8f);
            if (kind == 0) HLine(b, r.Left, r.Right, r.Bottom - 1, line);
        });
        return r;
    };
    e.TabRect = tab(0);
    e.ActiveTabRect = tab(1);
    e.FocusTabRect = tab(2);
    e.MouseInTabRect = tab(3);
    e.TabsBGRect = ctl_.Place(16, 24);
    const TRect bg = e.TabsBGRect;
    ctl_.Draw([this, bg, line](TbsBitmap& b) {
        FillRect(b, bg, Solid(t_.Base));
        HLine(b, bg.Left, bg.Right, bg.Bottom - 1, line);
    });
    e.TabLeftOffset = e.TabRightOffset = 6;
    e.TabStretchEffect = true;
    Font(e);
    e.FontColor = ToColor(TextOn(Lighten(t_.Base, -0.05f)));
    e.ActiveFontColor = e.FocusFontColor = ToColor(TextOn(page));
    e.MouseInFontColor = ToColor(TextOn(HotTab(page)));
    e.UpDown = "hupdown";
    e.ShowFocus = false;
    auto close = [&](State s) {
        const TRect r = ctl_.Place(14, 14);
        ctl_.Draw([this, r, s](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            // Centred on a pixel, as the glyph is.
            const float c = 7.5f;
            const ShapeFn sh = Circle(r.Left + c, r.Top + c, 6.0f);
            Rgb ink = Mix(t_.Text, t_.Base, 0.3f);
            if (s != State::Normal)
            {
                Fill(b, r, sh, Solid(s == State::Pressed ? Lighten(t_.CloseHot, -0.1f) : t_.CloseHot));
                ink = kWhite;
            }
            Glyph(b, "close", r.Left + c, r.Top + c, ink, 0.65f);
            KeyOut(b, r, s == State::Normal ? Circle(r.Left + c, r.Top + c, 5.0f) : sh, kKey);
        });
        return r;
    };
    e.CloseButtonRect = close(State::Normal);
    e.CloseButtonActiveRect = close(State::Hot);
    e.CloseButtonDownRect = close(State::Pressed);
    e.ButtonTransparent = true;
    e.ButtonTransparentColor = bsSkinKeyColor;
    ctl_.Break();
}

void Builder::Edits()
{
    const Rgb border = Mix(Border(t_.ButtonBottom), t_.Base, 0.2f);
    const float rad = float(std::min(t_.ButtonRadius, 3));
    auto look = [&](int w, int h, bool active, bool withButton) {
        const TRect r = ctl_.Place(w, h);
        ctl_.Draw([this, r, active, withButton, border, rad](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            Sunken(b, r, t_.Surface, active ? t_.Accent : border, rad);
            if (active) Stroke(b, r, RoundBox(BoxOf(r).Inset(1), std::max(rad - 1, 0.0f)), 1, Solid(t_.Accent), 0.3f);
            if (withButton)
            {
                const TRect btn(r.Right - 19, r.Top + 2, r.Right - 2, r.Bottom - 2);
                Face(b, btn, State::Normal, std::min(rad, 2.0f));
                Glyph(b, "min", btn.Left + 8.5f, btn.Top + 5.0f, t_.Text, 0.0f);
                for (int i = 0; i < 3; ++i) Fill(b, btn, Circle(btn.Left + 4.5f + 4 * i, btn.Top + 9.5f, 1.1f), Solid(t_.Text));
            }
        });
        return r;
    };
    const Rgb textBg = t_.Surface;
    for (const char* name : {"edit", "buttonedit", "memo"})
    {
        const std::string n = name;
        auto e = n == "memo" ? std::unique_ptr<TbsDataSkinEditControl>(new TbsDataSkinMemoControl(n))
                             : std::make_unique<TbsDataSkinEditControl>(n);
        const bool button = n == "buttonedit";
        const int w = n == "memo" ? 80 : 100, h = n == "memo" ? 60 : 21;
        e->PictureIndex = kControls;
        e->SkinRect = look(w, h, false, button);
        e->ActiveSkinRect = look(w, h, true, button);
        NineSlice(*e, w, h, 3);
        if (button)
        {
            e->ClRect = TRect(3, 3, w - 21, h - 3);
            e->RTPoint = TPoint(w - 21, 3);
            e->RBPoint = TPoint(w - 21, h - 3);
            e->ButtonRect = TRect(w - 19, 2, w - 2, h - 2);
            auto btn = [&](State s) {
                const TRect r = ctl_.Place(17, h - 4);
                ctl_.Draw([this, r, s, rad](TbsBitmap& b) {
                    Face(b, r, s, std::min(rad, 2.0f));
                    const Rgb ink = s == State::Disabled ? t_.DisabledText : t_.Text;
                    for (int i = 0; i < 3; ++i)
                        Fill(b, r, Circle(r.Left + 4.5f + 4 * i, r.Top + 9.5f, 1.1f), Solid(ink));
                });
                return r;
            };
            e->ActiveButtonRect = btn(State::Hot);
            e->DownButtonRect = btn(State::Pressed);
            e->UnEnabledButtonRect = btn(State::Disabled);
        }
        Font(*e);
        e->FontColor = e->ActiveFontColor = ToColor(TextOn(textBg));
        e->DisabledFontColor = ToColor(DisabledOn(textBg));
        if (auto* m = dynamic_cast<TbsDataSkinMemoControl*>(e.get())) m->BGColor = m->ActiveBGColor = ToColor(textBg);
        d_.CtrlList.push_back(std::move(e));
        ctl_.Break();
    }
    // Rich edits, tree and list views: font and background only.
    for (const char* name : {"treeview", "listview", "richedit"})
    {
        std::unique_ptr<TbsDataSkinTextBGControl> e;
        if (std::string(name) == "treeview") e = std::make_unique<TbsDataSkinTreeView>(name);
        else if (std::string(name) == "listview") e = std::make_unique<TbsDataSkinListView>(name);
        else e = std::make_unique<TbsDataSkinRichEdit>(name);
        Font(*e);
        e->FontColor = ToColor(TextOn(textBg));
        e->BGColor = ToColor(textBg);
        d_.CtrlList.push_back(std::move(e));
    }
}

void Builder::Lists()
{
    const Rgb border = Mix(Border(t_.ButtonBottom), t_.Base, 0.2f);
    auto item = [&](int kind) {   // 0 normal, 1 selected, 2 selected with focus, 3 hot
        const TRect r = ctl_.Place(80, 19);
        ctl_.Draw([this, r, kind](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Surface));
            if (kind == 0) return;
            const Rgb c = kind == 2 ? t_.Accent : kind == 1 ? SelectedUnfocused() : HotItem();
            const float rad = float(std::min(t_.ButtonRadius, 3));
            Fill(b, r, RoundBox(BoxOf(r), rad), Solid(c));
        });
        return r;
    };
    const TRect normal = item(0), selected = item(1), focused = item(2), hot = item(3);
    ctl_.Break();
    for (const char* name : {"listbox", "checklistbox"})
    {
        std::unique_ptr<TbsDataSkinListBox> e;
        if (std::string(name) == "listbox") e = std::make_unique<TbsDataSkinListBox>(name);
        else e = std::make_unique<TbsDataSkinCheckListBox>(name);
        e->PictureIndex = kControls;
        e->SkinRect = ctl_.Place(100, 80);
        const TRect r = e->SkinRect;
        ctl_.Draw([this, r, border](TbsBitmap& b) { Sunken(b, r, t_.Surface, border, 0); });
        NineSlice(*e, 100, 80, 2);
        e->SItemRect = normal;
        e->ActiveItemRect = selected;
        e->FocusItemRect = focused;
        e->ItemLeftOffset = e->ItemRightOffset = 4;
        e->ItemTextRect = TRect(4, 0, 76, 19);
        Font(*e);
        e->FontColor = ToColor(TextOn(t_.Surface));
        e->ActiveFontColor = ToColor(TextOn(SelectedUnfocused()));
        e->FocusFontColor = ToColor(Readable(t_.SelectionText, t_.Accent, 5.0));
        e->CaptionFontName = t_.Font;
        e->CaptionFontHeight = FontH();
        e->CaptionFontColor = e->FontColor;
        e->HScrollBarName = "hscrollbar";
        e->VScrollBarName = "vscrollbar";
        e->BothScrollBarName = "bothhscrollbar";
        e->ShowFocus = false;
        if (auto* c = dynamic_cast<TbsDataSkinCheckListBox*>(e.get()))
        {
            c->UnCheckImageRect = checkMarks_[0];
            c->CheckImageRect = checkMarks_[1];
            c->ItemCheckRect = TRect(2, 2, 17, 17);
        }
        d_.CtrlList.push_back(std::move(e));
    }
    // Combo box: an edit-like look with a drop-down button.
    {
        auto& e = AddControl<TbsDataSkinComboBox>("combobox");
        e.PictureIndex = kControls;
        const int w = 120, h = 21;
        const float rad = float(std::min(t_.ButtonRadius, 3));
        auto look = [&](bool active) {
            const TRect r = ctl_.Place(w, h);
            ctl_.Draw([this, r, active, border, rad](TbsBitmap& b) {
                FillRect(b, r, Solid(t_.Base));
                Sunken(b, r, t_.Surface, active ? t_.Accent : border, rad);
                const TRect btn(r.Right - 19, r.Top + 2, r.Right - 2, r.Bottom - 2);
                Face(b, btn, State::Normal, std::min(rad, 2.0f));
                Arrow(b, btn.Left + 8.5f, btn.Top + 8.5f, 1, 7.0f, t_.Text);
            });
            return r;
        };
        e.SkinRect = look(false);
        e.ActiveSkinRect = look(true);
        NineSlice(e, w, h, 3);
        e.ClRect = TRect(3, 3, w - 21, h - 3);
        e.RTPoint = TPoint(w - 21, 3);
        e.RBPoint = TPoint(w - 21, h - 3);
        e.ButtonRect = TRect(w - 19, 2, w - 2, h - 2);
        auto btn = [&](State s) {
            const TRect r = ctl_.Place(17, h - 4);
            ctl_.Draw([this, r, s, rad](TbsBitmap& b) {
                Face(b, r, s, std::min(rad, 2.0f));
                Arrow(b, r.Left + 8.5f, r.Top + 8.5f + (s == State::Pressed ? 1 : 0), 1, 7.0f,
                      s == State::Disabled ? t_.DisabledText : t_.Text);
            });
            return r;
        };
        e.ActiveButtonRect = btn(State::Hot);
        e.DownButtonRect = btn(State::Pressed);
        e.UnEnabledButtonRect = btn(State::Disabled);
        auto itemLook = [&](int kind) {
            const TRect r = ctl_.Place(96, 15);
            ctl_.Draw([this, r, kind](TbsBitmap& b) {
                FillRect(b, r, Solid(t_.Surface));
                if (kind == 2) Fill(b, r, RoundBox(BoxOf(r), 2), Solid(t_.Accent));
                if (kind == 3) Fill(b, r, RoundBox(BoxOf(r), 2), Solid(HotItem()));
            });
            return r;
        };
        e.SItemRect = itemLook(0);
        e.ActiveItemRect = itemLook(3);
        e.FocusItemRect = itemLook(2);
        e.ItemLeftOffset = e.ItemRightOffset = 3;
        e.ItemTextRect = TRect(3, 0, 93, 15);
        e.ItemStretchEffect = e.FocusItemStretchEffect = true;
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Surface));
        e.ActiveFontColor = ToColor(TextOn(HotItem()));
        e.FocusFontColor = ToColor(Readable(t_.SelectionText, t_.Accent, 5.0));
        e.ListBoxName = "listbox";
        e.ShowFocus = false;
        ctl_.Break();
    }
    (void)hot;
}

void Builder::Labels()
{
    {
        auto& e = AddControl<TbsDataSkinLabelControl>("label");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(60, 20);
        const TRect r = e.SkinRect;
        const Rgb fill = Lighten(t_.Base, IsDark() ? 0.05f : -0.04f);
        ctl_.Draw([this, r, fill](TbsBitmap& b) {
            FillRect(b, r, Solid(t_.Base));
            Fill(b, r, RoundBox(BoxOf(r), float(std::min(t_.ButtonRadius, 3))), Solid(fill));
        });
        NineSlice(e, 60, 20, 4);
        Font(e);
        e.FontColor = ToColor(TextOn(fill));
    }
    {
        auto& e = AddControl<TbsDataSkinLabelControl>("menuheader");
        e.PictureIndex = kControls;
        e.SkinRect = ctl_.Place(100, 20);
        const TRect r = e.SkinRect;
        const Rgb fill = Mix(t_.Surface, t_.Accent, 0.10f);
        ctl_.Draw([this, r, fill](TbsBitmap& b) {
            FillRect(b, r, Solid(fill));
            HLine(b, r.Left, r.Right, r.Bottom - 1, Mix(fill, t_.Accent, 0.5f));
        });
        NineSlice(e, 100, 20, 3);
        Font(e, true);
        e.FontColor = ToColor(TextOn(fill));
    }
    {
        auto& e = AddControl<TbsDataSkinStdLabelControl>("stdlabel");
        Font(e);
        e.FontColor = ToColor(TextOn(t_.Base));
        e.ActiveFontColor = ToColor(Readable(t_.Accent, t_.Base, 4.6));
    }
    {
        auto& e = AddControl<TbsDataSkinBevel>("bevel");
        e.LightColor = ToColor(Lighten(t_.Base, IsDark() ? 0.10f : 0.08f));
        e.DarkColor = ToColor(Lighten(t_.Base, IsDark() ? -0.10f : -0.22f));
    }
    ctl_.Break();
}

void Builder::Splitters()
{
    for (bool horizontal : {true, false})
    {
        auto& e = AddControl<TbsDataSkinSplitterControl>(horizontal ? "hsplitter" : "vsplitter");
        e.PictureIndex = kControls;
        e.SkinRect = horizontal ? ctl_.Place(40, 6) : ctl_.Place(6, 40);
        const TRect r = e.SkinRect;
        ctl_.Draw([this, r](TbsBitmap& b) { FillRect(b, r, Solid(t_.Base)); });
        if (horizontal)
        {
            e.LTPoint = TPoint(2, 0);
            e.RTPoint = TPoint(38, 0);
            e.LBPoint = TPoint(2, 6);
            e.RBPoint = TPoint(38, 6);
            e.ClRect = TRect(2, 0, 38, 6);
        }
        else
        {
            e.LTPoint = TPoint(0, 2);
            e.RTPoint = TPoint(6, 2);
            e.LBPoint = TPoint(0, 38);
            e.RBPoint = TPoint(6, 38);
            e.ClRect = TRect(0, 2, 6, 38);
        }
        e.LeftStretch = e.TopStretch = e.RightStretch = e.BottomStretch = e.StretchEffect = true;
        e.GripperRect = horizontal ? ctl_.Place(16, 6) : ctl_.Place(6, 16);
        const TRect g = e.GripperRect;
        ctl_.Draw([this, g, horizontal](TbsBitmap& b) {
            FillRect(b, g, Solid(t_.Base));
            const Rgb dot = Lighten(t_.Base, IsDark() ? 0.2f : -0.3f);
            for (int i = 0; i < 4; ++i)
            {
                const float x = horizontal ? g.Left + 2.0f + 4 * i : g.Left + 3.0f;
                const float y = horizontal ? g.Top + 3.0f : g.Top + 2.0f + 4 * i;
                Fill(b, g, Circle(x, y, 1.1f), Solid(dot));
            }
            KeyColor(b, g, t_.Base);
        });
        e.GripperTransparent = true;
        e.GripperTransparentColor = bsSkinKeyColor;
    }
    ctl_.Break();
}

void Builder::MenuBar()
{
    const Rgb barTop = Lighten(t_.Base, 0.04f), barBottom = Lighten(t_.Base, -0.02f);
    auto& bar = AddControl<TbsDataSkinMainMenuBar>("mainmenubar");
    bar.PictureIndex = kControls;
    bar.SkinRect = ctl_.Place(100, 22);
    const TRect br = bar.SkinRect;
    ctl_.Draw([this, br, barTop, barBottom](TbsBitmap& b) {
        FillRect(b, br, VGradient(float(br.Top), float(br.Bottom), barTop, barBottom));
        HLine(b, br.Left, br.Right, br.Bottom - 1, Lighten(t_.Base, IsDark() ? 0.08f : -0.12f));
    });
    bar.ItemsRect = TRect(2, 0, 98, 22);
    bar.MenuBarItem = "menubaritem";
    bar.CloseButton = "mdiclosebutton";
    bar.MaxButton = "mdimaxbutton";
    bar.MinButton = "mdiminbutton";
    bar.SysMenuButton = "mdisysmenubutton";
    bar.TrackMarkColor = ToColor(t_.Text);
    bar.TrackMarkActiveColor = ToColor(Readable(t_.Accent, t_.Base, 3.0));
    bar.StretchEffect = true;
    bar.ItemTransparent = true;
    // Menu bar item: transparent at rest, tinted when hot, the popup colour
    // when pressed (its menu is open).
    auto& it = AddObject<TbsDataSkinMainMenuBarItem>("menubaritem");
    it.ActivePictureIndex = kControls;
    it.SkinRectInAPicture = true;
    it.SkinRect = ctl_.Place(50, 22);
    it.ActiveSkinRect = ctl_.Place(50, 22);
    it.DownRect = ctl_.Place(50, 22);
    const TRect n = it.SkinRect, a = it.ActiveSkinRect, dn = it.DownRect;
    ctl_.Draw([this, n, a, dn, barTop, barBottom](TbsBitmap& b) {
        for (TRect r : {n, a, dn}) FillRect(b, r, VGradient(float(r.Top), float(r.Bottom), barTop, barBottom));
        const float rad = float(std::min(t_.ButtonRadius, 3));
        Fill(b, a, RoundBox(BoxOf(a).Inset(1), rad), Solid(HotItem()));
        Fill(b, dn, RoundBox(BoxOf(dn).Inset(1), rad), Solid(OpenItem()));
        Stroke(b, dn, RoundBox(BoxOf(dn).Inset(1.5f), rad), 1, Solid(Mix(OpenItem(), t_.Accent, 0.6f)), 0.8f);
    });
    it.ItemLO = it.ItemRO = 4;
    it.TextRct = TRect(4, 0, 46, 22);
    it.StretchEffect = true;
    Font(it);
    it.FontColor = ToColor(TextOn(Mix(barTop, barBottom, 0.5f)));
    it.ActiveFontColor = ToColor(TextOn(HotItem()));
    it.DownFontColor = ToColor(TextOn(OpenItem()));
    it.UnEnabledFontColor = ToColor(DisabledOn(t_.Base));
    it.AnimateInterval = 25;
    ctl_.Break();
}

void Builder::MenuItem()
{
    auto& m = AddObject<TbsDataSkinMenuItem>("menuitem");
    m.ActivePictureIndex = kControls;
    m.SkinRectInAPicture = true;
    const Rgb gutter = Mix(t_.Surface, t_.Base, 0.7f);
    const int w = 120, h = 20, g = 24;
    m.SkinRect = ctl_.Place(w, h);
    m.ActiveSkinRect = ctl_.Place(w, h);
    m.DividerRect = ctl_.Place(w, 7);
    const TRect n = m.SkinRect, a = m.ActiveSkinRect, dv = m.DividerRect;
    ctl_.Draw([this, n, a, dv, gutter, g](TbsBitmap& b) {
        for (TRect r : {n, a, dv})
        {
            FillRect(b, r, Solid(t_.Surface));
            FillRect(b, TRect(r.Left, r.Top, r.Left + g, r.Bottom), Solid(gutter));
        }
        const float rad = float(std::min(t_.ButtonRadius, 3));
        Fill(b, a, RoundBox(BoxOf(a).Inset(1.5f), rad), Solid(HotItem()));
        Stroke(b, a, RoundBox(BoxOf(a).Inset(1.5f), rad), 1, Solid(Mix(HotItem(), t_.Accent, 0.5f)), 0.6f);
        HLine(b, dv.Left + g + 4, dv.Right - 2, dv.Top + 3, Lighten(t_.Surface, IsDark() ? 0.12f : -0.15f));
    });
    m.ItemLO = g + 2;
    m.ItemRO = 4;
    m.DividerLO = g + 4;
    m.DividerRO = 4;
    m.TextRct = TRect(g + 6, 0, w - 20, h);
    m.ImageRct = TRect(3, 2, 21, 18);
    m.StretchEffect = m.DividerStretchEffect = m.InActiveStretchEffect = true;
    Font(m);
    m.FontColor = ToColor(TextOn(t_.Surface));
    m.ActiveFontColor = ToColor(TextOn(HotItem()));
    m.UnEnabledFontColor = ToColor(DisabledOn(t_.Surface));
    m.UseImageColor = true;
    m.ImageColor = ToColor(t_.Text);
    m.ActiveImageColor = ToColor(t_.Text);
    // Marks: check, radio and submenu arrow, at rest and hot.
    auto mark = [&](int kind, bool hot) {
        const TRect r = ctl_.Place(11, 11);
        ctl_.Draw([this, r, kind, hot, gutter](TbsBitmap& b) {
            const Rgb bg = kind == 2 ? (hot ? HotItem() : t_.Surface) : (hot ? HotItem() : gutter);
            FillRect(b, r, Solid(bg));
            const float x = float(r.Left), y = float(r.Top);
            ShapeFn sh;
            if (kind == 0) sh = Union(Segment(x + 2, y + 5.5f, x + 4.5f, y + 8, 1.7f), Segment(x + 4.5f, y + 8, x + 9, y + 2.5f, 1.7f));
            if (kind == 1) sh = Circle(x + 5.5f, y + 5.5f, 2.6f);
            if (kind == 2)
            {
                Arrow(b, x + 5.5f, y + 5.5f, 3, 7.0f, t_.Text);
                KeyColor(b, r, bg);
                return;
            }
            Fill(b, r, sh, Solid(t_.Text));
            KeyOut(b, r, sh, kKey);
        });
        return r;
    };
    m.CheckImageRect = mark(0, false);
    m.ActiveCheckImageRect = mark(0, true);
    m.RadioImageRect = mark(1, false);
    m.ActiveRadioImageRect = mark(1, true);
    m.ArrowImageRect = mark(2, false);
    m.ActiveArrowImageRect = mark(2, true);
    m.AnimateInterval = 25;
    ctl_.Break();
}

// Caption buttons, the system-menu icon, the caption and the MDI buttons of
// the menu bar; all but the caption lie in the caption picture.
void Builder::CaptionObjects()
{
    const int bw = t_.CapButtonW, bh = t_.CapButtonH;
    const int by = buttonsRect_.Top;
    struct Cmd
    {
        const char* name;
        TbsStdCommand cmd;
        const char* glyph;
        const char* restore;
        const char* hint;
        Rgb circle;
    };
    // Circles take their colours by what they do: red closes, yellow
    // minimizes, green maximizes, wherever the row places them.
    const Cmd cmds[] = {{"closebutton", cmClose, "close", nullptr, "Close", ParseRgb("#FF5F57")},
                        {"maxbutton", cmMaximize, "max", "restore", "Maximize", ParseRgb("#28C840")},
                        {"minbutton", cmMinimize, "min", "restore", "Minimize", ParseRgb("#FEBC2E")},
                        {"rollupbutton", cmRollUp, "rollup", "rolldown", "Roll Up", ParseRgb("#5AA9E6")},
                        {"traybutton", cmMinimizeToTray, "tray", nullptr, "Minimize to Tray", ParseRgb("#B18CE0")}};
    // The caption under the buttons, taken from the frame picture (the
    // buttons' row is plain along x there, so any slot has the same look).
    const int sampleX = t_.ButtonsLeft ? buttonsRect_.Left + bw / 2 : buttonsRect_.Right - bw / 2;
    std::vector<TbsColor> column[2];
    for (int active = 0; active < 2; ++active)
    {
        TbsBitmap frame;
        frame.SetSize(fw_, fh_);
        Frame(frame, active != 0);
        for (int y = 0; y < bh; ++y) column[active].push_back(frame.GetPixel(sampleX, by + y));
    }
    auto background = [column, bh](TbsBitmap& b, const TRect& r, bool active) {
        for (int y = 0; y < bh; ++y)
            for (int x = r.Left; x < r.Right; ++x) b.SetPixel(x, r.Top + y, column[active ? 1 : 0][y]);
    };
    // One caption button picture: background, plate by state, glyph.
    auto draw = [this, bw, bh, background](const Cmd& c, const char* glyph, State s, bool active) {
        const TRect r = cap_.Place(bw, bh);
        cap_.Draw([this, r, c, glyph, s, active, bw, bh, background](TbsBitmap& b) {
            background(b, r, active);
            // The middle on a pixel's centre, where the glyphs sit.
            const float cx = std::floor(r.Left + bw / 2.0f) + 0.5f, cy = std::floor(r.Top + bh / 2.0f) + 0.5f;
            const bool close = c.cmd == cmClose;
            const Rgb capText = active ? t_.CaptionText : t_.InactiveText;
            if (t_.CapButtons == CaptionButtons::Circles)
            {
                const float rad = std::min(bw, bh) / 2.0f - 2.5f;
                Rgb fill = active && s != State::Disabled ? c.circle : Mix(t_.InactiveBottom, kBlack, 0.12f);
                if (s == State::Pressed) fill = Lighten(fill, -0.12f);
                Fill(b, r, Circle(cx, cy, rad), Solid(Lighten(fill, -0.18f)));
                Fill(b, r, Circle(cx, cy, rad - 0.8f), Solid(fill));
                if (s == State::Hot || s == State::Pressed)
                    Glyph(b, glyph, cx, cy + (std::string(glyph) == "min" ? -2.0f : 0.0f), Mix(fill, kBlack, 0.6f), 0.7f);
                return;
            }
            const Box box = BoxOf(r).Inset(1);
            const float rad = float(std::min(t_.ButtonRadius, 4));
            Rgb ink = capText;
            if (t_.CapButtons == CaptionButtons::Glass)
            {
                // Glass buttons always show a plate; the close button is red,
                // a muted red on an inactive caption (quieter than the active
                // one, as every other part of an inactive frame is).
                Rgb base = close ? Mix(t_.CloseHot, kBlack, 0.1f) : Mix(t_.CaptionBottom, kWhite, 0.12f);
                if (!active) base = close ? Mix(t_.CloseHot, t_.InactiveBottom, 0.55f) : Mix(t_.InactiveBottom, kWhite, 0.12f);
                if (s == State::Hot) base = close ? Lighten(t_.CloseHot, 0.08f) : Mix(base, t_.Accent, 0.5f);
                if (s == State::Pressed) base = Lighten(base, -0.12f);
                if (s == State::Disabled) base = Mix(base, t_.CaptionBottom, 0.6f);
                Fill(b, r, RoundBox(box, rad), Solid(Lighten(base, -0.25f)));
                Fill(b, r, RoundBox(box.Inset(1), rad - 1),
                     VStops(box.T, box.B, {{0.0f, Lighten(base, 0.18f)}, {0.48f, Lighten(base, 0.06f)},
                                           {0.52f, base}, {1.0f, Lighten(base, 0.08f)}}));
                ink = active ? kWhite : Readable(t_.InactiveText, base, 3.0);
            }
            else if (s == State::Hot || s == State::Pressed)
            {
                Rgb plate = close ? t_.CloseHot : (t_.HasHotColors ? t_.HotTop : Mix(t_.CaptionTop, kWhite, 0.35f));
                if (s == State::Pressed) plate = Lighten(plate, -0.12f);
                Fill(b, r, RoundBox(box, rad), Solid(plate), close || t_.HasHotColors ? 1.0f : 0.75f);
                ink = close ? kWhite : Readable(capText, plate, 4.5);
            }
            if (s == State::Disabled) ink = Mix(ink, t_.CaptionBottom, 0.6f);
            Glyph(b, glyph, cx + (s == State::Pressed ? 0.5f : 0.0f), cy + (s == State::Pressed ? 0.5f : 0.0f), ink, 1.0f);
        });
        return r;
    };
    for (const Cmd& c : cmds)
    {
        auto& o = AddObject<TbsDataSkinStdButton>(c.name);
        o.Command = c.cmd;
        o.Hint = c.hint;
        o.ActivePictureIndex = kCaption;
        o.SkinRectInAPicture = true;
        o.SkinRect = draw(c, c.glyph, State::Normal, true);
        o.ActiveSkinRect = draw(c, c.glyph, State::Hot, true);
        o.DownRect = draw(c, c.glyph, State::Pressed, true);
        o.DisableSkinRect = draw(c, c.glyph, State::Disabled, true);
        if (t_.InactivePicture) o.InActiveSkinRect = draw(c, c.glyph, State::Normal, false);
        if (c.restore)
        {
            o.RestoreRect = draw(c, c.restore, State::Normal, true);
            o.RestoreActiveRect = draw(c, c.restore, State::Hot, true);
            o.RestoreDownRect = draw(c, c.restore, State::Pressed, true);
            if (t_.InactivePicture) o.RestoreInActiveRect = draw(c, c.restore, State::Normal, false);
            o.RestoreHint = "Restore";
        }
        cap_.Break();
        if (t_.Morph)
        {
            o.Morphing = true;
            o.MorphKind = mkDefault;
        }
        if (t_.Glow)
        {
            o.GlowLayerPictureIndex = capGlow_;
            o.GlowLayerMaskPictureIndex = capGlowMask_;
            o.GlowLayerOffsetX = o.GlowLayerOffsetY = 8;
            o.GlowLayerAlphaBlendValue = 200;
        }
    }
    // System menu: the program's small icon (the form may show its own).
    {
        auto& o = AddObject<TbsDataSkinStdButton>("sysmenubutton");
        o.Command = cmSysMenu;
        o.Hint = "System Menu";
        o.ActivePictureIndex = kCaption;
        o.SkinRectInAPicture = true;
        const int s = 16;
        auto icon = [&](bool hot, bool active) {
            const TRect r = cap_.Place(s + 4, bh);
            cap_.Draw([this, r, hot, active, s, background](TbsBitmap& b) {
                background(b, r, active);
                const Box box{float(r.Left) + 2, float(r.Top) + (r.Height() - s) / 2.0f, float(r.Left) + 2 + s,
                              float(r.Top) + (r.Height() + s) / 2.0f};
                const Rgb c = active ? t_.Accent : Mix(t_.Accent, t_.InactiveBottom, 0.5f);
                if (hot) Fill(b, r, RoundBox(BoxOf(r), 3), Solid(kWhite), 0.3f);
                Fill(b, r, RoundBox(box, 3.5f), VGradient(box.T, box.B, Lighten(c, 0.12f), Lighten(c, -0.08f)));
                // A play mark: the program converts media.
                FillPolygon(b, {{box.L + 6, box.T + 4}, {box.L + 6, box.B - 4}, {box.R - 4, box.T + 8}}, kWhite);
            });
            return r;
        };
        o.SkinRect = icon(false, true);
        o.ActiveSkinRect = icon(true, true);
        o.DownRect = o.ActiveSkinRect;
        if (t_.InactivePicture) o.InActiveSkinRect = icon(false, false);
        cap_.Break();
    }
    // MDI child buttons of the menu bar: small plates on the bar colour.
    const Cmd mdi[] = {{"mdiclosebutton", cmClose, "close", nullptr, "Close", {}},
                       {"mdimaxbutton", cmMaximize, "restore", nullptr, "Restore", {}},
                       {"mdiminbutton", cmMinimize, "min", nullptr, "Minimize", {}},
                       {"mdisysmenubutton", cmSysMenu, "rolldown", nullptr, "System Menu", {}}};
    for (const Cmd& c : mdi)
    {
        auto& o = AddObject<TbsDataSkinMainMenuBarButton>(c.name);
        o.Command = c.cmd;
        o.Hint = c.hint;
        // What the reader fills in for these hints, so that a skin reads back
        // as it was written.
        if (o.Hint == std::string("Minimize")) o.RestoreHint = "Restore";
        o.ActivePictureIndex = kControls;
        o.SkinRectInAPicture = true;
        auto small = [&](State s) {
            const TRect r = ctl_.Place(18, 16);
            ctl_.Draw([this, r, s, c](TbsBitmap& b) {
                FillRect(b, r, VGradient(float(r.Top) - 3, float(r.Bottom) + 3, Lighten(t_.Base, 0.04f), Lighten(t_.Base, -0.02f)));
                if (s != State::Normal) Face(b, r, s, 2);
                Glyph(b, c.glyph, r.Left + 9.0f, r.Top + 8.0f, t_.Text, 0.75f);
            });
            return r;
        };
        o.SkinRect = small(State::Normal);
        o.ActiveSkinRect = small(State::Hot);
        o.DownRect = small(State::Pressed);
    }
    ctl_.Break();
    // The caption: text over the frame picture's caption band.
    auto& cp = AddObject<TbsDataSkinCaption>("caption");
    cp.SkinRectInAPicture = false;
    cp.SkinRect = captionRect_;
    cp.TextRct = TRect(4, t_.Border / 2, captionRect_.Width() - 4, captionRect_.Height());
    cp.FontName = t_.Font;
    cp.FontHeight = FontH() + 1;
    cp.FontStyle = TbsFontStyles(TbsFontStyles::Bold);
    cp.ActiveFontColor = ToColor(t_.CaptionText);
    cp.FontColor = ToColor(t_.InactiveText);
    cp.Alignment = t_.CaptionCentered ? bstaCenter : bstaLeftJustify;
    cp.Shadow = t_.CaptionShadow;
    // The shadow sets the text off its caption: darker under light text,
    // lighter under dark text.
    const bool darkInactiveText = bsContrastRatio(ToColor(t_.InactiveText), ToColor(kBlack)) <
                                  bsContrastRatio(ToColor(t_.InactiveBottom), ToColor(kBlack));
    cp.ShadowColor = ToColor(Lighten(t_.InactiveBottom, darkInactiveText ? 0.12f : -0.2f));
    cp.ActiveShadowColor = ToColor(Lighten(t_.CaptionBottom, -0.3f));
    cp.StretchEffect = false;
    cp.AnimateInterval = 25;
}

// Popup menu window, hint window, layered frame, glow pictures.
void Builder::Windows()
{
    const Rgb border = Mix(Border(t_.ButtonBottom), t_.Text, 0.1f);
    {
        const int W = 60, H = 60;
        TbsBitmap b;
        b.SetSize(W, H);
        FillRect(b, TRect(0, 0, W, H), Solid(border));
        FillRect(b, TRect(1, 1, W - 1, H - 1), Solid(t_.Surface));
        HLine(b, 1, W - 1, 1, kWhite, IsDark() ? 0.05f : 0.6f);
        auto& p = d_.PopupWindow;
        p.WindowPictureIndex = AddPicture("popup.bmp", PictureOf(b));
        p.LTPoint = TPoint(3, 3);
        p.RTPoint = TPoint(W - 3, 3);
        p.LBPoint = TPoint(3, H - 3);
        p.RBPoint = TPoint(W - 3, H - 3);
        p.ItemsRect = TRect(3, 3, W - 3, H - 3);
        p.ScrollMarkerColor = ToColor(t_.Text);
        p.ScrollMarkerActiveColor = ToColor(Readable(t_.Accent, t_.Surface, 3.0));
        p.TopStretch = p.LeftStretch = p.RightStretch = p.BottomStretch = p.StretchEffect = true;
        p.StretchType = bsstFull;
    }
    {
        const int W = 40, H = 30;
        TbsBitmap b;
        b.SetSize(W, H);
        const Rgb tip = Mix(t_.Surface, t_.Accent, IsDark() ? 0.12f : 0.06f);
        FillRect(b, TRect(0, 0, W, H), Solid(tip));
        Stroke(b, TRect(0, 0, W, H), RoundBox(Box{0, 0, float(W), float(H)}, 0), 1, Solid(border));
        FillRect(b, TRect(1, 1, W - 1, 2), Solid(Mix(tip, kWhite, 0.4f)));
        auto& h = d_.HintWindow;
        h.WindowPictureIndex = AddPicture("hint.bmp", PictureOf(b));
        h.LTPoint = TPoint(4, 4);
        h.RTPoint = TPoint(W - 4, 4);
        h.LBPoint = TPoint(4, H - 4);
        h.RBPoint = TPoint(W - 4, H - 4);
        h.ClRect = TRect(4, 4, W - 4, H - 4);
        h.FontName = t_.Font;
        h.FontHeight = FontH();
        h.FontColor = ToColor(TextOn(tip));
        h.TopStretch = h.LeftStretch = h.RightStretch = h.BottomStretch = h.StretchEffect = true;
    }
    if (t_.PanelTexture != Texture::None)
    {
        const int P = t_.TexturePeriod * std::max(1, 64 / t_.TexturePeriod);
        TbsBitmap b;
        b.SetSize(P, P);
        FillRect(b, TRect(0, 0, P, P), Solid(t_.Base));
        ApplyTexture(b, TRect(0, 0, P, P), t_.PanelTexture, t_.TexturePeriod, t_.TextureStrength);
        clientBg_ = AddPicture("client.bmp", PictureOf(b));
        d_.BGPictureIndex = clientBg_;
        d_.StretchEffect = false;
    }
    if (t_.Glow)
    {
        // A soft accent halo around a button (75 x 23 plus 6 on each side)
        // and a round one around a caption button; the masks carry alpha as
        // grey.
        auto halo = [&](int w, int h, float rad, int margin, const std::string& name, int& pic, int& mask) {
            TbsBitmap g, m;
            g.SetSize(w, h);
            m.SetSize(w, h);
            FillRect(g, TRect(0, 0, w, h), Solid(Lighten(t_.Accent, 0.15f)));
            FillRect(m, TRect(0, 0, w, h), Solid(kBlack));
            const Box in{float(margin), float(margin), float(w - margin), float(h - margin)};
            const ShapeFn sh = RoundBox(in, rad);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    const float d = sh(x + 0.5f, y + 0.5f);
                    const float a = d <= 0 ? 0.35f : std::max(0.0f, 1.0f - d / float(margin));
                    const float v = d <= 0 ? a : a * a;
                    m.SetPixel(x, y, ToBs(Rgb{v * 255, v * 255, v * 255}));
                }
            pic = AddPicture(name + ".bmp", PictureOf(g));
            mask = AddPicture(name + "mask.bmp", PictureOf(m));
        };
        halo(75 + 12, 23 + 12, float(t_.ButtonRadius), 6, "glow", glow_, glowMask_);
        halo(t_.CapButtonW + 16, t_.CapButtonH + 16, 4, 8, "capglow", capGlow_, capGlowMask_);
    }
    if (t_.LayerFrame)
    {
        // A soft shadow around the whole form, drawn in a layered window
        // under it. It starts right at the window's outline (no gap, the same
        // corners), a little deeper below than above; the outline's edge
        // pixels the window's mask leaves out are drawn here by coverage, so
        // the rounded corners come out smooth.
        const int S = 14;
        const int W = fw_ + 2 * S, H = fh_ + 2 * S;
        TbsBitmap g, m;
        g.SetSize(W, H);
        m.SetSize(W, H);
        const Rgb shade = Mix(t_.CaptionBottom, kBlack, 0.7f), edge = t_.FrameOutline;
        const ShapeFn form = FrameShape();
        const ShapeFn below = RoundBox2(Box{0, 2, float(fw_), float(fh_) + 2}, float(t_.FrameRadius), BottomRadius());
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
            {
                const int fx = x - S, fy = y - S;
                const float cover = Coverage(form, fx, fy);
                float a = 0, e = 0;
                Rgb c = shade;
                if (cover < kMaskKeeps)
                {
                    const float d = std::max(below(fx + 0.5f, fy + 0.5f), 0.0f);
                    const float t = std::max(0.0f, 1.0f - d / float(S));
                    a = 0.55f * t * t;
                    e = cover;
                    // The outline's coverage over the shadow.
                    const float all = e + a * (1 - e);
                    if (all > 0) c = Mix(shade, edge, e / all);
                    a = all;
                }
                g.SetPixel(x, y, ToBs(c));
                m.SetPixel(x, y, ToBs(Rgb{a * 255, a * 255, a * 255}));
            }
        auto& l = d_.LayerFrame;
        l.PictureIndex = AddPicture("layer.bmp", PictureOf(g));
        l.MaskPictureIndex = AddPicture("layermask.bmp", PictureOf(m));
        l.InActivePictureIndex = -1;
        l.InActiveMaskPictureIndex = -1;
        const int k = S + 24;
        l.LTPoint = TPoint(k, k);
        l.RTPoint = TPoint(W - k, k);
        l.LBPoint = TPoint(k, H - k);
        l.RBPoint = TPoint(W - k, H - k);
        l.ClRect = TRect(S, S, W - S, H - S);
        l.AlphaBlendValue = 255;
        l.InActiveAlphaBlendValue = 170;
        l.BorderRect = TRect(S - 4, S - 4, W - S + 4, H - S + 4);
        l.HitTestEnable = true;
    }
}

void Builder::Colors()
{
    auto& c = d_.FSkinColors;
    c.FcBtnFace = ToColor(t_.Base);
    c.FcBtnText = ToColor(TextOn(t_.Base));
    c.FcWindow = ToColor(t_.Surface);
    c.FcWindowText = ToColor(TextOn(t_.Surface));
    c.FcHighLight = ToColor(t_.Accent);
    c.FcHighLightText = ToColor(Readable(t_.SelectionText, t_.Accent, 5.0));
    c.FcBtnHighLight = ToColor(Lighten(t_.Base, IsDark() ? 0.10f : 0.08f));
    c.FcBtnShadow = ToColor(Lighten(t_.Base, IsDark() ? -0.10f : -0.30f));
}

void Builder::Run()
{
    // Frame geometry: a left piece, a middle that tiles (a multiple of the
    // texture period), a right piece that holds the caption buttons.
    const int B = t_.Border, C = t_.CaptionHeight;
    const int bw = t_.CapButtonW, bh = t_.CapButtonH, gap = t_.CapButtonGap;
    const int row = 3 * bw + 2 * gap;
    const int by = std::max((C - bh) / 2, 2);
    if (t_.ButtonsLeft)
    {
        buttonsRect_ = TRect(B + 6, by, B + 6 + row, by + bh);
        ltx_ = buttonsRect_.Right + 8;
        rtw_ = 24;
    }
    else
    {
        ltx_ = 40;
        rtw_ = row + B + 14;
    }
    // At its narrowest (also the minimized tile) the frame still holds the
    // roll-up button beside the three, the system-menu icon and some words
    // of the title; the picture is at least that wide (its plain caption
    // piece grows), so that every size from the narrowest up is drawn from
    // whole pieces.
    const int fourButtons = 4 * bw + 3 * gap;
    const int titled = t_.ButtonsLeft ? B + 6 + fourButtons + 6 + kTitleRoom + 10
                                      : B + 2 + 20 + gap + kTitleRoom + 6 + fourButtons + B + 6;
    const int narrowest = std::max(ltx_ + rtw_ + (t_.ButtonsLeft ? 0 : bw + gap + 8), titled);
    if (ltx_ + 96 + rtw_ < narrowest) (t_.ButtonsLeft ? rtw_ : ltx_) += narrowest - (ltx_ + 96 + rtw_);
    fw_ = ltx_ + 96 + rtw_;
    fh_ = C + 90 + B;
    if (!t_.ButtonsLeft) buttonsRect_ = TRect(fw_ - B - 6 - row, by, fw_ - B - 6, by + bh);
    captionRect_ = t_.ButtonsLeft ? TRect(buttonsRect_.Right + 6, 0, fw_ - 10, C)
                                  : TRect(B + 2, 0, buttonsRect_.Left - 6, C);

    d_.SkinName = t_.Name;
    d_.SkinAuthor = "Quorvel MTS";
    d_.AuthorURL = "";
    d_.AuthorEmail = "";
    d_.SkinComments = t_.Comment;

    // Pictures: frame, inactive frame, mask.
    TbsBitmap frame;
    frame.SetSize(fw_, fh_);
    Frame(frame, true);
    d_.FPicture.SetPixels(fw_, fh_, OpaquePixels(frame));
    d_.FPictureName = "frame.bmp";
    if (t_.InactivePicture)
    {
        TbsBitmap in;
        in.SetSize(fw_, fh_);
        Frame(in, false);
        d_.FInActivePicture.SetPixels(fw_, fh_, OpaquePixels(in));
        d_.FInActivePictureName = "inactive.bmp";
    }
    else
    {
        d_.AutoRenderingInActiveImage = true;
        d_.InActiveEffect = t_.InactiveEffect;
    }
    if (t_.Mask)
    {
        TbsBitmap m;
        m.SetSize(fw_, fh_);
        // The window keeps every pixel the outline covers by kMaskKeeps or
        // more; the frame picture blends those edge pixels by coverage.
        const ShapeFn shape = FrameShape();
        for (int y = 0; y < fh_; ++y)
            for (int x = 0; x < fw_; ++x)
                m.SetPixel(x, y, Coverage(shape, x, y) >= kMaskKeeps ? 0xFF000000u : 0xFFFFFFFFu);
        d_.FMask.SetPixels(fw_, fh_, OpaquePixels(m));
        d_.FMaskName = "mask.bmp";
    }

    // FORMINFO.
    d_.ClRect = TRect(B, C, fw_ - B, fh_ - B);
    d_.LTPoint = TPoint(ltx_, C + 8);
    d_.RTPoint = TPoint(fw_ - rtw_, C + 8);
    d_.LBPoint = TPoint(16, fh_ - 12);
    d_.RBPoint = TPoint(fw_ - 16, fh_ - 12);
    d_.LeftStretch = d_.RightStretch = d_.BottomStretch = true;
    d_.TopStretch = false;
    d_.StretchEffect = true;
    d_.StretchType = bsstFull;
    d_.ButtonsRect = buttonsRect_;
    d_.CaptionRect = captionRect_;
    d_.ButtonsOffset = gap;
    d_.CapButtonsInLeft = t_.ButtonsLeft;
    d_.BorderW = B;
    d_.FormMinWidth = narrowest;
    if (t_.Mask)
    {
        d_.MaskRectArea = TRect(B, t_.FrameRadius, fw_ - B, fh_ - B);
        d_.HitTestLTPoint = d_.LTPoint;
        d_.HitTestRTPoint = d_.RTPoint;
        d_.HitTestLBPoint = d_.LBPoint;
        d_.HitTestRBPoint = d_.RBPoint;
    }

    // Active pictures: 0 controls atlas, 1 caption buttons, then the windows.
    Buttons();
    MenuMarkers();
    ToolButtons();
    MenuButtons();
    CheckRadio();
    ScrollBars();
    UpDowns();
    SliderEntry();
    TabEntry();
    Edits();
    Lists();
    Labels();
    Splitters();
    MenuBar();
    MenuItem();
    d_.FActivePictures.clear();
    d_.FActivePicturesNames.clear();
    AddPicture("controls.bmp", nullptr);
    AddPicture("caption.bmp", nullptr);
    Windows();
    Panels();
    CaptionObjects();
    // Glow pictures were numbered by Windows(); buttons made before it take
    // them now.
    for (auto& e : d_.CtrlList)
        if (auto* b = dynamic_cast<TbsDataSkinButtonControl*>(e.get()); b && b->IDName == "button" && t_.Glow)
        {
            b->GlowLayerPictureIndex = glow_;
            b->GlowLayerMaskPictureIndex = glowMask_;
        }
    d_.FActivePictures[kControls] = ctl_.Render(t_.Base);
    d_.FActivePictures[kCaption] = cap_.Render(t_.CaptionBottom);
    Colors();
    d_.Empty = false;
}
}  // namespace

std::unique_ptr<TbsSkinData> BuildSkin(const Theme& theme)
{
    auto d = std::make_unique<TbsSkinData>();
    Builder(theme, *d).Run();
    return d;
}
}  // namespace skingen
