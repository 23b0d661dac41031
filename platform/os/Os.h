// The whole os layer in one include: windows and messages, input, monitors,
// surfaces, regions, device contexts, drawing, text and system colours.
#pragma once
#include "platform/core/Clock.h"
#include "platform/core/Surface.h"
#include "platform/os/Gdi.h"
#include "platform/os/Input.h"
#include "platform/os/Messages.h"
#include "platform/os/Monitor.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"
#include "platform/os/Window.h"
