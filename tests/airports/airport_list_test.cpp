#include "airports/airport.h"

#include "airports/apf_file.h"
#include "airports/nearest_airport.h"
#include "airports_fixture.h"
#include "foundation/user_error.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace {

using namespace airportstest;

class AirportListTest : public AirportsTest {};

TEST_F(AirportListTest, ReadsTheListOncePerProcess)
{
    loadAirports("<airport code='EHAM' iata='AMS' lat='52.3086' lon='4.7639' alt='-11'/>"
                 "<airport code='EDDF' lat='50.03' lon='8.57'/><airport lat='1' lon='2' alt='3'/>"
                 "<airport code='XBAD' lat='north' lon='2' alt='3'/><airport code='XNAN' lat='nan' lon='2' alt='3'/>"
                 "<airport code='EGLL' iata='LHR' lat='51.47' lon='-0.45' alt='83'/>");
    ASSERT_EQ(g_airports.size(), 3u);
    EXPECT_EQ(gf_formatAirport(g_airports[0]), "?");
    EXPECT_EQ(gf_formatAirport(g_airports[1]), "EGLL (LHR)");
    EXPECT_EQ(g_airports[2].alt, -11.0);
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
        EXPECT_EQ(e.code(), 88);
        EXPECT_STREQ(e.what(), "Missing <airports> root in: input/other.xml");
    }
}

TEST_F(AirportListTest, CodesInNamesAndAnEmptyCodeMatchesNothing)
{
    loadAirports("<airport code='' lat='1' lon='2' alt='3'/><airport code='EDD' lat='1' lon='2' alt='3'/>"
                 "<airport code='ESSA' lat='1' lon='2' alt='3'/>");
    EXPECT_EQ(gf_airportCodeFromName("essa-scenery"), "ESSA");
    EXPECT_EQ(gf_airportCodeFromName("eddf"), "EDD");
    EXPECT_EQ(gf_airportCodeFromName("xyz"), "");
    EXPECT_EQ(gf_findAirport(""), nullptr);
    EXPECT_TRUE(gf_nameHasCodeTag("pkg-ESSA-x", "ESSA"));
    EXPECT_TRUE(gf_nameHasCodeTag("pkg-essa-x", "ESSA"));
    EXPECT_FALSE(gf_nameHasCodeTag("pkg-Essa-x", "ESSA"));
    EXPECT_FALSE(gf_nameHasCodeTag("pkg--x", ""));

    PrefixedNumber number{"list", "ESSA", 0};
    EXPECT_FALSE(gf_parsePrefixedNumber(number, "EDDF12"));
    EXPECT_TRUE(gf_parsePrefixedNumber(number, "ESSA-7"));
    EXPECT_EQ(number.number, -7);
    EXPECT_TRUE(gf_parsePrefixedNumber(number, "ESSAx"));
    EXPECT_TRUE(folder.logHas("===> list ESSA ESSAx invalid number"));

    writeFile("input/airports_msfs_names.xml", "<AirportNames><airport ICAO='ESSA' name='Arlanda'/>"
                                               "<airport ICAO='ESSA' name='Second'/><airport name='x'/></AirportNames>");
    gf_readAirportNames();
    EXPECT_EQ(g_airportNames.size(), 1u);
    EXPECT_EQ(g_airportNames["ESSA"], "Arlanda");
    EXPECT_TRUE(folder.logHas("Skipped airport entry with missing ICAO or name"));
}

TEST_F(AirportListTest, TwoAirportsCloseTogetherAreDecidedByTheirStands)
{
    // AAAA and BBBB 4.9 nm apart on a meridian, the user nearer to BBBB, but AAAA's stand
    // nearer to the user than any of BBBB's
    const double nm = 1.0 / 60.0;
    loadAirports(fmt::format("<airport code='AAAA' lat='50' lon='8' alt='0'/>"
                             "<airport code='BBBB' lat='{}' lon='8' alt='0'/>"
                             "<airport code='CCCC' lat='40' lon='8' alt='0'/>",
                             50 + 4.9 * nm));
    const LatLon user{50 + 2.9 * nm, 8.0};
    EXPECT_EQ(gf_findClosestAirport(user)->code, "BBBB"); // no parking files: the nearest
    writeFile("airports/my_thirdparty/AAAA.xml",
              apfText(fmt::format("<parkpos id='A1' latitude='{}' longitude='8'/>", 50 + 2.7 * nm)));
    putStock("BBBB", apfText(fmt::format("<parkpos id='B1' latitude='{}' longitude='8'/>", 50 + 4.5 * nm)));
    EXPECT_EQ(gf_findClosestAirport(user)->code, "AAAA");
    EXPECT_TRUE(folder.logHas("Airport BBBB is closest, but stand A1 at neighbouring airport AAAA is closer at 370 "
                              "meters ..."));
    EXPECT_FALSE(fs::exists("airport.xml"));

    // 5.0 nm counts, a little more does not
    EXPECT_EQ(gf_findClosestAirport(LatLon{40 - 5.0 * nm, 8.0})->code, "CCCC");
    EXPECT_FALSE(gf_findClosestAirport(LatLon{40 - 5.001 * nm, 8.0}));
}

// The shipped airport list and the stock file of the feed scenario's airport.
TEST_F(AirportListTest, ShippedData)
{
    const fs::path source = TRWK_SOURCE_DIR;
    fs::copy_file(source / "data/input/airports_msfs.xml", "input/airports_msfs.xml");
    ASSERT_TRUE(gf_readAirports("airports_msfs.xml"));
    EXPECT_GT(g_airports.size(), 4000u);
    const Airport* eham = gf_findAirport("EHAM");
    ASSERT_NE(eham, nullptr);
    EXPECT_EQ(gf_formatAirport(*eham), "EHAM (AMS)");
    EXPECT_LT(gf_distanceNm(LatLon{eham->lat, eham->lon}, LatLon{52.3086, 4.7639}), 0.1);

    Apf doc;
    ASSERT_TRUE(doc.load_file((source / "data/site/MSFS/archive/stock/EHAM.xml").c_str()));
    std::vector<Stand> stands;
    for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos"))
        gf_readParkpos(parkpos, parkpos.attribute("id").as_string(), 1, stands);
    EXPECT_GE(stands.size(), 40u);
    EXPECT_EQ(gf_getApfInt(doc, "num_parkpos"), static_cast<std::int32_t>(stands.size()));
    EXPECT_EQ(gf_getApfInt(doc, "Qf_real"), gf_qfReal(gf_computeQf(stands)));
    auto lt_count = [&stands](auto predicate) { return std::count_if(stands.begin(), stands.end(), predicate); };
    EXPECT_GT(lt_count([](const Stand& s) { return s.heli; }), 0);
    EXPECT_GT(lt_count([](const Stand& s) { return s.cargo && !s.options.empty(); }), 0);
    EXPECT_GT(lt_count([](const Stand& s) { return s.ramp && !s.options.empty(); }), 0);
    EXPECT_GT(lt_count([](const Stand& s) { return !s.ramp && !s.cargo && !s.heli && !s.options.empty(); }), 20);

    std::ifstream file(source / "data/feed/scenario.json");
    const nlohmann::json scenario = nlohmann::json::parse(file);
    for (const auto& parked : scenario.at("parked")) {
        const auto stand = std::find_if(stands.begin(), stands.end(), [&parked](const Stand& s) {
            return s.name == parked.at("stand").get<std::string>();
        });
        ASSERT_NE(stand, stands.end()) << parked.at("stand");
        EXPECT_LT(gf_distanceNm(LatLon{stand->latitude, stand->longitude},
                                LatLon{parked.at("lat").get<double>(), parked.at("lon").get<double>()}),
                  stand->radius)
            << stand->name;
    }
}

} // namespace
