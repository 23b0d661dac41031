// The shell change watcher: deliveries on the GUI thread, bursts folded into
// one signal, a missing root, and teardown with a delivery still queued.
#include "temp_dir.h"
#include "platform/core/MainThread.h"
#include "platform/shell/ChangeNotify.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace shell;

namespace {

fs::path FreshDir(const std::string& name)
{
    fs::path p = fs::path(ProcessTempDir()) / "watch" / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

void Touch(const fs::path& p)
{
    std::ofstream(p) << "x";
}

// Serves the GUI thread's queue until count reaches want.
void PumpUntil(const int& count, int want)
{
    while (count < want) CheckSynchronize(10);
}

} // namespace

TEST(ShellWatcherTest, EachChangeIsDeliveredOnceOnTheGuiThread)
{
    const fs::path dir = FreshDir("each");
    TShellChangeNotifier n;
    EXPECT_FALSE(n.Watching());
    EXPECT_EQ("/", n.GetRoot());
    EXPECT_TRUE(n.GetWatchSubTree());
    EXPECT_EQ(FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, n.GetNotifyFilters());
    n.SetWatchSubTree(false);
    n.SetRoot(dir.string());
    EXPECT_FALSE(n.Watching());   // no handler yet

    int count = 0;
    bool onGui = true;
    n.SetOnChange([&] {
        ++count;
        onGui = onGui && IsMainThread();
    });
    EXPECT_TRUE(n.Watching());
    for (int i = 1; i <= 5; ++i)
    {
        Touch(dir / ("f" + std::to_string(i)));
        PumpUntil(count, i);
    }
    // A later change is the next delivery: nothing extra was left behind.
    fs::create_directory(dir / "sub");
    PumpUntil(count, 6);
    EXPECT_EQ(6, count);
    EXPECT_TRUE(onGui);

    // A new root is watched from now on.
    const fs::path other = FreshDir("each-other");
    n.SetRoot(other.string());
    Touch(other / "g");
    PumpUntil(count, 7);
    EXPECT_EQ(7, count);
}

TEST(ShellWatcherTest, ABurstGivesOneSignalAndTheSubtreeIsWatched)
{
    const fs::path dir = FreshDir("burst");
    fs::create_directories(dir / "deep" / "er");
    TShellChangeNotifier n;
    n.SetRoot(dir.string());
    int count = 0;
    n.SetOnChange([&] { ++count; });
    ASSERT_TRUE(n.Watching());

    for (int i = 0; i < 50; ++i) Touch(dir / ("f" + std::to_string(i)));
    fs::create_directory(dir / "new");
    fs::rename(dir / "f0", dir / "deep" / "er" / "moved");
    PumpUntil(count, 1);
    Touch(dir / "deep" / "er" / "sentinel");
    PumpUntil(count, 2);
    EXPECT_EQ(2, count);

    // A folder made after the start is watched too.
    Touch(dir / "new" / "inside");
    PumpUntil(count, 3);
    EXPECT_EQ(3, count);
}

TEST(ShellWatcherTest, AMissingRootWatchesNothingAndStaysUsable)
{
    const fs::path dir = FreshDir("missing") / "not-here";
    TShellChangeNotifier n;
    n.SetRoot(dir.string());
    n.SetOnChange([] {});
    EXPECT_FALSE(n.Watching());
    n.SetWatchSubTree(false);
    fs::create_directories(dir);
    n.SetRoot(dir.string() + "/");   // another text: tried again, and now it exists
    EXPECT_TRUE(n.Watching());
}

TEST(ShellWatcherTest, DestroyingDropsAQueuedDeliveryAndMayHappenInsideTheHandler)
{
    const fs::path dir = FreshDir("destroy");
    for (int i = 0; i < 200; ++i)
    {
        auto count = std::make_unique<int>(0);
        auto n = std::make_unique<TShellChangeNotifier>();
        n->SetWatchSubTree(false);
        n->SetRoot(dir.string());
        int* c = count.get();
        n->SetOnChange([c] { ++*c; });
        Touch(dir / ("f" + std::to_string(i)));
        while (!HasPendingSynchronize()) std::this_thread::yield();
        n.reset();
        count.reset();           // a delivery that ran now would touch freed memory
        CheckSynchronize();
        ASSERT_FALSE(HasPendingSynchronize()) << i;
    }

    auto n = std::make_unique<TShellChangeNotifier>();
    n->SetRoot(dir.string());
    int count = 0;
    n->SetOnChange([&] {
        ++count;
        n.reset();
    });
    Touch(dir / "last");
    PumpUntil(count, 1);
    EXPECT_FALSE(n);
    Touch(dir / "after");
    CheckSynchronize(50);
    EXPECT_EQ(1, count);
}
