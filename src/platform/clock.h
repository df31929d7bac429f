#pragma once
// The one clock of the program. Every "now" and every sleep goes through it, so tests can
// install a manual clock on which waits of seconds cost no time.
#include <atomic>
#include <chrono>
#include <mutex>

namespace platform {

using SystemTime = std::chrono::system_clock::time_point;
using SteadyTime = std::chrono::steady_clock::time_point;

class Clock {
public:
    virtual ~Clock() = default;
    virtual SystemTime systemNow() = 0;
    virtual SteadyTime steadyNow() = 0;
    virtual void sleepUntil(SteadyTime deadline) = 0;
    void sleepFor(std::chrono::nanoseconds d) { sleepUntil(steadyNow() + d); }
};

// The clock in force (the real one unless a test installed another).
Clock& clock();
// Installs a clock; nullptr restores the real one. The caller keeps it alive while installed.
void setClock(Clock* c);

// Sleeps for d on the clock in force, in slices of at most 100 ms, and ends early once `stop` is
// set: a wait of any length never holds up a stop by more than a slice. False when it ended early.
bool sleepUnlessStopped(std::chrono::nanoseconds d, const std::atomic<bool>& stop);

// A clock that only moves when it is told to, or when somebody sleeps on it: a sleep advances
// both the wall clock and the steady clock to the deadline at once.
class ManualClock : public Clock {
public:
    explicit ManualClock(SystemTime start = SystemTime{});
    SystemTime systemNow() override;
    SteadyTime steadyNow() override;
    void sleepUntil(SteadyTime deadline) override;
    void advance(std::chrono::nanoseconds d);
    void setSystemTime(SystemTime t);

private:
    std::mutex m_mutex;
    SystemTime m_system;
    SteadyTime m_steady{};
};

} // namespace platform
