// The back-end without a display: the GUI thread sleeps on a condition variable, and what is
// painted lives in the windows' rasters and recorded operations.
#include "w32/backend.h"

namespace w32::detail {
namespace {

class HeadlessBackend : public Backend {
public:
    BackendKind kind() const override { return BackendKind::headless; }

    void wake() override
    {
        Core& core = gf_core();
        {
            std::lock_guard lock(core.mutex);
            core.signaled = true;
        }
        core.wakeup.notify_all();
    }

    void wait(std::unique_lock<std::mutex>& lock) override
    {
        Core& core = gf_core();
        core.wakeup.wait(lock, [&] { return core.signaled; });
        core.signaled = false;
        // Cleared only after the wake-up was taken, so that a wake-up is never lost.
        core.wakePending.store(false, std::memory_order_release);
    }
};

} // namespace

Backend& gf_headlessBackend()
{
    static HeadlessBackend backend;
    return backend;
}

} // namespace w32::detail
