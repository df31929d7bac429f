#include "aircraft/candidate_list.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft_test_support.h"

#include <stdexcept>

using namespace aircrafttest;

namespace {

class DbaseLookupTest : public AircraftTest {
protected:
    void SetUp() override
    {
        AircraftTest::SetUp();
        auto& db = g_dbase;
        db.aircraftTypes = {"A320", "A388", "B744", "C25C", "C172", "EC35", "F16", "ODD1"};
        db.largeTypes = {"A320", "ODD1"};
        db.heavyTypes = {"A388", "B744", "ODD1"};
        db.buzjetTypes = {"C25C"};
        db.rotorcraftTypes = {"EC35"};
        db.highPerformanceTypes = {"F16"};
        db.icaoAirlines = {"DLH", "ZZZ"};
        db.halfWingspans = {{"A320", 0.0092}, {"B744", 0.0174}};
        db.meanHalfWingspan = {0.003, 0.006, 0.0092, 0.02, 0.0028, 0.0035};
        db.records = {
            {"G-ABCD", {"BAW", "A320", "", false}},
            {"DA-IPX", {"DLH", "A320", "CLH", false}},
            {"D-AIPX", {"XXX", "A320", "", false}},
            {"N123AB", {"UAL", "B744", "", true}},
            {"N1YP", {"ZZZ", "C172", "", false}},
            {"EI-XY", {"RYR", "A320", "", false}},
            {"VH-OEJ", {"QFA", "B744", "", false}},
        };
        db.shortRecordKeys = {"EI-XY", "N1YP"};
        db.publishers = {{"Alpine Scenery"}, {"Orbit", "ORBIT Works", "orbx-like"}, {"Scenery Alpha"}};
    }
};

TEST_F(DbaseLookupTest, SizeClassFollowsTheOrderOfTheSets)
{
    EXPECT_EQ(gf_type2sizeClass("A320"), SizeClass::Large);
    EXPECT_EQ(gf_type2sizeClass("B744"), SizeClass::Heavy);
    EXPECT_EQ(gf_type2sizeClass("C25C"), SizeClass::Buzjets);
    EXPECT_EQ(gf_type2sizeClass("EC35"), SizeClass::Rotorcraft);
    EXPECT_EQ(gf_type2sizeClass("F16"), SizeClass::HighPerf);
    EXPECT_EQ(gf_type2sizeClass("C172"), SizeClass::Light);
    EXPECT_EQ(gf_type2sizeClass("UNKN"), SizeClass::Light);
    EXPECT_EQ(gf_type2sizeClass(""), SizeClass::Light);
    // listed as large and heavy: large wins
    EXPECT_EQ(gf_type2sizeClass("ODD1"), SizeClass::Large);
}

TEST_F(DbaseLookupTest, ValidModelsAndAirlines)
{
    EXPECT_TRUE(gf_isValidModel("A388"));
    EXPECT_FALSE(gf_isValidModel("a388"));
    EXPECT_FALSE(gf_isValidModel(""));
    EXPECT_TRUE(gf_isIcaoAirline("ZZZ"));
    EXPECT_FALSE(gf_isIcaoAirline("BAW"));
    EXPECT_FALSE(gf_isIcaoAirline(""));
}

TEST_F(DbaseLookupTest, HalfWingspanOfATypeElseItsClassMean)
{
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("B744"), 0.0174);
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("A388"), 0.02);  // heavy mean
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("EC35"), 0.0035); // rotorcraft mean
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan(""), 0.003);      // light mean
}

TEST_F(DbaseLookupTest, SizeClassNames)
{
    EXPECT_EQ(gf_sizeClassName(SizeClass::Light), "Light");
    EXPECT_EQ(gf_sizeClassName(SizeClass::Buzjets), "Buzjets");
    EXPECT_EQ(gf_sizeClassName(SizeClass::Large), "Large");
    EXPECT_EQ(gf_sizeClassName(SizeClass::Heavy), "Heavy");
    EXPECT_EQ(gf_sizeClassName(SizeClass::HighPerf), "HighPerf");
    EXPECT_EQ(gf_sizeClassName(SizeClass::Rotorcraft), "Rotorcraft");
    try {
        gf_sizeClassName(static_cast<SizeClass>(6));
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(std::string(e.what()), "invalid unordered_map<K, T> key");
    }
    EXPECT_THROW(gf_sizeClassName(static_cast<SizeClass>(-1)), std::out_of_range);
}

TEST_F(DbaseLookupTest, RegistrationVariants)
{
    EXPECT_EQ(gf_regVariants("DAIPX"), (std::vector<std::string>{"DA-IPX", "D-AIPX", "DAIPX"}));
    EXPECT_EQ(gf_regVariants("GABCD"), (std::vector<std::string>{"GA-BCD", "G-ABCD", "GABCD"}));
    EXPECT_EQ(gf_regVariants("N123AB"), (std::vector<std::string>{"N123AB"}));
    EXPECT_EQ(gf_regVariants("D-AIPX"), (std::vector<std::string>{"D-AIPX"}));
    EXPECT_EQ(gf_regVariants("GABC"), (std::vector<std::string>{"GABC"}));
    EXPECT_EQ(gf_regVariants(""), (std::vector<std::string>{""}));
}

TEST_F(DbaseLookupTest, RecordByRegistrationTriesTheVariantsInOrder)
{
    // GABCD: GA-BCD is no key, G-ABCD is
    const auto british = gf_findDbaseRecord("GABCD");
    ASSERT_TRUE(british);
    EXPECT_EQ(british->airl, "BAW");
    // DAIPX: DA-IPX comes before D-AIPX
    EXPECT_EQ(gf_findDbaseRecord("DAIPX")->airl, "DLH");
    EXPECT_EQ(gf_findDbaseRecord("D-AIPX")->airl, "XXX");
    EXPECT_TRUE(gf_findDbaseRecord("N123AB")->cargo);
    EXPECT_FALSE(gf_findDbaseRecord("N999ZZ"));
    EXPECT_FALSE(gf_findDbaseRecord(""));

    EXPECT_EQ(gf_airlineOfReg("DAIPX"), "DLH");
    EXPECT_EQ(gf_operatorOfReg("DAIPX"), "CLH");
    EXPECT_EQ(gf_operatorOfReg("GABCD"), "");
    EXPECT_EQ(gf_airlineOfReg("unknown"), "");
    EXPECT_EQ(gf_airlineOfReg(""), "");
}

TEST_F(DbaseLookupTest, ShortKeysAreFoundInsideTexts)
{
    EXPECT_EQ(gf_findShortRecordKey("Cessna 172 N1YP private"), "N1YP");
    EXPECT_EQ(gf_findShortRecordKey("A320 Ryanair EI-XY"), "EI-XY");
    // keys longer than five characters are not looked for, and the search is case-sensitive
    EXPECT_FALSE(gf_findShortRecordKey("B744 Qantas VH-OEJ"));
    EXPECT_FALSE(gf_findShortRecordKey("cessna n1yp"));
    EXPECT_FALSE(gf_findShortRecordKey(""));
}

TEST_F(DbaseLookupTest, ContainsIgnoreCase)
{
    EXPECT_TRUE(gf_containsIgnoreCase("Community/orbit-airport-lowi", "ORBIT"));
    EXPECT_TRUE(gf_containsIgnoreCase("anything", ""));
    EXPECT_TRUE(gf_containsIgnoreCase("", ""));
    EXPECT_FALSE(gf_containsIgnoreCase("orb", "orbit"));
    EXPECT_FALSE(gf_containsIgnoreCase("scenery", "alpine"));
}

TEST_F(DbaseLookupTest, PublisherIsTheFirstEntryWithANameInTheText)
{
    EXPECT_EQ(gf_findPublisher("Community/orbit-works-lowi-innsbruck"), "Orbit");
    EXPECT_EQ(gf_findPublisher("ORBIT Works LSZH"), "Orbit");
    // names of two publishers: the entry first in the list wins
    EXPECT_EQ(gf_findPublisher("orbit works and scenery alpha and alpine scenery"), "Alpine Scenery");
    EXPECT_EQ(gf_findPublisher("Scenery Alpha Orbit"), "Orbit");
    EXPECT_EQ(gf_findPublisher("someone else"), "unknown");
    EXPECT_EQ(gf_findPublisher(""), "unknown");
}

TEST_F(DbaseLookupTest, OneCandidateListHoldsTheLastPick)
{
    gf_reserveCandidateLists();
    const auto& first = gf_oneCandidateList([] { return std::string("C172"); });
    EXPECT_EQ(first, (std::vector<std::string>{"C172"}));
    const auto& second = gf_oneCandidateList([] { return std::string("PA28"); });
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second, (std::vector<std::string>{"PA28"}));
    const auto& none = gf_oneCandidateList([] { return std::string(); });
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(&none, &gf_emptyCandidateList());
}

} // namespace
