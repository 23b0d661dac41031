// The window manager: window classes, the window tree (parent, owner,
// z-order), window procedures and subclassing, message queues and dispatch,
// positions and showing, the non-client area, the move/size loop, painting
// and window device contexts, focus, activation, capture, keyboard and mouse
// state, timers, window regions, layered windows, caret and clipboard.
//
// Everything here runs on the GUI thread, except PostMessage, PostQuitMessage and
// SendMessage, which may be called from any thread (a SendMessage from another
// thread runs on the GUI thread and waits for it).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/os/Gdi.h"
#include "platform/os/Messages.h"

// A window procedure.
using TWndProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
// A timer callback (SetTimer with a procedure instead of WM_TIMER dispatch).
using TIMERPROC = std::function<void(HWND, UINT, std::uintptr_t, DWORD)>;

struct WNDCLASS
{
    UINT style = 0;
    TWndProc lpfnWndProc;          // empty: DefWindowProc
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr; // erase brush (system colour index + 1 allowed)
    std::string lpszClassName;
};

// Registers a class; false when the name is taken or empty. Names compare
// case-insensitively (ASCII).
bool RegisterClass(const WNDCLASS& wc);
bool UnregisterClass(const std::string& name);
bool GetClassInfo(const std::string& name, WNDCLASS* out);
std::string GetClassName(HWND hwnd);
DWORD GetClassLong(HWND hwnd, int index);            // GCL_STYLE
DWORD SetClassLong(HWND hwnd, int index, DWORD value);

constexpr int CW_USEDEFAULT = int(0x80000000);

// Creates a window. For a child (WS_CHILD) parent is its parent; for other
// windows it is the owner. menuOrId is the child id. Null on failure (unknown
// class, dead parent, WM_NCCREATE answered 0 or WM_CREATE answered -1).
HWND CreateWindowEx(DWORD exStyle, const std::string& className, const std::string& windowName,
                    DWORD style, int x, int y, int w, int h, HWND parent, std::uintptr_t menuOrId = 0,
                    HINSTANCE instance = nullptr, void* param = nullptr);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Every window here takes Unicode (UTF-8) text.
BOOL IsWindowUnicode(HWND hwnd);

// ---- window procedures -------------------------------------------------------
// A window's procedures form a chain: the class procedure at the bottom,
// each SubclassWindow on top of the ones before. A message goes to the top;
// a procedure passes a message on with CallPreviousWindowProc using its own
// token. Procedures can be removed in any order; a procedure removed while it
// runs still reaches the one that was below it.
using TSubclassToken = std::uint64_t;
TSubclassToken SubclassWindow(HWND hwnd, TWndProc proc);
bool RemoveWindowSubclass(HWND hwnd, TSubclassToken token);
LRESULT CallPreviousWindowProc(HWND hwnd, TSubclassToken self, UINT msg, WPARAM wp, LPARAM lp);
// Calls the window's procedure chain from the top (what SendMessage does on
// the GUI thread).
LRESULT CallWindowProcChain(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// ---- messages ---------------------------------------------------------------------
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
// Queues a message (any thread). hwnd null: a thread message (GetMessage
// returns it with a null window; DispatchMessage ignores it). False for a
// window that does not exist.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0);
void PostQuitMessage(int exitCode);
// Waits for the next message. Returns 0 for WM_QUIT, -1 on error, else 1.
// hwnd / range filter as the system's (0, 0: all).
int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
LRESULT DispatchMessage(const MSG* msg);
// Posts WM_CHAR / WM_SYSCHAR for a key-down that makes a character.
BOOL TranslateMessage(const MSG* msg);
// Whether messages of any kind (posted, input, paint, timer due) wait.
bool HasPendingMessages();
// Registered messages: the same name gives the same number (0xC000 and up).
UINT RegisterWindowMessage(const std::string& name);
// Message time and cursor position of the last message retrieved.
DWORD GetMessageTime();
DWORD GetMessagePos();

// Serves everything pending (synchronised calls, posted messages, input, paints,
// due timers) without waiting. WM_QUIT seen here is kept for the outer loop.
// Returns whether anything was done.
bool ProcessPendingMessages();
// Runs a nested loop until `done` returns true, serving messages and synchronised
// calls meanwhile (WM_QUIT ends it early and is posted again for the outer loop).
void RunNestedLoop(const std::function<bool()>& done);
// Waits once for something to do when nothing is pending (a message, input,
// a timer falling due, a synchronised call, or an idle hook's work), without
// taking any message from the queue. Serves synchronised calls meanwhile.
BOOL WaitMessage();
// Called when the GUI thread is about to wait for events with nothing pending
// (test drivers use it to feed scripted input to modal loops). Returns true
// when it did something.
void SetIdleHook(std::function<bool()> hook);

// ---- tree and attributes ----------------------------------------------------------
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;

HWND GetParent(HWND hwnd);        // child: parent; top-level: owner
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);  // z-order walks: GW_HWNDNEXT is the next lower
HWND GetTopWindow(HWND hwnd);     // hwnd null: topmost top-level window
BOOL IsChild(HWND parent, HWND hwnd);
// Children (top of z-order first); null parent: the top-level windows.
std::vector<HWND> GetChildWindows(HWND parent);
// Every window below parent (depth first), or every window when parent is null.
std::vector<HWND> GetAllWindows(HWND parent = nullptr);
HWND FindWindow(const std::string& className, const std::string& windowName);  // "" = any

LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
std::intptr_t GetWindowLongPtr(HWND hwnd, int index);   // GWL_USERDATA, GWL_ID …
std::intptr_t SetWindowLongPtr(HWND hwnd, int index, std::intptr_t value);
std::string GetWindowText(HWND hwnd);
BOOL SetWindowText(HWND hwnd, const std::string& text);
int GetDlgCtrlID(HWND hwnd);

BOOL IsWindowVisible(HWND hwnd);  // the window and all its ancestors
// True while the screen reports the window's top-level window entirely
// covered by other windows (X11 without a compositor; the headless desktop
// and a composited screen never do). A window that comes out from under
// them is invalidated whole, so what was not painted meanwhile is painted.
bool IsWindowCovered(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);

// ---- positions ---------------------------------------------------------------------
BOOL GetWindowRect(HWND hwnd, TRect* r);    // screen coordinates
BOOL GetClientRect(HWND hwnd, TRect* r);    // (0, 0, width, height)
BOOL ClientToScreen(HWND hwnd, TPoint* pt);
BOOL ScreenToClient(HWND hwnd, TPoint* pt);
int MapWindowPoints(HWND from, HWND to, TPoint* pts, int count);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL repaint);
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL BringWindowToTop(HWND hwnd);
// The window rectangle around client rectangle r for windows with these
// styles and the default frame (scroll bars are not counted, as on the system).
BOOL AdjustWindowRectEx(TRect* r, DWORD style, BOOL menu, DWORD exStyle);
// Window placement before minimize/maximize (screen / parent coordinates).
BOOL GetRestoredRect(HWND hwnd, TRect* r);

// ---- hit testing ---------------------------------------------------------------------
// The window that gets the mouse at pt: asks WM_NCHITTEST, skips hidden and
// disabled windows, windows whose region leaves pt out and click-through
// layered windows.
HWND WindowFromPoint(TPoint pt);
HWND ChildWindowFromPoint(HWND parent, TPoint clientPt);

// ---- painting ------------------------------------------------------------------------
BOOL InvalidateRect(HWND hwnd, const TRect* r, BOOL erase);     // client coordinates; null: all
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const TRect* r);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
BOOL RedrawWindow(HWND hwnd, const TRect* r, HRGN rgn, UINT flags);
BOOL UpdateWindow(HWND hwnd);
// Scrolls the client area by (dx, dy): with no rectangle the children move
// along; the scrolled part is repainted.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const TRect* rect, const TRect* clip);
BOOL GetUpdateRect(HWND hwnd, TRect* r, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A DC on the client area; hwnd null: a screen DC (for measuring; drawing on
// it shows nothing).
HDC GetDC(HWND hwnd);
// A DC on the whole window, frame included (origin at the window's corner).
HDC GetWindowDC(HWND hwnd);
// clip (screen coordinates) is intersected or excluded with DCX_INTERSECTRGN
// / DCX_EXCLUDERGN; DCX_WINDOW gives a whole-window DC.
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
int ReleaseDC(HWND hwnd, HDC dc);
// The window a DC of GetDC, GetWindowDC, GetDCEx or BeginPaint draws on.
HWND WindowFromDC(HDC dc);

// ---- focus, activation, capture ---------------------------------------------------------
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);

// ---- keyboard and mouse state --------------------------------------------------------------
// High bit (0x8000) set while down; low bit toggles (caps lock and the like).
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);
BOOL GetCursorPos(TPoint* pt);
BOOL SetCursorPos(int x, int y);    // moves the pointer (sends a mouse move)
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);
BOOL MessageBeep(UINT type);
// Beeps so far (for tests).
int BeepCount();

// ---- cursors --------------------------------------------------------------------------------
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
constexpr int IDC_APPSTARTING = 32650;
struct CursorObject
{
    int Shape = IDC_ARROW;
};
// A system cursor by IDC_* number (instance ignored). Never freed.
HCURSOR LoadCursor(HINSTANCE instance, int id);
HCURSOR SetCursor(HCURSOR c);
HCURSOR GetCursor();

// ---- timers --------------------------------------------------------------------------------
// Window timers on the one clock. WM_TIMER comes when nothing else waits;
// a timer fires at most once per retrieval, then is due again `ms` later.
// Intervals below 10 ms count as 10. hwnd null: the id is chosen and returned.
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, UINT ms, TIMERPROC proc = nullptr);
BOOL KillTimer(HWND hwnd, std::uintptr_t id);
// When the next timer is due (clock milliseconds), or 0 when there is none.
std::uint64_t NextTimerDue();

// ---- regions and layered windows -------------------------------------------------------------
// The window takes ownership of rgn (window coordinates); null removes it.
// The picture a top-level window shows in task bars and switchers; null: none.
BOOL SetWindowIcon(HWND hwnd, const TSurface* icon);
int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw);
// Copies the window region into rgn; returns its kind, or RGN_ERROR when none.
int GetWindowRgn(HWND hwnd, HRGN rgn);

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags);
// Per-pixel alpha: the pixels of src (premultiplied with ULW_ALPHA and
// AC_SRC_ALPHA) at srcPt become the window's picture; dstPt / size move and
// size the window when given.
BOOL UpdateLayeredWindow(HWND hwnd, HDC dstScreen, const TPoint* dstPt, const TSize* size, HDC src,
                         const TPoint* srcPt, COLORREF key, const BLENDFUNCTION* blend, DWORD flags);
// Whether layered windows can be shown (the probe the skin library asks).
bool IsLayeredWindowsAvailable();

// ---- caret -----------------------------------------------------------------------------------
BOOL CreateCaret(HWND hwnd, HBITMAP bmp, int w, int h);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(TPoint* pt);
// Whether the caret exists and is shown (hide count 0), for tests and backends.
bool IsCaretVisible();
HWND GetCaretWindow();

// ---- clipboard (text) -----------------------------------------------------------------------
void SetClipboardText(const std::string& text);
std::string GetClipboardText();
bool ClipboardHasText();

// ---- system ------------------------------------------------------------------------------------
int GetSystemMetrics(int index);
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni);
// Tells every top-level window that the monitors changed (WM_DISPLAYCHANGE).
void NotifyDisplayChange();

// Resets the window manager: destroys every window, forgets classes, timers,
// queued messages, input state and the clipboard. Tests call it between cases.
void ResetWindowManager();
