#include "foundation/geometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace {

constexpr double feetPerNm = 6076.11549;
const LatLon eddf{50.0333, 8.5706};
const LatLon kjfk{40.6398, -73.7789};

TEST(Geometry, DistancesAgreeWithAnIndependentComputation)
{
    // figures from the angle between the two unit vectors, computed apart
    EXPECT_NEAR(gf_distanceNm(eddf, kjfk), 3339.779426, 1e-5);
    EXPECT_NEAR(gf_distanceNm({-33.9461, 151.1772}, {-37.6733, 144.8433}), 380.625747, 1e-5);
    EXPECT_NEAR(gf_distanceNm({-33.9461, 151.1772}, {51.4700, -0.4543}), 9184.000831, 1e-5);
    EXPECT_EQ(gf_distanceNm(eddf, eddf), 0.0);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {0, 1}), 60.0, 1e-9);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {0, 180}), 10800.0, 1e-6);
    EXPECT_NEAR(gf_distanceNm({80, 0}, {80, 180}), 1200.0, 1e-6);   // over the pole
    EXPECT_NEAR(gf_distanceNm({0, 179.5}, {0, -179.5}), 60.0, 1e-6); // over the antimeridian
}

TEST(Geometry, BearingsStayInZeroToTwoPi)
{
    EXPECT_NEAR(gf_bearingRad({0, 0}, {1, 0}), 0.0, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {0, 1}), std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {-1, 0}), std::numbers::pi, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {0, -1}), 3 * std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 179.5}, {0, -179.5}), std::numbers::pi / 2, 1e-9); // east across 180
    EXPECT_NEAR(gf_bearingRad({80, 0}, {80, 180}), 0.0, 1e-9);                      // over the pole: north
}

TEST(Geometry, DestinationThenDistanceAndBearingRoundTrip)
{
    EXPECT_NEAR(gf_distanceNm(gf_destinationPoint(eddf, 1.0, 0.0), eddf), 0.0, 1e-9);

    // 60 nm east from 179.9 E folds to 179.1 W
    const LatLon across = gf_destinationPoint({0, 179.9}, std::numbers::pi / 2, 60 * feetPerNm);
    EXPECT_NEAR(across.lon, -179.1, 1e-6);
    EXPECT_NEAR(across.lat, 0.0, 1e-9);

    std::mt19937 gen(3);
    std::uniform_real_distribution<double> lat(-80.0, 80.0), lon(-180.0, 180.0), brg(0.0, 2 * std::numbers::pi),
        nm(0.1, 2000.0);
    for (int i = 0; i < 500; ++i) {
        const LatLon start{lat(gen), lon(gen)};
        const double bearing = brg(gen);
        const double dist = nm(gen);
        const LatLon end = gf_destinationPoint(start, bearing, dist * feetPerNm);
        ASSERT_GE(end.lon, -180.0);
        ASSERT_LE(end.lon, 180.0);
        ASSERT_NEAR(gf_distanceNm(start, end), dist, 1e-6 * dist + 1e-6);
        const double back = gf_bearingRad(start, end);
        ASSERT_TRUE(back >= 0.0 && back < 2 * std::numbers::pi) << back;
        ASSERT_NEAR(std::remainder(back - bearing, 2 * std::numbers::pi), 0.0, 1e-6);
    }
}

} // namespace
