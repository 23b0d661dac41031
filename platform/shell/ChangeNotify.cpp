// The change watcher on inotify. The worker only waits for the inotify
// descriptor to become readable and queues one delivery; the GUI thread reads
// the events in that delivery, so everything that happened before it runs is
// folded into one signal. The worker waits again only when the delivery ran.
#include "platform/shell/ChangeNotify.h"

#include "platform/core/MainThread.h"
#include "platform/shell/Internal.h"
#include "platform/sys/Files.h"

#include <cerrno>
#include <condition_variable>
#include <map>
#include <dirent.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace shell
{
namespace {

// A deep tree is watched down to this many folders (inotify watches are a
// limited resource per user).
constexpr int kMaxWatches = 4096;

std::uint32_t InotifyMask(unsigned filters)
{
    std::uint32_t m = IN_DELETE_SELF | IN_MOVE_SELF;
    if (filters & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME))
        m |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (filters & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) m |= IN_ATTRIB;
    if (filters & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) m |= IN_MODIFY | IN_CLOSE_WRITE;
    return m;
}

} // namespace

// Shared by the notifier, its worker and a queued delivery, so a delivery
// that runs while (or after) the notifier goes touches no freed memory.
struct TWatchState
{
    int inotifyFd = -1;
    int stopFd = -1;
    unsigned filters = 0;
    bool subTree = false;
    int watches = 0;
    std::function<void()> onChange;   // GUI thread only

    std::mutex m;                     // guards queued and stop
    std::condition_variable cv;
    bool queued = false;
    bool stop = false;

    ~TWatchState()
    {
        if (inotifyFd >= 0) ::close(inotifyFd);
        if (stopFd >= 0) ::close(stopFd);
    }

    // Reads every waiting event; true when one of them is a change watched.
    // A new folder below a watched one is watched from now on.
    bool Drain()
    {
        alignas(inotify_event) char buf[16384];
        bool changed = false;
        while (true)
        {
            ssize_t n = ::read(inotifyFd, buf, sizeof buf);
            if (n <= 0) break;
            for (char* p = buf; p < buf + n;)
            {
                auto* ev = reinterpret_cast<inotify_event*>(p);
                p += sizeof(inotify_event) + ev->len;
                bool dir = ev->mask & IN_ISDIR;
                bool nameEvent = ev->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO);
                if (nameEvent)
                {
                    if (dir ? (filters & FILE_NOTIFY_CHANGE_DIR_NAME) : (filters & FILE_NOTIFY_CHANGE_FILE_NAME))
                        changed = true;
                }
                else if (ev->mask & (IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF |
                                     IN_Q_OVERFLOW))
                    changed = true;
                if (subTree && dir && (ev->mask & (IN_CREATE | IN_MOVED_TO)) && ev->len > 0)
                {
                    auto it = paths.find(ev->wd);
                    if (it != paths.end()) AddWatches(JoinPath(it->second, ev->name), false);
                }
            }
        }
        return changed;
    }

    // Watches a folder and, with the subtree, the folders below it, keeping
    // the path of every watch for Drain. Symbolic links below the root are
    // not followed, so a link loop is watched once.
    void AddWatches(const std::string& path, bool top)
    {
        if (watches >= kMaxWatches) return;
        std::uint32_t mask = InotifyMask(filters) | IN_ONLYDIR | (top ? 0 : IN_DONT_FOLLOW);
        if (subTree) mask |= IN_CREATE | IN_MOVED_TO;   // to watch new folders too
        int wd = ::inotify_add_watch(inotifyFd, path.c_str(), mask);
        if (wd < 0) return;
        ++watches;
        paths[wd] = path;
        if (!subTree) return;
        DIR* d = ::opendir(path.c_str());
        if (!d) return;
        while (dirent* e = ::readdir(d))
        {
            std::string n = e->d_name;
            if (e->d_type == DT_DIR && n != "." && n != "..") AddWatches(JoinPath(path, n), false);
        }
        ::closedir(d);
    }

    std::map<int, std::string> paths;   // watch descriptor → folder (GUI thread, or before the worker starts)

    // The GUI thread's side of one signal.
    void Deliver()
    {
        {
            std::lock_guard<std::mutex> g(m);
            if (stop) return;
        }
        bool changed = Drain();
        std::function<void()> handler = onChange;   // the handler may replace itself or destroy the notifier
        {
            std::lock_guard<std::mutex> g(m);
            queued = false;
        }
        cv.notify_all();
        if (changed && handler) handler();
    }

    void Run(const std::shared_ptr<TWatchState>& self)
    {
        while (true)
        {
            {
                std::unique_lock<std::mutex> g(m);
                cv.wait(g, [&] { return stop || !queued; });
                if (stop) return;
            }
            pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            int r = ::poll(fds, 2, -1);
            if (r < 0)
            {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            if (fds[0].revents & (POLLERR | POLLNVAL)) return;
            if (fds[0].revents & POLLIN)
            {
                {
                    std::lock_guard<std::mutex> g(m);
                    if (stop) return;
                    queued = true;
                }
                std::weak_ptr<TWatchState> weak = self;
                RunOnMainThread(
                    [weak] {
                        if (auto s = weak.lock()) s->Deliver();
                    },
                    false, this);
            }
        }
    }
};

TShellChangeNotifier::TShellChangeNotifier() = default;

TShellChangeNotifier::~TShellChangeNotifier()
{
    Stop();
}

void TShellChangeNotifier::SetRoot(const std::string& root)
{
    if (root == root_) return;
    root_ = root;
    Restart();
}

void TShellChangeNotifier::SetWatchSubTree(bool value)
{
    watchSubTree_ = value;
    Restart();
}

void TShellChangeNotifier::SetNotifyFilters(unsigned filters)
{
    filters_ = filters;
    Restart();
}

void TShellChangeNotifier::SetOnChange(std::function<void()> handler)
{
    onChange_ = std::move(handler);
    if (!onChange_)
        Stop();
    else if (state_)
        state_->onChange = onChange_;
    else
        Start();
}

// With a handler set, also a notifier whose root could not be watched tries again.
void TShellChangeNotifier::Restart()
{
    Stop();
    Start();
}

void TShellChangeNotifier::Start()
{
    if (state_ || !onChange_ || root_.empty()) return;
    auto s = std::make_shared<TWatchState>();
    s->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    s->stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (s->inotifyFd < 0 || s->stopFd < 0) return;
    s->filters = filters_;
    s->subTree = watchSubTree_;
    s->onChange = onChange_;
    std::string root = root_.size() > 1 ? sys::ExcludeTrailingPathDelimiter(root_) : root_;
    s->AddWatches(root, true);
    if (s->watches == 0) return;   // nothing to watch: a missing root, or not a folder
    state_ = s;
    thread_ = std::thread([s] { s->Run(s); });
}

void TShellChangeNotifier::Stop()
{
    if (!state_) return;
    std::shared_ptr<TWatchState> s = std::move(state_);
    {
        std::lock_guard<std::mutex> g(s->m);
        s->stop = true;
    }
    s->cv.notify_all();
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t w = ::write(s->stopFd, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    // The worker is gone, so nothing queues after this.
    RemoveQueuedCalls(s.get());
}
}
