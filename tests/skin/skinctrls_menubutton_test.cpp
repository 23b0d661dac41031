// The menu speed button: its looks from the menu-button and tool-button
// entries (main and track parts, the new style's own track entries), the
// skin's drop-down marker pictures, content kept out of the marker strip,
// the image-grid menu (opening, choosing, the chosen image on the face), the
// track area of each style, and what a tool bar hands to it.
#include "skin/skinctrls_helpers.h"

#include "lib/bsSkinMenus.h"

using namespace ctrltest;

namespace
{
// Picture 0 encodes its coordinates (CoordPicture), so a pixel of a look
// tells which picture pixel it came from.
// "toolmenubutton": fixed 30 x 12 looks, normal at (0, 0), hot at (30, 0),
// down at (0, 12), content (2, 2, 15, 10), track part (16, 0, 30, 12), the
// four markers of 9 x 6 at y 40, x 0 (normal), 10 (hot), 20 (down), 30
// (flat). "toolbutton": fixed 20 x 10 at y 24, x 0, 20, 40 (normal, hot,
// down). "resizetoolbutton": 20 x 16 with fixed 3-pixel edges at y 0, x 0,
// 20, 40. "vtracktoolbutton": 10 x 10 with 2-pixel edges at y 34, x 0, 10,
// 20.
std::string MenuSkin()
{
    const std::string dir = skintest::TempDir("menubutton");
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(
        dir + "skin.ini",
        "[VERSION]\r\nskinname=menubutton\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
        "[SKINCONTROLS]\r\ncount=4\r\n0=toolmenubutton:menubutton\r\n1=toolbutton:button\r\n"
        "2=resizetoolbutton:button\r\n3=vtracktoolbutton:button\r\n\r\n"
        "[toolmenubutton]\r\npictureindex=0\r\nskinrect=0,0,30,12\r\nactiveskinrect=30,0,60,12\r\n"
        "downskinrect=0,12,30,24\r\nclientrect=2,2,15,10\r\ntrackbuttonrect=16,0,30,12\r\n"
        "menumarkerrect=0,40,9,46\r\nmenumarkeractiverect=10,40,19,46\r\nmenumarkerdownrect=20,40,29,46\r\n"
        "menumarkerflatrect=30,40,39,46\r\nmenumarkertransparentcolor=16777215\r\nfontcolor=255\r\n\r\n"
        "[toolbutton]\r\npictureindex=0\r\nskinrect=0,24,20,34\r\nactiveskinrect=20,24,40,34\r\n"
        "downskinrect=40,24,60,34\r\nclientrect=2,2,18,8\r\n\r\n"
        "[resizetoolbutton]\r\npictureindex=0\r\nskinrect=0,0,20,16\r\nactiveskinrect=20,0,40,16\r\n"
        "downskinrect=40,0,60,16\r\nlefttoppoint=3,3\r\nrighttoppoint=17,3\r\nleftbottompoint=3,13\r\n"
        "rightbottompoint=17,13\r\nclientrect=3,3,17,13\r\n\r\n"
        "[vtracktoolbutton]\r\npictureindex=0\r\nskinrect=0,34,10,44\r\nactiveskinrect=10,34,20,44\r\n"
        "downskinrect=20,34,30,44\r\nlefttoppoint=2,2\r\nrighttoppoint=8,2\r\nleftbottompoint=2,8\r\n"
        "rightbottompoint=8,8\r\nclientrect=2,2,8,8\r\n\r\n");
    return dir + "skin.ini";
}

class MenuButtonTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 800, 600), TRect(0, 0, 800, 560), true}});
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadFromFile(MenuSkin());
        form = MakeForm(400, 300);
        Application->SetMainForm(form);
        images = ColourList({clRed, clGreen, clBlue, clYellow});
        grid = new TbsSkinImagesMenu(form);
        grid->SetImages(images.get());
        for (int i = 0; i < 4; ++i) grid->ImagesItems()->Add()->SetImageIndex(i);
    }
    void TearDown() override
    {
        Application->SetMainForm(nullptr);
        delete form;
        sd.reset();
        SkinCtrlTest::TearDown();
    }
    TbsSkinMenuSpeedButton* AddButton(TWinControl* parent, const char* entry, int w, int h)
    {
        auto* b = new TbsSkinMenuSpeedButton(form);
        b->SkinDataName = entry;
        b->UseSkinSize = false;
        b->SetSkinData(sd.get());
        b->SetParent(parent);
        b->SetBounds(20, 20, w, h);
        b->OnClick = [this](TObject*) { ++clicks; };
        b->OnShowTrackMenu = [this](TObject*) { ++shown; };
        b->OnHideTrackMenu = [this](TObject*) { ++hidden; };
        return b;
    }
    void Show()
    {
        form->Show();
        driver->PumpUntilIdle();
    }
    TPoint Screen(TControl* c, int x, int y) { return c->ClientToScreen(TPoint(x, y)); }
    // The picture pixel a pixel of the button came from.
    TPoint Source(TControl* c, int x, int y)
    {
        driver->PumpUntilIdle();
        const COLORREF p = At(c, x, y);
        return TPoint(GetRValue(p) / 4, GetGValue(p) / 4);
    }
    TPoint ItemCentre(int i)
    {
        const TRect r = grid->ImagesItems()->Items(i)->ItemRect;
        return grid->PopupWindow()->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    std::unique_ptr<TbsSkinData> sd;
    TSkinnedForm* form = nullptr;
    std::unique_ptr<TCustomImageList> images;
    TbsSkinImagesMenu* grid = nullptr;
    int clicks = 0, shown = 0, hidden = 0;
};
} // namespace

// Each look in each state: which picture the main part and the track part
// come from. Main part probed at (1, 1), the track part at `track`.
TEST_F(MenuButtonTest, LooksComposeTheirMainAndTrackParts)
{
    enum Action { Normal, Hot, PressMain, Tracked };
    struct Case
    {
        const char* Name;
        const char* Entry;
        bool Track, NewStyle, Bottom;
        int W, H;
        Action Do;
        TPoint Probe;   // where the track part is probed (and pressed)
        TPoint Main, TrackSrc;
    };
    const Case cases[] = {
        // The skin's menu-button entry: the speed button's looks; with the
        // menu open in track mode, hot with the down look's track part.
        {"menu entry", "toolmenubutton", false, false, false, 30, 12, Normal, {17, 1}, {1, 1}, {17, 1}},
        {"menu entry hot", "toolmenubutton", false, false, false, 30, 12, Hot, {17, 1}, {31, 1}, {47, 1}},
        {"menu entry open", "toolmenubutton", false, false, false, 30, 12, Tracked, {17, 1}, {1, 13}, {17, 13}},
        {"menu entry track open", "toolmenubutton", true, false, false, 30, 12, Tracked, {17, 1}, {31, 1}, {17, 13}},
        // The client-rectangle look: two parts, width - 15 and 15.
        {"toolbutton hot", "toolbutton", true, false, false, 60, 20, Hot, {46, 1}, {21, 25}, {21, 25}},
        {"toolbutton pressed", "toolbutton", true, false, false, 60, 20, PressMain, {46, 1}, {41, 25}, {41, 25}},
        {"toolbutton open", "toolbutton", true, false, false, 60, 20, Tracked, {46, 1}, {21, 25}, {41, 25}},
        // The corner-point look (the main window's button).
        {"resize open", "resizetoolbutton", false, false, false, 60, 30, Tracked, {58, 1}, {41, 1}, {58, 1}},
        {"resize track open", "resizetoolbutton", true, false, false, 60, 30, Tracked, {46, 1}, {21, 1}, {41, 1}},
        // The new style: the track part from "vtracktoolbutton" at the right;
        // cut from the main entry at the bottom (the skin has no
        // "htracktoolbutton").
        {"new right hot", "resizetoolbutton", true, true, false, 60, 30, Hot, {46, 1}, {21, 1}, {11, 35}},
        {"new right open", "resizetoolbutton", true, true, false, 60, 30, Tracked, {46, 1}, {21, 1}, {21, 35}},
        {"new bottom open", "resizetoolbutton", true, true, true, 60, 30, Tracked, {1, 16}, {21, 1}, {41, 1}},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.Name);
        TbsSkinMenuSpeedButton* b = AddButton(form, k.Entry, k.W, k.H);
        b->SetNewStyle(k.NewStyle);
        b->SetTrackPosition(k.Bottom ? bstpBottom : bstpRight);
        b->SetTrackButtonMode(k.Track);
        b->SetSkinImagesMenu(grid);
        Show();
        const TPoint mainPoint = k.Bottom ? Screen(b, 5, 5) : Screen(b, 5, k.H / 2);
        switch (k.Do)
        {
        case Normal: break;
        case Hot: driver->MoveTo(mainPoint); break;
        case PressMain: driver->Press(mainPoint); break;
        case Tracked:
            driver->MoveTo(Screen(b, k.Probe.X, k.Probe.Y));
            driver->Press(Screen(b, k.Probe.X, k.Probe.Y));
            ASSERT_TRUE(b->MenuTracked());
            break;
        }
        EXPECT_EQ(Source(b, 1, 1), k.Main) << "main part";
        EXPECT_EQ(Source(b, k.Probe.X, k.Probe.Y), k.TrackSrc) << "track part";
        if (k.Do == PressMain) driver->Release(TPoint(390, 290));
        if (k.Do == Tracked)
        {
            driver->Release(Screen(b, k.Probe.X, k.Probe.Y));
            driver->PressKey(VK_ESCAPE);
            driver->PumpUntilIdle();
            EXPECT_FALSE(b->MenuTracked());
            EXPECT_FALSE(b->Down());
        }
        driver->MoveTo(TPoint(390, 290));
        delete b;
        driver->PumpUntilIdle();
    }
    EXPECT_EQ(clicks, 0);
}

// The marker is the skin's picture for the state, centred right of the
// content; a flat button shows the flat marker over its parent.
TEST_F(MenuButtonTest, MarkerComesFromTheSkinsPictures)
{
    TbsSkinMenuSpeedButton* b = AddButton(form, "toolmenubutton", 30, 12);
    b->SetSkinImagesMenu(grid);
    Show();
    // The strip (15, 0, 30, 12) centres the 9 x 6 marker at (18, 3); its
    // pixel (4, 3) is probed.
    EXPECT_EQ(Source(b, 22, 6), TPoint(4, 43)) << "normal";
    driver->MoveTo(Screen(b, 5, 5));
    EXPECT_EQ(Source(b, 22, 6), TPoint(14, 43)) << "hot";
    driver->Press(Screen(b, 5, 5));
    EXPECT_EQ(Source(b, 23, 7), TPoint(24, 43)) << "pressed: moved by one pixel";
    driver->PressKey(VK_ESCAPE);
    driver->Release(Screen(b, 5, 5));
    driver->MoveTo(TPoint(390, 290));
    b->SetFlat(true);
    driver->PumpUntilIdle();
    EXPECT_EQ(At(b, 1, 1), ColorToRGB(clWhite)) << "a flat idle button shows its parent";
    // Two pixels further left on a look of fixed size.
    EXPECT_EQ(Source(b, 21, 6), TPoint(34, 43)) << "flat";
}

// The corner-point look (the main window's "添加" button) lays its glyph out
// left of the 15-pixel marker strip, not over the whole button.
TEST_F(MenuButtonTest, ContentStaysOutOfTheMarkerStrip)
{
    TBitmap glyph(16, 16, pf24bit);
    glyph.Canvas()->Brush()->SetColor(clLime);
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
    // The bottom-left pixel is the strip's key colour.
    glyph.Canvas()->Brush()->SetColor(TColor(0xFF00FF));
    glyph.Canvas()->FillRect(TRect(0, 15, 1, 16));
    for (bool skinned : {true, false})
    {
        SCOPED_TRACE(skinned ? "skin" : "default look");
        TbsSkinMenuSpeedButton* b = AddButton(form, skinned ? "resizetoolbutton" : "none", 60, 30);
        b->SetGlyph(&glyph);
        Show();
        driver->PumpUntilIdle();
        const COLORREF lime = ColorToRGB(clLime);
        // Centred in (0, 0, 45, 30): columns 14 to 29.
        EXPECT_EQ(At(b, 15, 15), lime);
        EXPECT_EQ(At(b, 28, 15), lime);
        for (int x = 31; x < 60; ++x) EXPECT_NE(At(b, x, 15), lime) << x;
        delete b;
    }
}

// The image-grid menu opens on a press and keeps the button down; its
// choice closes it, releases the button and shows on the button's face.
TEST_F(MenuButtonTest, ImageGridMenuOpensAndItsChoiceShowsOnTheFace)
{
    TbsSkinMenuSpeedButton* b = AddButton(form, "none", 60, 30);
    b->SetSkinImagesMenu(grid);
    b->UseImagesMenuImage = true;
    Show();
    driver->Click(Screen(b, 10, 10));
    driver->PumpUntilIdle();
    ASSERT_NE(grid->PopupWindow(), nullptr);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(b->MenuTracked());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(grid->PopupWindow()->Top(), Screen(b, 0, 30).Y) << "below the button";
    driver->Click(ItemCentre(2));
    driver->PumpUntilIdle();
    EXPECT_EQ(grid->PopupWindow(), nullptr);
    EXPECT_EQ(grid->ItemIndex(), 2);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->MenuTracked());
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(clicks, 0) << "the menu's press is no click";
    // The chosen image, centred left of the marker strip.
    EXPECT_EQ(At(b, 22, 15), ColorToRGB(clBlue));
    grid->SetItemIndex(3);
    driver->PumpUntilIdle();
    EXPECT_EQ(At(b, 22, 15), ColorToRGB(clYellow));

    // A menu without images shows nothing: the button does not stay down.
    grid->SetImages(nullptr);
    driver->Click(Screen(b, 10, 10));
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->MenuTracked());
    EXPECT_EQ(hidden, 2);
}

// The track part follows the style: at the right, or at the bottom of the
// new style with bstpBottom; elsewhere a press clicks.
TEST_F(MenuButtonTest, TrackAreaFollowsTheStyle)
{
    struct Case
    {
        bool NewStyle, Bottom;
        TPoint At;
        bool Opens;
    };
    const Case cases[] = {
        {false, false, {45, 5}, true},  {false, false, {44, 5}, false}, {false, true, {45, 5}, true},
        {true, true, {5, 15}, true},    {true, true, {5, 14}, false},   {true, true, {50, 5}, false},
        {true, false, {45, 25}, true},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(testing::Message() << k.NewStyle << k.Bottom << " " << k.At.X << "," << k.At.Y);
        TbsSkinMenuSpeedButton* b = AddButton(form, "none", 60, 30);
        b->SetNewStyle(k.NewStyle);
        b->SetTrackPosition(k.Bottom ? bstpBottom : bstpRight);
        b->SetTrackButtonMode(true);
        b->SetSkinImagesMenu(grid);
        Show();
        clicks = 0;
        driver->Click(Screen(b, k.At.X, k.At.Y));
        driver->PumpUntilIdle();
        EXPECT_EQ(grid->PopupWindow() != nullptr, k.Opens);
        EXPECT_EQ(clicks, k.Opens ? 0 : 1);
        grid->Hide();
        driver->PumpUntilIdle();
        EXPECT_FALSE(b->Down());
        delete b;
    }
    auto* b = new TbsSkinMenuSpeedButton(form);
    b->SetNewStyle(true);
    EXPECT_EQ(b->SkinDataName, "resizetoolbutton");
    b->SkinDataName = "toolbutton";
    b->SetNewStyle(false);
    EXPECT_EQ(b->SkinDataName, "toolbutton") << "leaving the new style keeps the name";
}

// A tool bar hands its store, flat setting and image lists to a menu button
// on it as to its speed buttons; disabled images show undimmed.
TEST_F(MenuButtonTest, ToolBarHandsItsStoreFlatAndImages)
{
    auto* bar = new TbsSkinToolBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 300, 30);
    auto hot = ColourList({clRed, clGreen, clFuchsia});
    auto disabled = ColourList({clRed, clGreen, clGray});
    bar->SetImages(images.get());
    bar->SetHotImages(hot.get());
    bar->SetDisabledImages(disabled.get());
    auto* b = new TbsSkinMenuSpeedButton(form);
    b->SkinDataName = "none";
    b->SetParent(bar);
    b->SetBounds(10, 0, 45, 26);
    b->SetImageIndex(2);
    bar->SetSkinData(sd.get());
    bar->SetFlat(true);
    EXPECT_EQ(b->SkinData(), sd.get());
    EXPECT_TRUE(b->Flat());
    EXPECT_TRUE(b->Transparent());
    Show();
    // The image is centred left of the 15-pixel strip: (7, 5) to (23, 21).
    const auto centre = [&] {
        driver->PumpUntilIdle();
        return At(b, 15, 13);
    };
    EXPECT_EQ(centre(), ColorToRGB(clBlue));
    driver->MoveTo(Screen(b, 15, 13));
    EXPECT_EQ(centre(), ColorToRGB(clFuchsia)) << "hot images while hovered";
    driver->MoveTo(TPoint(390, 290));
    b->SetEnabled(false);
    EXPECT_EQ(centre(), ColorToRGB(clGray)) << "disabled images, not greyed again";
    bar->SetImages(nullptr);
    bar->SetHotImages(nullptr);
    bar->SetDisabledImages(nullptr);
}
