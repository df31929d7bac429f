#include "foundation/load_parameters.h"

#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/range.h"
#include "foundation/version.h"

#include <array>
#include <filesystem>
#include <fmt/format.h>
#include <string>
#include <system_error>

namespace {

bool lf_sameVersion(const VersionData& a, const VersionData& b)
{
    return a.major == b.major && a.minor == b.minor && a.patch == b.patch;
}

// counts of live or parked aircraft to the choices 0, 10, 25, 50, 75, 100, 500
std::int32_t lf_snapCount(std::int32_t n)
{
    if (n >= 300)
        return 500;
    if (n >= 88)
        return 100;
    if (n >= 63)
        return 75;
    if (n >= 38)
        return 50;
    if (n >= 18)
        return 25;
    if (n >= 1)
        return 10;
    return 0;
}

// airport ranges to the choices 5, 10, 15, 20, 25, 30
std::int32_t lf_snapAirportRange(std::int32_t nm)
{
    if (nm >= 27)
        return 30;
    if (nm >= 23)
        return 25;
    if (nm >= 18)
        return 20;
    if (nm >= 13)
        return 15;
    if (nm >= 8)
        return 10;
    return 5;
}

std::string lf_packageOrderText(std::int32_t order)
{
    static const std::array<const char*, 6> orders{"AIG, FSLTL, JF", "AIG, JF, FSLTL", "FSLTL, AIG, JF",
                                                   "FSLTL, JF, AIG", "JF, AIG, FSLTL", "JF, FSLTL, AIG"};
    if (order < 1 || order > 6)
        return {};
    return orders[static_cast<std::size_t>(order - 1)];
}

void lf_removeMsfs2020Parameter() { gf_removeParameter(MSFS_2020); }

// the successor takes the old option's value, rounded and clamped; the old one leaves the file
template <class Snap>
void lf_carryOver(IntParameter& successor, const IntParameter& old, Snap snap)
{
    successor.value = successor.clamped(snap(old.value.load()));
    gf_saveIntParameter(successor);
    gf_removeParameter(old);
}

void lf_convertOldOptions()
{
    SIM_CHOICE.value = std::string(MSFS_2020.value ? "MSFS 2020" : "MSFS 2024");
    gf_saveStringParameter(SIM_CHOICE);
    lf_removeMsfs2020Parameter();

    AI_PACKAGE_SELECTOR.value = lf_packageOrderText(AI_PACKAGE_ORDER.value);
    gf_saveStringParameter(AI_PACKAGE_SELECTOR);
    gf_removeParameter(AI_PACKAGE_ORDER);

    lf_carryOver(MAX_PARK_SEL, CUSTOM_MAX_PARK, lf_snapCount);
    lf_carryOver(MAX_LIVE_SEL, MAX_LIVE, lf_snapCount);
    lf_carryOver(RANGE, LATERAL_RANGE, gf_snapRange);
    lf_carryOver(AIRP_RANGE, AIRPORT_RANGE, lf_snapAirportRange);
    lf_carryOver(AR_ABOVE_HEIGHT, AUTO_RANGE_ABOVE_HEIGHT, gf_snapHeight);
    lf_carryOver(AIRP_HEIGHT, AIRPORT_HEIGHT, gf_snapHeight);
}

void lf_switchScanOn(UiBoolParameter& option)
{
    option.value = true;
    gf_saveBoolParameter(option);
    gf_showCheckBox(option);
}

// Tidies the options once when a newer program runs with an older options file.
void lf_versionUpdate()
{
    const std::string current = g_programVersion.toString();
    const std::string storedText = PROGRAM_VERSION.value.get();
    if (storedText == PROGRAM_VERSION.defaultValue) { // first run with this options file
        PROGRAM_VERSION.value = current;
        gf_saveStringParameter(PROGRAM_VERSION);
        return;
    }
    const VersionData stored(storedText);
    if (!lf_sameVersion(stored, g_programVersion)) {
        PROGRAM_VERSION.value = current;
        gf_saveStringParameter(PROGRAM_VERSION);
    }
    if (!gf_isNewerVersion(g_programVersion, stored))
        return;
    gf_log(fmt::format("This is a version update from {} -> {}", stored.toString(), current));
    if (!lf_sameVersion(stored, VersionData("11.0.2")) && !lf_sameVersion(stored, VersionData("11.0.3")))
        lf_convertOldOptions();

    std::error_code error;
    std::filesystem::remove(g_installerPath, error);
    if (error)
        gf_log(fmt::format("Failed to remove {}: {}", g_installerPath.string(), error.message()));
    lf_switchScanOn(SCAN_LIVERIES);
    lf_switchScanOn(SCAN_AIRPORTS);
}

} // namespace

const ParameterLists& gf_parameterLists()
{
    static const ParameterLists lists{
        {&MSFS_2020},
        {&SIM_TIME, &KEEP_SIM_TIME_PAR, &RT_PARKTRAFFIC_ONLY, &CALLSIGN_OBJECTIDS, &COLLISION_USER_AIR,
         &COLLISION_USER_GND, &COLLISION_LIVE_PARKED_GND, &SUPPRESS_STUB, &LOG, &ALWAYS_ON_TOP, &SCAN_LIVERIES,
         &LIG_AUTOMATIC, &LIG_PRIORITIZE, &SCAN_AIRPORTS, &LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT,
         &NAV_LIGHTS_WHILE_PARKED, &AUTO_RANGE, &LEARN_SOFT, &STRAIGHT_PBS_ONLY, &PARK_SOFT, &PARK_FAKE, &WEEK,
         &INITIAL_LOAD_ONLY, &GUID_CHANGES},
        {&CUSTOM_PARKING_PERCENTAGE, &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &LATERAL_RANGE, &AIRPORT_RANGE,
         &AUTO_RANGE_ABOVE_HEIGHT, &AIRPORT_HEIGHT, &LAST_EPOCH_TIME, &HOLDING_THRESHOLD_METERS,
         &MAX_HOLDING_MINUTES, &CUSTOM_MAX_PARK, &MAX_LIVE, &AI_PACKAGE_ORDER},
        {&MATCHING_DEPTH, &RANGE, &MAX_FIT, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT,
         &TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS},
        {&PROGRAM_VERSION, &MSFS_INSTALL_PATH, &lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4, &lfolder5,
         &lfolder6, &lfolder7, &lfolder8, &lfolder9, &PROGRAM_INSTALL_PATH, &AIG_VERSION, &DBASE_VERSION,
         &MYSIMADDON24_VERSION, &MSFS_2024_INSTALL_PATH, &AI_PACKAGE_SELECTOR, &DESTINATION},
        {&BLOCK_CALLSIGN, &SIM_CHOICE}};
    return lists;
}

void gf_loadParameters()
{
    const ParameterLists& lists = gf_parameterLists();
    gf_readParameterFile(lists.bools, lists.checkBoxBools, lists.ints, lists.shownInts, lists.texts,
                         lists.shownTexts);
    lf_versionUpdate();
    gf_setRange(RANGE.value);
}
