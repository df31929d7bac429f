#include "traffic/live_ac_utilities.h"

#include "foundation/geometry.h"
#include "foundation/option_table.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_parking.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"
#include "traffic/run_flags.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <mutex>

bool gf_removeOneLiveAc(double d)
{
    const UserAcData user = gf_copyUserSnapshot();
    const LatLon u{user.latitude, user.longitude};
    LiveAc* pick = nullptr;
    double farthest = d;
    for (LiveAc& ac : g_liveAircraft) {
        if (ac.acState != AcState::active)
            continue;
        const double distance = gf_distanceNm(u, LatLon{ac.position[POS_LAT], ac.position[POS_LON]});
        if (distance > farthest + 0.1) {
            pick = &ac;
            farthest = distance;
        }
    }
    if (pick == nullptr)
        return true;
    removeAircraftFromSim(*pick);
    return false;
}

void gf_removeExcessLiveAc()
{
    const auto active = std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(),
                                      [](const LiveAc& ac) { return ac.acState == AcState::active; });
    for (auto excess = active - MAX_LIVE_SEL.value; excess > 0; --excess)
        gf_removeOneLiveAc(-1.0);
}

std::int32_t gf_countActiveLiveAc()
{
    return static_cast<std::int32_t>(std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(), [](const LiveAc& ac) {
        return ac.acState == AcState::active && ac.flightState != FlightState::parked;
    }));
}

void gf_removeLiveAcForTimeShift()
{
    // aircraft of the old time: those in the simulator leave it, waiting creations are withdrawn,
    // those still collecting samples are forgotten, those leaving for another livery do not return,
    // and the feed's records not yet applied make none again
    {
        std::lock_guard lock(g_flagsMutex);
        g_feedStack.clear();
    }
    for (LiveAc& ac : g_liveAircraft)
        if (ac.acState == AcState::active || ac.acState == AcState::buffer || ac.acState == AcState::liveryrespawn ||
            (ac.acState == AcState::adding2sim && !ac.removeWhenCreated))
            removeAircraftFromSim(ac);
    gf_eraseMarkedLiveAc();
}

void gf_eraseMarkedLiveAc()
{
    const auto lt_marked = [](const LiveAc& ac) { return ac.erase || ac.eraseNow; };
    for (LiveAc& ac : g_liveAircraft)
        if (lt_marked(ac))
            gf_releaseStand(ac); // one dropped before it is shown again holds no stand
    std::erase_if(g_liveAircraft, lt_marked);
}
