// A line of /proc/self/mountinfo for a mount point, for tests that give the
// drive table sources of their own.
#pragma once
#include <string>

inline std::string MountInfoLine(int id, const std::string& mountPoint, const std::string& type,
                                 const std::string& source)
{
    return std::to_string(id) + " 1 0:" + std::to_string(id) + " / " + mountPoint + " rw,relatime shared:" +
           std::to_string(id) + " - " + type + " " + source + " rw\n";
}
