// The textures of the stored skins, on the panel as drawn in the skin: the
// tile repeats every texture period, so a row or a column that stands off
// its neighbours as a whole repeats as a ruled line or a regular grid.
#include "lib/bsSkinData.h"
#include "platform/gui/Graphics.h"
#include "skin/stored/helpers.h"
#include "tools/skingen/Theme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
skingen::Theme ThemeOf(int index)
{
    const std::string file = bsStoredSkin(index).FileName;
    return skingen::LoadTheme(std::string(QUORVEL_SOURCE_DIR) + "/skins/" + file.substr(0, file.find('.')) + ".theme");
}

// Grey level of a pixel.
double Grey(std::uint32_t p) { return 0.3 * ((p >> 16) & 0xFF) + 0.59 * ((p >> 8) & 0xFF) + 0.11 * (p & 0xFF); }

// The largest step between the mean of one line (row or column) of `r` and
// the mean of its two neighbours.
double LargestLineStep(TBitmap* b, const TRect& r, bool rows)
{
    std::vector<double> means;
    const int lines = rows ? r.Height() : r.Width(), along = rows ? r.Width() : r.Height();
    for (int i = 0; i < lines; ++i)
    {
        double sum = 0;
        for (int j = 0; j < along; ++j)
            sum += rows ? Grey(b->GetPixel32(r.Left + j, r.Top + i)) : Grey(b->GetPixel32(r.Left + i, r.Top + j));
        means.push_back(sum / along);
    }
    double out = 0;
    for (std::size_t i = 1; i + 1 < means.size(); ++i)
        out = std::max(out, std::fabs(means[i] - (means[i - 1] + means[i + 1]) / 2));
    return out;
}

class Texture : public testing::TestWithParam<int>
{
};
}  // namespace

TEST_P(Texture, NoRuledLinesNoGrid)
{
    const skingen::Theme t = ThemeOf(GetParam());
    if (t.PanelTexture == skingen::Texture::None) GTEST_SKIP() << "no texture";
    auto d = storedtest::Load(GetParam());
    const int i = d->GetControlIndex("panel");
    ASSERT_GE(i, 0);
    const TbsDataSkinControl& e = *d->CtrlList[i];
    TBitmap* b = d->ActivePicture(e.PictureIndex)->Bitmap();
    // The panel's client, the part that tiles.
    const TRect r(e.SkinRect.Left + 2, e.SkinRect.Top + 2, e.SkinRect.Right - 2, e.SkinRect.Bottom - 2);
    // Grey levels: a whole line 2 levels off its neighbours is what the eye
    // catches once it repeats down a panel.
    EXPECT_LE(LargestLineStep(b, r, true), 2.0) << "a row stands off";
    EXPECT_LE(LargestLineStep(b, r, false), 2.0) << "a column stands off";
}

INSTANTIATE_TEST_SUITE_P(Stored, Texture, testing::Range(0, bsStoredSkinCount()), storedtest::SkinName);
