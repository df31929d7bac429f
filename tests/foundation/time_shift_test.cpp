#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "options_file.h"

#include <fmt/format.h>

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

    static std::string parts()
    {
        return fmt::format("{} {} {}", TIME_SHIFT_DAYS.value.load(), TIME_SHIFT_HOURS.value.load(),
                           TIME_SHIFT_MINS.value.load());
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
    EXPECT_EQ(parts(), "2 5 7");
    EXPECT_EQ(valueOf("TIME_SHIFT_DAYS") + valueOf("TIME_SHIFT_HOURS") + valueOf("TIME_SHIFT_MINS"), "257");
    EXPECT_EQ(gf_statusLine().text, "Time shifted 3187 minutes");
    EXPECT_TRUE(folder.logHas("Time shifted 3187 minutes"));
    EXPECT_EQ(cleared, 1);
}

TEST_F(TimeShift, QuietShiftsLeaveTheTrafficAloneAndANegativeShiftIsNoShift)
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

    gf_setTimeShift(90, true);
    gf_setTimeShift(-60, false);
    EXPECT_FALSE(g_timeShifted);
    EXPECT_EQ(g_timeOffset.load(), 0);
    EXPECT_EQ(parts(), "0 0 0");
}

} // namespace
