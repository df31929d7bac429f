#include "airports/airport.h"

#include "airports/apf_file.h"
#include "airports/nearest_airport.h"
#include "airports/park_apf.h"
#include "airports_fixture.h"
#include "foundation/user_error.h"

#include <algorithm>
#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <set>

using namespace airportstest;

class AirportListTest : public AirportsTest {};

TEST_F(AirportListTest, ReadsTheListOncePerProcess)
{
    loadAirports("<airport code='EHAM' iata='AMS' lat='52.3086' lon='4.7639' alt='-11'/>"
                 "<airport code='EDDF' lat='50.03' lon='8.57'/><airport lat='1' lon='2' alt='3'/>"
                 "<airport code='XBAD' lat='north' lon='2' alt='3'/><airport code='XNAN' lat='nan' lon='2' alt='3'/>"
                 "<airport code='EGLL' iata='LHR' lat='51.47' lon='-0.45' alt='83'/>");
    ASSERT_EQ(g_airports.size(), 3u);
    EXPECT_EQ(gf_formatAirport(g_airports[0]) + gf_formatAirport(g_airports[1]) + gf_formatAirport(g_airports[2]),
              "?EGLL (LHR)EHAM (AMS)");
    EXPECT_TRUE(folder.logHas("Missing lat/lon/alt for airport 'EDDF'"));
    EXPECT_TRUE(folder.logHas("Error parsing coordinates for airport 'XBAD': invalid stod argument"));
    EXPECT_TRUE(folder.logHas("Error parsing coordinates for airport 'XNAN': position out of range"));
    EXPECT_TRUE(folder.logHas("3 airports read from 'input/airports_msfs.xml'"));
    fs::remove("input/airports_msfs.xml");
    EXPECT_TRUE(gf_readAirports("airports_msfs.xml"));

    gf_resetAirportList();
    writeFile("input/other.xml", "<airport/>");
    try {
        gf_readAirports("other.xml");
        FAIL();
    } catch (const brv::UserErrorException& e) {
        EXPECT_EQ(fmt::format("{} {}", e.code(), e.what()), "88 Missing <airports> root in: input/other.xml");
    }
}

TEST_F(AirportListTest, CodesInNamesAndAnEmptyCodeMatchesNothing)
{
    loadAirports("<airport code='' lat='1' lon='2' alt='3'/><airport code='EDD' lat='1' lon='2' alt='3'/>"
                 "<airport code='ESSA' lat='1' lon='2' alt='3'/>");
    EXPECT_EQ(gf_airportCodeFromName("essa-scenery") + gf_airportCodeFromName("xyz") + "," + gf_airportCodeFromName("eddf"),
              "ESSA,EDD");
    EXPECT_TRUE(gf_nameHasCodeTag("pkg-ESSA-x", "ESSA") && gf_nameHasCodeTag("pkg-essa-x", "ESSA"));
    EXPECT_FALSE(gf_nameHasCodeTag("pkg-Essa-x", "ESSA") || gf_nameHasCodeTag("pkg--x", ""));

    writeFile("input/airports_msfs_names.xml", "<AirportNames><airport ICAO='ESSA' name='Arlanda'/>"
                                               "<airport ICAO='ESSA' name='Second'/><airport name='x'/></AirportNames>");
    gf_readAirportNames();
    EXPECT_EQ(g_airportNames, (std::unordered_map<std::string, std::string>{{"ESSA", "Arlanda"}}));
}

TEST_F(AirportListTest, TwoAirportsCloseTogetherAreDecidedByTheirStands)
{
    // AAAA and BBBB 4.9 nm apart, the user nearer to BBBB, AAAA's stand nearer to the user
    const double nm = 1.0 / 60.0;
    loadAirports(fmt::format("<airport code='AAAA' lat='50' lon='8' alt='0'/><airport code='BBBB' lat='{}' lon='8' "
                             "alt='0'/><airport code='CCCC' lat='40' lon='8' alt='0'/>",
                             50 + 4.9 * nm));
    const LatLon user{50 + 2.9 * nm, 8.0};
    EXPECT_EQ(gf_findClosestAirport(user)->code, "BBBB"); // no parking files: the nearest
    writeFile("airports/my_thirdparty/AAAA.xml", apfText(fmt::format("<parkpos id='A1' latitude='{}' longitude='8'/>", 50 + 2.7 * nm)));
    putStock("BBBB", apfText(fmt::format("<parkpos id='B1' latitude='{}' longitude='8'/>", 50 + 4.5 * nm)));
    EXPECT_EQ(gf_findClosestAirport(user)->code, "AAAA");
    EXPECT_TRUE(folder.logHas("Airport BBBB is closest, but stand A1 at neighbouring airport AAAA is closer at 370 "
                              "meters ..."));
    EXPECT_EQ(gf_findClosestAirport(LatLon{40 - 5.0 * nm, 8.0})->code, "CCCC"); // 5.0 nm counts
    EXPECT_FALSE(gf_findClosestAirport(LatLon{40 - 5.001 * nm, 8.0}));
}

// The stock file of the feed scenario's airport against the scenario (the run end to end reads the
// shipped airport list).
TEST_F(AirportListTest, ShippedData)
{
    const fs::path source = TRWK_SOURCE_DIR;
    Apf doc;
    ASSERT_TRUE(doc.load_file((source / "data/site/MSFS/archive/stock/EHAM.xml").c_str()));
    std::vector<Stand> stands;
    gf_readApfStands(doc, stands);
    EXPECT_GE(stands.size(), 40u);
    EXPECT_EQ(gf_getApfInt(doc, "Qf_real"), gf_qfReal(gf_computeQf(stands)));
    std::set<std::string> kinds; // gates, cargo stands and ramps with aircraft, a helipad
    for (const Stand& s : stands)
        kinds.insert(fmt::format("{}{}{}{}", s.heli ? "h" : "", s.cargo ? "c" : "", s.ramp ? "r" : "", s.options.size() > 0));
    EXPECT_EQ(kinds, (std::set<std::string>{"true", "ctrue", "hfalse", "rfalse", "rtrue"}));

    std::ifstream file(source / "data/feed/scenario.json");
    const nlohmann::json scenario = nlohmann::json::parse(file);
    for (const auto& parked : scenario.at("parked")) {
        const LatLon at{parked.at("lat").get<double>(), parked.at("lon").get<double>()};
        EXPECT_TRUE(std::any_of(stands.begin(), stands.end(), [&](const Stand& s) {
            return s.name == parked.at("stand") && gf_distanceNm(LatLon{s.latitude, s.longitude}, at) < s.radius;
        })) << parked.at("stand");
    }
}

