#include "aircraft/livery_sections.h"

#include "aircraft/cfg_key_lines.h"
#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/scan_findings.h"
#include "foundation/install_detection.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <filesystem>

namespace {

constexpr std::size_t g_maxAtcIdLength = 12;

bool lf_isHeavy(const std::string& model) { return gf_type2sizeClass(model) == SizeClass::Heavy; }

// Trailing empty and "//" lines go; the header line always stays.
void lf_dropTrailingComments(SectionLines& section)
{
    while (section.size() > 1 && (section.back().empty() || section.back().starts_with("//")))
        section.pop_back();
}

bool lf_contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

} // namespace

std::string gf_validateModel(const std::string& code, const std::string& path)
{
    if (gf_isValidModel(code))
        return code;
    if (const auto it = g_dbase.typeFixes.find(code); it != g_dbase.typeFixes.end()) {
        gf_addCodeFix(fmt::format("Model fix: {} found in {} changed into {}", code, path, it->second));
        return it->second;
    }
    gf_addInvalidModelCode(code, path);
    return {};
}

std::string gf_getModelFromBaseContainer(const std::string& path, const std::vector<std::string>& lines)
{
    for (const auto& line : lines) {
        if (const std::string code = gf_getBaseContainerType(line); !code.empty())
            return gf_validateModel(code, path);
    }
    return {};
}

std::string gf_getModel(const std::string& path, const std::vector<std::string>& lines)
{
    for (const auto& line : lines) {
        if (const std::string code = gf_getIcaoTypeDesignator(line); !code.empty())
            return gf_validateModel(code, path);
    }
    std::string model = gf_getModelFromBaseContainer(path, lines);
    if (model.empty() && !lf_contains(path, "pmdg-aircraft-7") && !lf_contains(path, "fnx-aircraft-3"))
        gf_addInvalidCfgFile("Line icao_type_designator= is missing in [General] section of " + path);
    return model;
}

std::string gf_getIvaoModel(const std::string& path)
{
    const std::string_view folder = gf_ivaoModelFolder(path);
    if (folder.empty()) {
        gf_addInvalidModelCode("  ", path);
        return {};
    }
    return gf_validateModel(std::string(folder.substr(0, 4)), path);
}

bool gf_checkAtcId(const std::string& atcId, std::string& output)
{
    const auto pieces = gf_split(atcId, ',');
    for (const auto& piece : pieces) {
        if (piece.empty() || piece.size() > g_maxAtcIdLength || lf_contains(piece, "*"))
            return false;
    }
    output = pieces.size() == 1 ? pieces.front() : std::string();
    return true;
}

std::optional<LiveryRecord> gf_makeLiveryRecord(std::uint32_t folderNumber, const std::string& airline,
                                                const std::string& model, bool passenger, const std::string& title,
                                                const std::string& atcId)
{
    if (!g_scannedTitles.insert(title))
        return std::nullopt;
    return LiveryRecord{airline, model, title, atcId, folderNumber, !passenger};
}

std::vector<LiveryRecord> gf_procesFltSimSection(std::uint32_t folderNumber, SectionLines section,
                                                 const std::string& model, const std::string& path,
                                                 const std::string& folder)
{
    try {
        lf_dropTrailingComments(section);
        const std::string& header = section.front();
        std::string title, airline, parkingTypes, atcId;
        bool abandoned = false;
        for (const auto& line : section) {
            std::string value;
            // a. title
            if (title.empty()) {
                if (gf_getTitle(line, value)) {
                    title = gf_trim(value);
                    if (lf_contains(title, "FenixA320") || lf_contains(title, "PMDG 737") ||
                        (SUPPRESS_STUB.value.load() && title.ends_with("-STUB"))) {
                        abandoned = true;
                        break;
                    }
                    continue;
                }
            } else if (gf_getTitle(line, value)) {
                gf_addIncompleteSection(fmt::format("{} {} has more than one title key", folder, header));
                abandoned = true;
                break;
            }
            // b. airline
            if (airline.empty()) {
                if (gf_getIcaoAirline(line, value)) {
                    gf_removeSpacesInCommaList(value);
                    if (value.size() == 4 && (value.back() == 'X' || value.back() == 'C'))
                        value.resize(3);
                    if (gf_isIcaoAirline(value)) {
                        airline = value;
                        continue;
                    }
                    if (value == "RFO")
                        return {}; // dropped without any report entry
                    gf_addInvalidAirlineCode(value, path, header);
                    continue;
                }
            } else if (lf_contains(line, "icao_airline")) {
                gf_addIncompleteSection(fmt::format("{} {} has more than one icao_airline key", folder, header));
                abandoned = true;
                break;
            }
            // c. parking types
            if (parkingTypes.empty()) {
                if (gf_getAtcParkingTypes(line, value)) {
                    gf_removeSpacesInCommaList(value);
                    parkingTypes = gf_toUpper(value);
                    continue;
                }
            } else if (gf_hasAtcParkingTypesKey(line)) {
                gf_addIncompleteSection(fmt::format("{} {} has more than one atc_parking_types key", folder, header));
                abandoned = true;
                break;
            }
            // d. ATC id
            if (atcId.empty()) {
                if (gf_getAtcId(line, value)) {
                    value = value.substr(0, value.find(';'));
                    if (!gf_checkAtcId(value, atcId)) {
                        gf_addIncompleteSection(fmt::format("invalid atc_id={} in: {}", value, title));
                        atcId.clear();
                    }
                    continue;
                }
            } else if (gf_hasAtcIdKey(line)) {
                gf_addIncompleteSection(fmt::format("{}, {}, has more than one atc_id key", folder, header));
                abandoned = true;
                break;
            }
        }
        if (airline.empty())
            gf_addIncompleteSection(fmt::format("{} {} icao_airline is missing, or it has invalid info ", path, header));
        if (abandoned)
            return {};
        if (title.empty()) {
            gf_addIncompleteSection(fmt::format("{} {} misses title", folder, header));
            return {};
        }
        if (gf_isDontUseTitle(title))
            return {};
        if (airline == "ZZZ")
            atcId.clear();
        if (airline.empty()) {
            const auto record = gf_findDbaseRecord(atcId);
            if (record) {
                airline = record->airl;
            } else if (lf_isHeavy(model)) {
                if (atcId.empty())
                    gf_addIncompleteSection(fmt::format("'{}' '{}' has no airline and no regcode info", folder, header));
                else
                    gf_addIncompleteSection(
                        fmt::format("'{}' '{}' has no airline and regcode not in dbase", folder, header));
                return {};
            } else {
                airline = "PVT";
                if (atcId.empty())
                    atcId = gf_findShortRecordKey(title).value_or(std::string());
            }
        }
        const bool cargo = lf_contains(parkingTypes, "CARGO") && !lf_contains(parkingTypes, "GATE");
        auto record = gf_makeLiveryRecord(folderNumber, airline, model, !cargo, title, atcId);
        if (!record) {
            gf_addIncompleteSection(fmt::format("{} {} title '{}' already exists", folder, header, title));
            return {};
        }
        return {std::move(*record)};
    } catch (const std::exception& e) {
        gf_log(fmt::format("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), path));
        throw;
    }
}

std::optional<LiveryRecord> gf_procesIvaoFltSimSection(std::uint32_t folderNumber, SectionLines section,
                                                       const std::string& model, const std::string& path,
                                                       const std::string& folder)
{
    static const char* const g_wModels[] = {"IVAO_B738WLfa", "IVAO_B739WLfa", "IVAO_A320wCFM", "IVAO_A320wIAE",
                                            "IVAO_A319fIAEw"};
    bool wModel = false;
    for (const char* name : g_wModels)
        wModel = wModel || lf_contains(folder, name);
    lf_dropTrailingComments(section);
    const std::string& header = section.front();
    std::string title, parkingTypes, atcId, texture;
    for (const auto& line : section) {
        std::string value;
        if (title.empty()) {
            if (gf_getTitle(line, value)) {
                title = gf_trim(value);
                if (title.size() < value.size())
                    gf_log(fmt::format("removed spaces around title '{}' --> '{}'", value, title));
                continue;
            }
        } else if (gf_getTitle(line, value)) {
            gf_addIncompleteSection(folder + " " + header + " has more than one title key");
            return std::nullopt;
        }
        if (parkingTypes.empty()) {
            if (gf_getAtcParkingTypes(line, value)) {
                gf_removeSpacesInCommaList(value);
                parkingTypes = gf_toUpper(value);
                continue;
            }
        } else if (gf_hasAtcParkingTypesKey(line)) {
            gf_addIncompleteSection(folder + " " + header + " has more than one atc_parking_types key");
            return std::nullopt;
        }
        if (atcId.empty()) {
            if (gf_getAtcId(line, value)) {
                if (!gf_checkAtcId(value, atcId)) {
                    gf_addIncompleteSection(fmt::format("invalid atc_id={} in {}", value, title));
                    atcId.clear();
                }
                continue;
            }
        } else if (gf_hasAtcIdKey(line)) {
            gf_addIncompleteSection(fmt::format("{}, {}, has more than one atc_id key", folder, header));
            return std::nullopt;
        }
        if (texture.empty() && gf_getTexture(line, value))
            texture = value;
    }
    const fs::path textureFolder = gf_pathFromUtf8(folder) / gf_pathFromUtf8("texture." + texture);
    std::error_code ec;
    if (!fs::is_directory(gf_resolveIgnoringCase(textureFolder), ec)) {
        gf_addIncompleteSection(gf_pathToUtf8(textureFolder) + " " + header + " does not exist");
        return std::nullopt;
    }
    if (title.empty()) {
        gf_addIncompleteSection(folder + " " + header + " misses title");
        return std::nullopt;
    }
    if (gf_isDontUseTitle(title))
        return std::nullopt;

    std::string airline(gf_ivaoTitleAirline(title, model + (wModel ? "W" : "")));
    if (!airline.empty()) {
        if (!gf_isIcaoAirline(airline)) {
            gf_addInvalidAirlineCode(airline, path, header);
            return std::nullopt;
        }
        if (airline == "ZZZ")
            atcId.clear();
    } else if (atcId.empty()) {
        gf_addIncompleteSection(folder + " " + header + " misses airlinecode in title: " + title + ", and no regcode");
        return std::nullopt;
    } else if (const auto record = gf_findDbaseRecord(atcId)) {
        airline = record->airl;
    } else {
        gf_addIncompleteSection(folder + " " + header + " misses airlinecode in title: " + title +
                                ", and regcode unknown " + atcId);
        return std::nullopt;
    }
    auto record = gf_makeLiveryRecord(folderNumber, airline, model, true, title, atcId);
    if (!record)
        gf_addIncompleteSection(folder + " " + header + " title already exists: " + title);
    return record;
}
