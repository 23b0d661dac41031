// The state pictures of the stored skins, read straight from the skins'
// own art: looks that name different states read apart at a glance (a hot
// tab is not the selected tab, an open menu bar item is not a hot one), and
// disabled captions stay legible on what they are drawn on.
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
        const int i = data_->GetControlIndex(name);
        ASSERT_GE(i, 0);
        const auto* e = dynamic_cast<const TbsDataSkinScrollBarControl*>(data_->CtrlList[i].get());
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

INSTANTIATE_TEST_SUITE_P(Stored, StateArt, testing::Range(0, bsStoredSkinCount()), storedtest::SkinName);
