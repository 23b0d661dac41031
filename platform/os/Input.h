// Where user input enters the window manager. Backends deliver native input
// here; the test driver injects synthetic input the same way. Events queue
// up in order and become window messages when the GUI thread retrieves them
// (hit testing, mouse activation, cursor, capture, double clicks and
// enter/leave tracking happen then, as on the system the program was made for).
#pragma once
#include <string>

#include "platform/backend/Backend.h"

namespace osinput
{
void MouseMove(TPoint screen);
void MouseButton(backend::TMouseButton b, bool down, TPoint screen);
void MouseWheel(int delta, TPoint screen);
void MouseHWheel(int delta, TPoint screen);
void Key(int vk, bool down);
// Characters typed through an input method (each code point becomes WM_CHAR).
void Text(const std::string& utf8);
// The sink that backends hand their input to.
backend::IInputSink& Sink();
// Raw events not yet turned into messages.
bool HasPendingInput();
} // namespace osinput
