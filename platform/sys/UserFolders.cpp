#include "platform/sys/UserFolders.h"

#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace sys
{
namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string Home()
{
    std::string h = Env("HOME");
    if (h.empty())
        if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) h = pw->pw_dir;
    if (h.empty()) h = "/";
    return h.size() > 1 ? ExcludeTrailingPathDelimiter(h) : h;
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under home.
std::string BaseFolder(const char* variable, const char* fallback)
{
    std::string c = Env(variable);
    if (c.empty() || c[0] != '/') c = Home() + fallback;
    return ExcludeTrailingPathDelimiter(c);
}

std::string ConfigHome()
{
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

// Value of XDG_<key>_DIR in user-dirs.dirs: a quoted path, absolute or
// starting with "$HOME/". "" when absent or malformed.
std::string UserDir(const std::string& key)
{
    std::string text;
    try
    {
        text = ReadFileToString(ConfigHome() + "/user-dirs.dirs");
    }
    catch (const EInOutError&)
    {
        return {};
    }
    std::string want = "XDG_" + key + "_DIR";
    std::size_t i = 0;
    while (i < text.size())
    {
        std::size_t j = text.find('\n', i);
        if (j == std::string::npos) j = text.size();
        std::string line = Trim(std::string_view(text).substr(i, j - i));
        i = j + 1;
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line.substr(0, eq)) != want) continue;
        std::string v = Trim(line.substr(eq + 1));
        if (v.size() < 2 || v.front() != '"' || v.back() != '"') return {};
        v = v.substr(1, v.size() - 2);
        std::string out;
        for (std::size_t k = 0; k < v.size(); ++k)
        {
            if (v[k] == '\\' && k + 1 < v.size()) { out += v[++k]; continue; }
            out += v[k];
        }
        if (out.rfind("$HOME", 0) == 0) out = Home() + out.substr(5);
        if (out.empty() || out[0] != '/') return {};
        return ExcludeTrailingPathDelimiter(out);
    }
    return {};
}

} // namespace

std::string SpecialFolder(TSpecialFolder folder)
{
    struct Entry { const char* key; const char* fallback; };
    static const Entry entries[] = {
        {nullptr, nullptr},          {"DESKTOP", "Desktop"}, {"DOCUMENTS", "Documents"},
        {"VIDEOS", "Videos"},        {"PICTURES", "Pictures"}, {"MUSIC", "Music"},
        {"DOWNLOAD", "Downloads"},   {nullptr, nullptr},     {"TEMPLATES", "Templates"},
    };
    if (folder == sfHome) return Home();
    if (folder == sfConfig) return ConfigHome();
    if (folder == sfDataHome) return BaseFolder("XDG_DATA_HOME", "/.local/share");
    const Entry& e = entries[folder];
    std::string d = UserDir(e.key);
    return d.empty() ? Home() + "/" + e.fallback : d;
}
}
