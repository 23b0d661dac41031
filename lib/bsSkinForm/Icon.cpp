// The caption icon of the system-menu button, painting the frame into a
// DC given by a message, and the layered-border notice of the store.
#include "lib/bsSkinForm/Internal.h"


void TbsSkinForm::GetSmallIconSize(int& W, int& H) const
{
    W = GetSystemMetrics(SM_CXSMICON);
    H = GetSystemMetrics(SM_CYSMICON);
    if (W == 0) W = GetSystemMetrics(SM_CXSIZE);
    if (H == 0) H = GetSystemMetrics(SM_CYSIZE);
}

void TbsSkinForm::PrepareFormIcon()
{
    if (FIcon) return;
    int w = 0, h = 0;
    GetSmallIconSize(w, h);
    // The form's icon, else the program's, else the system's.
    TIcon* own = FForm->Icon();
    if (!own || own->Empty()) own = Application ? Application->Icon() : nullptr;
    HICON src = nullptr;
    if (own && !own->Empty()) src = CreateIconFromSurface(own->Bitmap()->ToSurface());
    else src = LoadIcon(nullptr, IDI_APPLICATION);
    if (!src) return;
    FIcon = static_cast<HICON>(CopyImage(src, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
    DestroyIcon(src);
}

void TbsSkinForm::DrawFormIcon(TCanvas* Canvas, int X, int Y)
{
    PrepareFormIcon();
    if (FIcon) DrawIconEx(Canvas->GetHandle(), X, Y, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
}

void TbsSkinForm::SetShowIcon(bool Value)
{
    FShowIcon = Value;
    if (!(ComponentState() & (csDesigning | csLoading))) NCPaint();
}

bool TbsSkinForm::PrintToDC(HDC DC)
{
    if (!DC || !HasBorder()) return false;
    if (FSkinSupport) PaintNCSkin(DC);
    else PaintNCDefault(DC);
    return true;
}

void TbsSkinForm::LayeredBordersChanged()
{
    if (!OnLayeredBorderChange) return;
    // The border goes with a skinned, visible form whose skin has one and
    // whose store shows layered borders.
    const bool show = FSkinSupport && FSD->ShowLayeredBorders() && FSD->LayerFrame.PictureIndex != -1 &&
                      FForm->GetVisible();
    OnLayeredBorderChange(show, FFormActive);
}
