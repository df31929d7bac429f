// The box of the live-traffic requests around the user aircraft.
#include "feed_fixture.h"

namespace {

class QueryBoxTest : public ::testing::Test {
protected:
    QueryBoxTest() { gf_resetRtClients(); }
    ~QueryBoxTest() override { gf_resetFeedHooks(); }
    void moveUser(double lat, double lon)
    {
        gf_userSnapshot.install([lat, lon] { return UserPosition{lat, lon, 0.0}; });
        gf_updateQueryBox();
    }
    LoggedFolder folder;
};

} // namespace

TEST_F(QueryBoxTest, KeptUntilAPositionIsKnownAndTheAircraftMoves)
{
    g_rangeNm = 10.0;
    moveUser(0.00005, -0.00009);
    QueryBox box = gf_trafficClient().queryBox();
    EXPECT_EQ(std::tie(box.top, box.bottom, box.left, box.right), std::make_tuple(52.44, 52.17, 4.54, 4.98));

    moveUser(50.0, 8.0);
    const double top = gf_trafficClient().queryBox().top;
    moveUser(50.0001, 8.0001);
    EXPECT_EQ(gf_trafficClient().queryBox().top, top);
    moveUser(50.0002, 8.0001);
    EXPECT_NE(gf_trafficClient().queryBox().top, top);
    const double moved = gf_trafficClient().queryBox().left;
    g_rangeNm = 20.0;
    moveUser(50.0002, 8.0001);
    EXPECT_LT(gf_trafficClient().queryBox().left, moved);

    gf_resetRtClients();
    box = gf_trafficClient().queryBox();
    EXPECT_EQ(box.top, 52.44);
    moveUser(50.0002, 8.0001); // the radius is -1.0 after the reset
    EXPECT_NE(gf_trafficClient().queryBox().top, 52.44);
}
