#include "platform/os/Monitor.h"

#include <algorithm>
#include <memory>

#include "platform/backend/Backend.h"
#include "platform/os/Window.h"

namespace
{
// Handles stay allocated for the life of the program, so a handle a caller
// kept never dangles; only the first gCount are listed.
std::vector<std::unique_ptr<MonitorInfoNode>> gMonitors;
std::size_t gCount = 0;
bool gLoaded = false;

void Load()
{
    auto descs = backend::Current().GetMonitors();
    if (descs.empty()) descs.push_back({TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 1024), true});
    for (std::size_t i = 1; i < descs.size(); ++i)
        if (descs[i].Primary) { std::swap(descs[0], descs[i]); break; }
    while (gMonitors.size() < descs.size()) gMonitors.push_back(std::make_unique<MonitorInfoNode>());
    for (std::size_t i = 0; i < descs.size(); ++i)
    {
        gMonitors[i]->Bounds = descs[i].Bounds;
        gMonitors[i]->WorkArea = descs[i].WorkArea.IsEmpty() ? descs[i].Bounds : descs[i].WorkArea;
        gMonitors[i]->Primary = i == 0;
    }
    gCount = descs.size();
    gLoaded = true;
}

std::size_t Count()
{
    if (!gLoaded) Load();
    return gCount;
}

long long DistanceSq(const TRect& r, TPoint p)
{
    long long dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - r.Right + 1 : 0);
    long long dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0);
    return dx * dx + dy * dy;
}

bool Listed(HMONITOR m)
{
    std::size_t n = Count();
    for (std::size_t i = 0; i < n; ++i)
        if (gMonitors[i].get() == m) return true;
    return false;
}
} // namespace

void RefreshMonitors() { Load(); }

std::vector<HMONITOR> GetMonitors()
{
    std::vector<HMONITOR> out;
    std::size_t n = Count();
    for (std::size_t i = 0; i < n; ++i) out.push_back(gMonitors[i].get());
    return out;
}

HMONITOR GetPrimaryMonitor()
{
    Count();
    return gMonitors[0].get();
}

HMONITOR MonitorFromPoint(TPoint pt, DWORD flags)
{
    std::size_t n = Count();
    for (std::size_t i = 0; i < n; ++i)
        if (gMonitors[i]->Bounds.Contains(pt)) return gMonitors[i].get();
    if (flags == MONITOR_DEFAULTTONULL) return nullptr;
    if (flags == MONITOR_DEFAULTTOPRIMARY) return gMonitors[0].get();
    std::size_t best = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (DistanceSq(gMonitors[i]->Bounds, pt) < DistanceSq(gMonitors[best]->Bounds, pt)) best = i;
    return gMonitors[best].get();
}

HMONITOR MonitorFromRect(const TRect& r, DWORD flags)
{
    std::size_t n = Count();
    long long bestArea = 0;
    HMONITOR best = nullptr;
    for (std::size_t i = 0; i < n; ++i)
    {
        TRect x;
        if (IntersectRect(x, r, gMonitors[i]->Bounds))
        {
            long long a = (long long)x.Width() * x.Height();
            if (a > bestArea) { bestArea = a; best = gMonitors[i].get(); }
        }
    }
    if (best) return best;
    return MonitorFromPoint(TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2), flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    TRect r;
    if (!GetWindowRect(hwnd, &r))
        return flags == MONITOR_DEFAULTTONULL ? nullptr : GetPrimaryMonitor();
    if (r.IsEmpty()) return MonitorFromPoint(r.TopLeft(), flags);
    return MonitorFromRect(r, flags);
}

BOOL GetMonitorInfo(HMONITOR mon, MONITORINFO* info)
{
    if (!mon || !info || !Listed(mon)) return FALSE;
    info->rcMonitor = mon->Bounds;
    info->rcWork = mon->WorkArea;
    info->dwFlags = mon->Primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
