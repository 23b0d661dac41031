// The skinned combo boxes: custom controls (not platform combos) that show
// the chosen item beside a drop-down button and open a skinned popup list
// under or over themselves. TbsSkinComboLook holds what the plain combo box
// and the office combo box share: the look fields of the "combobox" entry,
// the layout of button and item area, the bodies, buttons and tool-button
// looks, the drop-down mouse tracking and the popup's window filter.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "lib/bsSkinBoxCtrls/ListBox.h"

class TbsCustomEdit;

// The item area of a combo box and the owner-draw state handed to its event.
struct TbsCBItem
{
    TRect R;
    TOwnerDrawState State;
};

enum TbsSkinCustomComboBoxStyle : unsigned char { bscbEditStyle, bscbFixedStyle };

class TbsSkinComboLook : public TbsSkinCustomControl
{
public:
    explicit TbsSkinComboLook(TComponent* AOwner);
    ~TbsSkinComboLook() override;

    void GetSkinData() override;
    void CalcSize(int& AWidth, int& AHeight) override;
    void SetControlRegion() override;
    // Places the button, the item area (and an inner edit).
    virtual void CalcRects();

    virtual void DropDown() = 0;
    virtual void CloseUp(bool AcceptChanges) = 0;
    virtual bool IsPopupVisible() const = 0;
    bool CanCancelDropDown() const { return IsPopupVisible() && !FMouseIn; }

    bool ToolButtonStyle() const { return FToolButtonStyle; }
    bool UseSkinSize() const { return FUseSkinSize; }
    void SetUseSkinSize(bool v) { FUseSkinSize = v; }
    TColor DefaultColor() const { return FDefaultColor; }
    virtual void SetDefaultColor(TColor Value);
    int DropDownCount() const { return FDropDownCount; }
    int ListBoxWidth() const { return FListBoxWidth; }
    void SetListBoxWidth(int v) { FListBoxWidth = v; }
    bool HideSelection = true;
    TCustomImageList* Images() const { return FImages; }
    bool DroppedDown() const { return FDropDown; }
    // Translucency of the drop-down (read by the popup when it shows).
    TbsPopupAlpha Alpha;

    TNotifyEvent OnChange, OnClick, OnCloseUp, OnDropDown;

    TbsCBButtonX Button;
    TbsCBItem CBItem;

    // From the "combobox" entry.
    TRect ActiveSkinRect;
    int ActiveFontColor = 0;
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    TRect SItemRect, FocusItemRect, ActiveItemRect;
    int ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    int FontColor = 0, FocusFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
    std::string ListBoxName;
    bool ItemStretchEffect = false, FocusItemStretchEffect = false;
    bool ShowFocus = false;

    bool HasSkinEntry() const { return FIndex != -1; }
    bool MouseInside() const { return FMouseIn; }

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void DefaultFontChanged() override;
    void Dispatch(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;

    // Whether the control or its inner edit has the focus.
    virtual bool HasFocus();
    // Focused, or the pointer over it.
    bool FocusedOrHot() { return FMouseIn || HasFocus(); }
    virtual bool HasEdit() const { return false; }
    // The item the control shows: the remembered one while the list is open.
    virtual int ShownIndex() const = 0;
    virtual int ItemCount() const = 0;
    // The item content in T of a bitmap canvas (owner drawing included).
    virtual void DrawItemContent(TCanvas* C, int Index, TRect T, int W, int H, bool forToolButton) = 0;
    // The text the tool-button looks show.
    virtual void DrawDefaultItem(TCanvas* C);
    virtual void DrawSkinItem(TCanvas* C);
    virtual void DrawResizeSkinItem(TCanvas* C);
    virtual bool HasOwnerDraw() const = 0;
    // Item font set up for the skinned looks.
    void SkinItemFont(TFont* f, int color);
    // The dotted focus frame of a focused item when the entry asks for it.
    void ResizeItemFocus(TCanvas* bc, TBitmap& b, bool focused);
    // The shown item in the text rectangle of a tool-button look.
    void DrawToolButtonContent(TCanvas* C, const TRect& T);

    void DrawDefaultBody(TCanvas* C);
    void DrawDefaultButton(TCanvas* C);
    void DrawSkinButton(TCanvas* C);
    void DrawResizeButton(TCanvas* C);
    void DrawDefaultToolButton(TCanvas* C);
    void DrawSkinToolButton(TCanvas* C);
    // The focused item background of the skinned looks (a copy of the
    // canvas when the picture rect is empty).
    void ItemBackground(TCanvas* C, TBitmap* b, const TRect& pic, bool stretch, bool resizable);

    // Drop-down mouse tracking into the popup (auto-scroll when above or
    // below it after the pointer has been inside).
    void StartAutoScroll(int mode);
    void StopAutoScroll();
    virtual void AutoScrollStep() = 0;
    // The application hook that closes an open list on a press elsewhere.
    void HookPresses();
    void UnhookPresses();
    virtual bool IsOwnWindow(HWND h) = 0;

    bool FDropDown = false;
    bool FToolButtonStyle = false;
    TColor FDefaultColor = clWindow;
    bool FUseSkinSize = true;
    bool WasInLB = false;
    int TimerMode = 0;
    int FListBoxWidth = 0;
    DWORD FLastTime = 0;
    bool FMouseIn = false;
    int FOldItemIndex = -1;
    int FDropDownCount = 8;
    bool FLBDown = false;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TTimer> FScrollTimer;
    TApplication* FHookApp = nullptr;
    TMessageHookToken FHook = 0;
};

class TbsSkinCustomComboBox : public TbsSkinComboLook
{
public:
    explicit TbsSkinCustomComboBox(TComponent* AOwner);
    ~TbsSkinCustomComboBox() override;

    void GetSkinData() override;
    void ChangeSkinData() override;
    void Invalidate() override;
    void CalcRects() override;
    void DropDown() override;
    void CloseUp(bool AcceptChanges) override;
    bool IsPopupVisible() const override;
    // Paints the look with AText as the shown text onto another canvas.
    void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText);

    TStrings* Items() { return FListBox->Items(); }
    void SetItems(const TStrings* Value) { FListBox->SetItems(Value); }
    int ItemIndex() const { return FListBox->ItemIndex(); }
    void SetItemIndex(int Value);
    TbsSkinCustomComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TbsSkinCustomComboBoxStyle Value);
    void SetDropDownCount(int Value);
    void SetToolButtonStyle(bool Value);
    void SetDefaultColor(TColor Value) override;
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool AutoComplete = true;
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FListBox->ImageIndex(); }
    void SetImageIndex(int Value);
    TStrings* TabWidths() { return FListBox->TabWidths(); }
    void SetTabWidths(const TStrings* Value) { FListBox->SetTabWidths(Value); }
    bool Sorted() const { return FListBox->Sorted(); }
    void SetSorted(bool v) { FListBox->SetSorted(v); }
    void SetHorizontalExtent(bool v) { FListBox->SetHorizontalExtent(v); }
    void SetListBoxCaption(const std::string& v) { FListBox->SetCaption(v); }
    void SetListBoxCaptionMode(bool v) { FListBox->SetCaptionMode(v); }
    void SetListBoxCaptionAlignment(TAlignment v) { FListBox->SetAlignment(v); }
    void SetListBoxDefaultFont(TFont* f) { FListBox->SetDefaultFont(f); }
    void SetListBoxDefaultCaptionFont(TFont* f) { FListBox->SetDefaultCaptionFont(f); }
    void SetListBoxDefaultItemHeight(int v) { FListBox->SetDefaultItemHeight(v); }
    void SetListBoxUseSkinFont(bool v) { FListBox->UseSkinFont = v; }
    void SetListBoxUseSkinItemHeight(bool v) { FListBox->SetUseSkinItemHeight(v); }
    int SelStart();
    void SetSelStart(int v);
    int SelLength();
    void SetSelLength(int v);
    TbsDrawSkinItemEvent OnComboBoxDrawItem;
    void SetOnListBoxDrawItem(TbsDrawSkinItemEvent e) { FListBox->OnDrawItem = std::move(e); }

    // The drop-down list and the inner edit (null in the fixed style).
    TbsPopupListBox* ListBox() const { return FListBox; }
    TbsCustomEdit* Edit() const { return FEdit; }
    // Creates a numeric edit instead of a plain one in the editable style.
    bool FNumEdit = false;

protected:
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    // Runs after OnClick on every selection through ItemIndex or an accepted close.
    virtual void Change() {}
    virtual void CreateEditBox();
    void DestroyEditBox();
    void EditWProc(TMessage& m);
    bool HasFocus() override;
    bool HasEdit() const override { return FEdit != nullptr; }
    int ShownIndex() const override;
    int ItemCount() const override { return FListBox->Items()->Count(); }
    bool HasOwnerDraw() const override;
    void DrawItemContent(TCanvas* C, int Index, TRect T, int W, int H, bool forToolButton) override;
    void AutoScrollStep() override;
    bool IsOwnWindow(HWND h) override;

    void ListBoxWProc(TMessage& m);
    void ListBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void TrackListBox(int X, int Y);
    void FindUp(bool viaSetter);
    void FindDown(bool viaSetter);
    // A page is the drop-down's rows less one (the row kept in view), the
    // same both ways.
    int PageStep() const { return std::max(1, FDropDownCount - 1); }
    int PageUpIndex() const;
    int PageDownIndex() const;
    void FindPageUp(bool viaSetter);
    void FindPageDown(bool viaSetter);
    void MoveTo(int index, bool viaSetter);
    void FindListItem(char32_t Key);
    void EditChange(TObject*);
    void EditFindUp(bool flag);
    void EditFindDown(bool flag);
    void EditAutoComplete();
    void EditCancelMode(TControl* C);
    void ApplyEditFont();
    bool DoubleByteCharset();

    TbsSkinCustomComboBoxStyle FStyle = bscbFixedStyle;
    TEditCharCase FCharCase = ecNormal;
    std::string FFilter;
    TbsPopupListBox* FListBox = nullptr;
    TbsCustomEdit* FEdit = nullptr;
    TWndMethod FListBoxWindowProc, FEditWindowProc;
    bool FromEdit = false;
};

class TbsSkinComboBox : public TbsSkinCustomComboBox
{
public:
    using TbsSkinCustomComboBox::TbsSkinCustomComboBox;
};
