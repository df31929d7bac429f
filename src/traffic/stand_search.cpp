#include "traffic/stand_search.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "airports/stand_size.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "traffic/stand_names.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>
#include <limits>
#include <vector>

namespace {

constexpr double g_sizeMismatchNm = 20.0 * g_nmPerMetre;
constexpr double g_fallbackNm = 85.0 * g_nmPerMetre;

double lf_reachNm(double maxDistNm, bool wide) { return std::max(maxDistNm, wide ? g_fallbackNm : 0.0); }

bool lf_helicopterRule(const Stand& stand, const AcBase& ac)
{
    return stand.heli == (ac.sizeClass == SizeClass::Rotorcraft);
}

bool lf_namesAircraft(const Stand& stand, const AcBase& ac)
{
    return !ac.callsign.empty() && std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
               return gf_optionMatchesAc(o, ac.callsign, ac);
           });
}

// An active option books the stand on the point's day at its half hour.
bool lf_booked(const Stand& stand, WeekPoint point)
{
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return o.optionId != 0 && static_cast<std::uint32_t>(o.day) == point.day && o.hh.test(point.slot);
    });
}

std::int32_t lf_roundedScore(double value)
{
    const double r = std::round(value);
    // checked before the cast: a value beyond the range (or NaN) would be undefined
    if (!(std::fabs(r) <= std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return static_cast<std::int32_t>(r);
}

struct Candidate {
    Stand* stand;
    std::int32_t score; // lower is better
    bool match;         // an option of the stand names the aircraft
};

enum class Sizing { bySize, anySize };

template <class Filter>
bool lf_scorePass(std::vector<Candidate>& out, WeekPoint point, const AcBase& ac, Filter filter, Sizing sizing)
{
    const double hw = ac.halfWingspanNm;
    std::int32_t best = 100;
    for (Stand& stand : g_parkStands) {
        if (!filter(stand))
            continue;
        std::int32_t score = 0;
        if (sizing == Sizing::bySize) {
            if (gf_standTooSmall(stand, hw))
                continue;
            score = lf_roundedScore((stand.radius - hw) / gf_standStepNm(hw));
        } else {
            score = lf_roundedScore(std::fabs(hw - stand.radius));
        }
        if (score > best || lf_booked(stand, point))
            continue;
        best = score;
        out.push_back(Candidate{&stand, score, lf_namesAircraft(stand, ac)});
    }
    return !out.empty();
}

// By size, and by any size when that gives nothing.
template <class Filter>
bool lf_pass(std::vector<Candidate>& out, WeekPoint point, const AcBase& ac, Filter filter)
{
    return lf_scorePass(out, point, ac, filter, Sizing::bySize) ||
           lf_scorePass(out, point, ac, filter, Sizing::anySize);
}

bool lf_collect(std::vector<Candidate>& out, WeekPoint point, const AcBase& ac)
{
    const auto lt_heli = [](const Stand& s) { return s.heli; };
    const auto lt_ramp = [](const Stand& s) { return s.ramp; };
    const auto lt_cargo = [](const Stand& s) { return s.cargo && !s.heli; };
    const auto lt_notHeli = [](const Stand& s) { return !s.heli; };
    const auto lt_gate = [](const Stand& s) { return !s.ramp && !s.cargo && !s.heli; };
    const auto lt_passengerRamp = [](const Stand& s) { return s.ramp && !s.cargo && !s.heli; };
    if (ac.sizeClass == SizeClass::Rotorcraft)
        return lf_scorePass(out, point, ac, lt_heli, Sizing::bySize) ||
               lf_scorePass(out, point, ac, lt_ramp, Sizing::bySize) ||
               lf_scorePass(out, point, ac, lt_heli, Sizing::anySize) ||
               lf_scorePass(out, point, ac, lt_ramp, Sizing::anySize);
    if (ac.cargo)
        return lf_pass(out, point, ac, lt_cargo) || lf_pass(out, point, ac, lt_notHeli);
    // a private aircraft is marked by its airline ("PVT"); no type designator reads so
    if (ac.sizeClass == SizeClass::Light || ac.sizeClass == SizeClass::Buzjets || ac.airline == "PVT")
        return lf_pass(out, point, ac, lt_passengerRamp);
    const bool gatesFirst = parkAirport.code.starts_with('K') || gf_randomGenerator()() % 100 >= 10;
    if (gatesFirst)
        return lf_pass(out, point, ac, lt_gate) || lf_pass(out, point, ac, lt_passengerRamp);
    return lf_pass(out, point, ac, lt_passengerRamp) || lf_pass(out, point, ac, lt_gate);
}

} // namespace

Stand* gf_findStandById(std::uint32_t id)
{
    if (id == 0)
        return nullptr;
    // the ids number the stands in load order
    if (id <= g_parkStands.size() && g_parkStands[id - 1].id == id)
        return &g_parkStands[id - 1];
    const auto it = std::find_if(g_parkStands.begin(), g_parkStands.end(), [id](const Stand& s) { return s.id == id; });
    return it == g_parkStands.end() ? nullptr : &*it;
}

Stand* findStandByName(std::string_view name)
{
    const auto it =
        std::find_if(g_parkStands.begin(), g_parkStands.end(), [name](const Stand& s) { return s.name == name; });
    return it == g_parkStands.end() ? nullptr : &*it;
}

std::string gf_standName(std::uint32_t standId)
{
    if (standId == 0)
        return "sid==0?";
    const Stand* stand = gf_findStandById(standId);
    return stand == nullptr ? "unknown" : stand->name;
}

namespace {

Stand& lf_stand(Stand& stand) { return stand; }
Stand& lf_stand(Stand* stand) { return *stand; }

template <class Stands>
Stand* lf_findFreeStandNear(Stands& stands, const LatLon& position, const AcBase& ac, double maxDistNm, bool wide)
{
    const double hw = ac.halfWingspanNm;
    Stand* best = nullptr;
    double bestNm = 900.0;
    Stand* fallback = nullptr;
    double fallbackNm = 900.0;
    const LatLonBox reach = gf_reachBox(position, lf_reachNm(maxDistNm, wide));
    for (auto& element : stands) {
        Stand& stand = lf_stand(element);
        if (!reach.mayHold(LatLon{stand.latitude, stand.longitude}) || stand.liveOccupied ||
            !lf_helicopterRule(stand, ac))
            continue;
        const double d = gf_distanceNm(position, LatLon{stand.latitude, stand.longitude});
        const bool fits = !gf_standTooSmall(stand, hw);
        if (d <= maxDistNm) {
            if (d < bestNm && (fits || d <= g_sizeMismatchNm)) {
                best = &stand;
                bestNm = d;
            }
        } else if (wide && d <= g_fallbackNm && d < fallbackNm && fits && lf_namesAircraft(stand, ac)) {
            fallback = &stand;
            fallbackNm = d;
        }
    }
    return best != nullptr ? best : fallback;
}

} // namespace

Stand* findFreeStandNear(const LatLon& position, const AcBase& ac, double maxDistNm, bool wide)
{
    return lf_findFreeStandNear(g_parkStands, position, ac, maxDistNm, wide);
}

void gf_growStandFor(Stand& stand, const AcBase& ac)
{
    if (!gf_standTooSmall(stand, ac.halfWingspanNm))
        return;
    stand.radius = ac.halfWingspanNm - g_nmPerMetre;
    stand.radius_change = true;
    gf_countStandUpdate();
}

StandsByLatitude::StandsByLatitude()
{
    for (Stand& stand : g_parkStands)
        if (std::isfinite(stand.latitude)) // no distance to such a stand is within reach
            m_byLatitude.push_back(&stand);
    std::sort(m_byLatitude.begin(), m_byLatitude.end(),
              [](const Stand* a, const Stand* b) { return a->latitude < b->latitude; });
}

Stand* StandsByLatitude::findFreeStandNear(const LatLon& position, const AcBase& ac, double maxDistNm, bool wide)
{
    const double band = gf_reachBox(position, lf_reachNm(maxDistNm, wide)).latDeg;
    const auto from = std::lower_bound(m_byLatitude.begin(), m_byLatitude.end(), position.lat - band,
                                       [](const Stand* s, double lat) { return s->latitude < lat; });
    const auto to = std::upper_bound(from, m_byLatitude.end(), position.lat + band,
                                     [](double lat, const Stand* s) { return lat < s->latitude; });
    m_band.assign(from, to);
    // in file order, as the walk over all stands meets them: of two as near, the first wins
    std::sort(m_band.begin(), m_band.end());
    return lf_findFreeStandNear(m_band, position, ac, maxDistNm, wide);
}

Stand* chooseStand(WeekPoint point, const AcBase& ac, bool widen)
{
    std::vector<Candidate> candidates;
    candidates.reserve(256);
    if (!lf_collect(candidates, point, ac)) {
        if (!widen || g_parkStands.size() > 10)
            return nullptr;
        return chooseStand(gf_nextHalfHour(point), ac, false);
    }
    std::shuffle(candidates.begin(), candidates.end(), gf_randomGenerator());
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.match != b.match ? a.match : a.score < b.score;
    });
    return candidates.front().stand;
}

void gf_searchForCoupledCsAroundThisTime(WeekPoint point, AcBase& ac)
{
    try {
        const std::int64_t w = ac.sizeClass == SizeClass::Heavy ? 14 : 10;
        const std::int64_t h = point.slot;
        const std::int64_t from = std::max<std::int64_t>(0, h - w);
        const std::int64_t to = std::min<std::int64_t>(h + w, 47);
        std::string_view cs = ac.callsign;
        if (cs.ends_with('_'))
            cs.remove_suffix(1);
        const auto lt_around = [&](const HalfHourBitset& hh) {
            for (std::int64_t i = from; i <= to; ++i)
                if (hh.test(static_cast<std::size_t>(i)))
                    return true;
            return false;
        };
        for (const Stand& stand : g_parkStands) {
            for (const StandOption& o : stand.options) {
                if (o.optionId != 0 && static_cast<std::uint32_t>(o.day) == point.day && o.airl == ac.airline &&
                    !o.cs2.empty() && (o.cs == cs || o.cs2 == cs) && lt_around(o.hh)) {
                    ac.coupledCallsign1 = o.cs;
                    ac.coupledCallsign2 = o.cs2;
                    return;
                }
            }
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "lf_searchForCoupledCsAroundThisTime", e.what()));
    }
}

bool gf_optionMatchesAc(const StandOption& option, std::string_view callsign, const AcBase& ac)
{
    if (option.optionId == 0 || option.real != 1)
        return false;
    if (option.cs == callsign || option.cs2 == callsign)
        return true;
    return option.airl == ac.airline && option.type == ac.type;
}

bool gf_optionMatchesRegAtTime(WeekPoint point, std::string_view registration, const StandOption& option)
{
    if (point.slot >= 48)
        throw std::out_of_range("gf_optionMatchesRegAtTime: half hour");
    if (option.optionId == 0 || static_cast<std::uint32_t>(option.day) != point.day || option.real != 1 ||
        option.reg != registration)
        return false;
    const std::size_t h = point.slot;
    return option.hh.test(h) || option.hh.test((h + 47) % 48) || option.hh.test((h + 1) % 48);
}

void gf_countStandUpdate() { ++g_learnedUpdates; }

bool gf_nearParkAirport(const LatLon& position)
{
    return !parkAirport.code.empty() && gf_distanceNm(position, LatLon{parkAirport.lat, parkAirport.lon}) <= 5.0;
}
