#include "traffic/sim_handover.h"

#include "foundation/log.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/ac_descriptions.h"
#include "traffic/followed_object.h"
#include "traffic/live_ac.h"
#include "traffic/stand_parking.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <array>
#include <fmt/format.h>

namespace {

constexpr std::array<std::uint32_t, 5> g_flapsValues{0, 3072, 10240, 16383, 0};
constexpr std::array<std::uint32_t, 5> g_throttleValues{0, 4914, 8191, 11468, 16383};

} // namespace

bool gf_removePendingCreate(std::deque<CreateRequest>& requests, std::uint32_t hexid)
{
    const auto before = requests.size();
    requests.erase(std::remove_if(requests.begin(), requests.end(),
                                  [&](const CreateRequest& r) { return r.hexId == hexid; }),
                   requests.end());
    return requests.size() != before;
}

void removeAircraftFromSim(AcRecord& ac)
{
    switch (ac.acState) {
    case AcState::buffer:
        ac.erase = true;
        return;
    case AcState::adding2sim:
        // by hex id and from the aircraft's own queue: another aircraft may fly the same callsign
        if (gf_removePendingCreate(ac.isLive() ? g_createDeque : g_staticCreateDeque, ac.hexid))
            ac.eraseNow = true;
        else
            ac.removeWhenCreated = true;
        return;
    case AcState::liveryrespawn:
        // its object's removal is queued already: the report of it erases the record, which comes
        // back no more; without an object there is nothing to wait for
        ac.acState = AcState::removingfromsim;
        ac.eraseNow = ac.objectId == 0;
        return;
    case AcState::removingfromsim:
        return; // queued already: a second removal would ask the simulator for a gone object
    default:
        break;
    }
    if (ac.removeWhenCreated)
        return;
    ac.acState = AcState::removingfromsim;
    gf_forgetFollowedOnRemoval(ac);
    if (ac.objectId != 0)
        g_removeDeque.push_back(ac.objectId);
    else
        gf_log(fmt::format("{} removing act {}, with objectid=0 ?", "removeAircraftFromSim", gf_describeAc(ac)));
}

void removeAircraftFromSim(LiveAc& ac)
{
    gf_releaseStand(ac);
    removeAircraftFromSim(static_cast<AcRecord&>(ac));
}

void gf_setFlaps(AcRecord& ac, std::uint32_t index)
{
    if (index == ac.flapsIndex || ac.sizeClass == SizeClass::Rotorcraft)
        return;
    if (index < g_flapsValues.size())
        gf_queueClientEvent({ac.objectId, EVENT_FLAPS_SET, g_flapsValues[index]});
    else
        gf_log("gf_setFlaps: invalid flaps index");
    ac.flapsIndex = index;
}

void gf_setThrottle(AcRecord& ac, std::uint32_t index)
{
    if (index == ac.throttleIndex)
        return;
    if (index < g_throttleValues.size())
        gf_queueClientEvent({ac.objectId, EVENT_THROTTLE_SET, g_throttleValues[index]});
    ac.throttleIndex = index;
}
