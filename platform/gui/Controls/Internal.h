// What the control classes share inside the class library. Included only by
// the files under platform/gui/Controls/; the public classes are in
// platform/gui/Controls.h.
//
// The parts:
//   Control.cpp         TControl; the registry of windowed controls, finding
//                       controls, shift states, capture and mouse tracking
//   ControlCanvas.cpp   TControlCanvas
//   WinControl.cpp      TWinControl
//   GraphicControl.cpp  TGraphicControl
//   CustomControl.cpp   TCustomControl
//   HintWindow.cpp      THintWindow
//
// Threads: all of it belongs to the GUI thread.
#pragma once
#include <unordered_map>
#include <vector>

#include "platform/gui/Controls.h"

namespace controls
{
// Windowed controls by their window handle.
std::unordered_map<HWND, TWinControl*>& Registry();
// The control whose window is being created (its first messages come before
// CreateWindowEx returns the handle).
extern TWinControl* gCreating;
// The control under the mouse, and the control that has the capture.
extern TControl* gMouseControl;
extern TControl* gCaptureControl;
// Every control canvas that holds a device context (freed when idle).
std::vector<TControlCanvas*>& CanvasList();
HCURSOR CursorHandle(TCursor c);
// Hands an exception escaping an event handler to the application.
void reportException(TObject* sender);
// Makes c the control under the mouse, with leave and enter notifications.
void setMouseControl(TControl* c);
} // namespace controls
