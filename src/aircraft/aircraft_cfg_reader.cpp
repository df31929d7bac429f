#include "aircraft/aircraft_cfg_reader.h"

#include "aircraft/cfg_key_lines.h"
#include "aircraft/livery_sections.h"
#include "aircraft/scan_findings.h"
#include "foundation/charset.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <fmt/format.h>

#include <charconv>
#include <functional>
#include <system_error>

namespace {

constexpr std::uint32_t g_maxFltsimNumber = 10000;
constexpr std::size_t g_sectionReserve = 48;

// A section processor: appends what one section yields.
using SectionSink = std::function<void(SectionLines&&)>;

// `opensOther` tells whether a line that is no header starts another section.
void lf_splitSections(std::vector<std::string>& lines, bool (*opensOther)(const std::string&),
                      const SectionSink& process)
{
    SectionLines section;
    section.reserve(g_sectionReserve);
    bool open = false;
    auto lt_flush = [&] {
        process(std::move(section));
        section = SectionLines();
        section.reserve(g_sectionReserve);
    };
    for (auto& line : lines) {
        if (!gf_getFltsimNumber(line).empty()) {
            if (!section.empty())
                lt_flush();
            open = true;
            section.push_back(std::move(line));
        } else if (opensOther(line)) {
            if (open && !section.empty())
                lt_flush();
            section.clear();
            open = false;
        } else if (open) {
            section.push_back(std::move(line));
        }
    }
    if (open && !section.empty())
        process(std::move(section));
}

bool lf_opensStandardSection(const std::string& line)
{
    const auto at = line.find('[');
    return at != std::string::npos && at <= 5;
}

bool lf_opensIvaoSection(const std::string& line) { return line.find('[') != std::string::npos; }

// One read of the file for the charset and the lines; none_found leaves the lines empty.
Charset lf_readLines(const std::filesystem::path& path, std::vector<std::string>& lines, bool& read,
                     bool quietWhenMissing)
{
    int result = 0;
    const Charset charset = gf_readTextFile(path, lines, result, quietWhenMissing);
    read = result != 0;
    return charset;
}

} // namespace

bool gf_checkFltsimNumbers(const std::vector<std::string>& lines, const std::string& path)
{
    std::vector<std::int32_t> numbers;
    for (const auto& line : lines) {
        const std::string text = gf_getFltsimNumber(line);
        if (text.empty())
            continue;
        std::int32_t number = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (ec != std::errc() || end != text.data() + text.size()) {
            gf_logError(fmt::format("fltsim num {} incorrect", line));
            return false;
        }
        numbers.push_back(number);
    }
    if (numbers.empty()) {
        g_emptyCfgFiles.append(path);
        return true;
    }
    for (const std::int32_t number : numbers) {
        if (static_cast<std::uint32_t>(number) > g_maxFltsimNumber) {
            gf_addInvalidCfgFile(path + " contains a [fltsim.x] section with a number < 0 or > " + "10000");
            return false;
        }
    }
    return true;
}

LiveryRecords gf_splitFltSimSections(std::uint32_t folderNumber, std::vector<std::string> lines,
                                     const std::string& model, const std::string& path, const std::string& folder)
{
    LiveryRecords records;
    lf_splitSections(lines, lf_opensStandardSection, [&](SectionLines&& section) {
        for (auto& record : gf_procesFltSimSection(folderNumber, std::move(section), model, path, folder))
            records.push_back(std::move(record));
    });
    return records;
}

LiveryRecords gf_splitIvaoFltSimSections(std::uint32_t folderNumber, std::vector<std::string> lines,
                                         const std::string& model, const std::string& path,
                                         const std::string& folder)
{
    LiveryRecords records;
    lf_splitSections(lines, lf_opensIvaoSection, [&](SectionLines&& section) {
        auto record = gf_procesIvaoFltSimSection(folderNumber, std::move(section), model, path, folder);
        if (record && !record->airl.empty())
            records.push_back(std::move(*record));
    });
    return records;
}

LiveryRecords gf_searchLiveriesinFile(std::uint32_t folderNumber, const std::filesystem::path& path)
{
    const std::string pathText = gf_pathToUtf8(path);
    try {
        // a file that is gone, or of no charset, ends the reader quietly
        const std::string folder = gf_pathToUtf8(path.parent_path());
        std::vector<std::string> lines;
        bool read = false;
        if (lf_readLines(path, lines, read, true) == Charset::none_found || !read ||
            !gf_checkFltsimNumbers(lines, pathText))
            return {};
        const std::string model = gf_getModel(pathText, lines);
        if (model.empty())
            return {};
        return gf_splitFltSimSections(folderNumber, std::move(lines), model, pathText, folder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Exception in lf_searchLiveriesinFile {}: {}", pathText, e.what()));
        throw;
    }
}

LiveryRecords gf_searchIvaoLiveriesinFile(std::uint32_t folderNumber, const std::filesystem::path& path)
{
    const std::string pathText = gf_pathToUtf8(path);
    const std::string model = gf_getIvaoModel(pathText);
    if (model.empty())
        return {};
    const std::string folder = gf_pathToUtf8(path.parent_path());
    std::vector<std::string> lines;
    bool read = false;
    if (lf_readLines(path, lines, read, false) == Charset::none_found) {
        gf_logError(fmt::format("No character set found for {}", pathText));
        return {};
    }
    if (!read || !gf_checkFltsimNumbers(lines, pathText))
        return {};
    return gf_splitIvaoFltSimSections(folderNumber, std::move(lines), model, pathText, folder);
}
