// Parked-traffic records: each rule of one member of an answer.
#include "feed_fixture.h"

namespace {

constexpr std::int64_t lf_day = 1767225600; // Jan 01 2026 00:00:00 UTC

std::int64_t lf_at(int h, int m, int s) { return lf_day + h * 3600 + m * 60 + s; }

class ParkedRecords : public ::testing::Test {
protected:
    ParkedRecords()
    {
        fillParkedDbase();
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
    // a parked A320 on stand A1 with the callsign and registration given
    std::optional<ParkedTrafficRecord> parseNames(const std::string& type, const std::string& callsign,
                                                  const std::string& registration = "")
    {
        return parse(parkedLine("A1", type, lf_day, callsign, registration));
    }
    std::uint32_t slotAt(json reportTime) { return parse(parkedLine("A1", "A320", 0, "DLH1").set(5, reportTime))->slot; }

    LoggedFolder folder;
    ParkedLineContext context;
    SizeClass disabled = SizeClass::Rotorcraft;
};

} // namespace

TEST_F(ParkedRecords, ACompleteMemberKeepsEveryValue)
{
    const auto r = parse(parkedLine("V12", "A320", lf_at(10, 0, 0), "DLH4AB", "D-AIPX", 50.0333, 8.5701));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->hexId, 0x4b1805u);
    EXPECT_DOUBLE_EQ(r->lat, 50.0333);
    EXPECT_DOUBLE_EQ(r->lon, 8.5701);
    EXPECT_EQ(std::tie(r->stand, r->type, r->registration, r->airline, r->callsign),
              std::make_tuple("V12", "A320", "D-AIPX", "DLH", "DLH4AB"));
    EXPECT_EQ(r->slot, 20u);
    EXPECT_TRUE(r->origin.empty() && r->destination.empty());

    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "X"), "2710")); // 10000
    EXPECT_TRUE(parse(parkedLine("A1", "A320", lf_day, "X"), "2711"));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "X"), "zz"));
}

TEST_F(ParkedRecords, ReportTimesBecomeHalfHourSlots)
{
    EXPECT_EQ(slotAt(lf_at(10, 29, 29)), 20u);
    EXPECT_EQ(slotAt(lf_at(10, 29, 30)), 21u);
    EXPECT_EQ(slotAt(lf_at(10, 59, 30)), 21u);
    EXPECT_EQ(slotAt(lf_at(23, 59, 59)), 47u);
    EXPECT_EQ(slotAt(lf_at(0, 0, 0)), 0u);
    // a fraction of a second is rounded to the nearest second
    EXPECT_EQ(slotAt(lf_at(10, 29, 29) + 0.5), 21u);
    EXPECT_EQ(slotAt(lf_at(10, 29, 29) + 0.4), 20u);

    EXPECT_FALSE(parse(parkedLine("A1", "A320", 0, "DLH1").set(5, nullptr)));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", 0, "DLH1").set(5, 1e300)));
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
    EXPECT_EQ(parseNames("B747", "")->type, "B744");
    EXPECT_EQ(parseNames("B767", "")->type, "B763");
    EXPECT_EQ(parseNames("B747", "", "DABYA")->type, "B748");
    EXPECT_FALSE(parseNames("ZZZZ", ""));
    EXPECT_FALSE(parseNames("0", ""));

    // a registration found gives the airline (its operator first) and stands in for the callsign
    const auto ups = parseNames("", "", "N123UP");
    ASSERT_TRUE(ups);
    EXPECT_EQ(ups->airline, "GTI");
    EXPECT_EQ(ups->callsign, "N123UP");
    // a registration of 13 characters is emptied; the callsign found takes its place
    const auto longReg = parseNames("", "DLH4X", "ABCDEFGHIJKLM");
    ASSERT_TRUE(longReg);
    EXPECT_EQ(std::tie(longReg->registration, longReg->airline, longReg->type), std::make_tuple("DLH4X", "CLH", "A320"));
    EXPECT_EQ(parseNames("A320", "", "null")->registration, "");

    for (const auto& [given, kept] : std::vector<std::pair<std::string, std::string>>{
             {".ABC12", "ABC12"}, {"ABC00000", ""}, {"ABCDEFGH", "ABCDEFGH"}, {"ABCDEFGHI", ""}, {"a@b", ""},
             {"null", ""}})
        EXPECT_EQ(parseNames("A320", given)->callsign, kept) << given;
}

TEST_F(ParkedRecords, PositionsTypesAndStandsThatAreDropped)
{
    // an integer latitude reads as 0.0; with an integer longitude too the position is invalid
    const auto intLat = parse(parkedLine("A1", "A320", lf_day).set(0, 52));
    ASSERT_TRUE(intLat);
    EXPECT_EQ(intLat->lat, 0.0);
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day).set(0, 52).set(1, 8)));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "", "", 91.0, 8.0)));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "", "", 50.0, -180.5)));
    EXPECT_TRUE(folder.logLines().empty()); // invalid positions are dropped without a word

    EXPECT_FALSE(parseNames("XXXX", ""));
    EXPECT_FALSE(parseNames("", ""));
    disabled = SizeClass::Heavy;
    EXPECT_FALSE(parseNames("B744", ""));
    EXPECT_TRUE(parseNames("C172", ""));

    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day).set(2, nullptr)));
    context.reservedStand = "V12";
    context.userStand = "B7";
    EXPECT_FALSE(parse(parkedLine("V12", "A320", lf_day)));
    EXPECT_FALSE(parse(parkedLine("B7", "A320", lf_day)));
    EXPECT_TRUE(parse(parkedLine("V13", "A320", lf_day)));
    // no stand kept free: a record without a stand name stays
    context = ParkedLineContext{};
    EXPECT_TRUE(parse(parkedLine("", "A320", lf_day)));
}
