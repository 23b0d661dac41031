// Runs a test step in a child process that may take only a little more memory
// than it holds already, so a step that commits a large buffer fails there
// (by an allocation failure, or a sanitizer's out-of-memory abort) instead of
// passing slowly.
#pragma once
#include "common/child.h"

#include <sys/resource.h>

#include <cstdio>

// The process's data size now (VmData, which counts the heap and every
// private writable mapping, sanitizer shadow memory included), or 0.
inline rlim_t CurrentDataSize()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmData: %llu kB", &kb) == 1) break;
    std::fclose(f);
    return rlim_t(kb) * 1024;
}

// Runs fn in a child whose data may grow by at most `budget` bytes; returns
// fn's result as the child's exit code, or kChildDied (a sanitizer's
// out-of-memory report ends the child with 1).
template <class F>
int InChildWithMemoryBudget(rlim_t budget, F fn)
{
    return InChild(
        [&] {
            const rlim_t now = CurrentDataSize();
            if (now == 0) return 99;
            struct rlimit rl = {now + budget, now + budget};
            return ::setrlimit(RLIMIT_DATA, &rl) == 0 ? 0 : 98;
        },
        fn);
}
