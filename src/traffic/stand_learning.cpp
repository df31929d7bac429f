#include "traffic/stand_learning.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/option_table.h"
#include "traffic/run_flags.h"
#include "traffic/stand_search.h"

#include <algorithm>
#include <utility>
#include <vector>

AddStandOption g_addStandOption;

namespace {

// {hex id, half hour}: when an aircraft last taught a stand.
std::vector<std::pair<std::uint32_t, std::uint32_t>> g_parkedIds;

auto lf_parkedId(std::uint32_t hexid)
{
    return std::find_if(g_parkedIds.begin(), g_parkedIds.end(), [hexid](const auto& e) { return e.first == hexid; });
}

void lf_noteParkedId(std::uint32_t hexid, std::uint32_t halfHour)
{
    if (const auto it = lf_parkedId(hexid); it != g_parkedIds.end())
        it->second = halfHour;
    else
        g_parkedIds.emplace_back(hexid, halfHour);
}

bool lf_registrationBookedNow(WeekPoint now, const LiveAc& ac)
{
    return std::any_of(g_parkStands.begin(), g_parkStands.end(), [&](const Stand& stand) {
        return std::any_of(stand.options.begin(), stand.options.end(),
                           [&](const StandOption& o) { return gf_optionMatchesRegAtTime(now, ac.registration, o); });
    });
}

} // namespace

bool gf_learnStand(StandLearning kind, std::uint32_t standId, LiveAc& ac, WeekPoint now, bool fillGaps)
{
    if (!g_addStandOption || !g_addStandOption(kind, standId, ac, now, fillGaps))
        return false;
    lf_noteParkedId(ac.hexid, now.slot);
    return true;
}

void learnStandAfterLanding(LiveAc& ac, bool notFlying)
{
    if (!LEARN_SOFT.value || !g_learnSoftAllowed || ac.standId != 0 ||
        !gf_nearParkAirport(LatLon{ac.position[POS_LAT], ac.position[POS_LON]}) ||
        (!notFlying && !(ac.heightAboveGround < 2500.0)))
        return;
    const std::uint64_t packed = g_timeSlot;
    const WeekPoint now = gf_unpackWeekPoint(packed);
    for (const Stand& stand : g_parkStands) {
        const auto stay = stand.softStays.find(ac.hexid);
        if (stay != stand.softStays.end() && stay->second.weekPoint != packed) {
            gf_learnStand(StandLearning::soft, stand.id, ac, now, !notFlying);
            return;
        }
    }
    if (const auto it = lf_parkedId(ac.hexid); it != g_parkedIds.end()) {
        if ((now.slot + 48 - it->second % 48) % 48 < 3)
            return;
        it->second = now.slot;
    } else {
        g_parkedIds.emplace_back(ac.hexid, now.slot);
    }
    if (lf_registrationBookedNow(now, ac))
        return;
    const Stand* stand = chooseStand(now, ac, true);
    if (stand != nullptr && !gf_learnStand(StandLearning::soft, stand->id, ac, now, !notFlying))
        std::erase_if(g_parkedIds, [&](const auto& e) { return e.first == ac.hexid; });
}

void gf_clearParkedIds() { g_parkedIds.clear(); }
