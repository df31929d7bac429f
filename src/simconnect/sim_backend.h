#pragma once
// What stands behind the free SimConnect_ functions. The program installs one backend at
// start (tests install their own model); without one the default model is used.
#include "simconnect/simconnect.h"

#include <memory>

class SimConnectBackend {
public:
    virtual ~SimConnectBackend() = default;

    virtual HRESULT open(HSIMCONNECT* handle, const char* name) = 0;
    virtual HRESULT close(HSIMCONNECT handle) = 0;
    virtual HRESULT callDispatch(HSIMCONNECT handle, DispatchProc proc, void* context) = 0;
    virtual HRESULT subscribeToSystemEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                           const char* name) = 0;
    virtual HRESULT addToDataDefinition(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                                        const char* datumName, const char* unitsName, SIMCONNECT_DATATYPE type,
                                        float epsilon, std::uint32_t datumId) = 0;
    virtual HRESULT mapClientEventToSimEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                             const char* eventName) = 0;
    virtual HRESULT addClientEventToNotificationGroup(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                                      SIMCONNECT_CLIENT_EVENT_ID eventId, bool maskable) = 0;
    virtual HRESULT setNotificationGroupPriority(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                                 std::uint32_t priority) = 0;
    virtual HRESULT requestDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                           SIMCONNECT_DATA_DEFINITION_ID defineId, SIMCONNECT_OBJECT_ID objectId,
                                           SIMCONNECT_PERIOD period) = 0;
    virtual HRESULT requestDataOnSimObjectType(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                               SIMCONNECT_DATA_DEFINITION_ID defineId, std::uint32_t radiusMeters,
                                               SIMCONNECT_SIMOBJECT_TYPE type) = 0;
    virtual HRESULT setDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                                       SIMCONNECT_OBJECT_ID objectId, std::uint32_t arrayCount,
                                       std::uint32_t unitSize, const void* data) = 0;
    virtual HRESULT transmitClientEvent(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                        SIMCONNECT_CLIENT_EVENT_ID eventId, std::uint32_t data,
                                        SIMCONNECT_NOTIFICATION_GROUP_ID groupId) = 0;
    virtual HRESULT aiCreateNonAtcAircraft(HSIMCONNECT handle, const char* containerTitle, const char* tailNumber,
                                           const SIMCONNECT_DATA_INITPOSITION& initPos,
                                           SIMCONNECT_DATA_REQUEST_ID requestId) = 0;
    virtual HRESULT getLastSentPacketId(HSIMCONNECT handle, std::uint32_t* packetId) = 0;
    virtual HRESULT aiReleaseControl(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                     SIMCONNECT_DATA_REQUEST_ID requestId) = 0;
    virtual HRESULT aiRemoveObject(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                                   SIMCONNECT_DATA_REQUEST_ID requestId) = 0;
    virtual HRESULT aiSetAircraftFlightPlan(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId, const char* path,
                                            SIMCONNECT_DATA_REQUEST_ID requestId) = 0;
};

// Installs the backend of every later call; nullptr goes back to the default model.
void gf_setSimConnectBackend(std::shared_ptr<SimConnectBackend> backend);
// The backend in force; creates the default model, driven in real time, on first use.
std::shared_ptr<SimConnectBackend> gf_simConnectBackend();
