// The form skinning component: takes over a form's window procedure and
// draws the whole frame (borders, caption, caption buttons) from the current
// skin, or a plain default frame when there is none; answers the non-client
// hit test and mouse, and passes skin changes on to the form's controls.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

// HTOBJECT (19) is the hit-test code of every frame point that is neither
// client, caption nor a sizing edge (caption objects, dead frame parts).
constexpr UINT BSM_QUERYSKINNEDFORM = 45490;

class TbsSkinForm;

// The caption buttons a form shows (the close button always).
struct TbsBorderIcons
{
    bool SystemMenu = true, Minimize = true, Maximize = true, RollUp = true, MinimizeToTray = false;
};

// ---------------------------------------------------------------------------
// Caption objects: plain objects kept by the form component, which lays them
// out, hit-tests them, draws them into the frame and feeds them the mouse.
// Their pictures belong to the skin store.
class TbsActiveSkinObject
{
public:
    TbsActiveSkinObject(TbsSkinForm* AParent, const TbsDataSkinObject* AData);
    virtual ~TbsActiveSkinObject() = default;

    std::string IDName;
    std::string Hint;
    TRect SkinRect, ActiveSkinRect, InActiveSkinRect;
    int ActivePictureIndex = -1;
    bool SkinRectInAPicture = false;
    // Place in window coordinates.
    TRect ObjectRect;
    bool Active = false;
    bool FMouseIn = false;
    bool FDown = false;
    bool Enabled = true;
    bool Visible = true;

    virtual bool IsActiveMaskPoint(int, int) const { return true; }
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

protected:
    // The picture part for the current state (empty: draw nothing).
    virtual TRect StateRect() const;
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
    void Draw(TCanvas* Cnvs, TPoint origin) override;

protected:
    TRect StateRect() const override;
    void Click() override;
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

    std::string FontName;
    int FontHeight = 0;
    bool Bold = false;
    int FontColor = 0, ActiveFontColor = 0, ShadowColor = 0, ActiveShadowColor = 0;
    bool Shadow = false;
    TbsAlignment Alignment = bstaLeftJustify;
    TRect TextRct;
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
    // frame always looks active and does not follow the mouse.
    bool PreviewMode = false;
    bool RollUpState() const { return FRollUpState; }
    void ChangeRollUpState(bool Value);

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
    // The widest the form may be: MaxWidth, or without one (0) the width of
    // the work area of the monitor holding the form.
    int MaxWidth = 0;
    int GetMaxWidth() const;

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
    // A logo centred on the background (not owned by the skin).
    std::unique_ptr<TBitmap> LogoBitMap;
    bool LogoBitMapTransparent = false;

    void ChangeSkinData();
    void CreateObjects();
    void CreateDefaultObjects();
    void ClearObjects();
    void CheckObjects();
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
    // The call point of the skinned system menu (at a screen point).
    std::function<void(TPoint)> OnSystemMenu;
    // A caption double click.
    TNotifyEvent OnCaptionDblClick;

    // Counts frame paints (skinned or default).
    int NCPaintCount = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void NewWindowProc(TMessage& m);
    void PassOn(TMessage& m) { OldWindowProc(m); }
    TPoint ScreenToWindow(TPoint P) const;
    bool InCaptionArea(TPoint P) const;
    bool Sizeable() const;
    bool HasBorder() const;
    void NCPaint();
    void PaintPicture(HDC DC, TBitmap* P, bool stretch, TbsStretchType type);
    void DrawLogo(TCanvas* C);
    void ObjectsMouseMove(int X, int Y);
    void ObjectsMouseDown(TMouseButton Button, int X, int Y);
    void ObjectsMouseUp(TMouseButton Button, int X, int Y);
    void MouseTimerProc(TObject*);

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
    TbsBorderIcons FBorderIcons;
    HRGN FRgn = nullptr;
    std::unique_ptr<TBitmap> RMTop, RMBottom, RMLeft, RMRight;
    TTimer* MouseTimer = nullptr;
};

// The form's skinning component, or null (nil form, none).
TbsSkinForm* FindSkinForm(TCustomForm* AForm);
