// The skinned menu speed button: a speed button with a drop-down marker that
// opens a skinned popup menu or an image-grid menu against its screen
// rectangle on a press (anywhere, or in track mode only on its 15-pixel track
// part) and stays down until the menu tells it that it closed. Besides the
// menu-button entries of a skin it draws three looks of its own from the
// tool-button entries: the client-rectangle look ("toolbutton",
// "bigtoolbutton"), the corner-point look ("resizebutton",
// "resizetoolbutton") and the new style (the store's "resizetoolbutton"
// with the "htracktoolbutton" / "vtracktoolbutton" track parts), each with
// its main and track parts drawn apart in track mode.
#pragma once
#include "lib/bsSkinCtrls.h"

class TbsSkinPopupMenu;

// Where the track part lies in the new style.
enum TbsTrackPosition { bstpRight, bstpBottom };

class TbsSkinMenuSpeedButton : public TbsSkinSpeedButton
{
public:
    explicit TbsSkinMenuSpeedButton(TComponent* AOwner);

    void GetSkinData() override;

    TbsSkinPopupMenu* SkinPopupMenu() const { return FSkinPopupMenu; }
    void SetSkinPopupMenu(TbsSkinPopupMenu* Value);
    // Only the track part opens the menu; the rest of the button clicks.
    bool TrackButtonMode() const { return FTrackButtonMode; }
    void SetTrackButtonMode(bool Value);
    // True switches the button to the store's "resizetoolbutton" entry.
    bool NewStyle() const { return FNewStyle; }
    void SetNewStyle(bool Value);
    TbsTrackPosition TrackPosition() const { return FTrackPosition; }
    void SetTrackPosition(TbsTrackPosition Value);
    // Opens the menus (both when both are set) below the button.
    void TrackMenu();
    // The menu opened by this button is showing.
    bool MenuTracked() const { return FMenuTracked; }
    // Fired before each menu opens and after a menu closed.
    TNotifyEvent OnShowTrackMenu, OnHideTrackMenu;

    // An arrow (kinds of DrawArrowGlyph) drawn in place of the drop-down
    // marker; the MDI tabs bar's list buttons set them.
    bool FDrawStandardArrow = false;
    int FArrowType = 0;

protected:
    void CreateControlDefaultImage(TBitmap* B) override;
    void DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive) override;
    void PaintTransparent() override;
    bool Pressed() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    // Whether a press at the client point opens the menu.
    bool InTrackArea(int X, int Y) const;
    // The track part of a menu-button entry at the button's size.
    TRect GetTrackButtonRect() const;

    // The menu opened by this button is showing.
    bool FMenuTracked = false;

private:
    // The image-grid menu closed.
    void MenuClosed();
    // A menu closed: up, not tracked, not hot; OnHideTrackMenu.
    void EndTracking();
    // The 15-pixel strip: at the right, or at the bottom for the new style
    // with bstpBottom.
    TRect Strip() const;
    bool BottomStrip() const { return FNewStyle && FTrackPosition == bstpBottom; }
    // The looks drawn from the tool-button entries.
    void DrawNewStyle(TBitmap* B, bool ADown, bool AActive);
    void DrawTwoPartLook(TBitmap* B, const TRect& R, bool ADown, bool AActive, bool cornerPoints);
    // State picture S of the button's entry at W x H into B at x: resized by
    // the entry's client rectangle, or by its corner points.
    void ComposePart(TBitmap* B, const TRect& S, int x, int W, int H, bool cornerPoints);
    // Where the content goes: out of the marker's strip.
    TRect ContentRect() const;
    // Content of a look in R, then the marker in M.
    void DrawLookContent(TCanvas* C, const TRect& R, const TRect& M, bool pressed, bool active, bool markerDown);
    void DrawMarker(TCanvas* C, const TRect& M, bool active, bool down, TColor textColor);

    // From a menu-button entry: its track part (relative to SkinRect).
    TRect TrackButtonRect;
    TbsSkinPopupMenu* FSkinPopupMenu = nullptr;
    bool FTrackButtonMode = false;
    bool FNewStyle = false;
    TbsTrackPosition FTrackPosition = bstpRight;
};
