#pragma once
// A live aircraft: follows the feed sample by sample and is flown by the tick.
#include "feed/feed_record.h"
#include "traffic/ac_records.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>

// Indexes of LiveAc::position and LiveAc::rates; the order of AiPosition.
enum PositionIndex : std::size_t {
    POS_LAT = 0,
    POS_LON = 1,
    POS_PITCH = 2,
    POS_BANK = 3,
    POS_HEADING = 4,
    POS_ALT = 5,
    POS_VS = 6,  // position: vertical speed in ft/s; rates: the target vertical speed in ft/min
    POS_TAS = 7, // position: true airspeed in kt; rates: the target speed in kt
};

inline constexpr double g_nan = std::numeric_limits<double>::quiet_NaN();

struct LiveAc : AcRecord {
    std::array<double, 8> position{};
    std::deque<FeedSample> samples; // front: the oldest
    double lastSampleTime = 0.0;
    std::int64_t arrivalTime = 0; // steady-clock nanoseconds
    std::int32_t extrapolationsLeft = 0;
    std::int32_t holdStartTick = 0;
    FlightState flightState = FlightState::birth;
    FlightState previousFlightState = FlightState::birth;
    bool standChecked = false;
    bool onGround = false;
    bool flightPlanAssigned = false;
    bool spawnHeld = false;
    std::uint32_t holding = 0;
    std::uint32_t failedPasses = 0; // consecutive updates that ended in an exception
    // latRate, lonRate (deg/tick), pitchRate, bankRate, headingRate (rad/tick), altRate (ft/tick),
    // targetVs (ft/min), targetSpeed (kt)
    std::array<double, 8> rates{};
    std::array<double, 8> curve{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, g_nan, g_nan};
    double curveT = 0.0;
    double curveStep = 0.0;
    double curveTurnDeg = 0.0;
    FeedSample departureSample{};
    std::int32_t earlyLimit = 1000;
    std::int32_t lateLimit = 1000;
    std::int32_t takeoffCounter = 1;
    std::int32_t pushbackCounter = 0;
    double groundBearing = 0.0;
    double heightAboveGround = 2500.0;
    double heightAboveField = 0.0;
    double rollStartHeading = 0.0;
    double headingErrorDeg = 0.0;
    std::optional<double> fieldElevation;
    std::uint32_t flareStage = 0;
    bool approach = false;
    bool parkRequest = false;
    bool towed = false;
    bool climbConfigured = false;
    bool takeoffRoll = false;
    bool lightsHigh = false;
    bool lightsLow = false;
    bool noseLowering = false;
    bool landingRoll = false;
    bool departurePending = false;
    bool turnInPlace = false;
    bool feedParked = false;
    std::array<double, 2> lastParkTry{};
    std::array<double, 2> lastStaticCheck{}; // the position at the last check against static aircraft
    std::optional<double> headingOverride;
    bool pushbackCurve = false;
    bool pushbackOtherSide = false;
    double pushedBackDistance = 900.0; // nm; the last distance to the feed while pushed back
    // the stand-departure check: the feed's first distance from the stand, its last one (nm), and
    // the moves of 3 m or more away from the stand since
    double standReferenceDistance = 0.0;
    double standLastDistance = 0.0;
    std::int32_t standMoves = 0;
    bool occupiesStand = false; // parked or turning onto its stand, it holds the stand's liveOccupied mark

    LiveAc(const FeedSample& first, AcBase base, double recordTime);
};

// Every change of the flight state keeps the old one.
inline void gf_setFlightState(LiveAc& ac, FlightState state)
{
    ac.previousFlightState = ac.flightState;
    ac.flightState = state;
}

// The one log line of a routine whose work on this aircraft failed: the routine, the text, the
// description, the sample count, the flight state and the state ("{}: {} {}, sz:{}, fs:{}, st:{}").
void gf_logAcFailure(const char* routine, const char* what, const LiveAc& ac);
