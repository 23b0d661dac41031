// Starting other programs, and opening a folder, file or address with the
// desktop's default application (xdg-open). Programs are started with an
// argument array, never through a shell. The launcher is replaceable, so tests
// record what would be started instead of starting it.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace sys
{
class ILauncher
{
public:
    virtual ~ILauncher() = default;
    // Starts argv[0] (looked up in PATH) with the arguments. With wait, waits
    // for it and returns whether it exited with status 0; otherwise returns
    // whether it started (the child is reaped in the background).
    virtual bool Launch(const std::vector<std::string>& argv, bool wait) = 0;
};

// The launcher in use (by default one that uses posix_spawnp).
ILauncher& Launcher();
// Replaces the launcher; nullptr restores the default. Returns the previous one.
std::shared_ptr<ILauncher> SetLauncher(std::shared_ptr<ILauncher> launcher);

// The program's environment (for library search paths and SDL settings).
// Setting is meant for start-up, before other threads read the environment.
std::string GetEnvironmentVariable(const std::string& name);
// An empty value removes the variable. False for an invalid name.
bool SetEnvironmentVariable(const std::string& name, const std::string& value);

// Opens a folder, file or address (http:, https:, mailto:, file:) with the
// desktop's default application, without waiting. A target that names an
// existing file or folder is passed as an absolute path, so a name beginning
// with "-" is never taken for an option. Returns whether xdg-open started.
bool OpenWithSystem(const std::string& target);
}
