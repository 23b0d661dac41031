// The options window TForm5 (instance Form5): what to do after a batch, what
// to do with an existing output file, the thread count, the live preview
// and the CPU priority. Its controls hold the live values that the batch
// reads; they are read from the "Options" section of the settings file when
// the window is made and written back by "确定".
#pragma once
#include <array>

#include "lib/bsMessages.h"
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinForm.h"
#include "platform/gui/Forms.h"

class TForm5 : public TForm
{
public:
    explicit TForm5(TComponent* AOwner);

    TbsSkinForm* bsSkinForm1 = nullptr;
    TbsSkinMessage* bsSkinMessage1 = nullptr;
    TbsSkinGroupBox* bsSkinGroupBox1 = nullptr;  // "转换工作完成后"
    TbsSkinGroupBox* bsSkinGroupBox2 = nullptr;  // "如果输出文件存在时"
    TbsSkinGroupBox* bsSkinGroupBox3 = nullptr;  // "转换参数"
    TbsSkinGroupBox* bsSkinGroupBox4 = nullptr;  // "转换时CPU利用方式"
    // After the batch: open the folder, shut down, play the sound, nothing.
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox1 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox2 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox4 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox5 = nullptr;
    // An existing output file: overwrite it, or rename the new one.
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox3 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox6 = nullptr;
    TbsSkinStdLabel* Label1 = nullptr;
    TbsSkinComboBox* bsSkinComboBox2 = nullptr;          // thread count "1" … "19"
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox8 = nullptr;  // live preview
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox7 = nullptr;  // multi-thread mode, invisible
    // CPU priority: idle, lowest, lower, normal.
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox9 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox10 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox11 = nullptr;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox12 = nullptr;
    TbsSkinButton* bsSkinButton6 = nullptr;  // "确定"
    TbsSkinButton* bsSkinButton1 = nullptr;  // "取消"

    // The "Options" section into the controls, and back.
    void ReadOptions();
    void WriteOptions();
    // "确定": writes, then closes. "取消": the controls (and the live
    // preview) as they were when the window opened; the file unchanged.
    void Confirm();
    void CancelChanges();

    // The radio groups in the order of their stored values "0", "1" …
    std::array<TbsSkinCheckRadioBox*, 4> AfterDoneRadios() const;
    std::array<TbsSkinCheckRadioBox*, 4> PriorityRadios() const;

protected:
    void DoShow() override;

private:
    struct TShown
    {
        std::array<bool, 12> checked{};
        int threadIndex = 0;
    };
    std::array<TbsSkinCheckRadioBox*, 12> AllBoxes() const;
    TShown FShown;
    bool FHaveShown = false;
};

extern TForm5* Form5;
