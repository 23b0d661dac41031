// The skinned slider: its own four pictures, layout of ruler and thumb,
// value and offset mapping, dragging, stepping on the ruler, keys, painting.
#include <cmath>

#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinCtrls/Morph.h"

using namespace bsctrls;

namespace
{
constexpr int Margin = 6;
constexpr unsigned TrackInterval = 400;
constexpr TColor Key = TColor(0xFF00FF);
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

void Fill(TCanvas* C, const TRect& r, TColor c)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(c);
    C->FillRect(r);
}

// One thumb state, pointing down (horizontal slider) or right (vertical):
// a light face with a dark outline; `pressed` is darker and flatter.
void DrawThumbState(TCanvas* C, int x0, int w, int h, bool vertical, bool pressed)
{
    const TColor outline = TColor(RGB(70, 80, 100));
    const TColor face = pressed ? TColor(RGB(150, 160, 178)) : TColor(RGB(226, 232, 242));
    const TColor light = pressed ? TColor(RGB(175, 183, 198)) : TColor(RGB(255, 255, 255));
    // Long side along the pointer; `len` body before the point.
    const int across = vertical ? h : w, along = vertical ? w : h;
    const int point = across / 2;   // length of the pointed end
    const int body = along - point;
    for (int a = 0; a < along; ++a)
    {
        // Width of the row at distance a along the pointer.
        const int inset = a < body ? 0 : a - body + 1;
        const int from = inset, to = across - inset;   // [from, to)
        for (int c = from; c < to; ++c)
        {
            // Rounded corners at the flat end; they keep the transparent key.
            if (a == 0 && (c == from || c == to - 1)) continue;
            const bool edge = c == from || c == to - 1 || a == 0 || (a == along - 1);
            const bool hl = !edge && (c == from + 1 || a == 1);
            const TColor col = edge ? outline : hl ? light : face;
            const int x = vertical ? x0 + a : x0 + c, y = vertical ? c : a;
            C->SetPixel(x, y, col);
        }
    }
}
} // namespace

std::unique_ptr<TBitmap> bsSliderDefaultImage(TbsSliderImage Which)
{
    const bool vertical = Which == siVThumb || Which == siVRuler;
    const bool thumb = Which == siHThumb || Which == siVThumb;
    const int w = thumb ? (vertical ? 38 : 18) : (vertical ? 8 : 10);
    const int h = thumb ? (vertical ? 9 : 17) : (vertical ? 10 : 8);
    auto b = std::make_unique<TBitmap>(w, h, pf32bit);
    TCanvas* C = b->Canvas();
    Fill(C, TRect(0, 0, w, h), Key);
    if (thumb)
    {
        const int sw = w / 2;
        DrawThumbState(C, 0, sw, h, vertical, false);
        DrawThumbState(C, sw, sw, h, vertical, true);
        return b;
    }
    // A sunken groove two pixels in from the long sides; the ends are its
    // fixed pieces.
    const TColor dark = TColor(RGB(110, 118, 132)), light = TColor(RGB(250, 250, 252)),
                 inner = TColor(RGB(200, 206, 216));
    if (!vertical)
    {
        Fill(C, TRect(0, 2, w, 6), inner);
        Fill(C, TRect(0, 2, w, 3), dark);
        Fill(C, TRect(0, 5, w, 6), light);
        Fill(C, TRect(0, 2, 1, 6), dark);
        Fill(C, TRect(w - 1, 2, w, 6), light);
    }
    else
    {
        Fill(C, TRect(2, 0, 6, h), inner);
        Fill(C, TRect(2, 0, 3, h), dark);
        Fill(C, TRect(5, 0, 6, h), light);
        Fill(C, TRect(2, 0, 6, 1), dark);
        Fill(C, TRect(2, h - 1, 6, h), light);
    }
    return b;
}

TbsSkinCustomSlider::TbsSkinCustomSlider(TComponent* AOwner) : TbsSkinControl(AOwner)
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks};
    // The window's paint composes off-screen, so Paint and an OnDrawPoints
    // handler draw on the one canvas in order.
    DoubleBuffered = true;
    tabStop_ = true;
    width_ = 150;
    height_ = 40;
    FSkinDataName = "slider";
    FRuler = std::make_unique<TBitmap>();
    for (int i = 0; i < 4; ++i) FImages[i] = bsSliderDefaultImage(TbsSliderImage(i));
    UpdateLayout();
}

TbsSkinCustomSlider::~TbsSkinCustomSlider()
{
    OnChange = nullptr;
    OnChanged = nullptr;
    OnDrawPoints = nullptr;
}

// ---- skin entry -------------------------------------------------------------------------

void TbsSkinCustomSlider::GetSkinData()
{
    TbsSkinControl::GetSkinData();
    FPicture = nullptr;
    const auto* d = dynamic_cast<const TbsDataSkinSlider*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    FPicture = bsSkinActiveBitmap(FSD, d->PictureIndex);
    HRulerRect = d->HRulerRect;
    HThumbRect = d->HThumbRect;
    VRulerRect = d->VRulerRect;
    VThumbRect = d->VThumbRect;
    SkinEdgeSize = d->EdgeSize;
    BGColor = d->BGColor;
    PointsColor = d->PointsColor;
}

void TbsSkinCustomSlider::DropSkinReferences()
{
    TbsSkinControl::DropSkinReferences();
    FPicture = nullptr;
}

void TbsSkinCustomSlider::ChangeSkinData() { UpdateLayout(); }

// ---- properties -------------------------------------------------------------------------

void TbsSkinCustomSlider::SetValue(int Value)
{
    const int v = std::clamp(Value, FMinValue, std::max(FMinValue, FMaxValue));
    const bool changed = v != FValue;
    FValue = v;
    SetThumbOffset(ValueToOffset(v));
    if (changed) Change();
}

void TbsSkinCustomSlider::SetMinValue(int Value)
{
    if (Value != FMinValue) SetRange(Value, FMaxValue);
}

void TbsSkinCustomSlider::SetMaxValue(int Value)
{
    if (Value != FMaxValue) SetRange(FMinValue, Value);
}

void TbsSkinCustomSlider::SetRange(int AMin, int AMax)
{
    if (AMin >= AMax) return;
    FMinValue = AMin;
    FMaxValue = AMax;
    if (AMax < AMin + FIncrement) FIncrement = AMax - AMin;
    if (FOptions.Contains(soShowPoints)) Invalidate();
    SetValue(FValue);
}

void TbsSkinCustomSlider::SetIncrement(int Value)
{
    if (Value <= 0 || Value == FIncrement) return;
    FIncrement = Value;
    SetValue(FValue);
    Invalidate();
}

void TbsSkinCustomSlider::SetOrientation(TbsSliderOrientation Value)
{
    if (Value == FOrientation) return;
    FOrientation = Value;
    SetBounds(left_, top_, height_, width_);
    UpdateLayout();
}

void TbsSkinCustomSlider::SetOptions(TbsSliderOptions Value)
{
    if (Value == FOptions) return;
    FOptions = Value;
    Invalidate();
}

void TbsSkinCustomSlider::SetEdgeSize(int Value)
{
    const TBitmap* r = FImages[FOrientation == soHorizontal ? siHRuler : siVRuler].get();
    const int len = FOrientation == soHorizontal ? r->GetWidth() : r->GetHeight();
    if (2 * Value >= len || Value == FEdgeSize) return;
    FEdgeSize = Value;
    UpdateLayout();
}

void TbsSkinCustomSlider::SetNumThumbStates(int Value)
{
    Value = std::clamp(Value, 1, 2);
    if (Value == FNumThumbStates) return;
    FNumThumbStates = Value;
    UpdateLayout();
}

void TbsSkinCustomSlider::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TbsSkinCustomSlider::SetImage(TbsSliderImage Which, TBitmap* Value)
{
    if (Value && !Value->Empty())
    {
        FImages[Which] = std::make_unique<TBitmap>();
        FImages[Which]->Assign(Value);
        FUserImages.Include(Which);
    }
    else
    {
        FImages[Which] = bsSliderDefaultImage(Which);
        FUserImages.Exclude(Which);
        FOptions.Exclude(Which == siHThumb || Which == siVThumb ? soThumbOpaque : soRulerOpaque);
        Invalidate();
    }
    UpdateLayout();
}

void TbsSkinCustomSlider::Change()
{
    if (OnChange) OnChange(this);
}

void TbsSkinCustomSlider::Changed()
{
    if (OnChanged) OnChanged(this);
}

// ---- layout and mapping -----------------------------------------------------------------

TSize TbsSkinCustomSlider::ThumbSize() const
{
    const bool hz = FOrientation == soHorizontal;
    if (SkinThumb())
    {
        const TRect& r = hz ? HThumbRect : VThumbRect;
        return TSize(RectWidth(r) / 2, RectHeight(r));
    }
    const TBitmap* t = FImages[hz ? siHThumb : siVThumb].get();
    return TSize(t->GetWidth() / FNumThumbStates, t->GetHeight());
}

void TbsSkinCustomSlider::BuildRuler()
{
    const bool hz = FOrientation == soHorizontal;
    if (FIndex != -1 && FPicture)
    {
        const TRect& r = hz ? HRulerRect : VRulerRect;
        const int len = std::max(0, (hz ? width_ : height_) - 2 * Margin);
        if (IsEmptyRect(r) || len == 0)
        {
            FRuler->SetSize(0, 0);
            return;
        }
        if (hz)
        {
            FRuler->SetSize(len, RectHeight(r));
            CreateHSkinImage(SkinEdgeSize, SkinEdgeSize, FRuler.get(), FPicture, r, len, RectHeight(r), false);
        }
        else
        {
            FRuler->SetSize(RectWidth(r), len);
            CreateVSkinImage(SkinEdgeSize, SkinEdgeSize, FRuler.get(), FPicture, r, RectWidth(r), len, false);
        }
        return;
    }
    // Own ruler: fixed ends of EdgeSize, the middle repeated.
    TBitmap* I = FImages[hz ? siHRuler : siVRuler].get();
    const int ilen = hz ? I->GetWidth() : I->GetHeight(), across = hz ? I->GetHeight() : I->GetWidth();
    const int len = std::max(0, (hz ? width_ : height_) - 2 * Margin);
    if (hz) FRuler->SetSize(len, across);
    else FRuler->SetSize(across, len);
    if (len == 0 || ilen == 0) return;
    const int e = FEdgeSize;
    const int p = ilen - 2 * e;
    auto copy = [&](int from, int to, int at) {
        if (to <= from) return;
        const TRect src = hz ? TRect(from, 0, to, across) : TRect(0, from, across, to);
        const TRect dst = hz ? TRect(at, 0, at + to - from, across) : TRect(0, at, across, at + to - from);
        FRuler->Canvas()->CopyRect(dst, I->Canvas(), src);
    };
    if (p <= 0)
    {
        // An image too short for its edges: stretched over the ruler.
        FRuler->Canvas()->StretchDraw(TRect(0, 0, FRuler->GetWidth(), FRuler->GetHeight()), I);
        return;
    }
    const int a = len - 2 * e;
    const int n = a > 0 ? a / p : 0, r = a > 0 ? a % p : 0;
    copy(0, ilen - e, 0);
    for (int i = 1; i < n; ++i) copy(e, e + p, e + i * p);
    if (n > 0) copy(e + p - r, ilen, e + n * p);
}

void TbsSkinCustomSlider::UpdateLayout()
{
    GetSkinData();
    const int keep = FValue;
    BuildRuler();
    const TSize t = ThumbSize();
    const int rw = FRuler->GetWidth(), rh = FRuler->GetHeight();
    if (FOrientation == soHorizontal)
    {
        if (rh < t.cy)
        {
            FThumbRect = TRect(Margin, Margin, Margin + t.cx, Margin + t.cy);
            FRulerOrg = TPoint(Margin, Margin + (t.cy - rh) / 2);
            FPointsRect = TRect(Margin, t.cy + 7, Margin + rw, height_ - 1);
        }
        else
        {
            const int top = Margin + (rh - t.cy) / 2;
            FThumbRect = TRect(Margin, top, Margin + t.cx, top + t.cy);
            FRulerOrg = TPoint(Margin, Margin);
            FPointsRect = TRect(Margin, rh + 7, Margin + rw, height_ - 1);
        }
    }
    else
    {
        const int whole = SkinThumb() ? RectWidth(VThumbRect) : FImages[siVThumb]->GetWidth();
        if (rw < whole / FNumThumbStates)
        {
            FThumbRect = TRect(Margin, Margin, Margin + t.cx, Margin + t.cy);
            FRulerOrg = TPoint(Margin + (t.cx - rw) / 2, Margin);
            FPointsRect = TRect(t.cx + 7, Margin, width_ - 1, Margin + rh);
        }
        else
        {
            const int left = Margin + (rw - t.cx) / 2;
            FThumbRect = TRect(left, Margin, left + t.cx, Margin + t.cy);
            FRulerOrg = TPoint(Margin, Margin);
            FPointsRect = TRect(rw + 7, Margin, width_ - 1, Margin + rh);
        }
    }
    FValue = keep;
    SetThumbOffset(ValueToOffset(FValue));
    Invalidate();
}

int TbsSkinCustomSlider::GetRulerLength() const
{
    const TSize t = ThumbSize();
    return FOrientation == soHorizontal ? FRuler->GetWidth() - t.cx : FRuler->GetHeight() - t.cy;
}

int TbsSkinCustomSlider::ValueToOffset(int V) const
{
    // An empty range or a ruler no longer than the thumb: at the start.
    const int L = GetRulerLength(), range = FMaxValue - FMinValue;
    int o = Margin;
    if (L > 0 && range > 0) o += RoundEven(double(L) * (V - FMinValue) / range);
    if (FOrientation == soVertical) o = height_ - o - ThumbSize().cy;
    return std::max(o, Margin);
}

int TbsSkinCustomSlider::OffsetToValue(int X) const
{
    const int L = GetRulerLength();
    if (L <= 0) return FMinValue;
    if (FOrientation == soVertical) X = height_ - X - ThumbSize().cy;
    int v = RoundEven(double(X - Margin) * (FMaxValue - FMinValue) / L);
    if (!FOptions.Contains(soSmooth) && FIncrement > 0) v = RoundEven(double(v) / FIncrement) * FIncrement;
    return std::min(std::max(v, 0) + FMinValue, FMaxValue);
}

TPoint TbsSkinCustomSlider::ConstrainThumbOffset(int& X) const
{
    const int L = std::max(0, GetRulerLength());
    X = std::clamp(X, Margin, Margin + L);
    X = std::min(ValueToOffset(OffsetToValue(X)), Margin + L);
    return FOrientation == soHorizontal ? TPoint(X, FThumbRect.Top) : TPoint(FThumbRect.Left, X);
}

void TbsSkinCustomSlider::SetThumbOffset(int X)
{
    const int old = FValue;
    const TPoint p = ConstrainThumbOffset(X);
    // Only the old and the new place of the thumb are painted again, and
    // nothing when it stays (a player sets the value many times a second).
    const bool moves = p.X != FThumbRect.Left || p.Y != FThumbRect.Top;
    if (moves && HandleAllocated()) InvalidateRect(GetHandle(), &FThumbRect, FALSE);
    FThumbRect = TRect(p.X, p.Y, p.X + RectWidth(FThumbRect), p.Y + RectHeight(FThumbRect));
    if (moves && HandleAllocated()) InvalidateRect(GetHandle(), &FThumbRect, FALSE);
    if (!FSliding) return;
    FValue = OffsetToValue(X);
    if (FValue != old) Change();
}

void TbsSkinCustomSlider::ThumbJump(TbsJumpMode Mode)
{
    int v;
    switch (Mode)
    {
    case jmHome: v = FMinValue; break;
    case jmEnd: v = FMaxValue; break;
    case jmNext: v = RoundEven(double(FValue) / FIncrement) * FIncrement + FIncrement; break;
    case jmPrior: v = RoundEven(double(FValue) / FIncrement) * FIncrement - FIncrement; break;
    default: return;
    }
    if (v >= FMaxValue) v = FMaxValue;
    if (v <= FMinValue) v = FMinValue;
    if (v != FValue) SetValue(v);
}

TbsJumpMode TbsSkinCustomSlider::JumpModeAt(TPoint P) const
{
    if (FOrientation == soHorizontal)
    {
        if (P.X < FThumbRect.Left) return jmPrior;
        if (P.X >= FThumbRect.Right) return jmNext;
    }
    else
    {
        if (P.Y < FThumbRect.Top) return jmNext;
        if (P.Y >= FThumbRect.Bottom) return jmPrior;
    }
    return jmNone;
}

// ---- mouse and keys ---------------------------------------------------------------------

void TbsSkinCustomSlider::TimerTrack()
{
    if (JumpModeAt(FMousePos) != FStartJump) return;
    ThumbJump(FStartJump);
    if (!TimerOn(FTrackTimer)) StartTimer(FTrackTimer, TrackInterval, [this] { TimerTrack(); });
}

void TbsSkinCustomSlider::StopTracking()
{
    if (!FTracking) return;
    StopTimer(FTrackTimer);
    FTracking = false;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    Changed();
}

void TbsSkinCustomSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TbsSkinControl::MouseDown(Button, Shift, X, Y);
    if (life.expired() || Button != mbLeft || Shift.Contains(ssDouble)) return;
    if (CanFocus()) SetFocus();
    if (life.expired()) return;
    if (X >= FThumbRect.Left && X < FThumbRect.Right && Y >= FThumbRect.Top && Y < FThumbRect.Bottom)
    {
        if (!CanModify()) return;
        FSliding = true;
        FThumbDown = true;
        FHit = FOrientation == soVertical ? Y - FThumbRect.Top : X - FThumbRect.Left;
        Invalidate();
        return;
    }
    TRect ruler(FRulerOrg.X, FRulerOrg.Y, FRulerOrg.X + FRuler->GetWidth(), FRulerOrg.Y + FRuler->GetHeight());
    if (FOrientation == soHorizontal) InflateRect(ruler, 0, 3);
    else InflateRect(ruler, 3, 0);
    if (X < ruler.Left || X >= ruler.Right || Y < ruler.Top || Y >= ruler.Bottom || !CanModify()) return;
    SetCaptureControl(this);
    FTracking = true;
    FMousePos = TPoint(X, Y);
    FStartJump = JumpModeAt(FMousePos);
    TimerTrack();
}

void TbsSkinCustomSlider::MouseMove(TShiftState Shift, int X, int Y)
{
    if (Shift.Contains(ssLeft) && FSliding)
    {
        if (CanModify()) SetThumbOffset((FOrientation == soVertical ? Y : X) - FHit);
    }
    else if (FTracking)
        FMousePos = TPoint(X, Y);
    const bool hot = X >= FThumbRect.Left && X < FThumbRect.Right && Y >= FThumbRect.Top && Y < FThumbRect.Bottom;
    if (hot != FThumbHot)
    {
        FThumbHot = hot;
        if (HandleAllocated()) InvalidateRect(GetHandle(), &FThumbRect, FALSE);
    }
    TbsSkinControl::MouseMove(Shift, X, Y);
}

void TbsSkinCustomSlider::CMMouseLeave(TMessage& m)
{
    TbsSkinControl::CMMouseLeave(m);
    if (!FThumbHot) return;
    FThumbHot = false;
    if (HandleAllocated()) InvalidateRect(GetHandle(), &FThumbRect, FALSE);
}

void TbsSkinCustomSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    StopTracking();
    if (life.expired()) return;
    if (FSliding && Button == mbLeft)
    {
        FSliding = false;
        FThumbDown = false;
        Invalidate();
        if (CanModify()) Changed();
        if (life.expired()) return;
    }
    TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomSlider::KeyDown(WORD& Key, TShiftState Shift)
{
    if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt))
    {
        TbsJumpMode mode = jmNone;
        if (Key == VK_HOME) mode = jmHome;
        else if (Key == VK_END) mode = jmEnd;
        else if (FOrientation == soHorizontal && Key == VK_LEFT) mode = jmPrior;
        else if (FOrientation == soHorizontal && Key == VK_RIGHT) mode = jmNext;
        else if (FOrientation == soVertical && Key == VK_UP) mode = jmNext;
        else if (FOrientation == soVertical && Key == VK_DOWN) mode = jmPrior;
        if (mode != jmNone && CanModify())
        {
            Key = 0;
            const auto life = LifeToken();
            ThumbJump(mode);
            if (life.expired()) return;
            Changed();
            if (life.expired()) return;
        }
    }
    TbsSkinControl::KeyDown(Key, Shift);
}

void TbsSkinCustomSlider::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_SIZE:
        TbsSkinControl::Dispatch(m);
        UpdateLayout();
        return;
    case WM_MOVE:
        TbsSkinControl::Dispatch(m);
        if (FTransparent) Invalidate();
        return;
    case CM_ENABLEDCHANGED:
        TbsSkinControl::Dispatch(m);
        Invalidate();
        return;
    case CM_FOCUSCHANGED:
    {
        const bool now = reinterpret_cast<TWinControl*>(m.LParam) == this;
        if (now != FFocused)
        {
            FFocused = now;
            if (FOptions.Contains(soShowFocus)) Invalidate();
        }
        break;
    }
    case BSM_CHECKPARENTBACKGROUND:
        if (FTransparent) Invalidate();
        return;
    default: break;
    }
    TbsSkinControl::Dispatch(m);
}

// ---- painting -----------------------------------------------------------------------------

void TbsSkinCustomSlider::DrawPoints(TCanvas* C, int Step, int ExtremeHeight, int Height)
{
    const int L = GetRulerLength(), range = FMaxValue - FMinValue;
    if (L <= 0 || range <= 0 || Step <= 0) return;
    C->Pen()->SetColor(FIndex == -1 ? clWindowText : TColor(PointsColor));
    int mult = 1, m = 0;
    for (;; ++mult)
    {
        m = RoundEven(double(range) / (double(Step) * mult));
        const int l = m + 1 <= 1 ? L : L / std::max(1, m);
        if (l >= 4 || l >= L) break;
    }
    const TSize t = ThumbSize();
    const int count = m + 1;
    for (int i = 0; i < count; ++i)
    {
        const int v = i == count - 1 ? FMaxValue : std::min(FMaxValue, FMinValue + i * Step * mult);
        const int len = v == FMinValue || v == FMaxValue ? ExtremeHeight : Height;
        const int o = ValueToOffset(v);
        if (FOrientation == soHorizontal)
        {
            C->MoveTo(o + t.cx / 2, FPointsRect.Top);
            C->LineTo(o + t.cx / 2, FPointsRect.Top + len);
        }
        else
        {
            C->MoveTo(FPointsRect.Left, o + t.cy / 2);
            C->LineTo(FPointsRect.Left + len, o + t.cy / 2);
        }
    }
}

void TbsSkinCustomSlider::DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight)
{
    DrawPoints(Canvas(), PointsStep, ExtremePointsHeight, PointsHeight);
}

void TbsSkinCustomSlider::Paint()
{
    if (width_ < 1 || height_ < 1) return;
    GetSkinData();
    TCanvas* C = Canvas();
    if (FTransparent) DrawParentImage(this, C);
    else Fill(C, TRect(0, 0, width_, height_), FIndex == -1 ? GetColor() : TColor(BGColor));
    if (FRuler->GetWidth() > 0 && FRuler->GetHeight() > 0)
    {
        const bool opaque = FOptions.Contains(soRulerOpaque) && FIndex == -1;
        FRuler->SetTransparentMode(tmAuto);
        FRuler->SetTransparent(!opaque);
        C->Draw(FRulerOrg.X, FRulerOrg.Y, FRuler.get());
    }
    if (FOptions.Contains(soShowFocus) && FFocused)
    {
        TRect r(0, 0, width_, height_);
        InflateRect(r, -2, -2);
        if (FIndex != -1 && FSD) DrawFocusMark(C->GetHandle(), r, COLORREF(FSD->FSkinColors.FcHighLight));
        else DrawDottedFocusRect(C->GetHandle(), r, ColorToRGB(clWindowText));
    }
    if (FOptions.Contains(soShowPoints))
    {
        if (OnDrawPoints) OnDrawPoints(this);
        else DrawPoints(C, FIncrement, 5, 3);
    }
    const bool second = FThumbDown || !GetEnabled();
    const bool hz = FOrientation == soHorizontal;
    std::unique_ptr<TBitmap> thumb;
    if (SkinThumb())
    {
        const TRect& r = hz ? HThumbRect : VThumbRect;
        const int half = RectWidth(r) / 2;
        thumb = CopyPart(FPicture, TRect(r.Left + (second ? half : 0), r.Top, r.Left + (second ? 2 * half : half), r.Bottom));
        if (thumb)
        {
            thumb->SetTransparentMode(tmAuto);
            thumb->SetTransparent(true);
        }
    }
    else
    {
        TBitmap* I = FImages[hz ? siHThumb : siVThumb].get();
        const int sw = I->GetWidth() / FNumThumbStates;
        thumb = CopyPart(I, FNumThumbStates == 2 && second ? TRect(sw, 0, 2 * sw, I->GetHeight())
                                                           : TRect(0, 0, sw, I->GetHeight()));
        if (thumb)
        {
            thumb->SetTransparentMode(tmAuto);
            thumb->SetTransparent(!FOptions.Contains(soThumbOpaque));
        }
    }
    if (thumb && FIndex != -1 && FSD)
    {
        // The skin's thumb halves are close to each other: a pressed thumb
        // darkens, a hot one lightens, a disabled one turns grey and fades.
        if (!GetEnabled()) FadeBitmap(thumb.get(), COLORREF(BGColor), 45);
        else if (FThumbDown) TintBitmap(thumb.get(), COLORREF(0), 30);
        else if (FThumbHot) TintBitmap(thumb.get(), COLORREF(0xFFFFFF), 30);
    }
    if (thumb) C->Draw(FThumbRect.Left, FThumbRect.Top, thumb.get());
}
