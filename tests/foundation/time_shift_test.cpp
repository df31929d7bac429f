#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "options_file.h"

namespace {

class TimeShift : public testsupport::OptionsFileTest {
protected:
    void TearDown() override
    {
        gf_setTimeShiftTrafficHook(nullptr);
        gf_clearStatusAndError();
        g_timeOffset = 0;
        g_weatherTimeOffset = 0;
        OptionsFileTest::TearDown();
    }
};

TEST_F(TimeShift, AShiftIsSplitSavedAndSentWithEveryRequest)
{
    int cleared = 0;
    gf_setTimeShiftTrafficHook([&] { ++cleared; });

    gf_setTimeShift((2 * 24 + 5) * 60 + 7, false);

    EXPECT_TRUE(g_timeShifted);
    EXPECT_EQ(g_timeOffset.load(), 3187);
    EXPECT_EQ(g_weatherTimeOffset.load(), 3187);
    EXPECT_EQ(TIME_SHIFT_DAYS.value, 2);
    EXPECT_EQ(TIME_SHIFT_HOURS.value, 5);
    EXPECT_EQ(TIME_SHIFT_MINS.value, 7);
    EXPECT_EQ(valueOf("TIME_SHIFT_DAYS"), "2");
    EXPECT_EQ(valueOf("TIME_SHIFT_HOURS"), "5");
    EXPECT_EQ(valueOf("TIME_SHIFT_MINS"), "7");
    EXPECT_EQ(gf_statusLine().text, "Time shifted 3187 minutes");
    EXPECT_TRUE(folder.logHas("Time shifted 3187 minutes"));
    EXPECT_EQ(cleared, 1);
}

TEST_F(TimeShift, MoreThanFourWeeksIsCutToFourWeeks)
{
    gf_setTimeShift((28 * 24 + 5) * 60, true);
    EXPECT_EQ(g_timeOffset.load(), 40320);
    EXPECT_EQ(TIME_SHIFT_DAYS.value, 28);
    EXPECT_EQ(TIME_SHIFT_HOURS.value, 0);
    EXPECT_EQ(TIME_SHIFT_MINS.value, 0);
    EXPECT_TRUE(folder.logHas("Time shifting is limited to 4 weeks"));
}

TEST_F(TimeShift, QuietShiftsLeaveTheTrafficAlone)
{
    int cleared = 0;
    gf_setTimeShiftTrafficHook([&] { ++cleared; });
    gf_setTimeShift(90, true);
    EXPECT_EQ(cleared, 0);
    EXPECT_TRUE(gf_statusLine().text.empty());
    EXPECT_EQ(g_timeOffset.load(), 90);

    gf_setTimeShift(0, true);
    EXPECT_FALSE(g_timeShifted);
    EXPECT_EQ(g_timeOffset.load(), 0);
    EXPECT_EQ(gf_statusLine().text, "Time shift = 0");
    EXPECT_EQ(cleared, 0);

    gf_setTimeShift(0, false);
    EXPECT_EQ(cleared, 1);
}

TEST_F(TimeShift, ANegativeShiftIsNoShift)
{
    gf_setTimeShift(-60, false);
    EXPECT_FALSE(g_timeShifted);
    EXPECT_EQ(g_timeOffset.load(), 0);
    EXPECT_EQ(TIME_SHIFT_HOURS.value, 0);
}

} // namespace
