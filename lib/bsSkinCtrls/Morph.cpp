#include "lib/bsSkinCtrls/Morph.h"

#include <cmath>
#include <memory>

#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/gui/Menus.h"

namespace bsctrls
{
bool StepMorph(double& kf, bool hot)
{
    if (hot && kf < 1.0) kf = std::min(1.0, std::round(kf * 5 + 1) / 5);
    else if (!hot && kf > 0.0) kf = std::max(0.0, std::round(kf * 5 - 1) / 5);
    else
    {
        kf = hot ? 1.0 : 0.0;
        return false;
    }
    return true;
}

void StartTimer(std::unique_ptr<TTimer>& t, unsigned interval, std::function<void()> tick)
{
    if (!t) t = std::make_unique<TTimer>(nullptr);
    t->SetEnabled(false);
    t->SetInterval(interval);
    t->SetOnTimer([tick = std::move(tick)](TObject*) { tick(); });
    t->SetEnabled(true);
}

void TFrameAnimation::Start(bool in, int count, int interval, std::function<void()> repaint)
{
    Stop();
    Inc = in;
    CurrentFrame = in ? 1 : count;
    StartTimer(Timer, unsigned(std::max(1, interval)), [this, count, repaint = std::move(repaint)] { Tick(count, repaint); });
}

void TFrameAnimation::Stop()
{
    CurrentFrame = 0;
    StopTimer(Timer);
}

void TFrameAnimation::Tick(int count, const std::function<void()>& repaint)
{
    if (Inc)
    {
        if (CurrentFrame <= count)
        {
            ++CurrentFrame;
            repaint();
        }
        if (CurrentFrame > count) Stop();
    }
    else
    {
        if (CurrentFrame >= 0)
        {
            --CurrentFrame;
            repaint();
        }
        if (CurrentFrame <= 0) Stop();
    }
}

bool TFrameAnimation::Frame(const TRect& look, const TRect& anim, int count, TRect& out) const
{
    if (!Running() || count <= 0 || CurrentFrame <= 0 || CurrentFrame > count) return false;
    if (RectWidth(look) < RectWidth(anim))
    {
        const int fw = RectWidth(anim) / count;
        out = TRect(anim.Left + (CurrentFrame - 1) * fw, anim.Top, anim.Left + CurrentFrame * fw, anim.Bottom);
    }
    else
    {
        const int fh = RectHeight(anim) / count;
        out = TRect(anim.Left, anim.Top + (CurrentFrame - 1) * fh, anim.Right, anim.Top + CurrentFrame * fh);
    }
    return true;
}

void TAutoRepeat::Start(const int& interval, std::function<void()> click)
{
    Delaying = true;
    StartTimer(Timer, 500, [this, &interval, click = std::move(click)] {
        // The first tick ends the delay; every later one clicks.
        if (Delaying)
        {
            Delaying = false;
            Timer->SetInterval(unsigned(std::max(1, interval)));
            return;
        }
        click();
    });
}

TRect DrawFreeSizedLook(TBitmap* B, TBitmap* Picture, const TRect& R, int ResizeMode, const TRect& ClRect)
{
    const int bw = B->GetWidth(), bh = B->GetHeight();
    switch (ResizeMode)
    {
    case 0: B->Canvas()->CopyRect(TRect(0, 0, bw, bh), Picture->Canvas(), R); break;
    case 2:
    case 3: CreateSkinImageByClRect(B, Picture, R, ClRect, true); break;
    default: break;
    }
    TRect tr = ClRect;
    tr.Right += bw - RectWidth(R);
    tr.Bottom += bh - RectHeight(R);
    return tr;
}

int ButtonFontColor(bool enabled, bool useSkinColor, int defaultColor, bool ADown, bool AActive, int down,
                    int active, int normal, int disabled)
{
    if (enabled && !useSkinColor) return defaultColor;
    if (!enabled) return disabled;
    if (ADown && AActive) return down;
    if (AActive) return active;
    return normal;
}

int GlyphFrame(bool pressed, bool active, bool enabled, int numGlyphs)
{
    if (pressed && numGlyphs >= 3) return 3;
    if (active && numGlyphs == 4) return 4;
    if (enabled || numGlyphs == 1) return 1;
    return 2;
}

void DrawMorph(TCanvas* C, TBitmap* from, TBitmap* to, TbsMorphKind kind, double kf)
{
    std::unique_ptr<TbsEffectBmp> e1(TbsEffectBmp::CreateFromhWnd(from->GetHandle()));
    std::unique_ptr<TbsEffectBmp> e2(TbsEffectBmp::CreateFromhWnd(to->GetHandle()));
    switch (kind)
    {
    case mkDefault: e1->Morph(e2.get(), kf); break;
    case mkGradient: e1->MorphGrad(e2.get(), kf); break;
    case mkLeftGradient: e1->MorphLeftGrad(e2.get(), kf); break;
    case mkRightGradient: e1->MorphRightGrad(e2.get(), kf); break;
    case mkLeftSlide: e1->MorphLeftSlide(e2.get(), kf); break;
    case mkRightSlide: e1->MorphRightSlide(e2.get(), kf); break;
    case mkPush: e1->MorphPush(e2.get(), kf); break;
    }
    e1->Draw(C->GetHandle(), 0, 0);
}

bool TakeFocusForPress(TWinControl* c, const std::weak_ptr<char>& life, bool& clicksDisabled)
{
    if (c->Focused() || !c->CanFocus()) return true;
    clicksDisabled = true;
    c->SetFocus();
    if (life.expired()) return false;
    clicksDisabled = false;
    return c->Focused();
}

bool AcceleratorFocus(TWinControl* c, const std::weak_ptr<char>& life, const TMessage& m)
{
    if (!c->CanFocus() || !IsAccel(WORD(m.WParam), c->GetText())) return false;
    c->SetFocus();
    return !life.expired();
}
} // namespace bsctrls
