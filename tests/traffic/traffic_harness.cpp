#include "traffic_harness.h"

#include "aircraft/dbase.h"
#include "aircraft/livery_match_hooks.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_tables.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "feed/feed_hooks.h"
#include "foundation/geometry.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/random.h"
#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "simlink/flight_plan.h"
#include "simlink/object_list.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/run_flags.h"
#include "traffic/stand_learning.h"
#include "traffic/traffic_hooks.h"
#include "traffic/traffic_jobs.h"
#include "traffic/user_snapshot.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace traffictest {

// ---- FakeSimLink

HRESULT FakeSimLink::open(HSIMCONNECT* handle, const char*)
{
    static int token = 0;
    *handle = reinterpret_cast<HSIMCONNECT>(&token);
    return SIMCONNECT_OK;
}

HRESULT FakeSimLink::requestDataOnSimObject(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID requestId,
                                            SIMCONNECT_DATA_DEFINITION_ID, SIMCONNECT_OBJECT_ID objectId,
                                            SIMCONNECT_PERIOD)
{
    std::lock_guard lock(m_mutex);
    requests.push_back({g_tick.load(), requestId});
    if (requestId == REQ_STATIC_CG)
        m_staticCgAsked.push_back(objectId);
    return SIMCONNECT_OK;
}

HRESULT FakeSimLink::requestDataOnSimObjectType(HSIMCONNECT, SIMCONNECT_DATA_REQUEST_ID requestId,
                                                SIMCONNECT_DATA_DEFINITION_ID, std::uint32_t, SIMCONNECT_SIMOBJECT_TYPE)
{
    std::lock_guard lock(m_mutex);
    requests.push_back({g_tick.load(), requestId});
    if (requestId == REQ_AC_WITHIN_RANGE)
        m_inRangeAsked = true;
    return SIMCONNECT_OK;
}

HRESULT FakeSimLink::transmitClientEvent(HSIMCONNECT, SIMCONNECT_OBJECT_ID objectId, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                         std::uint32_t data, SIMCONNECT_NOTIFICATION_GROUP_ID)
{
    std::lock_guard lock(m_mutex);
    events.push_back({objectId, eventId, data});
    return SIMCONNECT_OK;
}

void FakeSimLink::frame()
{
    std::vector<ObjectListEntry> reports;
    {
        std::lock_guard queues(g_simConnectMutex);
        std::lock_guard lock(m_mutex);
        for (const AiPosition& p : *g_posBack) {
            const auto it = objects.find(p.objectId);
            if (it == objects.end() || it->second.removed)
                continue;
            positions[p.objectId].push_back(p);
            it->second.lat = p.latitude;
            it->second.lon = p.longitude;
            it->second.altitude = p.altitude;
        }
        g_posBack->clear();
        events.insert(events.end(), g_eventQueue.begin(), g_eventQueue.end());
        g_eventQueue.clear();
        for (const CreateRequest& c : g_createQueue) {
            creates.push_back(c);
            createTicks.push_back(g_tick);
            if (refusedTitles.count(c.liveryTitle) != 0) {
                reports.push_back({0, c.hexId, 0, OBJ_CREATE_REFUSED, 0.0, 0.0});
                continue;
            }
            Object o;
            o.id = m_nextId++;
            o.hexId = c.hexId;
            o.callsign = c.callsign;
            o.title = c.liveryTitle;
            o.lat = c.initPos.Latitude;
            o.lon = c.initPos.Longitude;
            o.altitude = std::max(c.initPos.Altitude, groundFt);
            objects[o.id] = o;
        }
        g_createQueue.clear();
        for (const std::uint32_t id : g_removeQueue) {
            removals.push_back(id);
            removalTicks.push_back(g_tick);
            if (auto it = objects.find(id); it != objects.end() && !it->second.removed) {
                it->second.removed = true;
                reports.push_back({id, 0, 0, OBJ_REMOVED, 0.0, 0.0});
            }
        }
        g_removeQueue.clear();
        for (const std::uint32_t id : m_staticCgAsked)
            reports.push_back({id, 0, 0, OBJ_STATIC_CG, staticCgFt, staticPitchRad});
        m_staticCgAsked.clear();
        if (m_inRangeAsked) {
            m_inRangeAsked = false;
            for (auto& [id, o] : objects) {
                if (o.removed)
                    continue;
                const double aboveGround = o.altitude - groundFt;
                if (!o.reported) {
                    o.reported = true;
                    const std::uint32_t kind = o.hexId <= 10000 ? OBJ_OWN_STATIC_CREATED : OBJ_OWN_LIVE_CREATED;
                    reports.push_back({id, o.hexId, 0, kind, 0.0, aboveGround});
                } else if (aboveGround <= 2500.0) {
                    const std::uint32_t onGround = aboveGround <= staticCgFt + 1.0 ? 1 : 0;
                    reports.push_back({id, onGround, 0, OBJ_OTHER_IN_RANGE, groundFt, aboveGround});
                }
            }
        }
    }
    for (const ObjectListEntry& e : reports)
        gf_pushObjectListEntry(e);
}

const FakeSimLink::Object* FakeSimLink::objectOfHex(std::uint32_t hexId) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& [id, o] : objects)
        if (o.hexId == hexId)
            return &o;
    return nullptr;
}

std::vector<ClientEvent> FakeSimLink::eventsOf(std::uint32_t objectId) const
{
    std::lock_guard lock(m_mutex);
    std::vector<ClientEvent> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [&](const ClientEvent& e) { return e.objectId == objectId; });
    return found;
}

// ---- feeds

FeedRecord Trajectory::at(double recordTime) const
{
    const double hours = (recordTime - startTime) / 3600.0;
    const LatLon p = gf_destinationPoint(LatLon{lat, lon}, trackDeg * g_deg2rad, groundSpeedKt * hours * 6076.11549);
    FeedRecord r;
    r.type = type;
    r.origin = origin;
    r.destination = destination;
    r.callsign = callsign;
    r.registration = registration;
    r.hexId = hexId;
    r.recordTime = recordTime;
    FeedSample& s = r.sample;
    s.lat = p.lat;
    s.lon = p.lon;
    s.altitude = altitudeFt > 0.0 ? std::max(0.0, altitudeFt + verticalRateFpm * hours * 60.0) : 0.0;
    s.groundSpeed = groundSpeedKt;
    s.track = trackDeg;
    s.verticalRate = altitudeFt > 0.0 ? verticalRateFpm : 0.0;
    s.airspeed = groundSpeedKt;
    s.airborne = s.altitude > 0.0 ? 1 : 0;
    return r;
}

Trajectory trackOf(std::uint32_t hexId, const std::string& callsign, double lat, double lon)
{
    Trajectory t;
    std::tie(t.hexId, t.callsign, t.lat, t.lon, t.startTime) = std::tuple{hexId, callsign, lat, lon, 1.7e9};
    return t;
}

void applySamples(const Trajectory& t, int count, std::uint32_t firstDue)
{
    for (int i = 0; i < count; ++i) {
        FeedRecord r = t.at(t.startTime + 5.0 * i);
        r.sample.dueTick = firstDue + 500 * static_cast<std::uint32_t>(i);
        gf_applyFeedRecord(r);
    }
}

std::vector<FeedRecord> SyntheticFeed::snapshot(double recordTime) const
{
    std::vector<FeedRecord> batch;
    for (const Trajectory& t : tracks)
        batch.push_back(t.at(recordTime));
    return batch;
}

void SyntheticFeed::deliverStartup() const
{
    for (std::uint32_t k = 0; k < 5; ++k) {
        auto batch = snapshot(m_epoch + 6.0 * k);
        gf_queueFeedBatch(batch, 6 * k, g_timeOffset);
    }
}

void SyntheticFeed::deliverLoop() const
{
    const std::uint32_t tick = g_tick;
    if (stopped || tick == 0 || tick % 200 != 0)
        return;
    auto batch = snapshot(m_epoch + 30.0 + tick / 100.0);
    gf_queueFeedBatch(batch, 30, g_timeOffset);
}

// ---- driver

void TickDriver::pass()
{
    if (beforePass)
        beforePass();
    gf_handleAddingStack();
    m_sim.frame();
    if (afterPass)
        afterPass();
}

void TickDriver::run(int passes)
{
    for (int i = 0; i < passes; ++i)
        pass();
}

bool TickDriver::runUntil(const std::function<bool()>& condition, int limit)
{
    for (int i = 0; i < limit; ++i) {
        pass();
        if (condition())
            return true;
    }
    return false;
}

// ---- fixture

namespace {

void lf_installLiveries()
{
    gf_resetLiveryTables();
    g_liveryRecords = {
        {"BAW", "A319", "Airbus A319 British Airways", "", 0, false},
        {"DLH", "A320", "Airbus A320 Lufthansa", "", 0, false},
        {"DLH", "A320", "Airbus A320 Lufthansa Retro", "", 0, false},
        {"DLH", "B744", "Boeing 747-400 Lufthansa", "", 0, false},
        {"EZY", "A320", "Airbus A320 easyJet", "", 0, false},
        {"ZZZ", "C172", "Cessna 172 White", "", 0, false},
    };
    gf_sortLiveryRecords(g_liveryRecords);
    gf_installLiveryTables();
    gf_clearLiveryTables();
    gf_buildLiveryTitles();
    gf_buildAirlineTables();
    gf_buildTypeTables();
    g_liveriesProcessed = true;
}

void lf_resetTraffic()
{
    gf_resetTrafficState();
    gf_resetRefusedLiveries();
    gf_resetSimLinkState();
    gf_resetUserSnapshot();
    gf_resetParkData();
    gf_resetParkApf();
    g_addStandOption = nullptr;
    g_tick = 0;
}

} // namespace

TrafficTest::TrafficTest()
{
    gf_initDataPaths();
    gf_resetOptions();
    gf_clearStatusAndError();
    gf_resetFeedHooks();
    gf_resetLiveryMatchHooks();
    gf_installTrafficHooks();
    gf_randomGenerator().seed(7u);
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A319", "A320", "B744", "C172"};
    g_dbase.largeTypes = {"A319", "A320"};
    g_dbase.heavyTypes = {"B744"};
    g_dbase.records = {{"D-AIPX", {"DLH", "A320", "", false}}, {"G-EUPA", {"BAW", "A319", "BAW", false}}};
    lf_installLiveries();
    gf_createFlightPlanFolder();
    gf_setSimConnectBackend(sim);
    restart();
}

void TrafficTest::restart()
{
    driver.beforePass = driver.afterPass = nullptr;
    lf_resetTraffic();
    HSIMCONNECT handle = nullptr;
    sim->open(&handle, "test");
    g_hSimConnect = handle;
    g_simRunning = true;
    g_frameRate = 30.0f;
    g_userObjectId = 1;
    setUser(50.0, 7.48, 0.0, true); // 20 nm west of 50 N 8 E
    gf_setRunning(true);
}

TrafficTest::~TrafficTest()
{
    gf_setRunning(false);
    lf_resetTraffic();
    gf_setSimConnectBackend(nullptr);
    gf_resetLiveryTables();
    gf_resetLiveryMatchHooks();
    gf_resetFeedHooks();
    gf_resetDbase();
    gf_removeFlightPlanFolder();
    gf_resetOptions();
}

void TrafficTest::setUser(double lat, double lon, double altitudeFt, bool onGround)
{
    UserAcData user{};
    user.latitude = lat;
    user.longitude = lon;
    user.altitude = altitudeFt;
    user.altitudeAboveGround = altitudeFt;
    {
        std::lock_guard lock(g_userDataMutex);
        g_userData = user;
    }
    gf_setUserSnapshot(user);
    g_userOnGround = onGround;
}

double metresBetween(const AiPosition& a, const AiPosition& b)
{
    return gf_distanceNm(LatLon{a.latitude, a.longitude}, LatLon{b.latitude, b.longitude}) * 1852.0;
}

} // namespace traffictest
