// The main window as the start-up leaves it: every control at its place with
// its caption, hint and state, the menus, the job table's columns, the
// catalogue boxes filled for the first preset, the open-dialog filter, the
// screen list, the off-screen defaults, and the close request.
#include "app_fixture.h"

using namespace apptest;

namespace {

class MainWindowTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
    }
    TControl* Control(const std::string& name)
    {
        auto* c = dynamic_cast<TControl*>(Form1->FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

}  // namespace

TEST_F(MainWindowTest, EveryControlIsAtItsPlaceWithItsCaptionHintAndState)
{
    EXPECT_EQ(Form1->Caption(), "QuorvelMTS格式转换器");
    EXPECT_EQ(Application->MainForm(), Form1);
    EXPECT_EQ(Form1->ClientWidth(), 804);
    EXPECT_EQ(Form1->ClientHeight(), 537);
    EXPECT_EQ(Form1->GetBorderStyle(), bsSingle);
    struct Row
    {
        const char* name;
        const char* parent;
        int left, top, width, height;
        const char* text;  // caption, or hint when it starts with "?"
        bool visible, enabled;
    };
    const Row rows[] = {
        {"bsSkinMainMenuBar1", "Form1", 0, 0, 804, 22, "", true, true},
        {"bsSkinToolBar2", "Form1", 0, 22, 804, 59, "", true, true},
        {"bsSkinMenuSpeedButton1", "bsSkinToolBar2", 15, -1, 78, -1, "添加", true, true},
        {"bsSkinButton7", "bsSkinToolBar2", 99, -1, 74, -1, "删除", true, false},
        {"bsSkinButton8", "bsSkinToolBar2", 175, -1, 74, -1, "清空", true, false},
        {"bsSkinButton2", "bsSkinToolBar2", 255, -1, 74, -1, "开始", true, false},
        {"bsSkinButton10", "bsSkinToolBar2", 335, -1, 74, -1, "停止", true, false},
        {"bsSkinButton11", "bsSkinToolBar2", 415, -1, 74, -1, "暂停", true, false},
        {"bsSkinButton12", "bsSkinToolBar2", 415, -1, 74, -1, "继续", false, false},
        {"bsSkinButton19", "bsSkinToolBar2", 495, -1, 74, -1, "选项", true, true},
        {"bsSkinButton9", "bsSkinToolBar2", 575, -1, 74, -1, "皮肤", true, true},
        {"bsSkinPanel1", "Form1", 8, 87, 558, 260, "", true, true},
        {"lvFiles", "bsSkinPanel1", 7, 10, 521, 202, "", true, true},
        {"bsSkinScrollBar1", "bsSkinPanel1", -1, -1, -1, -1, "", false, true},
        {"bsSkinButton4", "bsSkinPanel1", 466, 226, 25, 25, "?下移", true, true},
        {"bsSkinButton3", "bsSkinPanel1", 497, 226, 25, 25, "?上移", true, true},
        {"bsSkinButton21", "bsSkinPanel1", 528, 226, 25, 25, "?重命名", true, false},
        {"bsSkinPanel5", "Form1", 8, 88, 558, 259, "", true, true},
        {"bsSkinPanel2", "Form1", 8, 356, 558, 166, "", true, true},
        {"Label1", "bsSkinPanel2", -1, -1, -1, -1, "输出格式：", true, true},
        {"bsSkinOfficeComboBox2", "bsSkinPanel2", -1, -1, 119, 51, "", true, true},
        {"bsSkinOfficeComboBox1", "bsSkinPanel2", -1, -1, 341, 51, "", true, true},
        {"Label4", "bsSkinPanel2", -1, -1, -1, -1, "输出目录：", true, true},
        {"Video_OutPut_Folder_Edit", "bsSkinPanel2", -1, -1, -1, -1, nullptr, true, true},
        {"bsSkinButton5", "bsSkinPanel2", -1, -1, -1, -1, "浏览", true, true},
        {"bsSkinButton6", "bsSkinPanel2", -1, -1, -1, -1, "打开", true, true},
        {"Label5", "bsSkinPanel2", -1, -1, -1, -1, "软件网站：", true, true},
        {"bsSkinButton1", "bsSkinPanel2", -1, -1, -1, -1, "设置", false, true},
        {"bsSkinPanel4", "Form1", 572, 87, 219, 206, "预置选项", true, true},
        {"bsSkinPanel3", "Form1", 572, 296, 219, 226, "视频预览", true, true},
        {"Panel6", "Form1", 581, 323, 200, 124, "", true, true},
        {"bsSkinSlider1", "bsSkinPanel3", -1, 154, 200, 31, "", true, true},
        {"bsSkinButton13", "bsSkinPanel3", -1, 186, 30, 30, "?播放", true, true},
        {"bsSkinButton14", "bsSkinPanel3", -1, 186, 30, 30, "?暂停", true, true},
        {"bsSkinButton15", "bsSkinPanel3", -1, 186, 30, 30, "?停止", true, true},
        {"bsSkinButton16", "bsSkinPanel3", -1, 186, 30, 30, "?静音", true, true},
        {"bsSkinButton20", "bsSkinPanel3", -1, 186, 30, 30, "?静音", false, true},
        {"bsSkinButton22", "bsSkinPanel3", -1, 186, 30, 30, "?快照", true, true},
        {"bsSkinButton23", "bsSkinPanel3", -1, 186, 30, 30, "?设置", true, true},
        {"bsSkinButton17", "bsSkinPanel3", -1, -1, -1, -1, "?全屏", false, true},
    };
    for (const Row& r : rows)
    {
        SCOPED_TRACE(r.name);
        TControl* c = Control(r.name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->Parent(), nullptr);
        EXPECT_EQ(c->Parent()->Name(), r.parent);
        if (r.left >= 0) { EXPECT_EQ(c->Left(), r.left); }
        if (r.top >= 0) { EXPECT_EQ(c->Top(), r.top); }
        if (r.width >= 0) { EXPECT_EQ(c->Width(), r.width); }
        if (r.height >= 0) { EXPECT_EQ(c->Height(), r.height); }
        if (r.text && r.text[0] == '?') { EXPECT_EQ(c->GetHint(), r.text + 1); }
        else if (r.text) { EXPECT_EQ(c->Caption(), r.text); }
        EXPECT_EQ(c->GetVisible(), r.visible);
        EXPECT_EQ(c->GetEnabled(), r.enabled);
        // Everything visible lies inside its parent's client area.
        if (r.visible && c->Parent() != Form1)
        {
            EXPECT_LE(c->Left() + c->Width(), c->Parent()->ClientWidth());
            EXPECT_LE(c->Top() + c->Height(), c->Parent()->ClientHeight());
        }
    }
    // The six parameter boxes under their labels, in their order.
    const char* labels[] = {"视频分辨率：", "视频比特率：", "视频帧率：", "音频比特率：", "音频采样率：", "视频缩放："};
    const auto boxes = Form1->ParamBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
    {
        EXPECT_EQ(Form1->ParamLabels[i]->Caption(), labels[i]);
        EXPECT_EQ(boxes[i]->Parent(), Form1->bsSkinPanel4);
        EXPECT_EQ(boxes[i]->Style(), bscbFixedStyle);
        if (i > 0) { EXPECT_GT(boxes[i]->Top(), boxes[i - 1]->Top()); }
    }
    // The tool buttons use the resizable tool-button look; the move buttons
    // and the menu button carry no focus away from the job table.
    for (TbsSkinButton* b : {Form1->bsSkinButton7, Form1->bsSkinButton2, Form1->bsSkinButton9})
        EXPECT_EQ(b->SkinDataName(), "resizetoolbutton");
    EXPECT_EQ(Form1->bsSkinMenuSpeedButton1->SkinPopupMenu(), Form1->bsSkinPopupMenu1);
    // The off-screen controls lie right of the client area.
    for (const char* name : {"Panel1", "Panel3", "Panel4", "Panel5", "edt"}) { EXPECT_GE(Control(name)->Left(), 873); }
    EXPECT_FALSE(Form1->bsSkinForm1->BorderIcons().Maximize);
    EXPECT_TRUE(Form1->bsSkinForm1->BorderIcons().Minimize);
    EXPECT_FALSE(Form1->bsTrayIcon1->Enabled);
    EXPECT_FALSE(Form1->bsTrayIcon1->IconVisible());
}

TEST_F(MainWindowTest, MenusJobColumnsAndOffscreenDefaults)
{
    // The five menus, their items (captions, names, enabled) and the add menu.
    struct Item
    {
        const char* name;
        const char* caption;
        bool enabled;
    };
    const std::vector<std::pair<const char*, std::vector<Item>>> menus = {
        {"文件", {{"Item111", "添加一个文件", true}, {"Item121", "添加多个文件", true}, {"N21", "添加整个目录", true},
                  {"", "-", true}, {"N4", "退出", true}}},
        {"编辑", {{"N16", "上移文件", true}, {"N17", "下移文件", true}, {"", "-", true}, {"N13", "删除选择", false},
                  {"N14", "清空文件", false}, {"", "-", true}, {"N26", "重新命名", false}}},
        {"动作", {{"N7", "开始转换", false}, {"N8", "停止转换", false}, {"", "-", true}, {"N10", "暂停转换", false},
                  {"N11", "继续继续", false}}},
        {"功能", {{"N24", "转换设置", true}, {"N23", "软件皮肤", true}}},
        {"帮助", {{"N15", "帮助系统", true}, {"", "-", true}, {"N19", "官方网站", true}, {"N5", "关于软件", true}}},
    };
    TMenuItem* root = Form1->bsSkinMainMenu1->Items();
    ASSERT_EQ(root->Count(), int(menus.size()));
    for (std::size_t m = 0; m < menus.size(); ++m)
    {
        TMenuItem* menu = root->Items(int(m));
        EXPECT_EQ(menu->Caption(), menus[m].first);
        ASSERT_EQ(menu->Count(), int(menus[m].second.size()));
        for (std::size_t i = 0; i < menus[m].second.size(); ++i)
        {
            const Item& it = menus[m].second[i];
            SCOPED_TRACE(it.caption);
            EXPECT_EQ(menu->Items(int(i))->Caption(), it.caption);
            if (it.name[0]) { EXPECT_EQ(menu->Items(int(i))->Name(), it.name); }
            EXPECT_EQ(menu->Items(int(i))->Enabled(), it.enabled);
        }
    }
    EXPECT_EQ(Form1->N15->ShortCut(), ShortCut(VK_F1, 0));
    TMenuItem* add = Form1->bsSkinPopupMenu1->Items();
    ASSERT_EQ(add->Count(), 3);
    EXPECT_EQ(add->Items(0)->Caption(), "添加一个文件");
    EXPECT_EQ(add->Items(1)->Caption(), "添加多个文件");
    EXPECT_EQ(add->Items(2)->Caption(), "添加整个目录");
    EXPECT_TRUE(Form1->BMP1->Checked());

    // The job table: 25 columns; the hidden ones cannot be dragged open.
    const char* captions[] = {"输入文件", "视频时间", "文件大小", "输出文件", "转换进度", "", "当前时间", "转换大小",
                              "视频序号", "视频类别", "视频选项", "视频编码", "音频编码", "声音频道", "VideoTag",
                              "FileExt", "视频分辨率", "视频比特率", "视频帧率", "音频比特率", "音频采样率",
                              "视频缩放", "视频能否", "TargetType", "NormType"};
    const int widths[] = {80, 70, 70, 80, 70, 0, 80, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    TListColumns* cols = Form1->lvFiles->Columns();
    ASSERT_EQ(cols->Count(), 25);
    for (int i = 0; i < 25; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(cols->Items(i)->GetCaption(), captions[i]);
        EXPECT_EQ(cols->Items(i)->GetWidth(), widths[i]);
        if (widths[i] == 0)
        {
            cols->Items(i)->SetWidth(60);
            EXPECT_LE(cols->Items(i)->GetWidth(), 1);
            cols->Items(i)->SetWidth(0);
        }
    }
    EXPECT_EQ(Form1->lvFiles->GetViewStyle(), vsReport);
    EXPECT_TRUE(Form1->lvFiles->GetGridLines());
    EXPECT_TRUE(Form1->lvFiles->GetRowSelect());
    EXPECT_TRUE(Form1->lvFiles->ReadOnly);

    // Off-screen defaults and the state fields.
    EXPECT_TRUE(Form1->chkThreadMode->Checked());
    EXPECT_FALSE(Form1->chkPreview->Checked());
    EXPECT_TRUE(Form1->chkOpenPaused->Checked());
    EXPECT_FALSE(Form1->chkStayOnTop->Checked());
    EXPECT_EQ(Form1->cboVideoDriver->GetItemIndex(), 0);
    EXPECT_EQ(Form1->cboVideoDriver->Items()->Get(2), "GDI");
    EXPECT_EQ(Form1->cboAudioDriver->Items()->Get(2), "waveOut");
    EXPECT_EQ(Form1->TrackBar2->MaxValue(), 128);
    EXPECT_EQ(Form1->TrackBar2->Value(), 128);
    EXPECT_EQ(Form1->Label2->Caption(), "N/A");
    EXPECT_EQ(Form1->Label3->Caption(), "N/A");
    EXPECT_EQ(Form1->btnCapture->Caption(), "Capture");
    EXPECT_FALSE(Form1->btnStart->GetEnabled());
    EXPECT_TRUE(Form1->btnAdd->GetEnabled());
    EXPECT_EQ(Form1->bsSkinSlider1_down_UP, "UP");
    for (const std::string& marker : Form1->JobSlotMarker) { ASSERT_EQ(marker, "kong"); }
    for (const TOutputOptions& o : Form1->OO1) { ASSERT_EQ(o.AudioLanguage, ""); }
    EXPECT_EQ(Form1->SavePictureDialog1->DefaultExt, "bmp");
    EXPECT_EQ(Form1->SavePictureDialog1->Filter, "Bitmaps (*.bmp)|*.bmp|JPEG Image File |*.jpg;*.jpeg");
    EXPECT_TRUE(Form1->SavePictureDialog1->Options.Contains(ofOverwritePrompt));
}

TEST_F(MainWindowTest, TheCatalogueBoxesTheFilterAndTheScreenList)
{
    // Category 0 with the first preset of its list (key 2200) and its defaults.
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->Items()->Count(), 18);
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->ItemIndex(), 0);
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->Items()->Items(0)->Caption(), "MTS视频");
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->Items()->Items(0)->ImageIndex(), 38);
    TbsSkinOfficeItems* presets = Form1->bsSkinOfficeComboBox1->Items();
    ASSERT_EQ(presets->Count(), 13);
    EXPECT_EQ(Form1->bsSkinOfficeComboBox1->ItemIndex(), 0);
    EXPECT_EQ(presets->Items(0)->Title(), "MTS转换为标准AVI视频(*.avi)");
    for (int i = 0; i < presets->Count(); ++i) { EXPECT_EQ(presets->Items(i)->ImageIndex(), i % 2); }
    const char* shown[] = {"704*480", "816 kbps", "25.00", "128 kbps", "44100", "保持原视频模式"};
    const auto boxes = Form1->ParamBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
    {
        EXPECT_EQ(boxes[i]->GetText(), shown[i]);
        EXPECT_TRUE(boxes[i]->GetEnabled());
    }
    EXPECT_FALSE(Form1->Video_DisableVideo);

    // The filter: 42 entries, each "description|patterns|", index 1.
    const std::string& f = Form1->OpenDialog1->Filter;
    EXPECT_EQ(std::count(f.begin(), f.end(), '|'), 84);
    EXPECT_EQ(f.rfind("所有文件格式 (*.*)|*.*|", 0), 0u);
    EXPECT_NE(f.find("Flac无损压缩音频格式\u3000(*.flac)|*.flac|"), std::string::npos);
    const std::string last = "|AIFF音频编码格式(*.aif; *.aiff)|*.aif; *.aiff|";
    EXPECT_EQ(f.substr(f.size() - last.size()), last);
    EXPECT_EQ(Form1->OpenDialog2->Filter, f);
    EXPECT_EQ(Form1->OpenDialog1->FilterIndex, 1);
    EXPECT_TRUE(Form1->OpenDialog2->MultiSelection);
    EXPECT_EQ(Form1->OpenDialog1->Title, "打开文件");

    // The screen list: Panel6, then the windowed children in tab order.
    TStrings* screens = Form1->cboScreens->Items();
    ASSERT_GT(screens->Count(), 3);
    EXPECT_EQ(screens->Get(0), "Panel6");
    for (int t = 0; t + 1 < screens->Count(); ++t)
    {
        TWinControl* w = Form1->FindChildControlByName(screens->Get(t + 1));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->GetTabOrder(), t);
    }
    EXPECT_EQ(Form1->cboScreens->GetItemIndex(), 0);
    EXPECT_EQ(Form1->FindChildControlByName("Panel6"), Form1->Panel6);
    EXPECT_EQ(Form1->FindChildControlByName("lvFiles"), nullptr) << "only direct children";
}

TEST_F(MainWindowTest, TheCloseRequestDetachesTheEventsAndStops)
{
    Form1->FFConv->OnProgress = [](TObject*, PProgressInfo) {};
    Form1->FFConv->OnTerminate = [](TObject*, const TTerminateInfo&) {};
    Form1->DEDideve->OnState = [](TObject*, TPlayState) {};
    Form1->FFLogger->SetOnLog([](TObject*, std::uint32_t, TLogLevel, const std::string&) {});
    bool canClose = false;
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(Form1->FFConv->OnProgress);
    EXPECT_FALSE(Form1->FFConv->OnTerminate);
    EXPECT_FALSE(Form1->DEDideve->OnState);
    EXPECT_FALSE(Form1->FFLogger->OnLog());
    // "退出" closes the main window, which ends the program.
    Form1->Show();
    Form1->N4->Click();
    Application->ProcessMessages();
    EXPECT_TRUE(Application->Terminated());
}
