// The skinned tool bar: centred children, what it hands its speed buttons,
// and sideways scrolling with two arrows in its non-client area.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"

namespace
{
constexpr int ArrowWidth = 12;
constexpr std::uintptr_t ScrollTimerId = 1;
constexpr int ArrowLeft = 1, ArrowRight = 2;

template <class F>
void ForSpeedButtons(TWinControl* p, F&& f)
{
    for (int i = 0; i < p->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TbsSkinSpeedButton*>(p->Controls(i))) f(b);
}
} // namespace

TbsSkinToolBar::TbsSkinToolBar(TComponent* AOwner) : TbsSkinPanel(AOwner)
{
    ForcebackGround = false;
    FSkinDataName = "toolpanel";
    FDefaultHeight = 0;
    height_ = 25;
    FBorderStyle = TbsSkinBorderStyle::bvNone;
}

TbsSkinToolBar::~TbsSkinToolBar()
{
    if (HandleAllocated()) KillTimer(GetHandle(), ScrollTimerId);
    Watch(FImages, nullptr);
    Watch(FHotImages, nullptr);
    Watch(FDisabledImages, nullptr);
}

// ---- properties -------------------------------------------------------------------

void TbsSkinToolBar::SetScrollOffset(int Value)
{
    if (Value >= 0) FScrollOffset = Value;
}

void TbsSkinToolBar::SetScrollTimerInterval(int Value)
{
    if (Value > 0) FScrollTimerInterval = Value;
}

void TbsSkinToolBar::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
    ForSpeedButtons(this, [](TbsSkinSpeedButton* b) { b->Invalidate(); });
}

void TbsSkinToolBar::SetHotImages(TCustomImageList* Value)
{
    Watch(FHotImages, Value);
    FHotImages = Value;
}

void TbsSkinToolBar::SetDisabledImages(TCustomImageList* Value)
{
    Watch(FDisabledImages, Value);
    FDisabledImages = Value;
}

void TbsSkinToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) SetImages(nullptr);
    if (AComponent == FHotImages) SetHotImages(nullptr);
    if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
}

void TbsSkinToolBar::SetFlat(bool Value)
{
    FFlat = Value;
    ForSpeedButtons(this, [Value](TbsSkinSpeedButton* b) { b->SetFlat(Value); });
}

void TbsSkinToolBar::SetShowCaptions(bool Value)
{
    if (Value == FShowCaptions) return;
    FShowCaptions = Value;
    if (AutoShowHideCaptions) ForSpeedButtons(this, [Value](TbsSkinSpeedButton* b) { b->SetShowCaption(Value); });
    if (WidthWithCaptions != 0 && WidthWithoutCaptions != 0)
        SetWidth(Value ? WidthWithCaptions : WidthWithoutCaptions);
}

void TbsSkinToolBar::SetSkinData(TbsSkinData* Value)
{
    TbsSkinPanel::SetSkinData(Value);
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (auto* b = dynamic_cast<TbsSkinSpeedButton*>(c)) b->SetSkinData(Value);
        else if (auto* v = dynamic_cast<TbsSkinBevel*>(c)) v->SetSkinData(Value);
    }
}

void TbsSkinToolBar::GetSkinData()
{
    TbsSkinPanel::GetSkinData();
    ButtonData = nullptr;
    if (FIndex == -1) return;
    const int i = bsSkinControlIndex(FSD, "resizebutton");
    ButtonData = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(FSD, i));
}

void TbsSkinToolBar::DropSkinReferences()
{
    TbsSkinPanel::DropSkinReferences();
    ButtonData = nullptr;
}

void TbsSkinToolBar::CreateControlSkinImage(TBitmap* B)
{
    if (Scrolling() && ResizeMode == 2 && Picture)
    {
        CreateHSkinMiddleImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, B, Picture, SkinRect, width_, height_,
                               StretchEffect);
        return;
    }
    TbsSkinPanel::CreateControlSkinImage(B);
}

void TbsSkinToolBar::AdjustClientRect(TRect& Rect)
{
    TbsSkinPanel::AdjustClientRect(Rect);
    if (!CanScroll || !Scrolling()) return;
    const int cw = ClientWidth(), ch = ClientHeight();
    Rect = TRect(-SPosition, 0, -SPosition + std::max(SMax, cw), ch);
    if (FIndex == -1 || (ComponentState() & csDesigning))
    {
        Rect.Top = 1;
        Rect.Bottom = ch - 1;
    }
    else if (!(FBorderStyle == TbsSkinBorderStyle::bvNone && ResizeMode == 1))
    {
        Rect.Top = NewClRect.Top;
        Rect.Bottom = NewClRect.Bottom;
    }
}

// ---- layout -----------------------------------------------------------------------

void TbsSkinToolBar::AdjustChildren()
{
    if (!AdjustControls) return;
    TRect r;
    GetSkinClientRect(r);
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (dynamic_cast<TbsSkinControl*>(c) || dynamic_cast<TbsGraphicSkinControl*>(c) || c->GetAlign() != alNone)
            continue;
        c->SetTop(r.Top + RectHeight(r) / 2 - c->Height() / 2);
    }
}

void TbsSkinToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int w0 = width_;
    TbsSkinPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (AdjustControls)
        for (int i = 0; i < ControlCount(); ++i)
        {
            TControl* c = Controls(i);
            c->SetBounds(c->Left(), c->Top(), c->Width(), c->Height());
        }
    // Scrolling and centring run once the new size is in, so they see the
    // new client area (aligned or not).
    if (CanScroll)
    {
        FHSizeOffset = width_ > w0 && w0 != 0 ? width_ - w0 : 0;
        UpdateScrollLayout();
    }
    AdjustChildren();
}

void TbsSkinToolBar::MoveChildren(int dx)
{
    ScrollBy(dx, 0);
    Invalidate();
}

void TbsSkinToolBar::UpdateScrollLayout()
{
    if (!CanScroll || width_ == 0) return;
    int a = 0;
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (c->GetVisible()) a = std::max(a, c->Left() + c->Width());
    }
    const int cw = ClientWidth(), p = SPosition;
    if (a == 0)
    {
        ShowScrollButtons(false);
        return;
    }
    if (cw >= p + a)
    {
        if (p > 0) MoveChildren(p);
        FHSizeOffset = SMax = SPosition = SPage = SOldPosition = 0;
        ShowScrollButtons(false);
        return;
    }
    ShowScrollButtons(true);
    bool keepOffset = false;
    if (p > 0 && a < cw && FHSizeOffset > 0)
    {
        // Grown while scrolled: the content follows the new right edge.
        FHSizeOffset = std::min(FHSizeOffset, p);
        SPosition = p - FHSizeOffset;
        MoveChildren(FHSizeOffset);
        keepOffset = true;
    }
    else if (FHSizeOffset == 0 && p + a - 1 < SMax && p > 0 && a < cw)
    {
        SPosition = p - (cw - a);
        MoveChildren(cw - a);
    }
    SMax = p + a - 1;
    // The page is the client left between the arrows (measured once they
    // are in), so the scroll reaches the content's last column.
    SPage = ClientWidth();
    if (!keepOffset) FHSizeOffset = 0;
    SOldPosition = SPosition;
}

void TbsSkinToolBar::ShowScrollButtons(bool Show)
{
    if (Scrolling() == Show) return;
    Buttons[0].Visible = Buttons[1].Visible = Show;
    if (!Show)
    {
        StopScrollTimer();
        Buttons[0].MouseIn = Buttons[1].MouseIn = Buttons[0].Down = Buttons[1].Down = false;
    }
    Buttons[0].R = TRect(0, 0, ArrowWidth, height_);
    Buttons[1].R = TRect(width_ - ArrowWidth, 0, width_, height_);
    // The non-client area is measured again (the arrows take their room).
    if (HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
}

void TbsSkinToolBar::ScrollStep(bool right)
{
    const int s = FScrollOffset > 0 ? FScrollOffset : ClientWidth();
    if (right) SPosition = std::max(0, std::min(SPosition + s, SMax - SPage + 1));
    else SPosition = std::max(SPosition - s, 0);
    if (SPosition == SOldPosition)
    {
        StopScrollTimer();
        return;
    }
    MoveChildren(SOldPosition - SPosition);
    SOldPosition = SPosition;
}

// ---- scroll timer and arrows ---------------------------------------------------------

void TbsSkinToolBar::StartScrollTimer(int mode)
{
    TimerMode = mode;
    if (!HandleAllocated()) return;
    KillTimer(GetHandle(), ScrollTimerId);
    SetTimer(GetHandle(), ScrollTimerId, UINT(FScrollTimerInterval));
}

void TbsSkinToolBar::StopScrollTimer()
{
    TimerMode = 0;
    if (HandleAllocated()) KillTimer(GetHandle(), ScrollTimerId);
}

void TbsSkinToolBar::ClearHotButton()
{
    for (TbsToolBarScrollButton& b : Buttons)
        if (b.MouseIn)
        {
            b.MouseIn = false;
            b.Down = false;
            if (TimerMode != 0) StopScrollTimer();
            PaintScrollButtons();
            return;
        }
}

void TbsSkinToolBar::DrawScrollButton(TCanvas* C, const TbsToolBarScrollButton& b, bool right)
{
    const int bw = RectWidth(b.R), bh = RectHeight(b.R);
    const bool pressed = b.MouseIn && (b.Down || HotScroll);
    TColor arrow = clBtnText;
    TBitmap* pic = ButtonData ? bsSkinActiveBitmap(FSD, ButtonData->PictureIndex) : nullptr;
    if (ButtonData && pic)
    {
        const TbsDataSkinButtonControl& d = *ButtonData;
        TRect look = d.SkinRect;
        int color = d.FontColor;
        if (!IsEmptyRect(d.DownSkinRect) && pressed)
        {
            look = d.DownSkinRect;
            color = d.DownFontColor;
        }
        else if (b.MouseIn && !IsEmptyRect(d.ActiveSkinRect))
        {
            look = d.ActiveSkinRect;
            color = d.ActiveFontColor;
        }
        const int dx = bw - RectWidth(d.SkinRect), dy = bh - RectHeight(d.SkinRect);
        TRect cl = d.ClRect;
        cl.Right += dx;
        cl.Bottom += dy;
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(TRect(0, 0, bw, bh));
        TBitmap B(bw, bh, pf32bit);
        CreateSkinImage(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, d.LTPoint,
                        TPoint(d.RTPoint.X + dx, d.RTPoint.Y), TPoint(d.LBPoint.X, d.LBPoint.Y + dy),
                        TPoint(d.RBPoint.X + dx, d.RBPoint.Y + dy), cl, &B, pic, look, bw, bh, true, d.LeftStretch,
                        d.TopStretch, d.RightStretch, d.BottomStretch, d.StretchEffect, d.StretchType);
        C->Draw(0, 0, &B);
        arrow = TColor(color);
    }
    else
    {
        TColor frame = clBtnShadow, fill = clBtnFace;
        if (pressed)
        {
            frame = clNavy;
            fill = TColor(RGB(133, 147, 181));
        }
        else if (b.MouseIn)
        {
            frame = clNavy;
            fill = TColor(RGB(182, 189, 210));
        }
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(fill);
        C->FillRect(TRect(0, 0, bw, bh));
        C->Brush()->SetColor(frame);
        C->FrameRect(TRect(0, 0, bw, bh));
    }
    DrawArrowGlyph(C, TRect(0, 0, bw, bh), ColorToRGB(arrow), right ? ArrowRight : ArrowLeft);
}

void TbsSkinToolBar::PaintScrollButtons()
{
    if (!CanScroll || !Scrolling() || !HandleAllocated()) return;
    HDC dc = GetWindowDC(GetHandle());
    if (!dc) return;
    PaintScrollButtonsTo(dc);
    ReleaseDC(GetHandle(), dc);
}

void TbsSkinToolBar::PaintScrollButtonsTo(HDC dc)
{
    GetSkinData();
    for (int i = 0; i < 2; ++i)
    {
        const TbsToolBarScrollButton& b = Buttons[i];
        if (!b.Visible || IsEmptyRect(b.R)) continue;
        TBitmap B(RectWidth(b.R), RectHeight(b.R), pf32bit);
        DrawScrollButton(B.Canvas(), b, i == 1);
        BitBlt(dc, b.R.Left, b.R.Top, B.GetWidth(), B.GetHeight(), B.Canvas()->GetHandle(), 0, 0, SRCCOPY);
    }
}

// ---- messages ---------------------------------------------------------------------------

void TbsSkinToolBar::WndProc(TMessage& m)
{
    if (CanScroll && !(ComponentState() & csDesigning))
    {
        switch (m.Msg)
        {
        case WM_NCHITTEST:
        {
            const TPoint p = ScreenToClient(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
            if (p.X < 0 && Buttons[0].Visible)
            {
                m.Result = BS_HTSCROLLLEFT;
                return;
            }
            if (p.X > ClientWidth() && Buttons[1].Visible)
            {
                m.Result = BS_HTSCROLLRIGHT;
                return;
            }
            break;
        }
        case WM_NCMOUSEMOVE:
        {
            const int i = m.WParam == WPARAM(BS_HTSCROLLLEFT) ? 0 : m.WParam == WPARAM(BS_HTSCROLLRIGHT) ? 1 : -1;
            if (i >= 0 && !Buttons[i].MouseIn)
            {
                Buttons[i].MouseIn = true;
                Buttons[1 - i].MouseIn = false;
                PaintScrollButtons();
                if (HotScroll) StartScrollTimer(i == 0 ? 1 : 2);
            }
            break;
        }
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        {
            const int i = m.WParam == WPARAM(BS_HTSCROLLLEFT) ? 0 : m.WParam == WPARAM(BS_HTSCROLLRIGHT) ? 1 : -1;
            if (i < 0) break;
            Buttons[i].Down = true;
            PaintScrollButtons();
            StartScrollTimer(i == 0 ? 1 : 2);
            return;
        }
        case WM_NCLBUTTONUP:
        {
            const int i = m.WParam == WPARAM(BS_HTSCROLLLEFT) ? 0 : m.WParam == WPARAM(BS_HTSCROLLRIGHT) ? 1 : -1;
            if (i < 0) break;
            Buttons[i].Down = false;
            PaintScrollButtons();
            StopScrollTimer();
            ScrollStep(i == 1);
            return;
        }
        case WM_MOUSEMOVE: ClearHotButton(); break;
        default: break;
        }
    }
    TbsSkinPanel::WndProc(m);
}

void TbsSkinToolBar::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_SETCURSOR:
        if (LOWORD(std::uintptr_t(m.LParam)) == BS_HTSCROLLLEFT || LOWORD(std::uintptr_t(m.LParam)) == BS_HTSCROLLRIGHT)
            m.LParam = MAKELPARAM(HTCLIENT, HIWORD(std::uintptr_t(m.LParam)));
        break;
    case WM_NCCALCSIZE:
        TbsSkinPanel::Dispatch(m);
        if (CanScroll)
        {
            GetSkinData();
            auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
            if (Buttons[0].Visible) p->rgrc[0].Left += ArrowWidth;
            if (Buttons[1].Visible) p->rgrc[0].Right -= ArrowWidth;
        }
        return;
    case WM_NCPAINT:
        TbsSkinPanel::Dispatch(m);
        PaintScrollButtons();
        return;
    case WM_PRINT:
        // Painting into another DC (PaintTo): the arrows as the non-client part.
        if ((m.LParam & PRF_NONCLIENT) && CanScroll && Scrolling())
        {
            PaintScrollButtonsTo(reinterpret_cast<HDC>(m.WParam));
            m.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
        TbsSkinPanel::Dispatch(m);
        if (CanScroll && Scrolling())
        {
            Buttons[0].R = TRect(0, 0, ArrowWidth, height_);
            Buttons[1].R = TRect(width_ - ArrowWidth, 0, width_, height_);
            PaintScrollButtons();
        }
        return;
    case WM_TIMER:
        if (m.WParam == ScrollTimerId)
        {
            if (TimerMode != 0) ScrollStep(TimerMode == 2);
            return;
        }
        break;
    case CM_MOUSELEAVE:
    {
        TbsSkinPanel::Dispatch(m);
        TPoint p;
        GetCursorPos(&p);
        if (!HandleAllocated() || WindowFromPoint(p) != GetHandle()) ClearHotButton();
        return;
    }
    default: break;
    }
    TbsSkinPanel::Dispatch(m);
}
