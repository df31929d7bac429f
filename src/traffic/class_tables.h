#pragma once
// The per-size-class values of the aircraft records and of their motion.
#include "aircraft/size_class.h"

struct ClassValues {
    double groundTurnStepDeg; // degrees per tick
    unsigned flarePitchTicks;
    unsigned noseLoweringTicks;
    unsigned rotationTicks;
    unsigned climbPitchTicks;
    double rotationPitchDeg;
    double climbPitchDeg;
    double maxClimbRate; // feet per tick
    double parkingSpeedKt;
    double maxBankRateDeg; // degrees per tick
    double maxBankDeg;
    double maxPitchRateDeg; // degrees per tick
    double takeoffSpeedKt;
};

// std::out_of_range ("invalid unordered_map<K, T> key") for a class without a row.
const ClassValues& gf_classValues(SizeClass sizeClass);
