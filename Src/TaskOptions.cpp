#include "Src/TaskOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>

void InitInputOptions(TInputOptions& AOptions) { AOptions = TInputOptions(); }

void InitOutputOptions(TOutputOptions& AOptions) { AOptions = TOutputOptions(); }

namespace {

bool SameKey(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; i++) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

// A whole decimal 64-bit integer, or "not set".
std::int64_t TimeValue(const std::string& s)
{
    if (s.empty())
        return OPTION_NO_TIME;
    const char* b = s.c_str();
    char* e = nullptr;
    errno = 0;
    long long v = std::strtoll(b, &e, 10);
    if (errno == ERANGE || e == b || *e)
        return OPTION_NO_TIME;
    return v;
}

void AppendLine(std::string& AText, const TOptionLine& l) { AText += l.first + "=" + l.second + "\n"; }

}  // namespace

std::vector<TOptionLine> SplitOptionText(const std::string& AText)
{
    size_t b = 0, e = AText.size();
    while (b < e && (unsigned char)AText[b] <= ' ') b++;
    while (e > b && (unsigned char)AText[e - 1] <= ' ') e--;
    std::string t;
    t.reserve(e - b);
    for (size_t i = b; i < e;) {
        if (AText[i] == '\r') {
            t += '\n';
            i += (i + 1 < e && AText[i + 1] == '\n') ? 2 : 1;
        } else if (AText.compare(i, 6, "<CRLF>") == 0 && i + 6 <= e) {
            t += '\n';
            i += 6;
        } else {
            t += AText[i++];
        }
    }
    std::vector<TOptionLine> lines;
    size_t p = 0;
    while (p < t.size()) {
        size_t n = t.find('\n', p);
        std::string line = t.substr(p, n == std::string::npos ? std::string::npos : n - p);
        p = n == std::string::npos ? t.size() : n + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            lines.emplace_back(line, "");
        else
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

TInputOptions InputOptionsFromText(const std::string& AText)
{
    TInputOptions o;
    for (auto& l : SplitOptionText(AText)) {
        if (SameKey(l.first, "TimeStart"))
            o.TimeStart = TimeValue(l.second);
        else
            AppendLine(o.ExtOptions, l);
    }
    return o;
}

TOutputOptions OutputOptionsFromText(const std::string& AText)
{
    TOutputOptions o;
    for (auto& l : SplitOptionText(AText)) {
        if (SameKey(l.first, "Hook") || SameKey(l.first, "CustomHook"))
            o.CustomHook = true;
        else if (SameKey(l.first, "Join"))
            o.Join = true;
        else if (SameKey(l.first, "TimeStart"))
            o.TimeStart = TimeValue(l.second);
        else if (SameKey(l.first, "TimeLength"))
            o.TimeLength = TimeValue(l.second);
        else
            AppendLine(o.ExtOptions, l);
    }
    return o;
}

double LocalTimeBiasDays()
{
    tzset();
    // `timezone` holds the standard offset in seconds west of UTC
    return -double(timezone) / 86400.0;
}

std::int64_t LocalDateTimeToUnixTime(double ADateTime)
{
    return (std::int64_t)std::llround((ADateTime - 25569.0 - LocalTimeBiasDays()) * 86400.0);
}

double NowLocalDateTime()
{
    std::time_t now = std::time(nullptr);
    return double(now) / 86400.0 + 25569.0 + LocalTimeBiasDays();
}
