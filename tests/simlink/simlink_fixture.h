#pragma once
// The simulator link against a model of its own: the model is installed as the backend,
// the hooks of the window and the airport data are recorded, every global starts fresh.
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"
#include "simlink/object_list.h"
#include "simlink/sim_client.h"
#include "simlink/sim_hooks.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_registration.h"
#include "simlink/sim_state.h"
#include "support/logged_folder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace testsupport {

inline SimScenario simlinkScenario(const std::string& simulatorName = "KittyHawk")
{
    SimScenario s = gf_parseSimScenario(R"({"frameRate": 40, "groundAltitudeFt": 0, "creationFrames": 2,
        "user": {"title": "User Jet", "atcModel": "B738", "atcId": "D-USER",
                 "path": [{"t": 0, "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90}]},
        "installedTitles": ["Airliner A", "Bizjet B"]})");
    s.simulatorName = simulatorName;
    return s;
}

// What the link told the window and the airport data.
struct HookRecord {
    std::mutex mutex;
    std::vector<bool> simConnected;
    std::vector<bool> simRunning;
    std::vector<std::string> simulatorTexts;
    int rememberedStands = 0;
    std::vector<std::string> userAircraftTexts;
    std::vector<std::string> userStandTexts;
    std::vector<bool> wingspanKnown;
    // the stand the traffic manager would name for a position
    std::function<std::string(double, double)> nearestStand;

    SimLinkHooks hooks()
    {
        // a hook that appends what it is told to one of the lists
        const auto lt_append = [this](auto list) {
            return [this, list](auto value) {
                std::lock_guard lock(mutex);
                (this->*list).push_back(value);
            };
        };
        SimLinkHooks h;
        h.setSimConnected = lt_append(&HookRecord::simConnected);
        h.setSimRunning = lt_append(&HookRecord::simRunning);
        h.setSimulatorText = lt_append(&HookRecord::simulatorTexts);
        h.setUserAircraftText = lt_append(&HookRecord::userAircraftTexts);
        h.setUserStandText = lt_append(&HookRecord::userStandTexts);
        h.setUserWingspanKnown = lt_append(&HookRecord::wingspanKnown);
        h.rememberUserStand = [this] {
            std::lock_guard lock(mutex);
            ++rememberedStands;
        };
        h.getNearestStandName = [this](double lat, double lon) {
            std::unique_lock lock(mutex);
            const auto f = nearestStand;
            lock.unlock();
            return f ? f(lat, lon) : std::string();
        };
        return h;
    }
    template <class F>
    auto read(F f)
    {
        std::lock_guard lock(mutex);
        return f(*this);
    }
};

// Polls a condition with real sleeps; false when it did not come true within a generous limit.
template <class Predicate>
bool waitUntil(Predicate p)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!p()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A creation as the traffic manager queues it: on the ground at 50 N 8 E, heading east.
inline CreateRequest makeRequest(const std::string& title, const std::string& callsign, std::uint32_t hexId)
{
    CreateRequest r;
    r.initPos = {50.0, 8.0, 0.0, 0.0, 0.0, 90.0, 1, 0};
    r.callsign = callsign;
    r.liveryTitle = title;
    r.hexId = hexId;
    return r;
}

// A message made by hand, for values the model would not produce on its own, delivered through
// the program's dispatch procedure.
template <class Record>
void deliver(Record rec, std::uint32_t id, const void* extra = nullptr, std::size_t extraSize = 0)
{
    std::vector<std::uint64_t> storage((sizeof(Record) + extraSize + 7) / 8, 0);
    rec.dwSize = static_cast<std::uint32_t>(sizeof(Record) + extraSize);
    rec.dwID = id;
    std::memcpy(storage.data(), &rec, sizeof(Record));
    if (extraSize > 0)
        std::memcpy(reinterpret_cast<std::byte*>(storage.data()) + sizeof(Record), extra, extraSize);
    gf_dispatch(reinterpret_cast<SIMCONNECT_RECV*>(storage.data()), rec.dwSize, nullptr);
}

// The object list as taken by the traffic manager: object id, hex id or on-ground flag, kind, values A and B.
using Report = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, double, double>;
inline std::vector<Report> takeReports()
{
    std::vector<Report> reports;
    for (const ObjectListEntry& e : gf_takeObjectList())
        reports.emplace_back(e.objectId, e.hexIdOrOnGround, e.kind, e.valueA, e.valueB);
    return reports;
}

class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override { install(simlinkScenario()); }

    void TearDown() override
    {
        if (g_simClientThread.joinable()) {
            g_simClientThread.request_stop();
            g_simClientThread.join();
        }
        gf_setSimLinkHooks({});
        gf_setSimConnectBackend(nullptr);
        gf_resetSimLinkState();
        gf_clearStatusAndError();
    }

    void install(const SimScenario& scenario)
    {
        gf_resetSimLinkState();
        gf_clearStatusAndError();
        model = std::make_shared<SimModel>(scenario);
        model->setCallLogging(true);
        gf_setSimConnectBackend(model);
        gf_setSimLinkHooks(record.hooks());
    }

    // Opens and registers on the test thread, as the SimClient thread does.
    void connect()
    {
        HSIMCONNECT h = nullptr;
        ASSERT_GE(SimConnect_Open(&h, "TRWK", nullptr, 0, nullptr, 0), 0);
        g_hSimConnect = h;
        g_simNotConnected = false;
        gf_registerWithSim();
    }
    // The in-range request of the traffic manager.
    void requestInRange(std::uint32_t radiusMetres = 10000)
    {
        std::lock_guard lock(g_simConnectMutex);
        SimConnect_RequestDataOnSimObjectType(g_hSimConnect, REQ_AC_WITHIN_RANGE, DEF_AC_BY_TYPE, radiusMetres,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }
    // Delivers the queued messages through the program's dispatch procedure.
    HRESULT pump() { return SimConnect_CallDispatch(g_hSimConnect, gf_dispatch, nullptr); }
    void frame(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            model->step();
            pump();
        }
    }

    // Creates one own aircraft the way the program does and returns its object id.
    std::uint32_t createOwn(const std::string& callsign, std::uint32_t hexId)
    {
        gf_queueCreate(makeRequest("Airliner A", callsign, hexId));
        frame(4);
        requestInRange();
        frame(2);
        for (const auto& e : gf_takeObjectList())
            if (e.hexIdOrOnGround == hexId && e.kind <= OBJ_OWN_STATIC_CREATED)
                return e.objectId;
        ADD_FAILURE() << callsign << " was not reported";
        return 0;
    }

    int countCalls(const std::string& prefix) const
    {
        const auto log = model->callLog();
        return static_cast<int>(
            std::count_if(log.begin(), log.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }

    LoggedFolder folder;
    std::shared_ptr<SimModel> model;
    HookRecord record;
};

} // namespace testsupport
