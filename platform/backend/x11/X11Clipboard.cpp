// The clipboard through the CLIPBOARD selection: UTF8_STRING first, STRING
// (Latin-1) as the fallback, both ways. While the program owns the selection
// it answers other programs' requests from its own copy of the text, which
// lives until another program takes the selection.
#include <poll.h>

#include <chrono>
#include <climits>

#include "platform/backend/x11/X11Internal.h"

namespace backend
{
namespace
{
std::string Latin1ToUtf8(const unsigned char* p, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
    {
        unsigned char c = p[i];
        if (c < 0x80) s += char(c);
        else
        {
            s += char(0xC0 | (c >> 6));
            s += char(0x80 | (c & 0x3F));
        }
    }
    return s;
}

// Characters beyond Latin-1 become '?'.
std::string Utf8ToLatin1(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();)
    {
        unsigned char c = (unsigned char)s[i];
        unsigned cp;
        std::size_t len;
        if (c < 0x80) cp = c, len = 1;
        else if ((c & 0xE0) == 0xC0) cp = c & 0x1F, len = 2;
        else if ((c & 0xF0) == 0xE0) cp = c & 0x0F, len = 3;
        else cp = c & 0x07, len = 4;
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | ((unsigned char)s[i + k] & 0x3F);
        i += len;
        out += cp <= 0xFF ? char(cp) : '?';
    }
    return out;
}

// How long another program may take to answer a request.
constexpr int kSelectionWaitMs = 2000;
} // namespace

void TX11Backend::SetClipboardText(const std::string& text)
{
    clip_ = text;
    XSetSelectionOwner(dpy_, A("CLIPBOARD"), helper_, CurrentTime);
    if (XGetSelectionOwner(dpy_, A("CLIPBOARD")) != helper_) clip_.reset();
    XFlush(dpy_);
}

void TX11Backend::OnSelectionClear(XSelectionClearEvent& ev)
{
    if (ev.selection == A("CLIPBOARD")) clip_.reset();
}

void TX11Backend::OnSelectionRequest(XSelectionRequestEvent& req)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = req.display;
    reply.xselection.requestor = req.requestor;
    reply.xselection.selection = req.selection;
    reply.xselection.target = req.target;
    reply.xselection.time = req.time;
    reply.xselection.property = None;
    // Old clients leave the property out: the target names it then.
    Atom prop = req.property != None ? req.property : req.target;
    if (req.selection == A("CLIPBOARD") && clip_)
    {
        // Whole texts only (no INCR transfers): up to what one request may carry.
        long maxRequest = XExtendedMaxRequestSize(dpy_);
        if (!maxRequest) maxRequest = XMaxRequestSize(dpy_);
        std::size_t maxBytes = std::size_t(maxRequest) * 4 - 64;
        if (req.target == A("TARGETS"))
        {
            Atom targets[] = {A("TARGETS"), A("UTF8_STRING"), A("STRING"), A("TEXT")};
            XChangeProperty(dpy_, req.requestor, prop, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(targets), 4);
            reply.xselection.property = prop;
        }
        else if (req.target == A("UTF8_STRING") || req.target == A("TEXT"))
        {
            if (clip_->size() <= maxBytes)
            {
                XChangeProperty(dpy_, req.requestor, prop, A("UTF8_STRING"), 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(clip_->data()), int(clip_->size()));
                reply.xselection.property = prop;
            }
        }
        else if (req.target == XA_STRING)
        {
            std::string latin = Utf8ToLatin1(*clip_);
            if (latin.size() <= maxBytes)
            {
                XChangeProperty(dpy_, req.requestor, prop, XA_STRING, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(latin.data()), int(latin.size()));
                reply.xselection.property = prop;
            }
        }
    }
    XSendEvent(dpy_, req.requestor, False, 0, &reply);
    XFlush(dpy_);
}

// Waits for the answer to a conversion request and reads it (INCR transfers of
// large texts included). False when the owner did not answer in time.
bool TX11Backend::ReadSelectionReply(Atom target, std::string& out, bool& refused)
{
    Atom prop = A("QUORVEL_SELECTION");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSelectionWaitMs);
    auto waitFor = [&](int type, XEvent& ev, auto accept) {
        for (;;)
        {
            while (XCheckTypedWindowEvent(dpy_, helper_, type, &ev))
                if (accept(ev)) return true;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
            poll(&fd, 1, int(std::min<long long>(left.count(), 50)));
        }
    };
    XEvent ev;
    if (!waitFor(SelectionNotify, ev, [&](XEvent& e) { return e.xselection.selection == A("CLIPBOARD"); }))
        return false;
    if (ev.xselection.property == None)
    {
        refused = true;
        return true;
    }
    auto readProp = [&](std::string& chunk, Atom& type) {
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        chunk.clear();
        if (XGetWindowProperty(dpy_, helper_, prop, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                               &after, &data) != Success)
            return false;
        if (data)
        {
            chunk.assign(reinterpret_cast<char*>(data), count * std::size_t(format / 8));
            XFree(data);
        }
        return true;
    };
    Atom type = None;
    std::string chunk;
    if (!readProp(chunk, type)) return false;
    if (type == A("INCR"))
    {
        // The owner sends the text in pieces, each after we deleted the last.
        std::string all;
        for (;;)
        {
            XEvent pe;
            if (!waitFor(PropertyNotify, pe, [&](XEvent& e) {
                    return e.xproperty.atom == prop && e.xproperty.state == PropertyNewValue;
                }))
                return false;
            if (!readProp(chunk, type)) return false;
            if (chunk.empty()) break;
            all += chunk;
        }
        chunk = std::move(all);
    }
    out = target == XA_STRING ? Latin1ToUtf8(reinterpret_cast<const unsigned char*>(chunk.data()), chunk.size())
                              : chunk;
    return true;
}

std::string TX11Backend::GetClipboardText()
{
    if (clip_) return *clip_;
    if (XGetSelectionOwner(dpy_, A("CLIPBOARD")) == None) return std::string();
    for (Atom target : {A("UTF8_STRING"), XA_STRING})
    {
        XDeleteProperty(dpy_, helper_, A("QUORVEL_SELECTION"));
        XConvertSelection(dpy_, A("CLIPBOARD"), target, A("QUORVEL_SELECTION"), helper_, CurrentTime);
        XFlush(dpy_);
        std::string text;
        bool refused = false;
        if (!ReadSelectionReply(target, text, refused)) return std::string();
        if (!refused) return text;
    }
    return std::string();
}
} // namespace backend
