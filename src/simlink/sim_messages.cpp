#include "simlink/sim_messages.h"

#include "foundation/log.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "simlink/frame_send.h"
#include "simlink/object_list.h"
#include "simlink/sim_hooks.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fmt/format.h>

std::vector<std::uint32_t> g_addedObjectIds;
int g_frameCount = 0;

namespace {

// The record of a message, or nullptr when the message is too short for it.
template <class Record>
const Record* lf_record(const SIMCONNECT_RECV* m, std::uint32_t cbData)
{
    return cbData >= sizeof(Record) ? static_cast<const Record*>(m) : nullptr;
}

std::string lf_fixedText(const char* text, std::size_t capacity) { return std::string(text, strnlen(text, capacity)); }

// Removes element i; the last element takes its place.
template <class T>
void lf_swapRemove(std::vector<T>& v, std::size_t i)
{
    if (i + 1 != v.size())
        v[i] = std::move(v.back());
    v.pop_back();
}

void lf_newFlightStop()
{
    if (const auto hooks = gf_simLinkHooks(); hooks.rememberUserStand)
        hooks.rememberUserStand();
    gf_requestStop(RunState::NewFlight, 45);
}

void lf_onOpen(const SIMCONNECT_RECV_OPEN& m)
{
    const std::string name = lf_fixedText(m.szApplicationName, sizeof(m.szApplicationName));
    if (name.empty()) {
        gf_log("! Simulator name empty?");
        return;
    }
    const SimLinkHooks hooks = gf_simLinkHooks();
    if (hooks.setSimConnected)
        hooks.setSimConnected(true);
    std::string filtered;
    std::copy_if(name.begin(), name.end(), std::back_inserter(filtered), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) != 0 || std::isspace(u) != 0;
    });
    std::string text;
    if (filtered == "KittyHawk") {
        if (!g_msfs2020Mode)
            throw brv::UserErrorException(71, gf_wrongSimMessage());
        text = "MSFS 2020";
    } else if (filtered == "SunRise") {
        if (g_msfs2020Mode)
            throw brv::UserErrorException(71, gf_wrongSimMessage());
        text = "MSFS 2024";
    } else {
        throw brv::UserErrorException(77,
                                      fmt::format("'{}' not being MSFS 2020 or MSFS 2024 connects ... ?", filtered));
    }
    if (g_msfs2020Mode)
        text = fmt::format("{} ({}.{}.{}.{})", text, m.dwApplicationVersionMajor, m.dwApplicationVersionMinor,
                           m.dwApplicationBuildMajor, m.dwApplicationBuildMinor);
    gf_log(fmt::format("{} connected", text));
    if (hooks.setSimulatorText)
        hooks.setSimulatorText(text);
    gf_clearStatus();
}

void lf_onEvent(const SIMCONNECT_RECV_EVENT& m)
{
    if (m.uEventID == EVENT_SIM) {
        const bool running = m.dwData == 1;
        g_simRunning = running;
        if (const auto hooks = gf_simLinkHooks(); hooks.setSimRunning)
            hooks.setSimRunning(running);
    } else if (m.uEventID == EVENT_FLIGHT_LOADED) {
        gf_log("SimConnect: flight loaded event");
        lf_newFlightStop();
    }
}

void lf_onObjectAddRemove(const SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE& m)
{
    if (m.eObjType != SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT)
        return;
    if (m.uEventID == EVENT_OBJECT_ADDED) {
        if (m.dwData > g_userObjectId)
            g_addedObjectIds.push_back(m.dwData);
    } else if (m.uEventID == EVENT_OBJECT_REMOVED) {
        // a removed object never shows up in a within-range answer: forget it, or the list only grows
        if (const auto added = std::find(g_addedObjectIds.begin(), g_addedObjectIds.end(), m.dwData);
            added != g_addedObjectIds.end())
            lf_swapRemove(g_addedObjectIds, static_cast<std::size_t>(added - g_addedObjectIds.begin()));
        gf_pushObjectListEntry({m.dwData, 0, 0, OBJ_REMOVED, 0.0, 0.0});
    }
}

void lf_onRefusedCreation(std::uint32_t sendId)
{
    const auto it = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                                 [&](const PendingCreate& p) { return p.packetId == sendId; });
    if (it == g_pendingCreates.end())
        return;
    const std::uint32_t hexId = it->hexId;
    lf_swapRemove(g_pendingCreates, static_cast<std::size_t>(it - g_pendingCreates.begin()));
    if (hexId != 0)
        gf_pushObjectListEntry({0, hexId, 0, OBJ_CREATE_REFUSED, 0.0, 0.0});
}

void lf_onException(const SIMCONNECT_RECV_EXCEPTION& m)
{
    switch (m.dwException) {
    case SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID:
        if (gf_userPositionKnown() && !g_stop && !g_quit)
            gf_logError("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
        break;
    case SIMCONNECT_EXCEPTION_VERSION_MISMATCH:
        throw brv::UserErrorException(95, fmt::format("SimConnect Version Mismatch, dwIndex: {}", m.dwIndex));
    case SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS:
        gf_showStatus("SimConnect: too many objects (max 1000)", true);
        break;
    case SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE:
        gf_log("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE");
        break;
    case SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED:
        lf_onRefusedCreation(m.dwSendID);
        break;
    case SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED:
        gf_logError("SimConnect exception: load flight plan failed");
        break;
    case SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE:
        gf_log("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
        break;
    default:
        gf_logError(fmt::format("SIMCONNECT_EXCEPTION #{}", m.dwException));
        break;
    }
}

// the members of DEF_AC_BY_TYPE
struct AcByType {
    double altAboveGround;
    double groundAltitude;
    std::int64_t simOnGround;
    char atcId[32];
};

void lf_onAircraftInRange(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    const std::uint32_t objectId = m.dwObjectID;
    if (m.dwRequestID != REQ_AC_WITHIN_RANGE || objectId <= g_userObjectId ||
        gf_simObjectDataSize(m) < sizeof(AcByType))
        return;
    AcByType data{};
    std::memcpy(&data, gf_simObjectData(m), sizeof(AcByType));
    const std::string atcId = lf_fixedText(data.atcId, sizeof(data.atcId));
    const auto added = std::find(g_addedObjectIds.begin(), g_addedObjectIds.end(), objectId);
    if (added != g_addedObjectIds.end()) {
        // a newly added object: ours when its ATC id is that of a pending creation
        lf_swapRemove(g_addedObjectIds, static_cast<std::size_t>(added - g_addedObjectIds.begin()));
        std::uint32_t hexId = 0;
        if (!atcId.empty()) {
            const auto pending = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                                              [&](const PendingCreate& p) { return p.atcId == atcId; });
            if (pending != g_pendingCreates.end()) {
                hexId = pending->hexId;
                lf_swapRemove(g_pendingCreates, static_cast<std::size_t>(pending - g_pendingCreates.begin()));
            }
        }
        if (hexId != 0) {
            gf_freezeAiObject(objectId);
            if (hexId <= 10000)
                gf_pushObjectListEntry({objectId, hexId, 0, OBJ_OWN_STATIC_CREATED, 0.0, 0.0});
            else
                gf_pushObjectListEntry({objectId, hexId, 0, OBJ_OWN_LIVE_CREATED, 0.0, data.altAboveGround});
        } else {
            constexpr std::string_view pattern =
                "just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, onground:{}, gnd_alt:{:.0f} ft";
            gf_log(fmt::format(pattern, g_shortDisplayName, objectId, atcId, data.altAboveGround, data.simOnGround,
                               data.groundAltitude));
        }
        return;
    }
    // an object seen before: ATC ids ending in '*' are the program's own static aircraft
    if (data.altAboveGround <= 2500.0 && !atcId.empty() && atcId.back() != '*')
        gf_pushObjectListEntry({objectId, static_cast<std::uint32_t>(data.simOnGround), 0, OBJ_OTHER_IN_RANGE,
                                data.groundAltitude, data.altAboveGround});
}

void lf_onUserData(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    switch (m.dwRequestID) {
    case REQ_STATIC_CG: {
        if (gf_simObjectDataSize(m) < 2 * sizeof(double))
            return;
        double values[2];
        std::memcpy(values, gf_simObjectData(m), sizeof(values));
        gf_pushObjectListEntry({m.dwObjectID, 0, 0, OBJ_STATIC_CG, values[0], values[1]});
        break;
    }
    case REQ_USER_AC_TITLE:
    case REQ_USER_AC_MODEL:
    case REQ_AC_GND_AIR:
    case REQ_USER_AC_POSITION:
        gf_onUserAcData(m);
        break;
    default:
        break;
    }
}

} // namespace

std::string gf_wrongSimMessage()
{
    return fmt::format("MSFS 20{} is running ..., switch Simulator, or select the right sim in the drop down list above",
                       g_msfs2020Mode ? "24" : "20");
}

void gf_dispatch(SIMCONNECT_RECV* pData, std::uint32_t cbData, void* /*pContext*/)
{
    if (pData == nullptr || cbData < sizeof(SIMCONNECT_RECV) || pData->dwSize > cbData)
        return;
    switch (pData->dwID) {
    case SIMCONNECT_RECV_ID_EXCEPTION:
        if (const auto* m = lf_record<SIMCONNECT_RECV_EXCEPTION>(pData, cbData))
            lf_onException(*m);
        break;
    case SIMCONNECT_RECV_ID_OPEN:
        if (const auto* m = lf_record<SIMCONNECT_RECV_OPEN>(pData, cbData))
            lf_onOpen(*m);
        break;
    case SIMCONNECT_RECV_ID_QUIT:
        g_simRunning = false;
        break;
    case SIMCONNECT_RECV_ID_EVENT:
        if (const auto* m = lf_record<SIMCONNECT_RECV_EVENT>(pData, cbData))
            lf_onEvent(*m);
        break;
    case SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE:
        if (const auto* m = lf_record<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>(pData, cbData))
            lf_onObjectAddRemove(*m);
        break;
    case SIMCONNECT_RECV_ID_EVENT_FILENAME:
        gf_logError("SimConnect: New file event");
        lf_newFlightStop();
        break;
    case SIMCONNECT_RECV_ID_EVENT_FRAME:
        if (const auto* m = lf_record<SIMCONNECT_RECV_EVENT_FRAME>(pData, cbData)) {
            gf_onFrame();
            if (++g_frameCount >= 30) {
                g_frameCount = 0;
                g_frameRate = m->fFrameRate;
            }
        }
        break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
        if (const auto* m = lf_record<SIMCONNECT_RECV_SIMOBJECT_DATA>(pData, cbData))
            lf_onUserData(*m);
        break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
        if (const auto* m = lf_record<SIMCONNECT_RECV_SIMOBJECT_DATA>(pData, cbData))
            lf_onAircraftInRange(*m);
        break;
    case 12:
    case 16:
    case 27:
        break;
    default:
        gf_log(fmt::format("! Unknown Dispatch dwID {}", pData->dwID));
        break;
    }
}

void gf_resetSimMessageState()
{
    g_addedObjectIds.clear();
    g_frameCount = 0;
}
