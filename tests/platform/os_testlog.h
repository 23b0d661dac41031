// Shared helpers of the window-manager tests: a window class whose procedure
// records every message, with optional per-message answers.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/os/Window.h"
#include "platform/testing/Driver.h"

struct TLogEntry
{
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

class TMsgLog
{
public:
    std::vector<TLogEntry> entries;
    // Per window and message: an answer instead of DefWindowProc.
    std::map<std::pair<HWND, UINT>, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> handlers;
    std::map<HWND, std::string> names;

    static TMsgLog*& Current()
    {
        static TMsgLog* log = nullptr;
        return log;
    }
    void Clear() { entries.clear(); }

    // The messages among `keep`, as "name:MSG" strings.
    std::vector<std::string> Trace(const std::vector<UINT>& keep) const
    {
        std::vector<std::string> out;
        for (auto& e : entries)
            for (UINT k : keep)
                if (e.msg == k)
                {
                    auto it = names.find(e.hwnd);
                    out.push_back((it == names.end() ? std::string("?") : it->second) + ":" + MsgName(e.msg));
                }
        return out;
    }
    int Count(HWND h, UINT msg) const
    {
        int n = 0;
        for (auto& e : entries)
            if (e.hwnd == h && e.msg == msg) ++n;
        return n;
    }
    const TLogEntry* Last(HWND h, UINT msg) const
    {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            if (it->hwnd == h && it->msg == msg) return &*it;
        return nullptr;
    }

    static std::string MsgName(UINT m)
    {
        static const std::map<UINT, std::string> n = {
            {WM_NCHITTEST, "NCHITTEST"}, {WM_MOUSEACTIVATE, "MOUSEACTIVATE"}, {WM_SETCURSOR, "SETCURSOR"},
            {WM_LBUTTONDOWN, "LBUTTONDOWN"}, {WM_LBUTTONUP, "LBUTTONUP"}, {WM_LBUTTONDBLCLK, "LBUTTONDBLCLK"},
            {WM_MOUSEMOVE, "MOUSEMOVE"}, {WM_NCMOUSEMOVE, "NCMOUSEMOVE"}, {WM_NCLBUTTONDOWN, "NCLBUTTONDOWN"},
            {WM_NCLBUTTONUP, "NCLBUTTONUP"}, {WM_NCLBUTTONDBLCLK, "NCLBUTTONDBLCLK"}, {WM_ACTIVATE, "ACTIVATE"},
            {WM_NCACTIVATE, "NCACTIVATE"}, {WM_SETFOCUS, "SETFOCUS"}, {WM_KILLFOCUS, "KILLFOCUS"},
            {WM_WINDOWPOSCHANGING, "POSCHANGING"}, {WM_WINDOWPOSCHANGED, "POSCHANGED"},
            {WM_CAPTURECHANGED, "CAPTURECHANGED"}, {WM_MOUSELEAVE, "MOUSELEAVE"}, {WM_NCMOUSELEAVE, "NCMOUSELEAVE"},
            {WM_CANCELMODE, "CANCELMODE"}, {WM_ENTERSIZEMOVE, "ENTERSIZEMOVE"}, {WM_EXITSIZEMOVE, "EXITSIZEMOVE"},
            {WM_MOVING, "MOVING"}, {WM_SIZING, "SIZING"}, {WM_MOVE, "MOVE"}, {WM_SIZE, "SIZE"},
            {WM_SYSCOMMAND, "SYSCOMMAND"}, {WM_PARENTNOTIFY, "PARENTNOTIFY"}, {WM_TIMER, "TIMER"},
            {WM_KEYDOWN, "KEYDOWN"}, {WM_KEYUP, "KEYUP"}, {WM_CHAR, "CHAR"}, {WM_SYSKEYDOWN, "SYSKEYDOWN"},
            {WM_SYSKEYUP, "SYSKEYUP"}, {WM_SYSCHAR, "SYSCHAR"}, {WM_GETMINMAXINFO, "GETMINMAXINFO"},
            {WM_RBUTTONDOWN, "RBUTTONDOWN"}, {WM_RBUTTONUP, "RBUTTONUP"}, {WM_MOUSEWHEEL, "MOUSEWHEEL"},
            {WM_MOUSEHWHEEL, "MOUSEHWHEEL"},
            {WM_CREATE, "CREATE"}, {WM_NCCREATE, "NCCREATE"}, {WM_NCCALCSIZE, "NCCALCSIZE"},
            {WM_DESTROY, "DESTROY"}, {WM_NCDESTROY, "NCDESTROY"}, {WM_SHOWWINDOW, "SHOWWINDOW"},
            {WM_PAINT, "PAINT"}, {WM_ERASEBKGND, "ERASEBKGND"}, {WM_NCPAINT, "NCPAINT"}};
        auto it = n.find(m);
        return it == n.end() ? std::to_string(m) : it->second;
    }
};

inline LRESULT LoggingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    TMsgLog* log = TMsgLog::Current();
    if (log)
    {
        log->entries.push_back({h, m, w, l});
        auto it = log->handlers.find({h, m});
        if (it != log->handlers.end()) return it->second(h, m, w, l);
    }
    return DefWindowProc(h, m, w, l);
}

inline void RegisterLogClass(const std::string& name, UINT style = CS_DBLCLKS)
{
    WNDCLASS wc;
    wc.lpszClassName = name;
    wc.style = style;
    wc.lpfnWndProc = LoggingProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClass(wc);
}

// A fixture with a driver, a log and the class "Log".
class TWindowTest
{
public:
    TTestDriver drv;
    TMsgLog log;
    TWindowTest()
    {
        TMsgLog::Current() = &log;
        RegisterLogClass("Log");
    }
    ~TWindowTest() { TMsgLog::Current() = nullptr; }
    HWND Top(const std::string& name, TRect r, DWORD style = WS_POPUP | WS_VISIBLE, DWORD ex = 0, HWND owner = nullptr)
    {
        HWND h = CreateWindowEx(ex, "Log", name, style, r.Left, r.Top, r.Width(), r.Height(), owner);
        log.names[h] = name;
        drv.PumpUntilIdle();
        return h;
    }
    HWND Child(const std::string& name, HWND parent, TRect r, DWORD style = WS_CHILD | WS_VISIBLE, DWORD ex = 0)
    {
        HWND h = CreateWindowEx(ex, "Log", name, style, r.Left, r.Top, r.Width(), r.Height(), parent);
        log.names[h] = name;
        drv.PumpUntilIdle();
        return h;
    }
};
