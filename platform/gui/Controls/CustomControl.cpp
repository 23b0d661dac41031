// TCustomControl: a windowed control with a canvas to paint on.
#include "platform/gui/Controls/Internal.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

using namespace controls;

// ---- custom control ------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl()
{
    canvas_->FreeHandle();
}

void TCustomControl::PaintWindow(HDC dc)
{
    TCanvasPaintScope scope(canvas_.get(), dc, &ControlState);
    Paint();
}
