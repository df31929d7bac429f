#include "foundation/text_file.h"

#include <fstream>

bool gf_appendFileLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::ifstream file(path);
    if (!file.is_open())
        return false;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
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
