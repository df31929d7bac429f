#include "platform/clock.h"

#include <thread>

namespace platform {
namespace {

class RealClock : public Clock {
public:
    SystemTime systemNow() override { return std::chrono::system_clock::now(); }
    SteadyTime steadyNow() override { return std::chrono::steady_clock::now(); }
    void sleepUntil(SteadyTime deadline) override { std::this_thread::sleep_until(deadline); }
};

RealClock g_realClock;
std::atomic<Clock*> g_clock{&g_realClock};

} // namespace

Clock& clock() { return *g_clock.load(std::memory_order_acquire); }

void setClock(Clock* c) { g_clock.store(c ? c : &g_realClock, std::memory_order_release); }

bool sleepUnlessStopped(std::chrono::nanoseconds d, const std::atomic<bool>& stop)
{
    constexpr std::chrono::nanoseconds slice = std::chrono::milliseconds(100);
    Clock& c = clock();
    const SteadyTime deadline = c.steadyNow() + d;
    for (SteadyTime now = c.steadyNow(); now < deadline; now = c.steadyNow()) {
        if (stop.load())
            return false;
        c.sleepUntil(deadline - now > slice ? now + slice : deadline);
    }
    return !stop.load();
}

ManualClock::ManualClock(SystemTime start) : m_system(start) {}

SystemTime ManualClock::systemNow()
{
    std::lock_guard lock(m_mutex);
    return m_system;
}

SteadyTime ManualClock::steadyNow()
{
    std::lock_guard lock(m_mutex);
    return m_steady;
}

void ManualClock::sleepUntil(SteadyTime deadline)
{
    {
        std::lock_guard lock(m_mutex);
        if (deadline > m_steady) {
            m_system += std::chrono::duration_cast<SystemTime::duration>(deadline - m_steady);
            m_steady = deadline;
        }
    }
    // let the threads that are being waited for make progress
    std::this_thread::yield();
}

void ManualClock::advance(std::chrono::nanoseconds d)
{
    std::lock_guard lock(m_mutex);
    m_steady += d;
    m_system += std::chrono::duration_cast<SystemTime::duration>(d);
}

void ManualClock::setSystemTime(SystemTime t)
{
    std::lock_guard lock(m_mutex);
    m_system = t;
}

} // namespace platform
