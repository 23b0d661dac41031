// The clipboard on a real display, against another program (xclip): both
// directions, Chinese text, and texts larger than one ordinary request.
#include <gtest/gtest.h>

#include <string>

#include "tests/platform/x11_session.h"

using namespace x11test;

namespace
{
class X11ClipboardTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        UseDisplay();
    }

    // What another program reads from the clipboard while we keep serving it.
    static std::string PasteElsewhere()
    {
        char path[] = "/tmp/x11clip-outXXXXXX";
        int fd = mkstemp(path);
        if (fd >= 0) close(fd);
        pid_t pid = Spawn({"timeout", "10", "xclip", "-selection", "clipboard", "-o"}, path);
        int st = 0;
        PumpUntil([&] { return WaitExit(pid, 0, &st); }, 12000);
        std::string s = ReadFile(path);
        unlink(path);
        return s;
    }

    // Another program copies `text` and keeps serving it until stopped.
    static pid_t CopyElsewhere(const std::string& text)
    {
        char path[] = "/tmp/x11clip-inXXXXXX";
        int fd = mkstemp(path);
        if (fd < 0) return -1;
        ssize_t w = write(fd, text.data(), text.size());
        close(fd);
        if (w != ssize_t(text.size())) return -1;
        pid_t pid = Spawn({"xclip", "-quiet", "-selection", "clipboard", "-i", path});
        inFiles.push_back(path);
        return pid;
    }
    static void TearDownTestSuite()
    {
        for (auto& f : inFiles) unlink(f.c_str());
    }
    static inline std::vector<std::string> inFiles;
};
} // namespace

TEST_F(X11ClipboardTest, TextGoesBothWays)
{
    struct Case
    {
        const char* name;
        std::string text;
    };
    std::string big;
    for (int i = 0; big.size() < 300000; ++i) big += "第" + std::to_string(i) + "行 line of text\n";
    const Case cases[] = {
        {"ascii", "Hello, clipboard"},
        {"chinese", "你好，世界 — 转换完成"},
        {"large", big},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Ours -> another program; our copy stays while we own the selection.
        SetClipboardText(c.text);
        EXPECT_EQ(PasteElsewhere(), c.text);
        EXPECT_EQ(PasteElsewhere(), c.text);
        EXPECT_EQ(GetClipboardText(), c.text);

        // Another program -> ours: it takes the selection, our copy is gone.
        std::string theirs = c.text + " (from xclip)";
        pid_t pid = CopyElsewhere(theirs);
        ASSERT_GT(pid, 0);
        std::string got;
        EXPECT_TRUE(PumpUntil([&] { return (got = GetClipboardText()) == theirs; }, 10000))
            << got.substr(0, 200);
        Stop(pid);
    }
}

TEST_F(X11ClipboardTest, EmptyWhenNobodyOwnsTheClipboard)
{
    pid_t pid = CopyElsewhere("short lived");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(PumpUntil([&] { return GetClipboardText() == "short lived"; }));
    Stop(pid);   // the owner went away: nothing to paste, and no hang
    EXPECT_TRUE(PumpUntil([&] { return GetClipboardText().empty(); }));
}
