#include "simlink/frame_send.h"

#include "foundation/log.h"
#include "foundation/status_line.h"
#include "foundation/utc_time.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_request_error.h"
#include "simlink/sim_state.h"

#include <fmt/format.h>

namespace {

void lf_sendPositions(HSIMCONNECT h, std::uint32_t userObjectId)
{
    for (const AiPosition& p : *g_posBack) {
        if (p.objectId <= userObjectId)
            continue;
        SimConnect_SetDataOnSimObject(h, DEF_AI_POSITION, p.objectId, 0, 0, g_aiPositionDataSize, &p);
    }
    g_posBack->clear();
}

void lf_sendEvents(HSIMCONNECT h)
{
    for (const ClientEvent& e : g_eventQueue) {
        const bool flaps = e.eventId == EVENT_FLAPS_SET;
        if (flaps)
            SimConnect_AIReleaseControl(h, e.objectId, REQ_AI_RELEASE_CONTROL);
        if (SimConnect_TransmitClientEvent(h, e.objectId, e.eventId, e.value, GROUP_AI_EVENTS, 0) < 0)
            gf_showStatus(fmt::format("SimConnect TransmitClientEvent: {} fails", e.eventId), true);
        else if (flaps)
            SimConnect_AIReleaseControl(h, e.objectId, REQ_AI_RELEASE_CONTROL);
    }
    g_eventQueue.clear();
}

void lf_sendRemovals(HSIMCONNECT h, std::uint32_t userObjectId)
{
    for (const std::uint32_t objectId : g_removeQueue) {
        if (objectId <= userObjectId) {
            gf_logError(fmt::format("SimConnect call to remove ac with objectid {}", objectId));
            continue;
        }
        if (SimConnect_AIRemoveObject(h, objectId, REQ_AI_REMOVE) < 0) {
            gf_logError(
                fmt::format("{} !SimConnect call to remove AI ac from sim failed, id {}?", gf_utcClockText(), objectId));
            gf_onSimConnectRequestError();
        }
    }
    g_removeQueue.clear();
}

} // namespace

void gf_sendCreateRequest(const CreateRequest& request)
{
    const HSIMCONNECT h = g_hSimConnect;
    const std::string title = request.liveryTitle;
    if (SimConnect_AICreateNonATCAircraft(h, title.c_str(), request.callsign.c_str(), request.initPos,
                                          REQ_AI_CREATE) < 0) {
        gf_logError(fmt::format("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})",
                                request.hexId, title, request.callsign));
        gf_onSimConnectRequestError();
        return;
    }
    std::uint32_t packetId = 0;
    if (SimConnect_GetLastSentPacketID(h, &packetId) < 0) {
        gf_logError("GetLastSentPacketID");
        packetId = 0;
    }
    g_pendingCreates.push_back(PendingCreate{packetId, request.hexId, request.callsign});
}

void gf_onFrame()
{
    std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return; // busy: everything waits for a later frame
    if (g_simRequestError) {
        // after a request error nothing more is sent in this run
        g_posBack->clear();
        g_eventQueue.clear();
        g_createQueue.clear();
        g_removeQueue.clear();
        return;
    }
    const HSIMCONNECT h = g_hSimConnect;
    const std::uint32_t userObjectId = g_userObjectId;
    lf_sendPositions(h, userObjectId);
    lf_sendEvents(h);
    for (const CreateRequest& request : g_createQueue)
        gf_sendCreateRequest(request);
    g_createQueue.clear();
    lf_sendRemovals(h, userObjectId);
}
