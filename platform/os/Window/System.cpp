// Clipboard, metrics and system parameters; setting the window manager up
// and resetting it.
#include "platform/os/Window/Internal.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Clock.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/os/Gdi/Internal.h"
#include "platform/os/Input.h"
#include "platform/os/Monitor.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

using namespace wm;

// ---------------------------------------------------------------------------
// Clipboard, metrics, set-up
// ---------------------------------------------------------------------------
void SetClipboardText(const std::string& text) { BE().SetClipboardText(text); }
std::string GetClipboardText() { return BE().GetClipboardText(); }
bool ClipboardHasText() { return !BE().GetClipboardText().empty(); }

int GetSystemMetrics(int index)
{
    switch (index)
    {
    case SM_CXSCREEN:
    case SM_CYSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CYFULLSCREEN:
    {
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        if (index == SM_CXSCREEN) return mi.rcMonitor.Width();
        if (index == SM_CYSCREEN) return mi.rcMonitor.Height();
        if (index == SM_CXFULLSCREEN) return mi.rcWork.Width();
        return mi.rcWork.Height() - 19;
    }
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CXMAXTRACK:
    case SM_CYMAXTRACK:
    {
        TRect all;
        for (HMONITOR m : GetMonitors()) UnionRect(all, all, m->Bounds);
        switch (index)
        {
        case SM_XVIRTUALSCREEN: return all.Left;
        case SM_YVIRTUALSCREEN: return all.Top;
        case SM_CXVIRTUALSCREEN: return all.Width();
        case SM_CYVIRTUALSCREEN: return all.Height();
        case SM_CXMAXTRACK: return all.Width() + 12;
        default: return all.Height() + 12;
        }
    }
    case SM_CXMAXIMIZED:
    case SM_CYMAXIMIZED:
    {
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        return index == SM_CXMAXIMIZED ? mi.rcWork.Width() : mi.rcWork.Height();
    }
    case SM_CMONITORS: return int(GetMonitors().size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    }
    return 0;
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT)
{
    switch (action)
    {
    case SPI_GETWORKAREA:
    {
        if (!pvParam) return FALSE;
        MONITORINFO mi;
        GetMonitorInfo(GetPrimaryMonitor(), &mi);
        *static_cast<TRect*>(pvParam) = mi.rcWork;
        return TRUE;
    }
    case SPI_GETDRAGFULLWINDOWS:
        if (!pvParam) return FALSE;
        *static_cast<BOOL*>(pvParam) = (gDragFullSet ? gDragFull : BE().DragFullWindows()) ? TRUE : FALSE;
        return TRUE;
    case SPI_SETDRAGFULLWINDOWS:
        gDragFullSet = true;
        gDragFull = uiParam != 0;
        return TRUE;
    }
    return FALSE;
}

void NotifyDisplayChange()
{
    RefreshMonitors();
    std::vector<WindowNode*> tops = gTop;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    for (WindowNode* t : tops)
        if (N(t)) SendMessage(t, WM_DISPLAYCHANGE, 32, MAKELPARAM(w, h));
}

namespace wm
{
void EnsureInit()
{
    if (gInit) return;
    gInit = true;
    backend::Current().SetInputSink(&osinput::Sink());
    SetMainThreadWakeup([] {
        if (backend::HasCurrent()) backend::Current().Wake();
    });
}
} // namespace wm

void ResetWindowManager()
{
    std::vector<WindowNode*> tops = gTop;
    for (WindowNode* t : tops)
        if (N(t)) DestroyWindow(t);
    {
        std::lock_guard<std::mutex> g(gLiveMx);
        for (WindowNode* n : gLive)
        {
            n->alive = false;
            gGrave.push_back(n);
        }
        gLive.clear();
    }
    gTop.clear();
    int depth = gDepth;
    gDepth = 0;
    Sweep();
    gDepth = depth;
    gClasses.clear();
    gRemovedBelow.clear();
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.clear();
        gRaw.clear();
        gQuit = false;
    }
    gCooked.clear();
    gTimers.clear();
    gTracks.clear();
    gActive = gFocus = gCapture = nullptr;
    gOver = nullptr;
    std::fill(std::begin(gKeys), std::end(gKeys), BYTE(0));
    gCursor = TPoint(640, 512);
    gDblTime = 500;
    gLastDown = LastDown();
    gBeeps = 0;
    gAltAlone = false;
    gDragFullSet = false;
    gCaret = CaretState();
    gIdleHook = nullptr;
    gCurrentCursor = nullptr;
    for (auto& kv : gDCs) DeleteDC(kv.first);
    gDCs.clear();
    gInit = false;
    if (backend::HasCurrent()) RefreshMonitors();
}
