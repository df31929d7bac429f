// Minimal versions of the traffic manager's jobs: each keeps the run and the tick loop going
// and is replaced by the full job.
#include "traffic/traffic_jobs.h"

void gf_handleParkAirports(bool /*firstCall*/) {}
bool gf_reservedStandNamed() { return false; }
void gf_freeReservedStand() {}
void gf_checkParkAirportsAndStands(bool /*takeUserStand*/, std::string& message) { message.clear(); }
void gf_removeGroundAndStaticAc() {}
