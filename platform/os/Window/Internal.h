// The window manager's shared inside: the window node, the state every part
// of it works on, and the helpers the parts call across files. Included only
// by the files under platform/os/Window/. The public calls are in Window.h.
//
// Windows are nodes of one tree (WindowNode; an HWND points at one). Only
// top-level windows have pixels (a TSurface the size of the window) and a
// backend window; a child draws into its top-level window's pixels through a
// DC whose visible region is cut from the tree (parents' client areas, window
// regions, siblings above with WS_CLIPSIBLINGS, children with WS_CLIPCHILDREN).
// Released DCs hand the changed part to the backend.
//
// Input arrives as raw events (Input.h) and becomes messages when retrieved:
// hit testing with WM_NCHITTEST, mouse activation, WM_SETCURSOR, capture,
// double clicks and leave tracking happen then. Retrieval order: posted
// messages, WM_QUIT, input, WM_PAINT, WM_TIMER.
//
// A destroyed node leaves the set of live handles at once but its memory is
// kept until no window procedure runs, so a procedure that destroys its own
// window returns safely.
//
// The parts:
//   Tree.cpp        the state; geometry helpers; classes and window procedures;
//                   sending and posting; the tree and z-order; creation and
//                   destruction
//   Activation.cpp  activation, focus and capture; positions and showing
//   Paint.cpp       window device contexts and painting; the non-client area
//                   (frame sizes, hit test, painting)
//   Input.cpp       raw input events and how they become window messages
//   Dispatch.cpp    timers; retrieval (PeekMessage, GetMessage) and dispatch
//   MoveLoop.cpp    the move/size loop; window regions and layered windows
//   Caret.cpp       the caret
//   System.cpp      clipboard, metrics and system parameters; set-up and reset
//
// Threads: everything here belongs to the GUI thread, except what a comment
// at its declaration names as guarded by a mutex or atomic.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/core/Region.h"
#include "platform/core/Surface.h"
#include "platform/os/Window.h"

namespace wm
{
struct ClassRec
{
    WNDCLASS wc;
};

struct ProcEntry
{
    TSubclassToken token;
    std::shared_ptr<TWndProc> proc;
};
} // namespace wm

struct WindowNode
{
    std::shared_ptr<wm::ClassRec> cls;
    std::string text;
    DWORD style = 0, exStyle = 0;
    std::intptr_t id = 0, userData = 0;
    WindowNode* parent = nullptr;   // child windows
    WindowNode* owner = nullptr;    // top-level windows
    std::vector<WindowNode*> children;   // [0] is the top of the z-order
    TRect rect;                     // parent client coordinates (screen for top-level)
    TRect client;                   // window coordinates
    std::vector<wm::ProcEntry> chain;   // [0] the class procedure
    HRGN rgn = nullptr;             // window region, owned
    TRegion update;                 // client coordinates
    bool erase = false;
    bool ncDirty = false;
    bool internalPaint = false;
    bool ncActive = false;
    bool alive = true;
    bool destroying = false;
    bool messageOnly = false;
    bool hiddenWithOwner = false;   // hidden because its owner was minimized
    bool covered = false;           // top-level: the screen shows none of it
    TRect restore;
    bool hasRestore = false;
    // Top-level windows.
    backend::TopLevelId bid = 0;
    std::unique_ptr<TSurface> surface;
    COLORREF layerKey = 0;
    BYTE layerAlpha = 255;
    DWORD layerFlags = 0;
    bool ulw = false;               // picture given by UpdateLayeredWindow
    BYTE ulwAlpha = 255;
    DWORD ulwFlags = 0;
    COLORREF ulwKey = 0;
};

namespace wm
{
// Our own WINDOWPOS flags: the client area did not change size / place
// (WM_WINDOWPOSCHANGED then sends no WM_SIZE / WM_MOVE).
constexpr UINT SWP_NOCLIENTSIZE_ = 0x0800;
constexpr UINT SWP_NOCLIENTMOVE_ = 0x1000;

struct RawEvent
{
    enum Kind { Move, Button, Wheel, KeyEv, TextEv } kind = Move;
    TPoint pt;
    backend::TMouseButton button = backend::TMouseButton::Left;
    bool down = false;
    int delta = 0;
    bool horizontal = false;   // a Wheel event of the horizontal wheel
    int vk = 0;
    std::string text;
};

struct TimerRec
{
    HWND hwnd;
    std::uintptr_t id;
    UINT interval;
    std::uint64_t due;
    TIMERPROC proc;
    std::uint64_t seq;
};

// A window that asked for WM_MOUSELEAVE (nc: WM_NCMOUSELEAVE).
struct Track
{
    HWND hwnd;
    bool nc;
};

// The last button press, for double clicks.
struct LastDown
{
    HWND hwnd = nullptr;
    UINT msg = 0;
    std::uint64_t time = 0;
    TPoint pt;
    bool valid = false;
};

struct CaretState
{
    HWND hwnd = nullptr;
    int w = 0, h = 0;
    TPoint pos;
    int hideCount = 1;
    // Where the caret is drawn now (inverted pixels of a top-level window).
    WindowNode* drawnRoot = nullptr;
    std::vector<TRect> drawn;
};

struct DcRec
{
    WindowNode* root;
    TRegion vis;    // root window coordinates: what the DC can draw, presented on release
};

// ---- the window tree (Tree.cpp) ----
// Registered classes by lower-case name. GUI thread.
extern std::map<std::string, std::shared_ptr<ClassRec>> gClasses;
// The live handles. Guarded by gLiveMx: any thread may ask whether a handle
// is live (PostMessage, IsWindow); only the GUI thread adds and removes.
extern std::mutex gLiveMx;
extern std::unordered_set<WindowNode*> gLive;
// Top-level windows, [0] on top. GUI thread.
extern std::vector<WindowNode*> gTop;
// Destroyed nodes, freed by Sweep when no window procedure runs (gDepth 0).
// GUI thread.
extern std::vector<WindowNode*> gGrave;
extern int gDepth;
// Freed nodes kept back so that their addresses are not reused for a while.
// GUI thread.
extern std::deque<std::unique_ptr<WindowNode>> gRetired;
// Subclass tokens: atomic (handed out on any thread); the removed-token map
// belongs to the GUI thread.
extern std::atomic<TSubclassToken> gNextToken;
extern std::unordered_map<TSubclassToken, TSubclassToken> gRemovedBelow;   // removed token -> token below
// Registered window messages. GUI thread.
extern std::map<std::string, UINT> gRegistered;
extern UINT gNextRegistered;

// ---- the message queue (Tree.cpp, Input.cpp, Dispatch.cpp) ----
// Guarded by gQueueMx: any thread posts messages and raw input.
extern std::mutex gQueueMx;
extern std::deque<MSG> gPosted;
extern bool gQuit;
extern int gQuitCode;
extern std::deque<RawEvent> gRaw;
// Input turned into messages, not yet retrieved. GUI thread.
extern std::deque<MSG> gCooked;
// Time and cursor position of the last retrieved message. GUI thread.
extern DWORD gMsgTime;
extern TPoint gMsgPos;
// Called when a loop on the GUI thread would wait (the test driver). GUI thread.
extern std::function<bool()> gIdleHook;

// ---- timers (Dispatch.cpp). GUI thread. ----
extern std::vector<TimerRec> gTimers;
extern std::uintptr_t gNextTimerId;
extern std::uint64_t gTimerSeq;

// ---- activation, focus, capture and input state. GUI thread. ----
extern HWND gActive, gFocus, gCapture;
extern std::vector<Track> gTracks;
extern BYTE gKeys[256];
extern TPoint gCursor;
extern UINT gDblTime;
extern LastDown gLastDown;
extern int gBeeps;
extern bool gAltAlone;
// The window under the cursor and whether the cursor is in its client area.
extern WindowNode* gOver;
extern bool gOverClient;
extern std::map<int, std::unique_ptr<CursorObject>> gCursors;
extern HCURSOR gCurrentCursor;

// ---- painting, caret, system. GUI thread. ----
extern std::unordered_map<HDC, DcRec> gDCs;
extern TSurface* gScreenSurface;
extern CaretState gCaret;
extern bool gDragFullSet, gDragFull;
// Whether the backend has the input sink (EnsureInit).
extern bool gInit;

// ---- helpers the parts share ----
// Tree.cpp
// The live node behind a handle, or null. Any thread.
WindowNode* N(HWND h);
// The backend, once the window manager is set up.
backend::IBackend& BE();
WindowNode* Root(WindowNode* n);
TPoint ClientOrigin(WindowNode* n);   // screen
TPoint WindowOrigin(WindowNode* n);   // screen
TRect ScreenRect(WindowNode* n);
TPoint OffsetInRoot(WindowNode* n);
bool VisibleDeep(WindowNode* n);
const TRegion* WinRgn(WindowNode* n);
void DropWindowRegion(HRGN rgn);
TRegion AreaInRoot(WindowNode* n);
TRegion VisibleRgn(WindowNode* n, bool whole, bool clipChildren, bool clipSiblings);
bool IsTopmost(WindowNode* n);
void SyncZOrder();
void SyncLayer(WindowNode* n);
void SyncShadow(WindowNode* n);
void SyncVisible(WindowNode* n);
void Present(WindowNode* root, const TRect& r);
void Sweep();
bool ApplyZOrder(WindowNode* n, HWND after);
void NotifyParents(WindowNode* n, WPARAM wp, LPARAM lpChildOrPoint, bool isPoint);
void RecalcClient(WindowNode* n, const TRect& oldRect, const TRect& oldClient, WINDOWPOS* wp, bool valid);
// childMode: 0 auto, 1 all, -1 none.
void InvalidateClient(WindowNode* n, TRegion rgn, bool erase, int childMode);
void InvalidateWhole(WindowNode* n);
void ValidateClient(WindowNode* n, const TRegion& rgn, bool kids);
// Activation.cpp
bool CanActivate(WindowNode* n);
void KillFocusTo(WindowNode* next);
void ActivateWindow(WindowNode* n, WPARAM how, bool raise = true);
void ActivateOther(WindowNode* leaving);
MINMAXINFO GetMinMax(WindowNode* n);
void SendSize(WindowNode* n);
// Paint.cpp
bool NeedsPaint(WindowNode* n);
// Input.cpp
int ButtonVk(backend::TMouseButton b);
void Cook(const RawEvent& e);
bool TakeRaw(RawEvent& e);
// Dispatch.cpp
WindowNode* FindPaint(WindowNode* n, HWND filter);
bool PeekCore(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove);
void WaitForWork();
// MoveLoop.cpp
void RunSizeMoveLoop(WindowNode* n, WPARAM cmd);
// System.cpp
void EnsureInit();
} // namespace wm
