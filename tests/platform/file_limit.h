// Runs a test step in a child process whose files may not grow past a limit,
// so writes fail part-way (even for root).
#pragma once
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs fn in a child whose files may not grow past `limit` bytes; returns the
// child's exit code (fn's result), or 100 when the child did not exit.
template <class F>
int InChildWithFileSizeLimit(rlim_t limit, F fn)
{
    pid_t pid = ::fork();
    if (pid == 0)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}
