// Minimal versions of the shell's start-up, scan, destination and range jobs.
#include "app/startup_jobs.h"

void gf_runAirportScan() {}
void gf_setDestination(const std::string& /*code*/, const LatLon& /*position*/) {}
void gf_setAutoRange() {}
