#include "platform/sys/DynLib.h"

#include <dlfcn.h>

namespace sys
{
namespace
{
thread_local std::string lastError;

void TakeError()
{
    const char* e = dlerror();
    lastError = e ? e : "unknown error";
}
}

LibHandle LoadLibrary(const std::string& pathOrName, bool global)
{
    // dlopen("") would hand back the program itself; an empty name names no library.
    if (pathOrName.empty())
    {
        lastError = "no library name given";
        return nullptr;
    }
    dlerror();
    void* h = dlopen(pathOrName.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
    if (!h) TakeError(); else lastError.clear();
    return h;
}

void* GetProcAddress(LibHandle lib, const std::string& name)
{
    if (!lib) { lastError = "invalid library handle"; return nullptr; }
    dlerror();
    void* p = dlsym(lib, name.c_str());
    if (!p) TakeError(); else lastError.clear();
    return p;
}

void FreeLibrary(LibHandle lib)
{
    if (lib) dlclose(lib);
}

std::string LastDynLibError() { return lastError; }
}
