// Selecting a row: its category, preset and six parameter choices go back
// into the boxes, and its file into the preview panel. Putting the choices
// back writes nothing into the row: the boxes' handlers see no selected row
// meanwhile, so the row keeps exactly the columns it had.
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "platform/core/Utf8.h"

#include <utility>

void TForm1::JobSelected()
{
    if (FRestoringJob || FAddingFiles) return;
    const int r = lvFiles->GetItemIndex();
    if (r < 0) return;
    // A row without readable codes leaves the boxes as they are.
    int code = 0;
    if (!TryStrToInt(JobColumn(r, unit1::kColCategory), code)) return;
    const auto choice = catalogue::DecodeCategoryCode(code);
    const auto indexes = catalogue::DecodeOptionCode(JobColumn(r, unit1::kColOptionCode));
    if (!choice || !indexes) return;
    {
        FRestoringJob = true;
        struct TEnd
        {
            bool& flag;
            ~TEnd() { flag = false; }
        } end{FRestoringJob};
        bsSkinOfficeComboBox2->SetItemIndex(choice->category);
        bsSkinOfficeComboBox1->SetItemIndex(choice->presetIndex);
        // In the order frame size, video bit rate, audio bit rate, aspect,
        // frame rate, sample rate.
        for (const catalogue::ParamBox b : {catalogue::pbFrameSize, catalogue::pbVideoBitrate, catalogue::pbAudioBitrate,
                                            catalogue::pbAspect, catalogue::pbFrameRate, catalogue::pbSampleRate})
            ParamBoxes()[b]->SetItemIndex((*indexes)[b]);
    }
    bsSkinSlider1->SetValue(0);
    T_Movie_PLayer_FileName = JobColumn(r, 0);
    OpenPreview();
}
