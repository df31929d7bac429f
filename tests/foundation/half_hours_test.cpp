#include "foundation/half_hours.h"

#include "support/logged_folder.h"
#include "support/manual_time.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t sunOct04 = 1791072000; // Sunday 2026-10-04 00:00:00 UTC

std::int64_t at(int h, int m, int s) { return sunOct04 + h * 3600 + m * 60 + s; }

TEST(HalfHours, SlotChangesThirtySecondsBeforeTheHalfHour)
{
    EXPECT_EQ(gf_halfHourSlot(at(12, 29, 29)), 24);
    EXPECT_EQ(gf_halfHourSlot(at(12, 29, 30)), 25);
    EXPECT_EQ(gf_halfHourSlot(at(12, 59, 59)), 25);
    EXPECT_EQ(gf_halfHourSlot(at(13, 0, 0)), 26);
    EXPECT_EQ(gf_halfHourSlot(at(23, 45, 0)), 47);
    EXPECT_EQ(gf_halfHourSlot(at(0, 0, 0)), 0);
    EXPECT_EQ(gf_halfHourSlot(std::int64_t{1} << 62), -1);
}

TEST(HalfHours, WeekSlotOfTheProgramsNow)
{
    testsupport::ManualTime time(at(10, 40, 0));
    EXPECT_EQ(gf_halfHourSlotNow(), 21);
    EXPECT_EQ(gf_slotAndWeekdayNow(), (std::uint64_t{21} << 32) | 7u); // Sunday is 7
    time.set(at(24 + 5, 10, 0));                                       // Monday 05:10
    EXPECT_EQ(gf_slotAndWeekdayNow(), (std::uint64_t{10} << 32) | 1u);
}

TEST(HalfHours, WeekIndexWrapsAtTheWeeksEnd)
{
    const WeekPoint sunday = gf_unpackWeekPoint((std::uint64_t{47} << 32) | 7u); // 23:30
    EXPECT_EQ(gf_weekIndex(sunday), 335);
    EXPECT_EQ(gf_halfHoursBetween(sunday, {1, 0}), 1);
    EXPECT_EQ(gf_halfHoursBetween({1, 0}, sunday), 335);
    EXPECT_LT(gf_weekIndex(gf_unpackWeekPoint(~std::uint64_t{0})), 336); // no time could be broken down
    const auto lt_text = [](WeekPoint p) { return std::to_string(p.day) + "/" + std::to_string(p.slot); };
    EXPECT_EQ(lt_text(gf_halfHoursBack({1, 0}, 1)), "7/47");
    EXPECT_EQ(lt_text(gf_halfHoursBack({3, 10}, 10)), "3/0");
    EXPECT_EQ(lt_text(gf_halfHoursBack({3, 10}, 11)), "2/47");
    EXPECT_EQ(lt_text(gf_nextHalfHour(sunday)), "1/0");
    EXPECT_EQ(lt_text(gf_nextHalfHour({3, 46})), "3/47");
}

TEST(HalfHours, TextToBitsAndBack)
{
    testsupport::LoggedFolder folder;
    auto bits = gf_hours2bitset("0,47");
    EXPECT_TRUE(bits.test(0) && bits.test(47));
    EXPECT_EQ(bits.count(), 2u);
    EXPECT_EQ(gf_bitset2hours(bits), "0,47");

    EXPECT_TRUE(gf_hours2bitset("").none());
    EXPECT_TRUE(folder.logLines().empty());

    EXPECT_TRUE(gf_hours2bitset("48").none());
    bits = gf_hours2bitset("1, 2");
    EXPECT_EQ(gf_bitset2hours(bits), "1");
    bits = gf_hours2bitset("5x,-3,,99999999999,7");
    EXPECT_EQ(gf_bitset2hours(bits), "5,7");
    EXPECT_EQ(folder.logLines(), (std::vector<std::string>{
                                     "===> gf_hours2bitset invalid hour '48' in 48",
                                     "===> gf_hours2bitset invalid hour ' 2' in 1, 2",
                                     "===> gf_hours2bitset invalid hour '-3' in 5x,-3,,99999999999,7",
                                     "===> gf_hours2bitset invalid hour '' in 5x,-3,,99999999999,7",
                                     "===> gf_hours2bitset invalid hour '99999999999' in 5x,-3,,99999999999,7",
                                 }));

    HalfHourBitset all;
    all.set();
    EXPECT_EQ(gf_hours2bitset(gf_bitset2hours(all)), all);
    EXPECT_EQ(gf_bitset2hours(HalfHourBitset{}), "");
    const HalfHourBitset some{(1ull << 0) | (1ull << 1) | (1ull << 47)};
    EXPECT_EQ(gf_bitset2hours(some), "0,1,47");
}

} // namespace
