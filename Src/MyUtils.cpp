#include "Src/MyUtils.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/core/MainThread.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

namespace fs = std::filesystem;

std::string GetAppPath()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::int64_t FileSizeByName(const std::string& fileName)
{
    std::error_code ec;
    const fs::path p = fs::absolute(fs::path(fileName), ec);
    if (ec) return -1;
    const fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st)) return -1;
    if (!fs::is_regular_file(st)) return 0;
    const auto size = fs::file_size(p, ec);
    return ec ? -1 : std::int64_t(size);
}

std::string FetchToken(std::string& S, const std::string& separator, bool remove)
{
    const auto pos = separator.empty() ? std::string::npos : S.find(separator);
    std::string result;
    if (pos != std::string::npos)
    {
        result = S.substr(0, pos);
        if (remove) S.erase(0, pos + separator.size());
    }
    else
    {
        result = S;
        if (remove) S.clear();
    }
    return result;
}

std::string FormatFileSize(std::int64_t n)
{
    char buf[64];
    if (n > 1073741824) std::snprintf(buf, sizeof buf, "%.2f GB", double(n) / 1073741824.0);
    else if (n > 1048576) std::snprintf(buf, sizeof buf, "%.2f MB", double(n) / 1048576.0);
    else if (n > 1024) std::snprintf(buf, sizeof buf, "%.2f KB", double(n) / 1024.0);
    else std::snprintf(buf, sizeof buf, "%lld Byte", static_cast<long long>(n));
    return buf;
}

namespace
{
long OffsetSecondsAt(std::time_t t)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0;
    return tm.tm_gmtoff;
}
}

double LocalTimeZoneOffset() { return double(OffsetSecondsAt(std::time(nullptr))) / 86400.0; }

TDateTime UnixToLocalDateTime(std::int64_t unixSeconds)
{
    return double(unixSeconds) / 86400.0 + 25569.0 + double(OffsetSecondsAt(std::time_t(unixSeconds))) / 86400.0;
}

std::string DateTimeToText(const std::string& pattern, TDateTime dt)
{
    // Split the date-time into its fields (proleptic Gregorian calendar).
    const double msTotal = std::floor(dt * 86400000.0 + 0.5);
    std::int64_t ms = std::int64_t(msTotal);
    std::int64_t days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    std::int64_t msOfDay = ms - days * 86400000;
    // Days since 1899-12-30 to a civil date.
    std::int64_t z = days - 25569 + 719468;  // days since 0000-03-01 via 1970-01-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    const int hour = int(msOfDay / 3600000), minute = int(msOfDay / 60000 % 60),
              second = int(msOfDay / 1000 % 60), milli = int(msOfDay % 1000);

    auto num = [](std::int64_t v, int width) {
        char b[32];
        std::snprintf(b, sizeof b, "%0*lld", width, static_cast<long long>(v));
        return std::string(b);
    };
    auto lower = [](char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); };
    std::string out;
    bool lastWasHour = false;
    for (std::size_t i = 0; i < pattern.size();)
    {
        const char c = lower(pattern[i]);
        std::size_t run = 1;
        while (i + run < pattern.size() && lower(pattern[i + run]) == c) ++run;
        if (pattern[i] == '"' || pattern[i] == '\'')
        {
            const char q = pattern[i];
            const auto end = pattern.find(q, i + 1);
            out += pattern.substr(i + 1, (end == std::string::npos ? pattern.size() : end) - i - 1);
            i = end == std::string::npos ? pattern.size() : end + 1;
            continue;
        }
        switch (c)
        {
        case 'y': out += run >= 3 ? num(y, 4) : num(y % 100, 2); break;
        case 'm':
            // "mm" right after an hour means minutes, as the run time reads it.
            if (lastWasHour) out += run >= 2 ? num(minute, 2) : num(minute, 1);
            else out += run >= 2 ? num(m, 2) : num(m, 1);
            break;
        case 'd': out += run >= 2 ? num(d, 2) : num(d, 1); break;
        case 'h': out += run >= 2 ? num(hour, 2) : num(hour, 1); break;
        case 'n': out += run >= 2 ? num(minute, 2) : num(minute, 1); break;
        case 's': out += run >= 2 ? num(second, 2) : num(second, 1); break;
        case 'z': out += run >= 3 ? num(milli, 3) : num(milli, 1); break;
        default: out.append(pattern, i, run); break;
        }
        if (c == 'h') lastWasHour = true;
        else if (c != ':' && c != ' ' && c != '.') lastWasHour = false;
        if (c == 'm') lastWasHour = false;
        i += run;
    }
    return out;
}

bool ProcessOneMessage()
{
    if (!IsMainThread()) return false;
    MSG msg;
    // Peeking also runs the calls other threads handed to the GUI thread.
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    // A quit message is dropped: the pump goes on.
    if (msg.message == WM_QUIT) return true;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    return true;
}

void PumpPendingMessages()
{
    while (ProcessOneMessage()) {}
}

void CallInMainThread(const std::function<void()>& fn)
{
    if (IsMainThread()) fn();
    else RunOnMainThread(fn, true);
}
