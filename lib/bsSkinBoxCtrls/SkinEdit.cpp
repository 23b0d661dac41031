// The skinned edit box: frame in the non-client area and background under
// the text from the skin entry "edit" (or a default look), hover and focus
// looks, heights, the edit button and the two image buttons.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

namespace
{
constexpr LRESULT kHitLeftImage = 104, kHitRightImage = 105, kHitButton = 6, kHitFrame = 7;
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
TRect OrRect(const TRect& r, const TRect& f) { return IsEmptyRect(r) ? f : r; }

void FrameFill(TCanvas* C, const TRect& r, TColor frame, TColor fill)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(frame);
    C->FrameRect(r);
    TRect in = r;
    InflateRect(in, -1, -1);
    C->Brush()->SetColor(fill);
    C->FillRect(in);
}
} // namespace

TbsSkinCustomEdit::TbsSkinCustomEdit(TComponent* AOwner) : TbsCustomEdit(AOwner)
{
    ControlStyle.Include(csOpaque);
    SetAutoSize(false);
    Font()->SetName("Arial");
    Font()->SetColor(clBlack);
    Font()->SetStyle(TFontStyles{});
    Font()->SetHeight(14);
    height_ = 20;
    SetBorderStyle(bsNone);
    FEditTransparent = true;
    FDefaultFont = std::make_unique<TFont>();
    FDefaultFont->Assign(Font());
    FDefaultFont->OnChange = [this](TObject* s) { DefaultFontChange(s); };
}

TbsSkinCustomEdit::~TbsSkinCustomEdit()
{
    FDefaultFont->OnChange = nullptr;
    if (FSD) FSD->RemoveFreeNotification(this);
    if (FImages) FImages->RemoveFreeNotification(this);
}

void TbsSkinCustomEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsCustomEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD)
    {
        FSD = nullptr;
        FIndex = -1;
        Picture = nullptr;
    }
    if (AComponent == FImages) FImages = nullptr;
}

void TbsSkinCustomEdit::Loaded()
{
    TbsCustomEdit::Loaded();
    if (FSD && FSD->ResourceStrData()) Font()->SetCharset(FSD->ResourceStrData()->CharSet());
}

void TbsSkinCustomEdit::CreateParams(TCreateParams& Params)
{
    TbsCustomEdit::CreateParams(Params);
    Params.ExStyle &= ~WS_EX_TRANSPARENT;
    Params.Style &= ~WS_BORDER;
    Params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
}

void TbsSkinCustomEdit::ApplyCharset(TFont* f) { f->SetCharset(ItemCharset(FSD, FDefaultFont.get())); }

// ---- skin --------------------------------------------------------------------------------

void TbsSkinCustomEdit::GetSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    const auto* d = dynamic_cast<const TbsDataSkinEditControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d)
    {
        Picture = nullptr;
        if (FIndex != -1 && !bsSkinControlEntry(FSD, FIndex)) FIndex = -1;
        return;
    }
    Picture = bsSkinActiveBitmap(FSD, d->PictureIndex);
    SkinRect = d->SkinRect;
    ActiveSkinRect = OrRect(d->ActiveSkinRect, SkinRect);
    LOffset = d->LTPoint.X;
    ROffset = RectWidth(SkinRect) - d->RTPoint.X;
    ClRect = d->ClRect;
    FontName = d->FontName;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    FontColor = d->FontColor;
    DisabledFontColor = d->DisabledFontColor;
    ActiveFontColor = d->ActiveFontColor;
    ButtonRect = d->ButtonRect;
    ActiveButtonRect = d->ActiveButtonRect;
    DownButtonRect = OrRect(d->DownButtonRect, ActiveButtonRect);
    UnEnabledButtonRect = d->UnEnabledButtonRect;
    StretchEffect = d->StretchEffect;
}

void TbsSkinCustomEdit::SetSkinData(TbsSkinData* Value)
{
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD) FSD->FreeNotification(this);
    if (FSD && !FSD->Empty && !(ComponentState() & csDesigning)) ChangeSkinData();
}

void TbsSkinCustomEdit::ChangeSkinData()
{
    GetSkinData();
    if (Skinned())
    {
        if (UseSkinFont)
        {
            SetSkinFontOf(Font(), FontName, FontStyle, FontHeight);
            SetHeight(RectHeight(SkinRect));
        }
        else
            Font()->Assign(FDefaultFont.get());
        Font()->SetColor(TColor(Focused() ? ActiveFontColor : FontColor));
    }
    else
    {
        Font()->Assign(FDefaultFont.get());
        if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
        if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
    }
    ApplyCharset(Font());
    if (HandleAllocated()) RecreateWnd();
    Font()->SetColor(!Skinned() ? FDefaultFont->GetColor() : TColor(Focused() ? ActiveFontColor : FontColor));
    if (!UseSkinFont) AdjustHeight();
    RepaintFrame();
    if (FImages)
    {
        CalcImageButtons(true);
        Invalidate();
    }
}

bool TbsSkinCustomEdit::Active() { return FMouseIn || Focused(); }

// ---- properties ------------------------------------------------------------------------

void TbsSkinCustomEdit::SetDefaultColor(TColor Value)
{
    FDefaultColor = Value;
    if (!Skinned()) Invalidate();
}

void TbsSkinCustomEdit::SetDefaultFont(TFont* Value)
{
    FDefaultFont->Assign(Value);
    if (!Skinned()) Font()->Assign(Value);
}

void TbsSkinCustomEdit::DefaultFontChange(TObject*)
{
    if (!Skinned()) Font()->Assign(FDefaultFont.get());
}

void TbsSkinCustomEdit::SetDefaultWidth(int Value)
{
    FDefaultWidth = Value;
    if (!Skinned() && Value > 0) SetWidth(Value);
}

void TbsSkinCustomEdit::SetDefaultHeight(int Value)
{
    FDefaultHeight = Value;
    if (!Skinned() && Value > 0 && UseSkinFont) SetHeight(Value);
    else AdjustHeight();
}

void TbsSkinCustomEdit::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value) return;
    FAlignment = Value;
    RecreateWnd();
}

void TbsSkinCustomEdit::SetButtonMode(bool Value)
{
    FButtonMode = Value;
    RecreateWnd();
}

void TbsSkinCustomEdit::SetImages(TCustomImageList* Value)
{
    if (FImages == Value) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    CalcImageButtons(true);
}

void TbsSkinCustomEdit::SetLeftImageIndex(int v)
{
    LeftImageIndex = v;
    CalcImageButtons(true);
}

void TbsSkinCustomEdit::SetRightImageIndex(int v)
{
    RightImageIndex = v;
    CalcImageButtons(true);
}

// ---- geometry ----------------------------------------------------------------------------

void TbsSkinCustomEdit::CalcEditRect()
{
    const int W = Width(), H = Height();
    if (!Skinned())
    {
        if (FButtonMode)
        {
            FButtonRect = TRect(W - H, 0, W, H);
            FEditRect = TRect(2, 2, FButtonRect.Left - 2, H - 2);
        }
        else
            FEditRect = TRect(2, 2, W - 2, H - 2);
        return;
    }
    const int dW = W - RectWidth(SkinRect);
    FEditRect = ClRect;
    FEditRect.Right += dW;
    FButtonRect = ButtonRect;
    if (ButtonRect.Left >= RectWidth(SkinRect) - ROffset) OffsetRect(FButtonRect, dW, 0);
    if (!UseSkinFont)
    {
        const int dH = H - RectHeight(SkinRect);
        FEditRect.Bottom += dH;
        FButtonRect.Bottom += dH;
    }
}

int TbsSkinCustomEdit::CalcHeight()
{
    TBitmap b(1, 1, pf32bit);
    b.Canvas()->Font()->Assign(Font());
    const int th = b.Canvas()->TextHeight("Wg");
    GetSkinData();
    return th + (Skinned() ? RectHeight(SkinRect) - RectHeight(ClRect) : 4);
}

void TbsSkinCustomEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    GetSkinData();
    if ((AWidth != Width() || AHeight != Height()) && (Skinned() || !UseSkinFont))
    {
        if (Skinned() && UseSkinFont) AHeight = RectHeight(SkinRect);
        else if (HandleAllocated() || Parent()) AHeight = CalcHeight();
    }
    TbsCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    Invalidate();
    RepaintFrame();
}

void TbsSkinCustomEdit::RepaintFrame()
{
    if (Parent() && HandleAllocated()) SendMessage(GetHandle(), WM_NCPAINT, 0, 0);
}

void TbsSkinCustomEdit::Invalidate()
{
    if (!Parent() || !HandleAllocated()) return;
    FStopDraw = false;
    RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void TbsSkinCustomEdit::CalcImageButtons(bool Update)
{
    if (!FImages) return;
    LeftButton.R = TRect();
    RightButton.R = TRect();
    TRect R = GetClientRect();
    const int iw = FImages->GetWidth();
    if (LeftImageIndex >= 0)
    {
        LeftButton.R = TRect(R.Left, R.Top, R.Left + iw, R.Bottom);
        R.Left += iw + 2;
    }
    if (RightImageIndex >= 0)
    {
        RightButton.R = TRect(R.Right - iw, R.Top, R.Right, R.Bottom);
        R.Right -= iw + 2;
    }
    if (Update && HandleAllocated()) SendMessage(GetHandle(), EM_SETRECT, 0, LPARAM(&R));
}

bool TbsSkinCustomEdit::ButtonHit(int X, int Y) const { return Inside(FButtonRect, X, Y); }

// ---- painting ----------------------------------------------------------------------------

void TbsSkinCustomEdit::DrawEditBackground(TCanvas* C)
{
    if (RectWidth(FEditRect) < 1 || RectHeight(FEditRect) < 1) return;
    GetSkinData();
    if (!Skinned() || !Picture)
    {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(FDefaultColor);
        C->FillRect(TRect(0, 0, RectWidth(FEditRect), RectHeight(FEditRect)));
        return;
    }
    const TRect src = Active() ? ActiveSkinRect : SkinRect;
    const TRect S(src.Left + ClRect.Left, src.Top + ClRect.Top, src.Left + ClRect.Right, src.Top + ClRect.Bottom);
    if (IsEmptyRect(S)) return;
    const int lo = std::max(0, LOffset - ClRect.Left);
    const int ro = std::max(0, ClRect.Right - (RectWidth(SkinRect) - ROffset));
    TBitmap b;
    CreateHSkinImage(lo, ro, &b, Picture, S, RectWidth(FEditRect), RectHeight(S), StretchEffect);
    if (b.Empty()) return;
    if (UseSkinFont) C->Draw(0, 0, &b);
    else C->StretchDraw(TRect(0, 0, RectWidth(FEditRect), RectHeight(FEditRect)), &b);
}

void TbsSkinCustomEdit::DrawImageButtons(TCanvas* C)
{
    if (!FImages) return;
    CalcImageButtons(false);
    const int n = FImages->Count();
    const auto draw = [&](const TbsCBButtonX& b, int normal, int hot, int down) {
        if (normal < 0 || normal >= n) return;
        const TRect& R = b.R;
        const int y = std::max(R.Top, R.Top + RectHeight(R) / 2 - FImages->GetHeight() / 2);
        int img = normal;
        if (b.Down && b.MouseIn && down >= 0 && down < n) img = down;
        else if (b.MouseIn && hot >= 0 && hot < n) img = hot;
        FImages->Draw(C, R.Left, y, img, GetEnabled());
    };
    draw(LeftButton, LeftImageIndex, LeftImageHotIndex, LeftImageDownIndex);
    draw(RightButton, RightImageIndex, RightImageHotIndex, RightImageDownIndex);
}

bool TbsSkinCustomEdit::PaintEditBackground(HDC dc)
{
    TCanvas c;
    c.SetHandle(dc);
    CalcEditRect();
    DrawEditBackground(&c);
    DrawImageButtons(&c);
    c.SetHandle(nullptr);
    return true;
}

void TbsSkinCustomEdit::DrawDefaultEditButton(TCanvas* C)
{
    const TRect R = FButtonRect;
    if (FButtonDown && FButtonActive) FrameFill(C, R, clNavy, TColor(0xB59385));
    else if (FButtonActive) FrameFill(C, R, clNavy, TColor(0xD2BDB6));
    else FrameFill(C, R, clBtnShadow, clBtnFace);
}

void TbsSkinCustomEdit::DrawFrame(TCanvas* C)
{
    if (Width() < 1 || Height() < 1) return;
    GetSkinData();
    CalcEditRect();
    TBitmap b(Width(), Height(), pf32bit);
    TCanvas* bc = b.Canvas();
    if (!Skinned() || !Picture)
    {
        const int bw = FButtonMode ? Width() - FButtonRect.Left : 0;
        const TRect R(0, 0, Width() - bw, Height());
        bc->Brush()->SetStyle(bsSolid);
        bc->Brush()->SetColor(clBtnShadow);
        bc->FrameRect(R);
        TRect in = R;
        InflateRect(in, -1, -1);
        bc->Brush()->SetColor(clBtnFace);
        bc->FrameRect(in);
        InflateRect(in, -1, -1);
        bc->Brush()->SetColor(FDefaultColor);
        bc->FillRect(in);
        if (FButtonMode) DrawDefaultEditButton(bc);
    }
    else
    {
        TBitmap h;
        CreateHSkinImage(LOffset, ROffset, &h, Picture, Active() ? ActiveSkinRect : SkinRect, Width(),
                         RectHeight(SkinRect), StretchEffect);
        bc->Draw(0, 0, &h);
        if (FButtonMode)
        {
            TRect src;
            if (!GetEnabled() && !IsEmptyRect(UnEnabledButtonRect)) src = UnEnabledButtonRect;
            else if (FButtonDown && FButtonActive) src = DownButtonRect;
            else if (FButtonActive) src = ActiveButtonRect;
            if (!IsEmptyRect(src)) bc->CopyRect(FButtonRect, Picture->Canvas(), src);
        }
    }
    C->Draw(0, 0, &b);
}

void TbsSkinCustomEdit::DrawEditButton(TCanvas* C)
{
    const TbsDataSkinButtonControl* e = nullptr;
    for (const char* n : {"editbutton", "resizebutton"})
        if (!e) e = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(FSD, bsSkinControlIndex(FSD, n)));
    if (!e) return;
    TBitmap* pic = bsSkinActiveBitmap(FSD, e->PictureIndex);
    if (!pic) return;
    const TRect active = OrRect(e->ActiveSkinRect, e->SkinRect);
    const TRect state = FButtonDown && FButtonActive ? OrRect(e->DownSkinRect, active) : FButtonActive ? active : e->SkinRect;
    const int w = RectWidth(FButtonRect), h = RectHeight(FButtonRect);
    const int dx = w - RectWidth(e->SkinRect), dy = h - RectHeight(e->SkinRect);
    TRect cl = e->ClRect;
    cl.Right += dx;
    cl.Bottom += dy;
    TBitmap b(w, h, pf32bit);
    CreateSkinImage(e->LTPoint, e->RTPoint, e->LBPoint, e->RBPoint, e->ClRect, e->LTPoint,
                    TPoint(e->RTPoint.X + dx, e->RTPoint.Y), TPoint(e->LBPoint.X, e->LBPoint.Y + dy),
                    TPoint(e->RBPoint.X + dx, e->RBPoint.Y + dy), cl, &b, pic, state, w, h, true, e->LeftStretch,
                    e->TopStretch, e->RightStretch, e->BottomStretch, e->StretchEffect, e->StretchType);
    C->Draw(FButtonRect.Left, FButtonRect.Top, &b);
}

void TbsSkinCustomEdit::DrawResizedSkinFrame(TCanvas* C)
{
    if (Width() < 1 || Height() < 1 || !Picture) return;
    CalcEditRect();
    TBitmap b(Width(), Height(), pf32bit);
    CreateSkinImageByClRect(&b, Picture, Active() ? ActiveSkinRect : SkinRect, ClRect, false);
    if (FButtonMode) DrawEditButton(b.Canvas());
    C->Draw(0, 0, &b);
}

void TbsSkinCustomEdit::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText)
{
    GetSkinData();
    CalcEditRect();
    if (Width() < 1 || Height() < 1) return;
    TBitmap b(Width(), Height(), pf32bit);
    TCanvas* bc = b.Canvas();
    const bool wasIn = FMouseIn;
    FMouseIn = false;
    if (!Skinned() || !Picture || UseSkinFont) DrawFrame(bc);
    else DrawResizedSkinFrame(bc);
    FMouseIn = wasIn;
    if (Skinned() && UseSkinFont)
    {
        SetSkinFontOf(bc->Font(), FontName, FontStyle, FontHeight);
        bc->Font()->SetColor(TColor(FontColor));
    }
    else
        bc->Font()->Assign(FDefaultFont.get());
    ApplyCharset(bc->Font());
    TRect R = FEditRect;
    if (FImages && LeftImageIndex >= 0) R.Left += FImages->GetWidth() + 2;
    if (FImages && RightImageIndex >= 0) R.Right -= FImages->GetWidth() + 2;
    const int tw = bc->TextWidth(AText);
    const int x = FAlignment == taCenter ? R.Left + 2 + RectWidth(R) / 2 - tw / 2
                  : FAlignment == taRightJustify ? R.Right - tw
                                                 : R.Left + 2;
    bc->Brush()->SetStyle(bsClear);
    bc->TextRect(R, x, R.Top, AText);
    C->Draw(X, Y, &b);
}

// ---- messages ----------------------------------------------------------------------------

void TbsSkinCustomEdit::CMMouseEnter(TMessage& m)
{
    TbsCustomEdit::CMMouseEnter(m);
    FMouseIn = true;
    if (!Focused() && Skinned())
    {
        Font()->SetColor(TColor(ActiveFontColor));
        if (FImages) CalcImageButtons(true);
        RepaintFrame();
        Invalidate();
    }
    if (OnMouseEnter) OnMouseEnter(this);
}

void TbsSkinCustomEdit::CMMouseLeave(TMessage& m)
{
    TbsCustomEdit::CMMouseLeave(m);
    FMouseIn = false;
    if (!Focused() && Skinned())
    {
        Font()->SetColor(TColor(FontColor));
        if (FImages) CalcImageButtons(true);
        RepaintFrame();
        Invalidate();
    }
    if (FButtonDown || FButtonActive)
    {
        FButtonDown = FButtonActive = false;
        RepaintFrame();
        Invalidate();
    }
    if (FImages && (LeftButton.MouseIn || RightButton.MouseIn))
    {
        LeftButton.MouseIn = RightButton.MouseIn = false;
        Invalidate();
    }
    if (OnMouseLeave) OnMouseLeave(this);
}

void TbsSkinCustomEdit::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_NCCALCSIZE:
    {
        GetSkinData();
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
        if (!p) return;
        TRect& r = p->rgrc[0];
        if (!Skinned())
        {
            r.Left += 2, r.Top += 2, r.Bottom -= 2;
            r.Right -= FButtonMode ? Height() + 2 : 2;
        }
        else
        {
            r.Left += ClRect.Left;
            r.Top += ClRect.Top;
            r.Right -= RectWidth(SkinRect) - ClRect.Right;
            r.Bottom -= RectHeight(SkinRect) - ClRect.Bottom;
        }
        if (r.Right < r.Left) r.Right = r.Left;
        if (r.Bottom < r.Top) r.Bottom = r.Top;
        m.Result = 0;
        return;
    }
    case WM_NCPAINT:
    {
        if (!HandleAllocated()) return;
        GetSkinData();
        CalcEditRect();
        HDC dc = GetWindowDC(GetHandle());
        ExcludeClipRect(dc, FEditRect.Left, FEditRect.Top, FEditRect.Right, FEditRect.Bottom);
        TCanvas c;
        c.SetHandle(dc);
        if (UseSkinFont || !Skinned()) DrawFrame(&c);
        else DrawResizedSkinFrame(&c);
        c.SetHandle(nullptr);
        ReleaseDC(GetHandle(), dc);
        return;
    }
    case BSM_PRINTTODC:
        if (m.WParam)
        {
            TCanvas c;
            c.SetHandle(reinterpret_cast<HDC>(m.WParam));
            if (UseSkinFont || !Skinned()) DrawFrame(&c);
            else DrawResizedSkinFrame(&c);
            c.SetHandle(nullptr);
            m.Result = kPrintToDcResult;
        }
        return;
    case WM_PRINT:
        // A picture of the whole control (a form painted into a bitmap): the
        // frame of the non-client area, then the client at its place.
        if (!(m.LParam & PRF_NONCLIENT) || !m.WParam) break;
        GetSkinData();
        [[fallthrough]];
    case BSM_PRINTTODC2:
        if (m.Msg == BSM_PRINTTODC2 && m.LParam != kPrintToDc2Magic) break;
        if (m.WParam)
        {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            CalcEditRect();
            const int saved = SaveDC(dc);
            ExcludeClipRect(dc, FEditRect.Left, FEditRect.Top, FEditRect.Right, FEditRect.Bottom);
            TCanvas c;
            c.SetHandle(dc);
            if (UseSkinFont || !Skinned()) DrawFrame(&c);
            else DrawResizedSkinFrame(&c);
            c.SetHandle(nullptr);
            RestoreDC(dc, saved);
        }
        m.Result = m.Msg == WM_PRINT ? 1 : kPrintToDc2Magic;
        return;
    case WM_SIZE:
        TbsCustomEdit::Dispatch(m);
        CalcImageButtons(true);
        RepaintFrame();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TbsCustomEdit::Dispatch(m);
        RepaintFrame();
        Invalidate();
        if (!FMouseIn && Skinned())
            Font()->SetColor(TColor(m.Msg == WM_SETFOCUS ? ActiveFontColor : FontColor));
        if (FImages) CalcImageButtons(true);
        return;
    case CM_ENABLEDCHANGED:
        TbsCustomEdit::Dispatch(m);
        Invalidate();
        RepaintFrame();
        return;
    case CM_FONTCHANGED:
        TbsCustomEdit::Dispatch(m);
        if (!UseSkinFont && !(ComponentState() & csLoading)) AdjustHeight();
        return;
    case WM_NCHITTEST:
    {
        TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        if (FImages && HandleAllocated())
        {
            const TPoint c = ScreenToClient(p);
            if (LeftImageIndex >= 0 && Inside(LeftButton.R, c.X, c.Y))
            {
                if (!LeftButton.MouseIn) LeftButton.MouseIn = true, Invalidate();
                m.Result = kHitLeftImage;
                return;
            }
            if (RightImageIndex >= 0 && Inside(RightButton.R, c.X, c.Y))
            {
                if (!RightButton.MouseIn) RightButton.MouseIn = true, Invalidate();
                m.Result = kHitRightImage;
                return;
            }
            if (LeftButton.MouseIn) LeftButton.MouseIn = false, Invalidate();
            if (RightButton.MouseIn) RightButton.MouseIn = false, Invalidate();
        }
        if (FButtonMode && HandleAllocated())
        {
            TPoint c = ScreenToClient(p);
            c.X += Skinned() ? ClRect.Left : 2;
            c.Y += Skinned() ? ClRect.Top : 2;
            CalcEditRect();
            if (Inside(FButtonRect, c.X, c.Y))
            {
                m.Result = kHitButton;
                return;
            }
            if (!Inside(FEditRect, c.X, c.Y))
            {
                m.Result = kHitFrame;
                return;
            }
        }
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (m.WParam == WPARAM(kHitLeftImage) || m.WParam == WPARAM(kHitRightImage))
        {
            (m.WParam == WPARAM(kHitLeftImage) ? LeftButton : RightButton).Down = true;
            if (!Focused() && CanFocus()) SetFocus();
            Invalidate();
            return;
        }
        if (m.WParam == WPARAM(kHitButton) && FButtonMode)
        {
            FButtonDown = true;
            RepaintFrame();
            return;
        }
        break;
    case WM_NCLBUTTONUP:
        if (m.WParam == WPARAM(kHitLeftImage) || m.WParam == WPARAM(kHitRightImage))
        {
            const bool left = m.WParam == WPARAM(kHitLeftImage);
            TbsCBButtonX& b = left ? LeftButton : RightButton;
            if (!b.Down) return;
            b.Down = false;
            Invalidate();
            const TNotifyEvent& e = left ? OnLeftButtonClick : OnRightButtonClick;
            if (e) e(this);
            return;
        }
        if (m.WParam == WPARAM(kHitButton) && FButtonMode)
        {
            FButtonDown = false;
            RepaintFrame();
            if (!Focused() && CanFocus()) SetFocus();
            if (OnButtonClick) OnButtonClick(this);
            return;
        }
        break;
    case WM_NCMOUSEMOVE:
        if (FButtonMode && m.WParam == WPARAM(kHitButton))
        {
            if (!FButtonActive)
            {
                FButtonActive = true;
                RepaintFrame();
                Invalidate();
            }
            return;
        }
        if (FButtonActive)
        {
            FButtonActive = false;
            RepaintFrame();
            Invalidate();
        }
        break;
    case WM_MOUSEMOVE:
        TbsCustomEdit::Dispatch(m);
        if (FButtonActive)
        {
            FButtonActive = false;
            RepaintFrame();
        }
        return;
    default: break;
    }
    TbsCustomEdit::Dispatch(m);
}
