#include "airports/park_airport_list.h"

#include "airports/park_data.h"
#include "airports_fixture.h"
#include "foundation/status_line.h"

#include <thread>

namespace {

using namespace airportstest;

constexpr double lf_metre = 1.0 / 1852.0 / 60.0; // degrees of latitude

class ParkAirportListTest : public AirportsTest {
protected:
    ParkAirportListTest()
    {
        loadAirports("<airport code='EDDF' lat='50.03' lon='8.57' alt='364'/>"
                     "<airport code='EGLL' lat='51.47' lon='-0.45' alt='83'/>"
                     "<airport code='EHAM' lat='52.3' lon='4.76' alt='-11'/>");
    }
    static std::string list()
    {
        std::string text;
        std::lock_guard lock(g_parkDataMutex);
        for (const MyParkAirport& entry : g_myParkAirports)
            text += entry.code + "," + entry.stand + ";";
        return text;
    }
    // Stands 1 and 2, 100 m apart, named with the prefix.
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
    EXPECT_TRUE(folder.logHas("===> my_park_airports.txt:EDDF double, skipped"));
    EXPECT_TRUE(folder.logHas("===> my_park_airports.txt:EGLL,A1,x wrong syntax, skipped"));
    EXPECT_TRUE(folder.logHas("airport  is unknown"));
    EXPECT_TRUE(folder.logHas("2 park airports read from 'my_park_airports.txt'"));
    EXPECT_TRUE(folder.logHas("1 park airport added from my_thirdparty folder(-s)"));
    EXPECT_EQ(g_myParkAirports.front().latitude, 50.03);
}

TEST_F(ParkAirportListTest, WritingTheFirstEntry)
{
    gf_writeMyParkAirports(); // an empty list writes nothing
    EXPECT_FALSE(fs::exists("airports/my_park_airports.txt"));
    const struct {
        const char* before;
        MyParkAirport first;
        const char* after;
    } cases[] = {
        {nullptr, {"EDDF", "A12"}, "EDDF,A12\n"},
        {"EDDF\r\n", {"EDDF", "A12"}, "EDDF,A12\n"},
        {"EGLL\r\nEGLL\r\n", {"EDDF", "A12"}, "EDDF,A12\nEGLL\n"},
        {"ZZZZ,1,2\nEDDF,B1\n", {"EDDF", ""}, "EDDF\nZZZZ,1,2\n"},
    };
    for (const auto& c : cases) {
        fs::remove("airports/my_park_airports.txt");
        if (c.before != nullptr)
            writeFile("airports/my_park_airports.txt", c.before);
        g_myParkAirports = {c.first, {"EHAM", "Z9"}};
        gf_writeMyParkAirports();
        EXPECT_EQ(readFile("airports/my_park_airports.txt"), c.after) << c.after;
    }
    EXPECT_TRUE(folder.logHas("my_park_airports.txt created with EDDF,A12"));
    EXPECT_TRUE(folder.logHas("my_park_airports.txt:EDDF,A12 new entry"));
    EXPECT_TRUE(folder.logHas("my_park_airports.txt:EDDF updated stand"));
}

TEST_F(ParkAirportListTest, NearestStandAndTheUsersStand)
{
    standsAtEham();
    const LatLon atA2{52.3 + 100 * lf_metre, 4.76};
    EXPECT_EQ(gf_getNearestStandName(atA2), ""); // not on the ground
    g_userOnGround = true;
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 154 * lf_metre, 4.76}), "A2");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 156 * lf_metre, 4.76}), "");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 40 * lf_metre, 4.76}), "A1");
    standsAtEham("B");
    EXPECT_EQ(gf_getNearestStandName(LatLon{52.3 + 40 * lf_metre, 4.76}), "B1"); // nothing kept of the old stands

    standsAtEham();
    g_myParkAirports = {{"EHAM", "", 52.3, 4.76, 0.0}, {"EDDF", "", 50.03, 8.57, 0.0}};
    UserAcData user{};
    user.latitude = atA2.lat;
    user.longitude = atA2.lon;
    user.groundVelocity = 2.0;
    gf_rememberUserStand(user); // the on-ground state has not come yet
    EXPECT_EQ(list(), "EHAM,;EDDF,;");
    g_userOnGroundKnown = true;
    user.groundVelocity = 3.0;
    gf_rememberUserStand(user);
    EXPECT_EQ(list(), "EHAM,;EDDF,;");
    user.groundVelocity = 2.0;
    gf_rememberUserStand(user);
    EXPECT_EQ(list(), "EHAM,A2;EDDF,;");
    EXPECT_EQ(readFile("airports/my_park_airports.txt"), "EHAM,A2\n");
    fs::remove("airports/my_park_airports.txt");
    gf_rememberUserStand(user); // unchanged: not written again
    EXPECT_FALSE(fs::exists("airports/my_park_airports.txt"));
}

// The simulator thread remembers the user's stand while the control thread reloads the stands
// and the list (run under ThreadSanitizer).
TEST_F(ParkAirportListTest, RememberingTheStandWhileTheControlThreadReloads)
{
    writeFile("airports/my_park_airports.txt", "EHAM\n");
    g_userOnGround = true;
    g_userOnGroundKnown = true;
    std::atomic<bool> done{false};
    std::jthread simulator([&done] {
        UserAcData user{};
        user.latitude = 52.3;
        user.longitude = 4.76;
        for (int i = 0; !done; ++i) {
            user.latitude = 52.3 + (i % 2) * 100 * lf_metre;
            gf_rememberUserStand(user);
        }
    });
    for (int i = 0; i < 200; ++i) {
        standsAtEham();
        gf_readMyParkAirports();
    }
    done = true;
    simulator.join();
    UserAcData user{};
    user.latitude = 52.3 + 100 * lf_metre;
    user.longitude = 4.76;
    gf_rememberUserStand(user);
    EXPECT_EQ(list(), "EHAM,A2;");
    EXPECT_EQ(readFile("airports/my_park_airports.txt"), "EHAM,A2\n");
}

} // namespace
