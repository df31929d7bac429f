#pragma once
// Plain text files: lines as they stand (one trailing '\r' of Windows line ends removed).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Appends every line of the file; false when it cannot be opened.
bool gf_appendFileLines(const std::filesystem::path& path, std::vector<std::string>& lines);
// Appends the lines of a text held in memory, cut as gf_appendFileLines cuts a file's.
void gf_appendTextLines(std::string_view text, std::vector<std::string>& lines);

struct TextFileReader {
    std::filesystem::path path;
    std::vector<std::string> lines;

    // Clears and fills `lines`, with room reserved for `reserve` lines; empty when the file
    // cannot be opened.
    std::vector<std::string>& readLines(std::size_t reserve);
};

// Writes the text (and a line end when asked) over the file; false when it cannot be opened.
bool gf_writeTextFile(std::string_view text, const std::filesystem::path& path, bool addLineEnd);
