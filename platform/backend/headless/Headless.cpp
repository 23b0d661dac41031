#include "platform/backend/headless/Headless.h"

#include <algorithm>
#include <chrono>

namespace backend
{
THeadlessBackend::THeadlessBackend()
    : THeadlessBackend({TMonitorDesc{TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 994), true}})
{
}

THeadlessBackend::THeadlessBackend(std::vector<TMonitorDesc> monitors) { SetMonitors(std::move(monitors)); }

void THeadlessBackend::SetMonitors(std::vector<TMonitorDesc> monitors)
{
    if (monitors.empty()) monitors.push_back({TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 994), true});
    bool anyPrimary = false;
    for (auto& m : monitors)
    {
        if (m.WorkArea.IsEmpty()) m.WorkArea = m.Bounds;
        anyPrimary = anyPrimary || m.Primary;
    }
    if (!anyPrimary) monitors[0].Primary = true;
    monitors_ = std::move(monitors);
}

std::vector<TMonitorDesc> THeadlessBackend::GetMonitors() { return monitors_; }

TopLevelId THeadlessBackend::CreateTopLevel(const TTopLevelDesc& desc, const TRect& bounds)
{
    auto w = std::make_unique<Win>();
    w->desc = desc;
    w->bounds = bounds;
    w->pixels = TSurface(bounds.Width(), bounds.Height());
    TopLevelId id = next_++;
    wins_[id] = std::move(w);
    order_.push_back(id);
    return id;
}

void THeadlessBackend::DestroyTopLevel(TopLevelId id)
{
    wins_.erase(id);
    if (grab_ == id) grab_ = 0;
    order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
}

void THeadlessBackend::SetBounds(TopLevelId id, const TRect& bounds)
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    it->second->bounds = bounds;
    it->second->pixels.Resize(bounds.Width(), bounds.Height());
}

void THeadlessBackend::SetVisible(TopLevelId id, bool visible)
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    it->second->visible = visible;
    it->second->minimized = false;
}

// A minimized window leaves the desktop picture (there is no task bar to show it on).
void THeadlessBackend::SetMinimized(TopLevelId id, bool minimized)
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    it->second->minimized = minimized;
    if (minimized) it->second->visible = false;
}

void THeadlessBackend::SetTopmost(TopLevelId id, bool topmost)
{
    auto it = wins_.find(id);
    if (it != wins_.end()) it->second->desc.Topmost = topmost;
}

void THeadlessBackend::SetIcon(TopLevelId id, const TSurface* icon)
{
    auto it = wins_.find(id);
    if (it != wins_.end()) it->second->hasIcon = icon && !icon->Empty();
}

void THeadlessBackend::SetTitle(TopLevelId id, const std::string& title)
{
    auto it = wins_.find(id);
    if (it != wins_.end()) it->second->desc.Title = title;
}

void THeadlessBackend::SetZOrder(const std::vector<TopLevelId>& bottomToTop)
{
    std::vector<TopLevelId> o;
    for (TopLevelId id : bottomToTop)
        if (wins_.count(id)) o.push_back(id);
    // Windows the caller did not list keep their place at the bottom.
    for (TopLevelId id : order_)
        if (std::find(o.begin(), o.end(), id) == o.end()) o.insert(o.begin(), id);
    order_ = std::move(o);
}

void THeadlessBackend::SetShape(TopLevelId id, const TRegion* shape)
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    if (shape) it->second->shape = *shape;
    else it->second->shape.reset();
}

void THeadlessBackend::SetLayer(TopLevelId id, const TLayerAttrs& attrs)
{
    auto it = wins_.find(id);
    if (it != wins_.end()) it->second->layer = attrs;
}

void THeadlessBackend::Present(TopLevelId id, const TSurface& pixels, const TRect& dirty)
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return;
    TSurface& dst = it->second->pixels;
    if (dst.Width() != pixels.Width() || dst.Height() != pixels.Height()) dst.Resize(pixels.Width(), pixels.Height());
    TRect r;
    if (!IntersectRect(r, dirty, pixels.Bounds())) return;
    for (int y = r.Top; y < r.Bottom; ++y)
        std::copy(pixels.Row(y) + r.Left, pixels.Row(y) + r.Right, dst.Row(y) + r.Left);
}

void THeadlessBackend::SetDropShadow(TopLevelId id, bool on)
{
    auto it = wins_.find(id);
    if (it != wins_.end()) it->second->shadow = on;
}

void THeadlessBackend::SetClipboardText(const std::string& text) { clipboard_ = text; }
std::string THeadlessBackend::GetClipboardText() { return clipboard_; }

void THeadlessBackend::WaitForEvents(unsigned timeoutMs)
{
    std::deque<std::function<void(IInputSink&)>> events;
    IInputSink* sink = nullptr;
    {
        std::unique_lock<std::mutex> g(wakeMx_);
        if (!woken_ && timeoutMs && input_.empty())
            wakeCv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return woken_ || !input_.empty(); });
        woken_ = false;
        // Without a sink the events wait for one.
        sink = sink_;
        if (sink) events.swap(input_);
    }
    // Outside the lock: the sink wakes the backend again.
    for (auto& e : events) e(*sink);
}

void THeadlessBackend::Wake()
{
    {
        std::lock_guard<std::mutex> g(wakeMx_);
        woken_ = true;
    }
    wakeCv_.notify_all();
}

void THeadlessBackend::queueInput(std::function<void(IInputSink&)> event)
{
    {
        std::lock_guard<std::mutex> g(wakeMx_);
        input_.push_back(std::move(event));
    }
    wakeCv_.notify_all();
}

void THeadlessBackend::SendMouseMove(TPoint pt)
{
    queueInput([pt](IInputSink& s) { s.MouseMove(pt); });
}

void THeadlessBackend::SendMouseButton(TMouseButton b, bool down, TPoint pt)
{
    queueInput([=](IInputSink& s) { s.MouseButton(b, down, pt); });
}

void THeadlessBackend::SendMouseWheel(int delta, TPoint pt)
{
    queueInput([=](IInputSink& s) { s.MouseWheel(delta, pt); });
}

void THeadlessBackend::SendMouseHWheel(int delta, TPoint pt)
{
    queueInput([=](IInputSink& s) { s.MouseHWheel(delta, pt); });
}

void THeadlessBackend::SendKey(int vk, bool down)
{
    queueInput([=](IInputSink& s) { s.Key(vk, down); });
}

void THeadlessBackend::SendText(const std::string& utf8)
{
    queueInput([utf8](IInputSink& s) { s.Text(utf8); });
}

void THeadlessBackend::SendCovered(TopLevelId id, bool covered)
{
    queueInput([=](IInputSink& s) { s.Covered(id, covered); });
}

bool THeadlessBackend::HasQueuedInput() const
{
    std::lock_guard<std::mutex> g(wakeMx_);
    return !input_.empty();
}

std::optional<THeadlessBackend::WindowInfo> THeadlessBackend::Info(TopLevelId id) const
{
    auto it = wins_.find(id);
    if (it == wins_.end()) return std::nullopt;
    WindowInfo i;
    i.Bounds = it->second->bounds;
    i.Visible = it->second->visible;
    i.Layer = it->second->layer;
    i.Shaped = it->second->shape.has_value();
    i.Shadow = it->second->shadow;
    i.Minimized = it->second->minimized;
    i.Topmost = it->second->desc.Topmost;
    i.HasIcon = it->second->hasIcon;
    i.Title = it->second->desc.Title;
    return i;
}

std::vector<TopLevelId> THeadlessBackend::ZOrder() const { return order_; }

TSurface THeadlessBackend::Compose() const
{
    TRect all;
    for (auto& m : monitors_) UnionRect(all, all, m.Bounds);
    return Compose(all);
}

namespace
{
inline BYTE Mix(int s, int d, int a) { return BYTE((s * a + d * (255 - a) + 127) / 255); }
} // namespace

TSurface THeadlessBackend::Compose(const TRect& area) const
{
    TSurface out(area.Width(), area.Height());
    out.Fill(desktop_);
    for (TopLevelId id : order_)
    {
        const Win& w = *wins_.at(id);
        if (!w.visible) continue;
        if (w.layer.Layered && w.layer.UseAlpha && w.layer.Alpha == 0) continue;
        TRegion vis(w.bounds);
        if (w.shape)
        {
            TRegion s = *w.shape;
            s.Offset(w.bounds.Left, w.bounds.Top);
            vis &= s;
        }
        TRegion full = vis;
        vis &= TRegion(area);
        const TLayerAttrs& L = w.layer;
        int k = (L.Layered && L.UseAlpha) ? L.Alpha : 255;
        if (w.shadow && !(L.Layered && L.PerPixel))
        {
            // The shadow: the window's shape moved 4 pixels down and right,
            // darkening what is below by a third (less when the window fades).
            constexpr int kOffset = 4;
            TRegion sh = full;
            sh.Offset(kOffset, kOffset);
            sh -= full;
            sh &= TRegion(area);
            int dark = 85 * k / 255;
            for (const TRect& r : sh.Rects())
                for (int y = r.Top; y < r.Bottom; ++y)
                {
                    TPixel* dst = out.Row(y - area.Top);
                    for (int x = r.Left; x < r.Right; ++x)
                    {
                        TPixel& d = dst[x - area.Left];
                        d = MakePixel(BYTE(PixelR(d) * (255 - dark) / 255), BYTE(PixelG(d) * (255 - dark) / 255),
                                      BYTE(PixelB(d) * (255 - dark) / 255), 255);
                    }
                }
        }
        for (const TRect& r : vis.Rects())
            for (int y = r.Top; y < r.Bottom; ++y)
            {
                const TPixel* src = w.pixels.Row(y - w.bounds.Top);
                TPixel* dst = out.Row(y - area.Top);
                for (int x = r.Left; x < r.Right; ++x)
                {
                    int sx = x - w.bounds.Left;
                    if (sx < 0 || sx >= w.pixels.Width() || y - w.bounds.Top >= w.pixels.Height()) continue;
                    TPixel s = src[sx];
                    TPixel& d = dst[x - area.Left];
                    if (L.Layered && L.UseColorKey && PixelToColorRef(s) == (L.KeyColor & 0xFFFFFF)) continue;
                    if (L.Layered && L.PerPixel)
                    {
                        // Premultiplied source: d = s*k + d*(1 - sa*k).
                        int sa = PixelA(s) * k / 255;
                        auto ch = [&](BYTE sc, BYTE dc) {
                            return BYTE(std::min(255, (sc * k + 127) / 255 + (dc * (255 - sa) + 127) / 255));
                        };
                        d = MakePixel(ch(PixelR(s), PixelR(d)), ch(PixelG(s), PixelG(d)), ch(PixelB(s), PixelB(d)),
                                      255);
                    }
                    else if (k == 255)
                        d = s | 0xFF000000u;
                    else
                        d = MakePixel(Mix(PixelR(s), PixelR(d), k), Mix(PixelG(s), PixelG(d), k),
                                      Mix(PixelB(s), PixelB(d), k), 255);
                }
            }
    }
    return out;
}

TPixel THeadlessBackend::DesktopPixel(TPoint pt) const
{
    TSurface s = Compose(Bounds(pt.X, pt.Y, 1, 1));
    return s.Pixel(0, 0);
}

bool THeadlessBackend::SaveSnapshot(const std::string& path) const { return Compose().SavePng(path, false); }
bool THeadlessBackend::SaveSnapshot(const std::string& path, const TRect& area) const
{
    return Compose(area).SavePng(path, false);
}

THeadlessBackend& UseHeadless()
{
    auto b = std::make_unique<THeadlessBackend>();
    THeadlessBackend& ref = *b;
    SetCurrent(std::move(b));
    return ref;
}

THeadlessBackend& UseHeadless(std::vector<TMonitorDesc> monitors)
{
    auto b = std::make_unique<THeadlessBackend>(std::move(monitors));
    THeadlessBackend& ref = *b;
    SetCurrent(std::move(b));
    return ref;
}

THeadlessBackend* CurrentHeadless() { return dynamic_cast<THeadlessBackend*>(&Current()); }
} // namespace backend

// ---------------------------------------------------------------------------
// Notification area

namespace backend
{
void THeadlessBackend::SetTrayAvailable(bool on)
{
    if (trayAvailable_ == on) return;
    trayAvailable_ = on;
    // A vanished area takes its icons along; a new one is announced.
    tray_.clear();
    if (on) SendTrayEvent(0, TTrayEvent::TrayCreated);
}

void THeadlessBackend::SendTrayEvent(std::uint32_t id, TTrayEvent ev)
{
    queueInput([this, id, ev](IInputSink&) {
        if (trayHandler_) trayHandler_(id, ev);
    });
}

bool THeadlessBackend::TrayAdd(std::uint32_t id, const TTrayIconDesc& icon)
{
    if (!trayAvailable_) return false;
    tray_[id] = icon;
    return true;
}

bool THeadlessBackend::TrayModify(std::uint32_t id, const TTrayIconDesc& icon)
{
    auto it = tray_.find(id);
    if (it == tray_.end()) return false;
    it->second = icon;
    return true;
}

bool THeadlessBackend::TrayDelete(std::uint32_t id) { return tray_.erase(id) > 0; }

bool THeadlessBackend::TrayBalloon(std::uint32_t id, const std::string& title, const std::string& text, int iconType)
{
    if (tray_.find(id) == tray_.end()) return false;
    balloons_.push_back(Balloon{id, title, text, iconType});
    return true;
}
} // namespace backend
