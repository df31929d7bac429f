#include "aircraft/livery_tables.h"

#include "aircraft/livery_records.h"
#include "foundation/random.h"

#include <algorithm>

LiveryTables g_liveryTables;
std::atomic<bool> g_liveriesProcessed{false};

namespace {

std::string lf_randomEntry(const std::vector<std::string>& list)
{
    if (list.empty())
        return {};
    if (list.size() == 1)
        return list.front();
    const std::uint32_t draw = gf_randomGenerator()();
    return list[draw % list.size()];
}

TitleViews lf_shrunkCopy(const TitleViews& views) { return TitleViews(views.begin(), views.end()); }

struct TypeEntry {
    std::string_view type;
    std::string_view title;
    bool cargo = false;
};

} // namespace

void gf_installLiveryTables() { gf_installRegcodeTables(g_liveryTables, gf_findLiveryTitle); }

void gf_clearLiveryTables()
{
    auto& t = g_liveryTables;
    t.lightLiveryTypes.clear();
    t.buzjetLiveryTypes.clear();
    t.rotorcraftLiveryTypes.clear();
    t.specialTitles.clear();
    t.specialRegistrations.clear();
    for (auto& table : t.typeTitles)
        table.clear();
    for (auto& table : t.airlineTypeTitles)
        table.clear();
    t.titleIndex.clear();
    t.liveryTitles.clear();
}

void gf_reserveLiveryTables()
{
    static std::atomic<bool> reserved{false};
    if (!reserved.exchange(true)) {
        g_liveryTables.specialTitles.reserve(4096);
        g_liveryTables.lightLiveryTypes.reserve(64);
        g_liveryTables.buzjetLiveryTypes.reserve(128);
        g_liveryTables.rotorcraftLiveryTypes.reserve(32);
    }
    gf_installLiveryTables();
}

void gf_resetLiveryTables()
{
    gf_clearLiveryTables();
    g_liveryTables.dontUseTitles.clear();
    g_liveryTables.installedSimilarTypes.clear();
    g_liveryTables.airlineSimilarTypes.clear();
    for (auto& count : g_liveryTables.matchCounts)
        count = 0;
    g_liveriesProcessed = false;
    g_liveryRecords.clear();
}

std::string_view gf_findLiveryTitle(std::string_view title)
{
    const auto it = g_liveryTables.titleIndex.find(title);
    return it == g_liveryTables.titleIndex.end() ? std::string_view{} : *it;
}

bool gf_airlineHasType(std::string_view airline, std::string_view type)
{
    const auto it = g_liveryTables.liveryTitles.find(airline);
    return it != g_liveryTables.liveryTitles.end() && it->second.contains(type);
}

std::vector<std::string> gf_liveryAirlines()
{
    std::vector<std::string> airlines;
    airlines.reserve(g_liveryTables.liveryTitles.size());
    for (const auto& [airline, types] : g_liveryTables.liveryTitles)
        airlines.push_back(airline.substr(0, 3));
    return airlines;
}

std::string gf_randomLightType() { return lf_randomEntry(g_liveryTables.lightLiveryTypes); }
std::string gf_randomBuzjetType() { return lf_randomEntry(g_liveryTables.buzjetLiveryTypes); }
std::string gf_randomRotorcraftType() { return lf_randomEntry(g_liveryTables.rotorcraftLiveryTypes); }

void gf_buildLiveryTitles()
{
    auto& store = g_liveryTables.liveryTitles;
    // The records come sorted, so each airline and each type under it is one run; appending keeps
    // every title even when they do not.
    for (const auto& record : g_liveryRecords) {
        auto& titles = store[record.airl][record.type];
        titles.push_back({record.title, record.cargo});
        titles.back().title.shrink_to_fit();
    }
    // The index of every title, made once the store no longer moves its strings.
    auto& index = g_liveryTables.titleIndex;
    index.reserve(g_liveryRecords.size());
    for (const auto& [airline, types] : store) {
        for (const auto& [type, titles] : types) {
            for (const auto& title : titles)
                index.insert(std::string_view(title.title));
        }
    }
}

void gf_buildAirlineTables()
{
    auto& [paxTable, cargoTable] = g_liveryTables.airlineTypeTitles;
    for (const auto& [airline, types] : g_liveryTables.liveryTitles) {
        TextMap<TitleViews> paxTypes;
        TextMap<TitleViews> cargoTypes;
        for (const auto& [type, titles] : types) {
            TitleViews pax;
            TitleViews cargo;
            for (const auto& title : titles)
                (title.cargo ? cargo : pax).emplace_back(title.title);
            pax.shrink_to_fit();
            cargo.shrink_to_fit();
            if (!pax.empty())
                paxTypes.emplace(type, std::move(pax));
            if (!cargo.empty())
                cargoTypes.emplace(type, std::move(cargo));
        }
        if (!cargoTypes.empty())
            cargoTable.emplace(airline, std::move(cargoTypes));
        if (!paxTypes.empty())
            paxTable.emplace(airline, std::move(paxTypes));
    }
}

void gf_buildTypeTables()
{
    std::vector<TypeEntry> entries;
    for (const auto& [airline, types] : g_liveryTables.liveryTitles) {
        for (const auto& [type, titles] : types) {
            for (const auto& title : titles)
                entries.push_back({type, title.title, title.cargo});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TypeEntry& a, const TypeEntry& b) { return a.type < b.type; });

    auto& paxTable = g_liveryTables.typeTitles[0];
    auto& cargoTable = g_liveryTables.typeTitles[1];
    TitleViews pax;
    TitleViews cargo;
    pax.reserve(15000);
    cargo.reserve(15000);
    std::string_view current;
    // Liveries without a type are filed under no type: the lists are emptied at every change.
    const auto lt_flush = [&] {
        if (!current.empty()) {
            if (!cargo.empty())
                cargoTable.emplace(std::string(current), lf_shrunkCopy(cargo));
            if (!pax.empty())
                paxTable.emplace(std::string(current), lf_shrunkCopy(pax));
        }
        pax.clear();
        cargo.clear();
    };
    for (const auto& entry : entries) {
        if (entry.type != current) {
            lt_flush();
            current = entry.type;
        }
        (entry.cargo ? cargo : pax).push_back(entry.title);
    }
    lt_flush();
}
