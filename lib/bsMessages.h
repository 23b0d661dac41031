// Skinned message boxes: TbsSkinMessage builds a fresh TbsMessageForm in code
// for every call (skinned frame, icon, auto-sized message label, a centred
// row of skinned buttons, optionally a "do not show again" check box), shows
// it modally, returns the pressed button's modal result and frees it.
//
// SkinData skins the box's frame; CtrlSkinData skins what is inside and
// supplies the string table the captions come from (built-in English texts
// without one).
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinForm.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ImgList.h"

// Lets the owner move a positioned box before it is shown (outer left and
// top in, the box's outer size).
using TbsMessageSetShowPosEvent = std::function<void(int& AX, int& AY, int AWidth, int AHeight)>;

// An X (or Y) below this centres the box on the screen.
constexpr int bsMessageCentred = -10001;

// The form of one box. Its controls are owned by it and die with it.
class TbsMessageForm : public TForm
{
public:
    // A dialog-framed form with key preview, centred on the screen for
    // X < -10000, else at (X, Y); its frame skinner shows no caption buttons.
    TbsMessageForm(TComponent* AOwner, int X, int Y);

    TbsSkinForm* BSF = nullptr;
    TbsSkinCheckRadioBox* DisplayCheckBox = nullptr;
    TbsSkinStdLabel* Message = nullptr;
    // A text taller than the work area scrolls in this box with its bar (the
    // label is its child); null for a box that holds its text whole.
    TbsSkinScrollBox* MessageBox = nullptr;
    TbsSkinScrollBar* MessageScrollBar = nullptr;

    // The Help button: asks the help system for the form's HelpContext; the
    // box stays open.
    void HelpButtonClick(TObject* Sender);
};

// Hands a dialog component's transparency and fade-in to the dialog's frame.
void bsApplyFormAlpha(TbsSkinForm* Frame, bool On, std::uint8_t Value, bool Animation);

// The built-in (string-table-less) texts.
std::string bsMessageButtonCaption(TMsgDlgBtn kind);
std::string bsMessageTypeCaption(TMsgDlgType type);
// Component names ("Yes", "NoToAll" …) and modal results of the button kinds.
std::string bsMessageButtonName(TMsgDlgBtn kind);
TModalResult bsMessageButtonResult(TMsgDlgBtn kind);

// What one box shows; the entry points fill it in.
struct TbsMessageBoxRequest
{
    std::string Msg;
    // Given caption; without one it comes from the type.
    std::optional<std::string> Caption;
    TMsgDlgType DlgType = mtInformation;
    // The icon from an image list (Images, ImageIndex) instead of the type's.
    bool FromImages = false;
    TCustomImageList* Images = nullptr;
    int ImageIndex = -1;
    TMsgDlgButtons Buttons;
    // Honours ShowAgainFlag (the wide-text calls do not).
    bool CheckBoxAllowed = true;
    int X = bsMessageCentred, Y = bsMessageCentred;
};

class TbsSkinMessage : public TComponent
{
public:
    explicit TbsSkinMessage(TComponent* AOwner);
    ~TbsSkinMessage() override;

    bool ShowAgainFlag = false;
    // In: the check box starts unticked when True. Out (after a box with the
    // check box): True when it was left unticked.
    bool ShowAgainFlagValue = false;
    bool AlphaBlend = false;
    bool AlphaBlendAnimation = false;
    std::uint8_t AlphaBlendValue = 200;
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinData* CtrlSkinData() const { return FCtrlFSD; }
    void SetCtrlSkinData(TbsSkinData* Value);
    std::string ButtonSkinDataName = "button";
    std::string MessageLabelSkinDataName = "stdlabel";
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    TFont* DefaultButtonFont() const { return FDefaultButtonFont.get(); }
    void SetDefaultButtonFont(TFont* Value) { FDefaultButtonFont->Assign(Value); }
    bool UseSkinFont = true;
    TbsMessageSetShowPosEvent OnSetShowPos;

    // Each returns the box's modal result.
    int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
    int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
    int MessageDlgHelp(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                       const std::string& HelpFileName);
    int MessageDlg2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                    int HelpCtx);
    int MessageDlgHelp2(const std::string& Msg, const std::string& ACaption, TMsgDlgType DlgType,
                        TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName);
    // Without the check box, whatever ShowAgainFlag says.
    int WideMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
    int WideMessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                          int Y);
    int CustomMessageDlg(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                         int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx);
    int CustomMessageDlgPos(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                            int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
    int CustomMessageDlgHelp(const std::string& Msg, const std::string& ACaption, TCustomImageList* AImages,
                             int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, const std::string& HelpFileName);

    // Builds the box a call would show, without showing it (the caller owns
    // it). The calls above build through it.
    std::unique_ptr<TbsMessageForm> BuildMessageForm(const TbsMessageBoxRequest& R);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    int Run(const TbsMessageBoxRequest& R, int HelpCtx, const std::string* HelpFileName, bool FireShowPos);
    std::string ButtonCaption(TMsgDlgBtn kind) const;
    std::string TypeCaption(TMsgDlgType type) const;
    std::string CheckBoxCaption() const;
    // The buttons' height: the skin's button entry, else 25.
    int ButtonHeight() const;
    // Keeps a box taller than the work area inside it (the text scrolls).
    void FitToWorkArea(TbsMessageForm* f);

    TbsSkinData* FSD = nullptr;
    TbsSkinData* FCtrlFSD = nullptr;
    std::unique_ptr<TFont> FDefaultFont, FDefaultButtonFont;
};
