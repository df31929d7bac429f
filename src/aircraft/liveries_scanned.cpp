#include "aircraft/liveries_scanned.h"

#include "aircraft/attribute_values.h"
#include "aircraft/livery_records.h"
#include "foundation/file_utils.h"
#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <string>
#include <system_error>

namespace {

constexpr const char* g_livElement = "liv";

// The meta values are read as author, date, version, stopping at the first that is missing;
// they say who wrote the file, and a file of another version is read all the same.
void lf_readMeta(const pugi::xml_document& doc)
{
    if (gf_readMetaInfo(doc, g_metaAuthor) && gf_readMetaInfo(doc, g_metaDate))
        gf_readMetaInfo(doc, g_metaVersion);
}

std::string lf_requiredAttribute(const pugi::xml_node& element, const char* name)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        throw brv::UserErrorException(999, fmt::format("Missing required attribute '{}' in <{}>", name, g_livElement));
    return attribute.value();
}

void lf_readRecords(const std::string& path)
{
    pugi::xml_document doc;
    if (!doc.load_file(g_liveriesScannedPath.c_str()))
        throw brv::UserErrorException(51, fmt::format("File {} not found", path));
    lf_readMeta(doc);
    const pugi::xml_node liveries = doc.child("liveries");
    if (!liveries)
        throw brv::UserErrorException(52, fmt::format("{} does not contain a <liveries> section", path));
    for (const pugi::xml_node liv : liveries.children(g_livElement)) {
        LiveryRecord record;
        record.airl = lf_requiredAttribute(liv, "airl");
        record.type = lf_requiredAttribute(liv, "type");
        record.title = lf_requiredAttribute(liv, "title");
        record.atcid = liv.attribute("atcid").value();
        record.cargo = gf_isTrueText(liv.attribute("cargo").value());
        g_liveryRecords.push_back(std::move(record));
    }
    if (g_liveryRecords.empty())
        throw brv::UserErrorException(533, path + " does not contain liveries");
}

} // namespace

bool gf_writeLiveriesScanned()
{
    if (g_liveryRecords.empty())
        return true;
    pugi::xml_document doc;
    gf_writeMetaInfo(doc);
    pugi::xml_node liveries = doc.append_child("liveries");
    for (const auto& record : g_liveryRecords) {
        pugi::xml_node liv = liveries.append_child(g_livElement);
        liv.append_attribute("airl").set_value(record.airl.c_str());
        liv.append_attribute("type").set_value(record.type.c_str());
        if (record.cargo)
            liv.append_attribute("cargo").set_value("true");
        liv.append_attribute("title").set_value(record.title.c_str());
        if (!record.atcid.empty())
            liv.append_attribute("atcid").set_value(record.atcid.c_str());
    }
    std::error_code ec;
    std::filesystem::create_directories(g_liveriesScannedPath.parent_path(), ec);
    const bool saved = gf_saveXml(doc, g_liveriesScannedPath);
    gf_log(fmt::format("{} liveries in {}", g_liveryRecords.size(), g_liveriesScannedPath.string()));
    return saved;
}

void gf_readLiveriesScanned()
{
    g_liveryRecords.clear();
    const std::string path = g_liveriesScannedPath.string();
    try {
        lf_readRecords(path);
    } catch (...) {
        // half a file is no scan result
        g_liveryRecords.clear();
        throw;
    }
    gf_sortLiveryRecords(g_liveryRecords);
    gf_log(fmt::format("{} liveries read from {}", g_liveryRecords.size(), path));
}
