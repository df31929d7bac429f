#pragma once
// The add-on airport scan's walk over one packages folder: every scenery BGL file that is not
// skipped and names an airport section is read by a task on the scan's worker threads, at most
// g_maxTasks at once. A linked package (a folder link directly in the packages folder) is
// followed, each real folder walked once; a folder link elsewhere, or one to a root or to a folder
// that holds the packages folder, and a folder that cannot be opened, are reported and passed
// over. A stop or quit ends the walk at the next entry and the waits for the tasks; the tasks see
// it too. Runs on the control thread.
#include <cstddef>
#include <filesystem>
#include <string_view>

// A package or file not to read: the whole path has 250 characters or more, or its part below
// the scanned packages folder (from `belowFrom` on) names a skipped package kind.
bool gf_isSkippedScanPath(std::string_view path, std::size_t belowFrom);
// Exactly ".BGL" or ".bgl".
bool gf_hasBglExtension(std::string_view extension);

// Reports "Scanning for addon airports in <folder>" and reads the folder's airports.
void gf_scanFolderForAirports(const std::filesystem::path& folder);
