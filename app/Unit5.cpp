#include "app/Unit5.h"

#include "app/OptionFile.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "platform/core/Utf8.h"

using unit1::Make;

TForm5* Form5 = nullptr;

namespace {

constexpr int kWidth = 561, kHeight = 537;
constexpr const char* kSection = "Options";

// The index of a stored "0" … "<count-1>"; -1 for anything else.
int StoredChoice(const std::string& value, int count)
{
    int v = -1;
    return TryStrToInt(value, v) && IntToStr(v) == value && v >= 0 && v < count ? v : -1;
}

}  // namespace

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner)
{
    SetName("Form5");
    SetCaption("选项");
    SetBorderStyle(bsSingle);
    SetBorderIcons(TBorderIcons{});
    SetPosition(poMainFormCenter);
    Font()->SetName("MS Sans Serif");
    TbsSkinData* sd = Form1 ? Form1->bsSkinData1 : nullptr;

    bsSkinForm1 = Make<TbsSkinForm>(this, nullptr, "bsSkinForm1");
    TbsBorderIcons icons;
    icons.SystemMenu = icons.Minimize = icons.Maximize = icons.RollUp = false;
    bsSkinForm1->SetBorderIcons(icons);
    bsSkinForm1->SetSkinData(sd);
    bsSkinForm1->SetMenusSkinData(sd);
    bsSkinForm1->OnAfterChangeSkinData = [this](TObject*) { SetClientSize(kWidth, kHeight); };
    bsSkinMessage1 = Make<TbsSkinMessage>(this, nullptr, "bsSkinMessage1");
    bsSkinMessage1->SetSkinData(sd);
    bsSkinMessage1->SetCtrlSkinData(sd);

    auto group = [this, sd](const char* name, const char* caption, int l, int t, int w, int h) {
        auto* g = Make<TbsSkinGroupBox>(this, this, name);
        g->SetSkinData(sd);
        g->SetCaption(caption);
        g->SetBounds(l, t, w, h);
        return g;
    };
    auto box = [this, sd](TWinControl* parent, const char* name, const char* caption, bool radio, int l, int t,
                          int w) {
        auto* b = Make<TbsSkinCheckRadioBox>(this, parent, name);
        b->SetSkinData(sd);
        b->SetRadio(radio);
        // Radios of one group box uncheck each other.
        if (radio) b->GroupIndex = 1;
        b->SetCaption(caption);
        b->SetBounds(l, t, w, 20);
        return b;
    };
    bsSkinGroupBox1 = group("bsSkinGroupBox1", "转换工作完成后", 43, 25, 235, 176);
    bsSkinCheckRadioBox1 = box(bsSkinGroupBox1, "bsSkinCheckRadioBox1", "自动打开输出文件夹", true, 24, 38, 190);
    bsSkinCheckRadioBox2 = box(bsSkinGroupBox1, "bsSkinCheckRadioBox2", "自动关闭计算机", true, 24, 70, 190);
    bsSkinCheckRadioBox4 = box(bsSkinGroupBox1, "bsSkinCheckRadioBox4", " 播放提示音乐", true, 24, 102, 190);
    bsSkinCheckRadioBox5 = box(bsSkinGroupBox1, "bsSkinCheckRadioBox5", "不进行任何操作", true, 24, 134, 190);
    bsSkinCheckRadioBox1->SetChecked(true);

    bsSkinGroupBox2 = group("bsSkinGroupBox2", "如果输出文件存在时", 297, 25, 225, 175);
    bsSkinCheckRadioBox3 = box(bsSkinGroupBox2, "bsSkinCheckRadioBox3", "直接覆盖输出文件", true, 24, 54, 180);
    bsSkinCheckRadioBox6 = box(bsSkinGroupBox2, "bsSkinCheckRadioBox6", "自动重命名输出文件", true, 24, 102, 180);
    bsSkinCheckRadioBox6->SetChecked(true);

    bsSkinGroupBox3 = group("bsSkinGroupBox3", "转换参数", 43, 207, 479, 116);
    Label1 = Make<TbsSkinStdLabel>(this, bsSkinGroupBox3, "Label1");
    Label1->SetSkinData(sd);
    Label1->SetCaption("程序最大运行线程数--（同时进行转换的文件个数）");
    Label1->SetLeft(24);
    Label1->SetTop(36);
    bsSkinComboBox2 = Make<TbsSkinComboBox>(this, bsSkinGroupBox3, "bsSkinComboBox2");
    bsSkinComboBox2->SetSkinData(sd);
    bsSkinComboBox2->SetStyle(bscbFixedStyle);
    bsSkinComboBox2->SetBounds(340, 32, 80, 22);
    bsSkinComboBox2->SetDropDownCount(10);
    for (int i = 1; i <= 19; ++i) bsSkinComboBox2->Items()->Add(IntToStr(i));
    bsSkinComboBox2->SetItemIndex(0);
    bsSkinCheckRadioBox8 = box(bsSkinGroupBox3, "bsSkinCheckRadioBox8", "转换时进行实时视频预览", false, 24, 74, 260);
    bsSkinCheckRadioBox7 =
        box(bsSkinGroupBox3, "bsSkinCheckRadioBox7", "启用多线程模式   （同时进行转换的视频个数）", false, 500, 74, 300);
    bsSkinCheckRadioBox7->SetChecked(true);
    bsSkinCheckRadioBox7->SetVisible(false);

    bsSkinGroupBox4 = group("bsSkinGroupBox4", "转换时CPU利用方式", 43, 329, 479, 116);
    bsSkinCheckRadioBox9 = box(bsSkinGroupBox4, "bsSkinCheckRadioBox9", "系统空闲时进行", true, 24, 38, 200);
    bsSkinCheckRadioBox10 = box(bsSkinGroupBox4, "bsSkinCheckRadioBox10", "最低优先级进行", true, 250, 38, 200);
    bsSkinCheckRadioBox11 = box(bsSkinGroupBox4, "bsSkinCheckRadioBox11", "较低优先级进行", true, 24, 74, 200);
    bsSkinCheckRadioBox12 = box(bsSkinGroupBox4, "bsSkinCheckRadioBox12", "正常优先级进行", true, 250, 74, 200);
    bsSkinCheckRadioBox12->SetChecked(true);

    auto button = [this, sd](const char* name, const char* caption, int l) {
        auto* b = Make<TbsSkinButton>(this, this, name);
        b->SetSkinData(sd);
        b->SetCaption(caption);
        b->SetBounds(l, 481, 80, 25);
        return b;
    };
    bsSkinButton6 = button("bsSkinButton6", "确定", 336);
    bsSkinButton6->SetDefault(true);
    bsSkinButton1 = button("bsSkinButton1", "取消", 431);
    bsSkinButton1->Cancel = true;
    bsSkinButton6->OnClick = [this](TObject*) { Confirm(); };
    bsSkinButton1->OnClick = [this](TObject*) { CancelChanges(); };
    bsSkinCheckRadioBox7->OnClick = [this](TObject*) {
        bsSkinComboBox2->SetEnabled(bsSkinCheckRadioBox7->Checked());
    };
    bsSkinCheckRadioBox8->OnClick = [this](TObject*) {
        if (Form1) Form1->FFConv->SetPreview(bsSkinCheckRadioBox8->Checked());
    };
    SetClientSize(kWidth, kHeight);
    ReadOptions();
}

std::array<TbsSkinCheckRadioBox*, 4> TForm5::AfterDoneRadios() const
{
    return {bsSkinCheckRadioBox1, bsSkinCheckRadioBox2, bsSkinCheckRadioBox4, bsSkinCheckRadioBox5};
}

std::array<TbsSkinCheckRadioBox*, 4> TForm5::PriorityRadios() const
{
    return {bsSkinCheckRadioBox9, bsSkinCheckRadioBox10, bsSkinCheckRadioBox11, bsSkinCheckRadioBox12};
}

void TForm5::ReadOptions()
{
    TOptionFile& file = OptionFile();
    if (!file.Exists())
    {
        file.Write(kSection, "Thread_Count", "0");
        file.Write(kSection, "After_Done", "0");
        file.Write(kSection, "Show_Preview", "0");
        file.Write(kSection, "Thread_Priority", "3");
        file.Write(kSection, "Overwrite_File", "1");
        bsSkinComboBox2->SetItemIndex(0);
        bsSkinCheckRadioBox1->SetChecked(true);
        bsSkinCheckRadioBox8->SetChecked(false);
        bsSkinCheckRadioBox12->SetChecked(true);
        bsSkinCheckRadioBox6->SetChecked(true);
        return;
    }
    // "0" and "1" mean one thread; "2" … "19" are shown as they are.
    const int threads = StoredChoice(file.Read(kSection, "Thread_Count"), 20);
    bsSkinComboBox2->SetItemIndex(threads > 1 ? threads - 1 : 0);
    if (threads < 0) file.Write(kSection, "Thread_Count", "0");

    const int after = StoredChoice(file.Read(kSection, "After_Done"), 4);
    AfterDoneRadios()[static_cast<std::size_t>(after < 0 ? 0 : after)]->SetChecked(true);
    if (after < 0) file.Write(kSection, "After_Done", "0");

    const int priority = StoredChoice(file.Read(kSection, "Thread_Priority"), 4);
    PriorityRadios()[static_cast<std::size_t>(priority < 0 ? 3 : priority)]->SetChecked(true);
    if (priority < 0) file.Write(kSection, "Thread_Priority", "3");

    const int overwrite = StoredChoice(file.Read(kSection, "Overwrite_File"), 2);
    (overwrite == 0 ? bsSkinCheckRadioBox3 : bsSkinCheckRadioBox6)->SetChecked(true);
    if (overwrite < 0) file.Write(kSection, "Overwrite_File", "1");

    // Setting the box runs its click handler: the choice reaches the preview.
    const int preview = StoredChoice(file.Read(kSection, "Show_Preview"), 2);
    bsSkinCheckRadioBox8->SetChecked(preview == 1);
    if (preview < 0) file.Write(kSection, "Show_Preview", "0");
}

void TForm5::WriteOptions()
{
    TOptionFile& file = OptionFile();
    auto checkedIndex = [](const std::array<TbsSkinCheckRadioBox*, 4>& radios) {
        for (std::size_t i = 0; i < radios.size(); ++i)
            if (radios[i]->Checked()) return int(i);
        return -1;
    };
    if (bsSkinCheckRadioBox7->Checked()) file.Write(kSection, "Thread_Count", bsSkinComboBox2->GetText());
    if (int a = checkedIndex(AfterDoneRadios()); a >= 0) file.Write(kSection, "After_Done", IntToStr(a));
    file.Write(kSection, "Show_Preview", bsSkinCheckRadioBox8->Checked() ? "1" : "0");
    if (int p = checkedIndex(PriorityRadios()); p >= 0) file.Write(kSection, "Thread_Priority", IntToStr(p));
    file.Write(kSection, "Overwrite_File", bsSkinCheckRadioBox3->Checked() ? "0" : "1");
}

std::array<TbsSkinCheckRadioBox*, 12> TForm5::AllBoxes() const
{
    return {bsSkinCheckRadioBox1, bsSkinCheckRadioBox2, bsSkinCheckRadioBox3,  bsSkinCheckRadioBox4,
            bsSkinCheckRadioBox5, bsSkinCheckRadioBox6, bsSkinCheckRadioBox7,  bsSkinCheckRadioBox8,
            bsSkinCheckRadioBox9, bsSkinCheckRadioBox10, bsSkinCheckRadioBox11, bsSkinCheckRadioBox12};
}

void TForm5::DoShow()
{
    const auto boxes = AllBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) FShown.checked[i] = boxes[i]->Checked();
    FShown.threadIndex = bsSkinComboBox2->ItemIndex();
    FHaveShown = true;
    TForm::DoShow();
}

void TForm5::Confirm()
{
    WriteOptions();
    SetModalResult(mrOk);
    if (!Modal()) Close();
}

void TForm5::CancelChanges()
{
    const auto boxes = AllBoxes();
    if (!FHaveShown)
    {
        SetModalResult(mrCancel);
        if (!Modal()) Close();
        return;
    }
    // Checked radios first, so that restoring one never unchecks another
    // that is restored after it.
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (FShown.checked[i]) boxes[i]->SetChecked(true);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (!FShown.checked[i] && boxes[i]->Checked()) boxes[i]->SetChecked(false);
    bsSkinComboBox2->SetItemIndex(FShown.threadIndex);
    SetModalResult(mrCancel);
    if (!Modal()) Close();
}
