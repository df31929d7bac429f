#pragma once
// The livery tables: one store that owns every installed livery title once, and indexes of title
// views into it by airline and type, by type, and by registration. Built on the control thread
// during start-up, read by the livery matching during runs, cleared only while no run is active.
#include "aircraft/regcode_tables.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The standard string hash, usable with views as keys of lookups.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

template <class T>
using TextMap = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;

// A non-owning view of a title held in LiveryTables::liveryTitles; valid until the tables are cleared.
using TitleViews = std::vector<std::string_view>;

struct LiveryTitle {
    std::string title; // capacity shrunk to its length
    bool cargo = false;
};

inline constexpr int g_matchStepCount = 6;

// Takes over the registration-code containers (specialRegistrations, specialTitles, dontUseTitles).
struct LiveryTables : RegcodeTables {
    TextMap<TextMap<std::vector<LiveryTitle>>> liveryTitles; // airline -> type -> titles; owns them
    std::array<TextMap<TextMap<TitleViews>>, 2> airlineTypeTitles; // [0] passenger, [1] cargo
    std::array<TextMap<TitleViews>, 2> typeTitles;                 // [0] passenger, [1] cargo
    std::vector<std::string> lightLiveryTypes;
    std::vector<std::string> buzjetLiveryTypes;
    std::vector<std::string> rotorcraftLiveryTypes;
    std::array<std::atomic<std::int32_t>, g_matchStepCount> matchCounts{}; // live matches per step 1..6
    TextMap<std::vector<std::string>> installedSimilarTypes;              // gf_buildSimilarModels
    TextMap<TextMap<std::vector<std::string>>> airlineSimilarTypes;        // gf_buildSimilarModels
    std::unordered_set<std::string_view> titleIndex; // every stored title, the first of equal ones
};

extern LiveryTables g_liveryTables;
// True while the tables hold the processed liveries.
extern std::atomic<bool> g_liveriesProcessed;

// Makes these tables the registration-code containers, with gf_findLiveryTitle as the lookup.
void gf_installLiveryTables();

// Empties the category type lists, the special registrations and titles, the type and airline
// indexes and the title store; the counters, the don't-use titles and the similar types stay.
void gf_clearLiveryTables();
// The first call reserves room in the special titles and the category lists; later calls only
// install the tables.
void gf_reserveLiveryTables();
// Everything back to the start of the process, the flag and the records included (tests).
void gf_resetLiveryTables();

// The stored title equal to the text, or an empty view.
std::string_view gf_findLiveryTitle(std::string_view title);
bool gf_airlineHasType(std::string_view airline, std::string_view type);
// Every airline of the store, cut to its first three characters, in the store's order.
std::vector<std::string> gf_liveryAirlines();

// A copy of one random entry of the category list; empty for an empty list.
std::string gf_randomLightType();
std::string gf_randomBuzjetType();
std::string gf_randomRotorcraftType();

// Building steps over g_liveryRecords (sorted by airline, type and title).
void gf_buildLiveryTitles();
void gf_buildAirlineTables();
void gf_buildTypeTables();
