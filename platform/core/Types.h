// Basic integer, handle and message-parameter types shared by every layer.
// Names follow the window system the program was designed on; values are ours.
#pragma once
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using BOOL = int;
using COLORREF = std::uint32_t;   // 0x00BBGGRR
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Opaque handles: each names an object owned by the platform layer.
struct WindowNode;
struct DeviceContext;
struct GdiObject;
struct MonitorInfoNode;
struct CursorObject;
struct IconObject;

using HWND = WindowNode*;
using HDC = DeviceContext*;
using HGDIOBJ = GdiObject*;
using HBITMAP = GdiObject*;
using HBRUSH = GdiObject*;
using HPEN = GdiObject*;
using HFONT = GdiObject*;
using HRGN = GdiObject*;
using HMONITOR = MonitorInfoNode*;
using HCURSOR = CursorObject*;
using HICON = IconObject*;
using HMENU = void*;
using HINSTANCE = void*;
using HANDLE = void*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16)); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return WPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16)); }
// Signed coordinates packed in an LPARAM.
constexpr int GET_X_LPARAM(LPARAM l) { return short(LOWORD(std::uintptr_t(l))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return short(HIWORD(std::uintptr_t(l))); }
