// The skinned list view's column header: the view takes over the header
// window's message method, paints every section and the space after the last
// one from a button entry of the skin (or a plain default look), and tracks
// the pressed section; sizing, clicks and hit tests stay with the header.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"

namespace
{
constexpr int kHeaderExtraWidth = 25;   // the header reaches past the view's right edge
}

void TbsSkinCustomListView::SubclassHeader(TWinControl* header)
{
    FHeader = header;
    FDefHeaderProc = header->WindowProc;
    header->WindowProc = [this](TMessage& m) { SkinHeaderWndProc(m); };
    // Placed once more, so that the header takes its extra width now.
    if (FHeaderHandle)
        SetWindowPos(FHeaderHandle, nullptr, 0, 0, header->Width(), header->Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TbsSkinCustomListView::ReleaseHeader()
{
    if (FHeader) FHeader->WindowProc = FDefHeaderProc;
    FHeader = nullptr;
    FHeaderHandle = nullptr;
    FDefHeaderProc = nullptr;
}

void TbsSkinCustomListView::RedrawHeader()
{
    if (FHeaderHandle) RedrawWindow(FHeaderHandle, nullptr, nullptr, RDW_INVALIDATE);
}

void TbsSkinCustomListView::SkinHeaderWndProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_WINDOWPOSCHANGING:
        if (auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam); wp && !(wp->flags & SWP_NOSIZE))
            wp->cx += kHeaderExtraWidth;
        m.Result = 0;
        return;
    case WM_PAINT:
        PaintSkinHeader(reinterpret_cast<HDC>(m.WParam));
        m.Result = 0;
        return;
    case WM_ERASEBKGND: m.Result = 1; return;
    default: break;
    }
    const std::weak_ptr<char> alive = LifeToken();
    FDefHeaderProc(m);
    if (alive.expired() || !FHeader) return;
    switch (m.Msg)
    {
    case WM_MOUSEMOVE:
        if (FDevDown) RedrawHeader();
        break;
    case WM_LBUTTONDOWN:
    {
        const TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        FActiveSection = -1;
        for (int i = 0; i < Columns()->Count(); ++i)
            if (GetHeaderSectionRect(i).Contains(p))
            {
                FActiveSection = i;
                break;
            }
        HDHITTESTINFO info;
        info.pt = p;
        FHeader->Perform(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
        FHeaderDown = info.flags != HHT_ONDIVIDER;
        FDevDown = info.flags == HHT_ONDIVIDER;
        RedrawHeader();
        break;
    }
    case WM_LBUTTONUP:
        FHeaderDown = false;
        FDevDown = false;
        FActiveSection = -1;
        RedrawHeader();
        break;
    default: break;
    }
}

TRect TbsSkinCustomListView::GetHeaderSectionRect(int i)
{
    TRect r;
    if (!FHeader) return r;
    int item = i;
    if (FullDrag)
    {
        const int n = Columns()->Count();
        std::vector<int> order(std::size_t(std::max(n, 1)), 0);
        if (n > 0 && FHeader->Perform(HDM_GETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(order.data())) &&
            i >= 0 && i < n)
            item = order[std::size_t(i)];
    }
    FHeader->Perform(HDM_GETITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&r));
    return r;
}

void TbsSkinCustomListView::GetHeaderSkinData()
{
    FHIndex = bsSkinControlIndex(FSD, FHeaderSkinDataName);
    if (FHIndex == -1) return;
    const auto* d = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(FSD, FHIndex));
    if (!d)
    {
        HPicture = nullptr;
        return;
    }
    HLTPt = d->LTPoint;
    HRTPt = d->RTPoint;
    HLBPt = d->LBPoint;
    HRBPt = d->RBPoint;
    HSkinRect = d->SkinRect;
    HClRect = d->ClRect;
    HStretchEffect = d->StretchEffect;
    HLeftStretch = d->LeftStretch;
    HTopStretch = d->TopStretch;
    HRightStretch = d->RightStretch;
    HBottomStretch = d->BottomStretch;
    HStretchType = d->StretchType;
    HPicture = bsSkinActiveBitmap(FSD, d->PictureIndex);
    HFontColor = d->FontColor;
    HDownFontColor = d->DownFontColor;
    HActiveSkinRect = d->ActiveSkinRect;
    HDownSkinRect = d->DownSkinRect;
    if (IsEmptyRect(HActiveSkinRect)) HActiveSkinRect = HSkinRect;
    if (IsEmptyRect(HDownSkinRect)) HDownSkinRect = HActiveSkinRect;
}

void TbsSkinCustomListView::PaintSkinHeader(HDC dc)
{
    if (!FHeader || !FHeaderHandle) return;
    PAINTSTRUCT ps;
    const bool own = dc == nullptr;
    if (own) dc = BeginPaint(FHeaderHandle, &ps);
    TCanvas c;
    c.SetHandle(dc);
    const int n = int(FHeader->Perform(HDM_GETITEMCOUNT));
    int right = 0;
    for (int i = 0; i < n; ++i)
    {
        const TRect r = GetHeaderSectionRect(i);
        DrawSkinHeaderSection(&c, i < Columns()->Count() ? Columns()->Items(i) : nullptr,
                              i == FActiveSection && FHeaderDown, r);
        right = std::max(right, r.Right);
    }
    TRect wr;
    GetWindowRect(FHeaderHandle, &wr);
    const TRect e(right, 0, RectWidth(wr) + 1, RectHeight(wr));
    GetHeaderSkinData();
    if (e.Left < e.Right && e.Top < e.Bottom)
    {
        if (FHIndex == -1 || !HPicture || IsEmptyRect(HSkinRect))
        {
            c.Brush()->SetStyle(bsSolid);
            c.Brush()->SetColor(clBtnFace);
            c.FillRect(e);
            c.Brush()->SetColor(clBtnShadow);
            c.FrameRect(e);
        }
        else
        {
            const int w = RectWidth(e), h = RectHeight(e);
            TBitmap b(w, h, pf32bit);
            if (!IsNullPoint(HLBPt))
            {
                const int dx = w - RectWidth(HSkinRect), dy = h - RectHeight(HSkinRect);
                HNewLTPoint = HLTPt;
                HNewRTPoint = TPoint(HRTPt.X + dx, HRTPt.Y);
                HNewLBPoint = TPoint(HLBPt.X, HLBPt.Y + dy);
                HNewRBPoint = TPoint(HRBPt.X + dx, HRBPt.Y + dy);
                HNewClRect = TRect(HClRect.Left, HClRect.Top, HClRect.Right + dx, HClRect.Bottom + dy);
                CreateSkinImage3(HLTPt, HRTPt, HLBPt, HRBPt, HClRect, HNewLTPoint, HNewRTPoint, HNewLBPoint,
                                 HNewRBPoint, HNewClRect, &b, HPicture, HSkinRect, w, h, true, HLeftStretch,
                                 HTopStretch, HRightStretch, HBottomStretch, HStretchEffect, HStretchType);
            }
            else
            {
                TBitmap strip(w, RectHeight(HSkinRect), pf32bit);
                CreateHSkinImage2(HLTPt.X, RectWidth(HSkinRect) - HRTPt.X, &strip, HPicture, HSkinRect, w,
                                  RectHeight(HSkinRect), HStretchEffect);
                b.Canvas()->StretchDraw(TRect(0, 0, w, h), &strip);
            }
            c.Draw(e.Left, e.Top, &b);
        }
    }
    c.SetHandle(nullptr);
    // A context given by the caller stays the caller's.
    if (own) EndPaint(FHeaderHandle, &ps);
}

void TbsSkinCustomListView::DrawSkinHeaderSection(TCanvas* Cnvs, TListColumn* Column, bool Pressed, const TRect& R)
{
    const int w = RectWidth(R), h = RectHeight(R);
    if (w <= 0 || h <= 0) return;
    std::string text = Column ? Column->GetCaption() : std::string();
    TBitmap b(w, h, pf32bit);
    TCanvas* c = b.Canvas();
    TRect t(0, 0, w, h);
    GetHeaderSkinData();
    c->Font()->Assign(Font());
    if (FHIndex == -1 || !HPicture || IsEmptyRect(HSkinRect))
    {
        // The plain look; also for an entry of another kind under the name.
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Pressed ? clNavy : clBtnShadow);
        c->FrameRect(t);
        InflateRect(t, -1, -1);
        c->Brush()->SetColor(Pressed ? TColor(0xB59385) : clBtnFace);
        c->FillRect(t);
        c->Font()->SetColor(clBtnText);
    }
    else
    {
        const TRect& src = Pressed ? HDownSkinRect : HSkinRect;
        c->Font()->SetColor(TColor(Pressed ? HDownFontColor : HFontColor));
        const int dx = w - RectWidth(HSkinRect), dy = h - RectHeight(HSkinRect);
        if (!IsNullPoint(HLBPt))
        {
            HNewLTPoint = HLTPt;
            HNewRTPoint = TPoint(HRTPt.X + dx, HRTPt.Y);
            HNewLBPoint = TPoint(HLBPt.X, HLBPt.Y + dy);
            HNewRBPoint = TPoint(HRBPt.X + dx, HRBPt.Y + dy);
            HNewClRect = TRect(HClRect.Left, HClRect.Top, HClRect.Right + dx, HClRect.Bottom + dy);
            CreateSkinImage(HLTPt, HRTPt, HLBPt, HRBPt, HClRect, HNewLTPoint, HNewRTPoint, HNewLBPoint, HNewRBPoint,
                            HNewClRect, &b, HPicture, src, w, h, true, HLeftStretch, HTopStretch, HRightStretch,
                            HBottomStretch, HStretchEffect, HStretchType);
        }
        else
        {
            TBitmap strip(w, RectHeight(HSkinRect), pf32bit);
            CreateHSkinImage(HLTPt.X, RectWidth(src) - HRTPt.X, &strip, HPicture, src, w, RectHeight(HSkinRect),
                             HStretchEffect);
            c->StretchDraw(TRect(0, 0, w, h), &strip);
        }
    }
    if (OnDrawHeaderSection && Column)
        OnDrawHeaderSection(c, Column, Pressed, TRect(0, 0, w, h));
    else
    {
        c->Brush()->SetStyle(bsClear);
        t.Left += 5;
        t.Right -= 5;
        const TAlignment align = Column ? Column->GetAlignment() : taLeftJustify;
        TCustomImageList* images = GetSmallImages();
        const int image = Column ? Column->ImageIndex : -1;
        int x = t.Left;
        if (images && image >= 0 && image < images->Count())
        {
            const int iw = images->GetWidth(), ih = images->GetHeight();
            const std::string whole = text;
            CorrectTextByWidth(c, text, RectWidth(t) - iw - 10);
            int x0 = t.Left;
            const int tw = c->TextWidth(text);
            if (text == whole)
            {
                if (align == taRightJustify) x0 = t.Right - tw - iw - 10;
                else if (align == taCenter) x0 = t.Left + RectWidth(t) / 2 - (tw + iw + 10) / 2;
            }
            x = x0 + iw + 10;
            images->Draw(c, x0, t.Top + RectHeight(t) / 2 - ih / 2, image, true);
        }
        else
        {
            CorrectTextByWidth(c, text, RectWidth(t));
            const int tw = c->TextWidth(text);
            if (align == taRightJustify) x = t.Right - tw;
            else if (align == taCenter) x = t.Left + RectWidth(t) / 2 - tw / 2;
        }
        const int y = t.Top + RectHeight(t) / 2 - c->TextHeight(text) / 2;
        c->TextRect(t, x, y, text);
    }
    Cnvs->Draw(R.Left, R.Top, &b);
}
