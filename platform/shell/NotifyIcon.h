// Notification-area (system tray) icons: the shell call that adds, changes
// and removes an icon, whose mouse events come back as a message of the
// caller's choice to the caller's window, and balloon texts. After a new
// notification area appears (a panel restarted), every top-level window gets
// the registered message "TaskbarCreated".
#pragma once
#include <string>

#include "platform/core/Surface.h"
#include "platform/core/Types.h"

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x01;
constexpr UINT NIF_ICON = 0x02;
constexpr UINT NIF_TIP = 0x04;
constexpr UINT NIF_INFO = 0x10;
constexpr DWORD NIIF_NONE = 0;
constexpr DWORD NIIF_INFO = 1;
constexpr DWORD NIIF_WARNING = 2;
constexpr DWORD NIIF_ERROR = 3;
// The callback's LPARAM when the user clicks a balloon.
constexpr UINT NIN_BALLOONUSERCLICK = 1029;

struct NOTIFYICONDATA
{
    HWND hWnd = nullptr;            // gets the callback message
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;      // WPARAM: uID, LPARAM: WM_LBUTTONDOWN …
    const TSurface* hIcon = nullptr;
    std::string szTip;              // at most 127 characters are shown
    std::string szInfo;             // balloon text (255), empty: none
    std::string szInfoTitle;        // balloon title (63)
    DWORD dwInfoFlags = NIIF_NONE;
    UINT uTimeout = 0;
};

// NIM_ADD, NIM_MODIFY or NIM_DELETE. False when the desktop has no
// notification area, the icon is unknown (modify, delete) or already there
// (add). A balloon (NIF_INFO with a text) goes to the desktop's notification
// service when one runs; without one it is skipped and the call still counts.
BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA* data);
