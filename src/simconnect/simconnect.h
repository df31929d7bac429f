#pragma once
// The simulator's client interface as the program calls it: our own declarations of the
// handle, the results, the message records and the free functions. Every function forwards to
// the installed backend (sim_backend.h); the default backend is the embedded simulator model.
#include <cstddef>
#include <cstdint>

// A signed 32-bit result: negative means failure.
using HRESULT = std::int32_t;
inline constexpr HRESULT SIMCONNECT_OK = 0;
inline constexpr HRESULT SIMCONNECT_FAIL = static_cast<HRESULT>(0x80004005u);

// The opaque connection handle; a closed or unknown handle makes every call fail.
struct SimConnectSessionTag;
using HSIMCONNECT = SimConnectSessionTag*;

using SIMCONNECT_OBJECT_ID = std::uint32_t;
using SIMCONNECT_CLIENT_EVENT_ID = std::uint32_t;
using SIMCONNECT_NOTIFICATION_GROUP_ID = std::uint32_t;
using SIMCONNECT_DATA_DEFINITION_ID = std::uint32_t;
using SIMCONNECT_DATA_REQUEST_ID = std::uint32_t;

inline constexpr SIMCONNECT_OBJECT_ID SIMCONNECT_OBJECT_ID_USER = 0;
inline constexpr std::uint32_t SIMCONNECT_UNUSED = 0xFFFFFFFFu;
inline constexpr std::uint32_t SIMCONNECT_GROUP_PRIORITY_HIGHEST = 1;

enum SIMCONNECT_DATATYPE : std::uint32_t {
    SIMCONNECT_DATATYPE_INVALID = 0,
    SIMCONNECT_DATATYPE_INT32,
    SIMCONNECT_DATATYPE_INT64,
    SIMCONNECT_DATATYPE_FLOAT32,
    SIMCONNECT_DATATYPE_FLOAT64,
    SIMCONNECT_DATATYPE_STRING8,
    SIMCONNECT_DATATYPE_STRING32,
    SIMCONNECT_DATATYPE_STRING64,
    SIMCONNECT_DATATYPE_STRING128,
    SIMCONNECT_DATATYPE_STRING256,
    SIMCONNECT_DATATYPE_STRING260,
    SIMCONNECT_DATATYPE_STRINGV,
};

enum SIMCONNECT_PERIOD : std::uint32_t {
    SIMCONNECT_PERIOD_NEVER = 0,
    SIMCONNECT_PERIOD_ONCE = 1,
    SIMCONNECT_PERIOD_VISUAL_FRAME = 2,
    SIMCONNECT_PERIOD_SIM_FRAME = 3,
    SIMCONNECT_PERIOD_SECOND = 4,
};

enum SIMCONNECT_SIMOBJECT_TYPE : std::uint32_t {
    SIMCONNECT_SIMOBJECT_TYPE_USER = 0,
    SIMCONNECT_SIMOBJECT_TYPE_ALL = 1,
    SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT = 2,
};

// Message ids of the receive records.
enum SIMCONNECT_RECV_ID : std::uint32_t {
    SIMCONNECT_RECV_ID_NULL = 0,
    SIMCONNECT_RECV_ID_EXCEPTION = 1,
    SIMCONNECT_RECV_ID_OPEN = 2,
    SIMCONNECT_RECV_ID_QUIT = 3,
    SIMCONNECT_RECV_ID_EVENT = 4,
    SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE = 5,
    SIMCONNECT_RECV_ID_EVENT_FILENAME = 6,
    SIMCONNECT_RECV_ID_EVENT_FRAME = 7,
    SIMCONNECT_RECV_ID_SIMOBJECT_DATA = 8,
    SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE = 9,
    SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID = 12,
};

// Exception numbers.
enum SIMCONNECT_EXCEPTION : std::uint32_t {
    SIMCONNECT_EXCEPTION_NONE = 0,
    SIMCONNECT_EXCEPTION_ERROR = 1,
    SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID = 3,
    SIMCONNECT_EXCEPTION_VERSION_MISMATCH = 5,
    SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED = 7,
    SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS = 11,
    SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE = 19,
    SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED = 22,
    SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED = 23,
    SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE = 24,
};

// The common head of every message.
struct SIMCONNECT_RECV {
    std::uint32_t dwSize;    // bytes of the whole message
    std::uint32_t dwVersion; // interface version
    std::uint32_t dwID;      // SIMCONNECT_RECV_ID
};

struct SIMCONNECT_RECV_EXCEPTION : SIMCONNECT_RECV {
    std::uint32_t dwException; // SIMCONNECT_EXCEPTION
    std::uint32_t dwSendID;    // packet id of the call that failed
    std::uint32_t dwIndex;     // index of the failing parameter
};

struct SIMCONNECT_RECV_OPEN : SIMCONNECT_RECV {
    char szApplicationName[256];
    std::uint32_t dwApplicationVersionMajor;
    std::uint32_t dwApplicationVersionMinor;
    std::uint32_t dwApplicationBuildMajor;
    std::uint32_t dwApplicationBuildMinor;
    std::uint32_t dwSimConnectVersionMajor;
    std::uint32_t dwSimConnectVersionMinor;
    std::uint32_t dwSimConnectBuildMajor;
    std::uint32_t dwSimConnectBuildMinor;
};

struct SIMCONNECT_RECV_QUIT : SIMCONNECT_RECV {};

struct SIMCONNECT_RECV_EVENT : SIMCONNECT_RECV {
    std::uint32_t uGroupID;
    std::uint32_t uEventID; // the client's id of the event
    std::uint32_t dwData;
};

struct SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE : SIMCONNECT_RECV_EVENT {
    std::uint32_t eObjType; // SIMCONNECT_SIMOBJECT_TYPE; dwData is the object id
};

struct SIMCONNECT_RECV_EVENT_FILENAME : SIMCONNECT_RECV_EVENT {
    char szFileName[260];
    std::uint32_t dwFlags;
};

struct SIMCONNECT_RECV_EVENT_FRAME : SIMCONNECT_RECV_EVENT {
    float fFrameRate;
    float fSimSpeed;
};

// An answer about one object; the members of the definition follow the record, starting at
// offset sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) (8-byte aligned), in member order.
struct SIMCONNECT_RECV_SIMOBJECT_DATA : SIMCONNECT_RECV {
    std::uint32_t dwRequestID;
    std::uint32_t dwObjectID;
    std::uint32_t dwDefineID;
    std::uint32_t dwFlags;
    std::uint32_t dwEntryNumber; // 1-based number within an answer by type
    std::uint32_t dwOutOf;       // answers in that set
    std::uint32_t dwDefineCount; // members in the data
};
static_assert(sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) % 8 == 0);

struct SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE : SIMCONNECT_RECV_SIMOBJECT_DATA {};

struct SIMCONNECT_RECV_ASSIGNED_OBJECT_ID : SIMCONNECT_RECV {
    std::uint32_t dwRequestID;
    std::uint32_t dwObjectID;
};

// The data bytes of an object answer and their length.
inline const std::byte* gf_simObjectData(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    return reinterpret_cast<const std::byte*>(&m) + sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA);
}
inline std::size_t gf_simObjectDataSize(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    return m.dwSize > sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) ? m.dwSize - sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) : 0;
}

struct SIMCONNECT_DATA_INITPOSITION {
    double Latitude;  // degrees
    double Longitude; // degrees
    double Altitude;  // feet
    double Pitch;     // degrees
    double Bank;      // degrees
    double Heading;   // degrees
    std::uint32_t OnGround;
    std::uint32_t Airspeed; // knots
};

using DispatchProc = void (*)(SIMCONNECT_RECV* pData, std::uint32_t cbData, void* pContext);

HRESULT SimConnect_Open(HSIMCONNECT* phSimConnect, const char* szName, void* hWnd, std::uint32_t UserEventWin32,
                        void* hEventHandle, std::uint32_t ConfigIndex);
HRESULT SimConnect_Close(HSIMCONNECT hSimConnect);
HRESULT SimConnect_CallDispatch(HSIMCONNECT hSimConnect, DispatchProc pfcnDispatch, void* pContext);
HRESULT SimConnect_SubscribeToSystemEvent(HSIMCONNECT hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                          const char* SystemEventName);
HRESULT SimConnect_AddToDataDefinition(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                       const char* DatumName, const char* UnitsName,
                                       SIMCONNECT_DATATYPE DatumType = SIMCONNECT_DATATYPE_FLOAT64,
                                       float fEpsilon = 0.0f, std::uint32_t DatumID = SIMCONNECT_UNUSED);
HRESULT SimConnect_MapClientEventToSimEvent(HSIMCONNECT hSimConnect, SIMCONNECT_CLIENT_EVENT_ID EventID,
                                            const char* EventName);
HRESULT SimConnect_AddClientEventToNotificationGroup(HSIMCONNECT hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                     SIMCONNECT_CLIENT_EVENT_ID EventID, bool bMaskable);
HRESULT SimConnect_SetNotificationGroupPriority(HSIMCONNECT hSimConnect, SIMCONNECT_NOTIFICATION_GROUP_ID GroupID,
                                                std::uint32_t uPriority);
HRESULT SimConnect_RequestDataOnSimObject(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                          SIMCONNECT_DATA_DEFINITION_ID DefineID, SIMCONNECT_OBJECT_ID ObjectID,
                                          SIMCONNECT_PERIOD Period, std::uint32_t Flags = 0, std::uint32_t origin = 0,
                                          std::uint32_t interval = 0, std::uint32_t limit = 0);
HRESULT SimConnect_RequestDataOnSimObjectType(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_REQUEST_ID RequestID,
                                              SIMCONNECT_DATA_DEFINITION_ID DefineID, std::uint32_t dwRadiusMeters,
                                              SIMCONNECT_SIMOBJECT_TYPE type);
HRESULT SimConnect_SetDataOnSimObject(HSIMCONNECT hSimConnect, SIMCONNECT_DATA_DEFINITION_ID DefineID,
                                      SIMCONNECT_OBJECT_ID ObjectID, std::uint32_t Flags, std::uint32_t ArrayCount,
                                      std::uint32_t cbUnitSize, const void* pDataSet);
HRESULT SimConnect_TransmitClientEvent(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                       SIMCONNECT_CLIENT_EVENT_ID EventID, std::uint32_t dwData,
                                       SIMCONNECT_NOTIFICATION_GROUP_ID GroupID, std::uint32_t Flags);
HRESULT SimConnect_AICreateNonATCAircraft(HSIMCONNECT hSimConnect, const char* szContainerTitle,
                                          const char* szTailNumber, SIMCONNECT_DATA_INITPOSITION InitPos,
                                          SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_GetLastSentPacketID(HSIMCONNECT hSimConnect, std::uint32_t* pdwError);
HRESULT SimConnect_AIReleaseControl(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                    SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_AIRemoveObject(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                  SIMCONNECT_DATA_REQUEST_ID RequestID);
HRESULT SimConnect_AISetAircraftFlightPlan(HSIMCONNECT hSimConnect, SIMCONNECT_OBJECT_ID ObjectID,
                                           const char* szFlightPlanPath, SIMCONNECT_DATA_REQUEST_ID RequestID);
