#include "simconnect/sim_model.h"

#include "simconnect/sim_model_messages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <pugixml.hpp>

namespace {

std::string lf_upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::string lf_quoted(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

std::string lf_number(double x)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.10g", x);
    return buffer.data();
}

std::string lf_u(std::uint32_t n) { return std::to_string(n); }

struct LoadedFlightPlan {
    std::string departure;
    std::string destination;
};

// A flight-plan file as the simulator takes it: an XML document whose SimBase.Document holds a
// FlightPlan.FlightPlan; nothing when the file cannot be read or is no such document.
std::optional<LoadedFlightPlan> lf_loadFlightPlan(const char* path)
{
    if (path == nullptr)
        return std::nullopt;
    pugi::xml_document doc;
    if (!doc.load_file(path))
        return std::nullopt;
    const pugi::xml_node plan = doc.child("SimBase.Document").child("FlightPlan.FlightPlan");
    if (!plan)
        return std::nullopt;
    return LoadedFlightPlan{plan.child_value("DepartureID"), plan.child_value("DestinationID")};
}

HSIMCONNECT lf_handleOf(std::uint32_t sessionId)
{
    return reinterpret_cast<HSIMCONNECT>(static_cast<std::uintptr_t>(sessionId));
}

const char* lf_typeName(SIMCONNECT_DATATYPE type)
{
    static constexpr std::array<const char*, 12> names{"INVALID",   "INT32",     "INT64",     "FLOAT32",
                                                       "FLOAT64",   "STRING8",   "STRING32",  "STRING64",
                                                       "STRING128", "STRING256", "STRING260", "STRINGV"};
    return type < names.size() ? names[type] : "?";
}

bool lf_isText(SIMCONNECT_DATATYPE type) { return type >= SIMCONNECT_DATATYPE_STRING8; }

// the simulator's events that client events can be mapped to
bool lf_knownClientEvent(const std::string& name)
{
    static constexpr std::array<const char*, 17> names{
        "BEACON_LIGHTS_SET", "NAV_LIGHTS_SET",     "TAXI_LIGHTS_SET",   "STROBES_SET",
        "LANDING_LIGHTS_SET", "CABIN_LIGHTS_SET",  "LOGO_LIGHTS_SET",   "ALL_LIGHTS_TOGGLE",
        "FREEZE_LATITUDE_LONGITUDE_SET",           "FREEZE_ALTITUDE_SET", "FREEZE_ATTITUDE_SET",
        "FLAPS_SET",         "SPOILERS_SET",       "GEAR_SET",          "ENGINE_AUTO_START",
        "ENGINE_AUTO_SHUTDOWN", "THROTTLE_SET"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool lf_knownSystemEvent(const std::string& upperName)
{
    static constexpr std::array<const char*, 5> names{"SIM", "OBJECTADDED", "OBJECTREMOVED", "FRAME",
                                                      "FLIGHTLOADED"};
    return std::find(names.begin(), names.end(), upperName) != names.end();
}

double lf_fraction(std::uint32_t value) { return std::clamp(static_cast<double>(value) / 16383.0, 0.0, 1.0) * 100.0; }

void lf_applyEvent(SimObjectState& o, const std::string& event, std::uint32_t data)
{
    const bool on = data != 0;
    if (event == "NAV_LIGHTS_SET")
        o.navLights = on;
    else if (event == "BEACON_LIGHTS_SET")
        o.beaconLights = on;
    else if (event == "LANDING_LIGHTS_SET")
        o.landingLights = on;
    else if (event == "TAXI_LIGHTS_SET")
        o.taxiLights = on;
    else if (event == "STROBES_SET")
        o.strobeLights = on;
    else if (event == "LOGO_LIGHTS_SET")
        o.logoLights = on;
    else if (event == "CABIN_LIGHTS_SET")
        o.cabinLights = on;
    else if (event == "ALL_LIGHTS_TOGGLE") {
        for (bool* light : {&o.navLights, &o.beaconLights, &o.landingLights, &o.taxiLights, &o.strobeLights,
                            &o.logoLights, &o.cabinLights})
            *light = !*light;
    } else if (event == "FREEZE_LATITUDE_LONGITUDE_SET")
        o.freezeLatLon = on;
    else if (event == "FREEZE_ALTITUDE_SET")
        o.freezeAltitude = on;
    else if (event == "FREEZE_ATTITUDE_SET")
        o.freezeAttitude = on;
    else if (event == "FLAPS_SET")
        o.flapsPercent = lf_fraction(data);
    else if (event == "SPOILERS_SET")
        o.spoilersPercent = lf_fraction(data);
    else if (event == "GEAR_SET")
        o.gearDown = on;
    else if (event == "ENGINE_AUTO_START")
        o.enginesRunning = true;
    else if (event == "ENGINE_AUTO_SHUTDOWN")
        o.enginesRunning = false;
    else if (event == "THROTTLE_SET")
        o.throttle1Percent = o.throttle2Percent = lf_fraction(data);
}

} // namespace

// ---------------------------------------------------------------- bookkeeping

SimModel::SimModel(SimScenario scenario)
    : m_scenario(std::move(scenario)), m_frameRate(m_scenario.frameRate), m_simRunning(m_scenario.simRunning)
{
    m_user.id = userObjectId;
    m_user.user = true;
    m_user.title = m_scenario.userTitle;
    m_user.atcModel = m_scenario.userAtcModel;
    m_user.atcId = m_scenario.userAtcId;
    m_user.staticCgFt = 5.0;
    std::lock_guard lock(m_mutex);
    moveUser();
}

SimModel::Session* SimModel::findSession(HSIMCONNECT handle)
{
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
    const auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : &it->second;
}

bool SimModel::failing(const std::string& call)
{
    const auto it = m_failing.find(call);
    if (it == m_failing.end() || it->second == 0)
        return false;
    if (it->second > 0)
        --it->second;
    return true;
}

void SimModel::logCall(const std::string& text)
{
    if (m_logCalls)
        m_callLog.push_back(text);
}

bool SimModel::beginCall(HSIMCONNECT handle, const std::string& call, const std::string& logText, Session*& session)
{
    logCall(call + "(" + logText + ")");
    session = findSession(handle);
    if (session == nullptr || session->quitDelivered || failing(call))
        return false;
    ++session->lastPacket;
    return true;
}

void SimModel::queueExceptionLocked(Session& s, std::uint32_t exception, std::uint32_t sendId, std::uint32_t index)
{
    SIMCONNECT_RECV_EXCEPTION rec{};
    rec.dwException = exception;
    rec.dwSendID = sendId;
    rec.dwIndex = index;
    s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EXCEPTION));
}

SimObjectState* SimModel::findObject(std::uint32_t objectId)
{
    if (objectId == SIMCONNECT_OBJECT_ID_USER || objectId == userObjectId)
        return &m_user;
    const auto it = m_ai.find(objectId);
    return it == m_ai.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- connection

HRESULT SimModel::open(HSIMCONNECT* handle, const char* name)
{
    std::lock_guard lock(m_mutex);
    ++m_openAttempts;
    logCall("Open(" + lf_quoted(name) + ")");
    if (handle == nullptr || name == nullptr || !m_reachable || m_quit || failing("Open"))
        return SIMCONNECT_FAIL;
    const std::uint32_t id = m_nextSessionId++;
    Session& s = m_sessions[id];
    s.id = id;
    s.name = name;
    SIMCONNECT_RECV_OPEN rec{};
    gf_copyFixedText(rec.szApplicationName, m_scenario.simulatorName);
    rec.dwApplicationVersionMajor = m_scenario.simulatorVersion[0];
    rec.dwApplicationVersionMinor = m_scenario.simulatorVersion[1];
    rec.dwApplicationBuildMajor = m_scenario.simulatorVersion[2];
    rec.dwApplicationBuildMinor = m_scenario.simulatorVersion[3];
    rec.dwSimConnectVersionMajor = 11;
    rec.dwSimConnectVersionMinor = 0;
    rec.dwSimConnectBuildMajor = 62651;
    rec.dwSimConnectBuildMinor = 3;
    s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_OPEN));
    *handle = lf_handleOf(id);
    return SIMCONNECT_OK;
}

HRESULT SimModel::close(HSIMCONNECT handle)
{
    std::lock_guard lock(m_mutex);
    logCall("Close()");
    if (failing("Close"))
        return SIMCONNECT_FAIL;
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
    return m_sessions.erase(id) > 0 ? SIMCONNECT_OK : SIMCONNECT_FAIL;
}

HRESULT SimModel::callDispatch(HSIMCONNECT handle, DispatchProc proc, void* context)
{
    std::size_t pending = 0;
    {
        std::lock_guard lock(m_mutex);
        Session* s = findSession(handle);
        if (s == nullptr || s->quitDelivered || proc == nullptr || failing("CallDispatch"))
            return SIMCONNECT_FAIL;
        pending = s->queue.size();
    }
    // only what was queued when the call began, one message at a time, the lock released
    for (std::size_t i = 0; i < pending; ++i) {
        SimModelMessage m;
        {
            std::lock_guard lock(m_mutex);
            Session* s = findSession(handle);
            if (s == nullptr || s->queue.empty())
                break;
            m = std::move(s->queue.front());
            s->queue.pop_front();
            if (m.quit)
                s->quitDelivered = true;
        }
        proc(reinterpret_cast<SIMCONNECT_RECV*>(m.storage.data()), m.size, context);
    }
    return SIMCONNECT_OK;
}

// ---------------------------------------------------------------- registrations

HRESULT SimModel::subscribeToSystemEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId, const char* name)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "SubscribeToSystemEvent", lf_u(eventId) + ", " + lf_quoted(name), s))
        return SIMCONNECT_FAIL;
    const std::string key = lf_upper(name ? name : "");
    if (!lf_knownSystemEvent(key)) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, s->lastPacket, 2);
        return SIMCONNECT_OK;
    }
    s->systemEvents[key] = eventId;
    if (key == "SIM") {
        // the state at once
        SIMCONNECT_RECV_EVENT rec{};
        rec.uGroupID = SIMCONNECT_UNUSED;
        rec.uEventID = eventId;
        rec.dwData = m_simRunning ? 1 : 0;
        s->queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EVENT));
    }
    return SIMCONNECT_OK;
}

HRESULT SimModel::addToDataDefinition(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                                      const char* datumName, const char* unitsName, SIMCONNECT_DATATYPE type,
                                      float epsilon, std::uint32_t datumId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "AddToDataDefinition",
                   lf_u(defineId) + ", " + lf_quoted(datumName) + ", " + lf_quoted(unitsName) + ", " +
                       lf_typeName(type) + ", " + lf_number(epsilon) + ", " + lf_u(datumId),
                   s))
        return SIMCONNECT_FAIL;
    const SimVariable* variable = gf_findSimVariable(datumName ? datumName : "");
    if (variable == nullptr) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, s->lastPacket, 2);
        return SIMCONNECT_OK;
    }
    const auto factor = gf_unitFactor(variable->quantity, unitsName);
    if (!factor) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, s->lastPacket, 3);
        return SIMCONNECT_OK;
    }
    if (type == SIMCONNECT_DATATYPE_INVALID || type > SIMCONNECT_DATATYPE_STRINGV ||
        lf_isText(type) != (variable->quantity == SimQuantity::Text)) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_ERROR, s->lastPacket, 4);
        return SIMCONNECT_OK;
    }
    s->definitions[defineId].push_back(Member{variable, *factor, type});
    return SIMCONNECT_OK;
}

HRESULT SimModel::mapClientEventToSimEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                           const char* eventName)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "MapClientEventToSimEvent", lf_u(eventId) + ", " + lf_quoted(eventName), s))
        return SIMCONNECT_FAIL;
    const std::string name = lf_upper(eventName ? eventName : "");
    if (!lf_knownClientEvent(name)) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, s->lastPacket, 2);
        return SIMCONNECT_OK;
    }
    s->clientEvents[eventId] = name;
    return SIMCONNECT_OK;
}

HRESULT SimModel::addClientEventToNotificationGroup(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                                    SIMCONNECT_CLIENT_EVENT_ID eventId, bool maskable)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "AddClientEventToNotificationGroup",
                   lf_u(groupId) + ", " + lf_u(eventId) + ", " + (maskable ? "true" : "false"), s))
        return SIMCONNECT_FAIL;
    auto& group = s->groups[groupId];
    if (std::find(group.begin(), group.end(), eventId) == group.end())
        group.push_back(eventId);
    return SIMCONNECT_OK;
}

HRESULT SimModel::setNotificationGroupPriority(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                               std::uint32_t priority)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "SetNotificationGroupPriority", lf_u(groupId) + ", " + lf_u(priority), s))
        return SIMCONNECT_FAIL;
    if (s->groups.count(groupId) == 0) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s->lastPacket, 1);
        return SIMCONNECT_OK;
    }
    s->groupPriorities[groupId] = priority;
    return SIMCONNECT_OK;
}

// ---------------------------------------------------------------- requests

HRESULT SimModel::requestDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                         SIMCONNECT_DATA_DEFINITION_ID defineId, SIMCONNECT_OBJECT_ID objectId,
                                         SIMCONNECT_PERIOD period)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "RequestDataOnSimObject",
                   lf_u(requestId) + ", " + lf_u(defineId) + ", " + lf_u(objectId) + ", " + lf_u(period), s))
        return SIMCONNECT_FAIL;
    // a new request replaces one with the same id
    std::erase_if(s->requests, [&](const Request& r) { return r.requestId == requestId; });
    if (period == SIMCONNECT_PERIOD_NEVER)
        return SIMCONNECT_OK;
    const SimObjectState* o = findObject(objectId);
    if (s->definitions.count(defineId) == 0 || o == nullptr || period > SIMCONNECT_PERIOD_SECOND) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s->lastPacket, o == nullptr ? 3 : 2);
        return SIMCONNECT_OK;
    }
    s->requests.push_back(Request{requestId, defineId, o->id, period, -1.0});
    return SIMCONNECT_OK;
}

HRESULT SimModel::requestDataOnSimObjectType(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                             SIMCONNECT_DATA_DEFINITION_ID defineId, std::uint32_t radiusMeters,
                                             SIMCONNECT_SIMOBJECT_TYPE type)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "RequestDataOnSimObjectType",
                   lf_u(requestId) + ", " + lf_u(defineId) + ", " + lf_u(radiusMeters) + ", " + lf_u(type), s))
        return SIMCONNECT_FAIL;
    if (s->definitions.count(defineId) == 0 || type > SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s->lastPacket, 2);
        return SIMCONNECT_OK;
    }
    Request r{requestId, defineId, 0, SIMCONNECT_PERIOD_ONCE, -1.0};
    r.byType = true;
    r.radiusMeters = radiusMeters;
    r.type = type;
    s->requests.push_back(r);
    return SIMCONNECT_OK;
}

// ---------------------------------------------------------------- changing objects

HRESULT SimModel::setDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                                     SIMCONNECT_OBJECT_ID objectId, std::uint32_t arrayCount, std::uint32_t unitSize,
                                     const void* data)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (data == nullptr)
        return SIMCONNECT_FAIL;
    if (!beginCall(handle, "SetDataOnSimObject",
                   lf_u(defineId) + ", " + lf_u(objectId) + ", " + lf_u(arrayCount) + ", " + lf_u(unitSize), s))
        return SIMCONNECT_FAIL;
    const auto def = s->definitions.find(defineId);
    SimObjectState* o = findObject(objectId);
    if (def == s->definitions.end() || o == nullptr) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s->lastPacket, o == nullptr ? 2 : 1);
        return SIMCONNECT_OK;
    }
    std::size_t expected = 0;
    for (const Member& m : def->second) {
        if (m.type == SIMCONNECT_DATATYPE_STRINGV || !m.variable->settable) {
            queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_ERROR, s->lastPacket, 1);
            return SIMCONNECT_OK;
        }
        expected += (m.type == SIMCONNECT_DATATYPE_INT32 || m.type == SIMCONNECT_DATATYPE_FLOAT32) ? 4 : 8;
    }
    if (unitSize != expected) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, s->lastPacket, 5);
        return SIMCONNECT_OK;
    }
    const auto* bytes = static_cast<const std::byte*>(data);
    std::size_t offset = 0;
    bool moved = false;
    for (const Member& m : def->second) {
        double value = 0.0;
        if (m.type == SIMCONNECT_DATATYPE_FLOAT64) {
            std::memcpy(&value, bytes + offset, 8);
            offset += 8;
        } else if (m.type == SIMCONNECT_DATATYPE_INT64) {
            std::int64_t n = 0;
            std::memcpy(&n, bytes + offset, 8);
            value = static_cast<double>(n);
            offset += 8;
        } else if (m.type == SIMCONNECT_DATATYPE_FLOAT32) {
            float f = 0.0f;
            std::memcpy(&f, bytes + offset, 4);
            value = f;
            offset += 4;
        } else {
            std::int32_t n = 0;
            std::memcpy(&n, bytes + offset, 4);
            value = n;
            offset += 4;
        }
        if (!std::isfinite(value))
            continue; // the simulator keeps its value
        m.variable->set(*o, value / m.factor);
        moved = moved || m.variable->quantity == SimQuantity::Angle || m.variable->quantity == SimQuantity::Length;
    }
    if (moved && !o->user) {
        ++o->positionUpdates;
        o->onGround = o->altAboveGroundFt() <= o->staticCgFt + 1.0;
    }
    return SIMCONNECT_OK;
}

HRESULT SimModel::transmitClientEvent(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                      SIMCONNECT_CLIENT_EVENT_ID eventId, std::uint32_t data,
                                      SIMCONNECT_NOTIFICATION_GROUP_ID groupId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "TransmitClientEvent",
                   lf_u(objectId) + ", " + lf_u(eventId) + ", " + lf_u(data) + ", " + lf_u(groupId), s))
        return SIMCONNECT_FAIL;
    const auto event = s->clientEvents.find(eventId);
    SimObjectState* o = findObject(objectId);
    if (event == s->clientEvents.end() || o == nullptr) {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s->lastPacket, o == nullptr ? 1 : 2);
        return SIMCONNECT_OK;
    }
    lf_applyEvent(*o, event->second, data);
    return SIMCONNECT_OK;
}

// ---------------------------------------------------------------- AI objects

HRESULT SimModel::aiCreateNonAtcAircraft(HSIMCONNECT handle, const char* containerTitle, const char* tailNumber,
                                         const SIMCONNECT_DATA_INITPOSITION& initPos,
                                         SIMCONNECT_DATA_REQUEST_ID requestId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (containerTitle == nullptr || tailNumber == nullptr)
        return SIMCONNECT_FAIL;
    if (!beginCall(handle, "AICreateNonATCAircraft",
                   lf_quoted(containerTitle) + ", " + lf_quoted(tailNumber) + ", " + lf_number(initPos.Latitude) +
                       ", " + lf_number(initPos.Longitude) + ", " + lf_number(initPos.Altitude) + ", " +
                       lf_u(initPos.OnGround) + ", " + lf_u(requestId),
                   s))
        return SIMCONNECT_FAIL;
    PendingCreation c{s->id, s->lastPacket, requestId, containerTitle, tailNumber, initPos,
                      m_scenario.creationFrames, 0};
    if (!m_scenario.anyTitleInstalled) {
        const std::string wanted = lf_upper(containerTitle);
        const bool installed = std::any_of(m_scenario.installedTitles.begin(), m_scenario.installedTitles.end(),
                                           [&](const SimTitle& t) { return lf_upper(t.title) == wanted; });
        if (!installed)
            c.refusal = SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED;
    }
    const auto pendingHere = std::count_if(m_creations.begin(), m_creations.end(),
                                           [](const PendingCreation& p) { return p.refusal == 0; });
    if (c.refusal == 0 && m_ai.size() + static_cast<std::size_t>(pendingHere) >= m_scenario.maxAiObjects)
        c.refusal = SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS;
    m_creations.push_back(std::move(c));
    return SIMCONNECT_OK;
}

HRESULT SimModel::getLastSentPacketId(HSIMCONNECT handle, std::uint32_t* packetId)
{
    std::lock_guard lock(m_mutex);
    logCall("GetLastSentPacketID()");
    Session* s = findSession(handle);
    if (s == nullptr || s->quitDelivered || packetId == nullptr || failing("GetLastSentPacketID"))
        return SIMCONNECT_FAIL;
    *packetId = s->lastPacket;
    return SIMCONNECT_OK;
}

// An AI object of the calls that act on one: an unknown id and the user aircraft are refused
// with their exceptions.
SimObjectState* SimModel::findAiObjectLocked(Session& s, std::uint32_t objectId)
{
    SimObjectState* o = findObject(objectId);
    if (o == nullptr)
        queueExceptionLocked(s, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, s.lastPacket, 1);
    else if (o->user)
        queueExceptionLocked(s, SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE, s.lastPacket, 1);
    else
        return o;
    return nullptr;
}

HRESULT SimModel::aiReleaseControl(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                   SIMCONNECT_DATA_REQUEST_ID requestId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "AIReleaseControl", lf_u(objectId) + ", " + lf_u(requestId), s))
        return SIMCONNECT_FAIL;
    if (SimObjectState* o = findAiObjectLocked(*s, objectId))
        o->releasedControl = true;
    return SIMCONNECT_OK;
}

HRESULT SimModel::aiRemoveObject(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                 SIMCONNECT_DATA_REQUEST_ID requestId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "AIRemoveObject", lf_u(objectId) + ", " + lf_u(requestId), s))
        return SIMCONNECT_FAIL;
    if (findAiObjectLocked(*s, objectId) != nullptr &&
        std::find(m_removals.begin(), m_removals.end(), objectId) == m_removals.end())
        m_removals.push_back(objectId);
    return SIMCONNECT_OK;
}

HRESULT SimModel::aiSetAircraftFlightPlan(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId, const char* path,
                                          SIMCONNECT_DATA_REQUEST_ID requestId)
{
    std::lock_guard lock(m_mutex);
    Session* s = nullptr;
    if (!beginCall(handle, "AISetAircraftFlightPlan",
                   lf_u(objectId) + ", " + lf_quoted(path) + ", " + lf_u(requestId), s))
        return SIMCONNECT_FAIL;
    SimObjectState* o = findAiObjectLocked(*s, objectId);
    if (o == nullptr) {
        // the exception is queued already
    } else if (const auto plan = lf_loadFlightPlan(path)) {
        o->flightPlanPath = path;
        o->flightPlanDeparture = plan->departure;
        o->flightPlanDestination = plan->destination;
    } else {
        queueExceptionLocked(*s, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED, s->lastPacket, 2);
    }
    return SIMCONNECT_OK;
}
