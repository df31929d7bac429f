#include "simlink/sim_client.h"

#include "foundation/log.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/sim_disconnect.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "platform/clock.h"
#include "platform/timer_period.h"
#include "simconnect/simconnect.h"
#include "simlink/sim_hooks.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_registration.h"
#include "simlink/sim_state.h"

#include <chrono>
#include <fmt/format.h>
#include <string>

std::jthread g_simClientThread;

namespace {

using namespace std::chrono_literals;

// Sleeps until now + d on the program's clock; a deadline past the clock's end is clamped.
void lf_sleep(std::chrono::milliseconds d)
{
    auto& clock = platform::clock();
    const platform::SteadyTime now = clock.steadyNow();
    const platform::SteadyTime deadline =
        now > platform::SteadyTime::max() - d ? platform::SteadyTime::max() : now + d;
    clock.sleepUntil(deadline);
}

void lf_pump(const std::stop_token& stop)
{
    const platform::TimerPeriodGuard timerPeriod;
    bool disconnected = false;
    while (!stop.stop_requested()) {
        // a failing dispatch on an open connection: the simulator has gone and will not return in this run
        if (SimConnect_CallDispatch(g_hSimConnect, gf_dispatch, nullptr) < 0 && !disconnected) {
            disconnected = true;
            gf_stopOnSimDisconnect();
        }
        lf_sleep(1ms);
    }
}

void lf_connectAndPump(const std::stop_token& stop)
{
    bool announced = false;
    while (!g_stop && !g_quit && !stop.stop_requested()) {
        if (!announced) {
            gf_showStatus(fmt::format("Waiting for MSFS 20{} ...", g_msfs2020Mode ? "20" : "24"), true);
            gf_log("\n");
            announced = true;
        }
        HSIMCONNECT handle = nullptr;
        if (SimConnect_Open(&handle, std::string(g_shortDisplayName).c_str(), nullptr, 0, nullptr, 0) < 0) {
            lf_sleep(100ms);
            continue;
        }
        g_hSimConnect = handle;
        g_simNotConnected = false;
        gf_registerWithSim();
        lf_pump(stop);
    }
}

void lf_closing()
{
    const SimLinkHooks hooks = gf_simLinkHooks();
    if (hooks.rememberUserStand)
        hooks.rememberUserStand();
    if (hooks.setSimConnected)
        hooks.setSimConnected(false);
    if (const HSIMCONNECT handle = g_hSimConnect; handle != nullptr) {
        if (SimConnect_Close(handle) >= 0)
            gf_log("SimConnect closed ok");
        else
            gf_logError("Closing SimConnect failed?!");
    }
}

} // namespace

void SimClient(std::stop_token stop)
{
    try {
        lf_connectAndPump(stop);
    } catch (const brv::UserErrorException& e) {
        gf_showError(fmt::format("{}: {}", e.code(), e.what()));
    } catch (const std::exception& e) {
        gf_showError(e.what());
        g_simRunning = false;
        gf_stopOnSimDisconnect();
    } catch (...) {
        gf_showError(fmt::format("Exception in {}", "SimClient"));
        g_simRunning = false;
        gf_stopOnSimDisconnect();
    }
    try {
        lf_closing();
    } catch (...) {
        gf_logError(fmt::format("Exception in {}", "SimClient"));
    }
}
