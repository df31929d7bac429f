#include "foundation/load_parameters.h"
#include "foundation/parameter_file.h"
#include "options_file.h"

#include <fstream>

namespace {

class LoadParameters : public testsupport::OptionsFileTest {
protected:
    // a file of an older program, with the options that were replaced since
    static void writeOldFile(const std::string& version)
    {
        writeFile(R"(<?xml version="1.0"?>
<parameters>
	<parameter name="PROGRAM_VERSION" value=")" +
                  version + R"(" />
	<parameter name="MSFS_2020" value="true" />
	<parameter name="AI_PACKAGE_ORDER" value="4" />
	<parameter name="CUSTOM_MAX_PARK" value="300" />
	<parameter name="MAX_LIVE" value="17" />
	<parameter name="LATERAL_RANGE" value="36" />
	<parameter name="AIRPORT_RANGE" value="23" />
	<parameter name="AUTO_RANGE_ABOVE_HEIGHT" value="26999" />
	<parameter name="AIRPORT_HEIGHT" value="27000" />
	<parameter name="SCAN_LIVERIES" value="false" />
	<parameter name="SCAN_AIRPORTS" value="false" />
</parameters>
)");
    }
};

const std::vector<std::string> g_replacedKeys{"MSFS_2020",     "AI_PACKAGE_ORDER", "CUSTOM_MAX_PARK",
                                              "MAX_LIVE",      "LATERAL_RANGE",    "AIRPORT_RANGE",
                                              "AUTO_RANGE_ABOVE_HEIGHT", "AIRPORT_HEIGHT"};

TEST_F(LoadParameters, AFirstStartRecordsTheProgramVersionAndChangesNothingElse)
{
    gf_loadParameters();
    EXPECT_EQ(PROGRAM_VERSION.value.get(), "11.0.4");
    EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
    EXPECT_EQ(valueOf("LATERAL_RANGE"), "40");
    EXPECT_EQ(valueOf("SCAN_LIVERIES"), "true");
    EXPECT_EQ(g_rangeMeters.load(), 40 * 1852 + 10000);
    for (const auto& line : folder.logLines())
        EXPECT_EQ(line.find("version update"), std::string::npos) << line;
}

TEST_F(LoadParameters, AnUpdateCarriesReplacedOptionsOverAndSwitchesTheScansOn)
{
    writeOldFile("10.5.0");
    std::ofstream("install_new_version.exe") << "old installer";

    gf_loadParameters();

    EXPECT_EQ(SIM_CHOICE.value.get(), "MSFS 2020");
    EXPECT_EQ(AI_PACKAGE_SELECTOR.value.get(), "FSLTL, JF, AIG");
    EXPECT_EQ(MAX_PARK_SEL.value, 500);
    EXPECT_EQ(MAX_LIVE_SEL.value, 10);
    EXPECT_EQ(RANGE.value, 35);
    EXPECT_EQ(AIRP_RANGE.value, 25);
    EXPECT_EQ(AR_ABOVE_HEIGHT.value, 18000);
    EXPECT_EQ(AIRP_HEIGHT.value, 36000);
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_EQ(g_rangeNm.load(), 35.0);
    EXPECT_EQ(g_rangeMeters.load(), 35 * 1852 + 10000);

    EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
    EXPECT_EQ(valueOf("SIM_CHOICE"), "MSFS 2020");
    EXPECT_EQ(valueOf("AI_PACKAGE_SELECTOR"), "FSLTL, JF, AIG");
    EXPECT_EQ(valueOf("RANGE"), "35");
    EXPECT_EQ(valueOf("MAX_LIVE_SEL"), "10");
    EXPECT_EQ(valueOf("AIRP_HEIGHT"), "36000");
    EXPECT_EQ(valueOf("SCAN_LIVERIES"), "true");
    EXPECT_EQ(valueOf("SCAN_AIRPORTS"), "true");
    for (const std::string& key : g_replacedKeys)
        EXPECT_EQ(valueOf(key), "<missing>") << key;
    EXPECT_FALSE(std::filesystem::exists("install_new_version.exe"));
    EXPECT_TRUE(folder.logHas("This is a version update from 10.5.0 -> 11.0.4"));
    EXPECT_TRUE(folder.logHas("Parameter 'LATERAL_RANGE' removed"));

    // the next start is no update any more
    gf_resetOptions();
    SCAN_LIVERIES.value = false;
    gf_saveBoolParameter(SCAN_LIVERIES);
    gf_loadParameters();
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_EQ(RANGE.value, 35);
}

TEST_F(LoadParameters, AnUpdateFromElevenZeroTwoOnlyRescans)
{
    writeOldFile("11.0.2");
    gf_loadParameters();
    EXPECT_EQ(valueOf("LATERAL_RANGE"), "36");
    EXPECT_EQ(valueOf("MSFS_2020"), "true");
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(SIM_CHOICE.value.get(), "MSFS 2020");
    EXPECT_EQ(valueOf("SCAN_LIVERIES"), "true");
    EXPECT_EQ(valueOf("SCAN_AIRPORTS"), "true");
    EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
}

TEST_F(LoadParameters, TheSameOrANewerVersionInTheFileChangesNoOption)
{
    for (const std::string version : {"11.0.4", "12.0.0"}) {
        gf_resetOptions();
        writeOldFile(version);
        gf_loadParameters();
        EXPECT_FALSE(SCAN_LIVERIES.value) << version;
        EXPECT_EQ(valueOf("LATERAL_RANGE"), "36") << version;
        EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4") << version;
    }
}

TEST_F(LoadParameters, CountsAndRangesAreRoundedToTheSuccessorsChoices)
{
    const std::vector<std::pair<std::int32_t, std::int32_t>> counts{{17, 10}, {18, 25}, {299, 100}, {300, 500},
                                                                    {0, 0},   {-1, 0},  {62, 50},   {63, 75}};
    for (const auto& [old, expected] : counts) {
        gf_resetOptions();
        writeFile(R"(<parameters><parameter name="PROGRAM_VERSION" value="10.0.0"/><parameter name="MAX_LIVE" value=")" +
                  std::to_string(old) + R"("/><parameter name="AIRPORT_RANGE" value=")" +
                  std::to_string(old < 8 ? 8 : (old > 30 ? 30 : old)) + R"("/></parameters>)");
        gf_loadParameters();
        EXPECT_EQ(MAX_LIVE_SEL.value, expected) << old;
        const auto& choices = AIRP_RANGE.allowed;
        EXPECT_NE(std::find(choices.begin(), choices.end(), AIRP_RANGE.value.load()), choices.end()) << old;
    }
}

} // namespace
