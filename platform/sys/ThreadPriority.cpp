#include "platform/sys/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace sys
{
int CurrentThreadId() { return int(::syscall(SYS_gettid)); }

bool SetThreadNice(int tid, int nice)
{
    nice = std::clamp(nice, -20, 19);
    // On Linux, PRIO_PROCESS with a thread id addresses that one thread.
    return ::setpriority(PRIO_PROCESS, id_t(tid == 0 ? CurrentThreadId() : tid), nice) == 0;
}

int GetThreadNice(int tid)
{
    errno = 0;
    int v = ::getpriority(PRIO_PROCESS, id_t(tid == 0 ? CurrentThreadId() : tid));
    return (v == -1 && errno != 0) ? 0 : v;
}
}
