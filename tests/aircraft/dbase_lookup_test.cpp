// Looking things up in the aircraft database: size classes, wingspans, registrations and their
// variants, short keys inside texts, publishers.
#include "aircraft_test_support.h"

#include <stdexcept>

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
            {"G-ABCD", {"BAW", "A320", "", false}}, {"DA-IPX", {"DLH", "A320", "CLH", false}},
            {"D-AIPX", {"XXX", "A320", "", false}}, {"N123AB", {"UAL", "B744", "", true}},
            {"N1YP", {"ZZZ", "C172", "", false}},   {"EI-XY", {"RYR", "A320", "", false}},
            {"VH-OEJ", {"QFA", "B744", "", false}},
        };
        db.shortRecordKeys = {"EI-XY", "N1YP"};
        db.publishers = {{"Alpine Scenery"}, {"Orbit", "ORBIT Works", "orbx-like"}, {"Scenery Alpha"}};
    }
};

TEST_F(DbaseLookupTest, SizeClassesAndWingspans)
{
    // ODD1 is listed as large and heavy: large wins
    for (const auto& [type, sizeClass] : std::vector<std::pair<std::string, SizeClass>>{
             {"A320", SizeClass::Large}, {"B744", SizeClass::Heavy}, {"C25C", SizeClass::Buzjets},
             {"EC35", SizeClass::Rotorcraft}, {"F16", SizeClass::HighPerf}, {"C172", SizeClass::Light},
             {"UNKN", SizeClass::Light}, {"", SizeClass::Light}, {"ODD1", SizeClass::Large}})
        EXPECT_EQ(gf_type2sizeClass(type), sizeClass) << type;
    EXPECT_TRUE(gf_isValidModel("A388"));
    EXPECT_FALSE(gf_isValidModel("a388") || gf_isValidModel(""));
    EXPECT_TRUE(gf_isIcaoAirline("ZZZ"));
    EXPECT_FALSE(gf_isIcaoAirline("BAW") || gf_isIcaoAirline(""));

    // a type's own half wingspan, else its class's mean
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("B744"), 0.0174);
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("A388"), 0.02);
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("EC35"), 0.0035);
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan(""), 0.003);

    try {
        gf_sizeClassName(static_cast<SizeClass>(6));
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid unordered_map<K, T> key");
    }
    EXPECT_THROW(gf_sizeClassName(static_cast<SizeClass>(-1)), std::out_of_range);
}

TEST_F(DbaseLookupTest, RecordByRegistrationTriesTheVariantsInOrder)
{
    using Variants = std::vector<std::string>;
    EXPECT_EQ(gf_regVariants("DAIPX"), (Variants{"DA-IPX", "D-AIPX", "DAIPX"}));
    EXPECT_EQ(gf_regVariants("N123AB"), Variants{"N123AB"});
    EXPECT_EQ(gf_regVariants("D-AIPX"), Variants{"D-AIPX"});
    EXPECT_EQ(gf_regVariants("GABC"), Variants{"GABC"});
    EXPECT_EQ(gf_regVariants(""), Variants{""});

    // GABCD: GA-BCD is no key, G-ABCD is; DAIPX: DA-IPX comes before D-AIPX
    ASSERT_TRUE(gf_findDbaseRecord("GABCD"));
    EXPECT_EQ(gf_findDbaseRecord("GABCD")->airl, "BAW");
    EXPECT_EQ(gf_findDbaseRecord("DAIPX")->airl, "DLH");
    EXPECT_EQ(gf_findDbaseRecord("D-AIPX")->airl, "XXX");
    EXPECT_TRUE(gf_findDbaseRecord("N123AB")->cargo);
    EXPECT_FALSE(gf_findDbaseRecord("N999ZZ") || gf_findDbaseRecord(""));

    EXPECT_EQ(gf_airlineOfReg("DAIPX") + "/" + gf_operatorOfReg("DAIPX"), "DLH/CLH");
    EXPECT_EQ(gf_operatorOfReg("GABCD") + gf_airlineOfReg("unknown") + gf_airlineOfReg(""), "");
}

TEST_F(DbaseLookupTest, ShortKeysAndPublishersFoundInsideTexts)
{
    EXPECT_EQ(gf_findShortRecordKey("Cessna 172 N1YP private"), "N1YP");
    EXPECT_EQ(gf_findShortRecordKey("A320 Ryanair EI-XY"), "EI-XY");
    // keys longer than five characters are not looked for, and the search is case-sensitive
    EXPECT_FALSE(gf_findShortRecordKey("B744 Qantas VH-OEJ") || gf_findShortRecordKey("cessna n1yp") ||
                 gf_findShortRecordKey(""));

    EXPECT_TRUE(gf_containsIgnoreCase("anything", ""));
    EXPECT_FALSE(gf_containsIgnoreCase("orb", "orbit"));
    // the first entry with a name in the text, whatever the case
    for (const auto& [text, publisher] : std::vector<std::pair<std::string, std::string>>{
             {"Community/orbit-works-lowi-innsbruck", "Orbit"}, {"ORBIT Works LSZH", "Orbit"},
             {"orbit works and scenery alpha and alpine scenery", "Alpine Scenery"}, {"Scenery Alpha Orbit", "Orbit"},
             {"someone else", "unknown"}, {"", "unknown"}})
        EXPECT_EQ(gf_findPublisher(text), publisher) << text;
}

TEST_F(DbaseLookupTest, OneCandidateListHoldsTheLastPick)
{
    const auto& first = gf_oneCandidateList([] { return std::string("C172"); });
    EXPECT_EQ(first, std::vector<std::string>{"C172"});
    EXPECT_EQ(&gf_oneCandidateList([] { return std::string("PA28"); }), &first);
    EXPECT_EQ(first, std::vector<std::string>{"PA28"});
    EXPECT_EQ(&gf_oneCandidateList([] { return std::string(); }), &gf_emptyCandidateList());
    EXPECT_TRUE(gf_emptyCandidateList().empty());
}

} // namespace
