// Reading the model's scenario file.
#include "simconnect/sim_scenario.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>

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
    EXPECT_EQ((std::tuple{s.simulatorName, s.simulatorVersion[3], s.frameRate, s.simRunning, s.groundAltitudeFt, s.year,
                          s.dayOfYear, s.zuluSeconds, s.userAtcId, s.anyTitleInstalled, s.creationFrames,
                          s.maxAiObjects}),
              (std::tuple{"SunRise", 6u, 45.5f, false, 120.5, 2025, 200, 3600, "I", false, 0, 7u}));
    ASSERT_EQ(s.userPath.size(), 1u);
    EXPECT_EQ((std::tuple{s.userPath[0].lat, s.userPath[0].lightStates}), (std::tuple{-33.9, 3}));
    ASSERT_EQ(s.installedTitles.size(), 2u);
    EXPECT_EQ(s.installedTitles[1].staticCgFt, 4.5);
}

TEST(SimScenario, MalformedOrOutOfRangeInputIsRefusedWithAReason)
{
    const std::pair<std::string, const char*> refused[] = {
        {"{ not json", "simulator scenario:"}, {"[]", "top level"},
        {R"({"frameRate": "fast"})", "simulator scenario:"}, {R"({"frameRate": 0})", "frame rate"},
        {R"({"clock": {"dayOfYear": 367}})", "day of year"}, {R"({"clock": {"zuluSeconds": 86400}})", "zulu"},
        {R"({"user": {"path": []}})", "at least one point"},
        {R"({"user": {"path": [{"t": 5}, {"t": 5}]}})", "increase"},
        {R"({"user": {"path": [{"lat": 91}]}})", "latitude"}, {R"({"user": {"path": [7]}})", "object"},
        {R"({"installedTitles": [""]})", "empty"}, {R"({"installedTitles": [1]})", "title"},
        {R"({"simulator": {"version": [1, 2]}})", "four"},
        {"{\"simulator\": {\"name\": \"\xff\xfe\"}}", "simulator scenario:"}};
    for (const auto& [json, reason] : refused)
        EXPECT_NE(errorOf(json).find(reason), std::string::npos) << json;
    EXPECT_THROW(gf_readSimScenario("/no/such/scenario.json"), std::runtime_error);
}
