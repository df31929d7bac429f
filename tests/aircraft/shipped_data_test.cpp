// The aircraft database the build encrypts for the program folder: it decrypts with the program's
// key, loads without a single error line and holds together (the registration codes are read by
// the whole run).
#include "aircraft_test_support.h"

namespace {

const fs::path g_builtInput = TRWK_DATA_INPUT_DIR;

class ShippedDataTest : public AircraftTest {
protected:
    void SetUp() override
    {
        AircraftTest::SetUp();
        fs::copy_file(g_builtInput / "dbase.enc", g_dbaseEncPath);
    }
};

TEST_F(ShippedDataTest, DatabaseLoadsCompleteAndConsistent)
{
    ASSERT_TRUE(gf_readDbase());
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));

    EXPECT_TRUE(g_dbase.aircraftTypes.size() >= 250 && g_dbase.icaoAirlines.size() >= 250);
    EXPECT_TRUE(g_dbase.icaoAirlines.contains("ZZZ"));
    EXPECT_THAT(g_dbase.cargoOperators, ::testing::IsSupersetOf({"FDX", "UPS", "GEC", "CLX", "BOX"}));
    EXPECT_FALSE(g_dbase.aircraftTypes.contains("") || g_dbase.icaoAirlines.contains(""));

    // every class type is a valid type, and no type sits in two classes
    std::map<std::string, int> classes;
    for (const auto* set : {&g_dbase.highPerformanceTypes, &g_dbase.heavyTypes, &g_dbase.largeTypes,
                            &g_dbase.buzjetTypes, &g_dbase.rotorcraftTypes, &g_dbase.cargoTypes}) {
        for (const auto& type : *set) {
            EXPECT_TRUE(gf_isValidModel(type)) << type;
            EXPECT_TRUE(set == &g_dbase.cargoTypes || ++classes[type] == 1) << type;
        }
    }
    for (const auto& airline : g_dbase.cargoOperators)
        EXPECT_TRUE(gf_isIcaoAirline(airline)) << airline;

    // every class has wingspans of its own, and they are real ones
    std::map<SizeClass, int> wingspans;
    for (const auto& [type, half] : g_dbase.halfWingspans) {
        ++wingspans[gf_type2sizeClass(type)];
        EXPECT_TRUE(half * 2 * 1852 > 5.0 && half * 2 * 1852 < 90.0) << type << ": " << half * 2 * 1852 << " m";
    }
    for (int c = 0; c < g_sizeClassCount; ++c)
        EXPECT_GE(wingspans[static_cast<SizeClass>(c)], 10) << gf_sizeClassName(static_cast<SizeClass>(c));
    EXPECT_TRUE(gf_getHalfWingspan("A388") > gf_getHalfWingspan("A320") &&
                gf_getHalfWingspan("A320") > gf_getHalfWingspan("C172"));

    for (const auto& group : g_dbase.similarTypes)
        EXPECT_TRUE(group.size() >= 2 && std::all_of(group.begin(), group.end(), gf_isValidModel)) << group[0];
    for (const auto& [wrong, correct] : g_dbase.typeFixes)
        EXPECT_FALSE(gf_isValidModel(wrong)) << wrong << " is a valid type";
    EXPECT_TRUE(g_dbase.typeFixes.size() >= 10 && g_dbase.publishers.size() >= 10 && g_dbase.records.size() >= 50);
    EXPECT_FALSE(g_dbase.simAddonAirports.empty()); // the thirdparty lists wait for their archived files

    for (const auto& [registration, record] : g_dbase.records) {
        EXPECT_TRUE(gf_isValidModel(record.type)) << registration;
        EXPECT_TRUE(gf_isIcaoAirline(record.airl) && (record.opr.empty() || gf_isIcaoAirline(record.opr)))
            << registration;
    }
    EXPECT_EQ(log().find("===>"), std::string::npos);
}

} // namespace
