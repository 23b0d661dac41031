// The X11 backend: windows, presenting, input and the event loop. See
// X11Backend.h; the clipboard lives in X11Clipboard.cpp, the key table in
// X11Keys.cpp.
#include "platform/backend/x11/X11Backend.h"

#include <X11/Xlocale.h>
#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/backend/x11/X11Internal.h"

namespace backend
{
namespace
{
// Errors of requests on windows that went away meanwhile are expected; they
// must not end the program (Xlib's default handler exits).
int gLastError = 0;
int RecordError(Display*, XErrorEvent* e)
{
    gLastError = e->error_code;
    return 0;
}

unsigned long long NowMs()
{
    return (unsigned long long)std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How long our own geometry requests may take to come back from the window
// manager; configure events meanwhile are echoes, not the screen's own moves.
constexpr unsigned kConfigEchoMs = 500;

// The layer's cursor numbers (IDC_*) -> the standard cursor font.
unsigned CursorGlyph(int shape)
{
    switch (shape)
    {
    case 32513: return XC_xterm;                 // I-beam
    case 32514: return XC_watch;                 // wait
    case 32515: return XC_crosshair;             // cross
    case 32516: return XC_center_ptr;            // up arrow
    case 32642: return XC_bottom_right_corner;   // size NW-SE
    case 32643: return XC_bottom_left_corner;    // size NE-SW
    case 32644: return XC_sb_h_double_arrow;     // size W-E
    case 32645: return XC_sb_v_double_arrow;     // size N-S
    case 32646: return XC_fleur;                 // size all
    case 32648: return XC_X_cursor;              // no
    case 32649: return XC_hand2;                 // hand
    case 32650: return XC_watch;                 // app starting
    }
    return XC_left_ptr;
}

bool ContainsNoCase(const std::string& s, const char* part)
{
    std::string a = s, b = part;
    for (auto& c : a) c = char(std::tolower((unsigned char)c));
    for (auto& c : b) c = char(std::tolower((unsigned char)c));
    return a.find(b) != std::string::npos;
}

constexpr long kEventMask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask |
                            FocusChangeMask | PropertyChangeMask | VisibilityChangeMask;
} // namespace

std::unique_ptr<IBackend> OpenX11(const char* display, std::string* why)
{
    const char* name = display ? display : std::getenv("DISPLAY");
    if (!name || !*name)
    {
        if (why) *why = "DISPLAY is not set";
        return nullptr;
    }
    Display* d = XOpenDisplay(name);
    if (!d)
    {
        if (why) *why = std::string("cannot open display ") + name;
        return nullptr;
    }
    return std::make_unique<TX11Backend>(d);
}

bool UseX11(std::string* why)
{
    auto b = OpenX11(nullptr, why);
    if (!b) return false;
    SetCurrent(std::move(b));
    return true;
}

// ---------------------------------------------------------------------------
// Connection
// ---------------------------------------------------------------------------
TX11Backend::TX11Backend(Display* dpy) : dpy_(dpy)
{
    XSetErrorHandler(RecordError);
    screen_ = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen_);
    visual_ = DefaultVisual(dpy_, screen_);
    depth_ = DefaultDepth(dpy_, screen_);

    XVisualInfo tmpl{};
    tmpl.screen = screen_;
    tmpl.depth = 32;
    tmpl.c_class = TrueColor;
    int n = 0;
    if (XVisualInfo* vi = XGetVisualInfo(dpy_, VisualScreenMask | VisualDepthMask | VisualClassMask, &tmpl, &n))
    {
        for (int i = 0; i < n; ++i)
            if (vi[i].red_mask == 0xFF0000 && vi[i].green_mask == 0xFF00 && vi[i].blue_mask == 0xFF)
            {
                argbVisual_ = vi[i].visual;
                break;
            }
        XFree(vi);
    }
    if (argbVisual_) argbColormap_ = XCreateColormap(dpy_, root_, argbVisual_, AllocNone);

    int evBase = 0, errBase = 0;
    shmAvailable_ = XShmQueryExtension(dpy_);
    shapeAvailable_ = XShapeQueryExtension(dpy_, &evBase, &errBase);
    randrAvailable_ = XRRQueryExtension(dpy_, &randrEventBase_, &errBase);
    if (randrAvailable_) XRRSelectInput(dpy_, root_, RRScreenChangeNotifyMask);
    XSelectInput(dpy_, root_, PropertyChangeMask);   // _NET_WORKAREA
    // Held keys repeat as presses only, without the releases in between.
    XkbSetDetectableAutoRepeat(dpy_, True, nullptr);

    // The input method works in the user's locale; plain ASCII works without one.
    const char* ctype = setlocale(LC_CTYPE, nullptr);
    if (!ctype || std::strcmp(ctype, "C") == 0)
        if (!setlocale(LC_CTYPE, "") || !XSupportsLocale()) setlocale(LC_CTYPE, "C");
    XSetLocaleModifiers("");
    xim_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
    if (!xim_)
    {
        XSetLocaleModifiers("@im=none");
        xim_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
    }

    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    helper_ = XCreateSimpleWindow(dpy_, root_, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(dpy_, helper_, PropertyChangeMask);
    XFlush(dpy_);
}

TX11Backend::~TX11Backend()
{
    std::vector<TopLevelId> ids;
    for (auto& kv : wins_) ids.push_back(kv.first);
    for (TopLevelId id : ids) DestroyTopLevel(id);
    for (auto& kv : cursors_) XFreeCursor(dpy_, kv.second);
    if (xim_) XCloseIM(xim_);
    if (argbColormap_) XFreeColormap(dpy_, argbColormap_);
    XDestroyWindow(dpy_, helper_);
    XCloseDisplay(dpy_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

Atom TX11Backend::A(const char* name)
{
    auto it = atoms_.find(name);
    if (it != atoms_.end()) return it->second;
    Atom a = XInternAtom(dpy_, name, False);
    atoms_[name] = a;
    return a;
}

// ---------------------------------------------------------------------------
// Monitors
// ---------------------------------------------------------------------------
std::vector<TMonitorDesc> TX11Backend::GetMonitors()
{
    std::vector<TMonitorDesc> out;
    if (randrAvailable_)
    {
        int n = 0;
        if (XRRMonitorInfo* m = XRRGetMonitors(dpy_, root_, True, &n))
        {
            for (int i = 0; i < n; ++i)
            {
                TMonitorDesc d;
                d.Bounds = Bounds(m[i].x, m[i].y, m[i].width, m[i].height);
                d.Primary = m[i].primary != 0;
                out.push_back(d);
            }
            XRRFreeMonitors(m);
        }
    }
    if (out.empty())
    {
        TMonitorDesc d;
        d.Bounds = Bounds(0, 0, DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_));
        out.push_back(d);
    }
    if (std::none_of(out.begin(), out.end(), [](const TMonitorDesc& d) { return d.Primary; }))
        out[0].Primary = true;

    // The work area of the current desktop, cut to each monitor.
    TRect work;
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long desktop = 0;
    if (XGetWindowProperty(dpy_, root_, A("_NET_CURRENT_DESKTOP"), 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data)
    {
        if (count == 1 && format == 32) desktop = reinterpret_cast<long*>(data)[0];
        XFree(data);
        data = nullptr;
    }
    if (XGetWindowProperty(dpy_, root_, A("_NET_WORKAREA"), 0, 4096, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data)
    {
        long* v = reinterpret_cast<long*>(data);
        if (format == 32 && count >= 4)
        {
            if ((unsigned long)(desktop * 4 + 4) > count) desktop = 0;
            work = Bounds(int(v[desktop * 4]), int(v[desktop * 4 + 1]), int(v[desktop * 4 + 2]),
                          int(v[desktop * 4 + 3]));
        }
        XFree(data);
    }
    for (auto& d : out)
    {
        TRect w;
        if (work.IsEmpty() || !IntersectRect(w, d.Bounds, work)) w = d.Bounds;
        d.WorkArea = w;
    }
    return out;
}

bool TX11Backend::LayeredAvailable()
{
    if (!argbVisual_) return false;
    std::string cm = "_NET_WM_CM_S" + std::to_string(screen_);
    return XGetSelectionOwner(dpy_, A(cm.c_str())) != None;
}

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------
TX11Backend::Win* TX11Backend::Find(TopLevelId id)
{
    auto it = wins_.find(id);
    return it == wins_.end() ? nullptr : it->second.get();
}

TX11Backend::Win* TX11Backend::FindX(Window xw)
{
    auto it = byX_.find(xw);
    return it == byX_.end() ? nullptr : Find(it->second);
}

Window TX11Backend::MakeXWindow(Win& w)
{
    XSetWindowAttributes a{};
    // No background: the server never paints over the window with a colour
    // of its own (on exposure or resizing); the layer's pixels fill it.
    a.background_pixmap = None;
    a.border_pixel = 0;
    a.bit_gravity = NorthWestGravity;
    a.override_redirect = w.overrideRedirect ? True : False;
    a.save_under = w.overrideRedirect ? True : False;
    a.event_mask = kEventMask;
    a.colormap = w.argb ? argbColormap_ : DefaultColormap(dpy_, screen_);
    unsigned long mask = CWBackPixmap | CWBorderPixel | CWBitGravity | CWOverrideRedirect | CWSaveUnder |
                         CWEventMask | CWColormap;
    w.xw = XCreateWindow(dpy_, root_, w.bounds.Left, w.bounds.Top, unsigned(std::max(1, w.bounds.Width())),
                         unsigned(std::max(1, w.bounds.Height())), 0, w.argb ? 32 : depth_, InputOutput,
                         w.argb ? argbVisual_ : visual_, mask, &a);
    w.gc = XCreateGC(dpy_, w.xw, 0, nullptr);
    if (xim_ && !w.overrideRedirect)
    {
        w.xic = XCreateIC(xim_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, w.xw,
                          XNFocusWindow, w.xw, nullptr);
        long imEvents = 0;
        if (w.xic && !XGetICValues(w.xic, XNFilterEvents, &imEvents, nullptr))
            XSelectInput(dpy_, w.xw, kEventMask | imEvents);
    }
    if (cursor_) XDefineCursor(dpy_, w.xw, cursor_);
    byX_[w.xw] = w.id;
    ApplyProperties(w);
    SetTitle(w.id, w.desc.Title);
    return w.xw;
}

void TX11Backend::ApplyProperties(Win& w)
{
    Atom atomType = XA_ATOM;
    XClassHint ch;
    std::string resName = program_invocation_short_name ? program_invocation_short_name : "quorvel";
    std::string resClass = "Quorvel";
    ch.res_name = resName.data();
    ch.res_class = resClass.data();
    XSetClassHint(dpy_, w.xw, &ch);
    long pid = long(getpid());
    XChangeProperty(dpy_, w.xw, A("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);

    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = w.overrideRedirect || w.desc.NoActivate ? False : True;
    hints.initial_state = w.iconic ? IconicState : NormalState;
    XSetWMHints(dpy_, w.xw, &hints);

    if (Win* owner = Find(w.desc.Owner)) XSetTransientForHint(dpy_, w.xw, owner->xw);

    Atom type;
    if (w.overrideRedirect)
        type = ContainsNoCase(w.desc.ClassName, "hint")   ? A("_NET_WM_WINDOW_TYPE_TOOLTIP")
               : ContainsNoCase(w.desc.ClassName, "menu") ? A("_NET_WM_WINDOW_TYPE_POPUP_MENU")
                                                          : A("_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");
    else
        type = w.desc.ToolWindow ? A("_NET_WM_WINDOW_TYPE_UTILITY") : A("_NET_WM_WINDOW_TYPE_NORMAL");
    XChangeProperty(dpy_, w.xw, A("_NET_WM_WINDOW_TYPE"), atomType, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    if (w.overrideRedirect) return;

    // No frame from the window manager: the skin draws its own.
    struct
    {
        unsigned long flags, functions, decorations;
        long inputMode;
        unsigned long status;
    } motif = {2, 0, 0, 0, 0};
    XChangeProperty(dpy_, w.xw, A("_MOTIF_WM_HINTS"), A("_MOTIF_WM_HINTS"), 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&motif), 5);
    Atom protocols[] = {A("WM_DELETE_WINDOW"), A("WM_TAKE_FOCUS")};
    XSetWMProtocols(dpy_, w.xw, protocols, 2);
    SetPlacementHints(w);

    std::vector<Atom> states;
    if (w.desc.Topmost) states.push_back(A("_NET_WM_STATE_ABOVE"));
    if (w.desc.ToolWindow) states.push_back(A("_NET_WM_STATE_SKIP_TASKBAR"));
    XChangeProperty(dpy_, w.xw, A("_NET_WM_STATE"), atomType, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(states.data()), int(states.size()));
    if (!w.icon.empty())
        XChangeProperty(dpy_, w.xw, A("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(w.icon.data()), int(w.icon.size()));
}

// The layer places its windows itself: the position is the client's own
// corner, whatever frame the window manager puts around it.
void TX11Backend::SetPlacementHints(Win& w)
{
    XSizeHints size{};
    size.flags = PPosition | USPosition | PWinGravity;
    size.x = w.bounds.Left;
    size.y = w.bounds.Top;
    size.win_gravity = StaticGravity;
    XSetWMNormalHints(dpy_, w.xw, &size);
}

TopLevelId TX11Backend::CreateTopLevel(const TTopLevelDesc& desc, const TRect& bounds)
{
    auto w = std::make_unique<Win>();
    w->id = next_++;
    w->desc = desc;
    w->bounds = bounds;
    // Windows that never activate (menus, drop-downs, hints, border pieces)
    // are kept away from the window manager: no frame, no focus, no placing.
    w->overrideRedirect = desc.Popup && desc.NoActivate;
    Win& ref = *w;
    wins_[w->id] = std::move(w);
    MakeXWindow(ref);
    order_.push_back(ref.id);
    XFlush(dpy_);
    return ref.id;
}

void TX11Backend::DropImage(Win& w)
{
    if (!w.image) return;
    if (w.shmAttached)
    {
        XShmDetach(dpy_, &w.shm);
        XSync(dpy_, False);
        shmdt(w.shm.shmaddr);
        w.image->data = nullptr;
        w.shmAttached = false;
    }
    XDestroyImage(w.image);
    w.image = nullptr;
}

void TX11Backend::DestroyTopLevel(TopLevelId id)
{
    Win* w = Find(id);
    if (!w) return;
    if (grab_ == id)
    {
        XUngrabPointer(dpy_, CurrentTime);
        grab_ = 0;
    }
    if (grabWanted_ == id) grabWanted_ = 0;
    DropImage(*w);
    if (w->xic) XDestroyIC(w->xic);
    if (w->gc) XFreeGC(dpy_, w->gc);
    byX_.erase(w->xw);
    XDestroyWindow(dpy_, w->xw);
    XFlush(dpy_);
    if (focus_ == id) focus_ = 0;
    if (reportedFocus_ == id) reportedFocus_ = 0;
    order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
    wins_.erase(id);
}

void TX11Backend::SetBounds(TopLevelId id, const TRect& bounds)
{
    Win* w = Find(id);
    if (!w || w->bounds == bounds) return;
    w->bounds = bounds;
    XMoveResizeWindow(dpy_, w->xw, bounds.Left, bounds.Top, unsigned(std::max(1, bounds.Width())),
                      unsigned(std::max(1, bounds.Height())));
    w->configWaitUntil = NowMs() + kConfigEchoMs;
    XFlush(dpy_);
}

void TX11Backend::UpdateMapping(Win& w)
{
    bool want = w.visible && w.bounds.Width() > 0 && w.bounds.Height() > 0;
    if (want && !w.requestedMap)
    {
        if (!w.overrideRedirect)
        {
            // Window managers may move a window while it is withdrawn; the
            // layer's place counts.
            SetPlacementHints(w);
            XMoveWindow(dpy_, w.xw, w.bounds.Left, w.bounds.Top);
        }
        XMapRaised(dpy_, w.xw);
        w.requestedMap = true;
        // Override-redirect windows are mapped at once; managed ones once the
        // window manager lets them (MapNotify).
        if (w.overrideRedirect) w.mapped = true;
    }
    else if (!want && w.requestedMap)
    {
        if (w.overrideRedirect) XUnmapWindow(dpy_, w.xw);
        else XWithdrawWindow(dpy_, w.xw, screen_);
        w.requestedMap = false;
        w.mapped = false;
        if (grab_ == w.id) grab_ = 0;
    }
    XFlush(dpy_);
}

void TX11Backend::SetVisible(TopLevelId id, bool visible)
{
    Win* w = Find(id);
    if (!w) return;
    w->visible = visible;
    if (w->iconic)
    {
        w->iconic = false;
        if (visible && w->requestedMap)
        {
            ExpectState(*w, NormalState);
            XMapWindow(dpy_, w->xw);   // de-iconifies
            XFlush(dpy_);
            return;
        }
    }
    UpdateMapping(*w);
}

void TX11Backend::SetMinimized(TopLevelId id, bool minimized)
{
    Win* w = Find(id);
    if (!w) return;
    if (!minimized)
    {
        SetVisible(id, true);
        return;
    }
    if (w->iconic) return;
    if (w->overrideRedirect)
    {
        w->visible = false;
        UpdateMapping(*w);
        return;
    }
    w->iconic = true;
    w->visible = true;
    ExpectState(*w, IconicState);
    if (!w->requestedMap)
    {
        // Mapped straight into the iconic state.
        XWMHints hints{};
        hints.flags = InputHint | StateHint;
        hints.input = True;
        hints.initial_state = IconicState;
        XSetWMHints(dpy_, w->xw, &hints);
        XMapWindow(dpy_, w->xw);
        w->requestedMap = true;
    }
    else
        XIconifyWindow(dpy_, w->xw, screen_);
    XFlush(dpy_);
}

// How long the window manager may take to follow our iconify or restore;
// state reports meanwhile are stale, not the user's doing.
constexpr unsigned kStateEchoMs = 2000;

void TX11Backend::ExpectState(Win& w, long state)
{
    w.expectState = state;
    w.expectUntil = NowMs() + kStateEchoMs;
}

void TX11Backend::SetTitle(TopLevelId id, const std::string& title)
{
    Win* w = Find(id);
    if (!w) return;
    w->desc.Title = title;
    XChangeProperty(dpy_, w->xw, A("_NET_WM_NAME"), A("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
    XTextProperty tp{};
    char* list[] = {const_cast<char*>(title.c_str())};
    if (Xutf8TextListToTextProperty(dpy_, list, 1, XStdICCTextStyle, &tp) >= Success)
    {
        XSetWMName(dpy_, w->xw, &tp);
        XFree(tp.value);
    }
    XFlush(dpy_);
}

void TX11Backend::SetZOrder(const std::vector<TopLevelId>& bottomToTop)
{
    if (bottomToTop == order_) return;
    order_ = bottomToTop;
    std::vector<Window> topFirst;
    for (auto it = bottomToTop.rbegin(); it != bottomToTop.rend(); ++it)
        if (Win* w = Find(*it); w && w->mapped && !w->iconic) topFirst.push_back(w->xw);
    if (topFirst.size() >= 2) XRestackWindows(dpy_, topFirst.data(), int(topFirst.size()));
    XFlush(dpy_);
}

void TX11Backend::SetShape(TopLevelId id, const TRegion* shape)
{
    Win* w = Find(id);
    if (!w) return;
    if (shape) w->shape = *shape;
    else w->shape.reset();
    ApplyShape(*w);
}

// Colour-keyed windows: pixels of the key colour are holes, cut out of the
// window's shape (the screen has no colour keys of its own).
// Read from the presented picture (32-bit images only).
void TX11Backend::UpdateKeyShape(Win& w)
{
    XImage* img = w.image;
    if (!img || img->bits_per_pixel != 32) return;
    TPixel key = ColorRefToPixel(w.layer.KeyColor) & 0xFFFFFFu;
    std::vector<TRect> runs;
    for (int y = 0; y < img->height; ++y)
    {
        const auto* row = reinterpret_cast<const TPixel*>(img->data + std::ptrdiff_t(y) * img->bytes_per_line);
        for (int x = 0; x < img->width;)
        {
            if ((row[x] & 0xFFFFFFu) == key)
            {
                ++x;
                continue;
            }
            int start = x;
            while (x < img->width && (row[x] & 0xFFFFFFu) != key) ++x;
            runs.push_back(TRect(start, y, x, y + 1));
        }
    }
    TRegion kept = TRegion::FromRects(runs);
    if (w.keyShape && *w.keyShape == kept) return;
    w.keyShape = std::move(kept);
    ApplyShape(w);
}

void TX11Backend::ApplyShape(Win& w)
{
    if (!shapeAvailable_) return;
    std::optional<TRegion> shape = w.shape;
    if (w.layer.Layered && w.layer.UseColorKey && w.keyShape)
    {
        if (shape) *shape &= *w.keyShape;
        else shape = *w.keyShape;
    }
    std::vector<XRectangle> rects;
    if (shape)
        for (const TRect& r : shape->Rects())
            rects.push_back({short(r.Left), short(r.Top), (unsigned short)r.Width(), (unsigned short)r.Height()});
    if (shape)
        XShapeCombineRectangles(dpy_, w.xw, ShapeBounding, 0, 0, rects.data(), int(rects.size()), ShapeSet,
                                Unsorted);
    else
        XShapeCombineMask(dpy_, w.xw, ShapeBounding, 0, 0, None, ShapeSet);
    // Click-through layered windows take no pointer input at all.
    if (w.layer.Layered && w.layer.ClickThrough)
        XShapeCombineRectangles(dpy_, w.xw, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    else if (shape)
        XShapeCombineRectangles(dpy_, w.xw, ShapeInput, 0, 0, rects.data(), int(rects.size()), ShapeSet,
                                Unsorted);
    else
        XShapeCombineMask(dpy_, w.xw, ShapeInput, 0, 0, None, ShapeSet);
    XFlush(dpy_);
}

void TX11Backend::ApplyOpacity(Win& w)
{
    if (w.layer.Layered && w.layer.UseAlpha && w.layer.Alpha < 255)
    {
        unsigned long v = (unsigned long)w.layer.Alpha * 0x01010101UL;
        XChangeProperty(dpy_, w.xw, A("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&v), 1);
    }
    else
        XDeleteProperty(dpy_, w.xw, A("_NET_WM_WINDOW_OPACITY"));
    XFlush(dpy_);
}

void TX11Backend::RebuildForVisual(Win& w)
{
    // A window's visual is fixed at its creation: a window that starts or
    // stops using per-pixel alpha gets a new X window.
    bool wasMapped = w.requestedMap;
    bool hadGrab = grab_ == w.id;
    DropImage(w);
    if (w.xic) XDestroyIC(w.xic);
    w.xic = nullptr;
    XFreeGC(dpy_, w.gc);
    byX_.erase(w.xw);
    XDestroyWindow(dpy_, w.xw);
    w.requestedMap = w.mapped = false;
    if (hadGrab) grab_ = 0;
    MakeXWindow(w);
    ApplyShape(w);
    ApplyOpacity(w);
    if (wasMapped) UpdateMapping(w);
    if (hadGrab) GrabPointer(w.id);
}

void TX11Backend::SetLayer(TopLevelId id, const TLayerAttrs& attrs)
{
    Win* w = Find(id);
    if (!w) return;
    w->layer = attrs;
    bool argb = attrs.Layered && attrs.PerPixel && LayeredAvailable();
    if (argb != w->argb)
    {
        w->argb = argb;
        RebuildForVisual(*w);
        return;
    }
    if (attrs.Layered && attrs.UseColorKey) UpdateKeyShape(*w);
    ApplyShape(*w);
    ApplyOpacity(*w);
}

void TX11Backend::SetTopmost(TopLevelId id, bool topmost)
{
    Win* w = Find(id);
    if (!w || w->desc.Topmost == topmost) return;
    w->desc.Topmost = topmost;
    if (w->overrideRedirect) return;
    if (w->requestedMap) SendStateMessage(*w, topmost ? 1 : 0, A("_NET_WM_STATE_ABOVE"));
    else ApplyProperties(*w);
    XFlush(dpy_);
}

void TX11Backend::SendStateMessage(Win& w, long action, Atom a, Atom b)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w.xw;
    ev.xclient.message_type = A("_NET_WM_STATE");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = action;
    ev.xclient.data.l[1] = long(a);
    ev.xclient.data.l[2] = long(b);
    ev.xclient.data.l[3] = 1;
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

void TX11Backend::SetIcon(TopLevelId id, const TSurface* icon)
{
    Win* w = Find(id);
    if (!w) return;
    w->icon.clear();
    if (icon && !icon->Empty())
    {
        // _NET_WM_ICON: width, height, then 0xAARRGGBB pixels (as longs).
        w->icon.push_back(icon->Width());
        w->icon.push_back(icon->Height());
        for (int y = 0; y < icon->Height(); ++y)
            for (int x = 0; x < icon->Width(); ++x) w->icon.push_back(long(icon->Row(y)[x]));
        XChangeProperty(dpy_, w->xw, A("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(w->icon.data()), int(w->icon.size()));
    }
    else
        XDeleteProperty(dpy_, w->xw, A("_NET_WM_ICON"));
    XFlush(dpy_);
}

void TX11Backend::Activate(TopLevelId id)
{
    Win* w = Find(id);
    if (!w || w->overrideRedirect || w->desc.NoActivate || w->iconic || focus_ == id) return;
    if (!w->mapped)
    {
        w->focusOnMap = true;
        return;
    }
    XRaiseWindow(dpy_, w->xw);
    XSetInputFocus(dpy_, w->xw, RevertToParent, CurrentTime);
    XFlush(dpy_);
}

void TX11Backend::GrabPointer(TopLevelId id)
{
    grabWanted_ = id;
    if (id == grab_) return;
    if (!id)
    {
        XUngrabPointer(dpy_, CurrentTime);
        XFlush(dpy_);
        grab_ = 0;
        return;
    }
    Win* w = Find(id);
    if (!w || !w->mapped) return;   // tried again once it is mapped
    int r = XGrabPointer(dpy_, w->xw, True,
                         ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                         GrabModeAsync, GrabModeAsync, None, cursor_, CurrentTime);
    grab_ = r == GrabSuccess ? id : 0;
    XFlush(dpy_);
}

void TX11Backend::SetCursorShape(int shape)
{
    unsigned glyph = CursorGlyph(shape);
    Cursor& c = cursors_[glyph];
    if (!c) c = XCreateFontCursor(dpy_, glyph);
    if (c == cursor_) return;
    cursor_ = c;
    for (auto& kv : wins_) XDefineCursor(dpy_, kv.second->xw, cursor_);
    if (grab_)
        XChangeActivePointerGrab(dpy_, ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                           LeaveWindowMask,
                                 cursor_, CurrentTime);
    XFlush(dpy_);
}

// ---------------------------------------------------------------------------
// Presenting
// ---------------------------------------------------------------------------
bool TX11Backend::EnsureImage(Win& w, int width, int height)
{
    if (w.image && w.image->width == width && w.image->height == height) return true;
    DropImage(w);
    if (width <= 0 || height <= 0) return false;
    Visual* vis = w.argb ? argbVisual_ : visual_;
    int depth = w.argb ? 32 : depth_;
    if (shmAvailable_)
    {
        w.shm = XShmSegmentInfo{};
        XImage* img = XShmCreateImage(dpy_, vis, unsigned(depth), ZPixmap, nullptr, &w.shm, unsigned(width),
                                      unsigned(height));
        if (img)
        {
            w.shm.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * std::size_t(img->height),
                                 IPC_CREAT | 0600);
            void* addr = w.shm.shmid >= 0 ? shmat(w.shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
            if (addr != reinterpret_cast<void*>(-1))
            {
                w.shm.shmaddr = img->data = static_cast<char*>(addr);
                w.shm.readOnly = False;
                gLastError = 0;
                XShmAttach(dpy_, &w.shm);
                XSync(dpy_, False);
                if (gLastError == 0)
                {
                    shmctl(w.shm.shmid, IPC_RMID, nullptr);   // freed once both sides detach
                    w.image = img;
                    w.shmAttached = true;
                    return true;
                }
                shmdt(addr);
            }
            if (w.shm.shmid >= 0) shmctl(w.shm.shmid, IPC_RMID, nullptr);
            img->data = nullptr;
            XDestroyImage(img);
        }
        // The server cannot reach our memory (remote display): plain requests from now on.
        shmAvailable_ = false;
    }
    char* data = static_cast<char*>(std::calloc(std::size_t(width) * std::size_t(height), 4));
    if (!data) return false;
    w.image = XCreateImage(dpy_, vis, unsigned(depth), ZPixmap, 0, data, unsigned(width), unsigned(height), 32, 0);
    if (!w.image)
    {
        std::free(data);
        return false;
    }
    return true;
}

void TX11Backend::Present(TopLevelId id, const TSurface& pixels, const TRect& dirty)
{
    Win* w = Find(id);
    if (!w || pixels.Empty()) return;
    if (!EnsureImage(*w, pixels.Width(), pixels.Height())) return;
    TRect r;
    if (!IntersectRect(r, dirty, pixels.Bounds())) return;
    XImage* img = w->image;
    bool direct = img->bits_per_pixel == 32 && img->byte_order == LSBFirst && img->red_mask == 0xFF0000 &&
                  img->green_mask == 0xFF00 && img->blue_mask == 0xFF;
    for (int y = r.Top; y < r.Bottom; ++y)
    {
        const TPixel* src = pixels.Row(y);
        if (direct)
        {
            auto* dst = reinterpret_cast<TPixel*>(img->data + std::ptrdiff_t(y) * img->bytes_per_line);
            if (!w->argb)
                std::memcpy(dst + r.Left, src + r.Left, std::size_t(r.Width()) * 4);
            else
            {
                // ARGB windows take premultiplied colour, which is what
                // UpdateLayeredWindow pictures hold already.
                if (w->layer.PerPixel) std::memcpy(dst + r.Left, src + r.Left, std::size_t(r.Width()) * 4);
                else
                    for (int x = r.Left; x < r.Right; ++x) dst[x] = src[x] | 0xFF000000u;
            }
        }
        else
            for (int x = r.Left; x < r.Right; ++x)
            {
                // Other pixel formats: slow, but right for any true-colour visual.
                TPixel p = src[x];
                auto scale = [](unsigned v, unsigned long m) {
                    if (!m) return 0UL;
                    int shift = 0;
                    while (!((m >> shift) & 1)) ++shift;
                    unsigned long max = m >> shift;
                    return ((v * max + 127) / 255) << shift;
                };
                XPutPixel(img, x, y,
                          scale(PixelR(p), img->red_mask) | scale(PixelG(p), img->green_mask) |
                              scale(PixelB(p), img->blue_mask));
            }
    }
    if (w->layer.Layered && w->layer.UseColorKey) UpdateKeyShape(*w);
    if (w->shmAttached)
        XShmPutImage(dpy_, w->xw, w->gc, img, r.Left, r.Top, r.Left, r.Top, unsigned(r.Width()),
                     unsigned(r.Height()), False);
    else
        XPutImage(dpy_, w->xw, w->gc, img, r.Left, r.Top, r.Left, r.Top, unsigned(r.Width()), unsigned(r.Height()));
    XFlush(dpy_);
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------
void TX11Backend::Wake()
{
    std::uint64_t one = 1;
    ssize_t r = write(wakeFd_, &one, sizeof one);
    (void)r;
}

bool TX11Backend::WaitFd(int timeoutMs)
{
    pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    int r = poll(fds, 2, timeoutMs);
    return r > 0;
}

void TX11Backend::WaitForEvents(unsigned timeoutMs)
{
    auto drainX = [&] {
        bool any = false;
        while (XPending(dpy_))
        {
            XEvent ev;
            XNextEvent(dpy_, &ev);
            any = true;
            if (XFilterEvent(&ev, None)) continue;   // consumed by the input method
            Dispatch(ev);
        }
        FlushFocus();
        return any;
    };
    auto drainWake = [&] {
        std::uint64_t v;
        while (read(wakeFd_, &v, sizeof v) > 0) {}
    };
    if (drainX() || timeoutMs == 0)
    {
        drainWake();
        return;
    }
    WaitFd(int(std::min<unsigned>(timeoutMs, INT_MAX)));
    drainX();
    drainWake();
}

void TX11Backend::FlushFocus()
{
    if (!focusDirty_) return;
    focusDirty_ = false;
    if (focus_ == reportedFocus_ || !sink_) return;
    TopLevelId old = reportedFocus_;
    reportedFocus_ = focus_;
    // Focus moving between two of our windows is one activation change.
    if (old && !focus_) sink_->Activated(old, false);
    if (focus_) sink_->Activated(focus_, true);
}

TRect TX11Backend::ActualBounds(Win& w)
{
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(dpy_, w.xw, root_, 0, 0, &x, &y, &child);
    Window rootRet;
    int gx, gy;
    unsigned gw = 0, gh = 0, border, depth;
    XGetGeometry(dpy_, w.xw, &rootRet, &gx, &gy, &gw, &gh, &border, &depth);
    return Bounds(x, y, int(gw), int(gh));
}

void TX11Backend::OnConfigure(Win& w)
{
    // Only the latest geometry counts.
    XEvent more;
    while (XCheckTypedWindowEvent(dpy_, w.xw, ConfigureNotify, &more)) {}
    TRect actual = ActualBounds(w);
    if (w.bounds.Width() <= 0 || w.bounds.Height() <= 0) return;   // kept at 1 x 1 by us
    if (w.configWaitUntil)
    {
        if (actual == w.bounds || NowMs() < w.configWaitUntil)
        {
            if (actual == w.bounds) w.configWaitUntil = 0;
            return;
        }
        w.configWaitUntil = 0;
    }
    if (actual == w.bounds) return;
    w.bounds = actual;
    if (sink_) sink_->Configured(w.id, actual);
}

void TX11Backend::OnProperty(XPropertyEvent& ev)
{
    if (ev.window == root_)
    {
        if ((ev.atom == A("_NET_WORKAREA") || ev.atom == A("_NET_CURRENT_DESKTOP")) && sink_) sink_->DisplayChanged();
        return;
    }
    Win* w = FindX(ev.window);
    if (!w || ev.atom != A("WM_STATE")) return;
    // The window manager iconified or restored the window.
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(dpy_, w->xw, A("WM_STATE"), 0, 2, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data)
    {
        if (count >= 1 && format == 32) state = reinterpret_cast<long*>(data)[0];
        XFree(data);
    }
    if (w->expectState >= 0 && NowMs() <= w->expectUntil)
    {
        if (state == w->expectState) w->expectState = -1;
        return;
    }
    w->expectState = -1;
    if (state == IconicState && !w->iconic)
    {
        w->iconic = true;
        if (sink_) sink_->Minimized(w->id, true);
    }
    else if (state == NormalState && w->iconic)
    {
        w->iconic = false;
        if (sink_) sink_->Minimized(w->id, false);
    }
}

void TX11Backend::OnKey(Win* w, XKeyEvent& ev)
{
    lastTime_ = ev.time;
    if (!sink_) return;
    KeySym base = XLookupKeysym(&ev, 0);
    int vk = x11::VirtualKeyOf(base);
    // The keypad's digits with Num Lock on.
    if (base >= 0xFF95 && base <= 0xFF9F)   // XK_KP_Home .. XK_KP_Delete
    {
        KeySym shifted = XLookupKeysym(&ev, 1);
        if ((ev.state & Mod2Mask) && x11::VirtualKeyOf(shifted)) vk = x11::VirtualKeyOf(shifted);
    }
    if (ev.type == KeyRelease)
    {
        if (vk) sink_->Key(vk, false);
        return;
    }
    if (vk) sink_->Key(vk, true);

    std::string text;
    if (w && w->xic)
    {
        char buf[256];
        KeySym sym = 0;
        Status st = 0;
        int n = Xutf8LookupString(w->xic, &ev, buf, int(sizeof buf) - 1, &sym, &st);
        if (st == XBufferOverflow)
        {
            std::string big(std::size_t(n) + 1, '\0');
            n = Xutf8LookupString(w->xic, &ev, big.data(), int(big.size()) - 1, &sym, &st);
            if (st == XLookupChars || st == XLookupBoth) text.assign(big.data(), std::size_t(std::max(0, n)));
        }
        else if (st == XLookupChars || st == XLookupBoth)
            text.assign(buf, std::size_t(std::max(0, n)));
    }
    else
    {
        char buf[64];
        KeySym sym = 0;
        int n = XLookupString(&ev, buf, int(sizeof buf), &sym, nullptr);
        for (int i = 0; i < n; ++i)
        {
            unsigned char c = (unsigned char)buf[i];   // Latin-1 -> UTF-8
            if (c < 0x80) text += char(c);
            else
            {
                text += char(0xC0 | (c >> 6));
                text += char(0x80 | (c & 0x3F));
            }
        }
    }
    // Keys whose character the layer makes itself, and control characters, go as keys only.
    if (text.empty() || (vk && x11::LayerTranslates(vk))) return;
    if (text.size() == 1 && ((unsigned char)text[0] < 0x20 || text[0] == 0x7F)) return;
    sink_->Text(text);
}

void TX11Backend::OnButton(XButtonEvent& ev)
{
    lastTime_ = ev.time;
    if (!sink_) return;
    TPoint pt(ev.x_root, ev.y_root);
    bool down = ev.type == ButtonPress;
    switch (ev.button)
    {
    case Button1: sink_->MouseButton(TMouseButton::Left, down, pt); break;
    case Button2: sink_->MouseButton(TMouseButton::Middle, down, pt); break;
    case Button3: sink_->MouseButton(TMouseButton::Right, down, pt); break;
    case Button4:
        if (down) sink_->MouseWheel(120, pt);
        break;
    case Button5:
        if (down) sink_->MouseWheel(-120, pt);
        break;
    case 6:   // the horizontal wheel: 6 to the left, 7 to the right
        if (down) sink_->MouseHWheel(-120, pt);
        break;
    case 7:
        if (down) sink_->MouseHWheel(120, pt);
        break;
    default:
        break;
    }
}

void TX11Backend::Dispatch(XEvent& ev)
{
    if (TrayDispatch(ev)) return;
    if (randrAvailable_ && ev.type == randrEventBase_ + RRScreenChangeNotify)
    {
        XRRUpdateConfiguration(&ev);
        if (sink_) sink_->DisplayChanged();
        return;
    }
    switch (ev.type)
    {
    case Expose:
        if (Win* w = FindX(ev.xexpose.window); w && sink_)
            sink_->Exposed(w->id, Bounds(ev.xexpose.x, ev.xexpose.y, ev.xexpose.width, ev.xexpose.height));
        break;
    case VisibilityNotify:
        if (Win* w = FindX(ev.xvisibility.window); w && sink_)
            sink_->Covered(w->id, ev.xvisibility.state == VisibilityFullyObscured);
        break;
    case ConfigureNotify:
        if (Win* w = FindX(ev.xconfigure.window)) OnConfigure(*w);
        break;
    case MapNotify:
        if (Win* w = FindX(ev.xmap.window))
        {
            w->mapped = true;
            if (w->focusOnMap)
            {
                w->focusOnMap = false;
                XSetInputFocus(dpy_, w->xw, RevertToParent, CurrentTime);
            }
            if (grabWanted_ == w->id && grab_ != w->id) GrabPointer(w->id);
        }
        break;
    case UnmapNotify:
        if (Win* w = FindX(ev.xunmap.window))
        {
            w->mapped = false;
            if (grab_ == w->id) grab_ = 0;
        }
        break;
    case FocusIn:
    case FocusOut:
    {
        // Focus moves caused by grabs (ours, the window manager's) change nothing.
        if (ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab) break;
        if (ev.xfocus.detail == NotifyPointer || ev.xfocus.detail == NotifyInferior) break;
        Win* w = FindX(ev.xfocus.window);
        if (!w) break;
        if (ev.type == FocusIn)
        {
            if (w->xic) XSetICFocus(w->xic);
            focus_ = w->id;
        }
        else
        {
            if (w->xic) XUnsetICFocus(w->xic);
            if (focus_ == w->id) focus_ = 0;
        }
        focusDirty_ = true;
        break;
    }
    case KeyPress:
    case KeyRelease:
        OnKey(FindX(ev.xkey.window), ev.xkey);
        break;
    case ButtonPress:
    case ButtonRelease:
        OnButton(ev.xbutton);
        break;
    case MotionNotify:
    {
        // Runs of motion count as their last position; never across other events.
        XEvent next;
        while (XEventsQueued(dpy_, QueuedAlready) > 0)
        {
            XPeekEvent(dpy_, &next);
            if (next.type != MotionNotify) break;
            XNextEvent(dpy_, &ev);
        }
        lastTime_ = ev.xmotion.time;
        if (sink_) sink_->MouseMove(TPoint(ev.xmotion.x_root, ev.xmotion.y_root));
        break;
    }
    case EnterNotify:
    case LeaveNotify:
        // Leaving to the desktop ends the layer's hover tracking.
        if (sink_ && ev.xcrossing.mode == NotifyNormal)
            sink_->MouseMove(TPoint(ev.xcrossing.x_root, ev.xcrossing.y_root));
        break;
    case ClientMessage:
        if (ev.xclient.message_type == A("WM_PROTOCOLS"))
        {
            Win* w = FindX(ev.xclient.window);
            Atom what = Atom(ev.xclient.data.l[0]);
            if (!w) break;
            if (what == A("WM_DELETE_WINDOW") && sink_) sink_->CloseRequest(w->id);
            else if (what == A("WM_TAKE_FOCUS") && w->mapped && !w->iconic && !w->desc.NoActivate)
                XSetInputFocus(dpy_, w->xw, RevertToParent, Time(ev.xclient.data.l[1]));
        }
        break;
    case PropertyNotify:
        OnProperty(ev.xproperty);
        break;
    case SelectionRequest:
        OnSelectionRequest(ev.xselectionrequest);
        break;
    case SelectionClear:
        OnSelectionClear(ev.xselectionclear);
        break;
    default:
        break;
    }
}
} // namespace backend
