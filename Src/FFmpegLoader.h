// Run-time loading of FFmpeg's libraries and SDL, and the process-wide
// entry-point variables every call into them goes through.
//
// Callers write ff::avcodec_open2(...). The variables are nullptr until their
// library is loaded by GlobalLoader (and again after it is unloaded). Inline
// helpers of the headers that are not exported functions (av_q2d, av_make_q,
// AVERROR, av_ts2str ...) are used from the headers directly.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/avstring.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/fifo.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
#if __has_include(<libavdevice/avdevice.h>)
#include <libavdevice/avdevice.h>
#else
// libavdevice's headers are not installed; the one entry point bound from it.
void avdevice_register_all(void);
#define LIBAVDEVICE_VERSION_MAJOR 59
#endif
}
#include <SDL2/SDL.h>

#include <cstdint>
#include <string>

#include "platform/core/Exception.h"
#include "platform/core/Sync.h"

// ---- entry-point variables --------------------------------------------------
namespace ff
{
#define FF_FUNC(lib, name) inline decltype(&::name) name = nullptr;
#define FF_VAR(lib, name) inline decltype(&::name) name = nullptr;
#include "Src/FFmpegImports.inc"
}

// ---- libraries ----------------------------------------------------------------
// Ordinals are the bit numbers of TLibraries. swResample was added after the
// original eight and keeps their ordinals unchanged.
enum TLibrary : std::uint8_t
{
    avCodec,
    avDevice,
    avFilter,
    avFormat,
    avUtil,
    swScale,
    myUtil,
    lbSDL,
    swResample,
};
constexpr int LibraryCount = 9;

using TLibraries = std::uint16_t;
constexpr TLibraries LibBit(TLibrary l) { return TLibraries(1u << unsigned(l)); }
constexpr bool InLibraries(TLibraries set, TLibrary l) { return (set & LibBit(l)) != 0; }

// The sets the components load. libavcodec needs libswresample, so every set
// that holds avCodec holds swResample too.
constexpr TLibraries ConverterLibraries = LibBit(avCodec) | LibBit(avFilter) | LibBit(avFormat) |
                                          LibBit(avUtil) | LibBit(swScale) | LibBit(myUtil) |
                                          LibBit(swResample);
constexpr TLibraries ProbeLibraries = LibBit(avCodec) | LibBit(avFormat) | LibBit(avUtil) |
                                      LibBit(swScale) | LibBit(myUtil) | LibBit(swResample);
constexpr TLibraries PlayerLibraries = ConverterLibraries | LibBit(lbSDL);

// One constant entry per library.
struct TLibraryItem
{
    TLibrary Lib;
    const char* Name;   // file-name stem ("avcodec" gives libavcodec.so.NN)
    int Version;        // -1: the file name carries no version
};

// Process-wide state of one library.
struct TLibraryStatus
{
    TLibrary Lib;
    std::string Name;   // when not empty, used unchanged instead of the computed file name
    void* Handle = nullptr;
    bool Fixuped = false;
};

const TLibraryItem& LibraryItem(TLibrary lib);
// Read and write access to the status table (tests use the Name override).
TLibraryStatus& LibraryStatus(TLibrary lib);

// Raised on a programming error of the media library's callers (an empty
// library set, a second logger ...).
class EFFAssertion : public Exception
{
public:
    using Exception::Exception;
};

// Raised by the binding helpers; the loader catches it and keeps its text.
class ELoaderError : public Exception
{
public:
    using Exception::Exception;
};

// The library loader. All methods act on the process-wide tables; the one
// object that exists is GlobalLoader. Load and unload on the GUI thread only.
class TFFmpegLoader
{
public:
    TFFmpegLoader();

    bool Load(TLibrary lib);
    bool Load(TLibraries libs);
    bool Loaded(TLibrary lib) const;
    bool Loaded(TLibraries libs) const;
    void Unload(TLibrary lib);
    void Unload(TLibraries libs);

    // Folder searched first when a library's file name has no folder.
    std::string LibraryPath() const;
    void SetLibraryPath(const std::string& path);
    // Text of the last failure.
    std::string LastErrMsg() const;

    bool InstallLogger() const { return FInstallLogger; }
    void SetInstallLogger(bool v) { FInstallLogger = v; }

    // The file name to load: the status Name when set, else lib<Name>.so[.<Version>].
    static std::string GetLibraryFileName(TLibrary lib);

private:
    bool FInstallLogger = true;
};

// The single loader of the process.
TFFmpegLoader& GlobalLoader();

// Held around every codec open and close of the engine, the probe and the player.
TCriticalSection& CodecLock();

// RAII holder of CodecLock.
class TCodecLockGuard
{
public:
    TCodecLockGuard() { CodecLock().Enter(); }
    ~TCodecLockGuard() { CodecLock().Leave(); }
    TCodecLockGuard(const TCodecLockGuard&) = delete;
    TCodecLockGuard& operator=(const TCodecLockGuard&) = delete;
};

// Binding helpers: look `name` up in `handle` and return its address; a
// missing name raises ELoaderError with "Load function %s@%s error: %s"
// ("Load variable %s@%s error: %s" for data symbols).
void* BindFunction(const std::string& libName, void* handle, const char* name);
void* BindVariable(const std::string& libName, void* handle, const char* name);

// The x87 control word of the original design has no meaning on x86_64; kept
// as named no-ops for the start-up and shutdown code.
void SetFPUControlWord();
void RestoreFPUControlWord();
