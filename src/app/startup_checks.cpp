// The start-up of every run: the options, the install path, the working folders, the updater,
// the starting state of the options panel, the time shift, the aircraft database and the airport
// list (once per process), the simulator path; and, after the control thread's checks, the scans,
// the hold before the web service is visited again and the add-on counts.
#include "app/control_flags.h"
#include "app/data_updater.h"
#include "app/main_window_state.h"
#include "app/panel_requests.h"
#include "app/park_traffic_controls.h"
#include "app/run_traffic.h"
#include "app/startup_jobs.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/livery_scan.h"
#include "airports/airport.h"
#include "foundation/file_utils.h"
#include "foundation/half_hours.h"
#include "foundation/install_detection.h"
#include "foundation/load_parameters.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/time_shift.h"
#include "foundation/user_error.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"
#include "platform/module_path.h"
#include "traffic/park_settings.h"
#include "traffic/run_flags.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <initializer_list>
#include <system_error>

// The aircraft database is read once per process.
std::atomic<bool> g_databaseLoaded{false};

namespace {

// The web service must not be visited again within this many seconds.
constexpr std::int64_t lf_revisitSeconds = 2;

// A stored install path that names the Community folder names the folder above it.
void lf_trimCommunitySuffix(StringParameter& option)
{
    const std::string text = option.value.get();
    if (const std::string trimmed = gf_withoutCommunityFolder(text); trimmed != text)
        gf_setStringParameter(option, trimmed);
}

// Creates each working folder that is missing (with its parents) and removes the files of older
// versions. File-system errors propagate.
void lf_ensureFolders()
{
    const std::array<const fs::path*, 11> folders{
        &g_outputFolder,      &g_infoFolder,         &g_errorsFolder,          &g_airportsFolder,
        &g_learnedFolder,     &g_learnedStockFolder, &g_learnedSimAddonFolder, &g_learnedThirdPartyFolder,
        &g_simAddonAirportFolder, &g_userAirportFolder, &g_userRegcodeFolder};
    for (const fs::path* folder : folders) {
        std::error_code ec;
        const auto status = fs::status(*folder, ec);
        if (ec && status.type() != fs::file_type::not_found)
            throw fs::filesystem_error("status", *folder, ec);
        if (fs::is_directory(status))
            continue;
        fs::create_directories(*folder, ec);
        if (ec)
            throw fs::filesystem_error("create_directories", *folder, ec);
    }
    for (const char* name : {"AIG-regcodes0.xml", "AIG-regcodes00.xml"}) {
        const fs::path old = g_inputFolder / name;
        std::error_code ec;
        fs::remove(old, ec);
        if (ec)
            throw fs::filesystem_error("remove", old, ec);
    }
}

void lf_enable(std::initializer_list<const UiControl*> controls, bool on)
{
    for (const UiControl* control : controls)
        EnableWindow(control->hWnd.load(), on ? TRUE : FALSE);
}

// The options panel as a run starts it: the lists filled, what may be changed now enabled.
void lf_enableControls()
{
    lf_enable({&LOG, &ALWAYS_ON_TOP, &NAV_LIGHTS_WHILE_PARKED, &GUID_CHANGES, &SCAN_LIVERIES, &LIG_AUTOMATIC,
               &LIG_PRIORITIZE, &SCAN_AIRPORTS, &LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &AUTO_RANGE,
               &COLLISION_USER_GND, &COLLISION_USER_AIR, &COLLISION_LIVE_PARKED_GND, &STRAIGHT_PBS_ONLY, &PARK_FAKE,
               &WEEK, &PARK_SOFT, &INITIAL_LOAD_ONLY, &RT_PARKTRAFFIC_ONLY, &BLOCK_CALLSIGN, &MATCHING_DEPTH,
               &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT, &SIM_CHOICE},
              true);
    // the run, the park-airport lists and the parking enable these
    lf_enable({&LEARN_SOFT, &CALLSIGN_2_OBJECTID, &DESTINATION, &g_rereadButton, &parking_percentage, &MAX_FIT_FL,
               &g_flushStaticButton},
              false);
    lf_enable({&RANGE}, !AUTO_RANGE.value);
    lf_enable({&AR_ABOVE_HEIGHT}, AUTO_RANGE.value);
    lf_enable({&g_unblockButton}, !BLOCK_CALLSIGN.value.empty());
    lf_enable({&AI_PACKAGE_SELECTOR}, LIG_AUTOMATIC.value);
    lf_enable({&CALLSIGN_OBJECTIDS}, g_msfs2020Mode); // the mode follows SIM_CHOICE since the load
    for (const IntChoiceParameter* list :
         {&MATCHING_DEPTH, &RANGE, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT})
        list->fillComboBox();
    for (const StringChoiceParameter* list : {&AI_PACKAGE_SELECTOR, &SIM_CHOICE})
        list->fillComboBox();

    parking_percentage.value = 30; // at every start, whatever was saved
    gf_showIntParameter(parking_percentage);
    gf_clearTextBox(parking_percentage.controlId);
    gf_clearTextBox(MAX_FIT_FL.controlId);
    MAX_FIT_FL.value = MAX_FIT_FL.clamped(static_cast<float>(MAX_FIT.value) * 0.5F + 0.5F);
    gf_updateParkTrafficControls();
}

// The time shift saved by the last run, or the simulator's time; the time controls end enabled.
void lf_startTimeShift()
{
    EnableWindow(KEEP_SIM_TIME_PAR.hWnd.load(), TRUE);
    const std::array<const UiIntParameter*, 3> boxes{&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS};
    if (SIM_TIME.value)
        gf_applySimTime(true);
    else if (std::any_of(boxes.begin(), boxes.end(),
                         [](const UiIntParameter* b) { return b->value != b->defaultValue; }))
        gf_setTimeShift((TIME_SHIFT_DAYS.value * 24 + TIME_SHIFT_HOURS.value) * 60 + TIME_SHIFT_MINS.value, true);
    else
        for (const UiIntParameter* box : boxes)
            gf_clearTextBox(box->controlId);
    gf_enableTimeShiftControls(true);
}

void lf_saveProgramPath()
{
    const fs::path program = platform::modulePath();
    if (program.empty())
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                "the program's own path cannot be read");
    gf_setStringParameter(PROGRAM_INSTALL_PATH, gf_pathToUtf8(program));
}

// The packages folder of the simulator in force: as stored, or detected; code 150 without one.
void lf_settleSimPath()
{
    StringParameter& option = gf_simPackagesOption();
    ALL_INSTALL_PATH.value = option.value.get();
    EnableWindow(ALL_INSTALL_PATH.hWnd.load(), TRUE);
    gf_showStringParameter(ALL_INSTALL_PATH);
    if (!ALL_INSTALL_PATH.value.empty())
        return;
    const fs::path detected = gf_detectSimPackagesPath();
    if (detected.empty())
        throw brv::UserErrorException(
            150, "No install path detected, type full path to your Community folder above, and press Enter");
    gf_setStringParameter(option, gf_pathToUtf8(detected));
    ALL_INSTALL_PATH.value = option.value.get();
    gf_showStringParameter(ALL_INSTALL_PATH);
}

// A saved time in the future holds 2 seconds, not the years up to it.
void lf_holdBeforeRevisit()
{
    const std::int64_t hold =
        std::clamp<std::int64_t>(lf_revisitSeconds - g_secondsSinceLastVisit, 0, lf_revisitSeconds);
    if (hold == 0)
        return;
    gf_showStatus(fmt::format("Holding for {} seconds... (RT API cannot be revisited within {} seconds)", hold,
                              lf_revisitSeconds),
                  true);
    platform::sleepUnlessStopped(std::chrono::seconds(hold), g_stop);
}

void lf_showAddonCounts()
{
    g_mainWindowState.simaddonCount = gf_countFolderEntries(g_simAddonAirportFolder);
    g_mainWindowState.thirdpartyCount = gf_countFolderEntries(g_userAirportFolder);
    gf_repaint(WindowArea::header);
}

} // namespace

void gf_startupChecks()
{
    gf_loadParameters(); // g_msfs2020Mode follows SIM_CHOICE from here on
    gf_repaint(WindowArea::header);
    gf_repaint(WindowArea::optionsPanel);
    lf_trimCommunitySuffix(gf_simPackagesOption());
    lf_ensureFolders();
    g_maxLiveGeneral = MAX_LIVE_SEL.value.load();
    if (!g_restart)
        gf_checkForUpdates();
    lf_enableControls();
    lf_startTimeShift();
    lf_saveProgramPath();
    g_timeSlot = gf_slotAndWeekdayNow();
    if (!g_databaseLoaded.load()) {
        gf_readDbase();
        g_databaseLoaded = true;
    }
    gf_readAirports(g_airportListPath);
    lf_settleSimPath();
    gf_repaint(WindowArea::optionsPanel);
    g_manualRange = RANGE.value.load();
}

void gf_noteLastVisit() { g_secondsSinceLastVisit = gf_wallClockSeconds() - LAST_EPOCH_TIME.value; }

void gf_runLiveryScan()
{
    if (gf_stopRequested())
        return;
    gf_scanLiveries();
}

void gf_airportScanAndHold()
{
    if (SCAN_AIRPORTS.value) {
        g_mainWindowState.simaddonCount = 0;
        g_mainWindowState.thirdpartyCount = 0;
        gf_repaint(WindowArea::header);
        gf_runAirportScan();
    }
    lf_holdBeforeRevisit();
    lf_showAddonCounts();
}
