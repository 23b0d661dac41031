// The folder and open dialogs on a real X display with a window manager:
// xdotool waits for each dialog by its caption, takes a screenshot and
// chooses a folder with the keys and a file by typing its name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lib/bsDialogs.h"
#include "platform/sys/Files.h"
#include "tests/platform/x11_session.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace
{
class ShellDialogsX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        root = fs::temp_directory_path() / ("quorvel-shelldlg-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "a" / "b");
        fs::create_directories(root / "a" / "c");
        fs::create_directories(root / "v");
        for (const char* f : {"one.mp4", "two.mp4", "notes.txt"}) std::ofstream(root / "v" / f) << "x";
    }
    void TearDown() override
    {
        ResetApplication();
        fs::remove_all(root);
    }
    // The user: waits for the window, looks at it (a screenshot), then keys.
    pid_t User(const std::string& title, const std::string& shot, const std::string& keys)
    {
        const std::string script = "xdotool search --sync --name '^" + title + "$' windowactivate --sync && sleep 1 && "
                                   "import -window root '" + shot + "' && " + keys;
        return Spawn({"sh", "-c", script});
    }
    fs::path root;
};
}  // namespace

TEST_F(ShellDialogsX11Test, ChoosesAFolderWithTheKeys)
{
    TbsSkinSelectDirectoryDialog dlg(nullptr);
    dlg.Title = "Choose folder";
    dlg.Directory = (root / "a").string();
    const std::string shot = ShotPath("shell-select-directory");
    // The tree has the focus on "a", opened: Down goes to "b", Enter is OK.
    const pid_t user = User(dlg.Title, shot, "xdotool key --delay 150 Down Return");
    ASSERT_GT(user, 0);
    EXPECT_TRUE(dlg.Execute());
    WaitExit(user, 20000);
    EXPECT_EQ(dlg.Directory, (root / "a" / "b").string());
    const TSurface s = TSurface::LoadPng(shot);
    EXPECT_GT(s.Width(), 0);
    EXPECT_TRUE(XWindowOf(dlg.Title).empty());
}

TEST_F(ShellDialogsX11Test, ChoosesAFileByTypingItsName)
{
    TbsSkinOpenDialog dlg(nullptr);
    dlg.Title = "Open a clip";
    dlg.InitialDir = (root / "v").string();
    dlg.Filter = "Video (*.mp4)|*.mp4|All files|*.*";
    const std::string shot = ShotPath("shell-open-dialog");
    // The name box has the focus; the filter's extension completes the name.
    const pid_t user = User(dlg.Title, shot, "xdotool type --delay 80 two && xdotool key Return");
    ASSERT_GT(user, 0);
    EXPECT_TRUE(dlg.Execute());
    WaitExit(user, 20000);
    EXPECT_EQ(dlg.FileName(), (root / "v" / "two.mp4").string());
    ASSERT_EQ(dlg.Files()->Count(), 1);
    const TSurface s = TSurface::LoadPng(shot);
    EXPECT_GT(s.Width(), 0);
}
