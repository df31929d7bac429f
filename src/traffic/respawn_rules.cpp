// The respawn check of every feed record of a known aircraft: route, registration, operator and
// callsign decide whether it flies on, takes the record's identity, or leaves the simulator to
// come back with another livery.
#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_tables.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/ac_descriptions.h"
#include "traffic/followed_object.h"
#include "traffic/identity_rules.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/traffic_containers.h"

#include <fmt/format.h>

namespace {

void lf_takeIfNew(std::string& field, const std::string& reported)
{
    if (!reported.empty() && reported != field)
        field = reported;
}

// The livery is to be chosen again: the next creation starts from birth. Without GUID_CHANGES
// there is no next creation: the object flies on as it is, in its flight state.
void lf_forgetLivery(LiveAc& ac)
{
    if (!GUID_CHANGES.value)
        return;
    gf_forgetLivery(ac.hexid);
    ac.liveryTitle = {};
    gf_setFlightState(ac, FlightState::birth);
}

// The database record's operator (its airline when none) and type become the aircraft's.
void lf_takeOperatorOf(LiveAc& ac, const DbaseRecord& record)
{
    ac.airline = record.opr.empty() ? record.airl : record.opr;
    ac.type = record.type;
    lf_forgetLivery(ac);
}

// True: the route is unchanged. An empty end of the route is filled from the record; a new route
// of an aircraft on the ground sends it back to taxi, unless it only turned round at the park airport.
bool lf_routeRule(LiveAc& ac, const FeedRecord& r)
{
    bool same = true;
    for (auto [mine, reported] : {std::pair{&ac.destination, &r.destination}, std::pair{&ac.origin, &r.origin}}) {
        if (mine->empty() && !reported->empty()) {
            *mine = *reported;
            same = false;
        }
    }
    if (r.destination.empty() || r.origin.empty() || r.destination == ac.destination || r.origin == ac.origin)
        return same;
    if (!parkAirport.iata.empty() && ac.origin == parkAirport.iata && r.destination == ac.origin)
        return same;
    ac.origin = r.origin;
    ac.destination = r.destination;
    if (ac.onGround && ac.flightState != FlightState::parking && ac.flightState != FlightState::parked) {
        gf_setFlightState(ac, FlightState::taxi);
        ac.groundBearing = ac.position[POS_HEADING];
    }
    return false;
}

// True: the livery is to be chosen again for the record's registration.
bool lf_liveryRelevant(LiveAc& ac, const FeedRecord& r)
{
    const auto& special = g_liveryTables.specialRegistrations;
    if (const auto it = special.find(r.registration); it != special.end() && !it->second.empty()) {
        if (it->second == ac.liveryTitle)
            return false;
        if (const auto record = gf_findDbaseRecord(r.registration)) {
            ac.airline = record->airl;
            ac.type = record->type;
        }
        lf_forgetLivery(ac);
        return true;
    }
    if (r.registration == ac.registration)
        return false;
    const auto record = gf_findDbaseRecord(r.registration);
    if (!record || (record->airl == ac.airline && record->type == ac.type) ||
        (!record->opr.empty() && record->opr == ac.airline))
        return false;
    lf_takeOperatorOf(ac, *record);
    return true;
}

// True: another operator flies the aircraft of the record's registration.
bool lf_operatorChanged(LiveAc& ac, const FeedRecord& r)
{
    const auto record = gf_findDbaseRecord(r.registration);
    if (!record || (record->airl == ac.airline && record->type == ac.type) || record->opr == ac.airline)
        return false;
    const auto named = gf_callsignAirline(r.callsign);
    if (!named)
        return true;
    if (*named != record->airl && *named != record->opr)
        return false;
    lf_takeOperatorOf(ac, *record);
    return true;
}

// True: the registration leaves the livery as it is. The record's registration is taken.
bool lf_registrationRule(LiveAc& ac, const FeedRecord& r)
{
    if (r.registration.empty())
        return true;
    bool same = true;
    if (ac.registration.empty() || (ac.callsign == ac.registration && r.registration != ac.registration))
        same = !lf_liveryRelevant(ac, r);
    else if (r.registration != ac.registration && lf_operatorChanged(ac, r))
        same = false;
    ac.registration = r.registration;
    return same;
}

// Out of the simulator and back with the identity it has now; false: the record waits for it.
bool lf_respawn(LiveAc& ac)
{
    if (!GUID_CHANGES.value)
        return true;
    if (LOG.value)
        gf_log(fmt::format("          {} respawns", gf_describeAc(ac)));
    liveryRespawn(ac);
    return false;
}

} // namespace

bool gf_checkRespawn(LiveAc& ac, const FeedRecord& r)
{
    if (ac.takeoffRoll || ac.approach)
        return true;
    if (ac.acState == AcState::buffer) {
        lf_takeIfNew(ac.destination, r.destination);
        lf_takeIfNew(ac.origin, r.origin);
        lf_takeIfNew(ac.callsign, r.callsign);
        lf_takeIfNew(ac.registration, r.registration);
        return true;
    }
    if (ac.acState != AcState::active || ac.flightState == FlightState::pushing_back || ac.extrapolationsLeft >= 1)
        return true;
    const bool keep = lf_routeRule(ac, r) && lf_registrationRule(ac, r);
    // a callsign the spawn would not take (longer than 8 characters) counts as none: the aircraft
    // flies under its registration, and taking the callsign would respawn it with every record
    if (r.callsign.empty() || r.callsign.size() > 8 || r.callsign == ac.callsign || r.callsign == ac.registration)
        return keep || lf_respawn(ac);
    if (r.callsign.ends_with('_')) {
        if (gf_realTwinExists(r.callsign))
            return false;
    } else {
        gf_checkGhost(r.callsign);
    }
    ac.callsign = r.callsign;
    ac.coupledCallsign1 = r.callsign;
    ac.coupledCallsign2.clear();
    return lf_respawn(ac);
}

void liveryRespawn(LiveAc& ac)
{
    try {
        auto& q = ac.samples;
        if (q.empty())
            q.push_back(FeedSample{});
        FeedSample fresh = q.front();
        const auto& p = ac.position;
        if (ac.flightState == FlightState::parked) {
            q.resize(1);
            q.front().samePosition = 1;
            q.front().track = p[POS_HEADING] * g_rad2deg;
            fresh = q.front();
        } else {
            fresh.lat = p[POS_LAT];
            fresh.lon = p[POS_LON];
            fresh.altitude = p[POS_ALT];
            fresh.bank = p[POS_BANK];
            if (gf_samePosition(fresh, q.front()))
                q.front().samePosition = 1;
        }
        fresh.dueTick = gf_clampTick(gf_tickNow() + 1);
        q.push_front(fresh);
        ac.acState = AcState::liveryrespawn;
        ac.headingOverride = p[POS_HEADING];
        gf_forgetFollowedOnRespawn(ac);
        if (ac.objectId != 0)
            g_removeDeque.push_back(ac.objectId);
        else
            gf_logError(fmt::format("{} removing act {} with objectid=0 ?", "liveryRespawn", gf_describeAc(ac)));
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "liveryRespawn", e.what()));
    }
}
