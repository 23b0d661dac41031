// Runs a test step in a child process whose files may not grow past a limit,
// so writes fail part-way (even for root).
#pragma once
#include "common/child.h"

#include <csignal>
#include <sys/resource.h>

// Runs fn in a child whose files may not grow past `limit` bytes and that
// ignores SIGXFSZ (as the program does), so a write past it fails with
// "File too large"; returns the child's exit code (fn's result), or kChildDied.
template <class F>
int InChildWithFileSizeLimit(rlim_t limit, F fn)
{
    return InChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &rl) == 0 ? 0 : 98;
        },
        fn);
}
