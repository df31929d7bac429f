#pragma once
// The user's own text files of the airport data (link files, my_park_airports.txt), in any
// charset a Windows editor writes, as UTF-8 lines without their line ends.
#include <filesystem>
#include <string>
#include <vector>

// Appends the lines; false when the file cannot be opened or read.
bool gf_readAnyTextLines(const std::filesystem::path& path, std::vector<std::string>& lines);
