// Shared helpers of the engine tests: library loading, log capture, temp
// folders and ffprobe queries.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "Src/FFmpeg.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "platform/sys/Startup.h"

namespace enginetest {

// The tests run the engine in a process prepared as the program prepares its own.
inline const bool kProcessPrepared = (sys::PrepareProcess(), true);

inline std::string Fixture(const std::string& name) { return std::string(QUORVEL_FIXTURES_DIR) + "/" + name; }

inline void LoadLibraries()
{
    static bool loaded = false;
    if (!loaded) {
        ASSERT_TRUE(GlobalLoader().Load(ConverterLibraries)) << GlobalLoader().LastErrMsg();
        loaded = true;
    }
}

// Collects the messages the engine logs (on the calling thread).
class LogCapture
{
public:
    LogCapture()
    {
        GetFFLogger()->SetTriggerEventInMainThread(false);
        GetFFLogger()->SetLogLevel(llDebug);
        GetFFLogger()->SetOnLog([this](TObject*, std::uint32_t, TLogLevel lvl, const std::string& msg) {
            std::lock_guard<std::mutex> g(m_);
            lines_.push_back({lvl, msg});
        });
    }
    ~LogCapture() { GetFFLogger()->SetOnLog(nullptr); }
    bool Has(TLogLevel lvl, const std::string& msg)
    {
        std::lock_guard<std::mutex> g(m_);
        for (auto& l : lines_)
            if (l.first == lvl && l.second == msg)
                return true;
        return false;
    }
    bool Contains(const std::string& part)
    {
        std::lock_guard<std::mutex> g(m_);
        for (auto& l : lines_)
            if (l.second.find(part) != std::string::npos)
                return true;
        return false;
    }
    // The last line holding the text, or "".
    std::string Find(const std::string& part)
    {
        std::lock_guard<std::mutex> g(m_);
        for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
            if (it->second.find(part) != std::string::npos)
                return it->second;
        return "";
    }
    int Count(const std::string& msg)
    {
        std::lock_guard<std::mutex> g(m_);
        int n = 0;
        for (auto& l : lines_)
            n += l.second == msg;
        return n;
    }

private:
    std::mutex m_;
    std::vector<std::pair<TLogLevel, std::string>> lines_;
};

// A fresh folder below the build tree, removed at the end.
class TempDir
{
public:
    explicit TempDir(const std::string& tag)
    {
        static int n = 0;
        path_ = std::filesystem::path(QUORVEL_BINARY_DIR) / "engine-tmp" /
                (tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / std::filesystem::u8path(name)).string(); }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline std::string Quote(const std::string& s)
{
    std::string r = "'";
    for (char c : s) {
        if (c == '\'')
            r += "'\\''";
        else
            r += c;
    }
    return r + "'";
}

// Output of a shell command (stdout), trimmed.
inline std::string Run(const std::string& cmd)
{
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    ::pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    return out;
}

// One ffprobe field, e.g. Probe(file, "v:0", "stream=codec_name").
inline std::string Probe(const std::string& file, const std::string& streams, const std::string& entries,
                         const std::string& extra = "")
{
    std::string sel = streams.empty() ? "" : " -select_streams " + streams;
    return Run("ffprobe -v error" + sel + " " + extra + " -show_entries " + entries +
               " -of default=noprint_wrappers=1:nokey=1 " + Quote(file) + " 2>/dev/null");
}

// A file's container fields and every stream's fields, read with one ffprobe
// call (Probe costs a process per question).
struct ProbedFile
{
    std::map<std::string, std::string> format;
    std::vector<std::map<std::string, std::string>> streams;   // in file order

    // The fields named (comma-separated) of the streams chosen as ffprobe's
    // -select_streams chooses them ("v:0", "a:0", "v"; "" for the container),
    // a line each: what Probe(file, select, "stream=" + fields) prints.
    std::string Get(const std::string& select, const std::string& fields) const
    {
        std::vector<const std::map<std::string, std::string>*> chosen;
        if (select.empty())
            chosen.push_back(&format);
        const std::string type = select.substr(0, 1) == "v" ? "video" : "audio";
        const int nth = select.size() > 2 ? std::atoi(select.c_str() + 2) : -1;
        int seen = 0;
        for (const auto& st : streams)
            if (!select.empty() && st.count("codec_type") && st.at("codec_type") == type && (nth < 0 || seen++ == nth))
                chosen.push_back(&st);
        std::string out;
        for (const auto* m : chosen) {
            std::size_t start = 0;
            for (std::size_t comma; start <= fields.size(); start = comma + 1) {
                comma = fields.find(',', start);
                if (comma == std::string::npos)
                    comma = fields.size();
                const auto it = m->find(fields.substr(start, comma - start));
                if (it != m->end())
                    out += (out.empty() ? "" : "\n") + it->second;
            }
        }
        return out;
    }
};

// Every field named in `entries` ("format=...:stream=...", as -show_entries
// takes them; stream fields should include codec_type) of a file.
inline ProbedFile ProbeFile(const std::string& file, const std::string& entries, const std::string& extra = "")
{
    ProbedFile p;
    // One line per section: "stream|codec_name=h264|codec_type=video", "format|format_name=avi".
    const std::string text = Run("ffprobe -v error " + extra + " -show_entries " + entries + " -of compact " +
                                 Quote(file) + " 2>/dev/null");
    std::size_t start = 0;
    for (std::size_t end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        std::map<std::string, std::string> f;
        std::size_t from = 0;
        for (std::size_t bar; from <= line.size(); from = bar + 1) {
            bar = line.find('|', from);
            if (bar == std::string::npos)
                bar = line.size();
            const std::string kv = line.substr(from, bar - from);
            const auto eq = kv.find('=');
            if (eq != std::string::npos)
                f[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        if (line.rfind("format|", 0) == 0)
            p.format = f;
        else if (line.rfind("stream|", 0) == 0)
            p.streams.push_back(f);
    }
    return p;
}

// Makes a media file with Debian's ffmpeg; returns whether it worked.
inline bool MakeMedia(const std::string& args, const std::string& out)
{
    namespace fs = std::filesystem;
    const fs::path target = fs::u8path(out);
    if (fs::exists(target))
        return true;
    // Test programs run in parallel and share the fixtures folder: write under a
    // name of this process (same extension, so ffmpeg picks the same format) and
    // rename, so no test ever sees a half-written file.
    const fs::path part = target.parent_path() / (".part-" + std::to_string(::getpid()) + "-" + target.filename().string());
    std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args + " " + Quote(part.string()) + " 2>&1";
    Run(cmd);
    std::error_code ec;
    if (fs::exists(part))
        fs::rename(part, target, ec);
    fs::remove(part, ec);
    return fs::exists(target);
}

}  // namespace enginetest
