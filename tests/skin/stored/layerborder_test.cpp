// The layered border of stored skin 6 (a soft shadow with grips): the four
// pieces placed around the form and composed with their alpha on the
// headless desktop, the alpha of active, inactive and fading forms, resizing
// from each grip within the size limits, the fade-in on the clock, hiding
// with the form, no skin
// broadcast to the pieces, and no border without layered windows.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
constexpr int kLayerSkin = 6;

class LayerBorderTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        sd = storedtest::Load(kLayerSkin);
    }
    std::pair<TForm*, TbsSkinForm*> Shown(TFormBorderStyle bs = bsSizeable)
    {
        auto* f = new TForm(Application);
        f->SetBorderStyle(bs);
        f->SetCaption("Quorvel MTS 视频转换");
        auto* sf = new TbsSkinForm(f);
        sf->SetSkinData(sd.get());
        f->SetBounds(300, 200, 500, 360);
        f->Show();
        driver->AdvanceClock(20);
        driver->PumpUntilIdle();
        return {f, sf};
    }
    TRect WindowBounds(TbsFormLayerWindow* w)
    {
        TRect r;
        GetWindowRect(w->Handle(), &r);
        return r;
    }
    std::unique_ptr<TbsSkinData> sd;
};
}  // namespace

TEST_F(LayerBorderTest, PiecesLieAroundTheFormWithTheSkinsAlpha)
{
    const TbsDataSkinLayerFrame& d = sd->LayerFrame;
    ASSERT_NE(d.PictureIndex, -1);
    auto [f, sf] = Shown();
    TbsFormLayerBorder* b = sf->BorderLayer();
    ASSERT_TRUE(sf->CanShowBorderLayer());
    ASSERT_TRUE(b->Visible());
    const int SW = sd->ActivePicture(d.PictureIndex)->Width(), SH = sd->ActivePicture(d.PictureIndex)->Height();
    // The picture's client rectangle lies over the form.
    const TRect all = Bounds(300 - d.ClRect.Left, 200 - d.ClRect.Top, 500 + SW - d.ClRect.Width(),
                             360 + SH - d.ClRect.Height());
    EXPECT_EQ(b->WithFormBounds(300, 200, 500, 360), all);
    const int th = std::max(d.LTPoint.Y, d.RTPoint.Y), bh = SH - std::min(d.LBPoint.Y, d.RBPoint.Y);
    const int lw = d.ClRect.Left, rw = SW - d.ClRect.Right;
    EXPECT_EQ(WindowBounds(b->Window(bsflTop)), Bounds(all.Left, all.Top, all.Width(), th));
    EXPECT_EQ(WindowBounds(b->Window(bsflBottom)), Bounds(all.Left, all.Bottom - bh, all.Width(), bh));
    EXPECT_EQ(WindowBounds(b->Window(bsflLeft)), Bounds(all.Left, all.Top + th, lw, all.Height() - th - bh));
    EXPECT_EQ(WindowBounds(b->Window(bsflRight)), Bounds(all.Right - rw, all.Top + th, rw, all.Height() - th - bh));
    EXPECT_EQ(b->LeftSize, d.ClRect.Left - d.BorderRect.Left);

    // Composed over the desktop: the shadow darkens it next to the form and
    // fades out towards the outer edge; the form lies above its border.
    const TPixel desk = driver->PixelAt(TPoint(20, 20));
    const TPixel nearEdge = driver->PixelAt(TPoint(550, 200 + 360 + 3));
    const TPixel outer = driver->PixelAt(TPoint(550, all.Bottom - 1));
    EXPECT_NE(nearEdge, desk);
    EXPECT_LT(PixelB(nearEdge), PixelB(outer));
    EXPECT_EQ(driver->PixelAt(TPoint(550, 380)), driver->PixelAt(f->ClientToScreen(TPoint(250 - 8, 380 - 200 - sf->NewClRect.Top))));

    // Alpha follows the activation and the form's fade.
    const struct
    {
        int formAlpha;
        int active, inactive;
    } alphas[] = {{0, 0, 0}, {128, (d.AlphaBlendValue * 128 + 127) / 255, (d.InActiveAlphaBlendValue * 128 + 127) / 255},
                  {255, d.AlphaBlendValue, d.InActiveAlphaBlendValue}};
    for (const auto& a : alphas)
    {
        b->CheckFormAlpha(a.formAlpha, true);
        EXPECT_EQ(b->CurrentAlphaBlendValue(), a.active);
        EXPECT_EQ(b->CurrentInActiveAlphaBlendValue(), a.inactive);
    }
    b->SetActive(false, true);
    EXPECT_EQ(b->CurrentAlpha(), d.InActiveAlphaBlendValue);
    b->SetActive(true, true);
    EXPECT_EQ(b->CurrentAlpha(), d.AlphaBlendValue);

    // After the smart effects the border fades in a step per timer tick:
    // partway after 20 ms, the skin's alpha at the end.
    SendMessage(f->Handle(), BSM_SMARTEFFECTS_BEGIN, 0, 0);
    SendMessage(f->Handle(), BSM_SMARTEFFECTS_END, 0, 0);
    EXPECT_EQ(b->CurrentAlphaBlendValue(), std::max(d.AlphaBlendValue / 15, 1));
    driver->AdvanceClock(20);
    EXPECT_GT(b->CurrentAlphaBlendValue(), std::max(d.AlphaBlendValue / 15, 1));
    EXPECT_LT(b->CurrentAlphaBlendValue(), d.AlphaBlendValue);
    driver->AdvanceClock(200);
    EXPECT_EQ(b->CurrentAlphaBlendValue(), d.AlphaBlendValue);
}

// The shadow starts right at the form's outline: no strip of desktop between
// the bottom border and the shadow, none around the rounded bottom corners
// the form's region cuts away.
TEST_F(LayerBorderTest, ShadowTouchesTheFormAllAround)
{
    auto [f, sf] = Shown();
    ASSERT_TRUE(sf->BorderLayer()->Visible());
    const TPixel desk = driver->PixelAt(TPoint(20, 20));
    auto shaded = [&](int x, int y) { return PixelB(driver->PixelAt(TPoint(x, y))) < PixelB(desk); };
    // Form at (300, 200), 500 x 360: the rows right below it, the columns
    // right beside it.
    for (int x = 300; x < 800; x += 7) EXPECT_TRUE(shaded(x, 560)) << "below the form at x " << x;
    for (int y = 240; y < 560; y += 7)
    {
        EXPECT_TRUE(shaded(299, y)) << "left of the form at y " << y;
        EXPECT_TRUE(shaded(800, y)) << "right of the form at y " << y;
    }
    // The cut bottom corners show the shadow, not the desktop.
    EXPECT_TRUE(shaded(300, 559));
    EXPECT_TRUE(shaded(799, 559));
    // Darkest at the edge, lighter further out.
    EXPECT_LE(PixelB(driver->PixelAt(TPoint(550, 560))), PixelB(driver->PixelAt(TPoint(550, 566))));
    delete f;
}

TEST_F(LayerBorderTest, GripsResizeTheFormWithinItsLimits)
{
    auto [f, sf] = Shown();
    sf->MaxWidth = 620;
    const int minW = sf->GetMinWidth(), minH = sf->GetMinHeight();
    // A grip point of each zone (outside the form, inside the border's reach),
    // a drag, and the bounds it gives.
    const TRect start = Bounds(300, 200, 500, 360);
    const struct
    {
        const char* zone;
        TPoint at;
        int dx, dy;
        TRect expected;
    } cases[] = {
        {"right", {802, 380}, 60, 0, Bounds(300, 200, 560, 360)},
        {"right clamped", {802, 380}, 400, 0, Bounds(300, 200, 620, 360)},
        {"bottom", {550, 562}, 0, 40, Bounds(300, 200, 500, 400)},
        {"left", {297, 380}, -30, 0, Bounds(270, 200, 530, 360)},
        {"top", {550, 197}, 0, -25, Bounds(300, 175, 500, 385)},
        {"top-left", {297, 197}, -10, -10, Bounds(290, 190, 510, 370)},
        {"bottom-right", {802, 562}, 20, 30, Bounds(300, 200, 520, 390)},
        {"top-right", {802, 197}, 20, -10, Bounds(300, 190, 520, 370)},
        {"bottom-left", {297, 562}, -20, 10, Bounds(280, 200, 520, 370)},
        // The left edge past the minimum width: the whole step is dropped.
        {"left past the minimum", {297, 380}, 500 - minW + 40, 0, start},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.zone);
        f->SetBounds(start.Left, start.Top, start.Width(), start.Height());
        driver->PumpUntilIdle();
        driver->Drag(c.at, TPoint(c.at.X + c.dx, c.at.Y + c.dy), 1);
        driver->PumpUntilIdle();
        EXPECT_EQ(f->BoundsRect(), c.expected);
        EXPECT_FALSE(sf->FBorderLayerChangeSize);
        // The border follows the new bounds.
        TRect top;
        GetWindowRect(sf->BorderLayer()->Window(bsflTop)->Handle(), &top);
        EXPECT_EQ(top.Left, f->Left() - sd->LayerFrame.ClRect.Left);
        EXPECT_EQ(top.Width(), sf->BorderLayer()->WithFormBounds(0, 0, f->Width(), f->Height()).Width());
    }
    EXPECT_GT(minH, 0);
    // A dialog frame is not sizeable: its grips do nothing.
    f->SetBorderStyle(bsDialog);
    driver->PumpUntilIdle();
    f->SetBounds(start.Left, start.Top, start.Width(), start.Height());
    driver->Drag(TPoint(802, 380), TPoint(862, 380), 1);
    driver->PumpUntilIdle();
    EXPECT_EQ(f->BoundsRect(), start);
}

TEST_F(LayerBorderTest, HiddenWithTheFormAndLeftOutOfTheSkinBroadcast)
{
    auto [f, sf] = Shown();
    TbsFormLayerBorder* b = sf->BorderLayer();
    ASSERT_TRUE(b->Visible());
    int received = 0;
    const UINT change = BSM_SKINDATA_CHANGE;
    for (TbsFormLayerBorderType t : {bsflLeft, bsflTop, bsflRight, bsflBottom})
        SubclassWindow(b->Window(t)->Handle(), [&received, change](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == change) ++received;
            return DefWindowProc(h, m, wp, lp);
        });
    sd->SendSkinDataMessage(BSM_SKINDATA_CHANGE);
    driver->PumpUntilIdle();
    EXPECT_EQ(received, 0);
    // The skin change rebuilt the border around the visible form.
    EXPECT_TRUE(b->Visible());
    ASSERT_NE(b->Window(bsflTop), nullptr);

    // Moving the form moves the pieces.
    f->SetBounds(320, 230, 500, 360);
    driver->PumpUntilIdle();
    TRect top;
    GetWindowRect(b->Window(bsflTop)->Handle(), &top);
    EXPECT_EQ(top.TopLeft(), TPoint(320 - sd->LayerFrame.ClRect.Left, 230 - sd->LayerFrame.ClRect.Top));

    f->Hide();
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->Visible());
    EXPECT_EQ(b->Window(bsflTop), nullptr);
    EXPECT_EQ(driver->PixelAt(TPoint(550, 563)), driver->PixelAt(TPoint(20, 20)));
    f->Show();
    driver->AdvanceClock(20);
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->Visible());
}

TEST_F(LayerBorderTest, NoBorderWithoutLayeredWindowsOrWhenSwitchedOff)
{
    // No compositor: the form is shown with its skinned frame only.
    driver->Desktop().SetLayeredAvailable(false);
    auto [f, sf] = Shown();
    EXPECT_FALSE(sf->CanShowBorderLayer());
    EXPECT_FALSE(sf->BorderLayer()->Visible());
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    EXPECT_GE(sf->NCPaintCount, 1);
    delete f;

    driver->Desktop().SetLayeredAvailable(true);
    auto [g, sg] = Shown();
    ASSERT_TRUE(sg->BorderLayer()->Visible());
    sd->SetShowLayeredBorders(false);
    driver->PumpUntilIdle();
    EXPECT_FALSE(sg->BorderLayer()->Visible());
    // A skin without a layer frame: every border operation does nothing.
    TbsSkinData plain;
    TbsFormLayerBorder b(sg);
    b.InitFrame(&plain, g);
    b.ShowWithForm();
    b.SetBoundsWithForm();
    b.CheckFormAlpha(128, true);
    EXPECT_FALSE(b.Visible());
    EXPECT_FALSE(b.HasFrame());
}
