#include "lib/bsSkinCtrls/Morph.h"

#include <cmath>
#include <memory>

#include "lib/bsEffects.h"
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
