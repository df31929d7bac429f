#include "foundation/geometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace {

// an independent way to the same distance: the angle between the two unit vectors
double vectorDistanceNm(const LatLon& a, const LatLon& b)
{
    auto lt_unit = [](const LatLon& p) {
        const double lat = p.lat * std::numbers::pi / 180.0;
        const double lon = p.lon * std::numbers::pi / 180.0;
        return std::array<double, 3>{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    };
    const auto u = lt_unit(a);
    const auto v = lt_unit(b);
    const std::array<double, 3> cross{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double sinAngle = std::hypot(cross[0], cross[1], cross[2]);
    const double cosAngle = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    return std::atan2(sinAngle, cosAngle) * 10800.0 / std::numbers::pi;
}

constexpr double feetPerNm = 6076.11549;
const LatLon eddf{50.0333, 8.5706};
const LatLon kjfk{40.6398, -73.7789};

TEST(Geometry, DistancesAgreeWithAnIndependentComputation)
{
    EXPECT_NEAR(gf_distanceNm(eddf, kjfk), 3339.78, 0.01);
    EXPECT_NEAR(gf_distanceNm(eddf, kjfk), vectorDistanceNm(eddf, kjfk), 1e-6);
    EXPECT_EQ(gf_distanceNm(eddf, eddf), 0.0);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {0, 1}), 60.0, 1e-9);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {0, 180}), 10800.0, 1e-6);
    EXPECT_NEAR(gf_distanceNm({80, 0}, {80, 180}), 1200.0, 1e-6);   // over the pole
    EXPECT_NEAR(gf_distanceNm({0, 179.5}, {0, -179.5}), 60.0, 1e-6); // over the antimeridian

    std::mt19937 gen(7);
    std::uniform_real_distribution<double> lat(-89.0, 89.0), lon(-180.0, 180.0);
    for (int i = 0; i < 500; ++i) {
        const LatLon a{lat(gen), lon(gen)}, b{lat(gen), lon(gen)};
        ASSERT_NEAR(gf_distanceNm(a, b), vectorDistanceNm(a, b), 1e-6);
    }
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
