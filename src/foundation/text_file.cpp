#include "foundation/text_file.h"

#include "platform/file_read.h"

#include <algorithm>
#include <fstream>

void gf_appendTextLines(std::string_view text, std::vector<std::string>& lines)
{
    // every line feed ends a line; what follows the last one is a line when it is not empty
    if (lines.empty()) // appending to lines already there, the vector grows by its own rule
        lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
}

bool gf_appendFileLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::string bytes;
    if (!platform::readFile(path, bytes).opened)
        return false;
    gf_appendTextLines(bytes, lines);
    return true;
}

std::vector<std::string>& TextFileReader::readLines(std::size_t reserve)
{
    lines.clear();
    lines.reserve(reserve);
    gf_appendFileLines(path, lines);
    return lines;
}

bool gf_writeTextFile(std::string_view text, const std::filesystem::path& path, bool addLineEnd)
{
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file.is_open())
        return false;
    file << text;
    if (addLineEnd)
        file << '\n';
    file.close(); // a full disk shows only when the buffered rest is written
    return !file.fail();
}
