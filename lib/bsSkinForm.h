// The form skinning component: takes over a form's window procedure and
// draws the whole frame (borders, caption, caption buttons) from the current
// skin, or a plain default frame when there is none; answers the non-client
// hit test and mouse, and passes skin changes on to the form's controls.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "lib/bsSkinHint.h"
#include "lib/bsSkinMenus.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

// HTOBJECT (19) is the hit-test code of every frame point that is neither
// client, caption nor a sizing edge (caption objects, dead frame parts).
constexpr UINT BSM_QUERYSKINNEDFORM = 45490;

class TbsSkinForm;
class TbsFormLayerBorder;
class TbsTrayIcon;
class TbsSkinMDITabsBar;

// Where a form is placed when first shown: centred on its monitor's whole
// rectangle or on its work area.
enum TbsPositionInMonitor { bspDefault, bspScreenCenter, bspDesktopCenter };

// Posted by the tray icon to the main form it shows again.
constexpr UINT BSM_TRAY_SHOWMAINFORM = 1426;
// Between an MDI main form and its children.
constexpr UINT BSM_MDICHILD_ADJUST = 1230;
constexpr UINT BSM_MDICHILD_MAXIMIZED = 1231;
constexpr UINT BSM_MDICHILD_RESTORED = 1232;
constexpr UINT BSM_SMARTEFFECTS_BEGIN = 45491;
constexpr UINT BSM_SMARTEFFECTS_END = 45492;

// The caption buttons a form shows (the close button always).
struct TbsBorderIcons
{
    bool SystemMenu = true, Minimize = true, Maximize = true, RollUp = true, MinimizeToTray = false;
};

// ---------------------------------------------------------------------------
// Caption objects: plain objects kept by the form component, which lays them
// out, hit-tests them, draws them into the frame and feeds them the mouse.
// Their pictures belong to the skin store.
class TbsActiveSkinObject : public TObject
{
public:
    TbsActiveSkinObject(TbsSkinForm* AParent, const TbsDataSkinObject* AData);
    virtual ~TbsActiveSkinObject() = default;

    std::string IDName;
    std::string Hint;
    TRect SkinRect, ActiveSkinRect, InActiveSkinRect;
    int ActivePictureIndex = -1, ActiveMaskPictureIndex = -1;
    bool SkinRectInAPicture = false;
    // Fade between the normal and the hot picture: 0 normal, 1 hot.
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    double FMorphKf = 0.0;
    // Glow picture shown in a layered window around the hot object.
    int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
    int GlowLayerOffsetX = 0, GlowLayerOffsetY = 0, GlowLayerAlphaBlendValue = 255;
    // Place in window coordinates.
    TRect ObjectRect;
    bool Active = false;
    bool FMouseIn = false;
    bool FDown = false;
    bool Enabled = true;
    bool Visible = true;

    // Whether an object-relative point is on the object's shape (the black
    // pixels of its mask picture; the whole rectangle without one).
    virtual bool IsActiveMaskPoint(int X, int Y) const;
    // Morphing: wanted and possible with the skin; a step left to go; one
    // step of 0.2 towards the state (clamped to 0..1), then a redraw.
    bool EnableMorphing() const;
    virtual bool CanMorphing() const;
    void DoMorphing();
    void SetMorphKf(double Value);
    // The object's state changed: a fade when morphing, else a redraw.
    void ReDraw();
    // Shows or hides the glow (skin, layered windows and the store's switch
    // permitting).
    virtual void ShowLayer();
    virtual void HideLayer();
    virtual void MouseMove(int X, int Y);
    // Draws the object on a canvas whose origin is `origin` in window
    // coordinates.
    virtual void Draw(TCanvas* Cnvs, TPoint origin);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseDown(int X, int Y, TMouseButton Button);
    virtual void MouseUp(int X, int Y, TMouseButton Button);
    virtual void DblClick() {}
    virtual bool IsCaption() const { return false; }

protected:
    // The store's active picture of the object, or null (bad index).
    TBitmap* ActivePicture() const;
    // The morph factor is between its ends for the current state.
    bool MorphMidway() const;
    // Draws `normal` (of the frame picture unless SkinRectInAPicture) faded
    // into `hot` of the active picture by the morph factor, at ObjectRect.
    void DrawMorph(TCanvas* Cnvs, TPoint origin, const TRect& normal, const TRect& hot);
    TbsSkinForm* Parent;
};

// A caption button: normal, hot, pressed, disabled and inactive pictures.
class TbsSkinButtonObject : public TbsActiveSkinObject
{
public:
    TbsSkinButtonObject(TbsSkinForm* AParent, const TbsDataSkinButton* AData);
    TRect DownRect, DisableSkinRect;
    void Draw(TCanvas* Cnvs, TPoint origin) override;
    void MouseDown(int X, int Y, TMouseButton Button) override;
    void MouseUp(int X, int Y, TMouseButton Button) override;
    // The button's menu is open: it stays down until the menu closes.
    bool FMenuOpen = false;
    // The drop-down menu linked by the form's LinkMenu (opens on a press).
    TMenuItem* MenuItem = nullptr;
    bool FPopupUp = false;

protected:
    // The picture part for the current state (empty: draw nothing).
    virtual TRect StateRect() const;
    // The normal and hot picture parts a fade runs between.
    virtual void MorphRects(TRect& normal, TRect& hot) const;
    // The button was clicked (pressed and released over it).
    virtual void Click() {}
};

// A standard caption button carrying a form command.
class TbsSkinStdButtonObject : public TbsSkinButtonObject
{
public:
    TbsSkinStdButtonObject(TbsSkinForm* AParent, const TbsDataSkinStdButton* AData);
    TbsStdCommand Command = cmClose;
    TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInActiveRect;
    // The hint in the restore state, and the normal one held meanwhile.
    std::string RestoreHint, FTempHint;
    void Draw(TCanvas* Cnvs, TPoint origin) override;
    void MouseEnter() override;
    // The system-menu button opens the system menu on the press.
    void MouseDown(int X, int Y, TMouseButton Button) override;

protected:
    TRect StateRect() const override;
    void MorphRects(TRect& normal, TRect& hot) const override;
    bool CanMorphing() const override;
    bool IsActiveMaskPoint(int X, int Y) const override;
    void ShowLayer() override;
    void HideLayer() override;
    void Click() override;
    // The system-menu button shows the form's icon.
    bool ShowsIcon() const;
    // The look without a skin entry.
    void DrawDefault(TCanvas* Cnvs, const TRect& r);
};

// The caption text.
class TbsSkinCaptionObject : public TbsActiveSkinObject
{
public:
    TbsSkinCaptionObject(TbsSkinForm* AParent, const TbsDataSkinCaption* AData);
    bool IsCaption() const override { return true; }
    void Draw(TCanvas* Cnvs, TPoint origin) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int X, int Y, TMouseButton Button) override;
    void MouseUp(int X, int Y, TMouseButton Button) override;
    void MouseMove(int X, int Y) override;
    // Finds the hot quick button under a window point and repaints on a change.
    void CheckQuickButtons(int X, int Y);
    // Where the quick buttons begin: the object's left, past caption
    // buttons lying there.
    int QuickButtonsLeft() const;
    // An activation animation is in the skin and effects are on.
    bool EnableAnimation() const;
    // The animation frame n (1-based) of AnimateSkinRect.
    TRect AnimationFrame(int n) const;

    int ActiveQuickButton = -1, OldActiveQuickButton = -1;
    bool StretchEffect = false;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    int CurrentFrame = 0, FIncTime = 0;
    bool InActiveAnimation = false;

    std::string FontName;
    int FontHeight = 0;
    bool Bold = false;
    int FontColor = 0, ActiveFontColor = 0, ShadowColor = 0, ActiveShadowColor = 0;
    bool Shadow = false;
    TbsAlignment Alignment = bstaLeftJustify;
    TRect TextRct;
    // A copy of the text one pixel up and left.
    bool Light = false;
    int LightColor = 0, ActiveLightColor = 0;
    // A picture (of the active picture) behind the text, widened with it or
    // spanning the caption.
    TRect FrameRect, ActiveFrameRect, FrameTextRect;
    int FrameLeftOffset = 0, FrameRightOffset = 0;
    bool FullFrame = false;
    // Glow behind the text or a fading mirror image under it.
    bool GlowEffect = false, GlowInActiveEffect = false, VistaGlowEffect = false, VistaGlowInActiveEffect = false;
    int GlowSize = 0, GlowColor = 0, GlowActiveColor = 0, GlowOffset = 0;
    bool ReflectionEffect = false;
    int ReflectionColor = 0, ReflectionActiveColor = 0, ReflectionOffset = 0;

private:
    // The caption picture of `src` in `pic` at the object's size, with the
    // text drawn in the active or inactive look.
    void CaptionPicture(TBitmap& out, TBitmap* pic, const TRect& src, bool activeLook);
    // Draws the caption text into the rectangle `text` (canvas coordinates;
    // the object's top-left at `at`).
    void DrawText(TCanvas* C, TRect text, bool activeLook, TPoint at);
    // The text rectangle in canvas coordinates (origin at `origin`).
    TRect TextRect(TPoint origin) const;
    void DrawQuickButtons(TCanvas* C, TPoint origin);
};

// A caption area the application paints itself (OnPaintEvent).
class TbsUserObject : public TbsActiveSkinObject
{
public:
    using TbsActiveSkinObject::TbsActiveSkinObject;
    void Draw(TCanvas* Cnvs, TPoint origin) override;
};

// A strip of frames from the skin played continuously, once, or as a
// button (forward while hot, backward after leaving) with a command.
class TbsSkinAnimateObject : public TbsActiveSkinObject
{
public:
    TbsSkinAnimateObject(TbsSkinForm* AParent, const TbsDataSkinAnimate* AData);
    void Draw(TCanvas* Cnvs, TPoint origin) override;
    void DblClick() override;
    void MouseDown(int X, int Y, TMouseButton Button) override;
    void MouseUp(int X, int Y, TMouseButton Button) override;
    void MouseEnter() override;
    void MouseLeave() override;
    // Plays from frame 1; Stop shows frame 1.
    void Start();
    void Stop();
    // One 25 ms tick of the form's animation timer.
    void ChangeFrame();
    void SetFrame(int Value);
    void DoCommand();
    // In its restore look (maximized, minimized or rolled up).
    bool RestoreState() const;

    int FFrame = 1, FInc = 25, TimerInterval = 25, CountFrames = 0;
    bool Cycle = false, ButtonStyle = false, Increment = true, FMenuTracking = false;
    TbsStdCommand Command = cmClose;
    TRect DownSkinRect, RestoreRect, RestoreActiveRect, RestoreInActiveRect, RestoreDownRect;
    std::string RestoreHint, FTempHint;
    // The drop-down menu linked by the form's LinkMenu (a button-style animation).
    TMenuItem* MenuItem = nullptr;
    bool FPopupUp = false;

private:
    // Hot or left in button style: plays forward or back.
    void PlayAsButton(bool forward);
};

// ---------------------------------------------------------------------------
// Quick buttons: small image buttons at the left of the caption text.
class TbsQuickButtonItem : public TCollectionItem
{
public:
    explicit TbsQuickButtonItem(TCollection* Collection);
    // Copies image, hint and states (not the click handler).
    void Assign(const TPersistent* Source) override;

    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    std::string Hint;
    TNotifyEvent OnClick;
    // Place in window coordinates (set when the caption draws the button).
    TRect ItemRect;
    bool Active = false, Down = false;

private:
    int FImageIndex = -1;
    bool FEnabled = true, FVisible = true;
};

class TbsQuickButtonItems : public TCollection
{
public:
    explicit TbsQuickButtonItems(TbsSkinForm* ABSF);
    TbsQuickButtonItem* Items(int Index) const { return static_cast<TbsQuickButtonItem*>(TCollection::Items(Index)); }
    // The caption repaints once the new item is complete.
    TbsQuickButtonItem* Add();
    TbsQuickButtonItem* Insert(int Index);
    TbsSkinForm* BSF;

protected:
    // A changed item repaints the caption of a shown form.
    void Update(TCollectionItem* Item) override;
};

// ---------------------------------------------------------------------------
// The inactive client panel: covers the client area of an inactive form
// with a frozen picture of it, blurred or faded into the skin background.
enum TbsClientInActiveEffect { bsieSemiTransparent, bsieBlur };

class TbsClientInActivePanel : public TbsSkinPaintPanel
{
public:
    explicit TbsClientInActivePanel(TComponent* AOwner);
    void ShowPanel(TCustomForm* AForm, TbsClientInActiveEffect AEffect);
    void HidePanel();
    TbsBitmap* Buffer() const { return FBuffer.get(); }

protected:
    void Paint() override;

private:
    std::unique_ptr<TbsBitmap> FBuffer;
};

// ---------------------------------------------------------------------------
class TbsSkinForm : public TComponent
{
public:
    // AOwner must be a form (raises "Invalid class typecast" otherwise).
    explicit TbsSkinForm(TComponent* AOwner);
    ~TbsSkinForm() override;

    std::string GetProductVersion() const { return "7.81"; }

    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TCustomForm* Form() const { return FForm; }
    bool GetSkinnableForm() const { return FSkinnableForm; }
    void SetSkinnableForm(bool Value);
    // Whether the frame is drawn from a skin (else the default frame).
    bool SkinSupport() const { return FSkinSupport; }

    const TbsBorderIcons& BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(const TbsBorderIcons& Value);

    bool GetFormActive() const;
    // A form shown inside another one as a picture (a skin preview): its
    // frame always looks active, does not follow the mouse and keeps the
    // size its host gives it, below the skin's minimum too.
    bool PreviewMode = false;
    bool RollUpState() const { return FRollUpState; }
    void ChangeRollUpState(bool Value);

    // ---- Window states, size limits, roll-up, tray (States.cpp) ----
    // The state the frame shows; the form's own when the frame is not skinnable.
    TWindowState WindowState() const;
    void ChangeWindowState(TWindowState Value);
    int GetMaxWidth() const;
    int GetMaxHeight() const;
    void RefreshFormSize();
    void ApplyPositionInMonitor();
    TPoint GetPositionInMonitor(int AX, int AY, int AW, int AH) const;
    void MinimizeToTray();
    void RestoreFromTray();
    // The drop shadow of the window class (CS_DROPSHADOW), with layered windows only.
    void EnableShadow(bool AShowShadow, bool AHideFormBefore);
    bool HaveShadow() const { return FHaveShadow; }
    TbsTrayIcon* TrayIcon() const { return FTrayIcon; }
    void SetTrayIcon(TbsTrayIcon* Value);
    // Sizeable by the user: AlwaysResize or a sizeable border style.
    bool IsSizeable() const;
    // The first visible stay-on-top form of the screen, or null.
    static TCustomForm* FindTopMostForm();
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
    // The client size the form keeps through every skin change (0: none);
    // the client height is also the one rolling down gives back.
    int ClientWidth() const { return FClientWidth; }
    void SetClientWidth(int Value);
    int ClientHeight() const { return FClientHeight; }
    void SetClientHeight(int Value);
    // The size grip of this status bar is hidden while the form is maximized.
    TbsSkinStatusBar* StatusBar() const { return FStatusBar; }
    void SetStatusBar(TbsSkinStatusBar* Value);
    bool MaximizeOnFullScreen = false;
    bool AlwaysResize = false;
    bool AlwaysShowInTray = false;
    // The minimize command (button, system menu) minimizes to the notification area.
    bool AlwaysMinimizeToTray = false;
    TbsPositionInMonitor PositionInMonitor = bspDefault;
    TRect OldBoundsRect;
    bool MaxRollUpState = false;
    TNotifyEvent OnMinimize, OnMaximize, OnRestore, OnChangeRollUpState;
    TNotifyEvent OnMinimizeToTray, OnRestoreFromTray;

    // ---- MDI (Mdi.cpp): on the main form's component ----
    void Tile();
    void Cascade();
    void MinimizeAll();
    void MaximizeAll();
    void CloseAll();
    void RestoreAll();
    // The MDI client's area in the main form's client coordinates.
    TRect GetMDIWorkArea() const;
    TCustomForm* GetMaximizedMDIChild() const;
    bool MDIChildMaximized() const { return FMDIChildMaximized; }
    void MDIItemClick(TObject* Sender);
    void AddChildToMenu(TCustomForm* Child);
    void DeleteChildFromMenu(TCustomForm* Child);
    void UpDateChildCaptionInMenu(TCustomForm* Child);
    void UpDateChildActiveInMenu();
    void AdjustMDIChilds();
    // The main form's tabs bar, and what a child's component asks before its tab is added.
    TbsSkinMDITabsBar* MDITabsBar = nullptr;
    std::function<void(TObject* Sender, bool& Accept)> OnAcceptToMDITabsBar;
    void AddChildToBar(TCustomForm* Child);
    void DeleteChildFromBar(TCustomForm* Child);
    void RefreshMDIBarTab(TCustomForm* Child);
    void UpdateMDITabsBar();
    void UpdateMainMenuBarItems();
    // The active child the menu bar was last updated for (compared only).
    const TCustomForm* FBarChild = nullptr;

    // ---- Moving, magnetic edges, alpha, fade-in, layered border (MoveSize.cpp) ----
    bool CanShowBorderLayer() const;
    bool CanFadeInByBorderLayer() const;
    void DoMagnetic(int& L, int& T, int W, int H);
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool Value);
    BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(BYTE Value);
    bool AlphaBlendAnimation = false;
    bool Magnetic = false;
    int MagneticSize = 5;
    bool AlwaysDisableLayeredFrames = false;
    TbsFormLayerBorder* BorderLayer() const { return FBorderLayer.get(); }
    // Alpha steps of the last fade-in.
    int FadeStepCount() const { return FFade.Steps(); }
    bool HMagnetized = false, VMagnetized = false, HMagnetized2 = false, VMagnetized2 = false;
    // The layered border itself is resizing the form.
    bool FBorderLayerChangeSize = false;
    int FFormLeft = 0, FFormTop = 0, FOldFormLeft = 0, FOldFormTop = 0;

    // Geometry in window coordinates.
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NewClRect, NewCaptionRect, NewButtonsRect, NewMaskRectArea, NewDefCaptionRect;
    TPoint NewHitTestLTPoint, NewHitTestRTPoint, NewHitTestLBPoint, NewHitTestRBPoint;
    int NewButtonsOffset = 0;
    bool NewButtonsInLeft = false;
    int FFormWidth = 0, FFormHeight = 0;

    void CalcRects();
    void CalcDefRects();
    void ArrangeObjects();
    TRect CalcObjectRect(const TRect& R) const;
    int SkinHitTest(TPoint P);
    int DefaultHitTest(TPoint P);
    bool PointInMask(TPoint P) const;
    int GetDefCaptionHeight() const;
    int GetDefButtonSize() const;
    int GetMinWidth() const;
    int GetMinHeight() const;

    // Paints the frame into the window DC, or into DC when given.
    void PaintNCSkin(HDC DC = nullptr);
    void PaintNCDefault(HDC DC = nullptr);
    void RefreshFrame(bool AUpdate);
    // Repaints the whole frame.
    void Repaint() { NCPaint(); }
    void SetFormRegion(bool AUpdate);
    HRGN Region() const { return FRgn; }

    // Client background (WM_ERASEBKGND), each with the client DC; nothing
    // for a null DC.
    void PaintBGDefault(HDC DC);
    void PaintBG(HDC DC);
    void PaintBG2(HDC DC);
    // The MDI client's: the application workspace colour, the store's MDI picture.
    void PaintMDIBGDefault(HDC DC);
    void PaintBG3(HDC DC);
    // A logo centred on the background (not owned by the skin).
    std::unique_ptr<TBitmap> LogoBitMap;
    bool LogoBitMapTransparent = false;

    void ChangeSkinData();
    void CreateObjects();
    void CreateDefaultObjects();
    void ClearObjects();
    void CheckObjects();
    // The standard buttons take their hints from the string table while it is set.
    bool UseDefaultObjectHint = true;
    void SetDefaultObjectHints();
    int GetIndex(const std::string& AIDName) const;
    void SetEnabled(const std::string& AIDName, bool Value);

    // The form's command of a caption button.
    void DoStdCommand(TbsStdCommand cmd);

    std::vector<std::unique_ptr<TbsActiveSkinObject>> ObjectList;
    int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;
    void TestActive(int X, int Y, bool AInObject);

    TNotifyEvent OnChangeSkinData, OnBeforeChangeSkinData, OnAfterChangeSkinData;
    TNotifyEvent OnActivate, OnDeActivate;
    // When set, replaces the skinned system menu of the right click on the
    // caption and of the system-menu button (called with the screen point).
    std::function<void(TPoint)> OnSystemMenu;
    // A caption double click.
    TNotifyEvent OnCaptionDblClick;

    // Counts frame paints (skinned or default).
    int NCPaintCount = 0;

    // ---- caption objects: quick buttons, effects, icon, inactive client ----
    TbsQuickButtonItems* QuickButtons() const { return FQuickButtons.get(); }
    void SetQuickButtons(const TbsQuickButtonItems* Value);
    TCustomImageList* QuickImageList() const { return FQuickImageList; }
    void SetQuickImageList(TCustomImageList* Value);
    // The form has quick buttons (items and their images).
    bool HasQuickButtons() const;
    bool QuickButtonsShowHint = false;
    // The skinned hint that shows the caption objects' hints (with
    // ShowObjectHint) and the quick buttons' hints; not owned.
    TbsSkinHint* SkinHint() const { return FSkinHint; }
    void SetSkinHint(TbsSkinHint* Value);
    bool ShowObjectHint = false;
    // Call points of the skinned hint: show a hint text, hide it.
    std::function<void(const std::string&)> OnShowHint;
    std::function<void()> OnHideHint;

    // The system-menu button shows the form's small icon.
    bool GetShowIcon() const { return FShowIcon; }
    void SetShowIcon(bool Value);
    void PrepareFormIcon();
    void DrawFormIcon(TCanvas* Canvas, int X, int Y);
    void GetSmallIconSize(int& W, int& H) const;

    // Events of the caption objects, with the object's IDName; points and
    // rectangles in window coordinates.
    std::function<void(const std::string&)> OnMouseEnterEvent, OnMouseLeaveEvent;
    std::function<void(const std::string&, int, int, const TRect&, TMouseButton)> OnMouseDownEvent, OnMouseUpEvent;
    std::function<void(const std::string&, int, int, const TRect&)> OnMouseMoveEvent;
    std::function<void(const std::string&, TCanvas*, const TRect&)> OnPaintEvent;
    // Replaces the drawing of the caption text.
    std::function<void(TCanvas*, const TRect&, bool)> OnCaptionPaint;
    // The caption fonts of the default frame (active, inactive).
    TFont* DefCaptionFont() const { return FDefCaptionFont.get(); }
    void SetDefCaptionFont(const TFont* Value);
    TFont* DefInActiveCaptionFont() const { return FDefInActiveCaptionFont.get(); }
    void SetDefInActiveCaptionFont(const TFont* Value);
    // The caption buttons are hidden (those drawn in the frame picture stay,
    // disabled).
    bool HideCaptionButtons() const { return FHideCaptionButtons; }
    void SetHideCaptionButtons(bool Value);
    // Decides whether a custom caption button of the skin is shown (hidden
    // unless the handler says so).
    std::function<void(TObject* Sender, const std::string& IDName, bool& ObjectVisible)> OnActivateCustomObject;
    // The form's cursor shows over the whole frame except the sizing edges.
    bool UseFormCursorInNCArea = false;
    // Links a drop-down menu to a caption button (or button-style
    // animation) by its name; it opens on a press, upward with APopupUp.
    // The link lasts through skin changes; a null menu removes it.
    void LinkMenu(const std::string& AIDName, TMenu* AMenu, bool APopupUp);
    // Opens a caption object's linked menu under it.
    void TrackObjectMenu(TbsActiveSkinObject* Obj, TMenuItem* Item, bool PopupUp);

    // 25 ms timers of the fades and the animations; both stop when nothing moves.
    TTimer* MorphTimer = nullptr;
    TTimer* AnimateTimer = nullptr;
    void MorphTimerProc();
    void AnimateTimerProc();
    // Glow layers of the caption buttons (with and without an open menu).
    TbsLayerManager* FLayerManager = nullptr;
    TbsLayerManager* FMenuLayerManager = nullptr;
    TbsSkinHint* FSkinHint = nullptr;
    void HideGlowLayers();
    // Repaints one caption object (through the frame).
    void DrawSkinObject(TbsActiveSkinObject* AObject);
    // Redraws a user object on request.
    void UserObjectDraw(const std::string& AIDName);
    // The caption object follows the form's activity (animated or at once).
    void UpdateCaptionActive(bool AAnimate);
    // Objects lose their hover state and fades; animations go to frame 1.
    void ResetObjectStates();
    // Skinned and the store has effects switched on.
    bool IsAutoRenderingInActiveImage() const;

    bool ClientInActiveEffect = false;
    TbsClientInActiveEffect ClientInActiveEffectType = bsieSemiTransparent;
    TbsClientInActivePanel* InActivePanel() const { return FInActivePanel; }
    // Shows the inactive-client panel on deactivation, drops it on activation.
    void ShowClientInActiveEffect();
    void HideClientInActiveEffect();
    // True while the panel captures the client background.
    bool FClientInActiveDraw = false;

    // The layered border's call point: asked to show (with the active state)
    // or hide the border when the store's switch or the skin changes.
    std::function<void(bool Show, bool Active)> OnLayeredBorderChange;
    // ---- menus (SystemMenu.cpp) ----
    // Runs every skinned menu of the form.
    TbsSkinMenu* SkinMenu = nullptr;
    // The store the form's menus are drawn from (null: SkinData).
    TbsSkinData* MenusSkinData() const { return FMenusSD; }
    void SetMenusSkinData(TbsSkinData* Value);
    // A user menu shown as the system menu; with UseDefaultSysMenu the
    // standard items are merged into it.
    TPopupMenu* SystemMenu() const { return FSystemMenu; }
    void SetSystemMenu(TPopupMenu* Value);
    bool UseDefaultSysMenu = true;
    // The right click on the caption opens no system menu.
    bool DisableSystemMenu = false;
    // The menu of the notification-area icon.
    TbsSkinPopupMenu* SysTrayMenu() const { return FSysTrayMenu; }
    // What the form's menus are made of (kept by SkinMenu).
    int DefMenuItemHeight() const;
    void SetDefMenuItemHeight(int Value);
    TFont* DefMenuItemFont() const;
    void SetDefMenuItemFont(const TFont* Value);
    bool UseSkinFontInMenu() const;
    void SetUseSkinFontInMenu(bool Value);
    bool MenusAlphaBlend() const { return FMenusAlphaBlend; }
    void SetMenusAlphaBlend(bool Value);
    BYTE MenusAlphaBlendValue() const { return FMenusAlphaBlendValue; }
    void SetMenusAlphaBlendValue(BYTE Value);
    bool MenusAlphaBlendAnimation() const { return FMenusAlphaBlendAnimation; }
    void SetMenusAlphaBlendAnimation(bool Value);
    int MaxMenuItemsInWindow() const { return FMaxMenuItemsInWindow; }
    void SetMaxMenuItemsInWindow(int Value);
    TMenuItem* GetSystemMenuItems();
    void PopupSystemMenuAt(int X, int Y);
    void PopupSystemMenuInRect(const TRect& R);
    void PopupSystemMenuFromButton();
    // Opens the system menu under a caption object pressed by the mouse
    // (the object no longer holds the mouse: the menu takes the clicks).
    void PopupSystemMenuFromObject(TbsActiveSkinObject* Obj);
    void DoPopupMenu(TPopupMenu* Menu, int X, int Y);
    void PopupSkinMenu(TMenu* Menu, TPoint P);
    void PopupSkinMenu1(TMenu* Menu, const TRect& R, bool PopupUp);
    // Menu tracking: the application hook routes the keys to the open menu.
    void SkinMenuOpen();
    void SkinMenuClose();
    bool InMenu() const { return FInMenu; }
    void SetInMenu(bool Value) { FInMenu = Value; }
    // The main menu bar is in menu mode.
    bool InMainMenu() const { return FInMainMenu; }
    void SetInMainMenu(bool Value) { FInMainMenu = Value; }
    bool AppHooked() const { return FAppHook != 0; }
    void HookApp();
    void UnHookApp();
    // The form's skinned main menu bar (null: none).
    TbsSkinMainMenuBar* MainMenuBar() const { return FMainMenuBar; }
    void SetMainMenuBar(TbsSkinMainMenuBar* Value);
    void LeaveMainMenu();
    void MainMenuPopupClosed();
    TNotifyEvent OnSkinMenuOpen, OnSkinMenuClose, OnMainMenuEnter, OnMainMenuExit;
    // Called first for every shortcut key of the form.
    TShortCutEvent OnShortCut;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void NewWindowProc(TMessage& m);
    // The handlers of States.cpp and MoveSize.cpp, asked first; true when the
    // message was handled whole.
    bool StatesWindowProc(TMessage& m);
    bool MoveSizeWindowProc(TMessage& m);
    bool MdiWindowProc(TMessage& m);
    bool IsMDIChild() const;
    bool IsMaximizedMDIChild() const;
    // The main form's component when it is an MDI form, else null.
    TbsSkinForm* MainMDISkinForm() const;
    void SubclassMDIClient();
    LRESULT MDIClientWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void ArrangeMinimizedChilds();
    void CaptionDblClick();
    void DoMinimize();
    void DoMaximize();
    void DoRestore();
    void GetMinimizedPosition(TPoint& P);
    void FadeIn();
    void LayerAfterSkinChange();
    void PassOn(TMessage& m) { OldWindowProc(m); }
    TPoint ScreenToWindow(TPoint P) const;
    bool InCaptionArea(TPoint P) const;
    bool Sizeable() const;
    bool HasBorder() const;
    void NCPaint();
    void PaintPicture(HDC DC, TBitmap* P, bool stretch, TbsStretchType type);
    // The client filled with one colour, the logo on it.
    void PaintPlainBG(HDC DC, TColor Color);
    void DrawLogo(TCanvas* C);
    void ObjectsMouseMove(int X, int Y);
    void ObjectsMouseDown(TMouseButton Button, int X, int Y);
    void ObjectsMouseUp(TMouseButton Button, int X, int Y);
    void MouseTimerProc(TObject*);
    // Menus (SystemMenu.cpp).
    void CreateMenus();
    void CreateSystemMenu();
    void UpdateUserSystemMenu();
    void CreateTrayMenu();
    TMenuItem* MakeSysItem(const std::string& name, const std::string& key, const std::string& builtIn,
                           std::function<void()> click);
    // A built-in caption from the store's string table (the text itself without one).
    std::string ResCaption(const std::string& key, const std::string& builtIn) const;
    void UpdateTrayMenuCaptions();
    // The links of LinkMenu given to the objects anew (after they are rebuilt).
    void ApplyMenuLinks();
    // The form's client size as the component keeps it (after a skin change).
    void ApplyClientSize();
    // The form's own border icons while the system frame is used.
    void UpdateFormBorderIcons();
    void AppMessage(TMsg& Msg, bool& Handled);
    void FormShortCut(TWMKey& Msg, bool& Handled);
    bool CheckMainMenuBarHotKey(WORD Key);
    void MenuKeyDown(WORD Key);
    void CloseMenusOnMessage(UINT Msg);
    void ReleaseMenuObject();
    // Hides the caption objects' hint (a menu opens, the form is pressed,
    // moved or activated).
    void HideSkinHint();

    TCustomForm* FForm = nullptr;
    TWndMethod OldWindowProc;
    TbsSkinData* FSD = nullptr;
    bool FSkinnableForm = true;
    bool FSkinSupport = false;
    bool FStopPainting = false;
    int FPaintLock = 0;
    bool FFormActive = false;
    bool FRollUpState = false;
    int FOldHeight = 0;
    TWindowState FWindowState = wsNormal;
    bool FRollUpBeforeMaximize = false;
    bool FStartShow = true;
    TbsTrayIcon* FTrayIcon = nullptr;
    bool FAlphaBlend = false;
    BYTE FAlphaBlendValue = 200;
    bool FSizeMove = false, FSizing = false, FFullDrag = false;
    bool FSmartEffectsShow = false;
    TPoint FOnMouseDownCoord{-1, -1};
    std::unique_ptr<TbsFormLayerBorder> FBorderLayer;
    bool FMDIChildMaximized = false;
    bool FHaveShadow = false;
    bool FTrayDblClickGiven = false;
    HWND FClientWnd = nullptr;
    TSubclassToken FClientToken = 0;
    TbsBorderIcons FBorderIcons;
    HRGN FRgn = nullptr;
    std::unique_ptr<TBitmap> RMTop, RMBottom, RMLeft, RMRight;
    TTimer* MouseTimer = nullptr;
    // Quick buttons, icon and inactive client (caption-object parts).
    void ObjectsAttach();
    void ActivationChanged();
    void LayeredBordersChanged();
    bool PrintToDC(HDC DC);
    bool InQuickButtonsArea(TPoint P) const;
    std::unique_ptr<TbsQuickButtonItems> FQuickButtons;
    TCustomImageList* FQuickImageList = nullptr;
    bool FShowIcon = false;
    HICON FIcon = nullptr;
    TbsClientInActivePanel* FInActivePanel = nullptr;
    TbsSkinData* FMenusSD = nullptr;
    TPopupMenu* FSysMenu = nullptr;
    TbsSkinPopupMenu* FSysTrayMenu = nullptr;
    bool FInMenu = false, FInMainMenu = false;
    TMessageHookToken FAppHook = 0;
    TApplication* FHookApp = nullptr;
    TbsSkinMainMenuBar* FMainMenuBar = nullptr;
    bool FInShortCut = false;
    TPopupMenu* FSystemMenu = nullptr;
    int FClientWidth = 0, FClientHeight = 0;
    TbsSkinStatusBar* FStatusBar = nullptr;
    std::unique_ptr<TFont> FDefCaptionFont, FDefInActiveCaptionFont;
    bool FHideCaptionButtons = false;
    bool FMenusAlphaBlend = false, FMenusAlphaBlendAnimation = false;
    BYTE FMenusAlphaBlendValue = 200;
    int FMaxMenuItemsInWindow = 0;
    struct TMenuLink
    {
        std::string IDName;
        TMenu* Menu;
        bool PopupUp;
    };
    std::vector<TMenuLink> FMenuLinks;
    // The tray icon got the component's tray menu (taken back with the link).
    bool FTrayMenuGiven = false;
    // The fade-in at show.
    TbsAlphaFade FFade;
};

// The form's skinning component, or null (nil form, none).
TbsSkinForm* FindSkinForm(TCustomForm* AForm);

// ---------------------------------------------------------------------------
// Layered border (LayeredBorder.cpp): the skin's layer frame, a 32-bit soft
// border or shadow drawn outside the form, cut into four strips, each shown
// in a borderless layered window of its own that follows the form. The part
// of each strip next to the form is a resize grip when the skin asks for it.

enum TbsFormLayerBorderType { bsflLeft, bsflTop, bsflRight, bsflBottom };
enum TbsFormLayerBorderHit {
    bsflhNone, bsflhLeft, bsflhTop, bsflhRight, bsflhBottom,
    bsflhTopLeft, bsflhTopRight, bsflhBottomLeft, bsflhBottomRight
};

class TbsFormLayerWindow : public TForm
{
public:
    TbsFormLayerWindow(TbsFormLayerBorder* AOwner, TCustomForm* AForm);
    TbsFormLayerBorderType BorderType = bsflLeft;
    // The zone under the screen point, for this window's strip.
    TbsFormLayerBorderHit HitTest(TPoint Cursor) const;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    bool CanResize() const;
    bool GripsOn() const;
    // One resize step; true when it set the form's bounds.
    bool ResizeStep(int dx, int dy);
    bool FDown = false;
    TCustomForm* FForm;
    TbsFormLayerBorder* FLayerBorder;
    TPoint MousePos1, MousePos2;
    TbsFormLayerBorderHit FHitMode = bsflhNone;
    bool FInProcessMessages = false;
};

class TbsFormLayerBorder : public TComponent
{
public:
    explicit TbsFormLayerBorder(TbsSkinForm* AOwner);
    ~TbsFormLayerBorder() override;

    void InitFrame(TbsSkinData* ASkinData, TCustomForm* AForm);
    void Show(int X, int Y, int AWidth, int AHeight);
    void Hide();
    void SetBounds(int X, int Y, int AWidth, int AHeight);
    void ShowWithForm();
    void ShowWithFormAnimation();
    void SetBoundsWithForm();
    void SetBoundsWithForm2(int AW, int AH);
    void SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH);
    void MoveWithForm();
    void MoveWithForm2(int ALeft, int ATop);
    void SetAlphaBlend();
    void SetAlphaBlend2();
    void CheckFormAlpha(int AFormAlpha, bool AUpdate);
    void SetActive(bool AValue, bool AUpdate);
    // Draws the strips for a border of AWidth x AHeight at (X, Y) on C.
    void Draw(TCanvas* C, int X, int Y, int AWidth, int AHeight);
    // The border's bounds around a form at (L, T) of W x H.
    TRect WithFormBounds(int L, int T, int W, int H) const;

    bool Visible() const { return FVisible; }
    bool Active() const { return FActive; }
    bool HasFrame() const { return FData != nullptr; }
    int CurrentAlpha() const { return FActive ? FCurrentAlphaBlendValue : FCurrentInActiveAlphaBlendValue; }
    int CurrentAlphaBlendValue() const { return FCurrentAlphaBlendValue; }
    int CurrentInActiveAlphaBlendValue() const { return FCurrentInActiveAlphaBlendValue; }
    // The window of a strip, or null.
    TbsFormLayerWindow* Window(TbsFormLayerBorderType T) const;
    // The strip last built for a side.
    TbsBitmap* Image(TbsFormLayerBorderType T) const;
    TbsSkinForm* SkinForm() const { return BSF; }
    TCustomForm* Form() const { return FForm; }
    const TbsDataSkinLayerFrame* Data() const { return FData; }
    int LeftSize = 0, TopSize = 0, RightSize = 0, BottomSize = 0;

private:
    void CreateBorderImages(int AW, int AH);
    void PushAndPlace(int X, int Y, int AW, int AH);
    void FreeWindows();
    TbsSkinForm* BSF;
    TCustomForm* FForm = nullptr;
    bool FVisible = false;
    TbsSkinData* FSD = nullptr;
    const TbsDataSkinLayerFrame* FData = nullptr;
    std::unique_ptr<TbsBitmap> FSourceBitmap, FSourceInActiveBitMap;
    std::unique_ptr<TbsBitmap> LeftImage, TopImage, RightImage, BottomImage;
    TbsFormLayerWindow *LeftBorder = nullptr, *TopBorder = nullptr, *RightBorder = nullptr, *BottomBorder = nullptr;
    int FWidth = 0, FHeight = 0;
    bool FActive = true;
    int FCurrentAlphaBlendValue = -1, FCurrentInActiveAlphaBlendValue = 0;
    // The fade-in of ShowWithFormAnimation.
    TbsAlphaFade FFade;
};

// ---------------------------------------------------------------------------
// MDI tabs bar (MdiTabs.cpp): one tab per MDI child of the main form, drawn
// from the skin's "tab" entry; a click brings the child to the front, a
// close button closes it, a drag reorders the tabs, a right click opens the
// child's system menu. The first 15 pixels hold a button that lists every
// tab; when tabs are hidden for want of room (MinTabWidth) a second button
// at the right lists those.

enum TbsSkinMDITabKind { bstkTab, bstkButton };


class TbsMDITab
{
public:
    TbsMDITab(TbsSkinMDITabsBar* AParentBar, TCustomForm* AChild);
    TbsSkinMDITabsBar* TabsBar;
    bool Active = false;
    bool MouseIn = false;
    TRect ObjectRect;
    TCustomForm* Child;
    bool Visible = false;
    // The close button inside the tab image.
    TRect ButtonRect;
    bool ButtonMouseIn = false, ButtonMouseDown = false;

    void Draw(TCanvas* Cnvs);
    void ButtonDraw(TCanvas* Cnvs);
    void ResizeDraw(TCanvas* Cnvs);
    void DrawCloseButton(TCanvas* Cnvs, const TRect& R);

private:
    void DrawCaption(TCanvas* C, TRect R, TColor Color, bool FireEvent);
};

using TbsMDITabMouseEvent = std::function<void(TbsMDITab* MDITab)>;
using TbsMDITabMouseButtonEvent = std::function<void(TMouseButton Button, TShiftState Shift, TbsMDITab* MDITab)>;
using TbsMDITabGetDrawParamsEvent = std::function<void(TbsMDITab* MDITab, TCanvas* Cnvs)>;

class TbsSkinMDITabsBar : public TbsSkinControl
{
public:
    explicit TbsSkinMDITabsBar(TComponent* AOwner);
    ~TbsSkinMDITabsBar() override;

    void AddTab(TCustomForm* Child);
    void DeleteTab(TCustomForm* Child);
    void UpdateActiveTab();
    int GetTabIndex(int X, int Y) const;
    TbsMDITab* GetTab(int X, int Y) const;
    int GetCloseSize() const;
    int TabCount() const { return int(ObjectList.size()); }
    TbsMDITab* Tabs(int i) const { return ObjectList.at(std::size_t(i)).get(); }
    int InVisibleCount() const { return FInVisibleCount; }
    // The list buttons (null while not needed) and their menus.
    TbsSkinMenuSpeedButton* ListButton() const { return FListButton; }
    TbsSkinMenuSpeedButton* HideListButton() const { return FHideListButton; }
    TbsSkinPopupMenu* ListMenu() const { return FListMenu; }
    TbsSkinPopupMenu* HideListMenu() const { return FHideListMenu; }

    bool ShowCloseButtons = false;
    TbsSkinMDITabKind TabKind() const { return FTabKind; }
    void SetTabKind(TbsSkinMDITabKind Value);
    TbsSkinForm* SkinForm = nullptr;
    bool SupportChildMenus = true;
    bool UseSkinSize = true;
    bool UseSkinFont = true;
    bool MoveTabs = true;
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    int DefaultTabWidth = 100;
    int MinTabWidth = 0;
    TbsMDITabMouseEvent OnTabMouseEnter, OnTabMouseLeave;
    TbsMDITabMouseButtonEvent OnTabMouseDown, OnTabMouseUp;
    TbsMDITabGetDrawParamsEvent OnTabGetDrawParamsEvent;

    void GetSkinData() override;
    void ChangeSkinData() override;
    void CalcTabRects();

    // The skin entry's values the tabs draw with (valid while FIndex != -1).
    bool SkinEntry() const { return FIndex != -1; }
    TBitmap* Picture = nullptr;
    TRect TabRect, ActiveTabRect, MouseInTabRect, TabsBGRect, SkinRect, ClRect;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    int TabLeftOffset = 0, TabRightOffset = 0;
    std::string FontName;
    TbsFontStyles FontStyle;
    int FontHeight = 0;
    TColor FontColor = clBtnText, ActiveFontColor = clBtnText, MouseInFontColor = clBtnText;
    bool TabStretchEffect = false, ButtonTransparent = false;
    TColor ButtonTransparentColor = clFuchsia;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    bool TopStretch = false;
    int FActiveTabOffset = 0, FBottomOffset = 0, FCloseSize = 14;

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void CMMouseLeave(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DrawTabs(TBitmap* B);
    void TestActive(int X, int Y);
    int GetMoveIndex() const;
    void CloseTab(TbsMDITab* Tab);
    // Whether the tab is still one of the bar's (an event handler may have
    // closed its child).
    bool Alive(const TbsMDITab* Tab) const;
    TRect CloseRectOnBar(const TbsMDITab* Tab) const;
    // A list button at one end of the bar (alLeft: every tab, alRight: the hidden ones).
    TbsSkinMenuSpeedButton* MakeListButton(TAlign Align, TbsSkinPopupMenu* Menu, int ArrowType);
    void FillListMenu(TbsSkinPopupMenu* Menu, bool HiddenOnly);
    // Shows the child named by a list item (suffix removed), restored first when minimized.
    void ListItemClick(TObject* Sender, const std::string& Suffix);
    TbsSkinMenuSpeedButton* FListButton = nullptr;
    TbsSkinMenuSpeedButton* FHideListButton = nullptr;
    TbsSkinPopupMenu* FListMenu = nullptr;
    TbsSkinPopupMenu* FHideListMenu = nullptr;

    std::vector<std::unique_ptr<TbsMDITab>> ObjectList;
    TbsSkinMDITabKind FTabKind = bstkTab;
    int FDefaultHeight = 21;
    std::unique_ptr<TFont> FDefaultFont;
    bool IsDrag = false, FDown = false;
    int DX = 0, TabDX = 0, DragIndex = -1;
    int ActiveTabIndex = -1, OldTabIndex = -1;
    int FInVisibleCount = 0;
    int FDragRight = 0;
};
// The component of the main form's first maximized MDI child, or null.
TbsSkinForm* FindMaximizedMDIChildSkinForm();
// The component of the main form's active MDI child, or null.
TbsSkinForm* FindActiveMDIChildSkinForm();
