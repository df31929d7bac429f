#pragma once
// The steps of the livery scan around the walk: the don't-use titles before it, the corrections
// from the aircraft database after it, and the report files with their summary in the log.
// Control thread only, while no scan task runs.
#include <string>
#include <vector>

// Lines of output/info/AirlineModelConversions.txt.
extern std::vector<std::string> g_dbaseConversions;

// Reads the shipped and the user's don't-use titles and indexes them for the tasks.
void gf_loadDontUseTitles();
// Airline, type and cargo flag of every record with an ATC id, from the database's registrations.
void gf_updateLiveriesFromDbase();
// Writes the non-empty finding lists to their files and names them in the log.
void gf_writeScanReports();
// Empties every finding list, the scanned titles and the don't-use titles.
void gf_clearScanReports();
