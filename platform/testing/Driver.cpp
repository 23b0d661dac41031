#include "platform/testing/Driver.h"

#include "platform/core/Clock.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/os/Monitor.h"

namespace
{
std::function<std::string(HWND)> gNameResolver;

HWND FindIf(HWND root, const std::function<bool(HWND)>& pred)
{
    std::vector<HWND> all = GetAllWindows(root);
    for (HWND h : all)
        if (pred(h)) return h;
    return nullptr;
}

bool IsAsciiKey(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '; }
} // namespace

TTestDriver::TTestDriver(std::vector<backend::TMonitorDesc> monitors)
{
    SetMainThread();
    ResetWindowManager();
    desktop_ = monitors.empty() ? &backend::UseHeadless() : &backend::UseHeadless(std::move(monitors));
    Clock::SetVirtual(true);
    RefreshMonitors();
    GetCursorPos(&pos_);
    SetIdleHook([this] { return OnIdle(); });
}

void TTestDriver::WhenIdle(std::function<void()> action) { idle_.push_back(std::move(action)); }

bool TTestDriver::OnIdle()
{
    // Input still waiting at the screen is not idle: the loop delivers it first,
    // so each scripted step is served before the next one is sent.
    if (desktop_->HasQueuedInput()) return false;
    if (!idle_.empty())
    {
        auto action = std::move(idle_.front());
        idle_.pop_front();
        // The action's own pumping must not run further actions.
        ++nestedIdle_;
        struct Guard { int& n; ~Guard() { --n; } } g{nestedIdle_};
        action();
        return true;
    }
    // A modal mouse loop (moving or sizing a window) that ran out of scripted
    // input ends as if the capture were taken away, instead of waiting forever.
    if (GetCapture())
    {
        ReleaseCapture();
        return true;
    }
    return false;
}

TTestDriver::~TTestDriver()
{
    ResetWindowManager();
    Clock::SetVirtual(false);
}

void TTestDriver::SetMonitors(std::vector<backend::TMonitorDesc> monitors)
{
    desktop_->SetMonitors(std::move(monitors));
    NotifyDisplayChange();
    PumpUntilIdle();
}

HWND TTestDriver::FindByText(const std::string& text, HWND root) const
{
    return FindIf(root, [&](HWND h) { return GetWindowText(h) == text; });
}

HWND TTestDriver::FindByClass(const std::string& className, HWND root) const
{
    return FindIf(root, [&](HWND h) { return GetClassName(h) == className; });
}

HWND TTestDriver::FindByName(const std::string& name, HWND root) const
{
    // Without a resolver of the test's own, a window's name is the component
    // name of the class library's control it belongs to.
    auto nameOf = [](HWND h) -> std::string {
        if (gNameResolver) return gNameResolver(h);
        TWinControl* c = FindControl(h);
        return c ? c->Name() : std::string();
    };
    return FindIf(root, [&](HWND h) { return nameOf(h) == name; });
}

void TTestDriver::SetNameResolver(std::function<std::string(HWND)> resolver) { gNameResolver = std::move(resolver); }

TPoint TTestDriver::CenterOf(HWND hwnd)
{
    TRect r;
    GetClientRect(hwnd, &r);
    TPoint p(r.Width() / 2, r.Height() / 2);
    ClientToScreen(hwnd, &p);
    return p;
}

TPoint TTestDriver::ClientPoint(HWND hwnd, TPoint client)
{
    ClientToScreen(hwnd, &client);
    return client;
}

TPoint TTestDriver::WindowPoint(HWND hwnd, TPoint window)
{
    TRect r;
    GetWindowRect(hwnd, &r);
    return TPoint(r.Left + window.X, r.Top + window.Y);
}

void TTestDriver::Inject(std::function<void()> f)
{
    f();
    // Inside an idle action the modal loop that called it serves the input.
    if (nestedIdle_ == 0) PumpUntilIdle();
}

void TTestDriver::MoveTo(TPoint screen)
{
    pos_ = screen;
    Inject([&] { desktop_->SendMouseMove(screen); });
}

void TTestDriver::Press(TPoint screen, backend::TMouseButton b)
{
    Inject([&] {
        if (!(pos_ == screen)) desktop_->SendMouseMove(screen);
        pos_ = screen;
        desktop_->SendMouseButton(b, true, screen);
    });
}

void TTestDriver::Release(TPoint screen, backend::TMouseButton b)
{
    Inject([&] {
        if (!(pos_ == screen)) desktop_->SendMouseMove(screen);
        pos_ = screen;
        desktop_->SendMouseButton(b, false, screen);
    });
}

void TTestDriver::Click(TPoint screen, backend::TMouseButton b)
{
    Inject([&] {
        if (!(pos_ == screen)) desktop_->SendMouseMove(screen);
        pos_ = screen;
        desktop_->SendMouseButton(b, true, screen);
        desktop_->SendMouseButton(b, false, screen);
    });
}

void TTestDriver::DoubleClick(TPoint screen, backend::TMouseButton b)
{
    Click(screen, b);
    Clock::Advance(50);
    Click(screen, b);
}

void TTestDriver::Drag(TPoint from, TPoint to, int steps, backend::TMouseButton b)
{
    if (steps < 1) steps = 1;
    // The whole gesture is queued before pumping, so that a modal loop the press
    // starts (moving a window) finds the rest of it.
    Inject([&] {
        if (!(pos_ == from)) desktop_->SendMouseMove(from);
        desktop_->SendMouseButton(b, true, from);
        for (int i = 1; i <= steps; ++i)
            desktop_->SendMouseMove(TPoint(from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps));
        desktop_->SendMouseButton(b, false, to);
        pos_ = to;
    });
}

void TTestDriver::Wheel(int delta, TPoint screen)
{
    Inject([&] {
        if (!(pos_ == screen)) desktop_->SendMouseMove(screen);
        pos_ = screen;
        desktop_->SendMouseWheel(delta, screen);
    });
}

void TTestDriver::KeyDown(int vk)
{
    Inject([&] { desktop_->SendKey(vk, true); });
}

void TTestDriver::KeyUp(int vk)
{
    Inject([&] { desktop_->SendKey(vk, false); });
}

void TTestDriver::PressKey(int vk, std::vector<int> modifiers)
{
    Inject([&] {
        for (int m : modifiers) desktop_->SendKey(m, true);
        desktop_->SendKey(vk, true);
        desktop_->SendKey(vk, false);
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) desktop_->SendKey(*it, false);
    });
}

void TTestDriver::TypeText(const std::string& utf8)
{
    std::string pending;
    auto flush = [&] {
        if (!pending.empty()) desktop_->SendText(pending);
        pending.clear();
    };
    Inject([&] {
        for (unsigned char c : utf8)
        {
            if (!IsAsciiKey(c))
            {
                pending += char(c);
                continue;
            }
            flush();
            bool upper = c >= 'A' && c <= 'Z';
            int vk = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
            if (upper) desktop_->SendKey(VK_SHIFT, true);
            desktop_->SendKey(vk, true);
            desktop_->SendKey(vk, false);
            if (upper) desktop_->SendKey(VK_SHIFT, false);
        }
        flush();
    });
}

void TTestDriver::AdvanceClock(std::uint64_t ms)
{
    std::uint64_t target = Clock::Now() + ms;
    PumpUntilIdle();
    for (int guard = 0; guard < 1000000; ++guard)
    {
        std::uint64_t due = NextTimerDue();
        if (!due || due > target) break;
        Clock::AdvanceTo(due);
        PumpUntilIdle();
    }
    Clock::AdvanceTo(target);
    PumpUntilIdle();
}

int TTestDriver::PumpUntilIdle()
{
    // Messages go through the application's message processing, so its
    // message hooks and hint cancelling see the driver's input.
    int served = 0;
    MSG m;
    for (int guard = 0; guard < 100000; ++guard)
    {
        bool any = CheckSynchronize(0);
        if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE))
        {
            // WM_QUIT is left for the test's own loop.
            if (m.message == WM_QUIT) break;
            Application->ProcessMessage(m);
            ++served;
            continue;
        }
        if (!any) break;
    }
    return served;
}

bool TTestDriver::Snapshot(const std::string& pngPath) const { return desktop_->SaveSnapshot(pngPath); }
bool TTestDriver::Snapshot(const std::string& pngPath, const TRect& area) const
{
    return desktop_->SaveSnapshot(pngPath, area);
}
TPixel TTestDriver::PixelAt(TPoint screen) const { return desktop_->DesktopPixel(screen); }
