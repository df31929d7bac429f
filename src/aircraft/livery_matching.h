#pragma once
// Choosing the installed livery of an aircraft: a ladder of ever looser steps (special
// registration, airline and type, similar type, generic "ZZZ" livery, type only, alternative
// type) as far down as MATCHING_DEPTH allows. Runs on the control thread; random choices use the
// thread's own generator.
#include "aircraft/livery_match_ac.h"
#include "aircraft/livery_tables.h"

#include <string_view>

inline constexpr std::string_view g_genericAirline = "ZZZ";
inline constexpr std::string_view g_privateAirline = "PVT";

// Live aircraft: the title is left empty when nothing matches; successes are counted per step.
void gf_matchLiveryLiveAc(LiveryMatchAc& ac);
// Parked aircraft on a stand: true when the aircraft leaves with a title. The stand's cargo flag
// replaces the aircraft's; nothing is counted.
bool gf_matchLiveryStaticAc(LiveryMatchAc& ac, bool cargoStand, std::string_view standName);

// The searches of the ladder; each returns whether the aircraft has a title afterwards.
bool gf_findSpecialRegistrationLivery(LiveryMatchAc& ac);
// table 0 passenger, 1 cargo; std::out_of_range for any other.
bool gf_pickFromAirlineTable(LiveryMatchAc& ac, std::string_view airline, std::string_view type, int table);
// Cargo table first for a cargo aircraft, then passenger; a passenger aircraft never gets cargo.
bool gf_findAirlineTypeLivery(LiveryMatchAc& ac, std::string_view airline, std::string_view type);
// The type table of the aircraft's kind only.
bool gf_pickTypeLivery(LiveryMatchAc& ac, std::string_view type);
// Up to five draws avoiding special titles, then any non-special one; nothing for no candidates.
void gf_pickRandomTitle(LiveryMatchAc& ac, const TitleViews& candidates);
bool gf_matchSimilarType(LiveryMatchAc& ac, std::string_view airline, std::string_view type);
// Steps 4 to 6; writes the step into `step` when it sets a title.
void gf_matchLiveryFallback(LiveryMatchAc& ac, int& step);
// Counts and logs a live success, unless the simulator refused the title (then it is cleared).
// std::out_of_range for a step outside 1..6.
void gf_recordMatchStep(LiveryMatchAc& ac, int step);
