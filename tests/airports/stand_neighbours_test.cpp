#include "airports/stand_neighbours.h"

#include "airports/park_apf.h"
#include "foundation/geometry.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <random>

namespace {

Stand lf_stand(double lat, double lon, double radiusMetres)
{
    return Stand("S", {}, StandPosition{lat, lon, 0.0}, radiusMetres, true, true, true);
}

bool lf_overlap(const Stand& a, const Stand& b)
{
    return a.radius + b.radius > 1.1 * gf_distanceNm({a.latitude, a.longitude}, {b.latitude, b.longitude});
}

// The lists as every pair compared gives them: the figure the grid must match.
std::vector<std::vector<std::uint32_t>> lf_allPairs(const std::vector<Stand>& stands)
{
    std::vector<std::vector<std::uint32_t>> lists(stands.size());
    for (std::size_t i = 0; i < stands.size(); ++i)
        for (std::size_t j = i + 1; j < stands.size(); ++j)
            if (lf_overlap(stands[i], stands[j])) {
                lists[i].push_back(static_cast<std::uint32_t>(j + 1));
                lists[j].push_back(static_cast<std::uint32_t>(i + 1));
            }
    return lists;
}

// The positions in the list of the stands kept, by the rule compared with every stand before:
// from `from` on, a stand overlapping more than 64 of the stands kept before it goes.
std::vector<std::uint32_t> lf_keptByEveryPair(const std::vector<Stand>& stands, std::size_t from)
{
    std::vector<std::uint32_t> kept;
    for (std::size_t i = 0; i < stands.size(); ++i) {
        const auto overlapped = std::count_if(kept.begin(), kept.end(), [&](std::uint32_t k) {
            return lf_overlap(stands[k - 1], stands[i]);
        });
        if (i < from || overlapped <= 64)
            kept.push_back(static_cast<std::uint32_t>(i + 1));
    }
    return kept;
}

// Random airports of every shape: stands of any size (none, negative, a hair, a gate, kilometres,
// the globe), spread over a metre or a hundred kilometres, at the poles and the date line too.
TEST(StandNeighbours, AsEveryPairComparedOnRandomLayouts)
{
    const double centres[][2] = {{50.0, 8.5}, {89.9999, 0.0}, {-90.0, 45.0}, {0.0, 179.9999}, {-33.9, -180.0}};
    const double radii[] = {0.0, -20.0, 1e-6, 5.0, 20.0, 40.0, 3000.0, 1e5, 3e7, 1e300};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto lt_uniform = [&random](double low, double high) {
            return std::uniform_real_distribution<double>(low, high)(random);
        };
        const auto& centre = centres[seed % std::size(centres)];
        const double spreadNm = std::pow(10.0, lt_uniform(-3.5, 2.0));
        const int n = static_cast<int>(random() % 300) + 1;
        std::vector<Stand> stands;
        for (int k = 0; k < n; ++k) {
            const LatLon at = gf_destinationPoint({centre[0], centre[1]}, lt_uniform(0.0, g_twoPi),
                                                  lt_uniform(0.0, spreadNm) * 6076.12);
            const double radius = random() % 4 == 0 ? radii[random() % std::size(radii)] : lt_uniform(3.0, 45.0);
            stands.push_back(random() % 10 == 0 && k > 0 ? stands[random() % k] : lf_stand(at.lat, at.lon, radius));
        }
        const std::vector<std::vector<std::uint32_t>> expected = lf_allPairs(stands);
        gf_numberStands(stands);
        for (std::size_t i = 0; i < stands.size(); ++i) {
            ASSERT_EQ(stands[i].id, i + 1);
            ASSERT_EQ(stands[i].neighbours, expected[i]) << "stand " << i + 1 << " of " << n;
        }
        // the stands keep their numbers through the removal
        std::vector<Stand> crowded = stands;
        const std::size_t from = random() % (crowded.size() + 1);
        const std::vector<std::uint32_t> kept = lf_keptByEveryPair(crowded, from);
        EXPECT_EQ(gf_removeCrowdedStands(crowded, from), stands.size() - kept.size());
        std::vector<std::uint32_t> ids;
        for (const Stand& s : crowded)
            ids.push_back(s.id);
        ASSERT_EQ(ids, kept) << "from " << from;
    }
}

// Ten thousand stands at one spot, or in a row: the pairs measured grow with the stands, not
// with their square.
TEST(StandNeighbours, TenThousandStandsCostInProportion)
{
    std::vector<Stand> spot(10000, lf_stand(50.0, 8.5, 0.0));
    EXPECT_EQ(gf_numberStands(spot), 0u);
    EXPECT_TRUE(std::all_of(spot.begin(), spot.end(), [](const Stand& s) { return s.neighbours.empty(); }));
    EXPECT_EQ(spot.back().id, 10000u);

    // 10 m apart with 20 m circles: each overlaps the three on either side (40 > 1.1 x 30 m)
    std::vector<Stand> row;
    for (int k = 0; k < 10000; ++k) {
        const LatLon at = gf_destinationPoint({50.0, 8.5}, g_twoPi / 4.0, k * 10.0 / 0.3048);
        row.push_back(lf_stand(at.lat, at.lon, 20.0));
    }
    EXPECT_LT(gf_numberStands(row), 20u * row.size());
    const std::vector<std::uint32_t> middle{4998, 4999, 5000, 5002, 5003, 5004};
    EXPECT_EQ(row[5000].neighbours, middle);
    EXPECT_EQ(row[0].neighbours, (std::vector<std::uint32_t>{2, 3, 4}));
}

// Stands of 20 m at one spot, each overlapping every one before it: those after `from` go once 64
// are kept before them, and numbering the rest measures only their own pairs.
TEST(StandNeighbours, StandsOverlappingMoreThan64KeptBeforeThemRemoved)
{
    const struct { std::size_t count, from, kept; } cases[] = {
        {65, 0, 65}, {66, 0, 65}, {5000, 0, 65}, {100, 50, 65}, {100, 80, 80}, {30, 0, 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " from " << c.from);
        std::vector<Stand> spot(c.count, lf_stand(50.0, 8.5, 20.0));
        EXPECT_EQ(gf_removeCrowdedStands(spot, c.from), c.count - c.kept);
        ASSERT_EQ(spot.size(), c.kept);
        EXPECT_EQ(gf_numberStands(spot), c.kept * (c.kept - 1) / 2);
        EXPECT_EQ(spot.back().neighbours.size(), c.kept - 1);
    }
}

// The stock EHAM stands with their circles grown threefold, so that most overlap a few others:
// each keeps the neighbours every pair compared gives it.
TEST(StandNeighbours, StockEhamWithGrownCirclesKeepsEveryStandAndItsNeighbours)
{
    Apf doc;
    ASSERT_TRUE(doc.load_file(TRWK_SOURCE_DIR "/data/site/MSFS/archive/stock/EHAM.xml"));
    std::vector<Stand> stands;
    gf_readApfStands(doc, stands);
    ASSERT_EQ(stands.size(), 59u);
    for (Stand& s : stands)
        s.radius *= 3.0;
    const std::vector<std::vector<std::uint32_t>> expected = lf_allPairs(stands);
    EXPECT_GE(std::count_if(expected.begin(), expected.end(), [](const auto& list) { return !list.empty(); }), 20);
    EXPECT_EQ(gf_removeCrowdedStands(stands, 0), 0u);
    gf_numberStands(stands);
    for (std::size_t i = 0; i < stands.size(); ++i)
        EXPECT_EQ(stands[i].neighbours, expected[i]) << stands[i].name;
}

// Stands a few millimetres across packed into a 0.3-m square (a handmade or hostile file): the pairs
// measured grow with the stands, and the neighbours are those every pair compared gives.
TEST(StandNeighbours, TinyStandsInOneSquareCostInProportion)
{
    const auto lt_tiny = [](std::size_t count) {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> side(0.0, 0.3 / 1852.0 / 60.0); // 0.3 m in degrees of latitude
        std::uniform_real_distribution<double> radius(0.002, 0.005);
        std::vector<Stand> stands;
        for (std::size_t k = 0; k < count; ++k) {
            const double lat = 50.0 + side(random);
            const double lon = 8.5 + side(random) / std::cos(50.0 * g_deg2rad);
            stands.push_back(lf_stand(lat, lon, radius(random)));
        }
        return stands;
    };
    std::vector<Stand> many = lt_tiny(5000);
    const std::size_t measured = gf_numberStands(many);
    EXPECT_LE(measured, 100u * many.size()) << "some 70 for each stand, not 2,500";

    std::vector<Stand> some = lt_tiny(1000);
    const std::vector<std::vector<std::uint32_t>> expected = lf_allPairs(some);
    EXPECT_GE(std::count_if(expected.begin(), expected.end(), [](const auto& list) { return !list.empty(); }), 200);
    gf_numberStands(some);
    for (std::size_t i = 0; i < some.size(); ++i)
        ASSERT_EQ(some[i].neighbours, expected[i]) << "stand " << i + 1;
}

} // namespace
