// What the dialogs share: UI texts, tool buttons, new folders, the frame
// settings and the client size of a run.
#include <algorithm>
#include <cerrno>

#include "lib/bsDialogs/Internal.h"
#include "lib/bsSkinValidate.h"
#include "platform/sys/Files.h"

namespace bsdialogs
{
std::string Text(TbsSkinData* SD, const char* Key, const char* BuiltIn)
{
    TbsResourceStrData* t = SD ? SD->ResourceStrData() : nullptr;
    return t ? t->GetResStr(Key) : std::string(BuiltIn);
}

std::unique_ptr<TFont> MakeDialogFont()
{
    auto f = std::make_unique<TFont>();
    f->SetName("Arial");
    f->SetHeight(14);
    return f;
}

TbsSkinSpeedButton* MakeToolButton(TComponent* Owner, TWinControl* Parent, int FormWidth, const char* Glyph,
                                   const std::string& Hint, bool Flat)
{
    auto* b = new TbsSkinSpeedButton(Owner);
    b->SetDefaultWidth(27);
    b->SetDefaultHeight(25);
    b->SetLeft(FormWidth);
    b->SetParent(Parent);
    b->SetAlign(alRight);
    b->SkinDataName = "toolbutton";
    std::unique_ptr<TBitmap> g = bsDialogGlyph(Glyph);
    b->SetGlyph(g.get());
    b->SetNumGlyphs(1);
    b->SetHint(Hint);
    b->SetShowHint(true);
    b->SetFlat(Flat);
    return b;
}

void InkToolGlyph(TbsSkinSpeedButton* b, const char* Glyph, TbsSkinData* SD)
{
    const TColor ink =
        SD && !SD->Empty
            ? TColor(bsSkinTextColor(*SD, SD->FSkinColors.FcBtnText, int(ColorToRGB(TColor(SD->FSkinColors.FcBtnFace)))))
            : TColor(0x303030);
    std::unique_ptr<TBitmap> g = bsDialogGlyph(Glyph, ink);
    b->SetGlyph(g.get());
}

bool MakeNewFolder(const std::string& Dir, const std::string& Name)
{
    // No folder to make it in (a virtual folder, nothing chosen): nothing.
    if (Dir.empty() || Name.empty() || !sys::DirectoryExists(Dir)) return false;
    const std::string full = sys::IncludeTrailingPathDelimiter(Dir) + Name;
    if (sys::FileExists(full) || sys::DirectoryExists(full)) return false;
    if (!sys::CreateDir(full)) throw EInOutError("Unable to create directory \"" + full + "\"", errno);
    return true;
}

void ApplyFrame(TbsSkinForm* BSF, TbsSkinData* SkinData, TbsSkinData* CtrlSkinData, int MinWidth, int MinHeight,
                bool AlphaBlend, std::uint8_t AlphaBlendValue, bool AlphaBlendAnimation)
{
    TbsBorderIcons none;
    none.SystemMenu = none.Minimize = none.Maximize = none.RollUp = none.MinimizeToTray = false;
    BSF->SetBorderIcons(none);
    BSF->SetSkinData(SkinData);
    BSF->SetMenusSkinData(CtrlSkinData);
    BSF->MinWidth = MinWidth;
    BSF->MinHeight = MinHeight;
    BSF->AlphaBlendAnimation = AlphaBlendAnimation;
    BSF->SetAlphaBlendValue(AlphaBlendValue);
    BSF->SetAlphaBlend(AlphaBlend);
}

void ApplyClientSize(TForm* F, TbsSkinForm* BSF, TbsSkinData* SkinData, int Width, int Height, int DefaultWidth,
                     int DefaultHeight)
{
    int w = Width < 1 ? DefaultWidth : Width;
    int h = Height < 1 ? DefaultHeight : Height;
    if (SkinData && !SkinData->Empty)
    {
        w = std::max(w, BSF->GetMinWidth());
        h = std::max(h, BSF->GetMinHeight());
    }
    F->SetClientWidth(w);
    F->SetClientHeight(h);
}

void Watch(TComponent* Self, TComponent* Old, TComponent* Now)
{
    if (Old == Now) return;
    if (Old) Old->RemoveFreeNotification(Self);
    if (Now) Now->FreeNotification(Self);
}

void SetStore(TComponent* Self, TbsSkinData*& Mine, TbsSkinData* Other, TbsSkinData* Value)
{
    if (Mine && Mine != Other) Mine->RemoveFreeNotification(Self);
    Mine = Value;
    if (Mine) Mine->FreeNotification(Self);
}
}  // namespace bsdialogs
