// Leaving the park airport: the static aircraft and the live aircraft on the ground leave the
// simulator (also at close-down), the park airport is cleared and the live maximum restored.
#include "airports/park_data.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/park_airport.h"
#include "traffic/park_settings.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_parking.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>

namespace {

bool lf_onGroundState(FlightState state)
{
    switch (state) {
    case FlightState::parked:
    case FlightState::pushing_back:
    case FlightState::pushed_back:
    case FlightState::taxi:
    case FlightState::take_off:
    case FlightState::parking: // driving to a stand that is dropped with the airport
        return true;
    default:
        return false;
    }
}

} // namespace

void gf_removeGroundAndStaticAc()
{
    g_staticPlan.clear();
    gf_removeAllStaticAc();
    for (LiveAc& ac : g_liveAircraft) {
        if (!lf_onGroundState(ac.flightState))
            continue;
        gf_releaseStand(ac);
        ac.standLat = ac.standLon = ac.standHeading = 0.0;
        ac.standId = 0;
        // a waiting creation is withdrawn by hex id: another aircraft may fly the same callsign
        if (ac.acState == AcState::active || ac.acState == AcState::adding2sim)
            removeAircraftFromSim(ac);
    }
    std::erase_if(g_liveAircraft, [](const LiveAc& ac) { return ac.eraseNow; });
    gf_clearParkAirport();
    if (MAX_LIVE_SEL.value != g_maxLiveGeneral) {
        MAX_LIVE_SEL.value = g_maxLiveGeneral.load();
        gf_selectChoice(MAX_LIVE_SEL);
        gf_removeExcessLiveAc();
    }
}
