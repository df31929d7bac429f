#pragma once
// Where the simulator keeps its installed packages (the folder holding "Community" and the
// official package folder): detection over the Store, Steam and boxed installations, and paths
// below the folder in force. File names match whatever their letter case, as on Windows.
#include "foundation/options.h"

#include <filesystem>
#include <string>
#include <string_view>

// Names that depend on the simulator in force (g_msfs2020Mode).
std::string_view gf_storeFamilyName();
std::string_view gf_steamFolderName();
std::string_view gf_officialFolderName();
// "MSFS_INSTALL_PATH" or "MSFS_2024_INSTALL_PATH".
StringParameter& gf_simPackagesOption();

// The detected packages folder, or an empty path when no candidate is valid.
std::filesystem::path gf_detectSimPackagesPath();
// roaming AppData / Steam folder name / "Packages" when it exists, else an empty path.
std::filesystem::path gf_steamPackagesPath();
// The first UserCfg.opt found, or the last candidate tried (which does not exist).
std::filesystem::path gf_findUserCfg();
// The InstalledPackagesPath of that file when it names an existing folder, else an empty path.
std::filesystem::path gf_readInstalledPackagesPath();
// Not empty, exists, and holds "Community" and the official folder of the simulator in force.
bool gf_isValidPackagesPath(const std::filesystem::path& path);
// A stored packages-folder text that names its Community folder ("...\Community", either
// separator, any letter case, at least 10 characters) without that last component; any other
// text as it is.
std::string gf_withoutCommunityFolder(const std::string& text);
// The option in force joined with a relative path; an empty path while the option is empty.
std::filesystem::path gf_simPackagesPath(const std::filesystem::path& relative);

// The existing path that differs from `path` only in the letter case of its components (the
// first in name order where several do); `path` itself when there is none.
std::filesystem::path gf_resolveIgnoringCase(const std::filesystem::path& path);
