// The skinned list box: a frame drawn from the skin entry "listbox" with an
// optional caption line and three caption buttons, an inner platform list
// box that holds the lines (LB_* storage, native scroll state) and paints
// every item from the frame's look, and skinned scroll bars that the frame
// creates on demand and keeps in step with the inner list's scroll state.
// The popup list box is the same list in a top-level tool window that never
// takes the activation (the drop-down of the skinned combo box).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "lib/bsSkinCtrls.h"
#include "platform/gui/StdCtrls.h"

// Paint-into-DC messages answered for other programs (nothing here sends them).
constexpr UINT BSM_PRINTTODC = 45513;
constexpr UINT BSM_PRINTTODC2 = 48203;
constexpr UINT BSM_PRINTCLIENTTODC = 48202;
constexpr LRESULT kPrintToDcResult = 12851;
constexpr LPARAM kPrintToDc2Magic = 16802;

// A button of a skinned box: its place and its hot and pressed flags.
struct TbsCBButtonX
{
    TRect R;
    bool MouseIn = false;
    bool Down = false;
};

// Owner drawing of a list or combo item (no sender): the item bitmap's
// canvas, the index, the item's width and height, the text rectangle, the state.
using TbsDrawSkinItemEvent = std::function<void(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight,
                                                const TRect& TxtRect, TOwnerDrawState State)>;

class TbsSkinCustomListBox;

// Converts up to ten tab-stop lines to pixels (a line of decimal digits gives
// its value, any other line 0).
std::vector<int> bsTabStops(const TStrings* tabs);

// The list window inside every skinned list box: a platform list box in the
// owner-drawn fixed style without border or non-client area. It paints its
// items and background from the frame's look and reports input and content
// changes to the frame.
class TbsListBox : public TListBox
{
public:
    explicit TbsListBox(TComponent* AOwner);

    // The frame; set once right after creation.
    TbsSkinCustomListBox* SkinListBox = nullptr;
    int HorizontalExtentValue() const { return FHorizontalExtentValue; }
    void SetHorizontalExtentValue(int v) { FHorizontalExtentValue = v; }

    void WndProc(TMessage& Message) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Click() override;
    // The state a self-painted item gets.
    TOwnerDrawState GetItemState(int Index);
    // Fills the client area with the frame's background.
    void PaintBG(HDC DC);
    // Paints one item with the painter the frame's look asks for.
    void PaintItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;

private:
    void PaintList(HDC dc);
    void PaintColumnsList(HDC dc);
    void DrawSkinBG(TCanvas* C, int X, int Y, int W, int H);
    void DrawDefaultItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State);
    void DrawSkinItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State);
    void DrawStretchSkinItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State);
    // Image and text (or the owner drawing) of an item into a bitmap canvas.
    void DrawContent(TCanvas* C, int Index, TRect TR, int W, int H, TOwnerDrawState State);
    void ItemFont(TFont* f);

    int FHorizontalExtentValue = 0;
};

// A skinned scroll bar of a list whose two-way flag the list sets directly
// (the property's setter would exchange the skin names again).
class TbsListScrollBar : public TbsSkinScrollBar
{
public:
    using TbsSkinScrollBar::TbsSkinScrollBar;
    void SetBothFlag(bool v) { FBoth = v; }
};

class TbsSkinCustomListBox : public TbsSkinCustomControl
{
public:
    explicit TbsSkinCustomListBox(TComponent* AOwner);
    ~TbsSkinCustomListBox() override;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void GetSkinData() override;
    void ChangeSkinData() override;

    // Mirrors the inner list's native scroll state on the skinned bars.
    void UpDateScrollBar();
    // The frame's height for N rows.
    int CalcHeight(int AnItemCount);
    void Clear();
    int ItemAtPos(TPoint Pos, bool Existing) { return ListBox->ItemAtPos(Pos, Existing); }
    TRect ItemRect(int Index) { return ListBox->ItemRect(Index); }

    TStrings* Items() { return ListBox->Items(); }
    void SetItems(const TStrings* Value);
    int ItemIndex() const { return ListBox->GetItemIndex(); }
    void SetItemIndex(int Value) { ListBox->SetItemIndex(Value); }
    bool MultiSelect() const { return ListBox->GetMultiSelect(); }
    void SetMultiSelect(bool v) { ListBox->SetMultiSelect(v); }
    bool ExtandedSelect() const { return ListBox->GetExtendedSelect(); }
    void SetExtandedSelect(bool v) { ListBox->SetExtendedSelect(v); }
    bool Sorted() const { return ListBox->GetSorted(); }
    void SetSorted(bool Value);
    int Columns() const { return ListBox->GetColumns(); }
    void SetColumns(int Value);
    bool AutoComplete = true;
    int TopIndex() const { return ListBox->GetTopIndex(); }
    void SetTopIndex(int v) { ListBox->SetTopIndex(v); }
    int SelCount() const { return ListBox->SelCount(); }
    bool Selected(int Index) const { return ListBox->GetSelected(Index); }
    TCanvas* ListBoxCanvas() { return ListBox->Canvas(); }
    void SetListBoxFont(TFont* f) { ListBox->Font()->Assign(f); }
    TStrings* TabWidths() { return FTabWidths.get(); }
    void SetTabWidths(const TStrings* Value);
    bool HorizontalExtent() const { return FHorizontalExtent; }
    void SetHorizontalExtent(bool Value);
    bool UseSkinItemHeight() const { return FUseSkinItemHeight; }
    void SetUseSkinItemHeight(bool v) { FUseSkinItemHeight = v; }
    int DefaultItemHeight() const { return FDefaultItemHeight; }
    void SetDefaultItemHeight(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool CaptionMode() const { return FCaptionMode; }
    void SetCaptionMode(bool Value);
    int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
    void SetDefaultCaptionHeight(int Value);
    TFont* DefaultCaptionFont() { return FDefaultCaptionFont.get(); }
    void SetDefaultCaptionFont(TFont* Value) { FDefaultCaptionFont->Assign(Value); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool ShowCaptionButtons() const { return FShowCaptionButtons; }
    void SetShowCaptionButtons(bool Value);
    TBitmap* Glyph() { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);

    TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnCheckButtonClick;
    TNotifyEvent OnListBoxClick, OnListBoxDblClick;
    TMouseEvent OnListBoxMouseDown, OnListBoxMouseUp;
    TMouseMoveEvent OnListBoxMouseMove;
    TKeyEvent OnListBoxKeyDown, OnListBoxKeyUp;
    TKeyPressEvent OnListBoxKeyPress;
    TbsDrawSkinItemEvent OnDrawItem;

    // The item width of a line in a canvas (horizontal extent).
    virtual int GetItemTextWidth(int Index, TCanvas* C);
    virtual void DoListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoListBoxMouseMove(TShiftState Shift, int X, int Y);
    virtual void DoListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoListBoxClick();
    virtual void DoListBoxDblClick();
    virtual void DoListBoxKeyDown(WORD& Key, TShiftState Shift);
    virtual void DoListBoxKeyUp(WORD& Key, TShiftState Shift);
    virtual void DoListBoxKeyPress(char32_t& Key);
    virtual void DoListBoxEnter() {}
    virtual void DoListBoxExit() {}
    // Called before every message of the inner list; a false flag drops it.
    virtual void DoListBoxWndProc(TMessage& Message, bool& Handled) { (void)Message; Handled = true; }
    virtual void DoListBoxCreateWnd() {}

    // The inner list (owned).
    TbsListBox* ListBox = nullptr;
    // The skinned bars (owned; null while not needed).
    TbsListScrollBar* ScrollBar = nullptr;
    TbsListScrollBar* HScrollBar = nullptr;
    TRect ListRect, NewCaptionRect;
    TbsCBButtonX Buttons[3];
    int ActiveButton = -1, OldActiveButton = -1, CaptureButton = -1;

    // From the skin entry.
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    TRect SItemRect, ActiveItemRect, FocusItemRect;
    int ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    int FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
    TRect CaptionRect;
    std::string CaptionFontName;
    TbsFontStyles CaptionFontStyle;
    int CaptionFontHeight = 0, CaptionFontColor = 0;
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect, CheckButtonRect, ActiveCheckButtonRect, DownCheckButtonRect;
    std::string VScrollBarName, HScrollBarName, BothScrollBarName;
    bool ShowFocus = false;
    TRect DisabledButtonsRect, ButtonsArea;

    bool HasSkinEntry() const { return FIndex != -1; }
    // The skinned caption-button repeat state (tests).
    int RepeatMode() const { return TimerMode; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void DefaultFontChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;

    void AlignListBox();
    void ShowScrollBar();
    void HideScrollBar();
    void ShowHScrollBar();
    void HideHScrollBar();
    void SBChange(TObject*);
    void HSBChange(TObject*);
    void DrawButton(TCanvas* C, int i);
    void DrawCaption(TCanvas* C, const TRect& R, int Y, bool skinned);
    void TestActive(int X, int Y);
    void ButtonEnter(int i);
    void ButtonLeave(int i);
    void ButtonDown(int i);
    void ButtonUp(int i);
    void TimerTick();
    void RedrawButton(int i);

    bool FShowCaptionButtons = true;
    std::unique_ptr<TStringList> FTabWidths;
    bool FUseSkinItemHeight = true;
    bool FHorizontalExtent = false;
    bool FStopUpDateHScrollBar = false;
    int FRowCount = 0;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    int FSpacing = 2;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
    int FDefaultItemHeight = 20;
    int FDefaultCaptionHeight = 20;
    std::unique_ptr<TFont> FDefaultCaptionFont;
    bool FCaptionMode = false;
    TAlignment FAlignment = taLeftJustify;
    int TimerMode = 0;
    bool WaitMode = false;
    std::unique_ptr<TTimer> FTimer;

    friend class TbsListBox;
};

class TbsSkinListBox : public TbsSkinCustomListBox
{
public:
    using TbsSkinCustomListBox::TbsSkinCustomListBox;
};

// The owner settings a popup reads when it shows: translucency and fade-in.
struct TbsPopupAlpha
{
    bool AlphaBlend = false;
    bool AlphaBlendAnimation = false;
    int AlphaBlendValue = 0;
};

// Applies the owner's translucency to a popup window before it shows
// (layered style on or off, the opacity at once or 0 for a fade) and returns
// whether a fade-in is to follow.
bool bsPreparePopupAlpha(HWND wnd, const TbsPopupAlpha& a, bool& oldAlphaBlend, int& oldAlphaBlendValue);
// Fades a shown popup in to the owner's opacity; `pump` serves the pending
// messages between the steps.
void bsFadeInPopup(HWND wnd, int target, bool pump);

// The combo box's drop-down list: a skinned list box in a top-level tool
// window that never takes the activation.
class TbsPopupListBox : public TbsSkinListBox
{
public:
    explicit TbsPopupListBox(TComponent* AOwner);
    // Shows the list with its top-left corner at the screen point, not activated.
    void Show(TPoint P);
    void Hide();
    // The owning combo box's translucency settings (null: always opaque).
    const TbsPopupAlpha* AlphaSource = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& m) override;

    bool FOldAlphaBlend = false;
    int FOldAlphaBlendValue = 0;
};
