// The settings window "设置选项": a second output-format chooser with its own
// twelve categories, 109 presets and parameter lists (SettingsData.h). It is
// made at start-up after the options window, takes every skin change from the
// main window's skin store and is never shown by the program; making it leaves
// preset key 100 and a cleared video-disabled flag in the main window's option
// state. OK fills the option state from the chosen preset and the six boxes.
//
// Its handlers call one another by clicking the plain buttons on Panel1, as
// the window's layout binds them; clicking a button runs its handler at once.
//
// The parts: Unit6/Form.cpp (the layout and pictures), Unit6/Handlers.cpp
// (the handlers), Unit6/SettingsData.cpp (the tables).
#pragma once
#include <functional>
#include <string>

#include "Src/FFConverter.h"
#include "app/Unit6/SettingsData.h"
#include "app/catalogue/Catalogue.h"
#include "app/catalogue/Pictures.h"
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinExCtrls.h"
#include "lib/bsSkinForm.h"
#include "lib/bsSkinTabs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

// What the window reads and writes of the main window and the options window.
struct TSettingsHost
{
    catalogue::OptionState& State;            // the main window's option state
    TbsSkinData* SkinData = nullptr;          // the main window's skin store
    std::function<std::string()> OutputFolder;  // the text of the output-folder edit
    std::function<bool()> Overwrite;          // "直接覆盖输出文件" is checked
};

class TForm6 : public TForm
{
public:
    // Builds the window; its OnCreate (the start-up run) fires in
    // AfterConstruction, as for every form the application creates.
    TForm6(TComponent* AOwner, TSettingsHost AHost);

    TbsSkinForm* bsSkinForm1;
    TbsSkinPanel* bsSkinPanel2;
    TbsSkinTextLabel* bsSkinTextLabel5;
    TbsSkinOfficeComboBox* bsSkinOfficeComboBox2;  // categories
    TbsSkinOfficeComboBox* bsSkinOfficeComboBox1;  // presets
    TbsSkinButton* bsSkinButton1;
    TbsSkinPageControl* bsSkinPageControl1;
    TbsSkinTabSheet* bsSkinTabSheet1;
    TbsSkinTabSheet* bsSkinTabSheet2;
    TbsSkinTabSheet* 滤镜设置;
    TbsSkinTabSheet* bsSkinTabSheet3;
    // The six parameter boxes and their labels on the first page.
    TbsSkinComboBox* bsSkinComboBox1;   // frame size
    TbsSkinComboBox* bsSkinComboBox2;   // video bit rate
    TbsSkinComboBox* bsSkinComboBox9;   // frame rate
    TbsSkinComboBox* bsSkinComboBox4;   // aspect mode
    TbsSkinComboBox* bsSkinComboBox3;   // audio bit rate
    TbsSkinComboBox* bsSkinComboBox10;  // sample rate
    TbsSkinTextLabel* bsSkinTextLabel3;
    TbsSkinTextLabel* bsSkinTextLabel2;
    TbsSkinTextLabel* bsSkinTextLabel6;
    TbsSkinTextLabel* bsSkinTextLabel9;
    TbsSkinTextLabel* bsSkinTextLabel4;
    TbsSkinTextLabel* bsSkinTextLabel7;
    TbsSkinButton* bsSkinButton2;  // 确定
    TbsSkinButton* bsSkinButton3;  // 取消
    TPanel* Panel1;
    TButton* Button6;
    TButton* Button5;
    TButton* Button7;
    TButton* Button2;
    TButton* Button13;
    TButton* Button11;
    TButton* Button18;
    TImage* Image1;
    TFFConverter* FFConv;
    TImageList* ImageList1;
    TImageList* ImageList2;

    void FormCreate(TObject* Sender);
    void bsSkinOfficeComboBox2Change(TObject* Sender);
    void bsSkinOfficeComboBox1Click(TObject* Sender);
    void bsSkinButton2Click(TObject* Sender);  // OK
    void bsSkinButton3Click(TObject* Sender);  // Cancel
    // Lists the chosen category's presets and selects the first.
    void Button2Click(TObject* Sender);
    // Writes the chosen preset's option block and output name.
    void Button5Click(TObject* Sender);
    // Resets the option state.
    void Button6Click(TObject* Sender);
    // Copies the six boxes into the option state; a bit-rate box showing no
    // number raises EConvertError (the fields before it are written).
    void Button13Click(TObject* Sender);
    // Fills the six boxes for the chosen preset and records its key.
    void Button18Click(TObject* Sender);

    // The preset key of the two boxes' choice: (category + 1) * 100 + preset.
    int PresetKey() const;
    // The six boxes in catalogue::ParamBox order.
    TbsSkinComboBox* ParamBox(catalogue::ParamBox b) const;

private:
    TSettingsHost FHost;
};

extern TForm6* Form6;

namespace unit6 {
const Preset* FindPreset(int key);
const OptionBlock* FindOptionBlock(int key);
const ParamRow* FindParamRow(int key);
// The window's category picture (32 x 32, 0xAARRGGBB rows).
catalogue::Picture CategoryPicture(int category);
}  // namespace unit6
