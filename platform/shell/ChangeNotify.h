// The shell change watcher: runs an event on the GUI thread when the watched
// folder changes on disk.
//
// The notifier watches one folder (and, with WatchSubTree, the folders below
// it) through inotify on a worker thread of its own. A change hands one call
// to the GUI thread (RunOnMainThread, queued); that call reads every event
// waiting by then and runs OnChange once, so a burst of changes made before
// the GUI thread gets round to it gives one signal. Changes made while the
// handler runs come as the next signal.
//
// GUI thread only: the notifier is made, set and destroyed there, and OnChange
// runs there. Destroying it (also from inside OnChange) stops and joins the
// worker and drops a delivery already queued, so no change reaches the
// handler afterwards. A root that cannot be watched (missing, not a folder)
// starts no worker and delivers nothing; the notifier stays usable.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace shell
{
// What kinds of change are watched (a set of these bits).
constexpr unsigned FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
constexpr unsigned FILE_NOTIFY_CHANGE_DIR_NAME = 0x2;
constexpr unsigned FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x4;
constexpr unsigned FILE_NOTIFY_CHANGE_SIZE = 0x8;
constexpr unsigned FILE_NOTIFY_CHANGE_LAST_WRITE = 0x10;
constexpr unsigned FILE_NOTIFY_CHANGE_SECURITY = 0x100;

struct TWatchState;

class TShellChangeNotifier
{
public:
    // Root "/", WatchSubTree true, file and folder name changes; no worker
    // until OnChange is set.
    TShellChangeNotifier();
    ~TShellChangeNotifier();
    TShellChangeNotifier(const TShellChangeNotifier&) = delete;
    TShellChangeNotifier& operator=(const TShellChangeNotifier&) = delete;

    // Setting an option while a handler is set starts watching with it at once
    // (also when the root could not be watched before).
    // Root compares as text (Linux paths are case-sensitive).
    const std::string& GetRoot() const { return root_; }
    void SetRoot(const std::string& root);
    bool GetWatchSubTree() const { return watchSubTree_; }
    void SetWatchSubTree(bool value);
    unsigned GetNotifyFilters() const { return filters_; }
    void SetNotifyFilters(unsigned filters);
    // Setting a handler starts the worker when none runs; an empty one stops it.
    const std::function<void()>& GetOnChange() const { return onChange_; }
    void SetOnChange(std::function<void()> handler);

    // Whether a worker watches the root now.
    bool Watching() const { return state_ != nullptr; }

private:
    void Start();
    void Stop();
    void Restart();

    std::string root_ = "/";
    bool watchSubTree_ = true;
    unsigned filters_ = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
    std::function<void()> onChange_;
    std::shared_ptr<TWatchState> state_;
    std::thread thread_;
};
}
