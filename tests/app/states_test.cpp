// The control-state table: after every event each command group (its plain
// button, its skinned button with the picture of its state, its menu items;
// the format boxes) is enabled or disabled as the table says, through a
// whole session: add, start, pause, resume, stop, end, clear, remove.
#include "app_fixture.h"

using namespace apptest;

namespace {

struct Group
{
    const char* name;
    TButton* plain;
    TControl* skinned;
    std::vector<TMenuItem*> items;
    int enabledPicture, disabledPicture;
};

struct Shown
{
    bool plain = false, skinned = false;
};

class StatesTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
        TForm1* f = Form1;
        groups = {
            {"add", f->btnAdd, f->bsSkinMenuSpeedButton1, {f->Item111, f->Item121, f->N21, f->N11111, f->N2222, f->N3331}, 3, 2},
            {"remove", f->btnRemove, f->bsSkinButton7, {f->N13}, 15, 14},
            {"rename", nullptr, f->bsSkinButton21, {f->N26}, 16, 17},
            {"clear", f->btnClear, f->bsSkinButton8, {f->N14}, 13, 12},
            {"start", f->btnStart, f->bsSkinButton2, {f->N7}, 5, 4},
            {"stop", f->btnStop, f->bsSkinButton10, {f->N8}, 11, 10},
            {"pause", f->btnPause, f->bsSkinButton11, {f->N10}, 7, 6},
            {"resume", f->btnResume, f->bsSkinButton12, {f->N11}, 9, 8},
        };
        model.resize(groups.size());
        for (std::size_t g = 0; g < groups.size(); ++g)
            model[g] = {groups[g].plain ? groups[g].plain->GetEnabled() : groups[g].skinned->GetEnabled(),
                        groups[g].skinned->GetEnabled()};
    }
    static TBitmap* GlyphOf(TControl* c)
    {
        if (auto* b = dynamic_cast<TbsSkinButton*>(c)) return b->Glyph();
        return nullptr;
    }
    static bool SamePicture(TBitmap* a, TBitmap* b)
    {
        if (!a || !b || a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight() || a->Empty()) return false;
        for (int y = 0; y < a->GetHeight(); ++y)
            for (int x = 0; x < a->GetWidth(); ++x)
                if ((a->GetPixel32(x, y) & 0xFFFFFF) != (b->GetPixel32(x, y) & 0xFFFFFF)) return false;
        return true;
    }
    // Applies an event: `row` is the table's row for the eight groups and
    // the format group (E, D, K keep, R rows left, T thread mode, S skinned
    // button only), as the program's description gives it.
    void Event(TControlEvent e, const char* row, int rowsLeft = 0)
    {
        SCOPED_TRACE(row);
        Form1->SetControlStates(e, rowsLeft);
        const bool t = Form1->chkThreadMode->Checked();
        for (std::size_t g = 0; g < groups.size(); ++g)
        {
            switch (row[g])
            {
            case 'E': model[g] = {true, true}; break;
            case 'D': model[g] = {false, false}; break;
            case 'R': model[g] = {rowsLeft > 0, rowsLeft > 0}; break;
            case 'T': model[g] = {t, t}; break;
            case 'S': model[g].skinned = true; break;
            default: break;
            }
        }
        if (row[8] != 'K') format = row[8] == 'E';
        Check();
    }
    void Check()
    {
        for (std::size_t g = 0; g < groups.size(); ++g)
        {
            const Group& gr = groups[g];
            SCOPED_TRACE(gr.name);
            if (gr.plain) EXPECT_EQ(gr.plain->GetEnabled(), model[g].plain);
            for (TMenuItem* mi : gr.items) EXPECT_EQ(mi->Enabled(), gr.plain ? model[g].plain : model[g].skinned);
            EXPECT_EQ(gr.skinned->GetEnabled(), model[g].skinned);
            const int picture = model[g].skinned ? gr.enabledPicture : gr.disabledPicture;
            EXPECT_EQ(Form1->GroupPicture(static_cast<TControlGroup>(g)), picture);
            if (TBitmap* glyph = GlyphOf(gr.skinned))
                EXPECT_TRUE(SamePicture(glyph, Form1->Image(picture)->Picture()->Bitmap()));
        }
        for (TControl* c : std::initializer_list<TControl*>{Form1->bsSkinComboBox1, Form1->bsSkinComboBox2,
                                                            Form1->bsSkinComboBox3, Form1->bsSkinComboBox4,
                                                            Form1->bsSkinComboBox9, Form1->bsSkinComboBox10,
                                                            Form1->bsSkinOfficeComboBox1, Form1->bsSkinOfficeComboBox2,
                                                            Form1->bsSkinButton5})
            EXPECT_EQ(c->GetEnabled(), format) << c->Name();
        // The move buttons are never disabled.
        EXPECT_TRUE(Form1->bsSkinButton3->GetEnabled());
        EXPECT_TRUE(Form1->bsSkinButton4->GetEnabled());
        EXPECT_TRUE(Form1->N16->Enabled());
        EXPECT_TRUE(Form1->N17->Enabled());
    }

    std::vector<Group> groups;
    std::vector<Shown> model;
    bool format = true;
};

}  // namespace

TEST_F(StatesTest, ASessionTakesTheStatesOfTheTable)
{
    //                                   add remove rename clear start stop pause resume format
    Event(TControlEvent::Load, /*    */ "EDDDDDDDE");
    Event(TControlEvent::Add, /*     */ "KEEEEKKKK");
    Event(TControlEvent::Add, /*     */ "KEEEEKKKK");
    Event(TControlEvent::Start, /*   */ "DDDDDTTDD");
    Event(TControlEvent::Pause, /*   */ "KKKKKKDEK");
    Event(TControlEvent::Resume, /*  */ "KKKKKKEDK");
    Event(TControlEvent::Stop, /*    */ "KKKKSDKKE");
    // After a stop only the skinned start button is enabled, with its picture.
    EXPECT_TRUE(Form1->bsSkinButton2->GetEnabled());
    EXPECT_FALSE(Form1->btnStart->GetEnabled());
    EXPECT_FALSE(Form1->N7->Enabled());
    Event(TControlEvent::End, /*     */ "KDDEKDDDE");
    Event(TControlEvent::Clear, /*   */ "EDDDDKKKK");
    Event(TControlEvent::Add, /*     */ "KEEEEKKKK");
    Event(TControlEvent::Remove, /*  */ "KRRRRKKKK", 1);
    Event(TControlEvent::Remove, /*  */ "KRRRRKKKK", 0);
    EXPECT_EQ(Form1->GroupPicture(TControlGroup::Start), 4) << "no row left: the start button's disabled picture";

    // A batch that runs to its end without a stop leaves "开始" and "添加" disabled.
    Event(TControlEvent::Add, /*     */ "KEEEEKKKK");
    Event(TControlEvent::Start, /*   */ "DDDDDTTDD");
    Event(TControlEvent::End, /*     */ "KDDEKDDDE");
    EXPECT_FALSE(Form1->bsSkinButton2->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinMenuSpeedButton1->GetEnabled());
    EXPECT_TRUE(Form1->bsSkinButton8->GetEnabled());
}

TEST_F(StatesTest, WithoutThreadModeStartLeavesStopAndPauseDisabled)
{
    Form1->chkThreadMode->SetChecked(false);
    Event(TControlEvent::Add, "KEEEEKKKK");
    Event(TControlEvent::Start, "DDDDDTTDD");
    EXPECT_FALSE(Form1->bsSkinButton10->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinButton11->GetEnabled());
}

TEST_F(StatesTest, PauseAndResumeButtonsShareOnePlace)
{
    int pauses = 0, resumes = 0;
    Form1->btnPause->OnClick = [&](TObject*) { ++pauses; };
    Form1->btnResume->OnClick = [&](TObject*) { ++resumes; };
    EXPECT_TRUE(Form1->bsSkinButton11->GetVisible());
    EXPECT_FALSE(Form1->bsSkinButton12->GetVisible());
    // Each runs its operation even while disabled, then hands over its place.
    Form1->bsSkinButton11->ButtonClick();
    EXPECT_EQ(pauses, 1);
    EXPECT_FALSE(Form1->bsSkinButton11->GetVisible());
    EXPECT_TRUE(Form1->bsSkinButton12->GetVisible());
    Form1->N11->Click();
    Form1->bsSkinButton12->ButtonClick();
    EXPECT_EQ(resumes, 1) << "a disabled menu item runs nothing";
    EXPECT_TRUE(Form1->bsSkinButton11->GetVisible());
    EXPECT_FALSE(Form1->bsSkinButton12->GetVisible());
    // The plain buttons change no visibility.
    Form1->btnPause->Click();
    EXPECT_TRUE(Form1->bsSkinButton11->GetVisible());
}

TEST_F(StatesTest, ASkinChangeKeepsEachGroupsPicture)
{
    Event(TControlEvent::Add, "KEEEEKKKK");
    TBitmap* start = Form1->Image(5)->Picture()->Bitmap();
    const TPixel ground = start->GetPixel32(0, start->GetHeight() - 1);
    Form1->bsSkinData1->SetSkinIndex(8);
    driver->PumpUntilIdle();
    // The pictures are drawn anew over the dark skin's buttons.
    start = Form1->Image(5)->Picture()->Bitmap();
    EXPECT_NE(start->GetPixel32(0, start->GetHeight() - 1) & 0xFFFFFF, ground & 0xFFFFFF);
    Check();
    EXPECT_EQ(Form1->ClientWidth(), 804);
    EXPECT_EQ(Form1->ClientHeight(), 537);
}
