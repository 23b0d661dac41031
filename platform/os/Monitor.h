// Monitors of the desktop, as the backend reports them.
#pragma once
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/os/Messages.h"

struct MonitorInfoNode
{
    TRect Bounds;
    TRect WorkArea;
    bool Primary = false;
};

HMONITOR MonitorFromPoint(TPoint pt, DWORD flags);
HMONITOR MonitorFromRect(const TRect& r, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
BOOL GetMonitorInfo(HMONITOR mon, MONITORINFO* info);
// Every monitor, the primary first.
std::vector<HMONITOR> GetMonitors();
HMONITOR GetPrimaryMonitor();
// Re-reads the monitors from the backend (handles stay valid while the
// number of monitors does not shrink).
void RefreshMonitors();
