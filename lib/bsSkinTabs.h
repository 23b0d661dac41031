// Skinned page control and its tab sheets, drawn from the skin entry "tab":
// the frame around the pages, the tab row in any of the four positions (side
// tabs composed lying down and turned a quarter), a skinned up-down in place
// of the native arrow pair of a long single-line row, the hot tab, centred
// or offset tabs, and the pages' skinned background.
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinCtrls.h"
#include "platform/gui/ComCtrls.h"

// Turns a 32-bit bitmap a quarter counter-clockwise (…90_1) or clockwise
// (…90_2) in place, or upside down; and draws a turned copy at (x, y).
void RotateBitmap90_1(TBitmap* B);
void RotateBitmap90_2(TBitmap* B);
void FlipBitmapVert(TBitmap* B);
void DrawBitmapRotated90_1(TCanvas* C, TBitmap* B, int x, int y);
void DrawBitmapRotated90_2(TCanvas* C, TBitmap* B, int x, int y);

class TbsSkinPageControl;

// A page: its background is its wallpaper when it has one, else the skin's.
class TbsSkinCustomTabSheet : public TTabSheet
{
public:
    explicit TbsSkinCustomTabSheet(TComponent* AOwner);
    ~TbsSkinCustomTabSheet() override;
    TBitmap* WallPaper() const { return FWallPaper.get(); }
    void SetWallPaper(TBitmap* Value);
    void PaintBG(HDC DC);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& m) override;

private:
    std::unique_ptr<TBitmap> FWallPaper;
};

class TbsSkinTabSheet : public TbsSkinCustomTabSheet
{
public:
    using TbsSkinCustomTabSheet::TbsSkinCustomTabSheet;
};

class TbsSkinPageControl : public TbsSkinLink<TPageControl>, public TbsSkinChangeTarget
{
public:
    explicit TbsSkinPageControl(TComponent* AOwner);
    ~TbsSkinPageControl() override;

    const TbsSkinData* SkinStore() const override { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    const std::string& SkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
    void ChangeSkinData() override;
    void Loaded() override;
    void UpDateTabs();

    TFont* DefaultFont() const { return FDefaultFont.get(); }
    bool UseSkinFont = true;
    int DefaultItemHeight() const { return FDefaultItemHeight; }
    void SetDefaultItemHeight(int Value);
    bool TextInHorizontal() const { return FTextInHorizontal; }
    void SetTextInHorizontal(bool Value);
    bool TabsInCenter() const { return FTabsInCenter; }
    void SetTabsInCenter(bool Value);
    int TabsOffset() const { return FTabsOffset; }
    void SetTabsOffset(int Value);

    // The display area as the skin's frame wants it (client coordinates).
    TRect GetDisplayRect();
    // Visible tab i as drawn (client coordinates).
    TRect GetTabRect(int i);
    int GetTabsShift();
    // The tab scroller while the row does not fit (owned), else null.
    TbsSkinUpDown* SkinUpDown() const { return FSkinUpDown; }
    int GetHiddenTabCount();
    int GetScrollPosition();
    // The hot tab among the visible tabs, -1 for none.
    int ActiveTabIndex() const { return FActiveTabIndex; }
    // Whether the skin entry is in use.
    bool HasSkinEntry() const { return FIndex != -1; }
    // Paints the tab row at once (hover changes).
    void DrawTabs(TCanvas* C);

protected:
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    void AdjustClientRect(TRect& Rect) override;
    void Change() override;
    // The row's tabs changed: the scroller may come or go.
    void TabsChanged() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void CMMouseLeave(TMessage& m) override;
    void DropSkinReferences() override;

private:
    friend class TbsSkinCustomTabSheet;
    void GetSkinData();
    void TrackHover(int X, int Y);
    void CheckScroll();
    void CreateUpDown();
    void FreeUpDown();
    void UpdateUpDownPosition();
    void SetItemHeight(int h);
    TRect GetActiveTabRect();
    TRect FrameRect();
    void PaintDefaultFrame(TCanvas* C);
    void PaintSkinFrame(TCanvas* C);
    void DrawTab(TTabSheet* page, const TRect& R, TCanvas* C, bool Active, bool MouseIn);
    void DrawPageBackground(HDC DC);
    TTabSheet* PageOfVisibleTab(int i);
    int VisibleTabCount();

    bool FTextInHorizontal = false, FTabsInCenter = false;
    int FTabsOffset = 0;
    int FActiveTab = -1, FOldActiveTab = -1, FActiveTabIndex = -1, FOldActiveTabIndex = -1;
    std::string FSkinDataName = "tab";
    TbsSkinUpDown* FSkinUpDown = nullptr;
    std::unique_ptr<TFont> FDefaultFont;
    int FDefaultItemHeight = 20;
    bool FInScrollCheck = false;

    // Copies of the "tab" entry.
    TBitmap* Picture = nullptr;
    TRect SkinRect, ClRect, TabRect, ActiveTabRect, FocusTabRect, MouseInTabRect, TabsBGRect;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    int TabLeftOffset = 0, TabRightOffset = 0;
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
    std::string UpDown;
    int BGPictureIndex = -1;
    bool TabStretchEffect = false, ShowFocus = false;
    int FocusOffsetX = 0, FocusOffsetY = 0;
    bool StretchEffect = false, LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
    TbsStretchType StretchType = bsstFull;
};
