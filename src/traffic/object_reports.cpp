#include "traffic/object_reports.h"

#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/random.h"
#include "foundation/shell_state.h"
#include "simlink/flight_plan.h"
#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_request_error.h"
#include "simlink/sim_state.h"
#include "traffic/ac_descriptions.h"
#include "traffic/identity_rules.h"
#include "traffic/run_flags.h"
#include "traffic/sim_handover.h"
#include "traffic/stand_parking.h"
#include "traffic/stand_names.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>

namespace {

constexpr std::int32_t g_spawnWaitPasses = 200;

void lf_assignFlightPlan(LiveAc& ac)
{
    if (ac.origin.empty() || ac.destination.empty())
        return;
    const std::filesystem::path path = g_flightPlanFolder / gf_flightPlanPath(ac.objectId);
    bool assigned = gf_writeFlightPlan(path, ac.origin, ac.destination, ac.sizeClass);
    if (assigned && g_msfs2020Mode) {
        std::lock_guard lock(g_simConnectMutex);
        assigned = SimConnect_AISetAircraftFlightPlan(g_hSimConnect, ac.objectId, path.string().c_str(),
                                                      REQ_AI_FLIGHT_PLAN) >= 0;
    }
    ac.flightPlanAssigned = assigned;
    if (!assigned)
        gf_log(fmt::format("{} creating a flight plan failed", gf_describeAc(ac)));
}

void lf_onCreatedOnGround(LiveAc& ac)
{
    ac.onGround = true;
    if (ac.sizeClass != SizeClass::Rotorcraft)
        gf_queueClientEvent({ac.objectId, EVENT_GEAR_SET, 1});
    ac.rates[POS_ALT] = 0.0;
    ac.takeoffCounter = 1;
    if (ac.flightState != FlightState::parked)
        return;
    const std::uint64_t slot = g_timeSlot;
    ac.parkedSlot = {static_cast<std::uint32_t>(slot & 0xFFFFFFFFu), static_cast<std::uint32_t>(slot >> 32)};
    const std::string stand = gf_standName(ac.standId);
    if (LOG.value)
        gf_log(fmt::format("{:8}: {:8} parks", stand, ac.callsign));
    for (StaticAc& s : g_staticAircraft) {
        if (s.acState != AcState::active || s.standId != ac.standId || ac.standId == 0)
            continue;
        gf_log(fmt::format("{:8}: {:8} parks over static {} ", stand, ac.callsign, s.callsign) + "\x97" +
               " static will be removed");
        removeAircraftFromSim(s);
        break;
    }
}

void lf_onTouchdown(LiveAc& ac)
{
    ac.noseLowering = true;
    ac.landingRoll = true;
    ac.rollStartHeading = ac.position[POS_HEADING];
    ac.approach = false;
    ac.parkRequest = true;
    if (ac.sizeClass != SizeClass::Rotorcraft)
        gf_queueClientEvent({ac.objectId, EVENT_SPOILERS_SET, 16383});
    if (ac.sizeClass != SizeClass::Light)
        gf_setSpoilersAndThrottle(ac.objectId, true, ac.reverser);
    const double n = static_cast<double>(std::max<std::uint32_t>(ac.noseLoweringTicks, 1));
    ac.rates[POS_PITCH] = (ac.staticPitch - ac.position[POS_PITCH]) / n;
    ac.rates[POS_BANK] = -ac.position[POS_BANK] / n;
    g_duplicateCheckList.push_back(ac.hexid);
}

void lf_onObjectRemoved(std::uint32_t objectId)
{
    if (objectId == 0)
        return;
    if (LiveAc* ac = gf_findLiveAcByObjectId(objectId)) {
        if (ac->acState == AcState::liveryrespawn) {
            ac->acState = AcState::buffer;
            ac->throttleIndex = 5;
            ac->flapsIndex = 4;
            ac->objectId = 0;
            return;
        }
        if (ac->flightPlanAssigned) {
            const std::filesystem::path path = g_flightPlanFolder / gf_flightPlanPath(objectId);
            if (std::filesystem::exists(path))
                std::filesystem::remove(path);
        }
        gf_releaseStand(*ac); // gone without our asking: its stand is free again
        gf_eraseByMovingLast(g_liveAircraft, ac);
    } else if (StaticAc* s = gf_findStaticAcByObjectId(objectId)) {
        gf_eraseByMovingLast(g_staticAircraft, s);
    }
}

void lf_onBlocked(std::uint32_t hexid)
{
    LiveAc* ac = gf_findLiveAc(hexid);
    if (ac == nullptr)
        return;
    if (ac->acState == AcState::buffer) {
        gf_log(fmt::format("{} will be removed from buffer while blocked", gf_describeAc(*ac)));
        ac->erase = true;
    } else if (ac->acState == AcState::active) {
        gf_log(fmt::format("{} removed from simulator immediately while blocked", gf_describeAc(*ac)));
        removeAircraftFromSim(*ac);
    }
}

void lf_onCreateRefused(std::uint32_t hexid)
{
    if (hexid > 10000) {
        if (LiveAc* ac = gf_findLiveAc(hexid)) {
            gf_releaseStand(*ac);
            gf_refuseLivery(*ac);
            gf_eraseByMovingLast(g_liveAircraft, ac);
        }
    } else if (StaticAc* s = gf_findStaticAc(hexid)) {
        gf_refuseLivery(*s);
        gf_eraseByMovingLast(g_staticAircraft, s);
    }
}

void lf_onLiveCreated(const ObjectListEntry& e)
{
    LiveAc* ac = gf_findLiveAc(e.hexIdOrOnGround);
    if (ac == nullptr || e.objectId < 3)
        return;
    ac->objectId = e.objectId;
    ac->heightAboveGround = e.valueB;
    if (!ac->samples.empty() && ac->samples.front().airborne == 0)
        lf_onCreatedOnGround(*ac);
    lf_assignFlightPlan(*ac);
    {
        std::lock_guard lock(g_simConnectMutex);
        if (SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_STATIC_CG, DEF_STATIC_CG, e.objectId,
                                              SIMCONNECT_PERIOD_ONCE) < 0) {
            gf_logError("SimConnect request StaticCG fails");
            gf_onSimConnectRequestError();
        }
    }
    g_spawnWaitList.push_back(SpawnWait{e.objectId, e.hexIdOrOnGround, 0, OBJ_OWN_LIVE_CREATED});
}

void lf_onAroundData(const ObjectListEntry& e)
{
    LiveAc* ac = e.objectId == 0 ? nullptr : gf_findLiveAcByObjectId(e.objectId);
    if (ac == nullptr)
        return;
    if (e.hexIdOrOnGround == 1 && !ac->onGround && ac->takeoffCounter < 2 &&
        ac->acState != AcState::removingfromsim && ac->flightState != FlightState::take_off) {
        if (ac->flareStage != 0 || ac->approach)
            lf_onTouchdown(*ac);
        ac->onGround = true;
        ac->rates[POS_ALT] = 0.0;
        ac->takeoffCounter = 1;
    }
    ac->heightAboveGround = e.valueB;
    if (ac->onGround || ac->takeoffCounter > 1)
        ac->position[POS_ALT] = e.valueA + ac->staticCgHeightFt;
}

void lf_onStaticCg(const ObjectListEntry& e)
{
    LiveAc* ac = e.objectId == 0 ? nullptr : gf_findLiveAcByObjectId(e.objectId);
    if (ac == nullptr)
        return;
    if (e.valueA >= 1.0 && e.valueA <= 35.0)
        ac->staticCgHeightFt = e.valueA;
    ac->staticPitch = e.valueB;
    if (ac->staticPitch <= -0.017453292519943295 || ac->staticPitch > 0.04363323129985824)
        ac->staticPitch = 0.012217304763960306;
}

void lf_activateLiveAc(LiveAc& ac)
{
    const bool rotorcraft = ac.sizeClass == SizeClass::Rotorcraft;
    const bool airborne = !ac.samples.empty() && ac.samples.front().airborne != 0;
    if (airborne) {
        gf_queueClientEvent({ac.objectId, EVENT_ENGINE_AUTO_START, 0});
        if (!rotorcraft)
            gf_queueClientEvent({ac.objectId, EVENT_SPOILERS_SET, 0});
        const std::uint32_t low = ac.position[POS_ALT] <= 10000.0 ? 1 : 0;
        gf_setLights(ac.objectId, {1, 1, low, 0, 1, low, ac.heightAboveGround >= 2000.0 ? 1u : 0u});
    } else {
        if (!rotorcraft)
            gf_queueClientEvent({ac.objectId, EVENT_SPOILERS_SET, 0});
        const bool parked = ac.flightState == FlightState::parked;
        std::uint32_t nav = 1;
        if (!parked) {
            gf_queueClientEvent({ac.objectId, EVENT_ENGINE_AUTO_START, 0});
        } else {
            gf_queueClientEvent({ac.objectId, EVENT_ENGINE_AUTO_SHUTDOWN, 0});
            nav = NAV_LIGHTS_WHILE_PARKED.value ? 1 : 0;
        }
        gf_setLights(ac.objectId, {nav, parked ? 0u : 1u, 0, ac.flightState == FlightState::taxi ? 1u : 0u, 0, 1, 1});
        gf_setThrottle(ac, rotorcraft ? 4 : 0);
        gf_setFlaps(ac, ac.flightState == FlightState::taxi ? 1 : 0);
    }
    ac.acState = AcState::active;
}

void lf_toggleAllLights(std::uint32_t objectId)
{
    std::lock_guard lock(g_simConnectMutex);
    if (SimConnect_TransmitClientEvent(g_hSimConnect, objectId, EVENT_ALL_LIGHTS_TOGGLE, 0, GROUP_AI_EVENTS, 0) < 0) {
        gf_logError("SimConnect gf_allLightsToggle fails");
        gf_onSimConnectRequestError();
    }
}

// A removal asked while the creation was under way: the object goes now that it exists.
void lf_removeIfAsked(AcRecord& ac)
{
    if (!ac.removeWhenCreated)
        return;
    ac.removeWhenCreated = false; // else the removal would see the flag and do nothing
    removeAircraftFromSim(ac);
}

void lf_processSpawnWaitList()
{
    bool finished = false;
    for (SpawnWait& w : g_spawnWaitList) {
        if (w.counter < 0)
            continue;
        if (w.counter < g_spawnWaitPasses) {
            ++w.counter;
            if (w.kind == OBJ_OWN_LIVE_CREATED && (w.counter == 50 || w.counter == 100))
                lf_toggleAllLights(w.objectId);
            continue;
        }
        if (w.kind == OBJ_OWN_STATIC_CREATED) {
            if (StaticAc* s = gf_findStaticAc(w.hexId)) {
                s->objectId = w.objectId;
                s->acState = AcState::active;
                gf_parkStaticAc(*s);
                if (LOG.value)
                    gf_log(fmt::format("{:8}: {:8} parked", gf_standName(s->standId), s->callsign));
                lf_removeIfAsked(*s);
            }
        } else if (LiveAc* ac = gf_findLiveAc(w.hexId); ac != nullptr && ac->objectId == w.objectId) {
            // only the record this object was created for: when the object went during its wait,
            // a later record of the same hex id has no object yet
            lf_activateLiveAc(*ac);
            lf_removeIfAsked(*ac);
        }
        w.counter = -1;
        finished = true;
    }
    if (finished)
        std::erase_if(g_spawnWaitList, [](const SpawnWait& w) { return w.counter < 0; });
}

} // namespace

void gf_parkStaticAc(AcRecord& ac)
{
    if (ac.throttleIndex != 0) {
        gf_queueClientEvent({ac.objectId, EVENT_THROTTLE_SET, 0});
        ac.throttleIndex = 0;
    }
    gf_setFlaps(ac, 0);
    gf_queueClientEvent({ac.objectId, EVENT_ENGINE_AUTO_SHUTDOWN, 0});
    const std::uint32_t cabin = ac.darkCabin ? 0 : (gf_randomGenerator()() % 10 < 9 ? 1 : 0);
    gf_setLights(ac.objectId, {NAV_LIGHTS_WHILE_PARKED.value ? 1u : 0u, 0, 0, 0, 0, 1, cabin});
}

void gf_processObjectList()
{
    std::lock_guard lock(g_objectListMutex);
    for (const ObjectListEntry& e : g_objectList) {
        switch (e.kind) {
        case OBJ_OWN_LIVE_CREATED:
            lf_onLiveCreated(e);
            break;
        case OBJ_OWN_STATIC_CREATED:
            g_spawnWaitList.push_back(SpawnWait{e.objectId, e.hexIdOrOnGround, 0, OBJ_OWN_STATIC_CREATED});
            break;
        case OBJ_REMOVED:
            lf_onObjectRemoved(e.objectId);
            break;
        case OBJ_OTHER_IN_RANGE:
            lf_onAroundData(e);
            break;
        case OBJ_STATIC_CG:
            lf_onStaticCg(e);
            break;
        case OBJ_FEED_BLOCKED:
            lf_onBlocked(e.hexIdOrOnGround);
            break;
        case OBJ_CREATE_REFUSED:
            lf_onCreateRefused(e.hexIdOrOnGround);
            break;
        default:
            break;
        }
    }
    g_objectList.clear();
    if (!g_spawnWaitList.empty())
        lf_processSpawnWaitList();
}
