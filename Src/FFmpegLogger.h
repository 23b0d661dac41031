// The logger: FFmpeg's own log output and the media library's messages reach
// the application through the single TFFLogger and its OnLog handler.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "Src/FFBaseComponent.h"

enum TLogLevel : std::uint8_t
{
    llQuiet,
    llPanic,
    llFatal,
    llError,
    llWarning,
    llInfo,
    llVerbose,
    llDebug,
};

// FFmpeg level = ordinal * 8 - 8.
int LogLevelToAVLevel(TLogLevel level);
// Ordinal = FFmpeg level / 8 + 1 (truncating toward zero), clamped to 0..7.
TLogLevel AVLevelToLogLevel(int avLevel);
// The level last given to av_log_set_level (32 at start); the callback filters by it.
int LibraryLogLevel();

// The id of the calling thread as the log prints it.
std::uint32_t CurrentThreadID();

using TLogEvent =
    std::function<void(TObject* Sender, std::uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)>;

struct TLogInfo
{
    TObject* Sender = nullptr;
    std::uint32_t ThreadID = 0;
    TLogLevel LogLevel = llInfo;
    std::string LogMsg;
};

// printf-style formatting into an owned string.
std::string FormatText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* fmt, va_list args);

class TFFLogger : public TFFBaseComponent
{
public:
    explicit TFFLogger(TComponent* AOwner = nullptr);
    ~TFFLogger() override;

    // A message of the system's own code.
    void Log(TObject* Sender, TLogLevel ALogLevel, const std::string& ALogMsg);
    // The same, formatted (printf conventions) only once the level test has passed.
    template <typename... A>
        requires(sizeof...(A) > 0)
    void Log(TObject* Sender, TLogLevel ALogLevel, const char* fmt, A... args)
    {
        static_assert((std::is_scalar_v<A> && ...), "pass C strings and numbers to the format variant");
        if (!Passes(ALogLevel)) return;
        Log(Sender, ALogLevel, FormatText(fmt, args...));
    }

    // A complete line of the libraries' output at an FFmpeg level.
    void LibraryLog(std::uint32_t AThreadID, int AVLevel, const std::string& ALine);

    // Sets LogLevel from a level name (any letter case) or a decimal FFmpeg level;
    // anything else raises EConvertError.
    void OptLogLevel(const std::string& text);
    // Makes the logger's callback the libraries' log callback and applies the level.
    void InstallAVLogCallback();

    TLogLevel LogLevel() const;
    void SetLogLevel(TLogLevel v);
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool v) { FTriggerEventInMainThread = v; }
    TLogEvent OnLog() const;
    void SetOnLog(TLogEvent handler);

private:
    bool Passes(TLogLevel level) const;
    void ApplyLogLevel();
    void CallOnLog(const TLogInfo& info);

    bool FTriggerEventInMainThread = true;
    TLogLevel FLogLevel = llInfo;
    mutable std::mutex FLock;
    TLogEvent FOnLog;
};

// The single logger; creates an ownerless one when none exists.
TFFLogger* GetFFLogger();

// The libraries' log callback.
extern "C" void AVLogCallback(void* avcl, int level, const char* fmt, va_list vl);

// Lines received from the libraries and not yet ended by a line feed, one
// item per thread.
class TLogList
{
public:
    TLogList() = default;
    ~TLogList();
    TLogList(const TLogList&) = delete;
    TLogList& operator=(const TLogList&) = delete;

    void Clear();
    // Appends `text` to the thread's pending text and takes out the lines it
    // completes (the line feeds dropped); the rest stays pending.
    std::vector<std::string> Append(std::uint32_t threadID, const std::string& text);
    // Whether the pending text of the thread is empty.
    bool PendingEmpty(std::uint32_t threadID);

private:
    struct TLogItem
    {
        std::uint32_t ThreadID;
        std::string LogMsg;
        TLogItem* Next;
    };
    TLogItem* FindOrAdd(std::uint32_t threadID);

    TLogItem* FHeader = nullptr;
    std::mutex FLock;
};

TLogList& LogList();
