// Small helpers shared by the engine's source files (internal to the engine).
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/core/Utf8.h"  // Trim, LowerCase, SameText, StrToInt, Format

namespace ffengine {

// Raising readers of option values: text that is not a number raises
// EConvertError with the class library's wording (StrToInt, StrToIntDef and
// StrToFloatDef are the platform's).
int64_t StrToInt64(const std::string& s);
double StrToFloat(const std::string& s);

// FFmpeg's own text of an error code.
std::string ErrText(int ACode);
// Text of an FFmpeg error code, prefixed with a name ("name: text").
std::string AVErrorText(const std::string& AName, int ACode);
// "name: text" with FFmpeg's own text of any code ("No space left on device",
// "File too large", "Immediate exit requested"): failures of a file's writing.
std::string FileErrorText(const std::string& AName, int ACode);

}  // namespace ffengine
