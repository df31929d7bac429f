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
    std::pair<std::string, int> seen; // the simulator's name, the frames
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (seen.second < 3 && std::chrono::steady_clock::now() < deadline) {
        SimConnect_CallDispatch(
            h,
            [](SIMCONNECT_RECV* p, std::uint32_t, void* c) {
                auto& [simulator, frames] = *static_cast<std::pair<std::string, int>*>(c);
                if (p->dwID == SIMCONNECT_RECV_ID_OPEN)
                    simulator = reinterpret_cast<SIMCONNECT_RECV_OPEN*>(p)->szApplicationName;
                frames += p->dwID == SIMCONNECT_RECV_ID_EVENT_FRAME ? 1 : 0;
            },
            &seen);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(seen.first, gf_defaultSimScenario().simulatorName);
    EXPECT_GE(seen.second, 3);
    EXPECT_GE(SimConnect_Close(h), 0);
    EXPECT_LT(SimConnect_CallDispatch(h, [](SIMCONNECT_RECV*, std::uint32_t, void*) {}, nullptr), 0);
}
