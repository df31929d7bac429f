#include "traffic/static_plan.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "feed/live_records.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/utc_time.h"
#include "traffic/parked_counts.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <array>
#include <fmt/format.h>
#include <utility>

std::vector<StaticPlanEntry> g_staticPlan;
std::int32_t g_lastRealFit = 0;
std::int32_t g_lastSoftFit = -1;
std::vector<KeptStatic> g_keptStatics;
std::vector<ParkedLive> g_liveParked;
std::vector<StaticRemoval> g_staticRemovals;
HookSet<StaticParkingHooks> g_staticParkingHooks;

namespace {

FeedIndex g_feedIndex; // the copy taken by the last refresh
bool g_calculationPending = false; // begun on entering the park airport, not calculated yet

template <class Member, class... Args>
void lf_callHook(Member member, Args... args)
{
    const StaticParkingHooks hooks = g_staticParkingHooks.get();
    if (hooks.*member)
        (hooks.*member)(args...);
}

std::string lf_hoursText(std::int64_t slot) { return gf_float2string(static_cast<float>(slot) * 0.5f + 0.5f); }

bool lf_byAge(const StaticPlanEntry& a, const StaticPlanEntry& b) { return a.age < b.age; }

} // namespace

void gf_beginBusyModeHook() { lf_callHook(&StaticParkingHooks::beginBusyMode); }
void gf_endBusyModeHook() { lf_callHook(&StaticParkingHooks::endBusyMode); }
void gf_showSoftFitHook(bool soft) { lf_callHook(&StaticParkingHooks::showSoftFit, soft); }

WeekPoint gf_logTimeOfDay()
{
    static constexpr std::array<std::string_view, 7> names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    const std::string_view name = now.day >= 1 && now.day <= 7 ? names[now.day - 1] : "???";
    gf_log(fmt::format("\n{} (utc) It is day {} ({}), {} hours", gf_nowClockText(), now.day, name,
                       lf_hoursText(now.slot)));
    return now;
}

void gf_refreshFeedIndex() { g_feedIndex = gf_takeFeedIndex(); }

bool gf_callsignInFeed(std::string_view callsign)
{
    if (callsign.empty())
        return false;
    std::string key(callsign);
    if (g_feedIndex.callsigns.contains(key))
        return true;
    key += '_';
    return g_feedIndex.callsigns.contains(key);
}

bool gf_hexIdInFeed(std::uint32_t hexId) { return g_feedIndex.hexIds.contains(hexId); }

void gf_excludeReservedStands()
{
    const std::string reserved = g_reservedStand.get();
    if (Stand* stand = reserved.empty() ? nullptr : findStandByName(reserved))
        stand->excluded = true;
    const UserAcData user = gf_copyUserSnapshot();
    const std::string userStand = gf_getNearestStandName(LatLon{user.latitude, user.longitude});
    if (userStand.empty() || userStand == reserved)
        return;
    if (Stand* stand = findStandByName(userStand))
        stand->excluded = true;
}

void gf_fillStand(Stand& stand)
{
    stand.filled = true;
    for (const std::uint32_t id : stand.neighbours)
        if (Stand* neighbour = gf_findStandById(id))
            neighbour->blocked = true;
}

std::string gf_starredCallsign(std::string_view callsign)
{
    while (!callsign.empty() && callsign.back() == '_')
        callsign.remove_suffix(1);
    std::string starred(callsign);
    if (!starred.ends_with('*'))
        starred += '*';
    return starred;
}

std::int32_t gf_staticAge(const AcRecord& ac, WeekPoint now)
{
    return gf_halfHoursBetween(WeekPoint{ac.parkedSlot.first, ac.parkedSlot.second}, now);
}

void gf_queueStaticRemoval(StaticAc& ac)
{
    ac.acState = AcState::removingfromsim;
    g_staticRemovals.push_back(StaticRemoval{ac.callsign, ac.standId, ac.hexid});
}

void gf_applyStaticRemovals()
{
    for (const StaticRemoval& r : g_staticRemovals) {
        // only the aircraft queued: it was active, and its removal goes to the simulator now
        StaticAc* ac = gf_findStaticAc(r.hexid);
        if (ac == nullptr || ac->standId != r.standId || ac->acState != AcState::removingfromsim)
            continue;
        ac->acState = AcState::active;
        removeAircraftFromSim(*ac);
    }
    g_staticRemovals.clear();
}

void gf_calculateStaticParking()
{
    const WeekPoint now = gf_logTimeOfDay();
    gf_showStatus("Making changes to airport parking parameters is disabled while static parking takes place ...",
                  false);
    g_staticPlan.clear();
    g_keptStatics.clear();
    g_liveParked.clear();
    g_staticRemovals.clear();
    lf_callHook(&StaticParkingHooks::clearMeanFits);
    gf_showSoftFitHook(false);
    gf_refreshFeedIndex();
    for (Stand& stand : g_parkStands)
        stand.filled = stand.excluded = stand.blocked = false;
    gf_excludeReservedStands();
    lf_callHook(&StaticParkingHooks::updateParkTrafficControls);
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    if (MAX_PARK_SEL.value > 0 && gf_takeParkedTraffic(now))
        gf_fitParkedTraffic(now);
    if (!ptOnly) {
        const auto found = static_cast<std::int64_t>(g_staticPlan.size());
        gf_log(fmt::format("{} parking position{} from PT", found, gf_plural(found)));
        const std::int32_t wanted = gf_wantedParkedCount();
        if (std::cmp_less(g_staticPlan.size(), wanted))
            gf_fitStandOptions(now, wanted, 0);
        std::stable_sort(g_staticPlan.begin(), g_staticPlan.end(), lf_byAge);
        if (std::cmp_greater(g_staticPlan.size(), std::max(wanted, 0)))
            g_staticPlan.resize(static_cast<std::size_t>(std::max(wanted, 0)));
    }
    // a static aircraft that a newer parked aircraft replaces leaves now
    gf_applyStaticRemovals();
    if (g_staticPlan.empty()) {
        gf_log("no parking positions found");
        gf_endBusyModeHook();
        return;
    }
    const auto size = static_cast<std::int64_t>(g_staticPlan.size());
    if (ptOnly)
        gf_log(fmt::format("{} positions from RT parktraffic only\n", size));
    else
        gf_log(fmt::format("{} positions ({}% vs wanted {}%, with Max fit={} hours)\n", size,
                           gf_percentage(size, static_cast<std::int64_t>(g_parkStands.size())),
                           parking_percentage.value.load(), lf_hoursText(MAX_FIT.value)));
    std::stable_sort(g_staticPlan.begin(), g_staticPlan.end(),
                     [](const StaticPlanEntry& a, const StaticPlanEntry& b) { return lf_byAge(b, a); });
    gf_beginBusyModeHook();
}

void gf_beginStaticCalculation()
{
    gf_beginBusyModeHook();
    gf_requestParkedTraffic();
    g_calculationPending = true;
}

void gf_continueStaticParking()
{
    if (gf_locateParkedTraffic() || !g_calculationPending || gf_parkedTrafficAwaited())
        return;
    g_calculationPending = false;
    gf_calculateStaticParking();
}

bool gf_staticCalculationPending() { return g_calculationPending; }

void gf_cancelStaticCalculation()
{
    g_calculationPending = false;
    gf_forgetParkedTraffic();
}

void gf_resetStaticParking()
{
    g_staticPlan.clear();
    g_keptStatics.clear();
    g_liveParked.clear();
    g_staticRemovals.clear();
    g_lastRealFit = 0;
    g_lastSoftFit = -1;
    g_feedIndex = FeedIndex{};
    gf_cancelStaticCalculation();
    gf_setStaticSerial(0);
}
