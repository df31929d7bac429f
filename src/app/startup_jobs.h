#pragma once
// The shell's jobs around a run that live in their own parts of the shell: the start-up checks,
// the scans, the destination and the automatic range.
#include "foundation/geometry.h"

#include <string>

// Checks the simulator path, the data files and the options at the start of a run; may raise
// brv::UserErrorException.
void gf_startupChecks();
// Scans the liveries when SCAN_LIVERIES is on.
void gf_runLiveryScan();
// The add-on airport scan when SCAN_AIRPORTS is on, the hold after it and the window's counts.
void gf_runAirportScan();
// Makes the airport the destination (the DESTINATION command).
void gf_setDestination(const std::string& code, const LatLon& position);
// Chooses RANGE from the user aircraft's height and the park airports.
void gf_setAutoRange();
