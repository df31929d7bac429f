#include "foundation/paths.h"

#include "foundation/log.h"
#include "foundation/program.h"
#include "foundation/utf.h"
#include "platform/known_folders.h"

fs::path g_dataFolder = fs::path(g_shortDisplayName);
std::string g_parametersPath = (fs::path(g_shortDisplayName) / g_parametersFileName).string();

void gf_initDataPaths()
{
    g_dataFolder = gf_getAppDataPath() / g_shortDisplayName;
    g_parametersPath = gf_pathToUtf8(g_dataFolder / g_parametersFileName);
}

std::optional<fs::path> gf_knownFolderPath(int csidl)
{
    const auto folder = platform::knownFolder(csidl);
    if (!folder)
        return std::nullopt;
    return gf_pathFromUtf8(gf_utf16ToUtf8(*folder));
}

fs::path gf_getAppDataPath()
{
    if (auto p = gf_knownFolderPath(platform::CSIDL_APPDATA))
        return *p;
    gf_logError("Could not find the AppData path");
    return {};
}

fs::path gf_getLocalAppDataPath()
{
    if (auto p = gf_knownFolderPath(platform::CSIDL_LOCAL_APPDATA))
        return *p;
    gf_logError("Could not find the a Local Appdata path");
    return {};
}

fs::path gf_pathFromUtf8(const std::string& text) { return fs::path(text); }

std::string gf_pathToUtf8(const fs::path& path) { return path.string(); }
