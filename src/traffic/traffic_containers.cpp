#include "traffic/traffic_containers.h"

#include <algorithm>

std::vector<LiveAc> g_liveAircraft;
std::vector<StaticAc> g_staticAircraft;
std::vector<std::uint32_t> g_addingStack;
std::list<std::uint32_t> g_duplicateCheckList;
std::deque<CreateRequest> g_createDeque;
std::deque<CreateRequest> g_staticCreateDeque;
std::deque<std::uint32_t> g_removeDeque;
std::vector<SpawnWait> g_spawnWaitList;
std::vector<FeedRecord> g_feedStack;

namespace {

template <class T, class Pred>
T* lf_find(std::vector<T>& records, Pred pred)
{
    const auto it = std::find_if(records.begin(), records.end(), pred);
    return it == records.end() ? nullptr : &*it;
}

} // namespace

LiveAc* gf_findLiveAc(std::uint32_t hexid)
{
    return lf_find(g_liveAircraft, [&](const LiveAc& ac) { return ac.hexid == hexid; });
}

LiveAc* gf_findLiveAcByObjectId(std::uint32_t objectId)
{
    return lf_find(g_liveAircraft, [&](const LiveAc& ac) { return ac.objectId == objectId; });
}

LiveAc* gf_findLiveAcByCallsign(std::string_view callsign)
{
    return lf_find(g_liveAircraft, [&](const LiveAc& ac) { return ac.callsign == callsign; });
}

StaticAc* gf_findStaticAc(std::uint32_t hexid)
{
    return lf_find(g_staticAircraft, [&](const StaticAc& ac) { return ac.hexid == hexid; });
}

StaticAc* gf_findStaticAcByObjectId(std::uint32_t objectId)
{
    return lf_find(g_staticAircraft, [&](const StaticAc& ac) { return ac.objectId == objectId; });
}
