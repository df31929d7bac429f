#pragma once
// Holds a mutex on a thread of its own, as another thread of the program would, until released.
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace testsupport {

class MutexHolder {
public:
    explicit MutexHolder(std::mutex& mutex)
    {
        std::promise<void> held;
        auto heldFuture = held.get_future();
        m_thread = std::thread([this, &mutex, held = std::move(held)]() mutable {
            std::lock_guard lock(mutex);
            held.set_value();
            std::unique_lock wait(m_mutex);
            m_cv.wait(wait, [this] { return m_release; });
        });
        heldFuture.wait();
    }
    ~MutexHolder() { release(); }
    MutexHolder(const MutexHolder&) = delete;
    MutexHolder& operator=(const MutexHolder&) = delete;

    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_cv.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_release = false;
    std::thread m_thread;
};

} // namespace testsupport
