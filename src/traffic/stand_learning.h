#pragma once
// Where the parking of live aircraft hands its knowledge to the stand learning: one hook for the
// arrival at a stand, the departure from it and the spawn as parked (real options) and for the
// stand chosen after landing (soft options), the list of aircraft that taught a stand and when,
// and the choice of a stand to learn for a landed aircraft. Control thread.
#include "foundation/half_hours.h"
#include "traffic/live_ac.h"

#include <cstdint>
#include <functional>

enum class StandLearning { real, soft };

// Learns that the live aircraft stands at the stand with this id at the week point; true when a
// stand update was counted. Installed by the stand learning; while it is empty nothing is learned.
using AddStandOption = std::function<bool(StandLearning kind, std::uint32_t standId, LiveAc& ac, WeekPoint now,
                                          bool fillGaps)>;
extern AddStandOption g_addStandOption;

// Offers the stand to the learning; on success the aircraft's entry in the parked-aircraft id
// list holds the half hour of `now`.
bool gf_learnStand(StandLearning kind, std::uint32_t standId, LiveAc& ac, WeekPoint now, bool fillGaps);
// After landing (or when a landed aircraft starts its take-off roll): with LEARN_SOFT, a stand
// chosen for the aircraft by its schedule learns it softly, at most once in three half hours.
void learnStandAfterLanding(LiveAc& ac, bool notFlying);
// The parked-aircraft id list emptied (a new run).
void gf_clearParkedIds();
