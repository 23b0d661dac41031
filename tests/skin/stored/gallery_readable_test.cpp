// The gallery's controls as a user tells their states apart and reads their
// text: text measured on the rendered page against what lies behind it, and
// looks that must never pass for one another (the default button, the
// focused one and the default one with the focus, the open menu bar item and
// the hot one, the hot tab and the selected one).
#include "lib/bsSkinValidate.h"
#include "skin/stored/helpers.h"
#include "tools/skingallery/Gallery.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace
{
class GalleryReadable : public testing::TestWithParam<int>
{
protected:
    void SetUp() override { data_ = storedtest::Load(GetParam()); }
    // A page of the named entries.
    std::unique_ptr<gallery::GalleryPage> Page(std::initializer_list<const char*> names)
    {
        auto page = std::make_unique<gallery::GalleryPage>(*data_, 1100);
        for (const gallery::GalleryEntry& e : gallery::GalleryEntries())
            for (const char* n : names)
                if (e.Name == n) e.Draw(*page);
        return page;
    }
    std::unique_ptr<TbsSkinData> data_;
};

// Whether two colours (0x00BBGGRR) differ by a visible amount in a channel.
bool ColoursApart(int a, int b)
{
    for (int sh : {0, 8, 16})
        if (std::abs(((a >> sh) & 0xFF) - ((b >> sh) & 0xFF)) >= 24) return true;
    return false;
}
}  // namespace

// Body text at 4.5:1 and disabled text at 3:1 against what is drawn behind
// it: button captions, labels, hints, the image-grid menu's header and
// buttons, menu bar items; in the skin and in the default look.
TEST_P(GalleryReadable, RenderedTextReads)
{
    auto page = Page({"buttons", "staticcontrols", "hints", "imagesmenu", "menubar"});
    std::map<TbsTextKind, int> kinds;
    for (const TbsTextRegion& t : page->TextRegions()) ++kinds[t.Kind];
    EXPECT_GE(kinds[TbsTextKind::Body], 30);
    EXPECT_GE(kinds[TbsTextKind::Disabled], 8);
    for (const std::string& problem : bsValidateRenderedText(page->Bitmap(), page->TextRegions()))
        ADD_FAILURE() << problem;
}

TEST_P(GalleryReadable, LooksThatMustNotPassForOneAnother)
{
    auto page = Page({"buttons", "menubar", "views"});
    TbsBitmap& b = page->Bitmap();
    std::map<std::string, TRect> at;
    for (const gallery::GalleryCell& c : page->Cells()) at[c.What] = c.Rect;
    for (const char* look : {"skin", "plain"})
    {
        SCOPED_TRACE(look);
        auto cell = [&](const char* what) {
            const std::string name = std::string(look) + " " + what;
            EXPECT_TRUE(at.count(name)) << name;
            return at[name];
        };
        // The default button's face against the focused one's (both away
        // from the edges, where rings lie).
        auto face = [&](const TRect& r) { return bsDominantColor(b, TRect(r.Left + 6, r.Top + 5, r.Right - 6, r.Bottom - 5)); };
        // The default button with the focus too: the default's face, and a
        // focus mark two pixels in along its top edge that the plain
        // default lacks.
        auto ring = [&](const TRect& r) { return bsDominantColor(b, TRect(r.Left + 8, r.Top + 2, r.Right - 8, r.Top + 3)); };
        for (const char* kind : {"button", "resizebutton"})
        {
            const std::string k = kind;
            const TRect def = cell((k + " default").c_str()), focused = cell((k + " focused").c_str()),
                        both = cell((k + " default focused").c_str());
            EXPECT_TRUE(ColoursApart(face(def), face(focused))) << kind << ": the default button reads apart from the focused one";
            EXPECT_TRUE(ColoursApart(face(both), face(focused))) << kind << ": the focused default keeps the default's face";
            EXPECT_FALSE(ColoursApart(face(both), face(def))) << kind << ": the focused default keeps the default's face";
            EXPECT_TRUE(ColoursApart(ring(both), ring(def))) << kind << ": the focused default shows a focus mark";
        }
        // The open menu bar item carries the accent along its bottom; the
        // hot one does not.
        const TRect open = cell("menubar open"), hot = cell("menubar hot");
        auto bottom = [&](const TRect& r) { return bsDominantColor(b, TRect(r.Left + 3, r.Bottom - 3, r.Right - 3, r.Bottom - 1)); };
        EXPECT_TRUE(ColoursApart(bottom(open), bottom(hot))) << "open and hot menu bar items";
        // The hot tab's face against the selected tab's.
        const TRect sel = cell("tab selected"), tab = cell("tab hot");
        auto middle = [&](const TRect& r) { return bsDominantColor(b, TRect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3)); };
        EXPECT_TRUE(ColoursApart(middle(sel), middle(tab))) << "hot and selected tabs " << std::hex << middle(sel) << " " << middle(tab);
    }
}

INSTANTIATE_TEST_SUITE_P(All, GalleryReadable, testing::Range(0, 11), storedtest::SkinName);
