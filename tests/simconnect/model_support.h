#pragma once
// A model connection driven by the test thread: open, step, and collect the messages.
#include "simconnect/sim_model.h"

#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// A copy of one delivered message.
struct Received {
    std::vector<std::uint64_t> storage;
    std::uint32_t size = 0;

    std::uint32_t id() const { return as<SIMCONNECT_RECV>().dwID; }
    template <class R>
    R as() const
    {
        R r{};
        std::memcpy(&r, storage.data(), std::min<std::size_t>(sizeof(R), size));
        return r;
    }
    const std::byte* data() const
    {
        return reinterpret_cast<const std::byte*>(storage.data()) + sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA);
    }
    template <class T>
    T member(std::size_t offset) const
    {
        T t{};
        std::memcpy(&t, data() + offset, sizeof(T));
        return t;
    }
};

class ModelClient {
public:
    explicit ModelClient(SimModel& model, const char* name = "TEST") : m_model(model)
    {
        if (m_model.open(&m_handle, name) < 0)
            m_handle = nullptr;
    }

    HSIMCONNECT handle() const { return m_handle; }

    // Delivers what is queued and returns it.
    std::vector<Received> dispatch()
    {
        std::vector<Received> got;
        m_model.callDispatch(m_handle, &ModelClient::collect, &got);
        return got;
    }
    std::vector<Received> step(int frames = 1)
    {
        m_model.step(frames);
        return dispatch();
    }

    static std::vector<Received> only(const std::vector<Received>& all, std::uint32_t id)
    {
        std::vector<Received> result;
        for (const auto& r : all)
            if (r.id() == id)
                result.push_back(r);
        return result;
    }

private:
    static void collect(SIMCONNECT_RECV* p, std::uint32_t size, void* context)
    {
        Received r;
        r.storage.assign((size + 7) / 8, 0);
        std::memcpy(r.storage.data(), p, size);
        r.size = size;
        static_cast<std::vector<Received>*>(context)->push_back(std::move(r));
    }

    SimModel& m_model;
    HSIMCONNECT m_handle = nullptr;
};

inline SimScenario testScenario()
{
    SimScenario s = gf_parseSimScenario(R"({
        "simulator": {"name": "KittyHawk", "version": [11, 0, 282174, 999]},
        "frameRate": 10,
        "groundAltitudeFt": 0,
        "clock": {"year": 2023, "dayOfYear": 365, "zuluSeconds": 86390},
        "user": {"title": "Test Jet Livery", "atcModel": "$$:B738", "atcId": "D-TEST",
                 "path": [
                    {"t": 0, "phase": "stand", "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90},
                    {"t": 10, "phase": "stand", "lat": 50.0, "lon": 8.0, "altFt": 0, "onGround": true, "headingDeg": 90},
                    {"t": 70, "phase": "taxi", "lat": 50.0, "lon": 8.01, "altFt": 0, "onGround": true},
                    {"t": 130, "phase": "climb", "lat": 50.1, "lon": 8.01, "altFt": 6000, "onGround": false}
                 ]},
        "installedTitles": ["Airliner A", {"title": "Bizjet B", "staticCgFt": 6.5, "staticPitchDeg": 1.5}],
        "creationFrames": 2
    })");
    return s;
}

} // namespace testsupport
