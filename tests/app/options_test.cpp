// The options window: its layout, "确定" writing the "Options" section, and
// "取消" bringing back what the window showed when it opened (the live
// preview included) with the file unchanged.
#include "app_fixture.h"

using namespace apptest;

namespace {

class OptionsTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
    }
    std::string Stored(const std::string& key) { return TMemIniFile(Ini()).ReadString("Options", key, "<missing>"); }
    // Opens the options window from the main window's tool button; `change`
    // runs on it, then `button` closes it.
    void WithOptions(std::function<void()> change, TbsSkinButton* button)
    {
        driver->WhenIdle([=] {
            ASSERT_TRUE(Form5->Modal());
            change();
            button->ButtonClick();
        });
        Form1->bsSkinButton19->ButtonClick();
        EXPECT_FALSE(Form5->GetVisible());
    }
};

}  // namespace

TEST_F(OptionsTest, TheWindowIsLaidOutAsDescribed)
{
    EXPECT_EQ(Form5->Caption(), "选项");
    EXPECT_EQ(Form5->ClientWidth(), 561);
    EXPECT_EQ(Form5->ClientHeight(), 537);
    EXPECT_EQ(Form5->GetPosition(), poMainFormCenter);
    struct Group
    {
        TbsSkinGroupBox* box;
        const char* caption;
        int l, t, w, h;
        std::vector<std::pair<TbsSkinCheckRadioBox*, const char*>> items;
    };
    const Group groups[] = {
        {Form5->bsSkinGroupBox1, "转换工作完成后", 43, 25, 235, 176,
         {{Form5->bsSkinCheckRadioBox1, "自动打开输出文件夹"}, {Form5->bsSkinCheckRadioBox2, "自动关闭计算机"},
          {Form5->bsSkinCheckRadioBox4, " 播放提示音乐"}, {Form5->bsSkinCheckRadioBox5, "不进行任何操作"}}},
        {Form5->bsSkinGroupBox2, "如果输出文件存在时", 297, 25, 225, 175,
         {{Form5->bsSkinCheckRadioBox3, "直接覆盖输出文件"}, {Form5->bsSkinCheckRadioBox6, "自动重命名输出文件"}}},
        {Form5->bsSkinGroupBox3, "转换参数", 43, 207, 479, 116,
         {{Form5->bsSkinCheckRadioBox8, "转换时进行实时视频预览"},
          {Form5->bsSkinCheckRadioBox7, "启用多线程模式   （同时进行转换的视频个数）"}}},
        {Form5->bsSkinGroupBox4, "转换时CPU利用方式", 43, 329, 479, 116,
         {{Form5->bsSkinCheckRadioBox9, "系统空闲时进行"}, {Form5->bsSkinCheckRadioBox10, "最低优先级进行"},
          {Form5->bsSkinCheckRadioBox11, "较低优先级进行"}, {Form5->bsSkinCheckRadioBox12, "正常优先级进行"}}},
    };
    for (const Group& g : groups)
    {
        SCOPED_TRACE(g.caption);
        EXPECT_EQ(g.box->Caption(), g.caption);
        EXPECT_EQ(g.box->BoundsRect(), TRect(g.l, g.t, g.l + g.w, g.t + g.h));
        for (auto [item, caption] : g.items)
        {
            EXPECT_EQ(item->Caption(), caption);
            EXPECT_EQ(item->Parent(), g.box);
            if (item->GetVisible()) EXPECT_LE(item->Left() + item->Width(), g.box->ClientWidth());
        }
    }
    // The multi-thread box is checked, invisible, beyond its group's edge.
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox7->Checked());
    EXPECT_FALSE(Form5->bsSkinCheckRadioBox7->GetVisible());
    EXPECT_GT(Form5->bsSkinCheckRadioBox7->Left() + Form5->bsSkinCheckRadioBox7->Width(), 479);
    ASSERT_EQ(Form5->bsSkinComboBox2->Items()->Count(), 19);
    EXPECT_EQ(Form5->bsSkinComboBox2->Items()->Get(18), "19");
    EXPECT_EQ(Form5->bsSkinButton6->Caption(), "确定");
    EXPECT_EQ(Form5->bsSkinButton6->BoundsRect().TopLeft(), TPoint(336, 481));
    EXPECT_EQ(Form5->bsSkinButton1->Caption(), "取消");
    EXPECT_EQ(Form5->bsSkinButton1->BoundsRect().TopLeft(), TPoint(431, 481));
    // A radio unchecks the others of its group only.
    Form5->bsSkinCheckRadioBox4->SetChecked(true);
    EXPECT_FALSE(Form5->bsSkinCheckRadioBox1->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox6->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox12->Checked());
    // The multi-thread box decides whether the thread count can be chosen.
    Form5->bsSkinCheckRadioBox7->SetChecked(false);
    EXPECT_FALSE(Form5->bsSkinComboBox2->GetEnabled());
    Form5->bsSkinCheckRadioBox7->SetChecked(true);
    EXPECT_TRUE(Form5->bsSkinComboBox2->GetEnabled());
}

TEST_F(OptionsTest, ConfirmWritesTheSectionAndReopeningShowsIt)
{
    WithOptions(
        [] {
            Form5->bsSkinCheckRadioBox2->SetChecked(true);
            Form5->bsSkinComboBox2->SetItemIndex(5);
            Form5->bsSkinCheckRadioBox8->SetChecked(true);
            Form5->bsSkinCheckRadioBox9->SetChecked(true);
            Form5->bsSkinCheckRadioBox3->SetChecked(true);
        },
        Form5->bsSkinButton6);
    EXPECT_EQ(Stored("After_Done"), "1");
    EXPECT_EQ(Stored("Thread_Count"), "6");
    EXPECT_EQ(Stored("Show_Preview"), "1");
    EXPECT_EQ(Stored("Thread_Priority"), "0");
    EXPECT_EQ(Stored("Overwrite_File"), "0");
    EXPECT_TRUE(Form1->FFConv->Preview());
    EXPECT_TRUE(Form1->OverwriteOutput());
    // Without the multi-thread mode the thread count is not written.
    WithOptions(
        [] {
            Form5->bsSkinCheckRadioBox7->SetChecked(false);
            Form5->bsSkinComboBox2->SetItemIndex(1);
        },
        Form5->bsSkinButton6);
    EXPECT_EQ(Stored("Thread_Count"), "6");
    // A restart reads the stored values back.
    Stop();
    Start();
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox2->Checked());
    EXPECT_EQ(Form5->bsSkinComboBox2->GetText(), "6");
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox8->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox9->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox3->Checked());
}

TEST_F(OptionsTest, CancelBringsBackWhatTheWindowShowedAndLeavesTheFile)
{
    const std::string before = ReadText(Ini());
    WithOptions(
        [] {
            Form5->bsSkinCheckRadioBox8->SetChecked(true);
            EXPECT_TRUE(Form1->FFConv->Preview()) << "the box acts at once";
            Form5->bsSkinCheckRadioBox5->SetChecked(true);
            Form5->bsSkinCheckRadioBox11->SetChecked(true);
            Form5->bsSkinCheckRadioBox3->SetChecked(true);
            Form5->bsSkinComboBox2->SetItemIndex(8);
        },
        Form5->bsSkinButton1);
    EXPECT_EQ(ReadText(Ini()), before);
    EXPECT_FALSE(Form5->bsSkinCheckRadioBox8->Checked());
    EXPECT_FALSE(Form1->FFConv->Preview());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox1->Checked());
    EXPECT_FALSE(Form5->bsSkinCheckRadioBox5->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox12->Checked());
    EXPECT_FALSE(Form5->bsSkinCheckRadioBox11->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox6->Checked());
    EXPECT_FALSE(Form1->OverwriteOutput());
    EXPECT_EQ(Form5->bsSkinComboBox2->GetText(), "1");
}
