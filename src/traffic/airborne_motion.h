#pragma once
// Moving a live aircraft from sample to sample: the step toward the next sample, the per-tick
// integration, and dead reckoning when the feed runs dry.
#include "traffic/live_ac.h"

// updateLiveAc calls it once g_tick has reached the due tick of sample 0.
void nextPosMain(LiveAc& ac);
// One tick of motion for an active aircraft whose sample 0 is not stationary.
void integrateTick(LiveAc& ac);
// The airborne due tick of sample 1 from the distance and the speeds.
void gf_airborneDueTick(LiveAc& ac);
