#include "airports/park_airport_list.h"

#include "airports/park_data.h"
#include "airports_fixture.h"

#include <thread>

using namespace airportstest;

static constexpr double lf_metre = 1.0 / 1852.0 / 60.0; // degrees of latitude

class ParkAirportListTest : public AirportsTest {
protected:
    ParkAirportListTest()
    {
        loadAirports("<airport code='EDDF' lat='50.03' lon='8.57' alt='364'/><airport code='EGLL' lat='51.47' "
                     "lon='-0.45' alt='83'/><airport code='EHAM' lat='52.3' lon='4.76' alt='-11'/>");
    }
    static std::string list()
    {
        std::string text;
        std::lock_guard lock(g_parkDataMutex);
        for (const MyParkAirport& entry : g_myParkAirports)
            text += entry.code + "," + entry.stand + ";";
        return text;
    }
    // EHAM the park airport, with stands 1 and 2 100 m apart, named with the prefix.
    static void standsAtEham(const std::string& prefix = "A")
    {
        std::vector<Stand> stands;
        for (int i = 0; i < 2; ++i)
            stands.emplace_back(prefix + std::to_string(i + 1), std::vector<StandOption>{},
                                StandPosition{52.3 + i * 100 * lf_metre, 4.76}, 20.0, true, true, true);
        gf_replaceParkStands(std::move(stands));
        std::lock_guard lock(g_parkDataMutex);
        parkAirport = *gf_findAirport("EHAM");
    }
    static UserAcData user(double metresNorth, double knots)
    {
        return UserAcData{52.3 + metresNorth * lf_metre, 4.76, 0, 0, 0, 0, 0, knots, 0, 0, 0, 0};
    }
};

TEST_F(ParkAirportListTest, ReadingTheList)
{
    EXPECT_TRUE(gf_readMyParkAirports());
    EXPECT_TRUE(folder.logHas("airports/my_park_airports.txt not found"));
    writeFile("airports/my_park_airports.txt", "EDDF, A12\r\n\r\n  \nEDDF\nEGLL,A1,x\n,A12\nEGLL\n");
    for (const char* name : {"EHAM.xml", "EHAM.txt", "XXXX.xml", "EGLL.xml"})
        writeFile(fs::path("airports/my_thirdparty") / name, "");
    EXPECT_FALSE(gf_readMyParkAirports());
    EXPECT_EQ(list(), "EDDF,A12;EGLL,;EHAM,;");
    for (const char* line : {"===> my_park_airports.txt:EDDF double, skipped",
                             "===> my_park_airports.txt:EGLL,A1,x wrong syntax, skipped", "airport  is unknown",
                             "2 park airports read from 'my_park_airports.txt'",
                             "1 park airport added from my_thirdparty folder(-s)"})
        EXPECT_TRUE(folder.logHas(line)) << line;
}

TEST_F(ParkAirportListTest, WritingTheFirstEntry)
{
    gf_writeMyParkAirports(); // an empty list writes nothing
    EXPECT_FALSE(fs::exists("airports/my_park_airports.txt"));
    // the file before (none when empty), the stand of EDDF, the file after
    const char* cases[][3] = {{"", "A12", "EDDF,A12\n"}, {"EDDF\r\n", "A12", "EDDF,A12\n"},
                              {"EGLL\r\nEGLL\r\n", "A12", "EDDF,A12\nEGLL\n"},
                              {"ZZZZ,1,2\nEDDF,B1\n", "", "EDDF\nZZZZ,1,2\n"}};
    for (const auto& [before, stand, after] : cases) {
        fs::remove("airports/my_park_airports.txt");
        if (*before != '\0')
            writeFile("airports/my_park_airports.txt", before);
        g_myParkAirports = {{"EDDF", stand}, {"EHAM", "Z9"}};
        gf_writeMyParkAirports();
        EXPECT_EQ(readFile("airports/my_park_airports.txt"), after) << after;
    }
    for (const char* line : {"my_park_airports.txt created with EDDF,A12", "my_park_airports.txt:EDDF,A12 new entry",
                             "my_park_airports.txt:EDDF updated stand"})
        EXPECT_TRUE(folder.logHas(line)) << line;
}

TEST_F(ParkAirportListTest, NearestStandAndTheUsersStand)
{
    standsAtEham();
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3, 4.76}), ""); // not on the ground
    g_userOnGround = true;
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 154 * lf_metre, 4.76}), "A2");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 156 * lf_metre, 4.76}), "");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 40 * lf_metre, 4.76}), "A1");
    standsAtEham("B");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 40 * lf_metre, 4.76}), "B1"); // nothing kept of the old stands

    standsAtEham();
    g_myParkAirports = {{"EHAM", "", 52.3, 4.76, 0.0}, {"EDDF", "", 50.03, 8.57, 0.0}};
    gf_rememberUserStand(user(100, 2.0)); // the on-ground state has not come yet
    g_userOnGroundKnown = true;
    gf_rememberUserStand(user(100, 3.0)); // rolling
    EXPECT_EQ(list(), "EHAM,;EDDF,;");
    gf_rememberUserStand(user(100, 2.0));
    EXPECT_EQ(list(), "EHAM,A2;EDDF,;");
    EXPECT_EQ(readFile("airports/my_park_airports.txt"), "EHAM,A2\n");
    fs::remove("airports/my_park_airports.txt");
    gf_rememberUserStand(user(100, 2.0)); // unchanged: not written again
    EXPECT_FALSE(fs::exists("airports/my_park_airports.txt"));
}

// The simulator thread remembers the user's stand while the control thread reloads the stands
// and the list (run under ThreadSanitizer).
TEST_F(ParkAirportListTest, RememberingTheStandWhileTheControlThreadReloads)
{
    writeFile("airports/my_park_airports.txt", "EHAM\n");
    g_userOnGround = (g_userOnGroundKnown = true);
    std::jthread simulator([](std::stop_token stop) {
        for (int i = 0; !stop.stop_requested(); ++i)
            gf_rememberUserStand(user((i % 2) * 100, 0.0));
    });
    for (int i = 0; i < 200; ++i) {
        standsAtEham();
        gf_readMyParkAirports();
    }
    simulator.request_stop();
    simulator.join();
    // a re-read between the simulator's change of the list and its write may leave the file one
    // stand behind the list; the next change of stand writes both again
    gf_rememberUserStand(user(0, 0.0));
    gf_rememberUserStand(user(100, 0.0));
    EXPECT_EQ(list() + readFile("airports/my_park_airports.txt"), "EHAM,A2;EHAM,A2\n");
}

