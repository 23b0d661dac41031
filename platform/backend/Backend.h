// The screen behind the window manager. Only top-level windows reach the
// backend; child windows are drawn, clipped and hit-tested by the os layer
// inside their top-level window's pixels.
//
// The os layer owns each top-level window's pixels (a TSurface the size of the
// window) and hands the changed part to the backend with Present. The backend
// shows them (headless: keeps a copy and composes a virtual desktop; X11: puts
// them into a real window) and feeds user input back through the input sink.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/core/Types.h"

class TSurface;
class TRegion;

namespace backend
{
struct TMonitorDesc
{
    TRect Bounds;      // desktop coordinates
    TRect WorkArea;    // part not covered by panels and task bars
    bool Primary = false;
};

using TopLevelId = std::uint64_t;

struct TTopLevelDesc
{
    bool Popup = false;        // no frame from a window manager (menus, drop-downs, hints)
    bool ToolWindow = false;   // no task-bar button
    bool NoActivate = false;   // never takes the activation
    bool Topmost = false;
    TopLevelId Owner = 0;
    std::string Title;
    std::string ClassName;     // window class: tells a hint from a menu or drop-down
};

// How a top-level window's pixels meet the desktop.
struct TLayerAttrs
{
    bool Layered = false;       // WS_EX_LAYERED
    bool UseAlpha = false;      // constant alpha (SetLayeredWindowAttributes LWA_ALPHA)
    BYTE Alpha = 255;
    bool UseColorKey = false;   // pixels of KeyColor are holes
    COLORREF KeyColor = 0;
    bool PerPixel = false;      // UpdateLayeredWindow: the pixels' own (straight) alpha counts
    bool ClickThrough = false;  // WS_EX_TRANSPARENT on a layered window
};

enum class TMouseButton { Left, Right, Middle };

// A notification-area (system tray) icon: its picture (straight 32-bit
// pixels, 0xAARRGGBB, rows top first) and tooltip.
struct TTrayIconDesc
{
    int Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::string Tip;
};
// What happens to a tray icon. TrayCreated (id 0): a notification area
// appeared (again), icons may be added.
enum class TTrayEvent { MouseMove, LeftDown, LeftUp, LeftDouble, RightDown, RightUp, MiddleDown, MiddleUp,
                        BalloonClick, TrayCreated };
// Called on the GUI thread, from WaitForEvents.
using TTrayHandler = std::function<void(std::uint32_t id, TTrayEvent ev)>;

// Where a backend delivers user input (the os layer implements it). Points are
// in desktop coordinates. Calls come on the GUI thread, from WaitForEvents.
class IInputSink
{
public:
    virtual ~IInputSink() = default;
    virtual void MouseMove(TPoint pt) = 0;
    virtual void MouseButton(TMouseButton b, bool down, TPoint pt) = 0;
    virtual void MouseWheel(int delta, TPoint pt) = 0;
    // The horizontal wheel (tilt); positive is to the right.
    virtual void MouseHWheel(int delta, TPoint pt) = 0;
    virtual void Key(int vk, bool down) = 0;
    virtual void Text(const std::string& utf8) = 0;
    virtual void CloseRequest(TopLevelId id) = 0;
    virtual void Exposed(TopLevelId id, const TRect& r) = 0;
    // The screen gave a window the activation or took it away (another
    // program, the window manager).
    virtual void Activated(TopLevelId id, bool active) = 0;
    // The screen moved or sized a window itself (desktop coordinates).
    virtual void Configured(TopLevelId id, const TRect& bounds) = 0;
    // The screen minimized (iconified) or restored a window itself.
    virtual void Minimized(TopLevelId id, bool minimized) = 0;
    // Other windows came to cover all of a window, or no longer do (only a
    // screen that tells it: X11 without a compositor).
    virtual void Covered(TopLevelId /*id*/, bool /*covered*/) {}
    // Monitors or work areas changed.
    virtual void DisplayChanged() = 0;
};

class IBackend
{
public:
    virtual ~IBackend() = default;
    virtual std::string Name() const = 0;

    virtual std::vector<TMonitorDesc> GetMonitors() = 0;
    // Whether layered windows (constant and per-pixel alpha) can be shown.
    virtual bool LayeredAvailable() = 0;
    // "Show window contents while dragging".
    virtual bool DragFullWindows() = 0;

    virtual TopLevelId CreateTopLevel(const TTopLevelDesc& desc, const TRect& bounds) = 0;
    virtual void DestroyTopLevel(TopLevelId id) = 0;
    virtual void SetBounds(TopLevelId id, const TRect& bounds) = 0;
    virtual void SetVisible(TopLevelId id, bool visible) = 0;
    virtual void SetTitle(TopLevelId id, const std::string& title) = 0;
    // The full stacking order of the backend's windows, bottom first.
    virtual void SetZOrder(const std::vector<TopLevelId>& bottomToTop) = 0;
    // Window shape in window coordinates; null: rectangular.
    virtual void SetShape(TopLevelId id, const TRegion* shape) = 0;
    virtual void SetLayer(TopLevelId id, const TLayerAttrs& attrs) = 0;
    // New pixels of the window: `pixels` is the whole window; only `dirty`
    // (window coordinates) changed.
    virtual void Present(TopLevelId id, const TSurface& pixels, const TRect& dirty) = 0;
    virtual void SetCursorShape(int /*shape*/) {}
    // A soft shadow below and right of the window (class style CS_DROPSHADOW).
    virtual void SetDropShadow(TopLevelId /*id*/, bool /*on*/) {}
    // The layer gave the window the activation: the screen's keyboard focus
    // follows (windows that never activate ignore it).
    virtual void Activate(TopLevelId id) = 0;
    // Minimized: shown as an icon or task-bar button only; SetVisible(true)
    // restores it.
    virtual void SetMinimized(TopLevelId id, bool minimized) = 0;
    virtual void SetTopmost(TopLevelId id, bool topmost) = 0;
    // All pointer input goes to the layer while a window has the capture,
    // presses outside every window of the program included. 0 releases.
    virtual void GrabPointer(TopLevelId id) = 0;
    // The window's icon for task bars and switchers; null: none.
    virtual void SetIcon(TopLevelId id, const TSurface* icon) = 0;

    // Notification-area icons. Add answers false when the desktop has no
    // notification area (nothing is shown then). Balloon answers false when
    // the backend has no way to show one.
    virtual bool TrayAdd(std::uint32_t /*id*/, const TTrayIconDesc& /*icon*/) { return false; }
    virtual bool TrayModify(std::uint32_t /*id*/, const TTrayIconDesc& /*icon*/) { return false; }
    virtual bool TrayDelete(std::uint32_t /*id*/) { return false; }
    virtual bool TrayBalloon(std::uint32_t /*id*/, const std::string& /*title*/, const std::string& /*text*/,
                             int /*iconType*/)
    {
        return false;
    }
    virtual void SetTrayHandler(TTrayHandler /*handler*/) {}

    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;

    // Where native input goes.
    virtual void SetInputSink(IInputSink* sink) = 0;
    // Delivers pending native events to the sink; when there are none, waits
    // up to timeoutMs (0: no wait) or until Wake is called from any thread.
    virtual void WaitForEvents(unsigned timeoutMs) = 0;
    virtual void Wake() = 0;
};

// The backend in use. Nothing chooses one silently: the program sets the X11
// backend, tests and tools set the headless one (UseHeadless). Current()
// raises an Exception while none is set.
IBackend& Current();
void SetCurrent(std::unique_ptr<IBackend> b);
bool HasCurrent();
} // namespace backend
