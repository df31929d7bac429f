// Reading the model's scenario file.
#include "simconnect/sim_scenario.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

std::string errorOf(const std::string& json)
{
    try {
        gf_parseSimScenario(json);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(SimScenario, BuiltInScenarioIsValidAndGoesFromStandToCruise)
{
    const SimScenario s = gf_defaultSimScenario();
    ASSERT_GE(s.userPath.size(), 4u);
    EXPECT_EQ(s.userPath.front().phase, "stand");
    EXPECT_EQ(s.userPath.back().phase, "cruise");
    EXPECT_TRUE(s.userPath.front().onGround);
    EXPECT_FALSE(s.userPath.back().onGround);
    EXPECT_TRUE(s.anyTitleInstalled);
    EXPECT_NO_THROW(gf_parseSimScenario("{}"));
}

TEST(SimScenario, FileSetsSimulatorUserTitlesAndClock)
{
    testsupport::TempFolder folder;
    std::ofstream("scenario.json") << R"({
        "simulator": {"name": "SunRise", "version": [12, 1, 5, 6]},
        "frameRate": 45.5, "simRunning": false, "groundAltitudeFt": 120.5,
        "clock": {"year": 2025, "dayOfYear": 200, "zuluSeconds": 3600},
        "user": {"title": "T", "atcModel": "M", "atcId": "I",
                 "path": [{"t": 0, "lat": -33.9, "lon": 151.2, "altFt": 21, "onGround": true, "lights": 3}]},
        "installedTitles": ["One", {"title": "Two", "staticCgFt": 4.5}],
        "creationFrames": 0, "maxAiObjects": 7
    })";
    const SimScenario s = gf_readSimScenario(folder.path() / "scenario.json");
    EXPECT_EQ(s.simulatorName, "SunRise");
    EXPECT_EQ(s.simulatorVersion[3], 6u);
    EXPECT_FLOAT_EQ(s.frameRate, 45.5f);
    EXPECT_FALSE(s.simRunning);
    EXPECT_DOUBLE_EQ(s.groundAltitudeFt, 120.5);
    EXPECT_EQ(s.year, 2025);
    EXPECT_EQ(s.dayOfYear, 200);
    EXPECT_EQ(s.zuluSeconds, 3600);
    EXPECT_EQ(s.userAtcId, "I");
    ASSERT_EQ(s.userPath.size(), 1u);
    EXPECT_DOUBLE_EQ(s.userPath[0].lat, -33.9);
    EXPECT_EQ(s.userPath[0].lightStates, 3);
    EXPECT_FALSE(s.anyTitleInstalled);
    ASSERT_EQ(s.installedTitles.size(), 2u);
    EXPECT_DOUBLE_EQ(s.installedTitles[1].staticCgFt, 4.5);
    EXPECT_EQ(s.creationFrames, 0);
    EXPECT_EQ(s.maxAiObjects, 7u);
}

TEST(SimScenario, MalformedOrOutOfRangeInputIsRefusedWithAReason)
{
    EXPECT_NE(errorOf("{ not json").find("simulator scenario:"), std::string::npos);
    EXPECT_NE(errorOf("[]").find("top level"), std::string::npos);
    EXPECT_NE(errorOf(R"({"frameRate": "fast"})").find("simulator scenario:"), std::string::npos);
    EXPECT_NE(errorOf(R"({"frameRate": 0})").find("frame rate"), std::string::npos);
    EXPECT_NE(errorOf(R"({"clock": {"dayOfYear": 367}})").find("day of year"), std::string::npos);
    EXPECT_NE(errorOf(R"({"clock": {"zuluSeconds": 86400}})").find("zulu"), std::string::npos);
    EXPECT_NE(errorOf(R"({"user": {"path": []}})").find("at least one point"), std::string::npos);
    EXPECT_NE(errorOf(R"({"user": {"path": [{"t": 5}, {"t": 5}]}})").find("increase"), std::string::npos);
    EXPECT_NE(errorOf(R"({"user": {"path": [{"lat": 91}]}})").find("latitude"), std::string::npos);
    EXPECT_NE(errorOf(R"({"user": {"path": [7]}})").find("object"), std::string::npos);
    EXPECT_NE(errorOf(R"({"installedTitles": [""]})").find("empty"), std::string::npos);
    EXPECT_NE(errorOf(R"({"installedTitles": [1]})").find("title"), std::string::npos);
    EXPECT_NE(errorOf(R"({"simulator": {"version": [1, 2]}})").find("four"), std::string::npos);
    EXPECT_NE(errorOf(std::string("{\"simulator\": {\"name\": \"\xff\xfe\"}}")).find("simulator scenario:"),
              std::string::npos);
    EXPECT_THROW(gf_readSimScenario("/no/such/scenario.json"), std::runtime_error);
}
