// Runs a test step in a child process as an unprivileged user, so cases of
// unreadable files and folders run for root (as CI runs) as well.
#pragma once
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

constexpr uid_t kUnprivilegedId = 65534;   // "nobody"

// Exit codes of the child besides fn's own result.
constexpr int kChildCannotDrop = 90;   // setgroups/setgid/setuid failed
constexpr int kChildCannotSee = 91;    // mustSee is not reachable as that user
constexpr int kChildDied = 100;        // killed by a signal

// Runs fn() in a child that drops every group and becomes uid/gid 65534 (when
// the test runs unprivileged already it stays that user). mustSee, when given,
// must be visible to that user (its parent folders searchable), so a refusal
// seen by fn comes from the file itself and not from a folder on the way.
// Returns fn's result as the child's exit code, or one of the codes above.
template <class F>
int AsUnprivilegedUser(const std::string& mustSee, F fn)
{
    pid_t pid = ::fork();
    if (pid == 0)
    {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0))
            ::_exit(kChildCannotDrop);
        struct stat st;
        if (!mustSee.empty() && ::stat(mustSee.c_str(), &st) != 0) ::_exit(kChildCannotSee);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kChildDied;
}

// A folder that the unprivileged user may enter and write in (created with
// mode 0777 whatever the umask); the caller removes it.
inline void MakeSharedFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0777);
    ::chmod(path.c_str(), 0777);
}
