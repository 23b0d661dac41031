// An idle form on a real display costs (almost) no processor time: the event
// loop sleeps on the X connection and the wake-up descriptor.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "platform/gui/Forms.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}
} // namespace

TEST(X11IdleTest, IdleFormSleeps)
{
    UseDisplay();
    ResetApplication();
    auto* form = new TForm(Application);
    form->SetBounds(100, 100, 400, 300);
    form->Show();
    PumpFor(500);

    // The program's own message loop, for two seconds; a timer ends it.
    bool done = false;
    SetTimer(nullptr, 0, 2000, [&](HWND, UINT, std::uintptr_t, DWORD) { done = true; });
    auto wall0 = std::chrono::steady_clock::now();
    double cpu0 = CpuSeconds();
    RunNestedLoop([&] { return done; });
    double cpu = CpuSeconds() - cpu0;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    double share = 100.0 * cpu / wall;
    std::printf("idle form: %.3f s processor time in %.3f s (%.2f %% of one core)\n", cpu, wall, share);
    // The aim is under 2 %; the limit is loose for slow, shared machines.
    EXPECT_LT(share, 10.0);
    ResetApplication();
    ResetWindowManager();
}
