#include "aircraft/dbase_reader.h"

#include "aircraft/attribute_values.h"
#include "aircraft/dbase_lookup.h"
#include "foundation/decrypt.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"
#include "foundation/user_error.h"

#include <algorithm>
#include <cstdlib>
#include <fmt/format.h>
#include <pugixml.hpp>
#include <stdexcept>

namespace {

constexpr double g_metresToNm = 1.0 / 1852.0;

void lf_readSimilarTypes(const pugi::xml_document& doc)
{
    auto& groups = g_dbase.similarTypes;
    groups.reserve(64);
    for (const auto& node : doc.child("similar_types").children("similar")) {
        auto group = gf_split(node.attribute("types").as_string(), ',');
        std::sort(group.begin(), group.end());
        groups.push_back(std::move(group));
    }
    groups.shrink_to_fit();
}

void lf_readPublishers(const pugi::xml_document& doc)
{
    auto& publishers = g_dbase.publishers;
    publishers.reserve(640);
    std::vector<std::string> texts;
    for (const auto& node : doc.child("publishers").children("pub"))
        texts.emplace_back(node.attribute("names").as_string());
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    for (const auto& text : texts) {
        auto names = gf_splitAndTrim(text);
        names.shrink_to_fit();
        publishers.push_back(std::move(names));
    }
    publishers.shrink_to_fit();
    gf_log(fmt::format("   {} publishers", publishers.size()));
}

void lf_computeMeanWingspans()
{
    std::array<double, g_sizeClassCount> sums{};
    std::array<int, g_sizeClassCount> counts{};
    double allSum = 0.0;
    for (const auto& [type, half] : g_dbase.halfWingspans) {
        const auto index = static_cast<std::size_t>(gf_type2sizeClass(type));
        sums[index] += half;
        ++counts[index];
        allSum += half;
    }
    // a class without entries of its own takes the mean of all types
    const double allMean = g_dbase.halfWingspans.empty() ? 0.0 : allSum / static_cast<double>(g_dbase.halfWingspans.size());
    for (std::size_t i = 0; i < sums.size(); ++i)
        g_dbase.meanHalfWingspan[i] = counts[i] > 0 ? sums[i] / counts[i] : allMean;
}

void lf_readWingspans(const pugi::xml_document& doc)
{
    bool anyValid = false;
    for (const auto& node : doc.child("wingspans").children("wingspan")) {
        const std::string type = node.attribute("type").as_string();
        if (!gf_isValidModel(type)) {
            gf_logError(fmt::format("wingspan model {} is not valid, skipped", type));
            continue;
        }
        anyValid = true;
        const double half = std::strtod(node.attribute("meters").as_string("0"), nullptr) * 0.5 * g_metresToNm;
        g_dbase.halfWingspans.try_emplace(type, half);
        g_dbase.maxHalfWingspan = std::max(g_dbase.maxHalfWingspan, half);
    }
    if (anyValid)
        lf_computeMeanWingspans();
}

void lf_readFixes(const pugi::xml_document& doc)
{
    for (const auto& node : doc.child("fixes").children("fx")) {
        const std::string wrong = node.attribute("wro").as_string();
        const std::string correct = node.attribute("cor").as_string();
        if (gf_isValidModel(correct)) {
            if (!g_dbase.typeFixes.try_emplace(wrong, correct).second)
                gf_logError(fmt::format("wrong part of fix: '{}', already exists, skipped", wrong));
        } else {
            gf_logError(fmt::format("wrong fix {} -> {}, the latter is not valid", wrong, correct));
        }
    }
}

void lf_readRecords(const pugi::xml_document& doc)
{
    auto& records = g_dbase.records;
    records.clear();
    for (const auto& node : doc.child("dbase").children("db")) {
        const std::string reg = node.attribute("reg").as_string();
        DbaseRecord record{node.attribute("airl").as_string(), node.attribute("type").as_string(),
                           node.attribute("opr").as_string(), gf_isTrueText(node.attribute("cargo").as_string())};
        if (!records.try_emplace(reg, std::move(record)).second)
            gf_logError(fmt::format("regcode {} already exists", reg));
    }
    auto& shortKeys = g_dbase.shortRecordKeys;
    shortKeys.clear();
    for (const auto& entry : records) {
        if (entry.first.size() <= 5)
            shortKeys.push_back(entry.first);
    }
    std::sort(shortKeys.begin(), shortKeys.end());
    gf_log(fmt::format("{} dbase records read", records.size()));
}

} // namespace

void gf_readXmlListSection(const pugi::xml_document& doc, const char* section, NameSet& target, const char* entry,
                           const char* attribute)
{
    for (const auto& node : doc.child(section).children(entry)) {
        for (auto& piece : gf_split(node.attribute(attribute).as_string(), ','))
            target.insert(std::move(piece));
    }
    if (target.empty())
        throw brv::UserErrorException(
            61, fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.", section, entry, attribute));
}

void gf_readTypeSection(const pugi::xml_document& doc, const char* section, NameSet& target, const char* entry)
{
    NameSet types;
    gf_readXmlListSection(doc, section, types, entry, "types");
    target = std::move(types);
}

void gf_readAirlineSection(const pugi::xml_document& doc, const char* section, NameSet& target)
{
    gf_readXmlListSection(doc, section, target, "ICAO", "codes");
}

void gf_readThirdParties(const pugi::xml_document& doc, const char* section, std::vector<ThirdPartyAirports>& target,
                         const char* entry)
{
    for (const auto& node : doc.child(section).children(entry))
        target.push_back({node.attribute("pub").as_string(), gf_split(node.attribute("arpts").as_string(), ',')});
}

namespace {

void lf_readPlainDbase()
{
    pugi::xml_document doc;
    const auto result = doc.load_file(g_dbaseXmlPath.c_str());
    if (!result)
        throw brv::UserErrorException(
            60, fmt::format("'{}' not read because of {}", g_dbaseXmlPath.string(), result.description()));

    gf_readTypeSection(doc, "aircrafts", g_dbase.aircraftTypes, "aircraft");
    gf_readTypeSection(doc, "high_performance", g_dbase.highPerformanceTypes, "hpf");
    gf_readTypeSection(doc, "heavy", g_dbase.heavyTypes, "hvy");
    gf_readTypeSection(doc, "large", g_dbase.largeTypes, "lar");
    gf_readTypeSection(doc, "buzjet", g_dbase.buzjetTypes, "bzj");
    gf_readTypeSection(doc, "rotorcraft", g_dbase.rotorcraftTypes, "rot");
    gf_readTypeSection(doc, "cargo_types", g_dbase.cargoTypes, "cargo_type");
    lf_readSimilarTypes(doc);
    gf_readAirlineSection(doc, "ICAO_airlines", g_dbase.icaoAirlines);
    gf_readAirlineSection(doc, "cargo_operators", g_dbase.cargoOperators);
    lf_readPublishers(doc);
    lf_readWingspans(doc);
    lf_readFixes(doc);
    gf_readXmlListSection(doc, "simaddons20", g_dbase.simAddonAirports, "simaddon20", "arpts");
    g_dbase.thirdParties2020.reserve(600);
    gf_readThirdParties(doc, "thirdparties20", g_dbase.thirdParties2020, "thirdpartie20");
    g_dbase.thirdParties2024.reserve(300);
    gf_readThirdParties(doc, "thirdparties24", g_dbase.thirdParties2024, "thirdpartie24");
    lf_readRecords(doc);
}

} // namespace

bool gf_readDbase()
{
    if (!fs::exists(g_dbaseEncPath))
        throw std::runtime_error(fmt::format("{} not available", g_dbaseEncPath.string()));
    // the plain copy is removed however the load ends
    if (!gf_readDecrypted(g_dbaseEncPath, g_dbaseXmlPath, lf_readPlainDbase))
        throw std::runtime_error(fmt::format("{} stream decrypt failed", g_dbaseEncPath.string()));
    return true;
}
