// Runs a test step in a forked child process, so that limits and a changed
// user stay in the child.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

constexpr int kChildDied = 100;   // the child did not exit (a signal ended it)

// In the child: prepare() sets it up and returns 0 (or an exit code that ends
// the child at once); then fn()'s result is the child's exit code. Returns
// that exit code, or kChildDied.
template <class P, class F>
int InChild(P prepare, F fn)
{
    pid_t pid = ::fork();
    if (pid == 0)
    {
        if (int rc = prepare()) ::_exit(rc);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kChildDied;
}
