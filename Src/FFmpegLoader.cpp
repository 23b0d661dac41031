#include "Src/FFmpegLoader.h"

#include <malloc.h>

#include <mutex>
#include <vector>

#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"
#include "platform/sys/DynLib.h"
#include "platform/sys/Files.h"

namespace
{
const TLibraryItem kItems[LibraryCount] = {
    {avCodec, "avcodec", LIBAVCODEC_VERSION_MAJOR},
    {avDevice, "avdevice", LIBAVDEVICE_VERSION_MAJOR},
    {avFilter, "avfilter", LIBAVFILTER_VERSION_MAJOR},
    {avFormat, "avformat", LIBAVFORMAT_VERSION_MAJOR},
    {avUtil, "avutil", LIBAVUTIL_VERSION_MAJOR},
    {swScale, "swscale", LIBSWSCALE_VERSION_MAJOR},
    {myUtil, "c", 6},
    {lbSDL, "SDL2-2.0", 0},
    {swResample, "swresample", LIBSWRESAMPLE_VERSION_MAJOR},
};

// Order in which a set is loaded: every library after the ones it needs.
const TLibrary kLoadOrder[LibraryCount] = {avUtil, swResample, swScale, avCodec, avFormat,
                                           avFilter, avDevice, myUtil, lbSDL};

std::string VersionedFile(const char* stem, int version)
{
    return "lib" + std::string(stem) + ".so." + std::to_string(version);
}

// The files of the FFmpeg family a library needs, bottom up. When a library is
// loaded from a folder, those of them that lie in the same folder are loaded
// from there first, so the dynamic linker binds the library to them and not to
// copies elsewhere on the system.
std::vector<std::string> FamilyDependencies(TLibrary lib)
{
    const std::string util = VersionedFile("avutil", LIBAVUTIL_VERSION_MAJOR);
    const std::string swr = VersionedFile("swresample", LIBSWRESAMPLE_VERSION_MAJOR);
    const std::string sws = VersionedFile("swscale", LIBSWSCALE_VERSION_MAJOR);
    const std::string pp = VersionedFile("postproc", 56);
    const std::string codec = VersionedFile("avcodec", LIBAVCODEC_VERSION_MAJOR);
    const std::string format = VersionedFile("avformat", LIBAVFORMAT_VERSION_MAJOR);
    const std::string filter = VersionedFile("avfilter", LIBAVFILTER_VERSION_MAJOR);
    switch (lib)
    {
    case swResample:
    case swScale: return {util};
    case avCodec: return {util, swr};
    case avFormat: return {util, swr, codec};
    case avFilter: return {util, swr, sws, pp, codec, format};
    case avDevice: return {util, swr, sws, pp, codec, format, filter};
    default: return {};
    }
}

TLibraryStatus gStatus[LibraryCount] = {
    {avCodec, {}, nullptr, false},  {avDevice, {}, nullptr, false}, {avFilter, {}, nullptr, false},
    {avFormat, {}, nullptr, false}, {avUtil, {}, nullptr, false},   {swScale, {}, nullptr, false},
    {myUtil, {}, nullptr, false},   {lbSDL, {}, nullptr, false},    {swResample, {}, nullptr, false},
};
// Handles of the family libraries loaded from the folder ahead of each library.
std::vector<void*> gDepHandles[LibraryCount];

// One extra handle per loaded file, never released: some system libraries that
// FFmpeg pulls in (libgomp, libpixman ...) lose memory when they are unmapped,
// so a module stays mapped for the life of the process once loaded. Unload
// still unbinds the entry points and releases the loader's own handle.
std::vector<std::pair<std::string, void*>> gPinned;

void Pin(const std::string& path)
{
    for (const auto& p : gPinned)
        if (p.first == path) return;
    if (void* h = sys::LoadLibrary(path)) gPinned.emplace_back(path, h);
}

std::mutex gTextLock;
std::string gLastErrMsg;
std::string gLibraryPath;

void SetLastErr(const std::string& s)
{
    std::lock_guard<std::mutex> g(gTextLock);
    gLastErrMsg = s;
}

std::string Format3(const char* fmt, const std::string& a, const std::string& b,
                    const std::string& c)
{
    const std::string* args[3] = {&a, &b, &c};
    int n = 0;
    std::string out;
    for (const char* p = fmt; *p; ++p)
    {
        if (p[0] == '%' && p[1] == 's' && n < 3) { out += *args[n++]; ++p; }
        else out += *p;
    }
    return out;
}

// Loads Dir + FileName when that file exists (its family dependencies from
// Dir first), else FileName through the system's standard search. The current
// directory and the environment are never changed.
void* LoadLibraryFrom(TLibrary lib, const std::string& dir, const std::string& fileName,
                      std::string& error)
{
    if (!dir.empty() && sys::FileExists(dir + fileName))
    {
        std::vector<void*> deps;
        for (const std::string& dep : FamilyDependencies(lib))
        {
            if (!sys::FileExists(dir + dep)) continue;
            void* h = sys::LoadLibrary(dir + dep);
            if (!h)
            {
                error = sys::LastDynLibError();
                for (auto it = deps.rbegin(); it != deps.rend(); ++it) sys::FreeLibrary(*it);
                return nullptr;
            }
            deps.push_back(h);
        }
        void* h = sys::LoadLibrary(dir + fileName);
        if (!h)
        {
            error = sys::LastDynLibError();
            for (auto it = deps.rbegin(); it != deps.rend(); ++it) sys::FreeLibrary(*it);
            return nullptr;
        }
        gDepHandles[lib] = std::move(deps);
        Pin(dir + fileName);
        return h;
    }
    void* h = sys::LoadLibrary(fileName);
    if (!h) error = sys::LastDynLibError();
    else Pin(fileName);
    return h;
}

// Binds every entry point of `lib`, in list order.
void Fixup(TLibrary lib, const std::string& libName, void* handle)
{
#define FF_FUNC(l, name) \
    if (lib == l) ff::name = reinterpret_cast<decltype(ff::name)>(BindFunction(libName, handle, #name));
#define FF_VAR(l, name) \
    if (lib == l) ff::name = reinterpret_cast<decltype(ff::name)>(BindVariable(libName, handle, #name));
#include "Src/FFmpegImports.inc"
}

void Unfix(TLibrary lib)
{
#define FF_FUNC(l, name) \
    if (lib == l) ff::name = nullptr;
#define FF_VAR(l, name) \
    if (lib == l) ff::name = nullptr;
#include "Src/FFmpegImports.inc"
}

void RequireSet(TLibraries libs)
{
    if ((libs & ((1u << LibraryCount) - 1)) == 0)
        throw EFFAssertion("Assertion failed: empty library set");
}
}

const TLibraryItem& LibraryItem(TLibrary lib) { return kItems[lib]; }
TLibraryStatus& LibraryStatus(TLibrary lib) { return gStatus[lib]; }

void* BindFunction(const std::string& libName, void* handle, const char* name)
{
    void* p = sys::GetProcAddress(handle, name);
    if (!p)
        throw ELoaderError(Format3("Load function %s@%s error: %s", name, libName,
                                   sys::LastDynLibError()));
    return p;
}

void* BindVariable(const std::string& libName, void* handle, const char* name)
{
    void* p = sys::GetProcAddress(handle, name);
    if (!p)
        throw ELoaderError(Format3("Load variable %s@%s error: %s", name, libName,
                                   sys::LastDynLibError()));
    return p;
}

// Probing or converting file after file allocates and frees the same few
// megabytes each time. By default glibc often hands the freed top of the heap
// straight back to the system, so the next file faults in and zeroes the same
// pages again; how often depends on the heap's layout, and probing 500 files
// took two to fifteen times as long as 500 single probes. The process keeps up
// to 64 MiB of freed heap for reuse and takes blocks up to 4 MiB from the heap
// (a probe's largest blocks), set once at start. Larger blocks keep their own
// mappings: taken from the heap as well (up to 32 MiB), they made a libx264
// conversion about 4 % slower.
TFFmpegLoader::TFFmpegLoader() : FInstallLogger(true)
{
#ifdef __GLIBC__
    ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

std::string TFFmpegLoader::GetLibraryFileName(TLibrary lib)
{
    const TLibraryStatus& st = gStatus[lib];
    if (!st.Name.empty()) return st.Name;
    const TLibraryItem& it = kItems[lib];
    std::string s = "lib" + std::string(it.Name) + ".so";
    if (it.Version >= 0) s += "." + std::to_string(it.Version);
    return s;
}

bool TFFmpegLoader::Load(TLibrary lib)
{
    TLibraryStatus& st = gStatus[lib];
    const std::string file = GetLibraryFileName(lib);
    if (!st.Handle)
    {
        std::string folder, name = file;
        const auto slash = file.rfind('/');
        if (slash != std::string::npos)
        {
            folder = file.substr(0, slash + 1);
            name = file.substr(slash + 1);
        }
        if (folder.empty())
        {
            const std::string path = LibraryPath();
            if (!path.empty()) folder = path.back() == '/' ? path : path + "/";
        }
        std::string error;
        void* h = LoadLibraryFrom(lib, folder, name, error);
        if (!h)
        {
            SetLastErr(Format3("Load library %s error: %s", folder + name, error, ""));
            return false;
        }
        st.Handle = h;
    }
    if (!st.Fixuped)
    {
        try
        {
            Fixup(lib, file, st.Handle);
            st.Fixuped = true;
        }
        catch (const std::exception& e)
        {
            SetLastErr(e.what());
        }
    }
    if (!st.Fixuped)
    {
        Unload(lib);
        return false;
    }
    if (lib == avUtil && FInstallLogger) GetFFLogger()->InstallAVLogCallback();
    if (lib == avFormat) RegisterUnicodeProtocol();
    return true;
}

bool TFFmpegLoader::Load(TLibraries libs)
{
    RequireSet(libs);
    for (TLibrary lib : kLoadOrder)
    {
        if (!InLibraries(libs, lib)) continue;
        if (!Load(lib))
        {
            const std::string err = LastErrMsg();
            Unload(libs);
            SetLastErr(err);
            return false;
        }
    }
    return true;
}

bool TFFmpegLoader::Loaded(TLibrary lib) const
{
    return gStatus[lib].Handle != nullptr && gStatus[lib].Fixuped;
}

bool TFFmpegLoader::Loaded(TLibraries libs) const
{
    RequireSet(libs);
    for (int i = 0; i < LibraryCount; ++i)
        if (InLibraries(libs, TLibrary(i)) && !Loaded(TLibrary(i))) return false;
    return true;
}

void TFFmpegLoader::Unload(TLibrary lib)
{
    TLibraryStatus& st = gStatus[lib];
    if (st.Fixuped)
    {
        Unfix(lib);
        st.Fixuped = false;
    }
    if (st.Handle)
    {
        sys::FreeLibrary(st.Handle);
        st.Handle = nullptr;
    }
    auto& deps = gDepHandles[lib];
    for (auto it = deps.rbegin(); it != deps.rend(); ++it) sys::FreeLibrary(*it);
    deps.clear();
}

void TFFmpegLoader::Unload(TLibraries libs)
{
    RequireSet(libs);
    for (int i = 0; i < LibraryCount; ++i)
        if (InLibraries(libs, TLibrary(i))) Unload(TLibrary(i));
}

std::string TFFmpegLoader::LibraryPath() const
{
    std::lock_guard<std::mutex> g(gTextLock);
    return gLibraryPath;
}

void TFFmpegLoader::SetLibraryPath(const std::string& path)
{
    std::lock_guard<std::mutex> g(gTextLock);
    gLibraryPath = path;
}

std::string TFFmpegLoader::LastErrMsg() const
{
    std::lock_guard<std::mutex> g(gTextLock);
    return gLastErrMsg;
}

TFFmpegLoader& GlobalLoader()
{
    static TFFmpegLoader loader;
    return loader;
}

TCriticalSection& CodecLock()
{
    static TCriticalSection lock;
    return lock;
}

void SetFPUControlWord() {}
void RestoreFPUControlWord() {}
