// Shared by the program's window tests: a fresh headless desktop, the
// program's places in a temporary folder (the program's folder, the user's
// configuration folder and home), the windows created as the start-up does,
// and the answering of the skinned message boxes they show.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "lib/bsMessages.h"
#include "platform/gui/IniFiles.h"
#include "platform/gui/Forms.h"
#include "platform/sys/Process.h"
#include "platform/testing/Driver.h"

namespace fs = std::filesystem;

namespace apptest {

inline std::string ReadText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// Records what would be started (sys::SetLauncher) instead of starting it.
struct TRecordingLauncher : sys::ILauncher
{
    std::vector<std::vector<std::string>> started;
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        started.push_back(argv);
        return true;
    }
};

// The text of the skinned message box on top, or "" when none shows.
inline std::string ShownMessage()
{
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
        if (auto* m = dynamic_cast<TbsMessageForm*>(Screen->Forms(i)); m && m->GetVisible())
            return m->Message ? m->Message->GetText() : "";
    return "";
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
        root = fs::temp_directory_path() / ("quorvel-app-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "program");
        fs::create_directories(root / "config");
        fs::create_directories(root / "home");
    }
    void TearDown() override
    {
        ResetApplication();
        UseOptionFile(nullptr);
        driver.reset();
        std::error_code ec;
        fs::permissions(root / "program", fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }
    TOptionPlaces Places() const
    {
        return {(root / "program").string() + "/", (root / "config").string(), (root / "home").string()};
    }
    std::string Ini() const { return (root / "program" / "option.ini").string(); }
    // Creates the windows as the start-up does (and shows the main window
    // when asked: painting costs time); `notices` boxes of start-up notices
    // are answered (their texts in `boxes`).
    void Start(int notices = 0, bool show = false)
    {
        UseOptionFile(std::make_unique<TOptionFile>(Places()));
        CreateProgramForms();
        for (int i = 0; i < notices; ++i) AnswerBox();
        if (show) Form1->Show();
        driver->PumpUntilIdle();
    }
    // Ends the program's windows (as a restart does) without removing the files.
    void Stop()
    {
        ResetApplication();
        UseOptionFile(nullptr);
    }
    // The next modal window that waits is closed with OK; the text of a
    // skinned message box goes to `boxes`.
    void AnswerBox()
    {
        driver->WhenIdle([this] {
            boxes.push_back(ShownMessage());
            if (TCustomForm* f = Screen->ActiveForm(); f && f->Modal()) f->SetModalResult(mrOk);
        });
    }

    std::unique_ptr<TTestDriver> driver;
    fs::path root;
    std::vector<std::string> boxes;
};

}  // namespace apptest
