// The layered border of a skinned form: the skin's layer frame cut into four
// strips (top, bottom, left, right) for the form's size, each shown with
// per-pixel alpha in a borderless layered window of its own, and the resize
// grips of those windows.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>
#include <cmath>

#include "lib/bsEffects.h"

namespace
{
// Copies src's srcRect into dst's dstRect, stretched (nearest pixel), alpha
// included; parts outside either bitmap are left out.
void CopyStretched(TbsBitmap& dst, const TRect& d, const TbsBitmap& src, const TRect& s)
{
    const int dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    for (int y = 0; y < dh; ++y)
    {
        const int dy = d.Top + y, sy = s.Top + int(std::int64_t(y) * sh / dh);
        if (dy < 0 || dy >= dst.Height() || sy < 0 || sy >= src.Height()) continue;
        TbsColor* out = dst.ScanLine(dy);
        const TbsColor* in = src.ScanLine(sy);
        for (int x = 0; x < dw; ++x)
        {
            const int dx = d.Left + x, sx = s.Left + int(std::int64_t(x) * sw / dw);
            if (dx < 0 || dx >= dst.Width() || sx < 0 || sx >= src.Width()) continue;
            out[dx] = in[sx];
        }
    }
}

// A picture of the store as a 32-bit bitmap, its alpha from the mask picture
// when that exists (else the picture's own alpha is kept).
std::unique_ptr<TbsBitmap> AlphaPicture(TbsSkinData* sd, int index, int maskIndex)
{
    const TbsSkinPicture* pic = sd->ActivePicture(index);
    if (!pic || pic->Empty()) return nullptr;
    auto b = std::make_unique<TbsBitmap>();
    b->SetSize(pic->Width(), pic->Height());
    for (int y = 0; y < pic->Height(); ++y)
    {
        TbsColor* row = b->ScanLine(y);
        for (int x = 0; x < pic->Width(); ++x) row[x] = pic->Pixel(x, y);
    }
    const TbsSkinPicture* mask = maskIndex >= 0 ? sd->ActivePicture(maskIndex) : nullptr;
    if (mask && !mask->Empty())
    {
        TbsBitmap m;
        m.SetSize(mask->Width(), mask->Height());
        for (int y = 0; y < mask->Height(); ++y)
        {
            TbsColor* row = m.ScanLine(y);
            for (int x = 0; x < mask->Width(); ++x) row[x] = mask->Pixel(x, y);
        }
        SetAlphaFromMask(b.get(), &m);
    }
    b->CheckingAlphaBlend();
    return b;
}

bool Contains(const TRect& r, TPoint p) { return p.X >= r.Left && p.Y >= r.Top && p.X < r.Right && p.Y < r.Bottom; }
}  // namespace

// ---------------------------------------------------------------------------
// TbsFormLayerBorder

TbsFormLayerBorder::TbsFormLayerBorder(TbsSkinForm* AOwner) : TComponent(nullptr), BSF(AOwner) {}

TbsFormLayerBorder::~TbsFormLayerBorder() { FreeWindows(); }

void TbsFormLayerBorder::FreeWindows()
{
    for (TbsFormLayerWindow** w : {&LeftBorder, &TopBorder, &RightBorder, &BottomBorder})
    {
        delete *w;
        *w = nullptr;
    }
}

TbsFormLayerWindow* TbsFormLayerBorder::Window(TbsFormLayerBorderType T) const
{
    switch (T)
    {
    case bsflLeft: return LeftBorder;
    case bsflTop: return TopBorder;
    case bsflRight: return RightBorder;
    case bsflBottom: return BottomBorder;
    }
    return nullptr;
}

TbsBitmap* TbsFormLayerBorder::Image(TbsFormLayerBorderType T) const
{
    switch (T)
    {
    case bsflLeft: return LeftImage.get();
    case bsflTop: return TopImage.get();
    case bsflRight: return RightImage.get();
    case bsflBottom: return BottomImage.get();
    }
    return nullptr;
}

void TbsFormLayerBorder::InitFrame(TbsSkinData* ASkinData, TCustomForm* AForm)
{
    FSD = ASkinData;
    FForm = AForm;
    FData = nullptr;
    if (!FSD || FSD->Empty || FSD->LayerFrame.PictureIndex == -1) return;
    const TbsDataSkinLayerFrame& d = FSD->LayerFrame;
    auto src = AlphaPicture(FSD, d.PictureIndex, d.MaskPictureIndex);
    // A frame whose picture is missing from the skin is no frame.
    if (!src) return;
    FData = &d;
    FCurrentAlphaBlendValue = d.AlphaBlendValue;
    FCurrentInActiveAlphaBlendValue = d.InActiveAlphaBlendValue;
    FSourceBitmap = std::move(src);
    FSourceInActiveBitMap.reset();
    if (d.InActivePictureIndex != -1)
        FSourceInActiveBitMap = AlphaPicture(FSD, d.InActivePictureIndex, d.InActiveMaskPictureIndex);
    if (IsEmptyRect(d.BorderRect))
        LeftSize = TopSize = RightSize = BottomSize = 0;
    else
    {
        LeftSize = d.ClRect.Left - d.BorderRect.Left;
        TopSize = d.ClRect.Top - d.BorderRect.Top;
        RightSize = d.BorderRect.Right - d.ClRect.Right;
        BottomSize = d.BorderRect.Bottom - d.ClRect.Bottom;
    }
}

TRect TbsFormLayerBorder::WithFormBounds(int L, int T, int W, int H) const
{
    if (!FData || !FSourceBitmap) return TRect();
    const int SW = FSourceBitmap->Width(), SH = FSourceBitmap->Height();
    return Bounds(L - FData->ClRect.Left, T - FData->ClRect.Top, W + SW - RectWidth(FData->ClRect),
                  H + SH - RectHeight(FData->ClRect));
}

void TbsFormLayerBorder::CreateBorderImages(int AW, int AH)
{
    LeftImage.reset();
    TopImage.reset();
    RightImage.reset();
    BottomImage.reset();
    if (!FData) return;
    const bool inactive = !FActive && FSourceInActiveBitMap;
    const TbsBitmap& S = inactive ? *FSourceInActiveBitMap : *FSourceBitmap;
    const TbsDataSkinLayerFrame& d = *FData;
    const int SW = S.Width(), SH = S.Height();
    auto strip = [](int w, int h) {
        auto b = std::make_unique<TbsBitmap>();
        if (w > 0 && h > 0) b->SetSize(w, h);
        return b;
    };
    // Top and bottom: fixed ends, the middle stretched.
    const int TH = std::max(d.LTPoint.Y, d.RTPoint.Y);
    TopImage = strip(AW, TH);
    if (!TopImage->Empty())
    {
        const int R = SW - d.RTPoint.X;
        CopyStretched(*TopImage, TRect(0, 0, d.LTPoint.X, TH), S, TRect(0, 0, d.LTPoint.X, TH));
        CopyStretched(*TopImage, TRect(AW - R, 0, AW, TH), S, TRect(d.RTPoint.X, 0, SW, TH));
        CopyStretched(*TopImage, TRect(d.LTPoint.X, 0, AW - R, TH), S, TRect(d.LTPoint.X, 0, d.RTPoint.X, TH));
    }
    const int BH = SH - std::min(d.LBPoint.Y, d.RBPoint.Y);
    BottomImage = strip(AW, BH);
    if (!BottomImage->Empty())
    {
        const int R = SW - d.RBPoint.X, sy = SH - BH;
        CopyStretched(*BottomImage, TRect(0, 0, d.LBPoint.X, BH), S, TRect(0, sy, d.LBPoint.X, SH));
        CopyStretched(*BottomImage, TRect(AW - R, 0, AW, BH), S, TRect(d.RBPoint.X, sy, SW, SH));
        CopyStretched(*BottomImage, TRect(d.LBPoint.X, 0, AW - R, BH), S, TRect(d.LBPoint.X, sy, d.RBPoint.X, SH));
    }
    // Sides: whole tiles from the top, the last one clipped (never scaled).
    const int SideH = AH - TH - BH, TileH = SH - BH - TH;
    auto side = [&](int w, int sx) {
        auto b = strip(SideH > 0 ? w : 0, SideH);
        if (b->Empty() || TileH <= 0) return b;
        for (int i = 0; i <= SideH / TileH; ++i)
        {
            const int cut = std::max(0, (i + 1) * TileH - SideH);
            if (TileH - cut <= 0) break;
            CopyStretched(*b, TRect(0, i * TileH, w, (i + 1) * TileH - cut), S,
                          TRect(sx, TH, sx + w, SH - BH - cut));
        }
        return b;
    };
    LeftImage = side(d.ClRect.Left, 0);
    RightImage = side(SW - d.ClRect.Right, d.ClRect.Right);
    for (TbsBitmap* b : {TopImage.get(), BottomImage.get(), LeftImage.get(), RightImage.get()})
        if (!b->Empty()) b->CheckingAlphaBlend();
}

void TbsFormLayerBorder::PushAndPlace(int X, int Y, int AW, int AH)
{
    const BYTE alpha = BYTE(std::clamp(CurrentAlpha(), 0, 255));
    const std::pair<TbsFormLayerWindow*, TbsBitmap*> order[] = {
        {TopBorder, TopImage.get()}, {BottomBorder, BottomImage.get()},
        {LeftBorder, LeftImage.get()}, {RightBorder, RightImage.get()}};
    for (const auto& [w, b] : order)
        if (w && !b->Empty()) UpdateLayeredWindowFromBitmap(b, alpha, w->Handle());
    const int th = TopImage->Empty() ? 0 : TopImage->Height();
    const int bh = BottomImage->Empty() ? 0 : BottomImage->Height();
    const int rw = RightImage->Empty() ? 0 : RightImage->Width();
    const std::pair<TbsFormLayerWindow*, TPoint> places[] = {{TopBorder, TPoint(X, Y)},
                                                             {BottomBorder, TPoint(X, Y + AH - bh)},
                                                             {LeftBorder, TPoint(X, Y + th)},
                                                             {RightBorder, TPoint(X + AW - rw, Y + th)}};
    // Each piece goes right below its form, so that the form is never shaded
    // by its own border.
    HWND below = FForm && FForm->HandleAllocated() ? FForm->Handle() : HWND_TOP;
    for (const auto& [w, p] : places)
        if (w)
        {
            SetWindowPos(w->Handle(), below, p.X, p.Y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
            below = w->Handle();
        }
}

void TbsFormLayerBorder::Show(int X, int Y, int AWidth, int AHeight)
{
    if (!FData) return;
    FWidth = AWidth;
    FHeight = AHeight;
    FVisible = true;
    CreateBorderImages(AWidth, AHeight);
    FreeWindows();
    auto make = [this](TbsFormLayerBorderType t) {
        auto* w = new TbsFormLayerWindow(this, FForm);
        w->BorderType = t;
        return w;
    };
    if (LeftImage->Height() > 0) LeftBorder = make(bsflLeft);
    if (RightImage->Height() > 0) RightBorder = make(bsflRight);
    if (TopImage->Width() > 0) TopBorder = make(bsflTop);
    if (BottomImage->Width() > 0) BottomBorder = make(bsflBottom);
    PushAndPlace(X, Y, AWidth, AHeight);
}

void TbsFormLayerBorder::Hide()
{
    FFade.Stop();
    FVisible = false;
    LeftImage.reset();
    TopImage.reset();
    RightImage.reset();
    BottomImage.reset();
    FreeWindows();
}

void TbsFormLayerBorder::SetBounds(int X, int Y, int AWidth, int AHeight)
{
    if (!FData || !FVisible) return;
    FWidth = AWidth;
    FHeight = AHeight;
    CreateBorderImages(AWidth, AHeight);
    PushAndPlace(X, Y, AWidth, AHeight);
}

void TbsFormLayerBorder::ShowWithForm()
{
    if (!FData || !FForm) return;
    const TRect r = WithFormBounds(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
    Show(r.Left, r.Top, r.Width(), r.Height());
}

void TbsFormLayerBorder::ShowWithFormAnimation()
{
    if (!FData || !FForm) return;
    const int target = FCurrentAlphaBlendValue;
    FCurrentAlphaBlendValue = 0;
    ShowWithForm();
    // Raised a step per timer tick; the messages are served meanwhile.
    FFade.Start(target, target / 15, bsskinform::kFadeInterval, [this](int alpha) {
        FCurrentAlphaBlendValue = alpha;
        SetAlphaBlend();
    });
}

void TbsFormLayerBorder::SetBoundsWithForm()
{
    if (!FData || !FForm) return;
    SetBoundsWithForm3(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
}

void TbsFormLayerBorder::SetBoundsWithForm2(int AW, int AH)
{
    if (!FData || !FForm) return;
    SetBoundsWithForm3(FForm->Left(), FForm->Top(), AW, AH);
}

void TbsFormLayerBorder::SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH)
{
    if (!FData) return;
    const TRect r = WithFormBounds(ALeft, ATop, AW, AH);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TbsFormLayerBorder::MoveWithForm()
{
    if (!FData || !FForm) return;
    MoveWithForm2(FForm->Left(), FForm->Top());
}

void TbsFormLayerBorder::MoveWithForm2(int ALeft, int ATop)
{
    if (!FData || !FVisible || !FForm) return;
    const TRect r = WithFormBounds(ALeft, ATop, FForm->Width(), FForm->Height());
    const int th = TopImage && !TopImage->Empty() ? TopImage->Height() : 0;
    const int bh = BottomImage && !BottomImage->Empty() ? BottomImage->Height() : 0;
    const int rw = RightImage && !RightImage->Empty() ? RightImage->Width() : 0;
    const std::pair<TbsFormLayerWindow*, TPoint> places[] = {
        {TopBorder, TPoint(r.Left, r.Top)},
        {BottomBorder, TPoint(r.Left, r.Top + r.Height() - bh)},
        {LeftBorder, TPoint(r.Left, r.Top + th)},
        {RightBorder, TPoint(r.Left + r.Width() - rw, r.Top + th)}};
    for (const auto& [w, p] : places)
        if (w) SetWindowPos(w->Handle(), nullptr, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TbsFormLayerBorder::SetAlphaBlend()
{
    if (!FData || !FVisible) return;
    const BYTE alpha = BYTE(std::clamp(CurrentAlpha(), 0, 255));
    const std::pair<TbsFormLayerWindow*, TbsBitmap*> order[] = {
        {TopBorder, TopImage.get()}, {BottomBorder, BottomImage.get()},
        {LeftBorder, LeftImage.get()}, {RightBorder, RightImage.get()}};
    for (const auto& [w, b] : order)
        if (w && b && !b->Empty()) UpdateLayeredWindowFromBitmap(b, alpha, w->Handle());
}

void TbsFormLayerBorder::SetAlphaBlend2()
{
    if (!FData || !FVisible || !FForm) return;
    SetAlphaBlend();
    const TRect r = WithFormBounds(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
    PushAndPlace(r.Left, r.Top, r.Width(), r.Height());
}

void TbsFormLayerBorder::CheckFormAlpha(int AFormAlpha, bool AUpdate)
{
    if (!FData) return;
    FCurrentAlphaBlendValue = int(std::lround(FData->AlphaBlendValue * AFormAlpha / 255.0));
    FCurrentInActiveAlphaBlendValue = int(std::lround(FData->InActiveAlphaBlendValue * AFormAlpha / 255.0));
    if (AUpdate) SetAlphaBlend();
}

void TbsFormLayerBorder::SetActive(bool AValue, bool AUpdate)
{
    FActive = AValue;
    if (FVisible && AUpdate) SetAlphaBlend2();
}

void TbsFormLayerBorder::Draw(TCanvas* C, int X, int Y, int AWidth, int AHeight)
{
    if (!FData || !C) return;
    CreateBorderImages(AWidth, AHeight);
    const int th = TopImage->Empty() ? 0 : TopImage->Height();
    const int bh = BottomImage->Empty() ? 0 : BottomImage->Height();
    const int rw = RightImage->Empty() ? 0 : RightImage->Width();
    const std::pair<TbsBitmap*, TPoint> places[] = {{TopImage.get(), TPoint(X, Y)},
                                                    {BottomImage.get(), TPoint(X, Y + AHeight - bh)},
                                                    {LeftImage.get(), TPoint(X, Y + th)},
                                                    {RightImage.get(), TPoint(X + AWidth - rw, Y + th)}};
    for (const auto& [b, p] : places)
        if (!b->Empty())
        {
            b->SetAlphaBlend(true);
            b->Draw(C, p.X, p.Y);
        }
}

// ---------------------------------------------------------------------------
// TbsFormLayerWindow

TbsFormLayerWindow::TbsFormLayerWindow(TbsFormLayerBorder* AOwner, TCustomForm* AForm)
    : TForm(AOwner), FForm(AForm), FLayerBorder(AOwner)
{
    SetBorderStyle(bsNone);
    SetFormStyle(AForm && AForm->GetFormStyle() == fsStayOnTop ? fsStayOnTop : fsNormal);
}

void TbsFormLayerWindow::CreateParams(TCreateParams& Params)
{
    TForm::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle |= WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    // Without a grip edge the mouse passes through.
    const TbsDataSkinLayerFrame* d = FLayerBorder->Data();
    if (!d || IsEmptyRect(d->BorderRect)) Params.ExStyle |= WS_EX_TRANSPARENT;
    Params.WndParent = nullptr;
}

bool TbsFormLayerWindow::GripsOn() const
{
    const TbsDataSkinLayerFrame* d = FLayerBorder->Data();
    return d && d->HitTestEnable;
}

bool TbsFormLayerWindow::CanResize() const
{
    TbsSkinForm* sf = FLayerBorder->SkinForm();
    return sf && sf->IsSizeable() && !sf->RollUpState() && sf->WindowState() == wsNormal;
}

TbsFormLayerBorderHit TbsFormLayerWindow::HitTest(TPoint c) const
{
    if (!FForm) return bsflhNone;
    const int L = FForm->Left(), T = FForm->Top(), W = FForm->Width(), H = FForm->Height();
    const int ls = FLayerBorder->LeftSize, ts = FLayerBorder->TopSize, rs = FLayerBorder->RightSize,
              bs = FLayerBorder->BottomSize;
    auto sides = [&]() {
        if (L - ls <= c.X && c.X < L) return bsflhLeft;
        if (L + W < c.X && c.X <= L + W + rs) return bsflhRight;
        return bsflhNone;
    };
    switch (BorderType)
    {
    case bsflLeft: return c.X >= L - ls ? bsflhLeft : bsflhNone;
    case bsflRight: return c.X <= L + W + rs ? bsflhRight : bsflhNone;
    case bsflTop:
        if (Contains(TRect(L - ls, T - ts, L + 3, T + 3), c)) return bsflhTopLeft;
        if (Contains(TRect(L, T - ts, L + W, T), c)) return bsflhTop;
        if (Contains(TRect(L + W - 3, T - ts, L + W + rs, T + 3), c)) return bsflhTopRight;
        return c.Y > T ? sides() : bsflhNone;
    case bsflBottom:
        if (Contains(TRect(L - ls, T + H - 3, L + 3, T + H + bs), c)) return bsflhBottomLeft;
        if (Contains(TRect(L, T + H, L + W, T + H + bs), c)) return bsflhBottom;
        if (Contains(TRect(L + W - 3, T + H - 3, L + W + rs, T + H + bs), c)) return bsflhBottomRight;
        return c.Y < T + H ? sides() : bsflhNone;
    }
    return bsflhNone;
}

void TbsFormLayerWindow::Dispatch(TMessage& m)
{
    if (m.Msg == WM_MOUSEACTIVATE)
    {
        m.Result = MA_NOACTIVATE;
        if (GripsOn())
        {
            TPoint c;
            GetCursorPos(&c);
            FHitMode = HitTest(c);
            // A grip of an inactive form brings the form to the front.
            if (FHitMode != bsflhNone && FForm && !FForm->Active()) FForm->Show();
        }
        return;
    }
    TForm::Dispatch(m);
}

void TbsFormLayerWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TForm::MouseDown(Button, Shift, X, Y);
    if (!GripsOn() || !CanResize()) return;
    FInProcessMessages = false;
    TPoint c;
    GetCursorPos(&c);
    FDown = HitTest(c) != bsflhNone;
    MousePos1 = MousePos2 = c;
}

void TbsFormLayerWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TForm::MouseUp(Button, Shift, X, Y);
    if (TbsSkinForm* sf = FLayerBorder->SkinForm()) sf->FBorderLayerChangeSize = false;
    if (!GripsOn() || !CanResize()) return;
    FDown = false;
    FInProcessMessages = false;
}

bool TbsFormLayerWindow::ResizeStep(int dx, int dy)
{
    TbsSkinForm* sf = FLayerBorder->SkinForm();
    if (!sf || !FForm) return false;
    const int L = FForm->Left(), T = FForm->Top(), W = FForm->Width(), H = FForm->Height();
    auto clampW = [sf](int v) { return std::min(std::max(v, sf->GetMinWidth()), sf->GetMaxWidth()); };
    auto clampH = [sf](int v) { return std::min(std::max(v, sf->GetMinHeight()), sf->GetMaxHeight()); };
    const bool left = FHitMode == bsflhLeft || FHitMode == bsflhTopLeft || FHitMode == bsflhBottomLeft;
    const bool right = FHitMode == bsflhRight || FHitMode == bsflhTopRight || FHitMode == bsflhBottomRight;
    const bool top = FHitMode == bsflhTop || FHitMode == bsflhTopLeft || FHitMode == bsflhTopRight;
    const bool bottom = FHitMode == bsflhBottom || FHitMode == bsflhBottomLeft || FHitMode == bsflhBottomRight;
    if (!(left || right || top || bottom)) return false;
    const bool corner = (left || right) && (top || bottom);
    const int W2 = left ? clampW(W - dx) : right ? clampW(W + dx) : W;
    const int H2 = top ? clampH(H - dy) : bottom ? clampH(H + dy) : H;
    // A step on a left or top edge that the limits would cut is dropped whole.
    if (left && W2 != W - dx) return false;
    if (top && H2 != H - dy) return false;
    if (corner)
    {
        if (W2 == W && H2 == H) return false;
        if (dx == 0 && dy == 0) return false;
    }
    else if (left || right)
    {
        if (dx == 0 || W2 == W) return false;
    }
    else if (dy == 0 || H2 == H)
        return false;
    FForm->SetBounds(left ? L + dx : L, top ? T + dy : T, W2, H2);
    return true;
}

void TbsFormLayerWindow::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FInProcessMessages)
    {
        // A move that arrives while a resize step pumps messages is swallowed.
        FInProcessMessages = false;
        MousePos1 = MousePos2;
        return;
    }
    TForm::MouseMove(Shift, X, Y);
    if (!GripsOn()) return;
    if (!CanResize())
    {
        if (GetCursor() != crDefault) SetCursor(crDefault);
        return;
    }
    TbsSkinForm* sf = FLayerBorder->SkinForm();
    GetCursorPos(&MousePos2);
    const int dx = MousePos2.X - MousePos1.X, dy = MousePos2.Y - MousePos1.Y;
    if (!FDown)
    {
        sf->FBorderLayerChangeSize = false;
        FHitMode = HitTest(MousePos2);
        static const TCursor cursors[] = {crDefault, crSizeWE, crSizeNS, crSizeWE, crSizeNS,
                                          crSizeNWSE, crSizeNESW, crSizeNESW, crSizeNWSE};
        SetCursor(cursors[FHitMode]);
    }
    else
    {
        sf->FBorderLayerChangeSize = true;
        if (ResizeStep(dx, dy))
        {
            MousePos1 = MousePos2;
            FInProcessMessages = true;
            if (Application) Application->ProcessMessages();
            FInProcessMessages = false;
        }
    }
    MousePos1 = MousePos2;
}
