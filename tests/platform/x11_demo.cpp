// The demo form on the display named by DISPLAY, for scripts/screenshot.sh
// and for looking at by hand:
//   x11_demo [SECONDS]     (without SECONDS it runs until the form is closed)
#include <cstdio>
#include <cstdlib>

#include "platform/backend/x11/X11Backend.h"
#include "tests/platform/x11_demo.h"

int main(int argc, char** argv)
{
    if (!backend::UseX11())
    {
        std::fprintf(stderr, "%s\n", backend::kNoDisplayMessage);
        return 1;
    }
    ResetApplication();
    x11demo::TDemoForm demo = x11demo::MakeDemoForm();
    demo.Edit->SetText("你好, Quorvel");
    x11demo::ShowShapedPopup(demo.Form->Handle(), TPoint(300, 250));
    bool timeUp = false;
    if (argc > 1) SetTimer(nullptr, 0, UINT(std::atoi(argv[1]) * 1000), [&](HWND, UINT, std::uintptr_t, DWORD) {
        timeUp = true;
    });
    RunNestedLoop([&] { return timeUp || !IsWindowVisible(demo.Form->Handle()); });
    ResetApplication();
    ResetWindowManager();
    return 0;
}
