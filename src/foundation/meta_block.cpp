#include "foundation/meta_block.h"

#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/utc_time.h"

#include <array>
#include <fmt/format.h>
#include <string>
#include <utility>

SharedText g_simFamily{"MSFS"};

void gf_updateSimFamily() { g_simFamily = g_msfs2020Mode ? "MSFS" : "MSFS2024"; }

bool gf_writeMetaInfo(pugi::xml_node parent)
{
    if (parent.type() != pugi::node_document && parent.type() != pugi::node_element)
        return false;
    pugi::xml_node meta = parent.append_child("meta");
    if (!meta)
        return false;
    const std::array<std::pair<std::string, std::string>, 5> entries{{
        {g_metaAuthor.name, std::string(g_shortDisplayName)},
        {g_metaVersion.name, g_programVersion.toString()},
        {g_metaDate.name, gf_dateText()},
        {g_metaCopyright.name, g_metaCopyright.defaultValue},
        {g_metaMsfs.name, g_simFamily == "MSFS" ? "2020" : "2024"},
    }};
    for (const auto& [name, value] : entries) {
        pugi::xml_node info = meta.append_child("info");
        if (!info || !info.append_attribute("name").set_value(name.c_str()) ||
            !info.append_attribute("value").set_value(value.c_str()))
            return false;
    }
    return true;
}

bool gf_readMetaInfo(const pugi::xml_document& doc, StringParameter& record)
{
    try {
        const pugi::xpath_node selected = doc.select_node(fmt::format("/meta/info[@name='{}']", record.name).c_str());
        if (!selected) {
            record.value = std::string();
            return false;
        }
        record.value = std::string(selected.node().attribute("value").as_string());
        return true;
    } catch (const pugi::xpath_exception& e) {
        const char* description = e.result().error;
        gf_log(description != nullptr ? description : "No error");
        return false;
    }
}
