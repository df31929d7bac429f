// The reserved stand: the stand at the park airport where the user aircraft was parked, kept
// free of static and parked live aircraft, and taken anew from the re-read park-airport list.
#include "airports/park_airport_list.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "simlink/user_aircraft.h"
#include "traffic/park_airport_hooks.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>

namespace {

Stand* lf_standNamed(const std::string& name)
{
    if (name.empty())
        return nullptr;
    return findStandByName(name);
}


} // namespace

bool gf_reservedStandNamed() { return !g_reservedStand.get().empty(); }

void gf_freeReservedStand()
{
    // a reserved name that no stand has frees nothing: aircraft without a stand carry id 0 too
    const Stand* stand = lf_standNamed(g_reservedStand.get());
    if (stand == nullptr)
        return;
    const std::uint32_t id = stand->id;
    if (gf_removeFirst(g_staticAircraft,
                       [id](const StaticAc& s) { return s.acState == AcState::active && s.standId == id; }))
        return;
    gf_removeFirst(g_liveAircraft, [id](const LiveAc& ac) {
        return ac.acState == AcState::active && ac.flightState == FlightState::parked && ac.standId == id;
    });
}

void gf_checkParkAirportsAndStands(bool takeUserStand, std::string& message)
{
    if (!gf_readMyParkAirports())
        return;
    if (takeUserStand && g_userOnGroundKnown && !gf_busyHook() && gf_userStandName().empty()) {
        std::string remembered;
        {
            std::lock_guard lock(g_parkDataMutex);
            if (!g_myParkAirports.empty() && !parkAirport.code.empty() &&
                g_myParkAirports.front().code == parkAirport.code)
                remembered = g_myParkAirports.front().stand;
        }
        const std::string old = g_reservedStand.get();
        if (!remembered.empty() && remembered != old) {
            message = fmt::format("reserved stand changed from '{}' to '{}'", old, remembered);
            if (Stand* previous = lf_standNamed(old))
                previous->excluded = false;
            g_reservedStand.set(remembered);
            gf_freeReservedStand();
            Stand* reserved = lf_standNamed(remembered);
            if (reserved != nullptr)
                reserved->excluded = true;
            g_parkFileDisplay.reservedStand = remembered;
            g_parkFileDisplay.reservedStandOk = reserved != nullptr;
            gf_showParkFileDisplay();
        }
    }
    if (message.empty())
        message = "park airports and stands are okay";
}
