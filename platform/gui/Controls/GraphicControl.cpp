// TGraphicControl: a control without a window, painted on its parent.
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- graphic control -----------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl()
{
    canvas_.reset();
}

void TGraphicControl::Dispatch(TMessage& m)
{
    if (m.Msg == WM_PAINT)
    {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        if (!dc) return;
        TCanvasPaintScope scope(canvas_.get(), dc);
        Paint();
        return;
    }
    TControl::Dispatch(m);
}
