// Skinned standard controls, the views: the tree view and the list view over
// the platform's own, with colours and font from the skin, no frame and no
// window scroll bars of their own (the native scroll state is mirrored into
// attached TbsSkinScrollBar controls, and their moves fed back as scroll
// commands), and the list view's column header painted from a button entry
// of the skin. Included by lib/bsSkinCtrls.h.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/gui/ComCtrls.h"

// Asks a skinned view to paint its column header into the DC in WPARAM.
constexpr UINT BSM_PAINTHEADER = 45512;
// Asks a skinned window to paint its non-client skin into the DC in WPARAM;
// windows without one answer kNoNcSkin.
constexpr UINT BSM_NCPAINT = 45513;
constexpr LRESULT kNoNcSkin = 12851;

// Draws the content of a header section (no sender); R is the section's
// rectangle in the canvas.
using TbsDrawHeaderSectionEvent = std::function<void(TCanvas* Cnvs, TListColumn* Column, bool Pressed, const TRect& R)>;

// ---------------------------------------------------------------------------
// The part both views share: the store link, the entry lookup (a font and a
// background colour), the default font and colour, and the two attached bars.
template <class Base>
class TbsSkinViewBase : public TbsSkinLink<Base>, public TbsSkinChangeTarget
{
public:
    explicit TbsSkinViewBase(TComponent* AOwner, const std::string& entryName);
    ~TbsSkinViewBase() override;

    const TbsSkinData* SkinStore() const override { return this->FSD; }
    void SetSkinData(TbsSkinData* Value);
    const std::string& SkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value);
    TColor DefaultColor() const { return FDefaultColor; }
    void SetDefaultColor(TColor Value);
    bool UseSkinFont = true;

    TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
    void SetVScrollBar(TbsSkinScrollBar* Value);
    TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }
    void SetHScrollBar(TbsSkinScrollBar* Value);

    virtual void UpDateScrollBars() = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMVisibleChanged(TMessage& m) override;
    // Font and colour from the entry (or the defaults); the charset.
    void TakeSkinLook();
    // The selection's colours from the skin's accent and the view's look.
    void TakeSelectionColors();
    // A bar's visibility, changed with FInCheckScrollBars set; true when it changed.
    bool ShowBar(TbsSkinScrollBar* bar, bool show);
    // The horizontal bar's Both follows the vertical bar; an aligned view
    // lets its parent lay the bars out again when one came or went.
    void FinishBarUpdate(bool changed);
    // The native range, page and position of a bar of the window.
    bool NativeScroll(int bar, SCROLLINFO& si);
    // SetRange only when something differs (a repaint of the bar otherwise).
    static void MirrorRange(TbsSkinScrollBar* bar, int mn, int mx, int pos, int page);
    bool HandleFrameMessage(TMessage& m);
    virtual void VScrollChanged() = 0;
    virtual void HScrollChanged() = 0;

    bool FInCheckScrollBars = false;
    std::string FSkinDataName;
    std::unique_ptr<TFont> FDefaultFont;
    TColor FDefaultColor = clWindow;
    TbsSkinScrollBar* FVScrollBar = nullptr;
    TbsSkinScrollBar* FHScrollBar = nullptr;
};

extern template class TbsSkinViewBase<TCustomTreeView>;
extern template class TbsSkinViewBase<TCustomListView>;

// ---------------------------------------------------------------------------
// Tree view (entry "treeview"): the native items, lines and buttons.
class TbsSkinCustomTreeView : public TbsSkinViewBase<TCustomTreeView>
{
public:
    explicit TbsSkinCustomTreeView(TComponent* AOwner);
    void Loaded() override;
    void ChangeSkinData() override;
    void UpDateScrollBars() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& m) override;
    void Change(TTreeNode* Node) override;
    void VScrollChanged() override;
    void HScrollChanged() override;
};

class TbsSkinTreeView : public TbsSkinCustomTreeView
{
public:
    using TbsSkinCustomTreeView::TbsSkinCustomTreeView;
};

// ---------------------------------------------------------------------------
// List view (entry "listview") with its header drawn from a button entry
// (default "resizetoolbutton"). The header keeps its own sizing, clicks and
// hit tests; the view paints it and tracks the pressed section.
class TbsSkinCustomListView : public TbsSkinViewBase<TCustomListView>
{
public:
    explicit TbsSkinCustomListView(TComponent* AOwner);
    ~TbsSkinCustomListView() override;
    void Loaded() override;
    void ChangeSkinData() override;
    void UpDateScrollBars() override;

    const std::string& HeaderSkinDataName() const { return FHeaderSkinDataName; }
    void SetHeaderSkinDataName(const std::string& Value) { FHeaderSkinDataName = Value; }
    TbsDrawHeaderSectionEvent OnDrawHeaderSection;

    // The subclassed header window, null before the view made one.
    HWND SkinnedHeader() const { return FHeaderHandle; }
    // The header's press state (section position or -1, a section or a divider held).
    int ActiveSection() const { return FActiveSection; }
    bool HeaderDown() const { return FHeaderDown; }
    bool DividerDown() const { return FDevDown; }
    // The rectangle of the section at position i (header coordinates; with
    // FullDrag through the header's order array).
    TRect GetHeaderSectionRect(int i);
    // Paints every section and the space after the last one into dc (null:
    // the header's own paint).
    void PaintSkinHeader(HDC dc);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& m) override;
    void Change(TListItem* Item, TItemChange Change) override;
    void VScrollChanged() override;
    void HScrollChanged() override;

private:
    void SubclassHeader(TWinControl* header);
    void ReleaseHeader();
    void SkinHeaderWndProc(TMessage& m);
    void GetHeaderSkinData();
    void DrawSkinHeaderSection(TCanvas* Cnvs, TListColumn* Column, bool Pressed, const TRect& R);
    void RedrawHeader();
    int RowHeight();

    bool FromSB = false;
    int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
    // Header.
    bool FDevDown = false;
    std::string FHeaderSkinDataName = "resizetoolbutton";
    HWND FHeaderHandle = nullptr;
    TWinControl* FHeader = nullptr;
    TWndMethod FDefHeaderProc;
    int FActiveSection = -1;
    bool FHeaderDown = false;
    int FHIndex = -1;
    TPoint HLTPt, HRTPt, HLBPt, HRBPt;
    TRect HSkinRect, HClRect;
    TPoint HNewLTPoint, HNewRTPoint, HNewLBPoint, HNewRBPoint;
    TRect HNewClRect;
    TBitmap* HPicture = nullptr;
    int HFontColor = 0, HDownFontColor = 0;
    TRect HActiveSkinRect, HDownSkinRect;
    bool HStretchEffect = false, HLeftStretch = false, HTopStretch = false, HRightStretch = false,
         HBottomStretch = false;
    TbsStretchType HStretchType = bsstFull;
};

class TbsSkinListView : public TbsSkinCustomListView
{
public:
    using TbsSkinCustomListView::TbsSkinCustomListView;
};
