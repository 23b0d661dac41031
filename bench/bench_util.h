// Small helpers the benchmarks share: timing, medians and running the peer.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

inline double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline bool Shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }
