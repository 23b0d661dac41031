// The program's display tests drive it like a user: shell scripts of
// xdotool commands, run while the test serves the application.
#pragma once
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/core/Utf8.h"
#include "platform/gui/Controls.h"
#include "tests/platform/x11_session.h"

namespace x11test
{
// Runs the script and serves the application until it ends (modal loops
// serve it meanwhile), then lets the screen settle for `settle` ms.
inline void RunUser(const std::string& script, int settle = 0)
{
    const pid_t user = Spawn({"sh", "-c", script});
    ASSERT_GT(user, 0);
    int status = 0;
    const bool ended = AppPumpUntil([&] { return waitpid(user, &status, WNOHANG) == user; }, 120000);
    if (!ended) Stop(user);
    ASSERT_TRUE(ended) << script;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << script;
    if (settle > 0) AppPumpUntil([] { return false; }, settle);
}

// Script parts: a click at a control's point or centre, a wait for a window.
inline std::string ClickAt(TControl* c, TPoint client)
{
    const TPoint p = c->ClientToScreen(client);
    return Format("xdotool mousemove %d %d && sleep 0.3 && xdotool click 1", p.X, p.Y);
}

inline std::string ClickCentre(TControl* c)
{
    return ClickAt(c, TPoint(c->Width() / 2, c->Height() / 2));
}

inline std::string WaitForWindow(const std::string& title)
{
    return "xdotool search --sync --name '^" + title + "$' windowactivate --sync";
}
}  // namespace x11test
