// The main window's components: the skin store and the other non-visual
// components, the menus, the tool bar, the job table, the output format and
// folder, the six parameter boxes, the preview panel and the off-screen
// controls, each at its place with its caption, hint and enabled state, and
// the wiring of their events.
#include "app/Unit1.h"

#include "app/Glyphs.h"
#include "app/Product.h"
#include "app/Unit1/Internal.h"
#include "app/catalogue/Pictures.h"
#include "platform/core/VirtualKeys.h"
#include "skins/bsStoredSkins.h"

using unit1::Make;

TForm1* Form1 = nullptr;

namespace unit1 {

const std::array<TColumnSpec, kJobColumnCount> kJobColumns = {{
    {"输入文件", 80},   {"视频时间", 70},   {"文件大小", 70},   {"输出文件", 80},   {"转换进度", 70},
    {"", 0},            {"当前时间", 80},   {"转换大小", 80},   {"视频序号", 0},    {"视频类别", 0},
    {"视频选项", 0},    {"视频编码", 0},    {"音频编码", 0},    {"声音频道", 0},    {"VideoTag", 0},
    {"FileExt", 0},     {"视频分辨率", 0},  {"视频比特率", 0},  {"视频帧率", 0},    {"音频比特率", 0},
    {"音频采样率", 0},  {"视频缩放", 0},    {"视频能否", 0},    {"TargetType", 0},  {"NormType", 0},
}};

}  // namespace unit1

// ---- off-screen stand-ins --------------------------------------------------

TLogMemo::TLogMemo(TComponent* AOwner) : TCustomControl(AOwner), FLines(std::make_unique<TStringList>()) {}

void TLogMemo::Add(const std::string& line)
{
    FLines->Add(line);
    if (FLines->Count() > kMaxLines) FLines->Delete(0);
}

// ---- the form --------------------------------------------------------------

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* name, const std::string& caption)
{
    auto* mi = new TMenuItem(owner);
    mi->SetName(name);
    mi->SetCaption(caption);
    parent->Add(mi);
    return mi;
}

template <class T>
T* Skinned(TComponent* owner, TWinControl* parent, const char* name, TbsSkinData* sd)
{
    T* c = Make<T>(owner, parent, name);
    c->SetSkinData(sd);
    return c;
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner)
{
    SetName("Form1");
    SetCaption(product::kTitle);
    SetBorderStyle(bsSingle);
    SetBorderIcons(TBorderIcons{});
    SetPosition(poDesktopCenter);
    Font()->SetName("MS Sans Serif");
    SetShowHint(true);
    BuildComponents();
    BuildMenus();
    BuildToolBar();
    BuildJobTable();
    BuildFormatPanel();
    BuildParameterBoxes();
    BuildPreviewPanel();
    BuildOffscreen();
    Wire();
    SetControlStates(TControlEvent::Load);
    SetClientSize(unit1::kClientWidth, unit1::kClientHeight);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
}

TForm1::~TForm1()
{
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildComponents()
{
    bsCompressedSkinList1 = Make<TbsCompressedSkinList>(this, nullptr, "bsCompressedSkinList1");
    bsLoadStoredSkins(*bsCompressedSkinList1);
    bsResourceStrData1 = Make<TbsResourceStrData>(this, nullptr, "bsResourceStrData1");
    bsSkinData1 = Make<TbsSkinData>(this, nullptr, "bsSkinData1");
    bsSkinData1->SetSkinnableForm(true);
    bsSkinData1->EnableSkinEffects = true;
    bsSkinData1->ShowButtonGlowFrames = true;
    bsSkinData1->ShowCaptionButtonGlowFrames = true;
    bsSkinData1->SetShowLayeredBorders(true);
    bsSkinData1->AnimationForAllWindows = false;
    bsSkinData1->SetResourceStrData(bsResourceStrData1);
    // The skin list is linked by the create handler once the settings file
    // has named the stored skin, so the start-up loads one skin only.

    bsSelectSkinDialog1 = Make<TbsSelectSkinDialog>(this, nullptr, "bsSelectSkinDialog1");
    bsSelectSkinDialog1->SetSkinList(bsCompressedSkinList1);
    bsSelectSkinDialog1->SetSkinData(bsSkinData1);
    bsSelectSkinDialog1->SetCtrlSkinData(bsSkinData1);
    bsSelectSkinDialog1->Title = "Select skin";

    bsSkinHint1 = Make<TbsSkinHint>(this, nullptr, "bsSkinHint1");
    bsSkinHint1->SetSkinData(bsSkinData1);
    bsSkinHint1->SetActive(true);
    bsSkinMessage1 = Make<TbsSkinMessage>(this, nullptr, "bsSkinMessage1");
    bsSkinMessage1->SetSkinData(bsSkinData1);
    bsSkinMessage1->SetCtrlSkinData(bsSkinData1);

    bsTrayIcon1 = Make<TbsTrayIcon>(this, nullptr, "bsTrayIcon1");
    bsTrayIcon1->Enabled = false;
    bsTrayIcon1->SetIconVisible(false);

    bsSkinForm1 = Make<TbsSkinForm>(this, nullptr, "bsSkinForm1");
    TbsBorderIcons icons;
    icons.SystemMenu = false;
    icons.Maximize = false;
    icons.RollUp = false;
    bsSkinForm1->SetBorderIcons(icons);
    bsSkinForm1->SetShowIcon(false);
    bsSkinForm1->SetTrayIcon(bsTrayIcon1);
    bsSkinForm1->SetSkinHint(bsSkinHint1);
    bsSkinForm1->SetMenusSkinData(bsSkinData1);
    bsSkinForm1->SetSkinData(bsSkinData1);

    FFConv = Make<TFFConverter>(this, nullptr, "FFConv");
    FFLogger = Make<TFFLogger>(this, nullptr, "FFLogger");
    DEDideve = Make<TDEDideve>(this, nullptr, "DEDideve");

    OpenDialog1 = Make<TbsSkinOpenDialog>(this, nullptr, "OpenDialog1");
    OpenDialog1->Title = "打开文件";
    OpenDialog1->CheckFileExists = true;
    OpenDialog2 = Make<TbsSkinOpenDialog>(this, nullptr, "OpenDialog2");
    OpenDialog2->Title = "打开文件";
    OpenDialog2->MultiSelection = true;
    bsSkinSelectDirectoryDialog1 = Make<TbsSkinSelectDirectoryDialog>(this, nullptr, "bsSkinSelectDirectoryDialog1");
    bsSkinSelectDirectoryDialog1->Title = "选择目录";
    bsSkinSelectDirectoryDialog2 = Make<TbsSkinSelectDirectoryDialog>(this, nullptr, "bsSkinSelectDirectoryDialog2");
    bsSkinSelectDirectoryDialog2->Title = "选择输出目录";
    for (TbsCustomOpenDialog* d : {static_cast<TbsCustomOpenDialog*>(OpenDialog1), static_cast<TbsCustomOpenDialog*>(OpenDialog2)})
    {
        d->SetSkinData(bsSkinData1);
        d->SetCtrlSkinData(bsSkinData1);
    }
    for (TbsSkinSelectDirectoryDialog* d : {bsSkinSelectDirectoryDialog1, bsSkinSelectDirectoryDialog2})
    {
        d->SetSkinData(bsSkinData1);
        d->SetCtrlSkinData(bsSkinData1);
    }
    SavePictureDialog1 = Make<TSavePictureDialog>(this, nullptr, "SavePictureDialog1");

    ImageList1 = Make<TImageList>(this, nullptr, "ImageList1");
    ImageList2 = Make<TImageList>(this, nullptr, "ImageList2");
    ImageList3 = Make<TImageList>(this, nullptr, "ImageList3");
    LoadCataloguePictures();
}

void TForm1::LoadCataloguePictures()
{
    auto load = [](TImageList* list, int count, catalogue::Picture (*picture)(int)) {
        list->SetSize(catalogue::kPictureSize, catalogue::kPictureSize);
        for (int i = 0; i < count; ++i)
        {
            const catalogue::Picture p = picture(i);
            TSurface s(catalogue::kPictureSize, catalogue::kPictureSize);
            for (int y = 0; y < catalogue::kPictureSize; ++y)
                for (int x = 0; x < catalogue::kPictureSize; ++x)
                    s.SetPixel(x, y, p[static_cast<std::size_t>(y * catalogue::kPictureSize + x)]);
            list->AddSurface(s);
        }
    };
    load(ImageList1, catalogue::kCategoryPictureCount, catalogue::CategoryPicture);
    load(ImageList2, catalogue::kPresetPictureCount, catalogue::PresetPicture);
}

void TForm1::BuildMenus()
{
    bsSkinMainMenu1 = Make<TbsSkinMainMenu>(this, nullptr, "bsSkinMainMenu1");
    bsSkinMainMenu1->SetSkinData(bsSkinData1);
    TMenuItem* root = bsSkinMainMenu1->Items();
    N1 = AddItem(this, root, "N1", "文件");
    Item111 = AddItem(this, N1, "Item111", "添加一个文件");
    Item121 = AddItem(this, N1, "Item121", "添加多个文件");
    N21 = AddItem(this, N1, "N21", "添加整个目录");
    AddItem(this, N1, "N18", "-");
    N4 = AddItem(this, N1, "N4", "退出");
    N2 = AddItem(this, root, "N2", "编辑");
    N16 = AddItem(this, N2, "N16", "上移文件");
    N17 = AddItem(this, N2, "N17", "下移文件");
    AddItem(this, N2, "N20", "-");
    N13 = AddItem(this, N2, "N13", "删除选择");
    N14 = AddItem(this, N2, "N14", "清空文件");
    AddItem(this, N2, "N22", "-");
    N26 = AddItem(this, N2, "N26", "重新命名");
    N3 = AddItem(this, root, "N3", "动作");
    N7 = AddItem(this, N3, "N7", "开始转换");
    N8 = AddItem(this, N3, "N8", "停止转换");
    AddItem(this, N3, "N25", "-");
    N10 = AddItem(this, N3, "N10", "暂停转换");
    N11 = AddItem(this, N3, "N11", "继续继续");
    N6 = AddItem(this, root, "N6", "功能");
    N24 = AddItem(this, N6, "N24", "转换设置");
    N23 = AddItem(this, N6, "N23", "软件皮肤");
    N9 = AddItem(this, root, "N9", "帮助");
    N15 = AddItem(this, N9, "N15", "帮助系统");
    N15->SetShortCut(ShortCut(VK_F1, 0));
    AddItem(this, N9, "N27", "-");
    N19 = AddItem(this, N9, "N19", "官方网站");
    N5 = AddItem(this, N9, "N5", "关于软件");
    for (TMenuItem* mi : {N13, N14, N26, N7, N8, N10, N11}) mi->SetEnabled(false);

    bsSkinMainMenuBar1 = Skinned<TbsSkinMainMenuBar>(this, this, "bsSkinMainMenuBar1", bsSkinData1);
    bsSkinMainMenuBar1->SetDefaultHeight(22);
    bsSkinMainMenuBar1->SetSkinForm(bsSkinForm1);
    bsSkinMainMenuBar1->SetMainMenu(bsSkinMainMenu1);
    bsSkinForm1->SetMainMenuBar(bsSkinMainMenuBar1);

    bsSkinPopupMenu1 = Make<TbsSkinPopupMenu>(this, nullptr, "bsSkinPopupMenu1");
    bsSkinPopupMenu1->SetSkinData(bsSkinData1);
    N11111 = AddItem(this, bsSkinPopupMenu1->Items(), "N11111", "添加一个文件");
    N2222 = AddItem(this, bsSkinPopupMenu1->Items(), "N2222", "添加多个文件");
    N3331 = AddItem(this, bsSkinPopupMenu1->Items(), "N3331", "添加整个目录");

    bsSkinPopupMenu2 = Make<TbsSkinPopupMenu>(this, nullptr, "bsSkinPopupMenu2");
    bsSkinPopupMenu2->SetSkinData(bsSkinData1);
    MenuItem1 = AddItem(this, bsSkinPopupMenu2->Items(), "MenuItem1", "打开快照目录");
    MenuItem2 = AddItem(this, bsSkinPopupMenu2->Items(), "MenuItem2", "设置快照目录");
    AddItem(this, bsSkinPopupMenu2->Items(), "MenuItem3", "-");
    N12 = AddItem(this, bsSkinPopupMenu2->Items(), "N12", "快照保存类型");
    BMP1 = AddItem(this, N12, "BMP1", "BMP文件");
    JPG1 = AddItem(this, N12, "JPG1", "JPG文件");
    GIF1 = AddItem(this, N12, "GIF1", "GIF文件");
    PNG1 = AddItem(this, N12, "PNG1", "PNG文件");
    for (TMenuItem* mi : {BMP1, JPG1, GIF1, PNG1})
    {
        mi->SetRadioItem(true);
        mi->SetGroupIndex(1);
    }
    BMP1->SetChecked(true);
}

void TForm1::BuildToolBar()
{
    bsSkinToolBar2 = Skinned<TbsSkinToolBar>(this, this, "bsSkinToolBar2", bsSkinData1);
    bsSkinToolBar2->SetAlign(alTop);
    bsSkinToolBar2->SetHeight(59);
    bsSkinMenuSpeedButton1 = Skinned<TbsSkinMenuSpeedButton>(this, bsSkinToolBar2, "bsSkinMenuSpeedButton1", bsSkinData1);
    bsSkinMenuSpeedButton1->SkinDataName = "resizetoolbutton";
    bsSkinMenuSpeedButton1->SetCaption("添加");
    bsSkinMenuSpeedButton1->SetBounds(15, 4, 78, 50);
    bsSkinMenuSpeedButton1->SetLayout(blGlyphTop);
    bsSkinMenuSpeedButton1->SetSkinPopupMenu(bsSkinPopupMenu1);
    struct ToolButton
    {
        TbsSkinButton** field;
        const char* name;
        const char* caption;
        int left;
        bool enabled;
    };
    const ToolButton buttons[] = {
        {&bsSkinButton7, "bsSkinButton7", "删除", 99, false},   {&bsSkinButton8, "bsSkinButton8", "清空", 175, false},
        {&bsSkinButton2, "bsSkinButton2", "开始", 255, false},  {&bsSkinButton10, "bsSkinButton10", "停止", 335, false},
        {&bsSkinButton11, "bsSkinButton11", "暂停", 415, false}, {&bsSkinButton12, "bsSkinButton12", "继续", 415, false},
        {&bsSkinButton19, "bsSkinButton19", "选项", 495, true},  {&bsSkinButton9, "bsSkinButton9", "皮肤", 575, true},
    };
    for (const ToolButton& t : buttons)
    {
        auto* b = Skinned<TbsSkinButton>(this, bsSkinToolBar2, t.name, bsSkinData1);
        b->SetSkinDataName("resizetoolbutton");
        b->SetCaption(t.caption);
        b->SetBounds(t.left, 4, 74, 50);
        b->SetLayout(blGlyphTop);
        b->SetEnabled(t.enabled);
        b->SetCanFocused(false);
        *t.field = b;
    }
    bsSkinButton12->SetVisible(false);
}

void TForm1::BuildJobTable()
{
    bsSkinPanel1 = Skinned<TbsSkinPanel>(this, this, "bsSkinPanel1", bsSkinData1);
    bsSkinPanel1->SetBounds(8, 87, 558, 260);
    lvFiles = Skinned<TbsSkinListView>(this, bsSkinPanel1, "lvFiles", bsSkinData1);
    lvFiles->SetBounds(7, 10, 521, 202);
    lvFiles->SetViewStyle(vsReport);
    lvFiles->SetGridLines(true);
    lvFiles->SetRowSelect(true);
    lvFiles->ReadOnly = true;
    lvFiles->HideSelection = false;
    for (const unit1::TColumnSpec& spec : unit1::kJobColumns)
    {
        TListColumn* c = lvFiles->Columns()->Add();
        c->SetCaption(spec.Caption);
        c->SetWidth(spec.Width);
        if (spec.Width == 0) c->SetMaxWidth(1);
    }
    bsSkinScrollBar1 = Skinned<TbsSkinScrollBar>(this, bsSkinPanel1, "bsSkinScrollBar1", bsSkinData1);
    bsSkinScrollBar1->SetKind(sbVertical);
    bsSkinScrollBar1->SetSkinDataName("vscrollbar");
    bsSkinScrollBar1->SetBounds(528, 10, 19, 202);
    bsSkinScrollBar1->SetVisible(false);
    bsSkinScrollBar2 = Skinned<TbsSkinScrollBar>(this, bsSkinPanel1, "bsSkinScrollBar2", bsSkinData1);
    bsSkinScrollBar2->SetBounds(7, 212, 455, 19);
    lvFiles->SetVScrollBar(bsSkinScrollBar1);
    lvFiles->SetHScrollBar(bsSkinScrollBar2);

    struct Small
    {
        TbsSkinButton** field;
        const char* name;
        const char* hint;
        int left;
    };
    for (const Small& s : {Small{&bsSkinButton4, "bsSkinButton4", "下移", 466}, Small{&bsSkinButton3, "bsSkinButton3", "上移", 497},
                           Small{&bsSkinButton21, "bsSkinButton21", "重命名", 528}})
    {
        auto* b = Skinned<TbsSkinButton>(this, bsSkinPanel1, s.name, bsSkinData1);
        b->SetBounds(s.left, 226, 25, 25);
        b->SetHint(s.hint);
        b->SetCanFocused(false);
        *s.field = b;
    }
    bsSkinButton21->SetEnabled(false);

    // The picture over the empty table.
    bsSkinPanel5 = Skinned<TbsSkinPanel>(this, this, "bsSkinPanel5", bsSkinData1);
    bsSkinPanel5->SetBounds(8, 88, 558, 259);
    Image1 = Make<TImage>(this, bsSkinPanel5, "Image1");
    Image1->SetBounds(179, 45, 200, 130);
    Image1->Picture()->SetGraphic(glyphs::EmptyListPicture(200, 130).get());
    EmptyListLabel = Skinned<TbsSkinStdLabel>(this, bsSkinPanel5, "EmptyListLabel", bsSkinData1);
    EmptyListLabel->SetAutoSize(false);
    EmptyListLabel->SetAlignment(taCenter);
    EmptyListLabel->SetBounds(20, 190, 518, 20);
    EmptyListLabel->SetCaption("点击“添加”按钮，添加要转换的视频或音频文件");
}

void TForm1::BuildFormatPanel()
{
    bsSkinPanel2 = Skinned<TbsSkinPanel>(this, this, "bsSkinPanel2", bsSkinData1);
    bsSkinPanel2->SetBounds(8, 356, 558, 166);
    auto label = [this](const char* name, const char* caption, int left, int top) {
        auto* l = Skinned<TbsSkinStdLabel>(this, bsSkinPanel2, name, bsSkinData1);
        l->SetCaption(caption);
        l->SetLeft(left);
        l->SetTop(top);
        return l;
    };
    Label1 = label("Label1", "输出格式：", 12, 10);
    bsSkinOfficeComboBox2 = Skinned<TbsSkinOfficeComboBox>(this, bsSkinPanel2, "bsSkinOfficeComboBox2", bsSkinData1);
    bsSkinOfficeComboBox2->SetBounds(12, 28, 119, 51);
    bsSkinOfficeComboBox2->SetImages(ImageList1);
    bsSkinOfficeComboBox2->SetListBoxItemHeight(50);
    bsSkinOfficeComboBox2->SetListBoxShowItemTitles(false);
    bsSkinOfficeComboBox2->SetListBoxWidth(119);
    bsSkinOfficeComboBox2->SetDropDownCount(4);
    for (const catalogue::Category& c : catalogue::kCategories)
    {
        TbsSkinOfficeItem* item = bsSkinOfficeComboBox2->Items()->Add();
        item->SetCaption(c.caption);
        item->SetImageIndex(c.picture);
    }
    bsSkinOfficeComboBox2->SetItemIndex(0);
    bsSkinOfficeComboBox1 = Skinned<TbsSkinOfficeComboBox>(this, bsSkinPanel2, "bsSkinOfficeComboBox1", bsSkinData1);
    bsSkinOfficeComboBox1->SetBounds(139, 28, 341, 51);
    bsSkinOfficeComboBox1->SetImages(ImageList2);
    bsSkinOfficeComboBox1->SetListBoxItemHeight(60);
    bsSkinOfficeComboBox1->SetListBoxShowItemTitles(true);
    bsSkinOfficeComboBox1->SetListBoxShowLines(true);
    bsSkinOfficeComboBox1->SetListBoxWidth(341);
    bsSkinOfficeComboBox1->SetDropDownCount(4);
    bsSkinOfficeComboBox1->SetItemIndex(0);

    Label4 = label("Label4", "输出目录：", 12, 92);
    Video_OutPut_Folder_Edit = Skinned<TbsSkinEdit>(this, bsSkinPanel2, "Video_OutPut_Folder_Edit", bsSkinData1);
    Video_OutPut_Folder_Edit->SetBounds(12, 110, 360, 22);
    Video_OutPut_Folder_Edit->SetReadOnly(true);
    bsSkinButton5 = Skinned<TbsSkinButton>(this, bsSkinPanel2, "bsSkinButton5", bsSkinData1);
    bsSkinButton5->SetCaption("浏览");
    bsSkinButton5->SetBounds(380, 109, 80, 25);
    bsSkinButton6 = Skinned<TbsSkinButton>(this, bsSkinPanel2, "bsSkinButton6", bsSkinData1);
    bsSkinButton6->SetCaption("打开");
    bsSkinButton6->SetBounds(466, 109, 80, 25);
    Label5 = label("Label5", "软件网站：", 12, 142);
    bsSkinLinkLabel1 = Make<TbsSkinLinkLabel>(this, bsSkinPanel2, "bsSkinLinkLabel1");
    bsSkinLinkLabel1->SetSkinData(bsSkinData1);
    bsSkinLinkLabel1->SetCaption(product::kWebSite);
    bsSkinLinkLabel1->URL = product::kWebSite;
    bsSkinLinkLabel1->SetLeft(80);
    bsSkinLinkLabel1->SetTop(142);
    bsSkinButton1 = Skinned<TbsSkinButton>(this, bsSkinPanel2, "bsSkinButton1", bsSkinData1);
    bsSkinButton1->SetCaption("设置");
    bsSkinButton1->SetBounds(600, 109, 75, 25);
    bsSkinButton1->SetVisible(false);
}

void TForm1::BuildParameterBoxes()
{
    bsSkinPanel4 = Skinned<TbsSkinGroupBox>(this, this, "bsSkinPanel4", bsSkinData1);
    bsSkinPanel4->SetCaption("预置选项");
    bsSkinPanel4->SetBounds(572, 87, 219, 206);
    struct Box
    {
        TbsSkinComboBox** field;
        const char* name;
        const char* label;
        const char* labelName;
    };
    const Box boxes[] = {
        {&bsSkinComboBox1, "bsSkinComboBox1", "视频分辨率：", "Label6"},
        {&bsSkinComboBox2, "bsSkinComboBox2", "视频比特率：", "Label7"},
        {&bsSkinComboBox9, "bsSkinComboBox9", "视频帧率：", "Label8"},
        {&bsSkinComboBox3, "bsSkinComboBox3", "音频比特率：", "Label9"},
        {&bsSkinComboBox10, "bsSkinComboBox10", "音频采样率：", "Label10"},
        {&bsSkinComboBox4, "bsSkinComboBox4", "视频缩放：", "Label11"},
    };
    int top = 32;
    for (std::size_t i = 0; i < std::size(boxes); ++i, top += 28)
    {
        auto* l = Skinned<TbsSkinStdLabel>(this, bsSkinPanel4, boxes[i].labelName, bsSkinData1);
        l->SetCaption(boxes[i].label);
        l->SetLeft(10);
        l->SetTop(top + 3);
        ParamLabels[i] = l;
        auto* b = Skinned<TbsSkinComboBox>(this, bsSkinPanel4, boxes[i].name, bsSkinData1);
        b->SetStyle(bscbFixedStyle);
        b->SetBounds(84, top, 125, 22);
        b->SetDropDownCount(12);
        *boxes[i].field = b;
    }
}

void TForm1::BuildPreviewPanel()
{
    bsSkinPanel3 = Skinned<TbsSkinGroupBox>(this, this, "bsSkinPanel3", bsSkinData1);
    bsSkinPanel3->SetCaption("视频预览");
    bsSkinPanel3->SetBounds(572, 296, 219, 226);
    bsSkinSlider1 = Skinned<TbsSkinSlider>(this, bsSkinPanel3, "bsSkinSlider1", bsSkinData1);
    bsSkinSlider1->SetBounds(9, 154, 200, 31);
    bsSkinSlider1->SetOptions(TbsSliderOptions{soShowFocus, soSmooth});
    bsSkinSlider1->SetTransparent(true);
    struct Button
    {
        TbsSkinButton** field;
        const char* name;
        const char* hint;
        int left;
    };
    const Button buttons[] = {
        {&bsSkinButton13, "bsSkinButton13", "播放", 12},  {&bsSkinButton14, "bsSkinButton14", "暂停", 45},
        {&bsSkinButton15, "bsSkinButton15", "停止", 78},  {&bsSkinButton16, "bsSkinButton16", "静音", 111},
        {&bsSkinButton20, "bsSkinButton20", "静音", 111}, {&bsSkinButton22, "bsSkinButton22", "快照", 144},
        {&bsSkinButton23, "bsSkinButton23", "设置", 177}, {&bsSkinButton17, "bsSkinButton17", "全屏", 177},
    };
    for (const Button& d : buttons)
    {
        auto* b = Skinned<TbsSkinButton>(this, bsSkinPanel3, d.name, bsSkinData1);
        b->SetBounds(d.left, 186, 30, 30);
        b->SetHint(d.hint);
        b->SetCanFocused(false);
        *d.field = b;
    }
    bsSkinButton20->SetVisible(false);
    bsSkinButton17->SetVisible(false);
    // The preview screen lies on the form itself, over the group.
    Panel6 = Make<TPanel>(this, this, "Panel6");
    Panel6->SetBounds(581, 323, 200, 124);
    Panel6->SetColor(clBtnText);
    Panel6->SetParentColor(false);
    Panel6->SetBevelOuter(bvNone);
    Panel6->SetCaption("");
}

void TForm1::BuildOffscreen()
{
    using unit1::kOffscreenLeft;
    Panel1 = Make<TPanel>(this, this, "Panel1");
    Panel1->SetBounds(kOffscreenLeft, 8, 240, 260);
    Panel3 = Make<TPanel>(this, this, "Panel3");
    Panel3->SetBounds(kOffscreenLeft + 250, 8, 240, 320);
    Panel4 = Make<TPanel>(this, this, "Panel4");
    Panel4->SetBounds(kOffscreenLeft, 280, 240, 120);
    Panel5 = Make<TPanel>(this, this, "Panel5");
    Panel5->SetBounds(kOffscreenLeft, 410, 240, 120);

    struct Plain
    {
        TButton** field;
        const char* name;
        const char* caption;
        bool enabled;
    };
    int top = 4;
    for (const Plain& p : {Plain{&btnAdd, "btnAdd", "Open添加一个文件", true}, Plain{&btnStart, "btnStart", "Start", false},
                           Plain{&btnStop, "btnStop", "Stop", false}, Plain{&btnPause, "btnPause", "Pause", false},
                           Plain{&btnResume, "btnResume", "Resume", false}, Plain{&btnRemove, "btnRemove", "Remove", false},
                           Plain{&btnClear, "btnClear", "Clear", false}})
    {
        auto* b = Make<TButton>(this, Panel1, p.name);
        b->SetCaption(p.caption);
        b->SetBounds(4, top, 110, 24);
        b->SetEnabled(p.enabled);
        b->SetTabStop(false);
        *p.field = b;
        top += 26;
    }
    mmoLog = Make<TLogMemo>(this, Panel1, "mmoLog");
    mmoLog->SetBounds(120, 4, 110, 180);
    auto check = [this](TWinControl* parent, const char* name, const char* caption, int left, int top, bool checked) {
        auto* c = Make<TbsSkinCheckRadioBox>(this, parent, name);
        c->SetCaption(caption);
        c->SetBounds(left, top, 110, 20);
        c->SetChecked(checked);
        c->SetCanFocused(false);
        return c;
    };
    chkThreadMode = check(Panel1, "chkThreadMode", "Thread Mode", 4, 190, true);
    chkPreview = check(Panel1, "chkPreview", "Preview", 4, 212, false);

    chkOpenPaused = check(Panel3, "chkOpenPaused", "Open Paused", 4, 4, true);
    chkStayOnTop = check(Panel3, "chkStayOnTop", "Stay On Top", 4, 26, false);
    auto combo = [this](const char* name, int top, std::initializer_list<const char*> items) {
        auto* c = Make<TComboBox>(this, Panel3, name);
        c->SetBounds(4, top, 110, 22);
        c->SetTabStop(false);
        for (const char* i : items) c->Items()->Add(i);
        if (c->Items()->Count() > 0) c->SetItemIndex(0);
        return c;
    };
    cboVideoDriver = combo("cboVideoDriver", 50, {"Default", "DDraw", "GDI"});
    cboAudioDriver = combo("cboAudioDriver", 76, {"Default", "DSound", "waveOut"});
    cboScreens = combo("cboScreens", 102, {});
    cboVideo = combo("cboVideo", 128, {});
    cboAudio = combo("cboAudio", 154, {});
    cboSubtitle = combo("cboSubtitle", 180, {});
    TrackBar2 = Make<TbsSkinSlider>(this, Panel3, "TrackBar2");
    TrackBar2->SetBounds(4, 206, 150, 30);
    TrackBar2->SetMinValue(0);
    TrackBar2->SetMaxValue(128);
    TrackBar2->SetValue(128);
    Label2 = Make<TLabel>(this, Panel3, "Label2");
    Label2->SetBounds(4, 240, 100, 16);
    Label2->SetCaption("N/A");
    Label3 = Make<TLabel>(this, Panel3, "Label3");
    Label3->SetBounds(110, 240, 100, 16);
    Label3->SetCaption("N/A");
    btnCapture = Make<TButton>(this, Panel3, "btnCapture");
    btnCapture->SetCaption("Capture");
    btnCapture->SetBounds(4, 262, 110, 24);
    btnCapture->SetTabStop(false);

    ListBox1 = Make<TListBox>(this, Panel4, "ListBox1");
    ListBox1->SetBounds(4, 4, 150, 80);
    ListBox1->SetTabStop(false);
    ProgressBar1 = Make<TOffscreenProgress>(this, Panel4, "ProgressBar1");
    ProgressBar1->SetBounds(4, 90, 150, 16);

    for (int n = 2; n <= 17; ++n)
    {
        const std::string name = "Image" + std::to_string(n);
        TImage* im = Make<TImage>(this, Panel5, name.c_str());
        im->SetBounds(4 + ((n - 2) % 8) * 28, 4 + ((n - 2) / 8) * 28, 24, 24);
        Images[static_cast<std::size_t>(n)] = im;
    }

    edt = Make<TEdit>(this, this, "edt");
    edt->SetBounds(kOffscreenLeft, 540, 120, 21);
    edt->SetBorderStyle(bsNone);
    edt->SetVisible(false);
}

void TForm1::Wire()
{
    auto click = [](TControl* c, std::function<void()> f) { c->OnClick = [f = std::move(f)](TObject*) { f(); }; };
    auto item = [](TMenuItem* mi, std::function<void()> f) { mi->OnClick = [f = std::move(f)](TObject*) { f(); }; };
    auto button = [](TbsSkinButton* b, std::function<void()> f) { b->OnClick = [f = std::move(f)](TObject*) { f(); }; };

    // The plain buttons hold the operations; the tool bar and the menus click them.
    click(btnAdd, [this] { AddOneFile(); });
    click(btnStart, [this] { StartBatch(); });
    click(btnStop, [this] { StopBatch(); });
    click(btnPause, [this] { PauseBatch(); });
    click(btnResume, [this] { ResumeBatch(); });
    click(btnRemove, [this] { RemoveJob(); });
    click(btnClear, [this] { ClearJobs(); });

    for (TMenuItem* mi : {Item111, N11111}) item(mi, [this] { btnAdd->Click(); });
    for (TMenuItem* mi : {Item121, N2222}) item(mi, [this] { AddSeveralFiles(); });
    for (TMenuItem* mi : {N21, N3331}) item(mi, [this] { AddFolder(); });
    item(N4, [this] { Close(); });
    item(N16, [this] { MoveJobUp(); });
    item(N17, [this] { MoveJobDown(); });
    item(N13, [this] { btnRemove->Click(); });
    item(N14, [this] { btnClear->Click(); });
    item(N26, [this] { StartRename(); });
    item(N7, [this] { btnStart->Click(); });
    item(N8, [this] { btnStop->Click(); });
    item(N10, [this] { PauseFromButton(); });
    item(N11, [this] { ResumeFromButton(); });
    item(N24, [this] { ShowOptions(); });
    item(N23, [this] { ChooseSkin(); });
    item(N15, [this] { OpenHelp(); });
    item(N19, [this] { OpenWebSite(); });
    item(N5, [this] { ShowAbout(); });

    button(bsSkinButton7, [this] { btnRemove->Click(); });
    button(bsSkinButton8, [this] { btnClear->Click(); });
    button(bsSkinButton2, [this] { btnStart->Click(); });
    button(bsSkinButton10, [this] { btnStop->Click(); });
    button(bsSkinButton11, [this] { PauseFromButton(); });
    button(bsSkinButton12, [this] { ResumeFromButton(); });
    button(bsSkinButton19, [this] { ShowOptions(); });
    button(bsSkinButton9, [this] { ChooseSkin(); });
    button(bsSkinButton3, [this] { MoveJobUp(); });
    button(bsSkinButton4, [this] { MoveJobDown(); });
    button(bsSkinButton21, [this] { StartRename(); });
    button(bsSkinButton5, [this] { ChooseOutputFolder(); });
    button(bsSkinButton6, [this] {
        OpenOutputFolder();
        if (lvFiles->CanFocus()) lvFiles->SetFocus();
    });
    click(Video_OutPut_Folder_Edit, [this] {
        if (lvFiles->CanFocus()) lvFiles->SetFocus();
    });

    bsSkinOfficeComboBox2->OnChange = [this](TObject* s) { bsSkinOfficeComboBox2Change(s); };
    bsSkinOfficeComboBox1->OnChange = [this](TObject* s) { bsSkinOfficeComboBox1Change(s); };
    for (TbsSkinComboBox* b : ParamBoxes()) b->OnChange = [this, b](TObject*) { ParameterBoxChange(b); };

    button(bsSkinButton13, [this] { PreviewPlay(); });
    button(bsSkinButton14, [this] { PreviewPause(); });
    button(bsSkinButton15, [this] { PreviewRewind(); });
    button(bsSkinButton16, [this] { PreviewMute(); });
    button(bsSkinButton20, [this] { PreviewUnmute(); });
    button(bsSkinButton22, [this] { Snapshot(); });
    button(bsSkinButton23, [this] { SnapshotMenu(); });
    chkPreview->OnClick = [this](TObject*) { FFConv->SetPreview(chkPreview->Checked()); };

    bsSkinForm1->OnAfterChangeSkinData = [this](TObject*) { SkinChanged(); };
    WireJobList();
    WirePreview();
}
