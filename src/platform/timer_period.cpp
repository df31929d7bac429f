#include "platform/timer_period.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<int> g_timerPeriods{0};
}

TimerPeriodGuard::TimerPeriodGuard() { ++g_timerPeriods; }
TimerPeriodGuard::~TimerPeriodGuard() { --g_timerPeriods; }
int activeTimerPeriods() { return g_timerPeriods.load(); }

} // namespace platform
