#include "traffic/stand_option_learning.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "traffic/stand_options.h"
#include "traffic/stand_search.h"

#include <algorithm>
#include <fmt/format.h>
#include <stdexcept>

namespace {

std::uint64_t lf_pack(WeekPoint point) { return (static_cast<std::uint64_t>(point.slot) << 32) | point.day; }

bool lf_fromApfLacksNow(const Stand& stand, std::string_view key, WeekPoint now, std::int32_t realFlag)
{
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return o.fromApf == 1 && o.real == realFlag && o.day == static_cast<std::int32_t>(now.day) && o.reg == key &&
               !o.hh.test(now.slot);
    });
}

// The aircraft's learned option of the day. One disabled because the aircraft was about takes its
// number back (its place in the list, as the adjustment numbers): it learns on there, instead of a
// second option of the same aircraft and day.
StandOption* lf_learnedOption(Stand& stand, std::string_view key, WeekPoint now, std::int32_t realFlag)
{
    auto& options = stand.options;
    const auto lt_ofDay = [&](const StandOption& o) {
        return o.fromApf == 0 && o.real == realFlag && o.day == static_cast<std::int32_t>(now.day) && o.reg == key;
    };
    auto it = std::find_if(options.begin(), options.end(),
                           [&](const StandOption& o) { return o.optionId != 0 && lt_ofDay(o); });
    if (it == options.end()) {
        it = std::find_if(options.begin(), options.end(), lt_ofDay);
        if (it != options.end())
            it->optionId = static_cast<std::int32_t>(it - options.begin()) + 1;
    }
    return it == options.end() ? nullptr : &*it;
}

// Throws std::out_of_range for a half hour outside 0..47.
void lf_learn(StandLearning kind, Stand& stand, LiveAc& ac, WeekPoint now, bool fillGaps, std::string_view key)
{
    if (now.slot >= 48)
        throw std::out_of_range(fmt::format("half hour {}", now.slot));
    const bool real = kind == StandLearning::real;
    StandOption* option = lf_learnedOption(stand, key, now, real ? 1 : 0);
    if (option != nullptr && option->hh.test(now.slot))
        return;
    auto& stays = real ? stand.realStays : stand.softStays;
    const auto stay = fillGaps ? stays.find(ac.hexid) : stays.end();
    if (stay != stays.end() && stay->second.weekPoint != lf_pack(now)) {
        // a stay followed into a new day goes on there, also before the day has an option
        if (!gf_fillStayOption(now, stand, stay->second, ac, key, real))
            stay->second = StandStay{lf_pack(now), gf_findOrCreateOption(stand.options, ac, real, now, ac.callsign, key)};
        return;
    }
    std::int32_t id = 0;
    if (option != nullptr) {
        option->hh.set(now.slot);
        id = option->optionId;
    } else {
        id = gf_findOrCreateOption(stand.options, ac, real, now, ac.callsign, key);
    }
    if (fillGaps)
        stays[ac.hexid] = StandStay{lf_pack(now), id};
}

} // namespace

std::int32_t gf_longestFilledStay(const LiveAc& ac)
{
    if (ac.cargo)
        return 12;
    return ac.sizeClass == SizeClass::Heavy ? 8 : 6;
}

bool gf_fillStayOption(WeekPoint now, Stand& stand, StandStay& stay, const LiveAc& ac, std::string_view key, bool real)
{
    const WeekPoint last = gf_unpackWeekPoint(stay.weekPoint);
    if (stay.optionId == 0 || lf_pack(now) == stay.weekPoint)
        return true;
    // a wrapping difference of week indexes: a stay across the week's end goes on
    const int elapsed = gf_halfHoursBetween(last, now);
    if (elapsed < 1 || elapsed >= gf_longestFilledStay(ac))
        return false;
    if (now.day == last.day) {
        HalfHourStack stack;
        for (std::uint32_t h = now.slot; h > last.slot; --h)
            stack.push_back(h);
        updateOptions(stand.options, stack, stay.optionId);
        gf_addCallsignToOption(stand.options, stay.optionId, ac.callsign);
    } else {
        const std::int32_t next = gf_findOrCreateOption(stand.options, ac, real, now, ac.callsign, key);
        if (next == 0)
            return false;
        gf_recordSeenAtStand(stand.options, last.slot, now.slot, ac.callsign, stay.optionId, next);
        stay.optionId = next;
    }
    stay.weekPoint = lf_pack(now);
    return true;
}

void gf_installStandLearning()
{
    const auto lt_addStandOption = [](StandLearning kind, std::uint32_t standId, LiveAc& ac, WeekPoint now,
                                      bool fillGaps) {
        const std::string_view key = ac.registration.empty() ? std::string_view(ac.callsign) : ac.registration;
        if (key.empty())
            return false;
        const auto stand = std::find_if(g_parkStands.begin(), g_parkStands.end(),
                                        [standId](const Stand& s) { return s.id == standId; });
        if (stand == g_parkStands.end())
            return false;
        try {
            if (lf_fromApfLacksNow(*stand, key, now, kind == StandLearning::real ? 1 : 0))
                return false; // the airport's own data do not place this aircraft here now
            lf_learn(kind, *stand, ac, now, fillGaps, key);
        } catch (const std::exception& e) {
            gf_logError(fmt::format("{}: hh_now: {}, {}", "lt_addStandOption", now.slot, e.what()));
            return false;
        }
        gf_countStandUpdate();
        return true;
    };
    g_addStandOption = lt_addStandOption;
}
