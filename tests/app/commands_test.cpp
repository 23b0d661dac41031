// The main window's commands: help and the web site through the desktop's
// launcher (a missing help file is said), the output folder chosen with the
// folder dialog and opened, the skin chooser, and the about box.
#include "app_fixture.h"
#include "app/Product.h"
#include "platform/sys/Process.h"

using namespace apptest;

namespace {

struct Recorder : sys::ILauncher
{
    std::vector<std::vector<std::string>> calls;
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        calls.push_back(argv);
        return true;
    }
};

class CommandsTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        launched = std::make_shared<Recorder>();
        old = sys::SetLauncher(launched);
    }
    void TearDown() override
    {
        sys::SetLauncher(old);
        ProgramTest::TearDown();
    }
    // The last target handed to the launcher ("" when none).
    std::string LastOpened() const
    {
        return launched->calls.empty() ? "" : launched->calls.back().back();
    }
    // Runs the folder dialog of "浏览": `folder` is chosen and confirmed
    // (or cancelled).
    void Browse(const std::string& folder, bool ok)
    {
        driver->WhenIdle([=] {
            TbsSelDirDlgForm* f = Form1->bsSkinSelectDirectoryDialog2->Form();
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->Caption(), "选择输出目录");
            f->DirTreeView->SetPath(folder);
            (ok ? f->OkButton : f->CancelButton)->ButtonClick();
        });
        Form1->bsSkinButton5->ButtonClick();
    }
    std::shared_ptr<Recorder> launched;
    std::shared_ptr<sys::ILauncher> old;
};

}  // namespace

TEST_F(CommandsTest, HelpAndTheWebSiteOpenThroughTheLauncher)
{
    Start(0, true);
    // No help beside the program: a clear message, nothing started.
    AnswerBox();
    Form1->N15->Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("找不到帮助文件"), std::string::npos) << boxes[0];
    EXPECT_TRUE(launched->calls.empty());
    // With the pages there, F1 opens the first one.
    fs::create_directories(root / "program" / "help");
    const std::string page = (root / "program" / "help" / "index.html").string();
    WriteText(page, "<html></html>");
    Form1->lvFiles->SetFocus();
    driver->PressKey(VK_F1);
    ASSERT_EQ(launched->calls.size(), 1u);
    EXPECT_EQ(LastOpened(), page);
    // The web site: the menu item and the link label.
    Form1->N19->Click();
    EXPECT_EQ(LastOpened(), product::kWebSite);
    Form1->bsSkinLinkLabel1->Click();
    EXPECT_EQ(LastOpened(), product::kWebSite);
    EXPECT_EQ(launched->calls.size(), 3u);
}

TEST_F(CommandsTest, TheOutputFolderIsChosenKeptAndOpened)
{
    Start();
    const std::string first = Form1->FileOutPutPath;
    const std::string chosen = (root / "home" / "新的 输出").string();
    fs::create_directories(chosen);
    // Cancel changes nothing.
    Browse(chosen, false);
    EXPECT_EQ(Form1->FileOutPutPath, first);
    // OK takes the folder: the edit, the field and the file.
    Browse(chosen, true);
    EXPECT_EQ(Form1->FileOutPutPath, chosen);
    EXPECT_EQ(Form1->Video_OutPut_Folder_Edit->GetText(), chosen);
    EXPECT_EQ(TMemIniFile(Ini()).ReadString("OutPath", "OutPath", ""), chosen);
    // "打开" hands the folder to the launcher.
    Form1->bsSkinButton6->ButtonClick();
    EXPECT_EQ(LastOpened(), chosen);
    // A folder removed meanwhile: a message, nothing started.
    fs::remove(chosen);
    AnswerBox();
    Form1->bsSkinButton6->ButtonClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("不存在"), std::string::npos);
    EXPECT_EQ(launched->calls.size(), 1u);
    // After a restart the edit shows the last folder chosen (created again).
    Stop();
    Start();
    EXPECT_EQ(Form1->Video_OutPut_Folder_Edit->GetText(), chosen);
}

TEST_F(CommandsTest, TheChosenSkinIsAppliedToEveryWindowAndRemembered)
{
    Start();
    auto choose = [this](int skin, bool ok) {
        driver->WhenIdle([=] {
            TbsSelectSkinDlgForm* f = Form1->bsSelectSkinDialog1->Form();
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->SkinsListBox->Items()->Count(), 11);
            EXPECT_EQ(f->SkinsListBox->Items()->Get(10), "Vista皮肤");
            f->SkinsListBox->SetItemIndex(skin);
            f->SLBOnChange(f->SkinsListBox);
            (ok ? f->OpenButton : f->CancelButton)->ButtonClick();
        });
        Form1->bsSkinButton9->ButtonClick();
    };
    choose(5, true);
    EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 5);
    for (TbsSkinForm* sf : {Form1->bsSkinForm1, Form2->bsSkinForm1, Form5->bsSkinForm1})
        EXPECT_EQ(sf->SkinData(), Form1->bsSkinData1);
    EXPECT_EQ(Form2->ClientWidth(), 340);
    EXPECT_EQ(Form5->ClientHeight(), 537);
    EXPECT_EQ(TMemIniFile(Ini()).ReadString("Skin", "SetSkin", ""), "5");
    // Cancelling writes the index in use again.
    TIniFile(Ini()).WriteString("Skin", "SetSkin", "9");
    choose(2, false);
    EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 5);
    EXPECT_EQ(TMemIniFile(Ini()).ReadString("Skin", "SetSkin", ""), "5");
    Stop();
    Start();
    EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 5);
}

TEST_F(CommandsTest, TheAboutBoxSaysWhatTheProgramIs)
{
    Start();
    EXPECT_EQ(Form2->Caption(), "关于软件");
    EXPECT_EQ(Form2->ClientWidth(), 340);
    EXPECT_EQ(Form2->ClientHeight(), 245);
    EXPECT_EQ(Form2->Label1->Caption(), "QuorvelMTS格式转换器");
    EXPECT_EQ(Form2->Label2->Caption(), std::string("Ver:") + QUORVEL_VERSION);
    EXPECT_EQ(Form2->bsSkinLinkLabel1->URL, product::kWebSite);
    EXPECT_EQ(Form2->bsSkinLinkLabel2->URL, std::string("mailto:") + product::kSupportMail);
    EXPECT_EQ(Form2->Label6->Caption(), Ini());
    EXPECT_FALSE(Form2->Image1->Picture()->GetGraphic()->Empty());
    // "关于软件" shows it modally; "确定" closes it.
    driver->WhenIdle([] {
        EXPECT_TRUE(Form2->Modal());
        Form2->bsSkinButton1->ButtonClick();
    });
    Form1->N5->Click();
    EXPECT_FALSE(Form2->GetVisible());
    Form2->bsSkinLinkLabel2->Click();
    EXPECT_EQ(LastOpened(), std::string("mailto:") + product::kSupportMail);
}
