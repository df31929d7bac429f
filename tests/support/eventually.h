#pragma once
// Waiting in real time for what another thread does.
#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

// Real-time polling of something another thread does; false after `limit`.
inline bool eventually(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace testsupport
