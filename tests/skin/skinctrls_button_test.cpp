// The skinned push button: looks per state, click only when released inside,
// auto-repeat on the virtual clock, groups, default and cancel keys, the
// cross-fade's steps, the frame animation, a click handler that frees its
// button, and the operations the main window calls (glyph, refresh).
#include "skin/skinctrls_helpers.h"

#include "platform/gui/StdCtrls.h"

using namespace ctrltest;

namespace
{
// A fixed 20 x 10 button whose looks lie side by side in picture 0: normal
// at x 0, active at 20, down at 40; disabled under the normal look; the
// "morph" entry is the same with the cross-fade on; "anim" has three
// animation frames side by side under the looks (at y 30).
std::string ButtonSkin(const std::string& name)
{
    const std::string dir = skintest::TempDir("button-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    const std::string looks = "pictureindex=0\r\nskinrect=0,0,20,10\r\nclientrect=2,2,18,8\r\n"
                              "activeskinrect=20,0,40,10\r\ndownskinrect=40,0,60,10\r\n"
                              "disabledskinrect=0,10,20,20\r\nfontcolor=255\r\ndisabledfontcolor=255\r\n";
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=buttons\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
                        "[SKINCONTROLS]\r\ncount=4\r\n0=button:button\r\n1=morph:button\r\n2=plain:button\r\n"
                        "3=anim:button\r\n\r\n"
                        "[button]\r\n" + looks + "\r\n[morph]\r\n" + looks + "morphing=1\r\n\r\n"
                        "[anim]\r\n" + looks + "animateskinrect=0,30,60,40\r\nframecount=3\r\nanimateinterval=30\r\n\r\n"
                        "[plain]\r\npictureindex=0\r\nskinrect=0,20,20,30\r\nclientrect=2,2,18,8\r\n\r\n");
    return dir + "skin.ini";
}

class ButtonTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadFromFile(ButtonSkin("fixture"));
        form = MakeForm();
    }
    void TearDown() override
    {
        delete form;
        sd.reset();
        SkinCtrlTest::TearDown();
    }
    TbsSkinButton* Add(int x, int y, const std::string& entry = "button")
    {
        auto* b = new TbsSkinButton(form);
        b->SetSkinDataName(entry);
        b->SetSkinData(sd.get());
        b->SetParent(form);
        b->SetBounds(x, y, 20, 10);
        b->OnClick = [this, b](TObject* s) {
            EXPECT_EQ(s, b);
            ++clicks;
        };
        return b;
    }
    void ShowForm()
    {
        form->Show();
        driver->PumpUntilIdle();
    }
    // Shows the form with the focus on an edit beside the buttons (so a
    // button's press has the focus to take).
    TEdit* ShowWithFocusOnEdit()
    {
        auto* e = new TEdit(form);
        e->SetParent(form);
        e->SetBounds(100, 100, 60, 20);
        ShowForm();
        e->SetFocus();
        return e;
    }
    TPoint Centre(TControl* c) { return c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2)); }
    // Which look the button shows: the x of the picture pixel at its (1, 1).
    int LookX(TControl* c)
    {
        driver->PumpUntilIdle();
        return GetRValue(At(c, 1, 1)) / 4 - 1;
    }
    // The picture point shown at the button's (1, 1), less one.
    TPoint Look(TControl* c)
    {
        driver->PumpUntilIdle();
        const COLORREF px = At(c, 1, 1);
        return TPoint(GetRValue(px) / 4 - 1, GetGValue(px) / 4 - 1);
    }
    std::unique_ptr<TbsSkinData> sd;
    TSkinnedForm* form = nullptr;
    int clicks = 0;
};
} // namespace

TEST_F(ButtonTest, ClicksOnlyWhenReleasedInside)
{
    TbsSkinButton* b = Add(10, 10);
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(100, 100, 60, 20);
    ShowForm();
    const TPoint outside = other->ClientToScreen(TPoint(5, 5));
    struct Case
    {
        bool ReleaseInside;
        int Clicks;
    };
    for (const Case& c : {Case{true, 1}, Case{false, 0}, Case{true, 1}})
    {
        clicks = 0;
        driver->MoveTo(Centre(b));
        driver->Press(Centre(b));
        driver->PumpUntilIdle();
        EXPECT_TRUE(b->Down());
        EXPECT_EQ(LookX(b), 40) << "pressed look";
        EXPECT_EQ(GetCapture(), b->GetHandle()) << "the mouse is captured while pressed";
        const TPoint at = c.ReleaseInside ? Centre(b) : outside;
        driver->MoveTo(at);
        driver->Release(at);
        driver->PumpUntilIdle();
        EXPECT_EQ(clicks, c.Clicks) << c.ReleaseInside;
        EXPECT_FALSE(b->Down());
        EXPECT_NE(GetCapture(), b->GetHandle());
    }
}

TEST_F(ButtonTest, LooksFollowTheState)
{
    TbsSkinButton* b = Add(10, 10);
    TbsSkinButton* p = Add(40, 10, "plain");
    TEdit* e = ShowWithFocusOnEdit();
    EXPECT_EQ(LookX(b), 0) << "normal";
    driver->MoveTo(Centre(b));
    EXPECT_EQ(LookX(b), 20) << "mouse over";
    driver->MoveTo(TPoint(5, 5));
    EXPECT_EQ(LookX(b), 0);
    b->SetFocus();
    EXPECT_EQ(LookX(b), 20) << "focused";
    e->SetFocus();
    b->SetEnabled(false);
    driver->PumpUntilIdle();
    EXPECT_EQ(GetGValue(At(b, 1, 1)) / 4 - 1, 10) << "disabled look";
    // Without active and down rectangles every state shows the normal one.
    driver->MoveTo(Centre(p));
    driver->Press(Centre(p));
    EXPECT_EQ(GetGValue(At(p, 1, 1)) / 4 - 1, 20);
    driver->Release(Centre(p));
    EXPECT_EQ(p->DisabledFontColor, 0x808080) << "a disabled colour equal to the normal one is grey";
}

TEST_F(ButtonTest, RepeatClicksWhileHeld)
{
    TbsSkinButton* b = Add(10, 10);
    b->RepeatMode = true;
    b->RepeatInterval = 100;
    ShowForm();
    driver->MoveTo(Centre(b));
    driver->Press(Centre(b));
    driver->PumpUntilIdle();
    struct Step
    {
        int AdvanceMs, Clicks;
    };
    // First tick at 500 ms only switches to the interval; clicks at 600..1000.
    for (const Step& s : {Step{499, 0}, Step{1, 0}, Step{100, 1}, Step{300, 4}, Step{100, 5}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        driver->PumpUntilIdle();
        EXPECT_EQ(clicks, s.Clicks);
    }
    driver->Release(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 6) << "one more on release inside";
    EXPECT_FALSE(b->RepeatRunning());
    driver->AdvanceClock(1000);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 6);

    // Leaving while held stops; coming back starts over with the delay.
    clicks = 0;
    driver->Press(Centre(b));
    driver->AdvanceClock(600);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    driver->MoveTo(TPoint(250, 250));
    driver->AdvanceClock(1000);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    driver->MoveTo(Centre(b));
    driver->AdvanceClock(599);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    driver->AdvanceClock(1);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 2);
    driver->Release(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonTest, GroupsPerParentAndAllowAllUp)
{
    TbsSkinButton* g[3] = {Add(10, 10), Add(40, 10), Add(70, 10)};
    auto* panel = new TbsSkinPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 100, 150, 60);
    auto* far = new TbsSkinButton(panel);
    far->SetParent(panel);
    far->SetBounds(5, 5, 20, 10);
    for (TbsSkinButton* b : g) b->SetGroupIndex(1);
    far->SetGroupIndex(1);
    ShowForm();
    EXPECT_FALSE(g[0]->CanFocused()) << "a group button takes no focus";
    far->SetDown(true);
    driver->Click(Centre(g[0]));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1) << "a group button clicks on the press";
    driver->Click(Centre(g[1]));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g[0]->Down());
    EXPECT_TRUE(g[1]->Down());
    EXPECT_TRUE(far->Down()) << "another parent's group is another group";
    driver->Click(Centre(g[1]));
    driver->PumpUntilIdle();
    EXPECT_TRUE(g[1]->Down()) << "clicking the down one leaves it down";
    EXPECT_EQ(clicks, 2);

    for (TbsSkinButton* b : g) b->AllowAllUp = true;
    driver->Click(Centre(g[1]));
    driver->Click(Centre(g[2]));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g[1]->Down()) << "AllowAllUp: the down one comes up";
    EXPECT_TRUE(g[2]->Down());
}

TEST_F(ButtonTest, DefaultAndCancelKeysFromAnEdit)
{
    TbsSkinButton* ok = Add(10, 10);
    TbsSkinButton* cancel = Add(40, 10);
    TbsSkinButton* other = Add(70, 10);
    ok->ModalResult = mrOk;
    cancel->ModalResult = mrCancel;
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    ok->SetDefault(true);
    cancel->Cancel = true;
    ShowWithFocusOnEdit();
    driver->PumpUntilIdle();
    // The default button: its normal face filled with the accent, neither
    // the hot face nor the plain normal one of the button beside it.
    EXPECT_NE(LookX(ok), 20) << "the hot face belongs to the pointer";
    const COLORREF face = At(ok, 1, 1), plain = At(other, 1, 1);
    EXPECT_EQ(LookX(other), 0);
    EXPECT_TRUE(std::abs(GetRValue(face) - GetRValue(plain)) >= 24 || std::abs(GetGValue(face) - GetGValue(plain)) >= 24 ||
                std::abs(GetBValue(face) - GetBValue(plain)) >= 24)
        << "the accent face reads apart from the normal one";
    driver->PressKey(VK_RETURN);
    driver->PumpUntilIdle();
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(form->GetModalResult(), mrOk);
    driver->PressKey(VK_ESCAPE);
    driver->PumpUntilIdle();
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(form->GetModalResult(), mrCancel);
    driver->PressKey(VK_ESCAPE, {VK_SHIFT});
    driver->PumpUntilIdle();
    EXPECT_EQ(cancelClicks, 1) << "not with Shift held";
    // Another skinned button with the focus takes Enter from the default one.
    other->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_FALSE(ok->Active());
    EXPECT_EQ(LookX(ok), 0);
    driver->PressKey(VK_RETURN);
    driver->PumpUntilIdle();
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(clicks, 1);
    // Space presses and clicks on release.
    driver->KeyDown(VK_SPACE);
    driver->PumpUntilIdle();
    EXPECT_TRUE(other->Down());
    EXPECT_EQ(clicks, 1);
    driver->KeyUp(VK_SPACE);
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, AcceleratorFocusesAndClicks)
{
    TbsSkinButton* b = Add(10, 10);
    b->SetText("&Go");
    ShowWithFocusOnEdit();
    driver->PressKey('G', {VK_MENU});
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->Focused());
}

TEST_F(ButtonTest, CrossFadeEndsExactlyOnItsEndValues)
{
    TbsSkinButton* b = Add(10, 10, "morph");
    ShowWithFocusOnEdit();
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->MorphRunning());
    for (int tick = 1; tick <= 5; ++tick)
    {
        driver->AdvanceClock(20);
        driver->PumpUntilIdle();
        EXPECT_DOUBLE_EQ(b->MorphKf(), tick / 5.0);
    }
    driver->AdvanceClock(20);
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->MorphRunning()) << "stops on the tick after reaching 1";
    EXPECT_EQ(b->MorphKf(), 1.0);
    EXPECT_EQ(LookX(b), 20);
    driver->MoveTo(TPoint(250, 250));
    driver->AdvanceClock(20 * 6);
    driver->PumpUntilIdle();
    EXPECT_EQ(b->MorphKf(), 0.0);
    EXPECT_FALSE(b->MorphRunning());
    EXPECT_EQ(LookX(b), 0);

    sd->EnableSkinEffects = false;
    driver->MoveTo(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->MorphRunning()) << "effects off: a plain state change";
    EXPECT_EQ(LookX(b), 20);
}

TEST_F(ButtonTest, HandlerMayFreeOrHideItsButton)
{
    TbsSkinButton* b = Add(10, 10);
    ShowForm();
    b->OnClick = [b](TObject*) { delete b; };
    driver->MoveTo(Centre(b));
    const TPoint at = Centre(b);
    driver->Click(at);
    driver->PumpUntilIdle();
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(GetCapture(), nullptr);

    TbsSkinButton* h = Add(10, 10);
    int ups = 0;
    h->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    h->OnClick = [h](TObject*) { h->SetVisible(false); };
    driver->PumpUntilIdle();
    driver->MoveTo(at);
    driver->Click(at);
    driver->PumpUntilIdle();
    EXPECT_FALSE(h->GetVisible());
    EXPECT_EQ(ups, 0) << "no mouse-up event on a button its click has hidden";
}

TEST_F(ButtonTest, PressWithoutFocusIsDroppedAndNotCaptured)
{
    TbsSkinButton* b = Add(10, 10);
    TEdit* e = ShowWithFocusOnEdit();
    // The edit refuses to let the focus go.
    e->OnExit = [e](TObject*) { e->SetFocus(); };
    driver->MoveTo(Centre(b));
    driver->Press(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_FALSE(b->Down());
    EXPECT_NE(GetCapture(), b->GetHandle());
    driver->Release(Centre(b));
    driver->PumpUntilIdle();
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, FrameAnimationStepsThroughItsFramesInAndOut)
{
    TbsSkinButton* b = Add(10, 10, "anim");
    ShowWithFocusOnEdit();
    struct Step
    {
        int AdvanceMs;
        TPoint Look;
    };
    // Entering shows frame 1 at once, then 2 and 3 every 30 ms; the tick
    // after the last frame stops it on the active look.
    driver->MoveTo(Centre(b));
    for (const Step& s : {Step{0, {0, 30}}, Step{29, {0, 30}}, Step{1, {20, 30}}, Step{30, {40, 30}},
                          Step{30, {20, 0}}, Step{300, {20, 0}}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        EXPECT_EQ(Look(b), s.Look) << "in, +" << s.AdvanceMs;
    }
    // Leaving runs the frames backwards to the normal look.
    driver->MoveTo(TPoint(250, 250));
    for (const Step& s : {Step{0, {40, 30}}, Step{30, {20, 30}}, Step{30, {0, 30}}, Step{30, {0, 0}},
                          Step{300, {0, 0}}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        EXPECT_EQ(Look(b), s.Look) << "out, +" << s.AdvanceMs;
    }
    // A press stops a running animation and shows the pressed look.
    driver->MoveTo(Centre(b));
    driver->Press(Centre(b));
    EXPECT_EQ(Look(b), TPoint(40, 0));
    driver->AdvanceClock(100);
    EXPECT_EQ(Look(b), TPoint(40, 0));
    driver->Release(Centre(b));
    // Without skin effects there is no animation: the plain state change.
    sd->EnableSkinEffects = false;
    driver->MoveTo(TPoint(250, 250));
    driver->PumpUntilIdle();
    driver->MoveTo(Centre(b));
    EXPECT_EQ(Look(b), TPoint(20, 0));
}

TEST_F(ButtonTest, GlyphIsCopiedAndRefreshButtonDropsTheHotLook)
{
    TbsSkinButton* b = Add(10, 10);
    ShowWithFocusOnEdit();
    // A 4 x 4 glyph keyed on its bottom-left pixel: a red square with a
    // fuchsia corner.
    TBitmap g(4, 4, pf24bit);
    g.Canvas()->Brush()->SetColor(clRed);
    g.Canvas()->FillRect(TRect(0, 0, 4, 4));
    g.Canvas()->SetPixel(0, 3, clFuchsia);
    b->SetGlyph(&g);
    g.Canvas()->Brush()->SetColor(clBlue);
    g.Canvas()->FillRect(TRect(0, 0, 4, 4));   // the button keeps its own copy
    driver->PumpUntilIdle();
    EXPECT_EQ(At(b, 9, 4), ColorToRGB(clRed)) << "the glyph centred in the text rectangle";

    driver->MoveTo(Centre(b));
    EXPECT_EQ(LookX(b), 20);
    b->RefreshButton();
    EXPECT_FALSE(b->MouseIn());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(LookX(b), 0) << "repainted in the normal look";
}
