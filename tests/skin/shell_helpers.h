// A fixture for the shell controls and dialogs: a fresh headless desktop, a
// temporary tree with HOME and XDG_* pointed into it, a mount table of "/"
// alone, and a launcher that records what would have been opened instead of
// starting anything.
#pragma once
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsMessages.h"
#include "lib/bsSkinShellCtrls.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "skin/skinctrls_helpers.h"

namespace shelltest
{
namespace fs = std::filesystem;

class TRecordingLauncher : public sys::ILauncher
{
public:
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        Calls.push_back(argv);
        return true;
    }
    std::vector<std::vector<std::string>> Calls;
};

inline void Touch(const fs::path& p, const std::string& text = "x") { std::ofstream(p) << text; }

class ShellTest : public ctrltest::SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        root_ = fs::path(skintest::TempDir("shell"));
        home_ = root_ / "home";
        fs::create_directories(home_ / ".config");
        fs::create_directories(home_ / "Desktop");
        std::ofstream(home_ / ".config" / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n";
        saved_ = {Env("HOME"), Env("XDG_CONFIG_HOME"), Env("XDG_DATA_HOME")};
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ / ".local/share").c_str(), 1);
        sys::SetDriveSourcesForTesting(sys::TDriveSources{"1 0 0:1 / / rw - ext4 /dev/sda1 rw\n", "", ""});
        launcher = std::make_shared<TRecordingLauncher>();
        oldLauncher_ = sys::SetLauncher(launcher);
        cwd_ = sys::GetCurrentDir();
    }
    void TearDown() override
    {
        // Nothing here may move the process's current directory.
        EXPECT_EQ(sys::GetCurrentDir(), cwd_);
        sys::SetLauncher(oldLauncher_);
        sys::SetDriveSourcesForTesting();
        Restore("HOME", saved_[0]);
        Restore("XDG_CONFIG_HOME", saved_[1]);
        Restore("XDG_DATA_HOME", saved_[2]);
        SkinCtrlTest::TearDown();
        fs::remove_all(root_);
    }
    // A folder of the tree (made), as a path string without a trailing "/".
    std::string Dir(const std::string& rel)
    {
        fs::create_directories(root_ / rel);
        return (root_ / rel).lexically_normal().string();
    }
    std::string File(const std::string& rel, const std::string& text = "x")
    {
        fs::create_directories((root_ / rel).parent_path());
        Touch(root_ / rel, text);
        return (root_ / rel).string();
    }
    // The skinned message box on the screen, or null.
    static TbsMessageForm* MessageBox()
    {
        for (int i = 0; Screen && i < Screen->FormCount(); ++i)
            if (auto* f = dynamic_cast<TbsMessageForm*>(Screen->Forms(i));
                f && f->HandleAllocated() && IsWindowVisible(f->Handle()))
                return f;
        return nullptr;
    }
    // Reads the text of the box that opens next and answers it with `result`.
    void AnswerNextBox(std::string& text, TModalResult result)
    {
        driver->WhenIdle([this, &text, result] {
            if (TbsMessageForm* f = MessageBox())
            {
                text = f->Message->GetText();
                f->SetModalResult(result);
            }
        });
    }
    static TItemIDList Parse(const std::string& path)
    {
        TItemIDList id;
        EXPECT_TRUE(shell::ParseDisplayName(path, id)) << path;
        return id;
    }

    std::shared_ptr<TRecordingLauncher> launcher;
    fs::path root_, home_;

private:
    static std::pair<bool, std::string> Env(const char* name)
    {
        const char* v = ::getenv(name);
        return {v != nullptr, v ? v : ""};
    }
    static void Restore(const char* name, const std::pair<bool, std::string>& v)
    {
        if (v.first) ::setenv(name, v.second.c_str(), 1);
        else ::unsetenv(name);
    }
    std::vector<std::pair<bool, std::string>> saved_;
    std::shared_ptr<sys::ILauncher> oldLauncher_;
    std::string cwd_;
};
}  // namespace shelltest
