// The main window's two settings: the output folder ("OutPath") and the
// skin index ("SetSkin").
#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

namespace {

std::string WithoutTrailingDelimiter(const std::string& folder)
{
    return folder.size() > 1 ? sys::ExcludeTrailingPathDelimiter(folder) : folder;
}

}  // namespace

void TForm1::ReadOutputFolder()
{
    TOptionFile& file = OptionFile();
    std::string folder = file.Exists() ? WithoutTrailingDelimiter(file.Read("OutPath", "OutPath")) : "";
    if (!folder.empty())
    {
        // A stored folder that cannot serve gives way to the default for this
        // session; the stored value stays for the user to see and change.
        if (folder[0] != '/')
        {
            file.AddNotice("输出目录“" + folder + "”不是完整路径，已改用默认输出目录。");
            folder = file.DefaultOutputFolder();
            if (!sys::ForceDirectories(folder)) file.AddNotice("无法创建默认输出目录“" + folder + "”。");
        }
        else if (!sys::ForceDirectories(folder))
        {
            file.AddNotice("无法创建输出目录“" + folder + "”，已改用默认输出目录。");
            folder = file.DefaultOutputFolder();
            if (!sys::ForceDirectories(folder)) file.AddNotice("无法创建默认输出目录“" + folder + "”。");
        }
    }
    else
    {
        folder = file.DefaultOutputFolder();
        if (!sys::ForceDirectories(folder)) file.AddNotice("无法创建默认输出目录“" + folder + "”。");
        file.Write("OutPath", "OutPath", folder);
    }
    Video_OutPut_Folder_Edit->SetText(folder);
    FileOutPutPath = folder;
}

void TForm1::WriteOutputFolder()
{
    if (sys::DirectoryExists(FileOutPutPath)) OptionFile().Write("OutPath", "OutPath", FileOutPutPath);
}

void TForm1::ReadSkinIndex()
{
    TOptionFile& file = OptionFile();
    int index = 0;
    const bool stored =
        file.Exists() && StoredSkinIndex(file.Read("Skin", "SetSkin"), bsCompressedSkinList1->Count(), index);
    if (!stored)
    {
        index = 0;
        file.Write("Skin", "SetSkin", "0");
    }
    FGlyphsPainted = false;
    try
    {
        // Without its list the store only takes the index; linking the list
        // loads that skin (once).
        if (!bsSkinData1->SkinList()) bsSkinData1->SetSkinIndex(index);
        if (!bsSkinData1->SkinList())
        {
            // The start-up may have decoded this skin already.
            bsCompressedSkinList1->Item(index)->Skin()->SetDecodedAhead(TakeSkinDecodedAhead(index));
            bsSkinData1->SetSkinList(bsCompressedSkinList1);
        }
        bsSkinData1->SetSkinIndex(index);
    }
    catch (const std::exception& e)
    {
        file.AddNotice(std::string("无法载入皮肤：") + e.what());
    }
    // The window takes the skin's pictures even when it had no window of its
    // own to hear the change on.
    if (!FGlyphsPainted) SkinChanged();
}

bool TForm1::StoredSkinIndex(const std::string& stored, int count, int& index)
{
    int n = 0;
    if (!TryStrToInt(Trim(stored), n) || n < 0 || n >= count) return false;
    index = n;
    return true;
}

void TForm1::WriteSkinIndex() { OptionFile().Write("Skin", "SetSkin", IntToStr(bsSkinData1->SkinIndex())); }
