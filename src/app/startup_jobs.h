#pragma once
// The shell's jobs around a run that live in their own parts of the shell: the start-up checks,
// the scans, the destination and the automatic range.
#include "foundation/geometry.h"

#include <string>

// The start-up of a run: options, folders, updater, the options panel's starting state, data
// files and the simulator path; raises brv::UserErrorException (150: no simulator path) and
// file-system errors.
void gf_startupChecks();
// Notes the seconds since the last visit of the web service (LAST_EPOCH_TIME:).
void gf_noteLastVisit();
// Scans the liveries when SCAN_LIVERIES is on.
void gf_runLiveryScan();
// The add-on airport scan when SCAN_AIRPORTS is on, the hold that keeps the web service from
// being visited again within 2 seconds, and the window's add-on counts.
void gf_airportScanAndHold();
// The add-on airport scan itself (SCAN_AIRPORTS is on).
void gf_runAirportScan();
// Makes the airport the destination (the DESTINATION command).
void gf_setDestination(const std::string& code, const LatLon& position);
// Chooses RANGE from the user aircraft's height and the park airports.
void gf_setAutoRange();
