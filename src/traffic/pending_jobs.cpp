// Minimal versions of the traffic manager's jobs: each keeps the run and the tick loop going
// and is replaced by the full job.
#include "traffic/traffic_jobs.h"

std::int32_t gf_countParkedLiveAc(bool /*refresh*/) { return 0; }
void gf_checkNextDuplicate(std::uint64_t /*timeSlot*/) {}
std::optional<std::uint32_t> gf_activeLiveObjectId(std::string_view /*callsign*/) { return std::nullopt; }
void gf_avoidCollisionWithUser(const UserAcData& /*user*/, bool /*userOnGround*/) {}
void gf_avoidLiveParkedCollisions() {}
bool gf_removeActiveLiveAcByCallsign(std::string_view /*callsign*/) { return false; }
void gf_removeStaticDuplicateOfLiveAc() {}
void gf_removeAllStaticAc() {}

void gf_handleParkAirports(bool /*firstCall*/) {}
bool gf_reservedStandNamed() { return false; }
void gf_freeReservedStand() {}
void gf_checkParkAirportsAndStands(bool /*takeUserStand*/, std::string& message) { message.clear(); }
void gf_adjustParking(bool /*parkTrafficOnly*/) {}
void gf_removeGroundAndStaticAc() {}
void gf_writeCallsign2ObjectId() {}
