#pragma once
// Installs a manual clock set to a given UTC time for the life of the object.
#include "platform/clock.h"

#include <chrono>
#include <cstdint>

namespace testsupport {

class ManualTime {
public:
    explicit ManualTime(std::int64_t secondsSince1970)
        : m_clock(platform::SystemTime{} + std::chrono::seconds(secondsSince1970))
    {
        platform::setClock(&m_clock);
    }
    ~ManualTime() { platform::setClock(nullptr); }
    ManualTime(const ManualTime&) = delete;
    ManualTime& operator=(const ManualTime&) = delete;

    void set(std::int64_t secondsSince1970)
    {
        m_clock.setSystemTime(platform::SystemTime{} + std::chrono::seconds(secondsSince1970));
    }
    platform::ManualClock& clock() { return m_clock; }

private:
    platform::ManualClock m_clock;
};

} // namespace testsupport
