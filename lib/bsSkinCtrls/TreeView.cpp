// The skinned tree view: look from the "treeview" entry, no frame or window
// scroll bars; the native scroll state is mirrored into the attached skinned
// bars and their moves are sent back as thumb-position scroll commands.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinCtrls/Common.h"

TbsSkinCustomTreeView::TbsSkinCustomTreeView(TComponent* AOwner) : TbsSkinViewBase<TCustomTreeView>(AOwner, "treeview")
{
}

void TbsSkinCustomTreeView::Loaded()
{
    TCustomTreeView::Loaded();
    ChangeSkinData();
}

void TbsSkinCustomTreeView::CreateParams(TCreateParams& Params)
{
    TCustomTreeView::CreateParams(Params);
    Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

void TbsSkinCustomTreeView::ChangeSkinData()
{
    if (ComponentState() & csLoading) return;
    TakeSkinLook();
    UpDateScrollBars();
    if (FVScrollBar && FVScrollBar->Parent()) FVScrollBar->Parent()->Realign();
    else if (FHScrollBar && FHScrollBar->Parent()) FHScrollBar->Parent()->Realign();
}

void TbsSkinCustomTreeView::Change(TTreeNode* Node)
{
    TCustomTreeView::Change(Node);
    UpDateScrollBars();
}

void TbsSkinCustomTreeView::UpDateScrollBars()
{
    if ((ComponentState() & csLoading) || FInCheckScrollBars || !HandleAllocated()) return;
    bool changed = false;
    SCROLLINFO si;
    if (FVScrollBar)
    {
        NativeScroll(SB_VERT, si);
        const int page = int(Perform(TVM_GETVISIBLECOUNT));
        const bool show = si.nMax > 0 && page <= si.nMax && si.nMax < int(Perform(TVM_GETCOUNT)) && GetVisible();
        changed |= ShowBar(FVScrollBar, show);
        if (show) MirrorRange(FVScrollBar, si.nMin, si.nMax, si.nPos, page);
    }
    if (FHScrollBar)
    {
        NativeScroll(SB_HORZ, si);
        const bool show = si.nMax > Width() && GetVisible();
        changed |= ShowBar(FHScrollBar, show);
        if (show) MirrorRange(FHScrollBar, si.nMin, si.nMax, si.nPos, Width());
    }
    FinishBarUpdate(changed);
}

void TbsSkinCustomTreeView::VScrollChanged()
{
    if (!FVScrollBar) return;
    // The full position first: the message carries only its low 16 bits.
    SCROLLINFO si;
    if (NativeScroll(SB_VERT, si))
    {
        si.fMask = SIF_POS;
        si.nPos = FVScrollBar->Position();
        SetScrollInfo(GetHandle(), SB_VERT, &si, TRUE);
    }
    Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(FVScrollBar->Position() & 0xFFFF)), 0);
}

void TbsSkinCustomTreeView::HScrollChanged()
{
    if (!FHScrollBar) return;
    Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(FHScrollBar->Position() & 0xFFFF)), 0);
}

void TbsSkinCustomTreeView::WndProc(TMessage& m)
{
    if (HandleFrameMessage(m)) return;
    const std::weak_ptr<char> alive = LifeToken();
    TCustomTreeView::WndProc(m);
    if (alive.expired()) return;
    switch (m.Msg)
    {
    case WM_SIZE:
    case WM_PAINT:
    case WM_KEYDOWN:
    case WM_LBUTTONUP: UpDateScrollBars(); break;
    default: break;
    }
}
