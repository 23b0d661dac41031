// The self-drawn scroll bar: range and position, layout of arrows, track and
// thumb, mouse (arrows, paging, thumb drag, repeat), keys, wheel, painting.
#include <cmath>

#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"

using namespace bsctrls;

namespace
{
constexpr unsigned RepeatDelay = 500, RepeatStep = 50;
// Nearest integer, halves to the even neighbour.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
TRect OrEmpty(const TRect& r, const TRect& fallback) { return IsEmptyRect(r) ? fallback : r; }
} // namespace

TbsSkinScrollBar::TbsSkinScrollBar(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csOpaque, csCaptureMouse};
    tabStop_ = false;
    width_ = 200;
    height_ = 19;
    FDefaultHeight = 19;
    FSkinDataName = "hscrollbar";
}

TbsSkinScrollBar::~TbsSkinScrollBar() { StopTimer(FRepeatTimer); }

// ---- range and position ----------------------------------------------------------------

int TbsSkinScrollBar::Clamp(int Value) const
{
    if (Value < FMin) return FMin;
    if (FPageSize == 0) return std::min(Value, FMax);
    return std::min(Value, FMax - FPageSize + 1);
}

void TbsSkinScrollBar::SetRange(int AMin, int AMax, int APosition, int APageSize)
{
    FMin = AMin;
    FMax = AMax;
    FPageSize = APageSize;
    FPosition = Clamp(APosition);
    Invalidate();
}

void TbsSkinScrollBar::SimplySetPosition(int AValue)
{
    const int v = Clamp(AValue);
    if (v == FPosition) return;
    FPosition = v;
    Invalidate();
}

void TbsSkinScrollBar::SetPosition(int Value)
{
    const int v = Clamp(Value);
    if (v == FPosition) return;
    FPosition = v;
    Invalidate();
    if (OnChange) OnChange(this);
}

void TbsSkinScrollBar::SetMin(int Value)
{
    FMin = Value;
    if (FPosition < FMin) FPosition = FMin;
    Invalidate();
}

void TbsSkinScrollBar::SetMax(int Value)
{
    FMax = Value;
    if (FPageSize == 0)
    {
        if (FPosition > Value) FPosition = Value;
    }
    else if (Value - FMin < FPageSize + FPosition)
        FPosition = std::max(FMin, Value - FMin - FPageSize + 1);
    Invalidate();
}

void TbsSkinScrollBar::SetPageSize(int Value)
{
    if (FMax - FMin + 1 >= Value + FPosition) FPageSize = Value;
    Invalidate();
}

void TbsSkinScrollBar::SetSmallChange(int Value)
{
    FSmallChange = Value;
    Invalidate();
}

void TbsSkinScrollBar::SetLargeChange(int Value)
{
    FLargeChange = Value;
    Invalidate();
}

void TbsSkinScrollBar::SetKind(TScrollBarKind Value)
{
    if (FKind == Value) return;
    FKind = Value;
    Invalidate();
}

void TbsSkinScrollBar::SetBoth(bool Value)
{
    if (FBoth == Value) return;
    FBoth = Value;
    if (Value)
    {
        FNormalSkinDataName = FSkinDataName;
        FSkinDataName = BothSkinDataName;
    }
    else if (!FNormalSkinDataName.empty())
        FSkinDataName = FNormalSkinDataName;
    if (FIndex == -1) Invalidate();
    else ChangeSkinData();
}

void TbsSkinScrollBar::SetBothMarkerWidth(int Value)
{
    if (Value < 0) return;
    FBothMarkerWidth = Value;
    if (FIndex == -1) Invalidate();
}

void TbsSkinScrollBar::SetCanFocused(bool Value)
{
    FCanFocused = Value;
    SetTabStop(Value);
}

// ---- skin entry and layout ----------------------------------------------------------------

void TbsSkinScrollBar::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinScrollBarControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    TrackArea = d->TrackArea;
    UpButtonRect = d->UpButtonRect;
    ActiveUpButtonRect = d->ActiveUpButtonRect;
    DownUpButtonRect = OrEmpty(d->DownUpButtonRect, ActiveUpButtonRect);
    DownButtonRect = d->DownButtonRect;
    ActiveDownButtonRect = d->ActiveDownButtonRect;
    DownDownButtonRect = OrEmpty(d->DownDownButtonRect, ActiveDownButtonRect);
    ThumbRect = d->ThumbRect;
    ActiveThumbRect = OrEmpty(d->ActiveThumbRect, ThumbRect);
    DownThumbRect = OrEmpty(d->DownThumbRect, ActiveThumbRect);
    GlyphRect = d->GlyphRect;
    ActiveGlyphRect = OrEmpty(d->ActiveGlyphRect, GlyphRect);
    DownGlyphRect = OrEmpty(d->DownGlyphRect, ActiveGlyphRect);
    ThumbOffset1 = d->ThumbOffset1;
    ThumbOffset2 = d->ThumbOffset2;
    ThumbTransparent = d->ThumbTransparent;
    ThumbTransparentColor = d->ThumbTransparentColor;
    GlyphTransparent = d->GlyphTransparent;
    GlyphTransparentColor = d->GlyphTransparentColor;
    ThumbStretchEffect = d->ThumbStretchEffect;
    ThumbMinSize = d->ThumbMinSize;
    ThumbMinPageSize = d->ThumbMinPageSize;
}

void TbsSkinScrollBar::CalcSize(int& AWidth, int& AHeight)
{
    TbsSkinCustomControl::CalcSize(AWidth, AHeight);
    CalcRects();
}

void TbsSkinScrollBar::CalcRects()
{
    const bool hz = Horizontal();
    const bool skin = FIndex != -1 && dynamic_cast<const TbsDataSkinScrollBarControl*>(bsSkinControlEntry(FSD, FIndex));
    int baseLen;
    if (!skin)
    {
        if (hz)
        {
            const int W = FBoth ? width_ - FBothMarkerWidth : width_, H = height_;
            Buttons[2].R = TRect(1, 1, 17, H - 1);
            Buttons[1].R = TRect(W - 17, 1, W - 1, H - 1);
            NewTrackArea = TRect(17, 1, W - 17, H - 1);
        }
        else
        {
            Buttons[2].R = TRect(1, 1, width_ - 1, 17);
            Buttons[1].R = TRect(1, height_ - 17, width_ - 1, height_ - 1);
            NewTrackArea = TRect(1, 17, width_ - 1, height_ - 17);
        }
        baseLen = 16;
    }
    else
    {
        const int d = hz ? width_ - RectWidth(SkinRect) : height_ - RectHeight(SkinRect);
        NewTrackArea = TrackArea;
        if (hz) NewTrackArea.Right += d;
        else NewTrackArea.Bottom += d;
        auto place = [&](const TRect& r) {
            TRect out = r;
            if (hz && r.Left > RTPt.X) OffsetRect(out, d, 0);
            if (!hz && r.Top > LBPt.Y) OffsetRect(out, 0, d);
            return out;
        };
        Buttons[1].R = place(UpButtonRect);
        Buttons[2].R = place(DownButtonRect);
        baseLen = hz ? RectWidth(ThumbRect) : RectHeight(ThumbRect);
        if (ThumbMinSize != 0) baseLen = ThumbMinSize;
    }
    const int trackStart = hz ? NewTrackArea.Left : NewTrackArea.Top;
    const int trackEnd = hz ? NewTrackArea.Right : NewTrackArea.Bottom;
    const int L = trackEnd - trackStart;
    int T;
    if (FPageSize == 0) T = skin && ThumbMinPageSize != 0 ? ThumbMinPageSize : baseLen;
    else
    {
        const int span = FMax - FMin + 1;
        T = span == 0 ? 0 : RoundEven(double(L) * FPageSize / span);
        T = std::max(T, baseLen);
    }
    double f;
    if (FPageSize == 0) f = FMax == FMin ? 0.0 : double(FPosition - FMin) / (FMax - FMin);
    else
    {
        const int div = FMax - FPageSize + 1 - FMin;
        f = div > 0 ? double(FPosition - FMin) / div : (hz ? 1.0 : 0.0);
    }
    const int h = T / 2;
    Offset1 = trackStart + h;
    Offset2 = trackEnd - h;
    BOffset = RoundEven((Offset2 - Offset1) * f);
    const int a = Offset1 + BOffset - h, b = Offset1 + BOffset + h;
    TRect& t = Buttons[0].R;
    if (!skin)
        t = hz ? TRect(a, NewTrackArea.Top, b, NewTrackArea.Bottom) : TRect(NewTrackArea.Left, a, NewTrackArea.Right, b);
    else if (hz)
    {
        const int c = RectHeight(ThumbRect);
        const int top = NewTrackArea.Top + RectHeight(NewTrackArea) / 2 - c / 2;
        t = TRect(a, top, b, top + c);
    }
    else
    {
        const int c = RectWidth(ThumbRect);
        const int left = NewTrackArea.Left + RectWidth(NewTrackArea) / 2 - c / 2;
        t = TRect(left, a, left + c, b);
    }
}

// ---- mouse -------------------------------------------------------------------------------------

int TbsSkinScrollBar::HitPart(int X, int Y) const
{
    for (int i = 0; i < 3; ++i)
        if (Inside(Buttons[i].R, X, Y)) return i;
    return -1;
}

void TbsSkinScrollBar::EnterPart(int i)
{
    Buttons[i].MouseIn = true;
    Invalidate();
    if (i != 0 && Buttons[i].Down) StartTimer(FRepeatTimer, RepeatStep, [this] { RepeatTick(); });
}

void TbsSkinScrollBar::LeavePart(int i)
{
    Buttons[i].MouseIn = false;
    Invalidate();
    if (i != 0 && Buttons[i].Down) StopTimer(FRepeatTimer);
}

void TbsSkinScrollBar::TrackHover(int X, int Y)
{
    OldActiveButton = ActiveButton;
    const int hit = HitPart(X, Y);
    ActiveButton = hit;
    if (CaptureButton != -1 && CaptureButton != hit && hit != -1) ActiveButton = -1;
    if (ActiveButton == OldActiveButton) return;
    if (OldActiveButton != -1) LeavePart(OldActiveButton);
    if (ActiveButton != -1) EnterPart(ActiveButton);
}

void TbsSkinScrollBar::UpStep()
{
    if (OnUpButtonClick) OnUpButtonClick(this);
    else SetPosition(FPosition + FSmallChange);
}

void TbsSkinScrollBar::DownStep()
{
    if (OnDownButtonClick) OnDownButtonClick(this);
    else SetPosition(FPosition - FSmallChange);
}

void TbsSkinScrollBar::StartRepeat(int mode)
{
    TimerMode = mode;
    WaitMode = true;
    StartTimer(FRepeatTimer, RepeatDelay, [this] { RepeatTick(); });
}

void TbsSkinScrollBar::StopRepeat()
{
    StopTimer(FRepeatTimer);
    TimerMode = 0;
}

void TbsSkinScrollBar::RepeatTick()
{
    if (WaitMode)
    {
        WaitMode = false;
        FRepeatTimer->SetInterval(RepeatStep);
        return;
    }
    const auto life = LifeToken();
    switch (TimerMode)
    {
    case 1: DownStep(); break;
    case 2: UpStep(); break;
    case 3:
        TrackHover(MX, MY);
        if (Horizontal() ? MX < Buttons[0].R.Left : MY < Buttons[0].R.Top)
        {
            SetPosition(FPosition - FLargeChange);
            if (!life.expired() && OnPageUp) OnPageUp(this);
        }
        else StopRepeat();
        break;
    case 4:
        TrackHover(MX, MY);
        if (Horizontal() ? MX > Buttons[0].R.Right : MY > Buttons[0].R.Bottom)
        {
            SetPosition(FPosition + FLargeChange);
            if (!life.expired() && OnPageDown) OnPageDown(this);
        }
        else StopRepeat();
        break;
    default: break;
    }
    // The thumb moved: lay it out again for the next tick's test.
    if (!life.expired()) CalcRects();
}

void TbsSkinScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
    if (life.expired() || Button != mbLeft) return;
    MouseD = true;
    MX = X;
    MY = Y;
    CalcRects();
    TimerMode = 0;
    WaitMode = true;
    const int hit = HitPart(X, Y);
    if (hit != -1)
    {
        CaptureButton = hit;
        Buttons[hit].Down = true;
        Invalidate();
        if (hit == 0)
        {
            OMPos = Horizontal() ? X : Y;
            OldBOffset = BOffset;
            FDown = true;
        }
        else if (hit == 1)
        {
            UpStep();
            if (!life.expired()) StartRepeat(2);
        }
        else
        {
            DownStep();
            if (!life.expired()) StartRepeat(1);
        }
        return;
    }
    if (!Inside(NewTrackArea, X, Y)) return;
    if (Horizontal() ? X < Buttons[0].R.Left : Y < Buttons[0].R.Top)
    {
        SetPosition(FPosition - FLargeChange);
        if (life.expired()) return;
        StartRepeat(3);
        if (OnPageUp) OnPageUp(this);
    }
    else
    {
        SetPosition(FPosition + FLargeChange);
        if (life.expired()) return;
        StartRepeat(4);
        if (OnPageDown) OnPageDown(this);
    }
    if (!life.expired()) CalcRects();
}

void TbsSkinScrollBar::MouseMove(TShiftState Shift, int X, int Y)
{
    MX = X;
    MY = Y;
    TrackHover(X, Y);
    if (FDown)
    {
        const int v = (Horizontal() ? X : Y) - OMPos + OldBOffset;
        if (FPageSize != 0)
        {
            const TRect& t = Buttons[0].R;
            const int len = Horizontal() ? RectWidth(t) : RectHeight(t);
            Offset1 = (Horizontal() ? NewTrackArea.Left : NewTrackArea.Top) + len / 2;
            Offset2 = (Horizontal() ? NewTrackArea.Right : NewTrackArea.Bottom) - len / 2;
        }
        const int travel = Offset2 - Offset1;
        const double f = travel <= 0 ? 0.0 : std::clamp(double(v) / travel, 0.0, 1.0);
        const int span = FPageSize == 0 ? FMax - FMin : FMax - FMin - FPageSize + 1;
        const auto life = LifeToken();
        SetPosition(FMin + RoundEven(span * f));
        if (life.expired()) return;
        CalcRects();
    }
    TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
    if (life.expired()) return;
    MouseD = false;
    if (TimerMode == 3 || TimerMode == 4) StopRepeat();
    if (CaptureButton == -1) return;
    const int c = CaptureButton;
    Buttons[c].Down = false;
    if (c != ActiveButton) Buttons[c].MouseIn = false;
    Invalidate();
    if (c == 0) FDown = false;
    else StopRepeat();
    CaptureButton = -1;
    if (Button == mbLeft && c == 0 && OnLastChange) OnLastChange(this);
}

void TbsSkinScrollBar::CMMouseLeave(TMessage& m)
{
    TbsSkinCustomControl::CMMouseLeave(m);
    if (CaptureButton == -1 && !FDown && ActiveButton != -1)
    {
        Buttons[ActiveButton].MouseIn = false;
        Invalidate();
        ActiveButton = -1;
    }
    // Leaving the bar ends a page repeat in either direction: the thumb
    // would otherwise run on towards a pointer that is no longer there.
    if (MouseD && TimerMode >= 3) StopRepeat();
}

// ---- keys and messages -------------------------------------------------------------------------------

void TbsSkinScrollBar::KeyDown(WORD& Key, TShiftState Shift)
{
    TbsSkinCustomControl::KeyDown(Key, Shift);
    if (!FCanFocused) return;
    if (Key == VK_LEFT || Key == VK_UP) SetPosition(FPosition - FSmallChange);
    else if (Key == VK_RIGHT || Key == VK_DOWN) SetPosition(FPosition + FSmallChange);
}

void TbsSkinScrollBar::WndProc(TMessage& m)
{
    if (FCanFocused && (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
        !TakeFocusForPress(this, LifeToken(), FClicksDisabled))
        return;
    if (m.Msg == WM_COMMAND && FClicksDisabled) return;
    TbsSkinCustomControl::WndProc(m);
}

void TbsSkinScrollBar::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case CM_WANTSPECIALKEY:
        TbsSkinCustomControl::Dispatch(m);
        if (FCanFocused && m.WParam >= VK_LEFT && m.WParam <= VK_DOWN) m.Result = 1;
        return;
    case WM_MOUSEWHEEL:
        if (FCanFocused && Focused())
        {
            const short delta = short(HIWORD(std::uintptr_t(m.WParam)));
            SetPosition(delta > 0 ? FPosition - FSmallChange : FPosition + FSmallChange);
            m.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TbsSkinCustomControl::Dispatch(m);
        if (FCanFocused) Invalidate();
        return;
    case CM_ENABLEDCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        Invalidate();
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}

// ---- painting ----------------------------------------------------------------------------------------

void TbsSkinScrollBar::DrawDefaultPart(TCanvas* C, int i)
{
    const TbsScrollBarPart& p = Buttons[i];
    if (IsEmptyRect(p.R)) return;
    const bool pressed = (p.Down && p.MouseIn) || (i == 0 && (p.Down || (FCanFocused && Focused())));
    TColor frame = clBtnShadow, fill = clBtnFace;
    if (pressed)
    {
        frame = clNavy;
        fill = TColor(RGB(133, 147, 181));
    }
    else if (p.MouseIn)
    {
        frame = clNavy;
        fill = TColor(RGB(182, 189, 210));
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(fill);
    C->FillRect(p.R);
    C->Brush()->SetColor(frame);
    C->FrameRect(p.R);
    if (i == 0) return;
    TRect in = p.R;
    InflateRect(in, -1, -1);
    const int kind = Horizontal() ? (i == 1 ? 2 : 1) : (i == 1 ? 4 : 3);
    DrawArrowGlyph(C, in, 0, kind);
}

void TbsSkinScrollBar::CreateControlDefaultImage(TBitmap* B)
{
    CalcRects();
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, width_, height_));
    for (int i = GetEnabled() ? 0 : 1; i < 3; ++i) DrawDefaultPart(C, i);
}

void TbsSkinScrollBar::DrawSkinPart(TCanvas* C, int i)
{
    const TbsScrollBarPart& p = Buttons[i];
    if (IsEmptyRect(p.R) || !Picture) return;
    const bool pressedThumb = p.Down || (FCanFocused && Focused());
    if (i != 0)
    {
        const TRect& down = i == 1 ? DownUpButtonRect : DownDownButtonRect;
        const TRect& hot = i == 1 ? ActiveUpButtonRect : ActiveDownButtonRect;
        TRect src;
        if (p.Down && p.MouseIn) src = down;
        else if (p.MouseIn) src = hot;
        if (!IsEmptyRect(src)) C->CopyRect(p.R, Picture->Canvas(), src);
        return;
    }
    const TRect src = pressedThumb ? DownThumbRect : p.MouseIn ? ActiveThumbRect : ThumbRect;
    if (IsEmptyRect(src)) return;
    const int w = RectWidth(p.R), h = RectHeight(p.R);
    TBitmap T(w, h, pf32bit);
    if (FPageSize != 0 || ThumbMinPageSize != 0)
    {
        if (Horizontal()) CreateHSkinImage(ThumbOffset1, ThumbOffset2, &T, Picture, src, w, h, ThumbStretchEffect);
        else CreateVSkinImage(ThumbOffset1, ThumbOffset2, &T, Picture, src, w, h, ThumbStretchEffect);
    }
    else T.Canvas()->CopyRect(TRect(0, 0, w, h), Picture->Canvas(), src);
    const TRect g = pressedThumb ? DownGlyphRect : p.MouseIn ? ActiveGlyphRect : GlyphRect;
    const int gl = Horizontal() ? RectWidth(g) : RectHeight(g);
    if (!IsEmptyRect(g) && gl < (Horizontal() ? w : h))
    {
        auto glyph = CopyPart(Picture, g);
        if (glyph)
        {
            if (GlyphTransparent)
            {
                glyph->SetTransparentMode(tmFixed);
                glyph->SetTransparentColor(TColor(GlyphTransparentColor));
                glyph->SetTransparent(true);
            }
            T.Canvas()->Draw(w / 2 - RectWidth(g) / 2, h / 2 - RectHeight(g) / 2, glyph.get());
        }
    }
    if (ThumbTransparent)
    {
        T.SetTransparentMode(tmFixed);
        T.SetTransparentColor(TColor(ThumbTransparentColor));
        T.SetTransparent(true);
    }
    C->Draw(p.R.Left, p.R.Top, &T);
}

void TbsSkinScrollBar::CreateControlSkinImage(TBitmap* B)
{
    TbsSkinCustomControl::CreateControlSkinImage(B);
    CalcRects();
    TCanvas* C = B->Canvas();
    DrawSkinPart(C, 1);
    DrawSkinPart(C, 2);
    if (GetEnabled()) DrawSkinPart(C, 0);
}
