// The skinned menu speed button: a skinned button with a drop-down marker
// that opens a skinned popup menu against its screen rectangle on a press
// (anywhere, or in track mode only on its 15-pixel track part) and stays
// down until the menu tells it that it closed.
#pragma once
#include "lib/bsSkinCtrls.h"

class TbsSkinPopupMenu;

class TbsSkinMenuSpeedButton : public TbsSkinButton
{
public:
    explicit TbsSkinMenuSpeedButton(TComponent* AOwner);

    TbsSkinPopupMenu* SkinPopupMenu() const { return FSkinPopupMenu; }
    void SetSkinPopupMenu(TbsSkinPopupMenu* Value);
    bool TrackButtonMode() const { return FTrackButtonMode; }
    void SetTrackButtonMode(bool Value);
    // The menu opened by this button is showing.
    bool MenuTracked() const { return FMenuTracked; }
    // Whether a press at the client point opens the menu.
    bool InTrackArea(int X, int Y) const;
    TNotifyEvent OnShowTrackMenu, OnHideTrackMenu;

    // The arrow drawn in place of the drop-down marker (kinds of
    // DrawArrowGlyph; 0: the marker).
    bool FDrawStandardArrow = false;
    int FArrowType = 0;

protected:
    void GetSkinData() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void TrackMenu();
    void DrawMarker(TBitmap* B, bool pressed, TColor color);
    TRect TrackRect() const;
    TbsSkinPopupMenu* FSkinPopupMenu = nullptr;
    bool FTrackButtonMode = false;
    bool FMenuTracked = false;
    TRect TrackButtonRect;
};
