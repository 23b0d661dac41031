// General helpers of the media library: program folder, file sizes, text
// splitting, size and time texts, and the ways to the GUI thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Folder of the running program, with a trailing "/".
std::string GetAppPath();
// Size of the file in bytes; -1 when it does not exist or cannot be examined.
std::int64_t FileSizeByName(const std::string& fileName);

// Returns the text of S before the first `separator` (all of S when there is
// none); with `remove` S keeps only the text after the separator (empty when
// there was none).
std::string FetchToken(std::string& S, const std::string& separator, bool remove);

// "%.2f GB", "%.2f MB", "%.2f KB" above 1 GiB, 1 MiB, 1 KiB; else "%d Byte".
std::string FormatFileSize(std::int64_t bytes);

// Days since 1899-12-30 (the date-time of the original design).
using TDateTime = double;
// The local time's current offset from UTC in days, daylight saving included.
double LocalTimeZoneOffset();
// Seconds since 1970-01-01 UTC as local date-time, with the offset (daylight
// saving included) that applied at that moment.
TDateTime UnixToLocalDateTime(std::int64_t unixSeconds);
// Date-time text by a pattern: yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s,
// zzz; text in double or single quotes is copied; anything else as it stands.
std::string DateTimeToText(const std::string& pattern, TDateTime dt);

// On the GUI thread: runs the calls other threads handed to it, then removes
// one pending message and dispatches it (a quit message is dropped). False
// when no message was pending, and on any other thread.
bool ProcessOneMessage();
// ProcessOneMessage until it returns false.
void PumpPendingMessages();
// Runs `fn` directly on the GUI thread, else on the GUI thread with the caller waiting.
void CallInMainThread(const std::function<void()>& fn);
