// The X11 backend's own declarations, shared by its source files only.
#pragma once
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/core/Region.h"
#include "platform/core/Surface.h"

namespace backend
{
namespace x11
{
// Keysym of a key event -> the layer's virtual key (0: none).
int VirtualKeyOf(KeySym sym);
// Whether the layer makes the key's character itself (TranslateMessage), so
// the text the input method returns for it must not be sent again.
bool LayerTranslates(int vk);
} // namespace x11

class TX11Backend : public IBackend
{
public:
    TX11Backend(Display* dpy);
    ~TX11Backend() override;

    std::string Name() const override { return "x11"; }
    std::vector<TMonitorDesc> GetMonitors() override;
    bool LayeredAvailable() override;
    bool DragFullWindows() override { return true; }
    TopLevelId CreateTopLevel(const TTopLevelDesc& desc, const TRect& bounds) override;
    void DestroyTopLevel(TopLevelId id) override;
    void SetBounds(TopLevelId id, const TRect& bounds) override;
    void SetVisible(TopLevelId id, bool visible) override;
    void SetTitle(TopLevelId id, const std::string& title) override;
    void SetZOrder(const std::vector<TopLevelId>& bottomToTop) override;
    void SetShape(TopLevelId id, const TRegion* shape) override;
    void SetLayer(TopLevelId id, const TLayerAttrs& attrs) override;
    void Present(TopLevelId id, const TSurface& pixels, const TRect& dirty) override;
    void SetCursorShape(int shape) override;
    void SetDropShadow(TopLevelId, bool) override {}   // the compositor draws shadows, when one runs
    void Activate(TopLevelId id) override;
    void SetMinimized(TopLevelId id, bool minimized) override;
    void SetTopmost(TopLevelId id, bool topmost) override;
    void GrabPointer(TopLevelId id) override;
    void SetIcon(TopLevelId id, const TSurface* icon) override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;
    bool TrayAdd(std::uint32_t id, const TTrayIconDesc& icon) override;
    bool TrayModify(std::uint32_t id, const TTrayIconDesc& icon) override;
    bool TrayDelete(std::uint32_t id) override;
    void SetTrayHandler(TTrayHandler handler) override;
    void SetInputSink(IInputSink* sink) override { sink_ = sink; }
    void WaitForEvents(unsigned timeoutMs) override;
    void Wake() override;

private:
    struct Win
    {
        TopLevelId id = 0;
        Window xw = 0;
        TTopLevelDesc desc;
        bool overrideRedirect = false;
        bool argb = false;           // 32-bit visual with alpha
        TRect bounds;                // what the layer set (desktop coordinates)
        bool visible = false;        // the layer wants it shown
        bool requestedMap = false;   // we asked for it to be mapped
        bool mapped = false;         // the server says it is mapped
        bool focusOnMap = false;     // activated before the window manager mapped it
        bool iconic = false;         // minimized (by us or by the window manager)
        TLayerAttrs layer;
        std::optional<TRegion> shape;
        std::optional<TRegion> keyShape;   // where the pixels are not the colour key
        std::vector<long> icon;      // _NET_WM_ICON contents
        XIC xic = nullptr;
        GC gc = nullptr;
        // The presenting buffer (the window's size).
        XImage* image = nullptr;
        XShmSegmentInfo shm{};
        bool shmAttached = false;
        // Our own iconify or restore, until the window manager confirms it.
        long expectState = -1;
        unsigned long long expectUntil = 0;
        // Geometry requests not yet echoed by the server.
        unsigned long long configWaitUntil = 0;
    };

    // Windows
    Win* Find(TopLevelId id);
    Win* FindX(Window xw);
    Window MakeXWindow(Win& w);
    void ApplyProperties(Win& w);
    void SetPlacementHints(Win& w);
    void ApplyShape(Win& w);
    void UpdateKeyShape(Win& w);
    void ApplyOpacity(Win& w);
    void ApplyState(Win& w, Atom state, bool on);
    void DropImage(Win& w);
    bool EnsureImage(Win& w, int width, int height);
    void UpdateMapping(Win& w);
    void RebuildForVisual(Win& w);
    TRect ActualBounds(Win& w);
    void SendStateMessage(Win& w, long action, Atom a, Atom b = 0);
    void ExpectState(Win& w, long state);

    // Events
    void Dispatch(XEvent& ev);
    void OnKey(Win* w, XKeyEvent& ev);
    void OnButton(XButtonEvent& ev);
    void OnConfigure(Win& w);
    void OnProperty(XPropertyEvent& ev);
    void FlushFocus();
    bool WaitFd(int timeoutMs);

    // Notification area (X11Tray.cpp): icons docked through the XEmbed
    // system-tray protocol.
    struct TrayIcon
    {
        Window xw = 0;
        TTrayIconDesc desc;
        int width = 22, height = 22;
        Time lastPress = 0;
        unsigned lastButton = 0;
    };
    Window TrayManager();
    void TrayDock(TrayIcon& t);
    void DrawTrayIcon(TrayIcon& t);
    // True when the event belonged to the notification area.
    bool TrayDispatch(XEvent& ev);

    // Clipboard (X11Clipboard.cpp)
    void OnSelectionRequest(XSelectionRequestEvent& req);
    void OnSelectionClear(XSelectionClearEvent& ev);
    bool ReadSelectionReply(Atom target, std::string& out, bool& refused);

    Atom A(const char* name);

    Display* dpy_;
    int screen_;
    Window root_;
    Visual* visual_;
    int depth_;
    Visual* argbVisual_ = nullptr;
    Colormap argbColormap_ = 0;
    bool shmAvailable_ = false;
    bool shapeAvailable_ = false;
    bool randrAvailable_ = false;
    int randrEventBase_ = 0;
    XIM xim_ = nullptr;
    int wakeFd_ = -1;
    Window helper_ = 0;   // unmapped: selection owner and requester
    std::map<TopLevelId, std::unique_ptr<Win>> wins_;
    std::unordered_map<Window, TopLevelId> byX_;
    TopLevelId next_ = 1;
    std::vector<TopLevelId> order_;
    IInputSink* sink_ = nullptr;
    TopLevelId grab_ = 0, grabWanted_ = 0;
    Cursor cursor_ = 0;
    std::map<unsigned, Cursor> cursors_;
    std::map<std::string, Atom> atoms_;
    // Keyboard focus as the server reports it; handed on once per batch.
    TopLevelId focus_ = 0, reportedFocus_ = 0;
    bool focusDirty_ = false;
    std::optional<std::string> clip_;   // the text while the program owns CLIPBOARD
    Time lastTime_ = CurrentTime;
    std::map<std::uint32_t, TrayIcon> tray_;
    TTrayHandler trayHandler_;
    Window trayManager_ = 0;
};
} // namespace backend
