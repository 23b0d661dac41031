// Moving and sizing of a skinned form: the move/size loop's messages,
// magnetic edges, alpha blending, the fade-in on show, and the layered
// border kept in step with the form.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>

#include "lib/bsEffects.h"
#include "platform/core/Clock.h"
#include "lib/bsUtils.h"

namespace
{
constexpr std::uintptr_t kFadeTimer = 1;

void SetLayered(HWND h, bool on)
{
    const LONG ex = GetWindowLong(h, GWL_EXSTYLE);
    if (((ex & LONG(WS_EX_LAYERED)) != 0) == on) return;
    SetWindowLong(h, GWL_EXSTYLE, on ? ex | LONG(WS_EX_LAYERED) : ex & ~LONG(WS_EX_LAYERED));
}
}  // namespace

bool TbsSkinForm::CanShowBorderLayer() const
{
    return FSD && !FSD->Empty && FSD->ShowLayeredBorders() && FSD->LayerFrame.PictureIndex != -1 &&
           IsLayeredWindowsAvailable() && FSkinnableForm && !AlwaysDisableLayeredFrames && !PreviewMode &&
           FForm->GetBorderStyle() != bsNone && FForm->GetFormStyle() != fsMDIChild && !FSmartEffectsShow &&
           FBorderLayer && FBorderLayer->HasFrame();
}

bool TbsSkinForm::CanFadeInByBorderLayer() const
{
    // The invisible first frame of a form and its border is a need of one
    // system's desktop composition only; here the border is shown with the
    // form at once (the form never waits unseen for a timer).
    constexpr bool kDesktopNeedsIt = false;
    return kDesktopNeedsIt && CanShowBorderLayer() && !FAlphaBlend && !AlphaBlendAnimation &&
           !(FSD && FSD->AnimationForAllWindows);
}

void TbsSkinForm::LayerAfterSkinChange()
{
    if (!FBorderLayer) return;
    if (FBorderLayer->Visible()) FBorderLayer->Hide();
    FBorderLayer->InitFrame(FSD, FForm);
    if (!CanShowBorderLayer() || !FForm->HandleAllocated() || !IsWindowVisible(FForm->Handle())) return;
    FBorderLayer->SetActive(GetFormActive(), false);
    FBorderLayer->ShowWithForm();
    // The form lies above its border windows.
    SetWindowPos(FForm->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FBorderLayer->SetBoundsWithForm();
}

// ---------------------------------------------------------------------------
// Magnetic edges

void TbsSkinForm::DoMagnetic(int& L, int& T, int W, int H)
{
    const int M = MagneticSize;
    TRect R;
    GetMonitorWorkArea(FForm->Handle(), true, R);
    if (TbsSkinForm* main = IsMDIChild() ? MainMDISkinForm() : nullptr)
    {
        // An MDI child snaps to the MDI work area, in screen coordinates.
        R = main->GetMDIWorkArea();
        TPoint o = main->Form()->ClientOrigin();
        OffsetRect(R, o.X, o.Y);
    }
    TPoint cur;
    GetCursorPos(&cur);
    // The border's grip edge snaps, not the form's.
    const bool border = CanShowBorderLayer() && FBorderLayer->Visible() &&
                        (FBorderLayer->LeftSize | FBorderLayer->TopSize | FBorderLayer->RightSize |
                         FBorderLayer->BottomSize) != 0;
    if (border)
    {
        L -= FBorderLayer->LeftSize;
        T -= FBorderLayer->TopSize;
        W += FBorderLayer->LeftSize + FBorderLayer->RightSize;
        H += FBorderLayer->TopSize + FBorderLayer->BottomSize;
    }
    // One edge: near it and not yet stuck, snap; stuck, stay until the cursor
    // has gone more than M pixels from where the snap happened.
    auto edge = [M](int& pos, int target, int value, int cursor, int& downCoord, bool& magnetized, int offset) {
        const bool near = target - M < value && value < target + M;
        if (near && !magnetized)
        {
            pos = target - offset;
            downCoord = cursor;
        }
        else if (magnetized)
        {
            if (std::abs(cursor - downCoord) > M) pos = cursor + target - offset - downCoord;
            else pos = target - offset;
        }
        magnetized = near;
    };
    edge(L, R.Left, L, cur.X, FOnMouseDownCoord.X, HMagnetized, 0);
    edge(T, R.Top, T, cur.Y, FOnMouseDownCoord.Y, VMagnetized, 0);
    const bool hOld = HMagnetized2, vOld = VMagnetized2;
    (void)hOld;
    (void)vOld;
    edge(L, R.Right, L + W, cur.X, FOnMouseDownCoord.X, HMagnetized2, W);
    edge(T, R.Bottom, T + H, cur.Y, FOnMouseDownCoord.Y, VMagnetized2, H);
    if (border)
    {
        // Back to the form's own corner.
        L += FBorderLayer->LeftSize;
        T += FBorderLayer->TopSize;
    }
}

// ---------------------------------------------------------------------------
// Alpha blending and the fade-in

void TbsSkinForm::SetAlphaBlend(bool Value)
{
    if (FAlphaBlend == Value) return;
    FAlphaBlend = Value;
    if (ComponentState() != 0 || !IsLayeredWindowsAvailable() || !FForm->HandleAllocated()) return;
    SetLayered(FForm->Handle(), Value);
    if (Value) SetLayeredAlpha(FForm->Handle(), FAlphaBlendValue);
}

void TbsSkinForm::SetAlphaBlendValue(BYTE Value)
{
    if (FAlphaBlendValue == Value) return;
    FAlphaBlendValue = Value;
    if (FAlphaBlend && ComponentState() == 0 && IsLayeredWindowsAvailable() && FForm->HandleAllocated())
        SetLayeredAlpha(FForm->Handle(), Value);
}

void TbsSkinForm::FadeIn()
{
    HWND h = FForm->Handle();
    const bool all = FSD && FSD->AnimationForAllWindows;
    const bool shown = FForm->GetVisible() || FForm->Tag() == -10000;
    if (CanFadeInByBorderLayer())
    {
        KillTimer(h, kFadeTimer);
        SetLayered(h, false);
        if (CanShowBorderLayer() && shown)
        {
            FBorderLayer->SetActive(GetFormActive(), false);
            FBorderLayer->CheckFormAlpha(255, true);
        }
        return;
    }
    if (!IsLayeredWindowsAvailable() || !(FAlphaBlend || AlphaBlendAnimation || all)) return;
    KillTimer(h, kFadeTimer);
    const bool border = CanShowBorderLayer();
    if (border) FBorderLayer->SetActive(GetFormActive(), false);
    FFade.Stop();
    const bool animated = AlphaBlendAnimation || all;
    const int target = animated && !FAlphaBlend ? 255 : FAlphaBlendValue;
    // At the end an opaque form is not layered any more.
    auto finish = [this, border, target] {
        if (target != 255 || !FForm->HandleAllocated()) return;
        SetLayered(FForm->Handle(), false);
        if (border) FBorderLayer->CheckFormAlpha(255, true);
    };
    if (animated)
    {
        // A step each timer tick: the form and its controls are served meanwhile.
        FFade.Start(target, target / 15, bsskinform::kFadeInterval,
                    [this, border](int alpha) {
                        if (FForm->HandleAllocated()) SetLayeredAlpha(FForm->Handle(), BYTE(alpha));
                        if (border) FBorderLayer->CheckFormAlpha(alpha, true);
                    },
                    finish);
        return;
    }
    if (target != 255)
    {
        SetLayeredAlpha(h, FAlphaBlendValue);
        if (border) FBorderLayer->CheckFormAlpha(FAlphaBlendValue, true);
    }
    finish();
}

// ---------------------------------------------------------------------------
// Messages

bool TbsSkinForm::MoveSizeWindowProc(TMessage& m)
{
    const bool skinnable = FSkinnableForm;
    switch (m.Msg)
    {
    case WM_ENTERSIZEMOVE:
        if (!skinnable) return false;
        GetCursorPos(&FOnMouseDownCoord);
        TestActive(-1, -1, false);
        MouseTimer->SetEnabled(false);
        ActiveObject = MouseCaptureObject = -1;
        FSizeMove = true;
        {
            BOOL full = TRUE;
            SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
            FFullDrag = full != FALSE;
        }
        return false;
    case WM_MOVING:
        if (!skinnable) return false;
        if (auto* r = reinterpret_cast<TRect*>(m.LParam))
        {
            if (FWindowState == wsMaximized && FForm->GetFormStyle() != fsMDIChild)
                *r = FForm->BoundsRect();  // a maximized form stays where it is
            else if (Magnetic)
            {
                int L = r->Left, T = r->Top;
                const int W = FForm->Width(), H = FForm->Height();
                DoMagnetic(L, T, W, H);
                *r = Bounds(L, T, W, H);
            }
        }
        return false;
    case WM_SIZING:
        if (FSizeMove && FFullDrag)
        {
            FSizing = true;
            HMagnetized = VMagnetized = HMagnetized2 = VMagnetized2 = false;
        }
        return false;
    case WM_EXITSIZEMOVE:
        if (!skinnable) return false;
        FSizing = FSizeMove = false;
        MouseTimer->SetEnabled(false);
        ActiveObject = OldActiveObject = MouseCaptureObject = -1;
        if (FSD && !FSD->Empty) NCPaint();
        if (CanShowBorderLayer()) FBorderLayer->SetBoundsWithForm();
        return false;
    case WM_WINDOWPOSCHANGED:
    {
        PassOn(m);
        const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
        if (!wp) return true;
        FFormLeft = wp->x;
        FFormTop = wp->y;
        if (wp->flags & SWP_HIDEWINDOW)
        {
            if (FBorderLayer->Visible()) FBorderLayer->Hide();
        }
        else if (CanShowBorderLayer() && FBorderLayer->Visible())
        {
            // The border follows: a move only moves its windows, a new size rebuilds its strips.
            if (!(wp->flags & SWP_NOSIZE)) FBorderLayer->SetBoundsWithForm3(wp->x, wp->y, wp->cx, wp->cy);
            else if (!(wp->flags & SWP_NOMOVE)) FBorderLayer->MoveWithForm2(wp->x, wp->y);
        }
        FOldFormLeft = FFormLeft;
        FOldFormTop = FFormTop;
        return true;
    }
    case WM_SIZE:
        // A minimized (iconified) form takes its border along.
        if (m.WParam == SIZE_MINIMIZED && FBorderLayer->Visible()) FBorderLayer->Hide();
        else if (m.WParam == SIZE_RESTORED && !FBorderLayer->Visible() && CanShowBorderLayer() &&
                 IsWindowVisible(FForm->Handle()))
        {
            FBorderLayer->SetActive(GetFormActive(), false);
            FBorderLayer->CheckFormAlpha(255, false);
            FBorderLayer->ShowWithForm();
        }
        return false;
    case WM_NCACTIVATE:
        if (skinnable && FBorderLayer->Visible()) FBorderLayer->SetActive(m.WParam != 0, true);
        return false;
    case WM_SHOWWINDOW:
    {
        const bool shown = FForm->GetVisible() || FForm->Tag() == -10000;
        if (m.WParam)
        {
            if (FStartShow && FWindowState == wsNormal)
            {
                // Shown at its fixed client size, then placed.
                FStartShow = false;
                ApplyClientSize();
                ApplyPositionInMonitor();
            }
            const bool all = FSD && FSD->AnimationForAllWindows;
            if (skinnable && all && FAlphaBlendValue == 0) FAlphaBlendValue = 255;
            const bool fade = FAlphaBlend || AlphaBlendAnimation || all || (skinnable && CanFadeInByBorderLayer());
            if (IsLayeredWindowsAvailable() && fade)
            {
                // Shown invisible, then faded in from the first timer tick.
                SetLayered(FForm->Handle(), true);
                SetLayeredAlpha(FForm->Handle(), 0);
                if (skinnable && CanShowBorderLayer() && shown)
                {
                    FBorderLayer->CheckFormAlpha(0, false);
                    FBorderLayer->ShowWithForm();
                }
                SetTimer(FForm->Handle(), kFadeTimer, 1);
            }
            PassOn(m);
            if (IsLayeredWindowsAvailable() && !fade && shown && CanShowBorderLayer())
            {
                FBorderLayer->SetActive(true, false);
                FBorderLayer->CheckFormAlpha(255, false);
                FBorderLayer->ShowWithForm();
            }
        }
        else
        {
            FFade.Stop();
            PassOn(m);
            if (FBorderLayer->Visible()) FBorderLayer->Hide();
        }
        return true;
    }
    case WM_TIMER:
        if (m.WParam != kFadeTimer) return false;
        FadeIn();
        return false;
    case BSM_SMARTEFFECTS_BEGIN: FSmartEffectsShow = true; return false;
    case BSM_SMARTEFFECTS_END:
        if (FSmartEffectsShow)
        {
            FSmartEffectsShow = false;
            if ((FForm->GetVisible() || FForm->Tag() == -10000) && CanShowBorderLayer())
            {
                FBorderLayer->SetActive(true, false);
                FBorderLayer->ShowWithFormAnimation();
            }
        }
        return false;
    case BSM_LAYEREDBORDERS_CHANGE:
        if (CanShowBorderLayer() && FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()))
        {
            if (!FBorderLayer->Visible())
            {
                FBorderLayer->SetActive(GetFormActive(), false);
                FBorderLayer->ShowWithForm();
            }
        }
        else if (FBorderLayer->Visible())
            FBorderLayer->Hide();
        return false;
    default: return false;
    }
}
