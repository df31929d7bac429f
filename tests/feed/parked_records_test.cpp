// Parked-traffic records: each rule of one member of an answer.
#include "feed_fixture.h"
#include "parked_support.h"

#include "aircraft/dbase_lookup.h"
#include "feed/parked_records.h"

#include <gtest/gtest.h>

using nlohmann::json;
using testsupport::parkedLine;

namespace {

constexpr std::int64_t lf_day = 1767225600; // Jan 01 2026 00:00:00 UTC

std::int64_t lf_at(int h, int m, int s) { return lf_day + h * 3600 + m * 60 + s; }

class ParkedRecords : public ::testing::Test {
protected:
    ParkedRecords()
    {
        testsupport::fillParkedDbase();
        gf_resetFeedHooks();
        gf_sizeClassEnabledHook.install([this](SizeClass c) { return c != disabled; });
    }
    ~ParkedRecords() override
    {
        gf_resetFeedHooks();
        gf_resetDbase();
    }

    std::optional<ParkedTrafficRecord> parse(const json& line, const std::string& key = "4b1805")
    {
        std::vector<ParkedTrafficRecord> records;
        processParkedTrafficLine(key, line, context, records);
        EXPECT_LE(records.size(), 1u);
        if (records.empty())
            return std::nullopt;
        return records.front();
    }
    std::optional<ParkedTrafficRecord> parseAt(std::int64_t t)
    {
        return parse(parkedLine(50.0, 8.0, "A1", "A320", "", t, "DLH1"));
    }

    testsupport::LoggedFolder folder;
    ParkedLineContext context;
    SizeClass disabled = SizeClass::Rotorcraft;
};

} // namespace

TEST_F(ParkedRecords, ACompleteMemberKeepsEveryValue)
{
    const auto r = parse(parkedLine(50.0333, 8.5701, "V12", "A320", "D-AIPX", lf_at(10, 0, 0), "DLH4AB"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->hexId, 0x4b1805u);
    EXPECT_DOUBLE_EQ(r->lat, 50.0333);
    EXPECT_DOUBLE_EQ(r->lon, 8.5701);
    EXPECT_EQ(r->stand, "V12");
    EXPECT_EQ(r->type, "A320");
    EXPECT_EQ(r->registration, "D-AIPX");
    EXPECT_EQ(r->airline, "DLH");
    EXPECT_EQ(r->callsign, "DLH4AB");
    EXPECT_EQ(r->slot, 20u);
    EXPECT_TRUE(r->origin.empty() && r->destination.empty());

    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "X"), "00ff")); // 255
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "X"), "zz"));
}

TEST_F(ParkedRecords, ReportTimesBecomeHalfHourSlots)
{
    EXPECT_EQ(parseAt(lf_at(10, 29, 29))->slot, 20u);
    EXPECT_EQ(parseAt(lf_at(10, 29, 30))->slot, 21u);
    EXPECT_EQ(parseAt(lf_at(10, 59, 30))->slot, 21u);
    EXPECT_EQ(parseAt(lf_at(23, 59, 59))->slot, 47u);
    EXPECT_EQ(parseAt(lf_at(0, 0, 0))->slot, 0u);
    // a fraction of a second is rounded to the nearest second
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", 0, "DLH1").set(5, lf_at(10, 29, 29) + 0.5))->slot, 21u);
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", 0, "DLH1").set(5, lf_at(10, 29, 29) + 0.4))->slot, 20u);

    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", 0, "DLH1").set(5, nullptr)));
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", 0, "DLH1").set(5, 1e300)));
    EXPECT_FALSE(parse(json::array({50.0, 8.0, "A1", "A320"})));
    EXPECT_FALSE(parse(json::object({{"lat", 50.0}})));
    const auto errors = folder.logLines();
    ASSERT_EQ(errors.size(), 4u);
    for (const auto& line : errors)
        EXPECT_EQ(line.rfind("===> processParkedTrafficLine: ", 0), 0u) << line;
}

TEST_F(ParkedRecords, TypesRegistrationsAndCallsignsAreNormalised)
{
    // aliases, none-values, and the database's type winning over the reply's
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "B747", "", lf_day, ""))->type, "B744");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "B767", "", lf_day, ""))->type, "B763");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "B747", "DABYA", lf_day, ""))->type, "B748");
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "ZZZZ", "", lf_day, "")));
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "0", "", lf_day, "")));

    // a registration found gives the airline (its operator first) and stands in for the callsign
    const auto ups = parse(parkedLine(50.0, 8.0, "A1", "", "N123UP", lf_day, ""));
    ASSERT_TRUE(ups);
    EXPECT_EQ(ups->airline, "GTI");
    EXPECT_EQ(ups->callsign, "N123UP");
    // a registration of 13 characters is emptied; the callsign found takes its place
    const auto longReg = parse(parkedLine(50.0, 8.0, "A1", "", "ABCDEFGHIJKLM", lf_day, "DLH4X"));
    ASSERT_TRUE(longReg);
    EXPECT_EQ(longReg->registration, "DLH4X");
    EXPECT_EQ(longReg->airline, "CLH");
    EXPECT_EQ(longReg->type, "A320");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "null", lf_day, ""))->registration, "");

    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, ".ABC12"))->callsign, "ABC12");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "ABC00000"))->callsign, "");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "ABCDEFGHI"))->callsign, "");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "a@b"))->callsign, "");
    EXPECT_EQ(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "null"))->callsign, "");
}

TEST_F(ParkedRecords, PositionsTypesAndStandsThatAreDropped)
{
    // an integer latitude reads as 0.0; with an integer longitude too the position is invalid
    const auto intLat = parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "").set(0, 52));
    ASSERT_TRUE(intLat);
    EXPECT_EQ(intLat->lat, 0.0);
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "").set(0, 52).set(1, 8)));
    EXPECT_FALSE(parse(parkedLine(91.0, 8.0, "A1", "A320", "", lf_day, "")));
    EXPECT_FALSE(parse(parkedLine(50.0, -180.5, "A1", "A320", "", lf_day, "")));
    EXPECT_TRUE(folder.logLines().empty()); // invalid positions are dropped without a word

    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "XXXX", "", lf_day, "")));
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "", "", lf_day, "")));
    disabled = SizeClass::Heavy;
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "B744", "", lf_day, "")));
    EXPECT_TRUE(parse(parkedLine(50.0, 8.0, "A1", "C172", "", lf_day, "")));

    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "A1", "A320", "", lf_day, "").set(2, nullptr)));
    context.reservedStand = "V12";
    context.userStand = "B7";
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "V12", "A320", "", lf_day, "")));
    EXPECT_FALSE(parse(parkedLine(50.0, 8.0, "B7", "A320", "", lf_day, "")));
    EXPECT_TRUE(parse(parkedLine(50.0, 8.0, "V13", "A320", "", lf_day, "")));
    // no stand kept free: a record without a stand name stays
    context = ParkedLineContext{};
    EXPECT_TRUE(parse(parkedLine(50.0, 8.0, "", "A320", "", lf_day, "")));
}
