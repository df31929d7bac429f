// One pass of the traffic work and its hand-over to the simulator link, and the containers'
// set-up and reset around the runs.
#include "airports/park_data.h"
#include "feed/live_records.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_request_error.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "traffic/ac_descriptions.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/live_ac_utilities.h"
#include "traffic/live_update.h"
#include "traffic/parked_counts.h"
#include "traffic/park_airport_handling.h"
#include "traffic/run_flags.h"
#include "traffic/stand_learning.h"
#include "traffic/static_plan.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>
#include <utility>

namespace {

void lf_swapPositionBuffers()
{
    std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (g_frameRate <= 50.0f) {
            g_posFront->clear(); // the simulator is busy: this pass's positions are dropped
            return;
        }
        lock.lock();
    }
    std::swap(g_posFront, g_posBack);
    g_posFront->clear();
    g_posBackTick = g_tick;
}

void lf_updateAllLiveAc()
{
    bool erase = false;
    for (LiveAc& ac : g_liveAircraft)
        erase = updateLiveAc(ac) || erase;
    if (erase)
        gf_eraseMarkedLiveAc();
    lf_swapPositionBuffers();
}

// One removal every 10 passes, one creation every 50 (live before static).
void lf_paceSimRequests()
{
    const std::uint32_t tick = g_tick;
    if (tick % 10 == 0 && !g_removeDeque.empty()) {
        {
            std::lock_guard lock(g_simConnectMutex);
            g_removeQueue.push_back(g_removeDeque.front());
        }
        g_removeDeque.pop_front();
    }
    if (tick % 50 != 0)
        return;
    if (!g_createDeque.empty()) {
        gf_queueCreate(g_createDeque.front());
        g_createDeque.pop_front();
        return;
    }
    if (!g_staticCreateDeque.empty()) {
        gf_queueCreate(g_staticCreateDeque.front());
        g_staticCreateDeque.pop_front();
    }
    if (!g_staticPlan.empty())
        gf_placeNextStaticAc();
}

void lf_applyFeedStack()
{
    std::vector<FeedRecord> taken;
    {
        std::lock_guard lock(g_flagsMutex);
        for (int i = 0; i < 2 && !g_feedStack.empty(); ++i) {
            taken.push_back(std::move(g_feedStack.back()));
            g_feedStack.pop_back();
        }
    }
    for (const FeedRecord& r : taken)
        gf_applyFeedRecord(r);
}

void lf_createFromAddingStack()
{
    if (g_addingStack.empty())
        return;
    const std::uint32_t hexid = g_addingStack.back();
    g_addingStack.pop_back();
    const LiveAc* ac = gf_findLiveAc(hexid);
    if (ac == nullptr)
        return;
    if (ac->callsign.empty()) {
        gf_log(fmt::format("{} {} objectid = 0?", "lf_handleAddingStack", gf_describeAc(*ac)));
        return;
    }
    const auto& p = ac->position;
    CreateRequest request;
    request.initPos.Latitude = p[POS_LAT];
    request.initPos.Longitude = p[POS_LON];
    request.initPos.Altitude = p[POS_ALT];
    request.initPos.Pitch = p[POS_PITCH] * g_rad2deg;
    request.initPos.Bank = p[POS_BANK] * g_rad2deg;
    request.initPos.Heading = p[POS_HEADING] * g_rad2deg;
    request.initPos.OnGround = 0;
    request.initPos.Airspeed = 0;
    request.callsign = ac->callsign;
    request.liveryTitle = gf_ownedLiveryTitle(*ac);
    request.hexId = hexid;
    g_createDeque.push_back(std::move(request));
}

void lf_requestAircraftInRange()
{
    std::lock_guard lock(g_simConnectMutex);
    if (g_simRequestError)
        return;
    if (SimConnect_RequestDataOnSimObjectType(g_hSimConnect, REQ_AC_WITHIN_RANGE, DEF_AC_BY_TYPE,
                                              static_cast<std::uint32_t>(std::max(0, g_rangeMeters.load())),
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT) < 0) {
        gf_logError("SimConnect request ac within range fails");
        gf_onSimConnectRequestError();
    }
}

} // namespace

void gf_handleAddingStack()
{
    gf_processObjectList();
    lf_updateAllLiveAc();
    lf_paceSimRequests();
    gf_continueStaticParking();
    lf_applyFeedStack();
    lf_createFromAddingStack();
    const std::uint32_t tick = g_tick;
    if (tick % 20 == 0)
        lf_requestAircraftInRange();
    if (tick % 100 == 0)
        gf_setUserSnapshot(gf_requestUserData());
    ++g_tick;
}

void gf_initTrafficContainers()
{
    static bool reserved = false;
    if (reserved)
        return;
    reserved = true;
    g_liveAircraft.reserve(512);
    g_staticAircraft.reserve(256);
    {
        std::lock_guard lock(g_objectListMutex);
        g_objectList.reserve(256);
        g_spawnWaitList.reserve(128);
    }
    g_addingStack.reserve(64);
    std::filesystem::remove(g_callsignListFile);
}

void gf_resetTrafficState()
{
    gf_resetParkAirportHandling();
    {
        std::lock_guard lock(g_objectListMutex);
        g_objectList.clear();
        g_spawnWaitList.clear();
    }
    gf_clearGhostCallsigns();
    gf_clearRememberedLiveries();
    g_addingStack.clear();
    g_removeDeque.clear();
    g_createDeque.clear();
    g_staticCreateDeque.clear();
    g_staticAircraft.clear();
    gf_resetStaticParking();
    {
        std::lock_guard lock(g_flagsMutex);
        g_feedStack.clear();
    }
    g_liveAircraft.clear();
    for (Stand& stand : g_parkStands)
        stand.liveOccupied = false; // no live aircraft of this run stands there any more
    g_duplicateCheckList.clear();
    gf_clearParkedIds();
    gf_forgetKeptOut();
    g_maxParked = 0;
    g_maxParkedPercent = 0;
    g_meanStaticParkedHours = 0.0f;
    g_meanLiveParkedHours = 0.0f;
    gf_resetUpdateJobs();
    std::filesystem::remove(g_callsignListFile);
    g_qnh = 1013;
    g_timeSlot = 0;
    gf_clearNoMatchList();
    gf_resetLatestFeedTime();
}
