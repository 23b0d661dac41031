// The program itself, started as a user would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace
{
struct Result
{
    int status = -1;
    std::string output;
};

Result RunProgram(const std::string& env)
{
    Result r;
    std::string cmd = env + " '" + std::string(QUORVEL_BINARY_DIR) + "/quorvel' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) r.output += buf;
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}
} // namespace

TEST(ProgramTest, WithoutADisplayItSaysSoAndFails)
{
    // No DISPLAY at all, and a display nobody serves.
    for (const char* env : {"env -u DISPLAY", "env DISPLAY=:4711"})
    {
        SCOPED_TRACE(env);
        Result r = RunProgram(env);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.output, "no X display: set DISPLAY or run under Xvfb\n");
    }
}
