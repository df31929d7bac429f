#pragma once
// The scenario of the embedded simulator model: which simulator it claims to be, the user
// aircraft and its scripted path, the installed titles, the clock and the frame rate.
#include <array>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// One point of the user aircraft's path, reached at `t` seconds of simulated time.
struct SimWaypoint {
    double t = 0.0;
    std::string phase; // "stand", "taxi", "takeoff", "cruise", ... (shown in the call log only)
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0;
    bool onGround = true;
    // heading while standing still; moving legs take the bearing of the leg
    double headingDeg = std::numeric_limits<double>::quiet_NaN();
    std::int64_t lightStates = 0;
};

struct SimTitle {
    std::string title;
    double staticCgFt = 9.0;
    double staticPitchDeg = 0.0;
};

struct SimScenario {
    std::string simulatorName = "KittyHawk";
    std::array<std::uint32_t, 4> simulatorVersion{11, 0, 282174, 999};
    float frameRate = 30.0f;
    bool simRunning = true;
    double groundAltitudeFt = 0.0; // the world is flat at this elevation
    int year = 2024;
    int dayOfYear = 1;
    std::int64_t zuluSeconds = 0; // seconds after midnight at simulated time 0
    std::string userTitle;
    std::string userAtcModel;
    std::string userAtcId;
    std::vector<SimWaypoint> userPath; // at least one point, times increasing
    bool anyTitleInstalled = true;     // no list of titles given: every title can be created
    std::vector<SimTitle> installedTitles;
    int creationFrames = 3;            // frames until a created aircraft appears
    std::uint32_t maxAiObjects = 1000;
};

// The built-in scenario: a stand, a taxi to the runway, a take-off and a cruise.
SimScenario gf_defaultSimScenario();
// Reads a scenario from JSON text; keys that are missing keep the built-in values.
// Raises std::runtime_error ("simulator scenario: ...") on malformed or out-of-range input.
SimScenario gf_parseSimScenario(std::string_view jsonText);
SimScenario gf_readSimScenario(const std::filesystem::path& path);
