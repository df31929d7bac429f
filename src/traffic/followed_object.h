#pragma once
// The live aircraft followed through the window's "Oid:" box: the object id found for the callsign
// typed there. Set and cleared by the control thread; the window shows the id as its own text.
#include "foundation/hook_set.h"
#include "traffic/ac_records.h"

#include <atomic>
#include <cstdint>
#include <functional>

extern std::atomic<std::uint32_t> g_followedObjectId; // 0: none
// Installed by the window: empties its text of the followed object and repaints it.
extern HookSet<std::function<void()>> g_followedObjectGoneHook;

// The aircraft leaves the simulator for good: when it is the followed one, it is forgotten and the
// callsign typed in the "Oid:" box is emptied and saved.
void gf_forgetFollowedOnRemoval(const AcRecord& ac);
// The aircraft leaves the simulator to come back with another livery: when it is the followed one,
// it is forgotten and its callsign is written into the "Oid:" box, to be looked up again.
void gf_forgetFollowedOnRespawn(const AcRecord& ac);
