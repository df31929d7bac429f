#include "foundation/utc_time.h"

#include "support/manual_time.h"

#include <gsl/narrow>
#include <gtest/gtest.h>

namespace {

constexpr std::int64_t sunDec06 = 1796525740; // Sun Dec 06 02:55:40 2026 UTC

class UtcTimeTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        g_timeShifted = false;
        g_latestFeedTime = 0.0;
    }
    testsupport::ManualTime time{sunDec06};
};

TEST_F(UtcTimeTest, TimeTexts)
{
    EXPECT_EQ(gf_utcTimeText(sunDec06), "Sun Dec 06 02:55:40 2026");
    EXPECT_EQ(gf_utcTimeText(0), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(gf_utcTimeText(1791072000 + 3600 * 24 + 5), "Mon Okt 05 00:00:05 2026"); // October with a k
    EXPECT_EQ(gf_utcTimeText(std::int64_t{1} << 62), "Invalid time");
    EXPECT_EQ(gf_utcClockText(), "02:55:40");
    EXPECT_EQ(gf_dateText(), "Dec 06, 2026");
    EXPECT_EQ(gf_nowClockText(), "02:55:40");
}

TEST_F(UtcTimeTest, ShiftedTimeFollowsTheNewestRecord)
{
    EXPECT_EQ(gf_now(), sunDec06);
    g_timeShifted = true;
    EXPECT_EQ(gf_now(), sunDec06); // no record yet: the wall clock
    g_latestFeedTime = 1796000000.6;
    EXPECT_EQ(gf_now(), 1796000001);
    EXPECT_EQ(gf_nowClockText(), "<<< " + gf_utcTimeText(1796000001).substr(11, 8));
    EXPECT_EQ(gf_utcClockText(), "02:55:40"); // the wall clock is not shifted
    g_latestFeedTime = 1e300;
    EXPECT_THROW(gf_now(), gsl::narrowing_error);
    g_timeShifted = false;
    EXPECT_EQ(gf_now(), sunDec06);
}

} // namespace
