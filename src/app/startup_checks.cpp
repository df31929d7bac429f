// The start-up of every run: the options, the working folders, the aircraft database and the
// airport list (once per process) and, after the control thread's checks, the livery scan or the livery tables.
#include "app/control_flags.h"
#include "app/data_updater.h"
#include "app/main_window_state.h"
#include "app/startup_jobs.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/livery_scan.h"
#include "airports/airport.h"
#include "foundation/load_parameters.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"

#include <array>
#include <atomic>
#include <filesystem>
#include <system_error>

// The aircraft database is read once per process.
std::atomic<bool> g_databaseLoaded{false};

namespace {

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

} // namespace

void gf_startupChecks()
{
    gf_loadParameters();
    gf_repaint(WindowArea::optionsPanel);
    lf_ensureFolders();
    if (!g_restart)
        gf_checkForUpdates();
    if (!g_databaseLoaded.load()) {
        gf_readDbase();
        g_databaseLoaded = true;
    }
    gf_readAirports(g_airportListPath);
    gf_repaint(WindowArea::optionsPanel);
}

void gf_runLiveryScan()
{
    if (gf_stopRequested())
        return;
    gf_scanLiveries();
}
