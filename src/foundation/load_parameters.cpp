#include "foundation/load_parameters.h"

#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/range.h"
#include "foundation/shell_state.h"
#include "foundation/version.h"

#include <algorithm>
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

std::string lf_packageOrderText(std::int32_t order)
{
    static const std::array<const char*, 6> orders{"AIG, FSLTL, JF", "AIG, JF, FSLTL", "FSLTL, AIG, JF",
                                                   "FSLTL, JF, AIG", "JF, AIG, FSLTL", "JF, FSLTL, AIG"};
    if (order < 1 || order > 6)
        return {};
    return orders[static_cast<std::size_t>(order - 1)];
}

void lf_removeMsfs2020Parameter() { gf_removeParameter(MSFS_2020); }

// The replaced options that parameters.xml really held: the loader has added every missing one
// with its default, which must not be carried over.
class OldOptions {
public:
    explicit OldOptions(const FoundParameters& found) : m_found(found) {}
    bool held(const Parameter& option) const
    {
        return std::find(m_found.begin(), m_found.end(), &option) != m_found.end();
    }

    // the successor takes the old option's value, rounded and clamped; the old one leaves the file
    void carryOver(IntParameter& successor, const IntParameter& old, std::int32_t (*snap)(std::int32_t)) const
    {
        if (!held(old))
            return;
        successor.value = successor.clamped(snap(old.value.load()));
        gf_saveIntParameter(successor);
        gf_removeParameter(old);
    }

private:
    const FoundParameters& m_found;
};

void lf_convertOldOptions(const OldOptions& old)
{
    if (old.held(MSFS_2020)) {
        SIM_CHOICE.value = std::string(MSFS_2020.value ? "MSFS 2020" : "MSFS 2024");
        gf_saveStringParameter(SIM_CHOICE);
        lf_removeMsfs2020Parameter();
    }
    if (old.held(AI_PACKAGE_ORDER)) {
        AI_PACKAGE_SELECTOR.value = lf_packageOrderText(AI_PACKAGE_ORDER.value);
        gf_saveStringParameter(AI_PACKAGE_SELECTOR);
        gf_removeParameter(AI_PACKAGE_ORDER);
    }
    old.carryOver(MAX_PARK_SEL, CUSTOM_MAX_PARK, gf_snapCount);
    old.carryOver(MAX_LIVE_SEL, MAX_LIVE, gf_snapCount);
    old.carryOver(RANGE, LATERAL_RANGE, gf_snapRange);
    old.carryOver(AIRP_RANGE, AIRPORT_RANGE, gf_snapAirportRange);
    old.carryOver(AR_ABOVE_HEIGHT, AUTO_RANGE_ABOVE_HEIGHT, gf_snapHeight);
    old.carryOver(AIRP_HEIGHT, AIRPORT_HEIGHT, gf_snapHeight);
}

void lf_switchScanOn(UiBoolParameter& option)
{
    option.value = true;
    gf_saveBoolParameter(option);
    gf_showCheckBox(option);
}

// The installer of the new version is no longer needed. One that cannot be removed (in use, a
// folder with content) is logged and left: the update goes on, or every start would be one again.
void lf_removeInstaller()
{
    std::error_code error;
    std::filesystem::remove(g_installerPath, error);
    if (error)
        gf_logError(fmt::format("Failed to remove {}: {}", gf_pathToUtf8(g_installerPath), error.message()));
}

// Tidies the options once when a newer program runs with an older options file.
void lf_versionUpdate(const FoundParameters& found)
{
    const VersionData stored(PROGRAM_VERSION.value.get());
    const OldOptions old(found);
    if (lf_sameVersion(stored, g_programVersion)) {
        // replaced options in a file of this version are defaults an earlier load wrote, no user's values
        for (const Parameter* option : gf_parameterLists().conversionOnly)
            if (old.held(*option))
                gf_removeParameter(*option);
        return;
    }
    // no version, or a text that is none: a first run with this options file
    const bool firstRun = lf_sameVersion(stored, VersionData());
    if (!firstRun && gf_isNewerVersion(g_programVersion, stored)) {
        gf_log(fmt::format("This is a version update from {} -> {}", stored.toString(),
                           g_programVersion.toString()));
        if (!lf_sameVersion(stored, VersionData("11.0.2")) && !lf_sameVersion(stored, VersionData("11.0.3")))
            lf_convertOldOptions(old);
        lf_removeInstaller();
        lf_switchScanOn(SCAN_LIVERIES);
        lf_switchScanOn(SCAN_AIRPORTS);
    }
    // last: an update that failed on its way is made again at the next start
    gf_setStringParameter(PROGRAM_VERSION, g_programVersion.toString());
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
        {&BLOCK_CALLSIGN, &SIM_CHOICE},
        {&MSFS_2020, &LATERAL_RANGE, &AIRPORT_RANGE, &AUTO_RANGE_ABOVE_HEIGHT, &AIRPORT_HEIGHT, &CUSTOM_MAX_PARK,
         &MAX_LIVE, &AI_PACKAGE_ORDER}};
    return lists;
}

void gf_loadParameters()
{
    const ParameterLists& lists = gf_parameterLists();
    const FoundParameters found = gf_readParameterFile(lists.bools, lists.checkBoxBools, lists.ints,
                                                       lists.shownInts, lists.texts, lists.shownTexts,
                                                       lists.conversionOnly);
    lf_versionUpdate(found);
    gf_applySimChoice();
    gf_setRange(RANGE.value);
}

void gf_applySimChoice()
{
    g_msfs2020Mode = SIM_CHOICE.value.get() == "MSFS 2020";
    gf_updateSimFamily();
}
