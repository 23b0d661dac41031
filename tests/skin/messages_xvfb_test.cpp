// A skinned message box on a real X display with a window manager: opened
// from a skinned form, it is answered once with a key and once with a click
// (xdotool plays the user, waiting for the box's window by its caption).
#include <gtest/gtest.h>

#include "lib/bsMessages.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
class MessageBoxX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        main = new TForm(Application);
        main->SetCaption("Quorvel main");
        new TbsSkinForm(main);
        main->SetBounds(100, 100, 400, 300);
        main->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf("Quorvel main").empty(); }));
    }
    void TearDown() override { ResetApplication(); }
    TForm* main = nullptr;
};
}  // namespace

TEST_F(MessageBoxX11Test, AnsweredWithAKey)
{
    TbsSkinMessage msg(main);
    // Escape answers a Yes/No box with No.
    const pid_t user = Spawn({"xdotool", "search", "--sync", "--name", "^Overwrite\\?$", "windowactivate", "--sync",
                              "key", "--delay", "50", "Escape"});
    ASSERT_GT(user, 0);
    EXPECT_EQ(msg.MessageDlg2("The output file already exists.", "Overwrite?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    WaitExit(user, 10000);
    EXPECT_TRUE(XWindowOf("Overwrite?").empty());
}

TEST_F(MessageBoxX11Test, AnsweredWithAClick)
{
    TbsSkinMessage msg(main);
    TbsMessageBoxRequest r;
    r.Msg = "Stop all conversions?";
    r.Caption = "Stop";
    r.DlgType = mtConfirmation;
    r.Buttons = {mbYes, mbNo, mbCancel};
    // Where "No" will be, in the window's own coordinates: the same box built
    // beforehand.
    TPoint at;
    {
        auto probe = msg.BuildMessageForm(r);
        probe->HandleNeeded();
        TControl* no = static_cast<TControl*>(probe->FindComponent("No"));
        const TPoint client = probe->ClientOrigin();
        at = TPoint(client.X - probe->Left() + no->Left() + no->Width() / 2,
                    client.Y - probe->Top() + no->Top() + no->Height() / 2);
    }
    const pid_t user = Spawn({"xdotool", "search", "--sync", "--name", "^Stop$", "windowactivate", "--sync",
                              "mousemove", "--window", "%1", std::to_string(at.X), std::to_string(at.Y), "click",
                              "1"});
    ASSERT_GT(user, 0);
    EXPECT_EQ(msg.MessageDlg2(r.Msg, *r.Caption, r.DlgType, r.Buttons, 0), mrNo);
    WaitExit(user, 10000);
}
