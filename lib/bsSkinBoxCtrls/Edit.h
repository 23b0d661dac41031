// The edits of the skin library: TbsCustomEdit, a masked edit without border
// with a soft read-only mode, a transparent mode, Enter and Esc handed to the
// form and a context menu of its own (Undo, Cut, Copy, Paste, Delete, Select
// All); the skinned edit box that draws its frame and background from the
// skin entry "edit" (with an optional edit button and two image buttons);
// and the numeric edit.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinBoxCtrls/ListBox.h"
#include "platform/gui/Mask.h"
#include "platform/gui/Menus.h"

using TbsOnEditCancelMode = std::function<void(TControl* C)>;

// One command of the edit's context menu: the caption (from the skin string
// table by key, else built in), whether it is enabled now, and what it does.
struct TbsEditMenuItem
{
    std::string Key;       // string table key; empty for a separator
    std::string Caption;   // "-" for a separator
    bool Enabled = true;
    std::function<void()> Action;
};

class TbsCustomEdit : public TCustomMaskEdit
{
public:
    explicit TbsCustomEdit(TComponent* AOwner);
    ~TbsCustomEdit() override;

    void Invalidate() override;
    // Soft read-only: every path that changes the text is closed; caret,
    // selection and copying keep working.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool EditTransparent() const { return FEditTransparent; }
    void SetEditTransparent(bool Value);
    TbsOnEditCancelMode OnEditCancelMode;

    // The commands of the context menu with their captions and enable rules
    // for the edit's current state.
    std::vector<TbsEditMenuItem> SysMenuItems();
    // Builds the context menu (freeing an older one).
    void CreateSysPopupMenu();
    // The built-in context menu while it exists (null otherwise).
    TPopupMenu* SysPopupMenu() const { return FSysPopupMenu.get(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Change() override;
    void WndProc(TMessage& m) override;
    // A string with its line breaks removed (a single-line edit never holds one).
    static std::string SingleLine(const std::string& s);

    bool FDown = false;
    bool FReadOnly = false;
    bool FEditTransparent = false;
    std::unique_ptr<TPopupMenu> FSysPopupMenu;
};

// The skinned single-line edit box. It takes part in its form's skin-change
// walk (its colours and font come from the new skin at once).
class TbsSkinCustomEdit : public TbsCustomEdit, public TbsSkinChangeTarget
{
public:
    explicit TbsSkinCustomEdit(TComponent* AOwner);
    ~TbsSkinCustomEdit() override;

    void Invalidate() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TbsSkinData* SkinData() const { return FSD; }
    const TbsSkinData* SkinStore() const override { return FSD; }
    virtual void SetSkinData(TbsSkinData* Value);
    void ChangeSkinData() override;
    std::string SkinDataName = "edit";
    int SkinIndex() const { return FIndex; }
    // Paints the normal look with AText onto another canvas.
    void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText);
    void RepaintFrame();
    int CalcHeight();
    void AdjustHeight() { SetHeight(CalcHeight()); }

    TColor DefaultColor() const { return FDefaultColor; }
    void SetDefaultColor(TColor Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value);
    bool UseSkinFont = true;
    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int Value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TNotifyEvent OnMouseEnter, OnMouseLeave;

    // The edit button at the right end (default look: a square button).
    bool ButtonMode() const { return FButtonMode; }
    void SetButtonMode(bool Value);
    TNotifyEvent OnButtonClick;
    // The image buttons at both ends of the text area.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int LeftImageIndex = -1, LeftImageHotIndex = -1, LeftImageDownIndex = -1;
    int RightImageIndex = -1, RightImageHotIndex = -1, RightImageDownIndex = -1;
    void SetLeftImageIndex(int v);
    void SetRightImageIndex(int v);
    TNotifyEvent OnLeftButtonClick, OnRightButtonClick;
    TbsCBButtonX LeftButton, RightButton;
    // Lays the image buttons out; with Update the text runs between them.
    void CalcImageButtons(bool Update);

    // Geometry in window coordinates: the text area and the edit button.
    TRect EditRect() const { return FEditRect; }
    TRect ButtonRectNow() const { return FButtonRect; }
    bool MouseInside() const { return FMouseIn; }
    void CalcEditRect();

    // From the skin entry.
    int LOffset = 0, ROffset = 0;
    TRect ClRect, SkinRect, ActiveSkinRect;
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
    bool StretchEffect = false;
    TBitmap* Picture = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    bool PaintEditBackground(HDC dc) override;
    // The skin's disabled colour; the system's grey in the default look.
    TColor DisabledTextColor() const override { return Skinned() ? TColor(DisabledFontColor) : clGrayText; }
    void GetSkinData();
    bool Skinned() const { return FIndex != -1; }
    bool Active();
    void DrawEditBackground(TCanvas* C);
    void DrawImageButtons(TCanvas* C);
    void DrawFrame(TCanvas* C);
    void DrawResizedSkinFrame(TCanvas* C);
    void DrawEditButton(TCanvas* C);
    void DrawDefaultEditButton(TCanvas* C);
    void DefaultFontChange(TObject*);
    void ApplyCharset(TFont* f);
    bool ButtonHit(int X, int Y) const;

    TbsSkinData* FSD = nullptr;
    int FIndex = -1;
    bool FStopDraw = false;
    TColor FDefaultColor = clWindow;
    TRect FButtonRect, FEditRect;
    bool FButtonMode = false, FButtonDown = false, FButtonActive = false;
    bool FMouseIn = false;
    std::unique_ptr<TFont> FDefaultFont;
    int FDefaultWidth = 0, FDefaultHeight = 0;
    TAlignment FAlignment = taLeftJustify;
    TCustomImageList* FImages = nullptr;
};

class TbsSkinEdit : public TbsSkinCustomEdit
{
public:
    using TbsSkinCustomEdit::TbsSkinCustomEdit;
};

// An edit for numbers: only digits, one minus sign and (in floating-point
// mode) one decimal separator can be typed; Up, Down and the wheel become
// step events for the owner.
class TbsSkinNumEdit : public TbsCustomEdit
{
public:
    using TbsCustomEdit::TbsCustomEdit;
    bool Float = false;
    // False: nothing can be typed, the owner only steps the value.
    bool EditorEnabled = true;
    TNotifyEvent OnUpClick, OnDownClick;
    TNotifyEvent OnMouseEnter, OnMouseLeave;
    // Whether a character may be typed into the current text at the caret.
    bool IsValidChar(char32_t Key);

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void Dispatch(TMessage& m) override;
};
