#include "aircraft/regcode_tables.h"

namespace {

RegcodeTables g_ownTables;
RegcodeTables* g_tables = &g_ownTables;
FindLiveryTitleHook g_findLiveryTitle;

} // namespace

void gf_installRegcodeTables(RegcodeTables& tables, FindLiveryTitleHook findLiveryTitle)
{
    g_tables = &tables;
    g_findLiveryTitle = std::move(findLiveryTitle);
}

void gf_resetRegcodeTables()
{
    g_ownTables = RegcodeTables{};
    g_tables = &g_ownTables;
    g_findLiveryTitle = nullptr;
}

RegcodeTables& gf_regcodeTables() { return *g_tables; }

std::string_view gf_findInstalledTitle(std::string_view title)
{
    return g_findLiveryTitle ? g_findLiveryTitle(title) : std::string_view{};
}
