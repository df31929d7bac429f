#pragma once
// Saving XML documents and lists of lines, emptying folders.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace pugi {
class xml_document;
}

// Saves with the library's default format; logs "'{}' saved" or "could not save to '{}'".
bool gf_saveXml(const pugi::xml_document& doc, const std::filesystem::path& path);

// Removes every file and empty sub-folder of a folder, one level deep; what cannot be removed (a
// sub-folder that is not empty) stays, and each failure is logged. Never throws a file-system error.
void gf_cleanFolder(const std::filesystem::path& path);

// The number of entries directly in a folder; 0 when it does not exist.
std::int32_t gf_countFolderEntries(const std::filesystem::path& path);

// Writes each entry and a line end; false when the file cannot be opened.
template <class Lines>
bool gf_writeLinesToFile(const Lines& lines, const std::filesystem::path& path)
{
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file.is_open())
        return false;
    for (const auto& line : lines)
        file << line << '\n';
    file.flush();
    return true;
}
