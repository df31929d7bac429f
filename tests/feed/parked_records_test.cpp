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
    // "stand/type/registration/airline/callsign" of the record kept, "-" when dropped
    std::string kept(const json& line, const std::string& key = "4b1805")
    {
        const auto r = parse(line, key);
        return r ? fmt::format("{}/{}/{}/{}/{}", r->stand, r->type, r->registration, r->airline, r->callsign) : "-";
    }
    std::uint32_t slotAt(json time) { return parse(parkedLine("A1", "A320", 0, "DLH1").set(5, time))->slot; }

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
    EXPECT_EQ(std::tie(r->lat, r->lon, r->slot), std::make_tuple(50.0333, 8.5701, 20u));
    EXPECT_EQ(kept(parkedLine("V12", "A320", lf_day, "DLH4AB", "D-AIPX")), "V12/A320/D-AIPX/DLH/DLH4AB");
    EXPECT_TRUE(r->origin.empty() && r->destination.empty());

    EXPECT_EQ(kept(parkedLine("A1", "A320", lf_day, "X"), "2710"), "-"); // 10000
    EXPECT_EQ(kept(parkedLine("A1", "A320", lf_day, "X"), "2711"), "A1/A320///X");
    EXPECT_EQ(kept(parkedLine("A1", "A320", lf_day, "X"), "zz"), "-");
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

TEST_F(ParkedRecords, TypesRegistrationsCallsignsAndStands)
{
    context.reservedStand = "V12";
    context.userStand = "B7";
    const std::pair<Line, std::string> cases[] = {
        // aliases, none-values, and the database's type winning over the reply's
        {parkedLine("A1", "B747", lf_day), "A1/B744///"},
        {parkedLine("A1", "B767", lf_day), "A1/B763///"},
        {parkedLine("A1", "B747", lf_day, "", "DABYA"), "A1/B748/DABYA/DLH/DABYA"},
        {parkedLine("A1", "ZZZZ", lf_day), "-"},
        {parkedLine("A1", "0", lf_day), "-"},
        {parkedLine("A1", "XXXX", lf_day), "-"},
        // a registration found gives the airline (its operator first) and stands in for the callsign
        {parkedLine("A1", "", lf_day, "", "N123UP"), "A1/B763/N123UP/GTI/N123UP"},
        // a registration of 13 characters is emptied; the callsign found takes its place
        {parkedLine("A1", "", lf_day, "DLH4X", "ABCDEFGHIJKLM"), "A1/A320/DLH4X/CLH/DLH4X"},
        {parkedLine("A1", "A320", lf_day, "", "null"), "A1/A320///"},
        {parkedLine("A1", "A320", lf_day, ".ABC12"), "A1/A320///ABC12"},
        {parkedLine("A1", "A320", lf_day, "ABC00000"), "A1/A320///"},
        {parkedLine("A1", "A320", lf_day, "ABCDEFGH"), "A1/A320///ABCDEFGH"},
        {parkedLine("A1", "A320", lf_day, "ABCDEFGHI"), "A1/A320///"},
        {parkedLine("A1", "A320", lf_day, "a@b"), "A1/A320///"},
        {parkedLine("A1", "A320", lf_day, "null"), "A1/A320///"},
        // stands: none at all, the reserved one and the user's
        {parkedLine("A1", "A320", lf_day).set(2, nullptr), "-"},
        {parkedLine("V12", "A320", lf_day), "-"},
        {parkedLine("B7", "A320", lf_day), "-"},
        {parkedLine("V13", "A320", lf_day), "V13/A320///"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(kept(line), expected) << line.json().dump();
    // no stand kept free: a record without a stand name stays
    context = ParkedLineContext{};
    EXPECT_EQ(kept(parkedLine("", "A320", lf_day)), "/A320///");
    disabled = SizeClass::Heavy;
    EXPECT_EQ(kept(parkedLine("A1", "B744", lf_day)), "-");
    EXPECT_EQ(kept(parkedLine("A1", "C172", lf_day)), "A1/C172///");
}

TEST_F(ParkedRecords, InvalidPositionsAreDroppedWithoutAWord)
{
    // an integer latitude reads as 0.0; with an integer longitude too the position is invalid
    const auto intLat = parse(parkedLine("A1", "A320", lf_day).set(0, 52));
    ASSERT_TRUE(intLat);
    EXPECT_EQ(intLat->lat, 0.0);
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day).set(0, 52).set(1, 8)));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "", "", 91.0, 8.0)));
    EXPECT_FALSE(parse(parkedLine("A1", "A320", lf_day, "", "", 50.0, -180.5)));
    EXPECT_TRUE(folder.logLines().empty());
}
