#pragma once
// The traffic manager's containers. They belong to the control thread (the tick) unless a
// mutex is named.
#include "feed/feed_record.h"
#include "simlink/sim_records.h"
#include "traffic/ac_records.h"
#include "traffic/live_ac.h"

#include <cstdint>
#include <deque>
#include <list>
#include <string_view>
#include <vector>

extern std::vector<LiveAc> g_liveAircraft;     // in order of creation
extern std::vector<StaticAc> g_staticAircraft;
extern std::vector<std::uint32_t> g_addingStack; // hex ids waiting for their create request; back first
extern std::list<std::uint32_t> g_duplicateCheckList;
extern std::deque<CreateRequest> g_createDeque;       // live aircraft
extern std::deque<CreateRequest> g_staticCreateDeque; // static aircraft
extern std::deque<std::uint32_t> g_removeDeque;       // object ids

// A created object waiting its 200 passes before it is moved; counter -1 = done.
struct SpawnWait {
    std::uint32_t objectId = 0;
    std::uint32_t hexId = 0;
    std::int32_t counter = 0;
    std::uint32_t kind = 0;
};
extern std::vector<SpawnWait> g_spawnWaitList; // under g_objectListMutex

// One batch of feed records handed from the Traffic Reader to the tick; under g_flagsMutex.
extern std::vector<FeedRecord> g_feedStack;

// Linear searches, first match wins; nullptr when there is none.
LiveAc* gf_findLiveAc(std::uint32_t hexid);
LiveAc* gf_findLiveAcByObjectId(std::uint32_t objectId);
LiveAc* gf_findLiveAcByCallsign(std::string_view callsign);
StaticAc* gf_findStaticAc(std::uint32_t hexid);
StaticAc* gf_findStaticAcByObjectId(std::uint32_t objectId);

// Erases the record by moving the last one into its place (the order changes).
template <class T>
void gf_eraseByMovingLast(std::vector<T>& records, T* record)
{
    const auto i = static_cast<std::size_t>(record - records.data());
    if (i + 1 != records.size())
        records[i] = std::move(records.back());
    records.pop_back();
}
