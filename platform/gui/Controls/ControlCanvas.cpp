// TControlCanvas: a canvas on a control's device context.
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- control canvas -------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::FreeHandle()
{
    if (!ownDC_) return;
    HDC dc = ownDC_;
    SetHandle(nullptr);
    ReleaseDC(dcWindow_, dc);
    ownDC_ = nullptr;
    dcWindow_ = nullptr;
    auto& l = CanvasList();
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
}

void TControlCanvas::FreeDeviceContexts()
{
    std::vector<TControlCanvas*> l = CanvasList();
    for (TControlCanvas* c : l)
        if (c->LockCount() == 0) c->FreeHandle();
}

void TControlCanvas::CreateHandle()
{
    if (!control_ || ownDC_) return;
    HWND wnd = nullptr;
    TPoint off;
    if (control_->IsWindowed()) wnd = static_cast<TWinControl*>(control_)->GetHandle();
    else if (control_->Parent())
    {
        wnd = control_->Parent()->GetHandle();
        off = TPoint(control_->Left(), control_->Top());
    }
    if (!wnd) return;
    HDC dc = GetDC(wnd);
    if (!dc) return;
    if (!control_->IsWindowed())
    {
        SetWindowOrgEx(dc, -off.X, -off.Y, nullptr);
        IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
    }
    ownDC_ = dc;
    dcWindow_ = wnd;
    CanvasList().push_back(this);
    SetHandle(dc);
}
