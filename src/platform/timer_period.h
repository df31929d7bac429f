#pragma once
// The 1 ms timer resolution that the tick loop and the simulator loop ask for. The scheduler
// here needs nothing, so the guard only counts who holds it.
namespace platform {

class TimerPeriodGuard {
public:
    TimerPeriodGuard();
    ~TimerPeriodGuard();
    TimerPeriodGuard(const TimerPeriodGuard&) = delete;
    TimerPeriodGuard& operator=(const TimerPeriodGuard&) = delete;
};

int activeTimerPeriods();

} // namespace platform
