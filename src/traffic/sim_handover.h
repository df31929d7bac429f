#pragma once
// Removal of an aircraft from the simulator, withdrawal of waiting creations, and the flaps and
// throttle setters that send an event only when the index changes.
#include "simlink/sim_records.h"
#include "traffic/ac_records.h"

#include <algorithm>
#include <cstdint>
#include <deque>

struct LiveAc;

// buffer: erased; adding2sim: its waiting create request is withdrawn (eraseNow) or, when the
// request is already with the simulator, the object is removed once reported; liveryrespawn: its
// object's removal, queued already, ends the record; otherwise the object id is queued for
// removal, once.
void removeAircraftFromSim(AcRecord& ac);
// The same for a live aircraft, which leaves its stand free when it is parked there.
void removeAircraftFromSim(LiveAc& ac);
// Removes the first record the predicate picks; false when there is none.
template <class Records, class Pred>
bool gf_removeFirst(Records& records, Pred pred)
{
    const auto it = std::find_if(records.begin(), records.end(), pred);
    if (it == records.end())
        return false;
    removeAircraftFromSim(*it);
    return true;
}
// Withdraws every request for this hex id; true when one was withdrawn.
bool gf_removePendingCreate(std::deque<CreateRequest>& requests, std::uint32_t hexid);
void gf_setFlaps(AcRecord& ac, std::uint32_t index);
void gf_setThrottle(AcRecord& ac, std::uint32_t index);
