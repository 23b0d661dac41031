// The skin gallery's pages, checked by rules: the frame's corners are the
// frame picture's corners where the geometry keeps them, a masked frame is
// cut at its corners, the states of a look differ from each other, and text
// drawn on the page reads against what it is drawn on. One reference PNG per
// skin holds the frame alone (set QUORVEL_UPDATE_REFERENCES=1 to write them
// anew, on purpose only).
//
// Drawing a whole page takes long, and the build draws every stored skin's
// page anyway (<build>/gallery/<skin>.png and .cells, from the same skins and
// the same gallery code): the checks of the whole page read that page through
// Page() rather than drawing it again. A new check of the page is one more
// TEST_P(Gallery, ...) that reads Page().Bitmap and Page().Cells.
#include "lib/bsSkinValidate.h"
#include "platform/core/Exception.h"
#include "platform/core/Surface.h"
#include "platform/sys/Files.h"
#include "skin/stored/helpers.h"
#include "tools/skingallery/Gallery.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include <unistd.h>

namespace
{
int ColorOf(TbsColor p) { return int(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16)); }

// The most frequent colour of a rectangle: the background behind a text.
TbsColor Dominant(const TbsBitmap& b, const TRect& r)
{
    std::map<TbsColor, int> count;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) ++count[b.GetPixel(x, y) & 0xFFFFFF];
    TbsColor best = 0;
    int n = -1;
    for (auto [c, k] : count)
        if (k > n) best = c, n = k;
    return best;
}

// Whether two rectangles of a bitmap hold different pixels.
bool Differ(const TbsBitmap& b, const TRect& a, const TRect& c)
{
    for (int y = 0; y < std::min(a.Height(), c.Height()); ++y)
        for (int x = 0; x < std::min(a.Width(), c.Width()); ++x)
            if (b.GetPixel(a.Left + x, a.Top + y) != b.GetPixel(c.Left + x, c.Top + y)) return true;
    return false;
}

class Gallery : public testing::TestWithParam<int>
{
protected:
    void SetUp() override { data_ = storedtest::Load(GetParam()); }

    // The skin's whole page as the build drew it, read once per process.
    static const gallery::SavedPage& Page(int index)
    {
        static std::map<int, gallery::SavedPage> pages;
        if (!pages.count(index))
            gallery::LoadPage(std::string(QUORVEL_GALLERY_DIR) + "/" + storedtest::SkinName(testing::TestParamInfo<int>(index, 0)),
                              pages[index]);
        return pages[index];
    }
    const gallery::SavedPage& Page() const { return Page(GetParam()); }

    std::unique_ptr<TbsSkinData> data_;
};
}  // namespace

// Bottom corners keep the frame picture's fixed pieces at any size; the
// top-left piece too, above the caption's contents.
TEST_P(Gallery, FrameCornersAreWhereTheGeometrySays)
{
    TbsSkinData& d = *data_;
    const int pw = d.FPicture.Width(), ph = d.FPicture.Height();
    for (auto [w, h] : {std::pair{pw, ph}, {pw * 2, ph * 3}, {pw * 4, ph * 4}})
    {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        TbsBitmap frame;
        gallery::RenderFrame(d, true, w, h, "", frame, 0xFF123456u);
        const int dx = w - pw, dy = h - ph;
        auto same = [&](int px, int py) {
            const TbsColor got = frame.GetPixel(px + (px >= d.RBPoint.X ? dx : 0), py + dy);
            if (!d.FMask.Empty() && (d.FMask.Pixel(px, py) & 0xFFFFFF) != 0) return got == 0xFF123456u;
            return (got & 0xFFFFFF) == (d.FPicture.Pixel(px, py) & 0xFFFFFF);
        };
        for (int py = d.ClRect.Bottom; py < ph; ++py)
        {
            for (int px = 0; px < d.LBPoint.X; ++px) ASSERT_TRUE(same(px, py)) << "bottom-left " << px << "," << py;
            for (int px = d.RBPoint.X; px < pw; ++px) ASSERT_TRUE(same(px, py)) << "bottom-right " << px << "," << py;
        }
        // The outer edge of the top-left corner (the caption's contents
        // start further in).
        for (int px = 0; px < std::min(d.LTPoint.X, 4); ++px)
            for (int py = 0; py < d.ClRect.Top; ++py)
            {
                const TbsColor got = frame.GetPixel(px, py);
                if (!d.FMask.Empty() && (d.FMask.Pixel(px, py) & 0xFFFFFF) != 0)
                    ASSERT_EQ(got, 0xFF123456u) << px << "," << py;
                else
                    ASSERT_EQ(got & 0xFFFFFF, d.FPicture.Pixel(px, py) & 0xFFFFFF) << px << "," << py;
            }
        if (!d.FMask.Empty())
        {
            EXPECT_EQ(frame.GetPixel(0, 0), 0xFF123456u) << "a masked frame is cut at its corner";
            EXPECT_EQ(frame.GetPixel(w - 1, 0), 0xFF123456u);
            EXPECT_NE(frame.GetPixel(w / 2, 2), 0xFF123456u);
        }
    }
}

// The page: the states of every look differ, text reads on its background.
TEST_P(Gallery, StatesDifferAndTextReads)
{
    const gallery::SavedPage& page = Page();
    const TbsBitmap& b = page.Bitmap;
    std::map<std::string, std::vector<const gallery::GalleryCell*>> byLook;
    int texts = 0;
    for (const gallery::GalleryCell& c : page.Cells)
    {
        // "button hot" -> look "button": the cells of one look's states.
        const auto sp = c.What.rfind(' ');
        if (sp != std::string::npos &&
            c.What.find_first_of("0123456789") == std::string::npos && c.Entry != "captionbuttons")
            byLook[c.What.substr(0, sp)].push_back(&c);
        for (const auto& t : c.Texts)
        {
            ++texts;
            // Inside the cell's edges, where the text lies.
            const TRect r(std::max(t.Rect.Left, c.Rect.Left + 3), std::max(t.Rect.Top, c.Rect.Top + 3),
                          std::min(t.Rect.Right, c.Rect.Right - 3), std::min(t.Rect.Bottom, c.Rect.Bottom - 3));
            if (r.IsEmpty()) continue;
            const bool disabled = c.What.find("disabled") != std::string::npos;
            const double ratio = bsContrastRatio(t.Color, ColorOf(Dominant(b, r)));
            EXPECT_GE(ratio, disabled ? bsDisabledTextContrast : bsBodyTextContrast)
                << c.Entry << ": " << c.What << ": " << t.String;
        }
    }
    EXPECT_GT(texts, 40);
    for (const char* look : {"button", "resizebutton", "toolbutton", "resizetoolbutton", "toolmenubutton"})
    {
        SCOPED_TRACE(look);
        const auto& cells = byLook[look];
        ASSERT_EQ(cells.size(), 5u);   // normal, hot, pressed, focused, disabled
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (std::size_t j = i + 1; j < cells.size(); ++j)
                EXPECT_TRUE(Differ(b, cells[i]->Rect, cells[j]->Rect)) << cells[i]->What << " vs " << cells[j]->What;
    }
    const char* marks[] = {"checkbox unchecked", "checkbox checked", "checkbox hot", "checkbox grayed",
                           "checkbox disabled"};
    std::vector<TRect> rects;
    for (const gallery::GalleryCell& c : page.Cells)
        for (const char* m : marks)
            if (c.What == m) rects.push_back(c.Rect);
    ASSERT_EQ(rects.size(), 5u);
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) EXPECT_TRUE(Differ(b, rects[i], rects[j])) << i << " vs " << j;
}

namespace
{
// Pixels of two equal-sized rectangles that differ by a visible amount (a
// channel by 24 or more of 255).
int VisiblyDifferent(const TbsBitmap& b, const TRect& a, const TRect& c)
{
    int n = 0;
    for (int y = 0; y < std::min(a.Height(), c.Height()); ++y)
        for (int x = 0; x < std::min(a.Width(), c.Width()); ++x)
        {
            const TbsColor p = b.GetPixel(a.Left + x, a.Top + y), q = b.GetPixel(c.Left + x, c.Top + y);
            for (int sh : {0, 8, 16})
                if (std::abs(int((p >> sh) & 0xFF) - int((q >> sh) & 0xFF)) >= 24)
                {
                    ++n;
                    break;
                }
        }
    return n;
}

// Pixels of a rectangle within a small distance of a colour (0x00BBGGRR).
int PixelsNear(const TbsBitmap& b, const TRect& r, int color)
{
    int n = 0;
    const TbsColor want = gallery::Opaque(color);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
        {
            const TbsColor p = b.GetPixel(x, y);
            bool near = true;
            for (int sh : {0, 8, 16}) near = near && std::abs(int((p >> sh) & 0xFF) - int((want >> sh) & 0xFF)) <= 8;
            n += near;
        }
    return n;
}
}  // namespace

// The real controls on the page: states a user must tell apart at a glance
// differ by a visible amount (not a pixel or two), and the focus mark is in
// the skin's accent.
TEST_P(Gallery, ControlStatesAreVisiblyApart)
{
    const gallery::SavedPage& page = Page();
    const TbsBitmap& b = page.Bitmap;
    std::map<std::string, TRect> at;
    for (const gallery::GalleryCell& c : page.Cells)
        if (c.Entry == "buttons" || c.Entry == "sliders") at[c.What] = c.Rect;
    const std::pair<const char*, const char*> pairs[] = {
        {"button default", "button hot"},         {"button default", "button normal"},
        {"button group pressed", "button pressed"}, {"resizebutton default", "resizebutton hot"},
        {"resizebutton group pressed", "resizebutton pressed"}, {"slider pressed", "slider middle"},
        {"slider disabled", "slider middle"},     {"slider hot", "slider middle"},
        {"slider hot", "slider pressed"},         {"slider disabled", "slider pressed"}};
    for (auto [one, other] : pairs)
    {
        const std::string a = std::string("skin ") + one, c = std::string("skin ") + other;
        ASSERT_TRUE(at.count(a) && at.count(c)) << a << " / " << c;
        const TRect& ra = at[a];
        // A 2-px ring around a 96 x 28 button is about 450 pixels; a slider
        // thumb about 140.
        const bool slider = std::string(one).rfind("slider", 0) == 0;
        const int need = slider ? 60 : ra.Width() * ra.Height() / 50;
        EXPECT_GE(VisiblyDifferent(b, ra, at[c]), need) << one << " vs " << other;
    }
    for (const char* focused : {"skin button focused", "skin resizebutton focused"})
    {
        ASSERT_TRUE(at.count(focused));
        EXPECT_GE(PixelsNear(b, at[focused], data_->FSkinColors.FcHighLight), 40)
            << focused << ": the focus mark is drawn in the accent";
    }
}

// The frame alone against its kept reference.
TEST_P(Gallery, FrameMatchesItsReference)
{
    TbsBitmap frame;
    gallery::RenderFrame(*data_, true, 320, 200, "Quorvel MTS 转换", frame, 0xFFFFFFFFu);
    std::string file = bsStoredSkin(GetParam()).FileName;
    file = file.substr(0, file.find('.'));
    const std::string ref = std::string(QUORVEL_SOURCE_DIR) + "/tests/skin/data/skins/" + file + "_frame.png";
    TSurface got = TSurface::Wrap(frame.Bits(), frame.Width(), frame.Height(), frame.Width() * 4, false).Clone();
    if (std::getenv("QUORVEL_UPDATE_REFERENCES"))
    {
        ASSERT_TRUE(gallery::SavePng(frame, ref));
    }
    const TSurface want = TSurface::LoadPng(ref);
    ASSERT_EQ(want.Width(), 320);
    ASSERT_EQ(want.Height(), 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(got.Pixel(x, y) & 0xFFFFFF, want.Pixel(x, y) & 0xFFFFFF) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(All, Gallery, testing::Range(0, 11), storedtest::SkinName);

// The page files the build writes read back as written, tabs, line ends and
// backslashes in the texts included; a damaged cells file is refused by name.
TEST(GalleryFiles, PagesReadBackAndDamageIsNamed)
{
    auto data = storedtest::Load(0);
    gallery::GalleryPage page(*data, 240);
    page.Section("with\ttab", "title");
    const TRect r = page.Place(40, 20, "back\\slash");
    page.Text(r, "two\nlines\tand \\t", "DejaVu Sans", 10, false, 0x123456, DT_LEFT);
    page.Finish();
    const std::string stem = testing::TempDir() + "gallery-files-" + std::to_string(::getpid());
    ASSERT_TRUE(gallery::SavePage(page, stem));
    gallery::SavedPage back;
    gallery::LoadPage(stem, back);
    ASSERT_EQ(back.Cells.size(), page.Cells().size());
    for (std::size_t i = 0; i < back.Cells.size(); ++i)
    {
        const gallery::GalleryCell &a = page.Cells()[i], &b = back.Cells[i];
        EXPECT_EQ(b.Entry, a.Entry);
        EXPECT_EQ(b.What, a.What);
        EXPECT_TRUE(b.Rect == a.Rect);
        ASSERT_EQ(b.Texts.size(), a.Texts.size());
        for (std::size_t j = 0; j < b.Texts.size(); ++j)
        {
            EXPECT_EQ(b.Texts[j].String, a.Texts[j].String);
            EXPECT_EQ(b.Texts[j].Color, a.Texts[j].Color);
            EXPECT_TRUE(b.Texts[j].Rect == a.Texts[j].Rect);
        }
    }
    EXPECT_EQ(back.Cells.back().Texts.at(0).String, "two\nlines\tand \\t");
    ASSERT_EQ(back.Bitmap.Width(), page.Bitmap().Width());
    ASSERT_EQ(back.Bitmap.Height(), page.Bitmap().Height());
    for (int y = 0; y < back.Bitmap.Height(); ++y)
        for (int x = 0; x < back.Bitmap.Width(); ++x)
            ASSERT_EQ(back.Bitmap.GetPixel(x, y) & 0xFFFFFF, page.Bitmap().GetPixel(x, y) & 0xFFFFFF) << x << "," << y;
    for (const char* damaged : {"cell\tonly two\n", "text\t1\t0 0 4 4\tbefore any cell\n", "cell\te\tw\t1 2 x 4\n"})
    {
        sys::WriteFileAtomic(stem + ".cells", damaged);
        try
        {
            gallery::LoadPage(stem, back);
            ADD_FAILURE() << damaged;
        }
        catch (const Exception& e)
        {
            EXPECT_NE(std::string(e.what()).find(stem + ".cells: line 1"), std::string::npos) << e.what();
        }
    }
    std::remove((stem + ".png").c_str());
    std::remove((stem + ".cells").c_str());
}
