// The add-on airport scan as the start-up runs it, and what the scan calls in the shell.
#include "app/app_hooks.h"
#include "app/main_window_state.h"
#include "app/startup_jobs.h"
#include "airports/airport_scan.h"
#include "airports/archive_links.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"

#include <utility>

void gf_runAirportScan()
{
    if (SCAN_AIRPORTS.value && !gf_stopRequested())
        gf_scanAddonAirports();
}

void gf_installAirportScanHooks()
{
    gf_setBglHandoff(gf_archiveHandoff());
    AirportScanHooks hooks;
    hooks.showScanEnd = [] {
        g_mainWindowState.addonAirportCount = g_tbloCount.load();
        g_mainWindowState.addonScanFolder.set(gf_pathToUtf8(g_learningFolder));
        gf_repaint(WindowArea::optionsPanel);
        gf_repaint(WindowArea::header);
    };
    g_airportScanHooks.install(std::move(hooks));
}
