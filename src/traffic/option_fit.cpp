// Plan entries from the stands' own options: real ones first, soft ones when still short, each
// fitting the current half hour or, failing that, up to MAX_FIT half hours back.
#include "aircraft/dbase_lookup.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/random.h"
#include "foundation/text_utils.h"
#include "traffic/stand_search.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <fmt/format.h>
#include <unordered_set>
#include <utility>

namespace {

enum class FitMode { real, soft };

void lf_insert(std::unordered_set<std::string>& set, const std::string& text)
{
    if (!text.empty())
        set.insert(text);
}

// What one mode of the fit looks up for every stand: the static aircraft by stand, and the
// aircraft already in use by callsign and registration (an empty text names no aircraft).
struct FitContext {
    WeekPoint now;
    FitMode mode;
    std::vector<const StaticAc*> activeOnStand;              // the first active static aircraft
    std::vector<std::vector<const StaticAc*>> optionStatics; // the active option-made ones
    std::unordered_set<std::string> callsigns;     // first callsigns of statics, planned, parked live
    std::unordered_set<std::string> registrations; // of statics and planned entries
    std::unordered_set<std::string> starred;       // callsigns of the parked-traffic statics

    FitContext(WeekPoint point, FitMode fitMode) : now(point), mode(fitMode)
    {
        const std::size_t n = g_parkStands.size() + 1;
        activeOnStand.assign(n, nullptr);
        optionStatics.resize(n);
        for (const StaticAc& s : g_staticAircraft) {
            lf_insert(callsigns, s.coupledCallsign1);
            lf_insert(registrations, s.registration);
            if (s.acState != AcState::active || s.standId >= n)
                continue;
            if (activeOnStand[s.standId] == nullptr)
                activeOnStand[s.standId] = &s;
            if (s.noRealHexid == 1)
                optionStatics[s.standId].push_back(&s);
            else
                starred.insert(s.callsign);
        }
        for (const StaticPlanEntry& e : g_staticPlan)
            enter(e);
        for (const ParkedLive& p : g_liveParked)
            lf_insert(callsigns, p.callsign);
    }
    void enter(const StaticPlanEntry& e)
    {
        lf_insert(callsigns, e.callsign);
        lf_insert(registrations, e.registration);
    }
    bool callsignInUse(const std::string& cs) const
    {
        return !cs.empty() &&
               (callsigns.contains(cs) || starred.contains(gf_starredCallsign(cs)) || gf_callsignInFeed(cs));
    }
};

// The aircraft of the option is live in the feed, parked live, static or planned (this pass too).
bool lf_optionInUse(const FitContext& c, const StandOption& o)
{
    return c.callsignInUse(o.cs) || c.callsignInUse(o.cs2) || (!o.reg.empty() && c.registrations.contains(o.reg));
}

// An active static aircraft on a neighbour that an aircraft of the type would touch.
bool lf_neighbourTooClose(const FitContext& c, const Stand& stand, const std::string& type)
{
    for (const std::uint32_t id : stand.neighbours) {
        const StaticAc* s = id < c.activeOnStand.size() ? c.activeOnStand[id] : nullptr;
        if (s != nullptr && gf_distanceNm(LatLon{stand.latitude, stand.longitude}, LatLon{s->standLat, s->standLon}) <
                                s->halfWingspanNm + gf_getHalfWingspan(type))
            return true;
    }
    return false;
}

// The option of the aircraft standing here goes first, so that it keeps its stand; otherwise the
// candidates in random order.
void lf_orderStandCandidates(const FitContext& c, std::vector<StandOption*>& candidates, Stand& stand)
{
    for (const StaticAc* s : c.optionStatics[stand.id])
        for (StandOption& o : stand.options)
            if (s->airline == o.airl && s->type == o.type &&
                ((!o.cs.empty() && s->callsign == gf_starredCallsign(o.cs)) ||
                 (!o.cs2.empty() && s->callsign == gf_starredCallsign(o.cs2)))) {
                candidates.front() = &o;
                return;
            }
    std::shuffle(candidates.begin(), candidates.end(), gf_randomGenerator());
}

// Whether the option's aircraft still stands there in the half hour after `now`.
bool lf_staysNextSlot(const Stand& stand, const StandOption& o, WeekPoint now)
{
    if (o.cs2.empty())
        return true;
    const WeekPoint next = gf_nextHalfHour(now);
    if (next.day == now.day)
        return o.hh.test(next.slot);
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& x) {
        return x.optionId != 0 && gf_optionDayFits(x, next.day) && x.airl == o.airl && x.type == o.type && x.hh.test(0);
    });
}

// One pass over the stands at fit offset k.
void lf_searchStands(FitContext& c, std::uint32_t k, std::vector<StaticPlanEntry>& batch)
{
    const WeekPoint target = gf_halfHoursBack(c.now, k);
    const std::int32_t real = c.mode == FitMode::real ? 1 : 0;
    std::vector<StandOption*> candidates;
    for (Stand& stand : g_parkStands) {
        if (stand.excluded || stand.filled || stand.blocked || (stand.heli && !HELICOPTERS.value))
            continue;
        candidates.clear();
        for (StandOption& o : stand.options)
            if (o.optionId != 0 && o.real == real && gf_optionDayFits(o, target.day) && o.hh.test(target.slot) &&
                !lf_neighbourTooClose(c, stand, o.type))
                candidates.push_back(&o);
        if (candidates.empty())
            continue;
        if (candidates.size() > 1)
            lf_orderStandCandidates(c, candidates, stand);
        StandOption& o = *candidates.front();
        if (lf_optionInUse(c, o)) {
            o.optionId = 0;
            continue;
        }
        batch.push_back(StaticPlanEntry{0, 1, stand.id, static_cast<std::int32_t>(k), o.airl, o.type, o.cs, o.cs2,
                                        o.reg, lf_staysNextSlot(stand, o, c.now)});
        c.enter(batch.back());
        gf_fillStand(stand);
    }
}

std::int64_t lf_filledStands()
{
    return std::count_if(g_parkStands.begin(), g_parkStands.end(), [](const Stand& s) { return s.filled; });
}

// Offsets 0..MAX_FIT until the wanted number of stands is filled (true; the batch then holds the
// last pass's entries, the earlier passes' entries are in the plan).
bool lf_fitOffsets(FitContext& c, std::int32_t wanted, std::vector<StaticPlanEntry>& batch)
{
    const std::int64_t before = lf_filledStands();
    const auto maxFit = static_cast<std::uint32_t>(std::clamp<std::int32_t>(MAX_FIT.value, 0, 47));
    bool reached = false;
    std::uint32_t k = 0;
    for (;; ++k) {
        lf_searchStands(c, k, batch);
        if (lf_filledStands() >= wanted) {
            reached = true;
            break;
        }
        g_staticPlan.insert(g_staticPlan.end(), batch.begin(), batch.end());
        batch.clear();
        if (k >= maxFit)
            break;
    }
    const bool soft = c.mode == FitMode::soft;
    if (soft) {
        g_lastSoftFit = static_cast<std::int32_t>(k);
    } else {
        g_lastRealFit = static_cast<std::int32_t>(k);
        g_lastSoftFit = -1;
    }
    const std::int64_t found = lf_filledStands() - before;
    if (found > 0)
        gf_log(fmt::format("{} {} position{} found, Max fit={} hours{}{}", found, soft ? "soft" : "real",
                           gf_plural(found), gf_float2string(static_cast<float>(maxFit) * 0.5f + 0.5f),
                           WEEK.value ? ", week" : fmt::format(", day {}", c.now.day),
                           fmt::format(", hh:{} or {} hrs, fit: {} hour", c.now.slot,
                                       gf_float2string(static_cast<float>(c.now.slot) * 0.5f + 0.5f),
                                       gf_float2string(static_cast<float>(k) * 0.5f + 0.5f))));
    gf_showSoftFitHook(soft && found > 0);
    return reached;
}

void lf_fitStandOptionsMode(WeekPoint now, std::int32_t wanted, std::int32_t extra, FitMode mode)
{
    FitContext context(now, mode);
    std::vector<StaticPlanEntry> batch;
    batch.reserve(512);
    if (!lf_fitOffsets(context, wanted, batch))
        return;
    // the last pass found more than wanted: which of its stands are taken is left to chance,
    // not to the order of the stands in the file
    const auto lt_excess = [&](std::size_t joining) {
        return static_cast<std::int64_t>(g_staticPlan.size() + joining) - wanted + extra;
    };
    if (const std::int64_t excess = lt_excess(batch.size()); excess > 0 && !batch.empty()) {
        std::shuffle(batch.begin(), batch.end(), gf_randomGenerator());
        batch.resize(batch.size() - static_cast<std::size_t>(std::min<std::int64_t>(excess, std::ssize(batch))));
    }
    g_staticPlan.insert(g_staticPlan.end(), batch.begin(), batch.end());
    if (const std::int64_t excess = lt_excess(0); excess > 0 && excess <= std::ssize(g_staticPlan))
        g_staticPlan.resize(g_staticPlan.size() - static_cast<std::size_t>(excess));
}

} // namespace

bool gf_optionDayFits(const StandOption& option, std::uint32_t day)
{
    return WEEK.value || std::cmp_equal(option.day, day);
}

void gf_fitStandOptions(WeekPoint now, std::int32_t wanted, std::int32_t extra)
{
    g_lastRealFit = 0;
    g_lastSoftFit = -1;
    lf_fitStandOptionsMode(now, wanted, extra, FitMode::real);
    if (std::ssize(g_staticPlan) + extra < wanted && (PARK_SOFT.value || PARK_FAKE.value))
        lf_fitStandOptionsMode(now, wanted, extra, FitMode::soft);
}
