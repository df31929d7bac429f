#pragma once
// The feed's records reach the live aircraft: due ticks, the hand-over from the Traffic Reader
// to the tick, new aircraft and the plausibility rules for new samples of known ones.
#include "feed/feed_record.h"
#include "traffic/live_ac.h"

#include <cstdint>
#include <vector>

// Traffic Reader thread, after each answer: gives every record its due tick relative to the
// median record time (offset 0, 6, 12, 18, 24 s for the start-up snapshots, applied at once; 30
// for the loop, moved onto the feed stack when it is empty and the run is going). A record dated
// more than 600 s after the rest of its answer and after the earlier answers is dropped; the
// newest record kept is the feed time (g_latestFeedTime, 0 for an empty answer), that of a lone
// record with no feed time before it in this run, or since the time shift changed, only when it
// lies within 600 s of the system clock less the time shift, or when its time moved on from the
// lone answer's before it as the steady clock did, give or take 30 s. What is kept is of the time
// shift the answer was asked under (minutes); a loop answer asked under another shift than the one
// in force does not reach the stack. The batch is empty afterwards.
void gf_intakeFeedBatch(std::vector<FeedRecord>& batch, std::uint32_t offsetSeconds, std::int32_t askedUnderShift);
// A new run: no earlier feed time, nor lone answer, for the answers to be judged against.
void gf_resetLatestFeedTime();
// The due tick of a record: base - 10 x k, k = (record time - median) x -10 truncated, computed
// in 64 bits and clamped into the u32 range.
std::uint32_t gf_dueTick(double recordTime, double medianTime, std::int64_t base);

// A record for a known hex id becomes a sample, a new hex id a new aircraft (tick; the
// start-up snapshots before the tick loop runs).
void gf_applyFeedRecord(const FeedRecord& record);
// A type changed since the aircraft's values were taken (the identity rules, the registration's
// database record at the spawn): the half wingspan, size class and class values of the new type.
void gf_retakeTypeValues(AcBase& ac);
// The rules for a new sample of a known aircraft.
void decodeExisting(LiveAc& ac, FeedSample s);
bool checkExtendingSituations(LiveAc& ac, FeedSample& s);
bool checkNewPosDuringLanding(LiveAc& ac, FeedSample& s);
// No dead reckoning any more: the feed's due ticks hold again.
void gf_resetLimits(LiveAc& ac);
