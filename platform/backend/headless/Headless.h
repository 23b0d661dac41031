// The headless backend: a virtual desktop in memory. Top-level windows are
// pictures stacked in z-order; the compositor honours window shapes, constant
// alpha, colour keys and per-pixel alpha, and writes PNG snapshots. Tests use
// it with the virtual clock.
//
// Input reaches the os layer as a display's would: Send* queues an event, and
// the next WaitForEvents hands it to the input sink.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/backend/Backend.h"
#include "platform/core/Region.h"
#include "platform/core/Surface.h"

namespace backend
{
class THeadlessBackend : public IBackend
{
public:
    // Default: one 1280 x 1024 monitor whose work area leaves 30 pixels at the
    // bottom for a task bar.
    THeadlessBackend();
    explicit THeadlessBackend(std::vector<TMonitorDesc> monitors);

    // ---- test controls ----
    void SetMonitors(std::vector<TMonitorDesc> monitors);
    void SetLayeredAvailable(bool on) { layered_ = on; }
    void SetDragFullWindowsSetting(bool on) { dragFull_ = on; }
    void SetDesktopColor(TPixel p) { desktop_ = p; }
    // The desktop as it looks now: the bounding box of the monitors, or `area`.
    TSurface Compose() const;
    TSurface Compose(const TRect& area) const;
    TPixel DesktopPixel(TPoint pt) const;
    bool SaveSnapshot(const std::string& path) const;
    bool SaveSnapshot(const std::string& path, const TRect& area) const;
    // What the backend knows of a window (for tests).
    struct WindowInfo
    {
        TRect Bounds;
        bool Visible = false;
        TLayerAttrs Layer;
        bool Shaped = false;
        bool Shadow = false;
        bool Minimized = false;
        bool Topmost = false;
        bool HasIcon = false;
        std::string Title;
    };
    std::optional<WindowInfo> Info(TopLevelId id) const;
    std::vector<TopLevelId> ZOrder() const;   // bottom first
    int CursorShape() const { return cursor_; }
    TopLevelId Grab() const { return grab_; }

    // ---- input, as a display delivers it (desktop coordinates) ----
    void SendMouseMove(TPoint pt);
    void SendMouseButton(TMouseButton b, bool down, TPoint pt);
    void SendMouseWheel(int delta, TPoint pt);
    void SendMouseHWheel(int delta, TPoint pt);
    void SendKey(int vk, bool down);
    void SendText(const std::string& utf8);
    // The screen reports a window entirely covered by others, or no longer (as X11 does).
    void SendCovered(TopLevelId id, bool covered);
    // Events sent but not yet handed to the sink.
    bool HasQueuedInput() const;

    // ---- notification area ----
    // Whether the desktop has a notification area (default: yes). Switching it
    // on again announces a new one (TrayCreated), as a restarted panel does.
    void SetTrayAvailable(bool on);
    // The icons shown now, by id.
    const std::map<std::uint32_t, TTrayIconDesc>& TrayIcons() const { return tray_; }
    struct Balloon
    {
        std::uint32_t Id;
        std::string Title, Text;
        int IconType;
    };
    const std::vector<Balloon>& Balloons() const { return balloons_; }
    // Something happens to an icon (queued like input).
    void SendTrayEvent(std::uint32_t id, TTrayEvent ev);

    // ---- IBackend ----
    std::string Name() const override { return "headless"; }
    std::vector<TMonitorDesc> GetMonitors() override;
    bool LayeredAvailable() override { return layered_; }
    bool DragFullWindows() override { return dragFull_; }
    TopLevelId CreateTopLevel(const TTopLevelDesc& desc, const TRect& bounds) override;
    void DestroyTopLevel(TopLevelId id) override;
    void SetBounds(TopLevelId id, const TRect& bounds) override;
    void SetVisible(TopLevelId id, bool visible) override;
    void SetTitle(TopLevelId id, const std::string& title) override;
    void SetZOrder(const std::vector<TopLevelId>& bottomToTop) override;
    void SetShape(TopLevelId id, const TRegion* shape) override;
    void SetLayer(TopLevelId id, const TLayerAttrs& attrs) override;
    void Present(TopLevelId id, const TSurface& pixels, const TRect& dirty) override;
    void SetCursorShape(int shape) override { cursor_ = shape; }
    void SetDropShadow(TopLevelId id, bool on) override;
    void Activate(TopLevelId) override {}
    void SetMinimized(TopLevelId id, bool minimized) override;
    void SetTopmost(TopLevelId id, bool topmost) override;
    void GrabPointer(TopLevelId id) override { grab_ = id; }
    void SetIcon(TopLevelId id, const TSurface* icon) override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;
    bool TrayAdd(std::uint32_t id, const TTrayIconDesc& icon) override;
    bool TrayModify(std::uint32_t id, const TTrayIconDesc& icon) override;
    bool TrayDelete(std::uint32_t id) override;
    bool TrayBalloon(std::uint32_t id, const std::string& title, const std::string& text, int iconType) override;
    void SetTrayHandler(TTrayHandler handler) override { trayHandler_ = std::move(handler); }
    void SetInputSink(IInputSink* sink) override
    {
        std::lock_guard<std::mutex> g(wakeMx_);
        sink_ = sink;
    }
    void WaitForEvents(unsigned timeoutMs) override;
    void Wake() override;

private:
    struct Win
    {
        TTopLevelDesc desc;
        TRect bounds;
        bool visible = false;
        TLayerAttrs layer;
        std::optional<TRegion> shape;
        bool shadow = false;
        bool minimized = false;
        bool hasIcon = false;
        TSurface pixels;
    };
    std::vector<TMonitorDesc> monitors_;
    std::map<TopLevelId, std::unique_ptr<Win>> wins_;
    std::vector<TopLevelId> order_;   // bottom first
    TopLevelId next_ = 1;
    bool layered_ = true;
    bool dragFull_ = true;
    TPixel desktop_ = MakePixel(0, 64, 128);
    int cursor_ = 0;
    TopLevelId grab_ = 0;
    std::string clipboard_;
    bool trayAvailable_ = true;
    std::map<std::uint32_t, TTrayIconDesc> tray_;
    std::vector<Balloon> balloons_;
    TTrayHandler trayHandler_;
    void queueInput(std::function<void(IInputSink&)> event);
    IInputSink* sink_ = nullptr;
    // wakeMx_ guards sink_, woken_ and input_ (Wake and Send* may come from any thread).
    mutable std::mutex wakeMx_;
    std::condition_variable wakeCv_;
    bool woken_ = false;
    std::deque<std::function<void(IInputSink&)>> input_;
};

// Makes a fresh headless backend the current one and returns it.
THeadlessBackend& UseHeadless();
THeadlessBackend& UseHeadless(std::vector<TMonitorDesc> monitors);
// The current backend when it is headless, else null.
THeadlessBackend* CurrentHeadless();
} // namespace backend
