// Notification-area icons over the backend's tray, and balloons through the
// desktop notification service (libnotify, loaded at run time: without it or
// without a running service balloons are skipped).
#include "platform/shell/NotifyIcon.h"

#include <map>
#include <utility>

#include "platform/backend/Backend.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"
#include "platform/sys/DynLib.h"

namespace
{
struct IconEntry
{
    std::uint32_t id;
    HWND wnd;
    UINT uid;
    UINT callback;
};
// GUI thread only.
std::map<std::pair<HWND, UINT>, IconEntry> gIcons;
std::uint32_t gNextId = 1;
// The backend whose tray the icons are on (a new backend starts empty).
backend::IBackend* gTrayBackend = nullptr;

void OnTrayEvent(std::uint32_t id, backend::TTrayEvent ev)
{
    using backend::TTrayEvent;
    if (ev == TTrayEvent::TrayCreated)
    {
        // Every icon is gone with the old area; their owners add them again.
        gIcons.clear();
        const UINT msg = RegisterWindowMessage("TaskbarCreated");
        for (HWND h : GetChildWindows(nullptr)) PostMessage(h, msg, 0, 0);
        return;
    }
    for (const auto& [key, e] : gIcons)
    {
        if (e.id != id) continue;
        if (!e.callback) return;
        UINT mouse = 0;
        switch (ev)
        {
        case TTrayEvent::MouseMove: mouse = WM_MOUSEMOVE; break;
        case TTrayEvent::LeftDown: mouse = WM_LBUTTONDOWN; break;
        case TTrayEvent::LeftUp: mouse = WM_LBUTTONUP; break;
        case TTrayEvent::LeftDouble: mouse = WM_LBUTTONDBLCLK; break;
        case TTrayEvent::RightDown: mouse = WM_RBUTTONDOWN; break;
        case TTrayEvent::RightUp: mouse = WM_RBUTTONUP; break;
        case TTrayEvent::MiddleDown: mouse = WM_MBUTTONDOWN; break;
        case TTrayEvent::MiddleUp: mouse = WM_MBUTTONUP; break;
        case TTrayEvent::BalloonClick: mouse = NIN_BALLOONUSERCLICK; break;
        case TTrayEvent::TrayCreated: return;
        }
        PostMessage(e.wnd, e.callback, WPARAM(e.uid), LPARAM(mouse));
        return;
    }
}

backend::TTrayIconDesc Describe(const NOTIFYICONDATA& d)
{
    backend::TTrayIconDesc out;
    if (d.hIcon && !d.hIcon->Empty())
    {
        out.Width = d.hIcon->Width();
        out.Height = d.hIcon->Height();
        out.Pixels.reserve(std::size_t(out.Width) * out.Height);
        for (int y = 0; y < out.Height; ++y)
            for (int x = 0; x < out.Width; ++x) out.Pixels.push_back(d.hIcon->Row(y)[x]);
    }
    out.Tip = d.szTip.substr(0, 127);
    return out;
}

// The desktop notification service through libnotify (a C library with a
// stable interface; only these four calls are used).
class TDesktopNotifier
{
public:
    bool Show(const std::string& title, const std::string& text, DWORD flags)
    {
        if (!Load()) return false;
        const char* icon = flags == NIIF_ERROR     ? "dialog-error"
                           : flags == NIIF_WARNING ? "dialog-warning"
                           : flags == NIIF_INFO    ? "dialog-information"
                                                   : nullptr;
        void* n = new_(title.c_str(), text.c_str(), icon);
        if (!n) return false;
        const int ok = show_(n, nullptr);
        if (unref_) unref_(n);
        return ok != 0;
    }

private:
    bool Load()
    {
        if (tried_) return ready_;
        tried_ = true;
        lib_ = sys::LoadLibrary("libnotify.so.4");
        if (!lib_) return false;
        using InitFn = int (*)(const char*);
        auto init = reinterpret_cast<InitFn>(sys::GetProcAddress(lib_, "notify_init"));
        new_ = reinterpret_cast<NewFn>(sys::GetProcAddress(lib_, "notify_notification_new"));
        show_ = reinterpret_cast<ShowFn>(sys::GetProcAddress(lib_, "notify_notification_show"));
        unref_ = reinterpret_cast<UnrefFn>(sys::GetProcAddress(lib_, "g_object_unref"));
        ready_ = init && new_ && show_ && init("Quorvel MTS") != 0;
        return ready_;
    }
    using NewFn = void* (*)(const char*, const char*, const char*);
    using ShowFn = int (*)(void*, void**);
    using UnrefFn = void (*)(void*);
    bool tried_ = false, ready_ = false;
    sys::LibHandle lib_ = nullptr;
    NewFn new_ = nullptr;
    ShowFn show_ = nullptr;
    UnrefFn unref_ = nullptr;
};

bool ShowBalloon(std::uint32_t id, const NOTIFYICONDATA& d)
{
    const std::string text = d.szInfo.substr(0, 255), title = d.szInfoTitle.substr(0, 63);
    if (backend::Current().TrayBalloon(id, title, text, int(d.dwInfoFlags))) return true;
    static TDesktopNotifier notifier;
    notifier.Show(title, text, d.dwInfoFlags);
    return true;
}
}  // namespace

BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA* data)
{
    if (!data || !backend::HasCurrent()) return FALSE;
    backend::IBackend& be = backend::Current();
    if (gTrayBackend != &be)
    {
        gIcons.clear();
        be.SetTrayHandler(OnTrayEvent);
        gTrayBackend = &be;
    }
    const auto key = std::make_pair(data->hWnd, data->uID);
    auto it = gIcons.find(key);
    switch (message)
    {
    case NIM_ADD:
    {
        if (it != gIcons.end())
        {
            // Still shown: a second add fails. Unknown to the tray (a new
            // backend): a stale entry.
            if (be.TrayModify(it->second.id, Describe(*data))) return FALSE;
            gIcons.erase(it);
        }
        const std::uint32_t id = gNextId++;
        if (!be.TrayAdd(id, Describe(*data))) return FALSE;
        gIcons[key] = IconEntry{id, data->hWnd, data->uID, (data->uFlags & NIF_MESSAGE) ? data->uCallbackMessage : 0};
        if ((data->uFlags & NIF_INFO) && !data->szInfo.empty()) ShowBalloon(id, *data);
        return TRUE;
    }
    case NIM_MODIFY:
    {
        if (it == gIcons.end()) return FALSE;
        if (data->uFlags & NIF_MESSAGE) it->second.callback = data->uCallbackMessage;
        if (!be.TrayModify(it->second.id, Describe(*data))) return FALSE;
        if ((data->uFlags & NIF_INFO) && !data->szInfo.empty()) return ShowBalloon(it->second.id, *data);
        return TRUE;
    }
    case NIM_DELETE:
    {
        if (it == gIcons.end()) return FALSE;
        const std::uint32_t id = it->second.id;
        gIcons.erase(it);
        return be.TrayDelete(id);
    }
    default: return FALSE;
    }
}
