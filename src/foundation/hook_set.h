#pragma once
// A set of hooks through which a lower library calls the libraries above it: installed whole
// (at start, or by a test), and copied whole by each caller, so that a call never runs under the
// set's lock and an installation never changes a hook while it runs.
#include <mutex>
#include <utility>

template <class Hooks>
class HookSet {
public:
    void install(Hooks hooks)
    {
        std::lock_guard lock(m_mutex);
        m_hooks = std::move(hooks);
    }
    Hooks get() const
    {
        std::lock_guard lock(m_mutex);
        return m_hooks;
    }

private:
    mutable std::mutex m_mutex;
    Hooks m_hooks;
};
