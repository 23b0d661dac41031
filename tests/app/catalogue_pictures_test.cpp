// The catalogue's pictures: every one drawn, the categories' own pictures
// told apart, and nothing outside the counts.
#include <gtest/gtest.h>

#include <set>

#include "app/catalogue/CatalogueData.h"
#include "app/catalogue/Pictures.h"

using namespace catalogue;

namespace {
int Opaque(const Picture& p)
{
    int n = 0;
    for (auto c : p)
        n += (c >> 24) == 0xFF;
    return n;
}
}  // namespace

TEST(CataloguePictures, DrawnAndDistinct)
{
    for (int i = 0; i < kCategoryPictureCount; ++i) {
        int n = Opaque(CategoryPicture(i));
        EXPECT_GT(n, 100) << i;
        EXPECT_LT(n, kPictureSize * kPictureSize) << i << " has no transparent corner";
    }
    for (int i = 0; i < kPresetPictureCount; ++i)
        EXPECT_GT(Opaque(PresetPicture(i)), 100) << i;
    std::set<Picture> shown;
    for (const auto& c : kCategories)
        EXPECT_TRUE(shown.insert(CategoryPicture(c.picture)).second) << c.caption;
    EXPECT_NE(PresetPicture(0), PresetPicture(1));
    EXPECT_EQ(Opaque(CategoryPicture(44)), 0);
    EXPECT_EQ(Opaque(CategoryPicture(-1)), 0);
    EXPECT_EQ(Opaque(PresetPicture(7)), 0);
}
