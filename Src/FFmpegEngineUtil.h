// Small helpers shared by the engine's source files.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>

namespace ffengine {

// Integer and decimal readers of option values: text that is not a number
// raises EConvertError with the class library's wording.
int StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
double StrToFloat(const std::string& s);
int StrToIntDef(const std::string& s, int def);
double StrToFloatDef(const std::string& s, double def);

std::string Trim(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);
std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Text of an FFmpeg error code, prefixed with a name ("name: text").
std::string AVErrorText(const std::string& AName, int ACode);
// "name: text" with FFmpeg's own text of any code ("No space left on device",
// "File too large", "Immediate exit requested"): failures of a file's writing.
std::string FileErrorText(const std::string& AName, int ACode);

}  // namespace ffengine
