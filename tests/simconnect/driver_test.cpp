// The interface without an installed backend: the default model, driven in real time.
#include "simconnect/sim_backend.h"
#include "simconnect/sim_model.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(SimConnectInterface, WithoutAnInstalledBackendTheDefaultModelRunsInRealTime)
{
    gf_setSimConnectBackend(nullptr);
    HSIMCONNECT h = nullptr;
    ASSERT_GE(SimConnect_Open(&h, "TRWK", nullptr, 0, nullptr, 0), 0);
    ASSERT_GE(SimConnect_SubscribeToSystemEvent(h, 204, "Frame"), 0);
    struct Seen {
        std::string simulator;
        int frames = 0;
    } seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (seen.frames < 3 && std::chrono::steady_clock::now() < deadline) {
        SimConnect_CallDispatch(
            h,
            [](SIMCONNECT_RECV* p, std::uint32_t, void* c) {
                auto* s = static_cast<Seen*>(c);
                if (p->dwID == SIMCONNECT_RECV_ID_OPEN)
                    s->simulator = reinterpret_cast<SIMCONNECT_RECV_OPEN*>(p)->szApplicationName;
                if (p->dwID == SIMCONNECT_RECV_ID_EVENT_FRAME)
                    ++s->frames;
            },
            &seen);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(seen.simulator, gf_defaultSimScenario().simulatorName);
    EXPECT_GE(seen.frames, 3);
    EXPECT_GE(SimConnect_Close(h), 0);
    EXPECT_LT(SimConnect_CallDispatch(h, [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
}
