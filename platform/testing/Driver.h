// The test driver: plays a person at the keyboard and mouse against the
// headless desktop. Creating a driver gives a fresh virtual desktop, a fresh
// window manager and the virtual clock; destroying it resets them again.
//
// Every action sends input through the headless backend, which hands it to
// the os layer's input sink as a real display does, and then pumps the GUI
// thread's messages through the application's message processing (its hooks
// and hint cancelling included) until nothing is left to do, so a test sees
// the effects right after the call.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend/headless/Headless.h"
#include "platform/os/Window.h"

class TTestDriver
{
public:
    // monitors empty: one 1280 x 1024 monitor (work area 1280 x 994).
    explicit TTestDriver(std::vector<backend::TMonitorDesc> monitors = {});
    ~TTestDriver();
    TTestDriver(const TTestDriver&) = delete;
    TTestDriver& operator=(const TTestDriver&) = delete;

    backend::THeadlessBackend& Desktop() { return *desktop_; }
    // Replaces the monitors and tells the windows (WM_DISPLAYCHANGE).
    void SetMonitors(std::vector<backend::TMonitorDesc> monitors);

    // ---- finding windows (visible or not; under `root`, or everywhere) ----
    HWND FindByText(const std::string& text, HWND root = nullptr) const;
    HWND FindByClass(const std::string& className, HWND root = nullptr) const;
    // By name: the component name of the class library's control, unless a
    // test installs a resolver of its own (nullptr restores the default).
    HWND FindByName(const std::string& name, HWND root = nullptr) const;
    static void SetNameResolver(std::function<std::string(HWND)> resolver);

    // ---- points ----
    static TPoint CenterOf(HWND hwnd);                   // screen point of the client centre
    static TPoint ClientPoint(HWND hwnd, TPoint client); // client -> screen
    static TPoint WindowPoint(HWND hwnd, TPoint window); // window corner relative -> screen

    // ---- mouse ----
    void MoveTo(TPoint screen);
    void Press(TPoint screen, backend::TMouseButton b = backend::TMouseButton::Left);
    void Release(TPoint screen, backend::TMouseButton b = backend::TMouseButton::Left);
    void Click(TPoint screen, backend::TMouseButton b = backend::TMouseButton::Left);
    void Click(HWND hwnd, backend::TMouseButton b = backend::TMouseButton::Left) { Click(CenterOf(hwnd), b); }
    void DoubleClick(TPoint screen, backend::TMouseButton b = backend::TMouseButton::Left);
    // Press at from, move there in `steps` moves, release at to.
    void Drag(TPoint from, TPoint to, int steps = 4, backend::TMouseButton b = backend::TMouseButton::Left);
    void Wheel(int delta, TPoint screen);

    // ---- keyboard ----
    void KeyDown(int vk);
    void KeyUp(int vk);
    // Press and release vk with the modifier keys (VK_SHIFT, VK_CONTROL, VK_MENU) held.
    void PressKey(int vk, std::vector<int> modifiers = {});
    // Types UTF-8 text: ASCII letters, digits and space as key presses,
    // everything else (Chinese …) as input-method characters.
    void TypeText(const std::string& utf8);

    // ---- modal loops ----
    // Actions run one by one when a loop on the GUI thread (a modal form, a
    // menu, the move/size loop) has nothing left to do and would wait: this is
    // how a test answers a modal dialog it is about to open. An action may use
    // the driver's input calls; their input is then served by that loop. With
    // no action left, a loop holding the mouse capture gets it taken away (a
    // scripted drag that ended), and other loops wait for real events.
    void WhenIdle(std::function<void()> action);
    std::size_t PendingIdleActions() const { return idle_.size(); }

    // ---- time and messages ----
    // Moves the virtual clock, firing due timers in order on the way.
    void AdvanceClock(std::uint64_t ms);
    // Serves messages until nothing is pending. Returns the messages served.
    int PumpUntilIdle();

    // ---- the picture ----
    bool Snapshot(const std::string& pngPath) const;
    bool Snapshot(const std::string& pngPath, const TRect& area) const;
    TPixel PixelAt(TPoint screen) const;

private:
    void Inject(std::function<void()> f);
    bool OnIdle();
    backend::THeadlessBackend* desktop_ = nullptr;
    std::deque<std::function<void()>> idle_;
    int nestedIdle_ = 0;
    TPoint pos_;
};
