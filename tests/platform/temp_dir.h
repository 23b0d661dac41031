// A temporary folder of this test process's own, so several builds can run the
// tests at once; removed with everything in it when the process ends.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline std::string ProcessTempDir()
{
    static const struct Dir
    {
        std::string path = ::testing::TempDir() + "/quorvel-" + std::to_string(::getpid());
        Dir()
        {
            ::mkdir(path.c_str(), 0777);
            ::chmod(path.c_str(), 0755);   // reachable by a child that drops to an unprivileged user
        }
        ~Dir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } dir;
    return dir.path;
}
