// Minimal version of the shell's add-on airport scan.
#include "app/startup_jobs.h"

void gf_runAirportScan() {}
