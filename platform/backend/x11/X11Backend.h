// The X11 backend: every top-level window of the layer is a real X window.
// Forms are managed, undecorated windows (the skin draws the frame); windows
// that never activate (menu levels, drop-down lists, hints, layered border
// pieces) are override-redirect windows that never take the keyboard focus.
// Xlib stays inside the backend's own files; this header names none of it.
#pragma once
#include <memory>
#include <string>

#include "platform/backend/Backend.h"

namespace backend
{
// What the program says when it is started without a display.
inline constexpr const char* kNoDisplayMessage = "no X display: set DISPLAY or run under Xvfb";

// Opens the display named by `display` (null: $DISPLAY). Null when there is
// no display or the server does not answer; `why` then tells the reason.
std::unique_ptr<IBackend> OpenX11(const char* display = nullptr, std::string* why = nullptr);

// Makes an X11 backend on $DISPLAY the current one. False (and nothing
// changed) when no display answers.
bool UseX11(std::string* why = nullptr);
} // namespace backend
