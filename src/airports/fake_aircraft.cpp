#include "airports/fake_aircraft.h"

#include "aircraft/dbase_lookup.h"
#include "airports/stand_size.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "foundation/random.h"

#include <array>
#include <cstdint>
#include <fmt/format.h>
#include <gsl/narrow>
#include <span>
#include <string>

namespace {

struct FakePair {
    std::string_view airl;
    std::string_view type;
};

constexpr FakePair lf_heliPair{"PVT", "EC35"};
constexpr FakePair lf_anyPair{"ZZZ", "B738"};
constexpr std::array<FakePair, 5> lf_cargoPairs{
    {{"FDX", "C208"}, {"FDX", "B752"}, {"FDX", "B763"}, {"UPS", "A306"}, {"DHK", "B763"}}};
constexpr std::array<FakePair, 19> lf_gaPairs{{{"PVT", "C172"}, {"PVT", "C206"}, {"PVT", "P28A"}, {"PVT", "PC12"},
                                               {"PVT", "C550"}, {"PVT", "TBM9"}, {"PVT", "LJ25"}, {"PVT", "GLF6"},
                                               {"PVT", "FA6X"}, {"PVT", "FA8X"}, {"PVT", "GLF4"}, {"PVT", "GLF5"},
                                               {"PVT", "LJ60"}, {"PVT", "DHC7"}, {"PVT", "DH8A"}, {"PVT", "DH8C"},
                                               {"PVT", "E550"}, {"PVT", "CL30"}, {"PVT", "GA6C"}}};
constexpr std::array<FakePair, 4> lf_canadaPairs{{{"ACA", "B789"}, {"ACA", "B38M"}, {"ROU", "A321"}, {"JZA", "CRJ9"}}};
constexpr std::array<FakePair, 7> lf_europePairs{{{"KLM", "B77W"}, {"SAS", "A320"}, {"EZY", "A320"}, {"RYR", "B738"},
                                                  {"DLH", "A320"}, {"KLM", "B738"}, {"BAW", "A21N"}}};
// FFT A320 twice: twice the chance
constexpr std::array<FakePair, 10> lf_usPairs{{{"UAL", "B77W"}, {"DAL", "B739"}, {"JBU", "BCS3"}, {"FFT", "A320"},
                                               {"UAL", "B78X"}, {"UAL", "B738"}, {"AAL", "B738"}, {"SKW", "E75L"},
                                               {"SWA", "B737"}, {"FFT", "A320"}}};
constexpr std::array<FakePair, 3> lf_westPacificPairs{{{"ANA", "A20N"}, {"JAL", "A35K"}, {"JAL", "B738"}}};
constexpr std::array<FakePair, 3> lf_chinaPairs{{{"CSA", "A320"}, {"CES", "A333"}, {"CES", "A321"}}};

// The pairs of the table whose type fits the stand. A stand too large for the fit to count its
// steps (a radius from a damaged file) fits none of them.
void lf_addFittingPairs(const Stand& stand, std::vector<FakePair>& candidates, std::span<const FakePair> table)
{
    try {
        for (const FakePair& pair : table)
            if (gf_standSizeFits(stand, gf_getHalfWingspan(pair.type)))
                candidates.push_back(pair);
    } catch (const gsl::narrowing_error&) {
        candidates.clear();
    }
}

std::span<const FakePair> lf_regionPairs(char region)
{
    switch (region) {
    case 'C': return lf_canadaPairs;
    case 'E': return lf_europePairs;
    case 'K': return lf_usPairs;
    case 'R': return lf_westPacificPairs;
    case 'Z': return lf_chinaPairs;
    default: return {};
    }
}

std::vector<FakePair> lf_candidates(const Stand& stand, char region)
{
    std::vector<FakePair> candidates;
    if (stand.heli)
        candidates.push_back(lf_heliPair);
    else if (stand.cargo)
        lf_addFittingPairs(stand, candidates, lf_cargoPairs);
    else if (stand.ramp)
        lf_addFittingPairs(stand, candidates, lf_gaPairs);
    else if (const auto table = lf_regionPairs(region); !table.empty())
        lf_addFittingPairs(stand, candidates, table);
    else
        candidates.push_back(lf_anyPair);
    return candidates;
}

} // namespace

void gf_fillFakeAircraft(std::string_view code, std::vector<Stand>& stands)
{
    const std::uint64_t now = gf_slotAndWeekdayNow();
    const auto slot = static_cast<std::uint32_t>(now >> 32);
    const auto weekday = static_cast<std::uint32_t>(now);
    if (slot >= 48 || weekday < 1 || weekday > 7) {
        gf_logError("no made-up aircraft: the time cannot be broken down");
        return;
    }
    const char region = code.empty() ? '\0' : code.front();
    std::uint32_t n = 1;
    for (Stand& stand : stands) {
        const std::vector<FakePair> candidates = lf_candidates(stand, region);
        if (candidates.empty())
            continue;
        const std::size_t pick = candidates.size() == 1 ? 0 : gf_randomGenerator()() % candidates.size();
        StandOption option;
        option.airl = candidates[pick].airl;
        option.type = candidates[pick].type;
        option.reg = fmt::format("REGFAKE{}", n);
        option.cs = fmt::format("FAKE{}", n);
        option.hh.set(slot);
        option.day = static_cast<std::int32_t>(weekday);
        option.optionId = stand.options.empty() ? 1 : stand.options.back().optionId + 1;
        option.fromApf = 1;
        option.real = 0;
        option.madeUp = true;
        stand.options.push_back(std::move(option));
        ++n;
    }
}
