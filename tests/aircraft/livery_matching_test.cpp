#include "aircraft/dbase_lookup.h"
#include "aircraft/livery_matching.h"
#include "livery_test_support.h"

#include <array>

using namespace aircrafttest;

namespace {

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
            [this] {
                std::vector<std::string> lines;
                for (const auto& title : m_refused)
                    lines.push_back("  " + title);
                return lines;
            },
        });
        m_logStart = readFile("Log.txt").size();
    }

    static LiveryMatchAc aircraft(std::string airline, std::string type, std::string registration = {},
                                  bool cargo = false)
    {
        LiveryMatchAc ac;
        ac.airline = std::move(airline);
        ac.type = std::move(type);
        ac.registration = std::move(registration);
        ac.sizeClass = gf_type2sizeClass(ac.type);
        ac.cargo = cargo;
        return ac;
    }

    // The title the live matcher chooses, and the step it was counted at (0: none counted).
    std::pair<std::string, int> matchLive(LiveryMatchAc ac)
    {
        const auto before = counts();
        gf_matchLiveryLiveAc(ac);
        const auto after = counts();
        int step = 0;
        for (int i = 0; i < g_matchStepCount; ++i) {
            if (after[static_cast<std::size_t>(i)] != before[static_cast<std::size_t>(i)]) {
                EXPECT_EQ(step, 0) << "one success counts once";
                EXPECT_EQ(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)] + 1);
                step = i + 1;
            }
        }
        if (!ac.liveryTitle.empty()) {
            EXPECT_EQ(gf_findLiveryTitle(ac.liveryTitle).data(), ac.liveryTitle.data()) << "a view into the tables";
        }
        return {std::string(ac.liveryTitle), step};
    }

    static std::array<std::int32_t, g_matchStepCount> counts()
    {
        std::array<std::int32_t, g_matchStepCount> values{};
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = g_liveryTables.matchCounts[i].load();
        return values;
    }

    // The log written since the set-up, from the line end before it.
    std::string newLog() { return log().substr(m_logStart - 1); }

    std::set<std::string> m_refused;
    std::size_t m_logStart = 0;
};

using Match = std::pair<std::string, int>;

TEST_F(LiveryMatchingTest, EachStepOfTheLadderIsReachedAndCounted)
{
    // 1: a special registration, whatever the airline and the cargo flag
    EXPECT_EQ(matchLive(aircraft("BAW", "B744", "N571UP", false)), Match("Boeing 747-400F UPS", 1));
    // 2: the flight's airline and type
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("Airbus A321 Lufthansa", 2));
    // 2: the record airline when the flight's has nothing
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

    EXPECT_EQ(counts(), (std::array<std::int32_t, g_matchStepCount>{1, 2, 1, 1, 1, 2}));
    const std::string text = newLog();
    EXPECT_NE(text.find("\n          <DLH A321 > =2= Airbus A321 Lufthansa\n"), std::string::npos);
    EXPECT_NE(text.find("\n          <BAW B744 N571UP> =1= Boeing 747-400F UPS\n"), std::string::npos);
    EXPECT_EQ(countOf(text, "\n          <"), 8u);
}

TEST_F(LiveryMatchingTest, DepthLimitsTheLadder)
{
    MATCHING_DEPTH.value = 1;
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-AIZR")), Match("Airbus A320 Lufthansa Retro", 1));
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("", 0));
    EXPECT_EQ(matchLive(aircraft("PVT", "A320")), Match("", 0));

    MATCHING_DEPTH.value = 2;
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("Airbus A321 Lufthansa", 2));
    EXPECT_EQ(matchLive(aircraft("DLH", "A318")), Match("", 0));

    MATCHING_DEPTH.value = 3;
    EXPECT_EQ(matchLive(aircraft("DLH", "A318")).second, 3);
    EXPECT_EQ(matchLive(aircraft("XYZ", "B744")), Match("", 0)) << "no fallback for a heavy aircraft";
    EXPECT_EQ(matchLive(aircraft("XYZ", "C172")), Match("FSLTL_C172 White", 4));

    MATCHING_DEPTH.value = 4;
    EXPECT_EQ(matchLive(aircraft("XYZ", "B744")), Match("Boeing 747-400 House Colours", 4));
}

TEST_F(LiveryMatchingTest, CargoAndPassengerRules)
{
    // a cargo flight falls back to its airline's passenger livery
    EXPECT_EQ(matchLive(aircraft("DLH", "B744", "", true)), Match("Boeing 747-400 Lufthansa", 2));
    EXPECT_EQ(matchLive(aircraft("UPS", "B744", "", true)), Match("Boeing 747-400F UPS", 2));
    EXPECT_EQ(matchLive(aircraft("UPS", "B744", "", false)), Match("Boeing 747-400 UPS Passenger", 2));
    // a passenger flight never gets a cargo livery
    EXPECT_EQ(matchLive(aircraft("GEC", "B77W", "", false)), Match("", 0));
    EXPECT_EQ(matchLive(aircraft("GEC", "B77W", "", true)).second, 2);
    EXPECT_EQ(matchLive(aircraft("XYZ", "B744", "", true)), Match("Boeing 747-400F House Colours", 4));
    // type-only steps look at cargo liveries only for a cargo flight
    EXPECT_EQ(matchLive(aircraft("XYZ", "PA28", "", true)), Match("", 0));
}

TEST_F(LiveryMatchingTest, EmptyAirlineSkipsTheAirlineSteps)
{
    // the record names BAW and an A319 livery exists, but the flight has no airline
    EXPECT_EQ(matchLive(aircraft("", "A319", "G-EUPA")), Match("", 0));
    EXPECT_EQ(matchLive(aircraft("", "A320")), Match("Airbus A320 House Colours", 4));
}

TEST_F(LiveryMatchingTest, PrivateFlightsTryTheGenericLiveryFirst)
{
    MATCHING_DEPTH.value = 2;
    EXPECT_EQ(matchLive(aircraft("PVT", "A320")), Match("Airbus A320 House Colours", 4));
    EXPECT_EQ(matchLive(aircraft("PVT", "A321")), Match("", 0));
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

TEST_F(LiveryMatchingTest, RefusedTitlesAreNeverLeftNorCounted)
{
    m_refused = {"Airbus A321 Lufthansa", "Boeing 747-400F UPS", "Piper PA28 Flying Club"};
    EXPECT_EQ(matchLive(aircraft("BAW", "B744", "N571UP")), Match("", 0));
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")), Match("", 0)) << "no later step after a refusal";
    EXPECT_EQ(matchLive(aircraft("XYZ", "PA28")), Match("", 0));
    EXPECT_EQ(counts(), (std::array<std::int32_t, g_matchStepCount>{}));
    EXPECT_EQ(countOf(newLog(), "\n          <"), 0u);
}

TEST_F(LiveryMatchingTest, FsltlLiveriesSetTheFlagAndOthersClearIt)
{
    auto ac = aircraft("ZZZ", "C172");
    gf_matchLiveryLiveAc(ac);
    EXPECT_EQ(ac.liveryTitle, "FSLTL_C172 White");
    EXPECT_TRUE(ac.reverser);
    auto other = aircraft("DLH", "A321");
    other.reverser = true;
    gf_matchLiveryLiveAc(other);
    EXPECT_FALSE(other.reverser);
}

TEST_F(LiveryMatchingTest, NoLogLinesWithLogOff)
{
    LOG.value = false;
    EXPECT_EQ(matchLive(aircraft("DLH", "A321")).second, 2);
    EXPECT_EQ(countOf(newLog(), "=2="), 0u);
}

TEST_F(LiveryMatchingTest, OutOfRangeTablesAndSteps)
{
    auto ac = aircraft("DLH", "A321");
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

// Parked aircraft
TEST_F(LiveryMatchingTest, StaticAircraftFollowTheStand)
{
    auto onCargoStand = aircraft("GEC", "B77W", "", false);
    EXPECT_TRUE(gf_matchLiveryStaticAc(onCargoStand, true, "C12"));
    EXPECT_TRUE(onCargoStand.cargo);
    EXPECT_TRUE(std::string(onCargoStand.liveryTitle).starts_with("Boeing 777F Lufthansa Cargo"));

    auto onPaxStand = aircraft("GEC", "B77W", "", true);
    EXPECT_FALSE(gf_matchLiveryStaticAc(onPaxStand, false, "A1"));
    EXPECT_TRUE(onPaxStand.liveryTitle.empty());

    auto special = aircraft("DLH", "A320", "D-AIZR");
    EXPECT_TRUE(gf_matchLiveryStaticAc(special, false, "A2"));
    EXPECT_EQ(special.liveryTitle, "Airbus A320 Lufthansa Retro");

    // step 3: a similar type of the airline
    auto similar = aircraft("DLH", "B77W");
    EXPECT_TRUE(gf_matchLiveryStaticAc(similar, false, "A3"));
    EXPECT_EQ(similar.liveryTitle, "Boeing 747-400 Lufthansa");

    auto fallback = aircraft("XYZ", "PA28");
    EXPECT_TRUE(gf_matchLiveryStaticAc(fallback, false, "GA1"));
    EXPECT_EQ(fallback.liveryTitle, "Piper PA28 Flying Club");

    EXPECT_EQ(counts(), (std::array<std::int32_t, g_matchStepCount>{})) << "static matches are not counted";
    const std::string text = newLog();
    EXPECT_NE(text.find("\n          <GEC B77W > =2= Boeing 777F Lufthansa Cargo"), std::string::npos);
    EXPECT_NE(text.find("\n          <DLH A320 D-AIZR> =1= Airbus A320 Lufthansa Retro\n"), std::string::npos);
    EXPECT_NE(text.find("\n          <DLH B77W > =3= Boeing 747-400 Lufthansa\n"), std::string::npos);
    EXPECT_NE(text.find("\n          <XYZ PA28 > =5= Piper PA28 Flying Club\n"), std::string::npos);
    EXPECT_NE(text.find("\nA1      : [GEC B77W ] no livery match ...\n"), std::string::npos);
}

TEST_F(LiveryMatchingTest, StaticAircraftKeepAGivenTitle)
{
    m_refused = {"Airbus A321 Lufthansa"};
    auto ac = aircraft("DLH", "A321");
    ac.liveryTitle = gf_findLiveryTitle("Airbus A321 Lufthansa");
    EXPECT_TRUE(gf_matchLiveryStaticAc(ac, true, "B7"));
    EXPECT_EQ(ac.liveryTitle, "Airbus A321 Lufthansa");
    EXPECT_FALSE(ac.cargo) << "the stand is not even looked at";
    EXPECT_NE(newLog().find("\n          <DLH A321 > =s= Airbus A321 Lufthansa\n"), std::string::npos);
}

TEST_F(LiveryMatchingTest, StaticRefusalsAndDepthOne)
{
    m_refused = {"Airbus A321 Lufthansa"};
    auto refused = aircraft("DLH", "A321");
    EXPECT_FALSE(gf_matchLiveryStaticAc(refused, false, "B1"));
    EXPECT_TRUE(refused.liveryTitle.empty());

    MATCHING_DEPTH.value = 1;
    auto shallow = aircraft("BAW", "A319");
    EXPECT_FALSE(gf_matchLiveryStaticAc(shallow, false, "B2"));
    const std::string text = newLog();
    EXPECT_EQ(countOf(text, "no livery match"), 1u);
    EXPECT_NE(text.find("\nB2      : [BAW A319 ] no livery match ...\n"), std::string::npos);
    EXPECT_EQ(countOf(text, "Airbus A321 Lufthansa"), 0u);
}

} // namespace
