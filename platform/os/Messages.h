// Window messages, styles and the other constants of the window manager, with
// the records that messages carry. The numbers are this layer's own choice; they
// leave the skin library's fixed numbers free (1224-1430 above WM_USER, and
// 45490-45513, 48202-48203).
#pragma once
#include <cstdint>
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/core/VirtualKeys.h"

// ---- Messages -------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;          // LPARAM: const char* (UTF-8)
constexpr UINT WM_GETTEXT = 0x000D;          // WPARAM: buffer size, LPARAM: char*
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;       // WPARAM: HDC
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SHOWWINDOW = 0x0018;       // WPARAM: shown, LPARAM: reason
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;        // WPARAM: HWND under cursor, LPARAM: MAKELPARAM(hit, mouse msg)
constexpr UINT WM_MOUSEACTIVATE = 0x0021;    // WPARAM: top-level HWND, LPARAM: MAKELPARAM(hit, mouse msg)
constexpr UINT WM_GETMINMAXINFO = 0x0024;    // LPARAM: MINMAXINFO*
constexpr UINT WM_USERCHANGED = 0x0054;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046; // LPARAM: WINDOWPOS*
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;  // LPARAM: WINDOWPOS*
constexpr UINT WM_DRAWITEM = 0x002B;         // LPARAM: the control's draw record
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_DELETEITEM = 0x002D;
constexpr UINT WM_COMPAREITEM = 0x0039;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;      // WPARAM: HWND, LPARAM: screen point (-1,-1 from keyboard)
constexpr UINT WM_STYLECHANGING = 0x007C;
constexpr UINT WM_STYLECHANGED = 0x007D;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCCALCSIZE = 0x0083;       // WPARAM: valid-rects flag, LPARAM: NCCALCSIZE_PARAMS* or TRect*
constexpr UINT WM_NCHITTEST = 0x0084;        // LPARAM: screen point
constexpr UINT WM_NCPAINT = 0x0085;          // WPARAM: HRGN (1 = whole frame)
constexpr UINT WM_NCACTIVATE = 0x0086;       // WPARAM: active
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_SYNCPAINT = 0x0088;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;      // WPARAM: hit code, LPARAM: screen point
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_NCRBUTTONDBLCLK = 0x00A6;
constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
constexpr UINT WM_NCMBUTTONUP = 0x00A8;
constexpr UINT WM_NCMBUTTONDBLCLK = 0x00A9;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;          // WPARAM: virtual key, LPARAM: repeat/flags
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;             // WPARAM: Unicode code point
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
constexpr UINT WM_IME_ENDCOMPOSITION = 0x010E;
constexpr UINT WM_IME_COMPOSITION = 0x010F;  // WPARAM: GCS_ flags, LPARAM: const char* (UTF-8) of that string
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;       // WPARAM: SC_*, LPARAM: screen point
constexpr UINT WM_TIMER = 0x0113;            // WPARAM: timer id, LPARAM: TIMERPROC* or 0
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MENUCHAR = 0x0120;
constexpr UINT WM_ENTERIDLE = 0x0121;
constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;        // WPARAM: MK_* keys, LPARAM: client point
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;       // WPARAM: MAKEWPARAM(keys, delta), LPARAM: screen point
constexpr UINT WM_MOUSEHWHEEL = 0x020E;      // the same for the horizontal wheel (positive: to the right)
constexpr UINT WM_MOUSELAST = 0x020A;
constexpr UINT WM_PARENTNOTIFY = 0x0210;     // WPARAM: MAKEWPARAM(event, id), LPARAM: child or point
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT WM_SIZING = 0x0214;           // WPARAM: WMSZ_* edge, LPARAM: TRect* (screen)
constexpr UINT WM_CAPTURECHANGED = 0x0215;   // LPARAM: window taking the capture
constexpr UINT WM_MOVING = 0x0216;           // LPARAM: TRect* (screen)
constexpr UINT WM_MDIACTIVATE = 0x0222;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_NCMOUSEHOVER = 0x02A0;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_UNDO = 0x0304;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_PRINT = 0x0317;
constexpr UINT WM_PRINTCLIENT = 0x0318;
// WM_PRINT flags (LPARAM): which parts to draw into the DC in WPARAM.
constexpr LPARAM PRF_NONCLIENT = 0x0002;
constexpr LPARAM PRF_CLIENT = 0x0004;
// First number free for programs' own messages. The skin library numbers its
// messages from here (WM_USER + 201 and up).
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// WM_IME_COMPOSITION flags: the string is the one being composed, or the result to insert.
constexpr WPARAM GCS_COMPSTR = 0x0008;
constexpr WPARAM GCS_RESULTSTR = 0x0800;

// ---- Window styles ----------------------------------------------------------
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;     // WS_BORDER | WS_DLGFRAME
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;   // top-level: clicks pass through
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_DROPSHADOW = 0x00020000;

// GetWindowLong / SetWindowLong / GetClassLong indexes.
constexpr int GWL_WNDPROC = -4;     // not a number here: use SubclassWindow
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GCL_STYLE = -26;

// ---- SetWindowPos / ShowWindow -----------------------------------------------
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
constexpr UINT SWP_NOSENDCHANGING = 0x0400;

// Special insert-after values of SetWindowPos.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t(-2));
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(std::intptr_t(-3));

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_SIZING edges.
constexpr WPARAM WMSZ_LEFT = 1;
constexpr WPARAM WMSZ_RIGHT = 2;
constexpr WPARAM WMSZ_TOP = 3;
constexpr WPARAM WMSZ_TOPLEFT = 4;
constexpr WPARAM WMSZ_TOPRIGHT = 5;
constexpr WPARAM WMSZ_BOTTOM = 6;
constexpr WPARAM WMSZ_BOTTOMLEFT = 7;
constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

// WM_NCCALCSIZE results.
constexpr LRESULT WVR_VALIDRECTS = 0x0400;

// ---- Hit-test codes (WM_NCHITTEST); the sizing codes are HTLEFT..HTBOTTOMRIGHT = 10..17
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTGROWBOX = 4;
constexpr LRESULT HTMENU = 5;
constexpr LRESULT HTHSCROLL = 6;
constexpr LRESULT HTVSCROLL = 7;
constexpr LRESULT HTMINBUTTON = 8;
constexpr LRESULT HTMAXBUTTON = 9;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTOBJECT = 19;
constexpr LRESULT HTCLOSE = 20;
constexpr LRESULT HTHELP = 21;

// WM_MOUSEACTIVATE results.
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;

// WM_ACTIVATE kinds (low word of WPARAM).
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND commands (the low four bits carry extra data).
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_NEXTWINDOW = 0xF040;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_RESTORE = 0xF120;

// WM_PARENTNOTIFY events use the message numbers (WM_CREATE, WM_DESTROY, WM_LBUTTONDOWN ...).

// ---- Mouse key flags (WPARAM of client mouse messages) -------------------------
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return short(HIWORD(w)); }
constexpr int GET_KEYSTATE_WPARAM(WPARAM w) { return LOWORD(w); }

// TrackMouseEvent flags.
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_NONCLIENT = 0x00000010;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// WM_GETDLGCODE results.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// ---- Virtual keys: platform/core/VirtualKeys.h (the backends map their keys to them)

// Key-message LPARAM bits.
constexpr LPARAM KF_EXTENDED_BIT = LPARAM(1) << 24;
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM(1) << 29;
constexpr LPARAM KF_REPEAT_BIT = LPARAM(1) << 30;
constexpr LPARAM KF_UP_BIT = LPARAM(1) << 31;

// ---- Redraw, DC and layered-window flags -------------------------------------
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;

constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;

constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;
constexpr DWORD ULW_COLORKEY = 0x00000001;
constexpr DWORD ULW_ALPHA = 0x00000002;
constexpr DWORD ULW_OPAQUE = 0x00000004;

// ---- Metrics and system parameters --------------------------------------------
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXMAXTRACK = 59;
constexpr int SM_CYMAXTRACK = 60;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_MOUSEWHEELPRESENT = 75;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;

constexpr UINT SPI_GETWORKAREA = 0x0030;            // PVOID: TRect*
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;     // PVOID: BOOL*
constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x0025;     // UINT: new value

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

// PeekMessage flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// ---- Records ----------------------------------------------------------------------
// A queued message.
struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    TPoint pt;
};
using TMsg = MSG;

// A message as window-procedure methods of the class library see it.
struct TMessage
{
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(std::uintptr_t(LParam)); }
    WORD LParamHi() const { return HIWORD(std::uintptr_t(LParam)); }
};

struct WINDOWPOS
{
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    int x = 0, y = 0, cx = 0, cy = 0;
    UINT flags = 0;
};

// WM_NCCALCSIZE: rgrc[0] holds the new window rectangle (parent coordinates) and
// receives the new client rectangle.
struct NCCALCSIZE_PARAMS
{
    TRect rgrc[3];
    WINDOWPOS* lppos = nullptr;
};

// WM_STYLECHANGING / WM_STYLECHANGED (WPARAM: GWL_STYLE or GWL_EXSTYLE).
struct STYLESTRUCT
{
    DWORD styleOld = 0;
    DWORD styleNew = 0;
};

struct MINMAXINFO
{
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

struct CREATESTRUCT
{
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0, cx = 0, y = 0, x = 0;
    LONG style = 0;
    const char* lpszName = nullptr;
    const char* lpszClass = nullptr;
    DWORD dwExStyle = 0;
};

struct PAINTSTRUCT
{
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    TRect rcPaint;
};

struct TRACKMOUSEEVENT
{
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);   // kept for callers that fill it; not checked
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
    DWORD dwHoverTime = 0;
};

struct MONITORINFO
{
    DWORD cbSize = sizeof(MONITORINFO);   // kept for callers that fill it; not checked
    TRect rcMonitor;
    TRect rcWork;
    DWORD dwFlags = 0;
};

// ---- Messages of the common controls ------------------------------------------------
// List box (the selection and indexes count lines). Numbers below WM_USER,
// as for the edit's EM_ messages.
constexpr UINT LB_ADDSTRING = 0x0180;        // LPARAM: const char*; result: index
constexpr UINT LB_INSERTSTRING = 0x0181;     // WPARAM: index (-1: end), LPARAM: const char*; result: index
constexpr UINT LB_DELETESTRING = 0x0182;     // WPARAM: index; result: lines left
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;           // WPARAM: select, LPARAM: index (-1: all)
constexpr UINT LB_SETCURSEL = 0x0186;        // WPARAM: index (-1: none)
constexpr UINT LB_GETSEL = 0x0187;           // WPARAM: index
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;          // WPARAM: index, LPARAM: char* (large enough)
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;       // WPARAM: search after (-1: from the top), LPARAM: prefix
constexpr UINT LB_GETSELCOUNT = 0x0190;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;      // WPARAM: index, LPARAM: TRect*
constexpr UINT LB_SETCARETINDEX = 0x019E;
constexpr UINT LB_GETCARETINDEX = 0x019F;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr LRESULT LB_ERR = -1;

// List view, header, tree view, tab control and up-down: each its own block
// in the user range, clear of the skin library's 1224-1430 and 2048.
constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT TVM_FIRST = 0x1100;
constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT UDM_FIRST = 0x1400;

constexpr UINT LVM_SETIMAGELIST = LVM_FIRST + 3;   // WPARAM: LVSIL_*, LPARAM: TCustomImageList*; result: the old one
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_GETITEMRECT = LVM_FIRST + 14;   // WPARAM: index, LPARAM: TRect* whose Left holds the LVIR_ code
constexpr UINT LVM_ENSUREVISIBLE = LVM_FIRST + 19; // WPARAM: index
constexpr UINT LVM_SCROLL = LVM_FIRST + 20;        // WPARAM: dx, LPARAM: dy (pixels; report view: rows' pixels)
constexpr UINT LVM_REDRAWITEMS = LVM_FIRST + 21;   // WPARAM: first, LPARAM: last
constexpr UINT LVM_GETHEADER = LVM_FIRST + 31;
constexpr UINT LVM_GETTOPINDEX = LVM_FIRST + 39;
constexpr UINT LVM_GETCOUNTPERPAGE = LVM_FIRST + 40;
constexpr UINT LVM_SETITEMCOUNT = LVM_FIRST + 47;
constexpr UINT LVM_EDITLABELW = LVM_FIRST + 118;   // WPARAM: index (-1: end editing); result: the edit window
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;
constexpr int LVIR_SELECTBOUNDS = 3;
constexpr WPARAM LVSIL_NORMAL = 0;
constexpr WPARAM LVSIL_SMALL = 1;
constexpr WPARAM LVSIL_STATE = 2;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0;
constexpr UINT HDM_HITTEST = HDM_FIRST + 6;        // LPARAM: HDHITTESTINFO*; result: item or -1
constexpr UINT HDM_GETITEMRECT = HDM_FIRST + 7;    // WPARAM: item, LPARAM: TRect*
constexpr UINT HDM_GETORDERARRAY = HDM_FIRST + 17; // WPARAM: entries, LPARAM: int*
constexpr UINT HHT_NOWHERE = 0x0001;
constexpr UINT HHT_ONHEADER = 0x0002;
constexpr UINT HHT_ONDIVIDER = 0x0004;
constexpr UINT HHT_ONDIVOPEN = 0x0008;
constexpr UINT HHT_TORIGHT = 0x0400;
struct HDHITTESTINFO
{
    TPoint pt;
    UINT flags = 0;
    int iItem = -1;
};

constexpr UINT TVM_GETCOUNT = TVM_FIRST + 5;
constexpr UINT TVM_SETIMAGELIST = TVM_FIRST + 9;    // WPARAM: TVSIL_*, LPARAM: TCustomImageList*
constexpr UINT TVM_GETVISIBLECOUNT = TVM_FIRST + 16;
constexpr WPARAM TVSIL_NORMAL = 0;
constexpr WPARAM TVSIL_STATE = 2;

constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;   // WPARAM: tab, LPARAM: TRect*
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;     // WPARAM: tab; result: the previous one
constexpr UINT TCM_HITTEST = TCM_FIRST + 13;
constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;    // WPARAM: larger (display -> window), LPARAM: TRect*
constexpr UINT TCM_SETITEMSIZE = TCM_FIRST + 41;   // LPARAM: MAKELPARAM(width, height)

constexpr UINT UDM_SETRANGE32 = UDM_FIRST + 111;
constexpr UINT UDM_GETRANGE32 = UDM_FIRST + 112;
constexpr UINT UDM_SETPOS32 = UDM_FIRST + 113;
constexpr UINT UDM_GETPOS32 = UDM_FIRST + 114;

// WM_DRAWITEM: what an owner-drawn control asks its parent to draw (the
// parent reflects it to the control as CN_DRAWITEM).
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;
struct DRAWITEMSTRUCT
{
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    TRect rcItem;
    std::uintptr_t itemData = 0;
};
