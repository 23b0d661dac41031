// The change watcher of the shell controls: the notifier component and its
// thread over the platform's watcher.
#include "lib/bsSkinShellCtrls/Internal.h"

unsigned NotifyFiltersToFlags(TNotifyFilters Filters)
{
    static const unsigned kFlags[] = {shell::FILE_NOTIFY_CHANGE_FILE_NAME,  shell::FILE_NOTIFY_CHANGE_DIR_NAME,
                                      shell::FILE_NOTIFY_CHANGE_ATTRIBUTES, shell::FILE_NOTIFY_CHANGE_SIZE,
                                      shell::FILE_NOTIFY_CHANGE_LAST_WRITE, shell::FILE_NOTIFY_CHANGE_SECURITY};
    unsigned flags = 0;
    for (int i = nfFileNameChange; i <= nfSecurityChange; ++i)
        if (Filters.Contains(TNotifyFilter(i))) flags |= kFlags[i];
    return flags;
}

// ---------------------------------------------------------------------------
TbsShellChangeThread::TbsShellChangeThread(TThreadMethod AChangeEvent) : FChangeEvent(std::move(AChangeEvent)) {}

TbsShellChangeThread::~TbsShellChangeThread()
{
    // Stops and joins the platform's worker; a delivery already queued is dropped.
    FWatcher.SetOnChange(nullptr);
}

void TbsShellChangeThread::SetDirectoryOptions(const std::string& Directory, bool WatchSubTree,
                                               unsigned NotifyOptionFlags)
{
    FWatcher.SetRoot(Directory);
    FWatcher.SetWatchSubTree(WatchSubTree);
    FWatcher.SetNotifyFilters(NotifyOptionFlags);
}

void TbsShellChangeThread::Resume()
{
    if (FResumed) return;
    FResumed = true;
    // The handler is read when a change arrives, so a new one set meanwhile is the one run.
    FWatcher.SetOnChange([this] {
        if (FChangeEvent) FChangeEvent();
    });
}

// ---------------------------------------------------------------------------
TbsCustomShellChangeNotifier::TbsCustomShellChangeNotifier(TComponent* AOwner) : TComponent(AOwner)
{
    StartWatchThread();
}

TbsCustomShellChangeNotifier::~TbsCustomShellChangeNotifier() { FThread.reset(); }

void TbsCustomShellChangeNotifier::SetNotifyFilters(TNotifyFilters Value)
{
    FFilters = Value;
    ApplyNotifyOptions();
}

void TbsCustomShellChangeNotifier::SetWatchSubTree(bool Value)
{
    FWatchSubTree = Value;
    ApplyNotifyOptions();
}

void TbsCustomShellChangeNotifier::SetRoot(const TRoot& Value)
{
    if (Value == FRoot) return;
    FRoot = Value;
    ApplyNotifyOptions();
}

void TbsCustomShellChangeNotifier::SetOnChange(TThreadMethod Value)
{
    FOnChange = std::move(Value);
    if (FThread) FThread->SetChangeEvent(FOnChange);
    else StartWatchThread();
}

void TbsCustomShellChangeNotifier::ApplyNotifyOptions()
{
    if (FThread) FThread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
}

void TbsCustomShellChangeNotifier::StartWatchThread()
{
    if (!FOnChange) return;
    FThread = std::make_unique<TbsShellChangeThread>(FOnChange);
    FThread->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
    FThread->Resume();
}
