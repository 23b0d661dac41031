// What the dialogs' parts share. Parts: SkinChooser.cpp (the skin chooser),
// SelectDirectory.cpp (the folder dialog), OpenDialog.cpp (the open dialog,
// its form and the component base of the file dialogs), PictureDialog.cpp
// (the picture dialogs and their preview), Glyphs.cpp (the tool glyphs),
// Common.cpp (texts, tool buttons, new folders, frame and size settings).
#pragma once
#include "lib/bsDialogs.h"

namespace bsdialogs
{
// A UI text: the string table's value under the key when the store has a
// table (which may be empty), else the built-in text.
std::string Text(TbsSkinData* SD, const char* Key, const char* BuiltIn);
// "Arial", height 14.
std::unique_ptr<TFont> MakeDialogFont();
// A speed button of the tool bars: 27 x 25, skin name "toolbutton", one
// glyph, its hint shown, flat when asked.
TbsSkinSpeedButton* MakeToolButton(TComponent* Owner, TWinControl* Parent, int FormWidth, const char* Glyph,
                                   const std::string& Hint, bool Flat);
// The tool glyph `Glyph` put on `b` again, its lines in the skin's text
// colour that reads on the skin's face (the built-in dark ink without a skin).
void InkToolGlyph(TbsSkinSpeedButton* b, const char* Glyph, TbsSkinData* SD);
// The folder Dir/Name is made; false (nothing made) when Dir is empty or no
// folder, or the name is taken; EInOutError when making it fails.
bool MakeNewFolder(const std::string& Dir, const std::string& Name);
// The frame settings every dialog takes from its component.
void ApplyFrame(TbsSkinForm* BSF, TbsSkinData* SkinData, TbsSkinData* CtrlSkinData, int MinWidth, int MinHeight,
                bool AlphaBlend, std::uint8_t AlphaBlendValue, bool AlphaBlendAnimation);
// The client size of a run: the asked size (below 1: the default), raised to
// the skin's minimum when there is a non-empty skin.
void ApplyClientSize(TForm* F, TbsSkinForm* BSF, TbsSkinData* SkinData, int Width, int Height, int DefaultWidth,
                     int DefaultHeight);
// Watching a store reference for its removal.
void Watch(TComponent* Self, TComponent* Old, TComponent* Now);
// A dialog's run of its form: however the run ends, OnClose is called, the
// form freed and the dialog's pointer to it (Current) cleared.
template <class Form>
class TFormRun
{
public:
    TFormRun(TComponent* Self, const TNotifyEvent& OnClose, Form*& Current)
        : FSelf(Self), FOnClose(OnClose), FCurrent(Current)
    {
    }
    ~TFormRun()
    {
        if (FOnClose) FOnClose(FSelf);
        FForm.reset();
        FCurrent = nullptr;
    }
    TFormRun(const TFormRun&) = delete;
    TFormRun& operator=(const TFormRun&) = delete;
    // The run's form, which becomes the dialog's current one.
    Form* Take(std::unique_ptr<Form> F)
    {
        FForm = std::move(F);
        FCurrent = FForm.get();
        return FCurrent;
    }

private:
    TComponent* FSelf;
    const TNotifyEvent& FOnClose;
    Form*& FCurrent;
    std::unique_ptr<Form> FForm;
};

// Sets one of a dialog's two skin-data references (Mine) and watches the new
// store; the old one stays watched while the other reference still names it.
void SetStore(TComponent* Self, TbsSkinData*& Mine, TbsSkinData* Other, TbsSkinData* Value);
}
