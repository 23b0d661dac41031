// The catalogue's window handlers: a category fills its presets, a preset
// fills the six boxes (change events only when a box's text changes), and
// with a job row selected every choice is written into the row and the
// option state.
#include <map>

#include "app_fixture.h"

using namespace apptest;

namespace {

class CatalogueHandlersTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
        // Every box's change events are counted (and still handled).
        for (TbsSkinComboBox* b : Form1->ParamBoxes())
        {
            auto handler = b->OnChange;
            b->OnChange = [this, b, handler](TObject* s) {
                ++changes[b->Name()];
                handler(s);
            };
        }
    }
    // A job row as the adding of a file makes it, selected.
    TListItem* AddRow()
    {
        TListItem* row = Form1->lvFiles->Items()->Add();
        row->SetCaption("/videos/clip.mts");
        const char* cols[] = {"00:00:10", "1.5MB", "clip_(new).avi", "", "", "", "", "1", "100", "000000000000"};
        for (const char* c : cols) row->SubItems()->Add(c);
        for (int i = 11; i <= 24; ++i) row->SubItems()->Add("");
        Form1->lvFiles->SetSelected(row);
        return row;
    }
    static std::string Col(TListItem* row, int c) { return row->SubItems()->Get(c - 1); }
    void Pick(TbsSkinComboBox* box, const std::string& text)
    {
        const int i = box->Items()->IndexOf(text);
        ASSERT_GE(i, 0) << text;
        box->SetItemIndex(i);
    }
    std::map<std::string, int> changes;
};

}  // namespace

TEST_F(CatalogueHandlersTest, ACategoryFillsItsPresetsAndTheFirstPresetFillsTheBoxes)
{
    Form1->bsSkinOfficeComboBox2->SetItemIndex(14);  // "Flash视频"
    TbsSkinOfficeItems* presets = Form1->bsSkinOfficeComboBox1->Items();
    ASSERT_EQ(presets->Count(), 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(presets->Items(i)->Title(), catalogue::FindPreset(1200 + i)->title);
        EXPECT_EQ(presets->Items(i)->Caption(), catalogue::FindPreset(1200 + i)->caption);
        EXPECT_EQ(presets->Items(i)->ImageIndex(), i % 2);
    }
    EXPECT_EQ(Form1->bsSkinOfficeComboBox1->ItemIndex(), 0);
    const catalogue::ParamBoxes want = catalogue::ParameterLists(1200);
    const auto boxes = Form1->ParamBoxes();
    for (std::size_t b = 0; b < boxes.size(); ++b)
    {
        ASSERT_EQ(boxes[b]->Items()->Count(), int(want.boxes[b].entries.size()));
        EXPECT_EQ(boxes[b]->ItemIndex(), want.boxes[b].itemIndex);
    }

    // An audio-only preset: the four video boxes hold one entry, disabled;
    // a video preset after it enables them again.
    Form1->bsSkinOfficeComboBox2->SetItemIndex(7);
    EXPECT_EQ(Form1->bsSkinComboBox1->GetText(), "该格式无视频");
    for (TbsSkinComboBox* b : {Form1->bsSkinComboBox2, Form1->bsSkinComboBox9, Form1->bsSkinComboBox4})
        EXPECT_EQ(b->GetText(), "无视频");
    for (TbsSkinComboBox* b : {Form1->bsSkinComboBox1, Form1->bsSkinComboBox2, Form1->bsSkinComboBox9, Form1->bsSkinComboBox4})
        EXPECT_FALSE(b->GetEnabled());
    EXPECT_EQ(Form1->bsSkinComboBox3->GetText(), "128 kbps");
    EXPECT_EQ(Form1->bsSkinComboBox10->GetText(), "44100");
    EXPECT_TRUE(Form1->bsSkinComboBox3->GetEnabled());
    EXPECT_FALSE(Form1->Video_DisableVideo) << "no row selected: only the refill's own field changes";
    Form1->bsSkinOfficeComboBox2->SetItemIndex(6);
    for (TbsSkinComboBox* b : Form1->ParamBoxes()) EXPECT_TRUE(b->GetEnabled());
}

TEST_F(CatalogueHandlersTest, ABoxRaisesItsChangeOnlyWhenItsTextChanges)
{
    // The same preset again: every box shows the same default, no change.
    changes.clear();
    Form1->bsSkinOfficeComboBox1->SetItemIndex(0);
    EXPECT_TRUE(changes.empty());
    // Key 200 (audio-only): each box whose text changes raises exactly one.
    Form1->bsSkinOfficeComboBox2->SetItemIndex(7);
    for (TbsSkinComboBox* b : {Form1->bsSkinComboBox1, Form1->bsSkinComboBox2, Form1->bsSkinComboBox9, Form1->bsSkinComboBox4})
        EXPECT_EQ(changes[b->Name()], 1) << b->Name();
    EXPECT_EQ(changes["bsSkinComboBox3"], 0) << "128 kbps before and after";
    EXPECT_EQ(changes["bsSkinComboBox10"], 0) << "44100 before and after";
    // Picking the entry already shown raises nothing.
    changes.clear();
    Pick(Form1->bsSkinComboBox3, "128 kbps");
    EXPECT_TRUE(changes.empty());
}

TEST_F(CatalogueHandlersTest, WithoutASelectedRowAChoiceChangesOnlyItsBox)
{
    Form1->ResetOptionState();
    const catalogue::OptionState before = *Form1;
    Pick(Form1->bsSkinComboBox1, "1280*720");
    Pick(Form1->bsSkinComboBox2, "1200 kbps");
    EXPECT_EQ(Form1->Video_FrameSize, before.Video_FrameSize);
    EXPECT_EQ(Form1->Video_VideoBitrate, before.Video_VideoBitrate);
    EXPECT_EQ(Form1->bsSkinComboBox1->GetText(), "1280*720");
}

TEST_F(CatalogueHandlersTest, ASelectedRowFollowsEveryChoice)
{
    TListItem* row = AddRow();
    // A parameter: its two digits of the option code, its value and column.
    Form1->bsSkinComboBox1->SetItemIndex(5);
    EXPECT_EQ(Col(row, 10), "050000000000");
    Form1->bsSkinComboBox1->SetItemIndex(12);
    EXPECT_EQ(Col(row, 10), "120000000000");
    EXPECT_EQ(Col(row, 16), "704*480");
    EXPECT_EQ(Form1->Video_FrameSize, "704*480");
    Pick(Form1->bsSkinComboBox1, "保持原分辨率");
    EXPECT_EQ(Col(row, 16), "");
    Pick(Form1->bsSkinComboBox2, "1200 kbps");
    EXPECT_EQ(Form1->Video_VideoBitrate, 1200000);
    EXPECT_EQ(Col(row, 17), "1200000");
    Pick(Form1->bsSkinComboBox4, "宽屏视频47:20模式");
    EXPECT_EQ(Form1->Video_FrameAspectRatio, "47:20");
    EXPECT_EQ(Col(row, 21), "47:20");
    EXPECT_EQ(Col(row, 10).substr(6, 2), "04");

    // A preset change: extension, category code, preset values, defaults.
    Form1->bsSkinOfficeComboBox2->SetItemIndex(7);
    Form1->bsSkinOfficeComboBox1->SetItemIndex(10);  // FLAC
    EXPECT_EQ(Col(row, 3), "clip_(new).flac");
    EXPECT_EQ(Col(row, 9), "810");
    EXPECT_EQ(Col(row, 12), "flac");
    EXPECT_EQ(Col(row, 22), "True");
    EXPECT_TRUE(Form1->Video_DisableVideo);
    // The AMR preset: decimal audio bit rates.
    Form1->bsSkinOfficeComboBox1->SetItemIndex(12);
    Pick(Form1->bsSkinComboBox3, "12.2 kbps");
    EXPECT_EQ(Form1->Video_AudioBitrate, 12200);
    EXPECT_EQ(Col(row, 19), "12200");
    Pick(Form1->bsSkinComboBox3, "4.75 kbps");
    EXPECT_EQ(Col(row, 19), "4750");
    // Category 6, preset 14: the RM preset.
    Form1->bsSkinOfficeComboBox2->SetItemIndex(6);
    Form1->bsSkinOfficeComboBox1->SetItemIndex(14);
    EXPECT_EQ(Col(row, 3), "clip_(new).rm");
    EXPECT_EQ(Col(row, 9), "714");
}
