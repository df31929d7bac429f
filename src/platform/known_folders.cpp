#include "platform/known_folders.h"

#include "platform/utf_codec.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

std::optional<std::string> lf_env(const char* name)
{
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0' || *v != '/')
        return std::nullopt; // XDG folders must be absolute
    return std::string(v);
}

std::optional<std::string> lf_folder(const char* xdgName, std::string_view homeSuffix)
{
    if (auto xdg = lf_env(xdgName))
        return xdg;
    if (auto home = lf_env("HOME"))
        return *home + std::string(homeSuffix);
    return std::nullopt;
}

} // namespace

std::optional<std::u16string> knownFolder(int csidl)
{
    std::optional<std::string> folder;
    if (csidl == CSIDL_APPDATA)
        folder = lf_folder("XDG_CONFIG_HOME", "/.config");
    else if (csidl == CSIDL_LOCAL_APPDATA)
        folder = lf_folder("XDG_DATA_HOME", "/.local/share");
    if (!folder)
        return std::nullopt;
    std::u16string wide;
    if (win32::utf8ToUtf16(*folder, wide) != 0)
        return std::nullopt;
    return wide;
}

} // namespace platform
