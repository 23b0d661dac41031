// The skinned check box and radio button: clicks, radio groups per parent,
// the grayed cycle, Space, OnClick counts (also when set from code), the
// check picture per state and the framed cross-fade.
#include "skin/skinctrls_helpers.h"

#include <map>

#include "platform/gui/StdCtrls.h"

using namespace ctrltest;

namespace
{
// Check pictures 8 x 8 in picture 0: unchecked at (0, 40), checked (8, 40),
// active unchecked (16, 40), active checked (24, 40); the framed look is
// (0, 0, 40, 20), its active look (0, 20, 40, 40).
std::string CheckSkin(const std::string& name)
{
    const std::string dir = skintest::TempDir("check-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    const std::string body = "pictureindex=0\r\nskinrect=0,0,40,20\r\nactiveskinrect=0,20,40,40\r\n"
                             "checkimagearea=0,0,12,20\r\ntextarea=12,0,40,20\r\n"
                             "uncheckimagerect=0,40,8,48\r\ncheckimagerect=8,40,16,48\r\n"
                             "activeuncheckimagerect=16,40,24,48\r\nactivecheckimagerect=24,40,32,48\r\n";
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=checks\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
                        "[SKINCONTROLS]\r\ncount=2\r\n0=checkbox:checkradio\r\n1=morphbox:checkradio\r\n\r\n"
                        "[checkbox]\r\n" + body + "\r\n[morphbox]\r\n" + body + "morphing=1\r\n\r\n");
    return dir + "skin.ini";
}

class CheckTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm();
    }
    TbsSkinCheckRadioBox* Add(TWinControl* parent, int y, bool radio, int group = 0)
    {
        auto* c = new TbsSkinCheckRadioBox(form);
        c->SetRadio(radio);
        c->GroupIndex = group;
        c->SetParent(parent);
        c->SetBounds(5, y, 100, 20);
        c->OnClick = [this, c](TObject*) { ++clicks[c]; };
        return c;
    }
    void Click(TControl* c)
    {
        const TPoint p = c->ClientToScreen(TPoint(8, c->Height() / 2));
        driver->MoveTo(p);
        driver->Click(p);
        driver->PumpUntilIdle();
    }
    TSkinnedForm* form = nullptr;
    std::map<TObject*, int> clicks;
};
} // namespace

TEST_F(CheckTest, RadioGroupsPerParent)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(150, 0, 140, 100);
    TbsSkinCheckRadioBox* a = Add(form, 5, true, 1);
    TbsSkinCheckRadioBox* b = Add(form, 30, true, 1);
    TbsSkinCheckRadioBox* other = Add(form, 55, true, 2);
    TbsSkinCheckRadioBox* far = Add(panel, 5, true, 1);
    form->Show();
    driver->PumpUntilIdle();
    other->SetChecked(true);
    far->SetChecked(true);
    clicks.clear();

    Click(a);
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(clicks[a], 1);
    Click(b);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked()) << "checking a member unchecks the others";
    EXPECT_EQ(clicks[b], 1);
    EXPECT_EQ(clicks[a], 1) << "a radio button unchecked fires nothing";
    EXPECT_TRUE(other->Checked()) << "another group";
    EXPECT_TRUE(far->Checked()) << "another parent";
    Click(b);
    EXPECT_TRUE(b->Checked()) << "a checked radio button stays checked";
    EXPECT_EQ(clicks[b], 1);
    // Space on the focused, checked radio button changes nothing.
    driver->PressKey(VK_SPACE);
    driver->PumpUntilIdle();
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(clicks[b], 1);
}

TEST_F(CheckTest, CheckBoxClicksAndGrayedCycle)
{
    TbsSkinCheckRadioBox* c = Add(form, 5, false);
    form->Show();
    driver->PumpUntilIdle();
    EXPECT_FALSE(c->GetTabStop()) << "not a tab stop until CanFocused is set again";
    Click(c);
    EXPECT_TRUE(c->Checked());
    Click(c);
    EXPECT_FALSE(c->Checked());
    EXPECT_EQ(clicks[c], 2);

    c->SetAllowGrayed(true);
    const TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked, cbGrayed};
    for (TCheckBoxState want : cycle)
    {
        Click(c);
        EXPECT_EQ(c->State(), want);
        EXPECT_EQ(c->Checked(), want == cbChecked);
    }
    EXPECT_EQ(clicks[c], 6);
    c->SetChecked(false);
    EXPECT_EQ(c->State(), cbGrayed) << "unchecking keeps a grayed box grayed";
    EXPECT_EQ(clicks[c], 7);

    // From code: every Checked on a check box fires, even without a change.
    c->SetChecked(true);
    c->SetChecked(true);
    EXPECT_EQ(clicks[c], 9);
    c->SetState(cbUnchecked);
    EXPECT_EQ(clicks[c], 10);
    // Space toggles the focused box on release.
    c->SetFocus();
    driver->KeyDown(VK_SPACE);
    driver->PumpUntilIdle();
    EXPECT_FALSE(c->Checked());
    driver->KeyUp(VK_SPACE);
    driver->PumpUntilIdle();
    EXPECT_TRUE(c->Checked());
}

TEST_F(CheckTest, CheckBoxGroupUnchecksAndFiresForEach)
{
    TbsSkinCheckRadioBox* a = Add(form, 5, false, 3);
    TbsSkinCheckRadioBox* b = Add(form, 30, false, 3);
    a->SetChecked(true);
    clicks.clear();
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(clicks[a], 1) << "a check box unchecked by its group fires";
    EXPECT_EQ(clicks[b], 1);
}

TEST_F(CheckTest, CheckPictureFollowsStateAndHover)
{
    TbsSkinData sd(nullptr);
    sd.LoadFromFile(CheckSkin("pictures"));
    TbsSkinCheckRadioBox* c = Add(form, 20, false);
    c->SetSkinData(&sd);
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->SetBounds(150, 150, 60, 20);
    form->Show();
    e->SetFocus();
    driver->PumpUntilIdle();
    // The flat look puts the picture at (3, h - 4); pixel (4, h - 3) is its (1, 1).
    const int h = c->Height() / 2;
    auto pictureX = [&] {
        driver->PumpUntilIdle();
        return GetRValue(At(c, 4, h - 3)) / 4 - 1;
    };
    EXPECT_EQ(pictureX(), 0);
    c->SetChecked(true);
    EXPECT_EQ(pictureX(), 8);
    driver->MoveTo(c->ClientToScreen(TPoint(50, h)));
    EXPECT_EQ(pictureX(), 24) << "hot checked";
    c->SetChecked(false);
    EXPECT_EQ(pictureX(), 16) << "hot unchecked";
    driver->MoveTo(TPoint(5, 5));
    c->SetEnabled(false);
    EXPECT_EQ(pictureX(), 0) << "disabled falls back to the normal picture";
    EXPECT_FALSE(c->MorphRunning()) << "flat: no cross-fade";
}

TEST_F(CheckTest, FramedCrossFadeSteps)
{
    TbsSkinData sd(nullptr);
    sd.LoadFromFile(CheckSkin("morph"));
    TbsSkinCheckRadioBox* c = Add(form, 20, false);
    c->SetFlat(false);
    c->SetSkinDataName("morphbox");
    c->SetSkinData(&sd);
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->SetBounds(150, 150, 60, 20);
    form->Show();
    e->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(40, 20)) << "framed: the skin's size";
    driver->MoveTo(c->ClientToScreen(TPoint(30, 10)));
    driver->PumpUntilIdle();
    for (int tick = 1; tick <= 5; ++tick)
    {
        driver->AdvanceClock(20);
        driver->PumpUntilIdle();
        EXPECT_DOUBLE_EQ(c->MorphKf(), tick / 5.0);
    }
    // The active look: pixel (30, 1) comes from (30, 21).
    EXPECT_EQ(GetGValue(At(c, 30, 1)) / 4, 21);
    driver->AdvanceClock(20);
    driver->PumpUntilIdle();
    EXPECT_FALSE(c->MorphRunning());
    driver->MoveTo(TPoint(5, 150));
    driver->AdvanceClock(120);
    driver->PumpUntilIdle();
    EXPECT_EQ(c->MorphKf(), 0.0);
    EXPECT_EQ(GetGValue(At(c, 30, 1)) / 4, 1);
}

TEST_F(CheckTest, RadioFromCodeFiresOnlyWhenChecked)
{
    TbsSkinCheckRadioBox* a = Add(form, 5, true, 1);
    TbsSkinCheckRadioBox* b = Add(form, 30, true, 1);
    a->SetChecked(true);
    EXPECT_EQ(clicks[a], 1);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(clicks[a], 1) << "unchecked by its group: a radio button fires nothing";
    EXPECT_EQ(clicks[b], 1);
    b->SetChecked(false);
    EXPECT_EQ(clicks[b], 1);
    b->SetChecked(true);
    b->SetChecked(true);
    EXPECT_EQ(clicks[b], 3) << "every checking fires, also without a change";
}

// A press on a box whose focus cannot arrive (the focused edit takes it
// back) is dropped: no toggle, no click, nothing captured.
TEST_F(CheckTest, PressWithoutFocusIsDroppedAndNotCaptured)
{
    TbsSkinCheckRadioBox* c = Add(form, 5, false);
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->SetBounds(150, 100, 60, 20);
    form->Show();
    driver->PumpUntilIdle();
    e->SetFocus();
    e->OnExit = [e](TObject*) { e->SetFocus(); };
    const TPoint p = c->ClientToScreen(TPoint(8, 10));
    driver->MoveTo(p);
    driver->Press(p);
    driver->PumpUntilIdle();
    EXPECT_NE(GetCapture(), c->GetHandle());
    driver->Release(p);
    driver->PumpUntilIdle();
    EXPECT_FALSE(c->Checked());
    EXPECT_EQ(clicks[c], 0);
    EXPECT_TRUE(e->Focused());
}
