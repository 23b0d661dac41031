// Runs a test step in a child process as an unprivileged user, so cases of
// unreadable files and folders run for root (as CI runs) as well.
#pragma once
#include "common/child.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

constexpr uid_t kUnprivilegedId = 65534;   // "nobody"

// Exit codes of the child besides fn's own result (and kChildDied).
constexpr int kChildCannotDrop = 90;   // setgroups/setgid/setuid failed
constexpr int kChildCannotSee = 91;    // mustSee is not reachable as that user

// Runs fn() in a child that drops every group and becomes uid/gid 65534 (when
// the test runs unprivileged already it stays that user). mustSee, when given,
// must be visible to that user (its parent folders searchable), so a refusal
// seen by fn comes from the file itself and not from a folder on the way.
// Returns fn's result as the child's exit code, or one of the codes above.
template <class F>
int AsUnprivilegedUser(const std::string& mustSee, F fn)
{
    return InChild(
        [&] {
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0))
                return kChildCannotDrop;
            struct stat st;
            return mustSee.empty() || ::stat(mustSee.c_str(), &st) == 0 ? 0 : kChildCannotSee;
        },
        fn);
}

// A folder that the unprivileged user may enter and write in (created with
// mode 0777 whatever the umask); the caller removes it.
inline void MakeSharedFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0777);
    ::chmod(path.c_str(), 0777);
}
