// The model driven in real time while another thread dispatches and calls.
#include "model_support.h"

#include "simconnect/sim_backend.h"
#include "simconnect/sim_model_driver.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(SimModelDriver, StepsInRealTimeWhileClientsCallAndDispatch)
{
    auto scenario = testsupport::testScenario();
    scenario.frameRate = 200.0f;
    auto model = std::make_shared<SimModel>(scenario);
    HSIMCONNECT h = nullptr;
    ASSERT_GE(model->open(&h, "TEST"), 0);
    model->subscribeToSystemEvent(h, 204, "Frame");
    model->mapClientEventToSimEvent(h, 207, "NAV_LIGHTS_SET");
    std::atomic<int> frames{0};
    {
        SimModelDriver driver(model);
        std::jthread caller([&](std::stop_token stop) {
            int n = 0;
            while (!stop.stop_requested()) {
                model->aiCreateNonAtcAircraft(h, "Airliner A", ("RT" + std::to_string(n++ % 5)).c_str(),
                                              SIMCONNECT_DATA_INITPOSITION{50.0, 8.0, 0, 0, 0, 0, 1, 0}, 104);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (frames < 40 && std::chrono::steady_clock::now() < deadline) {
            model->callDispatch(
                h,
                [](SIMCONNECT_RECV* p, std::uint32_t, void* c) {
                    if (p->dwID == SIMCONNECT_RECV_ID_EVENT_FRAME)
                        ++*static_cast<std::atomic<int>*>(c);
                },
                &frames);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EXPECT_GE(frames.load(), 40);
    EXPECT_GE(model->frames(), 40u);
    EXPECT_FALSE(model->aiObjects().empty());
}

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
