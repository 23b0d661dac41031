// The bounding shape of an X window, asked of the X server directly (a unit
// of its own: the X headers' names clash with the class library's).
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <string>

int ShapeRectangles(const std::string& xid)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return -1;
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(dpy, Window(std::stoul(xid)), ShapeBounding, &count, &ordering);
    if (rects) XFree(rects);
    XCloseDisplay(dpy);
    return count;
}
