#include "simconnect/simconnect.h"

#include "simconnect/sim_backend.h"

// Each call forwards to the backend in force.

HRESULT SimConnect_Open(HSIMCONNECT* phSimConnect, const char* szName, void* /*hWnd*/, std::uint32_t /*UserEventWin32*/,
                        void* /*hEventHandle*/, std::uint32_t /*ConfigIndex*/)
{
    return gf_simConnectBackend()->open(phSimConnect, szName);
}

HRESULT SimConnect_Close(HSIMCONNECT hSimConnect) { return gf_simConnectBackend()->close(hSimConnect); }

HRESULT SimConnect_CallDispatch(HSIMCONNECT hSimConnect, DispatchProc pfcnDispatch, void* pContext)
{
    return gf_simConnectBackend()->callDispatch(hSimConnect, pfcnDispatch, pContext);
}

HRESULT SimConnect_SubscribeToSystemEvent(HSIMCONNECT hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                          const char* SystemEventName)
{
    return gf_simConnectBackend()->subscribeToSystemEvent(hSimConnect, EventID, SystemEventName);
}

HRESULT SimConnect_AddToDataDefinition(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       const char* DatumName, const char* UnitsName, SIMCONNECT_DATATYPE DatumType,
                                       float fEpsilon, std::uint32_t DatumID)
{
    return gf_simConnectBackend()->addToDataDefinition(hSimConnect, DefineID, DatumName, UnitsName, DatumType,
                                                       fEpsilon, DatumID);
}

HRESULT SimConnect_MapClientEventToSimEvent(HSIMCONNECT hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                            const char* EventName)
{
    return gf_simConnectBackend()->mapClientEventToSimEvent(hSimConnect, EventID, EventName);
}

HRESULT SimConnect_AddClientEventToNotificationGroup(HSIMCONNECT hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                     SIMCONNECT_CLIENT_EVENT_ID EventID, bool bMaskable)
{
    return gf_simConnectBackend()->addClientEventToNotificationGroup(hSimConnect, GroupID, EventID, bMaskable);
}

HRESULT SimConnect_SetNotificationGroupPriority(HSIMCONNECT hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                std::uint32_t uPriority)
{
    return gf_simConnectBackend()->setNotificationGroupPriority(hSimConnect, GroupID, uPriority);
}

HRESULT SimConnect_RequestDataOnSimObject(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                          SIMCONNECT_DATA_DEFINITION_ID DefineID, SIMCONNECT_OBJECT_ID ObjectID,
                                          SIMCONNECT_PERIOD Period, std::uint32_t /*Flags*/, std::uint32_t /*origin*/,
                                          std::uint32_t /*interval*/, std::uint32_t /*limit*/)
{
    return gf_simConnectBackend()->requestDataOnSimObject(hSimConnect, RequestID, DefineID, ObjectID, Period);
}

HRESULT SimConnect_RequestDataOnSimObjectType(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                              SIMCONNECT_DATA_DEFINITION_ID DefineID, std::uint32_t dwRadiusMeters,
                                              SIMCONNECT_SIMOBJECT_TYPE type)
{
    return gf_simConnectBackend()->requestDataOnSimObjectType(hSimConnect, RequestID, DefineID, dwRadiusMeters, type);
}

HRESULT SimConnect_SetDataOnSimObject(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                      SIMCONNECT_OBJECT_ID ObjectID, std::uint32_t /*Flags*/, std::uint32_t ArrayCount,
                                      std::uint32_t cbUnitSize, const void* pDataSet)
{
    return gf_simConnectBackend()->setDataOnSimObject(hSimConnect, DefineID, ObjectID, ArrayCount, cbUnitSize,
                                                      pDataSet);
}

HRESULT SimConnect_TransmitClientEvent(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                       SIMCONNECT_CLIENT_EVENT_ID EventID, std::uint32_t dwData,
                                       SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, std::uint32_t /*Flags*/)
{
    return gf_simConnectBackend()->transmitClientEvent(hSimConnect, ObjectID, EventID, dwData, GroupID);
}

HRESULT SimConnect_AICreateNonATCAircraft(HSIMCONNECT hSimConnect, const char* szContainerTitle,
                                          const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return gf_simConnectBackend()->aiCreateNonAtcAircraft(hSimConnect, szContainerTitle, szTailNumber, InitPos,
                                                          RequestID);
}

HRESULT SimConnect_GetLastSentPacketID(HSIMCONNECT hSimConnect, std::uint32_t* pdwError)
{
    return gf_simConnectBackend()->getLastSentPacketId(hSimConnect, pdwError);
}

HRESULT SimConnect_AIReleaseControl(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                    SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return gf_simConnectBackend()->aiReleaseControl(hSimConnect, ObjectID, RequestID);
}

HRESULT SimConnect_AIRemoveObject(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                  SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return gf_simConnectBackend()->aiRemoveObject(hSimConnect, ObjectID, RequestID);
}

HRESULT SimConnect_AISetAircraftFlightPlan(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                           const char* szFlightPlanPath, SIMCONNECT_DATA_REQUEST_ID RequestID)
{
    return gf_simConnectBackend()->aiSetAircraftFlightPlan(hSimConnect, ObjectID, szFlightPlanPath, RequestID);
}
