// The frame art of the stored skins, checked on real forms painted off
// screen: the caption around the caption buttons is the caption (no plate
// wider than the buttons shown), the caption has no hard colour step, an
// inactive close button is quieter than the active one, the Mac-like circles
// are red, yellow, green by what they do, rounded frames are cut and their masked corners
// blend by coverage, and the narrowest frame (the minimized tile) still shows
// words of its title.
#include "lib/bsSkinForm.h"
#include "skin/stored/helpers.h"
#include "tools/skingallery/Gallery.h"
#include "tools/skingen/Theme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <map>

namespace
{
constexpr TbsColor kOutside = 0xFF123456u;

int Channel(TbsColor c, int sh) { return int((c >> sh) & 0xFF); }

// The largest channel difference of two pixels.
int Distance(TbsColor a, TbsColor b)
{
    int d = 0;
    for (int sh : {0, 8, 16}) d = std::max(d, std::abs(Channel(a, sh) - Channel(b, sh)));
    return d;
}

int Chroma(TbsColor c)
{
    return std::max({Channel(c, 0), Channel(c, 8), Channel(c, 16)}) - std::min({Channel(c, 0), Channel(c, 8), Channel(c, 16)});
}

// A skinned form painted with its frame, and where its caption objects lay.
struct Painted
{
    TbsBitmap Bitmap;
    std::map<TbsStdCommand, TRect> Buttons;   // visible caption buttons
    TRect Caption;                            // the caption object
    TRect Client;
    int MinW = 0, MinH = 0;
};

void Paint(Painted& p, TbsSkinData& d, int w, int h, const std::string& caption, bool active,
           const TbsBorderIcons* icons = nullptr, const std::function<void(TbsSkinCaptionObject&)>& look = {})
{
    {
        TForm f(nullptr);
        f.SetCaption(caption);
        auto* sf = new TbsSkinForm(&f);
        if (icons) sf->SetBorderIcons(*icons);
        sf->SetSkinData(&d);
        f.SetBounds(0, 0, w, h);
        f.HandleNeeded();
        SendMessage(f.Handle(), WM_NCACTIVATE, active ? 1 : 0, 0);
        sf->MorphTimer->SetEnabled(false);
        sf->AnimateTimer->SetEnabled(false);
        for (auto& o : sf->ObjectList)
        {
            o->FMorphKf = o->Active ? 1.0 : 0.0;
            if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get()))
            {
                if (look) look(*c);
                c->CurrentFrame = c->Active ? c->FrameCount + 1 : 0;
                p.Caption = c->ObjectRect;
            }
            else if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Visible)
                p.Buttons[b->Command] = b->ObjectRect;
        }
        p.Client = sf->NewClRect;
        p.MinW = sf->GetMinWidth();
        p.MinH = sf->GetMinHeight();
        gallery::RenderFramedForm(f, *sf, p.Bitmap, kOutside);
    }
    gallery::ServeMessages();
}

skingen::Theme ThemeOf(int index)
{
    const std::string file = bsStoredSkin(index).FileName;
    return skingen::LoadTheme(std::string(QUORVEL_SOURCE_DIR) + "/skins/" + file.substr(0, file.find('.')) + ".theme");
}

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

class FrameArt : public testing::TestWithParam<int>
{
protected:
    void SetUp() override { data_ = storedtest::Load(GetParam()); }
    std::unique_ptr<TbsSkinData> data_;
};
}  // namespace

// With all buttons and with a lone close button (a dialog), the caption row
// beside and between the buttons, and at each button's corners, is the
// caption itself: nothing plate-like reaches past the buttons shown.
TEST_P(FrameArt, CaptionAroundTheButtonsIsTheCaption)
{
    TbsBorderIcons closeOnly;
    closeOnly.SystemMenu = true;
    closeOnly.Minimize = closeOnly.Maximize = closeOnly.RollUp = false;
    const TbsBorderIcons* sets[] = {nullptr, &closeOnly};
    for (const TbsBorderIcons* icons : sets)
        for (bool active : {true, false})
        {
            SCOPED_TRACE(std::string(icons ? "close only" : "all buttons") + (active ? ", active" : ", inactive"));
            const int W = 420;
            Painted p;
            Paint(p, *data_, W, 160, "", active, icons);
            ASSERT_TRUE(p.Buttons.count(cmClose));
            EXPECT_EQ(p.Buttons.count(cmMinimize), icons ? 0u : 1u);
            const TRect& row = p.Buttons[cmClose];
            // Left of the caption's middle lies plain caption (empty title).
            const int refX = W / 3;
            for (int y = row.Top; y < row.Bottom; ++y)
            {
                const TbsColor ref = p.Bitmap.GetPixel(refX, y);
                for (int x = refX; x < p.Client.Right; ++x)
                {
                    bool covered = false;
                    for (const auto& [cmd, r] : p.Buttons)
                    {
                        const bool corner = (x == r.Left || x == r.Right - 1) && (y == r.Top || y == r.Bottom - 1);
                        covered = covered || (Inside(r, x, y) && !corner);
                    }
                    if (covered) continue;
                    ASSERT_LE(Distance(p.Bitmap.GetPixel(x, y), ref), 6) << "caption pixel " << x << "," << y;
                }
            }
        }
}

// The caption fades from top to bottom without a hard step between two rows
// (the glass caption's highlight band is the one wanted step, in skin 10).
TEST_P(FrameArt, CaptionHasNoHardColourStep)
{
    const skingen::Theme t = ThemeOf(GetParam());
    if (t.CaptionStyle == skingen::Surface::Glass && GetParam() == 10) GTEST_SKIP() << "the highlight band";
    for (bool active : {true, false})
    {
        Painted p;
        Paint(p, *data_, 420, 160, "", active);
        const int x = 420 / 3;
        // Below the highlight line, above the line over the client.
        for (int y = 3; y + 1 < p.Client.Top - 2; ++y)
            EXPECT_LE(Distance(p.Bitmap.GetPixel(x, y), p.Bitmap.GetPixel(x, y + 1)), 14)
                << (active ? "active" : "inactive") << " rows " << y << "/" << y + 1;
    }
}

// An inactive frame is quieter than the active one, its close button too:
// it stands off its caption no more than when active, and a coloured close
// button loses much of its colour.
TEST_P(FrameArt, InactiveCloseButtonIsQuieter)
{
    double strength[2] = {0, 0}, chroma[2] = {0, 0};
    for (bool active : {true, false})
    {
        Painted p;
        Paint(p, *data_, 420, 160, "", active);
        ASSERT_TRUE(p.Buttons.count(cmClose));
        const TRect& r = p.Buttons[cmClose];
        double sum = 0, colour = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
        {
            const TbsColor ref = p.Bitmap.GetPixel(420 / 3, y);
            for (int x = r.Left; x < r.Right; ++x)
            {
                const TbsColor c = p.Bitmap.GetPixel(x, y);
                sum += Distance(c, ref);
                // Colour beyond the caption's own.
                colour += std::max(Chroma(c) - Chroma(ref), 0);
            }
        }
        strength[active] = sum / (r.Width() * r.Height());
        chroma[active] = colour / (r.Width() * r.Height());
    }
    EXPECT_LE(strength[0], strength[1] + 4) << "inactive " << strength[0] << " vs active " << strength[1];
    if (chroma[1] > 30)
    {
        EXPECT_LE(chroma[0], 0.6 * chroma[1]) << "colour inactive " << chroma[0] << " vs active " << chroma[1];
    }
}

// Circles take their colours by what they do (red closes, yellow minimizes,
// green maximizes), also in a row without the maximize button.
TEST_P(FrameArt, CaptionCirclesColourByWhatTheyDo)
{
    if (ThemeOf(GetParam()).CapButtons != skingen::CaptionButtons::Circles) GTEST_SKIP() << "no circles";
    auto rgb = [](TbsColor c) { return std::array<int, 3>{Channel(c, 16), Channel(c, 8), Channel(c, 0)}; };
    TbsBorderIcons noMaximize;
    noMaximize.Maximize = false;
    for (const TbsBorderIcons* icons : std::vector<const TbsBorderIcons*>{nullptr, &noMaximize})
    {
        Painted p;
        Paint(p, *data_, 420, 160, "", true, icons);
        auto centre = [&](TbsStdCommand c) {
            const TRect r = p.Buttons.at(c);
            return rgb(p.Bitmap.GetPixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        };
        const auto red = centre(cmClose), yellow = centre(cmMinimize);
        EXPECT_TRUE(red[0] > 200 && red[1] < 140 && red[2] < 140) << red[0] << "," << red[1] << "," << red[2];
        EXPECT_TRUE(yellow[0] > 200 && yellow[1] > 150 && yellow[2] < 120) << yellow[0] << "," << yellow[1] << "," << yellow[2];
        if (icons) continue;
        const auto green = centre(cmMaximize);
        EXPECT_TRUE(green[1] > 150 && green[0] < 140 && green[2] < 140) << green[0] << "," << green[1] << "," << green[2];
    }
}

// A frame drawn with rounded corners is cut at them; the pixels the mask
// keeps along the curve blend from the outline towards what lies behind
// (no one-bit staircase of the full outline colour).
TEST_P(FrameArt, RoundedCornersAreCutAndSmooth)
{
    const skingen::Theme t = ThemeOf(GetParam());
    if (t.FrameRadius == 0) GTEST_SKIP() << "square corners";
    ASSERT_FALSE(data_->FMask.Empty()) << "a rounded frame needs a mask";
    Painted p;
    Paint(p, *data_, 420, 160, "", true);
    EXPECT_EQ(p.Bitmap.GetPixel(0, 0), kOutside);
    EXPECT_EQ(p.Bitmap.GetPixel(419, 0), kOutside);
    EXPECT_EQ(p.Bitmap.GetPixel(0, 159), kOutside);
    // The first kept pixel of each corner row, against the outline (the
    // colour along the straight left edge) and the window colour behind.
    const TbsColor outline = p.Bitmap.GetPixel(0, t.FrameRadius + 10);
    const TbsColor behind = gallery::Opaque(data_->FSkinColors.FcBtnFace);
    int blended = 0;
    for (int y = 0; y < t.FrameRadius; ++y)
        for (int x = 0; x < t.FrameRadius + 2; ++x)
            if (const TbsColor c = p.Bitmap.GetPixel(x, y); c != kOutside)
            {
                // Nearer the colour behind than the outline is, by a quarter.
                if (4 * Distance(c, behind) <= 3 * Distance(outline, behind)) ++blended;
                break;
            }
    EXPECT_GE(blended, 2) << "corner edge pixels blended by coverage";
}

// The narrowest frame, also the size of a minimized tile, shows words of its
// title, not an ellipsis alone.
TEST_P(FrameArt, NarrowestFrameShowsItsTitle)
{
    Painted probe;
    Paint(probe, *data_, 420, 160, "", true);
    Painted p;
    Paint(p, *data_, probe.MinW, probe.MinH, "Quorvel MTS 关于", true);
    const auto* cap = [&]() -> const TbsDataSkinCaption* {
        for (const auto& o : data_->ObjectList)
            if (auto* c = dynamic_cast<const TbsDataSkinCaption*>(o.get())) return c;
        return nullptr;
    }();
    ASSERT_NE(cap, nullptr);
    const TbsColor ink = gallery::Opaque(cap->ActiveFontColor);
    // Columns of the caption band holding title ink, outside the buttons.
    int columns = 0;
    for (int x = 2; x < probe.MinW - 2; ++x)
    {
        bool buttons = false;
        for (const auto& [cmd, r] : p.Buttons) buttons = buttons || (x >= r.Left && x < r.Right);
        if (buttons) continue;
        for (int y = 3; y < p.Client.Top - 2; ++y)
            if (Distance(p.Bitmap.GetPixel(x, y), ink) <= 40)
            {
                ++columns;
                break;
            }
    }
    EXPECT_GE(columns, 40) << "at " << probe.MinW << " px the title shows " << columns << " columns of ink";
}

INSTANTIATE_TEST_SUITE_P(All, FrameArt, testing::Range(0, 11), storedtest::SkinName);

// The caption text's effects show and stay in the caption: nothing of a
// reflection or a glow reaches the border or the client below.
TEST_P(FrameArt, CaptionEffectsStayInTheCaption)
{
    const std::string title = "效果 Quorvel";
    Painted plain;
    Paint(plain, *data_, 420, 160, title, true);
    const int glow = 0x302010;
    const std::pair<const char*, std::function<void(TbsSkinCaptionObject&)>> looks[] = {
        {"reflection", [](TbsSkinCaptionObject& c) { c.ReflectionEffect = true; c.ReflectionActiveColor = 0x808080; c.ReflectionOffset = 1; }},
        {"soft glow", [&](TbsSkinCaptionObject& c) { c.VistaGlowEffect = true; c.GlowActiveColor = glow; }}};
    for (const auto& [what, look] : looks)
    {
        SCOPED_TRACE(what);
        Painted p;
        Paint(p, *data_, 420, 160, title, true, nullptr, look);
        ASSERT_EQ(p.Bitmap.Width(), plain.Bitmap.Width());
        int changed = 0, outside = 0;
        for (int y = 0; y < p.Bitmap.Height(); ++y)
            for (int x = 0; x < p.Bitmap.Width(); ++x)
            {
                const TbsColor a = plain.Bitmap.GetPixel(x, y), b = p.Bitmap.GetPixel(x, y);
                if (Distance(a, b) <= 2) continue;
                ++changed;
                if (y >= p.Caption.Bottom) ++outside;
            }
        EXPECT_GT(changed, 30) << "the effect shows";
        EXPECT_EQ(outside, 0) << "of " << changed << " changed pixels below the caption";
    }
}
