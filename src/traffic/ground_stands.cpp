#include "traffic/ground_stands.h"

#include <algorithm>

std::vector<GroundStand> g_groundStands;

const GroundStand* gf_findGroundStand(std::uint32_t id)
{
    const auto it =
        std::find_if(g_groundStands.begin(), g_groundStands.end(), [id](const GroundStand& s) { return s.id == id; });
    return it == g_groundStands.end() ? nullptr : &*it;
}
