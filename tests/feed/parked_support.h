#pragma once
// The aircraft database and the arrays of parked-traffic answers as the parked tests use them.
#include "aircraft/dbase.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace testsupport {

inline void fillParkedDbase()
{
    gf_resetDbase();
    g_dbase.aircraftTypes = {"A320", "A388", "B738", "B744", "B748", "B763", "C172", "E190"};
    g_dbase.largeTypes = {"A320", "B738", "E190"};
    g_dbase.heavyTypes = {"A388", "B744", "B748", "B763"};
    g_dbase.records["D-AIPX"] = DbaseRecord{"DLH", "A320", "", false};
    g_dbase.records["D-ABYA"] = DbaseRecord{"DLH", "B748", "", false};
    g_dbase.records["N123UP"] = DbaseRecord{"UPS", "B763", "GTI", true};
    g_dbase.records["DLH4X"] = DbaseRecord{"DLH", "A320", "CLH", false};
}

// [lat, lon, stand, type, registration, report time, callsign]; set() changes one element.
class ParkedLine {
public:
    ParkedLine(double lat, double lon, const std::string& stand, const std::string& type,
               const std::string& registration, std::int64_t reportTime, const std::string& callsign)
        : m_json(nlohmann::json::array({lat, lon, stand, type, registration, reportTime, callsign}))
    {
    }
    ParkedLine& set(std::size_t i, nlohmann::json value)
    {
        m_json[i] = std::move(value);
        return *this;
    }
    operator const nlohmann::json&() const { return m_json; }

private:
    nlohmann::json m_json;
};

inline ParkedLine parkedLine(double lat, double lon, const std::string& stand, const std::string& type,
                             const std::string& registration, std::int64_t reportTime, const std::string& callsign)
{
    return ParkedLine(lat, lon, stand, type, registration, reportTime, callsign);
}

} // namespace testsupport
