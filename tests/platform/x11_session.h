// Shared by the tests that run on a real X display (under xvfb-run): the X11
// backend made current, helper programs (window manager, compositor, xdotool,
// xclip) started and stopped with bounded waits, and a message pump that
// gives up after a limit instead of hanging.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/x11/X11Backend.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Forms.h"
#include "platform/os/Window.h"

extern char** environ;

namespace x11test
{
// Starts a program (looked up in PATH) with its output going to /dev/null
// unless `out` names a file. Returns its pid, or -1.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::string& out = "/dev/null")
{
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

// Whether the child ended (reaped) within `ms`; its exit status in *status.
inline bool WaitExit(pid_t pid, int ms, int* status = nullptr)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        int st = 0;
        if (waitpid(pid, &st, WNOHANG) == pid)
        {
            if (status) *status = st;
            return true;
        }
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

inline void Stop(pid_t pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!WaitExit(pid, 3000))
    {
        kill(pid, SIGKILL);
        WaitExit(pid, 3000);
    }
}

// Runs a program to its end (killed after 10 s); true when it exited with 0.
inline bool Exec(const std::vector<std::string>& argv, const std::string& out = "/dev/null")
{
    pid_t pid = Spawn(argv, out);
    if (pid < 0) return false;
    int st = 0;
    if (!WaitExit(pid, 10000, &st))
    {
        Stop(pid);
        return false;
    }
    return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A program's standard output (trailing newline removed).
inline std::string Output(const std::vector<std::string>& argv)
{
    char tmpl[] = "/tmp/x11test-outXXXXXX";
    int fd = mkstemp(tmpl);
    if (fd >= 0) close(fd);
    Exec(argv, tmpl);
    std::string s = ReadFile(tmpl);
    unlink(tmpl);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

// Serves the layer's messages until `done` holds or `ms` pass.
template <class Pred>
bool PumpUntil(Pred done, int ms = 10000)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > limit) return false;
        backend::Current().WaitForEvents(20);
    }
}

// Serves messages through the application (its message hooks carry the menus'
// keys) and runs queued main-thread calls until `done` holds or `ms` pass.
template <class Pred>
bool AppPumpUntil(Pred done, int ms = 20000)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        MSG m;
        while (Application->ProcessMessage(m)) {}
        CheckSynchronize(0);
        if (done()) return true;
        if (std::chrono::steady_clock::now() > limit) return false;
        backend::Current().WaitForEvents(20);
    }
}

// Serves messages for a while (lets the server and window manager settle).
inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

// Whether a root-window property exists (a window manager announced itself).
inline bool RootHasProperty(const char* name)
{
    std::string s = Output({"xprop", "-root", name});
    return !s.empty() && s.find("not found") == std::string::npos && s.find("no such atom") == std::string::npos;
}

template <class Pred>
bool WaitFor(Pred cond, int ms)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond())
    {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Whether the window manager has taken a new window under its care: a probe
// window gets reparented into a frame. (The manager announces itself before it
// manages windows; a window mapped in between stays unmanaged for good, which
// happens on a loaded machine, so an unmanaged probe is replaced by a new one.)
inline bool WindowManagerManages()
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < limit)
    {
        pid_t probe = Spawn({"xmessage", "-title", "wmprobe", "probe"});
        if (probe < 0) return false;
        bool managed = WaitFor(
            [] {
                std::string id = Output({"xdotool", "search", "--name", "^wmprobe$"});
                if (id.empty() || id.find('\n') != std::string::npos) return false;
                std::string info = Output({"xwininfo", "-children", "-id", id});
                return info.find("Parent window id:") != std::string::npos &&
                       info.find("(the root window)", info.find("Parent window id:")) == std::string::npos;
            },
            5000);
        Stop(probe);
        if (managed) return true;
    }
    return false;
}

// A window manager (openbox) on the test's display, up until the end of the test program.
inline pid_t StartWindowManager()
{
    pid_t pid = Spawn({"openbox", "--sm-disable"});
    if (pid > 0 && !(WaitFor([] { return RootHasProperty("_NET_SUPPORTING_WM_CHECK"); }, 30000) &&
                     WindowManagerManages()))
    {
        Stop(pid);
        return -1;
    }
    return pid;
}

// The X window id of our window with this title ("" when none).
inline std::string XWindowOf(const std::string& title)
{
    std::string s = Output({"xdotool", "search", "--name", "^" + title + "$"});
    auto nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(0, nl);
}

// A file name for this test program's screenshots (programs may run side by side).
inline std::string ShotPath(const std::string& name)
{
    return std::string(QUORVEL_BINARY_DIR) + "/" + name + "-" + std::to_string(getpid()) + ".png";
}

// The screen as a picture.
inline TSurface Screenshot(const std::string& path)
{
    if (!Exec({"import", "-window", "root", path})) return TSurface();
    try
    {
        return TSurface::LoadPng(path);
    }
    catch (...)
    {
        return TSurface();
    }
}

inline bool Near(TPixel p, TPixel q, int tol = 12)
{
    return std::abs(int(PixelR(p)) - int(PixelR(q))) <= tol && std::abs(int(PixelG(p)) - int(PixelG(q))) <= tol &&
           std::abs(int(PixelB(p)) - int(PixelB(q))) <= tol;
}

// Replaces the tests' headless desktop with the display; the window manager
// starts afresh so that its input goes to the new backend.
inline void UseDisplay()
{
    std::string why;
    ASSERT_TRUE(backend::UseX11(&why)) << why;
    ResetWindowManager();
}
// Tests on the display with a window manager (openbox) that runs for the
// whole suite.
class WindowManagerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // No session bus: SDL's sound (the program's preview) would otherwise
        // find one through the display and hold its connection to the end.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        UseDisplay();
        wm = StartWindowManager();
    }
    static void TearDownTestSuite()
    {
        ResetApplication();
        ResetWindowManager();
        Stop(wm);
    }
    void SetUp() override { ASSERT_GT(wm, 0) << "openbox did not start"; }

    inline static pid_t wm = -1;
};
} // namespace x11test
