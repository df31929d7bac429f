#pragma once
// The embedded simulator model: a stand-in for the simulator as the program sees it.
//
// Threading: one internal lock, held briefly by every call. Answers are only queued, never
// delivered inside a call; messages go out only on the thread that calls dispatch, one at a
// time and without the lock held, so an exception thrown by the handler passes through (the
// messages not yet delivered stay queued). Calls on a closed or unknown handle fail.
#include "simconnect/sim_backend.h"
#include "simconnect/sim_object.h"
#include "simconnect/sim_scenario.h"
#include "simconnect/sim_variables.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One queued message: the bytes of its record, 8-byte aligned.
struct SimModelMessage {
    std::vector<std::uint64_t> storage;
    std::uint32_t size = 0;
    bool quit = false;
};

class SimModel : public SimConnectBackend {
public:
    explicit SimModel(SimScenario scenario = gf_defaultSimScenario());

    // ---- the interface
    HRESULT open(HSIMCONNECT* handle, const char* name) override;
    HRESULT close(HSIMCONNECT handle) override;
    HRESULT callDispatch(HSIMCONNECT handle, DispatchProc proc, void* context) override;
    HRESULT subscribeToSystemEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId, const char* name) override;
    HRESULT addToDataDefinition(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId, const char* datumName,
                                const char* unitsName, SIMCONNECT_DATATYPE type, float epsilon,
                                std::uint32_t datumId) override;
    HRESULT mapClientEventToSimEvent(HSIMCONNECT handle, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                     const char* eventName) override;
    HRESULT addClientEventToNotificationGroup(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                              SIMCONNECT_CLIENT_EVENT_ID eventId, bool maskable) override;
    HRESULT setNotificationGroupPriority(HSIMCONNECT handle, SIMCONNECT_NOTIFICATION_GROUP_ID groupId,
                                         std::uint32_t priority) override;
    HRESULT requestDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                   SIMCONNECT_DATA_DEFINITION_ID defineId, SIMCONNECT_OBJECT_ID objectId,
                                   SIMCONNECT_PERIOD period) override;
    HRESULT requestDataOnSimObjectType(HSIMCONNECT handle, SIMCONNECT_DATA_REQUEST_ID requestId,
                                       SIMCONNECT_DATA_DEFINITION_ID defineId, std::uint32_t radiusMeters,
                                       SIMCONNECT_SIMOBJECT_TYPE type) override;
    HRESULT setDataOnSimObject(HSIMCONNECT handle, SIMCONNECT_DATA_DEFINITION_ID defineId,
                               SIMCONNECT_OBJECT_ID objectId, std::uint32_t arrayCount, std::uint32_t unitSize,
                               const void* data) override;
    HRESULT transmitClientEvent(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId, SIMCONNECT_CLIENT_EVENT_ID eventId,
                                std::uint32_t data, SIMCONNECT_NOTIFICATION_GROUP_ID groupId) override;
    HRESULT aiCreateNonAtcAircraft(HSIMCONNECT handle, const char* containerTitle, const char* tailNumber,
                                   const SIMCONNECT_DATA_INITPOSITION& initPos,
                                   SIMCONNECT_DATA_REQUEST_ID requestId) override;
    HRESULT getLastSentPacketId(HSIMCONNECT handle, std::uint32_t* packetId) override;
    HRESULT aiReleaseControl(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                             SIMCONNECT_DATA_REQUEST_ID requestId) override;
    HRESULT aiRemoveObject(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId,
                           SIMCONNECT_DATA_REQUEST_ID requestId) override;
    HRESULT aiSetAircraftFlightPlan(HSIMCONNECT handle, SIMCONNECT_OBJECT_ID objectId, const char* path,
                                    SIMCONNECT_DATA_REQUEST_ID requestId) override;

    // ---- driving: one frame of simulated time per step
    void step(int frames = 1);
    float frameRate() const;

    // ---- faults and world changes on demand
    void setReachable(bool reachable);
    // Every connection gets a quit message; once it has been delivered, dispatch and every
    // other call on that handle fail. New connections are refused afterwards.
    void quit();
    void queueException(std::uint32_t exception, std::uint32_t sendId = 0, std::uint32_t index = 0);
    // The named call ("AIRemoveObject", "TransmitClientEvent", ...) fails the next `times`
    // times (negative: until cleared with times 0) without any effect.
    void failCall(const std::string& name, int times = -1);
    void setFrameRate(float framesPerSecond);
    void setSimRunning(bool running);
    void loadFlight(const std::string& fileName);
    // The user aircraft flies this path from now on; its times count from now. An empty path
    // leaves the old one.
    void setUserPath(std::vector<SimWaypoint> path);

    // ---- observation for tests
    void setCallLogging(bool on);
    std::vector<std::string> callLog() const;
    void clearCallLog();
    int openAttempts() const;
    int openSessions() const;
    std::uint64_t frames() const;
    double simSeconds() const;
    SimZulu zulu() const;
    SimObjectState userAircraft() const;
    std::vector<SimObjectState> aiObjects() const;
    std::optional<SimObjectState> aiObject(std::uint32_t objectId) const;

    static constexpr std::uint32_t userObjectId = 1;

private:
    struct Member {
        const SimVariable* variable;
        double factor;
        SIMCONNECT_DATATYPE type;
    };
    struct Request {
        std::uint32_t requestId;
        std::uint32_t defineId;
        std::uint32_t objectId;
        SIMCONNECT_PERIOD period;
        double nextDue;
        bool byType = false;
        std::uint32_t radiusMeters = 0;
        SIMCONNECT_SIMOBJECT_TYPE type = SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT;
    };
    struct Session {
        std::uint32_t id = 0;
        std::string name;
        std::uint32_t lastPacket = 0;
        std::map<std::string, std::uint32_t> systemEvents; // upper-case name -> client event id
        std::map<std::uint32_t, std::vector<Member>> definitions;
        std::map<std::uint32_t, std::string> clientEvents; // client event id -> simulator event
        std::map<std::uint32_t, std::vector<std::uint32_t>> groups;
        std::map<std::uint32_t, std::uint32_t> groupPriorities;
        std::vector<Request> requests;
        std::deque<SimModelMessage> queue;
        bool quitDelivered = false;
    };
    struct PendingCreation {
        std::uint32_t sessionId;
        std::uint32_t packetId;
        std::uint32_t requestId;
        std::string title;
        std::string tailNumber;
        SIMCONNECT_DATA_INITPOSITION initPos;
        int framesLeft;
        std::uint32_t refusal; // 0, or the exception that refuses it
    };

    // all with m_mutex held
    Session* findSession(HSIMCONNECT handle);
    bool failing(const std::string& call);
    // logs the call; false when the handle is closed or unknown or the call is made to fail;
    // otherwise counts the packet
    bool beginCall(HSIMCONNECT handle, const std::string& call, const std::string& logText, Session*& session);
    void logCall(const std::string& text);
    void queueExceptionLocked(Session& s, std::uint32_t exception, std::uint32_t sendId, std::uint32_t index);
    SimObjectState* findObject(std::uint32_t objectId);
    SimObjectState* findAiObjectLocked(Session& s, std::uint32_t objectId);
    void notifySystemEvent(const std::string& name, std::uint32_t data);
    void notifyObjectEvent(const std::string& name, std::uint32_t objectId);
    void moveUser();
    // what the simulator's own AI does to the objects nobody holds, for one frame of `seconds`
    void driftAiObjects(double seconds);
    void answer(Session& s, const Request& r, const SimObjectState& o, std::uint32_t entry, std::uint32_t outOf);
    void serveRequests(Session& s);
    void createObjects();
    void removeObjects();
    SimZulu zuluLocked() const;

    mutable std::mutex m_mutex;
    SimScenario m_scenario;
    float m_frameRate;
    bool m_reachable = true;
    bool m_quit = false;
    bool m_simRunning;
    std::uint64_t m_frames = 0;
    double m_simTime = 0.0;
    std::uint32_t m_nextSessionId = 1;
    std::uint32_t m_nextObjectId = 100;
    int m_openAttempts = 0;
    std::map<std::uint32_t, Session> m_sessions;
    SimObjectState m_user;
    std::map<std::uint32_t, SimObjectState> m_ai;
    std::vector<PendingCreation> m_creations;
    std::vector<std::uint32_t> m_removals;
    std::map<std::string, int> m_failing;
    bool m_logCalls = false;
    std::vector<std::string> m_callLog;
};
