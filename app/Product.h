// What the program says about itself: its title, version, web site, support
// address and help pages.
#pragma once

namespace product {

constexpr const char* kTitle = "QuorvelMTS格式转换器";
// The build's version (from the project's version).
constexpr const char* kVersion = QUORVEL_VERSION;
constexpr const char* kWebSite = "https://quorvel.example.org/";
constexpr const char* kSupportMail = "support@quorvel.example.org";
// The help pages, in the folder "help" beside the program.
constexpr const char* kHelpFolder = "help";
constexpr const char* kHelpIndex = "index.html";

}  // namespace product
