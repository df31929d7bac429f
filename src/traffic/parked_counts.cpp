#include "traffic/parked_counts.h"

#include "airports/park_data.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/text_utils.h"
#include "traffic/ac_descriptions.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_names.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>
#include <unordered_set>
#include <vector>

std::atomic<std::int32_t> g_maxParked{0};
std::atomic<std::int32_t> g_maxParkedPercent{0};
std::atomic<float> g_meanStaticParkedHours{0.0f};
std::atomic<float> g_meanLiveParkedHours{0.0f};

namespace {

// The active parked live aircraft, the longest parked first.
std::vector<LiveAc*> lf_parkedLive()
{
    std::vector<LiveAc*> parked;
    for (LiveAc& ac : g_liveAircraft)
        if (ac.acState == AcState::active && ac.flightState == FlightState::parked)
            parked.push_back(&ac);
    std::stable_sort(parked.begin(), parked.end(),
                     [](const LiveAc* a, const LiveAc* b) { return a->arrivalTime < b->arrivalTime; });
    return parked;
}

bool lf_inSim(const StaticAc& s) { return s.acState == AcState::active || s.acState == AcState::removingfromsim; }

// Live aircraft that left to hold the maximum of parked aircraft. The feed goes on reporting
// them parked: each would come back and send another away, and that one the next.
std::unordered_set<std::uint32_t> g_keptOut;

int lf_halfHoursParked(const AcRecord& s, WeekPoint now)
{
    return gf_halfHoursBetween(WeekPoint{s.parkedSlot.first, s.parkedSlot.second}, now);
}

} // namespace

std::int32_t gf_wantedParkedCount()
{
    const std::int32_t m = MAX_PARK_SEL.value;
    if (m <= 0) {
        g_maxParked = 0;
        g_maxParkedPercent = parking_percentage.value.load();
        return 0;
    }
    const std::int32_t custom = CUSTOM_PARKING_PERCENTAGE.value;
    const std::int64_t p = custom >= 0 ? custom : parking_percentage.value.load();
    const auto n = static_cast<std::int64_t>(g_parkStands.size());
    std::int32_t wanted = 1;
    if (n > 1 && (n > 3 || p >= 50))
        wanted = gsl::narrow<std::int32_t>(std::llround(static_cast<double>(p * n) / 100.0));
    const std::int32_t result = std::min(m, wanted);
    g_maxParked = result;
    g_maxParkedPercent = gf_percentage(result, n);
    return result;
}

void gf_enforceMaxPark(std::int32_t extra)
{
    const std::int32_t max = g_maxParked;
    if (RT_PARKTRAFFIC_ONLY.value || max < 1)
        return;
    const std::vector<LiveAc*> parked = lf_parkedLive();
    const auto live = static_cast<std::int64_t>(parked.size()) + extra;
    if (!INITIAL_LOAD_ONLY.value && live > max && !parked.empty()) {
        LiveAc& a = *parked.front();
        gf_log(fmt::format("{:8}: {} live max park exceeded, removed", gf_standName(a.standId), a.callsign));
        gf_removeForMaxPark(a);
    }
    if (gf_countStaticAcInSim(false) + live <= max)
        return;
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    StaticAc* oldest = nullptr;
    for (StaticAc& s : g_staticAircraft)
        if (lf_inSim(s) && (oldest == nullptr || lf_halfHoursParked(s, now) > lf_halfHoursParked(*oldest, now)))
            oldest = &s;
    if (oldest != nullptr && oldest->acState == AcState::active) {
        gf_log(fmt::format("{:8}: {} static max park exceeded, removed", gf_standName(oldest->standId),
                           oldest->callsign));
        removeAircraftFromSim(*oldest);
    }
}

void gf_removeParkedLiveAc(std::int32_t n)
{
    const std::vector<LiveAc*> parked = lf_parkedLive();
    for (std::size_t i = 0; i < parked.size() && static_cast<std::int64_t>(i) < n; ++i) {
        LiveAc& ac = *parked[i];
        gf_log(fmt::format("live parked {} at {} removed", gf_describeAc(ac), gf_standName(ac.standId)));
        gf_removeForMaxPark(ac);
    }
}

void gf_removeForMaxPark(LiveAc& ac)
{
    g_keptOut.insert(ac.hexid);
    removeAircraftFromSim(ac);
}

bool gf_keptOutWhileFull(const LiveAc& ac)
{
    const auto it = g_keptOut.find(ac.hexid);
    if (it == g_keptOut.end())
        return false;
    const std::int32_t max = g_maxParked;
    if (!RT_PARKTRAFFIC_ONLY.value && max >= 1 && gf_countParkedLiveAc(false) >= max)
        return true;
    g_keptOut.erase(it); // room again: it parks as any other
    return false;
}

void gf_forgetKeptOut() { g_keptOut.clear(); }

std::int32_t gf_countParkedLiveAc(bool refresh)
{
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    std::int32_t count = 0;
    std::int64_t halfHours = 0;
    for (const LiveAc& ac : g_liveAircraft) {
        if (ac.acState != AcState::active || ac.flightState != FlightState::parked)
            continue;
        ++count;
        halfHours += lf_halfHoursParked(ac, now);
    }
    if (refresh)
        g_meanLiveParkedHours = count == 0 ? 0.0f : static_cast<float>(halfHours / (2.0 * count) + 0.5);
    return count;
}

std::vector<ParkedLive> gf_listParkedLiveAc()
{
    std::vector<ParkedLive> list;
    const std::int64_t now = gf_steadyNowNs();
    for (LiveAc& ac : g_liveAircraft) {
        if (ac.acState != AcState::active || ac.flightState != FlightState::parked)
            continue;
        const std::int64_t parked = (now - ac.arrivalTime) / 60'000'000'000;
        const auto minutes = static_cast<std::int32_t>(std::clamp<std::int64_t>(parked, 0, INT32_MAX));
        if (!ac.standChecked && !INITIAL_LOAD_ONLY.value && minutes > (ac.sizeClass == SizeClass::Heavy ? 180 : 90)) {
            removeAircraftFromSim(ac);
            continue;
        }
        list.push_back(ParkedLive{ac.callsign, ac.standId, ac.standChecked ? 0 : minutes});
    }
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.minutes < b.minutes; });
    return list;
}

std::int32_t gf_countStaticAcInSim(bool withMean)
{
    const WeekPoint now = gf_unpackWeekPoint(g_timeSlot);
    std::int32_t count = 0;
    std::int64_t halfHours = 0;
    for (const StaticAc& s : g_staticAircraft) {
        if (!lf_inSim(s))
            continue;
        ++count;
        halfHours += lf_halfHoursParked(s, now);
    }
    if (withMean && !WEEK.value)
        g_meanStaticParkedHours = count == 0 ? 0.0f : static_cast<float>(halfHours / (2.0 * count) + 0.5);
    return count;
}
