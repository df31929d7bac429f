#pragma once
// The encoding of a text file, found from its first bytes, and the line reader that turns any
// of them into UTF-8 lines (8-bit files pass as they are).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

enum class Charset : int {
    ANSI = 0,
    Unicode = 1,            // UTF-16 little-endian, FF FE
    Unicode_big_endian = 2, // UTF-16 big-endian, FE FF
    UTF8_with_BOM = 3,
    UTF8_without_BOM = 4,
    none_found = 5,         // cannot be opened or read, or fewer than 2 bytes
};

// The name of a charset; std::out_of_range for a value outside the list.
std::string_view gf_charsetName(Charset charset);

Charset gf_detectCharset(const std::filesystem::path& path);
// The charset of a text from its first bytes (the probe of gf_detectCharset).
Charset gf_charsetOfBytes(std::string_view bytes);

// Appends the file's lines as UTF-8. 1 when the file was read, 0 when it could not be opened
// or a UTF-16 line could not be converted; raises std::runtime_error for none_found.
int gf_readTextFileLines(Charset charset, const std::filesystem::path& path, std::vector<std::string>& lines);

// The probe and the reading on one read of the file: its charset as gf_detectCharset finds it
// (an open failure logged the same way, unless `quietWhenMissing` and nothing is at the path)
// and, unless none_found, its lines appended as gf_readTextFileLines gives them, with that
// function's result in `read` (0 for none_found).
Charset gf_readTextFile(const std::filesystem::path& path, std::vector<std::string>& lines, int& read,
                        bool quietWhenMissing = false);

// Decodes UTF-16 bytes (after the byte-order mark) into UTF-8 lines. A unit sequence that is
// not UTF-16 (an unpaired surrogate) ends the text like an end of file.
void gf_readUtf16FileLines(std::string_view bytes, bool bigEndian, std::vector<std::string>& lines);
