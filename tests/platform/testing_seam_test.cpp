// The seam between the backend and the layers above it: no backend is chosen
// silently, the test driver's input enters through the headless backend's
// input sink (as a display's does) and its pump runs the application's
// message processing.
#include "gui_test_util.h"

#include <algorithm>

#include "platform/backend/Backend.h"
#include "platform/core/Exception.h"

namespace
{
// A shown form with one clickable box; clicks counts its OnClick calls.
class SeamTest : public GuiTest
{
protected:
    TTestBox* ShowBox()
    {
        TForm* f = MakeForm();
        auto* box = new TTestBox(f);
        box->SetBounds(20, 20, 60, 30);
        box->SetParent(f);
        box->OnClick = [this](TObject*) { ++clicks; };
        f->Show();
        driver->PumpUntilIdle();
        return box;
    }
    int clicks = 0;
};

TEST(BackendSeam, NothingChosenSilently)
{
    backend::SetCurrent(nullptr);
    EXPECT_FALSE(backend::HasCurrent());
    EXPECT_THROW(backend::Current(), Exception);
    backend::THeadlessBackend& b = backend::UseHeadless();
    EXPECT_EQ(&backend::Current(), &b);
    EXPECT_EQ(backend::Current().Name(), "headless");
}

TEST_F(SeamTest, ClickSentThroughTheBackendSinkReachesOnClick)
{
    TTestBox* box = ShowBox();

    // Sent input waits in the backend until the GUI thread asks for events.
    const TPoint at = box->ClientToScreen(TPoint(10, 10));
    backend::THeadlessBackend& desk = driver->Desktop();
    desk.SendMouseMove(at);
    desk.SendMouseButton(backend::TMouseButton::Left, true, at);
    desk.SendMouseButton(backend::TMouseButton::Left, false, at);
    EXPECT_TRUE(desk.HasQueuedInput());
    EXPECT_EQ(clicks, 0);
    driver->PumpUntilIdle();
    EXPECT_FALSE(desk.HasQueuedInput());
    EXPECT_EQ(clicks, 1);

    // The driver's own click takes the same road.
    driver->Click(at);
    EXPECT_EQ(clicks, 2);
}

TEST_F(SeamTest, ApplicationMessageHookSeesTheDriversInput)
{
    TTestBox* box = ShowBox();

    std::vector<UINT> seen;
    bool swallowClicks = false;
    const TMessageHookToken token = Application->HookOnMessage([&](TMsg& m, bool& handled) {
        seen.push_back(m.message);
        if (swallowClicks && (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONUP)) handled = true;
    });
    const TPoint at = box->ClientToScreen(TPoint(10, 10));
    driver->Click(at);
    driver->PressKey('A');
    EXPECT_EQ(clicks, 1);
    for (UINT msg : {UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), UINT(WM_KEYDOWN), UINT(WM_KEYUP)})
        EXPECT_NE(std::find(seen.begin(), seen.end(), msg), seen.end()) << "message " << msg;

    // A hook that handles the button messages keeps them from the control.
    swallowClicks = true;
    driver->Click(at);
    EXPECT_EQ(clicks, 1);
    Application->UnhookOnMessage(token);
    driver->Click(at);
    EXPECT_EQ(clicks, 2);
}

TEST_F(SeamTest, DriverKeyPressCancelsAShownHint)
{
    TTestBox* box = ShowBox();
    box->SetHint("Tip");
    box->SetShowHint(true);
    driver->MoveTo(box->ClientToScreen(TPoint(5, 5)));
    driver->AdvanceClock(Application->HintPause + 10);
    ASSERT_NE(Application->HintWindow(), nullptr);
    ASSERT_TRUE(Application->HintWindow()->IsHintShown());
    // The application's message processing cancels the hint on a key press.
    driver->PressKey(VK_SHIFT);
    EXPECT_FALSE(Application->HintWindow()->IsHintShown());
}
} // namespace
