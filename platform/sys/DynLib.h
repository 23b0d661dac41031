// Dynamic libraries: load by path or bare name, look up symbols, with the
// system's own error text.
#pragma once
#include <string>

namespace sys
{
using LibHandle = void*;

// Loads a shared library; nullptr on failure (see LastDynLibError).
// RTLD_NOW | RTLD_LOCAL unless global is set.
LibHandle LoadLibrary(const std::string& pathOrName, bool global = false);
// Looks up a symbol; nullptr when absent (see LastDynLibError).
void* GetProcAddress(LibHandle lib, const std::string& name);
void FreeLibrary(LibHandle lib);
// The error text of the last failed call on this thread ("" when none).
std::string LastDynLibError();
}
