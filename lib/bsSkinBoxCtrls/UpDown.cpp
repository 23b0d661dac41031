// The skinned up-down pair: layout of the two buttons, hover and press
// tracking, the repeat on window timer 1 (500 ms wait, then 100 ms steps;
// 50 ms when the pointer comes back over the held button), and its looks.
#include "lib/bsSkinBoxCtrls.h"

namespace
{
constexpr std::uintptr_t kRepeatTimer = 1;
constexpr UINT kRepeatWait = 500, kRepeatStep = 100, kRepeatResume = 50;
}

TbsSkinUpDown::TbsSkinUpDown(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    FSkinDataName = "hupdown";
    width_ = 50;
    height_ = 25;
    CalcRects();
}

void TbsSkinUpDown::SetUseSkinSize(bool Value)
{
    FUseSkinSize = Value;
    CalcRects();
    Invalidate();
}

void TbsSkinUpDown::SetOrientation(TUDOrientation Value)
{
    FOrientation = Value;
    if ((ComponentState() & csDesigning) && !(ComponentState() & csLoading))
        FSkinDataName = Value == udVertical ? "vupdown" : "hupdown";
    CalcRects();
    Invalidate();
}

void TbsSkinUpDown::SetPosition(int Value)
{
    if (Value > FMax || Value < FMin) return;
    FPosition = Value;
    if (!(ComponentState() & csDesigning) && OnChange) OnChange(this);
}

void TbsSkinUpDown::SetMin(int Value)
{
    FMin = Value;
    if (FPosition < FMin) FPosition = FMin;
}

void TbsSkinUpDown::SetMax(int Value)
{
    FMax = Value;
    if (FPosition > FMax) FPosition = FMax;
}

void TbsSkinUpDown::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    if (const auto* d = dynamic_cast<const TbsDataSkinUpDownControl*>(bsSkinControlEntry(FSD, FIndex)))
    {
        UpButtonRect = d->UpButtonRect;
        ActiveUpButtonRect = d->ActiveUpButtonRect;
        DownUpButtonRect = IsEmptyRect(d->DownUpButtonRect) ? ActiveUpButtonRect : d->DownUpButtonRect;
        DownButtonRect = d->DownButtonRect;
        ActiveDownButtonRect = d->ActiveDownButtonRect;
        DownDownButtonRect = IsEmptyRect(d->DownDownButtonRect) ? ActiveDownButtonRect : d->DownDownButtonRect;
        LTPt = RTPt = LBPt = RBPt = TPoint(0, 0);
        ClRect = TRect();
    }
    CalcRects();
}

void TbsSkinUpDown::CalcSize(int& AWidth, int& AHeight)
{
    if (FUseSkinSize) TbsSkinCustomControl::CalcSize(AWidth, AHeight);
}

void TbsSkinUpDown::SetControlRegion()
{
    if (FUseSkinSize) TbsSkinCustomControl::SetControlRegion();
}

void TbsSkinUpDown::CalcRects()
{
    const bool entry = FIndex != -1 && dynamic_cast<const TbsDataSkinUpDownControl*>(bsSkinControlEntry(FSD, FIndex));
    if (entry && FUseSkinSize)
    {
        Buttons[0].R = UpButtonRect;
        Buttons[1].R = DownButtonRect;
    }
    else if (FOrientation == udVertical)
    {
        Buttons[0].R = TRect(0, 0, width_, height_ / 2);
        Buttons[1].R = TRect(0, height_ / 2, width_, height_);
    }
    else
    {
        Buttons[1].R = TRect(0, 0, width_ / 2, height_);
        Buttons[0].R = TRect(width_ / 2, 0, width_, height_);
    }
}

int TbsSkinUpDown::ArrowKind(int i) const
{
    // DrawArrowGlyph: 1 left, 2 right, 3 up, 4 down.
    if (FOrientation == udVertical) return i == 0 ? 3 : 4;
    return i == 0 ? 2 : 1;
}

// ---- input ------------------------------------------------------------------------------

void TbsSkinUpDown::TrackHover(int X, int Y)
{
    OldActiveButton = ActiveButton;
    ActiveButton = -1;
    for (int i = 0; i < 2; ++i)
        if (PtInRectInclusive(Buttons[i].R, TPoint(X, Y)))
        {
            ActiveButton = i;
            break;
        }
    if (CaptureButton != -1 && ActiveButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
    if (ActiveButton == OldActiveButton) return;
    if (OldActiveButton != -1) ButtonLeft(OldActiveButton);
    if (ActiveButton != -1) ButtonEntered(ActiveButton);
}

void TbsSkinUpDown::ButtonEntered(int i)
{
    Buttons[1 - i].MouseIn = false;
    Buttons[i].MouseIn = true;
    Repaint();
    if (FIncrement != 0 && Buttons[i].Down && HandleAllocated()) SetTimer(GetHandle(), kRepeatTimer, kRepeatResume);
}

void TbsSkinUpDown::ButtonLeft(int i)
{
    Buttons[i].MouseIn = false;
    Repaint();
    if (FIncrement != 0 && Buttons[i].Down && HandleAllocated()) KillTimer(GetHandle(), kRepeatTimer);
}

void TbsSkinUpDown::ButtonPressed(int i)
{
    Buttons[i].MouseIn = true;
    Buttons[i].Down = true;
    Repaint();
    if (FIncrement == 0) return;
    TimerMode = i == 0 ? 2 : 1;
    WaitMode = true;
    if (HandleAllocated()) SetTimer(GetHandle(), kRepeatTimer, kRepeatWait);
}

void TbsSkinUpDown::StopRepeat()
{
    if (HandleAllocated()) KillTimer(GetHandle(), kRepeatTimer);
    TimerMode = 0;
}

void TbsSkinUpDown::ButtonReleased(int i)
{
    if (FIncrement != 0) StopRepeat();
    Buttons[i].Down = false;
    if (i != ActiveButton) Buttons[i].MouseIn = false;
    Repaint();
    if (!Buttons[i].MouseIn) return;
    if (i == 0)
    {
        if (FIncrement != 0) SetPosition(FPosition + FIncrement);
        if (OnUpButtonClick) OnUpButtonClick(this);
    }
    else
    {
        if (FIncrement != 0) SetPosition(FPosition - FIncrement);
        if (OnDownButtonClick) OnDownButtonClick(this);
    }
}

void TbsSkinUpDown::TimerTick()
{
    if (WaitMode)
    {
        WaitMode = false;
        if (HandleAllocated())
        {
            KillTimer(GetHandle(), kRepeatTimer);
            SetTimer(GetHandle(), kRepeatTimer, kRepeatStep);
        }
        return;
    }
    if (TimerMode == 1) SetPosition(FPosition - FIncrement);
    else if (TimerMode == 2) SetPosition(FPosition + FIncrement);
}

void TbsSkinUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TrackHover(X, Y);
    OldActiveButton = ActiveButton == 0 ? 1 : 0;
    Buttons[OldActiveButton].MouseIn = false;
    if (ActiveButton != -1)
    {
        CaptureButton = ActiveButton;
        ButtonPressed(ActiveButton);
    }
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinUpDown::MouseMove(TShiftState Shift, int X, int Y)
{
    TrackHover(X, Y);
    TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (CaptureButton != -1) ButtonReleased(CaptureButton);
    if (alive.expired()) return;
    CaptureButton = -1;
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinUpDown::CMMouseEnter(TMessage& m)
{
    ActiveButton = OldActiveButton = -1;
    TbsSkinCustomControl::CMMouseEnter(m);
}

void TbsSkinUpDown::CMMouseLeave(TMessage& m)
{
    ActiveButton = OldActiveButton = -1;
    TbsSkinCustomControl::CMMouseLeave(m);
    for (auto& b : Buttons)
        if (b.MouseIn)
        {
            b.MouseIn = false;
            Repaint();
        }
}

void TbsSkinUpDown::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_SIZE:
        TbsSkinCustomControl::Dispatch(m);
        CalcRects();
        return;
    case WM_TIMER:
        TbsSkinCustomControl::Dispatch(m);
        if (m.WParam == kRepeatTimer) TimerTick();
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}

// ---- looks ------------------------------------------------------------------------------

void TbsSkinUpDown::CreateControlDefaultImage(TBitmap* B)
{
    CalcRects();
    TCanvas* C = B->Canvas();
    for (int i = 0; i < 2; ++i)
    {
        const TbsUpDownButton& b = Buttons[i];
        TColor frame = clBtnShadow, fill = clBtnFace;
        if (b.Down && b.MouseIn) frame = clNavy, fill = TColor(RGB(133, 147, 181));
        else if (b.MouseIn) frame = clNavy, fill = TColor(RGB(182, 189, 210));
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(frame);
        C->FrameRect(b.R);
        TRect in = b.R;
        InflateRect(in, -1, -1);
        C->Brush()->SetColor(fill);
        C->FillRect(in);
        DrawArrowGlyph(C, b.R, 0, ArrowKind(i));
    }
}

void TbsSkinUpDown::DrawResizeButton(TCanvas* C, int i)
{
    const TbsUpDownButton& b = Buttons[i];
    const int w = RectWidth(b.R), h = RectHeight(b.R);
    if (w <= 0 || h <= 0) return;
    TBitmap pic(w, h, pf32bit);
    const auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(
        bsSkinControlEntry(FSD, bsSkinControlIndex(FSD, "resizebutton")));
    TBitmap* src = d ? bsSkinActiveBitmap(FSD, d->PictureIndex) : nullptr;
    if (!d || !src)
    {
        C->Draw(b.R.Left, b.R.Top, &pic);
        return;
    }
    const TRect active = IsEmptyRect(d->ActiveSkinRect) ? d->SkinRect : d->ActiveSkinRect;
    const TRect down = IsEmptyRect(d->DownSkinRect) ? active : d->DownSkinRect;
    const bool pressed = b.Down && b.MouseIn;
    const TRect state = pressed ? down : b.MouseIn ? active : d->SkinRect;
    const int color = pressed ? d->DownFontColor : b.MouseIn ? d->ActiveFontColor : d->FontColor;
    const int dx = w - RectWidth(d->SkinRect), dy = h - RectHeight(d->SkinRect);
    CreateSkinImage(d->LTPoint, d->RTPoint, d->LBPoint, d->RBPoint, d->ClRect, d->LTPoint,
                    TPoint(d->RTPoint.X + dx, d->RTPoint.Y), TPoint(d->LBPoint.X, d->LBPoint.Y + dy),
                    TPoint(d->RBPoint.X + dx, d->RBPoint.Y + dy),
                    TRect(d->ClRect.Left, d->ClRect.Top, d->ClRect.Right + dx, d->ClRect.Bottom + dy), &pic, src, state,
                    w, h, true, d->LeftStretch, d->TopStretch, d->RightStretch, d->BottomStretch, d->StretchEffect,
                    d->StretchType);
    C->Draw(b.R.Left, b.R.Top, &pic);
    TRect ar = b.R;
    if (pressed) ar.Left += 2, ar.Top += 2;
    DrawArrowGlyph(C, ar, COLORREF(color), ArrowKind(i));
}

void TbsSkinUpDown::CreateControlSkinImage(TBitmap* B)
{
    CalcRects();
    TCanvas* C = B->Canvas();
    if (!FUseSkinSize)
    {
        for (int i = 0; i < 2; ++i) DrawResizeButton(C, i);
        return;
    }
    TbsSkinCustomControl::CreateControlSkinImage(B);
    if (!Picture) return;
    for (int i = 0; i < 2; ++i)
    {
        const TbsUpDownButton& b = Buttons[i];
        TRect src;
        if (b.Down && b.MouseIn) src = i == 0 ? DownUpButtonRect : DownDownButtonRect;
        else if (b.MouseIn) src = i == 0 ? ActiveUpButtonRect : ActiveDownButtonRect;
        if (!IsEmptyRect(src)) C->CopyRect(b.R, Picture->Canvas(), src);
    }
}
