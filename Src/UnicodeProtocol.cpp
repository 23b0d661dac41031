#include "Src/UnicodeProtocol.h"

#include <atomic>

#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

namespace
{
using IOOpenFn = int (*)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

// The libraries' own io_open, taken from the first context we hook.
std::atomic<IOOpenFn> gDefaultIOOpen{nullptr};

int UnicodeIOOpen(AVFormatContext* s, AVIOContext** pb, const char* url, int flags,
                  AVDictionary** options)
{
    const IOOpenFn next = gDefaultIOOpen.load();
    if (!next) return AVERROR(ENOSYS);
    if (url && IsUnicodeURL(url))
    {
        const std::string mapped = UnicodeURLToAVURL(url);
        return next(s, pb, mapped.c_str(), flags, options);
    }
    return next(s, pb, url, flags, options);
}
}

bool NeedsUnicodeURL(const std::string& name)
{
    const auto colon = name.find(':');
    if (colon != std::string::npos)
    {
        const std::string probe = ":" + name.substr(0, colon) + ":";
        if (std::string(UnicodePassPrefixes).find(probe) != std::string::npos) return false;
        // Any other prefix would be taken by FFmpeg for a protocol name.
        return true;
    }
    return !Utf8IsValid(name);
}

std::string FileNameToURL(const std::string& name)
{
    return NeedsUnicodeURL(name) ? EncodeUnicodeURL(name) : name;
}

std::string URLToFileName(const std::string& url)
{
    return IsUnicodeURL(url) ? DecodeUnicodeURL(url) : url;
}

bool IsUnicodeURL(const std::string& url)
{
    return url.size() >= 14 && url.compare(0, 13, UnicodeURLPrefix) == 0;
}

std::string EncodeUnicodeURL(const std::string& name) { return UnicodeURLPrefix + name; }

std::string DecodeUnicodeURL(const std::string& url)
{
    std::string s = url;
    for (int i = 0; i < 2; ++i)
    {
        const auto colon = s.find(':');
        if (colon == std::string::npos) break;
        s.erase(0, colon + 1);
    }
    return s;
}

std::string UnicodeURLToAVURL(const std::string& url)
{
    return IsUnicodeURL(url) ? "file:" + DecodeUnicodeURL(url) : url;
}

void RegisterUnicodeProtocol() {}

void InstallUnicodeIO(AVFormatContext* s)
{
    if (!s || s->io_open == UnicodeIOOpen) return;
    IOOpenFn expected = nullptr;
    gDefaultIOOpen.compare_exchange_strong(expected, s->io_open);
    // A context whose io_open someone else replaced keeps it.
    if (s->io_open != gDefaultIOOpen.load()) return;
    s->io_open = UnicodeIOOpen;
}

std::string InputFileKindError(const std::string& AFileName)
{
    const std::string url = FileNameToURL(AFileName);
    // (A name given as a "unicode:utf8:" URL is a file name all the same.)
    if (!IsUnicodeURL(url) && url == AFileName && AFileName.find(':') != std::string::npos) return "";
    const std::string name = URLToFileName(url);
    if (sys::DirectoryExists(name)) return FormatAVError(AFileName, AVERROR(EISDIR));
    if (sys::IsSpecialFile(name)) return AFileName + ": Not a regular file";
    return "";
}

int OpenInputURL(AVFormatContext** ps, const std::string& url, const AVInputFormat* fmt,
                 AVDictionary** options)
{
    if (!*ps)
    {
        *ps = ff::avformat_alloc_context();
        if (!*ps) return AVERROR(ENOMEM);
    }
    InstallUnicodeIO(*ps);
    const std::string mapped = UnicodeURLToAVURL(url);
    const int ret = ff::avformat_open_input(ps, mapped.c_str(), fmt, options);
    if (ret >= 0 && mapped != url)
    {
        // The context keeps the name it was given, so URLToFileName gives it back.
        char* own = ff::av_strdup(url.c_str());
        if (own)
        {
            ff::av_free((*ps)->url);
            (*ps)->url = own;
        }
    }
    return ret;
}

int OpenOutputIO(AVIOContext** pb, const std::string& url, int flags, const AVIOInterruptCB* intCB,
                 AVDictionary** options)
{
    const std::string mapped = UnicodeURLToAVURL(url);
    return ff::avio_open2(pb, mapped.c_str(), flags, intCB, options);
}
