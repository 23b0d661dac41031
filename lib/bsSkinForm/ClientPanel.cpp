// The inactive client panel (a frozen, blurred or faded picture over the
// client area of an inactive form) and the lookups of a form's component.
#include "lib/bsSkinForm/Internal.h"

TbsSkinForm* FindMaximizedMDIChildSkinForm()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return nullptr;
    for (int i = 0; i < main->MDIChildCount(); ++i)
        if (TbsSkinForm* sf = FindSkinForm(main->MDIChildren(i)); sf && sf->WindowState() == wsMaximized)
            return sf;
    return nullptr;
}

TbsSkinForm* FindActiveMDIChildSkinForm()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || !main->ActiveMDIChild()) return nullptr;
    return FindSkinForm(main->ActiveMDIChild());
}

// ---------------------------------------------------------------------------
TbsClientInActivePanel::TbsClientInActivePanel(TComponent* AOwner) : TbsSkinPaintPanel(AOwner) { SetVisible(false); }

void TbsClientInActivePanel::Paint()
{
    if (FBuffer) FBuffer->Draw(Canvas(), 0, 0);
}

void TbsClientInActivePanel::ShowPanel(TCustomForm* AForm, TbsClientInActiveEffect AEffect)
{
    if (!AForm || !AForm->GetVisible() || !AForm->HandleAllocated()) return;
    const int w = AForm->ClientWidth(), h = AForm->ClientHeight();
    if (w <= 0 || h <= 0) return;
    SetVisible(false);
    SetParent(AForm);
    SetBounds(0, 0, w, h);
    // What the client area shows now.
    TBitmap shot(w, h);
    if (HDC dc = GetDC(AForm->Handle()))
    {
        BitBlt(shot.Canvas()->GetHandle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
        ReleaseDC(AForm->Handle(), dc);
    }
    FBuffer = std::make_unique<TbsBitmap>();
    FBuffer->Assign(&shot);
    if (AEffect == bsieBlur)
        BlurBitmap(FBuffer.get(), 3);
    else
    {
        // The skin's client background, painted by the form's component,
        // over the picture at two thirds of its strength.
        TBitmap bg(w, h);
        TbsSkinForm* sf = FindSkinForm(AForm);
        if (sf) sf->FClientInActiveDraw = true;
        SendMessage(AForm->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bg.Canvas()->GetHandle()), 0);
        if (sf) sf->FClientInActiveDraw = false;
        TbsBitmap back;
        back.Assign(&bg);
        constexpr unsigned a = 170;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                const TbsColor s = back.GetPixel(x, y), d = FBuffer->GetPixel(x, y);
                auto mix = [&](int sh) { return ((((s >> sh) & 0xFF) * a + ((d >> sh) & 0xFF) * (255 - a)) / 255) << sh; };
                FBuffer->SetPixel(x, y, 0xFF000000u | mix(16) | mix(8) | mix(0));
            }
    }
    SetVisible(true);
    BringToFront();
}

void TbsClientInActivePanel::HidePanel()
{
    SetVisible(false);
    FBuffer.reset();
}

// ---------------------------------------------------------------------------
void TbsSkinForm::ShowClientInActiveEffect()
{
    HideClientInActiveEffect();
    FInActivePanel = new TbsClientInActivePanel(this);
    FInActivePanel->ShowPanel(FForm, ClientInActiveEffectType);
}

void TbsSkinForm::HideClientInActiveEffect()
{
    if (!FInActivePanel) return;
    FInActivePanel->HidePanel();
    delete FInActivePanel;
    FInActivePanel = nullptr;
    // The live client and its controls come back at once.
    if (FForm->HandleAllocated())
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TbsSkinForm::ActivationChanged()
{
    HideGlowLayers();
    UpdateCaptionActive(true);
    if (ClientInActiveEffect && FForm->GetVisible())
    {
        if (FFormActive) HideClientInActiveEffect();
        else ShowClientInActiveEffect();
    }
}
