#include "foundation/install_detection.h"

#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/text_file.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <optional>
#include <system_error>

namespace {

const std::string g_userCfgName = "UserCfg.opt";
const std::string g_installedPackagesKey = "InstalledPackagesPath";
const std::string g_packagesName = "Packages";
const std::string g_localCacheName = "LocalCache";
const std::string g_boxedFolderName = "MSFSPackages";
const std::string g_communityName = "Community";
const std::string g_dashboardFamilyName = "Microsoft.FlightDashboard_8wekyb3d8bbwe";

char lf_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool lf_equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lf_lower(x) == lf_lower(y);
           });
}

// The entry of the folder whose name equals `name` but for letter case; the first in name order.
std::optional<fs::path> lf_findEntryIgnoringCase(const fs::path& folder, const fs::path& name)
{
    std::error_code ec;
    std::optional<fs::path> found;
    const std::string wanted = name.string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path candidate = it->path();
        if (lf_equalIgnoringCase(candidate.filename().string(), wanted) && (!found || candidate < *found))
            found = candidate;
    }
    return found;
}

bool lf_exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

// A status query that fails for another reason than a missing entry raises (operation "exists").
bool lf_existsOrThrow(const fs::path& path) { return !path.empty() && fs::exists(path); }

fs::path lf_officialFolder(const fs::path& packages) { return packages / gf_officialFolderName(); }

} // namespace

std::string_view gf_storeFamilyName()
{
    return g_msfs2020Mode ? "Microsoft.FlightSimulator_8wekyb3d8bbwe" : "Microsoft.Limitless_8wekyb3d8bbwe";
}

std::string_view gf_steamFolderName()
{
    return g_msfs2020Mode ? "Microsoft Flight Simulator" : "Microsoft Flight Simulator 2024";
}

std::string_view gf_officialFolderName() { return g_msfs2020Mode ? "Official" : "Official2024"; }

StringParameter& gf_simPackagesOption() { return g_msfs2020Mode ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH; }

fs::path gf_resolveIgnoringCase(const fs::path& path)
{
    if (path.empty() || lf_exists(path))
        return path;
    fs::path current;
    for (const fs::path& part : path) {
        const fs::path next = current / part;
        if (current.empty() || part == "." || part == ".." || lf_exists(next)) {
            current = next;
            continue;
        }
        const auto entry = lf_findEntryIgnoringCase(current, part);
        if (!entry)
            return path;
        current = *entry;
    }
    return current;
}

fs::path gf_steamPackagesPath()
{
    const fs::path roaming = gf_getAppDataPath();
    if (roaming.empty())
        return {};
    const fs::path path = gf_resolveIgnoringCase(roaming / std::string(gf_steamFolderName()) / g_packagesName);
    if (!lf_existsOrThrow(path))
        return {};
    gf_log(fmt::format("Steam packages:{}", gf_pathToUtf8(path)));
    return path;
}

fs::path gf_findUserCfg()
{
    const fs::path local = gf_getLocalAppDataPath();
    const fs::path roaming = gf_getAppDataPath();
    const std::array<std::pair<fs::path, const char*>, 4> candidates{{
        {local / g_packagesName / std::string(gf_storeFamilyName()) / g_localCacheName / g_userCfgName,
         "MSFS detection, no Store:{}"},
        {roaming / std::string(gf_steamFolderName()) / g_userCfgName, "MSFS detection, no Steam1:{}"},
        {local / g_packagesName / g_dashboardFamilyName / g_localCacheName / g_userCfgName,
         "MSFS detection, no Steam2:{}"},
        {local / g_boxedFolderName / g_userCfgName, "MSFS detection, no Boxed:{}"},
    }};
    fs::path path;
    for (const auto& [candidate, missLine] : candidates) {
        // without the known folder the candidate is relative and does not count
        path = candidate.is_absolute() ? gf_resolveIgnoringCase(candidate) : candidate;
        if (candidate.is_absolute() && lf_exists(path))
            return path;
        gf_log(fmt::format(fmt::runtime(missLine), gf_pathToUtf8(path)));
    }
    return path;
}

fs::path gf_readInstalledPackagesPath()
{
    const fs::path userCfg = gf_findUserCfg();
    if (!userCfg.is_absolute() || !lf_existsOrThrow(userCfg)) {
        gf_log("No UserCfg.opt found?");
        return {};
    }
    TextFileReader reader{userCfg, {}};
    fs::path result;
    for (const auto& line : reader.readLines(32)) {
        if (line.find(g_installedPackagesKey) == std::string::npos)
            continue;
        std::string text = gf_unquote(line);
        std::replace(text.begin(), text.end(), '\\', '/'); // written on Windows
        result = text.empty() ? fs::path() : gf_resolveIgnoringCase(gf_pathFromUtf8(text));
        if (!result.empty() && !lf_exists(result))
            result.clear();
        break;
    }
    gf_log(fmt::format("UserCfg.opt: InstalledPackagesPath={}", result.empty() ? "???" : gf_pathToUtf8(result)));
    return result;
}

bool gf_isValidPackagesPath(const fs::path& path)
{
    if (!lf_existsOrThrow(path))
        return false;
    if (!lf_exists(gf_resolveIgnoringCase(path / g_communityName)))
        return false;
    return lf_exists(gf_resolveIgnoringCase(lf_officialFolder(path)));
}

fs::path gf_detectSimPackagesPath()
{
    if (fs::path p = gf_steamPackagesPath(); gf_isValidPackagesPath(p))
        return p;
    if (fs::path p = gf_readInstalledPackagesPath(); gf_isValidPackagesPath(p))
        return p;
    return {};
}

std::string gf_withoutCommunityFolder(const std::string& text)
{
    constexpr std::size_t minimumLength = 10; // a separator and "Community"
    if (text.size() < minimumLength)
        return text;
    const std::size_t end = text.find_last_not_of("\\/");
    if (end == std::string::npos)
        return text;
    const std::size_t separator = text.find_last_of("\\/", end);
    if (separator == std::string::npos ||
        !lf_equalIgnoringCase(std::string_view(text).substr(separator + 1, end - separator), g_communityName))
        return text;
    return text.substr(0, separator);
}

fs::path gf_simPackagesPath(const fs::path& relative)
{
    const std::string folder = gf_simPackagesOption().value.get();
    if (folder.empty())
        return {};
    return gf_resolveIgnoringCase(gf_pathFromUtf8(folder) / relative);
}
