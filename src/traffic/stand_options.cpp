#include "traffic/stand_options.h"

#include "aircraft/dbase_lookup.h"
#include "foundation/log.h"

#include <algorithm>
#include <fmt/format.h>
#include <stdexcept>

namespace {

StandOption* lf_option(std::vector<StandOption>& options, std::int32_t optionId)
{
    const auto it = std::find_if(options.begin(), options.end(),
                                 [&](const StandOption& o) { return o.optionId == optionId; });
    return it == options.end() ? nullptr : &*it;
}

void lf_set(StandOption* option, std::uint32_t halfHour)
{
    if (halfHour >= 48)
        throw std::out_of_range(fmt::format("half hour {}", halfHour));
    if (option != nullptr)
        option->hh.set(halfHour);
}

std::string_view lf_lessUnderscore(std::string_view cs) { return cs.ends_with('_') ? cs.substr(0, cs.size() - 1) : cs; }

} // namespace

void gf_addCallsignToOption(std::vector<StandOption>& options, std::int32_t optionId, std::string_view callsign)
{
    callsign = lf_lessUnderscore(callsign);
    StandOption* o = lf_option(options, optionId);
    if (callsign.empty() || o == nullptr)
        return;
    if (o->cs.empty())
        o->cs = callsign;
    else if (callsign != o->cs && callsign != o->cs2)
        o->cs2 = callsign;
}

bool updateOptions(std::vector<StandOption>& options, const HalfHourStack& stack, std::int32_t optionId)
{
    StandOption* o = lf_option(options, optionId);
    if (o == nullptr)
        return false;
    try {
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            lf_set(o, *it);
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception:{}", "updateOptions", e.what()));
        return false;
    }
}

bool updateOptionsWrapped(std::vector<StandOption>& options, const HalfHourStack& stack, std::int32_t firstId,
                          std::int32_t secondId)
{
    StandOption* first = lf_option(options, firstId);
    StandOption* second = lf_option(options, secondId);
    try {
        std::size_t i = stack.size();
        if (i > 0 && stack.back() != 0) {
            while (i > 0 && stack[i - 1] != 47)
                lf_set(first, stack[--i]);
            if (i > 0)
                lf_set(first, stack[--i]);
        }
        while (i > 1)
            lf_set(second, stack[--i]);
        return second != nullptr;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception:{}", "updateOptionsWrapped", e.what()));
        return false;
    }
}

void gf_recordSeenAtStand(std::vector<StandOption>& options, std::uint32_t lastSlot, std::uint32_t nowSlot,
                          std::string_view callsign, std::int32_t firstId, std::int32_t secondId)
{
    // the back holds the first half hour after lastSlot; the bottom repeats now's and is not set
    HalfHourStack stack{nowSlot};
    for (std::uint32_t h = nowSlot;; h = (h + 47) % 48) {
        stack.push_back(h);
        if (h == (lastSlot + 1) % 48 || stack.size() > 48)
            break;
    }
    updateOptionsWrapped(options, stack, firstId, secondId);
    gf_addCallsignToOption(options, firstId, callsign);
    gf_addCallsignToOption(options, secondId, callsign);
}

std::int32_t gf_findOrCreateOption(std::vector<StandOption>& options, const AcBase& ac, bool real, WeekPoint now,
                                   std::string_view callsign, std::string_view key)
{
    if (key.empty())
        return 0;
    callsign = lf_lessUnderscore(callsign);
    HalfHourBitset only;
    only.set(now.slot); // std::out_of_range from 48 on
    const auto day = static_cast<std::int32_t>(now.day);
    const std::int32_t realFlag = real ? 1 : 0;
    for (const StandOption& o : options)
        if (o.reg == key && o.day == day && o.real == realFlag && o.hh == only && o.cs == callsign)
            return o.optionId;
    const auto record = gf_findDbaseRecord(key);
    StandOption& o = options.emplace_back();
    o.airl = record ? record->airl : ac.airline;
    o.type = record ? record->type : ac.type;
    o.reg = key;
    o.cs = callsign;
    o.hh = only;
    o.day = day;
    o.real = realFlag;
    o.fromApf = 0;
    // its place in the list: no other option has it (each has its own place, or 0 when disabled),
    // and the renumbering of the next adjustment gives it again, so a stay keeps finding it
    o.optionId = static_cast<std::int32_t>(options.size());
    return o.optionId;
}
