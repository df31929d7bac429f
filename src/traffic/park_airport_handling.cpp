// Which airport is the park airport, from the user aircraft's position and the park-airport
// list: entered when it comes in sight (or the user stands at it), its stands loaded and the
// static parking calculated one call later, left when it goes out of sight or a list airport
// not farther away comes in sight. Control thread, in the tick loop.
#include "traffic/park_airport_handling.h"

#include "airports/apf_locations.h"
#include "airports/nearest_airport.h"
#include "airports/park_airport_list.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "feed/live_records.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"
#include "foundation/utc_time.h"
#include "simlink/user_aircraft.h"
#include "traffic/park_airport.h"
#include "traffic/park_airport_hooks.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <cmath>
#include <fmt/format.h>
#include <mutex>

bool g_recalcParking = false;

namespace {

constexpr double lf_noPositionDeg = 0.0001;
constexpr double lf_samePositionDeg = 1e-8;

LatLon g_listPosition{0.0, 0.0}; // where the list's distances were computed

void lf_enableDestination()
{
    if (const ParkLoadHooks hooks = g_parkLoadHooks.get(); hooks.enableControl)
        hooks.enableControl(DESTINATION, true);
}

void lf_showAndLog(const std::string& text) { gf_showStatus(text, true); }

bool lf_inSight(double distanceNm, double heightFt)
{
    return distanceNm <= AIRP_RANGE.value && heightFt <= AIRP_HEIGHT.value;
}

void lf_requestStaticCalculation(bool showStatus)
{
    gf_beginBusyModeHook();
    g_collectFeedIndex = true;
    if (showStatus)
        gf_showStatus("Calculating static parked aircraft ...", false);
}

// With now the stands are loaded and the calculation begins (over the next passes); otherwise on
// the next call, after the Traffic Reader has collected the feed index.
void lf_loadParkAirportStands(bool now)
{
    if (!now) {
        g_recalcParking = true;
        lf_requestStaticCalculation(false);
        return;
    }
    g_recalcParking = false;
    if (const std::string error = gf_readParkedFile(); error.empty()) {
        g_collectFeedIndex = true; // the parked traffic is fitted against the feed of the passes meanwhile
        gf_beginStaticCalculation();
    } else {
        lf_showAndLog(error);
        gf_clearParkAirport();
    }
    lf_enableDestination();
}

std::optional<MyParkAirport> lf_firstListEntry()
{
    std::lock_guard lock(g_parkDataMutex);
    if (g_myParkAirports.empty())
        return std::nullopt;
    return g_myParkAirports.front();
}

void lf_enterParkAirport(const LatLon& position, const UserAcData& user, bool firstCall)
{
    if (!g_userOnGround) {
        lf_enableDestination();
        const auto entry = lf_firstListEntry();
        if (entry && lf_inSight(entry->distance, user.altitudeAboveGround) && gf_setParkAirport(entry->code)) {
            lf_showAndLog(fmt::format("{} in sight at {:.1F} nm", entry->code, entry->distance));
            g_recalcParking = true;
            lf_requestStaticCalculation(false);
        }
        return;
    }
    const std::optional<Airport> closest = gf_findClosestAirport(position);
    if (!closest) {
        lf_showAndLog("User aircraft on the ground, no airport in sight");
    } else if (gf_apfExists(closest->code)) {
        gf_log(fmt::format("User aircraft on the ground at {}", closest->code));
        if (gf_setParkAirport(closest->code))
            lf_loadParkAirportStands(firstCall);
    } else {
        lf_showAndLog(fmt::format("User aircraft on the ground at {}{}", closest->code, ", no airport file found"));
    }
}

void lf_checkLeaveParkAirport(const LatLon& position, const UserAcData& user)
{
    if (g_userOnGround)
        return;
    const double distance = gf_distanceNm(position, LatLon{parkAirport.lat, parkAirport.lon});
    const double height = user.altitudeAboveGround;
    if (!lf_inSight(distance, height)) {
        gf_log(fmt::format("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_utcClockText(),
                           gf_formatAirport(parkAirport), distance));
        gf_removeGroundAndStaticAc();
        return;
    }
    const auto entry = lf_firstListEntry();
    if (entry && entry->code != parkAirport.code && lf_inSight(entry->distance, height) && entry->distance <= distance) {
        gf_log(fmt::format("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first",
                           gf_utcClockText(), entry->code, entry->distance, gf_formatAirport(parkAirport)));
        gf_removeGroundAndStaticAc();
    }
}

} // namespace

void gf_sortParkAirports(const LatLon& position)
{
    static std::uint64_t s_listed = 0;
    std::lock_guard lock(g_parkDataMutex);
    for (MyParkAirport& entry : g_myParkAirports) {
        entry.distance = gf_distanceNm(position, LatLon{entry.latitude, entry.longitude});
        if (entry.listed == 0)
            entry.listed = ++s_listed;
    }
    // a strict order: by distance, and of two at the same distance the later entry first; the
    // order of first sight keeps equals from changing places at every sort
    g_myParkAirports.sort([](const MyParkAirport& a, const MyParkAirport& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.listed > b.listed);
    });
}

void gf_handleParkAirports(bool firstCall)
{
    if (gf_busyHook() && g_staticPlan.empty() && !gf_staticCalculationPending()) {
        gf_endBusyModeHook();
        gf_clearStatus();
        gf_countStaticAcInSim(true);
        gf_countParkedLiveAc(true);
    }
    if (g_recalcParking) {
        gf_clearStatus();
        lf_loadParkAirportStands(true);
        return;
    }
    const UserAcData user = gf_copyUserSnapshot();
    const LatLon position{user.latitude, user.longitude};
    if (std::fabs(position.lat) <= lf_noPositionDeg && std::fabs(position.lon) <= lf_noPositionDeg)
        return;
    if (std::fabs(position.lat - g_listPosition.lat) >= lf_samePositionDeg ||
        std::fabs(position.lon - g_listPosition.lon) >= lf_samePositionDeg) {
        g_listPosition = position;
        if (DESTINATION.value.get().empty()) {
            gf_sortParkAirports(position);
        } else {
            std::lock_guard lock(g_parkDataMutex);
            if (!g_myParkAirports.empty()) {
                MyParkAirport& first = g_myParkAirports.front();
                first.distance = gf_distanceNm(position, LatLon{first.latitude, first.longitude});
            }
        }
    } else {
        std::lock_guard lock(g_parkDataMutex);
        if (!g_myParkAirports.empty()) {
            MyParkAirport& first = g_myParkAirports.front();
            first.distance = gf_distanceNm(position, LatLon{first.latitude, first.longitude});
        }
    }
    if (parkAirport.code.empty())
        lf_enterParkAirport(position, user, firstCall);
    else
        lf_checkLeaveParkAirport(position, user);
}

void gf_resetParkAirportHandling()
{
    g_recalcParking = false;
    g_listPosition = LatLon{0.0, 0.0};
}
