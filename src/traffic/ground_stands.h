#pragma once
// The stands a live aircraft can push back from: position, heading and radius by stand id. The
// park airport's data fills it; empty until then.
#include <cstdint>
#include <vector>

struct GroundStand {
    std::uint32_t id = 0;
    double lat = 0.0;
    double lon = 0.0;
    double headingRad = 0.0;
    double radiusNm = 0.0;
};

extern std::vector<GroundStand> g_groundStands; // control thread

// nullptr when no stand has the id.
const GroundStand* gf_findGroundStand(std::uint32_t id);
