// Skinned extra controls: the office list box (a self-drawn stack of header
// rows and item rows with titles, images and word-wrapped captions), its
// popup, the office combo box that drops it down, and the link label that
// opens its address through the desktop's launcher.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "lib/bsSkinBoxCtrls.h"
#include "platform/gui/Classes.h"
#include "platform/gui/StdCtrls.h"

// Owner drawing of an office item (no sender): canvas, row, text rectangle.
using TbsDrawSkinOfficeItemEvent = std::function<void(TCanvas* Cnvs, int Index, const TRect& TextRct)>;

class TbsSkinOfficeListBox;

class TbsSkinOfficeItem : public TCollectionItem
{
public:
    explicit TbsSkinOfficeItem(TCollection* Collection);
    void Assign(const TPersistent* Source) override;

    int ImageIndex() const { return FImageIndex; }
    virtual void SetImageIndex(int Value);
    const std::string& Title() const { return FTitle; }
    virtual void SetTitle(const std::string& Value);
    const std::string& Caption() const { return FCaption; }
    virtual void SetCaption(const std::string& Value);
    void* Data() const { return FData; }
    virtual void SetData(void* Value) { FData = Value; }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    bool Header() const { return FHeader; }
    virtual void SetHeader(bool Value);
    TNotifyEvent OnClick;

    // Layout state kept by the list.
    TRect ItemRect;
    bool IsVisible = false;
    bool Active = false;

private:
    int FImageIndex = -1;
    std::string FTitle, FCaption;
    bool FEnabled = true;
    void* FData = nullptr;
    bool FHeader = false;
};

class TbsSkinOfficeItems : public TCollection
{
public:
    explicit TbsSkinOfficeItems(TbsSkinOfficeListBox* AListBox);
    TbsSkinOfficeItem* Items(int Index) const { return static_cast<TbsSkinOfficeItem*>(TCollection::Items(Index)); }
    TbsSkinOfficeItem* operator[](int Index) const { return Items(Index); }
    TbsSkinOfficeItem* Add();
    TbsSkinOfficeItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TPersistent* GetOwner() const override;

    TbsSkinOfficeListBox* OfficeListBox;

protected:
    void Update(TCollectionItem* Item) override;
};

class TbsSkinOfficeListBox : public TbsSkinCustomControl
{
public:
    explicit TbsSkinOfficeListBox(TComponent* AOwner);
    ~TbsSkinOfficeListBox() override;

    void ChangeSkinData() override;

    TbsSkinOfficeItems* Items() const { return FItems.get(); }
    void SetItems(const TbsSkinOfficeItems* Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool ShowItemTitles() const { return FShowItemTitles; }
    void SetShowItemTitles(bool Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    int HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(int Value);
    // The selected row (may hold a value outside the rows: then nothing is selected).
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool Value);
    bool MouseMoveChangeIndex = false;
    TbsDrawSkinOfficeItemEvent OnDrawItem;
    TNotifyEvent OnItemClick;

    int CalcHeight(int AItemCount);
    void CalcItemRects();
    void ScrollToItem(int Index);
    void Scroll(int AScrollOffset);
    void GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition);
    void UpdateScrollInfo();
    void AdjustScrollBar();
    int ItemAtPos(int X, int Y);
    // Selects a row without events.
    void SetItemActive(int Index);
    void FindUp();
    void FindDown();
    void FindPageUp();
    void FindPageDown();
    void MouseMove(TShiftState Shift, int X, int Y) override;

    TbsSkinScrollBar* ScrollBar = nullptr;
    int ScrollOffset() const { return FScrollOffset; }
    TRect ItemsRect() const { return FItemsRect; }
    int DisabledFontColor() const { return FDisabledFontColor; }

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

    void DrawRows(TCanvas* C);
    void DrawItem(int Index, TCanvas* C);
    void SkinDrawItem(int Index, TCanvas* C);
    void DefaultDrawItem(int Index, TCanvas* C);
    void SkinDrawHeaderItem(int Index, TCanvas* C);
    void DrawRowContent(int Index, TCanvas* C, TRect R, bool skinned);
    void ShowScrollbar();
    void HideScrollBar();
    bool Selectable(int i) const;
    friend class TbsSkinOfficeItems;
    friend class TbsSkinOfficeItem;

    int FDisabledFontColor = clGray;
    bool FShowLines = false;
    bool FClicksDisabled = false;
    bool FMouseDown = false;
    int FMouseActive = -1;
    int FMax = 0, FRealMax = 0;
    TRect FItemsRect;
    int FScrollOffset = 0;
    std::unique_ptr<TbsSkinOfficeItems> FItems;
    TCustomImageList* FImages = nullptr;
    bool FShowItemTitles = true;
    int FItemHeight = 30;
    int FHeaderHeight = 20;
    int FOldHeight = -1;
    int FItemIndex = -1;
};

// The office combo box's drop-down: an office list in a top-level tool
// window that never takes the activation.
class TbsPopupOfficeListBox : public TbsSkinOfficeListBox
{
public:
    explicit TbsPopupOfficeListBox(TComponent* AOwner);
    void Show(TPoint P);
    void Hide();
    const TbsPopupAlpha* AlphaSource = nullptr;
    // Cleared when a fade starts (the owner's press in progress).
    bool* PressFlag = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& m) override;

    bool FOldAlphaBlend = false;
    int FOldAlphaBlendValue = 0;
};

class TbsSkinCustomOfficeComboBox : public TbsSkinComboLook
{
public:
    explicit TbsSkinCustomOfficeComboBox(TComponent* AOwner);
    ~TbsSkinCustomOfficeComboBox() override;

    void ChangeSkinData() override;
    void DropDown() override;
    void CloseUp(bool AcceptChanges) override;
    bool IsPopupVisible() const override;
    void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText);

    TbsSkinOfficeItems* Items() const { return FListBox->Items(); }
    void SetItems(const TbsSkinOfficeItems* Value) { FListBox->SetItems(Value); }
    int ItemIndex() const { return FListBox->ItemIndex(); }
    void SetItemIndex(int Value);
    void SetDropDownCount(int Value);
    int ListBoxHeight = 0;
    const std::string& ListBoxSkinDataName() const { return FListBoxSkinDataName; }
    void SetListBoxSkinDataName(const std::string& Value);
    void SetListBoxItemHeight(int v) { FListBox->SetItemHeight(v); }
    void SetListBoxHeaderHeight(int v) { FListBox->SetHeaderHeight(v); }
    void SetListBoxShowItemTitles(bool v) { FListBox->SetShowItemTitles(v); }
    void SetListBoxShowLines(bool v) { FListBox->SetShowLines(v); }
    void SetListBoxDefaultFont(TFont* f) { FListBox->SetDefaultFont(f); }
    void SetListBoxUseSkinFont(bool v) { FListBox->UseSkinFont = v; }
    bool ShowItemTitle() const { return FShowItemTitle; }
    void SetShowItemTitle(bool v);
    bool ShowItemImage() const { return FShowItemImage; }
    void SetShowItemImage(bool v);
    bool ShowItemText() const { return FShowItemText; }
    void SetShowItemText(bool v);
    void SetImages(TCustomImageList* Value);
    void SetToolButtonStyle(bool Value);
    TbsDrawSkinOfficeItemEvent OnDrawItem;

    TbsPopupOfficeListBox* ListBox() const { return FListBox; }

protected:
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // Fires OnChange.
    virtual void Change();
    int ShownIndex() const override;
    int ItemCount() const override { return FListBox->Items()->Count(); }
    bool HasOwnerDraw() const override { return bool(OnDrawItem); }
    void DrawItemContent(TCanvas* C, int Index, TRect T, int W, int H, bool forToolButton) override;
    void DrawSkinItem(TCanvas* C) override;
    void AutoScrollStep() override;
    bool IsOwnWindow(HWND h) override;
    void ListBoxWProc(TMessage& m);
    void TrackListBox();
    void Move(void (TbsSkinOfficeListBox::*find)(), bool viaSetter);

    bool FShowItemTitle = true, FShowItemImage = true, FShowItemText = true;
    // Drawing the skinned item (UseSkinSize) shows no title.
    bool FNoTitle = false;
    std::string FListBoxSkinDataName = "listbox";
    TbsPopupOfficeListBox* FListBox = nullptr;
    TWndMethod FListBoxWindowProc;
};

class TbsSkinOfficeComboBox : public TbsSkinCustomOfficeComboBox
{
public:
    using TbsSkinCustomOfficeComboBox::TbsSkinCustomOfficeComboBox;
};

// A hyperlink label: font and colours from the skin's standard-label entry
// (or its own defaults), underlined, glowing while hovered, and opening its
// URL with the desktop's default application when clicked. It takes part in
// its form's skin-change walk.
class TbsSkinLinkLabel : public TCustomLabel, public TbsSkinChangeTarget
{
public:
    explicit TbsSkinLinkLabel(TComponent* AOwner);
    ~TbsSkinLinkLabel() override;

    void Click() override;
    void ChangeSkinData() override;
    TbsSkinData* SkinData() const { return FSD; }
    const TbsSkinData* SkinStore() const override { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    std::string SkinDataName = "stdlabel";
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    bool UseSkinFont = true;
    TColor DefaultActiveFontColor = clBlue;
    std::string URL;
    bool UseUnderLine() const { return FUseUnderLine; }
    void SetUseUnderLine(bool Value);
    bool GlowEffect = false;
    int GlowSize = 7;
    bool MouseInside() const { return FMouseIn; }
    // The rectangle the text was last drawn into (tests).
    TRect LastTextRect() const { return FLastRect; }
    TColor LastTextColor() const { return FLastColor; }

protected:
    void DoDrawText(TRect& Rect, UINT Flags) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void GetSkinData();

    TbsSkinData* FSD = nullptr;
    int FIndex = -1;
    std::unique_ptr<TFont> FDefaultFont;
    bool FUseUnderLine = true;
    bool FMouseIn = false;
    std::string FontName;
    TFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0, ActiveFontColor = 0;
    TRect FLastRect;
    TColor FLastColor = clBlack;
};
