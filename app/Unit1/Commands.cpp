// The main window's commands: the output folder, the skin chooser, help, the
// web site, the about box, the options window, the pause and resume tool
// buttons, and skin changes.
#include "app/OptionFile.h"
#include "app/Product.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"

void TForm1::Inform(const std::string& text) { bsSkinMessage1->MessageDlg2(text, "提示", mtInformation, {mbOK}, 0); }

void TForm1::ChooseOutputFolder()
{
    bsSkinSelectDirectoryDialog2->Directory = FileOutPutPath;
    // Only a confirmed choice of an existing folder changes anything.
    if (!bsSkinSelectDirectoryDialog2->Execute()) return;
    const std::string folder = bsSkinSelectDirectoryDialog2->Directory;
    if (!sys::DirectoryExists(folder)) return;
    Video_OutPut_Folder_Edit->SetText(folder);
    FileOutPutPath = folder;
    WriteOutputFolder();
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::OpenOutputFolder()
{
    const std::string folder = Video_OutPut_Folder_Edit->GetText();
    if (!sys::DirectoryExists(folder))
        Inform("输出目录“" + folder + "”不存在。");
    else if (!sys::OpenWithSystem(folder))
        Inform("无法打开输出目录：没有找到桌面的打开程序（xdg-open）。");
}

void TForm1::ChooseSkin()
{
    if (bsSelectSkinDialog1->Execute(bsSkinData1->SkinIndex()))
    {
        try
        {
            bsSkinData1->SetSkinIndex(bsSelectSkinDialog1->SelectedSkinIndex());
        }
        catch (const std::exception& e)
        {
            Inform(std::string("无法载入皮肤：") + e.what());
        }
    }
    WriteSkinIndex();
}

void TForm1::OpenHelp()
{
    const std::string page = sys::IncludeTrailingPathDelimiter(OptionFile().Places().ProgramFolder) +
                             product::kHelpFolder + "/" + product::kHelpIndex;
    if (!sys::FileExists(page))
        Inform("找不到帮助文件“" + page + "”。");
    else if (!sys::OpenWithSystem(page))
        Inform("无法打开帮助：没有找到桌面的打开程序（xdg-open）。");
}

void TForm1::OpenWebSite()
{
    if (!sys::OpenWithSystem(product::kWebSite)) Inform("无法打开网站：没有找到桌面的打开程序（xdg-open）。");
}

void TForm1::ShowAbout()
{
    if (Form2) Form2->ShowModal();
}

void TForm1::ShowOptions()
{
    if (Form5) Form5->ShowModal();
}

void TForm1::PauseFromButton()
{
    btnPause->Click();
    bsSkinButton11->Hide();
    bsSkinButton12->Show();
}

void TForm1::ResumeFromButton()
{
    btnResume->Click();
    bsSkinButton12->Hide();
    bsSkinButton11->Show();
}

void TForm1::SkinChanged()
{
    // The client area keeps its size whatever the new frame's thickness.
    SetClientSize(unit1::kClientWidth, unit1::kClientHeight);
    PaintGlyphs();
    FGlyphsPainted = true;
    PlaceRenameEditor();
}
