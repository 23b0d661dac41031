// The skinned scroll box: bar ranges from the visible children, scrolling
// the children with the bars, frame and background.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>

#include "lib/bsSkinBoxCtrls/Internal.h"

using namespace bsboxctrls;

TbsSkinScrollBox::TbsSkinScrollBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    ControlStyle.Include(csAcceptsControls);
    FSkinDataName = "scrollbox";
    width_ = 150;
    height_ = 150;
    color_ = clWindow;
    tabStop_ = false;
}

void TbsSkinScrollBox::CreateParams(TCreateParams& Params)
{
    TbsSkinCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinScrollBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FHScrollBar) FHScrollBar = nullptr;
    if (AComponent == FVScrollBar) FVScrollBar = nullptr;
}

void TbsSkinScrollBox::SetHScrollBar(TbsSkinScrollBar* Value)
{
    Watch(FHScrollBar, Value);
    FHScrollBar = Value;
    if (!Value) return;
    Value->SetCanFocused(false);
    Value->SetEnabled(true);
    Value->SetVisible(false);
    Value->OnChange = [this](TObject*) {
        if (!FHScrollBar) return;
        ScrollControls(false, FHScrollBar->Position() - FOldHScrollBarPos);
        FOldHScrollBarPos = FHScrollBar->Position();
    };
    Value->OnLastChange = [this](TObject*) { Invalidate(); };
    GetHRange();
}

void TbsSkinScrollBox::SetVScrollBar(TbsSkinScrollBar* Value)
{
    Watch(FVScrollBar, Value);
    FVScrollBar = Value;
    if (!Value) return;
    Value->SetCanFocused(false);
    Value->SetEnabled(true);
    Value->SetVisible(false);
    Value->OnChange = [this](TObject*) {
        if (!FVScrollBar) return;
        ScrollControls(true, FVScrollBar->Position() - FOldVScrollBarPos);
        FOldVScrollBarPos = FVScrollBar->Position();
    };
    Value->OnLastChange = [this](TObject*) { Invalidate(); };
    GetVRange();
}

void TbsSkinScrollBox::SetBorderStyle(TbsSkinBorderStyle Value)
{
    FBorderStyle = Value;
    RecreateWnd();
}

void TbsSkinScrollBox::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    BGPictureIndex = -1;
    if (const auto* d = dynamic_cast<const TbsDataSkinScrollBoxControl*>(bsSkinControlEntry(FSD, FIndex)))
        BGPictureIndex = d->BGPictureIndex;
}

void TbsSkinScrollBox::ChangeSkinData()
{
    TbsSkinCustomControl::ChangeSkinData();
    if (HandleAllocated()) RecreateWnd();
    if (FVScrollBar) FVScrollBar->SetAlign(FVScrollBar->GetAlign());
    if (FHScrollBar) FHScrollBar->SetAlign(FHScrollBar->GetAlign());
}

// ---- ranges ----------------------------------------------------------------------------

void TbsSkinScrollBox::UpDateScrollRange()
{
    GetHRange();
    GetVRange();
}

void TbsSkinScrollBox::GetVRange() { GetRange(true); }
void TbsSkinScrollBox::GetHRange() { GetRange(false); }

void TbsSkinScrollBox::ScrollControls(bool vertical, int d)
{
    if (vertical) ScrollBy(0, -d);
    else ScrollBy(-d, 0);
    if (FIndex != -1 && StretchEffect) Repaint();
}

void TbsSkinScrollBox::GetRange(bool vertical)
{
    TbsSkinScrollBar* bar = vertical ? FVScrollBar : FHScrollBar;
    if (!bar || FInCheckScrollBars || !Parent()) return;
    const int client = vertical ? ClientHeight() : ClientWidth();
    // The far edge of the content (children scrolled past may lie above 0).
    bool any = false;
    int extent = 0;
    for (int i = 0; i < ControlCount(); ++i)
    {
        TControl* c = Controls(i);
        if (!c->GetVisible()) continue;
        const int e = vertical ? c->Top() + c->Height() : c->Left() + c->Width();
        extent = any ? std::max(extent, e) : e;
        any = true;
    }
    int& sizeOffset = vertical ? FVSizeOffset : FHSizeOffset;
    int& oldPos = vertical ? FOldVScrollBarPos : FOldHScrollBarPos;
    const int pos = bar->Position();
    const int M = pos + extent;
    bool show = bar->GetVisible();
    if (M > client)
    {
        show = true;
        // Grown while scrolled: the children come down by the growth.
        bool keepOffset = false;
        if (pos > 0 && extent < client && sizeOffset > 0)
        {
            sizeOffset = std::min(sizeOffset, pos);
            bar->SetRange(0, M - 1, pos - sizeOffset, client);
            ScrollControls(vertical, -sizeOffset);
            keepOffset = !vertical;
        }
        else if (sizeOffset == 0 && M - 1 < bar->Max() && pos > 0 && extent < client)
        {
            const int d = std::min(client - extent, pos);
            ScrollControls(vertical, -d);
            bar->SetRange(0, M - 1, pos - d, client);
        }
        else
            bar->SetRange(0, M - 1, pos, client);
        if (!keepOffset) sizeOffset = 0;
        oldPos = bar->Position();
    }
    else
    {
        if (pos > 0) ScrollControls(vertical, -pos);
        sizeOffset = 0;
        oldPos = 0;
        bar->SetRange(0, 0, 0, 0);
        show = false;
    }
    const bool wasVisible = FVScrollBar ? FVScrollBar->GetVisible() : false;
    if (FVScrollBar && FHScrollBar && FHScrollBar->Both() != wasVisible) FHScrollBar->SetBoth(wasVisible);
    if (show != bar->GetVisible())
    {
        FInCheckScrollBars = true;
        bar->SetVisible(show);
        if (GetAlign() != alNone)
        {
            Parent()->Realign();
            Realign();
        }
        FInCheckScrollBars = false;
    }
}

void TbsSkinScrollBox::VScroll(int APosition)
{
    if (!FVScrollBar || FVScrollBar->PageSize() == 0) return;
    APosition = std::min(APosition, FVScrollBar->Max() - FVScrollBar->PageSize());
    ScrollControls(true, APosition - FVScrollBar->Position());
    FOldVScrollBarPos = APosition;
    FVScrollBar->SetPosition(APosition);
}

void TbsSkinScrollBox::HScroll(int APosition)
{
    if (!FHScrollBar || FHScrollBar->PageSize() == 0) return;
    ScrollControls(false, APosition - FHScrollBar->Position());
    FOldHScrollBarPos = APosition;
    FHScrollBar->SetPosition(APosition);
}

void TbsSkinScrollBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int oldW = Width(), oldH = Height();
    TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    FHSizeOffset = oldW != 0 && Width() > oldW ? Width() - oldW : 0;
    if (GetAlign() != alNone) GetHRange();
    FVSizeOffset = oldH != 0 && Height() > oldH ? Height() - oldH : 0;
    if (GetAlign() != alNone) GetVRange();
}

void TbsSkinScrollBox::AdjustClientRect(TRect& Rect)
{
    const bool h = FHScrollBar && FHScrollBar->GetVisible();
    const bool v = FVScrollBar && FVScrollBar->GetVisible();
    const int x = h ? -FHScrollBar->Position() : 0, y = v ? -FVScrollBar->Position() : 0;
    const int w = h ? std::max(FHScrollBar->Max(), ClientWidth()) : ClientWidth();
    const int hh = v ? std::max(FVScrollBar->Max(), ClientHeight()) : ClientHeight();
    Rect = TRect(x, y, x + w, y + hh);
    TbsSkinCustomControl::AdjustClientRect(Rect);
}

// ---- frame and background --------------------------------------------------------------

bool TbsSkinScrollBox::HasFrame()
{
    if (FBorderStyle == TbsSkinBorderStyle::bvNone) return false;
    return FIndex == -1 || BGPictureIndex == -1;
}

void TbsSkinScrollBox::DrawBorder(TCanvas* C)
{
    GetSkinData();
    if (FIndex == -1)
    {
        if (FBorderStyle == TbsSkinBorderStyle::bvNone) return;
        TColor tl = clBtnShadow, br = clBtnShadow;
        if (FBorderStyle == TbsSkinBorderStyle::bvRaised) br = clBtnHighlight;
        else if (FBorderStyle == TbsSkinBorderStyle::bvLowered) tl = clBtnHighlight;
        C->Pen()->SetColor(tl);
        C->MoveTo(0, Height() - 1);
        C->LineTo(0, 0);
        C->LineTo(Width() - 1, 0);
        C->Pen()->SetColor(br);
        C->LineTo(Width() - 1, Height() - 1);
        C->LineTo(0, Height() - 1);
        return;
    }
    if (!Picture) return;
    const int dW = Width() - RectWidth(SkinRect), dH = Height() - RectHeight(SkinRect);
    TRect cl = ClRect;
    cl.Right += dW;
    cl.Bottom += dH;
    TBitmap L, T, R, B;
    CreateSkinBorderImages(LTPt, RTPt, LBPt, RBPt, ClRect, LTPt, TPoint(RTPt.X + dW, RTPt.Y),
                           TPoint(LBPt.X, LBPt.Y + dH), TPoint(RBPt.X + dW, RBPt.Y + dH), cl, &L, &T, &R, &B, Picture,
                           SkinRect, Width(), Height(), LeftStretch, TopStretch, RightStretch, BottomStretch);
    if (!T.Empty()) C->Draw(0, 0, &T);
    if (!L.Empty()) C->Draw(0, T.GetHeight(), &L);
    if (!R.Empty()) C->Draw(Width() - R.GetWidth(), T.GetHeight(), &R);
    if (!B.Empty()) C->Draw(0, Height() - B.GetHeight(), &B);
}

void TbsSkinScrollBox::CreateControlDefaultImage(TBitmap* B)
{
    B->Canvas()->Brush()->SetStyle(bsSolid);
    B->Canvas()->Brush()->SetColor(GetColor());
    B->Canvas()->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
}

void TbsSkinScrollBox::Paint()
{
    GetSkinData();
    if (FIndex == -1)
    {
        TbsSkinCustomControl::Paint();
        return;
    }
    const int cw = ClientWidth(), ch = ClientHeight();
    if (cw < 1 || ch < 1) return;
    TCanvas* C = Canvas();
    TBitmap* P = bsSkinActiveBitmap(FSD, BGPictureIndex);
    std::unique_ptr<TBitmap> part;
    if (!P && Picture)
    {
        part = CopyPicturePart(Picture, TRect(SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top,
                                              SkinRect.Left + ClRect.Right, SkinRect.Top + ClRect.Bottom));
        P = part.get();
    }
    if (!P) return;
    TBitmap b(cw, ch, pf32bit);
    bsctrls::DrawTiles(b.Canvas(), P, TRect(0, 0, cw, ch), TRect(0, 0, cw, ch), StretchEffect, StretchType);
    C->Draw(0, 0, &b);
}

void TbsSkinScrollBox::WndProc(TMessage& m)
{
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && CanFocused && !Focused() &&
        !(ComponentState() & csDesigning))
    {
        const std::weak_ptr<char> alive = LifeToken();
        FClicksDisabled = true;
        if (CanFocus()) SetFocus();
        if (alive.expired()) return;
        FClicksDisabled = false;
        if (!Focused()) return;
    }
    if (m.Msg == CN_COMMAND && FClicksDisabled) return;
    TbsSkinCustomControl::WndProc(m);
}

void TbsSkinScrollBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_NCCALCSIZE:
    {
        GetSkinData();
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
        m.Result = 0;
        if (!p || !HasFrame()) return;
        TRect& r = p->rgrc[0];
        if (FIndex == -1) InflateRect(r, -1, -1);
        else
        {
            r.Left += ClRect.Left;
            r.Top += ClRect.Top;
            r.Right -= RectWidth(SkinRect) - ClRect.Right;
            r.Bottom -= RectHeight(SkinRect) - ClRect.Bottom;
        }
        if (r.Right < r.Left) r.Right = r.Left;
        if (r.Bottom < r.Top) r.Bottom = r.Top;
        return;
    }
    case WM_NCPAINT:
    {
        GetSkinData();
        if (!HasFrame() || !HandleAllocated()) return;
        HDC dc = GetWindowDC(GetHandle());
        TCanvas c;
        c.SetHandle(dc);
        DrawBorder(&c);
        c.SetHandle(nullptr);
        ReleaseDC(GetHandle(), dc);
        return;
    }
    case BSM_PRINTTODC:
        GetSkinData();
        if (m.WParam && HasFrame())
        {
            TCanvas c;
            c.SetHandle(reinterpret_cast<HDC>(m.WParam));
            DrawBorder(&c);
            c.SetHandle(nullptr);
            m.Result = kPrintToDcResult;
        }
        else
            m.Result = 0;
        return;
    case WM_PRINT:
        // A picture of the whole control: its frame, then the client.
        GetSkinData();
        if (!(m.LParam & PRF_NONCLIENT) || !m.WParam || !HasFrame()) break;
        {
            TCanvas c;
            c.SetHandle(reinterpret_cast<HDC>(m.WParam));
            DrawBorder(&c);
            c.SetHandle(nullptr);
        }
        m.Result = 1;
        return;
    case BSM_PRINTTODC2:
        if (m.LParam != kPrintToDc2Magic) break;
        GetSkinData();
        if (m.WParam && HasFrame())
        {
            TCanvas c;
            c.SetHandle(reinterpret_cast<HDC>(m.WParam));
            DrawBorder(&c);
            c.SetHandle(nullptr);
        }
        m.Result = kPrintToDc2Magic;
        return;
    case CM_VISIBLECHANGED:
        TbsSkinCustomControl::Dispatch(m);
        if (FVScrollBar) FVScrollBar->SetVisible(GetVisible());
        if (FHScrollBar) FHScrollBar->SetVisible(GetVisible());
        return;
    case WM_SIZE:
        TbsSkinCustomControl::Dispatch(m);
        if (HandleAllocated()) SendMessage(GetHandle(), WM_NCPAINT, 0, 0);
        return;
    case WM_WINDOWPOSCHANGING:
        TbsSkinCustomControl::Dispatch(m);
        if (HandleAllocated() && GetAlign() == alNone)
        {
            GetVRange();
            GetHRange();
        }
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}
