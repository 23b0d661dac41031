#include "platform/sys/Process.h"

#include "platform/sys/Files.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace sys
{
namespace {

class SpawnLauncher : public ILauncher
{
public:
    bool Launch(const std::vector<std::string>& argv, bool wait) override
    {
        if (argv.empty() || argv[0].empty()) return false;
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
        if (!wait)
        {
            // Reap it when it ends, so no zombie is left behind.
            std::thread([pid] {
                int st;
                while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {}
            }).detach();
            return true;
        }
        int st = 0;
        while (::waitpid(pid, &st, 0) < 0)
            if (errno != EINTR) return false;
        return WIFEXITED(st) && WEXITSTATUS(st) == 0;
    }
};

std::mutex gMutex;
std::shared_ptr<ILauncher>& Current()
{
    static std::shared_ptr<ILauncher> l = std::make_shared<SpawnLauncher>();
    return l;
}

bool HasScheme(const std::string& t)
{
    std::size_t colon = t.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i)
    {
        char c = t[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

} // namespace

std::string GetEnvironmentVariable(const std::string& name)
{
    const char* v = name.empty() ? nullptr : std::getenv(name.c_str());
    return v ? std::string(v) : std::string();
}

bool SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    if (name.empty() || name.find('=') != std::string::npos) return false;
    if (value.empty()) return ::unsetenv(name.c_str()) == 0;
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

ILauncher& Launcher()
{
    std::lock_guard<std::mutex> g(gMutex);
    return *Current();
}

std::shared_ptr<ILauncher> SetLauncher(std::shared_ptr<ILauncher> launcher)
{
    std::lock_guard<std::mutex> g(gMutex);
    auto old = Current();
    Current() = launcher ? std::move(launcher) : std::make_shared<SpawnLauncher>();
    return old;
}

bool OpenWithSystem(const std::string& target)
{
    if (target.empty()) return false;
    std::string arg = target;
    if (FileExists(target) || DirectoryExists(target))
        arg = ExpandFileName(target);
    else if (!HasScheme(target))
    {
        // Neither an existing path nor an address: still a path to xdg-open,
        // made absolute so it cannot read as an option.
        arg = ExpandFileName(target);
    }
    std::shared_ptr<ILauncher> l;
    {
        std::lock_guard<std::mutex> g(gMutex);
        l = Current();
    }
    return l->Launch({"xdg-open", arg}, false);
}
}
