// Notification-area icons on X11: each icon is a small window docked into the
// system tray through the XEmbed system-tray protocol (the owner of the
// selection _NET_SYSTEM_TRAY_S<screen> is the tray). No tray: no icon. A tray
// that starts (again) announces itself with a MANAGER message on the root
// window; the layer then adds its icons anew.
#include <algorithm>

#include "platform/backend/x11/X11Internal.h"

namespace backend
{
namespace
{
constexpr long kSystemTrayRequestDock = 0;
constexpr long kXEmbedMapped = 1;
// Two presses closer than this are a double click (the system's default).
constexpr Time kDoubleClickMs = 500;
}  // namespace

Window TX11Backend::TrayManager()
{
    const std::string sel = "_NET_SYSTEM_TRAY_S" + std::to_string(screen_);
    return XGetSelectionOwner(dpy_, A(sel.c_str()));
}

void TX11Backend::SetTrayHandler(TTrayHandler handler)
{
    trayHandler_ = std::move(handler);
    // The MANAGER message of a tray that starts comes to the root window.
    XSelectInput(dpy_, root_, PropertyChangeMask | StructureNotifyMask);
    trayManager_ = TrayManager();
    if (trayManager_) XSelectInput(dpy_, trayManager_, StructureNotifyMask);
    XFlush(dpy_);
}

void TX11Backend::TrayDock(TrayIcon& t)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = trayManager_;
    ev.xclient.message_type = A("_NET_SYSTEM_TRAY_OPCODE");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = CurrentTime;
    ev.xclient.data.l[1] = kSystemTrayRequestDock;
    ev.xclient.data.l[2] = long(t.xw);
    XSendEvent(dpy_, trayManager_, False, NoEventMask, &ev);
    XFlush(dpy_);
}

bool TX11Backend::TrayAdd(std::uint32_t id, const TTrayIconDesc& icon)
{
    trayManager_ = TrayManager();
    if (!trayManager_ || tray_.count(id)) return false;
    XSelectInput(dpy_, trayManager_, StructureNotifyMask);
    TrayIcon t;
    t.desc = icon;
    XSetWindowAttributes a{};
    a.background_pixmap = ParentRelative;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
    t.xw = XCreateWindow(dpy_, root_, 0, 0, 22, 22, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWBackPixmap | CWEventMask, &a);
    if (!t.xw) return false;
    const long info[2] = {0, kXEmbedMapped};
    XChangeProperty(dpy_, t.xw, A("_XEMBED_INFO"), A("_XEMBED_INFO"), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(info), 2);
    XStoreName(dpy_, t.xw, icon.Tip.empty() ? "Quorvel MTS" : icon.Tip.c_str());
    // Trays size their sockets by the icon's size hints.
    XSizeHints hints{};
    hints.flags = PMinSize | PBaseSize;
    hints.min_width = hints.base_width = 22;
    hints.min_height = hints.base_height = 22;
    XSetWMNormalHints(dpy_, t.xw, &hints);
    auto& slot = tray_[id];
    slot = t;
    TrayDock(slot);
    return true;
}

bool TX11Backend::TrayModify(std::uint32_t id, const TTrayIconDesc& icon)
{
    auto it = tray_.find(id);
    if (it == tray_.end()) return false;
    it->second.desc = icon;
    XStoreName(dpy_, it->second.xw, icon.Tip.empty() ? "Quorvel MTS" : icon.Tip.c_str());
    DrawTrayIcon(it->second);
    return true;
}

bool TX11Backend::TrayDelete(std::uint32_t id)
{
    auto it = tray_.find(id);
    if (it == tray_.end()) return false;
    XDestroyWindow(dpy_, it->second.xw);
    tray_.erase(it);
    XFlush(dpy_);
    return true;
}

void TX11Backend::DrawTrayIcon(TrayIcon& t)
{
    if (!t.xw) return;
    XClearWindow(dpy_, t.xw);
    const TTrayIconDesc& d = t.desc;
    if (d.Width <= 0 || d.Height <= 0 || d.Pixels.size() < std::size_t(d.Width) * d.Height) return;
    // The picture scaled into the window, centred; the tray's background
    // shows through the transparent pixels.
    const int side = std::min(t.width, t.height);
    const int ox = (t.width - side) / 2, oy = (t.height - side) / 2;
    GC gc = XCreateGC(dpy_, t.xw, 0, nullptr);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            const std::uint32_t p = d.Pixels[std::size_t(y * d.Height / side) * d.Width + x * d.Width / side];
            if ((p >> 24) < 128) continue;
            XSetForeground(dpy_, gc, p & 0xFFFFFF);
            XDrawPoint(dpy_, t.xw, gc, ox + x, oy + y);
        }
    XFreeGC(dpy_, gc);
    XFlush(dpy_);
}

bool TX11Backend::TrayDispatch(XEvent& ev)
{
    // A tray started: the old icons went with the old one; the layer adds them again.
    if (ev.type == ClientMessage && ev.xclient.window == root_ && ev.xclient.message_type == A("MANAGER"))
    {
        const std::string sel = "_NET_SYSTEM_TRAY_S" + std::to_string(screen_);
        if (Atom(ev.xclient.data.l[1]) != A(sel.c_str())) return false;
        for (auto& [id, t] : tray_) XDestroyWindow(dpy_, t.xw);
        tray_.clear();
        trayManager_ = TrayManager();
        if (trayHandler_) trayHandler_(0, TTrayEvent::TrayCreated);
        return true;
    }
    if (ev.type == DestroyNotify && trayManager_ && ev.xdestroywindow.window == trayManager_)
    {
        // The tray went away: its icons are no more to be seen.
        for (auto& [id, t] : tray_) XUnmapWindow(dpy_, t.xw);
        trayManager_ = 0;
        return true;
    }
    Window w = 0;
    switch (ev.type)
    {
    case Expose: w = ev.xexpose.window; break;
    case ConfigureNotify: w = ev.xconfigure.window; break;
    case ButtonPress:
    case ButtonRelease: w = ev.xbutton.window; break;
    case MotionNotify: w = ev.xmotion.window; break;
    case ReparentNotify: w = ev.xreparent.window; break;
    case MapNotify: w = ev.xmap.window; break;
    case UnmapNotify: w = ev.xunmap.window; break;
    case DestroyNotify: w = ev.xdestroywindow.window; break;
    default: return false;
    }
    auto it = std::find_if(tray_.begin(), tray_.end(), [w](const auto& e) { return e.second.xw == w; });
    if (it == tray_.end()) return false;
    const std::uint32_t id = it->first;
    TrayIcon& t = it->second;
    auto fire = [this, id](TTrayEvent e) {
        if (trayHandler_) trayHandler_(id, e);
    };
    switch (ev.type)
    {
    case Expose:
        if (ev.xexpose.count == 0) DrawTrayIcon(t);
        break;
    case ConfigureNotify:
        t.width = ev.xconfigure.width;
        t.height = ev.xconfigure.height;
        DrawTrayIcon(t);
        break;
    case MotionNotify:
        if (sink_) sink_->MouseMove(TPoint(ev.xmotion.x_root, ev.xmotion.y_root));
        fire(TTrayEvent::MouseMove);
        break;
    case ButtonPress:
    case ButtonRelease:
    {
        const bool down = ev.type == ButtonPress;
        const unsigned b = ev.xbutton.button;
        if (b != Button1 && b != Button2 && b != Button3) break;
        // The cursor position the layer reports is where the click was.
        if (sink_) sink_->MouseMove(TPoint(ev.xbutton.x_root, ev.xbutton.y_root));
        if (b == Button1)
        {
            if (down)
            {
                const bool dbl = t.lastButton == Button1 && ev.xbutton.time - t.lastPress < kDoubleClickMs;
                t.lastPress = dbl ? 0 : ev.xbutton.time;
                t.lastButton = dbl ? 0 : Button1;
                fire(dbl ? TTrayEvent::LeftDouble : TTrayEvent::LeftDown);
            }
            else
                fire(TTrayEvent::LeftUp);
        }
        else if (b == Button3)
            fire(down ? TTrayEvent::RightDown : TTrayEvent::RightUp);
        else
            fire(down ? TTrayEvent::MiddleDown : TTrayEvent::MiddleUp);
        break;
    }
    default: break;
    }
    return true;
}
} // namespace backend
