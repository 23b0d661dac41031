#include "temp_dir.h"
#include "common/unprivileged.h"
#include "platform/sys/Files.h"
#include "platform/sys/Power.h"
#include "platform/sys/Process.h"
#include "platform/sys/Processors.h"
#include "platform/sys/Sound.h"
#include "platform/sys/UserFolders.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records what would be started.
class RecordingLauncher : public sys::ILauncher
{
public:
    bool Launch(const std::vector<std::string>& argv, bool wait) override
    {
        calls.push_back(argv);
        waits.push_back(wait);
        return result;
    }
    std::vector<std::vector<std::string>> calls;
    std::vector<bool> waits;
    bool result = true;
};

struct LauncherScope
{
    LauncherScope() : launcher(std::make_shared<RecordingLauncher>()) { old = sys::SetLauncher(launcher); }
    ~LauncherScope() { sys::SetLauncher(old); }
    std::shared_ptr<RecordingLauncher> launcher;
    std::shared_ptr<sys::ILauncher> old;
};

TEST(Process, OpenWithSystemPassesOneArgumentToXdgOpen)
{
    LauncherScope scope;
    std::string dir = sys::ExpandFileName(ProcessTempDir() + "/open test");
    std::filesystem::remove_all(dir);
    sys::ForceDirectories(dir + "/-rf 中文; rm x");
    std::string cwd = sys::GetCurrentDir();
    ASSERT_TRUE(sys::SetCurrentDir(dir));

    struct Case { std::string target; std::string arg; };
    const Case cases[] = {
        {"https://example.org/a b?x=1&y=$(id)", "https://example.org/a b?x=1&y=$(id)"},
        {"mailto:someone@example.org", "mailto:someone@example.org"},
        {dir, dir},
        {"-rf 中文; rm x", dir + "/-rf 中文; rm x"},   // never read as an option
        {"./missing file.avi", dir + "/missing file.avi"},
    };
    for (const Case& c : cases)
    {
        scope.launcher->calls.clear();
        EXPECT_TRUE(sys::OpenWithSystem(c.target));
        ASSERT_EQ(scope.launcher->calls.size(), 1u);
        EXPECT_EQ(scope.launcher->calls[0], (std::vector<std::string>{"xdg-open", c.arg}));
        EXPECT_FALSE(scope.launcher->waits[0]);
    }
    sys::SetCurrentDir(cwd);
    scope.launcher->calls.clear();
    EXPECT_FALSE(sys::OpenWithSystem(""));
    EXPECT_TRUE(scope.launcher->calls.empty());
    scope.launcher->result = false;
    EXPECT_FALSE(sys::OpenWithSystem("https://example.org"));
}

TEST(Process, DefaultLauncherSpawnsWithoutAShell)
{
    // The real launcher, on harmless programs: an argument with shell syntax
    // reaches the program as one literal argument.
    std::string out = ProcessTempDir() + "/spawn out.txt";
    std::filesystem::remove(out);
    auto& l = sys::Launcher();
    EXPECT_TRUE(l.Launch({"sh", "-c", "printf '%s' \"$1\" > \"$2\"", "sh", "a; echo b $(id)", out}, true));
    EXPECT_EQ(sys::ReadFileToString(out), "a; echo b $(id)");
    EXPECT_FALSE(l.Launch({"false"}, true)) << "exit status reported";
    EXPECT_FALSE(l.Launch({"no-such-program-quorvel"}, true));
    EXPECT_FALSE(l.Launch({}, false));
}

TEST(Process, EnvironmentVariables)
{
    EXPECT_TRUE(sys::SetEnvironmentVariable("QUORVEL_TEST_VAR", "a b=中"));
    EXPECT_EQ(sys::GetEnvironmentVariable("QUORVEL_TEST_VAR"), "a b=中");
    EXPECT_TRUE(sys::SetEnvironmentVariable("QUORVEL_TEST_VAR", ""));
    EXPECT_EQ(sys::GetEnvironmentVariable("QUORVEL_TEST_VAR"), "");
    EXPECT_FALSE(sys::SetEnvironmentVariable("A=B", "x"));
    EXPECT_FALSE(sys::SetEnvironmentVariable("", "x"));
}

class FakePower : public sys::IPowerControl
{
public:
    bool PowerOff() override { ++calls; return accept; }
    int calls = 0;
    bool accept = true;
};

TEST(Power, RequestGoesThroughTheReplaceableControl)
{
    auto fake = std::make_shared<FakePower>();
    auto old = sys::SetPowerControl(fake);
    EXPECT_TRUE(sys::RequestPowerOff());
    fake->accept = false;
    EXPECT_FALSE(sys::RequestPowerOff());
    EXPECT_EQ(fake->calls, 2);

    // The default control asks logind through systemctl, via the launcher.
    LauncherScope scope;
    sys::SetPowerControl(nullptr);
    EXPECT_TRUE(sys::RequestPowerOff());
    ASSERT_EQ(scope.launcher->calls.size(), 1u);
    EXPECT_EQ(scope.launcher->calls[0], (std::vector<std::string>{"systemctl", "poweroff"}));
    EXPECT_TRUE(scope.launcher->waits[0]);
    sys::SetPowerControl(old);
}

TEST(Processors, MachineCountAndReplacement)
{
    // the test main counts two processors; 0 gives back the machine's
    const int old = sys::SetProcessorCount(0);
    EXPECT_EQ(old, 2);
    EXPECT_GE(sys::ProcessorCount(), 1);
    EXPECT_EQ(sys::SetProcessorCount(12), 0);
    EXPECT_EQ(sys::ProcessorCount(), 12);
    EXPECT_EQ(sys::SetProcessorCount(-3), 12);  // a count below 1 is none
    EXPECT_GE(sys::ProcessorCount(), 1);
    sys::SetProcessorCount(old);
    EXPECT_EQ(sys::ProcessorCount(), 2);
}

TEST(SpecialFolders, XdgUserDirsAndFallbacks)
{
    std::string root = ProcessTempDir() + "/xdg test";
    std::filesystem::remove_all(root);
    sys::ForceDirectories(root + "/config");
    sys::WriteFileAtomic(root + "/config/user-dirs.dirs",
                         "# written by xdg-user-dirs-update\n"
                         "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                         "XDG_VIDEOS_DIR=\"/data/my videos/\"\n"
                         "XDG_MUSIC_DIR=relative/not/quoted\n");
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    struct Case { sys::TSpecialFolder f; std::string path; };
    const Case cases[] = {
        {sys::sfHome, root + "/home"},
        {sys::sfDesktop, root + "/home/桌面"},
        {sys::sfVideos, "/data/my videos"},
        {sys::sfMusic, root + "/home/Music"},       // malformed entry: fallback
        {sys::sfDocuments, root + "/home/Documents"},
        {sys::sfPictures, root + "/home/Pictures"},
        {sys::sfConfig, root + "/config"},
    };
    for (const Case& c : cases) EXPECT_EQ(sys::SpecialFolder(c.f), c.path) << int(c.f);
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(sys::SpecialFolder(sys::sfConfig), root + "/home/.config") << "relative value ignored";
}

// A new file is written whole under a free name; a taken name (file or
// folder) is left alone; a folder that is missing or not writable raises;
// no temporary file stays behind in any case.
TEST(Files, WriteNewFileNeverReplaces)
{
    const std::string dir = ProcessTempDir() + "/new file 新";
    std::filesystem::remove_all(dir);
    sys::ForceDirectories(dir + "/taken folder");
    EXPECT_TRUE(sys::WriteNewFile(dir + "/a.png", "first"));
    EXPECT_EQ(sys::ReadFileToString(dir + "/a.png"), "first");
    EXPECT_FALSE(sys::WriteNewFile(dir + "/a.png", "second"));
    EXPECT_EQ(sys::ReadFileToString(dir + "/a.png"), "first");
    EXPECT_FALSE(sys::WriteNewFile(dir + "/taken folder", "x"));
    EXPECT_THROW(sys::WriteNewFile(dir + "/missing/b.png", "x"), EInOutError);
    MakeSharedFolder(dir + "/locked");
    ::chmod((dir + "/locked").c_str(), 0555);
    EXPECT_EQ(AsUnprivilegedUser(dir + "/locked", [&] {
                  try
                  {
                      sys::WriteNewFile(dir + "/locked/c.png", "x");
                      return 1;
                  }
                  catch (const EInOutError& e)
                  {
                      return e.ErrorCode == EACCES ? 0 : 2;
                  }
              }),
              0);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.png", "locked", "taken folder"}));
    EXPECT_TRUE(std::filesystem::is_empty(dir + "/locked"));
}

void Put16(std::string& s, std::uint16_t v) { s += char(v & 0xFF); s += char(v >> 8); }
void Put32(std::string& s, std::uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF); }

TEST(Sound, PlaysWavAndRefusesBadFiles)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);   // no sound card needed
    std::string dir = ProcessTempDir();
    // 0.05 s of 8-bit mono silence at 8 kHz.
    std::string wav = "RIFF";
    const std::uint32_t samples = 400;
    Put32(wav, 36 + samples);
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1); Put16(wav, 1); Put32(wav, 8000); Put32(wav, 8000); Put16(wav, 1); Put16(wav, 8);
    wav += "data";
    Put32(wav, samples);
    wav += std::string(samples, char(0x80));
    sys::WriteFileAtomic(dir + "/ring 中.wav", wav);
    sys::WriteFileAtomic(dir + "/not a wav.wav", "this is text, not audio");
    sys::WriteFileAtomic(dir + "/cut.wav", wav.substr(0, 30));

    EXPECT_TRUE(sys::PlayWavFile(dir + "/ring 中.wav"));
    EXPECT_FALSE(sys::PlayWavFile(dir + "/missing.wav"));
    EXPECT_FALSE(sys::PlayWavFile(dir + "/not a wav.wav"));
    EXPECT_FALSE(sys::PlayWavFile(dir + "/cut.wav"));
    EXPECT_FALSE(sys::PlayWavFile(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));   // playback thread closes its device
}

} // namespace
