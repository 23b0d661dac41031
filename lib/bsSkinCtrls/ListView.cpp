// The skinned list view: look from the "listview" entry, no frame or window
// scroll bars, the native scroll state mirrored into the attached skinned
// bars and their moves fed back; the header window is taken over here and
// painted in ListViewHeader.cpp.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"

TbsSkinCustomListView::TbsSkinCustomListView(TComponent* AOwner)
    : TbsSkinViewBase<TCustomListView>(AOwner, "listview")
{
    Font()->Assign(FDefaultFont.get());
}

TbsSkinCustomListView::~TbsSkinCustomListView() { ReleaseHeader(); }

void TbsSkinCustomListView::Loaded()
{
    FInCheckScrollBars = true;
    TCustomListView::Loaded();
    FInCheckScrollBars = false;
    ChangeSkinData();
}

void TbsSkinCustomListView::CreateParams(TCreateParams& Params)
{
    TCustomListView::CreateParams(Params);
    Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

void TbsSkinCustomListView::CreateWnd()
{
    TCustomListView::CreateWnd();
    // A header window made before this view could watch for it.
    if (!FHeader && Header() && Header()->HandleAllocated() && GetShowColumnHeaders())
    {
        FHeaderHandle = Header()->GetHandle();
        SubclassHeader(Header());
    }
}

void TbsSkinCustomListView::ChangeSkinData()
{
    TakeSkinLook();
    UpDateScrollBars();
    if (FVScrollBar && FVScrollBar->Parent()) FVScrollBar->Parent()->Realign();
    else if (FHScrollBar && FHScrollBar->Parent()) FHScrollBar->Parent()->Realign();
    if (GetViewStyle() == vsReport && FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, TRUE);
}

void TbsSkinCustomListView::Change(TListItem* Item, TItemChange AChange)
{
    TCustomListView::Change(Item, AChange);
    if (!FInCheckScrollBars) UpDateScrollBars();
}

int TbsSkinCustomListView::RowHeight()
{
    if (Items()->Count() == 0) return 0;
    return RectHeight(ItemRect(0, drBounds));
}

void TbsSkinCustomListView::UpDateScrollBars()
{
    if (!HandleAllocated() || FromSB || Width() <= 5 || Height() <= 5 || FInCheckScrollBars) return;
    if (ComponentState() & csLoading) return;
    bool changed = false;
    SCROLLINFO si;
    const bool visible = GetVisible();
    switch (GetViewStyle())
    {
    case vsIcon:
    case vsSmallIcon:
    {
        const int step = std::max(1, RowHeight() / 2);
        if (FVScrollBar)
        {
            NativeScroll(SB_VERT, si);
            const bool show = si.nMax > Height() && visible;
            changed |= ShowBar(FVScrollBar, show);
            if (show)
            {
                FVScrollBar->SetSmallChange(step);
                FVScrollBar->SetLargeChange(step);
                MirrorRange(FVScrollBar, si.nMin, si.nMax, si.nPos, Height());
                FOldVScrollBarPos = FVScrollBar->Position();
            }
        }
        if (FHScrollBar)
        {
            NativeScroll(SB_HORZ, si);
            const bool show = si.nMax > Width() && visible;
            changed |= ShowBar(FHScrollBar, show);
            if (show)
            {
                FHScrollBar->SetSmallChange(step);
                FHScrollBar->SetLargeChange(step);
                MirrorRange(FHScrollBar, si.nMin, si.nMax, si.nPos, Width());
                FOldHScrollBarPos = FHScrollBar->Position();
            }
        }
        break;
    }
    case vsList:
    {
        if (FVScrollBar) changed |= ShowBar(FVScrollBar, false);
        if (FHScrollBar)
        {
            NativeScroll(SB_HORZ, si);
            int w = Items()->Count() > 0 ? RectWidth(ItemRect(0, drBounds)) : 1;
            if (w <= 0) w = 1;
            const int perPage = int(Perform(LVM_GETCOUNTPERPAGE));
            const bool show = perPage < int(Perform(LVM_GETITEMCOUNT)) && visible;
            changed |= ShowBar(FHScrollBar, show);
            if (show)
            {
                MirrorRange(FHScrollBar, si.nMin, si.nMax, si.nPos, Width() / w);
                if (FHScrollBar->SmallChange() != 1) FHScrollBar->SetSmallChange(1);
                if (FHScrollBar->LargeChange() != 1) FHScrollBar->SetLargeChange(1);
                FOldHScrollBarPos = FHScrollBar->Position();
            }
        }
        break;
    }
    case vsReport:
    {
        if (FVScrollBar)
        {
            NativeScroll(SB_VERT, si);
            const int perPage = int(Perform(LVM_GETCOUNTPERPAGE));
            const bool show = perPage < si.nMax + 1 && visible;
            changed |= ShowBar(FVScrollBar, show);
            if (show)
            {
                MirrorRange(FVScrollBar, si.nMin, si.nMax, si.nPos, perPage);
                FOldVScrollBarPos = FVScrollBar->Position();
                if (FVScrollBar->SmallChange() != 1) FVScrollBar->SetSmallChange(1);
                const int large = perPage <= 0 ? 1 : perPage;
                if (FVScrollBar->LargeChange() != large) FVScrollBar->SetLargeChange(large);
            }
        }
        if (FHScrollBar)
        {
            NativeScroll(SB_HORZ, si);
            const bool show = si.nMax > Width() && visible;
            changed |= ShowBar(FHScrollBar, show);
            if (show)
            {
                MirrorRange(FHScrollBar, si.nMin, si.nMax, si.nPos, Width());
                FOldHScrollBarPos = FHScrollBar->Position();
            }
        }
        break;
    }
    }
    FinishBarUpdate(changed);
}

void TbsSkinCustomListView::VScrollChanged()
{
    if (!FVScrollBar) return;
    FromSB = true;
    int dy = FVScrollBar->Position() - FOldVScrollBarPos;
    if (GetViewStyle() == vsList || GetViewStyle() == vsReport) dy *= RowHeight();
    if (dy) Scroll(0, dy);
    FOldVScrollBarPos = FVScrollBar->Position();
    FromSB = false;
}

void TbsSkinCustomListView::HScrollChanged()
{
    if (!FHScrollBar) return;
    FromSB = true;
    const int pos = FHScrollBar->Position();
    if (GetViewStyle() == vsList)
    {
        const WORD code = pos < FOldHScrollBarPos ? SB_LINELEFT : SB_LINERIGHT;
        for (int i = std::abs(pos - FOldHScrollBarPos); i > 0; --i) Perform(WM_HSCROLL, MAKEWPARAM(code, 0), 0);
    }
    else if (pos != FOldHScrollBarPos) Scroll(pos - FOldHScrollBarPos, 0);
    FOldHScrollBarPos = pos;
    FromSB = false;
}

void TbsSkinCustomListView::WndProc(TMessage& m)
{
    if (HandleFrameMessage(m)) return;
    switch (m.Msg)
    {
    case BSM_PAINTHEADER:
        if (FHeaderHandle) PaintSkinHeader(reinterpret_cast<HDC>(m.WParam));
        return;
    case WM_PARENTNOTIFY:
        // The native view made its header window: take it over (again).
        if (LOWORD(m.WParam) == WM_CREATE)
        {
            const HWND child = reinterpret_cast<HWND>(m.LParam);
            if (GetClassName(child) == "SysHeader32" && GetShowColumnHeaders())
            {
                ReleaseHeader();
                if (TWinControl* h = FindControl(child))
                {
                    FHeaderHandle = child;
                    SubclassHeader(h);
                }
            }
        }
        break;
    default: break;
    }
    const std::weak_ptr<char> alive = LifeToken();
    TCustomListView::WndProc(m);
    if (alive.expired()) return;
    switch (m.Msg)
    {
    case WM_SIZE:
        if (!FInCheckScrollBars && Items()->Count() > 0) UpDateScrollBars();
        if (GetViewStyle() == vsReport && FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, FALSE);
        break;
    case WM_PAINT:
        if (!FInCheckScrollBars) UpDateScrollBars();
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONUP: UpDateScrollBars(); break;
    default: break;
    }
}
