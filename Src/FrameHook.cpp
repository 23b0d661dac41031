#include "Src/FrameHook.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "Src/FFmpegLogger.h"
#include "platform/sys/DynLib.h"

namespace {

// Hook libraries loaded so far, by the name they were given. A library stays
// loaded until the process ends; the next engine naming it reuses it.
std::mutex& CacheLock()
{
    static std::mutex m;
    return m;
}

std::map<std::string, sys::LibHandle>& Cache()
{
    static std::map<std::string, sys::LibHandle> cache;
    return cache;
}

void LogError(const std::string& AMsg) { GetFFLogger()->Log(nullptr, llError, AMsg); }

}  // namespace

int FrameHookAdd(PFrameHookEntry& AHead, int AArgCount, const std::vector<std::string>& AArgs)
{
    if (AArgCount < 1 || AArgs.empty())
        return -2;
    AArgCount = std::min<int>(AArgCount, std::min<int>((int)AArgs.size(), FRAME_HOOK_MAX_ARGS));
    const std::string& path = AArgs[0];

    // A path with a folder part loads that very file; a bare name goes
    // through the system's library search.
    sys::LibHandle lib = nullptr;
    {
        std::lock_guard<std::mutex> g(CacheLock());
        auto it = Cache().find(path);
        if (it != Cache().end()) {
            lib = it->second;
        } else {
            lib = sys::LoadLibrary(path);
            if (!lib) {
                LogError(sys::LastDynLibError() + "\n");
                return -1;
            }
            Cache()[path] = lib;
        }
    }

    auto* entry = static_cast<PFrameHookEntry>(std::calloc(1, sizeof(TFrameHookEntry)));
    if (!entry)
        return -12;
    entry->Configure = reinterpret_cast<TFrameHookConfigureFn>(sys::GetProcAddress(lib, "Configure"));
    entry->Process = reinterpret_cast<TFrameHookProcessFn>(sys::GetProcAddress(lib, "Process"));
    entry->Release = reinterpret_cast<TFrameHookReleaseFn>(sys::GetProcAddress(lib, "Release"));
    if (!entry->Process) {
        LogError("Failed to find Process entrypoint in " + path + "\n");
        std::free(entry);
        return -2;
    }
    if (!entry->Configure && AArgCount > 1) {
        LogError("Failed to find Configure entrypoint in " + path + "\n");
        std::free(entry);
        return -2;
    }
    if (entry->Configure) {
        // the hook sees 8-bit strings; the array is as long as the most a hook takes
        std::vector<std::string> copies(AArgs.begin(), AArgs.begin() + AArgCount);
        char* argv[FRAME_HOOK_MAX_ARGS] = {};
        for (int i = 0; i < AArgCount; i++)
            argv[i] = copies[size_t(i)].data();
        if (entry->Configure(&entry->ctx, AArgCount, argv, FRAME_HOOK_MAX_ARGS - 1) != 0) {
            LogError("Failed to Configure " + path + "\n");
            std::free(entry);
            return -22;
        }
    }
    PFrameHookEntry* tail = &AHead;
    while (*tail)
        tail = &(*tail)->next;
    *tail = entry;
    return 0;
}

void FrameHookProcess(PFrameHookEntry AHead, TAVPicture* APicture, int APixFmt, int AWidth, int AHeight,
                      std::int64_t APTS)
{
    for (PFrameHookEntry e = AHead; e; e = e->next)
        e->Process(e->ctx, APicture, APixFmt, AWidth, AHeight, APTS);
}

void FrameHookRelease(PFrameHookEntry& AHead)
{
    while (AHead) {
        PFrameHookEntry e = AHead;
        AHead = e->next;
        if (e->Release)
            e->Release(e->ctx);
        std::free(e);
    }
}
