// The state pictures of the stored skins, read straight from the skins'
// own art: looks that name different states read apart at a glance (a hot
// tab is not the selected tab, an open menu bar item is not a hot one),
// disabled captions stay legible on what they are drawn on, and the small
// glyphs (caption buttons, scroll arrows) are crisp and sized to their
// buttons.
#include "lib/bsSkinData.h"
#include "lib/bsSkinValidate.h"
#include "platform/gui/Graphics.h"
#include "skin/stored/helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
int Channel(std::uint32_t c, int sh) { return int((c >> sh) & 0xFF); }

// The mean colour of a rectangle of an active picture.
std::array<double, 3> Mean(const TbsSkinData& d, int picture, const TRect& r)
{
    const TbsSkinPicture* pic = d.ActivePicture(picture);
    EXPECT_NE(pic, nullptr);
    std::array<double, 3> sum{0, 0, 0};
    if (!pic || r.Width() <= 0 || r.Height() <= 0) return sum;
    TBitmap* b = pic->Bitmap();
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
        {
            const std::uint32_t c = std::uint32_t(b->GetPixel32(x, y));
            for (int i = 0; i < 3; ++i) sum[i] += Channel(c, 8 * i);
        }
    for (double& s : sum) s /= double(r.Width()) * r.Height();
    return sum;
}

// A mean (blue, green, red) as a skin colour 0x00BBGGRR.
int SkinColor(const std::array<double, 3>& m)
{
    return int(m[2] + 0.5) | int(m[1] + 0.5) << 8 | int(m[0] + 0.5) << 16;
}

// The middle of a state picture: its face, without the edges and the ground
// around it.
TRect Face(const TRect& r)
{
    return TRect(r.Left + r.Width() / 4, r.Top + r.Height() / 4, r.Right - r.Width() / 4, r.Bottom - r.Height() / 4);
}

// How far apart two faces read: their means' largest channel difference.
double Apart(const TbsSkinData& d, int picture, const TRect& a, const TRect& b)
{
    const auto ma = Mean(d, picture, Face(a)), mb = Mean(d, picture, Face(b));
    double out = 0;
    for (int i = 0; i < 3; ++i) out = std::max(out, std::abs(ma[i] - mb[i]));
    return out;
}

// What the tab painting takes as a look of its own (below it derives one).
constexpr double kGlance = 28;

class StateArt : public testing::TestWithParam<int>
{
protected:
    void SetUp() override { data_ = storedtest::Load(GetParam()); }
    // The skin's scroll-bar entry of that name (null when missing).
    const TbsDataSkinScrollBarControl* ScrollBar(const char* name) const
    {
        const int i = data_->GetControlIndex(name);
        return i < 0 ? nullptr : dynamic_cast<const TbsDataSkinScrollBarControl*>(data_->CtrlList[i].get());
    }
    std::unique_ptr<TbsSkinData> data_;
};
}  // namespace

TEST_P(StateArt, HotTabIsNotTheSelectedTab)
{
    const int i = data_->GetControlIndex("tab");
    ASSERT_GE(i, 0);
    const auto* tab = dynamic_cast<const TbsDataSkinTabControl*>(data_->CtrlList[i].get());
    ASSERT_NE(tab, nullptr);
    EXPECT_GE(Apart(*data_, tab->PictureIndex, tab->MouseInTabRect, tab->ActiveTabRect), kGlance);
    EXPECT_GE(Apart(*data_, tab->PictureIndex, tab->MouseInTabRect, tab->TabRect), kGlance / 2);
}

TEST_P(StateArt, OpenMenuBarItemIsNotTheHotOne)
{
    const int i = data_->GetIndex("menubaritem");
    ASSERT_GE(i, 0);
    const auto* it = dynamic_cast<const TbsDataSkinMainMenuBarItem*>(data_->ObjectList[i].get());
    ASSERT_NE(it, nullptr);
    EXPECT_GE(Apart(*data_, it->ActivePictureIndex, it->DownRect, it->ActiveSkinRect), kGlance);
}

// Disabled captions of menu bar items and buttons on the colour they sit on.
TEST_P(StateArt, DisabledCaptionsReachTheFloor)
{
    const int i = data_->GetIndex("menubaritem");
    ASSERT_GE(i, 0);
    const auto* it = dynamic_cast<const TbsDataSkinMainMenuBarItem*>(data_->ObjectList[i].get());
    ASSERT_NE(it, nullptr);
    const auto bar = Mean(*data_, it->ActivePictureIndex, it->SkinRect);
    EXPECT_GE(bsContrastRatio(it->UnEnabledFontColor, SkinColor(bar)), 3.0);
    const int b = data_->GetControlIndex("button");
    ASSERT_GE(b, 0);
    const auto* button = dynamic_cast<const TbsDataSkinButtonControl*>(data_->CtrlList[b].get());
    ASSERT_NE(button, nullptr);
    const TRect face = button->DisabledSkinRect.Width() > 0 ? button->DisabledSkinRect : button->SkinRect;
    const TRect middle(face.Left + 3, face.Top + 3, face.Right - 3, face.Bottom - 3);
    const auto m = Mean(*data_, button->PictureIndex, middle);
    EXPECT_GE(bsContrastRatio(button->DisabledFontColor, SkinColor(m)), 3.0);
}

// The scroll thumb keeps the track's edge line (top of a horizontal bar,
// left of a vertical one) where it lies over the track.
TEST_P(StateArt, ScrollThumbKeepsTheTrackEdge)
{
    for (const char* name : {"hscrollbar", "vscrollbar"})
    {
        SCOPED_TRACE(name);
        const auto* e = ScrollBar(name);
        ASSERT_NE(e, nullptr);
        const bool horizontal = std::string(name) == "hscrollbar";
        TBitmap* b = data_->ActivePicture(e->PictureIndex)->Bitmap();
        const TRect& t = e->TrackArea;
        const TPixel edge = horizontal ? b->GetPixel32(e->SkinRect.Left + t.Left + t.Width() / 2, e->SkinRect.Top)
                                       : b->GetPixel32(e->SkinRect.Left, e->SkinRect.Top + t.Top + t.Height() / 2);
        for (const TRect& r : {e->ThumbRect, e->ActiveThumbRect, e->DownThumbRect})
        {
            const TPixel p = horizontal ? b->GetPixel32(r.Left + r.Width() / 2, r.Top)
                                        : b->GetPixel32(r.Left, r.Top + r.Height() / 2);
            EXPECT_EQ(p, edge);
        }
    }
}

namespace
{
// The largest channel difference of two pixels.
int Distance(std::uint32_t a, std::uint32_t b)
{
    int d = 0;
    for (int sh : {0, 8, 16}) d = std::max(d, std::abs(Channel(a, sh) - Channel(b, sh)));
    return d;
}

std::uint32_t At(TBitmap* b, int x, int y) { return std::uint32_t(b->GetPixel32(x, y)); }

// How far `p` lies from `ground` towards `ink`, 0..1.
double InkOf(std::uint32_t p, std::uint32_t ground, std::uint32_t ink)
{
    const int full = Distance(ink, ground);
    return full > 0 ? std::min(1.0, double(Distance(p, ground)) / full) : 0.0;
}

// A caption button of the skin's caption picture.
const TbsDataSkinStdButton* CaptionButton(const TbsSkinData& d, const char* name)
{
    const int i = d.GetIndex(name);
    return i >= 0 ? dynamic_cast<const TbsDataSkinStdButton*>(d.ObjectList[i].get()) : nullptr;
}
}  // namespace

// The close and maximize glyphs of the caption buttons, where a picture
// shows them (a Mac-like circle shows its glyph only under the pointer):
// the two strokes of the x cross without a solid 2 x 2 blot, and the sides of
// the maximize box are sharp lines (a solid pixel each), not a blur across
// two pixels.
TEST_P(StateArt, CaptionGlyphsAreCrisp)
{
    int shown = 0;
    const auto* close = CaptionButton(*data_, "closebutton");
    const auto* max = CaptionButton(*data_, "maxbutton");
    ASSERT_NE(close, nullptr);
    ASSERT_NE(max, nullptr);
    TBitmap* b = data_->ActivePicture(close->ActivePictureIndex)->Bitmap();
    for (const TRect& r : {close->SkinRect, close->ActiveSkinRect})
    {
        // The glyph's middle: a pixel of solid ink, unlike the ground
        // beside it; the glyph lies within 6 pixels of it.
        const int mx = r.Left + r.Width() / 2, my = r.Top + r.Height() / 2;
        const std::uint32_t ink = At(b, mx, my);
        if (Distance(ink, At(b, mx + 3, my)) < 40) continue;
        ++shown;
        int blots = 0;
        auto solid = [&](int x, int y) { return Distance(At(b, x, y), ink) <= 16; };
        for (int y = my - 6; y < my + 6; ++y)
            for (int x = mx - 6; x < mx + 6; ++x)
                if (solid(x, y) && solid(x + 1, y) && solid(x, y + 1) && solid(x + 1, y + 1)) ++blots;
        EXPECT_EQ(blots, 0) << "close glyph at " << r.Left << "," << r.Top;
    }
    for (const TRect& r : {max->SkinRect, max->ActiveSkinRect})
    {
        // Inside the box is the ground; its top bar, within 5 pixels above
        // the middle, is solid ink.
        const int mx = r.Left + r.Width() / 2, my = r.Top + r.Height() / 2;
        const std::uint32_t ground = At(b, mx, my);
        std::uint32_t ink = ground;
        for (int y = my - 5; y < my; ++y)
            if (Distance(At(b, mx, y), ground) > Distance(ink, ground)) ink = At(b, mx, y);
        if (Distance(ink, ground) < 60) continue;
        ++shown;
        for (int dir : {-1, 1})
        {
            // The first run of ink from the middle outwards: the box's side.
            double peak = 0;
            for (int x = mx + dir; x != mx + 7 * dir; x += dir)
            {
                const double v = InkOf(At(b, x, my), ground, ink);
                if (v < 0.15 && peak > 0) break;
                peak = std::max(peak, v);
            }
            EXPECT_GE(peak, 0.85) << "maximize glyph's " << (dir < 0 ? "left" : "right") << " side at " << r.Left << ","
                                  << r.Top;
        }
    }
    EXPECT_GE(shown, 2) << "pictures with a glyph";
}

// The arrows of the scroll bars take about half their button across and a
// quarter along, drawn with coverage.
TEST_P(StateArt, ScrollArrowsFitTheirButtons)
{
    for (const char* name : {"hscrollbar", "vscrollbar"})
    {
        SCOPED_TRACE(name);
        const auto* e = ScrollBar(name);
        ASSERT_NE(e, nullptr);
        const bool horizontal = std::string(name) == "hscrollbar";
        TBitmap* b = data_->ActivePicture(e->PictureIndex)->Bitmap();
        for (const TRect& button : {e->UpButtonRect, e->DownButtonRect})
        {
            TRect r = button;
            OffsetRect(r, e->SkinRect.Left, e->SkinRect.Top);
            // The track's colour at the button's far corner; the ink is what
            // lies farthest from it.
            const std::uint32_t ground = At(b, r.Right - 1, r.Bottom - 1);
            std::uint32_t ink = ground;
            for (int y = r.Top + 1; y < r.Bottom; ++y)
                for (int x = r.Left + 1; x < r.Right; ++x)
                    if (Distance(At(b, x, y), ground) > Distance(ink, ground)) ink = At(b, x, y);
            int across0 = 1 << 20, across1 = -1, along0 = 1 << 20, along1 = -1, partial = 0;
            for (int y = r.Top + 1; y < r.Bottom; ++y)
                for (int x = r.Left + 1; x < r.Right; ++x)
                {
                    const double v = InkOf(At(b, x, y), ground, ink);
                    if (v > 0.1 && v < 0.9) ++partial;
                    if (v < 0.25) continue;
                    const int a = horizontal ? y : x, l = horizontal ? x : y;
                    across0 = std::min(across0, a), across1 = std::max(across1, a);
                    along0 = std::min(along0, l), along1 = std::max(along1, l);
                }
            const int size = horizontal ? r.Height() : r.Width();
            EXPECT_GE(2 * (across1 - across0 + 1), size) << "across, button at " << r.Left << "," << r.Top;
            EXPECT_GE(4 * (along1 - along0 + 1), size) << "along, button at " << r.Left << "," << r.Top;
            EXPECT_GE(partial, 6) << "edge pixels with coverage";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stored, StateArt, testing::Range(0, bsStoredSkinCount()), storedtest::SkinName);
