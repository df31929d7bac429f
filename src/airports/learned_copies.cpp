#include "airports/learned_copies.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

// EDDF.xml as EDDF.3.xml
fs::path lf_copyPath(const fs::path& path, int number)
{
    fs::path copy = path.parent_path() / path.stem();
    copy += fmt::format(".{}", number);
    copy += path.extension();
    return copy;
}

// A name taken by anything, a link (dangling or not) or a folder too, is not free.
std::optional<int> lf_firstFree(const fs::path& path)
{
    for (int number = 0; number < g_learnedCopies; ++number)
        if (!fs::exists(fs::symlink_status(lf_copyPath(path, number))))
            return number;
    return std::nullopt;
}

bool lf_sameBytes(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    const std::uintmax_t sizeA = fs::file_size(a, ec);
    if (ec)
        return false;
    if (const std::uintmax_t sizeB = fs::file_size(b, ec); ec || sizeA != sizeB)
        return false;
    std::ifstream fileA(a, std::ios::binary);
    std::ifstream fileB(b, std::ios::binary);
    std::vector<char> bufferA(std::size_t{1} << 16);
    std::vector<char> bufferB(bufferA.size());
    while (fileA && fileB) {
        fileA.read(bufferA.data(), static_cast<std::streamsize>(bufferA.size()));
        fileB.read(bufferB.data(), static_cast<std::streamsize>(bufferB.size()));
        if (fileA.gcount() != fileB.gcount() ||
            !std::equal(bufferA.data(), bufferA.data() + fileA.gcount(), bufferB.data()))
            return false;
    }
    return fileA.eof() && fileB.eof();
}

} // namespace

LearnedCopy gf_keepLearnedCopy(const fs::path& path)
{
    // a version kept once is not kept again, however many copies were made since; only a file of
    // its own counts as a copy, never a link (to the learned file itself, say)
    for (int number = 0; number < g_learnedCopies; ++number)
        if (const fs::path copy = lf_copyPath(path, number);
            fs::is_regular_file(fs::symlink_status(copy)) && lf_sameBytes(path, copy))
            return {LearnedCopy::Outcome::alreadyKept, number};
    const std::optional<int> number = lf_firstFree(path);
    if (!number)
        return {};
    fs::copy_file(path, lf_copyPath(path, *number), fs::copy_options::none); // throws rather than overwrite
    return {LearnedCopy::Outcome::made, *number};
}

LearnedCopy gf_moveLearnedAside(const fs::path& path)
{
    const std::optional<int> number = lf_firstFree(path);
    if (!number)
        return {};
    fs::rename(path, lf_copyPath(path, *number));
    return {LearnedCopy::Outcome::made, *number};
}
