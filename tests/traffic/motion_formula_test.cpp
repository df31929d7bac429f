// The motion formulas against exact values: pitch targets, descent and climb rates, the push-back
// turn length, the ground curve and the timing of unknown speeds.
#include "foundation/geometry.h"
#include "traffic/airborne_motion.h"
#include "traffic/airborne_profile.h"
#include "traffic/ground_movement.h"
#include "traffic/live_ac.h"
#include "traffic/run_flags.h"

#include <gsl/gsl>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

TEST(MotionFormulas, PitchTargetFollowsTheClampedVerticalSpeed)
{
    EXPECT_NEAR(gf_pitchTargetDeg(3000.0), -11.8, 1e-12); // clamped to 2400
    EXPECT_NEAR(gf_pitchTargetDeg(2400.0), -11.8, 1e-12);
    EXPECT_NEAR(gf_pitchTargetDeg(-4000.0), 2.5, 1e-12); // clamped to -3000, halved
    EXPECT_NEAR(gf_pitchTargetDeg(0.0), -3.0, 1e-12);
    EXPECT_NEAR(gf_pitchTargetDeg(-600.0), -3.0 + 1.1, 1e-12);
}

TEST(MotionFormulas, DescentAndClimbRates)
{
    // at or below 100 ft a fixed -600; above it the mean less the QNH correction, at most -601
    EXPECT_EQ(gf_descentRateFpm(100.0, -2000.0, -2000.0, 1020.0), -600.0);
    EXPECT_NEAR(gf_descentRateFpm(500.0, -700.0, -900.0, 1020.0), -842.0, 1e-12);
    EXPECT_EQ(gf_descentRateFpm(500.0, 200.0, 0.0, 1020.0), -601.0);
    EXPECT_NEAR(gf_descentRateFpm(500.0, -1000.0, -1000.0, 1003.0), -940.0, 1e-12);

    // low over the ground a lower next sample still climbs at 0.2 ft per tick, unless the
    // class climbs slower
    EXPECT_NEAR(gf_climbAltRate(1500.0, 1400.0, 500, 800.0, 0.6), 0.2, 1e-12);
    EXPECT_NEAR(gf_climbAltRate(1500.0, 1400.0, 500, 800.0, 0.15), 0.15, 1e-12);
    EXPECT_NEAR(gf_climbAltRate(1500.0, 1400.0, 500, 1200.0, 0.6), -0.2, 1e-12);
    EXPECT_NEAR(gf_climbAltRate(1000.0, 2000.0, 500, 800.0, 0.6), 0.6, 1e-12);
    EXPECT_NEAR(gf_climbAltRate(1000.0, 1150.0, 500, 800.0, 0.6), 0.3, 1e-12);
}

TEST(MotionFormulas, PushbackTurnDividesDegreesByRadiansPerTick)
{
    // 90 / (0.07 deg in rad) / 100 = 736.6 for a Large aircraft (the step that follows makes the
    // turn last until its end sample)
    EXPECT_EQ(gf_pushbackTurnTicks(0.07 * g_deg2rad), 737);
    EXPECT_EQ(gf_pushbackTurnTicks(0.05 * g_deg2rad), 1031);
    EXPECT_THROW(gf_pushbackTurnTicks(0.0), gsl::narrowing_error);
    EXPECT_THROW(gf_pushbackTurnTicks(1e-12), gsl::narrowing_error);
}

TEST(MotionFormulas, CurveKeepsEndNorthEastAndControlEastNorth)
{
    // origin 50 N 8 E; control 100 m north; end 100 m north, 100 m east
    std::array<double, 8> curve{50.0, 8.0, 0.0, 100.0, 100.0, 1.0, 0.0, 100.0};
    LatLon p{};
    double heading = -1.0;
    ASSERT_TRUE(evalCurve(curve, p, heading, 0.0));
    EXPECT_DOUBLE_EQ(p.lat, 50.0);
    EXPECT_DOUBLE_EQ(p.lon, 8.0);
    EXPECT_NEAR(heading, 0.0, 1e-12); // leaves toward the control point: north
    ASSERT_TRUE(evalCurve(curve, p, heading, 1.0));
    EXPECT_NEAR(p.lat, 50.0 + 100.0 / g_metresPerDegLat, 1e-12);
    EXPECT_NEAR(p.lon, 8.0 + 100.0 / (g_metresPerDegLat * std::cos(50.0 * g_deg2rad)), 1e-12);
    EXPECT_NEAR(heading, g_twoPi / 4.0, 1e-12); // arrives heading east
    ASSERT_TRUE(evalCurve(curve, p, heading, 0.5));
    EXPECT_NEAR((p.lat - 50.0) * g_metresPerDegLat, 75.0, 1e-6);
    EXPECT_NEAR(heading * g_rad2deg, 45.0, 1e-9);

    EXPECT_FALSE(evalCurve(curve, p, heading, 1.01));
    EXPECT_FALSE(evalCurve(curve, p, heading, -0.01));
    curve[6] = g_nan;
    EXPECT_FALSE(evalCurve(curve, p, heading, 0.5));
}

// Two samples one nautical mile apart along a meridian, the second due 24 s after the first;
// a feed record may carry a negative ground speed.
struct UnknownSpeedLeg {
    static constexpr std::uint32_t now = 100000;
    static constexpr std::uint32_t span = 2400;
    std::uint32_t savedTick = g_tick.load();
    LiveAc ac;

    UnknownSpeedLeg(double gs0, double gs1, bool airborne)
        : ac(lf_sample(0.0, gs0, now, airborne), AcBase{}, 0.0)
    {
        g_tick = now;
        ac.samples.push_back(lf_sample(1.0 / 60.0, gs1, now + span, airborne));
        ac.onGround = !airborne;
    }
    ~UnknownSpeedLeg() { g_tick = savedTick; }
    UnknownSpeedLeg(const UnknownSpeedLeg&) = delete;
    UnknownSpeedLeg& operator=(const UnknownSpeedLeg&) = delete;

    static FeedSample lf_sample(double dLat, double gs, std::uint32_t due, bool airborne)
    {
        FeedSample s;
        s.lat = 50.0 + dLat;
        s.lon = 8.0;
        s.altitude = airborne ? 3000.0 : 0.0;
        s.airborne = airborne ? 1 : 0;
        s.groundSpeed = gs;
        s.dueTick = due;
        return s;
    }
    std::int64_t ticksToNext() const { return static_cast<std::int64_t>(ac.samples[1].dueTick) - now; }
};

TEST(MotionFormulas, UnknownSpeedsFollowTheFeedTiming)
{
    // speeds that cancel out, or both unknown while dead reckoning runs (no clamp): no division by
    // zero, no narrowing error, the nautical mile not flown in 0.25 s; a known speed keeps its own
    // timing (1 nm at 60 kt is a minute)
    struct Case {
        double gs0;
        double gs1;
        bool airborne;
        std::int32_t extrapolations;
        double ticks;
    };
    constexpr double span = UnknownSpeedLeg::span;
    for (const Case c : {Case{-1.0, 1.0, true, 0, span}, Case{-1.0, -1.0, true, 3, span},
                         Case{-1.0, 1.0, false, 0, span}, Case{-1.0, -1.0, false, 3, span},
                         Case{60.0, 60.0, false, 3, 6000.0}}) {
        SCOPED_TRACE(::testing::Message() << c.gs0 << " " << c.gs1 << (c.airborne ? " airborne" : " ground"));
        UnknownSpeedLeg leg(c.gs0, c.gs1, c.airborne);
        leg.ac.extrapolationsLeft = c.extrapolations;
        ASSERT_NO_THROW(c.airborne ? gf_airborneDueTick(leg.ac) : groundDueTick(leg.ac));
        EXPECT_NEAR(static_cast<double>(leg.ticksToNext()), c.ticks, 2.0);
    }
}

} // namespace
