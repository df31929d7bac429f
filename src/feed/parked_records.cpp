#include "feed/parked_records.h"

#include "aircraft/dbase_lookup.h"
#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "foundation/half_hours.h"
#include "foundation/log.h"
#include "simlink/user_aircraft.h"

#include <array>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::size_t lf_maxRegistration = 12;
constexpr std::size_t lf_maxCallsign = 8;

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> lf_typeAliases{
    {{"A380", "A388"}, {"B767", "B763"}, {"B747", "B744"}, {"B757", "B752"}}};

// element i of the array, nullptr when the array is shorter
const nlohmann::json* lf_element(const nlohmann::json& line, std::size_t i)
{
    return i < line.size() ? &line[i] : nullptr;
}

std::string lf_string(const nlohmann::json& line, std::size_t i)
{
    const nlohmann::json* e = lf_element(line, i);
    return (e != nullptr && e->is_string()) ? e->get<std::string>() : std::string();
}

// floating numbers only: an integer counts as absent
double lf_float(const nlohmann::json& line, std::size_t i)
{
    const nlohmann::json* e = lf_element(line, i);
    return (e != nullptr && e->is_number_float()) ? e->get<double>() : 0.0;
}

// the report time in whole seconds; a fraction is rounded, halves away from zero
std::int64_t lf_reportTime(const nlohmann::json& value)
{
    if (!value.is_number_float())
        return value.get<std::int64_t>(); // anything else raises the JSON error "type must be number, ..."
    const double rounded = std::round(value.get<double>());
    // beyond these the conversion itself would be undefined
    if (!(rounded >= -9.2e18 && rounded <= 9.2e18))
        throw gsl::narrowing_error();
    return gsl::narrow<std::int64_t>(rounded);
}

std::string lf_callsign(std::string callsign)
{
    if (callsign == "null" || callsign.find('@') != std::string::npos || callsign.find("00000") != std::string::npos ||
        callsign.size() > lf_maxCallsign)
        return {};
    if (!callsign.empty() && callsign.front() == '.')
        callsign.erase(0, 1);
    return callsign;
}

void lf_buildRecord(const std::string& key, const nlohmann::json& line, const ParkedLineContext& context,
                    std::vector<ParkedTrafficRecord>& records)
{
    ParkedTrafficRecord r;
    r.hexId = gf_parseHexId(key);
    if (r.hexId <= 10000)
        return;

    // at() also refuses a member that is no array, or one too short to hold a report time
    r.slot = static_cast<std::uint32_t>(gf_halfHourSlot(lf_reportTime(line.at(5))));

    r.registration = lf_string(line, 4);
    if (r.registration.size() > lf_maxRegistration || r.registration == "null")
        r.registration.clear();

    r.type = lf_string(line, 3);
    if (r.type == "0" || r.type == "ZZZZ")
        r.type.clear();
    for (const auto& [from, to] : lf_typeAliases)
        if (r.type == from)
            r.type = to;

    r.lat = lf_float(line, 0);
    r.lon = lf_float(line, 1);
    if (!(r.lat >= -90.0 && r.lat <= 90.0 && r.lon >= -180.0 && r.lon <= 180.0) ||
        (std::fabs(r.lat) <= 0.0001 && std::fabs(r.lon) <= 0.0001))
        throw std::runtime_error(fmt::format("lalo:{}", fmt::format("{:.6f},{:.6f}", r.lat, r.lon)));

    r.callsign = lf_callsign(lf_string(line, 6));

    if (!r.registration.empty()) {
        if (const auto found = gf_findDbaseRecord(r.registration)) {
            r.airline = found->opr.empty() ? found->airl : found->opr;
            r.type = found->type;
            if (r.callsign.empty())
                r.callsign = r.registration;
        }
    } else if (!r.callsign.empty()) {
        if (const auto found = gf_findDbaseRecord(r.callsign)) {
            r.airline = found->opr.empty() ? found->airl : found->opr;
            r.type = found->type;
            r.registration = r.callsign;
        }
    }

    if (r.type.empty() || !gf_isValidModel(r.type) || !gf_sizeClassEnabledHook(gf_type2sizeClass(r.type)))
        return;

    const nlohmann::json* stand = lf_element(line, 2);
    if (stand == nullptr || !stand->is_string())
        return;
    r.stand = stand->get<std::string>();
    // an empty name stands for no stand and keeps nothing free
    if ((!context.reservedStand.empty() && r.stand == context.reservedStand) ||
        (!context.userStand.empty() && r.stand == context.userStand))
        return;

    records.push_back(std::move(r));
}

} // namespace

ParkedLineContext gf_parkedLineContext() { return ParkedLineContext{gf_reservedStand(), gf_findUserStand()}; }

void processParkedTrafficLine(const std::string& key, const nlohmann::json& line, const ParkedLineContext& context,
                              std::vector<ParkedTrafficRecord>& records)
{
    try {
        lf_buildRecord(key, line, context, records);
    } catch (const std::runtime_error&) {
        // an invalid position: dropped without a word
    } catch (const std::exception& e) {
        try {
            gf_logError(fmt::format("{}: {}", "processParkedTrafficLine", e.what()));
        } catch (...) {
        }
    }
}
