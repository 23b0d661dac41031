// Layered overlays on the headless desktop: fading, hiding, repeated shows,
// mask alpha, and the overlay window's manners.
#include "lib/bsEffects.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"
#include "platform/testing/Driver.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Pictures
{
    TbsBitmap image, mask;
    Pictures(int w = 8, int h = 6, TbsColor grey = 0xFFFFFFFF)
    {
        image.SetSize(w, h);
        image.Clear(0xFFFFFFFF);
        mask.SetSize(w, h);
        mask.Clear(grey);
    }
};

// Advances 25 ms at a time while the fade runs; returns the opacities seen.
std::vector<int> RunFade(TTestDriver& drv, TbsLayerManager& m, int maxTicks = 50)
{
    std::vector<int> seen;
    for (int i = 0; i < maxTicks && m.Timer->GetEnabled(); ++i) {
        drv.AdvanceClock(25);
        seen.push_back(m.BeginAlphaBlendValue);
    }
    return seen;
}
}  // namespace

TEST(EffectsLayer, FadeSteps)
{
    struct Case
    {
        int value;
        std::vector<int> want;
    } cases[] = {
        {255, {25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}},
        {100, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        {0, {0}},
        {5, {5}},   // a step that rounds to 0 still ends at the first tick
    };
    for (const Case& c : cases) {
        TTestDriver drv;
        TbsLayerManager m(nullptr);
        Pictures p;
        m.Show(100, 120, &p.image, &p.mask, c.value);
        ASSERT_TRUE(m.IsVisible);
        ASSERT_NE(m.LayerWindow, nullptr);
        EXPECT_EQ(m.BeginAlphaBlendValue, 0);
        EXPECT_EQ(RunFade(drv, m), c.want) << c.value;
        EXPECT_FALSE(m.Timer->GetEnabled());
    }
}

TEST(EffectsLayer, OverlayWindowAndPicture)
{
    TTestDriver drv;
    TbsLayerManager m(nullptr);
    Pictures p(8, 6, 0xFF808080);   // grey 128
    m.Show(100, 120, &p.image, &p.mask, 255);
    HWND w = m.LayerWindow->Handle();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetClassName(w), "TbsLayerWindow");
    TRect r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r, TRect(100, 120, 108, 126));
    EXPECT_TRUE(IsWindowVisible(w));
    const LONG ex = GetWindowLong(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_EQ(DWORD(GetWindowLong(w, GWL_STYLE)) & WS_POPUP, WS_POPUP);
    EXPECT_EQ(SendMessage(w, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    ASSERT_NE(m.Bmp, nullptr);
    EXPECT_EQ(m.Bmp->GetPixel(3, 3), 0x80FFFFFFu);   // alpha from the mask's grey level

    // At rest, the desktop shows the overlay blended at half strength.
    RunFade(drv, m);
    const TPixel px = drv.PixelAt(TPoint(103, 123));
    const TPixel bg = drv.PixelAt(TPoint(90, 123));
    EXPECT_NE(px, bg);
}

TEST(EffectsLayer, ShowTwiceAndHide)
{
    TTestDriver drv;
    TbsLayerManager m(nullptr);
    Pictures p;
    m.Show(10, 10, &p.image, &p.mask, 200);
    drv.AdvanceClock(50);
    m.Show(300, 40, &p.image, &p.mask, 200);
    EXPECT_EQ(m.BeginAlphaBlendValue, 0);   // starts over
    int overlays = 0;
    for (HWND h : GetAllWindows())
        if (GetClassName(h) == "TbsLayerWindow") ++overlays;
    EXPECT_EQ(overlays, 1);
    TRect r;
    GetWindowRect(m.LayerWindow->Handle(), &r);
    EXPECT_EQ(r.TopLeft(), TPoint(300, 40));

    m.Hide();
    EXPECT_FALSE(m.IsVisible);
    EXPECT_EQ(m.LayerWindow, nullptr);
    EXPECT_EQ(m.Bmp, nullptr);
    EXPECT_FALSE(m.Timer->GetEnabled());
    for (HWND h : GetAllWindows()) EXPECT_NE(GetClassName(h), "TbsLayerWindow");

    TbsLayerManager idle(nullptr);
    idle.Hide();   // without a Show: only stops and clears
    EXPECT_FALSE(idle.IsVisible);
    EXPECT_FALSE(idle.Timer->GetEnabled());
    idle.FadeStep();   // nothing to fade
}

TEST(EffectsLayer, OwnerFreesTheManagerWithItsWindow)
{
    TTestDriver drv;
    {
        TComponent owner(nullptr);
        auto* m = new TbsLayerManager(&owner);
        Pictures p;
        m->Show(0, 0, &p.image, &p.mask, 255);
        drv.AdvanceClock(25);
    }
    for (HWND h : GetAllWindows()) EXPECT_NE(GetClassName(h), "TbsLayerWindow");
    drv.AdvanceClock(100);   // no timer left behind
}
