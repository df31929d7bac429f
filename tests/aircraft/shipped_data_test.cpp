// The data files the build encrypts for the program folder: they decrypt with the program's key
// and load without a single error line.
#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/regcode_files.h"
#include "aircraft_test_support.h"
#include "foundation/decrypt.h"
#include "foundation/paths.h"

using namespace aircrafttest;

namespace {

const fs::path g_builtInput = TRWK_DATA_INPUT_DIR;

class ShippedDataTest : public AircraftTest {
protected:
    void SetUp() override
    {
        AircraftTest::SetUp();
        fs::copy_file(g_builtInput / "dbase.enc", g_dbaseEncPath);
        fs::copy_file(g_builtInput / "AIG-regcodes.enc", g_regcodesEncPath);
    }
};

TEST_F(ShippedDataTest, DatabaseLoadsCompleteAndConsistent)
{
    ASSERT_TRUE(gf_readDbase());
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));

    EXPECT_GE(g_dbase.aircraftTypes.size(), 250u);
    EXPECT_GE(g_dbase.icaoAirlines.size(), 250u);
    EXPECT_TRUE(g_dbase.icaoAirlines.contains("ZZZ"));
    for (const char* cargo : {"FDX", "UPS", "GEC", "CLX", "BOX"})
        EXPECT_TRUE(g_dbase.cargoOperators.contains(cargo)) << cargo;
    EXPECT_FALSE(g_dbase.aircraftTypes.contains(""));
    EXPECT_FALSE(g_dbase.icaoAirlines.contains(""));

    // every class type is a valid type, and no type sits in two classes
    std::map<std::string, int> classes;
    for (const auto* set : {&g_dbase.highPerformanceTypes, &g_dbase.heavyTypes, &g_dbase.largeTypes,
                            &g_dbase.buzjetTypes, &g_dbase.rotorcraftTypes, &g_dbase.cargoTypes}) {
        for (const auto& type : *set) {
            EXPECT_TRUE(gf_isValidModel(type)) << type;
            if (set != &g_dbase.cargoTypes) {
                EXPECT_EQ(++classes[type], 1) << type;
            }
        }
    }
    for (const auto& airline : g_dbase.cargoOperators)
        EXPECT_TRUE(gf_isIcaoAirline(airline)) << airline;

    // every class has wingspans of its own, and they are real ones
    for (int c = 0; c < g_sizeClassCount; ++c) {
        const auto sizeClass = static_cast<SizeClass>(c);
        int count = 0;
        for (const auto& [type, half] : g_dbase.halfWingspans) {
            if (gf_type2sizeClass(type) == sizeClass)
                ++count;
        }
        EXPECT_GE(count, 10) << gf_sizeClassName(sizeClass);
    }
    for (const auto& [type, half] : g_dbase.halfWingspans) {
        const double metres = half * 2 * 1852;
        EXPECT_GT(metres, 5.0) << type;
        EXPECT_LT(metres, 90.0) << type;
    }
    EXPECT_GT(gf_getHalfWingspan("A388"), gf_getHalfWingspan("A320"));
    EXPECT_GT(gf_getHalfWingspan("A320"), gf_getHalfWingspan("C172"));

    for (const auto& group : g_dbase.similarTypes) {
        EXPECT_GE(group.size(), 2u);
        for (const auto& type : group)
            EXPECT_TRUE(gf_isValidModel(type)) << type;
    }
    for (const auto& [wrong, correct] : g_dbase.typeFixes)
        EXPECT_FALSE(gf_isValidModel(wrong)) << wrong << " is a valid type";
    EXPECT_GE(g_dbase.typeFixes.size(), 10u);
    EXPECT_GE(g_dbase.publishers.size(), 10u);
    EXPECT_FALSE(g_dbase.simAddonAirports.empty());
    EXPECT_FALSE(g_dbase.thirdParties2020.empty());
    EXPECT_FALSE(g_dbase.thirdParties2024.empty());

    EXPECT_GE(g_dbase.records.size(), 50u);
    for (const auto& [registration, record] : g_dbase.records) {
        EXPECT_TRUE(gf_isValidModel(record.type)) << registration;
        EXPECT_TRUE(gf_isIcaoAirline(record.airl)) << registration;
        if (!record.opr.empty()) {
            EXPECT_TRUE(gf_isIcaoAirline(record.opr)) << registration;
        }
    }
    EXPECT_EQ(log().find("===>"), std::string::npos);
}

TEST_F(ShippedDataTest, RegcodeListDecryptsAndReadsWithoutErrors)
{
    ASSERT_TRUE(gf_streamDecrypt(g_regcodesEncPath, g_regcodesXmlPath));
    std::vector<RegcodeEntry> entries;
    EXPECT_TRUE(gf_readAigRegcodes(entries));
    gf_removeFile(g_regcodesXmlPath);
    EXPECT_GE(entries.size(), 30u);
    std::size_t dontUse = 0;
    std::size_t special = 0;
    for (const auto& entry : entries) {
        dontUse += entry.regcodes.empty() ? 1 : 0;
        special += entry.special ? 1 : 0;
        for (const auto& regcode : entry.regcodes)
            EXPECT_TRUE(regcode.size() >= 3 && regcode.size() <= 12) << entry.title;
    }
    EXPECT_GT(dontUse, 0u);
    EXPECT_GT(special, 0u);
    EXPECT_EQ(log().find("===>"), std::string::npos);
}

} // namespace
