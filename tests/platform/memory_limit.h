// Runs a test step in a child process that may take only a little more memory
// than it holds already, so a step that commits a large buffer fails there
// (by an allocation failure, or a sanitizer's out-of-memory abort) instead of
// passing slowly.
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
// fn's result as the child's exit code, or 100 when the child did not exit
// (a sanitizer's out-of-memory report ends it with 1).
template <class F>
int InChildWithMemoryBudget(rlim_t budget, F fn)
{
    pid_t pid = ::fork();
    if (pid == 0)
    {
        const rlim_t now = CurrentDataSize();
        if (now == 0) ::_exit(99);
        struct rlimit rl = {now + budget, now + budget};
        if (::setrlimit(RLIMIT_DATA, &rl) != 0) ::_exit(98);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}
