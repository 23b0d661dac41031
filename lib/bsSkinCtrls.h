// Skinned standard controls, part one: the look protocol shared by every
// skinned control (windowed and window-less bases), the panel family (panel,
// group box, paint panel, status bar), the labels, the bevel and the splitter.
//
// A control finds its entry in the skin store by name on every paint, resize
// and skin change, copies what it needs of it and draws itself off-screen
// from the store's pictures, or in its default look when the store is empty
// or has no entry of that name. Entries and pictures belong to the store and
// are shared by every control of every window: a control only reads them,
// and forgets every reference into the store when the skin is about to
// change.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "lib/bsSkinData.h"
#include "lib/bsSkinCtrls/ButtonTimers.h"
#include "lib/bsUtils.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Strings.h"

// A skinned menu opened by a control has closed (WPARAM 0, LPARAM 0).
constexpr UINT BSM_SKINMENU_CLOSED = 1228;
// The command chosen in a skinned menu that a control opened has run.
constexpr UINT BSM_SKINMENU_COMMANDDONE = 1229;
// Check again whether the control paints its parent's background.
constexpr UINT BSM_CHECKPARENTBACKGROUND = WM_USER + 260;
static_assert(BSM_CHECKPARENTBACKGROUND == 1284);

class TbsSkinControl;
class TbsSkinPanel;

// A skinned control outside the TbsSkinControl family (the views, the page
// control) that still takes part in the form's skin-change walk.
class TbsSkinChangeTarget
{
public:
    virtual ~TbsSkinChangeTarget() = default;
    virtual const TbsSkinData* SkinStore() const = 0;
    virtual void ChangeSkinData() = 0;
};

// The index of the entry `name` in the store's control list; -1 without a
// store, with an empty store or without such an entry.
int bsSkinControlIndex(const TbsSkinData* sd, const std::string& name);
// The entry at `index` of the store's control list, or null.
const TbsDataSkinControl* bsSkinControlEntry(const TbsSkinData* sd, int index);
// The store's active picture `index` as a bitmap to copy from, or null (no
// store, an index of -1 or beyond the list, an empty picture).
TBitmap* bsSkinActiveBitmap(const TbsSkinData* sd, int index);

// Drawing and font helpers shared by the skinned controls of every unit.
namespace bsctrls
{
// A copy of the part r of a store picture (so that nothing of the store is
// ever changed); null for no picture or an empty part.
std::unique_ptr<TBitmap> CopyPart(TBitmap* pic, const TRect& r);
// Fills `area` with `tile`: tiled from the area's top-left (the last tiles
// cut by the caller's clip), or stretched (bsstFull into fullRect, bsstHorz
// as full-height strips across, bsstVert as full-width strips down). An
// empty tile or area draws nothing.
void DrawTiles(TCanvas* C, TBitmap* tile, const TRect& area, const TRect& fullRect, bool stretch,
               TbsStretchType st);
// "Arial", no style, height 14.
std::unique_ptr<TFont> MakeDefaultFont();
TFontStyles ToFontStyles(TbsFontStyles s);
void SetSkinFont(TFont* f, const std::string& name, TbsFontStyles style, int height);
// The string table's character set when the store has one, else fallback's.
void SetStringTableCharset(TFont* f, const TbsSkinData* sd, const TFont* fallback);
// The look of the button entry `name` composed into B at W x H for a state
// (an empty hot picture stands for the normal one, an empty pressed one for
// the hot one); returns the state's text colour, or -1 (B untouched)
// without such an entry or its picture.
int ComposeButtonLook(const TbsSkinData* sd, const std::string& name, bool hot, bool pressed, TBitmap* B, int W,
                      int H);
} // namespace bsctrls

// ---------------------------------------------------------------------------
// The form's skin-change walk, as the form skinning component performs it on
// the store's broadcast: every skinned control under `root` (recursively)
// whose store is `sender` (every one when sender is null).

// Before the skin changes: windowed skinned controls drop their entry.
void bsBeforeChangeSkinDataWalk(TWinControl* root, const TbsSkinData* sender);
// After the new skin is in: every skinned control takes its look again.
void bsChangeSkinDataWalk(TWinControl* root, const TbsSkinData* sender);
// Dispatches the three skin-change messages (WPARAM the store) to the walks;
// returns whether the message was one of them.
bool bsHandleSkinChangeMessage(TWinControl* root, const TMessage& m);

// ---------------------------------------------------------------------------
// Geometry of a resizable skin look, shared by the windowed and the window-
// less custom control: the entry's corner points, rectangles and stretch
// flags, and the same geometry recomputed for the control's current size.
class TbsSkinGeometry
{
public:
    TPoint LTPt, RTPt, LBPt, RBPt;
    TRect SkinRect, ClRect;
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NewClRect;
    // The store's picture holding SkinRect (not owned, never written); null
    // when the entry has none.
    TBitmap* Picture = nullptr;
    // -1 no usable skin rectangle, 0 fixed, 1 both directions, 2
    // horizontal only, 3 vertical only.
    int ResizeMode = 0;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;

    TRect RealClientRect() const { return NewClRect; }
    int RealClientLeft() const { return NewClRect.Left; }
    int RealClientTop() const { return NewClRect.Top; }
    int RealClientWidth() const { return RectWidth(NewClRect); }
    int RealClientHeight() const { return RectHeight(NewClRect); }

protected:
    // Copies the geometry of a custom-control entry and picks the resize mode.
    void TakeGeometry(const TbsDataSkinCustomControl& d, const TbsSkinData* sd);
    // The size the look allows for a requested one; refreshes the new points.
    void CalcLookSize(int& AWidth, int& AHeight);
    // Draws ARect of APicture into B at W x H by the resize mode; mode 1 only
    // when `drawResizable` is set.
    void ComposeLook(TBitmap* B, TBitmap* APicture, const TRect& ARect, int W, int H, bool drawResizable);
    // Maps a rectangle relative to SkinRect onto a control of W x H.
    void ResizedRect(const TRect& ARect, TRect& AResult, int W, int H) const;
};

// ---------------------------------------------------------------------------
// The link of a control to its skin store: the store (not owned; forgotten
// when the store component goes away) and the index of the control's entry
// in the store's control list (-1 without one).
template <class Base>
class TbsSkinLink : public Base
{
public:
    using Base::Base;
    ~TbsSkinLink() override { Watch(FSD, nullptr); }

    TbsSkinData* SkinData() const { return FSD; }
    int SkinIndex() const { return FIndex; }

protected:
    void LinkStore(TbsSkinData* Value)
    {
        Watch(FSD, Value);
        FSD = Value;
    }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        Base::Notification(AComponent, Operation);
        if (Operation != opRemove || AComponent != FSD) return;
        FSD = nullptr;
        DropSkinReferences();
    }
    // Forgets every reference into the store (entry, pictures).
    virtual void DropSkinReferences() { FIndex = -1; }
    // Moves the free notification from `old` to `now`.
    void Watch(TComponent* old, TComponent* now)
    {
        if (old == now) return;
        if (old) old->RemoveFreeNotification(this);
        if (now) now->FreeNotification(this);
    }

    TbsSkinData* FSD = nullptr;
    int FIndex = -1;
};

// A store link with what the skinned hint shows besides the hint text (its
// application hook copies the three values) and mouse enter/leave events.
template <class Base>
class TbsSkinHintLink : public TbsSkinLink<Base>
{
public:
    using TbsSkinLink<Base>::TbsSkinLink;
    ~TbsSkinHintLink() override { this->Watch(FHintImageList, nullptr); }

    std::string HintTitle;
    int HintImageIndex = 0;
    TCustomImageList* HintImageList() const { return FHintImageList; }
    void SetHintImageList(TCustomImageList* v)
    {
        this->Watch(FHintImageList, v);
        FHintImageList = v;
    }
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TbsSkinLink<Base>::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FHintImageList) FHintImageList = nullptr;
    }
    void CMMouseEnter(TMessage& m) override
    {
        Base::CMMouseEnter(m);
        if (OnMouseEnter) OnMouseEnter(this);
    }
    void CMMouseLeave(TMessage& m) override
    {
        Base::CMMouseLeave(m);
        if (OnMouseLeave) OnMouseLeave(this);
    }

private:
    TCustomImageList* FHintImageList = nullptr;
};

// ---------------------------------------------------------------------------
// Windowed skinned control base.
class TbsSkinControl : public TbsSkinHintLink<TCustomControl>
{
public:
    using TbsSkinHintLink::TbsSkinHintLink;

    virtual void SetSkinData(TbsSkinData* Value);
    const std::string& SkinDataName() const { return FSkinDataName; }
    virtual void SetSkinDataName(const std::string& Value);

    // Looks the entry up again (FIndex).
    virtual void GetSkinData();
    virtual void ChangeSkinData();
    virtual void BeforeChangeSkinData();
    virtual void AfterChangeSkinData() {}
    virtual void CheckParentBackground() {}

    // True while the control handles WM_PAINT.
    bool FromWMPaint = false;
    // Whether the entry has a picture to draw from.
    virtual bool HasSkinPicture() const { return true; }

protected:
    void Paint() override;
    virtual void CreateControlDefaultImage(TBitmap*) {}
    virtual void CreateControlSkinImage(TBitmap*) {}
    void Dispatch(TMessage& m) override;
    void WMPaint(TMessage& m) override;
    void WMEraseBkgnd(TMessage& m) override { m.Result = 1; }

    std::string FSkinDataName;
    HRGN FRgn = nullptr;
};

// Window-less skinned control base.
class TbsGraphicSkinControl : public TbsSkinHintLink<TGraphicControl>
{
public:
    explicit TbsGraphicSkinControl(TComponent* AOwner);

    virtual void SetSkinData(TbsSkinData* Value);
    // Takes effect at the next paint or bounds change.
    std::string SkinDataName;

    virtual void GetSkinData();
    virtual void ChangeSkinData();
    virtual void BeforeChangeSkinData();
    virtual bool HasSkinPicture() const { return true; }

protected:
    void Paint() override;
    virtual void CreateControlDefaultImage(TBitmap*) {}
    virtual void CreateControlSkinImage(TBitmap*) {}
};

// What the windowed and the window-less custom controls share: the entry's
// geometry and picture, the size the look allows, the default size and font.
template <class Base>
class TbsSkinCustomBase : public Base, public TbsSkinGeometry
{
public:
    explicit TbsSkinCustomBase(TComponent* AOwner);
    ~TbsSkinCustomBase() override;

    void GetSkinData() override;
    virtual void CalcSize(int& AWidth, int& AHeight);
    bool HasSkinPicture() const override { return Picture && ResizeMode != -1; }

    bool UseSkinFont = true;
    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int Value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value);

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void DropSkinReferences() override;
    virtual void DefaultFontChanged() {}
    // The first steps of a bounds change: the look may replace the requested
    // size and a tool bar centres the control. Returns whether the change
    // counts (a new size with an entry).
    bool PrepareBounds(int& ATop, int& AWidth, int& AHeight);
    // Takes the size the entry allows (or the default size without one);
    // returns whether the size changed.
    bool ApplySkinSize();

    int FDefaultWidth = 0, FDefaultHeight = 0;
    std::unique_ptr<TFont> FDefaultFont;
};

extern template class TbsSkinCustomBase<TbsSkinControl>;
extern template class TbsSkinCustomBase<TbsGraphicSkinControl>;

// Windowed skinned control whose look is a resizable picture of the skin.
class TbsSkinCustomControl : public TbsSkinCustomBase<TbsSkinControl>
{
public:
    using TbsSkinCustomBase::TbsSkinCustomBase;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void GetSkinData() override;
    void ChangeSkinData() override;
    virtual void SetControlRegion();
    // Maps a rectangle relative to SkinRect onto the control at its size.
    void CalcResizedRect(const TRect& ARect, TRect& AResult) const;

    bool ForcebackGround = false;
    bool DrawbackGround = true;
    // The store's picture of the entry's region mask (not owned); null when none.
    TBitmap* MaskPicture = nullptr;
    // The window region the control last set (the window owns it); null when none.
    HRGN Region() const { return FRgn; }

protected:
    void Paint() override;
    void CreateControlSkinImage(TBitmap* B) override;
    void DropSkinReferences() override;
    // Draws ARect of APicture into B by the resize mode.
    void CreateSkinControlImage(TBitmap* B, TBitmap* APicture, const TRect& ARect);
    // Sends BSM_CHECKPARENTBACKGROUND to every direct child.
    void CheckControlsBackground();

private:
    void PaintBorderPieces();
};

class TbsGraphicSkinCustomControl : public TbsSkinCustomBase<TbsGraphicSkinControl>
{
public:
    using TbsSkinCustomBase::TbsSkinCustomBase;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void ChangeSkinData() override;

protected:
    void CreateControlSkinImage(TBitmap* B) override;
    void CreateSkinControlImage(TBitmap* B, TBitmap* APicture, const TRect& ARect);
};

// ---------------------------------------------------------------------------
// Panel family.

enum TbsImagePosition { bsipDefault, bsipLeft };
// The panel's border (scoped: the platform panel's bevels use the same names).
enum class TbsSkinBorderStyle { bvFrame, bvRaised, bvLowered, bvNone };
using TbsPaintPanelEvent = std::function<void(TCanvas* Cnvs, TRect R)>;

class TbsSkinPanel : public TbsSkinCustomControl
{
public:
    explicit TbsSkinPanel(TComponent* AOwner);
    ~TbsSkinPanel() override;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void AdjustClientRect(TRect& Rect) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void GetSkinData() override;
    void ChangeSkinData() override;

    // (0, 0, Width, Height) through AdjustClientRect.
    void GetSkinClientRect(TRect& R);
    // The panel's current image drawn into C at (X, Y).
    void PaintskinTo(TCanvas* C, int X, int Y);
    void DoRollUp(bool ARollUp);
    // Whether window-less and windowed children are centred vertically in
    // the client area (the tool bar's AdjustControls).
    virtual bool AdjustsControls() const { return false; }

    bool RibbonStyle() const { return FRibbonStyle; }
    void SetRibbonStyle(bool v);
    TbsImagePosition ImagePosition() const { return FImagePosition; }
    void SetImagePosition(TbsImagePosition v);
    bool TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(bool v);
    bool CheckedMode() const { return FCheckedMode; }
    void SetCheckedMode(bool v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* v);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);
    int RealHeight = -1;
    bool RollUpState() const { return FRollUpState; }
    void SetRollUpState(bool v);
    bool RollUpMode() const { return FRollUpMode; }
    void SetRollUpMode(bool v);
    bool CaptionMode() const { return FCaptionMode; }
    virtual void SetCaptionMode(bool v);
    TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TbsSkinBorderStyle v);
    int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
    virtual void SetDefaultCaptionHeight(int v);
    TAlignment DefaultAlignment() const { return FDefaultAlignment; }
    void SetDefaultAlignment(TAlignment v);
    bool AutoEnabledControls = true;
    TCustomImageList* CaptionImageList() const { return FCaptionImageList; }
    void SetCaptionImageList(TCustomImageList* v);
    int CaptionImageIndex() const { return FCaptionImageIndex; }
    void SetCaptionImageIndex(int v);

    TNotifyEvent OnChecked;
    TNotifyEvent OnChangeRollUpState;

    // From the skin entry.
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0;
    TbsAlignment Alignment = bstaCenter;
    TRect CaptionRect;
    int BGPictureIndex = -1;
    TRect CheckImageRect, UnCheckImageRect, MarkFrameRect, FrameRect;
    int FrameLeftOffset = 0, FrameRightOffset = 0;
    TRect FrameTextRect;
    // The caption rectangle for the current size: the caption's click area.
    TRect NewCaptionRect;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& m) override;
    void WMMove(TMessage& m) override;
    void CMEnabledChanged(TMessage& m) override;
    void CMTextChanged(TMessage& m) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Paints over a composed transparent look (the paint panel).
    virtual void DoPanelPaint(TCanvas*) {}
    bool HasEntry() const { return FIndex != -1; }
    // The skin's caption font (or DefaultFont) with the string table's charset.
    void SetCaptionFont(TCanvas* C);
    void SetCharset(TCanvas* C);

    bool FRibbonStyle = false;
    bool FInChangingRollUp = false;
    bool FAlignSuspended = false;
    TbsImagePosition FImagePosition = bsipDefault;
    bool FTransparentMode = false;
    int FCMaxWidth = 0, FCMinWidth = 0, FCMaxHeight = 0, FCMinHeight = 0;
    bool FCheckedMode = false, FChecked = false;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    int FSpacing = 2;
    bool FRollUpState = false, FRollUpMode = false, FCaptionMode = false;
    TbsSkinBorderStyle FBorderStyle = TbsSkinBorderStyle::bvFrame;
    int FDefaultCaptionHeight = 22;
    TAlignment FDefaultAlignment = taLeftJustify;
    TCustomImageList* FCaptionImageList = nullptr;
    int FCaptionImageIndex = -1;

private:
    void DrawSkinCaption(TCanvas* C);
    void PaintTransparentCaptionFrame();
    void FillClientTiles(TCanvas* C, bool onBitmap);
    void PaintBGPicture(TBitmap* P);
    bool HasCaptionImage() const;
    void PaintCheckPicture(TCanvas* C, int x, int y);
};

class TbsSkinGroupBox : public TbsSkinPanel
{
public:
    explicit TbsSkinGroupBox(TComponent* AOwner);
    void GetSkinData() override;
};

class TbsSkinPaintPanel : public TbsSkinPanel
{
public:
    explicit TbsSkinPaintPanel(TComponent* AOwner);
    TbsPaintPanelEvent OnPanelPaint;

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void DoPanelPaint(TCanvas* C) override;
    void WMEraseBkgnd(TMessage& m) override;

private:
    void CallPanelPaint(TCanvas* C);
};

class TbsSkinStatusBar : public TbsSkinPanel
{
public:
    explicit TbsSkinStatusBar(TComponent* AOwner);

    void AdjustClientRect(TRect& Rect) override;
    void GetSkinData() override;
    void SetSkinData(TbsSkinData* Value) override;

    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool v);
    bool ShowGrip() const { return FShowGrip; }
    void SetShowGrip(bool v);
    // The grip's rectangle in client coordinates.
    TRect GripRect();

    TRect GripperRect;
    bool GripperTransparent = false;
    int GripperTransparentColor = 0;

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void Dispatch(TMessage& m) override;

private:
    bool GripActive() const { return FSizeGrip && FShowGrip; }
    void DrawGripLines(TCanvas* C, const TRect& G, TColor shadow, TColor light);
    bool FSizeGrip = false;
    bool FShowGrip = true;
};

// ---------------------------------------------------------------------------
// Labels.

// What both labels take from a "stdlabel" entry and how they draw with it.
template <class Base>
class TbsSkinLabelLink : public TbsSkinLink<Base>
{
public:
    explicit TbsSkinLabelLink(TComponent* AOwner);

    // Looks the entry up; a label entry gives its font and colour.
    void GetSkinData();
    void ChangeSkinData();
    void SetSkinData(TbsSkinData* Value);
    std::string SkinDataName = "stdlabel";
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
    bool UseSkinFont = true;
    bool UseSkinColor = true;

    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0;

protected:
    // Sizes the label to its text (when AutoSize is on).
    virtual void SizeToText() = 0;
    // Sets the canvas font: DefaultFont (UseSkinFont) or Font without an
    // entry; with one the entry's face (UseSkinFont) and colour
    // (UseSkinColor); the string table's character set.
    void ApplyLabelFont(TCanvas* C);
    // Draws (or measures) once when enabled; disabled, a highlight copy one
    // pixel down-right under a shadow copy, in the skin's colours with an
    // entry. `extended` uses the extended text call (ellipses).
    void DrawLabelText(TCanvas* C, const std::string& text, TRect& R, UINT Flags, bool extended);

    std::unique_ptr<TFont> FDefaultFont;
};

extern template class TbsSkinLabelLink<TGraphicControl>;
extern template class TbsSkinLabelLink<TCustomLabel>;

// Several lines of text in the font and colour of a "stdlabel" entry.
class TbsSkinTextLabel : public TbsSkinLabelLink<TGraphicControl>
{
public:
    explicit TbsSkinTextLabel(TComponent* AOwner);
    ~TbsSkinTextLabel() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(const TStrings* Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    void SetAutoSize(bool v) override;
    virtual std::string GetLinesText() const;

protected:
    void Paint() override;
    void Loaded() override;
    void CMFontChanged(TMessage& m) override;
    void SizeToText() override { AdjustBounds(); }
    void DoDrawText(TRect& R, UINT Flags);
    void AdjustBounds();

private:
    std::unique_ptr<TStringList> FLines;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
};

enum TbsEllipsType { bsetNone, bsetEndEllips, bsetPathEllips };

// The platform's label with the skin's label font and colours.
class TbsSkinStdLabel : public TbsSkinLabelLink<TCustomLabel>
{
public:
    explicit TbsSkinStdLabel(TComponent* AOwner);

    TbsEllipsType EllipsType() const { return FEllipsType; }
    void SetEllipsType(TbsEllipsType v);
    // Draws `text` as the label would, onto another canvas at (X, Y).
    void PaintSkinTo(TCanvas* C, int X, int Y, const std::string& text);

protected:
    void DoDrawText(TRect& Rect, UINT Flags) override;
    void SizeToText() override { AdjustBounds(); }

private:
    void DrawSkinText(TCanvas* C, const std::string& caption, TRect& R, UINT Flags);
    TbsEllipsType FEllipsType = bsetNone;
};

// ---------------------------------------------------------------------------
// Bevel and splitter.

class TbsSkinBevel : public TbsSkinLink<TBevel>
{
public:
    using TbsSkinLink::TbsSkinLink;
    void ChangeSkinData();
    void SetSkinData(TbsSkinData* Value);
    std::string SkinDataName = "bevel";
    bool DividerMode() const { return FDividerMode; }
    void SetDividerMode(bool v);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TColor LightColor = clBtnHighlight;
    TColor DarkColor = clBtnShadow;

protected:
    void Paint() override;

private:
    bool FDividerMode = false;
};

class TbsSkinSplitter : public TbsSkinLink<TSplitter>
{
public:
    explicit TbsSkinSplitter(TComponent* AOwner);
    void GetSkinData();
    void ChangeSkinData();
    void SetSkinData(TbsSkinData* Value);
    std::string SkinDataName = "vsplitter";
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    int DefaultSize = 10;

    TPoint LTPt, RTPt, LBPt;
    TRect SkinRect;
    bool StretchEffect = false;
    TRect GripperRect;
    bool GripperTransparent = false;
    int GripperTransparentColor = 0;

protected:
    void Paint() override;
    void RequestAlign() override;
    void DropSkinReferences() override;

private:
    bool FTransparent = false;
    TBitmap* FSkinPicture = nullptr;
};

// ---------------------------------------------------------------------------
// Push buttons.

class TbsLayerManager;

// Show and hide the glow frame around a button (posted to the button).
constexpr UINT BSM_BUTTON_SHOWLAYER = WM_USER + 400;
constexpr UINT BSM_BUTTON_HIDELAYER = WM_USER + 401;
static_assert(BSM_BUTTON_SHOWLAYER == 1424 && BSM_BUTTON_HIDELAYER == 1425);

// Paints over a button's look: R the text rectangle; DrawDefault False leaves
// out the button's own glyph and caption.
using TbsButtonPaintEvent =
    std::function<void(TObject* Sender, TCanvas* Cnvs, TRect R, bool ADown, bool AMouseIn, bool& DrawDefault)>;

// What the windowed and the window-less push buttons share: the glyph strip
// and its layout, the looks and colours of a button entry, the mouse and
// group state, the cross-fade, the frame animation and the auto-repeat.
template <class Base>
class TbsSkinButtonFace : public Base
{
public:
    explicit TbsSkinButtonFace(TComponent* AOwner);
    void CalcSize(int& AWidth, int& AHeight) override;

    bool Down() const { return FDown; }
    // Pressing releases the other down buttons of the same kind, parent and
    // group (unless AllowAllUp).
    void SetDown(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    bool AllowAllUp = false;
    // Back to the plain up look (mouse out, not down, cross-fade at rest).
    void RefreshButton();
    // The button's click.
    virtual void ButtonClick() = 0;
    bool RepeatMode = false;
    int RepeatInterval = 100;
    bool UseSkinFontColor = true;
    bool UseSkinSize = true;
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TbsButtonLayout Layout() const { return FLayout; }
    void SetLayout(TbsButtonLayout Value);

    TbsButtonPaintEvent OnPaint;

    // State, read by tests and the gallery.
    bool MouseIn() const { return FMouseIn; }
    double MorphKf() const { return FMorphKf; }
    bool MorphRunning() const { return bsctrls::TimerOn(MorphTimer); }
    bool RepeatRunning() const { return FRepeat.Running(); }

    // From the skin entry.
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
    TRect ActiveSkinRect, DownSkinRect, DisabledSkinRect, AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;

protected:
    bool SkinEffectsOn() const { return this->FSD && !this->FSD->Empty && this->FSD->EnableSkinEffects; }
    bool MorphingActive() const { return SkinEffectsOn() && Morphing; }
    // What the cross-fade moves towards (hot: the active look), and whether
    // the cross-fade and the frame animation may run at all.
    virtual bool MorphHot() const { return FMouseIn; }
    virtual bool CanMorph() const { return true; }
    virtual bool CanAnimate() const { return true; }
    // Starts the cross-fade towards the current look, or repaints.
    void StartMorph();
    void StopMorph() { bsctrls::StopTimer(MorphTimer); }
    void MorphTick();
    void StartAnimate(bool In);
    void StopAnimate() { FAnimation.Stop(); }
    void StartRepeat() { FRepeat.Start(RepeatInterval, [this] { ButtonClick(); }); }
    void StopRepeat() { FRepeat.Stop(); }
    // The left button pressed on the button, and released inside it or not:
    // down, groups, repeat and the click (which may free the button; nothing
    // of it is touched after the click).
    void PressLeft();
    void ReleaseLeft(bool inside);
    // Copies the fonts, looks and effects of a button entry (an empty active
    // look is the normal one, an empty down look the active one); null when
    // the entry is not a button's.
    const TbsDataSkinButtonControl* TakeButtonEntry();
    // A running frame animation shows its current frame.
    void ShowAnimationFrame(bool effectsOn);
    // Draws the glyph strip's frame for the state with the caption.
    void DrawGlyphContent(TCanvas* C, const TRect& R, const std::string& caption, bool pressed, bool active);

    bool FDown = false, FMouseIn = false, FMouseDown = false;
    bool FAllowAllUpCheck = false;
    int FGroupIndex = 0;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    int FMargin = -1, FSpacing = 1;
    TbsButtonLayout FLayout = blGlyphLeft;
    double FMorphKf = 0.0;
    std::unique_ptr<TTimer> MorphTimer;
    bsctrls::TFrameAnimation FAnimation;
    bsctrls::TAutoRepeat FRepeat;
};

extern template class TbsSkinButtonFace<TbsSkinCustomControl>;
extern template class TbsSkinButtonFace<TbsGraphicSkinCustomControl>;

// The windowed push button: five looks from its skin entry, a glyph strip or
// an image-list image with the caption, default and cancel keys, button
// groups, auto-repeat while held, and the cross-fade between the normal and
// the active look when the skin asks for it.
class TbsSkinButton : public TbsSkinButtonFace<TbsSkinCustomControl>
{
public:
    explicit TbsSkinButton(TComponent* AOwner);
    ~TbsSkinButton() override;

    void GetSkinData() override;
    void ChangeSkinData() override;
    void BeforeChangeSkinData() override;

    void ShowLayer();
    void HideLayer();
    // The button's click: the form's modal result, then OnClick.
    void ButtonClick() override;

    void SetGroupIndex(int Value);
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel = false;
    TModalResult ModalResult = mrNone;
    bool CanFocused() const { return FCanFocused; }
    void SetCanFocused(bool Value);
    bool AlwaysShowLayeredFrame = false;
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);

    TNotifyEvent OnClick;

    // State, read by tests and the gallery.
    bool Active() const { return FActive; }
    // The glow frame's layer (tests).
    const TbsLayerManager* LayerManager() const { return FLayerManager.get(); }

    // From the skin entry.
    TRect FocusedSkinRect;
    bool ShowFocus = false;
    int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
    int GlowLayerOffsetLeft = 0, GlowLayerOffsetRight = 0, GlowLayerOffsetTop = 0, GlowLayerOffsetBottom = 0;
    int GlowLayerShowOffsetX = 0, GlowLayerShowOffsetY = 0;
    int GlowLayerAlphaBlendValue = 255;

protected:
    void CreateWnd() override;
    void Paint() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap*) override {}
    virtual void DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

    bool IsFocused() const;
    bool MorphHot() const override { return FMouseIn || IsFocused(); }
    // Whether the glow frame can be shown (store, layered windows, setting,
    // glow picture, a resize mode it can follow).
    bool GlowPossible() const;

    bool FActive = false;
    bool FDefault = false;
    // The pointer is over the button (FMouseIn also stands for the default
    // button's active look).
    bool FPointerIn = false;
    // The face being drawn is the default button's accent face.
    bool FAccentFace = false;
    bool FClicksDisabled = false;
    bool FCanFocused = true;
    TCustomImageList* FImageList = nullptr;
    int FImageIndex = -1;
    std::unique_ptr<TbsLayerManager> FLayerManager;
};

// ---------------------------------------------------------------------------
// Speed buttons and the tool bar.

class TbsSkinImagesMenu;
class TbsSkinToolBar;

// The window-less tool-bar button: the push button's looks, groups,
// auto-repeat, cross-fade and frame animation without focus, default or
// cancel roles; flat and transparent modes, a caption that can be hidden,
// images from the tool bar it sits on, and the selected item of an
// image-grid menu on its face.
class TbsSkinSpeedButton : public TbsSkinButtonFace<TbsGraphicSkinCustomControl>
{
public:
    explicit TbsSkinSpeedButton(TComponent* AOwner);
    ~TbsSkinSpeedButton() override;

    void GetSkinData() override;
    void ChangeSkinData() override;

    // OnClick.
    void ButtonClick() override;
    // Draws the skin's drop-down marker (pressed, hot, flat or normal)
    // centred in R.
    void DrawMenuMarker(TCanvas* C, const TRect& R, bool AActive, bool ADown, bool AFlat);

    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    // Without the opaque style the parent shows around the normal look.
    bool Transparent() const { return !ControlStyle.Contains(csOpaque); }
    void SetTransparent(bool Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    int WidthWithCaption = 0, WidthWithoutCaption = 0;
    TCustomImageList* ImageList() const { return FButtonImages; }
    void SetImageList(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TbsSkinImagesMenu* SkinImagesMenu() const { return FSkinImagesMenu; }
    void SetSkinImagesMenu(TbsSkinImagesMenu* Value);
    bool UseImagesMenuImage = false, UseImagesMenuCaption = false;


    // From the skin entry.
    TRect MenuMarkerRect, MenuMarkerActiveRect, MenuMarkerDownRect, MenuMarkerFlatRect;
    int MenuMarkerTransparentColor = 0;

protected:
    void Paint() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap*) override {}
    virtual void DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    // Drawn pressed: down, and a group button or the mouse inside.
    virtual bool Pressed() const { return FDown && (FGroupIndex != 0 || FMouseIn); }
    TbsSkinToolBar* ToolBar() const;
    bool CanMorph() const override { return !Transparent(); }
    bool CanAnimate() const override { return !FFlat; }
    // The glyph, image and caption in R (content of every look).
    void DrawContent(TCanvas* C, const TRect& R, bool pressed, bool active);
    // The state picture R as the button's look in B; returns the content
    // rectangle.
    TRect DrawStateLook(TBitmap* B, const TRect& R);
    // The text colour of a look.
    TColor StateTextColor(bool pressed, bool active) const;
    // A look's content: its font and colour, OnPaint (given paintRect), then
    // the content in R.
    void DrawStateContent(TCanvas* C, const TRect& paintRect, const TRect& R, bool pressed, bool active);
    // The default look's content: the default font (button shadow when
    // disabled), OnPaint, then the content in R.
    void DrawDefaultContent(TCanvas* C, const TRect& R, bool pressed, bool active);
    // The transparent normal look: content straight on the parent.
    virtual void PaintTransparent();
    // Its content in R of the control's canvas.
    void PaintTransparentContent(const TRect& R);

    bool FFlat = false;
    bool FShowCaption = true;
    TCustomImageList* FButtonImages = nullptr;
    int FImageIndex = 0;
    TbsSkinImagesMenu* FSkinImagesMenu = nullptr;
};

// One of the tool bar's two scroll arrows (in window coordinates of its
// non-client area).
struct TbsToolBarScrollButton
{
    TRect R;
    bool MouseIn = false;
    bool Down = false;
    bool Visible = false;
};

// Hit codes of the tool bar's scroll arrows.
constexpr LRESULT BS_HTSCROLLLEFT = 119, BS_HTSCROLLRIGHT = 120;

// A panel holding a row of tool buttons: keeps its children vertically
// centred, hands its store, flat style and image lists to its speed buttons,
// shows or hides their captions together, and scrolls them sideways with two
// arrows in its non-client area when they do not fit.
class TbsSkinToolBar : public TbsSkinPanel
{
public:
    explicit TbsSkinToolBar(TComponent* AOwner);
    ~TbsSkinToolBar() override;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void AdjustClientRect(TRect& Rect) override;
    void GetSkinData() override;
    void SetSkinData(TbsSkinData* Value) override;
    bool AdjustsControls() const override { return AdjustControls; }

    bool AdjustControls = true;
    bool CanScroll = false;
    bool HotScroll = false;
    int ScrollOffset() const { return FScrollOffset; }
    void SetScrollOffset(int Value);
    int ScrollTimerInterval() const { return FScrollTimerInterval; }
    void SetScrollTimerInterval(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool AutoShowHideCaptions = false;
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool Value);
    int WidthWithCaptions = 0, WidthWithoutCaptions = 0;

    // Scrolling state, read by tests and the gallery.
    int ScrollPosition() const { return SPosition; }
    int ScrollMax() const { return SMax; }
    int ScrollPage() const { return SPage; }
    int ScrollTimerMode() const { return TimerMode; }
    const TbsToolBarScrollButton& ScrollButton(int i) const { return Buttons[i]; }
    // One scroll step to the left (false) or right (true).
    void ScrollStep(bool right);

protected:
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void DropSkinReferences() override;

    void AdjustChildren();
    void UpdateScrollLayout();
    void ShowScrollButtons(bool Show);
    void MoveChildren(int dx);
    void StartScrollTimer(int mode);
    void StopScrollTimer();
    void PaintScrollButtons();
    void PaintScrollButtonsTo(HDC dc);
    void DrawScrollButton(TCanvas* C, const TbsToolBarScrollButton& b, bool right);
    void ClearHotButton();
    bool Scrolling() const { return Buttons[0].Visible || Buttons[1].Visible; }

    int TimerMode = 0;
    int SMax = 0, SPosition = 0, SPage = 0, SOldPosition = 0;
    int FHSizeOffset = 0;
    int FScrollOffset = 0;
    int FScrollTimerInterval = 50;
    TbsToolBarScrollButton Buttons[2];
    const TbsDataSkinButtonControl* ButtonData = nullptr;
    TCustomImageList *FImages = nullptr, *FDisabledImages = nullptr, *FHotImages = nullptr;
    bool FFlat = false;
    bool FShowCaptions = false;
};

// ---------------------------------------------------------------------------
// Check and radio boxes.

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// One class for the skinned check box and radio button (`Radio`): a
// three-state value, radio groups among one parent's children, drawn flat
// (check picture and caption over the parent) or framed (the entry's whole
// picture, cross-faded to its active picture while hot).
class TbsSkinCheckRadioBox : public TbsSkinCustomControl
{
public:
    explicit TbsSkinCheckRadioBox(TComponent* AOwner);
    ~TbsSkinCheckRadioBox() override;

    void GetSkinData() override;
    void ChangeSkinData() override;
    void CheckParentBackground() override;
    void CalcSize(int& AWidth, int& AHeight) override;
    virtual void Toggle();
    // Draws the control as if `Checked` were AChecked into C at (X, Y).
    void PaintSkinTo(TCanvas* C, int X, int Y, bool AChecked);

    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool Radio() const { return FRadio; }
    void SetRadio(bool Value);
    int GroupIndex = 0;
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool CanFocused() const { return FCanFocused; }
    void SetCanFocused(bool Value);
    bool UseSkinFontColor = true;
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TNotifyEvent OnClick;

    bool MouseIn() const { return FMouseIn; }
    double MorphKf() const { return FMorphKf; }
    bool MorphRunning() const;

    // From the skin entry.
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    int FontColor = 0, ActiveFontColor = 0, FrameFontColor = 0, UnEnabledFontColor = 0;
    TRect ActiveSkinRect, CheckImageArea, TextArea, CheckImageRect, UnCheckImageRect, ActiveCheckImageRect,
        ActiveUnCheckImageRect, UnEnabledCheckImageRect, UnEnabledUnCheckImageRect, GrayedCheckImageRect,
        ActiveGrayedCheckImageRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    // The check picture's and the caption's places in the framed look.
    TRect CIRect, NewTextArea;

protected:
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void Paint() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMEraseBkgnd(TMessage& m) override;

    bool MorphPossible() const;
    bool IsFocused() const;
    bool Hot() const { return FMouseIn || IsFocused(); }
    void StartHover();
    void MorphTick();
    void DrawFlat(TBitmap* B, bool AChecked, bool forPaintTo);
    void DrawFramedSkin(TBitmap* B, const TRect& S, bool AActive, bool AChecked);
    void DrawCheckPicture(TCanvas* C, int X, int Y, bool AChecked);

    bool FChecked = false;
    TCheckBoxState FState = cbUnchecked;
    bool FRadio = false;
    bool FAllowGrayed = false;
    bool FFlat = true;
    bool FWordWrap = false;
    bool FCanFocused = true;
    bool FClicksDisabled = false;
    bool FMouseIn = false;
    // The left button went down on the control (and the press was taken).
    bool FLeftPressed = false;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = 0;
    double FMorphKf = 0.0;
    std::unique_ptr<TTimer> MorphTimer;
};

// ---------------------------------------------------------------------------
// Scroll bar.

enum TScrollBarKind { sbHorizontal, sbVertical };

// One part of a scroll bar (thumb, up button, down button).
struct TbsScrollBarPart
{
    TRect R;
    bool MouseIn = false;
    bool Down = false;
};

// A scroll bar drawn entirely by the control: two arrow buttons, a track and
// a thumb, from a scroll-bar entry or in a default look. Parts: 0 thumb,
// 1 up button (right or bottom end), 2 down button (left or top end).
class TbsSkinScrollBar : public TbsSkinCustomControl
{
public:
    explicit TbsSkinScrollBar(TComponent* AOwner);
    ~TbsSkinScrollBar() override;

    void GetSkinData() override;
    void CalcSize(int& AWidth, int& AHeight) override;

    // Min, Max and PageSize as given, Position clamped; no OnChange.
    void SetRange(int AMin, int AMax, int APosition, int APageSize);
    // Clamped; repaints on a change, no OnChange.
    void SimplySetPosition(int AValue);

    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    int Position() const { return FPosition; }
    // Clamped; on a change repaints and fires OnChange.
    void SetPosition(int Value);
    int PageSize() const { return FPageSize; }
    void SetPageSize(int Value);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int Value);
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int Value);
    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind Value);
    bool Both() const { return FBoth; }
    void SetBoth(bool Value);
    int BothMarkerWidth() const { return FBothMarkerWidth; }
    void SetBothMarkerWidth(int Value);
    std::string BothSkinDataName = "bothhscrollbar";
    bool CanFocused() const { return FCanFocused; }
    void SetCanFocused(bool Value);

    TNotifyEvent OnChange, OnUpButtonClick, OnDownButtonClick, OnLastChange, OnPageUp, OnPageDown;

    // The parts as last laid out, and the repeat state (tests, gallery).
    const TbsScrollBarPart& Part(int i) const { return Buttons[i]; }
    TRect TrackRect() const { return NewTrackArea; }
    int RepeatMode() const { return TimerMode; }
    // Lays the parts out for the current size and position.
    void CalcRects();

    // From the skin entry.
    TRect TrackArea, UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect, ThumbRect, ActiveThumbRect, DownThumbRect;
    int ThumbOffset1 = 0, ThumbOffset2 = 0;
    bool ThumbTransparent = false;
    int ThumbTransparentColor = 0;
    bool ThumbStretchEffect = false;
    int ThumbMinSize = 0, ThumbMinPageSize = 0;
    TRect GlyphRect, ActiveGlyphRect, DownGlyphRect;
    bool GlyphTransparent = false;
    int GlyphTransparentColor = 0;

protected:
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseLeave(TMessage& m) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

    int Clamp(int Value) const;
    bool Horizontal() const { return FKind == sbHorizontal; }
    int HitPart(int X, int Y) const;
    void TrackHover(int X, int Y);
    void EnterPart(int i);
    void LeavePart(int i);
    void UpStep();
    void DownStep();
    void StartRepeat(int mode);
    void StopRepeat();
    void RepeatTick();
    void DrawDefaultPart(TCanvas* C, int i);
    void DrawSkinPart(TCanvas* C, int i);

    int FMin = 0, FMax = 100, FPosition = 0, FSmallChange = 1, FLargeChange = 1, FPageSize = 0;
    TScrollBarKind FKind = sbHorizontal;
    bool FBoth = false;
    int FBothMarkerWidth = 19;
    std::string FNormalSkinDataName;
    bool FCanFocused = false;
    bool FClicksDisabled = false;
    int Offset1 = 0, Offset2 = 0, BOffset = 0;
    TRect NewTrackArea;
    bool FDown = false;
    int OMPos = 0, OldBOffset = 0, MX = 0, MY = 0;
    bool MouseD = false;
    bool WaitMode = false;
    int TimerMode = 0;
    int ActiveButton = -1, OldActiveButton = -1, CaptureButton = -1;
    TbsScrollBarPart Buttons[3];
    std::unique_ptr<TTimer> FRepeatTimer;
};

// ---------------------------------------------------------------------------
// Slider.

enum TbsSliderOrientation { soHorizontal, soVertical };
enum TbsSliderOption { soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque };
using TbsSliderOptions = TEnumSet<TbsSliderOption>;
enum TbsSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
using TbsSliderImages = TEnumSet<TbsSliderImage>;
enum TbsJumpMode { jmNone, jmHome, jmEnd, jmNext, jmPrior };

// The slider's own pictures, used without a skin entry: "BS_HTB" horizontal
// thumb (two 9 x 17 states), "BS_HRL" horizontal ruler 10 x 8, "BS_VTB"
// vertical thumb (two 19 x 9 states), "BS_VRL" vertical ruler 8 x 10. Drawn
// in code; the colour of the bottom-left pixel is their transparent colour.
std::unique_ptr<TBitmap> bsSliderDefaultImage(TbsSliderImage Which);

// A track bar: a ruler, tick points and a thumb between MinValue and
// MaxValue, drawn from a "slider" entry or from its own four pictures.
class TbsSkinCustomSlider : public TbsSkinControl
{
public:
    explicit TbsSkinCustomSlider(TComponent* AOwner);
    ~TbsSkinCustomSlider() override;

    void GetSkinData() override;
    void ChangeSkinData() override;

    int Value() const { return FValue; }
    // Clamped to the range; OnChange when the value changed.
    void SetValue(int Value);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    // Ignored unless Min < Max; an increment beyond the range shrinks to it.
    void SetRange(int AMin, int AMax);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value);
    TbsSliderOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TbsSliderOrientation Value);
    TbsSliderOptions Options() const { return FOptions; }
    void SetOptions(TbsSliderOptions Value);
    int EdgeSize() const { return FEdgeSize; }
    void SetEdgeSize(int Value);
    int NumThumbStates() const { return FNumThumbStates; }
    void SetNumThumbStates(int Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool UseSkinThumb = true;
    TBitmap* Image(TbsSliderImage Which) const { return FImages[Which].get(); }
    // A picture replaces the own image; null brings the default back.
    void SetImage(TbsSliderImage Which, TBitmap* Value);

    TNotifyEvent OnChange, OnChanged, OnDrawPoints;

    TRect ThumbRect() const { return FThumbRect; }
    TPoint RulerOrg() const { return FRulerOrg; }
    int RulerWidth() const { return FRuler->GetWidth(); }
    bool Sliding() const { return FSliding; }
    // The thumb's travel along the ruler.
    int GetRulerLength() const;
    int ValueToOffset(int V) const;
    int OffsetToValue(int X) const;
    void ThumbJump(TbsJumpMode Mode);
    // The tick points on the slider's canvas (for an OnDrawPoints handler
    // that adds its own marks to them).
    virtual void DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight);
    // Lays ruler, thumb and points out for the current size.
    void UpdateLayout();

    // From the skin entry.
    TRect HRulerRect, HThumbRect, VRulerRect, VThumbRect;
    int SkinEdgeSize = 0;
    int BGColor = 0, PointsColor = 0;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void DropSkinReferences() override;
    virtual bool CanModify() { return true; }
    virtual void Change();
    virtual void Changed();
    void DrawPoints(TCanvas* C, int Step, int ExtremeHeight, int Height);

    bool SkinThumb() const { return FIndex != -1 && UseSkinThumb && FPicture; }
    TSize ThumbSize() const;
    void BuildRuler();
    void SetThumbOffset(int X);
    TPoint ConstrainThumbOffset(int& X) const;
    TbsJumpMode JumpModeAt(TPoint P) const;
    void TimerTrack();
    void StopTracking();

    TBitmap* FPicture = nullptr;   // the store's picture of the entry (not owned)
    bool FTransparent = false;
    TbsSliderImages FUserImages;
    std::unique_ptr<TBitmap> FImages[4];
    int FEdgeSize = 2;
    std::unique_ptr<TBitmap> FRuler;
    TPoint FRulerOrg;
    TRect FThumbRect;
    bool FThumbDown = false;
    bool FThumbHot = false;   // the pointer is over the thumb
    int FNumThumbStates = 2;
    TRect FPointsRect;
    TbsSliderOrientation FOrientation = soHorizontal;
    TbsSliderOptions FOptions{soShowFocus, soShowPoints, soSmooth};
    int FMinValue = 0, FMaxValue = 100, FIncrement = 10, FValue = 0;
    int FHit = 0;
    bool FFocused = false, FSliding = false, FTracking = false;
    TPoint FMousePos;
    TbsJumpMode FStartJump = jmNone;
    std::unique_ptr<TTimer> FTrackTimer;
};

class TbsSkinSlider : public TbsSkinCustomSlider
{
public:
    using TbsSkinCustomSlider::TbsSkinCustomSlider;
};

#include "lib/bsSkinCtrls/Views.h"

// The menu speed button (it opens the skinned menus).
#include "lib/bsSkinCtrls/MenuSpeedButton.h"
