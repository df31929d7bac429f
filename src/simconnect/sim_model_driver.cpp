#include "simconnect/sim_model_driver.h"

#include "platform/clock.h"

#include <chrono>

namespace {

void lf_drive(std::stop_token stop, SimModel& model)
{
    using namespace std::chrono;
    auto deadline = platform::clock().steadyNow();
    while (!stop.stop_requested()) {
        model.step();
        const auto period = duration_cast<steady_clock::duration>(duration<double>(1.0 / model.frameRate()));
        deadline += period;
        const auto now = platform::clock().steadyNow();
        if (deadline + seconds(1) < now)
            deadline = now; // after a stall: no burst of frames to catch up
        platform::clock().sleepUntil(deadline);
    }
}

} // namespace

SimModelDriver::SimModelDriver(std::shared_ptr<SimModel> model)
    : m_model(std::move(model)), m_thread([m = m_model](std::stop_token stop) { lf_drive(stop, *m); })
{
}

SimModelDriver::~SimModelDriver()
{
    m_thread.request_stop();
    if (m_thread.joinable())
        m_thread.join();
}
