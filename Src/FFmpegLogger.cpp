#include "Src/FFmpegLogger.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <memory>
#include <vector>

#include "Src/FFmpegLoader.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"

namespace
{
std::atomic<int> gLibraryLevel{AV_LOG_INFO};

std::mutex gInstanceLock;
TFFLogger* gInstance = nullptr;
bool gShuttingDown = false;

// Frees the ownerless logger GetFFLogger made and detaches the callback at exit.
struct TLoggerShutdown
{
    std::unique_ptr<TFFLogger> Ownerless;
    ~TLoggerShutdown()
    {
        gShuttingDown = true;
        if (ff::av_log_set_callback && ff::av_log_default_callback)
            ff::av_log_set_callback(ff::av_log_default_callback);
        Ownerless.reset();
    }
};
TLoggerShutdown gShutdown;

// Keeps valid UTF-8 as it is and turns every byte that is not part of a valid
// sequence into the character of the same code (U+0080 to U+00FF).
std::string BytesToText(const char* s, std::size_t n)
{
    const std::string_view text(s, n);
    std::string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n;)
    {
        std::size_t next = i;
        Utf8Next(text, next);
        const auto c = static_cast<unsigned char>(s[i]);
        // a byte that starts no valid sequence stands for itself
        if (next == i + 1 && c >= 0x80)
            Utf8Append(out, c);
        else
            out.append(s + i, std::max(next, i + 1) - i);
        i = std::max(next, i + 1);
    }
    return out;
}
}

int LogLevelToAVLevel(TLogLevel level) { return int(level) * 8 - 8; }

TLogLevel AVLevelToLogLevel(int avLevel)
{
    int ord = avLevel / 8 + 1;
    if (ord < 0) ord = 0;
    if (ord > 7) ord = 7;
    return TLogLevel(ord);
}

int LibraryLogLevel() { return gLibraryLevel.load(); }

std::uint32_t CurrentThreadID() { return std::uint32_t(::gettid()); }

std::string FormatTextV(const char* fmt, va_list args)
{
    char buf[512];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    std::string out;
    if (n < 0) out.clear();
    else if (std::size_t(n) < sizeof buf) out.assign(buf, std::size_t(n));
    else
    {
        out.resize(std::size_t(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, copy);
        out.resize(std::size_t(n));
    }
    va_end(copy);
    return out;
}

std::string FormatText(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string s = FormatTextV(fmt, ap);
    va_end(ap);
    return s;
}

// ---- TLogList -------------------------------------------------------------------

TLogList::~TLogList() { Clear(); }

void TLogList::Clear()
{
    std::lock_guard<std::mutex> g(FLock);
    while (FHeader)
    {
        TLogItem* next = FHeader->Next;
        delete FHeader;
        FHeader = next;
    }
}

TLogList::TLogItem* TLogList::FindOrAdd(std::uint32_t threadID)
{
    for (TLogItem* it = FHeader; it; it = it->Next)
        if (it->ThreadID == threadID) return it;
    FHeader = new TLogItem{threadID, {}, FHeader};
    return FHeader;
}

bool TLogList::PendingEmpty(std::uint32_t threadID)
{
    std::lock_guard<std::mutex> g(FLock);
    return FindOrAdd(threadID)->LogMsg.empty();
}

std::vector<std::string> TLogList::Append(std::uint32_t threadID, const std::string& text)
{
    std::vector<std::string> lines;
    std::lock_guard<std::mutex> g(FLock);
    TLogItem* item = FindOrAdd(threadID);
    item->LogMsg += text;
    std::size_t start = 0, lf;
    while ((lf = item->LogMsg.find('\n', start)) != std::string::npos)
    {
        lines.push_back(item->LogMsg.substr(start, lf - start));
        start = lf + 1;
    }
    if (start) item->LogMsg.erase(0, start);
    return lines;
}

TLogList& LogList()
{
    static TLogList list;
    return list;
}

// ---- the callback -----------------------------------------------------------------

extern "C" void AVLogCallback(void* avcl, int level, const char* fmt, va_list vl)
{
    // The bits above the level carry a colour hint of the libraries' own printing.
    if (level >= 0) level &= 0xFF;
    if (level > gLibraryLevel.load()) return;
    const std::uint32_t tid = CurrentThreadID();

    char buf[2048];
    std::memset(buf, 0, sizeof buf);
    std::size_t pos = 0;
    if (avcl && LogList().PendingEmpty(tid))
    {
        const AVClass* cls = *static_cast<const AVClass* const*>(avcl);
        if (cls)
        {
            const char* name = cls->item_name ? cls->item_name(avcl) : cls->class_name;
            const int n = std::snprintf(buf, sizeof buf, "[%s @ %p]", name ? name : "", avcl);
            pos = n < 0 ? 0 : std::min<std::size_t>(std::size_t(n), sizeof buf - 1);
        }
    }
    va_list copy;
    va_copy(copy, vl);
    const int n = std::vsnprintf(buf + pos, sizeof buf - pos, fmt, vl);
    std::string text;
    if (n >= 0 && std::size_t(n) >= sizeof buf - pos)
    {
        // Longer than the buffer: format again into one that fits.
        std::vector<char> big(pos + std::size_t(n) + 1);
        std::memcpy(big.data(), buf, pos);
        std::vsnprintf(big.data() + pos, std::size_t(n) + 1, fmt, copy);
        text = BytesToText(big.data(), std::strlen(big.data()));
    }
    else
        text = BytesToText(buf, std::strlen(buf));
    va_end(copy);

    for (const std::string& line : LogList().Append(tid, text))
        GetFFLogger()->LibraryLog(tid, level, line);
}

// ---- TFFLogger ----------------------------------------------------------------------

TFFLogger::TFFLogger(TComponent* AOwner) : TFFBaseComponent(AOwner)
{
    std::lock_guard<std::mutex> g(gInstanceLock);
    if (gInstance) throw EFFAssertion("Allow creating only one instance of TFFLogger.");
    FTriggerEventInMainThread = true;
    FLogLevel = AVLevelToLogLevel(gLibraryLevel.load());
    gInstance = this;
}

TFFLogger::~TFFLogger()
{
    {
        std::lock_guard<std::mutex> g(gInstanceLock);
        if (gInstance == this) gInstance = nullptr;
    }
    if (!gShuttingDown) RemoveQueuedCalls(this);
}

TFFLogger* GetFFLogger()
{
    {
        std::lock_guard<std::mutex> g(gInstanceLock);
        if (gInstance) return gInstance;
    }
    // Two threads that find none at once make only one.
    static std::mutex creating;
    std::lock_guard<std::mutex> c(creating);
    {
        std::lock_guard<std::mutex> g(gInstanceLock);
        if (gInstance) return gInstance;
    }
    auto logger = std::make_unique<TFFLogger>();
    TFFLogger* p = logger.get();
    gShutdown.Ownerless = std::move(logger);
    return p;
}

TLogLevel TFFLogger::LogLevel() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FLogLevel;
}

void TFFLogger::SetLogLevel(TLogLevel v)
{
    {
        std::lock_guard<std::mutex> g(FLock);
        if (v == FLogLevel) return;
        FLogLevel = v;
    }
    ApplyLogLevel();
}

void TFFLogger::ApplyLogLevel()
{
    if (!ff::av_log_set_level) return;
    const int level = LogLevelToAVLevel(LogLevel());
    gLibraryLevel = level;
    ff::av_log_set_level(level);
}

void TFFLogger::InstallAVLogCallback()
{
    if (!ff::av_log_set_callback || !ff::av_log_set_level)
        throw EFFAssertion("Assertion failed: the log entry points of avutil are not bound");
    ff::av_log_set_callback(AVLogCallback);
    ApplyLogLevel();
}

void TFFLogger::OptLogLevel(const std::string& text)
{
    static const struct { const char* name; int level; } names[] = {
        {"quiet", AV_LOG_QUIET}, {"panic", AV_LOG_PANIC},     {"fatal", AV_LOG_FATAL},
        {"error", AV_LOG_ERROR}, {"warning", AV_LOG_WARNING}, {"info", AV_LOG_INFO},
        {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG},
    };
    int level = 0;
    bool found = false;
    for (const auto& n : names)
        if (strcasecmp(text.c_str(), n.name) == 0)
        {
            level = n.level;
            found = true;
            break;
        }
    if (!found)
    {
        std::size_t used = 0;
        bool ok = !text.empty() && text.find_first_of(" \t") == std::string::npos;
        if (ok)
        {
            try
            {
                level = std::stoi(text, &used, 10);
                ok = used == text.size();
            }
            catch (const std::exception&)
            {
                ok = false;
            }
        }
        if (!ok) throw EConvertError("'" + text + "' is not a valid integer value");
    }
    SetLogLevel(AVLevelToLogLevel(level));
}

bool TFFLogger::Passes(TLogLevel level) const
{
    const TLogLevel current = LogLevel();
    return level <= current || (level == llVerbose && current != llQuiet);
}

TLogEvent TFFLogger::OnLog() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FOnLog;
}

void TFFLogger::SetOnLog(TLogEvent handler)
{
    std::lock_guard<std::mutex> g(FLock);
    FOnLog = std::move(handler);
}

void TFFLogger::Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg)
{
    if (!OnLog() || !Passes(ALogLevel)) return;
    CallOnLog(TLogInfo{Sender, CurrentThreadID(), ALogLevel, ALogMsg});
}

void TFFLogger::LibraryLog(std::uint32_t AThreadID, int AVLevel, const std::string& ALine)
{
    if (!OnLog()) return;
    CallOnLog(TLogInfo{this, AThreadID, AVLevelToLogLevel(AVLevel), ALine});
}

// Hands one delivery to OnLog. On the GUI thread, or when the logger is asked
// to call on the calling thread, at once; from another thread it is queued
// for the GUI thread and the caller goes on, so a thread that logs while it
// holds a lock never waits for the GUI thread.
void TFFLogger::CallOnLog(const TLogInfo& info)
{
    if (FTriggerEventInMainThread && !IsMainThread())
    {
        RunOnMainThread(
            [this, info] {
                const TLogEvent h = OnLog();
                if (h) h(info.Sender, info.ThreadID, info.LogLevel, info.LogMsg);
            },
            false, this);
        return;
    }
    const TLogEvent h = OnLog();
    if (h) h(info.Sender, info.ThreadID, info.LogLevel, info.LogMsg);
}
