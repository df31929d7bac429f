#pragma once
// The life of an aircraft after its creation: what the simulator link reports about objects,
// the 200-pass wait, activation and parking configuration.
#include "traffic/ac_records.h"

// Engines off, flaps and throttle 0 and the parked lights (a static aircraft, or a live one
// parked at birth).
void gf_parkStaticAc(AcRecord& ac);
