#include "aircraft/regcode_files.h"

#include "aircraft/attribute_values.h"
#include "foundation/charset.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text_file.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <fmt/format.h>
#include <pugixml.hpp>

namespace {

constexpr std::size_t g_minRegcodeLength = 3;
constexpr std::size_t g_maxRegcodeLength = 12;

std::string_view lf_liveries(std::size_t count) { return count == 1 ? "livery" : "liveries"; }

bool lf_validLength(const std::string& regcode)
{
    return regcode.size() >= g_minRegcodeLength && regcode.size() <= g_maxRegcodeLength;
}

// The lines of a user file in whatever charset it was saved (a byte-order mark is dropped,
// UTF-16 is converted). False when the file could not be read completely.
bool lf_readUserFileLines(const fs::path& path, std::vector<std::string>& lines)
{
    const Charset charset = gf_detectCharset(path);
    if (charset == Charset::none_found) {
        // too short to tell (or unreadable): take the bytes as they stand
        TextFileReader reader{path, {}};
        lines = std::move(reader.readLines(512));
        return true;
    }
    lines.reserve(512);
    return gf_readTextFileLines(charset, path, lines) == 1;
}

// One line of a user file; false when the line was rejected.
bool lf_processLine(const std::string& line, const fs::path& path, std::vector<RegcodeEntry>& entries)
{
    const auto fields = gf_split(line, ';');
    if (fields.size() == 1) {
        if (!fields[0].empty())
            entries.push_back({fields[0], {}, false});
        return true;
    }
    if (fields.size() != 2 && fields.size() != 3) {
        gf_logError(fmt::format("{}: wrong format '{}'", path.string(), line));
        return false;
    }
    auto regcodes = gf_splitCommaSortedUnique(fields[1]);
    if (regcodes.empty())
        return true;
    if (regcodes.size() == 1) {
        if (!lf_validLength(regcodes[0])) {
            gf_logError(fmt::format("wrong regcode length '{}' in {}", regcodes[0], path.string()));
            return false;
        }
        entries.push_back({fields[0], std::move(regcodes), true});
        return true;
    }
    const bool special = fields.size() == 3 && fields[2] == "#";
    bool ok = true;
    std::vector<std::string> kept;
    for (auto& regcode : regcodes) {
        if (lf_validLength(regcode)) {
            kept.push_back(std::move(regcode));
        } else {
            gf_logError(fmt::format("wrong regcode length '{}' in {}", regcode, path.string()));
            ok = false;
        }
    }
    if (kept.empty()) {
        gf_logError(fmt::format("{} ; regs empty?", path.string()));
        return false;
    }
    entries.push_back({fields[0], std::move(kept), special});
    return ok;
}

} // namespace

bool gf_readAigRegcodes(std::vector<RegcodeEntry>& entries)
{
    const fs::path& path = g_regcodesXmlPath;
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) {
        gf_logError(fmt::format("Failed to load {}", path.string()));
        return false;
    }
    bool ok = true;
    std::string previousTitle;
    for (const auto& node : doc.child("AIG-regcodes").children("livery")) {
        std::string title = node.attribute("title").as_string();
        if (title.empty())
            continue;
        if (title == previousTitle) {
            gf_logError(fmt::format("SAME AS PREVIOUS title '{}'", title));
            ok = false;
            continue;
        }
        previousTitle = title;
        entries.push_back({std::move(title), gf_splitCommaSortedUnique(node.attribute("reg").as_string()),
                           gf_isTrueText(node.attribute("special").as_string())});
    }
    gf_log(fmt::format("{} {} read from {}", entries.size(), lf_liveries(entries.size()), path.string()));
    return ok;
}

bool gf_readMyRegcodes(const fs::path& folder, std::vector<RegcodeEntry>& entries)
{
    try {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && gf_equalsUppercased(".TXT", entry.path().extension().string()))
                files.push_back(entry.path());
        }
        // name order, so that a registration given twice ends the same way on every machine
        std::sort(files.begin(), files.end());
        bool ok = true;
        for (const auto& path : files) {
            gf_log(fmt::format("Processing regcodes file '{}'", path.string()));
            std::vector<std::string> lines;
            if (!lf_readUserFileLines(path, lines))
                ok = false;
            for (const auto& line : lines) {
                if (!line.empty() && !lf_processLine(line, path, entries))
                    ok = false;
            }
        }
        gf_log(fmt::format("{} {}", entries.size(), lf_liveries(entries.size())));
        return ok;
    } catch (const std::exception& e) {
        gf_logError(fmt::format("Error reading regcode files in {}, what: {}", folder.string(), e.what()));
        return false;
    }
}
