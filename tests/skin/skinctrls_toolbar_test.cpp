// The speed button and the tool bar: clicks, groups and repeat of the
// window-less button, captions shown and hidden, the tool bar's images on a
// flat button, centring, scrolling with the arrows (pressed and hot) on the
// virtual clock; and the push button's glow frame messages.
#include "skin/skinctrls_helpers.h"

#include "lib/bsEffects.h"
#include "platform/gui/StdCtrls.h"

using namespace ctrltest;

namespace
{
// "toolbutton": a fixed 20 x 10 look in picture 0, normal at x 0, active at
// 20, down at 40. "glow": a 20 x 10 button with a glow picture (1) and its
// mask (2) of 26 x 16; "resizeglow" and "stretchglow" the same on looks
// that resize across only and in both directions.
std::string ToolSkin(const std::string& name)
{
    const std::string dir = skintest::TempDir("toolbar-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::MakePicture(26, 16, 0xFF40C0FFu).SaveToFile(dir + "glow.bmp");
    skintest::MakePicture(26, 16, 0xFFFFFFFFu).SaveToFile(dir + "glowmask.bmp");
    const std::string looks = "pictureindex=0\r\nskinrect=0,0,20,10\r\nclientrect=2,2,18,8\r\n"
                              "activeskinrect=20,0,40,10\r\ndownskinrect=40,0,60,10\r\nfontcolor=255\r\n";
    skintest::WriteFile(
        dir + "skin.ini",
        "[VERSION]\r\nskinname=tools\r\n\r\n[PICTURES]\r\nactivepicturescount=3\r\n0=p0.bmp\r\n1=glow.bmp\r\n"
        "2=glowmask.bmp\r\n\r\n[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
        "[SKINCONTROLS]\r\ncount=4\r\n0=toolbutton:button\r\n1=glow:button\r\n2=resizeglow:button\r\n"
        "3=stretchglow:button\r\n\r\n"
        "[toolbutton]\r\n" + looks + "\r\n[glow]\r\n" + looks +
        "glowlayerpictureindex=1\r\nglowlayermaskpictureindex=2\r\nglowlayershowoffsetx=3\r\n"
        "glowlayershowoffsety=3\r\n\r\n"
        "[resizeglow]\r\npictureindex=0\r\nskinrect=0,30,40,48\r\nlefttoppoint=6,0\r\nrighttoppoint=34,0\r\n"
        "clientrect=6,2,34,16\r\nglowlayerpictureindex=1\r\nglowlayermaskpictureindex=2\r\n"
        "glowlayeroffsetleft=5\r\nglowlayeroffsetright=5\r\n\r\n"
        "[stretchglow]\r\npictureindex=0\r\nskinrect=0,0,40,30\r\nlefttoppoint=5,5\r\nrighttoppoint=35,5\r\n"
        "leftbottompoint=5,25\r\nrightbottompoint=35,25\r\nclientrect=5,5,35,25\r\nglowlayerpictureindex=1\r\n"
        "glowlayermaskpictureindex=2\r\nglowlayeroffsetleft=5\r\nglowlayeroffsetright=5\r\n"
        "glowlayeroffsettop=5\r\nglowlayeroffsetbottom=5\r\n\r\n");
    return dir + "skin.ini";
}

class ToolTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadFromFile(ToolSkin("fixture"));
        form = MakeForm(400, 200);
    }
    void TearDown() override
    {
        delete form;
        sd.reset();
        SkinCtrlTest::TearDown();
    }
    // A "toolbutton" of the test skin, or (skinned false) one in the
    // default look at any size.
    TbsSkinSpeedButton* AddButton(TWinControl* parent, int x, int y, int w = 20, int h = 10, bool skinned = true)
    {
        auto* b = new TbsSkinSpeedButton(form);
        if (skinned) b->SetSkinData(sd.get());
        b->SetParent(parent);
        b->SetBounds(x, y, w, h);
        b->OnClick = [this](TObject*) { ++clicks; };
        return b;
    }
    void ShowForm()
    {
        form->Show();
        driver->PumpUntilIdle();
    }
    TPoint Centre(TControl* c) { return c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2)); }
    int LookX(TControl* c)
    {
        driver->PumpUntilIdle();
        return GetRValue(At(c, 1, 1)) / 4 - 1;
    }
    std::unique_ptr<TbsSkinData> sd;
    TSkinnedForm* form = nullptr;
    int clicks = 0;
};
} // namespace

TEST_F(ToolTest, SpeedButtonClicksLooksAndRepeat)
{
    TbsSkinSpeedButton* b = AddButton(form, 10, 10);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(200, 100, 60, 20);
    ShowForm();
    edit->SetFocus();
    EXPECT_EQ(LookX(b), 0);
    driver->MoveTo(Centre(b));
    EXPECT_EQ(LookX(b), 20) << "hot";
    driver->Press(Centre(b));
    EXPECT_EQ(LookX(b), 40) << "pressed";
    EXPECT_EQ(GetCapture(), form->GetHandle()) << "the form holds the capture for its window-less button";
    driver->Release(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(edit->Focused()) << "a speed button never takes the focus";
    // Released outside: no click, nothing left captured.
    driver->Press(Centre(b));
    driver->MoveTo(TPoint(300, 250));
    driver->Release(TPoint(300, 250));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(GetCapture(), nullptr);

    // Repeat: 500 ms delay, then every RepeatInterval, once more on release.
    clicks = 0;
    b->RepeatMode = true;
    driver->MoveTo(Centre(b));
    driver->Press(Centre(b));
    struct Step
    {
        int AdvanceMs, Clicks;
    };
    for (const Step& s : {Step{500, 0}, Step{100, 1}, Step{400, 5}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        driver->PumpUntilIdle();
        EXPECT_EQ(clicks, s.Clicks);
    }
    driver->Release(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 6);
    EXPECT_FALSE(b->RepeatRunning());

    // Disabled: entering and leaving change nothing.
    driver->MoveTo(TPoint(300, 250));
    b->SetEnabled(false);
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->MouseIn());
}

TEST_F(ToolTest, SpeedButtonGroupsAndCaptionWidths)
{
    TbsSkinSpeedButton* g[3];
    for (int i = 0; i < 3; ++i)
    {
        g[i] = AddButton(form, 10 + 30 * i, 10);
        g[i]->SetGroupIndex(1);
    }
    ShowForm();
    driver->Click(Centre(g[0]));
    driver->Click(Centre(g[1]));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g[0]->Down());
    EXPECT_TRUE(g[1]->Down());
    EXPECT_EQ(clicks, 2) << "a group button clicks on the press";
    driver->Click(Centre(g[1]));
    driver->PumpUntilIdle();
    EXPECT_TRUE(g[1]->Down()) << "the down one stays down without AllowAllUp";
    g[1]->AllowAllUp = true;
    driver->Click(Centre(g[1]));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g[1]->Down());
    g[2]->SetDown(true);
    g[0]->SetDown(true);
    EXPECT_FALSE(g[2]->Down()) << "setting Down from code releases the others";

    // Free-sized button (the skin's size is fixed, so take it off).
    TbsSkinSpeedButton* c = AddButton(form, 10, 40);
    c->UseSkinSize = false;
    c->WidthWithCaption = 60;
    c->WidthWithoutCaption = 25;
    c->SetShowCaption(false);
    EXPECT_EQ(c->Width(), 25);
    c->SetShowCaption(true);
    EXPECT_EQ(c->Width(), 60);
}

TEST_F(ToolTest, FlatButtonTakesTheToolBarsImages)
{
    auto* bar = new TbsSkinToolBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 200, 30);
    auto images = ColourList({clRed, clGreen, clBlue});
    auto hot = ColourList({clRed, clGreen, clYellow});
    auto disabled = ColourList({clRed, clGreen, clGray});
    bar->SetImages(images.get());
    bar->SetHotImages(hot.get());
    bar->SetDisabledImages(disabled.get());
    auto* b = new TbsSkinSpeedButton(form);
    b->SetParent(bar);
    b->SetBounds(10, 0, 26, 26);
    b->SetImageIndex(2);
    bar->SetFlat(true);
    EXPECT_TRUE(b->Flat());
    EXPECT_TRUE(b->Transparent());
    ShowForm();
    auto centre = [&] {
        driver->PumpUntilIdle();
        return At(b, 13, 13);
    };
    EXPECT_EQ(centre(), ColorToRGB(clBlue));
    driver->MoveTo(Centre(b));
    EXPECT_EQ(centre(), ColorToRGB(clYellow)) << "hot images while hovered";
    driver->MoveTo(TPoint(300, 250));
    b->SetEnabled(false);
    EXPECT_EQ(centre(), ColorToRGB(clGray)) << "disabled images, not greyed again";
    EXPECT_EQ(b->Top(), 2) << "centred in the 30-pixel bar";
    bar->SetImages(nullptr);
    bar->SetHotImages(nullptr);
    bar->SetDisabledImages(nullptr);
}

TEST_F(ToolTest, ToolBarScrollsWithItsArrows)
{
    auto* bar = new TbsSkinToolBar(form);
    bar->CanScroll = true;
    bar->SetScrollOffset(30);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 300, 30);
    for (int i = 0; i < 7; ++i) AddButton(bar, i * 60, 0, 60, 25, false);
    bar->SetBounds(0, 0, 300, 30);
    ShowForm();
    // Buttons end at 420: both arrows, 24 pixels less client, SMax 419.
    EXPECT_TRUE(bar->ScrollButton(0).Visible);
    EXPECT_TRUE(bar->ScrollButton(1).Visible);
    EXPECT_EQ(bar->ClientWidth(), 276);
    EXPECT_EQ(bar->ScrollMax(), 419);
    TControl* first = bar->Controls(0);
    const TPoint right = TTestDriver::WindowPoint(bar->GetHandle(), TPoint(294, 15));
    const TPoint left = TTestDriver::WindowPoint(bar->GetHandle(), TPoint(5, 15));

    // Held: one step per timer tick, one more on release, never past
    // SMax - SPage + 1 = 144.
    driver->MoveTo(right);
    driver->Press(right);
    struct Step
    {
        int AdvanceMs, Position;
    };
    for (const Step& s : {Step{49, 0}, Step{1, 30}, Step{50, 60}, Step{100, 120}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        driver->PumpUntilIdle();
        EXPECT_EQ(bar->ScrollPosition(), s.Position);
        EXPECT_EQ(first->Left(), -s.Position);
    }
    driver->Release(right);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ScrollPosition(), 144) << "the step on release stops at the end";
    EXPECT_EQ(bar->ScrollTimerMode(), 0);
    driver->Click(right);
    EXPECT_EQ(bar->ScrollPosition(), 144);

    driver->MoveTo(left);
    driver->Press(left);
    driver->AdvanceClock(500);
    driver->Release(left);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ScrollPosition(), 0) << "the left arrow stops at 0";
    EXPECT_EQ(first->Left(), 0);

    // Hot scrolling: resting on an arrow scrolls; the client area stops it.
    bar->HotScroll = true;
    driver->MoveTo(TTestDriver::WindowPoint(bar->GetHandle(), TPoint(150, 15)));
    driver->MoveTo(right);
    driver->AdvanceClock(100);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ScrollPosition(), 60);
    driver->MoveTo(TTestDriver::WindowPoint(bar->GetHandle(), TPoint(150, 15)));
    driver->AdvanceClock(100);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ScrollPosition(), 60);
    EXPECT_FALSE(bar->ScrollButton(1).MouseIn);

    // Wide enough for everything: back to 0 and no arrows.
    bar->SetBounds(0, 0, 500, 30);
    driver->PumpUntilIdle();
    EXPECT_EQ(bar->ScrollPosition(), 0);
    EXPECT_EQ(first->Left(), 0);
    EXPECT_FALSE(bar->ScrollButton(0).Visible);
    EXPECT_EQ(bar->ClientWidth(), 500);

    for (int v : {0, -5}) bar->SetScrollTimerInterval(v);
    EXPECT_EQ(bar->ScrollTimerInterval(), 50);
    bar->SetScrollOffset(-1);
    EXPECT_EQ(bar->ScrollOffset(), 30);
}

TEST_F(ToolTest, ToolBarCentresItsChildren)
{
    auto* bar = new TbsSkinToolBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 300, 40);
    auto* e = new TEdit(form);
    e->SetParent(bar);
    e->SetBounds(100, 0, 60, 20);
    TbsSkinSpeedButton* b = AddButton(bar, 10, 0);
    ShowForm();
    bar->SetBounds(0, 0, 300, 50);
    driver->PumpUntilIdle();
    EXPECT_EQ(b->Top(), 20) << "a skinned child centres itself";
    EXPECT_EQ(e->Top(), 15) << "the tool bar centres the others";
    bar->AdjustControls = false;
    b->SetTop(0);
    EXPECT_EQ(b->Top(), 0);
}

// The glow frame follows the pointer through posted messages: shown after
// entering, hidden after leaving, in that order, once the handler has run.
TEST_F(ToolTest, GlowFramePostsShowThenHide)
{
    class RecordingButton : public TbsSkinButton
    {
    public:
        using TbsSkinButton::TbsSkinButton;
        std::vector<UINT> Seen;

    protected:
        void Dispatch(TMessage& m) override
        {
            if (m.Msg == BSM_BUTTON_SHOWLAYER || m.Msg == BSM_BUTTON_HIDELAYER) Seen.push_back(m.Msg);
            TbsSkinButton::Dispatch(m);
        }
    };
    driver->Desktop().SetLayeredAvailable(true);
    struct Case
    {
        const char* Entry;
        int Width, Height;
        int GlowWidth, GlowHeight;   // of the layer window
    };
    // The glow grows with the button as its look does.
    for (const Case& c : {Case{"glow", 20, 18, 26, 16}, Case{"resizeglow", 60, 18, 46, 16},
                          Case{"stretchglow", 60, 40, 46, 26}})
    {
        auto* b = new RecordingButton(form);
        b->SetSkinDataName(c.Entry);
        b->SetSkinData(sd.get());
        b->SetParent(form);
        b->SetBounds(50, 50, c.Width, c.Height);
        ShowForm();
        driver->MoveTo(Centre(b));
        driver->PumpUntilIdle();
        ASSERT_EQ(b->Seen, std::vector<UINT>{BSM_BUTTON_SHOWLAYER}) << c.Entry;
        ASSERT_TRUE(b->LayerManager()->IsVisible);
        ASSERT_NE(b->LayerManager()->LayerWindow, nullptr);
        const TPoint origin = b->ClientToScreen(TPoint(0, 0));
        const TbsLayerWindow* w = b->LayerManager()->LayerWindow;
        EXPECT_EQ(w->Width(), c.GlowWidth) << c.Entry;
        EXPECT_EQ(w->Height(), c.GlowHeight) << c.Entry;
        const TbsBitmap* glow = b->LayerManager()->Bmp;
        ASSERT_NE(glow, nullptr);
        for (TPoint p : {TPoint(0, 0), TPoint(c.GlowWidth / 2, c.GlowHeight / 2),
                         TPoint(c.GlowWidth - 1, c.GlowHeight - 1)})
            EXPECT_EQ(glow->GetPixel(p.X, p.Y) & 0xFFFFFFu, 0x40C0FFu) << c.Entry << " the glow picture, stretched";
        if (c.GlowWidth == 26)
        {
            EXPECT_EQ(w->Left(), origin.X - 3);
            EXPECT_EQ(w->Top(), origin.Y - 3);
        }
        driver->MoveTo(TPoint(300, 250));
        driver->PumpUntilIdle();
        EXPECT_EQ(b->Seen, (std::vector<UINT>{BSM_BUTTON_SHOWLAYER, BSM_BUTTON_HIDELAYER}));
        EXPECT_FALSE(b->LayerManager()->IsVisible);
        delete b;
    }
    // Without layered windows nothing is shown.
    driver->Desktop().SetLayeredAvailable(false);
    auto* b = new RecordingButton(form);
    b->SetSkinDataName("glow");
    b->SetSkinData(sd.get());
    b->SetParent(form);
    b->SetBounds(50, 50, 20, 10);
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(b->Seen.size(), 1u);
    EXPECT_FALSE(b->LayerManager()->IsVisible);
}
