// The skinned up-down pair: two arrow buttons that step an integer Position
// between Min and Max by Increment, with auto-repeat while a button is held
// (first step 600 ms after the press, then every 100 ms; window timer 1).
// Drawn from the entry "hupdown" or "vupdown", or without one in a plain
// look; with UseSkinSize off each button takes the "resizebutton" look.
#pragma once
#include "lib/bsSkinCtrls.h"

struct TbsUpDownButton
{
    TRect R;
    bool MouseIn = false;
    bool Down = false;
};

class TbsSkinUpDown : public TbsSkinCustomControl
{
public:
    explicit TbsSkinUpDown(TComponent* AOwner);

    void GetSkinData() override;
    void CalcSize(int& AWidth, int& AHeight) override;
    void SetControlRegion() override;

    bool UseSkinSize() const { return FUseSkinSize; }
    void SetUseSkinSize(bool Value);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation Value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value; }
    int Position() const { return FPosition; }
    // Ignored outside [Min, Max]; otherwise fires OnChange, also for the same value.
    void SetPosition(int Value);
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);

    TNotifyEvent OnChange, OnUpButtonClick, OnDownButtonClick;

    // Button 0 is up (right), 1 down (left); laid out for the current size.
    const TbsUpDownButton& Button(int i) const { return Buttons[i]; }
    void CalcRects();
    // What the next repeat tick does: 0 nothing, 1 step down, 2 step up.
    int RepeatMode() const { return TimerMode; }

    TRect UpButtonRect, DownButtonRect, ActiveUpButtonRect, DownUpButtonRect, ActiveDownButtonRect,
        DownDownButtonRect;

protected:
    void Dispatch(TMessage& m) override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void CreateControlSkinImage(TBitmap* B) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;

private:
    void TrackHover(int X, int Y);
    void ButtonEntered(int i);
    void ButtonLeft(int i);
    void ButtonPressed(int i);
    void ButtonReleased(int i);
    void StopRepeat();
    void TimerTick();
    void DrawResizeButton(TCanvas* C, int i);
    // Arrow kind of DrawArrowGlyph for a button.
    int ArrowKind(int i) const;

    bool FUseSkinSize = true;
    TUDOrientation FOrientation = udHorizontal;
    TbsUpDownButton Buttons[2];
    int OldActiveButton = -1, ActiveButton = -1, CaptureButton = -1;
    int TimerMode = 0;
    bool WaitMode = false;
    int FIncrement = 1, FPosition = 0, FMin = 0, FMax = 100;
};
