// The boxes on a real X display with a window manager: a combo box opens
// its list on a click and a click on a row chooses it (xdotool plays the
// user), and an edit's text goes to and comes from another program through
// the clipboard (xclip).
#include <gtest/gtest.h>

#include <string>

#include "lib/bsSkinBoxCtrls.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
const char* const kTitle = "Quorvel 组合框";

class X11BoxesTest : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        form = new TForm(Application);
        form->SetCaption(kTitle);
        form->SetBounds(100, 100, 400, 300);
        combo = new TbsSkinComboBox(form);
        combo->SetBounds(20, 20, 160, 20);
        combo->SetParent(form);
        for (const char* s : {"320x240", "640x480", "1280x720", "1920x1080"}) combo->Items()->Add(s);
        combo->SetItemIndex(0);
        edit = new TbsSkinEdit(form);
        edit->SetBounds(20, 80, 200, 20);
        edit->SetParent(form);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(kTitle).empty(); }));
        PumpFor(300);
    }
    void TearDown() override { ResetApplication(); }
    static std::string S(int v) { return std::to_string(v); }

    TForm* form = nullptr;
    TbsSkinComboBox* combo = nullptr;
    TbsSkinEdit* edit = nullptr;
};
} // namespace

TEST_F(X11BoxesTest, ComboOpensAndAClickOnARowChoosesIt)
{
    const TRect& b = combo->Button.R;
    const TPoint button = combo->ClientToScreen(TPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(button.X), S(button.Y), "click", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return combo->IsPopupVisible(); }));
    PumpFor(200);
    EXPECT_EQ(GetActiveWindow(), form->GetHandle()) << "the open list never takes the activation";
    TbsListBox* l = combo->ListBox()->ListBox;
    const TRect r = l->ItemRect(2);
    const TPoint row = l->ClientToScreen(TPoint(r.Left + 10, (r.Top + r.Bottom) / 2));
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(row.X), S(row.Y - 2), "mousemove", S(row.X), S(row.Y), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !combo->IsPopupVisible(); }));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->GetText(), "1280x720");
}

TEST_F(X11BoxesTest, EditTextGoesToAndComesFromAnotherProgram)
{
    edit->SetText("剪贴板 测试 Copy");
    edit->SetFocus();
    edit->SelectAll();
    SendMessage(edit->GetHandle(), WM_COPY, 0, 0);
    char out[] = "/tmp/boxes-clip-outXXXXXX";
    int fd = mkstemp(out);
    if (fd >= 0) close(fd);
    pid_t pid = Spawn({"timeout", "10", "xclip", "-selection", "clipboard", "-o"}, out);
    int st = 0;
    PumpUntil([&] { return WaitExit(pid, 0, &st); }, 12000);
    EXPECT_EQ(ReadFile(out), "剪贴板 测试 Copy");
    unlink(out);

    char in[] = "/tmp/boxes-clip-inXXXXXX";
    fd = mkstemp(in);
    ASSERT_GE(fd, 0);
    const std::string text = "粘贴\n第二行";
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
    pid_t keeper = Spawn({"xclip", "-quiet", "-selection", "clipboard", "-i", in});
    PumpFor(500);
    edit->SetText("");
    SendMessage(edit->GetHandle(), WM_PASTE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !edit->GetText().empty(); }, 5000));
    EXPECT_EQ(edit->GetText(), "粘贴第二行") << "the line break stays out of a single-line edit";
    Stop(keeper);
    unlink(in);
}
