// Livery matching of live and parked aircraft on a realistic set of liveries: each step of the
// ladder, its depth, cargo, special and refused titles, and the log lines of a match.
#include "livery_test_support.h"

#include <array>

namespace {

using Counts = std::array<std::int32_t, g_matchStepCount>;
using Match = std::pair<std::string, int>; // the title chosen, the step counted (0: none)

class LiveryMatchingTest : public LiveryTest {
protected:
    void SetUp() override
    {
        LiveryTest::SetUp();
        processRealisticLiveries();
        gf_installLiveryMatchHooks({
            [](const LiveryMatchAc& ac) { return fmt::format("<{} {} {}>", ac.airline, ac.type, ac.registration); },
            [](const LiveryMatchAc& ac) { return fmt::format("[{} {} {}]", ac.airline, ac.type, ac.registration); },
            [this](std::string_view title) { return m_refused.contains(std::string(title)); },
            [] { return std::vector<std::string>{}; },
        });
        m_logStart = readFile("Log.txt").size();
    }

    static LiveryMatchAc aircraft(const std::string& airline, const std::string& type, const std::string& reg = {},
                                  bool cargo = false)
    {
        return {airline, type, reg, gf_type2sizeClass(type), cargo, {}, false};
    }

    Match matchLive(LiveryMatchAc ac)
    {
        const Counts before = counts();
        gf_matchLiveryLiveAc(ac);
        const Counts after = counts();
        int step = 0;
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (after[i] != before[i]) {
                EXPECT_TRUE(step == 0 && after[i] == before[i] + 1) << "one success counts once";
                step = static_cast<int>(i) + 1;
            }
        }
        EXPECT_TRUE(ac.liveryTitle.empty() || gf_findLiveryTitle(ac.liveryTitle).data() == ac.liveryTitle.data())
            << "a view into the tables";
        return {std::string(ac.liveryTitle), step};
    }
    // The title a parked aircraft gets on a cargo or passenger stand, "-" when refused.
    std::string matchStatic(LiveryMatchAc ac, bool cargoStand, const std::string& stand)
    {
        const bool matched = gf_matchLiveryStaticAc(ac, cargoStand, stand);
        return (matched ? "" : "-") + std::string(ac.liveryTitle);
    }

    static Counts counts()
    {
        Counts values{};
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = g_liveryTables.matchCounts[i].load();
        return values;
    }

    // The log written since the set-up, from the line end before it.
    std::string newLog() { return log().substr(m_logStart - 1); }

    std::set<std::string> m_refused;
    std::size_t m_logStart = 0;
};

TEST_F(LiveryMatchingTest, EachStepOfTheLadderIsReachedAndCounted)
{
    // 1: a special registration, whatever the airline and the cargo flag
    EXPECT_EQ(matchLive(aircraft("BAW", "B744", "N571UP", false)), Match("Boeing 747-400F UPS", 1));
    // 2: the flight's airline and type, else the record airline when the flight's has nothing
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("Airbus A321 Lufthansa", 2));
    EXPECT_EQ(matchLive(aircraft("EZY", "A319", "G-EUPA")), Match("Airbus A319 British Airways", 2));
    // 3: the airline's livery of a similar type of the same size class
    const auto similar = matchLive(aircraft("DLH", "A318"));
    EXPECT_EQ(similar.second, 3);
    EXPECT_TRUE(similar.first == "Airbus A320 Lufthansa" || similar.first == "Airbus A321 Lufthansa") << similar.first;
    // 4: the generic livery of the type
    EXPECT_EQ(matchLive(aircraft("EZY", "A320")), Match("Airbus A320 House Colours", 4));
    // 5: any livery of the type for a light aircraft
    EXPECT_EQ(matchLive(aircraft("XYZ", "PA28")), Match("Piper PA28 Flying Club", 5));
    // 6: a similar type with liveries, and a random type of the category
    EXPECT_EQ(matchLive(aircraft("XYZ", "C152")), Match("FSLTL_C172 White", 6));
    EXPECT_EQ(matchLive(aircraft("XYZ", "R44")), Match("EC135 Air Rescue", 6));
    // none: a heavy type without any livery of the airline or a generic one
    EXPECT_EQ(matchLive(aircraft("XYZ", "B77W")), Match("", 0));

    EXPECT_EQ(counts(), (Counts{1, 2, 1, 1, 1, 2}));
    const std::string text = newLog();
    EXPECT_THAT(text, HasSubstr("\n          <DLH A321 > =2= Airbus A321 Lufthansa\n"));
    EXPECT_THAT(text, HasSubstr("\n          <BAW B744 N571UP> =1= Boeing 747-400F UPS\n"));
    EXPECT_EQ(countOf(text, "\n          <"), 8u);
}

TEST_F(LiveryMatchingTest, DepthCargoAndAirlineRulesOfTheLadder)
{
    struct Case {
        int depth;
        const char *airline, *type, *registration;
        bool cargo;
        Match match;
    };
    const Case cases[] = {
        {1, "DLH", "A320", "D-AIZR", false, {"Airbus A320 Lufthansa Retro", 1}},
        {1, "DLH", "A321", "", false, {"", 0}},
        {1, "PVT", "A320", "", false, {"", 0}},
        {2, "DLH", "A321", "", false, {"Airbus A321 Lufthansa", 2}},
        {2, "DLH", "A318", "", false, {"", 0}},
        {3, "XYZ", "B744", "", false, {"", 0}}, // no fallback for a heavy aircraft
        {3, "XYZ", "C172", "", false, {"FSLTL_C172 White", 4}},
        {4, "XYZ", "B744", "", false, {"Boeing 747-400 House Colours", 4}},
        // a private flight tries the generic livery first
        {2, "PVT", "A320", "", false, {"Airbus A320 House Colours", 4}},
        {2, "PVT", "A321", "", false, {"", 0}},
        // a cargo flight falls back to its airline's passenger livery; a passenger flight never gets a cargo one
        {4, "DLH", "B744", "", true, {"Boeing 747-400 Lufthansa", 2}},
        {4, "UPS", "B744", "", true, {"Boeing 747-400F UPS", 2}},
        {4, "UPS", "B744", "", false, {"Boeing 747-400 UPS Passenger", 2}},
        {4, "GEC", "B77W", "", false, {"", 0}},
        {4, "XYZ", "B744", "", true, {"Boeing 747-400F House Colours", 4}},
        {4, "XYZ", "PA28", "", true, {"", 0}}, // type-only steps look at cargo liveries only for a cargo flight
        // the record names BAW and an A319 livery exists, but the flight has no airline
        {4, "", "A319", "G-EUPA", false, {"", 0}},
        {4, "", "A320", "", false, {"Airbus A320 House Colours", 4}},
    };
    for (const Case& c : cases) {
        MATCHING_DEPTH.value = c.depth;
        EXPECT_EQ(matchLive(aircraft(c.airline, c.type, c.registration, c.cargo)), c.match)
            << c.depth << " " << c.airline << " " << c.type << " " << c.registration << (c.cargo ? " cargo" : "");
    }
    MATCHING_DEPTH.value = 3;
    EXPECT_EQ(matchLive(aircraft("DLH", "A318")).second, 3);
    EXPECT_EQ(matchLive(aircraft("GEC", "B77W", "", true)).second, 2);
    // a similar type of another size class is none
    g_liveryTables.airlineSimilarTypes["BAW"]["B77W"] = {"A319"};
    EXPECT_EQ(matchLive(aircraft("BAW", "B77W")), Match("", 0));
}

TEST_F(LiveryMatchingTest, SpecialTitlesAreAvoidedUnlessNothingElseIsLeft)
{
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(matchLive(aircraft("DLH", "A320")).first, "Airbus A320 Lufthansa");
    // every candidate special: one is still chosen
    g_liveryTables.specialTitles.push_back(gf_findLiveryTitle("Airbus A320 Lufthansa"));
    for (int i = 0; i < 10; ++i) {
        const auto title = matchLive(aircraft("DLH", "A320")).first;
        EXPECT_TRUE(title == "Airbus A320 Lufthansa" || title == "Airbus A320 Lufthansa Retro") << title;
    }
}

TEST_F(LiveryMatchingTest, RefusedTitlesAreNeverLeftNorCountedNorLogged)
{
    m_refused = {"Airbus A321 Lufthansa", "Boeing 747-400F UPS", "Piper PA28 Flying Club"};
    EXPECT_EQ(matchLive(aircraft("BAW", "B744", "N571UP")), Match("", 0));
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("", 0)) << "no later step after a refusal";
    EXPECT_EQ(matchLive(aircraft("XYZ", "PA28")), Match("", 0));
    EXPECT_EQ(counts(), Counts{});
    // with the log off a match is counted but not logged
    LOG.value = false;
    EXPECT_EQ(matchLive(aircraft("DLH", "A320")).second, 2);
    EXPECT_EQ(countOf(newLog(), "\n          <"), 0u);
}

TEST_F(LiveryMatchingTest, FsltlLiveriesSetTheFlagAndOthersClearIt)
{
    auto ac = aircraft("ZZZ", "C172");
    gf_matchLiveryLiveAc(ac);
    EXPECT_EQ(ac.liveryTitle, "FSLTL_C172 White");
    EXPECT_TRUE(ac.reverser);
    gf_matchLiveryLiveAc(ac = aircraft("DLH", "A321"));
    EXPECT_FALSE(ac.reverser);

    EXPECT_THROW(gf_pickFromAirlineTable(ac, "DLH", "A321", 2), std::out_of_range);
    EXPECT_THROW(gf_recordMatchStep(ac, 7), std::out_of_range);
    EXPECT_THROW(gf_recordMatchStep(ac, 0), std::out_of_range);
}

TEST_F(LiveryMatchingTest, TheHandedOnTitleOutlivesTheTables)
{
    auto ac = aircraft("DLH", "A321");
    gf_matchLiveryLiveAc(ac);
    const std::string handedOn = gf_ownedLiveryTitle(ac);
    gf_clearLiveryTables();
    g_liveriesProcessed = false;
    writeLiveries({{"DLH", "A321", "Something Else Entirely With A Long Title", "", false}});
    gf_processScannedLiveries();
    EXPECT_EQ(handedOn, "Airbus A321 Lufthansa");
}

TEST_F(LiveryMatchingTest, ParkedAircraftFollowTheStandAndKeepAGivenTitle)
{
    EXPECT_THAT(matchStatic(aircraft("GEC", "B77W", "", false), true, "C12"), ::testing::StartsWith("Boeing 777F"));
    EXPECT_EQ(matchStatic(aircraft("GEC", "B77W", "", true), false, "A1"), "-");
    EXPECT_EQ(matchStatic(aircraft("DLH", "A320", "D-AIZR"), false, "A2"), "Airbus A320 Lufthansa Retro");
    EXPECT_EQ(matchStatic(aircraft("DLH", "B77W"), false, "A3"), "Boeing 747-400 Lufthansa"); // a similar type
    EXPECT_EQ(matchStatic(aircraft("XYZ", "PA28"), false, "GA1"), "Piper PA28 Flying Club");
    m_refused = {"Airbus A321 Lufthansa"};
    EXPECT_EQ(matchStatic(aircraft("DLH", "A321"), false, "B1"), "-");
    // a title given is kept, refused or not, and the stand is not even looked at
    auto given = aircraft("DLH", "A321");
    given.liveryTitle = gf_findLiveryTitle("Airbus A321 Lufthansa");
    EXPECT_TRUE(gf_matchLiveryStaticAc(given, true, "B7"));
    EXPECT_EQ(given.liveryTitle, "Airbus A321 Lufthansa");
    EXPECT_FALSE(given.cargo);
    MATCHING_DEPTH.value = 1;
    EXPECT_EQ(matchStatic(aircraft("BAW", "A319"), false, "B2"), "-");

    EXPECT_EQ(counts(), Counts{}) << "static matches are not counted";
    const std::string text = newLog();
    for (const char* line : {"\n          <GEC B77W > =2= Boeing 777F Lufthansa Cargo",
                             "\n          <DLH A320 D-AIZR> =1= Airbus A320 Lufthansa Retro\n",
                             "\n          <DLH B77W > =3= Boeing 747-400 Lufthansa\n",
                             "\n          <XYZ PA28 > =5= Piper PA28 Flying Club\n",
                             "\n          <DLH A321 > =s= Airbus A321 Lufthansa\n",
                             "\nA1      : [GEC B77W ] no livery match ...\n",
                             "\nB2      : [BAW A319 ] no livery match ...\n"})
        EXPECT_THAT(text, HasSubstr(line));
    EXPECT_EQ(countOf(text, "no livery match"), 2u); // a refusal is not one
    EXPECT_EQ(countOf(text, "Airbus A321 Lufthansa"), 1u);
}

} // namespace
