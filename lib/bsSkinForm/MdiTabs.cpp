// The MDI tabs bar and its tabs: layout, the four tab looks with caption and
// close button, hover, click to activate, close from a tab, drag to reorder;
// and the form component's side that keeps the bar in step with the children.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>

#include "lib/bsUtils.h"

namespace
{
constexpr int kListButtonWidth = 15;

TColor SkinColor(int c) { return TColor(c); }

void SetFont(TFont* f, const std::string& name, TbsFontStyles st, int height)
{
    f->SetName(name);
    f->SetHeight(height);
    TFontStyles s;
    if (st.Has(TbsFontStyles::Bold)) s.Include(fsBold);
    if (st.Has(TbsFontStyles::Italic)) s.Include(fsItalic);
    if (st.Has(TbsFontStyles::Underline)) s.Include(fsUnderline);
    if (st.Has(TbsFontStyles::StrikeOut)) s.Include(fsStrikeOut);
    f->SetStyle(s);
}

bool InRectIncl(const TRect& r, int x, int y) { return x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom; }
}  // namespace

// ---------------------------------------------------------------------------
// TbsMDITab

TbsMDITab::TbsMDITab(TbsSkinMDITabsBar* AParentBar, TCustomForm* AChild) : TabsBar(AParentBar), Child(AChild) {}

void TbsMDITab::DrawCaption(TCanvas* C, TRect R, TColor Color, bool FireEvent)
{
    TbsSkinMDITabsBar* b = TabsBar;
    if (b->UseSkinFont && b->SkinEntry()) SetFont(C->Font(), b->FontName, b->FontStyle, b->FontHeight);
    else C->Font()->Assign(b->DefaultFont());
    if (b->SkinEntry() || b->TabKind() == bstkButton) C->Font()->SetColor(Color);
    std::string text = Child ? Child->GetText() : std::string();
    CorrectTextByWidthW(C->GetHandle(), text, std::max(0, R.Width()));
    C->Brush()->SetStyle(bsClear);
    if (FireEvent && b->OnTabGetDrawParamsEvent) b->OnTabGetDrawParamsEvent(this, C);
    // Drawn on the device context itself, which keeps its own background
    // mode: the label lies on the tab, with no box behind it, unless the
    // event asked for a brush.
    const HDC dc = C->GetHandle();
    const int oldMode = SetBkMode(dc, C->Brush()->GetStyle() == bsClear ? TRANSPARENT : OPAQUE);
    if (C->Brush()->GetStyle() != bsClear) SetBkColor(dc, ColorToRGB(C->Brush()->GetColor()));
    DrawTextUnicode(dc, text, R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(dc, oldMode);
}

void TbsMDITab::Draw(TCanvas* Cnvs)
{
    const int W = ObjectRect.Width(), H = ObjectRect.Height();
    if (W <= 0 || H <= 0) return;
    TbsSkinMDITabsBar* b = TabsBar;
    if (b->TabKind() == bstkButton && b->SkinEntry()) return ButtonDraw(Cnvs);
    if (b->SkinEntry() && !b->UseSkinSize) return ResizeDraw(Cnvs);
    TBitmap bmp(W, H, pf32bit);
    TCanvas* c = bmp.Canvas();
    TRect text;
    if (!b->SkinEntry())
    {
        // The skinless look.
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Active ? TColor(0xB59385) : MouseIn ? TColor(0xD2BDB6) : clBtnFace);
        c->FillRect(TRect(0, 0, W, H));
        text = b->ShowCloseButtons ? TRect(2, 0, W - b->FCloseSize - 5, H) : TRect(2, 0, W - 2, H);
        DrawCaption(c, text, b->DefaultFont()->GetColor(), true);
    }
    else
    {
        // The tab picture stretched sideways.
        const TRect src = Active ? b->ActiveTabRect : MouseIn ? b->MouseInTabRect : b->TabRect;
        const TColor color = Active ? b->ActiveFontColor : MouseIn ? b->MouseInFontColor : b->FontColor;
        if (b->Picture) CreateHSkinImage(b->TabLeftOffset, b->TabRightOffset, &bmp, b->Picture, src, W, H, b->TabStretchEffect);
        text = b->ShowCloseButtons ? TRect(2, 0, W - b->FCloseSize - 5, H)
                                   : TRect(b->TabLeftOffset, 0, W - b->TabRightOffset, H);
        DrawCaption(c, text, color, false);
    }
    if (b->ShowCloseButtons) DrawCloseButton(c, TRect(text.Right, 0, W, H));
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::ResizeDraw(TCanvas* Cnvs)
{
    const int W = ObjectRect.Width(), H = ObjectRect.Height();
    if (W <= 0) return;
    TbsSkinMDITabsBar* b = TabsBar;
    const int BH = Active ? H + b->FActiveTabOffset : H;
    if (BH <= 0) return;
    TBitmap bmp(W, BH, pf32bit);
    TRect src = b->TabRect;
    TColor color = b->FontColor;
    if (MouseIn && !Active && !IsEmptyRect(b->MouseInTabRect)) src = b->MouseInTabRect, color = b->MouseInFontColor;
    else if (Active) src = b->ActiveTabRect, color = b->ActiveFontColor;
    const int q = b->TabRect.Height() / 4;
    if (b->Picture)
        CreateSkinImageByClRect(&bmp, b->Picture, src,
                                TRect(b->TabLeftOffset, q, src.Width() - b->TabRightOffset, src.Height() - q), true);
    TCanvas* c = bmp.Canvas();
    const TRect text = b->ShowCloseButtons ? TRect(2, 2, W - b->FCloseSize - 5, BH) : TRect(2, 0, W - 2, BH);
    DrawCaption(c, text, color, true);
    if (b->ShowCloseButtons) DrawCloseButton(c, TRect(text.Right, 2, W, BH));
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::ButtonDraw(TCanvas* Cnvs)
{
    const int W = ObjectRect.Width(), H = ObjectRect.Height();
    TbsSkinMDITabsBar* b = TabsBar;
    TbsSkinData* sd = b->SkinData();
    if (W <= 0 || H <= 0 || !sd) return;
    auto* e = dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(sd, sd->GetControlIndex("resizebutton")));
    TBitmap* pic = e ? bsSkinActiveBitmap(sd, e->PictureIndex) : nullptr;
    if (!e || !pic) return;
    const int dx = W - e->SkinRect.Width(), dy = H - e->SkinRect.Height();
    const TRect hot = IsEmptyRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
    const TRect down = IsEmptyRect(e->DownSkinRect) ? hot : e->DownSkinRect;
    const TRect src = Active ? down : MouseIn ? hot : e->SkinRect;
    const TColor color = SkinColor(Active ? e->DownFontColor : MouseIn ? e->ActiveFontColor : e->FontColor);
    TRect cr(e->ClRect.Left, e->ClRect.Top, e->ClRect.Right + dx, e->ClRect.Bottom + dy);
    TBitmap bmp(W, H, pf32bit);
    CreateSkinImage(e->LTPoint, e->RTPoint, e->LBPoint, e->RBPoint, e->ClRect, e->LTPoint,
                    TPoint(e->RTPoint.X + dx, e->RTPoint.Y), TPoint(e->LBPoint.X, e->LBPoint.Y + dy),
                    TPoint(e->RBPoint.X + dx, e->RBPoint.Y + dy), cr, &bmp, pic, src, W, H, true, e->LeftStretch,
                    e->TopStretch, e->RightStretch, e->BottomStretch, e->StretchEffect, e->StretchType);
    TCanvas* c = bmp.Canvas();
    TRect text = cr;
    if (b->ShowCloseButtons) text.Right -= b->FCloseSize + 3;
    const int th = c->TextHeight("Wg");
    if (text.Height() < th) text = TRect(text.Left, H / 2 - th / 2, text.Right, H / 2 - th / 2 + th);
    DrawCaption(c, text, color, true);
    if (b->ShowCloseButtons) DrawCloseButton(c, TRect(text.Right, 0, text.Right + b->FCloseSize + 3, H));
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::DrawCloseButton(TCanvas* Cnvs, const TRect& R)
{
    TbsSkinMDITabsBar* b = TabsBar;
    const int cy = R.Top + R.Height() / 2;
    if (!b->SkinEntry())
    {
        ButtonRect = TRect(R.Left, cy - 7, R.Left + 14, cy + 7);
        DrawCloseGlyph(Cnvs->GetHandle(), ButtonRect.Left + 2, ButtonRect.Top + 2,
                       ButtonMouseIn ? RGB(255, 255, 255) : RGB(0, 0, 0));
        return;
    }
    if (!IsEmptyRect(b->CloseButtonRect) && b->Picture)
    {
        const TRect S = ButtonMouseDown && ButtonMouseIn ? b->CloseButtonDownRect
                        : ButtonMouseIn                  ? b->CloseButtonActiveRect
                                                         : b->CloseButtonRect;
        ButtonRect = TRect(R.Left, cy - S.Height() / 2, R.Left + S.Width(), cy - S.Height() / 2 + S.Height());
        if (!b->ButtonTransparent)
            Cnvs->CopyRect(ButtonRect, b->Picture->Canvas(), S);
        else
        {
            TBitmap part(S.Width(), S.Height(), pf24bit);
            part.Canvas()->CopyRect(TRect(0, 0, S.Width(), S.Height()), b->Picture->Canvas(), S);
            part.SetTransparentColor(b->ButtonTransparentColor);
            part.SetTransparent(true);
            Cnvs->Draw(ButtonRect.Left, ButtonRect.Top, &part);
        }
        return;
    }
    TbsSkinData* sd = b->SkinData();
    auto* e = sd ? dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(sd, sd->GetControlIndex("resizetoolbutton")))
                 : nullptr;
    TBitmap* pic = e ? bsSkinActiveBitmap(sd, e->PictureIndex) : nullptr;
    if (!e || !pic) return;
    const int n = b->FCloseSize, dx = n - e->SkinRect.Width(), dy = n - e->SkinRect.Height();
    const TRect hot = IsEmptyRect(e->ActiveSkinRect) ? e->SkinRect : e->ActiveSkinRect;
    const TRect down = IsEmptyRect(e->DownSkinRect) ? hot : e->DownSkinRect;
    const TRect src = ButtonMouseDown && ButtonMouseIn ? down : ButtonMouseIn ? hot : e->SkinRect;
    const int color = ButtonMouseDown && ButtonMouseIn ? e->DownFontColor : ButtonMouseIn ? e->ActiveFontColor : e->FontColor;
    TBitmap bmp(n, n, pf32bit);
    CreateSkinImage(e->LTPoint, e->RTPoint, e->LBPoint, e->RBPoint, e->ClRect, e->LTPoint,
                    TPoint(e->RTPoint.X + dx, e->RTPoint.Y), TPoint(e->LBPoint.X, e->LBPoint.Y + dy),
                    TPoint(e->RBPoint.X + dx, e->RBPoint.Y + dy),
                    TRect(e->ClRect.Left, e->ClRect.Top, e->ClRect.Right + dx, e->ClRect.Bottom + dy), &bmp, pic, src,
                    n, n, true, e->LeftStretch, e->TopStretch, e->RightStretch, e->BottomStretch, e->StretchEffect,
                    e->StretchType);
    DrawCloseGlyph(bmp.Canvas()->GetHandle(), n / 2 - 5, n / 2 - 5, ColorToRGB(SkinColor(color)));
    ButtonRect = TRect(R.Left, cy - n / 2, R.Left + n, cy - n / 2 + n);
    Cnvs->Draw(ButtonRect.Left, ButtonRect.Top, &bmp);
}

// ---------------------------------------------------------------------------
// TbsSkinMDITabsBar

TbsSkinMDITabsBar::TbsSkinMDITabsBar(TComponent* AOwner) : TbsSkinControl(AOwner)
{
    FSkinDataName = "tab";
    FDefaultFont = std::make_unique<TFont>();
    FDefaultFont->SetName("Arial");
    FDefaultFont->SetHeight(14);
    SetBounds(Left(), Top(), 150, FDefaultHeight);
    FListMenu = new TbsSkinPopupMenu(this);
    FHideListMenu = new TbsSkinPopupMenu(this);
}

TbsSkinMDITabsBar::~TbsSkinMDITabsBar()
{
    delete FListButton;
    delete FHideListButton;
}

void TbsSkinMDITabsBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == SkinForm) SkinForm = nullptr;
    if (AComponent == FListButton) FListButton = nullptr;
    if (AComponent == FHideListButton) FHideListButton = nullptr;
    // A child freed while its tab is shown (its window's last messages may
    // no longer reach its skinning component): the tab goes with it.
    for (const auto& t : ObjectList)
        if (t->Child == AComponent)
        {
            DeleteTab(t->Child);
            break;
        }
}

void TbsSkinMDITabsBar::SetTabKind(TbsSkinMDITabKind Value)
{
    FTabKind = Value;
    if (FIndex != -1) Invalidate();
}

void TbsSkinMDITabsBar::SetDefaultHeight(int Value)
{
    FDefaultHeight = Value;
    if (FIndex == -1 && Value > 0) SetHeight(Value);
}

int TbsSkinMDITabsBar::GetCloseSize() const
{
    return FIndex == -1 || IsEmptyRect(CloseButtonRect) ? 14 : CloseButtonRect.Width();
}

void TbsSkinMDITabsBar::GetSkinData()
{
    TbsSkinControl::GetSkinData();
    auto* d = dynamic_cast<const TbsDataSkinTabControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d)
    {
        FIndex = -1;
        Picture = nullptr;
        return;
    }
    Picture = bsSkinActiveBitmap(FSD, d->PictureIndex);
    TabRect = d->TabRect;
    ActiveTabRect = IsEmptyRect(d->ActiveTabRect) ? d->TabRect : d->ActiveTabRect;
    MouseInTabRect = IsEmptyRect(d->MouseInTabRect) ? d->TabRect : d->MouseInTabRect;
    TabsBGRect = d->TabsBGRect;
    TabLeftOffset = d->TabLeftOffset;
    TabRightOffset = d->TabRightOffset;
    FontName = d->FontName;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    FontColor = SkinColor(d->FontColor);
    ActiveFontColor = SkinColor(d->ActiveFontColor);
    MouseInFontColor = SkinColor(d->MouseInFontColor);
    TabStretchEffect = d->TabStretchEffect;
    CloseButtonRect = d->CloseButtonRect;
    CloseButtonActiveRect = IsEmptyRect(d->CloseButtonActiveRect) ? d->CloseButtonRect : d->CloseButtonActiveRect;
    CloseButtonDownRect = IsEmptyRect(d->CloseButtonDownRect) ? CloseButtonActiveRect : d->CloseButtonDownRect;
    ButtonTransparent = d->ButtonTransparent;
    ButtonTransparentColor = SkinColor(d->ButtonTransparentColor);
    LTPoint = d->LTPoint;
    RTPoint = d->RTPoint;
    LBPoint = d->LBPoint;
    RBPoint = d->RBPoint;
    SkinRect = d->SkinRect;
    ClRect = d->ClRect;
    TopStretch = d->TopStretch;
    FBottomOffset = d->ClRect.Top;
    FActiveTabOffset = ActiveTabRect.Height() - TabRect.Height();
}

void TbsSkinMDITabsBar::ChangeSkinData()
{
    TbsSkinControl::ChangeSkinData();
    FCloseSize = GetCloseSize();
    if (FIndex != -1 && UseSkinSize)
        SetHeight(TabRect.Height() + (FTabKind == bstkTab ? FBottomOffset : 0));
    else if (FDefaultHeight > 0)
        SetHeight(FDefaultHeight);
    for (TbsSkinMenuSpeedButton* b : {FListButton, FHideListButton})
        if (b) b->SetSkinData(FSD);
    Realign();
    Invalidate();
}

void TbsSkinMDITabsBar::AdjustClientRect(TRect& Rect)
{
    TbsSkinControl::AdjustClientRect(Rect);
    if (FTabKind == bstkTab && FIndex != -1) Rect.Bottom -= FBottomOffset;
}

void TbsSkinMDITabsBar::AddTab(TCustomForm* Child)
{
    if (!Child) return;
    Child->FreeNotification(this);
    ObjectList.push_back(std::make_unique<TbsMDITab>(this, Child));
    if (!FListButton) FListButton = MakeListButton(alLeft, FListMenu, 4);
    Invalidate();
}

void TbsSkinMDITabsBar::DeleteTab(TCustomForm* Child)
{
    if (ActiveTabIndex >= 0 && ActiveTabIndex < TabCount() && Tabs(ActiveTabIndex)->Child == Child)
    {
        if (OnTabMouseLeave) OnTabMouseLeave(Tabs(ActiveTabIndex));
        ActiveTabIndex = OldTabIndex = -1;
    }
    for (auto it = ObjectList.begin(); it != ObjectList.end(); ++it)
        if ((*it)->Child == Child)
        {
            if (Child) Child->RemoveFreeNotification(this);
            const int i = int(it - ObjectList.begin());
            ObjectList.erase(it);
            // A drag of this tab or after it has lost its index.
            if (DragIndex >= i) DragIndex = -1, IsDrag = FDown = false;
            break;
        }
    if (ObjectList.empty() && FListButton)
    {
        delete FListButton;
        FListButton = nullptr;
    }
    Invalidate();
}

void TbsSkinMDITabsBar::UpdateActiveTab()
{
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    TCustomForm* active = mf ? mf->ActiveMDIChild() : nullptr;
    if (!active) return;
    for (auto& t : ObjectList) t->Active = t->Child == active;
    Invalidate();
}

int TbsSkinMDITabsBar::GetTabIndex(int X, int Y) const
{
    for (int i = 0; i < TabCount(); ++i)
        if (Tabs(i)->Visible && InRectIncl(Tabs(i)->ObjectRect, X, Y)) return i;
    return -1;
}

TbsMDITab* TbsSkinMDITabsBar::GetTab(int X, int Y) const
{
    const int i = GetTabIndex(X, Y);
    return i == -1 ? nullptr : Tabs(i);
}

bool TbsSkinMDITabsBar::Alive(const TbsMDITab* Tab) const
{
    return std::any_of(ObjectList.begin(), ObjectList.end(), [Tab](const auto& t) { return t.get() == Tab; });
}

TRect TbsSkinMDITabsBar::CloseRectOnBar(const TbsMDITab* Tab) const
{
    TRect r = Tab->ButtonRect;
    OffsetRect(r, Tab->ObjectRect.Left, Tab->ObjectRect.Top);
    return r;
}

void TbsSkinMDITabsBar::CalcTabRects()
{
    const int n = TabCount();
    FInVisibleCount = 0;
    if (n == 0) return;
    const int H = FTabKind == bstkTab ? Height() - FBottomOffset : Height();
    int w = (Width() - kListButtonWidth) / n;
    if (DefaultTabWidth < w) w = DefaultTabWidth;
    if (MinTabWidth != 0 && w < MinTabWidth)
    {
        const int fit = (Width() - 2 * kListButtonWidth) / MinTabWidth;
        for (int i = 0; i < n; ++i)
        {
            TbsMDITab* t = Tabs(i);
            t->Visible = i < fit;
            t->ObjectRect = t->Visible ? TRect(kListButtonWidth + i * MinTabWidth, 0,
                                               kListButtonWidth + (i + 1) * MinTabWidth, H)
                                       : TRect();
            if (!t->Visible) ++FInVisibleCount;
        }
        FDragRight = Width() - kListButtonWidth;
    }
    else
    {
        for (int i = 0; i < n; ++i)
        {
            Tabs(i)->Visible = true;
            Tabs(i)->ObjectRect = TRect(kListButtonWidth + i * w, 0, kListButtonWidth + (i + 1) * w, H);
        }
        if (w < DefaultTabWidth) Tabs(n - 1)->ObjectRect.Right = Width();
        FDragRight = Width();
    }
    if (DragIndex != -1 && IsDrag && DragIndex < n)
    {
        TRect& r = Tabs(DragIndex)->ObjectRect;
        OffsetRect(r, TabDX, 0);
        if (r.Right > FDragRight) OffsetRect(r, FDragRight - r.Right, 0);
        if (r.Left < 0) OffsetRect(r, -r.Left, 0);
    }
}

int TbsSkinMDITabsBar::GetMoveIndex() const
{
    if (DragIndex < 0 || DragIndex >= TabCount() || TabDX == 0) return -1;
    const TRect d = Tabs(DragIndex)->ObjectRect;
    int found = -1;
    if (TabDX > 0)
    {
        for (int i = DragIndex + 1; i < TabCount(); ++i)
        {
            const TRect& r = Tabs(i)->ObjectRect;
            if (Tabs(i)->Visible && r.Left + r.Width() / 2 < d.Right) found = i;
        }
    }
    else
        for (int i = 0; i < DragIndex; ++i)
        {
            const TRect& r = Tabs(i)->ObjectRect;
            if (Tabs(i)->Visible && r.Left + r.Width() / 2 > d.Left) return i;
        }
    return found;
}

void TbsSkinMDITabsBar::DrawTabs(TBitmap* B)
{
    if (ObjectList.empty()) return;
    CalcTabRects();
    TCanvas* c = B->Canvas();
    for (int i = 0; i < TabCount(); ++i)
        if (Tabs(i)->Visible && !(IsDrag && i == DragIndex)) Tabs(i)->Draw(c);
    if (!IsDrag || DragIndex < 0 || DragIndex >= TabCount()) return;
    Tabs(DragIndex)->Draw(c);
    // The drop marker: where the dragged tab would land.
    const int t = GetMoveIndex();
    if (t == -1) return;
    const TRect& r = Tabs(t)->ObjectRect;
    const int x = TabDX < 1 ? r.Left : r.Right, M = Height() / 2;
    c->Pen()->SetMode(pmNot);
    c->Brush()->SetStyle(bsClear);
    for (int dx : {-1, 0, 1})
    {
        c->MoveTo(x + dx, 0);
        c->LineTo(x + dx, Height());
    }
    for (int s : {1, -1})
    {
        c->MoveTo(x + 2 * s, M);
        c->LineTo(x + 5 * s, M - 3);
        c->LineTo(x + 5 * s, M + 3);
        c->LineTo(x + 2 * s, M);
    }
    c->Pen()->SetMode(pmCopy);
}

void TbsSkinMDITabsBar::CreateControlDefaultImage(TBitmap* B)
{
    TCanvas* c = B->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
    DrawTabs(B);
}

void TbsSkinMDITabsBar::CreateControlSkinImage(TBitmap* B)
{
    TCanvas* c = B->Canvas();
    const int H = FTabKind == bstkTab ? Height() - FBottomOffset : Height();
    const int cellW = TabsBGRect.Width();
    if (FSD && FSD->MDITabsTransparent)
        DrawParentImage(this, c);
    else if (Picture && cellW > 0 && TabRect.Width() > 0 && TabRect.Height() > 0)
    {
        // Background cells; a background piece of no width draws none.
        TBitmap cell(TabRect.Width(), TabRect.Height(), pf32bit);
        cell.Canvas()->CopyRect(TRect(0, 0, cell.GetWidth(), cell.GetHeight()), Picture->Canvas(), TabsBGRect);
        for (int k = 0; k <= B->GetWidth() / cellW; ++k)
            c->StretchDraw(TRect(k * cellW, 0, (k + 1) * cellW, H), &cell);
    }
    else
    {
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
    }
    if (FTabKind == bstkTab && !IsEmptyRect(SkinRect) && FBottomOffset > 0 && Picture)
    {
        // The strip under the tabs: the entry's top band, its ends fixed.
        TBitmap strip(B->GetWidth(), FBottomOffset, pf32bit);
        CreateHSkinImage(LTPoint.X, SkinRect.Width() - RTPoint.X, &strip, Picture,
                         TRect(SkinRect.Left, SkinRect.Top, SkinRect.Right, SkinRect.Top + ClRect.Top),
                         B->GetWidth(), FBottomOffset, TopStretch);
        c->Draw(0, B->GetHeight() - FBottomOffset, &strip);
    }
    DrawTabs(B);
}

void TbsSkinMDITabsBar::TestActive(int X, int Y)
{
    ActiveTabIndex = GetTabIndex(X, Y);
    if (ActiveTabIndex != OldTabIndex)
    {
        if (OldTabIndex >= 0 && OldTabIndex < TabCount() && Tabs(OldTabIndex)->Visible)
        {
            TbsMDITab* t = Tabs(OldTabIndex);
            t->MouseIn = false;
            Invalidate();  // the tab is drawn at the next paint
            if (OnTabMouseLeave) OnTabMouseLeave(t);
        }
        if (ActiveTabIndex >= 0 && ActiveTabIndex < TabCount())
        {
            TbsMDITab* t = Tabs(ActiveTabIndex);
            t->MouseIn = true;
            Invalidate();  // the tab is drawn at the next paint
            if (OnTabMouseEnter) OnTabMouseEnter(t);
        }
        OldTabIndex = ActiveTabIndex;
        if (ShowCloseButtons)
        {
            bool any = false;
            for (int i = 0; i < TabCount(); ++i)
                if (i != ActiveTabIndex && Tabs(i)->ButtonMouseIn)
                {
                    Tabs(i)->ButtonMouseIn = Tabs(i)->ButtonMouseDown = false;
                    any = true;
                }
            if (any) Invalidate();
        }
    }
    if (ShowCloseButtons && ActiveTabIndex >= 0 && ActiveTabIndex < TabCount())
    {
        TbsMDITab* t = Tabs(ActiveTabIndex);
        const bool in = InRectIncl(CloseRectOnBar(t), X, Y) && X < CloseRectOnBar(t).Right && Y < CloseRectOnBar(t).Bottom;
        if (in != t->ButtonMouseIn)
        {
            t->ButtonMouseIn = in;
            if (!in) t->ButtonMouseDown = false;
            Invalidate();  // the tab is drawn at the next paint
        }
    }
}

void TbsSkinMDITabsBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TbsSkinControl::MouseDown(Button, Shift, X, Y);
    const int index = GetTabIndex(X, Y);
    if (index == -1) return;
    TbsMDITab* t = Tabs(index);
    if (Button == mbLeft)
    {
        TCustomForm* child = t->Child;
        if (TbsSkinForm* sf = FindSkinForm(child); sf && sf->WindowState() == wsMinimized) sf->ChangeWindowState(wsNormal);
        child->Show();
        UpdateActiveTab();
        if (!Alive(t)) return;
        FDown = true;
        if (MoveTabs) DragIndex = index;
        DX = X;
        TabDX = 0;
        if (OnTabMouseDown) OnTabMouseDown(Button, Shift, t);
        if (!Alive(t)) return;
        if (ShowCloseButtons)
        {
            const TRect cr = CloseRectOnBar(t);
            if (X >= cr.Left && X < cr.Right && Y >= cr.Top && Y < cr.Bottom)
            {
                FDown = false;
                DragIndex = -1;
                t->ButtonMouseIn = t->ButtonMouseDown = true;
                Invalidate();  // the tab is drawn at the next paint
            }
            else
                t->ButtonMouseIn = t->ButtonMouseDown = false;
        }
    }
    else if (Button == mbRight)
    {
        // The child's system menu at the click, through the main form's menus.
        if (TbsSkinForm* csf = FindSkinForm(t->Child); SupportChildMenus && csf && SkinForm)
        {
            const TPoint p = ClientToScreen(TPoint(X, Y));
            SkinForm->SkinMenuOpen();
            SkinForm->SkinMenu->Popup(Parent(), SkinForm->MenusSkinData() ? SkinForm->MenusSkinData() : SkinForm->SkinData(),
                                      0, TRect(p.X, p.Y, p.X, p.Y), csf->GetSystemMenuItems(), false);
            if (!Alive(t)) return;
        }
        if (OnTabMouseDown) OnTabMouseDown(Button, Shift, t);
    }
}

void TbsSkinMDITabsBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinControl::MouseMove(Shift, X, Y);
    if (FDown && DragIndex != -1 && !IsDrag && X != DX) IsDrag = true;
    if (IsDrag)
    {
        TabDX = X - DX;
        Invalidate();
    }
    else
        TestActive(X, Y);
}

void TbsSkinMDITabsBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TbsSkinControl::MouseUp(Button, Shift, X, Y);
    FDown = false;
    if (IsDrag)
    {
        CalcTabRects();
        const int to = GetMoveIndex();
        IsDrag = false;
        if (to != -1 && to != DragIndex && DragIndex >= 0 && DragIndex < TabCount())
        {
            auto moved = std::move(ObjectList[std::size_t(DragIndex)]);
            ObjectList.erase(ObjectList.begin() + DragIndex);
            ObjectList.insert(ObjectList.begin() + to, std::move(moved));
        }
        DragIndex = -1;
        DX = TabDX = 0;
        Invalidate();
        return;
    }
    DragIndex = -1;
    if (OnTabMouseUp)
        if (TbsMDITab* t = GetTab(X, Y)) OnTabMouseUp(Button, Shift, t);
    // The handler may have closed children: the tab is looked up again.
    TbsMDITab* t = GetTab(X, Y);
    if (Button != mbLeft || !ShowCloseButtons || !t) return;
    const TRect cr = CloseRectOnBar(t);
    if (t->ButtonMouseDown && X >= cr.Left && X < cr.Right && Y >= cr.Top && Y < cr.Bottom)
    {
        t->ButtonMouseIn = true;
        t->ButtonMouseDown = false;
        Invalidate();  // the tab is drawn at the next paint
        CloseTab(t);
    }
    else
        t->ButtonMouseIn = t->ButtonMouseDown = false;
}

void TbsSkinMDITabsBar::CMMouseLeave(TMessage& m)
{
    TbsSkinControl::CMMouseLeave(m);
    TestActive(-1, -1);
}

void TbsSkinMDITabsBar::Paint()
{
    TbsSkinControl::Paint();
    // The hidden-tabs button comes with the first hidden tab and goes with the last.
    if (FInVisibleCount > 0 && !FHideListButton)
    {
        FHideListButton = MakeListButton(alRight, FHideListMenu, 2);
        FHideListButton->Invalidate();
    }
    else if (FInVisibleCount == 0 && FHideListButton)
    {
        FHideListButton->SetVisible(false);
        delete FHideListButton;
        FHideListButton = nullptr;
    }
}

TbsSkinMenuSpeedButton* TbsSkinMDITabsBar::MakeListButton(TAlign Align, TbsSkinPopupMenu* Menu, int ArrowType)
{
    auto* b = new TbsSkinMenuSpeedButton(this);
    b->SkinDataName = "resizetoolbutton";
    b->SetSkinData(FSD);
    b->SetWidth(kListButtonWidth);
    b->SetAlign(Align);
    b->SetParent(this);
    b->SetSkinPopupMenu(Menu);
    b->FDrawStandardArrow = true;
    b->FArrowType = ArrowType;
    const bool hiddenOnly = Menu == FHideListMenu;
    b->OnShowTrackMenu = [this, Menu, hiddenOnly](TObject*) { FillListMenu(Menu, hiddenOnly); };
    return b;
}

void TbsSkinMDITabsBar::FillListMenu(TbsSkinPopupMenu* Menu, bool HiddenOnly)
{
    const std::string suffix = HiddenOnly ? "_BSFCHILDITEMBARHIDE" : "_BSFCHILDITEMBAR";
    Menu->Items()->Clear();
    // The form's skinned menus show the list.
    if (SkinForm) Menu->SkinComponent = SkinForm;
    for (const auto& t : ObjectList)
    {
        if (HiddenOnly && t->Visible) continue;
        auto* mi = new TMenuItem(this);
        mi->SetName(t->Child->Name() + suffix);
        mi->SetCaption(t->Child->GetText());
        mi->SetRadioItem(true);
        mi->SetGroupIndex(0);
        mi->SetChecked(t->Active);
        mi->OnClick = [this, suffix](TObject* s) { ListItemClick(s, suffix); };
        Menu->Items()->Add(mi);
    }
}

void TbsSkinMDITabsBar::ListItemClick(TObject* Sender, const std::string& Suffix)
{
    auto* mi = dynamic_cast<TMenuItem*>(Sender);
    if (!SkinForm || !mi) return;
    std::string name = mi->Name();
    if (const auto at = name.find(Suffix); at != std::string::npos) name.erase(at, Suffix.size());
    for (TCustomForm* c : bsskinform::MDIChildList(SkinForm->Form()))
        if (c->Name() == name)
        {
            if (TbsSkinForm* sf = FindSkinForm(c); sf && sf->WindowState() == wsMinimized)
                sf->ChangeWindowState(wsNormal);
            c->Show();
        }
    UpdateActiveTab();
}

void TbsSkinMDITabsBar::CloseTab(TbsMDITab* Tab)
{
    if (Alive(Tab) && Tab->Child) Tab->Child->Close();
}

// ---------------------------------------------------------------------------
// The form component's side

void TbsSkinForm::AddChildToBar(TCustomForm* Child)
{
    if (!MDITabsBar || !Child) return;
    MDITabsBar->FreeNotification(this);
    bool accept = true;
    if (TbsSkinForm* sf = FindSkinForm(Child); sf && sf->OnAcceptToMDITabsBar) sf->OnAcceptToMDITabsBar(sf, accept);
    if (accept) MDITabsBar->AddTab(Child);
}

void TbsSkinForm::DeleteChildFromBar(TCustomForm* Child)
{
    if (MDITabsBar) MDITabsBar->DeleteTab(Child);
}

void TbsSkinForm::RefreshMDIBarTab(TCustomForm* Child)
{
    if (!MDITabsBar) return;
    for (int i = 0; i < MDITabsBar->TabCount(); ++i)
        if (MDITabsBar->Tabs(i)->Child == Child) MDITabsBar->Invalidate();
}

void TbsSkinForm::UpdateMDITabsBar()
{
    if (MDITabsBar) MDITabsBar->UpdateActiveTab();
}
