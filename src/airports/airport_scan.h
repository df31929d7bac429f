#pragma once
// The add-on airport scan, a start-up step of the control thread while SCAN_AIRPORTS is on: it
// rebuilds airports/my_thirdparty (and in the 2020 simulator airports/my_simaddon) from the
// scenery BGL files of the simulator's package folders, writes output/info/AirportsScanLog.txt,
// gathers the parking files worth learning off-line in TBLO and switches SCAN_AIRPORTS off. A
// scan ended by a stop or quit leaves SCAN_AIRPORTS on, so that the next start scans again.
#include "foundation/hook_set.h"

#include <atomic>
#include <cstdint>
#include <functional>

// The parking files waiting in TBLO to be learned off-line.
extern std::atomic<std::int32_t> g_tbloCount;

struct AirportScanHooks {
    // The scan has ended: the options panel and the header show the new state (g_tbloCount and
    // the SCAN_AIRPORTS label).
    std::function<void()> showScanEnd;
};

extern HookSet<AirportScanHooks> g_airportScanHooks;

// Raises the file-system errors of the folders outside the walk; what cannot be emptied of a
// folder stays, logged.
void gf_scanAddonAirports();
