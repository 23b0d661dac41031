#include "tools/programgallery/ProgramGallery.h"

#include <algorithm>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "platform/testing/Driver.h"

namespace programgallery {

bool RenderSkin(TTestDriver& driver, int skin, const std::string& png)
{
    Form1->bsSkinData1->SetSkinIndex(skin);
    for (TForm* f : std::initializer_list<TForm*>{Form1, Form2, Form5})
        if (!f->GetVisible()) f->Show();
    Form1->SetBounds(10, 10, Form1->Width(), Form1->Height());
    Form2->SetBounds(Form1->Left() + Form1->Width() + 10, 10, Form2->Width(), Form2->Height());
    Form5->SetBounds(Form2->Left() + Form2->Width() + 10, 10, Form5->Width(), Form5->Height());
    Form1->BringToFront();
    driver.PumpUntilIdle();
    const int right = Form5->Left() + Form5->Width() + 10;
    const int bottom = std::max(Form1->Top() + Form1->Height(), Form5->Top() + Form5->Height()) + 10;
    return driver.Snapshot(png, TRect(0, 0, right, bottom));
}

void FillJobList(TTestDriver& driver, const std::vector<std::string>& files, int renamed)
{
    Form1->AddFiles(files);
    if (renamed < Form1->lvFiles->Items()->Count())
    {
        Form1->lvFiles->SetItemIndex(renamed);
        Form1->StartRename();
    }
    driver.PumpUntilIdle();
}

}  // namespace programgallery
