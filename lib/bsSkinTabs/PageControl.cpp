// The skinned page control's behaviour: the skin entry, the display and tab
// rectangles reshaped to the skin's frame, the hot tab, centred or offset
// tabs (the mouse shifted before the native control sees it), and the
// skinned up-down that replaces the native arrow pair of a long row.
#include "lib/bsSkinTabs.h"
#include "lib/bsSkinCtrls/Common.h"

using namespace bsctrls;

TbsSkinPageControl::TbsSkinPageControl(TComponent* AOwner)
    : TbsSkinLink<TPageControl>(AOwner), FDefaultFont(MakeDefaultFont())
{
    FDefaultFont->SetColor(clBtnText);
    Font()->Assign(FDefaultFont.get());
    SetCtl3D(false);
}

TbsSkinPageControl::~TbsSkinPageControl() { FSkinUpDown = nullptr; }

void TbsSkinPageControl::DropSkinReferences()
{
    TbsSkinLink<TPageControl>::DropSkinReferences();
    Picture = nullptr;
}

void TbsSkinPageControl::SetSkinData(TbsSkinData* Value)
{
    LinkStore(Value);
    if (Value && !Value->Empty && !(ComponentState() & csDesigning)) ChangeSkinData();
}

void TbsSkinPageControl::GetSkinData()
{
    BGPictureIndex = -1;
    FIndex = bsSkinControlIndex(FSD, FSkinDataName);
    const auto* d = dynamic_cast<const TbsDataSkinTabControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d)
    {
        // Another kind of entry under the name: the default look.
        FIndex = -1;
        Picture = nullptr;
        return;
    }
    Picture = bsSkinActiveBitmap(FSD, d->PictureIndex);
    SkinRect = d->SkinRect;
    ClRect = d->ClRect;
    TabRect = d->TabRect;
    ActiveTabRect = IsEmptyRect(d->ActiveTabRect) ? TabRect : d->ActiveTabRect;
    FocusTabRect = IsEmptyRect(d->FocusTabRect) ? ActiveTabRect : d->FocusTabRect;
    MouseInTabRect = d->MouseInTabRect;
    TabsBGRect = d->TabsBGRect;
    LTPoint = d->LTPoint;
    RTPoint = d->RTPoint;
    LBPoint = d->LBPoint;
    RBPoint = d->RBPoint;
    TabLeftOffset = d->TabLeftOffset;
    TabRightOffset = d->TabRightOffset;
    FontName = d->FontName;
    FontColor = d->FontColor;
    ActiveFontColor = d->ActiveFontColor;
    FocusFontColor = d->FocusFontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    UpDown = d->UpDown;
    BGPictureIndex = d->BGPictureIndex;
    MouseInFontColor = d->MouseInFontColor;
    TabStretchEffect = d->TabStretchEffect;
    ShowFocus = d->ShowFocus;
    FocusOffsetX = d->FocusOffsetX;
    FocusOffsetY = d->FocusOffsetY;
    LeftStretch = d->LeftStretch;
    TopStretch = d->TopStretch;
    RightStretch = d->RightStretch;
    BottomStretch = d->BottomStretch;
    StretchEffect = d->StretchEffect;
    StretchType = d->StretchType;
}

void TbsSkinPageControl::SetItemHeight(int h)
{
    Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(GetTabWidth(), std::max(0, h)));
    UpdateUpDownPosition();
    Realign();
}

void TbsSkinPageControl::ChangeSkinData()
{
    GetSkinData();
    int h = GetTabHeight();
    if (FIndex == -1)
    {
        Font()->Assign(FDefaultFont.get());
        if (FSD && FSD->ResourceStrData()) Font()->SetCharset(FSD->ResourceStrData()->CharSet());
        if (h <= 0) h = FDefaultItemHeight;
    }
    else
    {
        if (UseSkinFont) SetSkinFont(Font(), FontName, FontStyle, FontHeight);
        else Font()->Assign(FDefaultFont.get());
        SetStringTableCharset(Font(), FSD, FDefaultFont.get());
        Font()->SetColor(TColor(FontColor));
        if (h <= 0) h = RectHeight(TabRect);
    }
    SetItemHeight(h);
    if (FSkinUpDown)
    {
        FreeUpDown();
        CheckScroll();
    }
    if (GetActivePage()) GetActivePage()->Invalidate();
    Invalidate();
}

void TbsSkinPageControl::Loaded()
{
    TPageControl::Loaded();
    if (FIndex == -1) SetItemHeight(GetTabHeight() > 0 ? GetTabHeight() : FDefaultItemHeight);
}

void TbsSkinPageControl::UpDateTabs()
{
    int h = GetTabHeight();
    if (h <= 0) h = FIndex == -1 ? FDefaultItemHeight : RectHeight(TabRect);
    Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(GetTabWidth(), h));
    if (GetMultiLine()) FreeUpDown();
    Realign();
}

void TbsSkinPageControl::SetDefaultItemHeight(int Value)
{
    FDefaultItemHeight = Value;
    if (FIndex == -1) SetItemHeight(Value);
}

void TbsSkinPageControl::SetTextInHorizontal(bool Value)
{
    FTextInHorizontal = Value;
    Invalidate();
}

void TbsSkinPageControl::SetTabsInCenter(bool Value)
{
    if (GetTabWidth() == 0)
    {
        FTabsInCenter = false;
        return;
    }
    FTabsInCenter = Value;
    if (Value && GetTabPosition() != tpTop) SetTabPosition(tpTop);
    if (FTabsInCenter && GetMultiLine()) SetMultiLine(false);
    Invalidate();
}

void TbsSkinPageControl::SetTabsOffset(int Value)
{
    FTabsOffset = Value;
    if (Value > 0)
    {
        if (GetTabPosition() != tpTop) SetTabPosition(tpTop);
        if (GetMultiLine()) SetMultiLine(false);
    }
    Invalidate();
}

// ---- geometry --------------------------------------------------------------------------

TRect TbsSkinPageControl::GetDisplayRect()
{
    TRect r = DisplayRect();
    const TRect cr = GetClientRect();
    const int cw = cr.Width(), ch = cr.Height();
    if (FIndex != -1)
    {
        const int L = ClRect.Left, T = ClRect.Top, RM = RectWidth(SkinRect) - ClRect.Right,
                  BM = RectHeight(SkinRect) - ClRect.Bottom;
        switch (GetTabPosition())
        {
        case tpTop: r = TRect(L, r.Top - 6 + T, cw - RM, ch - BM); break;
        case tpBottom: r = TRect(L, r.Top - 4 + T, cw - RM, r.Bottom + 4 - BM); break;
        case tpLeft: r = TRect(r.Left + L - 4, r.Top - 4 + T, cw - RM, ch - BM); break;
        case tpRight: r = TRect(L, r.Top - 4 + T, r.Right - RM + 4, ch - BM); break;
        }
    }
    else
    {
        switch (GetTabPosition())
        {
        case tpTop: r = TRect(1, r.Top - 5, cw - 1, ch - 1); break;
        case tpBottom: r = TRect(1, 1, cw - 1, r.Bottom + 3); break;
        case tpLeft: r = TRect(r.Left - 3, r.Top - 5, cw - 1, ch - 1); break;
        case tpRight: r = TRect(r.Left - 3, r.Top - 5, r.Right + 3, ch - 1); break;
        }
    }
    return r;
}

void TbsSkinPageControl::AdjustClientRect(TRect& Rect) { Rect = GetDisplayRect(); }

int TbsSkinPageControl::GetTabsShift()
{
    if (FTabsOffset > 0) return FTabsOffset;
    if (GetTabWidth() == 0) return 0;
    return std::max(0, Width() / 2 - (VisibleTabCount() * GetTabWidth()) / 2);
}

TRect TbsSkinPageControl::GetTabRect(int i)
{
    TRect r = TCustomTabControl::TabRect(i);
    if (r.IsEmpty() && r.Left == 0 && r.Right == 0) return r;
    const bool multi = GetMultiLine();
    switch (GetTabPosition())
    {
    case tpTop:
        if (!multi) r.Left -= 2, r.Right -= 2;
        r.Top -= 2, r.Bottom -= 2;
        if (FTabsInCenter || FTabsOffset > 0) OffsetRect(r, GetTabsShift(), 0);
        break;
    case tpBottom:
        if (!multi) r.Left -= 2, r.Right -= 2;
        r.Top += 2, r.Bottom += 2;
        break;
    case tpLeft: r.Left -= 2, r.Right -= 2; break;
    case tpRight: r.Left += 2, r.Right += 2; break;
    }
    if (i == 0 && !multi) r.Left += 1;
    return r;
}

int TbsSkinPageControl::VisibleTabCount()
{
    int n = 0;
    for (int i = 0; i < PageCount(); ++i) n += Pages(i)->GetTabVisible() ? 1 : 0;
    return n;
}

TTabSheet* TbsSkinPageControl::PageOfVisibleTab(int i)
{
    for (int p = 0; p < PageCount(); ++p)
        if (Pages(p)->GetTabVisible() && i-- == 0) return Pages(p);
    return nullptr;
}

// ---- hot tab ---------------------------------------------------------------------------

void TbsSkinPageControl::TrackHover(int X, int Y)
{
    FOldActiveTab = FActiveTab;
    FOldActiveTabIndex = FActiveTabIndex;
    FActiveTab = FActiveTabIndex = -1;
    int vis = 0;
    for (int p = 0; p < PageCount(); ++p)
    {
        if (!Pages(p)->GetTabVisible()) continue;
        if (GetTabRect(vis).Contains(TPoint(X, Y)))
        {
            FActiveTabIndex = vis;
            FActiveTab = p;
            break;
        }
        ++vis;
    }
    if (FActiveTabIndex == FOldActiveTabIndex) return;
    const bool oldTab = FOldActiveTabIndex != -1 && FOldActiveTabIndex != GetTabIndex() && FOldActiveTab < PageCount();
    const bool newTab = FActiveTabIndex != -1 && FActiveTabIndex != GetTabIndex() && FActiveTab < PageCount();
    if ((oldTab || newTab) && HandleAllocated())
    {
        HDC dc = GetDC(GetHandle());
        TCanvas c;
        c.SetHandle(dc);
        DrawTabs(&c);
        c.SetHandle(nullptr);
        ReleaseDC(GetHandle(), dc);
    }
}

void TbsSkinPageControl::MouseMove(TShiftState Shift, int X, int Y)
{
    TPageControl::MouseMove(Shift, X, Y);
    if (!(ComponentState() & csDesigning)) TrackHover(X, Y);
}

void TbsSkinPageControl::CMMouseLeave(TMessage& m)
{
    TPageControl::CMMouseLeave(m);
    TrackHover(-1, -1);
}

// ---- the tab scroller ------------------------------------------------------------------

int TbsSkinPageControl::GetHiddenTabCount()
{
    int n = 0;
    const int vis = VisibleTabCount();
    for (int i = 0; i < vis; ++i)
    {
        const TRect r = GetTabRect(i);
        if (r.Right > Width() - 3 || r.Right <= 0) ++n;
    }
    return n;
}

int TbsSkinPageControl::GetScrollPosition()
{
    int n = 0;
    const int vis = VisibleTabCount();
    for (int i = 0; i < vis; ++i) n += GetTabRect(i).Right <= 0 ? 1 : 0;
    return n;
}

void TbsSkinPageControl::FreeUpDown()
{
    delete FSkinUpDown;
    FSkinUpDown = nullptr;
}

void TbsSkinPageControl::CreateUpDown()
{
    FSkinUpDown = new TbsSkinUpDown(this);
    FSkinUpDown->SetParent(this);
    FSkinUpDown->SetBounds(0, 0, FDefaultItemHeight * 2, FDefaultItemHeight);
    FSkinUpDown->SetMin(0);
    FSkinUpDown->SetMax(GetHiddenTabCount());
    FSkinUpDown->SetPosition(GetScrollPosition());
    FSkinUpDown->SetIncrement(1);
    FSkinUpDown->OnChange = [this](TObject*) {
        // The row scrolls so that the up-down's position is the first tab shown.
        FSkinUpDown->SetMax(GetHiddenTabCount());
        Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(FSkinUpDown->Position())), 0);
    };
    FSkinUpDown->SetSkinDataName(UpDown.empty() ? "hupdown" : UpDown);
    FSkinUpDown->SetSkinData(FSD);
    FSkinUpDown->SetVisible(true);
}

void TbsSkinPageControl::CheckScroll()
{
    if (FInScrollCheck || !HandleAllocated()) return;
    FInScrollCheck = true;
    // The native arrow pair goes; ours takes its place.
    if (TCustomUpDown* native = Scroller()) DestroyWindow(native->GetHandle());
    // Side tabs stack in columns and never scroll.
    const bool side = GetTabPosition() == tpLeft || GetTabPosition() == tpRight;
    const int n = side ? 0 : GetHiddenTabCount();
    if ((n == 0 || GetMultiLine()) && FSkinUpDown) FreeUpDown();
    else if (n > 0 && !FSkinUpDown && !GetMultiLine()) CreateUpDown();
    if (FSkinUpDown)
    {
        FSkinUpDown->SetMax(n);
        FSkinUpDown->SetLeft(Width() - FSkinUpDown->Width());
        FSkinUpDown->SetTop(GetTabPosition() == tpTop ? 0 : Height() - FSkinUpDown->Height());
    }
    FInScrollCheck = false;
}

void TbsSkinPageControl::TabsChanged()
{
    TPageControl::TabsChanged();
    if (!GetMultiLine() && !(ComponentState() & csDesigning)) CheckScroll();
}

void TbsSkinPageControl::UpdateUpDownPosition()
{
    if (FSkinUpDown) FSkinUpDown->SetPosition(GetScrollPosition());
    Invalidate();
}

void TbsSkinPageControl::Change()
{
    if (FSkinUpDown)
    {
        const TNotifyEvent keep = FSkinUpDown->OnChange;
        FSkinUpDown->OnChange = nullptr;
        FSkinUpDown->SetPosition(GetScrollPosition());
        FSkinUpDown->OnChange = keep;
    }
    TPageControl::Change();
    Invalidate();
    if (GetActivePage()) GetActivePage()->Invalidate();
}

// ---- messages --------------------------------------------------------------------------

void TbsSkinPageControl::WndProc(TMessage& m)
{
    const bool shifted = FTabsInCenter || FTabsOffset > 0;
    switch (m.Msg)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        // The native control hit-tests its unshifted tabs.
        if (shifted)
            m.LParam = MAKELPARAM(WORD(GET_X_LPARAM(m.LParam) - GetTabsShift()), WORD(GET_Y_LPARAM(m.LParam)));
        break;
    case BSM_NCPAINT: m.Result = kNoNcSkin; return;
    default: break;
    }
    const std::weak_ptr<char> alive = LifeToken();
    TbsSkinLink<TPageControl>::WndProc(m);
    if (alive.expired()) return;
    if (shifted && (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS)) Invalidate();
    // The native row makes its arrow pair anew at each layout: ours stands in its place.
    switch (m.Msg)
    {
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_PAINT:
    case TCM_SETCURSEL:
    case TCM_SETITEMSIZE:
        if (TCustomUpDown* native = Scroller(); native && !FInScrollCheck) DestroyWindow(native->GetHandle());
        break;
    default: break;
    }
}

void TbsSkinPageControl::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_ERASEBKGND:
        if (VisibleTabCount() > 0)
        {
            m.Result = 1;
            return;
        }
        GetSkinData();
        if (FIndex != -1)
        {
            DrawPageBackground(reinterpret_cast<HDC>(m.WParam));
            m.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
        GetSkinData();
        TPageControl::Dispatch(m);
        if (!GetMultiLine() && !(ComponentState() & csDesigning)) CheckScroll();
        return;
    case WM_HSCROLL:
        TPageControl::Dispatch(m);
        Invalidate();
        return;
    case TCM_SETCURSEL:
        TPageControl::Dispatch(m);
        if (!(ComponentState() & csLoading)) Invalidate();
        return;
    case TCM_ADJUSTRECT:
        TPageControl::Dispatch(m);
        if (auto* r = reinterpret_cast<TRect*>(m.LParam); r && !m.WParam) *r = GetDisplayRect();
        return;
    case TCM_GETITEMRECT:
        TPageControl::Dispatch(m);
        if (auto* r = reinterpret_cast<TRect*>(m.LParam); r && m.Result) *r = GetTabRect(int(m.WParam));
        return;
    case BSM_CHECKPARENTBACKGROUND: return;
    default: break;
    }
    TPageControl::Dispatch(m);
}
