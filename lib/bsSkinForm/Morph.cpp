// Fades of the caption objects between their normal and hot pictures, the
// form's 25 ms fade and animation timers, the mask hit test of an object,
// and how the caption object follows the form's activity.
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>

namespace skinform
{
void BlendEffect(TbsEffectBmp* from, TbsEffectBmp* to, TbsMorphKind kind, double kf)
{
    switch (kind)
    {
    case mkDefault: from->Morph(to, kf); break;
    case mkGradient: from->MorphGrad(to, kf); break;
    case mkLeftGradient: from->MorphLeftGrad(to, kf); break;
    case mkRightGradient: from->MorphRightGrad(to, kf); break;
    case mkLeftSlide: from->MorphLeftSlide(to, kf); break;
    case mkRightSlide: from->MorphRightSlide(to, kf); break;
    case mkPush: from->MorphPush(to, kf); break;
    }
}

void ApplyInActiveEffect(TbsEffectBmp* e, TbsInActiveEffect effect)
{
    switch (effect)
    {
    case ieBrightness: e->ChangeBrightness(0.5); break;
    case ieDarkness: e->ChangeDarkness(0.3); break;
    case ieGrayScale: e->GrayScale(); break;
    case ieNoise: e->AddMonoNoise(50); break;
    case ieSplitBlur: e->SplitBlur(1); break;
    case ieInvert: e->Invert(); break;
    }
}

void CopyPicture(TCanvas* C, const TRect& dst, TBitmap* pic, const TRect& src)
{
    if (!pic || IsEmptyRect(src) || IsEmptyRect(dst)) return;
    C->CopyRect(dst, pic->Canvas(), src);
}
}  // namespace skinform

// ---------------------------------------------------------------------------
// Objects

bool TbsActiveSkinObject::IsActiveMaskPoint(int X, int Y) const
{
    const TbsSkinData* sd = Parent->SkinData();
    if (!sd || sd->Empty) return true;
    TBitmap* mask = bsSkinActiveBitmap(sd, ActiveMaskPictureIndex);
    if (!mask) return true;
    // Outside the mask picture counts as white.
    if (X < 0 || Y < 0 || X >= mask->GetWidth() || Y >= mask->GetHeight()) return false;
    return (mask->Canvas()->GetPixel(X, Y) & 0xFFFFFF) == 0;
}

bool TbsActiveSkinObject::EnableMorphing() const
{
    const TbsSkinData* sd = Parent->SkinData();
    return Morphing && sd && !sd->Empty && sd->EnableSkinEffects;
}

bool TbsActiveSkinObject::CanMorphing() const { return (Active && FMorphKf < 1.0) || (!Active && FMorphKf > 0.0); }

bool TbsActiveSkinObject::MorphMidway() const
{
    return EnableMorphing() && (Active ? FMorphKf != 1.0 : FMorphKf != 0.0);
}

void TbsActiveSkinObject::SetMorphKf(double Value) { FMorphKf = std::clamp(Value, 0.0, 1.0); }

void TbsActiveSkinObject::DoMorphing()
{
    // Added in extended precision; the clamp lands on the end exactly.
    const long double step = Active ? 0.2L : -0.2L;
    SetMorphKf(double(static_cast<long double>(FMorphKf) + step));
    Parent->DrawSkinObject(this);
}

void TbsActiveSkinObject::ReDraw()
{
    if (EnableMorphing()) Parent->MorphTimer->SetEnabled(true);
    // Otherwise the form repaints its frame after the state change.
}

namespace
{
// The glow may show: a skin with the object's glow picture, layered windows
// and the store's switch.
bool GlowPossible(const TbsSkinData* sd, int index)
{
    return sd && !sd->Empty && index != -1 && IsLayeredWindowsAvailable() && sd->ShowCaptionButtonGlowFrames;
}
}  // namespace

void TbsActiveSkinObject::ShowLayer()
{
    TbsSkinData* sd = Parent->SkinData();
    if (!GlowPossible(sd, GlowLayerPictureIndex)) return;
    TBitmap* image = bsSkinActiveBitmap(sd, GlowLayerPictureIndex);
    if (!image) return;
    TbsBitmap img, mask;
    img.Assign(image);
    if (TBitmap* m = bsSkinActiveBitmap(sd, GlowLayerMaskPictureIndex)) mask.Assign(m);
    TCustomForm* f = Parent->Form();
    Parent->FLayerManager->Show(f->Left() + ObjectRect.Left - GlowLayerOffsetX,
                                f->Top() + ObjectRect.Top - GlowLayerOffsetY, &img, mask.Empty() ? nullptr : &mask,
                                GlowLayerAlphaBlendValue);
}

void TbsActiveSkinObject::HideLayer()
{
    if (GlowPossible(Parent->SkinData(), GlowLayerPictureIndex)) Parent->FLayerManager->Hide();
}

void TbsActiveSkinObject::DrawMorph(TCanvas* Cnvs, TPoint origin, const TRect& normal, const TRect& hot)
{
    TBitmap* apic = ActivePicture();
    TBitmap* npic = SkinRectInAPicture ? apic : Parent->SkinData()->FPicture.Bitmap();
    const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
    if (!apic || !npic || w <= 0 || h <= 0) return;
    TBitmap a(w, h), b(w, h);
    skinform::CopyPicture(a.Canvas(), TRect(0, 0, w, h), npic, normal);
    skinform::CopyPicture(b.Canvas(), TRect(0, 0, w, h), apic, hot);
    std::unique_ptr<TbsEffectBmp> e1(TbsEffectBmp::CreateFromhWnd(a.GetHandle()));
    std::unique_ptr<TbsEffectBmp> e2(TbsEffectBmp::CreateFromhWnd(b.GetHandle()));
    if (!e1 || !e2) return;
    skinform::BlendEffect(e1.get(), e2.get(), MorphKind, FMorphKf);
    e1->Draw(Cnvs->GetHandle(), ObjectRect.Left - origin.X, ObjectRect.Top - origin.Y);
}

// ---------------------------------------------------------------------------
// The form's side

void TbsSkinForm::ObjectsAttach()
{
    FQuickButtons = std::make_unique<TbsQuickButtonItems>(this);
    FLayerManager = new TbsLayerManager(this);
    FMenuLayerManager = new TbsLayerManager(this);
    MorphTimer = new TTimer(this);
    MorphTimer->SetEnabled(false);
    MorphTimer->SetInterval(25);
    MorphTimer->SetOnTimer([this](TObject*) { MorphTimerProc(); });
    AnimateTimer = new TTimer(this);
    AnimateTimer->SetEnabled(false);
    AnimateTimer->SetInterval(25);
    AnimateTimer->SetOnTimer([this](TObject*) { AnimateTimerProc(); });
}

void TbsSkinForm::HideGlowLayers()
{
    for (TbsLayerManager* m : {FLayerManager, FMenuLayerManager})
        if (m && m->IsVisible) m->Hide();
}

void TbsSkinForm::MorphTimerProc()
{
    bool moved = false;
    // By index: a step repaints, and nothing in a paint changes the list.
    for (std::size_t i = 0; i < ObjectList.size(); ++i)
    {
        TbsActiveSkinObject* o = ObjectList[i].get();
        if (o->EnableMorphing() && o->CanMorphing())
        {
            o->DoMorphing();
            moved = true;
        }
    }
    if (!moved) MorphTimer->SetEnabled(false);
}

void TbsSkinForm::DrawSkinObject(TbsActiveSkinObject*)
{
    // The object is drawn with the frame strip under it, so every state
    // (the normal look included) replaces what was there.
    if (!HasBorder()) return;
    NCPaint();
}

bool TbsSkinForm::IsAutoRenderingInActiveImage() const
{
    return FSD && !FSD->Empty && FSD->AutoRenderingInActiveImage;
}

void TbsSkinForm::UpdateCaptionActive(bool AAnimate)
{
    const bool active = GetFormActive();
    for (auto& o : ObjectList)
    {
        auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get());
        if (!c || c->Active == active) continue;
        c->Active = active;
        if (AAnimate)
        {
            if (c->EnableAnimation())
            {
                c->FIncTime = 25;
                c->CurrentFrame = active ? 1 : c->InActiveAnimation ? c->FrameCount : 0;
                AnimateTimer->SetEnabled(true);
            }
            NCPaint();
            if (c->EnableMorphing()) MorphTimer->SetEnabled(true);
        }
        else if (c->EnableMorphing())
            c->FMorphKf = active ? 1.0 : 0.0;
        break;
    }
}

void TbsSkinForm::ResetObjectStates()
{
    for (auto& o : ObjectList)
    {
        if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get()))
        {
            a->FMouseIn = a->Active = false;
            a->FFrame = 1;
        }
        else if (!o->IsCaption())
        {
            o->FMouseIn = o->Active = false;
            o->FMorphKf = 0.0;
        }
    }
}
